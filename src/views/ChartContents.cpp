#include "views/ChartContents.h"

#include <algorithm>
#include <cmath>

#include <QBarCategoryAxis>
#include <QBarLegendMarker>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QLegend>
#include <QLineSeries>
#include <QPercentBarSeries>
#include <QStackedBarSeries>
#include <QValueAxis>

#include "data/Utils.h"
#include "views/NenSyukeiData.h"
#include "views/YosanJissekiData.h"

using namespace Qt::StringLiterals;

namespace {

// Blue, green, red bytes from the high end, as the table was first written.
constexpr std::array<quint32, 28> SeriesColors{
    0x0000FF, 0x00FF00, 0x00FFFF, 0x808000, 0xFF00FF, 0xFF0000, 0x0080FF, 0x8000FF, 0xFFFFFF, 0x0FF800,
    0x808080, 0x80FFFF, 0xFF0080, 0xFFFF00, 0x008000, 0x8080FF, 0x800000, 0x80FF80, 0xC0C0C0, 0x0080FF,
    0xFF8000, 0x000080, 0x0C080FF0, 0x008080, 0xFF8080, 0x800080, 0x00FF80, 0xC0C0C0};

constexpr quint32 Red = 0x0000FF;
constexpr quint32 Blue = 0xFF0000;
constexpr quint32 LineColor = 0xC080FF;

QString monthlyPrefix(const TNenSyukeiData &data, const TChartOptions &o)
{
    return data.Getuji ? o.YearText + u"年度 "_s : QString();
}

QString switchTexts(const TNenSyukeiData &data, const TChartOptions &o)
{
    return (data.Hassei ? u"　期間発生額"_s : u"　累計額"_s) + (data.Getudo ? u"　月度集計"_s : u"　暦日集計"_s) +
           (o.IncludeReserved ? u"　予約を含む"_s : QString());
}

QString unitText(const TChartOptions &o) { return o.Hiritu ? u" 　単位（％）"_s : u" 　単位（円）"_s; }

int pointCount(const TNenSyukeiData &data) { return std::clamp(data.ColCount - 1, 0, 12); }

Currency pointValue(const TNenSyukeiRec &row, const TNenSyukeiData &data, int i)
{
    return data.Hassei ? row.Kingaku[i] : row.Ruikei[i];
}

QStringList columnTitles(const TNenSyukeiData &data)
{
    QStringList labels;
    for (int i = 1; i <= pointCount(data); ++i)
        labels << data.ColTitles[i];
    return labels;
}

} // namespace

TChartContents::TChartContents(QChart *chart) : m_chart(chart) {}

TChartContents::~TChartContents()
{
    qDeleteAll(m_offChart);
}

QColor TChartContents::BgrColor(quint32 value)
{
    // Only the three colour bytes: the table's one entry with a fourth byte
    // draws in the colour its low bytes name.
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QColor TChartContents::SeriesColor(int rowIndex)
{
    const int n = int(SeriesColors.size());
    return BgrColor(SeriesColors[((rowIndex % n) + n) % n]);
}

void TChartContents::FreeSeries()
{
    m_chart->removeAllSeries();
    qDeleteAll(m_offChart);
    m_offChart.clear();
    for (QAbstractAxis *axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    BarSeries = nullptr;
    LineSeries = nullptr;
    CategoryAxis = nullptr;
    ValueAxis = nullptr;
    PosSeries.clear();
    NegSeries.clear();
    HorizSeries.clear();
    ValueStore.clear();
    m_storeRow.clear();
    Points.clear();
    m_low = m_high = 0;
}

// ---- series creation -------------------------------------------------------------

void TChartContents::MakeBarSeries(bool sideBySide, bool horizontal)
{
    if (BarSeries)
        return;
    if (horizontal)
        BarSeries = new QHorizontalBarSeries;
    else if (Options.Hiritu && Content != ccKouza)
        BarSeries = new QPercentBarSeries;
    else if (sideBySide)
        BarSeries = new QBarSeries;
    else
        BarSeries = new QStackedBarSeries;
    BarSeries->setLabelsVisible(false);
}

void TChartContents::MakeNegSeries(int n)
{
    MakeBarSeries(false, false);
    for (int i = 0; i < n; ++i) {
        auto *set = new QBarSet(QString());
        NegSeries << set;
        ValueStore << std::array<Currency, 12>{};
    }
}

void TChartContents::MakePosSeries(int n)
{
    MakeBarSeries(Content == ccSyusi, false);
    for (int i = 0; i < n; ++i)
        PosSeries << new QBarSet(QString());
}

void TChartContents::MakeHorizSeries(int n)
{
    MakeBarSeries(true, true);
    for (int i = 0; i < n; ++i)
        HorizSeries << new QBarSet(QString());
}

void TChartContents::SetPoints(const QStringList &labels)
{
    // The category axis keeps one entry per distinct text; two categories of
    // the same name still get a place each.
    Points.clear();
    for (QString label : labels) {
        while (Points.contains(label))
            label += QChar(0x200B);
        Points << label;
    }
}

void TChartContents::AddLine(const QString &title)
{
    LineSeries = new QLineSeries;
    LineSeries->setName(title);
    LineSeries->setColor(BgrColor(LineColor));
    LineSeries->setPointsVisible(true);
    QPen pen = LineSeries->pen();
    pen.setWidth(2);
    LineSeries->setPen(pen);
}

void TChartContents::AddCategoryValues(int a, int b, const TNenSyukeiRec &row, const TNenSyukeiData &data,
                                       bool negateBars)
{
    const QColor c = SeriesColor(b);
    QBarSet *neg = NegSeries[a];
    QBarSet *pos = PosSeries[a];
    for (QBarSet *set : {neg, pos}) {
        set->setLabel(row.Name);
        set->setColor(c);
        set->setBorderColor(c.darker(130));
        m_storeRow.insert(set, a);
    }
    for (int i = 1; i <= pointCount(data); ++i) {
        const Currency v = pointValue(row, data, i);
        ValueStore[a][i - 1] = v;
        const double bar = negateBars ? -v.toDouble() : v.toDouble();
        neg->append(bar < 0 ? bar : 0.0);
        pos->append(bar < 0 ? 0.0 : bar);
    }
}

// ---- the contents ----------------------------------------------------------------

void TChartContents::DrawCategoryContent(int kind, const TNenSyukeiData &data, const TChartOptions &options)
{
    FreeSeries();
    Content = kind == 1 ? ccIri : ccDeru;
    Options = options;
    Title = monthlyPrefix(data, options) + (kind == 1 ? u"収入実績"_s : u"支出実績"_s) + switchTexts(data, options) +
            unitText(options);
    SetPoints(columnTitles(data));
    const TNenSyukeiArray &rows = data.Rows(kind);
    if (options.ChartHimoku == 0) {
        MakeNegSeries(int(rows.size()));
        MakePosSeries(int(rows.size()));
        for (int b = 0; b < rows.size(); ++b)
            AddCategoryValues(b, b, rows[b], data, false);
    } else {
        for (int b = 0; b < rows.size(); ++b) {
            if (rows[b].Code != options.ChartHimoku)
                continue;
            MakeNegSeries(1);
            MakePosSeries(1);
            AddCategoryValues(0, b, rows[b], data, false);
            break;
        }
    }
    Finish();
}

void TChartContents::DrawBalanceContent(const TNenSyukeiData &data, const TChartOptions &options)
{
    FreeSeries();
    Content = ccSyusi;
    Options = options;
    Title = (data.Getuji ? options.YearText + u"年度  月別 収支バランス"_s : u"年度別 収支バランス"_s) +
            (options.IncludeReserved ? u"　予約を含む"_s : QString()) +
            (options.Hiritu ? u"　 単位（％）"_s : u"　 単位（円）"_s);
    SetPoints(columnTitles(data));
    MakePosSeries(2);
    PosSeries[0]->setLabel(u"収入実績"_s);
    PosSeries[0]->setColor(BgrColor(Blue));
    PosSeries[1]->setLabel(u"支出実績"_s);
    PosSeries[1]->setColor(BgrColor(Red));
    AddLine(u"収支差額"_s);
    TNenSyukeiRec iri, deru, syusi;
    data.GetSum(1, iri);
    data.GetSum(2, deru);
    data.GetSum(4, syusi);
    for (int i = 1; i <= pointCount(data); ++i) {
        LineSeries->append(i - 1, pointValue(syusi, data, i).toDouble());
        PosSeries[1]->append(pointValue(deru, data, i).toDouble());
        PosSeries[0]->append(pointValue(iri, data, i).toDouble());
    }
    if (options.Hiritu) {
        // Filled but not drawn: a share has no balance.
        delete LineSeries;
        LineSeries = nullptr;
    }
    Finish();
}

void TChartContents::DrawAccountContent(const TNenSyukeiData &data, const TChartOptions &options)
{
    FreeSeries();
    Content = ccKouza;
    Options = options;
    Options.Hiritu = false; // accounts are drawn in amounts only
    Title = monthlyPrefix(data, options) + u"口座推移"_s + switchTexts(data, options) + u" 　単位（円）"_s;
    SetPoints(columnTitles(data));
    const TNenSyukeiArray &rows = data.Rows(3);
    MakeNegSeries(int(rows.size()));
    MakePosSeries(int(rows.size()));
    AddLine(u"資産・負債総合"_s);
    for (int b = 0; b < rows.size(); ++b)
        AddCategoryValues(b, b, rows[b], data, !rows[b].Karigata);
    TNenSyukeiRec net;
    data.GetSum(3, net);
    for (int i = 1; i <= pointCount(data); ++i)
        LineSeries->append(i - 1, pointValue(net, data, i).toDouble());
    Finish();
}

void TChartContents::DrawBudgetContent(int side, const TYosanJissekiData &data, const TChartOptions &options)
{
    FreeSeries();
    Content = side == 0 ? ccIriYosan : ccDeruYosan;
    Options = options;
    Title = options.YearText + u"年度 "_s + options.MonthText + u"月 "_s;
    if (side == 0)
        Title += options.Hiritu ? u"予算に対する充足率　単位（％）"_s : u"予算と収入実績　単位（円）"_s;
    else
        Title += options.Hiritu ? u"予算に対する使用率　単位（％）"_s : u"予算と使用実績　単位（円）"_s;
    TYosanJissekiArray rows;
    data.GetRows(side, rows);
    QStringList labels;
    if (!options.Hiritu) {
        MakeHorizSeries(2);
        HorizSeries[0]->setLabel(u"予算"_s);
        HorizSeries[0]->setColor(BgrColor(Blue));
        HorizSeries[1]->setLabel(u"実績"_s);
        HorizSeries[1]->setColor(BgrColor(Red));
        // From the last row up, so the first row is drawn at the top.
        for (qsizetype r = rows.size() - 1; r >= 0; --r) {
            HorizSeries[1]->append(rows[r].ImaJisseki.toDouble());
            labels << rows[r].Name;
        }
        for (qsizetype r = rows.size() - 1; r >= 0; --r)
            HorizSeries[0]->append(rows[r].ImaYosan.toDouble());
    } else {
        MakeHorizSeries(1);
        QBarSet *set = HorizSeries[0];
        set->setLabel(u"予算オーバー"_s);
        // Within budget blue, over budget red: the bars past 100 are the
        // selected ones of the set.
        set->setColor(BgrColor(Blue));
        set->setSelectedColor(BgrColor(Red));
        for (qsizetype r = rows.size() - 1; r >= 0; --r) {
            const TYosanJissekiRec &row = rows[r];
            if (row.ImaYosan.isZero()) {
                set->append(0.0);
                labels << row.Name + u" 予算無し"_s;
                continue;
            }
            const int64_t p = RoundHalfAway(double(row.ImaJisseki.raw()) / double(row.ImaYosan.raw()) * 100.0);
            set->append(double(p));
            labels << row.Name;
            if (p > 100)
                set->selectBar(set->count() - 1);
        }
    }
    SetPoints(labels);
    Finish();
}

// ---- on the chart ----------------------------------------------------------------

void TChartContents::Finish()
{
    m_chart->setTitle(Title);
    const bool horizontal = !HorizSeries.isEmpty();
    CategoryAxis = new QBarCategoryAxis;
    CategoryAxis->append(Points);
    // The names of the budget rows stand closer than a line; shown whole they
    // stay readable, cut short every one of them would read "...".
    CategoryAxis->setTruncateLabels(false);
    ValueAxis = new QValueAxis;
    ValueAxis->setLabelFormat(u"%.0f"_s);
    m_chart->addAxis(CategoryAxis, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    m_chart->addAxis(ValueAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    if (BarSeries) {
        // Negative sets first, then the positive ones: the legend lists the
        // positive sets only, in reverse.
        // A negative set without a negative value adds nothing to a stack and
        // is not in the legend: it stays off the chart, which then lays out
        // half the bars for a book without refunds.
        for (QBarSet *set : std::as_const(NegSeries)) {
            bool any = false;
            for (int i = 0; i < set->count() && !any; ++i)
                any = set->at(i) != 0.0;
            if (any)
                BarSeries->append(set);
            else
                m_offChart << set;
        }
        BarSeries->append(PosSeries);
        BarSeries->append(HorizSeries);
        m_chart->addSeries(BarSeries);
        BarSeries->attachAxis(CategoryAxis);
        BarSeries->attachAxis(ValueAxis);
        for (QLegendMarker *marker : m_chart->legend()->markers(BarSeries)) {
            auto *bar = qobject_cast<QBarLegendMarker *>(marker);
            if (bar && NegSeries.contains(bar->barset()))
                bar->setVisible(false);
        }
    }
    if (LineSeries) {
        m_chart->addSeries(LineSeries);
        LineSeries->attachAxis(CategoryAxis);
        LineSeries->attachAxis(ValueAxis);
    }

    // The range the values need, for the automatic value axis.
    m_low = m_high = 0;
    if (qobject_cast<QPercentBarSeries *>(BarSeries)) {
        m_high = 100;
    } else if (Options.Hiritu) {
        // Shares of the budget: 100 always in view, and room past the longest bar.
        double top = 100;
        for (const QBarSet *set : HorizSeries)
            for (int i = 0; i < set->count(); ++i)
                top = std::max(top, set->at(i));
        m_high = std::ceil(top * 1.1 / 10.0) * 10.0;
    } else {
        const bool stacked = qobject_cast<QStackedBarSeries *>(BarSeries) != nullptr;
        for (int i = 0; i < Points.size(); ++i) {
            double up = 0, down = 0;
            for (const QList<QBarSet *> *sets : {&NegSeries, &PosSeries, &HorizSeries}) {
                for (const QBarSet *set : *sets) {
                    const double v = i < set->count() ? set->at(i) : 0.0;
                    if (stacked) {
                        (v < 0 ? down : up) += v;
                    } else {
                        up = std::max(up, v);
                        down = std::min(down, v);
                    }
                }
            }
            m_high = std::max(m_high, up);
            m_low = std::min(m_low, down);
        }
    }
    if (LineSeries) {
        for (const QPointF &p : LineSeries->points()) {
            m_high = std::max(m_high, p.y());
            m_low = std::min(m_low, p.y());
        }
    }
    ValueAxis->setRange(m_low, m_high > m_low ? m_high : m_low + 1);
}

// ---- the value label ---------------------------------------------------------------

QString TChartContents::LineLabelText(int index) const
{
    if (!LineSeries || index < 0 || index >= LineSeries->count())
        return QString();
    const Currency v = Currency::fromDouble(LineSeries->at(index).y());
    if (v.isZero())
        return QString();
    return LineSeries->name() + u": "_s + KingakuToStr(v) + (Options.Suryou ? QString() : u"円"_s);
}

QString TChartContents::BarLabelText(const QBarSet *set, int index) const
{
    if (!set || index < 0 || index >= set->count())
        return QString();
    const bool budget = Content == ccIriYosan || Content == ccDeruYosan;
    const int store = m_storeRow.value(set, -1);
    Currency v = Currency::fromDouble(set->at(index));
    if (!budget && store >= 0 && index < 12)
        v = ValueStore[store][index];

    if (!Options.Hiritu) {
        if (v.isZero())
            return QString();
        return set->label() + u": "_s + KingakuToStr(v) + (Options.Suryou ? QString() : u"円"_s);
    }
    if (budget) {
        const QString point = index < Points.size() ? Points[index] : QString();
        return point + u": "_s + KingakuToStr(v) + u"％"_s;
    }
    // The share among the positive bars of the point. With none above zero
    // (only refunds, say) there is no whole to take a share of.
    Currency sum;
    for (const QBarSet *pos : PosSeries) {
        if (index >= pos->count())
            continue;
        const int row = m_storeRow.value(pos, -1);
        sum += row >= 0 ? std::max(Currency(), ValueStore[row][index]) : Currency::fromDouble(pos->at(index));
    }
    if (sum.raw() <= 0)
        return QString();
    const double share = double(v.raw()) / double(sum.raw()) * 100.0;
    return set->label() + u": "_s + QString::number(share, 'f', 1) + u"％"_s;
}
