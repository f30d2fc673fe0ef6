#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "controls/FrameBtn.h"
#include "data/HimokuCache.h"
#include "data/MeisaiSave.h"
#include "main/ReceiptList.h"
#include "platform/db/Abort.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

// What the expense page books for the user: the automatic withdrawal line of a
// credit-card bill, kept in step with the bill through every save, and the
// consumption-tax lines of the 消費税 button.
class TestBillWithdrawal : public QObject, public JournalPageDriver
{
    Q_OBJECT

    int card = 0;
    int food = 0;

    TFrameDeru *startBill()
    {
        TFrameDeru *page = start();
        if (!page || !QTest::qWaitFor([page] { return page->attached(); }, 5000))
            return nullptr;
        card = GetHimokuCodeByName(u"クレジットカード"_s, 3);
        food = GetHimokuCodeByName(u"食費"_s, 2);
        QTest::mouseClick(page->FrBtnCredit, Qt::LeftButton);
        if (!QTest::qWaitFor([page] { return page->ReceiptList->InputMode == 3; }))
            return nullptr;
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        if (!QTest::qWaitFor([] { return ReceiptClt(*DatMod)->isActive() && ReceiptClt(*DatMod)->recordCount() >= 1; }))
            return nullptr;
        typeHeader(page->SlipPanel->DBEditCredit, u"クレジットカード"_s);
        return page;
    }

    static void typeLine(TFrameDeru *page, const QDate &date, const QString &amount, const QString &tax = QString())
    {
        newLine(page);
        typeInto(page, u"RECDATE"_s, date.toString(u"yy/MM/dd"_s), Qt::Key_Tab);
        typeInto(page, u"KARICODE"_s, u"食費"_s, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, amount, Qt::Key_Tab);
        if (!tax.isEmpty())
            typeInto(page, u"ZEIATUKAI"_s, tax, Qt::Key_Return);
        MeisaiClt(*DatMod)->checkBrowseMode();
    }

    struct Row
    {
        int count = 0;
        QString date;
        double amount = 0;
        int kari = 0, kasi = 0, item = 0, receiptNo = 0;
        bool reserved = false;
    };
    static Row withdrawal()
    {
        Row r;
        Statement st(DatMod->MainDatabase, u"SELECT RECDATE, KINGAKU, KARICODE, KASICODE, HINMEICODE, RECEIPTNO, "
                                           "RESERVED FROM Master WHERE STYLE = 6"_s);
        while (st.next()) {
            ++r.count;
            r.date = st.textValue(0);
            r.amount = st.doubleValue(1);
            r.kari = int(st.intValue(2));
            r.kasi = int(st.intValue(3));
            r.item = int(st.intValue(4));
            r.receiptNo = int(st.intValue(5));
            r.reserved = st.intValue(6) != 0;
        }
        return r;
    }

    static void setRates(const QList<QPair<QDate, int>> &rates)
    {
        DatMod->MainDatabase.exec(u"DELETE FROM ZeiList"_s);
        int n = 1;
        for (const auto &r : rates) {
            Statement st(DatMod->MainDatabase, u"INSERT INTO ZeiList (DATANO, STARTDATE, PERCENT) VALUES (?, ?, ?)"_s);
            st.bind(1, n++);
            st.bind(2, r.first.toString(Qt::ISODate));
            st.bind(3, r.second);
            st.exec();
        }
    }

    static void setTaxTreatment(int rec, int zei)
    {
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        lines->setRecNo(rec);
        lines->edit();
        lines->fieldByName(u"ZEIATUKAI"_s)->setAsInteger(zei);
        lines->post();
    }

    // (date, amount) of the tax lines in the page's lines.
    static QList<QPair<QDate, double>> taxLines()
    {
        QList<QPair<QDate, double>> found;
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        for (lines->first(); !lines->eof(); lines->next())
            if (lines->fieldByName(u"HINMEICODE"_s)->asInteger() == 1)
                found << qMakePair(lines->fieldByName(u"RECDATE"_s)->asDate(),
                                   lines->fieldByName(u"KINGAKU"_s)->asCurrency().toDouble());
        std::sort(found.begin(), found.end());
        return found;
    }

private slots:
    void init() { makeBook(); }
    void cleanup()
    {
        CurLockDate = QDate();
        dropWorld();
    }

    // Saved, changed, then emptied: the withdrawal line follows each save.
    void withdrawalFollowsTheBill()
    {
        DialogQueue dialogs;
        TFrameDeru *page = startBill();
        QVERIFY(page);
        typeLine(page, page->periodStart(), u"1200"_s);
        TMeisaiClientDataSet *slips = ReceiptClt(*DatMod);
        const QDate payDate = slips->fieldByName(u"PayDate"_s)->asDate();
        QVERIFY(payDate.isValid());
        QCOMPARE(slips->fieldByName(u"PayKouza"_s)->asInteger(), 100);
        QVERIFY(page->SaveJournal());

        Row w = withdrawal();
        QCOMPARE(w.count, 1);
        QCOMPARE(w.date, payDate.toString(Qt::ISODate));
        QCOMPARE(w.amount, 1200.0);
        QCOMPARE(w.kari, card);
        QCOMPARE(w.kasi, 100);
        QCOMPARE(w.item, 3);
        QCOMPARE(w.reserved, payDate > QDate::currentDate());
        const int receiptNo = int(DatMod->MainDatabase.scalar(u"SELECT RECEIPTNO FROM Master WHERE STYLE = 3"_s).toInt());
        QCOMPARE(w.receiptNo, receiptNo);
        // The list shows the kept payment day and account again.
        QTRY_COMPARE(slips->fieldByName(u"PayDate"_s)->asDate(), payDate);
        QCOMPARE(slips->fieldByName(u"PayKouza"_s)->asInteger(), 100);

        // A changed amount moves the one row with it.
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QTRY_VERIFY(lines->isActive() && lines->recordCount() == 1);
        lines->first();
        typeInto(page, u"KINGAKU"_s, u"2000"_s, Qt::Key_Return);
        lines->checkBrowseMode();
        QVERIFY(page->SaveJournal());
        w = withdrawal();
        QCOMPARE(w.count, 1);
        QCOMPARE(w.amount, 2000.0);
        QCOMPARE(w.date, payDate.toString(Qt::ISODate));

        // A later payment day moves the row's date.
        const QDate later = payDate.addDays(3);
        typeHeader(page->SlipPanel->DBEditPayDate, later.toString(u"yy/MM/dd"_s));
        QVERIFY(page->SaveJournal());
        w = withdrawal();
        QCOMPARE(w.count, 1);
        QCOMPARE(w.date, later.toString(Qt::ISODate));

        // Emptied: asked, and No keeps the row, Yes removes it.
        QTRY_VERIFY(lines->isActive() && lines->recordCount() == 1);
        lines->first();
        lines->remove();
        dialogs.answer(mrNo, u"すでに登録してある自動引落データも削除しますか？"_s);
        QVERIFY(page->SaveJournal());
        QCOMPARE(withdrawal().count, 1);
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE STYLE = 3"_s).toInt(), 0);
        QVERIFY(dialogs.done());
    }

    void deletedBillRemovesItsWithdrawal()
    {
        DialogQueue dialogs;
        TFrameDeru *page = startBill();
        QVERIFY(page);
        typeLine(page, page->periodStart(), u"800"_s);
        QVERIFY(page->SaveJournal());
        QCOMPARE(withdrawal().count, 1);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QTRY_VERIFY(lines->isActive() && lines->recordCount() == 1);
        lines->first();
        lines->remove();
        dialogs.answer(mrYes, u"すでに登録してある自動引落データも削除しますか？"_s);
        QVERIFY(page->SaveJournal());
        QCOMPARE(withdrawal().count, 0);
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0"_s).toInt(), 0);
        QVERIFY(dialogs.done());
    }

    // The withdrawal never lands on a locked day, and one booked on a locked
    // day is not touched: the bill itself is saved and the user is warned.
    void lockedPaymentDayKeepsTheWithdrawal()
    {
        DialogQueue dialogs;
        const QString warning = u"引落日はロックされた日付なので自動引落データは保存できませんでした。"_s;
        TFrameDeru *page = startBill();
        QVERIFY(page);
        const QDate day = page->periodStart().addDays(6);
        typeLine(page, day, u"900"_s);
        typeHeader(page->SlipPanel->DBEditPayDate, day.addDays(-1).toString(u"yy/MM/dd"_s));
        QVERIFY(page->SaveJournal());
        QCOMPARE(withdrawal().count, 1);
        QCOMPARE(withdrawal().date, day.addDays(-1).toString(Qt::ISODate));

        // Locked up to the withdrawal's day: the bill's new amount and payment
        // day are saved, the withdrawal keeps its old day and amount.
        CurLockDate = day.addDays(-1);
        CopyLockDate(*DatMod, CurLockDate);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QTRY_VERIFY(lines->isActive() && lines->recordCount() == 1);
        typeHeader(page->SlipPanel->DBEditPayDate, day.addDays(20).toString(u"yy/MM/dd"_s));
        lines->first();
        typeInto(page, u"KINGAKU"_s, u"1300"_s, Qt::Key_Return);
        lines->checkBrowseMode();
        dialogs.answer(mrOk, warning);
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT KINGAKU FROM Master WHERE STYLE = 3"_s).toDouble(), 1300.0);
        QCOMPARE(withdrawal().count, 1);
        QCOMPARE(withdrawal().amount, 900.0);
        QCOMPARE(withdrawal().date, day.addDays(-1).toString(Qt::ISODate));

        // A new bill cannot be given a locked payment day: the typed day is
        // refused and the bill's withdrawal lands on the day it kept.
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        QTRY_VERIFY(lines->isActive() && lines->recordCount() == 0);
        typeHeader(page->SlipPanel->DBEditCredit, u"クレジットカード"_s);
        typeLine(page, day, u"400"_s);
        TMeisaiClientDataSet *slips = ReceiptClt(*DatMod);
        const QDate kept = slips->fieldByName(u"PayDate"_s)->asDate();
        QVERIFY(kept > CurLockDate);
        dialogs.answer(mrOk, u"ロックされた日付のデータは入力できません。"_s);
        // The program's event loop ends the refused handler silently.
        bool refused = false;
        try {
            typeHeader(page->SlipPanel->DBEditPayDate, day.addDays(-2).toString(u"yy/MM/dd"_s));
        } catch (const EAbort &) {
            refused = true;
        }
        QVERIFY(refused);
        QCOMPARE(slips->fieldByName(u"PayDate"_s)->asDate(), kept);
        // The box keeps the refused text to correct: the user types the day back.
        typeHeader(page->SlipPanel->DBEditPayDate, kept.toString(u"yy/MM/dd"_s));
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE STYLE = 3"_s).toInt(), 2);
        QCOMPARE(DatMod->MainDatabase
                     .scalar(u"SELECT COUNT(*) FROM Master WHERE STYLE = 6 AND RECDATE = ? AND KINGAKU = 400"_s,
                             {kept.toString(Qt::ISODate)})
                     .toInt(),
                 1);
        QVERIFY(dialogs.done());
    }

    // A bill saved with many changes goes the direct way into the book; its
    // withdrawal is written all the same.
    void largeBillGetsItsWithdrawal()
    {
        DialogQueue dialogs;
        TFrameDeru *page = startBill();
        QVERIFY(page);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        for (int i = 0; i < MeisaiDirectWriteCount + 4; ++i) {
            lines->append();
            lines->fieldByName(u"RECDATE"_s)->setAsDate(page->periodStart());
            lines->fieldByName(u"KARICODE"_s)->setAsInteger(food);
            lines->fieldByName(u"KINGAKU"_s)->setAsCurrency(Currency::fromInt(10));
            lines->post();
        }
        QVERIFY(lines->changeCount() >= MeisaiDirectWriteCount);
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE STYLE = 3"_s).toInt(),
                 MeisaiDirectWriteCount + 4);
        const Row w = withdrawal();
        QCOMPARE(w.count, 1);
        QCOMPARE(w.amount, 10.0 * (MeisaiDirectWriteCount + 4));
        QVERIFY(dialogs.done());
    }

    // The withdrawal is written in the bill's transaction: when it cannot be,
    // neither is saved and the typed bill stays to be saved again.
    void failedWithdrawalKeepsTheBillUnsaved()
    {
        DialogQueue dialogs;
        TFrameDeru *page = startBill();
        QVERIFY(page);
        typeLine(page, page->periodStart(), u"1500"_s);
        DatMod->MainDatabase.exec(u"CREATE TRIGGER refuse_withdrawal BEFORE INSERT ON Master WHEN NEW.STYLE = 6 "
                                  "BEGIN SELECT RAISE(ABORT, 'refused'); END"_s);
        dialogs.answer(mrOk, u"保存できませんでした。"_s);
        QVERIFY(!page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0"_s).toInt(), 0);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QVERIFY(lines->changeCount() > 0);
        QCOMPARE(lines->recordCount(), 1);
        DatMod->MainDatabase.exec(u"DROP TRIGGER refuse_withdrawal"_s);
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE STYLE = 3"_s).toInt(), 1);
        QCOMPARE(withdrawal().count, 1);
        QCOMPARE(withdrawal().amount, 1500.0);
        QVERIFY(dialogs.done());
    }

    // The card closes on the 15th: a line of the 20th lies outside the bill's
    // month though inside the calendar month, and a card closing at the month's
    // end takes it without asking.
    void outsideMonthFollowsTheCardsClosingDay()
    {
        DialogQueue dialogs;
        TFrameDeru *page = startBill();
        QVERIFY(page);
        TMeisaiClientDataSet *slips = ReceiptClt(*DatMod);
        // The bill month of the 15th-closing card ends on the 15th.
        const QDate monthEnd = QDate(page->shownYear(), page->shownMonth(), 15);
        const QDate twentieth = monthEnd.addDays(5);
        typeLine(page, twentieth, u"600"_s);
        const QString question = u"月度外のデータがあります。よろしいですか？"_s;
        dialogs.answer(mrNo, question);
        QVERIFY(!page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE STYLE = 3"_s).toInt(), 0);

        // A second card, closing at the month's end, in the same month.
        DatMod->MainDatabase.exec(u"CREATE TEMP TABLE c AS SELECT * FROM Himoku WHERE CODE = %1; "
                                  "UPDATE c SET CODE = 190, NAME = '月末カード', SIMEBI = 31, POS = 90; "
                                  "INSERT INTO Himoku SELECT * FROM c; DROP TABLE c"_s.arg(card));
        LoadHimokuCaches(DatMod->MainDatabase);
        typeHeader(page->SlipPanel->DBEditCredit, u"月末カード"_s);
        QCOMPARE(slips->fieldByName(u"CreditCode"_s)->asInteger(), 190);
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT KASICODE FROM Master WHERE STYLE = 3"_s).toInt(), 190);
        QVERIFY(dialogs.done());
    }

    // Table entry: the day's taxable lines (外税 and 無指定, not 内税) get one
    // tax line, recomputed at each press.
    void taxLineForADay()
    {
        DialogQueue dialogs;
        TFrameDeru *page = start();
        QVERIFY(page);
        QTRY_VERIFY_WITH_TIMEOUT(page->attached(), 5000);
        setRates({{QDate(2000, 1, 1), 10}});
        food = GetHimokuCodeByName(u"食費"_s, 2);
        const QDate day = page->periodStart().addDays(2);
        clickCell(page, page->columnOfDate(day), page->rowOfCode(food));
        QTRY_VERIFY(page->curCode() == food && page->curDate() == day && !page->cellLoadPending());
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        for (const QString &amount : {u"1000"_s, u"500"_s, u"300"_s}) {
            newLine(page);
            typeInto(page, u"KINGAKU"_s, amount, Qt::Key_Return);
            lines->checkBrowseMode();
        }
        setTaxTreatment(1, 2); // 外税
        setTaxTreatment(2, 1); // 内税
        setTaxTreatment(3, 3); // 無指定
        QVERIFY(page->ShpBtnTax->isVisible());
        QTest::mouseClick(page->ShpBtnTax, Qt::LeftButton);
        QCOMPARE(taxLines(), (QList<QPair<QDate, double>>{{day, 130.0}}));
        setTaxTreatment(1, 2);
        lines->setRecNo(1);
        lines->edit();
        lines->fieldByName(u"KINGAKU"_s)->setAsCurrency(Currency::fromInt(2000));
        lines->post();
        QTest::mouseClick(page->ShpBtnTax, Qt::LeftButton);
        QCOMPARE(taxLines(), (QList<QPair<QDate, double>>{{day, 230.0}}));
        QVERIFY(page->SaveJournal());
        Statement st(DatMod->MainDatabase,
                     u"SELECT KARICODE, KINGAKU, ZEIATUKAI, STYLE, ORIGIN FROM Master WHERE HINMEICODE = 1"_s);
        QVERIFY(st.next());
        QCOMPARE(int(st.intValue(0)), food);
        QCOMPARE(st.doubleValue(1), 230.0);
        QCOMPARE(int(st.intValue(2)), 0);
        QCOMPARE(int(st.intValue(3)), 1);
        QCOMPARE(int(st.intValue(4)), 2);
        QVERIFY(!st.next());
        QVERIFY(dialogs.done());
    }

    // The day's lines all paid from the bank: the tax line is asked to follow them.
    void taxLineTakesTheCommonAccount()
    {
        DialogQueue dialogs;
        TFrameDeru *page = start();
        QVERIFY(page);
        QTRY_VERIFY_WITH_TIMEOUT(page->attached(), 5000);
        setRates({{QDate(2000, 1, 1), 8}});
        food = GetHimokuCodeByName(u"食費"_s, 2);
        const int bank = GetHimokuCodeByName(u"普通預金"_s, 3);
        const QDate day = page->periodStart().addDays(3);
        clickCell(page, page->columnOfDate(day), page->rowOfCode(food));
        QTRY_VERIFY(page->curCode() == food && page->curDate() == day && !page->cellLoadPending());
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        for (const QString &amount : {u"1000"_s, u"250"_s}) {
            newLine(page);
            typeInto(page, u"KINGAKU"_s, amount, Qt::Key_Tab);
            typeInto(page, u"KASICODE"_s, u"普通預金"_s, Qt::Key_Tab);
            typeInto(page, u"ZEIATUKAI"_s, u"外税"_s, Qt::Key_Return);
            lines->checkBrowseMode();
        }
        dialogs.answer(mrYes, u"消費税の出金口座も 普通預金 に統一しますか？"_s);
        QTest::mouseClick(page->ShpBtnTax, Qt::LeftButton);
        QCOMPARE(taxLines(), (QList<QPair<QDate, double>>{{day, 100.0}}));
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT KASICODE FROM Master WHERE HINMEICODE = 1"_s).toInt(), bank);
        QVERIFY(dialogs.done());
    }

    // A bill with lines on both sides of a rate change: one tax line per day at
    // that day's rate, each reconciled with its own rate only.
    void taxLinesOfASlipWithTwoRates()
    {
        DialogQueue dialogs;
        TFrameDeru *page = startBill();
        QVERIFY(page);
        const QDate first = page->periodStart();
        const QDate second = first.addDays(10);
        setRates({{QDate(2000, 1, 1), 5}, {second, 8}});
        typeLine(page, first, u"1000"_s, u"外税"_s);
        typeLine(page, second, u"1000"_s, u"外税"_s);
        QTest::mouseClick(page->ShpBtnTax, Qt::LeftButton);
        QCOMPARE(taxLines(), (QList<QPair<QDate, double>>{{first, 50.0}, {second, 80.0}}));
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT SUM(KINGAKU) FROM Master WHERE HINMEICODE = 1"_s).toDouble(),
                 130.0);
        // The withdrawal carries the whole bill, tax included.
        QCOMPARE(withdrawal().amount, 2130.0);
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestBillWithdrawal)
#include "tst_billwithdrawal.moc"
