#pragma once

#include "NetError.h"
#include "NetTransport.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

using IndexMapRefs = QMap<qint64, QVariant>;

// One argument of a server call: a value, or a reference to a caller's variable that the
// server may change (its value after the call is written back).
class NetArg
{
public:
    NetArg(const QVariant &value) : m_value(value) {}           // NOLINT: implicit on purpose
    NetArg(const QString &value) : m_value(value) {}            // NOLINT
    NetArg(const char *value) : m_value(QString::fromUtf8(value)) {} // NOLINT
    static NetArg ref(QVariant &variable) { NetArg a(variable); a.m_target = &variable; return a; }

    const QVariant &value() const { return m_value; }
    QVariant *target() const { return m_target; }

private:
    QVariant m_value;
    QVariant *m_target = nullptr;
};

// The credentials every connection of this process logs in with; set once by the
// session when the operator logs in at the host.  The password serves the first login
// only: the server answers it with a session token, which replaces the password here
// (the password is wiped) and opens every later connection, so a lost connection is
// made again without asking the buyer, until the server's idle time passes.
struct NetCredentials
{
    QString operatorCode;
    QString password;
    QString token;                 // the session token the server issued
    QString branch;
    QString client = QStringLiteral("sup-host");
    bool useSessionToken = true;   // false: ask for no token and keep the password (sup-call)
};

// A socket connection to one named object of the application server.  Calls are
// synchronous for the caller: they wait in a local event loop that excludes user input,
// so painting (and the progress animation) goes on.  Every failure raises NetError.
struct MethodContract;

class NetConnection : public QObject
{
    Q_OBJECT

public:
    explicit NetConnection(QObject *parent = nullptr);
    ~NetConnection() override;

    QString serverName() const;                  // "Sup05200.rdmGridCotaPrec"
    void setServerName(const QString &name);
    QString host() const;
    void setHost(const QString &host);
    int port() const;
    void setPort(int port);
    bool throwException() const;                 // kept for the forms; errors always raise
    void setThrowException(bool on);
    int timeoutMs() const;                       // per call; 0 = none
    void setTimeoutMs(int ms);

    static NetCredentials defaultCredentials();
    static void setDefaultCredentials(const NetCredentials &credentials);
    void setCredentials(const NetCredentials &credentials); // overrides the default
    // Plain or TLS, and whom to trust; overrides NetTransport::defaults().
    void setTransport(const NetTransportSettings &settings);

    // Runs beforeConnect, connects and logs in, with the session token once there is
    // one.  Raises NetError ("network" when the server cannot be reached, "tls" when its
    // certificate is refused or the secure connection fails, "auth" when the login is
    // refused, also for a token the server no longer accepts).
    void open();
    void close();
    // Ends the session at the server: its token is revoked there and forgotten here, and
    // the connection closed.  Connects first when it has to.
    void logout();
    bool connected() const;

    // Calls a method of this connection's server object by name.  By-reference
    // arguments (NetArg::ref) receive the values the server sends back.
    //
    // A call finds the connection closed (the server went away since the last call):
    // it connects again first, with the session token.  The connection drops after the
    // request went out: a method the contract declares read-only is sent once more on a
    // new connection; any other raises NetError with interrupted() set and is never sent
    // again by the connection, since the server may have stored it.
    QVariant call(const QString &method, const QList<NetArg> &args = {});

    // Calls a method of the protocol contract on its own server object, with the
    // arguments by name (the contract orders them; a name it does not declare throws
    // std::invalid_argument, one not given travels as null).  The by-reference values
    // after the call are written to refs by name.  The typed clients are built on it.
    QVariant call(const MethodContract &method, const QVariantMap &args, QVariantMap *refs = nullptr);

    // Runs before each connect: the place to set host and port from the session.
    std::function<void(NetConnection &)> beforeConnect;
    // Told when a call starts (true) and ends (false), also on failure: the progress
    // animation hook.
    std::function<void(bool busy)> onBusy;

signals:
    void disconnected();

private:
    QVariant send(const QString &object, const QString &method, const QVariantList &values, IndexMapRefs *refs,
                  bool readOnly);
    // The credentials the next login uses, and keeping what the server answered to one.
    NetCredentials currentCredentials() const;
    void keepSessionToken(const NetCredentials &used, const QString &token);

    struct Private;
    std::unique_ptr<Private> d;
};
