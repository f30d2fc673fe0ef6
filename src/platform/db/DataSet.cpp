#include "platform/db/DataSet.h"

#include <QRegularExpression>

#include "platform/db/DataSource.h"
#include "platform/db/LocalSql.h"

namespace {

bool isEmptyValue(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        return true;
    default:
        return v.userType() == qMetaTypeId<Currency>();
    }
}

double numberOf(const QVariant &v)
{
    if (v.userType() == qMetaTypeId<Currency>())
        return v.value<Currency>().toDouble();
    return v.toDouble();
}

} // namespace

int compareValues(const QVariant &a, const QVariant &b, bool caseInsensitive)
{
    const bool an = isEmptyValue(a), bn = isEmptyValue(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    if (a.userType() == qMetaTypeId<Currency>() && b.userType() == qMetaTypeId<Currency>()) {
        const auto x = a.value<Currency>(), y = b.value<Currency>();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (isNumber(a) && isNumber(b)) {
        if ((a.typeId() == QMetaType::LongLong || a.typeId() == QMetaType::Int)
            && (b.typeId() == QMetaType::LongLong || b.typeId() == QMetaType::Int)) {
            const qlonglong x = a.toLongLong(), y = b.toLongLong();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = numberOf(a), y = numberOf(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.typeId() == QMetaType::QDate && b.typeId() == QMetaType::QDate) {
        const QDate x = a.toDate(), y = b.toDate();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    const int c = QString::compare(a.toString(), b.toString(), caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// The filter text of in-memory data sets: comparisons of a field with a literal
// ("RECEIPTNO <> 0", "NAME = 'x'", "RESERVED = True", "X IS NULL"), joined by
// AND and OR, NOT, and parentheses.
class FilterExpr
{
public:
    enum Kind { Or, And, Not, Compare, IsNull };
    Kind kind = Compare;
    std::vector<std::shared_ptr<FilterExpr>> children;
    int field = -1;
    QString op;
    QVariant literal;
    bool negate = false;

    bool eval(const DataSet &ds, const QVector<QVariant> &values) const
    {
        switch (kind) {
        case Or:
            for (const auto &c : children)
                if (c->eval(ds, values))
                    return true;
            return false;
        case And:
            for (const auto &c : children)
                if (!c->eval(ds, values))
                    return false;
            return true;
        case Not:
            return !children.front()->eval(ds, values);
        case IsNull:
            return isEmptyValue(values.value(field)) != negate;
        case Compare: {
            const QVariant v = values.value(field);
            if (isEmptyValue(v) || isEmptyValue(literal))
                return false;   // SQL: a comparison with empty is never true
            QVariant lit = literal;
            try {
                lit = ds.field(field)->convert(literal);
            } catch (const EDataSetError &) {
            }
            const int c = compareValues(v, lit);
            if (op == QLatin1String("="))
                return c == 0;
            if (op == QLatin1String("<>") || op == QLatin1String("!="))
                return c != 0;
            if (op == QLatin1String("<"))
                return c < 0;
            if (op == QLatin1String("<="))
                return c <= 0;
            if (op == QLatin1String(">"))
                return c > 0;
            return c >= 0;
        }
        }
        return false;
    }
};

namespace {

class FilterParser
{
public:
    FilterParser(const DataSet &ds, const QString &text) : m_ds(ds)
    {
        static const QRegularExpression token(
            QStringLiteral(R"(\s*('(?:[^']|'')*'|<>|!=|<=|>=|[=<>()]|[-+]?\d+(?:\.\d+)?|[\w.]+))"));
        int pos = 0;
        while (pos < text.size()) {
            const auto m = token.match(text, pos, QRegularExpression::NormalMatch,
                                       QRegularExpression::AnchorAtOffsetMatchOption);
            if (!m.hasMatch()) {
                if (text.mid(pos).trimmed().isEmpty())
                    break;
                fail(text);
            }
            m_tokens << m.captured(1);
            pos = m.capturedEnd(0);
        }
        m_text = text;
    }

    std::shared_ptr<FilterExpr> parse()
    {
        auto e = parseOr();
        if (m_pos != m_tokens.size())
            fail(m_text);
        return e;
    }

private:
    [[noreturn]] void fail(const QString &text)
    {
        throw EDataSetError(QStringLiteral("フィルタ式が正しくありません: %1").arg(text));
    }
    // A date compared with a date field, in the forms the rewritten SQL takes:
    // month first as the dialect writes it ('01/05/2026'), or ISO. Anything
    // else would silently match nothing, so it is refused.
    QDate dateLiteral(const QString &text)
    {
        QString iso = LocalSql::isoDateFromMonthFirst(text);
        if (iso.isEmpty())
            iso = text.trimmed();
        const QDate date = QDate::fromString(iso, Qt::ISODate);
        if (!date.isValid())
            throw EDataSetError(QStringLiteral("フィルタ式の日付が正しくありません: %1").arg(text));
        return date;
    }
    QString peek() const { return m_pos < m_tokens.size() ? m_tokens[m_pos] : QString(); }
    QString take()
    {
        if (m_pos >= m_tokens.size())
            fail(m_text);
        return m_tokens[m_pos++];
    }
    bool takeWord(const char *word)
    {
        if (peek().compare(QLatin1String(word), Qt::CaseInsensitive) == 0) {
            ++m_pos;
            return true;
        }
        return false;
    }
    std::shared_ptr<FilterExpr> parseOr() { return parseJoined(FilterExpr::Or, "OR", &FilterParser::parseAnd); }
    std::shared_ptr<FilterExpr> parseAnd() { return parseJoined(FilterExpr::And, "AND", &FilterParser::parseFactor); }
    // Items of the next tighter kind joined by `word`; a single item stands alone.
    std::shared_ptr<FilterExpr> parseJoined(FilterExpr::Kind kind, const char *word,
                                            std::shared_ptr<FilterExpr> (FilterParser::*item)())
    {
        auto first = (this->*item)();
        if (peek().compare(QLatin1String(word), Qt::CaseInsensitive) != 0)
            return first;
        auto e = std::make_shared<FilterExpr>();
        e->kind = kind;
        e->children.push_back(first);
        while (takeWord(word))
            e->children.push_back((this->*item)());
        return e;
    }
    std::shared_ptr<FilterExpr> parseFactor()
    {
        if (takeWord("NOT")) {
            auto e = std::make_shared<FilterExpr>();
            e->kind = FilterExpr::Not;
            e->children.push_back(parseFactor());
            return e;
        }
        if (peek() == QLatin1String("(")) {
            take();
            auto e = parseOr();
            if (take() != QLatin1String(")"))
                fail(m_text);
            return e;
        }
        const QString name = take();
        Field *f = m_ds.findField(name);
        if (!f)
            throw EDataSetError(QStringLiteral("フィールド '%1' が見つかりません").arg(name));
        auto e = std::make_shared<FilterExpr>();
        e->field = f->index();
        if (takeWord("IS")) {
            e->kind = FilterExpr::IsNull;
            e->negate = takeWord("NOT");
            if (!takeWord("NULL"))
                fail(m_text);
            return e;
        }
        e->op = take();
        static const QStringList ops{QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("!="),
                                     QStringLiteral("<"), QStringLiteral("<="), QStringLiteral(">"),
                                     QStringLiteral(">=")};
        if (!ops.contains(e->op))
            fail(m_text);
        const QString lit = take();
        if (lit.startsWith(QLatin1Char('\''))) {
            QString s = lit.mid(1, lit.size() - 2);
            s.replace(QStringLiteral("''"), QStringLiteral("'"));
            e->literal = s;
            if (f->dataType() == FieldType::Date)
                e->literal = dateLiteral(s);
        } else if (lit.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0) {
            e->literal = true;
        } else if (lit.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) {
            e->literal = false;
        } else if (lit.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0) {
            e->literal = QVariant();
        } else {
            bool ok = false;
            const qlonglong i = lit.toLongLong(&ok);
            if (ok)
                e->literal = i;
            else {
                const double d = lit.toDouble(&ok);
                if (!ok)
                    fail(m_text);
                e->literal = d;
            }
        }
        return e;
    }

    const DataSet &m_ds;
    QStringList m_tokens;
    int m_pos = 0;
    QString m_text;
};

} // namespace

DataSet::DataSet() = default;

QStringList DataSet::splitNames(const QString &names)
{
    QStringList out;
    for (const QString &n : names.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!n.trimmed().isEmpty())
            out << n.trimmed();
    return out;
}

DataSet::~DataSet()
{
    const auto sources = m_sources;   // setDataSet detaches, changing the list
    for (DataSource *s : sources)
        s->setDataSet(nullptr);
}

void DataSet::setFieldDefs(const QList<FieldDef> &defs)
{
    if (isActive())
        throw EDataSetError(QStringLiteral("開いているデータセットのフィールドは変更できません"));
    m_defs = defs;
    m_fields.clear();
}

void DataSet::addFieldDef(const FieldDef &def)
{
    if (isActive())
        throw EDataSetError(QStringLiteral("開いているデータセットのフィールドは変更できません"));
    m_defs << def;
    m_fields.clear();
}

QList<Field *> DataSet::fields() const
{
    QList<Field *> out;
    for (const auto &f : m_fields)
        out << f.get();
    return out;
}

Field *DataSet::findField(const QString &name) const
{
    for (const auto &f : m_fields)
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

Field *DataSet::fieldByName(const QString &name) const
{
    Field *f = findField(name);
    if (!f)
        throw EDataSetError(QStringLiteral("フィールド '%1' が見つかりません").arg(name));
    return f;
}

QVariant DataSet::fieldValues(const QString &names) const
{
    const QStringList list = splitNames(names);
    if (list.size() == 1)
        return fieldByName(list.first())->value();
    QVariantList values;
    for (const QString &n : list)
        values << fieldByName(n)->value();
    return values;
}

void DataSet::createFields(const QList<FieldDef> &columns)
{
    // Persistent definitions win; otherwise fields follow the columns, and the
    // same layout keeps its Field objects (and their events) across close and open.
    const QList<FieldDef> &wanted = m_defs.isEmpty() ? columns : m_defs;
    bool same = int(m_fields.size()) == wanted.size();
    for (int i = 0; same && i < wanted.size(); ++i)
        same = m_fields[size_t(i)]->fieldName().compare(wanted[i].name, Qt::CaseInsensitive) == 0
            && m_fields[size_t(i)]->dataType() == wanted[i].type;
    if (!same) {
        m_fields.clear();
        for (int i = 0; i < wanted.size(); ++i)
            m_fields.push_back(std::make_unique<Field>(this, wanted[i], i));
    }
    m_buffer = QVector<QVariant>(fieldCount());
    m_saved = m_buffer;
}

void DataSet::open()
{
    if (isActive())
        return;
    if (BeforeOpen)
        BeforeOpen(*this);
    internalOpen();
    m_state = DataSetState::Browse;
    m_bof = true;
    m_eof = !internalHasRecord();
    m_modified = false;
    if (m_eof)
        clearBuffer();
    calculateFields();
    notify(DataEvent::LayoutChange);
    notify(DataEvent::StateChange);
    notify(DataEvent::DataSetChange);
    if (AfterOpen)
        AfterOpen(*this);
    if (!isEmpty() && AfterScroll)
        AfterScroll(*this);
}

void DataSet::close()
{
    if (!isActive())
        return;
    if (BeforeClose)
        BeforeClose(*this);
    if (isEditing()) {
        m_buffer = m_saved;
        m_state = DataSetState::Browse;
    }
    internalClose();
    m_state = DataSetState::Inactive;
    m_bof = m_eof = true;
    m_modified = false;
    clearBuffer();
    notify(DataEvent::StateChange);
    notify(DataEvent::LayoutChange);
    if (AfterClose)
        AfterClose(*this);
}

void DataSet::closeQuietly()
{
    if (!isActive())
        return;
    m_state = DataSetState::Inactive;
    try {
        internalClose();
    } catch (...) {
        // Nothing can be reported from a destructor; the data set is gone anyway.
    }
    m_bof = m_eof = true;
}

bool DataSet::isEmpty() const
{
    if (!isActive())
        return true;
    if (m_state == DataSetState::Insert)
        return false;
    return !internalHasRecord();
}

void DataSet::clearBuffer()
{
    m_buffer = QVector<QVariant>(fieldCount());
}

static void checkActive(const DataSet &ds)
{
    if (!ds.isActive())
        throw EDataSetError(QStringLiteral("データセットが開かれていません"));
}

void DataSet::scrollBracket(const std::function<void()> &move)
{
    if (BeforeScroll)
        BeforeScroll(*this);
    move();
    if (!internalHasRecord())
        clearBuffer();
    calculateFields();
    notify(DataEvent::DataSetScroll);
    if (AfterScroll)
        AfterScroll(*this);
}

void DataSet::first()
{
    checkActive(*this);
    checkBrowseMode();
    scrollBracket([this] {
        internalFirst();
        m_bof = true;
        m_eof = !internalHasRecord();
    });
}

void DataSet::last()
{
    checkActive(*this);
    checkBrowseMode();
    scrollBracket([this] {
        internalLast();
        m_eof = true;
        m_bof = !internalHasRecord();
    });
}

int DataSet::moveBy(int distance)
{
    checkActive(*this);
    checkBrowseMode();
    int moved = 0;
    scrollBracket([&] {
        if ((distance > 0 && !m_eof) || (distance < 0 && !m_bof)) {
            m_bof = m_eof = false;
            while (distance > 0) {
                if (!internalNext()) {
                    m_eof = true;
                    break;
                }
                --distance;
                ++moved;
            }
            while (distance < 0) {
                if (!internalPrior()) {
                    m_bof = true;
                    break;
                }
                ++distance;
                --moved;
            }
        }
        if (!internalHasRecord())
            m_bof = m_eof = true;
    });
    return moved;
}

void DataSet::next()
{
    moveBy(1);
}

void DataSet::prior()
{
    moveBy(-1);
}

int DataSet::recNo() const
{
    if (!isActive())
        return 0;
    if (m_state == DataSetState::Insert)
        return m_insertRecNo;
    return internalHasRecord() ? internalRecNo() : 0;
}

void DataSet::setRecNo(int recNo)
{
    checkActive(*this);
    checkBrowseMode();
    const int count = recordCount();
    if (count == 0)
        return;
    recNo = qBound(1, recNo, count);
    if (recNo == internalRecNo())
        return;
    scrollBracket([&] {
        internalSetRecNo(recNo);
        m_bof = m_eof = false;
    });
}

int DataSet::recordCount() const
{
    if (!isActive())
        return 0;
    return internalRecordCount();
}

void DataSet::beginInsert(bool append)
{
    checkActive(*this);
    if (!canModify())
        throw EDataSetError(QStringLiteral("読み取り専用のデータセットは変更できません"));
    checkBrowseMode();
    if (BeforeInsert)
        BeforeInsert(*this);
    if (BeforeScroll)
        BeforeScroll(*this);
    const int count = internalRecordCount();
    m_insertRecNo = append || !internalHasRecord() ? (append ? count + 1 : 1) : internalRecNo();
    m_appending = append;
    m_saved = m_buffer;
    clearBuffer();
    m_state = DataSetState::Insert;
    try {
        calculateFields();
        if (OnNewRecord)
            OnNewRecord(*this);
    } catch (...) {
        m_state = DataSetState::Browse;
        m_buffer = m_saved;
        throw;
    }
    m_modified = false;
    m_bof = m_eof = false;
    notify(DataEvent::StateChange);
    notify(DataEvent::DataSetChange);
    if (AfterInsert)
        AfterInsert(*this);
    if (AfterScroll)
        AfterScroll(*this);
}

void DataSet::append()
{
    beginInsert(true);
}

void DataSet::insert()
{
    beginInsert(false);
}

void DataSet::edit()
{
    checkActive(*this);
    if (isEditing())
        return;
    if (!canModify())
        throw EDataSetError(QStringLiteral("読み取り専用のデータセットは変更できません"));
    if (isEmpty()) {
        insert();
        return;
    }
    if (BeforeEdit)
        BeforeEdit(*this);
    // Start from the stored row, not from what was read long ago.
    if (!internalRefetch())
        throw EDataSetError(QStringLiteral("レコードが見つかりません。他のユーザーによって削除されました"));
    calculateFields();
    m_saved = m_buffer;
    m_state = DataSetState::Edit;
    m_modified = false;
    notify(DataEvent::StateChange);
    if (AfterEdit)
        AfterEdit(*this);
}

void DataSet::post()
{
    checkActive(*this);
    if (!isEditing())
        return;
    notify(DataEvent::UpdateData);
    if (BeforePost)
        BeforePost(*this);
    const bool inserting = m_state == DataSetState::Insert;
    internalPost(inserting, m_appending);
    m_state = DataSetState::Browse;
    m_modified = false;
    m_bof = m_eof = false;
    calculateFields();
    notify(DataEvent::StateChange);
    notify(DataEvent::DataSetChange);
    if (AfterPost)
        AfterPost(*this);
}

void DataSet::cancel()
{
    if (!isEditing())
        return;
    if (BeforeCancel)
        BeforeCancel(*this);
    const bool inserting = m_state == DataSetState::Insert;
    m_state = DataSetState::Browse;
    m_modified = false;
    if (inserting) {
        if (!internalRefetch())
            clearBuffer();
    } else {
        m_buffer = m_saved;
    }
    if (!internalHasRecord())
        m_bof = m_eof = true;
    calculateFields();
    notify(DataEvent::StateChange);
    notify(DataEvent::DataSetChange);
    if (AfterCancel)
        AfterCancel(*this);
}

void DataSet::remove()
{
    checkActive(*this);
    if (m_state == DataSetState::Insert) {
        cancel();
        return;
    }
    if (isEmpty())
        throw EDataSetError(QStringLiteral("空のデータセットでは削除できません"));
    if (!canModify())
        throw EDataSetError(QStringLiteral("読み取り専用のデータセットは変更できません"));
    if (m_state == DataSetState::Edit) {
        // The pending edit goes with the record.
        m_buffer = m_saved;
    }
    if (BeforeDelete)
        BeforeDelete(*this);
    if (BeforeScroll)
        BeforeScroll(*this);
    const bool left = internalDelete();
    m_state = DataSetState::Browse;
    m_modified = false;
    m_bof = m_eof = !left;
    if (!left)
        clearBuffer();
    calculateFields();
    notify(DataEvent::StateChange);
    notify(DataEvent::DataSetChange);
    if (AfterDelete)
        AfterDelete(*this);
    if (AfterScroll)
        AfterScroll(*this);
}

void DataSet::checkBrowseMode()
{
    if (!isEditing())
        return;
    notify(DataEvent::UpdateData);
    // An inserted record nobody wrote into goes away, as in a grid that leaves
    // an untouched new line.
    if (m_modified)
        post();
    else
        cancel();
}

void DataSet::refresh()
{
    checkActive(*this);
    checkBrowseMode();
    internalRefresh();
    if (!internalHasRecord()) {
        clearBuffer();
        m_bof = m_eof = true;
    }
    calculateFields();
    notify(DataEvent::DataSetChange);
}

void DataSet::resync()
{
    if (!internalHasRecord()) {
        clearBuffer();
        m_bof = m_eof = true;
    }
    calculateFields();
    notify(DataEvent::DataSetChange);
}

static QVariantList valueList(const QVariant &values)
{
    if (values.typeId() == QMetaType::QVariantList)
        return values.toList();
    return QVariantList{values};
}

bool DataSet::locate(const QString &keyFields, const QVariant &keyValues, LocateOptions options)
{
    checkActive(*this);
    checkBrowseMode();
    QList<int> fields;
    for (const QString &n : splitNames(keyFields))
        fields << fieldByName(n)->index();
    const QVariantList values = valueList(keyValues);
    if (values.size() != fields.size())
        throw EDataSetError(QStringLiteral("検索する値の数がフィールドの数と違います"));
    const Bookmark found = internalLocate(fields, values, options, nullptr, {});
    if (!found.isValid())
        return false;
    scrollBracket([&] {
        internalGotoBookmark(found);
        m_bof = m_eof = false;
    });
    return true;
}

QVariant DataSet::lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields)
{
    checkActive(*this);
    QList<int> fields, results;
    for (const QString &n : splitNames(keyFields))
        fields << fieldByName(n)->index();
    for (const QString &n : splitNames(resultFields))
        results << fieldByName(n)->index();
    const QVariantList values = valueList(keyValues);
    if (values.size() != fields.size())
        throw EDataSetError(QStringLiteral("検索する値の数がフィールドの数と違います"));
    QVariantList out;
    const Bookmark found = internalLocate(fields, values, {}, &out, results);
    if (!found.isValid())
        return QVariant();
    return out.size() == 1 ? out.first() : QVariant(out);
}

bool DataSet::valuesMatch(const QVector<QVariant> &values, const QList<int> &fields, const QVariantList &keys,
                          LocateOptions options) const
{
    for (int i = 0; i < fields.size(); ++i) {
        const Field *f = field(fields[i]);
        const QVariant v = values.value(fields[i]);
        QVariant k = keys[i];
        const bool text = f->dataType() == FieldType::String || f->dataType() == FieldType::Memo;
        if (text && options.testFlag(LocateOption::PartialKey)) {
            if (isEmptyValue(v))
                return isEmptyValue(k) || k.toString().isEmpty();
            if (!v.toString().startsWith(k.toString(), options.testFlag(LocateOption::CaseInsensitive)
                                                           ? Qt::CaseInsensitive
                                                           : Qt::CaseSensitive))
                return false;
            continue;
        }
        try {
            k = f->convert(k);
        } catch (const EDataSetError &) {
            return false;
        }
        if (isEmptyValue(k) != isEmptyValue(v))
            return false;
        if (compareValues(v, k, text && options.testFlag(LocateOption::CaseInsensitive)) != 0)
            return false;
    }
    return true;
}

Bookmark DataSet::bookmark() const
{
    if (!isActive() || !internalHasRecord() || m_state == DataSetState::Insert)
        return Bookmark();
    return internalBookmark();
}

bool DataSet::gotoBookmark(const Bookmark &bookmark)
{
    checkActive(*this);
    checkBrowseMode();
    if (!bookmark.isValid() || !internalBookmarkValid(bookmark))
        return false;
    scrollBracket([&] {
        internalGotoBookmark(bookmark);
        m_bof = m_eof = false;
    });
    return true;
}

bool DataSet::bookmarkValid(const Bookmark &bookmark) const
{
    return isActive() && bookmark.isValid() && internalBookmarkValid(bookmark);
}

void DataSet::setFiltered(bool filtered)
{
    if (filtered == m_filtered)
        return;
    if (isActive())
        checkBrowseMode();
    m_filtered = filtered;
    if (isActive()) {
        filterChanged();
        m_bof = true;
        m_eof = !internalHasRecord();
        resync();
    }
}

void DataSet::setFilter(const QString &filter)
{
    if (isActive())
        checkBrowseMode();
    m_filterText = filter.trimmed();
    m_filterExpr.reset();
    if (isActive() && m_filtered) {
        filterChanged();
        m_bof = true;
        m_eof = !internalHasRecord();
        resync();
    }
}

bool DataSet::acceptRecord(const QVector<QVariant> &values, bool useText)
{
    if (!m_filtered)
        return true;
    if (useText && !m_filterText.isEmpty()) {
        if (!m_filterExpr)
            m_filterExpr = FilterParser(*this, m_filterText).parse();
        if (!m_filterExpr->eval(*this, values))
            return false;
    }
    if (!OnFilterRecord)
        return true;
    QVector<QVariant> copy = values;
    RecordScope scope(*this, &copy);
    return OnFilterRecord(*this);
}

void DataSet::disableControls()
{
    ++m_disableCount;
}

void DataSet::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0) {
        notify(DataEvent::StateChange);
        notify(DataEvent::DataSetChange);
    }
}

bool DataSet::hasCalcHandler() const
{
    if (!OnCalcFields)
        return false;
    for (const auto &f : m_fields)
        if (f->isCalculated())
            return true;
    return false;
}

void DataSet::calculateFields()
{
    if (!hasCalcHandler() || m_calculating || !isActive())
        return;
    if (m_state == DataSetState::Browse && !internalHasRecord() && m_active == &m_buffer)
        return;
    for (const auto &f : m_fields)
        if (f->kind() == FieldKind::Calculated)
            (*m_active)[f->index()] = QVariant();
    const DataSetState saved = m_state;
    m_state = DataSetState::CalcFields;
    m_calculating = true;
    try {
        OnCalcFields(*this);
    } catch (...) {
        m_state = saved;
        m_calculating = false;
        throw;
    }
    m_state = saved;
    m_calculating = false;
}

void DataSet::notify(DataEvent event, Field *field)
{
    if (m_disableCount > 0)
        return;
    const auto sources = m_sources;
    for (DataSource *s : sources)
        s->dataEvent(event, field);
}

void DataSet::setState(DataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    notify(DataEvent::StateChange);
}

bool DataSet::fetchRecord(int, QVector<QVariant> &) const
{
    return false;
}

DataSet::RecordScope::RecordScope(DataSet &dataSet, QVector<QVariant> *values)
    : m_dataSet(dataSet), m_saved(dataSet.m_active), m_savedState(dataSet.m_state)
{
    m_dataSet.m_active = values;
    if (m_dataSet.m_state != DataSetState::CalcFields)
        m_dataSet.m_state = DataSetState::Browse;
    if (values && m_dataSet.hasCalcHandler() && !m_dataSet.m_calculating) {
        try {
            m_dataSet.calculateFields();
        } catch (...) {
            // A failing calculation leaves the calculated cells empty in a grid
            // rather than breaking the paint.
        }
    }
}

DataSet::RecordScope::~RecordScope()
{
    m_dataSet.m_active = m_saved;
    m_dataSet.m_state = m_savedState;
}

QVariant DataSet::fieldValue(int index) const
{
    return m_active->value(index);
}

void DataSet::setFieldValue(Field &field, const QVariant &value)
{
    const int i = field.index();
    if (m_state == DataSetState::CalcFields) {
        if (!field.isCalculated())
            throw EDataSetError(QStringLiteral("計算中はフィールド '%1' を変更できません").arg(field.fieldName()));
        (*m_active)[i] = value;
        return;
    }
    if (!isEditing())
        throw EDataSetError(QStringLiteral("データセットが編集モードではありません"));
    // A calculated field is recomputed on every fetch, so a write outside the
    // calculation would be lost: refused, as a read-only field is.
    if (field.readOnly() || field.kind() == FieldKind::Calculated)
        throw EDataSetError(QStringLiteral("フィールド '%1' は変更できません").arg(field.fieldName()));
    const QVariant old = m_buffer[i];
    m_buffer[i] = value;
    if (field.OnValidate) {
        try {
            field.OnValidate(field);
        } catch (...) {
            m_buffer[i] = old;
            throw;
        }
    }
    m_modified = true;
    if (!field.isCalculated() || field.kind() == FieldKind::InternalCalc)
        calculateFields();
    if (field.OnChange)
        field.OnChange(field);
    notify(DataEvent::FieldChange, &field);
}

QVariant DataSet::fieldOldValue(int index) const
{
    if (m_state == DataSetState::Edit)
        return m_saved.value(index);
    return fieldValue(index);
}

QVariant DataSet::fieldCurValue(int, bool *has) const
{
    if (has)
        *has = false;
    return QVariant();
}

QVariant DataSet::fieldNewValue(int index, bool *has) const
{
    if (has)
        *has = isEditing() && compareValues(m_buffer.value(index), m_saved.value(index)) != 0;
    return fieldValue(index);
}

void DataSet::attachSource(DataSource *source)
{
    if (!m_sources.contains(source))
        m_sources << source;
}

void DataSet::detachSource(DataSource *source)
{
    m_sources.removeAll(source);
}
