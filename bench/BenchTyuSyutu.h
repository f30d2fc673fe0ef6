#pragma once

#include <QString>

// The extraction page's query on a book: twenty years of one expense category
// at the shops whose name contains a word, listed with its total through the
// page's builder and query, against the bare SQL of the same query. Prints its
// rows in the benchmark's table. The book is only read.
void BenchTyuSyutuExtraction(const QString &book, int runs);
