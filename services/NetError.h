#pragma once

#include <QString>

#include <stdexcept>

// A failed call to the application server: unreachable, connection dropped mid-call,
// login refused, or an error reply.  code is the reply's error code ("auth",
// "arguments", "conflict", "server", "unknown-object", "unknown-method") or "network"
// when the server could not be reached or the connection failed, "tls" when its
// certificate was refused or the secure connection failed; message is safe to show to
// the user.
//
// interrupted() tells a "network" failure after the request went out: the connection
// dropped (or the answer did not come in time) and the server may or may not have done
// what was asked.  The caller keeps what it would have stored; repeating a write goes
// through the server's usual check of old values.
class NetError : public std::runtime_error
{
public:
    NetError(QString code, QString message, bool interrupted = false)
        : std::runtime_error(message.toStdString())
        , m_code(std::move(code))
        , m_message(std::move(message))
        , m_interrupted(interrupted)
    {
    }
    const QString &code() const { return m_code; }
    const QString &message() const { return m_message; }
    bool interrupted() const { return m_interrupted; }
    // Not reached, lost, or no answer: the connection, not the server's rules, failed.
    bool connectionFailed() const { return m_code == QLatin1String("network"); }

private:
    QString m_code;
    QString m_message;
    bool m_interrupted = false;
};
