#include "controls/MyPanel.h"

#include <QEvent>
#include <QPainter>

#include "controls/ColorValue.h"
#include "controls/Frame3D.h"

TMyPanel::TMyPanel(QWidget *parent)
    : QFrame(parent)
    , m_insideColor(ColorValue::system(ColorValue::System::BtnFace))
{
    setFrameShape(QFrame::NoFrame);
    applyMargins();
}

QColor TMyPanel::color() const
{
    return palette().color(QPalette::Window);
}

void TMyPanel::setColor(const QColor &value)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, value);
    setPalette(pal); // the palette change rebuilds the tiles
}

void TMyPanel::setBitmap(const QImage &value)
{
    m_bitmap = value;
    rebuildTiles();
    update();
}

void TMyPanel::setMarginLeft(int value) { m_margins.setLeft(value); applyMargins(); }
void TMyPanel::setMarginRight(int value) { m_margins.setRight(value); applyMargins(); }
void TMyPanel::setMarginTop(int value) { m_margins.setTop(value); applyMargins(); }
void TMyPanel::setMarginBottom(int value) { m_margins.setBottom(value); applyMargins(); }

void TMyPanel::setBrendBrush(bool value)
{
    m_brendBrush = value;
    rebuildTiles();
    update();
}

void TMyPanel::setInsideColor(const QColor &value)
{
    m_insideColor = value;
    rebuildTiles();
    update();
}

void TMyPanel::setBevelOuter(TPanelBevel value) { m_bevelOuter = value; applyMargins(); }
void TMyPanel::setBevelInner(TPanelBevel value) { m_bevelInner = value; applyMargins(); }
void TMyPanel::setBevelWidth(int value) { m_bevelWidth = qMax(1, value); applyMargins(); }
void TMyPanel::setBorderWidth(int value) { m_borderWidth = qMax(0, value); applyMargins(); }

void TMyPanel::setCaption(const QString &value)
{
    m_caption = value;
    update();
}

void TMyPanel::setCaptionAlignment(Qt::Alignment value)
{
    m_captionAlignment = value;
    update();
}

void TMyPanel::applyMargins()
{
    // Child widgets placed by a layout sit inside the same area that is painted
    // with the inside colour.
    const int outer = m_bevelOuter != bvNone ? m_bevelWidth : 0;
    const int inner = m_bevelInner != bvNone ? m_bevelWidth : 0;
    const int edge = outer + m_borderWidth + inner;
    setContentsMargins(edge + m_margins.left(), edge + m_margins.top(), edge + m_margins.right(),
                       edge + m_margins.bottom());
    update();
}

QRect TMyPanel::innerRect() const
{
    return contentsRect();
}

QImage TMyPanel::makeTile(const QImage &picture, const QColor &color, bool blend)
{
    QImage tile = picture.convertToFormat(QImage::Format_RGB32);
    if (!blend)
        return tile;
    // The colour tints the picture: a bitwise AND of every pixel with it.
    const QRgb mask = color.rgb() | 0xFF000000u;
    for (int y = 0; y < tile.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(tile.scanLine(y));
        for (int x = 0; x < tile.width(); ++x)
            line[x] &= mask;
    }
    return tile;
}

void TMyPanel::rebuildTiles()
{
    if (m_bitmap.isNull() || m_bitmap.width() == 0 || m_bitmap.height() == 0) {
        m_outerTile = QImage();
        m_innerTile = QImage();
        return;
    }
    m_outerTile = makeTile(m_bitmap, color(), m_brendBrush);
    m_innerTile = makeTile(m_bitmap, m_insideColor, m_brendBrush);
}

void TMyPanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        rebuildTiles();
    QFrame::changeEvent(event);
}

void TMyPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_outerTile.isNull())
        p.fillRect(rect(), QBrush(m_outerTile));
    else
        p.fillRect(rect(), color());
    const QColor hi = ColorValue::system(ColorValue::System::BtnHighlight);
    const QColor sh = ColorValue::system(ColorValue::System::BtnShadow);
    QRect r = rect();
    if (m_bevelOuter != bvNone)
        Frame3D(p, r, m_bevelOuter == bvLowered ? sh : hi, m_bevelOuter == bvLowered ? hi : sh, m_bevelWidth);
    r = r.marginsRemoved(QMargins(m_borderWidth, m_borderWidth, m_borderWidth, m_borderWidth)).marginsRemoved(m_margins);
    if (m_bevelInner != bvNone)
        Frame3D(p, r, m_bevelInner == bvLowered ? sh : hi, m_bevelInner == bvLowered ? hi : sh, m_bevelWidth);
    if (!m_innerTile.isNull())
        p.fillRect(r, QBrush(m_innerTile));
    else
        p.fillRect(r, m_insideColor);
    if (!m_caption.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, int(m_captionAlignment | Qt::AlignVCenter) | Qt::TextShowMnemonic, m_caption);
    }
}
