#pragma once

#include <functional>

#include <QDate>
#include <QVariantList>
#include <QVector>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QStandardItemModel;
class QTableView;
class TCodeConvertPanel;

// The journal page of the data operations: picks journal lines by categories,
// names and period, shows them with their names, and changes all of them at
// once (category or account codes, item, shop or person codes, amount or
// quantity). Every change asks once with the number of lines and is written
// in one transaction; lines on or before the lock date are left as they are.
class TDataOpJournalPage : public QWidget
{
    Q_OBJECT
public:
    explicit TDataOpJournalPage(QWidget *parent = nullptr);

    // ---- conditions ----
    QPushButton *FrBtnTyu = nullptr;   // 条件付変換
    QPushButton *FrBtnAll = nullptr;   // 全データを対象
    QWidget *PnlHuriJyouken = nullptr;
    QComboBox *CmbKari = nullptr;
    QComboBox *CmbKasi = nullptr;
    QLineEdit *EditHinmei = nullptr;
    QLineEdit *EditShop = nullptr;
    QComboBox *CmbPerson = nullptr;
    QButtonGroup *RGLikeKouza = nullptr; // 0 しない, 1 ～から始まる, 2 ～を含む
    QCheckBox *ChkStart = nullptr;
    QDateEdit *DTPStart = nullptr;
    QCheckBox *ChkEnd = nullptr;
    QDateEdit *DTPEnd = nullptr;
    QRadioButton *RBPickUp = nullptr;     // 選ぶ
    QRadioButton *RadioButton5 = nullptr; // 除く

    // ---- result ----
    QTableView *DBGridMain = nullptr;
    QStandardItemModel *Model = nullptr;
    QLabel *BvlLbMainCount = nullptr;
    QCheckBox *ChkBoxShowCode = nullptr;

    // ---- conversion ----
    QButtonGroup *ConvertButtons = nullptr; // ids are ConvertKind 0..5
    QStackedWidget *ConvertPages = nullptr;
    QComboBox *CmbHimokuMoto = nullptr;
    QComboBox *CmbHimokuAto = nullptr;
    QButtonGroup *RGTaisyo = nullptr; // 0 借方だけ, 1 貸方だけ, 2 両方
    QPushButton *FrBtnHimokuExecute = nullptr;
    QLabel *LbMotoCode = nullptr;
    QLabel *LbAtoCode = nullptr;
    QRadioButton *RdBtnCode = nullptr;
    QRadioButton *RdBtnAll = nullptr;
    QLineEdit *EditMotoCode = nullptr;
    QLineEdit *EditMotoName = nullptr;
    QLineEdit *EditAtoCode = nullptr;
    QLineEdit *EditAtoName = nullptr;
    QPushButton *FrBtnHinmeiExecute = nullptr;
    QLabel *LbKingaku = nullptr;
    QLineEdit *FltEditKingaku = nullptr;
    QPushButton *FrBtnKingakuExecute = nullptr;

    // ---- state ----
    QString JournalSortField = QStringLiteral("RECDATE");
    bool JournalSortDesc = false;
    bool ShowCodes = true;
    int ConvertKind = 0;
    bool JournalRequery = false;
    // The WHERE lines of the journal statement and their bound values.
    QStringList JournalConditions;
    QVariantList JournalParams;

    // One shown line.
    struct Line
    {
        int dataNo = 0;
        QDate date;
        int kari = 0, kasi = 0, hinmei = 0, shop = 0, person = 0;
        double quantity = 0;
        double amount = 0;
        bool reserved = false;
        QString kariName, kasiName, hinmeiName, shopName, personName;
    };
    const QVector<Line> &Lines() const { return m_lines; }

    void RefreshJournal();
    void BuildJournalConditions();
    // The statement for the current conditions and order.
    QString BuildJournalSql() const;
    void RunJournalQuery();
    void CloseQuery();
    // Fills the category lists from the book.
    void FillCombos();

    void FrBtnHimokuCodeClick(int kind);
    void EditMotoCodeValueSet();
    void FrBtnHimokuExecuteClick();
    void FrBtnHinmeiExecuteClick();
    void FrBtnKingakuExecuteClick();
    void DBGridMainTitleClick(int column);

    // The code of a "code: name" entry of a category list; 0 for "すべて",
    // -1 when no entry of the list is chosen.
    static int ComboCode(const QComboBox *combo);

private:
    void showLines();
    void requery() { JournalRequery = true; }
    // Runs the statements for each line of candidates (indexes of the shown
    // lines) with paramsFor(DATANO), all in one transaction, after the one
    // question with their number. Lines on or before the lock date are
    // counted, told and left alone.
    void applyToLines(const QVector<int> &candidates, const QStringList &statements,
                      const std::function<QVariantList(int)> &paramsFor);
    bool m_built = false;
    TCodeConvertPanel *m_codePanel = nullptr;
    QVector<Line> m_lines;
};
