#pragma once

#include <functional>

#include <QAbstractScrollArea>
#include <QColor>

#include "controls/SoftStringGridModel.h"

class QLineEdit;

// A string grid with several fixed header rows and columns that can be selected
// like data cells (outside the no-select band), a hot cell, header boundary drags
// and arrow and wheel moves through the headers. It paints only the cells that the
// model reports changed and scrolls by whole cells (LeftCol/TopRow), so a table of
// 40 × 300 cells scrolls without repainting more than the window.
//
// The rules live in model(); this class turns input into model calls and paints.
class TSoftStringGrid : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TSoftStringGrid(QWidget *parent = nullptr);
    ~TSoftStringGrid() override;

    SoftStringGridModel *model() const { return m_model; }

    // Short ways to the model for the forms.
    int colCount() const { return m_model->colCount(); }
    int rowCount() const { return m_model->rowCount(); }
    void setColCount(int count) { m_model->setColCount(count); }
    void setRowCount(int count) { m_model->setRowCount(count); }
    int fixedCols() const { return m_model->fixedCols(); }
    int fixedRows() const { return m_model->fixedRows(); }
    void setFixedCols(int count) { m_model->setFixedCols(count); }
    void setFixedRows(int count) { m_model->setFixedRows(count); }
    QString cells(int col, int row) const { return m_model->cells(col, row); }
    void setCells(int col, int row, const QString &text) { m_model->setCells(col, row, text); }
    QVariant objects(int col, int row) const { return m_model->objects(col, row); }
    void setObjects(int col, int row, const QVariant &object) { m_model->setObjects(col, row, object); }
    int hotCol() const { return m_model->hotCol(); }
    int hotRow() const { return m_model->hotRow(); }
    void setHotCell(int col, int row) { m_model->setHotCell(col, row); }
    void clearSelection() { m_model->clearSelection(); }
    void selectCellAt(int col, int row) { m_model->selectCellAt(col, row); }
    void setStopDrawCell(bool stop) { m_model->setStopDrawCell(stop); }

    // Own default-drawing switch: off, only the owner's onDrawCell paints cells.
    bool defaultDrawing() const { return m_defaultDrawing; }
    void setDefaultDrawing(bool on);
    QColor inplaceEditorColor() const { return m_inplaceEditorColor; }
    void setInplaceEditorColor(const QColor &color) { m_inplaceEditorColor = color; }
    void setHotTrackColor(const QColor &color) { m_model->setHotTrackColor(color); }

    // The viewport rectangle of a cell, grid lines excluded.
    QRect cellRect(int col, int row) const { return m_model->cellRect(col, row); }
    void repaintCell(int col, int row);
    bool isEditorOpen() const;
    QLineEdit *inplaceEditor() const { return m_editor; }
    // Opens the in-place editor on the current cell when editing is allowed.
    bool showEditor(const QString &initialText = QString(), bool selectAll = true);
    void hideEditor(bool commit);

    // The platform grid's cell painting event: called after the background.
    std::function<void(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state)> onDrawCell;
    // The in-place editor's text was stored into the cell.
    std::function<void(int col, int row, const QString &text)> onSetEditText;

protected:
    TSoftStringGrid(SoftStringGridModel *model, QWidget *parent);

    // Paints one cell with its grid lines, clipped to the cell and its lines, the
    // painter's state kept; descendants that know their cell stays inside may skip
    // the clip and the state copy.
    virtual void paintCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state);
    // After the cells of a paint event, before the area past the last cells.
    virtual void cellsPainted(QPainter &painter) { Q_UNUSED(painter); }
    void drawGridLines(QPainter &painter, int col, int row, const QRect &rect);
    // Paints one cell in its rectangle; descendants replace it.
    virtual void drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state);
    virtual bool editingAllowed() const;
    virtual bool acceptsEditorChar(QChar ch) const;
    // Whether the in-place editor takes the input method (off for amounts).
    virtual bool editorTakesInputMethod() const { return true; }

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void init();
    void updateScrollBars();
    void onLayoutChanged();
    QRect sizingLineRect(int pos) const;

    SoftStringGridModel *m_model;
    QLineEdit *m_editor = nullptr;
    int m_editCol = -1, m_editRow = -1;
    bool m_defaultDrawing = true;
    bool m_syncingScroll = false;
    QColor m_inplaceEditorColor;
    int m_lastSizingPos = -1;
};
