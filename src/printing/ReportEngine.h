#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include <QColor>
#include <QFont>
#include <QPageLayout>
#include <QRect>
#include <QString>

class QPainter;
class TCustomLRItem;

// A small banded report engine. A report page is laid out in code in design
// pixels (96 per inch) and printed onto any painter at any scale: bands stack
// inside the page's margins, a grid band repeats its cell template once per
// cell, and the items on the bands print one text each. The owner fills the
// texts and decides what each band and cell prints through the events.

enum TLineStyle { lsNone, lsSingle, lsHalf, lsDouble, lsSingleHalf };
enum TPrintStatus { psNormal, psLineOnly, psEndNow };
enum TPaperSize { psNone, psA4, psB4, psB5, psA3, psA5 };
enum TLRAlign { laTop, laLeft, laRight, laBottom, laClient, laNone };
enum TPrintDirection { pdHorz, pdVert, pdHolz };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// The engine's own refusals (a column or row count that does not fit).
class ELRError : public std::runtime_error
{
public:
    explicit ELRError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The Mincho face the reports print in; "ＭＳ Ｐ明朝" of the layouts maps here.
QString ReportMinchoFamily();
// A report font of the given height in design pixels.
QFont ReportFont(int pixelHeight);

// The four frame lines of a rectangle given in design pixels at the given scale.
// Nothing is drawn unless the status is psNormal or psLineOnly.
void DrawFrameLines(QPainter &painter, QRect rect, TPrintStatus status, double scale, TLineStyle top,
                    TLineStyle left, TLineStyle right, TLineStyle bottom, const QColor &color);

// Frame lines of a page, a band or an item.
struct TLRLines
{
    QColor LineColor = Qt::black;
    TLineStyle LineTop = lsNone, LineLeft = lsNone, LineRight = lsNone, LineBottom = lsNone;
    void set(const QColor &color, TLineStyle left, TLineStyle top, TLineStyle right, TLineStyle bottom)
    {
        LineColor = color;
        LineLeft = left;
        LineTop = top;
        LineRight = right;
        LineBottom = bottom;
    }
};

class TLightRep;

// A band. Its children (bands and items) are placed by their bounds, relative to
// the band, and printed in child order.
class TCustomLRPanel : public TLRLines
{
public:
    using BeforePrintEvent = std::function<void(TCustomLRPanel *sender, const QRect &rect, TPrintStatus &status)>;

    explicit TCustomLRPanel(const QString &name = QString());
    virtual ~TCustomLRPanel();

    QString Name;
    bool Enabled = true;
    TLRAlign LRAlign = laTop;
    QFont Font = ReportFont(12);
    QColor FontColor = Qt::black;
    BeforePrintEvent BeforePrint;
    std::function<void(TCustomLRPanel *sender)> AfterPrint;

    QRect bounds() const { return m_bounds; }
    void setBounds(const QRect &r);
    int width() const { return m_bounds.width(); }
    int height() const { return m_bounds.height(); }
    void setHeight(int h);
    void setWidth(int w);

    // Children are owned by the panel; the pointer is returned for the caller.
    template<class T> T *add(std::unique_ptr<T> child)
    {
        T *raw = child.get();
        adopt(std::move(child));
        return raw;
    }
    const std::vector<std::unique_ptr<TCustomLRPanel>> &panels() const { return m_panels; }
    const std::vector<std::unique_ptr<TCustomLRItem>> &items() const { return m_items; }

    // Places the child panels by their alignment inside the panel's client area.
    virtual void realign();

    virtual void PrintTo(QPainter &painter, const QRect &rect, double scale);

protected:
    // Prints every enabled child at its bounds moved by origin.
    void printChildren(QPainter &painter, const QPoint &origin, TPrintStatus status, double scale);
    void adopt(std::unique_ptr<TCustomLRPanel> panel);
    void adopt(std::unique_ptr<TCustomLRItem> item);
    QRect m_bounds{0, 0, 100, 100};
    std::vector<std::unique_ptr<TCustomLRPanel>> m_panels;
    std::vector<std::unique_ptr<TCustomLRItem>> m_items;
};

// A band laid out by alignment.
class TLRLayoutPanel : public TCustomLRPanel
{
public:
    using TCustomLRPanel::TCustomLRPanel;
    void PrintTo(QPainter &painter, const QRect &rect, double scale) override;
};

// The cell template of a grid band.
class TLRChildPanel : public TCustomLRPanel
{
public:
    using TCustomLRPanel::TCustomLRPanel;
};

// A band that prints its cell template once per cell, in ColCount columns and
// RowCount rows.
class TLRGridPanel : public TCustomLRPanel
{
public:
    using PrintPanelEvent =
        std::function<void(TLRGridPanel *sender, int col, int row, const QRect &rect, TPrintStatus &status)>;

    explicit TLRGridPanel(const QString &name = QString());

    TLRChildPanel *ChildPanel() const { return m_child; }
    int ColCount() const { return m_colCount; }
    int RowCount() const { return m_rowCount; }
    // Refused with ELRError when the cells would be less than a pixel.
    void SetColCount(int count);
    void SetRowCount(int count);
    TPrintDirection PrintDirection = pdHorz;
    PrintPanelEvent OnPrintPanel;
    BeforePrintEvent &BeforePrintPanel() { return m_child->BeforePrint; }
    std::function<void(TCustomLRPanel *)> &AfterPrintPanel() { return m_child->AfterPrint; }
    // The frame lines of every cell are those of the cell template.
    TLRLines &ChildLines() { return *m_child; }

    void realign() override;
    void PrintTo(QPainter &painter, const QRect &rect, double scale) override;

private:
    void PrintCell(QPainter &painter, const QRect &gridRect, int row, int col, double scale);
    TLRChildPanel *m_child = nullptr;
    int m_colCount = 1;
    int m_rowCount = 1;
};

// The report page: paper, orientation, margins, the frame around the margins and
// the bands, printed by PrintTo one page at a time.
class TLightRep : public TCustomLRPanel
{
public:
    explicit TLightRep(const QString &name = QString());

    TPaperSize PaperSize() const { return m_paper; }
    void SetPaperSize(TPaperSize paper);
    QPageLayout::Orientation Orientation() const { return m_orientation; }
    void SetOrientation(QPageLayout::Orientation orientation);
    int MarginTop() const { return m_margins[0]; }
    int MarginLeft() const { return m_margins[1]; }
    int MarginRight() const { return m_margins[2]; }
    int MarginBottom() const { return m_margins[3]; }
    // A margin is taken only when above 0 and below half the page width.
    void SetMargins(int top, int left, int right, int bottom);
    void SetMarginTop(int v) { setMargin(0, v); }
    void SetMarginLeft(int v) { setMargin(1, v); }
    void SetMarginRight(int v) { setMargin(2, v); }
    void SetMarginBottom(int v) { setMargin(3, v); }

    // The page's client area inside the margins, where the bands align.
    QRect clientRect() const;
    void realign() override;

    // Print shift in millimetres, applied at every PrintTo.
    double ShiftX = 0;
    double ShiftY = 0;
    int PageNumber() const { return m_pageNumber; }
    int PrintMode() const { return m_printMode; }
    double PrintScale() const { return m_printScale; }

    // Prints one page at the given target width in device pixels; mode 1 is a
    // printer (or PDF), 2 a preview.
    void PrintTo(QPainter &painter, int targetWidth, int pageNumber, int mode);
    void PrintTo(QPainter &painter, const QRect &rect, double scale) override;

    // The page's QPageSize for the paper (A4 for psNone).
    QPageLayout pageLayout() const;

private:
    void updatePageSize();
    void setMargin(int index, int value);
    TPaperSize m_paper = psA4;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    int m_margins[4] = {36, 36, 36, 36};
    int m_pageNumber = 0;
    int m_printMode = 0;
    double m_printScale = 1;
};
