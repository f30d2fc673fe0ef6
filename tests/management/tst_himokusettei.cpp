#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/Vocabulary.h"
#include "main/FrameDeru.h"
#include "management/FormHimokuSettei.h"
#include "management/FormSimebiList.h"
#include "management/FrameDataKanri.h"
#include "management/HimokuListView.h"
#include "management/HimokuSetteiRows.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

// The category and account settings dialog on a book from the shipped
// template: the order list and its renumbering, names, deletes, saving in one
// go, the closing day with its history, and the journal page's 設定 button.
class TestHimokuSettei : public QObject, public BookFixture::BookPlace
{
    Q_OBJECT

    Database &db() { return dm->MainDatabase; }
    int nextDataNo = 5000;

    void addLine(const QString &date, int kari, int kasi, int amount)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, KARICODE, KASICODE, STYLE, "
                           "ORIGIN) VALUES (?, 1, ?, ?, ?, ?, 1, 2)"_s);
        st.bind(1, ++nextDataNo);
        st.bind(2, date);
        st.bind(3, amount);
        st.bind(4, kari);
        st.bind(5, kasi);
        st.exec();
    }

    // Names of the visible expense categories in stored POS order.
    QStringList storedOrder(int bunrui = 2)
    {
        QStringList names;
        Statement st(db(), u"SELECT NAME FROM Himoku WHERE BUNRUI = ? AND VISIBLE = 1 AND CODE > 3 ORDER BY POS"_s);
        st.bind(1, bunrui);
        while (st.next())
            names << st.textValue(0);
        return names;
    }

    QStringList listed(TFormHimokuSettei &f)
    {
        QStringList names;
        for (int r = 0; r < f.STGridPos->rowCount(); ++r)
            names << f.STGridPos->item(r, 0)->text();
        return names;
    }

    int codeOf(const QString &name)
    {
        return db().scalar(u"SELECT CODE FROM Himoku WHERE NAME = ?"_s, {name}).toInt();
    }

private slots:
    void init()
    {
        openPlace();
        const QString folder = makeBook(u"家計簿"_s);
        QVERIFY(!folder.isEmpty());
        QString f = folder;
        QVERIFY(dm->OpenBook(u"家計簿"_s, f));
        QVERIFY(dm->DataOpen);
    }
    void cleanup() { closePlace(); }

    void reorderKeepsEveryLinesCategory_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("first to last") << 0 << -1;
        QTest::newRow("last to first") << -1 << 0;
        QTest::newRow("one down") << 1 << 2;
    }
    void reorderKeepsEveryLinesCategory()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        const QStringList before = storedOrder();
        QVERIFY(before.size() > 3);
        const int food = codeOf(u"食費"_s);
        addLine(u"2026-01-05"_s, food, 100, 1200);
        addLine(u"2026-01-06"_s, codeOf(before.last()), 100, 800);
        QList<std::pair<int, int>> lines;
        Statement st(db(), u"SELECT DATANO, KARICODE FROM Master WHERE DATANO > 5000 ORDER BY DATANO"_s);
        while (st.next())
            lines.append({int(st.intValue(0)), int(st.intValue(1))});

        const int n = int(before.size());
        const int f = from < 0 ? n - 1 : from;
        const int t = to < 0 ? n - 1 : to;
        QStringList expected = before;
        expected.move(f, t);

        TFormHimokuSettei dialog(db());
        QCOMPARE(listed(dialog), before);
        // Dragging a line by its number on the left.
        dialog.STGridPos->verticalHeader()->moveSection(f, t);
        QCOMPARE(listed(dialog), expected);
        QCOMPARE(dialog.rows().row(dialog.currentRow()).name(), before.at(f));
        QCOMPARE(dialog.DBEditHimokuName->text(), before.at(f));
        QVERIFY(dialog.rows().hasChanges());
        QVERIFY(dialog.SaveChanges());
        QCOMPARE(storedOrder(), expected);
        Statement pos(db(), u"SELECT POS FROM Himoku WHERE BUNRUI = 2 AND VISIBLE = 1 AND CODE > 3 ORDER BY POS"_s);
        for (int i = 0; pos.next(); ++i)
            QCOMPARE(int(pos.intValue(0)), i);
        // The lines still name the same categories.
        QList<std::pair<int, int>> after;
        Statement again(db(), u"SELECT DATANO, KARICODE FROM Master WHERE DATANO > 5000 ORDER BY DATANO"_s);
        while (again.next())
            after.append({int(again.intValue(0)), int(again.intValue(1))});
        QCOMPARE(after, lines);
        QCOMPARE(db().scalar(u"SELECT NAME FROM Himoku WHERE CODE = ?"_s, {food}).toString(), u"食費"_s);
    }

    void upDownButtonsAndGapsRenumber()
    {
        // Gaps in the stored POS are closed when the page opens.
        db().exec(u"UPDATE Himoku SET POS = POS * 10 WHERE BUNRUI = 1 AND CODE > 3"_s);
        TFormHimokuSettei dialog(db());
        dialog.SelectPage(0);
        dialog.CmbBoxTitle->setCurrentIndex(0);
        QCOMPARE(dialog.pageKind(), 1);
        const QStringList before = listed(dialog);
        QVERIFY(dialog.rows().hasChanges());
        dialog.setCurrentRow(dialog.rows().shown().first());
        dialog.SpinButtonDownClick();
        QStringList expected = before;
        expected.swapItemsAt(0, 1);
        QCOMPARE(listed(dialog), expected);
        // Up at the top does nothing.
        dialog.SpinButtonUpClick();
        dialog.SpinButtonUpClick();
        QCOMPARE(listed(dialog), before);
        dialog.close();
        QCOMPARE(storedOrder(1), before);
        QCOMPARE(db().scalar(u"SELECT MAX(POS) FROM Himoku WHERE BUNRUI = 1 AND VISIBLE = 1 AND CODE > 3"_s).toInt(),
                 before.size() - 1);
    }

    void deleteGuard_data()
    {
        QTest::addColumn<QString>("use");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("unused") << QString() << true;
        QTest::newRow("journal line") << u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, KARICODE, KASICODE) "
                                         "VALUES (9001, 1, '2026-02-01', 500, %1, 100)"_s
                                      << false;
        QTest::newRow("item list") << u"INSERT INTO HinmeiList (DATANO, HIMOKUCODE, OYACODE, KOCODE) "
                                      "VALUES (9001, %1, 0, 6)"_s
                                   << false;
        QTest::newRow("closing history") << u"INSERT INTO SimebiList (DATANO, CODE, STARTDATE, SIMEBI) "
                                            "VALUES (9001, %1, NULL, 25)"_s
                                         << false;
        QTest::newRow("budget only") << u"INSERT INTO Yosan (DATANO, RECDATE, HIMOKUCODE, KINGAKU, BUNRUI) "
                                        "VALUES (9001, '2026-01-01', %1, 3000, 2)"_s
                                     << true;
    }
    void deleteGuard()
    {
        QFETCH(QString, use);
        QFETCH(bool, deleted);
        db().exec(u"INSERT INTO Himoku (CODE, POS, NAME, BUNRUI, VISIBLE, SYSTEM, SIMEBI) "
                  "VALUES (700, 99, '試し費目', 2, 1, 0, 31)"_s);
        if (!use.isEmpty())
            db().exec(use.arg(700));
        TFormHimokuSettei dialog(db());
        dialog.setCurrentRow(dialog.rows().indexOfCode(700));
        {
            DialogQueue dialogs;
            if (!deleted)
                dialogs.answer(mrOk, u"このデータは既に使用されていますので削除できません。"_s);
            dialog.DataSetDelete1Execute();
            QVERIFY(dialogs.done());
        }
        QCOMPARE(dialog.rows().indexOfCode(700) < 0, deleted);
        QVERIFY(dialog.SaveChanges());
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM Himoku WHERE CODE = 700"_s).toInt(), deleted ? 0 : 1);
    }

    void systemRowsAreNotDeleted()
    {
        TFormHimokuSettei dialog(db());
        dialog.SelectPage(0);
        dialog.CmbBoxTitle->setCurrentIndex(2);
        QCOMPARE(dialog.pageKind(), 3);
        dialog.setCurrentRow(dialog.rows().indexOfCode(100));
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"システム予約費目です。削除できません。"_s);
        dialog.DataSetDelete1Execute();
        QVERIFY(dialogs.done());
        QVERIFY(dialog.rows().indexOfCode(100) >= 0);
    }

    void newRowsAndNames()
    {
        TFormHimokuSettei dialog(db());
        dialog.DataSetInsert1Execute();
        dialog.DataSetInsert1Execute();
        QVERIFY(listed(dialog).contains(u"新規費目1"_s));
        QVERIFY(listed(dialog).contains(u"新規費目2"_s));
        QCOMPARE(dialog.rows().row(dialog.currentRow()).name(), u"新規費目2"_s);

        // A name of another page kind, the list title and an empty name are
        // refused; the row keeps its name.
        for (const QString &taken : {u"給与"_s, u"費目名"_s, u""_s}) {
            DialogQueue dialogs;
            dialogs.answer(mrOk);
            dialog.DBEditHimokuName->setText(taken);
            QVERIFY(!dialog.DataSetPost1Execute());
            QVERIFY(dialogs.done());
            QCOMPARE(dialog.rows().row(dialog.currentRow()).name(), u"新規費目2"_s);
        }
        // Quotes are just characters of a name.
        const QString quoted = u"子供\"塾\" 'A'"_s;
        dialog.DBEditHimokuName->setText(quoted);
        QVERIFY(dialog.DataSetPost1Execute());
        QVERIFY(dialog.SaveChanges());
        const int code = codeOf(quoted);
        QVERIFY(code > 100);
        QCOMPARE(db().scalar(u"SELECT BUNRUI FROM Himoku WHERE CODE = ?"_s, {code}).toInt(), 2);
        QCOMPARE(db().scalar(u"SELECT ZEIATUKAI FROM Himoku WHERE CODE = ?"_s, {code}).toInt(), 1);
        // The same quoted name is now taken for another row.
        dialog.DataSetInsert1Execute();
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"この名称は既に使用されていますので登録できません。"_s);
        dialog.DBEditHimokuName->setText(quoted);
        QVERIFY(!dialog.DataSetPost1Execute());
        QVERIFY(dialogs.done());
        dialog.DataSetCancelUpdates1Execute();
        QVERIFY(!dialog.rows().hasChanges());
    }

    void anEmptyPageIsNotSaved()
    {
        const QStringList before = storedOrder();
        TFormHimokuSettei dialog(db());
        for (int i = 0; i < dialog.rows().rows().size(); ++i)
            dialog.rows().row(i).set(u"VISIBLE"_s, false);
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"設定を空にしないでください"_s);
        QVERIFY(!dialog.SaveChanges());
        QVERIFY(dialogs.done());
        QVERIFY(dialog.rows().hasChanges());
        QCOMPARE(storedOrder(), before);
    }

    void closingDayChangeKeepsItsHistory()
    {
        db().exec(u"UPDATE Himoku SET SIMEBI = 25 WHERE CODE = 125"_s);
        TFormHimokuSettei dialog(db());
        dialog.CmbBoxTitle->setCurrentIndex(2);
        dialog.setCurrentRow(dialog.rows().indexOfCode(125));
        DialogQueue dialogs;
        dialogs.answer(mrNo, u"過去のデータの締め日も 月末 にしていいですか？"_s);
        ModalForms::push([](QDialog &d) {
            auto &h = dynamic_cast<TFormSimebiList &>(d);
            [&] {
                QCOMPARE(h.DBGrid1->rowCount(), 2);
                QCOMPARE(h.DBGrid1->item(0, 0)->text(), QString());
                QCOMPARE(h.DBGrid1->item(0, 1)->text(), u"25"_s);
                QCOMPARE(h.DBGrid1->item(1, 1)->text(), u"月末"_s);
            }();
            h.BtnSave->click();
            return h.result();
        });
        dialog.DBCmbSimebi->setCurrentIndex(30);
        QVERIFY(dialogs.done());
        const QDate month(QDate::currentDate().year(), QDate::currentDate().month(), 1);
        QStringList rows;
        Statement st(db(), u"SELECT DATANO, STARTDATE, SIMEBI FROM SimebiList WHERE CODE = 125 ORDER BY STARTDATE"_s);
        while (st.next()) {
            QVERIFY(!st.isNull(0));
            rows << st.textValue(1) + u"/"_s + st.textValue(2);
        }
        QCOMPARE(rows, (QStringList{u"/25"_s, month.toString(Qt::ISODate) + u"/31"_s}));
        QVERIFY(db().scalar(u"SELECT SIMEHISTROY FROM Himoku WHERE CODE = 125"_s).toBool());
        // A closing day with history is changed in the history only.
        QVERIFY(!dialog.DBCmbSimebi->isEnabled());
        QVERIFY(dialog.FrBtnKouzaSimeRireki->isEnabled());
        dialog.close();
        QCOMPARE(db().scalar(u"SELECT SIMEBI FROM Himoku WHERE CODE = 125"_s).toInt(), 31);
        // The closing-day arithmetic reads the history.
        LoadHimokuCaches(db());
        THimokuData card;
        QVERIFY(GetHimokuData(125, card));
        QVERIFY(card.SimeHistroy);
        QCOMPARE(card.SimeHistoryCount, 2);
    }

    void historyDuplicatesAndClosing()
    {
        TFormSimebiList history(db());
        history.LoadForCode(2, u"支出"_s, 0);
        history.Append();
        history.Append();
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"適用開始月度が重複しています。"_s);
            QVERIFY(!history.Save());
            QVERIFY(dialogs.done());
        }
        QCOMPARE(history.storedCount(), 0);
        // Closing and answering Yes goes the same checked way: the dialog stays.
        {
            DialogQueue dialogs;
            dialogs.answer(mrYes, u"変更内容を保存しますか？。"_s).answer(mrOk, u"重複"_s);
            QVERIFY(!history.close());
            QVERIFY(dialogs.done());
        }
        history.DeleteRow();
        DialogQueue dialogs;
        dialogs.answer(mrYes);
        QVERIFY(history.close());
        QVERIFY(dialogs.done());
        QCOMPARE(history.storedCount(), 1);
        QVERIFY(db().scalar(u"SELECT DATANO FROM SimebiList WHERE CODE = 2"_s).toInt() > 0);
        QVERIFY(db().scalar(u"SELECT SIMEHISTROY FROM Himoku WHERE CODE = 2"_s).toBool());
    }

    void historyMonthLabels_data()
    {
        QTest::addColumn<int>("simeShift");
        QTest::addColumn<QDate>("stored");
        QTest::newRow("as the calendar") << 0 << QDate(2014, 4, 1);
        QTest::newRow("label one month behind") << -1 << QDate(2014, 5, 1);
    }
    void historyMonthLabels()
    {
        QFETCH(int, simeShift);
        QFETCH(QDate, stored);
        TFormSimebiList history(db());
        history.LoadForCode(125, u"カード"_s, simeShift);
        QCOMPARE(history.monthFromLabel(2014, 4), stored);
        QCOMPARE(history.monthLabel(stored), u"2014年 4月度"_s);
        QCOMPARE(TFormSimebiList::simeBiFromText(u"0"_s), 31);
        QCOMPARE(TFormSimebiList::simeBiText(0), u"月末"_s);
    }

    void cancellingTheDialogWritesNothing()
    {
        const QStringList before = storedOrder();
        TFormHimokuSettei dialog(db());
        dialog.STGridPos->verticalHeader()->moveSection(0, 2);
        dialog.DataSetInsert1Execute();
        dialog.DataSetCancelUpdates1Execute();
        QCOMPARE(listed(dialog), before);
        dialog.close();
        QCOMPARE(storedOrder(), before);
        QCOMPARE(db().scalar(u"SELECT COUNT(*) FROM Himoku WHERE NAME LIKE '新規費目%'"_s).toInt(), 0);
    }

    void accountsPageOnlyWithAccountManagement()
    {
        KouzaUseFlag = false;
        {
            TFormHimokuSettei dialog(db());
            QCOMPARE(dialog.CmbBoxTitle->count(), 2);
        }
        KouzaUseFlag = true;
        TFormHimokuSettei dialog(db());
        QCOMPARE(dialog.CmbBoxTitle->count(), 3);
        QCOMPARE(dialog.CmbBoxTitle->itemText(2), u"口座の設定"_s);
    }

    // Opens the list view of a page in edit mode, as the user does.
    void openListEditMode(TFormHimokuSettei &dialog, int page)
    {
        if (page != dialog.pageKind())
            dialog.CmbBoxTitle->setCurrentIndex(page - 1);
        QCOMPARE(dialog.pageKind(), page);
        if (!dialog.FrBtnItiran->down()) {
            QVERIFY(dialog.FrBtnEditGrid->isHidden());
            QTest::mouseClick(dialog.FrBtnItiran, Qt::LeftButton);
        }
        QVERIFY(!dialog.FrBtnEditGrid->isHidden());
        QCOMPARE(dialog.MyDBGrid1->rowCount(), dialog.rows().rows().size());
        QCOMPARE(dialog.MyDBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"一覧の編集可能モードはデータに不具合が生じた場合のみにしてください。"_s);
        QTest::mouseClick(dialog.FrBtnEditGrid, Qt::LeftButton);
        QVERIFY(dialog.FrBtnEditGrid->down());
        QVERIFY(dialogs.done());
        QVERIFY(dialog.MyDBGrid1->editTriggers() != QAbstractItemView::NoEditTriggers);
    }

    // Types a cell of the list view the way its editor commits it; the
    // dialog reads it once the editor is gone (a posted call).
    void typeCell(TFormHimokuSettei &dialog, int code, const QString &field, const QString &text)
    {
        const int line = dialog.rows().indexOfCode(code);
        QVERIFY(line >= 0);
        dialog.MyDBGrid1->item(line, int(THimokuListView::fields().indexOf(field)))->setText(text);
        QCoreApplication::processEvents();
    }

    QString cellText(TFormHimokuSettei &dialog, int code, const QString &field)
    {
        const int line = dialog.rows().indexOfCode(code);
        return dialog.MyDBGrid1->item(line, int(THimokuListView::fields().indexOf(field)))->text();
    }

    void listViewEditMode_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("code"); // 0: 食費
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");   // empty: as before
        QTest::addColumn<QString>("stored");  // empty: as before
        QTest::addColumn<QString>("message"); // the box the text brings
        QTest::newRow("closing day month end") << 2 << 0 << u"SIMEBI"_s << u"月末"_s << u"月末"_s << u"31"_s << QString();
        QTest::newRow("closing day none") << 2 << 0 << u"SIMEBI"_s << u"なし"_s << u"なし"_s << u"-1"_s << QString();
        QTest::newRow("closing day 40 is no day") << 2 << 0 << u"SIMEBI"_s << u"40"_s << QString() << QString() << QString();
        QTest::newRow("tax empty") << 2 << 0 << u"ZEIATUKAI"_s << QString() << u"対象外"_s << u"0"_s << QString();
        QTest::newRow("tax name") << 2 << 0 << u"ZEIATUKAI"_s << u"外税"_s << u"外税"_s << u"2"_s << QString();
        QTest::newRow("tax unknown") << 2 << 0 << u"ZEIATUKAI"_s << u"税込"_s << QString() << QString() << QString();
        QTest::newRow("add day before") << 2 << 0 << u"SIMEADDDAY"_s << u"さらにその前日"_s << u"さらにその前日"_s << u"-1"_s
                                        << QString();
        QTest::newRow("add day other text") << 2 << 0 << u"SIMEADDDAY"_s << u"何か"_s << u"さらにその翌日"_s << u"1"_s
                                            << QString();
        QTest::newRow("month label") << 2 << 0 << u"SIMESHIFT"_s << u"一ヶ月前"_s << u"一ヶ月前"_s << u"-1"_s << QString();
        QTest::newRow("holiday shift") << 2 << 0 << u"SIMEHOLIDAYSHIFT"_s << u"土日曜祝日の後"_s << u"土日曜祝日の後"_s
                                       << u"4"_s << QString();
        QTest::newRow("holiday shift unknown") << 2 << 0 << u"SIMEHOLIDAYSHIFT"_s << u"x"_s << u"指定日どおり"_s << u"0"_s
                                               << QString();
        QTest::newRow("special") << 2 << 0 << u"TOKUBETU"_s << u"○"_s << u"○"_s << u"1"_s << QString();
        QTest::newRow("hidden") << 2 << 0 << u"VISIBLE"_s << u"×"_s << u"×"_s << u"0"_s << QString();
        QTest::newRow("start date") << 2 << 0 << u"STARTDATE"_s << u"14/04/01"_s << u"2014/04/01"_s << u"2014-04-01"_s
                                    << QString();
        QTest::newRow("quoted name") << 2 << 0 << u"NAME"_s << u"外食\"A\""_s << u"外食\"A\""_s << u"外食\"A\""_s
                                     << QString();
        QTest::newRow("name in use") << 2 << 0 << u"NAME"_s << u"給与"_s << QString() << QString()
                                     << u"\"給与\" この名称は既に使用されていますので登録できません。"_s;
        QTest::newRow("to the income page") << 2 << 0 << u"BUNRUI"_s << u"収入"_s << u"収入"_s << u"1"_s
                                            << u"支出 のページから 収入 のページに設定が移動します。"_s;
        QTest::newRow("unused class") << 2 << 0 << u"BUNRUI"_s << u"未使用"_s << QString() << QString() << QString();
        QTest::newRow("initial balance") << 3 << 125 << u"SYOKIZAN"_s << u"1000*2"_s << u"2,000"_s << u"2000"_s
                                         << QString();
        QTest::newRow("initial balance no amount") << 3 << 125 << u"SYOKIZAN"_s << u"1000+"_s << QString() << QString()
                                                   << u"式が正しくありません。"_s;
        QTest::newRow("payment month") << 3 << 125 << u"CYCLE"_s << u"翌々月"_s << u"翌々月"_s << u"2"_s << QString();
        QTest::newRow("payment month unknown") << 3 << 125 << u"CYCLE"_s << u"来月"_s << QString() << QString()
                                               << QString();
        QTest::newRow("payment day shift") << 3 << 125 << u"HOLIDAYSHIFT"_s << u"土日曜祝日の前"_s << u"土日曜祝日の前"_s
                                           << u"3"_s << QString();
        QTest::newRow("account kind, same page") << 3 << 125 << u"BUNRUI"_s << u"銀行"_s << u"銀行"_s << u"5"_s
                                                 << QString();
    }
    void listViewEditMode()
    {
        QFETCH(int, page);
        QFETCH(int, code);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        KouzaUseFlag = true;
        if (code == 0)
            code = codeOf(u"食費"_s);
        const QString column = u"SELECT "_s + field + u" FROM Himoku WHERE CODE = ?"_s;
        const QString before = db().scalar(column, {code}).toString();
        TFormHimokuSettei dialog(db());
        openListEditMode(dialog, page);
        const QString shownBefore = cellText(dialog, code, field);
        {
            DialogQueue dialogs;
            if (!message.isEmpty())
                dialogs.answer(mrOk, message);
            typeCell(dialog, code, field, text);
            QVERIFY(dialogs.done());
        }
        QCOMPARE(cellText(dialog, code, field), shown.isEmpty() ? shownBefore : shown);
        // The edited row is the current one; its panel shows the same.
        QCOMPARE(dialog.rows().row(dialog.currentRow()).code(), code);
        if (field == u"NAME"_s)
            QCOMPARE(dialog.DBEditHimokuName->text(), dialog.rows().row(dialog.currentRow()).name());
        if (field == u"VISIBLE"_s)
            QVERIFY(!listed(dialog).contains(u"食費"_s));
        QVERIFY(dialog.SaveChanges());
        QCOMPARE(db().scalar(column, {code}).toString(), stored.isEmpty() ? before : stored);
    }

    void listViewReadOnlyColumnsAndAccounts()
    {
        KouzaUseFlag = true;
        const int food = codeOf(u"食費"_s);
        TFormHimokuSettei dialog(db());
        QTest::mouseClick(dialog.FrBtnItiran, Qt::LeftButton);
        // Before edit mode nothing typed reaches the rows.
        dialog.MyDBGrid1->item(dialog.rows().indexOfCode(food), 2)->setText(u"別名"_s);
        QCoreApplication::processEvents();
        QCOMPARE(dialog.rows().row(dialog.rows().indexOfCode(food)).name(), u"食費"_s);
        openListEditMode(dialog, 2);
        const int line = dialog.rows().indexOfCode(food);
        for (const QString &field : {u"CODE"_s, u"POS"_s, u"Karigata"_s, u"SYSTEM"_s, u"Bu1Name"_s, u"Bu2Name"_s})
            QVERIFY(!(dialog.MyDBGrid1->item(line, int(THimokuListView::fields().indexOf(field)))->flags()
                      & Qt::ItemIsEditable));
        QVERIFY(dialog.MyDBGrid1->item(line, 2)->flags() & Qt::ItemIsEditable);
        // The account is typed by its name, one of the page's account list.
        const int last = dialog.DBCmbKouza->count() - 1;
        QVERIFY(last > 0);
        const QString account = dialog.DBCmbKouza->itemText(last);
        const int accountCode = dialog.DBCmbKouza->itemData(last).toInt();
        typeCell(dialog, food, u"AITECODE"_s, account);
        QCOMPARE(cellText(dialog, food, u"AITECODE"_s), account);
        typeCell(dialog, food, u"AITECODE"_s, u"どこにもない口座"_s);
        QCOMPARE(cellText(dialog, food, u"AITECODE"_s), account);
        // Leaving the list view leaves edit mode too.
        QTest::mouseClick(dialog.FrBtnItiran, Qt::LeftButton);
        QVERIFY(!dialog.FrBtnItiran->down());
        QVERIFY(!dialog.FrBtnEditGrid->down());
        QVERIFY(dialog.FrBtnEditGrid->isHidden());
        QVERIFY(!dialog.MyDBGrid1->isVisibleTo(&dialog));
        QVERIFY(dialog.STGridPos->isVisibleTo(&dialog));
        QCOMPARE(dialog.MyDBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(dialog.DBCmbKouza->currentData().toInt(), accountCode);
        dialog.close();
        QCOMPARE(db().scalar(u"SELECT AITECODE FROM Himoku WHERE CODE = ?"_s, {food}).toInt(), accountCode);
    }

    void enterMovesOnOrTakesTheRowIn()
    {
        KouzaUseFlag = true;
        TFormHimokuSettei dialog(db());
        dialog.CmbBoxTitle->setCurrentIndex(2);
        dialog.setCurrentRow(dialog.rows().indexOfCode(125));
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.DBEditSyokizan->setFocus();
        dialog.DBEditSyokizan->selectAll();
        QTest::keyClicks(dialog.DBEditSyokizan, u"1500"_s);
        QTest::keyClick(dialog.DBEditSyokizan, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), dialog.DBCmbSimebi);
        QCOMPARE(dialog.rows().row(dialog.currentRow()).value(u"SYOKIZAN"_s).toDouble(), 1500.0);
        QTest::keyClick(dialog.DBCmbSimebi, Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), dialog.DBCmbSimeHolidayShift);
        QVERIFY(dialog.isVisible()); // Enter closes nothing
        // Enter in the memo takes the row in: its name edit too.
        dialog.DBEditKouzaName->setText(u"給与"_s);
        dialog.DBEditKouzaMemo->setFocus();
        dialog.DBEditKouzaMemo->setText(u"引落し 27日"_s);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"この名称は既に使用されていますので登録できません。"_s);
            QTest::keyClick(dialog.DBEditKouzaMemo, Qt::Key_Return);
            QVERIFY(dialogs.done());
        }
        QCOMPARE(dialog.rows().row(dialog.currentRow()).value(u"MEMO"_s).toString(), u"引落し 27日"_s);
        dialog.DBEditKouzaName->setText(u"テスト用カード"_s);
        QTest::keyClick(dialog.DBEditKouzaName, Qt::Key_Return);
        QCOMPARE(dialog.rows().row(dialog.currentRow()).name(), u"テスト用カード"_s);
        QCOMPARE(QApplication::focusWidget(), dialog.DBEditKouzaName);
        // The expense page's panel hands the focus on the same way.
        dialog.CmbBoxTitle->setCurrentIndex(1);
        dialog.DBCmbKouza->setFocus();
        QTest::keyClick(dialog.DBCmbKouza, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), dialog.DBCmbZeiAtukai);
        dialog.close();
        QCOMPARE(db().scalar(u"SELECT NAME FROM Himoku WHERE CODE = 125"_s).toString(), u"テスト用カード"_s);
    }

    void counterpartAccountsAreReadAgainWhenDroppedDown()
    {
        KouzaUseFlag = true;
        TFormHimokuSettei dialog(db());
        dialog.CmbBoxTitle->setCurrentIndex(2);
        dialog.setCurrentRow(dialog.rows().indexOfCode(125));
        const int last = dialog.DBCmbAiteKouza->count() - 1;
        const int chosen = dialog.DBCmbAiteKouza->itemData(last).toInt();
        dialog.DBCmbAiteKouza->setCurrentIndex(last);
        emit dialog.DBCmbAiteKouza->activated(last);
        // An account saved meanwhile, ahead of every other one.
        db().exec(u"INSERT INTO Himoku (CODE, POS, NAME, BUNRUI, VISIBLE, SYSTEM, SIMEBI) "
                  "VALUES (701, -1, '新しい口座', 3, 1, 0, 31)"_s);
        QCOMPARE(dialog.DBCmbAiteKouza->findText(u"新しい口座"_s), -1);
        dialog.show();
        dialog.DBCmbAiteKouza->showPopup();
        QCOMPARE(dialog.DBCmbAiteKouza->findText(u"新しい口座"_s), 0);
        QCOMPARE(dialog.DBCmbAiteKouza->currentData().toInt(), chosen);
        dialog.DBCmbAiteKouza->hidePopup();
        QCOMPARE(dialog.rows().row(dialog.currentRow()).value(u"AITECODE"_s).toInt(), chosen);
    }

    void helpButtonAsksForTheClickedControl()
    {
        TFormHimokuSettei dialog(db());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const int rows = int(dialog.rows().rows().size());
        QTest::mouseClick(dialog.FrBtnHelp, Qt::LeftButton);
        QVERIFY(dialog.FrBtnHelp->down());
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, NoHelpText());
            // The click asks for help instead of adding a row.
            QTest::mouseClick(dialog.BtnInsert, Qt::LeftButton);
            QVERIFY(dialogs.done());
        }
        QCOMPARE(int(dialog.rows().rows().size()), rows);
        QVERIFY(!dialog.FrBtnHelp->down());
        QVERIFY(!QApplication::overrideCursor());
        // Up again, a click does what it says.
        QTest::mouseClick(dialog.BtnInsert, Qt::LeftButton);
        QCOMPARE(int(dialog.rows().rows().size()), rows + 1);
        // ? pressed twice lets go without asking.
        QTest::mouseClick(dialog.FrBtnHelp, Qt::LeftButton);
        QTest::mouseClick(dialog.FrBtnHelp, Qt::LeftButton);
        QVERIFY(!dialog.FrBtnHelp->down());
        QVERIFY(!QApplication::overrideCursor());
        dialog.DataSetCancelUpdates1Execute();
    }

    void historyInsertStandsInFrontUntilPosted()
    {
        db().exec(u"INSERT INTO SimebiList (DATANO, CODE, STARTDATE, SIMEBI) VALUES (801, 2, NULL, 25)"_s);
        db().exec(u"INSERT INTO SimebiList (DATANO, CODE, STARTDATE, SIMEBI) VALUES (802, 2, '2035-01-01', 20)"_s);
        TFormSimebiList history(db());
        history.LoadForCode(2, u"支出"_s, 0);
        QCOMPARE(history.DBGrid1->rowCount(), 2);
        QCOMPARE(history.DBGrid1->currentRow(), 0);
        history.BtnInsert->click();
        QCOMPARE(history.DBGrid1->rowCount(), 3);
        const QDate today = QDate::currentDate();
        const QString thisMonth = history.monthLabel(QDate(today.year(), today.month(), 1));
        QCOMPARE(history.DBGrid1->currentRow(), 0);
        QCOMPARE(history.DBGrid1->item(0, 0)->text(), thisMonth);
        QCOMPARE(history.DBGrid1->item(1, 1)->text(), u"25"_s);
        QCOMPARE(history.CmbSimeBi->currentText(), u"月末"_s);
        // Posted with a closing day of its own, it goes to its month's place.
        history.CmbSimeBi->setCurrentIndex(9);
        history.BtnPost->click();
        QCOMPARE(history.DBGrid1->item(0, 1)->text(), u"25"_s);
        QCOMPARE(history.DBGrid1->item(1, 0)->text(), thisMonth);
        QCOMPARE(history.DBGrid1->item(1, 1)->text(), u"10"_s);
        QCOMPARE(history.DBGrid1->currentRow(), 1);
        // An insert left where it stands is still checked for its month.
        history.DBGrid1->setCurrentCell(0, 0);
        history.BtnInsert->click();
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"適用開始月度が重複しています。"_s);
            QVERIFY(!history.Save());
            QVERIFY(dialogs.done());
        }
        history.DeleteRow();
        QVERIFY(history.Save());
        QStringList rows;
        Statement st(db(), u"SELECT DATANO, STARTDATE, SIMEBI FROM SimebiList WHERE CODE = 2 ORDER BY STARTDATE"_s);
        while (st.next()) {
            QVERIFY(st.intValue(0) > 0);
            rows << st.textValue(1) + u"/"_s + st.textValue(2);
        }
        QCOMPARE(rows, (QStringList{u"/25"_s, QDate(today.year(), today.month(), 1).toString(Qt::ISODate) + u"/10"_s,
                                    u"2035-01-01/20"_s}));
    }

    // The expense page's 設定 button: the dialog on the expense page, and the
    // page showing a renamed category after it closes.
    void expensePageSettingsButton()
    {
        KouzaUseFlag = false;
        const int food = codeOf(u"食費"_s);
        TFrameDeru page;
        page.resize(1100, 700);
        page.InitPage();
        auto *button = page.findChild<TFrameBtn *>(u"FrBtnSettei"_s);
        QVERIFY(button);
        QVERIFY(button->isVisibleTo(&page));
        ModalForms::push([food](QDialog &d) {
            auto &f = dynamic_cast<TFormHimokuSettei &>(d);
            [&] { QCOMPARE(f.pageKind(), 2); }();
            f.setCurrentRow(f.rows().indexOfCode(food));
            f.DBEditHimokuName->setText(u"食料品"_s);
            f.close();
            return f.result();
        });
        button->click();
        QCOMPARE(ModalForms::pending(), 0);
        QCOMPARE(db().scalar(u"SELECT NAME FROM Himoku WHERE CODE = ?"_s, {food}).toString(), u"食料品"_s);
        QCOMPARE(FindHimokuName(food, &DeruHimokuArray), u"食料品"_s);
        bool shown = false;
        for (int r = 0; r < page.Hyou->rowCount(); ++r)
            shown = shown || page.Hyou->cells(0, r) == u"食料品"_s;
        QVERIFY(shown);
    }
};

QTEST_MAIN(TestHimokuSettei)
#include "tst_himokusettei.moc"
