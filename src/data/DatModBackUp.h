#pragma once

#include <functional>

#include <QString>

// Writes an archive of the book to the given file; false (with a reason in
// *error when it can say one) when nothing usable was written.
using TArchiveWriter = std::function<bool(const QString &file, QString *error)>;

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
