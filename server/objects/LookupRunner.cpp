#include "LookupRunner.h"

#include "Database.h"
#include "DataSetError.h"
#include "ServerError.h"
#include "ServerLog.h"
#include "ServerText.h"
#include "SqlTextRunner.h"
#include "SqlTexts.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

void execOrFail(QSqlDatabase &db, const char *statement)
{
    QSqlQuery q(db);
    if (!q.exec(QLatin1String(statement))) {
        qCWarning(lcCalls).noquote() << "read-only guard:" << statement << "failed:" << q.lastError().text();
        throw ServerError::failure(ServerText::message(QStringLiteral("Db_Falha")));
    }
}

// Makes the connection refuse every write while it lives: SQLite's query_only pragma
// (switched back off at the end, the connection serves writing methods too), or on
// PostgreSQL a transaction declared READ ONLY and rolled back at the end.
class ReadOnlyGuard
{
public:
    explicit ReadOnlyGuard(Database &db) : m_db(db)
    {
        if (m_db.isPostgres()) {
            if (!m_db.sql().transaction()) {
                qCWarning(lcCalls).noquote() << "read-only guard: BEGIN failed:" << m_db.sql().lastError().text();
                throw ServerError::failure(ServerText::message(QStringLiteral("Db_Falha")));
            }
            try {
                execOrFail(m_db.sql(), "SET TRANSACTION READ ONLY");
            } catch (...) {
                m_db.sql().rollback();
                throw;
            }
        } else {
            execOrFail(m_db.sql(), "PRAGMA query_only = ON");
        }
    }
    ~ReadOnlyGuard()
    {
        if (m_db.isPostgres()) {
            m_db.sql().rollback();
        } else {
            QSqlQuery q(m_db.sql());
            if (!q.exec(QStringLiteral("PRAGMA query_only = OFF")))
                qCCritical(lcCalls).noquote() << "read-only guard: query_only not switched off:" << q.lastError().text();
        }
    }
    ReadOnlyGuard(const ReadOnlyGuard &) = delete;
    ReadOnlyGuard &operator=(const ReadOnlyGuard &) = delete;

private:
    Database &m_db;
};

} // namespace

DataPacket LookupRunner::run(Database &db, const QString &textName, const QVariantMap &params, int rowLimit)
{
    SqlTexts texts;
    if (!SqlTexts::isResourceName(textName) || !SqlTexts::fromResource(textName, &texts))
        throw ServerError::arguments(ServerText::message(QStringLiteral("Consulta_Desconhecida"), {textName}));
    return runTexts(db, texts, textName, params, rowLimit);
}

DataPacket LookupRunner::runTexts(Database &db, const SqlTexts &texts, const QString &what, const QVariantMap &params,
                                  int rowLimit)
{
    // A look-up joined to a running transaction would switch the writer's connection to
    // read-only and, on PostgreSQL, end its transaction: never run inside one.
    if (db.inTransaction())
        throw std::logic_error("a look-up cannot run inside a transaction");
    const QString sql = texts.textFor(db.sql().driverName());
    if (sql.isEmpty())
        throw ServerError::arguments(ServerText::message(QStringLiteral("Consulta_Sem_Texto"), {what}));

    SqlTextRunner runner(db.sql(), sql, what);
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        runner.setParameter(it.key(), it.value());
    runner.setRowLimit(rowLimit);
    DataPacket packet;
    try {
        ReadOnlyGuard readOnly(db);
        packet = runner.run();
    } catch (const DataSetError &e) {
        qCWarning(lcCalls).noquote() << "look-up" << what << "failed:" << e.message();
        throw ServerError::failure(ServerText::message(QStringLiteral("Consulta_Falhou"), {what}));
    }
    if (runner.rowLimitExceeded())
        throw ServerError::failure(
            ServerText::message(QStringLiteral("Consulta_Muitas_Linhas"), {what, QString::number(rowLimit)}));
    return packet;
}
