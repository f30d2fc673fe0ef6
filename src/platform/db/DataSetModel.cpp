#include "platform/db/DataSetModel.h"

DataSetModel::DataSetModel(QObject *parent) : QAbstractTableModel(parent) {}

DataSetModel::DataSetModel(DataSource *source, QObject *parent) : QAbstractTableModel(parent)
{
    setDataSource(source);
}

DataSetModel::~DataSetModel() = default;

void DataSetModel::setDataSource(DataSource *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    beginResetModel();
    m_source = source;
    if (m_source)
        connect(m_source, &DataSource::event, this, &DataSetModel::onEvent);
    rebuildColumns();
    endResetModel();
}

void DataSetModel::setColumns(const QStringList &fieldNames)
{
    beginResetModel();
    m_columnNames = fieldNames;
    rebuildColumns();
    endResetModel();
}

void DataSetModel::rebuildColumns()
{
    m_columns.clear();
    m_rowCount = 0;
    DataSet *ds = dataSet();
    if (!ds || !ds->isActive() || !m_source->enabled())
        return;
    if (m_columnNames.isEmpty()) {
        for (Field *f : ds->fields())
            if (f->visible())
                m_columns << f->index();
    } else {
        // An empty name is a column without a field (shown blank, e.g. a
        // list's filler); other names without a field are left out.
        for (const QString &n : std::as_const(m_columnNames))
            if (n.isEmpty())
                m_columns << -1;
            else if (Field *f = ds->findField(n))
                m_columns << f->index();
    }
    m_rowCount = ds->recordCount() + (ds->state() == DataSetState::Insert ? 1 : 0);
}

Field *DataSetModel::fieldAt(int column) const
{
    DataSet *ds = dataSet();
    if (!ds || column < 0 || column >= m_columns.size() || m_columns[column] < 0
        || m_columns[column] >= ds->fieldCount())
        return nullptr;
    return ds->field(m_columns[column]);
}

int DataSetModel::columnOf(const QString &fieldName) const
{
    for (int c = 0; c < m_columns.size(); ++c)
        if (Field *f = fieldAt(c); f && f->fieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

int DataSetModel::currentRow() const
{
    DataSet *ds = dataSet();
    if (!ds || !ds->isActive() || ds->isEmpty())
        return -1;
    return ds->recNo() - 1;
}

void DataSetModel::onEvent(DataEvent event, Field *field)
{
    switch (event) {
    case DataEvent::LayoutChange:
    case DataEvent::DataSetChange:
    case DataEvent::StateChange: {
        DataSet *ds = dataSet();
        const int rows = ds && ds->isActive() ? ds->recordCount() + (ds->state() == DataSetState::Insert ? 1 : 0) : 0;
        if (event == DataEvent::LayoutChange || rows != m_rowCount || m_columns.isEmpty()) {
            beginResetModel();
            rebuildColumns();
            endResetModel();
        } else if (m_rowCount > 0 && !m_columns.isEmpty()) {
            emit dataChanged(index(0, 0), index(m_rowCount - 1, int(m_columns.size()) - 1));
        }
        emit currentRowChanged(currentRow());
        break;
    }
    case DataEvent::FieldChange:
    case DataEvent::RecordChange: {
        const int row = currentRow();
        if (row >= 0 && row < m_rowCount && !m_columns.isEmpty())
            emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
        break;
    }
    case DataEvent::DataSetScroll:
        emit currentRowChanged(currentRow());
        break;
    case DataEvent::UpdateData:
        break;
    }
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString DataSetModel::cellText(int row, Field *field, bool displayText) const
{
    DataSet *ds = dataSet();
    const int recNo = row + 1;
    // The current record (also while it is being edited or inserted) shows the
    // buffer; other rows are read without moving the cursor.
    if (ds->recNo() == recNo && !ds->isEmpty())
        return displayText ? field->displayText() : field->text();
    int fetchNo = recNo;
    if (ds->state() == DataSetState::Insert && recNo > ds->recNo())
        fetchNo = recNo - 1;
    QVector<QVariant> values;
    if (!ds->fetchRecord(fetchNo, values))
        return QString();
    DataSet::RecordScope scope(*ds, &values);
    try {
        return displayText ? field->displayText() : field->text();
    } catch (const std::exception &) {
        return QString();
    }
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    Field *field = fieldAt(index.column());
    if (!field || !index.isValid() || index.row() >= m_rowCount)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), field, true);
    case Qt::EditRole:
        return cellText(index.row(), field, false);
    case Qt::TextAlignmentRole:
        switch (field->dataType()) {
        case FieldType::Smallint:
        case FieldType::Integer:
        case FieldType::Float:
        case FieldType::Currency:
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        }
    default:
        return QVariant();
    }
}

bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    Field *field = fieldAt(index.column());
    DataSet *ds = dataSet();
    if (!field || !ds || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    m_lastError.clear();
    try {
        if (ds->recNo() != index.row() + 1)
            ds->setRecNo(index.row() + 1);
        if (ds->recNo() != index.row() + 1)
            return false;
        ds->edit();
        field->setText(value.toString());
    } catch (const EAbort &) {
        return false;
    } catch (const EDataSetError &e) {
        m_lastError = e.message();
        emit editFailed(m_lastError);
        return false;
    } catch (const std::exception &e) {
        m_lastError = QString::fromUtf8(e.what());
        emit editFailed(m_lastError);
        return false;
    }
    const QModelIndex left = this->index(index.row(), 0);
    const QModelIndex right = this->index(index.row(), int(m_columns.size()) - 1);
    emit dataChanged(left, right);
    return true;
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        if (Field *f = fieldAt(section))
            return f->displayLabel();
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return QVariant();
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    Field *field = fieldAt(index.column());
    if (!field)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    DataSet *ds = dataSet();
    if (ds && ds->canModify() && !field->readOnly() && field->kind() != FieldKind::Calculated)
        f |= Qt::ItemIsEditable;
    return f;
}
