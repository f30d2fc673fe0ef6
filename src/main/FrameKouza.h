#pragma once

#include <QHash>
#include <QPair>

#include "main/FrameDeru.h"

#include "main/FormPrePayed.h"

// The transfer page: the household's accounts down the monthly table, with the
// money into each account (the cell's value) and out of it (the cell's second,
// "stack" value) per day, the month's change, and with "ShowKouzaOnly" off the
// month-end balances and the total assets. Its slip modes are card bills, free
// transfers and voucher purchases.
class TFrameKouza : public TFrameDeru
{
    Q_OBJECT
public:
    explicit TFrameKouza(QWidget *parent = nullptr);
    ~TFrameKouza() override;

    int PageNo() override { return 2; }
    void SetHelpContexts() override;
    void SetTableFixedCounts() override;
    void FillTableRows() override;
    void FillTableAmounts() override;
    void RefillTableFromMeisai() override;
    void CalcTableTotals(bool fullRedraw) override;
    void CalcPeriod(int code) override;
    void CalcSlipTotals() override;
    void BuildColumnList(int mode) override;
    void ShowCategoryCaptions(int code) override;

    // Opens the voucher purchase for the new slip the slip list appended and
    // reloads the slip afterwards. False when the user cancelled.
    bool OpenVoucherPurchase();
    // The dialog while it is open (for tests that fill it in).
    TFormPrePayed *voucherDialog() const { return m_voucher; }

    bool showKouzaOnly() const { return ShowKouzaOnly; }
    // Switches the balances layout and stores the choice in the book.
    void SetShowKouzaOnly(bool on);
    // Whether an account grows on the debit side (assets) by its table row.
    bool rowIsAsset(int row) const;

    QLabel *BbLbKari = nullptr; // "入金額", "購入額", "返済額"
    QLabel *BbLbKasi = nullptr; // "出金額", "使用額", "利用額"

private:
    // A line counts on this page: its sides are accounts (or 諸口) when only
    // accounts are shown.
    bool countsLine(int kari, int kasi) const;
    // Money in and out per (day, account) of the lines the detail holds, as the
    // table counts them now.
    using CellKey = QPair<qint64, int>;
    QHash<CellKey, QPair<Currency, Currency>> m_counted;
    QString m_countedFor;
    bool m_countedValid = false;
    QPointer<TFormPrePayed> m_voucher;
};
