#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QTabBar>
#include <QtTest>

#include "DialogQueue.h"
#include "ReservePageDriver.h"
#include "controls/ShapeBtn.h"
#include "data/HimokuCache.h"
#include "data/Holidays.h"
#include "data/MasterCodes.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "data/RecordNumbers.h"
#include "data/ReserveCard.h"
#include "main/FormAutoRegister.h"
#include "main/FormReseveMonthly.h"
#include "main/FrameReserve.h"
#include "main/FrameSelecter.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"

using namespace Qt::StringLiterals;

// Scheduled entries as a user meets them: the program started on a book
// from the template, cards made on the 予約 page through its controls and
// the selector, their lines generated and saved, and the start-up dialog
// booking the due lines.
class TestReservePage : public QObject, private ReservePageDriver
{
    Q_OBJECT

private slots:
    void init()
    {
        makeBook();
        readCodes();
    }
    void cleanup()
    {
        ModalForms::clear();
        dropWorld();
    }

    // A card made through the page's controls is saved with its numbers and
    // new item; its three months of lines are generated and saved, dated
    // days after today scheduled and the others booked; a second card gets
    // the next name.
    void cardGeneratesLines()
    {
        TFrameReserve *page = openPage();
        QVERIFY(page);
        QCOMPARE(page->CmbBoxSyusiIdo->currentText(), u" 支 出"_s);
        QCOMPARE(page->CTabCnt->count(), 1);
        QCOMPARE(page->CTabCnt->tabText(0), u"新規予約1"_s);
        fillCard(page, u"家賃"_s, u"80000"_s, 25);
        QVERIFY(page->ShpBtnCardPost->isEnabled());
        QVERIFY(page->SaveCard());
        const int no = page->CardNo;
        QVERIFY(no > 0);
        QCOMPARE(page->CTabCnt->tabText(page->CTabCnt->currentIndex()), u"新規予約1"_s);
        QVERIFY(cardValue(no, u"DATANO"_s).toInt() > 0);
        QCOMPARE(cardValue(no, u"KARICODE"_s).toInt(), food);
        QCOMPARE(cardValue(no, u"KASICODE"_s).toInt(), cash);
        QCOMPARE(cardValue(no, u"POSTDATE"_s).toInt(), 25);
        const int item = cardValue(no, u"HINMEICODE"_s).toInt();
        QVERIFY(item > 0);
        QCOMPARE(HinmeiCodeToName(item), u"家賃"_s);

        // Generated and pending; the line list's save writes them.
        TMeisaiClientDataSet *lines = DatMod->MeisaiClt;
        QCOMPARE(lines->recordCount(), 3);
        QCOMPARE(count(u"RECEIPTNO = %1"_s.arg(no)), 0);
        QCOMPARE(page->BvLbGoukei->text(), u"240,000"_s);
        QVERIFY(page->SaveLines());
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        QCOMPARE(count(u"RECEIPTNO = %1 AND KINGAKU = 80000 AND HINMEICODE = %2"_s.arg(no).arg(item)), 3);
        QCOMPARE(count(u"RECEIPTNO = %1 AND RESERVED = 1"_s.arg(no)),
                 count(u"RECEIPTNO = %1 AND RECDATE > '%2'"_s.arg(no).arg(today)));
        QCOMPARE(count(u"RECEIPTNO = %1 AND RESERVED = 0"_s.arg(no)),
                 count(u"RECEIPTNO = %1 AND RECDATE <= '%2'"_s.arg(no).arg(today)));

        // 再生成 on the saved lines adds nothing.
        QCOMPARE(page->MakeList(), 0);

        page->NewCard();
        QCOMPARE(page->CardNo, 0);
        QCOMPARE(page->CTabCnt->count(), 2);
        QCOMPARE(page->CTabCnt->tabText(page->CTabCnt->currentIndex()), u"新規予約2"_s);
        // An empty new card is dropped when the user moves on.
        page->CTabCnt->setCurrentIndex(0);
        QCOMPARE(page->CardNo, no);
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM ReserveList"_s).toInt(), 1);

        // A filled card left for another tab is saved with its lines, and
        // the tab chosen is the card shown.
        page->NewCard();
        fillCard(page, u"駐車場"_s, u"12000"_s, 1);
        page->CTabCnt->setCurrentIndex(0);
        QCOMPARE(page->CardNo, no);
        QCOMPARE(page->CTabCnt->tabData(page->CTabCnt->currentIndex()).toInt(), no);
        QCOMPARE(page->DBEditKingaku->text(), u"80000"_s);
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM ReserveList"_s).toInt(), 2);
        QCOMPARE(count(u"KINGAKU = 12000"_s), 3);
    }

    // Monthly amounts typed in the dialog reach the card; Enter through the
    // amount edit keeps the card monthly; 取消 drops the amounts.
    void monthlyAmounts()
    {
        TFrameReserve *page = openPage();
        QVERIFY(page);
        fillCard(page, u"電気代"_s, u"1000"_s, 10);
        QVERIFY(page->SaveCard());
        QVERIFY(page->SaveLines());
        const int no = page->CardNo;

        ModalForms::push([](QDialog &d) {
            auto &form = dynamic_cast<TFormReseveMonthly &>(d);
            for (int m = 0; m < 12; ++m)
                form.DBEdits[m]->setText(QString::number((m + 1) * 100));
            form.DBEdits[2]->setText(u"0"_s);
            // The last value is still being typed when 閉じる is pressed.
            form.DBEdits[11]->setFocus();
            form.DBEdits[11]->setText(u"5,000"_s);
            form.SpBtnlClose->click();
            return form.result();
        });
        page->ClrBtnMonthGaku->click();
        QVERIFY(page->RdMonthly->isChecked());
        // Passing through the amount edit with Enter changes nothing.
        page->DBEditKingaku->setFocus();
        QTest::keyClick(page->DBEditKingaku, Qt::Key_Return);
        QVERIFY(page->RdMonthly->isChecked());
        QVERIFY(page->SaveCard());
        QCOMPARE(cardValue(no, u"MONTHLY"_s).toInt(), 1);
        QCOMPARE(cardValue(no, u"M2GAKU"_s).toInt(), 200);
        QCOMPARE(cardValue(no, u"M3GAKU"_s).toInt(), 0);
        QCOMPARE(cardValue(no, u"M12GAKU"_s).toInt(), 5000);

        // Letters cannot be typed into an amount; 取消 drops the typed amounts.
        QString afterLetters;
        ModalForms::push([&afterLetters](QDialog &d) {
            auto &form = dynamic_cast<TFormReseveMonthly &>(d);
            QTest::keyClicks(form.DBEdits[1], u"abc"_s);
            afterLetters = form.DBEdits[1]->text();
            form.DBEdits[1]->setText(u"999"_s);
            form.SpBtnlClose->click();
            return form.result();
        });
        page->ClrBtnMonthGaku->click();
        QCOMPARE(afterLetters, u"200"_s);
        QCOMPARE(page->ReserveCardClt()->fieldByName(u"M2GAKU"_s)->asCurrency(), Currency::fromInt(999));
        page->CancelCard();
        QCOMPARE(page->ReserveCardClt()->fieldByName(u"M2GAKU"_s)->asCurrency(), Currency::fromInt(200));
        QCOMPARE(cardValue(no, u"M2GAKU"_s).toInt(), 200);

        // Typing an amount is what makes the card a fixed one.
        QVERIFY(page->RdMonthly->isChecked());
        page->DBEditKingaku->setFocus();
        QTest::keyClick(page->DBEditKingaku, Qt::Key_5);
        QVERIFY(page->RdFixed->isChecked());
        QVERIFY(!page->ReserveCardClt()->fieldByName(u"MONTHLY"_s)->asBoolean());
    }

    // An edited line is saved, not dropped, when the card is cancelled or the
    // kind changes; deleting the card keeps its row (RECKIND 0) and its lines.
    void pendingLinesAndDelete()
    {
        TFrameReserve *page = openPage();
        QVERIFY(page);
        fillCard(page, u"保険"_s, u"3000"_s, 5);
        QVERIFY(page->SaveCard());
        QVERIFY(page->SaveLines());
        const int no = page->CardNo;
        TMeisaiClientDataSet *lines = DatMod->MeisaiClt;
        lines->last();
        lines->edit();
        lines->fieldByName(u"KINGAKU"_s)->setAsCurrency(Currency::fromInt(3333));
        lines->post();
        page->CancelCard();
        QCOMPARE(count(u"RECEIPTNO = %1 AND KINGAKU = 3333"_s.arg(no)), 1);

        lines->first();
        lines->edit();
        lines->fieldByName(u"KINGAKU"_s)->setAsCurrency(Currency::fromInt(1111));
        lines->post();
        pick(page->CmbBoxSyusiIdo, u" 収 入"_s);
        QCOMPARE(page->CardKind, 1);
        QCOMPARE(count(u"RECEIPTNO = %1 AND KINGAKU = 1111"_s.arg(no)), 1);
        pick(page->CmbBoxSyusiIdo, u" 支 出"_s);
        QCOMPARE(page->CardNo, no);

        DialogQueue dialogs;
        dialogs.answer(mrOk, u"カード情報のみ削除"_s);
        page->DeleteCard();
        QVERIFY(dialogs.done());
        QCOMPARE(cardValue(no, u"RECKIND"_s).toInt(), 0);
        QCOMPARE(count(u"RECEIPTNO = %1"_s.arg(no)), 3);
        QCOMPARE(page->CardNo, 0);
        QCOMPARE(page->CTabCnt->count(), 1);
    }

    // The program started on a book with due lines offers them at once:
    // one is booked, one set back to 記入しない, one deleted; the line dated
    // tomorrow and the one the lock date holds stay scheduled, and the user
    // is told of the locked one. The month table counts the booked line only.
    void startupBooksDueLines()
    {
        const QDate today = QDate::currentDate();
        // First start: no due lines, no dialog; the lock date is set.
        QVERIFY(start());
        QCOMPARE(ModalForms::pending(), 0);
        const QDate lock = today.addDays(-20);
        DataIni->WriteIntegerAndUpdate(u"Sime"_s, u"LockDate"_s, int(DateToDayNumber(lock)));
        stop();

        addScheduled(today, 1, 2000);
        addScheduled(today, 2, 300);
        addScheduled(today, 3, 50);
        addScheduled(today.addDays(1), 1, 4000);
        addScheduled(lock, 1, 7000);

        DialogQueue dialogs;
        dialogs.answer(mrOk, u"締め日以前の予約データが 1 件"_s);
        dialogs.answer(mrOk, u"レコードを削除してもよいですか？"_s);
        QStringList offered;
        bool located = true;
        ModalForms::push([&offered, &located](QDialog &d) {
            auto &form = dynamic_cast<TFormAutoRegister &>(d);
            TMeisaiClientDataSet *lines = DatMod->MeisaiClt;
            for (lines->first(); !lines->eof(); lines->next())
                offered << lines->fieldByName(u"KINGAKU"_s)->asCurrency().toString() + u":"_s
                        + lines->fieldByName(u"RESERVED"_s)->displayText();
            located = located && lines->locate(u"GYONO"_s, 2);
            lines->edit();
            lines->fieldByName(u"RESERVED"_s)->setText(TFormAutoRegister::KeepText);
            lines->post();
            located = located && lines->locate(u"GYONO"_s, 3);
            form.BtnDelete->click();
            form.BtnSave->click();
            return form.result();
        });
        TFrameDeru *deru = start();
        QVERIFY(deru);
        QVERIFY(dialogs.done());
        QCOMPARE(ModalForms::pending(), 0);
        QVERIFY(located);
        QCOMPARE(offered, (QStringList{u"2000:記入する"_s, u"300:記入する"_s, u"50:記入する"_s}));
        QCOMPARE(count(u"KINGAKU = 2000 AND RESERVED = 0"_s), 1);
        QCOMPARE(count(u"KINGAKU = 300 AND RESERVED = 1"_s), 1);
        QCOMPARE(count(u"KINGAKU = 50"_s), 0);
        QCOMPARE(count(u"KINGAKU = 4000 AND RESERVED = 1"_s), 1);
        QCOMPARE(count(u"KINGAKU = 7000 AND RESERVED = 1"_s), 1);
        QTRY_VERIFY(deru->attached());
        const int col = deru->columnOfDate(today);
        const int row = deru->rowOfCode(food);
        QVERIFY(col >= 0 && row >= 0);
        QTRY_COMPARE(deru->Hyou->getValue(col, row), Currency::fromInt(2000));
    }

    // 保存しない leaves everything scheduled, and the same lines come again
    // at the next start; 全取消 then 保存 books nothing.
    void startupWithoutSaving()
    {
        const QDate today = QDate::currentDate();
        addScheduled(today, 1, 2000);
        addScheduled(today.addDays(-1), 1, 100);
        int shown = 0;
        ModalForms::push([&shown](QDialog &d) {
            auto &form = dynamic_cast<TFormAutoRegister &>(d);
            shown = DatMod->MeisaiClt->recordCount();
            form.ShapeBtn2->click();
            return form.result();
        });
        QVERIFY(start());
        QCOMPARE(shown, 2);
        QCOMPARE(count(u"RESERVED = 1"_s), 2);
        stop();

        QString afterCancel;
        ModalForms::push([&shown, &afterCancel](QDialog &d) {
            auto &form = dynamic_cast<TFormAutoRegister &>(d);
            shown = DatMod->MeisaiClt->recordCount();
            form.BtnCancelAll->click();
            afterCancel = DatMod->MeisaiClt->fieldByName(u"RESERVED"_s)->displayText();
            form.BtnSave->setEnabled(true);
            form.Save();
            return form.result();
        });
        QVERIFY(start());
        QCOMPARE(shown, 2);
        QCOMPARE(afterCancel, TFormAutoRegister::KeepText);
        QCOMPARE(count(u"RESERVED = 1"_s), 2);
        QCOMPARE(ModalForms::pending(), 0);
    }
};

QTEST_MAIN(TestReservePage)
#include "tst_reservepage.moc"
