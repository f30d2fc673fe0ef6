#include "controls/CurrencyGrid.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

#include "controls/AmountGlyphs.h"
#include "controls/CellText.h"
#include "controls/ColorValue.h"

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);

void verticalGradient(QPainter &painter, const QRect &rect, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    painter.fillRect(rect, g);
}

void horizontalGradient(QPainter &painter, const QRect &rect, const QColor &left, const QColor &right)
{
    QLinearGradient g(rect.topLeft(), rect.topRight());
    g.setColorAt(0, left);
    g.setColorAt(1, right);
    painter.fillRect(rect, g);
}

// Lines in the cell's own pixel coordinates; right and bottom are exclusive, as
// the layout rules are written.
void hLine(QPainter &painter, const QColor &color, int x1, int x2, int y)
{
    if (x2 > x1)
        painter.fillRect(QRect(x1, y, x2 - x1, 1), color);
}

void vLine(QPainter &painter, const QColor &color, int x, int y1, int y2)
{
    if (y2 > y1)
        painter.fillRect(QRect(x, y1, 1, y2 - y1), color);
}

} // namespace

TCurrencyGrid::TCurrencyGrid(QWidget *parent)
    : TSoftStringGrid(new CurrencyGridModel, parent)
    , m_cmodel(static_cast<CurrencyGridModel *>(TSoftStringGrid::model()))
{
}

bool TCurrencyGrid::editingAllowed() const
{
    // The editing option alone does not open the editor: the page must allow it.
    return m_cmodel->allowEdit() && TSoftStringGrid::editingAllowed();
}

bool TCurrencyGrid::acceptsEditorChar(QChar ch) const
{
    return m_cmodel->acceptsEditorChar(ch);
}

void TCurrencyGrid::paintEvent(QPaintEvent *event)
{
    m_paintMetrics.emplace(font());
    m_paintGlyphs = AmountGlyphs::forFont(font());
    m_painterHasOwnFont = false;
    TSoftStringGrid::paintEvent(event);
    m_paintMetrics.reset();
    m_paintGlyphs = nullptr;
    m_glyphBatches.clear();
}

void TCurrencyGrid::cellsPainted(QPainter &painter)
{
    if (!m_paintGlyphs || m_glyphBatches.isEmpty())
        return;
    painter.setClipping(false);
    for (auto it = m_glyphBatches.cbegin(); it != m_glyphBatches.cend(); ++it) {
        painter.setPen(QColor::fromRgba(it.key()));
        m_paintGlyphs->draw(painter, it.value());
    }
    m_glyphBatches.clear();
}

void TCurrencyGrid::paintCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state)
{
    // Owners' painting events may draw anything anywhere and change any of the
    // painter's settings: their cells keep the clipped, saved painter.
    if (!m_paintMetrics || onBeforeDrawCellEX || onDrawCell || onDrawCellEX || onDrawText) {
        TSoftStringGrid::paintCell(painter, col, row, rect, state);
        return;
    }
    // The grid's own drawing stays inside the cell and its lines except for the
    // lines of the rounded and framed header styles and for texts too wide for
    // the cell; those set the clip themselves. Every cell sets the pen it uses.
    const int lw = model()->gridLineWidth();
    m_cellClip = rect.adjusted(0, 0, lw, lw);
    m_quickCell = true;
    drawGridLines(painter, col, row, rect);
    drawCell(painter, col, row, rect, state);
    m_quickCell = false;
}

void TCurrencyGrid::drawCell(QPainter &painter, int col, int row, const QRect &cellRect, GridDrawState state)
{
    m_cmodel->clearChanged(col, row);
    QRect rect = cellRect;
    bool background = defaultDrawing();
    if (onBeforeDrawCellEX)
        onBeforeDrawCellEX(painter, col, row, rect, background, state);
    if (!m_quickCell) {
        painter.setFont(font());
    } else if (!m_painterHasOwnFont) {
        painter.setFont(font());
        m_painterHasOwnFont = true;
    }
    GridCellColors colors = m_cmodel->cellColors(col, row, state);
    if (background) {
        const bool clip = m_quickCell && m_cmodel->fixCellStyle() != FixCellStyle::fsRect;
        if (clip)
            painter.setClipRect(m_cellClip);
        paintBackground(painter, col, row, cellRect, rect, state, colors);
        if (clip)
            painter.setClipping(false);
    }
    painter.setPen(colors.font);
    if (onDrawCell) {
        onDrawCell(painter, col, row, rect, state);
        return;
    }
    bool done = false;
    if (onDrawCellEX)
        onDrawCellEX(painter, col, row, rect, state, done);
    if (defaultDrawing() && !done)
        drawCellContent(painter, col, row, rect, state);
}

void TCurrencyGrid::paintBackground(QPainter &painter, int col, int row, const QRect &cellRect, const QRect &rect,
                                    GridDrawState state, GridCellColors &colors)
{
    const CurrencyGridModel &m = *m_cmodel;
    const int L = rect.x(), T = rect.y(), R = rect.x() + rect.width(), B = rect.y() + rect.height();
    const bool fixed = state.testFlag(GridDrawFlag::Fixed);
    const bool lastCol = col == m.colCount() - 1, lastRow = row == m.rowCount() - 1;
    const QColor rowColor = row % 2 ? m.rowOddColor() : m.rowEvenColor();

    switch (m.fixCellStyle()) {
    case FixCellStyle::fsRect:
        painter.fillRect(rect, colors.brush);
        return;

    case FixCellStyle::fsRoundRect:
        if (fixed) {
            painter.fillRect(rect.adjusted(0, 0, 1, 1), col > 0 && row > 0 ? rowColor : m.color());
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(kSilver);
            painter.setBrush(kSilver);
            painter.drawRoundedRect(QRectF(L + 2, T + 1, R - 1 - (L + 2) - 1, B - 1 - (T + 1) - 1), 4, 4);
            const QColor face = m.isHotTracked(col, row) ? m.hotTrackColor() : m.fixedColor();
            painter.setPen(face);
            painter.setBrush(face);
            painter.drawRoundedRect(QRectF(L + 1, T, R - 2 - (L + 1) - 1, B - 2 - T - 1), 4, 4);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setBrush(Qt::NoBrush);
        } else {
            painter.fillRect(rect, colors.brush);
            if (!lastCol)
                vLine(painter, colors.pen, R - 1, T - 1, B);
            if (!lastRow)
                hLine(painter, colors.pen, L, R, B - 1);
        }
        if (lastCol)
            vLine(painter, kSilver, R - 1, row == 0 ? T + 4 : T - 1, B);
        if (lastRow)
            hLine(painter, kSilver, col == 0 ? L + 4 : L, R, B - 1);
        return;

    case FixCellStyle::fsFrame:
        if (fixed) {
            if (rect != cellRect)
                painter.fillRect(cellRect.adjusted(0, 0, 1, 1), m.color());
            const bool byRow = m.rowHotTrack() && col < m.noSelectCols() && (row == m.row() || row == m.hotRow());
            const bool byCol = m.colHotTrack() && row < m.noSelectRows() && (col == m.col() || col == m.hotCol());
            if (byRow)
                verticalGradient(painter, rect, m.rowOddColor(), m.fixedColor());
            else if (byCol)
                horizontalGradient(painter, rect, m.fixedColor(), m.rowOddColor());
            else
                painter.fillRect(rect, m.fixedColor());
            hLine(painter, Qt::white, L, R - 1, B - 1);
            vLine(painter, Qt::white, R - 1, T - 1, B);
            if (byRow || byCol) {
                painter.setPen(m.hotTrackColor());
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(L, T, R - 1 - L - 1, B - 1 - T - 1);
            }
        } else {
            if (state.testFlag(GridDrawFlag::Selected))
                verticalGradient(painter, rect, ColorValue::adjustLuma(colors.brush, 45), colors.brush);
            else
                painter.fillRect(rect, colors.brush);
            if (!lastCol)
                vLine(painter, colors.pen, R - 1, T - 1, B);
            if (!lastRow)
                hLine(painter, colors.pen, L, R, B - 1);
        }
        if (col == 0)
            vLine(painter, Qt::white, 0, T - 1, B);
        if (row == 0)
            hLine(painter, Qt::white, L, R, 0);
        if (lastCol)
            vLine(painter, kSilver, R - 1, T - 1, B);
        if (lastRow)
            hLine(painter, kSilver, L, R, B - 1);
        return;
    }
}

void TCurrencyGrid::drawText(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state,
                             QString text, int x, int y, int width, const QColor &color)
{
    painter.setPen(color);
    if (m_quickCell) {
        // Glyphs may reach a little past their advance (italics, side bearings):
        // a quarter of the line height is allowed for before clipping.
        const int margin = m_paintMetrics->height() / 4;
        const bool clip = !m_cellClip.contains(QRect(x - margin, y, width + 2 * margin, m_paintMetrics->height()));
        if (clip)
            painter.setClipRect(m_cellClip);
        if (m_paintGlyphs && m_paintGlyphs->covers(text)) {
            const QPointF origin(x, y + m_paintMetrics->ascent());
            if (clip)
                m_paintGlyphs->draw(painter, origin, text);
            else
                m_paintGlyphs->append(m_glyphBatches[color.rgba()], origin, text);
        } else
            painter.drawText(QPoint(x, y + m_paintMetrics->ascent()), text);
        if (clip)
            painter.setClipping(false);
        return;
    }
    QFont cellFont = painter.font();
    bool done = false;
    if (onDrawText)
        onDrawText(painter, col, row, rect, state, text, cellFont, done);
    if (done)
        return;
    painter.setFont(cellFont);
    painter.drawText(QPoint(x, y + QFontMetrics(cellFont).ascent()), text);
}

void TCurrencyGrid::drawCellContent(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state)
{
    CurrencyGridModel &m = *m_cmodel;
    // Owners may call this with a font of their own; the quick road has the grid's.
    std::optional<QFontMetrics> ownMetrics;
    if (!m_quickCell)
        ownMetrics.emplace(painter.font());
    const QFontMetrics &fm = m_quickCell ? *m_paintMetrics : *ownMetrics;
    const int co = m.charOffset();
    const int L = rect.x(), T = rect.y(), R = rect.x() + rect.width(), B = rect.y() + rect.height();
    const int h8 = fm.height();
    const QColor textColor = painter.pen().color();
    const bool hasString = !m.cells(col, row).isEmpty();
    const AmountGlyphs *glyphs = m_quickCell ? m_paintGlyphs : nullptr;
    auto advance = [&](const QString &text) {
        return glyphs && glyphs->covers(text) ? glyphs->advance(text) : fm.horizontalAdvance(text);
    };

    auto drawAligned = [&](const QString &text) {
        const int w = advance(text);
        int x = L + co + 1;
        switch (m.getCellAlignment(col, row)) {
        case CellAlignment::taLeftJustify: break;
        case CellAlignment::taRightJustify: x = R - w - co; break;
        case CellAlignment::taCenter: x = L + (R - L - w) / 2; break;
        }
        const int y = h8 + co + 1 < m.rowHeight(row) ? T + co : T;
        drawText(painter, col, row, rect, state, text, x, y, w, textColor);
    };

    if (hasString)
        drawAligned(m.displayText(col, row));
    if (m.dataDraw()) {
        const Currency value = m.getValue(col, row);
        if (!value.isZero()) {
            const QString text = FitAmountText(m.displayText(col, row), R - L - 2 * co - 1, advance);
            const int y = m.stack() ? T + co : B - h8 - co + 1;
            const int w = advance(text);
            drawText(painter, col, row, rect, state, text, R - w - co, y, w,
                     value < Currency() ? QColor(Qt::red) : textColor);
        }
        if (m.stack()) {
            const Currency sv = m.getStackValue(col, row);
            if (!sv.isZero()) {
                const QString text = FitAmountText(m.stackText(col, row), R - L - 2 * co - 1, advance);
                const int w = advance(text);
                drawText(painter, col, row, rect, state, text, R - w - co, B - h8 - co, w,
                         sv < Currency() ? QColor(Qt::red) : textColor);
            }
        }
    } else if (!hasString) {
        drawAligned(m.displayText(col, row));
    }
    painter.setPen(textColor);
}
