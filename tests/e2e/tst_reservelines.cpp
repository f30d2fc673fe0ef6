#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <QtTest>
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include "DialogQueue.h"
#include "ReservePageDriver.h"
#include "PdfReader.h"
#include "PreviewPrint.h"
#include "WorkbookReader.h"
#include "printing/ExcelExport.h"
#include "printing/ReportPreView.h"
#include "controls/MyDBNavigator.h"
#include "data/DatModEvents.h"
#include "data/ModalForm.h"
#include "main/DeruLineMenu.h"
#include "main/FrameSelecter.h"
#include "main/SelecterHeader.h"
#include "main/MeisaiGrid.h"

using namespace Qt::StringLiterals;

// The line list of the 予約 page as a user works it: lines typed under a
// card, undone, cut and pasted through the line menu, walked with the
// navigator and Enter, refused input and the program closed in the middle of
// an edit.
class TestReserveLines : public QObject, private ReservePageDriver
{
    Q_OBJECT

    TFrameReserve *page = nullptr;
    int no = 0;

    TMeisaiClientDataSet *lines() { return DatMod->MeisaiClt; }

    // A saved expense card (食費 from 現金, 3000 on the 5th) with its three
    // months of lines saved.
    void savedCard()
    {
        page = openPage();
        QVERIFY(page);
        fillCard(page, u"保険"_s, u"3000"_s, 5);
        QVERIFY(page->SaveCard());
        QVERIFY(page->SaveLines());
        no = page->CardNo;
        QCOMPARE(lines()->recordCount(), 3);
    }

    int column(const QString &field)
    {
        const QList<TMyDBGridColumn> cols = page->MyDbGridMeisai->columns();
        for (int i = 0; i < cols.size(); ++i)
            if (cols[i].fieldName == field)
                return i;
        return -1;
    }

    // Opens the editor of a column on the current line and types text.
    QLineEdit *openEditor(const QString &field, const QString &text)
    {
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        const int col = column(field);
        const int row = grid->currentIndex().isValid() ? grid->currentIndex().row() : qMax(0, lines()->recNo() - 1);
        const QModelIndex index = grid->dataModel()->index(row, col);
        if (!index.isValid())
            return nullptr;
        grid->setFocus();
        grid->setCurrentIndex(index);
        grid->edit(index);
        if (!QTest::qWaitFor([grid] { return grid->editorMode(); }))
            return nullptr;
        auto *editor = qobject_cast<QLineEdit *>(grid->inplaceEditor());
        if (!editor)
            return nullptr;
        editor->setFocus();
        editor->selectAll();
        QTest::keyClicks(editor, text);
        return editor;
    }

    bool typeInto(const QString &field, const QString &text)
    {
        QLineEdit *editor = openEditor(field, text);
        if (!editor)
            return false;
        QTest::keyClick(editor, Qt::Key_Return);
        return QTest::qWaitFor([this] { return !page->MyDbGridMeisai->editorMode(); });
    }

    Currency amountAt(int recNo)
    {
        lines()->setRecNo(recNo);
        return lines()->fieldByName(u"KINGAKU"_s)->asCurrency();
    }

private slots:
    void init()
    {
        makeBook();
        readCodes();
    }
    void cleanup()
    {
        ModalForms::clear();
        page = nullptr;
        dropWorld();
    }

    // 追加 starts a line that books what the card books and is scheduled; the
    // date and amount typed into the grid are saved with it.
    void typedLineTakesTheCard()
    {
        savedCard();
        QVERIFY(page->DataSetInsert1->isEnabled());
        page->DataSetInsert1->trigger();
        QCOMPARE(lines()->state(), DataSetState::Insert);
        const QDate day = QDate::currentDate().addMonths(2);
        QVERIFY(typeInto(u"RECDATE"_s, day.toString(u"yyyy/MM/dd"_s)));
        QVERIFY(typeInto(u"KINGAKU"_s, u"4500"_s));
        QVERIFY(page->DataSetApplyUpdates1->isEnabled());
        page->DataSetApplyUpdates1->trigger();
        QCOMPARE(lines()->changeCount(), 0);
        QCOMPARE(count(u"RECEIPTNO = %1 AND KINGAKU = 4500 AND RECDATE = '%2' AND RESERVED = 1 AND STYLE = 4 "
                       "AND ORIGIN = 4 AND KARICODE = %3 AND KASICODE = %4"_s.arg(no)
                           .arg(day.toString(Qt::ISODate))
                           .arg(food)
                           .arg(cash)),
                 1);
        QCOMPARE(page->BvLbGoukei->text(), u"13,500"_s);
    }

    // The selector's tile size changed from its header is kept in this
    // page's own settings, as the page reads it at the next start.
    void selecterSizeKept()
    {
        savedCard();
        TFrameSelecter *sel = page->FrSelecter;
        TSelecterHeader *head = sel->HeadCtlSelecter;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const int before = sel->RowHeight;
        QTest::mouseClick(head, Qt::LeftButton, {}, QPoint(head->sectionWidth() * 3 / 4, head->height() / 2));
        QVERIFY(sel->RowHeight != before);
        QCOMPARE(RegIni->readInteger(u"FrameReserve"_s, u"FrSelecterPanelHeight"_s, -1), sel->RowHeight);
        QCOMPARE(RegIni->readInteger(u"FrameReserve"_s, u"FrSelecterPanelWidth"_s, -1), sel->GetPanelWidth());
    }

    // Text the line cannot take says why in Japanese and changes nothing:
    // the line keeps its value, and the save and the close that follow write
    // the book as it was.
    void refusedInputKeepsTheBook_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters in the amount") << u"KINGAKU"_s << u"abc"_s << u"式が正しくありません。"_s;
        QTest::newRow("30 February") << u"RECDATE"_s << u"2027/02/30"_s << u"日付"_s;
        QTest::newRow("month 13") << u"RECDATE"_s << u"2027/13/01"_s << u"日付"_s;
    }
    void refusedInputKeepsTheBook()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        savedCard();
        lines()->first();
        const QString value = lines()->fieldByName(field)->asString();
        auto book = [this] {
            return db().scalar(u"SELECT group_concat(RECDATE || ':' || KINGAKU) FROM Master WHERE RECEIPTNO = ?"_s,
                               {no})
                .toString();
        };
        const QString before = book();
        DialogQueue dialogs;
        dialogs.answer(mrOk, message);
        QLineEdit *editor = openEditor(field, typed);
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(dialogs.pending(), 0);
        QVERIFY(dialogs.done());
        lines()->first();
        QCOMPARE(lines()->fieldByName(field)->asString(), value);
        QVERIFY(page->SaveLines());
        QCOMPARE(book(), before);
        QVERIFY(window->close());
    }

    // An amount typed but not yet entered when the program closes is saved,
    // not dropped.
    void closingMidEditSavesTheLine()
    {
        savedCard();
        lines()->last();
        QVERIFY(openEditor(u"KINGAKU"_s, u"7777"_s));
        QVERIFY(window->close());
        stop();
        Database book;
        book.open(folder + u"/PomuZenitData.db"_s);
        QCOMPARE(book.scalar(u"SELECT COUNT(*) FROM Master WHERE RECEIPTNO = ? AND KINGAKU = 7777"_s, {no}).toInt(),
                 1);
        book.close();
    }

    // 元に戻す takes back the last change first: a deleted line comes back,
    // then the changed amount, and the total follows.
    void undoTakesBackTheLastChange()
    {
        savedCard();
        QVERIFY(!page->DataSetUndo1->isEnabled());
        lines()->first();
        QVERIFY(typeInto(u"KINGAKU"_s, u"100"_s));
        lines()->last();
        page->DataSetDelete1->trigger();
        QCOMPARE(lines()->recordCount(), 2);
        QCOMPARE(page->BvLbGoukei->text(), u"3,100"_s);
        QVERIFY(page->DataSetUndo1->isEnabled());
        page->DataSetUndo1->trigger();
        QCOMPARE(lines()->recordCount(), 3);
        QCOMPARE(page->BvLbGoukei->text(), u"6,100"_s);
        page->DataSetUndo1->trigger();
        QCOMPARE(amountAt(1), Currency::fromInt(3000));
        QCOMPARE(page->BvLbGoukei->text(), u"9,000"_s);
        QCOMPARE(lines()->changeCount(), 0);
        QVERIFY(!page->DataSetUndo1->isEnabled());
    }

    // 明細を印刷: the card's lines as a grid report titled with the card's
    // name, 予約 as subtitle and the total, printed to PDF.
    void printsTheCardsLines()
    {
        savedCard();
        QTRY_VERIFY(page->MyDbGridMeisai->model() && page->MyDbGridMeisai->model()->rowCount() == 3);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"reserve.pdf"_s);
        const PreviewPrint shown = PrintThroughPreview(page->findChild<QAction *>(u"MenuPrintMeisei"_s), file);
        QVERIFY(shown.printed);
        QVERIFY(!FormLrpPreView);
        QVERIFY2(shown.caption.startsWith(u"予約"_s), qPrintable(shown.caption));
        QVERIFY(page->MyDbGridMeisai->isEnabled());
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(u"自動記帳: "_s + page->DBEditCardName->text()), qPrintable(text));
        QVERIFY(text.contains(u"予約"_s));
        QVERIFY(text.contains(u"合計金額 : "_s + page->BvLbGoukei->text()));
        QCOMPARE(text.count(u"3,000"_s), 3);
        QVERIFY(PdfPageHasInk(file, 1));
    }

    // 明細をエクセルへ: the card's lines in a sheet named 予約の明細, the grid's
    // columns in order, dates and amounts as values; a card without lines
    // gives no file and the user is told.
    void exportsTheCardsLines()
    {
        SetOpenExportedWorkbook(false);
        savedCard();
        QTRY_VERIFY(page->MyDbGridMeisai->model() && page->MyDbGridMeisai->model()->rowCount() == 3);
        lines()->first();
        const QDate first = lines()->fieldByName(u"RECDATE"_s)->asDate();
        lines()->last();
        QTemporaryDir dir;
        const QString file = dir.filePath(u"reserve.xlsx"_s);
        DialogQueue dialogs;
        dialogs.saveFile(file);
        page->findChild<QAction *>(u"MenuPrintMeiseiExcel"_s)->trigger();
        QVERIFY(dialogs.done());
        QCOMPARE(lines()->recNo(), 3);   // the walk leaves the user on their line
        QVERIFY(WorkbookXml(file, u"xl/workbook.xml"_s).contains(u"name=\"予約の明細\""_s));
        // Numbers, not texts: the amounts and the first date's serial day.
        const QString sheet = WorkbookXml(file, u"xl/worksheets/sheet1.xml"_s);
        QVERIFY2(sheet.count(u"<v>3000</v>"_s) == 3, qPrintable(sheet.left(3000)));
        QVERIFY2(sheet.contains(u"<v>%1</v>"_s.arg(QDate(1899, 12, 30).daysTo(first))), qPrintable(sheet.left(3000)));

        // A new card has no lines yet.
        page->NewCard();
        QTRY_VERIFY(page->CardNo == 0 && lines()->isEmpty());
        dialogs.answer(mrOk, u"出力するデータがありません。"_s);
        page->findChild<QAction *>(u"MenuPrintMeiseiExcel"_s)->trigger();
        QVERIFY(dialogs.done());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"reserve.xlsx"_s});

        QString skip;
        const QList<QStringList> rows = ReadWorkbooks({file}, &skip).value(u"reserve"_s);
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
        QCOMPARE(rows.value(0).mid(0, 6),
                 (QStringList{u"日付"_s, u"費 目"_s, u"出金口座"_s, u"品名"_s, u"店名"_s, u"金額"_s}));
        QCOMPARE(SheetCell(rows, 2, 1), first.toString(u"yyyy/MM/dd"_s));
        QCOMPARE(SheetCell(rows, 2, 4), u"保険"_s);
        QCOMPARE(SheetCell(rows, 4, 6), u"3,000"_s);
        QCOMPARE(SheetCell(rows, 5, 1), QString());
    }

    // Alt on a line's cell narrows the card's choice list to the cell's text,
    // as on the journal pages, and pressed again brings the whole list back;
    // an empty cell has nothing to narrow by, and a cell being typed narrows by
    // its typed text. The key never reaches the line.
    void altTogglesTheListFilter()
    {
        savedCard();
        TFrameSelecter *sel = page->FrSelecter;
        page->DBEditHimoku->setFocus();   // the card's category list
        QTRY_VERIFY(sel->choiceCount() > 1);
        const int all = sel->choiceCount();
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        grid->setFocus();
        grid->setCurrentIndex(grid->dataModel()->index(0, column(u"KARICODE"_s)));
        QTest::keyClick(grid, Qt::Key_Alt);
        QVERIFY(sel->FilteredList);
        QCOMPARE(sel->EditAssist->text(), u"食費"_s);
        QCOMPARE(sel->choiceCount(), 1);
        QCOMPARE(sel->GetChoiceCode(), food);
        QTest::keyClick(grid, Qt::Key_Alt);
        QVERIFY(!sel->FilteredList);
        QVERIFY(sel->EditAssist->text().isEmpty());
        QCOMPARE(sel->choiceCount(), all);

        grid->setCurrentIndex(grid->dataModel()->index(0, column(u"ShopName"_s)));
        QTest::keyClick(grid, Qt::Key_Alt);
        QVERIFY(!sel->FilteredList);
        QCOMPARE(sel->choiceCount(), all);
        QCOMPARE(lines()->changeCount(), 0);

        // While a cell is being typed, its editor's text is what narrows.
        QLineEdit *editor = openEditor(u"ShopName"_s, QString());
        QVERIFY(editor);
        editor->insert(u"食"_s);   // committed by the input method
        QTest::keyClick(editor, Qt::Key_Alt);
        QVERIFY(sel->FilteredList);
        QCOMPARE(sel->EditAssist->text(), u"食"_s);
        QCOMPARE(sel->GetChoiceCode(), food);
        QCOMPARE(editor->text(), u"食"_s);
    }

    // The line menu on the card's lines: selected lines cut (削除 with a
    // selection asks first), pasted back at the end under the card, the menu's
    // own undo taking back a paste; the shift items name the column.
    void lineMenuCutsAndPastes()
    {
        savedCard();
        TDeruLineMenu *menu = page->LineMenu;
        QCOMPARE(menu->BtnEdit->text(), u"Menu"_s);
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        grid->setFocus();
        grid->setCurrentIndex(grid->dataModel()->index(0, column(u"KINGAKU"_s)));
        emit menu->PopActBndMeisai->aboutToShow();
        QCOMPARE(menu->ActShiftUp->text(), u"ここから 金額 を上へずらす。"_s);
        QCOMPARE(menu->ActShiftDown->text(), u"ここから 金額 を下へずらす。"_s);

        grid->toggleRowSelected(0);
        grid->toggleRowSelected(1);
        DialogQueue dialogs;
        dialogs.answer(mrYes, u"選択中のレコードをすべて削除してよろしいですか？"_s);
        page->DataSetDelete1->trigger();
        QVERIFY(dialogs.done());
        QCOMPARE(lines()->recordCount(), 1);
        QCOMPARE(CopyClt(*DatMod)->recordCount(), 2);

        menu->PasteLines(true);
        QCOMPARE(lines()->recordCount(), 3);
        QCOMPARE(page->BvLbGoukei->text(), u"9,000"_s);
        menu->PasteLines(true);
        QCOMPARE(lines()->recordCount(), 5);
        menu->UndoLineOperation();
        QCOMPARE(lines()->recordCount(), 3);
        QVERIFY(page->SaveLines());
        QCOMPARE(count(u"RECEIPTNO = %1 AND KARICODE = %2 AND KASICODE = %3 AND KINGAKU = 3000"_s.arg(no)
                           .arg(food)
                           .arg(cash)),
                 3);
    }

    // The navigator moves only where it can; Enter in the grid moves to the
    // next line; Shift turns row selection on until it is let go with
    // nothing selected.
    void navigatorAndKeys()
    {
        savedCard();
        TMyDBNavigator *nav = page->DBNavigator;
        TMeisaiGrid *grid = page->MyDbGridMeisai;
        lines()->first();
        QVERIFY(!nav->BtnFirst->isEnabled());
        QVERIFY(nav->BtnNext->isEnabled());
        nav->BtnLast->click();
        QCOMPARE(lines()->recNo(), 3);
        QVERIFY(!nav->BtnNext->isEnabled());
        QVERIFY(nav->BtnPrior->isEnabled());
        nav->BtnPrior->click();
        QCOMPARE(lines()->recNo(), 2);
        nav->BtnFirst->click();
        QCOMPARE(lines()->recNo(), 1);

        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(lines()->recNo(), 2);

        QVERIFY(!grid->getMultiSelectMode());
        QTest::keyPress(grid, Qt::Key_Shift);
        QVERIFY(grid->getMultiSelectMode());
        QTest::keyRelease(grid, Qt::Key_Shift);
        QVERIFY(!grid->getMultiSelectMode());
    }
};

QTEST_MAIN(TestReserveLines)
#include "tst_reservelines.moc"
