#include "controls/MySpeedButton.h"

#include <map>
#include <memory>

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "controls/ColorValue.h"
#include "controls/Frame3D.h"

// ---------------------------------------------------------------- glyph lists

int TGlyphList::add(const QPixmap &image)
{
    int slot = m_used.indexOf(false);
    if (slot < 0) {
        slot = int(m_used.size());
        m_used.append(true);
        m_images.append(image);
    } else {
        m_used[slot] = true;
        m_images[slot] = image;
    }
    ++m_count;
    return slot;
}

void TGlyphList::remove(int index)
{
    if (index < 0 || index >= m_used.size() || !m_used[index])
        return;
    m_used[index] = false;
    m_images[index] = QPixmap();
    --m_count;
}

QPixmap TGlyphList::image(int index) const
{
    return index >= 0 && index < m_images.size() ? m_images[index] : QPixmap();
}

namespace {
using CacheKey = std::pair<int, int>;
std::map<CacheKey, std::unique_ptr<TGlyphList>> &glyphCache()
{
    static std::map<CacheKey, std::unique_ptr<TGlyphList>> cache;
    return cache;
}
} // namespace

TGlyphList *TGlyphCache::acquire(QSize size)
{
    auto &slot = glyphCache()[{size.width(), size.height()}];
    if (!slot)
        slot = std::make_unique<TGlyphList>(size);
    return slot.get();
}

void TGlyphCache::release(TGlyphList *list)
{
    if (!list || list->count() > 0)
        return;
    glyphCache().erase({list->size().width(), list->size().height()});
}

int TGlyphCache::listCount()
{
    return int(glyphCache().size());
}

// ---------------------------------------------------------------- glyph object

TButtonGlyph::~TButtonGlyph()
{
    invalidate();
}

void TButtonGlyph::setGlyph(const QImage &bitmap)
{
    invalidate();
    m_original = bitmap.convertToFormat(QImage::Format_ARGB32);
    if (!m_original.isNull())
        m_transparentColor = m_original.pixelColor(0, m_original.height() - 1);
    // An empty bitmap (a cleared glyph) keeps the count: there is nothing to divide.
    if (m_original.height() > 0 && m_original.width() > 0 && m_original.width() % m_original.height() == 0) {
        const int n = m_original.width() / m_original.height();
        m_numGlyphs = n > 4 ? 1 : n;
    }
    if (onChange)
        onChange();
}

void TButtonGlyph::setNumGlyphs(int value)
{
    value = qBound(1, value, 4);
    if (value == m_numGlyphs)
        return;
    invalidate();
    m_numGlyphs = value;
    if (onChange)
        onChange();
}

QSize TButtonGlyph::glyphSize() const
{
    if (m_original.isNull())
        return QSize();
    return QSize(m_original.width() / m_numGlyphs, m_original.height());
}

void TButtonGlyph::invalidate()
{
    if (!m_list)
        return;
    for (int &index : m_indexes) {
        m_list->remove(index);
        index = -1;
    }
    TGlyphCache::release(m_list);
    m_list = nullptr;
}

QPixmap TButtonGlyph::image(State state)
{
    const QSize size = glyphSize();
    if (size.isEmpty())
        return QPixmap();
    // Fewer than three images: the pressed look is the up image.
    if (state == Pressed && m_numGlyphs < 3)
        state = Up;
    if (!m_list)
        m_list = TGlyphCache::acquire(size);
    if (m_indexes[state] < 0)
        m_indexes[state] = m_list->add(buildImage(state));
    return m_list->image(m_indexes[state]);
}

QPixmap TButtonGlyph::buildImage(State state) const
{
    const QSize size = glyphSize();
    const bool ownSlice = int(state) < m_numGlyphs;
    const QImage first = m_original.copy(0, 0, size.width(), size.height());
    QImage slice = ownSlice ? m_original.copy(int(state) * size.width(), 0, size.width(), size.height()) : first;

    // Pixels of the transparent colour become see-through; a bitmap with its own
    // alpha channel already says what is transparent.
    auto masked = [this](QImage img) {
        if (img.hasAlphaChannel() && img.pixelColor(0, img.height() - 1).alpha() < 255)
            return img;
        const QRgb key = m_transparentColor.rgb() & 0xFFFFFF;
        for (int y = 0; y < img.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((line[x] & 0xFFFFFF) == key)
                    line[x] = 0;
        }
        return img;
    };

    if (state == Disabled && !ownSlice) {
        // The classic embossed look: the dark pixels of the first image as a mask,
        // drawn once in the highlight colour one pixel down-right, then in shadow.
        const QImage src = masked(first);
        QImage mask(size, QImage::Format_ARGB32);
        mask.fill(Qt::transparent);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const QColor c = src.pixelColor(x, y);
                if (c.alpha() > 0 && qGray(c.rgb()) < 192)
                    mask.setPixelColor(x, y, Qt::black);
            }
        auto tinted = [&mask](const QColor &color) {
            QImage t = mask;
            QPainter p(&t);
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            p.fillRect(t.rect(), color);
            return t;
        };
        QImage out(size, QImage::Format_ARGB32);
        out.fill(Qt::transparent);
        QPainter p(&out);
        p.drawImage(1, 1, tinted(ColorValue::system(ColorValue::System::BtnHighlight)));
        p.drawImage(0, 0, tinted(ColorValue::system(ColorValue::System::BtnShadow)));
        p.end();
        return QPixmap::fromImage(out);
    }
    return QPixmap::fromImage(masked(slice));
}

TGlyphLayout TButtonGlyph::calcLayout(const QRect &client, QSize glyph, QSize text, TButtonLayout layout,
                                      int margin, int spacing, bool rightToLeft, QPoint offset)
{
    if (rightToLeft) {
        if (layout == blGlyphLeft)
            layout = blGlyphRight;
        else if (layout == blGlyphRight)
            layout = blGlyphLeft;
    }
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    const int cw = client.width(), ch = client.height();
    const int gw = glyph.isValid() ? glyph.width() : 0, gh = glyph.isValid() ? glyph.height() : 0;
    const int tw = text.width(), th = text.height();

    QPoint g, t;
    if (horizontal) {
        g.setY((ch - gh + 1) / 2);
        t.setY((ch - th + 1) / 2);
    } else {
        g.setX((cw - gw + 1) / 2);
        t.setX((cw - tw + 1) / 2);
    }
    const int c = horizontal ? cw : ch;
    const int ga = horizontal ? gw : gh;
    const int ta = horizontal ? tw : th;
    if (ta == 0 || ga == 0)
        spacing = 0;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (c - ga - ta) / 3;
            spacing = margin;
        } else {
            margin = (c - ga - spacing - ta + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (c - margin - ga - ta) / 2;
    }
    int glyphAt = 0, textAt = 0;
    switch (layout) {
    case blGlyphLeft:
    case blGlyphTop:
        glyphAt = margin;
        textAt = margin + ga + spacing;
        break;
    case blGlyphRight:
    case blGlyphBottom:
        glyphAt = c - margin - ga;
        textAt = glyphAt - spacing - ta;
        break;
    }
    if (horizontal) {
        g.setX(glyphAt);
        t.setX(textAt);
    } else {
        g.setY(glyphAt);
        t.setY(textAt);
    }
    const QPoint shift = client.topLeft() + offset;
    return {g + shift, QRect(t + shift, text)};
}

// ---------------------------------------------------------------- button

TMySpeedButton::TMySpeedButton(QWidget *parent)
    : QAbstractButton(parent)
{
    m_color = ColorValue::system(ColorValue::System::Window);
    m_downColor = ColorValue::fromBgr(0xBFFFBF);
    m_downFont = font();
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    resize(23, 22);
    m_glyph.onChange = [this] { update(); };
}

TMySpeedButton::~TMySpeedButton()
{
    m_glyph.onChange = nullptr;
}

QSize TMySpeedButton::sizeHint() const
{
    const QFontMetrics fm(font());
    const QSize captionSize = fm.size(Qt::TextShowMnemonic, text());
    const QSize g = m_glyph.glyphSize();
    int w = captionSize.width() + (g.isValid() ? g.width() + m_spacing : 0) + 8;
    int h = qMax(captionSize.height(), g.isValid() ? g.height() : 0) + 6;
    return QSize(qMax(23, w), qMax(22, h));
}

void TMySpeedButton::setAllowAllUp(bool value)
{
    if (m_allowAllUp == value)
        return;
    m_allowAllUp = value;
    broadcastGroup();
}

void TMySpeedButton::setGroupIndex(int value)
{
    if (m_groupIndex == value)
        return;
    m_groupIndex = value;
    broadcastGroup();
}

void TMySpeedButton::SetDown(bool value)
{
    if (m_groupIndex == 0)
        value = false;
    if (value == m_down)
        return;
    if (m_down && !m_allowAllUp)
        return;
    m_down = value;
    if (value) {
        if (m_state == bsUp)
            update();
        m_state = bsExclusive;
    } else {
        m_state = bsUp;
        repaint();
    }
    emit downChanged(m_down);
    if (value)
        broadcastGroup();
}

void TMySpeedButton::broadcastGroup()
{
    QWidget *owner = parentWidget();
    if (!owner)
        return;
    const auto siblings = owner->findChildren<TMySpeedButton *>(Qt::FindDirectChildrenOnly);
    for (TMySpeedButton *other : siblings)
        if (other != this)
            other->groupMessage(this);
}

void TMySpeedButton::groupMessage(TMySpeedButton *sender)
{
    if (sender->m_groupIndex != m_groupIndex)
        return;
    if (sender->m_down && m_down) {
        m_down = false;
        m_state = bsUp;
        update();
        emit downChanged(false);
    }
    m_allowAllUp = sender->m_allowAllUp;
}

void TMySpeedButton::setFlat(bool value)
{
    if (m_flat != value) {
        m_flat = value;
        update();
    }
}

void TMySpeedButton::setGlyph(const QImage &bitmap)
{
    m_glyph.setGlyph(bitmap);
}

void TMySpeedButton::setNumGlyphs(int value)
{
    m_glyph.setNumGlyphs(value);
}

void TMySpeedButton::setButtonLayout(TButtonLayout value)
{
    if (m_layout != value) {
        m_layout = value;
        update();
    }
}

void TMySpeedButton::setMargin(int value)
{
    if (value >= -1 && value != m_margin) {
        m_margin = value;
        update();
    }
}

void TMySpeedButton::setSpacing(int value)
{
    if (value != m_spacing) {
        m_spacing = value;
        update();
    }
}

void TMySpeedButton::setTransparent(bool value)
{
    if (value == m_transparent)
        return;
    m_transparent = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    update();
}

void TMySpeedButton::setColor(const QColor &value)
{
    m_parentColor = false;
    if (value != m_color) {
        m_color = value;
        update();
    }
}

void TMySpeedButton::setParentColor(bool value)
{
    if (value != m_parentColor) {
        m_parentColor = value;
        update();
    }
}

QColor TMySpeedButton::faceColor() const
{
    if (m_parentColor && parentWidget())
        return parentWidget()->palette().color(parentWidget()->backgroundRole());
    return m_color;
}

void TMySpeedButton::setDownColor(const QColor &value)
{
    m_downColor = value;
    update();
}

void TMySpeedButton::setDownFont(const QFont &value)
{
    m_downFont = value;
    m_downFontSet = true;
    update();
}

void TMySpeedButton::setCaptionOffX(int value)
{
    if (value != m_captionOffX) {
        m_captionOffX = value;
        update();
    }
}

void TMySpeedButton::setCaptionOffY(int value)
{
    if (value != m_captionOffY) {
        m_captionOffY = value;
        update();
    }
}

void TMySpeedButton::setUseXPStyle(bool value)
{
    m_useXPStyle = value;
    update();
}

void TMySpeedButton::setLineWidth(int value)
{
    m_lineWidth = value;
    update();
}

void TMySpeedButton::Click()
{
    emit clicked(false);
}

void TMySpeedButton::fixState()
{
    if (!isEnabled()) {
        m_state = bsDisabled;
        m_dragging = false;
    } else if (m_state == bsDisabled) {
        m_state = (m_down && m_groupIndex != 0) ? bsExclusive : bsUp;
    }
}

QColor TMySpeedButton::captionColor() const
{
    return palette().color(QPalette::Active, QPalette::ButtonText);
}

void TMySpeedButton::drawFrame3D(QPainter &p, QRect &rect, const QColor &topLeft, const QColor &bottomRight,
                                 int width)
{
    // The painter's pen stays as it was for the drawing that follows.
    p.save();
    Frame3D(p, rect, topLeft, bottomRight, width);
    p.restore();
}

void TMySpeedButton::drawGlyphAndCaption(QPainter &p, const QRect &rect, QPoint offset, const QFont &font,
                                         const QColor &textColor)
{
    const QFontMetrics fm(font);
    const QString caption = text();
    const QSize textSize = caption.isEmpty()
        ? QSize()
        : fm.boundingRect(QRect(0, 0, rect.width(), 0), Qt::TextShowMnemonic, caption).size();
    const QSize g = m_glyph.glyphSize();
    const TGlyphLayout lay = TButtonGlyph::calcLayout(rect, g, textSize, m_layout, m_margin, m_spacing,
                                                      layoutDirection() == Qt::RightToLeft, offset);
    if (!g.isEmpty()) {
        TButtonGlyph::State gs = TButtonGlyph::Up;
        switch (m_state) {
        case bsDisabled: gs = TButtonGlyph::Disabled; break;
        case bsDown: gs = TButtonGlyph::Pressed; break;
        case bsExclusive: gs = TButtonGlyph::Latched; break;
        case bsUp: break;
        }
        p.drawPixmap(lay.glyphPos, m_glyph.image(gs));
    }
    if (caption.isEmpty())
        return;
    p.save();
    p.setFont(font);
    p.setBrush(Qt::NoBrush);
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    if (m_state == bsDisabled) {
        p.setPen(ColorValue::system(ColorValue::System::BtnHighlight));
        p.drawText(lay.textRect.translated(1, 1), flags, caption);
        p.setPen(ColorValue::system(ColorValue::System::BtnShadow));
        p.drawText(lay.textRect, flags, caption);
    } else {
        p.setPen(textColor);
        p.drawText(lay.textRect, flags, caption);
    }
    p.restore();
}

void TMySpeedButton::paintEvent(QPaintEvent *)
{
    fixState();
    QPainter p(this);
    QRect r = rect();
    const bool sunk = m_state == bsDown || m_state == bsExclusive;
    const QColor hi = ColorValue::system(ColorValue::System::BtnHighlight);
    const QColor sh = ColorValue::system(ColorValue::System::BtnShadow);
    if (m_flat) {
        if (!m_transparent)
            p.fillRect(r, faceColor());
        if (sunk || (m_mouseInControl && m_state != bsDisabled)) {
            QRect edge = r;
            if (sunk)
                drawFrame3D(p, edge, sh, hi, 1);
            else
                drawFrame3D(p, edge, hi, sh, 1);
        }
        r.adjust(1, 1, -1, -1);
    } else {
        p.fillRect(r, sunk ? m_downColor : faceColor());
        if (sunk)
            drawFrame3D(p, r, sh, hi, 1);
        else
            drawFrame3D(p, r, hi, sh, 1);
        r = rect().adjusted(1, 1, -1, -1);
    }
    const QPoint offset = QPoint(sunk ? 1 : 0, sunk ? 1 : 0) + QPoint(m_captionOffX, m_captionOffY);
    drawGlyphAndCaption(p, r, offset, font(), captionColor());
}

bool TMySpeedButton::insideForMove(QPoint pos) const
{
    // One pixel below the button still counts, as the button has always behaved.
    return pos.x() >= 0 && pos.x() < width() && pos.y() >= 0 && pos.y() <= height();
}

void TMySpeedButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    if (!m_down) {
        m_state = bsDown;
        update();
    }
    m_dragging = true;
}

void TMySpeedButton::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        if (m_flat && !m_mouseInControl && rect().contains(event->position().toPoint()))
            MouseEnter();
        return;
    }
    ButtonState next = m_down ? bsExclusive : bsUp;
    if (insideForMove(event->position().toPoint()))
        next = m_down ? bsExclusive : bsDown;
    if (next != m_state) {
        m_state = next;
        update();
    }
}

void TMySpeedButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_dragging) {
        event->ignore();
        return;
    }
    m_dragging = false;
    const bool inside = rect().contains(event->position().toPoint());
    if (m_groupIndex == 0) {
        m_state = bsUp;
        m_mouseInControl = false;
        if (inside)
            update();
    } else if (inside) {
        SetDown(!m_down);
        if (m_down)
            repaint();
        else if (m_state != bsUp) {
            // AllowAllUp False keeps a latched button latched.
            m_state = m_down ? bsExclusive : bsUp;
            update();
        }
    } else {
        m_state = m_down ? bsExclusive : bsUp;
        repaint();
    }
    if (inside)
        Click();
    if (isEnabled() && m_flat) {
        const bool over = rect().contains(mapFromGlobal(QCursor::pos())) || inside;
        if (!over && m_mouseInControl)
            MouseLeave();
        else if (over && !m_mouseInControl)
            MouseEnter();
    }
}

void TMySpeedButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
    if (m_down)
        emit doubleClicked();
}

void TMySpeedButton::MouseEnter()
{
    if (m_flat && !m_mouseInControl && isEnabled() && !QWidget::mouseGrabber()) {
        m_mouseInControl = true;
        update();
    }
}

void TMySpeedButton::MouseLeave()
{
    if (m_flat && m_mouseInControl && isEnabled() && !m_dragging) {
        m_mouseInControl = false;
        update();
    }
}

void TMySpeedButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    MouseEnter();
}

void TMySpeedButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    MouseLeave();
}

void TMySpeedButton::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FontChange:
        // A button that follows its parent's font keeps its latched font in step.
        if (!m_downFontSet)
            m_downFont = font();
        else
            m_downFont.setPointSizeF(font().pointSizeF());
        update();
        break;
    case QEvent::EnabledChange:
        fixState();
        m_glyph.invalidate();
        if (!isEnabled())
            m_mouseInControl = false;
        update();
        break;
    case QEvent::PaletteChange:
        m_glyph.invalidate();
        update();
        break;
    default:
        break;
    }
    QAbstractButton::changeEvent(event);
}

bool TMySpeedButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        // The accelerator of the caption clicks the button when it can be seen.
        if (isEnabled() && isVisible() && parentWidget() && parentWidget()->isVisible())
            Click();
        return true;
    }
    return QAbstractButton::event(event);
}

void TMySpeedButton::drawCaptionText(QPainter &p, const QFont &font, const QRect &at, int pressOffset,
                                     const QColor &colour, const QString &caption) const
{
    p.save();
    p.setFont(font);
    p.setBrush(Qt::NoBrush);
    if (isEnabled()) {
        p.setPen(colour);
        p.drawText(at.translated(pressOffset, pressOffset), Qt::TextShowMnemonic, caption);
    } else {
        p.setPen(Qt::white);
        p.drawText(at.translated(1, 1), Qt::TextShowMnemonic, caption);
        p.setPen(ColorValue::fromBgr(0x808080));
        p.drawText(at, Qt::TextShowMnemonic, caption);
    }
    p.restore();
}
