#include "views/ChartContents.h"

#include <algorithm>
#include <cmath>
#include <utility>

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
#include <QSet>
#include <QValueAxis>

#include "data/Utils.h"
#include "views/ChartView.h"
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

// The figures gathered for one drawing; the series and sets stay.
void TChartContents::ClearFigures()
{
    m_wanted.clear();
    m_overBudget.clear();
    m_linePoints.clear();
    m_lineWanted = false;
    ValueStore.clear();
    m_storeRow.clear();
    Points.clear();
    m_low = m_high = 0;
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
    ForgetSets();
    ClearFigures();
}

// ---- reuse between drawings ------------------------------------------------------
//
// Every legend entry and every bar is a graphics item of its own, and the
// legend takes its entries out one by one: building the sets of a content
// anew costs far more than its figures. A drawing of the same content as the
// last one therefore keeps the series, its sets (row i stays in set i, with
// its title and colour) and the axes, and puts in only the figures that
// changed; so does a drawing of another content with the same kind of
// series. Taking a series off the chart and back costs as much as a new one
// (its legend entries and bars go and come), so the sets stay on the chart
// and are filled quietly (see putQuietly).

namespace {

QList<qreal> valuesOf(const QBarSet *set)
{
    QList<qreal> v;
    v.reserve(set->count());
    for (int i = 0; i < set->count(); ++i)
        v << set->at(i);
    return v;
}

void putValues(QBarSet *set, const QList<qreal> &values)
{
    if (set->count() > 0)
        set->remove(0, set->count());
    set->append(values);
}

// The object through which a set tells its series of changes: its own child.
// Nullptr where the library keeps it elsewhere.
QObject *notifierOf(QBarSet *set)
{
    for (QObject *child : set->children())
        if (qstrcmp(child->metaObject()->className(), "QBarSetPrivate") == 0)
            return child;
    return nullptr;
}

// Puts the figures into sets on the chart. Every change a set tells lays out
// all bars of the series again, and a change of count builds them anew: with
// a year's figures in two hundred sets that is tens of thousands of bars. The
// sets are therefore filled without telling, and only the last change is
// told: the series then reads every set's values for one layout (one build
// when a count changed). When the axis is about to take a new range, which
// lays out every bar from the sets' values by itself, nothing is told unless
// a count changed. Where the notifier cannot be found, each change is told as
// it is made, which is slower but draws the same.
void putQuietly(const QList<QBarSet *> &sets, const QHash<QBarSet *, QList<qreal>> &wanted, bool tell)
{
    if (sets.isEmpty())
        return;
    const bool quiet = std::all_of(sets.begin(), sets.end(), [](QBarSet *set) { return notifierOf(set) != nullptr; });
    if (!quiet) {
        for (QBarSet *set : sets)
            putValues(set, wanted[set]);
        return;
    }
    const bool recount = std::any_of(sets.begin(), sets.end(),
                                     [&](QBarSet *set) { return set->count() != wanted[set].size(); });
    // Bars are built anew only when told of a change of count.
    if (!tell && !recount) {
        for (QBarSet *set : sets) {
            const QSignalBlocker blockSet(set);
            const QSignalBlocker blockNotifier(notifierOf(set));
            const QList<qreal> &values = wanted[set];
            for (int i = 0; i < values.size(); ++i)
                if (set->at(i) != values[i])
                    set->replace(i, values[i]);
        }
        return;
    }
    // The last set tells: a count change by its last value added (or, when
    // it ends empty, its last value taken off), else by its last differing
    // value replaced. Sets in the list differ from what they show.
    QBarSet *teller = sets.last();
    const QList<qreal> &last = wanted[teller];
    int told = -1;
    if (!recount)
        for (int i = 0; i < last.size(); ++i)
            if (teller->at(i) != last[i])
                told = i;
    for (QBarSet *set : sets) {
        const QList<qreal> &values = wanted[set];
        const QSignalBlocker blockSet(set);
        const QSignalBlocker blockNotifier(notifierOf(set));
        if (set == teller && recount) {
            if (last.isEmpty()) {
                set->remove(1, set->count() - 1);
            } else {
                set->remove(0, set->count());
                set->append(last.first(last.size() - 1));
            }
        } else if (set->count() == values.size()) {
            for (int i = 0; i < values.size(); ++i)
                if (set->at(i) != values[i] && !(set == teller && i == told))
                    set->replace(i, values[i]);
        } else {
            putValues(set, values);
        }
    }
    if (recount && last.isEmpty())
        teller->remove(0, 1);
    else if (recount)
        teller->append(last.last());
    else if (told >= 0)
        teller->replace(told, last[told]);
}

} // namespace

void TChartContents::DropBarSeries()
{
    if (BarSeries) {
        if (m_chart->series().contains(BarSeries))
            m_chart->removeSeries(BarSeries);
        delete BarSeries; // with the sets on it
        BarSeries = nullptr;
    }
    qDeleteAll(m_offChart);
    m_offChart.clear();
    ForgetSets();
}

void TChartContents::ForgetSets()
{
    PosSeries.clear();
    NegSeries.clear();
    HorizSeries.clear();
    m_sparePos.clear();
    m_spareNeg.clear();
    m_spareHoriz.clear();
}

void TChartContents::DropLine()
{
    if (!LineSeries)
        return;
    if (m_chart->series().contains(LineSeries))
        m_chart->removeSeries(LineSeries);
    delete LineSeries;
    LineSeries = nullptr;
}

void TChartContents::BeginDraw(int content, const TChartOptions &options, BarKind kind)
{
    // Contents drawn with the same kind of series (the two budgets, the
    // income and expense categories, the accounts) share it: a set takes the
    // title and colour of its new row like on a change of year.
    if (kind != m_kind) {
        DropLine();
        DropBarSeries();
    }
    Content = content;
    Options = options;
    m_kind = kind;
    m_sparePos = std::exchange(PosSeries, {});
    m_spareNeg = std::exchange(NegSeries, {});
    m_spareHoriz = std::exchange(HorizSeries, {});
    ClearFigures();
}

QBarSet *TChartContents::NextSet(QList<QBarSet *> &spare, QList<QBarSet *> &into)
{
    QBarSet *set = spare.isEmpty() ? new QBarSet(QString()) : spare.takeFirst();
    into << set;
    return set;
}

void TChartContents::SetLook(QBarSet *set, const QString &label, const QColor &color, const QColor &border)
{
    if (set->label() != label)
        set->setLabel(label);
    if (set->color() != color)
        set->setColor(color);
    if (border.isValid() && set->borderColor() != border)
        set->setBorderColor(border);
}

void TChartContents::SetPoints(const QStringList &labels)
{
    // The category axis keeps one entry per distinct text; two categories of
    // the same name still get a place each. The labels seldom change between
    // drawings, and telling a few hundred of them apart cost a budget drawing
    // about as much as all its other work: what they gave is kept.
    if (labels == m_pointLabels) {
        Points = m_distinctPoints;
        return;
    }
    Points.clear();
    Points.reserve(labels.size());
    QSet<QString> seen;
    seen.reserve(labels.size());
    for (QString label : labels) {
        while (seen.contains(label))
            label += QChar(0x200B);
        seen.insert(label);
        Points << label;
    }
    m_pointLabels = labels;
    m_distinctPoints = Points;
}

void TChartContents::WantLine(const QString &title, QList<QPointF> points)
{
    m_lineWanted = true;
    m_linePoints = std::move(points);
    if (LineSeries) {
        if (LineSeries->name() != title)
            LineSeries->setName(title);
        return;
    }
    LineSeries = new QLineSeries;
    LineSeries->setName(title);
    LineSeries->setColor(BgrColor(LineColor));
    LineSeries->setPointsVisible(true);
    QPen pen = LineSeries->pen();
    pen.setWidth(2);
    LineSeries->setPen(pen);
}

void TChartContents::AddCategoryValues(const TNenSyukeiRec &row, int colourRow, const TNenSyukeiData &data,
                                       bool negateBars)
{
    const int a = int(ValueStore.size());
    ValueStore << std::array<Currency, 12>{};
    const QColor c = SeriesColor(colourRow);
    QBarSet *neg = NextSet(m_spareNeg, NegSeries);
    QBarSet *pos = NextSet(m_sparePos, PosSeries);
    for (QBarSet *set : {neg, pos}) {
        SetLook(set, row.Name, c, c.darker(130));
        m_storeRow.insert(set, a);
    }
    const int n = pointCount(data);
    QList<qreal> negValues(n), posValues(n);
    for (int i = 1; i <= n; ++i) {
        const Currency v = pointValue(row, data, i);
        ValueStore[a][i - 1] = v;
        const double bar = negateBars ? -v.toDouble() : v.toDouble();
        negValues[i - 1] = bar < 0 ? bar : 0.0;
        posValues[i - 1] = bar < 0 ? 0.0 : bar;
    }
    m_wanted.insert(neg, std::move(negValues));
    m_wanted.insert(pos, std::move(posValues));
}

// ---- the contents ----------------------------------------------------------------

void TChartContents::DrawCategoryContent(int kind, const TNenSyukeiData &data, const TChartOptions &options)
{
    BeginDraw(kind == 1 ? ccIri : ccDeru, options, options.Hiritu ? BarKind::Percent : BarKind::Stacked);
    Title = monthlyPrefix(data, options) + (kind == 1 ? u"収入実績"_s : u"支出実績"_s) + switchTexts(data, options) +
            unitText(options);
    SetPoints(columnTitles(data));
    const TNenSyukeiArray &rows = data.Rows(kind);
    for (int b = 0; b < rows.size(); ++b) {
        if (options.ChartHimoku != 0 && rows[b].Code != options.ChartHimoku)
            continue;
        AddCategoryValues(rows[b], b, data, false);
        if (options.ChartHimoku != 0)
            break;
    }
    Finish();
}

void TChartContents::DrawBalanceContent(const TNenSyukeiData &data, const TChartOptions &options)
{
    BeginDraw(ccSyusi, options, options.Hiritu ? BarKind::Percent : BarKind::SideBySide);
    Title = (data.Getuji ? options.YearText + u"年度  月別 収支バランス"_s : u"年度別 収支バランス"_s) +
            (options.IncludeReserved ? u"　予約を含む"_s : QString()) +
            (options.Hiritu ? u"　 単位（％）"_s : u"　 単位（円）"_s);
    SetPoints(columnTitles(data));
    QBarSet *iriSet = NextSet(m_sparePos, PosSeries);
    QBarSet *deruSet = NextSet(m_sparePos, PosSeries);
    SetLook(iriSet, u"収入実績"_s, BgrColor(Blue));
    SetLook(deruSet, u"支出実績"_s, BgrColor(Red));
    TNenSyukeiRec iri, deru, syusi;
    data.GetSum(1, iri);
    data.GetSum(2, deru);
    data.GetSum(4, syusi);
    const int n = pointCount(data);
    QList<qreal> iriValues(n), deruValues(n);
    QList<QPointF> line(n);
    for (int i = 1; i <= n; ++i) {
        line[i - 1] = QPointF(i - 1, pointValue(syusi, data, i).toDouble());
        deruValues[i - 1] = pointValue(deru, data, i).toDouble();
        iriValues[i - 1] = pointValue(iri, data, i).toDouble();
    }
    m_wanted.insert(iriSet, std::move(iriValues));
    m_wanted.insert(deruSet, std::move(deruValues));
    // A share has no balance.
    if (!options.Hiritu)
        WantLine(u"収支差額"_s, std::move(line));
    Finish();
}

void TChartContents::DrawAccountContent(const TNenSyukeiData &data, const TChartOptions &options)
{
    TChartOptions amounts = options;
    amounts.Hiritu = false; // accounts are drawn in amounts only
    BeginDraw(ccKouza, amounts, BarKind::Stacked);
    Title = monthlyPrefix(data, options) + u"口座推移"_s + switchTexts(data, options) + u" 　単位（円）"_s;
    SetPoints(columnTitles(data));
    const TNenSyukeiArray &rows = data.Rows(3);
    for (int b = 0; b < rows.size(); ++b)
        AddCategoryValues(rows[b], b, data, !rows[b].Karigata);
    TNenSyukeiRec net;
    data.GetSum(3, net);
    const int n = pointCount(data);
    QList<QPointF> line(n);
    for (int i = 1; i <= n; ++i)
        line[i - 1] = QPointF(i - 1, pointValue(net, data, i).toDouble());
    WantLine(u"資産・負債総合"_s, std::move(line));
    Finish();
}

void TChartContents::DrawBudgetContent(int side, const TYosanJissekiData &data, const TChartOptions &options)
{
    BeginDraw(side == 0 ? ccIriYosan : ccDeruYosan, options,
              options.Hiritu ? BarKind::HorizontalShare : BarKind::Horizontal);
    Title = options.YearText + u"年度 "_s + options.MonthText + u"月 "_s;
    if (side == 0)
        Title += options.Hiritu ? u"予算に対する充足率　単位（％）"_s : u"予算と収入実績　単位（円）"_s;
    else
        Title += options.Hiritu ? u"予算に対する使用率　単位（％）"_s : u"予算と使用実績　単位（円）"_s;
    const TYosanJissekiArray &rows = side == 0 ? data.IriRows : data.DeruRows;
    const qsizetype n = rows.size();
    QStringList labels;
    labels.reserve(n);
    if (!options.Hiritu) {
        QBarSet *budget = NextSet(m_spareHoriz, HorizSeries);
        QBarSet *actual = NextSet(m_spareHoriz, HorizSeries);
        SetLook(budget, u"予算"_s, BgrColor(Blue));
        SetLook(actual, u"実績"_s, BgrColor(Red));
        QList<qreal> budgets(n), actuals(n);
        // From the last row up, so the first row is drawn at the top.
        for (qsizetype r = n - 1, i = 0; r >= 0; --r, ++i) {
            actuals[i] = rows[r].ImaJisseki.toDouble();
            budgets[i] = rows[r].ImaYosan.toDouble();
            labels << rows[r].Name;
        }
        m_wanted.insert(budget, std::move(budgets));
        m_wanted.insert(actual, std::move(actuals));
    } else {
        QBarSet *set = NextSet(m_spareHoriz, HorizSeries);
        SetLook(set, u"予算オーバー"_s, BgrColor(Blue));
        // Within budget blue, over budget red: the bars past 100 are the
        // selected ones of the set.
        if (set->selectedColor() != BgrColor(Red))
            set->setSelectedColor(BgrColor(Red));
        QList<qreal> shares(n);
        for (qsizetype r = n - 1, i = 0; r >= 0; --r, ++i) {
            const TYosanJissekiRec &row = rows[r];
            if (row.ImaYosan.isZero()) {
                shares[i] = 0.0;
                labels << row.Name + u" 予算無し"_s;
                continue;
            }
            const int64_t p = RoundHalfAway(double(row.ImaJisseki.raw()) / double(row.ImaYosan.raw()) * 100.0);
            shares[i] = double(p);
            labels << row.Name;
            if (p > 100)
                m_overBudget << int(i);
        }
        m_wanted.insert(set, std::move(shares));
    }
    SetPoints(labels);
    Finish();
}

// ---- on the chart ----------------------------------------------------------------

void TChartContents::PlaceAxes(bool horizontal)
{
    if (CategoryAxis && horizontal != m_horizontal) {
        for (QAbstractAxis *axis : {static_cast<QAbstractAxis *>(CategoryAxis), static_cast<QAbstractAxis *>(ValueAxis)}) {
            m_chart->removeAxis(axis);
            delete axis;
        }
        CategoryAxis = nullptr;
        ValueAxis = nullptr;
    }
    if (!CategoryAxis) {
        m_horizontal = horizontal;
        CategoryAxis = new QBarCategoryAxis;
        // The names of the budget rows stand closer than a line; shown whole they
        // stay readable, cut short every one of them would read "...".
        CategoryAxis->setTruncateLabels(false);
        ValueAxis = new QValueAxis;
        ValueAxis->setLabelFormat(u"%.0f"_s);
        m_chart->addAxis(CategoryAxis, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
        m_chart->addAxis(ValueAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    }
    if (CategoryAxis->categories() != Points)
        CategoryAxis->setCategories(Points);
}

void TChartContents::Finish()
{
    if (m_chart->title() != Title)
        m_chart->setTitle(Title);
    const bool horizontal = m_kind == BarKind::Horizontal || m_kind == BarKind::HorizontalShare;
    if (!m_lineWanted)
        DropLine();

    // Sets of the last drawing that this one did not take up.
    QList<QBarSet *> leftover = m_sparePos + m_spareNeg + m_spareHoriz;
    m_sparePos.clear();
    m_spareNeg.clear();
    m_spareHoriz.clear();

    // On the chart: negative sets first, then the positive ones, so the
    // legend lists the positive sets only, in reverse. A negative set without
    // a negative value adds nothing to a stack and is not in the legend: it
    // stays off the chart, which then lays out half the bars for a book
    // without refunds.
    QList<QBarSet *> onChart;
    for (QBarSet *set : std::as_const(NegSeries)) {
        const QList<qreal> &v = m_wanted[set];
        if (std::any_of(v.begin(), v.end(), [](qreal x) { return x != 0.0; }))
            onChart << set;
    }
    onChart << PosSeries << HorizSeries;

    // The value axis this drawing ends with: a share's own range, the frozen
    // range, or one fitted to the figures.
    FindRange(!onChart.isEmpty());
    double axisMin = 0, axisMax = 0;
    int axisTicks = TChartView::DefaultTicks;
    if (m_kind == BarKind::Percent || Options.Hiritu) {
        axisMin = m_low;
        axisMax = m_high > m_low ? m_high : m_low + 1;
    } else if (Options.AxisKept) {
        axisMin = Options.AxisMin;
        axisMax = Options.AxisMax;
        axisTicks = Options.AxisTicks;
    } else {
        TChartView::FitRange(m_low, m_high, axisMin, axisMax, axisTicks);
    }

    if (onChart.isEmpty()) {
        // Nothing to draw: the series goes with what it and this object held.
        DropBarSeries();
        leftover.clear();
        PlaceAxes(horizontal);
    } else {
        QList<QBarSet *> changed;
        for (QBarSet *set : PosSeries + NegSeries + HorizSeries)
            if (valuesOf(set) != m_wanted[set])
                changed << set;
        const bool onChartNow = BarSeries && m_chart->series().contains(BarSeries);
        if (onChartNow && BarSeries->barSets() == onChart) {
            PlaceAxes(horizontal);
            // A new range lays out every bar from the sets' values anyway:
            // then the sets need not tell of theirs. (The chart compares
            // ranges as loosely as this.)
            const bool rangeMoves =
                !qFuzzyCompare(ValueAxis->min(), axisMin) || !qFuzzyCompare(ValueAxis->max(), axisMax);
            putQuietly(changed, m_wanted, !rangeMoves);
        } else {
            // The line follows the bars, in the legend as on a fresh chart.
            if (LineSeries && m_chart->series().contains(LineSeries))
                m_chart->removeSeries(LineSeries);
            if (onChartNow)
                m_chart->removeSeries(BarSeries);
            PlaceAxes(horizontal);
            for (QBarSet *set : std::as_const(changed))
                putValues(set, m_wanted[set]);
            if (!BarSeries) {
                if (horizontal)
                    BarSeries = new QHorizontalBarSeries;
                else if (m_kind == BarKind::Percent)
                    BarSeries = new QPercentBarSeries;
                else if (m_kind == BarKind::SideBySide)
                    BarSeries = new QBarSeries;
                else
                    BarSeries = new QStackedBarSeries;
                BarSeries->setLabelsVisible(false);
            }
            // The series goes on the chart empty, takes its axes and their
            // range, and only then its sets: their legend entries and bars
            // are built and laid out once, not again for every step.
            const QList<QBarSet *> current = BarSeries->barSets();
            // A set taken off keeps the series as its parent until told.
            for (QBarSet *set : current) {
                BarSeries->take(set);
                set->setParent(nullptr);
            }
            m_offChart << current;
            for (QBarSet *set : std::as_const(onChart))
                m_offChart.removeOne(set);
            m_chart->addSeries(BarSeries);
            BarSeries->attachAxis(CategoryAxis);
            BarSeries->attachAxis(ValueAxis);
            TChartView::SetValueAxis(ValueAxis, axisMin, axisMax, axisTicks);
            BarSeries->append(onChart);
            const QSet<const QBarSet *> negative(NegSeries.cbegin(), NegSeries.cend());
            for (QLegendMarker *marker : m_chart->legend()->markers(BarSeries)) {
                auto *bar = qobject_cast<QBarLegendMarker *>(marker);
                if (bar && negative.contains(bar->barset()))
                    bar->setVisible(false);
            }
        }
    }
    // What is not on the chart is owned here; what the drawing left over goes.
    for (QBarSet *set : std::as_const(leftover)) {
        m_offChart.removeOne(set);
        delete set;
    }
    for (QBarSet *set : NegSeries)
        if (!onChart.contains(set) && !m_offChart.contains(set))
            m_offChart << set;
    for (QBarSet *set : PosSeries + HorizSeries)
        m_offChart.removeOne(set);
    if (m_kind == BarKind::HorizontalShare && !HorizSeries.isEmpty()) {
        QBarSet *set = HorizSeries.first();
        QList<int> selected = set->selectedBars();
        std::sort(selected.begin(), selected.end());
        if (selected != m_overBudget) {
            set->deselectAllBars();
            set->selectBars(m_overBudget);
        }
    }

    if (LineSeries) {
        if (LineSeries->points() != m_linePoints)
            LineSeries->replace(m_linePoints);
        if (!m_chart->series().contains(LineSeries)) {
            m_chart->addSeries(LineSeries);
            LineSeries->attachAxis(CategoryAxis);
            LineSeries->attachAxis(ValueAxis);
        }
    }

    TChartView::SetValueAxis(ValueAxis, axisMin, axisMax, axisTicks);
}

void TChartContents::FindRange(bool anyBars)
{
    // From the figures this drawing puts into the sets.
    static const QList<qreal> none;
    const auto values = [this](const QBarSet *set) -> const QList<qreal> & {
        const auto it = m_wanted.constFind(const_cast<QBarSet *>(set));
        return it == m_wanted.cend() ? none : *it;
    };
    m_low = m_high = 0;
    if (m_kind == BarKind::Percent && anyBars) {
        m_high = 100;
    } else if (Options.Hiritu) {
        // Shares of the budget: 100 always in view, and room past the longest bar.
        double top = 100;
        for (const QBarSet *set : std::as_const(HorizSeries))
            for (qreal v : values(set))
                top = std::max(top, v);
        m_high = std::ceil(top * 1.1 / 10.0) * 10.0;
    } else {
        const bool stacked = m_kind == BarKind::Stacked;
        for (int i = 0; i < Points.size(); ++i) {
            double up = 0, down = 0;
            for (const QList<QBarSet *> *sets : {&NegSeries, &PosSeries, &HorizSeries}) {
                for (const QBarSet *set : *sets) {
                    const QList<qreal> &v = values(set);
                    const double x = i < v.size() ? v[i] : 0.0;
                    if (stacked) {
                        (x < 0 ? down : up) += x;
                    } else {
                        up = std::max(up, x);
                        down = std::min(down, x);
                    }
                }
            }
            m_high = std::max(m_high, up);
            m_low = std::min(m_low, down);
        }
    }
    if (m_lineWanted) {
        for (const QPointF &p : std::as_const(m_linePoints)) {
            m_high = std::max(m_high, p.y());
            m_low = std::min(m_low, p.y());
        }
    }
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
