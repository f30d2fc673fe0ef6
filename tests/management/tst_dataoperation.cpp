#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QtTest>

#include "BookFixture.h"
#include "DataOpFixture.h"
#include "DialogQueue.h"
#include "TestEnv.h"
#include "controls/FrameBtn.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/ModalForm.h"
#include "data/RecordNumbers.h"
#include "data/Vocabulary.h"
#include "management/DataOpJournalPage.h"
#include "management/DataOpListPage.h"
#include "management/DataOpMasterPage.h"
#include "management/DataOpSqlPage.h"
#include "management/FormDataOperation.h"
#include "management/FrameDataKanri.h"
#include "management/InputStringDlg.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

namespace {

// Categories of the shipped template.
constexpr int Cash = 100;
constexpr int Salary = 101;
constexpr int Bonus = 102;
constexpr int Food = 107;
constexpr int Goods = 108;

const QString kConfirm = u"実行すると元には戻せません。"_s;

} // namespace

// The data operations on books made from the shipped template, through the
// dialog's own routines and the messages a user answers.
class TestDataOperation : public QObject, public DataOpPlace
{
    Q_OBJECT

    void addLine(int no, const QString &date, int kari, int kasi, double amount = 1000, int item = 0, int shop = 0,
                 int person = 0)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, "
                           "RESERVED, STYLE, ORIGIN, HINMEICODE, SHOPCODE, PERSONCODE) "
                           "VALUES (?, 1, ?, ?, 1, ?, ?, 0, 1, 2, ?, ?, ?)"_s);
        const QVariantList v{no, date, amount, kari, kasi, item, shop, person};
        for (int i = 0; i < v.size(); ++i)
            st.bind(i + 1, v.at(i));
        st.exec();
    }
    void addName(const QString &table, int code, const QString &name)
    {
        Statement st(db(), u"INSERT INTO %1 (CODE, NAME) VALUES (?, ?)"_s.arg(table));
        st.bind(1, code);
        st.bind(2, name);
        st.exec();
    }
    void addChoice(const QString &table, int no, int himoku, int oya, int ko, bool visible)
    {
        Statement st(db(), u"INSERT INTO %1 (DATANO, HIMOKUCODE, OYACODE, KOCODE, VISIBLE) VALUES (?,?,?,?,?)"_s.arg(table));
        const QVariantList v{no, himoku, oya, ko, visible};
        for (int i = 0; i < v.size(); ++i)
            st.bind(i + 1, v.at(i));
        st.exec();
    }
    int scalar(const QString &text, const QVariantList &params = {}) { return db().scalar(text, params).toInt(); }
    QString codes(const QString &field)
    {
        QStringList out;
        Statement st(db(), u"SELECT DATANO, %1 FROM Master WHERE DATANO > 0 ORDER BY DATANO"_s.arg(field));
        while (st.next())
            out << u"%1:%2"_s.arg(st.intValue(0)).arg(st.intValue(1));
        return out.join(u' ');
    }
    static void choose(QComboBox *combo, int code)
    {
        const int i = combo->findText(QString::number(code) + u":"_s, Qt::MatchStartsWith);
        QVERIFY2(i >= 0, qPrintable(u"no entry for %1"_s.arg(code)));
        combo->setCurrentIndex(i);
    }
    TDataOpJournalPage &journal() { return *form->TabMain; }
    TDataOpMasterPage &master() { return *form->TabMaster; }

private slots:
    void init()
    {
        QVERIFY(openDataOpBook());
        openDataOpForm();
    }
    void cleanup()
    {
        closeDataOpBook();
    }

    // A category recode over a period: the lines of the period and side move,
    // nothing else does; income targets apply to the credit side only; locked
    // lines stay; いいえ writes nothing.
    void recodeCategory_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("side");
        QTest::addColumn<QDate>("lockDate");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<QString>("kari");
        QTest::addColumn<QString>("kasi");

        const QString kariBefore = u"1:107 2:107 3:107 4:108 5:100"_s;
        const QString kasiBefore = u"1:100 2:100 3:100 4:100 5:101"_s;
        const QString expenseNote = u"支出費目は入金先（借方）だけに適用されます。"_s;
        QTest::newRow("food to goods in 2026, both sides")
            << Food << Goods << 2 << QDate() << int(mrYes) << QStringList{expenseNote, u"2 件あります。"_s}
            << u"1:108 2:108 3:107 4:108 5:100"_s << kasiBefore;
        QTest::newRow("debit only")
            << Food << Goods << 0 << QDate() << int(mrYes) << QStringList{u"2 件あります。"_s}
            << u"1:108 2:108 3:107 4:108 5:100"_s << kasiBefore;
        QTest::newRow("credit only finds no food line")
            << Food << Goods << 1 << QDate() << int(mrNone) << QStringList{expenseNote}
            << kariBefore << kasiBefore;
        QTest::newRow("salary to bonus: credit side only")
            << Salary << Bonus << 2 << QDate() << int(mrYes)
            << QStringList{u"収入費目は出金先（貸方）だけに適用されます。"_s, u"1 件あります。"_s} << kariBefore
            << u"1:100 2:100 3:100 4:100 5:102"_s;
        QTest::newRow("January locked")
            << Food << Goods << 2 << QDate(2026, 1, 31) << int(mrYes)
            << QStringList{expenseNote, u"以前のデータ 1 件は締められているので変更しません。"_s, u"1 件あります。"_s}
            << u"1:107 2:108 3:107 4:108 5:100"_s << kasiBefore;
        QTest::newRow("answered no") << Food << Goods << 2 << QDate() << int(mrNo)
                                     << QStringList{expenseNote, u"2 件あります。"_s} << kariBefore << kasiBefore;
    }
    void recodeCategory()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, side);
        QFETCH(QDate, lockDate);
        QFETCH(int, answer);
        QFETCH(QStringList, notes);
        QFETCH(QString, kari);
        QFETCH(QString, kasi);
        addLine(1, u"2026-01-10"_s, Food, Cash);
        addLine(2, u"2026-02-10"_s, Food, Cash);
        addLine(3, u"2025-12-31"_s, Food, Cash);
        addLine(4, u"2026-03-01"_s, Goods, Cash);
        addLine(5, u"2026-04-25"_s, Cash, Salary);
        CurLockDate = lockDate;

        TDataOpJournalPage &p = journal();
        p.FillCombos();
        p.ChkStart->setChecked(true);
        p.DTPStart->setDate(QDate(2026, 1, 1));
        p.ChkEnd->setChecked(true);
        p.DTPEnd->setDate(QDate(2026, 12, 31));
        p.RefreshJournal();
        QCOMPARE(p.Lines().size(), 4);
        QCOMPARE(p.BvlLbMainCount->text(), u"データ数：　4件"_s);
        choose(p.CmbHimokuMoto, from);
        choose(p.CmbHimokuAto, to);
        p.RGTaisyo->button(side)->setChecked(true);

        DialogQueue dialogs;
        for (const QString &n : notes)
            dialogs.answer(n.contains(u"件あります"_s) ? answer : int(mrOk), n);
        dm->DataChanged = false;
        p.FrBtnHimokuExecuteClick();
        QVERIFY(dialogs.done());
        QCOMPARE(codes(u"KARICODE"_s), kari);
        QCOMPARE(codes(u"KASICODE"_s), kasi);
        QCOMPARE(dm->DataChanged, answer == mrYes);
        // A month's view reads the journal by date: January's food moved with it.
        if (answer == mrYes && to == Goods && !lockDate.isValid())
            QCOMPARE(scalar(u"SELECT COUNT(*) FROM Master WHERE KARICODE = ? AND RECDATE BETWEEN "
                            "'2026-01-01' AND '2026-01-31'"_s, {Goods}),
                     1);
    }

    // Names typed into the conditions are matched as they stand: quotes, "%"
    // and "_" find their own names and nothing else.
    void nameConditions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("like");
        QTest::addColumn<bool>("exclude");
        QTest::addColumn<QList<int>>("shown");
        QTest::newRow("exact name with a quote") << u"O\"Brien"_s << 0 << false << QList<int>{1};
        QTest::newRow("exact unregistered name") << u"米"_s << 0 << false << QList<int>{};
        QTest::newRow("contains %") << u"%"_s << 2 << false << QList<int>{2};
        QTest::newRow("contains _") << u"_"_s << 2 << false << QList<int>{4};
        QTest::newRow("starts with 50") << u"50"_s << 1 << false << QList<int>{2, 3};
        QTest::newRow("semicolon and quote") << u"'; DROP TABLE Master; --"_s << 2 << false << QList<int>{};
        QTest::newRow("exclude a_b") << u"a_b"_s << 0 << true << QList<int>{1, 2, 3, 5, 6};
    }
    void nameConditions()
    {
        QFETCH(QString, text);
        QFETCH(int, like);
        QFETCH(bool, exclude);
        QFETCH(QList<int>, shown);
        addName(u"HinmeiMast"_s, 101, u"O\"Brien"_s);
        addName(u"HinmeiMast"_s, 102, u"50%オフ"_s);
        addName(u"HinmeiMast"_s, 103, u"50円"_s);
        addName(u"HinmeiMast"_s, 104, u"a_b"_s);
        addName(u"HinmeiMast"_s, 105, u"axb"_s);
        for (int i = 1; i <= 5; ++i)
            addLine(i, u"2026-01-0%1"_s.arg(i), Food, Cash, 100, 100 + i);
        addLine(6, u"2026-01-06"_s, Food, Cash);
        TDataOpJournalPage &p = journal();
        p.EditHinmei->setText(text);
        p.RGLikeKouza->button(like)->setChecked(true);
        (exclude ? p.RadioButton5 : p.RBPickUp)->setChecked(true);
        p.RefreshJournal();
        QList<int> got;
        for (const auto &l : p.Lines())
            got << l.dataNo;
        QCOMPARE(got, shown);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM Master WHERE DATANO > 0"_s), 6);
        // The names are shown with their codes, or alone.
        if (!shown.isEmpty() && shown.first() == 1) {
            QCOMPARE(p.Model->item(0, 6)->text(), u"101: O\"Brien"_s);
            p.ChkBoxShowCode->setChecked(false);
            QCOMPARE(p.Model->item(0, 6)->text(), u"O\"Brien"_s);
        }
    }

    // Sorting by a title: the same title twice turns the order and its arrow.
    void titleClickSorts()
    {
        addLine(1, u"2026-01-02"_s, Food, Cash, 300);
        addLine(2, u"2026-01-01"_s, Goods, Cash, 100);
        TDataOpJournalPage &p = journal();
        p.RefreshJournal();
        QCOMPARE(p.Lines().first().dataNo, 2);
        p.DBGridMainTitleClick(5);
        QCOMPARE(p.Model->headerData(5, Qt::Horizontal).toString(), u"金額 ↑"_s);
        QCOMPARE(p.Model->headerData(1, Qt::Horizontal).toString(), u"日付"_s);
        QCOMPARE(p.Lines().first().dataNo, 2);
        p.DBGridMainTitleClick(5);
        QCOMPARE(p.Model->headerData(5, Qt::Horizontal).toString(), u"金額 ↓"_s);
        QCOMPARE(p.Lines().first().dataNo, 1);
    }

    // Item, shop and person codes: the from-code must exist, the to-code too;
    // a system code becomes 0; the change is the lines' only.
    void convertShopCode()
    {
        addName(u"ShopMast"_s, 101, u"八百屋"_s);
        addName(u"ShopMast"_s, 102, u"スーパー"_s);
        addLine(1, u"2026-01-01"_s, Food, Cash, 100, 0, 101);
        addLine(2, u"2026-01-02"_s, Food, Cash, 100, 0, 102);
        addLine(3, u"2026-01-03"_s, Goods, Cash, 100, 0, 101);
        TDataOpJournalPage &p = journal();
        p.RefreshJournal();
        p.FrBtnHimokuCodeClick(2);
        QCOMPARE(p.LbMotoCode->text(), u"変換元　店名コード"_s);
        p.EditMotoCode->setText(u"50"_s);
        p.EditMotoCodeValueSet();
        QCOMPARE(p.EditMotoCode->text(), u"0"_s);

        DialogQueue dialogs;
        p.EditMotoCode->setText(u"109"_s);
        p.EditAtoCode->setText(u"102"_s);
        dialogs.answer(mrOk, u"該当する変換元コードは存在しません。"_s);
        p.FrBtnHinmeiExecuteClick();
        p.EditMotoCode->setText(u"101"_s);
        p.EditMotoCodeValueSet();
        QCOMPARE(p.EditMotoName->text(), u"八百屋"_s);
        QCOMPARE(p.EditAtoName->text(), u"スーパー"_s);
        dialogs.answer(mrYes, u"2 件あります。"_s);
        p.FrBtnHinmeiExecuteClick();
        QVERIFY(dialogs.done());
        QCOMPARE(codes(u"SHOPCODE"_s), u"1:102 2:102 3:102"_s);
        QCOMPARE(codes(u"KARICODE"_s), u"1:107 2:107 3:108"_s);
    }

    // Amounts: letters are refused; a value goes to every shown line after the
    // one question, the lines not shown keep theirs.
    void convertAmount()
    {
        addLine(1, u"2026-01-01"_s, Food, Cash, 100);
        addLine(2, u"2026-01-02"_s, Goods, Cash, 200);
        TDataOpJournalPage &p = journal();
        p.FillCombos();
        choose(p.CmbKari, Food);
        p.RefreshJournal();
        QCOMPARE(p.Lines().size(), 1);
        p.FrBtnHimokuCodeClick(4);
        DialogQueue dialogs;
        p.FltEditKingaku->setText(u"12a"_s);
        dialogs.answer(mrOk, u"金額には数値を入力してください。"_s);
        p.FrBtnKingakuExecuteClick();
        QCOMPARE(codes(u"KINGAKU"_s), u"1:100 2:200"_s);
        p.FltEditKingaku->setText(u"1,500"_s);
        dialogs.answer(mrYes, u"1 件あります。"_s);
        p.FrBtnKingakuExecuteClick();
        QVERIFY(dialogs.done());
        QCOMPARE(codes(u"KINGAKU"_s), u"1:1500 2:200"_s);
        QCOMPARE(p.Model->item(0, 5)->text(), u"1,500"_s);
    }

    // The delete guard: a name the journal or a scheduled entry uses stays;
    // one only in a choice list goes with its choices after the question.
    void deleteGuard()
    {
        addName(u"HinmeiMast"_s, 101, u"米"_s);
        addName(u"HinmeiMast"_s, 102, u"味噌"_s);
        addName(u"HinmeiMast"_s, 103, u"醤油"_s);
        addLine(1, u"2026-01-01"_s, Food, Cash, 100, 101);
        addChoice(u"HinmeiList"_s, 1, Food, 102, 0, true);
        addChoice(u"HinmeiList"_s, 2, Food, 101, 102, true);
        db().exec(u"INSERT INTO ReserveList (DATANO, NAME, HINMEICODE) VALUES (1, 'x', 103)"_s);
        form->ShowOperationPage(form->FrBtnHinmei);
        TDataOpMasterPage &p = master();
        QCOMPARE(p.LbMastTitle->text(), u"品名テーブル編集"_s);
        QCOMPARE(p.Rows().size(), 3);

        DialogQueue dialogs;
        QVERIFY(p.SelectCode(101));
        dialogs.answer(mrOk, u"家計簿で使用されていますので削除できません。"_s);
        p.DeleteCurrent();
        QVERIFY(p.SelectCode(103));
        dialogs.answer(mrOk, u"予約のページで使用されていますので削除できません。"_s);
        p.DeleteCurrent();
        QVERIFY(p.SelectCode(102));
        dialogs.answer(mrNo, u"選択肢に登録されいますが"_s);
        p.DeleteCurrent();
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiMast WHERE CODE > 100"_s), 3);
        QVERIFY(p.SelectCode(102));
        dialogs.answer(mrYes, u"選択肢に登録されいますが"_s);
        p.DeleteCurrent();
        QVERIFY(dialogs.done());
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiMast WHERE CODE = 102"_s), 0);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList"_s), 0);
        QCOMPARE(p.Rows().size(), 2);
    }

    // Deleting the unused names of a search: used ones stay without a word;
    // yes-to-all takes the rest; an abort writes nothing.
    void bulkDeleteUnused_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QList<int>>("left");
        QTest::addColumn<QString>("report");
        QTest::newRow("yes to all") << QList<int>{mrYesToAll} << QList<int>{101, 103} << u"2件 削除しました。"_s;
        QTest::newRow("no then yes") << QList<int>{mrNo, mrYes} << QList<int>{101, 102, 103} << u"1件 削除しました。"_s;
        QTest::newRow("yes then abort") << QList<int>{mrYes, mrAbort} << QList<int>{101, 102, 103, 104} << QString();
    }
    void bulkDeleteUnused()
    {
        QFETCH(QList<int>, answers);
        QFETCH(QList<int>, left);
        QFETCH(QString, report);
        addName(u"ShopMast"_s, 101, u"店A"_s);
        addName(u"ShopMast"_s, 102, u"店B"_s);
        addName(u"ShopMast"_s, 103, u"店C"_s);
        addName(u"ShopMast"_s, 104, u"店D"_s);
        addName(u"ShopMast"_s, 105, u"別の店"_s);
        addLine(1, u"2026-01-01"_s, Food, Cash, 100, 0, 101);
        db().exec(u"INSERT INTO ReserveList (DATANO, NAME, SHOPCODE) VALUES (1, 'x', 103)"_s);
        form->ShowOperationPage(form->FrBtnShop);
        TDataOpMasterPage &p = master();
        p.RGLikeIndex->button(1)->setChecked(true);
        p.LbEditName->setText(u"店"_s);
        p.RunMasterQuery();
        QCOMPARE(p.Rows().size(), 4);
        DialogQueue dialogs;
        dialogs.answer(mrYes, u"家計簿データで使用していない 店名 を自動的に削除します。"_s);
        for (int a : answers)
            dialogs.answer(a, u"を削除してよろしいですか？"_s);
        if (!report.isEmpty())
            dialogs.answer(mrOk, report);
        p.FrBtnAllDeleteClick();
        QVERIFY(dialogs.done());
        QList<int> got;
        Statement st(db(), u"SELECT CODE FROM ShopMast WHERE CODE > 100 AND CODE < 105 ORDER BY CODE"_s);
        while (st.next())
            got << int(st.intValue(0));
        QCOMPARE(got, left);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM ShopMast WHERE CODE = 105"_s), 1);
    }

    // Merging shops: every line keeps a shop (the target), choices follow
    // without duplicates, the merged names go; an abort writes nothing.
    void mergeShops()
    {
        addName(u"ShopMast"_s, 101, u"コンビニ"_s);
        addName(u"ShopMast"_s, 102, u"コンビニ駅前"_s);
        addName(u"ShopMast"_s, 103, u"コンビニ本町"_s);
        addLine(1, u"2026-01-01"_s, Food, Cash, 100, 0, 101);
        addLine(2, u"2026-01-02"_s, Food, Cash, 100, 0, 102);
        addLine(3, u"2026-01-03"_s, Food, Cash, 100, 0, 103);
        addChoice(u"ShopList"_s, 1, Food, 101, 0, false);
        addChoice(u"ShopList"_s, 2, Food, 102, 0, true);
        addChoice(u"ShopList"_s, 3, Goods, 103, 0, true);
        form->ShowOperationPage(form->FrBtnShop);
        TDataOpMasterPage &p = master();
        p.RGLikeIndex->button(2)->setChecked(true);
        p.LbEditName->setText(u"コンビニ"_s);
        p.RunMasterQuery();
        QVERIFY(p.GrpBoxTougou->isEnabled());
        p.IntEditTougou->setText(u"101"_s);
        p.IntEditTougouValueSet();
        QCOMPARE(p.EditTougou->text(), u"コンビニ"_s);

        DialogQueue dialogs;
        dialogs.answer(mrYes, u"102: コンビニ駅前 を処理してよろしいですか？"_s).answer(mrAbort, u"103:"_s);
        p.FrBtnTougouClick();
        QCOMPARE(codes(u"SHOPCODE"_s), u"1:101 2:102 3:103"_s);
        dialogs.answer(mrYesToAll, u"102:"_s);
        p.FrBtnTougouClick();
        QVERIFY(dialogs.done());
        QCOMPARE(codes(u"SHOPCODE"_s), u"1:101 2:101 3:101"_s);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM ShopMast WHERE CODE > 100"_s), 1);
        // Food's two choices became one, the lower-numbered, visible.
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM ShopList WHERE HIMOKUCODE = ?"_s, {Food}), 1);
        QCOMPARE(scalar(u"SELECT DATANO FROM ShopList WHERE HIMOKUCODE = ?"_s, {Food}), 1);
        QCOMPARE(scalar(u"SELECT VISIBLE FROM ShopList WHERE HIMOKUCODE = ?"_s, {Food}), 1);
        QCOMPARE(scalar(u"SELECT OYACODE FROM ShopList WHERE HIMOKUCODE = ?"_s, {Goods}), 101);
    }

    // Duplicate choices: the lowest-numbered row of a group stays, visible
    // when any was; a group never disappears whole.
    void duplicateChoices_data()
    {
        QTest::addColumn<QList<bool>>("visible");
        QTest::addColumn<int>("keptVisible");
        QTest::newRow("three visible") << QList<bool>{true, true, true} << 1;
        QTest::newRow("two hidden") << QList<bool>{false, false} << 0;
        QTest::newRow("hidden first, visible second") << QList<bool>{false, true} << 1;
    }
    void duplicateChoices()
    {
        QFETCH(QList<bool>, visible);
        QFETCH(int, keptVisible);
        addName(u"HinmeiMast"_s, 101, u"米"_s);
        for (int i = 0; i < visible.size(); ++i)
            addChoice(u"HinmeiList"_s, 10 + i, Food, 101, 0, visible.at(i));
        addChoice(u"HinmeiList"_s, 20, Goods, 101, 0, false);
        TDataOpMasterPage::DeleteDuplicateListRows(db(), u"HinmeiList"_s);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList WHERE HIMOKUCODE = ?"_s, {Food}), 1);
        QCOMPARE(scalar(u"SELECT DATANO FROM HinmeiList WHERE HIMOKUCODE = ?"_s, {Food}), 10);
        QCOMPARE(scalar(u"SELECT VISIBLE FROM HinmeiList WHERE HIMOKUCODE = ?"_s, {Food}), keptVisible);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList WHERE HIMOKUCODE = ?"_s, {Goods}), 1);
    }

    // Choice lists: the search matches names as typed; copying shows a hidden
    // row already there and appends the rest; conversions and deletions touch
    // the shown rows only, in one go; an abort deletes nothing.
    void choiceLists()
    {
        addName(u"HinmeiMast"_s, 101, u"米"_s);
        addName(u"HinmeiMast"_s, 102, u"米粉"_s);
        addName(u"HinmeiMast"_s, 103, u"玄米"_s);
        addName(u"HinmeiMast"_s, 104, u"穀物"_s);
        addChoice(u"HinmeiList"_s, 1, Food, 104, 101, true);
        addChoice(u"HinmeiList"_s, 2, Food, 104, 102, true);
        addChoice(u"HinmeiList"_s, 3, Food, 104, 103, true);
        addChoice(u"HinmeiList"_s, 4, Goods, 104, 102, false);
        addChoice(u"HinmeiList"_s, 5, Goods, 103, 0, true);
        RecordNumbers::SetDataNo(db(), u"HinmeiList.db"_s, 5);
        form->ShowOperationPage(form->FrBtnHinmeiList);
        TDataOpListPage &p = *form->TabSelectList;
        QCOMPARE(p.LbListTitle->text(), u"品名選択肢テーブル編集"_s);
        QCOMPARE(p.Rows().size(), 5);
        p.RGListLikeIndex->button(1)->setChecked(true);
        p.LbEditKoName->setText(u"米"_s);
        QVERIFY(p.ListRequery);
        form->ApplicationEvents1Idle();
        QList<int> shown;
        for (const auto &r : p.Rows())
            shown << r.dataNo;
        QCOMPARE(shown, (QList<int>{1, 2, 4}));
        QCOMPARE(p.Model->item(0, 6)->text(), u"米"_s);

        DialogQueue dialogs;
        // Copy the shown rows to 日用品: row 4 is there already (made visible),
        // 米 of 食費 is appended, 米粉 of 食費 finds row 4 too.
        p.FrBtnListHimokuClick(3);
        choose(p.CmbListCopy, Goods);
        dialogs.answer(mrYes, u"3 件あります。"_s);
        p.FrBtnListCopyExecClick();
        QCOMPARE(scalar(u"SELECT VISIBLE FROM HinmeiList WHERE DATANO = 4"_s), 1);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList WHERE HIMOKUCODE = ? AND OYACODE = 104"_s, {Goods}), 2);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList"_s), 6);
        QCOMPARE(scalar(u"SELECT MAX(DATANO) FROM HinmeiList"_s), 6);

        // Parent codes of every shown row, "すべて".
        p.FrBtnListHimokuClick(1);
        p.RadioButton2->setChecked(true);
        p.EditListAtoCode->setText(u"103"_s);
        const int shownNow = p.Rows().size();
        QCOMPARE(shownNow, 4);
        dialogs.answer(mrYes, u"4 件あります。"_s);
        p.FrBtnOyaKoClick();
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList WHERE OYACODE = 103"_s), 5);
        QCOMPARE(scalar(u"SELECT OYACODE FROM HinmeiList WHERE DATANO = 3"_s), 104);

        // Deleting: abort on the second row deletes nothing; yes-to-all the rest.
        dialogs.answer(mrYes, u"データNo 1:"_s).answer(mrAbort, u"データNo 2:"_s);
        p.FrBtnAllListDeleteClick();
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList"_s), 6);
        dialogs.answer(mrNo, u"データNo 1:"_s).answer(mrYesToAll, u"データNo 2:"_s);
        dialogs.answer(mrYes, u"3 件あります。"_s);
        p.FrBtnAllListDeleteClick();
        QVERIFY(dialogs.done());
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList"_s), 3);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM HinmeiList WHERE DATANO IN (1, 3, 5)"_s), 3);
    }

    // "追加": a new name (quotes and all) gets the next code; a known one is
    // reported with its code and not added again.
    void addThroughInputDialog()
    {
        // Numbered as the program numbers names.
        QCOMPARE(GetOrAddMasterCode(db(), u"Person.DB"_s, u"祖母"_s, true), 103);
        form->ShowOperationPage(form->FrBtnPerson);
        TDataOpMasterPage &p = master();
        QCOMPARE(p.Rows().size(), 3);
        DialogQueue dialogs;
        ModalForms::push([](QDialog &d) {
            auto &dlg = dynamic_cast<TInputStringDlg &>(d);
            if (dlg.windowTitle() != u"新規作成"_s || dlg.LbPrompt->text() != u"使用者を入力してください。"_s)
                return int(mrCancel);
            dlg.EditString->setText(u"\"太郎\""_s);
            return int(mrOk);
        });
        dialogs.answer(mrOk, u"で登録しました。"_s);
        p.DataSetInsert1Execute();
        ModalForms::push([](QDialog &d) {
            dynamic_cast<TInputStringDlg &>(d).EditString->setText(u"祖母"_s);
            return int(mrOk);
        });
        dialogs.answer(mrOk, u"コード： 103で既に登録済みです。"_s);
        p.DataSetInsert1Execute();
        ModalForms::push([](QDialog &) { return int(mrCancel); });
        p.DataSetInsert1Execute();
        QVERIFY(dialogs.done());
        const int code = scalar(u"SELECT CODE FROM Person WHERE NAME = ?"_s, {u"\"太郎\""_s});
        QVERIFY(code > 103);
        QVERIFY(dialogs.shownTexts().contains(u"コード： %1で登録しました。\r抽出条件によっては現在のリストには表示されないことがあります。"_s.arg(code)));
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM Person"_s), 5);
    }

    // Renaming in the grid writes the name; an empty one is refused.
    void renameInGrid()
    {
        addName(u"ShopMast"_s, 101, u"八百屋"_s);
        form->ShowOperationPage(form->FrBtnShop);
        TDataOpMasterPage &p = master();
        p.Model->item(0, 1)->setText(u"八百屋'本店"_s);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM ShopMast WHERE NAME = ?"_s, {u"八百屋'本店"_s}), 1);
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"店名を入力してください。"_s);
        p.Model->item(0, 1)->setText(u" "_s);
        QVERIFY(dialogs.done());
        QCOMPARE(p.Model->item(0, 1)->text(), u"八百屋'本店"_s);
        QCOMPARE(scalar(u"SELECT COUNT(*) FROM ShopMast WHERE NAME = ?"_s, {u"八百屋'本店"_s}), 1);
    }

    // The item columns: numbers are checked, the tax treatment is taken by
    // name, short name or number, any other text leaves it.
    void itemCells_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("quantity") << 2 << u"2.5"_s << u"QUANTITY"_s << u"2.5"_s << QString();
        QTest::newRow("quantity letters") << 2 << u"abc"_s << u"QUANTITY"_s << u"1"_s << u"数量には数値を入力してください。"_s;
        QTest::newRow("amount") << 3 << u"1,280"_s << u"GAKU"_s << u"1280"_s << QString();
        QTest::newRow("amount junk") << 3 << u"12円"_s << u"GAKU"_s << u"0"_s << u"金額には数値を入力してください。"_s;
        QTest::newRow("tax by name") << 4 << u"外税"_s << u"ZEIATUKAI"_s << u"2"_s << QString();
        QTest::newRow("tax short") << 4 << u"内"_s << u"ZEIATUKAI"_s << u"1"_s << QString();
        QTest::newRow("tax number") << 4 << u"0"_s << u"ZEIATUKAI"_s << u"0"_s << QString();
        QTest::newRow("tax other text") << 4 << u"税"_s << u"ZEIATUKAI"_s << u"3"_s << QString();
    }
    void itemCells()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, refusal);
        QCOMPARE(GetOrAddMasterCode(db(), u"HinmeiMast.db"_s, u"米"_s, true) > 100, true);
        form->ShowOperationPage(form->FrBtnHinmei);
        TDataOpMasterPage &p = master();
        QCOMPARE(p.Rows().size(), 1);
        DialogQueue dialogs;
        if (!refusal.isEmpty())
            dialogs.answer(mrOk, refusal);
        p.Model->item(0, column)->setText(typed);
        QVERIFY(dialogs.done());
        QCOMPARE(db().scalar(u"SELECT %1 FROM HinmeiMast WHERE NAME = ?"_s.arg(field), {u"米"_s}).toString(), stored);
    }

    // Free SQL: a select shows its rows, an update writes, a failing statement
    // is told in Japanese and leaves the book as it was.
    void freeSql()
    {
        addLine(1, u"2026-01-01"_s, Food, Cash, 100);
        addLine(2, u"2026-01-02"_s, Goods, Cash, 200);
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"このページでは直接SQL文を発行して高度な操作を行います。"_s);
        form->ShowOperationPage(form->FrBtnSQL);
        QVERIFY(dialogs.done());
        TDataOpSqlPage &p = *form->TabSQL;

        p.SpeedButton1->click();
        QVERIFY(!p.CmbBoxTblList->isHidden());
        const int master = p.CmbBoxTblList->findText(u"Master.DB"_s);
        QVERIFY(master >= 0);
        QCOMPARE(p.CmbBoxTblList->findText(u"HinmeiMast.db"_s, Qt::MatchExactly) >= 0, true);
        p.CmbBoxTblListChange(master);
        QCOMPARE(p.MemoSQL->toPlainText(), u"SELECT *\nFROM \"Master.DB\""_s);
        QCOMPARE(p.Model->rowCount(), 3); // row 0 included: this page filters nothing
        QCOMPARE(p.BvlLbSQLCount->text(), u"データ数：　3件"_s);

        p.MemoSQL->setPlainText(u"UPDATE \"Master.DB\" SET KINGAKU = 5 WHERE KARICODE = 108"_s);
        QVERIFY(p.RunWithoutResult());
        QCOMPARE(codes(u"KINGAKU"_s), u"1:100 2:5"_s);
        QCOMPARE(p.BvlLbSQLCount->text(), QString());

        const struct
        {
            QString sql;
            bool withResult;
        } failing[] = {{u"SELEC * FROM Master"_s, true},
                       {u"SELECT * FROM NoSuchTable"_s, true},
                       {u"UPDATE Master SET KINGAKU = 1; UPDATE Nothing SET A = 1"_s, false},
                       {u"INSERT INTO Master (DATANO) VALUES (1)"_s, false}};
        for (const auto &f : failing) {
            dialogs.answer(mrOk, u"SQL文を実行できませんでした。データは変更されていません。"_s);
            p.MemoSQL->setPlainText(f.sql);
            QVERIFY(!(f.withResult ? p.RunWithResult() : p.RunWithoutResult()));
            QVERIFY(dialogs.done());
            QCOMPARE(dialogs.shownTexts().last().contains(u"（詳細）"_s), true);
            QCOMPARE(codes(u"KINGAKU"_s), u"1:100 2:5"_s);
            QCOMPARE(p.Model->rowCount(), 0);
        }
        // Another database file is out of this page's reach.
        const QString other = env->path(u"other.db"_s);
        dialogs.answer(mrOk, u"このページでは開いている家計簿のデータだけを操作できます。"_s);
        p.MemoSQL->setPlainText(u"UPDATE Master SET KINGAKU = 1;\n attach database '%1' as o"_s.arg(other));
        QVERIFY(!p.RunWithoutResult());
        QVERIFY(dialogs.done());
        QVERIFY(!QFile::exists(other));
        QCOMPARE(codes(u"KINGAKU"_s), u"1:100 2:5"_s);
    }

    // The management page's button opens the dialog after its warning, once.
    void managementButtonOpensTheDialog()
    {
        form.reset();
        QWidget window;
        window.resize(900, 600);
        auto *page = new TFrameDataKanri(&window);
        page->ApplicationEvents1Idle();
        QVERIFY(page->FrBtnOperation->isEnabled());
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"必ずバックアップをとってから実行してください。"_s);
        page->FrBtnOperation->click();
        QVERIFY(dialogs.done());
        QVERIFY(FormDataOperation);
        QCOMPARE(FormDataOperation->parentWidget(), &window);
        QCOMPARE(FormDataOperation->geometry(), window.rect());
        QVERIFY(!FormDataOperation->FrBtnHinmeiList->isHidden());
        page->ApplicationEvents1Idle();
        QVERIFY(!page->FrBtnOperation->isEnabled());
        FormDataOperation->FrBtnEnd->click();
        QTRY_VERIFY(!FormDataOperation);
    }
};

QTEST_MAIN(TestDataOperation)
#include "tst_dataoperation.moc"
