#pragma once

#include <QPointer>
#include <QWidget>

#include "controls/TimerSpeedButton.h"

enum TUDOrientation { udHorizontal, udVertical };
enum TUDBtnType { btNext, btPrev };

// A pair of coloured step buttons, vertical or horizontal, that repeat while held
// and report which one was pressed: btNext for the up (right) button, btPrev for
// the down (left) button.
class TColorUpDown : public QWidget
{
    Q_OBJECT
public:
    struct Geometry
    {
        QSize size;     // the pair's size after the minimum is applied
        QRect upRect;   // up (vertical) or right (horizontal) button
        QRect downRect; // down (vertical) or left (horizontal) button
    };
    // Vertical: at least 15 wide, two halves, an odd height leaves a one-pixel gap.
    // Horizontal: at least 15 high, the same across.
    static Geometry calcGeometry(TUDOrientation orientation, QSize requested);

    explicit TColorUpDown(QWidget *parent = nullptr);

    TUDOrientation orientation() const { return m_orientation; }
    // Reloads the default glyphs of the new orientation and lays the buttons out.
    void setOrientation(TUDOrientation value);
    QColor downColor() const { return m_downColor; }
    void setDownColor(const QColor &value);
    QImage upGlyph() const { return m_upButton->glyph(); }
    void setUpGlyph(const QImage &bitmap); // a null image loads the default
    QImage downGlyph() const { return m_downButton->glyph(); }
    void setDownGlyph(const QImage &bitmap);
    int upNumGlyphs() const { return m_upButton->numGlyphs(); }
    void setUpNumGlyphs(int value) { m_upButton->setNumGlyphs(value); }
    int downNumGlyphs() const { return m_downButton->numGlyphs(); }
    void setDownNumGlyphs(int value) { m_downButton->setNumGlyphs(value); }
    QWidget *focusControl() const { return m_focusControl; }
    void setFocusControl(QWidget *value) { m_focusControl = value; }

    TTimerSpeedButton *upButton() const { return m_upButton; }
    TTimerSpeedButton *downButton() const { return m_downButton; }
    TTimerSpeedButton *focusedButton() const { return m_focusedButton; }

    QSize sizeHint() const override { return QSize(20, 25); }

signals:
    void clicked(TUDBtnType button);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void layoutButtons();
    void buttonPressed(TTimerSpeedButton *button);
    void setFocusedButton(TTimerSpeedButton *button);
    void loadDefaultGlyphs();

    TUDOrientation m_orientation = udVertical;
    QColor m_downColor;
    QPointer<QWidget> m_focusControl;
    TTimerSpeedButton *m_upButton;
    TTimerSpeedButton *m_downButton;
    TTimerSpeedButton *m_focusedButton;
    bool m_laying = false;
};
