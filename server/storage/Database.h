#pragma once

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <functional>
#include <limits>
#include <memory>
#include <unordered_map>

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

    // Statements kept prepared.  The statements a call runs again and again (access
    // rules, grids, the item writes) are prepared once per connection and kept while it
    // lives, sparing the engine's parse and plan of every call.  The kept statement never
    // leaves these functions: it is reset before they return, so it holds no read
    // snapshot afterwards, and a use of the same statement from inside read gets a
    // statement of its own.  Every parameter the statement had before is bound again:
    // one left out is null, never the value of an earlier call.
    //
    // readNamed runs a statement kept as a resource (ServerText::sql) and hands the
    // result to read; valueNamed answers the first column of the first row (invalid when
    // there is none); runNamed runs a writing statement and answers the rows it changed.
    void readNamed(const QString &statement, const QVariantMap &params,
                   const std::function<void(QSqlQuery &)> &read);
    QVariant valueNamed(const QString &statement, const QVariantMap &params);
    int runNamed(const QString &statement, const QVariantMap &params);
    // The same for a statement given as text.
    void readKept(const QString &sql, const QVariantMap &params, const std::function<void(QSqlQuery &)> &read);

    // How many statements this connection keeps prepared (for tests and the log).
    int keptStatements() const { return int(m_kept.size()); }

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

    struct KeptStatement
    {
        QSqlQuery query;
        QStringList bound;    // the parameters bound at its last run
        bool inUse = false;
    };
    // At most this many statements are kept; beyond it those not in use are let go.
    static constexpr size_t kMaxKept = 256;

    DatabaseConfig m_config;
    int m_transactionDepth = 0;
    std::unordered_map<QString, std::unique_ptr<KeptStatement>> m_kept;
    QString m_connectionName;
    QSqlDatabase m_db;
};
