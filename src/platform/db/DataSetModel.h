#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

#include "platform/db/DataSource.h"

// A table model over the data set of a DataSource, for QTableView grids. Rows
// are the visible records (row r is RecNo r + 1), columns the visible fields (or
// the fields named by setColumns), headers the display labels.
//
// Display goes through the field's OnGetText with displayText true, the edit
// role with displayText false, both for the row asked without moving the cursor.
// setData moves the data set to the row (a refused scroll fails the edit), puts
// it in edit and sets the text through OnSetText: a refusal (EAbort or any
// exception) keeps the old value, returns false and, for exceptions other than
// EAbort, emits editFailed with the message for the view to show. The record
// stays in edit until the data set posts (moving to another row posts it).
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DataSetModel(QObject *parent = nullptr);
    explicit DataSetModel(DataSource *source, QObject *parent = nullptr);
    ~DataSetModel() override;

    DataSource *dataSource() const { return m_source; }
    void setDataSource(DataSource *source);
    DataSet *dataSet() const { return m_source ? m_source->dataSet() : nullptr; }

    // Field names shown as columns; empty: every visible field.
    void setColumns(const QStringList &fieldNames);
    Field *fieldAt(int column) const;
    int columnOf(const QString &fieldName) const;
    // The model row of the data set's current record (-1 when none).
    int currentRow() const;
    QString lastError() const { return m_lastError; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void editFailed(const QString &message);
    // The data set's current record moved (row is the new model row).
    void currentRowChanged(int row);

private:
    void onEvent(DataEvent event, Field *field);
    void rebuildColumns();
    QString cellText(int row, Field *field, bool displayText) const;

    QPointer<DataSource> m_source;
    QStringList m_columnNames;
    QList<int> m_columns;           // field indexes
    int m_rowCount = 0;
    QString m_lastError;
};
