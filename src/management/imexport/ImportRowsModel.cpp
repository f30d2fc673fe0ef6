#include "management/imexport/ImportRowsModel.h"

#include <QBrush>
#include <QColor>

TImportRowsModel::TImportRowsModel(TImportRun &run, QObject *parent) : QAbstractTableModel(parent), m_run(run) {}

void TImportRowsModel::Show(const QList<TImportRow> *rows, const QList<int> &fields, bool converted)
{
    beginResetModel();
    m_rows = rows;
    m_fields = fields;
    m_converted = converted;
    endResetModel();
}

int TImportRowsModel::RowOfImportNo(int importNo) const
{
    if (!m_rows)
        return -1;
    for (int i = 0; i < m_rows->size(); ++i)
        if (m_rows->at(i)[fImportNo].toInt() == importNo)
            return i;
    return -1;
}

int TImportRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_rows ? 0 : int(m_rows->size());
}

int TImportRowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant TImportRowsModel::data(const QModelIndex &index, int role) const
{
    if (!m_rows || !index.isValid() || index.row() >= m_rows->size())
        return {};
    const TImportRow &row = m_rows->at(index.row());
    const int field = m_fields.at(index.column());
    if (role == Qt::DisplayRole)
        return m_run.DisplayText(row, field, m_converted);
    if (role == Qt::ForegroundRole && !row.good())
        return QBrush(QColor(Qt::red));
    if (role == Qt::TextAlignmentRole && (field == fKINGAKU || field == fKariGaku || field == fKasiGaku ||
                                          field == fImportNo || field == fQUANTITY))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TImportRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return ImportFieldCaption(m_fields.value(section));
    return section + 1;
}
