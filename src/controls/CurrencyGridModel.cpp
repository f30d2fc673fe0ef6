#include "controls/CurrencyGridModel.h"

#include <algorithm>

#include <QLocale>
#include <QWidget>

#include "controls/ColorValue.h"
#include "data/FormatSettings.h"

int CurrencyGridModel::currencyDecimals()
{
    return std::clamp(Formats().currencyDecimals, 0, 4);
}

QString CurrencyGridModel::formatAmount(Currency value)
{
    return value.toString(currencyDecimals(), true);
}

CurrencyGridModel::CurrencyGridModel(QObject *parent)
    : SoftStringGridModel(parent)
{
    setOptions(options() | GridOption::Editing);
    m_rowOddColor = m_rowEvenColor = QColor(Qt::white);
    m_selColor = ColorValue::fromBgr(0x800000);
    m_hotSelColor = ColorValue::fromBgr(0xECFFDF);
    m_selFontColor = QColor(Qt::white);
    setColHotTrack(false);
    setRowHotTrack(false);
    // The in-place editor takes amounts and the simple expressions typed into
    // amount fields; the decimal separator is the one in force now.
    m_editorChars = QStringLiteral("0123456789+-*/Ee") + QLocale().decimalPoint();
    resetCellData();
}

// --- per-cell data -----------------------------------------------------------------------

int CurrencyGridModel::checkIndex(int col, int row)
{
    if (col >= 0 && row >= 0 && col < colCount() && row < rowCount())
        return 0;
    if (col == -1 && row == -1)
        return 1;
    // The caller gets a neutral answer and no message: a page asking for a cell
    // just past its table must not stop the user's work. The text is kept for
    // diagnosis.
    QString owner;
    if (auto *w = qobject_cast<QWidget *>(parent()); w && w->parentWidget())
        owner = w->parentWidget()->objectName();
    m_lastIndexError = QStringLiteral("TCurrencyGrid　インデックスが範囲を超えています") + owner
                       + QStringLiteral(" Col= ") + QString::number(col) + QStringLiteral(" Row= ")
                       + QString::number(row);
    qWarning("%s", qUtf8Printable(m_lastIndexError));
    return 2;
}

Currency CurrencyGridModel::getValue(int col, int row)
{
    return checkIndex(col, row) == 0 ? m_values[at(col, row)] : Currency();
}

bool CurrencyGridModel::storeValue(int col, int row, Currency value)
{
    Currency &slot = m_values[at(col, row)];
    if (slot == value)
        return false;
    slot = value;
    m_changed[at(col, row)] = 1;
    m_amountTexts[at(col, row)] = QString();
    return true;
}

void CurrencyGridModel::setValue(int col, int row, Currency value)
{
    if (checkIndex(col, row) != 0)
        return;
    const Currency old = m_values[at(col, row)];
    storeValue(col, row, value);
    if (!cells(col, row).isEmpty())
        setCells(col, row, QString());
    const GridTotalsLayout &t = m_totals;
    const bool summed = t.isActive() && col >= t.firstCol && row >= t.firstRow && !t.skipCols.contains(col)
                        && col != t.sumCol && row != t.sumRow;
    if (summed && value != old) {
        // Totals follow a summed cell at once: its row total, its column total and
        // the grand total move by the same difference.
        const Currency delta = value - old;
        if (t.sumCol >= 0 && t.sumCol < colCount())
            storeValue(t.sumCol, row, m_values[at(t.sumCol, row)] + delta);
        if (t.sumRow >= 0 && t.sumRow < rowCount()) {
            storeValue(col, t.sumRow, m_values[at(col, t.sumRow)] + delta);
            if (t.sumCol >= 0 && t.sumCol < colCount())
                storeValue(t.sumCol, t.sumRow, m_values[at(t.sumCol, t.sumRow)] + delta);
        }
    }
}

Currency CurrencyGridModel::getStackValue(int col, int row)
{
    if (checkIndex(col, row) != 0 || !m_stack)
        return Currency();
    return m_stackValues[at(col, row)];
}

void CurrencyGridModel::setStackValue(int col, int row, Currency value)
{
    if (checkIndex(col, row) != 0 || !m_stack)
        return;
    Currency &slot = m_stackValues[at(col, row)];
    if (slot == value)
        return;
    slot = value;
    m_changed[at(col, row)] = 1;
}

CellAlignment CurrencyGridModel::getCellAlignment(int col, int row)
{
    return checkIndex(col, row) == 0 ? m_aligns[at(col, row)] : CellAlignment::taLeftJustify;
}

void CurrencyGridModel::setCellAlignment(int col, int row, CellAlignment value)
{
    if (checkIndex(col, row) != 0 || m_aligns[at(col, row)] == value)
        return;
    m_aligns[at(col, row)] = value;
    invalidateCell(col, row);
}

bool CurrencyGridModel::getRowStack(int row) const
{
    return row >= 0 && row < rowCount() && m_rowStack[size_t(row)];
}

void CurrencyGridModel::setRowStack(int row, bool value)
{
    if (row >= 0 && row < rowCount())
        m_rowStack[size_t(row)] = value;
}

CellKind CurrencyGridModel::cellKind(int col, int row) const
{
    if (!isCell(col, row))
        return CellKind::csFixed;
    return m_kinds[at(col, row)];
}

bool CurrencyGridModel::isChanged(int col, int row) const
{
    return col >= 0 && row >= 0 && col < colCount() && row < rowCount() && m_changed[at(col, row)];
}

void CurrencyGridModel::clearChanged(int col, int row)
{
    if (col >= 0 && row >= 0 && col < colCount() && row < rowCount())
        m_changed[at(col, row)] = 0;
}

void CurrencyGridModel::clearAll()
{
    std::fill(m_values.begin(), m_values.end(), Currency());
    for (QString &text : m_amountTexts)
        if (!text.isNull())
            text = QString();
    if (m_stack)
        std::fill(m_stackValues.begin(), m_stackValues.end(), Currency());
    clearStringsAndObjects();
    invalidateAll();
}

void CurrencyGridModel::clearValues()
{
    std::fill(m_values.begin(), m_values.end(), Currency());
    std::fill(m_amountTexts.begin(), m_amountTexts.end(), QString());
    std::fill(m_stackValues.begin(), m_stackValues.end(), Currency());
    invalidateAll();
}

void CurrencyGridModel::invalidateChangedCells()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < colCount(); ++c)
            if (m_changed[at(c, r)])
                invalidateCell(c, r);
}

void CurrencyGridModel::updateKinds()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < colCount(); ++c)
            m_kinds[at(c, r)] = isFixed(c, r) ? CellKind::csFixed : CellKind::csNormal;
}

void CurrencyGridModel::resetCellData()
{
    const size_t n = size_t(colCount()) * size_t(rowCount());
    m_values.assign(n, Currency());
    m_amountTexts.assign(n, QString());
    m_aligns.assign(n, CellAlignment::taLeftJustify);
    m_kinds.assign(n, CellKind::csNormal);
    m_changed.assign(n, 0);
    updateKinds();
    clearStringsAndObjects();
    if (m_stack)
        m_stackValues.assign(n, Currency());
    else
        m_stackValues.clear();
    m_rowStack.assign(size_t(rowCount()), m_stack ? 1 : 0);
}

void CurrencyGridModel::fixedCountsChanged()
{
    // Kinds follow the header band at once; otherwise a form that sets the fixed
    // counts after the counts would get selectable header cells and data cells
    // that refuse the selection.
    updateKinds();
}

// --- totals --------------------------------------------------------------------------------

void CurrencyGridModel::setTotalsLayout(const GridTotalsLayout &layout)
{
    m_totals = layout;
    recalcTotals();
}

void CurrencyGridModel::recalcTotals()
{
    const GridTotalsLayout &t = m_totals;
    if (!t.isActive())
        return;
    const int firstRow = std::max(t.firstRow, 0), firstCol = std::max(t.firstCol, 0);
    auto summedCol = [&](int c) { return c != t.sumCol && !t.skipCols.contains(c); };
    if (t.sumCol >= 0 && t.sumCol < colCount())
        for (int r = firstRow; r < rowCount(); ++r) {
            if (r == t.sumRow)
                continue;
            Currency sum;
            for (int c = firstCol; c < colCount(); ++c)
                if (summedCol(c))
                    sum += m_values[at(c, r)];
            storeValue(t.sumCol, r, sum);
        }
    if (t.sumRow >= 0 && t.sumRow < rowCount())
        for (int c = 0; c < colCount(); ++c) {
            if (!(c == t.sumCol || (c >= firstCol && summedCol(c))))
                continue;
            Currency sum;
            for (int r = firstRow; r < rowCount(); ++r)
                if (r != t.sumRow)
                    sum += m_values[at(c, r)];
            storeValue(c, t.sumRow, sum);
        }
}

// --- texts ----------------------------------------------------------------------------------

void CurrencyGridModel::getDisplayText(int col, int row, QString &text)
{
    const Currency value = m_values[at(col, row)];
    // A zero amount shows the cell's own string, which is empty for money cells.
    text = m_dataDraw && !value.isZero() ? amountText(col, row) : cells(col, row);
    if (onGetText)
        onGetText(col, row, text);
}

QString CurrencyGridModel::amountText(int col, int row)
{
    if (!isCell(col, row))
        return {};
    const Currency value = m_values[at(col, row)];
    if (value.isZero())
        return {};
    // The decimals are read at every call: another book may have changed them
    // since the texts were made.
    const int decimals = currencyDecimals();
    if (decimals != m_amountTextDecimals) {
        std::fill(m_amountTexts.begin(), m_amountTexts.end(), QString());
        m_amountTextDecimals = decimals;
    }
    QString &slot = m_amountTexts[at(col, row)];
    if (slot.isNull())
        slot = value.toString(decimals, true);
    return slot;
}

QString CurrencyGridModel::displayText(int col, int row)
{
    QString text;
    if (col >= 0 && row >= 0 && col < colCount() && row < rowCount())
        getDisplayText(col, row, text);
    return text;
}

void CurrencyGridModel::cellText(int col, int row, QString &text)
{
    if (!isCell(col, row))
        return;
    getDisplayText(col, row, text);
}

void CurrencyGridModel::stackText(int col, int row, QString &text)
{
    if (!isCell(col, row))
        return;
    text.clear();
    if (m_stack && !m_stackValues[at(col, row)].isZero()) {
        const Currency v = m_stackValues[at(col, row)];
        switch (m_currencyFormat) {
        case GridFloatFormat::ffCurrency:
        case GridFloatFormat::ffNumber: text = v.toString(currencyDecimals(), true); break;
        case GridFloatFormat::ffFixed: text = v.toString(currencyDecimals(), false); break;
        case GridFloatFormat::ffGeneral: text = QString::number(v.toDouble(), 'g', 15); break;
        case GridFloatFormat::ffExponent: text = QString::number(v.toDouble(), 'E', 14); break;
        }
    }
    if (onGetText2)
        onGetText2(col, row, text);
}

QString CurrencyGridModel::stackText(int col, int row)
{
    QString text;
    stackText(col, row, text);
    return text;
}

// --- properties --------------------------------------------------------------------------------

void CurrencyGridModel::setDataDraw(bool on)
{
    if (on == m_dataDraw)
        return;
    m_dataDraw = on;
    invalidateAll();
}

void CurrencyGridModel::setStack(bool on)
{
    m_stack = on;
    resetCellData();
    invalidateAll();
}

void CurrencyGridModel::setRoundCell(bool on)
{
    m_roundCell = on;
    // Rounded cells draw their own edges; the grid lines would cut through them.
    // Switching back does not bring the lines back, as the forms expect.
    if (on)
        setOptions(options() & ~(GridOptions(GridOption::FixedVertLine) | GridOption::FixedHorzLine
                                 | GridOption::VertLine | GridOption::HorzLine));
}

void CurrencyGridModel::setCharOffset(int offset)
{
    m_charOffset = offset;
    invalidateAll();
}

void CurrencyGridModel::setCurrencyFormat(GridFloatFormat format)
{
    m_currencyFormat = format;
    invalidateAll();
}

void CurrencyGridModel::setFixCellStyle(FixCellStyle style)
{
    m_fixCellStyle = style;
    invalidateAll();
}

void CurrencyGridModel::setRowOddColor(const QColor &color)
{
    m_rowOddColor = color;
    invalidateAll();
}

void CurrencyGridModel::setRowEvenColor(const QColor &color)
{
    m_rowEvenColor = color;
    invalidateAll();
}

void CurrencyGridModel::setSelColor(const QColor &color)
{
    m_selColor = color;
    invalidateAll();
}

void CurrencyGridModel::setHotSelColor(const QColor &color)
{
    m_hotSelColor = color;
    invalidateAll();
}

void CurrencyGridModel::setSelFontColor(const QColor &color)
{
    m_selFontColor = color;
    invalidateAll();
}

// --- painting rules ------------------------------------------------------------------------------

bool CurrencyGridModel::isHotTracked(int col, int row) const
{
    if (!isFixed(col, row))
        return false;
    if (rowHotTrack() && col < noSelectCols() && (row == this->row() || row == hotRow()))
        return true;
    return colHotTrack() && row < noSelectRows() && (col == this->col() || col == hotCol());
}

GridCellColors CurrencyGridModel::cellColors(int col, int row, GridDrawState state)
{
    GridCellColors colors;
    if (state == GridDrawState(GridDrawFlag::Selected)) {
        colors.font = m_selFontColor;
        colors.brush = m_selColor;
    } else if (state == (GridDrawFlag::Selected | GridDrawFlag::Focused)) {
        colors.font = m_selFontColor;
        colors.brush = m_hotSelColor;
    } else {
        colors.font = QColor(Qt::black);
        colors.brush = row % 2 ? m_rowOddColor : m_rowEvenColor;
    }
    colors.pen = colors.font;
    const bool fixed = state.testFlag(GridDrawFlag::Fixed);
    if (m_fixCellStyle == FixCellStyle::fsRect) {
        if (fixed)
            colors.brush = fixedColor();
    } else if (fixed) {
        // Header cells of the other styles take their colours from hot tracking.
        return colors;
    } else {
        colors.pen = ColorValue::fromBgr(0xE8E8E8);
    }
    if (onDrawColor)
        onDrawColor(col, row, state, colors.font, colors.pen, colors.brush);
    return colors;
}

bool CurrencyGridModel::isNegative(int col, int row)
{
    return col >= 0 && row >= 0 && col < colCount() && row < rowCount() && m_values[at(col, row)] < Currency();
}

bool CurrencyGridModel::acceptsEditorChar(QChar ch) const
{
    return !ch.isPrint() || m_editorChars.contains(ch);
}

bool CurrencyGridModel::canSelectCell(int col, int row)
{
    if (cellKind(col, row) == CellKind::csNormal)
        return true;
    // A refused cell in the first data row brings the table back to its top, so
    // the rows under the headers stay in view.
    if (row == fixedRows())
        setTopRow(fixedRows());
    return false;
}
