#include "data/BookSchema.h"

#include <QVariant>

#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

using namespace Qt::StringLiterals;

namespace {

SchemaField f(const QString &name, char16_t type, int size = 0)
{
    return SchemaField{name, QChar(type), size, false};
}

SchemaField calc(const QString &name, char16_t type, int size = 0)
{
    return SchemaField{name, QChar(type), size, true};
}

TableDef makeTable(const QString &name, const QString &fileName, const QString &component, QList<SchemaField> fields,
                   QStringList keyFields = {}, const QStringList &indexFields = {})
{
    TableDef t{name, fileName, component, std::move(fields), std::move(keyFields), {}};
    for (const QString &field : indexFields)
        t.indexes.append(IndexDef{name + u'_' + field, {field}});
    return t;
}

QList<TableDef> buildTables()
{
    QList<TableDef> tables;
    tables << makeTable(u"ZeiList"_s, u"ZeiList.DB"_s, u"ZeiLstTbl"_s,
                        {f(u"DATANO"_s, u'S'), f(u"STARTDATE"_s, u'D'), f(u"PERCENT"_s, u'N')});
    tables << makeTable(u"HinmeiMast"_s, u"HinmeiMast.db"_s, u"HinmeiMstTbl"_s,
                        {f(u"CODE"_s, u'I'), f(u"NAME"_s, u'A', 40), f(u"QUANTITY"_s, u'N'), f(u"GAKU"_s, u'$'),
                         f(u"ZEIATUKAI"_s, u'S')},
                        {u"CODE"_s});
    tables << makeTable(u"HinmeiList"_s, u"HinmeiList.db"_s, u"HinmeiLstTbl"_s,
                        {f(u"DATANO"_s, u'I'), f(u"HIMOKUCODE"_s, u'S'), f(u"OYACODE"_s, u'I'), f(u"KOCODE"_s, u'I'),
                         f(u"VISIBLE"_s, u'L')},
                        {u"DATANO"_s}, {u"HIMOKUCODE"_s});
    tables << makeTable(u"Person"_s, u"Person.DB"_s, u"PersonTbl"_s,
                        {f(u"CODE"_s, u'I'), f(u"NAME"_s, u'A', 20), f(u"VISIBLE"_s, u'L')}, {u"CODE"_s});
    tables << makeTable(u"ShopList"_s, u"ShopList.db"_s, u"ShopLstTbl"_s,
                        {f(u"DATANO"_s, u'I'), f(u"HIMOKUCODE"_s, u'S'), f(u"VISIBLE"_s, u'L'), f(u"OYACODE"_s, u'I'),
                         f(u"KOCODE"_s, u'I')},
                        {u"DATANO"_s}, {u"HIMOKUCODE"_s});
    tables << makeTable(u"ShopMast"_s, u"ShopMast.db"_s, u"ShopMstTbl"_s, {f(u"CODE"_s, u'I'), f(u"NAME"_s, u'A', 40)},
                        {u"CODE"_s});
    tables << makeTable(u"Himoku"_s, u"Himoku.db"_s, u"HimokuTbl"_s,
                        {f(u"CODE"_s, u'S'),         f(u"POS"_s, u'S'),       f(u"NAME"_s, u'A', 20),
                         f(u"MEMO"_s, u'A', 40),     f(u"BUNRUI"_s, u'S'),    f(u"SYOKIZAN"_s, u'$'),
                         f(u"SIMEBI"_s, u'S'),       f(u"CYCLE"_s, u'S'),     f(u"FURIKOMIBI"_s, u'S'),
                         f(u"HOLIDAYSHIFT"_s, u'S'), f(u"VISIBLE"_s, u'L'),   f(u"SYSTEM"_s, u'L'),
                         f(u"STARTDATE"_s, u'D'),    f(u"TOKUBETU"_s, u'L'),  f(u"AITECODE"_s, u'S'),
                         f(u"SIMEHISTROY"_s, u'L'),  f(u"SIMESHIFT"_s, u'S'), f(u"OTHERCODE"_s, u'S'),
                         f(u"ZEIATUKAI"_s, u'S'),    f(u"YOSANWARN"_s, u'L'), f(u"SIMEHOLIDAYSHIFT"_s, u'S'),
                         f(u"SIMEADDDAY"_s, u'S')},
                        {u"CODE"_s});
    tables << makeTable(u"AutoInc"_s, u"AutoInc.db"_s, u"AutoIncTbl"_s, {f(u"NAME"_s, u'A', 20), f(u"MAXNO"_s, u'I')});
    tables << makeTable(u"Master"_s, u"Master.DB"_s, u"MasterTbl"_s,
                        {f(u"DATANO"_s, u'I'), f(u"GYONO"_s, u'S'), f(u"RECDATE"_s, u'D'), f(u"KINGAKU"_s, u'$'),
                         f(u"QUANTITY"_s, u'N'), f(u"SHOPCODE"_s, u'I'), f(u"HINMEICODE"_s, u'I'),
                         f(u"PERSONCODE"_s, u'I'), f(u"KARISIDE"_s, u'L'), f(u"KARICODE"_s, u'S'),
                         f(u"KASICODE"_s, u'S'), f(u"RESERVED"_s, u'L'), f(u"LOOKUPNO"_s, u'I'),
                         f(u"RECEIPTNO"_s, u'I'), f(u"RECKIND"_s, u'S'), f(u"STYLE"_s, u'S'), f(u"ORIGIN"_s, u'S'),
                         f(u"ZEIATUKAI"_s, u'S')},
                        {u"DATANO"_s}, {u"RECEIPTNO"_s, u"LOOKUPNO"_s, u"RECDATE"_s});
    tables << makeTable(u"Yosan"_s, u"Yosan.db"_s, u"YosanTbl"_s,
                        {f(u"DATANO"_s, u'I'), f(u"RECDATE"_s, u'D'), f(u"HIMOKUCODE"_s, u'S'), f(u"KINGAKU"_s, u'$'),
                         f(u"BUNRUI"_s, u'S')},
                        {}, {u"RECDATE"_s});
    tables << makeTable(u"Memo"_s, u"Memo.db"_s, u"MemoTbl"_s,
                        {f(u"DATANO"_s, u'I'), f(u"RECDATE"_s, u'D'), f(u"MEMO"_s, u'M')}, {u"DATANO"_s},
                        {u"RECDATE"_s});
    tables << makeTable(u"Number"_s, u"Number.db"_s, u"NumberTbl"_s, {f(u"CODE"_s, u'S')});
    tables << makeTable(u"DateMast"_s, u"DateMast.DB"_s, u"DayMstTbl"_s,
                        {f(u"DATANO"_s, u'I'), f(u"NAME"_s, u'A', 20), f(u"AYEAR"_s, u'S'), f(u"AMONTH"_s, u'S'),
                         f(u"ADAY"_s, u'S'), f(u"AWEEK"_s, u'S'), f(u"YOBI"_s, u'S'), f(u"TYPE"_s, u'S'),
                         f(u"STARTDAY"_s, u'D'), f(u"ENDDAY"_s, u'D')});
    tables << makeTable(u"DateList"_s, u"DateList.db"_s, u"DateLstTbl"_s,
                        {f(u"DATANO"_s, u'I'), f(u"RECDATE"_s, u'D'), f(u"NAME"_s, u'A', 20), f(u"TYPE"_s, u'S'),
                         f(u"COMMENT"_s, u'A', 40)});
    {
        QList<SchemaField> fields = {f(u"DATANO"_s, u'I'),     f(u"RECEIPTNO"_s, u'I'),  f(u"NAME"_s, u'A', 16),
                                  f(u"RECDATE"_s, u'D'),    f(u"KINGAKU"_s, u'$'),    f(u"SHOPCODE"_s, u'I'),
                                  f(u"HINMEICODE"_s, u'I'), f(u"PERSONCODE"_s, u'I'), f(u"KARICODE"_s, u'S'),
                                  f(u"KASICODE"_s, u'S'),   f(u"RECKIND"_s, u'S'),    f(u"STARTDATE"_s, u'D'),
                                  f(u"ENDDATE"_s, u'D'),    f(u"POSTDATE"_s, u'S'),   f(u"HOLIDAYSHIFT"_s, u'S'),
                                  f(u"SYUSIIDO"_s, u'S'),   f(u"VISIBLE"_s, u'L'),    f(u"MONTHLY"_s, u'L')};
        for (int m = 1; m <= 12; ++m)
            fields << f(u"M%1GAKU"_s.arg(m), u'$');
        fields << f(u"ZEIATUKAI"_s, u'S');
        tables << makeTable(u"ReserveList"_s, u"ReserveList.DB"_s, u"ReserveLstTbl"_s, fields);
    }
    tables << makeTable(u"SimebiList"_s, u"SimebiList.db"_s, u"SimebiListTbl"_s,
                        {f(u"DATANO"_s, u'I'), f(u"CODE"_s, u'S'), f(u"STARTDATE"_s, u'D'), f(u"SIMEBI"_s, u'S')});
    return tables;
}

void insertRow(Database &db, const TableDef &table, const QVariantList &values)
{
    Q_ASSERT(values.size() == table.fields.size());
    QStringList names, marks;
    for (const SchemaField &field : table.fields) {
        names << field.name;
        marks << u"?"_s;
    }
    Statement st(db, u"INSERT INTO \"%1\" (%2) VALUES (%3)"_s.arg(table.name, names.join(u", "), marks.join(u", ")));
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values.at(i));
    st.exec();
}

// A Himoku row from the fields that differ between the seed rows; the others take
// the values every system row shares.
QVariantList himokuRow(int code, int pos, const QString &name, const QString &memo, int bunrui, int simebi, int cycle,
                       int furikomibi, bool visible, int aiteCode, int zeiAtukai, bool yosanWarn)
{
    const QVariant null;
    return {code,
            pos,
            name,
            memo,
            bunrui,
            0.0,
            simebi,
            cycle,
            furikomibi,
            0 /*HOLIDAYSHIFT*/,
            visible,
            true /*SYSTEM*/,
            null /*STARTDATE*/,
            false /*TOKUBETU*/,
            aiteCode,
            false /*SIMEHISTROY*/,
            0 /*SIMESHIFT*/,
            0 /*OTHERCODE*/,
            zeiAtukai,
            yosanWarn,
            0 /*SIMEHOLIDAYSHIFT*/,
            0 /*SIMEADDDAY*/};
}

void seed(Database &db)
{
    const TableDef &himoku = *BookSchema::table(u"Himoku"_s);
    // The three group rows carry the closing day of their page (0: month end) and
    // are hidden, so the category lists never show them as categories. Row 3 is
    // part of a new book too: the category caches need all three groups.
    insertRow(db, himoku, himokuRow(1, 0, u"収入"_s, QString(), 1, 0, -1, -1, false, -1, 3, false));
    insertRow(db, himoku, himokuRow(2, 0, u"支出"_s, QString(), 2, 0, -1, -1, false, -1, 3, false));
    insertRow(db, himoku, himokuRow(3, 0, u"口座"_s, QString(), 3, 0, -1, -1, false, -1, 3, false));
    // The input-only categories and the sundry account are hidden system rows.
    insertRow(db, himoku,
              himokuRow(11, -1, u"口座フリー入力用"_s, u"口座フリー入力用"_s, 0, -1, -1, -1, false, 100, 3, false));
    insertRow(db, himoku, himokuRow(12, -1, u"金券入力用"_s, u"金券入力用"_s, 0, -1, -1, -1, false, 100, 3, false));
    insertRow(db, himoku,
              himokuRow(13, -1, u"レシート入力用"_s, u"レシート入力用"_s, 0, -1, -1, -1, false, 100, 3, false));
    insertRow(db, himoku, himokuRow(99, -1, u"諸口"_s, QString(), 0, 31, -1, -1, false, 100, 3, false));
    // Cash: the first account and the default counter-account of everything.
    insertRow(db, himoku, himokuRow(100, 1, u"現金"_s, QString(), 3, 31, 0, 31, true, 100, 0, true));

    // Row 0 of the item, shop and person masters stands for "none" (code 0 in a
    // journal line); the system items follow.
    const TableDef &hinmei = *BookSchema::table(u"HinmeiMast"_s);
    insertRow(db, hinmei, {0, QString(), 1.0, 0.0, 0});
    const QStringList systemItems = {u"消費税計算"_s, u"消費税"_s, u"自動引落"_s, u"繰越残高"_s, u"残高調整"_s};
    for (int i = 0; i < systemItems.size(); ++i)
        insertRow(db, hinmei, {i + 1, systemItems.at(i), 1.0, 0.0, 0});
    insertRow(db, *BookSchema::table(u"ShopMast"_s), {0, QString()});
    insertRow(db, *BookSchema::table(u"Person"_s), {0, QString(), false});

    BookSchema::insertJournalRowZero(db);

    const TableDef &number = *BookSchema::table(u"Number"_s);
    for (int code = 0; code <= 2; ++code)
        insertRow(db, number, {code});

    // The consumption-tax rates since the tax began.
    const TableDef &zei = *BookSchema::table(u"ZeiList"_s);
    insertRow(db, zei, {1, u"1989-04-01"_s, 3.0});
    insertRow(db, zei, {2, u"1997-04-01"_s, 5.0});
    insertRow(db, zei, {3, u"2014-04-01"_s, 8.0});
    insertRow(db, zei, {4, u"2019-10-01"_s, 10.0});

    // User categories are numbered from 101, user items, shops and persons above
    // 100; every other counter starts at 1 when first used.
    const TableDef &autoInc = *BookSchema::table(u"AutoInc"_s);
    for (const QString &name : {u"himoku.db"_s, u"hinmeimast.db"_s, u"shopmast.db"_s, u"person.db"_s})
        insertRow(db, autoInc, {name, 100});
    insertRow(db, autoInc, {u"zeilist.db"_s, 4});
}

} // namespace

const SchemaField *TableDef::field(const QString &fieldName) const
{
    const int i = fieldIndex(fieldName);
    return i < 0 ? nullptr : &fields.at(i);
}

int TableDef::fieldIndex(const QString &fieldName) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields.at(i).name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const QList<std::pair<QString, QVariant>> &BookSchema::journalRowZero()
{
    // The carried-over balance item (system item 4), no date, no slip, no
    // side; every other column a plain zero, so no reader meets an empty one.
    static const QList<std::pair<QString, QVariant>> row = {
        {u"DATANO"_s, 0},      {u"GYONO"_s, 0},      {u"RECDATE"_s, QVariant()}, {u"KINGAKU"_s, 0.0},
        {u"QUANTITY"_s, 1.0},  {u"SHOPCODE"_s, 0},   {u"HINMEICODE"_s, 4},       {u"PERSONCODE"_s, 0},
        {u"KARISIDE"_s, QVariant()}, {u"KARICODE"_s, 0}, {u"KASICODE"_s, 0},     {u"RESERVED"_s, false},
        {u"LOOKUPNO"_s, 0},    {u"RECEIPTNO"_s, 0},  {u"RECKIND"_s, 1},          {u"STYLE"_s, 0},
        {u"ORIGIN"_s, 0},      {u"ZEIATUKAI"_s, 0},
    };
    return row;
}

void BookSchema::insertJournalRowZero(Database &db)
{
    const TableDef &master = *table(u"Master"_s);
    QVariantList values;
    for (const SchemaField &field : master.fields) {
        QVariant value;
        for (const auto &[name, v] : journalRowZero())
            if (name == field.name)
                value = v;
        values << value;
    }
    insertRow(db, master, values);
}

QString BookSchema::databaseFileName()
{
    return u"PomuZenitData.db"_s;
}

const QList<TableDef> &BookSchema::tables()
{
    static const QList<TableDef> all = buildTables();
    return all;
}

const TableDef *BookSchema::table(const QString &name)
{
    const QString stored = LocalSql::tableName(name);
    for (const TableDef &t : tables())
        if (t.name.compare(stored, Qt::CaseInsensitive) == 0 || t.component.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

const QList<FilteredView> &BookSchema::filteredViews()
{
    static const QList<FilteredView> views = {
        {u"HinmeiMstTbl2"_s, u"HinmeiMast"_s, u"HinmeiMast.db"_s, u"CODE > 100"_s},
        {u"ShopMstTbl2"_s, u"ShopMast"_s, u"ShopMast.db"_s, u"CODE > 100"_s},
        {u"PersonTbl2"_s, u"Person"_s, u"Person.db"_s, u"CODE > 100"_s},
        {u"HimokuTbl2"_s, u"Himoku"_s, u"Himoku.db"_s, u"CODE > 99"_s},
    };
    return views;
}

QList<SchemaField> BookSchema::meisaiFields()
{
    return table(u"Master"_s)->fields + meisaiCalcFields();
}

const QList<SchemaField> &BookSchema::meisaiCalcFields()
{
    static const QList<SchemaField> fields = {
        calc(u"SelfCode"_s, u'S'),       calc(u"RecPos"_s, u'I'),         calc(u"AiteCode"_s, u'S'),
        calc(u"HinmeiName"_s, u'A', 40), calc(u"KariGaku"_s, u'$'),       calc(u"KasiGaku"_s, u'$'),
        calc(u"ShopName"_s, u'A', 40),   calc(u"PersonName"_s, u'A', 20),
    };
    return fields;
}

const QList<SchemaField> &BookSchema::receiptCalcFields()
{
    static const QList<SchemaField> fields = {
        calc(u"RecDate"_s, u'D'),      calc(u"ShopCode"_s, u'I'), calc(u"CreditCode"_s, u'I'),
        calc(u"PayKouza"_s, u'I'),     calc(u"PayDate"_s, u'D'),  calc(u"LookupNo"_s, u'I'),
        calc(u"ShopName"_s, u'A', 40), calc(u"KariGaku"_s, u'$'), calc(u"KasiGaku"_s, u'$'),
    };
    return fields;
}

QString BookSchema::receiptFilter()
{
    return u"RECEIPTNO <> 0"_s;
}

QStringList BookSchema::createStatements(const TableDef &table)
{
    QStringList columns;
    const bool rowidKey = table.keyFields.size() == 1;
    for (const SchemaField &field : table.fields) {
        if (rowidKey && field.name == table.keyFields.first())
            columns << field.name + u" INTEGER PRIMARY KEY"_s;
        else
            columns << field.name + u' ' + LocalSql::columnType(field.type, field.size);
    }
    if (table.keyFields.size() > 1)
        columns << u"PRIMARY KEY (%1)"_s.arg(table.keyFields.join(u", "));
    QStringList out;
    out << u"CREATE TABLE \"%1\" (%2)"_s.arg(table.name, columns.join(u", "));
    for (const IndexDef &index : table.indexes)
        out << u"CREATE INDEX \"%1\" ON \"%2\" (%3)"_s.arg(index.name, table.name, index.fields.join(u", "));
    return out;
}

void BookSchema::createEmptyBook(Database &db)
{
    Transaction transaction(db, Database::TransactionMode::Exclusive);
    for (const TableDef &table : tables())
        for (const QString &sql : createStatements(table))
            db.exec(sql);
    seed(db);
    transaction.commit();
}
