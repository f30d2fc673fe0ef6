#pragma once

#include <QString>

// The diary search on twenty years of diary texts (one a day) in a copy of the
// large book: the pattern engine's fuzzy scan next to QRegularExpression on
// the same texts with the same (rewritten) pattern, and the cost of setting a
// pattern that is already in the cache. Prints its rows after the others.
void BenchDiary(const QString &largeBook, const QString &workFolder, int runs);
