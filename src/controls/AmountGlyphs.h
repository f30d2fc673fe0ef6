#pragma once

#include <array>

#include <QFont>
#include <QPointF>
#include <QRawFont>
#include <QStringView>

class QPainter;

// Amount texts drawn from glyphs looked up once per font. A month table shows
// hundreds of short texts made only of digits, separators and signs; those
// need no shaping, and having the text engine shape each of them on every
// paint (once to measure it, once to draw it) was most of painting a full
// month. Texts with any other character go the usual way.
class AmountGlyphs
{
public:
    // The glyphs of a font, made on first use and kept; null when the font
    // cannot give them (the caller then draws text as usual).
    static const AmountGlyphs *forFont(const QFont &font);

    explicit AmountGlyphs(const QFont &font);

    bool isValid() const { return m_valid; }
    // Every character of text has a glyph here.
    bool covers(QStringView text) const;
    // Width of a covered text, rounded as QFontMetrics::horizontalAdvance does.
    int advance(QStringView text) const;
    // Draws a covered text with the painter's pen, its baseline starting at origin.
    void draw(QPainter &painter, const QPointF &origin, QStringView text) const;

    // Texts gathered during a paint and drawn in one go: a table of amounts
    // pays the painter's per-call work once per colour instead of per cell.
    struct Batch
    {
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    void append(Batch &batch, const QPointF &origin, QStringView text) const;
    void draw(QPainter &painter, const Batch &batch) const;

private:
    static constexpr int kChars = 128;
    QRawFont m_raw;
    bool m_valid = false;
    std::array<quint32, kChars> m_glyph{}; // 0: the character is not covered
    std::array<qreal, kChars> m_advance{};
};
