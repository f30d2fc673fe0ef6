#pragma once

#include <QString>

// The chart page's six contents for a year of a book: each content's figures
// computed and its series built, timed next to the bare SQL of the figures it
// draws. Prints its rows in the benchmark's table. The book is left as it was.
void BenchChart(const QString &book, int runs);
