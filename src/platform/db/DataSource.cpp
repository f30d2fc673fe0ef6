#include "platform/db/DataSource.h"

DataSource::DataSource(QObject *parent) : QObject(parent) {}

DataSource::DataSource(DataSet *dataSet, QObject *parent) : QObject(parent)
{
    setDataSet(dataSet);
}

DataSource::~DataSource()
{
    if (m_dataSet)
        m_dataSet->detachSource(this);
}

void DataSource::setDataSet(DataSet *dataSet)
{
    if (dataSet == m_dataSet)
        return;
    if (m_dataSet)
        m_dataSet->detachSource(this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->attachSource(this);
    if (m_enabled) {
        emit event(DataEvent::LayoutChange, nullptr);
        emit stateChange();
        emit dataChange(nullptr);
    }
}

void DataSource::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    emit event(DataEvent::LayoutChange, nullptr);
    emit stateChange();
    emit dataChange(nullptr);
}

DataSetState DataSource::state() const
{
    return m_dataSet ? m_dataSet->state() : DataSetState::Inactive;
}

void DataSource::dataEvent(DataEvent ev, Field *field)
{
    if (!m_enabled)
        return;
    emit event(ev, field);
    switch (ev) {
    case DataEvent::FieldChange:
        emit dataChange(field);
        break;
    case DataEvent::RecordChange:
    case DataEvent::DataSetChange:
    case DataEvent::DataSetScroll:
    case DataEvent::LayoutChange:
        emit dataChange(nullptr);
        break;
    case DataEvent::StateChange:
        emit stateChange();
        break;
    case DataEvent::UpdateData:
        emit updateData();
        break;
    }
}
