#include "platform/db/Query.h"

#include <sqlcipher/sqlite3.h>

#include <QRegularExpression>

#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

namespace {

// ":Name" parameters of a text, in order, skipping quoted literals and "::".
QStringList parameterNames(const QString &text)
{
    QStringList names;
    QChar quote;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            continue;
        }
        if (c != QLatin1Char(':'))
            continue;
        if (i + 1 < text.size() && text[i + 1] == QLatin1Char(':')) {
            ++i;
            continue;
        }
        int j = i + 1;
        while (j < text.size() && (text[j].isLetterOrNumber() || text[j] == QLatin1Char('_')))
            ++j;
        if (j > i + 1) {
            const QString name = text.mid(i + 1, j - i - 1);
            if (!names.contains(name, Qt::CaseInsensitive))
                names << name;
        }
        i = j - 1;
    }
    return names;
}

QString sqlTableOf(const QString &name)
{
    const QString t = LocalSql::tableName(name);
    return t.isEmpty() ? name : t;
}

QString quoted(const QString &identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

Query::Query(Database &db) : m_db(db) {}

Query::~Query()
{
    closeQuietly();
}

void Query::syncParams()
{
    const QString text = sqlText();
    if (text == m_paramSource)
        return;
    m_paramSource = text;
    QList<Param> fresh;
    for (const QString &n : parameterNames(text)) {
        Param p(n);
        for (const Param &old : std::as_const(m_params))
            if (old.name().compare(n, Qt::CaseInsensitive) == 0)
                p.setValue(old.value());
        fresh << p;
    }
    m_params = fresh;
}

QList<Param> &Query::params()
{
    syncParams();
    return m_params;
}

Param *Param::find(QList<Param> &params, const QString &name)
{
    QString n = name;
    if (n.startsWith(QLatin1Char(':')))
        n.remove(0, 1);
    for (Param &p : params)
        if (p.name().compare(n, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

Param *Query::findParam(const QString &name)
{
    syncParams();
    return Param::find(m_params, name);
}

Param &Query::paramByName(const QString &name)
{
    Param *p = findParam(name);
    if (!p)
        throw EDataSetError(QStringLiteral("パラメータ '%1' が見つかりません").arg(name));
    return *p;
}

QString Query::preparedText() const
{
    return LocalSql::translate(sqlText());
}

static void bindParams(Statement &st, const QList<Param> &params)
{
    for (int i = 1; i <= st.parameterCount(); ++i) {
        QString n = st.parameterName(i);
        if (n.isEmpty())
            continue;
        n.remove(0, 1);
        QVariant v;
        for (const Param &p : params)
            if (p.name().compare(n, Qt::CaseInsensitive) == 0)
                v = p.value();
        st.bind(i, toSqlValue(v));
    }
}

void Query::execSQL()
{
    if (isActive())
        close();
    syncParams();
    // A text that adds several columns at once comes back from the rewrite as
    // several statements; run them in turn, inside one transaction when there is
    // more than one, so a failure in the middle leaves the table as it was.
    const QStringList parts = LocalSql::statements(sqlText());
    if (parts.size() <= 1) {
        Statement st(m_db, parts.isEmpty() ? preparedText() : parts.first());
        bindParams(st, m_params);
        st.exec();
        m_rowsAffected = m_db.changes();
        return;
    }
    const bool own = !m_db.inTransaction();
    if (own)
        m_db.begin();
    try {
        int affected = 0;
        for (const QString &part : parts) {
            Statement st(m_db, part);
            bindParams(st, m_params);
            st.exec();
            affected += m_db.changes();
        }
        if (own)
            m_db.commit();
        m_rowsAffected = affected;
    } catch (...) {
        if (own)
            m_db.rollback();
        throw;
    }
}

bool Query::canModify() const
{
    return m_live && !readOnly();
}

void Query::internalOpen()
{
    syncParams();
    QString text = preparedText();
    m_liveTable.clear();
    m_liveKey.clear();
    m_readRowId = false;
    QStringList tableColumns;
    if (m_live) {
        if (!m_updateTable.isEmpty()) {
            m_liveTable = sqlTableOf(m_updateTable);
        } else {
            static const QRegularExpression from(QStringLiteral(R"(\bFROM\s+("(?:[^"]|"")+"|[\w.]+))"),
                                                 QRegularExpression::CaseInsensitiveOption);
            const auto m = from.match(text);
            if (m.hasMatch()) {
                QString t = m.captured(1);
                if (t.startsWith(QLatin1Char('"')))
                    t = t.mid(1, t.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
                m_liveTable = sqlTableOf(t);
            }
        }
        if (m_liveTable.isEmpty())
            throw EDataSetError(QStringLiteral("更新するテーブルが分かりません"));
        Statement info(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_liveTable)));
        int pkCount = 0;
        while (info.next()) {
            tableColumns << info.textValue(1);
            if (info.intValue(5) > 0) {
                ++pkCount;
                m_liveKey = info.textValue(1);
            }
        }
        if (pkCount != 1)
            m_liveKey.clear();
        if (m_liveKey.isEmpty()) {
            // An unkeyed table: read each row's rowid alongside, to write it back.
            static const QRegularExpression select(QStringLiteral(R"(^\s*SELECT\s+)"),
                                                   QRegularExpression::CaseInsensitiveOption);
            const auto m = select.match(text);
            if (!m.hasMatch())
                throw EDataSetError(QStringLiteral("更新できる問い合わせではありません"));
            text = text.left(m.capturedEnd()) + QStringLiteral("%1._rowid_ AS pz_rowid__, ").arg(quoted(m_liveTable))
                + text.mid(m.capturedEnd());
            m_readRowId = true;
        }
    }

    Statement st(m_db, text);
    bindParams(st, m_params);
    const int columns = st.columnCount();
    QList<QVariantList> raw;
    while (st.next()) {
        QVariantList r;
        r.reserve(columns);
        for (int c = 0; c < columns; ++c)
            r << st.value(c);
        raw << r;
    }
    QList<FieldDef> defs;
    QList<int> sourceColumn;
    const int first = m_readRowId ? 1 : 0;
    for (int c = first; c < columns; ++c) {
        FieldDef d;
        d.name = st.columnName(c);
        const char *decl = sqlite3_column_decltype(st.handle(), c);
        if (decl) {
            d.type = fieldTypeFromDeclared(QString::fromUtf8(decl), &d.size);
        } else {
            // An expression has no declared type, and SQLite types each value on
            // its own: a grouped SUM(CASE ... ELSE 0 END) is an integer 0 in one
            // group and 12.75 in the next. The column takes the widest type of
            // all its values, so no value is rounded to fit the first one.
            bool anyValue = false, anyReal = false, anyText = false;
            for (const QVariantList &r : std::as_const(raw)) {
                const QVariant v = r[c];
                if (!v.isValid() || v.isNull())
                    continue;
                anyValue = true;
                if (v.typeId() == QMetaType::Double)
                    anyReal = true;
                else if (v.typeId() != QMetaType::LongLong)
                    anyText = true;
            }
            d.type = !anyValue || anyText ? FieldType::String
                : anyReal                 ? FieldType::Float
                                          : FieldType::Integer;
        }
        d.key = !m_liveKey.isEmpty() && d.name.compare(m_liveKey, Qt::CaseInsensitive) == 0;
        defs << d;
    }
    createFields(defs);
    QList<int> fieldToColumn;
    for (int f = 0; f < fieldCount(); ++f) {
        int col = -1;
        if (!field(f)->isCalculated())
            for (int c = first; c < columns; ++c)
                if (st.columnName(c).compare(field(f)->fieldName(), Qt::CaseInsensitive) == 0) {
                    col = c;
                    break;
                }
        fieldToColumn << col;
    }
    clearRows();
    for (const QVariantList &r : std::as_const(raw)) {
        QVector<QVariant> values(fieldCount());
        for (int f = 0; f < fieldCount(); ++f) {
            const int c = fieldToColumn[f];
            if (c < 0)
                continue;
            try {
                values[f] = field(f)->convert(r[c]);
            } catch (const EDataSetError &) {
                values[f] = r[c];   // keep what the book holds rather than lose it
            }
        }
        MemoryRow &row = addRow(values);
        if (m_readRowId)
            row.sourceRowId = r[0].toLongLong();
    }
    m_rowsAffected = 0;
    internalFirst();
}

void Query::internalRefresh()
{
    const int recNo = internalRecNo();
    internalClose();
    internalOpen();
    if (recNo > 1)
        internalSetRecNo(qMin(recNo, internalRecordCount()));
}

void Query::writeRow(MemoryRow &row, bool inserting, QVector<QVariant> &values)
{
    if (!m_live)
        throw EDataSetError(QStringLiteral("読み取り専用のデータセットは変更できません"));
    QStringList tableColumns;
    {
        Statement info(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_liveTable)));
        while (info.next())
            tableColumns << info.textValue(1);
    }
    QStringList names;
    QVariantList params;
    int keyField = -1;
    for (int f = 0; f < fieldCount(); ++f) {
        Field *fd = field(f);
        if (fd->isCalculated() || !tableColumns.contains(fd->fieldName(), Qt::CaseInsensitive))
            continue;
        if (!m_liveKey.isEmpty() && fd->fieldName().compare(m_liveKey, Qt::CaseInsensitive) == 0)
            keyField = f;
        if (!inserting && compareValues(row.values.value(f), values.value(f)) == 0
            && row.values.value(f).isValid() == values.value(f).isValid())
            continue;
        if (inserting && !values.value(f).isValid())
            continue;
        names << fd->fieldName();
        params << toSqlValue(values.value(f));
    }
    if (inserting) {
        QStringList marks;
        QStringList cols;
        for (int i = 0; i < names.size(); ++i) {
            marks << QStringLiteral("?");
            cols << quoted(names[i]);
        }
        const QString sql = names.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_liveTable))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quoted(m_liveTable), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        Statement st(m_db, sql);
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params[i]);
        st.exec();
        const qlonglong rowId = m_db.lastInsertRowId();
        row.sourceRowId = rowId;
        if (keyField >= 0 && !values.value(keyField).isValid())
            values[keyField] = field(keyField)->convert(rowId);
        return;
    }
    if (names.isEmpty())
        return;
    QStringList sets;
    for (const QString &n : std::as_const(names))
        sets << quoted(n) + QStringLiteral(" = ?");
    QString where;
    if (keyField >= 0) {
        where = quoted(m_liveKey) + QStringLiteral(" = ?");
        params << toSqlValue(row.values.value(keyField));
    } else {
        where = QStringLiteral("_rowid_ = ?");
        params << row.sourceRowId;
    }
    Statement st(m_db, QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(quoted(m_liveTable), sets.join(QLatin1Char(',')), where));
    for (int i = 0; i < params.size(); ++i)
        st.bind(i + 1, params[i]);
    st.exec();
    if (m_db.changes() == 0)
        throw EDataSetError(QStringLiteral("レコードが見つかりません。他のユーザーによって削除されました"));
}

bool Query::removeRow(MemoryRow &row)
{
    if (!m_live)
        throw EDataSetError(QStringLiteral("読み取り専用のデータセットは変更できません"));
    int keyField = -1;
    if (!m_liveKey.isEmpty())
        if (Field *f = findField(m_liveKey))
            keyField = f->index();
    if (keyField >= 0) {
        Statement st(m_db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoted(m_liveTable), quoted(m_liveKey)));
        st.bind(1, toSqlValue(row.values.value(keyField)));
        st.exec();
    } else {
        Statement st(m_db, QStringLiteral("DELETE FROM %1 WHERE _rowid_ = ?").arg(quoted(m_liveTable)));
        st.bind(1, row.sourceRowId);
        st.exec();
    }
    return true;
}
