#pragma once

#include "DataSource.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

// Binds one data-aware control to a field of the dataset behind a data source: tells the
// control when the field's value or the record changed, and puts the dataset in edit
// when the user starts changing the value.
class FieldDataLink : public QObject
{
    Q_OBJECT

public:
    explicit FieldDataLink(QObject *parent = nullptr);

    DataSource *dataSource() const { return m_source; }
    void setDataSource(DataSource *source);
    const QString &fieldName() const { return m_fieldName; }
    void setFieldName(const QString &fieldName);

    ClientDataSet *dataSet() const;
    // The bound field; nullptr without a source, with a closed dataset or an unknown name.
    Field *field() const;
    bool active() const;
    bool editing() const; // the dataset is in edit or insert
    // The field may be changed by the user: bound, open, neither dataset nor field read-only.
    bool canModify() const;
    // Puts the dataset in edit when it browses (its before-edit handlers may refuse, then
    // false).  True when the dataset is in edit or insert afterwards.
    bool edit();

signals:
    // The value shown must be read again (another record, a new dataset, the field changed).
    void recordChanged();
    void stateChanged(DataSetState state);

private:
    void rebind();

    QPointer<DataSource> m_source;
    QString m_fieldName;
    QList<QMetaObject::Connection> m_connections;
};
