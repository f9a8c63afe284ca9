#pragma once

#include <QDateTime>
#include <QString>

class Database;
struct Session;

// The session tokens a password login issues.  A token is 32 random bytes (text:
// base64url); the database keeps only its hash, so that every server on the database
// accepts it and a copy of the table gives nobody a way in.  A token is accepted until
// it has gone unused for the idle time; use by calls extends it (written at most every
// touchIntervalSeconds, not at every call).
class SessionTokens
{
public:
    explicit SessionTokens(int idleMinutes);

    int idleMinutes() const { return m_idleMinutes; }
    // How long a session's token goes without its last use being written again.
    int touchIntervalSeconds() const;

    // A new token for the logged session, stored; expired tokens are deleted on the way.
    // Returns the token text and sets session.tokenHash and tokenTouched.
    QString issue(Database &db, Session &session) const;

    // The session a token opens: false when it is unknown, expired, revoked or its
    // operator is inactive.  Marks the token used.
    bool redeem(Database &db, const QString &token, Session &session) const;

    // Writes the session's token as used now, when touchIntervalSeconds have passed since
    // the last time.  True when it wrote.
    bool touchIfDue(Database &db, Session &session) const;

    // Deletes the session's token: it opens no session any more.
    void revoke(Database &db, const Session &session) const;

    static QString hashOf(const QString &token);

private:
    QDateTime idleLimit(const QDateTime &now) const;

    int m_idleMinutes;
};
