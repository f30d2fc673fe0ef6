#pragma once

#include <QLineEdit>
#include <QPointer>

class QMenu;
class TTimerSpeedButton;

// The vertical pair of repeating step buttons inside a spin edit. The two buttons
// overlap by one pixel so that they share their middle line.
class TSpinButton : public QWidget
{
    Q_OBJECT
public:
    explicit TSpinButton(QWidget *parent = nullptr);

    TTimerSpeedButton *upButton() const { return m_upButton; }
    TTimerSpeedButton *downButton() const { return m_downButton; }
    QWidget *focusControl() const { return m_focusControl; }
    void setFocusControl(QWidget *value) { m_focusControl = value; }

    // Up (0, 0, W, H div 2), down (0, up height - 1, W, H - up height + 1).
    static void calcGeometry(QSize size, QRect *up, QRect *down);

signals:
    void upClick();
    void downClick();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buttonPressed();

    TTimerSpeedButton *m_upButton;
    TTimerSpeedButton *m_downButton;
    QPointer<QWidget> m_focusControl;
};

// An edit box for a real number (page margins and print shifts) with a built-in
// spin button. MinValue equal to MaxValue means no range.
class TFloatSpinEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TFloatSpinEdit(QWidget *parent = nullptr);

    // The text as a number; MinValue when it is no number.
    double GetValue() const;
    // Clamps, writes the value as text (15 significant digits, no trailing zeros)
    // and fires changeValue, also when nothing changed.
    void SetValue(double value);
    double minValue() const { return m_minValue; }
    void setMinValue(double value) { m_minValue = value; }
    double maxValue() const { return m_maxValue; }
    void setMaxValue(double value) { m_maxValue = value; }
    double increment() const { return m_increment; }
    void setIncrement(double value) { m_increment = value; }
    bool editorEnabled() const { return m_editorEnabled; }
    void setEditorEnabled(bool value) { m_editorEnabled = value; }
    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool value) { m_autoSelect = value; }

    double CheckValue(double value) const;
    virtual bool IsValidChar(QChar c) const;
    virtual void UpClick();
    virtual void DownClick();

    TSpinButton *button() const { return m_button; }
    static QString format(double value);

    // The line edit's context menu with Cut and Paste switched off while the
    // editor is disabled (the read-only box switches them off by itself).
    QMenu *createContextMenu();

signals:
    // The value was set (OnChangeValue); textChanged is the plain text change.
    void changeValue();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool textIsNumber(double *value) const;
    // Whether pasted, cut or dropped text may change the box.
    bool takesPaste() const { return m_editorEnabled && !isReadOnly(); }
    void placeButton();

    TSpinButton *m_button;
    double m_minValue = 0;
    double m_maxValue = 0;
    double m_increment = 1.0;
    bool m_editorEnabled = true;
    bool m_autoSelect = true;
};
