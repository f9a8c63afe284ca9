#include "SupplierTwins.h"

#include "Database.h"

#include <QSqlRecord>

namespace {

// INSERT INTO table SELECT every column, with the listed columns prefixed.
QString twinCopy(Database &db, const QString &table, const QStringList &prefixed)
{
    // PostgreSQL keeps unquoted names in lower case.
    const QSqlRecord record = db.sql().record(db.isPostgres() ? table.toLower() : table);
    QStringList columns, values;
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i).toUpper();
        columns << name;
        // A code keeps its width (the server pads codes to it): the prefix takes the place
        // of its first two characters, zeros in the demo's codes.
        if (name == QLatin1String("CDFORNECED"))
            values << QStringLiteral("CAST(:P AS VARCHAR(2)) || SUBSTR(CDFORNECED, 3)");
        else if (prefixed.contains(name))
            values << QStringLiteral("CAST(:P AS VARCHAR(2)) || ") + name;
        else
            values << name;
    }
    return QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %1 WHERE CDFORNECED NOT LIKE 'T%'")
        .arg(table, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
}

} // namespace

bool SupplierTwins::add(Database &db, int twins, QString *error)
{
    try {
        db.transaction([&] {
            for (int t = 0; t < twins; ++t) {
                const QVariantMap prefix = {{QStringLiteral("P"), QStringLiteral("T%1").arg(t)}};
                db.exec(twinCopy(db, QStringLiteral("FORNECEDOR"),
                                 {QStringLiteral("CDFORNECED"), QStringLiteral("NRINSJURFORN")}), prefix);
                db.exec(twinCopy(db, QStringLiteral("REGIFORN"), {QStringLiteral("CDFORNECED")}), prefix);
                db.exec(twinCopy(db, QStringLiteral("PRODFORN"), {QStringLiteral("CDFORNECED")}), prefix);
            }
        });
    } catch (const std::exception &e) {
        *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}
