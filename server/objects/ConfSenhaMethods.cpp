// "ConfSenha" of "Sup.rdmSuprimentos": the password confirmation the forms ask for
// (a manager's or a buyer's) is verified here, so that no client ever reads a hash, and
// a confirmed password is remembered by the session for the write that demands it.

#include "AccessRules.h"
#include "Codes.h"
#include "Database.h"
#include "LoginThrottle.h"
#include "MethodTable.h"
#include "ServerLog.h"

#include <QDateTime>

#include "ServerText.h"

#include <sodium.h>

namespace {

// A refusal outside a server's throttle (methods called directly) still waits this long.
constexpr int kRefusalDelayMs = 700;

QVariant confSenha(CallContext &call)
{
    if (sodium_init() < 0)
        throw ServerError::failure(ServerText::message(QStringLiteral("Senha_Falha_Inicio")));
    const QString operatorCode = padOperator(call.arg(QStringLiteral("P_CDOPERADOR")).toString());
    QByteArray password = call.arg(QStringLiteral("P_SENHA")).toString().toUtf8();
    const QString &address = call.session.address;

    // Wrong passwords here count with the failed logins of the same operator and address:
    // while the count says wait, the password is not even checked.
    if (call.passwords) {
        if (const int wait = call.passwords->admit(operatorCode, address); wait > 0) {
            qCWarning(lcNet).noquote() << QStringLiteral("password confirmation of operator \"%1\" by \"%2\" from %3 "
                                                         "refused unchecked: wait %4 ms after failures")
                                              .arg(operatorCode.trimmed(), call.session.operatorCode.trimmed(), address)
                                              .arg(wait);
            call.replyDelayMs = wait;
            return false;
        }
    }
    QString hash;
    QString name;
    bool confirmed = false;
    try {
        if (call.db.operatorCredentials(operatorCode, &hash, &name) && !hash.isEmpty()) {
            const QByteArray stored = hash.toUtf8();
            confirmed = crypto_pwhash_str_verify(stored.constData(), password.constData(),
                                                 static_cast<unsigned long long>(password.size())) == 0;
        }
    } catch (...) {
        if (call.passwords)
            call.passwords->abandoned(operatorCode, address);
        throw;
    }
    sodium_memzero(password.data(), size_t(password.size()));
    // An unknown or inactive operator gets the same answer as a wrong password, and every
    // refusal is slowed down (on the connection's timer, not the worker) so the method
    // cannot be used to guess passwords quickly.
    if (!confirmed) {
        call.replyDelayMs = call.passwords ? call.passwords->failed(operatorCode, address) : kRefusalDelayMs;
        if (call.replyDelayMs == 0)
            call.replyDelayMs = kRefusalDelayMs;
        qCWarning(lcNet).noquote() << QStringLiteral("password confirmation of operator \"%1\" by \"%2\" from %3 "
                                                     "refused; answered after %4 ms")
                                          .arg(operatorCode.trimmed(), call.session.operatorCode.trimmed(), address)
                                          .arg(call.replyDelayMs);
        return false;
    }
    if (call.passwords)
        call.passwords->succeeded(operatorCode, address);
    // Kept by the connection's session (the dispatcher keeps what a successful call
    // changed): a reopening asks for it there, takes it once and ignores it once expired.
    AccessRules::recordConfirmation(call.session, operatorCode, QDateTime::currentDateTimeUtc());
    return true;
}

} // namespace

void registerConfSenhaMethods(MethodTable &table)
{
    table.implement(kSuprimentosObject, QStringLiteral("ConfSenha"), confSenha);
}
