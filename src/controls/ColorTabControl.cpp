#include "controls/ColorTabControl.h"

#include <QPainter>

#include "controls/ColorValue.h"

TColorTabControl::TColorTabControl(QWidget *parent)
    : QWidget(parent)
    , m_tabColor(ColorValue::system(ColorValue::System::BtnFace))
    , m_color(ColorValue::system(ColorValue::System::Window))
{
    m_bar = new TColorTabBar(TColorTabBar::TabControlRules, this);
    m_bar->tabColorProvider = [this](int) { return m_tabColor; };
    connect(m_bar, &QTabBar::currentChanged, this, [this](int i) {
        update();
        emit currentChanged(i);
    });
    placeTabs();
}

void TColorTabControl::setTabColor(const QColor &value)
{
    m_tabColor = value;
    m_bar->update();
    update();
}

void TColorTabControl::setColor(const QColor &value)
{
    m_color = value;
    update();
}

void TColorTabControl::setTabStyle(TTabStyle value)
{
    m_bar->setTabStyle(value);
    update();
}

void TColorTabControl::placeTabs()
{
    const int h = m_bar->sizeHint().height();
    m_bar->setGeometry(2, 0, width() - 4, h);
    setContentsMargins(4, h + 4, 4, 4);
}

void TColorTabControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeTabs();
}

QRect TColorTabControl::bodyRect() const
{
    const int tabBottom = m_bar->geometry().bottom();
    return QRect(QPoint(2, tabBottom + 1), QPoint(width() - 3, height() - 3));
}

void TColorTabControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_color);
    p.setPen(m_tabColor);
    p.setBrush(m_tabColor);
    const int s = tabStyle() == tsTabs ? 2 : 0;
    const int b = m_bar->geometry().bottom() + 1;
    if (tabStyle() == tsTabs) {
        // The band under each tab joins it to the body.
        for (int i = 0; i < m_bar->count(); ++i) {
            const QRect t = m_bar->tabRect(i).translated(m_bar->pos());
            p.drawRect(QRect(QPoint(t.left() + 2, t.bottom() - 2), QPoint(t.right() - 2, t.bottom())));
        }
    }
    if (m_bar->currentIndex() >= 0)
        p.drawRect(bodyRect().adjusted(0, 0, -1, -1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(2, b + 5 - s), QPoint(width() - 3, height() - 3)));
    p.drawRect(QRect(QPoint(3, b + 4 - s), QPoint(width() - 4, height() - 4)));
}
