#pragma once

#include <QString>

// The budget page's month on a book: the calculator and the page's tables
// (budget, actual and rate of every income and expense category, this month
// and the month before) against the bare SQL of the same figures. Prints its
// rows in the benchmark's table. The book is left as it was.
void BenchYosanMonth(const QString &book, int runs);
