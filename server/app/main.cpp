// sup-server: the procurement application server.  Applies the database migrations,
// optionally fills an empty database with demo data, then serves the wire until SIGTERM
// or SIGINT.

#include "Database.h"
#include "DemoData.h"
#include "MethodTable.h"
#include "Server.h"
#include "ServerLog.h"
#include "ServerOptions.h"
#include "SignalWatcher.h"
#include "SqliteBackup.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include <cstdio>

#include <sys/resource.h>

namespace {

// Every connected client takes two descriptors (its socket and the duplicate its replies
// are written on): the soft limit goes up to what the system allows this process, so that
// the usual default of 1024 does not refuse clients from about 500 on.
void raiseOpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return;
    const rlim_t was = limit.rlim_cur;
    limit.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &limit) == 0)
        qCInfo(lcServer).noquote() << QStringLiteral("open files limit raised from %1 to %2")
                                          .arg(qulonglong(was)).arg(qulonglong(limit.rlim_cur));
}

// Migrates the database and, when asked, fills it with demo data if it has no operator.
bool prepareDatabase(const ServerOptions &options, QString *error)
{
    Database db(options.server.database, QStringLiteral("sup-start"));
    if (!db.open(error))
        return false;
    if (!db.migrate(error))
        return false;
    if (options.demoSize.isEmpty())
        return true;
    QSqlQuery count = db.execNamed(QStringLiteral("DemoDataOperators"));
    if (count.next() && count.value(0).toLongLong() > 0) {
        qCInfo(lcServer) << "the database already holds operators; no demo data added";
        return true;
    }
    const DemoData::Size size = options.demoSize == QLatin1String("large") ? DemoData::Size::Large
                                                                           : DemoData::Size::Small;
    qCInfo(lcServer).noquote() << QStringLiteral("filling the database with %1 demo data").arg(options.demoSize);
    if (!DemoData::generate(db, size, error))
        return false;
    qCInfo(lcServer).noquote() << QStringLiteral("demo data ready; operators log in with the password \"%1\"")
                                      .arg(DemoData::demoPassword());
    return true;
}

QString describe(const DatabaseConfig &db)
{
    if (db.engine == DatabaseConfig::Engine::SQLite)
        return QStringLiteral("SQLite %1").arg(db.path);
    return QStringLiteral("PostgreSQL %1@%2:%3/%4").arg(db.user, db.host).arg(db.port).arg(db.name);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sup-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));

    ServerOptions options;
    QString error;
    bool help = false;
    if (!options.parse(QCoreApplication::arguments(), &error, &help)) {
        std::fprintf(help ? stdout : stderr, "%s\n", qPrintable(error));
        return help ? 0 : 2;
    }
    if (!ServerLog::install(options.logLevel, options.logFile, &error)) {
        std::fprintf(stderr, "sup-server: %s\n", qPrintable(error));
        return 2;
    }

    if (!options.backupFile.isEmpty()) {
        // A copy of the database only: no migration, no listening; another sup-server may
        // be serving the same file meanwhile.
        const QString &source = options.server.database.path;
        if (!SqliteBackup::copy(source, options.backupFile, &error)) {
            qCCritical(lcServer).noquote() << "backup failed:" << error;
            return 1;
        }
        qCInfo(lcServer).noquote() << QStringLiteral("backup of %1 written to %2").arg(source, options.backupFile);
        return 0;
    }
    // Refused before the database is touched: plain TCP beyond loopback, unreadable TLS files.
    if (!Server::readTlsConfiguration(options.server, nullptr, &error)) {
        qCCritical(lcServer).noquote() << error;
        return 2;
    }

    qCInfo(lcServer).noquote() << QStringLiteral("starting on %1").arg(describe(options.server.database));
    bool prepared = false;
    try {
        prepared = prepareDatabase(options, &error);
    } catch (const std::exception &e) {
        error = QString::fromLocal8Bit(e.what());
    }
    if (!prepared) {
        qCCritical(lcServer).noquote() << "cannot prepare the database:" << error;
        return 1;
    }

    raiseOpenFileLimit();
    MethodTable table;
    registerServerObjects(table);

    SignalWatcher watcher;
    Server server(table, options.server);
    if (!server.start(&error)) {
        qCCritical(lcServer).noquote() << error;
        return 1;
    }
    QObject::connect(&watcher, &SignalWatcher::stopRequested, &app, [&](int signal) {
        qCInfo(lcServer) << "signal" << signal << "received, stopping";
        QCoreApplication::quit();
    });

    const QString where = QStringLiteral("%1:%2").arg(server.address().toString()).arg(server.port());
    qCInfo(lcServer).noquote() << "listening on" << where;
    std::printf("listening on %s\n", qPrintable(where));
    std::fflush(stdout);

    const int rc = app.exec();
    server.stop();
    qCInfo(lcServer) << "stopped";
    ServerLog::uninstall();
    return rc;
}
