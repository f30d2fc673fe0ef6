#include "controls/MyDBGrid.h"

#include <algorithm>
#include <optional>

#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

#include "controls/CellText.h"
#include "controls/ColorValue.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/InputMethod.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"

namespace {

// Indicator images, 6 × 11, black on transparent: arrow, edit, insert, dot, multi-arrow.
const char *const kIndicatorRows[5][11] = {
    {"#.....", "##....", "###...", "####..", "#####.", "######", "#####.", "####..", "###...", "##....", "#....."},
    {"##..##", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..", "##..##"},
    {"......", "......", "......", ".#..#.", "..##..", "######", "..##..", ".#..#.", "......", "......", "......"},
    {"......", "......", "......", "..##..", ".####.", ".####.", ".####.", "..##..", "......", "......", "......"},
    {"#.....", "##....", ".##...", "..##..", "##.##.", "##..##", "##.##.", "..##..", ".##...", "##....", "#....."},
};

const QImage &indicatorPixmap(int index)
{
    static const QList<QImage> images = [] {
        QList<QImage> list;
        for (const auto &rows : kIndicatorRows) {
            QImage img(6, 11, QImage::Format_ARGB32);
            img.fill(Qt::transparent);
            for (int y = 0; y < 11; ++y)
                for (int x = 0; x < 6; ++x)
                    if (rows[y][x] == '#')
                        img.setPixelColor(x, y, Qt::black);
            list << img;
        }
        return list;
    }();
    return images.at(index);
}

void verticalGradient(QPainter *painter, const QRect &rect, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    painter->fillRect(rect, g);
}

class MyDBGridHeader : public QHeaderView
{
public:
    MyDBGridHeader(Qt::Orientation orientation, TMyDBGrid *grid)
        : QHeaderView(orientation, grid)
        , m_grid(grid)
    {
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        painter->save();
        if (orientation() == Qt::Horizontal)
            m_grid->paintTitle(painter, rect, logicalIndex);
        else
            m_grid->paintIndicator(painter, rect, logicalIndex);
        painter->restore();
    }

private:
    TMyDBGrid *m_grid;
};

class MyDBGridDelegate : public QStyledItemDelegate
{
public:
    explicit MyDBGridDelegate(TMyDBGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        m_grid->paintDataCell(painter, option.rect, index);
        painter->restore();
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        return m_grid->createCellEditor(parent, index);
    }

private:
    TMyDBGrid *m_grid;
};

bool isTextField(const Field *field)
{
    return field && (field->dataType() == FieldType::String || field->dataType() == FieldType::Memo);
}

} // namespace

TMyDBGrid::TMyDBGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new DataSetModel(this))
{
    m_fixedColor = ColorValue::fromBgr(0xE7B896);
    m_activeFixedColor = ColorValue::fromBgr(0x76C0FE);
    m_selectedColor = ColorValue::fromBgr(0xFFE9BB);
    m_activeSelectedColor = ColorValue::fromBgr(0xFFF46A);
    m_bookMarkColor = ColorValue::fromBgr(0xD9F3D6);
    m_editColor = ColorValue::fromBgr(0xD3F8FF);
    m_highLightColor = QColor(Qt::white);

    setHorizontalHeader(new MyDBGridHeader(Qt::Horizontal, this));
    setVerticalHeader(new MyDBGridHeader(Qt::Vertical, this));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(12);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    setItemDelegate(new MyDBGridDelegate(this));
    // The multi-row selection is the grid's own (rows picked by Shift and Ctrl);
    // the view's selection model only carries the current cell.
    setSelectionMode(QAbstractItemView::NoSelection);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setModel(m_model);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);

    connect(m_model, &QAbstractItemModel::modelReset, this, &TMyDBGrid::onModelReset);
    connect(m_model, &DataSetModel::currentRowChanged, this, &TMyDBGrid::onCurrentRowChanged);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (logical >= 0 && logical < m_columns.size())
            m_columns[logical].width = size;
        if (onColWidthsChanged)
            onColWidthsChanged();
    });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int logical) {
        if (onTitleClick)
            onTitleClick(logical);
    });
    setOptions(DBGridOption::dgEditing | DBGridOption::dgTitles | DBGridOption::dgIndicator
               | DBGridOption::dgColumnResize | DBGridOption::dgColLines | DBGridOption::dgRowLines
               | DBGridOption::dgTabs | DBGridOption::dgConfirmDelete | DBGridOption::dgCancelOnExit);
}

TMyDBGrid::~TMyDBGrid() = default;

// --- data link ----------------------------------------------------------------------------

DataSet *TMyDBGrid::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

void TMyDBGrid::setDataSource(DataSource *source)
{
    m_source = source;
    m_model->setDataSource(source);
    applyColumns();
}

void TMyDBGrid::setColumns(const QList<TMyDBGridColumn> &columns)
{
    m_columns = columns;
    applyColumns();
}

void TMyDBGrid::applyColumns()
{
    QStringList names;
    for (const TMyDBGridColumn &c : std::as_const(m_columns))
        names << c.fieldName;
    m_model->setColumns(names); // resets the model, which applies widths and visibility
}

void TMyDBGrid::onModelReset()
{
    for (int i = 0; i < m_model->columnCount(); ++i) {
        if (i < m_columns.size()) {
            setColumnHidden(i, !m_columns[i].visible);
            setColumnWidth(i, m_columns[i].width);
        } else {
            setColumnHidden(i, false);
            setColumnWidth(i, 64);
        }
    }
    // Rows may have come, gone or moved: a selection by row number would point
    // at other records now.
    if (!m_selected.isEmpty()) {
        m_selected.clear();
        fireSelectionChanged();
    }
    onCurrentRowChanged(m_model->currentRow());
}

void TMyDBGrid::onCurrentRowChanged(int row)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (row >= 0 && row < m_model->rowCount()) {
        // A move that dropped rows (a blank new line left) resets the model and
        // the view's cursor with it: the column moved to is the one clicked.
        const int col = m_movingToColumn >= 0 ? m_movingToColumn : std::max(currentIndex().column(), 0);
        if (currentIndex().row() != row)
            setCurrentIndex(m_model->index(row, std::min(col, std::max(0, m_model->columnCount() - 1))));
    }
    m_syncing = false;
    verticalHeader()->viewport()->update();
    viewport()->update();
}

void TMyDBGrid::commitData(QWidget *editor)
{
    // While the refusal's message is up the editor loses its focus, which
    // would commit the same text again.
    if (m_refusing)
        return;
    m_refusedEditor = nullptr;
    QTableView::commitData(editor);
    const QString error = m_model->lastError();
    if (error.isEmpty())
        return;
    m_refusedEditor = editor;
    m_refusing = true;
    struct Done
    {
        bool &flag;
        ~Done() { flag = false; }
    } done{m_refusing};
    MessageDlg(error, MsgDlgType::Error, mbOK);
}

void TMyDBGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (m_refusing)
        return;
    if (editor && editor == m_refusedEditor) {
        // The refused text stays for the user to correct.
        QTimer::singleShot(0, this, [this] { returnToRefusedEditor(); });
        return;
    }
    QTableView::closeEditor(editor, hint);
}

void TMyDBGrid::returnToRefusedEditor()
{
    QWidget *editor = m_refusedEditor;
    if (!editor || state() != QAbstractItemView::EditingState)
        return;
    const QModelIndex index = indexAt(editor->geometry().center());
    if (index.isValid() && index != currentIndex()) {
        m_syncing = true;
        setCurrentIndex(index);
        m_syncing = false;
    }
    editor->setFocus();
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->selectAll();
}

void TMyDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_refusedEditor && !m_syncing) {
        // Leaving a refused cell: the cursor stays with the text to correct.
        m_syncing = true;
        setCurrentIndex(previous);
        m_syncing = false;
        QTimer::singleShot(0, this, [this] { returnToRefusedEditor(); });
        return;
    }
    DataSet *ds = dataSet();
    if (!m_syncing && ds && ds->isActive() && current.isValid() && current.row() != previous.row()
        && ds->recNo() != current.row() + 1) {
        // A refused move (a pending edit that does not post, a scroll event that
        // says no) keeps the view on the record the data set stayed on; a silent
        // refusal ends there, any other error goes on to the standard error box.
        auto stay = [&] {
            m_syncing = true;
            setCurrentIndex(previous);
            m_syncing = false;
        };
        m_movingToColumn = current.column();
        struct Moved
        {
            int &column;
            ~Moved() { column = -1; }
        } moved{m_movingToColumn};
        try {
            ds->setRecNo(current.row() + 1);
        } catch (const EAbort &) {
            stay();
        } catch (...) {
            stay();
            throw;
        }
    }
    if (current.column() != previous.column())
        colEnter(current.column());
    verticalHeader()->viewport()->update();
    horizontalHeader()->viewport()->update();
    viewport()->update();
}

void TMyDBGrid::colEnter(int column)
{
    if (m_imeAuto) {
        // Text columns take Japanese input; codes, amounts and dates take plain keys.
        setInputMethodOpen(isTextField(columnField(column)));
    } else if (column >= 0 && column < m_columns.size() && m_columns[column].ime != ColumnIme::Keep) {
        setInputMethodOpen(m_columns[column].ime == ColumnIme::Open);
    }
    if (onColEnter)
        onColEnter(column);
}

bool TMyDBGrid::inputMethodOpen() const
{
    return IsInputMethodOpen(m_editor ? m_editor.data() : this);
}

void TMyDBGrid::setInputMethodOpen(bool open)
{
    for (QWidget *w : {static_cast<QWidget *>(this), m_editor.data()}) {
        if (!w)
            continue;
        if (open)
            SetInputMethodOn(w);
        else
            SetInputMethodOff(w);
    }
}

bool TMyDBGrid::inputMethodKey(QKeyEvent *event)
{
    if (!IsInputMethodToggleKey(event->key()))
        return false;
    // No input method framework took the key: it switches the editor's
    // Japanese input itself, as the keyboard's own key would.
    setInputMethodOpen(!inputMethodOpen());
    if (onInputMethodKey)
        onInputMethodKey();
    return true;
}

void TMyDBGrid::inputMethodEvent(QInputMethodEvent *event)
{
    QTableView::inputMethodEvent(event);
    if (onInputMethodKey)
        onInputMethodKey();
}

bool TMyDBGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress && inputMethodKey(static_cast<QKeyEvent *>(event)))
            return true;
        // Text composed through the input method: it was open while typing.
        if (event->type() == QEvent::InputMethod && onInputMethodKey) {
            const bool result = QTableView::eventFilter(watched, event);
            onInputMethodKey();
            return result;
        }
    }
    return QTableView::eventFilter(watched, event);
}

// --- columns ------------------------------------------------------------------------------

int TMyDBGrid::columnCount() const
{
    return m_model->columnCount();
}

TMyDBGridColumn TMyDBGrid::column(int index) const
{
    if (index >= 0 && index < m_columns.size())
        return m_columns[index];
    TMyDBGridColumn c;
    if (Field *f = m_model->fieldAt(index))
        c.fieldName = f->fieldName();
    return c;
}

void TMyDBGrid::setColumn(int index, const TMyDBGridColumn &column)
{
    if (index < 0 || index >= m_columns.size())
        return;
    const bool fieldChanged = m_columns[index].fieldName != column.fieldName;
    m_columns[index] = column;
    if (fieldChanged) {
        applyColumns();
    } else {
        setColumnHidden(index, !column.visible);
        setColumnWidth(index, column.width);
        viewport()->update();
        horizontalHeader()->viewport()->update();
    }
}

Field *TMyDBGrid::columnField(int index) const
{
    return m_model->fieldAt(index);
}

void TMyDBGrid::moveColumn(int fromIndex, int toIndex)
{
    if (fromIndex < 0 || toIndex < 0 || fromIndex >= m_columns.size() || toIndex >= m_columns.size()
        || fromIndex == toIndex)
        return;
    m_columns.move(fromIndex, toIndex);
    applyColumns();
}

void TMyDBGrid::setOptions(DBGridOptions options)
{
    m_options = options;
    horizontalHeader()->setVisible(options.testFlag(DBGridOption::dgTitles));
    verticalHeader()->setVisible(options.testFlag(DBGridOption::dgIndicator));
    setShowGrid(options.testFlag(DBGridOption::dgColLines) || options.testFlag(DBGridOption::dgRowLines));
    horizontalHeader()->setSectionResizeMode(options.testFlag(DBGridOption::dgColumnResize) ? QHeaderView::Interactive
                                                                                           : QHeaderView::Fixed);
    setTabKeyNavigation(options.testFlag(DBGridOption::dgTabs));
    viewport()->update();
}

bool TMyDBGrid::isCellReadOnly(int row, int column) const
{
    if (m_readOnly || !m_options.testFlag(DBGridOption::dgEditing))
        return true;
    if (column >= 0 && column < m_columns.size() && m_columns[column].readOnly)
        return true;
    if (!(m_model->flags(m_model->index(row, column)) & Qt::ItemIsEditable))
        return true;
    return readOnlyRow && readOnlyRow(row);
}

bool TMyDBGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (index.isValid() && trigger != QAbstractItemView::NoEditTriggers && trigger != CurrentChanged
        && isCellReadOnly(index.row(), index.column()))
        return false;
    return QTableView::edit(index, trigger, event);
}

QWidget *TMyDBGrid::createCellEditor(QWidget *parent, const QModelIndex &index)
{
    QWidget *editor = nullptr;
    const TMyDBGridColumn col = column(index.column());
    if (!col.pickList.isEmpty()) {
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->addItems(col.pickList);
        editor = combo;
    } else {
        auto *line = new QLineEdit(parent);
        line->setFrame(false);
        Field *f = columnField(index.column());
        if (f && f->dataType() == FieldType::String && f->size() > 0)
            line->setMaxLength(f->size());
        // Every cell is one line; a memo field is edited elsewhere.
        if (!f || f->dataType() != FieldType::Memo)
            KeepOneLine(line);
        editor = line;
    }
    QPalette pal = editor->palette();
    pal.setColor(QPalette::Base, m_editColor);
    editor->setPalette(pal);
    editor->setAutoFillBackground(true);
    editor->setAttribute(Qt::WA_InputMethodEnabled, testAttribute(Qt::WA_InputMethodEnabled));
    editor->setInputMethodHints(inputMethodHints());
    m_editor = editor;
    editor->installEventFilter(this);
    return editor;
}

// --- colours --------------------------------------------------------------------------------

void TMyDBGrid::setFixedColor(const QColor &color)
{
    m_fixedColor = color;
    update();
}

void TMyDBGrid::setActiveFixedColor(const QColor &color)
{
    m_activeFixedColor = color;
    update();
}

void TMyDBGrid::setFixedLuminance(int amount)
{
    m_fixedLuminance = amount;
    update();
}

void TMyDBGrid::setSelectedColor(const QColor &color)
{
    m_selectedColor = color;
    viewport()->update();
}

void TMyDBGrid::setActiveSelectedColor(const QColor &color)
{
    m_activeSelectedColor = color;
    viewport()->update();
}

void TMyDBGrid::setBookMarkColor(const QColor &color)
{
    m_bookMarkColor = color;
    viewport()->update();
}

void TMyDBGrid::setHighLightColor(const QColor &color)
{
    m_highLightColor = color;
    viewport()->update();
}

// --- multi-row selection ----------------------------------------------------------------------

void TMyDBGrid::setMultiSelectMode(bool on)
{
    if (on)
        m_options |= DBGridOption::dgMultiSelect;
    else
        m_options &= ~DBGridOptions(DBGridOption::dgMultiSelect);
    viewport()->update();
    verticalHeader()->viewport()->update();
}

void TMyDBGrid::fireSelectionChanged()
{
    viewport()->update();
    verticalHeader()->viewport()->update();
    if (onSelectionChanged)
        onSelectionChanged(selectedCount());
}

void TMyDBGrid::setSelectedRows(const QList<int> &rows)
{
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    m_selected = sorted;
}

void TMyDBGrid::selectAll()
{
    // Every row of the data set: the model serves all of them, so "all" means all.
    QList<int> rows;
    for (int r = 0; r < m_model->rowCount(); ++r)
        rows << r;
    setSelectedRows(rows);
    fireSelectionChanged();
}

void TMyDBGrid::clearSelection()
{
    if (m_selected.isEmpty())
        return;
    m_selected.clear();
    fireSelectionChanged();
}

void TMyDBGrid::selectRange(int fromRow, bool keep)
{
    const int current = m_model->currentRow();
    if (current < 0 || fromRow < 0)
        return;
    QList<int> rows = keep ? m_selected : QList<int>();
    for (int r = std::min(fromRow, current); r <= std::max(fromRow, current); ++r)
        rows << r;
    setSelectedRows(rows);
    fireSelectionChanged();
}

void TMyDBGrid::toggleRowSelected(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    if (m_selected.contains(row))
        m_selected.removeAll(row);
    else
        setSelectedRows(m_selected + QList<int>{row});
    fireSelectionChanged();
}

QList<Bookmark> TMyDBGrid::selectedBookmarks()
{
    QList<Bookmark> marks;
    DataSet *ds = dataSet();
    if (!ds || !ds->isActive() || m_selected.isEmpty())
        return marks;
    struct Controls
    {
        DataSet *ds;
        ~Controls() { ds->enableControls(); }
    };
    ds->disableControls();
    Controls guard{ds};
    const Bookmark saved = ds->bookmark();
    for (int row : std::as_const(m_selected)) {
        ds->setRecNo(row + 1);
        if (ds->recNo() == row + 1)
            marks << ds->bookmark();
    }
    ds->gotoBookmark(saved);
    return marks;
}

// --- input ----------------------------------------------------------------------------------

void TMyDBGrid::mousePressEvent(QMouseEvent *event)
{
    m_countAtPress = selectedCount();
    DataSet *ds = dataSet();
    if (!ds || !ds->isActive() || event->button() != Qt::LeftButton) {
        QTableView::mousePressEvent(event);
        return;
    }
    const int fieldColBefore = currentIndex().column();
    const int fromRow = m_model->currentRow();
    const bool multi = getMultiSelectMode();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (multi && !ctrl)
        m_selected.clear(); // a plain press starts afresh; the release reports it
    QTableView::mousePressEvent(event);
    if (multi && ctrl && hit.isValid()) {
        toggleRowSelected(hit.row());
        m_countAtPress = selectedCount(); // reported already
    }
    if (multi && shift && !ctrl && hit.isValid())
        selectRange(fromRow, false);
    if (currentIndex().column() != fieldColBefore)
        viewport()->update();
}

void TMyDBGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    if (selectedCount() != m_countAtPress)
        fireSelectionChanged();
}

void TMyDBGrid::keyPressEvent(QKeyEvent *event)
{
    if (inputMethodKey(event)) {
        event->accept();
        return;
    }
    DataSet *ds = dataSet();
    if (event->key() == Qt::Key_Shift || !ds || !ds->isActive()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const bool upDown = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
    const QList<int> before = m_selected;
    const int fromRow = m_model->currentRow();
    const int fieldColBefore = currentIndex().column();
    QTableView::keyPressEvent(event);
    if ((event->modifiers() & Qt::ShiftModifier) && m_model->currentRow() != fromRow && fromRow >= 0)
        selectRange(fromRow, true);
    if (upDown && getMultiSelectMode() && m_selected != before && onSelectionChanged)
        onSelectionChanged(selectedCount());
    if (currentIndex().column() != fieldColBefore)
        viewport()->update();
}

void TMyDBGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    if (onTopLeftChanged)
        onTopLeftChanged();
}

// --- geometry --------------------------------------------------------------------------------

QRect TMyDBGrid::getCellRect(int column, int row) const
{
    return visualRect(m_model->index(row, column));
}

int TMyDBGrid::indicatorWidth() const
{
    return verticalHeader()->isVisible() ? verticalHeader()->width() : 0;
}

int TMyDBGrid::titleHeight() const
{
    return horizontalHeader()->isVisible() ? horizontalHeader()->height() : 0;
}

int TMyDBGrid::visibleRowCount() const
{
    const int h = verticalHeader()->defaultSectionSize();
    return h > 0 ? viewport()->height() / h : 0;
}

int TMyDBGrid::row() const
{
    return currentIndex().row();
}

int TMyDBGrid::leftCol() const
{
    return columnAt(0);
}

// --- painting --------------------------------------------------------------------------------

int TMyDBGrid::indicatorImage(int row) const
{
    DataSet *ds = dataSet();
    if (!ds || !ds->isActive())
        return -1;
    const bool current = row == m_model->currentRow();
    const bool multi = getMultiSelectMode() && m_selected.contains(row);
    if (!current && !multi)
        return -1;
    if (current && ds->state() == DataSetState::Edit)
        return 1;
    if (current && ds->state() == DataSetState::Insert)
        return 2;
    if (multi)
        return current ? 4 : 3;
    return 0;
}

void TMyDBGrid::paintIndicator(QPainter *painter, const QRect &rect, int row)
{
    const QColor base = row == m_model->currentRow() ? m_activeFixedColor : m_fixedColor;
    verticalGradient(painter, rect, ColorValue::adjustLuma(base, m_fixedLuminance), base);
    const int image = indicatorImage(row);
    if (image < 0)
        return;
    const QImage &img = indicatorPixmap(image);
    int x = rect.right() + 1 - img.width() - 1;
    if (layoutDirection() != Qt::RightToLeft)
        --x;
    if (!m_options.testFlag(DBGridOption::dgColLines))
        --x;
    int y = (rect.top() + rect.bottom() + 1 - img.height()) / 2;
    if (m_options.testFlag(DBGridOption::dgRowLines))
        ++y;
    painter->drawImage(x, y, img);
}

void TMyDBGrid::paintTitle(QPainter *painter, const QRect &rect, int column)
{
    const TMyDBGridColumn col = this->column(column);
    QColor base = col.titleColor.isValid() ? col.titleColor : m_fixedColor;
    if (column == currentIndex().column() && !m_options.testFlag(DBGridOption::dgRowSelect))
        base = m_activeFixedColor;
    verticalGradient(painter, rect, ColorValue::adjustLuma(base, m_fixedLuminance), base);
    painter->setPen(QColor(0xC0, 0xC0, 0xC0));
    painter->drawLine(rect.left(), rect.top() + 1, rect.left(), rect.bottom() - 1);
    QString caption = col.caption;
    if (caption.isEmpty())
        caption = m_model->headerData(column, Qt::Horizontal).toString();
    painter->setPen(palette().color(QPalette::WindowText));
    QFont titleFont = horizontalHeader()->font();
    if (column >= 0 && column < m_columns.size() && m_columns[column].titleBold)
        titleFont.setBold(true);
    painter->setFont(titleFont);
    painter->drawText(rect.adjusted(2, 2, -2, -2),
                      int(col.titleAlignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine,
                      caption);
}

void TMyDBGrid::paintDataCell(QPainter *painter, const QRect &rect, const QModelIndex &index)
{
    DataSet *ds = dataSet();
    if (!ds || !ds->isActive()) {
        painter->fillRect(rect, palette().color(QPalette::Base));
        return;
    }
    const int row = index.row();
    // Owners' handlers read the fields; they must see the painted row, not the
    // current record.
    QVector<QVariant> values;
    std::optional<DataSet::RecordScope> scope;
    if (ds->recNo() != row + 1 || ds->isEmpty()) {
        const int fetchNo = ds->state() == DataSetState::Insert && row + 1 > ds->recNo() ? row : row + 1;
        if (ds->fetchRecord(fetchNo, values))
            scope.emplace(*ds, &values);
    }
    m_paintRow = row;
    m_paintScoped = scope.has_value();

    const QModelIndex current = currentIndex();
    const bool isCurrent = current.isValid() && row == current.row()
                           && (m_options.testFlag(DBGridOption::dgRowSelect) || index.column() == current.column());
    const bool focus = hasFocus();
    GridDrawState state;
    QColor brush;
    if (isCurrent && (m_options.testFlag(DBGridOption::dgAlwaysShowSelection) || focus)) {
        state |= GridDrawFlag::Selected;
        if (focus)
            state |= GridDrawFlag::Focused;
        brush = focus ? m_activeSelectedColor : m_selectedColor;
    } else if (getMultiSelectMode() && m_selected.contains(row)) {
        brush = m_bookMarkColor;
    } else {
        const TMyDBGridColumn col = column(index.column());
        brush = col.color.isValid() ? col.color : palette().color(QPalette::Base);
    }
    painter->setBrush(brush);
    painter->setPen(isEnabled() ? palette().color(QPalette::Text) : palette().color(QPalette::Disabled, QPalette::Text));
    painter->setFont(font());
    if (m_defaultDrawing)
        drawColumnCellText(*painter, rect, index.column(), index.column(), state, 55);
    if (onDrawColumnCell)
        onDrawColumnCell(*painter, rect, index.column(), index.column(), state);
    m_paintRow = -1;
    m_paintScoped = false;
}

void TMyDBGrid::drawColumnCellText(QPainter &painter, const QRect &rect, int dataCol, int column,
                                   GridDrawState state, int amount)
{
    // While another row's values are lent to the fields, the data set reads as
    // browsing and the model would look the row up again by a number that does
    // not count a line being inserted: the field itself holds the painted text.
    QString shown;
    Field *painted = m_paintScoped ? m_model->fieldAt(dataCol) : nullptr;
    if (painted) {
        try {
            shown = painted->displayText();
        } catch (const std::exception &) {
            // A value that cannot be formatted paints as an empty cell, as the model shows it.
        }
    } else {
        shown = m_model->data(m_model->index(m_paintRow, dataCol)).toString();
    }
    const QColor brush = painter.brush().color();
    if (state.testFlag(GridDrawFlag::Selected)) {
        QLinearGradient g(rect.topLeft(), rect.bottomLeft());
        g.setColorAt(0, ColorValue::adjustLuma(brush, amount));
        g.setColorAt(1, brush);
        painter.fillRect(rect, g);
    } else {
        painter.fillRect(rect, brush);
    }
    Qt::Alignment align = this->column(column).alignment;
    if (!(align & Qt::AlignHorizontal_Mask))
        align = Qt::Alignment(m_model->data(m_model->index(m_paintRow, dataCol), Qt::TextAlignmentRole).toInt());
    const QFontMetrics fm(painter.font());
    QString text = shown;
    if (Field *f = m_model->fieldAt(dataCol);
        f && (f->dataType() == FieldType::Currency || f->dataType() == FieldType::Float))
        text = FitAmountText(shown, rect.width() - 5, [&fm](const QString &t) { return fm.horizontalAdvance(t); });
    const int w = fm.horizontalAdvance(text);
    int x = rect.left() + 2;
    if (align & Qt::AlignRight)
        x = rect.right() + 1 - 3 - w;
    else if (align & Qt::AlignHCenter)
        x = rect.left() + rect.width() / 2 - w / 2;
    painter.save();
    painter.setClipRect(rect);
    painter.drawText(QPoint(x, rect.top() + 2 + fm.ascent()), text);
    painter.restore();
}
