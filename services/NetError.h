#pragma once

#include <QString>

#include <stdexcept>

// A failed call to the application server: unreachable, connection dropped mid-call,
// login refused, or an error reply.  code is the reply's error code ("auth",
// "arguments", "conflict", "server", "unknown-object", "unknown-method") or "network"
// when the server could not be reached, "tls" when its certificate was refused or the
// secure connection failed; message is safe to show to the user.
class NetError : public std::runtime_error
{
public:
    NetError(QString code, QString message)
        : std::runtime_error(message.toStdString()), m_code(std::move(code)), m_message(std::move(message)) {}
    const QString &code() const { return m_code; }
    const QString &message() const { return m_message; }

private:
    QString m_code;
    QString m_message;
};
