#include "printing/ReportEngine.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPen>

#include "printing/ReportItems.h"

using namespace Qt::StringLiterals;

QString ReportMinchoFamily()
{
    return u"Noto Serif CJK JP"_s;
}

QFont ReportFont(int pixelHeight)
{
    QFont f(ReportMinchoFamily());
    f.setPixelSize(qMax(1, pixelHeight));
    f.setStyleHint(QFont::Serif);
    return f;
}

void DrawFrameLines(QPainter &painter, QRect rect, TPrintStatus status, double scale, TLineStyle top,
                    TLineStyle left, TLineStyle right, TLineStyle bottom, const QColor &color)
{
    if (status != psNormal && status != psLineOnly)
        return;
    // The rectangle's right and bottom are its last pixels; a line is drawn on
    // the edge just past them, so neighbouring cells share one line.
    const int l = int(std::trunc(rect.left() * scale));
    const int t = int(std::trunc(rect.top() * scale));
    const int r = int(std::trunc((rect.right() + 1) * scale));
    const int b = int(std::trunc((rect.bottom() + 1) * scale));
    auto penFor = [&](TLineStyle style) {
        double f = 1.2;
        switch (style) {
        case lsHalf: f = 0.5; break;
        case lsDouble: f = 2; break;
        case lsSingleHalf: f = 1.6; break;
        default: break;
        }
        QPen pen(color);
        pen.setWidth(qMax(1, int(std::trunc(scale * f))));
        pen.setCapStyle(Qt::FlatCap);
        return pen;
    };
    if (top == lsNone && left == lsNone && right == lsNone && bottom == lsNone)
        return;
    // Only the pen changes: a whole saved painter state per cell costs more
    // than the lines themselves.
    const QPen previous = painter.pen();
    auto line = [&](TLineStyle style, int x1, int y1, int x2, int y2) {
        if (style == lsNone)
            return;
        painter.setPen(penFor(style));
        painter.drawLine(x1, y1, x2, y2);
    };
    line(top, l, t, r, t);
    line(left, l, t, l, b);
    line(right, r, t, r, b);
    line(bottom, l, b, r, b);
    painter.setPen(previous);
}

// ---- panels ------------------------------------------------------------------

TCustomLRPanel::TCustomLRPanel(const QString &name) : Name(name) {}

TCustomLRPanel::~TCustomLRPanel() = default;

void TCustomLRPanel::setBounds(const QRect &r)
{
    m_bounds = r;
    realign();
}

void TCustomLRPanel::setHeight(int h)
{
    m_bounds.setHeight(h);
    realign();
}

void TCustomLRPanel::setWidth(int w)
{
    m_bounds.setWidth(w);
    realign();
}

void TCustomLRPanel::adopt(std::unique_ptr<TCustomLRPanel> panel)
{
    m_panels.push_back(std::move(panel));
    realign();
}

void TCustomLRPanel::adopt(std::unique_ptr<TCustomLRItem> item)
{
    m_items.push_back(std::move(item));
}

// Aligned bands take the edges in the order top, bottom, left, right, each kind
// in child order, and a client band takes what is left.
static void alignChildren(std::vector<std::unique_ptr<TCustomLRPanel>> &panels, QRect area)
{
    for (TLRAlign pass : {laTop, laBottom, laLeft, laRight, laClient}) {
        // Bands of one kind keep the order of their places, as a band moved
        // below another stays below it.
        std::vector<TCustomLRPanel *> kind;
        for (auto &p : panels)
            if (p->LRAlign == pass)
                kind.push_back(p.get());
        std::stable_sort(kind.begin(), kind.end(), [pass](TCustomLRPanel *a, TCustomLRPanel *b) {
            switch (pass) {
            case laTop: return a->bounds().top() < b->bounds().top();
            case laBottom: return a->bounds().bottom() > b->bounds().bottom();
            case laLeft: return a->bounds().left() < b->bounds().left();
            case laRight: return a->bounds().right() > b->bounds().right();
            default: return false;
            }
        });
        for (TCustomLRPanel *p : kind) {
            QRect r = p->bounds();
            switch (pass) {
            case laTop:
                r = QRect(area.left(), area.top(), area.width(), r.height());
                area.setTop(area.top() + r.height());
                break;
            case laBottom:
                r = QRect(area.left(), area.bottom() + 1 - r.height(), area.width(), r.height());
                area.setBottom(area.bottom() - r.height());
                break;
            case laLeft:
                r = QRect(area.left(), area.top(), r.width(), area.height());
                area.setLeft(area.left() + r.width());
                break;
            case laRight:
                r = QRect(area.right() + 1 - r.width(), area.top(), r.width(), area.height());
                area.setRight(area.right() - r.width());
                break;
            default:
                r = area;
                break;
            }
            p->setBounds(r);
        }
    }
}

void TCustomLRPanel::realign()
{
    alignChildren(m_panels, QRect(0, 0, m_bounds.width(), m_bounds.height()));
}

void TCustomLRPanel::printChildren(QPainter &painter, const QPoint &origin, TPrintStatus status, double scale)
{
    // Items print under the bands, as the bands are laid over them.
    for (auto &item : m_items)
        if (item->Enabled)
            item->PrintTo(painter, item->bounds().translated(origin), status, scale);
    for (auto &panel : m_panels)
        if (panel->Enabled)
            panel->PrintTo(painter, panel->bounds().translated(origin), scale);
}

void TCustomLRPanel::PrintTo(QPainter &painter, const QRect &rect, double scale)
{
    DrawFrameLines(painter, rect, psNormal, scale, LineTop, LineLeft, LineRight, LineBottom, LineColor);
    if (AfterPrint)
        AfterPrint(this);
}

void TLRLayoutPanel::PrintTo(QPainter &painter, const QRect &rect, double scale)
{
    TPrintStatus status = psNormal;
    if (BeforePrint)
        BeforePrint(this, rect, status);
    if (status == psEndNow)
        return;
    printChildren(painter, rect.topLeft(), status, scale);
    TCustomLRPanel::PrintTo(painter, rect, scale);
}

// ---- grid ----------------------------------------------------------------------

TLRGridPanel::TLRGridPanel(const QString &name) : TCustomLRPanel(name)
{
    auto child = std::make_unique<TLRChildPanel>(name + u"Child"_s);
    child->LRAlign = laNone;
    m_child = add(std::move(child));
}

void TLRGridPanel::SetColCount(int count)
{
    if (count == m_colCount)
        return;
    if (count <= 0 || width() / count <= 0)
        throw ELRError(u"列数が有効範囲を超えています．"_s);
    m_colCount = count;
    realign();
}

void TLRGridPanel::SetRowCount(int count)
{
    if (count == m_rowCount)
        return;
    if (count <= 0 || height() / count <= 0)
        throw ELRError(u"行数が有効範囲を超えています．"_s);
    m_rowCount = count;
    realign();
}

void TLRGridPanel::realign()
{
    if (!m_child)
        return;   // while the cell template is being made
    const int w = m_colCount > 1 ? width() / m_colCount : width();
    const int h = m_rowCount > 1 ? height() / m_rowCount : height();
    m_child->setBounds(QRect(0, 0, w, h));
}

void TLRGridPanel::PrintTo(QPainter &painter, const QRect &rect, double scale)
{
    TPrintStatus status = psNormal;
    if (BeforePrint)
        BeforePrint(this, rect, status);
    if (status == psEndNow)
        return;
    if (PrintDirection == pdVert) {
        for (int c = 0; c < m_colCount; ++c)
            for (int r = 0; r < m_rowCount; ++r)
                PrintCell(painter, rect, r, c, scale);
    } else {
        for (int r = 0; r < m_rowCount; ++r)
            for (int c = 0; c < m_colCount; ++c)
                PrintCell(painter, rect, r, c, scale);
    }
    TCustomLRPanel::PrintTo(painter, rect, scale);
}

void TLRGridPanel::PrintCell(QPainter &painter, const QRect &gridRect, int row, int col, double scale)
{
    const int cw = m_child->width();
    const int ch = m_child->height();
    const QRect cell(gridRect.left() + cw * col, gridRect.top() + ch * row, cw, ch);
    TPrintStatus status = psNormal;
    if (OnPrintPanel)
        OnPrintPanel(this, col, row, cell, status);
    if (status == psEndNow)
        return;
    if (m_child->BeforePrint)
        m_child->BeforePrint(m_child, cell, status);
    if (status == psEndNow)
        return;
    for (auto &item : m_child->items())
        if (item->Enabled)
            item->PrintTo(painter, item->bounds().translated(cell.topLeft()), status, scale);
    for (auto &panel : m_child->panels())
        if (panel->Enabled)
            panel->PrintTo(painter, panel->bounds().translated(cell.topLeft()), scale);
    DrawFrameLines(painter, cell, psNormal, scale, m_child->LineTop, m_child->LineLeft, m_child->LineRight,
                   m_child->LineBottom, m_child->LineColor);
    if (m_child->AfterPrint)
        m_child->AfterPrint(m_child);
}

// ---- page ----------------------------------------------------------------------

namespace {
struct PaperPixels
{
    int w, h;
};
PaperPixels paperPixels(TPaperSize paper)
{
    switch (paper) {
    case psB4: return {945, 1338};
    case psB5: return {688, 971};
    case psA3: return {1123, 1587};
    case psA5: return {559, 794};
    default: return {794, 1123};
    }
}
QPageSize::PageSizeId pageSizeId(TPaperSize paper)
{
    switch (paper) {
    case psB4: return QPageSize::JisB4;
    case psB5: return QPageSize::JisB5;
    case psA3: return QPageSize::A3;
    case psA5: return QPageSize::A5;
    default: return QPageSize::A4;
    }
}
} // namespace

TLightRep::TLightRep(const QString &name) : TCustomLRPanel(name)
{
    LRAlign = laNone;
    updatePageSize();
}

void TLightRep::updatePageSize()
{
    if (m_paper == psNone)
        return;
    PaperPixels p = paperPixels(m_paper);
    if (m_orientation == QPageLayout::Landscape)
        std::swap(p.w, p.h);
    setBounds(QRect(0, 0, p.w, p.h));
}

void TLightRep::SetPaperSize(TPaperSize paper)
{
    if (paper == m_paper)
        return;
    m_paper = paper;
    updatePageSize();
}

void TLightRep::SetOrientation(QPageLayout::Orientation orientation)
{
    m_orientation = orientation;
    updatePageSize();
}

void TLightRep::setMargin(int index, int value)
{
    // Every margin is held to half the page width, the top and bottom ones too:
    // a page turned to landscape keeps margins that were valid before.
    if (value == m_margins[index] || value <= 0 || value >= width() / 2.0)
        return;
    m_margins[index] = value;
    realign();
}

void TLightRep::SetMargins(int top, int left, int right, int bottom)
{
    setMargin(0, top);
    setMargin(1, left);
    setMargin(2, right);
    setMargin(3, bottom);
}

QRect TLightRep::clientRect() const
{
    return QRect(MarginLeft(), MarginTop(), width() - MarginLeft() - MarginRight(),
                 height() - MarginTop() - MarginBottom());
}

void TLightRep::realign()
{
    alignChildren(m_panels, clientRect());
}

QPageLayout TLightRep::pageLayout() const
{
    return QPageLayout(QPageSize(pageSizeId(m_paper)), m_orientation, QMarginsF(0, 0, 0, 0));
}

void TLightRep::PrintTo(QPainter &painter, int targetWidth, int pageNumber, int mode)
{
    m_printMode = mode;
    m_printScale = double(targetWidth) / width();
    m_pageNumber = pageNumber;
    painter.fillRect(QRectF(0, 0, targetWidth, height() * m_printScale), Qt::white);
    // The shift is given in millimetres of paper. A PDF page and the preview's
    // sheet both start at the paper's corner, so no printable-area offset applies.
    const double paperMm = pageLayout().fullRect(QPageLayout::Millimeter).width();
    const int dx = paperMm > 0 ? int(std::trunc(width() * ShiftX / paperMm)) : 0;
    const int dy = paperMm > 0 ? int(std::trunc(width() * ShiftY / paperMm)) : 0;
    for (auto &panel : m_panels)
        if (panel->Enabled)
            panel->PrintTo(painter, panel->bounds().translated(dx, dy), m_printScale);
    const QRect frame(MarginLeft() + dx, MarginTop() + dy, width() - MarginRight() - MarginLeft(),
                      height() - MarginBottom() - MarginTop());
    DrawFrameLines(painter, frame, psNormal, m_printScale, LineTop, LineLeft, LineRight,
                   LineBottom, LineColor);
}

void TLightRep::PrintTo(QPainter &painter, const QRect &, double)
{
    PrintTo(painter, painter.device() ? painter.device()->width() : width(), m_pageNumber, m_printMode);
}
