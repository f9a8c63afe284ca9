#pragma once

#include <QString>

#include <stdexcept>

// A failure a server method reports to its caller as an error reply
// {"error": {"code", "message"}}.  Codes: "auth", "arguments", "conflict", "server".
// The message is safe to show to a user; details belong in the server log.
class ServerError : public std::runtime_error
{
public:
    ServerError(QString code, QString message)
        : std::runtime_error(message.toStdString()), m_code(std::move(code)), m_message(std::move(message)) {}
    const QString &code() const { return m_code; }
    const QString &message() const { return m_message; }

    static ServerError conflict(const QString &m) { return {QStringLiteral("conflict"), m}; }
    static ServerError failure(const QString &m) { return {QStringLiteral("server"), m}; }
    static ServerError auth(const QString &m) { return {QStringLiteral("auth"), m}; }
    static ServerError arguments(const QString &m) { return {QStringLiteral("arguments"), m}; }

private:
    QString m_code;
    QString m_message;
};
