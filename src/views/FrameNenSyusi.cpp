#include "views/FrameNenSyusi.h"

#include <QMenu>
#include "printing/ExcelExport.h"

#include <algorithm>

#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "controls/MyDBGrid.h"
#include "controls/ShapeBtn.h"
#include "data/ControlUtils.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/DataUtils.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/IdleHook.h"
#include "platform/ui/WaitCursor.h"
#include "views/NenSyukeiData.h"
#include "views/NenSyukeiSwitches.h"
#include "views/NenSyusiMeisai.h"
#include "views/ReportPrints.h"
#include "views/TablePrints.h"

using namespace Qt::StringLiterals;

namespace {

const QString Section = u"FrameNenSyusi"_s;
const QString AllText = u"すべて"_s;

// The page's share of the window's table palette.
const QColor SummaryFixed(0xFF, 0xDA, 0xC8);
const QColor IriFixed(0xC8, 0xD9, 0xFE);
const QColor IriOdd(0xF2, 0xF4, 0xFD);
const QColor IriHot(0xA4, 0xBB, 0xFF);
const QColor DeruFixed(0xFF, 0xD9, 0xD9);
const QColor DeruOdd(0xFD, 0xF8, 0xF7);
const QColor DeruHot(0xFF, 0xBF, 0xCF);
const QColor KouzaFixed(0xBC, 0xEC, 0xD7);
const QColor KouzaOdd(0xF4, 0xFC, 0xF7);
const QColor KouzaHot(0xA0, 0xEB, 0xC0);
const QColor PanelColor(0xEE, 0xEB, 0xE3);
const QColor SelColor(0xD1, 0xE4, 0xDC);
const QColor HotSelColor(0xAB, 0xDB, 0xFF);

// Years typed into the year box outside this range are not applied: a year
// typed digit by digit passes through 2, 20 and 202 on its way to 2025.
constexpr int FirstYear = 1900;
constexpr int LastYear = 2100;

const QString SyukeiMessage =
    u"次の場合、収支金額 と 資産合計 は一致しません。\r\r　収入、支出、および各口座の締め日が一致しない場合で「月度」集計の時。"
    "\r　特別費目など、非表示の費目、口座があるとき。\r\rこのメッセージを次回以降表示させない場合は「キャンセル」をクリックしてください。"_s;

// The engine's refusal as the user reads it: what could not be done first,
// the engine's own words after it.
template <typename Work>
void explainBookErrors(const QString &what, Work work)
{
    try {
        work();
    } catch (const EDatabaseError &e) {
        throw Exception(what + u"\n\n"_s + e.message());
    }
}

const QString CalcFailedText = u"集計できませんでした。"_s;

int readInt(const QString &key, int def)
{
    return RegIni ? RegIni->ReadOrWriteInteger(Section, key, def) : def;
}

void writeInt(const QString &key, int value)
{
    if (RegIni)
        RegIni->WriteIntegerAndUpdate(Section, key, value);
}

TFrameBtn *makeButton(QWidget *parent, const QString &name, const QString &caption, int group, bool allowAllUp)
{
    return MakeSwitchButton(parent, name, caption, group, allowAllUp, 56);
}

} // namespace

TFrameNenSyusi::TFrameNenSyusi(QWidget *parent) : QFrame(parent)
{
    setObjectName(u"FrameNenSyusi"_s);
    buildUi();
    connect(IdleHook::instance(), &IdleHook::idle, this, &TFrameNenSyusi::IdleWork);
}

TFrameNenSyusi::~TFrameNenSyusi() = default;

void TFrameNenSyusi::buildUi()
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, PanelColor);
    setPalette(pal);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(2, 2, 2, 2);
    main->setSpacing(2);

    // The tool bar. Each button row is one parent, so the groups of the speed
    // buttons are those of this bar.
    ToolBar = new QWidget(this);
    ToolBar->setObjectName(u"ToolBar"_s);
    auto *bar = new QHBoxLayout(ToolBar);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(3);
    CmbBoxYear = new QComboBox(ToolBar);
    CmbBoxYear->setObjectName(u"CmbBoxYear"_s);
    CmbBoxYear->setEditable(true);
    CmbBoxYear->setMaxVisibleItems(20);
    CmbBoxYear->setInsertPolicy(QComboBox::NoInsert);
    CmbBoxYear->setAttribute(Qt::WA_InputMethodEnabled, false);
    CmbBoxYear->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
    CmbBoxYear->installEventFilter(this);
    CmbBoxYear->setFixedWidth(CmbBoxYear->fontMetrics().horizontalAdvance(u"99999"_s) + 40);
    bar->addWidget(CmbBoxYear);
    bar->addWidget(new QLabel(u"年"_s, ToolBar));
    bar->addSpacing(6);
    FrBtnHassei = makeButton(ToolBar, u"FrBtnHassei"_s, u"期間発生額"_s, 1, false);
    FrBtnRuikei = makeButton(ToolBar, u"FrBtnRuikei"_s, u"累計額"_s, 1, false);
    FrBtnSuryou = makeButton(ToolBar, u"FrBtnSuryou"_s, u"数量表示"_s, 6, true);
    FrBtnGetuji = makeButton(ToolBar, u"FrBtnGetuji"_s, u"月次"_s, 2, false);
    FrBtnNenji = makeButton(ToolBar, u"FrBtnNenji"_s, u"年次"_s, 2, false);
    FrBtnGetudo = makeButton(ToolBar, u"FrBtnGetudo"_s, u"月度"_s, 3, false);
    FrBtnKoyomi = makeButton(ToolBar, u"FrBtnKoyomi"_s, u"暦月"_s, 3, false);
    FrBtnZenNenHi = makeButton(ToolBar, u"FrBtnZenNenHi"_s, u"前年度比"_s, 4, true);
    FrBtnJyouken = makeButton(ToolBar, u"FrBtnJyouken"_s, u"条件集計"_s, 5, true);
    for (QWidget *w : {static_cast<QWidget *>(FrBtnHassei), static_cast<QWidget *>(FrBtnRuikei),
                       static_cast<QWidget *>(FrBtnSuryou)})
        bar->addWidget(w);
    bar->addSpacing(6);
    bar->addWidget(FrBtnGetuji);
    bar->addWidget(FrBtnNenji);
    bar->addSpacing(6);
    bar->addWidget(FrBtnGetudo);
    bar->addWidget(FrBtnKoyomi);
    bar->addSpacing(6);
    bar->addWidget(FrBtnZenNenHi);
    bar->addWidget(FrBtnJyouken);
    bar->addStretch(1);
    auto shape = [this](const QString &name, const QString &caption, int group) {
        auto *b = new TShapeBtn(ToolBar);
        b->setObjectName(name);
        b->setText(caption);
        b->setGroupIndex(group);
        b->setAllowAllUp(true);
        b->setFixedSize(48, 24);
        return b;
    };
    SpBtnTokubetu = shape(u"SpBtnTokubetu"_s, u"特別"_s, 7);
    SpBtnReserve = shape(u"SpBtnReserve"_s, u"予約"_s, 8);
    bar->addWidget(SpBtnTokubetu);
    bar->addWidget(SpBtnReserve);
    bar->addSpacing(12);
    // 印刷 holds the table prints and the exports: the four tables down one sheet, and the detail lines.
    auto *printBtn = makeButton(ToolBar, u"FrBtnPrint"_s, u"印刷"_s, 0, false);
    bar->addWidget(printBtn);
    auto *printMenu = new QMenu(printBtn);
    for (bool split : {false, true}) {
        QAction *print = printMenu->addAction(split ? u"表を印刷（２分割）"_s : u"表を印刷"_s);
        print->setObjectName(split ? u"MenuPrintHyou2Part"_s : u"MenuPrintHyou"_s);
        connect(print, &QAction::triggered, this, [this, split] { ShowTablePrint(NewNenSyusiHyouPreview(this, split)); });
    }
    QAction *hyouExcel = printMenu->addAction(u"表をエクセルへ"_s);
    hyouExcel->setObjectName(u"MenuPrintHyouExcel"_s);
    QAction *meisaiPrint = printMenu->addAction(u"明細を印刷"_s);
    meisaiPrint->setObjectName(u"MenuPrintMeisei"_s);
    connect(meisaiPrint, &QAction::triggered, this, [this] { PrintNenSyukeiReport(this); });
    QAction *meisaiExcel = printMenu->addAction(u"明細をエクセルへ"_s);
    meisaiExcel->setObjectName(u"MenuPrintMeiseiExcel"_s);
    connect(hyouExcel, &QAction::triggered, this, [this] {
        TCurrencyGridExcelExport ex;
        ex.SheetName = u"集計表"_s;
        const QList<TCurrencyGrid *> grids{SyusiHyou, IriHyou, DeruHyou, KouzaHyou};
        const QColor fixed[4]{QColor(0xFF, 0xBA, 0x75), IriHyou->model()->fixedColor(), QColor(0xFF, 0xBD, 0xCD),
                              KouzaHyou->model()->fixedColor()};
        int row = 0;
        for (int i = 0; i < 4; ++i) {
            ex.Grid[i] = grids[i];
            ex.FixedColor[i] = fixed[i];
            ex.RowOffSet[i] = row;
            row += grids[i]->rowCount();
        }
        ex.RowEvenColor = QColor(0xF7, 0xF1, 0xE3);
        RunExcelExport(ex, u"集計表"_s);
    });
    connect(meisaiExcel, &QAction::triggered, this, [this] {
        TDBGridExcelExport ex;
        ex.DBGrid = PnlMeisai->DbGridMeisai;
        ex.SheetName = PnlMeisai->LbTitle->text().isEmpty() ? u"明細"_s : PnlMeisai->LbTitle->text();
        RunExcelExport(ex, ex.SheetName);
    });
    connect(printBtn, &QAbstractButton::clicked, this,
            [printBtn, printMenu] { printMenu->popup(printBtn->mapToGlobal(QPoint(0, printBtn->height()))); });
    main->addWidget(ToolBar);
    FrBtnHassei->SetDown(true);
    FrBtnGetuji->SetDown(true);
    FrBtnGetudo->SetDown(true);

    // The filter bar.
    PnlBarJyouken = new QWidget(this);
    PnlBarJyouken->setObjectName(u"PnlBarJyouken"_s);
    LbKouza = BuildNenSyukeiFilterBar(PnlBarJyouken, CmbBoxHimoku, CmbBoxHinmei, CmbBoxShop, CmbBoxPerson,
                                      CmbBoxKouza, [this] {
                                          if (!m_filling)
                                              FilterChanged();
                                      })
                  .last();
    PnlBarJyouken->hide();
    main->addWidget(PnlBarJyouken);

    // Tables on the left, the detail panel on the right (or at the bottom).
    Split = new QSplitter(Qt::Horizontal, this);
    Split->setObjectName(u"Split"_s);
    Split->setHandleWidth(3);
    Split->setChildrenCollapsible(false);
    PnlLeft = new QSplitter(Qt::Vertical, Split);
    PnlLeft->setObjectName(u"PnlLeft"_s);
    PnlLeft->setHandleWidth(3);
    PnlLeft->setChildrenCollapsible(false);
    SyusiHyou = new TCurrencyGrid(PnlLeft);
    SyusiHyou->setObjectName(u"SyusiHyou"_s);
    IriHyou = new TCurrencyGrid(PnlLeft);
    IriHyou->setObjectName(u"IriHyou"_s);
    DeruHyou = new TCurrencyGrid(PnlLeft);
    DeruHyou->setObjectName(u"DeruHyou"_s);
    KouzaHyou = new TCurrencyGrid(PnlLeft);
    KouzaHyou->setObjectName(u"KouzaHyou"_s);
    setupTable(SyusiHyou, SummaryFixed, DeruOdd, DeruHot);
    setupTable(IriHyou, IriFixed, IriOdd, IriHot);
    setupTable(DeruHyou, DeruFixed, DeruOdd, DeruHot);
    setupTable(KouzaHyou, KouzaFixed, KouzaOdd, KouzaHot);
    SyusiHyou->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SyusiHyou->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    IriHyou->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    DeruHyou->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PnlLeft->installEventFilter(this);
    for (int i = 0; i < 4; ++i)
        PnlLeft->setStretchFactor(i, i == 0 ? 0 : 1);

    PnlMeisai = new TNenSyusiMeisai(Split);
    Split->setStretchFactor(0, 1);
    Split->setStretchFactor(1, 0);
    main->addWidget(Split, 1);

    // Buttons.
    connect(FrBtnHassei, &QAbstractButton::clicked, this, &TFrameNenSyusi::HasseiClick);
    connect(FrBtnRuikei, &QAbstractButton::clicked, this, &TFrameNenSyusi::HasseiClick);
    connect(FrBtnSuryou, &QAbstractButton::clicked, this, &TFrameNenSyusi::SuryouClick);
    connect(FrBtnGetuji, &QAbstractButton::clicked, this, &TFrameNenSyusi::GetujiClick);
    connect(FrBtnNenji, &QAbstractButton::clicked, this, &TFrameNenSyusi::GetujiClick);
    connect(FrBtnGetudo, &QAbstractButton::clicked, this, &TFrameNenSyusi::GetudoClick);
    connect(FrBtnKoyomi, &QAbstractButton::clicked, this, &TFrameNenSyusi::GetudoClick);
    connect(FrBtnZenNenHi, &QAbstractButton::clicked, this, &TFrameNenSyusi::ZenNenHiClick);
    connect(SpBtnReserve, &QAbstractButton::clicked, this, &TFrameNenSyusi::ReserveClick);
    connect(SpBtnTokubetu, &QAbstractButton::clicked, this, &TFrameNenSyusi::TokubetuClick);
    connect(FrBtnJyouken, &QAbstractButton::clicked, this, &TFrameNenSyusi::JyoukenClick);
    connect(CmbBoxYear, &QComboBox::currentTextChanged, this, &TFrameNenSyusi::YearTextChanged);
    connect(PnlMeisai, &TNenSyusiMeisai::positionToggled, this, &TFrameNenSyusi::ToggleDetailPosition);
    connect(Split, &QSplitter::splitterMoved, this, [this] { saveDetailPanel(); });
    PnlMeisai->DbGridMeisai->onColWidthsChanged = [this] { saveDetailColumns(); };
}

void TFrameNenSyusi::setupTable(TCurrencyGrid *grid, const QColor &fixed, const QColor &odd, const QColor &hot)
{
    CurrencyGridModel *m = grid->model();
    m->setOptions(GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine |
                  GridOption::HorzLine | GridOption::ColSizing | GridOption::RowSizing);
    m->setSizingOptions(SizingOption::soFixedColSizing | SizingOption::soSameColSize |
                        SizingOption::soSameRowSize | SizingOption::soSameAllRowSize);
    m->setAllowEdit(false);
    m->setCursorNoEdit(true);
    m->setFixedColor(fixed);
    m->setRowOddColor(odd);
    m->setRowEvenColor(Qt::white);
    m->setSelColor(SelColor);
    m->setHotSelColor(HotSelColor);
    m->setSelFontColor(Qt::black);
    m->setHotTrackColor(hot);
    grid->setColCount(14);
    grid->setRowCount(2);
    grid->setFixedCols(2);
    grid->setFixedRows(1);
    // The title column lists nothing; the total row and the total column do.
    m->setNoSelectCols(1);
    m->setNoSelectRows(0);
    m->onSelectCell = [this, grid](int col, int row, bool &) { SelectCell(grid, col, row); };
    m->onFixSelect = [this, grid](int col, int row, bool &) { SelectCell(grid, col, row); };
    m->onGetText = [grid](int col, int row, QString &text) {
        if (!NenSyukeiData.ZenNenHi || col < 1 || (grid->objectName() == u"SyusiHyou"_s && row < 1))
            return;
        const Currency v = grid->getValue(col, row);
        text = v.isZero() ? QString() : QString::number(v.toDouble(), 'f', 1) + u"%"_s;
    };
    m->onChangeSize = [this, grid] { saveTableLayout(grid); };
    grid->installEventFilter(this);
    // Scrolling one table sideways scrolls all four.
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this, grid] {
        const int left = grid->model()->leftCol();
        for (TCurrencyGrid *other : tables())
            if (other != grid && other->model()->leftCol() != left)
                other->model()->setLeftCol(left);
    });
}

QList<TCurrencyGrid *> TFrameNenSyusi::tables() const
{
    return {SyusiHyou, IriHyou, DeruHyou, KouzaHyou};
}

int TFrameNenSyusi::tableKind(TCurrencyGrid *table) const
{
    if (table == IriHyou)
        return 1;
    if (table == DeruHyou)
        return 2;
    if (table == KouzaHyou)
        return 3;
    return 0;
}

// ---- page interface ----------------------------------------------------------

void TFrameNenSyusi::InitPage()
{
    SetControlHelpContext(this, 10089);
    m_filling = true;
    FillYearCombo(CmbBoxYear, 8, 5);
    m_filling = false;
    LoadLayout();
    SelectTable(DeruHyou);
    RefreshContents();
    ArrangeTables();
    queueWarning();
}

void TFrameNenSyusi::queueWarning()
{
    // The window shows the page after InitPage or RefreshPage; the warning
    // comes once the page is on screen.
    if (m_warningQueued)
        return;
    m_warningQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_warningQueued = false;
        if (isVisible())
            WarnSyukeiMismatch();
    });
}

void TFrameNenSyusi::RefreshPage()
{
    RefreshContents();
    queueWarning();
}

bool TFrameNenSyusi::LeavePage()
{
    PnlMeisai->CloseList();
    return true;
}

void TFrameNenSyusi::RefreshContents()
{
    // The window flushed the tables before showing the page; nothing kept from
    // an earlier visit is trusted.
    NenSyukeiData.ForgetCarry();
    if (DataIni) {
        IncludeReservedFlag = DataIni->ReadOrWriteBool(u"State"_s, u"IncludeReseved"_s, false);
        const bool tokubetu = DataIni->ReadOrWriteBool(u"State"_s, u"TokubetuShow"_s, false);
        if (tokubetu != TokubetuShowFlag) {
            TokubetuShowFlag = tokubetu;
            if (DatMod && DatMod->DataOpen)
                LoadHimokuCaches(DatMod->MainDatabase);
        }
    }
    m_updatingButtons = true;
    SpBtnReserve->SetDown(IncludeReservedFlag);
    SpBtnTokubetu->SetDown(TokubetuShowFlag);
    (NenSyukeiData.Hassei ? FrBtnHassei : FrBtnRuikei)->SetDown(true);
    (NenSyukeiData.Getuji ? FrBtnGetuji : FrBtnNenji)->SetDown(true);
    (NenSyukeiData.Getudo ? FrBtnGetudo : FrBtnKoyomi)->SetDown(true);
    // The quantity switch is shared with the chart page, which may have changed it.
    FrBtnSuryou->SetDown(NenSyukeiData.Suryou);
    FrBtnZenNenHi->SetDown(NenSyukeiData.ZenNenHi);
    FrBtnJyouken->SetDown(NenSyukeiData.JyoukenOn);
    m_updatingButtons = false;
    PnlBarJyouken->setVisible(NenSyukeiData.JyoukenOn);

    if (!KouzaUseFlag) {
        // Without account management no account filter may stay in force unseen.
        NenSyukeiData.KouzaCode = 0;
        NenSyukeiData.KouzaText = AllText;
    }
    fillFilterLists();

    KouzaHyou->setVisible(KouzaUseFlag);
    CmbBoxKouza->setVisible(KouzaUseFlag);
    LbKouza->setVisible(KouzaUseFlag);
    PnlMeisai->SetKouzaColumnVisible(KouzaUseFlag);
    DeruHyou->setHorizontalScrollBarPolicy(KouzaUseFlag ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);

    Recalculate(CurYear);
}

// ---- computation and tables ----------------------------------------------------

void TFrameNenSyusi::Recalculate(int year)
{
    WaitCursor wait;
    PnlMeisai->ClearPeriod();
    NenSyukeiData.IncludeReserved = IncludeReservedFlag;
    {
        const bool filling = m_filling;
        m_filling = true;
        SelectComboNumber(CmbBoxYear, year);
        m_filling = filling;
    }
    explainBookErrors(CalcFailedText, [year] { NenSyukeiData.Calculate(year); });
    FillTables();
    ArrangeTables();
    if (m_selTable)
        ShowDetail(m_selTable, m_selCol, m_selRow);
}

void TFrameNenSyusi::fillRow(TCurrencyGrid *grid, int row, const TNenSyukeiRec &rec)
{
    const TNenSyukeiData &d = NenSyukeiData;
    const int cc = d.ColCount;
    auto put = [&](int col, int index) {
        Currency v;
        if (d.ZenNenHi)
            v = Currency::fromDouble(d.Hassei ? rec.Hiritu[index] : rec.RuikeiHiritu[index]);
        else
            v = d.Hassei ? rec.Kingaku[index] : rec.Ruikei[index];
        grid->setValue(col, row, v);
    };
    put(1, d.Hassei ? cc : 0);
    for (int c = 2; c <= cc; ++c)
        put(c, c - 1);
}

void TFrameNenSyusi::FillTables()
{
    const TNenSyukeiData &d = NenSyukeiData;
    const int cols = d.ColCount + 1;
    for (TCurrencyGrid *g : tables()) {
        g->setStopDrawCell(true);
        g->setColCount(cols);
        g->clearAll();
    }
    SyusiHyou->setRowCount(2);
    IriHyou->setRowCount(d.RowCount(1) + 1);
    DeruHyou->setRowCount(d.RowCount(2) + 1);
    KouzaHyou->setRowCount(d.RowCount(3) + 1);

    SyusiHyou->setCells(1, 0, d.Hassei ? u"費目合計"_s : u"前期繰越額"_s);
    SyusiHyou->setCellAlignment(1, 0, CellAlignment::taCenter);
    for (int c = 2; c < cols; ++c) {
        SyusiHyou->setCells(c, 0, d.ColTitles[c - 1]);
        SyusiHyou->setCellAlignment(c, 0, CellAlignment::taCenter);
    }
    struct Corner
    {
        TCurrencyGrid *grid;
        int row;
        QString title;
    };
    for (const Corner &c : {Corner{SyusiHyou, 1, u"収　支"_s}, Corner{IriHyou, 0, u"収入合計"_s},
                            Corner{DeruHyou, 0, u"支出合計"_s}, Corner{KouzaHyou, 0, u"資産合計"_s}}) {
        c.grid->setCells(0, c.row, c.title);
        c.grid->setCellAlignment(0, c.row, CellAlignment::taCenter);
        c.grid->setObjects(0, c.row, QVariant());
    }
    const TCurrencyGrid *byKind[4] = {nullptr, IriHyou, DeruHyou, KouzaHyou};
    for (int kind = 1; kind <= 3; ++kind) {
        auto *grid = const_cast<TCurrencyGrid *>(byKind[kind]);
        const TNenSyukeiArray &rows = d.Rows(kind);
        for (int i = 0; i < rows.size(); ++i) {
            grid->setCells(0, i + 1, rows.at(i).Name);
            grid->setObjects(0, i + 1, rows.at(i).Code);
            fillRow(grid, i + 1, rows.at(i));
        }
        TNenSyukeiRec sum;
        d.GetSum(kind, sum);
        fillRow(grid, 0, sum);
    }
    TNenSyukeiRec total;
    d.GetSum(4, total);
    fillRow(SyusiHyou, 1, total);
    widenToFigures();
    for (TCurrencyGrid *g : tables()) {
        g->setStopDrawCell(false);
        g->viewport()->update();
    }
}

// An amount wider than its column would lose its leading digits or its minus
// sign (the text is right-aligned and clipped): the total column and the
// period columns grow to the widest figure shown, never shrink, and the grown
// width is not stored as the user's.
void TFrameNenSyusi::widenToFigures()
{
    const QFontMetrics fm(SyusiHyou->font());
    int totalNeed = 0;
    int periodNeed = 0;
    for (TCurrencyGrid *g : tables()) {
        const int room = 2 * g->model()->charOffset() + 2;
        for (int r = 0; r < g->rowCount(); ++r)
            for (int c = 1; c < g->colCount(); ++c) {
                if (g->getValue(c, r).isZero())
                    continue;
                const int need = fm.horizontalAdvance(g->displayText(c, r)) + room;
                (c == 1 ? totalNeed : periodNeed) = std::max(c == 1 ? totalNeed : periodNeed, need);
            }
    }
    for (TCurrencyGrid *g : tables()) {
        CurrencyGridModel *m = g->model();
        if (m->colCount() < 2)
            continue;
        // The default width resets every column: the title and total columns
        // keep theirs.
        const int title = m->colWidth(0);
        const int totalWidth = std::max(m->colWidth(1), totalNeed);
        if (m->defaultColWidth() < periodNeed) {
            m->setDefaultColWidth(periodNeed);
            m->setColWidth(0, title);
        }
        if (m->colWidth(1) != totalWidth)
            m->setColWidth(1, totalWidth);
        for (int c = 2; c < m->colCount(); ++c)
            if (m->colWidth(c) < periodNeed)
                m->setColWidth(c, periodNeed);
    }
}

// ---- year ------------------------------------------------------------------------

void TFrameNenSyusi::YearTextChanged(const QString &text)
{
    if (m_filling)
        return;
    bool ok = false;
    const int year = text.trimmed().toInt(&ok);
    if (ok)
        ChangeYear(year);
}

void TFrameNenSyusi::ChangeYear(int year)
{
    if (year == CurYear || year < FirstYear || year > LastYear)
        return;
    Recalculate(year);
}

// ---- switches --------------------------------------------------------------------

void TFrameNenSyusi::HasseiClick()
{
    if (m_updatingButtons)
        return;
    NenSyukeiData.Hassei = FrBtnHassei->down();
    FillTables();
}

void TFrameNenSyusi::ZenNenHiClick()
{
    if (m_updatingButtons)
        return;
    NenSyukeiData.ZenNenHi = FrBtnZenNenHi->down();
    FillTables();
}

void TFrameNenSyusi::GetujiClick()
{
    if (m_updatingButtons)
        return;
    NenSyukeiData.SetGetuji(FrBtnGetuji->down());
    // A column picked in the other mode names another period.
    if (m_selCol > NenSyukeiData.ColCount)
        m_selCol = 1;
    Recalculate(CurYear);
}

void TFrameNenSyusi::GetudoClick()
{
    if (m_updatingButtons)
        return;
    NenSyukeiData.Getudo = FrBtnGetudo->down();
    Recalculate(CurYear);
}

void TFrameNenSyusi::SuryouClick()
{
    if (m_updatingButtons)
        return;
    NenSyukeiData.Suryou = FrBtnSuryou->down();
    NenSyukeiData.IncludeReserved = IncludeReservedFlag;
    explainBookErrors(CalcFailedText, [] { NenSyukeiData.Calculate(CurYear); });
    if (m_selTable)
        SelectTable(m_selTable);
    FillTables();
}

void TFrameNenSyusi::ReserveClick()
{
    if (m_updatingButtons)
        return;
    WaitCursor wait;
    StoreIncludeReserved(SpBtnReserve->down());
    RefreshContents();
}

void TFrameNenSyusi::TokubetuClick()
{
    if (m_updatingButtons)
        return;
    WaitCursor wait;
    StoreTokubetuShow(SpBtnTokubetu->down());
    RefreshContents();
}

void TFrameNenSyusi::JyoukenClick()
{
    if (m_updatingButtons)
        return;
    NenSyukeiData.JyoukenOn = FrBtnJyouken->down();
    PnlBarJyouken->setVisible(NenSyukeiData.JyoukenOn);
    Recalculate(CurYear);
}

// ---- filters ---------------------------------------------------------------------

void TFrameNenSyusi::fillFilterLists()
{
    if (!DatModSql || !DatMod || !DatMod->DataOpen)
        return;
    m_filling = true;
    DatModSql->FillPersonCombo(CmbBoxPerson, true);
    SelectComboObject(CmbBoxPerson, NenSyukeiData.PersonCode);
    DatModSql->FillHimokuCombo(CmbBoxKouza, 3, true, 0);
    SelectComboObject(CmbBoxKouza, NenSyukeiData.KouzaCode);
    m_filling = false;
    fillHimokuFilter();
    fillItemFilters();
    // A code whose entry is gone (hidden since) filters nothing any more.
    m_filling = true;
    for (QComboBox *c : {CmbBoxHimoku, CmbBoxHinmei, CmbBoxShop, CmbBoxPerson, CmbBoxKouza})
        if (c->currentIndex() < 0)
            c->setCurrentIndex(0);
    m_filling = false;
    NenSyukeiData.HimokuCode = FilterComboCode(CmbBoxHimoku);
    NenSyukeiData.HinmeiCode = FilterComboCode(CmbBoxHinmei);
    NenSyukeiData.ShopCode = FilterComboCode(CmbBoxShop);
    NenSyukeiData.PersonCode = FilterComboCode(CmbBoxPerson);
    NenSyukeiData.KouzaCode = FilterComboCode(CmbBoxKouza);
}

void TFrameNenSyusi::fillHimokuFilter()
{
    if (!DatModSql || !DatMod || !DatMod->DataOpen)
        return;
    const int kind = tableKind(m_selTable);
    m_filling = true;
    if (kind == 1 || kind == 2)
        DatModSql->FillHimokuCombo(CmbBoxHimoku, kind, true, 0);
    else
        DatModSql->FillHimokuCombo(CmbBoxHimoku, 0, true, 0);
    SelectComboObject(CmbBoxHimoku, NenSyukeiData.HimokuCode);
    if (CmbBoxHimoku->currentIndex() < 0)
        CmbBoxHimoku->setCurrentIndex(0);
    m_filling = false;
}

void TFrameNenSyusi::fillItemFilters()
{
    if (!DatModSql || !DatMod || !DatMod->DataOpen)
        return;
    const int himoku = FilterComboCode(CmbBoxHimoku);
    if (himoku == m_itemFilterCode && CmbBoxHinmei->count() > 1)
        return;
    m_itemFilterCode = himoku;
    const int kind = tableKind(m_selTable);
    const int bunrui = kind == 1 || kind == 2 ? kind : 0;
    m_filling = true;
    DatModSql->FillHinmeiCombo(CmbBoxHinmei, bunrui, himoku, true);
    SelectComboObject(CmbBoxHinmei, NenSyukeiData.HinmeiCode);
    if (CmbBoxHinmei->currentIndex() < 0)
        CmbBoxHinmei->setCurrentIndex(0);
    DatModSql->FillShopCombo(CmbBoxShop, bunrui, himoku, true);
    SelectComboObject(CmbBoxShop, NenSyukeiData.ShopCode);
    if (CmbBoxShop->currentIndex() < 0)
        CmbBoxShop->setCurrentIndex(0);
    m_filling = false;
}

void TFrameNenSyusi::FilterChanged()
{
    // The item and shop lists follow the chosen category.
    fillItemFilters();
    StoreNenSyukeiFilters(CmbBoxHimoku, CmbBoxHinmei, CmbBoxShop, CmbBoxPerson, CmbBoxKouza);
    Recalculate(CurYear);
}

// ---- selection and detail --------------------------------------------------------

void TFrameNenSyusi::SelectTable(TCurrencyGrid *table)
{
    const int kind = tableKind(table);
    bool quantity = NenSyukeiData.Suryou;
    if (!quantity && kind != 0 && DataIni) {
        const QString section = kind == 1 ? u"Iri"_s : kind == 2 ? u"Deru"_s : u"Kouza"_s;
        quantity = DataIni->ReadOrWriteBool(section, u"UseQuantity"_s, false);
    }
    const bool kindChanged = tableKind(m_selTable) != kind || !m_selTable;
    PnlMeisai->SelectKind(kind, quantity, KouzaUseFlag);
    m_selTable = table;
    if (kindChanged)
        fillHimokuFilter();
}

void TFrameNenSyusi::SelectCell(TCurrencyGrid *table, int col, int row)
{
    if (table != m_selTable)
        SelectTable(table);
    if (table != SyusiHyou)
        SyusiHyou->setHotCell(col, 0);
    // Choosing a cell in one table clears the others' selection.
    for (TCurrencyGrid *other : tables())
        if (other != table)
            other->clearSelection();
    m_pendingTable = table;
    m_pendingCol = col;
    m_pendingRow = row;
    m_pendingDetail = true;
    // Besides the idle signal, a zero timer: the list follows once the events
    // already queued (a burst of clicks or arrow keys) are handled.
    QTimer::singleShot(0, this, &TFrameNenSyusi::IdleWork);
}

void TFrameNenSyusi::IdleWork()
{
    if (!m_pendingDetail)
        return;
    m_pendingDetail = false;
    if (m_pendingTable)
        ShowDetail(m_pendingTable, m_pendingCol, m_pendingRow);
}

void TFrameNenSyusi::ShowDetail(TCurrencyGrid *table, int col, int row)
{
    if (!table)
        return;
    // The title column names no period.
    if (row < 0 || row >= table->rowCount() || col < 1 || col >= table->colCount())
        return;
    m_selTable = table;
    m_selCol = col;
    m_selRow = row;
    const TNenSyukeiData &d = NenSyukeiData;
    const int tkind = tableKind(table);
    const int periodKind = tkind == 1 ? 1 : tkind == 2 ? 2 : 3;
    const int index = col == 1 ? d.ColCount : col - 1;

    // The balance row takes its period from the accounts' summary, which a
    // book without accounts leaves as an empty span.
    TNenSyukeiRec rec;
    int code = 0;
    if (table == SyusiHyou || row == 0) {
        d.GetSum(periodKind, rec);
    } else {
        const TNenSyukeiArray &rows = d.Rows(periodKind);
        if (row - 1 >= rows.size())
            return;
        rec = rows.at(row - 1);
        code = table->objects(0, row).toInt();
    }
    if (table == SyusiHyou && !d.Rows(3).isEmpty())
        rec = d.Rows(3).first();
    const QDate start = rec.Periods[index].StartDate;
    const QDate end = rec.Periods[index].EndDate;
    PnlMeisai->SetCaption(table->cells(0, row), start, end);
    m_detailStart = start;
    m_detailEnd = end;

    if (tkind == 0)
        return;
    if (!start.isValid() || !end.isValid() || start > end || !DatMod || !DatMod->DataOpen)
        return;
    TNenSyusiMeisaiRequest r;
    r.Kind = tkind;
    r.Code = code;
    r.StartDate = start;
    r.EndDate = end;
    r.IncludeReserved = IncludeReservedFlag;
    r.JyoukenOn = d.JyoukenOn;
    r.HimokuCode = d.HimokuCode;
    r.HinmeiCode = d.HinmeiCode;
    r.ShopCode = d.ShopCode;
    r.PersonCode = d.PersonCode;
    r.KouzaCode = d.KouzaCode;
    PnlMeisai->ShowLines(DatMod->MainDatabase, r);
}

// ---- warning ---------------------------------------------------------------------

void TFrameNenSyusi::WarnSyukeiMismatch()
{
    if (!RegIni || !DatMod || !DatMod->DataOpen)
        return;
    if (!RegIni->ReadOrWriteBool(Section, u"ShowSyukeiMessage"_s, true))
        return;
    if (IsUniformSime())
        return;
    if (MessageDlg(SyukeiMessage, MsgDlgType::Information, mbOKCancel) == mrCancel)
        RegIni->WriteBoolAndUpdate(Section, u"ShowSyukeiMessage"_s, false);
}

// ---- layout ----------------------------------------------------------------------

void TFrameNenSyusi::LoadLayout()
{
    m_loading = true;
    const QFontMetrics fm(SyusiHyou->font());
    const bool firstUse = !RegIni || !RegIni->valueExists(Section, u"DefaultRowHeight"_s);
    if (firstUse) {
        const int colWidth = fm.horizontalAdvance(u"123456789"_s);
        const int rowHeight = int(RoundHalfAway(fm.height() * 1.5));
        for (TCurrencyGrid *g : tables()) {
            g->model()->setDefaultColWidth(colWidth);
            g->model()->setDefaultRowHeight(rowHeight);
            g->model()->setColWidth(0, fm.horizontalAdvance(u"水道、光熱費費"_s));
            // Room for a sign and the separators as well.
            g->model()->setColWidth(1, fm.horizontalAdvance(u"12345678901"_s) + fm.horizontalAdvance(u"-,,"_s));
        }
        TMyDBGrid *grid = PnlMeisai->DbGridMeisai;
        const QFontMetrics dm(grid->font());
        QList<TMyDBGridColumn> cols = grid->columns();
        int panelWidth = 4;
        for (TMyDBGridColumn &c : cols) {
            const QString sample = c.fieldName == u"RECDATE"_s      ? u"99.29.22 (金)"_s
                                   : c.fieldName == u"HimokuName"_s ? u"水道、光熱費"_s
                                   : c.fieldName == u"Hinmei"_s     ? u"アイスクリーム缶詰あ"_s
                                   : c.fieldName == u"ShopName"_s   ? u"セブンイレブン"_s
                                   : c.fieldName == u"ParsonName"_s ? u"とうさん"_s
                                   : c.fieldName == u"KouzaName"_s  ? u"日本銀行"_s
                                   : c.fieldName == u"KINGAKU"_s    ? u"12,345,678"_s
                                                                    : u"12345"_s;
            c.width = dm.horizontalAdvance(sample) + (c.fieldName == u"KINGAKU"_s ? 0 : 3) + 8;
            if (c.fieldName == u"RECDATE"_s || c.fieldName == u"HimokuName"_s || c.fieldName == u"KINGAKU"_s ||
                c.fieldName == u"Hinmei"_s)
                panelWidth += c.width;
        }
        grid->setColumns(cols);
        m_detailWidth = panelWidth + 24;
    }
    {
        TMyDBGrid *grid = PnlMeisai->DbGridMeisai;
        QList<TMyDBGridColumn> cols = grid->columns();
        for (TMyDBGridColumn &c : cols)
            if (c.visible)
                c.width = readInt(u"Meisai"_s + c.fieldName, c.width);
        grid->setColumns(cols);
    }
    if (m_detailWidth <= 0)
        m_detailWidth = PnlMeisai->sizeHint().width();
    m_detailWidth = readInt(u"PnlMeisaiWidth"_s, m_detailWidth);

    // A grid's default column width applies to every column, so the widths of
    // the title and total columns follow it.
    CurrencyGridModel *s = SyusiHyou->model();
    const int colWidth = readInt(u"DefaultColWidth"_s, s->defaultColWidth());
    const int width0 = readInt(u"SyusiHyouColWidth0"_s, s->colWidth(0));
    const int width1 = readInt(u"SyusiHyouColWidth1"_s, s->colWidth(1));
    const int rowHeight = readInt(u"DefaultRowHeight"_s, s->defaultRowHeight());
    for (TCurrencyGrid *g : tables()) {
        g->model()->setDefaultRowHeight(rowHeight);
        g->model()->setDefaultColWidth(colWidth);
        g->model()->setColWidth(0, width0);
        g->model()->setColWidth(1, width1);
    }
    // The panel always starts on the right.
    PnlMeisai->setOnRight(true);
    Split->setOrientation(Qt::Horizontal);
    const int total = std::max(Split->width(), width());
    Split->setSizes({std::max(total - m_detailWidth, 100), m_detailWidth});
    m_loading = false;
}

void TFrameNenSyusi::saveTableLayout(TCurrencyGrid *changed)
{
    if (m_loading)
        return;
    CurrencyGridModel *src = changed->model();
    const int cols = src->colCount();
    for (TCurrencyGrid *g : tables()) {
        if (g == changed)
            continue;
        CurrencyGridModel *m = g->model();
        m->setDefaultColWidth(src->defaultColWidth());
        for (int c = 0; c < std::min(cols, m->colCount()); ++c)
            m->setColWidth(c, src->colWidth(c));
        m->setDefaultRowHeight(src->rowHeight(0));
    }
    ArrangeTables();
    // Every table spreads its own change, the account table too, and the
    // layout is stored from the balance row, which now holds the same sizes.
    CurrencyGridModel *s = SyusiHyou->model();
    writeInt(u"DefaultColWidth"_s, s->colCount() > 2 ? s->colWidth(2) : s->defaultColWidth());
    writeInt(u"SyusiHyouColWidth0"_s, s->colWidth(0));
    writeInt(u"SyusiHyouColWidth1"_s, s->colWidth(1));
    writeInt(u"DefaultRowHeight"_s, s->rowHeight(0));
}

void TFrameNenSyusi::saveDetailPanel()
{
    if (m_loading || !PnlMeisai->isVisible())
        return;
    if (PnlMeisai->onRight()) {
        m_detailWidth = PnlMeisai->width();
        writeInt(u"PnlMeisaiWidth"_s, m_detailWidth);
        writeInt(u"PnlMeisaiAlign"_s, 4);
    } else {
        m_detailHeight = PnlMeisai->height();
        writeInt(u"PnlMeisaiHeight"_s, m_detailHeight);
        writeInt(u"PnlMeisaiAlign"_s, 2);
    }
}

void TFrameNenSyusi::saveDetailColumns()
{
    if (m_loading)
        return;
    TMyDBGrid *grid = PnlMeisai->DbGridMeisai;
    for (int i = 0; i < grid->columnCount(); ++i) {
        const TMyDBGridColumn c = grid->column(i);
        if (c.visible && !c.fieldName.isEmpty())
            writeInt(u"Meisai"_s + c.fieldName, c.width);
    }
}

void TFrameNenSyusi::ToggleDetailPosition()
{
    const bool right = PnlMeisai->onRight();
    const int total = right ? Split->width() : Split->height();
    Split->setOrientation(right ? Qt::Horizontal : Qt::Vertical);
    // The first move to the bottom takes a fifth of the page's height.
    if (!right && m_detailHeight <= 0)
        m_detailHeight = std::max(total / 5, 120);
    const int size = right ? m_detailWidth : m_detailHeight;
    Split->setSizes({std::max(total - size, 50), size});
    saveDetailPanel();
}

void TFrameNenSyusi::ArrangeTables()
{
    const int available = PnlLeft->height();
    if (available <= 0)
        return;
    const int handle = PnlLeft->handleWidth();
    const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    auto full = [](TCurrencyGrid *g) {
        const CurrencyGridModel *m = g->model();
        int h = 2 * g->frameWidth();
        for (int r = 0; r < g->rowCount(); ++r)
            h += m->rowHeight(r) + m->gridLineWidth();
        return h;
    };
    const bool kouza = KouzaHyou->isVisibleTo(this);
    const int syusi = full(SyusiHyou);
    QList<TCurrencyGrid *> rest{IriHyou, DeruHyou};
    if (kouza)
        rest << KouzaHyou;
    int need = syusi + 2 * handle + scroll;
    for (TCurrencyGrid *g : rest)
        need += full(g);
    // The splitter keeps a pane no smaller than its least height: the balance
    // row's is its full height, the others' one row.
    SyusiHyou->setMinimumHeight(syusi);
    for (TCurrencyGrid *g : rest)
        g->setMinimumHeight(std::min(full(g), g->model()->defaultRowHeight() + 2 * g->frameWidth() + scroll));
    QList<int> sizes{syusi, 0, 0, 0};
    const int restRoom = std::max(available - syusi - 2 * handle - scroll, 0);
    if (need <= available) {
        sizes[1] = full(IriHyou);
        sizes[2] = full(DeruHyou);
        if (kouza)
            sizes[3] = std::max(available - syusi - sizes[1] - sizes[2] - 3 * handle, full(KouzaHyou) + scroll);
        else
            sizes[2] = std::max(available - syusi - sizes[1] - 2 * handle, sizes[2]);
    } else {
        // Shared in proportion to the row counts, the smallest table first.
        int rows = 0;
        for (TCurrencyGrid *g : rest)
            rows += g->rowCount();
        QList<TCurrencyGrid *> order = rest;
        std::sort(order.begin(), order.end(), [&](TCurrencyGrid *a, TCurrencyGrid *b) { return full(a) < full(b); });
        int left = restRoom;
        int leftRows = rows;
        for (int i = 0; i < order.size(); ++i) {
            TCurrencyGrid *g = order[i];
            int h = i + 1 == order.size() ? left
                                          : std::min(full(g), leftRows > 0 ? left * g->rowCount() / leftRows : 0);
            if (g == KouzaHyou && i + 1 < order.size())
                h += scroll;
            h = std::max(h, 0);
            sizes[int(tables().indexOf(g))] = h;
            left -= h;
            leftRows -= g->rowCount();
        }
    }
    PnlLeft->setSizes(sizes);
}

void TFrameNenSyusi::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    ArrangeTables();
}

bool TFrameNenSyusi::eventFilter(QObject *watched, QEvent *event)
{
    // Past the top of the year list (or with a typed year) the wheel steps the
    // year itself: down for the next year, up for the one before.
    if (watched == CmbBoxYear && event->type() == QEvent::Wheel && CmbBoxYear->currentIndex() <= 0) {
        const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
        if (delta != 0) {
            bool ok = false;
            int year = CmbBoxYear->currentText().trimmed().toInt(&ok);
            if (!ok)
                year = CurYear;
            year += delta < 0 ? 1 : -1;
            {
                const bool filling = m_filling;
                m_filling = true;
                CmbBoxYear->setCurrentIndex(-1);
                CmbBoxYear->setEditText(QString::number(year));
                m_filling = filling;
            }
            ChangeYear(year);
            return true;
        }
    }
    if (watched == PnlLeft && event->type() == QEvent::Resize) {
        auto *e = static_cast<QResizeEvent *>(event);
        if (e->size().height() != e->oldSize().height())
            ArrangeTables();
    }
    if (event->type() == QEvent::FocusIn)
        for (TCurrencyGrid *g : tables())
            if (watched == g)
                for (TCurrencyGrid *other : tables())
                    if (other != g)
                        other->clearSelection();
    return QFrame::eventFilter(watched, event);
}
