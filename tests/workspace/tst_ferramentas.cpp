// The quotation tools of the workspace against a real server: every tool's hint, menu
// caption and shortcut; the negotiation/simulation and spreadsheet modules opened with
// their arrays exactly after the item's check (an inconsistent item opens nothing), the
// origin "L" turned "G", and the page back on the same item; the observation, best-price
// and readjustment dialogs opened for the current item; quantities to buy and payment
// terms with the reload of the page shown, and a refresh that never drops prices typed.
#include "Cli_sup05200.h"
#include "Cli_sup05219.h"
#include "QuotationContext.h"

#include "ClientDataSet.h"
#include "Corvane.h"
#include "DBGrid.h"
#include "NumberEdit.h"
#include "PageControl.h"
#include "ProductsPageData.h"
#include "ServerFixture.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

using Kind = ScriptedUserInterface::Kind;
using Item = ProductsPageData::Item;

namespace {

Item item(int region, int supplier, int product, int brand, double price)
{
    Item i;
    i.region = region;
    i.supplier = supplier;
    i.product = product;
    i.brand = brand;
    i.price = price;
    return i;
}

// Runs whileOpen once the modal dialog named objectName is active; closes it afterwards.
std::shared_ptr<bool> whenModal(const QString &objectName, std::function<void(QDialog &)> whileOpen)
{
    auto ran = std::make_shared<bool>(false);
    auto *poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, ran, objectName, whileOpen] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->objectName() != objectName || !dialog->isVisible())
            return;
        poll->stop();
        *ran = true;
        whileOpen(*dialog);
        if (dialog->isVisible())
            dialog->reject();
        poll->deleteLater();
    });
    poll->start();
    return ran;
}

struct Opened
{
    QString module;
    QVariantList params;
    QString originWhenOpened;
};

} // namespace

class tst_Ferramentas : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void toolsCarryTheirHintsCaptionsAndShortcuts_data();
    void toolsCarryTheirHintsCaptionsAndShortcuts();
    void simulationOpensTheItemAndComesBackToIt();
    void simulationLeavesAnotherOriginAlone();
    void spreadsheetOpensTheItemAndMovesNothing();
    void inconsistentItemOpensNoModule();
    void dialogsOpenForTheCurrentItem();
    void readjustmentReloadsTheSupplierShown();
    void quantitiesToBuyOnlyAfterYes();
    void paymentTermsRefreshThePageButKeepPricesTyped();
    void refreshOfAConsultationListsTheCurrentBuyersValidity();

private:
    TfrmGridCotaPrec *openOnQuotation(const QString &number);
    bool showQuotation(TfrmGridCotaPrec *form, const QString &number);
    void moveTo(TfrmGridCotaPrec *form, int region, int supplier, int product, int brand);
    int serverCalls(const QString &method) const;
    QString field(const ClientDataSet *ds, const char *name) const;
    double storedPrice(const QString &number, int region, int supplier, int product);

    ServerFixture m_server;
    ProductsPageData m_data{m_server};
    QList<std::shared_ptr<TfrmGridCotaPrec>> m_forms;
    QList<Opened> m_opened;
    QList<std::function<void()>> m_restore;
};

void tst_Ferramentas::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    QVERIFY2(m_data.ensureMasterData(&error), qPrintable(error));
}

void tst_Ferramentas::cleanup()
{
    for (const auto &form : std::as_const(m_forms))
        form->FormClose();
    m_forms.clear();
    for (const auto &restore : std::as_const(m_restore))
        restore();
    m_restore.clear();
    m_opened.clear();
    boConsulta = false;
    Corvane::setModuleLoader({});
    m_data.removeQuotations();
    m_server.ui().clear();
    m_server.logout();
}

void tst_Ferramentas::cleanupTestCase()
{
    m_server.stop();
}

TfrmGridCotaPrec *tst_Ferramentas::openOnQuotation(const QString &number)
{
    QString error;
    if (!Corvane::sessionOpen() && !m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error))
        qFatal("login: %s", qPrintable(error));
    // The host's module loader: records what each module is opened with, and the origin of
    // the quotation at that moment.
    Corvane::setModuleLoader([this](const QString &module, const QVariantList &params) {
        m_opened << Opened{module, params,
                           frmGridCotaPrec->cdsColetapr->fieldByName(QStringLiteral("IDTIPCOLREG"))->asString()};
    });
    auto form = std::make_shared<TfrmGridCotaPrec>();
    m_forms << form;
    frmGridCotaPrec = form.get();
    boStCriado = true;
    form->FormCreate();
    form->resize(1100, 700);
    form->show();
    form->FormActivate();
    form->AtualizaCotacao(QString(), QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T"),
                          QStringLiteral("T"), QDate(), QDate());
    return showQuotation(form.get(), number) ? form.get() : nullptr;
}

bool tst_Ferramentas::showQuotation(TfrmGridCotaPrec *form, const QString &number)
{
    if (form->currentPage() != TfrmGridCotaPrec::Page::Cot) {
        form->pgcPadrao->setActivePage(form->tshCotacao);
        form->pgcPadraoChange();
    }
    form->activateWindow();
    if (!form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number) || !QTest::qWaitForWindowActive(form))
        return false;
    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    return form->cdsGridRegiao->active();
}

void tst_Ferramentas::moveTo(TfrmGridCotaPrec *form, int region, int supplier, int product, int brand)
{
    QVERIFY(form->cdsGridRegiao->locate(QStringLiteral("CDREGIAO"), m_data.region(region)));
    QVERIFY(form->cdsGridFornecedor->locate(QStringLiteral("CDFORNECED"), m_data.supplier(supplier)));
    QVERIFY(form->cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"),
                                          QVariantList{m_data.product(product), m_data.brand(brand)}));
}

int tst_Ferramentas::serverCalls(const QString &method) const
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

QString tst_Ferramentas::field(const ClientDataSet *ds, const char *name) const
{
    return ds->fieldByName(QLatin1String(name))->asString();
}

double tst_Ferramentas::storedPrice(const QString &number, int region, int supplier, int product)
{
    return m_server
        .scalar(QStringLiteral("SELECT VRPRECUNIITM FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N AND "
                               "CDREGIAO = :R AND CDFORNECED = :F AND CDPRODUTO = :P"),
                {{QStringLiteral("N"), number}, {QStringLiteral("R"), m_data.region(region)},
                 {QStringLiteral("F"), m_data.supplier(supplier)}, {QStringLiteral("P"), m_data.product(product)}})
        .toDouble();
}

// --- the commands ------------------------------------------------------------------------------------

void tst_Ferramentas::toolsCarryTheirHintsCaptionsAndShortcuts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::newRow("Simulacao") << "Simulacao" << "Negociar/Simular" << "Ne&gociar/Simular"
                               << QKeySequence(Qt::CTRL | Qt::Key_S);
    QTest::newRow("AutoMelhor") << "AutoMelhor" << "Carregar Melhores Preços" << "Ca&rregar Melhores Preços"
                                << QKeySequence();
    QTest::newRow("Obs") << "Obs" << "Visualizar Observação" << "&Visualizar Observação"
                         << QKeySequence(Qt::CTRL | Qt::Key_O);
    QTest::newRow("Planilha") << "Planilha" << "Informações da Planilha" << "Infor&mações da Planilha"
                              << QKeySequence();
    QTest::newRow("QtComprar") << "QtComprar" << "Carregar Quantidade a Comprar" << "Carregar Quantidade a Comprar"
                               << QKeySequence();
    QTest::newRow("ReajustPr") << "ReajustPr" << "Reajustar Preços" << "Reajustar Preços" << QKeySequence();
    QTest::newRow("AtualizaFormPgto") << "AtualizaFormPgto" << "Atualizar Forma de Pagamento"
                                      << "Atualizar Forma de Pagamento" << QKeySequence();
}

void tst_Ferramentas::toolsCarryTheirHintsCaptionsAndShortcuts()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    if (m_forms.isEmpty()) {
        QString number, error;
        QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5)}, &number, &error), qPrintable(error));
        QVERIFY(openOnQuotation(number));
    }
    TfrmGridCotaPrec *form = m_forms.first().get();
    auto *button = form->findChild<QToolButton *>(QStringLiteral("sbt") + name);
    auto *menu = form->findChild<QAction *>(QStringLiteral("mnu") + name);
    QVERIFY(button);
    QVERIFY(menu);
    QCOMPARE(button->toolTip(), hint);
    QCOMPARE(menu->text(), caption);
    QCOMPARE(menu->shortcut(), shortcut);
}

// --- the modules of the item -------------------------------------------------------------------------

void tst_Ferramentas::simulationOpensTheItemAndComesBackToIt()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(1, 0, 0, 0, 5), item(1, 1, 0, 0, 5),
                                      item(1, 1, 1, 1, 5), item(1, 1, 2, 0, 5)},
                                     &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    moveTo(form, 1, 1, 1, 1);
    form->Habilita();
    QVERIFY(form->sbtSimulacao->isEnabled());
    const int regionLoads = serverCalls(QStringLiteral("GetGridRegiao"));
    form->sbtSimulacao->click();
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened[0].module, QStringLiteral("SUP01802"));
    QCOMPARE(m_opened[0].params,
             (QVariantList{QStringLiteral("0001"), number, m_data.supplier(1), m_data.product(1), m_data.tree(1),
                           m_data.brand(1), m_data.region(1), QStringLiteral(" ")}));
    // Loaded from a list: keyed in the grid once the item is checked, before the module opens.
    QCOMPARE(m_opened[0].originWhenOpened, QStringLiteral("G"));
    // The regions were reloaded, and the page is back on the same item.
    QCOMPARE(serverCalls(QStringLiteral("GetGridRegiao")), regionLoads + 1);
    QCOMPARE(field(form->cdsGridRegiao, "CDREGIAO"), m_data.region(1));
    QCOMPARE(field(form->cdsGridFornecedor, "CDFORNECED"), m_data.supplier(1));
    QCOMPARE(field(form->cdsGridProdMarc, "CDPRODUTO"), m_data.product(1));
    QCOMPARE(field(form->cdsGridProdMarc, "CDMARCA"), m_data.brand(1));
    QVERIFY(!m_server.ui().progressActive());

    // The menu item runs the same tool.
    m_opened.clear();
    form->mnuSimulacao->trigger();
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened[0].module, QStringLiteral("SUP01802"));
}

void tst_Ferramentas::simulationLeavesAnotherOriginAlone()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5)}, &number, &error, QStringLiteral("A"), QStringLiteral("E")),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    form->sbtSimulacaoClick();
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened[0].originWhenOpened, QStringLiteral("E"));
    QCOMPARE(field(form->cdsColetapr, "IDTIPCOLREG"), QStringLiteral("E"));
    QCOMPARE(form->cdsColetapr->changeCount(), 0);
}

void tst_Ferramentas::spreadsheetOpensTheItemAndMovesNothing()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(2, 2, 0, 0, 5), item(2, 2, 3, 2, 5)}, &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    moveTo(form, 2, 2, 3, 2);
    const int regionLoads = serverCalls(QStringLiteral("GetGridRegiao"));
    form->mnuPlanilha->trigger();
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened[0].module, QStringLiteral("SUP01803"));
    QCOMPARE(m_opened[0].params,
             (QVariantList{true, QStringLiteral("0001"), number, m_data.supplier(2), m_data.product(3), m_data.tree(3),
                           m_data.brand(2), m_data.region(2), QString()}));
    QCOMPARE(m_opened[0].params.first().metaType().id(), QMetaType::Bool);
    // Nothing reloaded, the list untouched.
    QCOMPARE(serverCalls(QStringLiteral("GetGridRegiao")), regionLoads);
    QCOMPARE(field(form->cdsColetapr, "IDTIPCOLREG"), QStringLiteral("L"));
    QCOMPARE(field(form->cdsGridProdMarc, "CDPRODUTO"), m_data.product(3));
}

void tst_Ferramentas::inconsistentItemOpensNoModule()
{
    // Brand 3 is no longer registered for product 3.
    const QVariantMap pair = {{QStringLiteral("P"), m_data.product(3)}, {QStringLiteral("B"), m_data.brand(3)}};
    const QVariant stock = m_server.scalar(
        QStringLiteral("SELECT QTDISPPRODMARC FROM MARCPROD WHERE CDPRODUTO = :P AND CDMARCA = :B"), pair);
    QVERIFY(m_server.execute(QStringLiteral("DELETE FROM MARCPROD WHERE CDPRODUTO = :P AND CDMARCA = :B"), pair));
    m_restore << [this, pair, stock] {
        QVariantMap row = pair;
        row.insert(QStringLiteral("V"), QDate::currentDate().addDays(365).toString(Qt::ISODate));
        row.insert(QStringLiteral("Q"), stock);
        m_server.execute(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, IDQUALMARC, DTVALQUALMARC, "
                                        "QTDISPPRODMARC) VALUES (:P, :B, 'S', :V, :Q)"),
                         row);
    };
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 3, 3, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    moveTo(form, 0, 0, 3, 3);
    for (QToolButton *tool : {form->sbtSimulacao, form->sbtPlanilha}) {
        m_server.ui().clear();
        tool->click();
        QCOMPARE(m_server.ui().errors(),
                 QStringList{QStringLiteral("Existem inconsistências nos dados da cotação. Verifique os itens.")});
        QVERIFY(form->lsbErrosCota->isVisible());
        QCOMPARE(form->lsbErrosCota->count(), 1);
        QCOMPARE(form->lsbErrosCota->item(0)->text(), QStringLiteral("Marca não cadastrada para o produto."));
    }
    QVERIFY(m_opened.isEmpty());
    QCOMPARE(field(form->cdsColetapr, "IDTIPCOLREG"), QStringLiteral("L"));
    QVERIFY(!m_server.ui().progressActive());
}

// --- the dialogs ---------------------------------------------------------------------------------------

void tst_Ferramentas::dialogsOpenForTheCurrentItem()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(1, 2, 3, 1, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    moveTo(form, 1, 2, 3, 1);
    QStringList key;
    auto observation = whenModal(QStringLiteral("frmGridObsItmCol"), [&key](QDialog &d) {
        key = static_cast<TfrmGridObsItmCol &>(d).key();
    });
    form->mnuObs->trigger();
    QVERIFY(*observation);
    QCOMPARE(key, (QStringList{QStringLiteral("0001"), number, m_data.region(1), m_data.supplier(2),
                               m_data.product(3), m_data.brand(1)}));

    form->pgcPadrao->setActivePage(form->tshCotacao);
    form->pgcPadraoChange();
    auto best = whenModal(QStringLiteral("frmGridValUltCot"), [](QDialog &) {});
    form->mnuAutoMelhor->trigger();
    QVERIFY(*best);
    QCOMPARE(m_server.ui().errors(), QStringList());
}

void tst_Ferramentas::readjustmentReloadsTheSupplierShown()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(1, 1, 0, 0, 10), item(1, 1, 1, 0, 20), item(1, 0, 0, 0, 10)},
                                     &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    moveTo(form, 1, 1, 1, 0);
    auto ran = whenModal(QStringLiteral("frmReajustedePreco"), [](QDialog &d) {
        auto *percent = d.findChild<NumberEdit *>(QStringLiteral("nedReajuste"));
        percent->setFocus();
        QTest::keyClicks(percent, QStringLiteral("10"));
        d.findChild<QToolButton *>(QStringLiteral("sbtConfirmar"))->click();
    });
    form->sbtReajustPr->click();
    QVERIFY(*ran);
    QCOMPARE(m_server.ui().errors(), QStringList());
    // The region and supplier shown, not the others.
    QCOMPARE(storedPrice(number, 1, 1, 0), 11.0);
    QCOMPARE(storedPrice(number, 1, 1, 1), 22.0);
    QCOMPARE(storedPrice(number, 1, 0, 0), 10.0);
    QCOMPARE(storedPrice(number, 0, 0, 0), 5.0);
    // The grid shows the new prices, still on the same item.
    QCOMPARE(form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 22.0);
    QCOMPARE(field(form->cdsGridProdMarc, "CDPRODUTO"), m_data.product(1));
}

// --- quantities to buy and payment terms ----------------------------------------------------------------

void tst_Ferramentas::quantitiesToBuyOnlyAfterYes()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    const int loads = serverCalls(QStringLiteral("CargAcomprar"));
    const int itemLoads = serverCalls(QStringLiteral("GetGridProdMarc"));
    m_server.ui().answerNo();
    form->sbtQtComprar->click();
    QCOMPARE(m_server.ui().texts(Kind::Message),
             QStringList{QStringLiteral("Deseja atualizar a quantidade a comprar para todos os produtos da cotação?")});
    QCOMPARE(serverCalls(QStringLiteral("CargAcomprar")), loads);

    m_server.ui().answerYes();
    form->mnuQtComprar->trigger();
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(serverCalls(QStringLiteral("CargAcomprar")), loads + 1);
    QCOMPARE(serverCalls(QStringLiteral("GetGridProdMarc")), itemLoads + 1);
    QVERIFY(!m_server.ui().progressActive());

    // Away from the products page nothing is reloaded.
    form->pgcPadrao->setActivePage(form->tshCotacao);
    form->pgcPadraoChange();
    const int afterLoads = serverCalls(QStringLiteral("GetGridProdMarc"));
    m_server.ui().answerYes();
    form->sbtQtComprarClick();
    QCOMPARE(serverCalls(QStringLiteral("CargAcomprar")), loads + 2);
    QCOMPARE(serverCalls(QStringLiteral("GetGridProdMarc")), afterLoads);
}

void tst_Ferramentas::paymentTermsRefreshThePageButKeepPricesTyped()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 6)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    const int updates = serverCalls(QStringLiteral("AtualizaFormPgto"));
    const int regionLoads = serverCalls(QStringLiteral("GetGridRegiao"));
    form->sbtAtualizaFormPgto->click();
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(serverCalls(QStringLiteral("AtualizaFormPgto")), updates + 1);
    QCOMPARE(serverCalls(QStringLiteral("GetGridRegiao")), regionLoads + 1);
    QVERIFY(!m_server.ui().progressActive());

    // A price typed and not confirmed stays where it is.
    ClientDataSet *items = form->cdsGridProdMarc;
    items->edit();
    items->fieldByName(QStringLiteral("VRPRECUNIITM"))->setAsFloat(7);
    items->setTag(99);
    items->post();
    QCOMPARE(items->changeCount(), 1);
    form->sbtAtualizaFormPgtoClick();
    QCOMPARE(serverCalls(QStringLiteral("AtualizaFormPgto")), updates + 2);
    QCOMPARE(serverCalls(QStringLiteral("GetGridRegiao")), regionLoads + 1);
    QCOMPARE(items->changeCount(), 1);
    QCOMPARE(items->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 7.0);
}

void tst_Ferramentas::refreshOfAConsultationListsTheCurrentBuyersValidity()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    form->pgcPadrao->setActivePage(form->tshCotacao);
    form->pgcPadraoChange();
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number));
    const QDate first = form->cdsColetapr->fieldByName(QStringLiteral("DTINIVALCOL"))->asDateTime().date();
    const QDate last = form->cdsColetapr->fieldByName(QStringLiteral("DTFINVALCOL"))->asDateTime().date();

    // Started on a packet: the current quotation's buyer and validity, every supplier and region.
    boConsulta = true;
    form->sbtVerificarClick();
    ColetaPrFilter consulted = form->context()->filter();
    QCOMPARE(consulted.buyers.remove(u'_').trimmed(), QString::fromLatin1(ServerFixture::kBuyer));
    QCOMPARE(consulted.firstDate, first);
    QCOMPARE(consulted.lastDate, last);
    QCOMPARE(consulted.allSuppliers, QStringLiteral("T"));
    QCOMPARE(consulted.allRegions, QStringLiteral("T"));
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number));

    // Otherwise the filter in force.
    boConsulta = false;
    ColetaPrFilter filter = form->context()->filter();
    filter.buyers.clear();
    filter.allBuyers = QStringLiteral("T");
    filter.firstDate = QDate(2001, 1, 1);
    filter.lastDate = QDate(2001, 1, 31);
    form->context()->loadQuotations(filter);
    form->sbtVerificarClick();
    QCOMPARE(form->context()->filter().firstDate, QDate(2001, 1, 1));
    QVERIFY(!form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number));
    QCOMPARE(m_server.ui().errors(), QStringList());
}

QTEST_MAIN(tst_Ferramentas)
#include "tst_ferramentas.moc"
