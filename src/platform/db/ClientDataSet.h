#pragma once

#include <functional>
#include <memory>
#include <set>

#include <QList>
#include <QString>

#include "platform/db/MemoryDataSet.h"
#include "platform/db/Query.h"

class Provider;

enum class UpdateKind { Modify, Insert, Delete };
enum class ReconcileAction { Skip, Abort, Merge, Correct, Cancel, Refresh };

// Why a row could not be applied. conflict: the row changed or was removed in the
// table since it was read (the fields' curValue tell the values found; none when
// removed); otherwise message is the engine's error.
struct ReconcileError
{
    QString message;
    QString context;
    bool conflict = false;
    bool rowMissing = false;
};

// Rows in memory with a change log. Every post, insert and delete is a change
// with the row's previous state; ChangeCount counts the changes, SavePoint is a
// position in that log, UndoLastChange takes the last one back. A provider
// reads the rows (Open) and applies the log to one table (ApplyUpdates) inside
// one transaction. Without a provider, CreateDataSet makes an empty data set
// from the field definitions.
//
// Internal calculated fields live in each row and are never applied.
class ClientDataSet : public MemoryDataSet
{
public:
    ClientDataSet();
    ~ClientDataSet() override;

    Provider *provider() const { return m_provider; }
    void setProvider(Provider *provider) { m_provider = provider; }
    // Replaces the provider query's SQL at open (the client's command text);
    // empty keeps the query's own text.
    QString commandText() const { return m_commandText; }
    void setCommandText(const QString &text) { m_commandText = text; }
    // Parameters handed to the provider's query at open, by name.
    QList<Param> &params() { return m_params; }
    Param &paramByName(const QString &name);

    // An empty in-memory data set from fieldDefs(), with no provider.
    void createDataSet();
    // Drops all rows and the change log.
    void emptyDataSet();

    int changeCount() const;
    UpdateStatus updateStatus() const;
    // Applies the change log through the provider; returns the number of
    // errors. maxErrors -1: no limit; otherwise the apply stops and rolls back
    // as soon as the errors exceed it. Everything is one transaction: after a
    // rollback (too many errors, a reconcile Abort) the table is untouched and the
    // whole log is kept; after a commit the applied changes leave the log and
    // rows skipped by the reconcile stay in it. The reconcile handler runs
    // inside that transaction (so that its Abort can still undo everything),
    // holding the book's write lock while it asks the user.
    int applyUpdates(int maxErrors);
    // Takes back every change.
    void cancelUpdates();
    // Takes back every change of the current row.
    void revertRecord();
    // Takes back the last change; followChange moves to the row it touched.
    bool undoLastChange(bool followChange);
    // A position in the change log; setting it takes back the later changes.
    int savePoint() const;
    void setSavePoint(int point);
    // Makes the current values the original ones and forgets the log (for
    // in-memory data sets whose changes go nowhere).
    void mergeChangeLog();
    bool logChanges() const;
    void setLogChanges(bool log);

    // Which rows are shown; default: unmodified, modified and inserted. Include
    // Deleted to see deleted rows (with updateStatus Deleted).
    void setStatusFilter(const std::set<UpdateStatus> &statuses);
    std::set<UpdateStatus> statusFilter() const { return m_statusFilter; }

    // A second cursor on the same rows and change log (own position, filter,
    // order and status filter). The source must be open.
    void cloneCursor(ClientDataSet &source, bool reset = true);

    // The reconcile handler: called for each row the apply could not write,
    // with that row current (deleted rows too). Without one, errors are skipped.
    std::function<ReconcileAction(ClientDataSet &, UpdateKind, const ReconcileError &)> OnReconcileError;

    QVariant fieldOldValue(int index) const override;
    QVariant fieldCurValue(int index, bool *has) const override;
    QVariant fieldNewValue(int index, bool *has) const override;
    void setFieldNewValue(Field &field, const QVariant &value) override;

    // Used by Provider while applying.
    void beginReconcile(MemoryRow *row, UpdateKind kind, const QVector<QVariant> *current);
    void endReconcile();
    void rowsApplied(const std::vector<std::shared_ptr<MemoryRow>> &rows);
    // rowsApplied for an apply whose transaction committed later, with the
    // view brought up to date as applyUpdates does.
    void finishApplied(const std::vector<std::shared_ptr<MemoryRow>> &rows);
    // Expires when the data set is destroyed: work waiting on a commit checks
    // it before touching the data set.
    std::weak_ptr<int> lifeToken() const { return m_life; }
    void revertRow(const std::shared_ptr<MemoryRow> &row);

protected:
    void internalOpen() override;
    void internalRefresh() override;
    void writeRow(MemoryRow &row, bool inserting, QVector<QVariant> &values) override;
    bool removeRow(MemoryRow &row) override;
    bool statusVisible(UpdateStatus status) const override;
    void internalClose() override;

private:
    Provider *m_provider = nullptr;
    QString m_commandText;
    QList<Param> m_params;
    std::set<UpdateStatus> m_statusFilter{UpdateStatus::Unmodified, UpdateStatus::Modified, UpdateStatus::Inserted};
    bool m_created = false;
    ClientDataSet *m_cloneSource = nullptr;
    MemoryRow *m_reconcileRow = nullptr;
    const QVector<QVariant> *m_reconcileCurrent = nullptr;
    UpdateKind m_reconcileKind = UpdateKind::Modify;
    std::unique_ptr<DataSet::RecordScope> m_reconcileScope;
    std::shared_ptr<int> m_life = std::make_shared<int>(0);
    friend class Provider;
};
