#pragma once

#include <cstdint>

#include <QDate>
#include <QFrame>
#include <QList>
#include <QPair>

#include "main/FrameInterface.h"
#include "main/MainForm.h"
#include "platform/db/Currency.h"

class Database;
class QLabel;
class QLineEdit;
class TColorUpDown;
class TCurrencyGrid;
class TFrameBtn;
class TMySpeedButton;

// The budget page (予算): the monthly budget of every income or expense
// category against the actual of the same month, a past month's budget and
// actual beside it for comparison, and a summary of the month's income against
// expense. The figures come from the budget and actuals calculator
// (YosanJissekiData); the page writes budgets into "Yosan.db", each edit and
// each copy in one transaction.
//
// The current month is the program-wide CurYear/CurMonth, so the other pages
// show the month chosen here.
class TFrameYosan : public QFrame, public IFrameInterface, public IFrameCloseCommit
{
    Q_OBJECT
public:
    explicit TFrameYosan(QWidget *parent = nullptr);
    ~TFrameYosan() override;

    static const QString SettingsSection; // "FrameYosan"

    // ---- the main window's calls -------------------------------------------

    void RefreshPage() override;
    void InitPage() override;
    int ReleaseOrder() override { return 1; }
    // Budget edits are written at once; only a budget still in its editor is
    // confirmed first, and a refused one keeps the page.
    bool LeavePage() override;
    int PageNo() override { return 3; }
    bool CommitForClose() override { return LeavePage(); }

    // ---- components ---------------------------------------------------------

    QFrame *PnlIma = nullptr;
    QLineEdit *Edit_ImaNen = nullptr;
    QLineEdit *Edit_ImaTuki = nullptr;
    TColorUpDown *UpDown_Ima = nullptr;
    QFrame *PnlKakoBtn = nullptr;
    QLineEdit *Edit_KakoNen = nullptr;
    QLineEdit *Edit_KakoTuki = nullptr;
    TColorUpDown *UpDown_Kako = nullptr;
    TMySpeedButton *SpBtnTokubetu = nullptr;
    TMySpeedButton *SpBtnReserve = nullptr;
    TCurrencyGrid *SyusiHyou = nullptr;
    TCurrencyGrid *YosanHyou = nullptr;
    TCurrencyGrid *JissekiHyou = nullptr;
    TCurrencyGrid *KakoHyou = nullptr;
    TFrameBtn *FrBtnIri = nullptr;
    TFrameBtn *FrBtnDeru = nullptr;
    TFrameBtn *FrBtnCopy = nullptr;
    TFrameBtn *FrBtnJissekiCopy = nullptr;
    // Printing and the spreadsheet export are not built yet: hidden.
    TFrameBtn *FrBtnPrint = nullptr;

    // ---- state ----------------------------------------------------------------

    uint8_t Side = 2;        // 1 income, 2 expense
    uint16_t KakoYear = 0;   // the past month (fiscal year and month)
    uint16_t KakoMonth = 0;
    bool Updating = false;   // guard of the month edits and steps

    // ---- operations (the handlers forward here) ---------------------------------

    // Refills the four tables for Side from the calculator's last computation.
    void FillTables();
    // Whether the budgets of the shown month may be edited: not when the book's
    // lock date covers the month under which the side's budget is stored.
    bool BudgetEditable() const;
    // Shows the month (fiscal year, month); month 0 takes the month edit's
    // number. A year outside 1900..2100 or a month outside 1..12 changes nothing.
    void ChangeImaMonth(int year, int month);
    void ChangeKakoMonth(int year, int month);
    // One month forward (next) or back, for the current or the past month.
    void StepImaMonth(bool next);
    void StepKakoMonth(bool next);
    // The side switch: 1 income, 2 expense.
    void SetSide(int side);
    // "表をエクセルへ": the summary and both sides' tables on one sheet.
    void ExportTables();
    // Copies the past month's budget (or actual) into the budget column, asks
    // "この予算で登録しますか？" and on Yes stores every category's budget in
    // one transaction; then the stored budgets are shown.
    void CopyFromPast(bool actual);
    // Sets the budget of a category row from typed text: empty is 0, anything
    // else an amount or a one-operator expression on the old budget, rounded to
    // the book's decimals. Stored at once; false after a refusal (shown).
    bool SetBudgetText(int row, const QString &text);
    void ToggleReserve();
    void ToggleTokubetu();

    // Writes the budgets of categories (code, amount) of one side under the
    // budget month `date`, all in one transaction: an amount other than 0
    // updates the stored row or appends one; 0 deletes the stored row, or
    // appends a row with 0 when there is none. Nothing is written when any
    // write fails; the engine's error propagates.
    static void SaveBudgets(Database &db, const QDate &date, int side, const QList<QPair<int, Currency>> &budgets);
    // The first day of the calendar month under which a side's budget of the
    // shown month is stored.
    static QDate BudgetDate(int side);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void moveToNextRow(int row);
    void setupGrid(TCurrencyGrid *grid, int cols, int fixedCols);
    void LoadLayout();
    void ArrangeControls();
    void ApplyColors();
    void ApplyFont();
    void fitGridToCells(TCurrencyGrid *grid, bool verticalBar);
    void syncTopRow(TCurrencyGrid *from);
    void gridResized(TCurrencyGrid *from);
    void showMonths();
    void closeEditor();
    void stepMonth(int year, int month, bool next, void (TFrameYosan::*change)(int, int));
    void clearSelections();
    void recompute();
    void SaveBudgetRows(const QList<int> &rows);
    void reloadWarnings();
    void monthEdited(QLineEdit *edit);
    void yosanHyouSetEditText(int col, int row, const QString &text);

    bool m_initialized = false;
    bool m_syncing = false;
    // The last budget text was refused: the page is not left with it.
    bool m_refused = false;
    bool m_editorHooked = false;
    // A refused text goes back into the editor once the refusing event is over.
    bool m_reopenPending = false;
};
