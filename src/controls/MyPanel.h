#pragma once

#include <QFrame>
#include <QImage>

// A panel whose outer area and inner area (inside the bevels, border and margins)
// are filled with a colour or with a tiled picture tinted by that colour. The
// margins also push in child widgets placed by a layout.
class TMyPanel : public QFrame
{
    Q_OBJECT
public:
    enum TPanelBevel { bvNone, bvLowered, bvRaised };

    explicit TMyPanel(QWidget *parent = nullptr);

    QImage bitmap() const { return m_bitmap; }
    void setBitmap(const QImage &value);
    int marginLeft() const { return m_margins.left(); }
    int marginRight() const { return m_margins.right(); }
    int marginTop() const { return m_margins.top(); }
    int marginBottom() const { return m_margins.bottom(); }
    void setMarginLeft(int value);
    void setMarginRight(int value);
    void setMarginTop(int value);
    void setMarginBottom(int value);
    bool brendBrush() const { return m_brendBrush; }
    void setBrendBrush(bool value);
    QColor insideColor() const { return m_insideColor; }
    void setInsideColor(const QColor &value);
    QColor color() const;
    void setColor(const QColor &value);
    TPanelBevel bevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TPanelBevel value);
    TPanelBevel bevelInner() const { return m_bevelInner; }
    void setBevelInner(TPanelBevel value);
    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int value);
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int value);
    QString caption() const { return m_caption; }
    void setCaption(const QString &value);
    Qt::Alignment captionAlignment() const { return m_captionAlignment; }
    void setCaptionAlignment(Qt::Alignment value);

    // The inner area: inside the outer bevel, the border, the margins and the inner bevel.
    QRect innerRect() const;
    QImage outerTile() const { return m_outerTile; }
    QImage innerTile() const { return m_innerTile; }
    // A tile of the picture; with blend the picture is ANDed with the colour.
    static QImage makeTile(const QImage &picture, const QColor &color, bool blend);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void rebuildTiles();
    void applyMargins();

    QImage m_bitmap;
    QImage m_outerTile;
    QImage m_innerTile;
    QMargins m_margins;
    bool m_brendBrush = true;
    QColor m_insideColor;
    TPanelBevel m_bevelOuter = bvRaised;
    TPanelBevel m_bevelInner = bvNone;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    QString m_caption;
    Qt::Alignment m_captionAlignment = Qt::AlignCenter;
};
