#include "main/MeisaiGrid.h"

#include <QApplication>
#include <QChildEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/db/DataSetModel.h"

TMeisaiGrid::TMeisaiGrid(QWidget *parent)
    : TMyDBGrid(parent)
{
    // Editors are made as children of the viewport; their arrow keys are watched.
    viewport()->installEventFilter(this);
}

bool TMeisaiGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == viewport() && event->type() == QEvent::ChildAdded) {
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            child->installEventFilter(this);
    } else if (event->type() == QEvent::KeyPress && watched != viewport() && onEditorArrow) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *line = qobject_cast<QLineEdit *>(watched);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        if (line && key->key() == Qt::Key_Left &&
            (ctrl || (line->cursorPosition() == 0 && !line->hasSelectedText())))
            return onEditorArrow(false, ctrl);
        if (line && key->key() == Qt::Key_Right &&
            (ctrl || (line->cursorPosition() == line->text().size() && !line->hasSelectedText())))
            return onEditorArrow(true, ctrl);
    }
    return TMyDBGrid::eventFilter(watched, event);
}

bool TMeisaiGrid::postEditor()
{
    if (!editorMode())
        return false;
    QWidget *editor = inplaceEditor();
    if (!editor)
        return false;
    emit itemDelegate()->commitData(editor);
    if (editorRefused())
        return false;
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

QString TMeisaiGrid::currentCellText() const
{
    QString text;
    if (auto *editor = qobject_cast<QLineEdit *>(inplaceEditor()))
        text = editor->text();
    else if (const QModelIndex cur = currentIndex(); cur.isValid())
        text = cur.data(Qt::DisplayRole).toString();
    return text.trimmed();
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
    // A refused text keeps its editor open: Enter does not walk on from it.
    const bool refused = editorRefused();
    TMyDBGrid::closeEditor(editor, hint);
    if (!refused && hint == QAbstractItemDelegate::SubmitModelCache && onEditorEnter)
        onEditorEnter();
}
