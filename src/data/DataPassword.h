#pragma once

#include <QString>

// The data password of a book is the key of its encrypted database file.

// True when the file at path looks like an encrypted book: whole pages, no
// plain database header and a random (not zeroed) start. A plain, zeroed,
// truncated or odd-sized file is not one: reading it gives the engine's own
// error, which is said as damage rather than asked as a password. Random
// bytes in whole pages cannot be told from an encrypted book.
bool BookFileLooksKeyed(const QString &path);

// Writes the book at path again under newKey (empty: a plain database),
// reading it with oldKey. The new file is written beside the old one, checked
// (it opens with the new key, passes the engine's check and holds the same
// rows in every table) and only then put in the old one's place; on any
// failure the book stays as it was and EDatabaseError is raised.
void RewriteBookKey(const QString &path, const QString &oldKey, const QString &newKey);
