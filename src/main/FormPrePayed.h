#pragma once

#include <QDate>
#include <QDialog>

#include "platform/db/Currency.h"

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QToolButton;
class QWidget;

// 金券購入: buying vouchers (prepaid tickets, gift certificates). One line moves
// the amount paid from the paying account into the voucher account; a second
// books the premium (face value × quantity − amount paid) as income into it.
// The lines go into the transfer page's new voucher slip and are saved with it.
class TFormPrePayed : public QDialog
{
    Q_OBJECT
public:
    explicit TFormPrePayed(QWidget *parent = nullptr);
    ~TFormPrePayed() override;

    // The choice lists of the left panel.
    enum ListKind { lkRecDate = 0, lkHinmei, lkShop, lkPerson, lkSyukkin, lkInCome };

    // Makes the account the current voucher (the first voucher when it is
    // none), with its item and shop names as masters and its counter-account
    // as the paying account.
    void SetVoucher(int code);
    void SetPurchaseDate(const QDate &date);
    // The accounting month the purchase belongs to; the date stays inside it.
    void SetAccountingMonth(int year, int month);
    // Shows a choice list; clicking a row chooses it.
    void ShowList(int kind);
    // Chooses row `row` of the shown list.
    void ChooseListRow(int row);
    // The amounts after the face value, amount paid or quantity changed.
    void RecalcAmounts();
    // The date typed into the date box: kept when it is a date of the month.
    void MkEditRecDateExit();
    // The add panel of the item, shop and person lists: adds the typed name
    // as a choice (an item with the face value), or removes the chosen one.
    void FrBtnAppendListClick();
    void FrBtnDeleteListClick();
    // 登録: checks, writes the lines into the page's slip and closes. False when
    // a check refused (the user was told why).
    bool SpBtnApplyClick();

    int voucherCode() const { return m_voucher; }
    int payingAccount() const { return m_syukkin; }
    int incomeCategory() const { return m_inCome; }
    QDate purchaseDate() const { return m_date; }
    QDate periodStart() const { return m_start; }
    QDate periodEnd() const { return m_end; }
    Currency premium() const { return m_premium; }
    int listKind() const { return m_listKind; }
    void setPayingAccount(int code);
    void setIncomeCategory(int code);

    QComboBox *CmbBoxPrePayed = nullptr;
    QLineEdit *MkEditRecDate = nullptr;
    QToolButton *SpBtnApply = nullptr;
    QToolButton *SpBtnUndo = nullptr;
    QLineEdit *EditHinmei = nullptr;
    QLineEdit *FltEditGakumen = nullptr;
    QSpinBox *IntEditQuant = nullptr;
    QLineEdit *FltEditPayed = nullptr;
    QLabel *BvLbMasiGaku = nullptr;
    QLineEdit *EditSyukkin = nullptr;
    QLineEdit *EditShop = nullptr;
    QLineEdit *EditPerson = nullptr;
    QLineEdit *EditInCome = nullptr;
    QToolButton *TolBtnRecDate = nullptr;
    QToolButton *TolBtnHinmei = nullptr;
    QToolButton *TolBtnShop = nullptr;
    QToolButton *TolBtnPerson = nullptr;
    QToolButton *TolBtnSyukkin = nullptr;
    QToolButton *TolBtnInCome = nullptr;
    QListWidget *DBCtlGridSelecter = nullptr;
    QCalendarWidget *MyCalendar = nullptr;
    QWidget *PnlTuika = nullptr;
    QLineEdit *EditTuika = nullptr;
    QLineEdit *EditGaku = nullptr;
    QToolButton *FrBtnAppendList = nullptr;
    QToolButton *FrBtnDeleteList = nullptr;
    // The codes of the shown list, in its order.
    const QList<int> &listCodes() const { return m_listCodes; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    void CmbBoxPrePayedChange();
    void calcPeriod();
    void reloadList(const QString &locateName = QString());
    Currency amountOf(QLineEdit *edit) const;

    int m_voucher = -1;
    QString m_voucherName;
    int m_voucherItem = 0;
    int m_voucherShop = 0;
    int m_hinmei = -1;
    int m_shop = -1;
    int m_person = -1;
    int m_syukkin = -1;
    int m_inCome = -1;
    Currency m_premium;
    QDate m_date;
    int m_year = 0;
    int m_month = 0;
    QDate m_start;
    QDate m_end;
    int m_listKind = 1;
    QList<int> m_listCodes;
};
