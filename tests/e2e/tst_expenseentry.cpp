#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QtTest>

#include "DialogQueue.h"
#include "WorkbookReader.h"
#include "printing/ExcelExport.h"
#include <QAbstractButton>
#include <QMenu>
#include "JournalPageDriver.h"
#include "TestEnv.h"
#include "controls/CurrencyGrid.h"
#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/FormatSettings.h"
#include "data/HimokuCache.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "main/FrameDeru.h"
#include "main/MainForm.h"
#include "main/MeisaiGrid.h"
#include "platform/db/Abort.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"

using namespace Qt::StringLiterals;

// A new user's first expense: the program starts on a book restored from the
// template, the expense page shows the current month; a click on today's 食費
// cell, an item name, an amount expression and a shop typed into a new line,
// Enter, save. The journal row, the cell and the totals follow, the line is
// there again after a restart, and once the day is locked it cannot be changed.
class TestExpenseEntry : public QObject, public JournalPageDriver
{
    Q_OBJECT

private slots:
    void init() { makeBook(); }
    void cleanup() { dropWorld(); }

    // 印刷 on the expense page: the month table and the food lines to workbooks
    // read back with the page's figures; in a slip mode only the lines entry.
    void exportsTheMonthAndItsLines()
    {
        DialogQueue dialogs;
        TFrameDeru *page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        SetOpenExportedWorkbook(false);
        const QDate today = QDate::currentDate();
        const int food = GetHimokuCodeByName(u"食費"_s, 2);
        const int col = page->columnOfDate(today);
        const int row = page->rowOfCode(food);
        clickCell(page, col, row);
        QTRY_COMPARE(page->curCode(), food);
        QTRY_VERIFY(!page->cellLoadPending());
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QTRY_VERIFY(lines->state() == DataSetState::Insert);
        typeInto(page, u"HinmeiName"_s, u"キャベツ"_s, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, u"1234"_s, Qt::Key_Tab);
        typeInto(page, u"ShopName"_s, u"八百屋"_s, Qt::Key_Return);
        QTRY_COMPARE(page->Hyou->getValue(col, row), Currency::fromInt(1234));
        QVERIFY(page->SaveJournal());
        QTRY_COMPARE(page->Hyou->getValue(1, row), Currency::fromInt(1234));

        QTemporaryDir dir;
        const QString table = dir.filePath(u"table.xlsx"_s), meisai = dir.filePath(u"lines.xlsx"_s);
        dialogs.saveFile(table).saveFile(meisai);
        page->findChild<QAction *>(u"MenuPrintHyouExcel"_s)->trigger();
        page->findChild<QAction *>(u"MenuPrintMeiseiExcel"_s)->trigger();
        QVERIFY(dialogs.done());
        QString skip;
        const auto books = ReadWorkbooks({table, meisai}, &skip);
        if (skip.isEmpty()) {
            const QList<QStringList> t = books.value(u"table"_s);
            QCOMPARE(SheetCell(t, 1, 1), page->LbSyori->text());
            QCOMPARE(SheetCell(t, 3 + row, 1), page->Hyou->displayText(0, row));
            QCOMPARE(SheetCell(t, 3 + row, col + 1), u"1,234"_s);
            QString all;
            for (const QStringList &r : books.value(u"lines"_s))
                all += r.join(u'|') + u'\n';
            QVERIFY2(all.contains(u"キャベツ"_s) && all.contains(u"八百屋"_s) && all.contains(u"1,234"_s), qPrintable(all));
        }
        auto *menu = page->findChild<QAction *>(u"MenuPrintHyouExcel"_s)->parent();
        page->ChangeInputMode(2);
        QTest::mouseClick(page->findChild<QAbstractButton *>(u"FrBtnPrint"_s), Qt::LeftButton);
        QVERIFY(!page->findChild<QAction *>(u"MenuPrintHyouExcel"_s)->isVisible());
        QVERIFY(page->findChild<QAction *>(u"MenuPrintMeiseiExcel"_s)->isVisible());
        static_cast<QWidget *>(menu)->close();
    }

    void typeSaveRestartAndLock()
    {
        DialogQueue dialogs;
        TFrameDeru *page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        QCOMPARE(window->currentPageNo(), int(pgDeru));

        // The current month with month-end closing.
        const QDate today = QDate::currentDate();
        QVERIFY(page->periodStart() <= today && today <= page->periodEnd());
        QCOMPARE(page->periodStart(), QDate(today.year(), today.month(), 1));
        QCOMPARE(page->LbSyori->text(), u"%1年度 %2月分 (月末締め)"_s.arg(page->shownYear()).arg(page->shownMonth()));

        const int food = GetHimokuCodeByName(u"食費"_s, 2);
        QVERIFY(food > 0);
        const int col = page->columnOfDate(today);
        const int row = page->rowOfCode(food);
        QVERIFY(col >= 0 && row >= 0);
        clickCell(page, col, row);
        QTRY_COMPARE(page->curCode(), food);
        QTRY_VERIFY(!page->cellLoadPending());
        QCOMPARE(page->curDate(), today);
        QCOMPARE(page->LbMeisaiCaption->text(), u"食費 の明細"_s);

        // A new line: Down in the empty grid appends it; name, amount, shop; Enter.
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QTRY_VERIFY(lines->state() == DataSetState::Insert);
        typeInto(page, u"HinmeiName"_s, u"キャベツ"_s, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, u"1200*2"_s, Qt::Key_Tab);
        typeInto(page, u"ShopName"_s, u"八百屋"_s, Qt::Key_Return);
        // Enter posted the line and started the next one; the cell follows at once.
        QTRY_COMPARE(page->Hyou->getValue(col, row), Currency::fromInt(2400));
        QCOMPARE(page->BbLbKarigou->text(), u"2,400"_s);

        QVERIFY(page->SaveJournal());
        QCOMPARE(lines->changeCount(), 0);
        QTRY_COMPARE(page->Hyou->getValue(1, row), Currency::fromInt(2400));   // row total
        QCOMPARE(page->Hyou->getValue(col, 1), Currency::fromInt(2400));        // day total
        QCOMPARE(page->Hyou->getValue(1, 1), Currency::fromInt(2400));          // grand total

        // The journal row as written.
        {
            Statement st(DatMod->MainDatabase,
                         u"SELECT M.DATANO, M.RECDATE, M.KARICODE, M.KASICODE, M.KINGAKU, M.STYLE, M.ORIGIN, "
                         "H.NAME, S.NAME, M.RESERVED FROM Master M LEFT JOIN HinmeiMast H ON H.CODE = M.HINMEICODE "
                         "LEFT JOIN ShopMast S ON S.CODE = M.SHOPCODE WHERE M.DATANO > 0"_s);
            QVERIFY(st.next());
            // The record number is the one the journal's counter gave last.
            Statement counter(DatMod->MainDatabase, u"SELECT MAXNO FROM AutoInc WHERE NAME = 'master.db'"_s);
            QVERIFY(counter.next());
            QVERIFY(st.intValue(0) > 0);
            QCOMPARE(st.intValue(0), counter.intValue(0));
            QCOMPARE(st.textValue(1), today.toString(Qt::ISODate));
            QCOMPARE(int(st.intValue(2)), food);
            QCOMPARE(int(st.intValue(3)), 100);    // 現金, the category's default account
            QCOMPARE(st.doubleValue(4), 2400.0);
            QCOMPARE(int(st.intValue(5)), 1);       // table entry
            QCOMPARE(int(st.intValue(6)), 2);       // made on the expense page
            QCOMPARE(st.textValue(7), u"キャベツ"_s);
            QCOMPARE(st.textValue(8), u"八百屋"_s);
            QVERIFY(!st.isNull(9) && st.intValue(9) == 0);
            QVERIFY(!st.next());                    // one line only: the blank one was dropped
        }
        QVERIFY(dialogs.done());
        stop();
        QVERIFY(dialogs.done());

        // ---- restart on the same book ----
        page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        QCOMPARE(page->Hyou->getValue(col, row), Currency::fromInt(2400));
        QCOMPARE(page->Hyou->getValue(1, 1), Currency::fromInt(2400));
        clickCell(page, col, row);
        QTRY_COMPARE(page->curCode(), food);
        QTRY_VERIFY(!page->cellLoadPending());
        lines = MeisaiClt(*DatMod);
        QTRY_COMPARE(lines->recordCount(), 1);
        QCOMPARE(lines->fieldByName(u"HinmeiName"_s)->asString(), u"キャベツ"_s);
        QCOMPARE(lines->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(2400));
        QVERIFY(!page->MyDbGridMeisai->isCellReadOnly(0, gridColumn(page, u"KINGAKU"_s)));

        // ---- the day is locked: the line cannot be changed ----
        CurLockDate = today;
        CopyLockDate(*DatMod, today); // as the lock-date dialog does
        QVERIFY(page->LoadCell(food, -1, false, today));
        grid = page->MyDbGridMeisai;
        const int amountCol = gridColumn(page, u"KINGAKU"_s);
        QVERIFY(grid->readOnly());
        QVERIFY(grid->isCellReadOnly(0, amountCol));
        grid->setCurrentIndex(grid->dataModel()->index(0, amountCol));
        grid->edit(grid->dataModel()->index(0, amountCol));
        QVERIFY(!grid->editorMode());
        // Nor through the data set: the rule refuses with its message.
        dialogs.answer(mrOk, u"ロックされた日付のデータは入力できません。"_s);
        bool refused = false;
        try {
            lines->edit();
        } catch (const EAbort &) {
            refused = true;
        }
        QVERIFY(refused);
        QVERIFY(!lines->isEditing());
        // Down appends nothing on a locked day either.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(lines->recordCount(), 1);
        QVERIFY(lines->state() != DataSetState::Insert);
        QVERIFY(page->SaveJournal());
        QCOMPARE(lines->changeCount(), 0);
        QVERIFY(dialogs.done());
        CurLockDate = QDate();
        stop();
    }
};

QTEST_MAIN(TestExpenseEntry)
#include "tst_expenseentry.moc"
