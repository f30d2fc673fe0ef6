#include "views/ChartView.h"

#include <algorithm>
#include <cmath>

#include <QChart>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QLabel>
#include <QMouseEvent>
#include <QRubberBand>
#include <QValueAxis>

#include "controls/FrameBtn.h"

using namespace Qt::StringLiterals;

const QString &TChartView::HintText()
{
    static const QString text = u"左上から右下へドラックでズーム、逆で解除します。"_s;
    return text;
}

TChartView::TChartView(QChart *chart, QWidget *parent) : QGraphicsView(parent)
{
    setFrameShape(QFrame::NoFrame);
    setBackgroundRole(QPalette::Window);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setRenderHint(QPainter::Antialiasing);
    // Clicks reach the bars through the rubber band, so a bar can be clicked
    // for its value on a chart that zooms by dragging.
    m_band = new QRubberBand(QRubberBand::Rectangle, viewport());
    m_band->hide();
    setToolTip(HintText());

    auto freeze = [this](const QString &name, const QString &caption) {
        auto *b = new TFrameBtn(this);
        b->setObjectName(name);
        b->setText(caption);
        b->setGroupIndex(1);
        b->setAllowAllUp(true);
        b->setFixedSize(fontMetrics().horizontalAdvance(caption) + 14, 22);
        b->hide();
        return b;
    };
    MySpBtnYFix = freeze(u"MySpBtnYFix"_s, u"Y軸固定"_s);
    MySpBtnXFix = freeze(u"MySpBtnXFix"_s, u"X軸固定"_s);

    LB_Bunrui = new QLabel(this);
    LB_Bunrui->setObjectName(u"LB_Bunrui"_s);
    LB_Bunrui->setFrameShape(QFrame::Box);
    LB_Bunrui->setAutoFillBackground(true);
    QPalette pal = LB_Bunrui->palette();
    pal.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xE1));
    pal.setColor(QPalette::WindowText, Qt::black);
    LB_Bunrui->setPalette(pal);
    LB_Bunrui->setMargin(2);
    LB_Bunrui->hide();

    LabelTimer.setSingleShot(true);
    LabelTimer.setInterval(LabelMillis);
    connect(&LabelTimer, &QTimer::timeout, this, &TChartView::HideValueLabel);
    placeButtons();
    setChart(chart);
}

TChartView::~TChartView()
{
    // The scenes, and the charts in them, go after this object's own members.
    for (auto it = m_scenes.cbegin(); it != m_scenes.cend(); ++it)
        disconnect(it.key(), &QObject::destroyed, this, nullptr);
}

void TChartView::setChart(QChart *chart)
{
    if (!chart || chart == m_chart)
        return;
    QGraphicsScene *own = m_scenes.value(chart);
    if (!own) {
        own = new QGraphicsScene(this);
        // New figures move most bars of a chart, and an indexed scene files
        // every moved item anew; finding the bar under the mouse among a few
        // thousand needs no index.
        own->setItemIndexMethod(QGraphicsScene::NoIndex);
        own->addItem(chart);
        // A scene counts the views that show it in an active window and, when
        // that count comes to or leaves zero, sorts all its items to tell the
        // charts of it; a chart looks the same either way. Counted once here,
        // the scene stays active, and a switch of charts walks no bars.
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(own, &activate);
        m_scenes.insert(chart, own);
        // A chart deleted elsewhere leaves its scene; the scene goes with it.
        connect(chart, &QObject::destroyed, this, [this, chart] {
            if (QGraphicsScene *left = m_scenes.take(chart)) {
                if (scene() == left)
                    setScene(nullptr);
                left->deleteLater();
            }
        });
    }
    m_chart = chart;
    m_band->hide();
    setScene(own);
    fitChart();
}

void TChartView::fitChart()
{
    if (!m_chart)
        return;
    // A chart not shown at the last resize takes the view's size now.
    if (m_chart->size() != QSizeF(size()))
        m_chart->resize(size());
    setMinimumSize(m_chart->minimumSize().toSize().expandedTo(minimumSize()));
    setSceneRect(m_chart->geometry());
}

void TChartView::SetHintShown(bool shown) { setToolTip(shown ? HintText() : QString()); }

bool TChartView::HintShown() const { return !toolTip().isEmpty(); }

void TChartView::ShowValueLabel(const QString &text, const QPoint &at)
{
    if (text.isEmpty())
        return;
    LB_Bunrui->setText(text);
    LB_Bunrui->adjustSize();
    LB_Bunrui->move(at.x(), at.y() - LB_Bunrui->height());
    LB_Bunrui->show();
    LB_Bunrui->raise();
    SetHintShown(false);
    LabelTimer.start();
}

void TChartView::HideValueLabel()
{
    LabelTimer.stop();
    LB_Bunrui->hide();
}

void TChartView::FitValueAxis(QValueAxis *axis, double low, double high, const TMySpeedButton *freeze)
{
    if (!axis || (freeze && freeze->down()))
        return;
    double min = 0, max = 0;
    int ticks = DefaultTicks;
    FitRange(low, high, min, max, ticks);
    SetValueAxis(axis, min, max, ticks);
}

void TChartView::FitRange(double low, double high, double &min, double &max, int &ticks)
{
    // Whole thousands, or a smaller power of ten for small figures (quantities).
    double step = 1000.0;
    const double largest = std::max(std::abs(low), std::abs(high)) * 1.1;
    while (step > 1.0 && largest > 0 && largest < step)
        step /= 10.0;
    double top = std::ceil(high * 1.1 / step) * step;
    const double bottom = std::floor(low * 1.1 / step) * step;
    if (top <= bottom)
        top = bottom + step;
    // Ticks on round figures, rounded from a new axis's tick count, worked
    // out on an axis of no chart so that a chart's axis changes once.
    QValueAxis rounding;
    rounding.setRange(bottom, top);
    rounding.setTickCount(DefaultTicks);
    rounding.applyNiceNumbers();
    min = rounding.min();
    max = rounding.max();
    ticks = rounding.tickCount();
}

void TChartView::SetValueAxis(QValueAxis *axis, double min, double max, int ticks)
{
    if (!axis)
        return;
    if (axis->tickCount() != ticks)
        axis->setTickCount(ticks);
    if (axis->min() != min || axis->max() != max)
        axis->setRange(min, max);
}

void TChartView::DragZoom(const QPoint &from, const QPoint &to)
{
    if (!chart())
        return;
    if (to.x() < from.x() && to.y() < from.y()) {
        chart()->zoomReset();
        return;
    }
    const QRectF rect = QRectF(from, to).normalized().intersected(chart()->plotArea());
    if (rect.width() > 2 && rect.height() > 2)
        chart()->zoomIn(rect);
}

void TChartView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    m_pressAt = event->position().toPoint();
    // A drag that starts on the plot area shows the dragged rectangle.
    if (m_pressed && m_chart && m_chart->plotArea().contains(event->position())) {
        m_band->setGeometry(QRect(m_pressAt, QSize()));
        m_band->show();
    }
    // The scene gets the press too: a bar counts a press and a release as a click.
    QGraphicsView::mousePressEvent(event);
}

void TChartView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_band->isVisible() && m_chart) {
        const QRect plot = m_chart->plotArea().toRect();
        const QPoint at(std::clamp(event->position().toPoint().x(), plot.left(), plot.right()),
                        std::clamp(event->position().toPoint().y(), plot.top(), plot.bottom()));
        m_band->setGeometry(QRect(m_pressAt, at).normalized());
    }
    QGraphicsView::mouseMoveEvent(event);
}

void TChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton && m_chart) {
        m_chart->zoomOut();
        QGraphicsView::mouseReleaseEvent(event);
        return;
    }
    if (!m_pressed || event->button() != Qt::LeftButton) {
        QGraphicsView::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    // The direction of the drag decides between zooming in and undoing the zoom.
    m_band->hide();
    const QPoint to = event->position().toPoint();
    if ((to - m_pressAt).manhattanLength() > 4)
        DragZoom(m_pressAt, to);
    QGraphicsView::mouseReleaseEvent(event);
}

void TChartView::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    fitChart();
    placeButtons();
}

void TChartView::placeButtons()
{
    MySpBtnYFix->move(3, 3);
    MySpBtnXFix->move(width() - MySpBtnXFix->width() - 3, height() - MySpBtnXFix->height() - 3);
}
