#include <QtTest>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "WorkbookReader.h"
#include "printing/ExcelExport.h"
#include "JournalPageDriver.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "controls/MySpeedButton.h"
#include "data/DatModEvents.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/Vocabulary.h"
#include "views/FrameYosan.h"
#include "views/YosanJissekiData.h"
#include "views/YosanTables.h"
#include "views/YosanWarn.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int Food = 107;    // 食費 of the template
constexpr int Daily = 108;   // 日用品
constexpr int Cash = 100;    // 現金

Currency yen(qint64 v) { return Currency::fromInt(v); }

Database &book() { return DatMod->MainDatabase; }

void addExpense(const QDate &date, int code, qint64 amount, bool scheduled = false)
{
    static int dataNo = 900000;
    Statement st(book(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARISIDE, KARICODE, KASICODE, "
                         "RESERVED, RECKIND, STYLE, ORIGIN, ZEIATUKAI) VALUES (?, 0, ?, ?, 1, 1, ?, ?, ?, 1, 1, 2, 0)"_s);
    st.bind(1, ++dataNo);
    st.bind(2, date);
    st.bind(3, double(amount));
    st.bind(4, code);
    st.bind(5, Cash);
    st.bind(6, scheduled ? 1 : 0);
    st.exec();
}

QList<QPair<QString, double>> storedBudgets(const QDate &month, int bunrui = 2)
{
    QList<QPair<QString, double>> rows;
    Statement st(book(), u"SELECT HIMOKUCODE, KINGAKU FROM Yosan WHERE RECDATE = ? AND BUNRUI = ? ORDER BY HIMOKUCODE, rowid"_s);
    st.bind(1, month);
    st.bind(2, bunrui);
    while (st.next())
        rows.append({QString::number(st.intValue(0)), st.doubleValue(1)});
    return rows;
}

} // namespace

// The budget page as a user meets it: the program started on a book from the
// template, the page picked by its tab, budgets typed into its table.
class TestBudgetPage : public QObject, public JournalPageDriver
{
    Q_OBJECT

    TFrameDeru *m_deru = nullptr;
    QDate m_month; // the first day of the shown (current) month

    TFrameYosan *openBudgetPage()
    {
        if (!window->SelectPage(pgYosan))
            return nullptr;
        return qobject_cast<TFrameYosan *>(window->frameOf(pgYosan));
    }

    int rowOf(TFrameYosan *p, int code)
    {
        for (int row = TYosanTables::FirstCategoryRow; row < p->YosanHyou->rowCount(); ++row)
            if (p->YosanHyou->objects(0, row).toInt() == code)
                return row;
        return -1;
    }

    // Types into a budget cell as the user does: select it, type, Enter.
    void typeBudget(TFrameYosan *p, int row, const QString &text)
    {
        p->YosanHyou->setFocus();
        p->YosanHyou->selectCellAt(1, row);
        QVERIFY(p->YosanHyou->showEditor(QString(), true));
        QLineEdit *editor = p->YosanHyou->inplaceEditor();
        editor->selectAll();
        editor->insert(text);
        QTest::keyClick(editor, Qt::Key_Return);
    }

private slots:
    void init()
    {
        makeBook();
        m_deru = start();
        QVERIFY(m_deru);
        const QDate today = QDate::currentDate();
        m_month = QDate(today.year(), today.month(), 1);
    }
    void cleanup() { dropWorld(); }

    // The page of the menu: the shown month's expense budgets against actuals.
    void showsTheMonthAgainstItsActuals()
    {
        addExpense(m_month, Food, 45000);
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        QVERIFY(p->isVisible());
        QCOMPARE(window->currentPageNo(), int(pgYosan));
        QCOMPARE(p->Edit_ImaNen->text().toInt(), m_month.year());
        QCOMPARE(p->Edit_ImaTuki->text().toInt(), m_month.month());
        QCOMPARE(p->YosanHyou->cells(0, 0), u"支　出"_s);
        const int row = rowOf(p, Food);
        QVERIFY(row > 0);
        QCOMPARE(p->JissekiHyou->getValue(0, row), yen(45000));
        // 印刷 offers the spreadsheet export; the five tables go on one sheet,
        // income tables before expense ones, and the page stays on its side.
        QVERIFY(p->FrBtnPrint->isVisible());
        {
            SetOpenExportedWorkbook(false);
            QTemporaryDir dir;
            const QString file = dir.filePath(u"予算表.xlsx"_s);
            DialogQueue dialogs;
            dialogs.saveFile(file);
            p->findChild<QAction *>(u"MenuPrintHyouExcel"_s)->trigger();
            QVERIFY(dialogs.done());
            QCOMPARE(int(p->Side), 2);
            QCOMPARE(p->JissekiHyou->getValue(0, row), yen(45000));
            QString skip;
            const QList<QStringList> rows = ReadWorkbooks({file}, &skip).value(u"予算表"_s);
            if (skip.isEmpty()) {
                QVERIFY(SheetCell(rows, 1, 1).endsWith(u"月分"_s));
                const int top = p->SyusiHyou->rowCount() + 2 + 2;
                const int yc = p->YosanHyou->colCount(), jc = p->JissekiHyou->colCount();
                QCOMPARE(SheetCell(rows, top + row + 1, 2 * yc + jc + 2), u"45,000"_s);
                QCOMPARE(SheetCell(rows, top + 1, 2 * yc + jc + 2), p->JissekiHyou->displayText(0, 0));
            }
        }
        // The income side.
        QTest::mouseClick(p->FrBtnIri, Qt::LeftButton);
        QCOMPARE(p->Side, uint8_t(1));
        QCOMPARE(p->YosanHyou->cells(0, 0), u"収　入"_s);
        QCOMPARE(p->JissekiHyou->cells(2, 0), u"充足率"_s);
    }

    // The side buttons and the tables start right under the top area, and a
    // window taller than the tables keeps the spare height below them.
    void tablesStartUnderTheTopArea()
    {
        window->resize(1200, 1000);
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        QTRY_VERIFY(p->YosanHyou->height() > 0);
        const int topBottom = std::max(p->SyusiHyou->geometry().bottom(), p->PnlKakoBtn->geometry().bottom());
        const int buttonsTop = p->FrBtnIri->mapTo(p, QPoint(0, 0)).y();
        QVERIFY2(buttonsTop > topBottom && buttonsTop - topBottom <= 20,
                 qPrintable(u"top area ends at %1, side buttons start at %2"_s.arg(topBottom).arg(buttonsTop)));
        QCOMPARE(p->FrBtnCopy->mapTo(p, QPoint(0, 0)).y(), buttonsTop);
        // All categories shown, the tables no taller than their rows.
        for (TCurrencyGrid *table : {p->YosanHyou, p->JissekiHyou, p->KakoHyou})
            QCOMPARE(table->height(), table->maximumHeight());
        QVERIFY(p->YosanHyou->geometry().bottom() < p->height() - 100);
    }

    // Budgets typed as amounts or one-operator expressions on the old budget.
    void budgetsTypedAsExpressions_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<qint64>("stored");
        QTest::newRow("product") << "3000*4" << QString() << qint64(12000);
        QTest::newRow("negative budget") << "-500" << QString() << qint64(-500);
        QTest::newRow("minus on the old budget") << "1000" << "-500" << qint64(500);
        QTest::newRow("double the old budget") << "1,500" << "*2" << qint64(3000);
        QTest::newRow("half rounded") << "1001" << "/2" << qint64(501);
    }
    void budgetsTypedAsExpressions()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(qint64, stored);
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        const int row = rowOf(p, Food);
        typeBudget(p, row, first);
        if (!second.isEmpty())
            typeBudget(p, row, second);
        QCOMPARE(p->YosanHyou->getValue(1, row), yen(stored));
        QCOMPARE(storedBudgets(m_month), (QList<QPair<QString, double>>{{QString::number(Food), double(stored)}}));
        QVERIFY(DatMod->DataChanged);
        // Enter moved on to the next category.
        QCOMPARE(p->YosanHyou->model()->row(), row + 1);
        // Clearing the cell deletes the month's budget row.
        typeBudget(p, row, QString());
        QVERIFY(storedBudgets(m_month).isEmpty());
    }

    // F2 opens the budget as plain text; emptied and left by a click on
    // another cell, the budget is cleared and the click goes through.
    void editorLeftByAClick()
    {
        BookFixture::addBudget(book(), m_month.toString(Qt::ISODate), Food, 65000, 2);
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        const int row = rowOf(p, Food);
        p->YosanHyou->setFocus();
        p->YosanHyou->selectCellAt(1, row);
        QTest::keyClick(p->YosanHyou, Qt::Key_F2);
        QVERIFY(p->YosanHyou->isEditorOpen());
        QCOMPARE(p->YosanHyou->inplaceEditor()->text(), u"65000"_s);
        p->YosanHyou->inplaceEditor()->clear();
        const QRect other = p->YosanHyou->cellRect(1, row + 2);
        QVERIFY(other.isValid());
        QTest::mouseClick(p->YosanHyou->viewport(), Qt::LeftButton, {}, other.center());
        QVERIFY(!p->YosanHyou->isEditorOpen());
        QVERIFY(storedBudgets(m_month).isEmpty());
        QCOMPARE(p->YosanHyou->model()->row(), row + 2);
    }

    // 特別 brings the special categories in, 予約 the scheduled lines; both
    // are the book's settings.
    void bookSwitches()
    {
        book().exec(u"UPDATE Himoku SET TOKUBETU = 1 WHERE CODE = %1"_s.arg(Daily));
        LoadHimokuCaches(book());
        addExpense(m_month, Food, 1000);
        addExpense(m_month, Food, 2000, true);
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        QCOMPARE(rowOf(p, Daily), -1);
        QCOMPARE(p->JissekiHyou->getValue(0, rowOf(p, Food)), yen(1000));
        QTest::mouseClick(p->SpBtnTokubetu, Qt::LeftButton);
        QVERIFY(TokubetuShowFlag);
        QVERIFY(DataIni->readBool(u"State"_s, u"TokubetuShow"_s, false));
        QVERIFY(rowOf(p, Daily) > 0);
        QTest::mouseClick(p->SpBtnReserve, Qt::LeftButton);
        QVERIFY(IncludeReservedFlag);
        QVERIFY(DataIni->readBool(u"State"_s, u"IncludeReseved"_s, false));
        QCOMPARE(p->JissekiHyou->getValue(0, rowOf(p, Food)), yen(3000));
    }

    // Refused text: the message in Japanese, the budget as it was, and the
    // typed text back in the editor to be corrected.
    void refusedTextKeepsTheUsersText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters") << "12a" << "式が正しくありません。";
        QTest::newRow("division by zero") << "100/0" << "0で除算できません。";
        QTest::newRow("two operators") << "1+2+3" << "式が正しくありません。";
    }
    void refusedTextKeepsTheUsersText()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        const int row = rowOf(p, Food);
        typeBudget(p, row, u"8000"_s);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, message);
            typeBudget(p, row, text);
            QVERIFY(dialogs.done());
        }
        QCOMPARE(p->YosanHyou->getValue(1, row), yen(8000));
        QCOMPARE(storedBudgets(m_month), (QList<QPair<QString, double>>{{QString::number(Food), 8000.0}}));
        QTRY_VERIFY(p->YosanHyou->isEditorOpen());
        QCOMPARE(p->YosanHyou->inplaceEditor()->text(), text);
        QCOMPARE(p->YosanHyou->model()->row(), row);
        // Leaving the page with the text still refused keeps the page.
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, message);
            QVERIFY(!window->SelectPage(pgDeru));
            QVERIFY(dialogs.done());
        }
        QCOMPARE(window->currentPageNo(), int(pgYosan));
        // Escape gives up the text; the page can be left.
        QTRY_VERIFY(p->YosanHyou->isEditorOpen());
        QTest::keyClick(p->YosanHyou->inplaceEditor(), Qt::Key_Escape);
        QVERIFY(window->SelectPage(pgDeru));
    }

    // Closing the program mid-edit: a budget in the editor is saved first; a
    // refused one is shown, and the user is asked whether to close anyway.
    void closingMidEdit()
    {
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        const int row = rowOf(p, Food);
        p->YosanHyou->setFocus();
        p->YosanHyou->selectCellAt(1, row);
        QVERIFY(p->YosanHyou->showEditor(u"7000"_s, true));
        QVERIFY(p->CommitForClose());
        QCOMPARE(storedBudgets(m_month), (QList<QPair<QString, double>>{{QString::number(Food), 7000.0}}));

        QVERIFY(p->YosanHyou->showEditor(u"7000/0"_s, true));
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"0で除算できません。"_s).answer(mrNo, TMainForm::ForceCloseText);
            QVERIFY(!window->close());
            QVERIFY(dialogs.done());
        }
        QVERIFY(window->isVisible());
        QTRY_VERIFY(p->YosanHyou->isEditorOpen());
        QCOMPARE(p->YosanHyou->inplaceEditor()->text(), u"7000/0"_s);
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"0で除算できません。"_s).answer(mrYes, TMainForm::ForceCloseText);
            QVERIFY(window->close());
            QVERIFY(dialogs.done());
        }
        // The book as it was left on disk.
        Database closed;
        closed.open(folder + u"/PomuZenitData.db"_s);
        QCOMPARE(closed.scalar(u"SELECT KINGAKU FROM Yosan WHERE HIMOKUCODE = ?"_s, {Food}).toDouble(), 7000.0);
        QCOMPARE(closed.scalar(u"SELECT COUNT(*) FROM Yosan"_s).toInt(), 1);
    }

    // Copying the past month's budget or actual: asked first; Yes stores every
    // category's budget at once, No leaves the book and shows what it holds.
    void copyFromThePastMonth_data()
    {
        QTest::addColumn<bool>("actual");
        QTest::addColumn<int>("answer");
        QTest::newRow("budget, yes") << false << int(mrYes);
        QTest::newRow("budget, no") << false << int(mrNo);
        QTest::newRow("actual, yes") << true << int(mrYes);
    }
    void copyFromThePastMonth()
    {
        QFETCH(bool, actual);
        QFETCH(int, answer);
        const QDate past = m_month.addMonths(-1);
        BookFixture::addBudget(book(), past.toString(Qt::ISODate), Food, 30000, 2);
        BookFixture::addBudget(book(), past.toString(Qt::ISODate), Daily, 5000, 2);
        addExpense(past.addDays(2), Food, 28000);
        addExpense(past.addDays(3), Daily, 6100);
        BookFixture::addBudget(book(), m_month.toString(Qt::ISODate), Food, 99999, 2);

        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        QCOMPARE(p->KakoMonth, uint16_t(past.month()));
        const int food = rowOf(p, Food);
        QCOMPARE(p->KakoHyou->getValue(1, food), yen(30000));
        {
            DialogQueue dialogs;
            dialogs.answer(answer, u"この予算で登録しますか？"_s);
            QTest::mouseClick(actual ? p->FrBtnJissekiCopy : p->FrBtnCopy, Qt::LeftButton);
            QVERIFY(dialogs.done());
        }
        const qint64 food2 = answer == mrNo ? 99999 : actual ? 28000 : 30000;
        QCOMPARE(p->YosanHyou->getValue(1, food), yen(food2));
        const QList<QPair<QString, double>> stored = storedBudgets(m_month);
        if (answer == mrNo) {
            QCOMPARE(stored, (QList<QPair<QString, double>>{{QString::number(Food), 99999.0}}));
            return;
        }
        // Every expense category has its row; the copied ones their amounts.
        QCOMPARE(stored.size(), p->YosanHyou->rowCount() - TYosanTables::FirstCategoryRow);
        QVERIFY(stored.contains(QPair<QString, double>(QString::number(Food), double(food2))));
        QVERIFY(stored.contains(QPair<QString, double>(QString::number(Daily), actual ? 6100.0 : 5000.0)));
        QCOMPARE(YosanJissekiData.DeruImaYosan, yen(actual ? 34100 : 35000));
    }

    // A copy that fails part-way leaves the month's budgets as they were.
    void failedCopyWritesNothing()
    {
        const QDate past = m_month.addMonths(-1);
        BookFixture::addBudget(book(), past.toString(Qt::ISODate), Food, 30000, 2);
        BookFixture::addBudget(book(), m_month.toString(Qt::ISODate), Food, 99999, 2);
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        // The engine refuses the last category's new row.
        const int lastCode = p->YosanHyou->objects(0, p->YosanHyou->rowCount() - 1).toInt();
        book().exec(u"CREATE TRIGGER refuse_last BEFORE INSERT ON Yosan WHEN NEW.HIMOKUCODE = %1 "
                    "BEGIN SELECT RAISE(ABORT, 'disk full'); END"_s.arg(lastCode));
        DatMod->DataChanged = false;
        {
            DialogQueue dialogs;
            dialogs.answer(mrYes, u"この予算で登録しますか？"_s).answer(mrOk, u"予算を保存できませんでした。"_s);
            QTest::mouseClick(p->FrBtnCopy, Qt::LeftButton);
            QVERIFY(dialogs.done());
        }
        QCOMPARE(storedBudgets(m_month), (QList<QPair<QString, double>>{{QString::number(Food), 99999.0}}));
        QCOMPARE(p->YosanHyou->getValue(1, rowOf(p, Food)), yen(99999));
        QVERIFY(!DatMod->DataChanged);
    }

    // Two stored rows of one month and category: the typed budget replaces
    // both, so the page shows what was typed.
    void typedBudgetReplacesDuplicateRows()
    {
        BookFixture::addBudget(book(), m_month.toString(Qt::ISODate), Food, 1000, 2);
        BookFixture::addBudget(book(), m_month.toString(Qt::ISODate), Food, 2000, 2);
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        const int row = rowOf(p, Food);
        QCOMPARE(p->YosanHyou->getValue(1, row), yen(3000));
        typeBudget(p, row, u"5000"_s);
        QCOMPARE(p->YosanHyou->getValue(1, row), yen(5000));
        QCOMPARE(storedBudgets(m_month), (QList<QPair<QString, double>>{{QString::number(Food), 5000.0}}));
    }

    // With the lock date on the month, budgets can be neither typed nor copied.
    void lockDateRefusesBudgets()
    {
        CurLockDate = m_month;
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        QVERIFY(!p->BudgetEditable());
        QVERIFY(!p->YosanHyou->model()->allowEdit());
        const int row = rowOf(p, Food);
        p->YosanHyou->selectCellAt(1, row);
        QVERIFY(!p->YosanHyou->showEditor());
        {
            DialogQueue dialogs;
            dialogs.answer(mrOk, QString::fromUtf16(kLockedDateMessage));
            QVERIFY(!p->SetBudgetText(row, u"1000"_s));
            dialogs.answer(mrOk, QString::fromUtf16(kLockedDateMessage));
            QTest::mouseClick(p->FrBtnCopy, Qt::LeftButton);
            QVERIFY(dialogs.done());
        }
        QVERIFY(storedBudgets(m_month).isEmpty());
        // The next month is open.
        p->StepImaMonth(true);
        QVERIFY(p->BudgetEditable());
        QVERIFY(p->YosanHyou->model()->allowEdit());
    }

    // A year typed digit by digit is taken only once it is a year; the other
    // pages follow the month chosen here.
    void yearTypedDigitByDigit()
    {
        TFrameYosan *p = openBudgetPage();
        QVERIFY(p);
        DialogQueue dialogs; // none may come
        p->Edit_ImaNen->setFocus();
        p->Edit_ImaNen->selectAll();
        for (const QString &typed : {u"2"_s, u"0"_s, u"2"_s}) {
            QTest::keyClicks(p->Edit_ImaNen, typed);
            QCOMPARE(CurYear, uint16_t(m_month.year()));
        }
        QTest::keyClicks(p->Edit_ImaNen, u"0"_s);
        QCOMPARE(p->Edit_ImaNen->text(), u"2020"_s);
        QCOMPARE(CurYear, uint16_t(2020));
        QCOMPARE(YosanJissekiData.DeruImaDate, QDate(2020, m_month.month(), 1));
        // Letters never get in; a month of 0 is not taken.
        QTest::keyClicks(p->Edit_ImaTuki, u"x"_s);
        QCOMPARE(p->Edit_ImaTuki->text(), QString::number(m_month.month()));
        p->Edit_ImaTuki->selectAll();
        QTest::keyClicks(p->Edit_ImaTuki, u"0"_s);
        QCOMPARE(CurMonth, uint16_t(m_month.month()));
        p->Edit_ImaTuki->selectAll();
        QTest::keyClicks(p->Edit_ImaTuki, u"4"_s);
        QCOMPARE(CurMonth, uint16_t(4));
        QVERIFY(dialogs.done());
    }

    // The expense page's budget percentage and the tab images follow a budget
    // changed here.
    void expensePageFollowsABudgetChange()
    {
        book().exec(u"UPDATE Himoku SET YOSANWARN = 1 WHERE CODE = %1"_s.arg(Food));
        LoadHimokuCaches(book());
        DataIni->WriteBoolAndUpdate(u"Deru"_s, u"ShowYosanRitu"_s, true);
        addExpense(m_month, Food, 5000);
        m_deru->RefreshPage();

        struct Case
        {
            QString budget;
            qint64 rate;
            int image;
        };
        for (const Case &c : {Case{u"1000000"_s, 1, 0}, Case{u"100"_s, 5000, 3}}) {
            TFrameYosan *p = openBudgetPage();
            QVERIFY(p);
            typeBudget(p, rowOf(p, Food), c.budget);
            // The expense page's budgets are current before it is shown again.
            QCOMPARE(DeruYosanWarn.TotalBudget(), yen(c.budget.toLongLong()));
            QVERIFY(window->SelectPage(pgDeru));
            QCOMPARE(m_deru->Hyou->getValue(2, m_deru->rowOfCode(Food)), yen(c.rate));
            QCOMPARE(window->tabImageIndex(pgYosan), c.image);
        }
    }
};

QTEST_MAIN(TestBudgetPage)
#include "tst_budgetpage.moc"
