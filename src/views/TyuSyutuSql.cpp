#include "views/TyuSyutuSql.h"

#include "data/Utils.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

using namespace Qt::StringLiterals;

namespace {

const QString kAll = u"すべて"_s;

bool isNoCondition(const TTyuSyutuField &value)
{
    const QString text = value.text.trimmed();
    return text.isEmpty() || text == kAll;
}

// The query kind of a result: 1 income, 2 expense, 0 transfers (no side condition).
int queryKind(int result)
{
    return result == TTyuSyutuSql::Iri ? 1 : result == TTyuSyutuSql::Deru ? 2 : 0;
}

} // namespace

TTyuSyutuSql::TTyuSyutuSql(Database &db) : m_db(db)
{
    const int year = QDate::currentDate().year();
    Options.start = QDate(year, 1, 1);
    Options.end = QDate(year, 12, 31);
}

QList<int> TTyuSyutuSql::ModeResults() const
{
    return Mode == 1 ? QList<int>{Iri, Deru} : QList<int>{Kouza};
}

QString TTyuSyutuSql::DateLiteral(const QDate &date)
{
    return date.toString(u"MM/dd/yyyy"_s);
}

// ---- conditions ------------------------------------------------------------------------

void TTyuSyutuSql::BuildSql(bool keepConditions)
{
    for (int result : ModeResults()) {
        if (!keepConditions)
            BuildConditions(result);
        Results[result].sql = Options.takane ? BuildStatsSql(result) : BuildDetailSql(result);
    }
}

void TTyuSyutuSql::BuildConditions(int result)
{
    const QStringList newLines = BuildPanelConditions(result);
    TTyuSyutuResult &r = Results[result];
    r.workConditions = r.baseConditions;
    MergeConditions(r.workConditions, newLines, Options.next);
}

void TTyuSyutuSql::MergeConditions(QStringList &working, const QStringList &newLines, int next)
{
    if (next == 0) {
        working = newLines;
        return;
    }
    if (newLines.isEmpty())
        return;
    if (!working.isEmpty()) {
        working.prepend(u"("_s);
        working << u")"_s << (next == 1 ? u"OR"_s : u"AND"_s);
    }
    working << newLines;
}

QStringList TTyuSyutuSql::BuildPanelConditions(int result) const
{
    QStringList lines;
    if (Options.startChecked && Options.endChecked)
        lines << u"  ((J.RECDATE >= \"%1\") AND (J.RECDATE <= \"%2\"))"_s.arg(DateLiteral(Options.start),
                                                                             DateLiteral(Options.end));
    else if (Options.startChecked)
        lines << u"  (J.RECDATE >= \"%1\") "_s.arg(DateLiteral(Options.start));
    else if (Options.endChecked)
        lines << u"  (J.RECDATE <= \"%1\")"_s.arg(DateLiteral(Options.end));
    const bool period = !lines.isEmpty();

    const TTyuSyutuPanel &panel = Panels[result];
    const QString himokuField = result == Iri ? u"J.KASICODE"_s : u"J.KARICODE"_s;
    const QString kouzaField = result == Iri ? u"J.KARICODE"_s : u"J.KASICODE"_s;
    const int like = LikeMode(result);
    QStringList conditions;
    auto add = [&](const QString &field, const TTyuSyutuField &value, const QString &table) {
        if (!isNoCondition(value))
            conditions << AddNameCondition(field, value, table, like);
    };
    add(himokuField, panel.himoku, u"Himoku.db"_s);
    add(u"J.HINMEICODE"_s, panel.hinmei, u"HinmeiMast.db"_s);
    add(u"J.SHOPCODE"_s, panel.shop, u"ShopMast.db"_s);
    add(u"J.PERSONCODE"_s, panel.person, u"Person.db"_s);
    add(kouzaField, panel.kouza, u"Himoku.db"_s);
    if (conditions.isEmpty())
        return lines;
    lines << (period ? u"    AND "_s : QString()) + (panel.pickUp ? u"    ("_s : u"NOT ("_s)
                 + conditions.join(u" AND "_s) + u")"_s;
    lines.prepend(u"("_s);
    lines << u")"_s;
    return lines;
}

int TTyuSyutuSql::MasterCode(const QString &tableFile, const QString &name) const
{
    const QString table = LocalSql::tableName(tableFile);
    // The category table's rows up to 99 are its groups; the other masters
    // keep their fixed rows at 100 and below.
    const int above = table.compare(u"Himoku"_s, Qt::CaseInsensitive) == 0 ? 99 : 100;
    Statement st(m_db, u"SELECT CODE FROM \"%1\" WHERE NAME = ? AND CODE > %2 ORDER BY CODE LIMIT 1"_s.arg(table)
                           .arg(above));
    st.bind(1, name);
    return st.next() ? int(st.intValue(0)) : -1;
}

QString TTyuSyutuSql::AddNameCondition(const QString &field, const TTyuSyutuField &value, const QString &tableFile,
                                       int like) const
{
    if (like == 1 || like == 2) {
        const QString operand = like == 1 ? MakeLikeStartsWith(value.text) : MakeLikeContains(value.text);
        return u"(%1 IN (SELECT CODE FROM %2 WHERE NAME Like %3))"_s.arg(field, tableFile, operand);
    }
    const int code = value.code > 0 ? value.code : MasterCode(tableFile, value.text);
    return u"(%1 = %2)"_s.arg(field).arg(code);
}

// ---- queries ---------------------------------------------------------------------------

bool TTyuSyutuSql::IsValueColumn(const QString &fieldName)
{
    static const QStringList values{u"RECDATE"_s,  u"COUNTVALUE"_s, u"QUANTITY"_s, u"KINGAKU"_s,
                                    u"MAXVALUE"_s, u"MINVALUE"_s,   u"AVGVALUE"_s, u"SUMVALUE"_s};
    return values.contains(fieldName, Qt::CaseInsensitive);
}

bool TTyuSyutuSql::JoinFor(const QString &sortColumn, QString &table, QString &condition)
{
    struct Join
    {
        const char16_t *column, *table, *field;
    };
    static const Join joins[] = {{u"KasiName", u"Himoku.db", u"KASICODE"},
                                 {u"KariName", u"Himoku.db", u"KARICODE"},
                                 {u"Hinmei", u"HinmeiMast.db", u"HINMEICODE"},
                                 {u"ShopName", u"ShopMast.db", u"SHOPCODE"},
                                 {u"ParsonName", u"Person.db", u"PERSONCODE"}};
    for (const Join &j : joins) {
        if (sortColumn.compare(QString::fromUtf16(j.column), Qt::CaseInsensitive) == 0) {
            table = u", "_s + QString::fromUtf16(j.table) + u" M"_s;
            condition = u" AND (J.%1 = M.CODE)"_s.arg(QString::fromUtf16(j.field));
            return true;
        }
    }
    return false;
}

void TTyuSyutuSql::AppendWhere(QStringList &lines, int result, int kind, bool &hasCondition) const
{
    const TTyuSyutuResult &r = Results[result];
    if (kind == 1 || kind == 2) {
        lines << u" ("_s
              << u"  (J.%1 IN (SELECT CODE FROM Himoku.db WHERE BUNRUI = %2))"_s
                     .arg(kind == 1 ? u"KASICODE"_s : u"KARICODE"_s)
                     .arg(kind)
              << u" )"_s;
        hasCondition = true;
    }
    if (!Options.includeReserved) {
        if (hasCondition)
            lines << u"AND"_s;
        // A line whose RESERVED is empty is booked, as everywhere in the book.
        lines << u"  (COALESCE(J.RESERVED, FALSE) = FALSE)"_s;
        hasCondition = true;
    }
    if (!r.workConditions.isEmpty()) {
        if (hasCondition)
            lines << u"AND"_s;
        lines << u" ("_s << r.workConditions << u" )"_s;
        hasCondition = true;
    }
}

QStringList TTyuSyutuSql::BuildDetailSql(int result) const
{
    const TTyuSyutuResult &r = Results[result];
    QString joinTable, joinCondition;
    const bool join = JoinFor(r.sortColumn, joinTable, joinCondition) && r.orderExpression == u"M.NAME";
    QStringList lines;
    QString select;
    if (!Options.quantity)
        select = u"SELECT J.DATANO,J.RECDATE,J.KARICODE,J.KASICODE,J.QUANTITY,J.KINGAKU,J.HINMEICODE,J.SHOPCODE,"
                 "J.PERSONCODE,J.RESERVED"_s;
    else if (Options.quantityUnit == 0)
        select = u"SELECT J.DATANO,J.RECDATE,J.KARICODE,J.KASICODE,J.QUANTITY,J.KINGAKU/J.QUANTITY AS KINGAKU     ,"
                 "J.HINMEICODE,J.SHOPCODE,J.PERSONCODE,J.RESERVED"_s;
    else
        select = u"SELECT J.DATANO,J.RECDATE,J.KARICODE,J.KASICODE,J.QUANTITY,J.KINGAKU/J.QUANTITY*100  AS KINGAKU,"
                 "J.HINMEICODE,J.SHOPCODE,J.PERSONCODE,J.RESERVED"_s;
    if (join)
        select += u",M.NAME"_s;
    lines << select << u"FROM \"Master.db\" J"_s + (join ? joinTable : QString()) << u"WHERE "_s;
    const int whereLine = int(lines.size()) - 1;
    bool hasCondition = false;
    AppendWhere(lines, result, queryKind(result), hasCondition);
    if (Options.quantity) {
        if (hasCondition)
            lines << u"AND"_s;
        lines << u"    (J.QUANTITY <> 0)"_s;
        hasCondition = true;
    }
    if (join) {
        lines << (hasCondition ? joinCondition : joinCondition.mid(5));
        hasCondition = true;
    }
    lines << u"ORDER BY "_s + r.orderExpression + (r.descending ? u" DESC"_s : QString());
    if (!hasCondition)
        lines[whereLine] = QString();
    return lines;
}

QStringList TTyuSyutuSql::BuildStatsSql(int result) const
{
    const TTyuSyutuResult &r = Results[result];
    QString joinTable, joinCondition;
    const bool join = JoinFor(r.sortColumn, joinTable, joinCondition) && r.orderExpression == u"M.NAME";
    QString select;
    if (!Options.quantity)
        select = u"SELECT MAX(J.KINGAKU) AS MAXVALUE, MIN(J.KINGAKU) AS MINVALUE , AVG(J.KINGAKU) AS AVGVALUE, "
                 "COUNT(J.KINGAKU) AS COUNTVALUE, SUM(J.KINGAKU) AS SUMVALUE, "_s;
    else if (Options.quantityUnit == 0)
        select = u"SELECT MAX(J.KINGAKU/J.QUANTITY) AS MAXVALUE,MIN(J.KINGAKU/J.QUANTITY) AS MINVALUE,"
                 "AVG(J.KINGAKU/J.QUANTITY) AS AVGVALUE,COUNT(J.KINGAKU) AS COUNTVALUE, "
                 "SUM(J.KINGAKU/J.QUANTITY) AS SUMVALUE, "_s;
    else
        select = u"SELECT MAX(J.KINGAKU/J.QUANTITY)*100 AS MAXVALUE,MIN(J.KINGAKU/J.QUANTITY)*100 AS MINVALUE,"
                 "AVG(J.KINGAKU/J.QUANTITY)*100 AS AVGVALUE,COUNT(J.KINGAKU) AS COUNTVALUE, "
                 "SUM(J.KINGAKU/J.QUANTITY)*100 AS SUMVALUE, "_s;
    QString grouping;
    if (Options.byShop) {
        select += u"J.SHOPCODE, J.HINMEICODE"_s;
        grouping = u"GROUP BY J.HINMEICODE, J.SHOPCODE"_s;
    } else {
        select += u"J.HINMEICODE AS SHOPCODE, J.HINMEICODE"_s;
        grouping = u"GROUP BY J.HINMEICODE"_s;
    }
    if (join) {
        select += u", M.NAME"_s;
        grouping += u", M.NAME"_s;
    }
    QStringList lines;
    lines << select << u"FROM \"Master.db\" J"_s + (join ? joinTable : QString()) << u"WHERE "_s;
    bool hasCondition = false;
    AppendWhere(lines, result, queryKind(result), hasCondition);
    if (hasCondition)
        lines << u"AND"_s;
    lines << u"   (J.KINGAKU > 0)"_s;
    if (Options.quantity)
        lines << u"AND"_s << u"   (J.QUANTITY <> 0)"_s;
    lines << (join ? joinCondition : QString()) << grouping;
    lines << u"ORDER BY "_s + r.orderExpression + (r.descending ? u" DESC"_s : QString());
    return lines;
}

QStringList TTyuSyutuSql::BuildTotalSql(int result) const
{
    QStringList lines = Results[result].sql;
    if (lines.isEmpty())
        return lines;
    lines[0] = u"SELECT SUM(J.KINGAKU) AS KINGAKU"_s;
    for (qsizetype i = lines.size() - 1; i > 0; --i)
        if (lines[i].startsWith(u"ORDER BY "_s) || lines[i].startsWith(u"GROUP BY "_s))
            lines.removeAt(i);
    return lines;
}

Currency TTyuSyutuSql::QueryTotal(int result) const
{
    const QStringList lines = BuildTotalSql(result);
    if (lines.isEmpty())
        return Currency();
    Statement st(m_db, LocalSql::translate(lines.join(u'\n')));
    if (!st.next() || st.isNull(0))
        return Currency();
    return Currency::fromDouble(st.doubleValue(0));
}

// ---- sorting ---------------------------------------------------------------------------

void TTyuSyutuSql::SortBy(int result, const QString &fieldName)
{
    QString table, condition;
    const bool value = IsValueColumn(fieldName);
    if (!value && !JoinFor(fieldName, table, condition))
        return; // a column that orders nothing (none such is shown)
    TTyuSyutuResult &r = Results[result];
    if (r.sortColumn.compare(fieldName, Qt::CaseInsensitive) == 0) {
        r.descending = !r.descending;
    } else {
        r.sortColumn = fieldName;
        r.descending = false;
    }
    r.orderExpression = value ? fieldName : u"M.NAME"_s;
}

void TTyuSyutuSql::ResetSort(bool statistics)
{
    for (TTyuSyutuResult &r : Results) {
        r.sortColumn = statistics ? u"Hinmei"_s : u"RECDATE"_s;
        r.orderExpression = statistics ? u"M.NAME"_s : u"RECDATE"_s;
        r.descending = false;
    }
}

void TTyuSyutuSql::Accept(int result)
{
    Results[result].baseConditions = Results[result].workConditions;
}
