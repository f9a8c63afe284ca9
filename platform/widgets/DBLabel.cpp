#include "DBLabel.h"

#include "FieldDataLink.h"

DBLabel::DBLabel(QWidget *parent)
    : QLabel(parent), m_link(new FieldDataLink(this))
{
    connect(m_link, &FieldDataLink::recordChanged, this, &DBLabel::loadFromField);
}

void DBLabel::setDataSource(DataSource *source)
{
    m_link->setDataSource(source);
}

DataSource *DBLabel::dataSource() const
{
    return m_link->dataSource();
}

void DBLabel::setDataField(const QString &fieldName)
{
    m_link->setFieldName(fieldName);
}

QString DBLabel::dataField() const
{
    return m_link->fieldName();
}

void DBLabel::loadFromField()
{
    const Field *field = m_link->field();
    const ClientDataSet *ds = m_link->dataSet();
    setText(field && ds && !ds->isEmpty() ? field->displayText() : QString());
}
