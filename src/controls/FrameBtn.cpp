#include "controls/FrameBtn.h"

#include <cmath>

#include <QFontMetrics>
#include <QPainter>

#include "controls/ColorValue.h"

TFrameBtn::TFrameBtn(QWidget *parent)
    : TMySpeedButton(parent)
{
    setDownColor(ColorValue::system(ColorValue::System::BtnFace));
    setParentColor(true);
    m_highlightColor = ColorValue::system(ColorValue::System::BtnHighlight);
    m_shadowColor = ColorValue::system(ColorValue::System::BtnShadow);
    m_hotColor = ColorValue::fromBgr(0xFF0000);
}

void TFrameBtn::setHighlightColor(const QColor &value)
{
    m_highlightColor = value;
    update();
}

void TFrameBtn::setShadowColor(const QColor &value)
{
    m_shadowColor = value;
    update();
}

void TFrameBtn::setBevelWidth(int value)
{
    if (value < 1)
        return;
    m_bevelWidth = value;
    update();
}

void TFrameBtn::setHotTrack(bool value)
{
    m_hotTrack = value;
    update();
}

void TFrameBtn::setHotColor(const QColor &value)
{
    m_hotColor = value;
    update();
}

QColor TFrameBtn::currentCaptionColor() const
{
    return m_mouseInControl && !m_down ? m_hotColor : captionColor();
}

void TFrameBtn::DrawCaption(QPainter &p)
{
    const QString caption = text();
    if (caption.isEmpty())
        return;
    const int off = drawnPressed() ? 1 : 0;
    const QFont f = m_down ? downFont() : font();
    const QSize ts = QFontMetrics(f).size(Qt::TextShowMnemonic, caption);
    const int x = int(std::ceil((width() - ts.width()) / 2.0));
    const int y = int(std::ceil((height() - ts.height()) / 2.0)) + captionOffY();
    drawCaptionText(p, f, QRect(x + captionOffX(), y, ts.width(), ts.height()), off, currentCaptionColor(), caption);
}

void TFrameBtn::paintEvent(QPaintEvent *)
{
    fixState();
    QPainter p(this);
    QRect r = rect();
    QColor fill = faceColor();
    if (drawnPressed()) {
        // Only the top and left lines of this rectangle fall inside the control.
        p.setPen(m_shadowColor);
        p.drawLine(0, 0, r.right(), 0);
        p.drawLine(0, 0, 0, r.bottom());
        r.adjust(1, 1, 0, 0);
        fill = downColor();
    } else if (!flat() || m_mouseInControl) {
        drawFrame3D(p, r, m_highlightColor, m_shadowColor, m_bevelWidth);
        p.setPen(Qt::white);
        const QPoint corner[] = {QPoint(0, 10), QPoint(0, 0), QPoint(10, 0)};
        p.drawPolyline(corner, 3);
    }
    p.fillRect(r, fill);
    DrawCaption(p);
}

void TFrameBtn::MouseEnter()
{
    if (m_mouseInControl || !isEnabled() || !m_hotTrack || m_down || QWidget::mouseGrabber())
        return;
    m_mouseInControl = true;
    update();
}

void TFrameBtn::MouseLeave()
{
    m_mouseInControl = false;
    update();
}

TFrameBtn *NewCaptionedFrameBtn(const QString &caption, QWidget *parent)
{
    auto *b = new TFrameBtn(parent);
    b->setText(caption);
    b->setMinimumSize(QSize(qMax(72, b->fontMetrics().horizontalAdvance(caption) + 24), 26));
    return b;
}
