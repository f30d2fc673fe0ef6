#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include "data/Holidays.h"

class Database;

// Closing-day and fiscal-period arithmetic: which dates make up an accounting
// month (月度) of a category or account, which accounting month a date falls
// in, the span of a fiscal year, and the payment date of an account. Every
// routine takes what it needs as arguments (the category's closing fields, the
// book's fiscal closing month and label shift, the holiday test), so none of
// them reads a table or keeps state.
//
// A closing day is 1..30 for that day of the month; 0 and 31 mean the month's
// last day, and -1 ("なし") is counted as the month's last day as well, at the
// entry of every routine here and in the closing-day history.

// One row of an account's closing-day history (SimebiList).
struct TSimebiChange
{
    QDate StartDate;
    int SimeBi = 31; // 1..31, month end as 31
    QDate SimeDate;  // the closing day in the month of StartDate
};
using TSimebiChangeList = QList<TSimebiChange>;

// The closing fields of one category or account (a Himoku row) with its history.
struct SimeSettings
{
    int SimeBi = 31;
    int SimeShift = 0;        // -1, 0, +1: label of the accounting month
    int SimeHolidayShift = 0; // 0..4
    int SimeAddDay = 0;       // -1, 0, +1 after the holiday shift
    TSimebiChangeList SimeHistory;
};

// The working record of one closing period of calendar month (Year, Month).
struct TSimePeriodRec
{
    int Year = 0;
    int Month = 0;
    int SimeDay = 0;
    QDate Start;
    QDate End;
    int Days = 0;
};

// Closing day as the routines use it: -1, 0 and anything past 30 become 31.
int NormalizeSimebi(int simeBi);
// "月末" for 0 and 31, "なし" for -1, else the number and "日".
QString SimebiToText(int simeBi);
// A history row with its day normalised and its SimeDate set.
TSimebiChange MakeSimebiChange(const QDate &startDate, int simeBi);

// Calendar month <-> accounting month (Nendo, month). Step is the account's
// SIMESHIFT (or 0): the accounting month is labelled one month before or after
// the calendar month in which its period ends.
void CalendarToNendo(int year, int month, int simeTuki, int shiftNendo, int step, int &nendo, int &nendoMonth);
void NendoToCalendar(int nendo, int month, int simeTuki, int shiftNendo, int step, int &year, int &calMonth);

// Moves a calendar (year, month) by k months.
void StepYearMonth(int &year, int &month, int k);
// The closing day of the last history row that starts on or before the first
// of the month; the first row's day when every row starts later.
int GetSimebiInEffect(int year, int month, const TSimebiChangeList &history);
// First and last day of a calendar month, and its number of days.
void GetCalendarMonthPeriod(int year, int month, QDate &start, QDate &end, int &days);
// The plain period of closing day d in (year, month): the day after the
// previous month's closing date up to this month's, each cut to the month.
void GetSimebiPeriod(int year, int month, int d, QDate &start, QDate &end, int &days);
bool DateInPeriod(const QDate &date, const QDate &start, const QDate &end);

// The closing date of (year, month) moved by the holiday rule and addDays.
// Without keep, a date pushed into a neighbouring month is brought back to
// this month's last or first day.
QDate GetShiftedSimeDate(int year, int month, int d, int rule, int addDays, bool keep, const HolidayTest &isHoliday);
// Fills Start, End and Days of rec from its Year, Month and SimeDay.
void FillSimePeriod(TSimePeriodRec &rec, int rule, int addDays, bool keep, const HolidayTest &isHoliday);
void GetShiftedSimePeriod(int year, int month, int d, int rule, int addDays, bool keep, const HolidayTest &isHoliday,
                          QDate &start, QDate &end, int &days);
// The period (and its calendar month) of closing day d that holds the date;
// false when none of the neighbouring periods does.
bool FindDateSimePeriod(int d, int rule, int addDays, bool keep, const QDate &date, const HolidayTest &isHoliday,
                        TSimePeriodRec &out);
// Periods of an account with a closing-day history of two or more rows.
void GetHistorySimePeriod(const SimeSettings &sime, int year, int month, const HolidayTest &isHoliday,
                          int &closingDay, QDate &start, QDate &end);
bool FindHistorySimeMonth(const SimeSettings &sime, const QDate &date, const HolidayTest &isHoliday,
                          TSimePeriodRec &out);

// Accounting month -> its dates for one category or account.
void GetHimokuSimePeriod(const SimeSettings &sime, int nendo, int month, int simeTuki, int shiftNendo,
                         const HolidayTest &isHoliday, int &closingDay, int &simeShift, QDate &start, QDate &end);
// Date -> the accounting month that holds it, with that month's period.
void FindHimokuSimeMonth(const SimeSettings &sime, int simeTuki, int shiftNendo, const QDate &date,
                         const HolidayTest &isHoliday, int &nendo, int &month, int &closingDay, int &simeShift,
                         int &days, QDate &start, QDate &end);
// Span of fiscal year nendo for a category or account (its own closing days).
void GetHimokuNendoPeriod(const SimeSettings &sime, int nendo, int simeTuki, int shiftNendo,
                          const HolidayTest &isHoliday, QDate &start, QDate &end);
// Span of fiscal year nendo in calendar months.
void GetNendoPeriod(int nendo, int simeTuki, int shiftNendo, QDate &start, QDate &end);

// Payment date of an account for accounting month (nendo, month): cycle months
// after the closing month, on day furikomiBi (month end for 0 or -1, cut to the
// month), moved by the holiday rule.
QDate GetFurikomiDate(int furikomiBi, int cycle, int holidayShift, int nendo, int month, int simeTuki,
                      int shiftNendo, const HolidayTest &isHoliday);

// Book layer.
// The account's SimebiList rows in STARTDATE order, normalised.
TSimebiChangeList LoadSimebiHistory(Database &db, int code);
// FURIKOMIBI and CYCLE of the Himoku row with that code; 0 when there is none.
int GetHimokuFurikomibi(Database &db, int code);
int GetHimokuCycle(Database &db, int code);
