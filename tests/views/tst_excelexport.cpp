#include <QtTest>

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include "DialogQueue.h"
#include "WorkbookReader.h"
#include "controls/CurrencyGrid.h"
#include "controls/MyDBGrid.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/DataSource.h"
#include "printing/ExcelExport.h"

using namespace Qt::StringLiterals;

// Exported workbooks are read back with a real spreadsheet program (cells, via
// CSV) and in their XML (formats, fills, frozen panes).
class TestExcelExport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QHash<QString, QList<QStringList>> m_csv;   // workbook base name -> rows

    QString path(const QString &name) const { return m_dir.filePath(name + u".xlsx"_s); }

    // Converts every workbook written so far in one soffice run.
    void convertAll()
    {
        QStringList files;
        for (const QString &f : QDir(m_dir.path()).entryList({u"*.xlsx"_s}))
            files << m_dir.filePath(f);
        QString skip;
        m_csv = ReadWorkbooks(files, &skip);
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
    }

    QString cell(const QString &book, int row, int col) const { return SheetCell(m_csv.value(book), row, col); }
    QString xml(const QString &book, const QString &member) const { return WorkbookXml(path(book), member); }

    static void fillTable(TCurrencyGrid &g, int base)
    {
        g.setColCount(3);
        g.setRowCount(3);
        g.setFixedCols(1);
        g.setFixedRows(1);
        g.setCells(0, 0, u"費目"_s);
        g.setCells(1, 0, u"1月"_s);
        g.setCells(2, 0, u"2月"_s);
        g.setCells(0, 1, u"食費"_s);
        g.setCells(0, 2, u"住居費"_s);
        g.setValue(1, 1, Currency::fromInt(base + 1234));
        g.setValue(2, 1, Currency::fromInt(-(base + 500)));
        g.setValue(1, 2, Currency::fromInt(base + 70000));
    }

    ClientDataSet m_ds;
    DataSource *m_source = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetOpenExportedWorkbook(false);
        m_ds.setFieldDefs({{u"HIDUKE"_s, FieldType::Date}, {u"NAME"_s, FieldType::String, 40},
                           {u"KINGAKU"_s, FieldType::Currency}, {u"DATANO"_s, FieldType::Integer}});
        m_ds.createDataSet();
        const struct { QDate d; const char *name; int amount; } rows[] = {
            {QDate(2024, 1, 5), "にんじん", 198}, {QDate(2024, 1, 31), "家賃", -72000}};
        int no = 1;
        for (const auto &r : rows) {
            m_ds.append();
            m_ds["HIDUKE"].setAsDate(r.d);
            m_ds["NAME"].setAsString(QString::fromUtf8(r.name));
            m_ds["KINGAKU"].setAsCurrency(Currency::fromInt(r.amount));
            m_ds["DATANO"].setAsInteger(no++);
            m_ds.post();
        }
        m_source = new DataSource(&m_ds);
    }

    void cleanupTestCase() { delete m_source; }

    // Writes every kind of workbook, converts them together, then checks each.
    void workbooksReadBack()
    {
        // One table with a header: A1 holds the header, the table starts at row 3,
        // panes frozen at its first data cell.
        TCurrencyGrid one;
        fillTable(one, 0);
        {
            TCurrencyGridExcelExport ex;
            ex.SheetName = u"年間集計"_s;
            ex.Header = u"2024年 支出"_s;
            ex.Grid[0] = &one;
            ex.FixedColor[0] = QColor(0xE3F1F7);
            ex.RowEvenColor = QColor(0xFFF0F0);
            QString why;
            QVERIFY2(ex.execute(path(u"one"_s), &why), qPrintable(why));
        }
        // Two tables side by side, the second asked for by the handler; nothing frozen.
        TCurrencyGrid two;
        fillTable(two, 100000);
        {
            TCurrencyGridExcelExport ex;
            ex.Grid[0] = &one;
            ex.ColOffSet[1] = 4;
            ex.OnGetGrid = [&](int n, TCurrencyGrid *&g) { if (n == 1) g = &two; };
            ex.Grid[3] = &one;   // stops at the first empty table (3rd)
            QString why;
            QVERIFY2(ex.execute(path(u"two"_s), &why), qPrintable(why));
        }
        // Data grid: a hidden column and a column without a field are left out.
        TMyDBGrid grid;
        grid.setDataSource(m_source);
        grid.setColumns({{u"HIDUKE"_s, u"日付"_s}, {u"NOSUCH"_s, u"無い"_s}, {u"NAME"_s, u"品名"_s},
                         {u"DATANO"_s, u"番号"_s}, {u"KINGAKU"_s, u"金額"_s}});
        TMyDBGridColumn hidden = grid.column(3);
        hidden.visible = false;
        grid.setColumn(3, hidden);
        m_ds.last();
        {
            TDBGridExcelExport ex;
            ex.DBGrid = &grid;
            ex.SheetName = u"明細"_s;
            ex.UseText = false;
            QString why;
            QVERIFY2(ex.execute(path(u"lines"_s), &why), qPrintable(why));
        }
        QCOMPARE(m_ds["DATANO"].asInteger(), 2);   // position kept
        // Table view: its columns in the order shown, a hidden one left out,
        // the typed values as dates and numbers.
        QStandardItemModel model(0, 4);
        model.setHorizontalHeaderLabels({u"日付"_s, u"品名"_s, u"番号"_s, u"金額"_s});
        model.appendRow({new QStandardItem, new QStandardItem(u"にんじん"_s), new QStandardItem(u"1"_s), new QStandardItem});
        model.appendRow({new QStandardItem, new QStandardItem(u"家賃"_s), new QStandardItem(u"2"_s), new QStandardItem});
        model.setData(model.index(0, 0), QDate(2024, 1, 5));
        model.setData(model.index(1, 0), QDate(2024, 1, 31));
        model.setData(model.index(0, 3), 198.0);
        model.setData(model.index(1, 3), -72000.0);
        QTableView view;
        view.setModel(&model);
        view.setColumnHidden(2, true);
        view.horizontalHeader()->moveSection(3, 1);
        {
            TTableViewExcelExport ex;
            ex.View = &view;
            ex.UseText = false;
            QString why;
            QVERIFY2(ex.execute(path(u"view"_s), &why), qPrintable(why));
        }
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{u"lines.xlsx"_s, u"one.xlsx"_s, u"two.xlsx"_s, u"view.xlsx"_s}));

        convertAll();

        QCOMPARE(cell(u"one"_s, 1, 1), u"2024年 支出"_s);
        QCOMPARE(cell(u"one"_s, 2, 1), QString());
        QCOMPARE(cell(u"one"_s, 3, 1), u"費目"_s);
        QCOMPARE(cell(u"one"_s, 3, 2), u"1月"_s);
        QCOMPARE(cell(u"one"_s, 4, 1), u"食費"_s);
        QCOMPARE(cell(u"one"_s, 4, 2), u"1,234"_s);
        QCOMPARE(cell(u"one"_s, 4, 3), u"-500"_s);
        QCOMPARE(cell(u"one"_s, 5, 2), u"70,000"_s);
        QCOMPARE(cell(u"one"_s, 5, 3), QString());   // zero: blank
        const QString oneSheet = xml(u"one"_s, u"xl/worksheets/sheet1.xml"_s);
        QVERIFY2(oneSheet.contains(u"topLeftCell=\"B4\""_s), qPrintable(oneSheet.left(800)));
        const QString oneStyles = xml(u"one"_s, u"xl/styles.xml"_s);
        QVERIFY(oneStyles.contains(u"#,##0;[Red]-#,##0"_s));
        QVERIFY(oneStyles.contains(u"FFE3F1F7"_s));
        QVERIFY(oneStyles.contains(u"FFFFF0F0"_s));
        QVERIFY(oneStyles.contains(u"style=\"dotted\""_s));
        QVERIFY(xml(u"one"_s, u"xl/workbook.xml"_s).contains(u"name=\"年間集計\""_s));

        QCOMPARE(cell(u"two"_s, 2, 2), u"1,234"_s);
        QCOMPARE(cell(u"two"_s, 2, 6), u"101,234"_s);
        QCOMPARE(cell(u"two"_s, 3, 7), QString());
        QCOMPARE(cell(u"two"_s, 3, 6), u"170,000"_s);
        QCOMPARE(cell(u"two"_s, 2, 9), QString());   // table 4 never written
        QVERIFY(!xml(u"two"_s, u"xl/worksheets/sheet1.xml"_s).contains(u"<pane"_s));

        QCOMPARE(cell(u"lines"_s, 1, 1), u"日付"_s);
        QCOMPARE(cell(u"lines"_s, 1, 2), u"品名"_s);
        QCOMPARE(cell(u"lines"_s, 1, 3), u"金額"_s);
        QCOMPARE(cell(u"lines"_s, 1, 4), QString());
        QCOMPARE(cell(u"lines"_s, 2, 1), u"2024/01/05"_s);
        QCOMPARE(cell(u"lines"_s, 2, 2), u"にんじん"_s);
        QCOMPARE(cell(u"lines"_s, 3, 3), u"-72,000"_s);
        QVERIFY(xml(u"lines"_s, u"xl/worksheets/sheet1.xml"_s).contains(u"ySplit=\"1\""_s));

        QCOMPARE(m_csv.value(u"view"_s).value(0), (QStringList{u"日付"_s, u"金額"_s, u"品名"_s}));
        QCOMPARE(m_csv.value(u"view"_s).value(1), (QStringList{u"2024/01/05"_s, u"198"_s, u"にんじん"_s}));
        QCOMPARE(cell(u"view"_s, 3, 2), u"-72,000"_s);
        QVERIFY(xml(u"view"_s, u"xl/worksheets/sheet1.xml"_s).contains(u"<v>-72000</v>"_s));
    }

    // Nothing to export, a cancelled dialog and an unwritable folder leave no file
    // and the user is told why.
    void refusalsLeaveNoFile()
    {
        QTemporaryDir dir;
        TMyDBGrid grid;
        grid.setDataSource(m_source);
        for (const bool open : {false, true}) {
            // A closed list and an empty one: nothing to export.
            ClientDataSet lines;
            if (open) {
                lines.setFieldDefs({{u"NAME"_s, FieldType::String, 40}});
                lines.createDataSet();
            }
            DataSource src(&lines);
            TMyDBGrid empty;
            empty.setDataSource(&src);
            TDBGridExcelExport ex;
            ex.DBGrid = &empty;
            DialogQueue dialogs;
            dialogs.answer(mrOk, u"出力するデータがありません。"_s);
            QVERIFY(!RunExcelExport(ex, u"明細"_s));
            QVERIFY(dialogs.done());
        }
        {
            TDBGridExcelExport ex;
            ex.DBGrid = &grid;
            DialogQueue dialogs;
            dialogs.saveFile(QString());
            QVERIFY(!RunExcelExport(ex, u"明細"_s));
            QVERIFY(dialogs.done());
        }
        {
            // A folder that is not there (removed after it was chosen).
            const QString gone = dir.filePath(u"gone"_s);
            TDBGridExcelExport ex;
            ex.DBGrid = &grid;
            DialogQueue dialogs;
            dialogs.saveFile(gone + u"/明細.xlsx"_s).answer(mrOk, u"書き込めません"_s);
            QVERIFY(!RunExcelExport(ex, u"明細"_s));
            QVERIFY(dialogs.done());
            QVERIFY(!QFileInfo::exists(gone));
        }
        {
            TDBGridExcelExport ex;
            ex.DBGrid = &grid;
            const QString target = dir.filePath(u"ok.xlsx"_s);
            DialogQueue dialogs;
            dialogs.saveFile(dir.filePath(u"ok"_s));
            QVERIFY(RunExcelExport(ex, u"明細"_s));
            QVERIFY(dialogs.done());
            QVERIFY(QFileInfo(target).size() > 0);
        }
    }
};

QTEST_MAIN(TestExcelExport)
#include "tst_excelexport.moc"
