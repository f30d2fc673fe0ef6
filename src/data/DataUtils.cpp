#include "data/DataUtils.h"

#include <QComboBox>

#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "data/Holidays.h"
#include "data/MasterCodes.h"
#include "data/SimeDate.h"
#include "data/Vocabulary.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"

namespace {

// Closing day as compared between categories: 0 and 31 both mean month end.
int monthEndAs31(int simeBi)
{
    return simeBi == 0 || simeBi == -1 ? 31 : simeBi;
}

const THimokuData *groupRow(int code)
{
    for (const THimokuData &h : VisibleHimokuArray)
        if (h.Code == code)
            return &h;
    return nullptr;
}

bool sameClosing(const THimokuData &a, const THimokuData &b)
{
    return monthEndAs31(a.SimeBi) == monthEndAs31(b.SimeBi) && a.SimeShift == b.SimeShift;
}

} // namespace

Currency SumMeisaiKingaku(DataSet &dataSet)
{
    if (!dataSet.isActive() || dataSet.isEmpty())
        return Currency();
    Currency sum;
    dataSet.disableControls();
    const Bookmark here = dataSet.bookmark();
    try {
        dataSet.first();
        while (!dataSet.eof()) {
            sum += dataSet.fieldByName(QStringLiteral("KINGAKU"))->asCurrency();
            dataSet.next();
        }
        if (dataSet.bookmarkValid(here))
            dataSet.gotoBookmark(here);
    } catch (...) {
        dataSet.enableControls();
        throw;
    }
    dataSet.enableControls();
    return sum;
}

bool ConfirmSaveChanges(ClientDataSet &dataSet)
{
    if (!dataSet.isActive())
        return true;
    dataSet.checkBrowseMode();
    if (dataSet.changeCount() == 0)
        return true;
    switch (MessageDlg(QStringLiteral("変更を保存しますか？"), MsgDlgType::Information, mbYesNoCancel)) {
    case mrYes:
        dataSet.applyUpdates(-1);
        if (DatMod)
            DatMod->DataChanged = true;
        CommitDataChanges();
        return true;
    case mrNo:
        dataSet.cancelUpdates();
        return true;
    default:
        return false;
    }
}

QDate GetFurikomiDate(int code, int nendo, int month)
{
    THimokuData account;
    if (!GetHimokuData(code, account))
        return QDate();
    HolidayTest isHoliday;
    if (DatMod && DatMod->MainDatabase.isOpen())
        isHoliday = TableHolidayTest(DatMod->MainDatabase);
    return GetFurikomiDate(account.FurikomiBi, account.Cycle, account.HolidayShift, nendo, month, CurSimeTuki,
                           CurShiftNendo, isHoliday);
}

int ComboToCode(QComboBox *combo, Table &masterTable)
{
    const int index = combo->currentIndex();
    if (index >= 0 && combo->currentText() == combo->itemText(index) && combo->itemData(index).isValid())
        return combo->itemData(index).toInt();
    return GetOrAddMasterCode(masterTable, combo->currentText());
}

bool IsSameIriDeruSime()
{
    const THimokuData *iri = groupRow(1);
    const THimokuData *deru = groupRow(2);
    if (!iri || !deru)
        return false;
    return sameClosing(*iri, *deru) && !iri->SimeHistroy && !deru->SimeHistroy;
}

bool IsUniformSime()
{
    const THimokuData *iri = groupRow(1);
    const THimokuData *deru = groupRow(2);
    if (!iri || !deru || iri->SimeHistroy)
        return false;
    if (!sameClosing(*iri, *deru) || deru->SimeHistroy)
        return false;
    for (const THimokuData &k : KouzaHimokuArray)
        if (!sameClosing(*iri, k) || k.SimeHistroy || k.Tokubetu)
            return false;
    for (const THimokuData &h : VisibleHimokuArray)
        if (h.Code >= 100 && h.Tokubetu)
            return false;
    return true;
}
