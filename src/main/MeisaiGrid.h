#pragma once

#include <functional>

#include "controls/MyDBGrid.h"

class QKeyEvent;

// The detail grid of the journal pages: the data grid with the page's key rules
// in front of its own. The page decides what Enter, Down and the arrows do
// (moving on, appending a line) and learns when the in-place editor was closed
// with Enter, which the editor swallows before the grid sees the key.
class TMeisaiGrid : public TMyDBGrid
{
    Q_OBJECT
public:
    explicit TMeisaiGrid(QWidget *parent = nullptr);

    // A key pressed in the grid itself (not in its editor); true: handled.
    std::function<bool(QKeyEvent *event)> onKeyDown;
    // The in-place editor was closed with Enter after writing its text.
    std::function<void()> onEditorEnter;
    // Left at the editor's first character or Right after its last (or either
    // with Ctrl): the page moves to another column; true: handled.
    std::function<bool(bool right, bool ctrl)> onEditorArrow;
    // The editor or the grid's own editing began on an empty grid: the page
    // appends the first line so that the text has a line to go into.
    std::function<void()> onTypeIntoEmpty;

    // Writes the in-place editor's text into its field and closes it; false
    // when no editor was open.
    bool postEditor();
    // The open in-place editor, or nullptr.
    QWidget *inplaceEditor() const;
    // The current cell's text without surrounding blanks: what its editor
    // holds while it is being typed, else what the cell shows.
    QString currentCellText() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
};
