#pragma once

#include <QDate>
#include <QFrame>
#include <QList>
#include <QPointer>

#include "main/FrameInterface.h"
#include "main/MainForm.h"
#include "main/MemoPanelGrid.h"

class QAction;
class QDateEdit;
class QPlainTextEdit;
class QToolButton;
class TBevelLabel;
class TColorUpDown;
class TFormMemoSearch;
class TFrameBtn;

// The diary page (日記): one free text per day, shown a month, a week or a
// day at a time as a grid of day panels. The current day's text is edited in
// place and written to "Memo.db" when another day is chosen, the view changes
// or the page is left. Days on or before the book's lock date are read-only.
class TFrameMemoList : public QFrame, public IFrameInterface, public IFrameCloseCommit
{
    Q_OBJECT
public:
    enum TMemoView { mvMonth, mvWeek, mvDay };

    explicit TFrameMemoList(QWidget *parent = nullptr);
    ~TFrameMemoList() override;

    // ---- IFrameInterface --------------------------------------------------
    void InitPage() override;
    void RefreshPage() override { LoadDays(); }
    int ReleaseOrder() override { return 1; }
    bool LeavePage() override;
    int PageNo() override { return pgNikki; }
    bool CommitForClose() override;

    // ---- components -------------------------------------------------------
    QDateEdit *DTPicker = nullptr;
    TColorUpDown *UpDown1 = nullptr;
    TFrameBtn *FrToday = nullptr;
    TFrameBtn *FrBtnAMonth = nullptr;
    TFrameBtn *FrBtnAWeek = nullptr;
    TFrameBtn *FrBtnADay = nullptr;
    TBevelLabel *LbYearMonth = nullptr;
    TFrameBtn *FrSearch = nullptr;
    TMemoPanelGrid *DBCtrlGrid1 = nullptr;
    QPlainTextEdit *DBMemo1 = nullptr;
    QToolButton *TolBtnFile = nullptr;
    QAction *FileOpen1 = nullptr;
    QAction *FileSaveAs1 = nullptr;
    QAction *FontEdit1 = nullptr;
    QAction *ActionPrint = nullptr;

    // MemoClt: one row per shown day, in date order.
    struct MemoRow
    {
        QDate RECDATE;
        QString MEMO;
    };
    const QList<MemoRow> &MemoClt() const { return m_rows; }
    int currentRow() const { return m_current; }
    QDate currentDate() const;

    TMemoView view() const { return m_view; }
    QDate firstDate() const { return m_first; }
    QDate lastDate() const { return m_last; }
    TFormMemoSearch *searchWindow() const;

    // ---- routines ---------------------------------------------------------
    void LoadDays();
    // Shows the picker's day (loading its month when it is not shown).
    void DTPickerChange();
    // The picker's date, then DTPickerChange.
    void ShowDate(const QDate &date);
    // Saves the day memo when it was modified; raises Exception when the
    // book refused the write (the memo keeps the text).
    void MemoCltBeforeScroll();
    void SetView(TMemoView view);
    void UpDown1Click(bool next);
    void FrTodayClick();
    // Selects Length characters from column Column (1-based) of line Line (0-based).
    void SelectMemoText(int line, int column, int length);
    // Loads a text file into the day memo (marked modified, saved like typing).
    bool OpenFile(const QString &path);
    bool SaveFileAs(const QString &path);
    void ApplyMemoFont(const QFont &font, const QColor &color, bool store);
    void FrSearchClick();
    bool dayLocked(const QDate &date) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void MemoCltAfterScroll();
    void moveToRow(int index);
    void updateActions();
    void updateCaption();
    bool memoKey(QKeyEvent *event);
    void panelClicked(int index);
    void FileOpen1Execute();
    void FileSaveAs1Execute();
    void FontEdit1Execute();
    // 印刷: the shown days as the diary report, a list or the calendar as shown.
    void ActionPrintExecute();
    void writeDay(const QDate &date, const QString &text);

    QList<MemoRow> m_rows;
    int m_current = -1;
    TMemoView m_view = mvMonth;
    int m_shownYear = 0;
    int m_shownMonth = 0;
    QDate m_first, m_last;
    bool m_suspended = false;
    bool m_loaded = false;
    QColor m_fontColor = Qt::black;
    QPointer<TFormMemoSearch> m_search;
};
