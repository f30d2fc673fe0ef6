#include "views/FrameKouzaSyukei.h"

#include <cmath>

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QMetaObject>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>

#include "controls/BevelLabel.h"
#include "controls/CurrencyGrid.h"
#include "controls/FrameBtn.h"
#include "controls/MySpeedButton.h"
#include "data/DatMod.h"
#include "data/DataUtils.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/MyMemIniFile.h"
#include "data/MyRegistryIniFile.h"
#include "data/SimeDate.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/IdleHook.h"
#include "platform/ui/WaitCursor.h"
#include "printing/ExcelExport.h"
#include "printing/PrintPreViewChart.h"
#include "views/ChartView.h"
#include "views/FormZandaka.h"
#include "views/KouzaRegisterDelegate.h"
#include "views/ReportPrints.h"
#include "views/TablePrints.h"

using namespace Qt::StringLiterals;

namespace {

const QString SettingsSection = u"FrameKouzaSyukei"_s;
const QString AllItems = u"すべて"_s;
const QString SimeMismatchText =
    u"締め日の設定により、月度集計モードでは集計表の額と、明細の額が必ずしも一致しません。\r暦月集計モードにしてください。"_s;

const QColor SisanFixed(200, 217, 254), SisanHot(164, 187, 255), SisanOdd(242, 244, 253);
const QColor FusaiFixed(255, 217, 217), FusaiHot(255, 191, 207), FusaiOdd(253, 248, 247);
const QColor HotSel(171, 219, 255), Sel(209, 228, 220);

TFrameBtn *makeButton(const QString &caption, QWidget *parent, int group = 0)
{
    auto *b = new TFrameBtn(parent);
    b->setText(caption);
    if (group)
        b->setGroupIndex(group);
    b->setMinimumSize(QSize(72, 26));
    return b;
}

TMySpeedButton *makeToggle(const QString &caption, QWidget *parent, int group)
{
    auto *b = new TFrameBtn(parent);
    b->setText(caption);
    b->setGroupIndex(group);
    b->setAllowAllUp(true);
    b->setMinimumSize(QSize(48, 26));
    return b;
}

QString dayText(int day)
{
    if (day == 0 || day == 31)
        return u"月末"_s;
    if (day == -1)
        return u"―"_s;
    return QString::number(day) + u"日"_s;
}

int readInt(const QString &key, int def)
{
    return RegIni ? RegIni->ReadOrWriteInteger(SettingsSection, key, def) : def;
}

void writeInt(const QString &key, int value)
{
    if (RegIni)
        RegIni->WriteIntegerAndUpdate(SettingsSection, key, value);
}

} // namespace

TFrameKouzaSyukei::TFrameKouzaSyukei(QWidget *parent) : QWidget(parent)
{
    Register = new TKouzaRegister(this);
    buildUi();
    connect(IdleHook::instance(), &IdleHook::idle, this, &TFrameKouzaSyukei::IdleWork);
}

TFrameKouzaSyukei::~TFrameKouzaSyukei() = default;

Database *TFrameKouzaSyukei::book() const
{
    if (DatMod && DatMod->DataOpen && DatMod->MainDatabase.isOpen())
        return &DatMod->MainDatabase;
    return nullptr;
}

// ---- the form ---------------------------------------------------------------

void TFrameKouzaSyukei::buildUi()
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(238, 235, 227));
    setPalette(pal);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    Split = new QSplitter(Qt::Horizontal, this);
    Split->setHandleWidth(3);
    outer->addWidget(Split);

    PnlLeft = new QWidget(Split);
    auto *left = new QVBoxLayout(PnlLeft);
    left->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QHBoxLayout;
    FrBtnGaiyo = makeButton(u"資産概要"_s, PnlLeft, 1);
    FrBtnSyusi = makeButton(u"収支概要"_s, PnlLeft, 1);
    FrBtnSyousai = makeButton(u"口座詳細"_s, PnlLeft, 1);
    for (TFrameBtn *b : {FrBtnGaiyo, FrBtnSyusi, FrBtnSyousai}) {
        b->setColor(QColor(216, 218, 233));
        bar->addWidget(b);
    }
    FrBtnGaiyo->SetDown(true);
    connect(FrBtnGaiyo, &QAbstractButton::clicked, this, [this] { SetView(0); });
    connect(FrBtnSyusi, &QAbstractButton::clicked, this, [this] { SetView(1); });
    connect(FrBtnSyousai, &QAbstractButton::clicked, this, [this] { SetView(2); });
    CmBoxGetudo = new QComboBox(PnlLeft);
    CmBoxGetudo->addItems({u"暦月集計"_s, u"月度集計"_s});
    CmBoxGetudo->setCurrentIndex(1);
    bar->addWidget(CmBoxGetudo);
    FrBtnJyouken = makeButton(u"条件集計"_s, PnlLeft, 3);
    FrBtnJyouken->setAllowAllUp(true);
    bar->addWidget(FrBtnJyouken);
    bar->addStretch(1);
    ActZanTyousei = new QAction(u"残高調整"_s, this);
    FrBtnZandaka = makeButton(u"残高調整"_s, PnlLeft);
    bar->addWidget(FrBtnZandaka);
    connect(FrBtnZandaka, &QAbstractButton::clicked, ActZanTyousei, &QAction::trigger);
    connect(ActZanTyousei, &QAction::triggered, this, &TFrameKouzaSyukei::OpenZandaka);
    connect(ActZanTyousei, &QAction::changed, this, [this] { FrBtnZandaka->setEnabled(ActZanTyousei->isEnabled()); });
    // The account settings live in the settings dialog, which does not exist
    // yet: the button stays hidden until it does.
    ShpBtnSettei = makeButton(u"口座設定"_s, PnlLeft);
    ShpBtnSettei->hide();
    bar->addWidget(ShpBtnSettei);
    SpBtnReserve = makeToggle(u"予約"_s, PnlLeft, 4);
    bar->addWidget(SpBtnReserve);
    left->addLayout(bar);

    PnlBarJyouken = new QWidget(PnlLeft);
    auto *cond = new QHBoxLayout(PnlBarJyouken);
    cond->setContentsMargins(0, 0, 0, 0);
    cond->addWidget(new QLabel(u"条件付き集計"_s, PnlBarJyouken));
    auto combo = [this, cond](const QString &label) {
        cond->addWidget(new QLabel(label, PnlBarJyouken));
        auto *c = new QComboBox(PnlBarJyouken);
        c->setEditable(true);
        c->setMinimumWidth(110);
        c->addItem(AllItems);
        cond->addWidget(c);
        return c;
    };
    CmbBoxHinmei = combo(u"品名"_s);
    CmbBoxShop = combo(u"店名"_s);
    CmbBoxPerson = combo(u"使用者"_s);
    FrBtnReCalc = makeButton(u"再集計"_s, PnlBarJyouken);
    cond->addWidget(FrBtnReCalc);
    cond->addStretch(1);
    PnlBarJyouken->hide();
    left->addWidget(PnlBarJyouken);

    LeftStack = new QStackedWidget(PnlLeft);
    left->addWidget(LeftStack, 1);

    // The overviews.
    PnlGaiyo = new QWidget(LeftStack);
    auto *g = new QVBoxLayout(PnlGaiyo);
    g->setContentsMargins(0, 0, 0, 0);
    auto *dates = new QHBoxLayout;
    RBtnGaiyoSyukeiBi = new QRadioButton(u"集計日"_s, PnlGaiyo);
    RBtnAllData = new QRadioButton(u"入力済み全データ"_s, PnlGaiyo);
    RBtnGaiyoSyukeiBi->setChecked(true);
    DTPGaiyoSimeBi = new QDateEdit(QDate::currentDate(), PnlGaiyo);
    DTPGaiyoSimeBi->setCalendarPopup(true);
    DTPGaiyoSimeBi->setDisplayFormat(u"yyyy/MM/dd"_s);
    dates->addWidget(RBtnGaiyoSyukeiBi);
    dates->addWidget(DTPGaiyoSimeBi);
    dates->addWidget(RBtnAllData);
    dates->addStretch(1);
    g->addLayout(dates);
    FrBtnAllGaku = makeButton(u"全財産合計"_s, PnlGaiyo, 5);
    FrBtnAllGaku->setAllowAllUp(true);
    FrBtnAllGaku->setMinimumWidth(260);
    auto *allRow = new QHBoxLayout;
    allRow->addStretch(1);
    allRow->addWidget(FrBtnAllGaku);
    allRow->addStretch(1);
    g->addLayout(allRow);
    auto *tables = new QHBoxLayout;
    auto makeTable = [this](const QString &name, const QColor &fixed, const QColor &hot, const QColor &odd) {
        auto *t = new TCurrencyGrid(PnlGaiyo);
        t->setObjectName(name);
        t->setToolTip(u"表をクリックすると明細が右に表示されます。"_s);
        t->model()->setAllowEdit(false);
        t->model()->setCursorNoEdit(true);
        t->model()->setFixedColor(fixed);
        t->setHotTrackColor(hot);
        t->model()->setRowOddColor(odd);
        t->model()->setRowEvenColor(Qt::white);
        t->model()->setHotSelColor(HotSel);
        t->model()->setSelColor(Sel);
        t->model()->setSize(2, 3);
        t->setFixedRows(2);
        t->setFixedCols(1);
        t->model()->setNoSelectRows(2);
        t->model()->setNoSelectCols(1);
        return t;
    };
    HyouSisan = makeTable(u"HyouSisan"_s, SisanFixed, SisanHot, SisanOdd);
    HyouFusai = makeTable(u"HyouFusai"_s, FusaiFixed, FusaiHot, FusaiOdd);
    for (TCurrencyGrid *t : {HyouSisan, HyouFusai}) {
        t->model()->onSelectCell = [this, t](int col, int row, bool &canSelect) {
            if (!m_loading)
                SelectOverviewCell(t, col, row);
        };
        t->model()->onFixSelect = [this, t](int col, int row, bool &) {
            if (!m_loading)
                SelectOverviewCell(t, col, row);
        };
        tables->addWidget(t, 1);
    }
    g->addLayout(tables, 1);
    LeftStack->addWidget(PnlGaiyo);

    // The account detail.
    ClrTabCntHyou = new QWidget(LeftStack);
    auto *d = new QVBoxLayout(ClrTabCntHyou);
    d->setContentsMargins(0, 0, 0, 0);
    TabHyou = new QTabBar(ClrTabCntHyou);
    TabHyou->setExpanding(false);
    d->addWidget(TabHyou);
    auto *head = new QHBoxLayout;
    CmbYear = new QComboBox(ClrTabCntHyou);
    CmbYear->setEditable(true);
    LbNendo = new QLabel(u"年度"_s, ClrTabCntHyou);
    CmbMonth = new QComboBox(ClrTabCntHyou);
    LbGetu = new QLabel(u"月分"_s, ClrTabCntHyou);
    LbSyukei = new QLabel(u"検索"_s, ClrTabCntHyou);
    DTPDateSearch = new QDateEdit(QDate::currentDate(), ClrTabCntHyou);
    DTPDateSearch->setCalendarPopup(true);
    DTPDateSearch->setDisplayFormat(u"yyyy/MM/dd"_s);
    for (QWidget *w : std::initializer_list<QWidget *>{CmbYear, LbNendo, CmbMonth, LbGetu, LbSyukei, DTPDateSearch})
        head->addWidget(w);
    head->addStretch(1);
    d->addLayout(head);
    HyouSyousai = new TCurrencyGrid(ClrTabCntHyou);
    HyouSyousai->setObjectName(u"HyouSyousai"_s);
    HyouSyousai->model()->setAllowEdit(false);
    HyouSyousai->model()->setCursorNoEdit(true);
    HyouSyousai->model()->setHotSelColor(HotSel);
    HyouSyousai->model()->setSelColor(Sel);
    HyouSyousai->model()->setSize(2, 10);
    HyouSyousai->setFixedRows(1);
    HyouSyousai->setFixedCols(1);
    HyouSyousai->model()->onSelectCell = [this](int col, int, bool &) {
        if (!m_loading)
            SelectDetailColumn(col);
    };
    d->addWidget(HyouSyousai, 1);
    LeftStack->addWidget(ClrTabCntHyou);

    Split->addWidget(PnlLeft);
    PnlMeisai = buildRegisterPanel();
    Split->addWidget(PnlMeisai);
    Split->setStretchFactor(0, 1);
    Split->setStretchFactor(1, 1);

    // Reactions of the left half.
    connect(CmBoxGetudo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_loading)
            return;
        if (index == 1 && RegisterKind == 6 && !Data.SameIriDeruSime) {
            MessageDlg(SimeMismatchText, MsgDlgType::Information, mbOK);
            QSignalBlocker block(CmBoxGetudo);
            CmBoxGetudo->setCurrentIndex(0);
            return;
        }
        Data.GetudoMode = index == 1;
        Recalculate(false);
    });
    connect(FrBtnJyouken, &TMySpeedButton::downChanged, this, [this](bool down) {
        const bool hadConditions = !Data.ConditionSql.isEmpty();
        PnlBarJyouken->setVisible(down);
        if (down)
            fillConditionCombos();
        if (hadConditions && !down)
            Recalculate(false);
    });
    connect(FrBtnReCalc, &QAbstractButton::clicked, this, [this] { Recalculate(false); });
    connect(SpBtnReserve, &TMySpeedButton::downChanged, this, [this](bool down) {
        if (m_loading)
            return;
        IncludeReservedFlag = down;
        if (DataIni)
            DataIni->WriteBoolAndUpdate(u"State"_s, u"IncludeReseved"_s, down);
        Recalculate(false);
    });
    connect(DTPGaiyoSimeBi, &QDateEdit::dateChanged, this, [this](const QDate &date) {
        if (m_loading)
            return;
        DateInPeriod = Register->IsOpen() && RegisterStart <= date && date <= RegisterEnd;
        RecalcPending = true;
        LocatePending = DateInPeriod;
        schedule();
    });
    auto radio = [this] {
        if (m_loading)
            return;
        AllDataSelected = RBtnAllData->isChecked();
        DTPGaiyoSimeBi->setEnabled(!AllDataSelected);
        Recalculate(false);
        if (AllDataSelected)
            CloseRegister();
        updateZandakaAction();
    };
    connect(RBtnGaiyoSyukeiBi, &QRadioButton::toggled, this, [radio](bool on) {
        if (on)
            radio();
    });
    connect(RBtnAllData, &QRadioButton::toggled, this, [radio](bool on) {
        if (on)
            radio();
    });
    connect(FrBtnAllGaku, &QAbstractButton::clicked, this, [this] {
        if (View == 1 && Data.GetudoMode && !Data.SameIriDeruSime) {
            MessageDlg(SimeMismatchText, MsgDlgType::Information, mbOK);
            FrBtnAllGaku->SetDown(false);
            return;
        }
        FrBtnAllGaku->SetDown(true);
        ShowZenbuRegister(View == 0 ? 3 : 6, true);
    });
    auto yearMonth = [this] {
        if (!m_yearMonthReady || m_loading)
            return;
        LocatePending = true;
        RecalcPending = true;
        schedule();
        SelectFirst = false;
    };
    connect(CmbYear, &QComboBox::currentTextChanged, this, yearMonth);
    connect(CmbMonth, &QComboBox::currentIndexChanged, this, yearMonth);
    connect(DTPDateSearch, &QDateEdit::dateChanged, this, [this, yearMonth](const QDate &date) {
        if (m_loading)
            return;
        if (Data.GetudoMode) {
            LocatePending = true;
            schedule();
            return;
        }
        Data.SearchDate = date;
        // Without an account register there is no account to ask; the year
        // and month stay as they are.
        if (RegisterCode < 0 || !book())
            return;
        int nendo = 0, month = 0, closing = 0, shift = 0, days = 0;
        QDate s, e;
        FindHimokuSimeMonth(*book(), RegisterCode, CurSimeTuki, CurShiftNendo, date, nendo, month, closing, shift,
                            days, s, e);
        if (nendo == 0)
            return;
        QSignalBlocker b1(CmbYear), b2(CmbMonth);
        CmbYear->setCurrentText(QString::number(nendo));
        const int at = CmbMonth->findData(month);
        if (at >= 0)
            CmbMonth->setCurrentIndex(at);
        yearMonth();
    });
    connect(TabHyou, &QTabBar::currentChanged, this, [this] {
        if (m_loading || View != 2)
            return;
        fillDetail();
        if (HyouSyousai->colCount() > 1 && HyouSyousai->objects(1, 0).toInt() >= 0) {
            HyouSyousai->selectCellAt(1, 3);
            SelectDetailColumn(1);
        } else {
            CloseRegister();
        }
    });
}

QWidget *TFrameKouzaSyukei::buildRegisterPanel()
{
    auto *panel = new QWidget(Split);
    auto *v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    auto *titles = new QHBoxLayout;
    LbKouzaName = new QLabel(panel);
    QFont titleFont = LbKouzaName->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    LbKouzaName->setFont(titleFont);
    LbGetudo = new QLabel(panel);
    titles->addWidget(LbKouzaName);
    titles->addWidget(LbGetudo);
    titles->addStretch(1);
    v->addLayout(titles);
    auto *top = new QHBoxLayout;
    top->addStretch(1);
    FrBtnGekkan = makeButton(u"月間"_s, panel, 6);
    FrBtnNenkan = makeButton(u"年間"_s, panel, 6);
    FrBtnGekkan->SetDown(true);
    FrBtnEdit = makeButton(u"ジャンプ"_s, panel);
    FrBtnEdit->setEnabled(false);
    // 印刷 holds the table, register and chart prints and the spreadsheet exports of the tables and of the register.
    FrBtnPrint = makeButton(u"印刷"_s, panel);
    FrBtnPrint->setObjectName(u"FrBtnPrint"_s);
    auto *printMenu = new QMenu(FrBtnPrint);
    // 表を印刷 prints the detail table in the detail view and the balance sheet
    // in the overviews; the split print belongs to the detail view only.
    QAction *hyouPrint = printMenu->addAction(u"表を印刷"_s);
    hyouPrint->setObjectName(u"MenuPrintHyou"_s);
    connect(hyouPrint, &QAction::triggered, this, [this] {
        if (View == 2)
            ShowTablePrint(NewKouzaSyukeiHyouPreview(this, false));
        else
            PrintSisanGaiyoReport(this);
    });
    QAction *hyouPart = printMenu->addAction(u"表を印刷(2分割)"_s);
    hyouPart->setObjectName(u"MenuPrintHyou2Part"_s);
    connect(hyouPart, &QAction::triggered, this, [this] { ShowTablePrint(NewKouzaSyukeiHyouPreview(this, true)); });
    QAction *meisaiPrint = printMenu->addAction(u"明細を印刷"_s);
    meisaiPrint->setObjectName(u"MenuPrintMeisai"_s);
    connect(meisaiPrint, &QAction::triggered, this, [this] { PrintTutyoReport(this); });
    QAction *chartPrint = printMenu->addAction(u"グラフを印刷"_s);
    chartPrint->setObjectName(u"MenuPrintChart"_s);
    connect(chartPrint, &QAction::triggered, this, [this] { PrintChart(this, NenkanChart); });
    QAction *hyouExcel = printMenu->addAction(u"表をエクセルへ"_s);
    hyouExcel->setObjectName(u"MenuPrintHyouExcel"_s);
    connect(hyouExcel, &QAction::triggered, this, [this] { ExportTables(); });
    QAction *meisaiExcel = printMenu->addAction(u"明細をエクセルへ"_s);
    meisaiExcel->setObjectName(u"MenuPrintMeisaiExcel"_s);
    connect(meisaiExcel, &QAction::triggered, this, [this] { ExportRegister(); });
    connect(FrBtnPrint, &QAbstractButton::clicked, this,
            [this, printMenu, hyouPart] {
                hyouPart->setVisible(View == 2);
                printMenu->popup(FrBtnPrint->mapToGlobal(QPoint(0, FrBtnPrint->height()))); });
    MySpBtnChart = makeToggle(u"グラフ"_s, panel, 7);
    SpBtnMeisaiPnl = makeToggle(u"↓"_s, panel, 8);
    for (QWidget *w : std::initializer_list<QWidget *>{FrBtnGekkan, FrBtnNenkan, MySpBtnChart, FrBtnEdit, FrBtnPrint,
                                                       SpBtnMeisaiPnl})
        top->addWidget(w);
    v->addLayout(top);

    Splitter1 = new QSplitter(Qt::Vertical, panel);
    auto *gridPart = new QWidget(Splitter1);
    auto *gv = new QVBoxLayout(gridPart);
    gv->setContentsMargins(0, 0, 0, 0);
    DBGridMeisai = new QTableView(gridPart);
    DBGridMeisai->setObjectName(u"DBGridMeisai"_s);
    DBGridMeisai->setModel(Register);
    DBGridMeisai->setItemDelegate(new TKouzaRegisterDelegate(Register, DBGridMeisai));
    DBGridMeisai->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridMeisai->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGridMeisai->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridMeisai->verticalHeader()->hide();
    DBGridMeisai->verticalHeader()->setDefaultSectionSize(DBGridMeisai->fontMetrics().height() + 6);
    DBGridMeisai->setAlternatingRowColors(false);
    gv->addWidget(DBGridMeisai, 1);

    PnlKingaku = new QWidget(gridPart);
    auto *k = new QHBoxLayout(PnlKingaku);
    k->setContentsMargins(0, 2, 0, 2);
    auto box = [this, k](QLabel *label) {
        k->addWidget(label);
        auto *b = new TBevelLabel(PnlKingaku);
        b->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        b->setMinimumWidth(90);
        k->addWidget(b);
        return b;
    };
    BvlbKuriGaku = box(new QLabel(u"繰越残高"_s, PnlKingaku));
    LbKari = new QLabel(u"入金"_s, PnlKingaku);
    BvlbIriGaku = box(LbKari);
    LbKasi = new QLabel(u"出金"_s, PnlKingaku);
    BvlbDeruGaku = box(LbKasi);
    BvlbSaGaku = box(new QLabel(u"差額"_s, PnlKingaku));
    BvlbZanGaku = box(new QLabel(u"残額"_s, PnlKingaku));
    gv->addWidget(PnlKingaku);
    Splitter1->addWidget(gridPart);

    PnlChart = new QWidget(Splitter1);
    auto *cv = new QVBoxLayout(PnlChart);
    cv->setContentsMargins(0, 0, 0, 0);
    auto *chart = new QChart;
    chart->setBackgroundBrush(QColor(251, 249, 240));
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    Series1 = new QLineSeries(chart);
    Series1->setName(u"残高"_s);
    Series2 = new QLineSeries(chart);
    chart->addSeries(Series1);
    chart->addSeries(Series2);
    AxisX = new QDateTimeAxis(chart);
    AxisX->setFormat(u"yy/M/d"_s);
    AxisX->setTickCount(6);
    AxisY = new QValueAxis(chart);
    AxisY->setLabelFormat(u"%.0f"_s);
    chart->addAxis(AxisX, Qt::AlignBottom);
    chart->addAxis(AxisY, Qt::AlignLeft);
    for (QLineSeries *s : {Series1, Series2}) {
        s->attachAxis(AxisX);
        s->attachAxis(AxisY);
    }
    Series2->setPen(QPen(QColor(200, 60, 60), 1, Qt::DashLine));
    DateLineLabel = new QGraphicsSimpleTextItem(chart);
    NenkanChart = new TChartView(chart, PnlChart);
    NenkanChart->setObjectName(u"NenkanChart"_s);
    NenkanChart->setMinimumHeight(120);
    cv->addWidget(NenkanChart, 1);
    MySpBtnYFix = NenkanChart->MySpBtnYFix;
    MySpBtnYFix->show();
    Splitter1->addWidget(PnlChart);
    Splitter1->setStretchFactor(0, 3);
    Splitter1->setStretchFactor(1, 2);
    v->addWidget(Splitter1, 1);

    connect(FrBtnGekkan, &QAbstractButton::clicked, this, [this] {
        MonthlyRegister = true;
        afterRecalcRegister();
    });
    connect(FrBtnNenkan, &QAbstractButton::clicked, this, [this] {
        MonthlyRegister = false;
        afterRecalcRegister();
    });
    connect(FrBtnEdit, &QAbstractButton::clicked, this, &TFrameKouzaSyukei::JumpToLine);
    connect(MySpBtnChart, &TMySpeedButton::downChanged, this, [this](bool down) {
        PnlChart->setVisible(down);
        if (!m_loading && RegIni)
            RegIni->WriteBoolAndUpdate(SettingsSection, u"ChartShow"_s, down);
        registerRowChanged();
    });
    connect(MySpBtnYFix, &TMySpeedButton::downChanged, this, [this] { DrawBalanceChart(); });
    connect(SpBtnMeisaiPnl, &TMySpeedButton::downChanged, this, [this](bool down) {
        // The register below the tables or beside them.
        Split->setOrientation(down ? Qt::Vertical : Qt::Horizontal);
        SpBtnMeisaiPnl->setText(down ? u"↑"_s : u"↓"_s);
        if (!m_loading)
            writeInt(u"PnlMeisaiAlign"_s, down ? 2 : 5);
    });
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] {
        if (!m_loading)
            writeInt(u"ChartHeight"_s, PnlChart->height());
    });
    connect(Split, &QSplitter::splitterMoved, this, [this] {
        if (m_loading)
            return;
        if (Split->orientation() == Qt::Horizontal)
            writeInt(u"PnlLeftWidth"_s, PnlLeft->width());
        else
            writeInt(u"PnlMeisaiHeight"_s, PnlMeisai->height());
    });
    connect(Series1, &QLineSeries::clicked, this, &TFrameKouzaSyukei::chartClicked);
    connect(DBGridMeisai->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_loading)
            saveRegisterColumns();
    });
    return panel;
}

// ---- page interface -----------------------------------------------------------

void TFrameKouzaSyukei::InitPage()
{
    setProperty("helpContext", 10087);
    FrBtnZandaka->setProperty("helpContext", 10088);
    CmbYear->clear();
    const int thisYear = QDate::currentDate().year();
    for (int y = thisYear - 8; y <= thisYear + 5; ++y)
        CmbYear->addItem(QString::number(y), y);
    CmbMonth->clear();
    for (int i = 0; i < 12; ++i) {
        const int m = (CurSimeTuki % 12) + 1 + i;
        const int month = (m - 1) % 12 + 1;
        CmbMonth->addItem(QString::number(month), month);
    }
    CmbYear->setCurrentText(QString::number(Data.Nendo));
    CmbMonth->setCurrentIndex(qMax(0, CmbMonth->findData(Data.Getudo)));
    loadLayout();
    m_loading = false;
    RefreshPage();
}

void TFrameKouzaSyukei::loadLayout()
{
    const QFontMetrics fm(DBGridMeisai->font());
    const char *const samples[TKouzaRegister::ColumnCount] = {"99.29.22 (金)", "水道、光熱費", "水道、光熱費",
                                                              "アイスクリーム缶詰あ", "税", "12,345,678",
                                                              "12,345,678", "9,012,345,678", "セブンイレブン",
                                                              "共同社"};
    for (int c = 0; c < TKouzaRegister::ColumnCount; ++c) {
        const int def = fm.horizontalAdvance(QString::fromUtf8(samples[c])) + 8;
        DBGridMeisai->setColumnWidth(
            c, readInt(u"Tutyou"_s + QString::fromLatin1(TKouzaRegister::FieldNames[c]), def));
    }
    const bool chart = RegIni ? RegIni->ReadOrWriteBool(SettingsSection, u"ChartShow"_s, true) : true;
    MySpBtnChart->SetDown(chart);
    PnlChart->setVisible(chart);
    const int total = qMax(600, width());
    const int leftWidth = readInt(u"PnlLeftWidth"_s, total / 2);
    Split->setSizes({leftWidth, qMax(200, total - leftWidth)});
    const int chartHeight = readInt(u"ChartHeight"_s, 220);
    Splitter1->setSizes({qMax(200, height() - chartHeight), chartHeight});
}

void TFrameKouzaSyukei::saveRegisterColumns()
{
    for (int c = 0; c < TKouzaRegister::ColumnCount; ++c)
        if (!DBGridMeisai->isColumnHidden(c))
            writeInt(u"Tutyou"_s + QString::fromLatin1(TKouzaRegister::FieldNames[c]), DBGridMeisai->columnWidth(c));
}

void TFrameKouzaSyukei::RefreshPage()
{
    m_loading = true;
    IncludeReservedFlag = DataIni ? DataIni->ReadOrWriteBool(u"State"_s, u"IncludeReseved"_s, false)
                                  : IncludeReservedFlag;
    SpBtnReserve->SetDown(IncludeReservedFlag);
    if (Database *db = book()) {
        try {
            Register->LoadNames(*db);
        } catch (const EDatabaseError &e) {
            MessageDlg(u"名前の一覧を読めませんでした。\r"_s + e.message(), MsgDlgType::Error, mbOK);
        }
    }
    if (PnlBarJyouken->isVisible())
        fillConditionCombos();
    fillDetailTabs();
    m_loading = false;
    m_yearMonthReady = true;
    Recalculate(SelectFirst);
    // Later recomputations (after an adjustment, a date change) keep what
    // the user picked.
    SelectFirst = false;
}

bool TFrameKouzaSyukei::LeavePage()
{
    CloseRegister();
    return true;
}

void TFrameKouzaSyukei::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
}

void TFrameKouzaSyukei::fillDetailTabs()
{
    const QSignalBlocker block(TabHyou);
    const int old = TabHyou->currentIndex() >= 0 ? TabHyou->tabData(TabHyou->currentIndex()).toInt() : 0;
    while (TabHyou->count())
        TabHyou->removeTab(0);
    TabHyou->addTab(u"全部"_s);
    TabHyou->setTabData(0, 0);
    QList<int> kinds;
    for (const THimokuData &h : KouzaHimokuArray)
        if (!kinds.contains(h.Bu2))
            kinds << h.Bu2;
    for (int kind : kinds) {
        const int at = TabHyou->addTab(Bunrui2Table[size_t(kind)].name.toString());
        TabHyou->setTabData(at, kind);
    }
    int select = 0;
    for (int i = 0; i < TabHyou->count(); ++i)
        if (TabHyou->tabData(i).toInt() == old)
            select = i;
    TabHyou->setCurrentIndex(select);
    // The bar was laid out empty while its page was hidden; give it the
    // height of its tabs.
    TabHyou->setFixedHeight(TabHyou->sizeHint().height());
}

void TFrameKouzaSyukei::fillConditionCombos()
{
    Database *db = book();
    if (!db)
        return;
    auto fill = [db](QComboBox *c, const QString &sql) {
        const QString keep = c->currentText();
        const QSignalBlocker block(c);
        c->clear();
        c->addItem(AllItems);
        Statement st(*db, sql);
        while (st.next())
            c->addItem(st.textValue(0));
        c->setCurrentText(keep.isEmpty() ? AllItems : keep);
    };
    try {
        fill(CmbBoxHinmei, u"SELECT NAME FROM HinmeiMast WHERE CODE > 100 ORDER BY NAME"_s);
        fill(CmbBoxShop, u"SELECT NAME FROM ShopMast WHERE CODE > 100 ORDER BY NAME"_s);
        fill(CmbBoxPerson, u"SELECT NAME FROM Person WHERE CODE > 100 ORDER BY NAME"_s);
    } catch (const EDatabaseError &e) {
        MessageDlg(u"条件の一覧を読めませんでした。\r"_s + e.message(), MsgDlgType::Error, mbOK);
    }
}

QString TFrameKouzaSyukei::buildConditionSql()
{
    if (!PnlBarJyouken->isVisible() || !DatMod)
        return QString();
    QStringList parts;
    auto part = [&parts](QComboBox *c, Table *table, const QString &column) {
        const QString text = c->currentText().trimmed();
        if (text.isEmpty() || text == AllItems || !table)
            return;
        parts << u"(%1 = %2)"_s.arg(column).arg(GetOrAddMasterCode(*table, text));
    };
    part(CmbBoxHinmei, DatMod->HinmeiMstTbl2, u"HINMEICODE"_s);
    part(CmbBoxShop, DatMod->ShopMstTbl2, u"SHOPCODE"_s);
    part(CmbBoxPerson, DatMod->PersonTbl2, u"PERSONCODE"_s);
    return parts.join(u" AND "_s);
}

// ---- computation ----------------------------------------------------------------

bool TFrameKouzaSyukei::recalcData()
{
    Database *db = book();
    if (!db)
        return false;
    LbNendo->setText(Data.GetudoMode ? u"年度"_s : u"年"_s);
    LbGetu->setText(Data.GetudoMode ? u"月分"_s : u"月"_s);
    LbSyukei->setText(Data.GetudoMode ? u"検索"_s : u"集計日"_s);
    Data.View = View;
    Data.RegisterKind = RegisterKind;
    Data.GaiyoDate = DTPGaiyoSimeBi->date();
    Data.SearchDate = DTPDateSearch->date();
    Data.IncludeReserved = IncludeReservedFlag;
    if (View != 2) {
        Data.SameIriDeruSime = IsSameIriDeruSime();
    } else {
        bool ok = false;
        const int year = CmbYear->currentText().toInt(&ok);
        if (!ok) {
            MessageDlg(u"年の指定が正しくありません。"_s, MsgDlgType::Error, mbOK);
            return false;
        }
        Data.Nendo = year;
        Data.Getudo = CmbMonth->currentData().toInt();
    }
    WaitCursor wait;
    try {
        Data.ConditionSql = buildConditionSql();
        Data.Recalculate(*db);
    } catch (const EDatabaseError &e) {
        MessageDlg(u"残高を集計できませんでした。\r"_s + e.message(), MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}

void TFrameKouzaSyukei::Recalculate(bool selectFirst)
{
    if (!recalcData())
        return;
    m_loading = true;
    if (View == 2)
        fillDetail();
    else
        fillOverview();
    m_loading = false;
    updateZandakaAction();

    if (selectFirst || !m_filled) {
        m_filled = true;
        if (View == 2) {
            HyouSyousai->setFocus();
            if (HyouSyousai->colCount() > 1 && HyouSyousai->objects(1, 0).toInt() >= 0) {
                HyouSyousai->selectCellAt(1, 3);
                SelectDetailColumn(1);
            } else {
                CloseRegister();
            }
        } else {
            HyouSisan->setFocus();
            HyouFusai->clearSelection();
            const int row = HyouSisan->fixedRows();
            if (HyouSisan->rowCount() > row) {
                HyouSisan->selectCellAt(1, row);
                SelectOverviewCell(HyouSisan, 1, row);
            }
        }
    } else if (!DateInPeriod) {
        afterRecalcRegister();
    }
    DateInPeriod = false;
    RecalcPending = false;
}

// Rebuilds the open register after a recomputation, by its kind.
void TFrameKouzaSyukei::afterRecalcRegister()
{
    if (View == 2) {
        if (KouzaIndex >= 0)
            ShowKouzaRegister(1, KouzaIndex, true);
        return;
    }
    switch (RegisterKind) {
    case 0: ShowBunruiRegister(BunruiIndex, true); break;
    case 1:
    case 5: ShowKouzaRegister(RegisterKind, KouzaIndex, true); break;
    case 2:
    case 4: ShowBu1Register(RegisterKind, RegisterMajorClass, true); break;
    case 3:
    case 6: ShowZenbuRegister(RegisterKind, true); break;
    default: break;
    }
}

void TFrameKouzaSyukei::fillOverview()
{
    Currency left, right;
    fillOverviewTable(HyouSisan, SisanCells, View == 0, left);
    fillOverviewTable(HyouFusai, FusaiCells, View != 0, right);
    HyouSisan->setCells(0, 0, View == 0 ? u"資産"_s : u"収入"_s);
    HyouFusai->setCells(0, 0, View == 0 ? u"負債"_s : u"支出"_s);
    FrBtnAllGaku->setText((View == 0 ? u"全財産合計　"_s : u"年度内収支　"_s) + KingakuToStr(left - right) + u" 円"_s);
}

void TFrameKouzaSyukei::fillOverviewTable(TCurrencyGrid *grid, TCellInfoArray &cells, bool side, Currency &total)
{
    const bool assets = View == 0;
    int classes = 0;
    for (const TBunruiInfo &c : Data.Classes)
        if (c.Karigata == side && c.Count > 0)
            ++classes;
    int items = 0;
    for (const TKouzaData &k : Data.Items)
        if (k.Karigata == side)
            ++items;
    classes = qMax(classes, 1);
    items = qMax(items, 1);
    const int fixedRows = 2;
    const int rows = fixedRows + (assets ? classes + items : items);
    grid->setStopDrawCell(true);
    grid->model()->setSize(2, rows);
    grid->clearAll();
    cells.clear();
    cells.resize(rows - fixedRows);
    const bool onDate = RBtnGaiyoSyukeiBi->isChecked();
    int row = fixedRows;
    total = Currency();
    for (int ci = 0; ci < Data.Classes.size(); ++ci) {
        const TBunruiInfo &c = Data.Classes[ci];
        if (c.Karigata != side || c.Count == 0)
            continue;
        if (assets) {
            grid->setCells(0, row, c.Name);
            grid->setCellAlignment(0, row, CellAlignment::taLeftJustify);
            grid->setValue(1, row, onDate ? c.GaiyoZan : c.ZenbuZan);
            cells[row - fixedRows] = {0, ci};
            ++row;
        }
        for (int ii = 0; ii < Data.Items.size(); ++ii) {
            const TKouzaData &k = Data.Items[ii];
            if (k.Bunrui != c.Bunrui)
                continue;
            grid->setCells(0, row, u"  "_s + k.Name);
            grid->setCellAlignment(0, row, CellAlignment::taLeftJustify);
            const Currency v = onDate ? k.GaiyoZan : k.ZenbuZan;
            grid->setValue(1, row, v);
            total += v;
            cells[row - fixedRows] = {uint8_t(assets ? 1 : 5), ii};
            ++row;
        }
    }
    // Rows reserved but unused stay empty; a click on one closes the register.
    for (int r = row; r < rows; ++r)
        cells[r - fixedRows] = {255, -1};
    grid->setCells(0, 1, u"合計"_s);
    grid->setCells(1, 0, u"合計"_s);
    grid->setValue(1, 1, total);
    for (auto [c, r] : {std::pair{0, 0}, std::pair{0, 1}, std::pair{1, 0}})
        grid->setCellAlignment(c, r, CellAlignment::taCenter);
    const QFontMetrics fm(grid->font());
    grid->model()->setColWidth(0, fm.horizontalAdvance(u"クレジット残高　　"_s));
    grid->model()->setColWidth(1, fm.horizontalAdvance(u"123,456,789,012"_s));
    grid->setStopDrawCell(false);
    grid->viewport()->update();
}

void TFrameKouzaSyukei::fillDetail()
{
    const bool getudo = Data.GetudoMode;
    const int kind = TabHyou->currentIndex() >= 0 ? TabHyou->tabData(TabHyou->currentIndex()).toInt() : 0;
    const int group = kind > 0 && kind < int(Bunrui2Table.size()) ? Bunrui2Table[size_t(kind)].group : 0;
    HyouSyousai->model()->setFixedColor(group == 1 ? QColor(255, 217, 217)
                                        : group == 2 ? QColor(200, 217, 254)
                                                     : QColor(188, 236, 215));
    QList<int> columns;
    for (int i = 0; i < Data.Items.size(); ++i)
        if (kind == 0 || Data.Items[i].Bu2 == kind)
            columns << i;
    HyouSyousai->setStopDrawCell(true);
    const int rows = 1 + (getudo ? 9 : 11);
    HyouSyousai->model()->setSize(qMax(2, 1 + int(columns.size())), rows);
    HyouSyousai->clearAll();
    if (columns.isEmpty()) {
        HyouSyousai->setObjects(1, 0, -1);
        HyouSyousai->setStopDrawCell(false);
        HyouSyousai->viewport()->update();
        return;
    }
    const bool loans = kind == 9;
    const QStringList titles{QString(),
                             u"締 め 日"_s,
                             u"振込み日"_s,
                             getudo ? u"前月度残高"_s : u"前月　残高"_s,
                             loans ? u"当月返済額"_s : u"当月入金額"_s,
                             loans ? u"当月借入額"_s : u"当月出金額"_s,
                             u"当月増減額"_s,
                             getudo ? u"月度末残高"_s : u"月末　残高"_s,
                             u"翌月以降"_s,
                             u"全　　部"_s,
                             u"集計日残高"_s,
                             u"集計日以降"_s};
    for (int r = 0; r < rows; ++r) {
        HyouSyousai->setCells(0, r, titles[r]);
        HyouSyousai->setCellAlignment(0, r, CellAlignment::taCenter);
    }
    for (int c = 0; c < columns.size(); ++c) {
        const int col = c + 1;
        const TKouzaData &k = Data.Items[columns[c]];
        HyouSyousai->setCells(col, 0, k.Name);
        HyouSyousai->setObjects(col, 0, columns[c]);
        HyouSyousai->setCells(col, 1, dayText(k.SimeBi));
        HyouSyousai->setCells(col, 2, k.Bu2 == 6 ? dayText(k.FurikomiBi) : u"―"_s);
        for (int r = 0; r < 3; ++r)
            HyouSyousai->setCellAlignment(col, r, CellAlignment::taCenter);
        HyouSyousai->setValue(col, 3, k.ZengetuZan);
        HyouSyousai->setValue(col, 4, k.NyukinGaku);
        HyouSyousai->setValue(col, 5, k.SyukkinGaku);
        HyouSyousai->setValue(col, 6, k.Karigata ? k.NyukinGaku - k.SyukkinGaku : k.SyukkinGaku - k.NyukinGaku);
        HyouSyousai->setValue(col, 7, k.GetumatuZan);
        HyouSyousai->setValue(col, 8, k.YokugetuGaku);
        HyouSyousai->setValue(col, 9, k.ZenbuZan);
        if (!getudo) {
            HyouSyousai->setValue(col, 10, k.KensakuZan);
            HyouSyousai->setValue(col, 11, k.ZenbuZan - k.KensakuZan);
        }
    }
    const QFontMetrics fm(HyouSyousai->font());
    HyouSyousai->model()->setColWidth(0, fm.horizontalAdvance(u"クレジット残高"_s) + 8);
    for (int c = 1; c < HyouSyousai->colCount(); ++c)
        HyouSyousai->model()->setColWidth(c, fm.horizontalAdvance(u"123456789012"_s) + 8);
    HyouSyousai->setStopDrawCell(false);
    HyouSyousai->viewport()->update();
}

// ---- choosing a register ----------------------------------------------------------

void TFrameKouzaSyukei::SetView(int view)
{
    View = view;
    RegisterKind = view == 0 ? 0 : view == 1 ? 5 : 1;
    FrBtnAllGaku->SetDown(false);
    TFrameBtn *button = view == 0 ? FrBtnGaiyo : view == 1 ? FrBtnSyusi : FrBtnSyousai;
    button->SetDown(true);
    if (view == 2) {
        const QSignalBlocker b1(CmbYear), b2(CmbMonth);
        CmbYear->setCurrentText(QString::number(Data.Nendo));
        const int at = CmbMonth->findData(Data.Getudo);
        if (at >= 0)
            CmbMonth->setCurrentIndex(at);
        LeftStack->setCurrentWidget(ClrTabCntHyou);
    } else {
        LeftStack->setCurrentWidget(PnlGaiyo);
    }
    Recalculate(true);
}

void TFrameKouzaSyukei::SelectOverviewCell(TCurrencyGrid *grid, int col, int row)
{
    FrBtnAllGaku->SetDown(false);
    (grid == HyouSisan ? HyouFusai : HyouSisan)->clearSelection();
    const bool left = grid == HyouSisan;
    if (row == grid->fixedRows() - 1 && col == 1) {
        if (View == 0) {
            PendingKind = 2;
            PendingMajorClass = left ? 3 : 4;
        } else {
            PendingKind = 4;
            PendingMajorClass = left ? 1 : 2;
        }
        Bu1RegisterPending = true;
        schedule();
        return;
    }
    if (row < grid->fixedRows())
        return;
    const TCellInfoArray &cells = left ? SisanCells : FusaiCells;
    const int at = row - grid->fixedRows();
    if (grid->cells(0, row).isEmpty() || at >= cells.size() || cells[at].Index < 0) {
        CloseRegister();
        return;
    }
    const TCellInfo info = cells[at];
    if (info.Kind == 0) {
        PendingBunruiIndex = info.Index;
        BunruiRegisterPending = true;
        schedule();
    } else {
        PendingKind = info.Kind;
        PendingIndex = info.Index;
        KouzaRegisterPending = true;
        schedule();
    }
}

void TFrameKouzaSyukei::SelectDetailColumn(int col)
{
    if (col < 1 || col >= HyouSyousai->colCount() || HyouSyousai->cells(col, 0).isEmpty())
        return;
    PendingKind = 1;
    PendingIndex = HyouSyousai->objects(col, 0).toInt();
    KouzaRegisterPending = true;
    schedule();
}

void TFrameKouzaSyukei::ShowKouzaRegister(int kind, int index, bool force)
{
    KouzaRegisterPending = false;
    if (AllDataSelected && View != 2) {
        CloseRegister();
        return;
    }
    if (!force && RegisterKind == kind && KouzaIndex == index && Register->IsOpen())
        return;
    TRegisterSubject s;
    QString title;
    if (!Data.MakeSubject(kind, index, MonthlyRegister, s, title, RegisterNendo, RegisterGetudo, RegisterBu1))
        return;
    RegisterKind = kind;
    KouzaIndex = index;
    RegisterCode = Data.Items[index].Code;
    openRegister(s, title);
}

void TFrameKouzaSyukei::ShowBunruiRegister(int index, bool force)
{
    BunruiRegisterPending = false;
    if (AllDataSelected) {
        CloseRegister();
        return;
    }
    if (!force && RegisterKind == 0 && BunruiIndex == index && Register->IsOpen())
        return;
    TRegisterSubject s;
    QString title;
    if (index < 0 || index >= Data.Classes.size())
        return;
    RegisterKind = 0;
    BunruiIndex = index;
    if (!Data.MakeSubject(0, index, MonthlyRegister, s, title, RegisterNendo, RegisterGetudo, RegisterBu1)) {
        CloseRegister();
        return;
    }
    openRegister(s, title);
}

void TFrameKouzaSyukei::ShowBu1Register(int kind, int majorClass, bool force)
{
    Bu1RegisterPending = false;
    if (AllDataSelected) {
        CloseRegister();
        return;
    }
    if (!force && RegisterKind == kind && RegisterMajorClass == majorClass && Register->IsOpen())
        return;
    RegisterKind = kind;
    RegisterMajorClass = majorClass;
    TRegisterSubject s;
    QString title;
    if (!Data.MakeSubject(kind, majorClass, MonthlyRegister, s, title, RegisterNendo, RegisterGetudo, RegisterBu1)) {
        CloseRegister();
        return;
    }
    openRegister(s, title);
}

void TFrameKouzaSyukei::ShowZenbuRegister(int kind, bool force)
{
    if (AllDataSelected) {
        CloseRegister();
        return;
    }
    if (!force && RegisterKind == kind && Register->IsOpen())
        return;
    RegisterKind = kind;
    // The year's result takes the income and expense closing period, which
    // the computation works out only when asked for this register: compute
    // again when the last computation was for another register.
    if ((kind == 6) != (Data.ComputedKind == 6)) {
        if (!recalcData())
            return;
        m_loading = true;
        fillOverview();
        m_loading = false;
    }
    TRegisterSubject s;
    QString title;
    if (!Data.MakeSubject(kind, 0, MonthlyRegister, s, title, RegisterNendo, RegisterGetudo, RegisterBu1))
        return;
    openRegister(s, title);
}

void TFrameKouzaSyukei::openRegister(const TRegisterSubject &subject, const QString &title)
{
    Database *db = book();
    if (!db)
        return;
    RegisterStart = subject.start;
    RegisterEnd = subject.end;
    SetRegisterTitle(title);
    WaitCursor wait;
    try {
        Register->Open(*db, subject);
    } catch (const EDatabaseError &e) {
        MessageDlg(u"明細を読めませんでした。\r"_s + e.message(), MsgDlgType::Error, mbOK);
        CloseRegister();
        return;
    }
    showTotals();
    DrawBalanceChart();
    LocateRegisterDate(View == 2 && (RegisterKind == 1) ? DTPDateSearch->date() : DTPGaiyoSimeBi->date());
    updateZandakaAction();
}

void TFrameKouzaSyukei::showTotals()
{
    const TRegisterSubject &s = Register->Subject();
    BvlbKuriGaku->setText(KingakuToStr(s.startBalance));
    BvlbIriGaku->setText(KingakuToStr(Register->NyukinTotal()));
    BvlbDeruGaku->setText(KingakuToStr(Register->SyukkinTotal()));
    LbKari->setText(s.growsOnDebit ? u"入金(+)"_s : u"入金(-)"_s);
    LbKasi->setText(s.growsOnDebit ? u"出金(-)"_s : u"出金(+)"_s);
    BvlbSaGaku->setText(KingakuToStr(Register->Difference()));
    BvlbZanGaku->setText(KingakuToStr(Register->EndBalance()));
}

void TFrameKouzaSyukei::CloseRegister()
{
    Register->Close();
    m_registerTitle.clear();
    SetRegisterTitle(QString());
    for (TBevelLabel *b : {BvlbKuriGaku, BvlbIriGaku, BvlbDeruGaku, BvlbSaGaku, BvlbZanGaku})
        b->clear();
    DrawBalanceChart();
    FrBtnEdit->setEnabled(false);
    updateZandakaAction();
}

void TFrameKouzaSyukei::SetRegisterTitle(const QString &name)
{
    m_registerTitle = name;
    if (name.isEmpty()) {
        LbGetudo->clear();
        LbKouzaName->clear();
        return;
    }
    QString period;
    if (Data.GetudoMode)
        period = MonthlyRegister ? u"%1年度 %2月分"_s.arg(RegisterNendo).arg(RegisterGetudo)
                                 : u"%1年度"_s.arg(RegisterNendo);
    else
        period = MonthlyRegister ? u"%1年 %2月"_s.arg(RegisterNendo).arg(RegisterGetudo) : u"%1年"_s.arg(RegisterNendo);
    LbKouzaName->setText(name + u" の明細"_s);
    LbGetudo->setText(period + u"   (%1 ～ %2)"_s.arg(RegisterStart.toString(u"yy.MM.dd"_s),
                                                     RegisterEnd.toString(u"yy.MM.dd"_s)));
}

void TFrameKouzaSyukei::ExportTables()
{
    TCurrencyGridExcelExport ex;
    ex.RowEvenColor = QColor(247, 241, 227);
    if (View == 2) {
        ex.SheetName = TabHyou->currentIndex() >= 0 ? TabHyou->tabText(TabHyou->currentIndex()) : QString();
        ex.Grid[0] = HyouSyousai;
        ex.FixedColor[0] = HyouSyousai->model()->fixedColor();
        ex.Header = CmbYear->currentText() + LbNendo->text() + u" "_s + CmbMonth->currentText() + LbGetu->text();
    } else {
        ex.SheetName = View == 0 ? u"資産概要"_s : u"収支概要"_s;
        ex.Grid[0] = HyouSisan;
        ex.FixedColor[0] = QColor(200, 217, 254);
        ex.ColOffSet[0] = 0;
        ex.Grid[1] = HyouFusai;
        ex.FixedColor[1] = QColor(255, 189, 205);
        ex.ColOffSet[1] = HyouSisan->colCount() + 1;
        ex.Header = (RBtnGaiyoSyukeiBi->isChecked() ? DTPGaiyoSimeBi->date().toString(u"yyyy年M月d日現在　　"_s)
                                                    : u"入力済みデータ総計　　"_s)
            + FrBtnAllGaku->text();
    }
    RunExcelExport(ex, ex.SheetName);
}

void TFrameKouzaSyukei::ExportRegister()
{
    TTableViewExcelExport ex;
    ex.View = DBGridMeisai;
    ex.SheetName = LbKouzaName->text();
    RunExcelExport(ex, ex.SheetName.isEmpty() ? u"明細"_s : ex.SheetName);
}

void TFrameKouzaSyukei::LocateRegisterDate(const QDate &date)
{
    LocatePending = false;
    if (!Register->IsOpen())
        return;
    const int row = Register->RowOnOrBefore(date);
    if (row < 0)
        return;
    DBGridMeisai->selectRow(row);
    DBGridMeisai->scrollTo(Register->index(row, 0));
    registerRowChanged();
}

int TFrameKouzaSyukei::CurrentRegisterRow() const
{
    const QModelIndex current = DBGridMeisai->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TFrameKouzaSyukei::registerRowChanged()
{
    const int row = CurrentRegisterRow();
    if (row < 0 || row >= Register->Rows().size())
        return;
    const TRegisterRow &r = Register->Rows()[row];
    MoveDateLine(r.Balance, r.RecDate);
}

// ---- the chart ---------------------------------------------------------------------

void TFrameKouzaSyukei::DrawBalanceChart()
{
    QChart *chart = NenkanChart->chart();
    try {
        chart->setTitle(m_registerTitle.isEmpty() ? QString()
                                                  : m_registerTitle + (IncludeReservedFlag ? u"　予約を含む"_s : QString()));
        QColor colour = RegisterBu1 == 1 || RegisterBu1 == 3 ? QColor(200, 217, 254)
                        : RegisterBu1 == 2 || RegisterBu1 == 4 ? QColor(255, 217, 217)
                        : View == 1                            ? QColor(255, 218, 200)
                                                               : QColor(188, 236, 215);
        Series1->clear();
        Series2->clear();
        DateLineLabel->setText(QString());
        const QColor line(qMax(0, colour.red() - 17 * 4), qMax(0, colour.green() - 17 * 4),
                          qMax(0, colour.blue() - 17 * 4));
        Series1->setPen(QPen(line, 2));
        chart->setPlotAreaBackgroundBrush(colour.lighter(112));
        chart->setPlotAreaBackgroundVisible(true);
        ChartDays = Register->IsOpen() ? Register->ChartDays() : QList<TChartDay>();
        if (ChartDays.isEmpty()) {
            AxisX->setRange(QDateTime(QDate::currentDate().addDays(-1), QTime()), QDateTime(QDate::currentDate(), QTime()));
            AxisY->setRange(0, 1000);
            return;
        }
        double low = 0, high = 0;
        QList<QPointF> points;
        points.reserve(ChartDays.size());
        for (const TChartDay &d : ChartDays) {
            const double y = d.Balance.toDouble();
            low = std::min(low, y);
            high = std::max(high, y);
            points << QPointF(double(QDateTime(d.Day, QTime()).toMSecsSinceEpoch()), y);
        }
        Series1->replace(points);
        AxisX->setRange(QDateTime(ChartDays.first().Day, QTime()), QDateTime(ChartDays.last().Day, QTime()));
        TChartView::FitValueAxis(AxisY, low, high, MySpBtnYFix);
        MoveDateLine(ChartDays.first().Balance, ChartDays.first().Day);
    } catch (const std::exception &) {
        // A chart that cannot be drawn is not shown; the register stays.
        PnlChart->hide();
    }
}

void TFrameKouzaSyukei::MoveDateLine(Currency balance, const QDate &date)
{
    if (!PnlChart->isVisible() || ChartDays.isEmpty())
        return;
    const QDate day0 = ChartDays.first().Day;
    if (date.isValid() && date < day0)
        return;
    const qint64 i = date.isValid() ? day0.daysTo(date) : 0;
    if (i < 0 || i >= ChartDays.size())
        return;
    const TChartDay &d = ChartDays[i];
    const double x = double(QDateTime(d.Day, QTime()).toMSecsSinceEpoch());
    Series2->clear();
    Series2->append(x, AxisY->min());
    Series2->append(x, d.Balance.toDouble());
    DateLineLabel->setText(d.Day.toString(u"yy/M/d"_s) + u"  "_s + KingakuToStr(d.Balance));
    const QPointF at = NenkanChart->chart()->mapToPosition(QPointF(x, AxisY->max()), Series1);
    // Beside the line, on the side where the label fits in the plot.
    const QRectF plot = NenkanChart->chart()->plotArea();
    const qreal width = DateLineLabel->boundingRect().width();
    DateLineLabel->setPos(at.x() + 4 + width > plot.right() ? at.x() - 4 - width : at.x() + 4, at.y());
    Q_UNUSED(balance);
}

void TFrameKouzaSyukei::chartClicked(const QPointF &point)
{
    if (!Register->IsOpen())
        return;
    const QDate day = QDateTime::fromMSecsSinceEpoch(qint64(point.x() + 12 * 3600 * 1000.0)).date();
    const int row = Register->LastRowOnOrBefore(day);
    if (row < 0)
        return;
    DBGridMeisai->selectRow(row);
    DBGridMeisai->scrollTo(Register->index(row, 0));
    registerRowChanged();
}

// ---- deferred work ----------------------------------------------------------------

void TFrameKouzaSyukei::schedule()
{
    // The idle moment does the work; a zero timer makes sure one comes even
    // when the event loop is kept busy (a nested loop, a test's wait).
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, &TFrameKouzaSyukei::IdleWork);
}

void TFrameKouzaSyukei::IdleWork()
{
    m_scheduled = false;
    if (!isVisible() || m_loading)
        return;
    if (RecalcPending) {
        Recalculate(SelectFirst);
        SelectFirst = false;
        DateInPeriod = false;
    }
    if (BunruiRegisterPending)
        ShowBunruiRegister(PendingBunruiIndex, true);
    if (KouzaRegisterPending)
        ShowKouzaRegister(PendingKind, PendingIndex, true);
    if (Bu1RegisterPending)
        ShowBu1Register(PendingKind, PendingMajorClass, true);
    if (LocatePending)
        LocateRegisterDate(View == 2 ? DTPDateSearch->date() : DTPGaiyoSimeBi->date());
    const bool canJump = Register->IsOpen() && Register->rowCount() > 0;
    if (FrBtnEdit->isEnabled() != canJump)
        FrBtnEdit->setEnabled(canJump);
    static int lastRow = -2;
    const int row = CurrentRegisterRow();
    if (row != lastRow) {
        lastRow = row;
        registerRowChanged();
    }
}

// ---- balance adjustment and jump ----------------------------------------------------

bool TFrameKouzaSyukei::ZandakaEnabled() const
{
    return RegisterKind == 1 && Register->IsOpen() && !(View == 0 && AllDataSelected);
}

void TFrameKouzaSyukei::updateZandakaAction()
{
    ActZanTyousei->setEnabled(ZandakaEnabled());
}

void TFrameKouzaSyukei::OpenZandaka()
{
    if (!ZandakaEnabled() || View == 1 || KouzaIndex < 0 || KouzaIndex >= Data.Items.size())
        return;
    const TKouzaData &k = Data.Items[KouzaIndex];
    TFormZandaka form(this);
    form.KouzaCode = k.Code;
    form.KouzaName = k.Name;
    if (View == 0) {
        form.BaseDate = DTPGaiyoSimeBi->date();
        form.NowBalance = k.GaiyoZan;
    } else {
        form.BaseDate = k.EndDate;
        form.NowBalance = k.GetumatuZan;
    }
    form.ShowModal();
    // Whatever the answer: the book may have changed.
    RecalcPending = true;
    schedule();
}

void TFrameKouzaSyukei::JumpToLine()
{
    const int row = CurrentRegisterRow();
    if (!Register->IsOpen() || row < 0 || row >= Register->Rows().size())
        return;
    const int dataNo = Register->Rows()[row].DataNo;
    if (dataNo < 1)
        return;
    // The main window owns the journal pages; it is reached by name so that
    // this page does not depend on it.
    QWidget *mainWindow = window();
    bool shown = false;
    const bool asked =
        QMetaObject::invokeMethod(mainWindow, "JumpToDataNo", Q_RETURN_ARG(bool, shown), Q_ARG(int, dataNo));
    // A line whose page is not there (or is gone from the book) leaves the
    // user here; say so rather than do nothing.
    if ((!asked || !shown) && isVisible())
        MessageDlg(u"この明細を入力したページを表示できません。"_s, MsgDlgType::Information, mbOK);
}
