#pragma once

#include <QDate>
#include <QFont>
#include <QList>
#include <QString>

#include "printing/ReportEngine.h"
#include "printing/ReportItems.h"

class QPagedPaintDevice;

// What the diary report prints: the diary page's days in date order, with the
// first and last day of the period the page shows (days of the calendar's
// neighbouring months lie outside it).
struct TDiarySource
{
    struct Day
    {
        QDate RECDATE;
        QString MEMO;
    };
    QList<Day> MemoClt;
    QDate First, Last;
    QFont MemoFont;
};

// The diary as a report: a grid of day cells, one day per cell, as a list (one
// column) or as a calendar (seven columns). Each cell shows the day with its
// weekday, coloured for Sundays, Saturdays, holidays and days outside the
// period, the holiday's name, and the diary text.
class TFrameLrpMemoList
{
public:
    TFrameLrpMemoList();

    TLightRep LightRep1;
    TLRLayoutPanel *LRLayouTitle = nullptr;
    TLRItem *LRItemTitle = nullptr;
    TLRGridPanel *LRGridPnlMain = nullptr;
    TLRItem *ItemRecDate = nullptr;
    TLRItem *ItemMemo = nullptr;
    TLRLayoutPanel *LRLyoPnlFooter = nullptr;
    TLRItem *ItemPage = nullptr;
    TLRItem *ItemDate = nullptr;
    int PageCount = -1;

    void SetSource(const TDiarySource &source);
    void SetRowCount(int rows);
    void SetColCount(int cols);
    // Lays the cells out again for the paper, orientation and columns.
    void Relayout();
    int DaysPerPage() const { return LRGridPnlMain->RowCount() * LRGridPnlMain->ColCount(); }
    int ComputePageCount();
    void PositionPage(int page) { m_row = (page - 1) * DaysPerPage(); }
    // Every page onto the device; false with the reason when there is no day.
    bool Print(QPagedPaintDevice &device, QString *why = nullptr);
    // Every page into a PDF file whose text reads back as printed.
    bool PrintToPdf(const QString &file, QString *why = nullptr);

private:
    void LRGridPnlMainPrintPanel(TPrintStatus &status);
    void LRLyoPnlFooterBeforePrint();
    TDiarySource m_source;
    bool m_hasSource = false;
    int m_row = 0;
    int m_dateDesignWidth = 110;
    int m_baseLeftMargin = 78;
};
