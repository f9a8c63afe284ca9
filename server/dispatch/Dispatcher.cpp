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

// A login that presents a session token instead of a password.
bool isTokenLogin(const QVariantMap &message)
{
    return !message.value(QStringLiteral("token")).toString().isEmpty();
}

} // namespace

Dispatcher::Dispatcher(const MethodTable &table, const LoginPolicy &policy)
    : m_table(table)
    , m_policy(policy)
    , m_throttle(policy.delayMs, policy.maxDelayMs)
    , m_tokens(policy.tokenIdleMinutes)
{
    if (sodium_init() < 0)
        qCCritical(lcServer) << "libsodium could not be initialised; every login will be refused";
}

bool Dispatcher::needsDatabase(const Session &session, const QVariantMap &message)
{
    const QString op = message.value(kOp).toString();
    if (op == QLatin1String("login"))
        return true;
    return session.loggedIn && (op == QLatin1String("call") || op == QLatin1String("logout"));
}

int Dispatcher::admitLogin(const Session &session, const QVariantMap &message)
{
    if (message.value(kOp).toString() != QLatin1String("login") || isTokenLogin(message))
        return 0;
    return m_throttle.admit(padOperator(message.value(QStringLiteral("operator")).toString()), session.address);
}

QVariantMap Dispatcher::errorReply(const QVariant &id, const QString &code, const QString &message)
{
    return {{kId, id},
            {QStringLiteral("error"), QVariantMap{{QStringLiteral("code"), code}, {QStringLiteral("message"), message}}}};
}

DispatchOutcome Dispatcher::handle(const Session &session, Database *db, const QVariantMap &message)
{
    const QString op = message.value(kOp).toString();
    const QVariant id = message.value(kId);
    if (op == QLatin1String("login"))
        return login(session, message, *db);

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
    if (op == QLatin1String("logout"))
        return logout(session, message, *db);
    out.reply = errorReply(id, QStringLiteral("server"),
                           ServerText::message(QStringLiteral("Pedido_Desconhecido")).arg(op));
    return out;
}

DispatchOutcome Dispatcher::login(const Session &session, const QVariantMap &message, Database &db)
{
    DispatchOutcome out = isTokenLogin(message) ? tokenLogin(session, message, db) : passwordLogin(session, message, db);
    // The connection's address outlives every session it holds.
    out.session.address = session.address;
    if (!out.session.loggedIn)
        return out;
    const QVariant token = out.reply.value(QStringLiteral("token"));
    out.reply = okReply(message.value(kId));
    if (token.isValid())
        out.reply.insert(QStringLiteral("token"), token);
    out.reply.insert(QStringLiteral("operator"), out.session.operatorCode);
    out.reply.insert(QStringLiteral("operatorName"), out.session.operatorName);
    out.reply.insert(QStringLiteral("branch"), out.session.branch);
    return out;
}

DispatchOutcome Dispatcher::passwordLogin(const Session &session, const QVariantMap &message, Database &db)
{
    DispatchOutcome out;
    const QVariant id = message.value(kId);
    const QString code = padOperator(message.value(QStringLiteral("operator")).toString());
    QByteArray password = message.value(QStringLiteral("password")).toString().toUtf8();
    const QString client = message.value(QStringLiteral("client")).toString();

    QString hash;
    QString name;
    bool known = false;
    try {
        known = db.operatorCredentials(code, &hash, &name) && !hash.isEmpty();
    } catch (const std::exception &e) {
        qCWarning(lcNet) << "login of" << code.trimmed() << "failed reading the operator:" << e.what();
        m_throttle.abandoned(code, session.address);
        out.reply = errorReply(id, QStringLiteral("server"), ServerText::message(QStringLiteral("Operacao_Falhou")));
        out.sessionChanged = true;
        return out;
    }
    const QByteArray hashBytes = hash.toLatin1();
    const bool verified = known
        && crypto_pwhash_str_verify(hashBytes.constData(), password.constData(),
                                    static_cast<unsigned long long>(password.size())) == 0;
    sodium_memzero(password.data(), size_t(password.size()));
    if (!verified) {
        const int delay = m_throttle.failed(code, session.address);
        qCWarning(lcNet).noquote() << QStringLiteral("login refused: operator \"%1\" (%2), client \"%3\" from %4; "
                                                     "%5 failure(s) for the operator, %6 from the address; "
                                                     "answered and next attempt after %7 ms")
                                          .arg(code.trimmed(),
                                               known ? QStringLiteral("wrong password") : QStringLiteral("unknown or inactive operator"),
                                               client, session.address)
                                          .arg(m_throttle.operatorFailures(code))
                                          .arg(m_throttle.addressFailures(session.address))
                                          .arg(delay);
        out.reply = errorReply(id, QStringLiteral("auth"), ServerText::message(QStringLiteral("Login_Invalido")));
        out.delayMs = delay > 0 ? delay : m_policy.delayMs;
        out.sessionChanged = true;   // a refused login ends any earlier session
        return out;
    }
    m_throttle.succeeded(code, session.address);

    out.sessionChanged = true;
    out.session.operatorCode = code;
    out.session.operatorName = name;
    out.session.branch = padCode(message.value(QStringLiteral("branch")).toString(), kBranchWidth);
    out.session.client = client;
    out.session.loggedIn = true;
    QString token;
    if (message.value(QStringLiteral("issueToken")).toBool()) {
        try {
            token = m_tokens.issue(db, out.session);
        } catch (const std::exception &e) {
            // The login stands; the client only cannot reconnect without its password.
            qCWarning(lcNet) << "no session token for" << code.trimmed() << ":" << e.what();
        }
    }
    qCInfo(lcNet).noquote() << QStringLiteral("login: operator \"%1\" at branch \"%2\", client \"%3\" from %4%5")
                                   .arg(code.trimmed(), out.session.branch, client, session.address,
                                        token.isEmpty() ? QString() : QStringLiteral(", session token issued"));
    if (!token.isEmpty())
        out.reply.insert(QStringLiteral("token"), token);
    return out;
}

DispatchOutcome Dispatcher::tokenLogin(const Session &session, const QVariantMap &message, Database &db) const
{
    DispatchOutcome out;
    out.sessionChanged = true;   // refused or not, any earlier session ends
    const QString token = message.value(QStringLiteral("token")).toString();
    const QString client = message.value(QStringLiteral("client")).toString();
    const QString claimed = message.value(QStringLiteral("operator")).toString();
    Session opened;
    bool accepted = false;
    try {
        accepted = m_tokens.redeem(db, token, opened)
            && (claimed.trimmed().isEmpty() || padOperator(claimed) == opened.operatorCode);
    } catch (const std::exception &e) {
        qCWarning(lcNet) << "login by session token failed reading the token:" << e.what();
    }
    if (!accepted) {
        qCWarning(lcNet).noquote() << QStringLiteral("login refused: session token of operator \"%1\" unknown, expired "
                                                     "or revoked, client \"%2\" from %3")
                                          .arg(claimed.trimmed(), client, session.address);
        out.reply = errorReply(message.value(kId), QStringLiteral("auth"),
                               ServerText::message(QStringLiteral("Login_Token_Invalido")));
        out.delayMs = m_policy.delayMs;
        return out;
    }
    opened.client = client;
    opened.loggedIn = true;
    out.session = opened;
    qCInfo(lcNet).noquote() << QStringLiteral("login: operator \"%1\" at branch \"%2\", client \"%3\" from %4, "
                                              "by session token")
                                   .arg(opened.operatorCode.trimmed(), opened.branch, client, session.address);
    out.reply.insert(QStringLiteral("token"), token);
    return out;
}

DispatchOutcome Dispatcher::logout(const Session &session, const QVariantMap &message, Database &db) const
{
    DispatchOutcome out;
    try {
        m_tokens.revoke(db, session);
    } catch (const std::exception &e) {
        out.reply = errorReply(message.value(kId), QStringLiteral("server"),
                               ServerText::message(QStringLiteral("Operacao_Falhou")));
        qCWarning(lcNet) << "logout of" << session.operatorCode.trimmed() << "could not revoke its token:" << e.what();
        return out;
    }
    qCInfo(lcNet).noquote() << QStringLiteral("logout: operator \"%1\" from %2%3")
                                   .arg(session.operatorCode.trimmed(), session.address,
                                        session.tokenHash.isEmpty() ? QString() : QStringLiteral(", session token revoked"));
    out.sessionChanged = true;
    out.session.address = session.address;
    out.reply = okReply(message.value(kId));
    return out;
}

void Dispatcher::touchToken(Session &session, Database &db) const
{
    try {
        m_tokens.touchIfDue(db, session);
    } catch (const std::exception &e) {
        qCWarning(lcNet) << "the session token of" << session.operatorCode.trimmed() << "could not be marked used:" << e.what();
    }
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
                touchToken(callSession, db);
                CallContext context{callSession, db, decl->contract, args, &m_throttle};
                const QVariant result = decl->fn(context);
                out.delayMs = context.replyDelayMs;
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
