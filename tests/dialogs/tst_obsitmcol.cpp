// The item observation against the real server: the key sent in its order to both calls,
// a long observation shown whole with typing held at 300 characters, storing (also without
// a change), a failed opening that shows nothing, and two buyers editing one observation:
// the second store is refused and keeps what its buyer typed.
#include "Cli_sup05219.h"
#include "QuotationContext.h"

#include "ProductsPageData.h"
#include "QuotationTestData.h"
#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DBMemo.h"

#include <QDir>
#include <QFile>
#include <QToolButton>
#include <QtTest>

using Item = ProductsPageData::Item;

namespace {

Item item(int region, int supplier, int product, int brand)
{
    Item i;
    i.region = region;
    i.supplier = supplier;
    i.product = product;
    i.brand = brand;
    i.price = 10;
    return i;
}

} // namespace

class tst_ObsItmCol : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void theItemOfTheKeyIsShownWhole();
    void confirmStoresTheTextEvenUnchanged();
    void anUnknownItemOpensNothing();
    void twoBuyersNeverOverwriteEachOther();

private:
    std::unique_ptr<TfrmGridObsItmCol> open(const QStringList &key);
    QStringList key(const Item &i) const;
    void setObservation(const Item &i, const QString &text);
    QString observation(const Item &i);
    int serverCalls(const QString &method) const;
    void typeAtEnd(DBMemo *memo, const QString &text);

    ServerFixture m_server;
    std::unique_ptr<ProductsPageData> m_data;
    std::unique_ptr<QuotationContext> m_context;
    QString m_number;
};

void tst_ObsItmCol::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_data = std::make_unique<ProductsPageData>(m_server);
    QVERIFY2(m_data->ensureMasterData(&error), qPrintable(error));
    QVERIFY2(m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
}

void tst_ObsItmCol::cleanup()
{
    m_context.reset();
    m_data->removeQuotations();
    m_server.ui().clear();
}

void tst_ObsItmCol::cleanupTestCase()
{
    m_server.stop();
}

QStringList tst_ObsItmCol::key(const Item &i) const
{
    return {QStringLiteral("0001"), m_number, m_data->region(i.region), m_data->supplier(i.supplier),
            m_data->product(i.product), m_data->brand(i.brand)};
}

std::unique_ptr<TfrmGridObsItmCol> tst_ObsItmCol::open(const QStringList &key)
{
    if (!m_context)
        m_context = QuotationTestData::context(QDate::currentDate().addDays(-1), QDate::currentDate().addDays(7));
    auto dialog = std::make_unique<TfrmGridObsItmCol>(*m_context, key);
    dialog->load();
    dialog->show();
    if (!QTest::qWaitForWindowActive(dialog.get()))
        qWarning("the observation did not become active");
    return dialog;
}

void tst_ObsItmCol::setObservation(const Item &i, const QString &text)
{
    const QStringList k = key(i);
    QVERIFY(m_server.execute(QStringLiteral("UPDATE ITCOLETAPR SET DSOBSITMCOL = :O WHERE CDFILIAL = :F AND "
                                            "NRCOLEPRECO = :N AND CDREGIAO = :R AND CDFORNECED = :S AND "
                                            "CDPRODUTO = :P AND CDMARCA = :M"),
                             {{QStringLiteral("O"), text}, {QStringLiteral("F"), k[0]}, {QStringLiteral("N"), k[1]},
                              {QStringLiteral("R"), k[2]}, {QStringLiteral("S"), k[3]}, {QStringLiteral("P"), k[4]},
                              {QStringLiteral("M"), k[5]}}));
}

QString tst_ObsItmCol::observation(const Item &i)
{
    const QStringList k = key(i);
    return m_server
        .scalar(QStringLiteral("SELECT DSOBSITMCOL FROM ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = :N AND "
                               "CDREGIAO = :R AND CDFORNECED = :S AND CDPRODUTO = :P AND CDMARCA = :M"),
                {{QStringLiteral("F"), k[0]}, {QStringLiteral("N"), k[1]}, {QStringLiteral("R"), k[2]},
                 {QStringLiteral("S"), k[3]}, {QStringLiteral("P"), k[4]}, {QStringLiteral("M"), k[5]}})
        .toString();
}

int tst_ObsItmCol::serverCalls(const QString &method) const
{
    QFile log(QDir(m_server.folder()).filePath(QStringLiteral("server.log")));
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray needle = "method=" + method.toLatin1() + ' ';
    int calls = 0;
    for (const QByteArray &line : log.readAll().split('\n'))
        calls += line.contains(needle) ? 1 : 0;
    return calls;
}

void tst_ObsItmCol::typeAtEnd(DBMemo *memo, const QString &text)
{
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(memo, text);
}

void tst_ObsItmCol::theItemOfTheKeyIsShownWhole()
{
    // Items that differ in one key part each: a key sent out of order finds another one.
    const Item mine = item(1, 2, 0, 1);
    const Item others[] = {item(2, 1, 0, 1), item(1, 2, 1, 0), item(1, 2, 0, 0)};
    QString error;
    QVERIFY2(m_data->createQuotation({mine, others[0], others[1], others[2]}, &m_number, &error), qPrintable(error));
    const QString longText = QString(400, u'x');
    setObservation(mine, longText);
    for (const Item &other : others)
        setObservation(other, QStringLiteral("other"));
    auto d = open(key(mine));
    QCOMPARE(d->dbmObsItm->toPlainText(), longText);
    QCOMPARE(d->key(), key(mine));
    // Over the limit already: typing adds nothing.
    typeAtEnd(d->dbmObsItm, QStringLiteral("abc"));
    QCOMPARE(d->dbmObsItm->toPlainText(), longText);
    d->reject();

    setObservation(mine, QString(298, u'y'));
    d = open(key(mine));
    typeAtEnd(d->dbmObsItm, QStringLiteral("abcd"));
    QCOMPARE(d->dbmObsItm->toPlainText(), QString(298, u'y') + QStringLiteral("ab"));
    if (const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QDir().mkpath(folder);
        QTest::qWait(50);
        QVERIFY(d->grab().save(QDir(folder).filePath(QStringLiteral("observation-dialog.png"))));
    }
    d->sbtConfirmar->click();
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(observation(mine), QString(298, u'y') + QStringLiteral("ab"));
    for (const Item &other : others)
        QCOMPARE(observation(other), QStringLiteral("other"));
}

void tst_ObsItmCol::confirmStoresTheTextEvenUnchanged()
{
    const Item mine = item(0, 0, 0, 0);
    QString error;
    QVERIFY2(m_data->createQuotation({mine}, &m_number, &error), qPrintable(error));
    setObservation(mine, QStringLiteral("entrega em 5 dias"));
    auto d = open(key(mine));
    const int stores = serverCalls(QStringLiteral("SetObsItmCol"));
    d->sbtConfirmar->click();
    QCOMPARE(m_server.ui().errors(), QStringList());
    QVERIFY(!d->isVisible());
    QCOMPARE(serverCalls(QStringLiteral("SetObsItmCol")), stores + 1);
    QCOMPARE(observation(mine), QStringLiteral("entrega em 5 dias"));
    QVERIFY(!m_server.ui().progressActive());

    // Cancel sends nothing.
    d = open(key(mine));
    typeAtEnd(d->dbmObsItm, QStringLiteral(" e frete pago"));
    d->sbtCancelar->click();
    QCOMPARE(serverCalls(QStringLiteral("SetObsItmCol")), stores + 1);
    QCOMPARE(observation(mine), QStringLiteral("entrega em 5 dias"));
}

void tst_ObsItmCol::anUnknownItemOpensNothing()
{
    const Item mine = item(0, 0, 0, 0);
    QString error;
    QVERIFY2(m_data->createQuotation({mine}, &m_number, &error), qPrintable(error));
    m_context = QuotationTestData::context(QDate::currentDate().addDays(-1), QDate::currentDate().addDays(7));
    QStringList k = key(item(0, 0, 3, 0));
    const bool opened = Consiste::runGuarded([this, k] {
        CriaObsItmCol(*m_context, k[0], k[1], k[2], k[3], k[4], k[5]);
    });
    QVERIFY(!opened);
    QCOMPARE(m_server.ui().errors().size(), 1);
    QVERIFY2(m_server.ui().errors().first().contains(m_number), qPrintable(m_server.ui().errors().first()));
    QVERIFY(!QApplication::activeModalWidget());
}

void tst_ObsItmCol::twoBuyersNeverOverwriteEachOther()
{
    const Item mine = item(0, 0, 0, 0);
    QString error;
    QVERIFY2(m_data->createQuotation({mine}, &m_number, &error), qPrintable(error));
    setObservation(mine, QStringLiteral("antes"));
    auto first = open(key(mine));
    auto second = open(key(mine));
    typeAtEnd(second->dbmObsItm, QStringLiteral(" - segundo"));
    second->sbtConfirmar->click();
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(observation(mine), QStringLiteral("antes - segundo"));

    typeAtEnd(first->dbmObsItm, QStringLiteral(" - primeiro"));
    first->sbtConfirmar->click();
    QCOMPARE(m_server.ui().errors().size(), 1);
    QVERIFY2(m_server.ui().errors().first().contains(QStringLiteral("alterada por outro usuário")),
             qPrintable(m_server.ui().errors().first()));
    // Nothing overwritten; the first buyer's text is still in the open dialog.
    QCOMPARE(observation(mine), QStringLiteral("antes - segundo"));
    QVERIFY(first->isVisible());
    QCOMPARE(first->dbmObsItm->toPlainText(), QStringLiteral("antes - primeiro"));
    QVERIFY(!m_server.ui().progressActive());
}

QTEST_MAIN(tst_ObsItmCol)
#include "tst_obsitmcol.moc"
