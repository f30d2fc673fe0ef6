#include "controls/TimerSpeedButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

TTimerSpeedButton::TTimerSpeedButton(QWidget *parent)
    : TMySpeedButton(parent)
{
}

void TTimerSpeedButton::setFocusRect(bool value)
{
    if (value != m_focusRect) {
        m_focusRect = value;
        update();
    }
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled())
        emit pressedLeft();
    TMySpeedButton::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !m_repeat || !m_dragging)
        return;
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setTimerType(Qt::PreciseTimer);
        connect(m_timer, &QTimer::timeout, this, &TTimerSpeedButton::repeatTick);
    }
    m_timer->setInterval(FirstDelay);
    m_timer->start();
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent *event)
{
    TMySpeedButton::mouseReleaseEvent(event);
    if (m_timer)
        m_timer->stop();
}

void TTimerSpeedButton::repeatTick()
{
    if (m_timer)
        m_timer->setInterval(RepeatDelay);
    // Moving off the held button pauses the repeats; moving back resumes them.
    if (m_state == bsDown && m_dragging) {
        try {
            Click();
        } catch (...) {
            if (m_timer)
                m_timer->stop();
            throw;
        }
    }
}

void TTimerSpeedButton::paintEvent(QPaintEvent *event)
{
    TMySpeedButton::paintEvent(event);
    if (!m_focusRect)
        return;
    QPainter p(this);
    QRect r = rect().adjusted(3, 3, -3, -3);
    if (m_state == bsDown)
        r.translate(1, 1);
    QStyleOptionFocusRect opt;
    opt.initFrom(this);
    opt.rect = r;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
}

QImage TTimerSpeedButton::arrowGlyph(Qt::ArrowType direction)
{
    // A 7 x 7 image keeps the triangle centred on both axes; the olive
    // bottom-left pixel is the transparent colour.
    QImage img(7, 7, QImage::Format_RGB32);
    const QColor key(0x80, 0x80, 0x00);
    img.fill(key);
    for (int i = 0; i < 4; ++i) {
        // Row i of the triangle, counted from its tip, is 2i+1 pixels long.
        for (int k = 3 - i; k <= 3 + i; ++k) {
            switch (direction) {
            case Qt::UpArrow: img.setPixelColor(k, 2 + i, Qt::black); break;
            case Qt::DownArrow: img.setPixelColor(k, 4 - i, Qt::black); break;
            case Qt::LeftArrow: img.setPixelColor(2 + i, k, Qt::black); break;
            case Qt::RightArrow: img.setPixelColor(4 - i, k, Qt::black); break;
            default: break;
            }
        }
    }
    return img;
}
