#pragma once

#include <memory>

#include <QHash>

#include <QDialog>

#include "management/HimokuSetteiRows.h"

class Database;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QTableWidget;
class QToolButton;
class THimokuListView;
class THimokuSonota;
class TMySpeedButton;
class TFrameBtn;

// "設定フォーム": the income categories, expense categories and accounts of the
// open book, each page with its order list, a record panel for the current
// row, the page's closing day and its entry options. Row edits are held in the
// dialog and written together in one transaction by 保存, a page change or
// closing; the entry options are stored as they change.
class TFormHimokuSettei : public QDialog
{
    Q_OBJECT
public:
    explicit TFormHimokuSettei(Database &db, QWidget *parent = nullptr);
    ~TFormHimokuSettei() override;

    // 0: the page combo shown, on the expense page; 1 to 3: that page.
    void SelectPage(int page);
    // The page combo's change: saves the page shown, then builds the chosen one;
    // a failed save puts the combo back.
    void CmbBoxTitleChange();
    // Saves the rows' pending changes; true when the dialog may go on.
    bool SaveChanges();
    int pageKind() const { return m_rows.pageKind(); }
    THimokuRows &rows() { return m_rows; }
    // Index of the current row in rows(), -1 for none.
    int currentRow() const { return m_current; }
    void setCurrentRow(int index);

    // Edit bar.
    void DataSetInsert1Execute();
    void DataSetDelete1Execute();
    void DataSetCancel1Execute();       // the current row back as it was when chosen
    void DataSetCancelUpdates1Execute(); // every pending change dropped
    bool DataSetPost1Execute();          // the name edit taken into the row
    // Moves the current row one line up or down in the order list.
    void SpinButtonUpClick();
    void SpinButtonDownClick();
    // A closing day chosen for the current account (3) or for the page group.
    void DBCmbSimebiChange(int comboIndex);
    void DBCmbPageSimebiChange(int comboIndex);
    // The history dialog of a code; its flag follows what it stored.
    void OpenSimebiRireki(int code);
    // A cell typed in the list view's edit mode: the text is read by the
    // column's rule into the row of that line; a text no rule reads, or a
    // name in use, leaves the value and the cell shows it again.
    void ListCellTyped(int line, const QString &field, const QString &text);
    // The accounts offered as the counterpart, read again when it drops down
    // (accounts saved meanwhile), the current row's account chosen again.
    void RefillAiteKouza();

    QComboBox *CmbBoxTitle = nullptr;
    QLabel *LbTitle = nullptr;
    QTableWidget *STGridPos = nullptr;
    QCheckBox *ChkBoxNonVisible = nullptr;
    TFrameBtn *FrBtnItiran = nullptr;   // 一覧表示
    TFrameBtn *FrBtnEditGrid = nullptr; // 編集可能, shown with the list view
    THimokuListView *MyDBGrid1 = nullptr; // the list view
    TFrameBtn *FrBtnHelp = nullptr;     // ?: the next click asks for help
    TMySpeedButton *BtnApply = nullptr;  // 保存
    TMySpeedButton *BtnPost = nullptr;   // 登録
    TMySpeedButton *BtnInsert = nullptr; // 新規
    TMySpeedButton *BtnCancel = nullptr; // 取消
    TMySpeedButton *BtnDelete = nullptr; // 削除
    TMySpeedButton *BtnCancelAll = nullptr; // 全取消
    TFrameBtn *FrBtnNendo = nullptr;
    TFrameBtn *SpBtnlClose = nullptr;

    QGroupBox *GBxPageSimeBi = nullptr;
    QComboBox *DBCmbPageSimebi = nullptr;
    QComboBox *DBCmbPageSimebiShift = nullptr;
    QComboBox *DBCmbPageSimeHolidayShift = nullptr;
    QComboBox *DBCmbPageSimeAddDay = nullptr;
    TFrameBtn *FrBtnSimeRireki = nullptr;

    QStackedWidget *PnlRecord = nullptr;
    // Income and expense pages.
    QWidget *PnlIriDeru = nullptr;
    QLineEdit *DBEditHimokuName = nullptr;
    QLabel *LbCode = nullptr;
    QLabel *LbPos = nullptr;
    QLabel *LbKouza = nullptr;
    QComboBox *DBCmbKouza = nullptr;
    QLabel *LbZeiAtukai = nullptr;
    QComboBox *DBCmbZeiAtukai = nullptr;
    QLineEdit *DBEditHimokuMemo = nullptr;
    QCheckBox *DBChkVisible = nullptr;
    QCheckBox *DBChkTokubetu = nullptr;
    QCheckBox *DBChkBoxYosanWarn = nullptr;
    // Accounts page.
    QWidget *PnlCard = nullptr;
    QLabel *LbCardCode = nullptr;
    QLineEdit *DBEditKouzaName = nullptr;
    QComboBox *DBCmbSyubetu = nullptr;
    QLabel *LbBu1Name = nullptr;
    QLabel *LbBu2Name = nullptr;
    QRadioButton *RbKarigata = nullptr;
    QRadioButton *RbKasigata = nullptr;
    QLineEdit *DBEditSyokizan = nullptr;
    QLabel *LbCardPos = nullptr;
    QComboBox *DBCmbSimebi = nullptr;
    TFrameBtn *FrBtnKouzaSimeRireki = nullptr;
    QComboBox *DBCmbSimeHolidayShift = nullptr;
    QComboBox *DBCmbSimeAddDay = nullptr;
    QComboBox *DBCmbSimebiShift = nullptr;
    QComboBox *DBCmbCycle = nullptr;
    QComboBox *DBCmbFuribi = nullptr;
    QComboBox *DBCmbHolidayShift = nullptr;
    QComboBox *DBCmbAiteKouza = nullptr;
    QLineEdit *DBEditKouzaMemo = nullptr;
    QCheckBox *DBChkKouzaVisible = nullptr;

    THimokuSonota *PnlSonota = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    QWidget *buildIriDeruPanel();
    QWidget *buildCardPanel();
    void BuildPage(int pageKind);
    void FillOrderGrid();
    void fillListView();
    QHash<int, QString> codeNames() const;
    void setHelpMode(bool on);
    void listEditToggled(bool on);
    void showRecord();
    void fillAccountCombo(QComboBox *combo);
    void setField(const QString &column, const QVariant &value);
    bool takeName(QLineEdit *edit);
    void moveCurrent(int step);
    void askClosingHistory(int code, const QString &name, int simeShift, int oldDay, int newDay, bool hasHistory);
    void showGroup();
    void updateCardEnabling();

    Database &m_db;
    THimokuRows m_rows;
    int m_current = -1;
    THimokuRow m_snapshot; // the current row as it was when chosen
    bool m_busy = false;
    int m_builtKind = 0;
    bool m_helpMode = false;
};

// Opens the settings dialog modally: page 0 on the expense page with the page
// combo, 1 to 3 on that page (the accounts page only while accounts are
// managed). Gives the modal result; the caches are rebuilt when it closes.
int OpenHimokuSettei(QWidget *owner, int pageKind);

extern TFormHimokuSettei *FormHimokuSettei;
