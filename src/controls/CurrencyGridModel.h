#pragma once

#include <functional>
#include <vector>

#include <QColor>
#include <QSet>
#include <QString>

#include "controls/SoftStringGridModel.h"
#include "platform/db/Currency.h"

// Horizontal place of a cell's own string; the numbers are the stored ones.
enum class CellAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
enum class CellKind { csNormal, csFixed };
enum class FixCellStyle { fsRect, fsRoundRect, fsFrame };
// Format of the stack value's text.
enum class GridFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

struct GridCellColors
{
    QColor font, pen, brush;
};

// Which cells a money table adds up by itself: every summed cell (from firstRow and
// firstCol on, except skipCols) counts into sumCol of its row and sumRow of its
// column; sumRow of sumCol holds the grand total. -1 switches a direction off.
struct GridTotalsLayout
{
    int sumRow = -1;
    int sumCol = -1;
    int firstRow = 0;
    int firstCol = 0;
    QSet<int> skipCols;
    bool isActive() const { return sumRow >= 0 || sumCol >= 0; }
};

// The money table's logic: an amount, an optional stack amount, an alignment, a
// kind and a changed flag per cell; the display texts (zero blank, negatives red),
// the colour rules of the three header styles and the selection rule of the cell
// kinds. The widget TCurrencyGrid paints from here.
class CurrencyGridModel : public SoftStringGridModel
{
    Q_OBJECT
public:
    explicit CurrencyGridModel(QObject *parent = nullptr);

    // The program's number of currency decimals (0 or 2, Formats().currencyDecimals),
    // read at every formatting so that it follows the book opened last, not the one
    // open when a grid was made or first shown.
    static int currencyDecimals();
    // Amount text as the grid shows it: thousands separators, no symbol.
    static QString formatAmount(Currency value);

    // --- per-cell data ------------------------------------------------------------
    Currency getValue(int col, int row);
    void setValue(int col, int row, Currency value);
    Currency getStackValue(int col, int row);
    void setStackValue(int col, int row, Currency value);
    CellAlignment getCellAlignment(int col, int row);
    void setCellAlignment(int col, int row, CellAlignment value);
    bool getRowStack(int row) const;
    void setRowStack(int row, bool value);
    CellKind cellKind(int col, int row) const;
    bool isChanged(int col, int row) const;
    void clearChanged(int col, int row);
    void clearAll();
    void clearValues();
    // Asks the view to repaint every cell whose amount changed since its last paint.
    void invalidateChangedCells();
    // The text of the last index error; accessors handle the error themselves.
    QString lastIndexError() const { return m_lastIndexError; }

    // --- totals -------------------------------------------------------------------
    void setTotalsLayout(const GridTotalsLayout &layout);
    GridTotalsLayout totalsLayout() const { return m_totals; }
    // Writes every total anew through setValue, so only totals that differ are flagged.
    void recalcTotals();

    // --- texts --------------------------------------------------------------------
    virtual void getDisplayText(int col, int row, QString &text);
    // The cell's amount as formatAmount gives it, kept per cell until the amount or
    // the number of currency decimals changes; empty for a zero amount.
    QString amountText(int col, int row);
    QString displayText(int col, int row);
    void displayText(int col, int row, QString &text) { getDisplayText(col, row, text); }
    void cellText(int col, int row, QString &text);
    void stackText(int col, int row, QString &text);
    QString stackText(int col, int row);

    // --- properties ---------------------------------------------------------------
    bool dataDraw() const { return m_dataDraw; }
    void setDataDraw(bool on);
    bool allowEdit() const { return m_allowEdit; }
    void setAllowEdit(bool on) { m_allowEdit = on; }
    bool stack() const { return m_stack; }
    void setStack(bool on);
    bool roundCell() const { return m_roundCell; }
    void setRoundCell(bool on);
    int charOffset() const { return m_charOffset; }
    void setCharOffset(int offset);
    GridFloatFormat currencyFormat() const { return m_currencyFormat; }
    void setCurrencyFormat(GridFloatFormat format);
    FixCellStyle fixCellStyle() const { return m_fixCellStyle; }
    void setFixCellStyle(FixCellStyle style);
    QColor rowOddColor() const { return m_rowOddColor; }
    QColor rowEvenColor() const { return m_rowEvenColor; }
    QColor selColor() const { return m_selColor; }
    QColor hotSelColor() const { return m_hotSelColor; }
    QColor selFontColor() const { return m_selFontColor; }
    void setRowOddColor(const QColor &color);
    void setRowEvenColor(const QColor &color);
    void setSelColor(const QColor &color);
    void setHotSelColor(const QColor &color);
    void setSelFontColor(const QColor &color);

    // --- painting rules (no pixels) -----------------------------------------------
    bool isHotTracked(int col, int row) const;
    // Font, pen and brush colours of a cell before it is filled, OnDrawColor included.
    GridCellColors cellColors(int col, int row, GridDrawState state);
    // Amounts below zero are drawn in red, the rest in the cell's font colour.
    bool isNegative(int col, int row);
    bool acceptsEditorChar(QChar ch) const;

    bool canSelectCell(int col, int row) override;
    void resetCellData() override;

    // --- events -------------------------------------------------------------------
    std::function<void(int col, int row, QString &text)> onGetText;
    std::function<void(int col, int row, QString &text)> onGetText2;
    std::function<void(int col, int row, GridDrawState state, QColor &fontColor, QColor &penColor,
                       QColor &brushColor)>
        onDrawColor;

protected:
    void fixedCountsChanged() override;

private:
    // 0 served, 1 the silent "no cell" pair (-1, -1), 2 an index error.
    int checkIndex(int col, int row);
    size_t at(int col, int row) const { return size_t(row) * size_t(colCount()) + size_t(col); }
    bool storeValue(int col, int row, Currency value);
    void updateKinds();

    std::vector<Currency> m_values, m_stackValues;
    // Formatted amounts; a null string is not formatted yet. Valid for the
    // decimals they were formatted with.
    std::vector<QString> m_amountTexts;
    int m_amountTextDecimals = -1;
    std::vector<CellAlignment> m_aligns;
    std::vector<CellKind> m_kinds;
    std::vector<char> m_changed, m_rowStack;
    GridTotalsLayout m_totals;
    QString m_lastIndexError;
    QString m_editorChars;

    bool m_dataDraw = true, m_allowEdit = false, m_stack = false, m_roundCell = false;
    int m_charOffset = 3;
    GridFloatFormat m_currencyFormat = GridFloatFormat::ffCurrency;
    FixCellStyle m_fixCellStyle = FixCellStyle::fsRect;
    QColor m_rowOddColor, m_rowEvenColor, m_selColor, m_hotSelColor, m_selFontColor;
};
