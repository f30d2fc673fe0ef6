#include "printing/ReportItems.h"

#include <cmath>

#include <QAbstractItemModel>
#include <QFontMetrics>
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
        QFont font = Font;
        int px = int(std::nearbyint(std::abs(Font.pixelSize()) * scale));
        font.setPixelSize(qMax(1, px));
        painter.setFont(font);
        const int lineHeight = QFontMetrics(font, painter.device()).height();
        int flags = WordWrap ? Qt::TextWordWrap : Qt::TextSingleLine;
        if (Alignment & Qt::AlignRight)
            flags |= Qt::AlignRight;
        else if (Alignment & Qt::AlignHCenter)
            flags |= Qt::AlignHCenter;
        else
            flags |= Qt::AlignLeft;
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
        painter.setClipRect(s, Qt::IntersectClip);
        painter.setPen(FontColor);
        painter.drawText(d, flags | Qt::AlignTop, text);
    }
    painter.restore();
    DrawFrameLines(painter, rect, status, scale, LineTop, LineLeft, LineRight, LineBottom, LineColor);
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
