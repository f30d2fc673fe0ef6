#pragma once

#include <functional>

#include <QAction>
#include <QColor>
#include <QDate>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include "platform/db/Currency.h"
#include "platform/ui/WaitCursor.h"

class IFrameInterface;
class QActionGroup;
class QFont;
class QLabel;
class QStackedWidget;
class QToolBar;
class TColorPageControl;
class TFrameBtn;
class TMyDBGrid;

// Page numbers of the main window (the tags of the page actions).
enum TPageNo {
    pgIri = 0, pgDeru, pgKouza, pgYosan, pgTutyo, pgSyukei, pgNikki, pgTyusyutu, pgChart, pgReserve, pgKanri,
    PageCount
};

// A page that has something to commit when the program closes (the journal,
// diary and scheduled-entry pages) implements this beside IFrameInterface. The
// window asks only such a page at shut-down; false, or an exception, is a
// refusal and the user is asked whether to close anyway.
class IFrameCloseCommit
{
public:
    virtual ~IFrameCloseCommit() = default;
    // Commit pending edits and let go of the shared data sets; false keeps them.
    virtual bool CommitForClose() = 0;
};

// A journal page that can show one journal entry (the jump to an entry).
class IJournalEntryTarget
{
public:
    virtual ~IJournalEntryTarget() = default;
    virtual void ShowJournalEntry(int dataNo, int himokuCode, bool warn, int style, int origin, int lookupNo,
                                  int receiptNo, const QDate &recDate) = 0;
};

// The program's one window: eleven pages on a page control (or on a tool bar in
// the alternative view), the calculator, notepad and help buttons at the top
// right, the floating item hint, the window placement and the shut-down road.
//
// Pages plug in by number through the frame registry, so the window never
// knows their classes:
//     TMainForm::RegisterPageFrame(pgDeru, "TFrameDeru", [](QWidget *p) { return new TFrameDeru(p); });
// or TMainForm::RegisterPageFrame<TFrameDeru>(pgDeru). The widget a factory
// returns must also derive from IFrameInterface. Pages with no registered class
// get a TFramePlaceholder showing the page's caption.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    using FrameFactory = std::function<QWidget *(QWidget *parent)>;

    // ---- plug-ins of other parts (set before the window is first shown) ----

    static void RegisterPageFrame(int pageNo, const QString &className, FrameFactory factory);
    template <class T> static void RegisterPageFrame(int pageNo)
    {
        RegisterPageFrame(pageNo, QString::fromLatin1(T::staticMetaObject.className()),
                          [](QWidget *parent) { return new T(parent); });
    }
    // Forgets a page's class: the page shows its placeholder again (tests).
    static void UnregisterPageFrame(int pageNo);
    static bool HasPageFrame(int pageNo);
    // The management page in its rescue layout, made on the window itself when
    // no book could be opened; unset: a placeholder with the caption 管理.
    static FrameFactory RescueFrameFactory;
    // The welcome note shown once at the first showing; unset: none.
    static std::function<void(QWidget *owner)> ShowFirstUseNote;
    // The calculator and the notepad windows; unset: their buttons do nothing.
    static std::function<QWidget *(QWidget *owner)> CalculatorFactory;
    static std::function<QWidget *(QWidget *owner)> NotepadFactory;
    // Detaches the calculator from the field a page bound it to.
    static std::function<void(QWidget *calculator)> UnbindCalculator;
    // Collects and offers the due scheduled entries after the start-up opening.
    static std::function<void(QWidget *owner)> OfferDueReservations;

    static const QString CaptionBase;     // "ぽむぬろ君v3 Zenit"
    static const QString OfflineText;     // "オフライン"
    static const QString ForceCloseText;  // "終了を強行しますか？"
    static QString PageCaption(int pageNo);

    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // ---- components -------------------------------------------------------

    TColorPageControl *MainPageControl = nullptr;
    QList<QWidget *> TabSheets;          // by page number: TabIri, TabDeru, ...
    QWidget *PnlTopMenu = nullptr;
    TFrameBtn *FrBtnCalclatar = nullptr;
    TFrameBtn *FrBtnMemo = nullptr;
    TFrameBtn *FrBtnHelp = nullptr;
    QToolBar *ActionToolBar1 = nullptr;
    QList<QAction *> PageActions;        // by page number: ActIri ... ActKanri
    QAction *ActCalc = nullptr;
    QAction *ActiMemo = nullptr;
    QAction *HelpContents1 = nullptr;
    QTimer Timer;
    QLabel *ST_Hinmei = nullptr;
    QList<QIcon> ImageListSpring, ImageListSummer, ImageListApple, ImageListSnow;

    // ---- state shared with the pages ---------------------------------------

    int WriteMode = 0;       // the selector's write mode of the journal pages
    QDate ShownDate;         // the date the journal pages show
    int ShownYear = 0;       // and the fiscal year and month of their slip modes
    int ShownMonth = 0;
    bool AllBtnShow = true;

    // ---- services ---------------------------------------------------------

    // Caption base + "  [" + text + "]".
    void SetBookCaption(const QString &text);
    // Caption base, then the open book's name or "オフライン".
    void SetTitleCaption();
    // Shows the 振替 tab and action only with account management on.
    void OrderPageTabs();
    // Asks the current page whether it may be left; false without a book.
    bool CanLeavePage();
    // Flushes the tables and shows the page's frame (made on first use).
    void ShowPage(int pageNo);
    // Switches to a page the way a click on its tab (or action) does: asks the
    // current page first. False when the page kept the window.
    bool SelectPage(int pageNo);
    // Shows a journal entry on its page; false when it was not found or the
    // current page could not be left.
    Q_INVOKABLE bool JumpToDataNo(int dataNo);
    // The floating item hint over control, its left at x - a third of its width
    // and its bottom at y; hidden again by the timer.
    void ShowItemHint(QWidget *control, int x, int y, const QString &text);
    void SetAllBtnShow(bool value);
    void SetSeasonImages(const QDate &date);
    void SetTabImagesByRate(double percentage);
    // The window's font, then the one stored in "MainForm".
    void ApplyCommonFont(QFont &font);
    void ApplyCommonGridFont(TMyDBGrid *grid);
    // Shows the calculator (when there is one) and the notepad (with a book open).
    void ShowCalculator();
    void ShowNotepad();
    // The help of a control: no help file comes with the program.
    void ShowContextHelp(QWidget *control);

    // The start-up road of the first showing: welcome note, start-up opening,
    // then the expense page or the rescue layout. Runs once, from showEvent.
    void FormShow();
    // The pages with a book open (after the start-up or after the rescue
    // layout opened a book): the 支出 page.
    void ShowBookPages();
    // The management page alone on the window, when no book is open.
    void ShowRescueLayout();
    // The shut-down questions and work; false keeps the program running.
    bool FormCloseQuery();

    // ---- state for callers and tests ----------------------------------------

    int currentPageNo() const { return m_currentPage; }
    QWidget *currentFrame() const { return m_currentFrame; }
    QWidget *frameOf(int pageNo) const;
    QList<QWidget *> createdFrames() const { return m_created; }
    QList<QWidget *> freeableFrames() const { return m_freeable; }
    int viewStyle() const { return m_viewStyle; }
    bool inRescueLayout() const { return m_rescue; }
    int tabImageIndex(int pageNo) const;
    const QList<QIcon> *seasonImages() const { return m_seasonImages; }
    QRect normalPlacement() const { return m_normalPlacement; }
    QWidget *calculator() const { return m_calculator; }
    QWidget *notepad() const { return m_notepad; }
    int pageMargin() const { return m_margin; }

    // The visible position of a page's tab (-1 when hidden).
    int tabPosition(int pageNo) const;
    // The idle work: hides the frames not shown.
    void IdleWork();

    // ---- rules ------------------------------------------------------------

    // The page control's margin for a screen width: (width - 800) div 60, 0 to 9.
    static int PageMargin(int screenWidth);
    // The image of a tab at an odd or even position for a budget percentage.
    static int TabImageForRate(double percentage, bool oddPosition);
    // 収入 -> " 収 入 ".
    static QString SpaceOutCaption(const QString &caption);

signals:
    // Each tick of the hint timer: pages hide their own pop-up labels.
    void hintTimerTick();
    // A page was shown (after the flush).
    void pageShown(int pageNo);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void buildActions();
    void makeTabImages();
    void LoadPlacement();
    void SavePlacement();
    void rememberPlacement();
    void ShowFrame(int pageNo, QWidget *parent);
    void installDataModuleHooks();
    void tabChanged(int index);
    void pageActionTriggered(int pageNo);
    void applyTabImages();
    void layoutTopMenu();
    void applyMargin();
    void TimerTimer();
    void setHelpMode(bool on);

    QList<QWidget *> m_frames;       // by page number, null until made
    QList<QWidget *> m_created;
    QList<QWidget *> m_freeable;
    QPointer<QWidget> m_currentFrame;
    QPointer<QWidget> m_rescueFrame;
    QPointer<QWidget> m_calculator;
    QPointer<QWidget> m_notepad;
    QStackedWidget *m_toolBarHost = nullptr;
    QWidget *m_central = nullptr;
    QActionGroup *m_pageGroup = nullptr;
    int m_currentPage = -1;
    int m_shownTab = -1;
    int m_viewStyle = 0;
    bool m_showTabImages = true;
    const QList<QIcon> *m_seasonImages = nullptr;
    int m_rateImages[2] = {0, 0};   // even, odd positions
    QRect m_normalPlacement;
    bool m_loadingPlacement = false;
    bool m_firstShown = false;
    bool m_rescue = false;
    bool m_pendingFree = false;
    bool m_switching = false;
    bool m_closing = false;
    int m_margin = 0;
    QString m_captionBase;
};

// The program's main window, made by the start-up and alive until it closes.
extern TMainForm *MainForm;

// Page colours, set once by the main window; every page takes its background
// and grid colours from them.
extern QColor PaletteColor1, PaletteColor2, PaletteColor3, PaletteColor4, PaletteColor5, PaletteColor6,
    PaletteColor7, PaletteColor8, PaletteColor9, PaletteColor10, PaletteColor11, PaletteColor12, PaletteColor13,
    PaletteColor14, PaletteColor15, PaletteColor16, PaletteColor17, PaletteColor18, PaletteColor19,
    PaletteColor20, PaletteColor21, PaletteColor22, PaletteColor23;
// Sets them for a screen's colour depth (8 bits or less: system colours).
void SetPaletteColors(int colorDepth);

// Creates a form owned by the main window unless var already holds one; false
// (and var empty) when making it failed.
template <class T> bool EnsureForm(QPointer<T> &var)
{
    if (var)
        return true;
    WaitCursor wait;
    try {
        var = new T(MainForm);
        return true;
    } catch (...) {
        var = nullptr;
        return false;
    }
}
// Turns off parent-background painting: the control fills its own background.
void ClearParentBackground(QWidget *control);
// top := bevel top + (bevel height - control height + offset) div 2.
void VCenterOnBevel(QWidget *control, QWidget *bevel, int offset);
