#pragma once

#include <QDate>
#include <QFrame>
#include <QList>

#include "main/FrameInterface.h"
#include "views/NenSyukeiSwitches.h"
#include "views/NenSyusiMeisai.h"

class Database;
class QComboBox;
class QLabel;
class QSplitter;
class QWidget;
class TCurrencyGrid;
class TFrameBtn;
class TShapeBtn;

// Page 5 (集計) of the main window: the annual income and expense table. For
// the year in the year box, four money tables one above the other: the balance
// row (収支), income, expense and (with account management on) accounts, each
// with its group total first, twelve months or ten fiscal years, whole-span
// total, running totals or year-on-year ratios; a click lists the lines behind a
// cell in the detail panel. The figures, switches and filters live in the
// shared calculator NenSyukeiData, so the chart page shows the same mode.
class TFrameNenSyusi : public QFrame, public IFrameInterface, public TNenSyukeiControls
{
    Q_OBJECT
public:
    explicit TFrameNenSyusi(QWidget *parent = nullptr);
    ~TFrameNenSyusi() override;

    // ---- components -------------------------------------------------------
    QWidget *ToolBar = nullptr;
    QComboBox *CmbBoxYear = nullptr;
    // The switches and filter boxes are those of TNenSyukeiControls.
    TFrameBtn *FrBtnZenNenHi = nullptr;
    QLabel *LbKouza = nullptr;
    QSplitter *Split = nullptr;       // tables | detail panel
    QSplitter *PnlLeft = nullptr;     // the four tables
    TCurrencyGrid *SyusiHyou = nullptr;
    TCurrencyGrid *IriHyou = nullptr;
    TCurrencyGrid *DeruHyou = nullptr;
    TCurrencyGrid *KouzaHyou = nullptr;
    TNenSyusiMeisai *PnlMeisai = nullptr;

    // ---- IFrameInterface ----------------------------------------------------
    void RefreshPage() override;
    void InitPage() override;
    int ReleaseOrder() override { return 2; }
    bool LeavePage() override;
    int PageNo() override { return 5; }

    // ---- the page's routines ---------------------------------------------------
    // The page's own refresh (switches from the book settings, filter lists,
    // account table, recomputation); the window's RefreshPage adds the warning.
    void RefreshContents();
    void Recalculate(int year);
    void FillTables();
    // A typed or chosen year; ignored when not a number, the year shown, or
    // outside 1900..2100.
    void ChangeYear(int year);
    void YearTextChanged(const QString &text);
    // The tables' arrangement for the left panel's height.
    void ArrangeTables();
    // Shows the information message on mismatched closing settings unless the
    // user has turned it off (Cancel turns it off for good).
    void WarnSyukeiMismatch();

    // A cell of a table chosen (fixed cells too); the detail list follows at
    // the next idle moment.
    void SelectCell(TCurrencyGrid *table, int col, int row);
    // Lists the lines behind a cell now.
    void ShowDetail(TCurrencyGrid *table, int col, int row);
    void SelectTable(TCurrencyGrid *table);
    TCurrencyGrid *selectedTable() const { return m_selTable; }
    int selectedCol() const { return m_selCol; }
    int selectedRow() const { return m_selRow; }
    // The span of the lines the detail list shows.
    QDate detailStart() const { return m_detailStart; }
    QDate detailEnd() const { return m_detailEnd; }
    bool detailPending() const { return m_pendingDetail; }
    // Runs the pending detail (the idle work).
    void IdleWork();

    // Switch handlers (the buttons' clicks forward here).
    void HasseiClick();
    void SuryouClick();
    void GetujiClick();
    void GetudoClick();
    void ZenNenHiClick();
    void ReserveClick();
    void TokubetuClick();
    void JyoukenClick();
    void FilterChanged();

    // Moves the detail panel between the right side and the bottom.
    void ToggleDetailPosition();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void setupTable(TCurrencyGrid *grid, const QColor &fixed, const QColor &odd, const QColor &hot);
    void LoadLayout();
    void saveTableLayout(TCurrencyGrid *changed);
    void saveDetailPanel();
    void saveDetailColumns();
    void fillFilterLists();
    void fillHimokuFilter();
    void fillItemFilters();
    int tableKind(TCurrencyGrid *table) const;
    QList<TCurrencyGrid *> tables() const;
    void fillRow(TCurrencyGrid *grid, int row, const struct TNenSyukeiRec &rec);
    void widenToFigures();
    void queueWarning();

    bool m_loading = false;
    bool m_pendingDetail = false;
    bool m_updatingButtons = false;
    bool m_filling = false;
    bool m_warningQueued = false;
    TCurrencyGrid *m_selTable = nullptr;
    int m_selCol = -1;
    int m_selRow = -1;
    QDate m_detailStart, m_detailEnd;
    int m_pendingCol = -1;
    int m_pendingRow = -1;
    TCurrencyGrid *m_pendingTable = nullptr;
    int m_detailWidth = 0;
    int m_detailHeight = 0;
    int m_itemFilterCode = -1;
};
