// The client side of the wire: NetConnection against a real server.

#include "NetConnection.h"
#include "ProtocolContract.h"
#include "TestServer.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QtTest>

#include <atomic>

namespace {

std::atomic<int> s_tallies{0};

// A TCP relay between the client and the server that the test can cut, as a network
// failure does: the server goes on (and finishes what it was doing), the client sees its
// connection drop.
class Relay : public QObject
{
public:
    explicit Relay(quint16 serverPort) : m_serverPort(serverPort)
    {
        m_listener.listen(QHostAddress::LocalHost);
        connect(&m_listener, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = m_listener.nextPendingConnection()) {
                auto *server = new QTcpSocket(client);
                server->connectToHost(QHostAddress::LocalHost, m_serverPort);
                connect(client, &QTcpSocket::readyRead, server, [client, server] {
                    if (server->state() != QAbstractSocket::ConnectedState)
                        server->waitForConnected(2000);
                    server->write(client->readAll());
                });
                connect(server, &QTcpSocket::readyRead, client, [client, server] { client->write(server->readAll()); });
                connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::abort);
                m_clients << client;
            }
        });
    }
    quint16 port() const { return m_listener.serverPort(); }
    // Drops every relayed connection.
    void cut()
    {
        for (QTcpSocket *client : std::as_const(m_clients)) {
            if (client)
                client->abort();
        }
    }

private:
    quint16 m_serverPort;
    QTcpServer m_listener;
    QList<QPointer<QTcpSocket>> m_clients;
};

} // namespace

class tst_NetConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void callWritesReferencesBack();
    void contractCallSendsByNameOnItsOwnObject();
    void errorReplyRaisesAndConnectionStaysUsable();
    void callOnClosedConnectionOpensIt();
    void loginRefused();
    void unreachableServer();
    void serverGoneMidCall();
    void passwordGivesWayToTheSessionToken();
    void logoutEndsTheToken();
    void droppedWriteIsToldAndNotSentAgain();
    void droppedReadIsAskedAgainOnceOnANewConnection();

private:
    void configure(NetConnection &connection, quint16 port) const;
    TestServer m_server;
    QList<bool> m_busy;
};

void tst_NetConnection::initTestCase()
{
    // Counts its calls after a pause, so that a test can cut the connection meanwhile.
    MethodContract tally;
    tally.object = QString::fromLatin1(TestServer::kObject);
    tally.name = QStringLiteral("Tally");
    tally.args = {{QStringLiteral("P_MS"), ArgType::Integer}};
    m_server.table().add(tally, [](CallContext &c) {
        QThread::msleep(c.args.at(0).toULongLong());
        return QVariant(++s_tallies);
    });
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    NetCredentials credentials;
    credentials.operatorCode = QString::fromLatin1(TestServer::kOperator);
    credentials.password = QString::fromLatin1(TestServer::kPassword);
    credentials.branch = QStringLiteral("1");
    credentials.client = QStringLiteral("tst_netconnection");
    NetConnection::setDefaultCredentials(credentials);
}

void tst_NetConnection::cleanupTestCase()
{
    m_server.stop();
}

void tst_NetConnection::configure(NetConnection &connection, quint16 port) const
{
    connection.setServerName(QString::fromLatin1(TestServer::kObject));
    // The host and port come from the hook, as the workspace sets them.
    connection.beforeConnect = [port](NetConnection &c) {
        c.setHost(QStringLiteral("127.0.0.1"));
        c.setPort(port);
    };
    connection.onBusy = [this](bool busy) { const_cast<tst_NetConnection *>(this)->m_busy.append(busy); };
}

void tst_NetConnection::callWritesReferencesBack()
{
    NetConnection connection;
    configure(connection, m_server.port());
    m_busy.clear();
    QVariant a = QStringLiteral("primeiro");
    QVariant b = QStringLiteral("segundo");
    QVariant n = 5;
    const QVariant result = connection.call(QStringLiteral("Swap"), {NetArg::ref(a), NetArg::ref(b), NetArg::ref(n)});
    QCOMPARE(result.toString(), QStringLiteral("trocado"));
    QCOMPARE(a.toString(), QStringLiteral("segundo"));
    QCOMPARE(b.toString(), QStringLiteral("primeiro"));
    QCOMPARE(n.toInt(), 5);   // declared by value on the server: unchanged
    QVERIFY(connection.connected());
    QCOMPARE(m_busy, (QList<bool>{true, false}));
}

// A call through a contract goes to the contract's object whatever the connection's
// server name, orders the arguments by the contract, sends the ones not given as null and
// gives back only the by-reference values, by name.
void tst_NetConnection::contractCallSendsByNameOnItsOwnObject()
{
    NetConnection connection;
    configure(connection, m_server.port());
    connection.setServerName(QStringLiteral("Sup.rdmSuprimentos"));
    MethodContract swap;
    swap.object = QString::fromLatin1(TestServer::kObject);
    swap.name = QStringLiteral("Swap");
    swap.args = {{QStringLiteral("P_A"), ArgType::String, {}, true},
                 {QStringLiteral("P_B"), ArgType::String, {}, true},
                 {QStringLiteral("P_N"), ArgType::Integer}};
    QVariantMap refs;
    const QVariant result = connection.call(
        swap, {{QStringLiteral("P_N"), 5}, {QStringLiteral("P_A"), QStringLiteral("primeiro")}}, &refs);
    QCOMPARE(result.toString(), QStringLiteral("trocado"));
    QCOMPARE(refs.value(QStringLiteral("P_A")), QVariant());
    QCOMPARE(refs.value(QStringLiteral("P_B")).toString(), QStringLiteral("primeiro"));
    QVERIFY(!refs.contains(QStringLiteral("P_N")));

    MethodContract echo = swap;
    echo.name = QStringLiteral("Echo");
    echo.args = {{QStringLiteral("P_VALOR")}};
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, connection.call(echo, {{QStringLiteral("P_OUTRO"), 1}}));
}

void tst_NetConnection::errorReplyRaisesAndConnectionStaysUsable()
{
    NetConnection connection;
    configure(connection, m_server.port());
    m_busy.clear();
    try {
        connection.call(QStringLiteral("Typed"), {QStringLiteral("0001")});
        QFAIL("no NetError");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("arguments"));
        QVERIFY(!e.message().isEmpty());
    }
    QCOMPARE(m_busy, (QList<bool>{true, false}));
    QVERIFY(connection.connected());
    QCOMPARE(connection.call(QStringLiteral("Echo"), {QVariant(42)}).toInt(), 42);
    try {
        connection.call(QStringLiteral("Fail"), {QStringLiteral("conflict")});
        QFAIL("no NetError");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("conflict"));
        QCOMPARE(e.message(), QStringLiteral("falhou: conflict"));
    }
}

void tst_NetConnection::callOnClosedConnectionOpensIt()
{
    NetConnection connection;
    configure(connection, m_server.port());
    QVERIFY(!connection.connected());
    QCOMPARE(connection.call(QStringLiteral("Echo"), {QStringLiteral("x")}).toString(), QStringLiteral("x"));
    QSignalSpy closed(&connection, &NetConnection::disconnected);
    connection.close();
    QVERIFY(!connection.connected());
    QCOMPARE(closed.count(), 1);
    QCOMPARE(connection.call(QStringLiteral("Echo"), {QStringLiteral("y")}).toString(), QStringLiteral("y"));
}

void tst_NetConnection::loginRefused()
{
    NetConnection connection;
    configure(connection, m_server.port());
    NetCredentials wrong = NetConnection::defaultCredentials();
    wrong.token.clear();
    wrong.password = QStringLiteral("errada");
    connection.setCredentials(wrong);
    m_busy.clear();
    try {
        connection.call(QStringLiteral("Echo"), {QVariant(1)});
        QFAIL("no NetError");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("auth"));
        // The server's refusal reaches the buyer as it was sent.
        QCOMPARE(e.message(), QStringLiteral("Operador ou senha inválidos."));
    }
    QCOMPARE(m_busy, (QList<bool>{true, false}));
    QVERIFY(!connection.connected());
}

void tst_NetConnection::unreachableServer()
{
    // A port that was just free: nobody listens on it.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();

    NetConnection connection;
    configure(connection, port);
    m_busy.clear();
    try {
        connection.open();
        QFAIL("no NetError");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("network"));
        // Where the server was looked for and why it failed, in the buyer's words.
        QCOMPARE(e.message(), QStringLiteral("O servidor de aplicação em 127.0.0.1:%1 não pode ser acessado: "
                                             "a conexão foi recusada.").arg(port));
    }
    try {
        connection.call(QStringLiteral("Echo"), {QVariant(1)});
        QFAIL("no NetError");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("network"));
    }
    QCOMPARE(m_busy, (QList<bool>{true, false}));
}

void tst_NetConnection::serverGoneMidCall()
{
    TestServer doomed;
    QString error;
    QVERIFY2(doomed.start(&error), qPrintable(error));
    NetConnection connection;
    configure(connection, doomed.port());
    // The session's token belongs to the other server's database: log in here with the
    // password.
    NetCredentials own;
    own.operatorCode = QString::fromLatin1(TestServer::kOperator);
    own.password = QString::fromLatin1(TestServer::kPassword);
    own.branch = QStringLiteral("1");
    connection.setCredentials(own);
    connection.open();
    QSignalSpy dropped(&connection, &NetConnection::disconnected);

    // While the call waits, the server drops every connection.
    QTimer::singleShot(200, [&doomed] { doomed.stopLater(); });
    QElapsedTimer clock;
    clock.start();
    m_busy.clear();
    try {
        connection.call(QStringLiteral("Sleep"), {QVariant(3000)});
        QFAIL("no NetError");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("network"));
        // Sleep may write, for all the connection knows: the buyer is told the store is
        // in doubt.
        QVERIFY(e.interrupted());
        QCOMPARE(e.message(), QStringLiteral("A conexão com o servidor de aplicação foi perdida durante Sleep; "
                                             "não se sabe se o servidor concluiu a gravação."));
    }
    QVERIFY2(clock.elapsed() < 2500, "the call waited for the answer of a dead connection");
    QCOMPARE(m_busy, (QList<bool>{true, false}));
    QVERIFY(!connection.connected());
    QCOMPARE(dropped.count(), 1);
}

// After the first login the process keeps the session token and no password; every
// later connection logs in with the token.
void tst_NetConnection::passwordGivesWayToTheSessionToken()
{
    NetConnection first;
    configure(first, m_server.port());
    first.open();
    const NetCredentials kept = NetConnection::defaultCredentials();
    QVERIFY(kept.password.isEmpty());
    QVERIFY(!kept.token.isEmpty());

    NetConnection second;
    configure(second, m_server.port());
    QCOMPARE(second.call(QStringLiteral("Operator"), {QString::fromLatin1(TestServer::kOperator)}).toString(),
             QStringLiteral("comprador1  "));
    QCOMPARE(NetConnection::defaultCredentials().token, kept.token);
}

void tst_NetConnection::logoutEndsTheToken()
{
    NetCredentials own;
    own.operatorCode = QString::fromLatin1(TestServer::kOtherOperator);
    own.password = QString::fromLatin1(TestServer::kPassword);
    own.branch = QStringLiteral("1");
    NetConnection connection;
    configure(connection, m_server.port());
    connection.setCredentials(own);
    connection.open();
    connection.close();
    // Opened again with the token alone: the password went at the first login.
    QCOMPARE(connection.call(QStringLiteral("Echo"), {QVariant(3)}).toInt(), 3);

    connection.logout();
    QVERIFY(!connection.connected());
    // Neither token nor password is left to log in with.
    try {
        connection.open();
        QFAIL("opened without token or password");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("auth"));
        QCOMPARE(e.message(), QStringLiteral("Operador ou senha inválidos."));
    }
}

void tst_NetConnection::droppedWriteIsToldAndNotSentAgain()
{
    Relay relay(m_server.port());
    NetConnection connection;
    configure(connection, relay.port());
    connection.open();
    const int before = s_tallies;
    QTimer::singleShot(150, &relay, [&relay] { relay.cut(); });
    try {
        connection.call(QStringLiteral("Tally"), {QVariant(500)});
        QFAIL("no NetError");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("network"));
        QVERIFY(e.interrupted());
        QCOMPARE(e.message(), QStringLiteral("A conexão com o servidor de aplicação foi perdida durante Tally; "
                                             "não se sabe se o servidor concluiu a gravação."));
    }
    // The server did it once, and the client did not ask again.
    QTRY_COMPARE(s_tallies.load(), before + 1);
    QTest::qWait(700);
    QCOMPARE(s_tallies.load(), before + 1);
    // The next call connects again with the session token.
    QCOMPARE(connection.call(QStringLiteral("Tally"), {QVariant(0)}).toInt(), before + 2);
}

void tst_NetConnection::droppedReadIsAskedAgainOnceOnANewConnection()
{
    Relay relay(m_server.port());
    NetConnection connection;
    configure(connection, relay.port());
    connection.open();
    MethodContract read;
    read.object = QString::fromLatin1(TestServer::kObject);
    read.name = QStringLiteral("Tally");
    read.args = {{QStringLiteral("P_MS"), ArgType::Integer}};
    read.readOnly = true;
    const int before = s_tallies;
    QTimer::singleShot(150, &relay, [&relay] { relay.cut(); });
    m_busy.clear();
    QCOMPARE(connection.call(read, {{QStringLiteral("P_MS"), 500}}).toInt(), before + 2);
    QCOMPARE(m_busy, (QList<bool>{true, false}));   // one call for the form
    QVERIFY(connection.connected());

    // Dropped again on the second try: the buyer is told.
    QTimer::singleShot(150, &relay, [&relay] { relay.cut(); });
    QTimer::singleShot(900, &relay, [&relay] { relay.cut(); });
    try {
        connection.call(read, {{QStringLiteral("P_MS"), 1000}});
        QFAIL("no NetError");
    } catch (const NetError &e) {
        QVERIFY(e.interrupted());
        QCOMPARE(e.message(), QStringLiteral("A conexão com o servidor de aplicação foi perdida durante Tally."));
    }
}

QTEST_GUILESS_MAIN(tst_NetConnection)
#include "tst_netconnection.moc"
