#pragma once

// First-version data folders for the tests, written with the same Paradox
// library the conversion reads them with, from readable tables kept here.
// Header-only: the management and end-to-end tests both use it.

#include <cstdlib>
#include <cstring>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QVariant>

extern "C" {
#include <paradox.h>
}

#include "platform/system/ShiftJis.h"

namespace Ver1Fixture {

// A field: 'A' text of len bytes, 'D' date, 'N' number, '$' money.
struct FieldDef
{
    QString name;
    char type;
    int len = 0;
};

struct TableData
{
    QString fileName;
    QList<FieldDef> fields;
    QList<QVariantList> rows; // an invalid QVariant leaves the field empty
};

inline bool writeTable(const QString &folder, const TableData &t)
{
    PX_boot();
    pxdoc_t *doc = PX_new();
    if (!doc)
        return false;
    // The library takes the field array over and frees it with the document.
    auto *fields = static_cast<pxfield_t *>(calloc(size_t(t.fields.size()), sizeof(pxfield_t)));
    QList<int> lens;
    for (int i = 0; i < t.fields.size(); ++i) {
        const FieldDef &f = t.fields.at(i);
        fields[i].px_fname = strdup(toShiftJis(f.name).constData());
        switch (f.type) {
        case 'A':
            fields[i].px_ftype = pxfAlpha;
            fields[i].px_flen = f.len;
            break;
        case 'D':
            fields[i].px_ftype = pxfDate;
            fields[i].px_flen = 4;
            break;
        case '$':
            fields[i].px_ftype = pxfCurrency;
            fields[i].px_flen = 8;
            break;
        default:
            fields[i].px_ftype = pxfNumber;
            fields[i].px_flen = 8;
            break;
        }
        lens << fields[i].px_flen;
    }
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(t.fileName));
    if (PX_create_file(doc, fields, int(t.fields.size()), path.constData(), pxfFileTypNonIndexDB) < 0) {
        PX_delete(doc);
        return false;
    }
    QByteArray record(PX_get_recordsize(doc), '\0');
    for (const QVariantList &row : t.rows) {
        record.fill('\0');
        int offset = 0;
        for (int i = 0; i < t.fields.size(); ++i) {
            const QVariant v = row.value(i);
            char *at = record.data() + offset;
            if (v.isValid()) {
                switch (t.fields.at(i).type) {
                case 'A': {
                    QByteArray bytes = toShiftJis(v.toString());
                    bytes.truncate(lens.at(i));
                    PX_put_data_alpha(doc, at, lens.at(i), bytes.data());
                    break;
                }
                case 'D': {
                    const QDate d = v.toDate();
                    PX_put_data_long(doc, at, 4, int(PX_GregorianToSdn(d.year(), d.month(), d.day()) - 1721425));
                    break;
                }
                default:
                    PX_put_data_double(doc, at, 8, v.toDouble());
                    break;
                }
            }
            offset += lens.at(i);
        }
        if (PX_put_record(doc, record.data()) < 0) {
            PX_close(doc);
            PX_delete(doc);
            return false;
        }
    }
    PX_close(doc);
    PX_delete(doc);
    return true;
}

// ---- the readable first-version data ---------------------------------------

struct Line
{
    QString bunrui;
    QDate date;
    double amount;
    QString shop, item, person;
};

struct Budget
{
    QString bunrui;
    QDate date;
    double amount;
};

struct Data
{
    QStringList deruBunrui, iriBunrui;
    QList<QStringList> hinmei; // 分類名, 品名, 詳細品名
    bool withDetail = true;
    QStringList persons;
    QList<QStringList> shops;  // 分類名, 店名
    QList<QPair<QDate, QString>> kondate; // an empty text is an empty field
    QList<QPair<QDate, double>> zei;
    QList<Line> deru, iri;
    QList<Budget> deruYosan, iriYosan;
    QString taxCalc;           // "消費税計算"; empty: the key is left out
};

// Two years of a small household, with the corners the conversion must get
// right: a long category name, a category met only in the data, system item
// names, lines on one day in both tables, an empty diary day.
inline Data standardData()
{
    const QString longName = QStringLiteral("とても長い名前の支出費目ですよね");
    Data d;
    d.deruBunrui = {QStringLiteral("食費"), QStringLiteral("日用品"), longName};
    d.iriBunrui = {QStringLiteral("給料"), QStringLiteral("雑収入")};
    d.hinmei = {{QStringLiteral("食費"), QStringLiteral("野菜"), QStringLiteral("キャベツ")},
                {QStringLiteral("食費"), QStringLiteral("肉"), QString()},
                {QStringLiteral("日用品"), QStringLiteral("洗剤"), QString()},
                {QStringLiteral("給料"), QStringLiteral("基本給"), QString()}};
    d.persons = {QStringLiteral("父"), QStringLiteral("母")};
    d.shops = {{QStringLiteral("食費"), QStringLiteral("スーパー")},
               {QStringLiteral("日用品"), QStringLiteral("ドラッグ")},
               {QStringLiteral("食費"), QStringLiteral("スーパー")}};
    d.kondate = {{QDate(2023, 1, 5), QStringLiteral("カレー")},
                 {QDate(2023, 1, 6), QString()},
                 {QDate(2024, 3, 1), QStringLiteral("鍋")}};
    d.zei = {{QDate(1997, 4, 1), 5.0}, {QDate(2014, 4, 1), 8.0}};
    d.deru = {
        {QStringLiteral("食費"), QDate(2023, 1, 5), 1200, QStringLiteral("スーパー"), QStringLiteral("野菜"), QStringLiteral("母")},
        {QStringLiteral("食費"), QDate(2023, 1, 5), 96, QStringLiteral("スーパー"), QStringLiteral("消費税"), QStringLiteral("母")},
        {QStringLiteral("日用品"), QDate(2023, 2, 10), 398, QStringLiteral("ドラッグ"), QStringLiteral("洗剤"), QString()},
        {QStringLiteral("医療費"), QDate(2023, 12, 31), 3000, QString(), QString(), QStringLiteral("父")},
        {longName, QDate(2024, 1, 15), 5000, QStringLiteral("本屋"), QString(), QString()},
        {QStringLiteral("食費"), QDate(2024, 6, 30), 2500.5, QStringLiteral("スーパー"), QStringLiteral("肉"), QStringLiteral("祖母")},
    };
    d.iri = {
        {QStringLiteral("給料"), QDate(2023, 1, 5), 250000, QString(), QStringLiteral("基本給"), QStringLiteral("父")},
        {QStringLiteral("雑収入"), QDate(2023, 7, 1), 1000, QString(), QString(), QString()},
        {QStringLiteral("給料"), QDate(2024, 6, 25), 260000, QString(), QStringLiteral("基本給"), QStringLiteral("父")},
    };
    d.deruYosan = {{QStringLiteral("食費"), QDate(2024, 1, 1), 40000}, {QStringLiteral("交際費"), QDate(2023, 1, 1), 5000}};
    d.iriYosan = {{QStringLiteral("給料"), QDate(2023, 1, 1), 250000}};
    d.taxCalc = QStringLiteral("切り捨て");
    return d;
}

inline QVariant orNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

// Writes the eleven tables and "PomuNuro.ini" of data into folder.
inline bool writeFolder(const QString &folder, const Data &d)
{
    QDir().mkpath(folder);
    const FieldDef bunrui{QStringLiteral("分類名"), 'A', 40};
    auto names = [&](const QString &file, const QStringList &list) {
        TableData t{file, {bunrui}, {}};
        for (const QString &n : list)
            t.rows << QVariantList{n};
        return writeTable(folder, t);
    };
    auto data = [&](const QString &file, const QList<Line> &lines) {
        TableData t{file,
                    {bunrui, {QStringLiteral("日付"), 'D'}, {QStringLiteral("金額"), '$'}, {QStringLiteral("店名"), 'A', 40},
                     {QStringLiteral("品名"), 'A', 40}, {QStringLiteral("購入者"), 'A', 20}},
                    {}};
        for (const Line &l : lines)
            t.rows << QVariantList{l.bunrui, l.date, l.amount, orNull(l.shop), orNull(l.item), orNull(l.person)};
        return writeTable(folder, t);
    };
    auto budgets = [&](const QString &file, const QList<Budget> &list) {
        TableData t{file, {bunrui, {QStringLiteral("日付"), 'D'}, {QStringLiteral("金額"), '$'}}, {}};
        for (const Budget &b : list)
            t.rows << QVariantList{b.bunrui, b.date, b.amount};
        return writeTable(folder, t);
    };
    TableData hinmei{QStringLiteral("品名.db"), {bunrui, {QStringLiteral("品名"), 'A', 40}}, {}};
    if (d.withDetail)
        hinmei.fields << FieldDef{QStringLiteral("詳細品名"), 'A', 40};
    for (const QStringList &h : d.hinmei) {
        QVariantList row{h.at(0), orNull(h.at(1))};
        if (d.withDetail)
            row << orNull(h.at(2));
        hinmei.rows << row;
    }
    TableData persons{QStringLiteral("購入者.db"), {{QStringLiteral("購入者"), 'A', 20}}, {}};
    for (const QString &p : d.persons)
        persons.rows << QVariantList{p};
    TableData shops{QStringLiteral("店名.db"), {bunrui, {QStringLiteral("店名"), 'A', 40}}, {}};
    for (const QStringList &s : d.shops)
        shops.rows << QVariantList{s.at(0), s.at(1)};
    TableData kondate{QStringLiteral("献立.db"), {{QStringLiteral("日付"), 'D'}, {QStringLiteral("献立"), 'A', 100}}, {}};
    for (const auto &k : d.kondate)
        kondate.rows << QVariantList{k.first, orNull(k.second)};
    TableData zei{QStringLiteral("消費税率.db"), {{QStringLiteral("適用開始日"), 'D'}, {QStringLiteral("税率"), 'N'}}, {}};
    for (const auto &z : d.zei)
        zei.rows << QVariantList{z.first, z.second};

    bool ok = names(QStringLiteral("支出分類名.db"), d.deruBunrui) && names(QStringLiteral("収入分類名.db"), d.iriBunrui)
              && data(QStringLiteral("支出データ.db"), d.deru) && data(QStringLiteral("収入データ.db"), d.iri)
              && budgets(QStringLiteral("支出予算.db"), d.deruYosan) && budgets(QStringLiteral("収入予算.db"), d.iriYosan)
              && writeTable(folder, hinmei) && writeTable(folder, persons) && writeTable(folder, shops)
              && writeTable(folder, kondate) && writeTable(folder, zei);
    QFile ini(QDir(folder).filePath(QStringLiteral("PomuNuro.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return false;
    QString text = QStringLiteral("[設定]\r\n収入締め日=月末\r\n支出締め日=25\r\n");
    if (!d.taxCalc.isEmpty())
        text += QStringLiteral("消費税計算=") + d.taxCalc + QStringLiteral("\r\n");
    ini.write(toShiftJis(text));
    return ok;
}

} // namespace Ver1Fixture
