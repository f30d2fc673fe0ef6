#include "management/imexport/ExportEntries.h"

#include <stdexcept>

#include <QDate>
#include <QHash>
#include <QSaveFile>

#include "data/Vocabulary.h"
#include "management/imexport/ExchangeText.h"
#include "platform/db/Database.h"
#include "platform/system/ShiftJis.h"

namespace {

QHash<int, QString> names(Database &db, const QString &table)
{
    QHash<int, QString> map;
    Statement st(db, QStringLiteral("SELECT CODE, NAME FROM \"%1\"").arg(table));
    while (st.next())
        map.insert(int(st.intValue(0)), st.textValue(1));
    return map;
}

QString boolText(const Statement &st, int column)
{
    if (st.isNull(column))
        return QString();
    return st.intValue(column) ? QStringLiteral("True") : QStringLiteral("False");
}

QString numberText(const Statement &st, int column)
{
    return st.isNull(column) ? QString() : FormatExchangeNumber(st.doubleValue(column));
}

QString intText(const Statement &st, int column)
{
    return st.isNull(column) ? QString() : QString::number(st.intValue(column));
}

} // namespace

int ExportEntries(Database &db, const ExportOptions &options, const QString &fileName)
{
    const QHash<int, QString> himoku = names(db, QStringLiteral("Himoku"));
    const QHash<int, QString> items = names(db, QStringLiteral("HinmeiMast"));
    const QHash<int, QString> shops = names(db, QStringLiteral("ShopMast"));
    const QHash<int, QString> persons = names(db, QStringLiteral("Person"));
    auto name = [](const QHash<int, QString> &map, const Statement &st, int column) {
        return st.isNull(column) ? QString() : map.value(int(st.intValue(column)));
    };

    const QChar delimiter = options.ownFormat ? QChar(u',') : options.delimiter;
    const QChar quote = options.ownFormat ? QChar(u'"') : options.quote;
    const QString dateFormat = options.ownFormat ? QStringLiteral("yyyy/mm/dd") : options.dateFormat;
    QString text;
    const QString eol = QStringLiteral("\r\n");
    DelimitedLine line(delimiter, quote);
    if (options.ownFormat) {
        text += QString::fromUtf16(kExchangeVersionLine) + eol;
    } else if (options.captionLine) {
        for (const char16_t *caption : {u"データNo", u"伝票No", u"行No", u"日付", u"借方科目", u"貸方科目", u"金額",
                                        u"数量", u"税扱", u"品名", u"店名", u"使用者", u"予約"})
            line.append(QString::fromUtf16(caption), true);
        text += line.text() + eol;
        line.clear();
    }

    Statement st(db, QStringLiteral("SELECT DATANO, RECEIPTNO, LOOKUPNO, GYONO, RECDATE, KARICODE, KASICODE, KINGAKU, "
                                    "QUANTITY, ZEIATUKAI, HINMEICODE, SHOPCODE, PERSONCODE, KARISIDE, RECKIND, "
                                    "STYLE, ORIGIN, RESERVED FROM Master WHERE DATANO > 0 ORDER BY DATANO"));
    int count = 0;
    while (st.next()) {
        line.clear();
        const QString date = st.isNull(4) ? QString()
                                          : FormatExchangeDate(QDate::fromString(st.textValue(4), Qt::ISODate),
                                                               dateFormat);
        if (options.ownFormat) {
            line.append(intText(st, 0), false);
            line.append(intText(st, 1), false);
            line.append(intText(st, 2), false);
            line.append(intText(st, 3), false);
            line.append(date, false);
            line.append(name(himoku, st, 5), true);
            line.append(name(himoku, st, 6), true);
            line.append(numberText(st, 7), false);
            line.append(numberText(st, 8), false);
            line.append(intText(st, 9), false);
            line.append(name(items, st, 10), true);
            line.append(name(shops, st, 11), true);
            line.append(name(persons, st, 12), true);
            line.append(boolText(st, 13), false);
            line.append(intText(st, 14), false);
            line.append(intText(st, 15), false);
            line.append(intText(st, 16), false);
            line.append(boolText(st, 17), false);
        } else {
            const int zei = st.isNull(9) ? -1 : int(st.intValue(9));
            line.append(intText(st, 0), true);
            line.append(intText(st, 1), true);
            line.append(intText(st, 3), true);
            line.append(date, true);
            line.append(name(himoku, st, 5), true);
            line.append(name(himoku, st, 6), true);
            line.append(numberText(st, 7), true);
            line.append(numberText(st, 8), true);
            line.append(zei >= 0 && zei < 4 ? ZeiAtukaiNames[size_t(zei)].toString() : QString(), true);
            line.append(name(items, st, 10), true);
            line.append(name(shops, st, 11), true);
            line.append(name(persons, st, 12), true);
            line.append(!st.isNull(17) && st.intValue(17) ? QStringLiteral("予約") : QString(), true);
        }
        text += line.text() + eol;
        ++count;
    }

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error((QStringLiteral("ファイルを作成できません。\n") + file.errorString()).toStdString());
    const QByteArray bytes = toShiftJis(text);
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error((QStringLiteral("ファイルに書き込めません。\n") + file.errorString()).toStdString());
    return count;
}
