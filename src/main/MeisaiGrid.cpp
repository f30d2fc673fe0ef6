#include "main/MeisaiGrid.h"

#include <QApplication>
#include <QKeyEvent>

#include "platform/db/DataSetModel.h"

TMeisaiGrid::TMeisaiGrid(QWidget *parent)
    : TMyDBGrid(parent)
{
}

bool TMeisaiGrid::postEditor()
{
    if (!editorMode())
        return false;
    QWidget *editor = inplaceEditor();
    if (!editor)
        return false;
    emit itemDelegate()->commitData(editor);
    emit itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

QWidget *TMeisaiGrid::inplaceEditor() const
{
    if (!editorMode())
        return nullptr;
    const auto children = viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *w : children)
        if (w->isVisible())
            return w;
    return nullptr;
}

void TMeisaiGrid::keyPressEvent(QKeyEvent *event)
{
    if (onKeyDown && onKeyDown(event)) {
        event->accept();
        return;
    }
    // Typing into a grid without lines starts the first line.
    if (onTypeIntoEmpty && !event->text().isEmpty() && event->text().at(0).isPrint() && dataSet() &&
        dataSet()->isActive() && dataModel()->rowCount() == 0)
        onTypeIntoEmpty();
    TMyDBGrid::keyPressEvent(event);
}

void TMeisaiGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    TMyDBGrid::closeEditor(editor, hint);
    if (hint == QAbstractItemDelegate::SubmitModelCache && onEditorEnter)
        onEditorEnter();
}
