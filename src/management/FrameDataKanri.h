#pragma once

#include <functional>

#include <QWidget>

#include "main/FrameInterface.h"

class QAbstractButton;
class QLabel;
class TFrameBtn;

// Page 10, "管理": what concerns a whole book: log-in and log-out, the settings
// dialogs of the open book, backup and restore, opening, creating and listing
// books, the other options, and the rescue layout the main window shows alone
// when no book could be opened at start-up (the rescue label and the close
// button shown, the log-in button hidden).
class TFrameDataKanri : public QWidget, public IFrameInterface
{
    Q_OBJECT
public:
    explicit TFrameDataKanri(QWidget *parent = nullptr);
    ~TFrameDataKanri() override;

    // ---- IFrameInterface ----
    void RefreshPage() override {}
    void InitPage() override;
    int ReleaseOrder() override { return 1; }
    bool LeavePage() override { return true; }
    int PageNo() override { return 10; }

    // The page made in its rescue layout, for the main window to show alone.
    static TFrameDataKanri *CreateRescueFrame(QWidget *parent);
    // The rescue layout: LbRescure and FrBtnClose shown, FrBtnLogIn hidden.
    void SetRescueMode(bool rescue);
    bool RescueMode() const { return m_rescue; }

    QWidget *PnlButtons = nullptr;
    QLabel *LbRescure = nullptr;
    TFrameBtn *FrBtnLogIn = nullptr;
    TFrameBtn *FrBtnLogOut = nullptr;
    TFrameBtn *FrBtnClose = nullptr;
    TFrameBtn *FrBtnBackUp = nullptr;
    TFrameBtn *FrBtnRestore = nullptr;
    TFrameBtn *FrBtnOtherOpen = nullptr;
    TFrameBtn *FrBtnCreateNew = nullptr;
    TFrameBtn *FrBtnEditDataList = nullptr;
    TFrameBtn *FrBtnOldImport = nullptr;
    TFrameBtn *FrBtnPassword = nullptr;
    TFrameBtn *FrHimoku = nullptr;
    TFrameBtn *FrCalender = nullptr;
    TFrameBtn *FrNendo = nullptr;
    TFrameBtn *FrTaxSet = nullptr;
    TFrameBtn *FrBtnLockDate = nullptr;
    TFrameBtn *FrDecimals = nullptr;
    TFrameBtn *FrKouzaUse = nullptr;
    TFrameBtn *FrBtnOther = nullptr;
    QAbstractButton *SpeedButton1 = nullptr; // the access code's small button
    TFrameBtn *ClrBtnHelp = nullptr;         // "取説"
    TFrameBtn *FrBtnImExport = nullptr;
    TFrameBtn *FrBtnOperation = nullptr; // データを一括修正

    // The buttons' work (the click handlers only forward here).
    void FrBtnLogInClick();
    void FrBtnLogOutClick();
    void FrBtnCloseClick();
    void FrBtnBackUpClick();
    void FrBtnRestoreClick();
    void FrBtnOtherOpenClick();
    void FrBtnEditDataListClick();
    void FrBtnCreateNewClick();
    // Reads a first version's data into a new book and opens it; the book
    // open before comes back when nothing was converted.
    void FrBtnOldImportClick();
    // Sets, changes or removes the book's data password, then logs in again.
    void FrBtnPasswordClick();
    void FrHimokuClick();
    void FrCalenderClick();
    void FrNendoClick();
    void FrTaxSetClick();
    void FrBtnLockDateClick();
    void FrDecimalsClick();
    // Turns account management on or off after asking; the tabs follow.
    void FrKouzaUseClick();
    void FrBtnOtherClick();
    // Asks for the access code and opens the journal state window for "kw".
    void SpeedButton1Click();
    void ClrBtnHelpClick();
    // Exports the journal or imports entries into the open book through the
    // import and export dialog; the main window is hidden meanwhile.
    void FrBtnImExportClick();
    // Warns, then shows the data operations over the main window.
    void FrBtnOperationClick();
    // Enabled states by whether a book is open; run at every idle moment.
    void ApplicationEvents1Idle();

    // Ends the program at once, without the main window's close work; the
    // application's exit by default (tests replace it).
    static std::function<void()> TerminateProgram;
    // Closes the notepad window when it is open (the main window sets it).
    static std::function<void()> CloseNotepad;
    // Shows or hides the page tabs after account management changed (the
    // main window sets it).
    static std::function<void()> ArrangePages;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void closeNotepad();
    void setOfflineCaption();
    bool m_rescue = false;
};

// The page's one instance while it exists.
extern TFrameDataKanri *FrameDataKanri;
