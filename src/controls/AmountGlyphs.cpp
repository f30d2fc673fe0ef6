#include "controls/AmountGlyphs.h"

#include <memory>

#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QVarLengthArray>

namespace {

// Characters of formatted amounts, percentages and day numbers. Letters are
// left out on purpose: they may kern or form ligatures in some fonts.
const char kCovered[] = "0123456789,.-+%()/: ";

} // namespace

const AmountGlyphs *AmountGlyphs::forFont(const QFont &font)
{
    // Few fonts are ever used by the grids; the bound only keeps a program
    // that keeps changing fonts from growing without end.
    static QHash<QString, std::shared_ptr<AmountGlyphs>> cache;
    const QString key = font.key();
    auto it = cache.constFind(key);
    if (it == cache.constEnd()) {
        if (cache.size() >= 32)
            cache.clear();
        it = cache.insert(key, std::make_shared<AmountGlyphs>(font));
    }
    return (*it)->isValid() ? it->get() : nullptr;
}

AmountGlyphs::AmountGlyphs(const QFont &font)
    : m_raw(QRawFont::fromFont(font))
{
    if (!m_raw.isValid())
        return;
    const QString chars = QString::fromLatin1(kCovered);
    const QList<quint32> glyphs = m_raw.glyphIndexesForString(chars);
    if (glyphs.size() != chars.size())
        return;
    const QList<QPointF> advances = m_raw.advancesForGlyphIndexes(glyphs);
    if (advances.size() != glyphs.size())
        return;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const ushort c = chars.at(i).unicode();
        // Glyph 0 is the font's "missing" glyph: such a character stays uncovered
        // and its texts are drawn by the text engine, which falls back to
        // another font.
        m_glyph[c] = glyphs.at(i);
        m_advance[c] = advances.at(i).x();
    }
    m_valid = m_glyph['0'] != 0;
}

bool AmountGlyphs::covers(QStringView text) const
{
    if (!m_valid || text.isEmpty())
        return false;
    for (const QChar ch : text)
        if (ch.unicode() >= kChars || m_glyph[ch.unicode()] == 0)
            return false;
    return true;
}

int AmountGlyphs::advance(QStringView text) const
{
    qreal width = 0;
    for (const QChar ch : text)
        width += m_advance[ch.unicode()];
    return qRound(width);
}

void AmountGlyphs::draw(QPainter &painter, const QPointF &origin, QStringView text) const
{
    QVarLengthArray<quint32, 32> indexes;
    QVarLengthArray<QPointF, 32> positions;
    qreal x = 0;
    for (const QChar ch : text) {
        indexes.append(m_glyph[ch.unicode()]);
        positions.append(QPointF(x, 0));
        x += m_advance[ch.unicode()];
    }
    QGlyphRun run;
    run.setRawFont(m_raw);
    run.setRawData(indexes.constData(), positions.constData(), int(indexes.size()));
    painter.drawGlyphRun(origin, run);
}

void AmountGlyphs::append(Batch &batch, const QPointF &origin, QStringView text) const
{
    qreal x = origin.x();
    for (const QChar ch : text) {
        batch.glyphs.append(m_glyph[ch.unicode()]);
        batch.positions.append(QPointF(x, origin.y()));
        x += m_advance[ch.unicode()];
    }
}

void AmountGlyphs::draw(QPainter &painter, const Batch &batch) const
{
    if (batch.glyphs.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(m_raw);
    run.setGlyphIndexes(batch.glyphs);
    run.setPositions(batch.positions);
    painter.drawGlyphRun(QPointF(0, 0), run);
}
