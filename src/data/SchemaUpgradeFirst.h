#pragma once

class Database;

// Whether the book already has the layout that followed the first release
// (tax treatment codes, monthly amounts on scheduled cards, parent and child
// shop codes).
bool FirstLayoutDone(Database &db);

// Brings a book of the first release's layout to the next level: the tax flag
// becomes a tax treatment, scheduled cards get their monthly amounts, shop lists
// their parent and child codes, and user rows named like the system's own rows
// take over the user's lines. Runs inside the caller's transaction; every part
// looks at its table first, so a part already done does nothing.
void UpgradeFirstLayout(Database &db);
