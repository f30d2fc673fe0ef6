#pragma once

#include <memory>

#include <QFrame>
#include <QHash>

#include "main/FrameInterface.h"
#include "views/TyuSyutuSql.h"

class DataSource;
class Query;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class TFrameBtn;
class TMyDBGrid;
class TMyDateTimePicker;
class TMySpeedButton;

// The extraction page (抽出): journal lines found by period, category, item,
// shop, person and account, either listed with their totals (income beside
// expense, or transfers) or summarised per item with the highest, lowest and
// average price. Successive runs start anew, add to the result or narrow it.
// The SQL comes from TTyuSyutuSql; its text is shown, read-only, under each grid.
class TFrameTyuSyutu : public QFrame, public IFrameInterface
{
    Q_OBJECT
public:
    explicit TFrameTyuSyutu(QWidget *parent = nullptr);
    ~TFrameTyuSyutu() override;

    // ---- the main window's calls -------------------------------------------

    void RefreshPage() override;
    void InitPage() override;
    int ReleaseOrder() override { return 2; }
    bool LeavePage() override;
    int PageNo() override { return 7; }

    // ---- components -----------------------------------------------------------

    QStackedWidget *PnlJyouken = nullptr;   // the two condition panels
    QWidget *PnlSyusiJyouken = nullptr;
    QWidget *PnlHuriJyouken = nullptr;
    QComboBox *CmbIriHimoku = nullptr, *CmbIriHinmei = nullptr, *CmbIriShop = nullptr, *CmbIriPerson = nullptr,
              *CmbIriKouza = nullptr;
    QComboBox *CmbDeruHimoku = nullptr, *CmbDeruHinmei = nullptr, *CmbDeruShop = nullptr,
              *CmbDeruPerson = nullptr, *CmbDeruKouza = nullptr;
    QComboBox *CmbKari = nullptr, *CmbKasi = nullptr, *CmbPerson = nullptr;
    QLineEdit *EditHinmei = nullptr, *EditShop = nullptr;
    QButtonGroup *RBIriPickUp = nullptr, *RGDeruPickUp = nullptr, *RBKouzaPickUp = nullptr; // 0 選ぶ, 1 除く
    TMyDateTimePicker *DTPStart = nullptr, *DTPEnd = nullptr;
    QGroupBox *GBNext = nullptr;
    QButtonGroup *RGNext = nullptr, *RGLike = nullptr, *RGLikeKouza = nullptr, *RdGrpQuantity = nullptr;
    QGroupBox *GBLike = nullptr, *GBLikeKouza = nullptr, *GBQuantity = nullptr;
    QCheckBox *ChkBoxTakane = nullptr, *ChkBoxShop = nullptr, *ChkBoxQuantity = nullptr;
    TMySpeedButton *SpBtnReserve = nullptr;
    TFrameBtn *FrBtnExecute = nullptr, *FrBtnSyuSi = nullptr, *FrBtnHuri = nullptr, *FrBtnEdit = nullptr;
    // Printing and the spreadsheet export come later: hidden until then.
    TFrameBtn *FrBtnPrint = nullptr;
    QAction *ActionEdit = nullptr;
    QStackedWidget *PnlResults = nullptr;
    QWidget *PnlSyusi = nullptr, *PnlHuri = nullptr;
    TMyDBGrid *DBGridIri = nullptr, *DBGridDeru = nullptr, *DBGridKouza = nullptr;
    QLabel *BvlLbIriGoukei = nullptr, *BvlLbDeruGoukei = nullptr, *BvlLbSyusi = nullptr, *BvlLbKouzaGoukei = nullptr;
    QPushButton *LbShowIriSQL = nullptr, *LbShowDeruSQL = nullptr, *LbShowHuriSQL = nullptr;
    QPlainTextEdit *MemoIriSQL = nullptr, *MemoDeruSQL = nullptr, *MemoKouzaSQL = nullptr;

    // ---- state and operations (the handlers forward here) ------------------------

    // The builder and the page's per-result state; null without an open book.
    TTyuSyutuSql *Sql() const { return m_sql.get(); }
    Query *ListQuery(int result) const { return m_list[result]; }
    Query *StatsQuery(int result) const { return m_stats[result]; }
    // The grid of a result (TTyuSyutuSql::Iri, Deru, Kouza).
    TMyDBGrid *Grid(int result) const;

    // Reads the controls into the builder and rebuilds the SQL texts.
    void BuildSql(bool keepConditions);
    // 抽出開始: runs the results of the mode.
    void Execute();
    void RunResult(int result);
    // 1 収支, 0 振替.
    void SetMode(int mode);
    void ApplyStatistics();
    // A click on a grid title.
    void SortByColumn(int result, int column);
    void ToggleReserve();
    // ジャンプ: opens the focused grid's line on its entry page.
    void JumpToLine();
    bool CanJump() const;

private:
    void buildUi();
    QWidget *buildIncomeExpensePanel();
    QWidget *buildTransferPanel();
    QWidget *buildResult(int result, QLabel *&total, QPushButton *&showSql, QPlainTextEdit *&memo);
    void setUpGrid(int result);
    void setUpFields(Query *query);
    void applyColumns();
    void showTitles();
    void showSqlTexts();
    void showTotals();
    void readControls();
    void RefreshSettings();
    void reloadLookups();
    void fillOnDropDown(QComboBox *combo);
    void updateJump();
    void gridFocused(int result);
    QString nameOf(const QString &field, int code) const;

    std::unique_ptr<TTyuSyutuSql> m_sql;
    Query *m_list[3] = {};
    Query *m_stats[3] = {};
    DataSource *m_source[3] = {};
    QHash<QComboBox *, int> m_filledCategory;   // item and shop combos: the category of their last fill
    QHash<int, QString> m_names[4];             // categories, items, shops, persons
    bool m_useQuantity[3] = {};
    int m_focusedResult = -1;
    bool m_initialized = false;
    bool m_building = false;
};
