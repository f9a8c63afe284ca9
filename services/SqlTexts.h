#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The texts of one query, one per dialect, read from a resource file
// ":/sql/<name>.sql":
//
//   # comment lines start with '#'
//   [default]
//   SELECT ... FROM ... WHERE X = :P_X
//   [oracle]
//   ...
//
// Sections: default, oracle, mssql, ib as the system keeps them, and sqlite / postgres
// only where the default cannot run unchanged on that engine.  Lines before the first
// section belong to default.
class SqlTexts
{
public:
    SqlTexts() = default;

    static SqlTexts fromText(const QString &text);
    // Reads ":/sql/<name>.sql"; false (texts empty) when there is no such resource.
    static bool fromResource(const QString &name, SqlTexts *texts);
    // The names of the package's own texts (the files under ":/sql/", without ".sql"),
    // sorted.  Only these run through the application server.
    static QStringList resourceNames();
    // True when name is exactly one of resourceNames().
    static bool isResourceName(const QString &name);

    // Parameter names of an SQL text, in order of first use, without ':' (string
    // literals, quoted names, comments and "::" casts skipped).
    static QStringList parameterNames(const QString &sql);

    QString section(const QString &dialect) const { return m_sections.value(dialect.toLower()); }
    void setSection(const QString &dialect, const QString &text) { m_sections.insert(dialect.toLower(), text); }
    bool isEmpty() const { return m_sections.isEmpty(); }

    // The text an engine runs, by its Qt SQL driver name: QSQLITE the sqlite section,
    // QPSQL the postgres section, else the default text.
    QString textFor(const QString &driverName) const;

private:
    QMap<QString, QString> m_sections;
};
