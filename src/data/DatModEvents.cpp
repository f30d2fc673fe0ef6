#include "data/DatModEvents.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <QObject>

#include "data/DatMod.h"
#include "data/FormatSettings.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/MeisaiClientDataSet.h"
#include "data/MeisaiDefaults.h"
#include "data/MeisaiSave.h"
#include "data/ReconcileErrorForm.h"
#include "data/RecordNumbers.h"
#include "data/Utils.h"
#include "data/Vocabulary.h"
#include "platform/db/Abort.h"
#include "platform/db/Field.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"

namespace {

const QString kDateFormat = QStringLiteral("yy.MM.dd ddd");
const QString kDateMask = QStringLiteral("!99/99/99;1;_");
const QString kEmptyMaskText = QStringLiteral("  /  /  ");

void refuse(const QString &text, MsgDlgType type)
{
    MessageDlg(text, type, mbOK);
    Abort();
}

// A whole number typed as such (no sign games beyond a leading minus).
bool readInteger(const QString &text, int &value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}

QDate parseTypedDate(const QString &text)
{
    return StrToDate(text.trimmed());
}

// Indexes a name table and shows the number for a value outside it: values
// reach the book through the free-SQL and bulk pages too.
template<typename Names>
QString nameOrNumber(const Names &names, int index, int value)
{
    if (index >= 0 && index < int(names.size()))
        return names[std::size_t(index)].toString();
    return QString::number(value);
}

TMeisaiClientDataSet *meisai()
{
    return DatMod ? MeisaiState(DatMod->MeisaiClt) : nullptr;
}

// ---- table events ---------------------------------------------------------

void numberNewRow(TDatMod &dm, DataSet &dataSet, const char *keyField)
{
    if (dm.KeepDataNo)
        return;
    auto &table = static_cast<Table &>(dataSet);
    table.fieldByName(QLatin1String(keyField))
        ->setAsInteger(RecordNumbers::GetNewDataNo(dm.MainDatabase, table.tableName()));
}

// ---- journal field rules ----------------------------------------------------

const THimokuArray *codeListFor(const Field &field, int syuSiIdo)
{
    const bool kari = field.fieldName() == QLatin1String("KARICODE");
    switch (syuSiIdo) {
    case 1:
        return kari ? &KouzaHimokuArray : &IriHimokuArray;
    case 2:
        return kari ? &DeruHimokuArray : &KouzaHimokuArray;
    default:
        return &VisibleHimokuArray;
    }
}

void himokuCodeGetText(Field &field, QString &text, bool)
{
    text = field.isNull() ? QString() : FindHimokuName(field.asInteger(), &AllHimokuArray);
}

void himokuCodeSetText(Field &field, const QString &text)
{
    DataSet *ds = field.dataSet();
    if (!ds->isEditing())
        return;
    if (text.trimmed().isEmpty()) {
        field.clear();
        return;
    }
    TMeisaiClientDataSet *state = MeisaiState(ds);
    const THimokuArray *list = codeListFor(field, state ? state->CltSyuSiIdo : 3);
    int code = 0;
    if (state && state->CltCodeInput && readInteger(text, code)) {
        if (code < 100)
            return;
        if (FindHimokuIndex(code, list) < 0)
            field.clear();
        else
            field.setAsInteger(code);
        return;
    }
    code = FindHimokuCodeByName(text, list);
    if (code >= 0)
        field.setAsInteger(code);
}

void amountSetText(Field &field, const QString &text)
{
    QString typed = text.trimmed();
    typed.remove(QLatin1Char(','));
    if (typed.isEmpty()) {
        // An amount left empty is no amount: 0, never an empty field.
        field.setAsCurrency(Currency());
        return;
    }
    field.setAsCurrency(RoundAmount(EvalAmountText(typed, field.asCurrency())));
}

void recDateSetText(Field &field, const QString &text)
{
    const QDate date = parseTypedDate(text);
    if (!date.isValid())
        refuse(QString::fromUtf16(kInvalidDateMessage), MsgDlgType::Error);
    field.setAsDate(date);
}

void lockDateValidate(Field &field)
{
    if (field.isNull() || !CurLockDate.isValid())
        return;
    if (field.asDate() <= CurLockDate)
        refuse(QString::fromUtf16(kLockedDateMessage), MsgDlgType::Information);
}

void zeiAtukaiGetText(Field &field, QString &text, bool)
{
    if (field.isNull()) {
        text.clear();
        return;
    }
    const int value = field.asInteger();
    text = nameOrNumber(ZeiAtukaiMarks, value, value);
}

void meisaiZeiAtukaiSetText(Field &field, const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t == u"対象外" || t == u"0")
        field.setAsInteger(0);
    else if (t == u"内税" || t == u"内" || t == u"1")
        field.setAsInteger(1);
    else if (t == u"外税" || t == u"外" || t == u"2")
        field.setAsInteger(2);
}

void himokuZeiAtukaiSetText(Field &field, const QString &text)
{
    const QString t = text.trimmed();
    for (int i = 0; i < int(ZeiAtukaiNames.size()); ++i) {
        if (ZeiAtukaiNames[std::size_t(i)] == t || ZeiAtukaiMarks[std::size_t(i)] == t) {
            field.setAsInteger(i);
            return;
        }
    }
}

void reservedGetText(Field &field, QString &text, bool)
{
    // An empty RESERVED counts as booked, as everywhere else.
    text = field.asBoolean() ? QStringLiteral("未") : QStringLiteral("済");
}

void reservedSetText(Field &field, const QString &text)
{
    const QString t = text.trimmed();
    if (t == u"済み" || t == u"済" || t == u"記入済み" || t.isEmpty() || t == u"0")
        field.setAsBoolean(false);
    else if (t == u"未" || t == u"未記入" || t == u"1")
        field.setAsBoolean(true);
}

void originGetText(Field &field, QString &text, bool)
{
    static const std::array<QStringView, 4> names{u"収入", u"支出", u"振替", u"予約"};
    if (field.isNull()) {
        text.clear();
        return;
    }
    const int value = field.asInteger();
    text = nameOrNumber(names, value - 1, value);
}

void styleGetText(Field &field, QString &text, bool)
{
    static const std::array<QStringView, 8> names{u"集計表", u"レシート", u"請求書", u"予約",
                                                  u"自動記帳", u"請求支払", u"フリー", u"金券購入"};
    if (field.isNull()) {
        text.clear();
        return;
    }
    const int value = field.asInteger();
    text = nameOrNumber(names, value - 1, value);
}

bool g_inNameSetText = false;

void nameSetText(Field &field, const QString &text)
{
    if (g_inNameSetText)
        return;
    g_inNameSetText = true;
    struct Reset { ~Reset() { g_inNameSetText = false; } } reset;

    DataSet *ds = field.dataSet();
    const QString fieldName = field.fieldName();
    Table *view = nullptr;
    QString codeName;
    if (fieldName == QLatin1String("HinmeiName")) {
        view = DatMod->HinmeiMstTbl2;
        codeName = QStringLiteral("HINMEICODE");
    } else if (fieldName == QLatin1String("ShopName")) {
        view = DatMod->ShopMstTbl2;
        codeName = QStringLiteral("SHOPCODE");
    } else {
        view = DatMod->PersonTbl2;
        codeName = QStringLiteral("PERSONCODE");
    }
    Field *codeField = ds->fieldByName(codeName);
    TMeisaiClientDataSet *state = MeisaiState(ds);
    const bool codeInput = state && state->CltCodeInput;
    QString name = text;
    bool forcedName = false;
    if (codeInput && name.startsWith(QLatin1Char('\''))) {
        name = name.mid(1);
        forcedName = true;
    }
    int code = 0;
    if (codeInput && !forcedName && readInteger(name, code) && code != -1) {
        if (!view->isActive())
            view->open();
        const QVariant found = view->lookup(QStringLiteral("CODE"), code, QStringLiteral("NAME"));
        if (found.isValid()) {
            ApplyPickedValue(*ds, *codeField, code, found.toString());
        } else {
            codeField->setAsInteger(0);
            field.setAsString(QString());
        }
        return;
    }
    field.setAsString(name);
    codeField->setAsInteger(MasterNameToCode(*view, name));
}

// ---- journal data-set events -----------------------------------------------

void meisaiBeforeInsert(TDatMod &dm, DataSet &ds)
{
    if (dm.BulkEditing)
        return;
    TMeisaiClientDataSet *state = MeisaiState(&ds);
    if (!state)
        return;
    if (state->CltDataStyle == 5)
        Abort();
    if (ds.isEmpty()) {
        state->CltNewRecPos = 1;
        return;
    }
    Field *recPos = ds.fieldByName(QStringLiteral("RecPos"));
    ds.disableControls();
    dm.BulkEditing = true;
    struct Restore
    {
        TDatMod &dm;
        DataSet &ds;
        ~Restore()
        {
            dm.BulkEditing = false;
            ds.enableControls();
        }
    } restore{dm, ds};
    if (ds.eof()) {
        state->CltNewRecPos = recPos->asInteger() + 1;
        return;
    }
    state->CltNewRecPos = recPos->asInteger();
    // Make room: every line from the last back to the current one moves down by one.
    ds.last();
    for (;;) {
        ds.edit();
        recPos->setAsInteger(recPos->asInteger() + 1);
        ds.post();
        if (recPos->asInteger() == state->CltNewRecPos + 1 || ds.recNo() <= 1)
            break;
        ds.prior();
    }
}

void meisaiAfterPost(TDatMod &dm, DataSet &ds)
{
    TMeisaiClientDataSet *state = MeisaiState(&ds);
    if ((state && state->CltBusyState == 2) || dm.BulkEditing)
        return;
    if (state)
        state->ClearSavePoint();
    dm.DataChanged = true;
    if (state && state->OnNeedCalcSum)
        state->OnNeedCalcSum(ds);
}

void meisaiAfterScroll(TDatMod &dm, DataSet &ds)
{
    TMeisaiClientDataSet *state = MeisaiState(&ds);
    if (!state || state->CltBusyState == 2 || dm.SuspendFieldEvents || dm.BulkEditing)
        return;
    if (state->OnUncheckAssist)
        state->OnUncheckAssist();
    if (state->OnAfterScrolled)
        state->OnAfterScrolled(ds);
}

void wireMeisaiFields(TDatMod &dm, TMeisaiClientDataSet &ds)
{
    auto field = [&ds](const char *name) { return ds.findField(QLatin1String(name)); };
    // Any change forgets the undo point; the line fields also tell the page.
    for (Field *f : ds.fields())
        f->OnChange = [&ds](Field &) { ds.ClearSavePoint(); };
    for (const char *name : {"RECDATE", "KINGAKU", "QUANTITY", "KARICODE", "KASICODE", "RESERVED", "ZEIATUKAI",
                             "SelfCode", "AiteCode", "HinmeiName", "ShopName", "PersonName"}) {
        if (Field *f = field(name))
            f->OnChange = [&dm, &ds](Field &changed) {
                ds.ClearSavePoint();
                if (!dm.SuspendFieldEvents && ds.OnFieldChange)
                    ds.OnFieldChange(changed);
            };
    }
    for (const char *name : {"KariGaku", "KasiGaku"}) {
        if (Field *f = field(name))
            f->OnChange = [&dm, &ds](Field &changed) {
                ds.ClearSavePoint();
                if (!dm.SuspendFieldEvents)
                    ApplyKariKasiGaku(changed);
            };
    }
    for (const char *name : {"KARICODE", "KASICODE", "SelfCode", "AiteCode"}) {
        if (Field *f = field(name)) {
            f->OnGetText = himokuCodeGetText;
            f->OnSetText = himokuCodeSetText;
            f->setAnyCharValid();
        }
    }
    for (const char *name : {"KINGAKU", "KariGaku", "KasiGaku"}) {
        if (Field *f = field(name)) {
            f->OnSetText = amountSetText;
            f->setValidChars(QStringLiteral("0123456789+-.,*/"));
        }
    }
    for (const char *name : {"HinmeiName", "ShopName", "PersonName"}) {
        if (Field *f = field(name))
            f->OnSetText = nameSetText;
    }
    if (Field *f = field("RECDATE")) {
        f->setDisplayFormat(kDateFormat);
        f->setEditMask(kDateMask);
        f->OnSetText = recDateSetText;
        f->OnValidate = lockDateValidate;
    }
    if (Field *f = field("ZEIATUKAI")) {
        f->OnGetText = zeiAtukaiGetText;
        f->OnSetText = meisaiZeiAtukaiSetText;
    }
    if (Field *f = field("RESERVED")) {
        f->setDisplayValues(QStringLiteral("未"), QStringLiteral("済"));
        f->OnGetText = reservedGetText;
        f->OnSetText = reservedSetText;
    }
    if (Field *f = field("ORIGIN"))
        f->OnGetText = originGetText;
    if (Field *f = field("STYLE"))
        f->OnGetText = styleGetText;
}

void installMeisaiEvents(TDatMod &dm, TMeisaiClientDataSet &ds)
{
    ds.AfterOpen = [&dm](DataSet &d) {
        auto &m = static_cast<TMeisaiClientDataSet &>(d);
        wireMeisaiFields(dm, m);
        m.ClearSavePoint();
    };
    ds.AfterClose = [](DataSet &d) { static_cast<TMeisaiClientDataSet &>(d).ClearSavePoint(); };
    ds.BeforeInsert = [&dm](DataSet &d) { meisaiBeforeInsert(dm, d); };
    ds.OnNewRecord = [](DataSet &d) { SetNewMeisaiDefaults(d); };
    ds.AfterPost = [&dm](DataSet &d) { meisaiAfterPost(dm, d); };
    ds.AfterDelete = [&dm](DataSet &d) { meisaiAfterPost(dm, d); };
    ds.AfterScroll = [&dm](DataSet &d) { meisaiAfterScroll(dm, d); };
    // A line on or before the lock date is neither changed nor deleted by the
    // user; the module's own walks (bulk editing, the save) pass.
    auto guard = [&dm](DataSet &d) {
        auto &m = static_cast<TMeisaiClientDataSet &>(d);
        if (dm.BulkEditing || m.CltBusyState != 0 || !m.IsLockedRecord())
            return;
        refuse(QString::fromUtf16(kLockedDateMessage), MsgDlgType::Information);
    };
    ds.BeforeEdit = guard;
    ds.BeforeDelete = guard;
    if (ds.isActive())
        wireMeisaiFields(dm, ds);
}

// ---- slip list --------------------------------------------------------------

} // namespace

bool SlipLinesUnlocked(TMeisaiClientDataSet &lines, const QDate &newDate)
{
    if (newDate.isValid() && lines.CltLockDate.isValid() && newDate <= lines.CltLockDate)
        return false;
    if (!lines.isActive() || lines.isEmpty())
        return true;
    if (lines.isEditing())
        lines.post();
    const Bookmark mark = lines.bookmark();
    lines.disableControls();
    auto before = std::exchange(lines.BeforeScroll, nullptr);
    auto after = std::exchange(lines.AfterScroll, nullptr);
    bool open = true;
    for (lines.first(); open && !lines.eof(); lines.next())
        open = !lines.IsLockedRecord();
    lines.gotoBookmark(mark);
    lines.BeforeScroll = before;
    lines.AfterScroll = after;
    lines.enableControls();
    return open;
}

namespace {

// Runs body over every line of MeisaiClt with bulk editing set, the current line
// kept. All lines or none: a line that refuses (a locked date) takes the lines
// changed before it back to how they were, so a slip never ends up half moved.
void forEveryLine(TDatMod &dm, const std::function<void(DataSet &)> &body)
{
    ClientDataSet *lines = dm.MeisaiClt;
    if (!lines || !lines->isActive() || lines->isEmpty())
        return;
    lines->checkBrowseMode();
    const auto mark = lines->bookmark();
    // A slip with a line on or before the lock date keeps its header: bulk
    // editing passes the per-line guard, so the lines are looked at first.
    if (auto *journal = dynamic_cast<TMeisaiClientDataSet *>(lines); journal && !SlipLinesUnlocked(*journal))
        refuse(QString::fromUtf16(kLockedDateMessage), MsgDlgType::Information);
    const int before = lines->savePoint();
    const bool wasBulk = dm.BulkEditing;
    dm.BulkEditing = true;
    lines->disableControls();
    try {
        for (lines->first(); !lines->eof(); lines->next()) {
            lines->edit();
            body(*lines);
            lines->post();
        }
    } catch (...) {
        lines->cancel();
        lines->setSavePoint(before);
        lines->gotoBookmark(mark);
        lines->enableControls();
        dm.BulkEditing = wasBulk;
        throw;
    }
    lines->gotoBookmark(mark);
    lines->enableControls();
    dm.BulkEditing = wasBulk;
}

void receiptRecDateSetText(TDatMod &dm, Field &field, const QString &text)
{
    recDateSetText(field, text);
    const QDate date = field.asDate();
    forEveryLine(dm, [&date](DataSet &line) { line.fieldByName(QStringLiteral("RECDATE"))->setAsDate(date); });
}

void receiptPayDateSetText(TDatMod &dm, Field &field, const QString &text)
{
    if (text == kEmptyMaskText || text.trimmed().isEmpty()) {
        field.clear();
    } else {
        const QDate date = parseTypedDate(text);
        if (!date.isValid())
            refuse(QString::fromUtf16(kInvalidDateMessage), MsgDlgType::Error);
        field.setAsDate(date);
    }
    ClientDataSet *lines = dm.MeisaiClt;
    if (lines && lines->isActive() && !lines->isEmpty()) {
        // The save gives the slip's month code again for a line marked -2.
        lines->edit();
        lines->fieldByName(QStringLiteral("LOOKUPNO"))->setAsInteger(-2);
        lines->post();
    }
}

void receiptShopNameSetText(TDatMod &dm, Field &field, const QString &text)
{
    DataSet *slip = field.dataSet();
    Table &shops = *dm.ShopMstTbl;
    if (!shops.isActive())
        shops.open();
    Field *shopCode = slip->fieldByName(QStringLiteral("ShopCode"));
    TMeisaiClientDataSet *state = meisai();
    const bool codeInput = state && state->CltCodeInput;
    QString name = text;
    bool forcedName = false;
    if (codeInput && name.startsWith(QLatin1Char('\''))) {
        name = name.mid(1);
        forcedName = true;
    }
    int code = 0;
    if (codeInput && !forcedName && readInteger(name, code)) {
        const QVariant found = shops.lookup(QStringLiteral("CODE"), code, QStringLiteral("NAME"));
        if (found.isValid() && !found.toString().isEmpty()) {
            shopCode->setAsInteger(code);
            field.setAsString(found.toString());
        } else {
            shopCode->setAsInteger(0);
            field.setAsString(QString());
        }
    } else {
        field.setAsString(name);
        shopCode->setAsInteger(MasterNameToCode(shops, name));
    }
    const int newCode = shopCode->asInteger();
    const QString newName = field.asString();
    forEveryLine(dm, [newCode, newName](DataSet &line) {
        line.fieldByName(QStringLiteral("SHOPCODE"))->setAsInteger(newCode);
        line.fieldByName(QStringLiteral("ShopName"))->setAsString(newName);
    });
}

bool g_inCreditSetText = false;

void receiptCreditSetText(TDatMod &dm, Field &field, const QString &text)
{
    if (g_inCreditSetText)
        return;
    g_inCreditSetText = true;
    struct Reset { ~Reset() { g_inCreditSetText = false; } } reset;

    TMeisaiClientDataSet *state = meisai();
    const int syuSiIdo = state ? state->CltSyuSiIdo : 0;
    const int style = state ? state->CltDataStyle : 0;
    int code = -1;
    if (!text.trimmed().isEmpty() && !readInteger(text, code))
        code = FindHimokuCodeByName(text.trimmed(), &VisibleHimokuArray);
    bool accepted = code > 99 && FindHimokuIndex(code, &KouzaHimokuArray) >= 0;
    if (accepted) {
        THimokuData data;
        FindHimokuData(code, &KouzaHimokuArray, data);
        if (field.fieldName() == QLatin1String("CreditCode")) {
            if (syuSiIdo == 2 && data.Bunrui != 9)
                accepted = false;
            if (syuSiIdo == 3 && style == 3 && data.Bunrui != 9)
                accepted = false;
            if (style == 8 && data.Bunrui != 8)
                accepted = false;
        } else {
            const Field *credit = field.dataSet()->findField(QStringLiteral("CreditCode"));
            if (credit && !credit->isNull() && credit->asInteger() == code)
                accepted = false;
        }
    }
    if (accepted) {
        TMeisaiClientDataSet *slip = MeisaiState(field.dataSet());
        if (slip && slip->OnChooseCode)
            slip->OnChooseCode(field, code);
        else
            field.setAsInteger(code);
        return;
    }
    if (!field.isNull()) {
        field.clear();
        TouchMeisaiFirstLine();
    }
}

void wireReceiptFields(TDatMod &dm, TMeisaiClientDataSet &ds)
{
    auto field = [&ds](const char *name) { return ds.findField(QLatin1String(name)); };
    if (Field *f = field("RecDate")) {
        f->setDisplayFormat(kDateFormat);
        f->setEditMask(kDateMask);
        f->OnSetText = [&dm](Field &fld, const QString &text) { receiptRecDateSetText(dm, fld, text); };
        f->OnValidate = lockDateValidate;
    }
    if (Field *f = field("PayDate")) {
        f->setDisplayFormat(kDateFormat);
        f->setEditMask(kDateMask);
        f->OnSetText = [&dm](Field &fld, const QString &text) { receiptPayDateSetText(dm, fld, text); };
        f->OnValidate = lockDateValidate;
    }
    if (Field *f = field("ShopName"))
        f->OnSetText = [&dm](Field &fld, const QString &text) { receiptShopNameSetText(dm, fld, text); };
    if (Field *f = field("RECEIPTNO"))
        f->OnGetText = [](Field &fld, QString &text, bool) {
            text = fld.asInteger() > 0 ? QString::number(fld.asInteger()) : QString();
        };
    for (const char *name : {"CreditCode", "PayKouza"}) {
        if (Field *f = field(name)) {
            f->OnGetText = himokuCodeGetText;
            f->OnSetText = [&dm](Field &fld, const QString &text) { receiptCreditSetText(dm, fld, text); };
            f->setAnyCharValid();
        }
    }
    for (const char *name : {"KINGAKU", "KariGaku", "KasiGaku"}) {
        if (Field *f = field(name))
            f->setValidChars(QStringLiteral("0123456789+-.,*/"));
    }
}

void installReceiptEvents(TDatMod &dm, TMeisaiClientDataSet &ds)
{
    ds.CltCheckPayDate = true;
    ds.AfterOpen = [&dm](DataSet &d) { wireReceiptFields(dm, static_cast<TMeisaiClientDataSet &>(d)); };
    ds.BeforeScroll = [&dm](DataSet &) {
        TMeisaiClientDataSet *lines = MeisaiState(dm.MeisaiClt);
        if (lines && lines->CltBusyState == 2)
            return;
        if (!ApplyMeisaiUpdates())
            Abort();
    };
    ds.AfterScroll = [](DataSet &d) {
        auto &slip = static_cast<TMeisaiClientDataSet &>(d);
        if (slip.OnAfterScrolled)
            slip.OnAfterScrolled(d);
    };
    ds.OnNewRecord = [&dm](DataSet &d) {
        d.fieldByName(QStringLiteral("RECEIPTNO"))->setAsInteger(-1);
        d.fieldByName(QStringLiteral("LookupNo"))->setAsInteger(-1);
        TMeisaiClientDataSet *lines = MeisaiState(dm.MeisaiClt);
        if (lines && lines->CltDataStyle == 2 && lines->CltDate.isValid())
            d.fieldByName(QStringLiteral("RecDate"))->setAsDate(lines->CltDate);
    };
    ds.AfterPost = [&dm](DataSet &) { dm.DataChanged = true; };
    ds.AfterDelete = [&dm](DataSet &) { dm.DataChanged = true; };
    if (ds.isActive())
        wireReceiptFields(dm, ds);
}

// ---- closing-day query --------------------------------------------------------

void wireSimebiFields(DataSet &ds)
{
    if (Field *f = ds.findField(QStringLiteral("SIMEBI"))) {
        f->OnGetText = [](Field &fld, QString &text, bool) {
            if (fld.isNull()) {
                text.clear();
                return;
            }
            const int v = fld.asInteger();
            text = v == 0 || v == 31 ? QStringLiteral("月末") : v == -1 ? QStringLiteral("なし") : QString::number(v);
        };
        f->OnSetText = [](Field &fld, const QString &text) {
            const QString t = text.trimmed();
            if (t == u"月末")
                fld.setAsInteger(31);
            else if (t == u"なし")
                fld.setAsInteger(-1);
            else {
                bool ok = false;
                const int v = t.toInt(&ok);
                if (!ok)
                    throw EConvertError(QStringLiteral("'%1' は有効な整数値ではありません").arg(t));
                fld.setAsInteger(v);
            }
        };
    }
    if (Field *f = ds.findField(QStringLiteral("SIMESHIFT"))) {
        f->OnGetText = [](Field &fld, QString &text, bool) {
            if (fld.isNull()) {
                text.clear();
                return;
            }
            const int v = fld.asInteger();
            text = v == 0 ? QStringLiteral("そのまま") : v == -1 ? QStringLiteral("一ヶ月前") : QStringLiteral("一ヶ月後");
        };
        f->OnSetText = [](Field &fld, const QString &text) {
            const QString t = text.trimmed();
            fld.setAsInteger(t == u"そのまま" ? 0 : t == u"一ヶ月前" ? -1 : 1);
        };
    }
    if (Field *f = ds.findField(QStringLiteral("SIMEHOLIDAYSHIFT"))) {
        f->OnGetText = [](Field &fld, QString &text, bool) {
            text = fld.isNull() ? QString() : nameOrNumber(HolidayShiftNames, fld.asInteger(), fld.asInteger());
        };
        f->OnSetText = [](Field &fld, const QString &text) {
            int value = 0;
            for (int i = 0; i < int(HolidayShiftNames.size()); ++i)
                if (HolidayShiftNames[std::size_t(i)] == text.trimmed())
                    value = i;
            fld.setAsInteger(value);
        };
    }
    if (Field *f = ds.findField(QStringLiteral("SIMEADDDAY"))) {
        f->OnGetText = [](Field &fld, QString &text, bool) {
            text = fld.isNull() ? QString() : nameOrNumber(SimeAddDayNames, fld.asInteger() + 1, fld.asInteger());
        };
        f->OnSetText = [](Field &fld, const QString &text) {
            int value = 0;
            for (int i = 0; i < int(SimeAddDayNames.size()); ++i)
                if (SimeAddDayNames[std::size_t(i)] == text.trimmed())
                    value = i - 1;
            fld.setAsInteger(value);
        };
    }
}

// Runs extra after whatever the data set did after opening already.
void chainAfterOpen(DataSet &ds, const std::function<void(DataSet &)> &extra)
{
    auto previous = ds.AfterOpen;
    ds.AfterOpen = [previous, extra](DataSet &d) {
        if (previous)
            previous(d);
        extra(d);
    };
    if (ds.isActive())
        extra(ds);
}

} // namespace

void InstallTableEvents(TDatMod &dm)
{
    // Installing twice would chain the after-open rules twice.
    static const char kInstalled[] = "pomuTableEventsInstalled";
    if (dm.property(kInstalled).toBool())
        return;
    dm.setProperty(kInstalled, true);

    for (Table *t : {dm.ZeiLstTbl, dm.HinmeiLstTbl, dm.ShopLstTbl, dm.MasterTbl, dm.YosanTbl, dm.MemoTbl,
                     dm.DayMstTbl, dm.SimebiListTbl}) {
        if (t)
            t->OnNewRecord = [&dm](DataSet &ds) { numberNewRow(dm, ds, "DATANO"); };
    }
    for (Table *t : {dm.HinmeiMstTbl, dm.PersonTbl, dm.ShopMstTbl, dm.HimokuTbl, dm.NumberTbl, dm.HinmeiMstTbl2,
                     dm.ShopMstTbl2, dm.PersonTbl2, dm.HimokuTbl2}) {
        if (t)
            t->OnNewRecord = [&dm](DataSet &ds) { numberNewRow(dm, ds, "CODE"); };
    }
    if (dm.HimokuTbl)
        chainAfterOpen(*dm.HimokuTbl, [](DataSet &ds) {
            if (Field *f = ds.findField(QStringLiteral("ZEIATUKAI"))) {
                f->OnGetText = zeiAtukaiGetText;
                f->OnSetText = himokuZeiAtukaiSetText;
            }
        });
    if (dm.PageSimebiSql)
        chainAfterOpen(*dm.PageSimebiSql, wireSimebiFields);

    if (dm.MeisaiClt) {
        installMeisaiEvents(dm, *dm.MeisaiClt);
        // A row the apply could not write is put to the user.
        dm.MeisaiClt->OnReconcileError = HandleReconcileError;
    }
    if (dm.ReceiptClt)
        installReceiptEvents(dm, *dm.ReceiptClt);
    if (TMeisaiClientDataSet *copy = dm.CopyClt) {
        copy->CltDataStyle = 0;
        copy->CltSyuSiIdo = 0;
        if (!copy->isActive())
            copy->createDataSet();
    }
}

TMeisaiClientDataSet *MeisaiClt(TDatMod &dm) { return dm.MeisaiClt; }
TMeisaiClientDataSet *ReceiptClt(TDatMod &dm) { return dm.ReceiptClt; }
TMeisaiClientDataSet *CopyClt(TDatMod &dm) { return dm.CopyClt; }

void CopyLockDate(TDatMod &dm, const QDate &lockDate)
{
    if (auto *m = MeisaiClt(dm))
        m->CltLockDate = lockDate;
    if (auto *r = ReceiptClt(dm))
        r->CltLockDate = lockDate;
}

void SetMeisaiDefaults(DataSet &ds)
{
    auto set = [&ds](const char *name, const QVariant &value) {
        if (Field *f = ds.findField(QLatin1String(name)))
            f->setValue(value);
    };
    set("GYONO", 0);
    for (const char *name : {"RECDATE", "KINGAKU", "KARISIDE", "KARICODE", "KASICODE"})
        set(name, QVariant());
    set("HINMEICODE", 0);
    set("SHOPCODE", 0);
    set("PERSONCODE", 0);
    set("QUANTITY", 1.0);
    set("ZEIATUKAI", 0);
    set("RECEIPTNO", 0);
    set("LOOKUPNO", 0);
    set("RECKIND", 1);
    set("STYLE", 1);
    set("ORIGIN", 3);
    set("RESERVED", false);
}

void SetHimokuDefaults(DataSet &ds, int bunrui)
{
    auto set = [&ds](const char *name, const QVariant &value) {
        if (Field *f = ds.findField(QLatin1String(name)))
            f->setValue(value);
    };
    set("POS", 50);
    set("NAME", QVariant());
    set("MEMO", QVariant());
    set("BUNRUI", 3);
    set("SYOKIZAN", QVariant::fromValue(Currency()));
    set("SIMEBI", 31);
    set("SIMEHOLIDAYSHIFT", 0);
    set("CYCLE", 0);
    set("FURIKOMIBI", 31);
    set("HOLIDAYSHIFT", 0);
    set("VISIBLE", true);
    set("SYSTEM", false);
    set("STARTDATE", QDate::currentDate());
    set("TOKUBETU", false);
    set("AITECODE", 100);
    set("SIMEHISTROY", false);
    set("SIMESHIFT", 0);
    set("SIMEADDDAY", 0);
    set("OTHERCODE", 0);
    set("ZEIATUKAI", 0);
    set("YOSANWARN", true);
    if (bunrui != 0) {
        set("BUNRUI", bunrui);
        if (bunrui != 3) {
            set("FURIKOMIBI", -1);
            set("CYCLE", -1);
        }
        set("ZEIATUKAI", bunrui == 2 ? 1 : 0);
    }
}
