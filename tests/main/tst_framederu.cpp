#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QtTest>

#include "../data/JournalBook.h"
#include "DialogQueue.h"
#include "controls/ColorUpDown.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "main/DeruHyou.h"
#include "main/FrameDeru.h"
#include "main/MeisaiGrid.h"
#include "main/ReceiptList.h"
#include <QAction>
#include "platform/db/DataSetModel.h"
#include "platform/db/Database.h"
#include "views/YosanWarn.h"

using namespace Qt::StringLiterals;

// The expense page over a small book whose lines are written straight into the
// journal table: the monthly table, its period and totals, the detail of a
// cell, the column list and the diary line.
class TestFrameDeru : public QObject
{
    Q_OBJECT

    JournalBook book;
    std::unique_ptr<TFrameDeru> page;
    int nextDataNo = 1000;

    Database &db() { return book.dm->MainDatabase; }

    void addLine(const QDate &date, int kari, int kasi, int amount, const QVariant &reserved = 0)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, KARICODE, KASICODE, STYLE, "
                           "ORIGIN, RESERVED) VALUES (?, 1, ?, ?, ?, ?, 1, 2, ?)"_s);
        st.bind(1, ++nextDataNo);
        st.bind(2, date);
        st.bind(3, amount);
        st.bind(4, kari);
        st.bind(5, kasi);
        st.bind(6, reserved);
        st.exec();
    }

    void setGroupClosingDay(int day)
    {
        db().exec(u"UPDATE Himoku SET SIMEBI = %1 WHERE CODE = 2"_s.arg(day));
        LoadHimokuCaches(db());
    }

    TFrameDeru *openPage()
    {
        page = std::make_unique<TFrameDeru>();
        page->resize(1100, 700);
        page->InitPage();
        return page.get();
    }

private slots:
    void init()
    {
        book.open();
        IncludeReservedFlag = false;
        KouzaUseFlag = false;
        CurLockDate = QDate();
        nextDataNo = 1000;
    }
    void cleanup()
    {
        page.reset();
        IncludeReservedFlag = false;
        KouzaUseFlag = false;
        book.close();
    }

    // A closing day of 25: the period runs from the 26th to the 25th; a line on
    // the 25th lands in the last column, one on the 26th in the next period. A
    // line whose RESERVED is empty is booked: the cell and the detail both show
    // it; a scheduled line counts only while scheduled lines are included.
    void periodEdgesAndEmptyReserved()
    {
        setGroupClosingDay(25);
        const QDate end(2026, 11, 25);
        addLine(end, book.food, book.bank, 300);
        addLine(end.addDays(1), book.food, book.bank, 7000);       // next period
        addLine(QDate(2026, 10, 26), book.food, book.bank, 40);    // first day
        addLine(QDate(2026, 10, 25), book.food, book.bank, 5000);  // previous period
        addLine(QDate(2026, 11, 10), book.food, book.bank, 120, QVariant());  // RESERVED empty
        addLine(QDate(2026, 11, 10), book.food, book.bank, 900, 1);           // scheduled
        addLine(QDate(2026, 11, 10), book.bank, book.food, 60);               // food on the credit side

        TFrameDeru *p = openPage();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 11, 10)));
        QCOMPARE(p->periodStart(), QDate(2026, 10, 26));
        QCOMPARE(p->periodEnd(), end);
        QCOMPARE(p->LbSyori->text(), u"2026年度 11月分 (25日締め)"_s);
        const int row = p->rowOfCode(book.food);
        const int last = p->Hyou->colCount() - 1;
        QCOMPARE(p->columnOfDate(end), last);
        QCOMPARE(p->Hyou->getValue(last, row), Currency::fromInt(300));
        QCOMPARE(p->Hyou->getValue(p->firstDataCol(), row), Currency::fromInt(40));
        const int day10 = p->columnOfDate(QDate(2026, 11, 10));
        QCOMPARE(p->Hyou->getValue(day10, row), Currency::fromInt(120));
        QCOMPARE(p->Hyou->getValue(1, row), Currency::fromInt(460));
        QCOMPARE(p->Hyou->getValue(1, 1), Currency::fromInt(460));
        QCOMPARE(p->Hyou->getValue(day10, 1), Currency::fromInt(120));

        // The detail of the 10th lists what the cell counts.
        TMeisaiClientDataSet &lines = *MeisaiClt(*book.dm);
        QCOMPARE(lines.recordCount(), 1);
        QCOMPARE(lines.fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(120));
        QCOMPARE(p->BbLbKarigou->text(), u"120"_s);

        // Scheduled lines included: both count and both show.
        IncludeReservedFlag = true;
        p->RefreshPage();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 11, 10)));
        QCOMPARE(p->Hyou->getValue(day10, row), Currency::fromInt(1020));
        QCOMPARE(lines.recordCount(), 2);
        QVERIFY(p->columnList().last().Caption == u"予約"_s);
    }

    // A date outside the shown period moves the table to its own period.
    void dateOutsideMovesThePeriod()
    {
        addLine(QDate(2026, 3, 31), book.food, book.bank, 800);
        TFrameDeru *p = openPage();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 2, 14)));
        QCOMPARE(p->periodStart(), QDate(2026, 2, 1));
        QCOMPARE(p->LbSyori->text(), u"%1年度 2月分 (月末締め)"_s.arg(p->shownYear()));
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 3, 31)));
        QCOMPARE(p->periodEnd(), QDate(2026, 3, 31));
        QCOMPARE(p->periodDays(), 31);
        QCOMPARE(p->Hyou->colCount(), p->firstDataCol() + 31);
        QCOMPARE(p->Hyou->getValue(p->Hyou->colCount() - 1, p->rowOfCode(book.food)), Currency::fromInt(800));
    }

    // The month's sums are one grouped query that the engine answers through
    // the date index, not by reading the whole journal.
    void monthSumsUseTheDateIndex()
    {
        for (bool reserved : {false, true}) {
            Statement plan(db(), u"EXPLAIN QUERY PLAN "_s + MonthSumsSql(u"KARICODE"_s, reserved));
            plan.bind(u":StartDate"_s, QDate(2026, 1, 1));
            plan.bind(u":EndDate"_s, QDate(2026, 1, 31));
            QString text;
            while (plan.next())
                text += plan.textValue(plan.columnCount() - 1) + u'\n';
            QVERIFY2(text.contains(u"INDEX"_s) && text.contains(u"RECDATE"_s), qPrintable(text));
            QVERIFY2(!text.contains(u"SCAN TABLE Master\n"_s), qPrintable(text));
        }
        addLine(QDate(2026, 1, 5), book.food, book.bank, 100);
        addLine(QDate(2026, 1, 5), book.food, book.bank, 250);
        addLine(QDate(2026, 2, 1), book.food, book.bank, 1);
        const QList<TDayCodeSum> sums =
            ReadMonthSums(db(), QDate(2026, 1, 1), QDate(2026, 1, 31), u"KARICODE"_s, false);
        QCOMPARE(sums.size(), 1);
        QCOMPARE(sums[0].Date, QDate(2026, 1, 5));
        QCOMPARE(sums[0].Code, book.food);
        QCOMPARE(sums[0].Amount, Currency::fromInt(350));
    }

    // Day headers: "m/d ddd", Sundays and holidays red, Saturdays blue.
    void dayHeaders()
    {
        AddHoliday(u"勤労感謝の日"_s, QDate(2026, 11, 23));   // a Monday
        TFrameDeru *p = openPage();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 11, 2)));
        const int sat = p->columnOfDate(QDate(2026, 11, 7));
        QCOMPARE(p->Hyou->cells(sat, 0), u"11/7 土"_s);
        QCOMPARE(p->dayHeaderColor(sat), QColor(0, 0, 255));
        QCOMPARE(p->dayHeaderColor(p->columnOfDate(QDate(2026, 11, 8))), QColor(255, 0, 0));
        QCOMPARE(p->dayHeaderColor(p->columnOfDate(QDate(2026, 11, 23))), QColor(255, 0, 0));
        QVERIFY(!p->dayHeaderColor(p->columnOfDate(QDate(2026, 11, 24))).isValid());
        QCOMPARE(p->Hyou->cells(1, 0), u"費目合計"_s);
        QCOMPARE(p->Hyou->cells(0, 1), u"合 計"_s);
        QCOMPARE(p->Hyou->cells(0, p->rowOfCode(book.food)), u"食費"_s);
        // Group rows are no table rows.
        QCOMPARE(p->rowOfCode(2), -1);
    }

    // The pace of a month that has ended is measured against its whole budget.
    void pastMonthBudgetPaceUsesTheWholeMonth()
    {
        db().exec(u"UPDATE Himoku SET YOSANWARN = 1 WHERE CODE = %1"_s.arg(book.food));
        LoadHimokuCaches(db());
        const QDate month = QDate::currentDate().addMonths(-3);
        const QDate first(month.year(), month.month(), 1);
        Statement st(db(), u"INSERT INTO Yosan (DATANO, RECDATE, HIMOKUCODE, KINGAKU) VALUES (1, ?, ?, 10000)"_s);
        st.bind(1, first);
        st.bind(2, book.food);
        st.exec();
        addLine(first.addDays(3), book.food, book.bank, 5000);
        DataIni->WriteBoolAndUpdate(u"Deru"_s, u"ShowYosanRitu"_s, true);
        TFrameDeru *p = openPage();
        QVERIFY(p->LoadCell(book.food, -1, false, first.addDays(3)));
        QCOMPARE(p->budgetPace(), 50.0);
        // The percentage column of the row and of the totals.
        QCOMPARE(p->Hyou->getValue(2, p->rowOfCode(book.food)), Currency::fromInt(50));
        QCOMPARE(p->Hyou->getValue(2, 1), Currency::fromInt(50));
        QCOMPARE(p->Hyou->cells(2, 0), u"％"_s);
    }

    // The columns of the table mode follow the switches; 金額 has no button.
    void tableModeColumns_data()
    {
        QTest::addColumn<bool>("kouza");
        QTest::addColumn<bool>("reserved");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("plain") << false << false
                               << QStringList{"月間集計表", "品名", "金額", "店名", "使用者", "税扱"};
        QTest::newRow("accounts and scheduled")
            << true << true << QStringList{"月間集計表", "品名", "金額", "店名", "使用者", "出金口座", "税扱", "予約"};
    }
    void tableModeColumns()
    {
        QFETCH(bool, kouza);
        QFETCH(bool, reserved);
        QFETCH(QStringList, captions);
        KouzaUseFlag = kouza;
        IncludeReservedFlag = reserved;
        TFrameDeru *p = openPage();
        QStringList got;
        for (const TToolBtnRec &r : p->columnList())
            got << r.Caption;
        QCOMPARE(got, captions);
        QCOMPARE(p->columnList()[2].Kind, uint8_t(0));
        QCOMPARE(p->columnList()[2].ViewField, u"KINGAKU"_s);
        QCOMPARE(p->MyDbGridMeisai->columnCount(), captions.size() - 1);
    }

    // The diary of the shown day is saved with the commit and read back; on a
    // locked day it is read-only and never written.
    void diaryLineAndLockedDay()
    {
        TFrameDeru *p = openPage();
        const QDate day(2026, 6, 10);
        QVERIFY(p->LoadCell(book.food, -1, false, day));
        p->Memo->setPlainText(u"晴れ"_s);
        p->Memo->document()->setModified(true);
        QVERIFY(p->LoadCell(book.food, -1, false, day.addDays(1)));
        QVERIFY(p->Memo->toPlainText().isEmpty());
        QVERIFY(p->LoadCell(book.food, -1, false, day));
        QCOMPARE(p->Memo->toPlainText(), u"晴れ"_s);

        CurLockDate = day;
        CopyLockDate(*book.dm, day); // as the lock-date dialog does
        QVERIFY(p->LoadCell(book.food, -1, false, day));
        QVERIFY(p->Memo->isReadOnly());
        p->Memo->setPlainText(u"雨"_s);
        p->Memo->document()->setModified(true);
        QVERIFY(p->CommitPage());
        Statement st(db(), u"SELECT MEMO FROM Memo WHERE RECDATE = ?"_s);
        st.bind(1, day);
        QVERIFY(st.next());
        QCOMPARE(st.textValue(0), u"晴れ"_s);
        // New lines are refused on the locked day.
        QVERIFY(MeisaiClt(*book.dm)->IsLockedRecord());
        p->GoToNextLine();
        QCOMPARE(MeisaiClt(*book.dm)->recordCount(), 0);
        QVERIFY(MeisaiClt(*book.dm)->state() != DataSetState::Insert);
        CurLockDate = QDate();
    }

    // The lines of a locked day can be walked with Down and Enter, but nothing
    // is added; Insert puts a line before the current one, and on a day whose
    // lines are all guarded it passes them over and adds nothing.
    void lockedDayWalkAndInsert()
    {
        const QDate day(2026, 6, 12);
        addLine(day, book.food, book.bank, 10);
        addLine(day, book.food, book.bank, 20);
        addLine(day, book.food, book.bank, 30);
        TFrameDeru *p = openPage();
        p->show();
        QVERIFY(p->LoadCell(book.food, -1, false, day));
        TMeisaiClientDataSet &lines = *MeisaiClt(*book.dm);
        lines.setRecNo(2);
        p->InsertLine();
        QVERIFY(lines.state() == DataSetState::Insert);
        QCOMPARE(lines.recNo(), 2);
        lines.cancel();
        QCOMPARE(lines.recordCount(), 3);
        p->CancelAllChanges(); // the insert renumbered the lines after it

        CurLockDate = day;
        CopyLockDate(*book.dm, day);
        QVERIFY(p->LoadCell(book.food, -1, false, day));
        lines.first();
        p->GoToNextLine();
        QCOMPARE(lines.recNo(), 2);
        p->GoToNextLine();
        p->GoToNextLine();   // past the last line: nothing is added
        QCOMPARE(lines.recNo(), 3);
        QCOMPARE(lines.recordCount(), 3);
        lines.first();
        p->InsertLine();
        QVERIFY(lines.state() != DataSetState::Insert);
        QCOMPARE(lines.recordCount(), 3);
        CurLockDate = QDate();
        CopyLockDate(*book.dm, QDate());
    }

    // Selected lines show their own sum under "選択の合計" (at the next idle
    // moment); with no selection the cell's sum and the tax total come back.
    void selectionTotals()
    {
        const QDate day(2026, 6, 15);
        addLine(day, book.food, book.bank, 10);
        addLine(day, book.food, book.bank, 20);
        addLine(day, book.food, book.bank, 300);
        TFrameDeru *p = openPage();
        p->show();
        QVERIFY(p->LoadCell(book.food, -1, false, day));
        QCOMPARE(p->BbLbKarigou->text(), u"330"_s);
        QVERIFY(p->BbLbZeiKarigou->isVisibleTo(p));
        p->MyDbGridMeisai->toggleRowSelected(0);
        p->MyDbGridMeisai->toggleRowSelected(2);
        QTRY_COMPARE(p->LbMeisaiGoukei->text(), u"選択の合計"_s);
        QCOMPARE(p->BbLbKarigou->text(), u"310"_s);
        QVERIFY(!p->BbLbZeiKarigou->isVisibleTo(p));
        p->MyDbGridMeisai->clearSelection();
        QTRY_COMPARE(p->LbMeisaiGoukei->text(), u"明細の合計"_s);
        QCOMPARE(p->BbLbKarigou->text(), u"330"_s);
        // Enter walks from the date to the category and on to the lines.
        p->Calender->setFocus();
        QTest::keyClick(p->Calender, Qt::Key_Return);
        QVERIFY(p->CmbHimoku->hasFocus() || QApplication::focusWidget() == p->CmbHimoku);
        QTest::keyClick(p->CmbHimoku, Qt::Key_Return);
        QVERIFY(p->MyDbGridMeisai->hasFocus());
    }

    // The jump to an entry shows its day and category with the line current;
    // an entry that is not there is said.
    void showJournalEntry()
    {
        addLine(QDate(2026, 5, 3), book.food, book.bank, 10);
        addLine(QDate(2026, 5, 3), book.food, book.bank, 20);
        const int wanted = nextDataNo;
        TFrameDeru *p = openPage();
        p->ShowJournalEntry(wanted, book.food, false, 1, 2, 0, 0, QDate(2026, 5, 3));
        QCOMPARE(p->curDate(), QDate(2026, 5, 3));
        QCOMPARE(p->curCode(), book.food);
        TMeisaiClientDataSet &lines = *MeisaiClt(*book.dm);
        QCOMPARE(lines.recordCount(), 2);
        QCOMPARE(int(lines.fieldByName(u"DATANO"_s)->asInteger()), wanted);
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"DataNo 99999 のデータが見つかりませんでした。"_s);
        p->ShowJournalEntry(99999, book.food, false, 1, 2, 0, 0, QDate(2026, 5, 4));
        QVERIFY(dialogs.done());
    }

    // The slip list's columns keep the widths the user gave them, per page.
    void slipListColumnWidths()
    {
        RegIni->WriteIntegerAndUpdate(u"FrameDeru"_s, u"ReceiptShopName"_s, 150);
        addLine(QDate(2026, 12, 5), book.food, book.bank, 500);
        db().exec(u"UPDATE Master SET STYLE = 2, RECEIPTNO = 77 WHERE DATANO = %1"_s.arg(nextDataNo));
        TFrameDeru *p = openPage();
        p->show();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 12, 31)));
        p->FrBtnReceipt->click();
        TMyDBGrid *grid = p->ReceiptList->MyDbGridReceipt;
        int shop = -1;
        for (int i = 0; i < grid->columns().size(); ++i)
            if (grid->column(i).fieldName == u"ShopName"_s)
                shop = i;
        QVERIFY(shop >= 0);
        QVERIFY(grid->columnCount() > shop);
        QCOMPARE(grid->column(shop).width, 150);
        grid->horizontalHeader()->resizeSection(shop, 90);
        QCOMPARE(RegIni->readInteger(u"FrameDeru"_s, u"ReceiptShopName"_s, -1), 90);
    }

    // A line shown from elsewhere (the month change of its slip, a jump): a
    // bill line comes up in bill entry in the month of its code, its slip current.
    void jumpToABillLine()
    {
        addLine(QDate(2026, 3, 20), book.food, book.card, 900);
        const int line = nextDataNo;
        db().exec(u"UPDATE Master SET STYLE = 3, RECEIPTNO = 88, LOOKUPNO = %1 WHERE DATANO = %2"_s
                      .arg(EncodeMonthCode(2026, 4))
                      .arg(line));
        TFrameDeru *p = openPage();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 12, 1)));
        p->JumpToLine(line);
        QCOMPARE(p->inputMode(), 3);
        QCOMPARE(p->shownYear(), 2026);
        QCOMPARE(p->shownMonth(), 4);
        QCOMPARE(p->CmbMonth->currentData().toInt(), 4);
        QCOMPARE(int(MeisaiClt(*book.dm)->fieldByName(u"DATANO"_s)->asInteger()), line);
    }

    // The month step panel: the year steps move the picker a year, the day
    // bar moves the table to another day of the period (which then loads),
    // and Up/Down on it go through the categories.
    void monthStepPanel()
    {
        const QDate day(2026, 6, 10);
        addLine(QDate(2026, 6, 20), book.food, book.bank, 70);
        book.addHimoku(u"日用品"_s, 2, 1);
        LoadHimokuCaches(db());
        TFrameDeru *p = openPage();
        p->show();
        QVERIFY(p->LoadCell(book.food, -1, false, day));
        QVERIFY(p->PnlTrackBarDate->isVisibleTo(p));
        QCOMPARE(p->TrackBarDate->minimum(), p->columnOfDate(p->periodStart()));
        QCOMPARE(p->TrackBarDate->maximum(), p->columnOfDate(p->periodEnd()));
        QCOMPARE(p->TrackBarDate->value(), p->columnOfDate(day));
        p->TrackBarDate->setValue(p->columnOfDate(QDate(2026, 6, 20)));
        QTRY_COMPARE(p->curDate(), QDate(2026, 6, 20));
        QCOMPARE(MeisaiClt(*book.dm)->recordCount(), 1);
        const int row = p->Hyou->model()->row();
        QTest::keyClick(p->TrackBarDate, Qt::Key_Up);   // not into the fixed rows
        QCOMPARE(p->Hyou->model()->row(), row);
        QTest::keyClick(p->TrackBarDate, Qt::Key_Down);
        QCOMPARE(p->Hyou->model()->row(), row + 1);
        QTest::keyClick(p->TrackBarDate, Qt::Key_Down);  // nor past the last
        QCOMPARE(p->Hyou->model()->row(), row + 1);
        QTest::keyClick(p->TrackBarDate, Qt::Key_Up);
        QCOMPARE(p->Hyou->model()->row(), row);
        p->MySpdBtnNextYear->click();
        QTRY_COMPARE(p->curDate(), QDate(2027, 6, 20));
        p->MySpdBtnPriYear->click();
        QTRY_COMPARE(p->curDate(), QDate(2026, 6, 20));
    }

    // The extra controls fold away with ＋/－ (F12 still saves), and the detail
    // panel goes under the table and stays there for the next page.
    void extraControlsAndPanelPlace()
    {
        TFrameDeru *p = openPage();
        p->show();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 6, 11)));
        QVERIFY(p->SpBtnControl->down());
        QCOMPARE(p->SpBtnControl->text(), u"－"_s);
        QTest::mouseClick(p->SpBtnControl, Qt::LeftButton);
        QCOMPARE(p->SpBtnControl->text(), u"＋"_s);
        QVERIFY(!p->PnlTrackBarDate->isVisibleTo(p));
        QVERIFY(!p->DataSetApplyUpdates1->isVisible());
        QVERIFY(!p->ActionMove->isVisible());
        TMeisaiClientDataSet &lines = *MeisaiClt(*book.dm);
        p->GoToNextLine();
        lines.fieldByName(u"KINGAKU"_s)->setAsCurrency(Currency::fromInt(55));
        lines.post();
        p->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p));
        p->MyDbGridMeisai->setFocus();
        QTest::keyClick(p->MyDbGridMeisai, Qt::Key_F12);
        QCOMPARE(lines.changeCount(), 0);
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM Master WHERE RECDATE = '2026-06-11'"_s).toInt(), 1);
        QTest::mouseClick(p->SpBtnControl, Qt::LeftButton);
        QVERIFY(p->PnlTrackBarDate->isVisibleTo(p) && p->DataSetApplyUpdates1->isVisible());

        QCOMPARE(p->Split->orientation(), Qt::Horizontal);
        p->SpBtnMeisaiPnl->click();
        QCOMPARE(p->Split->orientation(), Qt::Vertical);
        QCOMPARE(p->SpBtnMeisaiPnl->text(), u"↑"_s);
        p = openPage();
        QCOMPARE(p->Split->orientation(), Qt::Vertical);
        p->SpBtnMeisaiPnl->click();
        QCOMPARE(p->Split->orientation(), Qt::Horizontal);
    }

    // The receipt mode shows the slip list on the left; its month moves by
    // the combos and the up/down pair, one fiscal month at a time.
    void receiptModeMonths()
    {
        TFrameDeru *p = openPage();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 12, 31)));
        p->FrBtnReceipt->click();
        QCOMPARE(p->inputMode(), 2);
        QCOMPARE(p->PnLeftStack->currentWidget(), p->PnlReceipt);
        QCOMPARE(p->LbMeisaiCaption->text(), u"レシートの明細"_s);
        QVERIFY(p->CmbYear->isVisibleTo(p) && !p->Hyou->isVisibleTo(p));
        QCOMPARE(p->shownYear(), 2026);
        QCOMPARE(p->shownMonth(), 12);
        emit p->ClrUpDownGetudo->clicked(btNext);
        QCOMPARE(p->shownYear(), 2027);
        QCOMPARE(p->shownMonth(), 1);
        QCOMPARE(p->CmbYear->currentText(), u"2027"_s);
        QCOMPARE(p->CmbMonth->currentData().toInt(), 1);
        // A year that is no number leaves the month as it was.
        p->CmbYear->setEditText(u"abc"_s);
        emit p->CmbYear->lineEdit()->editingFinished();
        QCOMPARE(p->shownYear(), 2027);
        QCOMPARE(p->CmbYear->currentText(), u"2027"_s);
        // Back to the table: the cell of the shown day again.
        p->FrBtnNormal->click();
        QCOMPARE(p->inputMode(), 1);
        QCOMPARE(p->PnLeftStack->currentWidget(), static_cast<QWidget *>(p->Hyou));
    }

    // Deleting selected lines asks once; a line of another page stays.
    void deleteSelectedLines()
    {
        const QDate day(2026, 4, 7);
        addLine(day, book.food, book.bank, 10);
        addLine(day, book.food, book.bank, 20);
        addLine(day, book.food, book.bank, 30);
        db().exec(u"UPDATE Master SET ORIGIN = 3 WHERE DATANO = %1"_s.arg(nextDataNo));  // from the transfer page
        TFrameDeru *p = openPage();
        QVERIFY(p->LoadCell(book.food, -1, false, day));
        TMeisaiClientDataSet &lines = *MeisaiClt(*book.dm);
        QCOMPARE(lines.recordCount(), 3);
        // The action works from a line of this page.
        QVERIFY(lines.locate(u"KINGAKU"_s, 10));
        QVERIFY(p->DataSetDelete1->isEnabled());
        for (int row = 0; row < 3; ++row)
            p->MyDbGridMeisai->toggleRowSelected(row);
        QCOMPARE(p->MyDbGridMeisai->selectedCount(), 3);

        DialogQueue dialogs;
        dialogs.answer(mrNo, u"選択中のレコードをすべて削除してよろしいですか？"_s);
        p->DataSetDelete1->trigger();
        QCOMPARE(lines.recordCount(), 3);
        dialogs.answer(mrYes, u"選択中のレコードをすべて削除してよろしいですか？"_s);
        p->DataSetDelete1->trigger();
        QVERIFY(dialogs.done());
        QCOMPARE(lines.recordCount(), 1);
        QCOMPARE(lines.fieldByName(u"KINGAKU"_s)->asCurrency(), Currency::fromInt(30));
        QVERIFY(p->SaveJournal());
        Statement st(db(), u"SELECT COUNT(*) FROM Master WHERE RECDATE = ?"_s);
        st.bind(1, day);
        QVERIFY(st.next());
        QCOMPARE(int(st.intValue(0)), 1);
        // The cell follows the detail: only the transfer page's line is left,
        // and it is the food category's debit, so it still counts.
        QCOMPARE(p->Hyou->getValue(p->columnOfDate(day), p->rowOfCode(book.food)), Currency::fromInt(30));
    }

    // Arrows leave the editor only at its ends (or with Ctrl); with YokoMove
    // Enter goes along the row and from the last column to a new line.
    void editorArrowsAndEnterAlongTheRow()
    {
        DataIni->WriteBoolAndUpdate(u"Deru"_s, u"YokoMove"_s, true);
        TFrameDeru *p = openPage();
        p->show();   // editors open only on a shown grid
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 8, 3)));
        TMeisaiGrid *grid = p->MyDbGridMeisai;
        p->GoToNextLine();
        TMeisaiClientDataSet &lines = *MeisaiClt(*book.dm);
        QVERIFY(lines.state() == DataSetState::Insert);
        auto openEditor = [&](int col) -> QLineEdit * {
            const QModelIndex index = grid->dataModel()->index(grid->currentIndex().row(), col);
            grid->setCurrentIndex(index);
            grid->edit(index);
            return qobject_cast<QLineEdit *>(grid->inplaceEditor());
        };
        QLineEdit *editor = openEditor(0);
        QVERIFY(editor);
        editor->setText(u"abc"_s);
        editor->setCursorPosition(1);
        QTest::keyClick(editor, Qt::Key_Left);   // inside the text: only the caret
        QCOMPARE(grid->currentIndex().column(), 0);
        QCOMPARE(editor->cursorPosition(), 0);
        editor->setCursorPosition(3);
        QTest::keyClick(editor, Qt::Key_Right);  // after the last character
        QCOMPARE(grid->currentIndex().column(), 1);
        QCOMPARE(lines.fieldByName(u"HinmeiName"_s)->asString(), u"abc"_s);
        editor = openEditor(1);
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Right, Qt::ControlModifier);
        const int last = grid->columnCount() - 1;
        QCOMPARE(grid->currentIndex().column(), last);
        editor = openEditor(last);
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(grid->currentIndex().column(), 0);
        // Enter along the row, then from the last column onto a new line.
        editor = openEditor(1);
        QVERIFY(editor);
        editor->setText(u"500"_s);
        QTest::keyClick(editor, Qt::Key_Return);   // the editor closes at the next event turn
        QTRY_COMPARE(grid->currentIndex().column(), 2);
        QCOMPARE(lines.recordCount(), 1);
        grid->setCurrentIndex(grid->currentIndex().sibling(grid->currentIndex().row(), last));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Return);
        QVERIFY(lines.state() == DataSetState::Insert);
        QCOMPARE(grid->currentIndex().column(), 0);
        QCOMPARE(p->Hyou->getValue(p->columnOfDate(QDate(2026, 8, 3)), p->rowOfCode(book.food)),
                 Currency::fromInt(500));
    }

    // Japanese input per column: without CodeInput, names and the columns that
    // take a code by its name open it and amounts close it; with CodeInput the
    // grid remembers what the user last had in a text column, across columns
    // and pages, while amounts stay closed and are never remembered.
    void inputMethodPerColumnAndMemory()
    {
        TFrameDeru::LastGridImeOpen = false;
        TFrameDeru *p = openPage();
        p->show();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 8, 3)));
        TMeisaiGrid *grid = p->MyDbGridMeisai;
        p->GoToNextLine();
        auto enter = [&](const QString &caption) {
            for (int c = 0; c < grid->columnCount(); ++c)
                if (grid->column(c).caption == caption) {
                    grid->setCurrentIndex(grid->dataModel()->index(grid->currentIndex().row(), c));
                    return;
                }
            QFAIL(qPrintable(u"no column "_s + caption));
        };
        // The 半角/全角 key has no text: sent as the keyboard sends it.
        auto imeKey = [](QWidget *w) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Zenkaku_Hankaku, Qt::NoModifier);
            QApplication::sendEvent(w, &press);
        };
        const struct
        {
            const char *caption;
            bool open;
        } plain[] = {{"品名", true}, {"金額", false}, {"店名", true}, {"税扱", true}, {"金額", false}};
        for (const auto &c : plain) {
            enter(QString::fromUtf8(c.caption));
            QVERIFY2(grid->inputMethodOpen() == c.open, c.caption);
        }

        DataIni->WriteBoolAndUpdate(u"Deru"_s, u"CodeInput"_s, true);
        p->RefreshPage();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 8, 3)));
        p->GoToNextLine();
        enter(u"品名"_s);
        QVERIFY(!grid->inputMethodOpen());           // nothing remembered yet
        grid->setFocus();
        imeKey(grid);
        QVERIFY(grid->inputMethodOpen());
        QVERIFY(TFrameDeru::LastGridImeOpen);
        enter(u"金額"_s);
        QVERIFY(!grid->inputMethodOpen());
        imeKey(grid); // switched here, not remembered
        QVERIFY(grid->inputMethodOpen());
        QVERIFY(TFrameDeru::LastGridImeOpen);
        enter(u"店名"_s);
        QVERIFY(grid->inputMethodOpen());
        // In the in-place editor the key switches the editor, and is remembered.
        grid->edit(grid->currentIndex());
        QWidget *editor = grid->inplaceEditor();
        QVERIFY(editor);
        QVERIFY(editor->testAttribute(Qt::WA_InputMethodEnabled));
        imeKey(editor);
        QVERIFY(!editor->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(!TFrameDeru::LastGridImeOpen);
        TFrameDeru::LastGridImeOpen = true;
        // Another page of the run restores the shared state.
        page.reset();
        p = openPage();
        p->show();
        QVERIFY(p->LoadCell(book.food, -1, false, QDate(2026, 8, 3)));
        p->GoToNextLine();
        grid = p->MyDbGridMeisai;
        enter(u"品名"_s);
        QVERIFY(grid->inputMethodOpen());
        TFrameDeru::LastGridImeOpen = false;
    }

    // Move mode: the date and category columns appear, table clicks are
    // refused, and the save moves the line to its new cell and ends the mode.
    void moveModeMovesALine()
    {
        const QDate from(2026, 9, 4), to(2026, 9, 20);
        addLine(from, book.food, book.bank, 700);
        TFrameDeru *p = openPage();
        QVERIFY(p->LoadCell(book.food, -1, false, from));
        QVERIFY(p->ActionMove->isEnabled());
        p->ActionMove->trigger();
        QStringList captions;
        for (const TToolBtnRec &r : p->columnList())
            captions << r.Caption;
        QCOMPARE(captions.mid(0, 3), (QStringList{u"月間集計表"_s, u"日付"_s, u"費目"_s}));

        DialogQueue dialogs;
        dialogs.answer(mrOk, u"移動モードです。"_s);
        p->Hyou->model()->chooseCell(p->columnOfDate(to), p->rowOfCode(book.food));
        QVERIFY(dialogs.done());
        QCOMPARE(p->curDate(), from);

        TMeisaiClientDataSet &lines = *MeisaiClt(*book.dm);
        lines.edit();
        lines.fieldByName(u"RECDATE"_s)->setAsDate(to);
        lines.post();
        QVERIFY(p->SaveJournal());
        QVERIFY(!p->ActionMove->isChecked());
        QCOMPARE(p->columnList()[1].Caption, u"品名"_s);
        const int row = p->rowOfCode(book.food);
        QCOMPARE(p->Hyou->getValue(p->columnOfDate(from), row), Currency());
        QCOMPARE(p->Hyou->getValue(p->columnOfDate(to), row), Currency::fromInt(700));
        QCOMPARE(p->Hyou->getValue(1, row), Currency::fromInt(700));
    }

    // The bill mode needs a credit-card account (class クレジット) among the
    // visible accounts; a loan, whose account kind shares no code with it, does
    // not count. Without one the page stays in its mode.
    void billModeNeedsCreditAccount_data()
    {
        QTest::addColumn<bool>("cardVisible");
        QTest::addColumn<bool>("withLoan");
        QTest::newRow("credit card") << true << false;
        QTest::newRow("no card") << false << false;
        QTest::newRow("only a loan") << false << true;
    }
    void billModeNeedsCreditAccount()
    {
        QFETCH(bool, cardVisible);
        QFETCH(bool, withLoan);
        if (withLoan)
            book.addHimoku(u"ローンA"_s, 11, 0);
        if (!cardVisible)
            db().exec(u"UPDATE Himoku SET VISIBLE = 0 WHERE CODE = %1"_s.arg(book.card));
        LoadHimokuCaches(db());
        TFrameDeru *p = openPage();
        DialogQueue dialogs;
        if (!cardVisible)
            dialogs.answer(mrOk, u"口座費目の中にクレジットはありません。"_s);
        p->FrBtnCredit->click();
        QVERIFY(dialogs.done());
        QCOMPARE(p->inputMode(), cardVisible ? 3 : 1);
        QCOMPARE(p->FrBtnNormal->down(), !cardVisible);
        QCOMPARE(p->FrBtnCredit->down(), cardVisible);
    }
};

QTEST_MAIN(TestFrameDeru)
#include "tst_framederu.moc"
