#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include "platform/db/Currency.h"

class Database;

// One day's sum of one category (or account) on one side of the journal.
struct TDayCodeSum
{
    QDate Date;
    int Code = 0;
    Currency Amount;
};

// The sums of a journal page's monthly table: the lines from start to end (both
// included) grouped by day and by the code on one side ("KARICODE" for the
// expense page, "KASICODE" for the income page). One grouped query over the
// date index reads only the period's lines. A line whose RESERVED is empty
// counts as booked, as it does in the detail; scheduled lines (RESERVED true)
// count only when includeReserved.
QList<TDayCodeSum> ReadMonthSums(Database &db, const QDate &start, const QDate &end, const QString &codeField,
                                 bool includeReserved);

// The text of that query, with the parameters :StartDate and :EndDate.
QString MonthSumsSql(const QString &codeField, bool includeReserved);

// The condition that leaves scheduled lines out of a journal query: an empty
// RESERVED counts as booked.
QString BookedLinesCondition();
