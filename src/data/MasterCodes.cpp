#include "data/MasterCodes.h"

#include <utility>

#include <QList>

#include "data/DatMod.h"
#include "data/RecordNumbers.h"
#include "platform/db/Database.h"
#include "platform/db/Field.h"
#include "platform/db/LocalSql.h"
#include "platform/db/Table.h"
#include "platform/ui/Dialogs.h"

namespace {

const QString kCode = QStringLiteral("CODE");
const QString kName = QStringLiteral("NAME");

void ensureOpen(Table &table)
{
    if (!table.isActive())
        table.open();
}

Table &dmTable(Table *TDatMod::*member)
{
    return *(DatMod->*member);
}

// The values a master row made from a typed name gets besides CODE and NAME:
// an item counts once at no price with its tax treatment left to the line;
// a person typed into a line does not join the person list.
QList<std::pair<QString, QVariant>> newRowValues(const QString &sqlTable)
{
    if (sqlTable.compare(QLatin1String("HinmeiMast"), Qt::CaseInsensitive) == 0)
        return {{QStringLiteral("QUANTITY"), 1.0},
                {QStringLiteral("GAKU"), QVariant::fromValue(Currency())},
                {QStringLiteral("ZEIATUKAI"), 3}};
    if (sqlTable.compare(QLatin1String("Person"), Qt::CaseInsensitive) == 0)
        return {{QStringLiteral("VISIBLE"), false}};
    return {};
}

// Appends a row named name. The module's new-record handler numbers it; a
// table without one (or with numbering kept off) is numbered here.
int appendNamed(Table &table, const QString &name, bool withTableValues)
{
    ensureOpen(table);
    table.append();
    try {
        table.fieldByName(kName)->setAsString(name);
        if (withTableValues)
            for (const auto &[field, value] : newRowValues(table.sqlTableName()))
                table.fieldByName(field)->setValue(value);
        Field *code = table.fieldByName(kCode);
        if (code->isNull())
            code->setAsInteger(RecordNumbers::GetNewDataNo(table.database(), table.tableName()));
        table.post();
    } catch (...) {
        table.cancel();
        throw;
    }
    table.flushBuffers();
    return table.fieldByName(kCode)->asInteger();
}

const QString kAlreadyListed = QStringLiteral("すでに登録されています。");

// Finds (category, parent, child) in a choice list: a visible entry is told and
// refused, a hidden one shown again; otherwise a visible entry is appended.
// A new master row cannot be listed yet, so search is false for it.
bool addListEntry(Table &list, int category, int parent, int child, bool search = true)
{
    ensureOpen(list);
    const QString keys = QStringLiteral("HIMOKUCODE;OYACODE;KOCODE");
    if (search && list.locate(keys, QVariantList{category, parent, child})) {
        Field *visible = list.fieldByName(QStringLiteral("VISIBLE"));
        if (visible->asBoolean()) {
            MessageDlg(kAlreadyListed, MsgDlgType::Information, mbOK);
            return false;
        }
        list.edit();
        visible->setAsBoolean(true);
        list.post();
        list.flushBuffers();
        return false;
    }
    list.append();
    try {
        list.fieldByName(QStringLiteral("HIMOKUCODE"))->setAsInteger(category);
        list.fieldByName(QStringLiteral("OYACODE"))->setAsInteger(parent);
        list.fieldByName(QStringLiteral("KOCODE"))->setAsInteger(child);
        list.fieldByName(QStringLiteral("VISIBLE"))->setAsBoolean(true);
        list.post();
    } catch (...) {
        list.cancel();
        throw;
    }
    list.flushBuffers();
    return true;
}

} // namespace

QString MasterCodeToName(Table &table, int code)
{
    if (code == 0)
        return QString();
    ensureOpen(table);
    const QVariant name = table.lookup(kCode, code, kName);
    if (!name.isValid() || name.isNull() || name.toString().isEmpty())
        return QStringLiteral("不明なコード:") + QString::number(code);
    return name.toString();
}

QString HimokuCodeToName(int code) { return MasterCodeToName(dmTable(&TDatMod::HimokuTbl), code); }
QString HinmeiCodeToName(int code) { return MasterCodeToName(dmTable(&TDatMod::HinmeiMstTbl), code); }
QString ShopCodeToName(int code) { return MasterCodeToName(dmTable(&TDatMod::ShopMstTbl), code); }
QString PersonCodeToName(int code) { return MasterCodeToName(dmTable(&TDatMod::PersonTbl), code); }

QString FieldCodeToName(Table &table, const Field &field)
{
    ensureOpen(table);
    if (field.isNull())
        return QString();
    return MasterCodeToName(table, field.asInteger());
}

THinmeiValues ReadHinmeiRec(Table &table, int code)
{
    THinmeiValues record;
    ensureOpen(table);
    const QVariant row = table.lookup(kCode, code, QStringLiteral("CODE;NAME;GAKU;ZEIATUKAI;QUANTITY"));
    if (!row.isValid())
        return record;
    const QVariantList values = row.toList();
    record.code = values.value(0).toInt();
    record.name = values.value(1).toString();
    record.amount = values.value(2).value<Currency>();
    record.zeiAtukai = values.value(3).toInt();
    record.quantity = values.value(4).toDouble();
    return record;
}

void ReadHinmeiRec(Table &table, const Field &field, THinmeiValues &record)
{
    record = THinmeiValues();
    ensureOpen(table);
    if (!field.isNull())
        record = ReadHinmeiRec(table, field.asInteger());
}

int MasterNameToCode(Table &table, const QString &name)
{
    if (name.isEmpty())
        return 0;
    ensureOpen(table);
    const QVariant code = table.lookup(kName, name, kCode);
    return code.isValid() && !code.isNull() ? code.toInt() : -1;
}

int GetOrAddMasterCode(Table &table, const QString &name)
{
    const int code = MasterNameToCode(table, name);
    if (code != -1)
        return code;
    return appendNamed(table, name, true);
}

int GetOrAddMasterCode(Database &db, const QString &tableFileName, const QString &name, bool userRowsOnly)
{
    if (name.isEmpty())
        return 0;
    const QString sqlTable = LocalSql::tableName(tableFileName);
    const QVariant found = db.scalar(QStringLiteral("SELECT CODE FROM \"%1\" WHERE NAME = ?%2 ORDER BY CODE LIMIT 1")
                                         .arg(sqlTable, userRowsOnly ? QStringLiteral(" AND CODE > 100") : QString()),
                                     {name});
    if (found.isValid() && !found.isNull())
        return found.toInt();
    const int code = RecordNumbers::GetNewDataNo(db, tableFileName);
    QStringList columns{kCode, kName};
    QVariantList values{code, name};
    for (const auto &[field, value] : newRowValues(sqlTable)) {
        columns << field;
        values << toSqlValue(value);
    }
    const QString marks = QStringList(QList<QString>(columns.size(), QStringLiteral("?"))).join(QLatin1Char(','));
    Statement insert(db, QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                             .arg(sqlTable, columns.join(QLatin1Char(',')), marks));
    for (int i = 0; i < values.size(); ++i)
        insert.bind(i + 1, values.at(i));
    insert.exec();
    return code;
}

int GetOrAddCode(Table &table, const QString &name, bool &added)
{
    added = false;
    const int code = MasterNameToCode(table, name);
    if (code != -1)
        return code;
    added = true;
    return appendNamed(table, name, false);
}

int SaveHinmeiMaster(Table &table, const QString &name, int zeiAtukai, Currency amount, double quantity,
                     bool &added)
{
    added = false;
    if (name.isEmpty())
        return 0;
    ensureOpen(table);
    if (table.locate(kName, name)) {
        table.edit();
    } else {
        table.append();
        added = true;
    }
    try {
        table.fieldByName(kName)->setAsString(name);
        table.fieldByName(QStringLiteral("GAKU"))->setAsCurrency(amount);
        table.fieldByName(QStringLiteral("QUANTITY"))->setAsFloat(quantity > 0 ? quantity : 1.0);
        table.fieldByName(QStringLiteral("ZEIATUKAI"))->setAsInteger(zeiAtukai);
        table.post();
    } catch (...) {
        table.cancel();
        added = false;
        throw;
    }
    table.flushBuffers();
    return table.fieldByName(kCode)->asInteger();
}

namespace {

int resolveItem(int itemCode, const QString &name, int zeiAtukai, double quantity, Currency amount, bool &added)
{
    added = false;
    if (itemCode <= 0)
        itemCode = SaveHinmeiMaster(*DatMod->HinmeiMstTbl, name, zeiAtukai, amount, quantity, added);
    return itemCode;
}

} // namespace

bool AddHinmeiListItem(int category, int itemCode, const QString &name, int zeiAtukai, double quantity,
                       Currency amount)
{
    bool added = false;
    itemCode = resolveItem(itemCode, name, zeiAtukai, quantity, amount, added);
    return addListEntry(*DatMod->HinmeiLstTbl, category, itemCode, 0, !added);
}

bool AddHinmeiListSubItem(int category, int parentCode, int itemCode, const QString &name, int zeiAtukai,
                          double quantity, Currency amount)
{
    if (parentCode <= 0)
        return false;
    bool added = false;
    itemCode = resolveItem(itemCode, name, zeiAtukai, quantity, amount, added);
    return addListEntry(*DatMod->HinmeiLstTbl, category, parentCode, itemCode, !added);
}

bool AddShopListItem(int category, int shopCode, const QString &name)
{
    if (shopCode <= 0) {
        bool added = false;
        shopCode = GetOrAddCode(*DatMod->ShopMstTbl, name, added);
    }
    return addListEntry(*DatMod->ShopLstTbl, category, shopCode, 0);
}

bool AddShopListSubItem(int category, int parentCode, int shopCode, const QString &name)
{
    if (parentCode <= 0)
        return false;
    if (shopCode <= 0) {
        bool added = false;
        shopCode = GetOrAddCode(*DatMod->ShopMstTbl, name, added);
    }
    return addListEntry(*DatMod->ShopLstTbl, category, parentCode, shopCode);
}

bool AddPerson(const QString &name)
{
    Table &persons = *DatMod->PersonTbl;
    ensureOpen(persons);
    Field *visible = persons.fieldByName(QStringLiteral("VISIBLE"));
    if (persons.locate(kName, name)) {
        if (visible->asBoolean()) {
            MessageDlg(kAlreadyListed, MsgDlgType::Information, mbOK);
            return false;
        }
        persons.edit();
        visible->setAsBoolean(true);
        persons.post();
        persons.flushBuffers();
        return true;
    }
    persons.append();
    try {
        persons.fieldByName(kName)->setAsString(name);
        visible->setAsBoolean(true);
        persons.post();
    } catch (...) {
        persons.cancel();
        throw;
    }
    persons.flushBuffers();
    return true;
}
