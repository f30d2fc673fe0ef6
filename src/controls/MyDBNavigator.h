#pragma once

#include <functional>

#include <QPointer>
#include <QWidget>

class DataSource;
class QToolButton;

// Rows the navigator acts on when they are not a data set's: a grid whose
// page keeps the rows and writes them to the book itself.
class TNavigatorRows
{
public:
    virtual ~TNavigatorRows() = default;
    virtual bool rowsActive() const = 0;
    virtual int rowsCount() const = 0;
    virtual int rowsCurrent() const = 0; // -1: none
    virtual void rowsSetCurrent(int row) = 0;
    virtual bool rowsCanModify() const = 0;
    virtual bool rowsEditing() const = 0;
    virtual void rowsDelete() = 0;
    virtual void rowsEdit() = 0;
    virtual void rowsPost() = 0;
    virtual void rowsCancel() = 0;
};

// The record navigator: first, prior, next and last line of the data set
// behind a data source (or of the rows given), and, where shown, delete,
// edit, post and cancel. A button is enabled only where it can act: not back
// at the first line, not on at the last, the editing ones only on rows that
// can be changed, post and cancel only while a line is being edited.
class TMyDBNavigator : public QWidget
{
    Q_OBJECT
public:
    enum Kind { First, Prior, Next, Last, Delete, Edit, Post, Cancel };

    explicit TMyDBNavigator(QWidget *parent = nullptr);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const;
    // In place of a data source; the owner calls updateButtons() when its
    // rows, its current row or its editing state change.
    void setRows(TNavigatorRows *rows);

    QToolButton *BtnFirst = nullptr;
    QToolButton *BtnPrior = nullptr;
    QToolButton *BtnNext = nullptr;
    QToolButton *BtnLast = nullptr;
    QToolButton *BtnDelete = nullptr; // hidden until showEditButtons
    QToolButton *BtnEdit = nullptr;
    QToolButton *BtnPost = nullptr;
    QToolButton *BtnCancel = nullptr;

    void showEditButtons(bool show);
    // Delete first asks "レコードを削除してもよいですか？".
    bool ConfirmDelete = true;

    // Called before a move; false keeps the line (the page's pending edit was
    // refused). May be empty.
    std::function<bool()> beforeMove;

    void updateButtons();
    void click(Kind kind);

private:
    void actOnDataSet(Kind kind);
    void actOnRows(Kind kind);
    QPointer<DataSource> m_source;
    TNavigatorRows *m_rows = nullptr;
};
