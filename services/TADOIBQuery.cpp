#include "TADOIBQuery.h"

#include "Corvane.h"
#include "DataSetError.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QString normalName(const QString &name)
{
    QString n = name.trimmed();
    if (n.startsWith(u':'))
        n.remove(0, 1);
    return n.toUpper();
}

bool isIdentStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

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

QVariant bindValue(const QVariant &value, bool sqlite)
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

// The field type that fits every non-null value of a column.
FieldType inferType(QMetaType driverType, const QList<QVariantList> &rows, int column, int *size)
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

QVariant convert(const QVariant &v, FieldType type)
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
            const QString s = v.toString();
            const QDate d = QDate::fromString(s.left(10), Qt::ISODate);
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

} // namespace

TADOIBQuery::TADOIBQuery(QObject *parent)
    : QObject(parent), m_dataSet(new ClientDataSet(this))
{
    m_dataSet->setReadOnly(true);
}

TADOIBQuery::TADOIBQuery(const QString &sqlName, QObject *parent) : TADOIBQuery(parent)
{
    setSqlName(sqlName);
}

TADOIBQuery::~TADOIBQuery() = default;

void TADOIBQuery::setSqlName(const QString &name)
{
    SqlTexts texts;
    if (!SqlTexts::fromResource(name, &texts))
        throw DataSetError(QStringLiteral("SQL text not found: %1").arg(name));
    m_sqlName = name;
    setSqlTexts(texts);
}

void TADOIBQuery::setSqlTexts(const SqlTexts &texts)
{
    m_texts = texts;
    m_params.clear();
}

void TADOIBQuery::setDatabase(const QSqlDatabase &db)
{
    m_connectionName = db.connectionName();
    m_hasOwnDatabase = true;
}

QSqlDatabase TADOIBQuery::database() const
{
    return m_hasOwnDatabase ? QSqlDatabase::database(m_connectionName, false) : Corvane::database();
}

QString TADOIBQuery::activeText() const
{
    return m_texts.textFor(database().driverName());
}

QStringList TADOIBQuery::paramNames() const
{
    return parameterNames(activeText());
}

QStringList TADOIBQuery::parameterNames(const QString &sql)
{
    QStringList names;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (c == u'\'' || c == u'"') {
            const QChar quote = c;
            for (++i; i < n; ++i) {
                if (sql.at(i) == quote) {
                    if (i + 1 < n && sql.at(i + 1) == quote)
                        ++i; // doubled quote inside the literal
                    else
                        break;
                }
            }
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            while (i < n && sql.at(i) != u'\n')
                ++i;
        } else if (c == u':') {
            if (i + 1 < n && sql.at(i + 1) == u':') {
                ++i; // a "::type" cast
                continue;
            }
            if (i + 1 < n && isIdentStart(sql.at(i + 1))) {
                qsizetype j = i + 1;
                while (j < n && isIdentChar(sql.at(j)))
                    ++j;
                const QString name = sql.mid(i + 1, j - i - 1);
                if (!names.contains(name, Qt::CaseInsensitive))
                    names << name;
                i = j - 1;
            }
        }
    }
    return names;
}

QueryParam &TADOIBQuery::ParamByName(const QString &name)
{
    const QString key = normalName(name);
    auto it = m_params.find(key);
    if (it != m_params.end())
        return it->second;
    const QStringList names = paramNames();
    for (const QString &p : names) {
        if (p.toUpper() == key)
            return m_params.emplace(key, QueryParam(p)).first->second;
    }
    throw DataSetError(QStringLiteral("%1: parameter %2 not found").arg(m_sqlName, name));
}

void TADOIBQuery::setFieldType(const QString &fieldName, FieldType type, int size)
{
    m_fieldTypes.insert(fieldName.toUpper(), {type, size});
}

DataPacket TADOIBQuery::runQuery()
{
    QSqlDatabase db = database();
    if (!db.isOpen())
        throw DataSetError(QStringLiteral("%1: the database is not open").arg(m_sqlName));
    const QString sql = m_texts.textFor(db.driverName());
    if (sql.isEmpty())
        throw DataSetError(QStringLiteral("%1: no SQL text for %2").arg(m_sqlName, db.driverName()));

    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw DataSetError(QStringLiteral("%1: %2").arg(m_sqlName, query.lastError().text()));
    const bool sqlite = db.driverName() == u"QSQLITE";
    for (const QString &name : parameterNames(sql)) {
        const auto it = m_params.find(name.toUpper());
        const QVariant value = it == m_params.end() ? QVariant() : it->second.value();
        query.bindValue(u':' + name, bindValue(value, sqlite));
    }
    if (!query.exec())
        throw DataSetError(QStringLiteral("%1: %2").arg(m_sqlName, query.lastError().text()));

    const QSqlRecord record = query.record();
    const int columns = record.count();
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row << query.value(c);
        rows << row;
    }

    DataPacket packet;
    QList<FieldType> types;
    for (int c = 0; c < columns; ++c) {
        const QSqlField f = record.field(c);
        const QString name = f.name().toUpper();
        int size = 0;
        FieldType type;
        const auto hint = m_fieldTypes.constFind(name);
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

void TADOIBQuery::Open()
{
    try {
        const DataPacket packet = runQuery();
        m_dataSet->setData(packet);
    } catch (...) {
        m_dataSet->close();
        throw;
    }
}

void TADOIBQuery::Close()
{
    m_dataSet->close();
}

bool TADOIBQuery::Active() const { return m_dataSet->active(); }
bool TADOIBQuery::IsEmpty() const { return m_dataSet->isEmpty(); }
void TADOIBQuery::First() { m_dataSet->first(); }
void TADOIBQuery::Last() { m_dataSet->last(); }
void TADOIBQuery::Next() { m_dataSet->next(); }
bool TADOIBQuery::Eof() const { return m_dataSet->eof(); }
int TADOIBQuery::GetRecNo() const { return m_dataSet->recNo(); }
int TADOIBQuery::RecordCount() const { return m_dataSet->recordCount(); }

bool TADOIBQuery::Locate(const QString &keyFields, const QVariant &keyValues, LocateOptions options)
{
    return m_dataSet->locate(keyFields, keyValues, options);
}

Field *TADOIBQuery::FieldByName(const QString &name) const
{
    return m_dataSet->fieldByName(name);
}
