#pragma once

#include <cstdint>

#include <QDate>
#include <QString>

class Database;

// A small, fast pseudo-random generator (splitmix64) of our own, so that a seed
// gives the same book on every machine and with every standard library.
class SplitMix64
{
public:
    explicit SplitMix64(uint64_t seed) : m_state(seed) {}
    uint64_t next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n); n > 0.
    int below(int n) { return int(next() % uint64_t(n)); }
    // Uniform in [lo, hi].
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    // True with the given probability (0..1).
    bool chance(double p) { return double(next() >> 11) * (1.0 / 9007199254740992.0) < p; }

private:
    uint64_t m_state;
};

// Writes book folders for the benchmarks. An empty one is the database made by
// the schema routine, the per-book settings file and an empty notepad file; a
// large one is a new book restored from the shipped template, then filled with years of realistic journal
// lines, masters, budgets and diary rows in one transaction, so that a crash
// leaves either a whole book or an unfinished one that the benchmark rebuilds.
class GenerateBook
{
public:
    struct Options
    {
        int years = 20;
        int lines = 200000;
        uint64_t seed = 20260101;
        // The book's today: lines up to it are booked, scheduled lines after it
        // wait; the book ends with its month. Null: the current date.
        QDate today;
    };

    // What a generated book holds (the highest numbers are what the counters say).
    struct Summary
    {
        int journalLines = 0;   // rows of Master without the seed row DATANO 0
        int reservedLines = 0;  // scheduled lines not yet booked (RESERVED True)
        int slips = 0;
        int categories = 0;     // user categories and accounts
        int items = 0;
        int shops = 0;
        int persons = 0;
        int budgets = 0;
        int diaryRows = 0;
        int maxDataNo = 0;      // highest DATANO of Master
        int maxReceiptNo = 0;
        QDate firstDate, lastDate;
    };

    // Makes folder (which must not hold a book yet) into a new, empty book.
    static void createEmptyBook(const QString &folder);
    // Makes folder into a large book; throws EDatabaseError or std::runtime_error.
    static Summary createLargeBook(const QString &folder, const Options &options);
    // Fills an open, empty book database (as made by the schema routine).
    static Summary fill(Database &db, const Options &options);

    // The book's database file in folder.
    static QString databasePath(const QString &folder);
};
