#pragma once

#include <QString>

// The annual totals of the 集計 page on a book, timed next to the bare SQL of
// the same year; prints its rows under the other figures.
void BenchNenSyukei(const QString &book, int runs);
