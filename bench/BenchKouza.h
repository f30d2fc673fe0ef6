#pragma once

#include <QString>

// The account balances and the passbook register on the large book, each
// beside the bare SQL sums of the same journal lines; prints its own table.
void BenchKouza(const QString &largeBook, int runs);
