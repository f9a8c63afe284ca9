#include "SessionTokens.h"

#include "Database.h"
#include "Session.h"

#include <sodium.h>

namespace {

constexpr int kTokenBytes = 32;

QDateTime nowUtc()
{
    // Whole seconds: the engines store date-times to the second.
    QDateTime now = QDateTime::currentDateTimeUtc();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return now;
}

} // namespace

SessionTokens::SessionTokens(int idleMinutes)
    : m_idleMinutes(qMax(1, idleMinutes))
{
}

int SessionTokens::touchIntervalSeconds() const
{
    // A sixteenth of the idle time, between one and fifteen minutes.
    return qBound(60, m_idleMinutes * 60 / 16, 15 * 60);
}

QDateTime SessionTokens::idleLimit(const QDateTime &now) const
{
    return now.addSecs(-qint64(m_idleMinutes) * 60);
}

QString SessionTokens::hashOf(const QString &token)
{
    const QByteArray text = token.toUtf8();
    unsigned char hash[crypto_generichash_BYTES];
    crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char *>(text.constData()),
                       static_cast<unsigned long long>(text.size()), nullptr, 0);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(hash), sizeof hash).toHex());
}

QString SessionTokens::issue(Database &db, Session &session) const
{
    unsigned char bytes[kTokenBytes];
    randombytes_buf(bytes, sizeof bytes);
    char text[sodium_base64_ENCODED_LEN(kTokenBytes, sodium_base64_VARIANT_URLSAFE_NO_PADDING)];
    sodium_bin2base64(text, sizeof text, bytes, sizeof bytes, sodium_base64_VARIANT_URLSAFE_NO_PADDING);
    sodium_memzero(bytes, sizeof bytes);
    const QString token = QString::fromLatin1(text);
    sodium_memzero(text, sizeof text);

    const QDateTime now = nowUtc();
    const QString hash = hashOf(token);
    db.transaction([&] {
        db.execNamed(QStringLiteral("SessionTokenPurge"), {{QStringLiteral("P_LIMITE"), db.bindValue(idleLimit(now))}});
        db.execNamed(QStringLiteral("SessionTokenInsert"),
                {{QStringLiteral("P_DSHASHTOKEN"), hash},
                 {QStringLiteral("P_CDOPERADOR"), session.operatorCode},
                 {QStringLiteral("P_CDFILIAL"), session.branch},
                 {QStringLiteral("P_DSCLIENTE"), session.client.left(80)},
                 {QStringLiteral("P_AGORA"), db.bindValue(now)}});
    });
    session.tokenHash = hash;
    session.tokenTouched = now;
    return token;
}

bool SessionTokens::redeem(Database &db, const QString &token, Session &session) const
{
    if (token.isEmpty() || token.size() > 200)
        return false;
    const QDateTime now = nowUtc();
    const QString hash = hashOf(token);
    bool found = false;
    db.readNamed(QStringLiteral("SessionTokenFind"),
                 {{QStringLiteral("P_DSHASHTOKEN"), hash}, {QStringLiteral("P_LIMITE"), db.bindValue(idleLimit(now))}},
                 [&](QSqlQuery &q) {
                     if (!q.next())
                         return;
                     found = true;
                     session.operatorCode = q.value(0).toString();
                     session.branch = q.value(1).toString();
                     session.operatorName = q.value(2).toString().trimmed();
                 });
    if (!found)
        return false;
    db.runNamed(QStringLiteral("SessionTokenTouch"),
            {{QStringLiteral("P_DSHASHTOKEN"), hash}, {QStringLiteral("P_AGORA"), db.bindValue(now)}});
    session.tokenHash = hash;
    session.tokenTouched = now;
    return true;
}

bool SessionTokens::touchIfDue(Database &db, Session &session) const
{
    if (session.tokenHash.isEmpty())
        return false;
    const QDateTime now = nowUtc();
    if (session.tokenTouched.isValid() && session.tokenTouched.secsTo(now) < touchIntervalSeconds())
        return false;
    db.runNamed(QStringLiteral("SessionTokenTouch"),
            {{QStringLiteral("P_DSHASHTOKEN"), session.tokenHash}, {QStringLiteral("P_AGORA"), db.bindValue(now)}});
    session.tokenTouched = now;
    return true;
}

void SessionTokens::revoke(Database &db, const Session &session) const
{
    if (session.tokenHash.isEmpty())
        return;
    db.execNamed(QStringLiteral("SessionTokenRevoke"), {{QStringLiteral("P_DSHASHTOKEN"), session.tokenHash}});
}
