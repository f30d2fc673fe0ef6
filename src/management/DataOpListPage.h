#pragma once

#include <functional>
#include <optional>

#include <QHash>
#include <QVector>
#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QStandardItem;
class QStandardItemModel;
class QTableView;
class TCodeConvertPanel;
class TPickListDelegate;

// The choice-list page of the data operations: the item choices
// ("HinmeiList.db") or shop choices ("ShopList.db") of the entry pages.
// Search by category, parent and child names; delete many rows; convert the
// category, parent or child codes; copy rows to another category; remove
// duplicate rows. Every bulk change asks once and is one transaction.
// Rows are edited in the grid: a changed code or 表示 is checked and written at
// once; a row made with "追加" is written when it is posted ("登録", leaving
// the row or closing the page), numbered in the same transaction.
class TDataOpListPage : public QWidget
{
    Q_OBJECT
public:
    explicit TDataOpListPage(QWidget *parent = nullptr);

    QLabel *LbListTitle = nullptr;
    QTableView *DBGridList = nullptr;
    QStandardItemModel *Model = nullptr;
    QLabel *BvlLbListCount = nullptr;
    QPushButton *BtnDelete = nullptr; // 削除
    QPushButton *BtnCancel = nullptr; // 取消
    QPushButton *BtnInsert = nullptr; // 追加
    QPushButton *BtnPost = nullptr;   // 登録
    QPushButton *FrBtnAllListDelete = nullptr; // 一括削除
    QPushButton *FrBtnDeleteDup = nullptr;     // 重複データ削除
    QComboBox *CbBoxListHimoku = nullptr;
    QLineEdit *LbEditOyaName = nullptr;
    QLineEdit *LbEditKoName = nullptr;
    QButtonGroup *RGListLikeIndex = nullptr;
    QButtonGroup *ConvertButtons = nullptr; // 0 費目コード, 1 親コード, 2 子コード, 3 コピー
    QStackedWidget *ConvertPages = nullptr;
    QComboBox *CmbListHimokuMoto = nullptr;
    QComboBox *CmbListHimokuAto = nullptr;
    QPushButton *FrBtnListHimokuExecute = nullptr;
    QLabel *LbListMoto = nullptr;
    QLabel *LbListAto = nullptr;
    QRadioButton *RdBtnListCode = nullptr;
    QRadioButton *RadioButton2 = nullptr;
    QLineEdit *EditListMotoCode = nullptr;
    QLineEdit *EditListMotoName = nullptr;
    QLineEdit *EditListAtoCode = nullptr;
    QLineEdit *EditListAtoName = nullptr;
    QPushButton *FrBtnOyaKo = nullptr;
    QComboBox *CmbListCopy = nullptr;
    QPushButton *FrBtnListCopyExec = nullptr;

    int ListKind = 0;     // 0 item choices, 1 shop choices
    int ListCodeKind = 0; // 0 parent codes, 1 child codes
    QString SortField = QStringLiteral("HIMOKUCODE,OYACODE,KOCODE");
    bool SortDesc = false;
    bool ListRequery = false;

    struct Row
    {
        int dataNo = 0, himoku = 0, oya = 0, ko = 0;
        bool visible = false;
        QString himokuName, oyaName, koName;
    };
    const QVector<Row> &Rows() const { return m_rows; }

    void SetListKind(int kind);
    void FillCombos();
    void RunListQuery();
    void CloseQuery();
    void DBGridListTitleClick(int column);
    void FrBtnListHimokuClick(int target);
    void EditListMotoCodeValueSet();
    void FrBtnAllListDeleteClick();
    void FrBtnListHimokuExecuteClick();
    void FrBtnOyaKoClick();
    void FrBtnListCopyExecClick();
    void FrBtnDeleteDupClick();

    // "追加": a new row at the end of the grid, shown and without codes; an
    // unposted new row is posted first.
    void DataSetInsertExecute();
    // "登録": writes the new row; true when nothing is left unposted.
    bool PostNewRow();
    // "取消": drops the new row.
    void CancelNewRow();
    // "削除": the current row (a new row is dropped), without a question.
    void DeleteCurrent();
    bool HasNewRow() const { return m_newRow.has_value(); }
    // A cell typed into or chosen from its list: codes must be ones the lists
    // offer, else "不正なコードです。" and the cell is put back.
    void cellEdited(QStandardItem *item);

    QString ListTable() const;   // "HinmeiList" or "ShopList"
    QString MasterTable() const; // "HinmeiMast" or "ShopMast"

private:
    // After the one question, runs work in one transaction and re-reads the
    // list; false when nothing was written.
    bool bulk(int count, const std::function<void()> &work);
    void loadLookups();
    void showRow(int index, const Row &r);
    QString codeName(int column, int code) const;
    bool postNewRow(bool closing);
    QVector<Row> m_rows;
    std::optional<Row> m_newRow; // shown after m_rows
    QHash<int, QString> m_himokuNames, m_masterNames; // the codes a row may take
    TPickListDelegate *m_delegate = nullptr;
    bool m_filling = false;
    TCodeConvertPanel *m_codePanel = nullptr;
};
