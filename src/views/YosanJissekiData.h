#pragma once

#include <cstdint>

#include <QDate>
#include <QList>
#include <QString>

#include "data/HimokuCache.h"
#include "platform/db/Currency.h"

class Database;

// Budget (予算) and actual (実績) of one category for two accounting months:
// the current month (今, CurYear/CurMonth) and a past month (過去) chosen for
// comparison.
struct TYosanJissekiRec
{
    int32_t Code = 0;
    QString Name;
    Currency KakoYosan;
    Currency KakoJisseki;
    Currency ImaYosan;
    Currency ImaJisseki;
};
using TYosanJissekiArray = QList<TYosanJissekiRec>;

// Budgets and actuals of every income and expense category of the open book.
// Row i of a side is entry i of IriHimokuArray (side 0) or DeruHimokuArray
// (side 1), so the caches must be loaded before a computation.
//
// A computation reads only what it shows: one grouped query on "Yosan.db" for
// the budget months, and one grouped query per side and month on the journal
// over the closing period, through the journal's date index. The journal is
// never walked, however large the book.
//
// The figures stay as the last computation left them; nothing recomputes by
// itself when the journal or the budgets change.
class TYosanJissekiData
{
public:
    TYosanJissekiData();

    TYosanJissekiArray IriRows;
    TYosanJissekiArray DeruRows;
    int32_t KakoYear = 0;   // fiscal year of the past month
    int32_t KakoMonth = 0;
    // Scheduled lines (RESERVED True) count as actuals. A line whose RESERVED
    // is empty is booked and always counts.
    bool IncludeReserved = false;
    // Copy of the special-categories switch for the budget page; not read here.
    bool TokubetuShow = false;

    Currency IriKakoYosan;
    Currency IriKakoJisseki;
    Currency IriImaYosan;
    Currency IriImaJisseki;
    Currency DeruKakoYosan;
    Currency DeruKakoJisseki;
    Currency DeruImaYosan;
    Currency DeruImaJisseki;

    // First day of the calendar month under which the current month's income
    // (expense) budget is stored; the budget page compares it with the lock date.
    QDate IriImaDate;
    QDate DeruImaDate;

    // The current month is the program-wide shown month.
    uint16_t GetImaYear() const;
    uint16_t GetImaMonth() const;
    void SetImaYear(uint16_t year);
    void SetImaMonth(uint16_t month);

    // Stores the past month here and the current month in CurYear/CurMonth,
    // then recomputes both sides from the book. Without a database argument the
    // data module's book is read; with no book open the rows are rebuilt with
    // zero amounts. Engine errors propagate; the amounts read so far stay.
    void ChangeMonths(int kakoYear, int kakoMonth, int imaYear, int imaMonth);
    void ChangeMonths(Database &db, int kakoYear, int kakoMonth, int imaYear, int imaMonth);
    // ChangeMonths with the stored past month.
    void ChangeImaMonth(int year, int month);
    void ChangeImaMonth(Database &db, int year, int month);
    // ChangeMonths with the present CurYear/CurMonth.
    void ChangeKakoMonth(int year, int month);
    void ChangeKakoMonth(Database &db, int year, int month);

    // Only the current month of one side (0 income, 1 expense), for a picture
    // of that side: the past month and the other side stay at zero. Sets
    // CurYear/CurMonth like ChangeImaMonth.
    void ChangeImaSide(int year, int month, int side);
    void ChangeImaSide(Database &db, int year, int month, int side);

    // Side 0 income, 1 expense. GetRows hands out the rows of the last
    // computation (an implicitly shared copy: cheap, and unaffected by the
    // next computation); any other side leaves rows as it was.
    void GetRows(int side, TYosanJissekiArray &rows) const;
    int RowCount(int side) const;

private:
    struct Window
    {
        QDate start;
        QDate end;
        bool valid() const { return start.isValid() && end.isValid(); }
    };

    // Computes the windows whose bits are set in windowMask (1 << IriKako and
    // so on); the others stay at zero.
    void compute(Database &db, int kakoYear, int kakoMonth, int imaYear, int imaMonth, unsigned windowMask);
    void rebuildRows();
    // The row of a category code on one side, -1 for none.
    static int rowOf(const QList<std::pair<int, int>> &index, int code);
    void addBudgets(Database &db, const Window windows[4]);
    void addActuals(Database &db, const Window windows[4]);
    void sumTotals();

    // Each side's rows by category code, sorted by code: the figures of a
    // month come as a few hundred rows, each looked up on both sides, and
    // walking the category caches for each of them would visit every
    // category of the side once per row.
    QList<std::pair<int, int>> m_iriIndex;
    QList<std::pair<int, int>> m_deruIndex;
    // The category caches the rows were built from.
    THimokuArray m_iriSource;
    THimokuArray m_deruSource;
};

// The one calculator of the program, alive for the whole run.
extern TYosanJissekiData YosanJissekiData;
