#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QHeaderView>
#include <QSplitter>
#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "controls/ColorPageControl.h"
#include "controls/FrameBtn.h"
#include "controls/MySpeedButton.h"
#include "data/DataSetActions.h"
#include "data/HimokuCache.h"
#include "main/DeruLineMenu.h"
#include "main/FormCalclater.h"
#include "platform/db/Field.h"
#include "platform/system/ShiftJis.h"

using namespace Qt::StringLiterals;

// The expense page's line menu as a user meets it in the running program:
// lines copied in one month and pasted in another, a long paste that asks
// first, a cut that leaves locked lines, a paste into a locked day taken back
// whole, the column shift and its undo; the calculator bound to the lines; and
// the panel layout kept across a restart.
class TestLineClipboard : public QObject, public JournalPageDriver
{
    Q_OBJECT

    TFrameDeru *page = nullptr;
    int food = 0;

    TMeisaiClientDataSet *lines() { return MeisaiClt(*DatMod); }
    TMeisaiClientDataSet *clip() { return CopyClt(*DatMod); }

    void openCell(const QDate &date)
    {
        QVERIFY(page->LoadCell(food, -1, false, date));
        QTRY_VERIFY(!page->cellLoadPending());
        QCOMPARE(page->curDate(), date);
        page->MyDbGridMeisai->setFocus();
    }

    // Lines of the shown cell, one per item name, with amounts 100, 200, ...
    void addLines(const QStringList &items)
    {
        TMeisaiClientDataSet *m = lines();
        int amount = 100 * (m->recordCount() + 1);
        for (const QString &item : items) {
            m->last();
            m->append();
            m->fieldByName(u"HinmeiName"_s)->setValue(item);
            m->fieldByName(u"KINGAKU"_s)->setAsCurrency(Currency::fromInt(amount));
            m->post();
            amount += 100;
        }
    }

    QStringList items()
    {
        QStringList out;
        TMeisaiClientDataSet *m = lines();
        const Bookmark mark = m->bookmark();
        for (m->first(); !m->eof(); m->next())
            out << m->fieldByName(u"HinmeiName"_s)->asString();
        m->gotoBookmark(mark);
        return out;
    }

    // The amounts of the shown lines (they survive a reload, unlike names typed
    // without an item behind them).
    QList<int> amounts()
    {
        QList<int> out;
        TMeisaiClientDataSet *m = lines();
        const Bookmark mark = m->bookmark();
        for (m->first(); !m->eof(); m->next())
            out << int(m->fieldByName(u"KINGAKU"_s)->asCurrency().toDouble());
        m->gotoBookmark(mark);
        return out;
    }

    void goToLine(int recNo, const QString &field = u"HinmeiName"_s)
    {
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        grid->setCurrentIndex(grid->dataModel()->index(recNo - 1, gridColumn(page, field)));
        QCOMPARE(lines()->recNo(), recNo);
        grid->setFocus();
        page->LineMenu->UpdateActions();
    }

    void keyOnGrid(Qt::Key key)
    {
        page->LineMenu->UpdateActions();
        QTest::keyClick(page->MyDbGridMeisai, key, Qt::ControlModifier);
    }

private slots:
    void init()
    {
        makeBook();
        page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        food = GetHimokuCodeByName(u"食費"_s, 2);
        QVERIFY(food > 0);
    }
    void cleanup()
    {
        CurLockDate = QDate();
        page = nullptr;
        dropWorld();
    }

    // Three selected lines copied this month go in as lines five to seven,
    // in their order, on a day of the month before; Ctrl+Z takes the paste
    // back at once; pasted again and saved, the rows are in the book.
    void copyInOneMonthPasteInAnother()
    {
        DialogQueue dialogs;
        const QDate today = QDate::currentDate();
        openCell(today);
        addLines({u"A"_s, u"B"_s, u"C"_s, u"D"_s});
        QVERIFY(page->SaveJournal());
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        goToLine(1);
        for (int row : {1, 2, 3})
            grid->toggleRowSelected(row);
        keyOnGrid(Qt::Key_C);
        QCOMPARE(clip()->recordCount(), 3);
        QCOMPARE(grid->selectedCount(), 0);
        QCOMPARE(lines()->changeCount(), 0);

        const QDate earlier = today.addMonths(-1);
        openCell(earlier);
        addLines({u"V1"_s, u"V2"_s, u"V3"_s, u"V4"_s, u"V5"_s});
        goToLine(5);
        keyOnGrid(Qt::Key_V);
        QCOMPARE(items(), (QStringList{u"V1"_s, u"V2"_s, u"V3"_s, u"V4"_s, u"B"_s, u"C"_s, u"D"_s, u"V5"_s}));
        lines()->setRecNo(6);
        QCOMPARE(lines()->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(300));
        QCOMPARE(lines()->fieldByName(u"KARICODE"_s)->asInteger(), food);
        QCOMPARE(lines()->fieldByName(u"RECDATE"_s)->asDate(), earlier);
        QCOMPARE(page->BbLbKarigou->text(), u"2,400"_s);

        QVERIFY(page->LineMenu->ActSavePoint->isEnabled());
        keyOnGrid(Qt::Key_Z);
        QCOMPARE(items(), (QStringList{u"V1"_s, u"V2"_s, u"V3"_s, u"V4"_s, u"V5"_s}));
        QVERIFY(!page->LineMenu->ActSavePoint->isEnabled());

        // Appended after the last line; any edit afterwards ends the undo.
        page->LineMenu->ActRecAppendPaste->trigger();
        QCOMPARE(items().mid(5), (QStringList{u"B"_s, u"C"_s, u"D"_s}));
        lines()->edit();
        lines()->fieldByName(u"HinmeiName"_s)->setValue(u"B2"_s);
        lines()->post();
        page->LineMenu->UpdateActions();
        QVERIFY(!page->LineMenu->ActSavePoint->isEnabled());
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase
                     .scalar(u"SELECT COUNT(*) FROM Master WHERE RECDATE = ? AND KARICODE = ?"_s, {earlier, food})
                     .toInt(),
                 8);
        QVERIFY(dialogs.done());
    }

    // More than fifty lines: one question; No pastes nothing, Yes all of them.
    void longPasteAsksOnce()
    {
        DialogQueue dialogs;
        const QDate today = QDate::currentDate();
        openCell(today);
        QStringList many;
        for (int i = 1; i <= 51; ++i)
            many << u"L%1"_s.arg(i);
        addLines(many);
        goToLine(1);
        page->LineMenu->ActSelectAll->trigger();
        page->LineMenu->ActRecCopy->trigger();
        QCOMPARE(clip()->recordCount(), 51);
        QVERIFY(page->SaveJournal());

        openCell(today.addDays(today.day() == 1 ? 1 : -1));
        page->LineMenu->UpdateActions();
        dialogs.answer(mrNo, u"51行ありますが、貼り付けていいですか？"_s);
        page->LineMenu->ActRecAppendPaste->trigger();
        QCOMPARE(lines()->recordCount(), 0);
        dialogs.answer(mrYes, u"51行ありますが"_s);
        page->LineMenu->ActRecAppendPaste->trigger();
        QCOMPARE(lines()->recordCount(), 51);
        QCOMPARE(items().first(), u"L1"_s);
        QCOMPARE(items().last(), u"L51"_s);
        QVERIFY(dialogs.done());
    }

    // A cut keeps the locked lines it copied; a paste into the locked day is
    // refused with the lock message and leaves no line behind.
    void lockedLinesStayAndLockedDaysRefuse()
    {
        DialogQueue dialogs;
        const QDate today = QDate::currentDate();
        const QDate locked = today.addDays(-1);
        openCell(locked);
        addLines({u"P"_s, u"Q"_s});
        QVERIFY(page->SaveJournal());
        CurLockDate = locked;
        CopyLockDate(*DatMod, locked);
        openCell(locked);
        goToLine(1);
        page->LineMenu->ActSelectAll->trigger();
        page->LineMenu->ActiRecCut->trigger();
        QCOMPARE(clip()->recordCount(), 2);
        QCOMPARE(amounts(), (QList<int>{100, 200}));
        QVERIFY(!page->LineMenu->ActRecInsertPaste->isEnabled());

        dialogs.answer(mrOk, u"ロックされた日付のデータは入力できません。"_s);
        page->LineMenu->ActRecAppendPaste->trigger();
        QCOMPARE(amounts(), (QList<int>{100, 200}));
        QCOMPARE(lines()->changeCount(), 0);

        openCell(today);
        page->LineMenu->ActRecAppendPaste->trigger();
        QCOMPARE(amounts(), (QList<int>{100, 200}));
        QCOMPARE(lines()->fieldByName(u"RECDATE"_s)->asDate(), today);
        QVERIFY(dialogs.done());
    }

    // 削除 with rows selected asks once and then cuts them: No keeps every
    // line; Yes takes the selected lines out onto the line clipboard, where a
    // paste brings them back, and one undo restores them in place.
    void deleteSelectedRowsIsACut()
    {
        DialogQueue dialogs;
        openCell(QDate::currentDate());
        addLines({u"A"_s, u"B"_s, u"C"_s, u"D"_s});
        QVERIFY(page->SaveJournal());
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        goToLine(1);
        grid->toggleRowSelected(1);
        grid->toggleRowSelected(3);
        dialogs.answer(mrNo, u"選択中のレコードをすべて削除してよろしいですか？"_s);
        page->DataSetDelete1->trigger();
        QCOMPARE(amounts(), (QList<int>{100, 200, 300, 400}));
        QCOMPARE(grid->selectedCount(), 2);

        dialogs.answer(mrYes, u"選択中のレコードをすべて削除してよろしいですか？"_s);
        page->DataSetDelete1->trigger();
        QCOMPARE(amounts(), (QList<int>{100, 300}));
        QCOMPARE(grid->selectedCount(), 0);
        QCOMPARE(clip()->recordCount(), 2);
        page->LineMenu->UpdateActions();
        QVERIFY(page->LineMenu->ActSavePoint->isEnabled());
        page->LineMenu->ActSavePoint->trigger();
        QCOMPARE(amounts(), (QList<int>{100, 200, 300, 400}));
        QCOMPARE(lines()->changeCount(), 0);

        // Deleted for good, the lines can still be pasted elsewhere.
        grid->toggleRowSelected(1);
        grid->toggleRowSelected(3);
        dialogs.answer(mrYes, u"選択中のレコードをすべて削除してよろしいですか？"_s);
        page->DataSetDelete1->trigger();
        QVERIFY(page->SaveJournal());
        page->LineMenu->UpdateActions();
        page->LineMenu->ActRecAppendPaste->trigger();
        QCOMPARE(amounts(), (QList<int>{100, 300, 200, 400}));
        QVERIFY(dialogs.done());
    }

    // While a cell is being edited, Ctrl+X cuts the editor's text, not the line.
    void editorKeysWorkOnText()
    {
        const QDate today = QDate::currentDate();
        openCell(today);
        addLines({u"A"_s});
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        const QModelIndex index = grid->dataModel()->index(0, gridColumn(page, u"HinmeiName"_s));
        grid->setCurrentIndex(index);
        grid->edit(index);
        QTRY_VERIFY(grid->editorMode());
        auto *editor = qobject_cast<QLineEdit *>(grid->inplaceEditor());
        QVERIFY(editor);
        editor->setFocus();
        editor->setText(u"abc"_s);
        editor->selectAll();
        page->LineMenu->UpdateActions();
        QVERIFY(page->LineMenu->EditCut1->isVisible());
        QVERIFY(!page->LineMenu->ActiRecCut->isVisible());
        QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(editor->text(), QString());
        QCOMPARE(QApplication::clipboard()->text(), u"abc"_s);
        QCOMPARE(clip()->recordCount(), 0);
        QCOMPARE(lines()->recordCount(), 1);
    }

    // The item column shifted down and up: every value stays somewhere, a new
    // line takes what is pushed out, and one undo takes each shift back.
    void shiftColumn_data()
    {
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("from");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("down from the first") << false << 1 << QStringList{u"A"_s, u""_s, u"C"_s}
                                             << QStringList{u""_s, u"A"_s, u""_s, u"C"_s};
        QTest::newRow("down, empty last") << false << 2 << QStringList{u"A"_s, u"B"_s, u""_s}
                                          << QStringList{u"A"_s, u""_s, u"B"_s};
        QTest::newRow("up from the first") << true << 1 << QStringList{u"A"_s, u"B"_s, u"C"_s}
                                           << QStringList{u"A"_s, u"B"_s, u"C"_s, u""_s};
        QTest::newRow("up into an empty line above") << true << 2 << QStringList{u""_s, u"B"_s, u"C"_s}
                                                     << QStringList{u"B"_s, u"C"_s, u""_s};
        QTest::newRow("up beside a filled line above") << true << 2 << QStringList{u"A"_s, u"B"_s, u"C"_s}
                                                       << QStringList{u"A"_s, u"B"_s, u"C"_s, u""_s};
    }
    void shiftColumn()
    {
        QFETCH(bool, up);
        QFETCH(int, from);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        openCell(QDate::currentDate());
        addLines(before);
        QVERIFY(page->SaveJournal());
        goToLine(from);
        QVERIFY(page->LineMenu->ActShiftDown->isEnabled());
        (up ? page->LineMenu->ActShiftUp : page->LineMenu->ActShiftDown)->trigger();
        QCOMPARE(items(), after);
        // The amounts did not move with the items.
        lines()->first();
        QCOMPARE(lines()->fieldByName(u"KINGAKU"_s)->asCurrency(),
                 up && from == 1 ? Currency() : Currency::fromInt(100));
        page->LineMenu->UpdateActions();
        QVERIFY(page->LineMenu->ActSavePoint->isEnabled());
        page->LineMenu->ActSavePoint->trigger();
        QCOMPARE(items(), before);
        QCOMPARE(lines()->changeCount(), 0);
    }

    // A shift that would change a line of a receipt (read-only on this page)
    // does not run: the user is told and no line changes.
    void shiftStopsBeforeAGuardedLine()
    {
        DialogQueue dialogs;
        openCell(QDate::currentDate());
        addLines({u"A"_s, u"B"_s, u"C"_s});
        lines()->last();
        lines()->edit();
        lines()->fieldByName(u"STYLE"_s)->setAsInteger(2);
        lines()->post();
        goToLine(1);
        QVERIFY(page->LineMenu->ActShiftDown->isEnabled());
        dialogs.answer(mrOk, u"通常入力では変更できません"_s);
        page->LineMenu->ActShiftDown->trigger();
        QCOMPARE(items(), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
        QCOMPARE(lines()->recNo(), 1);
        QVERIFY(dialogs.done());
    }

    // 読込 takes the current line's amount into the calculator; 貼付 writes the
    // calculator's value into the line being made, and leaves a locked line alone.
    void calculatorReadsAndWritesTheAmount()
    {
        DialogQueue dialogs;
        auto *calc = qobject_cast<TFormCalclater *>(window->calculator());
        QVERIFY(calc);
        QVERIFY(!window->FrBtnCalclatar->isHidden());
        const QDate today = QDate::currentDate();
        openCell(today.addDays(-1));
        addLines({u"A"_s, u"B"_s});
        goToLine(2, u"KINGAKU"_s);
        calc->DataSetCopy1->trigger();
        QCOMPARE(calc->registerA().DisplayText, u"200"_s);
        for (QChar c : u"*3="_s)
            calc->KeyInput(c);
        calc->DataSetPaste1->trigger();
        QVERIFY(lines()->isEditing());
        QCOMPARE(lines()->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(600));
        lines()->post();
        QVERIFY(page->SaveJournal());

        CurLockDate = today.addDays(-1);
        CopyLockDate(*DatMod, CurLockDate);
        openCell(today.addDays(-1));
        goToLine(1, u"KINGAKU"_s);
        calc->DataSetPaste1->trigger();
        QVERIFY(!lines()->isEditing());
        QCOMPARE(lines()->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(100));
        // Leaving the page unbinds it.
        window->MainPageControl->setCurrentIndex(pgYosan);
        QTRY_VERIFY(!calc->targetDataSet());
        calc->DataSetPaste1->trigger();
        QVERIFY(dialogs.done());
    }

    // A text file read into the diary box (Shift-JIS, as the first version
    // wrote them) becomes the shown day's diary when another day is clicked;
    // the box's text saved to a file reads back the same.
    void diaryFromAFile()
    {
        DialogQueue dialogs;
        const QDate today = QDate::currentDate();
        const QDate other = today.addDays(today.day() == 1 ? 1 : -1);
        openCell(today);
        const QString in = env->path(u"in.txt"_s), out = env->path(u"out.txt"_s);
        {
            QFile f(in);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(toShiftJis(u"晴れ。市場で買い物\n夜は鍋"_s));
        }
        dialogs.openFile(in).saveFile(out);
        page->findChild<QAction *>(u"FileOpen1"_s)->trigger();
        QCOMPARE(page->Memo->toPlainText(), u"晴れ。市場で買い物\n夜は鍋"_s);
        page->findChild<QAction *>(u"FileSaveAs1"_s)->trigger();
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), page->Memo->toPlainText());
        openCell(other);
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT MEMO FROM Memo WHERE RECDATE = ?"_s, {today}).toString(),
                 u"晴れ。市場で買い物\n夜は鍋"_s);
        QVERIFY(dialogs.done());
    }

    // Where the detail panel stands, its size per input mode and the column
    // widths come back after a restart.
    void layoutSurvivesRestart()
    {
        page->SpBtnMeisaiPnl->click();
        QVERIFY(!page->DetailPanelAtRight());
        page->ChangeInputMode(7);
        page->Split->setSizes({400, 230});
        page->StoreDetailPanelSize();
        const int freeHeight = page->DetailPanelSize();
        page->ChangeInputMode(1);
        page->Split->setSizes({450, 180});
        page->StoreDetailPanelSize();
        page->ChangeInputMode(7);
        QCOMPARE(page->DetailPanelSize(), freeHeight);
        page->ChangeInputMode(1);
        openCell(QDate::currentDate());
        const int col = gridColumn(page, u"HinmeiName"_s);
        page->MyDbGridMeisai->horizontalHeader()->resizeSection(col, 171);
        QCOMPARE(RegIni->readInteger(u"FrameDeru"_s, u"MeisaiHinmeiName"_s, 0), 171);

        // The main window's common font, chosen elsewhere, reaches the page too.
        RegIni->WriteIntegerAndUpdate(u"MainForm"_s, u"FontSize"_s, 15);
        stop();
        page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        QCOMPARE(page->Memo->font().pointSize(), 15);
        QCOMPARE(page->MyDbGridMeisai->font().pointSize(), 15);
        QCOMPARE(page->Hyou->font().pointSize(), 15);
        QVERIFY(!page->DetailPanelAtRight());
        QCOMPARE(RegIni->readInteger(u"FrameDeru"_s, u"FreePnlMeisaiHeight"_s, 0), freeHeight);
        QCOMPARE(RegIni->readInteger(u"FrameDeru"_s, u"PnlMeisaiAlign"_s, 0), 2);
        page->ChangeInputMode(7);
        QCOMPARE(page->DetailPanelSize(), freeHeight);
        QCOMPARE(page->MyDbGridMeisai->column(gridColumn(page, u"HinmeiName"_s)).width, 171);
        page->SpBtnMeisaiPnl->click();
        QVERIFY(page->DetailPanelAtRight());
        QCOMPARE(RegIni->readInteger(u"FrameDeru"_s, u"PnlMeisaiAlign"_s, 0), 4);
    }
};

QTEST_MAIN(TestLineClipboard)
#include "tst_lineclipboard.moc"
