#include "data/MeisaiDefaults.h"

#include <array>

#include "data/DatMod.h"
#include "data/DatModEvents.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiSave.h"
#include "platform/db/Abort.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

namespace {

Field *fld(DataSet &ds, const char *name)
{
    return ds.fieldByName(QLatin1String(name));
}

void setCode(DataSet &ds, const char *name, int code)
{
    // -1 is "none" in the entry state: the line keeps its empty code.
    if (code != -1)
        fld(ds, name)->setAsInteger(code);
}

void copyValue(DataSet &ds, const char *to, const char *from)
{
    fld(ds, to)->setValue(fld(ds, from)->value());
}

// Sets a flag of the data module for a scope and clears it again, also on an error.
class FlagScope
{
public:
    explicit FlagScope(bool &flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }

private:
    bool &m_flag;
};

void SetSelfAiteFromCodes(TMeisaiClientDataSet &ds)
{
    switch (ds.CltSyuSiIdo) {
    case 1:
        copyValue(ds, "SelfCode", "KASICODE");
        copyValue(ds, "AiteCode", "KARICODE");
        break;
    case 2:
        copyValue(ds, "SelfCode", "KARICODE");
        copyValue(ds, "AiteCode", "KASICODE");
        break;
    case 3:
        if (ds.CltDataStyle != 1)
            break;
        if (!fld(ds, "KARICODE")->isNull() && fld(ds, "KARICODE")->asInteger() == ds.CltHimokuCODE) {
            copyValue(ds, "SelfCode", "KARICODE");
            copyValue(ds, "AiteCode", "KASICODE");
            copyValue(ds, "KariGaku", "KINGAKU");
            fld(ds, "KasiGaku")->clear();
        } else {
            copyValue(ds, "SelfCode", "KASICODE");
            copyValue(ds, "AiteCode", "KARICODE");
            fld(ds, "KariGaku")->clear();
            copyValue(ds, "KasiGaku", "KINGAKU");
        }
        break;
    default:
        break;
    }
}

void SetSelfAiteFromKariSide(TMeisaiClientDataSet &ds)
{
    const bool kariSide = fld(ds, "KARISIDE")->asBoolean();
    copyValue(ds, "SelfCode", kariSide ? "KARICODE" : "KASICODE");
    copyValue(ds, "AiteCode", kariSide ? "KASICODE" : "KARICODE");
    if (ds.CltSyuSiIdo == 3) {
        copyValue(ds, kariSide ? "KariGaku" : "KasiGaku", "KINGAKU");
        fld(ds, kariSide ? "KasiGaku" : "KariGaku")->clear();
    }
}

void SetTransferSideCodes(TMeisaiClientDataSet &ds, bool debitSide)
{
    const bool slipStyle = ds.CltDataStyle == 3 || ds.CltDataStyle == 8;
    const QVariant own = slipStyle ? QVariant(ds.CltCreditCODE) : fld(ds, "SelfCode")->value();
    const QVariant aite = fld(ds, "AiteCode")->value();
    if (debitSide) {
        fld(ds, "KasiGaku")->clear();
        fld(ds, "KARICODE")->setValue(own);
        fld(ds, "KASICODE")->setValue(aite);
    } else {
        fld(ds, "KariGaku")->clear();
        fld(ds, "KARICODE")->setValue(aite);
        fld(ds, "KASICODE")->setValue(own);
    }
}

bool lockedDate(const TMeisaiClientDataSet &ds, const QDate &date)
{
    return ds.CltLockDate.isValid() && date.isValid() && date <= ds.CltLockDate;
}

// Writes the value into the line being edited.
void ApplyMeisaiFieldValue(TMeisaiClientDataSet &ds, Field &field, int code, bool setQuantity, bool setAmount,
                           const QString &name, const QDate &date, int monthCode,
                           const std::function<void()> &restoreCalcSum)
{
    const QString fieldName = field.fieldName();
    if (fieldName == QLatin1String("HINMEICODE")) {
        field.setAsInteger(code);
        const THinmeiValues item = ReadHinmeiRec(*DatMod->HinmeiMstTbl, code);
        if (code == 1 || code == 2)
            fld(ds, "ZEIATUKAI")->setAsInteger(0);
        else if (item.zeiAtukai != 3)
            fld(ds, "ZEIATUKAI")->setAsInteger(item.zeiAtukai);
        Field *amount = ds.GetAmountField();
        if (setAmount && amount && amount->asCurrency() == Currency()) {
            if (item.amount != Currency()) {
                restoreCalcSum();
                amount->setAsCurrency(item.amount);
            } else {
                amount->clear();
            }
        }
        Field *quantity = fld(ds, "QUANTITY");
        if (setQuantity && quantity->asFloat() == 1.0)
            quantity->setAsFloat(item.quantity != 0 ? item.quantity : 1.0);
    } else if (fieldName == QLatin1String("ZEIATUKAI")) {
        const int item = fld(ds, "HINMEICODE")->asInteger();
        field.setAsInteger(code == 0 || item == 1 || item == 2 ? 0 : code);
    } else if (fieldName == QLatin1String("RESERVED")) {
        field.setAsBoolean(code == 1);
    } else if (fieldName == QLatin1String("AiteCode") || fieldName == QLatin1String("SelfCode")) {
        field.setAsInteger(code);
    } else if (date.isValid()) {
        field.setAsDate(date);
    } else {
        field.setAsInteger(code);
    }
    if (fieldName == QLatin1String("KARICODE") && GetHimokuKind(code) == 2) {
        const int zei = FindHimokuZeiAtukai(code, &DeruHimokuArray);
        if (zei != 3)
            fld(ds, "ZEIATUKAI")->setAsInteger(zei);
    }
    if (ds.CltSyuSiIdo == 3)
        restoreCalcSum();
    if (monthCode != -1)
        fld(ds, "LOOKUPNO")->setAsInteger(monthCode);
    // The name column of the code.
    if (fieldName == QLatin1String("HINMEICODE")) {
        fld(ds, "HinmeiName")->setAsString(name);
    } else if (fieldName == QLatin1String("SHOPCODE")) {
        Field *shopName = fld(ds, "ShopName");
        if (shopName->asString().compare(name, Qt::CaseInsensitive) != 0)
            shopName->setAsString(name);
    } else if (fieldName == QLatin1String("PERSONCODE")) {
        fld(ds, "PersonName")->setAsString(name);
    } else if (fieldName == QLatin1String("AiteCode") || fieldName == QLatin1String("SelfCode")) {
        SetAiteSelfCode(field, code);
    }
}

} // namespace

void SetNewMeisaiDefaults(DataSet &dataSet)
{
    auto *ds = MeisaiState(&dataSet);
    if (!ds) {
        SetMeisaiDefaults(dataSet);
        return;
    }
    // The whole filling, cleared fields included, is the module's and not
    // the user's: the page's field hooks see the busy state.
    struct Busy
    {
        TMeisaiClientDataSet &ds;
        uint8_t before;
        ~Busy() { ds.CltBusyState = before == 2 ? 2 : 0; }
    } busy{*ds, ds->CltBusyState};
    ds->CltBusyState = 1;
    SetMeisaiDefaults(dataSet);

    fld(*ds, "GYONO")->setAsInteger(1);
    fld(*ds, "RecPos")->setAsInteger(ds->CltNewRecPos);
    if (ds->CltDate.isValid() && (ds->CltDataStyle == 1 || ds->CltDataStyle == 2))
        fld(*ds, "RECDATE")->setAsDate(ds->CltDate);
    fld(*ds, "STYLE")->setAsInteger(ds->CltDataStyle);
    fld(*ds, "ORIGIN")->setAsInteger(ds->CltOrigin);
    fld(*ds, "RESERVED")->setAsBoolean(ds->CltOrigin == 4);
    setCode(*ds, "SHOPCODE", ds->CltShopCODE);
    setCode(*ds, "RECEIPTNO", ds->CltReceiptNo);
    setCode(*ds, "LOOKUPNO", ds->CltLookupNo);

    const int own = ds->CltHimokuCODE;
    const int aite = ds->CltRecAiteCODE;
    const int credit = ds->CltCreditCODE;
    const int style = ds->CltDataStyle;
    if (style == 4) {
        // A scheduled line books what its card books: the card's category
        // (own) and account (aite), placed by the card's kind.
        const bool income = ds->CltSyuSiIdo == 1;
        setCode(*ds, "KARICODE", income ? aite : own);
        setCode(*ds, "KASICODE", income ? own : aite);
        // 無指定 cannot stand on a line: 内税 then, as on the expense page.
        fld(*ds, "ZEIATUKAI")->setAsInteger(ds->CltZeiAtukai == 3 ? 1 : ds->CltZeiAtukai);
        return;
    }
    switch (ds->CltSyuSiIdo) {
    case 1:
        if (style == 1) {
            setCode(*ds, "KARICODE", aite);
            setCode(*ds, "KASICODE", own);
        } else if (style == 2 || style == 7) {
            setCode(*ds, "KARICODE", aite);
        } else if (style == 3) {
            fld(*ds, "KARISIDE")->setAsBoolean(true);
            setCode(*ds, "KARICODE", credit);
        }
        break;
    case 2:
        if (style == 1) {
            setCode(*ds, "KARICODE", own);
            setCode(*ds, "KASICODE", aite);
            // 無指定 cannot stand on a line; the category's lines are 内税 then.
            fld(*ds, "ZEIATUKAI")->setAsInteger(ds->CltZeiAtukai == 3 ? 1 : ds->CltZeiAtukai);
        } else if (style == 2 || style == 7) {
            setCode(*ds, "KASICODE", aite);
            fld(*ds, "ZEIATUKAI")->setAsInteger(1);
        } else if (style == 3) {
            fld(*ds, "KARISIDE")->setAsBoolean(false);
            setCode(*ds, "KASICODE", credit);
            fld(*ds, "ZEIATUKAI")->setAsInteger(1);
        }
        break;
    case 3:
        if (style == 1) {
            setCode(*ds, "KARICODE", own);
            setCode(*ds, "SelfCode", own);
        } else if (style == 3 || style == 8) {
            fld(*ds, "KARISIDE")->setAsBoolean(true);
            setCode(*ds, "KARICODE", credit);
            setCode(*ds, "SelfCode", credit);
        }
        break;
    default:
        break;
    }
}

void AppendMeisaiLine(DataSet &dataSet)
{
    dataSet.last();
    if (!dataSet.isEmpty() && IsBlankMeisaiLine(dataSet))
        return;
    dataSet.append();
}

void PrepareMeisaiLines()
{
    auto *ds = MeisaiState(DatMod->MeisaiClt);
    if (!ds)
        return;
    ds->checkBrowseMode();
    auto runAfterScroll = [ds] {
        if (ds->AfterScroll)
            ds->AfterScroll(*ds);
    };
    if (ds->isEmpty()) {
        ds->setIndexFieldNames(QStringLiteral("RecPos"));
        DatMod->SuspendFieldEvents = false;
        runAfterScroll();
        return;
    }
    ds->disableControls();
    DatMod->BulkEditing = true;
    DatMod->SuspendFieldEvents = true;
    // The events stay suspended until the cursor is back on the first line:
    // the page's after-scroll work runs once, at the end, not also for that move.
    auto finish = [ds] {
        ds->mergeChangeLog();
        DatMod->BulkEditing = false;
        ds->setIndexFieldNames(QStringLiteral("RecPos"));
        ds->enableControls();
    };
    try {
        ds->setIndexFieldNames(QStringLiteral("ORIGIN;STYLE;GYONO"));
        // Counters per STYLE 1..8: the order within an origin is 5, 7, 3, 8, 2, 6, 4, 1.
        std::array<int, 9> counters{0, 7000, 4000, 2000, 6000, 0, 5000, 1000, 3000};
        for (ds->first(); !ds->eof(); ds->next()) {
            ds->edit();
            const int origin = fld(*ds, "ORIGIN")->asInteger();
            const int style = fld(*ds, "STYLE")->asInteger();
            const int base = origin == ds->CltOrigin ? 70000 : origin >= 1 && origin <= 5 ? 10000 * origin : 60000;
            if (style >= 1 && style <= 8)
                fld(*ds, "RecPos")->setAsInteger(base + counters[std::size_t(style)]++);
            fld(*ds, "HinmeiName")->setAsString(FieldCodeToName(*DatMod->HinmeiMstTbl, *fld(*ds, "HINMEICODE")));
            fld(*ds, "ShopName")->setAsString(FieldCodeToName(*DatMod->ShopMstTbl, *fld(*ds, "SHOPCODE")));
            fld(*ds, "PersonName")->setAsString(FieldCodeToName(*DatMod->PersonTbl, *fld(*ds, "PERSONCODE")));
            if (style == 3 || style == 8)
                SetSelfAiteFromKariSide(*ds);
            else
                SetSelfAiteFromCodes(*ds);
            ds->post();
        }
    } catch (...) {
        ds->cancel();
        finish();
        DatMod->SuspendFieldEvents = false;
        throw;
    }
    finish();
    ds->first();
    DatMod->SuspendFieldEvents = false;
    runAfterScroll();
}

void ApplyKariKasiGaku(Field &field)
{
    auto *ds = MeisaiState(field.dataSet());
    if (!ds || ds->CltSyuSiIdo != 3)
        return;
    {
        bool &suspend = DatMod->SuspendFieldEvents;
        const bool was = suspend;
        suspend = true;
        struct Restore
        {
            bool &flag;
            bool was;
            ~Restore() { flag = was; }
        } restore{suspend, was};
        const bool debit = field.fieldName() == QLatin1String("KariGaku");
        fld(*ds, "KINGAKU")->setAsCurrency(field.asCurrency());
        if (ds->CltDataStyle == 3 || ds->CltDataStyle == 8) {
            fld(*ds, "KARISIDE")->setAsBoolean(debit);
        } else {
            fld(*ds, "KARISIDE")->clear();
        }
        SetTransferSideCodes(*ds, debit);
    }
    if (ds->OnFieldChange)
        ds->OnFieldChange(field);
}

void SetAiteSelfCode(Field &field, const QVariant &value)
{
    auto *ds = MeisaiState(field.dataSet());
    if (!ds)
        return;
    const bool aite = field.fieldName() == QLatin1String("AiteCode");
    bool toKasi = false;
    if (ds->CltDataStyle == 1) {
        const Field *kari = fld(*ds, "KARICODE");
        toKasi = !kari->isNull() && kari->asInteger() == ds->CltHimokuCODE;
    } else if (ds->CltDataStyle == 3 || ds->CltDataStyle == 8) {
        toKasi = fld(*ds, "KARISIDE")->asBoolean();
    } else {
        return;
    }
    if (!aite)
        toKasi = !toKasi;
    fld(*ds, toKasi ? "KASICODE" : "KARICODE")->setValue(value);
}

bool CanEditMeisaiLine(DataSet &dataSet, Field *field, const QDate &date)
{
    auto *ds = MeisaiState(&dataSet);
    if (ds && ds->CltLockDate.isValid()
        && (ds->IsLockedRecord() || (field && field->dataType() == FieldType::Date && lockedDate(*ds, date)))) {
        MessageDlg(QString::fromUtf16(kLockedDateMessage), MsgDlgType::Information, mbOK);
        return false;
    }
    // A line another kind of input owns is read-only in the grid; a picked value
    // must not change it either.
    if (ds && ds->CltDataStyle == 1 && !dataSet.isEmpty() && ds->IsForeignRecord()) {
        MessageDlg(QStringLiteral("レシート、もしくは、クレジット入力されたデータは\r通常入力では変更できません。"),
                   MsgDlgType::Information, mbOK);
        return false;
    }
    dataSet.edit();
    return true;
}

void ApplyPickedValue(DataSet &dataSet, Field &field, int code, const QString &name)
{
    auto *ds = MeisaiState(&dataSet);
    if (!ds) {
        field.setAsInteger(code);
        return;
    }
    ApplyMeisaiFieldValue(*ds, field, code, true, true, name, QDate(), -1, [] {});
}

void SetMeisaiFieldValue(Field *field, int writeMode, bool newLine, bool allLines, int code, bool setQuantity,
                         bool setAmount, const QString &name, const QDate &date, int monthCode)
{
    if (!field || !field->dataSet()->isActive())
        return;
    auto *ds = MeisaiState(field->dataSet());
    if (!ds)
        return;
    const QString fieldName = field->fieldName();
    auto calcSum = ds->OnNeedCalcSum;
    ds->OnNeedCalcSum = nullptr;
    auto restoreCalcSum = [ds, calcSum] { ds->OnNeedCalcSum = calcSum; };
    struct Restore
    {
        std::function<void()> restore;
        ~Restore() { restore(); }
    } restore{restoreCalcSum};

    auto target = [ds, &fieldName]() -> Field & { return *ds->fieldByName(fieldName); };
    if (allLines) {
        if (ds->isEmpty())
            return;
        ds->checkBrowseMode();
        const auto mark = ds->bookmark();
        WaitCursor wait;
        ds->disableControls();
        DatMod->BulkEditing = true;
        struct Back
        {
            TMeisaiClientDataSet *ds;
            Bookmark mark;
            ~Back()
            {
                DatMod->BulkEditing = false;
                ds->gotoBookmark(mark);
                ds->enableControls();
            }
        } back{ds, mark};
        for (ds->first(); !ds->eof(); ds->next()) {
            if (!ds->CltEditAllLines
                && (ds->IsLockedRecord() || fld(*ds, "STYLE")->asInteger() != ds->CltDataStyle
                    || fld(*ds, "ORIGIN")->asInteger() != ds->CltOrigin))
                continue;
            ds->edit();
            ApplyMeisaiFieldValue(*ds, target(), code, setQuantity, setAmount, name, date, monthCode,
                                  restoreCalcSum);
            ds->post();
        }
        return;
    }
    bool go = false;
    switch (writeMode) {
    case wmAuto:
        if (newLine) {
            AppendMeisaiLine(*ds);
            go = true;
        } else {
            go = CanEditMeisaiLine(*ds, &target(), date);
        }
        break;
    case wmAdd:
        AppendMeisaiLine(*ds);
        go = true;
        break;
    case wmChange:
    case wmNewLine:
        go = CanEditMeisaiLine(*ds, &target(), date);
        break;
    default:
        break;
    }
    if (!go)
        return;
    ds->edit();
    ApplyMeisaiFieldValue(*ds, target(), code, setQuantity, setAmount, name, date, monthCode, restoreCalcSum);
    if (ds->isEditing())
        ds->post();
}
