#include "views/FrameChart.h"

#include <algorithm>

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QValueAxis>
#include <QVBoxLayout>

#include "controls/ColorUpDown.h"
#include "controls/FrameBtn.h"
#include "controls/ShapeBtn.h"
#include "data/ControlUtils.h"
#include "data/DatMod.h"
#include "data/DatModSql.h"
#include "data/DateCalc.h"
#include "data/HimokuCache.h"
#include "data/MyMemIniFile.h"
#include "data/Vocabulary.h"
#include "main/MainForm.h"
#include "platform/db/Database.h"
#include "platform/system/Exception.h"
#include "platform/ui/IdleHook.h"
#include "platform/ui/WaitCursor.h"
#include "printing/PrintPreViewChart.h"
#include "views/ChartView.h"
#include "views/NenSyukeiData.h"
#include "views/NenSyukeiSwitches.h"
#include "views/YosanJissekiData.h"

using namespace Qt::StringLiterals;

namespace {

const QString AllText = u"すべて"_s;
const QString DrawFailedText = u"グラフを描けませんでした。"_s;
const QColor PanelColor(0xEE, 0xEB, 0xE3);

// Years typed outside this range are not applied.
constexpr int FirstYear = 1900;
constexpr int LastYear = 2100;

TFrameBtn *makeButton(QWidget *parent, const QString &name, const QString &caption, int group, bool allowAllUp)
{
    return MakeSwitchButton(parent, name, caption, group, allowAllUp, 52);
}

bool isNumber(const QString &text, int &value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}

} // namespace

TFrameChart::TFrameChart(QWidget *parent) : QFrame(parent)
{
    setObjectName(u"FrameChart"_s);
    buildUi();
    connect(IdleHook::instance(), &IdleHook::idle, this, &TFrameChart::IdleWork);
}

TFrameChart::~TFrameChart() = default;

void TFrameChart::buildUi()
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, PanelColor);
    setPalette(pal);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->setSpacing(4);

    PnlBarLeft = new QWidget(this);
    PnlBarLeft->setObjectName(u"PnlBarLeft"_s);
    auto *bar = new QHBoxLayout(PnlBarLeft);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(6);

    RadioGroup_Nayou = new QGroupBox(u"表示項目"_s, PnlBarLeft);
    RadioGroup_Nayou->setObjectName(u"RadioGroup_Nayou"_s);
    NayouButtons = new QButtonGroup(this);
    auto *nayou = new QGridLayout(RadioGroup_Nayou);
    nayou->setContentsMargins(6, 2, 6, 2);
    nayou->setVerticalSpacing(0);
    const QStringList contents{u"収入実績"_s, u"支出実績"_s,       u"収入と支出"_s,
                               u"口座推移"_s, u"収入予算と実績"_s, u"支出予算と実績"_s};
    for (int i = 0; i < contents.size(); ++i) {
        auto *rb = new QRadioButton(contents[i], RadioGroup_Nayou);
        NayouButtons->addButton(rb, i);
        nayou->addWidget(rb, i / 3, i % 3);
    }
    NayouButtons->button(ccDeru)->setChecked(true);
    bar->addWidget(RadioGroup_Nayou);

    RadioGroup_Hyouji = new QGroupBox(u"表示方法"_s, PnlBarLeft);
    RadioGroup_Hyouji->setObjectName(u"RadioGroup_Hyouji"_s);
    HyoujiButtons = new QButtonGroup(this);
    auto *hyouji = new QGridLayout(RadioGroup_Hyouji);
    hyouji->setContentsMargins(6, 2, 6, 2);
    for (int i = 0; i < 2; ++i) {
        auto *rb = new QRadioButton(i == 0 ? u"金額"_s : u"比率"_s, RadioGroup_Hyouji);
        HyoujiButtons->addButton(rb, i);
        hyouji->addWidget(rb, 0, i);
    }
    HyoujiButtons->button(0)->setChecked(true);
    bar->addWidget(RadioGroup_Hyouji);

    // Year, month and the switches in two rows.
    auto *right = new QVBoxLayout;
    right->setSpacing(2);
    auto *row1 = new QHBoxLayout;
    CmbYear = new QComboBox(PnlBarLeft);
    CmbYear->setObjectName(u"CmbYear"_s);
    CmbYear->setEditable(true);
    CmbYear->setInsertPolicy(QComboBox::NoInsert);
    CmbYear->setMaxVisibleItems(20);
    CmbYear->setCompleter(nullptr);
    CmbYear->setAttribute(Qt::WA_InputMethodEnabled, false);
    CmbYear->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
    CmbYear->lineEdit()->setValidator(new QRegularExpressionValidator(QRegularExpression(u"\\d{0,4}"_s), CmbYear));
    CmbYear->setFixedWidth(CmbYear->fontMetrics().horizontalAdvance(u"99999"_s) + 40);
    row1->addWidget(CmbYear);
    row1->addWidget(new QLabel(u"年度"_s, PnlBarLeft));
    EditMonth = new QLineEdit(PnlBarLeft);
    EditMonth->setObjectName(u"EditMonth"_s);
    EditMonth->setValidator(new QRegularExpressionValidator(QRegularExpression(u"\\d{0,2}"_s), EditMonth));
    EditMonth->setMaxLength(2);
    EditMonth->setAlignment(Qt::AlignRight);
    EditMonth->setAttribute(Qt::WA_InputMethodEnabled, false);
    EditMonth->setFixedWidth(EditMonth->fontMetrics().horizontalAdvance(u"000"_s) + 14);
    row1->addWidget(EditMonth);
    LBGatu = new QLabel(u"月分"_s, PnlBarLeft);
    row1->addWidget(LBGatu);
    UpDown_Ima = new TColorUpDown(PnlBarLeft);
    UpDown_Ima->setObjectName(u"UpDown_Ima"_s);
    UpDown_Ima->setOrientation(udHorizontal);
    UpDown_Ima->setFixedSize(40, 24);
    row1->addWidget(UpDown_Ima);
    row1->addSpacing(8);
    auto shape = [this](const QString &name, const QString &caption, int group) {
        auto *b = new TShapeBtn(this);
        b->setObjectName(name);
        b->setText(caption);
        b->setGroupIndex(group);
        b->setAllowAllUp(true);
        b->setFixedSize(48, 24);
        return b;
    };
    // On the page itself, not on the tool bar: their groups are the page's.
    SpBtnTokubetu = shape(u"SpBtnTokubetu"_s, u"特別"_s, 2);
    SpBtnReserve = shape(u"SpBtnReserve"_s, u"予約"_s, 1);
    row1->addWidget(SpBtnTokubetu);
    row1->addWidget(SpBtnReserve);
    FrBtnPrint = makeButton(PnlBarLeft, u"FrBtnPrint"_s, u"印刷"_s, 0, false);
    connect(FrBtnPrint, &QAbstractButton::clicked, this, [this] { PrintChart(this, NenkanChart); });
    row1->addWidget(FrBtnPrint);
    row1->addStretch(1);
    right->addLayout(row1);

    auto *row2 = new QHBoxLayout;
    row2->setSpacing(3);
    FrBtnHassei = makeButton(PnlBarLeft, u"FrBtnHassei"_s, u"期間発生額"_s, 1, true);
    FrBtnRuikei = makeButton(PnlBarLeft, u"FrBtnRuikei"_s, u"累計額"_s, 1, true);
    FrBtnGetuji = makeButton(PnlBarLeft, u"FrBtnGetuji"_s, u"月次"_s, 2, false);
    FrBtnNenji = makeButton(PnlBarLeft, u"FrBtnNenji"_s, u"年次"_s, 2, false);
    FrBtnGetudo = makeButton(PnlBarLeft, u"FrBtnGetudo"_s, u"月度"_s, 3, false);
    FrBtnKoyomi = makeButton(PnlBarLeft, u"FrBtnKoyomi"_s, u"暦月"_s, 3, false);
    FrBtnSuryou = makeButton(PnlBarLeft, u"FrBtnSuryou"_s, u"数量表示"_s, 4, true);
    FrBtnJyouken = makeButton(PnlBarLeft, u"FrBtnJyouken"_s, u"条件集計"_s, 5, true);
    row2->addWidget(FrBtnHassei);
    row2->addWidget(FrBtnRuikei);
    row2->addSpacing(6);
    row2->addWidget(FrBtnGetuji);
    row2->addWidget(FrBtnNenji);
    row2->addSpacing(6);
    row2->addWidget(FrBtnGetudo);
    row2->addWidget(FrBtnKoyomi);
    row2->addSpacing(6);
    row2->addWidget(FrBtnSuryou);
    row2->addWidget(FrBtnJyouken);
    row2->addStretch(1);
    right->addLayout(row2);
    bar->addLayout(right, 1);
    main->addWidget(PnlBarLeft);
    FrBtnHassei->SetDown(true);
    FrBtnGetuji->SetDown(true);
    FrBtnGetudo->SetDown(true);

    PnlBarJyouken = new QWidget(this);
    PnlBarJyouken->setObjectName(u"PnlBarJyouken"_s);
    FilterLabels = BuildNenSyukeiFilterBar(PnlBarJyouken, CmbBoxHimoku, CmbBoxHinmei, CmbBoxShop, CmbBoxPerson,
                                           CmbBoxKouza, [this] {
                                               if (!m_filling)
                                                   FiltersPending = true;
                                           });
    PnlBarJyouken->hide();
    main->addWidget(PnlBarJyouken);

    NenkanChart = new TChartView(new QChart, this);
    NenkanChart->setObjectName(u"NenkanChart"_s);
    m_charts = std::make_unique<TContentCharts>(NenkanChart, Content());
    Series = &m_charts->Current();
    main->addWidget(NenkanChart, 1);

    connect(NayouButtons, &QButtonGroup::idClicked, this, [this] {
        // Another content lists other categories.
        m_itemFilterCode = -1;
        Redraw();
    });
    connect(HyoujiButtons, &QButtonGroup::idClicked, this, [this] { Redraw(); });
    connect(CmbYear, &QComboBox::activated, this, [this] { YearEntered(CmbYear->currentText()); });
    connect(CmbYear->lineEdit(), &QLineEdit::editingFinished, this, [this] { YearEntered(CmbYear->currentText()); });
    connect(EditMonth, &QLineEdit::editingFinished, this, [this] { MonthEntered(EditMonth->text()); });
    connect(UpDown_Ima, &TColorUpDown::clicked, this, [this](TUDBtnType b) { StepMonth(b == btNext); });
    connect(FrBtnHassei, &QAbstractButton::clicked, this, &TFrameChart::HasseiClick);
    connect(FrBtnRuikei, &QAbstractButton::clicked, this, &TFrameChart::HasseiClick);
    connect(FrBtnGetuji, &QAbstractButton::clicked, this, &TFrameChart::GetujiClick);
    connect(FrBtnNenji, &QAbstractButton::clicked, this, &TFrameChart::GetujiClick);
    connect(FrBtnGetudo, &QAbstractButton::clicked, this, &TFrameChart::GetudoClick);
    connect(FrBtnKoyomi, &QAbstractButton::clicked, this, &TFrameChart::GetudoClick);
    connect(FrBtnSuryou, &QAbstractButton::clicked, this, &TFrameChart::SuryouClick);
    connect(FrBtnJyouken, &QAbstractButton::clicked, this, &TFrameChart::JyoukenClick);
    connect(SpBtnReserve, &QAbstractButton::clicked, this, &TFrameChart::ReserveClick);
    connect(SpBtnTokubetu, &QAbstractButton::clicked, this, &TFrameChart::TokubetuClick);
    connect(NenkanChart->MySpBtnYFix, &TMySpeedButton::downChanged, this, [this](bool down) {
        if (!down && Series->ValueAxis && !Hiritu() && Content() < ccIriYosan)
            TChartView::FitValueAxis(Series->ValueAxis, Series->ValueLow(), Series->ValueHigh());
    });
    connect(NenkanChart->MySpBtnXFix, &TMySpeedButton::downChanged, this, [this](bool down) {
        if (!down && Series->ValueAxis && !Hiritu() && Content() >= ccIriYosan)
            TChartView::FitValueAxis(Series->ValueAxis, Series->ValueLow(), Series->ValueHigh());
    });
}

// ---- the page's life ---------------------------------------------------------------

void TFrameChart::InitPage()
{
    SetControlHelpContext(this, 10092);
    m_filling = true;
    FillYearCombo(CmbYear, 8, 5);
    m_filling = false;
    RefreshPage();
}

void TFrameChart::RefreshPage()
{
    NenkanChart->SetHintShown(true);
    m_font = font();
    if (MainForm)
        MainForm->ApplyCommonFont(m_font);
    // The window flushed the tables before showing the page.
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
    FrBtnSuryou->SetDown(NenSyukeiData.Suryou);
    FrBtnJyouken->SetDown(NenSyukeiData.JyoukenOn);
    m_updatingButtons = false;
    PnlBarJyouken->setVisible(FrBtnJyouken->down());
    NenSyukeiData.JyoukenOn = FrBtnJyouken->down();
    if (!KouzaUseFlag) {
        NenSyukeiData.KouzaCode = 0;
        NenSyukeiData.KouzaText = AllText;
    }
    CmbBoxKouza->setVisible(KouzaUseFlag);
    FilterLabels.last()->setVisible(KouzaUseFlag);
    fillFilterLists();
    Redraw();
}

int TFrameChart::Content() const { return std::max(0, NayouButtons->checkedId()); }

void TFrameChart::SetContent(int content)
{
    if (QAbstractButton *b = NayouButtons->button(content); b && !b->isChecked()) {
        b->setChecked(true);
        m_itemFilterCode = -1;
        Redraw();
    }
}

bool TFrameChart::Hiritu() const { return HyoujiButtons->checkedId() == 1; }

void TFrameChart::SetHiritu(bool hiritu)
{
    if (hiritu == Hiritu())
        return;
    HyoujiButtons->button(hiritu ? 1 : 0)->setChecked(true);
    Redraw();
}

// ---- drawing -----------------------------------------------------------------------

void TFrameChart::FreeSeries()
{
    Series->FreeSeries();
}

void TFrameChart::enableControls()
{
    const int content = Content();
    const bool budget = content >= ccIriYosan;
    for (QWidget *w : std::initializer_list<QWidget *>{CmbBoxHimoku, CmbBoxHinmei, CmbBoxShop, CmbBoxPerson,
                                                        CmbBoxKouza, FrBtnHassei, FrBtnRuikei, FrBtnGetuji, FrBtnNenji,
                                                        FrBtnGetudo, FrBtnKoyomi, FrBtnSuryou, FrBtnJyouken})
        w->setEnabled(!budget);
    for (QLabel *l : FilterLabels)
        l->setEnabled(!budget);
    for (QWidget *w : std::initializer_list<QWidget *>{LBGatu, EditMonth, UpDown_Ima})
        w->setEnabled(budget);
    // Accounts are drawn in amounts only.
    if (content == ccKouza && Hiritu())
        HyoujiButtons->button(0)->setChecked(true);
    RadioGroup_Hyouji->setEnabled(content != ccKouza);

    // A freeze button that is hidden is released: its axis scales by itself.
    TMySpeedButton *yFix = NenkanChart->MySpBtnYFix;
    TMySpeedButton *xFix = NenkanChart->MySpBtnXFix;
    const bool showY = !Hiritu() && !budget;
    const bool showX = !Hiritu() && budget;
    if (!showY)
        yFix->SetDown(false);
    if (!showX)
        xFix->SetDown(false);
    yFix->setVisible(showY);
    xFix->setVisible(showX);
    yFix->raise();
    xFix->raise();
}

void TFrameChart::Redraw()
{
    WaitCursor wait;
    m_filling = true;
    SelectComboNumber(CmbYear, CurYear);
    EditMonth->setText(QString::number(CurMonth));
    m_filling = false;

    if (Series->ValueAxis) {
        m_axisMin = Series->ValueAxis->min();
        m_axisMax = Series->ValueAxis->max();
        m_axisTicks = Series->ValueAxis->tickCount();
        m_axisKnown = true;
    }
    NenkanChart->HideValueLabel();
    const int content = Content();
    Series = &m_charts->Show(content);
    NenkanChart->chart()->zoomReset();
    // No Free here: a drawing of the content on the chart keeps its series
    // and changes only the figures that differ.
    enableControls();

    TChartOptions o;
    o.Hiritu = Hiritu();
    o.IncludeReserved = IncludeReservedFlag;
    o.Suryou = NenSyukeiData.Suryou;
    o.YearText = CmbYear->currentText();
    o.MonthText = EditMonth->text();
    // A frozen axis keeps the range it showed last, over another year,
    // month or content.
    TMySpeedButton *freeze = content >= ccIriYosan ? NenkanChart->MySpBtnXFix : NenkanChart->MySpBtnYFix;
    o.AxisKept = !o.Hiritu && freeze->down() && m_axisKnown;
    o.AxisMin = m_axisMin;
    o.AxisMax = m_axisMax;
    o.AxisTicks = m_axisTicks;
    try {
        switch (content) {
        case ccIri:
        case ccDeru:
            fillHimokuFilter(content == ccIri ? 1 : 2);
            // The category filter holds only while the filter bar is on: a
            // category left chosen on a hidden bar would silently hide the others.
            o.ChartHimoku = NenSyukeiData.JyoukenOn ? ChartHimoku : 0;
            NenSyukeiData.IncludeReserved = IncludeReservedFlag;
            NenSyukeiData.Calculate(CurYear);
            Series->DrawCategoryContent(content == ccIri ? 1 : 2, NenSyukeiData, o);
            break;
        case ccSyusi:
            fillHimokuFilter(0);
            NenSyukeiData.IncludeReserved = IncludeReservedFlag;
            NenSyukeiData.Calculate(CurYear);
            Series->DrawBalanceContent(NenSyukeiData, o);
            break;
        case ccKouza:
            NenSyukeiData.IncludeReserved = IncludeReservedFlag;
            NenSyukeiData.Calculate(CurYear);
            Series->DrawAccountContent(NenSyukeiData, o);
            break;
        default:
            // The chart's own calculator, so the budget page's figures of both
            // months stay as that page left them.
            ChartYosan.IncludeReserved = IncludeReservedFlag;
            ChartYosan.ChangeImaSide(CurYear, CurMonth, content == ccIriYosan ? 0 : 1);
            Series->DrawBudgetContent(content == ccIriYosan ? 0 : 1, ChartYosan, o);
            break;
        }
    } catch (const EDatabaseError &e) {
        // No chart of the last figures under the year and month boxes of these.
        FreeSeries();
        throw Exception(DrawFailedText + u"\n\n"_s + e.message());
    }

    // The common display font on the title, both axes and the legend.
    QChart *chart = NenkanChart->chart();
    QFont title = m_font;
    title.setBold(true);
    // Set only where it differs: a font set again lays the chart out again.
    if (chart->titleFont() != title)
        chart->setTitleFont(title);
    if (chart->legend()->font() != m_font)
        chart->legend()->setFont(m_font);
    for (QAbstractAxis *axis : {static_cast<QAbstractAxis *>(Series->CategoryAxis),
                                static_cast<QAbstractAxis *>(Series->ValueAxis)})
        if (axis && axis->labelsFont() != m_font)
            axis->setLabelsFont(m_font);
    connectClicks();
}

void TFrameChart::connectClicks()
{
    // A series kept from the content's last drawing is connected already.
    QPointer<QAbstractBarSeries> &clickBars = m_clickBars[m_charts->Shown()];
    QPointer<QLineSeries> &clickLine = m_clickLine[m_charts->Shown()];
    if (Series->BarSeries && Series->BarSeries != clickBars) {
        clickBars = Series->BarSeries;
        connect(Series->BarSeries, &QAbstractBarSeries::clicked, this, [this](int index, QBarSet *set) {
            NenkanChartClickSeries(set, index, NenkanChart->mapFromGlobal(QCursor::pos()));
        });
    }
    if (Series->LineSeries && Series->LineSeries != clickLine) {
        clickLine = Series->LineSeries;
        connect(Series->LineSeries, &QLineSeries::clicked, this, [this](const QPointF &point) {
            NenkanChartClickLine(qRound(point.x()), NenkanChart->mapFromGlobal(QCursor::pos()));
        });
    }
}

void TFrameChart::NenkanChartClickSeries(QBarSet *set, int index, const QPoint &at)
{
    NenkanChart->ShowValueLabel(Series->BarLabelText(set, index), at);
}

void TFrameChart::NenkanChartClickLine(int index, const QPoint &at)
{
    NenkanChart->ShowValueLabel(Series->LineLabelText(index), at);
}

// ---- year and month ----------------------------------------------------------------

void TFrameChart::ChangeMonth(int year, int month)
{
    if (m_filling)
        return;
    if (month == 0 && !isNumber(EditMonth->text(), month))
        return;
    if (year < FirstYear || year > LastYear || !QDate(year, month, 1).isValid())
        return;
    if (year == CurYear && month == CurMonth)
        return;
    CurYear = uint16_t(year);
    CurMonth = uint16_t(month);
    Redraw();
}

void TFrameChart::YearEntered(const QString &text)
{
    int year = 0;
    if (m_filling)
        return;
    if (isNumber(text, year) && year != CurYear)
        ChangeMonth(year, CurMonth);
    // A year that was not taken does not stay in the box beside the chart of another.
    restoreYearMonth();
}

void TFrameChart::MonthEntered(const QString &text)
{
    int month = 0;
    if (m_filling)
        return;
    if (isNumber(text, month) && month != CurMonth)
        ChangeMonth(CurYear, month);
    restoreYearMonth();
}

void TFrameChart::restoreYearMonth()
{
    m_filling = true;
    if (CmbYear->currentText() != QString::number(CurYear))
        SelectComboNumber(CmbYear, CurYear);
    if (EditMonth->text() != QString::number(CurMonth))
        EditMonth->setText(QString::number(CurMonth));
    m_filling = false;
}

void TFrameChart::StepMonth(bool forward)
{
    int year = 0, month = 0;
    if (!isNumber(CmbYear->currentText(), year) || !isNumber(EditMonth->text(), month) ||
        !QDate(year, month, 1).isValid())
        return;
    if (forward)
        IncNendoMonth(year, month, CurSimeTuki);
    else
        DecNendoMonth(year, month, CurSimeTuki);
    ChangeMonth(year, month);
}

// ---- switches ----------------------------------------------------------------------

void TFrameChart::HasseiClick()
{
    if (m_updatingButtons)
        return;
    NenSyukeiData.Hassei = FrBtnHassei->down();
    Redraw();
}

void TFrameChart::GetujiClick()
{
    if (m_updatingButtons)
        return;
    NenSyukeiData.SetGetuji(FrBtnGetuji->down());
    Redraw();
}

void TFrameChart::GetudoClick()
{
    if (m_updatingButtons)
        return;
    NenSyukeiData.Getudo = FrBtnGetudo->down();
    Redraw();
}

void TFrameChart::SuryouClick()
{
    if (m_updatingButtons)
        return;
    NenSyukeiData.Suryou = FrBtnSuryou->down();
    ApplyFilters();
}

void TFrameChart::JyoukenClick()
{
    if (m_updatingButtons)
        return;
    PnlBarJyouken->setVisible(FrBtnJyouken->down());
    NenSyukeiData.JyoukenOn = FrBtnJyouken->down();
    Redraw();
}

void TFrameChart::ReserveClick()
{
    if (m_updatingButtons)
        return;
    WaitCursor wait;
    StoreIncludeReserved(SpBtnReserve->down());
    Redraw();
}

void TFrameChart::TokubetuClick()
{
    if (m_updatingButtons)
        return;
    WaitCursor wait;
    StoreTokubetuShow(SpBtnTokubetu->down());
    Redraw();
}

// ---- filters -----------------------------------------------------------------------

void TFrameChart::fillFilterLists()
{
    if (!DatModSql || !DatMod || !DatMod->DataOpen)
        return;
    m_filling = true;
    DatModSql->FillPersonCombo(CmbBoxPerson, true);
    SelectComboObjectText(CmbBoxPerson, NenSyukeiData.PersonCode, NenSyukeiData.PersonText);
    DatModSql->FillHimokuCombo(CmbBoxKouza, 3, true, 0);
    SelectComboObjectText(CmbBoxKouza, NenSyukeiData.KouzaCode, NenSyukeiData.KouzaText);
    m_filling = false;
    m_itemFilterCode = -1;
}

void TFrameChart::fillHimokuFilter(int listKind)
{
    if (!DatModSql || !DatMod || !DatMod->DataOpen) {
        ChartHimoku = NenSyukeiData.HimokuCode;
        return;
    }
    m_filling = true;
    DatModSql->FillHimokuCombo(CmbBoxHimoku, listKind, true, 0);
    // A stored category that this content does not list selects nothing and
    // draws nothing.
    const int index = CmbBoxHimoku->findData(NenSyukeiData.HimokuCode);
    CmbBoxHimoku->setCurrentIndex(index);
    m_filling = false;
    ChartHimoku = index < 0 ? -1 : NenSyukeiData.HimokuCode;
    fillItemFilters();
}

void TFrameChart::fillItemFilters()
{
    if (!DatModSql || !DatMod || !DatMod->DataOpen)
        return;
    const int content = Content();
    const int kind = content == ccIri ? 1 : content == ccDeru ? 2 : 0;
    const int himoku = FilterComboCode(CmbBoxHimoku);
    if (himoku == m_itemFilterCode && kind == m_itemFilterKind)
        return;
    m_itemFilterCode = himoku;
    m_itemFilterKind = kind;
    m_filling = true;
    DatModSql->FillHinmeiCombo(CmbBoxHinmei, kind, himoku, true);
    SelectComboObjectText(CmbBoxHinmei, NenSyukeiData.HinmeiCode, NenSyukeiData.HinmeiText);
    DatModSql->FillShopCombo(CmbBoxShop, kind, himoku, true);
    SelectComboObjectText(CmbBoxShop, NenSyukeiData.ShopCode, NenSyukeiData.ShopText);
    m_filling = false;
}

void TFrameChart::ApplyFilters()
{
    FiltersPending = false;
    fillItemFilters();
    StoreNenSyukeiFilters(CmbBoxHimoku, CmbBoxHinmei, CmbBoxShop, CmbBoxPerson, CmbBoxKouza);
    ChartHimoku = NenSyukeiData.HimokuCode;
    Redraw();
}

void TFrameChart::IdleWork()
{
    if (FiltersPending && isVisible())
        ApplyFilters();
}
