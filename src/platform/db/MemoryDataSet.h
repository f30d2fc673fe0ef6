#pragma once

#include <memory>
#include <vector>

#include <QHash>
#include <QString>
#include <QVector>

#include "platform/db/DataSet.h"

// The update status of a row held in memory: as read, changed, new, or deleted
// (a deleted row stays, hidden, until its delete is applied or undone).
enum class UpdateStatus { Unmodified, Modified, Inserted, Deleted };

struct MemoryRow
{
    quint64 id = 0;                 // stable for the row's life: the bookmark
    QVector<QVariant> values;       // current values, one per field
    QVector<QVariant> original;     // values when read or last applied
    UpdateStatus status = UpdateStatus::Unmodified;
    qlonglong sourceRowId = 0;      // the table's rowid, for live queries on unkeyed tables
};

// One change of the change log: the row's state before it, so undo can put it back.
struct ChangeLogEntry
{
    std::shared_ptr<MemoryRow> row;
    QVector<QVariant> values;
    UpdateStatus status = UpdateStatus::Unmodified;
    bool existed = true;            // false: the change inserted the row
    int storeIndex = -1;            // where a removed row stood
};

// Rows shared by a data set and its clones.
struct RowStore
{
    std::vector<std::shared_ptr<MemoryRow>> rows;   // in insertion (read) order
    std::vector<ChangeLogEntry> log;
    quint64 nextId = 1;
    quint64 version = 0;            // bumped by every change; views rebuild when stale
    bool logChanges = true;
};

// The in-memory engine under Query and ClientDataSet: rows in a RowStore and a
// view (the visible rows in their order) per cursor. Filters, the status
// filter of client data sets and the sort by IndexFieldNames shape the view;
// the current row is followed by identity, so bookmarks survive inserts,
// deletes and re-sorting.
class MemoryDataSet : public DataSet
{
public:
    MemoryDataSet();
    ~MemoryDataSet() override;

    // Sort order: field names separated by ";", ascending, empty values first;
    // ties keep the insertion order. Empty: insertion order.
    QString indexFieldNames() const { return m_indexFieldNames; }
    void setIndexFieldNames(const QString &names);

    bool fetchRecord(int recNo, QVector<QVariant> &values) const override;

    // The row under the cursor (nullptr when none).
    MemoryRow *currentRow() const;

protected:
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
    Bookmark internalBookmark() const override;
    bool internalGotoBookmark(const Bookmark &bookmark) override;
    bool internalBookmarkValid(const Bookmark &bookmark) const override;
    void filterChanged() override;
    bool internalHasRecord() const override;
    Bookmark internalLocate(const QList<int> &fields, const QVariantList &values, LocateOptions options,
                            QVariantList *result, const QList<int> &resultFields) override;

    // Hooks for the subclasses, called before the store changes (a throw refuses):
    // a post about to give the row these values (row.values still holds the old
    // ones; a live query writes the row here and may fill in an assigned key),
    // and a delete (false: the row stays in the store, hidden by its status).
    virtual void writeRow(MemoryRow &row, bool inserting, QVector<QVariant> &values) {}
    virtual bool removeRow(MemoryRow &row) { return true; }
    // Whether a row of this status is shown (client data sets: the status filter).
    virtual bool statusVisible(UpdateStatus status) const { return status != UpdateStatus::Deleted; }

    void setStore(std::shared_ptr<RowStore> store);
    std::shared_ptr<RowStore> store() const { return m_store; }
    void clearRows();
    MemoryRow &addRow(const QVector<QVariant> &values);   // as read (unmodified)
    void touch() { ++m_store->version; }
    // Rebuilds the view when the store or the filters changed; keeps the current row.
    void ensureView() const;
    // True while the view is current and neither sorted nor filtered.
    bool viewIsPlain() const;
    void invalidateView() { m_viewVersion = ~quint64(0); }
    // The fields of the sort order, by index.
    const QList<int> &sortFields() const;
    static int compareByOrder(const QList<int> &order, const MemoryRow *a, const MemoryRow *b);
    // Takes one row out of a view that is current for every other row and puts
    // it back where the sort and filters place it (or leaves it out); the row
    // is current after, or the one at its old place when it left the view.
    void placeInView(MemoryRow *row);
    bool moveToRow(const MemoryRow *row);
    bool moveToEnd(bool last);
    void loadCurrent();
    int indexInStore(const MemoryRow *row) const;
    std::shared_ptr<MemoryRow> sharedRow(const MemoryRow *row) const;

    // The row being inserted while writeRow runs for it.
    std::shared_ptr<MemoryRow> m_newRow;
    mutable QVector<MemoryRow *> m_view;
    mutable int m_pos = -1;
    mutable quint64 m_viewVersion = ~quint64(0);
    mutable quint64 m_followId = 0;     // the current row, followed through view rebuilds
    QString m_indexFieldNames;
    mutable QList<int> m_sortFields;
    mutable QString m_sortFieldsFor;
    mutable int m_sortFieldsCount = -1;
    // Where rows stand in the store, for placing a posted row among rows with
    // an equal key. Each answer is checked against the store before use, and
    // the table is read again when the store has changed.
    int storeIndexOf(const MemoryRow *row) const;
    mutable QHash<const MemoryRow *, int> m_storeIndex;
    std::shared_ptr<RowStore> m_store;
};
