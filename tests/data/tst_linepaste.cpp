#include <QtTest>

#include "data/LinePaste.h"
#include "platform/db/Currency.h"

using namespace Qt::StringLiterals;

// What a line copied on one journal page becomes when it is pasted on another:
// one table over the three page kinds as targets and sources. Codes 1xx are
// income categories, 2xx expense categories, 3xx accounts, 999 a hidden code.
class TestLinePaste : public QObject
{
    Q_OBJECT

    static int kindOf(int code)
    {
        if (code >= 100 && code < 400)
            return code / 100;
        return 0;
    }

    static QList<TPasteColumn> columnsOf(int page)
    {
        QList<TPasteColumn> c;
        for (const char *f : {"KARICODE", "HinmeiName", "KINGAKU", "ShopName", "PersonName", "KASICODE", "ZEIATUKAI"})
            c << TPasteColumn{QLatin1String(f), true};
        if (page == 3) {
            c.clear();
            for (const char *f : {"HinmeiName", "AiteCode", "SelfCode", "KariGaku", "KasiGaku", "ShopName"})
                c << TPasteColumn{QLatin1String(f), true};
        }
        return c;
    }

    // An expense line: 食費 (201) paid from the wallet (301), with tax treatment 2.
    static QVariantHash expenseLine()
    {
        return {{u"KARICODE"_s, 201}, {u"KASICODE"_s, 301}, {u"KINGAKU"_s, 1200}, {u"HinmeiName"_s, u"キャベツ"_s},
                {u"HINMEICODE"_s, 7},  {u"ShopName"_s, u"八百屋"_s}, {u"SHOPCODE"_s, 4},  {u"PersonName"_s, u"母"_s},
                {u"PERSONCODE"_s, 2}, {u"ZEIATUKAI"_s, 2},          {u"ORIGIN"_s, 2}};
    }
    // An income line: 給与 (101) into the bank (302).
    static QVariantHash incomeLine()
    {
        return {{u"KARICODE"_s, 302}, {u"KASICODE"_s, 101}, {u"KINGAKU"_s, 250000}, {u"HinmeiName"_s, u"賞与"_s},
                {u"HINMEICODE"_s, 9},  {u"ORIGIN"_s, 1}};
    }
    // A transfer line: 5,000 from the bank (302) into the wallet (301).
    static QVariantHash transferLine()
    {
        return {{u"KARICODE"_s, 301}, {u"KASICODE"_s, 302}, {u"KINGAKU"_s, 5000}, {u"AiteCode"_s, 302},
                {u"SelfCode"_s, 301}, {u"KariGaku"_s, 5000},  {u"KasiGaku"_s, QVariant()}, {u"ORIGIN"_s, 3},
                {u"HinmeiName"_s, u"引き出し"_s}, {u"HINMEICODE"_s, 11}};
    }

private slots:
    void mapping_data()
    {
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("source");
        QTest::addColumn<bool>("moveMode");
        QTest::addColumn<bool>("categoryCounterpart");
        QTest::addColumn<QVariantHash>("line");
        // field=value for each value the pasted line must get; "field=-" for a
        // field it must not get.
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("amountRule");

        const QStringList allOfExpense{u"KARICODE=201"_s, u"KASICODE=301"_s, u"KINGAKU=1200"_s,
                                       u"HinmeiName=キャベツ"_s, u"HINMEICODE=7"_s, u"ShopName=八百屋"_s,
                                       u"SHOPCODE=4"_s, u"PersonName=母"_s, u"PERSONCODE=2"_s, u"ZEIATUKAI=2"_s};
        QTest::newRow("expense to expense: everything") << 2 << 2 << false << false << expenseLine() << allOfExpense
                                                        << QString();
        QTest::newRow("expense to income: item, amount, shop; not the expense category")
            << 1 << 2 << false << false << expenseLine()
            << QStringList{u"KARICODE=-"_s, u"KASICODE=-"_s, u"KINGAKU=1200"_s, u"HINMEICODE=7"_s, u"SHOPCODE=4"_s,
                           u"PERSONCODE=2"_s}
            << QString();
        QTest::newRow("income to income: everything")
            << 1 << 1 << false << false << incomeLine()
            << QStringList{u"KARICODE=302"_s, u"KASICODE=101"_s, u"KINGAKU=250000"_s, u"HINMEICODE=9"_s} << QString();
        QTest::newRow("income to expense: neither side is a category of its kind")
            << 2 << 1 << false << false << incomeLine()
            << QStringList{u"KARICODE=-"_s, u"KASICODE=-"_s, u"KINGAKU=250000"_s} << QString();
        QTest::newRow("income to expense with categories as counterparts")
            << 2 << 1 << false << true << incomeLine()
            << QStringList{u"KARICODE=-"_s, u"KASICODE=101"_s} << QString();
        QTest::newRow("transfer to expense: the account pays")
            << 2 << 3 << false << false << transferLine()
            << QStringList{u"KARICODE=-"_s, u"KASICODE=302"_s, u"KINGAKU=5000"_s, u"AiteCode=-"_s} << QString();
        QTest::newRow("expense to transfer: paid out of the wallet")
            << 3 << 2 << false << false << expenseLine()
            << QStringList{u"AiteCode=201"_s, u"KasiGaku=1200"_s, u"KariGaku=-"_s, u"SelfCode=-"_s, u"HINMEICODE=7"_s,
                           u"SHOPCODE=4"_s}
            << u"KasiGaku"_s;
        QTest::newRow("expense to transfer in move mode: the own account too")
            << 3 << 2 << true << false << expenseLine()
            << QStringList{u"AiteCode=201"_s, u"SelfCode=301"_s, u"KasiGaku=1200"_s} << u"KasiGaku"_s;
        QTest::newRow("income to transfer: received")
            << 3 << 1 << false << false << incomeLine()
            << QStringList{u"AiteCode=101"_s, u"KariGaku=250000"_s, u"KasiGaku=-"_s} << u"KariGaku"_s;
        QTest::newRow("transfer to transfer: both amounts, the rule on the filled one")
            << 3 << 3 << false << false << transferLine()
            << QStringList{u"AiteCode=302"_s, u"KariGaku=5000"_s, u"SelfCode=-"_s, u"HINMEICODE=11"_s}
            << u"KariGaku"_s;
        // As the journal holds them: a payment amount and an empty receipt.
        QVariantHash paid = transferLine();
        paid[u"KariGaku"_s] = QVariant();
        paid[u"KasiGaku"_s] = QVariant::fromValue(Currency::fromInt(5000));
        QTest::newRow("transfer to transfer: a payment stays a payment")
            << 3 << 3 << false << false << paid << QStringList{u"AiteCode=302"_s, u"KariGaku="_s} << u"KasiGaku"_s;
    }

    void mapping()
    {
        QFETCH(int, target);
        QFETCH(int, source);
        QFETCH(bool, moveMode);
        QFETCH(bool, categoryCounterpart);
        QFETCH(QVariantHash, line);
        QFETCH(QStringList, expected);
        QFETCH(QString, amountRule);
        TPasteTarget t;
        t.pageKind = target;
        t.layoutKind = target == 3 ? 2 : 1;
        t.moveMode = moveMode;
        t.categoryCounterpart = categoryCounterpart;
        t.columns = columnsOf(target);
        const TPastePlan plan = PlanPastedLine(t, TPasteSource{source, source == 3 ? 2 : 1}, line, kindOf);
        for (const QString &e : expected) {
            const QString field = e.section(u'=', 0, 0), value = e.section(u'=', 1);
            bool has = false;
            const QVariant v = plan.valueOf(field, &has);
            if (value == u"-")
                QVERIFY2(!has, qPrintable(field + u" was taken"_s));
            else
                QVERIFY2(has && v.toString() == value, qPrintable(field + u": "_s + v.toString()));
        }
        QCOMPARE(plan.amountRuleField, amountRule);
    }

    // Columns the target cannot edit are not pasted, except the tax treatment of
    // a program-made tax line on the expense page; a code unknown to the book
    // never counts as the page's own category.
    void guardedColumnsAndUnknownCodes()
    {
        TPasteTarget t;
        t.pageKind = 2;
        t.columns = {{u"KINGAKU"_s, false}, {u"ZEIATUKAI"_s, false}, {u"KARICODE"_s, true}, {u"ShopName"_s, false}};
        QVariantHash line = expenseLine();
        line[u"KARICODE"_s] = 999;
        TPastePlan plan = PlanPastedLine(t, TPasteSource{2, 1}, line, kindOf);
        bool has = false;
        plan.valueOf(u"KINGAKU"_s, &has);
        QVERIFY(!has);
        plan.valueOf(u"SHOPCODE"_s, &has);
        QVERIFY(!has);
        plan.valueOf(u"KARICODE"_s, &has);
        QVERIFY(!has);
        QCOMPARE(plan.valueOf(u"ZEIATUKAI"_s, &has).toInt(), 2);
        line[u"ORIGIN"_s] = 1;
        plan = PlanPastedLine(t, TPasteSource{2, 1}, line, kindOf);
        plan.valueOf(u"ZEIATUKAI"_s, &has);
        QVERIFY(!has);
    }
};

QTEST_GUILESS_MAIN(TestLinePaste)
#include "tst_linepaste.moc"
