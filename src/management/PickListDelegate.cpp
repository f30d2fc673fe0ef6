#include "management/PickListDelegate.h"

#include <QAbstractItemView>
#include <QComboBox>

TPickListDelegate::TPickListDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void TPickListDelegate::setList(int column, const Entries &entries, int targetColumn)
{
    m_lists.insert(column, List{entries, targetColumn});
}

void TPickListDelegate::clear() { m_lists.clear(); }

QWidget *TPickListDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    const auto it = m_lists.constFind(index.column());
    if (it == m_lists.cend())
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto *combo = new QComboBox(parent);
    combo->setMaxVisibleItems(20);
    for (const auto &[text, value] : it->entries)
        combo->addItem(text, value);
    return combo;
}

void TPickListDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const auto it = m_lists.constFind(index.column());
    auto *combo = qobject_cast<QComboBox *>(editor);
    if (it == m_lists.cend() || !combo) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QString current = index.siblingAtColumn(it->target).data().toString();
    combo->setCurrentIndex(combo->findData(current));
}

void TPickListDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const auto it = m_lists.constFind(index.column());
    auto *combo = qobject_cast<QComboBox *>(editor);
    if (it == m_lists.cend() || !combo) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    if (combo->currentIndex() < 0)
        return;
    const QModelIndex target = index.siblingAtColumn(it->target);
    // Choosing what is there already writes nothing.
    if (target.data().toString() != combo->currentData().toString())
        model->setData(target, combo->currentData());
}

void CommitOpenEditor(QAbstractItemView *view)
{
    const QModelIndex current = view->currentIndex();
    if (!current.isValid())
        return;
    QWidget *editor = view->indexWidget(current);
    if (!editor)
        return;
    QAbstractItemDelegate *delegate = view->itemDelegateForIndex(current);
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}
