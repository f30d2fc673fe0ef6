#pragma once

#include <cstdint>
#include <functional>

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include "controls/MyDBGrid.h"
#include "platform/db/Currency.h"

class DataSet;
class DataSource;
class Field;
class QComboBox;
class QLabel;
class TBevelLabel;
class TFrameBtn;
class TReceiptList;

// An edit box bound to one field of the slip list's current row: shows the
// field's display text, writes the typed text through the field's text rule
// when editing finishes (the rules spread a date or shop over the slip's lines).
class TSlipFieldEdit : public QLineEdit
{
    Q_OBJECT
public:
    TSlipFieldEdit(const QString &fieldName, QWidget *parent = nullptr);
    void setDataSource(DataSource *source);
    QString fieldName() const { return m_fieldName; }
    Field *field() const;
    // Shows the field's current text (drops what is typed and not yet written).
    void refresh();
    // Writes the typed text into the field (edit state as needed); true when
    // written or nothing was typed. A refused text stays in the box, marked
    // as typed, so the user can correct it; the field keeps its value.
    bool commit();

signals:
    void clicked();
    // The typed text was written into the field.
    void committed(Field *field);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_fieldName;
    QPointer<DataSource> m_source;
    // The text last refused: leaving the box does not raise it a second time.
    QString m_refusedText;
    bool m_hasRefused = false;
};

// Sums of the detail lines.
struct TSlipSums
{
    Currency KariGaku;   // receipts side (入金)
    Currency KasiGaku;   // payments side (出金)
    Currency Kingaku;    // amounts
    Currency Zei;        // consumption-tax lines (item name holds "消費税")
};

// The slip side of a journal page around the detail grid: the slip bar
// PnlReceiptListInfo (title, new-slip button), the slip header panels
// PnlReceiptInfo (date, shop) and PnlCreditInfo (credit, payment day, payment
// account) with data-aware boxes on the slip list's current row, and the total
// labels under the detail grid (PnlGoukei).
//
// The panels are made as children of this widget, stacked; a page that wants
// them elsewhere moves them into its own layouts (they keep working: they talk
// to the slip list, not to their parent).
class TSlipPanel : public QWidget
{
    Q_OBJECT
public:
    explicit TSlipPanel(TReceiptList *list, QWidget *parent = nullptr);
    ~TSlipPanel() override;

    // ---- components -------------------------------------------------------
    QWidget *PnlReceiptListInfo = nullptr;
    TBevelLabel *LbReceiptTitle = nullptr;   // "レシート入力", "請求書入力", …
    TFrameBtn *SpBtnNewReceipt = nullptr;    // "新規レシート", …
    QWidget *PnlReceiptInfo = nullptr;
    QLabel *LbDate = nullptr;                // "日付"
    TSlipFieldEdit *DBEditDate = nullptr;    // RecDate
    QLabel *LbShop = nullptr;                // "店名"
    TSlipFieldEdit *DBEditShop = nullptr;    // ShopName
    QWidget *PnlCreditInfo = nullptr;
    QLabel *LbCredit = nullptr;              // "クレジット名", "振込口座", "金券名"
    TSlipFieldEdit *DBEditCredit = nullptr;  // CreditCode
    QLabel *LbPayDate = nullptr;             // "引落日"
    TSlipFieldEdit *DBEditPayDate = nullptr; // PayDate
    QLabel *LbPayKouza = nullptr;            // "引落口座"
    TSlipFieldEdit *DBEditPayKouza = nullptr;// PayKouza
    QWidget *PnlGoukei = nullptr;
    QLabel *LbMeisaiGoukei = nullptr;        // "明細の合計" / "選択の合計"
    QLabel *BbLbKari = nullptr;              // "入金"
    QLabel *BbLbKarigou = nullptr;
    QLabel *BbLbKasi = nullptr;              // "出金"
    QLabel *BbLbKasigou = nullptr;
    QLabel *LbZeiGoukei = nullptr;           // "（税合計）"
    QLabel *BbLbZeiKarigou = nullptr;

    TReceiptList *list() const { return m_list; }
    // The detail grid whose selected rows SumSelectedLines reads (the page's).
    void setDetailGrid(TMyDBGrid *grid) { m_detailGrid = grid; }

    // ---- operations -------------------------------------------------------
    // Panels, captions and visible total labels of the mode for the list's page kind.
    void ApplyModeCaptions(uint8_t mode);
    // Starts a new slip: save, open the list, a date within the period and
    // after the lock date, a new row, its (empty) lines. False when the save
    // refused (nothing changes).
    bool SpBtnNewReceiptClick();
    // The click on a header box or the slip list: a new slip when the list is
    // closed or empty.
    void DBEditDateClick();
    // Recomputes the totals of the detail lines: the labels and, in the slip
    // modes, the slip row's KINGAKU, KariGaku and KasiGaku (not posted here).
    // Returns the sums; table mode also signals tableCellTotal.
    TSlipSums CalcDetailTotals();
    // The sums over every line of MeisaiClt; tableMode leaves slip lines out of the tax sum.
    static TSlipSums SumAllLines(DataSet &lines, bool tableMode);
    // Whether a line counts in the tax total: its item is named as consumption
    // tax, and in table entry it is no slip line (a slip carries its own tax).
    static bool IsTaxLine(const QString &itemName, int style, bool tableMode);
    // The sums over the detail grid's selected rows (tax 0).
    TSlipSums SumSelectedLines() const;
    // The header guard after a move in the slip list: read-only navy boxes for a
    // locked or foreign slip, editable black ones otherwise; shows the row.
    void SlipAfterScroll();
    // A header field chosen in the selector: passes it on to the slip's lines
    // (RecDate, ShopName/ShopCode, CreditCode, PayDate, PayKouza). A slip with a
    // locked line, or a date on or before the lock date, is refused as a whole
    // with the lock message (nothing written, the row's header put back): false.
    bool CopySlipFieldToLines(Field &field);
    // Writes every header box's pending text into the slip row.
    void CommitHeader();

    // Input mode the totals and captions follow (set by ApplyModeCaptions).
    uint8_t InputMode = 2;

signals:
    // A new slip row was appended and its empty lines loaded.
    void newSlipStarted();
    // Table mode: the amount of the shown cell (the page writes it into the table).
    void tableCellTotal(Currency amount);
    // The totals were recomputed.
    void totalsChanged(const TSlipSums &sums);
    // Enter in the last header box: the page focuses the detail grid's first column.
    void focusDetailGrid();

private:
    void buildUi();
    void setLabelAmount(QLabel *label, const Currency &amount);
    void headerEnterKey(TSlipFieldEdit *box);

    TReceiptList *m_list = nullptr;
    QPointer<TMyDBGrid> m_detailGrid;
};
