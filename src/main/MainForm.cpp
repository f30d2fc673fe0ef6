#include "main/MainForm.h"
#include "main/FormFukuHinmei.h"

#include <array>
#include <cmath>
#include <exception>

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMap>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "controls/ColorPageControl.h"
#include "controls/FrameBtn.h"
#include "controls/MyDBGrid.h"
#include "data/ControlUtils.h"
#include "data/DatMod.h"
#include "data/FormatSettings.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Vocabulary.h"
#include "main/FrameInterface.h"
#include "main/FramePlaceholder.h"
#include "main/PageFrames.h"
#include "management/FormOtherOption.h"
#include "management/FrameDataKanri.h"
#include "platform/ui/HintSwitch.h"
#include "platform/db/Abort.h"
#include "platform/db/Table.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/IdleHook.h"

TMainForm *MainForm = nullptr;

QColor PaletteColor1, PaletteColor2, PaletteColor3, PaletteColor4, PaletteColor5, PaletteColor6, PaletteColor7,
    PaletteColor8, PaletteColor9, PaletteColor10, PaletteColor11, PaletteColor12, PaletteColor13, PaletteColor14,
    PaletteColor15, PaletteColor16, PaletteColor17, PaletteColor18, PaletteColor19, PaletteColor20, PaletteColor21,
    PaletteColor22, PaletteColor23;

const QString TMainForm::CaptionBase = QStringLiteral("ぽむぬろ君v3 Zenit");
const QString TMainForm::OfflineText = QStringLiteral("オフライン");
const QString TMainForm::ForceCloseText = QStringLiteral("終了を強行しますか？");

TMainForm::FrameFactory TMainForm::RescueFrameFactory;
std::function<void(QWidget *)> TMainForm::ShowFirstUseNote;
std::function<QWidget *(QWidget *)> TMainForm::CalculatorFactory;
std::function<QWidget *(QWidget *)> TMainForm::NotepadFactory;
std::function<void(QWidget *)> TMainForm::UnbindCalculator;
std::function<void(QWidget *)> TMainForm::OfferDueReservations;

namespace {

struct PageDef
{
    const char *sheetName;
    QStringView caption;
    const char *actionName;
    QStringView actionCaption;
    char key;
};

// Page number = index = the tag of the page's action.
const std::array<PageDef, PageCount> Pages{{
    {"TabIri", u"収入", "ActIri", u"収入(&N)", 'N'},
    {"TabDeru", u"支出", "ActDeru", u"支出(&S)", 'S'},
    {"TabKouza", u"振替", "ActKouza", u"振替(&K)", 'K'},
    {"TabYosan", u"予算", "ActYosan", u"予算(&Y)", 'Y'},
    {"TabKouzaSyukei", u"通帳", "ActTutyo", u"通帳(&T)", 'T'},
    {"TabSyukei", u"集計", "ActNenSyusi", u"集計(&L)", 'L'},
    {"TabNikki", u"日記", "ActMemoList", u"日記(&D)", 'D'},
    {"TabTyusyutu", u"抽出", "ActTyusyutu", u"抽出(&Q)", 'Q'},
    {"TabChart", u"グラフ", "ActGraph", u"グラフ(&G)", 'G'},
    {"TabReserve", u"予約", "ActReserve", u"予約(&R)", 'R'},
    {"TabKanri", u"管理", "ActKanri", u"管理(&M)", 'M'},
}};

struct Registered
{
    QString className;
    TMainForm::FrameFactory factory;
};

QMap<int, Registered> &frameRegistry()
{
    static QMap<int, Registered> registry;
    return registry;
}

IFrameInterface *frameInterface(QWidget *frame)
{
    return dynamic_cast<IFrameInterface *>(frame);
}

// The per-user store is the data module's; without it (a window made on its
// own) the defaults stand and nothing is written.
bool readBool(const QString &key, bool def)
{
    return RegIni ? RegIni->ReadOrWriteBool(QStringLiteral("MainForm"), key, def) : def;
}
int readInt(const QString &key, int def)
{
    return RegIni ? RegIni->ReadOrWriteInteger(QStringLiteral("MainForm"), key, def) : def;
}

bool bookIsOpen()
{
    return DatMod && DatMod->FolderReady && DatMod->DataOpen;
}

// One tab image: a round badge in the season's colour, filled up to the rate
// step (0 to 3); image 4, the active tab, is a brighter badge with a star.
QIcon drawTabImage(const QColor &colour, int index)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1.5, 1.5, 13, 13);
    p.setPen(QPen(colour.darker(160), 1));
    if (index == 4) {
        p.setBrush(colour.lighter(115));
        p.drawEllipse(r);
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double a = -M_PI / 2 + i * M_PI / 5;
            const double rad = (i % 2) ? 2.6 : 6.0;
            star << QPointF(8 + rad * std::cos(a), 8 + rad * std::sin(a));
        }
        p.setBrush(QColor(255, 220, 40));
        p.setPen(QPen(QColor(160, 110, 0), 0.8));
        p.drawPolygon(star);
        return QIcon(pm);
    }
    p.setBrush(Qt::white);
    p.drawEllipse(r);
    // The higher the step, the more of the badge is filled from the bottom and
    // the warmer its colour, so an overspent month shows at a glance.
    static const QColor warn[4] = {QColor(), QColor(255, 200, 0), QColor(255, 120, 0), QColor(220, 0, 0)};
    const QColor fill = index == 0 ? colour : warn[index];
    const double level = 0.4 + 0.2 * index;
    p.save();
    p.setClipRect(QRectF(0, 16 - 16 * level, 16, 16 * level));
    p.setBrush(fill);
    p.drawEllipse(r);
    p.restore();
    return QIcon(pm);
}

} // namespace

// ---- registry ----------------------------------------------------------------

void TMainForm::RegisterPageFrame(int pageNo, const QString &className, FrameFactory factory)
{
    if (pageNo < 0 || pageNo >= PageCount)
        return;
    frameRegistry().insert(pageNo, Registered{className, std::move(factory)});
}

void TMainForm::UnregisterPageFrame(int pageNo)
{
    frameRegistry().remove(pageNo);
}

bool TMainForm::HasPageFrame(int pageNo)
{
    return frameRegistry().contains(pageNo);
}

QString TMainForm::PageCaption(int pageNo)
{
    if (pageNo < 0 || pageNo >= PageCount)
        return QString();
    return Pages[size_t(pageNo)].caption.toString();
}

// ---- rules -------------------------------------------------------------------

int TMainForm::PageMargin(int screenWidth)
{
    return qBound(0, (screenWidth - 800) / 60, 9);
}

int TMainForm::TabImageForRate(double p, bool odd)
{
    if (p < 90)
        return 0;
    if (p < 95)
        return odd ? 1 : 0;
    if (p < 101)
        return 1;
    if (p < 110)
        return odd ? 2 : 1;
    if (p < 120)
        return 2;
    return 3;
}

QString TMainForm::SpaceOutCaption(const QString &caption)
{
    QString out = QStringLiteral(" ");
    for (const QChar c : caption) {
        out += c;
        out += QLatin1Char(' ');
    }
    return out;
}

void SetPaletteColors(int colorDepth)
{
    const bool low = colorDepth <= 8;
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QColor window = QApplication::palette().color(QPalette::Base);
    auto pick = [&](int r, int g, int b, const QColor &lowColour) { return low ? lowColour : QColor(r, g, b); };
    PaletteColor1 = pick(255, 217, 217, face);
    PaletteColor2 = pick(253, 248, 247, window);
    PaletteColor3 = pick(238, 235, 227, face);
    PaletteColor4 = pick(255, 218, 200, face);
    PaletteColor5 = pick(200, 217, 254, face);
    PaletteColor6 = pick(251, 249, 240, window);
    PaletteColor7 = pick(247, 252, 244, window);
    PaletteColor8 = pick(254, 243, 222, face);
    PaletteColor9 = pick(213, 213, 215, face);
    PaletteColor10 = pick(255, 128, 128, face);
    PaletteColor11 = pick(210, 215, 225, face);
    PaletteColor12 = QColor(254, 249, 245);
    PaletteColor13 = pick(242, 244, 253, window);
    PaletteColor14 = pick(255, 242, 238, window);
    PaletteColor15 = pick(188, 236, 215, face);
    PaletteColor16 = pick(216, 218, 233, face);
    PaletteColor17 = pick(255, 191, 207, face);
    PaletteColor18 = pick(164, 187, 255, face);
    PaletteColor19 = pick(160, 235, 192, face);
    PaletteColor20 = QColor(252, 224, 235);
    PaletteColor21 = QColor(216, 224, 250);
    PaletteColor22 = QColor(223, 242, 228);
    PaletteColor23 = pick(245, 242, 231, window);
}

void ClearParentBackground(QWidget *control)
{
    if (control)
        control->setAutoFillBackground(true);
}

void VCenterOnBevel(QWidget *control, QWidget *bevel, int offset)
{
    if (!control || !bevel)
        return;
    control->move(control->x(), bevel->y() + (bevel->height() - control->height() + offset) / 2);
}

// ---- creation ----------------------------------------------------------------

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TMainForm"));
    m_captionBase = CaptionBase;
    setWindowTitle(CaptionBase);
    // Asked before any key of the section is read, as every read seeds the section.
    const bool firstRun = !RegIni || RegIni->SectionKeyCount(QStringLiteral("MainForm")) == 0;

    RegisterStandardPages();
    for (int i = 0; i < PageCount; ++i)
        m_frames.append(nullptr);
    buildUi();
    buildActions();

    m_showTabImages = readBool(QStringLiteral("ShowTabImage"), true);
    if (!m_showTabImages) {
        for (int i = 0; i < PageCount; ++i)
            MainPageControl->setTabText(i, SpaceOutCaption(PageCaption(i)));
    }
    SetPaletteColors(screen() ? screen()->depth() : 32);
    Formats().twoDigitYearWindow = 50;

    m_loadingPlacement = true;
    if (firstRun) {
        const QRect work = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        if (RegIni) {
            RegIni->WriteBoolAndUpdate(QStringLiteral("MainForm"), QStringLiteral("Maximized"), true);
            RegIni->WriteIntegerAndUpdate(QStringLiteral("MainForm"), QStringLiteral("Top"), 10);
            RegIni->WriteIntegerAndUpdate(QStringLiteral("MainForm"), QStringLiteral("Left"), 10);
            RegIni->WriteIntegerAndUpdate(QStringLiteral("MainForm"), QStringLiteral("Width"), work.width() - 20);
            RegIni->WriteIntegerAndUpdate(QStringLiteral("MainForm"), QStringLiteral("Height"), work.height() - 40);
        }
        const QSize size(work.width() - 20, work.height() - 40);
        resize(size);
        move(work.center() - QPoint(size.width() / 2, size.height() / 2));
        m_normalPlacement = QRect(pos(), size);
        setWindowState(Qt::WindowMaximized);
    } else {
        LoadPlacement();
    }
    m_loadingPlacement = false;
    m_viewStyle = readInt(QStringLiteral("ViewStyle"), 0) == 1 ? 1 : 0;

    WriteMode = readInt(QStringLiteral("KakikatAuto"), 0);
    readInt(QStringLiteral("ResourceCount"), 3);
    AllBtnShow = readBool(QStringLiteral("AllBtnShow"), true);
    SetHintsShown(!readBool(QStringLiteral("NoShowHint"), false));

    makeTabImages();
    SetSeasonImages(QDate::currentDate());
    SetTabImagesByRate(0);

    SetControlHelpContext(FrBtnCalclatar, 10099);
    SetControlHelpContext(FrBtnMemo, 10118);

    connect(&Timer, &QTimer::timeout, this, &TMainForm::TimerTimer);
    connect(IdleHook::instance(), &IdleHook::idle, this, &TMainForm::IdleWork);
    installDataModuleHooks();
    qApp->installEventFilter(this);
    TFrameDataKanri::CloseNotepad = [this] {
        if (m_notepad)
            m_notepad->close();
    };
    TFrameDataKanri::ArrangePages = [this] { OrderPageTabs(); };
    TFormOtherOption::RunningViewStyle = [this] { return m_viewStyle; };
    TFormOtherOption::RunningTabImages = [this] { return m_showTabImages; };
}

TMainForm::~TMainForm()
{
    qApp->removeEventFilter(this);
    // The frames go with their tab sheets after this body, when the lists the
    // destroyed handlers would touch are gone already.
    for (QWidget *frame : std::as_const(m_created))
        disconnect(frame, nullptr, this, nullptr);
    TFrameDataKanri::CloseNotepad = nullptr;
    TFrameDataKanri::ArrangePages = nullptr;
    TFormOtherOption::RunningViewStyle = nullptr;
    TFormOtherOption::RunningTabImages = nullptr;
    if (DatMod) {
        DatMod->OnCaptionText = nullptr;
        DatMod->OnShowBook = nullptr;
        DatMod->OnBookLost = nullptr;
    }
    // The tool windows belong to the application, not to this window.
    delete m_calculator.data();
    delete m_notepad.data();
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::buildUi()
{
    m_central = new QWidget(this);
    m_central->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(m_central);
    auto *layout = new QVBoxLayout(m_central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    MainPageControl = new TColorPageControl(m_central);
    MainPageControl->setObjectName(QStringLiteral("MainPageControl"));
    MainPageControl->setPageColor(QColor(255, 231, 219));
    MainPageControl->tabBar()->setMouseTracking(true);   // hot tracking
    MainPageControl->setIconSize(QSize(16, 16));
    const QColor sheetColour(222, 224, 233);
    {
        QSignalBlocker block(MainPageControl);
        for (int i = 0; i < PageCount; ++i) {
            auto *sheet = new QWidget;
            sheet->setObjectName(QString::fromLatin1(Pages[size_t(i)].sheetName));
            sheet->setProperty("pageNo", i);
            auto *sheetLayout = new QVBoxLayout(sheet);
            sheetLayout->setContentsMargins(0, 0, 0, 0);
            QPalette pal = sheet->palette();
            pal.setColor(QPalette::Window, sheetColour);
            sheet->setPalette(pal);
            sheet->setAutoFillBackground(true);
            MainPageControl->addTab(sheet, PageCaption(i));
            TabSheets.append(sheet);
        }
    }
    MainPageControl->colorTabBar()->setMinimumHeight(27);
    connect(MainPageControl, &QTabWidget::currentChanged, this, &TMainForm::tabChanged);
    connect(MainPageControl, &TColorPageControl::sheetEdgeColor, this, [this](QColor &colour) {
        if (m_currentFrame)
            colour = m_currentFrame->palette().color(QPalette::Window);
    });
    layout->addWidget(MainPageControl);

    m_toolBarHost = new QStackedWidget(m_central);
    m_toolBarHost->setObjectName(QStringLiteral("ToolBarClient"));
    m_toolBarHost->hide();
    layout->addWidget(m_toolBarHost);

    PnlTopMenu = new QWidget(m_central);
    PnlTopMenu->setObjectName(QStringLiteral("PnlTopMenu"));
    auto makeButton = [this](const char *name, const QString &caption, int width) {
        auto *b = new TFrameBtn(PnlTopMenu);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setFixedSize(width, 23);
        return b;
    };
    FrBtnCalclatar = makeButton("FrBtnCalclatar", QStringLiteral("電卓"), 48);
    FrBtnMemo = makeButton("FrBtnMemo", QStringLiteral("メモ"), 48);
    FrBtnHelp = makeButton("FrBtnHelp", QStringLiteral("?"), 25);
    FrBtnHelp->setToolTip(QStringLiteral("調べたい所をクリックします。"));
    FrBtnHelp->setGroupIndex(1);
    FrBtnHelp->setAllowAllUp(true);
    auto *menuLayout = new QHBoxLayout(PnlTopMenu);
    menuLayout->setContentsMargins(0, 0, 0, 0);
    menuLayout->setSpacing(0);
    menuLayout->addWidget(FrBtnCalclatar);
    menuLayout->addWidget(FrBtnMemo);
    menuLayout->addWidget(FrBtnHelp);
    connect(FrBtnCalclatar, &QAbstractButton::clicked, this, &TMainForm::ShowCalculator);
    connect(FrBtnMemo, &QAbstractButton::clicked, this, &TMainForm::ShowNotepad);
    connect(FrBtnHelp, &TMySpeedButton::downChanged, this, &TMainForm::setHelpMode);

    ST_Hinmei = new QLabel(this);
    ST_Hinmei->setObjectName(QStringLiteral("ST_Hinmei"));
    ST_Hinmei->setFrameShape(QFrame::Box);
    ST_Hinmei->setAutoFillBackground(true);
    QPalette hintPal = ST_Hinmei->palette();
    hintPal.setColor(QPalette::Window, QColor(255, 255, 225));
    ST_Hinmei->setPalette(hintPal);
    ST_Hinmei->hide();
}

void TMainForm::buildActions()
{
    ActionToolBar1 = new QToolBar(this);
    ActionToolBar1->setObjectName(QStringLiteral("ActionToolBar1"));
    ActionToolBar1->setMovable(false);
    ActionToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    addToolBar(Qt::TopToolBarArea, ActionToolBar1);
    ActionToolBar1->hide();

    m_pageGroup = new QActionGroup(this);
    m_pageGroup->setExclusive(true);
    for (int i = 0; i < PageCount; ++i) {
        const PageDef &def = Pages[size_t(i)];
        auto *a = new QAction(def.actionCaption.toString(), this);
        a->setObjectName(QString::fromLatin1(def.actionName));
        a->setCheckable(true);
        a->setData(i);
        a->setShortcut(QKeySequence(Qt::ALT | Qt::Key(def.key)));
        m_pageGroup->addAction(a);
        ActionToolBar1->addAction(a);
        PageActions.append(a);
        connect(a, &QAction::triggered, this, [this, i] { pageActionTriggered(i); });
    }
    ActionToolBar1->addSeparator();
    ActCalc = new QAction(QStringLiteral("電卓(&C)"), this);
    ActCalc->setObjectName(QStringLiteral("ActCalc"));
    ActCalc->setShortcut(QKeySequence(Qt::ALT | Qt::Key_C));
    connect(ActCalc, &QAction::triggered, this, &TMainForm::ShowCalculator);
    // Alt+O opens the notepad, as the action's caption says; the diary keeps Alt+D.
    ActiMemo = new QAction(QStringLiteral("覚書(&O)"), this);
    ActiMemo->setObjectName(QStringLiteral("ActiMemo"));
    ActiMemo->setShortcut(QKeySequence(Qt::ALT | Qt::Key_O));
    connect(ActiMemo, &QAction::triggered, this, &TMainForm::ShowNotepad);
    HelpContents1 = new QAction(QStringLiteral("ヘルプ(&H)"), this);
    HelpContents1->setObjectName(QStringLiteral("HelpContents1"));
    HelpContents1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_H));
    connect(HelpContents1, &QAction::triggered, this, [this] { ShowContextHelp(nullptr); });
    ActionToolBar1->addAction(ActCalc);
    ActionToolBar1->addAction(ActiMemo);
    ActionToolBar1->addAction(HelpContents1);
    // The Alt keys belong to the tool bar's actions: they work only while the
    // tool bar is shown, not in the page-tab view.
}

void TMainForm::makeTabImages()
{
    auto make = [](const QColor &colour) {
        QList<QIcon> list;
        for (int i = 0; i <= 4; ++i)
            list.append(drawTabImage(colour, i));
        return list;
    };
    ImageListSpring = make(QColor(255, 170, 200));
    ImageListSummer = make(QColor(90, 200, 90));
    ImageListApple = make(QColor(230, 80, 60));
    ImageListSnow = make(QColor(150, 200, 255));
}

void TMainForm::installDataModuleHooks()
{
    if (!DatMod)
        return;
    DatMod->OnCaptionText = [this](const QString &text) { SetBookCaption(text); };
    // Runs at every opening of a book, from the start-up, the management page or
    // the rescue layout alike: the decimals of one book must never carry over
    // to the next, or amounts typed into it would be rounded to the wrong unit.
    DatMod->OnShowBook = [this] {
        if (DataIni)
            Formats().currencyDecimals = qBound(
                0, DataIni->ReadOrWriteInteger(QStringLiteral("State"), QStringLiteral("CurrencyDecimals"), 0), 4);
        SetTitleCaption();
        OrderPageTabs();
        // A book opened from the rescue layout: the pages come back once the
        // opening has finished (caches and holidays are read after this hook).
        if (m_rescue && m_firstShown)
            QTimer::singleShot(0, this, [this] {
                if (m_rescue && bookIsOpen())
                    ShowBookPages();
            });
    };
    DatMod->OnBookLost = [this] { ShowRescueLayout(); };
}

// ---- caption, tabs, images ------------------------------------------------------

void TMainForm::SetBookCaption(const QString &text)
{
    setWindowTitle(m_captionBase + QStringLiteral("  [") + text + QLatin1Char(']'));
}

void TMainForm::SetTitleCaption()
{
    m_captionBase = CaptionBase;
    SetBookCaption(bookIsOpen() ? DatMod->BookName : OfflineText);
}

void TMainForm::OrderPageTabs()
{
    for (int i = 0; i < PageCount; ++i) {
        const bool visible = i != pgKouza || KouzaUseFlag;
        MainPageControl->setTabVisible(i, visible);
        PageActions[i]->setVisible(visible);
    }
    // The calculator and notepad windows come from their own units; until one
    // is installed its button and menu entry would do nothing, so they are hidden.
    FrBtnCalclatar->setVisible(static_cast<bool>(CalculatorFactory));
    ActCalc->setVisible(static_cast<bool>(CalculatorFactory));
    FrBtnMemo->setVisible(static_cast<bool>(NotepadFactory));
    ActiMemo->setVisible(static_cast<bool>(NotepadFactory));
    applyTabImages();
    layoutTopMenu();
}

int TMainForm::tabPosition(int pageNo) const
{
    if (pageNo < 0 || pageNo >= PageCount || !MainPageControl->isTabVisible(pageNo))
        return -1;
    int pos = 0;
    for (int i = 0; i < pageNo; ++i)
        if (MainPageControl->isTabVisible(i))
            ++pos;
    return pos;
}

int TMainForm::tabImageIndex(int pageNo) const
{
    if (!m_showTabImages || pageNo < 0 || pageNo >= PageCount)
        return -1;
    const int pos = tabPosition(pageNo);
    if (pos < 0)
        return -1;
    if (pageNo == MainPageControl->currentIndex() && m_shownTab >= 0)
        return 4;
    return m_rateImages[pos % 2];
}

void TMainForm::applyTabImages()
{
    if (!m_showTabImages || !m_seasonImages)
        return;
    for (int i = 0; i < PageCount; ++i) {
        const int index = tabImageIndex(i);
        MainPageControl->setTabIcon(i, index >= 0 ? m_seasonImages->at(index) : QIcon());
    }
}

void TMainForm::SetSeasonImages(const QDate &date)
{
    if (!m_showTabImages)
        return;
    switch (date.month()) {
    case 12: case 1: case 2: m_seasonImages = &ImageListSnow; break;
    case 3: case 4: case 5: m_seasonImages = &ImageListSpring; break;
    case 6: case 7: case 8: m_seasonImages = &ImageListSummer; break;
    default: m_seasonImages = &ImageListApple; break;
    }
    applyTabImages();
}

void TMainForm::SetTabImagesByRate(double percentage)
{
    if (!m_showTabImages)
        return;
    m_rateImages[0] = TabImageForRate(percentage, false);
    m_rateImages[1] = TabImageForRate(percentage, true);
    applyTabImages();
}

// ---- pages ---------------------------------------------------------------------

QWidget *TMainForm::frameOf(int pageNo) const
{
    return pageNo >= 0 && pageNo < PageCount ? m_frames[pageNo] : nullptr;
}

bool TMainForm::CanLeavePage()
{
    if (!DatMod || !DatMod->DataOpen)
        return false;
    IFrameInterface *frame = frameInterface(m_currentFrame);
    if (!frame)
        return false;
    bool allowed = false;
    try {
        allowed = frame->LeavePage();
    } catch (const EAbort &) {
        allowed = false;    // the page has told the user why
    } catch (const std::exception &e) {
        // A failed commit keeps the page, with its change log, as a refusal does.
        ShowExceptionBox(QString::fromUtf8(e.what()));
        allowed = false;
    }
    if (allowed && m_calculator && UnbindCalculator)
        UnbindCalculator(m_calculator);
    return allowed;
}

void TMainForm::tabChanged(int index)
{
    if (m_switching || m_rescue || !m_firstShown || index == m_shownTab || index < 0)
        return;
    if (!CanLeavePage()) {
        QSignalBlocker block(MainPageControl);
        MainPageControl->setCurrentIndex(m_shownTab);
        return;
    }
    m_shownTab = index;
    applyTabImages();
    ShowPage(index);
}

void TMainForm::pageActionTriggered(int pageNo)
{
    if (pageNo == m_currentPage) {
        PageActions[pageNo]->setChecked(true);
        return;
    }
    if (!CanLeavePage()) {
        if (m_currentPage >= 0)
            PageActions[m_currentPage]->setChecked(true);
        return;
    }
    ShowPage(pageNo);
}

bool TMainForm::SelectPage(int pageNo)
{
    if (pageNo < 0 || pageNo >= PageCount || m_rescue)
        return false;
    if (pageNo == m_currentPage)
        return true;
    if (m_viewStyle == 0) {
        if (!MainPageControl->isTabVisible(pageNo))
            return false;
        MainPageControl->setCurrentIndex(pageNo);
    } else {
        if (!PageActions[pageNo]->isVisible())
            return false;
        pageActionTriggered(pageNo);
    }
    return m_currentPage == pageNo;
}

void TMainForm::ShowPage(int pageNo)
{
    if (pageNo < 0 || pageNo >= PageCount)
        return;
    m_pendingFree = true;
    CommitDataChanges();
    QWidget *parent = m_toolBarHost;
    if (m_viewStyle == 0) {
        if (MainPageControl->currentIndex() != pageNo) {
            QSignalBlocker block(MainPageControl);
            MainPageControl->setCurrentIndex(pageNo);
        }
        m_shownTab = pageNo;
        applyTabImages();
        parent = TabSheets[pageNo];
    }
    ShowFrame(pageNo, parent);
    if (m_viewStyle == 1)
        PageActions[pageNo]->setChecked(true);
    emit pageShown(pageNo);
}

void TMainForm::ShowFrame(int pageNo, QWidget *parent)
{
    QWidget *frame = m_frames[pageNo];
    if (frame) {
        if (m_freeable.removeOne(frame))
            m_freeable.append(frame);
        if (parent == m_toolBarHost)
            m_toolBarHost->setCurrentWidget(frame);
        frame->show();
        frame->raise();
        m_currentFrame = frame;
        m_currentPage = pageNo;
        if (IFrameInterface *f = frameInterface(frame))
            f->RefreshPage();
        return;
    }

    WaitCursor wait;
    const auto registered = frameRegistry().constFind(pageNo);
    QString className;
    if (registered != frameRegistry().constEnd()) {
        frame = registered->factory(parent);
        className = registered->className;
    } else {
        frame = new TFramePlaceholder(pageNo, PageCaption(pageNo), parent);
        className = QStringLiteral("TFramePlaceholder");
    }
    IFrameInterface *iface = frameInterface(frame);
    if (!iface) {
        delete frame;
        throw Exception(QStringLiteral("Page %1 frame does not implement IFrameInterface").arg(pageNo));
    }
    ClearParentBackground(frame);
    frame->hide();
    frame->setObjectName(className + QLatin1Char('A'));
    if (parent == m_toolBarHost)
        m_toolBarHost->addWidget(frame);
    else
        parent->layout()->addWidget(frame);
    m_frames[pageNo] = frame;
    // A frame that goes away takes its place with it: the next showing makes it anew.
    connect(frame, &QObject::destroyed, this, [this, pageNo, frame] {
        if (m_frames[pageNo] == frame)
            m_frames[pageNo] = nullptr;
        m_created.removeAll(frame);
        m_freeable.removeAll(frame);
    });
    try {
        iface->InitPage();
    } catch (...) {
        // A page that could not open (a damaged or busy book) goes entirely:
        // left in place, its destroyed handler would outlive this window's
        // lists, and the next showing would find a half-made page.
        disconnect(frame, nullptr, this, nullptr);
        if (m_frames[pageNo] == frame)
            m_frames[pageNo] = nullptr;
        delete frame;
        throw;
    }
    if (parent == m_toolBarHost)
        m_toolBarHost->setCurrentWidget(frame);
    frame->show();
    frame->raise();
    m_created.append(frame);
    switch (iface->ReleaseOrder()) {
    case 1: m_freeable.prepend(frame); break;
    case 2: m_freeable.append(frame); break;
    default: break;
    }
    m_currentFrame = frame;
    m_currentPage = pageNo;
}

void TMainForm::IdleWork()
{
    if (!m_pendingFree)
        return;
    // Frames are kept alive (memory is no concern here); the ones not on show
    // are hidden so that they stop painting and taking idle work.
    for (QWidget *frame : std::as_const(m_created)) {
        bool shown;
        if (m_viewStyle == 0)
            shown = frame->parentWidget() == MainPageControl->currentWidget();
        else
            shown = frame == m_currentFrame;
        if (!shown)
            frame->hide();
    }
    m_pendingFree = false;
}

bool TMainForm::JumpToDataNo(int dataNo)
{
    if (!DatMod || !DatMod->MasterTbl || !DatMod->MasterTbl->isActive())
        return false;
    Table *master = DatMod->MasterTbl;
    if (!master->locate(QStringLiteral("DATANO"), dataNo))
        return false;
    const QDate recDate = master->fieldByName(QStringLiteral("RECDATE"))->asDate();
    const int origin = master->fieldByName(QStringLiteral("ORIGIN"))->asInteger();
    const int kariCode = master->fieldByName(QStringLiteral("KARICODE"))->asInteger();
    const int kasiCode = master->fieldByName(QStringLiteral("KASICODE"))->asInteger();
    const int style = master->fieldByName(QStringLiteral("STYLE"))->asInteger();
    const int receiptNo = master->fieldByName(QStringLiteral("RECEIPTNO"))->asInteger();
    const int lookupNo = master->fieldByName(QStringLiteral("LOOKUPNO"))->asInteger();
    if (!CanLeavePage())
        return false;
    int page;
    int code;
    switch (origin) {
    case 1: page = pgIri; code = kasiCode; break;
    case 2: page = pgDeru; code = kariCode; break;
    case 3: page = pgKouza; code = GetHimokuBu1(kariCode) == 3 ? kariCode : kasiCode; break;
    default: return false;
    }
    // Leaving was granted above; the page is shown without asking again.
    ShowPage(page);
    if (auto *target = dynamic_cast<IJournalEntryTarget *>(m_currentFrame.data()))
        target->ShowJournalEntry(dataNo, code, true, style, origin, lookupNo, receiptNo, recDate);
    return m_currentPage == page;
}

// ---- first showing, rescue layout ---------------------------------------------

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_firstShown)
        FormShow();
}

void TMainForm::FormShow()
{
    if (m_firstShown)
        return;
    m_firstShown = true;
    if (RegIni && !RegIni->ReadOrWriteBool(QStringLiteral("MainForm"), QStringLiteral("v3FirstUseShow"), false)) {
        // A note that fails to show must not keep the book from opening.
        try {
            if (ShowFirstUseNote)
                ShowFirstUseNote(this);
        } catch (const EAbort &) {
        } catch (const std::exception &e) {
            ShowExceptionBox(QString::fromUtf8(e.what()));
        }
        RegIni->WriteBoolAndUpdate(QStringLiteral("MainForm"), QStringLiteral("v3FirstUseShow"), true);
    }
    SetTitleCaption();
    if (m_viewStyle == 1) {
        MainPageControl->hide();
        PnlTopMenu->hide();
        ActionToolBar1->show();
        m_toolBarHost->show();
    } else {
        ActionToolBar1->hide();
        m_toolBarHost->hide();
        MainPageControl->show();
        PnlTopMenu->show();
    }
    bool opened = false;
    if (DatMod) {
        DatMod->OpenAtStartup();
        opened = bookIsOpen() && !DatMod->StartupCancelled;
    }
    if (opened)
        ShowBookPages();
    else
        ShowRescueLayout();
}

void TMainForm::ShowBookPages()
{
    if (DataIni)
        Formats().currencyDecimals = qBound(
            0, DataIni->ReadOrWriteInteger(QStringLiteral("State"), QStringLiteral("CurrencyDecimals"), 0), 4);
    if (!m_calculator && CalculatorFactory)
        m_calculator = CalculatorFactory(this);
    if (OfferDueReservations)
        OfferDueReservations(this);
    if (m_rescue) {
        m_rescue = false;
        if (m_rescueFrame) {
            m_rescueFrame->hide();
            m_rescueFrame->deleteLater();
        }
        m_currentFrame = nullptr;
    }
    if (m_viewStyle == 1) {
        ActionToolBar1->show();
        m_toolBarHost->show();
    } else {
        MainPageControl->show();
        PnlTopMenu->show();
    }
    SetTitleCaption();
    OrderPageTabs();
    ShowPage(pgDeru);
}

void TMainForm::ShowRescueLayout()
{
    m_rescue = true;
    MainPageControl->hide();
    ActionToolBar1->hide();
    m_toolBarHost->hide();
    if (!m_rescueFrame) {
        QWidget *frame = RescueFrameFactory ? RescueFrameFactory(m_central)
                                            : new TFramePlaceholder(pgKanri, PageCaption(pgKanri), m_central);
        frame->setObjectName(frame->metaObject()->className() + QStringLiteral("A"));
        m_central->layout()->addWidget(frame);
        if (IFrameInterface *f = frameInterface(frame))
            f->InitPage();
        m_rescueFrame = frame;
    }
    m_rescueFrame->show();
    m_currentFrame = m_rescueFrame;
    m_currentPage = -1;
    m_shownTab = -1;
    SetTitleCaption();
    PnlTopMenu->raise();
}

// ---- tool buttons, hint, help ---------------------------------------------------

void TMainForm::ShowCalculator()
{
    if (!m_calculator)
        return;
    m_calculator->show();
    m_calculator->raise();
}

void TMainForm::ShowNotepad()
{
    if (!bookIsOpen() || !NotepadFactory)
        return;
    if (!m_notepad)
        m_notepad = NotepadFactory(this);
    if (m_notepad) {
        m_notepad->show();
        m_notepad->raise();
    }
}

void TMainForm::ShowContextHelp(QWidget *widget)
{
    ShowHelp(std::max(0, HelpContextAt(widget)));
}

void TMainForm::setHelpMode(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    // While the help button is down, the next click on the window asks for the
    // help of what was clicked instead of doing what the click would do.
    if (event->type() == QEvent::MouseButtonPress && FrBtnHelp && FrBtnHelp->down()) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this && widget != FrBtnHelp) {
            FrBtnHelp->SetDown(false);
            ShowContextHelp(widget);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ShowItemHint(QWidget *control, int x, int y, const QString &text)
{
    ST_Hinmei->setText(text);
    ST_Hinmei->adjustSize();
    const QPoint at = control ? control->mapTo(this, QPoint(x, y)) : QPoint(x, y);
    ST_Hinmei->move(at.x() - ST_Hinmei->width() / 3, at.y() - ST_Hinmei->height());
    ST_Hinmei->show();
    ST_Hinmei->raise();
    Timer.start(1500);
}

void TMainForm::TimerTimer()
{
    if (m_closing)
        return;
    ST_Hinmei->hide();
    emit hintTimerTick();
}

void TMainForm::SetAllBtnShow(bool value)
{
    if (value == AllBtnShow)
        return;
    AllBtnShow = value;
    if (RegIni)
        RegIni->WriteBoolAndUpdate(QStringLiteral("MainForm"), QStringLiteral("AllBtnShow"), value);
}

void TMainForm::ApplyCommonFont(QFont &font)
{
    font = this->font();
    QColor colour = palette().color(QPalette::WindowText);
    if (RegIni)
        LoadFontFromRegistry(QStringLiteral("MainForm"), font, colour);
}

void TMainForm::ApplyCommonGridFont(TMyDBGrid *grid)
{
    if (!grid)
        return;
    QFont font = grid->font();
    ApplyCommonFont(font);
    grid->setFont(font);
    if (QWidget *header = grid->horizontalHeader())
        header->setFont(font);
}

// ---- placement, resize ------------------------------------------------------------

void TMainForm::LoadPlacement()
{
    const QString s = QStringLiteral("MainForm");
    const int top = RegIni->ReadOrWriteInteger(s, QStringLiteral("Top"), 100);
    const int left = RegIni->ReadOrWriteInteger(s, QStringLiteral("Left"), 150);
    const int width = RegIni->ReadOrWriteInteger(s, QStringLiteral("Width"), 800);
    const int height = RegIni->ReadOrWriteInteger(s, QStringLiteral("Height"), 560);
    const bool maximized = RegIni->ReadOrWriteBool(s, QStringLiteral("Maximized"), false);
    move(left, top);
    resize(width, height);
    m_normalPlacement = QRect(left, top, width, height);
    if (maximized)
        setWindowState(Qt::WindowMaximized);
}

void TMainForm::rememberPlacement()
{
    if (m_loadingPlacement || (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    m_normalPlacement = QRect(pos(), size());
}

void TMainForm::SavePlacement()
{
    if (!RegIni)
        return;
    const bool maximized = windowState() & Qt::WindowMaximized;
    const QRect r = (maximized || (windowState() & Qt::WindowMinimized)) ? m_normalPlacement : QRect(pos(), size());
    const QString s = QStringLiteral("MainForm");
    RegIni->WriteIntegerAndUpdate(s, QStringLiteral("Top"), r.top());
    RegIni->WriteIntegerAndUpdate(s, QStringLiteral("Left"), r.left());
    RegIni->WriteIntegerAndUpdate(s, QStringLiteral("Width"), r.width());
    RegIni->WriteIntegerAndUpdate(s, QStringLiteral("Height"), r.height());
    RegIni->WriteBoolAndUpdate(s, QStringLiteral("Maximized"), maximized);
}

void TMainForm::applyMargin()
{
    m_margin = PageMargin(screen() ? screen()->geometry().width() : 800);
    if (m_viewStyle == 0)
        m_central->layout()->setContentsMargins(m_margin, m_margin, m_margin, m_margin);
}

void TMainForm::layoutTopMenu()
{
    PnlTopMenu->adjustSize();
    const int width = FrBtnCalclatar->width() + FrBtnMemo->width() + FrBtnHelp->width();
    PnlTopMenu->setFixedSize(width, FrBtnCalclatar->height());
    PnlTopMenu->move(m_central->width() - width - m_margin, m_margin);
    PnlTopMenu->raise();
    // The buttons float over the tab row's right end: keep that much of the row
    // free, so that on a narrow window the tabs scroll instead of sliding under
    // the buttons.
    // The tab widget sizes its corner by the corner's size hint, which a spacer
    // in a layout gives.
    QWidget *room = MainPageControl->cornerWidget(Qt::TopRightCorner);
    if (!room) {
        room = new QWidget(MainPageControl);
        room->setObjectName(QStringLiteral("TopMenuRoom"));
        auto *roomLayout = new QHBoxLayout(room);
        roomLayout->setContentsMargins(0, 0, 0, 0);
        roomLayout->addSpacerItem(new QSpacerItem(width, 1, QSizePolicy::Fixed, QSizePolicy::Fixed));
        MainPageControl->setCornerWidget(room, Qt::TopRightCorner);
        MainPageControl->setUsesScrollButtons(true);
        room->show();
    }
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    rememberPlacement();
    applyMargin();
    layoutTopMenu();
}

void TMainForm::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    rememberPlacement();
}

void TMainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        layoutTopMenu();
}

// ---- shut-down -------------------------------------------------------------------

bool TMainForm::FormCloseQuery()
{
    bool refused = false;
    if (auto *commit = dynamic_cast<IFrameCloseCommit *>(m_currentFrame.data())) {
        // An error in the commit is a refusal: the change log is still there,
        // and closing without asking would throw it away.
        try {
            refused = !commit->CommitForClose();
        } catch (...) {
            refused = true;
        }
    }
    if (refused && MessageDlg(ForceCloseText, MsgDlgType::Information, mbYesNo) != mrYes)
        return false;

    // From here the window must be able to close whatever fails: each step's
    // error is dropped so that the next step (above all the book's close) runs.
    try {
        SavePlacement();
    } catch (const std::exception &) {
    }
    if (DatMod && DatMod->DataOpen) {
        if (m_notepad)
            m_notepad->close();
        try {
            DatMod->CloseAndBackUp(true);
        } catch (const std::exception &) {
        }
    }
    Timer.stop();
    return true;
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    m_closing = true;
    if (TFormFukuHinmei *sub = ExistingFormFukuHinmei())
        sub->SavePlacement();
    if (m_calculator)
        m_calculator->close();
    event->accept();
}
