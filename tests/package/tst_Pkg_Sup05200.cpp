// The package's entry procedure and the workspace's life: one workspace at a time, the
// filter dialog on a normal start only, the window state by screen height, the message
// hook following activation, and a clean slate after close.
#include "Cli_sup05200.h"
#include "Pkg_Sup05200.h"

#include "FakeLoginServer.h"

#include "Corvane.h"
#include "DataPacket.h"
#include "NetConnection.h"
#include "NetError.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <memory>

class tst_Pkg_Sup05200 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void normalStartOpensWorkspaceAndFilterOnce();
    void nullVariantIsNormalStart();
    void packetStartSkipsFilter();
    void secondCallReusesWorkspace();
    void closeReleasesEverythingAndReopensFresh();
    void windowStateFollowsScreenHeight_data();
    void windowStateFollowsScreenHeight();
    void messageHookFollowsActivation();
    void failedCreationLeavesNoWorkspace();
    void unloadClearsStartPacket();

private:
    static DataPacket quotationPacket(int rows);
    static QList<QMdiSubWindow *> workspaces(QMdiArea *area);
    void openSessionOn(int port);
    void closeWorkspace();

    std::unique_ptr<FakeLoginServer> m_server;
    std::unique_ptr<QMdiArea> m_area;
    int m_filterOpened = 0;
    int m_screenHeight = 768;
};

DataPacket tst_Pkg_Sup05200::quotationPacket(int rows)
{
    DataPacket packet;
    packet.addField(QStringLiteral("CDFILIAL"), FieldType::String, 4);
    packet.addField(QStringLiteral("NRCOLEPRECO"), FieldType::String, 10);
    for (int i = 1; i <= rows; ++i)
        packet.appendRow({QStringLiteral("0001"), QString::number(i).rightJustified(10, u'0')});
    return packet;
}

QList<QMdiSubWindow *> tst_Pkg_Sup05200::workspaces(QMdiArea *area)
{
    QList<QMdiSubWindow *> found;
    for (QMdiSubWindow *sub : area->subWindowList()) {
        if (sub->isVisible() && qobject_cast<TfrmGridCotaPrec *>(sub->widget()))
            found << sub;
    }
    return found;
}

void tst_Pkg_Sup05200::openSessionOn(int port)
{
    Corvane::LoginInfo login;
    login.serverHost = QStringLiteral("127.0.0.1");
    login.serverPort = port;
    login.branch = QStringLiteral("0001");
    login.operatorCode = QStringLiteral("COMPRADOR");
    login.password = QStringLiteral("demo");
    // The fake server answers the login only: the package's look-ups stay off the wire.
    login.lookups = Corvane::Lookups::Direct;
    Corvane::openSession(login);
}

void tst_Pkg_Sup05200::closeWorkspace()
{
    if (frmGridCotaPrec)
        frmGridCotaPrec->frame()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void tst_Pkg_Sup05200::initTestCase()
{
    m_server = std::make_unique<FakeLoginServer>();
    QVERIFY(m_server->port() > 0);
    openSessionOn(m_server->port());

    m_area = std::make_unique<QMdiArea>();
    m_area->resize(1000, 700);
    m_area->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_area.get()));
    Corvane::setMdiArea(m_area.get());

    Pkg_Sup05200::setFilterDialogOpener([this] { ++m_filterOpened; });
    Pkg_Sup05200::setScreenHeightProvider([this] { return m_screenHeight; });
    PackageLoad();
    QVERIFY(!boStCriado);
}

void tst_Pkg_Sup05200::init()
{
    m_filterOpened = 0;
    m_screenHeight = 768;
}

void tst_Pkg_Sup05200::cleanup()
{
    closeWorkspace();
    QVERIFY(!boStCriado);
}

void tst_Pkg_Sup05200::cleanupTestCase()
{
    Corvane::setMdiArea(nullptr);
    m_area.reset();
    Corvane::closeSession();
}

void tst_Pkg_Sup05200::normalStartOpensWorkspaceAndFilterOnce()
{
    const int loginsBefore = m_server->logins();
    IniProc(nullptr);

    QVERIFY(boStCriado);
    QVERIFY(!boConsulta);
    QVERIFY(frmGridCotaPrec);
    QCOMPARE(m_filterOpened, 1);
    QCOMPARE(frmGridCotaPrec->objectName(), QStringLiteral("frmGridCotaPrec"));
    QCOMPARE(frmGridCotaPrec->windowTitle(), QStringLiteral("Planilha de Cotação de Preços"));
    QCOMPARE(frmGridCotaPrec->property("screenCode").toString(), QStringLiteral("SUP05200"));

    // A child window of the host's MDI area, shown and in front.
    const QList<QMdiSubWindow *> subs = workspaces(m_area.get());
    QCOMPARE(subs.size(), 1);
    QCOMPARE(subs.first()->widget(), frmGridCotaPrec);
    QCOMPARE(m_area->activeSubWindow(), subs.first());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);

    // Both server connections are open, each logged in.
    QVERIFY(frmGridCotaPrec->netGridCotaPrec->connected());
    QVERIFY(frmGridCotaPrec->netSuprimentos->connected());
    QCOMPARE(frmGridCotaPrec->netGridCotaPrec->serverName(), QStringLiteral("Sup05200.rdmGridCotaPrec"));
    QCOMPARE(frmGridCotaPrec->netSuprimentos->serverName(), QStringLiteral("Sup.rdmSuprimentos"));
    QCOMPARE(m_server->logins(), loginsBefore + 2);
}

void tst_Pkg_Sup05200::nullVariantIsNormalStart()
{
    boConsulta = true;
    const QVariant none;
    IniProc(&none);
    QVERIFY(boStCriado);
    QVERIFY(!boConsulta);
    QCOMPARE(m_filterOpened, 1);
}

void tst_Pkg_Sup05200::packetStartSkipsFilter()
{
    const QVariant packet = packetVariant(quotationPacket(3));
    IniProc(&packet);

    QVERIFY(boStCriado);
    QVERIFY(boConsulta);
    QCOMPARE(m_filterOpened, 0);
    QVERIFY(isPacket(OlColetaPr));
    QCOMPARE(OlColetaPr.value<DataPacket>().rowCount(), 3);
    QCOMPARE(workspaces(m_area.get()).size(), 1);
}

void tst_Pkg_Sup05200::secondCallReusesWorkspace()
{
    IniProc(nullptr);
    TfrmGridCotaPrec *first = frmGridCotaPrec;
    const int loginsAfterFirst = m_server->logins();

    // Another sub window in front: the second call brings the workspace forward.
    QMdiSubWindow *other = m_area->addSubWindow(new QWidget);
    other->show();
    m_area->setActiveSubWindow(other);

    const QVariant packet = packetVariant(quotationPacket(2));
    IniProc(&packet);

    QCOMPARE(frmGridCotaPrec, first);
    QCOMPARE(workspaces(m_area.get()).size(), 1);
    QCOMPARE(m_filterOpened, 1);
    QCOMPARE(m_server->logins(), loginsAfterFirst);
    QCOMPARE(m_area->activeSubWindow(), first->frame());
    // The start parameter is updated even though the workspace already existed.
    QVERIFY(boConsulta);
    QCOMPARE(OlColetaPr.value<DataPacket>().rowCount(), 2);

    IniProc(nullptr);
    QCOMPARE(m_filterOpened, 1);
    QVERIFY(!boConsulta);

    other->close();
}

void tst_Pkg_Sup05200::closeReleasesEverythingAndReopensFresh()
{
    IniProc(nullptr);
    QTRY_COMPARE(m_server->openConnections(), 2);
    QPointer<TfrmGridCotaPrec> first = frmGridCotaPrec;
    QVERIFY(Corvane::hasMsgEventForm());

    first->frame()->close();
    QVERIFY(!boStCriado);
    QVERIFY(!Corvane::hasMsgEventForm());
    QVERIFY(!first->netGridCotaPrec->connected());
    QVERIFY(!first->netSuprimentos->connected());
    QTRY_COMPARE(m_server->openConnections(), 0);
    QTRY_VERIFY(first.isNull());
    QVERIFY(!frmGridCotaPrec);

    IniProc(nullptr);
    QVERIFY(boStCriado);
    QVERIFY(frmGridCotaPrec);
    QCOMPARE(m_filterOpened, 2);
    QCOMPARE(workspaces(m_area.get()).size(), 1);
    QVERIFY(frmGridCotaPrec->netGridCotaPrec->connected());
}

void tst_Pkg_Sup05200::windowStateFollowsScreenHeight_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("maximised");
    QTest::newRow("480") << 480 << true;
    QTest::newRow("479") << 479 << false;
    QTest::newRow("481") << 481 << false;
    QTest::newRow("1080") << 1080 << false;
}

void tst_Pkg_Sup05200::windowStateFollowsScreenHeight()
{
    QFETCH(int, height);
    QFETCH(bool, maximised);
    m_screenHeight = height;
    IniProc(nullptr);
    QCOMPARE(frmGridCotaPrec->frame()->isMaximized(), maximised);

    // A later call applies the rule again.
    m_screenHeight = maximised ? 768 : 480;
    IniProc(nullptr);
    QCOMPARE(frmGridCotaPrec->frame()->isMaximized(), !maximised);
}

void tst_Pkg_Sup05200::messageHookFollowsActivation()
{
    IniProc(nullptr);
    QVERIFY(frmGridCotaPrec->isActiveForm());
    QVERIFY(Corvane::hasMsgEventForm());

    QMdiSubWindow *other = m_area->addSubWindow(new QWidget);
    other->show();
    m_area->setActiveSubWindow(other);
    QVERIFY(!frmGridCotaPrec->isActiveForm());
    QVERIFY(!Corvane::hasMsgEventForm());

    m_area->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(frmGridCotaPrec->frame()));
    QVERIFY(frmGridCotaPrec->isActiveForm());
    QVERIFY(Corvane::hasMsgEventForm());

    other->close();
}

void tst_Pkg_Sup05200::failedCreationLeavesNoWorkspace()
{
    int deadPort = 0;
    {
        FakeLoginServer gone;
        deadPort = gone.port();
        openSessionOn(deadPort);
    }
    QVERIFY_THROWS_EXCEPTION(NetError, IniProc(nullptr));
    QVERIFY(!boStCriado);
    QVERIFY(!frmGridCotaPrec);
    QCOMPARE(m_filterOpened, 0);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QCOMPARE(workspaces(m_area.get()).size(), 0);

    openSessionOn(m_server->port());
    IniProc(nullptr);
    QVERIFY(boStCriado);
}

void tst_Pkg_Sup05200::unloadClearsStartPacket()
{
    const QVariant packet = packetVariant(quotationPacket(1));
    IniProc(&packet);
    PackageUnload();
    QVERIFY(OlColetaPr.isNull());
}

QTEST_MAIN(tst_Pkg_Sup05200)
#include "tst_Pkg_Sup05200.moc"
