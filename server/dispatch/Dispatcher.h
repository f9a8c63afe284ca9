#pragma once

#include "LoginThrottle.h"
#include "MethodTable.h"
#include "Session.h"
#include "SessionTokens.h"

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

// How logins are guarded: the growing delay after failed passwords and the idle time
// after which a session token is refused.
struct LoginPolicy
{
    int delayMs = 1000;          // after the first failure; 0: no delay, no throttle
    int maxDelayMs = 30000;      // the delay doubles per failure up to this
    int tokenIdleMinutes = 480;
};

// Answers the messages of the wire ("login", "call", "ping", "logout") for one session.
// Every worker shares one instance; its only state is the login throttle, which is
// shared on purpose (guarded by its own lock) so that connections in parallel do not
// multiply the guessing rate.
class Dispatcher
{
public:
    explicit Dispatcher(const MethodTable &table, const LoginPolicy &policy = {});

    // Whether answering message needs a worker's database: logins, logouts and calls do;
    // pings and anything refused before login are answered on the spot.
    static bool needsDatabase(const Session &session, const QVariantMap &message);

    // For a password login: how long the connection waits (on a timer) before the login
    // may be handed to a worker; 0 when it may go now, and it is then counted in the
    // throttle until handle() decides it.  0 for every other message.
    int admitLogin(const Session &session, const QVariantMap &message);

    // db may be null only when needsDatabase() is false.
    DispatchOutcome handle(const Session &session, Database *db, const QVariantMap &message);

    static QVariantMap errorReply(const QVariant &id, const QString &code, const QString &message);

    const LoginThrottle &throttle() const { return m_throttle; }
    const SessionTokens &tokens() const { return m_tokens; }

private:
    DispatchOutcome login(const Session &session, const QVariantMap &message, Database &db);
    DispatchOutcome passwordLogin(const Session &session, const QVariantMap &message, Database &db);
    DispatchOutcome tokenLogin(const Session &session, const QVariantMap &message, Database &db) const;
    DispatchOutcome logout(const Session &session, const QVariantMap &message, Database &db) const;
    DispatchOutcome call(const Session &session, const QVariantMap &message, Database &db) const;
    // Extends the idle time of the session's token when due; a failure only is logged.
    void touchToken(Session &session, Database &db) const;

    const MethodTable &m_table;
    LoginPolicy m_policy;
    mutable LoginThrottle m_throttle;   // thread-safe; calls that check passwords count in it
    SessionTokens m_tokens;
};
