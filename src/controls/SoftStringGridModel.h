#pragma once

#include <functional>
#include <vector>

#include <QColor>
#include <QFlags>
#include <QObject>
#include <QRect>
#include <QString>
#include <QVariant>

// Options of the string grids, as the forms set them.
enum class GridOption {
    FixedVertLine = 0x0001,
    FixedHorzLine = 0x0002,
    VertLine = 0x0004,
    HorzLine = 0x0008,
    RangeSelect = 0x0010,
    DrawFocusSelected = 0x0020,
    RowSizing = 0x0040,
    ColSizing = 0x0080,
    RowMoving = 0x0100,
    ColMoving = 0x0200,
    Editing = 0x0400,
    Tabs = 0x0800,
    RowSelect = 0x1000,
    AlwaysShowEditor = 0x2000,
    ThumbTracking = 0x4000,
};
Q_DECLARE_FLAGS(GridOptions, GridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridOptions)

enum class SizingOption {
    soFixedColSizing = 0x01,
    soFixedRowSizing = 0x02,
    soSameColSize = 0x04,
    soSameRowSize = 0x08,
    soSameAllColSize = 0x10,
    soSameAllRowSize = 0x20,
};
Q_DECLARE_FLAGS(SizingOptions, SizingOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(SizingOptions)

// Draw state of one cell.
enum class GridDrawFlag { Selected = 0x1, Focused = 0x2, Fixed = 0x4 };
Q_DECLARE_FLAGS(GridDrawState, GridDrawFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(GridDrawState)

enum class GridSizingState { None, Col, Row };

// A rectangle of cells; (-1, -1, -1, -1) is no selection.
struct GridRect
{
    int left = -1, top = -1, right = -1, bottom = -1;
    bool isEmpty() const { return left < 0; }
    bool contains(int c, int r) const { return c >= left && c <= right && r >= top && r <= bottom; }
    bool operator==(const GridRect &) const = default;
};

// Everything a soft string grid knows apart from painting: cells, sizes, scrolling,
// the selection (a data selection or one selected header cell, never both), the hot
// cell, the boundary drags and the key and wheel rules. The widget forwards its
// input here and repaints what the change signals name, so tests drive the rules
// with coordinates and never need pixels.
class SoftStringGridModel : public QObject
{
    Q_OBJECT
public:
    explicit SoftStringGridModel(QObject *parent = nullptr);
    ~SoftStringGridModel() override;

    // --- size -------------------------------------------------------------------
    int colCount() const { return m_colCount; }
    int rowCount() const { return m_rowCount; }
    // True for a cell inside the grid.
    bool isCell(int col, int row) const { return col >= 0 && row >= 0 && col < m_colCount && row < m_rowCount; }
    void setColCount(int count);
    void setRowCount(int count);
    // Both counts at once: the cells are laid out anew once, not once per count.
    void setSize(int cols, int rows);
    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }
    void setFixedCols(int count);
    void setFixedRows(int count);
    int defaultColWidth() const { return m_defaultColWidth; }
    int defaultRowHeight() const { return m_defaultRowHeight; }
    // Like the platform grid, a new default size is given to every column (row).
    void setDefaultColWidth(int width);
    void setDefaultRowHeight(int height);
    int colWidth(int col) const;
    int rowHeight(int row) const;
    void setColWidth(int col, int width);
    void setRowHeight(int row, int height);
    int gridLineWidth() const { return m_gridLineWidth; }
    void setGridLineWidth(int width);

    // --- content ----------------------------------------------------------------
    QString cells(int col, int row) const;
    void setCells(int col, int row, const QString &text);
    QVariant objects(int col, int row) const;
    void setObjects(int col, int row, const QVariant &object);

    // --- options and properties -------------------------------------------------
    GridOptions options() const { return m_options; }
    void setOptions(GridOptions options);
    SizingOptions sizingOptions() const { return m_sizingOptions; }
    // Adds the platform's column and row sizing options for the header sizings;
    // never removes them.
    void setSizingOptions(SizingOptions options);
    int noSelectCols() const { return m_noSelectCols; }
    int noSelectRows() const { return m_noSelectRows; }
    void setNoSelectCols(int count);
    void setNoSelectRows(int count);
    int edgeCols() const { return m_edgeCols; }
    int edgeRows() const { return m_edgeRows; }
    void setEdgeCols(int count);
    void setEdgeRows(int count);
    int sameRowSizeStartRow() const { return m_sameRowSizeStartRow; }
    void setSameRowSizeStartRow(int row) { m_sameRowSizeStartRow = row; }
    bool colHotTrack() const { return m_colHotTrack; }
    bool rowHotTrack() const { return m_rowHotTrack; }
    void setColHotTrack(bool on) { m_colHotTrack = on; }
    void setRowHotTrack(bool on) { m_rowHotTrack = on; }
    bool stopDrawCell() const { return m_stopDrawCell; }
    // Switching it off repaints the whole grid, since every paint was skipped.
    void setStopDrawCell(bool stop);
    // Colours: header cells, the grid's own background and the hot-track highlight.
    QColor fixedColor() const { return m_fixedColor; }
    void setFixedColor(const QColor &color);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QColor hotTrackColor() const { return m_hotTrackColor; }
    void setHotTrackColor(const QColor &color) { m_hotTrackColor = color; }
    bool cursorNoEdit() const { return m_cursorNoEdit; }
    void setCursorNoEdit(bool on) { m_cursorNoEdit = on; }

    // --- selection --------------------------------------------------------------
    int col() const { return m_col; }
    int row() const { return m_row; }
    GridRect selection() const { return m_selection; }
    bool hasDataSelection() const { return !m_selection.isEmpty(); }
    int fixSelCol() const { return m_fixSelCol; }
    int fixSelRow() const { return m_fixSelRow; }
    int hotCol() const { return m_hotCol; }
    int hotRow() const { return m_hotRow; }
    // Changing one coordinate chooses the cell, as a click would.
    void setHotCol(int col);
    void setHotRow(int row);
    void setHotCell(int col, int row);
    void clearSelection();
    void selectCellAt(int col, int row);
    // The selection rule shared by clicks, keys, the wheel and the hot cell setters.
    void chooseCell(int col, int row);
    // The platform path: keyboard moves and range drags of the data selection.
    bool selectCell(int col, int row);
    // Whether a data cell may be selected at all; a descendant narrows it.
    virtual bool canSelectCell(int col, int row);
    // Rebuilds per-cell data of a descendant; called after every size change.
    virtual void resetCellData() {}
    // Called after FixedCols or FixedRows changed, so a descendant can keep its
    // per-cell kinds in step with the header band.
    virtual void fixedCountsChanged() {}

    bool isFixed(int col, int row) const { return col < m_fixedCols || row < m_fixedRows; }
    bool inNoSelectBand(int col, int row) const { return col < m_noSelectCols || row < m_noSelectRows; }
    GridDrawState drawState(int col, int row, bool hasFocus) const;

    // --- scrolling and geometry (scrolled, in viewport pixels) -------------------
    int leftCol() const { return m_leftCol; }
    int topRow() const { return m_topRow; }
    void setLeftCol(int col);
    void setTopRow(int row);
    int maxLeftCol() const;
    int maxTopRow() const;
    void setClientSize(int width, int height);
    int clientWidth() const { return m_clientWidth; }
    int clientHeight() const { return m_clientHeight; }
    // Left edge of a column as drawn; -1 when it is scrolled out of view.
    int colX(int col) const;
    int rowY(int row) const;
    // The cell's rectangle without its grid lines; empty when scrolled out.
    QRect cellRect(int col, int row) const;
    // The cell drawn under a point, header cells included; -1 where none lies.
    int colAt(int x) const;
    int rowAt(int y) const;
    int fixedWidth() const;
    int fixedHeight() const;
    // Columns (rows) after the fixed ones that are wholly visible.
    int visibleColCount() const;
    int visibleRowCount() const;
    void scrollIntoView(int col, int row);

    // --- input ------------------------------------------------------------------
    // A left press at a viewport point: starts a boundary drag or chooses a cell.
    void mousePress(int x, int y, Qt::KeyboardModifiers modifiers = {});
    // Pointer moves with the left button held: moves a drag line or extends a range.
    void mouseDrag(int x, int y);
    void mouseRelease(int x, int y);
    Qt::CursorShape cursorAt(int x, int y);
    // The boundary under a point, as a press would find it (and ask OnAllowSizing).
    GridSizingState calcSizingState(int x, int y, int *index = nullptr, int *linePos = nullptr);
    GridSizingState sizingState() const { return m_sizingState; }
    int sizingIndex() const { return m_sizingIndex; }
    int sizingLinePos() const { return m_sizingPos; }
    // Returns true when the grid used the key (the caller does not pass it on).
    bool keyPress(int key, Qt::KeyboardModifiers modifiers);
    // Always handled: the grid never scrolls by the platform's wheel rule.
    bool wheel(bool down);

    // --- events (the owning form's handlers) --------------------------------------
    std::function<void(int col, int row, bool &canSelect)> onSelectCell;
    std::function<void(int col, int row, bool &canSelect)> onFixSelect;
    std::function<void()> onChangeSize;
    std::function<void(int index, int &newSize)> onNewRowHeight;
    std::function<void(int x, int y, int index, GridSizingState state, bool &allowSizing)> onAllowSizing;
    std::function<void(int col, int row, Qt::CursorShape &cursor)> onGetCursor;
    std::function<void(bool down, bool &handled)> onMouseWheel;

signals:
    // One cell needs repainting.
    void cellChanged(int col, int row);
    // Sizes, counts or scrolling changed: the whole grid is repainted.
    void layoutChanged();
    // The selection moved; a focus rectangle on a selected header cell may be drawn.
    void selectionChanged();

protected:
    virtual void doGetCursor(int col, int row, Qt::CursorShape &cursor);
    virtual void doAllowSizing(int x, int y, int index, GridSizingState state, bool &allow);
    void invalidateCell(int col, int row);
    void invalidateAll();
    void clearStringsAndObjects();

private:
    int index(int col, int row) const { return row * m_colCount + col; }
    void resizeCells(int newCols, int newRows);
    void resizeGrid(int cols, int rows);
    void setFixedCounts(int cols, int rows);
    void clampAfterResize();
    void setDataSelection(int col, int row);
    void invalidateSelection();
    void invalidateHotHeaders(int col, int row);
    void moveCurrent(int col, int row, bool extend);
    void finishSizing(int linePos);
    GridSizingState hitBoundary(int x, int y, int *index, int *linePos) const;
    int sumWidths(int count) const;
    struct Axis;
    Axis colAxis() const;
    Axis rowAxis() const;
    int visibleColCountFrom(int left) const;
    int visibleRowCountFrom(int top) const;
    int sumHeights(int count) const;

    int m_colCount = 5, m_rowCount = 5, m_fixedCols = 1, m_fixedRows = 1;
    int m_defaultColWidth = 64, m_defaultRowHeight = 24, m_gridLineWidth = 1;
    std::vector<int> m_colWidths, m_rowHeights;
    std::vector<QString> m_cells;
    std::vector<QVariant> m_objects;

    GridOptions m_options = GridOption::FixedVertLine | GridOption::FixedHorzLine | GridOption::VertLine
                            | GridOption::HorzLine | GridOption::RangeSelect;
    SizingOptions m_sizingOptions;
    int m_noSelectCols = 1, m_noSelectRows = 1, m_edgeCols = 0, m_edgeRows = 0;
    int m_sameRowSizeStartRow = 0;
    QColor m_fixedColor, m_color, m_hotTrackColor;
    bool m_colHotTrack = false, m_rowHotTrack = false, m_stopDrawCell = false, m_cursorNoEdit = false;

    int m_col = 1, m_row = 1;
    int m_anchorCol = 1, m_anchorRow = 1;
    GridRect m_selection{1, 1, 1, 1};
    int m_fixSelCol = -1, m_fixSelRow = -1;
    int m_hotCol = -1, m_hotRow = -1;

    int m_leftCol = 1, m_topRow = 1;
    int m_clientWidth = 0, m_clientHeight = 0;

    GridSizingState m_sizingState = GridSizingState::None;
    int m_sizingIndex = -1, m_sizingPos = 0, m_sizingOfs = 0;
    bool m_rangeDrag = false;
};
