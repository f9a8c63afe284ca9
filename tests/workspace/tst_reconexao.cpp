// The application server goes away under the products page: killed between two calls,
// and killed while the confirmation is on its way.  The buyer is told in words, every
// keyed price stays pending in the page, the interrupted store is not sent again behind
// the buyer's back, and once the server is back the next confirmation connects again
// with the session token (the password is no longer in the process) and stores the
// prices.  Each test writes its own quotation (ProductsPageData) on a server of its own.
#include "Cli_sup05200.h"

#include "ClientDataSet.h"
#include "DBGrid.h"
#include "NetConnection.h"
#include "PageControl.h"
#include "ProductsPageData.h"
#include "QuotationContext.h"
#include "ServerFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QToolButton>

#include <memory>

using Item = ProductsPageData::Item;

namespace {

const QString kKept = QStringLiteral("Nada do que foi digitado foi descartado");
const QString kUnreachable = QStringLiteral("não pode ser acessado");
const QString kInterrupted = QStringLiteral("A conexão com o servidor de aplicação foi perdida durante SetItemCole; "
                                            "não se sabe se o servidor concluiu a gravação.");

Item item(int product, double price)
{
    Item i;
    i.product = product;
    i.price = price;
    return i;
}

} // namespace

class tst_Reconexao : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void serverGoneBetweenCallsKeepsPricesAndReconnectsWithoutLogin();
    void serverGoneDuringStoreIsToldAndNotSentAgain();

private:
    TfrmGridCotaPrec *openOnQuotation(const QString &number);
    bool activate(TfrmGridCotaPrec *form);
    void keyPrice(TfrmGridCotaPrec *form, int product, const QString &price);
    void pressConfirm(TfrmGridCotaPrec *form);
    double storedPrice(const QString &number, int product);
    // Lines of the server's log (over every start) that hold text.
    int logLines(const QString &text) const;

    std::unique_ptr<ServerFixture> m_server;
    std::unique_ptr<ProductsPageData> m_data;
    std::shared_ptr<TfrmGridCotaPrec> m_form;
};

void tst_Reconexao::init()
{
    // A server per test: each one kills it.
    m_server = std::make_unique<ServerFixture>();
    m_data = std::make_unique<ProductsPageData>(*m_server);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
    m_server->useTemporarySettings();
    QVERIFY2(m_data->ensureMasterData(&error), qPrintable(error));
    // Changing a price above zero asks no justification here.
    QVERIFY2(m_server->execute(QStringLiteral("UPDATE PARASUPRI SET IDAUDALTCOT = 'N'"), {}, &error), qPrintable(error));
    QVERIFY2(m_server->login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
}

void tst_Reconexao::cleanup()
{
    if (m_form)
        m_form->FormClose();
    m_form.reset();
    m_server->stop();
    m_data.reset();
    m_server.reset();
}

TfrmGridCotaPrec *tst_Reconexao::openOnQuotation(const QString &number)
{
    m_form = std::make_shared<TfrmGridCotaPrec>();
    TfrmGridCotaPrec *form = m_form.get();
    frmGridCotaPrec = form;
    boStCriado = true;
    form->FormCreate();
    form->resize(1100, 700);
    form->show();
    form->FormActivate();
    form->AtualizaCotacao(QString(), QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T"),
                          QStringLiteral("T"), QDate(), QDate());
    if (!form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number) || !activate(form))
        return nullptr;
    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    return form->cdsGridProdMarc->active() ? form : nullptr;
}

bool tst_Reconexao::activate(TfrmGridCotaPrec *form)
{
    form->activateWindow();
    return QTest::qWaitForWindowActive(form);
}

void tst_Reconexao::keyPrice(TfrmGridCotaPrec *form, int product, const QString &price)
{
    QVERIFY(form->cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"),
                                          QVariantList{m_data->product(product), m_data->brand(0)}));
    QVERIFY(activate(form));
    DBGrid *grid = form->dbgGridProdMarc;
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus() || grid->isAncestorOf(QApplication::focusWidget()));
    grid->setSelectedField(QStringLiteral("VRPRECUNIITM"));
    for (QChar c : price)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Browse);
}

void tst_Reconexao::pressConfirm(TfrmGridCotaPrec *form)
{
    QVERIFY(activate(form));
    form->Habilita();
    QVERIFY(form->sbtConfirmar->isEnabled());
    form->sbtConfirmar->click();
}

double tst_Reconexao::storedPrice(const QString &number, int product)
{
    return m_server
        ->scalar(QStringLiteral("SELECT VRPRECUNIITM FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N AND "
                                "CDPRODUTO = :P AND CDMARCA = :M"),
                 {{QStringLiteral("N"), number}, {QStringLiteral("P"), m_data->product(product)},
                  {QStringLiteral("M"), m_data->brand(0)}})
        .toDouble();
}

int tst_Reconexao::logLines(const QString &text) const
{
    QFile log(QDir(m_server->folder()).filePath(QStringLiteral("server.log")));
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    int lines = 0;
    for (const QByteArray &line : log.readAll().split('\n'))
        lines += QString::fromUtf8(line).contains(text) ? 1 : 0;
    return lines;
}

void tst_Reconexao::serverGoneBetweenCallsKeepsPricesAndReconnectsWithoutLogin()
{
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 5), item(1, 4)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    // After the login the process holds the session token, not the password.
    QVERIFY(NetConnection::defaultCredentials().password.isEmpty());
    QVERIFY(!NetConnection::defaultCredentials().token.isEmpty());

    keyPrice(form, 0, QStringLiteral("6"));
    keyPrice(form, 1, QStringLiteral("7"));
    QCOMPARE(form->cdsGridProdMarc->changeCount(), 2);

    m_server->kill();
    QTest::qWait(100);   // the page's connections see the end
    m_server->ui().clear();
    pressConfirm(form);
    const QStringList errors = m_server->ui().errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.constFirst().contains(kUnreachable) && errors.constFirst().contains(kKept),
             qPrintable(errors.constFirst()));
    // Nothing was taken back: both prices are still pending in the page.
    QCOMPARE(form->cdsGridProdMarc->changeCount(), 2);
    QCOMPARE(form->cdsGridProdMarc->lookup(QStringLiteral("CDPRODUTO"), m_data->product(0),
                                           QStringLiteral("VRPRECUNIITM")).toDouble(), 6.0);
    QCOMPARE(storedPrice(number, 0), 5.0);

    // Back again: the next confirmation logs in with the token and stores.
    QVERIFY2(m_server->restart(&error), qPrintable(error));
    m_server->ui().clear();
    pressConfirm(form);
    QCOMPARE(m_server->ui().errors(), QStringList());
    QCOMPARE(storedPrice(number, 0), 6.0);
    QCOMPARE(storedPrice(number, 1), 7.0);
    QCOMPARE(form->cdsGridProdMarc->changeCount(), 0);
    QVERIFY(logLines(QStringLiteral("by session token")) >= 1);
    QCOMPARE(logLines(QStringLiteral("login refused")), 0);
}

void tst_Reconexao::serverGoneDuringStoreIsToldAndNotSentAgain()
{
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 5), item(1, 4)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    keyPrice(form, 0, QStringLiteral("8"));

    // The confirmation validates the rows (one call), then stores them: the server dies
    // as the store starts, when the request is already on its way on a connection that
    // still looks alive.
    NetConnection *net = form->context()->netGridCotaPrec();
    const auto previous = net->onBusy;
    int calls = 0;
    net->onBusy = [this, previous, &calls](bool busy) {
        if (previous)
            previous(busy);
        if (busy && ++calls == 2)
            m_server->kill();
    };
    m_server->ui().clear();
    pressConfirm(form);
    net->onBusy = previous;
    QCOMPARE(calls, 2);   // nothing was sent again
    QCOMPARE(m_server->ui().errors().size(), 1);
    QVERIFY2(m_server->ui().errors().constFirst().startsWith(kInterrupted), qPrintable(m_server->ui().errors().constFirst()));
    QVERIFY(m_server->ui().errors().constFirst().contains(kKept));
    QCOMPARE(form->cdsGridProdMarc->changeCount(), 1);

    QVERIFY2(m_server->restart(&error), qPrintable(error));
    m_server->ui().clear();
    pressConfirm(form);
    QCOMPARE(m_server->ui().errors(), QStringList());
    QCOMPARE(storedPrice(number, 0), 8.0);
    QCOMPARE(form->cdsGridProdMarc->changeCount(), 0);
}

QTEST_MAIN(tst_Reconexao)
#include "tst_reconexao.moc"
