#pragma once

#include <memory>

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "data/Holidays.h"
#include "data/MeisaiClientDataSet.h"
#include "platform/db/Currency.h"

class Database;
class DataSet;
class Provider;
class Query;

// Scheduled entries: the cards of "ReserveList.DB" that say what to book every
// month, the journal lines generated from them, and the due lines that the
// start-up offers for booking.

// RECKIND of a live card; a deleted card keeps its row with 0 so that its
// number is never given again.
constexpr int ReserveCardLive = 4;
constexpr int ReserveCardDeleted = 0;

// The card of one scheduled entry (one row of "ReserveList.DB", chosen by the
// parameter ReceiptNo), in its own change log until the card is saved.
class TReserveCardClt : public TMeisaiClientDataSet
{
public:
    explicit TReserveCardClt(Database &db);
    ~TReserveCardClt() override;

    // Closes and reopens on the card with that number (0: an empty data set).
    void OpenCard(int receiptNo);

private:
    std::unique_ptr<Query> m_sql;
    std::unique_ptr<Provider> m_prv;
};

// What generation needs of a card.
struct TReserveCard
{
    int ReceiptNo = 0;
    int Kind = 2;           // SYUSIIDO: 1 income, 2 expense, 3 transfer
    int KariCode = 0;
    int KasiCode = 0;
    int ShopCode = 0;
    int HinmeiCode = 0;
    int PersonCode = 0;
    int ZeiAtukai = 0;
    bool Monthly = false;
    Currency Kingaku;
    Currency MonthGaku[12];
    int PostDate = 0;       // 1..30; 0 the month's end
    int HolidayShift = 0;   // 0..4
    int StartYear = 0, StartMonth = 0, EndYear = 0, EndMonth = 0;

    // KINGAKU, or M<month>GAKU for a monthly card.
    Currency MonthAmount(int month) const;
};

// The card of the current row of a "ReserveList.DB" data set.
TReserveCard ReadReserveCard(const DataSet &card);

// One line a card gives for a month.
struct TReserveLinePlan
{
    int MonthCode = 0;
    QDate Date;
    Currency Amount;
};

// The lines of a card from its start month to its end month: the posting day
// cut to the month's length (so 31 and "月末" are the month's last day), moved
// by the holiday rule (it may leave the month; the line keeps its month's
// code). Skipped: a monthly card's months of amount 0, months in
// existingMonthCodes, and dates on or before lockDate (null: no lock date).
QList<TReserveLinePlan> PlanReserveLines(const TReserveCard &card, const QSet<int> &existingMonthCodes,
                                         const QDate &lockDate, const HolidayTest &isHoliday);

// Appends the planned lines of a card to the journal lines (which hold the
// card's lines already): scheduled when dated after today, booked otherwise.
// The lines stay in the change log until the journal is saved. Returns the
// number of lines appended.
int GenerateReserveLines(TMeisaiClientDataSet &lines, const TReserveCard &card, const QDate &today,
                         const QDate &lockDate, const HolidayTest &isHoliday);

// "新規予約" followed by the first number whose name no card row has.
QString NewReserveCardName(Database &db);

// The due-entry query: scheduled lines dated today or earlier and after the
// lock date (null: none), by date then line number.
QStringList DueEntriesSql(const QDate &today, const QDate &lockDate);

// Scheduled lines that the lock date keeps from ever being offered: how many
// and their first and last date.
struct TLockedReserved
{
    int Count = 0;
    QDate First;
    QDate Last;
};
TLockedReserved CountLockedReserved(Database &db, const QDate &lockDate);
// The text that tells the user about them; empty when there are none.
QString LockedReservedMessage(const TLockedReserved &locked);
