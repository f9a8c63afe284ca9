#include "DataPacket.h"

#include <QDate>
#include <QDateTime>

#include <cmath>

namespace {

struct TypeName
{
    FieldType type;
    const char *name;
};

constexpr TypeName kTypeNames[] = {
    {FieldType::String, "string"},   {FieldType::FixedString, "fixedstring"},
    {FieldType::Integer, "integer"}, {FieldType::Float, "float"},
    {FieldType::Boolean, "boolean"}, {FieldType::Date, "date"},
    {FieldType::DateTime, "datetime"}, {FieldType::Memo, "memo"},
};

bool isIntegral(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

// Brings one value to the representation its field type asks for; false when the value
// cannot belong to that field.
bool normalizeValue(QVariant &v, FieldType type)
{
    const int id = v.typeId();
    if (id == QMetaType::UnknownType || id == QMetaType::Nullptr) {
        v = QVariant();
        return true;
    }
    // The common case of a packet that arrived in the right types: one comparison, read
    // in place (conversions through QVariant cost more than the rest of the check).
    switch (type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo:
        return id == QMetaType::QString;
    case FieldType::Integer:
        if (id == QMetaType::LongLong)
            return true;
        break;
    case FieldType::Float:
        if (id == QMetaType::Double)
            return true;
        break;
    case FieldType::Date:
        if (id == QMetaType::QDate)
            return static_cast<const QDate *>(v.constData())->isValid();
        break;
    case FieldType::DateTime:
        if (id == QMetaType::QDateTime)
            return static_cast<const QDateTime *>(v.constData())->isValid();
        break;
    case FieldType::Boolean:
        return id == QMetaType::Bool;
    }
    switch (type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo:
        return v.typeId() == QMetaType::QString;
    case FieldType::Integer:
        if (!isIntegral(v))
            return false;
        if (v.typeId() != QMetaType::LongLong)
            v = QVariant(v.toLongLong());
        return true;
    case FieldType::Float:
        if (isIntegral(v)) {
            v = QVariant(double(v.toLongLong()));
            return true;
        }
        if (v.typeId() == QMetaType::Float)
            v = QVariant(double(v.toFloat()));
        return v.typeId() == QMetaType::Double;
    case FieldType::Boolean:
        return v.typeId() == QMetaType::Bool;
    case FieldType::Date:
        if (v.typeId() == QMetaType::QDateTime) {
            v = QVariant(v.toDateTime().date());
            return true;
        }
        return v.typeId() == QMetaType::QDate && v.toDate().isValid();
    case FieldType::DateTime:
        if (v.typeId() == QMetaType::QDate) {
            v = QVariant(QDateTime(v.toDate(), QTime(0, 0), Qt::UTC));
            return true;
        }
        return v.typeId() == QMetaType::QDateTime && v.toDateTime().isValid();
    }
    return false;
}

template<typename Where>
bool normalizeRow(QVariantList &row, const QList<FieldDef> &fields, Where where, QString *error)
{
    if (row.size() != fields.size()) {
        *error = QStringLiteral("%1 has %2 values for %3 fields").arg(where()).arg(row.size()).arg(fields.size());
        return false;
    }
    for (qsizetype i = 0; i < row.size(); ++i) {
        if (!normalizeValue(row[i], fields[i].type)) {
            *error = QStringLiteral("%1, field %2: a value of type %3 does not fit a %4 field")
                         .arg(where(), fields[i].name, QString::fromLatin1(row[i].typeName()),
                              fieldTypeName(fields[i].type));
            return false;
        }
    }
    return true;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isValid() != b.isValid())
        return false;
    if (a.typeId() == QMetaType::Double && b.typeId() == QMetaType::Double) {
        const double x = a.toDouble(), y = b.toDouble();
        return (x == y && std::signbit(x) == std::signbit(y)) || (std::isnan(x) && std::isnan(y));
    }
    if (a.typeId() == QMetaType::QDateTime && b.typeId() == QMetaType::QDateTime)
        return a.toDateTime().date() == b.toDateTime().date() && a.toDateTime().time() == b.toDateTime().time();
    return a.typeId() == b.typeId() && a == b;
}

bool sameRow(const QVariantList &a, const QVariantList &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!sameValue(a[i], b[i]))
            return false;
    return true;
}

} // namespace

QString fieldTypeName(FieldType type)
{
    for (const auto &t : kTypeNames)
        if (t.type == type)
            return QString::fromLatin1(t.name);
    return QString();
}

bool fieldTypeFromName(const QString &name, FieldType *type)
{
    for (const auto &t : kTypeNames) {
        if (name == QLatin1String(t.name)) {
            *type = t.type;
            return true;
        }
    }
    return false;
}

void DataPacket::addField(const QString &name, FieldType type, int size, bool required)
{
    m_fields.append(FieldDef{name, type, size, required});
}

int DataPacket::fieldIndex(const QString &name) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QVariant DataPacket::value(int row, const QString &field) const
{
    const int column = fieldIndex(field);
    if (column < 0 || row < 0 || row >= m_rows.size() || column >= m_rows[row].size())
        return QVariant();
    return m_rows[row][column];
}

bool DataPacket::normalize(QString *error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        if (!normalizeRow(m_rows[i], m_fields, [i] { return QStringLiteral("row %1").arg(i + 1); }, error))
            return false;
    for (qsizetype i = 0; i < m_changes.size(); ++i) {
        DeltaRow &c = m_changes[i];
        const QString where = QStringLiteral("change %1").arg(i + 1);
        const bool needsOld = c.kind != RowChange::Insert;
        const bool needsNew = c.kind != RowChange::Delete;
        if (needsOld != !c.oldValues.isEmpty() && !(needsOld && m_fields.isEmpty())) {
            *error = where + (needsOld ? QStringLiteral(" lacks its old values") : QStringLiteral(" must not carry old values"));
            return false;
        }
        if (needsNew != !c.newValues.isEmpty() && !(needsNew && m_fields.isEmpty())) {
            *error = where + (needsNew ? QStringLiteral(" lacks its new values") : QStringLiteral(" must not carry new values"));
            return false;
        }
        if (needsOld && !normalizeRow(c.oldValues, m_fields, [&] { return where + QStringLiteral(" (old)"); }, error))
            return false;
        if (needsNew && !normalizeRow(c.newValues, m_fields, [&] { return where + QStringLiteral(" (new)"); }, error))
            return false;
    }
    return true;
}

bool DataPacket::operator==(const DataPacket &other) const
{
    if (m_isDelta != other.m_isDelta || m_fields != other.m_fields || m_rows.size() != other.m_rows.size()
        || m_changes.size() != other.m_changes.size())
        return false;
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        if (!sameRow(m_rows[i], other.m_rows[i]))
            return false;
    for (qsizetype i = 0; i < m_changes.size(); ++i) {
        const DeltaRow &a = m_changes[i], &b = other.m_changes[i];
        if (a.kind != b.kind || !sameRow(a.oldValues, b.oldValues) || !sameRow(a.newValues, b.newValues))
            return false;
    }
    return true;
}
