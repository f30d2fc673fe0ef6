#pragma once

#include <QString>

class Database;

// Brings the book in folder, open on db, up to the current schema level. The
// level is the book settings' "DataLevel"; every step looks at the table
// first, so a step already done (a book whose level number was lost) does
// nothing. All steps run in one transaction, with a copy of the database file
// kept beside it until the transaction has committed; the level is written
// only then. On failure the book is as it was and EDatabaseError says why.
void UpgradeBookSchema(Database &db, const QString &folder);

// The level a new book has.
int CurrentBookLevel();
