#pragma once

#include "Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A scratch procurement database of one engine for a test program: an SQLite file in a
// temporary folder, or on PostgreSQL a database of its own ("sup_<tag>_<pid>") on the
// server the environment names (SUP_TEST_PG_HOST, SUP_TEST_PG_PORT, SUP_TEST_PG_USER),
// created empty and dropped again, with every further database made by scratch(), when
// the object goes.  Without such a server, or without the QPSQL driver, the PostgreSQL
// database is not available and skipReason() says why (for QSKIP).
class EngineDatabase
{
public:
    enum class Content {
        Schema,    // the migrations only: the test builds every row it needs
        SmallDemo, // the migrations and the small demo data set
    };

    // tag tells this program's connections and PostgreSQL databases apart from those of
    // other test programs running at the same time.
    EngineDatabase(DatabaseConfig::Engine engine, const QString &tag);
    ~EngineDatabase();
    EngineDatabase(const EngineDatabase &) = delete;
    EngineDatabase &operator=(const EngineDatabase &) = delete;

    // Creates the database with content.  False with error when that fails; false with
    // an empty error when the engine is not available here (see skipReason()).
    bool create(Content content, QString *error);

    bool isAvailable() const { return m_db != nullptr; }
    QString skipReason() const { return m_skipReason; }
    bool isPostgres() const { return m_config.engine == DatabaseConfig::Engine::PostgreSQL; }

    // The test's connection; only while isAvailable().
    Database &db() { return *m_db; }
    Database *get() { return m_db.get(); }
    // What a further connection to the same database (a server, a second writer) opens.
    const DatabaseConfig &config() const { return m_config; }

    // Another empty database of the same engine, next to this one (same server or same
    // folder), named after suffix; made again if it exists.  Dropped with this object.
    bool scratch(const QString &suffix, DatabaseConfig *config, QString *error);

    // The data rows "sqlite" and "postgres" of a test run on both engines, in the column
    // "postgres" (bool).
    static void addEngineRows();

private:
    bool adminExec(const QString &sql, QString *error);
    void drop(const QString &name);

    QString m_tag;
    DatabaseConfig m_config;
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    QString m_skipReason;
    QStringList m_created; // PostgreSQL databases to drop at the end
};

// In a test function whose data rows come from EngineDatabase::addEngineRows(): points
// current (a Database *) at the row's engine, one of the EngineDatabase objects sqliteDb
// and postgresDb, or skips the row when PostgreSQL is not available here.
#define SUP_ENGINE_ROW(sqliteDb, postgresDb, current)                                              \
    do {                                                                                             \
        QFETCH(bool, postgres);                                                                      \
        if (postgres && !(postgresDb).isAvailable())                                                 \
            QSKIP(qPrintable(QStringLiteral("PostgreSQL: ") + (postgresDb).skipReason()));           \
        (current) = postgres ? (postgresDb).get() : (sqliteDb).get();                                \
    } while (false)
