#include <QAction>
#include <QButtonGroup>
#include <QLineEdit>
#include <QListView>
#include <QStackedWidget>
#include <QToolBar>
#include <QtTest>

#include "DialogQueue.h"
#include "controls/FrameBtn.h"
#include "controls/MyCalendar.h"
#include "JournalPageDriver.h"
#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MyRegistryIniFile.h"
#include "main/FrameDeru.h"
#include "main/ChoicePanel.h"
#include "main/FrameSelecter.h"
#include "main/MeisaiGrid.h"
#include "main/SelecterHeader.h"
#include "main/SlipPanel.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Query.h"

using namespace Qt::StringLiterals;

// Choosing instead of typing on the expense page: the column buttons open the
// selector beside the detail grid, a click on a tile writes the choice into
// the lines by the write mode, and the typed filter narrows the tiles.
class TestChoosing : public QObject, public JournalPageDriver
{
    Q_OBJECT

    TFrameDeru *page = nullptr;
    int food = 0;

    // The page on today's 食費 cell, with two items, two shops and a person
    // registered as choices of 食費.
    void openFood()
    {
        page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        food = GetHimokuCodeByName(u"食費"_s, 2);
        QVERIFY(food > 0);
        QVERIFY(AddHinmeiListItem(food, -1, u"りんご"_s, 3, 0, Currency::fromInt(150)));
        QVERIFY(AddHinmeiListItem(food, -1, u"みかん"_s, 3, 0, Currency::fromInt(80)));
        QVERIFY(AddShopListItem(food, -1, u"八百屋"_s));
        QVERIFY(AddShopListItem(food, -1, u"スーパー"_s));
        QVERIFY(AddPerson(u"花子"_s));
        const QDate today = QDate::currentDate();
        clickCell(page, page->columnOfDate(today), page->rowOfCode(food));
        QTRY_COMPARE(page->curCode(), food);
        QTRY_VERIFY(!page->cellLoadPending());
    }

    void openColumn(int kind)
    {
        QAction *button = page->columnButton(kind);
        QVERIFY(button && button->isVisible());
        button->trigger();
        QCOMPARE(page->PnLeftStack->currentWidget(), page->FrSelecter);
        QCOMPARE(page->FrSelecter->SelectorKind, kind);
    }

    void setMode(int mode)
    {
        page->FrSelecter->RGKakiKata->button(mode)->click();
        QCOMPARE(int(page->FrSelecter->WriteMode), mode);
    }

    // A click on the tile of that name, as the user makes it.
    void pick(const QString &name)
    {
        TFrameSelecter *sel = page->FrSelecter;
        QVERIFY2(sel->LocateName(name), qPrintable(name));
        QListView *view = sel->DBCtlGridSelecter;
        view->scrollTo(view->currentIndex());
        const QRect r = view->visualRect(view->currentIndex());
        QVERIFY(!r.isEmpty());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    }

    // A click on a cell of the detail grid, as the user makes it.
    void clickGridCell(int row, int col)
    {
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        const QModelIndex index = grid->dataModel()->index(row, col);
        QVERIFY(index.isValid());
        grid->scrollTo(index);
        const QRect r = grid->visualRect(index);
        QVERIFY(!r.isEmpty());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        QTRY_COMPARE(grid->currentIndex().column(), col);
    }

    static QString lineText(int row, const char *field)
    {
        TMeisaiClientDataSet *m = MeisaiClt(*DatMod);
        m->setRecNo(row + 1);
        return m->fieldByName(QString::fromLatin1(field))->asString();
    }

private slots:
    void init() { makeBook(); }
    void cleanup()
    {
        page = nullptr;
        dropWorld();
    }

    // Items into new lines (自動 on the first column, 追加), a shop into the
    // current line (変更), a person, a shop into every line (一括), then a
    // category in the move mode; the journal holds what was chosen.
    void chooseIntoLinesByMode()
    {
        DialogQueue dialogs;
        openFood();
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);

        openColumn(9);
        QCOMPARE(page->FrSelecter->BvlLbTitle->text(), u"品名"_s);
        QCOMPARE(page->FrSelecter->choiceCount(), 2);
        // 閲覧 writes nothing.
        setMode(0);
        pick(u"りんご"_s);
        QCOMPARE(lines->recordCount(), 0);

        setMode(1);
        pick(u"りんご"_s);
        QTRY_COMPARE(lines->recordCount(), 1);
        pick(u"みかん"_s);
        QTRY_COMPARE(lines->recordCount(), 2);
        QCOMPARE(lineText(0, "HinmeiName"), u"りんご"_s);
        QCOMPARE(lineText(1, "HinmeiName"), u"みかん"_s);

        // 変更 writes the shop into the current line only.
        lines->setRecNo(2);
        openColumn(10);
        QCOMPARE(page->FrSelecter->choiceCount(), 2);
        setMode(3);
        pick(u"八百屋"_s);
        QCOMPARE(lineText(1, "ShopName"), u"八百屋"_s);
        QCOMPARE(lineText(0, "ShopName"), QString());
        QCOMPARE(lines->recordCount(), 2);

        // 追加 appends even on another column's line.
        openColumn(9);
        setMode(2);
        pick(u"りんご"_s);
        QTRY_COMPARE(lines->recordCount(), 3);
        QCOMPARE(lineText(2, "HinmeiName"), u"りんご"_s);

        openColumn(12);
        setMode(3);
        lines->setRecNo(1);
        pick(u"花子"_s);
        QCOMPARE(lineText(0, "PersonName"), u"花子"_s);

        // 一括: every line, and the toggle is released afterwards.
        openColumn(10);
        page->FrSelecter->SpBtnAll->click();
        QVERIFY(page->FrSelecter->AllLinesDown());
        pick(u"スーパー"_s);
        QVERIFY(!page->FrSelecter->AllLinesDown());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(lineText(i, "ShopName"), u"スーパー"_s);

        QVERIFY(page->SaveJournal());
        {
            Statement st(DatMod->MainDatabase,
                         u"SELECT H.NAME, S.NAME, P.NAME, M.KARICODE, M.KINGAKU FROM Master M "
                         "LEFT JOIN HinmeiMast H ON H.CODE = M.HINMEICODE LEFT JOIN ShopMast S ON S.CODE = M.SHOPCODE "
                         "LEFT JOIN Person P ON P.CODE = M.PERSONCODE WHERE M.DATANO > 0 ORDER BY M.DATANO"_s);
            QStringList items, people;
            int rows = 0;
            while (st.next()) {
                ++rows;
                items << st.textValue(0);
                QCOMPARE(st.textValue(1), u"スーパー"_s);
                people << st.textValue(2);
                QCOMPARE(int(st.intValue(3)), food);
            }
            QCOMPARE(rows, 3);
            items.sort();
            QCOMPARE(items, (QStringList{u"みかん"_s, u"りんご"_s, u"りんご"_s}));
            QCOMPARE(people.count(u"花子"_s), 1);
        }

        // The move mode offers the category column: a category chosen in 変更
        // moves the line there.
        page->ActionMove->trigger();
        QTRY_COMPARE(lines->recordCount(), 3);
        openColumn(7);
        TFrameSelecter *sel = page->FrSelecter;
        QVERIFY(sel->choiceCount() > 1);
        QVERIFY(sel->LocateCode(food));
        int other = -1;
        QString otherName;
        for (int code : categoryCodes(sel))
            if (code != food) {
                other = code;
                break;
            }
        QVERIFY(other > 0);
        QVERIFY(sel->LocateCode(other));
        otherName = sel->GetChoiceName();
        setMode(3);
        lines->setRecNo(1);
        const int movedNo = int(lines->fieldByName(u"DATANO"_s)->asInteger());
        pick(otherName);
        QCOMPARE(int(lines->fieldByName(u"KARICODE"_s)->asInteger()), other);
        QVERIFY(page->SaveJournal());
        QCOMPARE(int(DatMod->MainDatabase.scalar(u"SELECT KARICODE FROM Master WHERE DATANO = ?"_s, {movedNo}).toInt()),
                 other);
        QVERIFY(dialogs.done());
        stop();
    }

    // The filter narrows the tiles by name; in a filtered list 自動 becomes
    // 改行 (it writes into the current line, it never appends). "%", "_" and
    // quotes are matched as they are.
    void filterByTypedText()
    {
        DialogQueue dialogs;
        openFood();
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        openColumn(9);
        setMode(1);
        pick(u"りんご"_s);
        QTRY_COMPARE(lines->recordCount(), 1);

        TFrameSelecter *sel = page->FrSelecter;
        sel->EditAssist->setFocus();
        sel->EditAssist->insert(u"かん"_s);
        QVERIFY(sel->FilteredList);
        QCOMPARE(sel->choiceCount(), 1);
        QCOMPARE(sel->GetChoiceName(), u"みかん"_s);
        QCOMPARE(sel->EffectiveWriteMode(), 4);
        pick(u"みかん"_s);
        QCOMPARE(lineText(0, "HinmeiName"), u"みかん"_s);
        if (lines->recordCount() > 1)
            QCOMPARE(lineText(1, "HinmeiName"), QString());

        for (const QString &text : {u"%"_s, u"_"_s, u"'\""_s, u"^"_s}) {
            sel->EditAssist->clear();
            QTest::keyClicks(sel->EditAssist, text);
            QVERIFY2(sel->FilteredList, qPrintable(text));
            QCOMPARE(sel->choiceCount(), 0);
        }
        QVERIFY(AddHinmeiListItem(food, -1, u"50%引き"_s, 3, 0, Currency()));
        sel->SetAssistText(u"0%"_s);
        QCOMPARE(sel->choiceCount(), 1);
        QCOMPARE(sel->GetChoiceName(), u"50%引き"_s);
        // Clearing the box brings the whole list back.
        sel->EditAssist->clear();
        QVERIFY(!sel->FilteredList);
        QCOMPARE(sel->choiceCount(), 3);
        QVERIFY(dialogs.done());
        stop();
    }

    // Every button over the table opens what its caption says; the list is
    // reopened only when its text changes; the tiles never drop to 0 rows or columns.
    void columnButtonsAndTiles()
    {
        DialogQueue dialogs;
        openFood();
        const QList<QAction *> actions = page->ToolBar1->actions();
        QVERIFY(!actions.isEmpty());
        for (QAction *a : actions) {
            if (!a->isVisible())
                continue;
            const int kind = a->data().toInt();
            a->trigger();
            QVERIFY(a->isChecked());
            if (kind == 1) {
                QCOMPARE(page->PnLeftStack->currentWidget(), page->Hyou);
                continue;
            }
            QVERIFY2(TFrameSelecter::KindHasList(kind), qPrintable(a->text()));
            QCOMPARE(page->PnLeftStack->currentWidget(), page->FrSelecter);
            QCOMPARE(page->FrSelecter->BvlLbTitle->text(), a->text());
            QVERIFY2(DatMod->SelecterSql->isActive(), qPrintable(a->text()));
            QVERIFY2(page->FrSelecter->choiceCount() > 0, qPrintable(a->text()));
        }
        TFrameSelecter *sel = page->FrSelecter;
        openColumn(9);
        const int opened = sel->listOpenCount();
        sel->ShowList(9, food, 2, false);
        QCOMPARE(sel->listOpenCount(), opened);
        sel->ShowList(9, food, 2, true);
        QCOMPARE(sel->listOpenCount(), opened + 1);
        // The receipt shops are those of category 13 whatever code is passed.
        QCOMPARE(TFrameSelecter::BuildListSql(11, food, 2, QString(), false),
                 TFrameSelecter::BuildListSql(10, 13, 2, QString(), false));
        // Tax treatments show their names.
        openColumn(18);
        QVERIFY(sel->LocateCode(1));
        QCOMPARE(sel->tileText(1, sel->GetChoiceName()), u"内税"_s);

        window->resize(300, 200);
        sel->resize(4, 4);
        sel->SetRowHeight(0);
        sel->SetPanelWidth(0);
        QVERIFY(sel->tileColumns() >= 1);
        QVERIFY(sel->tileRows() >= 1);
        QVERIFY(dialogs.done());
        stop();
    }

    // 登録 with price and quantity makes a choice the next pick writes with
    // them; 削除 takes it off the category's list (the item stays); a person
    // is hidden, not deleted; nothing registers without a category.
    void registerAndDeleteChoices()
    {
        DialogQueue dialogs;
        openFood();
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        TFrameSelecter *sel = page->FrSelecter;
        TChoicePanel *panel = sel->PnlTuika;
        openColumn(9);
        QVERIFY(panel->isVisible());
        QVERIFY(panel->EditGaku->isEnabled());
        panel->EditTuika->setText(u"ぶどう"_s);
        panel->EditGaku->setText(u"480"_s);
        panel->EditQuantity->setText(u"2"_s);
        QTest::keyClick(panel->EditQuantity, Qt::Key_Return);
        QCOMPARE(sel->choiceCount(), 3);
        QCOMPARE(sel->GetChoiceName(), u"ぶどう"_s);
        setMode(1);
        pick(u"ぶどう"_s);
        QTRY_COMPARE(lines->recordCount(), 1);
        QCOMPARE(lineText(0, "HinmeiName"), u"ぶどう"_s);
        QCOMPARE(lines->fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(480));
        QCOMPARE(panel->EditTuika->text(), u"ぶどう"_s);

        dialogs.answer(mrOk, u"食費 の ぶどう を削除します"_s);
        panel->FrBtnDeleteList->click();
        QCOMPARE(sel->choiceCount(), 2);
        QVERIFY(!sel->LocateName(u"ぶどう"_s));
        QVERIFY(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM HinmeiMast WHERE NAME = 'ぶどう'"_s).toInt() == 1);

        openColumn(12);
        QVERIFY(!panel->EditGaku->isEnabled());
        QVERIFY(sel->LocateName(u"花子"_s));
        dialogs.answer(mrOk, u"花子 を削除します"_s);
        panel->FrBtnDeleteList->click();
        QVERIFY(!sel->LocateName(u"花子"_s));
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT VISIBLE FROM Person WHERE NAME = '花子'"_s).toInt(), 0);

        // The receipt shops without a category: refused with the reason.
        openColumn(10);
        sel->ListCode = 0;
        panel->EditTuika->setText(u"魚屋"_s);
        dialogs.answer(mrOk, u"費目が記入されていないので登録できません。"_s);
        QVERIFY(!panel->AppendChoice());
        QCOMPARE(DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM ShopMast WHERE NAME = '魚屋'"_s).toInt(), 0);
        QVERIFY(dialogs.done());
        stop();
    }


    // The header's plus half makes the tiles taller (a row fewer), its minus
    // half lower (a row more, never below 10 pixels); dragging its edge sets
    // the tile width. The sizes go into the settings at once and come back
    // at the next start.
    void tileSizeKeptInSettings()
    {
        DialogQueue dialogs;
        openFood();
        openColumn(9);
        TFrameSelecter *sel = page->FrSelecter;
        TSelecterHeader *head = sel->HeadCtlSelecter;
        QTRY_VERIFY(head->isVisible());
        // The selector's layout settles before its rows are counted.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        auto press = [&](int x) { QTest::mouseClick(head, Qt::LeftButton, {}, QPoint(x, head->height() / 2)); };
        const int w = head->sectionWidth();
        const int plus = w / 4;
        const int minus = w * 3 / 4;
        const int stored = RegIni->readInteger(u"FrameDeru"_s, u"FrSelecterPanelHeight"_s, -1);

        const int rows = sel->tileRows();
        press(minus);
        QCOMPARE(sel->tileRows(), rows + 1);
        QCOMPARE(RegIni->readInteger(u"FrameDeru"_s, u"FrSelecterPanelHeight"_s, -1), sel->RowHeight);
        QVERIFY(sel->RowHeight != stored);
        press(plus);
        press(plus);
        QCOMPARE(sel->tileRows(), std::max(1, rows - 1));
        // The ends of the section are neither half.
        press(2);
        QCOMPARE(sel->tileRows(), std::max(1, rows - 1));

        // One row at least; rows stop being added before tiles get lower than 10 pixels.
        for (int i = 0; i < 60; ++i)
            press(plus);
        QCOMPARE(sel->tileRows(), 1);
        const int h = sel->DBCtlGridSelecter->viewport()->height();
        int before = 1;
        for (int i = 0; i < 200 && h / sel->tileRows() >= 10; ++i) {
            before = sel->tileRows();
            press(minus);
            QVERIFY(sel->tileRows() > before);
        }
        const int most = sel->tileRows();
        QVERIFY(h / most < 10);
        QVERIFY(h / before >= 10);
        press(minus);
        QCOMPARE(sel->tileRows(), most);
        // Back to tiles higher than a line of text (lower ones are raised to it at the start).
        for (int i = 0; i < 60 && sel->RowHeight <= 2 * sel->fontMetrics().height(); ++i)
            press(plus);
        const int keptRows = sel->tileRows();
        const int keptHeight = sel->RowHeight;

        // The section's edge dragged to half its width: twice the columns,
        // the section snapping to the width the tiles got.
        const int cols = sel->tileColumns();
        QTest::mousePress(head, Qt::LeftButton, {}, QPoint(w, head->height() / 2));
        QTest::mouseMove(head, QPoint(w / 2, head->height() / 2));
        QTest::mouseRelease(head, Qt::LeftButton, {}, QPoint(w / 2, head->height() / 2));
        QVERIFY(sel->tileColumns() > cols);
        QCOMPARE(head->sectionWidth(), sel->DBCtlGridSelecter->gridSize().width());
        const int keptWidth = sel->GetPanelWidth();
        QCOMPARE(RegIni->readInteger(u"FrameDeru"_s, u"FrSelecterPanelWidth"_s, -1), keptWidth);
        QCOMPARE(RegIni->readInteger(u"FrameDeru"_s, u"FrSelecterPanelHeight"_s, -1), keptHeight);
        QVERIFY(dialogs.done());

        stop();
        page = start();
        QVERIFY(page);
        QTRY_VERIFY(page->attached());
        sel = page->FrSelecter;
        QCOMPARE(sel->GetPanelWidth(), keptWidth);
        QCOMPARE(sel->RowHeight, keptHeight);
        openColumn(9);
        QTRY_COMPARE(sel->tileRows(), keptRows);
        stop();
    }

    // Alt in the detail grid filters the selector by the current cell's text
    // and, pressed again, brings the whole list back.
    void altTogglesTheFilter()
    {
        DialogQueue dialogs;
        openFood();
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        openColumn(9);
        setMode(1);
        pick(u"みかん"_s);
        QTRY_COMPARE(lines->recordCount(), 1);
        TFrameSelecter *sel = page->FrSelecter;
        QCOMPARE(sel->choiceCount(), 2);

        clickGridCell(0, gridColumn(page, u"HinmeiName"_s));
        QTest::keyClick(page->MyDbGridMeisai, Qt::Key_Alt);
        QVERIFY(sel->FilteredList);
        QCOMPARE(sel->EditAssist->text(), u"みかん"_s);
        QCOMPARE(sel->choiceCount(), 1);
        QCOMPARE(sel->GetChoiceName(), u"みかん"_s);
        QTest::keyClick(page->MyDbGridMeisai, Qt::Key_Alt);
        QVERIFY(!sel->FilteredList);
        QVERIFY(sel->EditAssist->text().isEmpty());
        QCOMPARE(sel->choiceCount(), 2);
        // The key never reaches the line.
        QCOMPARE(lineText(0, "HinmeiName"), u"みかん"_s);
        QVERIFY(dialogs.done());
        stop();
    }

    // The selector follows the detail grid's current column: a clicked cell
    // or a column entered with the keys opens that column's choices (the
    // amount column, which has none, the table), and a choice goes into the
    // line and column that were clicked.
    void gridColumnOpensItsChoices()
    {
        DialogQueue dialogs;
        openFood();
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        TFrameSelecter *sel = page->FrSelecter;
        openColumn(9);
        setMode(1);
        pick(u"りんご"_s);
        pick(u"みかん"_s);
        QTRY_COMPARE(lines->recordCount(), 2);
        page->columnButton(1)->trigger();
        QCOMPARE(page->PnLeftStack->currentWidget(), page->Hyou);

        // kind 1: the table in front of the selector.
        auto shows = [&](int kind, const QString &title, int choices) {
            if (kind == 1) {
                QCOMPARE(page->PnLeftStack->currentWidget(), page->Hyou);
                QVERIFY(page->columnButton(1)->isChecked());
                return;
            }
            QCOMPARE(page->PnLeftStack->currentWidget(), page->FrSelecter);
            QVERIFY(sel->isVisible());
            QCOMPARE(int(sel->SelectorKind), kind);
            QCOMPARE(sel->BvlLbTitle->text(), title);
            if (choices >= 0)
                QCOMPARE(sel->choiceCount(), choices);
            else // the template's persons and the one added
                QVERIFY(sel->choiceCount() > 1 && sel->LocateName(u"花子"_s));
            QCOMPARE(sel->ListCode, food);
            QVERIFY(page->columnButton(kind)->isChecked());
        };
        const struct
        {
            const char *field;
            int kind;
            const char16_t *title;
            int choices;
        } cells[] = {{"HinmeiName", 9, u"品名", 2},
                     {"ShopName", 10, u"店名", 2},
                     {"KINGAKU", 1, u"", 0},
                     {"PersonName", 12, u"使用者", -1},
                     {"HinmeiName", 9, u"品名", 2}};
        for (const auto &c : cells) {
            clickGridCell(1, gridColumn(page, QString::fromLatin1(c.field)));
            shows(c.kind, QString::fromUtf16(c.title), c.choices);
            QVERIFY2(grid->hasFocus(), c.field);
        }

        // The keys: the arrows between cells, Tab out of a typed amount.
        QCOMPARE(grid->currentIndex().column(), gridColumn(page, u"HinmeiName"_s));
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(grid->currentIndex().column(), gridColumn(page, u"KINGAKU"_s));
        shows(1, {}, 0);
        QTest::keyClick(grid, Qt::Key_Left);
        shows(9, u"品名"_s, 2);
        typeInto(page, u"KINGAKU"_s, u"300"_s, Qt::Key_Tab);
        QTRY_COMPARE(grid->currentIndex().column(), gridColumn(page, u"ShopName"_s));
        shows(10, u"店名"_s, 2);
        QCOMPARE(lineText(1, "KINGAKU"), u"300"_s);

        // A shop picked after clicking the first line's shop cell is that line's shop.
        clickGridCell(0, gridColumn(page, u"ShopName"_s));
        QCOMPARE(lines->recNo(), 1);
        pick(u"八百屋"_s);
        QCOMPARE(lineText(0, "ShopName"), u"八百屋"_s);
        QCOMPARE(lineText(1, "ShopName"), QString());
        QCOMPARE(lines->recordCount(), 2);

        // A date cell (the move mode lists the date) opens the calendar.
        QVERIFY(page->SaveJournal());
        page->ActionMove->trigger();
        QTRY_COMPARE(lines->recordCount(), 2);
        clickGridCell(0, gridColumn(page, u"RECDATE"_s));
        QCOMPARE(page->PnLeftStack->currentWidget(), page->FrSelecter);
        QVERIFY(sel->CalendarShown);
        QVERIFY(sel->MyCalendar->isVisible());
        QCOMPARE(sel->BvlLbTitle->text(), u"日付"_s);
        QVERIFY(dialogs.done());
        stop();
    }

    // On a receipt each line has its own category: a click on a line's item
    // cell lists that category's items, also when the item column is open.
    void slipLineListsItsCategorysItems()
    {
        DialogQueue dialogs;
        openFood();
        const int goods = GetHimokuCodeByName(u"日用品"_s, 2);
        QVERIFY(goods > 0);
        QVERIFY(AddHinmeiListItem(goods, -1, u"洗剤"_s, 3, 0, Currency::fromInt(300)));
        QTest::mouseClick(page->FrBtnReceipt, Qt::LeftButton);
        QTRY_COMPARE(page->inputMode(), 2);
        QTest::mouseClick(page->SlipPanel->SpBtnNewReceipt, Qt::LeftButton);
        TMeisaiClientDataSet *lines = MeisaiClt(*DatMod);
        for (const char16_t *category : {u"食費", u"日用品"}) {
            newLine(page);
            typeInto(page, u"KARICODE"_s, QString::fromUtf16(category), Qt::Key_Tab);
            lines->checkBrowseMode();
        }
        QCOMPARE(lines->recordCount(), 2);
        TFrameSelecter *sel = page->FrSelecter;
        const int item = gridColumn(page, u"HinmeiName"_s);
        clickGridCell(0, item);
        QCOMPARE(int(sel->SelectorKind), 9);
        QCOMPARE(sel->ListCode, food);
        QCOMPARE(sel->choiceCount(), 2);
        clickGridCell(1, item);
        QCOMPARE(sel->ListCode, goods);
        QCOMPARE(sel->choiceCount(), 1);
        QCOMPARE(sel->GetChoiceName(), u"洗剤"_s);
        setMode(3);
        pick(u"洗剤"_s);
        QCOMPARE(lineText(1, "HinmeiName"), u"洗剤"_s);
        QCOMPARE(lineText(0, "HinmeiName"), QString());
        QVERIFY(dialogs.done());
        stop();
    }

private:
    static QList<int> categoryCodes(TFrameSelecter *sel)
    {
        QList<int> codes;
        Query *q = DatMod->SelecterSql;
        for (q->first(); !q->eof(); q->next())
            codes << int(q->fieldByName(u"CODE"_s)->asInteger());
        Q_UNUSED(sel);
        return codes;
    }
};

QTEST_MAIN(TestChoosing)
#include "tst_choosing.moc"
