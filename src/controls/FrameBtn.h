#pragma once

#include "controls/LigthOnOff.h"
#include "controls/MySpeedButton.h"

// A flat rectangular push button with a bevelled frame and a hot caption colour.
class TFrameBtn : public TMySpeedButton, public ILigthOnOff
{
    Q_OBJECT
    Q_INTERFACES(ILigthOnOff)
public:
    explicit TFrameBtn(QWidget *parent = nullptr);

    QColor highlightColor() const { return m_highlightColor; }
    void setHighlightColor(const QColor &value);
    QColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor &value);
    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int value); // below 1 is ignored
    int offsetWidth() const { return m_offsetWidth; }
    void setOffsetWidth(int value) { m_offsetWidth = value; update(); }
    bool hotTrack() const { return m_hotTrack; }
    void setHotTrack(bool value);
    QColor hotColor() const { return m_hotColor; }
    void setHotColor(const QColor &value);

    bool drawnPressed() const { return m_state == bsDown || m_down; }
    QColor currentCaptionColor() const;

    // The calculator's key light does nothing on a framed button.
    void LightOn() override {}
    void LightOff() override {}

protected:
    void DrawCaption(QPainter &p);
    void MouseEnter() override;
    void MouseLeave() override;
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_highlightColor;
    QColor m_shadowColor;
    int m_bevelWidth = 1;
    int m_offsetWidth = 0;
    bool m_hotTrack = true;
    QColor m_hotColor;
};

// A frame button with its caption, at least 72 x 26 and wide enough for the
// caption: the size the pages give their command buttons.
TFrameBtn *NewCaptionedFrameBtn(const QString &caption, QWidget *parent);
