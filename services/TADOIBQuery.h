#pragma once

#include "ClientDataSet.h"
#include "SqlTexts.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <map>

// One named parameter of a query (":P_CDFILIAL"); null until set.
class QueryParam
{
public:
    explicit QueryParam(QString name = {}) : m_name(std::move(name)) {}

    const QString &name() const { return m_name; }
    const QVariant &value() const { return m_value; }
    bool isNull() const { return !m_value.isValid() || m_value.isNull(); }

    void setValue(const QVariant &value) { m_value = value; }
    void setAsString(const QString &value) { m_value = value; }
    void setAsInteger(qlonglong value) { m_value = value; }
    void setAsFloat(double value) { m_value = value; }
    void setAsDate(const QDate &value) { m_value = value; }
    void setAsDateTime(const QDateTime &value) { m_value = value; }
    void clear() { m_value = QVariant(); }

private:
    QString m_name;
    QVariant m_value;
};

// The multi-dialect query: keeps one SQL text per dialect (SqlTexts, usually a resource
// ":/sql/<name>.sql"), runs the text of the connected engine with every value bound as a
// parameter, and exposes the rows as a read-only client dataset that data sources, grids
// and searches use.
//
// Where it runs follows the session's look-up mode (Corvane::lookupMode): in direct mode on
// the session's database; in server mode the application server runs the named text
// (only the package's own texts, by name and parameters, never SQL) on its database, in
// the section of its own engine, and sends the rows back as a packet.  A query given its
// own database (setDatabase) always runs there.  Forms see the same dataset either way.
//
// Column types come from the driver; text columns whose every value is an ISO date
// ("2026-12-07") or date-time ("2026-12-07 10:30:00") become date / date-time fields (the
// way SQLite returns them).  setFieldType overrides the type of a column.  On SQLite,
// dates are bound as "YYYY-MM-DD" and date-times as "YYYY-MM-DD HH:MM:SS" (SqlTextRunner).
class TADOIBQuery : public QObject
{
    Q_OBJECT

public:
    explicit TADOIBQuery(QObject *parent = nullptr);
    // A query on the texts of resource ":/sql/<sqlName>.sql".
    explicit TADOIBQuery(const QString &sqlName, QObject *parent = nullptr);
    ~TADOIBQuery() override;

    // Reads the texts of ":/sql/<name>.sql"; a missing resource raises DataSetError.
    void setSqlName(const QString &name);
    QString sqlName() const { return m_sqlName; }
    void setSqlTexts(const SqlTexts &texts);
    const SqlTexts &sqlTexts() const { return m_texts; }

    // The connection; by default the session's database (Corvane::database()).
    void setDatabase(const QSqlDatabase &db);
    QSqlDatabase database() const;
    // True when Open() runs the text through the application server.
    bool runsOnServer() const;
    // The text the connected engine runs (in server mode the default text: the server
    // chooses the section of its own engine).
    QString activeText() const;
    // The parameter names of the active text, in order of first use, without ':'; in server
    // mode those of every section an engine of the server may run.
    QStringList paramNames() const;
    // Parameter names of an SQL text (SqlTexts::parameterNames).
    static QStringList parameterNames(const QString &sql) { return SqlTexts::parameterNames(sql); }

    // The parameter of that name (case-insensitive, with or without ':'); raises
    // DataSetError when the active text has no such parameter.
    QueryParam &ParamByName(const QString &name);

    void setFieldType(const QString &fieldName, FieldType type, int size = 0);

    // Runs the active text and loads the rows into dataSet().  Raises DataSetError with
    // the driver's message on failure (the dataset is then closed).
    void Open();
    void Close();
    bool Active() const;
    bool IsEmpty() const;
    void First();
    void Last();
    void Next();
    bool Eof() const;
    int GetRecNo() const;
    int RecordCount() const;
    bool Locate(const QString &keyFields, const QVariant &keyValues, LocateOptions options = {});
    Field *FieldByName(const QString &name) const;

    ClientDataSet *dataSet() const { return m_dataSet; }

private:
    DataPacket runQuery();
    DataPacket runOnServer();

    QString m_sqlName;
    SqlTexts m_texts;
    QString m_connectionName; // empty: the session's database
    bool m_hasOwnDatabase = false;
    std::map<QString, QueryParam> m_params; // by upper-case name
    QHash<QString, std::pair<FieldType, int>> m_fieldTypes; // by upper-case name
    ClientDataSet *m_dataSet;
};
