#include "management/Ver1Data.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "data/Utils.h"
#include "platform/system/ShiftJis.h"

const QStringList Ver1Data::RequiredFiles = {
    QStringLiteral("支出分類名.db"), QStringLiteral("支出データ.db"), QStringLiteral("支出予算.db"),
    QStringLiteral("収入分類名.db"), QStringLiteral("収入データ.db"), QStringLiteral("収入予算.db"),
    QStringLiteral("献立.db"),       QStringLiteral("購入者.db"),     QStringLiteral("消費税率.db"),
    QStringLiteral("店名.db"),       QStringLiteral("品名.db")};

const QString Ver1Data::SettingsFileName = QStringLiteral("PomuNuro.ini");

namespace {

// The first version wrote its settings file in Shift-JIS; only section
// "設定" is read, line by line.
void readSettings(Ver1Data &data)
{
    QFile file(JoinPath(data.folder, Ver1Data::SettingsFileName));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QStringList lines = fromShiftJis(file.readAll()).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    bool inSection = false;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inSection = line.mid(1, line.size() - 2).trimmed() == QStringLiteral("設定");
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (!inSection || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QStringLiteral("消費税計算"))
            data.taxCalc = value;
        else if (key == QStringLiteral("収入締め日"))
            data.iriSimebi = value;
        else if (key == QStringLiteral("支出締め日"))
            data.deruSimebi = value;
    }
}

} // namespace

QString Ver1Data::MissingFile(const QString &folder)
{
    for (const QString &name : RequiredFiles) {
        if (!QFileInfo::exists(JoinPath(folder, name)))
            return name;
    }
    return QString();
}

Ver1Data Ver1Data::read(const QString &folder)
{
    const QString missing = MissingFile(folder);
    if (!missing.isEmpty())
        throw EVer1DataError(missing + QStringLiteral(" がありません。"));
    const QString bunrui = QStringLiteral("分類名");
    const QString date = QStringLiteral("日付");
    const QString amount = QStringLiteral("金額");
    const QStringList dataFields = {bunrui, date, amount, QStringLiteral("店名"), QStringLiteral("品名"),
                                    QStringLiteral("購入者")};
    Ver1Data d;
    d.folder = folder;
    d.deruBunrui = Ver1Table::read(folder, RequiredFiles.at(0), {bunrui});
    d.deruData = Ver1Table::read(folder, RequiredFiles.at(1), dataFields);
    d.deruYosan = Ver1Table::read(folder, RequiredFiles.at(2), {bunrui, date, amount});
    d.iriBunrui = Ver1Table::read(folder, RequiredFiles.at(3), {bunrui});
    d.iriData = Ver1Table::read(folder, RequiredFiles.at(4), dataFields);
    d.iriYosan = Ver1Table::read(folder, RequiredFiles.at(5), {bunrui, date, amount});
    d.kondate = Ver1Table::read(folder, RequiredFiles.at(6), {date, QStringLiteral("献立")});
    d.person = Ver1Table::read(folder, RequiredFiles.at(7), {QStringLiteral("購入者")});
    d.zei = Ver1Table::read(folder, RequiredFiles.at(8), {QStringLiteral("適用開始日"), QStringLiteral("税率")});
    d.shop = Ver1Table::read(folder, RequiredFiles.at(9), {bunrui, QStringLiteral("店名")});
    // "詳細品名" came with a later release of the first version; without it
    // every item is one-level.
    d.hinmei = Ver1Table::read(folder, RequiredFiles.at(10), {bunrui, QStringLiteral("品名")});
    readSettings(d);
    return d;
}
