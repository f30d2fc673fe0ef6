#pragma once

#include <functional>

#include <QDate>
#include <QPair>
#include <QString>

#include "platform/db/Currency.h"
#include "printing/ReportEngine.h"
#include "printing/ReportItems.h"

class QPagedPaintDevice;
class TCurrencyGrid;

// What the balance sheet reads from the account totals page: its two overview
// tables (two fixed rows: the heads, then the totals), the view (0 assets and
// liabilities, 1 income and expense), the totals date when one is chosen, the
// caption of the page's total button, and which table rows are accounts (the
// others are group rows, printed bold).
struct TBalanceSheetSource
{
    TCurrencyGrid *HyouSisan = nullptr;
    TCurrencyGrid *HyouFusai = nullptr;
    int View = 0;
    bool SyukeiBi = false;
    QDate GaiyoSimeBi;
    QString AllGakuCaption;
    std::function<bool(bool left, int tableRow)> IsAccountRow;
};

// The household balance sheet ("わが家のバランスシート") on one page: the left
// table (assets, or income) and the right one (liabilities, or expense) side by
// side, each with its head, its rows and its totals at the bottom; in the asset
// view the right side goes on with the household's own capital and its ratio.
class TFrameLrpSisanGaiyo
{
public:
    TFrameLrpSisanGaiyo();

    TLightRep LightRep;
    TLRLayoutPanel *LRLyoPnlTitle = nullptr;
    TLRItem *ItTitle = nullptr;
    TLRLayoutPanel *LRLyoPnlBottom = nullptr;
    TLRItem *ItemDate = nullptr;
    TLRLayoutPanel *LRLyoPnlMain = nullptr;
    TLRGridPanel *LRGridPnlIri = nullptr;
    TLRGridPanel *LRGridPnlDeru = nullptr;
    TLRItem *LRIriYosan_0 = nullptr, *LRIriYosan_1 = nullptr;
    TLRItem *LRDeruYosan_0 = nullptr, *LRDeruYosan_1 = nullptr;

    void SetSource(const TBalanceSheetSource &source);
    // Rows of the left and right panels for tables of a and l rows: 30 each
    // while both fit, else both as many as the longer side needs, so neither
    // side ever loses its last rows (its totals).
    static QPair<int, int> PanelRows(int assetRows, int liabilityRows, int view);
    // The capital ratio text: "---" for totals adding up to zero.
    static QString RatioText(Currency assets, Currency liabilities);
    // The one page onto the device; false with the reason without tables.
    bool Print(QPagedPaintDevice &device, QString *why = nullptr);
    bool PrintToPdf(const QString &file, QString *why = nullptr);

private:
    void printRow(bool left, int r, TPrintStatus &status);
    TBalanceSheetSource m_source;
};
