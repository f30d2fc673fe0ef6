#include "platform/db/MemoryDataSet.h"

#include <algorithm>


MemoryDataSet::MemoryDataSet() : m_store(std::make_shared<RowStore>()) {}

MemoryDataSet::~MemoryDataSet() = default;

void MemoryDataSet::setStore(std::shared_ptr<RowStore> store)
{
    m_store = std::move(store);
    invalidateView();
}

void MemoryDataSet::clearRows()
{
    m_store->rows.clear();
    m_store->log.clear();
    m_followId = 0;
    m_pos = -1;
    touch();
}

MemoryRow &MemoryDataSet::addRow(const QVector<QVariant> &values)
{
    auto row = std::make_shared<MemoryRow>();
    row->id = m_store->nextId++;
    row->values = values;
    row->values.resize(fieldCount());
    row->original = row->values;
    m_store->rows.push_back(row);
    touch();
    return *row;
}

int MemoryDataSet::indexInStore(const MemoryRow *row) const
{
    for (size_t i = 0; i < m_store->rows.size(); ++i)
        if (m_store->rows[i].get() == row)
            return int(i);
    return -1;
}

std::shared_ptr<MemoryRow> MemoryDataSet::sharedRow(const MemoryRow *row) const
{
    const int i = indexInStore(row);
    return i < 0 ? nullptr : m_store->rows[size_t(i)];
}

void MemoryDataSet::setIndexFieldNames(const QString &names)
{
    if (isActive())
        checkBrowseMode();
    m_indexFieldNames = names;
    invalidateView();
    if (isActive()) {
        ensureView();
        loadCurrent();
        resync();
    }
}

bool MemoryDataSet::viewIsPlain() const
{
    return m_viewVersion == m_store->version && m_indexFieldNames.trimmed().isEmpty() && !m_filtered;
}

void MemoryDataSet::ensureView() const
{
    if (m_viewVersion == m_store->version)
        return;
    auto *self = const_cast<MemoryDataSet *>(this);
    const int oldPos = m_pos;
    m_view.clear();
    for (const auto &row : m_store->rows)
        if (statusVisible(row->status) && self->acceptRecord(row->values, true))
            m_view.push_back(row.get());
    const QList<int> order = sortFields();
    if (!order.isEmpty())
        std::stable_sort(m_view.begin(), m_view.end(), [&order](const MemoryRow *a, const MemoryRow *b) {
            return compareByOrder(order, a, b) < 0;
        });
    m_viewVersion = m_store->version;
    m_pos = -1;
    if (m_view.isEmpty())
        return;
    for (int i = 0; i < m_view.size(); ++i)
        if (m_view[i]->id == m_followId) {
            m_pos = i;
            return;
        }
    // The current row went away (deleted here or by a clone): the row now at
    // its place, or the last one.
    m_pos = qBound(0, oldPos, int(m_view.size()) - 1);
    m_followId = m_view[m_pos]->id;
}

const QList<int> &MemoryDataSet::sortFields() const
{
    // Parsed once per order and field set: a post in a sorted view asks for it.
    if (m_sortFieldsFor != m_indexFieldNames || m_sortFieldsCount != fieldCount()) {
        m_sortFields.clear();
        for (const QString &n : m_indexFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            if (Field *f = findField(n.trimmed()))
                m_sortFields << f->index();
        m_sortFieldsFor = m_indexFieldNames;
        m_sortFieldsCount = fieldCount();
    }
    return m_sortFields;
}

int MemoryDataSet::compareByOrder(const QList<int> &order, const MemoryRow *a, const MemoryRow *b)
{
    static const QVariant none;
    for (int f : order) {
        // By reference: this runs a dozen times per post in a sorted view.
        const QVariant &x = f < a->values.size() ? a->values[f] : none;
        const QVariant &y = f < b->values.size() ? b->values[f] : none;
        const int c = compareValues(x, y);
        if (c != 0)
            return c;
    }
    return 0;
}

void MemoryDataSet::placeInView(MemoryRow *row)
{
    const int oldPos = m_pos;
    const int old = m_pos >= 0 && m_pos < m_view.size() && m_view[m_pos] == row ? m_pos : int(m_view.indexOf(row));
    if (!statusVisible(row->status) || !acceptRecord(row->values, true)) {
        if (old >= 0)
            m_view.remove(old);
        // The row left the view: the row now at its place is current, as after
        // a rebuild.
        m_pos = m_view.isEmpty() ? -1 : qBound(0, oldPos, int(m_view.size()) - 1);
        m_followId = m_pos < 0 ? 0 : m_view[m_pos]->id;
        return;
    }
    const QList<int> order = sortFields();
    const auto less = [&order](const MemoryRow *a, const MemoryRow *b) { return compareByOrder(order, a, b) < 0; };
    // The view without the row is sorted: the rows before its old place are
    // not above the rows after it. Search only the side the row goes to, and
    // move only the rows between its old and new place.
    auto begin = m_view.begin(), end = m_view.end();
    if (old >= 0) {
        if (old > 0 && less(row, m_view[old - 1]))
            end = m_view.begin() + old;
        else if (old + 1 < m_view.size() && less(m_view[old + 1], row))
            begin = m_view.begin() + old + 1;
        else if ((old == 0 || less(m_view[old - 1], row)) && (old + 1 == m_view.size() || less(row, m_view[old + 1])))
            begin = end = m_view.begin() + old; // strictly between its neighbours: it stays
        else {
            // Equal to a neighbour: placed among its equals below.
            begin = std::lower_bound(m_view.begin(), m_view.begin() + old, row, less);
            end = std::upper_bound(m_view.begin() + old + 1, m_view.end(), row, less);
        }
    }
    auto lo = std::lower_bound(begin, end, row, less);
    auto hi = std::upper_bound(lo, end, row, less);
    if (old >= 0 && lo == hi && lo == m_view.begin() + old) {
        m_pos = old;
        m_followId = row->id;
        return;
    }
    // The equal keys keep the store's order. The tied rows stand in the view
    // in store order, so one walk over the store meets them one after the
    // other; the row goes before the first one it meets after itself.
    const auto self = old >= 0 ? m_view.begin() + old : m_view.end();
    const auto pastSelf = [self, old](QVector<MemoryRow *>::iterator it) {
        return old >= 0 && it == self ? it + 1 : it;
    };
    auto at = lo;
    if (lo != hi) {
        const int mine = storeIndexOf(row);
        if (mine >= 0) {
            // The tied rows stand in store order: the row goes before the first
            // of them that comes after it in the store.
            while (at != hi) {
                if (at != self) {
                    const int theirs = storeIndexOf(*at);
                    if (theirs < 0 || theirs > mine)
                        break;
                }
                ++at;
            }
        } else {
            at = pastSelf(lo);
            for (size_t i = 0; i < m_store->rows.size() && at != hi; ++i) {
                const MemoryRow *r = m_store->rows[i].get();
                if (r == row)
                    break;
                if (r == *at)
                    at = pastSelf(at + 1);
            }
        }
    }
    int to = int(at - m_view.begin());
    if (old < 0) {
        m_view.insert(to, row);
    } else if (to > old) {
        // The rows between move up by one; the row lands before `at`.
        --to;
        std::rotate(m_view.begin() + old, m_view.begin() + old + 1, m_view.begin() + to + 1);
    } else if (to < old) {
        std::rotate(m_view.begin() + to, m_view.begin() + old, m_view.begin() + old + 1);
    }
    m_pos = to;
    m_followId = row->id;
}

int MemoryDataSet::storeIndexOf(const MemoryRow *row) const
{
    const auto &rows = m_store->rows;
    const auto valid = [&rows, row](int i) { return i >= 0 && size_t(i) < rows.size() && rows[size_t(i)].get() == row; };
    auto it = m_storeIndex.constFind(row);
    if (it != m_storeIndex.constEnd() && valid(it.value()))
        return it.value();
    m_storeIndex.clear();
    m_storeIndex.reserve(qsizetype(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i)
        m_storeIndex.insert(rows[i].get(), int(i));
    it = m_storeIndex.constFind(row);
    return it != m_storeIndex.constEnd() ? it.value() : -1;
}

MemoryRow *MemoryDataSet::currentRow() const
{
    if (!isActive())
        return nullptr;
    ensureView();
    return m_pos >= 0 && m_pos < m_view.size() ? m_view[m_pos] : nullptr;
}

bool MemoryDataSet::moveToRow(const MemoryRow *row)
{
    ensureView();
    const int i = m_view.indexOf(const_cast<MemoryRow *>(row));
    if (i < 0)
        return false;
    m_pos = i;
    m_followId = row->id;
    loadCurrent();
    return true;
}

void MemoryDataSet::loadCurrent()
{
    MemoryRow *row = m_pos >= 0 && m_pos < m_view.size() ? m_view[m_pos] : nullptr;
    if (row) {
        m_followId = row->id;
        buffer() = row->values;
        buffer().resize(fieldCount());
    } else {
        buffer() = QVector<QVariant>(fieldCount());
    }
}

void MemoryDataSet::internalClose()
{
    m_store = std::make_shared<RowStore>();
    m_view.clear();
    m_pos = -1;
    m_followId = 0;
    invalidateView();
}

bool MemoryDataSet::internalFirst()
{
    return moveToEnd(false);
}

bool MemoryDataSet::internalLast()
{
    return moveToEnd(true);
}

bool MemoryDataSet::moveToEnd(bool last)
{
    ensureView();
    if (m_view.isEmpty()) {
        m_pos = -1;
        loadCurrent();
        return false;
    }
    m_pos = last ? int(m_view.size()) - 1 : 0;
    loadCurrent();
    return true;
}

bool MemoryDataSet::internalNext()
{
    ensureView();
    if (m_pos + 1 >= m_view.size())
        return false;
    ++m_pos;
    loadCurrent();
    return true;
}

bool MemoryDataSet::internalPrior()
{
    ensureView();
    if (m_pos <= 0)
        return false;
    --m_pos;
    loadCurrent();
    return true;
}

int MemoryDataSet::internalRecordCount() const
{
    ensureView();
    return int(m_view.size());
}

int MemoryDataSet::internalRecNo() const
{
    ensureView();
    return m_pos + 1;
}

bool MemoryDataSet::internalSetRecNo(int recNo)
{
    ensureView();
    if (recNo < 1 || recNo > m_view.size())
        return false;
    m_pos = recNo - 1;
    loadCurrent();
    return true;
}

bool MemoryDataSet::internalHasRecord() const
{
    return currentRow() != nullptr;
}

void MemoryDataSet::internalPost(bool inserting, bool append)
{
    QVector<QVariant> values = buffer();
    if (inserting) {
        auto row = std::make_shared<MemoryRow>();
        row->id = m_store->nextId;
        row->values = values;
        row->original = values;
        m_newRow = row;
        try {
            writeRow(*row, true, values);
        } catch (...) {
            m_newRow.reset();
            throw;
        }
        m_newRow.reset();
        ++m_store->nextId;
        row->values = values;
        int at = int(m_store->rows.size());
        if (!append)
            if (MemoryRow *current = currentRow())
                at = indexInStore(current);
        // Without a sort or filter the view is the store's visible rows in
        // store order, so it can take the row in place instead of a rebuild
        // (bulk edits of many lines stay linear).
        const bool simple = viewIsPlain() && statusVisible(row->status);
        // A sorted or filtered view that is otherwise current takes the one
        // new row at its place; rebuilding it would sort every row per post.
        const bool current = m_viewVersion == m_store->version;
        int viewAt = append || m_pos < 0 ? int(m_view.size()) : m_pos;
        m_store->rows.insert(m_store->rows.begin() + at, row);
        m_followId = row->id;
        touch();
        if (simple) {
            m_view.insert(viewAt, row.get());
            m_pos = viewAt;
            m_viewVersion = m_store->version;
        } else if (current) {
            placeInView(row.get());
            m_viewVersion = m_store->version;
        }
    } else {
        MemoryRow *row = currentRow();
        if (!row)
            throw EDataSetError(QStringLiteral("レコードが見つかりません"));
        const bool plain = viewIsPlain();
        const bool current = m_viewVersion == m_store->version;
        writeRow(*row, false, values);
        row->values = values;
        m_followId = row->id;
        touch();
        if (plain && statusVisible(row->status)) {
            m_viewVersion = m_store->version;
        } else if (current && !plain) {
            placeInView(row);
            m_viewVersion = m_store->version;
        }
    }
    ensureView();
    loadCurrent();
}

bool MemoryDataSet::internalDelete()
{
    MemoryRow *row = currentRow();
    if (!row)
        return false;
    if (removeRow(*row)) {
        const int i = indexInStore(row);
        if (i >= 0)
            m_store->rows.erase(m_store->rows.begin() + i);
    }
    m_followId = 0;
    touch();
    ensureView();
    loadCurrent();
    return !m_view.isEmpty();
}

bool MemoryDataSet::internalRefetch()
{
    ensureView();
    if (!currentRow())
        return false;
    loadCurrent();
    return true;
}

Bookmark MemoryDataSet::internalBookmark() const
{
    const MemoryRow *row = currentRow();
    return row ? Bookmark(qulonglong(row->id)) : Bookmark();
}

bool MemoryDataSet::internalGotoBookmark(const Bookmark &bookmark)
{
    ensureView();
    const quint64 id = bookmark.toULongLong();
    for (int i = 0; i < m_view.size(); ++i)
        if (m_view[i]->id == id) {
            m_pos = i;
            loadCurrent();
            return true;
        }
    return false;
}

bool MemoryDataSet::internalBookmarkValid(const Bookmark &bookmark) const
{
    ensureView();
    const quint64 id = bookmark.toULongLong();
    return std::any_of(m_view.begin(), m_view.end(), [id](const MemoryRow *r) { return r->id == id; });
}

void MemoryDataSet::filterChanged()
{
    invalidateView();
    ensureView();
    m_pos = m_view.isEmpty() ? -1 : 0;
    loadCurrent();
}

Bookmark MemoryDataSet::internalLocate(const QList<int> &fields, const QVariantList &values, LocateOptions options,
                                       QVariantList *result, const QList<int> &resultFields)
{
    ensureView();
    for (const MemoryRow *row : std::as_const(m_view))
        if (valuesMatch(row->values, fields, values, options)) {
            if (result)
                for (int f : resultFields)
                    *result << row->values.value(f);
            return Bookmark(qulonglong(row->id));
        }
    return Bookmark();
}

bool MemoryDataSet::fetchRecord(int recNo, QVector<QVariant> &values) const
{
    if (!isActive())
        return false;
    ensureView();
    if (recNo < 1 || recNo > m_view.size())
        return false;
    values = m_view[recNo - 1]->values;
    values.resize(fieldCount());
    return true;
}
