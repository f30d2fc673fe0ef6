#pragma once

#include <cstdint>

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// "月度変更": moves the slip shown on a journal page to another accounting
// year and month by rewriting the month code (LOOKUPNO) of every line of the
// slip in one update.
class TFormGetudoChange : public QDialog
{
    Q_OBJECT
public:
    explicit TFormGetudoChange(QWidget *parent = nullptr);

    // Prepares the dialog before it is shown: the slip, its year and month
    // (0 gives 2003, a month outside 1..12 gives 1) and whether the credit
    // note is shown.
    void SetupDialog(int receiptNo, uint16_t year, uint16_t month, bool showCredit);

    QLabel *LbReceiptNo = nullptr;
    QLabel *LbCredit = nullptr;
    QComboBox *CmbBoxYear = nullptr;
    QComboBox *CmbBoxMonth = nullptr;
    QPushButton *FrBtnExecute = nullptr;
    QPushButton *FrBtnCancel = nullptr;

    // Reads the boxes and, for a valid year and month, rewrites the slip's
    // month code and closes with OK.
    void FrBtnExecuteClick();

private:
    int m_receiptNo = 0;
    uint16_t m_year = 0;
    uint16_t m_month = 0;
};
