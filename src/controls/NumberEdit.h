#pragma once

#include <QLineEdit>

// What the two numeric edit boxes share: right-aligned text with the input method
// off, typed text in blue until it is accepted on Enter or on leaving, and the last
// good value put back when the text is no number. Subclasses give the number type.
class TNumberEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TNumberEdit(QWidget *parent = nullptr);

    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool value) { m_autoSelect = value; }

    // Accepts the text as Enter does: empty stores zero, a number is stored, any
    // other text brings the stored value back. Fires valueSet.
    void acceptText();

    // Whether the typed character may go into the box.
    virtual bool isAcceptedChar(QChar c) const = 0;

    // Whether the focus came by keyboard (Tab, Shift+Tab, a shortcut): the
    // entries on which the line edit selects its whole text by itself.
    static bool isKeyboardEntry(Qt::FocusReason reason);

signals:
    // The stored value was set (typed and accepted, restored, or set in code).
    void valueSet();

protected:
    // Converts text to the stored value; false when it is no number.
    virtual bool storeText(const QString &text) = 0;
    virtual void storeZero() = 0;
    // Writes the stored value as text and fires valueSet.
    virtual void rewriteStored() = 0;
    void setTextColor(const QColor &color);

    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_autoSelect = true;
    bool m_mouseEntered = false;
};
