#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "DialogQueue.h"
#include "JournalPageDriver.h"
#include "controls/BevelLabel.h"
#include "controls/ColorUpDown.h"
#include "controls/FrameBtn.h"
#include "data/HimokuCache.h"
#include "main/FormMemoSearch.h"
#include "main/FrameMemoList.h"
#include "main/MemoPanelGrid.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "platform/ui/Application.h"

using namespace Qt::StringLiterals;

// The diary page and its search as a user meets them: the program started on
// a book from the template, the page picked from the main window, days typed
// into the day memo and written when another day is chosen, locked days, the
// views, and the search window listing and jumping to days.
class TestDiary : public QObject, private JournalPageDriver
{
    Q_OBJECT

    TFrameMemoList *openDiary()
    {
        if (!start())
            return nullptr;
        if (!window->SelectPage(pgNikki))
            return nullptr;
        return qobject_cast<TFrameMemoList *>(window->frameOf(pgNikki));
    }

    QString stored(const QDate &date)
    {
        return DatMod->MainDatabase.scalar(u"SELECT MEMO FROM Memo WHERE RECDATE = ?"_s,
                                           {date.toString(Qt::ISODate)}).toString();
    }
    int storedRows() { return DatMod->MainDatabase.scalar(u"SELECT COUNT(*) FROM Memo"_s).toInt(); }

    void addDay(const QDate &date, const QString &text)
    {
        // Through the table, so the row is numbered by the book's counter.
        Table &t = *DatMod->MemoTbl;
        t.append();
        t.fieldByName(u"RECDATE"_s)->setAsDate(date);
        t.fieldByName(u"MEMO"_s)->setAsString(text);
        t.post();
    }

    static void type(QPlainTextEdit *memo, const QString &text)
    {
        memo->setFocus();
        memo->moveCursor(QTextCursor::End);
        memo->insertPlainText(text);   // committed by the input method
    }

private slots:
    void init() { makeBook(); }
    void cleanup() { dropWorld(); }

    // Typing into a day and choosing another writes it; typing into an
    // empty day makes its row; clearing a day's text deletes the row.
    void editSaveAndDelete()
    {
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        QCOMPARE(page->view(), TFrameMemoList::mvMonth);
        const QDate day(2026, 3, 10);
        page->ShowDate(day);
        QCOMPARE(page->LbYearMonth->text(), u"2026年 3月"_s);
        QCOMPARE(page->currentDate(), day);
        const int before = storedRows();
        type(page->DBMemo1, u"晴れ。散歩した。"_s);
        // Another day by clicking its panel.
        const int next = page->currentRow() + 1;
        QTest::mouseClick(page->DBCtrlGrid1, Qt::LeftButton, {}, page->DBCtrlGrid1->panelRect(next).center());
        QCOMPARE(page->currentDate(), day.addDays(1));
        QCOMPARE(stored(day), u"晴れ。散歩した。"_s);
        QCOMPARE(storedRows(), before + 1);
        QVERIFY(DatMod->DataChanged);
        // Back with Left at the start of an empty text: the caret at the end.
        QTest::keyClick(page->DBMemo1, Qt::Key_Left);
        QCOMPARE(page->currentDate(), day);
        QCOMPARE(page->DBMemo1->toPlainText(), u"晴れ。散歩した。"_s);
        QCOMPARE(page->DBMemo1->textCursor().position(), 8);
        // Clearing the text and leaving the page deletes the row.
        page->DBMemo1->selectAll();
        page->DBMemo1->textCursor().removeSelectedText();
        QVERIFY(window->SelectPage(pgDeru));
        QCOMPARE(storedRows(), before);
        // Closing the program in the middle of typing keeps what was typed.
        QVERIFY(window->SelectPage(pgNikki));
        page->ShowDate(day);
        type(page->DBMemo1, u"閉じる前に"_s);
        stop();
        Database db;
        db.open(folder + u"/PomuZenitData.db"_s);
        QCOMPARE(db.scalar(u"SELECT MEMO FROM Memo WHERE RECDATE = ?"_s, {day.toString(Qt::ISODate)}).toString(),
                 u"閉じる前に"_s);
    }

    // The three views: grid shape, caption and range.
    void views_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("cols");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("caption");

        QTest::newRow("Feb 2015 starts on Sunday") << QDate(2015, 2, 10) << 0 << 7 << 4 << u"2015年 2月"_s;
        QTest::newRow("31 days from Saturday") << QDate(2016, 10, 5) << 0 << 7 << 6 << u"2016年 10月"_s;
        QTest::newRow("week across months") << QDate(2002, 5, 1) << 1 << 1 << 7 << u"2002年 4～5月"_s;
        QTest::newRow("week in a month") << QDate(2002, 5, 15) << 1 << 1 << 7 << u"2002年 5月"_s;
        QTest::newRow("day") << QDate(2002, 5, 15) << 2 << 1 << 1 << u"2002年 5月"_s;
    }

    void views()
    {
        QFETCH(QDate, date);
        QFETCH(int, view);
        QFETCH(int, cols);
        QFETCH(int, rows);
        QFETCH(QString, caption);
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        page->ShowDate(date);
        TFrameBtn *buttons[] = {page->FrBtnAMonth, page->FrBtnAWeek, page->FrBtnADay};
        buttons[view]->Click();
        QCOMPARE(int(page->view()), view);
        QCOMPARE(page->DBCtrlGrid1->colCount(), cols);
        QCOMPARE(page->DBCtrlGrid1->rowCount(), rows);
        QCOMPARE(page->LbYearMonth->text(), caption);
        QCOMPARE(page->currentDate(), date);
        // Typing and saving works in each view.
        type(page->DBMemo1, u"メモ"_s);
        page->UpDown1Click(true);
        QCOMPARE(stored(date), u"メモ"_s);
    }

    // Arrow keys at the edge of the text, or with Ctrl alone, move the day:
    // sideways one day, up and down a week in month view and a day otherwise.
    void memoKeys_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("caret");     // where the caret stands before the key
        QTest::addColumn<int>("days");      // the day moved by
        QTest::addColumn<bool>("atEnd");    // the caret at the end of the new day's text

        const int none = int(Qt::NoModifier), ctrl = int(Qt::ControlModifier);
        const int shiftCtrl = int(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::newRow("left at start") << 0 << int(Qt::Key_Left) << none << 0 << -1 << true;
        QTest::newRow("left inside") << 0 << int(Qt::Key_Left) << none << 3 << 0 << false;
        QTest::newRow("ctrl left inside") << 0 << int(Qt::Key_Left) << ctrl << 3 << -1 << false;
        QTest::newRow("shift ctrl left") << 0 << int(Qt::Key_Left) << shiftCtrl << 3 << 0 << false;
        QTest::newRow("right at end") << 0 << int(Qt::Key_Right) << none << 7 << 1 << false;
        QTest::newRow("right inside") << 0 << int(Qt::Key_Right) << none << 2 << 0 << false;
        QTest::newRow("up on first line, month") << 0 << int(Qt::Key_Up) << none << 1 << -7 << true;
        QTest::newRow("up on second line") << 0 << int(Qt::Key_Up) << none << 6 << 0 << false;
        QTest::newRow("up on first line, week") << 1 << int(Qt::Key_Up) << none << 1 << -1 << true;
        QTest::newRow("down on last line, month") << 0 << int(Qt::Key_Down) << none << 6 << 7 << false;
        QTest::newRow("ctrl down on first line, day") << 2 << int(Qt::Key_Down) << ctrl << 1 << 1 << false;
    }

    void memoKeys()
    {
        QFETCH(int, view);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, caret);
        QFETCH(int, days);
        QFETCH(bool, atEnd);
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        const QDate day(2026, 7, 15);
        if (days != 0)
            addDay(day.addDays(days), u"その日の日記"_s);
        page->SetView(TFrameMemoList::TMemoView(view));
        page->ShowDate(day);
        type(page->DBMemo1, u"一行目\n二行目"_s);
        QTextCursor c = page->DBMemo1->textCursor();
        c.setPosition(caret);
        page->DBMemo1->setTextCursor(c);
        QTest::keyClick(page->DBMemo1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(page->currentDate(), day.addDays(days));
        if (days != 0) {
            QCOMPARE(stored(day), u"一行目\n二行目"_s);
            QCOMPARE(page->DBMemo1->toPlainText(), u"その日の日記"_s);
            QCOMPARE(page->DBMemo1->textCursor().position(), atEnd ? 6 : 0);
        }
    }

    // The memo's font: the first showing writes the defaults into the
    // per-user store, a chosen font is kept there and taken by the next page.
    void memoFont()
    {
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        QVERIFY(!RegIni->readString(u"FrameMemoList"_s, u"FontName"_s, QString()).isEmpty());
        QFont f = page->DBMemo1->font();
        f.setPointSize(17);
        page->ApplyMemoFont(f, Qt::darkGreen, true);
        TFrameMemoList second;
        second.InitPage();
        QCOMPARE(second.DBMemo1->font().pointSize(), 17);
        QCOMPARE(second.DBMemo1->palette().color(QPalette::Text), QColor(Qt::darkGreen));
    }

    // In month view a day of the neighbouring month is silver and can be
    // edited; previous on it shows its own month and keeps the day.
    void neighbourDays()
    {
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        page->ShowDate(QDate(2026, 4, 15));
        const QDate march31(2026, 3, 31);   // in the first week of April's grid
        QCOMPARE(page->MemoClt().first().RECDATE, QDate(2026, 3, 29));
        QColor text, back;
        TMemoPanelGrid::DayColors(march31, TMemoPanelGrid::vMonth, 4, text, back);
        QCOMPARE(text, QColor(0xC0, 0xC0, 0xC0));
        QTest::mouseClick(page->DBCtrlGrid1, Qt::LeftButton, {}, page->DBCtrlGrid1->panelRect(2).center());
        QCOMPARE(page->currentDate(), march31);
        QVERIFY(!page->DBMemo1->isReadOnly());
        page->UpDown1Click(false);
        QCOMPARE(page->currentDate(), march31);
        QCOMPARE(page->LbYearMonth->text(), u"2026年 3月"_s);
        page->UpDown1Click(false);
        QCOMPARE(page->currentDate(), QDate(2026, 2, 28));
    }

    // An impossible date typed into the day box is refused with its message
    // and the shown day stays; a real date typed is shown.
    void impossibleDateKeepsTheDay()
    {
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        const QDate day(2026, 2, 10);
        page->ShowDate(day);
        DialogQueue dialogs;
        QDateEdit *edit = page->DTPicker;
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClicks(edit, u"2026/02/30"_s);
        dialogs.answer(mrOk, u"無効な日付です。"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(dialogs.done());
        QCOMPARE(page->currentDate(), day);
        QCOMPARE(edit->date(), day);
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClicks(edit, u"2026/02/27"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE(page->currentDate(), QDate(2026, 2, 27));
        QVERIFY(dialogs.done());
    }

    // Weekend and holiday colours: a Saturday holiday is red, Sunday stays red.
    void dayColours()
    {
        QVERIFY(openDiary());
        QColor text, back;
        TMemoPanelGrid::DayColors(QDate(2026, 5, 9), TMemoPanelGrid::vWeek, 5, text, back);   // Saturday
        QCOMPARE(text, QColor(Qt::blue));
        QVERIFY(IsHoliday(QDate(2026, 1, 1)));
        TMemoPanelGrid::DayColors(QDate(2026, 1, 1), TMemoPanelGrid::vWeek, 1, text, back);   // Thursday, 元日
        QCOMPARE(text, QColor(Qt::red));
        AddHoliday(u"テスト休日"_s, QDate(2026, 5, 9));
        TMemoPanelGrid::DayColors(QDate(2026, 5, 9), TMemoPanelGrid::vWeek, 5, text, back);
        QCOMPARE(text, QColor(Qt::red));
        TMemoPanelGrid::DayColors(QDate(2026, 5, 10), TMemoPanelGrid::vMonth, 5, text, back); // Sunday
        QCOMPARE(text, QColor(Qt::red));
        QCOMPARE(back, QColor(0xFF, 0xE6, 0xE6));
    }

    // A day on or before the lock date is read-only, 開く is off there, and a
    // file cannot be loaded into it; the day after is editable.
    void lockedDay()
    {
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        addDay(QDate(2026, 6, 10), u"元の日記"_s);
        CurLockDate = QDate(2026, 6, 10);
        page->RefreshPage();
        page->ShowDate(QDate(2026, 6, 10));
        QVERIFY(page->DBMemo1->isReadOnly());
        QVERIFY(!page->FileOpen1->isEnabled());
        QTemporaryDir dir;
        const QString path = dir.filePath(u"日記.txt"_s);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"ロックされた日付のデータは入力できません。"_s);
        QVERIFY(!page->OpenFile(path));
        QVERIFY(dialogs.done());
        page->ShowDate(QDate(2026, 6, 11));
        QVERIFY(!page->DBMemo1->isReadOnly());
        QVERIFY(page->FileOpen1->isEnabled());
        QCOMPARE(stored(QDate(2026, 6, 10)), u"元の日記"_s);
        // A file loaded into an open day is saved like typing, and a day is written out.
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(u"ファイルから\n二行目"_s.toUtf8());
        }
        QVERIFY(page->OpenFile(path));
        page->ShowDate(QDate(2026, 6, 12));
        QCOMPARE(stored(QDate(2026, 6, 11)), u"ファイルから\n二行目"_s);
        page->ShowDate(QDate(2026, 6, 11));
        const QString out = dir.filePath(u"out.txt"_s);
        QVERIFY(page->SaveFileAs(out));
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), u"ファイルから\n二行目"_s);
        // The lock date moving over a day while it is being typed: the save
        // refuses it, says why and puts back what is stored.
        page->ShowDate(QDate(2026, 6, 20));
        type(page->DBMemo1, u"ロック前の入力"_s);
        CurLockDate = QDate(2026, 6, 30);
        dialogs.answer(mrOk, u"ロックされた日付のデータは入力できません。"_s);
        page->ShowDate(QDate(2026, 7, 1));
        QVERIFY(dialogs.done());
        QCOMPARE(page->currentDate(), QDate(2026, 7, 1));
        QCOMPARE(stored(QDate(2026, 6, 20)), QString());
        page->ShowDate(QDate(2026, 6, 20));
        QCOMPARE(page->DBMemo1->toPlainText(), QString());
        QVERIFY(page->DBMemo1->isReadOnly());
        CurLockDate = QDate();
    }

    // Closing the program while a day's text cannot be written: the reason
    // is shown before the question whether to close anyway, and on No the
    // text is still in the day's editor and is written once the book takes it.
    void refusedWriteAtClose()
    {
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        const QDate day(2026, 4, 7);
        page->ShowDate(day);
        type(page->DBMemo1, u"閉じる前の日記"_s);
        DatMod->MainDatabase.exec(u"CREATE TRIGGER refuse_memo BEFORE INSERT ON Memo "
                                  "BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"日記を保存できませんでした。"_s).answer(mrNo, TMainForm::ForceCloseText);
            QVERIFY(!window->close());
            QVERIFY(dialogs.done());
        }
        QVERIFY(window->isVisible());
        QCOMPARE(page->currentDate(), day);
        QCOMPARE(page->DBMemo1->toPlainText(), u"閉じる前の日記"_s);
        QCOMPARE(stored(day), QString());
        // Another view is refused the same way: the month stays, and so does its button.
        {
            DialogQueue dialogs;
            dialogs.errorBox(u"日記を保存できませんでした。"_s);
            QTest::mouseClick(page->FrBtnAWeek, Qt::LeftButton);
            QVERIFY(dialogs.done());
        }
        QCOMPARE(page->view(), TFrameMemoList::mvMonth);
        QVERIFY(page->FrBtnAMonth->down());
        QVERIFY(!page->FrBtnAWeek->down());
        QCOMPARE(page->DBMemo1->toPlainText(), u"閉じる前の日記"_s);
        // So is another day, in this month or the next: the picker keeps naming
        // the day whose text is in the editor.
        // The arrow key at the end of the text (the next day) and the step
        // button (the next month).
        for (bool nextMonth : {false, true}) {
            DialogQueue dialogs;
            dialogs.errorBox(u"日記を保存できませんでした。"_s);
            if (nextMonth) {
                QWidget *next = page->UpDown1->childAt(page->UpDown1->width() * 3 / 4, page->UpDown1->height() / 2);
                QVERIFY(next);
                QTest::mouseClick(next, Qt::LeftButton);
            } else {
                page->DBMemo1->moveCursor(QTextCursor::End);
                QTest::keyClick(page->DBMemo1, Qt::Key_Right);
            }
            QVERIFY(dialogs.done());
            QCOMPARE(page->currentDate(), day);
            QCOMPARE(page->DTPicker->date(), day);
            QCOMPARE(page->LbYearMonth->text(), u"2026年 4月"_s);
        }
        DatMod->MainDatabase.exec(u"DROP TRIGGER refuse_memo"_s);
        QVERIFY(page->CommitForClose());
        QCOMPARE(stored(day), u"閉じる前の日記"_s);
    }

    // A search the book refuses to read says so in Japanese, and the list
    // keeps what it showed.
    void refusedSearchIsExplained()
    {
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        addDay(QDate(2025, 8, 1), u"abc"_s);
        page->FrSearch->Click();
        TFormMemoSearch *s = page->searchWindow();
        QVERIFY(s);
        QTest::mouseClick(s->FrBtnPrePayed, Qt::LeftButton);
        QCOMPARE(s->MyDbGridMeisai->rowCount(), 1);
        DatMod->MainDatabase.exec(u"ALTER TABLE Memo RENAME TO Memo_gone"_s);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"日記を検索できませんでした。"_s);
            s->EditSearch->setText(u"abc"_s);
            QTest::mouseClick(s->FrBtnPrePayed, Qt::LeftButton);
            QVERIFY(dialogs.done());
        }
        QCOMPARE(s->MyDbGridMeisai->rowCount(), 1);
        DatMod->MainDatabase.exec(u"ALTER TABLE Memo_gone RENAME TO Memo"_s);
    }

    // The search: plain and fuzzy, newest first, the jump selects the match
    // in the day's editor; leaving the page closes the window.
    void search()
    {
        TFrameMemoList *page = openDiary();
        QVERIFY(page);
        addDay(QDate(2025, 4, 1), u"朝から\r\nがっこうへ行った。"_s);
        addDay(QDate(2025, 5, 1), u"ｶﾞｯｺｳの行事"_s);
        addDay(QDate(2025, 6, 1), u"かっこうが鳴いた"_s);
        addDay(QDate(2025, 7, 1), u"すごいｰ (1.5)"_s);
        addDay(QDate(2025, 8, 1), u"abc"_s);
        page->FrSearch->Click();
        TFormMemoSearch *s = page->searchWindow();
        QVERIFY(s);
        QVERIFY(s->isVisible());
        QCOMPARE(s->windowTitle(), u"日記検索"_s);

        auto dates = [s] {
            QList<QDate> out;
            for (const auto &h : s->hits())
                out << h.RECDATE;
            return out;
        };
        // Empty text: every day, newest first.
        s->Search();
        QCOMPARE(dates(), (QList<QDate>{QDate(2025, 8, 1), QDate(2025, 7, 1), QDate(2025, 6, 1), QDate(2025, 5, 1),
                                        QDate(2025, 4, 1)}));
        // Plain: exact only; Enter runs the search (once, swallowed).
        s->EditSearch->setText(u"ガッコウ"_s);
        QTest::keyClick(s->EditSearch, Qt::Key_Return);
        QTRY_COMPARE(s->MyDbGridMeisai->rowCount(), 0);
        s->ChkBoxFuzzy->setChecked(true);
        s->Search();
        QCOMPARE(dates(), (QList<QDate>{QDate(2025, 5, 1), QDate(2025, 4, 1)}));
        QCOMPARE(s->MyDbGridMeisai->rowCount(), 2);
        // The jump shows the day (another month) and selects the match in its line.
        page->ShowDate(QDate(2024, 1, 1));
        QTest::mouseClick(s->MyDbGridMeisai->viewport(), Qt::LeftButton, {},
                          s->MyDbGridMeisai->visualRect(s->MyDbGridMeisai->model()->index(1, 1)).center());
        QCOMPARE(page->currentDate(), QDate(2025, 4, 1));
        QCOMPARE(page->DBMemo1->textCursor().selectedText(), u"がっこう"_s);
        // A long-vowel mark alone finds only the day that has one.
        s->EditSearch->setText(u"ー"_s);
        s->Search();
        QCOMPARE(dates(), QList<QDate>{QDate(2025, 7, 1)});
        s->Jump(0);
        QCOMPARE(page->DBMemo1->textCursor().selectedText(), u"ｰ"_s);
        // Pattern characters are taken literally in both modes.
        for (bool fuzzy : {false, true}) {
            s->ChkBoxFuzzy->setChecked(fuzzy);
            s->EditSearch->setText(u"(1.5)"_s);
            s->Search();
            QCOMPARE(dates(), QList<QDate>{QDate(2025, 7, 1)});
            s->EditSearch->setText(u"a.c"_s);
            s->Search();
            QCOMPARE(dates(), QList<QDate>{});
        }
        // Plain does not find full-width for ASCII; fuzzy does.
        addDay(QDate(2025, 9, 1), u"ａｂｃ"_s);
        s->EditSearch->setText(u"abc"_s);
        s->ChkBoxFuzzy->setChecked(false);
        s->Search();
        QCOMPARE(dates(), QList<QDate>{QDate(2025, 8, 1)});
        s->ChkBoxFuzzy->setChecked(true);
        s->Search();
        QCOMPARE(dates(), (QList<QDate>{QDate(2025, 9, 1), QDate(2025, 8, 1)}));
        // Leaving the page closes the search window.
        QPointer<TFormMemoSearch> guard(s);
        QVERIFY(window->SelectPage(pgDeru));
        QTRY_VERIFY(!guard);
    }

    void previewIsCutByCharacters()
    {
        const QString face = u"😀"_s;   // two code units
        QString text = u"  "_s + QString(252, u'あ') + face + u"tail"_s;
        // The cut at 255 would fall between the pair: the pair goes whole.
        const QString preview = TFormMemoSearch::PreviewText(text);
        QCOMPARE(preview, QString(252, u'あ'));
        QCOMPARE(TFormMemoSearch::PreviewText(u"\r\n 日記\t\r\n"_s), u"日記"_s);
        QString exact = QString(253, u'い') + face;
        QCOMPARE(TFormMemoSearch::PreviewText(exact), exact);
    }
};

// The program's own application object, so that an error escaping a button's
// handler is shown as the program shows it.
int main(int argc, char *argv[])
{
    Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestDiary test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_diary.moc"
