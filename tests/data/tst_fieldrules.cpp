#include <QtTest>

#include "DialogQueue.h"
#include "JournalBook.h"
#include "data/MasterCodes.h"
#include "platform/db/Query.h"
#include "platform/system/Exception.h"

// What the user types into the journal columns and what the columns show.
class TestFieldRules : public QObject
{
    Q_OBJECT

private:
    JournalBook book;

    // A line being edited on the page kind, with the field holding initial.
    TMeisaiClientDataSet &newLine(int syuSiIdo, bool codeInput)
    {
        TMeisaiClientDataSet &m = book.lines();
        m.CltSyuSiIdo = uint8_t(syuSiIdo);
        m.CltOrigin = uint8_t(syuSiIdo);
        m.CltDataStyle = 1;
        m.CltCodeInput = codeInput;
        m.append();
        return m;
    }
    // "#name" is the code of that category as digits, other texts stand as they are.
    static QString expand(const QString &text)
    {
        if (text.startsWith(QLatin1Char('#')))
            return QString::number(FindHimokuCodeByName(text.mid(1), &AllHimokuArray));
        return text;
    }

private slots:
    void init() { book.open(); }
    void cleanup() { book.close(); }

    void typedCategoryCodes_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("codeInput");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("initial");   // a category name, or empty
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");  // a category name, or empty for an empty field
        // expense page: KARICODE among expense categories, the others among accounts
        QTest::newRow("expense name") << 2 << false << "KARICODE" << "" << "食費" << "食費";
        QTest::newRow("expense unknown name keeps") << 2 << false << "KARICODE" << "食費" << "無い費目" << "食費";
        QTest::newRow("expense account not in list") << 2 << false << "KARICODE" << "食費" << "銀行A" << "食費";
        QTest::newRow("expense counterpart account") << 2 << false << "KASICODE" << "" << "銀行A" << "銀行A";
        QTest::newRow("empty text empties") << 2 << false << "KARICODE" << "食費" << "" << "";
        QTest::newRow("code") << 2 << true << "KARICODE" << "" << "#食費" << "食費";
        QTest::newRow("code below 100 ignored") << 2 << true << "KARICODE" << "食費" << "99" << "食費";
        QTest::newRow("unlisted code empties") << 2 << true << "KARICODE" << "食費" << "#銀行A" << "";
        QTest::newRow("digits are a name without code input") << 2 << false << "KARICODE" << "食費" << "#食費"
                                                               << "食費";
        // income page: KARICODE among accounts, the others among income categories
        QTest::newRow("income account") << 1 << false << "KARICODE" << "" << "銀行A" << "銀行A";
        QTest::newRow("income own") << 1 << false << "KASICODE" << "" << "給与" << "給与";
        QTest::newRow("income own refuses account") << 1 << false << "KASICODE" << "給与" << "現金" << "給与";
        // transfer page: every visible row
        QTest::newRow("transfer self") << 3 << false << "SelfCode" << "" << "銀行A" << "銀行A";
        QTest::newRow("transfer other") << 3 << false << "AiteCode" << "" << "食費" << "食費";
    }
    void typedCategoryCodes()
    {
        QFETCH(int, page);
        QFETCH(bool, codeInput);
        QFETCH(QString, field);
        QFETCH(QString, initial);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        TMeisaiClientDataSet &m = newLine(page, codeInput);
        Field *f = m.fieldByName(field);
        if (initial.isEmpty())
            f->clear();
        else
            f->setAsInteger(FindHimokuCodeByName(initial, &AllHimokuArray));
        f->setText(expand(typed));
        if (expected.isEmpty()) {
            QVERIFY(f->isNull());
        } else {
            QCOMPARE(f->asInteger(), FindHimokuCodeByName(expected, &AllHimokuArray));
            // The column shows the name of the code it holds.
            QCOMPARE(f->displayText(), expected);
        }
    }

    void typedCodeIgnoredWhileBrowsing()
    {
        TMeisaiClientDataSet &m = newLine(2, false);
        m.fieldByName("KARICODE")->setAsInteger(book.food);
        m.post();
        m.fieldByName("KARICODE")->setText(QStringLiteral("給与"));
        QCOMPARE(m.fieldByName("KARICODE")->asInteger(), book.food);
    }

    void amounts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("current");
        QTest::addColumn<qint64>("expected");   // -1: refused
        QTest::newRow("plain") << "1200" << qint64(0) << qint64(1200);
        QTest::newRow("separators") << "1,200" << qint64(0) << qint64(1200);
        QTest::newRow("product") << "300*4" << qint64(0) << qint64(1200);
        QTest::newRow("quotient rounded") << "1000/3" << qint64(0) << qint64(333);
        QTest::newRow("on the current amount") << "*2" << qint64(600) << qint64(1200);
        QTest::newRow("letters") << "12a" << qint64(500) << qint64(-1);
        QTest::newRow("two operators") << "1+2+3" << qint64(500) << qint64(-1);
        QTest::newRow("division by zero") << "10/0" << qint64(500) << qint64(-1);
    }
    void amounts()
    {
        QFETCH(QString, typed);
        QFETCH(qint64, current);
        QFETCH(qint64, expected);
        TMeisaiClientDataSet &m = newLine(2, false);
        for (const char *name : {"KINGAKU", "KariGaku", "KasiGaku"}) {
            Field *f = m.fieldByName(name);
            f->setAsCurrency(Currency::fromDouble(double(current)));
            if (expected < 0) {
                QVERIFY_THROWS_EXCEPTION(Exception, f->setText(typed));
                QCOMPARE(f->asCurrency(), Currency::fromDouble(double(current)));
            } else {
                f->setText(typed);
                QCOMPARE(f->asCurrency(), Currency::fromDouble(double(expected)));
            }
        }
        // The editor lets the operators through, but no exponent.
        Field *amount = m.fieldByName("KINGAKU");
        QVERIFY(amount->isValidChar('*') && amount->isValidChar('/') && amount->isValidChar(','));
        QVERIFY(!amount->isValidChar('E') && !amount->isValidChar('e'));
        QVERIFY(m.fieldByName("KARICODE")->isValidChar(QChar(u'食')));
    }

    void datesAndLock_data()
    {
        QTest::addColumn<QDate>("lockDate");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("expected");   // the old value when refused
        QTest::addColumn<QString>("message");
        const QDate old(2024, 6, 10);
        QTest::newRow("date") << QDate() << "24/05/01" << QDate(2024, 5, 1) << "";
        QTest::newRow("four-digit year") << QDate() << "2024/05/02" << QDate(2024, 5, 2) << "";
        QTest::newRow("no date") << QDate() << "24/13/45" << old << "無効な日付です。";
        QTest::newRow("letters") << QDate() << "abc" << old << "無効な日付です。";
        QTest::newRow("on the lock date") << QDate(2024, 4, 30) << "24/04/30" << old
                                          << "ロックされた日付のデータは入力できません。";
        QTest::newRow("before the lock date") << QDate(2024, 4, 30) << "23/12/31" << old
                                              << "ロックされた日付のデータは入力できません。";
        QTest::newRow("a day after") << QDate(2024, 4, 30) << "24/05/01" << QDate(2024, 5, 1) << "";
    }
    void datesAndLock()
    {
        QFETCH(QDate, lockDate);
        QFETCH(QString, typed);
        QFETCH(QDate, expected);
        QFETCH(QString, message);
        TMeisaiClientDataSet &m = newLine(2, false);
        Field *date = m.fieldByName("RECDATE");
        date->setAsDate(QDate(2024, 6, 10));
        CurLockDate = lockDate;
        DialogQueue dialogs;
        if (!message.isEmpty())
            dialogs.answer(mrOk, message);
        try {
            date->setText(typed);
            QVERIFY(message.isEmpty());
        } catch (const EAbort &) {
            QVERIFY(!message.isEmpty());
        }
        QCOMPARE(date->asDate(), expected);
        QVERIFY(dialogs.done());
        QCOMPARE(date->displayFormat(), QStringLiteral("yy.MM.dd ddd"));
        QCOMPARE(date->editMask(), QStringLiteral("!99/99/99;1;_"));
    }

    void typedNames_data()
    {
        QTest::addColumn<bool>("codeInput");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("expectedCode");   // 1000: the existing row's code
        QTest::addColumn<QString>("expectedName");
        QTest::newRow("existing item") << false << "HinmeiName" << "牛乳" << 1000 << "牛乳";
        QTest::newRow("new item") << false << "HinmeiName" << "パン" << -1 << "パン";
        QTest::newRow("empty") << false << "HinmeiName" << "" << 0 << "";
        QTest::newRow("system item is no user item") << false << "HinmeiName" << "消費税" << -1 << "消費税";
        QTest::newRow("digits without code input") << false << "HinmeiName" << "123" << -1 << "123";
        QTest::newRow("apostrophe forces a name") << true << "HinmeiName" << "'123" << -1 << "123";
        QTest::newRow("code of the item") << true << "HinmeiName" << "#" << 1000 << "牛乳";
        QTest::newRow("unknown code clears") << true << "HinmeiName" << "123" << 0 << "";
        QTest::newRow("existing shop") << false << "ShopName" << "角の店" << 1000 << "角の店";
        QTest::newRow("new person") << false << "PersonName" << "太郎" << -1 << "太郎";
    }
    void typedNames()
    {
        QFETCH(bool, codeInput);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(int, expectedCode);
        QFETCH(QString, expectedName);
        const int milk = GetOrAddMasterCode(*book.dm->HinmeiMstTbl, QStringLiteral("牛乳"));
        const int shop = GetOrAddMasterCode(*book.dm->ShopMstTbl, QStringLiteral("角の店"));
        QVERIFY(milk > 100 && shop > 100);
        const QString codeField = field == "HinmeiName" ? "HINMEICODE" : field == "ShopName" ? "SHOPCODE" : "PERSONCODE";
        const int existing = field == "ShopName" ? shop : milk;
        TMeisaiClientDataSet &m = newLine(2, codeInput);
        m.fieldByName(field)->setText(typed == "#" ? QString::number(milk) : typed);
        QCOMPARE(m.fieldByName(codeField)->asInteger(), expectedCode == 1000 ? existing : expectedCode);
        QCOMPARE(m.fieldByName(field)->asString(), expectedName);
    }

    void shownTexts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("tax none") << "ZEIATUKAI" << QVariant(0) << "";
        QTest::newRow("tax inside") << "ZEIATUKAI" << QVariant(1) << "内税";
        QTest::newRow("tax outside") << "ZEIATUKAI" << QVariant(2) << "外税";
        QTest::newRow("tax unset") << "ZEIATUKAI" << QVariant(3) << "";
        QTest::newRow("tax out of table") << "ZEIATUKAI" << QVariant(7) << "7";
        QTest::newRow("origin") << "ORIGIN" << QVariant(4) << "予約";
        QTest::newRow("origin out of table") << "ORIGIN" << QVariant(9) << "9";
        QTest::newRow("style") << "STYLE" << QVariant(8) << "金券購入";
        QTest::newRow("style out of table") << "STYLE" << QVariant(0) << "0";
        QTest::newRow("reserved") << "RESERVED" << QVariant(true) << "未";
        QTest::newRow("booked") << "RESERVED" << QVariant(false) << "済";
        QTest::newRow("empty counts as booked") << "RESERVED" << QVariant() << "済";
        QTest::newRow("unknown category") << "KARICODE" << QVariant(4321) << "";
    }
    void shownTexts()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QString, shown);
        TMeisaiClientDataSet &m = newLine(2, false);
        m.fieldByName(field)->setValue(value);
        QCOMPARE(m.fieldByName(field)->displayText(), shown);
    }

    void typedTaxAndReserved_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("initial");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("対象外") << "ZEIATUKAI" << QVariant(2) << "対象外" << QVariant(0);
        QTest::newRow("empty tax") << "ZEIATUKAI" << QVariant(2) << "" << QVariant(0);
        QTest::newRow("内") << "ZEIATUKAI" << QVariant(2) << "内" << QVariant(1);
        QTest::newRow("外税") << "ZEIATUKAI" << QVariant(1) << "外税" << QVariant(2);
        QTest::newRow("2") << "ZEIATUKAI" << QVariant(0) << "2" << QVariant(2);
        QTest::newRow("無指定 cannot be typed") << "ZEIATUKAI" << QVariant(1) << "無指定" << QVariant(1);
        QTest::newRow("3 cannot be typed") << "ZEIATUKAI" << QVariant(1) << "3" << QVariant(1);
        QTest::newRow("記入済み") << "RESERVED" << QVariant(true) << "記入済み" << QVariant(false);
        QTest::newRow("empty reserved") << "RESERVED" << QVariant(true) << "" << QVariant(false);
        QTest::newRow("未記入") << "RESERVED" << QVariant(false) << "未記入" << QVariant(true);
        QTest::newRow("other keeps") << "RESERVED" << QVariant(false) << "たぶん" << QVariant(false);
    }
    void typedTaxAndReserved()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, initial);
        QFETCH(QString, typed);
        QFETCH(QVariant, expected);
        TMeisaiClientDataSet &m = newLine(2, false);
        Field *f = m.fieldByName(field);
        f->setValue(initial);
        f->setText(typed);
        QCOMPARE(f->value(), expected);
    }

    void closingDayTexts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("month end") << "SIMEBI" << "月末" << 31 << "月末";
        QTest::newRow("none") << "SIMEBI" << "なし" << -1 << "なし";
        QTest::newRow("day") << "SIMEBI" << "25" << 25 << "25";
        QTest::newRow("shift before") << "SIMESHIFT" << "一ヶ月前" << -1 << "一ヶ月前";
        QTest::newRow("shift after") << "SIMESHIFT" << "一ヶ月後" << 1 << "一ヶ月後";
        QTest::newRow("shift unknown") << "SIMESHIFT" << "何か" << 1 << "一ヶ月後";
        QTest::newRow("add day unknown") << "SIMEADDDAY" << "何か" << 0 << "そのまま";
        QTest::newRow("add day before") << "SIMEADDDAY" << "さらにその前日" << -1 << "さらにその前日";
    }
    void closingDayTexts()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        Query &q = *book.dm->PageSimebiSql;
        q.close();
        q.paramByName("Code").setValue(100);
        q.open();
        q.edit();
        q.fieldByName(field)->setText(typed);
        QCOMPARE(q.fieldByName(field)->asInteger(), stored);
        QCOMPARE(q.fieldByName(field)->displayText(), shown);
        q.cancel();
    }

    void closingDayRefusesNonNumber()
    {
        Query &q = *book.dm->PageSimebiSql;
        q.close();
        q.paramByName("Code").setValue(100);
        q.open();
        q.edit();
        q.fieldByName("SIMEBI")->setAsInteger(20);
        QVERIFY_THROWS_EXCEPTION(EConvertError, q.fieldByName("SIMEBI")->setText("二十日"));
        QCOMPARE(q.fieldByName("SIMEBI")->asInteger(), 20);
        // A value out of the names' range shows as its number.
        q.fieldByName("SIMEHOLIDAYSHIFT")->setAsInteger(42);
        QCOMPARE(q.fieldByName("SIMEHOLIDAYSHIFT")->displayText(), QStringLiteral("42"));
        q.cancel();
    }

    void slipHeaderSpreadsOverItsLines()
    {
        TMeisaiClientDataSet &lines = newLine(2, false);
        lines.post();
        lines.CltDataStyle = 2;
        lines.CltDate = QDate(2024, 5, 10);
        lines.append();
        lines.post();
        lines.mergeChangeLog();
        TMeisaiClientDataSet &slips = *ReceiptClt(*book.dm);
        QVERIFY(slips.CltCheckPayDate);
        slips.setCommandText(QStringLiteral("SELECT RECEIPTNO, KINGAKU, ORIGIN FROM MASTER.DB WHERE DATANO < 0"));
        slips.open();
        slips.append();
        // A new slip has no number yet and starts on the shown day.
        QCOMPARE(slips.fieldByName("RECEIPTNO")->asInteger(), -1);
        QCOMPARE(slips.fieldByName("RECEIPTNO")->displayText(), QString());
        QCOMPARE(slips.fieldByName("LookupNo")->asInteger(), -1);
        QCOMPARE(slips.fieldByName("RecDate")->asDate(), QDate(2024, 5, 10));

        slips.fieldByName("RecDate")->setText("24/05/12");
        slips.fieldByName("ShopName")->setText("駅前店");   // not in the master yet
        QCOMPARE(slips.fieldByName("ShopCode")->asInteger(), -1);
        for (lines.first(); !lines.eof(); lines.next()) {
            QCOMPARE(lines.fieldByName("RECDATE")->asDate(), QDate(2024, 5, 12));
            QCOMPARE(lines.fieldByName("SHOPCODE")->asInteger(), -1);
            QCOMPARE(lines.fieldByName("ShopName")->asString(), QStringLiteral("駅前店"));
        }
        // An empty pay date clears it and marks the line for a new month code.
        slips.fieldByName("PayDate")->setText("  /  /  ");
        QVERIFY(slips.fieldByName("PayDate")->isNull());
        QCOMPARE(lines.fieldByName("LOOKUPNO")->asInteger(), -2);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, QStringLiteral("無効な日付です。"));
            QVERIFY_THROWS_EXCEPTION(EAbort, slips.fieldByName("PayDate")->setText("99/99/99"));
            QVERIFY(dialogs.done());
        }
        // Only an account of the right kind is taken as the slip's card.
        slips.fieldByName("CreditCode")->setText(QStringLiteral("銀行A"));
        QVERIFY(slips.fieldByName("CreditCode")->isNull());
        slips.fieldByName("CreditCode")->setText(QStringLiteral("カードA"));
        QCOMPARE(slips.fieldByName("CreditCode")->asInteger(), book.card);
        QCOMPARE(slips.fieldByName("CreditCode")->displayText(), QStringLiteral("カードA"));
        slips.fieldByName("PayKouza")->setText(QStringLiteral("カードA"));   // not the card itself
        QVERIFY(slips.fieldByName("PayKouza")->isNull());
        slips.fieldByName("PayKouza")->setText(QString::number(book.bank));
        QCOMPARE(slips.fieldByName("PayKouza")->asInteger(), book.bank);
        slips.cancel();
    }
};

QTEST_GUILESS_MAIN(TestFieldRules)
#include "tst_fieldrules.moc"
