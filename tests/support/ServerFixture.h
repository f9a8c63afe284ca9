#pragma once

#include "Corvane.h"
#include "ScriptedUserInterface.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A real application server (bin/sup-server, next to the test program) on a fresh SQLite
// file filled with the small demo data, or on a PostgreSQL database of its own, and a
// session logged in at it with a scripted user interface installed: what a form test
// needs to run the forms against the real server and database.
//
//   ServerFixture server;
//   QVERIFY2(server.start(&error), qPrintable(error));       // once per test program
//   // or, on the PostgreSQL server SUP_TEST_PG_HOST / _PORT / _USER names:
//   if (!server.startPostgres(&error)) { if (error.isEmpty()) QSKIP(...); QFAIL(...); }
//   QVERIFY2(server.login(ServerFixture::kBuyer, &error), qPrintable(error));
//   ... drive the forms; server.ui() holds what they asked
//   server.stop();                                            // or let the destructor do it
//
// Demo operators (password "demo"): COMP01 and COMP02 buyers of branch 0001, COMP03 buyer
// of central branch 0010, GER01 a manager (not a buyer), AUX01 / AUX02 operators related
// to a buyer, CONS01 neither buyer nor related.
class ServerFixture
{
public:
    static constexpr const char *kBuyer = "COMP01";
    static constexpr const char *kOtherBuyer = "COMP02";
    static constexpr const char *kNonBuyer = "CONS01";
    static constexpr const char *kManager = "GER01";
    static constexpr const char *kPassword = "demo";
    static constexpr const char *kBranch = "0001";

    ServerFixture();
    ~ServerFixture();
    ServerFixture(const ServerFixture &) = delete;
    ServerFixture &operator=(const ServerFixture &) = delete;

    // Starts the server on a new database file with demo data ("small" or "large") and
    // waits until it listens.  False with the reason (and the server's output) in error.
    bool start(QString *error, const QString &demoSize = QStringLiteral("small"));
    // The same on a new PostgreSQL database ("sup_fixture_<pid>_<n>", dropped by stop()) on
    // the server the environment names: SUP_TEST_PG_HOST (host or socket folder),
    // SUP_TEST_PG_PORT (5432), SUP_TEST_PG_USER (postgres).  False with an empty error and
    // the reason in skipReason() when no such server or no QPSQL driver is available.
    bool startPostgres(QString *error, const QString &demoSize = QStringLiteral("small"));
    bool isPostgres() const { return m_postgres; }
    QString skipReason() const { return m_skipReason; }
    // Closes the session and stops the server (also run by the destructor).
    void stop();
    bool running() const;
    // Ends the server at once (SIGKILL), as a crash or a pulled cable would; the session
    // and the database stay.  restart() starts it again on the same database and port.
    void kill();
    bool restart(QString *error);

    // Opens the session of an operator (Corvane::openSession) and installs the scripted
    // user interface, cleared.  A session already open is closed first.
    bool login(const QString &operatorCode, QString *error, const QString &branch = QString::fromLatin1(kBranch),
               const QString &password = QString::fromLatin1(kPassword));
    void logout();
    Corvane::LoginInfo loginInfo(const QString &operatorCode, const QString &branch = QString::fromLatin1(kBranch),
                                 const QString &password = QString::fromLatin1(kPassword)) const;

    // Where the sessions login() opens run their look-ups: Direct (the default: the
    // session opens the fixture's database) or Server (the session is given no database
    // at all, as a desktop without database access).
    void setLookups(Corvane::Lookups mode) { m_lookups = mode; }
    Corvane::Lookups lookups() const { return m_lookups; }

    ScriptedUserInterface &ui() { return m_ui; }
    quint16 port() const { return m_port; }
    QString databasePath() const; // the SQLite file
    // A connection of its own to the demo database, for checks in SQL (opened on first
    // use; closed with the fixture).
    QSqlDatabase database();
    // Runs a query on that connection and returns the first column of its first row
    // (null when no row; the error text in error when it fails).
    QVariant scalar(const QString &sql, const QVariantMap &params = {}, QString *error = nullptr);
    // Runs a statement that returns no rows (an insert, update or delete) on that
    // connection, to build the rows a test needs before the forms load them.  False with
    // the database's error text in error when it fails.
    bool execute(const QString &sql, const QVariantMap &params = {}, QString *error = nullptr);

    // Keeps QSettings (saved options) in a temporary folder for this fixture's life.
    void useTemporarySettings();
    // The folder of the fixture's files (database, settings, server log).
    QString folder() const { return m_dir.path(); }

private:
    bool launch(const QStringList &databaseArguments, const QString &demoSize, QString *error, quint16 port = 0);
    // Runs a statement on the PostgreSQL server's maintenance database.
    bool adminExec(const QString &sql, QString *error);
    void dropPostgresDatabase();

    int m_id = 0;
    QString m_connectionName;
    QTemporaryDir m_dir;
    bool m_postgres = false;
    QString m_pgHost, m_pgUser, m_pgDatabase;
    int m_pgPort = 5432;
    QString m_skipReason;
    std::unique_ptr<QProcess> m_process;
    QStringList m_databaseArguments;   // of the last start, for restart()
    quint16 m_killedPort = 0;
    QString m_output;
    quint16 m_port = 0;
    Corvane::Lookups m_lookups = Corvane::Lookups::Direct;
    ScriptedUserInterface m_ui;
};
