#include "controls/ColorBtn.h"

#include <QDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QStyleOptionFocusRect>

#include "controls/ColorValue.h"

namespace {

// The kind glyphs: two images side by side (normal, disabled), drawn in code.
QImage kindGlyph(TBitBtnKind kind)
{
    const int s = 16;
    QImage img(2 * s, s, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int slice = 0; slice < 2; ++slice) {
        p.save();
        p.translate(slice * s, 0);
        const bool grey = slice == 1;
        auto pen = [&](const QColor &c) { p.setPen(QPen(grey ? QColor(0x80, 0x80, 0x80) : c, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)); };
        switch (kind) {
        case bkOK:
        case bkYes:
        case bkAll:
            pen(QColor(0, 128, 0));
            p.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(6.5, 12), QPointF(13, 4)}));
            if (kind == bkAll)
                p.drawLine(QPointF(3, 14), QPointF(13, 14));
            break;
        case bkCancel:
        case bkNo:
        case bkAbort:
            pen(kind == bkAbort ? QColor(160, 0, 0) : QColor(200, 0, 0));
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
            break;
        case bkHelp: {
            pen(QColor(0, 0, 160));
            QFont f;
            f.setPixelSize(14);
            f.setBold(true);
            p.setFont(f);
            p.drawText(QRect(0, 0, s, s), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
        case bkClose:
            pen(QColor(96, 64, 0));
            p.drawRect(QRectF(4, 2, 8, 12));
            p.drawPoint(QPointF(10, 8));
            break;
        case bkRetry:
            pen(QColor(0, 96, 160));
            p.drawArc(QRectF(3, 3, 10, 10), 30 * 16, 300 * 16);
            p.drawLine(QPointF(12, 3), QPointF(12.5, 7));
            break;
        case bkIgnore:
            pen(QColor(96, 96, 0));
            p.drawLine(QPointF(3, 8), QPointF(13, 8));
            break;
        case bkCustom:
            break;
        }
        p.restore();
    }
    return img;
}

} // namespace

TColorBtn::KindInfo TColorBtn::kindInfo(TBitBtnKind kind)
{
    switch (kind) {
    case bkOK: return {QStringLiteral("OK"), mrOk, true, false};
    case bkCancel: return {QStringLiteral("キャンセル"), mrCancel, false, true};
    case bkHelp: return {QStringLiteral("ヘルプ(&H)"), mrNone, false, false};
    case bkYes: return {QStringLiteral("はい(&Y)"), mrYes, true, false};
    case bkNo: return {QStringLiteral("いいえ(&N)"), mrNo, false, true};
    case bkClose: return {QStringLiteral("閉じる(&C)"), mrNone, false, false};
    case bkAbort: return {QStringLiteral("中止"), mrAbort, false, false};
    case bkRetry: return {QStringLiteral("再試行(&R)"), mrRetry, false, false};
    case bkIgnore: return {QStringLiteral("無視(&I)"), mrIgnore, false, false};
    case bkAll: return {QStringLiteral("すべて(&A)"), mrAll, false, false};
    case bkCustom: break;
    }
    return {QString(), mrNone, false, false};
}

TColorBtn::TColorBtn(QWidget *parent)
    : QPushButton(parent)
{
    const QColor face = ColorValue::system(ColorValue::System::BtnFace);
    m_color = face;
    m_downColor = face;
    m_downFontColor = ColorValue::system(ColorValue::System::WindowText);
    m_highLightColor = ColorValue::system(ColorValue::System::BtnHighlight);
    m_shadowColor = ColorValue::system(ColorValue::System::BtnShadow);
    m_hotColor = ColorValue::fromBgr(0);
    setCursor(Qt::PointingHandCursor);
    setAutoDefault(false);
    m_glyph.onChange = [this] { update(); };
    connect(this, &QAbstractButton::clicked, this, &TColorBtn::onClicked);
}

void TColorBtn::setKind(TBitBtnKind value)
{
    m_kind = value;
    if (value == bkCustom) {
        m_kindGlyph = false;
        return;
    }
    const KindInfo info = kindInfo(value);
    setText(info.caption);
    setDefault(info.isDefault);
    setCancel(info.isCancel);
    m_modalResult = info.modalResult;
    m_glyph.setGlyph(kindGlyph(value));
    m_glyph.setNumGlyphs(2);
    m_kindGlyph = true;
}

TBitBtnKind TColorBtn::kind() const
{
    if (m_kind == bkCustom)
        return bkCustom;
    const KindInfo info = kindInfo(m_kind);
    if (isDefault() != info.isDefault || m_cancel != info.isCancel || m_modalResult != info.modalResult || !m_kindGlyph)
        return bkCustom;
    return m_kind;
}

void TColorBtn::setCancel(bool value)
{
    m_cancel = value;
    if (value && !m_escape) {
        // Escape anywhere in the window clicks the cancel button.
        m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        m_escape->setContext(Qt::WindowShortcut);
        connect(m_escape, &QShortcut::activated, this, [this] {
            if (!isEnabled() || !isVisible())
                return;
            // A key of the user's, as a click through the button's own event.
            QPointer<TColorBtn> self(this);
            ++m_inEvent;
            click();
            if (!self)
                return;
            if (--m_inEvent == 0 && m_clickPending) {
                m_clickPending = false;
                finishClick();
            }
        });
    }
    if (m_escape)
        m_escape->setEnabled(value);
}

// The button's own click reaction is connected first, so it is the first
// handler of the clicked signal; the owner's handlers come after. The closing
// part waits for them: a click from the user (mouse, keys, the dialog's default
// and cancel keys) arrives through an event and is finished when that event has
// been handled; a click from code is finished from the event loop.
bool TColorBtn::event(QEvent *event)
{
    QPointer<TColorBtn> self(this);
    ++m_inEvent;
    const bool handled = QPushButton::event(event);
    if (!self)
        return handled;
    --m_inEvent;
    if (m_inEvent == 0 && m_clickPending) {
        m_clickPending = false;
        finishClick();
    }
    return handled;
}

void TColorBtn::onClicked()
{
    m_keepOpen = false;
    if (m_inEvent > 0) {
        m_clickPending = true;
        return;
    }
    QTimer::singleShot(0, this, &TColorBtn::finishClick);
}

void TColorBtn::finishClick()
{
    if (m_keepOpen) {
        m_keepOpen = false;
        return;
    }
    if (m_kind == bkClose && kind() == bkClose) {
        window()->close();
        return;
    }
    if (m_kind == bkHelp && kind() == bkHelp) {
        // No help file comes with the program; the help button says so.
        ShowMessage(NoHelpText());
        return;
    }
    if (m_modalResult != mrNone)
        if (auto *dialog = qobject_cast<QDialog *>(window()))
            dialog->done(m_modalResult);
}

void TColorBtn::setGlyph(const QImage &bitmap)
{
    m_kindGlyph = false;
    m_glyph.setGlyph(bitmap);
}

void TColorBtn::setNumGlyphs(int value)
{
    m_glyph.setNumGlyphs(value);
}

void TColorBtn::setButtonLayout(TButtonLayout value)
{
    if (value != m_layout) {
        m_layout = value;
        update();
    }
}

void TColorBtn::setMargin(int value)
{
    if (value >= -1 && value != m_margin) {
        m_margin = value;
        update();
    }
}

void TColorBtn::setSpacing(int value)
{
    if (value != m_spacing) {
        m_spacing = value;
        update();
    }
}

void TColorBtn::setColor(const QColor &value)
{
    m_color = value;
    update();
}

void TColorBtn::setTextAlignment(TTextAlignment value)
{
    m_textAlignment = value;
    update();
}

void TColorBtn::setUseXPStyle(bool value)
{
    m_useXPStyle = value;
    update();
}

void TColorBtn::setButtonMode(TButtonMode value)
{
    m_buttonMode = value;
    if (value == bmNormal)
        SetDown(false);
}

void TColorBtn::SetDown(bool value)
{
    if (m_buttonMode != bmToggle)
        value = false;
    if (value == m_down)
        return;
    m_down = value;
    if (value)
        update();
    else
        repaint();
    emit downChanged(value);
}

QColor TColorBtn::currentCaptionColor() const
{
    if (!isEnabled())
        return ColorValue::system(ColorValue::System::BtnShadow);
    return drawnSunk() ? m_downFontColor : QColor(Qt::black);
}

TGlyphLayout TColorBtn::layoutContent() const
{
    const QRect client = rect();
    const QString caption = text();
    const QSize ts = caption.isEmpty()
        ? QSize()
        : fontMetrics().boundingRect(QRect(0, 0, client.width(), 0), Qt::TextShowMnemonic, caption).size();
    const QSize g = m_glyph.glyphSize();
    int margin = m_margin;
    if (m_textAlignment == taLeftJustify)
        margin = 2;
    else if (m_textAlignment == taRightJustify)
        margin = client.width() - ts.width() - 2;
    const QPoint offset = drawnSunk() ? QPoint(1, 1) : QPoint();
    return TButtonGlyph::calcLayout(client, g, ts, m_layout, margin, m_spacing,
                                    layoutDirection() == Qt::RightToLeft, offset);
}

QRect TColorBtn::captionRect() const
{
    return layoutContent().textRect;
}

QSize TColorBtn::sizeHint() const
{
    const QSize ts = fontMetrics().size(Qt::TextShowMnemonic, text());
    const QSize g = m_glyph.glyphSize();
    return QSize(qMax(75, ts.width() + (g.isValid() ? g.width() + m_spacing : 0) + 16),
                 qMax(25, qMax(ts.height(), g.isValid() ? g.height() : 0) + 8));
}

void TColorBtn::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QRect r = rect();
    const bool sunk = drawnSunk();
    p.fillRect(r, currentFaceColor());
    const QColor hi = ColorValue::system(ColorValue::System::BtnHighlight);
    const QColor sh = ColorValue::system(ColorValue::System::BtnShadow);
    p.setPen(sunk ? sh : hi);
    p.drawLine(r.left(), r.bottom(), r.left(), r.top());
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.setPen(sunk ? hi : sh);
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    if (m_down && !underMouse()) {
        // The classic latched look: a dither of the face and the down colour.
        p.fillRect(r.adjusted(1, 1, -1, -1), QBrush(ColorValue::system(ColorValue::System::BtnFace), Qt::Dense4Pattern));
    }
    const TGlyphLayout lay = layoutContent();
    if (!m_glyph.glyphSize().isEmpty()) {
        TButtonGlyph::State gs = !isEnabled() ? TButtonGlyph::Disabled
                                 : m_down     ? TButtonGlyph::Latched
                                 : isDown()   ? TButtonGlyph::Pressed
                                              : TButtonGlyph::Up;
        p.drawPixmap(lay.glyphPos, const_cast<TButtonGlyph &>(m_glyph).image(gs));
    }
    const QString caption = text();
    if (!caption.isEmpty()) {
        const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
        p.setFont(font());
        if (isEnabled()) {
            p.setPen(currentCaptionColor());
            p.drawText(lay.textRect, flags, caption);
        } else {
            p.setPen(hi);
            p.drawText(lay.textRect.translated(1, 1), flags, caption);
            p.setPen(sh);
            p.drawText(lay.textRect, flags, caption);
        }
    }
    if (hasFocus() && m_drawFocus) {
        QStyleOptionFocusRect opt;
        opt.initFrom(this);
        opt.rect = rect().adjusted(4, 4, -4, -4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
    }
}

void TColorBtn::mouseReleaseEvent(QMouseEvent *event)
{
    // A release inside a held toggle button latches or releases it before the
    // click is heard, so click handlers read the new state.
    if (event->button() == Qt::LeftButton && m_buttonMode == bmToggle && isDown()
        && hitButton(event->position().toPoint()))
        SetDown(!m_down);
    QPushButton::mouseReleaseEvent(event);
}

void TColorBtn::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is a second press.
    mousePressEvent(event);
}
