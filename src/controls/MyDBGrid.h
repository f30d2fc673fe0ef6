#pragma once

#include <functional>

#include <QColor>
#include <QFlags>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTableView>

#include "controls/SoftStringGridModel.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"

class DataSetModel;
class Field;

// Options of the data grid, as the forms set them.
enum class DBGridOption {
    dgEditing = 0x001,
    dgAlwaysShowEditor = 0x002,
    dgTitles = 0x004,
    dgIndicator = 0x008,
    dgColumnResize = 0x010,
    dgColLines = 0x020,
    dgRowLines = 0x040,
    dgTabs = 0x080,
    dgRowSelect = 0x100,
    dgAlwaysShowSelection = 0x200,
    dgConfirmDelete = 0x400,
    dgCancelOnExit = 0x800,
    dgMultiSelect = 0x1000,
};
Q_DECLARE_FLAGS(DBGridOptions, DBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(DBGridOptions)

// One column of a data grid: the field it shows and how.
// Japanese input in a column when it is entered (with automatic switching off):
// left as the user has it, switched on, or switched off.
enum class ColumnIme
{
    Keep,
    Open,
    Closed
};

struct TMyDBGridColumn
{
    QString fieldName;
    QString caption;          // title; the field's display label when empty
    int width = 64;
    bool visible = true;
    bool readOnly = false;
    Qt::Alignment alignment;  // 0: numbers right, the rest left
    QColor color;             // cell background; the window colour when invalid
    QColor titleColor;        // title background; the grid's FixedColor when invalid
    Qt::Alignment titleAlignment = Qt::AlignLeft;
    bool titleBold = false;
    QStringList pickList;
    ColumnIme ime = ColumnIme::Keep;
};

// The data grid of every list of table rows: a QTableView over a DataSetModel with
// gradient headers, indicator images for the current and the multi-selected rows,
// colours for the current, selected and multi-selected rows, an editor colour,
// the input method switched per column, and a multi-row selection driven by Shift
// and Ctrl clicks and Shift arrows.
//
// Fields are shown through their text events. Owners that paint cells set
// defaultDrawing off and end their onDrawColumnCell with drawColumnCellText(…, 55).
// While onDrawColumnCell runs, the fields read the painted row's values.
class TMyDBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TMyDBGrid(QWidget *parent = nullptr);
    ~TMyDBGrid() override;

    void setDataSource(DataSource *source);
    DataSource *dataSource() const { return m_source; }
    DataSet *dataSet() const;
    DataSetModel *dataModel() const { return m_model; }

    // Columns; without any, every visible field of the data set is a column.
    void setColumns(const QList<TMyDBGridColumn> &columns);
    QList<TMyDBGridColumn> columns() const { return m_columns; }
    int columnCount() const;
    TMyDBGridColumn column(int index) const;
    void setColumn(int index, const TMyDBGridColumn &column);
    Field *columnField(int index) const;
    // Moves a column, as a drag of its title would.
    void moveColumn(int fromIndex, int toIndex);

    DBGridOptions options() const { return m_options; }
    void setOptions(DBGridOptions options);
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool defaultDrawing() const { return m_defaultDrawing; }
    void setDefaultDrawing(bool on) { m_defaultDrawing = on; }
    // Whether the cell refuses editing: the grid, the column, the field, the data
    // set or the row (see readOnlyRow) says so.
    bool isCellReadOnly(int row, int column) const;
    // Whether the in-place editor is open.
    bool editorMode() const { return state() == QAbstractItemView::EditingState; }
    using QTableView::edit;
    // A guarded row (a locked or foreign journal line) is read-only in the grid.
    std::function<bool(int row)> readOnlyRow;

    // --- colours ---------------------------------------------------------------------
    QColor fixedColor() const { return m_fixedColor; }
    void setFixedColor(const QColor &color);
    QColor activeFixedColor() const { return m_activeFixedColor; }
    void setActiveFixedColor(const QColor &color);
    int fixedLuminance() const { return m_fixedLuminance; }
    void setFixedLuminance(int amount);
    QColor selectedColor() const { return m_selectedColor; }
    void setSelectedColor(const QColor &color);
    QColor activeSelectedColor() const { return m_activeSelectedColor; }
    void setActiveSelectedColor(const QColor &color);
    QColor bookMarkColor() const { return m_bookMarkColor; }
    void setBookMarkColor(const QColor &color);
    QColor editColor() const { return m_editColor; }
    void setEditColor(const QColor &color) { m_editColor = color; }
    QColor highLightColor() const { return m_highLightColor; }
    void setHighLightColor(const QColor &color);
    int currencyWidth() const { return m_currencyWidth; }
    void setCurrencyWidth(int width) { m_currencyWidth = width; }
    bool imeAuto() const { return m_imeAuto; }
    void setImeAuto(bool on) { m_imeAuto = on; }
    // Japanese input of the grid and of its in-place editor.
    bool inputMethodOpen() const;
    void setInputMethodOpen(bool open);
    // The user switched the input method with its key, or typed through it.
    std::function<void()> onInputMethodKey;
    // A column was entered (after its input-method rule was applied).
    std::function<void(int column)> onColEnter;

    // --- multi-row selection -------------------------------------------------------------
    bool getMultiSelectMode() const { return m_options.testFlag(DBGridOption::dgMultiSelect); }
    void setMultiSelectMode(bool on);
    // Selected rows (model rows, ascending). A change of the rows of the data set
    // (insert, delete, refresh) clears them, so no action works on a row that moved.
    QList<int> selectedRows() const { return m_selected; }
    int selectedCount() const { return int(m_selected.size()); }
    bool isRowSelected(int row) const { return m_selected.contains(row); }
    // The bookmarks of the selected rows, visiting them with the controls disabled;
    // the current record is restored.
    QList<Bookmark> selectedBookmarks();
    void selectAll() override;
    void clearSelection();
    // Selects the rows between fromRow and the current row (both included).
    void selectRange(int fromRow, bool keep);
    void toggleRowSelected(int row);

    // --- geometry --------------------------------------------------------------------
    QRect getCellRect(int column, int row) const;
    int indicatorWidth() const;
    int titleHeight() const;
    int visibleRowCount() const;
    int row() const;
    int leftCol() const;

    // Draws the painted row's display text of the column's field in the rectangle:
    // 2 pixels in, with the column's alignment; a selected cell first gets a vertical
    // gradient from the brush colour lightened by amount down to the brush colour.
    // The painter's brush is the background, its pen the text colour.
    void drawColumnCellText(QPainter &painter, const QRect &rect, int dataCol, int column, GridDrawState state,
                            int amount);
    // The row being painted (for drawColumnCellText and the owners' handlers).
    int paintRow() const { return m_paintRow; }

    // --- events ----------------------------------------------------------------------
    std::function<void(int selectionCount)> onSelectionChanged;
    std::function<void()> onTopLeftChanged;
    std::function<void()> onColWidthsChanged;
    std::function<void(int column)> onTitleClick;
    std::function<void(QPainter &painter, const QRect &rect, int dataCol, int column, GridDrawState state)>
        onDrawColumnCell;

    // Used by the delegate and the headers.
    void paintDataCell(QPainter *painter, const QRect &rect, const QModelIndex &index);
    void paintIndicator(QPainter *painter, const QRect &rect, int row);
    void paintTitle(QPainter *painter, const QRect &rect, int column);
    // Indicator image of a row: -1 none, else 0 arrow, 1 edit, 2 insert, 3 dot, 4 multi-arrow.
    int indicatorImage(int row) const;
    QWidget *createCellEditor(QWidget *parent, const QModelIndex &index);
    // The open editor's text was refused by the field: the message was shown
    // and the editor stays open on its cell with the text to correct.
    bool editorRefused() const { return !m_refusedEditor.isNull(); }

protected slots:
    void commitData(QWidget *editor) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    // Typing on a cell that cannot be edited does nothing: the view's own
    // search by typed text would move the cursor to another line, whose cell
    // the next keys would then overwrite.
    void keyboardSearch(const QString &) override {}

private:
    void applyColumns();
    void onModelReset();
    void onCurrentRowChanged(int row);
    void setSelectedRows(const QList<int> &rows);
    void fireSelectionChanged();
    void colEnter(int column);
    // The input-method key in the grid or its editor: true when taken.
    bool inputMethodKey(QKeyEvent *event);
    QPointer<QWidget> m_editor;
    QPointer<QWidget> m_refusedEditor;
    bool m_refusing = false;
    // Puts the cursor back on the refused editor's cell and the focus into it.
    void returnToRefusedEditor();

    QPointer<DataSource> m_source;
    DataSetModel *m_model;
    QList<TMyDBGridColumn> m_columns;
    QList<int> m_selected;
    DBGridOptions m_options;
    bool m_readOnly = false;
    bool m_defaultDrawing = true;
    bool m_syncing = false;
    int m_paintRow = -1;
    // The painted row's values are lent to the fields (another row than the current one).
    bool m_paintScoped = false;
    int m_countAtPress = 0;
    int m_lastFieldCol = -1;
    int m_movingToColumn = -1;

    QColor m_fixedColor, m_activeFixedColor, m_selectedColor, m_activeSelectedColor, m_bookMarkColor, m_editColor,
        m_highLightColor;
    int m_fixedLuminance = 50;
    int m_currencyWidth = 12;
    bool m_imeAuto = true;
};
