#include "controls/SoftStringGrid.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "controls/ColorValue.h"

TSoftStringGrid::TSoftStringGrid(QWidget *parent)
    : TSoftStringGrid(new SoftStringGridModel, parent)
{
}

TSoftStringGrid::TSoftStringGrid(SoftStringGridModel *model, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_model(model)
{
    m_model->setParent(this);
    init();
}

TSoftStringGrid::~TSoftStringGrid() = default;

void TSoftStringGrid::init()
{
    m_inplaceEditorColor = ColorValue::fromBgr(0xD3F8FF);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setSingleStep(1);
    connect(m_model, &SoftStringGridModel::cellChanged, this, &TSoftStringGrid::repaintCell);
    connect(m_model, &SoftStringGridModel::layoutChanged, this, &TSoftStringGrid::onLayoutChanged);
    connect(m_model, &SoftStringGridModel::selectionChanged, this, [this] {
        if (m_editor && m_editor->isVisible()
            && (m_model->col() != m_editCol || m_model->row() != m_editRow))
            hideEditor(true);
    });
    updateScrollBars();
}

void TSoftStringGrid::setDefaultDrawing(bool on)
{
    m_defaultDrawing = on;
    viewport()->update();
}

void TSoftStringGrid::repaintCell(int col, int row)
{
    if (m_model->stopDrawCell())
        return;
    const QRect r = m_model->cellRect(col, row);
    if (r.isValid()) {
        const int lw = m_model->gridLineWidth();
        viewport()->update(r.adjusted(-1, -1, lw + 1, lw + 1));
    }
}

void TSoftStringGrid::onLayoutChanged()
{
    updateScrollBars();
    if (m_editor && m_editor->isVisible()) {
        const QRect r = m_model->cellRect(m_editCol, m_editRow);
        if (r.isValid())
            m_editor->setGeometry(r);
        else
            hideEditor(true);
    }
    if (!m_model->stopDrawCell())
        viewport()->update();
}

void TSoftStringGrid::updateScrollBars()
{
    // The scroll bars count cells, not pixels: their value is LeftCol (TopRow).
    m_syncingScroll = true;
    QScrollBar *h = horizontalScrollBar();
    h->setRange(m_model->fixedCols(), std::max(m_model->fixedCols(), m_model->maxLeftCol()));
    h->setPageStep(std::max(1, m_model->visibleColCount()));
    h->setValue(m_model->leftCol());
    QScrollBar *v = verticalScrollBar();
    v->setRange(m_model->fixedRows(), std::max(m_model->fixedRows(), m_model->maxTopRow()));
    v->setPageStep(std::max(1, m_model->visibleRowCount()));
    v->setValue(m_model->topRow());
    m_syncingScroll = false;
}

void TSoftStringGrid::scrollContentsBy(int, int)
{
    if (m_syncingScroll)
        return;
    m_model->setLeftCol(horizontalScrollBar()->value());
    m_model->setTopRow(verticalScrollBar()->value());
}

void TSoftStringGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_model->setClientSize(viewport()->width(), viewport()->height());
    updateScrollBars();
}

// --- painting --------------------------------------------------------------------------

void TSoftStringGrid::paintEvent(QPaintEvent *event)
{
    if (m_model->stopDrawCell())
        return;
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    const SoftStringGridModel &m = *m_model;
    const int lw = m.gridLineWidth();
    const bool focus = hasFocus() || (m_editor && m_editor->hasFocus());

    auto paintRow = [&](int row) {
        const int y = m.rowY(row);
        if (y < 0 || y > dirty.bottom() || y + m.rowHeight(row) + lw < dirty.top())
            return;
        auto paintCol = [&](int col) {
            const int x = m.colX(col);
            if (x > dirty.right() || x + m.colWidth(col) + lw < dirty.left())
                return false;
            const QRect rect(x, y, m.colWidth(col), m.rowHeight(row));
            paintCell(painter, col, row, rect, m.drawState(col, row, focus));
            return true;
        };
        for (int c = 0; c < m.fixedCols(); ++c)
            paintCol(c);
        for (int c = m.leftCol(); c < m.colCount(); ++c) {
            if (m.colX(c) > viewport()->width())
                break;
            paintCol(c);
        }
    };
    for (int r = 0; r < m.fixedRows(); ++r)
        paintRow(r);
    for (int r = m.topRow(); r < m.rowCount(); ++r) {
        if (m.rowY(r) > viewport()->height())
            break;
        paintRow(r);
    }
    cellsPainted(painter);

    // The part of the window the grid does not cover.
    int gridRight = m.fixedWidth(), gridBottom = m.fixedHeight();
    for (int c = m.leftCol(); c < m.colCount() && gridRight <= viewport()->width(); ++c)
        gridRight += m.colWidth(c) + lw;
    for (int r = m.topRow(); r < m.rowCount() && gridBottom <= viewport()->height(); ++r)
        gridBottom += m.rowHeight(r) + lw;
    const QColor back = m.color();
    if (gridRight < viewport()->width())
        painter.fillRect(QRect(gridRight, 0, viewport()->width() - gridRight, viewport()->height()) & dirty, back);
    if (gridBottom < viewport()->height())
        painter.fillRect(QRect(0, gridBottom, std::min(gridRight, viewport()->width()),
                               viewport()->height() - gridBottom)
                             & dirty,
                         back);

    if (m.sizingState() != GridSizingState::None) {
        QPen pen(Qt::black, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const int pos = m.sizingLinePos();
        if (m.sizingState() == GridSizingState::Col)
            painter.drawLine(pos, 0, pos, viewport()->height());
        else
            painter.drawLine(0, pos, viewport()->width(), pos);
    }
}

void TSoftStringGrid::paintCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state)
{
    painter.save();
    // The clip takes in the cell's grid lines: some header styles paint over them.
    const int lw = m_model->gridLineWidth();
    painter.setClipRect(rect.adjusted(0, 0, lw, lw));
    drawGridLines(painter, col, row, rect);
    drawCell(painter, col, row, rect, state);
    painter.restore();
}

void TSoftStringGrid::drawGridLines(QPainter &painter, int col, int row, const QRect &rect)
{
    const int lw = m_model->gridLineWidth();
    if (lw <= 0)
        return;
    const GridOptions o = m_model->options();
    const bool fixed = m_model->isFixed(col, row);
    const bool vert = fixed ? o.testFlag(GridOption::FixedVertLine) : o.testFlag(GridOption::VertLine);
    const bool horz = fixed ? o.testFlag(GridOption::FixedHorzLine) : o.testFlag(GridOption::HorzLine);
    const QColor lineColor = fixed ? QColor(Qt::black) : QColor(0xC0, 0xC0, 0xC0);
    const QColor back = m_model->color();
    painter.fillRect(QRect(rect.right() + 1, rect.top(), lw, rect.height() + lw), vert ? lineColor : back);
    painter.fillRect(QRect(rect.left(), rect.bottom() + 1, rect.width() + lw, lw), horz ? lineColor : back);
}

void TSoftStringGrid::drawCell(QPainter &painter, int col, int row, const QRect &rect, GridDrawState state)
{
    if (m_defaultDrawing) {
        QColor brush = m_model->color();
        QColor text = palette().color(QPalette::Text);
        const bool showSelected = state.testFlag(GridDrawFlag::Selected)
                                  && (!state.testFlag(GridDrawFlag::Focused)
                                      || m_model->options().testFlag(GridOption::DrawFocusSelected));
        if (state.testFlag(GridDrawFlag::Fixed)) {
            brush = m_model->fixedColor();
        } else if (showSelected) {
            brush = palette().color(QPalette::Highlight);
            text = palette().color(QPalette::HighlightedText);
        }
        painter.fillRect(rect, brush);
        painter.setPen(text);
        painter.drawText(rect.adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         m_model->cells(col, row));
        if (state.testFlag(GridDrawFlag::Focused)) {
            QPen pen(text, 1, Qt::DotLine);
            painter.setPen(pen);
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
        }
    }
    if (onDrawCell)
        onDrawCell(painter, col, row, rect, state);
}

// --- mouse -----------------------------------------------------------------------------

QRect TSoftStringGrid::sizingLineRect(int pos) const
{
    if (m_model->sizingState() == GridSizingState::Col)
        return QRect(pos - 1, 0, 3, viewport()->height());
    return QRect(0, pos - 1, viewport()->width(), 3);
}

void TSoftStringGrid::mousePressEvent(QMouseEvent *event)
{
    // A grid that cannot become the focus (a refused focus change elsewhere)
    // ignores the press, as the user's first action must not be lost silently.
    if (focusPolicy() != Qt::NoFocus) {
        if (m_editor && m_editor->isVisible())
            hideEditor(true);
        setFocus(Qt::MouseFocusReason);
        if (!hasFocus() && QApplication::focusWidget() && !isAncestorOf(QApplication::focusWidget()))
            return;
    }
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        m_model->mousePress(p.x(), p.y(), event->modifiers());
        if (m_model->sizingState() != GridSizingState::None) {
            m_lastSizingPos = m_model->sizingLinePos();
            viewport()->update(sizingLineRect(m_lastSizingPos));
        }
    }
    event->accept();
}

void TSoftStringGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (event->buttons() & Qt::LeftButton) {
        m_model->mouseDrag(p.x(), p.y());
        if (m_model->sizingState() != GridSizingState::None) {
            viewport()->update(sizingLineRect(m_lastSizingPos));
            m_lastSizingPos = m_model->sizingLinePos();
            viewport()->update(sizingLineRect(m_lastSizingPos));
        }
    } else if (event->buttons() == Qt::NoButton && event->modifiers() == Qt::NoModifier) {
        viewport()->setCursor(m_model->cursorAt(p.x(), p.y()));
    }
}

void TSoftStringGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const bool sizing = m_model->sizingState() != GridSizingState::None;
    m_model->mouseRelease(p.x(), p.y());
    if (sizing)
        viewport()->update();
}

void TSoftStringGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_model->colAt(p.x()) == m_model->col()
        && m_model->rowAt(p.y()) == m_model->row())
        showEditor();
}

void TSoftStringGrid::wheelEvent(QWheelEvent *event)
{
    const int dy = event->angleDelta().y();
    if (dy != 0)
        m_model->wheel(dy < 0);
    event->accept();
}

void TSoftStringGrid::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TSoftStringGrid::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

bool TSoftStringGrid::focusNextPrevChild(bool next)
{
    // With the Tab option, Tab moves between cells instead of leaving the grid.
    if (m_model->options().testFlag(GridOption::Tabs) && m_model->hasDataSelection())
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

// --- keys and the in-place editor -----------------------------------------------------------

void TSoftStringGrid::keyPressEvent(QKeyEvent *event)
{
    if (m_model->keyPress(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F2 && showEditor(QString(), false)) {
        event->accept();
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier)
        && editingAllowed() && m_model->hasDataSelection()) {
        if (!acceptsEditorChar(text.at(0)))
            QApplication::beep();
        else
            showEditor(text, false);
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool TSoftStringGrid::editingAllowed() const
{
    return m_model->options().testFlag(GridOption::Editing);
}

bool TSoftStringGrid::acceptsEditorChar(QChar) const
{
    return true;
}

bool TSoftStringGrid::isEditorOpen() const
{
    return m_editor && m_editor->isVisible();
}

bool TSoftStringGrid::showEditor(const QString &initialText, bool selectAll)
{
    if (!editingAllowed() || !m_model->hasDataSelection())
        return false;
    const QRect r = m_model->cellRect(m_model->col(), m_model->row());
    if (!r.isValid())
        return false;
    if (!m_editor) {
        m_editor = new QLineEdit(viewport());
        m_editor->setFrame(false);
        m_editor->installEventFilter(this);
        connect(m_editor, &QLineEdit::textChanged, this, [this] {
            QPalette pal = m_editor->palette();
            if (pal.color(QPalette::Base) != m_inplaceEditorColor) {
                pal.setColor(QPalette::Base, m_inplaceEditorColor);
                m_editor->setPalette(pal);
            }
        });
    }
    m_editCol = m_model->col();
    m_editRow = m_model->row();
    QPalette pal = m_editor->palette();
    pal.setColor(QPalette::Base, m_inplaceEditorColor);
    m_editor->setPalette(pal);
    m_editor->setFont(font());
    m_editor->setAttribute(Qt::WA_InputMethodEnabled, editorTakesInputMethod());
    m_editor->setGeometry(r);
    m_editor->setText(initialText.isEmpty() ? m_model->cells(m_editCol, m_editRow) : initialText);
    if (selectAll)
        m_editor->selectAll();
    else
        m_editor->end(false);
    m_editor->show();
    m_editor->setFocus();
    return true;
}

void TSoftStringGrid::hideEditor(bool commit)
{
    if (!m_editor || !m_editor->isVisible())
        return;
    const int col = m_editCol, row = m_editRow;
    const QString text = m_editor->text();
    // Closed from its own keys the editor hands the focus back to the grid;
    // closed because the user went elsewhere, the focus stays where it went.
    const bool hadFocus = m_editor->hasFocus();
    m_editor->hide();
    m_editCol = m_editRow = -1;
    if (hadFocus)
        setFocus();
    if (commit && text != m_model->cells(col, row)) {
        m_model->setCells(col, row, text);
        if (onSetEditText)
            onSetEditText(col, row, text);
    }
}

bool TSoftStringGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter: hideEditor(true); return true;
            case Qt::Key_Escape: hideEditor(false); return true;
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                hideEditor(true);
                keyPressEvent(key);
                return true;
            default: break;
            }
            const QString text = key->text();
            if (!text.isEmpty() && text.at(0).isPrint() && !acceptsEditorChar(text.at(0))) {
                QApplication::beep();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            if (m_editor->isVisible() && !m_editor->hasFocus())
                hideEditor(true);
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}
