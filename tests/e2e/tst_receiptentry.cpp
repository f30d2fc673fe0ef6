#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "TestEnv.h"
#include "controls/FrameBtn.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/FormatSettings.h"
#include "data/HimokuCache.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "main/FrameDeru.h"
#include "main/MainForm.h"
#include "main/MeisaiGrid.h"
#include "main/ReceiptList.h"
#include "main/SlipPanel.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"

using namespace Qt::StringLiterals;

// Slips entered on the real expense page of a program started on a book from
// the template: the receipt mode's new slip, its date and shop typed into the
// header, two lines typed into the detail grid, the save; then a bill, which
// also carries the shown month's code.
class TestReceiptEntry : public QObject, public JournalPageDriver
{
    Q_OBJECT

private slots:
    void init() { makeBook(); }
    void cleanup() { dropWorld(); }

    void receiptWithTwoLines()
    {
        DialogQueue dialogs;
        TFrameDeru *page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        const int food = GetHimokuCodeByName(u"食費"_s, 2);
        QVERIFY(food > 0);

        // Receipt mode: the slip list takes the table's place.
        QTest::mouseClick(page->FrBtnReceipt, Qt::LeftButton);
        QTRY_COMPARE(int(page->ReceiptList->InputMode), 2);
        QTRY_VERIFY(page->ReceiptList->isVisible());
        QCOMPARE(page->ReceiptList->LbList->text(), u"レシート一覧"_s);
        QVERIFY(page->SlipPanel->SpBtnNewReceipt->isVisible());
        QCOMPARE(page->SlipPanel->SpBtnNewReceipt->text(), u"新規レシート"_s);

        // A new receipt of the shown month, dated the period's first day.
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        TMeisaiClientDataSet *slips = ReceiptClt(*DatMod);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QTRY_VERIFY(slips->isActive() && slips->recordCount() == 1);
        QCOMPARE(slips->fieldByName(u"RECEIPTNO"_s)->asInteger(), -1);
        const QDate first = page->periodStart();
        typeHeader(page->SlipPanel->DBEditDate, first.toString(u"yy/MM/dd"_s));
        typeHeader(page->SlipPanel->DBEditShop, u"駅前スーパー"_s);
        QCOMPARE(slips->fieldByName(u"RecDate"_s)->asDate(), first);
        QCOMPARE(slips->fieldByName(u"ShopName"_s)->asString(), u"駅前スーパー"_s);

        newLine(page);
        typeInto(page, u"KARICODE"_s, u"食費"_s, Qt::Key_Tab);
        typeInto(page, u"HinmeiName"_s, u"パン"_s, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, u"300"_s, Qt::Key_Tab);
        lines->checkBrowseMode();
        newLine(page);
        typeInto(page, u"KARICODE"_s, u"食費"_s, Qt::Key_Tab);
        typeInto(page, u"HinmeiName"_s, u"牛乳"_s, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, u"250*2"_s, Qt::Key_Tab);
        lines->checkBrowseMode();
        QTRY_COMPARE(page->SlipPanel->BbLbKarigou->text(), u"800"_s);

        QVERIFY(page->SaveJournal());
        QCOMPARE(lines->changeCount(), 0);

        // One slip number over both lines, numbered 1 and 2, the header's date
        // and shop, made on the expense page in receipt style.
        Statement st(DatMod->MainDatabase,
                     u"SELECT M.RECEIPTNO, M.GYONO, M.STYLE, M.ORIGIN, M.RECDATE, S.NAME, M.KARICODE, M.KASICODE, "
                     "M.KINGAKU, M.LOOKUPNO FROM Master M LEFT JOIN ShopMast S ON S.CODE = M.SHOPCODE "
                     "WHERE M.DATANO > 0 ORDER BY M.GYONO"_s);
        QList<int> gyo;
        QSet<int> numbers;
        Currency total;
        while (st.next()) {
            numbers << int(st.intValue(0));
            gyo << int(st.intValue(1));
            QCOMPARE(int(st.intValue(2)), 2);
            QCOMPARE(int(st.intValue(3)), 2);
            QCOMPARE(st.textValue(4), first.toString(Qt::ISODate));
            QCOMPARE(st.textValue(5), u"駅前スーパー"_s);
            QCOMPARE(int(st.intValue(6)), food);
            QCOMPARE(int(st.intValue(7)), 100);   // 現金, the page's counter-account of slips
            // A receipt is found by its date: it carries no month code.
            QCOMPARE(int(st.intValue(9)), 0);
            total += Currency::fromDouble(st.doubleValue(8));
        }
        QCOMPARE(gyo, (QList<int>{1, 2}));
        QCOMPARE(numbers.size(), 1);
        const int receiptNo = *numbers.begin();
        QVERIFY(receiptNo > 0);
        QCOMPARE(total, Currency::fromInt(800));
        // The list shows the saved slip with its number and sum.
        QCOMPARE(int(slips->fieldByName(u"RECEIPTNO"_s)->asInteger()), receiptNo);
        QCOMPARE(slips->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(800));
        QCOMPARE(slips->recordCount(), 1);
        QVERIFY(dialogs.done());
    }

    // A bill gets the shown month's code on its lines.
    void billCarriesTheMonthCode()
    {
        DialogQueue dialogs;
        TFrameDeru *page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        const int card = GetHimokuCodeByName(u"クレジットカード"_s, 3);
        QVERIFY(card > 0);
        // The bill button: the book's template has a credit card among its accounts.
        QTest::mouseClick(page->FrBtnCredit, Qt::LeftButton);
        QTRY_COMPARE(int(page->ReceiptList->InputMode), 3);
        QCOMPARE(page->SlipPanel->SpBtnNewReceipt->text(), u"新規請求書"_s);
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        TMeisaiClientDataSet *slips = ReceiptClt(*DatMod);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QTRY_VERIFY(slips->isActive() && slips->recordCount() == 1);
        typeHeader(page->SlipPanel->DBEditCredit, u"クレジットカード"_s);
        QCOMPARE(slips->fieldByName(u"CreditCode"_s)->asInteger(), card);

        newLine(page);
        typeInto(page, u"RECDATE"_s, page->periodStart().toString(u"yy/MM/dd"_s), Qt::Key_Tab);
        typeInto(page, u"KARICODE"_s, u"食費"_s, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, u"1200"_s, Qt::Key_Tab);
        lines->checkBrowseMode();
        // The card brought its payment day (the next month's 10th or the
        // working day the rule moves it to) and paying account.
        QCOMPARE(slips->fieldByName(u"PayKouza"_s)->asInteger(), 100);
        const QDate payDate = slips->fieldByName(u"PayDate"_s)->asDate();
        QVERIFY(payDate > page->periodEnd() && payDate < page->periodEnd().addMonths(2));
        QVERIFY(page->SaveJournal());
        QCOMPARE(lines->changeCount(), 0);
        const int monthCode = EncodeMonthCode(uint16_t(page->shownYear()), uint16_t(page->shownMonth()));
        Statement st(DatMod->MainDatabase,
                     u"SELECT RECEIPTNO, GYONO, STYLE, LOOKUPNO, KASICODE FROM Master WHERE DATANO > 0 AND STYLE <> 6"_s);
        QVERIFY(st.next());
        QVERIFY(st.intValue(0) > 0);
        QCOMPARE(int(st.intValue(1)), 1);
        QCOMPARE(int(st.intValue(2)), 3);
        QCOMPARE(int(st.intValue(3)), monthCode);
        QCOMPARE(int(st.intValue(4)), card);
        QVERIFY(!st.next());
        QCOMPARE(int(slips->fieldByName(u"LookupNo"_s)->asInteger()), monthCode);
        QVERIFY(dialogs.done());
    }

    // A bill line dated outside the shown month is asked about once at the
    // save: No keeps everything unsaved where it was, Yes saves.
    void billLineOutsideTheMonthAsks()
    {
        DialogQueue dialogs;
        TFrameDeru *page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        QTest::mouseClick(page->FrBtnCredit, Qt::LeftButton);
        QTRY_COMPARE(int(page->ReceiptList->InputMode), 3);
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        TMeisaiClientDataSet *slips = ReceiptClt(*DatMod);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QTRY_VERIFY(slips->isActive() && slips->recordCount() == 1);
        typeHeader(page->SlipPanel->DBEditCredit, u"クレジットカード"_s);
        newLine(page);
        typeInto(page, u"RECDATE"_s, page->periodEnd().addDays(3).toString(u"yy/MM/dd"_s), Qt::Key_Tab);
        typeInto(page, u"KARICODE"_s, u"食費"_s, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, u"700"_s, Qt::Key_Tab);
        lines->checkBrowseMode();
        const QString question = u"月度外のデータがあります。よろしいですか？"_s;
        dialogs.answer(mrNo, question);
        QVERIFY(!page->SaveJournal());
        QVERIFY(lines->changeCount() > 0);
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0"_s).toInt(), 0);
        dialogs.answer(mrYes, question);
        QVERIFY(page->SaveJournal());
        QCOMPARE(lines->changeCount(), 0);
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0 AND STYLE = 3"_s).toInt(), 1);
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestReceiptEntry)
#include "tst_receiptentry.moc"
