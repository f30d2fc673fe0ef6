#pragma once

#include <cstdint>
#include <functional>

#include <QDate>

#include "platform/db/ClientDataSet.h"

class DataSet;
class Field;
class QObject;

// The journal lines of the shown day, slip or card, with the entry state of the
// page attached to them. The data module's row events and the journal save read
// this state to know which page, entry style and slip they serve; the page fills
// it when it attaches (only one page is attached at a time).
//
// Entry styles (CltDataStyle, and STYLE of new lines): 1 table entry, 2 receipt,
// 3 bill, 4 scheduled entry, 5 automatic posting, 7 free entry, 8 voucher
// purchase; 0 detached. Page kinds (CltSyuSiIdo): 1 income, 2 expense,
// 3 transfer; 0 detached. -1 means "none" in every code and number below.
class TMeisaiClientDataSet : public ClientDataSet
{
public:
    TMeisaiClientDataSet();
    ~TMeisaiClientDataSet() override;

    uint8_t CltDataStyle = 1;
    uint8_t CltSyuSiIdo = 2;
    QObject *CltSelecter = nullptr;  // the attached page's selector frame; not owned
    int32_t CltNewRecPos = 0;        // RecPos of the next new line
    int32_t CltReceiptNo = -1;       // slip number of the shown slip
    int32_t CltLookupNo = -1;        // month code for the shown slip's lines
    int32_t CltRecAiteCODE = -1;     // counterpart account of new lines
    int32_t CltShopCODE = -1;        // shop code of new lines
    QDate CltDate;                   // shown day or slip date; null: none
    uint8_t CltOrigin = 0;           // ORIGIN of new lines
    bool CltNeedBillPay = false;
    int32_t CltCreditCODE = -1;      // credit card, voucher or transfer target account
    int32_t CltHimokuCODE = -1;      // the page's own category or account
    uint8_t CltZeiAtukai = 0;        // tax treatment of the shown category
    uint8_t CltLayoutKind = 1;
    int32_t CltSavePoint = -1;       // change-log point of the page's undo
    bool CltEditAllLines = false;
    bool CltCodeInput = false;       // a number typed into a name column is a code
    uint8_t CltBusyState = 0;        // 1 new-line defaults, 2 journal save
    QDate CltLockDate;               // copy of the book's lock date; null: none
    bool CltCheckPayDate = false;    // the lock also looks at PayDate

    // Call-backs into the attached page.
    std::function<void(DataSet &)> OnApplyUpdate;      // save: after the checks, before numbering
    std::function<void(DataSet &)> OnAfterApplied;     // save: the log was applied without error
    std::function<void(DataSet &)> OnNeedCalcSum;      // a line was posted or deleted
    std::function<void(DataSet &)> OnAfterScrolled;    // another line became current
    std::function<void(Field &)> OnFieldChange;        // a line field changed
    std::function<void(DataSet &)> OnAfterNoTransaction; // a large log was written directly
    // save: inside the save's transaction, after the lines were written on
    // either path; an exception takes the whole save back.
    std::function<void(DataSet &)> OnWriteInTransaction;
    // Unchecks the attached selector's assist action; set by the page with the
    // selector (the data layer knows no selector frame).
    std::function<void()> OnUncheckAssist;
    // A code typed into a slip's CreditCode or PayKouza and accepted: the
    // attached selector takes it as a typed choice and writes it. Without
    // one the code is stored in the field.
    std::function<void(Field &field, int code)> OnChooseCode;

    // Codes, numbers and the date back to "none", the new-line position to 0.
    void ResetEntryState();
    // The amount field the page edits (KINGAKU, or KasiGaku on the transfer page).
    Field *GetAmountField() const { return m_amountField; }
    void SetAmountField(Field *field) { m_amountField = field; }
    void ClearSavePoint() { CltSavePoint = -1; }

    // The current line lies on or before the lock date.
    bool IsLockedRecord() const;
    // The current line belongs to another kind of input than the attached page.
    bool IsForeignRecord() const;
    bool IsReadOnlyRecord() const { return IsLockedRecord() || IsForeignRecord(); }

private:
    Field *m_amountField = nullptr;
};

// The journal state of a data set (nullptr when it is a plain client data set).
inline TMeisaiClientDataSet *MeisaiState(DataSet *dataSet)
{
    return dynamic_cast<TMeisaiClientDataSet *>(dataSet);
}
