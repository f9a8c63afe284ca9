#pragma once

#include "Database.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// The real application server (bin/sup-server, next to the test program) as a child
// process on a database the test made, which the test may kill without warning
// (SIGKILL, as a power cut or the kernel's out-of-memory killer would) and start again on
// the same database.  It listens on a free loopback port, read from its ready line.
class ServerProcess
{
public:
    explicit ServerProcess(const DatabaseConfig &database, const QString &logFile = QString());
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // Starts the server and waits for "listening on ADDR:PORT".  False with the reason and
    // the server's output in error.
    bool start(QString *error);
    // SIGKILL, then waits for the process to be gone.
    void kill();
    // SIGTERM and a clean stop (SIGKILL when it does not stop in time).
    void stop();
    bool running() const;
    // Further options of every start (for example --workers).
    void setExtraArguments(const QStringList &arguments) { m_extra = arguments; }
    quint16 port() const { return m_port; }

    // The server's command-line options naming a database.
    static QStringList databaseArguments(const DatabaseConfig &database);

private:
    DatabaseConfig m_database;
    QString m_logFile;
    QStringList m_extra;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
};
