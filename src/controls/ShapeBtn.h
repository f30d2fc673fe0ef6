#pragma once

#include "controls/LigthOnOff.h"
#include "controls/MySpeedButton.h"

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
enum TDownStyle { dsFlat, dsDown };

// A push button drawn as a filled shape (mostly a rounded rectangle) over a shadow
// copy of itself; the caption turns HotColor while the mouse is over it.
class TShapeBtn : public TMySpeedButton, public ILigthOnOff
{
    Q_OBJECT
    Q_INTERFACES(ILigthOnOff)
public:
    // One drawn layer: the figure's bounds (x1, y1) to (x2, y2) in the classic
    // exclusive sense and the corner size of the rounded kinds.
    struct Layer
    {
        int x1, y1, x2, y2;
        int corner;
    };

    explicit TShapeBtn(QWidget *parent = nullptr);

    TShapeType shape() const { return m_shape; }
    void setShape(TShapeType value);
    double roundR() const { return m_roundR; }
    void setRoundR(double value); // below 1 is stored as 1.0
    int stroke() const { return m_stroke; }
    void setStroke(int value);
    TDownStyle downStyle() const { return m_downStyle; }
    void setDownStyle(TDownStyle value);
    QColor upEdgeColor() const { return m_upEdgeColor; }
    void setUpEdgeColor(const QColor &value);
    QColor downEdgeColor() const { return m_downEdgeColor; }
    void setDownEdgeColor(const QColor &value);
    QColor shadowCornerColor() const { return m_shadowCornerColor; }
    void setShadowCornerColor(const QColor &value);
    QColor shadowWallColor() const { return m_shadowWallColor; }
    void setShadowWallColor(const QColor &value);
    QColor hotColor() const { return m_hotColor; }
    void setHotColor(const QColor &value);
    bool hotTrack() const { return m_hotTrack; }
    void setHotTrack(bool value) { m_hotTrack = value; }

    // The figure drawn at offset d (the shadow or the face).
    Layer layerAt(int d) const;
    // Whether the face is drawn pressed: the pressed state or latched.
    bool drawnPressed() const { return m_state == bsDown || m_down; }
    // Caption colour in use (HotColor while the mouse is over the button).
    QColor currentCaptionColor() const;

    void LightOn() override;
    void LightOff() override;

    QSize sizeHint() const override { return QSize(80, 40); }

protected:
    void DrawShape(QPainter &p, int d, const QColor &pen, const QColor &brush) const;
    void DrawCaption(QPainter &p, int a);
    void MouseEnter() override;
    void MouseLeave() override;
    void paintEvent(QPaintEvent *event) override;

private:
    TShapeType m_shape = stRectangle;
    double m_roundR = 1.5;
    int m_stroke = 1;
    TDownStyle m_downStyle = dsDown;
    QColor m_upEdgeColor;
    QColor m_downEdgeColor;
    QColor m_shadowCornerColor;
    QColor m_shadowWallColor;
    QColor m_hotColor;
    bool m_hotTrack = true;
};
