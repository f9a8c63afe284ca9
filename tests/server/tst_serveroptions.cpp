// sup-server's options: the command line over the configuration file.

#include "ServerOptions.h"

#include <QTemporaryDir>
#include <QtTest>

class tst_ServerOptions : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void commandLineWinsOverConfigFile();
    void demoSize_data();
    void demoSize();
    void tlsAndBackupFromConfigFile();
    void refused_data();
    void refused();
};

namespace {

QStringList args(QStringList rest)
{
    rest.prepend(QStringLiteral("sup-server"));
    return rest;
}

} // namespace

void tst_ServerOptions::defaults()
{
    ServerOptions options;
    QString error;
    QVERIFY2(options.parse(args({}), &error), qPrintable(error));
    QCOMPARE(options.server.port, ServerOptions::kDefaultPort);
    // Not reachable from other machines unless the administrator says so.
    QCOMPARE(options.server.address, QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(options.server.maxFrame, qint64(64 * 1024 * 1024));
    QCOMPARE(options.server.database.engine, DatabaseConfig::Engine::SQLite);
    QVERIFY(options.demoSize.isEmpty());
}

void tst_ServerOptions::commandLineWinsOverConfigFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sup-server.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("port=7300\nworkers=8\ndatabase=postgres\npg-host=/run/pg\npg-port=5433\npg-db=compras\n"
               "pg-user=sup\nlog-level=warning\nmax-frame=1048576\n");
    file.close();

    ServerOptions options;
    QString error;
    QVERIFY2(options.parse(args({QStringLiteral("--config"), path, QStringLiteral("--port"), QStringLiteral("7400"),
                                 QStringLiteral("--listen"), QStringLiteral("127.0.0.1")}), &error),
             qPrintable(error));
    QCOMPARE(options.server.port, quint16(7400));
    QCOMPARE(options.server.workers, 8);
    QCOMPARE(options.server.maxFrame, qint64(1048576));
    QCOMPARE(options.server.address, QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(options.server.database.engine, DatabaseConfig::Engine::PostgreSQL);
    QCOMPARE(options.server.database.host, QStringLiteral("/run/pg"));
    QCOMPARE(options.server.database.port, 5433);
    QCOMPARE(options.server.database.name, QStringLiteral("compras"));
    QCOMPARE(options.logLevel, QStringLiteral("warning"));
}

void tst_ServerOptions::demoSize_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("size");
    QTest::newRow("bare, last") << QStringList{QStringLiteral("--init-demo")} << "small";
    QTest::newRow("bare, then another option")
        << QStringList{QStringLiteral("--init-demo"), QStringLiteral("--port"), QStringLiteral("1")} << "small";
    QTest::newRow("large") << QStringList{QStringLiteral("--init-demo"), QStringLiteral("large")} << "large";
    QTest::newRow("with =") << QStringList{QStringLiteral("--init-demo=large")} << "large";
}

void tst_ServerOptions::demoSize()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, size);
    ServerOptions options;
    QString error;
    QVERIFY2(options.parse(args(arguments), &error), qPrintable(error));
    QCOMPARE(options.demoSize, size);
}

void tst_ServerOptions::tlsAndBackupFromConfigFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sup-server.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("listen=any\ntls-cert=/etc/sup/server.pem\ntls-key=/etc/sup/server.key\nallow-plain=false\n");
    file.close();
    ServerOptions options;
    QString error;
    QVERIFY2(options.parse(args({QStringLiteral("--config"), path, QStringLiteral("--backup"), QStringLiteral("/tmp/b.db")}),
                           &error),
             qPrintable(error));
    QCOMPARE(options.server.tlsCertificate, QStringLiteral("/etc/sup/server.pem"));
    QCOMPARE(options.server.tlsKey, QStringLiteral("/etc/sup/server.key"));
    QVERIFY(!options.server.allowPlain);
    QCOMPARE(options.backupFile, QStringLiteral("/tmp/b.db"));

    ServerOptions plain;
    QVERIFY2(plain.parse(args({QStringLiteral("--allow-plain")}), &error), qPrintable(error));
    QVERIFY(plain.server.allowPlain);
    QVERIFY(!plain.server.usesTls());
}

void tst_ServerOptions::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("port") << QStringList{QStringLiteral("--port"), QStringLiteral("70000")} << "port";
    QTest::newRow("database") << QStringList{QStringLiteral("--database"), QStringLiteral("oracle")} << "database";
    QTest::newRow("empty sqlite path") << QStringList{QStringLiteral("--database"), QStringLiteral("sqlite:")} << "sqlite";
    QTest::newRow("listen") << QStringList{QStringLiteral("--listen"), QStringLiteral("server.local")} << "listen";
    QTest::newRow("workers") << QStringList{QStringLiteral("--workers"), QStringLiteral("0")} << "workers";
    QTest::newRow("demo size") << QStringList{QStringLiteral("--init-demo=huge")} << "init-demo";
    QTest::newRow("missing config") << QStringList{QStringLiteral("--config"), QStringLiteral("/nonexistent.ini")} << "configuration";
    QTest::newRow("certificate without key") << QStringList{QStringLiteral("--tls-cert"), QStringLiteral("a.pem")} << "tls-key";
    QTest::newRow("key without certificate") << QStringList{QStringLiteral("--tls-key"), QStringLiteral("a.key")} << "tls-cert";
    QTest::newRow("backup of PostgreSQL")
        << QStringList{QStringLiteral("--database"), QStringLiteral("postgres"), QStringLiteral("--backup"), QStringLiteral("b")}
        << "pg_dump";
    QTest::newRow("stray argument") << QStringList{QStringLiteral("extra")} << "extra";
}

void tst_ServerOptions::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);
    ServerOptions options;
    QString error;
    QVERIFY(!options.parse(args(arguments), &error));
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

QTEST_GUILESS_MAIN(tst_ServerOptions)
#include "tst_serveroptions.moc"
