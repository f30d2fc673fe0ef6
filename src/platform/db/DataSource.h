#pragma once

#include <QObject>

#include "platform/db/DataSet.h"

// The link between a data set and the controls that show it. While the source
// is disabled, or the data set's controls are disabled, nothing is signalled.
class DataSource : public QObject
{
    Q_OBJECT

public:
    explicit DataSource(QObject *parent = nullptr);
    explicit DataSource(DataSet *dataSet, QObject *parent = nullptr);
    ~DataSource() override;

    DataSet *dataSet() const { return m_dataSet; }
    void setDataSet(DataSet *dataSet);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // Inactive when there is no data set.
    DataSetState state() const;

    // Called by the data set.
    void dataEvent(DataEvent event, Field *field);

signals:
    // The data shown changed: field given for one field of the current record,
    // nullptr for the record, a scroll or the whole data set.
    void dataChange(Field *field);
    void stateChange();
    // Before a post: editors write their pending text into the fields.
    void updateData();
    // Every event as it came, for models that need the detail.
    void event(DataEvent event, Field *field);

private:
    DataSet *m_dataSet = nullptr;
    bool m_enabled = true;
};
