#pragma once

#include <QColor>
#include <QLine>
#include <QList>
#include <QWidget>

// A bevel that first fills its area with its colour or a two-colour gradient; the
// dialogs use it as coloured backgrounds and dividers.
class TColorBevel : public QWidget
{
    Q_OBJECT
public:
    enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
    enum TBevelStyle { bsLowered, bsRaised };
    enum TDrawingStyle { pdsNormal, pdsGradient };
    enum TGradientDirection { gdHorizontal, gdVertical };

    // One bevel line and whether it takes colour 1 (the light one of a raised
    // bevel) or colour 2.
    struct Line
    {
        QLine line;
        int colour;
        bool operator==(const Line &o) const { return line == o.line && colour == o.colour; }
    };
    static QList<Line> bevelLines(TBevelShape shape, QSize size);

    explicit TColorBevel(QWidget *parent = nullptr);

    TBevelShape shape() const { return m_shape; }
    void setShape(TBevelShape value);
    TBevelStyle bevelStyle() const { return m_style; }
    void setBevelStyle(TBevelStyle value);
    TDrawingStyle drawingStyle() const { return m_drawingStyle; }
    void setDrawingStyle(TDrawingStyle value);
    TGradientDirection gradientDirection() const { return m_direction; }
    void setGradientDirection(TGradientDirection value);
    QColor gradientStartColor() const { return m_startColor; }
    void setGradientStartColor(const QColor &value);
    QColor gradientEndColor() const { return m_endColor; }
    void setGradientEndColor(const QColor &value);
    // The fill colour; with parentColor the parent's background.
    QColor color() const;
    void setColor(const QColor &value);
    bool parentColor() const { return m_parentColor; }
    void setParentColor(bool value);

    // The default end colour: the button face darkened.
    static QColor defaultEndColor();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TBevelShape m_shape = bsBox;
    TBevelStyle m_style = bsLowered;
    TDrawingStyle m_drawingStyle = pdsNormal;
    TGradientDirection m_direction = gdVertical;
    QColor m_startColor;
    QColor m_endColor;
    QColor m_color;
    bool m_parentColor = true;
};
