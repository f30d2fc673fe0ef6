#pragma once

#include <QString>

// Silent file and folder copies and removals, as the book management uses them:
// no questions, no progress, one Boolean for the whole operation.
namespace FileOps {

// Copies `from` into `to`.
// - `from` a file: copied to `to`, or into `to` when that is an existing folder.
// - `from` a folder: copied with everything in it to `to` (into `to` as a
//   sub-folder when `to` already exists).
// - `from` ending in a wild-card name ("folder/*", "folder/*.*", "folder/*.db"):
//   every matching file and folder is copied into the folder `to`, which is
//   created when missing.
// Existing files are replaced. Returns false when anything could not be copied or
// nothing matched.
bool copy(const QString &from, const QString &to);

// Removes a file, a folder with everything in it, or every match of a wild-card
// name. A path that does not exist counts as removed. Returns false when anything
// is left.
bool remove(const QString &path);

} // namespace FileOps
