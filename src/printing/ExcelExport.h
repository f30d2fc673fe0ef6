#pragma once
#include <QColor>
#include <QString>
#include <functional>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;
class TMyDBGrid;
class TCurrencyGrid;
class QTableView;

// Writes what a page shows into a new .xlsx workbook. The workbook is written
// under a temporary name beside the target and renamed only when it is
// complete, so a failed export leaves neither a half file nor a changed old one.
// hasData() is asked before anything is created: with nothing to export no file
// is made at all.
class TCustomExcelExport
{
public:
    virtual ~TCustomExcelExport() = default;

    QString SheetName = QStringLiteral("Sheet1");
    QString Header;
    bool Decimal = false;   // money with two decimals; set from the book's currency decimals

    virtual bool hasData() = 0;
    // Writes the workbook to path. False with the reason (Japanese) in *why.
    bool execute(const QString &path, QString *why);

    // Absolute A1 address of a sheet cell; columns and rows count from 1.
    static QString CellAddress(int col, int row);

protected:
    TCustomExcelExport();
    virtual void Export() = 0;

    // Helpers for Export(); each throws Exception with a Japanese reason on failure.
    void check(int error, const char *what) const;
    lxw_format *moneyFormat(bool withDot);
    lxw_format *addFormat();
    void widen(int col, const QString &text);   // 0-based sheet column
    void applyWidths();

    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;

private:
    QList<double> m_widths;
};

// One title row and one row per record of a data grid's data set: visible
// columns with a field, packed from column A; numbers as numbers with the money
// format, dates as the user's own date texts (UseText) or date values.
class TDBGridExcelExport : public TCustomExcelExport
{
public:
    TMyDBGrid *DBGrid = nullptr;
    bool UseText = true;
    bool hasData() override;

protected:
    void Export() override;
};

// The same for a list shown by a table view over a model of its own: one title
// row from the header, then one row per model row over the shown columns in
// their shown order. A cell's typed value comes from Qt::EditRole: a date goes
// as the user's own date text (UseText) or a date value, a number as a number
// with the money format; anything else as the text the view shows.
class TTableViewExcelExport : public TCustomExcelExport
{
public:
    QTableView *View = nullptr;
    bool UseText = true;
    bool hasData() override;

protected:
    void Export() override;
};

// Up to five money tables on one sheet, each at its own offsets.
class TCurrencyGridExcelExport : public TCustomExcelExport
{
public:
    TCurrencyGrid *Grid[5] = {};
    QColor FixedColor[5] = {Qt::white, Qt::white, Qt::white, Qt::white, Qt::white};
    QColor RowOddColor = Qt::white;
    QColor RowEvenColor = Qt::white;
    int RowOffSet[5] = {};
    int ColOffSet[5] = {};
    // Asked before table n (0-based) is written; may change Grid[n].
    std::function<void(int gridNo, TCurrencyGrid *&grid)> OnGetGrid;
    bool hasData() override;

protected:
    void Export() override;

private:
    void writeTable(TCurrencyGrid *grid, int colOffset, int rowOffset, const QColor &fixed);
    int m_freezeRow = 0;
    int m_freezeCol = 0;
};

// The page side of an export: "nothing to export" told, the save dialog started
// in the folder used last, the workbook written and opened with the desktop's
// program. Every failure is told to the user. True when a workbook was written.
bool RunExcelExport(TCustomExcelExport &exporter, const QString &defaultName);

// Whether a finished workbook is opened with the desktop's default program
// (switched off by the tests).
void SetOpenExportedWorkbook(bool open);
