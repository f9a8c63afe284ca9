#include "Dispatcher.h"

#include "CborCodec.h"
#include "Codes.h"
#include "Database.h"
#include "ServerLog.h"
#include "ServerError.h"
#include "ServerText.h"

#include <QElapsedTimer>

#include <sodium.h>

namespace {

const QString kOp = QStringLiteral("op");
const QString kId = QStringLiteral("id");

QVariantMap okReply(const QVariant &id)
{
    return {{kId, id}, {QStringLiteral("ok"), true}};
}

// Branch codes are stored at four characters.
constexpr int kBranchWidth = 4;

} // namespace

Dispatcher::Dispatcher(const MethodTable &table, int loginDelayMs)
    : m_table(table), m_loginDelayMs(loginDelayMs)
{
    if (sodium_init() < 0)
        qCCritical(lcServer) << "libsodium could not be initialised; every login will be refused";
}

bool Dispatcher::needsDatabase(const Session &session, const QVariantMap &message)
{
    const QString op = message.value(kOp).toString();
    if (op == QLatin1String("login"))
        return true;
    return session.loggedIn && op == QLatin1String("call");
}

QVariantMap Dispatcher::errorReply(const QVariant &id, const QString &code, const QString &message)
{
    return {{kId, id},
            {QStringLiteral("error"), QVariantMap{{QStringLiteral("code"), code}, {QStringLiteral("message"), message}}}};
}

DispatchOutcome Dispatcher::handle(const Session &session, Database *db, const QVariantMap &message) const
{
    const QString op = message.value(kOp).toString();
    const QVariant id = message.value(kId);
    if (op == QLatin1String("login"))
        return login(message, *db);

    DispatchOutcome out;
    if (!session.loggedIn) {
        out.reply = errorReply(id, QStringLiteral("auth"), ServerText::message(QStringLiteral("Login_Primeiro")));
        out.closeAfter = true;
        return out;
    }
    if (op == QLatin1String("ping")) {
        out.reply = okReply(id);
        return out;
    }
    if (op == QLatin1String("call"))
        return call(session, message, *db);
    out.reply = errorReply(id, QStringLiteral("server"),
                           ServerText::message(QStringLiteral("Pedido_Desconhecido")).arg(op));
    return out;
}

DispatchOutcome Dispatcher::login(const QVariantMap &message, Database &db) const
{
    DispatchOutcome out;
    const QVariant id = message.value(kId);
    const QString code = padOperator(message.value(QStringLiteral("operator")).toString());
    const QByteArray password = message.value(QStringLiteral("password")).toString().toUtf8();
    const QString client = message.value(QStringLiteral("client")).toString();

    QString hash;
    QString name;
    bool known = false;
    try {
        known = db.operatorCredentials(code, &hash, &name) && !hash.isEmpty();
    } catch (const std::exception &e) {
        qCWarning(lcNet) << "login of" << code.trimmed() << "failed reading the operator:" << e.what();
    }
    const QByteArray hashBytes = hash.toLatin1();
    const bool verified = known
        && crypto_pwhash_str_verify(hashBytes.constData(), password.constData(),
                                    static_cast<unsigned long long>(password.size())) == 0;
    if (!verified) {
        qCWarning(lcNet).noquote() << QStringLiteral("login refused: operator \"%1\" (%2), client \"%3\"")
                                          .arg(code.trimmed(),
                                               known ? QStringLiteral("wrong password") : QStringLiteral("unknown or inactive operator"),
                                               client);
        out.reply = errorReply(id, QStringLiteral("auth"), ServerText::message(QStringLiteral("Login_Invalido")));
        out.delayMs = m_loginDelayMs;
        out.sessionChanged = true;   // a refused login ends any earlier session
        return out;
    }

    out.sessionChanged = true;
    out.session.operatorCode = code;
    out.session.operatorName = name;
    out.session.branch = padCode(message.value(QStringLiteral("branch")).toString(), kBranchWidth);
    out.session.client = client;
    out.session.loggedIn = true;
    qCInfo(lcNet).noquote() << QStringLiteral("login: operator \"%1\" at branch \"%2\", client \"%3\"")
                                   .arg(code.trimmed(), out.session.branch, client);
    out.reply = okReply(id);
    out.reply.insert(QStringLiteral("operator"), out.session.operatorCode);
    out.reply.insert(QStringLiteral("operatorName"), out.session.operatorName);
    out.reply.insert(QStringLiteral("branch"), out.session.branch);
    return out;
}

DispatchOutcome Dispatcher::call(const Session &session, const QVariantMap &message, Database &db) const
{
    DispatchOutcome out;
    const QVariant id = message.value(kId);
    const QString object = message.value(QStringLiteral("object")).toString();
    const QString method = message.value(QStringLiteral("method")).toString();
    QElapsedTimer clock;
    clock.start();

    QString outcome = QStringLiteral("ok");
    auto refuse = [&](const QString &code, const QString &text) {
        out.reply = errorReply(id, code, text);
        outcome = code + QStringLiteral(": ") + text;
    };

    const MethodDecl *decl = m_table.find(object, method);
    const QVariant rawArgs = message.value(QStringLiteral("args"));
    if (!m_table.hasObject(object)) {
        refuse(QStringLiteral("unknown-object"),
               ServerText::message(QStringLiteral("Objeto_Desconhecido")).arg(object));
    } else if (!decl) {
        refuse(QStringLiteral("unknown-method"),
               ServerText::message(QStringLiteral("Metodo_Desconhecido")).arg(method, object));
    } else if (rawArgs.isValid() && rawArgs.typeId() != QMetaType::QVariantList) {
        refuse(QStringLiteral("arguments"), ServerText::message(QStringLiteral("Args_N_Lista")));
    } else {
        QVariantList args = rawArgs.toList();
        const QList<ArgDecl> &specs = decl->contract.args;
        QString problem = MethodTable::checkArguments(*decl, args);
        if (!problem.isEmpty()) {
            refuse(QStringLiteral("arguments"), problem);
        } else {
            for (int position = 0; position < specs.size() && position < args.size(); ++position) {
                if (specs.at(position).isOperator
                    && padOperator(args.at(position).toString()) != session.operatorCode) {
                    refuse(QStringLiteral("auth"), ServerText::message(QStringLiteral("Arg_Operador")).arg(position));
                    break;
                }
            }
        }
        if (outcome == QLatin1String("ok")) {
            MethodTable::normalizeArguments(*decl, args);
            try {
                // The method works on a copy of the session; what it records there (a
                // confirmation) is kept only when the call succeeds.
                Session callSession = session;
                CallContext context{callSession, db, decl->contract, args};
                const QVariant result = decl->fn(context);
                if (!(callSession == session)) {
                    out.sessionChanged = true;
                    out.session = callSession;
                }
                IndexMap refs;
                for (int i = 0; i < specs.size() && i < args.size(); ++i) {
                    if (specs.at(i).byRef)
                        refs.insert(i, args.at(i));
                }
                out.reply = {{kId, id}, {QStringLiteral("result"), result},
                             {QStringLiteral("refs"), QVariant::fromValue(refs)}};
            } catch (const ServerError &e) {
                refuse(e.code(), e.message());
            } catch (const std::exception &e) {
                refuse(QStringLiteral("server"), ServerText::message(QStringLiteral("Operacao_Falhou")));
                outcome += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(e.what()));
            } catch (...) {
                refuse(QStringLiteral("server"), ServerText::message(QStringLiteral("Operacao_Falhou")));
                outcome += QStringLiteral(" (unknown exception)");
            }
        }
    }

    const double ms = double(clock.nsecsElapsed()) / 1e6;
    const QString line = QStringLiteral("operator=\"%1\" object=%2 method=%3 ms=%4 outcome=%5")
                             .arg(session.operatorCode.trimmed(), object, method,
                                  QString::number(ms, 'f', 2), outcome);
    if (outcome == QLatin1String("ok"))
        qCInfo(lcCalls).noquote() << line;
    else
        qCWarning(lcCalls).noquote() << line;
    return out;
}
