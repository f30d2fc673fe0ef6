#include "printing/ReportItems.h"

#include <cmath>

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

// ---- display masks --------------------------------------------------------------

namespace {

struct NumberMask
{
    QString prefix, suffix;
    int decimals = 0;       // digits after the point
    int minInteger = 0;     // zeros before the point
    bool grouping = false;
    bool valid = false;
};

NumberMask parseSection(const QString &section)
{
    NumberMask m;
    int first = -1, last = -1;
    for (int i = 0; i < section.size(); ++i) {
        const QChar c = section.at(i);
        if (c == u'#' || c == u'0' || c == u',' || c == u'.') {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return m;
    const QString core = section.mid(first, last - first + 1);
    bool digit = false;
    bool afterPoint = false;
    for (const QChar c : core) {
        if (c == u'.') {
            if (afterPoint)
                return m;   // two points: not a pattern this engine knows
            afterPoint = true;
        } else if (c == u',') {
            m.grouping = true;
        } else if (c == u'#' || c == u'0') {
            digit = true;
            if (afterPoint)
                ++m.decimals;
            else if (c == u'0')
                ++m.minInteger;
        } else {
            return m;
        }
    }
    m.prefix = section.left(first);
    m.suffix = section.mid(last + 1);
    m.valid = digit;
    return m;
}

QString formatNumber(double value, const NumberMask &m, bool withSign)
{
    QString digits = QString::number(std::fabs(value), 'f', m.decimals);
    QString intPart = digits.section(u'.', 0, 0);
    const QString frac = digits.section(u'.', 1);
    if (intPart == u"0"_s && m.minInteger == 0)
        intPart.clear();
    while (intPart.size() < m.minInteger)
        intPart.prepend(u'0');
    if (m.grouping)
        for (int i = int(intPart.size()) - 3; i > 0; i -= 3)
            intPart.insert(i, u',');
    QString out = intPart;
    if (m.decimals > 0)
        out += u'.' + frac;
    const bool negative = value < 0 && out.contains(QRegularExpression(u"[1-9]"_s));
    return (withSign && negative ? u"-"_s : QString()) + m.prefix + out + m.suffix;
}

} // namespace

QString FormatDisplayMask(const QString &text, const QString &mask)
{
    if (mask.isEmpty() || text.isEmpty())
        return text;
    for (const QChar c : text)
        if (!QStringView(u"+-.0123456789").contains(c))
            return text;   // edit masks on texts are not used by the reports
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        return text;       // a lone sign or point is printed as typed
    const QStringList sections = mask.split(u';');
    const NumberMask positive = parseSection(sections.value(0));
    if (!positive.valid)
        return text;
    if (value < 0 && sections.size() > 1) {
        const NumberMask negative = parseSection(sections.at(1));
        if (negative.valid)
            return formatNumber(value, negative, false);
    }
    return formatNumber(value, positive, true);
}

// ---- items ------------------------------------------------------------------------

void TLRItem::SetHMargin(int v)
{
    if (v >= -255 && v <= 255)
        m_hMargin = v;
}

void TLRItem::SetVMargin(int v)
{
    if (v >= -255 && v <= 255)
        m_vMargin = v;
}

QString TLRItem::GetText()
{
    QString text = m_text;
    if (OnGetText)
        OnGetText(this, text);
    return text;
}

QString TLRItem::GetDisplayText()
{
    const QString text = GetText();
    return DisplayMask.isEmpty() ? text : FormatDisplayMask(text, DisplayMask);
}

namespace {

// Texts that a single line lays out differently from a plain run of glyphs.
bool needsLayout(const QString &text)
{
    for (const QChar c : text)
        if (c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return true;
    return false;
}

int horizontalFlags(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return Qt::AlignRight;
    if (alignment & Qt::AlignHCenter)
        return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

} // namespace

struct TLRItem::TextCache
{
    struct Face
    {
        QFont font;
        QFontMetricsF metrics;
        QHash<char16_t, QRectF> glyphs;   // ink of one character from its origin
        QRectF glyph(QChar c)
        {
            auto it = glyphs.constFind(c.unicode());
            if (it == glyphs.constEnd())
                it = glyphs.insert(c.unicode(), metrics.boundingRect(c));
            return *it;
        }
        // Where a text's ink can reach from its origin on the baseline, or a
        // null rectangle when that is not known (characters past the basic plane).
        QRectF ink(const QString &text, qreal width)
        {
            qreal top = 0, bottom = 0;
            for (const QChar c : text) {
                if (c.isSurrogate())
                    return QRectF();
                const QRectF g = glyph(c);
                top = qMin(top, g.top());
                bottom = qMax(bottom, g.bottom());
            }
            const QChar last = text.back();
            const qreal left = qMin(qreal(0), glyph(text.front()).left());
            const qreal right = qMax(width, width - metrics.horizontalAdvance(last) + glyph(last).right());
            return QRectF(QPointF(left, top), QPointF(right, bottom));
        }
    };
    struct Fit
    {
        int pixelSize;
        qreal width;
        QRectF ink;
    };
    // What the cached sizes depend on.
    QFont source;
    double scale = 0;
    int dpiX = 0, dpiY = 0;
    int avail = 0;
    bool autoFit = true;
    QHash<int, std::shared_ptr<Face>> faces;   // by pixel size
    QHash<QString, Fit> fits;

    bool matches(const TLRItem &item, const QPaintDevice *device, double s, int width) const
    {
        return scale == s && avail == width && autoFit == item.AutoFit && dpiX == device->logicalDpiX() &&
               dpiY == device->logicalDpiY() && source == item.Font;
    }
    Face &face(int pixelSize, const QPaintDevice *device)
    {
        std::shared_ptr<Face> &f = faces[pixelSize];
        if (!f) {
            QFont font = source;
            font.setPixelSize(pixelSize);
            f = std::make_shared<Face>(Face{font, QFontMetricsF(font, device), {}});
        }
        return *f;
    }
};

void TLRItem::PrintTo(QPainter &painter, const QRect &rect, TPrintStatus status, double scale)
{
    const QString text = GetDisplayText();
    const QRect s(QPoint(int(std::trunc(rect.left() * scale)), int(std::trunc(rect.top() * scale))),
                  QPoint(int(std::trunc((rect.right() + 1) * scale)) - 1,
                         int(std::trunc((rect.bottom() + 1) * scale)) - 1));
    painter.save();
    if (!Transparent)
        painter.fillRect(s, Color);
    if (status == psNormal && !text.isEmpty()) {
        painter.setPen(FontColor);
        if (WordWrap || !painter.device() || needsLayout(text)) {
            painter.setClipRect(s, Qt::IntersectClip);
            printLaidOut(painter, s, text, scale);
        } else {
            printLine(painter, s, text, scale);
        }
    }
    painter.restore();
    DrawFrameLines(painter, rect, status, scale, LineTop, LineLeft, LineRight, LineBottom, LineColor);
}

// Where a text block th high starts in the item's scaled rectangle s: inside
// the margin on the side it is aligned to, and at the top, middle or bottom.
QRect TLRItem::textBox(const QRect &s, int th, int margin, double scale) const
{
    QRect d = s;
    if (Alignment & Qt::AlignRight)
        d.setRight(d.right() - margin);
    else if (!(Alignment & Qt::AlignHCenter))
        d.setLeft(d.left() + margin);
    const int vm = int(std::trunc(m_vMargin * scale));
    if (Layout == tlTop)
        d.setTop(d.top() + vm);
    else if (Layout == tlBottom)
        d.setTop(s.bottom() + 1 - vm - th);
    else
        d.setTop(d.top() + (s.height() - th) / 2);
    return d;
}

// One line of plain text: measured once per text with the cached metrics, then
// drawn as a run of glyphs at its baseline, without a text layout.
void TLRItem::printLine(QPainter &painter, const QRect &s, const QString &text, double scale)
{
    const QPaintDevice *device = painter.device();
    const int margin = int(std::trunc(m_hMargin * scale));
    const int avail = qMax(1, s.width() - margin);
    if (!m_textCache || !m_textCache->matches(*this, device, scale, avail)) {
        m_textCache = std::make_shared<TextCache>();
        m_textCache->source = Font;
        m_textCache->scale = scale;
        m_textCache->dpiX = device->logicalDpiX();
        m_textCache->dpiY = device->logicalDpiY();
        m_textCache->avail = avail;
        m_textCache->autoFit = AutoFit;
    }
    TextCache &cache = *m_textCache;
    auto found = cache.fits.constFind(text);
    if (found == cache.fits.constEnd()) {
        int px = qMax(1, int(std::nearbyint(std::abs(Font.pixelSize()) * scale)));
        qreal width = cache.face(px, device).metrics.horizontalAdvance(text);
        if (AutoFit && std::ceil(width) > avail) {
            px = qMax(1, int(std::trunc(double(px) * avail / std::ceil(width))));
            width = cache.face(px, device).metrics.horizontalAdvance(text);
        }
        if (cache.fits.size() >= 4096)
            cache.fits.clear();   // a column of ever new texts keeps no long list
        found = cache.fits.insert(text, TextCache::Fit{px, width, cache.face(px, device).ink(text, width)});
    }
    TextCache::Face &face = cache.face(found->pixelSize, device);
    painter.setFont(face.font);
    const int th = int(std::ceil(face.metrics.height()));
    const QRect d = textBox(s, th, margin, scale);
    qreal x = d.left();
    const int h = horizontalFlags(Alignment);
    if (h == Qt::AlignRight)
        x += d.width() - found->width;
    else if (h == Qt::AlignHCenter)
        x += (d.width() - found->width) / 2;
    const QPointF origin(x, d.top() + face.metrics.ascent());
    // The cut at the item's edge only where the ink could cross it: a clip
    // per cell would double the page's drawing commands.
    const QRectF ink = found->ink.translated(origin);
    if (ink.isNull() || !QRectF(s).adjusted(1, 1, -1, -1).contains(ink))
        painter.setClipRect(s, Qt::IntersectClip);
    painter.drawText(origin, text);
}

// Wrapped text, or text with breaks and tabs: Qt's text layout.
void TLRItem::printLaidOut(QPainter &painter, const QRect &s, const QString &text, double scale)
{
    QFont font = Font;
    int px = int(std::nearbyint(std::abs(Font.pixelSize()) * scale));
    font.setPixelSize(qMax(1, px));
    painter.setFont(font);
    const int lineHeight = painter.device() ? QFontMetrics(font, painter.device()).height()
                                            : QFontMetrics(font).height();
    const int flags = (WordWrap ? Qt::TextWordWrap : Qt::TextSingleLine) | horizontalFlags(Alignment);
    const int margin = int(std::trunc(m_hMargin * scale));
    const int avail = qMax(1, s.width() - margin);
    QRect measured = painter.boundingRect(QRect(0, 0, avail, lineHeight), flags, text);
    if (AutoFit && measured.width() > avail) {
        px = int(std::trunc(double(font.pixelSize()) * avail / measured.width()));
        font.setPixelSize(qMax(1, px));
        painter.setFont(font);
        measured = painter.boundingRect(QRect(0, 0, avail, lineHeight), flags, text);
    }
    const int th = measured.height();
    const QRect d = textBox(s, th, margin, scale);
    painter.drawText(d, flags | Qt::AlignTop, text);
}

// ---- field-bound items ------------------------------------------------------------

int TReportCursor::recordCount() const
{
    return model ? model->rowCount() : 0;
}

QString TReportCursor::displayText(int column) const
{
    if (!model || eof() || row < 0)
        return QString();
    return model->data(model->index(row, column), Qt::DisplayRole).toString();
}

QVariant TReportCursor::value(int column) const
{
    if (!model || eof() || row < 0)
        return QVariant();
    return model->data(model->index(row, column), Qt::EditRole);
}

QString TLRDBItem::GetText()
{
    QString text;
    if (FieldName.isEmpty())
        text = Name;
    else if (DataSource && DataSource->active() && Column >= 0)
        text = DataSource->displayText(Column);
    else
        text = FieldName;
    if (OnGetText)
        OnGetText(this, text);
    return text;
}
