#include "platform/db/ClientDataSet.h"

#include "platform/db/Provider.h"

ClientDataSet::ClientDataSet() = default;

ClientDataSet::~ClientDataSet()
{
    m_reconcileScope.reset();
}

Param &ClientDataSet::paramByName(const QString &name)
{
    if (Param *p = Param::find(m_params, name))
        return *p;
    m_params << Param(name.startsWith(QLatin1Char(':')) ? name.mid(1) : name);
    return m_params.last();
}

void ClientDataSet::createDataSet()
{
    close();
    if (fieldDefs().isEmpty())
        throw EDataSetError(QStringLiteral("フィールド定義がありません"));
    m_created = true;
    try {
        open();
    } catch (...) {
        m_created = false;
        throw;
    }
}

void ClientDataSet::internalOpen()
{
    if (m_cloneSource) {
        QList<FieldDef> defs;
        for (Field *f : m_cloneSource->fields())
            defs << f->def();
        createFields(defs);
        setStore(m_cloneSource->store());
        m_store->logChanges = m_cloneSource->logChanges();
    } else if (m_provider) {
        setStore(std::make_shared<RowStore>());
        m_provider->fetch(*this);
    } else if (m_created) {
        createFields(fieldDefs());
        setStore(std::make_shared<RowStore>());
    } else {
        throw EDataSetError(QStringLiteral("データセットにプロバイダがありません"));
    }
    invalidateView();
    internalFirst();
}

void ClientDataSet::internalClose()
{
    m_reconcileScope.reset();
    MemoryDataSet::internalClose();
    m_created = m_created && !m_provider;
}

void ClientDataSet::internalRefresh()
{
    if (!m_provider)
        return;
    if (changeCount() > 0)
        throw EDataSetError(QStringLiteral("更新を適用するか取り消してから再読込みしてください"));
    const int recNo = internalRecNo();
    setStore(std::make_shared<RowStore>());
    m_provider->fetch(*this);
    invalidateView();
    if (!internalSetRecNo(qMin(recNo, internalRecordCount())))
        internalFirst();
}

void ClientDataSet::emptyDataSet()
{
    if (!isActive())
        return;
    cancel();
    clearRows();
    invalidateView();
    internalFirst();
    resync();
}

void ClientDataSet::writeRow(MemoryRow &row, bool inserting, QVector<QVariant> &values)
{
    if (!m_store->logChanges) {
        row.original = values;
        row.status = UpdateStatus::Unmodified;
        return;
    }
    ChangeLogEntry e;
    if (inserting) {
        e.row = m_newRow;
        e.existed = false;
        row.status = UpdateStatus::Inserted;
    } else {
        e.row = sharedRow(&row);
        e.values = row.values;
        e.status = row.status;
        if (row.status == UpdateStatus::Unmodified)
            row.status = UpdateStatus::Modified;
    }
    m_store->log.push_back(e);
}

bool ClientDataSet::removeRow(MemoryRow &row)
{
    if (!m_store->logChanges)
        return true;
    ChangeLogEntry e;
    e.row = sharedRow(&row);
    e.values = row.values;
    e.status = row.status;
    e.storeIndex = indexInStore(&row);
    m_store->log.push_back(e);
    // A row that never reached the table simply goes; a stored one stays,
    // hidden, until its delete is applied.
    if (row.status == UpdateStatus::Inserted)
        return true;
    row.status = UpdateStatus::Deleted;
    return false;
}

bool ClientDataSet::statusVisible(UpdateStatus status) const
{
    return m_statusFilter.count(status) > 0;
}

int ClientDataSet::changeCount() const
{
    return isActive() ? int(m_store->log.size()) : 0;
}

UpdateStatus ClientDataSet::updateStatus() const
{
    if (m_reconcileRow)
        return m_reconcileRow->status;
    const MemoryRow *row = currentRow();
    if (state() == DataSetState::Insert)
        return UpdateStatus::Inserted;
    return row ? row->status : UpdateStatus::Unmodified;
}

// Puts a row back as it was before one change.
static void undoEntry(RowStore &store, const ChangeLogEntry &e)
{
    auto it = std::find(store.rows.begin(), store.rows.end(), e.row);
    if (!e.existed) {
        if (it != store.rows.end())
            store.rows.erase(it);
    } else if (it == store.rows.end()) {
        const int at = qBound(0, e.storeIndex, int(store.rows.size()));
        e.row->values = e.values;
        e.row->status = e.status;
        store.rows.insert(store.rows.begin() + at, e.row);
    } else {
        e.row->values = e.values;
        e.row->status = e.status;
    }
    ++store.version;
}

bool ClientDataSet::undoLastChange(bool followChange)
{
    if (!isActive())
        return false;
    cancel();
    if (m_store->log.empty())
        return false;
    const ChangeLogEntry e = m_store->log.back();
    m_store->log.pop_back();
    undoEntry(*m_store, e);
    ensureView();
    if (!(followChange && moveToRow(e.row.get())))
        loadCurrent();
    resync();
    return true;
}

void ClientDataSet::cancelUpdates()
{
    // Going back to before the first change takes back every one.
    setSavePoint(0);
}

void ClientDataSet::revertRow(const std::shared_ptr<MemoryRow> &row)
{
    for (int i = int(m_store->log.size()) - 1; i >= 0; --i)
        if (m_store->log[size_t(i)].row == row) {
            const ChangeLogEntry e = m_store->log[size_t(i)];
            m_store->log.erase(m_store->log.begin() + i);
            undoEntry(*m_store, e);
        }
}

void ClientDataSet::revertRecord()
{
    if (!isActive())
        return;
    cancel();
    MemoryRow *row = currentRow();
    if (!row)
        return;
    revertRow(sharedRow(row));
    ensureView();
    loadCurrent();
    resync();
}

int ClientDataSet::savePoint() const
{
    return changeCount();
}

void ClientDataSet::setSavePoint(int point)
{
    if (!isActive())
        return;
    cancel();
    if (point < 0 || point > int(m_store->log.size()))
        throw EDataSetError(QStringLiteral("セーブポイントが正しくありません"));
    while (int(m_store->log.size()) > point) {
        const ChangeLogEntry e = m_store->log.back();
        m_store->log.pop_back();
        undoEntry(*m_store, e);
    }
    ensureView();
    loadCurrent();
    resync();
}

void ClientDataSet::mergeChangeLog()
{
    if (!isActive())
        return;
    checkBrowseMode();
    auto &rows = m_store->rows;
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [](const auto &r) { return r->status == UpdateStatus::Deleted; }),
               rows.end());
    for (auto &r : rows) {
        r->original = r->values;
        r->status = UpdateStatus::Unmodified;
    }
    m_store->log.clear();
    touch();
    ensureView();
    loadCurrent();
    resync();
}

bool ClientDataSet::logChanges() const
{
    return m_store->logChanges;
}

void ClientDataSet::setLogChanges(bool log)
{
    m_store->logChanges = log;
}

void ClientDataSet::setStatusFilter(const std::set<UpdateStatus> &statuses)
{
    if (isActive())
        checkBrowseMode();
    m_statusFilter = statuses.empty()
        ? std::set<UpdateStatus>{UpdateStatus::Unmodified, UpdateStatus::Modified, UpdateStatus::Inserted}
        : statuses;
    if (isActive()) {
        invalidateView();
        internalFirst();
        resync();
    }
}

void ClientDataSet::cloneCursor(ClientDataSet &source, bool reset)
{
    if (!source.isActive())
        throw EDataSetError(QStringLiteral("複製元のデータセットが開かれていません"));
    close();
    if (!reset) {
        setIndexFieldNames(source.indexFieldNames());
        setFilter(source.filter());
        setFiltered(source.filtered());
    } else {
        m_indexFieldNames.clear();
        m_filterText.clear();
        m_filtered = false;
    }
    m_cloneSource = &source;
    try {
        open();
    } catch (...) {
        m_cloneSource = nullptr;
        throw;
    }
    m_cloneSource = nullptr;
}

int ClientDataSet::applyUpdates(int maxErrors)
{
    if (!isActive())
        throw EDataSetError(QStringLiteral("データセットが開かれていません"));
    if (!m_provider)
        throw EDataSetError(QStringLiteral("データセットにプロバイダがありません"));
    checkBrowseMode();
    int errors = 0;
    disableControls();
    try {
        errors = m_provider->applyUpdates(*this, maxErrors);
    } catch (...) {
        enableControls();
        invalidateView();
        ensureView();
        loadCurrent();
        throw;
    }
    invalidateView();
    ensureView();
    loadCurrent();
    enableControls();
    resync();
    return errors;
}

void ClientDataSet::beginReconcile(MemoryRow *row, UpdateKind kind, const QVector<QVariant> *current)
{
    m_reconcileRow = row;
    m_reconcileKind = kind;
    m_reconcileCurrent = current;
    m_reconcileScope = std::make_unique<DataSet::RecordScope>(*this, &row->values);
}

void ClientDataSet::endReconcile()
{
    m_reconcileScope.reset();
    m_reconcileRow = nullptr;
    m_reconcileCurrent = nullptr;
}

void ClientDataSet::rowsApplied(const std::vector<std::shared_ptr<MemoryRow>> &rows)
{
    auto &store = m_store->rows;
    for (const auto &row : rows) {
        auto &log = m_store->log;
        log.erase(std::remove_if(log.begin(), log.end(), [&row](const ChangeLogEntry &e) { return e.row == row; }),
                  log.end());
        if (row->status == UpdateStatus::Deleted) {
            auto it = std::find(store.begin(), store.end(), row);
            if (it != store.end())
                store.erase(it);
        } else {
            row->original = row->values;
            row->status = UpdateStatus::Unmodified;
        }
    }
    touch();
}

void ClientDataSet::finishApplied(const std::vector<std::shared_ptr<MemoryRow>> &rows)
{
    // A data set closed since then holds other rows: nothing of it to forget.
    if (!isActive())
        return;
    disableControls();
    rowsApplied(rows);
    invalidateView();
    ensureView();
    loadCurrent();
    enableControls();
    resync();
}

QVariant ClientDataSet::fieldOldValue(int index) const
{
    const MemoryRow *row = m_reconcileRow ? m_reconcileRow : currentRow();
    if (!row || (!m_reconcileRow && state() == DataSetState::Insert))
        return QVariant();
    if (row->status == UpdateStatus::Inserted)
        return QVariant();
    return row->original.value(index);
}

QVariant ClientDataSet::fieldCurValue(int index, bool *has) const
{
    if (has)
        *has = false;
    if (!m_reconcileRow || !m_reconcileCurrent || m_reconcileCurrent->isEmpty())
        return QVariant();
    const QVariant cur = m_reconcileCurrent->value(index);
    const QVariant old = m_reconcileRow->original.value(index);
    if (has)
        *has = cur.isValid() != old.isValid() || compareValues(cur, old) != 0;
    return cur;
}

QVariant ClientDataSet::fieldNewValue(int index, bool *has) const
{
    const MemoryRow *row = m_reconcileRow ? m_reconcileRow : currentRow();
    if (has)
        *has = false;
    if (!row)
        return QVariant();
    const QVariant value = m_reconcileRow ? row->values.value(index) : fieldValue(index);
    const QVariant old = row->original.value(index);
    if (has) {
        if (row->status == UpdateStatus::Inserted)
            *has = value.isValid();
        else if (row->status == UpdateStatus::Deleted)
            *has = false;
        else
            *has = value.isValid() != old.isValid() || compareValues(value, old) != 0;
    }
    return value;
}

void ClientDataSet::setFieldNewValue(Field &field, const QVariant &value)
{
    if (!m_reconcileRow) {
        setFieldValue(field, value);
        return;
    }
    m_reconcileRow->values[field.index()] = value;
}
