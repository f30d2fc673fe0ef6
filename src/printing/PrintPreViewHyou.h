#pragma once

#include <functional>
#include <vector>

#include <QColor>

#include "printing/PrintPreView.h"

class TCurrencyGrid;
class TFormPrintPreViewHyou;

using TCalcRowHeightEvent = std::function<void(TFormPrintPreViewHyou *sender, int &rowHeight, int &fontHeight)>;

// The print of a page's money tables: up to four tables, each limited to a
// column range, stacked on one page under a two-line header (title, subtitle
// and the print date). The widest table fills the body's width and the rows
// together its height, within the font's limits. With two pages the columns are
// split in halves, page 1 the first half and page 2 the second, both at one scale.
class TFormPrintPreViewHyou : public TFormPrintPreView
{
    Q_OBJECT
public:
    explicit TFormPrintPreViewHyou(QWidget *parent = nullptr);
    ~TFormPrintPreViewHyou() override;

    void SetHyouTitle(const QString &text) { m_title = text; }
    void SetSubTitle(const QString &text) { m_subTitle = text; }
    QString hyouTitle() const { return m_title; }
    void SetGrid1(TCurrencyGrid *grid, int first, int last) { setSlot(0, grid, first, last); }
    void SetGrid2(TCurrencyGrid *grid, int first, int last) { setSlot(1, grid, first, last); }
    void SetGrid3(TCurrencyGrid *grid, int first, int last) { setSlot(2, grid, first, last); }
    void SetGrid4(TCurrencyGrid *grid, int first, int last) { setSlot(3, grid, first, last); }
    void SetOnCalcRowHeight(TCalcRowHeightEvent event) { OnCalcRowHeight = std::move(event); }

    QColor EvenRowColor{0xF0, 0xF0, 0xF0};
    QColor CellLineColor{0x80, 0x80, 0xC0};
    QColor FrameLineColor{0x00, 0x00, 0x80};
    double TopRatio = 0;
    // The lower band of a journal page's monthly table leaves out column 1
    // (the month's total), which the upper band shows.
    bool LowerBandSkipsColumn1 = false;
    TCalcRowHeightEvent OnCalcRowHeight;

    int RowHeight = 0;
    int FontHeight = 0;

    void DrawPage(QPainter &canvas) override;
    virtual void DrawHyouHeader(QPainter &canvas);
    void PageSeteiClick() override;

    // The column range of a slot for split mode 0 (all), 1 (first half) or 2.
    void SplitColumnRange(int slot, int mode, int first, int last, int &start, int &end) const;
    int ColumnsWidth(int slot, int start, int end) const;
    int TableRowUnits(int slot, int extra) const;

protected:
    void prepareShow() override;

private:
    struct Slot
    {
        TCurrencyGrid *grid = nullptr;
        int first = 0;
        int last = 0;
    };
    // [column][row]: 0 left, 1 right, 2 centre, 3 not printed.
    using TAlignArray = std::vector<std::vector<unsigned char>>;

    void setSlot(int i, TCurrencyGrid *grid, int first, int last);
    void DrawTablePage(QPainter &canvas);
    TAlignArray BuildAlignArray(TCurrencyGrid *grid, int start, int end) const;
    void DrawGridTable(QPainter &canvas, TCurrencyGrid *grid, const TAlignArray &align, bool stackCaptions);
    void DrawCellText(QPainter &canvas, const QRect &rect, const QString &text, int hAlign, int vAlign);
    void chooseFont();

    Slot m_slots[4];
    QString m_title;
    QString m_subTitle;
    int m_marginX = 0;
    int m_marginY = 0;
    double m_scaleX = 1.0;
    double m_y = 0;
};

// The open table preview, if any.
extern TFormPrintPreViewHyou *FormPrintPreViewHyou;
