#include "views/ContentCharts.h"

#include <algorithm>

#include <QChart>
#include <QLegend>

#include "views/ChartView.h"

namespace {

void lookOfThePage(QChart *chart)
{
    chart->setBackgroundBrush(QColor(0xFB, 0xF9, 0xF0));
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundVisible(true);
    chart->setTitleBrush(QColor(0, 0, 0x80));
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setReverseMarkers(true);
    chart->setAnimationOptions(QChart::GridAxisAnimations);
}

} // namespace

TContentCharts::TContentCharts(TChartView *view, int firstContent) : m_view(view)
{
    if (!view || !view->chart())
        return;
    m_shown = std::clamp(firstContent, 0, Count - 1);
    m_charts[m_shown] = view->chart();
    lookOfThePage(view->chart());
    m_contents[m_shown] = std::make_unique<TChartContents>(view->chart());
}

TContentCharts::~TContentCharts()
{
    // A chart the view has shown goes with the view, in its scene; the
    // others are ours. Series on a chart go with it, sets kept off a chart
    // with what drew it.
    for (int i = 0; i < Count; ++i) {
        m_contents[i].reset();
        if (m_charts[i] && !m_charts[i]->scene())
            delete m_charts[i].data();
    }
}

TChartContents &TContentCharts::Show(int content)
{
    content = std::clamp(content, 0, Count - 1);
    if (!m_charts[content]) {
        auto *chart = new QChart;
        lookOfThePage(chart);
        m_charts[content] = chart;
        m_contents[content] = std::make_unique<TChartContents>(chart);
    }
    // In the view before any figures change: a chart lays out what changed
    // once it is shown, at the view's size.
    if (m_view && m_view->chart() != m_charts[content])
        m_view->setChart(m_charts[content]);
    m_shown = content;
    return *m_contents[content];
}

TChartContents &TContentCharts::Current()
{
    return m_shown < 0 ? Show(ccDeru) : *m_contents[m_shown];
}

void TContentCharts::FreeAll()
{
    for (auto &contents : m_contents)
        if (contents)
            contents->FreeSeries();
}
