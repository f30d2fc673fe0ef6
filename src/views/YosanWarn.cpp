#include "views/YosanWarn.h"

#include <algorithm>

#include <QHash>
#include <QVariant>

#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "data/SimeDate.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

TYosanWarn IriYosanWarn(1);
TYosanWarn DeruYosanWarn(2);

TYosanWarn::TYosanWarn(uint8_t kind)
    : Kind(kind)
{
}

void TYosanWarn::LoadBudget(int year, int month, int monthShift)
{
    if (DatMod && DatMod->DataOpen && DatMod->MainDatabase.isOpen()) {
        LoadBudget(DatMod->MainDatabase, year, month, monthShift);
        return;
    }
    Year = uint16_t(year);
    Month = uint16_t(month);
    WarnTotal = Currency();
    Total = Currency();
    Rows.clear();
    for (const THimokuData &h : (Kind == 1 ? IriHimokuArray : DeruHimokuArray))
        Rows << TYosanWarnRec{h.Code, h.YosanWarn, Currency()};
}

void TYosanWarn::LoadBudget(Database &db, int year, int month, int monthShift)
{
    Year = uint16_t(year);
    Month = uint16_t(month);
    int calYear = 0;
    int calMonth = 0;
    NendoToCalendar(year, month, CurSimeTuki, CurShiftNendo, monthShift, calYear, calMonth);
    const QDate budgetDate(calYear, calMonth, 1);
    WarnTotal = Currency();
    Total = Currency();
    Rows.clear();
    const THimokuArray &cache = Kind == 1 ? IriHimokuArray : DeruHimokuArray;
    for (const THimokuData &h : cache)
        Rows << TYosanWarnRec{h.Code, h.YosanWarn, Currency()};
    if (Rows.isEmpty() || !budgetDate.isValid())
        return;

    // One read of the month's budget rows in stored order; the first row of a
    // code is the one a locate would find. BUNRUI is not compared.
    QHash<int, Currency> budgets;
    Statement st(db, u"SELECT HIMOKUCODE, KINGAKU FROM Yosan WHERE RECDATE = ? ORDER BY rowid"_s);
    st.bind(1, budgetDate);
    while (st.next()) {
        if (st.isNull(0))
            continue;
        const int code = int(st.intValue(0));
        if (!budgets.contains(code))
            budgets.insert(code, st.isNull(1) ? Currency() : Currency::fromDouble(st.doubleValue(1)));
    }
    for (TYosanWarnRec &r : Rows) {
        r.Yosan = budgets.value(r.Code);
        if (r.Warn)
            WarnTotal += r.Yosan;
        Total += r.Yosan;
    }
}

int TYosanWarn::BudgetRate(Currency amount, Currency budget)
{
    if (budget.isZero())
        return 0;
    return int(RoundHalfAway(amount.toDouble() / budget.toDouble() * 100.0));
}

int TYosanWarn::TotalRate(Currency monthTotal) const
{
    return BudgetRate(monthTotal, Total);
}

double TYosanWarn::Pace(Currency warnAmount, const QDate &periodStart, const QDate &periodEnd,
                        const QDate &today) const
{
    return BudgetPace(warnAmount, WarnTotal, periodStart, periodEnd, today);
}

double TYosanWarn::BudgetPace(Currency warnAmount, Currency warnBudget, const QDate &periodStart,
                              const QDate &periodEnd, const QDate &today)
{
    if (warnBudget <= Currency() || !periodStart.isValid() || !periodEnd.isValid() || periodEnd < periodStart)
        return 0.0;
    const qint64 g = periodStart.daysTo(periodEnd) + 1;
    qint64 h = g;
    if (today.isValid() && today >= periodStart)
        h = std::min(g, periodStart.daysTo(today) + 1);
    return warnAmount.toDouble() / (warnBudget.toDouble() * double(h) / double(g)) * 100.0;
}
