// Logging in through the wire with a session token and being slowed after wrong
// passwords: the token a password login asks for (stored only hashed), accepted by
// another server on the same database, refused once idle too long, logged out or its
// operator inactive; and wrong passwords sent over several connections at once answered
// no sooner than one after another.
#include "Database.h"
#include "Session.h"
#include "SessionTokens.h"
#include "TestServer.h"
#include "WireClient.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {

const QString kOperatorPadded = QStringLiteral("comprador1  ");
const QString kTokenRefused = QStringLiteral("A sessão expirou ou foi encerrada; identifique-se novamente.");

QString errorCode(const QVariantMap &reply)
{
    return reply.value(QStringLiteral("error")).toMap().value(QStringLiteral("code")).toString();
}

QString errorMessage(const QVariantMap &reply)
{
    return reply.value(QStringLiteral("error")).toMap().value(QStringLiteral("message")).toString();
}

} // namespace

class tst_SessionLogin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void tokenOnlyWhenAskedAndStoredHashed();
    void tokenOpensTheSessionAgainOnAnotherServer();
    void tokenRefused_data();
    void tokenRefused();
    void usedTokenIsKeptAlive();
    void wrongPasswordsInParallelAreAnsweredNoSoonerThanInSequence();

private:
    // Logs in with the password and a token; the token, empty on failure.
    QString loginForToken(WireClient &client);
    QVariantMap tokenLogin(WireClient &client, const QString &token, const QString &op = {});
    QVariant scalar(const QString &sql, const QVariantMap &params = {});
    bool execute(const QString &sql, const QVariantMap &params = {});

    TestServer m_server;
    TestServer m_second;
    std::unique_ptr<Database> m_db;
};

void tst_SessionLogin::initTestCase()
{
    m_server.config().loginDelayMs = 100;
    m_server.config().loginDelayMaxMs = 800;
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_second.shareDatabase(m_server.databasePath());
    QVERIFY2(m_second.start(&error), qPrintable(error));
    DatabaseConfig config;
    config.path = m_server.databasePath();
    m_db = std::make_unique<Database>(config, QStringLiteral("tst_sessionlogin"));
    QVERIFY2(m_db->open(&error), qPrintable(error));
}

void tst_SessionLogin::cleanupTestCase()
{
    m_db.reset();
    m_second.stop();
    m_server.stop();
}

QString tst_SessionLogin::loginForToken(WireClient &client)
{
    client.send(QStringLiteral("login"), {{QStringLiteral("operator"), QString::fromLatin1(TestServer::kOperator)},
                                          {QStringLiteral("password"), QString::fromLatin1(TestServer::kPassword)},
                                          {QStringLiteral("branch"), QStringLiteral("1")},
                                          {QStringLiteral("client"), QStringLiteral("tst_sessionlogin")},
                                          {QStringLiteral("issueToken"), true}});
    return client.receive().value(QStringLiteral("token")).toString();
}

QVariantMap tst_SessionLogin::tokenLogin(WireClient &client, const QString &token, const QString &op)
{
    QVariantMap fields{{QStringLiteral("token"), token}, {QStringLiteral("client"), QStringLiteral("tst_sessionlogin")}};
    if (!op.isEmpty())
        fields.insert(QStringLiteral("operator"), op);
    client.send(QStringLiteral("login"), fields);
    return client.receive();
}

QVariant tst_SessionLogin::scalar(const QString &sql, const QVariantMap &params)
{
    QSqlQuery q = m_db->exec(sql, params);
    return q.next() ? q.value(0) : QVariant();
}

bool tst_SessionLogin::execute(const QString &sql, const QVariantMap &params)
{
    try {
        m_db->exec(sql, params);
        return true;
    } catch (const std::exception &e) {
        qWarning("%s", e.what());
        return false;
    }
}

void tst_SessionLogin::tokenOnlyWhenAskedAndStoredHashed()
{
    QVERIFY(execute(QStringLiteral("DELETE FROM SESSAOTOKEN")));
    WireClient plain;
    QVERIFY(plain.connectTo(m_server.port()));
    const QVariantMap reply = plain.login(QString::fromLatin1(TestServer::kOperator), QString::fromLatin1(TestServer::kPassword));
    QVERIFY(reply.value(QStringLiteral("ok")).toBool());
    // The login as it always was: no token, nothing stored.
    QVERIFY(!reply.contains(QStringLiteral("token")));
    QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM SESSAOTOKEN")).toInt(), 0);

    WireClient client;
    QVERIFY(client.connectTo(m_server.port()));
    const QString token = loginForToken(client);
    QCOMPARE(token.size(), 43);   // 32 random bytes, base64url
    QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM SESSAOTOKEN")).toInt(), 1);
    QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM SESSAOTOKEN WHERE DSHASHTOKEN = :H AND CDOPERADOR = :O "
                                   "AND CDFILIAL = '0001'"),
                    {{QStringLiteral("H"), SessionTokens::hashOf(token)}, {QStringLiteral("O"), kOperatorPadded}})
                 .toInt(),
             1);
    QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM SESSAOTOKEN WHERE DSHASHTOKEN = :T"),
                    {{QStringLiteral("T"), token}})
                 .toInt(),
             0);
    // Every login draws a new one.
    WireClient again;
    QVERIFY(again.connectTo(m_server.port()));
    QVERIFY(loginForToken(again) != token);
}

void tst_SessionLogin::tokenOpensTheSessionAgainOnAnotherServer()
{
    WireClient first;
    QVERIFY(first.connectTo(m_server.port()));
    const QString token = loginForToken(first);
    QVERIFY(!token.isEmpty());

    // A second server on the same database, as after a restart or behind a balancer.
    WireClient client;
    QVERIFY(client.connectTo(m_second.port()));
    const QVariantMap reply = tokenLogin(client, token);
    QVERIFY2(reply.value(QStringLiteral("ok")).toBool(), qPrintable(errorMessage(reply)));
    QCOMPARE(reply.value(QStringLiteral("operator")).toString(), kOperatorPadded);
    QCOMPARE(reply.value(QStringLiteral("operatorName")).toString(), QStringLiteral("Ana Compradora"));
    QCOMPARE(reply.value(QStringLiteral("branch")).toString(), QStringLiteral("0001"));
    client.call(QStringLiteral("Operator"), {QString::fromLatin1(TestServer::kOperator)},
                QString::fromLatin1(TestServer::kObject));
    QCOMPARE(client.receive().value(QStringLiteral("result")).toString(), kOperatorPadded);

    // The token is the operator's own: claiming another operator with it is refused.
    WireClient other;
    QVERIFY(other.connectTo(m_second.port()));
    const QVariantMap refused = tokenLogin(other, token, QString::fromLatin1(TestServer::kOtherOperator));
    QCOMPARE(errorCode(refused), QStringLiteral("auth"));
    QCOMPARE(errorMessage(refused), kTokenRefused);
}

void tst_SessionLogin::tokenRefused_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("idle too long") << QStringLiteral("idle");
    QTest::newRow("logged out") << QStringLiteral("logout");
    QTest::newRow("operator made inactive") << QStringLiteral("inactive");
    QTest::newRow("never issued") << QStringLiteral("forged");
}

void tst_SessionLogin::tokenRefused()
{
    QFETCH(QString, how);
    WireClient holder;
    QVERIFY(holder.connectTo(m_server.port()));
    QString token = loginForToken(holder);
    QVERIFY(!token.isEmpty());
    const QVariantMap hash{{QStringLiteral("H"), SessionTokens::hashOf(token)}};
    if (how == QLatin1String("idle")) {
        // Unused for a minute more than the default idle time of eight hours.
        const QString when = QDateTime::currentDateTimeUtc().addSecs(-(8 * 3600 + 60)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY(execute(QStringLiteral("UPDATE SESSAOTOKEN SET DTHRULTUSO = :W WHERE DSHASHTOKEN = :H"),
                        {{QStringLiteral("W"), when}, {QStringLiteral("H"), hash.value(QStringLiteral("H"))}}));
    } else if (how == QLatin1String("logout")) {
        holder.send(QStringLiteral("logout"));
        QVERIFY(holder.receive().value(QStringLiteral("ok")).toBool());
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM SESSAOTOKEN WHERE DSHASHTOKEN = :H"), hash).toInt(), 0);
        // The connection's session ended with it.
        holder.send(QStringLiteral("ping"));
        QCOMPARE(errorCode(holder.receive()), QStringLiteral("auth"));
    } else if (how == QLatin1String("inactive")) {
        QVERIFY(execute(QStringLiteral("UPDATE OPERADOR SET IDATIVOOPER = 'N' WHERE CDOPERADOR = :O"),
                        {{QStringLiteral("O"), kOperatorPadded}}));
    } else {
        token[5] = token.at(5) == u'A' ? u'B' : u'A';
    }
    WireClient client;
    QVERIFY(client.connectTo(m_server.port()));
    const QVariantMap reply = tokenLogin(client, token);
    if (how == QLatin1String("inactive"))
        QVERIFY(execute(QStringLiteral("UPDATE OPERADOR SET IDATIVOOPER = 'S' WHERE CDOPERADOR = :O"),
                        {{QStringLiteral("O"), kOperatorPadded}}));
    QCOMPARE(errorCode(reply), QStringLiteral("auth"));
    QCOMPARE(errorMessage(reply), kTokenRefused);
    client.send(QStringLiteral("ping"));
    QCOMPARE(errorCode(client.receive()), QStringLiteral("auth"));
}

void tst_SessionLogin::usedTokenIsKeptAlive()
{
    WireClient client;
    QVERIFY(client.connectTo(m_server.port()));
    const QString token = loginForToken(client);
    Session session;
    SessionTokens tokens(480);
    QVERIFY(tokens.redeem(*m_db, token, session));
    QCOMPARE(session.operatorCode, kOperatorPadded);
    // Used a moment ago: not written again at every call.
    QVERIFY(!tokens.touchIfDue(*m_db, session));
    // Seven hours idle, then a call: the idle time counts again from now.
    const QString old = QDateTime::currentDateTimeUtc().addSecs(-7 * 3600).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QVariantMap hash{{QStringLiteral("H"), SessionTokens::hashOf(token)}};
    QVERIFY(execute(QStringLiteral("UPDATE SESSAOTOKEN SET DTHRULTUSO = :W WHERE DSHASHTOKEN = :H"),
                    {{QStringLiteral("W"), old}, {QStringLiteral("H"), hash.value(QStringLiteral("H"))}}));
    session.tokenTouched = QDateTime::currentDateTimeUtc().addSecs(-7 * 3600);
    QVERIFY(tokens.touchIfDue(*m_db, session));
    QVERIFY(scalar(QStringLiteral("SELECT DTHRULTUSO FROM SESSAOTOKEN WHERE DSHASHTOKEN = :H"), hash).toString() > old);
    // So two more hours later it would still open a session.
    SessionTokens shorter(120);
    Session again;
    QVERIFY(shorter.redeem(*m_db, token, again));
}

void tst_SessionLogin::wrongPasswordsInParallelAreAnsweredNoSoonerThanInSequence()
{
    // The server waits 100 ms after the first failure, doubling: four wrong passwords in a
    // row take 100 + 200 + 400 + 800 ms at least, whether sent one after another on one
    // connection or all at once on four.
    const qint64 fourFailures = 100 + 200 + 400 + 800;
    const QString op = QString::fromLatin1(TestServer::kOtherOperator);
    auto reset = [this, op] {
        WireClient right;
        QVERIFY(right.connectTo(m_server.port()));
        QVERIFY(right.login(op, QString::fromLatin1(TestServer::kPassword)).value(QStringLiteral("ok")).toBool());
    };
    reset();

    WireClient one;
    QVERIFY(one.connectTo(m_server.port()));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 4; ++i)
        QCOMPARE(errorCode(one.login(op, QStringLiteral("errada"))), QStringLiteral("auth"));
    const qint64 sequential = clock.elapsed();
    QVERIFY2(sequential >= fourFailures - 20, qPrintable(QString::number(sequential)));
    reset();   // a success clears the count (after waiting out the last delay)

    std::vector<std::unique_ptr<WireClient>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<WireClient>());
        QVERIFY(clients.back()->connectTo(m_server.port()));
    }
    clock.restart();
    for (auto &client : clients)
        client->send(QStringLiteral("login"), {{QStringLiteral("operator"), op}, {QStringLiteral("password"), QStringLiteral("errada")}});
    for (auto &client : clients)
        QCOMPARE(errorCode(client->receive(5000)), QStringLiteral("auth"));
    const qint64 parallel = clock.elapsed();
    QVERIFY2(parallel >= fourFailures - 20,
             qPrintable(QStringLiteral("four wrong passwords answered in %1 ms in parallel, %2 ms in sequence")
                            .arg(parallel).arg(sequential)));
    reset();
}

QTEST_GUILESS_MAIN(tst_SessionLogin)
#include "tst_sessionlogin.moc"
