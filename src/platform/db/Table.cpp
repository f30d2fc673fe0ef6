#include "platform/db/Table.h"

#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

namespace {

QString quoted(const QString &identifier)
{
    if (identifier == QLatin1String("_rowid_"))
        return identifier;
    QString q = identifier;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QVariantList asList(const QVariant &v)
{
    if (v.typeId() == QMetaType::QVariantList)
        return v.toList();
    return QVariantList{v};
}

bool isNull(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

} // namespace

Table::Table(Database &db, const QString &tableName) : m_db(db)
{
    setTableName(tableName);
}

Table::~Table()
{
    closeQuietly();
}

void Table::setTableName(const QString &name)
{
    if (isActive())
        throw EDataSetError(QStringLiteral("開いているテーブルの名前は変更できません"));
    m_tableName = name;
    const QString t = LocalSql::tableName(name);
    m_sqlName = t.isEmpty() ? name : t;
    if (this->name().isEmpty())
        setName(m_sqlName);
}

void Table::setIndexFieldNames(const QString &names)
{
    setOrder(names, QString());
}

void Table::setIndexName(const QString &name)
{
    setOrder(QString(), name);
}

// One of the two ways of naming the order is set, the other cleared; an open
// table stays on its record in the new order (or goes to the first).
void Table::setOrder(const QString &fieldNames, const QString &indexName)
{
    if (isActive())
        checkBrowseMode();
    m_indexFieldNames = fieldNames;
    m_indexName = indexName;
    if (isActive()) {
        resolveOrder();
        invalidateCounts();
        if (!internalRefetch())
            internalFirst();
        resync();
    }
}

void Table::resolveOrder()
{
    QStringList order;
    if (!m_indexFieldNames.isEmpty()) {
        order = splitNames(m_indexFieldNames);
    } else if (!m_indexName.isEmpty()) {
        QString found;
        {
            Statement st(m_db, QStringLiteral("PRAGMA index_list(%1)").arg(quoted(m_sqlName)));
            while (st.next()) {
                const QString n = st.textValue(1);
                if (n.compare(m_indexName, Qt::CaseInsensitive) == 0
                    || n.compare(m_sqlName + QLatin1Char('_') + m_indexName, Qt::CaseInsensitive) == 0)
                    found = n;
            }
        }
        if (found.isEmpty())
            throw EDataSetError(QStringLiteral("インデックス '%1' が見つかりません").arg(m_indexName));
        Statement st(m_db, QStringLiteral("PRAGMA index_info(%1)").arg(quoted(found)));
        while (st.next())
            order << st.textValue(2);
    } else {
        Statement st(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_sqlName)));
        QMap<int, QString> pk;
        while (st.next())
            if (st.intValue(5) > 0)
                pk.insert(int(st.intValue(5)), st.textValue(1));
        order = pk.values();
    }
    for (QString &c : order) {
        bool known = false;
        for (const QString &col : std::as_const(m_columns))
            if (col.compare(c, Qt::CaseInsensitive) == 0) {
                c = col;
                known = true;
            }
        if (!known)
            throw EDataSetError(QStringLiteral("フィールド '%1' が見つかりません").arg(c));
    }
    m_order = order;
}

// The order columns with the rowid as the last tie-breaker, unless the order
// already holds the rowid's own column.
static QStringList fullOrder(const QStringList &order, const QString &primaryKey)
{
    QStringList o = order;
    bool unique = false;
    for (const QString &c : order)
        if (!primaryKey.isEmpty() && c.compare(primaryKey, Qt::CaseInsensitive) == 0)
            unique = true;
    if (!unique)
        o << QStringLiteral("_rowid_");
    return o;
}

void Table::internalOpen()
{
    if (!m_db.isOpen())
        throw EDatabaseError(QStringLiteral("データベースが開かれていません"));
    QList<FieldDef> columns;
    QStringList tableColumns;
    {
        Statement st(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_sqlName)));
        int pkCount = 0;
        QString pkName, pkType;
        while (st.next()) {
            FieldDef d;
            d.name = st.textValue(1);
            d.type = fieldTypeFromDeclared(st.textValue(2), &d.size);
            d.key = st.intValue(5) > 0;
            if (d.key) {
                ++pkCount;
                pkName = d.name;
                pkType = st.textValue(2).trimmed().toUpper();
            }
            columns << d;
            tableColumns << d.name;
        }
        if (columns.isEmpty())
            throw EDatabaseError(QStringLiteral("テーブルが見つかりません: %1").arg(m_tableName));
        // Only an INTEGER PRIMARY KEY is the rowid itself.
        m_primaryKey = pkCount == 1 && pkType == QLatin1String("INTEGER") ? pkName : QString();
    }
    createFields(columns);
    m_columns.clear();
    m_columnFields.clear();
    for (const QString &c : std::as_const(tableColumns))
        if (Field *f = findField(c); f && !f->isCalculated()) {
            m_columns << c;
            m_columnFields << f->index();
        }
    resolveOrder();
    m_rangeActive = false;
    m_rangeStart.clear();
    m_rangeEnd.clear();
    invalidateCounts();
    internalFirst();
}

void Table::internalClose()
{
    m_hasRow = false;
    m_rowId = 0;
    m_orderRaw.clear();
    invalidateCounts();
    m_window.clear();
}

int Table::columnOf(const QString &field) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString Table::selectList() const
{
    QStringList cols{QStringLiteral("_rowid_")};
    for (const QString &c : m_columns)
        cols << quoted(c);
    for (const QString &c : fullOrder(m_order, m_primaryKey))
        cols << quoted(c);
    return cols.join(QLatin1Char(','));
}

Table::Cond Table::baseWhere() const
{
    Cond c;
    QStringList parts;
    if (m_rangeActive) {
        for (int i = 0; i < m_order.size(); ++i) {
            const QVariant lo = m_rangeStart.value(i), hi = m_rangeEnd.value(i);
            const Field *f = findField(m_order[i]);
            if (i < m_rangeStart.size() && !isNull(lo)) {
                parts << quoted(m_order[i]) + QStringLiteral(" >= ?");
                c.params << toSqlValue(f ? f->convert(lo) : lo);
            }
            if (i < m_rangeEnd.size() && !isNull(hi)) {
                parts << quoted(m_order[i]) + QStringLiteral(" <= ?");
                c.params << toSqlValue(f ? f->convert(hi) : hi);
            }
        }
    }
    // The filter is written in the book's SQL dialect like every other SQL
    // text (month-first dates, True/False): the same rewrite makes it SQLite's.
    if (m_filtered && !m_filterText.isEmpty())
        parts << QLatin1Char('(') + LocalSql::translate(m_filterText) + QLatin1Char(')');
    c.sql = parts.join(QStringLiteral(" AND "));
    return c;
}

static QString joinWhere(const QString &a, const QString &b)
{
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    return a + QStringLiteral(" AND ") + b;
}

bool Table::fetchOne(const Cond &extra, bool descending, QVector<QVariant> *into, qlonglong *rowId) const
{
    const Cond base = baseWhere();
    const QString where = joinWhere(base.sql, extra.sql);
    QStringList order;
    for (const QString &c : fullOrder(m_order, m_primaryKey))
        order << quoted(c) + (descending ? QStringLiteral(" DESC") : QString());
    const QString sql = QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT 1")
                            .arg(selectList(), quoted(m_sqlName),
                                 where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where,
                                 order.join(QLatin1Char(',')));
    Statement st(m_db, sql);
    int i = 1;
    for (const QVariant &p : base.params)
        st.bind(i++, p);
    for (const QVariant &p : extra.params)
        st.bind(i++, p);
    if (!st.next())
        return false;
    if (rowId)
        *rowId = st.intValue(0);
    if (into) {
        into->fill(QVariant(), fieldCount());
        for (int c = 0; c < m_columns.size(); ++c) {
            const QVariant raw = st.value(c + 1);
            try {
                (*into)[m_columnFields[c]] = field(m_columnFields[c])->convert(raw);
            } catch (const EDataSetError &) {
                (*into)[m_columnFields[c]] = raw;
            }
        }
        const int first = 1 + int(m_columns.size());
        const int n = int(fullOrder(m_order, m_primaryKey).size());
        QVariantList raw;
        for (int k = 0; k < n; ++k)
            raw << st.value(first + k);
        const_cast<Table *>(this)->m_fetchedOrder = raw;
    }
    return true;
}

bool Table::loadRow(const Cond &extra, bool descending)
{
    QVector<QVariant> values;
    qlonglong rowId = 0;
    if (!fetchOne(extra, descending, &values, &rowId))
        return false;
    buffer() = values;
    m_rowId = rowId;
    m_orderRaw = m_fetchedOrder;
    m_hasRow = true;
    m_recNoCache = -1;
    return true;
}

bool Table::loadByRowId(qlonglong rowId, bool inRange)
{
    Cond c{QStringLiteral("_rowid_ = ?"), {rowId}};
    if (inRange)
        return loadRow(c, false);
    // A row just written is current even when it left the range or filter.
    const bool saved = m_rangeActive;
    const bool savedFiltered = m_filtered;
    m_rangeActive = false;
    m_filtered = false;
    bool ok = false;
    try {
        ok = loadRow(c, false);
    } catch (...) {
        m_rangeActive = saved;
        m_filtered = savedFiltered;
        throw;
    }
    m_rangeActive = saved;
    m_filtered = savedFiltered;
    return ok;
}

Table::Cond Table::levelCond(const QStringList &order, const QVariantList &at, int level, const QString &test,
                             const QVariant &param)
{
    Cond c;
    QStringList parts;
    for (int i = 0; i < level; ++i) {
        if (isNull(at.value(i))) {
            parts << quoted(order[i]) + QStringLiteral(" IS NULL");
        } else {
            parts << quoted(order[i]) + QStringLiteral(" = ?");
            c.params << at.value(i);
        }
    }
    parts << quoted(order[level]) + test;
    if (param.isValid())
        c.params << param;
    c.sql = parts.join(QStringLiteral(" AND "));
    return c;
}

bool Table::seek(const QVariantList &from, bool forward)
{
    // Lexicographic "after" (or "before") the position, as one indexed query
    // per order column: equal on the leading columns, then greater on the next.
    const QStringList order = fullOrder(m_order, m_primaryKey);
    for (int level = int(order.size()) - 1; level >= 0; --level) {
        const QVariant v = from.value(level);
        QList<Cond> tries;
        if (forward) {
            tries << (isNull(v) ? levelCond(order, from, level, QStringLiteral(" IS NOT NULL"))
                                : levelCond(order, from, level, QStringLiteral(" > ?"), v));
        } else if (!isNull(v)) {
            tries << levelCond(order, from, level, QStringLiteral(" < ?"), v);
            // Empty values sort first, so they come before any value.
            tries << levelCond(order, from, level, QStringLiteral(" IS NULL"));
        }
        for (const Cond &c : std::as_const(tries))
            if (loadRow(c, !forward))
                return true;
    }
    return false;
}

bool Table::step(bool forward)
{
    if (!m_hasRow)
        return false;
    const QVector<QVariant> savedBuffer = buffer();
    const qlonglong savedRow = m_rowId;
    const QVariantList savedOrder = m_orderRaw;
    while (seek(m_orderRaw, forward)) {
        if (acceptRecord(buffer(), false))
            return true;
    }
    buffer() = savedBuffer;
    m_rowId = savedRow;
    m_orderRaw = savedOrder;
    m_hasRow = true;
    return false;
}

bool Table::internalFirst()
{
    return moveToEnd(false);
}

bool Table::internalLast()
{
    return moveToEnd(true);
}

bool Table::moveToEnd(bool last)
{
    m_hasRow = false;
    if (!loadRow(Cond(), last)) {
        m_rowId = 0;
        return false;
    }
    // The row at the end may be filtered out: walk back toward the other end.
    if (acceptRecord(buffer(), false) || step(!last))
        return true;
    m_hasRow = false;
    m_rowId = 0;
    return false;
}

bool Table::internalNext()
{
    return step(true);
}

bool Table::internalPrior()
{
    return step(false);
}

int Table::countWhere(const Cond &extra) const
{
    const Cond base = baseWhere();
    const QString where = joinWhere(base.sql, extra.sql);
    Statement st(m_db, QStringLiteral("SELECT count(*) FROM %1%2")
                           .arg(quoted(m_sqlName), where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where));
    int i = 1;
    for (const QVariant &p : base.params)
        st.bind(i++, p);
    for (const QVariant &p : extra.params)
        st.bind(i++, p);
    st.next();
    return int(st.intValue(0));
}

int Table::internalRecordCount() const
{
    if (m_countCache < 0)
        m_countCache = countWhere(Cond());
    return m_countCache;
}

int Table::internalRecNo() const
{
    if (!m_hasRow)
        return 0;
    if (m_recNoCache > 0)
        return m_recNoCache;
    // Rows before the current one, counted level by level on the index.
    const QStringList order = fullOrder(m_order, m_primaryKey);
    int before = 0;
    for (int level = 0; level < order.size(); ++level) {
        const QVariant v = m_orderRaw.value(level);
        if (isNull(v))
            continue;
        before += countWhere(levelCond(order, m_orderRaw, level, QStringLiteral(" < ?"), v));
        before += countWhere(levelCond(order, m_orderRaw, level, QStringLiteral(" IS NULL")));
    }
    m_recNoCache = before + 1;
    return m_recNoCache;
}

bool Table::internalSetRecNo(int recNo)
{
    if (recNo < 1)
        return false;
    const Cond base = baseWhere();
    QStringList order;
    for (const QString &c : fullOrder(m_order, m_primaryKey))
        order << quoted(c);
    Statement st(m_db, QStringLiteral("SELECT _rowid_ FROM %1%2 ORDER BY %3 LIMIT 1 OFFSET %4")
                           .arg(quoted(m_sqlName),
                                base.sql.isEmpty() ? QString() : QStringLiteral(" WHERE ") + base.sql,
                                order.join(QLatin1Char(',')))
                           .arg(recNo - 1));
    int i = 1;
    for (const QVariant &p : base.params)
        st.bind(i++, p);
    if (!st.next())
        return false;
    if (!loadByRowId(st.intValue(0), true))
        return false;
    m_recNoCache = recNo;
    return true;
}

bool Table::fetchRecord(int recNo, QVector<QVariant> &values) const
{
    if (!isActive() || recNo < 1)
        return false;
    constexpr int WindowSize = 64;
    if (m_windowStart < 0 || recNo < m_windowStart || recNo >= m_windowStart + m_window.size()) {
        const int start = qMax(1, recNo - WindowSize / 4);
        const Cond base = baseWhere();
        QStringList order;
        for (const QString &c : fullOrder(m_order, m_primaryKey))
            order << quoted(c);
        Statement st(m_db, QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT %5 OFFSET %6")
                               .arg(selectList(), quoted(m_sqlName),
                                    base.sql.isEmpty() ? QString() : QStringLiteral(" WHERE ") + base.sql,
                                    order.join(QLatin1Char(',')))
                               .arg(WindowSize)
                               .arg(start - 1));
        int i = 1;
        for (const QVariant &p : base.params)
            st.bind(i++, p);
        m_window.clear();
        while (st.next()) {
            QVector<QVariant> row(fieldCount());
            for (int c = 0; c < m_columns.size(); ++c) {
                const QVariant raw = st.value(c + 1);
                try {
                    row[m_columnFields[c]] = field(m_columnFields[c])->convert(raw);
                } catch (const EDataSetError &) {
                    row[m_columnFields[c]] = raw;
                }
            }
            m_window << row;
        }
        m_windowStart = start;
    }
    const int at = recNo - m_windowStart;
    if (at < 0 || at >= m_window.size())
        return false;
    values = m_window[at];
    return true;
}

void Table::internalPost(bool inserting, bool)
{
    const QVector<QVariant> &values = buffer();
    QStringList names;
    QVariantList params;
    for (int c = 0; c < m_columns.size(); ++c) {
        const int f = m_columnFields[c];
        const QVariant v = values.value(f);
        if (inserting) {
            if (isNull(v))
                continue;
        } else {
            const QVariant old = savedBuffer().value(f);
            if (isNull(v) == isNull(old) && (isNull(v) || compareValues(v, old) == 0))
                continue;
        }
        names << m_columns[c];
        params << toSqlValue(v);
    }
    qlonglong rowId = m_rowId;
    if (inserting) {
        QStringList cols, marks;
        for (const QString &n : std::as_const(names)) {
            cols << quoted(n);
            marks << QStringLiteral("?");
        }
        Statement st(m_db, names.isEmpty()
                               ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_sqlName))
                               : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(quoted(m_sqlName), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params[i]);
        st.exec();
        rowId = m_db.lastInsertRowId();
    } else if (!names.isEmpty()) {
        QStringList sets;
        for (const QString &n : std::as_const(names))
            sets << quoted(n) + QStringLiteral(" = ?");
        Statement st(m_db, QStringLiteral("UPDATE %1 SET %2 WHERE _rowid_ = ?")
                               .arg(quoted(m_sqlName), sets.join(QLatin1Char(','))));
        int i = 1;
        for (const QVariant &p : std::as_const(params))
            st.bind(i++, p);
        st.bind(i, m_rowId);
        st.exec();
        if (m_db.changes() == 0)
            throw EDataSetError(QStringLiteral("レコードが見つかりません。他のユーザーによって削除されました"));
        if (!m_primaryKey.isEmpty())
            if (Field *k = findField(m_primaryKey))
                rowId = values.value(k->index()).toLongLong();
    }
    invalidateCounts();
    // Calculated fields of the buffer stay; the data comes back as stored.
    const QVector<QVariant> posted = values;
    if (!loadByRowId(rowId, false))
        throw EDataSetError(QStringLiteral("レコードが見つかりません"));
    for (int f = 0; f < fieldCount(); ++f)
        if (field(f)->isCalculated())
            buffer()[f] = posted.value(f);
}

bool Table::internalDelete()
{
    Statement st(m_db, QStringLiteral("DELETE FROM %1 WHERE _rowid_ = ?").arg(quoted(m_sqlName)));
    st.bind(1, m_rowId);
    st.exec();
    invalidateCounts();
    const QVariantList at = m_orderRaw;
    m_hasRow = false;
    // The row after the deleted one, else the one before it.
    for (bool forward : {true, false}) {
        m_orderRaw = at;
        m_hasRow = true;
        if (step(forward))
            return true;
    }
    m_hasRow = false;
    m_rowId = 0;
    m_orderRaw.clear();
    return false;
}

bool Table::internalRefetch()
{
    if (!m_hasRow)
        return false;
    const QVector<QVariant> calc = buffer();
    if (!loadByRowId(m_rowId, false))
        return false;
    for (int f = 0; f < fieldCount(); ++f)
        if (field(f)->isCalculated())
            buffer()[f] = calc.value(f);
    return true;
}

void Table::internalRefresh()
{
    invalidateCounts();
    if (m_hasRow && loadByRowId(m_rowId, true))
        return;
    if (m_hasRow) {
        // The current row went away: its neighbour in the order.
        const QVariantList at = m_orderRaw;
        if (seek(at, true) || seek(at, false))
            return;
    }
    internalFirst();
}

Bookmark Table::internalBookmark() const
{
    return m_hasRow ? Bookmark(m_rowId) : Bookmark();
}

bool Table::internalGotoBookmark(const Bookmark &bookmark)
{
    return loadByRowId(bookmark.toLongLong(), true);
}

bool Table::internalBookmarkValid(const Bookmark &bookmark) const
{
    return fetchOne(Cond{QStringLiteral("_rowid_ = ?"), {bookmark.toLongLong()}}, false, nullptr, nullptr);
}

Bookmark Table::internalLocate(const QList<int> &fields, const QVariantList &values, LocateOptions options,
                               QVariantList *result, const QList<int> &resultFields)
{
    Cond c;
    QStringList parts;
    for (int i = 0; i < fields.size(); ++i) {
        Field *f = field(fields[i]);
        if (f->isCalculated())
            throw EDataSetError(QStringLiteral("計算フィールド '%1' では検索できません").arg(f->fieldName()));
        const bool text = f->dataType() == FieldType::String || f->dataType() == FieldType::Memo;
        const QString col = quoted(f->fieldName());
        if (text && options.testFlag(LocateOption::PartialKey)) {
            const QString key = values[i].toString();
            if (options.testFlag(LocateOption::CaseInsensitive)) {
                QString pattern = key;
                pattern.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                    .replace(QLatin1Char('%'), QStringLiteral("\\%"))
                    .replace(QLatin1Char('_'), QStringLiteral("\\_"));
                parts << col + QStringLiteral(" LIKE ? ESCAPE '\\'");
                c.params << pattern + QLatin1Char('%');
            } else {
                parts << QStringLiteral("substr(%1, 1, %2) = ?").arg(col).arg(key.size());
                c.params << key;
            }
            continue;
        }
        QVariant v;
        try {
            v = f->convert(values[i]);
        } catch (const EDataSetError &) {
            return Bookmark();
        }
        if (isNull(v)) {
            parts << col + QStringLiteral(" IS NULL");
        } else {
            parts << col + (text && options.testFlag(LocateOption::CaseInsensitive) ? QStringLiteral(" = ? COLLATE NOCASE")
                                                                                    : QStringLiteral(" = ?"));
            c.params << toSqlValue(v);
        }
    }
    c.sql = parts.join(QStringLiteral(" AND "));
    QVector<QVariant> row;
    qlonglong rowId = 0;
    if (OnFilterRecord && m_filtered) {
        // A record filter can only be asked row by row.
        const Cond base = baseWhere();
        const QString where = joinWhere(base.sql, c.sql);
        QStringList order;
        for (const QString &o : fullOrder(m_order, m_primaryKey))
            order << quoted(o);
        Statement st(m_db, QStringLiteral("SELECT _rowid_ FROM %1%2 ORDER BY %3")
                               .arg(quoted(m_sqlName), where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where,
                                    order.join(QLatin1Char(','))));
        int i = 1;
        for (const QVariant &p : base.params)
            st.bind(i++, p);
        for (const QVariant &p : c.params)
            st.bind(i++, p);
        bool found = false;
        while (st.next()) {
            const qlonglong id = st.intValue(0);
            if (fetchOne(Cond{QStringLiteral("_rowid_ = ?"), {id}}, false, &row, &rowId) && acceptRecord(row, false)) {
                found = true;
                break;
            }
        }
        if (!found)
            return Bookmark();
    } else if (!fetchOne(c, false, &row, &rowId)) {
        return Bookmark();
    }
    if (result)
        for (int f : resultFields)
            *result << row.value(f);
    return Bookmark(rowId);
}

void Table::filterChanged()
{
    invalidateCounts();
    internalFirst();
}

void Table::setRange(const QVariant &start, const QVariant &end)
{
    if (isActive())
        checkBrowseMode();
    m_rangeStart = asList(start);
    m_rangeEnd = asList(end);
    if (m_rangeStart.size() > m_order.size() || m_rangeEnd.size() > m_order.size())
        throw EDataSetError(QStringLiteral("範囲の値がインデックスのフィールドより多すぎます"));
    m_rangeActive = true;
    invalidateCounts();
    if (isActive())
        first();
}

void Table::cancelRange()
{
    if (!m_rangeActive)
        return;
    if (isActive())
        checkBrowseMode();
    m_rangeActive = false;
    m_rangeStart.clear();
    m_rangeEnd.clear();
    if (isActive()) {
        invalidateCounts();
        if (!internalRefetch())
            internalFirst();
        resync();
    }
}

bool Table::findKey(const QVariant &keyValues)
{
    const QVariantList values = asList(keyValues);
    if (values.size() > m_order.size() || values.isEmpty())
        throw EDataSetError(QStringLiteral("キーの値の数がインデックスと合いません"));
    return locate(m_order.mid(0, values.size()).join(QLatin1Char(';')), values.size() == 1 ? values.first() : QVariant(values));
}

void Table::findNearest(const QVariant &keyValues)
{
    const QVariantList values = asList(keyValues);
    if (values.size() > m_order.size() || values.isEmpty())
        throw EDataSetError(QStringLiteral("キーの値の数がインデックスと合いません"));
    // First row whose leading columns are at or after the values: the first
    // of the equal rows, else the next after them.
    QVariantList at;
    for (int i = 0; i < values.size(); ++i) {
        const Field *f = findField(m_order[i]);
        at << toSqlValue(f ? f->convert(values[i]) : values[i]);
    }
    QStringList parts;
    Cond c;
    for (int i = 0; i < at.size(); ++i) {
        if (isNull(at[i])) {
            parts << quoted(m_order[i]) + QStringLiteral(" IS NULL");
        } else {
            parts << quoted(m_order[i]) + QStringLiteral(" = ?");
            c.params << at[i];
        }
    }
    c.sql = parts.join(QStringLiteral(" AND "));
    qlonglong rowId = 0;
    Bookmark target;
    if (fetchOne(c, false, nullptr, &rowId)) {
        target = Bookmark(rowId);
    } else {
        const QVector<QVariant> savedBuffer = buffer();
        const qlonglong savedRow = m_rowId;
        const QVariantList savedOrder = m_orderRaw;
        const bool savedHas = m_hasRow;
        QVariantList from = at;
        // No row equals the values, so "after the values followed by an empty
        // tie-breaker" is the first row after them.
        const QStringList savedOrderCols = m_order;
        m_order = m_order.mid(0, at.size());
        bool found = false;
        try {
            found = seek(from, true);
        } catch (...) {
            m_order = savedOrderCols;
            throw;
        }
        const qlonglong hit = m_rowId;
        m_order = savedOrderCols;
        buffer() = savedBuffer;
        m_rowId = savedRow;
        m_orderRaw = savedOrder;
        m_hasRow = savedHas;
        if (found)
            target = Bookmark(hit);
    }
    if (target.isValid())
        gotoBookmark(target);
    else
        last();
}

void Table::emptyTable()
{
    if (isActive())
        cancel();
    m_db.exec(QStringLiteral("DELETE FROM %1").arg(quoted(m_sqlName)));
    if (isActive()) {
        invalidateCounts();
        m_hasRow = false;
        m_rowId = 0;
        internalFirst();
        resync();
    }
}
