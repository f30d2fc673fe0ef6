#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QFlags>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include "platform/db/Abort.h"
#include "platform/db/Field.h"

class DataSource;

// Browse shows the current record; Edit and Insert hold a pending change in the
// record buffer until post or cancel; CalcFields is the state while OnCalcFields
// runs (calculated fields may be written then).
enum class DataSetState { Inactive, Browse, Edit, Insert, CalcFields };

enum class LocateOption { CaseInsensitive = 0x1, PartialKey = 0x2 };
Q_DECLARE_FLAGS(LocateOptions, LocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(LocateOptions)

// What a data set tells its data sources.
enum class DataEvent {
    FieldChange,     // one field of the current record changed (field given)
    RecordChange,    // the current record's content changed (cancel, refetch)
    DataSetChange,   // rows may have come, gone or moved (open, post, delete, refresh, filter, sort)
    DataSetScroll,   // the current record moved to another row
    StateChange,     // the state changed (browse, edit, insert, inactive)
    UpdateData,      // before a post: editors write their pending text into the fields
    LayoutChange     // fields changed (open, close)
};

// Orders values as the book's indexes do: empty first, then numbers, dates and
// texts by their natural order. -1, 0 or 1.
int compareValues(const QVariant &a, const QVariant &b, bool caseInsensitive = false);

// A position that survives inserts and deletes of other rows; an invalid
// QVariant is no bookmark.
using Bookmark = QVariant;

// The classic data set: fields, a current record, the state machine and its
// events. Positions are 1-based (RecNo); BOF and EOF are positional: First sets
// BOF, Last sets EOF, Next on the last record sets EOF without moving, Prior on
// the first sets BOF; an empty data set has both.
//
// Event handlers may refuse by throwing EAbort (or any exception): a refusing
// BeforePost leaves the record in edit, BeforeScroll keeps the position,
// BeforeInsert/BeforeEdit/BeforeDelete stop the action. Navigation and insert
// post a pending edit first.
//
// Subclasses provide the rows: Table (a cursor over indexed queries), Query and
// ClientDataSet (rows in memory).
class DataSet
{
public:
    DataSet();
    virtual ~DataSet();
    DataSet(const DataSet &) = delete;
    DataSet &operator=(const DataSet &) = delete;

    // A name for messages (the reconcile dialog's caption).
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    int tag = 0;

    // Fields. Field definitions given before open make persistent fields (their
    // properties and events survive close and open); without them Table and
    // Query make fields from the result's columns. Names match without regard to case.
    void setFieldDefs(const QList<FieldDef> &defs);
    void addFieldDef(const FieldDef &def);
    QList<FieldDef> fieldDefs() const { return m_defs; }
    int fieldCount() const { return int(m_fields.size()); }
    Field *field(int index) const { return m_fields.at(size_t(index)).get(); }
    QList<Field *> fields() const;
    Field *findField(const QString &name) const;
    // Throws EDataSetError when there is no such field.
    Field *fieldByName(const QString &name) const;
    Field &operator[](const QString &name) const { return *fieldByName(name); }
    // Values of the current record for "A;B" as a QVariantList (one name: the value).
    QVariant fieldValues(const QString &names) const;

    void open();
    void close();
    bool isActive() const { return m_state != DataSetState::Inactive; }
    void setActive(bool active) { active ? open() : close(); }
    DataSetState state() const { return m_state; }
    bool isEditing() const { return m_state == DataSetState::Edit || m_state == DataSetState::Insert; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    virtual bool canModify() const { return !m_readOnly; }
    bool isEmpty() const;
    // True while a field of the pending edit was written.
    bool modified() const { return m_modified; }

    void first();
    void last();
    void next();
    void prior();
    // Moves up to distance records (negative: backwards); returns how far it moved.
    int moveBy(int distance);
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    // 1-based position among the visible records; 0 when empty or inserting.
    int recNo() const;
    void setRecNo(int recNo);
    int recordCount() const;

    // Insert places the new record before the current one, Append after the last.
    void append();
    void insert();
    // Edit on an empty data set inserts, as the classic engine does.
    void edit();
    void post();
    void cancel();
    // Deletes the current record (the classic Delete); the next record becomes
    // current, or the previous one when the last was deleted.
    void remove();
    // Posts a pending edit or insert (navigation does this itself).
    void checkBrowseMode();
    // Re-reads the rows from their source, keeping the current row when it still exists.
    void refresh();

    // Moves to the first visible record whose fields "A;B" equal the values (a
    // single value or a QVariantList). PartialKey matches text prefixes;
    // CaseInsensitive compares text without regard to case. False leaves the
    // position unchanged.
    bool locate(const QString &keyFields, const QVariant &keyValues, LocateOptions options = {});
    // The resultFields of the first matching record, without moving; an invalid
    // QVariant when none matches.
    QVariant lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields);

    Bookmark bookmark() const;
    // False (position unchanged) when the bookmarked row is gone or not visible.
    bool gotoBookmark(const Bookmark &bookmark);
    bool bookmarkValid(const Bookmark &bookmark) const;

    // Record filter: OnFilterRecord decides per record while filtered() is set.
    // setFilter takes a condition text ("CODE > 100", "RECEIPTNO <> 0"): a Table
    // hands it to SQL; in-memory data sets understand comparisons of a field
    // with a literal joined by AND / OR.
    std::function<bool(DataSet &)> OnFilterRecord;
    void setFiltered(bool filtered);
    bool filtered() const { return m_filtered; }
    void setFilter(const QString &filter);
    QString filter() const { return m_filterText; }

    // While disabled (counted), data sources hear nothing; the last enable
    // tells them the data set changed.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    std::function<void(DataSet &)> BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    std::function<void(DataSet &)> BeforeInsert, AfterInsert, OnNewRecord;
    std::function<void(DataSet &)> BeforeEdit, AfterEdit;
    std::function<void(DataSet &)> BeforePost, AfterPost, BeforeCancel, AfterCancel;
    std::function<void(DataSet &)> BeforeDelete, AfterDelete;
    std::function<void(DataSet &)> BeforeScroll, AfterScroll;
    std::function<void(DataSet &)> OnCalcFields;

    // For grids: the values of visible record recNo without moving the cursor
    // or firing events. A RecordScope shows such values to the fields (so text
    // events format that row) until it ends.
    virtual bool fetchRecord(int recNo, QVector<QVariant> &values) const;
    class RecordScope
    {
    public:
        RecordScope(DataSet &dataSet, QVector<QVariant> *values);
        ~RecordScope();

    private:
        DataSet &m_dataSet;
        QVector<QVariant> *m_saved;
        DataSetState m_savedState;
    };

    // Field plumbing (used by Field).
    QVariant fieldValue(int index) const;
    void setFieldValue(Field &field, const QVariant &value);
    virtual QVariant fieldOldValue(int index) const;
    virtual QVariant fieldCurValue(int index, bool *has) const;
    virtual QVariant fieldNewValue(int index, bool *has) const;
    virtual void setFieldNewValue(Field &field, const QVariant &value) { setFieldValue(field, value); }

    // Data sources (used by DataSource).
    void attachSource(DataSource *source);
    void detachSource(DataSource *source);

protected:
    // The names of a list such as "CODE;NAME", blanks around them dropped.
    static QStringList splitNames(const QString &names);
    // The cursor a subclass provides. Moves put the record's values into
    // buffer() and return false (cursor unchanged) when there is no such record.
    virtual void internalOpen() = 0;
    virtual void internalClose() = 0;
    virtual bool internalFirst() = 0;
    virtual bool internalLast() = 0;
    virtual bool internalNext() = 0;
    virtual bool internalPrior() = 0;
    virtual int internalRecordCount() const = 0;
    virtual int internalRecNo() const = 0;
    virtual bool internalSetRecNo(int recNo) = 0;
    // Writes buffer() as a new (inserting) or changed record and makes it current.
    // append: the new record belongs at the end.
    virtual void internalPost(bool inserting, bool append) = 0;
    // Removes the current record and moves to the next one, or the previous when
    // it was the last; false when no record is left.
    virtual bool internalDelete() = 0;
    // Re-reads the current record into buffer(); false when it is gone.
    virtual bool internalRefetch() = 0;
    virtual void internalRefresh() = 0;
    virtual Bookmark internalBookmark() const = 0;
    virtual bool internalGotoBookmark(const Bookmark &bookmark) = 0;
    virtual bool internalBookmarkValid(const Bookmark &bookmark) const = 0;
    // The first visible record matching (a bookmark; invalid when none), with
    // the resultFields' values of it when asked. Table answers with one query.
    virtual Bookmark internalLocate(const QList<int> &fields, const QVariantList &values, LocateOptions options,
                                    QVariantList *result, const QList<int> &resultFields) = 0;
    virtual void filterChanged() = 0;
    // Whether the current record is in the data set at all (false when empty).
    virtual bool internalHasRecord() const = 0;

    // Helpers for subclasses.
    // For destructors: closes without events or notifications (the handlers
    // may belong to objects already gone).
    void closeQuietly();
    QVector<QVariant> &buffer() { return m_buffer; }
    const QVector<QVariant> &buffer() const { return m_buffer; }
    void createFields(const QList<FieldDef> &columns);
    // Whether a record with these values passes the filter (filter text read
    // in memory when useText, then OnFilterRecord); true while not filtered.
    bool acceptRecord(const QVector<QVariant> &values, bool useText);
    void calculateFields();
    void notify(DataEvent event, Field *field = nullptr);
    void setState(DataSetState state);
    void resync();           // after a cursor change outside navigation: calc fields, flags
    const QVector<QVariant> &savedBuffer() const { return m_saved; }
    bool valuesMatch(const QVector<QVariant> &values, const QList<int> &fields, const QVariantList &keys,
                     LocateOptions options) const;
    bool hasCalcHandler() const;
    int m_insertRecNo = 0;

    QString m_filterText;
    bool m_filtered = false;

private:
    void scrollBracket(const std::function<void()> &move);
    void beginInsert(bool append);
    void clearBuffer();

    QString m_name;
    QList<FieldDef> m_defs;
    std::vector<std::unique_ptr<Field>> m_fields;
    QVector<QVariant> m_buffer;
    QVector<QVariant> m_saved;
    QVector<QVariant> *m_active = &m_buffer;
    DataSetState m_state = DataSetState::Inactive;
    bool m_bof = true;
    bool m_eof = true;
    bool m_readOnly = false;
    bool m_modified = false;
    bool m_appending = false;
    bool m_calculating = false;
    int m_disableCount = 0;
    QList<DataSource *> m_sources;
    // The parsed form of m_filterText for in-memory data sets (see DataSet.cpp).
    std::shared_ptr<const class FilterExpr> m_filterExpr;
    friend class Field;
};
