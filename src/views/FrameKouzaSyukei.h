#pragma once

#include <cstdint>

#include <QDate>
#include <QList>
#include <QWidget>

#include "main/FrameInterface.h"
#include "platform/db/Currency.h"
#include "views/KouzaRegister.h"
#include "views/KouzaSyukeiData.h"

class QAction;
class QButtonGroup;
class QChart;
class QComboBox;
class QDateEdit;
class QDateTimeAxis;
class QGraphicsSimpleTextItem;
class QLabel;
class QLineSeries;
class QRadioButton;
class QSplitter;
class QStackedWidget;
class QTabBar;
class QTableView;
class QValueAxis;
class TBevelLabel;
class TChartView;
class TCurrencyGrid;
class TFrameBtn;
class TMySpeedButton;

// What a row of an overview table stands for.
struct TCellInfo
{
    uint8_t Kind = 0;  // 0 account class, 1 account, 5 income or expense category
    int32_t Index = 0; // into the class list (kind 0) or the item list
};
using TCellInfoArray = QList<TCellInfo>;

// The 通帳 page: on the left the asset overview, the income and expense
// overview or the account detail of the open book; on the right the passbook
// register of what was picked there, its totals and a chart of the daily
// balance. The balance adjustment is opened from here.
//
// Work that follows a click or a typed value is deferred to the idle moment
// (pending flags), so a quick run of clicks costs one recomputation.
class TFrameKouzaSyukei : public QWidget, public IFrameInterface
{
    Q_OBJECT
public:
    explicit TFrameKouzaSyukei(QWidget *parent = nullptr);
    ~TFrameKouzaSyukei() override;

    // IFrameInterface
    void RefreshPage() override;
    void InitPage() override;
    int ReleaseOrder() override { return 2; }
    bool LeavePage() override;
    int PageNo() override { return 4; }

    // ---- the computation and its state ----------------------------------
    TKouzaSyukeiData Data;
    TKouzaRegister *Register = nullptr;
    int View = 0;
    int RegisterKind = 0;
    bool MonthlyRegister = true;
    bool AllDataSelected = false;
    int RegisterBu1 = 0;
    int KouzaIndex = -1;
    int BunruiIndex = -1;
    int RegisterMajorClass = 0;
    int RegisterCode = -1;
    QDate RegisterStart, RegisterEnd;
    int RegisterNendo = 0, RegisterGetudo = 0;
    bool RecalcPending = false;
    bool LocatePending = false;
    bool BunruiRegisterPending = false;
    bool KouzaRegisterPending = false;
    bool Bu1RegisterPending = false;
    int PendingKind = 0, PendingIndex = -1, PendingBunruiIndex = -1, PendingMajorClass = 0;
    bool SelectFirst = true;
    bool DateInPeriod = false;
    TCellInfoArray SisanCells, FusaiCells;

    // ---- controls ---------------------------------------------------------
    TFrameBtn *FrBtnGaiyo = nullptr;
    TFrameBtn *FrBtnSyusi = nullptr;
    TFrameBtn *FrBtnSyousai = nullptr;
    QComboBox *CmBoxGetudo = nullptr;
    TFrameBtn *FrBtnJyouken = nullptr;
    QWidget *PnlBarJyouken = nullptr;
    QComboBox *CmbBoxHinmei = nullptr;
    QComboBox *CmbBoxShop = nullptr;
    QComboBox *CmbBoxPerson = nullptr;
    TFrameBtn *FrBtnReCalc = nullptr;
    QAction *ActZanTyousei = nullptr;
    TFrameBtn *FrBtnZandaka = nullptr;
    TFrameBtn *ShpBtnSettei = nullptr;
    TMySpeedButton *SpBtnReserve = nullptr;
    QStackedWidget *LeftStack = nullptr;
    QWidget *PnlGaiyo = nullptr;
    QRadioButton *RBtnGaiyoSyukeiBi = nullptr;
    QRadioButton *RBtnAllData = nullptr;
    QDateEdit *DTPGaiyoSimeBi = nullptr;
    TFrameBtn *FrBtnAllGaku = nullptr;
    TCurrencyGrid *HyouSisan = nullptr;
    TCurrencyGrid *HyouFusai = nullptr;
    QWidget *ClrTabCntHyou = nullptr;
    QTabBar *TabHyou = nullptr;
    QComboBox *CmbYear = nullptr;
    QLabel *LbNendo = nullptr;
    QComboBox *CmbMonth = nullptr;
    QLabel *LbGetu = nullptr;
    QLabel *LbSyukei = nullptr;
    QDateEdit *DTPDateSearch = nullptr;
    TCurrencyGrid *HyouSyousai = nullptr;
    QSplitter *Split = nullptr;
    QWidget *PnlLeft = nullptr;
    QWidget *PnlMeisai = nullptr;
    QLabel *LbKouzaName = nullptr;
    QLabel *LbGetudo = nullptr;
    TFrameBtn *FrBtnGekkan = nullptr;
    TFrameBtn *FrBtnNenkan = nullptr;
    TFrameBtn *FrBtnEdit = nullptr;
    TFrameBtn *FrBtnPrint = nullptr;
    TMySpeedButton *MySpBtnChart = nullptr;
    TMySpeedButton *MySpBtnYFix = nullptr;
    TMySpeedButton *SpBtnMeisaiPnl = nullptr;
    QTableView *DBGridMeisai = nullptr;
    QWidget *PnlKingaku = nullptr;
    QLabel *LbKari = nullptr;
    QLabel *LbKasi = nullptr;
    TBevelLabel *BvlbKuriGaku = nullptr;
    TBevelLabel *BvlbIriGaku = nullptr;
    TBevelLabel *BvlbDeruGaku = nullptr;
    TBevelLabel *BvlbSaGaku = nullptr;
    TBevelLabel *BvlbZanGaku = nullptr;
    QSplitter *Splitter1 = nullptr;
    QWidget *PnlChart = nullptr;
    TChartView *NenkanChart = nullptr;
    QLineSeries *Series1 = nullptr;
    QLineSeries *Series2 = nullptr;
    QDateTimeAxis *AxisX = nullptr;
    QValueAxis *AxisY = nullptr;
    QGraphicsSimpleTextItem *DateLineLabel = nullptr;
    QList<TChartDay> ChartDays;

    // ---- operations ---------------------------------------------------------
    // Recomputes the balances for the current view and fills its table(s);
    // with selectFirst the first data cell is selected and its register opened.
    void Recalculate(bool selectFirst);
    void ShowKouzaRegister(int kind, int index, bool force);
    void ShowBunruiRegister(int index, bool force);
    void ShowBu1Register(int kind, int majorClass, bool force);
    void ShowZenbuRegister(int kind, bool force);
    void CloseRegister();
    void LocateRegisterDate(const QDate &date);
    void MoveDateLine(Currency balance, const QDate &date);
    void DrawBalanceChart();
    void SetRegisterTitle(const QString &name);
    // The deferred work of the idle moment.
    void IdleWork();
    // The view buttons.
    void SetView(int view);
    // "残高調整" (enabled only while one account's register is open).
    void OpenZandaka();
    bool ZandakaEnabled() const;
    // "ジャンプ": the journal page of the register's current line.
    void JumpToLine();
    // "表をエクセルへ": the detail table, or both overview tables side by side.
    void ExportTables();
    // "明細をエクセルへ": the register as it is shown.
    void ExportRegister();
    // The current row of the register; -1 when none.
    int CurrentRegisterRow() const;
    // Selects a cell of an overview table as a click does.
    void SelectOverviewCell(TCurrencyGrid *grid, int col, int row);
    // Selects a column of the detail table as a click does.
    void SelectDetailColumn(int col);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildUi();
    QWidget *buildRegisterPanel();
    void fillOverview();
    void fillOverviewTable(TCurrencyGrid *grid, TCellInfoArray &cells, bool side, Currency &total);
    void fillDetail();
    void fillDetailTabs();
    void fillConditionCombos();
    QString buildConditionSql();
    bool recalcData();
    void openRegister(const TRegisterSubject &subject, const QString &title);
    void showTotals();
    void afterRecalcRegister();
    void updateZandakaAction();
    void chartClicked(const QPointF &point);
    void registerRowChanged();
    void loadLayout();
    void saveRegisterColumns();
    Database *book() const;
    void schedule();

    bool m_loading = true;
    bool m_filled = false;
    bool m_yearMonthReady = false;
    bool m_scheduled = false;
    QString m_registerTitle;
};
