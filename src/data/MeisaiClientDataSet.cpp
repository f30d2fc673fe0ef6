#include "data/MeisaiClientDataSet.h"

#include "platform/db/Field.h"

TMeisaiClientDataSet::TMeisaiClientDataSet()
{
    ResetEntryState();
}

TMeisaiClientDataSet::~TMeisaiClientDataSet()
{
    // Neither is owned; the page that set them may already be gone.
    CltSelecter = nullptr;
    m_amountField = nullptr;
}

void TMeisaiClientDataSet::ResetEntryState()
{
    CltNewRecPos = 0;
    CltDate = QDate();
    CltHimokuCODE = -1;
    CltCreditCODE = -1;
    CltReceiptNo = -1;
    CltLookupNo = -1;
    CltRecAiteCODE = -1;
    CltShopCODE = -1;
    CltSavePoint = -1;
    CltNeedBillPay = false;
}

static bool onOrBefore(const Field *field, const QDate &lockDate)
{
    return field && !field->isNull() && field->asDate() <= lockDate;
}

bool TMeisaiClientDataSet::IsLockedRecord() const
{
    if (!CltLockDate.isValid())
        return false;
    // In table entry the shown day decides for every line of it; no shown day
    // counts as locked, so nothing is written into a day not yet known.
    if (CltDataStyle == 1 && (!CltDate.isValid() || CltDate <= CltLockDate))
        return true;
    if (!isActive() || isEmpty())
        return false;
    if (onOrBefore(findField(QStringLiteral("RECDATE")), CltLockDate))
        return true;
    if (CltCheckPayDate && onOrBefore(findField(QStringLiteral("PayDate")), CltLockDate))
        return true;
    return false;
}

bool TMeisaiClientDataSet::IsForeignRecord() const
{
    if (!isActive() || isEmpty())
        return false;
    const Field *originField = findField(QStringLiteral("ORIGIN"));
    const Field *styleField = findField(QStringLiteral("STYLE"));
    const int origin = originField ? originField->asInteger() : 0;
    const int style = styleField ? styleField->asInteger() : 0;
    bool foreign = false;
    if (CltDataStyle == 1)
        foreign = origin != CltSyuSiIdo || style == 2 || style == 3 || style == 7 || style == 8;
    if (CltSyuSiIdo == 3)
        foreign = foreign || origin != 3;
    return foreign;
}
