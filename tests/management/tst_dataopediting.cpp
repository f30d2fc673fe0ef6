#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextCursor>
#include <QToolButton>
#include <QtTest>

#include "BookFixture.h"
#include "DataOpFixture.h"
#include "DialogQueue.h"
#include "TestEnv.h"
#include "controls/MyDBNavigator.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "data/RecordNumbers.h"
#include "data/Vocabulary.h"
#include "management/DataOpListPage.h"
#include "management/DataOpJournalPage.h"
#include "management/DataOpSqlPage.h"
#include "management/FormDataOperation.h"
#include "platform/db/Database.h"
#include "platform/system/ShiftJis.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

namespace {

// Categories of the shipped template.
constexpr int Food = 107;
constexpr int Goods = 108;

const QString kBadCode = u"不正なコードです。"_s;

} // namespace

// Editing in the grids of the data operations: choice-list rows, a live SQL
// result, and the SQL memo's files, on books made from the shipped template.
class TestDataOpEditing : public QObject, public DataOpPlace
{
    Q_OBJECT

    int scalar(const QString &text, const QVariantList &params = {}) { return db().scalar(text, params).toInt(); }
    QString choice(int no)
    {
        Statement st(db(), u"SELECT HIMOKUCODE, OYACODE, KOCODE, VISIBLE FROM HinmeiList WHERE DATANO = ?"_s);
        st.bind(1, no);
        if (!st.next())
            return u"none"_s;
        return u"%1/%2/%3/%4"_s.arg(st.intValue(0)).arg(st.intValue(1)).arg(st.intValue(2)).arg(st.intValue(3));
    }
    QString journal()
    {
        QStringList out;
        Statement st(db(), u"SELECT DATANO, KINGAKU, RECDATE, KARICODE FROM Master WHERE DATANO > 0 ORDER BY DATANO"_s);
        while (st.next())
            out << u"%1:%2:%3:%4"_s.arg(st.textValue(0), st.textValue(1), st.textValue(2), st.textValue(3));
        return out.join(u' ');
    }
    void exec(const QString &text, const QVariantList &params = {})
    {
        Statement st(db(), text);
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params.at(i));
        st.exec();
    }
    // Two items and one choice row: 食費 > 穀物 > 米, shown.
    TDataOpListPage &choicePage()
    {
        exec(u"INSERT INTO HinmeiMast (CODE, NAME) VALUES (101, '米'), (104, '穀物')"_s);
        exec(u"INSERT INTO HinmeiList (DATANO, HIMOKUCODE, OYACODE, KOCODE, VISIBLE) VALUES (1, ?, 104, 101, 1)"_s,
             {Food});
        RecordNumbers::SetDataNo(db(), u"HinmeiList.db"_s, 5);
        form->ShowOperationPage(form->FrBtnHinmeiList);
        return *form->TabSelectList;
    }
    // The SQL page after its warning, with two journal lines.
    TDataOpSqlPage &sqlPage()
    {
        exec(u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, RESERVED) VALUES "
             "(1, 1, '2026-01-05', 100.0, 1, ?, 100, 0), (2, 1, '2026-01-06', 200.0, 1, ?, 100, 0)"_s,
             {Food, Goods});
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"このページでは直接SQL文を発行して高度な操作を行います。"_s);
        form->ShowOperationPage(form->FrBtnSQL);
        return *form->TabSQL;
    }

private slots:
    void init()
    {
        QVERIFY(openDataOpBook());
        openDataOpForm();
    }
    void cleanup()
    {
        HoliDayList.clear();
        closeDataOpBook();
    }

    // A typed cell of a choice row is written at once when its code is one
    // the lists offer, and refused with nothing written otherwise.
    void choiceCells_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        const QString food = u"107/104/101/1"_s;
        QTest::newRow("category") << 1 << u"108"_s << u"108/104/101/1"_s << u"日用品"_s << false;
        QTest::newRow("parent") << 3 << u"101"_s << u"107/101/101/1"_s << u"米"_s << false;
        QTest::newRow("child to none") << 5 << u"0"_s << u"107/104/0/1"_s << QString() << false;
        QTest::newRow("hidden") << 7 << u"×"_s << u"107/104/101/0"_s << u"×"_s << false;
        QTest::newRow("letters as category") << 1 << u"abc"_s << food << u"食費"_s << true;
        QTest::newRow("system category") << 1 << u"1"_s << food << u"食費"_s << true;
        QTest::newRow("item not registered") << 3 << u"999"_s << food << u"穀物"_s << true;
        QTest::newRow("empty child") << 5 << u""_s << food << u"米"_s << true;
        QTest::newRow("other text as shown") << 7 << u"はい"_s << food << u"○"_s << false;
    }
    void choiceCells()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, name);
        QFETCH(bool, refused);
        TDataOpListPage &p = choicePage();
        QCOMPARE(p.Rows().size(), 1);
        DialogQueue dialogs;
        if (refused)
            dialogs.answer(mrOk, kBadCode);
        p.Model->item(0, column)->setText(typed);
        QVERIFY(dialogs.done());
        QCOMPARE(choice(1), stored);
        QCOMPARE(p.Model->item(0, column == 7 ? 7 : column + 1)->text(), name);
        QCOMPARE(dm->DataChanged, !refused && stored != u"107/104/101/1"_s);
    }

    // A name chosen from a cell's list writes the code beside it; a page
    // switch with the list still open keeps the choice.
    void choiceNameFromList()
    {
        TDataOpListPage &p = choicePage();
        const QModelIndex cell = p.Model->index(0, 4);
        p.DBGridList->setCurrentIndex(cell);
        p.DBGridList->edit(cell);
        auto *combo = qobject_cast<QComboBox *>(p.DBGridList->indexWidget(cell));
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), u"104: 穀物"_s);
        const int rice = combo->findText(u"101: 米"_s);
        QVERIFY(rice >= 0);
        combo->setCurrentIndex(rice);
        form->ShowOperationPage(form->FrBtnShopList);
        QCOMPARE(choice(1), u"107/101/101/1"_s);
    }

    // "追加" makes a row that is written only when posted, numbered then in
    // the same transaction; one without its category and item is refused, and
    // is dropped with a word when the page closes; "取消" and "削除" write as
    // they say.
    void newChoiceRow()
    {
        TDataOpListPage &p = choicePage();
        DialogQueue dialogs;
        p.BtnInsert->click();
        QVERIFY(p.HasNewRow());
        QCOMPARE(p.Model->rowCount(), 2);
        QCOMPARE(p.Model->item(1, 7)->text(), u"○"_s);
        p.Model->item(1, 1)->setText(QString::number(Goods));
        p.Model->item(1, 3)->setText(u"104"_s);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList"_s), 1);
        QVERIFY(p.PostNewRow());
        QCOMPARE(choice(6), u"108/104/0/1"_s);
        QCOMPARE(RecordNumbers::GetNewDataNo(db(), u"HinmeiList.db"_s), 7);
        QCOMPARE(p.Rows().size(), 2);

        // Without its item: refused, kept for the user to finish or cancel.
        p.BtnInsert->click();
        p.Model->item(2, 1)->setText(QString::number(Food));
        dialogs.answer(mrOk, u"費目コードと親コードを入力してください。"_s);
        p.BtnPost->click();
        QVERIFY(p.HasNewRow());
        p.BtnCancel->click();
        QVERIFY(!p.HasNewRow());
        QCOMPARE(p.Model->rowCount(), 2);

        // Closing the page mid-edit: a finished row is written (the open
        // editor's text included), an unfinished one is dropped and told.
        p.BtnInsert->click();
        p.Model->item(2, 1)->setText(QString::number(Food));
        const QModelIndex parent = p.Model->index(2, 3);
        p.DBGridList->setCurrentIndex(parent);
        p.DBGridList->edit(parent);
        auto *editor = qobject_cast<QLineEdit *>(p.DBGridList->indexWidget(parent));
        QVERIFY(editor);
        editor->setText(u"101"_s);
        form->ShowOperationPage(form->FrBtnHinmeiList);
        QCOMPARE(choice(8), u"107/101/0/1"_s);
        p.BtnInsert->click();
        dialogs.answer(mrOk, u"追加した行は登録しませんでした。"_s);
        form->close();
        QVERIFY(dialogs.done());
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList"_s), 3);

        form->ShowOperationPage(form->FrBtnHinmeiList);
        int first = 0;
        while (first < p.Rows().size() && p.Rows().at(first).dataNo != 1)
            ++first;
        QVERIFY(first < p.Rows().size());
        p.DBGridList->setCurrentIndex(p.Model->index(first, 0));
        p.BtnDelete->click();
        QVERIFY(dialogs.done());
        QCOMPARE(choice(1), u"none"_s);
        QCOMPARE(p.Rows().size(), 2);
    }

    // Only a result of one table showing its key is editable, and only when
    // asked for.
    void liveResultOnlyForOneTable_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<bool>("live");
        QTest::addColumn<bool>("editable");
        QTest::newRow("one table") << u"SELECT * FROM \"Master.DB\""_s << true << true;
        QTest::newRow("not asked") << u"SELECT * FROM \"Master.DB\""_s << false << false;
        QTest::newRow("without its key") << u"SELECT KINGAKU FROM Master"_s << true << false;
        QTest::newRow("an expression") << u"SELECT DATANO, KINGAKU * 2 FROM Master"_s << true << false;
        QTest::newRow("a join") << u"SELECT M.DATANO, H.NAME FROM Master M, Himoku H WHERE H.CODE = M.KARICODE"_s
                                << true << false;
        QTest::newRow("a table without key") << u"SELECT * FROM AutoInc"_s << true << false;
    }
    void liveResultOnlyForOneTable()
    {
        QFETCH(QString, statement);
        QFETCH(bool, live);
        QFETCH(bool, editable);
        TDataOpSqlPage &p = sqlPage();
        p.ChkBoxRequestLive->setChecked(live);
        p.MemoSQL->setPlainText(statement);
        QVERIFY(p.RunWithResult());
        QCOMPARE(p.CanModify(), editable);
        QCOMPARE(p.BvlCanEditSQL->text(), editable ? u"編集可能"_s : u"編集不可"_s);
        QCOMPARE(p.MyDBGridSql->editTriggers() != QAbstractItemView::NoEditTriggers, editable);
        // The navigator moves through any result; it edits and deletes only
        // where the grid may.
        TMyDBNavigator *nav = p.MyDBNavigator2;
        QVERIFY(!nav->BtnFirst->isEnabled());
        QVERIFY(nav->BtnLast->isEnabled());
        QCOMPARE(nav->BtnEdit->isEnabled(), editable);
        QCOMPARE(nav->BtnDelete->isEnabled(), editable);
        QVERIFY(!nav->BtnPost->isEnabled());
        QVERIFY(!nav->BtnCancel->isEnabled());
        nav->BtnLast->click();
        QCOMPARE(p.MyDBGridSql->currentIndex().row(), p.Model->rowCount() - 1);
        QVERIFY(!nav->BtnNext->isEnabled());
        p.MemoSQL->setPlainText(u"UPDATE Master SET KINGAKU = 1 WHERE DATANO = 0"_s);
        QVERIFY(p.RunWithoutResult());
        QCOMPARE(p.BvlCanEditSQL->text(), u"編集不可"_s);
        for (QToolButton *b : {nav->BtnFirst, nav->BtnNext, nav->BtnDelete, nav->BtnEdit})
            QVERIFY(!b->isEnabled());
    }

    // A typed cell of a live result is checked against its column at once and
    // written by the row's key in one transaction when the line is posted; on
    // any refusal the book and the cell stay as they were.
    void liveResultCells_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("after");
        const QString before = u"1:100.0:2026-01-05:107 2:200.0:2026-01-06:108"_s;
        QTest::newRow("amount") << 1 << u"1,500"_s << QString() << u"1:1500.0:2026-01-05:107 2:200.0:2026-01-06:108"_s;
        QTest::newRow("date") << 2 << u"2026-03-01"_s << QString() << u"1:100.0:2026-03-01:107 2:200.0:2026-01-06:108"_s;
        QTest::newRow("letters as amount") << 1 << u"abc"_s << u"数値を入力してください。"_s << before;
        QTest::newRow("no such date") << 2 << u"2026-02-30"_s << u"日付は"_s << before;
        QTest::newRow("letters as code") << 3 << u"食費"_s << u"整数を入力してください。"_s << before;
        QTest::newRow("a quote") << 3 << u"1' OR '1'='1"_s << u"整数を入力してください。"_s << before;
        QTest::newRow("key taken") << 0 << u"2"_s << u"データを書き込めませんでした。データは変更されていません。"_s
                                   << before;
    }
    void liveResultCells()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        QFETCH(QString, after);
        TDataOpSqlPage &p = sqlPage();
        p.ChkBoxRequestLive->setChecked(true);
        p.MemoSQL->setPlainText(u"SELECT DATANO, KINGAKU, RECDATE, KARICODE\nFROM \"Master.DB\"\nWHERE DATANO > 0"_s);
        QVERIFY(p.RunWithResult());
        QVERIFY(p.CanModify());
        const QString shown = p.Model->item(0, column)->text();
        DialogQueue dialogs;
        if (!refusal.isEmpty())
            dialogs.answer(mrOk, refusal);
        p.Model->item(0, column)->setText(typed);
        // A typed value refused at once starts no edit of the line.
        QCOMPARE(p.Editing(), refusal.isEmpty() || refusal.startsWith(u"データを書き込め"_s));
        p.MyDBNavigator2->BtnPost->click();
        QVERIFY(dialogs.done());
        QVERIFY(!p.Editing());
        QCOMPARE(journal(), after);
        if (!refusal.isEmpty()) {
            QCOMPARE(p.Model->item(0, column)->text(), shown);
            QVERIFY(!dm->DataChanged);
        }
    }

    // A changed key is the row's key from then on.
    void liveResultKeyChange()
    {
        TDataOpSqlPage &p = sqlPage();
        p.ChkBoxRequestLive->setChecked(true);
        p.MemoSQL->setPlainText(u"SELECT DATANO, KINGAKU FROM Master WHERE DATANO > 0"_s);
        QVERIFY(p.RunWithResult());
        p.Model->item(0, 0)->setText(u"9"_s);
        p.Model->item(0, 1)->setText(u"50"_s);
        QCOMPARE(journal(), u"1:100.0:2026-01-05:107 2:200.0:2026-01-06:108"_s);
        // Moving to the next line posts the edited one.
        p.MyDBNavigator2->BtnNext->click();
        QCOMPARE(journal(), u"2:200.0:2026-01-06:108 9:50.0:2026-01-05:107"_s);
        QCOMPARE(p.Model->item(0, 1)->text(), u"50.0"_s);
        p.Model->item(0, 1)->setText(u"60"_s);
        p.MyDBNavigator2->BtnPost->click();
        QCOMPARE(journal(), u"2:200.0:2026-01-06:108 9:60.0:2026-01-05:107"_s);
    }

    // The navigator's edit, post, cancel and delete on a live result, read
    // back from the book; each write is one statement in its own transaction.
    void navigatorActions_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("answer"); // to the delete question
        QTest::addColumn<QString>("after");
        QTest::addColumn<QStringList>("grid");
        const QString before = u"1:100.0:2026-01-05:107 2:200.0:2026-01-06:108"_s;
        QTest::newRow("post") << u"post"_s << 0 << u"1:100.0:2026-01-05:107 2:-75.0:2026-01-06:108"_s
                              << QStringList{u"1"_s, u"2"_s, u"-75.0"_s};
        QTest::newRow("cancel") << u"cancel"_s << 0 << before << QStringList{u"1"_s, u"2"_s, u"200.0"_s};
        QTest::newRow("delete") << u"delete"_s << int(mrOk) << u"1:100.0:2026-01-05:107"_s
                                << QStringList{u"1"_s};
        QTest::newRow("delete declined") << u"delete"_s << int(mrCancel) << before
                                         << QStringList{u"1"_s, u"2"_s, u"200.0"_s};
        QTest::newRow("delete while editing") << u"edit and delete"_s << int(mrOk) << u"1:100.0:2026-01-05:107"_s
                                              << QStringList{u"1"_s};
    }
    void navigatorActions()
    {
        QFETCH(QString, action);
        QFETCH(int, answer);
        QFETCH(QString, after);
        QFETCH(QStringList, grid);
        TDataOpSqlPage &p = sqlPage();
        p.ChkBoxRequestLive->setChecked(true);
        p.MemoSQL->setPlainText(u"SELECT DATANO, KINGAKU FROM Master WHERE DATANO > 0 ORDER BY DATANO"_s);
        QVERIFY(p.RunWithResult());
        TMyDBNavigator *nav = p.MyDBNavigator2;
        nav->BtnNext->click();
        QCOMPARE(p.MyDBGridSql->currentIndex().row(), 1);
        DialogQueue dialogs;
        if (answer)
            dialogs.answer(answer, u"レコードを削除してもよいですか？"_s);
        if (action != u"delete") {
            nav->BtnEdit->click();
            QVERIFY(p.Editing());
            QVERIFY(!nav->BtnEdit->isEnabled());
            QVERIFY(nav->BtnPost->isEnabled() && nav->BtnCancel->isEnabled());
            p.Model->item(1, 1)->setText(u"-75"_s);
            QCOMPARE(journal(), u"1:100.0:2026-01-05:107 2:200.0:2026-01-06:108"_s);
        }
        if (action == u"post")
            nav->BtnPost->click();
        else if (action == u"cancel")
            nav->BtnCancel->click();
        else
            nav->BtnDelete->click();
        QVERIFY(dialogs.done());
        QVERIFY(!p.Editing());
        QCOMPARE(journal(), after);
        QStringList shown;
        for (int r = 0; r < p.Model->rowCount(); ++r)
            shown << p.Model->item(r, 0)->text();
        if (p.Model->rowCount() > 1)
            shown << p.Model->item(1, 1)->text();
        QCOMPARE(shown, grid);
        // The edited line stays current; after a delete the one before it.
        QCOMPARE(p.MyDBGridSql->currentIndex().row(), p.Model->rowCount() - 1);
        QCOMPARE(p.BvlLbSQLCount->text(), u"データ数：　%1件"_s.arg(p.Model->rowCount()));
        QCOMPARE(dm->DataChanged, after != u"1:100.0:2026-01-05:107 2:200.0:2026-01-06:108"_s);
    }

    // A write the book refuses is told in Japanese with the engine's reason
    // inside, and the book and the grid stay as the book is.
    void refusedWrites_data()
    {
        QTest::addColumn<QString>("guard"); // run on the page first
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("grid");
        QTest::newRow("delete refused by the book")
            << u"CREATE TRIGGER keep BEFORE DELETE ON Master BEGIN SELECT RAISE(ABORT, 'kept'); END"_s
            << u"delete"_s << u"データを削除できませんでした。データは変更されていません。"_s
            << QStringList{u"1"_s, u"100.0"_s, u"2"_s, u"200.0"_s};
        QTest::newRow("amount refused by the book")
            << u"CREATE TRIGGER keep BEFORE UPDATE ON Master WHEN NEW.KINGAKU < 0 BEGIN SELECT RAISE(ABORT, 'kept'); END"_s
            << u"post"_s << u"データを書き込めませんでした。データは変更されていません。"_s
            << QStringList{u"1"_s, u"100.0"_s, u"2"_s, u"200.0"_s};
        QTest::newRow("line gone meanwhile") << u"DELETE FROM Master WHERE DATANO = 1"_s << u"post"_s
                                             << u"この行は見つかりませんでした。"_s << QStringList{u"2"_s, u"200.0"_s};
        QTest::newRow("line gone before its delete") << u"DELETE FROM Master WHERE DATANO = 1"_s << u"delete"_s
                                                     << u"この行は見つかりませんでした。"_s
                                                     << QStringList{u"2"_s, u"200.0"_s};
    }
    void refusedWrites()
    {
        QFETCH(QString, guard);
        QFETCH(QString, action);
        QFETCH(QString, message);
        QFETCH(QStringList, grid);
        TDataOpSqlPage &p = sqlPage();
        p.ChkBoxRequestLive->setChecked(true);
        p.MemoSQL->setPlainText(u"SELECT DATANO, KINGAKU FROM Master WHERE DATANO > 0 ORDER BY DATANO"_s);
        QVERIFY(p.RunWithResult());
        // Another statement of the page, run behind the shown result.
        exec(guard);
        const QString book = journal();
        dm->DataChanged = false;
        DialogQueue dialogs;
        if (action == u"delete") {
            dialogs.answer(mrOk, u"レコードを削除してもよいですか？"_s);
            dialogs.answer(mrOk, message);
            p.MyDBNavigator2->BtnDelete->click();
        } else {
            p.Model->item(0, 1)->setText(u"-5"_s);
            dialogs.answer(mrOk, message);
            p.MyDBNavigator2->BtnPost->click();
        }
        QVERIFY(dialogs.done());
        if (guard.startsWith(u"CREATE"_s))
            QVERIFY(dialogs.shownTexts().constLast().contains(u"kept"_s));
        QCOMPARE(journal(), book);
        QVERIFY(!dm->DataChanged);
        QStringList shown;
        for (int r = 0; r < p.Model->rowCount(); ++r)
            shown << p.Model->item(r, 0)->text() << p.Model->item(r, 1)->text();
        QCOMPARE(shown, grid);
        QVERIFY(!p.Editing());
    }

    // The edit commands act on a result cell's editor when it has the focus,
    // else on the memo; the keys act once, in the control that has the focus.
    void editCommands()
    {
        TDataOpSqlPage &p = sqlPage();
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QPlainTextEdit *memo = p.MemoSQL;
        memo->setPlainText(u"SELECT * FROM Master"_s);
        // After a run button had the focus, the commands go to the memo.
        p.FrBtnDataSet->setFocus();
        p.EditSelectAll1->trigger();
        QCOMPARE(form->focusWidget(), memo);
        QCOMPARE(memo->textCursor().selectedText(), memo->toPlainText());
        QTextCursor c = memo->textCursor();
        c.setPosition(7);
        c.setPosition(9, QTextCursor::KeepAnchor); // "* "
        memo->setTextCursor(c);
        p.EditCut1->trigger();
        QCOMPARE(memo->toPlainText(), u"SELECT FROM Master"_s);
        QCOMPARE(QApplication::clipboard()->text(), u"* "_s);
        p.EditPaste1->trigger();
        QCOMPARE(memo->toPlainText(), u"SELECT * FROM Master"_s);
        p.EditSelectAll1->trigger();
        p.EditCopy1->trigger();
        QCOMPARE(QApplication::clipboard()->text(), u"SELECT * FROM Master"_s);
        p.EditDelete1->trigger();
        QCOMPARE(memo->toPlainText(), QString());
        p.EditUndo1->trigger();
        QCOMPARE(memo->toPlainText(), u"SELECT * FROM Master"_s);
        // The keys typed: the memo's own, and the bar's letters.
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(memo->textCursor().selectedText(), memo->toPlainText());
        QTest::keyClick(memo, Qt::Key_Home);
        QTest::keyClick(memo, Qt::Key_Delete);
        QCOMPARE(memo->toPlainText(), u"ELECT * FROM Master"_s);
        QTest::keyClick(memo, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(memo->toPlainText(), u"SELECT * FROM Master"_s);
        QTest::keyClick(memo, Qt::Key_A, Qt::AltModifier);
        QTest::keyClick(memo, Qt::Key_T, Qt::AltModifier);
        QCOMPARE(memo->toPlainText(), QString());
        QTest::keyClick(memo, Qt::Key_U, Qt::AltModifier);
        QCOMPARE(memo->toPlainText(), u"SELECT * FROM Master"_s);

        // A cell editor of a live result.
        memo->setPlainText(u"SELECT DATANO, KINGAKU FROM Master WHERE DATANO > 0 ORDER BY DATANO"_s);
        p.ChkBoxRequestLive->setChecked(true);
        QVERIFY(p.RunWithResult());
        p.MyDBGridSql->setCurrentIndex(p.Model->index(0, 1));
        p.MyDBNavigator2->BtnEdit->click();
        QLineEdit *editor = nullptr;
        QTRY_VERIFY((editor = qobject_cast<QLineEdit *>(form->focusWidget())));
        p.EditSelectAll1->trigger();
        p.EditCut1->trigger();
        QCOMPARE(editor->text(), QString());
        QCOMPARE(QApplication::clipboard()->text(), u"100.0"_s);
        editor->setText(u"1"_s);
        editor->end(false);
        p.EditPaste1->trigger();
        QCOMPARE(editor->text(), u"1100.0"_s);
        p.MyDBNavigator2->BtnPost->click();
        QCOMPARE(journal(), u"1:1100.0:2026-01-05:107 2:200.0:2026-01-06:108"_s);
        // Delete on the grid is no edit command: the memo keeps its text.
        p.MyDBGridSql->setFocus();
        memo->selectAll();
        QTest::keyClick(p.MyDBGridSql, Qt::Key_Delete);
        QCOMPARE(memo->toPlainText(), u"SELECT DATANO, KINGAKU FROM Master WHERE DATANO > 0 ORDER BY DATANO"_s);
        QCOMPARE(journal(), u"1:1100.0:2026-01-05:107 2:200.0:2026-01-06:108"_s);
    }

    // Result cells are coloured as on the journal page: Sundays and holidays
    // red, Saturdays blue, negative amounts red; a column is a date or an
    // amount by the table column it comes from, a computed one a date by its
    // values.
    void resultColours_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QStringList>("colours"); // of column 1, by DATANO
        const QStringList days{u"red"_s, u"blue"_s, u"red"_s, u"none"_s};
        const QString rest = u" WHERE DATANO > 0 ORDER BY DATANO"_s;
        QTest::newRow("dates") << u"SELECT DATANO, RECDATE FROM Master"_s + rest << days;
        QTest::newRow("renamed, in a join")
            << u"SELECT M.DATANO, M.RECDATE AS DAY FROM Master M, Himoku H\n"
               "WHERE H.CODE = M.KARICODE AND M.DATANO > 0 ORDER BY M.DATANO"_s
            << days;
        QTest::newRow("computed dates") << u"SELECT DATANO, date(RECDATE) FROM Master"_s + rest << days;
        QTest::newRow("amounts") << u"SELECT DATANO, KINGAKU FROM Master"_s + rest
                                 << QStringList{u"none"_s, u"red"_s, u"none"_s, u"none"_s};
        QTest::newRow("a computed number") << u"SELECT DATANO, KINGAKU * 1 FROM Master"_s + rest
                                           << QStringList{u"none"_s, u"none"_s, u"none"_s, u"none"_s};
        QTest::newRow("text that is no date") << u"SELECT DATANO, RECDATE || 'x' FROM Master"_s + rest
                                              << QStringList{u"none"_s, u"none"_s, u"none"_s, u"none"_s};
    }
    void resultColours()
    {
        QFETCH(QString, statement);
        QFETCH(QStringList, colours);
        // 2026-01-04 a Sunday, 01-03 a Saturday (and a refund), 01-12 a
        // holiday on a Monday, 01-07 a plain Wednesday.
        exec(u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, RESERVED) VALUES "
             "(1, 1, '2026-01-04', 100.0, 1, ?, 100, 0), (2, 1, '2026-01-03', -300.0, 1, ?, 100, 0), "
             "(3, 1, '2026-01-12', 50.0, 1, ?, 100, 0), (4, 1, '2026-01-07', 0.0, 1, ?, 100, 0)"_s,
             {Food, Food, Goods, Goods});
        AddHoliday(u"成人の日"_s, QDate(2026, 1, 12));
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"このページでは直接SQL文を発行して高度な操作を行います。"_s);
        form->ShowOperationPage(form->FrBtnSQL);
        TDataOpSqlPage &p = *form->TabSQL;
        p.MemoSQL->setPlainText(statement);
        QVERIFY(p.RunWithResult());
        QCOMPARE(p.Model->rowCount(), 4);
        const auto name = [](const QVariant &brush) {
            if (!brush.isValid())
                return u"none"_s;
            const QColor c = brush.value<QBrush>().color();
            return c == QColor(Qt::red) ? u"red"_s : c == QColor(Qt::blue) ? u"blue"_s : c.name();
        };
        QStringList shown;
        for (int r = 0; r < 4; ++r)
            shown << name(p.Model->index(r, 1).data(Qt::ForegroundRole));
        QCOMPARE(shown, colours);
        // The selected line stays in sight, pale green, while the focus is
        // elsewhere: on both grids that the shared drawing serves.
        for (QTableView *grid : {p.MyDBGridSql, form->TabMain->DBGridMain})
            QCOMPARE(grid->palette().color(QPalette::Inactive, QPalette::Highlight), QColor(209, 228, 220));
        QVERIFY(dialogs.done());
    }

    // The memo is saved and opened again through its menu, each file in the
    // encoding it came in.
    void sqlTextFiles_data()
    {
        QTest::addColumn<bool>("shiftJis");
        QTest::newRow("UTF-8") << false;
        QTest::newRow("Shift-JIS") << true;
    }
    void sqlTextFiles()
    {
        QFETCH(bool, shiftJis);
        TDataOpSqlPage &p = sqlPage();
        const QString text = u"SELECT *\nFROM \"HinmeiMast.db\"\nWHERE NAME = '米'"_s;
        const QString in = env->path(u"in.txt"_s);
        {
            QFile f(in);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(shiftJis ? toShiftJis(text) : text.toUtf8());
        }
        DialogQueue dialogs;
        dialogs.openFile(in);
        p.FileOpen1->trigger();
        QCOMPARE(p.MemoSQL->toPlainText(), text);

        p.MemoSQL->appendPlainText(u"ORDER BY CODE"_s);
        const QString out = env->path(u"SQL.txt"_s);
        dialogs.saveFile(out);
        p.FileSaveAs1->trigger();
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const QString expected = text + u"\nORDER BY CODE"_s;
        QCOMPARE(bytes, shiftJis ? toShiftJis(expected) : expected.toUtf8());

        p.MemoSQL->clear();
        dialogs.openFile(out);
        p.FileOpen1->trigger();
        dialogs.openFile(QString()); // cancelled: the memo stays
        p.FileOpen1->trigger();
        QVERIFY(dialogs.done());
        QCOMPARE(p.MemoSQL->toPlainText(), expected);
        QVERIFY(p.RunWithResult());
    }
};

QTEST_MAIN(TestDataOpEditing)
#include "tst_dataopediting.moc"
