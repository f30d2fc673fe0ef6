// Saving an import: the masters it needs, slip and data numbers and the lines,
// all in one transaction, after the question to skip failed rows.

#include <algorithm>
#include <cmath>

#include <QDate>

#include "data/DatMod.h"
#include "data/HimokuCache.h"
#include "data/RecordNumbers.h"
#include "management/imexport/ImportRun.h"
#include "platform/db/Currency.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"

namespace {

constexpr int kMaxSlipLines = 250;

QVariant numberOrZero(const QVariant &v)
{
    return v.isNull() ? QVariant(0) : v;
}

int codeOf(const TCodeConvert &convert, const QMap<int, int> &made, int index)
{
    if (index <= 0)
        return 0;
    const int code = made.value(index, convert.Items.at(index).code);
    return code < 0 ? 0 : code;
}

// The tables of the data module that show what an import writes read it again.
void refreshModuleTables()
{
    if (!DatMod)
        return;
    for (Table *t : {DatMod->MasterTbl, DatMod->HimokuTbl, DatMod->HimokuTbl2, DatMod->HinmeiMstTbl,
                     DatMod->HinmeiMstTbl2, DatMod->ShopMstTbl, DatMod->ShopMstTbl2, DatMod->PersonTbl,
                     DatMod->PersonTbl2})
        if (t && t->isActive())
            t->refresh();
    DatMod->DataChanged = true;
}

} // namespace

int TImportRun::SaveRows()
{
    const QList<TImportRow> &rows = ShownRows();
    const int failed = FailedCount(rows);
    // The question comes before anything is written, so that Cancel leaves the
    // book exactly as it was: no master rows, no slip or data numbers taken.
    if (ErrorsPresent || failed > 0) {
        const QString question = QString::number(failed) + QString::fromUtf16(kSkipRowsQuestion);
        if (MessageDlg(question, MsgDlgType::Confirmation, mbOKCancel) != mrOk)
            return -1;
    }
    QSet<int> himoku, items, shops, persons, slips;
    int goodCount = 0;
    for (const auto &r : rows) {
        if (!r.good())
            continue;
        ++goodCount;
        himoku << r.entry(fKARICODE) << r.entry(fKASICODE);
        items << r.entry(fHINMEICODE);
        shops << r.entry(fSHOPCODE);
        persons << r.entry(fPERSONCODE);
        slips << r.entry(fRECEIPTNO);
    }
    QMap<int, int> himokuCodes, itemCodes, shopCodes, personCodes, slipCodes;
    bool split = false;
    {
        Transaction tr(m_db, Database::TransactionMode::Immediate);
        himokuCodes = HimokuConvert.CreateMissing(m_db, himoku);
        itemCodes = HinmeiConvert.CreateMissing(m_db, items);
        shopCodes = ShopConvert.CreateMissing(m_db, shops);
        personCodes = PersonConvert.CreateMissing(m_db, persons);
        if (OwnFormat)
            slipCodes = ReceiptConvert.CreateMissing(m_db, slips);
        int nextDataNo = 0;
        if (goodCount > 0) {
            nextDataNo = RecordNumbers::GetNewDataNo(m_db, QStringLiteral("Master.DB"));
            if (goodCount > 1)
                RecordNumbers::SetDataNo(m_db, QStringLiteral("Master.DB"), nextDataNo + goodCount - 1);
        }
        Statement ins(m_db, QStringLiteral(
                                "INSERT INTO Master (DATANO, GYONO, RECDATE, KINGAKU, QUANTITY, SHOPCODE, HINMEICODE, "
                                "PERSONCODE, KARISIDE, KARICODE, KASICODE, RESERVED, LOOKUPNO, RECEIPTNO, RECKIND, "
                                "STYLE, ORIGIN, ZEIATUKAI) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        int previousSource = -1;
        int slipNo = 0;
        int slipCount = 0;
        for (const auto &r : rows) {
            if (!r.good())
                continue;
            int receipt = 0;
            const int source = std::max(0, r.entry(fRECEIPTNO));
            if (OwnFormat) {
                receipt = codeOf(ReceiptConvert, slipCodes, source);
            } else if (source > 0) {
                if (source == previousSource && slipCount < kMaxSlipLines) {
                    ++slipCount;
                } else {
                    if (source == previousSource)
                        split = true;
                    slipNo = RecordNumbers::GetNewDataNo(m_db, QStringLiteral("receiptno"));
                    slipCount = 1;
                }
                receipt = slipNo;
            }
            previousSource = OwnFormat ? -1 : source;
            if (source == 0)
                previousSource = -1;
            const QDate date = r[fRECDATE].toDate();
            const int reckind = OwnFormat ? r[fRECKIND].toInt() % 100 + 100 : 201;
            ins.reset();
            ins.bind(1, nextDataNo++);
            ins.bind(2, numberOrZero(r[fGYONO]));
            ins.bind(3, date.isValid() ? QVariant(date.toString(Qt::ISODate)) : QVariant());
            ins.bind(4, r[fKINGAKU].isNull() ? 0.0 : r[fKINGAKU].value<Currency>().toDouble());
            // An empty quantity stays empty, so that the own format carries a
            // line over unchanged.
            ins.bind(5, r[fQUANTITY]);
            ins.bind(6, codeOf(ShopConvert, shopCodes, r.entry(fSHOPCODE)));
            ins.bind(7, codeOf(HinmeiConvert, itemCodes, r.entry(fHINMEICODE)));
            ins.bind(8, codeOf(PersonConvert, personCodes, r.entry(fPERSONCODE)));
            ins.bind(9, r[fKARISIDE].isNull() ? QVariant() : QVariant(r[fKARISIDE].toBool() ? 1 : 0));
            ins.bind(10, codeOf(HimokuConvert, himokuCodes, r.entry(fKARICODE)));
            ins.bind(11, codeOf(HimokuConvert, himokuCodes, r.entry(fKASICODE)));
            ins.bind(12, r[fRESERVED].toBool() ? 1 : 0);
            ins.bind(13, numberOrZero(r[fLOOKUPNO]));
            ins.bind(14, receipt);
            ins.bind(15, reckind);
            ins.bind(16, numberOrZero(r[fSTYLE]));
            ins.bind(17, numberOrZero(r[fORIGIN]));
            ins.bind(18, ZeiConvert.ZeiOf(std::max(0, r.entry(fZEIATUKAI))));
            ins.exec();
        }
        tr.commit();
    }
    // Only now, with the lines in the book, do the entries take their codes.
    HimokuConvert.ApplyCodes(himokuCodes);
    HinmeiConvert.ApplyCodes(itemCodes);
    ShopConvert.ApplyCodes(shopCodes);
    PersonConvert.ApplyCodes(personCodes);
    ReceiptConvert.ApplyCodes(slipCodes);
    SlipSplit = split;
    LoadHimokuCaches(m_db);
    refreshModuleTables();
    return goodCount;
}
