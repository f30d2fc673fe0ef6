#include "controls/FloatSpinEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>

#include "controls/ColorValue.h"
#include "platform/ui/InputMethod.h"
#include "controls/TimerSpeedButton.h"

namespace {
QLocale numberLocale()
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}
} // namespace

// ---------------------------------------------------------------- spin button

TSpinButton::TSpinButton(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    m_upButton = new TTimerSpeedButton(this);
    m_downButton = new TTimerSpeedButton(this);
    m_upButton->setGlyph(TTimerSpeedButton::arrowGlyph(Qt::UpArrow));
    m_downButton->setGlyph(TTimerSpeedButton::arrowGlyph(Qt::DownArrow));
    for (TTimerSpeedButton *b : {m_upButton, m_downButton}) {
        b->setColor(ColorValue::system(ColorValue::System::BtnFace));
        b->setDownColor(ColorValue::system(ColorValue::System::BtnFace));
        connect(b, &TTimerSpeedButton::pressedLeft, this, &TSpinButton::buttonPressed);
    }
    connect(m_upButton, &QAbstractButton::clicked, this, &TSpinButton::upClick);
    connect(m_downButton, &QAbstractButton::clicked, this, &TSpinButton::downClick);
    setMinimumWidth(15);
    resize(20, 25);
}

void TSpinButton::calcGeometry(QSize size, QRect *up, QRect *down)
{
    const int w = qMax(15, size.width());
    const int h = size.height();
    *up = QRect(0, 0, w, h / 2);
    *down = QRect(0, up->height() - 1, w, h - up->height() + 1);
}

void TSpinButton::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    QRect up, down;
    calcGeometry(size(), &up, &down);
    m_upButton->setGeometry(up);
    m_downButton->setGeometry(down);
}

void TSpinButton::buttonPressed()
{
    if (m_focusControl && m_focusControl->isEnabled() && !m_focusControl->hasFocus()
        && (m_focusControl->focusPolicy() & Qt::TabFocus))
        m_focusControl->setFocus(Qt::MouseFocusReason);
}

// ---------------------------------------------------------------- spin edit

TFloatSpinEdit::TFloatSpinEdit(QWidget *parent)
    : QLineEdit(parent)
{
    SetInputMethodOff(this);
    m_button = new TSpinButton(this);
    m_button->resize(15, 17);
    m_button->setFocusControl(this);
    connect(m_button, &TSpinButton::upClick, this, &TFloatSpinEdit::UpClick);
    connect(m_button, &TSpinButton::downClick, this, &TFloatSpinEdit::DownClick);
    setText(QStringLiteral("0"));
    placeButton();
}

QString TFloatSpinEdit::format(double value)
{
    // Fifteen significant digits: three steps of 0.1 read "0.3", not the binary
    // neighbour that a shortest round-trip conversion would show.
    return numberLocale().toString(value, 'g', 15);
}

bool TFloatSpinEdit::textIsNumber(double *value) const
{
    bool ok = false;
    const double v = numberLocale().toDouble(text().trimmed(), &ok);
    if (ok && value)
        *value = v;
    return ok;
}

double TFloatSpinEdit::GetValue() const
{
    double v = 0;
    return textIsNumber(&v) ? v : m_minValue;
}

double TFloatSpinEdit::CheckValue(double value) const
{
    if (m_minValue == m_maxValue)
        return value;
    if (value < m_minValue)
        return m_minValue;
    if (value > m_maxValue)
        return m_maxValue;
    return value;
}

void TFloatSpinEdit::SetValue(double value)
{
    setText(format(CheckValue(value)));
    emit changeValue();
}

bool TFloatSpinEdit::IsValidChar(QChar c) const
{
    const QString point = numberLocale().decimalPoint();
    bool ok = c == QLatin1Char('+') || c == QLatin1Char('-') || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        || (point.size() == 1 && c == point.at(0)) || (c.category() == QChar::Other_Control && c != QLatin1Char('\r'));
    if (!m_editorEnabled && (c == QLatin1Char('\b') || c.isPrint()))
        ok = false;
    return ok;
}

void TFloatSpinEdit::UpClick()
{
    if (isReadOnly())
        QApplication::beep();
    else
        SetValue(GetValue() + m_increment);
}

void TFloatSpinEdit::DownClick()
{
    if (isReadOnly())
        QApplication::beep();
    else
        SetValue(GetValue() - m_increment);
}

void TFloatSpinEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Up) {
        UpClick();
        return;
    }
    if (key == Qt::Key_Down) {
        DownClick();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        const double typed = GetValue();
        const double clamped = CheckValue(typed);
        if (clamped != typed || !textIsNumber(nullptr))
            SetValue(clamped);
        else
            emit changeValue();
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) {
        if (takesPaste())
            QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString t = event->text();
    QChar c;
    if (key == Qt::Key_Backspace)
        c = QLatin1Char('\b');
    else if (!t.isEmpty())
        c = t.at(0);
    if (!c.isNull() && !IsValidChar(c))
        return; // refused characters are dropped silently
    QLineEdit::keyPressEvent(event);
}

void TFloatSpinEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (m_autoSelect && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        selectAll();
    else if (!m_autoSelect
             && (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason
                 || event->reason() == Qt::ShortcutFocusReason))
        deselect();   // the line edit's own select-all on keyboard entry
}

QMenu *TFloatSpinEdit::createContextMenu()
{
    QMenu *menu = createStandardContextMenu();
    if (!menu || takesPaste())
        return menu;
    // Known by their names where the line edit gives them, else by their
    // captions (the shortcut after the tab left off), translated as it does.
    for (QAction *action : menu->actions()) {
        const QString name = action->objectName();
        const QString caption = action->text().section(QLatin1Char('\t'), 0, 0);
        if (name == QLatin1String("edit-paste") || name == QLatin1String("edit-cut")
            || caption == QLineEdit::tr("&Paste") || caption == QLineEdit::tr("Cu&t"))
            action->setEnabled(false);
    }
    return menu;
}

void TFloatSpinEdit::contextMenuEvent(QContextMenuEvent *event)
{
    if (QMenu *menu = createContextMenu()) {
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    }
}

void TFloatSpinEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the X11 selection.
    if (event->button() == Qt::MiddleButton && !takesPaste()) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

// Dropped text is pasted text.
void TFloatSpinEdit::dragEnterEvent(QDragEnterEvent *event)
{
    if (!takesPaste()) {
        event->ignore();
        return;
    }
    QLineEdit::dragEnterEvent(event);
}

void TFloatSpinEdit::dragMoveEvent(QDragMoveEvent *event)
{
    if (!takesPaste()) {
        event->ignore();
        return;
    }
    QLineEdit::dragMoveEvent(event);
}

void TFloatSpinEdit::dropEvent(QDropEvent *event)
{
    if (!takesPaste()) {
        event->ignore();
        return;
    }
    QLineEdit::dropEvent(event);
}

void TFloatSpinEdit::focusOutEvent(QFocusEvent *event)
{
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        // Text that is no number is replaced too, so the box never shows one value
        // while reading as another.
        const double typed = GetValue();
        if (CheckValue(typed) != typed || !textIsNumber(nullptr))
            SetValue(typed);
    }
    QLineEdit::focusOutEvent(event);
}

void TFloatSpinEdit::placeButton()
{
    const int fh = fontMetrics().height();
    const int sys = QFontMetrics(QApplication::font()).height();
    const int border = 1;
    setMinimumHeight(fh + qMin(fh, sys) / 4 + 4 * border + 2);
    const int bw = m_button->width();
    m_button->setGeometry(width() - bw - 2, 2, bw, qMax(0, height() - 4));
    setTextMargins(0, 0, bw + 2, 0);
}

void TFloatSpinEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    placeButton();
}

void TFloatSpinEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeButton();
}
