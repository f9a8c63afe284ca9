#include "Field.h"

#include "ClientDataSet.h"
#include "DataSetError.h"
#include "NumberFormat.h"

#include <QCoreApplication>

#include <cmath>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Field", text);
}

bool isStringType(FieldType type)
{
    return type == FieldType::String || type == FieldType::FixedString || type == FieldType::Memo;
}

[[noreturn]] void notConvertible(const Field &field, const QString &text)
{
    throw DataSetError(tr("'%1' is not a valid value for field '%2'").arg(text, field.fieldName()));
}

} // namespace

Field::Field(ClientDataSet *dataSet, const FieldDef &def, FieldKind kind, int index)
    : m_dataSet(dataSet), m_def(def), m_kind(kind), m_index(index)
{
}

QVariant Field::value() const
{
    return m_dataSet->fieldValue(this);
}

void Field::setValue(const QVariant &value)
{
    m_dataSet->setFieldValue(this, convert(value));
}

QVariant Field::oldValue() const
{
    return m_dataSet->fieldOldValue(this);
}

bool Field::isNull() const
{
    return !value().isValid();
}

QString Field::asString() const
{
    const QVariant v = value();
    if (!v.isValid())
        return QString();
    switch (m_def.type) {
    case FieldType::Float:
        return NumberFormat::format(v.toDouble(), QString());
    case FieldType::Date:
        return NumberFormat::formatDate(v.toDate());
    case FieldType::DateTime:
        return NumberFormat::formatDateTime(v.toDateTime());
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

double Field::asFloat() const
{
    const QVariant v = value();
    if (!v.isValid())
        return 0;
    if (isStringType(m_def.type)) {
        double d = 0;
        NumberFormat::parse(v.toString(), &d);
        return d;
    }
    return v.toDouble();
}

qlonglong Field::asInteger() const
{
    const QVariant v = value();
    if (!v.isValid())
        return 0;
    if (m_def.type == FieldType::Float)
        return qlonglong(std::llround(v.toDouble()));
    return v.toLongLong();
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (m_def.type == FieldType::Date && v.isValid())
        return QDateTime(v.toDate(), QTime(0, 0), Qt::UTC);
    return v.toDateTime();
}

QDate Field::asDate() const
{
    const QVariant v = value();
    if (m_def.type == FieldType::DateTime)
        return v.toDateTime().date();
    if (isStringType(m_def.type))
        return NumberFormat::parseDate(v.toString());
    return v.toDate();
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    if (!v.isValid())
        return false;
    if (v.metaType().id() == QMetaType::QString) {
        const QString s = v.toString().trimmed();
        return s.compare(QLatin1String("S"), Qt::CaseInsensitive) == 0
                || s.compare(QLatin1String("T"), Qt::CaseInsensitive) == 0
                || s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0
                || s == QLatin1String("1");
    }
    return v.toBool();
}

void Field::setAsString(const QString &v)
{
    setValue(isStringType(m_def.type) ? QVariant(v) : parseText(v));
}

void Field::setAsFloat(double v) { setValue(v); }
void Field::setAsInteger(qlonglong v) { setValue(v); }
void Field::setAsDateTime(const QDateTime &v) { setValue(v); }
void Field::setAsBoolean(bool v) { setValue(v); }

void Field::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    m_dataSet->fieldLayoutChanged();
}

QString Field::formatValue(const QVariant &v, bool displayText) const
{
    if (!v.isValid())
        return QString();
    const QString &mask = (displayText || m_editFormat.isEmpty()) ? m_displayFormat : m_editFormat;
    switch (m_def.type) {
    case FieldType::Float:
        return NumberFormat::format(v.toDouble(), mask);
    case FieldType::Integer:
        return mask.isEmpty() ? QString::number(v.toLongLong())
                              : NumberFormat::format(double(v.toLongLong()), mask);
    case FieldType::Date:
        return mask.isEmpty() ? NumberFormat::formatDate(v.toDate()) : v.toDate().toString(mask);
    case FieldType::DateTime:
        return mask.isEmpty() ? NumberFormat::formatDateTime(v.toDateTime())
                              : v.toDateTime().toString(mask);
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

QString Field::displayText() const
{
    if (onGetText)
        return onGetText(*this, true);
    return formatValue(value(), true);
}

QString Field::text() const
{
    if (onGetText)
        return onGetText(*this, false);
    return formatValue(value(), false);
}

void Field::setText(const QString &text)
{
    if (onSetText) {
        onSetText(*this, text);
        return;
    }
    setValue(isStringType(m_def.type) ? QVariant(text) : parseText(text));
}

QVariant Field::parseText(const QString &text) const
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QVariant();
    switch (m_def.type) {
    case FieldType::Float: {
        double d = 0;
        if (!NumberFormat::parse(t, &d))
            notConvertible(*this, text);
        return d;
    }
    case FieldType::Integer: {
        double d = 0;
        if (!NumberFormat::parse(t, &d) || d != std::trunc(d))
            notConvertible(*this, text);
        return qlonglong(d);
    }
    case FieldType::Boolean: {
        if (t.compare(QLatin1String("S"), Qt::CaseInsensitive) == 0
            || t.compare(QLatin1String("T"), Qt::CaseInsensitive) == 0
            || t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1"))
            return true;
        if (t.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0
            || t.compare(QLatin1String("F"), Qt::CaseInsensitive) == 0
            || t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0"))
            return false;
        notConvertible(*this, text);
    }
    case FieldType::Date: {
        const QDate d = NumberFormat::parseDate(t);
        if (!d.isValid())
            notConvertible(*this, text);
        return d;
    }
    case FieldType::DateTime: {
        QDateTime dt = QDateTime::fromString(t, QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        if (!dt.isValid())
            dt = QDateTime::fromString(t, QStringLiteral("dd/MM/yyyy HH:mm"));
        if (!dt.isValid()) {
            const QDate d = NumberFormat::parseDate(t);
            if (d.isValid())
                dt = QDateTime(d, QTime(0, 0));
        }
        if (!dt.isValid())
            dt = QDateTime::fromString(t, Qt::ISODate);
        if (!dt.isValid())
            notConvertible(*this, text);
        dt.setTimeSpec(Qt::UTC);
        return dt;
    }
    default:
        return text;
    }
}

QVariant Field::convert(const QVariant &v) const
{
    if (!v.isValid())
        return QVariant();
    const int id = v.metaType().id();
    switch (m_def.type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo: {
        QString s;
        if (id == QMetaType::QString)
            s = v.toString();
        else if (id == QMetaType::Double)
            s = NumberFormat::format(v.toDouble(), QString());
        else if (id == QMetaType::QDate)
            s = NumberFormat::formatDate(v.toDate());
        else if (id == QMetaType::QDateTime)
            s = NumberFormat::formatDateTime(v.toDateTime());
        else if (v.canConvert<QString>())
            s = v.toString();
        else
            notConvertible(*this, QString::fromLatin1(v.typeName()));
        if (m_def.size > 0 && m_def.type != FieldType::Memo && s.size() > m_def.size)
            s.truncate(m_def.size);
        return s;
    }
    case FieldType::Integer:
        if (id == QMetaType::QString)
            return parseText(v.toString());
        if (id == QMetaType::Double) {
            const double d = v.toDouble();
            if (std::isnan(d) || std::isinf(d))
                notConvertible(*this, v.toString());
            return qlonglong(std::llround(d));
        }
        if (id == QMetaType::Bool)
            return qlonglong(v.toBool() ? 1 : 0);
        {
            bool ok = false;
            const qlonglong n = v.toLongLong(&ok);
            if (!ok)
                notConvertible(*this, v.toString());
            return n;
        }
    case FieldType::Float:
        if (id == QMetaType::QString)
            return parseText(v.toString());
        {
            bool ok = false;
            const double d = v.toDouble(&ok);
            if (!ok)
                notConvertible(*this, v.toString());
            return d;
        }
    case FieldType::Boolean:
        if (id == QMetaType::QString)
            return parseText(v.toString());
        return v.toBool();
    case FieldType::Date:
        if (id == QMetaType::QString)
            return parseText(v.toString());
        if (id == QMetaType::QDateTime)
            return v.toDateTime().date();
        if (id == QMetaType::QDate)
            return v;
        notConvertible(*this, v.toString());
    case FieldType::DateTime:
        if (id == QMetaType::QString)
            return parseText(v.toString());
        if (id == QMetaType::QDate)
            return QDateTime(v.toDate(), QTime(0, 0), Qt::UTC);
        if (id == QMetaType::QDateTime)
            return v;
        notConvertible(*this, v.toString());
    }
    return v;
}
