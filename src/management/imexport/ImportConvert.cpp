// The conversion of read rows into complete journal lines: one amount or debit
// and credit amounts, slips grouped by balance, decomposition through 諸口,
// direction swap and the completion of every line.

#include <algorithm>

#include <QDate>

#include "data/DateCalc.h"
#include "data/HimokuCache.h"
#include "data/Vocabulary.h"
#include "management/imexport/FormSelectAite.h"
#include "management/imexport/ImportRun.h"
#include "platform/db/Currency.h"
#include "platform/ui/Dialogs.h"

namespace {

const QString kSwapNote = QStringLiteral("貸借を反転し、金額をマイナスにしました。");
const QString kWrongWay = QStringLiteral("エラー！！　支出費目からの出金、もしくは、収入費目への出金はできません。");
const QString kSameSides = QStringLiteral("エラー！！ 借方費目と貸方費目が同じです。");

Currency amountOf(const QVariant &v)
{
    return v.isNull() ? Currency() : v.value<Currency>();
}

} // namespace

struct TImportRun::MotoRecord
{
    int importNo = 0;
    QVariant date;
    int slip = 0;
    QVariant gyoNo;
    int debit = -1;
    int credit = -1;
    bool noCodes = false;
    Currency debitAmount;
    Currency creditAmount;
    QVariant item, shop, person, zei, kariZei, kasiZei;
};

bool TImportRun::ConvertRows(bool askSkip)
{
    if (askSkip && ErrorsPresent) {
        const QString question = QString::number(FailedCount(ImportClt)) + QString::fromUtf16(kSkipRowsQuestion);
        if (MessageDlg(question, MsgDlgType::Confirmation, mbOKCancel) != mrOk)
            return false;
    }
    ErrorsPresent = false;
    ConversionList.clear();
    if (AmountColumnMode) {
        if (!ConvertAmountRows())
            return false;
    } else {
        ConvertDebitCreditRows();
    }
    CompleteLines();
    return true;
}

bool TImportRun::ConvertAmountRows()
{
    if (SingleCategoryMode) {
        QString name = AiteName;
        if (!TFormSelectAite::Ask(HimokuConvert, name))
            return false;
        AiteName = name;
    }
    // The counterpart account is looked up quietly: a name the book lacks
    // becomes a new account without a question. With two category columns
    // there is no counterpart, and a name carried in from a matching file
    // would only add an account nobody asked for.
    AiteIndex = 0;
    if (SingleCategoryMode) {
        const bool silent = HimokuConvert.Silent;
        HimokuConvert.Silent = true;
        try {
            AiteIndex = HimokuConvert.FindOrAsk(AiteName, 1u << 3 | 1u << 4 | 1u << 5 | 1u << 6 | 1u << 7);
        } catch (...) {
            HimokuConvert.Silent = silent;
            throw;
        }
        HimokuConvert.Silent = silent;
    }
    InterClt.clear();
    InterClt.reserve(ImportClt.size());
    for (const auto &row : ImportClt)
        if (row.good())
            convertAmountRow(row);
    return true;
}

void TImportRun::convertAmountRow(const TImportRow &source)
{
    TImportRow line = source;
    line[fSucsses] = false;
    auto fail = [&](const QString &message) {
        failRow(ConversionList, line, message);
        InterClt.append(line);
    };
    if (!SingleCategoryMode) {
        const int d = line.entry(fKARICODE), c = line.entry(fKASICODE);
        if (d <= 0 && c <= 0)
            return fail(QStringLiteral("エラー！！ 借方費目、貸方費目とも空欄です。"));
        if (d <= 0)
            return fail(QStringLiteral("エラー！！ 借方費目が空欄です。"));
        if (c <= 0)
            return fail(QStringLiteral("エラー！！ 貸方費目が空欄です。"));
        if (d == c)
            return fail(kSameSides);
    } else {
        const int h = line.entry(fHimokuCode);
        if (h <= 0)
            return fail(QStringLiteral("エラー！！ 費目が空欄です。"));
        const int kind = HimokuConvert.KindOf(h);
        const bool income = kind == 1 || (kind == 3 && HimokuConvert.SideOf(h) != 1);
        line[fKARICODE] = income ? AiteIndex : h;
        line[fKASICODE] = income ? h : AiteIndex;
        if (line.entry(fKARICODE) == line.entry(fKASICODE))
            return fail(kSameSides);
    }
    const int dk = HimokuConvert.KindOf(line.entry(fKARICODE));
    const int ck = HimokuConvert.KindOf(line.entry(fKASICODE));
    if ((dk == 1 && ck == 1) || (dk == 2 && ck == 2))
        return fail(kWrongWay);
    if ((dk == 1 && ck != 1) || (ck == 2 && dk != 2)) {
        std::swap(line[fKARICODE], line[fKASICODE]);
        // The side taxes go with their sides.
        std::swap(line[fKARIZEIATU], line[fKASIZEIATU]);
        if (!line[fKINGAKU].isNull())
            line[fKINGAKU] = QVariant::fromValue(-amountOf(line[fKINGAKU]));
        addProblem(ConversionList, line, kSwapNote);
    }
    line[fSucsses] = true;
    InterClt.append(line);
}

void TImportRun::ConvertDebitCreditRows()
{
    SyokutiIndex = HimokuConvert.SyokutiIndex();
    InterClt.clear();
    int lineCounter = 0;
    QList<MotoRecord> group;
    Currency debitTotal, creditTotal;
    auto endGroup = [&] {
        const bool unbalanced = debitTotal != creditTotal;
        if (unbalanced) {
            ErrorsPresent = true;
            const int slip = group.first().slip;
            ConversionList.append(
                {group.first().importNo,
                 QStringLiteral(" 伝票番号 ＝ %1　エラー！！　貸借が一致しない伝票があります。").arg(slip)});
        }
        decomposeSlip(group, unbalanced, lineCounter);
        group.clear();
        debitTotal = Currency();
        creditTotal = Currency();
    };
    for (const auto &row : ImportClt) {
        if (!row.good())
            continue;
        MotoRecord r;
        r.importNo = row[fImportNo].toInt();
        r.date = row[fRECDATE];
        r.slip = std::max(0, row.entry(fRECEIPTNO));
        r.gyoNo = row[fGYONO];
        r.debit = row.entry(fKARICODE);
        r.credit = row.entry(fKASICODE);
        r.noCodes = r.debit == -1 && r.credit == -1;
        if (!r.noCodes) {
            r.debitAmount = amountOf(row[fKariGaku]);
            r.creditAmount = amountOf(row[fKasiGaku]);
        }
        r.item = row[fHINMEICODE];
        r.shop = row[fSHOPCODE];
        r.person = row[fPERSONCODE];
        r.zei = row[fZEIATUKAI];
        r.kariZei = row[fKARIZEIATU];
        r.kasiZei = row[fKASIZEIATU];
        if (!group.isEmpty() && (r.slip != group.last().slip || debitTotal == creditTotal))
            endGroup();
        group.append(r);
        debitTotal += r.debitAmount;
        creditTotal += r.creditAmount;
    }
    if (!group.isEmpty())
        endGroup();
    Currency syoDebit, syoCredit;
    for (const auto &row : ImportClt) {
        if (!row.good() || SyokutiIndex <= 0)
            continue;
        if (row.entry(fKARICODE) == SyokutiIndex)
            syoDebit += amountOf(row[fKariGaku]);
        if (row.entry(fKASICODE) == SyokutiIndex)
            syoCredit += amountOf(row[fKasiGaku]);
    }
    if (syoDebit != syoCredit) {
        ErrorsPresent = true;
        ConversionList.append({0, QStringLiteral("エラー！！ 分解されたデータで諸口の貸借が一致しません。")});
    }
}

void TImportRun::decomposeSlip(const QList<MotoRecord> &group, bool unbalanced, int &lineCounter)
{
    int debits = 0, credits = 0, lastD = -1, lastC = -1;
    for (const auto &r : group) {
        if (r.debit > 0) {
            ++debits;
            lastD = r.debit;
        }
        if (r.credit > 0) {
            ++credits;
            lastC = r.credit;
        }
    }
    auto amount = [](Currency c) { return c.isZero() ? QVariant() : QVariant::fromValue(c); };
    if (debits == 1 && credits == 1 && lastD != lastC) {
        const MotoRecord &first = group.first();
        if (!first.noCodes)
            postDecomposedLine(first, first.debit, first.credit, amount(first.debitAmount), unbalanced, QString(),
                               lineCounter);
    } else if (debits == 1 && lastD != lastC) {
        for (const auto &r : group)
            if (!r.noCodes)
                postDecomposedLine(r, lastD, r.credit, amount(r.creditAmount), unbalanced, QString(), lineCounter);
    } else if (credits == 1 && lastD != lastC) {
        for (const auto &r : group)
            if (!r.noCodes)
                postDecomposedLine(r, r.debit, lastC, amount(r.debitAmount), unbalanced, QString(), lineCounter);
    } else {
        const QString note = QStringLiteral("諸口に分解しました。");
        for (const auto &r : group)
            if (!r.noCodes && r.debit > 0)
                postDecomposedLine(r, r.debit, SyokutiIndex, amount(r.debitAmount), unbalanced, note, lineCounter);
        for (const auto &r : group)
            if (!r.noCodes && r.credit > 0)
                postDecomposedLine(r, SyokutiIndex, r.credit, amount(r.creditAmount), unbalanced, note,
                                   lineCounter);
    }
}

void TImportRun::postDecomposedLine(const MotoRecord &r, int debit, int credit, const QVariant &amount,
                                    bool unbalanced, const QString &note, int &lineCounter)
{
    TImportRow line;
    line[fImportNo] = ++lineCounter;
    line[fRECEIPTNO] = r.slip;
    line[fRECDATE] = r.date;
    line[fGYONO] = r.gyoNo;
    line[fHINMEICODE] = r.item;
    line[fSHOPCODE] = r.shop;
    line[fPERSONCODE] = r.person;
    line[fZEIATUKAI] = r.zei;
    line[fKINGAKU] = amount;
    line[fSucsses] = !unbalanced;
    if (!note.isEmpty())
        addProblem(ConversionList, line, note);
    // A blank side stays null, so the line is listed as blank below.
    const int dk = debit > 0 ? HimokuConvert.KindOf(debit) : 0;
    const int ck = credit > 0 ? HimokuConvert.KindOf(credit) : 0;
    if ((dk == 1 && ck != 1) || (ck == 2 && dk != 2)) {
        line[fKARICODE] = credit > 0 ? QVariant(credit) : QVariant();
        line[fKASICODE] = debit > 0 ? QVariant(debit) : QVariant();
        line[fKARIZEIATU] = r.kasiZei;
        line[fKASIZEIATU] = r.kariZei;
        if (!line[fKINGAKU].isNull())
            line[fKINGAKU] = QVariant::fromValue(-amountOf(line[fKINGAKU]));
        addProblem(ConversionList, line, kSwapNote);
    } else {
        line[fKARICODE] = debit > 0 ? QVariant(debit) : QVariant();
        line[fKASICODE] = credit > 0 ? QVariant(credit) : QVariant();
        line[fKARIZEIATU] = r.kariZei;
        line[fKASIZEIATU] = r.kasiZei;
    }
    if ((dk == 1 && ck == 1) || (dk == 2 && ck == 2))
        failRow(ConversionList, line, kWrongWay);
    else if (debit == credit)
        failRow(ConversionList, line, kSameSides);
    else if (debit <= 0 || credit <= 0)
        // A row whose other side is blank cannot become a journal line.
        failRow(ConversionList, line,
                debit <= 0 ? QStringLiteral("エラー！！ 借方費目が空欄です。")
                           : QStringLiteral("エラー！！ 貸方費目が空欄です。"));
    InterClt.append(line);
}

void TImportRun::setLineTax(TImportRow &line)
{
    if (SlotAssigned(12))
        return; // ZEIATUKAI as read
    const int debit = line.entry(fKARICODE);
    const bool debitExpense = debit > 0 && HimokuConvert.KindOf(debit) == 2;
    if (SlotAssigned(13) || SlotAssigned(14)) {
        line[fZEIATUKAI] = debitExpense ? line[fKARIZEIATU] : QVariant(ZeiConvert.IndexOfTreatment(0));
        return;
    }
    const QString item = HinmeiConvert.ToName(std::max(0, line.entry(fHINMEICODE)));
    for (const QString &word : ZeiKeyWords)
        if (!word.isEmpty() && item.contains(word)) {
            line[fZEIATUKAI] = ZeiConvert.IndexOfTreatment(0);
            return;
        }
    line[fZEIATUKAI] = ZeiConvert.IndexOfTreatment(debitExpense ? HimokuConvert.ZeiOf(debit) : 0);
}

void TImportRun::CompleteLines()
{
    const bool slips = SlotAssigned(1);
    const bool lineNumbers = SlotAssigned(3);
    int runSlip = -2;
    int runCount = 0;
    int runLookup = 0;
    for (auto &line : InterClt) {
        line[fRECKIND] = 1;
        line[fSTYLE] = 1;
        line[fRESERVED] = false;
        if (line[fQUANTITY].isNull())
            line[fQUANTITY] = 1.0;
        const int debit = line.entry(fKARICODE), credit = line.entry(fKASICODE);
        const int dk = debit > 0 ? HimokuConvert.KindOf(debit) : 0;
        const int ck = credit > 0 ? HimokuConvert.KindOf(credit) : 0;
        if (!slips) {
            if (!lineNumbers)
                line[fGYONO] = 1;
            line[fORIGIN] = dk == 2 && ck == 3 ? 2 : (ck == 1 && (dk == 2 || dk == 3)) ? 1 : 3;
        } else {
            const int slip = std::max(0, line.entry(fRECEIPTNO));
            if (slip != runSlip) {
                runSlip = slip;
                runCount = 0;
                runLookup = 0;
                const QDate date = line[fRECDATE].toDate();
                if (date.isValid()) {
                    int nendo = 0, month = 0, closingDay = 0, simeShift = 0, days = 0;
                    QDate start, end;
                    FindHimokuSimeMonth(m_db, 3, CurSimeTuki, CurShiftNendo, date, nendo, month, closingDay,
                                        simeShift, days, start, end);
                    if (nendo > 0 && month > 0)
                        runLookup = EncodeMonthCode(uint16_t(nendo), uint16_t(month));
                    else // no closing settings cached: the calendar month
                        runLookup = EncodeMonthCode(uint16_t(date.year()), uint16_t(date.month()));
                }
            }
            ++runCount;
            if (!lineNumbers)
                line[fGYONO] = runCount;
            line[fLOOKUPNO] = runLookup;
            line[fSTYLE] = 7;
            line[fORIGIN] = 3;
        }
        setLineTax(line);
    }
}
