#pragma once

#include <QList>
#include <QPointer>
#include <QString>

#include "printing/ReportEngine.h"
#include "printing/ReportItems.h"

class QPagedPaintDevice;
class QTableView;

// Any table of the program (a data grid or another table view) as a paged
// report, without a report designed for it: one report column per visible
// column in the order shown, one row per record, a title band, the column
// heads, an optional carry row bringing the balance of the previous page
// forward ("前ページより繰越"), and a footer with the print date, the page
// number and the title again. Dates print once per run of equal dates and
// again at the top of every page, Sundays and holidays in red, Saturdays in
// blue; negative amounts in red.
class TFrameAutoLightRep
{
public:
    // What a report column shows: the kind decides the colours.
    enum ColumnKind { ckText, ckDate, ckAmount };

    TFrameAutoLightRep();
    ~TFrameAutoLightRep();

    TLightRep LightRep;
    TLRLayoutPanel *LRLyoPnlTitle = nullptr;
    TLRLayoutPanel *LRLyoPnlMain = nullptr;
    TLRGridPanel *LRGridPanel = nullptr;
    TLRLayoutPanel *LRLyoPnlColumHead = nullptr;
    TLRLayoutPanel *LRLyoPnlGridTop = nullptr;
    TLRLayoutPanel *LRLyoPnlFooter = nullptr;
    TLRItem *ItTitle = nullptr;
    TLRItem *ItNenGetudo = nullptr;
    TLRItem *ItKikan = nullptr;
    TLRItem *ItSubTitle = nullptr;
    TLRItem *ItemDate = nullptr;
    TLRItem *ItemPage = nullptr;
    TLRItem *ItBottomTitle = nullptr;

    // The model columns whose value is carried to the next page and in whose
    // report column the carry label stands; the carry row exists when both are
    // set (before SetDBGrid).
    int BalanceField = -1;
    int CarryLabelField = -1;
    int PageCount = -1;
    int RowsPrinted = 0;
    QString LastDateText;
    bool AutoWidth = true;
    int ItemHMargin = 2;
    QColor ItemLineColor = QColor(0xFD, 0x99, 0x99);
    QList<TLRItem *> HeadItems, CarryItems;
    QList<TLRDBItem *> DataItems;
    QList<ColumnKind> Kinds;

    // Takes the view's visible columns (with their titles and widths) and lays out.
    void SetDBGrid(QTableView *grid);
    // Rows per page, band heights, item places and widths; again after a paper change.
    void Layout();
    // The cursor over the grid's records; the pages move it.
    TReportCursor &DataSet() { return m_cursor; }
    int RecordCount() const { return m_cursor.recordCount(); }
    // Records per page after Layout.
    int RowsPerPage() const { return LRGridPanel->RowCount(); }
    // Sets PageCount from the records and the rows per page.
    int ComputePageCount();
    // Moves the cursor to the first record of the page.
    void PositionPage(int page);
    // Every page onto the device; false with the reason when there is nothing to print.
    bool Print(QPagedPaintDevice &device, QString *why = nullptr);
    // Every page into a PDF file whose text reads back as printed.
    bool PrintToPdf(const QString &file, QString *why = nullptr);

private:
    void AddColumn(const QString &caption, int width, int column, Qt::Alignment alignment, ColumnKind kind);
    void ApplyLineStyle();
    void ItemGetText(TLRItem *sender, QString &text);
    int fontHeight() const { return m_fontHeight; }

    QPointer<QTableView> m_grid;
    TReportCursor m_cursor;
    int m_fontHeight = 12;
};
