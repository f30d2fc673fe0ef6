#include <QtTest>

#include "controls/MyDBGrid.h"
#include "data/BookSchema.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/system/Exception.h"
#include "views/NenSyukeiData.h"
#include "views/NenSyusiMeisai.h"
#include "BookFixture.h"
#include "TestEnv.h"

using namespace Qt::StringLiterals;

namespace {

Currency yen(const char *text) { return Currency::fromString(QString::fromLatin1(text)); }

const TNenSyukeiRec &row(const TNenSyukeiArray &rows, int code)
{
    for (const TNenSyukeiRec &r : rows)
        if (r.Code == code)
            return r;
    static const TNenSyukeiRec none;
    return none;
}

enum Code { Salary = 101, Food = 201, Goods = 202, Hidden = 203, Cash = 100, Bank = 302, Card = 303 };

} // namespace

// The annual totals of a small book worked out by hand. Fiscal year 2026,
// closing in December unless a case says otherwise.
//
//   accounts  100 現金 (opening 10,000), 302 銀行 (500,000), 303 カード (credit,
//             2,000 owed); income 101 給与; expense 201 食費, 202 日用品, hidden 203.
class TestNenSyukeiData : public QObject
{
    Q_OBJECT

    BookFixture::SeedBook m_book;
    Database &db() { return m_book.db; }
    TNenSyukeiData m_data;
    int m_dataNo = 1;

    int addLine(const QString &date, const QString &amount, int kari, int kasi, const QVariant &reserved = 0,
                double quantity = 0, int person = 0)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, "
                           "RESERVED, PERSONCODE, HINMEICODE, SHOPCODE) VALUES (?, 1, ?, ?, ?, ?, ?, ?, ?, 0, 0)"_s);
        const int no = ++m_dataNo;
        st.bind(1, no);
        st.bind(2, date);
        st.bind(3, amount.toDouble());
        st.bind(4, quantity);
        st.bind(5, kari);
        st.bind(6, kasi);
        st.bind(7, reserved);
        st.bind(8, person);
        st.exec();
        return no;
    }
    void setGroupClosing(int group, int day)
    {
        db().exec(u"UPDATE Himoku SET SIMEBI = %1 WHERE CODE = %2"_s.arg(day).arg(group));
        LoadHimokuCaches(db());
    }
    // The lines of the book's main example (see the header of the class).
    void addExampleLines()
    {
        addLine(u"2025-06-10"_s, u"300000"_s, Bank, Salary);        // before the span
        addLine(u"2025-03-10"_s, u"700"_s, Food, Cash);             // the year before, March
        addLine(u"2026-01-05"_s, u"1200.75"_s, Food, Cash);
        addLine(u"2026-01-09"_s, u"400"_s, Hidden, Cash);           // hidden: only cash counts it
        addLine(u"2026-01-20"_s, u"50000"_s, Cash, Bank);           // transfer
        addLine(u"2026-02-03"_s, u"3000"_s, Food, Card);            // bought on the card
        addLine(u"2026-02-27"_s, u"5000"_s, Card, Bank);            // card repaid
        addLine(u"2026-03-15"_s, u"250000.25"_s, Bank, Salary);
        addLine(u"2026-03-16"_s, u"999"_s, Food, Cash, 1);          // scheduled
        addLine(u"2026-03-17"_s, u"0.50"_s, Food, Cash, QVariant()); // empty RESERVED: booked
        addLine(u"2026-04-02"_s, u"100"_s, Goods, Cash);            // a group that sums to 0
        addLine(u"2026-04-02"_s, u"-100"_s, Goods, Cash);
        addLine(u"2026-05-01"_s, u"12.75"_s, Goods, Cash);
        addLine(u"2027-01-01"_s, u"8000"_s, Food, Cash);            // after the span
    }

private slots:
    void init()
    {
        ResetProgramValues();
        Database &d = m_book.open();
        BookFixture::addHimoku(d, {.code = Salary, .pos = 1, .name = u"給与"_s, .bunrui = 1});
        BookFixture::addHimoku(d, {.code = Food, .pos = 1, .name = u"食費"_s, .bunrui = 2});
        BookFixture::addHimoku(d, {.code = Goods, .pos = 2, .name = u"日用品"_s, .bunrui = 2});
        BookFixture::addHimoku(d, {.code = Hidden, .pos = 3, .name = u"旧費目"_s, .bunrui = 2, .visible = false});
        BookFixture::addHimoku(d, {.code = Bank, .pos = 2, .name = u"銀行"_s, .bunrui = 5, .syokizan = 500000});
        BookFixture::addHimoku(d, {.code = Card, .pos = 3, .name = u"カード"_s, .bunrui = 9, .syokizan = 2000});
        d.exec(u"UPDATE Himoku SET SYOKIZAN = 10000 WHERE CODE = 100"_s);
        LoadHimokuCaches(d);
        m_data = TNenSyukeiData();
        m_dataNo = 1;
    }
    void cleanup()
    {
        ClearHimokuCaches();
        ResetProgramValues();
        m_book.close();
    }

    // Every figure of the four arrays in calendar months for the example book.
    void monthlyFiguresOfTheExample()
    {
        addExampleLines();
        m_data.Getudo = false;
        m_data.Calculate(db(), 2026);
        QCOMPARE(CurYear, uint16_t(2026));
        QCOMPARE(m_data.ColCount, 13);
        QCOMPARE(m_data.ColTitles[0], u"期間以前"_s);
        QCOMPARE(m_data.ColTitles[1], u"1月"_s);
        QCOMPARE(m_data.ColTitles[12], u"12月"_s);
        QCOMPARE(m_data.ColTitles[13], u"年間"_s);

        const TNenSyukeiRec &salary = row(m_data.IriRows, Salary);
        QCOMPARE(salary.Kingaku[0], yen("300000"));
        QCOMPARE(salary.Kingaku[3], yen("250000.25"));
        QCOMPARE(salary.Kingaku[13], yen("250000.25"));  // column 0 is not in the total
        QCOMPARE(salary.ZenKingaku[6], yen("300000"));
        QCOMPARE(salary.Ruikei[0], Currency());          // no carried balance for income
        QCOMPARE(salary.Ruikei[12], yen("250000.25"));

        const TNenSyukeiRec &food = row(m_data.DeruRows, Food);
        const Currency foodCols[14] = {yen("700"),  yen("1200.75"), yen("3000"), yen("0.5"), {}, {}, {}, {}, {},
                                       {},          {},             {},          {},          yen("4201.25")};
        for (int i = 0; i < 14; ++i)
            QVERIFY2(food.Kingaku[i] == foodCols[i], qPrintable(u"food column %1"_s.arg(i)));
        QCOMPARE(food.ZenKingaku[3], yen("700"));
        QCOMPARE(food.ZenKingaku[13], yen("700"));
        const TNenSyukeiRec &goods = row(m_data.DeruRows, Goods);
        QCOMPARE(goods.Kingaku[4], Currency());
        QCOMPARE(goods.Kingaku[5], yen("12.75"));
        QCOMPARE(row(m_data.DeruRows, Hidden).Code, 0);   // hidden: no row

        // Balances: opening balance plus everything before, then month by month.
        const TNenSyukeiRec &cash = row(m_data.KouzaRows, Cash);
        QCOMPARE(cash.Kingaku[0], yen("-700"));
        QCOMPARE(cash.Ruikei[0], yen("9300"));
        QCOMPARE(cash.Kingaku[1], yen("48399.25"));
        QCOMPARE(cash.Ruikei[1], yen("57699.25"));
        QCOMPARE(cash.Ruikei[3], yen("57698.75"));
        QCOMPARE(cash.Ruikei[5], yen("57686"));
        QCOMPARE(cash.Ruikei[12], yen("57686"));
        QCOMPARE(cash.Ruikei[13], Currency());
        QCOMPARE(cash.Kingaku[13], yen("48386"));
        const TNenSyukeiRec &bank = row(m_data.KouzaRows, Bank);
        QCOMPARE(bank.Ruikei[0], yen("800000"));
        QCOMPARE(bank.Ruikei[1], yen("750000"));
        QCOMPARE(bank.Ruikei[2], yen("745000"));
        QCOMPARE(bank.Ruikei[3], yen("995000.25"));
        // A liability grows with credits: bought on the card, then repaid.
        const TNenSyukeiRec &card = row(m_data.KouzaRows, Card);
        QVERIFY(!card.Karigata);
        QCOMPARE(card.Ruikei[0], yen("2000"));
        QCOMPARE(card.Kingaku[2], yen("-2000"));
        QCOMPARE(card.Ruikei[2], Currency());

        // Summary rows; 口座 is assets minus liabilities.
        TNenSyukeiRec s;
        m_data.GetSum(1, s);
        QCOMPARE(s.Name, u"収入合計"_s);
        QCOMPARE(s.Kingaku[13], yen("250000.25"));
        m_data.GetSum(2, s);
        QCOMPARE(s.Kingaku[13], yen("4214"));
        QCOMPARE(s.Periods[1].StartDate, QDate(2026, 1, 1));
        m_data.GetSum(3, s);
        QCOMPARE(s.Name, u"口座"_s);
        QCOMPARE(s.Kingaku[13], yen("245386.25"));  // the year's result less the hidden 400
        QCOMPARE(s.Ruikei[0], yen("807300"));
        QCOMPARE(s.Ruikei[12], yen("1052686.25"));
        m_data.GetSum(4, s);
        QCOMPARE(s.Kingaku[13], yen("245786.25"));
        QCOMPARE(s.Kingaku[3], yen("249999.75"));

        // Ratios against the year before; none where the year before is 0.
        QCOMPARE(food.Hiritu[3], 0.5 / 700.0 * 100.0);
        QCOMPARE(food.Hiritu[1], 0.0);
        QCOMPARE(salary.Hiritu[13], 250000.25 / 300000.0 * 100.0);
    }

    // Scheduled lines count only when included; the filters of 条件集計 apply
    // only while it is on.
    void reservedLinesAndFilters()
    {
        addExampleLines();
        addLine(u"2026-06-01"_s, u"60"_s, Food, Cash, 0, 0, 7);
        m_data.Getudo = false;
        m_data.IncludeReserved = true;
        m_data.Calculate(db(), 2026);
        QCOMPARE(row(m_data.DeruRows, Food).Kingaku[3], yen("999.5"));

        m_data.IncludeReserved = false;
        m_data.PersonCode = 7;
        m_data.Calculate(db(), 2026);
        QCOMPARE(row(m_data.DeruRows, Food).Kingaku[13], yen("4261.25"));  // filter off
        m_data.JyoukenOn = true;
        m_data.Calculate(db(), 2026);
        QCOMPARE(row(m_data.DeruRows, Food).Kingaku[13], yen("60"));
        QCOMPARE(row(m_data.IriRows, Salary).Kingaku[13], Currency());
        m_data.PersonCode = 0;
        m_data.KouzaCode = Card;
        m_data.Calculate(db(), 2026);
        QCOMPARE(row(m_data.DeruRows, Food).Kingaku[13], yen("3000"));
        QCOMPARE(row(m_data.KouzaRows, Bank).Kingaku[13], yen("-5000"));
    }

    // Which column a date lands in, for the three closing days and calendar
    // months: both ends of a period count, a date after the span counts nowhere.
    void periodEdges_data()
    {
        QTest::addColumn<int>("closingDay");
        QTest::addColumn<bool>("getudo");
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("column");     // shown year, -1 none
        QTest::addColumn<int>("zenColumn");  // the year before, -1 none
        QTest::newRow("month end, last day of Jan") << 31 << true << u"2026-01-31"_s << 1 << -1;
        QTest::newRow("month end, Feb 1") << 31 << true << u"2026-02-01"_s << 2 << -1;
        QTest::newRow("month end, Dec 31 before") << 0 << true << u"2025-12-31"_s << 0 << 12;
        QTest::newRow("month end, after the span") << 31 << true << u"2027-01-01"_s << -1 << -1;
        QTest::newRow("25th, Jan 25") << 25 << true << u"2026-01-25"_s << 1 << -1;
        QTest::newRow("25th, Jan 26") << 25 << true << u"2026-01-26"_s << 2 << -1;
        QTest::newRow("25th, Dec 26 before") << 25 << true << u"2025-12-26"_s << 1 << -1;
        QTest::newRow("25th, Dec 25 before") << 25 << true << u"2025-12-25"_s << 0 << 12;
        QTest::newRow("25th, Dec 25") << 25 << true << u"2026-12-25"_s << 12 << -1;
        QTest::newRow("25th, Dec 26") << 25 << true << u"2026-12-26"_s << -1 << -1;
        QTest::newRow("10th, Jan 10") << 10 << true << u"2026-01-10"_s << 1 << -1;
        QTest::newRow("10th, Dec 11 before") << 10 << true << u"2025-12-11"_s << 1 << -1;
        QTest::newRow("10th, Jun 11") << 10 << true << u"2026-06-11"_s << 7 << -1;
        QTest::newRow("calendar, Jan 26") << 25 << false << u"2026-01-26"_s << 1 << -1;
        QTest::newRow("calendar, Dec 31") << 25 << false << u"2026-12-31"_s << 12 << -1;
    }
    void periodEdges()
    {
        QFETCH(int, closingDay);
        QFETCH(bool, getudo);
        QFETCH(QString, date);
        QFETCH(int, column);
        QFETCH(int, zenColumn);
        setGroupClosing(2, closingDay);
        addLine(date, u"10"_s, Food, Cash);
        m_data.Getudo = getudo;
        m_data.Calculate(db(), 2026);
        const TNenSyukeiRec &food = row(m_data.DeruRows, Food);
        for (int i = 0; i < 13; ++i) {
            QCOMPARE(food.Kingaku[i], i == column ? yen("10") : Currency());
            QCOMPARE(food.ZenKingaku[i], i == zenColumn ? yen("10") : Currency());
        }
        QCOMPARE(food.Kingaku[13], column >= 1 ? yen("10") : Currency());
        // Every expense row shares the group's periods.
        QCOMPARE(row(m_data.DeruRows, Goods).Periods[1].StartDate, food.Periods[1].StartDate);
    }

    // A fiscal year closing in March: April to March, titles and periods, also
    // in the yearly view.
    void shiftedFiscalYearAndYearlyView()
    {
        CurSimeTuki = 3;
        addLine(u"2025-03-31"_s, u"1"_s, Food, Cash);
        addLine(u"2025-04-01"_s, u"2"_s, Food, Cash);
        addLine(u"2026-03-31"_s, u"4"_s, Food, Cash);
        addLine(u"2026-04-01"_s, u"8"_s, Food, Cash);
        m_data.Getudo = false;
        m_data.Calculate(db(), 2026);
        QCOMPARE(m_data.ColTitles[1], u"4月"_s);
        QCOMPARE(m_data.ColTitles[12], u"3月"_s);
        const TNenSyukeiRec &food = row(m_data.DeruRows, Food);
        QCOMPARE(food.Periods[1].StartDate, QDate(2025, 4, 1));
        QCOMPARE(food.Periods[12].EndDate, QDate(2026, 3, 31));
        QCOMPARE(food.Kingaku[0], yen("1"));
        QCOMPARE(food.Kingaku[1], yen("2"));
        QCOMPARE(food.Kingaku[12], yen("4"));
        QCOMPARE(food.Kingaku[13], yen("6"));
        QCOMPARE(food.ZenKingaku[12], yen("1"));

        m_data.SetGetuji(false);
        QCOMPARE(m_data.ColCount, 11);
        m_data.Calculate(db(), 2026);
        QCOMPARE(m_data.ColTitles[10], u"2026年"_s);
        QCOMPARE(m_data.ColTitles[11], u"総合計"_s);
        QCOMPARE(m_data.ColTitles[0], u"繰越額"_s);
        const TNenSyukeiRec &y = row(m_data.DeruRows, Food);
        QCOMPARE(y.Periods[10].StartDate, QDate(2025, 4, 1));
        QCOMPARE(y.Kingaku[10], yen("6"));
        QCOMPARE(y.Kingaku[9], yen("1"));
        QCOMPARE(y.Kingaku[11], yen("7"));
        QCOMPARE(y.ZenKingaku[10], yen("1"));
        QCOMPARE(y.Hiritu[11], 0.0);  // no ratio for the ten-year total
        QCOMPARE(y.Hiritu[10], 600.0);
    }

    // The totals carried into the span are kept between computations: another
    // year, another closing day or calendar months give what a fresh
    // calculator gives, and a line written since is seen.
    void carriedTotalsStayRight()
    {
        addExampleLines();
        setGroupClosing(2, 25);
        auto same = [this](int year, bool getudo, bool getuji) {
            m_data.Getudo = getudo;
            m_data.SetGetuji(getuji);
            m_data.Calculate(db(), year);
            TNenSyukeiData fresh;
            fresh.Getudo = getudo;
            fresh.SetGetuji(getuji);
            fresh.Calculate(db(), year);
            for (int kind = 1; kind <= 3; ++kind)
                for (int i = 0; i < fresh.RowCount(kind); ++i) {
                    const TNenSyukeiRec &a = m_data.Rows(kind).at(i);
                    const TNenSyukeiRec &b = fresh.Rows(kind).at(i);
                    if (a.Kingaku != b.Kingaku || a.ZenKingaku != b.ZenKingaku || a.Ruikei != b.Ruikei)
                        return false;
                }
            return true;
        };
        QVERIFY(same(2026, true, true));
        QVERIFY(same(2026, false, true));
        QVERIFY(same(2027, true, true));
        QVERIFY(same(2025, true, true));
        QVERIFY(same(2026, true, false));
        QVERIFY(same(2026, true, true));
        QCOMPARE(row(m_data.KouzaRows, Cash).Ruikei[0], yen("9300"));
        addLine(u"2020-05-05"_s, u"1000"_s, Food, Cash);
        m_data.Calculate(db(), 2026);
        QCOMPARE(row(m_data.KouzaRows, Cash).Ruikei[0], yen("8300"));
        m_data.IncludeReserved = true;
        addLine(u"2020-05-06"_s, u"50"_s, Food, Cash, 1);
        m_data.Calculate(db(), 2026);
        QCOMPARE(row(m_data.KouzaRows, Cash).Ruikei[0], yen("8250"));
    }

    // Quantities: a transfer adds its quantity to the debit account only.
    void quantities()
    {
        addLine(u"2026-02-01"_s, u"5000"_s, Cash, Bank, 0, 2.5);
        addLine(u"2026-02-02"_s, u"300"_s, Food, Cash, 0, 3);
        m_data.Suryou = true;
        m_data.Getudo = false;
        m_data.Calculate(db(), 2026);
        // The purchase names no debit account, so its credit account takes it.
        QCOMPARE(row(m_data.KouzaRows, Cash).Kingaku[2], yen("5.5"));
        QCOMPARE(row(m_data.KouzaRows, Bank).Kingaku[2], Currency());
        QCOMPARE(row(m_data.DeruRows, Food).Kingaku[2], yen("3"));
    }

    // Kinds outside the range; with no visible account the accounts' summary
    // keeps an empty span that can still be formatted.
    void kindsAndEmptyAccounts()
    {
        db().exec(u"UPDATE Himoku SET VISIBLE = 0 WHERE BUNRUI >= 3"_s);
        LoadHimokuCaches(db());
        m_data.Calculate(db(), 2026);
        QCOMPARE(m_data.RowCount(3), 0);
        QCOMPARE(m_data.RowCount(4), 4);
        TNenSyukeiArray rows;
        m_data.GetRows(4, rows);
        QVERIFY(rows.isEmpty());
        TNenSyukeiRec s;
        m_data.GetSum(3, s);
        QVERIFY(s.Periods[1].StartDate > s.Periods[1].EndDate);
        QVERIFY(!s.Periods[1].StartDate.toString(u"yy.MM.dd"_s).isEmpty());
        QVERIFY_THROWS_EXCEPTION(Exception, m_data.GetSum(5, s));
        QVERIFY_THROWS_EXCEPTION(Exception, m_data.RowCount(0));
    }

    // The detail list of a cell lists exactly the lines that make up the cell.
    void detailListsTheLinesOfACell_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("column");  // 13: the whole year
        QTest::addColumn<bool>("reserved");
        QTest::newRow("expense category, March") << 2 << int(Food) << 3 << false;
        QTest::newRow("expense category, March with scheduled") << 2 << int(Food) << 3 << true;
        QTest::newRow("expense total, whole year") << 2 << 0 << 13 << false;
        QTest::newRow("income total, whole year") << 1 << 0 << 13 << false;
        QTest::newRow("account, January") << 3 << int(Cash) << 1 << false;
        QTest::newRow("account total, February") << 3 << 0 << 2 << false;
    }
    void detailListsTheLinesOfACell()
    {
        QFETCH(int, kind);
        QFETCH(int, code);
        QFETCH(int, column);
        QFETCH(bool, reserved);
        addExampleLines();
        m_data.Getudo = false;
        m_data.IncludeReserved = reserved;
        m_data.Calculate(db(), 2026);
        TNenSyukeiRec rec;
        if (code == 0)
            m_data.GetSum(kind, rec);
        else
            rec = row(m_data.Rows(kind), code);

        TNenSyusiMeisaiRequest r;
        r.Kind = kind;
        r.Code = code;
        r.StartDate = rec.Periods[column].StartDate;
        r.EndDate = rec.Periods[column].EndDate;
        r.IncludeReserved = reserved;
        TNenSyusiMeisai panel;
        panel.ShowLines(db(), r);
        Query *q = panel.query();
        QVERIFY(q && q->isActive());

        // The lines' own sum, signed as the table counts them, is the cell.
        Currency sum;
        int lines = 0;
        for (q->first(); !q->eof(); q->next()) {
            ++lines;
            const Currency v = q->fieldByName(u"KINGAKU"_s)->asCurrency();
            if (kind != 3) {
                sum += v;
                continue;
            }
            // Account lines: the debit raises an asset and lowers a liability;
            // summed over all accounts as net worth, a debit adds and a credit
            // takes away.
            const int kari = q->fieldByName(u"CODE"_s)->asInteger();
            const int kasi = q->fieldByName(u"KOUZACODE"_s)->asInteger();
            for (const TNenSyukeiRec &a : m_data.KouzaRows) {
                if (code == 0) {
                    if (a.Code == kari)
                        sum += v;
                    if (a.Code == kasi)
                        sum -= v;
                } else if (a.Code == code) {
                    if (kari == code)
                        sum += a.Karigata ? v : -v;
                    if (kasi == code)
                        sum += a.Karigata ? -v : v;
                }
            }
        }
        QVERIFY(lines > 0);
        QCOMPARE(sum, rec.Kingaku[column]);
    }

    // Sorting by a name orders by it; a second click reverses the order.
    void detailSortsByName()
    {
        addExampleLines();
        TNenSyusiMeisaiRequest r;
        r.Kind = 2;
        r.StartDate = QDate(2026, 1, 1);
        r.EndDate = QDate(2026, 12, 31);
        TNenSyusiMeisai panel;
        panel.ShowLines(db(), r);
        QCOMPARE(panel.sortField(), u"KINGAKU"_s);
        QVERIFY(panel.sortDescending());
        QCOMPARE(panel.query()->fieldByName(u"KINGAKU"_s)->asCurrency(), yen("3000"));
        int himokuColumn = -1;
        for (int i = 0; i < panel.DbGridMeisai->columnCount(); ++i)
            if (panel.DbGridMeisai->column(i).fieldName == u"HimokuName"_s)
                himokuColumn = i;
        panel.TitleClick(himokuColumn);
        QCOMPARE(panel.sortField(), u"HimokuName"_s);
        QVERIFY(!panel.sortDescending());
        QCOMPARE(panel.query()->fieldByName(u"HimokuName"_s)->asString(), u"日用品"_s);
        panel.TitleClick(himokuColumn);
        QVERIFY(panel.sortDescending());
        QCOMPARE(panel.query()->fieldByName(u"HimokuName"_s)->asString(), u"食費"_s);
        QVERIFY(panel.DbGridMeisai->column(himokuColumn).caption.endsWith(u"↓"_s));
    }
};

QTEST_MAIN(TestNenSyukeiData)
#include "tst_nensyukeidata.moc"
