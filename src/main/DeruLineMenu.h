#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QToolButton;
class TFrameDeru;

// The line menu of a journal page's detail grid (its context menu and the
// navigator's 編集 button): cut, copy and paste of whole lines through the
// program's line clipboard, row selection, shifting one column's values up or
// down, and an undo that takes back the last of these as a whole. While a cell
// is being edited the same keys work on the cell's text instead.
class TDeruLineMenu : public QObject
{
    Q_OBJECT
public:
    explicit TDeruLineMenu(TFrameDeru *page);

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
    TFrameDeru *m_page;
    QList<QAction *> m_separators;
    bool gridFocused() const;
};
