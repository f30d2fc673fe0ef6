#include "controls/ColorPageControl.h"

#include <QPainter>

#include "controls/ColorValue.h"

TColorPageControl::TColorPageControl(QWidget *parent)
    : QTabWidget(parent)
    , m_color(ColorValue::system(ColorValue::System::Window))
{
    m_bar = new TColorTabBar(TColorTabBar::PageControlRules, this);
    m_bar->setOwnerDraw(false);
    m_bar->tabColorProvider = [this](int i) { return tabColorFor(i); };
    setTabBar(m_bar);
    m_pageColor = color();
    connect(this, &QTabWidget::currentChanged, this, qOverload<>(&QWidget::update));
}

QColor TColorPageControl::color() const
{
    if (m_parentColor && parentWidget())
        return parentWidget()->palette().color(parentWidget()->backgroundRole());
    return m_color;
}

void TColorPageControl::setColor(const QColor &value)
{
    m_parentColor = false;
    m_color = value;
    update();
}

void TColorPageControl::setParentColor(bool value)
{
    m_parentColor = value;
    update();
}

void TColorPageControl::setTabStyle(TTabStyle value)
{
    m_bar->setTabStyle(value);
    update();
}

QColor TColorPageControl::pageBrushColor(int index) const
{
    QWidget *page = widget(index);
    return page ? page->palette().color(page->backgroundRole()) : color();
}

QColor TColorPageControl::tabColorFor(int index)
{
    QColor c = pageBrushColor(index);
    emit tabColor(widget(index), c);
    if (tabStyle() != tsTabs && index == currentIndex())
        c = Qt::white;
    return c;
}

QColor TColorPageControl::sheetEdgeColorNow()
{
    QColor c = tabStyle() == tsTabs ? pageBrushColor(currentIndex()) : color();
    emit sheetEdgeColor(c);
    return c;
}

void TColorPageControl::paintEvent(QPaintEvent *event)
{
    QTabWidget::paintEvent(event);
    if (currentIndex() < 0)
        return;
    const QColor c = sheetEdgeColorNow();
    const int b = m_bar->geometry().top() + m_bar->tabRect(currentIndex()).bottom() + 1;
    const int s = tabStyle() == tsTabs ? 2 : 0;
    const int w = width(), h = height();
    QPainter p(this);
    p.setBrush(Qt::NoBrush);
    p.setPen(c);
    // Frames in the classic sense: right and bottom edges excluded.
    p.drawRect(QRect(QPoint(2, b + 5 - s), QPoint(w - 3, h - 3)));
    p.drawRect(QRect(QPoint(3, b + 4 - s), QPoint(w - 4, h - 4)));
    if (tabStyle() == tsButtons) {
        const QRect in(QPoint(4, b + 5 - s), QPoint(w - 5, h - 5));
        p.setPen(ColorValue::system(ColorValue::System::BtnHighlight));
        p.drawLine(in.topLeft(), in.topRight());
        p.drawLine(in.topLeft(), in.bottomLeft());
        p.setPen(ColorValue::system(ColorValue::System::BtnShadow));
        p.drawLine(in.bottomLeft(), in.bottomRight());
        p.drawLine(in.topRight(), in.bottomRight());
    }
}
