#pragma once

#include <functional>

#include <QString>

#include "printing/ReportEngine.h"
#include "printing/ReportItems.h"

class QPagedPaintDevice;
class TCurrencyGrid;

// What the budget report reads from the budget page: its summary, budget and
// actuals tables, the switch that shows one side in the two side tables
// (true: income), the month it shows, and the category rows of each side.
struct TBudgetSource
{
    TCurrencyGrid *SyusiHyou = nullptr;
    TCurrencyGrid *YosanHyou = nullptr;
    TCurrencyGrid *JissekiHyou = nullptr;
    std::function<void(bool income)> ShowSide;
    QString ImaNen, NenCaption = QStringLiteral("年度"), ImaTuki, TukiCaption = QStringLiteral("月分");
    int IncomeRows = 0;
    int ExpenseRows = 0;
};

// The budget against the actuals of one month on one page: the month's summary
// above, then income on the left and expense on the right, one category a row.
// Printing leaves the page showing the expense side.
class TFrameLrpYosan
{
public:
    TFrameLrpYosan();

    TLightRep LightRep;
    TLRLayoutPanel *LRLyoPnlTitle = nullptr;
    TLRItem *ItTitle = nullptr;
    TLRLayoutPanel *LRLyoPnlBottom = nullptr;
    TLRItem *ItemDate = nullptr;
    TLRLayoutPanel *LRLayoutPanel5 = nullptr;
    TLRItem *ITSyusi[5][5] = {};   // column i, row j
    TLRLayoutPanel *LRLyoPnlMain = nullptr;
    TLRGridPanel *LRGridPnlIri = nullptr;
    TLRGridPanel *LRGridPnlDeru = nullptr;
    TLRItem *Iri[5] = {};    // LRIriYosan_0, LRIriYosan_1, LRIriJisseki_0 .. _2
    TLRItem *Deru[5] = {};   // LRDeruYosan_0, … LRDeruJisseki_2

    void SetSource(const TBudgetSource &source) { m_source = source; }
    // 30 rows a side while both sides have at most 28 categories, else the
    // longer side's count and its two head rows, for both.
    static int PanelRows(int incomeRows, int expenseRows);
    bool Print(QPagedPaintDevice &device, QString *why = nullptr);
    bool PrintToPdf(const QString &file, QString *why = nullptr);

private:
    void printRow(bool income, int r, TPrintStatus &status);
    TBudgetSource m_source;
};
