#include "controls/BevelLabel.h"

#include <cmath>

#include <QPainter>

#include "controls/ColorValue.h"
#include "controls/Frame3D.h"

TBevelLabel::TBevelLabel(QWidget *parent)
    : TBevelLabel(QString(), parent)
{
}

TBevelLabel::TBevelLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
    , m_highlightColor(ColorValue::system(ColorValue::System::BtnHighlight))
    , m_shadowColor(ColorValue::system(ColorValue::System::BtnShadow))
    , m_hotColor(ColorValue::fromBgr(0xFF0000))
{
    setAttribute(Qt::WA_Hover);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TBevelLabel::setBevelStlye(TBevelStlye value)
{
    m_bevelStlye = value;
    update();
}

void TBevelLabel::setBevelWidth(int value)
{
    if (value < 1)
        return;
    m_bevelWidth = value;
    update();
}

void TBevelLabel::setHighlightColor(const QColor &value)
{
    m_highlightColor = value;
    update();
}

void TBevelLabel::setShadowColor(const QColor &value)
{
    m_shadowColor = value;
    update();
}

void TBevelLabel::setOffsetWidth(int value)
{
    m_offsetWidth = value;
    update();
}

void TBevelLabel::setHotTrack(bool value)
{
    m_hotTrack = value;
    update();
}

void TBevelLabel::setHotColor(const QColor &value)
{
    m_hotColor = value;
    update();
}

void TBevelLabel::setTransparent(bool value)
{
    m_transparent = value;
    update();
}

void TBevelLabel::setShowAccelChar(bool value)
{
    m_showAccelChar = value;
    update();
}

QColor TBevelLabel::color() const
{
    return palette().color(QPalette::Window);
}

void TBevelLabel::setColor(const QColor &value)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, value);
    setPalette(pal);
}

int TBevelLabel::drawFlags() const
{
    int flags = Qt::TextExpandTabs | (alignment() & Qt::AlignHorizontal_Mask);
    if (wordWrap())
        flags |= Qt::TextWordWrap;
    flags |= m_showAccelChar ? Qt::TextShowMnemonic : 0;
    return flags;
}

QRect TBevelLabel::textRect() const
{
    QRect r = contentsRect();
    if (m_bevelStlye != bsNone)
        r.adjust(m_bevelWidth, m_bevelWidth, -m_bevelWidth, -m_bevelWidth);
    r.adjust(m_offsetWidth, 0, -m_offsetWidth, 0);
    const Qt::Alignment v = alignment() & Qt::AlignVertical_Mask;
    if (v & (Qt::AlignBottom | Qt::AlignVCenter)) {
        // An empty caption is measured as a blank so the line keeps its height.
        const QString measured = text().isEmpty() || text() == QLatin1String("&") ? QStringLiteral(" ") : text();
        const QRect m = fontMetrics().boundingRect(QRect(r.left(), r.top(), r.width(), 0), drawFlags(), measured);
        const int free = r.height() - m.height();
        if (v & Qt::AlignBottom)
            r.translate(0, free);
        else if (m_bevelStlye == bsRaised)
            r.translate(0, free / 2);
        else
            r.translate(0, int(std::ceil(free / 2.0)));
    }
    return r;
}

QColor TBevelLabel::currentTextColor() const
{
    if (!isEnabled())
        return ColorValue::system(ColorValue::System::BtnShadow);
    if (m_hotTrack && m_mouseInside)
        return m_hotColor;
    return palette().color(QPalette::WindowText);
}

void TBevelLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_transparent) {
        QRect r = contentsRect();
        if (m_bevelStlye == bsRaised)
            Frame3D(p, r, m_highlightColor, m_shadowColor, m_bevelWidth);
        else if (m_bevelStlye == bsLowered)
            Frame3D(p, r, m_shadowColor, m_highlightColor, m_bevelWidth);
        p.fillRect(r, color());
    }
    const QRect r = textRect();
    const int flags = drawFlags();
    p.setFont(font());
    if (isEnabled()) {
        p.setPen(currentTextColor());
        p.drawText(r, flags, text());
    } else {
        p.setPen(ColorValue::system(ColorValue::System::BtnHighlight));
        p.drawText(r.translated(1, 1), flags, text());
        p.setPen(ColorValue::system(ColorValue::System::BtnShadow));
        p.drawText(r, flags, text());
    }
}

void TBevelLabel::enterEvent(QEnterEvent *event)
{
    m_mouseInside = true;
    if (m_hotTrack)
        update();
    QLabel::enterEvent(event);
}

void TBevelLabel::leaveEvent(QEvent *event)
{
    m_mouseInside = false;
    if (m_hotTrack)
        update();
    QLabel::leaveEvent(event);
}
