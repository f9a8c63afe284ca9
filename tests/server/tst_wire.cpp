// The wire as a client sees it: framing, login, dispatch, argument checks, references and
// errors, against a real server running in its own thread.

#include "CborCodec.h"
#include "DataPacket.h"
#include "FrameReader.h"
#include "TestServer.h"
#include "WireClient.h"

#include <QDate>
#include <QElapsedTimer>
#include <QtEndian>
#include <QtTest>

#include <memory>

namespace {

QString errorCode(const QVariantMap &reply)
{
    return reply.value(QStringLiteral("error")).toMap().value(QStringLiteral("code")).toString();
}

QString errorMessage(const QVariantMap &reply)
{
    return reply.value(QStringLiteral("error")).toMap().value(QStringLiteral("message")).toString();
}

QByteArray lengthPrefix(quint32 n)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian<quint32>(n, bytes.data());
    return bytes;
}

} // namespace

class tst_Wire : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void loginAndPing();
    void framesInPieces();
    void badFrameClosesOnlyThatConnection_data();
    void badFrameClosesOnlyThatConnection();
    void argumentErrorsKeepConnection();
    void unknownObjectAndMethod();
    void byReferenceRoundTrip();
    void methodErrors();
    void repliesInRequestOrder();
    void largeAnswerToClientNotReading();
    void clientsDoNotWaitForEachOther();
    void loginRefused_data();
    void loginRefused();
    void refusedLoginDoesNotDelayOthers();
    void requestBeforeLoginClosesConnection();
    void operatorArgumentMustBeSessionOperator();
    void manyClientsAtOnce();

private:
    std::unique_ptr<WireClient> loggedIn();

    TestServer m_server;
};

void tst_Wire::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
}

void tst_Wire::cleanupTestCase()
{
    m_server.stop();
}

std::unique_ptr<WireClient> tst_Wire::loggedIn()
{
    auto client = std::make_unique<WireClient>();
    if (!client->connectTo(m_server.port()))
        return nullptr;
    const QVariantMap reply = client->login(QString::fromLatin1(TestServer::kOperator),
                                            QString::fromLatin1(TestServer::kPassword));
    if (!reply.value(QStringLiteral("ok")).toBool())
        return nullptr;
    return client;
}

void tst_Wire::loginAndPing()
{
    WireClient client;
    QVERIFY(client.connectTo(m_server.port()));
    const QVariantMap reply = client.login(QStringLiteral(" comprador1"), QString::fromLatin1(TestServer::kPassword));
    QCOMPARE(reply.value(QStringLiteral("id")).toULongLong(), 1u);
    QVERIFY(reply.value(QStringLiteral("ok")).toBool());
    // Codes come back as stored: padded to their width.
    QCOMPARE(reply.value(QStringLiteral("operator")).toString(), QStringLiteral("comprador1  "));
    QCOMPARE(reply.value(QStringLiteral("operatorName")).toString(), QStringLiteral("Ana Compradora"));
    QCOMPARE(reply.value(QStringLiteral("branch")).toString(), QStringLiteral("0001"));

    const quint64 id = client.send(QStringLiteral("ping"), {{QStringLiteral("extra"), 1}});
    const QVariantMap pong = client.receive();
    QCOMPARE(pong.value(QStringLiteral("id")).toULongLong(), id);
    QVERIFY(pong.value(QStringLiteral("ok")).toBool());

    // The worker's own database answers the call.
    client.call(QStringLiteral("CountOperators"), {});
    QCOMPARE(client.receive().value(QStringLiteral("result")).toLongLong(), 3);
}

void tst_Wire::framesInPieces()
{
    WireClient client;
    QVERIFY(client.connectTo(m_server.port()));
    const QByteArray login = FrameReader::encodeFrame(QVariantMap{
        {QStringLiteral("op"), QStringLiteral("login")}, {QStringLiteral("id"), 7},
        {QStringLiteral("operator"), QString::fromLatin1(TestServer::kOperator)},
        {QStringLiteral("password"), QString::fromLatin1(TestServer::kPassword)}});
    for (char byte : login) {
        client.sendRaw(QByteArray(1, byte));
        QTest::qWait(1);
    }
    QVERIFY(client.receive().value(QStringLiteral("ok")).toBool());

    // Two calls in one write, the second cut inside its length prefix, the rest later.
    DataPacket packet;
    packet.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    packet.appendRow({QStringLiteral("0001")});
    const QVariantMap call = {{QStringLiteral("op"), QStringLiteral("call")},
                              {QStringLiteral("object"), QString::fromLatin1(TestServer::kObject)},
                              {QStringLiteral("method"), QStringLiteral("Echo")}};
    QVariantMap first = call;
    first.insert(QStringLiteral("id"), 8);
    first.insert(QStringLiteral("args"), QVariantList{packetVariant(packet)});
    QVariantMap second = call;
    second.insert(QStringLiteral("id"), 9);
    second.insert(QStringLiteral("args"), QVariantList{QStringLiteral("segundo")});
    const QByteArray bytes = FrameReader::encodeFrame(first) + FrameReader::encodeFrame(second);
    const qsizetype cut = FrameReader::encodeFrame(first).size() + 2;
    client.sendRaw(bytes.left(cut));
    QTest::qWait(20);
    client.sendRaw(bytes.mid(cut));

    const QVariantMap r1 = client.receive();
    QCOMPARE(r1.value(QStringLiteral("id")).toInt(), 8);
    QVERIFY(isPacket(r1.value(QStringLiteral("result"))));
    QCOMPARE(r1.value(QStringLiteral("result")).value<DataPacket>(), packet);
    const QVariantMap r2 = client.receive();
    QCOMPARE(r2.value(QStringLiteral("id")).toInt(), 9);
    QCOMPARE(r2.value(QStringLiteral("result")).toString(), QStringLiteral("segundo"));
}

void tst_Wire::badFrameClosesOnlyThatConnection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("beforeLogin");
    const QByteArray ping = CborCodec::encode(QVariantMap{{QStringLiteral("op"), QStringLiteral("ping")},
                                                          {QStringLiteral("id"), 1}});
    // The test server accepts frames up to 1 MiB.
    QTest::newRow("empty frame") << lengthPrefix(0) << false;
    QTest::newRow("over the limit") << lengthPrefix(1024 * 1024 + 1) + QByteArray(64, 'x') << false;
    QTest::newRow("over the limit, before login") << lengthPrefix(0x7fffffff) << true;
    QTest::newRow("garbage") << lengthPrefix(6) + QByteArray::fromHex("ffffffffffff") << false;
    QTest::newRow("truncated item") << lengthPrefix(3) + QByteArray::fromHex("a26170") << false;
    QTest::newRow("trailing bytes") << lengthPrefix(quint32(ping.size() + 2)) + ping + QByteArray("\x01\x02", 2) << false;
    QTest::newRow("not a map") << lengthPrefix(2) + QByteArray::fromHex("8101") << false;
}

void tst_Wire::badFrameClosesOnlyThatConnection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, beforeLogin);
    auto bystander = loggedIn();
    QVERIFY(bystander);

    std::unique_ptr<WireClient> offender;
    if (beforeLogin) {
        offender = std::make_unique<WireClient>();
        QVERIFY(offender->connectTo(m_server.port()));
    } else {
        offender = loggedIn();
        QVERIFY(offender);
    }
    offender->sendRaw(bytes);
    QVERIFY(offender->waitClosed());

    bystander->send(QStringLiteral("ping"));
    QVERIFY(bystander->receive().value(QStringLiteral("ok")).toBool());
    // The server still takes new connections.
    QVERIFY(loggedIn());
}

void tst_Wire::argumentErrorsKeepConnection()
{
    auto client = loggedIn();
    QVERIFY(client);
    const QDate date(2026, 12, 7);

    client->call(QStringLiteral("Typed"), {QStringLiteral("0001"), 2, 1.5});
    QVariantMap reply = client->receive();
    QCOMPARE(errorCode(reply), QStringLiteral("arguments"));
    QVERIFY2(errorMessage(reply).contains(QStringLiteral("5")), qPrintable(errorMessage(reply)));

    client->call(QStringLiteral("Typed"), {QStringLiteral("0001"), 2, 1.5, QStringLiteral("2026-12-07"), true});
    reply = client->receive();
    QCOMPARE(errorCode(reply), QStringLiteral("arguments"));
    // The text names the position, the argument and the type expected, in the buyer's words.
    QCOMPARE(errorMessage(reply), QStringLiteral("Argumento 3 (P_DTINIVAL): esperado data, recebido texto."));

    client->call(QStringLiteral("Typed"), {QStringLiteral("0001"), 2.5, 1.5, date, true});
    reply = client->receive();
    QCOMPARE(errorMessage(reply), QStringLiteral("Argumento 1 (P_QTITENS): esperado inteiro, recebido número."));

    // Null is refused only where the declaration says so.
    client->call(QStringLiteral("Typed"), {QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    reply = client->receive();
    QCOMPARE(errorMessage(reply), QStringLiteral("Argumento 4 (P_IDATIVO): esperado lógico, recebido nulo."));

    client->send(QStringLiteral("call"), {{QStringLiteral("object"), QString::fromLatin1(TestServer::kObject)},
                                          {QStringLiteral("method"), QStringLiteral("Echo")},
                                          {QStringLiteral("args"), QStringLiteral("not an array")}});
    QCOMPARE(errorCode(client->receive()), QStringLiteral("arguments"));

    // The same connection still works, and arguments arrive in their declared kinds:
    // an integer for a number, a date-time for a date.
    client->call(QStringLiteral("Typed"), {QStringLiteral("0001"), 2, 3, QDateTime(date, QTime(10, 0), Qt::UTC), false});
    reply = client->receive();
    QVERIFY2(!reply.contains(QStringLiteral("error")), qPrintable(errorMessage(reply)));
    const QVariantList seen = reply.value(QStringLiteral("result")).toList();
    QCOMPARE(seen.size(), 5);
    QCOMPARE(seen.at(2).typeId(), QMetaType::Double);
    QCOMPARE(seen.at(2).toDouble(), 3.0);
    QCOMPARE(seen.at(3).typeId(), QMetaType::QDate);
    QCOMPARE(seen.at(3).toDate(), date);
}

void tst_Wire::unknownObjectAndMethod()
{
    auto client = loggedIn();
    QVERIFY(client);
    client->call(QStringLiteral("Echo"), {1}, QStringLiteral("Sup99999.rdmNada"));
    QVariantMap reply = client->receive();
    QCOMPARE(errorCode(reply), QStringLiteral("unknown-object"));
    QCOMPARE(errorMessage(reply), QStringLiteral("Objeto do servidor \"Sup99999.rdmNada\" desconhecido."));
    // Names are case-sensitive.
    client->call(QStringLiteral("echo"), {1});
    reply = client->receive();
    QCOMPARE(errorCode(reply), QStringLiteral("unknown-method"));
    QCOMPARE(errorMessage(reply),
             QStringLiteral("Método \"echo\" de %1 desconhecido.").arg(QString::fromLatin1(TestServer::kObject)));
    client->send(QStringLiteral("dance"));
    reply = client->receive();
    QCOMPARE(errorCode(reply), QStringLiteral("server"));
    QCOMPARE(errorMessage(reply), QStringLiteral("Pedido \"dance\" desconhecido."));
    client->send(QStringLiteral("ping"));
    QVERIFY(client->receive().value(QStringLiteral("ok")).toBool());
}

void tst_Wire::byReferenceRoundTrip()
{
    auto client = loggedIn();
    QVERIFY(client);
    const quint64 id = client->call(QStringLiteral("Swap"), {QStringLiteral("a"), QStringLiteral("b"), 1});
    const QVariantMap reply = client->receive();
    QCOMPARE(reply.value(QStringLiteral("id")).toULongLong(), id);
    QCOMPARE(reply.value(QStringLiteral("result")).toString(), QStringLiteral("trocado"));
    const QVariant refs = reply.value(QStringLiteral("refs"));
    QCOMPARE(refs.metaType(), QMetaType::fromType<IndexMap>());
    const IndexMap map = refs.value<IndexMap>();
    QCOMPARE(map.keys(), (QList<qint64>{0, 1}));   // the by-value argument never travels back
    QCOMPARE(map.value(0).toString(), QStringLiteral("b"));
    QCOMPARE(map.value(1).toString(), QStringLiteral("a"));
}

void tst_Wire::methodErrors()
{
    auto client = loggedIn();
    QVERIFY(client);
    client->call(QStringLiteral("Fail"), {QStringLiteral("conflict")});
    QVariantMap reply = client->receive();
    QCOMPARE(errorCode(reply), QStringLiteral("conflict"));
    QCOMPARE(errorMessage(reply), QStringLiteral("falhou: conflict"));

    // Anything else is a "server" error whose message tells nothing of the inside.
    client->call(QStringLiteral("Crash"), {});
    reply = client->receive();
    QCOMPARE(errorCode(reply), QStringLiteral("server"));
    QVERIFY(!errorMessage(reply).isEmpty());
    QVERIFY(!errorMessage(reply).contains(QStringLiteral("XYZ")));

    client->call(QStringLiteral("Echo"), {QStringLiteral("ainda aqui")});
    QCOMPARE(client->receive().value(QStringLiteral("result")).toString(), QStringLiteral("ainda aqui"));
}

void tst_Wire::repliesInRequestOrder()
{
    auto client = loggedIn();
    QVERIFY(client);
    // The slow call goes first; with four workers the later ones would finish earlier
    // if the server did not keep the order.
    const quint64 a = client->call(QStringLiteral("Sleep"), {150});
    const quint64 b = client->send(QStringLiteral("ping"));
    const quint64 c = client->call(QStringLiteral("Echo"), {3});
    QCOMPARE(client->receive().value(QStringLiteral("id")).toULongLong(), a);
    QCOMPARE(client->receive().value(QStringLiteral("id")).toULongLong(), b);
    QCOMPARE(client->receive().value(QStringLiteral("id")).toULongLong(), c);
}

// An answer larger than the connection takes at once, to a client that reads only later:
// what the worker could not write goes after it from the server, whole, once, and before
// the next answer.
void tst_Wire::largeAnswerToClientNotReading()
{
    // A small receive buffer: the connection holds less than the eight answers of 900 KB.
    WireClient client;
    QVERIFY(client.connectTo(m_server.port(), 8192));
    QVERIFY(client.login(QString::fromLatin1(TestServer::kOperator), QString::fromLatin1(TestServer::kPassword))
                .value(QStringLiteral("ok")).toBool());
    QList<QString> texts;
    QList<quint64> ids;
    for (int n = 0; n < 8; ++n) {
        QString text(900 * 1024, QLatin1Char('x'));   // the test server takes frames up to 1 MB
        for (qsizetype i = 0; i < text.size(); i += 4096)
            text[i] = QChar(u'a' + int((n + i / 4096) % 26));
        ids << client.call(QStringLiteral("Echo"), {text});
        texts << text;
    }
    const quint64 last = client.call(QStringLiteral("Echo"), {QStringLiteral("depois")});
    QThread::msleep(300);
    for (int n = 0; n < 8; ++n) {
        const QVariantMap reply = client.receive(10000);
        QCOMPARE(reply.value(QStringLiteral("id")).toULongLong(), ids.at(n));
        QVERIFY2(reply.value(QStringLiteral("result")).toString() == texts.at(n), qPrintable(QString::number(n)));
    }
    const QVariantMap reply = client.receive();
    QCOMPARE(reply.value(QStringLiteral("id")).toULongLong(), last);
    QCOMPARE(reply.value(QStringLiteral("result")).toString(), QStringLiteral("depois"));
}

void tst_Wire::clientsDoNotWaitForEachOther()
{
    auto slow = loggedIn();
    auto quick = loggedIn();
    QVERIFY(slow && quick);
    slow->call(QStringLiteral("Sleep"), {1000});
    QElapsedTimer clock;
    clock.start();
    quick->call(QStringLiteral("Echo"), {1});
    QCOMPARE(quick->receive().value(QStringLiteral("result")).toInt(), 1);
    QVERIFY2(clock.elapsed() < 800, "a call waited for another client's call");
    QCOMPARE(slow->receive().value(QStringLiteral("result")).toInt(), 1000);
}

void tst_Wire::loginRefused_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("password");
    QTest::newRow("wrong password") << QString::fromLatin1(TestServer::kOperator) << QStringLiteral("errada");
    QTest::newRow("empty password") << QString::fromLatin1(TestServer::kOperator) << QString();
    QTest::newRow("unknown operator") << QStringLiteral("ninguem") << QString::fromLatin1(TestServer::kPassword);
    QTest::newRow("inactive operator") << QString::fromLatin1(TestServer::kInactiveOperator)
                                       << QString::fromLatin1(TestServer::kPassword);
}

void tst_Wire::loginRefused()
{
    QFETCH(QString, op);
    QFETCH(QString, password);
    WireClient client;
    QVERIFY(client.connectTo(m_server.port()));
    QElapsedTimer clock;
    clock.start();
    const QVariantMap reply = client.login(op, password);
    QCOMPARE(errorCode(reply), QStringLiteral("auth"));
    // One text for every refusal: it does not tell which of the two was wrong.
    QCOMPARE(errorMessage(reply), QStringLiteral("Operador ou senha inválidos."));
    QVERIFY(clock.elapsed() >= 250);   // the test server's delay is 300 ms

    // Still not logged in: the next request is refused and the connection closed.
    client.send(QStringLiteral("ping"));
    QCOMPARE(errorCode(client.receive()), QStringLiteral("auth"));
    QVERIFY(client.waitClosed());
}

void tst_Wire::refusedLoginDoesNotDelayOthers()
{
    auto other = loggedIn();
    QVERIFY(other);
    WireClient intruder;
    QVERIFY(intruder.connectTo(m_server.port()));
    intruder.send(QStringLiteral("login"), {{QStringLiteral("operator"), QString::fromLatin1(TestServer::kOperator)},
                                            {QStringLiteral("password"), QStringLiteral("errada")}});
    QTest::qWait(50);
    QElapsedTimer clock;
    clock.start();
    other->send(QStringLiteral("ping"));
    QVERIFY(other->receive().value(QStringLiteral("ok")).toBool());
    QVERIFY2(clock.elapsed() < 240, "the delay of a refused login held up another connection");
    QCOMPARE(errorCode(intruder.receive()), QStringLiteral("auth"));
}

void tst_Wire::requestBeforeLoginClosesConnection()
{
    WireClient client;
    QVERIFY(client.connectTo(m_server.port()));
    const quint64 id = client.call(QStringLiteral("Echo"), {1});
    const QVariantMap reply = client.receive();
    QCOMPARE(reply.value(QStringLiteral("id")).toULongLong(), id);
    QCOMPARE(errorCode(reply), QStringLiteral("auth"));
    QCOMPARE(errorMessage(reply), QStringLiteral("Identifique-se primeiro."));
    QVERIFY(client.waitClosed());
}

void tst_Wire::operatorArgumentMustBeSessionOperator()
{
    auto client = loggedIn();
    QVERIFY(client);
    client->call(QStringLiteral("Operator"), {QString::fromLatin1(TestServer::kOtherOperator)});
    QCOMPARE(errorCode(client->receive()), QStringLiteral("auth"));
    // The same operator written without its padding is the session's.
    client->call(QStringLiteral("Operator"), {QStringLiteral("comprador1")});
    QCOMPARE(client->receive().value(QStringLiteral("result")).toString(), QStringLiteral("comprador1  "));
}

void tst_Wire::manyClientsAtOnce()
{
    constexpr int kClients = 50;
    std::vector<std::unique_ptr<WireClient>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<WireClient>());
        QVERIFY(clients.back()->connectTo(m_server.port()));
        clients.back()->send(QStringLiteral("login"), {{QStringLiteral("operator"), QString::fromLatin1(TestServer::kOperator)},
                                                       {QStringLiteral("password"), QString::fromLatin1(TestServer::kPassword)}});
    }
    for (auto &client : clients)
        QVERIFY(client->receive().value(QStringLiteral("ok")).toBool());
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < kClients; ++i)
            clients[i]->call(QStringLiteral("Echo"), {i * 100 + round});
        for (int i = 0; i < kClients; ++i)
            QCOMPARE(clients[i]->receive().value(QStringLiteral("result")).toInt(), i * 100 + round);
    }
}

QTEST_GUILESS_MAIN(tst_Wire)
#include "tst_wire.moc"
