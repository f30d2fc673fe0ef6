#include "management/imexport/FieldMatch.h"

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include "management/imexport/ExchangeText.h"
#include "management/imexport/ImportRun.h"

namespace {

// Target name to slot, in the order of kMatchTargets from 日付.
constexpr int kTargetSlots[] = {4, 1, 3, 5, 6, 7, 10, 8, 9, 11, 15, 16, 17, 12, 13, 14};

// The file's format tag; the file is a JSON object with the row texts and
// named parameters of the matching.
const QString kFormatTag = QStringLiteral("PomuZenitFieldMatch");

} // namespace

int TargetSlot(const QString &target)
{
    const int i = int(kMatchTargets.indexOf(target));
    return i >= 1 ? kTargetSlots[i - 1] : -1;
}

QChar KugiriChar(int index)
{
    switch (index) {
    case 1:
        return u'\t';
    case 2:
        return u'.';
    case 3:
        return u' ';
    default:
        return u',';
    }
}

QChar KakoiChar(int index)
{
    return index == 0 ? QChar(u'"') : index == 1 ? QChar(u'\'') : QChar();
}

QChar ThousandChar(int index)
{
    return index == 1 ? QChar(u',') : index == 2 ? QChar(u'.') : QChar();
}

QChar CurrencyChar(int index)
{
    return index == 1 ? QChar(u'\\') : index == 2 ? QChar(u'$') : index == 3 ? QChar(u'*') : QChar();
}

std::array<int, 23> TFieldMatching::Slots() const
{
    std::array<int, 23> result;
    result.fill(-1);
    for (int column = 0; column < Targets.size(); ++column) {
        const int slot = TargetSlot(Targets.at(column));
        if (slot >= 0 && result[size_t(slot)] < 0)
            result[size_t(slot)] = column;
    }
    return result;
}

QString TFieldMatching::Check() const
{
    const auto s = Slots();
    auto has = [&s](int slot) { return s[size_t(slot)] >= 0; };
    const bool date = has(4), himoku = has(5), kari = has(6), kasi = has(7), kariGaku = has(8), kasiGaku = has(9),
               kingaku = has(10), zei = has(12), kariZei = has(13), kasiZei = has(14);
    if (!date)
        return QStringLiteral("日付フィールドが指定されていません。");
    if (!himoku && !kari && !kasi)
        return QStringLiteral("費目フィールド　もしくは　入金先(借方)，出金元(貸方)フィールドが指定されていません。");
    if (himoku && (kari || kasi))
        return QStringLiteral("費目フィールドと　入金先(借方)，出金元(貸方)フィールドは同時に指定できません。");
    if (!himoku && !kari)
        return QStringLiteral("入金先(借方)フィールドが指定されていません。");
    if (!himoku && !kasi)
        return QStringLiteral("出金元(貸方)フィールドが指定されていません。");
    if (!kingaku && !kariGaku && !kasiGaku)
        return QStringLiteral("金額フィールドが指定されていません。");
    if (kingaku && (kariGaku || kasiGaku))
        return QStringLiteral("金額フィールドと　借方金額，貸方金額フィールドは同時に指定できません。");
    if (!kingaku && !kariGaku)
        return QStringLiteral("借方金額フィールドが指定されていません。");
    if (!kingaku && !kasiGaku)
        return QStringLiteral("貸方金額フィールドが指定されていません。");
    if (himoku && (kariGaku || kasiGaku))
        return QStringLiteral("費目フィールドと　借方金額，貸方金額フィールドは同時に指定できません。");
    if (zei && (kariZei || kasiZei))
        return QStringLiteral("税扱いフィールドと　借方税扱，貸方税扱フィールドは同時に指定できません。");
    if (!zei && kariZei && !kasiZei)
        return QStringLiteral("貸方税扱フィールドが指定されていません。");
    if (!zei && kasiZei && !kariZei)
        return QStringLiteral("借方税扱フィールドが指定されていません。");
    return QString();
}

void TFieldMatching::ApplyTo(TImportRun &run) const
{
    run.Delimiter = KugiriChar(RGrpKugiri);
    run.QuoteChar = KakoiChar(RGrpKakoi);
    run.CaptionLine = RGrpFieldName == 1;
    run.DateFormat = kExchangeDateFormats.value(CmbBoxDate, kExchangeDateFormats.first());
    run.Amounts.thousands = ThousandChar(CmbBoxThousand);
    run.Amounts.currencySign = CurrencyChar(CmbBoxCurrencyString);
    run.ImportColumnMap = Slots();
    run.ExpectedCount = int(Keys.size());
    run.AmountColumnMode = run.SlotAssigned(10);
    run.SingleCategoryMode = run.SlotAssigned(5);
    run.TaxColumnsAssigned = run.SlotAssigned(12) || run.SlotAssigned(13) || run.SlotAssigned(14);
    run.AiteName = AiteName;
    run.ZeiKeyWords = ZeiKeyWord;
}

QStringList TFieldMatching::RowData() const
{
    QStringList rows;
    for (int i = 0; i < Keys.size(); ++i)
        rows << (Keys.at(i) + u'=' + Targets.value(i)).left(40);
    return rows;
}

QString SaveMatchingFile(const QString &fileName, const TFieldMatching &m)
{
    QJsonObject params;
    params.insert(QStringLiteral("RGrpFieldName"), m.RGrpFieldName);
    params.insert(QStringLiteral("RGrpKugiri"), m.RGrpKugiri);
    params.insert(QStringLiteral("RGrpKakoi"), m.RGrpKakoi);
    params.insert(QStringLiteral("CmbBoxDate"), m.CmbBoxDate);
    params.insert(QStringLiteral("CmbBoxThousand"), m.CmbBoxThousand);
    params.insert(QStringLiteral("CmbBoxCurrencyString"), m.CmbBoxCurrencyString);
    QJsonArray list;
    for (int i = 0; i < m.MatchList.size(); ++i) {
        const TConvertPear &p = m.MatchList.at(i);
        list.append(QJsonObject{{QStringLiteral("ARRAYINDEX"), i},
                                {QStringLiteral("TOCODE"), p.code},
                                {QStringLiteral("FROMNAME"), p.fromName.left(40)},
                                {QStringLiteral("TONAME"), p.toName.left(40)},
                                {QStringLiteral("TOSYUSIDO"), p.kind},
                                {QStringLiteral("TOKARIKASI"), p.side},
                                {QStringLiteral("TOVISIVLE"), p.visible != 0},
                                {QStringLiteral("TOZEIATUKAI"), p.zeiAtukai}});
    }
    params.insert(QStringLiteral("MatchListClt"), list);
    params.insert(QStringLiteral("ZeiKeyWord"), m.ZeiKeyWord.join(QStringLiteral("\r\n")));
    params.insert(QStringLiteral("AiteName"), m.AiteName);
    QJsonArray rows;
    for (const QString &r : m.RowData())
        rows.append(r);
    const QJsonObject root{{QStringLiteral("format"), kFormatTag},
                           {QStringLiteral("RowData"), rows},
                           {QStringLiteral("params"), params}};
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        return f.errorString();
    f.write(QJsonDocument(root).toJson());
    if (!f.commit())
        return f.errorString();
    return QString();
}

bool LoadMatchingFile(const QString &fileName, TFieldMatching &out)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly) || f.size() > 16 * 1024 * 1024)
        return false;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != kFormatTag)
        return false;
    const QJsonObject params = root.value(QStringLiteral("params")).toObject();
    auto index = [&params](const char *name, int count, int &value) {
        const QJsonValue v = params.value(QLatin1String(name));
        if (!v.isDouble())
            return false;
        const int n = v.toInt(-1);
        if (n < 0 || n >= count)
            return false;
        value = n;
        return true;
    };
    TFieldMatching m;
    if (!index("RGrpFieldName", 2, m.RGrpFieldName) || !index("RGrpKugiri", 4, m.RGrpKugiri) ||
        !index("RGrpKakoi", 3, m.RGrpKakoi) || !index("CmbBoxDate", 4, m.CmbBoxDate) ||
        !index("CmbBoxThousand", 3, m.CmbBoxThousand) || !index("CmbBoxCurrencyString", 4, m.CmbBoxCurrencyString))
        return false;
    for (const QJsonValue &row : root.value(QStringLiteral("RowData")).toArray()) {
        const QString text = row.toString();
        const qsizetype eq = text.lastIndexOf(u'=');
        if (eq < 0)
            return false;
        m.Keys << text.left(eq);
        const QString target = text.mid(eq + 1);
        m.Targets << (kMatchTargets.contains(target) ? target : kMatchTargets.first());
    }
    for (const QJsonValue &v : params.value(QStringLiteral("MatchListClt")).toArray()) {
        const QJsonObject o = v.toObject();
        TConvertPear p;
        p.code = o.value(QStringLiteral("TOCODE")).toInt();
        p.fromName = o.value(QStringLiteral("FROMNAME")).toString();
        p.toName = o.value(QStringLiteral("TONAME")).toString();
        p.kind = std::clamp(o.value(QStringLiteral("TOSYUSIDO")).toInt(), 0, 3);
        p.side = std::clamp(o.value(QStringLiteral("TOKARIKASI")).toInt(), 0, 2);
        p.visible = o.value(QStringLiteral("TOVISIVLE")).toBool() ? 1 : 0;
        p.zeiAtukai = std::clamp(o.value(QStringLiteral("TOZEIATUKAI")).toInt(), 0, 3);
        m.MatchList.append(p);
    }
    const QString words = params.value(QStringLiteral("ZeiKeyWord")).toString();
    m.ZeiKeyWord = words.isEmpty() ? QStringList() : words.split(QStringLiteral("\r\n"));
    m.AiteName = params.value(QStringLiteral("AiteName")).toString();
    out = m;
    return true;
}

void LoadMatchList(THimokuConvert &convert, const TConvertPearArray &list)
{
    if (list.isEmpty())
        return;
    convert.Clear();
    for (int i = 1; i < list.size(); ++i) {
        const TConvertPear &p = list.at(i);
        const int index = convert.AddPairEx(p.fromName, p.toName, p.side, p.kind, p.toName == u"諸口" ? 99 : -1);
        convert.Items[index].visible = p.visible;
        convert.Items[index].zeiAtukai = p.zeiAtukai;
    }
}
