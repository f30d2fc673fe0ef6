#pragma once

#include <QLabel>

// The boxed caption: a label drawn inside a 3-D bevel on its own background, for
// coloured headings and read-only figure boxes.
class TBevelLabel : public QLabel
{
    Q_OBJECT
public:
    enum TBevelStlye { bsNone, bsLowered, bsRaised };

    explicit TBevelLabel(QWidget *parent = nullptr);
    explicit TBevelLabel(const QString &text, QWidget *parent = nullptr);

    TBevelStlye bevelStlye() const { return m_bevelStlye; }
    void setBevelStlye(TBevelStlye value);
    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int value); // below 1 is ignored
    QColor highlightColor() const { return m_highlightColor; }
    void setHighlightColor(const QColor &value);
    QColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor &value);
    int offsetWidth() const { return m_offsetWidth; }
    void setOffsetWidth(int value);
    bool hotTrack() const { return m_hotTrack; }
    void setHotTrack(bool value);
    QColor hotColor() const { return m_hotColor; }
    void setHotColor(const QColor &value);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool value);
    bool showAccelChar() const { return m_showAccelChar; }
    void setShowAccelChar(bool value);
    // The background colour (the label's Color).
    QColor color() const;
    void setColor(const QColor &value);

    // Where the caption is written: inside the bevel, indented by OffsetWidth on
    // both sides, and moved down for bottom or centre alignment.
    QRect textRect() const;
    // The caption colour in use: HotColor while hot-tracked and under the mouse;
    // a disabled label is always drawn embossed.
    QColor currentTextColor() const;
    bool mouseInside() const { return m_mouseInside; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int drawFlags() const;

    TBevelStlye m_bevelStlye = bsLowered;
    int m_bevelWidth = 1;
    QColor m_highlightColor;
    QColor m_shadowColor;
    int m_offsetWidth = 0;
    bool m_hotTrack = false;
    QColor m_hotColor;
    bool m_transparent = false;
    bool m_showAccelChar = true;
    bool m_mouseInside = false;
};
