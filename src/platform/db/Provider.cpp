#include "platform/db/Provider.h"

#include <QRegularExpression>

#include "platform/db/ClientDataSet.h"
#include "platform/db/Database.h"
#include "platform/db/LocalSql.h"

namespace {

QString quoted(const QString &identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    const bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
    if (an || bn)
        return an == bn;
    return compareValues(a, b) == 0;
}

struct TableInfo
{
    QStringList columns;
    QStringList primaryKey;
};

TableInfo tableInfo(Database &db, const QString &table)
{
    TableInfo info;
    Statement st(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)));
    while (st.next()) {
        info.columns << st.textValue(1);
        if (st.intValue(5) > 0)
            info.primaryKey << st.textValue(1);
    }
    if (info.columns.isEmpty())
        throw EDatabaseError(QStringLiteral("テーブル %1 がありません").arg(table));
    return info;
}

} // namespace

Provider::Provider(Query &query, const QString &updateTable) : m_query(query), m_updateTable(updateTable) {}

QString Provider::targetTable() const
{
    QString name = m_updateTable;
    if (name.isEmpty()) {
        static const QRegularExpression from(QStringLiteral(R"(\bFROM\s+("(?:[^"]|"")+"|[\w.]+))"),
                                             QRegularExpression::CaseInsensitiveOption);
        const auto m = from.match(m_query.sqlText());
        if (!m.hasMatch())
            throw EDataSetError(QStringLiteral("更新するテーブルが分かりません"));
        name = m.captured(1);
        if (name.startsWith(QLatin1Char('"')))
            name = name.mid(1, name.size() - 2);
    }
    const QString t = LocalSql::tableName(name);
    return t.isEmpty() ? name : t;
}

void Provider::fetch(ClientDataSet &client)
{
    m_query.close();
    if (!client.commandText().isEmpty())
        m_query.SQL = client.commandText().split(QLatin1Char('\n'));
    for (const Param &p : client.params())
        if (Param *q = m_query.findParam(p.name()))
            q->setValue(p.value());
    m_query.open();
    QList<FieldDef> defs;
    for (Field *f : m_query.fields())
        defs << f->def();
    client.createFields(defs);
    bool anyKey = false;
    for (Field *f : client.fields())
        anyKey = anyKey || f->isKey();
    if (!anyKey) {
        try {
            const TableInfo info = tableInfo(m_query.database(), targetTable());
            for (const QString &k : info.primaryKey)
                if (Field *f = client.findField(k))
                    f->setKey(true);
        } catch (const std::exception &) {
            // A result that is not one table's rows can still be read; its
            // apply will say that no key is known.
        }
    }
    // Data fields and internal calculated fields take the query's column of the
    // same name (a list query can deliver what its rows show beside the table's
    // columns); calculated fields are the client's own.
    QList<int> map;
    for (Field *f : client.fields()) {
        Field *src = f->kind() == FieldKind::Calculated ? nullptr : m_query.findField(f->fieldName());
        map << (src ? src->index() : -1);
    }
    QVector<QVariant> src;
    const int count = m_query.recordCount();
    for (int r = 1; r <= count; ++r) {
        m_query.fetchRecord(r, src);
        QVector<QVariant> values(client.fieldCount());
        for (int i = 0; i < values.size(); ++i)
            if (map[i] >= 0) {
                try {
                    values[i] = client.field(i)->convert(src[map[i]]);
                } catch (const EDataSetError &) {
                    values[i] = src[map[i]];
                }
            }
        client.addRow(values);
    }
    m_query.close();
}

int Provider::applyUpdates(ClientDataSet &client, int maxErrors)
{
    Database &db = m_query.database();
    const QString table = targetTable();
    const TableInfo info = tableInfo(db, table);

    QList<int> keys, data;
    for (Field *f : client.fields()) {
        if (f->isCalculated() || !info.columns.contains(f->fieldName(), Qt::CaseInsensitive))
            continue;
        data << f->index();
        if (f->isKey())
            keys << f->index();
    }
    if (keys.isEmpty())
        for (const QString &k : info.primaryKey)
            if (Field *f = client.findField(k))
                keys << f->index();

    std::vector<std::shared_ptr<MemoryRow>> pending;
    for (const auto &row : client.store()->rows)
        if (row->status != UpdateStatus::Unmodified)
            pending.push_back(row);
    if (pending.empty())
        return 0;
    if (keys.isEmpty())
        throw EDataSetError(QStringLiteral("テーブル %1 の行を特定するキーがありません").arg(table));

    auto keyWhere = [&](const MemoryRow &row, QVariantList &params) {
        QStringList parts;
        for (int k : keys) {
            const QVariant v = row.original.value(k);
            if (!v.isValid()) {
                parts << quoted(client.field(k)->fieldName()) + QStringLiteral(" IS NULL");
            } else {
                parts << quoted(client.field(k)->fieldName()) + QStringLiteral(" = ?");
                params << toSqlValue(v);
            }
        }
        return parts.join(QStringLiteral(" AND "));
    };
    // The table's row as the client's fields read it; false when it is gone.
    auto readCurrent = [&](const MemoryRow &row, QVector<QVariant> &cur) {
        QStringList cols;
        for (int f : data)
            cols << quoted(client.field(f)->fieldName());
        QVariantList params;
        const QString where = keyWhere(row, params);
        Statement st(db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 LIMIT 1")
                             .arg(cols.join(QLatin1Char(',')), quoted(table), where));
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params[i]);
        if (!st.next())
            return false;
        cur = row.values;
        for (int i = 0; i < data.size(); ++i) {
            try {
                cur[data[i]] = client.field(data[i])->convert(st.value(i));
            } catch (const EDataSetError &) {
                cur[data[i]] = st.value(i);
            }
        }
        return true;
    };
    auto changedFields = [&](const MemoryRow &row) {
        QList<int> changed;
        for (int f : data)
            if (!sameValue(row.values.value(f), row.original.value(f)))
                changed << f;
        return changed;
    };
    // Checks the row read against the table's; fills cur and the error.
    auto check = [&](const MemoryRow &row, const QList<int> &compare, QVector<QVariant> &cur, ReconcileError &err) {
        if (!readCurrent(row, cur)) {
            cur.clear();
            err.conflict = true;
            err.rowMissing = true;
            err.message = QStringLiteral("レコードが見つかりません。他のユーザーによって削除されました");
            return false;
        }
        if (m_mode == UpdateMode::WhereKeyOnly)
            return true;
        for (int f : compare)
            if (!sameValue(cur.value(f), row.original.value(f))) {
                err.conflict = true;
                err.message = QStringLiteral("レコードは他のユーザーによって変更されています");
                return false;
            }
        return true;
    };
    auto bindAll = [](Statement &st, const QVariantList &params) {
        for (int i = 0; i < params.size(); ++i)
            st.bind(i + 1, params[i]);
    };
    auto applyRow = [&](MemoryRow &row, UpdateKind kind, QVector<QVariant> &cur, ReconcileError &err) {
        cur.clear();
        err = ReconcileError();
        try {
            if (kind == UpdateKind::Insert) {
                QStringList cols, marks;
                QVariantList params;
                for (int f : data)
                    if (row.values.value(f).isValid()) {
                        cols << quoted(client.field(f)->fieldName());
                        marks << QStringLiteral("?");
                        params << toSqlValue(row.values.value(f));
                    }
                Statement st(db, cols.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(table))
                                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                      .arg(quoted(table), cols.join(QLatin1Char(',')),
                                                           marks.join(QLatin1Char(','))));
                bindAll(st, params);
                st.exec();
                // A key the table numbered comes back into the row.
                if (keys.size() == 1 && !row.values.value(keys.first()).isValid())
                    row.values[keys.first()] = client.field(keys.first())->convert(db.lastInsertRowId());
                return true;
            }
            const QList<int> changed = changedFields(row);
            if (kind == UpdateKind::Modify && changed.isEmpty())
                return true;   // nothing to write
            const QList<int> compare = m_mode == UpdateMode::WhereChanged && kind == UpdateKind::Modify ? changed : data;
            if (!check(row, compare, cur, err))
                return false;
            QVariantList params;
            QString sql;
            if (kind == UpdateKind::Delete) {
                const QString where = keyWhere(row, params);
                sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(quoted(table), where);
            } else {
                QStringList sets;
                for (int f : changed) {
                    sets << quoted(client.field(f)->fieldName()) + QStringLiteral(" = ?");
                    params << toSqlValue(row.values.value(f));
                }
                const QString where = keyWhere(row, params);
                sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(quoted(table), sets.join(QLatin1Char(',')), where);
            }
            Statement st(db, sql);
            bindAll(st, params);
            st.exec();
            return true;
        } catch (const EDatabaseError &e) {
            // A busy book, a full disk, damage, or a transaction the engine
            // already rolled back is no row's fault: the whole apply ends, or
            // the later rows would be written outside any transaction.
            if (e.isBusy() || e.endsTransaction() || !db.inTransaction())
                throw;
            err.message = e.message();
            return false;
        }
    };

    const bool nested = db.inTransaction();
    if (nested)
        db.exec(QStringLiteral("SAVEPOINT pz_apply"));
    else
        db.begin(Database::TransactionMode::Immediate);
    // Keys the table gave inserted rows go back with the rows.
    auto forgetGivenKeys = [keys](const std::vector<std::shared_ptr<MemoryRow>> &rows) {
        for (const auto &row : rows)
            if (row->status == UpdateStatus::Inserted)
                for (int k : keys)
                    if (!row->original.value(k).isValid())
                        row->values[k] = QVariant();
    };
    auto rollback = [&] {
        // After some errors the engine has already rolled the caller's whole
        // transaction back; there is no savepoint left to return to then.
        if (nested) {
            if (db.inTransaction()) {
                try {
                    db.exec(QStringLiteral("ROLLBACK TO pz_apply"));
                    db.exec(QStringLiteral("RELEASE pz_apply"));
                } catch (const EDatabaseError &) {
                    // The caller's transaction ends in error anyway and rolls back.
                }
            }
        } else {
            db.rollback();
        }
    };

    int errors = 0;
    bool stop = false;
    m_applied = 0;
    std::vector<std::shared_ptr<MemoryRow>> applied;
    try {
        for (const auto &row : pending) {
            const UpdateKind kind = row->status == UpdateStatus::Inserted ? UpdateKind::Insert
                : row->status == UpdateStatus::Deleted                   ? UpdateKind::Delete
                                                                         : UpdateKind::Modify;
            QVector<QVariant> cur;
            ReconcileError err;
            // A correction or merge is tried again; a handler that keeps
            // answering so cannot loop for ever.
            for (int attempt = 0; attempt < 8; ++attempt) {
                if (applyRow(*row, kind, cur, err)) {
                    applied.push_back(row);
                    break;
                }
                ++errors;
                ReconcileAction action = ReconcileAction::Skip;
                if (client.OnReconcileError) {
                    client.beginReconcile(row.get(), kind, &cur);
                    try {
                        action = client.OnReconcileError(client, kind, err);
                    } catch (...) {
                        client.endReconcile();
                        throw;
                    }
                    client.endReconcile();
                }
                bool retry = false;
                switch (action) {
                case ReconcileAction::Skip:
                    break;
                case ReconcileAction::Abort:
                    stop = true;
                    break;
                case ReconcileAction::Merge:
                    if (!err.rowMissing && !cur.isEmpty()) {
                        // The table's values become the basis; the columns this
                        // row changed keep the row's values.
                        const QList<int> changed = changedFields(*row);
                        for (int f : data)
                            if (!changed.contains(f))
                                row->values[f] = cur[f];
                        for (int f : data)
                            row->original[f] = cur[f];
                        retry = true;
                    }
                    break;
                case ReconcileAction::Correct:
                    retry = true;
                    break;
                case ReconcileAction::Cancel:
                    client.revertRow(row);
                    break;
                case ReconcileAction::Refresh: {
                    client.revertRow(row);
                    auto &rows = client.store()->rows;
                    auto it = std::find(rows.begin(), rows.end(), row);
                    if (it != rows.end()) {
                        if (err.rowMissing || cur.isEmpty()) {
                            rows.erase(it);
                        } else {
                            row->values = cur;
                            row->original = cur;
                        }
                    }
                    ++client.store()->version;
                    break;
                }
                }
                if (maxErrors >= 0 && errors > maxErrors)
                    stop = true;
                if (stop || !retry)
                    break;
            }
            if (stop)
                break;
        }
    } catch (...) {
        rollback();
        forgetGivenKeys(applied);
        throw;
    }
    if (stop) {
        // Nothing of this apply reaches the table, and every change stays
        // in the log.
        rollback();
        forgetGivenKeys(applied);
        return errors;
    }
    m_applied = int(applied.size());
    if (nested) {
        // Written, but not yet kept: the log forgets these rows only when the
        // caller's transaction commits. A failed commit leaves every line
        // pending, to be saved again.
        db.exec(QStringLiteral("RELEASE pz_apply"));
        std::weak_ptr<int> alive = client.lifeToken();
        ClientDataSet *target = &client;
        db.afterCommit(
            [alive, target, applied] {
                if (!alive.expired())
                    target->finishApplied(applied);
            },
            [alive, applied, forgetGivenKeys] {
                if (!alive.expired())
                    forgetGivenKeys(applied);
            });
    } else {
        db.commit();
        client.rowsApplied(applied);
    }
    return errors;
}
