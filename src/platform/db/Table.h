#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/db/DataSet.h"

class Database;

// A data set over one table of the book database.
//
// Design: a cursor over indexed queries, never a copy of the table. The table
// keeps only the current row (and its position in the current order: the values
// of the order columns plus the rowid as tie-breaker). First/Last/Next/Prior are
// "ORDER BY <order>, rowid LIMIT 1" queries with a key comparison that the
// order's index answers by a seek; RecordCount and RecNo are count queries run
// on demand (RecordCount is cached until the next change); FindKey, Locate and
// Lookup are one query each; a range is a WHERE on the order's leading columns,
// so only rows in the range are read. Memory does not grow with the table.
//
// Order: IndexFieldNames ("RECDATE;DATANO") or IndexName (a secondary index,
// "RECDATE" or "Master_RECDATE"); neither: the primary key, or rowid (insertion)
// order for a table without one. Posts write the row at once (INSERT, or UPDATE
// of the changed columns by rowid, which is the primary key of a keyed table);
// calculated fields are never written. A key violation is the engine's error.
//
// Fields come from the table's declared column types (see fieldTypeFromDeclared);
// field definitions set before open take their place for the columns they name.
// OnFilterRecord is applied while moving (RecordCount and RecNo then count the
// unfiltered rows); a filter text is part of every query and counts right.
class Table : public DataSet
{
public:
    explicit Table(Database &db, const QString &tableName = QString());
    ~Table() override;

    Database &database() const { return m_db; }
    // The file name the book's texts use ("Master.DB") or the SQL table name.
    QString tableName() const { return m_tableName; }
    void setTableName(const QString &name);
    // The SQL table the data set reads ("Master").
    QString sqlTableName() const { return m_sqlName; }

    QString indexFieldNames() const { return m_indexFieldNames; }
    void setIndexFieldNames(const QString &names);
    QString indexName() const { return m_indexName; }
    void setIndexName(const QString &name);
    // The columns of the current order (without the rowid tie-breaker).
    QStringList orderFields() const { return m_order; }

    // Limits the rows to those whose leading order columns lie between start
    // and end (each a value or a QVariantList, compared column by column,
    // inclusive). Moves to the first row of the range.
    void setRange(const QVariant &start, const QVariant &end);
    void cancelRange();
    bool hasRange() const { return m_rangeActive; }

    // Moves to the first row whose leading order columns equal the values.
    bool findKey(const QVariant &keyValues);
    // Moves to the first row at or after the values in the current order.
    void findNearest(const QVariant &keyValues);

    // Deletes every row (the data set must be open or closed, not editing).
    void emptyTable();
    // Each post reaches the database at once; kept so callers can state where
    // their writes must be on disk.
    void flushBuffers() {}

    // The table's own row id of the current row (0 when none).
    qlonglong currentRowId() const { return m_rowId; }

    bool fetchRecord(int recNo, QVector<QVariant> &values) const override;

protected:
    void internalOpen() override;
    void internalClose() override;
    bool internalFirst() override;
    bool internalLast() override;
    bool internalNext() override;
    bool internalPrior() override;
    int internalRecordCount() const override;
    int internalRecNo() const override;
    bool internalSetRecNo(int recNo) override;
    void internalPost(bool inserting, bool append) override;
    bool internalDelete() override;
    bool internalRefetch() override;
    void internalRefresh() override;
    Bookmark internalBookmark() const override;
    bool internalGotoBookmark(const Bookmark &bookmark) override;
    bool internalBookmarkValid(const Bookmark &bookmark) const override;
    Bookmark internalLocate(const QList<int> &fields, const QVariantList &values, LocateOptions options,
                            QVariantList *result, const QList<int> &resultFields) override;
    void filterChanged() override;
    bool internalHasRecord() const override { return m_hasRow; }

private:
    struct Cond
    {
        QString sql;
        QVariantList params;
    };
    // Equal to `at` on the first `level` order columns (empty ones as IS NULL),
    // then `test` on the next, with `param` for its placeholder when given.
    static Cond levelCond(const QStringList &order, const QVariantList &at, int level, const QString &test,
                          const QVariant &param = QVariant());
    void setOrder(const QString &fieldNames, const QString &indexName);
    void resolveOrder();
    QString selectList() const;
    Cond baseWhere() const;
    bool fetchOne(const Cond &extra, bool descending, QVector<QVariant> *into, qlonglong *rowId) const;
    bool loadRow(const Cond &extra, bool descending);
    bool loadByRowId(qlonglong rowId, bool inRange);
    bool seek(const QVariantList &from, bool forward);
    bool step(bool forward);
    // Loads the first (or last) accepted row.
    bool moveToEnd(bool last);
    int countWhere(const Cond &extra) const;
    int columnOf(const QString &field) const;
    void invalidateCounts() { m_countCache = -1; m_recNoCache = -1; m_windowStart = -1; }

    Database &m_db;
    QString m_tableName;
    QString m_sqlName;
    QString m_indexFieldNames;
    QString m_indexName;
    QStringList m_order;          // order columns
    QStringList m_columns;        // table columns that are fields, in field order
    QList<int> m_columnFields;    // field index of each column
    QString m_primaryKey;         // single INTEGER PRIMARY KEY column, if any
    bool m_rangeActive = false;
    QVariantList m_rangeStart, m_rangeEnd;
    qlonglong m_rowId = 0;
    bool m_hasRow = false;
    QVariantList m_orderRaw;      // the current row's order values as stored (the cursor position)
    QVariantList m_fetchedOrder;
    mutable int m_countCache = -1;
    mutable int m_recNoCache = -1;  // RecNo of the current row, counted once per move
    // A small window of rows for grids reading many records by number.
    mutable int m_windowStart = -1;
    mutable QVector<QVector<QVariant>> m_window;
};
