#pragma once

#include <memory>

#include <QFrame>
#include <QString>

#include "main/FrameInterface.h"
#include "main/MainForm.h"

class DataSource;
class QAction;
class QButtonGroup;
class QToolBar;
class TDeruLineMenu;
class TMeisaiGrid;
class TMyDBNavigator;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class TFrameBtn;
class QLineEdit;
class QRadioButton;
class QKeyEvent;
class QTabBar;
class TFrameSelecter;
class TMyDBGrid;
class TReserveCardClt;
class TShapeBtn;

// "予約": scheduled entries. Each card says what to book every month (codes,
// amount or twelve monthly amounts, posting day, holiday rule, months); the
// page generates one journal line per month from it into the journal, and
// lists the card's lines below, scheduled ("未") until the start-up books them
// or booked ("済").
//
// The card is edited in its own data set (ReserveCardClt) through the
// controls and the embedded selector; the lines are the shared journal lines
// (DatMod's MeisaiClt) in entry style 4. Pending line edits are never dropped
// silently: saving or cancelling a card, and changing card or kind, first
// save them and stay put when the save is refused.
class TFrameReserve : public QFrame, public IFrameInterface, public IFrameCloseCommit
{
    Q_OBJECT
public:
    explicit TFrameReserve(QWidget *parent = nullptr);
    ~TFrameReserve() override;

    // ---- IFrameInterface --------------------------------------------------
    void InitPage() override;
    void RefreshPage() override;
    int ReleaseOrder() override { return 2; }
    bool LeavePage() override;
    int PageNo() override { return pgReserve; }
    bool CommitForClose() override { return LeavePage(); }

    // ---- operations -------------------------------------------------------
    void AttachJournal();
    void DetachJournal();
    // Saves the changed card and the pending lines; false when either was refused.
    bool CommitReservePage();
    // Shows the cards of a kind (1 income, 2 expense, 3 transfer).
    void SelectCardKind(int kind);
    void FillCardTabs(int selectReceiptNo = -1);
    void LoadCard(int receiptNo);
    void NewCard();
    void ReloadLines();
    // Saves the card; false when refused (the user was told why).
    bool SaveCard();
    void CancelCard();
    void DeleteCard();
    // "再生成": adds the lines of the months that have none; the count added,
    // -1 when nothing was generated (refused or cancelled).
    int MakeList();
    // "保存" of the lines.
    bool SaveLines();
    void CancelLines();
    // "追加": a new line of the card, taking the card's codes and tax treatment.
    void InsertLine();
    // "削除": the current line, or the selected ones after asking.
    void DeleteLines();
    // "元に戻す": takes back the last change of the lines.
    void UndoLine();
    // Enter in the grid: the line is posted and the next one becomes current.
    void GoToNextLine();
    void OpenMonthly();
    void ShowTotal();
    // 明細を印刷: the card's lines as a grid report under the card's name, with
    // the total; with no line the user is told there is nothing to print.
    void PrintLines();
    // 明細をエクセルへ: the card's lines as the grid shows them into a workbook
    // chosen by the user; with no line the user is told there is nothing.
    void ExportLines();

    bool CardChanged() const;
    bool LinesChanged() const;

    int CardKind = 2;
    int CardNo = 0;

    // ---- components -------------------------------------------------------
    QComboBox *CmbBoxSyusiIdo = nullptr;
    TShapeBtn *SpBtnNew = nullptr;
    TShapeBtn *SpBtnDeleteCard = nullptr;
    TShapeBtn *ShpBtnAll = nullptr;
    TShapeBtn *FrameBtn1 = nullptr;
    QTabBar *CTabCnt = nullptr;
    QGroupBox *GBoxInfo = nullptr;
    QLabel *LbHimoku = nullptr;
    QLineEdit *DBEditHimoku = nullptr;
    QLabel *LbAite = nullptr;
    QLineEdit *DBEditAite = nullptr;
    QLineEdit *DBEditHinmei = nullptr;
    QLineEdit *DBEditShop = nullptr;
    QLineEdit *DBEditPerson = nullptr;
    QRadioButton *RdFixed = nullptr;    // 定額
    QRadioButton *RdMonthly = nullptr;  // 月毎
    QLineEdit *DBEditKingaku = nullptr;
    TShapeBtn *ClrBtnMonthGaku = nullptr;
    QComboBox *DBCmbBoxPostDate = nullptr;
    QComboBox *DBCmbBoxZeiAtukai = nullptr;
    QButtonGroup *DBRGHolidayShift = nullptr;
    QComboBox *DBCmbBoxStartYear = nullptr;
    QComboBox *DBCmbBoxStartMonth = nullptr;
    QComboBox *DBCmbBoxEndYear = nullptr;
    QComboBox *DBCmbBoxEndMonth = nullptr;
    TShapeBtn *ShpBtnCardPost = nullptr;
    TShapeBtn *ShpBtnCardCancel = nullptr;
    QCheckBox *DBCBoxNoVisible = nullptr;
    QLineEdit *DBEditCardName = nullptr;
    QLabel *LbCardNo = nullptr;
    TFrameSelecter *FrSelecter = nullptr;
    TShapeBtn *ShpBtnMakeList = nullptr;
    QToolBar *TlBarDBNav = nullptr;
    QAction *DataSetApplyUpdates1 = nullptr; // 保存
    QAction *DataSetPost1 = nullptr;         // 登録
    QAction *DataSetInsert1 = nullptr;       // 追加
    QAction *DataSetDelete1 = nullptr;       // 削除
    QAction *DataSetCancel1 = nullptr;       // 取消
    QAction *DataSetUndo1 = nullptr;         // 元に戻す
    QAction *DataSetCancelUpdates1 = nullptr; // 全取消
    TMyDBNavigator *DBNavigator = nullptr;
    QLabel *BvLbGoukei = nullptr;
    TFrameBtn *FrBtnPrint = nullptr;
    TMeisaiGrid *MyDbGridMeisai = nullptr;
    // The line menu ("Menu" on the list bar and the grid's context menu).
    TDeruLineMenu *LineMenu = nullptr;

    TReserveCardClt *ReserveCardClt() const { return m_card.get(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void applyKindLabels();
    void fillCardFields();
    void writeCardValue(const char *field, const QVariant &value);
    void typedName(QLineEdit *edit, const char *codeField);
    void showCardList(QLineEdit *edit);
    void cardChoose(int code, const QString &name);
    void updateActions();
    bool checkMonths(QDate &start, QDate &end);
    void setNewLineCodes();
    bool gridKeyDown(QKeyEvent *event);
    bool storeCard();

    std::unique_ptr<TReserveCardClt> m_card;
    DataSource *MeisaiCltSrc = nullptr;
    QLineEdit *m_lastEdit = nullptr;
    QString m_codeField;          // the card field the selector writes into
    bool m_loading = false;
    bool m_attached = false;
    bool m_tabChanging = false;
    bool m_useSyusiHimoku = false;
    bool m_initialised = false;
};
