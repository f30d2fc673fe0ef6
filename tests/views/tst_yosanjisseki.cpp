#include <QtTest>

#include <memory>

#include <sqlcipher/sqlite3.h>

#include "data/BookSchema.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "views/YosanJissekiData.h"
#include "BookFixture.h"
#include "TestEnv.h"

using namespace Qt::StringLiterals;
using BookFixture::addBudget;

namespace {

void addHimoku(Database &db, int code, int pos, const QString &name, int bunrui, bool visible = true)
{
    BookFixture::addHimoku(db, {.code = code, .pos = pos, .name = name, .bunrui = bunrui, .visible = visible});
}

// reserved: 0 booked, 1 scheduled, -1 empty.
void addLine(Database &db, const QString &date, const QString &amount, int kari, int kasi, int reserved = 0)
{
    Statement st(db, u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, KARICODE, KASICODE, RESERVED) "
                     "VALUES (NULL, 0, ?, ?, ?, ?, ?)"_s);
    st.bind(1, date);
    st.bind(2, amount.toDouble());
    st.bind(3, kari);
    st.bind(4, kasi);
    st.bind(5, reserved < 0 ? QVariant() : QVariant(reserved));
    st.exec();
}

Currency yen(const char *text) { return Currency::fromString(QString::fromLatin1(text)); }

const TYosanJissekiRec &row(const TYosanJissekiArray &rows, int code)
{
    for (const TYosanJissekiRec &r : rows)
        if (r.Code == code)
            return r;
    static const TYosanJissekiRec none{-1, {}, {}, {}, {}, {}};
    return none;
}

// Every statement the calculator sends, for the query-plan check.
int traceStatement(unsigned, void *context, void *stmt, void *)
{
    char *sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt *>(stmt));
    static_cast<QStringList *>(context)->append(QString::fromUtf8(sql));
    sqlite3_free(sql);
    return 0;
}

} // namespace

// The book: income 101 給与 and 102 賞与 (POS 2, 1), expense 201 食費, 202 日用品,
// hidden expense 203. Shown month fiscal 2026/11, past month 2026/10, fiscal
// year closing in December. Expense lines of 201 around the November edges:
//   10/25 100, 10/26 10, 10/31 250 (past month; with closing day 25 the
//   current one), 11/01 1000, 11/15 300 scheduled, 11/25 20, 11/30 500.5 with
//   an empty RESERVED, 12/01 7000 (next month).
class TestYosanJisseki : public QObject
{
    Q_OBJECT

    BookFixture::SeedBook m_book;
    Database &db() { return m_book.db; }
    TYosanJissekiData m_data;

private slots:
    void init()
    {
        ResetProgramValues();
        Database &db = m_book.open();
        addHimoku(db, 101, 2, u"給与"_s, 1);
        addHimoku(db, 102, 1, u"賞与"_s, 1);
        addHimoku(db, 201, 1, u"食費"_s, 2);
        addHimoku(db, 202, 2, u"日用品"_s, 2);
        addHimoku(db, 203, 3, u"旧費目"_s, 2, false);

        addLine(db, u"2026-10-25"_s, u"100"_s, 201, 100);
        addLine(db, u"2026-10-26"_s, u"10"_s, 201, 100);
        addLine(db, u"2026-10-31"_s, u"250"_s, 201, 100);
        addLine(db, u"2026-11-01"_s, u"1000"_s, 201, 100);
        addLine(db, u"2026-11-15"_s, u"300"_s, 201, 100, 1);
        addLine(db, u"2026-11-25"_s, u"20"_s, 201, 100);
        addLine(db, u"2026-11-30"_s, u"500.5"_s, 201, 100, -1);
        addLine(db, u"2026-12-01"_s, u"7000"_s, 201, 100);
        addLine(db, u"2026-11-20"_s, u"0.1"_s, 202, 100);
        addLine(db, u"2026-11-20"_s, u"0.2"_s, 202, 100);
        // Count nowhere: a refund on the credit side of an expense, a hidden
        // category, a transfer between accounts.
        addLine(db, u"2026-11-12"_s, u"40"_s, 100, 201);
        addLine(db, u"2026-11-12"_s, u"50"_s, 203, 100);
        addLine(db, u"2026-11-12"_s, u"60"_s, 99, 100);
        // Income on the credit side.
        addLine(db, u"2026-11-10"_s, u"200000"_s, 100, 101);
        addLine(db, u"2026-10-10"_s, u"190000"_s, 100, 101);
        addLine(db, u"2026-11-30"_s, u"50000"_s, 100, 102, 1);
        m_data = TYosanJissekiData();
    }
    void cleanup()
    {
        ClearHimokuCaches();
        ResetProgramValues();
        m_book.close();
    }

    void actualsFollowPeriodsAndReservedLines_data()
    {
        QTest::addColumn<bool>("includeReserved");
        QTest::addColumn<int>("expenseClosingDay");
        QTest::addColumn<Currency>("deruIma201");
        QTest::addColumn<Currency>("deruKako201");
        QTest::addColumn<Currency>("iriIma102");
        // Month end: Nov 1..30 and Oct 1..31; the empty RESERVED counts.
        QTest::newRow("booked only") << false << 0 << yen("1520.5") << yen("360") << yen("0");
        QTest::newRow("with scheduled") << true << 0 << yen("1820.5") << yen("360") << yen("50000");
        // Closing on the 25th: Oct 26..Nov 25 and Sep 26..Oct 25, both ends counted.
        QTest::newRow("closing 25th") << false << 25 << yen("1280") << yen("100") << yen("0");
        QTest::newRow("closing 25th with scheduled") << true << 25 << yen("1580") << yen("100") << yen("50000");
    }
    void actualsFollowPeriodsAndReservedLines()
    {
        QFETCH(bool, includeReserved);
        QFETCH(int, expenseClosingDay);
        Statement upd(db(), u"UPDATE Himoku SET SIMEBI = ? WHERE CODE = 2"_s);
        upd.bind(1, expenseClosingDay);
        upd.exec();
        LoadHimokuCaches(db());

        m_data.IncludeReserved = includeReserved;
        m_data.ChangeMonths(db(), 2026, 10, 2026, 11);

        QCOMPARE(m_data.RowCount(0), 2);
        QCOMPARE(m_data.RowCount(1), 2);
        // Rows in cache order (POS), with names.
        QCOMPARE(m_data.IriRows.at(0).Code, 102);
        QCOMPARE(m_data.DeruRows.at(0).Name, u"食費"_s);
        QTEST(row(m_data.DeruRows, 201).ImaJisseki, "deruIma201");
        QTEST(row(m_data.DeruRows, 201).KakoJisseki, "deruKako201");
        QCOMPARE(row(m_data.DeruRows, 202).ImaJisseki, yen("0.3")); // summed exactly
        // Income keeps its own (month-end) period whatever the expense group does.
        QCOMPARE(row(m_data.IriRows, 101).ImaJisseki, yen("200000"));
        QCOMPARE(row(m_data.IriRows, 101).KakoJisseki, yen("190000"));
        QTEST(row(m_data.IriRows, 102).ImaJisseki, "iriIma102");
        QFETCH(Currency, deruIma201);
        QFETCH(Currency, deruKako201);
        QCOMPARE(m_data.DeruImaJisseki, deruIma201 + yen("0.3"));
        QCOMPARE(m_data.DeruKakoJisseki, deruKako201);
        QFETCH(Currency, iriIma102);
        QCOMPARE(m_data.IriImaJisseki, yen("200000") + iriIma102);
        QCOMPARE(m_data.IriKakoJisseki, yen("190000"));
        QCOMPARE(CurYear, uint16_t(2026));
        QCOMPARE(CurMonth, uint16_t(11));
    }

    void budgetsOfBothMonths()
    {
        Database &db = m_book.db;
        addBudget(db, u"2026-11-01"_s, 201, 30000, 2);
        addBudget(db, u"2026-11-01"_s, 201, 500, 2);    // a second row adds up
        addBudget(db, u"2026-10-01"_s, 201, 20000, 2);
        addBudget(db, u"2026-11-01"_s, 202, 4000, 2);
        addBudget(db, u"2026-11-01"_s, 101, 250000, 1);
        addBudget(db, u"2026-11-02"_s, 201, 999, 2);    // not a month's first day
        addBudget(db, u"2026-11-01"_s, 203, 777, 2);    // hidden: neither side
        addBudget(db, u"2026-11-01"_s, 102, 5, 2);      // income code, expense side
        addBudget(db, u"2026-10-01"_s, 201, 6, 1);      // expense code, income side
        addBudget(db, u"2026-05-01"_s, 102, 8, 2);      // contradicting, month not read
        LoadHimokuCaches(db);

        m_data.ChangeMonths(db, 2026, 10, 2026, 11);
        QCOMPARE(row(m_data.DeruRows, 201).ImaYosan, yen("30500"));
        QCOMPARE(row(m_data.DeruRows, 201).KakoYosan, yen("20000"));
        QCOMPARE(row(m_data.DeruRows, 202).ImaYosan, yen("4000"));
        QCOMPARE(row(m_data.IriRows, 101).ImaYosan, yen("250000"));
        QCOMPARE(row(m_data.IriRows, 102).ImaYosan, yen("0"));
        QCOMPARE(m_data.DeruImaYosan, yen("34500"));
        QCOMPARE(m_data.DeruKakoYosan, yen("20000"));
        QCOMPARE(m_data.IriImaYosan, yen("250000"));
        QCOMPARE(m_data.IriKakoYosan, yen("0"));
        QCOMPARE(m_data.IriImaDate, QDate(2026, 11, 1));
        QCOMPARE(m_data.DeruImaDate, QDate(2026, 11, 1));
        // The two contradicting rows of the months read are gone; the rest stay.
        QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Yosan"_s).toInt(), 8);
        QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM Yosan WHERE HIMOKUCODE = 102 AND BUNRUI = 2"_s).toInt(), 1);

        // Past and current month the same: both columns agree.
        m_data.ChangeKakoMonth(db, 2026, 11);
        QCOMPARE(m_data.DeruKakoYosan, m_data.DeruImaYosan);
        QCOMPARE(m_data.DeruKakoJisseki, m_data.DeruImaJisseki);
        QCOMPARE(m_data.KakoMonth, 11);

        // One side's current month alone (the chart's picture): its figures as
        // computed with both months, the past month and the other side at zero,
        // also with both months the same.
        const Currency actual = m_data.DeruImaJisseki;
        m_data.ChangeImaSide(db, 2026, 11, 1);
        QCOMPARE(m_data.DeruImaYosan, yen("34500"));
        QCOMPARE(m_data.DeruImaJisseki, actual);
        QCOMPARE(m_data.DeruKakoYosan, yen("0"));
        QCOMPARE(m_data.DeruKakoJisseki, yen("0"));
        QCOMPARE(m_data.IriImaYosan, yen("0"));
        QCOMPARE(m_data.DeruImaDate, QDate(2026, 11, 1));

        // A group whose month is labelled one month before its calendar month
        // (SIMESHIFT -1) keeps its November budget under December.
        Statement(db, u"UPDATE Himoku SET SIMESHIFT = -1 WHERE CODE = 2"_s).exec();
        addBudget(db, u"2026-12-01"_s, 201, 12000, 2);
        LoadHimokuCaches(db);
        m_data.ChangeImaMonth(db, 2026, 11);
        QCOMPARE(m_data.DeruImaDate, QDate(2026, 12, 1));
        QCOMPARE(row(m_data.DeruRows, 201).ImaYosan, yen("12000"));
        QCOMPARE(m_data.IriImaDate, QDate(2026, 11, 1));
    }

    void rowsFollowTheCaches()
    {
        Database &db = m_book.db;
        addBudget(db, u"2026-11-01"_s, 202, 4000, 2);
        LoadHimokuCaches(db);
        m_data.ChangeMonths(db, 2026, 10, 2026, 11);
        QCOMPARE(m_data.RowCount(1), 2);
        const Currency actual = row(m_data.DeruRows, 202).ImaJisseki;

        // The same caches again: the figures are computed anew, not added to
        // those of the last computation.
        m_data.ChangeImaSide(db, 2026, 11, 1);
        m_data.ChangeImaSide(db, 2026, 11, 1);
        QCOMPARE(row(m_data.DeruRows, 202).ImaYosan, yen("4000"));
        QCOMPARE(row(m_data.DeruRows, 202).ImaJisseki, actual);
        QCOMPARE(m_data.DeruImaYosan, yen("4000"));

        // Renamed, shown and hidden categories reach the rows once the caches
        // are loaded again, with the figures in the right rows.
        Statement(db, u"UPDATE Himoku SET NAME = '生活用品' WHERE CODE = 202"_s).exec();
        Statement(db, u"UPDATE Himoku SET VISIBLE = 1 WHERE CODE = 203"_s).exec();
        Statement(db, u"UPDATE Himoku SET VISIBLE = 0 WHERE CODE = 201"_s).exec();
        LoadHimokuCaches(db);
        m_data.ChangeImaSide(db, 2026, 11, 1);
        QCOMPARE(m_data.RowCount(1), 2);
        QCOMPARE(row(m_data.DeruRows, 201).Code, -1);
        QCOMPARE(row(m_data.DeruRows, 202).Name, u"生活用品"_s);
        QCOMPARE(row(m_data.DeruRows, 202).ImaYosan, yen("4000"));
        QCOMPARE(row(m_data.DeruRows, 203).ImaJisseki, yen("50"));

        // Emptied caches leave no rows behind.
        ClearHimokuCaches();
        m_data.ChangeImaSide(db, 2026, 11, 1);
        QCOMPARE(m_data.RowCount(1), 0);
        QCOMPARE(m_data.DeruImaJisseki, Currency());
    }

    void readsOnlyTheMonthsThroughTheDateIndex()
    {
        LoadHimokuCaches(db());
        QStringList sent;
        sqlite3_trace_v2(db().handle(), SQLITE_TRACE_STMT, traceStatement, &sent);
        m_data.ChangeMonths(db(), 2026, 10, 2026, 11);
        sqlite3_trace_v2(db().handle(), 0, nullptr, nullptr);

        const QStringList journal = sent.filter(u"FROM Master"_s, Qt::CaseInsensitive);
        QCOMPARE(journal.size(), 4); // one per side and month
        QCOMPARE(sent.filter(u"FROM Yosan"_s, Qt::CaseInsensitive).size(), 1);
        for (const QString &sql : journal) {
            Statement plan(db(), u"EXPLAIN QUERY PLAN "_s + sql);
            QString detail;
            while (plan.next())
                detail += plan.textValue(3) + u'\n';
            QVERIFY2(detail.contains(u"INDEX Master_RECDATE"_s), qPrintable(sql + u'\n' + detail));
            QVERIFY2(!detail.contains(u"SCAN TABLE Master"_s), qPrintable(detail));
        }
    }

    void sidesAndEmptyBook()
    {
        // No categories of either side: no rows, zero totals.
        LoadHimokuCaches(db());
        Statement(db(), u"UPDATE Himoku SET VISIBLE = 0 WHERE BUNRUI = 1 AND CODE > 99"_s).exec();
        LoadHimokuCaches(db());
        m_data.ChangeMonths(db(), 2026, 10, 2026, 11);
        QCOMPARE(m_data.RowCount(0), 0);
        QCOMPARE(m_data.IriImaJisseki, Currency());
        TYosanJissekiArray rows;
        m_data.GetRows(0, rows);
        QVERIFY(rows.isEmpty());
        m_data.GetRows(1, rows);
        QCOMPARE(rows.size(), 2);
        m_data.GetRows(2, rows);
        QCOMPARE(rows.size(), 2); // left as it was
        QCOMPARE(m_data.RowCount(2), 0);
        QCOMPARE(m_data.RowCount(-1), 0);

        // Without an open book the rows are there with zero amounts and the
        // budget dates still follow the month.
        m_data.ChangeMonths(2026, 10, 2027, 2);
        QCOMPARE(m_data.RowCount(1), 2);
        QCOMPARE(m_data.DeruImaJisseki, Currency());
        QCOMPARE(m_data.DeruImaYosan, Currency());
        QCOMPARE(m_data.DeruImaDate, QDate(2027, 2, 1));
        QCOMPARE(CurMonth, uint16_t(2));
    }
};

QTEST_GUILESS_MAIN(TestYosanJisseki)
#include "tst_yosanjisseki.moc"
