#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>

#include "BookFixture.h"
#include "DataOpFixture.h"
#include "DialogQueue.h"
#include "PdfReader.h"
#include "PreviewPrint.h"
#include "TestEnv.h"
#include "WorkbookReader.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "management/DataOpJournalPage.h"
#include "management/DataOpSqlPage.h"
#include "management/FormDataOperation.h"
#include "platform/db/Database.h"
#include "printing/ExcelExport.h"
#include "printing/NkPrinters.h"
#include "printing/ReportPreView.h"

using namespace Qt::StringLiterals;

namespace {

// Categories of the shipped template.
constexpr int Cash = 100;
constexpr int Food = 107;

constexpr int Maruse = 101; // a shop

// Clearly red pixels of page 1 rendered finely enough for one short date.
int redPixels(const QString &pdf)
{
    const QImage img = PdfReader::render(pdf, 1, 200).convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            count += qRed(c) > 180 && qGreen(c) < 120 && qBlue(c) < 120;
        }
    return count;
}

} // namespace

// The data operations' 印刷 menu and the day colours of the journal grid, on a
// book made from the shipped template: the grids printed through the report
// preview into a PDF and exported into a workbook, both read back.
class TestDataOpPrint : public QObject, public DataOpPlace
{
    Q_OBJECT

    void addLine(int no, const QString &date, double amount, int shop = 0)
    {
        Statement st(db(), u"INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, KARICODE, KASICODE, "
                           "RESERVED, STYLE, ORIGIN, HINMEICODE, SHOPCODE, PERSONCODE) "
                           "VALUES (?, 1, ?, ?, 1, ?, ?, 0, 1, 2, 0, ?, 0)"_s);
        const QVariantList v{no, date, amount, Food, Cash, shop};
        for (int i = 0; i < v.size(); ++i)
            st.bind(i + 1, v.at(i));
        st.exec();
    }
    // The book's holiday calendar holds exactly these days.
    void setHolidays(const QList<QDate> &days)
    {
        db().exec(u"DELETE FROM DateList WHERE TYPE = 1"_s);
        int no = 9000;
        for (const QDate &d : days) {
            Statement st(db(), u"INSERT INTO DateList (DATANO, RECDATE, NAME, TYPE) VALUES (?, ?, ?, 1)"_s);
            st.bind(1, ++no);
            st.bind(2, d.toString(Qt::ISODate));
            st.bind(3, u"振替休日"_s);
            st.exec();
        }
        LoadHolidayList(db());
    }
    QAction *menu(const char *name) { return form->PopupMenuPrint->findChild<QAction *>(QString::fromLatin1(name)); }

    // 明細を印刷 into file through the preview the menu opens; the preview's
    // caption in *caption. False when no preview came.
    bool printShown(const QString &file, QString *caption = nullptr)
    {
        const PreviewPrint shown = PrintThroughPreview(menu("MenuPrintMeisai"), file, true);
        if (caption)
            *caption = shown.caption;
        return shown.printed;
    }
    void showJournal()
    {
        form->ShowOperationPage(form->FrBtnMaster);
        form->TabMain->RefreshJournal();
    }

private slots:
    void init()
    {
        QVERIFY(openDataOpBook());
        Statement st(db(), u"INSERT INTO ShopMast (CODE, NAME) VALUES (?, ?)"_s);
        st.bind(1, Maruse);
        st.bind(2, u"丸正商店"_s);
        st.exec();
        // A Monday made a holiday, a plain Wednesday (a refund), a Saturday.
        setHolidays({QDate(2025, 5, 5)});
        addLine(1, u"2025-05-05"_s, 1200, Maruse);
        addLine(2, u"2025-05-07"_s, -300, Maruse);
        addLine(3, u"2025-05-10"_s, 450);
        openDataOpForm();
    }
    void cleanup()
    {
        HoliDayList.clear();
        closeDataOpBook();
    }

    // Each page prints its own grid under its own title; the grid is usable
    // again once the preview is closed.
    void printsTheShownGrid_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("journal") << 0 << u"家計簿データ一括修正"_s
                                 << QStringList{u"丸正商店"_s, u"1,200"_s, u"-300"_s, u"25.05.10"_s};
        QTest::newRow("shops") << 1 << u"店名テーブル編集"_s << QStringList{u"丸正商店"_s, u"101"_s};
        QTest::newRow("sql") << 2 << u"SQL"_s << QStringList{u"丸正商店"_s, u"1200"_s};
    }
    void printsTheShownGrid()
    {
        QFETCH(int, page);
        QFETCH(QString, title);
        QFETCH(QStringList, texts);
        QTableView *grid = nullptr;
        if (page == 0) {
            showJournal();
            grid = form->TabMain->DBGridMain;
        } else if (page == 1) {
            form->ShowOperationPage(form->FrBtnShop);
            grid = form->ShownPrintTarget().grid;
        } else {
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"直接SQL文を発行"_s);
            form->ShowOperationPage(form->FrBtnSQL);
            QVERIFY(dialogs.done());
            form->TabSQL->MemoSQL->setPlainText(
                u"SELECT S.NAME, M.KINGAKU FROM Master M JOIN ShopMast S ON S.CODE = M.SHOPCODE ORDER BY M.DATANO"_s);
            QVERIFY(form->TabSQL->RunWithResult());
            grid = form->TabSQL->MyDBGridSql;
        }
        QVERIFY(grid && grid->model()->rowCount() > 0);
        QCOMPARE(form->ShownPrintTarget().grid, grid);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"grid.pdf"_s);
        QString caption;
        QVERIFY(printShown(file, &caption));
        QVERIFY(!FormLrpPreView);
        QVERIFY2(caption.startsWith(u"抽出"_s), qPrintable(caption));
        QVERIFY(grid->isEnabled());
        const QString text = PdfReader::text(file);
        // The title stands at the top and again at the foot of the page.
        QVERIFY2(text.count(title) >= 2, qPrintable(text));
        for (const QString &t : texts)
            QVERIFY2(text.contains(t), qPrintable(t + u" not in:\n"_s + text));
    }

    // An empty grid prints nothing and says so; the choice lists have nothing
    // to print; "?" says there is no help file.
    void nothingToPrint()
    {
        form->TabMain->FrBtnAll->click();
        db().exec(u"DELETE FROM Master WHERE DATANO > 0"_s);
        showJournal();
        QCOMPARE(form->TabMain->Model->rowCount(), 0);
        DialogQueue dialogs;
        dialogs.answer(mrOk, u"印刷するものがありません。"_s);
        menu("MenuPrintMeisai")->trigger();
        QVERIFY(dialogs.done());
        QVERIFY(!FormLrpPreView);

        QVERIFY(form->FrBtnPrint->isEnabled());
        form->ShowOperationPage(form->FrBtnShopList);
        QVERIFY(!form->FrBtnPrint->isEnabled());
        QVERIFY(!form->ShownPrintTarget().grid);
        form->ShowOperationPage(form->FrBtnHinmei);
        QVERIFY(form->FrBtnPrint->isEnabled());

        dialogs.answer(mrOk, NoHelpText());
        form->FrBtnHelp->click();
        QVERIFY(dialogs.done());
    }

    // 明細をエクセルへ: one sheet named after the page with the lines as the
    // grid lists them; dates and amounts go as values, not as the grid's texts.
    void exportsTheJournal()
    {
        showJournal();
        SetOpenExportedWorkbook(false);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"journal.xlsx"_s);
        DialogQueue dialogs;
        dialogs.saveFile(file);
        menu("MenuPrintMeiseiExcel")->trigger();
        QVERIFY(dialogs.done());
        QVERIFY(QFile::exists(file));
        QVERIFY(WorkbookXml(file, u"xl/workbook.xml"_s).contains(u"name=\"家計簿データ一括修正\""_s));
        const QString sheet = WorkbookXml(file, u"xl/worksheets/sheet1.xml"_s);
        QVERIFY2(sheet.contains(u"<v>-300</v>"_s) && sheet.contains(u"<v>1200</v>"_s), qPrintable(sheet));
        QString skip;
        const QList<QStringList> rows = ReadWorkbooks({file}, &skip).value(u"journal"_s);
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
        QCOMPARE(SheetCell(rows, 1, 2).section(u' ', 0, 0), u"日付"_s);
        QCOMPARE(SheetCell(rows, 2, 1), u"1"_s);
        QVERIFY2(SheetCell(rows, 2, 2).contains(u"2025"_s), qPrintable(SheetCell(rows, 2, 2)));
        QCOMPARE(SheetCell(rows, 3, 8), u"101: 丸正商店"_s);
        QCOMPARE(SheetCell(rows, 5, 1), QString());
    }

    // A holiday of the book's calendar on a weekday is red like a Sunday, in
    // the grid and in the print; an ordinary weekday is not.
    void weekdayHolidayIsRed()
    {
        showJournal();
        QStandardItemModel *model = form->TabMain->Model;
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->item(0, 1)->foreground().color(), QColor(Qt::red));
        QVERIFY(model->item(1, 1)->foreground().color() != QColor(Qt::red));
        QCOMPARE(model->item(2, 1)->foreground().color(), QColor(Qt::blue));

        // On paper too, with only the holiday's line listed (nothing else red).
        form->TabMain->ChkStart->setChecked(true);
        form->TabMain->DTPStart->setDate(QDate(2025, 5, 5));
        form->TabMain->ChkEnd->setChecked(true);
        form->TabMain->DTPEnd->setDate(QDate(2025, 5, 5));
        form->TabMain->RefreshJournal();
        QCOMPARE(model->rowCount(), 1);
        QTemporaryDir dir;
        QVERIFY(printShown(dir.filePath(u"holiday.pdf"_s)));
        QVERIFY(redPixels(dir.filePath(u"holiday.pdf"_s)) > 0);

        setHolidays({});
        form->TabMain->RefreshJournal();
        QVERIFY(model->item(0, 1)->foreground().color() != QColor(Qt::red));
        QVERIFY(printShown(dir.filePath(u"weekday.pdf"_s)));
        QCOMPARE(redPixels(dir.filePath(u"weekday.pdf"_s)), 0);
    }
};

QTEST_MAIN(TestDataOpPrint)
#include "tst_dataopprint.moc"
