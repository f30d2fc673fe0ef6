#include <QAction>
#include <QButtonGroup>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "controls/FrameBtn.h"
#include "controls/MyCalendar.h"
#include "data/DatMod.h"
#include "data/FormSelecterHimoku.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MyRegistryIniFile.h"
#include "main/ChoicePanel.h"
#include "main/FormFukuHinmei.h"
#include "main/FrameDeru.h"
#include "main/FrameSelecter.h"
#include "main/MeisaiGrid.h"
#include "main/OldValueHeader.h"
#include "main/SlipPanel.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"

using namespace Qt::StringLiterals;

namespace {

// Runs `act` on the next modal window once it is up.
void onNextModal(const std::function<void(QWidget *)> &act)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

} // namespace

// The parts around the selector on the real expense page: the month calendar
// of the date column, the item sub-list window, the choice menu, the
// previous-value header, the Tab way into the selector and back, and the
// filter ending at a save.
class TestSelecterParts : public QObject, public JournalPageDriver
{
    Q_OBJECT

    TFrameDeru *page = nullptr;
    int food = 0;

    void openFood()
    {
        page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        food = GetHimokuCodeByName(u"食費"_s, 2);
        QVERIFY(food > 0);
        QVERIFY(AddHinmeiListItem(food, -1, u"りんご"_s, 3, 0, Currency::fromInt(150)));
        QVERIFY(AddHinmeiListItem(food, -1, u"みかん"_s, 3, 0, Currency::fromInt(80)));
        QVERIFY(AddHinmeiListItem(food, -1, u"ぶどう"_s, 3, 0, Currency::fromInt(400)));
        const QDate today = QDate::currentDate();
        clickCell(page, page->columnOfDate(today), page->rowOfCode(food));
        QTRY_COMPARE(page->curCode(), food);
        QTRY_VERIFY(!page->cellLoadPending());
    }

    void openColumn(int kind)
    {
        QAction *button = page->columnButton(kind);
        QVERIFY2(button && button->isVisible(), qPrintable(QString::number(kind)));
        button->trigger();
        QCOMPARE(page->FrSelecter->SelectorKind, kind);
    }

    void setMode(int mode)
    {
        page->FrSelecter->RGKakiKata->button(mode)->click();
        QCOMPARE(int(page->FrSelecter->WriteMode), mode);
    }

    void pick(const QString &name, Qt::MouseButton button = Qt::LeftButton)
    {
        TFrameSelecter *sel = page->FrSelecter;
        QVERIFY2(sel->LocateName(name), qPrintable(name));
        QListView *view = sel->DBCtlGridSelecter;
        view->scrollTo(view->currentIndex());
        const QRect r = view->visualRect(view->currentIndex());
        QVERIFY(!r.isEmpty());
        QTest::mouseClick(view->viewport(), button, {}, r.center());
    }

    static QString lineText(int row, const char *field)
    {
        TMeisaiClientDataSet *m = MeisaiClt(*DatMod);
        m->setRecNo(row + 1);
        return m->fieldByName(QString::fromLatin1(field))->asString();
    }

    static int listRows(const QString &table, int category)
    {
        return DatMod->MainDatabase
            .scalar(u"SELECT COUNT(*) FROM %1 WHERE HIMOKUCODE = ? AND VISIBLE = 1"_s.arg(table), {category})
            .toInt();
    }

    // The section of the header over a grid column.
    int sectionOf(const QString &field)
    {
        const int col = gridColumn(page, field);
        for (int s = 1; s < page->HdCtrOldValue->count(); ++s)
            if (page->OldData.ColumnOfSection(s) == col)
                return s;
        return -1;
    }

    void clickSection(int section)
    {
        TOldValueHeader *h = page->HdCtrOldValue;
        const QPoint at(h->sectionLeft(section) + h->section(section).width / 2, h->height() / 2);
        QTest::mouseClick(h, Qt::LeftButton, {}, at);
    }

private slots:
    void init() { makeBook(); }
    void cleanup()
    {
        page = nullptr;
        dropWorld();
    }

    // In the move mode the date column opens the calendar of the shown
    // accounting month; a day clicked in 変更 becomes the line's date, and a
    // list column brings the list back.
    void calendarWritesTheLineDate()
    {
        DialogQueue dialogs;
        openFood();
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        openColumn(9);
        setMode(1);
        pick(u"りんご"_s);
        QTRY_COMPARE(lines->recordCount(), 1);
        QVERIFY(page->SaveJournal());

        page->ActionMove->trigger();
        QTRY_COMPARE(lines->recordCount(), 1);
        openColumn(4);
        TFrameSelecter *sel = page->FrSelecter;
        QVERIFY(sel->CalendarShown);
        QVERIFY(sel->MyCalendar->isVisible());
        QVERIFY(!sel->DBCtlGridSelecter->isVisible());
        TMyCalendar *cal = sel->MyCalendar;
        QCOMPARE(cal->Nendo(), page->shownYear());
        QCOMPARE(cal->Getudo(), page->shownMonth());
        QCOMPARE(cal->SimeStartDate, page->periodStart());
        QCOMPARE(cal->SimeEndDate, page->periodEnd());

        // A day of the period other than the line's own.
        const QDate lineDate = lines->fieldByName(u"RECDATE"_s)->asDate();
        const QDate target = lineDate == page->periodStart() ? page->periodEnd() : page->periodStart();
        const qint64 offset = cal->cellDate(0, 0).daysTo(target);
        QVERIFY(offset >= 0 && offset < 42);
        const QPoint at = cal->cellRect(int(offset % 7), int(offset / 7) + 2).center();

        // 閲覧 chooses nothing.
        setMode(0);
        QTest::mouseClick(cal, Qt::LeftButton, {}, at);
        QCOMPARE(lines->fieldByName(u"RECDATE"_s)->asDate(), lineDate);

        setMode(3);
        lines->setRecNo(1);
        const int dataNo = int(lines->fieldByName(u"DATANO"_s)->asInteger());
        QTest::mouseClick(cal, Qt::LeftButton, {}, at);
        QCOMPARE(lines->fieldByName(u"RECDATE"_s)->asDate(), target);
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT RECDATE FROM Master WHERE DATANO = ?"_s, {dataNo}).toString(),
                 target.toString(Qt::ISODate));

        openColumn(9);
        QVERIFY(!sel->CalendarShown);
        QVERIFY(sel->DBCtlGridSelecter->isVisible());
        QCOMPARE(sel->choiceCount(), 3);
        QVERIFY(dialogs.done());
        stop();
    }

    // A right click on an item opens its second level without writing; a
    // name registered there with a price that is no number and no quantity
    // gets price 0 and quantity 1; a left click on it picks it into a line.
    // The window's placement is kept when the program closes.
    void subListWindow()
    {
        DialogQueue dialogs;
        openFood();
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        openColumn(9);
        setMode(1);
        pick(u"りんご"_s, Qt::RightButton);
        TFormFukuHinmei *sub = ExistingFormFukuHinmei();
        QVERIFY(sub);
        QTRY_VERIFY(sub->isVisible());
        QCOMPARE(sub->windowTitle(), u"りんご"_s);
        QCOMPARE(sub->rowCount(), 0);
        QCOMPARE(lines->recordCount(), 0);

        sub->EditTuika->setText(u"ふじ"_s);
        sub->EditGaku->setText(u"abc"_s);
        sub->EditQuantity->clear();
        QTest::keyClick(sub->EditTuika, Qt::Key_Return);
        QCOMPARE(sub->rowCount(), 1);
        QCOMPARE(sub->currentName(), u"ふじ"_s);
        QVERIFY(sub->EditTuika->text().isEmpty());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT GAKU FROM HinmeiMast WHERE NAME = 'ふじ'"_s).toDouble(), 0.0);
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT QUANTITY FROM HinmeiMast WHERE NAME = 'ふじ'"_s).toDouble(), 1.0);
        // The first level is unchanged: ふじ is only under りんご.
        QCOMPARE(page->FrSelecter->choiceCount(), 3);

        // Typing in the list is refused with the way to add.
        dialogs.answer(mrOk, u"選択肢は下の入力窓より記入します。"_s);
        QTest::keyClick(sub->DBClGridFukuHinmei, Qt::Key_A);

        const QRect r = sub->DBClGridFukuHinmei->visualItemRect(sub->DBClGridFukuHinmei->item(0));
        QTest::mouseClick(sub->DBClGridFukuHinmei->viewport(), Qt::RightButton, {}, r.center());
        QCOMPARE(lines->recordCount(), 0);
        QTest::mouseClick(sub->DBClGridFukuHinmei->viewport(), Qt::LeftButton, {}, r.center());
        QTRY_COMPARE(lines->recordCount(), 1);
        QCOMPARE(lineText(0, "HinmeiName"), u"ふじ"_s);
        QVERIFY(sub->isVisible());

        // 削除 with Cancel keeps the row; OK removes it from the list only.
        dialogs.answer(mrCancel, u"りんご の ふじ を削除します"_s);
        sub->SpBtnDelete->click();
        QCOMPARE(sub->rowCount(), 1);
        dialogs.answer(mrOk, u"りんご の ふじ を削除します"_s);
        sub->SpBtnDelete->click();
        QCOMPARE(sub->rowCount(), 0);

        // Another column hides the window.
        openColumn(12);
        QVERIFY(!sub->isVisible());
        QVERIFY(page->SaveJournal());

        sub->setGeometry(40, 60, 420, 333);
        const QRect placed = sub->geometry();
        window->close();
        QCOMPARE(RegIni->ReadOrWriteInteger(u"HinmeiForm"_s, u"Height"_s, 0), placed.height());
        QCOMPARE(RegIni->ReadOrWriteInteger(u"HinmeiForm"_s, u"Width"_s, 0), placed.width());
        QCOMPARE(RegIni->ReadOrWriteInteger(u"HinmeiForm"_s, u"Left"_s, 0), placed.left());
        QVERIFY(dialogs.done());
        stop();
    }

    // The choice menu: copy with すべてはい takes every listed item to the
    // other category (one hidden there is shown again, not doubled); a move
    // aborted on the second question changes nothing; a delete answered No
    // throughout finds nothing to do; a delete of one takes only that one.
    void choiceMenu()
    {
        DialogQueue dialogs;
        openFood();
        const int other = GetHimokuCodeByName(u"日用品"_s, 2) > 0 ? GetHimokuCodeByName(u"日用品"_s, 2)
                                                                  : GetHimokuCodeByName(u"住居費"_s, 2);
        QVERIFY(other > 0);
        const QString otherName = HimokuCodeToName(other);
        // みかん registered under the other category and hidden there.
        QVERIFY(AddHinmeiListItem(other, -1, u"みかん"_s, 3, 0, Currency()));
        DatMod->MainDatabase.exec(
            u"UPDATE HinmeiList SET VISIBLE = 0 WHERE HIMOKUCODE = %1 AND KOCODE = 0"_s.arg(other));
        DatMod->HinmeiLstTbl->refresh();
        QCOMPARE(listRows(u"HinmeiList"_s, other), 0);

        openColumn(9);
        TFrameSelecter *sel = page->FrSelecter;
        QVERIFY(sel->FrBtnMenu->isEnabled());
        QCOMPARE(sel->PopMenuList->actions().size(), 3);

        auto chooseDestination = [&](int code) {
            onNextModal([code](QWidget *w) {
                auto *form = qobject_cast<TFormSelecterHimoku *>(w);
                QVERIFY(form);
                const int at = form->CmbBoxHimoku->findData(code);
                QVERIFY(at >= 0);
                form->CmbBoxHimoku->setCurrentIndex(at);
                form->ShapeBtnOK->click();
            });
        };

        // Move, aborted at the second choice.
        chooseDestination(other);
        dialogs.answer(mrYes, otherName + u"へ移動"_s).answer(mrAbort, otherName + u"へ移動"_s);
        QVERIFY(!sel->RunChoiceOperation(3));
        QCOMPARE(listRows(u"HinmeiList"_s, food), 3);
        QCOMPARE(listRows(u"HinmeiList"_s, other), 0);

        // The same category is refused.
        chooseDestination(food);
        dialogs.answer(mrOk, u"同じ費目です。"_s);
        QVERIFY(!sel->RunChoiceOperation(2));

        // Copy, すべてはい on the first.
        chooseDestination(other);
        dialogs.answer(mrYesToAll, u"食費 の  "_s).answer(mrYes, u"3 件あります。"_s);
        QVERIFY(sel->MenuAllowed());
        const bool copied = sel->RunChoiceOperation(2);
        QVERIFY2(copied, qPrintable(dialogs.shownTexts().join(u" | "_s)));
        QCOMPARE(listRows(u"HinmeiList"_s, food), 3);
        QCOMPARE(listRows(u"HinmeiList"_s, other), 3);
        QCOMPARE(DatMod->MainDatabase
                     .scalar(u"SELECT COUNT(*) FROM HinmeiList WHERE HIMOKUCODE = ? AND KOCODE = 0"_s, {other})
                     .toInt(),
                 3);

        // Delete: No to all three.
        dialogs.answer(mrNo).answer(mrNo).answer(mrNo).answer(mrOk, u"対象レコードはありません。"_s);
        QVERIFY(!sel->RunChoiceOperation(1));
        QCOMPARE(listRows(u"HinmeiList"_s, food), 3);

        // Delete one: Yes on the first, No on the rest, then the final Yes.
        const QString firstName = sel->choiceNameAt(0);
        dialogs.answer(mrYes, firstName).answer(mrNo).answer(mrNo).answer(mrYes, u"1 件あります。"_s);
        QVERIFY(sel->RunChoiceOperation(1));
        QCOMPARE(listRows(u"HinmeiList"_s, food), 2);
        QCOMPARE(sel->choiceCount(), 2);
        QVERIFY(!sel->LocateName(firstName));

        // A filtered list offers no menu.
        sel->SetAssistText(u"ん"_s);
        QVERIFY(!sel->FrBtnMenu->isEnabled());
        QVERIFY(dialogs.done());
        stop();
    }

    // The header over the grid shows the amount last typed; a click in 追加
    // appends a line with it, 一括 writes it into every line, 閲覧 writes
    // nothing; Ctrl+Enter repeats it in the current line.
    void previousValueHeader()
    {
        DialogQueue dialogs;
        openFood();
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        openColumn(9);
        setMode(1);
        pick(u"りんご"_s);
        QTRY_COMPARE(lines->recordCount(), 1);
        typeInto(page, u"KINGAKU"_s, u"1980"_s, Qt::Key_Return);
        lines->first();
        QTRY_COMPARE(lines->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(1980));
        // One section over the indicator, then one per column shown.
        int shown = 0;
        for (int i = 0; i < page->MyDbGridMeisai->columnCount(); ++i)
            shown += page->MyDbGridMeisai->column(i).visible && !page->MyDbGridMeisai->isColumnHidden(i) ? 1 : 0;
        QCOMPARE(page->HdCtrOldValue->count(), shown + 1);
        const int amount = sectionOf(u"KINGAKU"_s);
        QVERIFY(amount > 0);
        QCOMPARE(page->HdCtrOldValue->section(amount).text, u"1,980"_s);
        const int item = sectionOf(u"HinmeiName"_s);
        QCOMPARE(page->HdCtrOldValue->section(item).text, u"りんご"_s);

        const int before = lines->recordCount();
        setMode(0);
        clickSection(amount);
        QCOMPARE(lines->recordCount(), before);

        setMode(2);
        clickSection(amount);
        QTRY_COMPARE(lines->recordCount(), before + 1);
        lines->last();
        QCOMPARE(lines->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(1980));
        // Its item is still empty: the item section writes りんご there in 変更.
        setMode(3);
        clickSection(item);
        QCOMPARE(lines->fieldByName(u"HinmeiName"_s)->asString(), u"りんご"_s);

        // 一括: an amount of 500 into every line.
        lines->first();
        typeInto(page, u"KINGAKU"_s, u"500"_s, Qt::Key_Return);
        QTRY_COMPARE(page->HdCtrOldValue->section(amount).text, u"500"_s);
        page->FrSelecter->SpBtnAll->click();
        clickSection(amount);
        QVERIFY(!page->FrSelecter->AllLinesDown());
        for (lines->first(); !lines->eof(); lines->next())
            QCOMPARE(lines->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(500));

        // Ctrl+Enter on the amount of a line: the previous amount (500) again.
        lines->first();
        typeInto(page, u"KINGAKU"_s, u"70"_s, Qt::Key_Return);
        lines->first();
        QTRY_COMPARE(lines->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(70));
        lines->setRecNo(2);
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        grid->setFocus();
        grid->setCurrentIndex(grid->dataModel()->index(1, gridColumn(page, u"KINGAKU"_s)));
        QTest::keyClick(grid, Qt::Key_Return, Qt::ControlModifier);
        lines->setRecNo(2);
        QCOMPARE(lines->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(70));
        lines->first();
        QTRY_COMPARE(page->HdCtrOldValue->section(amount).text, u"70"_s);

        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0 AND KINGAKU = 500"_s).toInt(),
                 lines->recordCount() - 2);
        QVERIFY(dialogs.done());
        stop();
    }

    // A new bill opens the card column; a card typed into the header after
    // a line was entered is taken as a choice: the line is the card's too.
    void typedCardIsChosen()
    {
        DialogQueue dialogs;
        page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        const int card = GetHimokuCodeByName(u"クレジットカード"_s, 3);
        QVERIFY(card > 0);
        QTest::mouseClick(page->FrBtnCredit, Qt::LeftButton);
        QTRY_COMPARE(page->inputMode(), 3);
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        TMeisaiClientDataSet *slips = DatMod->ReceiptClt;
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        QTRY_VERIFY(slips->isActive() && slips->recordCount() == 1);
        QCOMPARE(page->selKind(), 19);
        QVERIFY(page->FrSelecter->LocateCode(card));

        newLine(page);
        typeInto(page, u"RECDATE"_s, page->periodStart().toString(u"yy/MM/dd"_s), Qt::Key_Tab);
        typeInto(page, u"KARICODE"_s, u"食費"_s, Qt::Key_Tab);
        typeInto(page, u"KINGAKU"_s, u"800"_s, Qt::Key_Tab);
        lines->checkBrowseMode();
        typeHeader(page->SlipPanel->DBEditCredit, QString::number(card));
        QCOMPARE(int(slips->fieldByName(u"CreditCode"_s)->asInteger()), card);
        // Enter walked on to the payment day: its calendar is shown.
        QCOMPARE(page->selKind(), 20);
        QVERIFY(page->FrSelecter->CalendarShown);
        lines->first();
        QCOMPARE(int(lines->fieldByName(u"KASICODE"_s)->asInteger()), card);
        QVERIFY(page->SaveJournal());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT KASICODE FROM Master WHERE DATANO > 0"_s).toInt(), card);
        QVERIFY(dialogs.done());
        stop();
    }

    // Tab from the grid goes into the selector's list, and from there back;
    // a filter typed for a line ends when the journal is saved.
    void tabAndFilterEnd()
    {
        DialogQueue dialogs;
        openFood();
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        openColumn(9);
        setMode(1);
        pick(u"りんご"_s);
        QTRY_COMPARE(lines->recordCount(), 1);
        TFrameSelecter *sel = page->FrSelecter;
        page->MyDbGridMeisai->setFocus();
        QTRY_VERIFY(page->MyDbGridMeisai->hasFocus());
        QTest::keyClick(page->MyDbGridMeisai, Qt::Key_Tab);
        QTRY_VERIFY(sel->DBCtlGridSelecter->hasFocus());
        QTest::keyClick(sel->DBCtlGridSelecter, Qt::Key_Tab);
        QTRY_VERIFY(page->MyDbGridMeisai->hasFocus());

        // Typing into the item cell narrows the item list.
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        const QModelIndex cell = grid->dataModel()->index(0, gridColumn(page, u"HinmeiName"_s));
        grid->setFocus();
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        QTRY_VERIFY(grid->editorMode());
        auto *editor = qobject_cast<QLineEdit *>(grid->inplaceEditor());
        QVERIFY(editor);
        editor->selectAll();
        // Japanese arrives as the input method's commit.
        QInputMethodEvent commit;
        commit.setCommitString(u"かん"_s);
        QApplication::sendEvent(editor, &commit);
        QCOMPARE(editor->text(), u"かん"_s);
        QVERIFY(sel->FilteredList);
        QCOMPARE(sel->choiceCount(), 1);
        QCOMPARE(sel->GetChoiceName(), u"みかん"_s);
        QCOMPARE(sel->PnlTuika->EditTuika->text(), u"かん"_s);
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(page->SaveJournal());
        QVERIFY(!sel->FilteredList);
        QVERIFY(sel->EditAssist->text().isEmpty());
        QCOMPARE(sel->choiceCount(), 3);
        QVERIFY(dialogs.done());
        stop();
    }
};

QTEST_MAIN(TestSelecterParts)
#include "tst_selecterparts.moc"
