#pragma once

#include <QTimer>

#include "controls/MySpeedButton.h"

// A step button that repeats its click while held: first 400 ms after the press,
// then every 100 ms, as long as it is still pressed. The click of the release comes
// from the base button, so a short press steps once.
class TTimerSpeedButton : public TMySpeedButton
{
    Q_OBJECT
public:
    static constexpr int FirstDelay = 400;
    static constexpr int RepeatDelay = 100;

    explicit TTimerSpeedButton(QWidget *parent = nullptr);

    bool repeating() const { return m_repeat; }
    void setRepeating(bool value) { m_repeat = value; }
    bool focusRect() const { return m_focusRect; }
    void setFocusRect(bool value);
    // The repeat timer; null before the first press.
    QTimer *repeatTimer() const { return m_timer; }

    // One tick of the repeat timer. Public so that the timing can be driven exactly.
    void repeatTick();

    // Small arrow glyphs drawn in code, one image each, black on the transparent colour.
    static QImage arrowGlyph(Qt::ArrowType direction);

signals:
    // Emitted on a left press, before the repeat starts (focus handling of owners).
    void pressedLeft();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_repeat = true;
    bool m_focusRect = false;
    QTimer *m_timer = nullptr;
};
