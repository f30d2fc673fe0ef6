#pragma once

#include <array>
#include <memory>

#include <QPointer>

#include "views/ChartContents.h"

class QChart;
class TChartView;

// One chart for each of the chart page's contents, made when the content is
// first shown, and the view shows the chart of the content chosen. A content
// switched back to finds its series, sets, legend entries and axes as it left
// them and changes only its figures; building them again for every switch
// costs several times what the figures do on a book of many categories.
class TContentCharts
{
public:
    static constexpr int Count = ccDeruYosan + 1; // the page's contents

    // The view's chart becomes the chart of `firstContent`. Every chart, that
    // one too, gets the page's look before its first drawing.
    TContentCharts(TChartView *view, int firstContent);
    ~TContentCharts();
    TContentCharts(const TContentCharts &) = delete;
    TContentCharts &operator=(const TContentCharts &) = delete;

    // Puts the content's chart into the view (made on the first call) and
    // answers what draws on it.
    TChartContents &Show(int content);
    // What draws on the chart in the view.
    TChartContents &Current();
    int Shown() const { return m_shown; }
    // Every content's series and axes freed; the charts stay.
    void FreeAll();

private:
    QPointer<TChartView> m_view;
    // Guarded: a chart the view has shown goes when the view goes.
    std::array<QPointer<QChart>, Count> m_charts{};
    std::array<std::unique_ptr<TChartContents>, Count> m_contents;
    int m_shown = -1;
};
