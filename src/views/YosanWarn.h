#pragma once

#include <cstdint>

#include <QDate>
#include <QList>

#include "platform/db/Currency.h"

class Database;

// The budget of one category of the loaded month.
struct TYosanWarnRec
{
    int32_t Code = 0;
    bool Warn = false;   // the category's YOSANWARN flag: it takes part in the pace
    Currency Yosan;      // 0 when no budget is stored
};

// One accounting month's budgets of every category of one side, for the income
// and expense entry pages: their budget-rate column and the expense page's
// pace figure. Rows follow the side's category cache (IriHimokuArray for kind
// 1, DeruHimokuArray otherwise), so row i is the category of table row i.
// Only reads "Yosan.db"; the actual amounts are the entry page's own.
class TYosanWarn
{
public:
    explicit TYosanWarn(uint8_t kind);

    uint16_t Year = 0;
    uint16_t Month = 0;
    Currency WarnTotal;   // sum of Yosan over the rows whose Warn is on
    Currency Total;       // sum of Yosan over all rows
    uint8_t Kind = 0;     // 1 income; any other value expense
    QList<TYosanWarnRec> Rows;

    // Loads the budgets of the fiscal (year, month); monthShift is the
    // SIMESHIFT of the side's group (GetGroupSimeShift), so the budget month is
    // the one the budget page writes. When a category has two budget rows for
    // the month, the first stored one counts. Without a database argument the
    // data module's book is read; with no book open every budget is 0. Engine
    // errors propagate.
    void LoadBudget(int year, int month, int monthShift);
    void LoadBudget(Database &db, int year, int month, int monthShift);

    Currency TotalBudget() const { return Total; }
    Currency WarnBudget() const { return WarnTotal; }

    // Budget rate of a category row: amount / budget x 100, rounded half away
    // from zero; 0 for a category without budget.
    static int BudgetRate(Currency amount, Currency budget);
    // Budget rate of the totals row: the month's total against the total
    // budget. Budgets may be negative, so flagged and unflagged ones can cancel
    // out: the test is on the divisor itself, 0 when it is 0.
    int TotalRate(Currency monthTotal) const;
    // The pace of the flagged categories: their amounts against the share of
    // the warning budget that the days passed so far stand for, x 100.
    // 0 when the warning budget is not above 0.
    double Pace(Currency warnAmount, const QDate &periodStart, const QDate &periodEnd,
                const QDate &today) const;
    // The same on a given warning budget. Days passed h = days from the
    // period's start to today plus 1, at most the period's days g; a period not
    // yet begun or already ended counts whole (h = g), so a month that has
    // ended is judged on its whole budget.
    static double BudgetPace(Currency warnAmount, Currency warnBudget, const QDate &periodStart,
                             const QDate &periodEnd, const QDate &today);
};

// The two warning objects of the program, alive for the whole run.
extern TYosanWarn IriYosanWarn;  // kind 1, income page
extern TYosanWarn DeruYosanWarn; // kind 2, expense page
