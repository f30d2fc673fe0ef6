#pragma once

#include <stdexcept>

#include <QDate>
#include <QString>

// Plain date arithmetic shared by the closing-day routines, the holiday
// calendar and the pages: closing dates of a month, stepping accounting months,
// clamped date encoding and the two equinox days. No state, no tables.

// A date that cannot be encoded (day 0, a month outside 1..12). Callers that
// build dates from stored numbers let it reach the standard error box.
class EDateError : public std::runtime_error
{
public:
    explicit EDateError(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Number of days of (year, month); throws EDateError for a month outside 1..12.
int DaysOfMonth(int year, int month);

// The closing date of (year, month) for closing day `day`: the month's last day
// for 0, 31, -1 ("none") or any day at or past the month's length.
QDate GetSimeDate(int year, int month, int day);

// The closing period of (year, month) for closing day `day`: true with start
// and end set; false (nothing written) for a day over 31 or a bad month.
// Day 0, 31 and -1 give the calendar month.
bool GetSimePeriod(QDate &start, QDate &end, int year, int month, int day);

// Moves an accounting month (nendo, month) one month forward or back for the
// fiscal closing month simeTuki; the fiscal-year number changes on the first
// month after the closing month.
void IncNendoMonth(int &nendo, int &month, int simeTuki);
void DecNendoMonth(int &nendo, int &month, int simeTuki);

// The date with `day` cut to the month's length; throws EDateError for day 0
// or less or a month outside 1..12.
QDate SafeEncodeDate(int year, int month, int day);

// Whole days a minus b (negative when a is earlier).
int DiffDays(const QDate &a, const QDate &b);

// Vernal and autumnal equinox days of a year (formula for 1980..2099, March 21
// and September 23 outside).
QDate GetSyunbunDate(int year);
QDate GetSyuubunDate(int year);
