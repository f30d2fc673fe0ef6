#include "printing/PrintPreViewHyou.h"

#include <cmath>

#include <QDate>
#include <QFontDialog>
#include <QPainter>

#include "controls/CurrencyGrid.h"
#include "data/MyRegistryIniFile.h"
#include "printing/PageSetDlg.h"

using namespace Qt::StringLiterals;

TFormPrintPreViewHyou *FormPrintPreViewHyou = nullptr;

TFormPrintPreViewHyou::TFormPrintPreViewHyou(QWidget *parent)
    : TFormPrintPreView(parent)
{
    FormPrintPreViewHyou = this;
    NeedPageCount = false;
    SetPaperOrientation(nkOrLandScape);
    FontEdit1->setVisible(true);
    connect(FontEdit1, &QAction::triggered, this, [this] { chooseFont(); });
}

TFormPrintPreViewHyou::~TFormPrintPreViewHyou()
{
    for (Slot &s : m_slots)
        s.grid = nullptr;
    if (FormPrintPreViewHyou == this)
        FormPrintPreViewHyou = nullptr;
}

void TFormPrintPreViewHyou::setSlot(int i, TCurrencyGrid *grid, int first, int last)
{
    m_slots[i] = grid ? Slot{grid, first, last} : Slot{};
}

void TFormPrintPreViewHyou::prepareShow()
{
    if (RegIni && RegIni->SectionKeyCount(SaveSection) == 0)
        SavePageSettings(9, true, 10, 20, 10, 10, 8, 0, false, false);
    QColor color = Qt::black;
    LoadFontFromRegistry(SaveSection, PrintFont, color);
}

void TFormPrintPreViewHyou::chooseFont()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, PrintFont, this, u"フォントの選択"_s);
    if (!ok)
        return;
    SaveFontToRegistry(SaveSection, chosen, Qt::black);
    PrintFont = chosen;
    Redraw();
}

void TFormPrintPreViewHyou::PageSeteiClick()
{
    TPageSetDlg dialog(this);
    dialog.GrpBoxFooter->setVisible(false);
    dialog.SetPreview(this);
    dialog.exec();
}

void TFormPrintPreViewHyou::DrawPage(QPainter &canvas)
{
    if (Printing) {
        for (int page = StartPage; page <= EndPage; ++page) {
            DrawingPage = page;
            DrawTablePage(canvas);
            if (page < EndPage)
                NkPrinter().NewPage();
        }
        return;
    }
    DrawTablePage(canvas);
}

void TFormPrintPreViewHyou::SplitColumnRange(int slot, int mode, int first, int last, int &start, int &end) const
{
    const int F = m_slots[0].grid ? m_slots[0].grid->fixedCols() : 0;
    start = first;
    end = last;
    if (mode == 1) {
        end = first >= F ? first + (last - first + 1) / 2 - 1 : F + (last - F + 1) / 2 - 1;
    } else if (mode == 2) {
        start = first >= F ? first + (last - first + 1) / 2 : F + (last - F + 1) / 2;
    }
}

int TFormPrintPreViewHyou::ColumnsWidth(int slot, int start, int end) const
{
    const TCurrencyGrid *grid = m_slots[slot].grid;
    if (!grid)
        return 0;
    int width = 2;
    for (int c = start; c <= end; ++c)
        width += grid->model()->colWidth(c);
    if (start > 0)
        width += grid->model()->colWidth(0);
    return width;
}

int TFormPrintPreViewHyou::TableRowUnits(int slot, int extra) const
{
    const TCurrencyGrid *grid = m_slots[slot].grid;
    if (!grid)
        return 0;
    int units = extra;
    for (int r = 0; r < grid->rowCount(); ++r)
        units += grid->getRowStack(r) ? 2 : 1;
    return units;
}

void TFormPrintPreViewHyou::DrawTablePage(QPainter &canvas)
{
    if (!Printing)
        canvas.fillRect(QRect(0, 0, ScaledPageWidth, ScaledPageHeight), Qt::white);
    if (!m_slots[0].grid)
        return;
    DrawHyouHeader(canvas);
    canvas.setFont(PrintFont);

    // Ranges per slot for the page being drawn; one reference width for both
    // pages of a split print, so they share one scale.
    int starts[4], ends[4];
    int W = 0;
    if (PageCount <= 1) {
        for (int i = 0; i < 4; ++i) {
            starts[i] = m_slots[i].first;
            ends[i] = m_slots[i].last;
            W = qMax(W, ColumnsWidth(i, starts[i], ends[i]));
        }
    } else {
        for (int mode = 1; mode <= 2; ++mode) {
            for (int i = 0; i < 4; ++i) {
                int s, e;
                SplitColumnRange(i, mode, m_slots[i].first, m_slots[i].last, s, e);
                W = qMax(W, ColumnsWidth(i, s, e));
                if (mode == qBound(1, DrawingPage, 2)) {
                    starts[i] = s;
                    ends[i] = e;
                }
            }
        }
    }
    if (W <= 0)
        return;
    m_scaleX = double(BodyWidth - 2) / W;
    const int U = TableRowUnits(0, 0) + TableRowUnits(1, 1) + TableRowUnits(2, 1) + TableRowUnits(3, 1);
    if (U <= 0)
        return;
    RowHeight = int(std::nearbyint((BodyHeight - 2 - ScaledPageHeight * TopRatio) / U));
    FontHeight = ScaledFontHeight(PrintFont);
    if (FontHeight > RowHeight * 0.85)
        FontHeight = int(std::trunc(RowHeight * 0.85));
    if (RowHeight > FontHeight * 1.2)
        RowHeight = int(std::trunc(FontHeight * 1.2));
    // A body squeezed to nothing still draws readable-sized nothing, never a
    // negative font.
    RowHeight = qMax(1, RowHeight);
    FontHeight = qMax(1, FontHeight);
    m_marginX = int(std::trunc(RowHeight * 0.1));
    m_marginY = int(std::trunc(RowHeight * 0.05));
    if (OnCalcRowHeight)
        OnCalcRowHeight(this, RowHeight, FontHeight);
    m_y = std::nearbyint(ScaledPageHeight * TopRatio + BodyTop + 1);

    DrawGridTable(canvas, m_slots[0].grid, BuildAlignArray(m_slots[0].grid, starts[0], ends[0]), false);
    for (int i = 1; i < 4; ++i) {
        if (!m_slots[i].grid)
            break;
        m_y += RowHeight;
        TAlignArray align = BuildAlignArray(m_slots[i].grid, starts[i], ends[i]);
        if (i == 1 && LowerBandSkipsColumn1 && align.size() > 1)
            std::fill(align[1].begin(), align[1].end(), 3);
        DrawGridTable(canvas, m_slots[i].grid, align, i == 1);
    }
}

TFormPrintPreViewHyou::TAlignArray TFormPrintPreViewHyou::BuildAlignArray(TCurrencyGrid *grid, int start,
                                                                          int end) const
{
    const int cols = grid->colCount(), rows = grid->rowCount();
    TAlignArray align(size_t(cols), std::vector<unsigned char>(size_t(rows), 3));
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r) {
            if (c == 0 || (!grid->cells(c, r).isEmpty() && c >= start && c <= end))
                align[c][r] = (unsigned char)grid->getCellAlignment(c, r);
            else if (c >= start && c <= end)
                align[c][r] = 1;
        }
    }
    return align;
}

void TFormPrintPreViewHyou::DrawGridTable(QPainter &canvas, TCurrencyGrid *grid, const TAlignArray &align,
                                          bool lowerBand)
{
    const int penWidth = qMax(1, FontHeight / 16);
    const double tableTop = m_y;
    const bool stack = grid->model()->stack();
    double x = BodyLeft + 1;
    QString text;
    for (int r = 0; r < grid->rowCount(); ++r) {
        const int h = grid->getRowStack(r) ? 2 * RowHeight : RowHeight;
        x = BodyLeft + 1;
        for (int c = 0; c < grid->colCount(); ++c) {
            const int a = align[c][r];
            if (a == 3)
                continue;
            const double w = grid->model()->colWidth(c) * m_scaleX;
            const QRect rect(QPoint(int(std::trunc(x)), int(std::trunc(m_y))),
                             QPoint(int(std::trunc(x + w)) - 1, int(std::trunc(m_y + h)) - 1));
            if (r % 2 == 0)
                canvas.fillRect(rect, EvenRowColor);
            grid->cellText(c, r, text);
            if (stack) {
                DrawCellText(canvas, rect, text, a, 0);
                if (!(lowerBand && c == 0)) {
                    grid->stackText(c, r, text);
                    DrawCellText(canvas, rect, text, 1, 2);
                }
            } else {
                DrawCellText(canvas, rect, text, a, 1);
            }
            canvas.setPen(QPen(CellLineColor, penWidth));
            canvas.setBrush(Qt::NoBrush);
            canvas.drawRect(rect.adjusted(0, 0, 1, 1));
            x += w;
        }
        m_y += h;
    }
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QPen(FrameLineColor, qMax(1, FontHeight / 10)));
    canvas.drawRect(QRect(QPoint(BodyLeft + 1, int(std::trunc(tableTop))),
                          QPoint(int(std::trunc(x)) + 1, int(std::trunc(m_y)) + 1)));
    int fixedWidth = 0;
    for (int c = 0; c < grid->fixedCols() && c < grid->colCount(); ++c)
        if (grid->rowCount() > 0 && align[c][0] != 3)
            fixedWidth += grid->model()->colWidth(c);
    canvas.drawRect(QRect(QPoint(BodyLeft + 1, int(std::trunc(tableTop))),
                          QPoint(int(std::trunc(fixedWidth * m_scaleX)) + BodyLeft + 2, int(std::trunc(m_y)) + 1)));
}

void TFormPrintPreViewHyou::DrawCellText(QPainter &canvas, const QRect &rect, const QString &text, int hAlign,
                                         int vAlign)
{
    if (text.isEmpty())
        return;
    QFont font = canvas.font();
    font.setPixelSize(FontHeight);
    canvas.setFont(font);
    int textWidth = canvas.fontMetrics().horizontalAdvance(text);
    if (rect.width() < textWidth + m_marginX) {
        // Long texts shrink; they are never cut or wrapped.
        font.setPixelSize(qMax(1, int(qint64(FontHeight) * rect.width() / (textWidth + m_marginX))));
        canvas.setFont(font);
        textWidth = canvas.fontMetrics().horizontalAdvance(text);
    }
    const int textHeight = canvas.fontMetrics().height();
    int x = rect.left() + m_marginX;
    if (hAlign == 1)
        x = rect.right() + 1 - m_marginX - textWidth;
    else if (hAlign == 2)
        x = rect.left() + (rect.width() - textWidth) / 2;
    int y = rect.top() + m_marginY;
    if (vAlign == 1)
        y = rect.top() + (rect.height() - textHeight) / 2;
    else if (vAlign == 2)
        y = rect.bottom() + 1 - m_marginY - textHeight;
    canvas.setPen(Qt::black);
    TextOut(canvas, x, y, text);
}

void TFormPrintPreViewHyou::DrawHyouHeader(QPainter &canvas)
{
    if (!HeaderOn)
        return;
    canvas.save();
    QFont font = PrintFont;
    const int H = ScaledHeaderHeight;
    canvas.setPen(Qt::black);
    font.setPixelSize(qMax(1, int(H * 0.5)));
    canvas.setFont(font);
    // Centred over the body (the body's left margin included); a title wider
    // than the body gets a smaller font rather than running off the sheet.
    int w = canvas.fontMetrics().horizontalAdvance(m_title);
    if (w > BodyWidth && w > 0) {
        font.setPixelSize(qMax(1, int(qint64(font.pixelSize()) * BodyWidth / w)));
        canvas.setFont(font);
        w = canvas.fontMetrics().horizontalAdvance(m_title);
    }
    TextOut(canvas, BodyLeft + int((BodyWidth - w) / 2.0), ScaledViewTop, m_title);
    const int subHeight = qMax(1, int(H * 0.4));
    font.setPixelSize(subHeight);
    canvas.setFont(font);
    w = canvas.fontMetrics().horizontalAdvance(m_subTitle);
    TextOut(canvas, BodyLeft + int((BodyWidth - w) / 2.0), ScaledViewTop + H - subHeight - int(H * 0.08), m_subTitle);
    const QString date = QDate::currentDate().toString(u"yyyy/MM/dd"_s) + u" 印刷"_s;
    QFont nine = PrintFont;
    nine.setPointSize(9);
    const int dateHeight = qMax(1, qMin(int(H / 3.0), ScaledFontHeight(nine)));
    font.setPixelSize(dateHeight);
    canvas.setFont(font);
    w = canvas.fontMetrics().horizontalAdvance(date);
    TextOut(canvas, BodyLeft + BodyWidth - int(w * 1.05), ScaledViewTop + H - dateHeight - int(H * 0.08), date);
    canvas.restore();
}
