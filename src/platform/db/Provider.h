#pragma once

#include <QString>

#include "platform/db/Query.h"

class ClientDataSet;

// Reads rows for a client data set from a Query and applies its change log to
// one table. Rows are found by the client's key fields (the fields flagged key,
// else the table's primary key). How a changed or deleted row is checked first:
// WhereAll compares every column read with the table's row (a conflict when any
// differs or the row is gone), WhereChanged only the changed columns,
// WhereKeyOnly only that the row exists. A modified row whose columns all equal
// their original values is no write.
class Provider
{
public:
    enum class UpdateMode { WhereAll, WhereChanged, WhereKeyOnly };

    // updateTable: the table written ("Master.DB" or "Master"); empty: the
    // query's FROM table.
    explicit Provider(Query &query, const QString &updateTable = QString());

    Query &query() const { return m_query; }
    QString updateTableName() const { return m_updateTable; }
    void setUpdateTableName(const QString &name) { m_updateTable = name; }
    UpdateMode updateMode() const { return m_mode; }
    void setUpdateMode(UpdateMode mode) { m_mode = mode; }

    // Opens the query with the client's command text and parameters, copies its
    // fields and rows into the client and closes it again.
    void fetch(ClientDataSet &client);
    // See ClientDataSet::applyUpdates. Inside a transaction of the caller the
    // apply is a savepoint of it, and the client's log forgets the written rows
    // only when that transaction commits.
    int applyUpdates(ClientDataSet &client, int maxErrors);
    // Rows the last apply wrote (0 when it rolled back).
    int appliedCount() const { return m_applied; }

private:
    QString targetTable() const;

    Query &m_query;
    QString m_updateTable;
    UpdateMode m_mode = UpdateMode::WhereAll;
    int m_applied = 0;
};
