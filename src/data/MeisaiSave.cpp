#include "data/MeisaiSave.h"

#include <memory>
#include <set>

#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "data/MasterCodes.h"
#include "data/MeisaiClientDataSet.h"
#include "data/RecordNumbers.h"
#include "data/Vocabulary.h"
#include "platform/db/Abort.h"
#include "platform/db/ClientDataSet.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Provider.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

TMeisaiSaveState MeisaiSaveState;

namespace {

TMeisaiClientDataSet &clt()
{
    return *DatMod->MeisaiClt;
}

int intOf(DataSet &ds, const char *name)
{
    return ds.fieldByName(QLatin1String(name))->asInteger();
}

bool refuse(const QString &text)
{
    MessageDlg(text, MsgDlgType::Information, mbOK);
    return false;
}

// Styles whose lines a table-entry page shows but does not own. Free-entry
// lines (7) belong to their slip as well: checking them here would delete a
// blank one or refuse a save the user cannot mend in this mode.
bool foreignInTable(int lineStyle)
{
    return lineStyle == 2 || lineStyle == 3 || lineStyle == 7 || lineStyle == 8;
}

bool isLockedChange(ClientDataSet &ds)
{
    const QDate lock = CurLockDate;
    if (!lock.isValid() || clt().CltDataStyle != 1)
        return false;
    const UpdateStatus status = ds.updateStatus();
    if (status == UpdateStatus::Unmodified)
        return false;
    Field *date = ds.fieldByName(QStringLiteral("RECDATE"));
    if (status != UpdateStatus::Deleted && !date->isNull() && date->asDate() <= lock)
        return refuse(QStringLiteral("編集ロックされた日付の明細があります。")), true;
    const QVariant old = date->oldValue();
    if (status != UpdateStatus::Inserted && old.isValid() && !old.isNull() && old.toDate() <= lock)
        return refuse(QStringLiteral("編集ロックされた日付の明細が修正されています。")), true;
    return false;
}

// The code of name in a master table; a new name gets its row inside the
// save's transaction.
int masterCode(const char *tableFileName, const QString &name, bool userRowsOnly)
{
    return GetOrAddMasterCode(DatMod->MainDatabase, QLatin1String(tableFileName), name, userRowsOnly);
}

// A line's side names a category or account; 0 or less is none, and the
// group rows 収入, 支出 and 口座 (codes 1 to 3) are the roots of the lists, never
// a place a line can be booked to.
int bookableCode(int code)
{
    return code >= 1 && code <= 3 ? 0 : code;
}

// The code checks of one line; false (message shown) on the first missing or equal code.
bool checkLineCodes(DataSet &ds)
{
    const TMeisaiClientDataSet &st = clt();
    const int kari = bookableCode(intOf(ds, "KARICODE"));
    const int kasi = bookableCode(intOf(ds, "KASICODE"));
    const bool byCodes = st.CltSyuSiIdo != 3 || st.CltDataStyle == 4 || st.CltDataStyle == 5 || st.CltDataStyle == 7;
    if (byCodes) {
        QString kariMsg = QStringLiteral("入金先が未定です。"), kasiMsg = QStringLiteral("出金元が未定です。");
        if (st.CltSyuSiIdo == 1) {
            kariMsg = QStringLiteral("入金口座が未定です。");
            kasiMsg = QStringLiteral("費目が未定です。");
        } else if (st.CltSyuSiIdo == 2) {
            kariMsg = QStringLiteral("費目が未定です。");
            kasiMsg = QStringLiteral("出金口座が未定です。");
        }
        if (kari <= 0)
            return refuse(kariMsg);
        if (kasi <= 0)
            return refuse(kasiMsg);
        if (kari == kasi)
            return refuse(QStringLiteral("出金元と入金先が同じです。"));
    } else {
        const int aite = bookableCode(intOf(ds, "AiteCode"));
        const int self = bookableCode(intOf(ds, "SelfCode"));
        if (aite <= 0)
            return refuse(QStringLiteral("費目もしく相手口座が未定です。"));
        if (self <= 0)
            return refuse(QStringLiteral("口座が未定です。"));
        if (kari <= 0)
            return refuse(QStringLiteral("入金先が未定です。"));
        if (kasi <= 0)
            return refuse(QStringLiteral("出金元が未定です。"));
        if (aite == self)
            return refuse(QStringLiteral("出金元と入金先が同じです。"));
    }
    if (ds.fieldByName(QStringLiteral("RECDATE"))->isNull())
        return refuse(QStringLiteral("日付が未定です。"));
    return true;
}

// Restores the pending edit and the positions the save moved, whatever way it ends.
struct BusyGuard
{
    ~BusyGuard() { clt().CltBusyState = 0; }
};

struct ControlsGuard
{
    ClientDataSet &ds;
    Bookmark mark;
    explicit ControlsGuard(ClientDataSet &d) : ds(d), mark(d.bookmark()) { ds.disableControls(); }
    ~ControlsGuard()
    {
        if (ds.isActive())
            ds.gotoBookmark(mark);
        ds.enableControls();
    }
};

// Takes the journal data set back to where the save began: a pending edit is
// cancelled and every change the numbering made is taken back.
void revertNumbering(int savePoint)
{
    ClientDataSet &ds = clt();
    if (ds.isEditing())
        ds.cancel();
    if (ds.savePoint() != savePoint)
        ds.setSavePoint(savePoint);
}

bool askBillPay()
{
    TMeisaiClientDataSet &m = clt();
    const TMeisaiSaveState &st = MeisaiSaveState;
    m.CltNeedBillPay = m.CltSyuSiIdo == 2 && m.CltDataStyle == 3 && !m.isEmpty();
    if (!m.CltNeedBillPay)
        return true;
    if (!st.ReceiptCltPayDate.isValid()) {
        if (MessageDlg(QStringLiteral("引落日が指定されていません。\r自動引落を使用しますか？"), MsgDlgType::Information,
                       mbYesNo) == mrYes)
            return false;
        m.CltNeedBillPay = false;
    }
    if (m.CltNeedBillPay && st.ReceiptCltPayKouza < 100) {
        if (MessageDlg(QStringLiteral("引落口座が指定されていません。\r自動引落を使用しますか？"),
                       MsgDlgType::Information, mbYesNo) == mrYes)
            return false;
        m.CltNeedBillPay = false;
    }
    if (m.CltNeedBillPay && st.ReceiptCltPayKouza == st.ReceiptCltCreditCode) {
        MessageDlg(QStringLiteral("引落口座が同じクレジット口座からになっています"), MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}

// Whether the log still changes the book: an inserted line deleted again is no
// change, though the log counts both steps.
bool hasPendingChanges(ClientDataSet &ds)
{
    if (ds.changeCount() == 0)
        return false;
    ClientDataSet changed;
    changed.cloneCursor(ds);
    changed.setStatusFilter({UpdateStatus::Modified, UpdateStatus::Inserted, UpdateStatus::Deleted});
    return !changed.isEmpty();
}

} // namespace

bool IsBlankMeisaiLine(DataSet &ds)
{
    // The entry state of the data set asked about, else that of the module's journal.
    const TMeisaiClientDataSet *state = MeisaiState(&ds);
    if (!state)
        state = DatMod ? DatMod->MeisaiClt : nullptr;
    const int style = state ? state->CltDataStyle : 1;
    const int page = state ? state->CltSyuSiIdo : 2;
    auto amount = [&ds](const char *name) { return ds.fieldByName(QLatin1String(name))->asCurrency(); };
    auto text = [&ds](const char *name) { return ds.fieldByName(QLatin1String(name))->asString(); };
    if (amount("KINGAKU") != Currency() || amount("KariGaku") != Currency() || amount("KasiGaku") != Currency())
        return false;
    if (style != 2 && !text("ShopName").isEmpty())
        return false;
    if (!text("HinmeiName").isEmpty() || !text("PersonName").isEmpty())
        return false;
    if ((style == 3 || style == 7 || style == 8) && !ds.fieldByName(QStringLiteral("RECDATE"))->isNull())
        return false;
    if (style == 1 && page != 3)
        return true;
    if (page == 1)
        return intOf(ds, "KASICODE") <= 0;
    if (page == 2)
        return intOf(ds, "KARICODE") <= 0;
    if (style == 1 || style == 3 || style == 8)
        return intOf(ds, "AiteCode") <= 0;
    return intOf(ds, "KARICODE") <= 0 && intOf(ds, "KASICODE") <= 0;
}

void TouchMeisaiFirstLine()
{
    ClientDataSet &ds = clt();
    if (!ds.isActive() || ds.isEmpty())
        return;
    ds.first();
    ds.edit();
    ds.fieldByName(QStringLiteral("LOOKUPNO"))->setValue(-2);
    ds.post();
}

bool ValidateMeisaiLines()
{
    ClientDataSet &ds = clt();
    const bool table = clt().CltDataStyle == 1;
    ds.first();
    while (!ds.eof()) {
        if (table && foreignInTable(intOf(ds, "STYLE"))) {
            ds.next();
            continue;
        }
        if (IsBlankMeisaiLine(ds)) {
            ds.remove();
            continue;
        }
        if (!checkLineCodes(ds))
            return false;
        ds.next();
    }
    for (ds.first(); !ds.eof(); ds.next())
        if (isLockedChange(ds))
            return false;
    ClientDataSet deleted;
    deleted.cloneCursor(ds);
    deleted.setStatusFilter({UpdateStatus::Deleted});
    for (deleted.first(); !deleted.eof(); deleted.next())
        if (isLockedChange(deleted))
            return false;
    return true;
}

bool NumberMeisaiLines()
{
    TMeisaiSaveState &st = MeisaiSaveState;
    TMeisaiClientDataSet &ds = clt();
    Database &db = DatMod->MainDatabase;
    const int style = ds.CltDataStyle;
    const int page = ds.CltSyuSiIdo;
    if ((style == 2 || style == 3 || style == 6 || style == 7 || style == 8) && ds.CltReceiptNo == -1)
        ds.CltReceiptNo = RecordNumbers::GetNewDataNo(db, QStringLiteral("receiptno"));
    int counter = 0;
    auto f = [&ds](const char *name) { return ds.fieldByName(QLatin1String(name)); };
    for (ds.first(); !ds.eof(); ds.next()) {
        if (style == 1 && foreignInTable(intOf(ds, "STYLE")))
            continue;
        ds.edit();
        if (f("DATANO")->asInteger() <= 0) {
            f("DATANO")->setValue(RecordNumbers::GetNewDataNo(db, QStringLiteral("Master.DB")));
            if (f("DATANO")->asInteger() <= 0)
                return refuse(QStringLiteral("データ番号を取得できません。"));
        }
        counter = counter >= 31999 ? 0 : counter + 1;
        if (style != 5)
            f("GYONO")->setValue(counter);
        if (style == 2)
            f("RECDATE")->setValue(st.ReceiptCltRecDate);
        if (style == 3 || style == 8) {
            const int credit = st.ReceiptCltCreditCode;
            if (credit < 100) {
                if (page == 1)
                    return refuse(QStringLiteral("振込先が指定されていません。"));
                if (page == 3 && style == 8)
                    return refuse(QStringLiteral("金券口座が指定されていません。"));
                return refuse(QStringLiteral("クレジット口座が指定されていません。"));
            }
            if (page == 1) {
                f("KARICODE")->setValue(credit);
            } else if (page == 2) {
                f("KASICODE")->setValue(credit);
            } else if (f("KARISIDE")->asBoolean()) {
                f("KARICODE")->setValue(credit);
                f("KASICODE")->setValue(f("AiteCode")->asInteger());
            } else {
                f("KARICODE")->setValue(f("AiteCode")->asInteger());
                f("KASICODE")->setValue(credit);
            }
        }
        if (GetHimokuKind(f("KARICODE")->asInteger()) == 1)
            return refuse(QStringLiteral("収入費目へ入金できません。"));
        if (GetHimokuKind(f("KASICODE")->asInteger()) == 2)
            return refuse(QStringLiteral("支出費目から出金できません。"));
        if (f("HINMEICODE")->asInteger() == -1)
            f("HINMEICODE")->setValue(masterCode("HinmeiMast.db", f("HinmeiName")->asString(), true));
        if (style == 2) {
            if (st.ReceiptCltShopCode == -1)
                st.ReceiptCltShopCode = masterCode("ShopMast.db", st.ReceiptCltShopName, false);
            f("SHOPCODE")->setValue(st.ReceiptCltShopCode);
        } else if (f("SHOPCODE")->asInteger() == -1) {
            f("SHOPCODE")->setValue(masterCode("ShopMast.db", f("ShopName")->asString(), true));
        }
        if (f("PERSONCODE")->asInteger() == -1)
            f("PERSONCODE")->setValue(masterCode("Person.DB", f("PersonName")->asString(), true));
        if (f("RECEIPTNO")->asInteger() <= 0) {
            if (style == 1)
                f("RECEIPTNO")->setValue(0);
            else if (style != 5 && style != 6)
                f("RECEIPTNO")->setValue(ds.CltReceiptNo);
        }
        if (f("LOOKUPNO")->asInteger() <= 0)
            f("LOOKUPNO")->setValue(style == 3 || style == 7 || style == 8 ? ds.CltLookupNo : 0);
        ds.post();
    }
    return true;
}

void WriteMeisaiDirect()
{
    ClientDataSet &ds = clt();
    Database &db = DatMod->MainDatabase;
    QStringList columns, sets, marks;
    QList<Field *> fields;
    for (Field *field : ds.fields()) {
        if (field->kind() != FieldKind::Data)
            continue;
        fields << field;
        columns << field->fieldName();
        sets << field->fieldName() + QStringLiteral(" = ?");
        marks << QStringLiteral("?");
    }
    Statement update(db, QStringLiteral("UPDATE \"Master\" SET %1 WHERE DATANO = ?").arg(sets.join(QLatin1Char(','))));
    Statement insert(db, QStringLiteral("INSERT INTO \"Master\" (%1) VALUES (%2)")
                             .arg(columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    Field *dataNo = ds.fieldByName(QStringLiteral("DATANO"));
    for (ds.first(); !ds.eof(); ds.next()) {
        if (ds.updateStatus() == UpdateStatus::Unmodified)
            continue;
        update.reset();
        for (int i = 0; i < fields.size(); ++i)
            update.bind(i + 1, toSqlValue(fields.at(i)->value()));
        update.bind(int(fields.size()) + 1, dataNo->asInteger());
        update.exec();
        if (db.changes() == 0) {
            insert.reset();
            for (int i = 0; i < fields.size(); ++i)
                insert.bind(i + 1, toSqlValue(fields.at(i)->value()));
            insert.exec();
        }
    }
    const auto filter = ds.statusFilter();
    struct Reset
    {
        ClientDataSet &ds;
        std::set<UpdateStatus> filter;
        ~Reset() { ds.setStatusFilter(filter); }
    } reset{ds, filter};
    ds.setStatusFilter({UpdateStatus::Deleted});
    Statement remove(db, QStringLiteral("DELETE FROM \"Master\" WHERE DATANO = ?"));
    for (ds.first(); !ds.eof(); ds.next()) {
        remove.reset();
        remove.bind(1, dataNo->asInteger());
        remove.exec();
    }
}

bool ApplyMeisaiUpdates()
{
    if (!DatMod || !DatMod->MeisaiClt)
        return true;
    TMeisaiSaveState &st = MeisaiSaveState;
    TMeisaiClientDataSet &ds = clt();
    const int changesAtStart = ds.changeCount();
    WaitCursor wait;
    // The save's own numbering edits are not the user's undo steps.
    ds.ClearSavePoint();
    if (!ds.isActive() || ds.CltBusyState == 2)
        return true;
    if (ds.isEditing())
        ds.post();
    ds.CltBusyState = 2;
    BusyGuard busy;
    if (ds.changeCount() == 0)
        return true;
    bool completed = false;
    {
        ControlsGuard controls(ds);
        if (!ValidateMeisaiLines())
            return false;
        if (!hasPendingChanges(ds)) {
            // Only steps that cancel out (a new line deleted again): nothing to
            // write, and nothing may stay behind to be saved again.
            ds.mergeChangeLog();
            return true;
        }
        if (!askBillPay())
            return false;
        if (ds.OnApplyUpdate)
            ds.OnApplyUpdate(ds);

        Database &db = DatMod->MainDatabase;
        const int savePoint = ds.savePoint();
        const int receiptNo = ds.CltReceiptNo;
        const int shopCode = st.ReceiptCltShopCode;
        auto rollBack = [&]() {
            revertNumbering(savePoint);
            ds.CltReceiptNo = receiptNo;
            st.ReceiptCltShopCode = shopCode;
        };
        const bool direct = changesAtStart >= MeisaiDirectWriteCount;
        int errors = 0;
        try {
            Transaction transaction(db, Database::TransactionMode::Immediate);
            if (!NumberMeisaiLines()) {
                rollBack();
                return false;
            }
            if (direct) {
                try {
                    WriteMeisaiDirect();
                    if (ds.OnWriteInTransaction)
                        ds.OnWriteInTransaction(ds);
                    transaction.commit();
                } catch (const EAbort &) {
                    throw;
                } catch (const std::exception &e) {
                    rollBack();
                    MessageDlg(QString::fromUtf8(e.what()), MsgDlgType::Error, mbOK);
                    return false;
                }
            } else {
                // Without a reconcile handler an engine error would be skipped
                // and the rest saved: stop the whole save instead.
                auto handler = ds.OnReconcileError;
                if (!handler)
                    ds.OnReconcileError = [](ClientDataSet &, UpdateKind, const ReconcileError &) {
                        return ReconcileAction::Abort;
                    };
                struct Restore
                {
                    ClientDataSet &ds;
                    decltype(ds.OnReconcileError) handler;
                    ~Restore() { ds.OnReconcileError = handler; }
                } restore{ds, handler};
                errors = ds.applyUpdates(1);
                if (errors > 0 && ds.provider()->appliedCount() == 0) {
                    // Nothing was applied (the apply rolled back or every row was
                    // skipped): keep the book and the change log as they were.
                    rollBack();
                    return false;
                }
                if (ds.OnWriteInTransaction) {
                    try {
                        ds.OnWriteInTransaction(ds);
                    } catch (const EAbort &) {
                        throw;
                    } catch (const std::exception &e) {
                        // The applied lines leave the log only when the
                        // transaction commits: rolled back, the log stays as
                        // the user made it and the book as it was.
                        rollBack();
                        MessageDlg(QStringLiteral("保存できませんでした。\r") + QString::fromUtf8(e.what()),
                                   MsgDlgType::Error, mbOK);
                        return false;
                    }
                }
                transaction.commit();
            }
        } catch (...) {
            rollBack();
            throw;
        }
        if (direct) {
            ds.cancelUpdates();
            ds.close();
            ds.open();
            if (ds.OnAfterNoTransaction)
                ds.OnAfterNoTransaction(ds);
        } else if (errors == 0 && ds.OnAfterApplied) {
            ds.OnAfterApplied(ds);
        }
        DatMod->DataChanged = true;
        CommitDataChanges();
        completed = true;
    }
    if (completed) {
        // The data module's after-scroll work (the selector's filter ends,
        // the page follows) once the save is over.
        ds.CltBusyState = 0;
        if (ds.AfterScroll)
            ds.AfterScroll(ds);
        else if (ds.OnAfterScrolled)
            ds.OnAfterScrolled(ds);
    }
    return true;
}
