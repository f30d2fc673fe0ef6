#include "main/SelecterHeader.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>
#include <QPainter>

namespace {
// How near the section's right edge a press grabs it for dragging.
constexpr int EdgeGrip = 4;
// Presses this near either end of the section neither add nor remove a row.
constexpr int DeadEnd = 5;
} // namespace

TSelecterHeader::TSelecterHeader(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HeadCtlSelecter"));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setToolTip(QStringLiteral("＋で選択肢を高く、－で低くします。右端をドラッグすると幅が変わります。"));
}

QSize TSelecterHeader::sizeHint() const
{
    return {m_sectionWidth, fontMetrics().height() + 4};
}

void TSelecterHeader::setSectionWidth(int width)
{
    m_sectionWidth = std::max(2, width);
    update();
}

int TSelecterHeader::zoneAt(int x) const
{
    const int half = m_sectionWidth / 2;
    if (x >= DeadEnd && x < half)
        return -1;
    if (x >= half && x < m_sectionWidth - DeadEnd)
        return 1;
    return 0;
}

bool TSelecterHeader::onEdge(int x) const
{
    return std::abs(x - m_sectionWidth) <= EdgeGrip;
}

void TSelecterHeader::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect section(0, 0, std::min(m_sectionWidth, width()), height());
    p.fillRect(section, QColor(0xDE, 0xE0, 0xE9));
    p.setPen(Qt::white);
    p.drawLine(section.topLeft(), section.topRight());
    p.drawLine(section.topLeft(), section.bottomLeft());
    p.setPen(palette().color(QPalette::Shadow));
    p.drawLine(section.bottomLeft(), section.bottomRight());
    p.drawLine(section.topRight(), section.bottomRight());

    // Signs as long as nine tenths of the height, odd so they have a middle.
    int len = int(std::lround(height() * 0.9));
    if (len % 2 == 0)
        --len;
    len = std::max(1, std::min(len, section.width() / 4));
    const int mid = height() / 2;
    const int plusLeft = std::min(2 * len, section.width() / 4);
    const int minusLeft = std::max(section.width() / 2, section.width() - 2 * len - len);
    p.setPen(QPen(QColor(0x00, 0x80, 0xFF), 1));
    p.drawLine(plusLeft, mid, plusLeft + len - 1, mid);
    p.drawLine(plusLeft + len / 2, mid - len / 2, plusLeft + len / 2, mid + len / 2);
    p.drawLine(minusLeft, mid, minusLeft + len - 1, mid);
}

void TSelecterHeader::mousePressEvent(QMouseEvent *event)
{
    const int x = event->position().toPoint().x();
    if (event->button() != Qt::LeftButton)
        return;
    if (onEdge(x)) {
        m_dragging = true;
        return;
    }
    if (OnPress)
        OnPress(zoneAt(x));
}

void TSelecterHeader::mouseMoveEvent(QMouseEvent *event)
{
    const int x = event->position().toPoint().x();
    if (m_dragging) {
        if (OnTrack)
            OnTrack(std::max(2, x), false);
        return;
    }
    if (onEdge(x))
        setCursor(Qt::SplitHCursor);
    else if (zoneAt(x) != 0)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void TSelecterHeader::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging) {
        m_dragging = false;
        if (OnTrack)
            OnTrack(std::max(2, int(event->position().toPoint().x())), true);
    }
    if (OnRelease)
        OnRelease();
}
