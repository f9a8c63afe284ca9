// "ConfSenha" of "Sup.rdmSuprimentos": the password confirmation the forms ask for
// (a manager's or a buyer's) is verified here, so that no client ever reads a hash, and
// a confirmed password is remembered by the session for the write that demands it.

#include "AccessRules.h"
#include "Codes.h"
#include "Database.h"
#include "MethodTable.h"

#include <QDateTime>
#include <QThread>

#include "ServerText.h"

#include <sodium.h>

namespace {

QVariant confSenha(CallContext &call)
{
    if (sodium_init() < 0)
        throw ServerError::failure(ServerText::message(QStringLiteral("Senha_Falha_Inicio")));
    const QString operatorCode = padOperator(call.arg(QStringLiteral("P_CDOPERADOR")).toString());
    const QByteArray password = call.arg(QStringLiteral("P_SENHA")).toString().toUtf8();

    QString hash;
    QString name;
    bool confirmed = false;
    if (call.db.operatorCredentials(operatorCode, &hash, &name) && !hash.isEmpty()) {
        const QByteArray stored = hash.toUtf8();
        confirmed = crypto_pwhash_str_verify(stored.constData(), password.constData(),
                                             static_cast<unsigned long long>(password.size())) == 0;
    }
    // An unknown or inactive operator gets the same answer as a wrong password, and every
    // refusal is slowed down so the method cannot be used to guess passwords quickly.
    if (!confirmed) {
        QThread::msleep(700);
        return false;
    }
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
