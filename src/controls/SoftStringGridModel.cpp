#include "controls/SoftStringGridModel.h"

#include <algorithm>

#include "controls/ColorValue.h"

SoftStringGridModel::SoftStringGridModel(QObject *parent)
    : QObject(parent)
{
    m_colWidths.assign(m_colCount, m_defaultColWidth);
    m_rowHeights.assign(m_rowCount, m_defaultRowHeight);
    m_cells.resize(size_t(m_colCount * m_rowCount));
    m_objects.resize(size_t(m_colCount * m_rowCount));
    m_fixedColor = ColorValue::system(ColorValue::System::BtnFace);
    m_color = ColorValue::system(ColorValue::System::Window);
    m_hotTrackColor = ColorValue::fromBgr(0xFF0000);
}

SoftStringGridModel::~SoftStringGridModel() = default;

// --- size ---------------------------------------------------------------------------

void SoftStringGridModel::resizeCells(int newCols, int newRows)
{
    std::vector<QString> cells(size_t(newCols * newRows));
    std::vector<QVariant> objects(size_t(newCols * newRows));
    for (int r = 0; r < std::min(newRows, m_rowCount); ++r)
        for (int c = 0; c < std::min(newCols, m_colCount); ++c) {
            cells[size_t(r * newCols + c)] = std::move(m_cells[size_t(index(c, r))]);
            objects[size_t(r * newCols + c)] = std::move(m_objects[size_t(index(c, r))]);
        }
    m_cells.swap(cells);
    m_objects.swap(objects);
    m_colWidths.resize(size_t(newCols), m_defaultColWidth);
    m_rowHeights.resize(size_t(newRows), m_defaultRowHeight);
    m_colCount = newCols;
    m_rowCount = newRows;
}

void SoftStringGridModel::clampAfterResize()
{
    m_noSelectCols = std::clamp(m_noSelectCols, 0, m_fixedCols);
    m_noSelectRows = std::clamp(m_noSelectRows, 0, m_fixedRows);
    m_edgeCols = std::clamp(m_edgeCols, 0, m_colCount);
    m_edgeRows = std::clamp(m_edgeRows, 0, m_rowCount);
    if (m_fixSelCol >= m_colCount || m_fixSelRow >= m_rowCount
        || (m_fixSelCol >= 0 && !isFixed(m_fixSelCol, m_fixSelRow)))
        m_fixSelCol = m_fixSelRow = -1;
    if (m_hotCol >= m_colCount || m_hotRow >= m_rowCount)
        m_hotCol = m_hotRow = -1;
    if (hasDataSelection()) {
        const int c = std::clamp(m_col, m_fixedCols, m_colCount - 1);
        const int r = std::clamp(m_row, m_fixedRows, m_rowCount - 1);
        m_col = m_anchorCol = c;
        m_row = m_anchorRow = r;
        m_selection = m_options.testFlag(GridOption::RowSelect) ? GridRect{m_fixedCols, r, m_colCount - 1, r}
                                                                : GridRect{c, r, c, r};
    }
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, std::max(m_fixedCols, maxLeftCol()));
    m_topRow = std::clamp(m_topRow, m_fixedRows, std::max(m_fixedRows, maxTopRow()));
}

void SoftStringGridModel::setColCount(int count)
{
    count = std::max(count, 1);
    if (count != m_colCount)
        resizeGrid(count, m_rowCount);
}

void SoftStringGridModel::setRowCount(int count)
{
    count = std::max(count, 1);
    if (count != m_rowCount)
        resizeGrid(m_colCount, count);
}

void SoftStringGridModel::setSize(int cols, int rows)
{
    cols = std::max(cols, 1);
    rows = std::max(rows, 1);
    if (cols != m_colCount || rows != m_rowCount)
        resizeGrid(cols, rows);
}

void SoftStringGridModel::resizeGrid(int cols, int rows)
{
    // Fixed lines shrink with the grid so one scrollable line stays.
    m_fixedCols = std::min(m_fixedCols, cols - 1);
    m_fixedRows = std::min(m_fixedRows, rows - 1);
    resizeCells(cols, rows);
    clampAfterResize();
    resetCellData();
    invalidateAll();
}

void SoftStringGridModel::setFixedCols(int count)
{
    // At least one scrollable column stays, as in the platform grid.
    setFixedCounts(std::clamp(count, 0, m_colCount - 1), m_fixedRows);
}

void SoftStringGridModel::setFixedRows(int count)
{
    setFixedCounts(m_fixedCols, std::clamp(count, 0, m_rowCount - 1));
}

void SoftStringGridModel::setFixedCounts(int cols, int rows)
{
    if (cols == m_fixedCols && rows == m_fixedRows)
        return;
    m_fixedCols = cols;
    m_fixedRows = rows;
    clampAfterResize();
    fixedCountsChanged();
    invalidateAll();
}

void SoftStringGridModel::setDefaultColWidth(int width)
{
    m_defaultColWidth = std::max(width, 0);
    std::fill(m_colWidths.begin(), m_colWidths.end(), m_defaultColWidth);
    clampAfterResize();
    invalidateAll();
}

void SoftStringGridModel::setDefaultRowHeight(int height)
{
    m_defaultRowHeight = std::max(height, 0);
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), m_defaultRowHeight);
    clampAfterResize();
    invalidateAll();
}

int SoftStringGridModel::colWidth(int col) const
{
    return col >= 0 && col < m_colCount ? m_colWidths[size_t(col)] : 0;
}

int SoftStringGridModel::rowHeight(int row) const
{
    return row >= 0 && row < m_rowCount ? m_rowHeights[size_t(row)] : 0;
}

void SoftStringGridModel::setColWidth(int col, int width)
{
    if (col < 0 || col >= m_colCount || m_colWidths[size_t(col)] == width)
        return;
    m_colWidths[size_t(col)] = std::max(width, 0);
    invalidateAll();
}

void SoftStringGridModel::setRowHeight(int row, int height)
{
    if (row < 0 || row >= m_rowCount || m_rowHeights[size_t(row)] == height)
        return;
    m_rowHeights[size_t(row)] = std::max(height, 0);
    invalidateAll();
}

void SoftStringGridModel::setGridLineWidth(int width)
{
    m_gridLineWidth = std::max(width, 0);
    invalidateAll();
}

// --- content ------------------------------------------------------------------------

QString SoftStringGridModel::cells(int col, int row) const
{
    if (!isCell(col, row))
        return {};
    return m_cells[size_t(index(col, row))];
}

void SoftStringGridModel::setCells(int col, int row, const QString &text)
{
    if (!isCell(col, row))
        return;
    QString &cell = m_cells[size_t(index(col, row))];
    if (cell == text)
        return;
    cell = text;
    invalidateCell(col, row);
}

QVariant SoftStringGridModel::objects(int col, int row) const
{
    if (!isCell(col, row))
        return {};
    return m_objects[size_t(index(col, row))];
}

void SoftStringGridModel::setObjects(int col, int row, const QVariant &object)
{
    if (!isCell(col, row))
        return;
    m_objects[size_t(index(col, row))] = object;
}

// --- options ------------------------------------------------------------------------

void SoftStringGridModel::clearStringsAndObjects()
{
    // Most cells of a big table are empty already: only the others are
    // written, which makes clearing a fresh table nearly free.
    for (QString &text : m_cells)
        if (!text.isNull())
            text = QString();
    for (QVariant &object : m_objects)
        if (object.isValid())
            object = QVariant();
}

void SoftStringGridModel::setOptions(GridOptions options)
{
    if (options == m_options)
        return;
    m_options = options;
    clampAfterResize();
    invalidateAll();
}

void SoftStringGridModel::setSizingOptions(SizingOptions options)
{
    m_sizingOptions = options;
    if (options.testFlag(SizingOption::soFixedColSizing))
        m_options |= GridOption::ColSizing;
    if (options.testFlag(SizingOption::soFixedRowSizing))
        m_options |= GridOption::RowSizing;
}

void SoftStringGridModel::setNoSelectCols(int count)
{
    m_noSelectCols = std::clamp(count, 0, m_fixedCols);
}

void SoftStringGridModel::setNoSelectRows(int count)
{
    m_noSelectRows = std::clamp(count, 0, m_fixedRows);
}

void SoftStringGridModel::setEdgeCols(int count)
{
    m_edgeCols = std::clamp(count, 0, m_colCount);
}

void SoftStringGridModel::setEdgeRows(int count)
{
    m_edgeRows = std::clamp(count, 0, m_rowCount);
}

void SoftStringGridModel::setFixedColor(const QColor &color)
{
    m_fixedColor = color;
    invalidateAll();
}

void SoftStringGridModel::setColor(const QColor &color)
{
    m_color = color;
    invalidateAll();
}

void SoftStringGridModel::setStopDrawCell(bool stop)
{
    if (stop == m_stopDrawCell)
        return;
    m_stopDrawCell = stop;
    if (!stop)
        invalidateAll();
}

// --- selection ----------------------------------------------------------------------

GridDrawState SoftStringGridModel::drawState(int col, int row, bool hasFocus) const
{
    GridDrawState state;
    if (isFixed(col, row))
        state |= GridDrawFlag::Fixed;
    const bool isFixSel = col == m_fixSelCol && row == m_fixSelRow;
    if (m_selection.contains(col, row) || isFixSel)
        state |= GridDrawFlag::Selected;
    if (hasFocus && ((hasDataSelection() && col == m_col && row == m_row) || isFixSel))
        state |= GridDrawFlag::Focused;
    return state;
}

void SoftStringGridModel::invalidateCell(int col, int row)
{
    if (col >= 0 && row >= 0 && col < m_colCount && row < m_rowCount)
        emit cellChanged(col, row);
}

void SoftStringGridModel::invalidateAll()
{
    emit layoutChanged();
}

void SoftStringGridModel::invalidateSelection()
{
    if (m_selection.isEmpty())
        return;
    // A large range repaints the grid at once rather than cell by cell.
    if ((m_selection.right - m_selection.left + 1) * (m_selection.bottom - m_selection.top + 1) > 64) {
        invalidateAll();
        return;
    }
    for (int r = m_selection.top; r <= m_selection.bottom; ++r)
        for (int c = m_selection.left; c <= m_selection.right; ++c)
            invalidateCell(c, r);
}

void SoftStringGridModel::invalidateHotHeaders(int col, int row)
{
    if (m_rowHotTrack && row >= 0 && row < m_rowCount)
        for (int c = 0; c < m_fixedCols && c < m_noSelectCols; ++c)
            invalidateCell(c, row);
    if (m_colHotTrack && col >= 0 && col < m_colCount)
        for (int r = 0; r < m_fixedRows && r < m_noSelectRows; ++r)
            invalidateCell(col, r);
}

void SoftStringGridModel::setHotCell(int col, int row)
{
    if (col == m_hotCol && row == m_hotRow)
        return;
    const int oldCol = m_hotCol, oldRow = m_hotRow;
    m_hotCol = col;
    m_hotRow = row;
    if (oldCol >= 0 && oldRow >= 0 && oldCol < m_colCount && oldRow < m_rowCount)
        invalidateHotHeaders(oldCol, oldRow);
    if (!(col == -1 && row == -1) && !inNoSelectBand(col, row))
        invalidateHotHeaders(col, row);
}

void SoftStringGridModel::setHotCol(int col)
{
    if (col != m_hotCol)
        chooseCell(col, m_hotRow);
}

void SoftStringGridModel::setHotRow(int row)
{
    if (row != m_hotRow)
        chooseCell(m_hotCol, row);
}

void SoftStringGridModel::setDataSelection(int col, int row)
{
    invalidateSelection();
    m_col = m_anchorCol = col;
    m_row = m_anchorRow = row;
    m_selection = m_options.testFlag(GridOption::RowSelect) ? GridRect{m_fixedCols, row, m_colCount - 1, row}
                                                            : GridRect{col, row, col, row};
    invalidateSelection();
    setHotCell(col, row);
    emit selectionChanged();
}

void SoftStringGridModel::clearSelection()
{
    invalidateSelection();
    m_selection = GridRect{};
    m_col = m_row = -1;
    invalidateCell(m_fixSelCol, m_fixSelRow);
    m_fixSelCol = m_fixSelRow = -1;
    setHotCell(-1, -1);
    emit selectionChanged();
}

void SoftStringGridModel::selectCellAt(int col, int row)
{
    if (!isCell(col, row))
        return;
    if (!isFixed(col, row)) {
        invalidateCell(m_fixSelCol, m_fixSelRow);
        m_fixSelCol = m_fixSelRow = -1;
        setDataSelection(col, row);
    } else {
        invalidateSelection();
        m_selection = GridRect{};
        m_col = m_row = -1;
        invalidateCell(m_fixSelCol, m_fixSelRow);
        m_fixSelCol = col;
        m_fixSelRow = row;
        invalidateCell(col, row);
        setHotCell(col, row);
        emit selectionChanged();
    }
    scrollIntoView(col, row);
}

bool SoftStringGridModel::canSelectCell(int, int)
{
    return true;
}

bool SoftStringGridModel::selectCell(int col, int row)
{
    // While a header cell holds the selection the data selection may not move by
    // the platform's keys and clicks; only chooseCell brings it back.
    if (m_fixSelCol >= 0 || m_fixSelRow >= 0)
        return false;
    if (!canSelectCell(col, row))
        return false;
    bool allowed = true;
    if (onSelectCell)
        onSelectCell(col, row, allowed);
    if (allowed)
        setHotCell(col, row);
    return allowed;
}

void SoftStringGridModel::chooseCell(int col, int row)
{
    if (!isCell(col, row) || inNoSelectBand(col, row))
        return;
    if (!isFixed(col, row)) {
        if (!hasDataSelection()) {
            // Asked directly: the platform path refuses every data cell while a
            // header cell is selected, which would make the way back impossible.
            if (!canSelectCell(col, row))
                return;
            bool allowed = true;
            if (onSelectCell)
                onSelectCell(col, row, allowed);
            if (!allowed)
                return;
            invalidateCell(m_fixSelCol, m_fixSelRow);
            m_fixSelCol = m_fixSelRow = -1;
            setDataSelection(col, row);
        } else {
            if (col != m_col || row != m_row) {
                if (!selectCell(col, row))
                    return;
                setDataSelection(col, row);
            } else {
                setDataSelection(col, row); // collapses a range to the clicked cell
            }
            invalidateCell(m_fixSelCol, m_fixSelRow);
            m_fixSelCol = m_fixSelRow = -1;
        }
        scrollIntoView(col, row);
        return;
    }
    if (col == m_fixSelCol && row == m_fixSelRow)
        return;
    bool allowed = true;
    if (onFixSelect)
        onFixSelect(col, row, allowed);
    if (!allowed)
        return;
    invalidateSelection();
    m_selection = GridRect{};
    m_col = m_row = -1;
    invalidateCell(m_fixSelCol, m_fixSelRow);
    m_fixSelCol = col;
    m_fixSelRow = row;
    invalidateCell(col, row);
    setHotCell(col, row);
    emit selectionChanged();
}

void SoftStringGridModel::moveCurrent(int col, int row, bool extend)
{
    if (!hasDataSelection())
        return;
    col = std::clamp(col, m_fixedCols, m_colCount - 1);
    row = std::clamp(row, m_fixedRows, m_rowCount - 1);
    if (col == m_col && row == m_row)
        return;
    if (!selectCell(col, row))
        return;
    if (extend && m_options.testFlag(GridOption::RangeSelect) && !m_options.testFlag(GridOption::RowSelect)) {
        invalidateSelection();
        m_col = col;
        m_row = row;
        m_selection = GridRect{std::min(m_anchorCol, col), std::min(m_anchorRow, row), std::max(m_anchorCol, col),
                               std::max(m_anchorRow, row)};
        invalidateSelection();
        emit selectionChanged();
    } else {
        setDataSelection(col, row);
    }
    scrollIntoView(col, row);
}

// --- geometry -----------------------------------------------------------------------

int SoftStringGridModel::sumWidths(int count) const
{
    int sum = 0;
    for (int c = 0; c < count && c < m_colCount; ++c)
        sum += m_colWidths[size_t(c)];
    return sum;
}

int SoftStringGridModel::sumHeights(int count) const
{
    int sum = 0;
    for (int r = 0; r < count && r < m_rowCount; ++r)
        sum += m_rowHeights[size_t(r)];
    return sum;
}

int SoftStringGridModel::fixedWidth() const
{
    return sumWidths(m_fixedCols) + m_fixedCols * m_gridLineWidth;
}

int SoftStringGridModel::fixedHeight() const
{
    return sumHeights(m_fixedRows) + m_fixedRows * m_gridLineWidth;
}

// One axis of the grid, columns or rows, as the geometry below sees it.
struct SoftStringGridModel::Axis
{
    int count;                     // lines on the axis
    int fixed;                     // fixed lines at its start
    int first;                     // first scrollable line shown
    int client;                    // room on screen
    int fixedSpan;                 // room the fixed lines take, grid lines included
    const std::vector<int> &sizes; // each line's width or height
    int gridLine;

    // Where line `index` starts: fixed lines from 0, scrolled ones after the
    // fixed part from `first` on; -1 outside the grid or scrolled out.
    int pos(int index) const
    {
        if (index < 0 || index >= count)
            return -1;
        int at = 0;
        if (index < fixed) {
            for (int i = 0; i < index; ++i)
                at += sizes[size_t(i)] + gridLine;
            return at;
        }
        if (index < first)
            return -1;
        at = fixedSpan;
        for (int i = first; i < index; ++i)
            at += sizes[size_t(i)] + gridLine;
        return at;
    }

    // The line shown at screen position p, or -1.
    int lineAt(int p) const
    {
        if (p < 0)
            return -1;
        int end = 0;
        for (int i = 0; i < fixed; ++i) {
            end += sizes[size_t(i)] + gridLine;
            if (p < end)
                return i;
        }
        for (int i = first; i < count; ++i) {
            end += sizes[size_t(i)] + gridLine;
            if (p < end)
                return i;
        }
        return -1;
    }

    // The first scrollable line that still lets the last one be shown whole.
    int maxFirst() const
    {
        const int room = client - fixedSpan;
        int used = 0, result = count;
        for (int i = count - 1; i >= fixed; --i) {
            used += sizes[size_t(i)] + (i == count - 1 ? 0 : gridLine);
            if (used > room)
                break;
            result = i;
        }
        return std::clamp(result, fixed, count - 1);
    }

    // How many scrollable lines from `from` on are shown whole.
    int visibleFrom(int from) const
    {
        int end = fixedSpan, shown = 0;
        for (int i = from; i < count; ++i) {
            if (end + sizes[size_t(i)] > client)
                break;
            end += sizes[size_t(i)] + gridLine;
            ++shown;
        }
        return shown;
    }
};

SoftStringGridModel::Axis SoftStringGridModel::colAxis() const
{
    return {m_colCount, m_fixedCols, m_leftCol, m_clientWidth, fixedWidth(), m_colWidths, m_gridLineWidth};
}

SoftStringGridModel::Axis SoftStringGridModel::rowAxis() const
{
    return {m_rowCount, m_fixedRows, m_topRow, m_clientHeight, fixedHeight(), m_rowHeights, m_gridLineWidth};
}

int SoftStringGridModel::colX(int col) const
{
    return colAxis().pos(col);
}

int SoftStringGridModel::rowY(int row) const
{
    return rowAxis().pos(row);
}

QRect SoftStringGridModel::cellRect(int col, int row) const
{
    const int x = colX(col), y = rowY(row);
    if (x < 0 || y < 0)
        return {};
    return QRect(x, y, m_colWidths[size_t(col)], m_rowHeights[size_t(row)]);
}

int SoftStringGridModel::colAt(int x) const
{
    return colAxis().lineAt(x);
}

int SoftStringGridModel::rowAt(int y) const
{
    return rowAxis().lineAt(y);
}

int SoftStringGridModel::maxLeftCol() const
{
    return colAxis().maxFirst();
}

int SoftStringGridModel::maxTopRow() const
{
    return rowAxis().maxFirst();
}

void SoftStringGridModel::setLeftCol(int col)
{
    col = std::clamp(col, m_fixedCols, std::max(m_fixedCols, maxLeftCol()));
    if (col == m_leftCol)
        return;
    m_leftCol = col;
    invalidateAll();
}

void SoftStringGridModel::setTopRow(int row)
{
    row = std::clamp(row, m_fixedRows, std::max(m_fixedRows, maxTopRow()));
    if (row == m_topRow)
        return;
    m_topRow = row;
    invalidateAll();
}

void SoftStringGridModel::setClientSize(int width, int height)
{
    if (width == m_clientWidth && height == m_clientHeight)
        return;
    m_clientWidth = width;
    m_clientHeight = height;
    clampAfterResize();
    invalidateAll();
}

int SoftStringGridModel::visibleColCount() const
{
    return visibleColCountFrom(m_leftCol);
}

int SoftStringGridModel::visibleRowCount() const
{
    return visibleRowCountFrom(m_topRow);
}

int SoftStringGridModel::visibleColCountFrom(int left) const
{
    return colAxis().visibleFrom(left);
}

int SoftStringGridModel::visibleRowCountFrom(int top) const
{
    return rowAxis().visibleFrom(top);
}

void SoftStringGridModel::scrollIntoView(int col, int row)
{
    int left = m_leftCol, top = m_topRow;
    if (col >= m_fixedCols && col < m_colCount) {
        if (col < left)
            left = col;
        else
            while (left < col && left < maxLeftCol() && col >= left + std::max(1, visibleColCountFrom(left)))
                ++left;
    }
    if (row >= m_fixedRows && row < m_rowCount) {
        if (row < top)
            top = row;
        else
            while (top < row && top < maxTopRow() && row >= top + std::max(1, visibleRowCountFrom(top)))
                ++top;
    }
    if (left != m_leftCol || top != m_topRow) {
        m_leftCol = left;
        m_topRow = top;
        invalidateAll();
    }
}

// --- boundary drags -------------------------------------------------------------------

GridSizingState SoftStringGridModel::hitBoundary(int x, int y, int *index, int *linePos) const
{
    const int lw = m_gridLineWidth;
    // A thin line gets a grab zone of at least 7 pixels, centred on it.
    const int range = std::max(lw, 7);
    const int back = lw < 7 ? (7 - lw) / 2 : 0;

    // Walks the boundaries in drawn order: the fixed cells from 0, then the
    // scrollable ones from the first shown (LeftCol/TopRow). Walking the unscrolled
    // order instead would pick, in a scrolled grid, whichever cell lay at that spot
    // before scrolling, and resize it instead of the one under the pointer.
    auto walk = [&](int p, int fixed, int first, int count, const std::vector<int> &sizes, int limit,
                    int *hitIndex, int *hitLine) {
        int pos = 0;
        auto test = [&](int i) {
            pos += sizes[size_t(i)];
            const bool hit = p >= pos - back && p < pos - back + range;
            if (hit) {
                *hitIndex = i;
                *hitLine = pos;
            }
            pos += lw;
            return hit || (limit > 0 && pos - lw > limit);
        };
        for (int i = 0; i < fixed; ++i)
            if (test(i))
                return *hitIndex >= 0;
        for (int i = first; i < count; ++i)
            if (test(i))
                return *hitIndex >= 0;
        return false;
    };

    int idx = -1, line = 0;
    const bool custom = m_sizingOptions.testFlag(SizingOption::soFixedColSizing)
                        || m_sizingOptions.testFlag(SizingOption::soFixedRowSizing);
    if (custom) {
        const int w1 = sumWidths(m_noSelectCols), h1 = sumHeights(m_noSelectRows);
        const int we = sumWidths(m_edgeCols), he = sumHeights(m_edgeRows);
        const bool inBand = x <= w1 || y < h1;
        if (m_sizingOptions.testFlag(SizingOption::soFixedColSizing) && m_options.testFlag(GridOption::ColSizing)
            && x > we && y > he && inBand
            && walk(x, m_fixedCols, m_leftCol, m_colCount, m_colWidths, m_clientWidth, &idx, &line)
            && idx >= m_edgeCols) {
            *index = idx;
            *linePos = line;
            return GridSizingState::Col;
        }
        idx = -1;
        if (m_sizingOptions.testFlag(SizingOption::soFixedRowSizing) && m_options.testFlag(GridOption::RowSizing)
            && x > we + 10 && y > he + 10 && inBand
            && walk(y, m_fixedRows, m_topRow, m_rowCount, m_rowHeights, m_clientHeight, &idx, &line)
            && idx >= m_edgeRows) {
            *index = idx;
            *linePos = line;
            return GridSizingState::Row;
        }
        return GridSizingState::None;
    }
    // The platform's own rule: columns in the header rows, rows in the header columns.
    if (m_options.testFlag(GridOption::ColSizing) && y < fixedHeight()
        && walk(x, m_fixedCols, m_leftCol, m_colCount, m_colWidths, m_clientWidth, &idx, &line)) {
        *index = idx;
        *linePos = line;
        return GridSizingState::Col;
    }
    idx = -1;
    if (m_options.testFlag(GridOption::RowSizing) && x < fixedWidth()
        && walk(y, m_fixedRows, m_topRow, m_rowCount, m_rowHeights, m_clientHeight, &idx, &line)) {
        *index = idx;
        *linePos = line;
        return GridSizingState::Row;
    }
    return GridSizingState::None;
}

GridSizingState SoftStringGridModel::calcSizingState(int x, int y, int *index, int *linePos)
{
    int idx = -1, line = 0;
    const GridSizingState state = hitBoundary(x, y, &idx, &line);
    if (state == GridSizingState::None)
        return state;
    bool allow = true;
    doAllowSizing(x, y, idx, state, allow);
    if (!allow)
        return GridSizingState::None;
    if (index)
        *index = idx;
    if (linePos)
        *linePos = line;
    return state;
}

void SoftStringGridModel::doAllowSizing(int x, int y, int index, GridSizingState state, bool &allow)
{
    if (onAllowSizing)
        onAllowSizing(x, y, index, state, allow);
}

void SoftStringGridModel::finishSizing(int linePos)
{
    const bool custom = m_sizingOptions.testFlag(SizingOption::soFixedColSizing)
                        || m_sizingOptions.testFlag(SizingOption::soFixedRowSizing);
    const int idx = m_sizingIndex;
    bool resized = false;
    if (m_sizingState == GridSizingState::Col) {
        // Measured from where the column is drawn, so a scrolled grid gets the
        // width the user sees.
        const int start = colX(idx);
        const int size = linePos - start;
        if (start >= 0 && size > 1) {
            m_colWidths[size_t(idx)] = size;
            if (custom && m_sizingOptions.testFlag(SizingOption::soSameAllColSize)) {
                m_defaultColWidth = size;
                std::fill(m_colWidths.begin(), m_colWidths.end(), size);
            } else if (custom && m_sizingOptions.testFlag(SizingOption::soSameColSize) && idx >= m_fixedCols) {
                for (int c = m_fixedCols; c < m_colCount; ++c)
                    m_colWidths[size_t(c)] = size;
            }
            resized = true;
        }
    } else if (m_sizingState == GridSizingState::Row) {
        const int start = rowY(idx);
        const int size = linePos - start;
        if (start >= 0 && size > 1) {
            m_rowHeights[size_t(idx)] = size;
            if (custom && m_sizingOptions.testFlag(SizingOption::soSameAllRowSize)) {
                m_defaultRowHeight = size;
                std::fill(m_rowHeights.begin(), m_rowHeights.end(), size);
            } else if (custom && m_sizingOptions.testFlag(SizingOption::soSameRowSize)
                       && idx >= m_sameRowSizeStartRow) {
                for (int r = std::max(m_sameRowSizeStartRow, 0); r < m_rowCount; ++r) {
                    int h = size;
                    if (onNewRowHeight)
                        onNewRowHeight(r, h);
                    m_rowHeights[size_t(r)] = h;
                }
            }
            resized = true;
        }
    }
    m_sizingState = GridSizingState::None;
    if (!resized)
        return;
    clampAfterResize();
    invalidateAll();
    if (custom && onChangeSize)
        onChangeSize();
}

// --- mouse, keys and wheel --------------------------------------------------------------

void SoftStringGridModel::mousePress(int x, int y, Qt::KeyboardModifiers modifiers)
{
    m_rangeDrag = false;
    int idx = -1, line = 0;
    const GridSizingState state = calcSizingState(x, y, &idx, &line);
    if (state != GridSizingState::None) {
        m_sizingState = state;
        m_sizingIndex = idx;
        m_sizingPos = line;
        m_sizingOfs = line - (state == GridSizingState::Col ? x : y);
        return;
    }
    const int c = colAt(x), r = rowAt(y);
    const bool dataCell = c >= m_fixedCols && r >= m_fixedRows;
    if (dataCell && (modifiers & Qt::ShiftModifier) && hasDataSelection())
        moveCurrent(c, r, true);
    else
        chooseCell(c, r);
    m_rangeDrag = dataCell && hasDataSelection() && m_options.testFlag(GridOption::RangeSelect);
}

void SoftStringGridModel::mouseDrag(int x, int y)
{
    if (m_sizingState != GridSizingState::None) {
        m_sizingPos = (m_sizingState == GridSizingState::Col ? x : y) + m_sizingOfs;
        return;
    }
    if (!m_rangeDrag || !hasDataSelection())
        return;
    const int c = colAt(x), r = rowAt(y);
    if (c >= m_fixedCols && r >= m_fixedRows)
        moveCurrent(c, r, true);
}

void SoftStringGridModel::mouseRelease(int x, int y)
{
    m_rangeDrag = false;
    if (m_sizingState == GridSizingState::None)
        return;
    finishSizing((m_sizingState == GridSizingState::Col ? x : y) + m_sizingOfs);
}

void SoftStringGridModel::doGetCursor(int col, int row, Qt::CursorShape &cursor)
{
    if (onGetCursor)
        onGetCursor(col, row, cursor);
}

Qt::CursorShape SoftStringGridModel::cursorAt(int x, int y)
{
    int idx = -1, line = 0;
    switch (hitBoundary(x, y, &idx, &line)) {
    case GridSizingState::Col: return Qt::SplitHCursor;
    case GridSizingState::Row: return Qt::SplitVCursor;
    case GridSizingState::None: break;
    }
    const int c = colAt(x), r = rowAt(y);
    Qt::CursorShape cursor = Qt::ArrowCursor;
    if (c >= 0 && r >= 0 && !inNoSelectBand(c, r)) {
        if (!m_options.testFlag(GridOption::Editing) || (c < m_fixedCols && r < m_fixedRows))
            cursor = Qt::PointingHandCursor;
        else
            cursor = m_cursorNoEdit ? Qt::PointingHandCursor : Qt::IBeamCursor;
    }
    doGetCursor(c, r, cursor);
    return cursor;
}

bool SoftStringGridModel::keyPress(int key, Qt::KeyboardModifiers modifiers)
{
    const bool rowSelect = m_options.testFlag(GridOption::RowSelect);
    if (!hasDataSelection()) {
        // A header cell holds the selection: only the arrows move it, and no key
        // reaches the platform's handling.
        switch (key) {
        case Qt::Key_Left:
            if (!rowSelect)
                chooseCell(m_hotCol - 1, m_hotRow);
            break;
        case Qt::Key_Right:
            if (!rowSelect)
                chooseCell(m_hotCol + 1, m_hotRow);
            break;
        case Qt::Key_Up: chooseCell(m_hotCol, m_hotRow - 1); break;
        case Qt::Key_Down: chooseCell(m_hotCol, m_hotRow + 1); break;
        default: break;
        }
        return true;
    }
    if (key == Qt::Key_Left && m_col == m_fixedCols && !rowSelect)
        chooseCell(m_fixedCols - 1, m_hotRow);
    else if (key == Qt::Key_Up && m_row == m_fixedRows)
        chooseCell(m_col, m_fixedRows - 1);
    if (!hasDataSelection())
        return true;

    const bool extend = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const int page = std::max(1, visibleRowCount());
    switch (key) {
    case Qt::Key_Left: moveCurrent(m_col - 1, m_row, extend); return true;
    case Qt::Key_Right: moveCurrent(m_col + 1, m_row, extend); return true;
    case Qt::Key_Up: moveCurrent(m_col, m_row - 1, extend); return true;
    case Qt::Key_Down: moveCurrent(m_col, m_row + 1, extend); return true;
    case Qt::Key_PageUp: moveCurrent(m_col, m_row - page, extend); return true;
    case Qt::Key_PageDown: moveCurrent(m_col, m_row + page, extend); return true;
    case Qt::Key_Home:
        moveCurrent(ctrl ? m_col : m_fixedCols, ctrl ? m_fixedRows : m_row, extend);
        return true;
    case Qt::Key_End:
        moveCurrent(ctrl ? m_col : m_colCount - 1, ctrl ? m_rowCount - 1 : m_row, extend);
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!m_options.testFlag(GridOption::Tabs))
            return false;
        if (key == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier)) {
            if (m_col > m_fixedCols)
                moveCurrent(m_col - 1, m_row, false);
            else if (m_row > m_fixedRows)
                moveCurrent(m_colCount - 1, m_row - 1, false);
        } else {
            if (m_col < m_colCount - 1)
                moveCurrent(m_col + 1, m_row, false);
            else if (m_row < m_rowCount - 1)
                moveCurrent(m_fixedCols, m_row + 1, false);
        }
        return true;
    default: return false;
    }
}

bool SoftStringGridModel::wheel(bool down)
{
    bool handled = false;
    if (onMouseWheel)
        onMouseWheel(down, handled);
    if (handled)
        return true;
    if (!hasDataSelection()) {
        if (m_hotCol >= m_noSelectCols && m_hotRow >= 0) {
            if (down && m_hotRow < m_rowCount - 1)
                setHotRow(m_hotRow + 1);
            else if (!down && m_hotRow > 0)
                setHotRow(m_hotRow - 1);
        }
        return true;
    }
    if (down) {
        if (m_row < m_rowCount - 1)
            moveCurrent(m_col, m_row + 1, false);
    } else if (m_row > m_fixedRows) {
        moveCurrent(m_col, m_row - 1, false);
    } else {
        chooseCell(m_col, m_fixedRows - 1);
    }
    return true;
}
