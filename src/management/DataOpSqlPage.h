#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

// The free SQL page of the data operations: a statement typed (or made from
// the table list) runs on the open book, with or without a result shown.
// A failing statement changes nothing and is told in Japanese, the engine's
// text under it as detail.
class TDataOpSqlPage : public QWidget
{
    Q_OBJECT
public:
    explicit TDataOpSqlPage(QWidget *parent = nullptr);

    QPlainTextEdit *MemoSQL = nullptr;
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

private:
    // The memo's text in the engine's dialect; empty when there is none.
    QString statementText() const;
};
