#pragma once

#include <QWidget>

class EDatabaseError;
class QAbstractButton;
class QButtonGroup;
class QMenu;
class QPushButton;
class QStackedWidget;
class QStandardItem;
class QStandardItemModel;
class QVariant;
class QTableView;
class TDataOpJournalPage;
class TDataOpListPage;
class TDataOpMasterPage;
class TDataOpSqlPage;

// "データ操作": changes many records of the open book at once and works on its
// tables directly. It has no border and covers the main window's client area
// until "操作終了"; the page buttons choose one of its pages. Every page
// switch and the end flush the book's data sets, so the other pages see what
// was changed here.
class TFormDataOperation : public QWidget
{
    Q_OBJECT
public:
    // Made over owner's window; frees itself when closed.
    explicit TFormDataOperation(QWidget *owner);
    ~TFormDataOperation() override;

    QButtonGroup *PageButtons = nullptr;
    QPushButton *FrBtnMaster = nullptr;     // 家計簿データ編集
    QPushButton *FrBtnHinmei = nullptr;     // 品名テーブル編集
    QPushButton *FrBtnShop = nullptr;       // 店名テーブル編集
    QPushButton *FrBtnPerson = nullptr;     // 使用者テーブル編集
    QPushButton *FrBtnHinmeiList = nullptr; // 品名選択肢編集
    QPushButton *FrBtnShopList = nullptr;   // 店名選択肢編集
    QPushButton *FrBtnSQL = nullptr;        // SQL
    QPushButton *FrBtnEnd = nullptr;        // 操作終了
    QPushButton *FrBtnPrint = nullptr;      // 印刷: opens PopupMenuPrint
    QPushButton *FrBtnHelp = nullptr;       // ?
    QMenu *PopupMenuPrint = nullptr;
    QStackedWidget *Pages = nullptr;
    TDataOpJournalPage *TabMain = nullptr;
    TDataOpMasterPage *TabMaster = nullptr;
    TDataOpListPage *TabSelectList = nullptr;
    TDataOpSqlPage *TabSQL = nullptr;

    // Closes the pages' results and flushes the book, then shows the page of
    // the pressed button (nothing more for any other sender).
    void ShowOperationPage(QAbstractButton *sender);
    void CloseQueries();
    // Deferred re-queries of the pages whose filters changed.
    void ApplicationEvents1Idle();

    // The grid of the page shown, with its report kind and its title (the
    // report's and the sheet's); no grid on the choice-list page.
    struct PrintTarget
    {
        QTableView *grid = nullptr;
        int kind = -1;
        QString title;
    };
    PrintTarget ShownPrintTarget() const;
    // 明細を印刷: the shown grid as a report in the print preview.
    void MenuPrintMeisaiClick();
    // 明細をエクセルへ: the shown grid into a new workbook.
    void MenuPrintMeiseiExcelClick();

    // The one question before a bulk change: true on はい.
    static bool ConfirmBulkChange(int count);
    // The per-row question of the bulk operations.
    enum class RowAnswer { Yes, No, Abort, YesToAll };
    static RowAnswer AskRow(const QString &text);
    // An engine refusal in Japanese, the engine's own text only as detail.
    static void ShowEngineError(const QString &what, const EDatabaseError &error);
    // A typed text as a LIKE operand bound as a parameter with ESCAPE '^':
    // "%", "_" and "^" match themselves.
    static QString LikePattern(QString text);
    // Captions of a grid's titles: labels, with " ↑" or " ↓" in bold after the
    // sorted column's.
    static void ShowSortColumn(QStandardItemModel *model, const QStringList &labels, int sortColumn, bool desc);
    // What a cell of the journal or SQL result grid holds, for its colour.
    enum class CellKind { Plain, Date, Money };
    // The text colour of a journal or SQL result cell: a negative amount red;
    // a date red on Sundays and holidays, blue on Saturdays; every cell of a
    // journal line not yet booked (reserved) grey.
    static void DBGridMainDrawColumnCell(QStandardItem *item, CellKind kind, const QVariant &value,
                                         bool reserved = false);
    // The selected line of the journal or SQL result grid while another
    // control has the focus: a pale green, so the line stays in sight.
    static void SetUnfocusedSelection(QTableView *grid);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void fitToOwnerWindow();
    QWidget *m_host = nullptr;
};

// The dialog's one instance while it exists.
extern TFormDataOperation *FormDataOperation;
