#include "Corvane.h"

#include "Consiste.h"
#include "NetConnection.h"
#include "NetError.h"
#include "SqliteFunctions.h"
#include "TADOIBQuery.h"
#include "TMessages.h"

#include <QSqlError>

#include <memory>
#include <stdexcept>

namespace Corvane {

namespace {

// How long ending the session waits for the server before leaving its token to expire.
constexpr int kLogoutTimeoutMs = 3000;

// The fixed name of the session's database connection.
const QString kConnectionName = QStringLiteral("sup-session");

// The product-tree code CDARVPROD has three levels: group (2 digits), subgroup (2) and
// product (3).  It is stored as the bare digits ("0101001") and shown as "01.01.001".
const QString kProductTreePicture = QStringLiteral("99.99.999;0; ");

struct SessionState
{
    bool open = false;
    QString operatorCode;
    QString operatorName;
    QString branch;
    QString host = QStringLiteral("127.0.0.1");
    int port = 7205;
    Lookups lookups = Lookups::Direct;
    std::unique_ptr<NetConnection> lookupConnection;
    ModuleLoader loader;
    MessageHandler messageHandler;
};

SessionState &state()
{
    static SessionState s;
    return s;
}

void openDatabase(const QString &spec)
{
    if (QSqlDatabase::contains(kConnectionName))
        QSqlDatabase::removeDatabase(kConnectionName);
    if (spec.trimmed().isEmpty())
        return; // a session without the procurement database: queries will refuse to run

    const qsizetype colon = spec.indexOf(u':');
    const QString engine = colon < 0 ? QString() : spec.left(colon).trimmed().toLower();
    const QString rest = colon < 0 ? QString() : spec.mid(colon + 1);
    QSqlDatabase db;
    if (engine == u"sqlite") {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnectionName);
        db.setDatabaseName(rest);
        // The package only reads (the server owns every write); wait while the server writes.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    } else if (engine == u"postgres") {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), kConnectionName);
        for (const QString &part : rest.split(u';', Qt::SkipEmptyParts)) {
            const QString key = part.section(u'=', 0, 0).trimmed().toLower();
            const QString value = part.section(u'=', 1);
            if (key == u"host")
                db.setHostName(value);
            else if (key == u"port")
                db.setPort(value.toInt());
            else if (key == u"dbname")
                db.setDatabaseName(value);
            else if (key == u"user")
                db.setUserName(value);
            else if (key == u"password")
                db.setPassword(value);
        }
    } else {
        throw std::runtime_error(
            TMessages::padrao().Msg(QStringLiteral("Db_Tipo_Desconhecido")).arg(spec.left(colon)).toStdString());
    }
    if (!db.open()) {
        const QString error = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(kConnectionName);
        throw std::runtime_error(TMessages::padrao().Msg(QStringLiteral("Db_N_Aberto")).arg(error).toStdString());
    }
    if (db.driverName() == u"QSQLITE")
        registerSqliteFunctions(db);
}

// The name of the logged operator: from the login reply when the connection offers it,
// else from the operator table.
QString readOperatorName(const NetConnection &connection, const QString &operatorCode)
{
    const QVariant fromLogin = connection.property("operatorName");
    if (fromLogin.isValid() && !fromLogin.toString().isEmpty())
        return fromLogin.toString();
    if (lookupMode() == Lookups::Direct && !database().isOpen())
        return {};
    try {
        TADOIBQuery query(QStringLiteral("operador_nome"));
        query.ParamByName(QStringLiteral("P_CDOPERADOR")).setAsString(operatorCode);
        query.Open();
        return query.IsEmpty() ? QString() : query.FieldByName(QStringLiteral("NMOPERADOR"))->asString().trimmed();
    } catch (const std::exception &) {
        return {};
    }
}

Lookups resolvedLookups(const LoginInfo &login)
{
    if (login.lookups != Lookups::Automatic)
        return login.lookups;
    return login.database.trimmed().isEmpty() ? Lookups::Server : Lookups::Direct;
}

} // namespace

bool parseLookups(const QString &text, Lookups *mode)
{
    const QString t = text.trimmed().toLower();
    if (t.isEmpty() || t == u"auto")
        *mode = Lookups::Automatic;
    else if (t == u"server")
        *mode = Lookups::Server;
    else if (t == u"direct")
        *mode = Lookups::Direct;
    else
        return false;
    return true;
}

QString lookupsName(Lookups mode)
{
    switch (mode) {
    case Lookups::Server:
        return QStringLiteral("server");
    case Lookups::Direct:
        return QStringLiteral("direct");
    case Lookups::Automatic:
        break;
    }
    return QStringLiteral("auto");
}

QString lookupsProblem(Lookups mode, const QString &database)
{
    if (mode == Lookups::Direct && database.trimmed().isEmpty())
        return TMessages::padrao().Msg(QStringLiteral("Db_Consulta_Direta"));
    return {};
}

void openSession(const LoginInfo &login)
{
    closeSession();
    SessionState &s = state();
    const QString operatorCode = Consiste::Ajusta(login.operatorCode, 12);
    const Lookups lookups = resolvedLookups(login);

    NetCredentials credentials;
    credentials.operatorCode = operatorCode;
    credentials.password = login.password;
    credentials.branch = login.branch;
    NetConnection::setDefaultCredentials(credentials);

    NetConnection connection;
    connection.setServerName(QStringLiteral("Sup.rdmSuprimentos"));
    connection.setHost(login.serverHost);
    connection.setPort(login.serverPort);
    connection.open(); // NetError when refused or unreachable

    s.host = login.serverHost;
    s.port = login.serverPort;
    s.operatorCode = operatorCode;
    s.branch = Consiste::Ajusta(login.branch, 4);
    // In server mode the desktop never touches the database, even when one is named.
    if (lookups == Lookups::Direct)
        openDatabase(login.database);
    s.lookups = lookups;
    s.operatorName = readOperatorName(connection, operatorCode);
    connection.close();
    s.open = true;
}

void closeSession()
{
    SessionState &s = state();
    // The session token dies with the session: revoked at the server when it can be
    // reached (else it expires there), forgotten here in any case.
    if (s.open && !NetConnection::defaultCredentials().token.isEmpty()) {
        NetConnection connection;
        connection.setServerName(QStringLiteral("Sup.rdmSuprimentos"));
        connection.setHost(s.host);
        connection.setPort(s.port);
        connection.setTimeoutMs(kLogoutTimeoutMs);
        try {
            connection.logout();
        } catch (const NetError &) {
        }
    }
    NetConnection::setDefaultCredentials(NetCredentials{});
    if (QSqlDatabase::contains(kConnectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(kConnectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(kConnectionName);
    }
    s.lookupConnection.reset();
    s.lookups = Lookups::Direct;
    s.open = false;
    s.operatorCode.clear();
    s.operatorName.clear();
    s.branch.clear();
}

bool sessionOpen() { return state().open; }
QString Operador() { return state().operatorCode; }
QString NomeOperador() { return state().operatorName; }
QString FiliProc() { return state().branch; }
QString WebURL() { return state().host; }
int WebPort() { return state().port; }

QString DBPict(int kind)
{
    return kind == 0 ? kProductTreePicture : QString();
}

QSqlDatabase database()
{
    return QSqlDatabase::database(kConnectionName, false);
}

Lookups lookupMode() { return state().lookups; }

NetConnection &lookupConnection()
{
    SessionState &s = state();
    if (!s.lookupConnection) {
        s.lookupConnection = std::make_unique<NetConnection>();
        s.lookupConnection->setServerName(QStringLiteral("Sup.rdmSuprimentos"));
        s.lookupConnection->beforeConnect = [](NetConnection &n) {
            n.setHost(WebURL());
            n.setPort(WebPort());
        };
    }
    return *s.lookupConnection;
}

void LoadBPL(const QString &module, const QVariantList &params)
{
    const ModuleLoader &loader = state().loader;
    if (!loader)
        throw std::runtime_error(TMessages::padrao().Msg(QStringLiteral("Modulo_N_Disp")).arg(module).toStdString());
    loader(module, params);
}

void setModuleLoader(ModuleLoader loader) { state().loader = std::move(loader); }
void setMsgEventForm(MessageHandler handler) { state().messageHandler = std::move(handler); }
void clearMsgEventForm() { state().messageHandler = nullptr; }
bool hasMsgEventForm() { return bool(state().messageHandler); }

void MsgEventForm(QObject *receiver, QEvent *event)
{
    // A copy: the handler may clear itself (the form deactivates) while it runs.
    const MessageHandler handler = state().messageHandler;
    if (handler)
        handler(receiver, event);
}

} // namespace Corvane
