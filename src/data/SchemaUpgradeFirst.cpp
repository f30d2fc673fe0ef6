#include "data/SchemaUpgradeFirst.h"

#include <QMap>
#include <QSet>

#include "data/BookSchema.h"
#include "data/RecordNumbers.h"
#include "platform/db/Database.h"

// The first release kept the tax treatment as a yes/no/empty flag ZEIKOMI on
// journal and scheduled lines, had no monthly amounts on scheduled cards, and
// tied a shop to a category by one code. The engine here cannot drop a column,
// so each table that loses one is rebuilt in a new book's layout, its rows
// copied across with the converted values.

namespace {

QSet<QString> columnsOf(Database &db, const QString &table)
{
    QSet<QString> columns;
    Statement info(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    while (info.next())
        columns.insert(info.textValue(1).toUpper());
    return columns;
}

// Rebuilds table in the current layout: every column of the new layout takes
// the expression given for it, else the old column of that name, else empty.
void rebuildInNewLayout(Database &db, const QString &table, const QMap<QString, QString> &expressions = {})
{
    const TableDef &def = *BookSchema::table(table);
    const QSet<QString> old = columnsOf(db, table);
    QStringList names, values;
    for (const SchemaField &field : def.fields) {
        names << field.name;
        if (expressions.contains(field.name))
            values << expressions.value(field.name);
        else
            values << (old.contains(field.name.toUpper()) ? field.name : QStringLiteral("NULL"));
    }
    const QString previous = table + QStringLiteral("_first");
    db.exec(QStringLiteral("DROP TABLE IF EXISTS \"%1\"").arg(previous));
    db.exec(QStringLiteral("ALTER TABLE \"%1\" RENAME TO \"%2\"").arg(table, previous));
    // The indexes went along with the renamed table under their old names.
    for (const IndexDef &index : def.indexes)
        db.exec(QStringLiteral("DROP INDEX IF EXISTS \"%1\"").arg(index.name));
    for (const QString &statement : BookSchema::createStatements(def))
        db.exec(statement);
    db.exec(QStringLiteral("INSERT INTO \"%1\" (%2) SELECT %3 FROM \"%4\" ORDER BY rowid")
                .arg(table, names.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")), previous));
    db.exec(QStringLiteral("DROP TABLE \"%1\"").arg(previous));
}

// The tax treatment a rebuilt journal or scheduled table gets: from the old tax
// flag (none: outside the tax, included: 内税, excluded: 外税), else kept.
QString taxOf(Database &db, const QString &table)
{
    const QSet<QString> columns = columnsOf(db, table);
    if (columns.contains(QStringLiteral("ZEIKOMI")))
        return QStringLiteral("CASE WHEN ZEIKOMI IS NULL THEN 0 WHEN ZEIKOMI <> 0 THEN 1 ELSE 2 END");
    return columns.contains(QStringLiteral("ZEIATUKAI")) ? QStringLiteral("ZEIATUKAI") : QStringLiteral("0");
}

// Row CODE 0 of an item, shop or person master stands for "none".
void ensureZeroCodeRow(Database &db, const QString &table)
{
    const QSet<QString> columns = columnsOf(db, table);
    if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM \"%1\" WHERE CODE = 0").arg(table)).toInt() == 0)
        db.exec(QStringLiteral("INSERT INTO \"%1\" (CODE) VALUES (0)").arg(table));
    QStringList sets;
    if (columns.contains(QStringLiteral("QUANTITY")))
        sets << QStringLiteral("QUANTITY = 1.0");
    if (columns.contains(QStringLiteral("GAKU")))
        sets << QStringLiteral("GAKU = 0.0");
    if (columns.contains(QStringLiteral("VISIBLE")))
        sets << QStringLiteral("VISIBLE = 0");
    if (!sets.isEmpty())
        db.exec(QStringLiteral("UPDATE \"%1\" SET %2 WHERE CODE = 0").arg(table, sets.join(QStringLiteral(", "))));
}

void upgradeReserveMonthly(Database &db)
{
    if (columnsOf(db, QStringLiteral("ReserveList")).contains(QStringLiteral("M1GAKU")))
        return;
    for (const QString &table : {QStringLiteral("HinmeiMast"), QStringLiteral("ShopMast"), QStringLiteral("Person")})
        ensureZeroCodeRow(db, table);
    db.scalar(QStringLiteral("UPDATE HinmeiMast SET NAME = ? WHERE CODE = 4"), {QStringLiteral("繰越残高")});
    // Row 0 of the journal holds the carried-over balance item; it is written
    // anew with a new book's values once the journal has its new layout.
    rebuildInNewLayout(db, QStringLiteral("ReserveList"),
                       {{QStringLiteral("ZEIATUKAI"), taxOf(db, QStringLiteral("ReserveList"))}});
}

void addZeiAtukaiAll(Database &db)
{
    for (const QString &table : {QStringLiteral("Master"), QStringLiteral("ReserveList")}) {
        const QSet<QString> columns = columnsOf(db, table);
        if (columns.contains(QStringLiteral("ZEIATUKAI")) && !columns.contains(QStringLiteral("ZEIKOMI")))
            continue;
        rebuildInNewLayout(db, table, {{QStringLiteral("ZEIATUKAI"), taxOf(db, table)}});
    }
    if (!columnsOf(db, QStringLiteral("Himoku")).contains(QStringLiteral("ZEIATUKAI"))) {
        // Expense categories default to 外税, every other one to 無指定.
        rebuildInNewLayout(db, QStringLiteral("Himoku"),
                           {{QStringLiteral("ZEIATUKAI"), QStringLiteral("CASE WHEN BUNRUI = 2 THEN 2 ELSE 3 END")},
                            {QStringLiteral("OTHERCODE"), QStringLiteral("0")},
                            {QStringLiteral("YOSANWARN"), QStringLiteral("1")}});
    }
    if (!columnsOf(db, QStringLiteral("HinmeiMast")).contains(QStringLiteral("ZEIATUKAI"))) {
        rebuildInNewLayout(db, QStringLiteral("HinmeiMast"),
                           {{QStringLiteral("ZEIATUKAI"), QStringLiteral("3")},
                            {QStringLiteral("QUANTITY"), QStringLiteral("COALESCE(QUANTITY, 1.0)")},
                            {QStringLiteral("GAKU"), QStringLiteral("COALESCE(GAKU, 0.0)")}});
    }
}

void upgradeShopList(Database &db)
{
    const QSet<QString> columns = columnsOf(db, QStringLiteral("ShopList"));
    if (columns.contains(QStringLiteral("OYACODE")))
        return;
    rebuildInNewLayout(
        db, QStringLiteral("ShopList"),
        {{QStringLiteral("OYACODE"),
          columns.contains(QStringLiteral("SHOPCODE")) ? QStringLiteral("SHOPCODE") : QStringLiteral("0")},
         {QStringLiteral("KOCODE"), QStringLiteral("0")}});
    db.scalar(QStringLiteral("UPDATE Himoku SET NAME = ?, MEMO = ?, SIMEBI = -1 WHERE CODE = 13"),
              {QStringLiteral("レシート入力用"), QStringLiteral("レシート入力用")});
}

// A user's own row with a name the system also uses: the user's lines move to
// a user row of that name (code above 100, made when missing), so the system
// row keeps only its own lines: the journal's row 0 keeps the carried-over
// balance item, and withdrawal lines the system's withdrawal item.
void mergeSystemNameRows(Database &db, const QString &table, const QString &column, const QString &name)
{
    QString own;
    if (name == QStringLiteral("繰越残高"))
        own = QStringLiteral(" AND M.DATANO <> 0");
    else if (name == QStringLiteral("自動引落"))
        own = QStringLiteral(" AND M.STYLE <> 6");
    const int lines = db.scalar(QStringLiteral("SELECT COUNT(M.DATANO) FROM Master M, \"%1\" S WHERE M.%2 = S.CODE "
                                               "AND S.NAME = ?%3")
                                    .arg(table, column, own),
                                {name})
                          .toInt();
    if (lines == 0)
        return;
    QVariant target = db.scalar(
        QStringLiteral("SELECT CODE FROM \"%1\" WHERE CODE > 100 AND NAME = ? ORDER BY CODE LIMIT 1").arg(table),
        {name});
    if (target.isNull()) {
        const TableDef &def = *BookSchema::table(table);
        target = RecordNumbers::GetNewDataNo(db, def.fileName);
        if (table == QStringLiteral("Person"))
            db.scalar(QStringLiteral("INSERT INTO Person (CODE, NAME, VISIBLE) VALUES (?, ?, 0)"), {target, name});
        else if (table == QStringLiteral("HinmeiMast"))
            db.scalar(QStringLiteral("INSERT INTO HinmeiMast (CODE, NAME, QUANTITY, GAKU, ZEIATUKAI) "
                                     "VALUES (?, ?, 1.0, 0.0, 3)"),
                      {target, name});
        else
            db.scalar(QStringLiteral("INSERT INTO \"%1\" (CODE, NAME) VALUES (?, ?)").arg(table), {target, name});
    }
    QString keep = own;
    keep.replace(QStringLiteral("M."), QString());
    db.scalar(QStringLiteral("UPDATE Master SET %1 = ? WHERE %1 IN (SELECT CODE FROM \"%2\" WHERE NAME = ? "
                             "AND CODE <> ?)%3")
                  .arg(column, table, keep),
              {target, name, target});
}

void mergeSystemNames(Database &db)
{
    const QString reserved = QStringLiteral("予約");
    mergeSystemNameRows(db, QStringLiteral("HinmeiMast"), QStringLiteral("HINMEICODE"), reserved);
    mergeSystemNameRows(db, QStringLiteral("HinmeiMast"), QStringLiteral("HINMEICODE"), QStringLiteral("自動引落"));
    mergeSystemNameRows(db, QStringLiteral("HinmeiMast"), QStringLiteral("HINMEICODE"), QStringLiteral("繰越残高"));
    mergeSystemNameRows(db, QStringLiteral("ShopMast"), QStringLiteral("SHOPCODE"), reserved);
    mergeSystemNameRows(db, QStringLiteral("Person"), QStringLiteral("PERSONCODE"), reserved);

    db.exec(QStringLiteral("UPDATE Person SET VISIBLE = 0 WHERE CODE > 100 AND VISIBLE IS NULL"));
    db.exec(QStringLiteral("UPDATE HinmeiMast SET QUANTITY = COALESCE(QUANTITY, 1.0), GAKU = COALESCE(GAKU, 0.0), "
                           "ZEIATUKAI = COALESCE(ZEIATUKAI, 3) WHERE CODE > 100"));
    db.scalar(QStringLiteral("UPDATE Himoku SET NAME = ?, VISIBLE = 0, POS = -1, SIMEBI = 31, BUNRUI = 0, SYSTEM = 1 "
                             "WHERE CODE = 99"),
              {QStringLiteral("諸口")});
    // 海の日 moved to the third Monday of July from 2003.
    db.scalar(QStringLiteral("UPDATE DateMast SET ADAY = 0 WHERE NAME = ? AND AYEAR = 0 AND AMONTH = 7 AND ADAY = 23 "
                             "AND AWEEK = 3 AND YOBI = 2 AND TYPE = 1 AND STARTDAY = '2003-01-01' "
                             "AND (ENDDAY IS NULL OR ENDDAY = '')"),
              {QStringLiteral("海の日")});
}

void fixJournalRowZero(Database &db)
{
    db.exec(QStringLiteral("DELETE FROM Master WHERE DATANO = 0"));
    BookSchema::insertJournalRowZero(db);
}

} // namespace

bool FirstLayoutDone(Database &db)
{
    return columnsOf(db, QStringLiteral("Master")).contains(QStringLiteral("ZEIATUKAI")) &&
           !columnsOf(db, QStringLiteral("Master")).contains(QStringLiteral("ZEIKOMI")) &&
           columnsOf(db, QStringLiteral("ShopList")).contains(QStringLiteral("OYACODE")) &&
           columnsOf(db, QStringLiteral("ReserveList")).contains(QStringLiteral("M1GAKU"));
}

void UpgradeFirstLayout(Database &db)
{
    const bool journalOld = !columnsOf(db, QStringLiteral("ReserveList")).contains(QStringLiteral("M1GAKU"));
    upgradeReserveMonthly(db);
    addZeiAtukaiAll(db);
    if (journalOld)
        fixJournalRowZero(db);
    upgradeShopList(db);
    mergeSystemNames(db);
}
