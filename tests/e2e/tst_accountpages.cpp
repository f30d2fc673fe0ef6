#include <QCheckBox>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "controls/FrameBtn.h"
#include "data/HimokuCache.h"
#include "data/ModalForm.h"
#include "data/MyMemIniFile.h"
#include "main/FormPrePayed.h"
#include "main/FrameIri.h"
#include "main/FrameKouza.h"
#include "management/FormHimokuSettei.h"
#include "management/HimokuSonota.h"
#include "platform/db/Database.h"

using namespace Qt::StringLiterals;

// The income and transfer pages of a program started on a book from the
// template: a salary typed on the income page, a transfer between two accounts
// with the month-end balances it leaves, and a voucher purchase.
class TestAccountPages : public QObject, public JournalPageDriver
{
    Q_OBJECT

    template <class Page> Page *showPage(int pageNo)
    {
        window->ShowPage(pageNo);
        auto *page = qobject_cast<Page *>(window->frameOf(pageNo));
        if (page && !QTest::qWaitFor([page] { return page->attached(); }, 5000))
            return nullptr;
        return page;
    }

    static void loadCell(TFrameDeru *page, int code, const QDate &date)
    {
        clickCell(page, page->columnOfDate(date), page->rowOfCode(code));
        QTRY_VERIFY(page->curCode() == code && page->curDate() == date && !page->cellLoadPending());
    }

    // A line as the page of its origin (2 expense, 3 transfer) saved it.
    static void addLine(const QDate &date, int kari, int kasi, int amount, int origin = 2)
    {
        const int dataNo = DatMod->MainDatabase.scalar(u"SELECT COALESCE(MAX(DATANO), 0) + 1000 FROM Master"_s).toInt();
        Statement st(DatMod->MainDatabase,
                     u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARISIDE, KARICODE, KASICODE, "
                     "RESERVED, LOOKUPNO, RECEIPTNO, RECKIND, STYLE, ORIGIN, ZEIATUKAI, SHOPCODE, HINMEICODE, PERSONCODE) "
                     "VALUES (?, 1, ?, ?, 1, 1, ?, ?, 0, 0, 0, 1, 1, ?, 3, 0, 0, 0)"_s);
        st.bind(1, dataNo);
        st.bind(2, date.toString(Qt::ISODate));
        st.bind(3, amount);
        st.bind(4, kari);
        st.bind(5, kasi);
        st.bind(6, origin);
        st.exec();
    }

    // An account's balance at the end of a day as the book says it: the
    // opening balance and every booked line, on the account's own side.
    static Currency balanceOf(int code, const QDate &end)
    {
        THimokuData h;
        if (!GetHimokuData(code, h))
            return Currency();
        const double in = DatMod->MainDatabase
                              .scalar(u"SELECT COALESCE(SUM(KINGAKU),0) FROM Master WHERE KARICODE = ? AND RECDATE <= ? "
                                      "AND COALESCE(RESERVED,0) = 0"_s,
                                      {code, end.toString(Qt::ISODate)})
                              .toDouble();
        const double out = DatMod->MainDatabase
                               .scalar(u"SELECT COALESCE(SUM(KINGAKU),0) FROM Master WHERE KASICODE = ? AND RECDATE <= ? "
                                       "AND COALESCE(RESERVED,0) = 0"_s,
                                       {code, end.toString(Qt::ISODate)})
                               .toDouble();
        return h.Syokizan + Currency::fromDouble(h.Karigata ? in - out : out - in);
    }

private slots:
    void init() { makeBook(); }
    void cleanup() { dropWorld(); }

    // A salary on the income page credits the category, debits its account.
    void incomeLine()
    {
        DialogQueue dialogs;
        QVERIFY(start());
        auto *page = showPage<TFrameIri>(pgIri);
        QVERIFY(page);
        QCOMPARE(page->frameKind(), 1);
        const int salary = GetHimokuCodeByName(u"給与"_s, 1);
        QVERIFY(page->rowOfCode(salary) >= 0);
        // Income carries no tax column.
        QCOMPARE(gridColumn(page, u"ZEIATUKAI"_s), -1);
        const QDate payday = page->periodStart().addDays(24);
        loadCell(page, salary, payday);
        QCOMPARE(page->LbMeisaiCaption->text(), u"給与 の明細"_s);

        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        newLine(page);
        typeInto(page, u"HinmeiName"_s, u"基本給"_s, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, u"250000"_s, Qt::Key_Tab);
        lines->checkBrowseMode();
        QVERIFY(page->SaveJournal());
        QCOMPARE(lines->changeCount(), 0);

        Statement st(DatMod->MainDatabase,
                     u"SELECT KARICODE, KASICODE, KINGAKU, RECDATE, ORIGIN, STYLE FROM Master WHERE DATANO > 0"_s);
        QVERIFY(st.next());
        QCOMPARE(int(st.intValue(0)), 100); // 現金, the category's account
        QCOMPARE(int(st.intValue(1)), salary);
        QCOMPARE(st.doubleValue(2), 250000.0);
        QCOMPARE(st.textValue(3), payday.toString(Qt::ISODate));
        QCOMPARE(int(st.intValue(4)), 1);
        QCOMPARE(int(st.intValue(5)), 1);
        QVERIFY(!st.next());
        const int col = page->columnOfDate(payday);
        QCOMPARE(page->Hyou->getValue(col, page->rowOfCode(salary)), Currency::fromInt(250000));
        QTRY_COMPARE(page->Hyou->getValue(1, page->rowOfCode(salary)), Currency::fromInt(250000));
        QVERIFY(dialogs.done());
    }

    // 10,000 from the bank to cash on the 5th: the bank's out and cash's in on
    // that day, no net change, and month-end balances that agree with the book.
    void transferAndMonthEndBalances()
    {
        DialogQueue dialogs;
        QVERIFY(start());
        auto *page = showPage<TFrameKouza>(pgKouza);
        QVERIFY(page);
        QCOMPARE(page->frameKind(), 3);
        const int bank = GetHimokuCodeByName(u"普通預金"_s, 3);
        const int card = GetHimokuCodeByName(u"クレジットカード"_s, 3);
        const int food = GetHimokuCodeByName(u"食費"_s, 2);
        QVERIFY(bank > 0 && card > 0 && food > 0);
        // A card purchase of the month before: the card owes it at this month's end.
        addLine(page->periodStart().addDays(-5), food, card, 3000);
        page->SetShowKouzaOnly(false);
        QCOMPARE(page->Hyou->fixedRows(), 3);
        QCOMPARE(page->Hyou->cells(0, 2), u"全財産合計"_s);
        QVERIFY(page->Hyou->cells(0, page->rowOfCode(bank)).startsWith(u"+) "_s));
        QVERIFY(page->Hyou->cells(0, page->rowOfCode(card)).startsWith(u"-) "_s));

        const QDate fifth = page->periodStart().addDays(4);
        loadCell(page, bank, fifth);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        newLine(page);
        typeInto(page, u"AiteCode"_s, u"現金"_s, Qt::Key_Tab);
        typeInto(page, u"KasiGaku"_s, u"10000"_s, Qt::Key_Tab);
        lines->checkBrowseMode();
        showTable(page);
        const int col = page->columnOfDate(fifth);
        // The table follows the typed line before it is saved.
        QTRY_COMPARE(page->Hyou->getStackValue(col, page->rowOfCode(bank)), Currency::fromInt(10000));
        QCOMPARE(page->Hyou->getValue(col, page->rowOfCode(100)), Currency::fromInt(10000));
        QCOMPARE(page->BbLbKasigou->text(), u"10,000"_s);
        QVERIFY(page->SaveJournal());

        Statement st(DatMod->MainDatabase,
                     u"SELECT KARICODE, KASICODE, KINGAKU, ORIGIN FROM Master WHERE RECDATE = ?"_s);
        st.bind(1, fifth.toString(Qt::ISODate));
        QVERIFY(st.next());
        QCOMPARE(int(st.intValue(0)), 100);
        QCOMPARE(int(st.intValue(1)), bank);
        QCOMPARE(st.doubleValue(2), 10000.0);
        QCOMPARE(int(st.intValue(3)), 3);
        QVERIFY(!st.next());

        // The day's net change is 0; the month's balances are the book's.
        QTRY_COMPARE(page->Hyou->getValue(col, 2), Currency::fromInt(10000));
        QCOMPARE(page->Hyou->getStackValue(col, 2), Currency::fromInt(10000));
        QCOMPARE(page->Hyou->getValue(col, 1), Currency());
        const QDate end = page->periodEnd();
        Currency assets;
        for (int code : {100, bank, card}) {
            const Currency expected = balanceOf(code, end);
            QCOMPARE(page->Hyou->getStackValue(0, page->rowOfCode(code)), expected);
        }
        QCOMPARE(balanceOf(bank, end), Currency::fromInt(-10000));
        QCOMPARE(balanceOf(card, end), Currency::fromInt(3000));
        for (const THimokuData &h : page->categoryList())
            assets += h.Karigata ? balanceOf(h.Code, end) : -balanceOf(h.Code, end);
        QCOMPARE(page->Hyou->getStackValue(0, 2), assets);
        QCOMPARE(assets, Currency::fromInt(-3000));

        // A card's cell speaks of repayments and use.
        loadCell(page, card, fifth);
        QCOMPARE(page->BbLbKari->text(), u"返済額"_s);
        QCOMPARE(page->BbLbKasi->text(), u"利用額"_s);
        QCOMPARE(page->MyDbGridMeisai->columns().at(gridColumn(page, u"KariGaku"_s)).caption, u"返済額"_s);
        loadCell(page, bank, fifth);
        QCOMPARE(page->BbLbKari->text(), u"入金額"_s);

        // With only accounts shown the expense line does not count, and no balances are kept.
        addLine(fifth, food, card, 700);
        page->SetShowKouzaOnly(true);
        QCOMPARE(page->Hyou->fixedRows(), 1);
        QCOMPARE(page->Hyou->getStackValue(col, page->rowOfCode(card)), Currency());
        QCOMPARE(page->Hyou->getStackValue(col, page->rowOfCode(bank)), Currency::fromInt(10000));
        page->SetShowKouzaOnly(false);
        QCOMPARE(page->Hyou->getStackValue(col, page->rowOfCode(card)), Currency::fromInt(700));
        QVERIFY(dialogs.done());
    }

    // The user turns "only transfers between accounts" off and on again in the
    // settings the page's 設定 button opens: the table gains the balance rows
    // and counts an expense paid from an account, then loses them again.
    void showKouzaOnlyFromTheSettings()
    {
        DialogQueue dialogs;
        QVERIFY(start());
        auto *page = showPage<TFrameKouza>(pgKouza);
        QVERIFY(page);
        QVERIFY(page->showKouzaOnly());
        QCOMPARE(page->Hyou->fixedRows(), 1);
        const int bank = GetHimokuCodeByName(u"普通預金"_s, 3);
        const int food = GetHimokuCodeByName(u"食費"_s, 2);
        const QDate fifth = page->periodStart().addDays(4);
        addLine(fifth, food, bank, 700);
        auto *button = page->findChild<TFrameBtn *>(u"FrBtnSettei"_s);
        QVERIFY(button);
        auto untick = [](bool on) {
            ModalForms::push([on](QDialog &d) {
                auto &f = dynamic_cast<TFormHimokuSettei &>(d);
                [&] {
                    QCOMPARE(f.pageKind(), 3);
                    QVERIFY(f.PnlSonota->ChkBoxKouzaOnly->isVisibleTo(&f));
                    QCOMPARE(f.PnlSonota->ChkBoxKouzaOnly->isChecked(), !on);
                }();
                f.PnlSonota->ChkBoxKouzaOnly->click();
                f.close();
                return f.result();
            });
        };

        untick(false);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(ModalForms::pending(), 0);
        QCOMPARE(DataIni->ReadOrWriteBool(u"Kouza"_s, u"ShowKouzaOnly"_s, true), false);
        QTRY_VERIFY(page->attached());
        QVERIFY(!page->showKouzaOnly());
        QCOMPARE(page->Hyou->fixedRows(), 3);
        QCOMPARE(page->Hyou->cells(0, 2), u"全財産合計"_s);
        const int col = page->columnOfDate(fifth);
        QTRY_COMPARE(page->Hyou->getStackValue(col, page->rowOfCode(bank)), Currency::fromInt(700));
        QCOMPARE(page->Hyou->getStackValue(0, page->rowOfCode(bank)), balanceOf(bank, page->periodEnd()));

        untick(true);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(ModalForms::pending(), 0);
        QTRY_VERIFY(page->attached());
        QVERIFY(page->showKouzaOnly());
        QCOMPARE(page->Hyou->fixedRows(), 1);
        QTRY_COMPARE(page->Hyou->getStackValue(col, page->rowOfCode(bank)), Currency());
        QVERIFY(dialogs.done());
    }

    // A line moved to another day in move mode leaves the old day's cell and
    // enters the new one; the other days keep their amounts.
    void moveModeKeepsTheTable()
    {
        DialogQueue dialogs;
        QVERIFY(start());
        auto *page = showPage<TFrameKouza>(pgKouza);
        QVERIFY(page);
        const int bank = GetHimokuCodeByName(u"普通預金"_s, 3);
        const QDate fifth = page->periodStart().addDays(4);
        const QDate sixth = fifth.addDays(1);
        const QDate eighth = fifth.addDays(3);
        addLine(fifth, 100, bank, 10000, 3);
        addLine(eighth, 100, bank, 4000, 3);
        page->SetShowKouzaOnly(true);
        const int bankRow = page->rowOfCode(bank), cashRow = page->rowOfCode(100);
        QCOMPARE(page->Hyou->getStackValue(page->columnOfDate(eighth), bankRow), Currency::fromInt(4000));

        loadCell(page, bank, fifth);
        page->ActionMove->trigger();
        QVERIFY(page->ActionMove->isChecked());
        QVERIFY(gridColumn(page, u"RECDATE"_s) >= 0);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        lines->first();
        typeInto(page, u"RECDATE"_s, sixth.toString(u"yy/MM/dd"_s), Qt::Key_Return);
        lines->checkBrowseMode();
        QTRY_COMPARE(page->Hyou->getStackValue(page->columnOfDate(sixth), bankRow), Currency::fromInt(10000));
        QCOMPARE(page->Hyou->getStackValue(page->columnOfDate(fifth), bankRow), Currency());
        QCOMPARE(page->Hyou->getValue(page->columnOfDate(sixth), cashRow), Currency::fromInt(10000));
        QCOMPARE(page->Hyou->getStackValue(page->columnOfDate(eighth), bankRow), Currency::fromInt(4000));
        QCOMPARE(page->Hyou->getValue(page->columnOfDate(eighth), cashRow), Currency::fromInt(4000));
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE RECDATE = ?"_s,
                                             {sixth.toString(Qt::ISODate)}).toInt(), 1);
        QTRY_COMPARE(page->Hyou->getStackValue(page->columnOfDate(eighth), bankRow), Currency::fromInt(4000));
        QCOMPARE(page->Hyou->getStackValue(page->columnOfDate(sixth), bankRow), Currency::fromInt(10000));
        QVERIFY(dialogs.done());
    }

    // Eleven tickets of 1,000 for 10,000: the purchase from the paying account
    // and the 1,000 premium as income, both into the voucher account.
    void voucherPurchase()
    {
        DialogQueue dialogs;
        QVERIFY(start());
        auto *page = showPage<TFrameKouza>(pgKouza);
        QVERIFY(page);
        const int voucher = GetHimokuCodeByName(u"電子マネー"_s, 3);
        const int salary = GetHimokuCodeByName(u"給与"_s, 1);
        QVERIFY(voucher > 0);
        QTest::mouseClick(page->FrBtnPrePayed, Qt::LeftButton);
        QTRY_COMPARE(page->inputMode(), 8);

        bool filled = false;
        QTimer fill;
        fill.setInterval(10);
        QObject::connect(&fill, &QTimer::timeout, this, [&] {
            TFormPrePayed *form = page->voucherDialog();
            if (!form || !form->isVisible() || filled)
                return;
            filled = true;
            QCOMPARE(form->voucherCode(), voucher);
            QCOMPARE(form->payingAccount(), 100);
            // The voucher's name became an item and a shop to hang its choices under.
            QVERIFY(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM HinmeiMast WHERE NAME = '電子マネー'"_s).toInt() == 1);
            QVERIFY(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM ShopMast WHERE NAME = '電子マネー'"_s).toInt() == 1);
            // A purchase day outside the voucher's month is refused and the day kept.
            const QDate day = form->purchaseDate();
            form->MkEditRecDate->setText(form->periodEnd().addDays(1).toString(u"yy/MM/dd"_s));
            dialogs.answer(mrOk, u"月度の範囲外です。"_s);
            form->MkEditRecDateExit();
            QCOMPARE(form->purchaseDate(), day);
            QCOMPARE(form->MkEditRecDate->text(), day.toString(u"yy/MM/dd"_s));
            // A ticket added as the voucher's own item brings its face value when chosen.
            form->ShowList(TFormPrePayed::lkHinmei);
            QVERIFY(form->PnlTuika->isVisible());
            form->EditTuika->setText(u"千円券"_s);
            form->EditGaku->setText(u"1000"_s);
            form->FrBtnAppendListClick();
            QCOMPARE(form->listCodes().size(), 1);
            form->EditTuika->setText(u"五百円券"_s);
            form->EditGaku->setText(u"500"_s);
            form->FrBtnAppendListClick();
            QCOMPARE(form->DBCtlGridSelecter->count(), 2);
            const int fiveHundred = form->DBCtlGridSelecter->currentRow();
            QCOMPARE(form->DBCtlGridSelecter->item(fiveHundred)->text(), u"五百円券"_s);
            dialogs.answer(mrOk, u"五百円券 を削除します。"_s);
            form->FrBtnDeleteListClick();
            QCOMPARE(form->DBCtlGridSelecter->count(), 1);
            form->ChooseListRow(0);
            QCOMPARE(form->EditHinmei->text(), u"千円券"_s);
            QCOMPARE(form->FltEditGakumen->text(), u"1,000"_s);
            form->IntEditQuant->setValue(11);
            // More paid than the tickets are worth is refused.
            form->FltEditPayed->setText(u"12000"_s);
            form->RecalcAmounts();
            dialogs.answer(mrOk, u"サービス額が マイナスになっています。"_s);
            QVERIFY(!form->SpBtnApplyClick());
            form->FltEditPayed->setText(u"10000"_s);
            form->RecalcAmounts();
            QCOMPARE(form->BvLbMasiGaku->text(), u"1,000"_s);
            QVERIFY(form->SpBtnApplyClick());
        });
        fill.start();
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        fill.stop();
        QVERIFY(filled);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QCOMPARE(lines->recordCount(), 2);
        QVERIFY(page->SaveJournal());
        QCOMPARE(lines->changeCount(), 0);

        Statement st(DatMod->MainDatabase,
                     u"SELECT M.KARICODE, M.KASICODE, M.KINGAKU, M.QUANTITY, H.NAME, M.STYLE, M.ORIGIN, M.RECEIPTNO "
                     "FROM Master M LEFT JOIN HinmeiMast H ON H.CODE = M.HINMEICODE WHERE M.DATANO > 0 "
                     "ORDER BY M.KINGAKU DESC"_s);
        QVERIFY(st.next());
        QCOMPARE(int(st.intValue(0)), voucher);
        QCOMPARE(int(st.intValue(1)), 100);
        QCOMPARE(st.doubleValue(2), 10000.0);
        QCOMPARE(st.doubleValue(3), 11.0);
        QCOMPARE(st.textValue(4), u"千円券"_s);
        QCOMPARE(int(st.intValue(5)), 8);
        QCOMPARE(int(st.intValue(6)), 3);
        const int receiptNo = int(st.intValue(7));
        QVERIFY(receiptNo > 0);
        QVERIFY(st.next());
        QCOMPARE(int(st.intValue(0)), voucher);
        QCOMPARE(int(st.intValue(1)), salary);
        QCOMPARE(st.doubleValue(2), 1000.0);
        QCOMPARE(st.textValue(4), u"サービス割増"_s);
        QCOMPARE(int(st.intValue(7)), receiptNo);
        QVERIFY(!st.next());
        // The voucher list sums what went into the voucher and what came out.
        TMeisaiClientDataSet *slips = ReceiptClt(*DatMod);
        QTRY_VERIFY(slips->isActive() && slips->locate(u"RECEIPTNO"_s, receiptNo));
        QCOMPARE(slips->fieldByName(u"KariGaku"_s)->asCurrency(), Currency::fromInt(11000));
        QCOMPARE(slips->fieldByName(u"KasiGaku"_s)->asCurrency(), Currency());
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestAccountPages)
#include "tst_accountpages.moc"
