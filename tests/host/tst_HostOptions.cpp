#include "HostOptions.h"

#include <QTest>

class tst_HostOptions : public QObject
{
    Q_OBJECT

private slots:
    void scriptedRun();
    void passwordOnlyFromEnvironment();
    void tlsOptions();
    void lookupMode();
    void rejectsBadInput_data();
    void rejectsBadInput();
};

namespace {

QProcessEnvironment environmentWithPassword(const QString &password)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("SUP_PASSWORD"), password);
    return environment;
}

} // namespace

void tst_HostOptions::scriptedRun()
{
    HostOptions options;
    QString error;
    QVERIFY2(options.parse({"sup-host", "--server", "10.0.0.5", "--port", "7300", "--branch", "0001",
                            "--operator", "COMP01", "--database", "sqlite:/var/demo.db", "--module",
                            "sup05200", "--screenshot", "/tmp/shot.png"},
                           environmentWithPassword(QStringLiteral("demo")), &error),
             qPrintable(error));
    QCOMPARE(options.server, QStringLiteral("10.0.0.5"));
    QCOMPARE(options.port, 7300);
    QCOMPARE(options.branch, QStringLiteral("0001"));
    QCOMPARE(options.operatorCode, QStringLiteral("COMP01"));
    QCOMPARE(options.database, QStringLiteral("sqlite:/var/demo.db"));
    QCOMPARE(options.module, QStringLiteral("SUP05200"));
    QCOMPARE(options.screenshot, QStringLiteral("/tmp/shot.png"));
    QCOMPARE(options.password, QStringLiteral("demo"));
    QVERIFY(options.canLogInDirectly());
}

void tst_HostOptions::passwordOnlyFromEnvironment()
{
    HostOptions options;
    QString error;
    // Without SUP_PASSWORD the login dialog must ask, even with everything else given.
    QVERIFY(options.parse({"sup-host", "--server", "h", "--port", "1", "--branch", "0001", "--operator", "X"},
                          QProcessEnvironment(), &error));
    QVERIFY(!options.canLogInDirectly());

    // An empty password is still a given password.
    QVERIFY(options.parse({"sup-host", "--server", "h", "--port", "1", "--branch", "0001", "--operator", "X"},
                          environmentWithPassword(QString()), &error));
    QVERIFY(options.canLogInDirectly());

    // There is no option for it.
    QVERIFY(!options.parse({"sup-host", "--password", "secret"}, QProcessEnvironment(), &error));
}

void tst_HostOptions::tlsOptions()
{
    HostOptions options;
    QString error;
    QVERIFY(options.parse({"sup-host", "--server", "h"}, QProcessEnvironment(), &error));
    QVERIFY(!options.tls);
    QVERIFY(options.parse({"sup-host", "--tls"}, QProcessEnvironment(), &error));
    QVERIFY(options.tls);
    QVERIFY(options.caFile.isEmpty());
    // A CA file means TLS: trusting a CA is pointless on a plain connection.
    HostOptions withCa;
    QVERIFY(withCa.parse({"sup-host", "--ca-file", "/etc/sup/ca.pem"}, QProcessEnvironment(), &error));
    QVERIFY(withCa.tls);
    QCOMPARE(withCa.caFile, QStringLiteral("/etc/sup/ca.pem"));
}

void tst_HostOptions::lookupMode()
{
    HostOptions options;
    QString error;
    QVERIFY2(options.parse({"sup-host", "--lookups", "Server"}, QProcessEnvironment(), &error), qPrintable(error));
    QCOMPARE(options.lookups, QStringLiteral("server"));
    QVERIFY2(options.parse({"sup-host", "--lookups", "direct", "--database", "sqlite:/x.db"}, QProcessEnvironment(),
                           &error),
             qPrintable(error));
    QCOMPARE(options.lookups, QStringLiteral("direct"));
    // Not given: decided at login (direct with a database, else through the server).
    QVERIFY(options.parse({"sup-host"}, QProcessEnvironment(), &error));
    QVERIFY(options.lookups.isEmpty());
}

void tst_HostOptions::rejectsBadInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown option") << QStringList{"sup-host", "--verbose"};
    QTest::newRow("missing value") << QStringList{"sup-host", "--server"};
    QTest::newRow("port not a number") << QStringList{"sup-host", "--port", "abc"};
    QTest::newRow("port zero") << QStringList{"sup-host", "--port", "0"};
    QTest::newRow("port too large") << QStringList{"sup-host", "--port", "70000"};
    QTest::newRow("stray argument") << QStringList{"sup-host", "extra"};
    QTest::newRow("unknown look-up mode") << QStringList{"sup-host", "--lookups", "database"};
    QTest::newRow("empty look-up mode") << QStringList{"sup-host", "--lookups", ""};
}

void tst_HostOptions::rejectsBadInput()
{
    QFETCH(QStringList, arguments);
    HostOptions options;
    QString error;
    QVERIFY(!options.parse(arguments, QProcessEnvironment(), &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(tst_HostOptions)
#include "tst_HostOptions.moc"
