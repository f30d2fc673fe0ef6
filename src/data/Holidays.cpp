#include "data/Holidays.h"

#include <algorithm>

#include "data/DateCalc.h"
#include "platform/db/Database.h"

namespace {

const QString kSyunbunName = QStringLiteral("春分の日");
const QString kSyuubunName = QStringLiteral("秋分の日");
const QString kSubstituteName = QStringLiteral("振替休日");
const QString kInBetweenName = QStringLiteral("休日");

bool isSunday(const QDate &date)
{
    return date.dayOfWeek() == Qt::Sunday;
}

QVariant dateValue(const QDate &date)
{
    return date.isValid() ? QVariant(date) : QVariant();
}

QDate readDate(const Statement &st, int column)
{
    if (st.isNull(column))
        return QDate();
    return QDate::fromString(st.textValue(column).left(10), Qt::ISODate);
}

} // namespace

bool IsSaturday(const QDate &date)
{
    return date.dayOfWeek() == Qt::Saturday;
}

bool IsTableHoliday(const HolidayTest &isHoliday, const QDate &date)
{
    if (isSunday(date))
        return true;
    return isHoliday && isHoliday(date);
}

void MoveBeforeHoliday(QDate &date, const HolidayTest &isHoliday)
{
    while (IsTableHoliday(isHoliday, date))
        date = date.addDays(-1);
}

void MoveAfterHoliday(QDate &date, const HolidayTest &isHoliday)
{
    while (IsTableHoliday(isHoliday, date))
        date = date.addDays(1);
}

void MoveBeforeWeekendHoliday(QDate &date, const HolidayTest &isHoliday)
{
    bool moved;
    do {
        moved = false;
        if (IsTableHoliday(isHoliday, date)) {
            date = date.addDays(-1);
            moved = true;
        }
        if (IsSaturday(date)) {
            date = date.addDays(-1);
            moved = true;
        }
    } while (moved);
}

void MoveAfterWeekendHoliday(QDate &date, const HolidayTest &isHoliday)
{
    bool moved;
    do {
        moved = false;
        if (IsTableHoliday(isHoliday, date)) {
            date = date.addDays(1);
            moved = true;
        }
        if (IsSaturday(date)) {
            date = date.addDays(1);
            moved = true;
        }
    } while (moved);
}

void ApplyHolidayShift(QDate &date, int rule, const HolidayTest &isHoliday)
{
    switch (rule) {
    case 1:
        MoveBeforeHoliday(date, isHoliday);
        break;
    case 2:
        MoveAfterHoliday(date, isHoliday);
        break;
    case 3:
        MoveBeforeWeekendHoliday(date, isHoliday);
        break;
    case 4:
        MoveAfterWeekendHoliday(date, isHoliday);
        break;
    default:
        break;
    }
}

HolidayTest TableHolidayTest(Database &db)
{
    return [&db](const QDate &date) {
        // Any holiday row of the date counts, as in the holiday list: a user's
        // own anniversary or birthday on a holiday stands beside it and must not
        // make it a workday for closing and payment dates.
        Statement st(db, QStringLiteral("SELECT 1 FROM DateList WHERE RECDATE = ? AND TYPE = ? LIMIT 1"));
        st.bind(1, date);
        st.bind(2, DayKindNationalHoliday);
        return st.next();
    };
}

bool IsTableHoliday(Database &db, bool sundaysOnly, const QDate &date)
{
    return IsTableHoliday(sundaysOnly ? HolidayTest() : TableHolidayTest(db), date);
}

void ApplyHolidayShift(Database &db, QDate &date, int rule, bool sundaysOnly)
{
    ApplyHolidayShift(date, rule, sundaysOnly ? HolidayTest() : TableHolidayTest(db));
}

int RuleWeekday(const QDate &date)
{
    return date.dayOfWeek() % 7 + 1; // Qt: Monday 1 .. Sunday 7
}

bool DayRuleMatches(const TDayRule &rule, const QDate &date)
{
    if (rule.Name == kSyunbunName || rule.Name == kSyuubunName)
        return false;
    const bool anySet = rule.ADay != 0 || rule.AMonth != 0 || rule.AYear != 0 || rule.AWeek != 0
                        || rule.Yobi != 0 || rule.StartDay.isValid() || rule.EndDay.isValid();
    if (!anySet)
        return false;
    return (rule.ADay == 0 || rule.ADay == date.day()) && (rule.AMonth == 0 || rule.AMonth == date.month())
           && (rule.AYear == 0 || rule.AYear == date.year())
           && (rule.AWeek == 0 || rule.AWeek == (date.day() - 1) / 7 + 1)
           && (rule.Yobi == 0 || rule.Yobi == RuleWeekday(date))
           && (!rule.StartDay.isValid() || rule.StartDay <= date) && (!rule.EndDay.isValid() || rule.EndDay >= date);
}

void GenerateYearDays(int year, const QList<TDayRule> &rules, const DayWriter &write)
{
    const QDate syunbun = GetSyunbunDate(year);
    const QDate syuubun = GetSyuubunDate(year);

    // Only national-holiday rules (kind 1) count for substitute and in-between
    // days: a birthday or anniversary on a Sunday is no reason for a day off, and
    // a day made off this way is a national holiday itself.
    bool dayBeforeHadHoliday = false;
    bool yesterdayHadHoliday = false;
    bool yesterdayWasSubstitute = false;
    bool substitutePending = false;

    for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1)) {
        bool holidayToday = false;
        for (const TDayRule &rule : rules) {
            const bool applies = DayRuleMatches(rule, d) || (d == syunbun && rule.Name == kSyunbunName)
                                 || (d == syuubun && rule.Name == kSyuubunName);
            if (!applies)
                continue;
            write(d, rule.Name, rule.Type);
            if (rule.Type != DayKindNationalHoliday)
                continue;
            holidayToday = true;
            if (isSunday(d))
                substitutePending = true;
            // A lone workday between two holidays is a day off, unless it is a
            // Sunday or already the substitute of the Sunday before it (that
            // name must stay).
            const QDate yesterday = d.addDays(-1);
            if (dayBeforeHadHoliday && !yesterdayHadHoliday && !isSunday(yesterday) && !yesterdayWasSubstitute)
                write(yesterday, kInBetweenName, DayKindNationalHoliday);
        }
        bool substituteToday = false;
        if (!holidayToday && substitutePending) {
            write(d, kSubstituteName, DayKindNationalHoliday);
            substitutePending = false;
            substituteToday = true;
        }
        dayBeforeHadHoliday = yesterdayHadHoliday;
        yesterdayHadHoliday = holidayToday;
        yesterdayWasSubstitute = substituteToday;
    }
}

void WriteDayRow(QList<TDayRow> &days, const QDate &date, const QString &name, int type)
{
    const auto write = [&](TDayRow &row) {
        if (row.Name != name || row.Type != type) {
            row.Name = name;
            row.Type = type;
            row.Changed = true;
        }
        row.Generated = true;
    };
    for (TDayRow &row : days)
        if (row.RecDate == date && row.Type == type && row.Name == name)
            return write(row);
    if (type == DayKindNationalHoliday)
        for (TDayRow &row : days)
            if (row.RecDate == date && row.Type == type && !row.Generated)
                return write(row);
    TDayRow row;
    row.RecDate = date;
    row.Name = name;
    row.Type = type;
    row.Changed = true;
    row.Generated = true;
    // Keep date order so that the day grid and a later lookup see what the
    // loaded year would show.
    auto pos = std::upper_bound(days.begin(), days.end(), date,
                                [](const QDate &d, const TDayRow &r) { return d < r.RecDate; });
    days.insert(pos, row);
}

void GenerateYearRows(int year, const QList<TDayRule> &rules, QList<TDayRow> &days)
{
    for (TDayRow &row : days)
        row.Generated = false;
    GenerateYearDays(year, rules,
                     [&days](const QDate &date, const QString &name, int type) { WriteDayRow(days, date, name, type); });
}

QList<TDayRule> LoadDayRules(Database &db)
{
    QList<TDayRule> rules;
    Statement st(db, QStringLiteral("SELECT DATANO, NAME, AYEAR, AMONTH, ADAY, AWEEK, YOBI, TYPE, STARTDAY, ENDDAY "
                                    "FROM DateMast ORDER BY rowid"));
    while (st.next()) {
        TDayRule r;
        r.DataNo = qint32(st.intValue(0));
        r.Name = st.textValue(1);
        r.AYear = int(st.intValue(2));
        r.AMonth = int(st.intValue(3));
        r.ADay = int(st.intValue(4));
        r.AWeek = int(st.intValue(5));
        r.Yobi = int(st.intValue(6));
        r.Type = int(st.intValue(7));
        r.StartDay = readDate(st, 8);
        r.EndDay = readDate(st, 9);
        rules.append(r);
    }
    return rules;
}

QList<TDayRow> LoadYearDays(Database &db, int year)
{
    QList<TDayRow> days;
    Statement st(db, QStringLiteral("SELECT rowid, DATANO, RECDATE, NAME, TYPE, COMMENT FROM DateList "
                                    "WHERE RECDATE >= ? AND RECDATE <= ? ORDER BY RECDATE, rowid"));
    st.bind(1, QDate(year, 1, 1));
    st.bind(2, QDate(year, 12, 31));
    while (st.next()) {
        TDayRow r;
        r.RowId = st.intValue(0);
        r.DataNo = qint32(st.intValue(1));
        r.RecDate = readDate(st, 2);
        r.Name = st.textValue(3);
        r.Type = int(st.intValue(4));
        r.Comment = st.textValue(5);
        days.append(r);
    }
    return days;
}

void SaveYearDays(Database &db, QList<TDayRow> &days, const std::function<qint32()> &nextDataNo)
{
    // Numbers are taken inside the write's transaction (the counter joins it), so
    // a failed save gives back its numbers too; the rows learn them only after
    // the commit, so a retried save never stores a number the counter gives again.
    QList<TDayRow> saved = days;
    Transaction tx(db);
    for (TDayRow &row : saved) {
        if (row.DataNo == 0) {
            row.DataNo = nextDataNo();
            row.Changed = true;
        }
    }
    Statement update(db, QStringLiteral("UPDATE DateList SET DATANO = ?, RECDATE = ?, NAME = ?, TYPE = ?, COMMENT = ? "
                                        "WHERE rowid = ?"));
    Statement insert(db, QStringLiteral("INSERT INTO DateList (DATANO, RECDATE, NAME, TYPE, COMMENT) "
                                        "VALUES (?, ?, ?, ?, ?)"));
    for (TDayRow &row : saved) {
        if (!row.Changed)
            continue;
        Statement &st = row.RowId ? update : insert;
        st.reset();
        st.bind(1, row.DataNo);
        st.bind(2, dateValue(row.RecDate));
        st.bind(3, row.Name);
        st.bind(4, row.Type);
        st.bind(5, row.Comment.isNull() ? QVariant() : QVariant(row.Comment));
        if (row.RowId)
            st.bind(6, row.RowId);
        st.exec();
        if (!row.RowId)
            row.RowId = db.lastInsertRowId();
        row.Changed = false;
    }
    tx.commit();
    days = saved;
}

void GenerateYearInBook(Database &db, int year, const std::function<qint32()> &nextDataNo)
{
    const QList<TDayRule> rules = LoadDayRules(db);
    QList<TDayRow> days = LoadYearDays(db, year);
    GenerateYearRows(year, rules, days);
    SaveYearDays(db, days, nextDataNo);
}

bool YearHasHolidays(Database &db, int year)
{
    const QVariant n = db.scalar(QStringLiteral("SELECT COUNT(*) FROM DateList WHERE TYPE = 1 "
                                                "AND RECDATE >= ? AND RECDATE <= ?"),
                                 {QDate(year, 1, 1), QDate(year, 12, 31)});
    return n.toLongLong() > 0;
}
