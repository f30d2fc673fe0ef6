#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "data/HimokuCache.h"
#include "main/DeruLineMenu.h"
#include "main/FrameIri.h"
#include "main/FrameKouza.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"

using namespace Qt::StringLiterals;

// Lines copied on one journal page and pasted on another, in the running
// program on a book from the template: each page keeps its own category and
// takes only the accounts that can stand where it puts them, and the transfer
// page turns a one-amount line into its receipt or payment.
class TestPageClipboard : public QObject, public JournalPageDriver
{
    Q_OBJECT

    TFrameDeru *showPage(int pageNo)
    {
        window->ShowPage(pageNo);
        auto *page = qobject_cast<TFrameDeru *>(window->frameOf(pageNo));
        if (page && !QTest::qWaitFor([page] { return page->attached(); }, 5000))
            return nullptr;
        return page;
    }

    static void loadCell(TFrameDeru *page, int code, const QDate &date)
    {
        // Typing may have left a column's choices in front of the table.
        if (page->PnLeftStack->currentWidget() != page->Hyou)
            showTable(page);
        clickCell(page, page->columnOfDate(date), page->rowOfCode(code));
        QTRY_VERIFY(page->curCode() == code && page->curDate() == date && !page->cellLoadPending());
        page->MyDbGridMeisai->setFocus();
    }

    static int pageNoOf(int kind) { return kind == 1 ? pgIri : kind == 2 ? pgDeru : pgKouza; }

    static int code(const QString &name, int kind) { return GetHimokuCodeByName(name, kind); }

private slots:
    void init() { makeBook(); }
    void cleanup() { dropWorld(); }

    // The source lines, as typed on their pages:
    //   income   給与 into 普通預金, 3,000           (KARICODE bank,    KASICODE 給与)
    //   expense  食費 paid from 普通預金, 1,200      (KARICODE 食費,    KASICODE bank)
    //   transfer 普通預金 out to 電子マネー, 5,000   (KARICODE voucher, KASICODE bank)
    // Each is pasted into a cell of another page; the page's defaults for a
    // new line there are 現金 as the account and the cell's own category.
    void pasteAcrossPages_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("cell");     // the target cell's category or account
        QTest::addColumn<QString>("kari");     // the pasted line's debit and credit
        QTest::addColumn<QString>("kasi");
        // An expense category never becomes the account an income came into.
        QTest::newRow("expense to income") << 2 << 1 << u"給与"_s << u"現金"_s << u"給与"_s;
        QTest::newRow("transfer to income") << 3 << 1 << u"給与"_s << u"電子マネー"_s << u"給与"_s;
        // An income category never becomes the account an expense was paid from.
        QTest::newRow("income to expense") << 1 << 2 << u"食費"_s << u"食費"_s << u"現金"_s;
        QTest::newRow("transfer to expense") << 3 << 2 << u"食費"_s << u"食費"_s << u"普通預金"_s;
        // One amount becomes a receipt when it was an income, a payment otherwise.
        QTest::newRow("income to transfer") << 1 << 3 << u"現金"_s << u"現金"_s << u"給与"_s;
        QTest::newRow("expense to transfer") << 2 << 3 << u"現金"_s << u"食費"_s << u"現金"_s;
        QTest::newRow("transfer to transfer") << 3 << 3 << u"現金"_s << u"電子マネー"_s << u"現金"_s;
    }
    void pasteAcrossPages()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, cell);
        QFETCH(QString, kari);
        QFETCH(QString, kasi);
        DialogQueue dialogs;
        QVERIFY(start());
        const int bank = code(u"普通預金"_s, 3), voucher = code(u"電子マネー"_s, 3);
        const int salary = code(u"給与"_s, 1), food = code(u"食費"_s, 2);
        QVERIFY(bank > 0 && voucher > 0 && salary > 0 && food > 0);
        auto codeOf = [&](const QString &name) {
            for (int kind : {1, 2, 3})
                if (const int c = code(name, kind); c > 0)
                    return c;
            return -1;
        };

        // The source line, typed and saved on its page.
        TFrameDeru *source = showPage(pageNoOf(from));
        QVERIFY(source);
        const QDate sourceDay = source->periodStart().addDays(4);
        loadCell(source, from == 1 ? salary : from == 2 ? food : bank, sourceDay);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        const int amount = from == 1 ? 3000 : from == 2 ? 1200 : 5000;
        newLine(source);
        typeInto(source, u"HinmeiName"_s, u"貼付元"_s, Qt::Key_Tab);
        if (from == 3) {
            typeInto(source, u"AiteCode"_s, u"電子マネー"_s, Qt::Key_Tab);
            typeInto(source, u"KasiGaku"_s, QString::number(amount), Qt::Key_Tab);
        } else {
            typeInto(source, u"KINGAKU"_s, QString::number(amount), Qt::Key_Tab);
            if (!lines->isEditing())
                lines->edit();
            lines->fieldByName(from == 1 ? u"KARICODE"_s : u"KASICODE"_s)->setAsInteger(bank);
        }
        lines->checkBrowseMode();
        QVERIFY(source->SaveJournal());
        const QList<int> sourceCodes{from == 1 ? bank : from == 2 ? food : voucher,
                                     from == 1 ? salary : from == 2 ? bank : bank};
        QCOMPARE(DatMod->MainDatabase
                     .scalar(u"SELECT COUNT(*) FROM Master WHERE RECDATE = ? AND KARICODE = ? AND KASICODE = ? "
                             "AND KINGAKU = ?"_s,
                             {sourceDay, sourceCodes[0], sourceCodes[1], amount})
                     .toInt(),
                 1);
        lines->first();
        source->MyDbGridMeisai->setFocus();
        source->LineMenu->UpdateActions();
        QVERIFY(source->LineMenu->ActRecCopy->isEnabled());
        source->LineMenu->ActRecCopy->trigger();
        QCOMPARE(CopyClt(*DatMod)->recordCount(), 1);

        // Pasted after the last line of a cell of the target page, a few days on.
        TFrameDeru *target = showPage(pageNoOf(to));
        QVERIFY(target);
        const QDate targetDay = target->periodStart().addDays(11);
        QVERIFY(targetDay != sourceDay);
        loadCell(target, codeOf(cell), targetDay);
        target->LineMenu->UpdateActions();
        QVERIFY(target->LineMenu->ActRecAppendPaste->isEnabled());
        target->LineMenu->ActRecAppendPaste->trigger();
        QCOMPARE(lines->recordCount(), 1);
        QCOMPARE(lines->fieldByName(u"RECDATE"_s)->asDate(), targetDay);
        QVERIFY(target->SaveJournal());
        QCOMPARE(lines->changeCount(), 0);

        Statement st(DatMod->MainDatabase,
                     u"SELECT KARICODE, KASICODE, KINGAKU, ORIGIN FROM Master WHERE RECDATE = ?"_s);
        st.bind(1, targetDay.toString(Qt::ISODate));
        QVERIFY(st.next());
        QCOMPARE(int(st.intValue(0)), codeOf(kari));
        QCOMPARE(int(st.intValue(1)), codeOf(kasi));
        QCOMPARE(st.doubleValue(2), double(amount));
        // The line now belongs to the page it was pasted on.
        QCOMPARE(int(st.intValue(3)), to);
        QVERIFY(!st.next());
        // The copied line is where it was.
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE RECDATE = ?"_s, {sourceDay}).toInt(),
                 1);
        QVERIFY(dialogs.done());
    }
};

QTEST_MAIN(TestPageClipboard)
#include "tst_pageclipboard.moc"
