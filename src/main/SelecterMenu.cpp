// The selector's choice menu: copies, moves or deletes, in one go, the item or
// shop choices registered under the shown category, each confirmed by the
// user (or all at once with すべてはい).

#include <vector>

#include <QApplication>

#include "data/DatMod.h"
#include "data/FormSelecterHimoku.h"
#include "data/MasterCodes.h"
#include "main/FormFukuHinmei.h"
#include "main/FrameSelecter.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

using namespace Qt::StringLiterals;

namespace {

// Shows (or adds) under the destination category the choice rows of one
// parent: the parent's own row and its second level.
void copyChoiceRows(Table &list, Database &db, const QString &table, int from, int to, int parent)
{
    struct Row
    {
        int oya;
        int ko;
    };
    std::vector<Row> rows;
    {
        Statement st(db, u"SELECT OYACODE, KOCODE FROM %1 WHERE HIMOKUCODE = ? AND OYACODE = ?"_s.arg(table));
        st.bind(1, from);
        st.bind(2, parent);
        while (st.next())
            rows.push_back({int(st.intValue(0)), int(st.intValue(1))});
    }
    const QString keys = u"HIMOKUCODE;OYACODE;KOCODE"_s;
    for (const Row &r : rows) {
        if (list.locate(keys, QVariantList{to, r.oya, r.ko})) {
            Field *visible = list.fieldByName(u"VISIBLE"_s);
            if (!visible->asBoolean()) {
                list.edit();
                visible->setAsBoolean(true);
                list.post();
            }
            continue;
        }
        list.append();
        try {
            list.fieldByName(u"HIMOKUCODE"_s)->setAsInteger(to);
            list.fieldByName(u"OYACODE"_s)->setAsInteger(parent);
            list.fieldByName(u"KOCODE"_s)->setAsInteger(r.ko);
            list.fieldByName(u"VISIBLE"_s)->setAsBoolean(true);
            list.post();
        } catch (...) {
            list.cancel();
            throw;
        }
    }
}

} // namespace

bool TFrameSelecter::RunChoiceOperation(int operation)
{
    if (!MenuAllowed() || operation < 1 || operation > 3)
        return false;
    int destination = -1;
    if (operation != 1) {
        TFormSelecterHimoku form(window());
        form.SetOperation(uint8_t(operation));
        form.SetListKind(SelectorKind);
        if (form.exec() != mrOk)
            return false;
        destination = form.GetSelectedCode();
        if (destination < 0)
            return false;
        if (destination == ListCode) {
            MessageDlg(u"同じ費目です。"_s, MsgDlgType::Information, mbOK);
            return false;
        }
    }
    Table &list = SelectorKind == 9 ? *DatMod->HinmeiLstTbl : *DatMod->ShopLstTbl;
    const QString table = SelectorKind == 9 ? u"HinmeiList"_s : u"ShopList"_s;
    WaitCursor wait;
    const QString verb = operation == 1   ? u"削除"_s
                         : operation == 2 ? HimokuCodeToName(destination) + u"へコピー"_s
                                          : HimokuCodeToName(destination) + u"へ移動"_s;
    const QString owner = HimokuCodeToName(ListCode);
    std::vector<int> parents;
    bool all = false;
    for (int i = 0; i < choiceCount(); ++i) {
        const int code = choiceCodeAt(i);
        if (code < 0)
            continue;
        if (!all) {
            const int answer =
                MessageDlg(u"%1 の  %2  を%3してよろしいですか？ "_s.arg(owner, choiceNameAt(i), verb),
                           MsgDlgType::Information, mbYes | mbNo | mbAbort | mbYesToAll);
            if (answer == mrAbort)
                return false;
            if (answer == mrNo)
                continue;
            all = answer == mrYesToAll;
        }
        parents.push_back(code);
    }
    if (parents.empty()) {
        MessageDlg(u"対象レコードはありません。"_s, MsgDlgType::Information, mbOK);
        return false;
    }
    if (MessageDlg(QString::number(parents.size()) + u" 件あります。\r実行すると元には戻せません。\r実行していいですか？"_s,
                   MsgDlgType::Information, mbYesNo)
        != mrYes)
        return false;
    Database &db = DatMod->MainDatabase;
    try {
        // All choices or none: a failure halfway leaves the lists as they were.
        Transaction transaction(db, Database::TransactionMode::Immediate);
        if (operation != 1)
            for (int parent : parents)
                copyChoiceRows(list, db, table, ListCode, destination, parent);
        if (operation != 2)
            for (int parent : parents) {
                Statement del(db, u"DELETE FROM %1 WHERE (HIMOKUCODE = ?) AND (OYACODE = ?)"_s.arg(table));
                del.bind(1, ListCode);
                del.bind(2, parent);
                del.exec();
            }
        transaction.commit();
    } catch (const std::exception &e) {
        if (list.isActive())
            list.refresh();
        MessageDlg(u"選択肢を変更できませんでした。何も変更していません。\n"_s + QString::fromUtf8(e.what()),
                   MsgDlgType::Error, mbOK);
        return false;
    }
    if (list.isActive())
        list.refresh();
    HideFormFukuHinmei();
    reload(true);
    return true;
}
