#include "DataSource.h"

DataSource::DataSource(QObject *parent) : QObject(parent) {}

void DataSource::setDataSet(ClientDataSet *dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (dataSet) {
        connect(dataSet, &ClientDataSet::stateChanged, this, [this](DataSetState s) {
            if (m_enabled)
                emit stateChanged(s);
        });
        const auto recordChanged = [this] {
            if (m_enabled)
                emit dataChanged(nullptr);
        };
        connect(dataSet, &ClientDataSet::dataReset, this, recordChanged);
        connect(dataSet, &ClientDataSet::rowInserted, this, recordChanged);
        connect(dataSet, &ClientDataSet::rowRemoved, this, recordChanged);
        connect(dataSet, &ClientDataSet::rowChanged, this, recordChanged);
        connect(dataSet, &ClientDataSet::currentRowChanged, this, recordChanged);
        connect(dataSet, &ClientDataSet::valuesChanged, this, recordChanged);
        connect(dataSet, &ClientDataSet::updateRecord, this, &DataSource::updateData);
        connect(dataSet, &ClientDataSet::fieldChanged, this, [this](Field *field) {
            if (m_enabled)
                emit dataChanged(field);
        });
        connect(dataSet, &QObject::destroyed, this, [this] {
            emit dataSetChanged(nullptr);
            emit stateChanged(DataSetState::Inactive);
            emit dataChanged(nullptr);
        });
    }
    emit dataSetChanged(dataSet);
    emit stateChanged(state());
    emit dataChanged(nullptr);
}

DataSetState DataSource::state() const
{
    return m_dataSet ? m_dataSet->state() : DataSetState::Inactive;
}

// A disabled source tells its views nothing until it is enabled again; enabling makes
// them read everything anew.
void DataSource::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (enabled) {
        emit stateChanged(state());
        emit dataChanged(nullptr);
    }
}
