#include "data/DateCalc.h"

EDateError::EDateError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

namespace {

[[noreturn]] void raiseBadDate(int year, int month, int day)
{
    throw EDateError(QStringLiteral("%1/%2/%3 は正しい日付ではありません。")
                         .arg(year)
                         .arg(month, 2, 10, QLatin1Char('0'))
                         .arg(day, 2, 10, QLatin1Char('0')));
}

// Month end is stored as 0 or 31, and "none" (-1) is counted as month end too:
// a day that is not 1..30 must never become a day of the month.
bool isMonthEnd(int day)
{
    return day <= 0 || day >= 31;
}

} // namespace

int DaysOfMonth(int year, int month)
{
    if (month < 1 || month > 12)
        raiseBadDate(year, month, 1);
    return QDate(year, month, 1).daysInMonth();
}

QDate GetSimeDate(int year, int month, int day)
{
    const int last = DaysOfMonth(year, month);
    if (isMonthEnd(day) || day >= last)
        return QDate(year, month, last);
    return QDate(year, month, day);
}

bool GetSimePeriod(QDate &start, QDate &end, int year, int month, int day)
{
    if (day > 31 || month < 1 || month > 12 || year < 1 || year > 9999)
        return false;
    if (isMonthEnd(day)) {
        start = QDate(year, month, 1);
        end = QDate(year, month, start.daysInMonth());
        return true;
    }
    const int prevYear = month == 1 ? year - 1 : year;
    const int prevMonth = month == 1 ? 12 : month - 1;
    if (prevYear < 1)
        return false;
    const QDate newEnd = SafeEncodeDate(year, month, day);
    const QDate newStart = SafeEncodeDate(prevYear, prevMonth, day).addDays(1);
    start = newStart;
    end = newEnd;
    return true;
}

void IncNendoMonth(int &nendo, int &month, int simeTuki)
{
    ++month;
    if (simeTuki == 12) {
        if (month == 13) {
            month = 1;
            ++nendo;
        }
        return;
    }
    if (month == simeTuki + 1)
        ++nendo;
    if (month == 13)
        month = 1;
}

void DecNendoMonth(int &nendo, int &month, int simeTuki)
{
    --month;
    if (simeTuki == 12) {
        if (month == 0) {
            month = 12;
            --nendo;
        }
        return;
    }
    if (month == simeTuki)
        --nendo;
    if (month == 0)
        month = 12;
}

QDate SafeEncodeDate(int year, int month, int day)
{
    if (day < 1)
        raiseBadDate(year, month, day);
    const int last = DaysOfMonth(year, month);
    const QDate d(year, month, day > last ? last : day);
    if (!d.isValid())
        raiseBadDate(year, month, day);
    return d;
}

int DiffDays(const QDate &a, const QDate &b)
{
    return int(b.daysTo(a));
}

namespace {

QDate equinox(int year, int month, long double base, int fallbackDay)
{
    if (year < 1980 || year > 2099)
        return QDate(year, month, fallbackDay);
    const int n = year - 1980;
    // Extended precision keeps the few years whose value lies close to a whole
    // day on the same side as the published tables.
    const long double v = base + 0.242194L * n - (n / 4);
    return QDate(year, month, int(v));
}

} // namespace

QDate GetSyunbunDate(int year)
{
    return equinox(year, 3, 20.8431L, 21);
}

QDate GetSyuubunDate(int year)
{
    return equinox(year, 9, 23.2488L, 23);
}
