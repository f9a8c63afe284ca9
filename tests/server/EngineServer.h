#pragma once

#include "EngineDatabase.h"
#include "Server.h"

#include <QString>
#include <QThread>

class MethodTable;

// A server of a method table over a scratch database of one engine (EngineDatabase),
// running in a thread of its own so that a test may block on its sockets, while the test
// keeps its own connection to the same database (database.db()) for building data and
// reading results.  One server runs at a time in a process: the workers' database
// connections are named per worker, the same for every server.
class EngineServer
{
public:
    EngineServer(DatabaseConfig::Engine engine, const QString &tag) : database(engine, tag) {}
    ~EngineServer() { stop(); }
    EngineServer(const EngineServer &) = delete;
    EngineServer &operator=(const EngineServer &) = delete;

    // Starts the server (two workers, a short login delay) on the database, which must
    // have been created.  False with a reason when it does not start.
    bool start(const MethodTable &table, QString *error);
    // Stops the server and waits for its thread; nothing when it is not running.
    void stop();
    bool isRunning() const { return m_thread.isRunning(); }

    EngineDatabase database;
    quint16 port = 0;

private:
    QThread m_thread;
    Server *m_server = nullptr;
};
