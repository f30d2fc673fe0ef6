#pragma once

#include <QChart>
#include <QGraphicsView>
#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QTimer>

class QGraphicsScene;
class QLabel;
class QRubberBand;
class QValueAxis;
class TMySpeedButton;

// The chart widget of the pages that draw charts (the chart page, the
// passbook's balance chart): antialiased, a drag from top left to bottom
// right zooms into the dragged rectangle and the reverse drag undoes the zoom
// (a right click zooms back out a step), with the hint that says so. It
// carries the freeze buttons of the value axes and the small value label that
// a click on a bar shows for three seconds.
//
// A view that shows one of several charts in turn keeps each chart in a scene
// of its own: switching moves no item, where taking a chart of a few thousand
// bars out of a shared scene and putting another in visits every item of both.
class TChartView : public QGraphicsView
{
    Q_OBJECT
public:
    static constexpr int LabelMillis = 3000;
    static const QString &HintText();

    explicit TChartView(QChart *chart, QWidget *parent = nullptr);
    ~TChartView() override;

    // The chart shown, sized to the view. A chart once shown belongs to the
    // view (with its scene) until it is deleted.
    QChart *chart() const { return m_chart; }
    void setChart(QChart *chart);

    // Toggle buttons on the chart, hidden until a page shows them: the left
    // (value) axis near the top left corner, the bottom axis 3 pixels from the
    // bottom right corner. Down keeps the axis as it is.
    TMySpeedButton *MySpBtnYFix = nullptr;
    TMySpeedButton *MySpBtnXFix = nullptr;
    // The value label of a clicked bar or point, hidden by LabelTimer.
    QLabel *LB_Bunrui = nullptr;
    QTimer LabelTimer;

    // The hint, shown again by a page's refresh after a label switched it off.
    void SetHintShown(bool shown);
    bool HintShown() const;

    // Shows the label with its left edge at x and its bottom at y (in the
    // view's coordinates) for three seconds, and switches the hint off; an
    // empty text shows nothing.
    void ShowValueLabel(const QString &text, const QPoint &at);
    void HideValueLabel();

    // The automatic range of a value axis: from low to high with a tenth to
    // spare, in whole thousands (smaller steps for figures under a thousand),
    // on round ticks; an axis whose freeze button is down keeps its range.
    static void FitValueAxis(QValueAxis *axis, double low, double high, const TMySpeedButton *freeze = nullptr);
    // The range and tick count FitValueAxis puts on an axis.
    static void FitRange(double low, double high, double &min, double &max, int &ticks);
    // Puts a range and tick count on an axis, each only where it differs: a
    // new range lays out every bar of the chart again.
    static void SetValueAxis(QValueAxis *axis, double min, double max, int ticks);
    // The tick count of a new value axis. Fitted ticks are always rounded
    // from it, so an axis kept between drawings shows what a new one would
    // whatever it showed before.
    static constexpr int DefaultTicks = 5;

    // The zoom as a drag leaves it (the mouse handlers forward here).
    void DragZoom(const QPoint &from, const QPoint &to);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitChart();
    void placeButtons();

    QPointer<QChart> m_chart;
    QHash<const QChart *, QGraphicsScene *> m_scenes;
    QRubberBand *m_band = nullptr;
    QPoint m_pressAt;
    bool m_pressed = false;
};
