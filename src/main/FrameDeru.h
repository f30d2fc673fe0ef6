#pragma once

#include <cstdint>

#include <QDate>
#include <QFrame>
#include <QPointer>
#include <QList>
#include <QString>

#include "controls/DayEdit.h"
#include "controls/SoftStringGridModel.h"
#include "data/HimokuCache.h"
#include "main/FrameInterface.h"
#include "main/MainForm.h"
#include "main/OldDataClass.h"
#include "platform/db/Currency.h"

class DataSet;
class DataSource;
class QAbstractButton;
class QAction;
class QActionGroup;
class QComboBox;
class QDateEdit;
class QKeyEvent;
class QLabel;
class QMenu;
class QPainter;
class QSlider;
class QPlainTextEdit;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QToolButton;
class TColorUpDown;
class TCurrencyGrid;
class TDeruLineMenu;
class TFrameBtn;
class TFrameSelecter;
class TMeisaiClientDataSet;
class TMeisaiGrid;
class TMySpeedButton;
class TOldValueHeader;
class TReceiptList;
class TSlipPanel;
class TYosanWarn;

// One column of a journal page: the list its tool button opens, its caption and
// the field it shows and the one a choice writes. Fields are named; SlipField
// says they belong to the slip list (ReceiptClt) rather than to the lines.
struct TToolBtnRec
{
    uint8_t Kind = 0;      // 0 no button, 1 the monthly table, 2 the slip list, 3.. a choice list
    QString Caption;
    QString ViewField;     // empty: no detail column
    QString EditField;     // empty: the column is read-only
    bool SlipField = false;
};

// A day column of the monthly table.
struct TDayInfoRec
{
    QDate Date;
    bool Holiday = false;
};

// The journal entry page of expenses, and the base of the income and transfer
// pages: the monthly table of one accounting month (days across, categories
// down) on the left, the lines of the clicked day and category in the detail
// grid on the right, the diary line below. In the slip input modes the left
// side holds the slip list instead.
//
// Subclasses set FrameKind (1 income, 3 transfer) and PeriodCode in their
// constructor and override the virtual steps below; everything else (period,
// loading a cell, committing, the detail grid and its keys, the idle work) is
// shared.
class TFrameDeru : public QFrame, public IFrameInterface, public IFrameCloseCommit, public IJournalEntryTarget
{
    Q_OBJECT
public:
    explicit TFrameDeru(QWidget *parent = nullptr);
    ~TFrameDeru() override;

    // ---- the main window's calls -------------------------------------------

    void RefreshPage() override;
    void InitPage() override;
    // The expense page is never freed; the others in least-recently-used order.
    int ReleaseOrder() override { return FrameKind == 2 ? 0 : 2; }
    bool LeavePage() override;
    int PageNo() override { return 1; }
    bool CommitForClose() override;
    void ShowJournalEntry(int dataNo, int himokuCode, bool warn, int style, int origin, int lookupNo, int receiptNo,
                          const QDate &recDate) override;

    // ---- virtual steps of the subclasses -----------------------------------

    // Category names into column 0, codes as the rows' objects.
    virtual void FillTableRows();
    // The period's amounts into the day cells (one grouped query on the date index).
    virtual void FillTableAmounts();
    // Nothing on this page; the transfer page refills its table from the lines.
    virtual void RefillTableFromMeisai() {}
    // Row, column and budget totals; the budget pace to the main window.
    virtual void CalcTableTotals(bool fullRedraw);
    // Period, closing day and shift of the shown month for a category's closing day.
    virtual void CalcPeriod(int code);
    // Only the transfer page has slip totals of its own.
    virtual void CalcSlipTotals();
    // Fixed rows and columns of the monthly table.
    virtual void SetTableFixedCounts();
    // The column list of an input mode.
    virtual void BuildColumnList(int mode);
    virtual void SetHelpContexts();
    // The detail header caption: the category's name + " の明細".
    virtual void ShowCategoryCaptions(int code);

    // ---- operations ----------------------------------------------------------

    // Writes pending editor text, saves the diary and the lines, flushes the
    // tables. False when a line check refused the save.
    bool CommitPage();
    void AttachDataSets();
    void DetachDataSets();
    // Makes the day and category current and loads its lines; with a DATANO
    // (not -1) the result is whether that line was found, else whether the
    // cell was loaded (false when the commit refused).
    bool LoadCell(int code, int dataNo, bool rebuild, const QDate &date);
    void RebuildTable();
    void FillDayHeaders();
    // The save action: true when there was nothing to save or it was saved.
    bool SaveJournal();
    void ChangeInputMode(int mode);
    void SetUpInputMode(int mode);
    void LoadDayMemo();
    void SaveDayMemo();
    void PublishShownMonth();
    // The detail total and the current cell after a line was posted or deleted.
    void CalcDetailTotals();
    // The deferred work of the page (pending flags), run at idle moments.
    void IdleWork();
    // After every successful save, on either write path of the save routine.
    virtual void MeisaiAfterApplied();
    // Shows the fiscal (year, month) in the slip modes after a save; false
    // when the save refused or the month is impossible (the combos go back).
    bool ChangeSlipMonth(int year, int month);
    // Cancel all: the change log is dropped and the lines reloaded.
    void CancelAllChanges();
    // Appends a line past the last one (the grid's read-only state cleared).
    void GoToNextLine();
    // With Ctrl the first (last used) column, else the previous (next) one.
    void GoToPriorColumn(bool ctrl);
    void GoToNextColumn(bool ctrl);
    // Enter in the grid or its editor: along the row (YokoMove) or to the next line.
    void EnterKey();
    void SelectCategoryInCombo(int code);
    // With the book option CodeInput, the detail grid remembers whether the
    // user last had Japanese input on in a text column (amount and quantity
    // columns are neither remembered nor switched).
    void RememberGridIme();
    // The insert action: guarded lines are passed over; a line is inserted
    // before the current one, or appended past the last.
    void InsertLine();
    // Bill, free and voucher slips: asks once when a line lies outside the
    // shown month; false when the user says no.
    bool ConfirmOutOfPeriodLines();
    // The accounting month of the shown slip: a bill's or voucher's own
    // account closes its month on its own day (FrameDeruBill.cpp).
    void SlipPeriod(QDate &start, QDate &end) const;
    // The bill's automatic withdrawal line is decided before the save's
    // transaction and written inside it (expense page, bill mode).
    void InstallAutoWithdrawal();
    // Writes what is still being typed (grid editor, slip header) into its
    // row; false when the grid's editor refused its text.
    bool PostActiveControl();
    // Shows a line wherever it is kept (through the main window when there is one).
    void JumpToLine(int dataNo);
    // The extra controls shown (down) or hidden: the save, undo and cancel-all
    // buttons, the move button and the month step panel (both table entry only).
    void ApplyExtraControls(bool down);
    // The detail panel beside the table (4) or under it (1, 2), at the size
    // the user last gave it in the input mode (FrameDeruLayout.cpp).
    void PlaceDetailPanel(int align);
    // The panel's size of the input mode and its place into the settings.
    void StoreDetailPanelSize();
    // The selector's tile width and row height, kept in the page's settings
    // section whenever the user resizes the tiles and read when the page opens.
    void SaveSelecterPanelSize();
    void LoadSelecterPanelSize();
    static QString DetailSizeKey(int mode, bool right);
    bool DetailPanelAtRight() const;
    int DetailPanelSize() const;
    // The main window's common font on the diary, the table and both grids.
    void ApplyCommonFonts();
    // The diary box's menu: a text file into the box (stored as the shown
    // day's diary at the next commit), the box's text into a file.
    bool OpenDiaryFile(const QString &path);
    bool SaveDiaryFileAs(const QString &path);
    void RestoreGridIme();
    // Shared by the three journal pages; off at program start.
    static bool LastGridImeOpen;

    // The 設定 button (DeruSettingsButton.cpp): saves the page, opens the
    // category settings on the page's kind and shows the page afresh.
    void OpenCategorySettings();

    // ---- choosing (FrameDeruChoice.cpp) --------------------------------------

    // Opens the column of a button: the table, the slip list or the selector
    // with the column's choices. From the grid (a cell clicked or entered)
    // the grid already stands on the cell and its line stays in edit.
    void TolBtn1Click(const TToolBtnRec &rec, bool focus, bool fromGrid = false);
    void SetSelecterColumn(const TToolBtnRec &rec);
    // Presses the column button of a kind (when it is not down already).
    void PressColumnButtonByKind(int kind);
    // The choices of the current column for the current line.
    void RefreshSelecter();
    // After a move to another line: the shown list follows the line's
    // category, the calendar the line's date (slips).
    void SelecterFollowLine();
    // Alt in the detail grid: filters the selector by the current cell's text,
    // or back to the whole list when it is filtered.
    void ToggleSelecterAssist();
    // The selector's choice: written by the write mode into the current line,
    // a new line, every line, or the slip.
    void SelecterChoose(TFrameSelecter *sender, int code, Qt::KeyboardModifiers shift, int key, bool allLines,
                        int writeMode, const QDate &date, const QString &name);
    void MoveAfterChoice(int mode);
    // The focus back to where the choice was made for: the slip header or the
    // grid. False when no choice control had the focus.
    bool FocusBackFromChoice();
    // Tab outside a grid cell: into the selector from the grid or a slip
    // header box, back from the selector. False when no focus moved.
    bool TabToOrFromChoice();
    // The selector's hooks on the journal data sets (assist off at every
    // scroll, previous values remembered); set when the page attaches.
    void AttachChoiceHooks();
    // The calendar of a date column, with the page's closing rules.
    void ShowSelecterCalendar();
    // The selector follows the page: a new slip opens its first header
    // column, a header box or a grid cell entered opens its column.
    void SetUpChoiceWiring();
    // Opens the column that shows a field without taking the focus; nothing
    // when no column shows it or its button is down already.
    void PressColumnButtonByField(const QString &field, bool slipField);
    // Opens the column of a record; a record without a button of its own (an
    // amount column, or none) opens the table or slip list. Nothing when that
    // button is down already.
    void PressColumnButtonByRec(const TToolBtnRec *rec);
    // A cell of a detail column clicked or entered: the selector (or the
    // table) follows the column and the grid keeps the focus.
    void OpenGridColumn(int column);

    // ---- previous values (FrameDeruOldValue.cpp) ------------------------------

    void SetUpOldValueHeader();
    // A click on a section of the header: by the write mode, or into every line with 一括.
    void HdCtrOldValueMouseDown(int section, const QPoint &pos);
    // Writes a section's previous value into the current or a new line by the mode.
    void ApplyOldValue(int section, int mode);
    void ApplyOldValueToAllLines(int section);
    // Ctrl+Enter: the previous value of the current column into the current line.
    void ApplyOldValueToCurrentColumn();
    // Puts the current line into edit state; refuses slips' lines in table mode.
    bool EditLineIfAllowed();
    // The column button of a kind, or nullptr.
    QAction *columnButton(int kind) const;
    // The button of a column record, or nullptr when it has none.
    QAction *columnButtonOf(const TToolBtnRec &rec) const;
    int selKind() const { return SelKind; }

    // ---- consumption tax (FrameDeruTax.cpp) ----------------------------------

    // The tax lines of the shown day and category, or of the shown slip.
    void ShpBtnTaxClick();
    // Blank lines go; a line without category, paying account or date stops
    // the press with the reason (the cursor stays on it).
    bool CheckLinesForTax();
    // The current line is left out of the taxable base.
    bool IsTaxExempt();
    double GetTaxRate(const QDate &date);
    void MakeTableTaxLine(const QDate &date);
    void MakeSlipTaxLines();

    // "%d年度 %d月分 (%s締め)" of the shown month.
    QString PeriodCaption() const;

    // ---- state for callers and tests -------------------------------------------

    int frameKind() const { return FrameKind; }
    int inputMode() const { return InputMode; }
    int curCode() const { return CurCode; }
    QDate curDate() const { return CurDate; }
    int shownYear() const { return ShownYear; }
    int shownMonth() const { return ShownMonth; }
    QDate periodStart() const { return PeriodStart; }
    QDate periodEnd() const { return PeriodEnd; }
    QString settingsSection() const { return SettingsSection; }
    int periodDays() const { return PeriodDays; }
    bool attached() const { return Attached; }
    bool cellLoadPending() const { return CellLoadPending; }
    const THimokuArray &categoryList() const { return CategoryList; }
    const QList<TToolBtnRec> &columnList() const { return ColumnList; }
    const QList<TDayInfoRec> &dayInfo() const { return DayInfo; }
    double budgetPace() const { return m_pace; }
    // How often the after-scroll work (grid guard, actions) has run.
    int afterScrollRuns() const { return m_afterScrollRuns; }
    // Table column of a date and row of a category; -1 when outside.
    int columnOfDate(const QDate &date) const;
    int rowOfCode(int code) const;
    int firstDataCol() const;
    // The colour of a day header's text (red Sundays and holidays, blue Saturdays).
    QColor dayHeaderColor(int col) const;

    // ---- components ------------------------------------------------------------

    QLabel *LbSyori = nullptr;
    TDayEdit *Calender = nullptr;
    QComboBox *CmbHimoku = nullptr;
    QLabel *LbHouhou = nullptr;
    TFrameBtn *FrBtnNormal = nullptr;
    TFrameBtn *FrBtnReceipt = nullptr;
    TFrameBtn *FrBtnCredit = nullptr;
    TFrameBtn *FrBtnFree = nullptr;
    TFrameBtn *FrBtnPrePayed = nullptr;
    TMySpeedButton *SpBtnTokubetu = nullptr;
    TMySpeedButton *SpBtnReserve = nullptr;
    QWidget *PnlTrackBarDate = nullptr;
    TMySpeedButton *MySpdBtnPriYear = nullptr;
    TMySpeedButton *MySpdBtnNextYear = nullptr;
    QSlider *TrackBarDate = nullptr;
    TMySpeedButton *SpBtnControl = nullptr;  // ＋/－: the extra controls
    TMySpeedButton *SpBtnMeisaiPnl = nullptr; // ↓/↑: the detail panel beside or under the table
    TMySpeedButton *MySpdBtnPriMonth = nullptr;
    TMySpeedButton *MySpdBtnNextMonth = nullptr;
    TMySpeedButton *MySpdBtnToday = nullptr;
    // The fiscal month of the slip modes.
    QComboBox *CmbYear = nullptr;
    QComboBox *CmbMonth = nullptr;
    TColorUpDown *ClrUpDownGetudo = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QStackedWidget *PnLeftStack = nullptr;
    TCurrencyGrid *Hyou = nullptr;
    // The slip list's place in the slip modes, and the list.
    QWidget *PnlReceipt = nullptr;
    TReceiptList *ReceiptList = nullptr;
    // The slip header panels and slip totals (shown in the slip modes).
    TSlipPanel *SlipPanel = nullptr;
    QSplitter *Split = nullptr;
    QWidget *PnlMeisai = nullptr;
    QLabel *LbMeisaiCaption = nullptr;
    QToolBar *TlBarDBNav = nullptr;
    QAction *DataSetApplyUpdates1 = nullptr;
    QAction *DataSetPost1 = nullptr;
    QAction *DataSetInsert1 = nullptr;
    QAction *DataSetCancel1 = nullptr;
    QAction *DataSetDelete1 = nullptr;
    QAction *DataSetUndo1 = nullptr;
    QAction *DataSetCancelUpdates1 = nullptr;
    QAction *ActionMove = nullptr;
    QAction *ActionJump = nullptr;
    // The slip info and slip panel's place (receipt shop and date, bill header).
    QWidget *PnlSlipInfo = nullptr;
    TMeisaiGrid *MyDbGridMeisai = nullptr;
    QLabel *LbMeisaiGoukei = nullptr;
    QLabel *BbLbKarigou = nullptr;
    QLabel *BbLbKasigou = nullptr;
    QLabel *LbZeiGoukei = nullptr;     // "（税合計）", table entry on the expense page
    QLabel *BbLbZeiKarigou = nullptr;
    QAbstractButton *ShpBtnTax = nullptr; // "消費税", expense page only
    QLabel *LbMemo = nullptr;
    QPlainTextEdit *Memo = nullptr;
    TMySpeedButton *MySpdBtnPopMenuMemo = nullptr;
    QMenu *PopMenuMemo = nullptr;
    DataSource *MeisaiCltSrc = nullptr;
    TFrameSelecter *FrSelecter = nullptr;
    TOldValueHeader *HdCtrOldValue = nullptr;
    TOldDataClass OldData;
    // The detail grid's line menu and clipboard (DeruLineMenu.cpp).
    TDeruLineMenu *LineMenu = nullptr;

    // The page gives way to the window's layout: it may be squeezed.
    QSize minimumSizeHint() const override { return QSize(200, 150); }

protected:
    friend class TDeruLineMenu;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    // The slip list of the shown fiscal month (slip modes); the slip list's
    // owner fills it. True when the asked-for line was found.
    virtual bool LoadSlipMonth(int year, int month, int dataNo, int receiptNo, bool reload);

    TMeisaiClientDataSet *meisai() const;
    void fillCategoryCombo();
    void readBookOptions();
    void applyTableOptions();
    void loadTableLayout();
    void saveTableLayout();
    void applyModeCaptions();
    void applyDetailColumns();
    void setButtonsForMode();
    bool hyouSelectCell(int col, int row);
    bool meisaiGridKeyDown(QKeyEvent *event);
    void meisaiAfterScroll();
    bool rowReadOnly(int row);
    void updateActions();
    void modeButtonClicked(int mode);
    void stepMonth(int months);
    void toggleReserve();
    void cmbYearChange();
    void stepSlipMonth(bool next);
    void fillMonthCombos();
    void toggleTokubetu();
    bool hyouKeyDown(QKeyEvent *event);
    void drawMeisaiCell(QPainter &painter, const QRect &rect, int dataCol, int column, GridDrawState state);
    void setPendingCellFromControls();
    void scheduleIdleWork();
    void buildTaxButton();
    void showCurrentDay(bool rightEdge);
    void InstallMemoMenu();
    QString buildMeisaiSql() const;
    // The category (or card) whose choices the selector shows for the current line.
    int selecterListCode() const;
    QString sideField() const { return FrameKind == 1 ? QStringLiteral("KASICODE") : QStringLiteral("KARICODE"); }

    uint8_t FrameKind = 2;
    uint8_t InputMode = 1;
    QString SettingsSection;
    QString BookSection;
    int PeriodCode = 2;
    THimokuArray CategoryList;
    int CurCode = 0;
    QDate CurDate;
    int ShownYear = 0;
    int ShownMonth = 0;
    QDate PeriodStart;
    QDate PeriodEnd;
    int PeriodDays = 0;
    int SimeBi = 31;
    int SimeShift = 0;
    int ReceiptAiteCode = -1;
    bool UseQuantity = false;
    bool UseSyusiHimoku = false;
    bool CodeInput = false;
    bool YokoMove = false;
    bool AppendLeft = false;
    bool ZeiAutoData = true;
    bool ShowYosanRitu = false;
    bool ShowKouzaOnly = false;
    TYosanWarn *YosanWarn = nullptr;
    QList<TToolBtnRec> ColumnList;
    uint8_t AmountStyle = 1;
    // How a journal page's columns name its side: the category field, the
    // account column (listed with account management on), and whether the
    // page has the tax-treatment column.
    struct TColumnSide
    {
        QString HimokuField;
        TToolBtnRec Account;
        bool Tax = false;
    };
    // Lists the columns of modes 1, 2 and 7 (monthly table, receipts, slips),
    // the same on the income and expense pages but for `side`; false for any
    // other mode, which each page lists itself.
    bool BuildSharedColumns(int mode, const TColumnSide &side);
    bool MoveMode = false;
    bool Attached = false;
    bool Updating = false;
    bool CellLoadPending = false;
    bool SlipLinesPending = false;
    bool TableTotalsPending = false;
    bool YearComboPending = false;
    bool SelecterRefreshPending = false;
    bool SelectionTotalPending = false;
    int UsedColumnCount = 0;
    QList<Currency> RowAmounts;
    QList<TDayInfoRec> DayInfo;
    int SelKind = 0;
    TToolBtnRec SelRec;
    bool SelOnFirstColumn = false;

private:
    QPointer<QActionGroup> m_columnButtons;
    bool m_trackBarBusy = false;
    // A book-wide switch behind a toggle ("State" section of the book).
    void toggleBookState(TMySpeedButton *button, bool &flag, const QString &key, bool reloadCategories);
    void trackBarDateChange(int col);
    bool slipListOpen() const;
    bool slipListHasRows() const;
    bool m_initialized = false;
    bool m_loading = false;
    bool m_hyouSelecting = false;
    bool m_idleScheduled = false;
    bool m_rebuildAfterSave = false;
    bool m_saving = false;
    int m_afterScrollRuns = 0;
    double m_pace = 0.0;
};
