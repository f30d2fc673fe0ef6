#pragma once

#include <functional>
#include <optional>

#include <QFont>
#include <QFontMetrics>
#include <QHash>

#include "controls/AmountGlyphs.h"
#include "controls/CurrencyGridModel.h"
#include "controls/SoftStringGrid.h"

// The money table of the pages: an amount per cell (and optionally a second,
// "stack" amount under it), zero amounts blank, negative ones red, header cells in
// one of three styles with hot tracking. Logic and texts are in model(); this
// class paints and exposes the owner's painting events.
//
// Pages write amounts with setValue and, after recomputing, call
// invalidateChangedCells() so that only cells whose amounts changed repaint.
class TCurrencyGrid : public TSoftStringGrid
{
    Q_OBJECT
public:
    explicit TCurrencyGrid(QWidget *parent = nullptr);

    CurrencyGridModel *model() const { return m_cmodel; }

    Currency getValue(int col, int row) { return m_cmodel->getValue(col, row); }
    void setValue(int col, int row, Currency value) { m_cmodel->setValue(col, row, value); }
    Currency getStackValue(int col, int row) { return m_cmodel->getStackValue(col, row); }
    void setStackValue(int col, int row, Currency value) { m_cmodel->setStackValue(col, row, value); }
    CellAlignment getCellAlignment(int col, int row) { return m_cmodel->getCellAlignment(col, row); }
    void setCellAlignment(int col, int row, CellAlignment value) { m_cmodel->setCellAlignment(col, row, value); }
    bool getRowStack(int row) const { return m_cmodel->getRowStack(row); }
    void setRowStack(int row, bool value) { m_cmodel->setRowStack(row, value); }
    void clearAll() { m_cmodel->clearAll(); }
    void clearValues() { m_cmodel->clearValues(); }
    QString displayText(int col, int row) { return m_cmodel->displayText(col, row); }
    void cellText(int col, int row, QString &text) { m_cmodel->cellText(col, row, text); }
    void stackText(int col, int row, QString &text) { m_cmodel->stackText(col, row, text); }
    void invalidateChangedCells() { m_cmodel->invalidateChangedCells(); }

    // The grid's own drawing of a cell's texts; owners that paint a cell in their
    // own event call it after their drawing. Texts take the painter's font and pen
    // colour; negative amounts are red.
    void drawCellContent(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state);

    // May move the drawing rectangle or switch off the background.
    std::function<void(QPainter &painter, int col, int row, QRect &rect, bool &defaultDrawing, GridDrawState state)>
        onBeforeDrawCellEX;
    // Draws a cell's content; done skips the default content.
    std::function<void(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state, bool &done)>
        onDrawCellEX;
    // Sees every text before it is drawn; may change it or the font, or draw it itself (done).
    std::function<void(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state, QString &text,
                       QFont &cellFont, bool &done)>
        onDrawText;

protected:
    void paintEvent(QPaintEvent *event) override;
    void paintCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state) override;
    void drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state) override;
    bool editingAllowed() const override;
    bool acceptsEditorChar(QChar ch) const override;
    bool editorTakesInputMethod() const override { return false; }
    void cellsPainted(QPainter &painter) override;

private:
    void paintBackground(QPainter &painter, int col, int row, const QRect &cellRect, const QRect &rect,
                         GridDrawState state, GridCellColors &colors);
    void drawText(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state, QString text,
                  int x, int y, int width, const QColor &color);

    CurrencyGridModel *m_cmodel;
    // During a paint event: the metrics of the grid's font, taken once.
    std::optional<QFontMetrics> m_paintMetrics;
    // During a paint event: the amount glyphs of the grid's font (quick road only).
    const AmountGlyphs *m_paintGlyphs = nullptr;
    // Amounts that lie wholly inside their cells, by pen colour, drawn after
    // the cells of the paint event.
    QHash<QRgb, AmountGlyphs::Batch> m_glyphBatches;
    // The cell being painted takes the quick road (no owner painting events): no
    // painter state copy, the clip set only where something would cross the cell.
    bool m_quickCell = false;
    // The painter holds the grid's font already (quick road only).
    bool m_painterHasOwnFont = false;
    // The cell with its grid lines, the clip of the usual road.
    QRect m_cellClip;
};
