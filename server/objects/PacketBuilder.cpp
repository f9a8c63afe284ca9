#include "PacketBuilder.h"

#include "Database.h"

PacketBuilder &PacketBuilder::addRows(QSqlQuery &query)
{
    const QList<FieldDef> &fields = m_packet.fields();
    while (query.next()) {
        QVariantList row;
        row.reserve(fields.size());
        for (int i = 0; i < fields.size(); ++i)
            row.append(convert(query.value(i), fields.at(i)));
        m_packet.appendRow(std::move(row));
    }
    return *this;
}

PacketBuilder &PacketBuilder::addRow(const QVariantList &values)
{
    const QList<FieldDef> &fields = m_packet.fields();
    QVariantList row;
    for (int i = 0; i < fields.size(); ++i)
        row.append(convert(values.value(i), fields.at(i)));
    m_packet.appendRow(std::move(row));
    return *this;
}

QVariant PacketBuilder::convert(const QVariant &value, const FieldDef &field)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (field.type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo: {
        QString s = value.toString();
        if (field.size > 0 && s.size() > field.size)
            s.truncate(field.size);
        return s;
    }
    case FieldType::Integer: return value.toLongLong();
    case FieldType::Float: return value.toDouble();
    case FieldType::Boolean: {
        const QString s = value.toString().trimmed().toUpper();
        return s == QLatin1String("S") || s == QLatin1String("T") || s == QLatin1String("1")
               || s == QLatin1String("TRUE");
    }
    case FieldType::Date: {
        const QDate d = Database::toDate(value);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::DateTime: {
        const QDateTime dt = Database::toDateTime(value);
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    }
    return value;
}
