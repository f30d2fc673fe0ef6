#pragma once

#include <QHash>
#include <QPair>
#include <QStyledItemDelegate>
#include <QVector>

class QAbstractItemView;

// Drop-down editors for the cells of a plain item grid: a column gets a list of
// (shown text, value) entries, and choosing one writes its value into a
// column of the same row (the column itself or the code beside a name), so
// the grid's one edit handler checks and saves every change the same way.
class TPickListDelegate : public QStyledItemDelegate
{
public:
    using Entries = QVector<QPair<QString, QString>>;
    explicit TPickListDelegate(QObject *parent = nullptr);

    // Column's editor offers entries; the chosen value goes to targetColumn.
    void setList(int column, const Entries &entries, int targetColumn);
    void clear();

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    struct List
    {
        Entries entries;
        int target = 0;
    };
    QHash<int, List> m_lists;
};

// Hands the text of the view's open cell editor, if any, to its model and
// closes the editor: a page that closes its grid keeps what was typed.
void CommitOpenEditor(QAbstractItemView *view);
