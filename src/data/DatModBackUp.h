#pragma once

#include <functional>

#include <QString>
#include <QStringList>

// Writes an archive of the book to the given file; false (with a reason in
// *error when it can say one) when nothing usable was written.
using TArchiveWriter = std::function<bool(const QString &file, QString *error)>;

// The files of a book folder that make up the book, as full paths, in archive
// order: the settings file, the notepad and the book database.
QStringList BookFileList(const QString &bookFolder);

// Packs the book in bookFolder into the archive file (the kind every book
// archive has, stamped with bookName, deflated at level 2), asking nothing.
// With a progressCaption a progress bar of that caption shows while a large
// book is packed. False with the reason in *error when the archive was not written.
bool WriteBookArchive(const QString &file, const QString &bookFolder, const QString &bookName,
                      QString *error = nullptr, const QString &progressCaption = QString());

// Name of automatic generation n of a book: the book name, "_", n and ".pbk".
QString BackUpGenerationName(const QString &bookName, int n);

// Writes a new automatic generation 1 of the book into folder, keeping count
// generations. The new archive is written first under a temporary name in the
// folder; only when that worked is the oldest generation deleted, the others
// moved up by one and the new one named generation 1, so a failed backup never
// costs an existing generation. count 0 (or less) writes nothing and succeeds.
// Returns false with a reason in *error when the generation was not written.
bool WriteBackUpGeneration(const QString &folder, const QString &bookName, int count,
                           const TArchiveWriter &writer, QString *error = nullptr);

// Name of the one archive kept of a book that met damage: the book name and
// "_damaged.pbk". It stands apart from the numbered generations, so a damaged
// book never pushes a good generation out.
QString DamagedBackUpName(const QString &bookName);

// Writes the archive of a damaged book into folder under DamagedBackUpName,
// replacing the previous one only once the new one is whole; the numbered
// generations are left alone. False with a reason in *error when not written.
bool WriteDamagedBackUp(const QString &folder, const QString &bookName, const TArchiveWriter &writer,
                        QString *error = nullptr);

// Whether an archive entry may be restored into a book folder: never a file
// named like the engine's side files of a database ("-journal", "-wal",
// "-shm") or the book's lock file, which would be played over the restored
// book or lock out the processes that share it.
bool IsBookArchiveEntry(const QString &name);

// Removes the engine's side files of the book database in folder: after the
// safety copy has them, a crash's leftover journal must not be played over the
// restored book at its next opening. False (with the file in *error) when one
// stays.
bool RemoveEngineSideFiles(const QString &folder, QString *error = nullptr);

// Checks the restored book in folder: empty when the database opens and its
// integrity check passes (a book with a data password, which cannot be read
// without it, is checked at its log-in), else what is wrong with it.
QString CheckRestoredBook(const QString &folder);
