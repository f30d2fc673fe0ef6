#pragma once

#include <functional>

#include <QString>
#include <QStringList>

// The list of books and the folders they live in. A book is a folder
// registered by name in the per-user store: "DataFolders"/<name> = folder, with
// "CurrentFolders"/"Current" naming the book to open next. New books are made
// only by restoring the template archive that lies beside the program.

// The kind every book archive carries (16 characters, the last a blank).
extern const QString BookArchiveKind;
// The template's file name in the program's folder.
extern const QString TemplateArchiveName;

// "家計簿" followed by the smallest number from 1 up that is no registered book.
QString NewBookName();
void NewBookName(QString &name);

// Why a name cannot be a book's name (it becomes a folder name, the name of
// its backup files and a key of the store), or an empty text when it can:
// empty, "." or "..", a path separator or another character no file name
// may hold, a control character, or a character Shift-JIS cannot hold (the
// book's archives carry the name in it).
QString BookNameFault(const QString &name);
// Shows the fault (error, OK) and answers false; true for a usable name.
bool CheckBookName(const QString &name);

// The template archive: the program's folder, else the installed data folder.
// POMU_TEMPLATE names another file (the build tree's, for the tests).
QString TemplateFileName();
// Restores the template into folder, asking nothing; false when the restore
// failed (a missing or damaged template is said to the user).
bool CreateBookFromTemplate(const QString &folder);

// The registered books, by name in the store's order.
QStringList BookNames();
bool IsRegisteredBook(const QString &name);
QString BookFolder(const QString &name);
// Registers (or moves) a book under its absolute folder; makeCurrent also makes
// it the book to open next.
void RegisterBook(const QString &name, const QString &folder, bool makeCurrent);
// Takes a book off the list (its folder stays). When it was the current book,
// another listed book becomes current, so a stale "Current" can never bring the
// removed name back at the next start.
void UnregisterBook(const QString &name);
// Renames a registered book, keeping its folder and its place as current.
void RenameBook(const QString &oldName, const QString &newName);
QString CurrentBookName();

// What AskBookName's check finds in a name: a taken one is asked again with
// "この名称はすでに使われています。", a bad one (the check has told the user
// why) is asked again as it was.
enum class BookNameCheck { Ok, Taken, Bad };

// Asks the name of a book to register ("データベース登録") until `check` finds
// it Ok; false when cancelled or left empty (name unchanged then).
bool AskBookName(QString &name, const std::function<BookNameCheck(const QString &)> &check);

// AskBookName refusing names registered already or that cannot be a folder name.
bool AskNewBookName(QString &name);
