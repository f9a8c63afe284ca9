#pragma once

#include "ClientDataSet.h"

#include <QObject>
#include <QPointer>

// Links a dataset to data-aware views.  Views listen to the source, not to the dataset,
// so a form can switch a source to another dataset and every view follows.
class DataSource : public QObject
{
    Q_OBJECT

public:
    explicit DataSource(QObject *parent = nullptr);

    ClientDataSet *dataSet() const { return m_dataSet; }
    void setDataSet(ClientDataSet *dataSet);
    DataSetState state() const; // Inactive when no dataset
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

signals:
    void dataSetChanged(ClientDataSet *dataSet);
    void stateChanged(DataSetState state);
    // field == nullptr: the record or the whole data changed.
    void dataChanged(Field *field);
    // The dataset is about to post: write pending editor contents into the record now.
    void updateData();

private:
    QPointer<ClientDataSet> m_dataSet;
    bool m_enabled = true;
};
