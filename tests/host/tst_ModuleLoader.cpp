// The host opens the quotation package the way it ships: by name from the program's
// folder, without linking it, calling its load hook once and its IniProc each time.
#include "MainWindow.h"
#include "ModuleLoader.h"

#include "FakeLoginServer.h"

#include "Corvane.h"
#include "DataPacket.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

class tst_ModuleLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void packageName();
    void opensTheBuiltPackage();
    void missingModuleNamesIt();

private:
    std::unique_ptr<FakeLoginServer> m_server;
};

void tst_ModuleLoader::initTestCase()
{
    m_server = std::make_unique<FakeLoginServer>();
    Corvane::LoginInfo login;
    login.serverHost = QStringLiteral("127.0.0.1");
    login.serverPort = m_server->port();
    login.branch = QStringLiteral("0001");
    login.operatorCode = QStringLiteral("COMP01");
    login.password = QStringLiteral("demo");
    Corvane::openSession(login);
}

void tst_ModuleLoader::cleanupTestCase()
{
    Corvane::closeSession();
}

void tst_ModuleLoader::packageName()
{
    QCOMPARE(ModuleLoader::packageName(QStringLiteral("SUP05200")), QStringLiteral("PKG_SUP05200"));
    QCOMPARE(ModuleLoader::packageName(QStringLiteral(" sup05200 ")), QStringLiteral("PKG_SUP05200"));
}

void tst_ModuleLoader::opensTheBuiltPackage()
{
    ModuleLoader loader(QCoreApplication::applicationDirPath());
    MainWindow window(&loader);
    window.show();
    QVERIFY(!loader.isLoaded(QStringLiteral("SUP05200")));

    // A start on a packet of quotations: no filter dialog to wait for.
    DataPacket packet;
    packet.addField(QStringLiteral("NRCOLEPRECO"), FieldType::String, 10);
    packet.appendRow({QStringLiteral("0000000001")});
    loader.open(QStringLiteral("SUP05200"), packetVariant(packet));
    QVERIFY(loader.isLoaded(QStringLiteral("SUP05200")));

    QList<QMdiSubWindow *> subs = window.mdiArea()->subWindowList();
    QCOMPARE(subs.size(), 1);
    QCOMPARE(subs.first()->widget()->objectName(), QStringLiteral("frmGridCotaPrec"));
    QCOMPARE(subs.first()->windowTitle(), QStringLiteral("Planilha de Cotação de Preços"));
    QCOMPARE(window.mdiArea()->activeSubWindow(), subs.first());
    // The package works in the host's session: its workspace registered the hook.
    QVERIFY(Corvane::hasMsgEventForm());

    // Opening again reaches the same package state: still one workspace.
    loader.open(QStringLiteral("SUP05200"), packetVariant(packet));
    QCOMPARE(window.mdiArea()->subWindowList().size(), 1);

    window.close();
    QVERIFY(!Corvane::hasMsgEventForm());
    loader.unloadAll();
}

void tst_ModuleLoader::missingModuleNamesIt()
{
    ModuleLoader loader(QCoreApplication::applicationDirPath());
    try {
        loader.open(QStringLiteral("SUP00000"));
        QFAIL("a missing package must raise");
    } catch (const ModuleError &error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("Não foi possível carregar o módulo SUP00000")),
                 qPrintable(error.message()));
    }
    QVERIFY(!loader.isLoaded(QStringLiteral("SUP00000")));
}

QTEST_MAIN(tst_ModuleLoader)
#include "tst_ModuleLoader.moc"
