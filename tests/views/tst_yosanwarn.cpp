#include <QtTest>

#include <memory>

#include "data/BookSchema.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "views/YosanWarn.h"
#include "BookFixture.h"
#include "TestEnv.h"

using namespace Qt::StringLiterals;

namespace {

void addHimoku(Database &db, int code, int pos, int bunrui, bool warn)
{
    BookFixture::addHimoku(
        db, {.code = code, .pos = pos, .name = u"費目%1"_s.arg(code), .bunrui = bunrui, .yosanWarn = warn});
}

void addBudget(Database &db, const QString &date, int code, const QString &amount, int bunrui)
{
    BookFixture::addBudget(db, date, code, amount.toDouble(), bunrui);
}

Currency yen(const char *text) { return Currency::fromString(QString::fromLatin1(text)); }

} // namespace

class TestYosanWarn : public QObject
{
    Q_OBJECT

    BookFixture::SeedBook m_book;
    Database &db() { return m_book.db; }

private slots:
    // Expense 201 (flagged, POS 2), 202 (not flagged, POS 1), 203 (flagged, no
    // budget); income 101 (flagged). Budgets of November 2026 and a December
    // one for the shifted month.
    void init()
    {
        ResetProgramValues();
        Database &db = m_book.open();
        addHimoku(db, 201, 2, 2, true);
        addHimoku(db, 202, 1, 2, false);
        addHimoku(db, 203, 3, 2, true);
        addHimoku(db, 101, 1, 1, true);
        addBudget(db, u"2026-11-01"_s, 201, u"30000"_s, 2);
        addBudget(db, u"2026-11-01"_s, 201, u"99"_s, 2);     // duplicate: the first counts
        addBudget(db, u"2026-11-01"_s, 202, u"5000.5"_s, 2);
        addBudget(db, u"2026-11-01"_s, 101, u"250000"_s, 2); // BUNRUI is not compared
        addBudget(db, u"2026-10-01"_s, 201, u"1"_s, 2);
        addBudget(db, u"2026-12-01"_s, 201, u"12000"_s, 2);
        LoadHimokuCaches(db);
    }
    void cleanup()
    {
        ClearHimokuCaches();
        ResetProgramValues();
        m_book.close();
    }

    void loadsOneMonthInCacheOrder_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("monthShift");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<QList<bool>>("warn");
        QTest::addColumn<QList<Currency>>("budgets");
        QTest::addColumn<Currency>("total");
        QTest::addColumn<Currency>("warnTotal");
        QTest::newRow("expense") << 2 << 0 << QList<int>{202, 201, 203} << QList<bool>{false, true, true}
                                 << QList<Currency>{yen("5000.5"), yen("30000"), yen("0")} << yen("35000.5")
                                 << yen("30000");
        // Month labelled one before its calendar month: November's budget is December's row.
        QTest::newRow("expense shifted") << 2 << -1 << QList<int>{202, 201, 203} << QList<bool>{false, true, true}
                                         << QList<Currency>{yen("0"), yen("12000"), yen("0")} << yen("12000")
                                         << yen("12000");
        QTest::newRow("income") << 1 << 0 << QList<int>{101} << QList<bool>{true}
                                << QList<Currency>{yen("250000")} << yen("250000") << yen("250000");
    }
    void loadsOneMonthInCacheOrder()
    {
        QFETCH(int, kind);
        QFETCH(int, monthShift);
        QFETCH(QList<int>, codes);
        QFETCH(QList<bool>, warn);
        QFETCH(QList<Currency>, budgets);
        TYosanWarn w{uint8_t(kind)};
        w.LoadBudget(db(), 2026, 11, monthShift);
        QCOMPARE(w.Year, uint16_t(2026));
        QCOMPARE(w.Month, uint16_t(11));
        QCOMPARE(w.Rows.size(), codes.size());
        for (int i = 0; i < codes.size(); ++i) {
            QCOMPARE(w.Rows.at(i).Code, codes.at(i));
            QCOMPARE(w.Rows.at(i).Warn, warn.at(i));
            QCOMPARE(w.Rows.at(i).Yosan, budgets.at(i));
        }
        QTEST(w.TotalBudget(), "total");
        QTEST(w.WarnBudget(), "warnTotal");

        // A reload replaces everything; a month without budgets gives zeros.
        w.LoadBudget(db(), 2026, 3, monthShift);
        QCOMPARE(w.Rows.size(), codes.size());
        QCOMPARE(w.TotalBudget(), Currency());
        QCOMPARE(w.WarnBudget(), Currency());
    }

    void noCategoriesNoRows()
    {
        Statement(db(), u"UPDATE Himoku SET VISIBLE = 0 WHERE BUNRUI = 1 AND CODE > 99"_s).exec();
        LoadHimokuCaches(db());
        TYosanWarn w(1);
        w.LoadBudget(db(), 2026, 11, 0);
        QVERIFY(w.Rows.isEmpty());
        QCOMPARE(w.TotalBudget(), Currency());
        QCOMPARE(w.WarnBudget(), Currency());
    }

    void rates_data()
    {
        QTest::addColumn<Currency>("amount");
        QTest::addColumn<Currency>("budget");
        QTest::addColumn<int>("rate");
        QTest::newRow("half") << yen("1500") << yen("3000") << 50;
        QTest::newRow("rounded down") << yen("1") << yen("3") << 33;
        QTest::newRow("rounded up") << yen("2") << yen("3") << 67;
        QTest::newRow("half away from zero") << yen("-1") << yen("200") << -1;
        QTest::newRow("over budget") << yen("4500") << yen("3000") << 150;
        QTest::newRow("no budget") << yen("100") << yen("0") << 0;
    }
    void rates()
    {
        QFETCH(Currency, amount);
        QFETCH(Currency, budget);
        QTEST(TYosanWarn::BudgetRate(amount, budget), "rate");
    }

    // The totals row divides by the total budget, so the guard is on it: a
    // flagged 500 and an unflagged -500 cancel out.
    void totalRateGuardsItsOwnDivisor()
    {
        TYosanWarn w(2);
        w.WarnTotal = yen("500");
        w.Total = yen("0");
        QCOMPARE(w.TotalRate(yen("300")), 0);
        w.WarnTotal = yen("0");
        w.Total = yen("600");
        QCOMPARE(w.TotalRate(yen("300")), 50);
    }

    void pace_data()
    {
        QTest::addColumn<Currency>("warnBudget");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<double>("pace");
        const QDate nov1(2026, 11, 1);
        const QDate nov30(2026, 11, 30);
        // 15,000 of a 30,000 warning budget spent.
        QTest::newRow("half way, half spent") << yen("30000") << nov1 << nov30 << QDate(2026, 11, 15) << 100.0;
        QTest::newRow("first day") << yen("30000") << nov1 << nov30 << nov1 << 1500.0;
        QTest::newRow("last day") << yen("30000") << nov1 << nov30 << nov30 << 50.0;
        QTest::newRow("month ended") << yen("30000") << nov1 << nov30 << QDate(2026, 12, 20) << 50.0;
        QTest::newRow("month ended long ago") << yen("30000") << nov1 << nov30 << QDate(2027, 6, 1) << 50.0;
        QTest::newRow("month to come") << yen("30000") << nov1 << nov30 << QDate(2026, 10, 20) << 50.0;
        // Closing on the 25th: Oct 26..Nov 25 is 31 days.
        QTest::newRow("closing 25th, day 16") << yen("31000") << QDate(2026, 10, 26) << QDate(2026, 11, 25)
                                              << QDate(2026, 11, 10) << 15000.0 / 16000.0 * 100.0;
        QTest::newRow("closing 25th, ended") << yen("31000") << QDate(2026, 10, 26) << QDate(2026, 11, 25)
                                             << QDate(2026, 11, 26) << 15000.0 / 31000.0 * 100.0;
        QTest::newRow("no warning budget") << yen("0") << nov1 << nov30 << QDate(2026, 11, 15) << 0.0;
        QTest::newRow("negative warning budget") << yen("-100") << nov1 << nov30 << QDate(2026, 11, 15) << 0.0;
    }
    void pace()
    {
        QFETCH(Currency, warnBudget);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QDate, today);
        QFETCH(double, pace);
        TYosanWarn w(2);
        w.WarnTotal = warnBudget;
        QCOMPARE(w.Pace(yen("15000"), start, end, today), pace);
    }
};

QTEST_GUILESS_MAIN(TestYosanWarn)
#include "tst_yosanwarn.moc"
