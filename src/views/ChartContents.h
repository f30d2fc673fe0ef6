#pragma once

#include <array>

#include <QColor>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>

#include "platform/db/Currency.h"
#include "views/ChartView.h"

class QAbstractBarSeries;
class QBarCategoryAxis;
class QBarSet;
class QChart;
class QLineSeries;
class QValueAxis;
class TNenSyukeiData;
class TYosanJissekiData;

// What the chart page draws: the six contents of its 表示項目 group.
enum TChartContent : int {
    ccIri = 0,      // 収入実績
    ccDeru = 1,     // 支出実績
    ccSyusi = 2,    // 収入と支出
    ccKouza = 3,    // 口座推移
    ccIriYosan = 4, // 収入予算と実績
    ccDeruYosan = 5 // 支出予算と実績
};

// The switches of the page that shape a content's series and title.
struct TChartOptions
{
    bool Hiritu = false;          // 比率 (shares) instead of 金額
    bool IncludeReserved = false; // only the title reads it; the calculators have their own switch
    bool Suryou = false;          // quantities: the value label names no "円"
    int ChartHimoku = 0;          // contents 0 and 1: 0 every category, -1 none, else one code
    QString YearText;             // the year box's text
    QString MonthText;            // the month box's text
    // The value axis of amounts: fitted to the figures, or, frozen, kept at
    // this range and tick count. Shares always have their own range.
    bool AxisKept = false;
    double AxisMin = 0;
    double AxisMax = 0;
    int AxisTicks = TChartView::DefaultTicks;
};

// Turns the figures of the annual totals calculator and of the budget
// calculator into the chart's series, and answers what a click on one of them
// shows. The chart is handed in; the series, the axes and the title this
// object puts on it are its own until the next Free.
//
// A bar series of the charting library holds bar sets; one set here is what
// the page calls a series: PosSeries carry the values of 0 and above, listed in
// the legend; NegSeries the negative ones, left out of the legend; both sets
// of a category share its colour and title. The library stacks negative
// values downwards from zero by itself, so a negative set keeps its own value
// and the stack still reaches down to the sum of the negatives at that point.
class TChartContents
{
public:
    explicit TChartContents(QChart *chart);
    QChart *Chart() const { return m_chart; }
    ~TChartContents();
    TChartContents(const TChartContents &) = delete;
    TChartContents &operator=(const TChartContents &) = delete;

    // Clears the chart's series and axes and forgets the value store. The
    // drawings below need no Free before them: one of the same content keeps
    // the series, sets and axes and changes only what differs.
    void FreeSeries();

    // Contents 0 and 1 (kind 1 income, 2 expense) from the calculator's last
    // computation: one pair of sets per category row, or only the row of
    // options.ChartHimoku.
    void DrawCategoryContent(int kind, const TNenSyukeiData &data, const TChartOptions &options);
    // Content 2: income and expense side by side, the balance as a line (金額 only).
    void DrawBalanceContent(const TNenSyukeiData &data, const TChartOptions &options);
    // Content 3: a pair of sets per account, liabilities below zero, and the
    // net worth as a line.
    void DrawAccountContent(const TNenSyukeiData &data, const TChartOptions &options);
    // Contents 4 and 5 (side 0 income, 1 expense): this month's budget against
    // the actual as horizontal bars, or the actual as a share of the budget.
    void DrawBudgetContent(int side, const TYosanJissekiData &data, const TChartOptions &options);

    // What the value label shows for a click on a bar, or on a point of the
    // line; an empty text shows no label.
    QString BarLabelText(const QBarSet *set, int index) const;
    QString LineLabelText(int index) const;

    // The range of the values drawn, for the automatic value axis.
    double ValueLow() const { return m_low; }
    double ValueHigh() const { return m_high; }

    // The 28 colours of the categories and accounts, by row index mod 28.
    static QColor SeriesColor(int rowIndex);
    // A colour as the value table writes it: blue, green, red from the high byte down.
    static QColor BgrColor(quint32 value);

    int Content = ccDeru;
    TChartOptions Options;
    QString Title;
    QStringList Points;                   // the labels of the points, in order
    QAbstractBarSeries *BarSeries = nullptr;
    QList<QBarSet *> PosSeries;
    QList<QBarSet *> NegSeries;
    QList<QBarSet *> HorizSeries;
    QLineSeries *LineSeries = nullptr;
    QList<std::array<Currency, 12>> ValueStore;
    QBarCategoryAxis *CategoryAxis = nullptr;
    QValueAxis *ValueAxis = nullptr;

private:
    // The kind of bar series a drawing needs; a drawing of the same content
    // and kind as the last one keeps its series, sets and axes.
    enum class BarKind { Stacked, Percent, SideBySide, Horizontal, HorizontalShare };

    void BeginDraw(int content, const TChartOptions &options, BarKind kind);
    QBarSet *NextSet(QList<QBarSet *> &spare, QList<QBarSet *> &into);
    void SetLook(QBarSet *set, const QString &label, const QColor &color, const QColor &border = QColor());
    void AddCategoryValues(const struct TNenSyukeiRec &row, int colourRow, const TNenSyukeiData &data,
                           bool negateBars);
    void SetPoints(const QStringList &labels);
    void WantLine(const QString &title, QList<QPointF> points);
    void DropBarSeries();
    // Forgets the lists of sets; who owns the sets has dealt with them.
    void ForgetSets();
    void DropLine();
    void PlaceAxes(bool horizontal);
    void Finish();
    // The range of the figures this drawing puts in (ValueLow, ValueHigh).
    void FindRange(bool anyBars);
    void ClearFigures();

    QChart *m_chart;
    BarKind m_kind = BarKind::Stacked;
    QHash<const QBarSet *, int> m_storeRow;
    QList<QBarSet *> m_offChart; // owned here: sets that are not on the chart
    // Sets of the last drawing that this one has not taken up yet.
    QList<QBarSet *> m_sparePos;
    QList<QBarSet *> m_spareNeg;
    QList<QBarSet *> m_spareHoriz;
    // What this drawing puts into the sets and the line; Finish compares it
    // with what they hold, so unchanged figures cost no new layout.
    QHash<QBarSet *, QList<qreal>> m_wanted;
    QList<int> m_overBudget;
    QList<QPointF> m_linePoints;
    QStringList m_pointLabels;    // the labels SetPoints was last given
    QStringList m_distinctPoints; // and the distinct texts it made of them
    bool m_lineWanted = false;
    bool m_horizontal = false;
    double m_low = 0;
    double m_high = 0;
};
