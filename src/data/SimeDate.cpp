#include "data/SimeDate.h"

#include "data/DateCalc.h"
#include "platform/db/Database.h"

namespace {

bool isMonthEnd(int d)
{
    return d == 31;
}

QDate plainSimeDate(int year, int month, int d)
{
    return GetSimeDate(year, month, NormalizeSimebi(d));
}

} // namespace

int NormalizeSimebi(int simeBi)
{
    return simeBi <= 0 || simeBi > 31 ? 31 : simeBi;
}

QString SimebiToText(int simeBi)
{
    if (simeBi == -1)
        return QStringLiteral("なし");
    if (simeBi == 0 || simeBi == 31)
        return QStringLiteral("月末");
    return QString::number(simeBi) + QStringLiteral("日");
}

TSimebiChange MakeSimebiChange(const QDate &startDate, int simeBi)
{
    TSimebiChange c;
    c.StartDate = startDate;
    c.SimeBi = NormalizeSimebi(simeBi);
    if (startDate.isValid())
        c.SimeDate = SafeEncodeDate(startDate.year(), startDate.month(), c.SimeBi);
    return c;
}

void CalendarToNendo(int year, int month, int simeTuki, int shiftNendo, int step, int &nendo, int &nendoMonth)
{
    if (step == -1 || step == 1)
        StepYearMonth(year, month, step);
    nendo = year + (month > simeTuki ? 1 : 0) + shiftNendo;
    nendoMonth = month;
}

void NendoToCalendar(int nendo, int month, int simeTuki, int shiftNendo, int step, int &year, int &calMonth)
{
    int y = (month > simeTuki ? nendo - 1 : nendo) - shiftNendo;
    int m = month;
    if (step == 1)
        StepYearMonth(y, m, -1);
    else if (step == -1)
        StepYearMonth(y, m, 1);
    year = y;
    calMonth = m;
}

void StepYearMonth(int &year, int &month, int k)
{
    const int index = year * 12 + (month - 1) + k;
    year = index >= 0 ? index / 12 : (index - 11) / 12;
    month = index - year * 12 + 1;
}

int GetSimebiInEffect(int year, int month, const TSimebiChangeList &history)
{
    if (history.isEmpty())
        return 31;
    const QDate first(year, month, 1);
    int day = NormalizeSimebi(history.first().SimeBi);
    for (const TSimebiChange &c : history) {
        if (c.StartDate <= first)
            day = NormalizeSimebi(c.SimeBi);
        else
            break;
    }
    return day;
}

void GetCalendarMonthPeriod(int year, int month, QDate &start, QDate &end, int &days)
{
    days = DaysOfMonth(year, month);
    start = QDate(year, month, 1);
    end = QDate(year, month, days);
}

void GetSimebiPeriod(int year, int month, int d, QDate &start, QDate &end, int &days)
{
    d = NormalizeSimebi(d);
    if (isMonthEnd(d)) {
        GetCalendarMonthPeriod(year, month, start, end, days);
        return;
    }
    int py = year, pm = month;
    StepYearMonth(py, pm, -1);
    end = SafeEncodeDate(year, month, d);
    start = SafeEncodeDate(py, pm, d).addDays(1);
    days = DiffDays(end, start) + 1;
}

bool DateInPeriod(const QDate &date, const QDate &start, const QDate &end)
{
    return start <= date && date <= end;
}

QDate GetShiftedSimeDate(int year, int month, int d, int rule, int addDays, bool keep, const HolidayTest &isHoliday)
{
    const QDate e = plainSimeDate(year, month, d);
    if (rule == 0 && addDays == 0)
        return e;
    QDate t = e;
    ApplyHolidayShift(t, rule, isHoliday);
    t = t.addDays(addDays);
    if (!keep && (t.year() != e.year() || t.month() != e.month()))
        t = t > e ? QDate(year, month, e.daysInMonth()) : QDate(year, month, 1);
    return t;
}

void FillSimePeriod(TSimePeriodRec &rec, int rule, int addDays, bool keep, const HolidayTest &isHoliday)
{
    const int d = NormalizeSimebi(rec.SimeDay);
    if (rule == 0 && addDays == 0) {
        GetSimebiPeriod(rec.Year, rec.Month, d, rec.Start, rec.End, rec.Days);
        return;
    }
    int py = rec.Year, pm = rec.Month;
    StepYearMonth(py, pm, -1);
    rec.End = GetShiftedSimeDate(rec.Year, rec.Month, d, rule, addDays, keep, isHoliday);
    rec.Start = GetShiftedSimeDate(py, pm, d, rule, addDays, keep, isHoliday).addDays(1);
    rec.Days = DiffDays(rec.End, rec.Start) + 1;
}

void GetShiftedSimePeriod(int year, int month, int d, int rule, int addDays, bool keep, const HolidayTest &isHoliday,
                          QDate &start, QDate &end, int &days)
{
    TSimePeriodRec rec;
    rec.Year = year;
    rec.Month = month;
    rec.SimeDay = d;
    FillSimePeriod(rec, rule, addDays, keep, isHoliday);
    start = rec.Start;
    end = rec.End;
    days = rec.Days;
}

bool FindDateSimePeriod(int d, int rule, int addDays, bool keep, const QDate &date, const HolidayTest &isHoliday,
                        TSimePeriodRec &out)
{
    d = NormalizeSimebi(d);
    if (rule == 0 && addDays == 0) {
        TSimePeriodRec rec;
        rec.SimeDay = d;
        rec.Year = date.year();
        rec.Month = date.month();
        if (!isMonthEnd(d) && date.day() > d)
            StepYearMonth(rec.Year, rec.Month, 1);
        GetSimebiPeriod(rec.Year, rec.Month, d, rec.Start, rec.End, rec.Days);
        rec.Year = rec.End.year();
        rec.Month = rec.End.month();
        out = rec;
        return true;
    }
    for (int k = -2; k <= 2; ++k) {
        TSimePeriodRec rec;
        rec.Year = date.year();
        rec.Month = date.month();
        StepYearMonth(rec.Year, rec.Month, k);
        rec.SimeDay = d;
        FillSimePeriod(rec, rule, addDays, keep, isHoliday);
        if (DateInPeriod(date, rec.Start, rec.End)) {
            out = rec;
            return true;
        }
    }
    return false;
}

void GetHistorySimePeriod(const SimeSettings &sime, int year, int month, const HolidayTest &isHoliday,
                          int &closingDay, QDate &start, QDate &end)
{
    if (sime.SimeHistory.size() == 1) {
        closingDay = NormalizeSimebi(sime.SimeHistory.first().SimeBi);
        int days = 0;
        GetShiftedSimePeriod(year, month, closingDay, sime.SimeHolidayShift, sime.SimeAddDay, true, isHoliday, start,
                             end, days);
        return;
    }
    int py = year, pm = month;
    StepYearMonth(py, pm, -1);
    const int dCur = GetSimebiInEffect(year, month, sime.SimeHistory);
    const int dPrev = GetSimebiInEffect(py, pm, sime.SimeHistory);
    closingDay = dCur;
    // Kept inside their own months: when the closing day changes, a shifted
    // date leaking into the next month would make periods overlap.
    end = GetShiftedSimeDate(year, month, dCur, sime.SimeHolidayShift, sime.SimeAddDay, false, isHoliday);
    start = GetShiftedSimeDate(py, pm, dPrev, sime.SimeHolidayShift, sime.SimeAddDay, false, isHoliday).addDays(1);
}

bool FindHistorySimeMonth(const SimeSettings &sime, const QDate &date, const HolidayTest &isHoliday,
                          TSimePeriodRec &out)
{
    if (sime.SimeHistory.size() == 1)
        return FindDateSimePeriod(sime.SimeHistory.first().SimeBi, sime.SimeHolidayShift, sime.SimeAddDay, true, date,
                                  isHoliday, out);
    TSimePeriodRec months[5];
    for (int i = 0; i < 5; ++i) {
        TSimePeriodRec &rec = months[i];
        rec.Year = date.year();
        rec.Month = date.month();
        StepYearMonth(rec.Year, rec.Month, i - 2);
        rec.SimeDay = GetSimebiInEffect(rec.Year, rec.Month, sime.SimeHistory);
        FillSimePeriod(rec, sime.SimeHolidayShift, sime.SimeAddDay, false, isHoliday);
    }
    for (int i = 1; i < 5; ++i)
        months[i].Start = months[i - 1].End.addDays(1);
    for (TSimePeriodRec &rec : months) {
        if (DateInPeriod(date, rec.Start, rec.End)) {
            rec.Days = DiffDays(rec.End, rec.Start) + 1;
            out = rec;
            return true;
        }
    }
    return false;
}

void GetHimokuSimePeriod(const SimeSettings &sime, int nendo, int month, int simeTuki, int shiftNendo,
                         const HolidayTest &isHoliday, int &closingDay, int &simeShift, QDate &start, QDate &end)
{
    simeShift = sime.SimeShift;
    int y = 0, m = 0;
    NendoToCalendar(nendo, month, simeTuki, shiftNendo, sime.SimeShift, y, m);
    if (sime.SimeHistory.isEmpty()) {
        closingDay = NormalizeSimebi(sime.SimeBi);
        int days = 0;
        GetShiftedSimePeriod(y, m, closingDay, sime.SimeHolidayShift, sime.SimeAddDay, true, isHoliday, start, end,
                             days);
        return;
    }
    GetHistorySimePeriod(sime, y, m, isHoliday, closingDay, start, end);
}

void FindHimokuSimeMonth(const SimeSettings &sime, int simeTuki, int shiftNendo, const QDate &date,
                         const HolidayTest &isHoliday, int &nendo, int &month, int &closingDay, int &simeShift,
                         int &days, QDate &start, QDate &end)
{
    simeShift = sime.SimeShift;
    TSimePeriodRec rec;
    bool found;
    if (sime.SimeHistory.isEmpty())
        found = FindDateSimePeriod(sime.SimeBi, sime.SimeHolidayShift, sime.SimeAddDay, true, date, isHoliday, rec);
    else
        found = FindHistorySimeMonth(sime, date, isHoliday, rec);
    if (!found) {
        // Only a shift of more than two months could leave a date outside every
        // neighbouring period; the calendar month is the safe answer then.
        rec.Year = date.year();
        rec.Month = date.month();
        rec.SimeDay = 31;
        GetCalendarMonthPeriod(rec.Year, rec.Month, rec.Start, rec.End, rec.Days);
    }
    closingDay = rec.SimeDay;
    days = rec.Days;
    start = rec.Start;
    end = rec.End;
    CalendarToNendo(rec.Year, rec.Month, simeTuki, shiftNendo, sime.SimeShift, nendo, month);
}

void GetHimokuNendoPeriod(const SimeSettings &sime, int nendo, int simeTuki, int shiftNendo,
                          const HolidayTest &isHoliday, QDate &start, QDate &end)
{
    int firstNendo = nendo - 1, firstMonth = simeTuki;
    IncNendoMonth(firstNendo, firstMonth, simeTuki);
    int closingDay = 0, simeShift = 0;
    QDate s, e;
    GetHimokuSimePeriod(sime, firstNendo, firstMonth, simeTuki, shiftNendo, isHoliday, closingDay, simeShift, s, e);
    start = s;
    GetHimokuSimePeriod(sime, nendo, simeTuki, simeTuki, shiftNendo, isHoliday, closingDay, simeShift, s, e);
    end = e;
}

void GetNendoPeriod(int nendo, int simeTuki, int shiftNendo, QDate &start, QDate &end)
{
    int firstNendo = nendo - 1, firstMonth = simeTuki;
    IncNendoMonth(firstNendo, firstMonth, simeTuki);
    int y = 0, m = 0;
    QDate s, e;
    NendoToCalendar(firstNendo, firstMonth, simeTuki, shiftNendo, 0, y, m);
    GetSimePeriod(s, e, y, m, 31);
    start = s;
    NendoToCalendar(nendo, simeTuki, simeTuki, shiftNendo, 0, y, m);
    GetSimePeriod(s, e, y, m, 31);
    end = e;
}

QDate GetFurikomiDate(int furikomiBi, int cycle, int holidayShift, int nendo, int month, int simeTuki,
                      int shiftNendo, const HolidayTest &isHoliday)
{
    int y = 0, m = 0;
    NendoToCalendar(nendo, month, simeTuki, shiftNendo, 0, y, m);
    if (cycle > 0)
        StepYearMonth(y, m, cycle);
    QDate date = SafeEncodeDate(y, m, NormalizeSimebi(furikomiBi));
    ApplyHolidayShift(date, holidayShift, isHoliday);
    return date;
}

TSimebiChangeList LoadSimebiHistory(Database &db, int code)
{
    TSimebiChangeList list;
    Statement st(db, QStringLiteral("SELECT STARTDATE, SIMEBI FROM SimebiList WHERE CODE = ? "
                                    "ORDER BY STARTDATE, rowid"));
    st.bind(1, code);
    while (st.next()) {
        const QDate start =
            st.isNull(0) ? QDate() : QDate::fromString(st.textValue(0).left(10), Qt::ISODate);
        list.append(MakeSimebiChange(start, int(st.intValue(1))));
    }
    return list;
}

namespace {

int himokuInt(Database &db, const char *column, int code)
{
    const QVariant v = db.scalar(QStringLiteral("SELECT %1 FROM Himoku WHERE CODE = ?").arg(QLatin1String(column)),
                                 {code});
    return v.isValid() ? v.toInt() : 0;
}

} // namespace

int GetHimokuFurikomibi(Database &db, int code)
{
    return himokuInt(db, "FURIKOMIBI", code);
}

int GetHimokuCycle(Database &db, int code)
{
    return himokuInt(db, "CYCLE", code);
}
