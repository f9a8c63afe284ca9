#pragma once

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <functional>
#include <limits>

// Where the server's data lives.  Every SQLite / PostgreSQL difference sits in this
// class; the rest of the server writes portable SQL with named parameters.
struct DatabaseConfig
{
    enum class Engine { SQLite, PostgreSQL };
    Engine engine = Engine::SQLite;
    QString path;        // SQLite file
    QString host;        // PostgreSQL host name or socket folder
    int port = 5432;
    QString name;        // PostgreSQL database name
    QString user;
    QString password;
};

// One numbered schema migration: a file NNNN_name.sql, version NNNN.
struct Migration
{
    int version = 0;
    QString name;
    QString path;
};

// One connection to the procurement database, owned by one worker thread.
class Database
{
public:
    explicit Database(const DatabaseConfig &config, const QString &connectionName);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    bool open(QString *error);          // WAL and foreign keys on SQLite
    DatabaseConfig::Engine engine() const { return m_config.engine; }
    bool isPostgres() const { return m_config.engine == DatabaseConfig::Engine::PostgreSQL; }
    QSqlDatabase &sql() { return m_db; }

    // Applies, in version order, the migrations not applied yet: those both engines
    // share (migrations/common) merged with this engine's own (migrations/sqlite or
    // migrations/postgres).  Stops after lastVersion.  Two files with one version are
    // an error, and nothing is applied.
    bool migrate(QString *error, int lastVersion = std::numeric_limits<int>::max());

    // The folders migrate() reads for this engine: the common one, then the engine's.
    QStringList migrationFolders() const;

    // The numbered migrations in folders, merged and sorted by version; false (and
    // error naming both files) when two of them carry the same version.
    static bool findMigrations(const QStringList &folders, QList<Migration> *migrations, QString *error);

    // How a transaction starts.  Deferred takes SQLite's write lock at the first write;
    // Immediate takes it at once (BEGIN IMMEDIATE), so that a transaction that reads and
    // then writes (allocating a number) waits for another writer instead of failing on
    // a snapshot that writer made stale.  PostgreSQL begins the same way for both; its
    // writers serialise on the rows they lock.
    enum class Begin { Deferred, Immediate };

    // Runs fn inside one transaction: committed when fn returns, rolled back when it
    // throws (the exception is passed on).  Joined to a running transaction, whatever
    // begin says.
    void transaction(const std::function<void()> &fn, Begin begin = Begin::Deferred);

    // Prepares and runs a statement with named parameters (":P_X"); throws
    // ServerError("server", ...) on failure, logging the SQL error.
    QSqlQuery exec(const QString &sql, const QVariantMap &params = {});

    // The same for a statement kept as a resource (ServerText::sql), with the
    // PostgreSQL variant on PostgreSQL.
    QSqlQuery execNamed(const QString &statement, const QVariantMap &params = {});

    // For bulk work: prepare once, then run with different parameters.
    QSqlQuery prepare(const QString &sql);
    void run(QSqlQuery &query, const QVariantMap &params);

    // True while transaction() runs on this connection.
    bool inTransaction() const { return m_transactionDepth > 0; }

    // Values as both engines store them: a date travels as QDate on PostgreSQL and as
    // 'YYYY-MM-DD' text on SQLite; a date-time as 'YYYY-MM-DD HH:MM:SS' (wall clock).
    QVariant bindValue(const QVariant &value) const;

    // Values read back, whatever the engine gave (text, QDate, QDateTime): a date, or a
    // date-time with the wall-clock fields in UTC spec, as packets carry them.
    static QDate toDate(const QVariant &value);
    static QDateTime toDateTime(const QVariant &value);

    // The Argon2id hash stored for an operator, empty when the operator does not exist
    // or is inactive; and the operator's name.
    bool operatorCredentials(const QString &operatorCode, QString *hash, QString *name);

private:
    bool configureSqlite(QString *error);
    bool applyMigration(int version, const QString &name, const QString &text, QString *error);

    DatabaseConfig m_config;
    int m_transactionDepth = 0;
    QString m_connectionName;
    QSqlDatabase m_db;
};
