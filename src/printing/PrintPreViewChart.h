#pragma once

#include <QPointer>

#include "printing/PrintPreView.h"

class QWidget;

// The print of one chart on one page, filling the body, with a print-date
// footer. The chart is the widget the screen shows, drawn again at the
// target's resolution (a chart view draws its scene, any other widget its
// picture); the caller keeps owning it.
class TFormPrintPreViewChart : public TFormPrintPreView
{
    Q_OBJECT
public:
    explicit TFormPrintPreViewChart(QWidget *parent = nullptr);
    ~TFormPrintPreViewChart() override;

    QPointer<QWidget> Chart;

    void DrawPreview() override;
    void DrawPage(QPainter &canvas) override;
    void DrawFooter(QPainter &canvas) override;
    void PageSeteiClick() override;

protected:
    void prepareShow() override;
};

// The open chart preview, if any.
extern TFormPrintPreViewChart *FormPrintPreViewChart;

// The chart print of a page: a preview of chart, shown modally. The entry every
// page's グラフを印刷 uses.
void PrintChart(QWidget *page, QWidget *chart);
