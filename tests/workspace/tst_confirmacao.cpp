// Confirming the prices of the products page as a buyer does, against a real server: the
// validation of the supplier's rows and the error list, what SetItemCole stores for the
// selected region or all of them and for the other suppliers (read back from the items and
// their history), the reload that follows, the zero-price check after every confirmation,
// the exclusion of zero-priced items, a refused store that keeps every pending change, and
// two buyers storing the same item (on SQLite, and on PostgreSQL when the environment names
// a server).  Each test writes its own quotation (ProductsPageData).
#include "Cli_sup05200.h"

#include "ClientDataSet.h"
#include "DBGrid.h"
#include "PageControl.h"
#include "ProductsPageData.h"
#include "ServerFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <memory>

using Kind = ScriptedUserInterface::Kind;
using Item = ProductsPageData::Item;

namespace {

const QString kInconsistent = QStringLiteral("Existem inconsistências nos dados da cotação. Verifique os itens.");
const QString kSomeZero = QStringLiteral("Atenção! Existem itens com preço zerado. Caso queira excluí-los clique no "
                                         "botão \"Excluir Itens com Preço Zerado\".");
const QString kNoPrice = QStringLiteral("Atenção! Não foi informado preço para nenhum item de cotação.");
const QString kAskSuppliers = QStringLiteral("Deseja atualizar as alterações para os outros fornecedores?");
const QString kAskRegions = QStringLiteral("Deseja atualizar as alterações para as outras regiões?");
const QString kAskExclusion = QStringLiteral("Tem certeza que deseja excluir os itens com preço zerado?");
const QString kAskReload = QStringLiteral("Deseja recarregar os itens deste fornecedor como estão gravados no servidor? "
                                          "As alterações não confirmadas deste fornecedor serão descartadas.");

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

QStringList listed(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class tst_Confirmacao : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    // Nothing pending: nothing stored, the zero-price check all the same
    void nothingPendingSendsNothingButChecksZeroPrices();
    void zeroPriceAnswerOfAnUnknownQuotationIsShownAsError();
    // Storing and the reload that follows
    void allRegionsAndSelectedRegionReachTheServer();
    void otherSuppliersAskedOnlyWhenTheRegionHasSeveral();
    // Inconsistencies found at confirmation
    void inconsistenciesListedAndNothingSent();
    void sevenFlagAnswerListsBothBrandTexts();
    // Failures
    void refusedStoreKeepsPendingChanges_logMergedBeforeStoreFault();
    void secondBuyerToStoreAnItemIsToldAndMayReload_data();
    void secondBuyerToStoreAnItemIsToldAndMayReload();
    // The exclusion of zero-priced items
    void exclusionRefusedWithoutAnyPrice();
    void exclusionDeletesTheZeroPricedItems();
    void exclusionRefusedByTheServerIsShown();

private:
    // Opens a workspace of the logged session on a quotation and shows its products page.
    TfrmGridCotaPrec *openOnQuotation(const QString &number);
    // Shows another quotation of the open workspace on its products page.
    bool showQuotation(TfrmGridCotaPrec *form, const QString &number);
    bool activate(TfrmGridCotaPrec *form);
    void login(ServerFixture &server);
    // Calls of a method the server has logged so far.
    int serverCalls(const QString &method) const;
    bool locateItem(TfrmGridCotaPrec *form, int product, int brand);
    // Keys a price into the current row's price cell and posts it, as the buyer does.
    void keyPrice(TfrmGridCotaPrec *form, const QString &price);
    void focusCell(TfrmGridCotaPrec *form, const QString &fieldName);
    void pressConfirm(TfrmGridCotaPrec *form);
    void setParameter(const char *name, const QString &value);
    void setSituation(const QString &number, const QString &situation);
    double storedPrice(const QString &number, int region, int supplier, int product, int brand);
    int storedItems(const QString &number);
    // The history rows of a quotation: "region|supplier|kind|old|new|scope", in key order.
    QStringList history(const QString &number);
    QString field(TfrmGridCotaPrec *form, const char *name) const;
    // A field of a row the grid shows, by product and brand.
    QVariant shown(TfrmGridCotaPrec *form, int product, int brand, const char *name) const;

    ServerFixture m_sqlite;
    ServerFixture m_postgres;
    ProductsPageData m_sqliteData{m_sqlite};
    ProductsPageData m_postgresData{m_postgres};
    ServerFixture *m_server = &m_sqlite;   // the one the running test works on
    ProductsPageData *m_data = &m_sqliteData;
    QList<std::shared_ptr<TfrmGridCotaPrec>> m_forms;
    QList<std::function<void()>> m_restore;
};

// --- fixture -------------------------------------------------------------------------------------

void tst_Confirmacao::initTestCase()
{
    QString error;
    QVERIFY2(m_sqlite.start(&error), qPrintable(error));
    m_sqlite.useTemporarySettings();
    QVERIFY2(m_sqliteData.ensureMasterData(&error), qPrintable(error));
}

void tst_Confirmacao::cleanup()
{
    for (const auto &form : std::as_const(m_forms))
        form->FormClose();
    m_forms.clear();
    for (const auto &restore : std::as_const(m_restore))
        restore();
    m_restore.clear();
    m_data->removeQuotations();
    m_server->ui().clear();
    // The next test logs in at the server it works on.
    m_server->logout();
    m_server = &m_sqlite;
    m_data = &m_sqliteData;
}

void tst_Confirmacao::cleanupTestCase()
{
    m_sqlite.stop();
    m_postgres.stop();
}

void tst_Confirmacao::login(ServerFixture &server)
{
    QString error;
    if (!server.login(QString::fromLatin1(ServerFixture::kBuyer), &error))
        qFatal("login failed: %s", qPrintable(error));
}

TfrmGridCotaPrec *tst_Confirmacao::openOnQuotation(const QString &number)
{
    if (!Corvane::sessionOpen())
        login(*m_server);
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

bool tst_Confirmacao::showQuotation(TfrmGridCotaPrec *form, const QString &number)
{
    if (form->currentPage() != TfrmGridCotaPrec::Page::Cot) {
        form->pgcPadrao->setActivePage(form->tshCotacao);
        form->pgcPadraoChange();
    }
    if (!form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number) || !activate(form))
        return false;
    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    return form->cdsGridRegiao->active();
}

bool tst_Confirmacao::activate(TfrmGridCotaPrec *form)
{
    form->activateWindow();
    return QTest::qWaitForWindowActive(form);
}

int tst_Confirmacao::serverCalls(const QString &method) const
{
    QFile log(QDir(m_server->folder()).filePath(QStringLiteral("server.log")));
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray needle = "method=" + method.toLatin1() + ' ';
    int calls = 0;
    for (const QByteArray &line : log.readAll().split('\n'))
        calls += line.contains(needle) ? 1 : 0;
    return calls;
}

bool tst_Confirmacao::locateItem(TfrmGridCotaPrec *form, int product, int brand)
{
    return form->cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"),
                                         QVariantList{m_data->product(product), m_data->brand(brand)});
}

void tst_Confirmacao::focusCell(TfrmGridCotaPrec *form, const QString &fieldName)
{
    QVERIFY(activate(form));
    DBGrid *grid = form->dbgGridProdMarc;
    if (!grid->hasFocus())
        grid->setFocus();
    QTRY_VERIFY(grid->hasFocus() || grid->isAncestorOf(QApplication::focusWidget()));
    grid->setSelectedField(fieldName);
}

void tst_Confirmacao::keyPrice(TfrmGridCotaPrec *form, const QString &price)
{
    focusCell(form, QStringLiteral("VRPRECUNIITM"));
    for (QChar c : price)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(form->cdsGridProdMarc->state(), DataSetState::Browse);
}

void tst_Confirmacao::pressConfirm(TfrmGridCotaPrec *form)
{
    QVERIFY(activate(form));
    form->Habilita();
    QVERIFY(form->sbtConfirmar->isEnabled());
    form->sbtConfirmar->click();
}

QString tst_Confirmacao::field(TfrmGridCotaPrec *form, const char *name) const
{
    return form->cdsGridProdMarc->fieldByName(QLatin1String(name))->asString();
}

QVariant tst_Confirmacao::shown(TfrmGridCotaPrec *form, int product, int brand, const char *name) const
{
    return form->cdsGridProdMarc->lookup(QStringLiteral("CDPRODUTO;CDMARCA"),
                                         QVariantList{m_data->product(product), m_data->brand(brand)},
                                         QLatin1String(name));
}

void tst_Confirmacao::setParameter(const char *name, const QString &value)
{
    const QString column = QLatin1String(name);
    ServerFixture *server = m_server;
    const QString before =
        server->scalar(QStringLiteral("SELECT %1 FROM PARASUPRI WHERE CDFILIAL = '0001'").arg(column)).toString();
    QString error;
    QVERIFY2(server->execute(QStringLiteral("UPDATE PARASUPRI SET %1 = :V WHERE CDFILIAL = '0001'").arg(column),
                             {{QStringLiteral("V"), value}}, &error),
             qPrintable(error));
    m_restore << [server, column, before] {
        server->execute(QStringLiteral("UPDATE PARASUPRI SET %1 = :V WHERE CDFILIAL = '0001'").arg(column),
                        {{QStringLiteral("V"), before}});
    };
}

void tst_Confirmacao::setSituation(const QString &number, const QString &situation)
{
    QString error;
    QVERIFY2(m_server->execute(QStringLiteral("UPDATE COLETAPR SET IDSITUCOLETA = :S WHERE CDFILIAL = '0001' AND "
                                              "NRCOLEPRECO = :N"),
                               {{QStringLiteral("S"), situation}, {QStringLiteral("N"), number}}, &error),
             qPrintable(error));
}

double tst_Confirmacao::storedPrice(const QString &number, int region, int supplier, int product, int brand)
{
    return m_server
        ->scalar(QStringLiteral("SELECT VRPRECUNIITM FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N AND "
                                "CDREGIAO = :R AND CDFORNECED = :F AND CDPRODUTO = :P AND CDMARCA = :M"),
                 {{QStringLiteral("N"), number}, {QStringLiteral("R"), m_data->region(region)},
                  {QStringLiteral("F"), m_data->supplier(supplier)}, {QStringLiteral("P"), m_data->product(product)},
                  {QStringLiteral("M"), m_data->brand(brand)}})
        .toDouble();
}

int tst_Confirmacao::storedItems(const QString &number)
{
    return m_server
        ->scalar(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                 {{QStringLiteral("N"), number}})
        .toInt();
}

QStringList tst_Confirmacao::history(const QString &number)
{
    QSqlQuery query(m_server->database());
    query.prepare(QStringLiteral("SELECT CDREGIAO, CDFORNECED, CDPRODUTO, IDTIPALTER, VRPRECANT, VRPRECNOVO, "
                                 "DSABRANGENCIA FROM HISTITCOLE WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N "
                                 "ORDER BY NRSEQHIST"));
    query.bindValue(QStringLiteral(":N"), number);
    QStringList rows;
    if (!query.exec())
        return {query.lastError().text()};
    while (query.next()) {
        QStringList row;
        for (int i = 0; i < 7; ++i)
            row << (i == 4 || i == 5 ? QString::number(query.value(i).toDouble()) : query.value(i).toString().trimmed());
        rows << row.join(u'|');
    }
    rows.sort();
    return rows;
}

// --- nothing pending ---------------------------------------------------------------------------------

void tst_Confirmacao::nothingPendingSendsNothingButChecksZeroPrices()
{
    QString someZero, noPrice, allPriced, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 0)}, &someZero, &error), qPrintable(error));
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 0), item(0, 0, 1, 0, 0)}, &noPrice, &error), qPrintable(error));
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 6)}, &allPriced, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(someZero);
    QVERIFY(form);
    struct Case
    {
        QString number;
        QStringList warnings;
    };
    for (const Case &c : {Case{someZero, {kSomeZero}}, Case{noPrice, {kNoPrice}}, Case{allPriced, {}}}) {
        QVERIFY(showQuotation(form, c.number));
        m_server->ui().clear();
        const int stores = serverCalls(QStringLiteral("SetItemCole"));
        const int regionLoads = serverCalls(QStringLiteral("GetGridRegiao"));
        const int checks = serverCalls(QStringLiteral("GetVerPrZero"));
        // The menu item the Confirm button would pick: the button is off with nothing pending.
        form->mnuConfRegSel->trigger();
        QCOMPARE(m_server->ui().errors(), QStringList());
        QCOMPARE(m_server->ui().texts(Kind::Message), c.warnings);
        if (!c.warnings.isEmpty())
            QCOMPARE(m_server->ui().asked().last().type, int(MsgDlg::mtWarning));
        QCOMPARE(serverCalls(QStringLiteral("SetItemCole")), stores);
        QCOMPARE(serverCalls(QStringLiteral("GetGridRegiao")), regionLoads);
        QCOMPARE(serverCalls(QStringLiteral("GetVerPrZero")), checks + 1);
        QVERIFY(!m_server->ui().progressActive());
    }
    // For all regions it is the same.
    m_server->ui().clear();
    QVERIFY(showQuotation(form, someZero));
    form->mnuConfTodasReg->trigger();
    QCOMPARE(m_server->ui().texts(Kind::Message), QStringList{kSomeZero});
}

void tst_Confirmacao::zeroPriceAnswerOfAnUnknownQuotationIsShownAsError()
{
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    // Another user deleted the quotation meanwhile.
    for (const char *table : {"ITCOLETAPR", "COLEFORN", "COLEREGI", "COLETAPR"})
        QVERIFY(m_server->execute(QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N")
                                      .arg(QLatin1String(table)),
                                  {{QStringLiteral("N"), number}}));
    form->mnuConfRegSel->trigger();
    QCOMPARE(m_server->ui().errors(), QStringList{QStringLiteral("Cotação %1 não encontrada.").arg(number)});
    QCOMPARE(m_server->ui().count(Kind::Message), 0);
    QVERIFY(!m_server->ui().progressActive());
}

// --- storing --------------------------------------------------------------------------------------------

void tst_Confirmacao::allRegionsAndSelectedRegionReachTheServer()
{
    setParameter("IDAUDALTCOT", QStringLiteral("N"));
    setParameter("IDPERMREPLICREG", QStringLiteral("S"));
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5), item(1, 0, 0, 0, 5), item(2, 0, 0, 0, 5),
                                      item(0, 0, 1, 0, 4), item(1, 0, 1, 0, 4)},
                                     &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    ClientDataSet *items = form->cdsGridProdMarc;
    QCOMPARE(form->cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString(), m_data->region(0));

    // All regions: the same supplier's item in every region takes the price.
    QVERIFY(locateItem(form, 0, 0));
    keyPrice(form, QStringLiteral("6"));
    // Enter moved on to the next row: the page comes back to it.
    const QString current = field(form, "CDPRODUTO");
    QCOMPARE(current, m_data->product(1));
    m_server->ui().answerYes();
    pressConfirm(form);
    QCOMPARE(m_server->ui().errors(), QStringList());
    QCOMPARE(m_server->ui().texts(Kind::Message), QStringList{kAskRegions});
    for (int region : {0, 1, 2})
        QCOMPARE(storedPrice(number, region, 0, 0, 0), 6.0);
    const QString allRegions = QStringLiteral("Todas as regiões  Somente este fornecedor");
    const QString supplier = m_data->supplier(0).trimmed();
    const QString product = m_data->product(0);
    QCOMPARE(history(number), (QStringList{QStringList{m_data->region(0), supplier, product, "P", "5", "6", allRegions}.join(u'|'),
                                           QStringList{m_data->region(1), supplier, product, "P", "5", "6", allRegions}.join(u'|'),
                                           QStringList{m_data->region(2), supplier, product, "P", "5", "6", allRegions}.join(u'|')}));
    // The page shows what the server holds, on the same row, with nothing pending.
    QCOMPARE(items->changeCount(), 0);
    QCOMPARE(form->cdsColetapr->changeCount(), 0);
    QCOMPARE(form->cdsColetapr->fieldByName(QStringLiteral("IDTIPCOLREG"))->asString(), QStringLiteral("G"));
    QCOMPARE(field(form, "CDPRODUTO"), current);
    QCOMPARE(shown(form, 0, 0, "VRPRECUNIITM").toDouble(), 6.0);
    QCOMPARE(shown(form, 0, 0, "IDPRECALT").toString(), QStringLiteral("S"));
    QVERIFY(form->CacheGridProdMarc.contains({number, m_data->region(0), m_data->supplier(0)}));
    QVERIFY(!form->CacheGridProdMarc.contains({number, m_data->region(1), m_data->supplier(0)}));

    // The selected region only, from the second region: the other regions keep their
    // prices, and the page comes back to that region and row.
    QVERIFY(form->cdsGridRegiao->locate(QStringLiteral("CDREGIAO"), m_data->region(1)));
    QVERIFY(locateItem(form, 1, 0));
    keyPrice(form, QStringLiteral("7"));
    QCOMPARE(field(form, "CDPRODUTO"), m_data->product(1)); // the last row
    m_server->ui().clear();
    m_server->ui().answerNo();
    pressConfirm(form);
    QCOMPARE(m_server->ui().errors(), QStringList());
    QCOMPARE(storedPrice(number, 1, 0, 1, 0), 7.0);
    QCOMPARE(storedPrice(number, 0, 0, 1, 0), 4.0);
    QVERIFY(history(number).contains(
        QStringList{m_data->region(1), supplier, m_data->product(1), "P", "4", "7",
                    QStringLiteral("Somente esta região  Somente este fornecedor")}
            .join(u'|')));
    QCOMPARE(history(number).size(), 4);
    QCOMPARE(form->cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString(), m_data->region(1));
    QCOMPARE(form->cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString(), m_data->supplier(0));
    QCOMPARE(field(form, "CDPRODUTO"), m_data->product(1));
    QCOMPARE(shown(form, 1, 0, "VRPRECUNIITM").toDouble(), 7.0);
    QCOMPARE(items->changeCount(), 0);
    QVERIFY(!m_server->ui().progressActive());
}

void tst_Confirmacao::otherSuppliersAskedOnlyWhenTheRegionHasSeveral()
{
    setParameter("IDAUDALTCOT", QStringLiteral("N"));
    setParameter("IDPERMREPLICREG", QStringLiteral("N"));
    setParameter("IDPERMREPLICFOR", QStringLiteral("S"));
    // Region 0: suppliers 0 and 1; region 1: supplier 2 alone.
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5), item(0, 1, 0, 0, 5), item(1, 2, 0, 0, 5),
                                      item(1, 2, 1, 0, 5)},
                                     &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);

    // One supplier in the region: not asked, and stored for this supplier only.
    QVERIFY(form->cdsGridRegiao->locate(QStringLiteral("CDREGIAO"), m_data->region(1)));
    QCOMPARE(form->cdsGridFornecedor->recordCount(), 1);
    QVERIFY(locateItem(form, 0, 0));
    keyPrice(form, QStringLiteral("6"));
    pressConfirm(form);
    QCOMPARE(m_server->ui().errors(), QStringList());
    QVERIFY(!m_server->ui().texts(Kind::Message).contains(kAskSuppliers));
    QCOMPARE(storedPrice(number, 1, 2, 0, 0), 6.0);
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 5.0);
    QCOMPARE(history(number).size(), 1);
    QVERIFY(history(number).constFirst().endsWith(QStringLiteral("|Somente esta região  Somente este fornecedor")));

    // Two suppliers: asked; Yes reaches the other supplier's item of the region.
    QVERIFY(form->cdsGridRegiao->locate(QStringLiteral("CDREGIAO"), m_data->region(0)));
    QVERIFY(form->cdsGridFornecedor->locate(QStringLiteral("CDFORNECED"), m_data->supplier(0)));
    QVERIFY(locateItem(form, 0, 0));
    keyPrice(form, QStringLiteral("7"));
    m_server->ui().clear();
    m_server->ui().answerYes();
    pressConfirm(form);
    QCOMPARE(m_server->ui().errors(), QStringList());
    QCOMPARE(m_server->ui().texts(Kind::Message), QStringList{kAskSuppliers});
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 7.0);
    QCOMPARE(storedPrice(number, 0, 1, 0, 0), 7.0);
    QCOMPARE(storedPrice(number, 1, 2, 0, 0), 6.0);
    QCOMPARE(history(number).filter(QStringLiteral("|Somente esta região  Todos os fornecedores")).size(), 2);
    // No keeps the change to the supplier keyed.
    keyPrice(form, QStringLiteral("8"));
    m_server->ui().clear();
    m_server->ui().answerNo();
    pressConfirm(form);
    QCOMPARE(m_server->ui().texts(Kind::Message), QStringList{kAskSuppliers});
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 8.0);
    QCOMPARE(storedPrice(number, 0, 1, 0, 0), 7.0);
}

// --- inconsistencies ---------------------------------------------------------------------------------

void tst_Confirmacao::inconsistenciesListedAndNothingSent()
{
    setParameter("IDAUDALTCOT", QStringLiteral("N"));
    // Brand 3 is no longer registered for product 3: flag 7 (its qualification and EAN
    // code are not judged without the registration).
    QString error;
    const QVariantMap pair = {{QStringLiteral("P"), m_data->product(3)}, {QStringLiteral("B"), m_data->brand(3)}};
    const QVariant stock = m_server->scalar(
        QStringLiteral("SELECT QTDISPPRODMARC FROM MARCPROD WHERE CDPRODUTO = :P AND CDMARCA = :B"), pair);
    QVERIFY2(m_server->execute(QStringLiteral("DELETE FROM MARCPROD WHERE CDPRODUTO = :P AND CDMARCA = :B"), pair, &error),
             qPrintable(error));
    ServerFixture *server = m_server;
    m_restore << [server, pair, stock] {
        QVariantMap row = pair;
        row.insert(QStringLiteral("V"), QDate::currentDate().addDays(365).toString(Qt::ISODate));
        row.insert(QStringLiteral("Q"), stock);
        server->execute(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, IDQUALMARC, DTVALQUALMARC, "
                                       "QTDISPPRODMARC) VALUES (:P, :B, 'S', :V, :Q)"),
                        row);
    };
    QString number;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 3, 3, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    ClientDataSet *items = form->cdsGridProdMarc;
    QVERIFY(locateItem(form, 0, 0));
    keyPrice(form, QStringLiteral("6"));
    QCOMPARE(m_server->ui().errors(), QStringList());
    QVERIFY(!form->lsbErrosCota->isVisible());

    const int stores = serverCalls(QStringLiteral("SetItemCole"));
    const int checks = serverCalls(QStringLiteral("GetVerPrZero"));
    pressConfirm(form);
    // Shown, not raised: the zero-price check still ran; nothing was sent.
    QCOMPARE(m_server->ui().errors(), QStringList{kInconsistent});
    QCOMPARE(serverCalls(QStringLiteral("GetVerPrZero")), checks + 1);
    QCOMPARE(serverCalls(QStringLiteral("SetItemCole")), stores);
    QCOMPARE(items->changeCount(), 1);
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 5.0);
    QCOMPARE(form->cdsErrosCota->recordCount(), 1);
    QCOMPARE(form->cdsErrosCota->fieldByName(QStringLiteral("IDERRO"))->asString(), QStringLiteral("NNNNNNSN"));
    // Enter moved on to the row that has it: its text.
    QCOMPARE(field(form, "CDPRODUTO"), m_data->product(3));
    QVERIFY(form->lsbErrosCota->isVisible());
    QCOMPARE(listed(form->lsbErrosCota), QStringList{QStringLiteral("Marca não cadastrada para o produto.")});
    // The row keyed has none: the list shows, empty.
    focusCell(form, QStringLiteral("NMPRODUTO"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(field(form, "CDPRODUTO"), m_data->product(0));
    QVERIFY(form->lsbErrosCota->isVisible());
    QCOMPARE(form->lsbErrosCota->count(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(form->lsbErrosCota->count(), 1);

    const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        form->Habilita();
        QTest::qWait(50);
        QDir().mkpath(folder);
        QVERIFY(form->grab().save(QDir(folder).filePath(QStringLiteral("confirmation-errors.png"))));
    }

    // Corrected, the same changes are stored.
    QVariantMap row = pair;
    row.insert(QStringLiteral("V"), QDate::currentDate().addDays(365).toString(Qt::ISODate));
    row.insert(QStringLiteral("Q"), stock);
    QVERIFY(m_server->execute(QStringLiteral("INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, IDQUALMARC, DTVALQUALMARC, "
                                             "QTDISPPRODMARC) VALUES (:P, :B, 'S', :V, :Q)"),
                              row));
    m_server->ui().clear();
    pressConfirm(form);
    QCOMPARE(m_server->ui().errors(), QStringList());
    QVERIFY(!form->lsbErrosCota->isVisible());
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 6.0);
}

void tst_Confirmacao::sevenFlagAnswerListsBothBrandTexts()
{
    // An answer as wide as IDERRO was first declared (seven flags, no EAN flag), with
    // flags 1 and 7 on one row, as a server of that width sends it for a brand whose
    // qualification expired and which is not registered for the product.
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 5), item(0, 0, 3, 3, 5)}, &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    DataPacket answer;
    answer.addField(QStringLiteral("CDREGIAO"), FieldType::String, 3);
    answer.addField(QStringLiteral("CDFORNECED"), FieldType::String, 21);
    answer.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    answer.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    answer.addField(QStringLiteral("IDERRO"), FieldType::String, 7);
    answer.appendRow({m_data->region(0), m_data->supplier(0), m_data->product(3), m_data->brand(3),
                      QStringLiteral("SNNNNNS")});
    form->cdsErrosCota->setData(answer);

    focusCell(form, QStringLiteral("NMPRODUTO"));
    QVERIFY(locateItem(form, 1, 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(field(form, "CDPRODUTO"), m_data->product(3));
    QVERIFY(form->lsbErrosCota->isVisible());
    QCOMPARE(listed(form->lsbErrosCota), (QStringList{QStringLiteral("Marca não qualificada ou com validade vencida."),
                                                      QStringLiteral("Marca não cadastrada para o produto.")}));
    // A row the answer does not name: the list stays visible, empty.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(field(form, "CDPRODUTO"), m_data->product(1));
    QVERIFY(form->lsbErrosCota->isVisible());
    QCOMPARE(form->lsbErrosCota->count(), 0);
}

// --- failures -------------------------------------------------------------------------------------------

void tst_Confirmacao::refusedStoreKeepsPendingChanges_logMergedBeforeStoreFault()
{
    setParameter("IDAUDALTCOT", QStringLiteral("N"));
    setParameter("IDUTISTATCOT", QStringLiteral("S"));
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    ClientDataSet *items = form->cdsGridProdMarc;
    QVERIFY(locateItem(form, 0, 0));
    keyPrice(form, QStringLiteral("6"));
    QVERIFY(locateItem(form, 1, 0));
    keyPrice(form, QStringLiteral("0"));
    QCOMPARE(items->changeCount(), 2);
    QCOMPARE(form->cdsColetapr->changeCount(), 1);
    const QStringList cached = {number, m_data->region(0), m_data->supplier(0)};
    QVERIFY(form->CacheGridProdMarc.contains(cached));

    // Another user concluded the quotation meanwhile: the server refuses the items.
    setSituation(number, QStringLiteral("C"));
    const int checks = serverCalls(QStringLiteral("GetVerPrZero"));
    pressConfirm(form);
    QCOMPARE(m_server->ui().errors(),
             QStringList{QStringLiteral("A cotação %1 está concluída e seus itens não podem ser alterados; reabra-a "
                                        "para alterá-los.")
                             .arg(number)});
    QCOMPARE(serverCalls(QStringLiteral("GetVerPrZero")), checks);
    QVERIFY(!m_server->ui().progressActive());
    // Nothing lost: both changes still pending, the header's too, the cache as it was.
    QCOMPARE(items->changeCount(), 2);
    QCOMPARE(form->cdsColetapr->changeCount(), 1);
    QVERIFY(form->CacheGridProdMarc.contains(cached));
    QCOMPARE(items->lookup(QStringLiteral("CDPRODUTO"), m_data->product(0), QStringLiteral("VRPRECUNIITM")).toDouble(),
             6.0);
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 5.0);
    QCOMPARE(history(number), QStringList());

    // Reopened: the next confirmation stores what was pending.
    setSituation(number, QStringLiteral("A"));
    m_server->ui().clear();
    pressConfirm(form);
    QCOMPARE(m_server->ui().errors(), QStringList());
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 6.0);
    QCOMPARE(storedPrice(number, 0, 0, 1, 0), 0.0);
    QCOMPARE(items->changeCount(), 0);
    QCOMPARE(form->cdsColetapr->changeCount(), 0);
    QCOMPARE(history(number).size(), 2);
    // A price keyed to zero is reported after the store.
    QCOMPARE(m_server->ui().texts(Kind::Message), QStringList{kSomeZero});
}

void tst_Confirmacao::secondBuyerToStoreAnItemIsToldAndMayReload_data()
{
    QTest::addColumn<bool>("postgres");
    QTest::newRow("sqlite") << false;
    QTest::newRow("postgres") << true;
}

void tst_Confirmacao::secondBuyerToStoreAnItemIsToldAndMayReload()
{
    QFETCH(bool, postgres);
    if (postgres) {
        QString error;
        if (!m_postgres.running() && !m_postgres.startPostgres(&error)) {
            if (error.isEmpty())
                QSKIP(qPrintable(m_postgres.skipReason()));
            QFAIL(qPrintable(error));
        }
        m_server = &m_postgres;
        m_data = &m_postgresData;
        QVERIFY2(m_data->ensureMasterData(&error), qPrintable(error));
    }
    login(*m_server);
    setParameter("IDAUDALTCOT", QStringLiteral("N"));
    // A quotation loaded from a list: keying an item marks it keyed in the grid, on both
    // workspaces.
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 5)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *first = openOnQuotation(number);
    QVERIFY(first);
    TfrmGridCotaPrec *second = openOnQuotation(number);
    QVERIFY(second);
    QVERIFY(first->netGridCotaPrec != second->netGridCotaPrec);
    QVERIFY(locateItem(first, 0, 0));
    QVERIFY(locateItem(second, 0, 0));

    keyPrice(first, QStringLiteral("6"));
    pressConfirm(first);
    QCOMPARE(m_server->ui().errors(), QStringList());
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 6.0);

    // The second buyer's change of the same item: the server's text and the offer to
    // reload; No keeps every pending change as it was.
    keyPrice(second, QStringLiteral("7"));
    ClientDataSet *items = second->cdsGridProdMarc;
    const QStringList cached = {number, m_data->region(0), m_data->supplier(0)};
    m_server->ui().clear();
    m_server->ui().answerNo();
    pressConfirm(second);
    QCOMPARE(m_server->ui().errors(), QStringList());
    const QStringList told = m_server->ui().texts(Kind::Message);
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.constFirst().startsWith(QStringLiteral("O item (produto ")), qPrintable(told.constFirst()));
    QVERIFY2(told.constFirst().contains(QStringLiteral("foi alterado por outro usuário (VRPRECUNIITM)")),
             qPrintable(told.constFirst()));
    QVERIFY(told.constFirst().endsWith(QStringLiteral("\n\n") + kAskReload));
    QCOMPARE(items->changeCount(), 1);
    QCOMPARE(shown(second, 0, 0, "VRPRECUNIITM").toDouble(), 7.0);
    QVERIFY(second->CacheGridProdMarc.contains(cached));
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 6.0);
    QVERIFY(!m_server->ui().progressActive());

    // Yes: the supplier's rows as stored, with the first buyer's price, nothing pending.
    m_server->ui().clear();
    m_server->ui().answerYes();
    pressConfirm(second);
    QCOMPARE(m_server->ui().texts(Kind::Message).size(), 1);
    QCOMPARE(items->changeCount(), 0);
    QCOMPARE(second->cdsColetapr->changeCount(), 0);
    QCOMPARE(shown(second, 0, 0, "VRPRECUNIITM").toDouble(), 6.0);
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 6.0);

    // Deciding from there, the second buyer's change is stored over the first one's.
    QVERIFY(locateItem(second, 0, 0));
    keyPrice(second, QStringLiteral("8"));
    m_server->ui().clear();
    pressConfirm(second);
    QCOMPARE(m_server->ui().errors(), QStringList());
    QCOMPARE(m_server->ui().count(Kind::Message), 0);
    QCOMPARE(storedPrice(number, 0, 0, 0, 0), 8.0);
    QCOMPARE(shown(second, 0, 0, "VRPRECUNIITM").toDouble(), 8.0);
    const QString supplier = m_data->supplier(0).trimmed();
    const QString scope = QStringLiteral("Somente esta região  Somente este fornecedor");
    QCOMPARE(history(number),
             (QStringList{QStringList{m_data->region(0), supplier, m_data->product(0), "P", "5", "6", scope}.join(u'|'),
                          QStringList{m_data->region(0), supplier, m_data->product(0), "P", "6", "8", scope}.join(u'|')}));
}

// --- the exclusion of zero-priced items ------------------------------------------------------------

void tst_Confirmacao::exclusionRefusedWithoutAnyPrice()
{
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 0), item(0, 0, 1, 0, 0)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    form->Habilita();
    QVERIFY(form->mnuExclPrZero->isEnabled());
    const int deletions = serverCalls(QStringLiteral("DeleteItemCole"));
    const int checks = serverCalls(QStringLiteral("GetVerPrZero"));
    // No: nothing more is asked or done.
    m_server->ui().answerNo();
    form->mnuExclPrZero->trigger();
    QCOMPARE(m_server->ui().texts(Kind::Message), QStringList{kAskExclusion});
    QCOMPARE(serverCalls(QStringLiteral("GetVerPrZero")), checks);
    // Yes: refused, since no item has a price.
    m_server->ui().clear();
    m_server->ui().answerYes();
    form->mnuExclPrZero->trigger();
    QCOMPARE(m_server->ui().texts(Kind::Message), QStringList{kAskExclusion});
    QCOMPARE(m_server->ui().errors(),
             QStringList{QStringLiteral("Operação não permitida! Não existe nenhum preço informado.")});
    QCOMPARE(serverCalls(QStringLiteral("GetVerPrZero")), checks + 1);
    QCOMPARE(serverCalls(QStringLiteral("DeleteItemCole")), deletions);
    QCOMPARE(storedItems(number), 2);
    QVERIFY(!m_server->ui().progressActive());
}

void tst_Confirmacao::exclusionDeletesTheZeroPricedItems()
{
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 0), item(0, 0, 2, 0, 4),
                                      item(1, 0, 1, 0, 0)},
                                     &number, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    QVERIFY(locateItem(form, 2, 0));
    QCOMPARE(form->cdsGridProdMarc->recordCount(), 3);
    const int regionLoads = serverCalls(QStringLiteral("GetGridRegiao"));
    m_server->ui().answerYes();
    form->Habilita();
    QVERIFY(form->sbtExclPrZero->isEnabled());
    form->sbtExclPrZero->click();
    QCOMPARE(m_server->ui().errors(), QStringList());
    QCOMPARE(storedItems(number), 2);
    QCOMPARE(history(number).filter(QStringLiteral("|E|0|")).size(), 2);
    // The page reloaded from the server, on the same row.
    QCOMPARE(serverCalls(QStringLiteral("GetGridRegiao")), regionLoads + 1);
    QCOMPARE(form->cdsGridProdMarc->recordCount(), 2);
    QCOMPARE(field(form, "CDPRODUTO"), m_data->product(2));
    QVERIFY(!form->CacheGridProdMarc.contains({number, m_data->region(1), m_data->supplier(0)}));
    // With every price above zero it goes on and deletes nothing.
    const int deletions = serverCalls(QStringLiteral("DeleteItemCole"));
    m_server->ui().clear();
    m_server->ui().answerYes();
    form->sbtExclPrZero->click();
    QCOMPARE(m_server->ui().errors(), QStringList());
    QCOMPARE(serverCalls(QStringLiteral("DeleteItemCole")), deletions + 1);
    QCOMPARE(storedItems(number), 2);
    QVERIFY(!m_server->ui().progressActive());
}

void tst_Confirmacao::exclusionRefusedByTheServerIsShown()
{
    setParameter("IDUTISTATCOT", QStringLiteral("S"));
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 5), item(0, 0, 1, 0, 0)}, &number, &error), qPrintable(error));
    TfrmGridCotaPrec *form = openOnQuotation(number);
    QVERIFY(form);
    const QStringList cached = {number, m_data->region(0), m_data->supplier(0)};
    QVERIFY(form->CacheGridProdMarc.contains(cached));
    const int regionLoads = serverCalls(QStringLiteral("GetGridRegiao"));
    setSituation(number, QStringLiteral("C"));
    m_server->ui().answerYes();
    form->mnuExclPrZero->trigger();
    QCOMPARE(m_server->ui().errors(),
             QStringList{QStringLiteral("A cotação %1 está concluída e seus itens não podem ser alterados; reabra-a "
                                        "para alterá-los.")
                             .arg(number)});
    QCOMPARE(storedItems(number), 2);
    QVERIFY(form->CacheGridProdMarc.contains(cached));
    QCOMPARE(serverCalls(QStringLiteral("GetGridRegiao")), regionLoads);
    QVERIFY(!m_server->ui().progressActive());
}

QTEST_MAIN(tst_Confirmacao)
#include "tst_confirmacao.moc"
