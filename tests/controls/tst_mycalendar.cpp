#include <QtTest>

#include "controls/MyCalendar.h"

// The month calendar of the date columns: accounting periods by closing day,
// month steps by fiscal year, and which cells may be chosen.
class TestMyCalendar : public QObject
{
    Q_OBJECT

    static void configure(TMyCalendar &cal, int simeBi, int simeTuki, int nendo, int getudo)
    {
        cal.setCalendarMode(TMyCalendar::cmGetudo);
        cal.setSimeBi(simeBi);
        cal.setSimeTuki(simeTuki);
        cal.setNendo(nendo);
        cal.setGetudo(getudo);
    }

    // The centre of the cell that shows a date (it must be among the six weeks).
    static QPoint cellOf(const TMyCalendar &cal, const QDate &date)
    {
        const qint64 offset = cal.cellDate(0, 0).daysTo(date);
        if (offset < 0 || offset >= 42)
            return {};
        return cal.cellRect(int(offset % 7), int(offset / 7) + 2).center();
    }

private slots:
    void periods_data()
    {
        QTest::addColumn<int>("simeBi");
        QTest::addColumn<int>("simeTuki");
        QTest::addColumn<int>("nendo");
        QTest::addColumn<int>("getudo");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::newRow("25th, May") << 25 << 12 << 2014 << 5 << QDate(2014, 4, 26) << QDate(2014, 5, 25);
        QTest::newRow("30th, February is whole") << 30 << 12 << 2014 << 2 << QDate(2014, 2, 1) << QDate(2014, 2, 28);
        QTest::newRow("30th, March after February") << 30 << 12 << 2014 << 3 << QDate(2014, 3, 1)
                                                    << QDate(2014, 3, 30);
        QTest::newRow("month end") << 0 << 12 << 2016 << 2 << QDate(2016, 2, 1) << QDate(2016, 2, 29);
        QTest::newRow("fiscal year to March: May is of the year before")
            << 20 << 3 << 2014 << 5 << QDate(2013, 4, 21) << QDate(2013, 5, 20);
    }
    void periods()
    {
        QFETCH(int, simeBi);
        QFETCH(int, simeTuki);
        QFETCH(int, nendo);
        QFETCH(int, getudo);
        TMyCalendar cal;
        configure(cal, simeBi, simeTuki, nendo, getudo);
        QTEST(cal.periodStart(), "start");
        QTEST(cal.periodEnd(), "end");
        // The weeks start on the Sunday on or before the period's start.
        const QDate first = cal.cellDate(0, 0);
        QCOMPARE(first.dayOfWeek(), 7);
        QVERIFY(first <= cal.periodStart() && first.daysTo(cal.periodStart()) < 7);
    }

    // A date outside the shown period moves the calendar to the period that
    // holds it; with closing day 30, January 31 belongs to February, whose
    // calendar month does not show it as a date of the period.
    void setDateMovesToItsPeriod()
    {
        TMyCalendar cal;
        configure(cal, 30, 12, 2013, 6);
        int changes = 0;
        cal.OnDateChange = [&] { ++changes; };
        cal.SetDate(QDate(2014, 1, 31));
        QCOMPARE(cal.Nendo(), 2014);
        QCOMPARE(cal.Getudo(), 2);
        QCOMPARE(cal.SelectedDate, QDate(2014, 1, 31));
        QVERIFY(!cal.withinLimit(QDate(2014, 1, 31)));
        QCOMPARE(changes, 1);
        // Inside the shown period no event.
        cal.SetDate(QDate(2014, 2, 10));
        QCOMPARE(changes, 1);
        QCOMPARE(cal.SelectedDate, QDate(2014, 2, 10));
    }

    void stepsByFiscalYear()
    {
        TMyCalendar cal;
        configure(cal, 0, 3, 2014, 3);
        cal.StepMonth(true);
        QCOMPARE(cal.Nendo(), 2015);
        QCOMPARE(cal.Getudo(), 4);
        cal.StepMonth(false);
        QCOMPARE(cal.Nendo(), 2014);
        QCOMPARE(cal.Getudo(), 3);
        configure(cal, 0, 3, 2014, 12);
        cal.StepMonth(true);
        QCOMPARE(cal.Nendo(), 2014);
        QCOMPARE(cal.Getudo(), 1);
        cal.setSimeTuki(12);
        cal.StepMonth(false);
        QCOMPARE(cal.Nendo(), 2013);
        QCOMPARE(cal.Getudo(), 12);
    }

    // Clicks: a date of the period is chosen; without AllowSelect nothing is;
    // a grey date of the next month is refused when the range may not be left;
    // the title and weekday rows report no press.
    void clicksFollowTheLimits()
    {
        TMyCalendar cal;
        cal.resize(280, 260);
        configure(cal, 25, 12, 2014, 5);
        cal.SetDate(QDate(2014, 5, 1));
        int presses = 0;
        cal.OnDateMouseDown = [&](Qt::MouseButton) { ++presses; };

        QTest::mouseClick(&cal, Qt::LeftButton, {}, cellOf(cal, QDate(2014, 5, 12)));
        QCOMPARE(cal.SelectedDate, QDate(2014, 5, 12));
        QCOMPARE(presses, 1);

        cal.AllowSelect = false;
        QTest::mouseClick(&cal, Qt::LeftButton, {}, cellOf(cal, QDate(2014, 5, 14)));
        QCOMPARE(cal.SelectedDate, QDate(2014, 5, 12));
        cal.AllowSelect = true;

        cal.AlowOutRange = false;
        const QDate grey = cal.periodEnd().addDays(1);
        QVERIFY(!cellOf(cal, grey).isNull());
        QTest::mouseClick(&cal, Qt::LeftButton, {}, cellOf(cal, grey));
        QCOMPARE(cal.SelectedDate, QDate(2014, 5, 12));
        QCOMPARE(cal.Getudo(), 5);
        // The press without AllowSelect was reported (the owner decides); the
        // one outside the range was not.
        QCOMPARE(presses, 2);

        QTest::mouseClick(&cal, Qt::LeftButton, {}, cal.cellRect(3, 0).center());
        QTest::mouseClick(&cal, Qt::LeftButton, {}, cal.cellRect(3, 1).center());
        QCOMPARE(presses, 2);

        // With the range open a grey date jumps to its month.
        cal.AlowOutRange = true;
        QTest::mouseClick(&cal, Qt::LeftButton, {}, cellOf(cal, grey));
        QCOMPARE(cal.SelectedDate, grey);
        QCOMPARE(cal.Getudo(), 6);
    }

    // ExtLimit: the selectable dates are the outer limit, not the shown period.
    void extLimit()
    {
        TMyCalendar cal;
        configure(cal, 25, 12, 2014, 5);
        cal.SimeStartDate = QDate(2014, 4, 1);
        cal.SimeEndDate = QDate(2014, 4, 30);
        cal.setExtLimit(true);
        QVERIFY(cal.withinLimit(QDate(2014, 4, 20)));
        QVERIFY(!cal.withinLimit(QDate(2014, 5, 10)));
        QCOMPARE(cal.titleText(), QStringLiteral("2014年度 5月"));
    }
};

QTEST_MAIN(TestMyCalendar)
#include "tst_mycalendar.moc"
