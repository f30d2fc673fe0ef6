#pragma once

#include <QVector>
#include <QWidget>

class Database;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItem;
class QStandardItemModel;
class QTableView;

// The master tables page of the data operations: the book's items, shops or
// persons (codes above 100 only; 0 to 100 are the system's rows). Search by
// name, edit names and item values in the grid, add through "新規作成", delete a name nothing uses,
// delete every unused name of the search result, and merge the names found into
// one code. Bulk deletes and the merge are each one transaction; aborting them
// writes nothing.
class TDataOpMasterPage : public QWidget
{
    Q_OBJECT
public:
    explicit TDataOpMasterPage(QWidget *parent = nullptr);

    QLabel *LbMastTitle = nullptr;
    QTableView *DBGridMast = nullptr;
    QStandardItemModel *Model = nullptr;
    QLabel *BvlLbMastCount = nullptr;
    QPushButton *BtnDelete = nullptr;   // 削除
    QPushButton *BtnInsert = nullptr;   // 追加
    QPushButton *FrBtnAllDelete = nullptr;
    QLineEdit *LbEditName = nullptr;
    QButtonGroup *RGLikeIndex = nullptr; // 0 しない, 1 ～から始まる, 2 ～を含む
    QPushButton *FrAllMaster = nullptr;
    QGroupBox *GrpBoxTougou = nullptr;
    QLabel *LbTougouCode = nullptr;
    QLineEdit *IntEditTougou = nullptr;
    QLineEdit *EditTougou = nullptr;
    QPushButton *FrBtnTougou = nullptr;

    int MasterKind = 0; // 0 items, 1 shops, 2 persons
    QString SortField = QStringLiteral("CODE");
    bool SortDesc = false;
    bool MasterRequery = false;

    struct Row
    {
        int code = 0;
        QString name;
        double quantity = 0;
        double gaku = 0;
        int zeiAtukai = 0;
        bool visible = false;
    };
    const QVector<Row> &Rows() const { return m_rows; }

    void SetMasterKind(int kind);
    void RunMasterQuery();
    void CloseQuery();
    // "追加": asks the name and adds it unless it is there already.
    void DataSetInsert1Execute();
    // "削除" on the current row, through the delete guard.
    void DeleteCurrent();
    void FrBtnAllDeleteClick();
    void IntEditTougouValueSet();
    void FrBtnTougouClick();
    void DBGridMastTitleClick(int column);
    // A cell typed into: the name, the item's quantity, amount and tax
    // treatment, the person's 表示; refused text is told and put back.
    void cellEdited(QStandardItem *item);
    // Selects the row of code; false when it is not shown.
    bool SelectCode(int code);

    // The kind's table, journal field and word ("品名", "店名", "使用者").
    QString TableName() const;
    QString FieldName() const;
    QString KindWord() const;
    QString ListTable() const; // "HinmeiList", "ShopList" or empty for persons

    // Removes duplicate rows (same category, parent and child) of a choice
    // list on db: the lowest-numbered row of each group stays, visible when any
    // row of the group was. Never removes a whole group. Needs no transaction
    // of its own; the caller's holds it.
    static void DeleteDuplicateListRows(Database &db, const QString &listTable);

private:
    bool usedByJournal(int code) const;
    bool usedByReserve(int code) const;
    bool usedByList(int code) const;
    // Deletes the code's row and its choices (the caller's transaction).
    void deleteRow(Database &db, int code) const;
    QVector<Row> m_rows;
    bool m_filling = false;
};
