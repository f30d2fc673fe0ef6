#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
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
#include "management/HimokuSetteiRows.h"
#include "platform/db/Database.h"

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
