#include <QtTest>

#include "controls/CurrencyGridModel.h"
#include "data/FormatSettings.h"
#include "views/YosanJissekiData.h"
#include "views/YosanTables.h"

using namespace Qt::StringLiterals;

namespace {

Currency yen(const char *text) { return Currency::fromString(QString::fromLatin1(text)); }

TYosanJissekiRec rec(int code, const QString &name, const char *imaYosan, const char *imaJisseki,
                     const char *kakoYosan = "0", const char *kakoJisseki = "0")
{
    return {code, name, yen(kakoYosan), yen(kakoJisseki), yen(imaYosan), yen(imaJisseki)};
}

struct Tables
{
    CurrencyGridModel yosan, jisseki, kako, syusi;
    Tables()
    {
        yosan.setColCount(2);
        jisseki.setColCount(3);
        kako.setColCount(3);
    }
    void fill(int side, const TYosanJissekiData &data) { TYosanTables::FillTables(side, data, yosan, jisseki, kako, syusi); }
    QString text(CurrencyGridModel &m, int col, int row) { return m.displayText(col, row); }
};

} // namespace

// The budget page's tables: what each cell shows for a side, and the rates
// that must never divide by a zero budget.
class TestYosanTables : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        FixProgramFormats();
        Formats().currencyDecimals = 0;
    }

    void rates_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<QString>("whole");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("half") << "500" << "1000" << 0 << "50%";
        QTest::newRow("rounded half away") << "1" << "200" << 0 << "1%";
        QTest::newRow("thousands") << "12340" << "1000" << 0 << "1,234%";
        QTest::newRow("two decimals") << "12340" << "1000" << 2 << "1,234.00%";
        QTest::newRow("no budget") << "500" << "0" << 0 << "";
        QTest::newRow("nothing spent") << "0" << "1000" << 0 << "0%";
        QTest::newRow("negative budget") << "300" << "-500" << 0 << "-60%";
        QTest::newRow("negative half away") << "-1" << "200" << 0 << "-1%";
    }
    void rates()
    {
        QFETCH(QString, part);
        QFETCH(QString, whole);
        QFETCH(int, decimals);
        Formats().currencyDecimals = decimals;
        QTEST(TYosanTables::RateText(Currency::fromString(part), Currency::fromString(whole)), "text");
    }

    void plainAmountText()
    {
        QCOMPARE(TYosanTables::PlainAmountText(yen("30000")), u"30000"_s);
        QCOMPARE(TYosanTables::PlainAmountText(yen("1234.5")), u"1234.5"_s);
        QCOMPARE(TYosanTables::PlainAmountText(yen("-500")), u"-500"_s);
        QCOMPARE(TYosanTables::PlainAmountText(yen("0")), QString());
    }

    // An expense month: headings, each category's budget against its actual,
    // the rest left and the rate, the past month beside it, the summary.
    void expenseSide()
    {
        TYosanJissekiData data;
        data.DeruRows = {rec(107, u"食費"_s, "40000", "45000", "38000", "36000"),
                         rec(108, u"日用品"_s, "0", "2500"),
                         // Budgets may cancel out: the total budget is then 0.
                         rec(109, u"住居費"_s, "-40000", "0")};
        data.DeruImaYosan = yen("0");
        data.DeruImaJisseki = yen("47500");
        data.DeruKakoYosan = yen("38000");
        data.DeruKakoJisseki = yen("36000");
        data.IriImaYosan = yen("300000");
        data.IriImaJisseki = yen("250000");
        Tables t;
        t.fill(2, data);

        QCOMPARE(t.yosan.rowCount(), 5);
        QCOMPARE(t.yosan.fixedRows(), 2);
        QCOMPARE(t.yosan.cells(0, 0), u"支　出"_s);
        QCOMPARE(t.jisseki.cells(1, 0), u"残　り"_s);
        QCOMPARE(t.jisseki.cells(2, 0), u"使用率"_s);
        QCOMPARE(t.yosan.cells(0, 2), u"食費"_s);
        QCOMPARE(t.yosan.objects(0, 2).toInt(), 107);
        QCOMPARE(t.text(t.yosan, 1, 2), u"40,000"_s);
        // 残り = budget - actual; 使用率 = actual / budget.
        QCOMPARE(t.jisseki.getValue(1, 2), yen("-5000"));
        QCOMPARE(t.jisseki.cells(2, 2), u"113%"_s);
        // No budget, no rate; a negative budget has one.
        QCOMPARE(t.jisseki.cells(2, 3), QString());
        QCOMPARE(t.jisseki.cells(2, 4), u"0%"_s);
        // The total budget is 0: its rate is empty, not a division by zero.
        QCOMPARE(t.jisseki.cells(2, 1), QString());
        QCOMPARE(t.jisseki.getValue(1, 1), yen("-47500"));
        QCOMPARE(t.kako.getValue(1, 2), yen("38000"));
        QCOMPARE(t.kako.getValue(2, 1), yen("36000"));
        QCOMPARE(t.kako.cells(0, 3), u"日用品"_s);

        // Summary: 収支 = income - expense; 差額 actual - budget for income,
        // budget - actual for expense; 使用率 expense / income.
        using T = TYosanTables;
        QCOMPARE(t.syusi.getValue(T::SyusiYosan, T::SyusiSyusi), yen("300000"));
        QCOMPARE(t.syusi.getValue(T::SyusiJisseki, T::SyusiSyusi), yen("202500"));
        QCOMPARE(t.syusi.getValue(T::SyusiSagaku, T::SyusiIri), yen("-50000"));
        QCOMPARE(t.syusi.getValue(T::SyusiSagaku, T::SyusiDeru), yen("-47500"));
        QCOMPARE(t.syusi.getValue(T::SyusiSagaku, T::SyusiSyusi), yen("-97500"));
        QCOMPARE(t.syusi.cells(T::SyusiYosan, T::SyusiRate), u"0%"_s);
        QCOMPARE(t.syusi.cells(T::SyusiJisseki, T::SyusiRate), u"19%"_s);
        QCOMPARE(t.syusi.cells(T::SyusiSagaku, T::SyusiRate), u"－"_s);
    }

    // Income: 過不足 = actual - budget, 充足率; a month without planned income
    // has no planned 使用率.
    void incomeSideAndEmptySide()
    {
        TYosanJissekiData data;
        data.IriRows = {rec(101, u"給与"_s, "250000", "260000")};
        data.IriImaYosan = yen("250000");
        data.IriImaJisseki = yen("260000");
        Tables t;
        t.fill(1, data);
        QCOMPARE(t.yosan.cells(0, 0), u"収　入"_s);
        QCOMPARE(t.jisseki.cells(1, 0), u"過不足"_s);
        QCOMPARE(t.jisseki.cells(2, 0), u"充足率"_s);
        QCOMPARE(t.jisseki.getValue(1, 2), yen("10000"));
        QCOMPARE(t.jisseki.cells(2, 2), u"104%"_s);

        // The expense side of this book has no category: the headings and the
        // total row stay, and no category row is read.
        t.fill(2, data);
        QCOMPARE(t.yosan.rowCount(), 2);
        QCOMPARE(t.yosan.cells(0, 1), u"合　計"_s);
        QCOMPARE(t.jisseki.cells(2, 1), QString());
        QCOMPARE(t.syusi.cells(TYosanTables::SyusiYosan, TYosanTables::SyusiRate), u"0%"_s);
        data.IriImaYosan = Currency();
        t.fill(2, data);
        QCOMPARE(t.syusi.cells(TYosanTables::SyusiYosan, TYosanTables::SyusiRate), QString());
    }
};

QTEST_MAIN(TestYosanTables)
#include "tst_yosantables.moc"
