#pragma once

#include <QString>
#include <QStringList>

// The check of a book after a session that did not close it: the engine's
// quick check of the whole file (opened with the data password key, if any),
// under a progress bar that follows the pages the check has read. While the
// check walks the file's trees, a second thread reads the file once from start
// to end, and the check takes each page only once that sweep has passed it, so
// that the pages come from the disk at its streaming speed rather than one seek
// at a time. Returns the check's rows (at most ten), "ok" alone
// when the book is sound; an engine error throws EDatabaseError.
QStringList CheckBookIntegrity(const QString &databaseFile, const QString &key);

// The caption of the progress shown while the check runs.
QString BookCheckCaption();
