#pragma once

#include <cstdint>
#include <functional>

#include <QDate>
#include <QString>
#include <QWidget>

#include "controls/SoftStringGridModel.h"

class DataSource;
class QLabel;
class QPainter;
class TFrameBtn;
class TMeisaiClientDataSet;
class TMyDBGrid;

// The slip list of a journal page: the left side of the page in the slip modes
// (2 receipts, 3 bills, 7 free slips, 8 voucher purchases), the panel PnlReceipt
// with its caption LbList, the month-change button FrBtnGetudo and the grid
// MyDbGridReceipt over DatMod->ReceiptClt (data source ReceiptListSrc).
//
// The list reads one accounting month only: receipts by date within the closing
// period of PeriodCode, the other slips by their month code. Choosing a slip
// loads its lines into DatMod->MeisaiClt and sets the slip context of that data
// set (slip number, date, account, shop, month code) that new lines and the save
// read.
//
// The page owns the month and the mode; it hands them over with SetPageKind,
// SetInputMode and LoadSlipMonth, and it runs LoadSlipLines when SlipLinesPending
// is set (at its next idle moment) or lets the list do it itself (see
// AutoLoadLines). Both DatMod->MeisaiClt and DatMod->ReceiptClt must be journal
// data sets (InstallTableEvents).
class TReceiptList : public QWidget
{
    Q_OBJECT
public:
    explicit TReceiptList(QWidget *parent = nullptr);
    ~TReceiptList() override;

    // ---- components -------------------------------------------------------
    QLabel *LbList = nullptr;          // "レシート一覧", "請求書一覧", …
    TFrameBtn *FrBtnGetudo = nullptr;  // "月度変更": modes 3, 7 and 8
    TMyDBGrid *MyDbGridReceipt = nullptr;
    DataSource *ReceiptListSrc = nullptr;

    // ---- the page's state the list works with -----------------------------
    uint8_t FrameKind = 2;        // 1 income, 2 expense, 3 transfer
    uint8_t InputMode = 2;        // 2, 3, 7 or 8 (1 leaves the list closed)
    int PeriodCode = 2;           // category whose closing day bounds a receipt month
    int ReceiptAiteCode = 100;    // counter-account of new slips' lines
    uint16_t ShownYear = 0;       // fiscal year and month shown
    uint16_t ShownMonth = 0;
    QDate PeriodStart;            // the shown accounting month (CalcPeriod)
    QDate PeriodEnd;
    int SimeBi = 0;               // closing day and shift of the last CalcPeriod
    int SimeShift = 0;
    bool SlipLinesPending = false;
    // When set (the default), a move in the list loads the slip's lines at once
    // instead of waiting for the page's idle handler to call LoadSlipLines.
    bool AutoLoadLines = true;

    // ---- hooks into the page ----------------------------------------------
    // The journal save before a slip's lines are replaced or a new slip starts
    // (the page's SaveJournal). Default: ApplyMeisaiUpdates().
    std::function<bool()> SaveJournal;
    // The page's period for a code (its own CalcPeriod); when set it is called
    // after the list computed PeriodStart/PeriodEnd itself.
    std::function<void(int code)> OnCalcPeriod;
    // After the month-change dialog moved a slip: the main window's jump to a
    // journal line. Default: the list shows the slip's new month and the line.
    std::function<void(int dataNo)> OnJumpToDataNo;
    // The width a shown list column gets (the page keeps the user's widths);
    // def is the list's own width.
    std::function<int(const QString &field, int def)> OnColumnWidth;

    // ---- operations -------------------------------------------------------
    // The page kind (income, expense, transfer).
    void SetPageKind(uint8_t frameKind);
    // The input mode: column set-up and the list caption; closes nothing.
    void SetInputMode(uint8_t mode);
    // Shows a month: nothing unless force or another year/month; an impossible
    // year or month leaves everything as it was (false). Loads the list and,
    // when receiptNo is found and dataNo given, the slip's lines at once; the
    // result is then whether dataNo is among them, else true.
    bool LoadSlipMonth(int year, int month, int dataNo = -1, int receiptNo = -1, bool force = false);
    // Rebuilds and reopens the list of the mode and month, keeping the slip.
    void LoadSlipList();
    // Loads the current slip's lines (only while SlipLinesPending, which it clears).
    void LoadSlipLines();
    // Shown columns and titles for the mode.
    void SetUpSlipColumns(uint8_t mode);
    // The column without a field, after the shown ones, gets the width they
    // leave in the list (a plain column's width when they leave none).
    void FitFillerColumn();
    // Completes each row: shop names of receipts, payment day and accounts of bills.
    void FillSlipRowInfo();
    // The SQL of the list for the current mode and month.
    QString BuildSlipListSql() const;
    // The SQL of the current slip's lines (slip number from MeisaiClt).
    QString BuildSlipLinesSql() const;
    // PeriodStart/PeriodEnd of ShownYear/ShownMonth for a category's closing day.
    void CalcPeriod(int code);
    // The apply hook of MeisaiClt: gives a new slip its number and, in modes 3,
    // 7 and 8, its month code, into the entry state and the slip row. The page's
    // OnApplyUpdate handler calls it (AttachHooks sets it for a page without one).
    void AssignSlipNumbers();
    // Hands the current slip row's header (date, shop, card, payment day and
    // account) to the journal save, which reads it before the apply hook runs.
    // Runs on every change of the row shown; callable at any time.
    void PublishSlipHeader();
    // After a successful save: the list is reloaded with the saved slip current.
    void AfterSlipSaved();
    // After-scroll hook of ReceiptClt: marks the lines pending (and loads them
    // when AutoLoadLines) and tells the header.
    void SlipAfterScroll();
    // Sets AssignSlipNumbers as MeisaiClt's apply hook and SlipAfterScroll as
    // ReceiptClt's after-scroll hook (other hooks are left alone); DetachHooks
    // (also run by the destructor) clears these two again.
    void AttachHooks();
    void DetachHooks();

    // The action 明細の月度変更: the month-change dialog for the current slip.
    void DataSetGetudoExecute();
    // Whether the action is enabled now.
    bool DataSetGetudoUpdate() const;
    // FrBtnGetudo enabled as DataSetGetudoUpdate says. Runs on every change of
    // the list or the lines and at idle moments; callable at any time.
    void UpdateGetudoButton();
    // Cell drawing: row colours, navy text for a locked slip, Sundays and
    // holidays red, Saturdays navy, amounts below 0 red.
    void MyDbGridReceiptDrawColumnCell(QPainter &painter, const QRect &rect, int dataCol, int column,
                                       GridDrawState state);

    // The slip list data set and the journal lines (DatMod's).
    TMeisaiClientDataSet *slips() const;
    TMeisaiClientDataSet *lines() const;
    // Whether the list is open and has a current slip.
    bool hasSlip() const;
    // The current slip's number (-1 for a new one, 0 without a slip).
    int currentReceiptNo() const;

signals:
    // Another slip became current (before its lines load).
    void slipChanged();
    // The current slip's lines were (re)loaded into MeisaiClt.
    void slipLinesLoaded();
    // ShownYear/ShownMonth changed.
    void shownMonthChanged(int year, int month);
    // The list was reopened.
    void slipListLoaded();
    // A click on the list while it is closed or empty (the slip panel starts a slip).
    void emptyListClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_fitting = false;
    bool saveJournal();

    DataSource *m_linesWatch = nullptr;   // MeisaiClt's changes, for FrBtnGetudo
    bool m_inLoad = false;
    bool m_hooksAttached = false;
};
