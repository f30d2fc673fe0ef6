#include "controls/ColorUpDown.h"

#include <QKeyEvent>

#include "controls/ColorValue.h"

TColorUpDown::Geometry TColorUpDown::calcGeometry(TUDOrientation orientation, QSize requested)
{
    Geometry g;
    int w = requested.width(), h = requested.height();
    if (orientation == udVertical) {
        w = qMax(w, 15);
        g.upRect = QRect(0, 0, w, h / 2);
        g.downRect = QRect(0, g.upRect.height() + h % 2, w, g.upRect.height());
    } else {
        h = qMax(h, 15);
        g.downRect = QRect(0, 0, w / 2, h);
        g.upRect = QRect(g.downRect.width() + w % 2, 0, g.downRect.width(), h);
    }
    g.size = QSize(w, h);
    return g;
}

TColorUpDown::TColorUpDown(QWidget *parent)
    : QWidget(parent)
    , m_downColor(ColorValue::fromBgr(0xEBCFEB))
{
    setFocusPolicy(Qt::NoFocus); // TabStop starts off
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_upButton = new TTimerSpeedButton(this);
    m_downButton = new TTimerSpeedButton(this);
    m_focusedButton = m_upButton;
    for (TTimerSpeedButton *b : {m_upButton, m_downButton}) {
        b->setDownColor(m_downColor);
        connect(b, &TTimerSpeedButton::pressedLeft, this, [this, b] { buttonPressed(b); });
        connect(b, &TMySpeedButton::clicked, this,
                [this, b] { emit clicked(b == m_upButton ? btNext : btPrev); });
    }
    loadDefaultGlyphs();
    resize(20, 25);
    layoutButtons();
}

void TColorUpDown::loadDefaultGlyphs()
{
    const bool vertical = m_orientation == udVertical;
    m_upButton->setGlyph(TTimerSpeedButton::arrowGlyph(vertical ? Qt::UpArrow : Qt::RightArrow));
    m_downButton->setGlyph(TTimerSpeedButton::arrowGlyph(vertical ? Qt::DownArrow : Qt::LeftArrow));
}

void TColorUpDown::setOrientation(TUDOrientation value)
{
    m_orientation = value;
    loadDefaultGlyphs();
    layoutButtons();
}

void TColorUpDown::setDownColor(const QColor &value)
{
    m_downColor = value;
    m_upButton->setDownColor(value);
    m_downButton->setDownColor(value);
}

void TColorUpDown::setUpGlyph(const QImage &bitmap)
{
    if (bitmap.isNull())
        m_upButton->setGlyph(TTimerSpeedButton::arrowGlyph(m_orientation == udVertical ? Qt::UpArrow : Qt::RightArrow));
    else
        m_upButton->setGlyph(bitmap);
}

void TColorUpDown::setDownGlyph(const QImage &bitmap)
{
    if (bitmap.isNull())
        m_downButton->setGlyph(TTimerSpeedButton::arrowGlyph(m_orientation == udVertical ? Qt::DownArrow : Qt::LeftArrow));
    else
        m_downButton->setGlyph(bitmap);
}

void TColorUpDown::layoutButtons()
{
    if (m_laying)
        return;
    m_laying = true;
    // The minimum across the buttons also holds for resizes before the pair is shown.
    setMinimumSize(m_orientation == udVertical ? QSize(15, 0) : QSize(0, 15));
    const Geometry g = calcGeometry(m_orientation, size());
    if (g.size != size())
        resize(g.size);
    m_upButton->setGeometry(g.upRect);
    m_downButton->setGeometry(g.downRect);
    m_laying = false;
}

void TColorUpDown::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

void TColorUpDown::setFocusedButton(TTimerSpeedButton *button)
{
    if (button == m_focusedButton)
        return;
    m_focusedButton->setFocusRect(false);
    m_focusedButton = button;
    m_focusedButton->setFocusRect(hasFocus());
}

void TColorUpDown::buttonPressed(TTimerSpeedButton *button)
{
    if (focusPolicy() & Qt::TabFocus && isEnabled())
        setFocusedButton(button);
    if (m_focusControl && (m_focusControl->focusPolicy() & Qt::TabFocus) && m_focusControl->isEnabled()
        && !m_focusControl->hasFocus())
        m_focusControl->setFocus(Qt::MouseFocusReason);
    else if (focusPolicy() & Qt::TabFocus)
        setFocus(Qt::MouseFocusReason);
}

void TColorUpDown::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        setFocusedButton(m_upButton);
        m_upButton->Click();
        break;
    case Qt::Key_Down:
        setFocusedButton(m_downButton);
        m_downButton->Click();
        break;
    case Qt::Key_Space:
        m_focusedButton->Click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TColorUpDown::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    m_focusedButton->setFocusRect(true);
}

void TColorUpDown::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    m_focusedButton->setFocusRect(false);
}
