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
    QWidget *editor = indexWidget(currentIndex());
    if (!editor) {
        QWidget *focus = QApplication::focusWidget();
        if (focus && isAncestorOf(focus))
            editor = focus;
    }
    if (!editor || editor == this || editor == viewport())
        return false;
    emit itemDelegate()->commitData(editor);
    emit itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
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
