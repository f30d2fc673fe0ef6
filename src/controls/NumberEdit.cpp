#include "controls/NumberEdit.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "controls/ColorValue.h"
#include "platform/ui/InputMethod.h"

TNumberEdit::TNumberEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Amounts and counts are typed in half-width digits; the input method stays closed.
    SetInputMethodOff(this);
    setText(QStringLiteral("0"));
}

void TNumberEdit::setTextColor(const QColor &color)
{
    QPalette pal = palette();
    if (pal.color(QPalette::Text) == color)
        return;
    pal.setColor(QPalette::Text, color);
    setPalette(pal);
}

void TNumberEdit::acceptText()
{
    const QString t = text();
    if (t.isEmpty()) {
        storeZero();
        emit valueSet();
    } else if (storeText(t.trimmed())) {
        emit valueSet();
    } else {
        rewriteStored();
    }
}

void TNumberEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        setTextColor(Qt::black);
        acceptText();
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Shortcuts (copy, paste, undo) and keys that type nothing pass unchanged.
    const QString t = event->text();
    const bool typed = key == Qt::Key_Backspace
        || (!(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) && !t.isEmpty() && t.at(0).isPrint());
    if (!typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    setTextColor(ColorValue::fromBgr(0xFF0000));
    if (key == Qt::Key_Backspace || isAcceptedChar(t.at(0)))
        QLineEdit::keyPressEvent(event);
    else
        event->accept();
}

void TNumberEdit::focusOutEvent(QFocusEvent *event)
{
    // Switching to another window is no leaving of the box.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        setTextColor(Qt::black);
        acceptText();
        // Reformats the text; the owner hears valueSet a second time.
        rewriteStored();
        setTextColor(Qt::black);
    }
    QLineEdit::focusOutEvent(event);
}

void TNumberEdit::focusInEvent(QFocusEvent *event)
{
    // Focus taken by a click arrives before the press; the release then selects.
    if (event->reason() == Qt::MouseFocusReason && (QGuiApplication::mouseButtons() & Qt::LeftButton))
        m_mouseEntered = true;
    QLineEdit::focusInEvent(event);
    // The line edit selects everything when entered by keyboard; without
    // AutoSelect the text is left unselected.
    if (!m_autoSelect && isKeyboardEntry(event->reason()))
        deselect();
}

bool TNumberEdit::isKeyboardEntry(Qt::FocusReason reason)
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

void TNumberEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_mouseEntered && m_autoSelect) {
        m_mouseEntered = false;
        selectAll();
    }
}
