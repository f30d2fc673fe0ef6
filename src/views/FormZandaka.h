#pragma once

#include <cstdint>

#include <QDate>
#include <QDialog>
#include <QString>

#include "platform/db/Currency.h"

class Database;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class TBevelLabel;
class TFloatEdit;

// 口座残高調整: makes an account's balance equal the real one (a bank statement,
// the cash in the purse) by booking the difference against an income or
// expense category, as one journal line with the system item 残高調整, or by
// adding it to such a line already booked that day between the same two codes.
class TFormZandaka : public QDialog
{
    Q_OBJECT
public:
    explicit TFormZandaka(QWidget *parent = nullptr);

    // Set by the opener before Prepare.
    Currency NowBalance;
    int32_t KouzaCode = 0;
    QString KouzaName;
    QDate BaseDate;

    // Worked out by the dialog.
    bool KouzaKarigata = true;
    int32_t TyouseiCode = 0;
    uint8_t TyouseiKind = 0; // 1 income, 2 expense, 3 account, 0 none
    Currency TyouseiGaku;
    QDate BookDate;

    TBevelLabel *BvlLbName = nullptr;
    QLabel *LbMotoDate = nullptr;
    TFloatEdit *FltEditNow = nullptr;
    TFloatEdit *FltEditAfter = nullptr;
    QComboBox *CmbTyouSei = nullptr;
    QDateEdit *DTPDate = nullptr;
    TFloatEdit *FltEditTyousei = nullptr;
    QPushButton *FrBtnExecute = nullptr;
    QPushButton *FrBtnCancel = nullptr;
    QPushButton *FrBtnHelp = nullptr;

    // Fills the controls from the fields above (the showing). False, after
    // "費目の設定が変です。", when no category is left to adjust with.
    bool Prepare();
    // Works out the amount to book from the typed balance, the category and
    // the date.
    void CalcTyousei();
    // "実行": books the adjustment and closes with OK; a zero difference, a
    // locked date or a failed write keeps the dialog open with a message.
    bool Execute();
    // Prepare, then the dialog modally.
    int ShowModal();

    // Books amount between the two codes on date, merged into the first line of
    // that date, codes and item 残高調整 when there is one. One transaction with
    // the record number; engine errors propagate and leave the book as it was.
    static void BookAdjustment(Database &db, const QDate &date, int kariCode, int kasiCode, Currency amount,
                               int origin);

private:
    void buildUi();
};
