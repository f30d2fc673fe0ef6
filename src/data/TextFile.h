#pragma once

#include <QString>

// Plain text files the user edits with other programs: memos written by the
// first version and by older editors are Shift-JIS, newer ones UTF-8. A file is
// read in whichever of the two it is and written back in the same one, so that
// a memo never changes its encoding behind the user's back; a text Shift-JIS
// cannot hold is written as UTF-8 rather than losing characters.

enum class TextEncoding { Utf8, ShiftJis };

// The text of a file; false and message set when it cannot be read.
bool ReadTextFile(const QString &path, QString &text, TextEncoding &encoding, QString *message = nullptr);
// Writes the text (complete or not at all); false and message set when it
// cannot be written. encoding is updated to the one written.
bool WriteTextFile(const QString &path, const QString &text, TextEncoding &encoding, QString *message = nullptr);
