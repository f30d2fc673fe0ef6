#pragma once

#include <cstdint>

#include <QDate>
#include <QList>
#include <QString>

#include "data/SimeDate.h"
#include "data/Vocabulary.h"
#include "platform/db/Currency.h"

class Database;

// In-memory copies of the category table ("Himoku.db") and the national holidays
// of the open book ("DateList.db" rows of kind 1). Nearly every screen asks for a
// category's name, kind, closing and payment days or whether a date is a holiday;
// reading the tables for each question would be slow, so these are rebuilt whole
// after a book opens and after every change to the tables they copy.
//
// Rebuild rules: every routine that writes Himoku or SimebiList calls
// LoadHimokuCaches; every save of DateList calls LoadHolidayList.

// One cached category or account.
struct THimokuData
{
    int32_t No = 0;         // position in its cache
    int32_t Code = 0;
    QString Name;
    bool Karigata = false;  // the class's normal side is the debit side
    int32_t ListIndex = 0;  // position in its cache (what FindHimokuIndex gives)
    Currency Syokizan;      // opening balance
    uint8_t Kind = 0;       // 1 income, 2 expense, 3 account (asset or liability)
    uint8_t Bunrui = 0;
    uint8_t Bu1 = 0;        // major class of Bunrui: 1 収入, 2 支出, 3 資産, 4 負債, 0 none
    uint8_t Bu2 = 0;        // account kind of Bunrui
    bool Tokubetu = false;  // special category
    int32_t SimeBi = 31;    // closing day; a stored 0 reads as 31 (group rows keep 0)
    int32_t FurikomiBi = 0; // payment day
    int32_t Cycle = 0;      // months from closing to payment
    uint8_t HolidayShift = 0;
    int32_t AiteCode = 0;   // paying account, or the category's default account
    int32_t SimeHistoryCount = 0;
    TSimebiChangeList SimeHistory;
    bool SimeHistroy = false;
    int32_t SimeShift = 0;
    uint8_t SimeHolidayShift = 0;
    int32_t SimeAddDay = 0;
    uint8_t ZeiAtukai = 3;
    bool YosanWarn = false;

    // The closing fields in the form the closing-day arithmetic takes.
    SimeSettings simeSettings() const;
};
using THimokuArray = QList<THimokuData>;

// The five caches, each replaced whole at every rebuild. All in POS order (then
// the table's order for equal POS).
//   IriHimokuArray    income categories (special ones only while TokubetuShowFlag)
//   DeruHimokuArray   expense categories (the same)
//   KouzaHimokuArray  accounts, asset and liability (the same)
//   VisibleHimokuArray  the group rows 1 収入, 2 支出, 3 口座, then every visible row
//   AllHimokuArray      the group rows, then every row, hidden ones included
extern THimokuArray IriHimokuArray;
extern THimokuArray DeruHimokuArray;
extern THimokuArray KouzaHimokuArray;
extern THimokuArray VisibleHimokuArray;
extern THimokuArray AllHimokuArray;

// One national holiday of the open book.
struct THoliDayRec
{
    QDate Date;
    QString Name;
    uint8_t Kind = DayKindNationalHoliday;
};
// The holidays of the open book, one entry per date.
extern QList<THoliDayRec> HoliDayList;

// ---- building -------------------------------------------------------------

// Rebuilds the five caches from the book. A missing group row (codes 1, 2, 3) is
// added to the table first, so the visible and all caches always begin with them.
void LoadHimokuCaches(Database &db);
// The same on the query module's book (DatModSql); empties the caches when there
// is no query module.
void LoadHimokuCaches();
// Empties every cache and the holiday list (a book was closed).
void ClearHimokuCaches();

// The BunruiTable row of a BUNRUI value (compared as a byte); row 0 (未使用) for
// a value in no row.
const TBunruiRec &GetBunruiRec(int bunrui);
int BunruiToBu1(int bunrui);

// ---- category lookups -----------------------------------------------------
// Each searches from the first entry; the first match wins. A null cache is an
// empty one.

int FindHimokuCodeByName(const QString &name, const THimokuArray *cache); // -1 when none
// In IriHimokuArray (kind 1), DeruHimokuArray (2) or KouzaHimokuArray (3); -1
// when not found or for another kind.
int GetHimokuCodeByName(const QString &name, int kind);
int FindHimokuIndex(int code, const THimokuArray *cache);            // ListIndex, -1
QString FindHimokuName(int code, const THimokuArray *cache);         // empty
bool FindHimokuKarigata(int code, const THimokuArray *cache);        // True
int FindHimokuAiteCode(int code, const THimokuArray *cache);         // -1
int FindHimokuZeiAtukai(int code, const THimokuArray *cache);        // 3 (無指定)
// 1 income, 2 expense, 3 account by the visible row's major class; 0 for a code
// that is hidden, missing, or one of the group rows.
int GetHimokuKind(int code);
// Major class of the row in AllHimokuArray (hidden rows too); 0 when missing.
int GetHimokuBu1(int code);
// True and a copy of the record; when the code is missing, false and a copy of
// the cache's first record (an empty record for an empty cache).
bool FindHimokuData(int code, const THimokuArray *cache, THimokuData &record);
// In VisibleHimokuArray / AllHimokuArray; when missing, false and record untouched.
bool GetHimokuData(int code, THimokuData &record);
bool GetAllHimokuData(int code, THimokuData &record);
// BUNRUI of the Himoku row itself (not the caches); 0 when there is none.
int GetHimokuBunrui(Database &db, int code);

// ---- holiday list ---------------------------------------------------------

// Refills HoliDayList with the DateList rows of kind 1 in table order; a second
// row of a date already listed is skipped.
void LoadHolidayList(Database &db);
// The same on the query module's book; empties the list without one.
void LoadHolidayList();
// Appends a holiday unless the date is listed already.
void AddHoliday(const QString &name, const QDate &date);
bool IsHoliday(const QDate &date);
QString GetHolidayName(const QDate &date);

// ---- closing days of a cached category ------------------------------------
// The closing-day arithmetic on the settings of a category in
// VisibleHimokuArray; holidays are the book's DateList days (the table test).
// When the code is not in the cache, nothing is written.

// SIMESHIFT of group row 1, 2 or 3 (income, expense, accounts); 0 for another
// kind or when the row is missing.
int GetGroupSimeShift(int kind);
void GetHimokuSimePeriod(Database &db, int code, int nendo, int month, int simeTuki, int shiftNendo,
                         int &closingDay, int &simeShift, QDate &start, QDate &end);
void FindHimokuSimeMonth(Database &db, int code, int simeTuki, int shiftNendo, const QDate &date, int &nendo,
                         int &month, int &closingDay, int &simeShift, int &days, QDate &start, QDate &end);
void GetHimokuNendoPeriod(Database &db, int code, int nendo, int simeTuki, int shiftNendo, QDate &start,
                          QDate &end);
