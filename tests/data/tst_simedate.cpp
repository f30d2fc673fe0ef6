#include <QtTest>

#include <QSet>

#include "data/BookSchema.h"
#include "data/SimeDate.h"
#include "platform/db/Database.h"
#include "TestEnv.h"

using namespace Qt::StringLiterals;

namespace {

// The national holidays of spring 2024 that matter to the cases below.
HolidayTest holidays2024()
{
    static const QSet<QDate> days{QDate(2024, 3, 20), QDate(2024, 4, 29), QDate(2024, 5, 3), QDate(2024, 5, 4),
                                  QDate(2024, 5, 5),  QDate(2024, 5, 6),  QDate(2024, 7, 15), QDate(2024, 8, 12)};
    return [](const QDate &d) { return days.contains(d); };
}

SimeSettings sime(int simeBi, int simeShift = 0, int rule = 0, int addDay = 0, const TSimebiChangeList &history = {})
{
    SimeSettings s;
    s.SimeBi = simeBi;
    s.SimeShift = simeShift;
    s.SimeHolidayShift = rule;
    s.SimeAddDay = addDay;
    s.SimeHistory = history;
    return s;
}

TSimebiChangeList history(std::initializer_list<std::pair<QDate, int>> rows)
{
    TSimebiChangeList list;
    for (const auto &[start, day] : rows)
        list.append(MakeSimebiChange(start, day));
    return list;
}

} // namespace

Q_DECLARE_METATYPE(SimeSettings)

class TestSimeDate : public QObject
{
    Q_OBJECT
private slots:
    void calendarToNendo_data()
    {
        QTest::addColumn<int>("simeTuki");
        QTest::addColumn<int>("shiftNendo");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("nendo");
        QTest::addColumn<int>("nendoMonth");
        QTest::newRow("12: calendar year") << 12 << 0 << 0 << 2024 << 12 << 2024 << 12;
        QTest::newRow("12: step +1 over the year") << 12 << 0 << 1 << 2024 << 12 << 2025 << 1;
        QTest::newRow("12: step -1 over the year") << 12 << 0 << -1 << 2024 << 1 << 2023 << 12;
        QTest::newRow("3: April starts the next number") << 3 << 0 << 0 << 2024 << 4 << 2025 << 4;
        QTest::newRow("3: April, shifted label") << 3 << -1 << 0 << 2024 << 4 << 2024 << 4;
        QTest::newRow("3: March ends the year") << 3 << 0 << 0 << 2024 << 3 << 2024 << 3;
        QTest::newRow("3: March, shifted label") << 3 << -1 << 0 << 2024 << 3 << 2023 << 3;
        QTest::newRow("3: January") << 3 << 0 << 0 << 2025 << 1 << 2025 << 1;
        QTest::newRow("3: step -1 from April is March") << 3 << 0 << -1 << 2024 << 4 << 2024 << 3;
        QTest::newRow("3: step +1 from March is April") << 3 << -1 << 1 << 2024 << 3 << 2024 << 4;
    }
    void calendarToNendo()
    {
        QFETCH(int, simeTuki);
        QFETCH(int, shiftNendo);
        QFETCH(int, step);
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, nendo);
        QFETCH(int, nendoMonth);
        int n = 0, m = 0;
        CalendarToNendo(year, month, simeTuki, shiftNendo, step, n, m);
        QCOMPARE(n, nendo);
        QCOMPARE(m, nendoMonth);
        int y = 0, c = 0;
        NendoToCalendar(n, m, simeTuki, shiftNendo, step, y, c);
        QCOMPARE(y, year);
        QCOMPARE(c, month);
    }

    void nendoPeriod_data()
    {
        QTest::addColumn<int>("nendo");
        QTest::addColumn<int>("simeTuki");
        QTest::addColumn<int>("shiftNendo");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::newRow("calendar year") << 2024 << 12 << 0 << QDate(2024, 1, 1) << QDate(2024, 12, 31);
        QTest::newRow("closing March") << 2025 << 3 << 0 << QDate(2024, 4, 1) << QDate(2025, 3, 31);
        QTest::newRow("closing March, shifted label") << 2024 << 3 << -1 << QDate(2024, 4, 1) << QDate(2025, 3, 31);
        QTest::newRow("closing November") << 2025 << 11 << 0 << QDate(2024, 12, 1) << QDate(2025, 11, 30);
    }
    void nendoPeriod()
    {
        QFETCH(int, nendo);
        QFETCH(int, simeTuki);
        QFETCH(int, shiftNendo);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QDate s, e;
        GetNendoPeriod(nendo, simeTuki, shiftNendo, s, e);
        QCOMPARE(s, start);
        QCOMPARE(e, end);
        // An account closing at month end spans the same dates.
        GetHimokuNendoPeriod(sime(31), nendo, simeTuki, shiftNendo, holidays2024(), s, e);
        QCOMPARE(s, start);
        QCOMPARE(e, end);
    }

    void himokuNendoPeriod()
    {
        QDate s, e;
        GetHimokuNendoPeriod(sime(25), 2024, 12, 0, {}, s, e);
        QCOMPARE(s, QDate(2023, 12, 26));
        QCOMPARE(e, QDate(2024, 12, 25));
        // Closing 10, labelled a month earlier, fiscal year to March with the
        // label of its first year: April's period is April 11 to May 10.
        GetHimokuNendoPeriod(sime(10, -1), 2024, 3, -1, {}, s, e);
        QCOMPARE(s, QDate(2024, 4, 11));
        QCOMPARE(e, QDate(2025, 4, 10));
    }

    void himokuPeriod_data()
    {
        QTest::addColumn<SimeSettings>("settings");
        QTest::addColumn<int>("nendo");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("closingDay");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::newRow("20 March") << sime(20) << 2024 << 3 << 20 << QDate(2024, 2, 21) << QDate(2024, 3, 20);
        QTest::newRow("10 February leap") << sime(10) << 2024 << 2 << 10 << QDate(2024, 1, 11) << QDate(2024, 2, 10);
        QTest::newRow("10 March") << sime(10) << 2024 << 3 << 10 << QDate(2024, 2, 11) << QDate(2024, 3, 10);
        QTest::newRow("25 February") << sime(25) << 2023 << 2 << 25 << QDate(2023, 1, 26) << QDate(2023, 2, 25);
        QTest::newRow("25 March") << sime(25) << 2023 << 3 << 25 << QDate(2023, 2, 26) << QDate(2023, 3, 25);
        QTest::newRow("30 February leap") << sime(30) << 2024 << 2 << 30 << QDate(2024, 1, 31) << QDate(2024, 2, 29);
        QTest::newRow("30 March leap") << sime(30) << 2024 << 3 << 30 << QDate(2024, 3, 1) << QDate(2024, 3, 30);
        QTest::newRow("30 February") << sime(30) << 2023 << 2 << 30 << QDate(2023, 1, 31) << QDate(2023, 2, 28);
        QTest::newRow("31 February leap") << sime(31) << 2024 << 2 << 31 << QDate(2024, 2, 1) << QDate(2024, 2, 29);
        QTest::newRow("31 February") << sime(31) << 2023 << 2 << 31 << QDate(2023, 2, 1) << QDate(2023, 2, 28);
        QTest::newRow("none February leap") << sime(-1) << 2024 << 2 << 31 << QDate(2024, 2, 1) << QDate(2024, 2, 29);
        QTest::newRow("0 is month end") << sime(0) << 2023 << 4 << 31 << QDate(2023, 4, 1) << QDate(2023, 4, 30);
        QTest::newRow("10 labelled a month earlier") << sime(10, -1) << 2024 << 3 << 10 << QDate(2024, 3, 11)
                                                     << QDate(2024, 4, 10);
        QTest::newRow("25 labelled a month later") << sime(25, 1) << 2024 << 3 << 25 << QDate(2024, 1, 26)
                                                   << QDate(2024, 2, 25);
        QTest::newRow("month end after Sunday, kept") << sime(31, 0, 2) << 2024 << 3 << 31 << QDate(2024, 3, 1)
                                                      << QDate(2024, 4, 1);
        QTest::newRow("April follows it") << sime(31, 0, 2) << 2024 << 4 << 31 << QDate(2024, 4, 2)
                                          << QDate(2024, 4, 30);
        QTest::newRow("20 before weekend, one more day back") << sime(20, 0, 3, -1) << 2024 << 4 << 20
                                                              << QDate(2024, 3, 19) << QDate(2024, 4, 18);
        const TSimebiChangeList one = history({{QDate(2024, 1, 1), 25}});
        QTest::newRow("one history row rules") << sime(10, 0, 0, 0, one) << 2024 << 4 << 25 << QDate(2024, 3, 26)
                                               << QDate(2024, 4, 25);
        const TSimebiChangeList two = history({{QDate(2024, 1, 1), 25}, {QDate(2024, 4, 1), 10}});
        QTest::newRow("history: month of the change") << sime(31, 0, 0, 0, two) << 2024 << 4 << 10
                                                      << QDate(2024, 3, 26) << QDate(2024, 4, 10);
        QTest::newRow("history: month before") << sime(31, 0, 0, 0, two) << 2024 << 3 << 25 << QDate(2024, 2, 26)
                                               << QDate(2024, 3, 25);
        QTest::newRow("history: before every row") << sime(31, 0, 0, 0, two) << 2023 << 12 << 25
                                                   << QDate(2023, 11, 26) << QDate(2023, 12, 25);
        const TSimebiChangeList ends = history({{QDate(2023, 1, 1), 31}, {QDate(2025, 1, 1), 20}});
        QTest::newRow("history: shifted month end kept in its month")
            << sime(10, 0, 2, 0, ends) << 2024 << 3 << 31 << QDate(2024, 3, 1) << QDate(2024, 3, 31);
        const TSimebiChangeList none = history({{QDate(2023, 1, 1), 15}, {QDate(2024, 2, 1), -1}});
        QTest::newRow("history: none is month end") << sime(10, 0, 0, 0, none) << 2024 << 2 << 31
                                                    << QDate(2024, 1, 16) << QDate(2024, 2, 29);
    }
    void himokuPeriod()
    {
        QFETCH(SimeSettings, settings);
        QFETCH(int, nendo);
        QFETCH(int, month);
        QFETCH(int, closingDay);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        int day = 0, shift = 99;
        QDate s, e;
        GetHimokuSimePeriod(settings, nendo, month, 12, 0, holidays2024(), day, shift, s, e);
        QCOMPARE(day, closingDay);
        QCOMPARE(shift, settings.SimeShift);
        QCOMPARE(s, start);
        QCOMPARE(e, end);
    }

    void findMonth_data()
    {
        QTest::addColumn<SimeSettings>("settings");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("nendo");
        QTest::addColumn<int>("month");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<int>("days");
        QTest::newRow("20: the day after closing") << sime(20) << QDate(2024, 3, 21) << 2024 << 4 << QDate(2024, 3, 21)
                                                   << QDate(2024, 4, 20) << 31;
        QTest::newRow("20: closing day") << sime(20) << QDate(2024, 3, 20) << 2024 << 3 << QDate(2024, 2, 21)
                                         << QDate(2024, 3, 20) << 29;
        QTest::newRow("10 a month earlier: 04-05") << sime(10, -1) << QDate(2024, 4, 5) << 2024 << 3
                                                   << QDate(2024, 3, 11) << QDate(2024, 4, 10) << 31;
        QTest::newRow("10 a month earlier: 04-11") << sime(10, -1) << QDate(2024, 4, 11) << 2024 << 4
                                                   << QDate(2024, 4, 11) << QDate(2024, 5, 10) << 30;
        QTest::newRow("none: last day stays in its month") << sime(-1) << QDate(2024, 2, 29) << 2024 << 2
                                                           << QDate(2024, 2, 1) << QDate(2024, 2, 29) << 29;
        QTest::newRow("none: first day") << sime(-1) << QDate(2024, 3, 1) << 2024 << 3 << QDate(2024, 3, 1)
                                         << QDate(2024, 3, 31) << 31;
        QTest::newRow("30: January 31 belongs to February") << sime(30) << QDate(2024, 1, 31) << 2024 << 2
                                                            << QDate(2024, 1, 31) << QDate(2024, 2, 29) << 30;
        QTest::newRow("month end after Sunday: 04-01 is March's") << sime(31, 0, 2) << QDate(2024, 4, 1) << 2024 << 3
                                                                  << QDate(2024, 3, 1) << QDate(2024, 4, 1) << 32;
        const TSimebiChangeList two = history({{QDate(2024, 1, 1), 25}, {QDate(2024, 4, 1), 10}});
        QTest::newRow("history: 03-26 in the short April") << sime(31, 0, 0, 0, two) << QDate(2024, 3, 26) << 2024 << 4
                                                           << QDate(2024, 3, 26) << QDate(2024, 4, 10) << 16;
        QTest::newRow("history: 04-11 in May") << sime(31, 0, 0, 0, two) << QDate(2024, 4, 11) << 2024 << 5
                                               << QDate(2024, 4, 11) << QDate(2024, 5, 10) << 30;
    }
    void findMonth()
    {
        QFETCH(SimeSettings, settings);
        QFETCH(QDate, date);
        QFETCH(int, nendo);
        QFETCH(int, month);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(int, days);
        int n = 0, m = 0, closingDay = 0, shift = 0, d = 0;
        QDate s, e;
        FindHimokuSimeMonth(settings, 12, 0, date, holidays2024(), n, m, closingDay, shift, d, s, e);
        QCOMPARE(n, nendo);
        QCOMPARE(m, month);
        QCOMPARE(s, start);
        QCOMPARE(e, end);
        QCOMPARE(d, days);
    }

    // For every date, the accounting month found for it has exactly the period
    // that was found, and that period holds the date: the two directions of the
    // arithmetic agree for every kind of closing day and fiscal setting.
    void findAndPeriodAgree()
    {
        const HolidayTest hol = holidays2024();
        const TSimebiChangeList two = history({{QDate(2024, 1, 1), 25}, {QDate(2024, 4, 1), 10}, {QDate(2024, 7, 1), -1}});
        const QList<SimeSettings> settings{sime(10), sime(25, -1), sime(30, 1), sime(31), sime(-1), sime(0, -1),
                                           sime(31, 0, 2), sime(20, 1, 4, 1), sime(5, 0, 3, -1),
                                           sime(31, 0, 0, 0, history({{QDate(2024, 2, 1), 30}})),
                                           sime(31, 0, 2, 0, two), sime(31, -1, 0, 0, two)};
        for (const auto &[simeTuki, shiftNendo] : {std::pair{12, 0}, std::pair{3, 0}, std::pair{3, -1}}) {
            for (qsizetype i = 0; i < settings.size(); ++i) {
                for (QDate date(2023, 11, 1); date <= QDate(2024, 10, 31); date = date.addDays(1)) {
                    const QString where = QStringLiteral("setting %1, %2").arg(i).arg(date.toString(Qt::ISODate));
                    int n = 0, m = 0, closingDay = 0, shift = 0, days = 0;
                    QDate s, e;
                    FindHimokuSimeMonth(settings[i], simeTuki, shiftNendo, date, hol, n, m, closingDay, shift, days, s,
                                        e);
                    QVERIFY2(s <= date && date <= e, qPrintable(where));
                    QVERIFY2(days == s.daysTo(e) + 1, qPrintable(where));
                    int pDay = 0, pShift = 0;
                    QDate ps, pe;
                    GetHimokuSimePeriod(settings[i], n, m, simeTuki, shiftNendo, hol, pDay, pShift, ps, pe);
                    QVERIFY2(ps == s && pe == e, qPrintable(where));
                    QVERIFY2(pDay == closingDay, qPrintable(where));
                }
            }
        }
    }

    void payment_data()
    {
        QTest::addColumn<int>("furikomiBi");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<int>("rule");
        QTest::addColumn<int>("simeTuki");
        QTest::addColumn<int>("shiftNendo");
        QTest::addColumn<int>("nendo");
        QTest::addColumn<int>("month");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("cycle 0") << 27 << 0 << 0 << 12 << 0 << 2024 << 3 << QDate(2024, 3, 27);
        QTest::newRow("cycle 1 month end into next year") << 0 << 1 << 0 << 12 << 0 << 2024 << 12
                                                          << QDate(2025, 1, 31);
        QTest::newRow("cycle 1 cut to leap February") << 31 << 1 << 0 << 12 << 0 << 2024 << 1 << QDate(2024, 2, 29);
        QTest::newRow("cycle 1 none is month end") << -1 << 1 << 0 << 12 << 0 << 2023 << 1 << QDate(2023, 2, 28);
        QTest::newRow("cycle 2 over the year") << 10 << 2 << 0 << 12 << 0 << 2024 << 11 << QDate(2025, 1, 10);
        QTest::newRow("cycle 2 on a holiday, after") << 6 << 2 << 2 << 12 << 0 << 2024 << 3 << QDate(2024, 5, 7);
        QTest::newRow("cycle 2 on a holiday, before") << 6 << 2 << 1 << 12 << 0 << 2024 << 3 << QDate(2024, 5, 2);
        QTest::newRow("cycle 1 Saturday, rule 2 stays") << 27 << 1 << 2 << 12 << 0 << 2024 << 6 << QDate(2024, 7, 27);
        QTest::newRow("cycle 1 Saturday, rule 3") << 27 << 1 << 3 << 12 << 0 << 2024 << 6 << QDate(2024, 7, 26);
        QTest::newRow("cycle 1 Saturday, rule 4") << 27 << 1 << 4 << 12 << 0 << 2024 << 6 << QDate(2024, 7, 29);
        QTest::newRow("closing March, shifted label") << 26 << 1 << 0 << 3 << -1 << 2024 << 3 << QDate(2025, 4, 26);
    }
    void payment()
    {
        QFETCH(int, furikomiBi);
        QFETCH(int, cycle);
        QFETCH(int, rule);
        QFETCH(int, simeTuki);
        QFETCH(int, shiftNendo);
        QFETCH(int, nendo);
        QFETCH(int, month);
        QFETCH(QDate, expected);
        QCOMPARE(GetFurikomiDate(furikomiBi, cycle, rule, nendo, month, simeTuki, shiftNendo, holidays2024()),
                 expected);
    }

    void simebiText()
    {
        QCOMPARE(SimebiToText(-1), u"なし"_s);
        QCOMPARE(SimebiToText(0), u"月末"_s);
        QCOMPARE(SimebiToText(31), u"月末"_s);
        QCOMPARE(SimebiToText(15), u"15日"_s);
    }

    void historyFromTheBook()
    {
        TestEnv env;
        Database db;
        db.open(env.path(QStringLiteral("book.db")), QString(), true);
        BookSchema::createEmptyBook(db);
        db.exec(u"INSERT INTO SimebiList (DATANO, CODE, STARTDATE, SIMEBI) VALUES (1, 200, '2024-04-01', 10), (2, 200, '2024-02-01', 0), "
                "(3, 201, '2024-01-01', 5), (4, 200, '2023-06-01', -1)"_s);
        db.exec(u"INSERT INTO Himoku (CODE, NAME, SIMEBI, CYCLE, FURIKOMIBI) VALUES (200, 'カード', 15, 2, 27)"_s);
        const TSimebiChangeList list = LoadSimebiHistory(db, 200);
        QCOMPARE(list.size(), 3);
        QCOMPARE(list[0].StartDate, QDate(2023, 6, 1));
        QCOMPARE(list[0].SimeBi, 31);
        QCOMPARE(list[0].SimeDate, QDate(2023, 6, 30));
        QCOMPARE(list[1].SimeBi, 31);
        QCOMPARE(list[1].SimeDate, QDate(2024, 2, 29));
        QCOMPARE(list[2].SimeBi, 10);
        QCOMPARE(list[2].SimeDate, QDate(2024, 4, 10));
        QVERIFY(LoadSimebiHistory(db, 999).isEmpty());
        QCOMPARE(GetHimokuFurikomibi(db, 200), 27);
        QCOMPARE(GetHimokuCycle(db, 200), 2);
        QCOMPARE(GetHimokuFurikomibi(db, 999), 0);
        QCOMPARE(GetHimokuCycle(db, 999), 0);
    }
};

QTEST_GUILESS_MAIN(TestSimeDate)
#include "tst_simedate.moc"
