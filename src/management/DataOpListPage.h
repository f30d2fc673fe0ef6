#pragma once

#include <functional>

#include <QVector>
#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QStandardItemModel;
class QTableView;
class TCodeConvertPanel;

// The choice-list page of the data operations: the item choices
// ("HinmeiList.db") or shop choices ("ShopList.db") of the entry pages.
// Search by category, parent and child names; delete many rows; convert the
// category, parent or child codes; copy rows to another category; remove
// duplicate rows. Every bulk change asks once and is one transaction.
class TDataOpListPage : public QWidget
{
    Q_OBJECT
public:
    explicit TDataOpListPage(QWidget *parent = nullptr);

    QLabel *LbListTitle = nullptr;
    QTableView *DBGridList = nullptr;
    QStandardItemModel *Model = nullptr;
    QLabel *BvlLbListCount = nullptr;
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

    QString ListTable() const;   // "HinmeiList" or "ShopList"
    QString MasterTable() const; // "HinmeiMast" or "ShopMast"

private:
    // After the one question, runs work in one transaction and re-reads the
    // list; false when nothing was written.
    bool bulk(int count, const std::function<void()> &work);
    QVector<Row> m_rows;
    TCodeConvertPanel *m_codePanel = nullptr;
};
