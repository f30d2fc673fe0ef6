#pragma once

#include <QDate>
#include <QDialog>
#include <QList>
#include <QVariant>

class QButtonGroup;
class QDateEdit;
class QDoubleSpinBox;
class QGroupBox;
class QTableWidget;
class TMySpeedButton;

// "税率設定": the book's consumption-tax rates by start date ("ZeiList.DB") and
// its tax rounding. Rate edits are kept in the dialog and written together in
// one transaction when it closes; the rounding choice is stored at once.
class TFormTaxSet : public QDialog
{
    Q_OBJECT
public:
    explicit TFormTaxSet(QWidget *parent = nullptr);
    ~TFormTaxSet() override;

    // One rate row; rowId 0: not yet in the table. ZeiList has no key and
    // converted books repeat DATANO, so rows are told apart by the table's own
    // row id.
    struct Rate
    {
        qint64 rowId = 0;
        QVariant dataNo;
        QDate startDate;
        double percent = 0;
        bool changed = false;
    };

    QTableWidget *DBGrid1 = nullptr;
    QDateEdit *EditStartDate = nullptr;  // "適用開始日"
    QDoubleSpinBox *EditPercent = nullptr; // "税率"
    TMySpeedButton *SpBtnInsert = nullptr;
    TMySpeedButton *SpBtnDelete = nullptr;
    TMySpeedButton *SpBtnPost = nullptr;
    TMySpeedButton *SpBtnCancel = nullptr;
    TMySpeedButton *SpBtnlClose = nullptr;
    QGroupBox *RGroundOff = nullptr;
    QButtonGroup *RoundButtons = nullptr;

    const QList<Rate> &rates() const { return m_rates; }
    bool hasChanges() const;

    void SpBtnInsertClick();
    void SpBtnDeleteClick();
    // Puts the edit boxes into the selected row.
    void SpBtnPostClick();
    void SpBtnCancelClick();
    // Stores the rounding at once ("State"/"TaxCalc") and makes it the program's.
    void RGroundOffClick(int mode);
    // Writes every rate change in one transaction; false (with the reason
    // shown) when the book refused them.
    bool SaveRates();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void loadRates();
    void fillGrid();
    void showRow(int row);
    bool m_editDirty = false;
    bool m_loading = false;
    QList<Rate> m_rates;
    QList<qint64> m_deleted;
};

extern TFormTaxSet *FormTaxSet;
