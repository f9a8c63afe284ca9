#pragma once

#include <QHash>
#include <QMutex>
#include <QString>

#include <functional>

// Slows password guessing.  Failed logins are counted per operator and per client
// address, in one state shared by every connection of the server: each failure doubles
// the wait (from the base delay up to the cap) before the next attempt for that operator,
// or from that address, is checked.  Attempts for one operator are checked one at a time,
// and so are the attempts from an address that has failures, so several connections
// guess no faster than one.  A successful login clears both counts.
//
// The connection waits with a timer (admit() says how long), never a worker thread.
class LoginThrottle
{
public:
    // A base delay of 0 turns the throttle off.  now gives a steady clock in
    // milliseconds (tests pass their own).
    LoginThrottle(int baseDelayMs, int maxDelayMs, std::function<qint64()> now = {});

    // Asks to check a password for operatorCode from address.  0: checked now, and
    // exactly one of failed(), succeeded() or abandoned() must follow; else the
    // milliseconds to wait before asking again.
    int admit(const QString &operatorCode, const QString &address);
    // The admitted attempt was refused.  Returns how long to hold the refusal before
    // answering: the wait the next attempt of this operator or address has to respect.
    int failed(const QString &operatorCode, const QString &address);
    void succeeded(const QString &operatorCode, const QString &address);
    // The admitted attempt could not be decided (the database failed).
    void abandoned(const QString &operatorCode, const QString &address);

    // Failures counted since the last success (0 when none).
    int operatorFailures(const QString &operatorCode) const;
    int addressFailures(const QString &address) const;

    // How long the wait is after this many failures in a row.
    int delayAfter(int failures) const;
    // Failures of an operator or address without any attempt for this long are forgotten.
    static constexpr qint64 kForgetAfterMs = qint64(60) * 60 * 1000;
    // How often a waiting attempt asks again while another one is being checked.
    static constexpr int kRetryMs = 20;

private:
    struct Entry
    {
        int failures = 0;
        int inFlight = 0;
        qint64 next = 0;       // no attempt is checked before this time
        qint64 lastSeen = 0;
    };

    void release(const QString &key);
    void prune(qint64 now);
    static QString operatorKey(const QString &code) { return QStringLiteral("o:") + code; }
    static QString addressKey(const QString &address) { return QStringLiteral("a:") + address; }

    int m_baseDelayMs;
    int m_maxDelayMs;
    std::function<qint64()> m_now;
    mutable QMutex m_mutex;
    QHash<QString, Entry> m_entries;
};
