#pragma once

#include <functional>

#include <QDate>
#include <QList>
#include <QString>

class Database;

// The book's calendar of special days: the holiday test and the four
// holiday-shift rules, and the expansion of the day rules ("DateMast") into the
// days of one year ("DateList").

// Day kinds of DateList/DateMast TYPE; kind 1 is the one the shift rules and
// closing dates treat as a holiday.
constexpr int DayKindWeekday = 0;
constexpr int DayKindNationalHoliday = 1;

// Answers whether a date is a holiday of the book (Sundays are tested by the
// shift rules themselves). An empty test stands for "Sundays only".
using HolidayTest = std::function<bool(const QDate &)>;

bool IsSaturday(const QDate &date);

// Sunday, or (unless the test is empty) a holiday by the test.
bool IsTableHoliday(const HolidayTest &isHoliday, const QDate &date);

// The four shift rules; each stops on the first date that qualifies.
void MoveBeforeHoliday(QDate &date, const HolidayTest &isHoliday);        // rule 1
void MoveAfterHoliday(QDate &date, const HolidayTest &isHoliday);         // rule 2
void MoveBeforeWeekendHoliday(QDate &date, const HolidayTest &isHoliday); // rule 3
void MoveAfterWeekendHoliday(QDate &date, const HolidayTest &isHoliday);  // rule 4
// Rules 1..4 as above; 0 and any other value leave the date.
void ApplyHolidayShift(QDate &date, int rule, const HolidayTest &isHoliday);

// The book-backed test: a DateList row of the date has TYPE 1 (whatever other
// rows the date has). The database must outlive the returned test.
HolidayTest TableHolidayTest(Database &db);
bool IsTableHoliday(Database &db, bool sundaysOnly, const QDate &date);
void ApplyHolidayShift(Database &db, QDate &date, int rule, bool sundaysOnly);

// One row of DateMast: a 0 in AYear..Yobi means "any"; StartDay and EndDay
// (null when empty) bound the dates, both included.
struct TDayRule
{
    qint32 DataNo = 0;
    QString Name;
    int AYear = 0;
    int AMonth = 0;
    int ADay = 0;
    int AWeek = 0;
    int Yobi = 0; // 1 Sunday .. 7 Saturday
    int Type = DayKindNationalHoliday;
    QDate StartDay;
    QDate EndDay;
};

// One row of DateList. DataNo 0 is a row not yet numbered; Changed marks rows
// the generation wrote.
struct TDayRow
{
    qint64 RowId = 0; // the row in the book; 0 for a row not yet stored
    qint32 DataNo = 0;
    QDate RecDate;
    QString Name;
    int Type = DayKindWeekday;
    QString Comment;
    bool Changed = false;
    bool Generated = false; // written by the generation in progress
};

// Weekday number of the rules: Sunday 1 .. Saturday 7.
int RuleWeekday(const QDate &date);

// Whether a rule's fields select the date. A rule with none of its seven fields
// set selects nothing, and the equinox rows ("春分の日", "秋分の日") are never
// selected by their fields: GenerateYearDays places them by computation.
bool DayRuleMatches(const TDayRule &rule, const QDate &date);

// Writes a generated day (date, name, kind).
using DayWriter = std::function<void(const QDate &date, const QString &name, int type)>;

// Expands the rules over every day of `year`, with the equinox rows, substitute
// holidays ("振替休日") and in-between holidays ("休日").
void GenerateYearDays(int year, const QList<TDayRule> &rules, const DayWriter &write);

// The in-memory form of the same write. Generation edits only a row of its own
// kind: the row of that date, kind and name, else for a national holiday the
// date's holiday row (a renamed holiday replaces its old name) that this run
// has not written yet; anything else is appended beside the date's other rows.
// So a user's anniversary or birthday on a holiday stays, and the holiday stays
// a holiday.
void WriteDayRow(QList<TDayRow> &days, const QDate &date, const QString &name, int type);
// GenerateYearDays into rows with WriteDayRow, after marking none generated.
void GenerateYearRows(int year, const QList<TDayRule> &rules, QList<TDayRow> &days);

// Book layer.
QList<TDayRule> LoadDayRules(Database &db);
QList<TDayRow> LoadYearDays(Database &db, int year);
// Numbers unnumbered rows with nextDataNo and writes changed and new rows, all in
// one transaction (nextDataNo must be able to join it, as the record-number
// counter does); the rows are updated only when it commits.
void SaveYearDays(Database &db, QList<TDayRow> &days, const std::function<qint32()> &nextDataNo);
// Generates a year in the book from its own rules and saves it.
void GenerateYearInBook(Database &db, int year, const std::function<qint32()> &nextDataNo);
// True when the year has at least one day of kind 1.
bool YearHasHolidays(Database &db, int year);
