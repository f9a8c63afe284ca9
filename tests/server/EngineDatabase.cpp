#include "EngineDatabase.h"

#include "DemoData.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

EngineDatabase::EngineDatabase(DatabaseConfig::Engine engine, const QString &tag) : m_tag(tag)
{
    m_config.engine = engine;
}

EngineDatabase::~EngineDatabase()
{
    m_db.reset();
    for (const QString &name : std::as_const(m_created))
        drop(name);
}

bool EngineDatabase::create(Content content, QString *error)
{
    error->clear();
    QString name = m_tag;
    if (isPostgres()) {
        const QString host = qEnvironmentVariable("SUP_TEST_PG_HOST");
        if (host.isEmpty()) {
            m_skipReason = QStringLiteral("SUP_TEST_PG_HOST not set");
            return false;
        }
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            m_skipReason = QStringLiteral("QPSQL driver not available");
            return false;
        }
        m_config.host = host;
        m_config.port = qEnvironmentVariableIntValue("SUP_TEST_PG_PORT");
        if (m_config.port == 0)
            m_config.port = 5432;
        m_config.user = qEnvironmentVariable("SUP_TEST_PG_USER", QStringLiteral("postgres"));
        if (!scratch(QString(), &m_config, error))
            return false;
        name += QStringLiteral("_pg");
    } else {
        if (!m_dir.isValid()) {
            *error = QStringLiteral("no temporary folder");
            return false;
        }
        m_config.path = m_dir.filePath(m_tag + QStringLiteral(".db"));
        name += QStringLiteral("_sqlite");
    }
    auto db = std::make_unique<Database>(m_config, name);
    if (!db->open(error) || !db->migrate(error))
        return false;
    if (content == Content::SmallDemo && !DemoData::generate(*db, DemoData::Size::Small, error))
        return false;
    m_db = std::move(db);
    return true;
}

bool EngineDatabase::scratch(const QString &suffix, DatabaseConfig *config, QString *error)
{
    *config = m_config;
    if (!isPostgres()) {
        config->path = m_dir.filePath(m_tag + suffix + QStringLiteral(".db"));
        QFile::remove(config->path);
        return true;
    }
    config->name = QStringLiteral("sup_%1_%2%3").arg(m_tag).arg(QCoreApplication::applicationPid()).arg(suffix);
    if (!adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(config->name), error)
        || !adminExec(QStringLiteral("CREATE DATABASE %1").arg(config->name), error))
        return false;
    if (!m_created.contains(config->name))
        m_created << config->name;
    return true;
}

void EngineDatabase::addEngineRows()
{
    QTest::addColumn<bool>("postgres");
    QTest::newRow("sqlite") << false;
    QTest::newRow("postgres") << true;
}

bool EngineDatabase::adminExec(const QString &sql, QString *error)
{
    DatabaseConfig admin = m_config;
    admin.name = QStringLiteral("postgres");
    Database adminDb(admin, m_tag + QStringLiteral("_pg_admin"));
    if (!adminDb.open(error))
        return false;
    QSqlQuery q(adminDb.sql());
    if (!q.exec(sql)) {
        *error = q.lastError().text();
        return false;
    }
    return true;
}

void EngineDatabase::drop(const QString &name)
{
    QString error;
    if (!adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name), &error))
        qWarning("cannot drop the test database %s: %s", qPrintable(name), qPrintable(error));
}
