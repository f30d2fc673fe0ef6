#pragma once

#include <QString>

#include "GenerateBook.h"

// The books the benchmark measures, kept in a cache folder between runs: an
// empty book (a new book from the template, no lines) and a large generated one, each written under a temporary name and
// renamed when complete, so an interrupted generation is never reused.
class BenchBooks
{
public:
    explicit BenchBooks(const QString &cacheFolder) : m_cache(cacheFolder) {}

    QString emptyBook();
    QString largeBook(const GenerateBook::Options &options);

    // Copies the files of a book folder into a new folder (replacing it).
    static void copyBook(const QString &from, const QString &to);
    // Empty when the book's counters are at least the highest numbers in use,
    // else what is wrong.
    static QString checkCounters(const QString &folder);

private:
    QString make(const QString &name, bool large, const GenerateBook::Options &options);
    QString m_cache;
};
