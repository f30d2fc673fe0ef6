#include "controls/ColorTabBar.h"

#include <QMouseEvent>
#include <QPainter>

#include "controls/ColorValue.h"

TColorTabBar::TColorTabBar(Rules rules, QWidget *parent)
    : QTabBar(parent)
    , m_rules(rules)
{
    setMouseTracking(true);
    setDrawBase(false);
    setExpanding(false);
}

void TColorTabBar::setOwnerDraw(bool value)
{
    m_ownerDraw = value;
    update();
}

void TColorTabBar::setTabStyle(TTabStyle value)
{
    m_tabStyle = value;
    update();
}

QColor TColorTabBar::tabTextColor(int index) const
{
    if (index == m_hovered)
        return ColorValue::fromBgr(0xFF0000);
    return palette().color(QPalette::WindowText);
}

QPoint TColorTabBar::tabOffset(int index) const
{
    const bool selected = index == currentIndex();
    if (m_tabStyle == tsTabs)
        return QPoint(selected ? 4 : 0, 0);
    if (m_rules == TabControlRules)
        return selected ? QPoint(0, -1) : QPoint(-1, -2);
    return selected ? QPoint(2, 1) : QPoint(0, -1);
}

void TColorTabBar::paintEvent(QPaintEvent *event)
{
    if (!m_ownerDraw || !tabColorProvider) {
        QTabBar::paintEvent(event);
        return;
    }
    QPainter p(this);
    for (int i = 0; i < count(); ++i) {
        const QRect unmoved = tabRect(i);
        QRect r = unmoved;
        if (m_rules == PageControlRules) {
            r.adjust(0, 0, -1, 0);
            if (m_tabStyle == tsTabs)
                r.translate(0, 2);
        }
        const QColor c = tabColorProvider(i);
        p.setPen(c);
        p.setBrush(c);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        const QPoint d = tabOffset(i);
        int textStart = 3;
        const QIcon icon = tabIcon(i);
        const QRect base = m_rules == PageControlRules ? unmoved : r;
        if (!icon.isNull()) {
            const QSize is = iconSize();
            const int iconY = m_rules == PageControlRules ? base.top() + d.y() : base.top() + d.y() + 3;
            icon.paint(&p, QRect(QPoint(base.left() + d.x() + 3, iconY), is));
            textStart = is.width() + 7;
        }
        p.setPen(tabTextColor(i));
        p.drawText(QRect(base.left() + textStart + d.x(), base.top() + d.y() + 4, base.width(), base.height()),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, tabText(i));
    }
}

void TColorTabBar::mouseMoveEvent(QMouseEvent *event)
{
    const int now = tabAt(event->position().toPoint());
    if (now != m_hovered) {
        m_hovered = now;
        update();
    }
    QTabBar::mouseMoveEvent(event);
}

void TColorTabBar::leaveEvent(QEvent *event)
{
    if (m_hovered != -1) {
        m_hovered = -1;
        update();
    }
    QTabBar::leaveEvent(event);
}
