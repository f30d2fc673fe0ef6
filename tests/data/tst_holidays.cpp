#include <QtTest>

#include <QFile>
#include <QSet>

#include "data/BookSchema.h"
#include "data/Holidays.h"
#include "data/RecordNumbers.h"
#include "platform/db/Database.h"
#include "BookFixture.h"
#include "TestEnv.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TDayRule)

namespace {

HolidayTest holidaySet(const QList<QDate> &dates)
{
    const QSet<QDate> set(dates.begin(), dates.end());
    return [set](const QDate &d) { return set.contains(d); };
}

TDayRule rule(const QString &name, int year, int month, int day, int week = 0, int yobi = 0, int type = 1,
              QDate startDay = {}, QDate endDay = {})
{
    TDayRule r;
    r.Name = name;
    r.AYear = year;
    r.AMonth = month;
    r.ADay = day;
    r.AWeek = week;
    r.Yobi = yobi;
    r.Type = type;
    r.StartDay = startDay;
    r.EndDay = endDay;
    return r;
}

QList<TDayRow> generate(int year, const QList<TDayRule> &rules, QList<TDayRow> days = {})
{
    GenerateYearDays(year, rules, [&days](const QDate &d, const QString &n, int t) { WriteDayRow(days, d, n, t); });
    return days;
}

const TDayRow *dayOf(const QList<TDayRow> &days, const QDate &date)
{
    for (const TDayRow &r : days)
        if (r.RecDate == date)
            return &r;
    return nullptr;
}

using BookFixture::addDay;

using BookFixture::loadSeed;

} // namespace

class TestHolidays : public QObject
{
    Q_OBJECT
private slots:
    // 2024-05-02 Thu, 05-03 Fri holiday, 05-04 Sat, 05-05 Sun, 05-06 Mon holiday.
    void shifts_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("rule");
        QTest::addColumn<bool>("sundaysOnly");
        QTest::addColumn<QDate>("expected");
        const QDate sun(2024, 5, 5), sat(2024, 5, 4), mon(2024, 5, 6), fri(2024, 5, 3);
        QTest::newRow("0 stays on Sunday") << sun << 0 << false << sun;
        QTest::newRow("5 is no rule") << sun << 5 << false << sun;
        QTest::newRow("1 before: Sunday to Saturday") << sun << 1 << false << sat;
        QTest::newRow("1 before: holiday Monday past Sunday") << mon << 1 << false << sat;
        QTest::newRow("1 before: Saturday stays") << sat << 1 << false << sat;
        QTest::newRow("2 after: Friday holiday to Saturday") << fri << 2 << false << sat;
        QTest::newRow("2 after: Sunday past holiday Monday") << sun << 2 << false << QDate(2024, 5, 7);
        QTest::newRow("3 before: Monday holiday to Thursday") << mon << 3 << false << QDate(2024, 5, 2);
        QTest::newRow("3 before: plain Wednesday stays") << QDate(2024, 5, 8) << 3 << false << QDate(2024, 5, 8);
        QTest::newRow("4 after: Friday holiday to Tuesday") << fri << 4 << false << QDate(2024, 5, 7);
        QTest::newRow("4 after: Saturday to Tuesday") << sat << 4 << false << QDate(2024, 5, 7);
        QTest::newRow("4 after: Saturday to Monday plain") << QDate(2024, 6, 1) << 4 << false << QDate(2024, 6, 3);
        QTest::newRow("1 Sundays only ignores holidays") << mon << 1 << true << mon;
        QTest::newRow("2 Sundays only: Sunday to Monday") << sun << 2 << true << mon;
        QTest::newRow("3 Sundays only: Sunday to Friday") << sun << 3 << true << fri;
        QTest::newRow("4 Sundays only: Saturday to Monday") << sat << 4 << true << mon;
    }
    void shifts()
    {
        QFETCH(QDate, date);
        QFETCH(int, rule);
        QFETCH(bool, sundaysOnly);
        QFETCH(QDate, expected);
        const HolidayTest holidays = sundaysOnly ? HolidayTest()
                                                 : holidaySet({QDate(2024, 5, 3), QDate(2024, 5, 6)});
        ApplyHolidayShift(date, rule, holidays);
        QCOMPARE(date, expected);
    }

    void tableHolidayIsAnyHolidayRowOfTheDate()
    {
        TestEnv env;
        Database db;
        db.open(env.path(QStringLiteral("book.db")), QString(), true);
        BookSchema::createEmptyBook(db);
        addDay(db, 1, QDate(2024, 5, 3), QStringLiteral("憲法記念日"), 1);
        addDay(db, 2, QDate(2024, 5, 6), QStringLiteral("誕生日"), 6);
        addDay(db, 3, QDate(2024, 5, 6), QStringLiteral("振替休日"), 1);
        QVERIFY(IsTableHoliday(db, false, QDate(2024, 5, 3)));
        QVERIFY(!IsTableHoliday(db, true, QDate(2024, 5, 3)));
        // The birthday read first does not hide the substitute holiday beside it.
        QVERIFY(IsTableHoliday(db, false, QDate(2024, 5, 6)));
        QVERIFY(!IsTableHoliday(db, false, QDate(2024, 5, 7)));
        QVERIFY(IsTableHoliday(db, true, QDate(2024, 5, 5)));
        QDate d(2024, 5, 3);
        ApplyHolidayShift(db, d, 2, false);
        QCOMPARE(d, QDate(2024, 5, 4));
    }

    void ruleMatching_data()
    {
        QTest::addColumn<TDayRule>("r");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("matches");
        QTest::newRow("1/1 every year") << rule(u"元日"_s, 0, 1, 1) << QDate(2031, 1, 1) << true;
        QTest::newRow("second Monday of January") << rule(u"成人の日"_s, 0, 1, 0, 2, 2) << QDate(2024, 1, 8) << true;
        QTest::newRow("first Monday is not second") << rule(u"成人の日"_s, 0, 1, 0, 2, 2) << QDate(2024, 1, 1)
                                                    << false;
        QTest::newRow("year set, other year") << rule(u"x"_s, 2019, 5, 1) << QDate(2020, 5, 1) << false;
        QTest::newRow("year set, that year") << rule(u"x"_s, 2019, 5, 1) << QDate(2019, 5, 1) << true;
        QTest::newRow("start after the date") << rule(u"x"_s, 0, 5, 4, 0, 0, 1, QDate(2025, 1, 1))
                                               << QDate(2024, 5, 4) << false;
        QTest::newRow("end day included") << rule(u"x"_s, 0, 12, 31, 0, 0, 1, {}, QDate(2024, 12, 31))
                                          << QDate(2024, 12, 31) << true;
        QTest::newRow("nothing set matches nothing") << rule(u"x"_s, 0, 0, 0) << QDate(2024, 5, 4) << false;
        QTest::newRow("equinox name is never matched by fields") << rule(u"春分の日"_s, 0, 3, 20) << QDate(2024, 3, 20)
                                                                 << false;
        QTest::newRow("other name on 3/20 matched by fields") << rule(u"春分"_s, 0, 3, 20) << QDate(2024, 3, 20)
                                                               << true;
    }
    void ruleMatching()
    {
        QFETCH(TDayRule, r);
        QFETCH(QDate, date);
        QFETCH(bool, matches);
        QCOMPARE(DayRuleMatches(r, date), matches);
    }

    void generateSubstitutesAndEquinox()
    {
        const QList<TDayRow> days =
            generate(2024, {rule(u"建国記念の日"_s, 0, 2, 11), rule(u"憲法記念日"_s, 0, 5, 3),
                            rule(u"みどりの日"_s, 0, 5, 4), rule(u"こどもの日"_s, 0, 5, 5), rule(u"春分の日"_s, 0, 0, 0)});
        QStringList got;
        for (const TDayRow &r : days) {
            got << r.RecDate.toString(Qt::ISODate) + QLatin1Char(' ') + r.Name;
            QCOMPARE(r.Type, 1);
        }
        QCOMPARE(got, (QStringList{u"2024-02-11 建国記念の日"_s, u"2024-02-12 振替休日"_s, u"2024-03-20 春分の日"_s,
                                   u"2024-05-03 憲法記念日"_s, u"2024-05-04 みどりの日"_s, u"2024-05-05 こどもの日"_s,
                                   u"2024-05-06 振替休日"_s}));
    }

    void generateInBetweenDay_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<bool>("expected");
        QTest::newRow("9/22 Tuesday becomes a day off") << 2026 << true;
        QTest::newRow("9/22 Sunday is not added") << 2024 << false;
    }
    void generateInBetweenDay()
    {
        QFETCH(int, year);
        QFETCH(bool, expected);
        const QList<TDayRow> days = generate(year, {rule(u"a"_s, 0, 9, 21), rule(u"b"_s, 0, 9, 23)});
        const TDayRow *mid = dayOf(days, QDate(year, 9, 22));
        QCOMPARE(mid != nullptr, expected);
        if (mid) {
            QCOMPARE(mid->Name, u"休日"_s);
            QCOMPARE(mid->Type, 1);
        }
    }

    void otherKindsMakeNoDaysOff()
    {
        // A birthday on a Sunday and two anniversaries two days apart: none of
        // them is a national holiday, so no day off may appear.
        const QList<TDayRow> days = generate(2024, {rule(u"誕生日"_s, 0, 6, 2, 0, 0, 6), rule(u"記念日A"_s, 0, 7, 1, 0, 0, 5),
                                                    rule(u"記念日B"_s, 0, 7, 3, 0, 0, 5)});
        QCOMPARE(days.size(), 3);
        for (const TDayRow &r : days)
            QVERIFY2(r.Type != 1, qPrintable(r.Name));
        // A birthday Monday does not hold off the substitute of a Sunday
        // holiday, and stays beside it.
        const QList<TDayRow> sub = generate(2024, {rule(u"建国記念の日"_s, 0, 2, 11), rule(u"誕生日"_s, 0, 2, 12, 0, 0, 6)});
        QStringList monday;
        for (const TDayRow &r : sub)
            if (r.RecDate == QDate(2024, 2, 12))
                monday << u"%1 %2"_s.arg(r.Name).arg(r.Type);
        QCOMPARE(monday, (QStringList{u"誕生日 6"_s, u"振替休日 1"_s}));
    }

    void sundayOnNewYearsEveGetsNoSubstitute()
    {
        // 2023-12-31 is a Sunday.
        const QList<TDayRow> y2023 = generate(2023, {rule(u"大晦日"_s, 0, 12, 31)});
        QCOMPARE(y2023.size(), 1);
        const QList<TDayRow> y2024 = generate(2024, {rule(u"大晦日"_s, 0, 12, 31)});
        QVERIFY(!dayOf(y2024, QDate(2024, 1, 1)));
    }

    // Generation edits only rows of its own: a user's rows on a holiday stay
    // beside it, the holiday is written all the same, a holiday row of an old
    // name takes the new one, and a second run changes nothing.
    void regenerationKeepsTheUsersRows()
    {
        QList<TDayRow> days;
        const auto stored = [&days](qint32 dataNo, const QDate &date, const QString &name, int type) {
            TDayRow r;
            r.DataNo = dataNo;
            r.RowId = dataNo;
            r.RecDate = date;
            r.Name = name;
            r.Type = type;
            days << r;
        };
        stored(7, QDate(2024, 1, 1), u"結婚記念日"_s, 5);
        stored(10, QDate(2024, 4, 29), u"みどりの日"_s, 1);      // the holiday's old name
        stored(8, QDate(2024, 11, 3), u"自分の記念日"_s, 5);
        stored(9, QDate(2024, 11, 4), u"誕生日"_s, 6);          // the substitute's date
        const QList<TDayRule> rules = {rule(u"元日"_s, 0, 1, 1), rule(u"昭和の日"_s, 0, 4, 29),
                                       rule(u"文化の日"_s, 0, 11, 3), rule(u"結婚記念日"_s, 0, 1, 1, 0, 0, 5)};
        GenerateYearRows(2024, rules, days);

        QStringList shown;
        for (const TDayRow &r : days)
            shown << u"%1 %2 %3 %4"_s.arg(r.RecDate.toString(Qt::ISODate), r.Name).arg(r.Type).arg(r.DataNo);
        QCOMPARE(shown, (QStringList{u"2024-01-01 結婚記念日 5 7"_s, u"2024-01-01 元日 1 0"_s,
                                     u"2024-04-29 昭和の日 1 10"_s, u"2024-11-03 自分の記念日 5 8"_s,
                                     u"2024-11-03 文化の日 1 0"_s, u"2024-11-04 誕生日 6 9"_s,
                                     u"2024-11-04 振替休日 1 0"_s}));
        for (const TDayRow &r : days)
            if (r.DataNo == 7 || r.DataNo == 8 || r.DataNo == 9)
                QVERIFY2(!r.Changed, qPrintable(r.Name));

        for (TDayRow &r : days)
            r.Changed = false;
        const QList<TDayRow> before = days;
        GenerateYearRows(2024, rules, days);
        QCOMPARE(days.size(), before.size());
        for (const TDayRow &r : days)
            QVERIFY2(!r.Changed, qPrintable(r.Name));
    }

    void saveIsAllOrNothing()
    {
        TestEnv env;
        Database db;
        db.open(env.path(QStringLiteral("book.db")), QString(), true);
        BookSchema::createEmptyBook(db);
        QList<TDayRow> days = generate(2024, {rule(u"元日"_s, 0, 1, 1), rule(u"文化の日"_s, 0, 11, 3)});
        QCOMPARE(days.size(), 3);
        int calls = 0;
        const auto failing = [&calls]() -> qint32 {
            if (++calls == 3)
                throw EDatabaseError(QStringLiteral("disk I/O error"));
            return calls;
        };
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, SaveYearDays(db, days, failing));
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM DateList")).toInt(), 0);
        for (const TDayRow &r : days) {
            QCOMPARE(r.DataNo, 0);
            QVERIFY(r.Changed);
        }
        SaveYearDays(db, days, [&calls] { return ++calls; });
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM DateList WHERE DATANO IS NOT NULL")).toInt(), 3);
        QCOMPARE(LoadYearDays(db, 2024).size(), 3);
        QCOMPARE(LoadYearDays(db, 2024).at(2).Name, u"振替休日"_s);
    }

    // The seed rules, expanded year by year through the book, give the national
    // holidays exactly, one-off days included (they are rules of a single year).
    void seedRulesGiveTheNationalHolidays()
    {
        TestEnv env;
        Database db;
        db.open(env.path(QStringLiteral("book.db")), QString(), true);
        BookSchema::createEmptyBook(db);
        loadSeed(db, QFINDTESTDATA("../../resources/seed/DateMast.tsv"), QStringLiteral("DateMast"));
        QVERIFY(!YearHasHolidays(db, 2024));
        const auto nextDataNo = [&db] { return RecordNumbers::GetNewDataNo(db, QStringLiteral("DateList.db")); };
        for (int year = 1990; year <= 2030; ++year)
            GenerateYearInBook(db, year, nextDataNo);
        QVERIFY(YearHasHolidays(db, 2024));

        QFile f(QFINDTESTDATA("japanese_holidays_1990_2030.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList expected;
        while (!f.atEnd()) {
            const QString line = QString::fromUtf8(f.readLine()).trimmed();
            if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
                expected << line;
        }
        QVERIFY(expected.size() > 600);

        QStringList got;
        Statement st(db, QStringLiteral("SELECT RECDATE, NAME, TYPE, DATANO FROM DateList ORDER BY RECDATE"));
        QSet<qint64> numbers;
        while (st.next()) {
            QCOMPARE(st.intValue(2), 1);
            numbers.insert(st.intValue(3));
            got << st.textValue(0) + QLatin1Char(' ') + st.textValue(1);
        }
        QCOMPARE(numbers.size(), got.size()); // every day numbered once
        for (qsizetype i = 0; i < qMin(got.size(), expected.size()); ++i)
            QCOMPARE(got[i], expected[i]);
        QCOMPARE(got.size(), expected.size());

        // Generating a year again rewrites its days in place.
        GenerateYearInBook(db, 2024, nextDataNo);
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM DateList")).toInt(), got.size());
    }
};

QTEST_GUILESS_MAIN(TestHolidays)
#include "tst_holidays.moc"
