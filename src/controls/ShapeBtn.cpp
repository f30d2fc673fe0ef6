#include "controls/ShapeBtn.h"

#include <cmath>

#include <QFontMetrics>
#include <QPainter>

#include "controls/ColorValue.h"

TShapeBtn::TShapeBtn(QWidget *parent)
    : TMySpeedButton(parent)
{
    resize(80, 40);
    setColor(ColorValue::fromBgr(0xE6E6E6));
    m_upEdgeColor = ColorValue::fromBgr(0xE6E6E6);
    m_downEdgeColor = downColor();
    m_shadowCornerColor = ColorValue::fromBgr(0x000000);
    m_shadowWallColor = ColorValue::fromBgr(0x808080);
    m_hotColor = ColorValue::fromBgr(0xFF0000);
}

void TShapeBtn::setShape(TShapeType value)
{
    if (value != m_shape) {
        m_shape = value;
        update();
    }
}

void TShapeBtn::setRoundR(double value)
{
    m_roundR = value < 1 ? 1.0 : value;
    update();
}

void TShapeBtn::setStroke(int value)
{
    if (value != m_stroke) {
        m_stroke = value;
        update();
    }
}

void TShapeBtn::setDownStyle(TDownStyle value)
{
    if (value != m_downStyle) {
        m_downStyle = value;
        update();
    }
}

#define POMU_COLOR_SETTER(setter, member)          \
    void TShapeBtn::setter(const QColor &value)    \
    {                                              \
        if (value != member) {                     \
            member = value;                        \
            update();                              \
        }                                          \
    }
POMU_COLOR_SETTER(setUpEdgeColor, m_upEdgeColor)
POMU_COLOR_SETTER(setDownEdgeColor, m_downEdgeColor)
POMU_COLOR_SETTER(setShadowCornerColor, m_shadowCornerColor)
POMU_COLOR_SETTER(setShadowWallColor, m_shadowWallColor)
#undef POMU_COLOR_SETTER

void TShapeBtn::setHotColor(const QColor &value)
{
    m_hotColor = value;
    update();
}

TShapeBtn::Layer TShapeBtn::layerAt(int d) const
{
    const int lw = lineWidth();
    int x = d + lw / 2 + m_stroke / 2;
    int y = x;
    int w = width() - lw - m_stroke;
    int h = height() - lw - m_stroke;
    if (lw == 0) {
        --w;
        --h;
    }
    const int s = qMin(w, h);
    if (m_shape == stSquare || m_shape == stRoundSquare || m_shape == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    // Round half to even, as the corner size has always been rounded.
    const int corner = int(std::nearbyint(double(s) / m_roundR));
    if (m_shape == stRectangle || m_shape == stSquare)
        return {x, y, x + w + 1, y + h, 0};
    return {x, y, x + w, y + h, m_shape == stRoundRect || m_shape == stRoundSquare ? corner : 0};
}

void TShapeBtn::DrawShape(QPainter &p, int d, const QColor &pen, const QColor &brush) const
{
    const Layer l = layerAt(d);
    p.save();
    const int lw = lineWidth();
    if (lw > 0)
        p.setPen(QPen(pen, lw, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    else
        p.setPen(Qt::NoPen);
    p.setBrush(brush);
    // The bounds exclude their right and bottom edge; a pen of width w sits inside.
    const qreal inset = lw > 0 ? lw / 2.0 : 0.0;
    const QRectF r(l.x1 + inset, l.y1 + inset, l.x2 - l.x1 - 2 * inset, l.y2 - l.y1 - 2 * inset);
    switch (m_shape) {
    case stRectangle:
    case stSquare:
        p.drawRect(r);
        break;
    case stRoundRect:
    case stRoundSquare:
        p.setRenderHint(QPainter::Antialiasing);
        p.drawRoundedRect(r, l.corner / 2.0, l.corner / 2.0);
        break;
    case stEllipse:
    case stCircle:
        p.setRenderHint(QPainter::Antialiasing);
        p.drawEllipse(r);
        break;
    }
    p.restore();
}

QColor TShapeBtn::currentCaptionColor() const
{
    return m_mouseInControl ? m_hotColor : captionColor();
}

void TShapeBtn::DrawCaption(QPainter &p, int a)
{
    const QString caption = text();
    if (caption.isEmpty())
        return;
    const QFont f = m_down ? downFont() : font();
    const QFontMetrics fm(f);
    const QSize ts = fm.size(Qt::TextShowMnemonic, caption);
    const int x = int(std::ceil((width() - ts.width() + a) / 2.0));
    const int y = int(std::ceil((height() - ts.height() + a) / 2.0));
    const QRect at(x + captionOffX() + a, y + captionOffY() + a, ts.width(), ts.height());
    drawCaptionText(p, f, at, 0, currentCaptionColor(), caption);
}

void TShapeBtn::paintEvent(QPaintEvent *)
{
    fixState();
    QPainter p(this);
    const bool pressed = drawnPressed();
    if (pressed) {
        DrawShape(p, m_downStyle == dsDown ? 0 : m_stroke, m_shadowWallColor, m_shadowCornerColor);
        DrawShape(p, m_stroke, m_downEdgeColor, downColor());
    } else {
        if (!flat() || m_mouseInControl)
            DrawShape(p, m_stroke, m_shadowWallColor, m_shadowCornerColor);
        DrawShape(p, 0, m_upEdgeColor, faceColor());
    }
    DrawCaption(p, pressed ? m_stroke : 0);
}

void TShapeBtn::LightOn()
{
    if (m_state == bsDown)
        return;
    SetDown(true);
    m_state = bsDown;
    repaint();
}

void TShapeBtn::LightOff()
{
    if (m_state == bsUp)
        return;
    SetDown(false);
    m_state = bsUp;
    repaint();
}

void TShapeBtn::MouseEnter()
{
    if (m_mouseInControl || !isEnabled() || !m_hotTrack || m_down || QWidget::mouseGrabber())
        return;
    m_mouseInControl = true;
    update();
}

void TShapeBtn::MouseLeave()
{
    m_mouseInControl = false;
    update();
}
