#pragma once

#include <QVariant>
#include <QVector>
#include <QWidget>

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
// table whose key it shows can be edited in the grid: each typed cell is checked
// against the column's type and written at once, by key, in its own
// transaction.
class TDataOpSqlPage : public QWidget
{
    Q_OBJECT
public:
    explicit TDataOpSqlPage(QWidget *parent = nullptr);

    QMenuBar *MenuBar = nullptr;
    QAction *FileOpen1 = nullptr;   // 開く(&O)...
    QAction *FileSaveAs1 = nullptr; // 名前を付けて保存(&A)...
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

    // Runs the memo's statement; true when the engine took it.
    bool RunWithoutResult();
    bool RunWithResult();
    void SpeedButton1Click();
    void CmbBoxTblListChange(int index);
    void CloseQuery();
    // Whether the shown result can be edited.
    bool CanModify() const { return m_live.editable; }
    // A result cell typed into: written to its row, or refused and put back.
    void cellEdited(QStandardItem *item);

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
    };
    void findLiveTable(const Statement &st);
    void showEditState();
    QString fileStartPath() const;
    LiveResult m_live;
    bool m_filling = false;
    bool m_shiftJis = false; // the last file read was Shift-JIS
    QString m_folder;

    // The memo's text in the engine's dialect; empty when there is none.
    QString statementText() const;
};
