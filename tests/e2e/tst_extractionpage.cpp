#include <QtTest>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>

#include "BookFixture.h"
#include "DialogQueue.h"
#include "PdfReader.h"
#include "PreviewPrint.h"
#include "printing/ReportPreView.h"
#include "WorkbookReader.h"
#include "printing/ExcelExport.h"
#include "JournalPageDriver.h"
#include "controls/FrameBtn.h"
#include "controls/MyDBGrid.h"
#include "platform/db/Query.h"
#include "views/FrameTyuSyutu.h"
#include "views/MyDateTimePicker.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int Salary = 101, Food = 107, Daily = 108, Cash = 100; // of the template
constexpr int Shop = 301, Other = 302, Odd = 303;
constexpr int Milk = 301, Bread = 302;

Database &book() { return DatMod->MainDatabase; }

void addMaster(const QString &table, int code, const QString &name)
{
    Statement st(book(), u"INSERT INTO %1 (CODE, NAME) VALUES (?, ?)"_s.arg(table));
    st.bind(1, code);
    st.bind(2, name);
    st.exec();
}

void addLine(int dataNo, const QDate &date, int kari, int kasi, double amount, double quantity, int item, int shop,
             int origin)
{
    Statement st(book(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, HINMEICODE, SHOPCODE, "
                         "PERSONCODE, KARISIDE, KARICODE, KASICODE, RESERVED, RECKIND, STYLE, ORIGIN, ZEIATUKAI) "
                         "VALUES (?, 0, ?, ?, ?, ?, ?, 101, 1, ?, ?, 0, 1, 1, ?, 0)"_s);
    const QVariantList v{dataNo, date, amount, quantity, item, shop, kari, kasi, origin};
    for (int i = 0; i < v.size(); ++i)
        st.bind(i + 1, v[i]);
    st.exec();
}

QList<int> listed(Query *q)
{
    QList<int> out;
    if (!q->isActive())
        return out;
    for (q->first(); !q->eof(); q->next())
        out << q->fieldByName(u"DATANO"_s)->asInteger();
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

// The extraction page as a user meets it: the program started on a book from
// the template, the page picked by its tab, conditions chosen, 抽出開始 clicked.
class TestExtractionPage : public QObject, public JournalPageDriver
{
    Q_OBJECT

    int m_year = QDate::currentDate().year();

    TFrameTyuSyutu *openPage()
    {
        if (!window->SelectPage(pgTyusyutu))
            return nullptr;
        return qobject_cast<TFrameTyuSyutu *>(window->frameOf(pgTyusyutu));
    }

private slots:
    void init()
    {
        makeBook();
        QVERIFY(start());
        addMaster(u"ShopMast"_s, Shop, u"丸正"_s);
        addMaster(u"ShopMast"_s, Other, u"丸の内店"_s);
        addMaster(u"ShopMast"_s, Odd, u"O'Neil; DROP TABLE Master"_s);
        addMaster(u"HinmeiMast"_s, Milk, u"牛乳"_s);
        addMaster(u"HinmeiMast"_s, Bread, u"パン"_s);
        // This year: three lines at 丸正, one at 丸の内店, one at the odd shop,
        // a salary; last year one more at 丸正.
        addLine(900001, QDate(m_year, 2, 3), Food, Cash, 300, 2, Milk, Shop, 2);
        addLine(900002, QDate(m_year, 5, 6), Food, Cash, 200, 1, Milk, Shop, 2);
        addLine(900003, QDate(m_year, 7, 8), Daily, Cash, 500, 0, Bread, Shop, 2);
        addLine(900004, QDate(m_year, 7, 9), Food, Cash, 900, 3, Bread, Other, 2);
        addLine(900005, QDate(m_year, 8, 1), Food, Cash, 70, 1, Milk, Odd, 2);
        addLine(900006, QDate(m_year, 4, 25), Cash, Salary, 1000, 0, 0, 0, 1);
        addLine(900007, QDate(m_year - 1, 12, 31), Food, Cash, 400, 1, Milk, Shop, 2);
    }
    void cleanup() { dropWorld(); }

    // 支出を印刷: the listed lines as a grid report titled 支出 under 抽出,
    // with the period of the pickers (only the start ticked: "start ～").
    void printsTheListedLines()
    {
        TFrameTyuSyutu *p = openPage();
        QVERIFY(p);
        p->CmbDeruShop->setEditText(u"丸正"_s);
        QTest::mouseClick(p->FrBtnExecute, Qt::LeftButton);
        QCOMPARE(p->DBGridDeru->model()->rowCount(), 3);
        p->DTPStart->setChecked(true);
        p->DTPStart->setDate(QDate(2025, 4, 1));
        p->DTPEnd->setChecked(false);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"extract.pdf"_s);
        const PreviewPrint shown = PrintThroughPreview(p->findChild<QAction *>(u"MenuDeruPrint"_s), file);
        QVERIFY(shown.printed);
        QVERIFY(!FormLrpPreView);
        QVERIFY2(shown.caption.startsWith(u"抽出"_s), qPrintable(shown.caption));
        QVERIFY(p->DBGridDeru->isEnabled());
        const QString text = PdfPageText(file, 1);
        QVERIFY2(text.contains(u"支出"_s) && text.contains(u"抽出"_s), qPrintable(text));
        // The wave dash reads back from the PDF as either of its two codes.
        QVERIFY2(text.contains(QRegularExpression(u"2025年4月1日 [～〜]"_s)), qPrintable(text));
        QVERIFY(!text.contains(u"全期間"_s));
        QCOMPARE(text.count(u"丸正"_s), 3);
        QVERIFY(PdfPageHasInk(file, 1));
    }

    // The first showing builds the SQL and lists nothing until 抽出開始; then
    // a year of one shop's lines with their total and the balance.
    void listsAYearOfOneShop()
    {
        TFrameTyuSyutu *p = openPage();
        QVERIFY(p);
        QVERIFY(p->isVisible());
        QVERIFY(!p->Sql()->Results[TTyuSyutuSql::Deru].sql.isEmpty());
        QVERIFY(!p->ListQuery(TTyuSyutuSql::Deru)->isActive());
        QVERIFY(p->FrBtnPrint->isVisible());
        QVERIFY(!p->GBNext->isEnabled());
        QVERIFY(p->MemoDeruSQL->isReadOnly());
        // Lines by date at first: the date title carries the arrow.
        QCOMPARE(p->DBGridDeru->column(0).caption, u"日付   ↑"_s);
        QVERIFY(p->DBGridDeru->column(0).titleBold);

        p->CmbDeruShop->setEditText(u"丸正"_s);
        QTest::mouseClick(p->FrBtnExecute, Qt::LeftButton);
        QCOMPARE(listed(p->ListQuery(TTyuSyutuSql::Deru)), (QList<int>{900001, 900002, 900003}));
        QCOMPARE(p->DBGridDeru->model()->rowCount(), 3);
        QCOMPARE(p->Sql()->Results[TTyuSyutuSql::Deru].total, Currency::fromInt(1000));
        QVERIFY(p->BvlLbDeruGoukei->text().contains(u"1,000"_s));
        {
            // 支出をエクセルへ writes the listed lines, read back as the grid shows them.
            SetOpenExportedWorkbook(false);
            QTemporaryDir dir;
            const QString file = dir.filePath(u"抽出.xlsx"_s);
            DialogQueue dialogs;
            dialogs.saveFile(file);
            p->findChild<QAction *>(u"MenuDeruExcel"_s)->trigger();
            QVERIFY(dialogs.done());
            QString skip;
            const QList<QStringList> rows = ReadWorkbooks({file}, &skip).value(u"抽出"_s);
            if (skip.isEmpty()) {
                QCOMPARE(rows.size() - (rows.last() == QStringList{QString()} ? 1 : 0), 4);
                QString all;
                for (const QStringList &r : rows)
                    all += r.join(u'|') + u'\n';
                QCOMPARE(all.count(u"丸正"_s), 3);
            }
        }
        // Income: the salary; the balance is income minus expense, here 0.
        QCOMPARE(listed(p->ListQuery(TTyuSyutuSql::Iri)), (QList<int>{900006}));
        QVERIFY(p->BvlLbSyusi->text().endsWith(u" 0"_s));
        QVERIFY(p->GBNext->isEnabled());

        // Narrow to 牛乳: two lines; a negative balance is drawn red.
        p->RGNext->button(2)->click();
        p->CmbDeruShop->setEditText(u"すべて"_s);
        p->CmbDeruHinmei->setEditText(u"牛乳"_s);
        QTest::mouseClick(p->FrBtnExecute, Qt::LeftButton);
        QCOMPARE(listed(p->ListQuery(TTyuSyutuSql::Deru)), (QList<int>{900001, 900002}));
        QVERIFY(p->BvlLbSyusi->text().contains(u"500"_s));
        QVERIFY(!p->BvlLbSyusi->styleSheet().contains(u"red"_s));
        p->CmbIriHimoku->setEditText(u"賞与"_s);
        QTest::mouseClick(p->FrBtnExecute, Qt::LeftButton);
        QVERIFY(p->BvlLbSyusi->styleSheet().contains(u"red"_s));
    }

    // Names with quotes, semicolons and pattern characters find themselves
    // and change nothing in the book.
    void oddNamesFindThemselves_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("like");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("exact") << u"O'Neil; DROP TABLE Master"_s << 0 << QList<int>{900005};
        QTest::newRow("contains quote") << u"'Neil;"_s << 2 << QList<int>{900005};
        QTest::newRow("starts with") << u"丸"_s << 1 << QList<int>{900001, 900002, 900003, 900004};
        QTest::newRow("percent") << u"%"_s << 1 << QList<int>{};
        QTest::newRow("underscore") << u"_"_s << 2 << QList<int>{};
    }
    void oddNamesFindThemselves()
    {
        QFETCH(QString, typed);
        QFETCH(int, like);
        QFETCH(QList<int>, expected);
        TFrameTyuSyutu *p = openPage();
        QVERIFY(p);
        p->RGLike->button(like)->click();
        p->CmbDeruShop->setEditText(typed);
        QTest::mouseClick(p->FrBtnExecute, Qt::LeftButton);
        QCOMPARE(listed(p->ListQuery(TTyuSyutuSql::Deru)), expected);
        QCOMPARE(book().scalar(u"SELECT COUNT(*) FROM Master"_s).toInt(), 8);
    }

    // Statistics per item, sorted by a title click, per unit too.
    void statisticsSortedByTitle()
    {
        TFrameTyuSyutu *p = openPage();
        QVERIFY(p);
        p->ChkBoxTakane->setChecked(true);
        QVERIFY(p->ChkBoxShop->isEnabled());
        QTest::mouseClick(p->FrBtnExecute, Qt::LeftButton);
        Query *q = p->StatsQuery(TTyuSyutuSql::Deru);
        QVERIFY(q->isActive());
        QCOMPARE(q->recordCount(), 2); // パン, 牛乳 by name
        QCOMPARE(p->DBGridDeru->model()->rowCount(), 2);
        int maxColumn = -1;
        for (int c = 0; c < p->DBGridDeru->columnCount(); ++c)
            if (p->DBGridDeru->column(c).fieldName == u"MAXVALUE")
                maxColumn = c;
        QVERIFY(maxColumn >= 0);
        p->SortByColumn(TTyuSyutuSql::Deru, maxColumn);
        p->SortByColumn(TTyuSyutuSql::Deru, maxColumn); // again: highest first
        QVERIFY(p->DBGridDeru->column(maxColumn).caption.endsWith(u"↓"_s));
        q->first();
        QCOMPARE(q->fieldByName(u"HINMEICODE"_s)->asInteger(), Bread);
        QCOMPARE(q->fieldByName(u"MAXVALUE"_s)->asFloat(), 900.0);
        // Per unit, sorted by item name (the join of the item master): パン
        // counts only its line with a quantity.
        p->ChkBoxQuantity->setChecked(true);
        p->ChkBoxTakane->setChecked(false);
        p->ChkBoxTakane->setChecked(true);
        QTest::mouseClick(p->FrBtnExecute, Qt::LeftButton);
        q = p->StatsQuery(TTyuSyutuSql::Deru);
        QVERIFY(q->locate(u"HINMEICODE"_s, Bread));
        QCOMPARE(q->fieldByName(u"COUNTVALUE"_s)->asInteger(), 1);
        QCOMPARE(q->fieldByName(u"MAXVALUE"_s)->asFloat(), 300.0);
        // The total stays the raw amounts of the lines covered.
        QCOMPARE(p->Sql()->Results[TTyuSyutuSql::Deru].total, Currency::fromInt(300 + 200 + 900 + 70));
    }

    // Switching the mode empties the SQL texts; the next run builds them again.
    void modeSwitchRebuildsOnRun()
    {
        TFrameTyuSyutu *p = openPage();
        QVERIFY(p);
        QTest::mouseClick(p->FrBtnHuri, Qt::LeftButton);
        for (const TTyuSyutuResult &r : p->Sql()->Results)
            QVERIFY(r.sql.isEmpty());
        QVERIFY(p->DBGridKouza->isVisible());
        QVERIFY(!p->DBGridDeru->isVisible());
        QTest::mouseClick(p->FrBtnExecute, Qt::LeftButton);
        QVERIFY(!p->Sql()->Results[TTyuSyutuSql::Kouza].sql.isEmpty());
        // Every line of this year, the book's line 0 left out.
        QCOMPARE(listed(p->ListQuery(TTyuSyutuSql::Kouza)).size(), 6);
    }

    // A start date typed as a day that does not exist says so and keeps the
    // date it had; it never turns into another day (02/30 into 02/03).
    void impossibleStartDateIsRefused()
    {
        TFrameTyuSyutu *p = openPage();
        QVERIFY(p);
        DialogQueue dialogs;
        QDateEdit *edit = p->DTPStart->dateEdit();
        const QDate before = edit->date();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClicks(edit, u"2026/02/30"_s);
        QCOMPARE(edit->text(), u"2026/02/30"_s);
        dialogs.answer(mrOk, u"無効な日付です。"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(dialogs.done());
        QCOMPARE(p->DTPStart->date(), before);
        QCOMPARE(edit->text(), before.toString(u"yyyy/MM/dd"_s));
        // A real day is taken.
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClicks(edit, u"2026/02/28"_s);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(p->DTPStart->date(), QDate(2026, 2, 28));
        QVERIFY(dialogs.done());
    }

    // The jump opens an expense line on the expense page; income lines are
    // offered too, now that their page exists.
    void jumpOpensTheEntry()
    {
        TFrameTyuSyutu *p = openPage();
        QVERIFY(p);
        QTest::mouseClick(p->FrBtnExecute, Qt::LeftButton);
        p->DBGridIri->setFocus();
        QTRY_VERIFY(p->DBGridIri->hasFocus());
        QTRY_VERIFY(p->ActionEdit->isEnabled()); // income: the income page takes it
        p->DBGridDeru->setFocus();
        QTRY_VERIFY(p->ActionEdit->isEnabled());
        QVERIFY(p->ListQuery(TTyuSyutuSql::Deru)->locate(u"DATANO"_s, 900004));
        p->ActionEdit->trigger();
        QCOMPARE(window->currentPageNo(), int(pgDeru));
        // Coming back lists the same lines again, at the remembered line.
        p = openPage();
        QVERIFY(p);
        QCOMPARE(p->ListQuery(TTyuSyutuSql::Deru)->fieldByName(u"DATANO"_s)->asInteger(), 900004);
    }
};

QTEST_MAIN(TestExtractionPage)
#include "tst_extractionpage.moc"
