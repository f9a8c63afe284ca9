#include "SqlTextRunner.h"

#include "DataSetError.h"
#include "SqlTexts.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

QString normalName(const QString &name)
{
    QString n = name.trimmed();
    if (n.startsWith(u':'))
        n.remove(0, 1);
    return n.toUpper();
}

// Values of a column as SQLite returns them: ISO date or date-time texts.
const QRegularExpression &isoDate()
{
    static const QRegularExpression re(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    return re;
}

const QRegularExpression &isoDateTime()
{
    static const QRegularExpression re(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}[ T]\\d{2}:\\d{2}(:\\d{2}(\\.\\d{1,3})?)?Z?$"));
    return re;
}

QDateTime wallClock(const QDate &d, const QTime &t)
{
    return QDateTime(d, t, Qt::UTC);
}

QDateTime parseDateTime(const QString &text)
{
    QString t = text;
    if (t.endsWith(u'Z'))
        t.chop(1);
    t.replace(u' ', u'T');
    const QDateTime dt = QDateTime::fromString(t, Qt::ISODateWithMs);
    return dt.isValid() ? wallClock(dt.date(), dt.time()) : QDateTime();
}

} // namespace

SqlTextRunner::SqlTextRunner(const QSqlDatabase &db, QString sql, QString what)
    : m_db(db), m_sql(std::move(sql)), m_what(std::move(what))
{
}

void SqlTextRunner::setParameter(const QString &name, const QVariant &value)
{
    m_params.insert(normalName(name), value);
}

void SqlTextRunner::setFieldType(const QString &fieldName, FieldType type, int size)
{
    m_fieldTypes.insert(fieldName.toUpper(), {type, size});
}

QVariant SqlTextRunner::bindValue(const QVariant &value, bool sqlite)
{
    if (!value.isValid() || value.isNull())
        return QVariant(QMetaType::fromType<QString>());
    if (!sqlite)
        return value;
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.date().toString(QStringLiteral("yyyy-MM-dd")) + u' '
            + dt.time().toString(QStringLiteral("HH:mm:ss"));
    }
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

FieldType SqlTextRunner::inferType(QMetaType driverType, const QList<QVariantList> &rows, int column, int *size)
{
    *size = 0;
    switch (driverType.id()) {
    case QMetaType::Bool:
        return FieldType::Boolean;
    case QMetaType::QDate:
        return FieldType::Date;
    case QMetaType::QDateTime:
        return FieldType::DateTime;
    default:
        break;
    }
    bool anyValue = false, allInt = true, allNumber = true, allDate = true, allDateTime = true;
    for (const QVariantList &row : rows) {
        const QVariant &v = row.at(column);
        if (!v.isValid() || v.isNull())
            continue;
        anyValue = true;
        const int id = v.typeId();
        const bool isInt = id == QMetaType::LongLong || id == QMetaType::Int || id == QMetaType::ULongLong
            || id == QMetaType::UInt;
        const bool isNumber = isInt || id == QMetaType::Double;
        allInt &= isInt;
        allNumber &= isNumber;
        if (id == QMetaType::QString) {
            const QString s = v.toString();
            *size = std::max(*size, int(s.size()));
            allDate &= isoDate().match(s).hasMatch();
            allDateTime &= isoDateTime().match(s).hasMatch();
        } else {
            allDate = allDateTime = false;
            *size = std::max(*size, int(v.toString().size()));
        }
    }
    if (!anyValue) {
        switch (driverType.id()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
            return FieldType::Integer;
        case QMetaType::Double:
            return FieldType::Float;
        default:
            *size = std::max(*size, 1);
            return FieldType::String;
        }
    }
    if (allInt)
        return FieldType::Integer;
    if (allNumber)
        return FieldType::Float;
    if (allDate)
        return FieldType::Date;
    if (allDateTime)
        return FieldType::DateTime;
    *size = std::max(*size, 1);
    return FieldType::String;
}

QVariant SqlTextRunner::convert(const QVariant &v, FieldType type)
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (type) {
    case FieldType::Integer:
        return v.toLongLong();
    case FieldType::Float:
        return v.toDouble();
    case FieldType::Boolean:
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toUpper();
            return s == u"S" || s == u"T" || s == u"TRUE" || s == u"1";
        }
        return v.toBool();
    case FieldType::Date:
        if (v.typeId() == QMetaType::QString) {
            const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
            return d.isValid() ? QVariant(d) : QVariant();
        }
        return v.toDate();
    case FieldType::DateTime:
        if (v.typeId() == QMetaType::QString) {
            const QDateTime dt = parseDateTime(v.toString());
            return dt.isValid() ? QVariant(dt) : QVariant();
        }
        if (v.typeId() == QMetaType::QDate)
            return wallClock(v.toDate(), QTime(0, 0));
        {
            const QDateTime dt = v.toDateTime();
            return wallClock(dt.date(), dt.time());
        }
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo:
        return v.toString();
    }
    return v;
}

DataPacket SqlTextRunner::run()
{
    m_rowLimitExceeded = false;
    if (!m_db.isOpen())
        throw DataSetError(QStringLiteral("%1: the database is not open").arg(m_what));
    if (m_sql.isEmpty())
        throw DataSetError(QStringLiteral("%1: no SQL text for %2").arg(m_what, m_db.driverName()));

    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(m_sql))
        throw DataSetError(QStringLiteral("%1: %2").arg(m_what, query.lastError().text()));
    const bool sqlite = m_db.driverName() == u"QSQLITE";
    for (const QString &name : SqlTexts::parameterNames(m_sql))
        query.bindValue(u':' + name, bindValue(m_params.value(name.toUpper()), sqlite));
    if (!query.exec())
        throw DataSetError(QStringLiteral("%1: %2").arg(m_what, query.lastError().text()));

    const QSqlRecord record = query.record();
    const int columns = record.count();
    QList<QVariantList> rows;
    while (query.next()) {
        if (m_rowLimit > 0 && rows.size() >= m_rowLimit) {
            m_rowLimitExceeded = true;
            break;
        }
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row << query.value(c);
        rows << row;
    }
    query.finish();

    DataPacket packet;
    QList<FieldType> types;
    for (int c = 0; c < columns; ++c) {
        const QSqlField f = record.field(c);
        int size = 0;
        FieldType type;
        const auto hint = m_fieldTypes.constFind(f.name().toUpper());
        if (hint != m_fieldTypes.constEnd()) {
            type = hint->first;
            size = hint->second;
        } else {
            type = inferType(f.metaType(), rows, c, &size);
            if (f.length() > 0 && (type == FieldType::String || type == FieldType::FixedString))
                size = std::max(size, f.length());
        }
        if (size <= 0 && (type == FieldType::String || type == FieldType::FixedString))
            size = 1;
        packet.addField(f.name(), type, size);
        types << type;
    }
    for (QVariantList &row : rows) {
        for (int c = 0; c < columns; ++c)
            row[c] = convert(row.at(c), types.at(c));
        packet.appendRow(std::move(row));
    }
    return packet;
}
