#include <QtTest>

#include "data/FormatSettings.h"
#include "data/Vocabulary.h"

// Month codes, range-safe names of coded fields, day numbers and the fixed date
// format of the run.
class TestVocabulary : public QObject
{
    Q_OBJECT
private slots:
    void monthCodeBothWays_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("decodedYear");
        QTest::newRow("March 2014") << 2014 << 3 << 140300000 << 2014;
        QTest::newRow("January 1995") << 1995 << 1 << 950100000 << 1995;
        QTest::newRow("first year kept") << 1980 << 12 << 801200000 << 1980;
        QTest::newRow("last year kept") << 2079 << 1 << 790100000 << 2079;
        QTest::newRow("2000") << 2000 << 6 << 600000 << 2000;
        // Outside 1980..2079 the two-digit code comes back in the other century.
        QTest::newRow("1979 becomes 2079") << 1979 << 5 << 790500000 << 2079;
        QTest::newRow("2080 becomes 1980") << 2080 << 5 << 800500000 << 1980;
    }
    void monthCodeBothWays()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, code);
        QFETCH(int, decodedYear);
        QCOMPARE(EncodeMonthCode(uint16_t(year), uint16_t(month)), code);
        uint16_t y = 0, m = 0;
        DecodeMonthCode(code, y, m);
        QCOMPARE(int(y), decodedYear);
        QCOMPARE(int(m), month);
    }

    void namesStayInsideTables_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("day kind 1") << DayKindName(1) << "国民の祝日";
        QTest::newRow("day kind 8") << DayKindName(8) << "8";
        QTest::newRow("day kind -1") << DayKindName(-1) << "-1";
        QTest::newRow("shift 4") << HolidayShiftName(4) << "土日曜祝日の後";
        QTest::newRow("shift 5") << HolidayShiftName(5) << "5";
        QTest::newRow("add day -1") << SimeAddDayName(-1) << "さらにその前日";
        QTest::newRow("add day 0") << SimeAddDayName(0) << "そのまま";
        QTest::newRow("add day 1") << SimeAddDayName(1) << "さらにその翌日";
        QTest::newRow("add day 2") << SimeAddDayName(2) << "2";
        QTest::newRow("tax 2") << ZeiAtukaiName(2) << "外税";
        QTest::newRow("tax 9") << ZeiAtukaiName(9) << "9";
        QTest::newRow("mark 1") << ZeiAtukaiMark(1) << "内税";
        QTest::newRow("mark 3 empty") << ZeiAtukaiMark(3) << "";
        QTest::newRow("mark 7 empty") << ZeiAtukaiMark(7) << "";
        QTest::newRow("bunrui 9") << BunruiRecOf(9).name.toString() << "クレジット";
        QTest::newRow("bunrui 24 unused") << BunruiRecOf(24).name.toString() << "未使用";
        QTest::newRow("bunrui -3 unused") << BunruiRecOf(-3).name.toString() << "未使用";
    }
    void namesStayInsideTables()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(name, expected);
    }

    void bunruiRowsAgreeWithClassTables()
    {
        // Every class row names a major class and an account kind that exist and
        // belong to the same group; its normal side is debit exactly for expense
        // and asset classes. A typo in any row breaks one of these.
        for (const TBunruiRec &rec : BunruiTable) {
            QVERIFY(rec.bu1 < Bunrui1Table.size());
            QVERIFY(rec.bu2 < Bunrui2Table.size());
            QCOMPARE(Bunrui2Table[rec.bu2].group, Bunrui1Table[rec.bu1].group);
            if (rec.code > 0)
                QCOMPARE(int(rec.side), rec.bu1 == 2 || rec.bu1 == 3 ? 1 : 2);
        }
    }

    void dayNumbers_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<QDate>("date");
        QTest::newRow("none") << 0.0 << QDate();
        QTest::newRow("day one") << 1.0 << QDate(1899, 12, 31);
        QTest::newRow("2023-03-15") << 45000.0 << QDate(2023, 3, 15);
        QTest::newRow("time part ignored") << 45000.75 << QDate(2023, 3, 15);
    }
    void dayNumbers()
    {
        QFETCH(double, number);
        QFETCH(QDate, date);
        QCOMPARE(DayNumberToDate(number), date);
        QCOMPARE(DateToDayNumber(date), std::floor(number));
    }

    void twoDigitYearWindow_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("expected");
        const QDate today(2026, 12, 10);
        QTest::newRow("this year") << "26/12/10" << today << QDate(2026, 12, 10);
        QTest::newRow("window start") << "76/01/01" << today << QDate(1976, 1, 1);
        QTest::newRow("just before window") << "75/01/01" << today << QDate(2075, 1, 1);
        QTest::newRow("window moves with today") << "75/01/01" << QDate(2025, 1, 1) << QDate(1975, 1, 1);
        QTest::newRow("four-digit year as typed") << "1960/2/29" << today << QDate(1960, 2, 29);
        QTest::newRow("short month and day") << "27/1/5" << today << QDate(2027, 1, 5);
        QTest::newRow("no such day") << "26/02/30" << today << QDate();
        QTest::newRow("month 13") << "26/13/01" << today << QDate();
        QTest::newRow("other separator") << "26.12.10" << today << QDate();
        QTest::newRow("letters") << "ab/cd/ef" << today << QDate();
        QTest::newRow("empty") << "" << today << QDate();
    }
    void twoDigitYearWindow()
    {
        QFETCH(QString, text);
        QFETCH(QDate, today);
        QFETCH(QDate, expected);
        FixProgramFormats();
        const QDate got = StrToDate(text, today);
        QCOMPARE(got.isValid(), expected.isValid());
        if (expected.isValid())
            QCOMPARE(got, expected);
    }

    void fixedFormatsIgnoreTheDesktop()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        FixProgramFormats();
        QCOMPARE(DateToStr(QDate(2014, 3, 9)), QStringLiteral("14/03/09"));
        QCOMPARE(Formats().currencyDecimals, 0);
        QVERIFY(Formats().currencyString.isEmpty());
        QCOMPARE(QLocale().toString(1.5), QStringLiteral("1.5"));
    }

    void startValues()
    {
        TaxCalcMode = 2;
        CurSimeTuki = 3;
        CurLockDate = QDate(2020, 1, 1);
        ResetProgramValues();
        QCOMPARE(int(TaxCalcMode), 0);
        QCOMPARE(int(CurSimeTuki), 12);
        QCOMPARE(CurShiftNendo, 0);
        QVERIFY(CurLockDate.isNull());
        QCOMPARE(int(CurYear), QDate::currentDate().year());
        QCOMPARE(int(CurMonth), QDate::currentDate().month());
        QVERIFY(!IsWin9x);
    }
};

QTEST_GUILESS_MAIN(TestVocabulary)
#include "tst_vocabulary.moc"
