#include "controls/ColorBevel.h"

#include <QLinearGradient>
#include <QPainter>

#include "controls/ColorValue.h"

QColor TColorBevel::defaultEndColor()
{
    return ColorValue::adjustLuma(ColorValue::system(ColorValue::System::BtnFace), -25);
}

QList<TColorBevel::Line> TColorBevel::bevelLines(TBevelShape shape, QSize size)
{
    const int w = size.width(), h = size.height();
    switch (shape) {
    case bsBox:
        // Top-left lines of (0, 0, W-1, H-1) in colour 1, bottom-right in colour 2.
        return {{QLine(0, 0, w - 1, 0), 1}, {QLine(0, 0, 0, h - 1), 1},
                {QLine(w - 1, 0, w - 1, h - 1), 2}, {QLine(0, h - 1, w - 1, h - 1), 2}};
    case bsFrame:
        return {{QLine(1, 1, w - 1, 1), 2}, {QLine(1, 1, 1, h - 1), 2},
                {QLine(w - 1, 1, w - 1, h - 1), 2}, {QLine(1, h - 1, w - 1, h - 1), 2},
                {QLine(0, 0, w - 2, 0), 1}, {QLine(0, 0, 0, h - 2), 1},
                {QLine(w - 2, 0, w - 2, h - 2), 1}, {QLine(0, h - 2, w - 2, h - 2), 1}};
    case bsTopLine:
        return {{QLine(0, 0, w - 1, 0), 1}, {QLine(0, 1, w - 1, 1), 2}};
    case bsBottomLine:
        return {{QLine(0, h - 2, w - 1, h - 2), 1}, {QLine(0, h - 1, w - 1, h - 1), 2}};
    case bsLeftLine:
        return {{QLine(0, 0, 0, h - 1), 1}, {QLine(1, 0, 1, h - 1), 2}};
    case bsRightLine:
        return {{QLine(w - 2, 0, w - 2, h - 1), 1}, {QLine(w - 1, 0, w - 1, h - 1), 2}};
    case bsSpacer:
        break;
    }
    return {};
}

TColorBevel::TColorBevel(QWidget *parent)
    : QWidget(parent)
    , m_startColor(ColorValue::system(ColorValue::System::Window))
    , m_endColor(defaultEndColor())
    , m_color(ColorValue::system(ColorValue::System::BtnFace))
{
    resize(50, 50);
}

#define POMU_BEVEL_SETTER(type, setter, member) \
    void TColorBevel::setter(type value)        \
    {                                           \
        if (member != value) {                  \
            member = value;                     \
            update();                           \
        }                                       \
    }
POMU_BEVEL_SETTER(TBevelShape, setShape, m_shape)
POMU_BEVEL_SETTER(TBevelStyle, setBevelStyle, m_style)
POMU_BEVEL_SETTER(TDrawingStyle, setDrawingStyle, m_drawingStyle)
POMU_BEVEL_SETTER(TGradientDirection, setGradientDirection, m_direction)
POMU_BEVEL_SETTER(const QColor &, setGradientStartColor, m_startColor)
POMU_BEVEL_SETTER(const QColor &, setGradientEndColor, m_endColor)
POMU_BEVEL_SETTER(bool, setParentColor, m_parentColor)
#undef POMU_BEVEL_SETTER

QColor TColorBevel::color() const
{
    if (m_parentColor && parentWidget())
        return parentWidget()->palette().color(parentWidget()->backgroundRole());
    return m_color;
}

void TColorBevel::setColor(const QColor &value)
{
    m_parentColor = false;
    m_color = value;
    update();
}

void TColorBevel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    if (m_drawingStyle == pdsGradient) {
        QLinearGradient g(r.topLeft(), m_direction == gdVertical ? r.bottomLeft() : r.topRight());
        g.setColorAt(0, m_startColor);
        g.setColorAt(1, m_endColor);
        p.fillRect(r, g);
    } else {
        p.fillRect(r, color());
    }
    const QColor hi = ColorValue::system(ColorValue::System::BtnHighlight);
    const QColor sh = ColorValue::system(ColorValue::System::BtnShadow);
    const QColor c1 = m_style == bsRaised ? hi : sh;
    const QColor c2 = m_style == bsRaised ? sh : hi;
    for (const Line &l : bevelLines(m_shape, size())) {
        p.setPen(l.colour == 1 ? c1 : c2);
        p.drawLine(l.line);
    }
}
