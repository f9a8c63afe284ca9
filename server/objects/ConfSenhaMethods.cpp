// "ConfSenha" of "Sup.rdmSuprimentos": the password confirmation the forms ask for
// (a manager's or a buyer's) is verified here, so that no client ever reads a hash.

#include "Codes.h"
#include "Database.h"
#include "MethodTable.h"

#include <QThread>

#include <sodium.h>

namespace {

QVariant confSenha(CallContext &call)
{
    if (sodium_init() < 0)
        throw ServerError::failure(QStringLiteral("Falha ao iniciar a verificação de senha."));
    const QString operatorCode = padOperator(call.args.at(0).toString());
    const QByteArray password = call.args.at(1).toString().toUtf8();

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
    if (!confirmed)
        QThread::msleep(700);
    return confirmed;
}

} // namespace

void registerConfSenhaMethods(MethodTable &table)
{
    table.add(MethodDecl{
        kSuprimentosObject,
        QStringLiteral("ConfSenha"),
        {ArgSpec{QStringLiteral("P_CDOPERADOR"), ArgType::String, false, false},
         ArgSpec{QStringLiteral("P_SENHA"), ArgType::String, false, false}},
        confSenha,
        {},
    });
}
