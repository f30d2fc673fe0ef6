#pragma once

#include <cstdint>

#include <QDate>
#include <QList>
#include <QString>

#include "platform/db/Currency.h"
#include "views/KouzaRegister.h"

class Database;

// One listed account or category of the account totals, with its period and
// its balances. Every balance runs in the item's own direction: an asset or
// expense grows with debits, a liability or income with credits.
struct TKouzaData
{
    int32_t Code = 0;
    QString Name;
    uint8_t Bunrui = 0;
    bool Karigata = true;
    uint8_t Bu1 = 0;
    uint8_t Bu2 = 0;
    int32_t SimeBi = 0;
    int32_t SimeShift = 0;
    int16_t DayCount = 0;
    int32_t FurikomiBi = 0;
    QDate StartDate, EndDate;
    QDate NendoStart, NendoEnd;
    int16_t Nendo = 0, Getudo = 0;
    Currency NyukinGaku;   // debits inside the period
    Currency SyukkinGaku;  // credits inside the period
    Currency Syokizan;
    Currency ZenkiZan;     // before NendoStart
    Currency ZengetuZan;   // before StartDate
    Currency YokugetuGaku; // after EndDate
    Currency KensakuZan;   // on the detail totals date
    Currency GetumatuZan;  // at EndDate
    Currency GaiyoZan;     // on the overview totals date
    Currency ZenbuZan;     // every line
};
using TKouzaDataArray = QList<TKouzaData>;

// One account class (a BunruiTable row). Row 0 holds the year's net result of
// the income and expense categories.
struct TBunruiInfo
{
    uint8_t Bunrui = 0;
    QString Name;
    int32_t Count = 0;
    bool Karigata = false;
    uint8_t Bu1 = 0, Bu2 = 0;
    Currency Syokizan, GaiyoZan, ZenbuZan, ZenkiZan, ZengetuZan;
    int32_t SimeBi = 0, SimeShift = 0;
    int16_t DayCount = 0;
    QDate StartDate, EndDate, NendoStart, NendoEnd;
    int16_t Nendo = 0, Getudo = 0;
};
using TBunruiInfoArray = QList<TBunruiInfo>;

// The balances of every visible account (or income and expense category) and
// account class, computed from the journal in one go.
//
// The journal is not walked line by line: one grouped query per side (debit,
// credit) joins the journal with a small table of each item's period dates
// and sums the amounts into the buckets the page shows (before the fiscal
// year, before the month, inside it, after it, up to each totals date, all).
// Amounts are summed as exact ten-thousandths, so no sum drifts however many
// lines it adds. Hidden categories and accounts are not in the item table, so
// their side of a line counts nowhere.
//
// The category caches of the open book must be loaded (LoadHimokuCaches).
class TKouzaSyukeiData
{
public:
    // Inputs of a computation.
    int View = 0;               // 0 asset overview, 1 income and expense, 2 account detail
    bool GetudoMode = true;     // accounting months (月度集計), else calendar months
    int RegisterKind = 0;       // 4, 5, 6 list income and expense, anything else the accounts
    int Nendo = 0, Getudo = 0;  // the detail view's fiscal year and month (set by the overviews in calendar mode)
    bool SameIriDeruSime = true;
    QString ConditionSql;       // extra WHERE text of the conditional totals, empty for none
    QDate GaiyoDate;            // overview totals date
    QDate SearchDate;           // detail totals date
    bool IncludeReserved = false;

    // Results.
    TKouzaDataArray Items;
    TBunruiInfoArray Classes;
    // The RegisterKind the class periods were computed for (row 0 depends on it).
    int ComputedKind = -1;
    bool Computed = false;

    TKouzaSyukeiData();

    // Rebuilds both lists from the book. Engine errors propagate; the lists
    // then hold the opening balances only.
    void Recalculate(Database &db);

    // What the register of a subject shows, from the last computation:
    //   kind 1 or 5  one account or category, index into Items
    //   kind 0       one account class, index into Classes
    //   kind 2 or 4  all assets (3), liabilities (4), income (1) or expense (2): index is the major class
    //   kind 3 or 6  net worth or the year's result; index unused
    // False when there is nothing to show (a bad index, a class or major class
    // without listed items). title, nendo, getudo and bu1 are what the page shows
    // and colours the chart by.
    bool MakeSubject(int kind, int index, bool monthly, TRegisterSubject &subject, QString &title, int &nendo,
                     int &getudo, int &bu1) const;

    // The item / class index of a code or BUNRUI; -1 when not listed.
    int ItemIndexOf(int code) const;
    int ClassIndexOf(int bunrui) const;

private:
    void buildItems(Database &db);
    void buildClasses(Database &db);
    void setPeriod(Database &db, int code, int16_t &nendo, int16_t &getudo, int32_t &simeBi, int32_t &simeShift,
                   int16_t &dayCount, QDate &start, QDate &end, QDate &nendoStart, QDate &nendoEnd);
    void scan(Database &db);
    void finish();
};
