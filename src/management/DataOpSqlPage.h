#pragma once

#include <QVariant>
#include <QVector>
#include <QHash>
#include <QWidget>

#include "controls/MyDBNavigator.h"
#include "management/FormDataOperation.h"

class QAction;
class Statement;
class QCheckBox;
class QComboBox;
class QMenuBar;
class QStandardItem;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

// The free SQL page of the data operations: a statement typed (or made from
// the table list) runs on the open book, with or without a result shown.
// A failing statement changes nothing and is told in Japanese, the engine's
// text under it as detail. With 編集可能モードで実行する。 a result read from one
// table whose key it shows can be edited in the grid and with the navigator:
// each typed cell is checked against the column's type at once; the line is
// written, by key, in its own transaction when it is posted (the navigator's
// post, another line chosen, the result closed), and a line is deleted the
// same way.
class TDataOpSqlPage : public QWidget, public TNavigatorRows
{
    Q_OBJECT
public:
    explicit TDataOpSqlPage(QWidget *parent = nullptr);

    QMenuBar *MenuBar = nullptr;
    QAction *FileOpen1 = nullptr;   // 開く(&O)...
    QAction *FileSaveAs1 = nullptr; // 名前を付けて保存(&A)...
    // Edit commands on a result cell's editor when it has the focus, else on
    // the memo.
    QAction *EditCut1 = nullptr;       // 切り取り(&T)
    QAction *EditCopy1 = nullptr;      // コピー(&C)
    QAction *EditPaste1 = nullptr;     // 貼り付け(&P)
    QAction *EditSelectAll1 = nullptr; // すべてを選択(&A)
    QAction *EditUndo1 = nullptr;      // 元に戻す(&U)
    QAction *EditDelete1 = nullptr;    // 削除(&D)
    QPlainTextEdit *MemoSQL = nullptr;
    QCheckBox *ChkBoxRequestLive = nullptr;
    QPushButton *FrBtnNoDataSet = nullptr; // 結果セット『なし』 SQL実行
    QPushButton *FrBtnDataSet = nullptr;   // 結果セット『あり』 SQL実行
    QPushButton *SpeedButton1 = nullptr;   // 生データ表示
    QComboBox *CmbBoxTblList = nullptr;
    QTableView *MyDBGridSql = nullptr;
    QStandardItemModel *Model = nullptr;
    QLabel *BvlLbSQLCount = nullptr;
    QLabel *BvlCanEditSQL = nullptr;
    TMyDBNavigator *MyDBNavigator2 = nullptr;

    // Runs the memo's statement; true when the engine took it.
    bool RunWithoutResult();
    bool RunWithResult();
    void SpeedButton1Click();
    void CmbBoxTblListChange(int index);
    void CloseQuery();
    // Whether the shown result can be edited.
    bool CanModify() const { return m_live.editable; }
    // A result cell typed into: kept for its line's post, or refused and put
    // back.
    void cellEdited(QStandardItem *item);
    // The line being edited, if any: written (false when refused: the line
    // then shows the book's values again), or given up.
    bool PostRow();
    void CancelRow();
    // Starts editing the current line and opens its cell's editor.
    void EditRow();
    // Deletes the current line from its table (asked by the navigator).
    bool DeleteRow();
    bool Editing() const { return m_editRow >= 0; }

    bool rowsActive() const override { return m_open; }
    int rowsCount() const override;
    int rowsCurrent() const override;
    void rowsSetCurrent(int row) override;
    bool rowsCanModify() const override { return m_live.editable; }
    bool rowsEditing() const override { return Editing(); }
    void rowsDelete() override { DeleteRow(); }
    void rowsEdit() override { EditRow(); }
    void rowsPost() override { PostRow(); }
    void rowsCancel() override { CancelRow(); }

    // The memo from or to a text file, in the encodings of the program's other
    // text files (a file is written back in the encoding it was read in).
    bool OpenSqlFile(const QString &path);
    bool SaveSqlFile(const QString &path);

private:
    // The table behind an editable result and how to find its rows again.
    struct LiveResult
    {
        bool editable = false;
        QString table;
        QStringList columns;        // the table's column of each result column
        QList<QChar> types;         // their type letters
        QList<int> sizes;           // text lengths (0: no limit)
        QList<int> keyColumns;      // result columns of the table's key
        QList<QVariantList> values; // each row's values as read or written
        QList<QStringList> texts;   // and as the book shows them
    };
    void findLiveTable(const Statement &st);
    void showRow(int row);
    void beginEdit(int row);
    void dropRow(int row);
    void rowNotFound(int row);
    // The table's row with these key values as read back: texts and values.
    bool readRow(const QVariantList &rowValues, QStringList &texts, QVariantList &values) const;
    QString keyCondition() const;
    enum class EditCommand { Cut, Copy, Paste, SelectAll, Undo, Delete };
    void runEditCommand(EditCommand command);
    QList<TFormDataOperation::CellKind> m_kinds; // each result column's
    bool m_open = false;
    int m_editRow = -1;
    QVariantList m_pending;              // the edited line's values
    QHash<int, QString> m_pendingTexts;  // and the texts typed, by column
    void showEditState();
    QString fileStartPath() const;
    LiveResult m_live;
    bool m_filling = false;
    bool m_shiftJis = false; // the last file read was Shift-JIS
    QString m_folder;

    // The memo's text in the engine's dialect; empty when there is none.
    QString statementText() const;
};
