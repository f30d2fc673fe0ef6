#include "main/FrameDeru.h"

#include <memory>

#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/HimokuCache.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiSave.h"
#include "data/Vocabulary.h"
#include "main/AutoWithdrawal.h"
#include "main/ReceiptList.h"
#include "platform/db/Field.h"

// The bill header's consequences on a journal page: the accounting month a
// bill belongs to and the automatic withdrawal line written with its save.

void TFrameDeru::SlipPeriod(QDate &start, QDate &end) const
{
    if (InputMode != 3 && InputMode != 8)
        return;
    TMeisaiClientDataSet *r = DatMod ? ReceiptClt(*DatMod) : nullptr;
    if (!r || !r->isActive() || r->isEmpty() || !DatMod->DataOpen)
        return;
    Field *credit = r->findField(QStringLiteral("CreditCode"));
    const int code = credit && !credit->isNull() ? int(credit->asInteger()) : 0;
    if (code < 100)
        return;
    int simeBi = 31, shift = 0;
    QDate s, e;
    GetHimokuSimePeriod(DatMod->MainDatabase, code, ShownYear, ShownMonth, CurSimeTuki, CurShiftNendo, simeBi, shift,
                        s, e);
    if (s.isValid() && e.isValid()) {
        start = s;
        end = e;
    }
}

void TFrameDeru::InstallAutoWithdrawal()
{
    TMeisaiClientDataSet *m = meisai();
    if (!m || FrameKind != 2 || InputMode != 3)
        return;
    auto withdrawal = std::make_shared<TAutoWithdrawal>();
    // The slip numbering stays the first step of the apply hook.
    auto numbering = m->OnApplyUpdate;
    m->OnApplyUpdate = [numbering, withdrawal](DataSet &ds) {
        if (numbering)
            numbering(ds);
        if (auto *lines = MeisaiState(&ds))
            withdrawal->Prepare(DatMod->MainDatabase, *lines, MeisaiSaveState, CurLockDate);
    };
    m->OnWriteInTransaction = [withdrawal](DataSet &ds) {
        if (auto *lines = MeisaiState(&ds))
            withdrawal->Write(DatMod->MainDatabase, *lines);
    };
}
