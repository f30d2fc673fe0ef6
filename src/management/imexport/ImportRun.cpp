#include "management/imexport/ImportRun.h"

#include <algorithm>
#include <cmath>

#include <QDate>
#include <QSet>

#include "data/Vocabulary.h"
#include "platform/db/Currency.h"
#include "platform/ui/Dialogs.h"

namespace {

const char *const kFieldNames[ImportFieldCount] = {
    "ImportNo",  "DATANO",     "RECEIPTNO",  "LOOKUPNO",   "GYONO",      "RECDATE",  "HimokuCode",
    "KARICODE",  "KASICODE",   "KINGAKU",    "KariGaku",   "KasiGaku",   "QUANTITY", "ZEIATUKAI",
    "KARIZEIATU", "KASIZEIATU", "HINMEICODE", "SHOPCODE",  "PERSONCODE", "KARISIDE", "RECKIND",
    "STYLE",     "ORIGIN",     "RESERVED",   "Sucsses"};

const char16_t *const kFieldCaptions[ImportFieldCount] = {
    u"No",       u"データNo", u"伝票番号", u"参照番号", u"行番号",   u"日付",     u"費目名",
    u"入金先（借方科目)", u"出金元（貸方科目)", u"金額", u"借方金額", u"貸方金額", u"数量",   u"税扱",
    u"借方税扱", u"貸方税扱", u"品名",     u"店名",     u"使用者",   u"借側",     u"種類",
    u"入力モード", u"生成ページ", u"予約",  u"エラー"};

enum class FieldType { Integer, Amount, Float, Date, Boolean, Convert };

FieldType typeOf(int field)
{
    switch (field) {
    case fKINGAKU:
    case fKariGaku:
    case fKasiGaku:
        return FieldType::Amount;
    case fQUANTITY:
        return FieldType::Float;
    case fRECDATE:
        return FieldType::Date;
    case fKARISIDE:
    case fRESERVED:
        return FieldType::Boolean;
    case fRECEIPTNO:
    case fHimokuCode:
    case fKARICODE:
    case fKASICODE:
    case fHINMEICODE:
    case fSHOPCODE:
    case fPERSONCODE:
    case fZEIATUKAI:
    case fKARIZEIATU:
    case fKASIZEIATU:
        return FieldType::Convert;
    default:
        return FieldType::Integer;
    }
}

// The order targets are filled in: a converter's dialog for a row comes in
// this order, and an unreadable text stops the row there.
constexpr int kFillOrder[] = {fDATANO,   fRECEIPTNO, fLOOKUPNO,   fGYONO,      fRECDATE,    fHimokuCode,
                              fKARICODE, fKASICODE,  fKINGAKU,    fKariGaku,   fKasiGaku,   fQUANTITY,
                              fHINMEICODE, fSHOPCODE, fPERSONCODE, fKARISIDE,  fRECKIND,    fSTYLE,
                              fORIGIN,   fRESERVED,  fZEIATUKAI,  fKARIZEIATU, fKASIZEIATU};

struct EBadField
{
};

int slotOf(int field)
{
    for (int s = 0; s < kSlotCount; ++s)
        if (kSlotFields[size_t(s)] == field)
            return s;
    return -1;
}

} // namespace

QString ImportFieldName(int field)
{
    return QString::fromLatin1(kFieldNames[field]);
}

QString ImportFieldCaption(int field)
{
    return QString::fromUtf16(kFieldCaptions[field]);
}

TImportRun::TImportRun(Database &db)
    : HimokuConvert(&db), HinmeiConvert(1, &db), ShopConvert(2, &db), PersonConvert(3, &db),
      ReceiptConvert(4, nullptr), ZeiConvert(&db), m_db(db)
{
    ResetSlots();
}

void TImportRun::ResetSlots()
{
    ImportColumnMap.fill(-1);
}

QString TImportRun::ProblemText(int importNo, const QString &message)
{
    return QString::number(importNo) + QStringLiteral("行目　") + message;
}

void TImportRun::addProblem(QList<TImportProblem> &list, const TImportRow &row, const QString &message)
{
    const int no = row[fImportNo].toInt();
    list.append({no, ProblemText(no, message)});
}

void TImportRun::failRow(QList<TImportProblem> &list, TImportRow &row, const QString &message)
{
    addProblem(list, row, message);
    row[fSucsses] = false;
    ErrorsPresent = true;
}

int TImportRun::FailedCount(const QList<TImportRow> &rows) const
{
    int n = 0;
    for (const auto &r : rows)
        if (!r.good())
            ++n;
    return n;
}

bool TImportRun::LoadFile(const QString &fileName, TextEncoding encoding)
{
    FileName = fileName;
    OwnFormat = fileName.endsWith(QStringLiteral(".pep"));
    ErrorsPresent = false;
    File = readExchangeFile(fileName, encoding);
    if (!File.error.isEmpty()) {
        MessageDlg(File.error, MsgDlgType::Error, mbOK);
        return false;
    }
    if (File.lines.isEmpty()) {
        MessageDlg(QStringLiteral("空のファイルです。"), MsgDlgType::Error, mbOK);
        return false;
    }
    ZeiConvert.NumericMode = OwnFormat;
    ZeiConvert.Reset();
    return true;
}

bool TImportRun::PrepareOwnFormat()
{
    if (File.lines.isEmpty() || File.lines.first() != QString::fromUtf16(kExchangeVersionLine)) {
        MessageDlg(QStringLiteral("エクスポートファイルのバージョンが違います。"), MsgDlgType::Confirmation, mbOK);
        return false;
    }
    AmountColumnMode = true;
    SingleCategoryMode = false;
    Delimiter = u',';
    QuoteChar = u'"';
    CaptionLine = false;
    DateFormat = QStringLiteral("yyyy/mm/dd");
    Amounts = AmountFormat{};
    ResetSlots();
    const int own[kSlotCount] = {0, 1, 2, 3, 4, -1, 5, 6, -1, -1, 7, 8, 9, -1, -1, 10, 11, 12, 13, 14, 15, 16, 17};
    for (int s = 0; s < kSlotCount; ++s)
        ImportColumnMap[size_t(s)] = own[s];
    ExpectedCount = 18;
    return true;
}

void TImportRun::fillRow(TImportRow &row, const QStringList &fields)
{
    for (const int field : kFillOrder) {
        const int column = ImportColumnMap[size_t(slotOf(field))];
        if (column < 0 || column >= fields.size()) {
            row[field] = QVariant();
            continue;
        }
        const QString text = fields.at(column);
        if (text.contains(QChar(0xFFFD)))
            throw EBadField(); // bytes that are no character of the file's encoding
        const FieldType type = typeOf(field);
        if (type == FieldType::Convert) {
            int index = 0;
            switch (field) {
            case fRECEIPTNO:
                index = ReceiptConvert.NameToIndex(text);
                break;
            case fHimokuCode:
            case fKARICODE:
            case fKASICODE:
                index = HimokuConvert.NameToIndex(text);
                break;
            case fHINMEICODE:
                index = HinmeiConvert.NameToIndex(text);
                break;
            case fSHOPCODE:
                index = ShopConvert.NameToIndex(text);
                break;
            case fPERSONCODE:
                index = PersonConvert.NameToIndex(text);
                break;
            default:
                index = ZeiConvert.NameToIndex(text);
                break;
            }
            row[field] = index;
            continue;
        }
        if (text.isEmpty()) {
            row[field] = QVariant();
            continue;
        }
        switch (type) {
        case FieldType::Boolean: {
            const QString t = text.trimmed();
            if (t.compare(u"True", Qt::CaseInsensitive) == 0)
                row[field] = true;
            else if (t.compare(u"False", Qt::CaseInsensitive) == 0)
                row[field] = false;
            else {
                bool ok = false;
                const int n = t.toInt(&ok);
                if (!ok)
                    throw EBadField();
                row[field] = n != 0;
            }
            break;
        }
        case FieldType::Integer: {
            bool ok = false;
            const int n = text.trimmed().toInt(&ok);
            if (!ok)
                throw EBadField();
            row[field] = n;
            break;
        }
        case FieldType::Amount: {
            const auto amount = ParseAmount(text, Amounts);
            if (!amount)
                throw EBadField();
            row[field] = QVariant::fromValue(*amount);
            break;
        }
        case FieldType::Float: {
            bool ok = false;
            const double d = text.trimmed().toDouble(&ok);
            if (!ok || !std::isfinite(d))
                throw EBadField();
            row[field] = d;
            break;
        }
        case FieldType::Date: {
            const QDate d = ParseExchangeDate(text, DateFormat);
            if (!d.isValid())
                throw EBadField();
            row[field] = d;
            break;
        }
        default:
            break;
        }
    }
}

void TImportRun::ReadRows(IImportProgress *progress)
{
    ReadingList.clear();
    ErrorsPresent = false;
    ImportClt.clear();
    const int lineCount = int(File.lines.size());
    if (progress)
        progress->Start(QStringLiteral("データ読み込み中"), lineCount - 1);
    struct Finish
    {
        IImportProgress *p;
        ~Finish()
        {
            if (p)
                p->Finish();
        }
    } finish{progress};
    ImportClt.reserve(lineCount);
    const QSet<int> badLines(File.badLines.cbegin(), File.badLines.cend());
    for (int i = 0; i < lineCount; ++i) {
        if (progress && progress->Step(i))
            throw ECanceledError();
        if (i == 0 && (OwnFormat || CaptionLine))
            continue;
        const QString &line = File.lines.at(i);
        bool broken = false;
        const QStringList fields = SplitLine(line, Delimiter, QuoteChar, &broken);
        TImportRow row;
        row[fImportNo] = i + 1;
        row[fSucsses] = false;
        if (badLines.contains(i)) {
            // Read in the wrong encoding the names would be garbage, and the
            // converters would ask about them or make categories of them.
            failRow(ReadingList, row, QStringLiteral("エラー！！ 文字コードが合いません：") + line);
        } else if (fields.size() != ExpectedCount) {
            failRow(ReadingList, row, QStringLiteral("エラー！！ 項目数が違います。"));
        } else {
            try {
                if (broken)
                    throw EBadField();
                fillRow(row, fields);
                row[fSucsses] = true;
            } catch (const EBadField &) {
                failRow(ReadingList, row, QStringLiteral("エラー！！ 不正なデータ：") + line);
            }
            // An own-format line without a date has nowhere to go in the journal.
            if (row.good() && OwnFormat && row[fRECDATE].isNull())
                failRow(ReadingList, row, QStringLiteral("エラー！！ 日付が空欄です。"));
        }
        ImportClt.append(row);
    }
}

void TImportRun::CheckDirections()
{
    for (auto &row : ImportClt) {
        if (!row.good())
            continue;
        const int debit = HimokuConvert.KindOf(std::max(0, row.entry(fKARICODE)));
        const int credit = HimokuConvert.KindOf(std::max(0, row.entry(fKASICODE)));
        if (debit != 1 && credit != 2)
            continue;
        if ((debit == 1 && credit == 1) || (debit == 2 && credit == 2)) {
            failRow(ReadingList, row,
                    QStringLiteral("エラー！！ 支出費目からの出金、もしくは、収入費目への出金はできません。"));
            continue;
        }
        std::swap(row[fKARICODE], row[fKASICODE]);
        if (!row[fKINGAKU].isNull())
            row[fKINGAKU] = QVariant::fromValue(-row[fKINGAKU].value<Currency>());
        addProblem(ReadingList, row, QStringLiteral("貸借を入れ替え、金額の±を反転しました。"));
    }
}

void TImportRun::ValidateRows(IImportProgress *progress)
{
    if (progress)
        progress->Start(QStringLiteral("データ検証中"), int(ImportClt.size()));
    struct Finish
    {
        IImportProgress *p;
        ~Finish()
        {
            if (p)
                p->Finish();
        }
    } finish{progress};
    int i = 0;
    for (auto &row : ImportClt) {
        // A row refused while reading is listed already; its empty fields
        // would only add messages about what could not be read.
        if (!row.good()) {
            if (progress && progress->Step(++i)) {
                ErrorsPresent = true;
                throw ECanceledError();
            }
            continue;
        }
        if (row[fRECDATE].isNull())
            failRow(ReadingList, row, QStringLiteral("エラー！！ 日付が空欄です。"));
        if (AmountColumnMode) {
            const int h = row.entry(fHimokuCode), d = row.entry(fKARICODE), c = row.entry(fKASICODE);
            if (SingleCategoryMode) {
                if (h <= 0)
                    failRow(ReadingList, row, QStringLiteral("エラー！！ 費目が空欄です。"));
            } else if (d <= 0 && c <= 0) {
                failRow(ReadingList, row, QStringLiteral("エラー！！ 借方費目、貸方費目とも空欄です。"));
            } else if (d <= 0) {
                failRow(ReadingList, row, QStringLiteral("エラー！！ 借方費目が空欄です。"));
            } else if (c <= 0) {
                failRow(ReadingList, row, QStringLiteral("エラー！！ 貸方費目が空欄です。"));
            } else if (d == c) {
                failRow(ReadingList, row, QStringLiteral("エラー！！ 借方費目と貸方費目が同じです。"));
            }
        }
        if (progress && progress->Step(++i)) {
            ErrorsPresent = true;
            throw ECanceledError();
        }
    }
}

QString TImportRun::DisplayText(const TImportRow &row, int field, bool converted) const
{
    const QVariant &v = row[field];
    if (field == fSucsses)
        return v.toBool() ? QString() : QStringLiteral("×");
    if (v.isNull() || !v.isValid())
        return QString();
    switch (field) {
    case fRECDATE:
        return v.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    case fKINGAKU:
    case fKariGaku:
    case fKasiGaku:
        return v.value<Currency>().toString(v.value<Currency>().raw() % Currency::Scale ? 4 : 0, true);
    case fRESERVED:
        return v.toBool() ? QStringLiteral("予約") : QString();
    case fKARISIDE:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case fHimokuCode:
    case fKARICODE:
    case fKASICODE:
        return converted ? HimokuConvert.ToName(v.toInt()) : HimokuConvert.FromName(v.toInt());
    case fZEIATUKAI:
    case fKARIZEIATU:
    case fKASIZEIATU:
        return converted || OwnFormat ? ZeiConvert.ToName(v.toInt()) : ZeiConvert.FromName(v.toInt());
    case fHINMEICODE:
        return HinmeiConvert.FromName(v.toInt());
    case fSHOPCODE:
        return ShopConvert.FromName(v.toInt());
    case fPERSONCODE:
        return PersonConvert.FromName(v.toInt());
    case fRECEIPTNO:
        return ReceiptConvert.FromName(v.toInt());
    case fQUANTITY:
        return FormatExchangeNumber(v.toDouble());
    default:
        return v.toString();
    }
}
