#pragma once

#include <functional>

#include <QObject>
#include <QPointer>

#include "data/LinePaste.h"

class DataSource;
class QAction;
class QMenu;
class QToolBar;
class QToolButton;
class TFrameDeru;
class TMeisaiClientDataSet;
class TMeisaiGrid;

// What the line menu needs of the page whose lines it works on.
struct TLineMenuHost
{
    TMeisaiGrid *grid = nullptr;
    DataSource *source = nullptr;  // the lines' data source, for the action states
    QToolBar *navigator = nullptr; // gets the 編集 button before insertBefore
    QAction *insertBefore = nullptr;
    // The page's lines while the page has them; nullptr otherwise.
    std::function<TMeisaiClientDataSet *()> lines;
    // The page and columns a pasted line is fitted to.
    std::function<TPasteTarget()> pasteTarget;
    // The page's totals after lines changed.
    std::function<void()> totals;
    // After a paste (the line's own after-scroll handling); may be empty.
    std::function<void()> afterPaste;
    // The shift actions name the grid's current column.
    bool namedShift = false;
};

// The line menu of a journal page's detail grid (and of the scheduled-entry
// page's lines) (its context menu and the
// navigator's 編集 button): cut, copy and paste of whole lines through the
// program's line clipboard, row selection, shifting one column's values up or
// down, and an undo that takes back the last of these as a whole. While a cell
// is being edited the same keys work on the cell's text instead.
class TDeruLineMenu : public QObject
{
    Q_OBJECT
public:
    explicit TDeruLineMenu(TFrameDeru *page);
    TDeruLineMenu(QWidget *page, TLineMenuHost host);

    QMenu *PopActBndMeisai = nullptr;
    QToolButton *BtnEdit = nullptr; // 編集 on the navigator bar

    QAction *EditCut1 = nullptr;
    QAction *EditCopy1 = nullptr;
    QAction *EditPaste1 = nullptr;
    QAction *EditUndo1 = nullptr;
    QAction *ActiRecCut = nullptr;
    QAction *ActRecCopy = nullptr;
    QAction *ActRecInsertPaste = nullptr;
    QAction *ActRecAppendPaste = nullptr;
    QAction *ActRecMultiSelect = nullptr;
    QAction *ActSelectAll = nullptr;
    QAction *ActShiftUp = nullptr;
    QAction *ActShiftDown = nullptr;
    QAction *ActSavePoint = nullptr;

    // The lines of the selection, or the current line, into the clipboard;
    // with cut the unguarded ones are deleted afterwards.
    void CopyLines(bool cut);
    // The clipboard's lines before the current line, or after the last one.
    // A paste the journal refuses (a locked day) is taken back as a whole.
    void PasteLines(bool append);
    // The selected column's values one line up or down from the current line.
    void ShiftColumn(bool up);
    // Takes back the last cut, paste or shift.
    void UndoLineOperation();
    void SelectAllLines();
    // The states of the actions for the grid's focus, editor and lines.
    void UpdateActions();

private:
    static TLineMenuHost journalHost(TFrameDeru *page);
    TLineMenuHost m_host;
    QList<QAction *> m_separators;
    bool gridFocused() const;
};
