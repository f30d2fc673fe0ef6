#pragma once

#include <functional>
#include <memory>

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class DataSource;
class Database;
class QLabel;
class QToolButton;
class Query;
class TFrameBtn;
class TMyDBGrid;
class TShapeBtn;

// What the detail list of the annual page shows: the lines of one table cell.
struct TNenSyusiMeisaiRequest
{
    // 1 income table, 2 expense table, 3 account table; 0 the balance row,
    // which lists nothing.
    int Kind = 2;
    // The row's category or account; 0 for a table's total row, which lists the
    // lines of every category (account) the table counts.
    int Code = 0;
    QDate StartDate;
    QDate EndDate;
    bool IncludeReserved = false;
    // The filters of 条件集計 (codes 0 filter nothing).
    bool JyoukenOn = false;
    int HimokuCode = 0;
    int HinmeiCode = 0;
    int ShopCode = 0;
    int PersonCode = 0;
    int KouzaCode = 0;
};

// The detail panel of the annual page (PnlMeisai): the journal lines behind the
// table cell the user chose, sortable by a click on a column title, a jump to a
// line's entry page, and the button that moves the panel between the right side
// and the bottom of the page.
//
// The list counts what the table counts: a category row lists its lines, a
// total row the lines of the categories (accounts) in the shown caches only, so
// hidden and, while 特別 is off, special categories list nothing as they count
// nothing; an empty RESERVED is a booked line.
class TNenSyusiMeisai : public QWidget
{
    Q_OBJECT
public:
    explicit TNenSyusiMeisai(QWidget *parent = nullptr);
    ~TNenSyusiMeisai() override;

    QLabel *LbTitle = nullptr;
    QLabel *LbSimebi = nullptr;
    TMyDBGrid *DbGridMeisai = nullptr;
    QToolButton *NavFirst = nullptr;
    QToolButton *NavPrior = nullptr;
    QToolButton *NavNext = nullptr;
    QToolButton *NavLast = nullptr;
    TFrameBtn *FrBtnEdit = nullptr;      // ジャンプ
    TShapeBtn *SpBtnMeisaiPnl = nullptr; // ↓ / ↑: where the panel sits

    // The SQL text of a request, in the engine's dialect, with the parameters
    // :StartDate and :EndDate; the sort field is one of the grid's field names
    // ("RECDATE", "QUANTITY", "KINGAKU", "HimokuName", "Hinmei", "ShopName",
    // "ParsonName", "KouzaName"), descending when desc. Empty for kind 0.
    static QStringList BuildSql(const TNenSyusiMeisaiRequest &request, const QString &sortField, bool desc);

    // Lists the request's lines (kind 0 leaves the list as it is). Engine
    // errors propagate; the list is then empty.
    void ShowLines(Database &db, const TNenSyusiMeisaiRequest &request);
    // The last request shown again (after a sort).
    void Reload();
    // Closes the list and forgets its text (the page is left).
    void CloseList();

    // The title and period labels; an empty span (start after end) clears the
    // period label.
    void SetCaption(const QString &title, const QDate &start, const QDate &end);
    void ClearPeriod();

    // Titles, colours and the quantity column for a table kind (1 income, 2
    // expense, 3 accounts, 0 balance).
    void SelectKind(int kind, bool quantityVisible, bool kouzaVisible);
    void SetKouzaColumnVisible(bool visible);
    int detailKind() const { return m_kind; }

    // A click on a column title: a new column sorts ascending, the sort column
    // toggles its direction; then the list is read again.
    void TitleClick(int column);
    QString sortField() const { return m_sortField; }
    bool sortDescending() const { return m_desc; }

    // The lines now listed.
    Query *query() const { return m_query.get(); }
    int lineCount() const;
    // DATANO of the current line; 0 when none.
    int currentDataNo() const;
    // ジャンプ: the current line on its journal page.
    void JumpToCurrent();

    // Shows a journal line on its entry page; set by the main window's start-up.
    // Unset, ジャンプ stays disabled.
    static std::function<bool(int dataNo)> JumpToDataNo;

    // Right side (true) or bottom (false); the page moves the panel.
    bool onRight() const { return m_onRight; }
    void setOnRight(bool right);

signals:
    void positionToggled();

private:
    void buildUi();
    void prepareFields();
    void applyTitles();
    void updateJump();

    std::unique_ptr<Query> m_query;
    DataSource *m_source = nullptr;
    Database *m_db = nullptr;
    TNenSyusiMeisaiRequest m_request;
    bool m_haveRequest = false;
    int m_kind = 2;
    QString m_sortField = QStringLiteral("KINGAKU");
    bool m_desc = true;
    bool m_onRight = true;
};
