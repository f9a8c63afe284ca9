#pragma once

#include "DataPacket.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <utility>

// Runs one SQL text of the package on an open connection and returns its rows as a data
// packet.  Both the query component (direct look-ups) and the application server (look-ups
// through the server) run the package's texts with it, so a look-up gives the same packet
// whichever of them ran it.
//
// Every value is bound as a parameter (a parameter not given is bound as null).  On SQLite,
// dates are bound as "YYYY-MM-DD", date-times as "YYYY-MM-DD HH:MM:SS" and booleans as 1/0,
// the way the database stores them.  Column types come from the driver; text columns whose
// every value is an ISO date or date-time become date / date-time fields (the way SQLite
// returns them).  setFieldType overrides the type (and size) of a column.
class SqlTextRunner
{
public:
    // what names the text in error messages (its resource name).
    SqlTextRunner(const QSqlDatabase &db, QString sql, QString what);

    // The value of a parameter, by name with or without ':' (case-insensitive).
    void setParameter(const QString &name, const QVariant &value);
    void setFieldType(const QString &fieldName, FieldType type, int size = 0);
    // At most rows rows are read (0: no limit); a text that has more sets rowLimitExceeded()
    // and returns the first rows only.
    void setRowLimit(int rows) { m_rowLimit = rows; }

    // Prepares, binds and runs the text.  Raises DataSetError with the driver's message
    // when the database is not open or the text fails.
    DataPacket run();
    bool rowLimitExceeded() const { return m_rowLimitExceeded; }

    // The type of a column as a packet carries it, given the type the driver reports and
    // the values read; size receives the width of a text column.
    static FieldType inferType(QMetaType driverType, const QList<QVariantList> &rows, int column, int *size);
    // A value read from the driver as a field of type carries it (null stays null).
    static QVariant convert(const QVariant &value, FieldType type);
    // A parameter value as the engine is given it.
    static QVariant bindValue(const QVariant &value, bool sqlite);

private:
    QSqlDatabase m_db;
    QString m_sql;
    QString m_what;
    QHash<QString, QVariant> m_params;                      // by upper-case name
    QHash<QString, std::pair<FieldType, int>> m_fieldTypes; // by upper-case name
    int m_rowLimit = 0;
    bool m_rowLimitExceeded = false;
};
