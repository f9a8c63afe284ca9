#include "TADOIBQuery.h"

#include "Corvane.h"
#include "DataSetError.h"
#include "SqlTextRunner.h"
#include "SuprimentosClient.h"

namespace {

QString normalName(const QString &name)
{
    QString n = name.trimmed();
    if (n.startsWith(u':'))
        n.remove(0, 1);
    return n.toUpper();
}

// The sections an application server may run: its engine's own, else the default.
const QStringList &serverSections()
{
    static const QStringList sections{QStringLiteral("default"), QStringLiteral("sqlite"), QStringLiteral("postgres")};
    return sections;
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

bool TADOIBQuery::runsOnServer() const
{
    return !m_hasOwnDatabase && Corvane::lookupMode() == Corvane::Lookups::Server;
}

QString TADOIBQuery::activeText() const
{
    if (runsOnServer())
        return m_texts.section(QStringLiteral("default"));
    return m_texts.textFor(database().driverName());
}

QStringList TADOIBQuery::paramNames() const
{
    if (!runsOnServer())
        return parameterNames(activeText());
    QStringList names;
    for (const QString &section : serverSections()) {
        for (const QString &name : parameterNames(m_texts.section(section))) {
            if (!names.contains(name, Qt::CaseInsensitive))
                names << name;
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
    if (runsOnServer())
        return runOnServer();
    QSqlDatabase db = database();
    if (!db.isOpen())
        throw DataSetError(QStringLiteral("%1: the database is not open").arg(m_sqlName));
    SqlTextRunner runner(db, m_texts.textFor(db.driverName()), m_sqlName);
    for (const auto &[key, param] : m_params)
        runner.setParameter(param.name(), param.value());
    for (auto it = m_fieldTypes.cbegin(); it != m_fieldTypes.cend(); ++it)
        runner.setFieldType(it.key(), it->first, it->second);
    return runner.run();
}

DataPacket TADOIBQuery::runOnServer()
{
    // The server runs only the package's own texts, by name: a text set by hand has none.
    if (m_sqlName.isEmpty())
        throw DataSetError(QStringLiteral("a query without a named SQL text cannot run through the application server"));
    QStringList names;
    QVariantList values;
    for (const auto &[key, param] : m_params) {
        names << param.name();
        values << (param.isNull() ? QVariant() : param.value());
    }
    SuprimentosClient client(Corvane::lookupConnection());
    DataPacket packet = client.getConsulta(m_sqlName, names, values);

    // The column types this query was told to use, as the direct run applies them.
    QList<FieldDef> fields = packet.fields();
    for (int c = 0; c < fields.size(); ++c) {
        const auto hint = m_fieldTypes.constFind(fields.at(c).name.toUpper());
        if (hint == m_fieldTypes.constEnd())
            continue;
        fields[c].type = hint->first;
        fields[c].size = hint->second;
        if (fields[c].size <= 0 && (hint->first == FieldType::String || hint->first == FieldType::FixedString))
            fields[c].size = 1;
        for (QVariantList &row : packet.rows())
            row[c] = SqlTextRunner::convert(row.at(c), hint->first);
    }
    packet.setFields(fields);
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
