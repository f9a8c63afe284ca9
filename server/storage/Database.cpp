#include "Database.h"

#include "Codes.h"
#include "ServerError.h"
#include "ServerText.h"
#include "SqliteFunctions.h"

#include <QDir>
#include <QLoggingCategory>
#include <QMap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QTimeZone>

#include <mutex>

Q_LOGGING_CATEGORY(lcStorage, "sup.storage")

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void initServerResources()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Q_INIT_RESOURCE(storage);
        Q_INIT_RESOURCE(objects);
    });
}

namespace {

// Splits a migration file into statements at semicolons that stand outside quotes,
// comments and PostgreSQL dollar-quoted bodies ($$ ... $$).
QStringList splitStatements(const QString &text)
{
    QStringList out;
    QString current;
    bool inQuote = false;
    bool inDollar = false;
    bool inLineComment = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (inLineComment) {
            if (c == QLatin1Char('\n'))
                inLineComment = false;
            current += c;
            continue;
        }
        if (!inQuote && !inDollar && c == QLatin1Char('-') && next == QLatin1Char('-')) {
            inLineComment = true;
            current += c;
            continue;
        }
        if (!inDollar && c == QLatin1Char('\''))
            inQuote = !inQuote;
        if (!inQuote && c == QLatin1Char('$') && next == QLatin1Char('$')) {
            inDollar = !inDollar;
            current += QLatin1String("$$");
            ++i;
            continue;
        }
        if (!inQuote && !inDollar && c == QLatin1Char(';')) {
            out.append(current);
            current.clear();
            continue;
        }
        current += c;
    }
    out.append(current);
    QStringList statements;
    for (const QString &s : out) {
        // A chunk holding only comments and blanks is no statement.
        QString code;
        for (const QString &line : s.split(QLatin1Char('\n'))) {
            if (!line.trimmed().startsWith(QLatin1String("--")))
                code += line + QLatin1Char('\n');
        }
        if (!code.trimmed().isEmpty())
            statements.append(s.trimmed());
    }
    return statements;
}

QString sqlErrorText(const QSqlError &e)
{
    return e.text().isEmpty() ? e.nativeErrorCode() : e.text();
}

} // namespace

Database::Database(const DatabaseConfig &config, const QString &connectionName)
    : m_config(config), m_connectionName(connectionName)
{
    initServerResources();
    const QString driver = isPostgres() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    m_db = QSqlDatabase::addDatabase(driver, m_connectionName);
}

Database::~Database()
{
    // The kept statements belong to the connection: gone before it closes.
    m_kept.clear();
    if (m_db.isOpen())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool Database::open(QString *error)
{
    if (!m_db.isValid()) {
        if (error)
            *error = QStringLiteral("database driver %1 is not available").arg(isPostgres() ? "QPSQL" : "QSQLITE");
        return false;
    }
    if (isPostgres()) {
        m_db.setHostName(m_config.host);
        m_db.setPort(m_config.port);
        m_db.setDatabaseName(m_config.name);
        m_db.setUserName(m_config.user);
        m_db.setPassword(m_config.password);
        m_db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    } else {
        m_db.setDatabaseName(m_config.path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    if (!m_db.open()) {
        if (error)
            *error = sqlErrorText(m_db.lastError());
        return false;
    }
    if (isPostgres()) {
        // Wall-clock date-times are stored without a zone; keep the session in UTC so
        // nothing is ever shifted on the way in or out.
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("SET TIME ZONE 'UTC'"))) {
            if (error)
                *error = sqlErrorText(q.lastError());
            return false;
        }
        return true;
    }
    return configureSqlite(error);
}

bool Database::configureSqlite(QString *error)
{
    // A page cache of 32 MiB per connection (SQLite's default is 2 MiB) and reads through
    // a memory map: a whole quotation's items and their history indexes stay in memory
    // while a readjustment or a best-price load writes them, instead of being read back
    // page by page with a system call each.
    const char *pragmas[] = {"PRAGMA journal_mode=WAL", "PRAGMA foreign_keys=ON",
                             "PRAGMA synchronous=NORMAL", "PRAGMA busy_timeout=10000",
                             "PRAGMA cache_size=-32768", "PRAGMA mmap_size=268435456"};
    for (const char *pragma : pragmas) {
        QSqlQuery q(m_db);
        if (!q.exec(QLatin1String(pragma))) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(QLatin1String(pragma), sqlErrorText(q.lastError()));
            return false;
        }
    }
    // The functions the package's SQL texts call (NVLSTR, LAST_DAY, PARAM ...), for the
    // look-ups this server runs for hosts without database access; PostgreSQL gets them
    // from a migration.
    if (!registerSqliteFunctions(m_db)) {
        if (error)
            *error = QStringLiteral("the SQL functions of the package's texts could not be registered");
        return false;
    }
    return true;
}

QStringList Database::migrationFolders() const
{
    return {QStringLiteral(":/migrations/common"),
            isPostgres() ? QStringLiteral(":/migrations/postgres") : QStringLiteral(":/migrations/sqlite")};
}

bool Database::findMigrations(const QStringList &folders, QList<Migration> *migrations, QString *error)
{
    static const QRegularExpression numbered(QStringLiteral("^(\\d{4})_(.+)\\.sql$"));
    QMap<int, Migration> byVersion;
    for (const QString &folder : folders) {
        const QDir dir(folder);
        for (const QString &file : dir.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name)) {
            const auto m = numbered.match(file);
            if (!m.hasMatch())
                continue;
            const Migration migration{m.captured(1).toInt(), m.captured(2), dir.filePath(file)};
            const auto taken = byVersion.constFind(migration.version);
            if (taken != byVersion.constEnd()) {
                if (error)
                    *error = QStringLiteral("migrations %1 and %2 both have version %3")
                                 .arg(taken->path, migration.path).arg(migration.version);
                return false;
            }
            byVersion.insert(migration.version, migration);
        }
    }
    *migrations = byVersion.values();
    return true;
}

bool Database::migrate(QString *error, int lastVersion)
{
    QList<Migration> migrations;
    if (!findMigrations(migrationFolders(), &migrations, error))
        return false;
    try {
        exec(ServerText::sql(QStringLiteral("MigrationsCreate"), isPostgres()));
        for (const Migration &migration : std::as_const(migrations)) {
            if (migration.version > lastVersion)
                break;
            bool applied = false;
            transaction([&] {
                exec(ServerText::sql(QStringLiteral("MigrationsLock"), isPostgres()));
                QSqlQuery done = exec(ServerText::sql(QStringLiteral("MigrationsApplied"), isPostgres()));
                while (done.next()) {
                    if (done.value(0).toInt() == migration.version)
                        applied = true;
                }
                if (applied)
                    return;
                const QString text = ServerText::resource(migration.path);
                QString why;
                if (!applyMigration(migration.version, migration.name, text, &why))
                    throw ServerError::failure(QStringLiteral("migration %1: %2").arg(migration.path, why));
            });
            if (!applied)
                qCInfo(lcStorage) << "applied migration" << migration.path;
        }
    } catch (const ServerError &e) {
        if (error)
            *error = e.message();
        return false;
    }
    return true;
}

bool Database::applyMigration(int version, const QString &name, const QString &text, QString *error)
{
    for (const QString &statement : splitStatements(text)) {
        QSqlQuery q(m_db);
        if (!q.exec(statement)) {
            if (error)
                *error = QStringLiteral("%1\n-- in --\n%2").arg(sqlErrorText(q.lastError()), statement.left(400));
            return false;
        }
    }
    exec(ServerText::sql(QStringLiteral("MigrationsRecord"), isPostgres()),
         {{QStringLiteral("P_VERSION"), version},
          {QStringLiteral("P_NAME"), name},
          {QStringLiteral("P_APPLIED_AT"), QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))}});
    return true;
}

void Database::transaction(const std::function<void()> &fn, Begin begin)
{
    if (m_transactionDepth > 0) {
        // Joined to the transaction already running on this connection.
        fn();
        return;
    }
    if (begin == Begin::Immediate && !isPostgres()) {
        // The driver only knows a plain BEGIN; commit and rollback are plain statements
        // and end this transaction the same way.
        // No statement of this connection may still be open here: its read snapshot
        // would make the write lock fail at once (busy snapshot) instead of waiting.
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            qCWarning(lcStorage) << "cannot begin a transaction:" << sqlErrorText(q.lastError());
            throw ServerError::failure(ServerText::message(QStringLiteral("Db_Falha")));
        }
    } else if (!m_db.transaction()) {
        qCWarning(lcStorage) << "cannot begin a transaction:" << sqlErrorText(m_db.lastError());
        throw ServerError::failure(ServerText::message(QStringLiteral("Db_Falha")));
    }
    ++m_transactionDepth;
    try {
        fn();
    } catch (...) {
        --m_transactionDepth;
        if (!m_db.rollback())
            qCWarning(lcStorage) << "rollback failed:" << sqlErrorText(m_db.lastError());
        throw;
    }
    --m_transactionDepth;
    if (!m_db.commit()) {
        const QString why = sqlErrorText(m_db.lastError());
        m_db.rollback();
        qCWarning(lcStorage) << "commit failed:" << why;
        throw ServerError::failure(ServerText::message(QStringLiteral("Db_Falha")));
    }
}

QVariant Database::bindValue(const QVariant &value) const
{
    switch (value.typeId()) {
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        if (!d.isValid())
            return QVariant(QMetaType(QMetaType::QString));
        return isPostgres() ? QVariant(d) : QVariant(d.toString(Qt::ISODate));
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid())
            return QVariant(QMetaType(QMetaType::QString));
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
        return value;
    }
}

QSqlQuery Database::prepare(const QString &sql)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        qCWarning(lcStorage).noquote() << "prepare failed:" << sqlErrorText(q.lastError()) << "\n" << sql;
        throw ServerError::failure(ServerText::message(QStringLiteral("Db_Falha")));
    }
    return q;
}

void Database::run(QSqlQuery &query, const QVariantMap &params)
{
    for (auto it = params.constBegin(); it != params.constEnd(); ++it)
        query.bindValue(QLatin1Char(':') + it.key(), bindValue(it.value()));
    if (!query.exec()) {
        qCWarning(lcStorage).noquote() << "statement failed:" << sqlErrorText(query.lastError()) << "\n"
                                       << query.lastQuery();
        throw ServerError::failure(ServerText::message(QStringLiteral("Db_Falha")));
    }
}

QSqlQuery Database::exec(const QString &sql, const QVariantMap &params)
{
    if (params.isEmpty()) {
        // Run as it is: PostgreSQL cannot prepare every statement (DDL).
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (!q.exec(sql)) {
            qCWarning(lcStorage).noquote() << "statement failed:" << sqlErrorText(q.lastError()) << "\n" << sql;
            throw ServerError::failure(ServerText::message(QStringLiteral("Db_Falha")));
        }
        return q;
    }
    QSqlQuery q = prepare(sql);
    run(q, params);
    return q;
}

QSqlQuery Database::execNamed(const QString &statement, const QVariantMap &params)
{
    return exec(ServerText::sql(statement, isPostgres()), params);
}

void Database::readKept(const QString &sql, const QVariantMap &params, const std::function<void(QSqlQuery &)> &read)
{
    auto found = m_kept.find(sql);
    if (found != m_kept.end() && found->second->inUse) {
        // Already running further up this call: this use gets a statement of its own.
        QSqlQuery own = prepare(sql);
        run(own, params);
        read(own);
        return;
    }
    if (found == m_kept.end()) {
        if (m_kept.size() >= kMaxKept) {
            for (auto it = m_kept.begin(); it != m_kept.end();)
                it = it->second->inUse ? std::next(it) : m_kept.erase(it);
        }
        auto kept = std::make_unique<KeptStatement>();
        kept->query = prepare(sql);
        found = m_kept.emplace(sql, std::move(kept)).first;
    }
    // Held by pointer: the map may grow (and rehash) while read runs.
    KeptStatement *kept = found->second.get();
    kept->inUse = true;
    const auto release = qScopeGuard([kept] {
        kept->query.finish();
        kept->inUse = false;
    });
    for (const QString &name : std::as_const(kept->bound)) {
        if (!params.contains(name))
            kept->query.bindValue(QLatin1Char(':') + name, QVariant(QMetaType(QMetaType::QString)));
    }
    for (auto it = params.constBegin(); it != params.constEnd(); ++it) {
        if (!kept->bound.contains(it.key()))
            kept->bound.append(it.key());
    }
    run(kept->query, params);
    read(kept->query);
}

void Database::readNamed(const QString &statement, const QVariantMap &params,
                         const std::function<void(QSqlQuery &)> &read)
{
    readKept(ServerText::sql(statement, isPostgres()), params, read);
}

QVariant Database::valueNamed(const QString &statement, const QVariantMap &params)
{
    QVariant value;
    readNamed(statement, params, [&value](QSqlQuery &q) {
        if (q.next())
            value = q.value(0);
    });
    return value;
}

int Database::runNamed(const QString &statement, const QVariantMap &params)
{
    int rows = 0;
    readNamed(statement, params, [&rows](QSqlQuery &q) { rows = q.numRowsAffected(); });
    return rows;
}

QDate Database::toDate(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate: return value.toDate();
    case QMetaType::QDateTime: return value.toDateTime().date();
    default: break;
    }
    const QString text = value.toString().trimmed();
    return QDate::fromString(text.left(10), Qt::ISODate);
}

QDateTime Database::toDateTime(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    QDate date;
    QTime time(0, 0);
    switch (value.typeId()) {
    case QMetaType::QDate:
        date = value.toDate();
        break;
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        date = dt.date();
        time = dt.time();
        break;
    }
    default: {
        const QString text = value.toString().trimmed();
        date = QDate::fromString(text.left(10), Qt::ISODate);
        if (text.size() >= 19)
            time = QTime::fromString(text.mid(11, 8), QStringLiteral("HH:mm:ss"));
        if (!time.isValid())
            time = QTime(0, 0);
    }
    }
    if (!date.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

bool Database::operatorCredentials(const QString &operatorCode, QString *hash, QString *name)
{
    QSqlQuery q = execNamed(QStringLiteral("OperatorCredentials"),
                            {{QStringLiteral("P_CDOPERADOR"), padOperator(operatorCode)}});
    if (!q.next()) {
        if (hash)
            hash->clear();
        if (name)
            name->clear();
        return false;
    }
    if (hash)
        *hash = q.value(0).toString();
    if (name)
        *name = q.value(1).toString().trimmed();
    return true;
}
