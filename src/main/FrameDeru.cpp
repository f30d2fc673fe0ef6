#include "main/FrameDeru.h"
#include "main/FrameSelecter.h"
#include "main/DeruPrintMenu.h"
#include "main/DeruSettingsButton.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/ColorUpDown.h"
#include "controls/CurrencyGrid.h"
#include "controls/DayEdit.h"
#include "controls/FrameBtn.h"
#include "controls/MySpeedButton.h"
#include "data/DatMod.h"
#include "data/ControlUtils.h"
#include "data/DatModEvents.h"
#include "data/DateCalc.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "data/MeisaiSave.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "main/DeruHyou.h"
#include "main/DeruLineMenu.h"
#include "main/FormCalclater.h"
#include "main/MeisaiGrid.h"
#include "main/ReceiptList.h"
#include "main/SlipPanel.h"
#include "platform/db/Abort.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/IdleHook.h"
#include "platform/ui/WaitCursor.h"
#include "views/YosanWarn.h"

namespace {

// Colours of the page (given as the screen's red, green, blue).
const QColor kHotSelColor(0xAB, 0xDB, 0xFF);
const QColor kSelColor(0xD1, 0xE4, 0xDC);
const QColor kMultiSelColor(0xDD, 0xEE, 0xFE);
const QColor kGridColor(0xFE, 0xF9, 0xF5);
const QColor kGridFixedColor(0xCA, 0xCF, 0xDB);
const QColor kReadOnlyColumnColor(0xF2, 0xF2, 0xF5);
const QColor kForeignLineColor(0xF4, 0xF4, 0xF2);
const QColor kLockedLineColor(0xFA, 0xFA, 0xF2);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kGrey(0x80, 0x80, 0x80);

constexpr int kFixedRows = 2;

bool isMoneyField(const QString &name)
{
    return name == u"KINGAKU" || name == u"KariGaku" || name == u"KasiGaku";
}

// A visible account of the given kind (クレジット 9, 金券 8) exists.
// The group rows (1 収入, 2 支出, 3 口座) head the caches for the closing
// days; they are no categories a line is booked to.
bool isGroupRow(const THimokuData &h)
{
    return h.Code >= 1 && h.Code <= 3;
}

THimokuArray withoutGroupRows(const THimokuArray &cache)
{
    THimokuArray list;
    list.reserve(cache.size());
    for (const THimokuData &h : cache)
        if (!isGroupRow(h))
            list << h;
    return list;
}

// The visible accounts a line may use.
THimokuArray visibleAccounts()
{
    return withoutGroupRows(KouzaHimokuArray);
}

bool hasAccountClass(int bunrui)
{
    for (const THimokuData &h : visibleAccounts())
        if (h.Bunrui == bunrui)
            return true;
    return false;
}

bool isVisibleAccount(int code)
{
    for (const THimokuData &h : visibleAccounts())
        if (h.Code == code)
            return true;
    return false;
}

// Stores a size the user gave; an unchanged value is not written again (each
// write reaches the disk).
void storeSize(const QString &section, const QString &key, int value)
{
    if (RegIni->readInteger(section, key, -1) != value)
        RegIni->WriteIntegerAndUpdate(section, key, value);
}

TMySpeedButton *makeSpeedButton(const QString &caption, QWidget *parent)
{
    auto *b = new TMySpeedButton(parent);
    b->setText(caption);
    b->setMinimumSize(QSize(36, 24));
    return b;
}

} // namespace

// ---- creation ------------------------------------------------------------------------

TFrameDeru::TFrameDeru(QWidget *parent)
    : QFrame(parent)
{
    FrameKind = 2;
    PeriodCode = 2;
    const QDate today = QDate::currentDate();
    ShownYear = today.year();
    ShownMonth = today.month();

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(2, 2, 2, 2);
    main->setSpacing(2);

    // Top bar: the month caption, the day and category of the table mode, the
    // month steps, the input modes and the toggles.
    auto *top = new QHBoxLayout;
    top->setSpacing(4);
    // Second line: the day and category of the table mode, the month of the slip modes.
    auto *nav = new QHBoxLayout;
    nav->setSpacing(4);
    LbSyori = new QLabel(this);
    LbSyori->setObjectName(QStringLiteral("LbSyori"));
    QFont captionFont = LbSyori->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 1.3);
    captionFont.setBold(true);
    LbSyori->setFont(captionFont);
    top->addWidget(LbSyori);
    Calender = new TDayEdit(today, this);
    Calender->setObjectName(QStringLiteral("Calender"));
    Calender->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    Calender->setCalendarPopup(true);
    Calender->setAttribute(Qt::WA_InputMethodEnabled, false);
    nav->addWidget(Calender);
    CmbHimoku = new QComboBox(this);
    CmbHimoku->setObjectName(QStringLiteral("CmbHimoku"));
    CmbHimoku->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CmbHimoku->setMinimumContentsLength(8);
    CmbHimoku->setMaxVisibleItems(40);
    nav->addWidget(CmbHimoku);
    // The month step panel: a year and a month back, today, a month and a
    // year on, and the days of the shown period on a track bar.
    PnlTrackBarDate = new QWidget(this);
    PnlTrackBarDate->setObjectName(QStringLiteral("PnlTrackBarDate"));
    {
        auto *steps = new QHBoxLayout(PnlTrackBarDate);
        steps->setContentsMargins(0, 0, 0, 0);
        steps->setSpacing(2);
        MySpdBtnPriYear = makeSpeedButton(QStringLiteral("◀◀"), PnlTrackBarDate);
        MySpdBtnPriMonth = makeSpeedButton(QStringLiteral("◀"), PnlTrackBarDate);
        MySpdBtnToday = makeSpeedButton(QStringLiteral("今日"), PnlTrackBarDate);
        MySpdBtnNextMonth = makeSpeedButton(QStringLiteral("▶"), PnlTrackBarDate);
        MySpdBtnNextYear = makeSpeedButton(QStringLiteral("▶▶"), PnlTrackBarDate);
        for (TMySpeedButton *b : {MySpdBtnPriYear, MySpdBtnPriMonth, MySpdBtnToday, MySpdBtnNextMonth, MySpdBtnNextYear})
            steps->addWidget(b);
        TrackBarDate = new QSlider(Qt::Horizontal, PnlTrackBarDate);
        TrackBarDate->setObjectName(QStringLiteral("TrackBarDate"));
        TrackBarDate->setTickPosition(QSlider::TicksBelow);
        TrackBarDate->setTickInterval(7);
        TrackBarDate->setPageStep(7);
        TrackBarDate->setMinimumWidth(120);
        TrackBarDate->installEventFilter(this);
        steps->addWidget(TrackBarDate, 1);
    }
    nav->addWidget(PnlTrackBarDate, 1);
    CmbYear = new QComboBox(this);
    CmbYear->setObjectName(QStringLiteral("CmbYear"));
    CmbYear->setEditable(true);
    CmbYear->setMaxVisibleItems(16);
    CmbYear->setAttribute(Qt::WA_InputMethodEnabled, false);
    CmbMonth = new QComboBox(this);
    CmbMonth->setObjectName(QStringLiteral("CmbMonth"));
    CmbMonth->setMaxVisibleItems(24);
    ClrUpDownGetudo = new TColorUpDown(this);
    ClrUpDownGetudo->setOrientation(udHorizontal);
    ClrUpDownGetudo->setFixedSize(40, 25);
    nav->addWidget(CmbYear);
    nav->addWidget(CmbMonth);
    nav->addWidget(ClrUpDownGetudo);
    nav->addStretch(1);
    top->addStretch(1);
    LbHouhou = new QLabel(QStringLiteral("入力方法"), this);
    top->addWidget(LbHouhou);
    auto modeButton = [this, top](const QString &caption, int mode) {
        auto *b = new TFrameBtn(this);
        b->setText(caption);
        b->setGroupIndex(1);
        b->setMinimumSize(QSize(64, 26));
        connect(b, &QAbstractButton::clicked, this, [this, mode] { modeButtonClicked(mode); });
        top->addWidget(b);
        return b;
    };
    FrBtnNormal = modeButton(QStringLiteral("集計表"), 1);
    FrBtnReceipt = modeButton(QStringLiteral("レシート"), 2);
    FrBtnCredit = modeButton(QStringLiteral("請求書"), 3);
    FrBtnFree = modeButton(QStringLiteral("フリー"), 7);
    FrBtnPrePayed = modeButton(QStringLiteral("金券購入"), 8);
    FrBtnPrePayed->hide();
    FrBtnNormal->SetDown(true);
    SpBtnTokubetu = makeSpeedButton(QStringLiteral("特別"), this);
    SpBtnTokubetu->setGroupIndex(11);
    SpBtnTokubetu->setAllowAllUp(true);
    SpBtnReserve = makeSpeedButton(QStringLiteral("予約"), this);
    SpBtnReserve->setGroupIndex(12);
    SpBtnReserve->setAllowAllUp(true);
    top->addWidget(SpBtnTokubetu);
    top->addWidget(SpBtnReserve);
    InstallDeruSettingsButton(this, top);
    InstallDeruPrintMenu(this, top);
    main->addLayout(top);
    main->addLayout(nav);

    // Left: the column buttons over the monthly table or the slip list.
    Split = new QSplitter(Qt::Horizontal, this);
    Split->setHandleWidth(3);
    auto *left = new QWidget(Split);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    ToolBar1 = new QToolBar(left);
    ToolBar1->setIconSize(QSize(0, 0));
    leftLayout->addWidget(ToolBar1);
    PnLeftStack = new QStackedWidget(left);
    Hyou = new TCurrencyGrid(PnLeftStack);
    Hyou->setObjectName(QStringLiteral("Hyou"));
    Hyou->setToolTip(QStringLiteral("表をクリックすると明細が右に表示されます。"));
    PnlReceipt = new QWidget(PnLeftStack);
    PnlReceipt->setObjectName(QStringLiteral("PnlReceipt"));
    new QVBoxLayout(PnlReceipt);
    PnlReceipt->layout()->setContentsMargins(0, 0, 0, 0);
    ReceiptList = new TReceiptList(PnlReceipt);
    PnlReceipt->layout()->addWidget(ReceiptList);
    PnLeftStack->addWidget(Hyou);
    PnLeftStack->addWidget(PnlReceipt);
    FrSelecter = new TFrameSelecter(PnLeftStack);
    FrSelecter->setObjectName(QStringLiteral("FrSelecter"));
    FrSelecter->PageKind = uint8_t(FrameKind);
    FrSelecter->OnChoose = [this](TFrameSelecter *sender, int code, Qt::KeyboardModifiers shift, int key, bool all,
                                  int mode, const QDate &date, const QString &name) {
        SelecterChoose(sender, code, shift, key, all, mode, date, name);
    };
    FrSelecter->OnPanelSizeChange = [this] { SaveSelecterPanelSize(); };
    PnLeftStack->addWidget(FrSelecter);
    leftLayout->addWidget(PnLeftStack, 1);

    // Right: the detail panel.
    PnlMeisai = new QWidget(Split);
    PnlMeisai->setObjectName(QStringLiteral("PnlMeisai"));
    auto *right = new QVBoxLayout(PnlMeisai);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(2);
    LbMeisaiCaption = new QLabel(PnlMeisai);
    LbMeisaiCaption->setAutoFillBackground(true);
    {
        QPalette p = LbMeisaiCaption->palette();
        p.setColor(QPalette::Window, QColor(0x4A, 0x6E, 0xA9));
        p.setColor(QPalette::WindowText, Qt::white);
        LbMeisaiCaption->setPalette(p);
        QFont f = LbMeisaiCaption->font();
        f.setBold(true);
        LbMeisaiCaption->setFont(f);
        LbMeisaiCaption->setContentsMargins(6, 3, 6, 3);
    }
    {
        // The detail header: its caption, the panel's place and the extra controls.
        auto *header = new QHBoxLayout;
        header->setSpacing(0);
        header->addWidget(LbMeisaiCaption, 1);
        SpBtnMeisaiPnl = makeSpeedButton(QStringLiteral("↓"), PnlMeisai);
        SpBtnMeisaiPnl->setMinimumSize(QSize(24, 22));
        SpBtnControl = makeSpeedButton(QStringLiteral("＋"), PnlMeisai);
        SpBtnControl->setMinimumSize(QSize(24, 22));
        SpBtnControl->setGroupIndex(13);
        SpBtnControl->setAllowAllUp(true);
        header->addWidget(SpBtnMeisaiPnl);
        header->addWidget(SpBtnControl);
        right->addLayout(header);
    }
    TlBarDBNav = new QToolBar(PnlMeisai);
    TlBarDBNav->setToolButtonStyle(Qt::ToolButtonTextOnly);
    DataSetApplyUpdates1 = TlBarDBNav->addAction(QStringLiteral("保存"));
    // F12 saves also while the button is among the hidden extra controls.
    auto *saveKey = new QAction(this);
    saveKey->setShortcut(QKeySequence(Qt::Key_F12));
    saveKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(saveKey);
    connect(saveKey, &QAction::triggered, this, [this] {
        if (Attached)
            SaveJournal();
    });
    // F4 starts a new slip while the slip bar is shown.
    auto *newSlip = new QAction(this);
    newSlip->setShortcut(QKeySequence(Qt::Key_F4));
    newSlip->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(newSlip);
    connect(newSlip, &QAction::triggered, this, [this] {
        if (InputMode != 1 && Attached && SlipPanel->SpBtnNewReceipt->isEnabled())
            SlipPanel->SpBtnNewReceiptClick();
    });
    DataSetPost1 = TlBarDBNav->addAction(QStringLiteral("登録"));
    DataSetInsert1 = TlBarDBNav->addAction(QStringLiteral("挿入"));
    DataSetCancel1 = TlBarDBNav->addAction(QStringLiteral("取消"));
    DataSetDelete1 = TlBarDBNav->addAction(QStringLiteral("削除"));
    DataSetUndo1 = TlBarDBNav->addAction(QStringLiteral("元に戻す"));
    DataSetCancelUpdates1 = TlBarDBNav->addAction(QStringLiteral("全取消"));
    ActionMove = TlBarDBNav->addAction(QStringLiteral("移動"));
    ActionMove->setCheckable(true);
    ActionJump = TlBarDBNav->addAction(QStringLiteral("ジャンプ"));
    right->addWidget(TlBarDBNav);
    PnlSlipInfo = new QWidget(PnlMeisai);
    new QVBoxLayout(PnlSlipInfo);
    PnlSlipInfo->layout()->setContentsMargins(0, 0, 0, 0);
    SlipPanel = new TSlipPanel(ReceiptList, PnlSlipInfo);
    PnlSlipInfo->layout()->addWidget(SlipPanel);
    PnlSlipInfo->hide();
    right->addWidget(PnlSlipInfo);
    MyDbGridMeisai = new TMeisaiGrid(PnlMeisai);
    MyDbGridMeisai->setObjectName(QStringLiteral("MyDbGridMeisai"));
    MyDbGridMeisai->setOptions(DBGridOption::dgEditing | DBGridOption::dgTitles | DBGridOption::dgIndicator |
                               DBGridOption::dgColumnResize | DBGridOption::dgColLines | DBGridOption::dgRowLines |
                               DBGridOption::dgConfirmDelete | DBGridOption::dgMultiSelect);
    MyDbGridMeisai->setImeAuto(false);
    SlipPanel->setDetailGrid(MyDbGridMeisai);
    MyDbGridMeisai->setFixedColor(kGridFixedColor);
    MyDbGridMeisai->setDefaultDrawing(false);
    {
        QPalette p = MyDbGridMeisai->palette();
        p.setColor(QPalette::Base, kGridColor);
        MyDbGridMeisai->setPalette(p);
    }
    right->addWidget(MyDbGridMeisai, 1);
    SetUpOldValueHeader();
    auto *totals = new QHBoxLayout;
    LbMeisaiGoukei = new QLabel(QStringLiteral("明細の合計"), PnlMeisai);
    BbLbKarigou = new QLabel(QStringLiteral("0"), PnlMeisai);
    BbLbKarigou->setObjectName(QStringLiteral("BbLbKarigou"));
    BbLbKarigou->setMinimumWidth(90);
    BbLbKarigou->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    BbLbKarigou->setFrameShape(QFrame::Panel);
    BbLbKarigou->setFrameShadow(QFrame::Sunken);
    BbLbKasigou = new QLabel(QStringLiteral("0"), PnlMeisai);
    BbLbKasigou->hide();
    LbZeiGoukei = new QLabel(QStringLiteral("（税合計）"), PnlMeisai);
    BbLbZeiKarigou = new QLabel(QStringLiteral("0"), PnlMeisai);
    BbLbZeiKarigou->setObjectName(QStringLiteral("BbLbZeiKarigou"));
    BbLbZeiKarigou->setMinimumWidth(70);
    BbLbZeiKarigou->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    BbLbZeiKarigou->setFrameShape(QFrame::Panel);
    BbLbZeiKarigou->setFrameShadow(QFrame::Sunken);
    LbZeiGoukei->hide();
    BbLbZeiKarigou->hide();
    totals->addWidget(LbMeisaiGoukei);
    totals->addSpacing(LbMeisaiGoukei->sizeHint().width() / 6);
    totals->addWidget(BbLbKarigou);
    totals->addWidget(BbLbKasigou);
    totals->addWidget(LbZeiGoukei);
    totals->addWidget(BbLbZeiKarigou);
    totals->addStretch(1);
    right->addLayout(totals);
    buildTaxButton();
    // The slip totals stand below the grid in the slip modes.
    SlipPanel->PnlGoukei->setParent(PnlMeisai);
    right->addWidget(SlipPanel->PnlGoukei);
    SlipPanel->PnlGoukei->hide();
    Split->addWidget(left);
    Split->addWidget(PnlMeisai);
    Split->setStretchFactor(0, 3);
    Split->setStretchFactor(1, 2);
    main->addWidget(Split, 1);

    // Bottom: the diary line of the shown day.
    auto *kondate = new QHBoxLayout;
    LbMemo = new QLabel(QStringLiteral("日記"), this);
    MySpdBtnPopMenuMemo = makeSpeedButton(QStringLiteral("▼"), this);
    MySpdBtnPopMenuMemo->setMinimumSize(QSize(18, 18));
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setFixedHeight(Memo->fontMetrics().height() * 3);
    kondate->addWidget(LbMemo);
    kondate->addWidget(MySpdBtnPopMenuMemo, 0, Qt::AlignTop);
    kondate->addWidget(Memo, 1);
    main->addLayout(kondate);

    // The monthly table.
    SoftStringGridModel *hm = Hyou->model();
    hm->setOptions(GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine |
                   GridOption::HorzLine | GridOption::ColSizing | GridOption::RowSizing | GridOption::Editing);
    hm->setSizingOptions(SizingOption::soFixedColSizing | SizingOption::soFixedRowSizing |
                         SizingOption::soSameColSize | SizingOption::soSameRowSize | SizingOption::soSameAllRowSize);
    Hyou->model()->setAllowEdit(false);
    Hyou->model()->setCursorNoEdit(true);
    Hyou->model()->setFixedColor(PaletteColor1.isValid() ? PaletteColor1 : QColor(0xE6, 0xE0, 0xD8));
    Hyou->model()->setRowOddColor(PaletteColor2.isValid() ? PaletteColor2 : QColor(0xF4, 0xF8, 0xFF));
    Hyou->model()->setRowEvenColor(Qt::white);
    Hyou->model()->setHotSelColor(kHotSelColor);
    Hyou->model()->setSelColor(kSelColor);
    Hyou->model()->setSelFontColor(Qt::black);
    Hyou->setFixedRows(kFixedRows);
    Hyou->setFixedCols(2);
    Hyou->model()->onSelectCell = [this](int col, int row, bool &canSelect) {
        if (m_hyouSelecting)
            return;
        canSelect = hyouSelectCell(col, row);
    };
    Hyou->model()->onDrawColor = [this](int col, int row, GridDrawState, QColor &fontColor, QColor &, QColor &) {
        if (row == 0 && col >= firstDataCol()) {
            const QColor c = dayHeaderColor(col);
            if (c.isValid())
                fontColor = c;
        } else if (ShowYosanRitu && col == 2 && row >= kFixedRows) {
            const int i = row - kFixedRows;
            fontColor = i < CategoryList.size() && CategoryList[i].YosanWarn ? QColor(Qt::black) : kGrey;
        }
    };
    Hyou->model()->onChangeSize = [this] { saveTableLayout(); };
    Hyou->installEventFilter(this);
    Calender->installEventFilter(this);
    CmbHimoku->installEventFilter(this);

    // The detail grid.
    MeisaiCltSrc = new DataSource(this);
    MyDbGridMeisai->readOnlyRow = [this](int row) { return rowReadOnly(row); };
    MyDbGridMeisai->onKeyDown = [this](QKeyEvent *e) { return meisaiGridKeyDown(e); };
    MyDbGridMeisai->onEditorEnter = [this] {
        if (Attached)
            EnterKey();
    };
    MyDbGridMeisai->onEditorArrow = [this](bool right, bool ctrl) {
        if (!Attached)
            return false;
        if (right)
            GoToNextColumn(ctrl);
        else
            GoToPriorColumn(ctrl);
        return true;
    };
    auto cellClick = [this](int column) {
        if (!Attached)
            return;
        // In the slip modes a click into the lines without any slip starts one.
        if (InputMode != 1 && !slipListHasRows() && SlipPanel->SpBtnNewReceipt->isEnabled()) {
            SlipPanel->SpBtnNewReceiptClick();
            return;
        }
        // A money column becomes the amount the calculator follows.
        TMeisaiClientDataSet *m = meisai();
        Field *f = MyDbGridMeisai->columnField(column);
        if (m && f && f->dataType() == FieldType::Currency)
            m->SetAmountField(f);
        if (CodeInput)
            RestoreGridIme();
        OpenGridColumn(column);
    };
    connect(MyDbGridMeisai, &QAbstractItemView::clicked, this,
            [cellClick](const QModelIndex &index) { cellClick(index.column()); });
    MyDbGridMeisai->onColEnter = [this, cellClick](int column) {
        if (Updating)
            return;
        FrSelecter->SetAssist(false);
        if (column >= 0 && !MyDbGridMeisai->isColumnHidden(column))
            cellClick(column);
    };
    MyDbGridMeisai->onInputMethodKey = [this] {
        if (CodeInput)
            RememberGridIme();
    };
    MyDbGridMeisai->onTypeIntoEmpty = [this] {
        if (Attached)
            GoToNextLine();
    };
    MyDbGridMeisai->onDrawColumnCell = [this](QPainter &painter, const QRect &rect, int dataCol, int column,
                                              GridDrawState state) {
        drawMeisaiCell(painter, rect, dataCol, column, state);
    };
    MyDbGridMeisai->onColWidthsChanged = [this] {
        if (Updating || SettingsSection.isEmpty())
            return;
        // The widths the grid keeps for its columns, not the sections' current
        // ones: while the grid sizes its sections one by one after a reload, the
        // sections not yet sized must not be stored (each store reaches the disk).
        for (int i = 0; i < MyDbGridMeisai->columnCount(); ++i) {
            const TMyDBGridColumn c = MyDbGridMeisai->column(i);
            if (c.visible && !c.fieldName.isEmpty())
                storeSize(SettingsSection, QStringLiteral("Meisai") + c.fieldName, c.width);
        }
    };

    // Actions of the navigator bar.
    connect(DataSetApplyUpdates1, &QAction::triggered, this, [this] { SaveJournal(); });
    connect(DataSetPost1, &QAction::triggered, this, [this] {
        MyDbGridMeisai->postEditor();
        if (MyDbGridMeisai->editorRefused())
            return;
        if (TMeisaiClientDataSet *m = meisai(); m && m->isEditing())
            m->post();
    });
    connect(DataSetInsert1, &QAction::triggered, this, [this] { InsertLine(); });
    connect(DataSetCancel1, &QAction::triggered, this, [this] {
        if (TMeisaiClientDataSet *m = meisai(); m && m->isEditing())
            m->cancel();
    });
    connect(DataSetDelete1, &QAction::triggered, this, [this] {
        TMeisaiClientDataSet *m = meisai();
        if (!m || !m->isActive() || m->isEmpty() || MyDbGridMeisai->readOnly())
            return;
        if (MyDbGridMeisai->selectedCount() == 0) {
            if (!m->IsReadOnlyRecord())
                m->remove();
            return;
        }
        if (MessageDlg(QStringLiteral("選択中のレコードをすべて削除してよろしいですか？"), MsgDlgType::Information,
                       mbYesNo) != mrYes)
            return;
        // A cut: the selected lines stay on the line clipboard and one undo
        // brings them back; the guarded ones are not deleted.
        LineMenu->CopyLines(true);
    });
    connect(DataSetUndo1, &QAction::triggered, this, [this] {
        TMeisaiClientDataSet *m = meisai();
        if (!m || !m->isActive())
            return;
        m->undoLastChange(true);
        if (m->changeCount() == 0 && InputMode != 1 && slipListOpen())
            LoadSlipMonth(ShownYear, ShownMonth, -1, -1, true);
        else
            CalcDetailTotals();
        updateActions();
    });
    connect(DataSetCancelUpdates1, &QAction::triggered, this, [this] { CancelAllChanges(); });
    connect(ActionMove, &QAction::triggered, this, [this](bool checked) {
        // Lines move to another day or category through the date and
        // category columns; the next save ends it.
        MoveMode = checked;
        SetUpInputMode(InputMode);
    });
    connect(ActionJump, &QAction::triggered, this, [this] {
        TMeisaiClientDataSet *m = meisai();
        if (!m || !m->isActive() || m->isEmpty() || !m->IsForeignRecord() || !MainForm)
            return;
        MainForm->JumpToDataNo(int(m->fieldByName(QStringLiteral("DATANO"))->asInteger()));
    });

    // Moves of the table mode: the controls set the cell to load at the next idle moment.
    connect(Calender, &QDateEdit::dateChanged, this, [this] { setPendingCellFromControls(); });
    connect(CmbHimoku, &QComboBox::currentIndexChanged, this, [this] { setPendingCellFromControls(); });
    connect(MySpdBtnPriMonth, &QAbstractButton::clicked, this, [this] { stepMonth(-1); });
    connect(MySpdBtnNextMonth, &QAbstractButton::clicked, this, [this] { stepMonth(1); });
    connect(MySpdBtnPriYear, &QAbstractButton::clicked, this, [this] { stepMonth(-12); });
    connect(MySpdBtnNextYear, &QAbstractButton::clicked, this, [this] { stepMonth(12); });
    connect(TrackBarDate, &QSlider::valueChanged, this, [this](int value) { trackBarDateChange(value); });
    connect(SpBtnControl, &QAbstractButton::clicked, this, [this] {
        ApplyExtraControls(SpBtnControl->down());
        if (MainForm)
            MainForm->SetAllBtnShow(SpBtnControl->down());
    });
    connect(SpBtnMeisaiPnl, &QAbstractButton::clicked, this,
            [this] { PlaceDetailPanel(Split->orientation() == Qt::Horizontal ? 2 : 4); });
    connect(MySpdBtnToday, &QAbstractButton::clicked, this, [this] {
        Calender->setDate(QDate::currentDate());
        CellLoadPending = InputMode == 1;
        scheduleIdleWork();
    });
    connect(SpBtnReserve, &QAbstractButton::clicked, this, [this] { toggleReserve(); });
    connect(CmbYear, &QComboBox::activated, this, [this] { cmbYearChange(); });
    connect(CmbYear->lineEdit(), &QLineEdit::editingFinished, this, [this] { cmbYearChange(); });
    connect(CmbMonth, &QComboBox::activated, this, [this] { cmbYearChange(); });
    connect(ClrUpDownGetudo, &TColorUpDown::clicked, this, [this](TUDBtnType b) { stepSlipMonth(b == btNext); });
    connect(SpBtnTokubetu, &QAbstractButton::clicked, this, [this] { toggleTokubetu(); });

    // The slip list works with the page's save, period and month.
    ReceiptList->SaveJournal = [this] { return SaveJournal(); };
    connect(ReceiptList, &TReceiptList::shownMonthChanged, this, [this](int year, int month) {
        ShownYear = year;
        ShownMonth = month;
        PublishShownMonth();
    });
    ReceiptList->OnJumpToDataNo = [this](int dataNo) { JumpToLine(dataNo); };
    // The slip list's column widths are the user's, per page.
    ReceiptList->OnColumnWidth = [this](const QString &field, int def) {
        return SettingsSection.isEmpty() ? def
                                         : RegIni->readInteger(SettingsSection, QStringLiteral("Receipt") + field, def);
    };
    ReceiptList->MyDbGridReceipt->onColWidthsChanged = [this] {
        if (Updating || SettingsSection.isEmpty())
            return;
        TMyDBGrid *grid = ReceiptList->MyDbGridReceipt;
        for (int i = 0; i < grid->columnCount(); ++i) {
            const TMyDBGridColumn c = grid->column(i);
            if (c.visible && !c.fieldName.isEmpty())
                storeSize(SettingsSection, QStringLiteral("Receipt") + c.fieldName, c.width);
        }
    };
    connect(SlipPanel, &TSlipPanel::focusDetailGrid, this, [this] {
        TMeisaiClientDataSet *m = meisai();
        if (!m || !m->isActive())
            return;
        const QModelIndex index = MyDbGridMeisai->dataModel()->index(qMax(0, m->recNo() - 1), 0);
        if (index.isValid())
            MyDbGridMeisai->setCurrentIndex(index);
        MyDbGridMeisai->setFocus();
    });
    MyDbGridMeisai->onSelectionChanged = [this](int) {
        SelectionTotalPending = true;
        scheduleIdleWork();
    };
    connect(ReceiptList, &TReceiptList::slipLinesLoaded, this, [this] {
        // Loaded lines had their after-scroll work from the line preparation;
        // with no slip there are no lines and the grid still needs its state.
        if (TMeisaiClientDataSet *m = meisai(); !m || !m->isActive())
            meisaiAfterScroll();
        SlipPanel->CalcDetailTotals();
    });

    LineMenu = new TDeruLineMenu(this);
    InstallMemoMenu();
    connect(IdleHook::instance(), &IdleHook::idle, this, &TFrameDeru::IdleWork);
    SetUpChoiceWiring();
}

TFrameDeru::~TFrameDeru()
{
    if (Attached && DatMod) {
        // The shared data set must not call into a page that is gone.
        if (TMeisaiClientDataSet *m = meisai()) {
            m->OnApplyUpdate = nullptr;
            m->OnAfterApplied = nullptr;
            m->OnNeedCalcSum = nullptr;
            m->OnAfterScrolled = nullptr;
            m->OnFieldChange = nullptr;
            m->OnAfterNoTransaction = nullptr;
            m->OnWriteInTransaction = nullptr;
        }
    }
    MyDbGridMeisai->setDataSource(nullptr);
}

TMeisaiClientDataSet *TFrameDeru::meisai() const
{
    // The data module makes its journal data sets with their rules.
    return DatMod ? MeisaiClt(*DatMod) : nullptr;
}

// ---- initialisation and refresh ------------------------------------------------------

void TFrameDeru::InitPage()
{
    if (!DatMod || !DatMod->DataOpen)
        return;
    m_initialized = true;
    SettingsSection = FrameKind == 1 ? QStringLiteral("FrameIri")
                      : FrameKind == 2 ? QStringLiteral("FrameDeru")
                                       : QStringLiteral("FrameKouza");
    BookSection = FrameKind == 1 ? QStringLiteral("Iri") : FrameKind == 2 ? QStringLiteral("Deru") : QStringLiteral("Kouza");
    PeriodCode = FrameKind;
    YosanWarn = FrameKind == 1 ? &IriYosanWarn : FrameKind == 2 ? &DeruYosanWarn : nullptr;
    FrBtnReceipt->setVisible(FrameKind != 3);
    FrBtnPrePayed->setVisible(FrameKind == 3);
    if (FrameKind == 3)
        FrBtnPrePayed->setText(QStringLiteral("金券"));
    LoadSelecterPanelSize();
    CurDate = QDate::currentDate();
    RefreshPage();
    SetHelpContexts();
}

void TFrameDeru::RefreshPage()
{
    if (!DatMod || !DatMod->DataOpen)
        return;
    if (!m_initialized) {
        InitPage();
        return;
    }
    WaitCursor wait;
    ApplyCommonFonts();
    if (MainForm && MainForm->ShownDate.isValid())
        CurDate = MainForm->ShownDate;
    if (MainForm && MainForm->ShownYear > 0)
        ShownYear = MainForm->ShownYear;
    if (MainForm && MainForm->ShownMonth > 0)
        ShownMonth = MainForm->ShownMonth;
    if (!CurDate.isValid())
        CurDate = QDate::currentDate();
    SpBtnControl->SetDown(MainForm ? MainForm->AllBtnShow : true);
    ApplyExtraControls(SpBtnControl->down());
    SpBtnReserve->SetDown(IncludeReservedFlag);
    SpBtnTokubetu->SetDown(TokubetuShowFlag);
    CategoryList = withoutGroupRows(FrameKind == 1 ? IriHimokuArray : FrameKind == 2 ? DeruHimokuArray : KouzaHimokuArray);
    readBookOptions();
    AttachDataSets();
    applyTableOptions();
    if (!isVisibleAccount(ReceiptAiteCode) && !visibleAccounts().isEmpty())
        ReceiptAiteCode = visibleAccounts().first().Code;
    ChangeInputMode(InputMode);
}

void TFrameDeru::readBookOptions()
{
    if (!DataIni)
        return;
    if (ReceiptAiteCode == -1)
        ReceiptAiteCode = DataIni->ReadOrWriteInteger(BookSection, QStringLiteral("ReceiptAiteCODE"), 100);
    UseQuantity = DataIni->ReadOrWriteBool(BookSection, QStringLiteral("UseQuantity"), false);
    UseSyusiHimoku = DataIni->ReadOrWriteBool(BookSection, QStringLiteral("UseSyusiHimoku"), false);
    if (FrameKind == 2)
        ZeiAutoData = DataIni->ReadOrWriteBool(BookSection, QStringLiteral("ZeiAutoData"), true);
    CodeInput = DataIni->ReadOrWriteBool(BookSection, QStringLiteral("CodeInput"), false);
    YokoMove = DataIni->ReadOrWriteBool(BookSection, QStringLiteral("YokoMove"), false);
    AppendLeft = DataIni->ReadOrWriteBool(BookSection, QStringLiteral("AppendLeft"), false);
}

void TFrameDeru::applyTableOptions()
{
    if (DataIni) {
        ShowYosanRitu = FrameKind != 3 && DataIni->ReadOrWriteBool(BookSection, QStringLiteral("ShowYosanRitu"), false);
        ShowKouzaOnly = DataIni->ReadOrWriteBool(BookSection, QStringLiteral("ShowKouzaOnly"), FrameKind == 3);
    }
    SetTableFixedCounts();
    loadTableLayout();
}

void TFrameDeru::SetTableFixedCounts()
{
    Hyou->setFixedRows(kFixedRows);
    Hyou->setFixedCols(ShowYosanRitu ? 3 : 2);
    Hyou->model()->setNoSelectRows(kFixedRows);
    Hyou->model()->setNoSelectCols(Hyou->fixedCols());
}

void TFrameDeru::loadTableLayout()
{
    if (SettingsSection.isEmpty())
        return;
    Updating = true;
    const QFontMetrics fm(Hyou->font());
    // The row unit is twice the font's pixel height: room for the amount and
    // the grid lines with air around them.
    // The transfer page's cells hold two amounts (in above, out below).
    const int unit = (FrameKind == 3 ? 3 : 2) * qMax(1, QFontInfo(Hyou->font()).pixelSize());
    SoftStringGridModel *m = Hyou->model();
    const int defColWidth = RegIni->ReadOrWriteInteger(SettingsSection, QStringLiteral("HyouDefaultColWidth"),
                                                       fm.horizontalAdvance(QStringLiteral("123456789")) + 2);
    const int defRowHeight = RegIni->ReadOrWriteInteger(SettingsSection, QStringLiteral("HyouDefaultRowHeight"), unit);
    m->setDefaultColWidth(defColWidth);
    m->setDefaultRowHeight(defRowHeight);
    for (int c = 0; c < m->fixedCols(); ++c) {
        const int def = c == 0   ? fm.horizontalAdvance(QStringLiteral("水道、光熱費費")) + 8
                        : c == 1 || FrameKind == 3 ? fm.horizontalAdvance(QStringLiteral("1234567890")) + 4
                                 : fm.horizontalAdvance(QStringLiteral("1234")) + 4;
        m->setColWidth(c, RegIni->ReadOrWriteInteger(SettingsSection, QStringLiteral("HyouColWidth%1").arg(c), def));
    }
    for (int r = 0; r < m->fixedRows(); ++r)
        m->setRowHeight(r, RegIni->ReadOrWriteInteger(SettingsSection, QStringLiteral("HyouRowHeight%1").arg(r), unit));
    Updating = false;
}

void TFrameDeru::saveTableLayout()
{
    if (Updating || SettingsSection.isEmpty())
        return;
    SoftStringGridModel *m = Hyou->model();
    for (int c = 0; c < m->fixedCols(); ++c)
        storeSize(SettingsSection, QStringLiteral("HyouColWidth%1").arg(c), m->colWidth(c));
    if (m->colCount() > m->fixedCols())
        storeSize(SettingsSection, QStringLiteral("HyouDefaultColWidth"),
                                      m->colWidth(m->fixedCols()));
    for (int r = 0; r < m->fixedRows(); ++r)
        storeSize(SettingsSection, QStringLiteral("HyouRowHeight%1").arg(r), m->rowHeight(r));
    if (m->rowCount() > m->fixedRows())
        storeSize(SettingsSection, QStringLiteral("HyouDefaultRowHeight"),
                                      m->rowHeight(m->fixedRows()));
}

void TFrameDeru::SetHelpContexts()
{
    setProperty("helpContext", 10058);
    Hyou->setProperty("helpContext", 10060);
    MyDbGridMeisai->setProperty("helpContext", 10065);
    FrBtnNormal->setProperty("helpContext", 10060);
    FrBtnReceipt->setProperty("helpContext", 10062);
    FrBtnCredit->setProperty("helpContext", 10063);
    FrBtnFree->setProperty("helpContext", 10064);
    Calender->setProperty("helpContext", 10129);
    for (QAction *a : {DataSetApplyUpdates1, DataSetInsert1, DataSetCancel1, DataSetDelete1, ActionJump, DataSetUndo1,
                       DataSetCancelUpdates1, ActionMove})
        if (QWidget *button = TlBarDBNav->widgetForAction(a))
            button->setProperty("helpContext", 10073);
}

// ---- attaching to the shared journal data sets -----------------------------------------

void TFrameDeru::AttachDataSets()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m)
        return;
    Attached = true;
    m->ResetEntryState();
    m->CltDataStyle = InputMode;
    m->CltSyuSiIdo = FrameKind;
    m->CltOrigin = FrameKind;
    m->CltCodeInput = CodeInput;
    m->OnApplyUpdate = nullptr;
    m->OnAfterApplied = [this](DataSet &) { MeisaiAfterApplied(); };
    m->OnNeedCalcSum = [this](DataSet &) { CalcDetailTotals(); };
    m->OnAfterScrolled = [this](DataSet &) { meisaiAfterScroll(); };
    m->OnFieldChange = nullptr;
    // A large log written on the direct path gets the same after-save work.
    m->OnAfterNoTransaction = [this](DataSet &) {
        CancelAllChanges();
        MeisaiAfterApplied();
    };
    m->OnWriteInTransaction = nullptr;
    ShpBtnTax->setVisible(FrameKind == 2);
    AttachChoiceHooks();
    if (InputMode != 1) {
        ReceiptList->AttachHooks();
        InstallAutoWithdrawal();
        m->OnNeedCalcSum = [this](DataSet &) { SlipPanel->CalcDetailTotals(); };
    }
    if (MeisaiCltSrc->dataSet() != m)
        MeisaiCltSrc->setDataSet(m);
    if (MyDbGridMeisai->dataSource() != MeisaiCltSrc)
        MyDbGridMeisai->setDataSource(MeisaiCltSrc);
    // The calculator's 読込 and 貼付 work on the lines' amount.
    if (MainForm)
        TFormCalclater::Bind(MainForm->calculator(), m, FrameKind == 3 ? QStringLiteral("KasiGaku") : QStringLiteral("KINGAKU"));
}

void TFrameDeru::DetachDataSets()
{
    Attached = false;
    PublishShownMonth();
    ReceiptList->DetachHooks();
    MyDbGridMeisai->clearSelection();
    // Both journal data sets go back to how another page finds them.
    for (TMeisaiClientDataSet *m : {meisai(), DatMod ? ReceiptClt(*DatMod) : nullptr}) {
        if (!m)
            continue;
        if (m->isActive()) {
            m->cancelUpdates();
            m->close();
        }
        m->setFiltered(false);
        m->setIndexFieldNames(QString());
        m->OnApplyUpdate = nullptr;
        m->OnAfterApplied = nullptr;
        m->OnAfterScrolled = nullptr;
        m->OnFieldChange = nullptr;
        if (m == meisai()) {
            m->OnNeedCalcSum = nullptr;
            m->OnAfterNoTransaction = nullptr;
            m->OnWriteInTransaction = nullptr;
        }
        m->CltSelecter = nullptr;
        m->OnUncheckAssist = nullptr;
        m->OnChooseCode = nullptr;
        m->CltDataStyle = 0;
        m->CltSyuSiIdo = 0;
        m->setCommandText(QString());
    }
    TableTotalsPending = false;
    YearComboPending = false;
    SlipLinesPending = false;
    SelecterRefreshPending = false;
    CellLoadPending = false;
    if (MoveMode)
        ActionMove->setChecked(false);
    MoveMode = false;
    MyDbGridMeisai->setDataSource(nullptr);
    MeisaiCltSrc->setDataSet(nullptr);
}

bool TFrameDeru::LeavePage()
{
    if (!Attached)
        return true;
    if (!CommitPage())
        return false;
    DetachDataSets();
    return true;
}

bool TFrameDeru::CommitForClose()
{
    return LeavePage();
}

// ---- commit and save -------------------------------------------------------------------

bool TFrameDeru::CommitPage()
{
    if (!DatMod || !DatMod->DataOpen)
        return true;
    MyDbGridMeisai->postEditor();
    if (MyDbGridMeisai->editorRefused())
        return false;
    bool ok = true;
    try {
        SaveDayMemo();
        ok = SaveJournal();
    } catch (...) {
        // The flush runs also after a failed save, then the error goes on.
        CommitDataChanges();
        throw;
    }
    CommitDataChanges();
    return ok;
}

bool TFrameDeru::SaveJournal()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m)
        return true;
    // The work after a save reloads the slip's lines, and a load saves first:
    // a save reached from inside itself refuses instead of going round again.
    if (m_saving)
        return false;
    m_saving = true;
    struct Done
    {
        bool &flag;
        ~Done() { flag = false; }
    } done{m_saving};
    m->ClearSavePoint();
    if (!m->isActive())
        return true;
    if (!PostActiveControl())
        return false;
    m->checkBrowseMode();
    if (m->changeCount() == 0)
        return true;
    if (InputMode == 3 || InputMode == 7 || InputMode == 8) {
        m->CltBusyState = 2;
        bool confirmed = false;
        try {
            confirmed = ConfirmOutOfPeriodLines();
        } catch (...) {
            m->CltBusyState = 0;
            throw;
        }
        m->CltBusyState = 0;
        if (!confirmed)
            return false;
    }
    m_rebuildAfterSave = false;
    const bool ok = ApplyMeisaiUpdates();
    if (ok && m_rebuildAfterSave)
        RebuildTable();
    m_rebuildAfterSave = false;
    if (ok && InputMode == 1)
        CalcDetailTotals();
    else if (ok)
        ReceiptList->AfterSlipSaved();
    updateActions();
    return ok;
}

void TFrameDeru::MeisaiAfterApplied()
{
    // The next successful save ends the move mode.
    if (MoveMode) {
        MoveMode = false;
        SetUpInputMode(InputMode);
        // Moved lines left this cell for others.
        if (InputMode == 1)
            m_rebuildAfterSave = true;
    }
}

bool TFrameDeru::ConfirmOutOfPeriodLines()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive() || m->isEmpty())
        return true;
    bool outside = false;
    QDate start = PeriodStart, end = PeriodEnd;
    SlipPeriod(start, end);
    {
        // Every line is looked at; the cursor comes back where it was.
        const Bookmark mark = m->bookmark();
        m->disableControls();
        struct Restore
        {
            TMeisaiClientDataSet *m;
            Bookmark mark;
            ~Restore()
            {
                m->gotoBookmark(mark);
                m->enableControls();
            }
        } restore{m, mark};
        for (m->first(); !m->eof() && !outside; m->next()) {
            Field *style = m->findField(QStringLiteral("STYLE"));
            if (style && !style->isNull() && style->asInteger() == 6)
                continue; // automatic withdrawals fall where the account's rules put them
            Field *date = m->findField(QStringLiteral("RECDATE"));
            const QDate d = date && !date->isNull() ? date->asDate() : QDate();
            outside = !d.isValid() || d < start || d > end;
        }
    }
    if (!outside)
        return true;
    return MessageDlg(QStringLiteral("月度外のデータがあります。よろしいですか？"), MsgDlgType::Information, mbYesNo) ==
           mrYes;
}

bool TFrameDeru::slipListOpen() const
{
    TMeisaiClientDataSet *r = DatMod ? ReceiptClt(*DatMod) : nullptr;
    return r && r->isActive();
}

bool TFrameDeru::slipListHasRows() const
{
    TMeisaiClientDataSet *r = DatMod ? ReceiptClt(*DatMod) : nullptr;
    return r && r->isActive() && !r->isEmpty();
}

void TFrameDeru::InsertLine()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive())
        return;
    MyDbGridMeisai->postEditor();
    if (MyDbGridMeisai->editorRefused())
        return;
    m->checkBrowseMode();
    if (!m->isEmpty()) {
        // Guarded lines are passed over; past the last one nothing is added.
        m->disableControls();
        bool past = false;
        {
            struct Enable
            {
                TMeisaiClientDataSet *m;
                ~Enable() { m->enableControls(); }
            } enable{m};
            while (!m->eof() && m->IsReadOnlyRecord()) {
                if (m->recNo() >= m->recordCount()) {
                    past = true;
                    break;
                }
                m->next();
            }
        }
        if (past)
            return;
    }
    if (m->isEmpty() || m->eof()) {
        GoToNextLine();
        return;
    }
    m->insert();
    const QModelIndex index =
        MyDbGridMeisai->dataModel()->index(qMax(0, m->recNo() - 1), qMax(0, MyDbGridMeisai->currentIndex().column()));
    if (index.isValid())
        MyDbGridMeisai->setCurrentIndex(index);
    MyDbGridMeisai->setFocus();
}

void TFrameDeru::JumpToLine(int dataNo)
{
    if (MainForm) {
        MainForm->JumpToDataNo(dataNo);
        return;
    }
    // Without the main window (a page of its own) the line is shown here.
    Statement st(DatMod->MainDatabase,
                 QStringLiteral("SELECT RECDATE, STYLE, ORIGIN, LOOKUPNO, RECEIPTNO, KARICODE FROM \"Master\" "
                                "WHERE DATANO = ?"));
    st.bind(1, dataNo);
    if (!st.next())
        return;
    ShowJournalEntry(dataNo, int(st.intValue(5)), true, int(st.intValue(1)), int(st.intValue(2)),
                     int(st.intValue(3)), int(st.intValue(4)), QDate::fromString(st.textValue(0), Qt::ISODate));
}

bool TFrameDeru::PostActiveControl()
{
    // A value still being typed reaches its line before a button acts on it.
    MyDbGridMeisai->postEditor();
    if (MyDbGridMeisai->editorRefused())
        return false;
    if (InputMode != 1)
        SlipPanel->CommitHeader();
    return true;
}

void TFrameDeru::CancelAllChanges()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive())
        return;
    m->ClearSavePoint();
    if (m->isEditing())
        m->cancel();
    m->cancelUpdates();
    if (!ApplyMeisaiUpdates())
        return;
    if (InputMode != 1 && slipListOpen()) {
        // An unsaved new slip and the slips' totals go back to what the book holds.
        LoadSlipMonth(ShownYear, ShownMonth, -1, -1, true);
        return;
    }
    m->setIndexFieldNames(QStringLiteral("RecPos"));
    CalcDetailTotals();
}

// ---- input modes -------------------------------------------------------------------------

bool TFrameDeru::BuildSharedColumns(int mode, const TColumnSide &side)
{
    auto add = [this](uint8_t kind, const QString &caption, const QString &view, const QString &edit,
                      bool slip = false) { ColumnList << TToolBtnRec{kind, caption, view, edit, slip}; };
    const QString &himoku = side.HimokuField;
    // The side's own columns close every list.
    auto sideColumns = [&] {
        if (KouzaUseFlag)
            ColumnList << side.Account;
        if (side.Tax)
            add(18, QStringLiteral("税扱"), QStringLiteral("ZEIATUKAI"), QStringLiteral("ZEIATUKAI"));
        if (IncludeReservedFlag)
            add(22, QStringLiteral("予約"), QStringLiteral("RESERVED"), QStringLiteral("RESERVED"));
    };
    auto tail = [&] {
        add(9, QStringLiteral("品名"), QStringLiteral("HinmeiName"), QStringLiteral("HINMEICODE"));
        add(0, QStringLiteral("金額"), QStringLiteral("KINGAKU"), QStringLiteral("KINGAKU"));
        add(10, QStringLiteral("店名"), QStringLiteral("ShopName"), QStringLiteral("SHOPCODE"));
        add(12, QStringLiteral("使用者"), QStringLiteral("PersonName"), QStringLiteral("PERSONCODE"));
        sideColumns();
    };
    switch (mode) {
    case 1:
        add(1, QStringLiteral("月間集計表"), QString(), QString());
        if (MoveMode) {
            add(4, QStringLiteral("日付"), QStringLiteral("RECDATE"), QStringLiteral("RECDATE"));
            add(7, QStringLiteral("費目"), himoku, himoku);
        }
        tail();
        return true;
    case 2:
        add(2, QStringLiteral("レシート"), QString(), QString());
        add(3, QStringLiteral("日付"), QStringLiteral("RecDate"), QString(), true);
        add(11, QStringLiteral("店名"), QStringLiteral("ShopName"), QStringLiteral("ShopCode"), true);
        add(7, QStringLiteral("費目"), himoku, himoku);
        add(9, QStringLiteral("品名"), QStringLiteral("HinmeiName"), QStringLiteral("HINMEICODE"));
        add(0, QStringLiteral("金額"), QStringLiteral("KINGAKU"), QStringLiteral("KINGAKU"));
        add(12, QStringLiteral("使用者"), QStringLiteral("PersonName"), QStringLiteral("PERSONCODE"));
        sideColumns();
        return true;
    case 7:
        add(2, QStringLiteral("伝票"), QString(), QString());
        add(5, QStringLiteral("日付"), QStringLiteral("RECDATE"), QStringLiteral("RECDATE"));
        add(7, QStringLiteral("費目"), himoku, himoku);
        tail();
        return true;
    default:
        return false;
    }
}

void TFrameDeru::BuildColumnList(int mode)
{
    AmountStyle = 1;
    ColumnList.clear();
    const TToolBtnRec account{uint8_t(UseSyusiHimoku ? 17 : 14), QStringLiteral("出金口座"), QStringLiteral("KASICODE"),
                              QStringLiteral("KASICODE")};
    if (BuildSharedColumns(mode, {QStringLiteral("KARICODE"), account, true}))
        return;
    auto add = [this](uint8_t kind, const QString &caption, const QString &view, const QString &edit,
                      bool slip = false) { ColumnList << TToolBtnRec{kind, caption, view, edit, slip}; };
    switch (mode) {
    case 3:
        add(2, QStringLiteral("請求書"), QString(), QString());
        add(19, QStringLiteral("クレジット名"), QStringLiteral("CreditCode"), QString(), true);
        add(20, QStringLiteral("引落日"), QStringLiteral("PayDate"), QString(), true);
        add(21, QStringLiteral("引落口座"), QStringLiteral("PayKouza"), QString(), true);
        add(5, QStringLiteral("日付"), QStringLiteral("RECDATE"), QStringLiteral("RECDATE"));
        add(7, QStringLiteral("費目"), QStringLiteral("KARICODE"), QStringLiteral("KARICODE"));
        add(9, QStringLiteral("品名"), QStringLiteral("HinmeiName"), QStringLiteral("HINMEICODE"));
        add(0, QStringLiteral("金額"), QStringLiteral("KINGAKU"), QStringLiteral("KINGAKU"));
        add(10, QStringLiteral("店名"), QStringLiteral("ShopName"), QStringLiteral("SHOPCODE"));
        add(12, QStringLiteral("使用者"), QStringLiteral("PersonName"), QStringLiteral("PERSONCODE"));
        add(18, QStringLiteral("税扱"), QStringLiteral("ZEIATUKAI"), QStringLiteral("ZEIATUKAI"));
        if (IncludeReservedFlag)
            add(22, QStringLiteral("予約"), QStringLiteral("RESERVED"), QStringLiteral("RESERVED"));
        break;
    default:
        break;
    }
}

void TFrameDeru::SetUpInputMode(int mode)
{
    BuildColumnList(mode);
    if (TMeisaiClientDataSet *m = meisai())
        m->CltLayoutKind = AmountStyle;
    // The column buttons: one per entry with a list, one of them down at a time.
    ToolBar1->clear();
    delete m_columnButtons; // with the previous buttons
    m_columnButtons = new QActionGroup(ToolBar1);
    m_columnButtons->setExclusive(true);
    for (const TToolBtnRec &rec : std::as_const(ColumnList)) {
        if (rec.Kind == 0)
            continue;
        auto *a = new QAction(rec.Caption, m_columnButtons);
        a->setCheckable(true);
        a->setData(int(rec.Kind));
        // Two columns of one kind (the transfer slip's in and out accounts)
        // have a button each: the column's field tells them apart.
        a->setProperty("viewField", rec.ViewField);
        a->setProperty("slipField", rec.SlipField);
        if (rec.Kind == 1 || rec.Kind == 2)
            a->setChecked(true);
        connect(a, &QAction::triggered, this, [this, rec] { TolBtn1Click(rec, true); });
        ToolBar1->addAction(a);
    }
    applyDetailColumns();
    if (!SettingsSection.isEmpty())
        PlaceDetailPanel(RegIni->readInteger(SettingsSection, QStringLiteral("PnlMeisaiAlign"), 4));
    applyModeCaptions();
    if (mode == 1 && Hyou->isVisible() && Hyou->focusPolicy() != Qt::NoFocus)
        Hyou->setFocus();
    else if (mode != 1 && ReceiptList->MyDbGridReceipt && ReceiptList->MyDbGridReceipt->isVisible())
        ReceiptList->MyDbGridReceipt->setFocus();
}

bool TFrameDeru::LastGridImeOpen = false;

namespace {

// Amounts and quantities are typed in plain digits whatever the user had on.
bool isNumberColumn(const QString &field)
{
    return isMoneyField(field) || field == u"QUANTITY";
}

} // namespace

void TFrameDeru::RememberGridIme()
{
    const QString field = MyDbGridMeisai->column(MyDbGridMeisai->currentIndex().column()).fieldName;
    if (!isNumberColumn(field))
        LastGridImeOpen = MyDbGridMeisai->inputMethodOpen();
}

void TFrameDeru::RestoreGridIme()
{
    const QString field = MyDbGridMeisai->column(MyDbGridMeisai->currentIndex().column()).fieldName;
    if (!isNumberColumn(field))
        MyDbGridMeisai->setInputMethodOpen(LastGridImeOpen);
}

void TFrameDeru::applyDetailColumns()
{
    Updating = true;
    QList<TMyDBGridColumn> columns;
    TMeisaiClientDataSet *m = meisai();
    const QFontMetrics fm(MyDbGridMeisai->font());
    auto widthFor = [&](const QString &field, int def) {
        if (SettingsSection.isEmpty())
            return def;
        return RegIni->ReadOrWriteInteger(SettingsSection, QStringLiteral("Meisai") + field, def);
    };
    bool first = true;
    for (const TToolBtnRec &rec : std::as_const(ColumnList)) {
        if (rec.ViewField.isEmpty() || rec.SlipField)
            continue;
        TMyDBGridColumn c;
        c.fieldName = rec.ViewField;
        c.caption = rec.Caption;
        c.readOnly = rec.EditField.isEmpty();
        c.color = c.readOnly ? kReadOnlyColumnColor : QColor(Qt::white);
        c.alignment = isMoneyField(rec.ViewField) ? (Qt::AlignRight | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignVCenter);
        c.titleAlignment = Qt::AlignLeft;
        c.titleBold = first;
        if (CodeInput) {
            c.ime = isNumberColumn(rec.ViewField) ? ColumnIme::Closed : ColumnIme::Keep;
        } else {
            // Names, and the columns that take a code by its name, get Japanese input.
            // The columns are built before the lines are read, when the data set
            // may have no fields yet: its text columns are known by name.
            static const QStringList byName{QStringLiteral("KARICODE"),   QStringLiteral("KASICODE"),
                                            QStringLiteral("AiteCode"),   QStringLiteral("SelfCode"),
                                            QStringLiteral("ZEIATUKAI"),  QStringLiteral("RESERVED"),
                                            QStringLiteral("HinmeiName"), QStringLiteral("ShopName"),
                                            QStringLiteral("PersonName")};
            Field *f = m ? m->findField(rec.ViewField) : nullptr;
            const bool text = f && (f->dataType() == FieldType::String || f->dataType() == FieldType::Memo);
            c.ime = text || byName.contains(rec.ViewField) ? ColumnIme::Open : ColumnIme::Closed;
        }
        const int def = isMoneyField(rec.ViewField)       ? fm.horizontalAdvance(QStringLiteral("12,345,678")) + 10
                        : rec.ViewField == u"HinmeiName" ? fm.horizontalAdvance(QStringLiteral("品名品名品名品名")) + 10
                                                          : fm.horizontalAdvance(QStringLiteral("店名店名店名")) + 10;
        c.width = widthFor(rec.ViewField, def);
        columns << c;
        first = false;
        if (UseQuantity && rec.ViewField == u"HinmeiName") {
            TMyDBGridColumn q;
            q.fieldName = QStringLiteral("QUANTITY");
            Field *f = m ? m->findField(QStringLiteral("QUANTITY")) : nullptr;
            q.caption = f && !f->displayLabel().isEmpty() ? f->displayLabel() : QStringLiteral("数量");
            q.color = Qt::white;
            q.alignment = Qt::AlignRight | Qt::AlignVCenter;
            q.width = widthFor(q.fieldName, fm.horizontalAdvance(QStringLiteral("12345")) + 10);
            q.ime = ColumnIme::Closed;
            columns << q;
        }
    }
    UsedColumnCount = int(columns.size());
    MyDbGridMeisai->setColumns(columns);
    Updating = false;
    OldData.Bind(HdCtrOldValue, MyDbGridMeisai);
    if (CodeInput)
        RestoreGridIme();
}

void TFrameDeru::applyModeCaptions()
{
    LbMeisaiGoukei->setText(QStringLiteral("明細の合計"));
    const bool table = InputMode == 1;
    PnLeftStack->setCurrentWidget(table ? static_cast<QWidget *>(Hyou) : PnlReceipt);
    CmbHimoku->setVisible(table);
    LbSyori->setVisible(table);
    Calender->setVisible(table);
    PnlTrackBarDate->setVisible(table && SpBtnControl->down());
    CmbYear->setVisible(!table);
    CmbMonth->setVisible(!table);
    ClrUpDownGetudo->setVisible(!table);
    fillMonthCombos();
    Memo->setVisible(table);
    LbMemo->setVisible(table);
    PnlSlipInfo->setVisible(!table);
    SlipPanel->PnlGoukei->setVisible(!table);
    LbMeisaiGoukei->setVisible(table);
    BbLbKarigou->setVisible(table);
    LbZeiGoukei->setVisible(table && FrameKind == 2);
    BbLbZeiKarigou->setVisible(table && FrameKind == 2);
    // Moving lines is a table-entry action among the extra controls.
    ActionMove->setVisible(table && SpBtnControl->down());
    if (!table)
        SlipPanel->ApplyModeCaptions(InputMode);
    FrBtnNormal->SetDown(InputMode == 1);
    FrBtnReceipt->SetDown(InputMode == 2);
    FrBtnCredit->SetDown(InputMode == 3);
    FrBtnFree->SetDown(InputMode == 7);
    FrBtnPrePayed->SetDown(InputMode == 8);
}

static QString slipWord(int frameKind, int mode)
{
    switch (mode) {
    case 2:
        return QStringLiteral("レシート");
    case 3:
        return frameKind == 1 ? QStringLiteral("伝票") : QStringLiteral("請求書");
    case 7:
        return QStringLiteral("伝票");
    case 8:
        return QStringLiteral("金券");
    default:
        return QString();
    }
}

void TFrameDeru::ChangeInputMode(int mode)
{
    TMeisaiClientDataSet *m = meisai();
    if (!m)
        return;
    InputMode = uint8_t(mode);
    m->CltDataStyle = uint8_t(mode);
    int dataNo = -1, selfCode = -1, receiptNo = -1;
    QDate recDate;
    if (m->isActive() && !m->isEmpty()) {
        m->checkBrowseMode();
        if (!m->isEmpty()) {
            dataNo = int(m->fieldByName(QStringLiteral("DATANO"))->asInteger());
            recDate = m->fieldByName(QStringLiteral("RECDATE"))->asDate();
            selfCode = int(m->fieldByName(QStringLiteral("SelfCode"))->asInteger());
            Field *r = m->fieldByName(QStringLiteral("RECEIPTNO"));
            receiptNo = r->isNull() ? -1 : int(r->asInteger());
        }
    }
    m->close();
    // The slip list is read anew for a slip mode and stays closed in table entry.
    if (TMeisaiClientDataSet *r = ReceiptClt(*DatMod); r && r->isActive())
        r->close();
    AttachDataSets();
    SetUpInputMode(mode);
    if (mode == 1) {
        SlipLinesPending = false;
        if (dataNo > 0 && selfCode > 0 && recDate.isValid())
            LoadCell(selfCode, dataNo, true, recDate);
        else
            LoadCell(CurCode, -1, true, CurDate);
        LbMeisaiCaption->setText(CmbHimoku->currentText() + QStringLiteral(" の明細"));
    } else {
        const QString word = slipWord(FrameKind, mode);
        LbMeisaiCaption->setText(word + QStringLiteral("の明細"));
        LoadSlipMonth(ShownYear, ShownMonth, dataNo, receiptNo, true);
    }
}

bool TFrameDeru::LoadSlipMonth(int year, int month, int dataNo, int receiptNo, bool reload)
{
    ReceiptList->SetPageKind(FrameKind);
    ReceiptList->PeriodCode = PeriodCode;
    ReceiptList->ReceiptAiteCode = ReceiptAiteCode;
    ReceiptList->SetInputMode(InputMode);
    const bool found = ReceiptList->LoadSlipMonth(year, month, dataNo, receiptNo, reload);
    ShownYear = ReceiptList->ShownYear ? ReceiptList->ShownYear : ShownYear;
    ShownMonth = ReceiptList->ShownMonth ? ReceiptList->ShownMonth : ShownMonth;
    fillMonthCombos();
    PeriodStart = ReceiptList->PeriodStart.isValid() ? ReceiptList->PeriodStart : PeriodStart;
    PeriodEnd = ReceiptList->PeriodEnd.isValid() ? ReceiptList->PeriodEnd : PeriodEnd;
    return found;
}

void TFrameDeru::fillMonthCombos()
{
    YearComboPending = true;
    FillYearCombo(CmbYear, 8, 5, ShownYear);
    FillMonthCombo(CmbMonth, CurSimeTuki, ShownMonth);
    YearComboPending = false;
}

bool TFrameDeru::ChangeSlipMonth(int year, int month)
{
    if (year < 1980 || year > 2079 || month < 1 || month > 12) {
        fillMonthCombos();
        return false;
    }
    if (year == ShownYear && month == ShownMonth)
        return true;
    if (!SaveJournal()) {
        fillMonthCombos();
        return false;
    }
    ShownYear = year;
    ShownMonth = month;
    LoadSlipMonth(year, month, -1, -1, false);
    PublishShownMonth();
    return true;
}

void TFrameDeru::cmbYearChange()
{
    if (YearComboPending || InputMode == 1)
        return;
    bool ok = false;
    const int year = CmbYear->currentText().trimmed().toInt(&ok);
    if (!ok) {
        fillMonthCombos();
        return;
    }
    ChangeSlipMonth(year, CmbMonth->currentData().toInt());
}

void TFrameDeru::stepSlipMonth(bool next)
{
    if (InputMode == 1)
        return;
    int year = ShownYear, month = ShownMonth;
    if (next)
        IncNendoMonth(year, month, CurSimeTuki);
    else
        DecNendoMonth(year, month, CurSimeTuki);
    ChangeSlipMonth(year, month);
}

void TFrameDeru::modeButtonClicked(int mode)
{
    WaitCursor wait;
    auto restore = [this] { applyModeCaptions(); };
    if (!SaveJournal()) {
        restore();
        return;
    }
    if (mode == 3 && FrameKind != 1 && !hasAccountClass(9)) {
        MessageDlg(QStringLiteral("口座費目の中にクレジットはありません。"), MsgDlgType::Information, mbOK);
        restore();
        return;
    }
    if (mode == 8 && !hasAccountClass(8)) {
        MessageDlg(QStringLiteral("口座費目の中に金券はありません。"), MsgDlgType::Information, mbOK);
        restore();
        return;
    }
    ChangeInputMode(mode);
}

// ---- period and table ----------------------------------------------------------------------

void TFrameDeru::CalcPeriod(int code)
{
    if (!DatMod || !DatMod->DataOpen)
        return;
    GetHimokuSimePeriod(DatMod->MainDatabase, code, ShownYear, ShownMonth, CurSimeTuki, CurShiftNendo, SimeBi,
                        SimeShift, PeriodStart, PeriodEnd);
    if (PeriodStart.isValid() && PeriodEnd.isValid())
        PeriodDays = int(PeriodStart.daysTo(PeriodEnd)) + 1;
}

void TFrameDeru::CalcSlipTotals()
{
    // Only the transfer page keeps slip totals of its own.
    throw Exception(QStringLiteral("CalcSlipTotals is not available on this page"));
}

QString TFrameDeru::PeriodCaption() const
{
    return QStringLiteral("%1年度 %2月分 (%3締め)").arg(ShownYear).arg(ShownMonth).arg(SimebiToText(SimeBi));
}

int TFrameDeru::firstDataCol() const
{
    return Hyou->fixedCols();
}

int TFrameDeru::columnOfDate(const QDate &date) const
{
    if (!PeriodStart.isValid() || date < PeriodStart || date > PeriodEnd)
        return -1;
    return firstDataCol() + int(PeriodStart.daysTo(date));
}

int TFrameDeru::rowOfCode(int code) const
{
    for (int i = 0; i < CategoryList.size(); ++i)
        if (CategoryList[i].Code == code)
            return Hyou->fixedRows() + i;
    return -1;
}

QColor TFrameDeru::dayHeaderColor(int col) const
{
    if (col < 0 || col >= DayInfo.size() || !DayInfo[col].Date.isValid())
        return QColor();
    const int dow = DayInfo[col].Date.dayOfWeek();
    if (DayInfo[col].Holiday || dow == Qt::Sunday)
        return kRed;
    if (dow == Qt::Saturday)
        return kBlue;
    return QColor();
}

void TFrameDeru::fillCategoryCombo()
{
    const QSignalBlocker block(CmbHimoku);
    CmbHimoku->clear();
    // All rows in one insertion: item by item, a book with hundreds of
    // categories pays a model insertion and its notifications for each.
    QList<QStandardItem *> items;
    items.reserve(CategoryList.size());
    for (const THimokuData &h : std::as_const(CategoryList))
        if (TokubetuShowFlag || !h.Tokubetu) {
            auto *item = new QStandardItem(h.Name);
            item->setData(h.Code, Qt::UserRole);
            items.append(item);
        }
    if (auto *sm = qobject_cast<QStandardItemModel *>(CmbHimoku->model()))
        sm->invisibleRootItem()->appendRows(items);
    else
        for (QStandardItem *item : std::as_const(items)) {
            CmbHimoku->addItem(item->text(), item->data(Qt::UserRole));
            delete item;
        }
    CmbHimoku->setMaxVisibleItems(qMax(1, CmbHimoku->count()));
    // Sized from the longest name in character cells (a full-width character
    // is two) instead of measuring every item with the font: with hundreds of
    // categories that measuring was a good part of showing the page.
    int cells = 8;
    for (const THimokuData &h : std::as_const(CategoryList)) {
        int n = 0;
        for (const QChar c : h.Name)
            n += c.unicode() < 0x2E80 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F) ? 1 : 2;
        cells = qMax(cells, n);
    }
    CmbHimoku->setMinimumContentsLength(qMin(cells, 40));
    if (CmbHimoku->count() > 0)
        CmbHimoku->setCurrentIndex(0);
}

void TFrameDeru::SelectCategoryInCombo(int code)
{
    const int i = CmbHimoku->findData(code);
    if (i >= 0 && i != CmbHimoku->currentIndex()) {
        const QSignalBlocker block(CmbHimoku);
        CmbHimoku->setCurrentIndex(i);
    }
}

void TFrameDeru::RebuildTable()
{
    Hyou->setStopDrawCell(true);
    const int fixedCols = Hyou->fixedCols();
    const int rows = Hyou->fixedRows() + qMax<int>(1, CategoryList.size());
    const int cols = fixedCols + qMax(PeriodDays, 1);
    Hyou->model()->setSize(cols, rows);
    // Texts, objects and amounts of every cell; the table is filled with its
    // drawing stopped and shown once at the end.
    Hyou->clearAll();
    Hyou->setCells(1, 0, QStringLiteral("費目合計"));
    Hyou->setCellAlignment(1, 0, CellAlignment::taCenter);
    Hyou->setCells(0, 1, QStringLiteral("合 計"));
    Hyou->setCellAlignment(0, 1, CellAlignment::taCenter);
    Hyou->setCellAlignment(0, 0, CellAlignment::taCenter);
    if (ShowYosanRitu) {
        Hyou->setCells(2, 0, QStringLiteral("％"));
        Hyou->setCellAlignment(2, 0, CellAlignment::taCenter);
    }
    RowAmounts = QList<Currency>(rows);
    FillDayHeaders();
    FillTableRows();
    FillTableAmounts();
    CalcTableTotals(false);
    Hyou->setStopDrawCell(false);
}

void TFrameDeru::FillDayHeaders()
{
    const int first = firstDataCol();
    DayInfo = QList<TDayInfoRec>(Hyou->colCount());
    const QLocale ja(QLocale::Japanese, QLocale::Japan);
    for (int c = first; c < Hyou->colCount() && PeriodStart.isValid(); ++c) {
        const QDate d = PeriodStart.addDays(c - first);
        Hyou->setCells(c, 0, QStringLiteral("%1/%2 %3").arg(d.month()).arg(d.day()).arg(ja.dayName(d.dayOfWeek(), QLocale::ShortFormat)));
        Hyou->setCellAlignment(c, 0, CellAlignment::taCenter);
        DayInfo[c] = TDayInfoRec{d, IsHoliday(d)};
    }
}

void TFrameDeru::FillTableRows()
{
    for (int i = 0; i < CategoryList.size(); ++i) {
        Hyou->setCells(0, kFixedRows + i, CategoryList[i].Name);
        Hyou->setObjects(0, kFixedRows + i, CategoryList[i].Code);
        Hyou->setCellAlignment(0, kFixedRows + i, CellAlignment::taLeftJustify);
    }
}

void TFrameDeru::FillTableAmounts()
{
    if (!DatMod || !DatMod->DataOpen || !PeriodStart.isValid())
        return;
    QHash<int, int> rowByCode;
    for (int i = 0; i < CategoryList.size(); ++i)
        rowByCode.insert(CategoryList[i].Code, kFixedRows + i);
    const int first = firstDataCol();
    const QList<TDayCodeSum> sums =
        ReadMonthSums(DatMod->MainDatabase, PeriodStart, PeriodEnd, sideField(), IncludeReservedFlag);
    for (const TDayCodeSum &s : sums) {
        const auto it = rowByCode.constFind(s.Code);
        if (it == rowByCode.constEnd())
            continue;
        const int col = first + int(PeriodStart.daysTo(s.Date));
        Hyou->setValue(col, *it, Hyou->getValue(col, *it) + s.Amount);
    }
}

void TFrameDeru::CalcTableTotals(bool fullRedraw)
{
    TableTotalsPending = false;
    const int first = firstDataCol();
    const int cols = Hyou->colCount();
    const int n = int(CategoryList.size());
    Currency warnSum;
    for (int i = 0; i < n; ++i) {
        const int row = kFixedRows + i;
        Currency sum;
        for (int c = first; c < cols; ++c)
            sum += Hyou->getValue(c, row);
        Hyou->setValue(1, row, sum);
        if (CategoryList[i].YosanWarn)
            warnSum += sum;
    }
    for (int c = 1; c < cols; ++c) {
        if (ShowYosanRitu && c == 2)
            continue;
        Currency sum;
        for (int i = 0; i < n; ++i)
            sum += Hyou->getValue(c, kFixedRows + i);
        Hyou->setValue(c, 1, sum);
    }
    if (ShowYosanRitu && YosanWarn) {
        // The budgets by code: the warning object follows the whole cache, group rows included.
        QHash<int, Currency> budgets;
        for (const TYosanWarnRec &rec : std::as_const(YosanWarn->Rows))
            if (!budgets.contains(rec.Code))
                budgets.insert(rec.Code, rec.Yosan);
        for (int i = 0; i < n; ++i) {
            const Currency budget = budgets.value(CategoryList[i].Code);
            Hyou->setValue(2, kFixedRows + i,
                           Currency::fromInt(TYosanWarn::BudgetRate(Hyou->getValue(1, kFixedRows + i), budget)));
        }
        // The grand total against the whole budget, shown only while some
        // category's budget is watched.
        Hyou->setValue(2, 1,
                       Currency::fromInt(YosanWarn->WarnTotal.isZero() ? 0
                                                                      : YosanWarn->TotalRate(Hyou->getValue(1, 1))));
    }
    if (fullRedraw)
        Hyou->invalidateChangedCells();
    else
        Hyou->viewport()->update();
    if (FrameKind == 2 && YosanWarn) {
        m_pace = YosanWarn->Pace(warnSum, PeriodStart, PeriodEnd, QDate::currentDate());
        if (MainForm)
            MainForm->SetTabImagesByRate(m_pace);
    }
}

// ---- loading a cell --------------------------------------------------------------------------

QString TFrameDeru::buildMeisaiSql() const
{
    QStringList sql;
    sql << QStringLiteral("SELECT *") << QStringLiteral("FROM \"Master.db\" D")
        << QStringLiteral("WHERE                  ");
    const QString day = QStringLiteral("'%1'").arg(CurDate.toString(Qt::ISODate));
    if (FrameKind == 1)
        sql << QStringLiteral("(RECDATE = %1) and (KASICODE = %2)").arg(day).arg(CurCode);
    else if (FrameKind == 2)
        sql << QStringLiteral("(RECDATE = %1) and (KARICODE = %2)").arg(day).arg(CurCode);
    else
        sql << QStringLiteral("(RECDATE = %1) and ((KARICODE = %2) or (KASICODE = %2))").arg(day).arg(CurCode);
    if (ShowKouzaOnly) {
        QStringList codes;
        for (const THimokuData &h : visibleAccounts())
            codes << QString::number(h.Code);
        codes << QStringLiteral("99");
        const QString list = QLatin1Char('(') + codes.join(QLatin1Char(',')) + QLatin1Char(')');
        sql << QStringLiteral("and ((KARICODE in %1) and (KASICODE in %1))").arg(list);
    }
    // An empty RESERVED is a booked line, as the table counts it.
    if (!IncludeReservedFlag)
        sql << QStringLiteral("AND ") + BookedLinesCondition();
    sql << QStringLiteral("ORDER BY RECDATE,STYLE,GYONO");
    return sql.join(QLatin1Char('\n'));
}

bool TFrameDeru::LoadCell(int code, int dataNo, bool rebuild, const QDate &date)
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !DatMod->DataOpen)
        return false;
    CellLoadPending = false;
    MyDbGridMeisai->clearSelection();
    m->ClearSavePoint();
    if (!CommitPage()) {
        SelectCategoryInCombo(CurCode);
        const QSignalBlocker block(Calender);
        Calender->setDate(CurDate);
        CellLoadPending = false;
        return false;
    }
    m_loading = true;
    m->close();
    DatMod->SuspendFieldEvents = true;
    m->disableControls();
    struct Restore
    {
        TFrameDeru *page;
        TMeisaiClientDataSet *m;
        ~Restore()
        {
            DatMod->SuspendFieldEvents = false;
            m->enableControls();
            page->m_loading = false;
        }
    } restore{this, m};

    if (rebuild) {
        fillCategoryCombo();
        if (code <= 0 && CmbHimoku->count() > 0)
            code = CmbHimoku->itemData(0).toInt();
    }
    if (code == -1 || rowOfCode(code) < 0)
        code = CmbHimoku->count() > 0 ? CmbHimoku->itemData(0).toInt() : 0;
    CurCode = code;
    CurDate = date.isValid() ? date : QDate::currentDate();
    if (Calender->date() != CurDate) {
        const QSignalBlocker block(Calender);
        Calender->setDate(CurDate);
    }
    const bool periodChanged =
        rebuild || !PeriodStart.isValid() || CurDate < PeriodStart || CurDate > PeriodEnd;
    if (periodChanged) {
        int nendo = ShownYear, month = ShownMonth, days = PeriodDays;
        FindHimokuSimeMonth(DatMod->MainDatabase, PeriodCode, CurSimeTuki, CurShiftNendo, CurDate, nendo, month,
                            SimeBi, SimeShift, days, PeriodStart, PeriodEnd);
        ShownYear = nendo;
        ShownMonth = month;
        PeriodDays = PeriodStart.isValid() ? int(PeriodStart.daysTo(PeriodEnd)) + 1 : 0;
    }
    LbSyori->setText(PeriodCaption());
    if (MainForm)
        MainForm->SetSeasonImages(CurDate);
    if (periodChanged && YosanWarn)
        YosanWarn->LoadBudget(DatMod->MainDatabase, ShownYear, ShownMonth, GetGroupSimeShift(FrameKind));
    SelectCategoryInCombo(CurCode);

    // The new-line defaults of the data module's rules.
    m->ResetEntryState();
    m->CltDataStyle = InputMode;
    m->CltSyuSiIdo = FrameKind;
    m->CltOrigin = FrameKind;
    m->CltCodeInput = CodeInput;
    m->CltDate = CurDate;
    m->CltHimokuCODE = CurCode;
    int aite = FindHimokuAiteCode(CurCode, &CategoryList);
    if (!isVisibleAccount(aite))
        aite = visibleAccounts().isEmpty() ? -1 : visibleAccounts().first().Code;
    m->CltRecAiteCODE = aite;
    m->CltZeiAtukai = uint8_t(FindHimokuZeiAtukai(CurCode, &CategoryList));

    Hyou->clearSelection();
    if (periodChanged || DatMod->IsUncFolder) {
        if (DatMod->IsUncFolder)
            DatMod->RefreshTables();
        RebuildTable();
        const QSignalBlocker block(TrackBarDate);
        TrackBarDate->setRange(firstDataCol(), qMax(firstDataCol(), Hyou->colCount() - 1));
    }
    m->setCommandText(buildMeisaiSql());
    const int col = columnOfDate(CurDate);
    const int row = rowOfCode(CurCode);
    if (col >= 0 && row >= 0) {
        m_hyouSelecting = true;
        Hyou->selectCellAt(col, row);
        showCurrentDay(periodChanged);
        m_hyouSelecting = false;
        const QSignalBlocker block(TrackBarDate);
        TrackBarDate->setValue(col);
    }
    m->open();
    m->SetAmountField(m->findField(FrameKind == 3 ? QStringLiteral("KasiGaku") : QStringLiteral("KINGAKU")));
    PrepareMeisaiLines();
    m->enableControls();
    DatMod->SuspendFieldEvents = false;
    // The line preparation ran the after-scroll work once; a located line runs
    // it again through its own move.
    bool found = true;
    if (dataNo != -1)
        found = m->locate(QStringLiteral("DATANO"), dataNo);
    // The tax total is this cell's, summed from its lines now: the one shown
    // before belonged to the cell left.
    CalcDetailTotals();
    const Currency cell = col >= 0 && row >= 0 ? Hyou->getValue(col, row) : Currency();
    BbLbKarigou->setText(KingakuToStr(cell));
    BbLbKasigou->setText(QStringLiteral("0"));
    LoadDayMemo();
    PublishShownMonth();
    ShowCategoryCaptions(CurCode);
    return found;
}

void TFrameDeru::ShowCategoryCaptions(int code)
{
    Q_UNUSED(code);
    LbMeisaiCaption->setText(CmbHimoku->currentText() + QStringLiteral(" の明細"));
}

void TFrameDeru::showCurrentDay(bool rightEdge)
{
    // A day out of view comes in at the right edge, so the days before it
    // stay in sight.
    const int col = columnOfDate(CurDate);
    const int row = rowOfCode(CurCode);
    if (col < 0 || row < 0)
        return;
    SoftStringGridModel *hm = Hyou->model();
    const int visible = qMax(1, hm->visibleColCount());
    if (rightEdge || col < hm->leftCol() || col >= hm->leftCol() + visible)
        hm->setLeftCol(qBound(firstDataCol(), col - visible + 1, qMax(firstDataCol(), hm->maxLeftCol())));
    hm->scrollIntoView(col, row);
}

bool TFrameDeru::hyouSelectCell(int col, int row)
{
    if (MoveMode) {
        MessageDlg(QStringLiteral("移動モードです。"), MsgDlgType::Information, mbOK);
        return false;
    }
    if (!CommitPage())
        return false;
    SoftStringGridModel *hm = Hyou->model();
    if (col >= hm->leftCol() + hm->visibleColCount() && hm->leftCol() < hm->colCount() - 1)
        hm->setLeftCol(qMin(hm->colCount() - 1, hm->leftCol() + 1));
    const int i = row - Hyou->fixedRows();
    if (i < 0 || i >= CategoryList.size())
        return true;
    const QDate d = PeriodStart.addDays(col - firstDataCol());
    {
        const QSignalBlocker b1(Calender);
        const QSignalBlocker b2(CmbHimoku);
        Calender->setDate(d);
        SelectCategoryInCombo(CategoryList[i].Code);
    }
    CellLoadPending = true;
    scheduleIdleWork();
    return true;
}

void TFrameDeru::trackBarDateChange(int col)
{
    // A drag sends many values: one at a time, the day of the last one wins.
    if (m_trackBarBusy || !Attached || InputMode != 1)
        return;
    m_trackBarBusy = true;
    struct Done
    {
        bool &busy;
        ~Done() { busy = false; }
    } done{m_trackBarBusy};
    SoftStringGridModel *hm = Hyou->model();
    if (col == hm->col())
        return;
    // The table's own road, as a click: the page commits and the day loads.
    hm->chooseCell(col, hm->row());
    if (hm->col() != col) {
        // Refused (a save that did not go through): the bar follows the table.
        const QSignalBlocker block(TrackBarDate);
        TrackBarDate->setValue(hm->col());
        return;
    }
    showCurrentDay(false);
}

void TFrameDeru::ApplyExtraControls(bool down)
{
    const bool table = InputMode == 1;
    SpBtnControl->setText(down ? QStringLiteral("－") : QStringLiteral("＋"));
    for (QAction *a : {DataSetApplyUpdates1, DataSetUndo1, DataSetCancelUpdates1})
        a->setVisible(down);
    ActionMove->setVisible(down && table);
    PnlTrackBarDate->setVisible(down && table);
}

void TFrameDeru::setPendingCellFromControls()
{
    if (m_loading || InputMode != 1 || !Attached)
        return;
    CellLoadPending = true;
    scheduleIdleWork();
}

void TFrameDeru::stepMonth(int months)
{
    Calender->setDate(Calender->date().addMonths(months));
    CellLoadPending = InputMode == 1 && Attached;
    scheduleIdleWork();
}

// ---- idle work -------------------------------------------------------------------------------

void TFrameDeru::scheduleIdleWork()
{
    // Besides the idle signal, a zero timer: the work runs once the events
    // already queued (a burst of clicks or key repeats) are handled.
    if (m_idleScheduled)
        return;
    m_idleScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_idleScheduled = false;
        IdleWork();
    });
}

void TFrameDeru::IdleWork()
{
    if (!Attached || !DatMod || !DatMod->DataOpen || QCoreApplication::closingDown())
        return;
    try {
        if (TableTotalsPending)
            CalcTableTotals(true);
        if (CellLoadPending) {
            const int code = CmbHimoku->currentIndex() >= 0 ? CmbHimoku->currentData().toInt() : CurCode;
            LoadCell(code, -1, false, Calender->date());
        }
        if (SelectionTotalPending) {
            SelectionTotalPending = false;
            CalcDetailTotals();
        }
    } catch (const EAbort &) {
    } catch (const Exception &e) {
        CellLoadPending = false;
        ShowExceptionBox(e.message());
    } catch (const std::exception &e) {
        CellLoadPending = false;
        ShowExceptionBox(QString::fromUtf8(e.what()));
    }
}

void TFrameDeru::drawMeisaiCell(QPainter &painter, const QRect &rect, int dataCol, int column, GridDrawState state)
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || !m->isActive())
        return;
    const TMyDBGridColumn col = MyDbGridMeisai->column(column);
    const bool locked = m->IsLockedRecord();
    const bool foreign = m->IsForeignRecord();
    QColor brush;
    if (state.testFlag(GridDrawFlag::Selected))
        brush = MyDbGridMeisai->hasFocus() ? kHotSelColor : kSelColor;
    else if (MyDbGridMeisai->isRowSelected(MyDbGridMeisai->paintRow()))
        brush = kMultiSelColor;
    else if (!col.readOnly && foreign)
        brush = kForeignLineColor;
    else if (!col.readOnly && locked)
        brush = kLockedLineColor;
    else
        brush = col.color.isValid() ? col.color : QColor(Qt::white);
    QColor pen = locked ? kNavy : MyDbGridMeisai->palette().color(QPalette::Text);
    Field *f = MyDbGridMeisai->columnField(column);
    Field *reserved = m->findField(QStringLiteral("RESERVED"));
    if (reserved && !reserved->isNull() && reserved->asBoolean()) {
        pen = kGrey;
    } else if (f && f->dataType() == FieldType::Date && !f->isNull()) {
        const QDate d = f->asDate();
        if (d.dayOfWeek() == Qt::Sunday || IsHoliday(d))
            pen = kRed;
        else if (d.dayOfWeek() == Qt::Saturday)
            pen = kBlue;
    } else if (f && (f->dataType() == FieldType::Currency || f->dataType() == FieldType::Float) && !f->isNull() &&
               f->asFloat() < 0) {
        pen = kRed;
    }
    painter.setBrush(brush);
    painter.setPen(pen);
    MyDbGridMeisai->drawColumnCellText(painter, rect, dataCol, column, state, 55);
    if (column == 0) {
        painter.setPen(Qt::black);
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
    }
}

// ---- diary -----------------------------------------------------------------------------------

void TFrameDeru::LoadDayMemo()
{
    Table *t = DatMod ? DatMod->MemoTbl : nullptr;
    QString text;
    if (t && t->isActive() && CurDate.isValid() && t->locate(QStringLiteral("RECDATE"), CurDate))
        text = t->fieldByName(QStringLiteral("MEMO"))->asString();
    Memo->setPlainText(text);
    Memo->document()->setModified(false);
    const bool locked = CurLockDate.isValid() && CurDate <= CurLockDate;
    Memo->setReadOnly(locked);
    QPalette p = Memo->palette();
    p.setColor(QPalette::Text, locked ? kNavy : QColor(Qt::black));
    Memo->setPalette(p);
}

void TFrameDeru::SaveDayMemo()
{
    if (!Memo->document()->isModified() || !CurDate.isValid())
        return;
    if (CurLockDate.isValid() && CurDate <= CurLockDate)
        return;
    Table *t = DatMod ? DatMod->MemoTbl : nullptr;
    if (!t || !t->isActive())
        return;
    const QString text = Memo->toPlainText();
    if (t->locate(QStringLiteral("RECDATE"), CurDate)) {
        if (!text.isEmpty()) {
            t->edit();
            t->fieldByName(QStringLiteral("MEMO"))->setAsString(text);
            t->post();
        } else {
            t->remove();
        }
    } else if (!text.isEmpty()) {
        t->append();
        t->fieldByName(QStringLiteral("RECDATE"))->setAsDate(CurDate);
        t->fieldByName(QStringLiteral("MEMO"))->setAsString(text);
        t->post();
    }
    t->flushBuffers();
    Memo->document()->setModified(false);
}

void TFrameDeru::PublishShownMonth()
{
    if (!MainForm)
        return;
    if (CurDate.isValid())
        MainForm->ShownDate = CurDate;
    if (ShownYear > 0 && ShownMonth > 0) {
        MainForm->ShownYear = ShownYear;
        MainForm->ShownMonth = ShownMonth;
    }
}

// ---- toggles, keys, jumps --------------------------------------------------------------------

void TFrameDeru::toggleReserve()
{
    toggleBookState(SpBtnReserve, IncludeReservedFlag, QStringLiteral("IncludeReseved"), false);
}

void TFrameDeru::toggleTokubetu()
{
    toggleBookState(SpBtnTokubetu, TokubetuShowFlag, QStringLiteral("TokubetuShow"), true);
}

void TFrameDeru::toggleBookState(TMySpeedButton *button, bool &flag, const QString &key, bool reloadCategories)
{
    // The pending lines are saved first; a refused save puts the toggle back.
    const bool wanted = button->down();
    if (!SaveJournal()) {
        button->SetDown(flag);
        return;
    }
    WaitCursor wait;
    flag = wanted;
    if (DataIni)
        DataIni->WriteBoolAndUpdate(QStringLiteral("State"), key, wanted);
    if (reloadCategories)
        LoadHimokuCaches(DatMod->MainDatabase);
    RefreshPage();
}

bool TFrameDeru::hyouKeyDown(QKeyEvent *event)
{
    if (!event->text().isEmpty() && event->text().at(0).isDigit()) {
        MessageDlg(QStringLiteral("データは右の明細に入力してください。"), MsgDlgType::Information, mbOK);
        return true;
    }
    const int col = Hyou->model()->col();
    if (event->key() == Qt::Key_Left && col == firstDataCol()) {
        Calender->setDate(CurDate.addDays(-1));
        CellLoadPending = true;
        scheduleIdleWork();
        return true;
    }
    if (event->key() == Qt::Key_Right && col == Hyou->colCount() - 1) {
        Calender->setDate(CurDate.addDays(1));
        CellLoadPending = true;
        scheduleIdleWork();
        return true;
    }
    return false;
}

bool TFrameDeru::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Hyou && event->type() == QEvent::Resize && InputMode == 1 && PeriodStart.isValid()) {
        // Once the table has its size, the shown day is brought into view.
        const bool result = QFrame::eventFilter(watched, event);
        QTimer::singleShot(0, this, [this] { showCurrentDay(true); });
        return result;
    }
    if (watched == Hyou && event->type() == QEvent::KeyPress && Attached)
        return hyouKeyDown(static_cast<QKeyEvent *>(event));
    if (watched == TrackBarDate && event->type() == QEvent::KeyPress) {
        // Up and Down on the day bar move through the categories of the table.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            SoftStringGridModel *hm = Hyou->model();
            const int row = qBound(hm->fixedRows(), hm->row() + (key == Qt::Key_Up ? -1 : 1), hm->rowCount() - 1);
            if (row != hm->row())
                hm->chooseCell(hm->col(), row);
            return true;
        }
    }
    if ((watched == Calender || watched == CmbHimoku) && event->type() == QEvent::KeyPress) {
        // Enter walks on: from the date to the category, from the category to the lines.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // A date that does not exist is refused and the box keeps the focus.
            if (watched == Calender && Calender->RefuseImpossibleDate())
                return true;
            if (watched == Calender) {
                // The typed day is taken now (the box takes it when typing ends).
                Calender->interpretText();
                CmbHimoku->setFocus();
            }
            else
                MyDbGridMeisai->setFocus();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void TFrameDeru::ShowJournalEntry(int dataNo, int himokuCode, bool warn, int style, int origin, int lookupNo,
                                  int receiptNo, const QDate &recDate)
{
    Q_UNUSED(origin);
    bool found = false;
    if (style == 1 || style == 4 || style == 5 || style == 6) {
        if (InputMode != 1)
            ChangeInputMode(1);
        found = LoadCell(himokuCode, dataNo, true, recDate);
    } else {
        int year = ShownYear, month = ShownMonth;
        if (style == 2) {
            int closing = 0, shift = 0, days = 0;
            QDate start, end;
            FindHimokuSimeMonth(DatMod->MainDatabase, PeriodCode, CurSimeTuki, CurShiftNendo, recDate, year, month,
                                closing, shift, days, start, end);
        } else {
            uint16_t y = 0, mo = 0;
            DecodeMonthCode(lookupNo, y, mo);
            year = y;
            month = mo;
        }
        ShownYear = year;
        ShownMonth = month;
        if (InputMode != style)
            ChangeInputMode(style);
        found = LoadSlipMonth(year, month, dataNo, receiptNo, true);
    }
    if (!found && !warn)
        MessageDlg(QStringLiteral("DataNo %1 のデータが見つかりませんでした。").arg(dataNo), MsgDlgType::Error, mbOK);
}
