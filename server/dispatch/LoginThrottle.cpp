#include "LoginThrottle.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

// Past this many entries, the ones not seen for a while are dropped at the next failure:
// logins under names that do not exist must not grow the table without end.
constexpr qsizetype kPruneAbove = 4096;

qint64 steadyNowMs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

} // namespace

LoginThrottle::LoginThrottle(int baseDelayMs, int maxDelayMs, std::function<qint64()> now)
    : m_baseDelayMs(qMax(0, baseDelayMs))
    , m_maxDelayMs(qMax(m_baseDelayMs, maxDelayMs))
    , m_now(now ? std::move(now) : std::function<qint64()>(steadyNowMs))
{
}

int LoginThrottle::delayAfter(int failures) const
{
    if (failures <= 0 || m_baseDelayMs == 0)
        return 0;
    qint64 delay = m_baseDelayMs;
    for (int i = 1; i < failures && delay < m_maxDelayMs; ++i)
        delay *= 2;
    return int(std::min<qint64>(delay, m_maxDelayMs));
}

int LoginThrottle::admit(const QString &operatorCode, const QString &address)
{
    if (m_baseDelayMs == 0)
        return 0;
    QMutexLocker lock(&m_mutex);
    const qint64 now = m_now();
    qint64 wait = 0;
    auto mustWait = [&](const QString &key, bool singleFileAlways) {
        const auto it = m_entries.constFind(key);
        if (it == m_entries.constEnd())
            return;
        if (it->next > now)
            wait = std::max(wait, it->next - now);
        if (it->inFlight > 0 && (singleFileAlways || it->failures > 0))
            wait = std::max<qint64>(wait, kRetryMs);
    };
    // One operator's passwords are always checked one at a time; an address only once it
    // has failures (many buyers of one office log in at once).
    mustWait(operatorKey(operatorCode), true);
    mustWait(addressKey(address), false);
    if (wait > 0)
        return int(std::min<qint64>(wait, m_maxDelayMs));
    for (const QString &key : {operatorKey(operatorCode), addressKey(address)}) {
        Entry &e = m_entries[key];
        // Failures long past are forgotten: the count starts again.
        if (e.inFlight == 0 && e.lastSeen > 0 && now - e.lastSeen > kForgetAfterMs)
            e = Entry{};
        ++e.inFlight;
        e.lastSeen = now;
    }
    return 0;
}

int LoginThrottle::failed(const QString &operatorCode, const QString &address)
{
    if (m_baseDelayMs == 0)
        return 0;
    QMutexLocker lock(&m_mutex);
    const qint64 now = m_now();
    int delay = 0;
    for (const QString &key : {operatorKey(operatorCode), addressKey(address)}) {
        Entry &e = m_entries[key];
        e.inFlight = qMax(0, e.inFlight - 1);
        ++e.failures;
        e.lastSeen = now;
        const int own = delayAfter(e.failures);
        e.next = std::max(e.next, now + own);
        delay = std::max(delay, int(e.next - now));
    }
    if (m_entries.size() > kPruneAbove)
        prune(now);
    return delay;
}

void LoginThrottle::succeeded(const QString &operatorCode, const QString &address)
{
    if (m_baseDelayMs == 0)
        return;
    QMutexLocker lock(&m_mutex);
    for (const QString &key : {operatorKey(operatorCode), addressKey(address)}) {
        auto it = m_entries.find(key);
        if (it == m_entries.end())
            continue;
        it->failures = 0;
        it->next = 0;
        it->inFlight = qMax(0, it->inFlight - 1);
        if (it->inFlight == 0)
            m_entries.erase(it);
    }
}

void LoginThrottle::abandoned(const QString &operatorCode, const QString &address)
{
    if (m_baseDelayMs == 0)
        return;
    QMutexLocker lock(&m_mutex);
    release(operatorKey(operatorCode));
    release(addressKey(address));
}

void LoginThrottle::release(const QString &key)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        return;
    it->inFlight = qMax(0, it->inFlight - 1);
    if (it->inFlight == 0 && it->failures == 0)
        m_entries.erase(it);
}

void LoginThrottle::prune(qint64 now)
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->inFlight == 0 && now - it->lastSeen > kForgetAfterMs && it->next <= now)
            it = m_entries.erase(it);
        else
            ++it;
    }
}

int LoginThrottle::operatorFailures(const QString &operatorCode) const
{
    QMutexLocker lock(&m_mutex);
    return m_entries.value(operatorKey(operatorCode)).failures;
}

int LoginThrottle::addressFailures(const QString &address) const
{
    QMutexLocker lock(&m_mutex);
    return m_entries.value(addressKey(address)).failures;
}
