#pragma once

#include "MethodTable.h"
#include "Session.h"

#include <QVariant>

class Database;

// What a connection does with the answer to one message.
struct DispatchOutcome
{
    QVariantMap reply;
    bool closeAfter = false;   // the message came before login: answer, then close
    int delayMs = 0;           // a refused login is answered after this delay
    bool sessionChanged = false;
    Session session;           // the new session when sessionChanged
};

// Answers the messages of the wire ("login", "call", "ping") for one session.  Holds no
// state of its own, so every worker shares one instance.
class Dispatcher
{
public:
    explicit Dispatcher(const MethodTable &table, int loginDelayMs = 1000);

    // Whether answering message needs a worker's database: logins and calls do; pings
    // and anything refused before login are answered on the spot.
    static bool needsDatabase(const Session &session, const QVariantMap &message);

    // db may be null only when needsDatabase() is false.
    DispatchOutcome handle(const Session &session, Database *db, const QVariantMap &message) const;

    static QVariantMap errorReply(const QVariant &id, const QString &code, const QString &message);

private:
    DispatchOutcome login(const QVariantMap &message, Database &db) const;
    DispatchOutcome call(const Session &session, const QVariantMap &message, Database &db) const;

    const MethodTable &m_table;
    int m_loginDelayMs;
};
