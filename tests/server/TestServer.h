#pragma once

#include "MethodTable.h"
#include "Server.h"

#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

// A server running in a thread of its own (so a test may block on its sockets) over a
// fresh SQLite database holding branch 0001, two active operators and an inactive one, with the test
// object "Test.rdmEcho" registered:
//   Echo(any) -> the argument
//   Typed(P_CDFILIAL text, P_QTITENS integer, P_VRPRECO number, P_DTINIVAL date,
//         P_IDATIVO boolean) -> the arguments as the method saw them
//   Swap(ref text, ref text, integer) -> "trocado"; swaps the two references
//   Operator(P_CDOPERADOR text, checked against the session) -> the session's operator
//   Fail(code text) -> throws ServerError(code, "falhou: " + code)
//   Crash() -> throws std::runtime_error with internal details
//   Sleep(ms integer) -> sleeps on its worker, returns ms
//   CountOperators() -> COUNT(*) of OPERADOR through the worker's database
class TestServer
{
public:
    static constexpr const char *kObject = "Test.rdmEcho";
    static constexpr const char *kOperator = "comprador1";
    static constexpr const char *kOtherOperator = "gerente1";
    static constexpr const char *kInactiveOperator = "inativo";
    static constexpr const char *kPassword = "segredo";

    TestServer();
    ~TestServer();

    // Register extra methods before start().
    MethodTable &table() { return m_table; }
    ServerConfig &config() { return m_config; }

    bool start(QString *error);
    // Serve the database of another test server (already filled) instead of a new one,
    // as a second server process on one database does.  Before start().
    void shareDatabase(const QString &path) { m_sharedDatabase = path; }
    // Stops the server and waits for its thread.
    void stop();
    // Closes every connection and stops listening from the server's own thread, as a
    // crash would, without waiting (the caller may be inside a call).
    void stopLater();

    quint16 port() const { return m_port; }
    QString databasePath() const;

private:
    bool createDatabase(QString *error);

    QTemporaryDir m_dir;
    QString m_sharedDatabase;
    MethodTable m_table;
    ServerConfig m_config;
    QThread m_thread;
    Server *m_server = nullptr;
    quint16 m_port = 0;
};
