#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include "platform/db/Currency.h"

class Database;

// Every per-column array of a row has this many places. Index 0 is what lies
// before the span, 1 .. ColCount-1 the months (or years), ColCount the whole
// span; the places past ColCount are unused in yearly mode.
constexpr int NenSyukeiPlaces = 14;

// One column's dates; both days belong to the period.
struct TNenSyukeiPeriod
{
    QDate StartDate;
    QDate EndDate;
    int SimeBi = 0; // closing day of the month (monthly accounting-month mode)
};

// One row: a category, an account or a summary.
struct TNenSyukeiRec
{
    int32_t Code = 0;
    QString Name;
    bool Karigata = false;
    uint8_t Bunrui = 0;
    Currency Syokizan;
    std::array<TNenSyukeiPeriod, NenSyukeiPlaces> Periods;
    std::array<TNenSyukeiPeriod, NenSyukeiPlaces> ZenPeriods;
    std::array<Currency, NenSyukeiPlaces> Kingaku{};
    std::array<Currency, NenSyukeiPlaces> ZenKingaku{};
    std::array<double, NenSyukeiPlaces> Hiritu{};
    std::array<Currency, NenSyukeiPlaces> Ruikei{};
    std::array<Currency, NenSyukeiPlaces> ZenRuikei{};
    std::array<double, NenSyukeiPlaces> RuikeiHiritu{};
};
using TNenSyukeiArray = QList<TNenSyukeiRec>;

// Annual totals of every visible income category, expense category and account
// for the twelve months of a fiscal year (or ten fiscal years), the same figures
// one year earlier, whole-span totals, running totals, four summary rows and
// year-on-year ratios. The annual page and the chart page read their figures
// here and keep their switches and filters here, so both show the same mode.
//
// Which rows take part is decided by the category caches alone (special rows
// only while the 特別 switch is on); a line counts only through codes found in
// them. Row i of a kind is entry i of its cache.
//
// A computation sends one grouped query: the journal lines up to the end of the
// last period, through the date index, summed per date bucket and per pair of
// debit and credit codes. The buckets are the pieces the period edges of the
// three groups and both spans cut the calendar into, the first one everything
// before; each bucket then lands in its period of every group and span. Sums are
// exact counts of ten-thousandths added by the engine. What lies before the
// span is read once and kept for the next computations (see Carry).
class TNenSyukeiData
{
public:
    TNenSyukeiData();

    TNenSyukeiArray IriRows;
    TNenSyukeiArray DeruRows;
    TNenSyukeiArray KouzaRows;
    TNenSyukeiArray SumRows; // 収入合計, 支出合計, 口座, 収支合計

    bool IncludeReserved = false;
    int32_t PersonCode = 0;
    int32_t KouzaCode = 0;
    bool Getuji = true;
    int32_t ColCount = 13;
    bool Getudo = true;
    bool ZenNenHi = false; // display switch of the pages
    bool Hassei = true;    // display switch of the pages
    std::array<QString, NenSyukeiPlaces> ColTitles;
    int32_t ShopCode = 0;
    int32_t HinmeiCode = 0;
    bool Suryou = false;
    int32_t HimokuCode = 0;
    QString HinmeiText;
    QString PersonText;
    QString ShopText;
    QString KouzaText;
    QString HimokuText;
    bool JyoukenOn = false;

    // Recomputes everything for the fiscal year from the data module's book
    // (with no book open, the rows are rebuilt with zero amounts). Engine errors
    // propagate.
    void Calculate(int year);
    void Calculate(Database &db, int year);

    // Monthly (13) or yearly (11) columns; nothing is recomputed.
    void SetGetuji(bool value);
    // The year shown is the program-wide CurYear.
    uint16_t GetYear() const;
    void SetYear(uint16_t year);

    // Kind 1 income, 2 expense, 3 accounts: the rows of the last computation
    // (an implicitly shared copy); any other kind gives an empty array.
    void GetRows(int kind, TNenSyukeiArray &rows) const;
    const TNenSyukeiArray &Rows(int kind) const;
    // Kind 1..4: summary row kind-1. Any other kind throws "集計タイプが範囲外です。".
    void GetSum(int kind, TNenSyukeiRec &rec) const;
    // Kind 1..3: the number of rows; 4: the summary rows (4). Else the exception.
    int RowCount(int kind) const;

    // The column of a date in a span (0 before period 1); -1 when the date
    // lies after the last period or between two periods.
    static int FindPeriodIndex(const std::array<TNenSyukeiPeriod, NenSyukeiPlaces> &periods, int colCount,
                               const QDate &date);

    // Forgets the totals carried into the span that are kept between
    // computations. A page calls it each time it is shown: the window has
    // flushed the tables then, and the book may have been replaced.
    void ForgetCarry();

    // The first day a period 0 covers.
    static const QDate &EarliestDate();
    // An empty summary span (no row in its group) keeps start after end, both
    // formattable.
    static const QDate &EmptySpanStart();
    static const QDate &EmptySpanEnd();

private:
public:
    // A day's sum of one code pair kept in the carry.
    struct CarryDay
    {
        qint64 Day = 0; // Julian day
        int Kari = 0;
        int Kasi = 0;
    };

private:
    // Totals per (debit, credit) code pair of every line before UpTo (the
    // first day of a month), and per day and pair from UpTo to DailyUpTo, for
    // the computation that asked for them. Most of a long book lies before the
    // span, and the year before is read again by every computation of the same
    // year; a later computation with the same conditions on the same,
    // unchanged connection (no write by it, no commit by another) reads only
    // from DailyUpTo on.
    struct Carry
    {
        bool Valid = false;
        const void *Handle = nullptr;
        QString Path;
        qint64 DataVersion = -1;
        qint64 Changes = -1;
        QString Key;
        QDate UpTo;
        QDate DailyUpTo;
        QHash<QPair<int, int>, qint64> Sums;
        QList<std::pair<CarryDay, qint64>> Daily;
    };
    Carry m_carry;

    void rebuildRows();
    void buildTitles(int year);
    void buildPeriods(Database *db, int year);
    void sumJournal(Database &db);
    void finish();
};

// The one calculator of the program, alive for the whole run.
extern TNenSyukeiData NenSyukeiData;
