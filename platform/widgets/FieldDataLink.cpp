#include "FieldDataLink.h"

#include "EventGuard.h"

FieldDataLink::FieldDataLink(QObject *parent)
    : QObject(parent)
{
}

void FieldDataLink::setDataSource(DataSource *source)
{
    if (m_source == source)
        return;
    m_source = source;
    rebind();
}

void FieldDataLink::setFieldName(const QString &fieldName)
{
    m_fieldName = fieldName;
    emit recordChanged();
}

void FieldDataLink::rebind()
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    if (m_source) {
        m_connections << connect(m_source, &DataSource::dataChanged, this, [this](Field *changed) {
            if (!changed || changed == field())
                emit recordChanged();
        });
        m_connections << connect(m_source, &DataSource::stateChanged, this, [this](DataSetState state) {
            emit stateChanged(state);
            emit recordChanged();
        });
        m_connections << connect(m_source, &DataSource::dataSetChanged, this, [this] {
            emit stateChanged(m_source ? m_source->state() : DataSetState::Inactive);
            emit recordChanged();
        });
        m_connections << connect(m_source, &QObject::destroyed, this, [this] {
            m_connections.clear();
            emit recordChanged();
        });
    }
    emit stateChanged(m_source ? m_source->state() : DataSetState::Inactive);
    emit recordChanged();
}

ClientDataSet *FieldDataLink::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

Field *FieldDataLink::field() const
{
    ClientDataSet *ds = dataSet();
    if (!ds || !ds->active() || m_fieldName.isEmpty())
        return nullptr;
    return ds->findField(m_fieldName);
}

bool FieldDataLink::active() const
{
    ClientDataSet *ds = dataSet();
    return ds && ds->active();
}

bool FieldDataLink::editing() const
{
    ClientDataSet *ds = dataSet();
    return ds && (ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert);
}

bool FieldDataLink::canModify() const
{
    Field *f = field();
    return f && !f->readOnly() && !dataSet()->readOnly() && f->fieldKind() == FieldKind::Data
        && (!m_source || m_source->enabled());
}

bool FieldDataLink::edit()
{
    if (editing())
        return true;
    if (!canModify())
        return false;
    ClientDataSet *ds = dataSet();
    EventGuard::run([ds] {
        if (ds->isEmpty())
            ds->append();
        else
            ds->edit();
    });
    return editing();
}
