#include <QtTest>

#include "data/DateCalc.h"

class TestDateCalc : public QObject
{
    Q_OBJECT
private slots:
    void simeDate_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("30 in February 2023") << 2023 << 2 << 30 << QDate(2023, 2, 28);
        QTest::newRow("0 in leap February") << 2024 << 2 << 0 << QDate(2024, 2, 29);
        QTest::newRow("15 in April") << 2024 << 4 << 15 << QDate(2024, 4, 15);
        QTest::newRow("29 in February 2023") << 2023 << 2 << 29 << QDate(2023, 2, 28);
        QTest::newRow("30 in April is month end") << 2024 << 4 << 30 << QDate(2024, 4, 30);
        QTest::newRow("none is month end") << 2024 << 2 << -1 << QDate(2024, 2, 29);
        QTest::newRow("31 in June") << 2024 << 6 << 31 << QDate(2024, 6, 30);
    }
    void simeDate()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QDate, expected);
        QCOMPARE(GetSimeDate(year, month, day), expected);
    }

    void simePeriod_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::newRow("32 refused") << 2024 << 3 << 32 << false << QDate() << QDate();
        QTest::newRow("31 February 2023") << 2023 << 2 << 31 << true << QDate(2023, 2, 1) << QDate(2023, 2, 28);
        QTest::newRow("10 January crosses the year") << 2024 << 1 << 10 << true << QDate(2023, 12, 11)
                                                     << QDate(2024, 1, 10);
        QTest::newRow("25 March 2024") << 2024 << 3 << 25 << true << QDate(2024, 2, 26) << QDate(2024, 3, 25);
        QTest::newRow("30 February leap") << 2024 << 2 << 30 << true << QDate(2024, 1, 31) << QDate(2024, 2, 29);
        QTest::newRow("30 March after leap February") << 2024 << 3 << 30 << true << QDate(2024, 3, 1)
                                                      << QDate(2024, 3, 30);
        QTest::newRow("30 March 2023") << 2023 << 3 << 30 << true << QDate(2023, 3, 1) << QDate(2023, 3, 30);
        QTest::newRow("none is the calendar month") << 2024 << 2 << -1 << true << QDate(2024, 2, 1)
                                                    << QDate(2024, 2, 29);
        QTest::newRow("0 is the calendar month") << 2023 << 12 << 0 << true << QDate(2023, 12, 1)
                                                 << QDate(2023, 12, 31);
        QTest::newRow("bad month") << 2024 << 13 << 10 << false << QDate() << QDate();
    }
    void simePeriod()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(bool, ok);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        const QDate marker(2000, 1, 1);
        QDate s = marker, e = marker;
        QCOMPARE(GetSimePeriod(s, e, year, month, day), ok);
        QCOMPARE(s, ok ? start : marker);
        QCOMPARE(e, ok ? end : marker);
    }

    // Consecutive periods of one closing day follow each other without gap or
    // overlap, leap years included.
    void periodsAreContiguous()
    {
        for (int day : {1, 10, 25, 28, 29, 30, 31, 0, -1}) {
            QDate prevEnd;
            for (int y = 2023; y <= 2025; ++y) {
                for (int m = 1; m <= 12; ++m) {
                    QDate s, e;
                    QVERIFY(GetSimePeriod(s, e, y, m, day));
                    if (prevEnd.isValid())
                        QVERIFY2(prevEnd.addDays(1) == s, qPrintable(QStringLiteral("day %1 %2-%3").arg(day).arg(y).arg(m)));
                    QVERIFY(s <= e);
                    prevEnd = e;
                }
            }
        }
    }

    void nendoMonthSteps_data()
    {
        QTest::addColumn<int>("simeTuki");
        QTest::addColumn<int>("nendo");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("nextNendo");
        QTest::addColumn<int>("nextMonth");
        QTest::newRow("closing 3: after March a new year") << 3 << 2024 << 3 << 2025 << 4;
        QTest::newRow("closing 3: December to January keeps it") << 3 << 2024 << 12 << 2024 << 1;
        QTest::newRow("closing 3: inside") << 3 << 2024 << 6 << 2024 << 7;
        QTest::newRow("closing 12: December to January") << 12 << 2024 << 12 << 2025 << 1;
        QTest::newRow("closing 12: inside") << 12 << 2024 << 5 << 2024 << 6;
        QTest::newRow("closing 11: December wraps") << 11 << 2024 << 11 << 2025 << 12;
        QTest::newRow("closing 1: February starts") << 1 << 2024 << 1 << 2025 << 2;
    }
    void nendoMonthSteps()
    {
        QFETCH(int, simeTuki);
        QFETCH(int, nendo);
        QFETCH(int, month);
        QFETCH(int, nextNendo);
        QFETCH(int, nextMonth);
        int n = nendo, m = month;
        IncNendoMonth(n, m, simeTuki);
        QCOMPARE(n, nextNendo);
        QCOMPARE(m, nextMonth);
        DecNendoMonth(n, m, simeTuki);
        QCOMPARE(n, nendo);
        QCOMPARE(m, month);
    }

    // Twelve steps forward are exactly one fiscal year for every closing month.
    void twelveStepsAreOneYear()
    {
        for (int simeTuki = 1; simeTuki <= 12; ++simeTuki) {
            for (int month = 1; month <= 12; ++month) {
                int n = 2024, m = month;
                for (int i = 0; i < 12; ++i)
                    IncNendoMonth(n, m, simeTuki);
                QCOMPARE(n, 2025);
                QCOMPARE(m, month);
                for (int i = 0; i < 12; ++i)
                    DecNendoMonth(n, m, simeTuki);
                QCOMPARE(n, 2024);
            }
        }
    }

    void safeEncodeDate()
    {
        QCOMPARE(SafeEncodeDate(2023, 2, 31), QDate(2023, 2, 28));
        QCOMPARE(SafeEncodeDate(2024, 2, 31), QDate(2024, 2, 29));
        QCOMPARE(SafeEncodeDate(2024, 4, 30), QDate(2024, 4, 30));
        QVERIFY_THROWS_EXCEPTION(EDateError, SafeEncodeDate(2024, 4, 0));
        QVERIFY_THROWS_EXCEPTION(EDateError, SafeEncodeDate(2024, 13, 1));
        QVERIFY_THROWS_EXCEPTION(EDateError, GetSimeDate(2024, 0, 10));
    }

    void diffDays()
    {
        QCOMPARE(DiffDays(QDate(2024, 3, 1), QDate(2024, 2, 28)), 2);
        QCOMPARE(DiffDays(QDate(2023, 3, 1), QDate(2023, 2, 28)), 1);
        QCOMPARE(DiffDays(QDate(2024, 3, 1), QDate(2024, 3, 1)), 0);
        QCOMPARE(DiffDays(QDate(2024, 1, 1), QDate(2024, 12, 31)), -365);
    }

    void equinoxes_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QDate>("vernal");
        QTest::addColumn<QDate>("autumnal");
        QTest::newRow("1979 before the formula") << 1979 << QDate(1979, 3, 21) << QDate(1979, 9, 23);
        QTest::newRow("1980") << 1980 << QDate(1980, 3, 20) << QDate(1980, 9, 23);
        QTest::newRow("2012") << 2012 << QDate(2012, 3, 20) << QDate(2012, 9, 22);
        QTest::newRow("2023") << 2023 << QDate(2023, 3, 21) << QDate(2023, 9, 23);
        QTest::newRow("2024") << 2024 << QDate(2024, 3, 20) << QDate(2024, 9, 22);
        QTest::newRow("2026") << 2026 << QDate(2026, 3, 20) << QDate(2026, 9, 23);
        QTest::newRow("2027") << 2027 << QDate(2027, 3, 21) << QDate(2027, 9, 23);
        QTest::newRow("2099 by the formula") << 2099 << QDate(2099, 3, 20) << QDate(2099, 9, 23);
        QTest::newRow("2100 after the formula") << 2100 << QDate(2100, 3, 21) << QDate(2100, 9, 23);
    }
    void equinoxes()
    {
        QFETCH(int, year);
        QFETCH(QDate, vernal);
        QFETCH(QDate, autumnal);
        QCOMPARE(GetSyunbunDate(year), vernal);
        QCOMPARE(GetSyuubunDate(year), autumnal);
    }
};

QTEST_GUILESS_MAIN(TestDateCalc)
#include "tst_datecalc.moc"
