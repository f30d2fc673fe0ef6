#pragma once

#include <QString>

#include "platform/db/Currency.h"

class CurrencyGridModel;
class TYosanJissekiData;

// The contents of the budget page's four tables for one side, from the budget
// and actuals calculator: what the page shows and what a budget edit or a copy
// recomputes. Works on the tables' models alone (no widget, no book), so the
// figures can be checked, and timed, without a window.
//
// Layout of the three tall tables: row 0 the headings, row 1 the side's total
// ("合　計"), from row 2 on one row per category in the calculator's order.
//   budget table  (YosanHyou):   name, this month's budget (the category's code
//                                is the object of the name cell)
//   actual table  (JissekiHyou): actual, 過不足/残り, 充足率/使用率
//   past table    (KakoHyou):    name, budget, actual of the past month
// The summary (SyusiHyou): 予算, 実績, 差額 of 収入合計, 支出合計, 収支, 使用率.
class TYosanTables
{
public:
    static constexpr int TotalRow = 1;
    static constexpr int FirstCategoryRow = 2;
    // Summary rows and columns.
    enum { SyusiIri = 1, SyusiDeru = 2, SyusiSyusi = 3, SyusiRate = 4 };
    enum { SyusiYosan = 1, SyusiJisseki = 2, SyusiSagaku = 3 };

    // Refills the four tables for side 1 (income) or 2 (expense) from the
    // calculator's last computation, then runs CalcTables.
    static void FillTables(int side, const TYosanJissekiData &data, CurrencyGridModel &yosan,
                           CurrencyGridModel &jisseki, CurrencyGridModel &kako, CurrencyGridModel &syusi);
    // The computed cells from the budgets in the budget table's column 1 and
    // the actuals in the actual table's column 0: differences, rates and the
    // summary's balance, differences and rates. The summary's budget and actual
    // cells of both sides must be filled already.
    static void CalcTables(int side, CurrencyGridModel &yosan, CurrencyGridModel &jisseki, CurrencyGridModel &syusi);

    // part / whole x 100, rounded half away from zero, formatted like an amount
    // and followed by "%" ("1,234%"); empty when whole is 0, so no budget and
    // budgets that cancel out to 0 never divide.
    static QString RateText(Currency part, Currency whole);
    // The amount as plain text for editing: no separators, no trailing zeros
    // ("30000", "1234.5", "-500"); empty for 0.
    static QString PlainAmountText(Currency amount);
};
