#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// One bin/sup-server program (next to the test program) started with exactly the given
// arguments, for tests of what the program itself does at start: options, refusals,
// --backup, TLS.  start() waits for the ready line "listening on ADDRESS:PORT" or for the
// program's end; run() waits for the end of a program that is meant to exit.
class ServerProcess
{
public:
    ~ServerProcess();

    // True once listening (port() then holds the port); false with the program's output
    // when it ended or did not become ready in time.
    bool start(const QStringList &arguments, QString *error);
    // Runs the program to its end; its exit code, its whole output in *output.
    static int run(const QStringList &arguments, QString *output);
    // Stops it with SIGTERM and waits.
    void stop();

    quint16 port() const { return m_port; }
    QString output() const { return m_output; }

    static QString program();

private:
    std::unique_ptr<QProcess> m_process;
    QString m_output;
    quint16 m_port = 0;
};
