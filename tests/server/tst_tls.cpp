// TLS on the wire: the server's certificate and key, the refusal of plain listening
// beyond loopback, and the clients' verification of the server (NetConnection, the host's
// session, sup-call), with a certificate authority made by the test.

#include "Corvane.h"
#include "NetConnection.h"
#include "ServerProcess.h"
#include "TMessages.h"
#include "TestCertificates.h"
#include "TestServer.h"

#include <QDir>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QtTest>

class tst_Tls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void verifiedCallOverTls();
    void refusedCertificates_data();
    void refusedCertificates();
    void tlsClientAgainstPlainServer();
    void plainClientAgainstTlsServerFails();
    void caFileUnreadable();

    void listeningRules_data();
    void listeningRules();
    void serverFilesRefusedAtStart_data();
    void serverFilesRefusedAtStart();
    void plainBeyondLoopbackRefusedByTheProgram();

    void hostSessionAndSupCallVerifyTheServer();

private:
    QVariant echoOver(const QString &host, quint16 port, const NetTransportSettings &transport);

    TestCertificates m_certs;
    TestServer m_tlsServer;   // TLS on every address, certificate for "localhost"
    ServerProcess m_plainServer; // plain, loopback
    QTemporaryDir m_dir;
};

void tst_Tls::initTestCase()
{
    QVERIFY2(QSslSocket::supportsSsl(), "Qt's TLS backend (OpenSSL) is not available");
    QString error;
    QVERIFY2(m_certs.create(&error), qPrintable(error));
    QVERIFY2(m_certs.issue(QStringLiteral("localhost"), &error), qPrintable(error));

    // Listening on every address, not only loopback: allowed because it is TLS.
    m_tlsServer.config().address = QHostAddress::Any;
    m_tlsServer.config().tlsCertificate = m_certs.serverCertificate(QStringLiteral("localhost"));
    m_tlsServer.config().tlsKey = m_certs.serverKey(QStringLiteral("localhost"));
    QVERIFY2(m_tlsServer.start(&error), qPrintable(error));
    QVERIFY2(m_plainServer.start({QStringLiteral("--database"), QStringLiteral("sqlite:") + m_dir.filePath(QStringLiteral("plain.db")),
                                  QStringLiteral("--port"), QStringLiteral("0")},
                                 &error),
             qPrintable(error));

    NetCredentials credentials;
    credentials.operatorCode = QString::fromLatin1(TestServer::kOperator);
    credentials.password = QString::fromLatin1(TestServer::kPassword);
    credentials.branch = QStringLiteral("1");
    credentials.client = QStringLiteral("tst_tls");
    NetConnection::setDefaultCredentials(credentials);
}

void tst_Tls::cleanupTestCase()
{
    m_tlsServer.stop();
    m_plainServer.stop();
}

QVariant tst_Tls::echoOver(const QString &host, quint16 port, const NetTransportSettings &transport)
{
    NetConnection connection;
    connection.setServerName(QString::fromLatin1(TestServer::kObject));
    connection.setHost(host);
    connection.setPort(port);
    connection.setTimeoutMs(20000);
    connection.setTransport(transport);
    const QVariant result = connection.call(QStringLiteral("Echo"), {QStringLiteral("cifrado")});
    connection.close();
    return result;
}

void tst_Tls::verifiedCallOverTls()
{
    const QVariant result = echoOver(QStringLiteral("localhost"), m_tlsServer.port(), {true, m_certs.caFile()});
    QCOMPARE(result.toString(), QStringLiteral("cifrado"));
}

// Each refusal is a "tls" error whose text says why, in the buyer's words, and names the
// server's address.
void tst_Tls::refusedCertificates_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("caFile");
    QTest::addColumn<QString>("reasonKey");
    QTest::newRow("another company's CA") << "localhost" << m_certs.otherCaFile() << "Net_TlsNaoConfiavel";
    // The test CA is in no system store: trusting the system must not mean trusting anyone.
    QTest::newRow("system store") << "localhost" << QString() << "Net_TlsNaoConfiavel";
    // The certificate names "localhost", not the address the client used.
    QTest::newRow("host name mismatch") << "127.0.0.1" << m_certs.caFile() << "Net_TlsNomeDiferente";
}

void tst_Tls::refusedCertificates()
{
    QFETCH(QString, host);
    QFETCH(QString, caFile);
    QFETCH(QString, reasonKey);
    try {
        echoOver(host, m_tlsServer.port(), {true, caFile});
        QFAIL("a server whose certificate cannot be verified was accepted");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("tls"));
        QVERIFY2(e.message().contains(TMessages::padrao().Msg(reasonKey)), qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("%1:%2").arg(host).arg(m_tlsServer.port())), qPrintable(e.message()));
    }
}

void tst_Tls::tlsClientAgainstPlainServer()
{
    try {
        echoOver(QStringLiteral("localhost"), m_plainServer.port(), {true, m_certs.caFile()});
        QFAIL("a plain server passed for a TLS one");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("tls"));
        QVERIFY2(e.message().contains(QStringLiteral("TLS")), qPrintable(e.message()));
    }
}

void tst_Tls::plainClientAgainstTlsServerFails()
{
    // Refused (not hanging, not answered): the server speaks nothing but TLS.
    QVERIFY_THROWS_EXCEPTION(NetError, echoOver(QStringLiteral("localhost"), m_tlsServer.port(), {}));
    // The server is not disturbed by it.
    QCOMPARE(echoOver(QStringLiteral("localhost"), m_tlsServer.port(), {true, m_certs.caFile()}).toString(),
             QStringLiteral("cifrado"));
}

void tst_Tls::caFileUnreadable()
{
    const QString missing = QDir::temp().filePath(QStringLiteral("tst_tls_no_such_ca.pem"));
    try {
        echoOver(QStringLiteral("localhost"), m_tlsServer.port(), {true, missing});
        QFAIL("a missing CA file was taken for the system store");
    } catch (const NetError &e) {
        QCOMPARE(e.code(), QStringLiteral("tls"));
        QVERIFY2(e.message().contains(missing), qPrintable(e.message()));
    }
}

void tst_Tls::listeningRules_data()
{
    QTest::addColumn<QHostAddress>("address");
    QTest::addColumn<bool>("tls");
    QTest::addColumn<bool>("allowPlain");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("loopback, plain") << QHostAddress(QHostAddress::LocalHost) << false << false << true;
    QTest::newRow("IPv6 loopback, plain") << QHostAddress(QHostAddress::LocalHostIPv6) << false << false << true;
    QTest::newRow("any, plain") << QHostAddress(QHostAddress::Any) << false << false << false;
    QTest::newRow("network address, plain") << QHostAddress(QStringLiteral("10.1.2.3")) << false << false << false;
    QTest::newRow("any, plain allowed") << QHostAddress(QHostAddress::Any) << false << true << true;
    QTest::newRow("any, TLS") << QHostAddress(QHostAddress::Any) << true << false << true;
}

void tst_Tls::listeningRules()
{
    QFETCH(QHostAddress, address);
    QFETCH(bool, tls);
    QFETCH(bool, allowPlain);
    QFETCH(bool, accepted);
    ServerConfig config;
    config.address = address;
    config.allowPlain = allowPlain;
    if (tls) {
        config.tlsCertificate = m_certs.serverCertificate(QStringLiteral("localhost"));
        config.tlsKey = m_certs.serverKey(QStringLiteral("localhost"));
    }
    QSslConfiguration configuration;
    QString error;
    QCOMPARE(Server::readTlsConfiguration(config, &configuration, &error), accepted);
    if (!accepted)
        QVERIFY2(error.contains(QStringLiteral("without TLS")) && error.contains(QStringLiteral("allow-plain")),
                 qPrintable(error));
    if (tls) {
        QCOMPARE(configuration.localCertificate().subjectAlternativeNames().value(QSsl::DnsEntry),
                 QStringLiteral("localhost"));
        QVERIFY(!configuration.privateKey().isNull());
    }
}

void tst_Tls::serverFilesRefusedAtStart_data()
{
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("mentions");
    const QString cert = m_certs.serverCertificate(QStringLiteral("localhost"));
    const QString key = m_certs.serverKey(QStringLiteral("localhost"));
    QTest::newRow("missing certificate") << cert + QStringLiteral(".missing") << key << "tls-cert";
    QTest::newRow("key given as certificate") << key << key << "tls-cert";
    QTest::newRow("missing key") << cert << key + QStringLiteral(".missing") << "tls-key";
    QTest::newRow("certificate given as key") << cert << cert << "tls-key";
}

void tst_Tls::serverFilesRefusedAtStart()
{
    QFETCH(QString, certificate);
    QFETCH(QString, key);
    QFETCH(QString, mentions);
    ServerConfig config;
    config.tlsCertificate = certificate;
    config.tlsKey = key;
    QString error;
    QVERIFY(!Server::readTlsConfiguration(config, nullptr, &error));
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

// The program refuses before it touches the database, with a message that says what to do.
void tst_Tls::plainBeyondLoopbackRefusedByTheProgram()
{
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("refused.db"));
    QString output;
    const int rc = ServerProcess::run({QStringLiteral("--database"), QStringLiteral("sqlite:") + database,
                                       QStringLiteral("--listen"), QStringLiteral("any"), QStringLiteral("--port"),
                                       QStringLiteral("0")},
                                      &output);
    QCOMPARE(rc, 2);
    QVERIFY2(output.contains(QStringLiteral("refusing to listen on")), qPrintable(output));
    QVERIFY(!QFile::exists(database));
}

// The deployment as a department runs it: sup-server listening on every address with TLS
// from its configuration file; the host's session and sup-call trust the company's CA and
// reach it, and refuse it when told to trust another CA.
void tst_Tls::hostSessionAndSupCallVerifyTheServer()
{
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("sup-server.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("listen=any\nport=0\ndatabase=sqlite:%1\ntls-cert=%2\ntls-key=%3\n")
                  .arg(dir.filePath(QStringLiteral("sup.db")), m_certs.serverCertificate(QStringLiteral("localhost")),
                       m_certs.serverKey(QStringLiteral("localhost")))
                  .toUtf8());
    ini.close();
    ServerProcess server;
    QString error;
    QVERIFY2(server.start({QStringLiteral("--config"), ini.fileName(), QStringLiteral("--init-demo")}, &error),
             qPrintable(error));

    Corvane::LoginInfo login;
    login.serverHost = QStringLiteral("localhost");
    login.serverPort = server.port();
    login.branch = QStringLiteral("0001");
    login.operatorCode = QStringLiteral("COMP01");
    login.password = QStringLiteral("demo");
    NetTransport::setDefaults({true, m_certs.caFile()});
    Corvane::openSession(login);
    QVERIFY(Corvane::sessionOpen());
    QCOMPARE(Corvane::Operador().trimmed(), QStringLiteral("COMP01"));
    Corvane::closeSession();
    NetTransport::setDefaults({true, m_certs.otherCaFile()});
    QVERIFY_THROWS_EXCEPTION(NetError, Corvane::openSession(login));
    QVERIFY(!Corvane::sessionOpen());
    NetTransport::setDefaults({});

    auto supCall = [&](const QString &caFile, QString *out) {
        QProcess call;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("SUP_PASSWORD"), QStringLiteral("demo"));
        call.setProcessEnvironment(environment);
        call.setProcessChannelMode(QProcess::MergedChannels);
        call.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sup-call")),
                   {QStringLiteral("--host"), QStringLiteral("localhost"), QStringLiteral("--port"),
                    QString::number(server.port()), QStringLiteral("--ca-file"), caFile, QStringLiteral("--operator"),
                    QStringLiteral("COMP01"), QStringLiteral("--branch"), QStringLiteral("0001"), QStringLiteral("--object"),
                    QStringLiteral("Sup.rdmSuprimentos"), QStringLiteral("GetParaSupri"), QStringLiteral("0001")});
        if (!call.waitForFinished(60000))
            return -1;
        *out = QString::fromLocal8Bit(call.readAll());
        return call.exitCode();
    };
    QString out;
    QCOMPARE(supCall(m_certs.caFile(), &out), 0);
    QVERIFY2(out.contains(QStringLiteral("result")), qPrintable(out));
    QCOMPARE(supCall(m_certs.otherCaFile(), &out), 3);
    QVERIFY2(out.contains(QStringLiteral("error tls:")), qPrintable(out));
}

QTEST_GUILESS_MAIN(tst_Tls)
#include "tst_tls.moc"
