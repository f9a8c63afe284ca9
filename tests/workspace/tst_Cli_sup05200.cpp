// The quotation workspace driven as a user would, against a real server on the demo data:
// its first activation, the enabling rule in the states that matter, the access checks,
// reopening a concluded quotation, the consultation start, deleting and the cell rules.
// Where a test needs a quotation in a particular state it writes one into the server's
// database before the workspace loads it (numbers from 9000000001 up, removed again after
// each test), so that it never depends on what the demo happened to generate.
#include "Cli_sup05200.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DBGrid.h"
#include "DBGridDelegate.h"
#include "DBMemo.h"
#include "DBNavigator.h"
#include "DataSource.h"
#include "PageControl.h"
#include "ProductsPageData.h"
#include "ServerFixture.h"
#include "TMessages.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QScopeGuard>
#include <QSet>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <initializer_list>
#include <memory>

using Kind = ScriptedUserInterface::Kind;

class tst_Cli_sup05200 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void firstActivationReadsCentralBranchAndParameters();
    void emptyListDisablesProductsPageAndTools();
    void concludedQuotationLocksEditingWhenSituationUsed();
    void enablingRuleFollowsPageAndState();
    void productsPageRuleFollowsItsGrids();
    void operatorCheckRefusesUnrelatedOperators_data();
    void operatorCheckRefusesUnrelatedOperators();
    void reopeningAsksManagerPasswordAtEveryReopening();
    void refusedPasswordKeepsQuotationConcluded();
    void consultationStartRestrictsCommands();
    void deleteWithPriceListItemsAsksAndHonoursTheAnswer();
    void deleteRefusedByServerKeepsRow_data();
    void deleteRefusedByServerKeepsRow();
    void insertIntoListIsRefused();
    void cellPicturesFollowValues();
    void picturesAreTheResourceDrawings();
    void periodBecomesCommaInFloatGrid();
    void oddTaggedColumnDropsDelete();

private:
    TfrmGridCotaPrec *openWorkspace(const QString &operatorCode);
    void loadAllQuotations();
    // Moves to the first quotation for which the predicate holds; false when none.
    bool locate(const std::function<bool(ClientDataSet &)> &predicate);
    QString value(const char *field) const;
    QString situationOnServer(const QString &number);
    int countOnServer(const char *table, const QString &number);

    // A quotation of branch 0001 written into the server's database: one region, one
    // supplier of it and one priced item.
    struct BuiltQuotation
    {
        QString number, region, supplier, product, brand;
    };
    bool buildQuotation(const QString &buyer, const QString &situation, BuiltQuotation *built, QString *error);
    // A price list of branch 0001 holding the quotation's item; IDSITULIST listSituation,
    // IDPRECCONF confirmed.  Its number in listNumber.
    bool buildPriceList(const BuiltQuotation &quotation, const QString &listSituation, const QString &confirmed,
                        QString *listNumber, QString *error);
    void removeBuiltRows();
    // Shows the products page with the window active, so that its grids take the focus.
    bool showProductsPage();
    // Focuses a grid of the products page: its source becomes the one the commands follow.
    bool enterGrid(DBGrid *grid, DataSource *source);

    ServerFixture m_server;
    ProductsPageData m_data{m_server};
    std::unique_ptr<TfrmGridCotaPrec> m_form;
    QStringList m_builtQuotations;
    QStringList m_builtLists;
};

namespace {

// Fills a dataset of the products page as its load would: a packet of the rows (field
// values by name), none of them a pending change, the first one current.  Loading fires
// the page's scroll chain as a load from the server does.
void fill(ClientDataSet *ds, const QList<QVariantMap> &rows)
{
    DataPacket packet(ds->fieldDefs());
    for (const QVariantMap &row : rows) {
        QVariantList values;
        for (const FieldDef &def : packet.fields())
            values << row.value(def.name);
        packet.appendRow(values);
    }
    ds->setData(packet);
}

// The two suppliers the products page shows for the first region of a quotation.
QList<QVariantMap> productsPageSuppliers(const QString &number)
{
    auto supplier = [&](const char *code, const char *name) {
        return QVariantMap{{QStringLiteral("NRCOLEPRECO"), number},
                           {QStringLiteral("CDREGIAO"), QStringLiteral("001")},
                           {QStringLiteral("CDFORNECED"), QString::fromLatin1(code)},
                           {QStringLiteral("IDFORNCOT"), QStringLiteral("S")},
                           {QStringLiteral("NMFANTFORN"), QString::fromLatin1(name)}};
    };
    return {supplier("F1", "Um"), supplier("F2", "Dois")};
}

// What the products page shows of a quotation: two regions, two suppliers of the first one
// and three items of the first supplier.  The first item carries no justification, the
// second one does, the third only blanks.
void fillProductsPage(TfrmGridCotaPrec *form, const QString &number)
{
    auto region = [](const char *code, const char *name) {
        return QVariantMap{{QStringLiteral("CDREGIAO"), QString::fromLatin1(code)},
                           {QStringLiteral("NMREGIAO"), QString::fromLatin1(name)}};
    };
    auto item = [&](const char *product, const QVariant &justification) {
        return QVariantMap{{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                           {QStringLiteral("NRCOLEPRECO"), number},
                           {QStringLiteral("CDREGIAO"), QStringLiteral("001")},
                           {QStringLiteral("CDFORNECED"), QStringLiteral("F1")},
                           {QStringLiteral("CDPRODUTO"), QString::fromLatin1(product)},
                           {QStringLiteral("NMPRODUTO"), QString::fromLatin1(product)},
                           {QStringLiteral("VRPRECUNIITM"), 10.0},
                           {QStringLiteral("DSJUSTOPER"), justification}};
    };
    fill(form->cdsGridRegiao, {region("001", "Capital"), region("002", "Interior")});
    fill(form->cdsGridFornecedor, productsPageSuppliers(number));
    fill(form->cdsGridProdMarc, {item("P1", QVariant()), item("P2", QStringLiteral("Preço negociado")),
                                 item("P3", QStringLiteral("   "))});
}

// The commands whose enabled state is not the one expected, by name ("" when none).
QString wrongCommands(std::initializer_list<QAction *> enabled, std::initializer_list<QAction *> disabled)
{
    QStringList wrong;
    for (QAction *action : enabled) {
        if (!action->isEnabled())
            wrong << action->objectName() + QLatin1String(" is disabled");
    }
    for (QAction *action : disabled) {
        if (action->isEnabled())
            wrong << action->objectName() + QLatin1String(" is enabled");
    }
    return wrong.join(QLatin1String(", "));
}

QString storedOperator(const char *code)
{
    return QString::fromLatin1(code).leftJustified(12, u' ');
}

} // namespace

void tst_Cli_sup05200::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
}

void tst_Cli_sup05200::cleanup()
{
    if (m_form) {
        m_form->FormClose();
        m_form.reset();
    }
    boConsulta = false;
    OlColetaPr = QVariant();
    m_server.ui().clear();
    removeBuiltRows();
    m_data.removeQuotations();
}

void tst_Cli_sup05200::cleanupTestCase()
{
    m_server.stop();
}

TfrmGridCotaPrec *tst_Cli_sup05200::openWorkspace(const QString &operatorCode)
{
    QString error;
    if (!m_server.login(operatorCode, &error))
        qFatal("login failed: %s", qPrintable(error));
    m_form = std::make_unique<TfrmGridCotaPrec>();
    frmGridCotaPrec = m_form.get();
    boStCriado = true;
    m_form->FormCreate();
    m_form->show();
    m_form->FormActivate();
    return m_form.get();
}

void tst_Cli_sup05200::loadAllQuotations()
{
    m_form->AtualizaCotacao(QString(), QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T"),
                            QStringLiteral("T"), QDate(), QDate());
}

bool tst_Cli_sup05200::locate(const std::function<bool(ClientDataSet &)> &predicate)
{
    ClientDataSet *ds = m_form->cdsColetapr;
    for (ds->first(); !ds->eof(); ds->next()) {
        if (predicate(*ds))
            return true;
    }
    return false;
}

QString tst_Cli_sup05200::value(const char *field) const
{
    return m_form->cdsColetapr->fieldByName(QLatin1String(field))->asString().trimmed();
}

QString tst_Cli_sup05200::situationOnServer(const QString &number)
{
    return m_server
        .scalar(QStringLiteral("SELECT IDSITUCOLETA FROM COLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                {{QStringLiteral("N"), number}})
        .toString();
}

int tst_Cli_sup05200::countOnServer(const char *table, const QString &number)
{
    return m_server
        .scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N")
                    .arg(QLatin1String(table)),
                {{QStringLiteral("N"), number}})
        .toInt();
}

bool tst_Cli_sup05200::buildQuotation(const QString &buyer, const QString &situation, BuiltQuotation *built,
                                      QString *error)
{
    static int s_next = 0;
    built->number = QStringLiteral("9%1").arg(++s_next, 9, 10, QLatin1Char('0'));
    // Any region with a supplier serving it, any product with a brand.
    built->region = m_server.scalar(QStringLiteral("SELECT MIN(CDREGIAO) FROM REGIFORN"), {}, error).toString();
    built->supplier = m_server
                          .scalar(QStringLiteral("SELECT MIN(CDFORNECED) FROM REGIFORN WHERE CDREGIAO = :R"),
                                  {{QStringLiteral("R"), built->region}}, error)
                          .toString();
    built->product = m_server.scalar(QStringLiteral("SELECT MIN(CDPRODUTO) FROM MARCPROD"), {}, error).toString();
    built->brand = m_server
                       .scalar(QStringLiteral("SELECT MIN(CDMARCA) FROM MARCPROD WHERE CDPRODUTO = :P"),
                               {{QStringLiteral("P"), built->product}}, error)
                       .toString();
    if (built->supplier.isEmpty() || built->brand.isEmpty()) {
        if (error->isEmpty())
            *error = QStringLiteral("the demo data has no supplier serving a region or no product with a brand");
        return false;
    }
    m_builtQuotations << built->number;
    const QDate today = QDate::currentDate();
    const QVariantMap key = {{QStringLiteral("F"), QStringLiteral("0001")}, {QStringLiteral("N"), built->number}};
    QVariantMap head = key;
    head.insert(QStringLiteral("DC"), today.addDays(-2).toString(Qt::ISODate));
    head.insert(QStringLiteral("WI"), QStringLiteral("%1").arg(today.weekNumber(), 2, 10, QLatin1Char('0')));
    head.insert(QStringLiteral("WF"), QStringLiteral("%1").arg(today.addDays(6).weekNumber(), 2, 10, QLatin1Char('0')));
    head.insert(QStringLiteral("DI"), today.toString(Qt::ISODate));
    head.insert(QStringLiteral("DF"), today.addDays(6).toString(Qt::ISODate));
    head.insert(QStringLiteral("O"), buyer);
    head.insert(QStringLiteral("S"), situation);
    QVariantMap item = key;
    item.insert(QStringLiteral("R"), built->region);
    item.insert(QStringLiteral("FO"), built->supplier);
    item.insert(QStringLiteral("P"), built->product);
    item.insert(QStringLiteral("M"), built->brand);
    return m_server.execute(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, NRSEMAINIC, "
                                           "NRSEMAFINAL, DTINIVALCOL, DTFINVALCOL, CDOPERADOR, IDTIPCOLREG, "
                                           "IDDISMONTLIS, IDSITUCOLETA, CDFILPROC, CDOPERINCL) VALUES (:F, :N, :DC, "
                                           ":WI, :WF, :DI, :DF, :O, 'G', 'S', :S, :F, :O)"),
                            head, error)
           && m_server.execute(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) VALUES (:F, :N, :R)"),
                               {{QStringLiteral("F"), QStringLiteral("0001")}, {QStringLiteral("N"), built->number},
                                {QStringLiteral("R"), built->region}},
                               error)
           && m_server.execute(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) "
                                              "VALUES (:F, :N, :R, :FO)"),
                               {{QStringLiteral("F"), QStringLiteral("0001")}, {QStringLiteral("N"), built->number},
                                {QStringLiteral("R"), built->region}, {QStringLiteral("FO"), built->supplier}},
                               error)
           && m_server.execute(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, "
                                              "CDPRODUTO, CDMARCA, VRPRECUNIITM, VRPRECECOITM) "
                                              "VALUES (:F, :N, :R, :FO, :P, :M, 12.5, 12.0)"),
                               item, error);
}

bool tst_Cli_sup05200::buildPriceList(const BuiltQuotation &quotation, const QString &listSituation,
                                      const QString &confirmed, QString *listNumber, QString *error)
{
    static int s_next = 0;
    *listNumber = QStringLiteral("9%1").arg(++s_next, 9, 10, QLatin1Char('0'));
    m_builtLists << *listNumber;
    const QDate today = QDate::currentDate();
    return m_server.execute(QStringLiteral("INSERT INTO LISTPREC (CDFILIAL, NRSEQPRELIST, DSLISTPREC, DTINIVALLIS, "
                                           "DTFINVALLIS, IDSITULIST, CDOPERADOR) VALUES ('0001', :L, 'Lista do teste', "
                                           ":DI, :DF, :S, :O)"),
                            {{QStringLiteral("L"), *listNumber},
                             {QStringLiteral("DI"), today.addDays(-30).toString(Qt::ISODate)},
                             {QStringLiteral("DF"), today.addDays(30).toString(Qt::ISODate)},
                             {QStringLiteral("S"), listSituation},
                             {QStringLiteral("O"), storedOperator(ServerFixture::kBuyer)}},
                            error)
           && m_server.execute(QStringLiteral("INSERT INTO ITLISTPREC (CDFILIAL, NRSEQPRELIST, NRCOLEPRECO, CDREGIAO, "
                                              "CDFORNECED, CDPRODUTO, CDMARCA, VRPRECLIST, IDPRECCONF) "
                                              "VALUES ('0001', :L, :N, :R, :FO, :P, :M, 12.5, :C)"),
                               {{QStringLiteral("L"), *listNumber}, {QStringLiteral("N"), quotation.number},
                                {QStringLiteral("R"), quotation.region}, {QStringLiteral("FO"), quotation.supplier},
                                {QStringLiteral("P"), quotation.product}, {QStringLiteral("M"), quotation.brand},
                                {QStringLiteral("C"), confirmed}},
                               error);
}

void tst_Cli_sup05200::removeBuiltRows()
{
    for (const QString &list : std::as_const(m_builtLists)) {
        for (const char *table : {"ITLISTPREC", "LISTPREC"})
            m_server.execute(QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = '0001' AND NRSEQPRELIST = :L")
                                 .arg(QLatin1String(table)),
                             {{QStringLiteral("L"), list}});
    }
    for (const QString &number : std::as_const(m_builtQuotations)) {
        for (const char *table : {"ITLISTPREC", "HISTITCOLE", "HISTCOLETA", "ITCOLETAPR", "COLEFORN", "COLEREGI", "COLETAPR"})
            m_server.execute(QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N")
                                 .arg(QLatin1String(table)),
                             {{QStringLiteral("N"), number}});
    }
    m_builtLists.clear();
    m_builtQuotations.clear();
}

bool tst_Cli_sup05200::showProductsPage()
{
    m_form->pgcPadrao->setActivePage(m_form->tshProdCotGrid);
    m_form->pgcPadraoChange();
    m_form->activateWindow();
    return QTest::qWaitForWindowActive(m_form.get());
}

bool tst_Cli_sup05200::enterGrid(DBGrid *grid, DataSource *source)
{
    // The rule runs on every message; here it has not yet seen what the test loaded, and
    // a grid it left disabled takes no focus.
    m_form->Habilita();
    if (grid->hasFocus() && m_form->FonteAtual != source)
        m_form->setFocus();
    grid->setFocus();
    return QTest::qWaitFor([&] { return m_form->FonteAtual == source; });
}

// --- activation ------------------------------------------------------------------------------

void tst_Cli_sup05200::firstActivationReadsCentralBranchAndParameters()
{
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    QCOMPARE(form->centralBranch(), QStringLiteral("0001"));
    QVERIFY(!form->edtCentCmp->text().isEmpty());
    QVERIFY(form->cdsParaSupri->active());
    QCOMPARE(form->cdsParaSupri->fieldByName(QStringLiteral("IDUTISTATCOT"))->asString(), QStringLiteral("S"));
    const int situation = form->dbgCotacao->columnIndex(QStringLiteral("IDSITUCOLETA"));
    QVERIFY(form->dbgCotacao->column(situation).visible);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QVERIFY(!m_server.ui().progressActive());

    // Moving to a quotation loads its suppliers; every animation is removed again.
    loadAllQuotations();
    QVERIFY(form->cdsColetapr->recordCount() > 1);
    form->cdsColetapr->last();
    QVERIFY(form->cdsFornCotados->active());
    QVERIFY(form->cdsFornCotados->recordCount() > 0);
    QCOMPARE(form->cdsFornCotados->fieldByName(QStringLiteral("NRCOLEPRECO"))->asString(), value("NRCOLEPRECO"));
    QVERIFY(!m_server.ui().progressActive());
    QVERIFY(m_server.ui().count(Kind::ProgressStart) >= 2);
}

// --- the enabling rule ---------------------------------------------------------------------------

void tst_Cli_sup05200::emptyListDisablesProductsPageAndTools()
{
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    // What the filter leaves behind when nothing was loaded: an open, empty list.
    form->cdsColetapr->createDataSet();
    form->Habilita();

    QVERIFY(!form->pgcPadrao->isPageEnabled(form->tshProdCotGrid));
    QVERIFY(!form->mnuPadrao->isEnabled());
    QVERIFY(!form->mnuCopiarCota->isEnabled());
    QVERIFY(!form->mnuExclPrZero->isEnabled());
    QVERIFY(!form->sbtCopiarCota->isEnabled());
    QVERIFY(!form->mnuAlterar->isEnabled());
    QVERIFY(!form->mnuExcluir->isEnabled());
    QVERIFY(!form->mnuImprimir->isEnabled());
    QVERIFY(form->mnuIncluir->isEnabled());
    QVERIFY(form->mnuFiltro->isEnabled());
    QVERIFY(form->cdsFornCotados->active());
    QCOMPARE(form->cdsFornCotados->recordCount(), 0);
    QCOMPARE(form->cdsColetapr->fieldByName(QStringLiteral("IDSITUCOLETA"))->displayText(), QString());
}

void tst_Cli_sup05200::concludedQuotationLocksEditingWhenSituationUsed()
{
    BuiltQuotation concluded, inProgress;
    QString error;
    QVERIFY2(buildQuotation(storedOperator(ServerFixture::kBuyer), QStringLiteral("C"), &concluded, &error),
             qPrintable(error));
    QVERIFY2(buildQuotation(storedOperator(ServerFixture::kBuyer), QStringLiteral("A"), &inProgress, &error),
             qPrintable(error));
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), concluded.number));
    form->Habilita();
    QCOMPARE(form->cdsColetapr->fieldByName(QStringLiteral("IDSITUCOLETA"))->displayText(), QStringLiteral("Concluída"));
    QVERIFY(!form->mnuAlterar->isEnabled());
    QVERIFY(!form->mnuExcluir->isEnabled());
    QVERIFY(!form->mnuAutoMelhor->isEnabled());
    QVERIFY(form->mnuProcurar->isEnabled());
    QVERIFY(form->mnuImprimir->isEnabled());

    form->dbmObsCotPrec->setFocus();
    form->dbmObsCotPrecEnter();
    QVERIFY(form->dbmObsCotPrec->isReadOnly());

    // The product page with its regions and items: they can be searched and printed, but
    // include, edit, delete, the simulation and the product tools stay off.
    QVERIFY(showProductsPage());
    fillProductsPage(form, concluded.number);
    QVERIFY(enterGrid(form->dbgGridRegiao, form->dtsGridRegiao));
    form->Habilita();
    const auto locked = {form->mnuIncluir, form->mnuAlterar, form->mnuExcluir, form->mnuSimulacao, form->mnuObs,
                         form->mnuPlanilha, form->mnuAtualizaFormPgto, form->mnuQtComprar, form->mnuReajustPr};
    QCOMPARE(wrongCommands({form->mnuProcurar, form->mnuImprimir, form->mnuGridCotaPrecConsul}, locked), QString());
    // The items grid of a concluded quotation takes the focus read-only; the commands keep
    // following the regions.
    form->dbgGridProdMarc->setFocus();
    QTRY_VERIFY(form->dbgGridProdMarc->hasFocus());
    QVERIFY(form->dbgGridProdMarc->isReadOnly());
    QVERIFY(form->FonteAtual == form->dtsGridRegiao);
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuProcurar, form->mnuImprimir, form->mnuGridCotaPrecConsul}, locked), QString());

    // The same page of a quotation in progress has them.
    form->pgcPadrao->setActivePage(form->tshCotacao);
    form->pgcPadraoChange();
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), inProgress.number));
    QVERIFY(showProductsPage());
    fillProductsPage(form, inProgress.number);
    QVERIFY(enterGrid(form->dbgGridProdMarc, form->dtsGridProdMarc));
    form->Habilita();
    QCOMPARE(wrongCommands(locked, {}), QString());

    // Back on the quotation page the same commands are available, and the observation is
    // writable again.
    form->pgcPadrao->setActivePage(form->tshCotacao);
    form->pgcPadraoChange();
    form->Habilita();
    QVERIFY(form->mnuAlterar->isEnabled());
    QVERIFY(form->mnuExcluir->isEnabled());
    QVERIFY(form->mnuAutoMelhor->isEnabled());
    form->dbmObsCotPrecEnter();
    QVERIFY(!form->dbmObsCotPrec->isReadOnly());
}

void tst_Cli_sup05200::enablingRuleFollowsPageAndState()
{
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    QVERIFY(locate([](ClientDataSet &ds) { return ds.fieldByName(QStringLiteral("IDSITUCOLETA"))->asString() == "A"; }));

    // Browsing the list.
    form->Habilita();
    QVERIFY(form->mnuIncluir->isEnabled() && form->sbtIncluir->isEnabled());
    QVERIFY(!form->mnuConfirmar->isEnabled() && !form->sbtConfirmar->isEnabled());
    QVERIFY(!form->mnuCancelar->isEnabled());
    QVERIFY(form->mnuFiltro->isEnabled() && form->sbtFiltro->isEnabled());
    QVERIFY(form->mnuCopiarCota->isEnabled());
    QVERIFY(form->pgcPadrao->isPageEnabled(form->tshProdCotGrid));
    QVERIFY(form->panNavigator->isVisibleTo(form));

    // Editing the list: only confirm and cancel; the products page is out of reach.
    form->cdsColetapr->edit();
    form->Habilita();
    QVERIFY(form->mnuConfirmar->isEnabled() && form->mnuCancelar->isEnabled());
    QVERIFY(!form->mnuIncluir->isEnabled() && !form->mnuAlterar->isEnabled() && !form->mnuExcluir->isEnabled());
    QVERIFY(!form->mnuFiltro->isEnabled() && !form->mnuAltValidade->isEnabled());
    QVERIFY(!form->mnuExclPrZero->isEnabled());
    QVERIFY(!form->pgcPadrao->isPageEnabled(form->tshProdCotGrid));
    form->cdsColetapr->cancel();

    // The inclusion page: no data source, confirm and cancel only, no navigator bar.
    m_server.ui().clear();
    form->sbtIncluirClick();
    QCOMPARE(form->pgcPadrao->activePage(), form->tshIncCotacao);
    QVERIFY(form->FonteAtual == nullptr);
    QVERIFY(form->mnuConfirmar->isEnabled() && form->mnuCancelar->isEnabled());
    QVERIFY(!form->mnuIncluir->isEnabled() && !form->mnuProcurar->isEnabled() && !form->mnuImprimir->isEnabled());
    QVERIFY(!form->mnuFiltro->isEnabled());
    QVERIFY(!form->panNavigator->isVisibleTo(form));
    m_server.ui().answerYes(); // leaving the new quotation is confirmed first
    form->sbtCancelarClick();
    QCOMPARE(form->pgcPadrao->activePage(), form->tshCotacao);
    QVERIFY(form->panNavigator->isVisibleTo(form));

    // The products page loads the quotation's regions and follows its own grids: browsing
    // the regions gives include, delete, search and the simulation; edit is for the items
    // only and the best price stays on the quotation page.
    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    QVERIFY(form->FonteAtual == form->dtsGridRegiao);
    QVERIFY(form->cdsGridRegiao->active() && !form->cdsGridRegiao->isEmpty());
    QVERIFY(form->panDatVal->isVisibleTo(form));
    QVERIFY(form->panDados->isVisibleTo(form));
    QCOMPARE(wrongCommands({form->mnuGridCotaPrecConsul, form->mnuFiltro, form->mnuCopiarCota, form->mnuIncluir,
                            form->mnuSimulacao, form->mnuExcluir, form->mnuProcurar},
                           {form->mnuAlterar, form->mnuAutoMelhor}),
             QString());
    QVERIFY(form->dbnPadrao->isEnabled());
}

void tst_Cli_sup05200::productsPageRuleFollowsItsGrids()
{
    // Two regions; two suppliers in the first; three items of the first supplier, the
    // first without a justification, the second with one, the third with blanks only.
    using Item = ProductsPageData::Item;
    auto item = [](int region, int supplier, int product, const QString &justification) {
        Item i;
        i.region = region;
        i.supplier = supplier;
        i.product = product;
        i.price = 10.0;
        i.justification = justification;
        return i;
    };
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, QString()), item(0, 0, 1, QStringLiteral("Preço negociado")),
                                     item(0, 0, 2, QStringLiteral("   ")), item(0, 1, 0, QString()),
                                     item(1, 2, 0, QString())},
                                    &number, &error, QStringLiteral("A"), QStringLiteral("G")),
             qPrintable(error));
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number));
    QCOMPARE(value("IDSITUCOLETA"), QStringLiteral("A"));
    QVERIFY(showProductsPage());
    QVERIFY(form->FonteAtual == form->dtsGridRegiao);

    // Regions open but none in the quotation: include and the simulation, nothing that
    // needs a row.
    fill(form->cdsGridRegiao, {});
    QVERIFY(enterGrid(form->dbgGridRegiao, form->dtsGridRegiao));
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuIncluir, form->mnuSimulacao, form->mnuFiltro, form->mnuAltValidade,
                            form->mnuExclPrZero, form->mnuCopiarCota, form->mnuGridCotaPrecConsul,
                            form->mnuInsForn, form->mnuInsRegiao, form->mnuDelForn, form->mnuDelRegiao},
                           {form->mnuAlterar, form->mnuExcluir, form->mnuProcurar, form->mnuImprimir,
                            form->mnuObs, form->mnuPlanilha, form->mnuAtualizaFormPgto, form->mnuQtComprar,
                            form->mnuReajustPr, form->mnuConfirmar, form->mnuCancelar, form->mnuAutoMelhor,
                            form->mnuCopiaJust}),
             QString());
    QVERIFY(form->dbnPadrao->isEnabled());

    // Regions, suppliers and items loaded, on the regions grid: delete, search, print and
    // the product tools; edit only for the items.
    form->GetGridRegiao(number);
    QCOMPARE(form->cdsGridRegiao->recordCount(), 2);
    QCOMPARE(form->cdsGridFornecedor->recordCount(), 2);
    QCOMPARE(form->cdsGridProdMarc->recordCount(), 3);
    QVERIFY(enterGrid(form->dbgGridRegiao, form->dtsGridRegiao));
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuIncluir, form->mnuExcluir, form->mnuProcurar, form->mnuImprimir,
                            form->mnuObs, form->mnuPlanilha, form->mnuAtualizaFormPgto, form->mnuQtComprar,
                            form->mnuReajustPr, form->mnuSimulacao, form->mnuFiltro, form->mnuExclPrZero,
                            form->mnuCopiarCota, form->mnuGridCotaPrecConsul},
                           {form->mnuAlterar, form->mnuConfirmar, form->mnuCancelar, form->mnuAutoMelhor,
                            form->mnuCopiaJust}),
             QString());
    QVERIFY(form->pgcPadrao->isPageEnabled(form->tshCotacao) && form->mnuCotacao->isEnabled());
    QVERIFY(form->dbgGridRegiao->isEnabled() && form->dbgGridFornecedor->isEnabled()
            && form->dbgGridProdMarc->isEnabled());

    // The commands follow the grid in use, not the regions: a region without suppliers
    // leaves nothing to delete or search on the suppliers grid.
    QVERIFY(enterGrid(form->dbgGridFornecedor, form->dtsGridFornecedor));
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuExcluir, form->mnuProcurar, form->mnuObs}, {form->mnuAlterar}), QString());
    fill(form->cdsGridFornecedor, {});
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuIncluir, form->mnuSimulacao},
                           {form->mnuExcluir, form->mnuProcurar, form->mnuImprimir, form->mnuObs,
                            form->mnuQtComprar}),
             QString());
    form->GetGridRegiao(number);

    // On the items grid the row can be edited; copying the justification needs one on the
    // current item (blanks are none).
    QVERIFY(enterGrid(form->dbgGridProdMarc, form->dtsGridProdMarc));
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuAlterar, form->mnuExcluir, form->mnuProcurar}, {form->mnuCopiaJust}),
             QString());
    form->cdsGridProdMarc->next();
    form->Habilita();
    QVERIFY(form->mnuCopiaJust->isEnabled());
    form->cdsGridProdMarc->next();
    form->Habilita();
    QVERIFY(!form->mnuCopiaJust->isEnabled());
    form->cdsGridProdMarc->first();

    // Editing an item: confirm and cancel; the other grids and the quotation page wait.
    form->cdsGridProdMarc->edit();
    form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->setAsFloat(11.0);
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuConfirmar, form->mnuCancelar, form->mnuGridCotaPrecConsul},
                           {form->mnuIncluir, form->mnuAlterar, form->mnuExcluir, form->mnuProcurar,
                            form->mnuFiltro, form->mnuAltValidade, form->mnuExclPrZero, form->mnuCopiarCota,
                            form->mnuSimulacao, form->mnuObs}),
             QString());
    QVERIFY(!form->pgcPadrao->isPageEnabled(form->tshCotacao));
    QVERIFY(!form->mnuCotacao->isEnabled());
    QVERIFY(!form->dbgGridRegiao->isEnabled());
    QVERIFY(!form->dbgGridFornecedor->isEnabled());
    QVERIFY(form->dbgGridProdMarc->isEnabled());
    QVERIFY(!form->dbnPadrao->isEnabled());

    // The price posted but not yet sent: browsing again, but whatever would lose or
    // overlook the pending change stays off until it is confirmed or cancelled.
    form->cdsGridProdMarc->post();
    QVERIFY(form->cdsGridProdMarc->changeCount() > 0);
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuConfirmar, form->mnuCancelar, form->mnuIncluir, form->mnuAlterar,
                            form->mnuProcurar, form->mnuObs, form->mnuPlanilha, form->mnuAtualizaFormPgto},
                           {form->mnuExcluir, form->mnuImprimir, form->mnuFiltro, form->mnuAltValidade,
                            form->mnuExclPrZero, form->mnuCopiarCota, form->mnuGridCotaPrecConsul,
                            form->mnuInsForn, form->mnuInsRegiao, form->mnuDelForn, form->mnuDelRegiao,
                            form->mnuSimulacao, form->mnuQtComprar, form->mnuReajustPr}),
             QString());
    QVERIFY(!form->pgcPadrao->isPageEnabled(form->tshCotacao));
    QVERIFY(!form->dbgGridRegiao->isEnabled());
    QVERIFY(!form->dbgGridFornecedor->isEnabled());
    QVERIFY(form->dbgGridProdMarc->isEnabled());
    form->cdsGridProdMarc->cancelUpdates();
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuExcluir, form->mnuImprimir, form->mnuQtComprar, form->mnuInsRegiao},
                           {form->mnuConfirmar}),
             QString());
    QVERIFY(form->pgcPadrao->isPageEnabled(form->tshCotacao));
    QVERIFY(form->dbgGridRegiao->isEnabled() && form->dbgGridFornecedor->isEnabled());

    // Regions are never edited: the attempt is refused without a word and every grid stays
    // available.
    QVERIFY(enterGrid(form->dbgGridRegiao, form->dtsGridRegiao));
    QVERIFY_THROWS_EXCEPTION(Abort, form->cdsGridRegiao->edit());
    QCOMPARE(form->cdsGridRegiao->state(), DataSetState::Browse);
    form->Habilita();
    QVERIFY(!form->mnuConfirmar->isEnabled());
    QVERIFY(form->dbgGridFornecedor->isEnabled() && form->dbgGridProdMarc->isEnabled());
}

// --- access checks -----------------------------------------------------------------------------

void tst_Cli_sup05200::operatorCheckRefusesUnrelatedOperators_data()
{
    QTest::addColumn<QString>("operatorCode");
    QTest::addColumn<QString>("buyer");
    QTest::addColumn<QString>("messageKey");
    QTest::newRow("not related") << QStringLiteral("CONS01") << QStringLiteral("COMP01") << QStringLiteral("Oper_N_Relac");
    QTest::newRow("related, not authorised") << QStringLiteral("AUX02") << QStringLiteral("COMP02")
                                             << QStringLiteral("Oper_Relac_N_Aut");
}

void tst_Cli_sup05200::operatorCheckRefusesUnrelatedOperators()
{
    QFETCH(QString, operatorCode);
    QFETCH(QString, buyer);
    QFETCH(QString, messageKey);
    TfrmGridCotaPrec *form = openWorkspace(operatorCode);
    loadAllQuotations();
    QVERIFY(locate([&](ClientDataSet &ds) {
        return ds.fieldByName(QStringLiteral("CDOPERADOR"))->asString().trimmed() == buyer
               && ds.fieldByName(QStringLiteral("IDSITUCOLETA"))->asString() == "A";
    }));
    form->Habilita();
    QVERIFY(form->mnuAlterar->isEnabled());

    form->mnuAlterar->trigger();
    QCOMPARE(m_server.ui().errors(), QStringList{form->msg(messageKey)});
    QCOMPARE(form->cdsColetapr->state(), DataSetState::Browse);

    // Deleting runs the same check before anything reaches the server.
    m_server.ui().clear();
    const int rows = form->cdsColetapr->recordCount();
    m_server.ui().answerYes();
    form->mnuExcluir->trigger();
    QCOMPARE(m_server.ui().errors(), QStringList{form->msg(messageKey)});
    QCOMPARE(form->cdsColetapr->recordCount(), rows);
}

// --- reopening a concluded quotation ---------------------------------------------------------

void tst_Cli_sup05200::reopeningAsksManagerPasswordAtEveryReopening()
{
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    QVERIFY(locate([](ClientDataSet &ds) {
        return ds.fieldByName(QStringLiteral("CDOPERADOR"))->asString().trimmed() == "COMP01"
               && ds.fieldByName(QStringLiteral("IDSITUCOLETA"))->asString() == "C";
    }));
    const QString number = value("NRCOLEPRECO");
    ClientDataSet *list = form->cdsColetapr;
    Field *situation = list->fieldByName(QStringLiteral("IDSITUCOLETA"));

    m_server.ui().answerPassword(QStringLiteral("demo"));
    list->edit();
    situation->setText(QStringLiteral("Em Andamento"));
    list->post();
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(m_server.ui().count(Kind::Password), 1);
    for (const ScriptedUserInterface::Asked &asked : m_server.ui().asked()) {
        if (asked.kind == Kind::Password)
            QCOMPARE(asked.detail.trimmed(), QStringLiteral("GER01"));
    }
    QVERIFY(form->managerPasswordConfirmed());
    QCOMPARE(list->changeCount(), 0);
    QCOMPARE(situationOnServer(number), QStringLiteral("A"));
    QVERIFY(!m_server.ui().progressActive());

    // Concluding needs no password.  Reopening again asks again: the server accepts a
    // manager's confirmation for one write only, so a remembered one would be refused.
    list->edit();
    situation->setValue(QStringLiteral("C"));
    list->post();
    QCOMPARE(situationOnServer(number), QStringLiteral("C"));
    m_server.ui().answerPassword(QStringLiteral("demo"));
    list->edit();
    situation->setValue(QStringLiteral("A"));
    list->post();
    QCOMPARE(m_server.ui().count(Kind::Password), 2);
    QCOMPARE(situationOnServer(number), QStringLiteral("A"));
    QCOMPARE(m_server.ui().errors(), QStringList());
}

void tst_Cli_sup05200::refusedPasswordKeepsQuotationConcluded()
{
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    QVERIFY(locate([](ClientDataSet &ds) {
        return ds.fieldByName(QStringLiteral("CDOPERADOR"))->asString().trimmed() == "COMP01"
               && ds.fieldByName(QStringLiteral("IDSITUCOLETA"))->asString() == "C";
    }));
    const QString number = value("NRCOLEPRECO");
    m_server.ui().answerPassword(std::nullopt); // the manager cancels
    form->cdsColetapr->edit();
    form->cdsColetapr->fieldByName(QStringLiteral("IDSITUCOLETA"))->setValue(QStringLiteral("A"));
    QVERIFY_THROWS_EXCEPTION(Abort, form->cdsColetapr->post());
    QVERIFY(!form->managerPasswordConfirmed());
    QCOMPARE(situationOnServer(number), QStringLiteral("C"));
    form->cdsColetapr->cancel();
    QCOMPARE(value("IDSITUCOLETA"), QStringLiteral("C"));
}

// --- consultation start ------------------------------------------------------------------------

void tst_Cli_sup05200::consultationStartRestrictsCommands()
{
    BuiltQuotation built;
    QString error;
    QVERIFY2(buildQuotation(storedOperator(ServerFixture::kBuyer), QStringLiteral("A"), &built, &error),
             qPrintable(error));
    openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    const DataPacket packet = m_form->cdsColetapr->data();
    m_form->FormClose();
    m_form.reset();

    boConsulta = true;
    OlColetaPr = packetVariant(packet);
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    QCOMPARE(form->cdsColetapr->recordCount(), packet.rowCount());
    QCOMPARE(form->cdsColetapr->changeCount(), 0);
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), built.number));
    form->Habilita();
    QVERIFY(!form->mnuFiltro->isEnabled());
    QVERIFY(!form->mnuCopiarCota->isEnabled());
    QVERIFY(!form->mnuAltValidade->isEnabled());
    QVERIFY(!form->mnuIncluir->isEnabled());
    QVERIFY(!form->mnuAlterar->isEnabled()); // edit only on the products page
    QVERIFY(form->mnuExcluir->isEnabled());  // delete only on the quotation page
    // Beyond those restrictions a packet start is a normal one: the situation of a
    // quotation in progress can be typed and its observation edited.
    form->dbgCotacao->setSelectedField(QStringLiteral("IDSITUCOLETA"));
    form->dbgCotacaoColEnter();
    QVERIFY(form->dbgCotacao->hasOption(DBGrid::Editing));
    form->dbmObsCotPrecEnter();
    QVERIFY(!form->dbmObsCotPrec->isReadOnly());

    // On the products page, with its regions and items, the rows can be searched and the
    // items edited, but nothing is included or deleted.
    QVERIFY(showProductsPage());
    fillProductsPage(form, built.number);
    QVERIFY(enterGrid(form->dbgGridRegiao, form->dtsGridRegiao));
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuProcurar, form->mnuImprimir, form->mnuSimulacao, form->mnuExclPrZero},
                           {form->mnuIncluir, form->mnuExcluir, form->mnuAlterar, form->mnuFiltro,
                            form->mnuAltValidade, form->mnuCopiarCota}),
             QString());
    QVERIFY(enterGrid(form->dbgGridProdMarc, form->dtsGridProdMarc));
    form->Habilita();
    QCOMPARE(wrongCommands({form->mnuAlterar, form->mnuProcurar}, {form->mnuIncluir, form->mnuExcluir}), QString());
}

// --- delete ------------------------------------------------------------------------------------

void tst_Cli_sup05200::deleteWithPriceListItemsAsksAndHonoursTheAnswer()
{
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    // The newest quotation of COMP01 in progress whose items a price list holds (the
    // list being assembled; the oldest quotation is in a concluded list).
    QString candidate;
    locate([&](ClientDataSet &ds) {
        if (ds.fieldByName(QStringLiteral("CDOPERADOR"))->asString().trimmed() == "COMP01"
            && ds.fieldByName(QStringLiteral("IDSITUCOLETA"))->asString() == "A"
            && m_server
                       .scalar(QStringLiteral("SELECT COUNT(*) FROM ITLISTPREC WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                               {{QStringLiteral("N"), ds.fieldByName(QStringLiteral("NRCOLEPRECO"))->asString()}})
                       .toInt()
                   > 0)
            candidate = ds.fieldByName(QStringLiteral("NRCOLEPRECO"))->asString();
        return false;
    });
    QVERIFY(!candidate.isEmpty());
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), candidate));
    const QString number = value("NRCOLEPRECO");
    const int rows = form->cdsColetapr->recordCount();
    const QString askPriceList = form->msg(QStringLiteral("Del_Cota_Lista"));

    m_server.ui().answerYes(); // "Excl"
    m_server.ui().answerNo();  // "Del_Cota_Lista"
    form->mnuExcluir->trigger();
    QVERIFY(m_server.ui().texts(Kind::Message).contains(askPriceList));
    QCOMPARE(form->cdsColetapr->recordCount(), rows);
    QCOMPARE(value("NRCOLEPRECO"), number);
    QCOMPARE(situationOnServer(number), QStringLiteral("A"));
    QCOMPARE(m_server.ui().errors(), QStringList());

    m_server.ui().clear();
    m_server.ui().answerYes();
    m_server.ui().answerYes();
    form->mnuExcluir->trigger();
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join(u'\n')));
    QCOMPARE(form->cdsColetapr->recordCount(), rows - 1);
    QCOMPARE(form->cdsColetapr->changeCount(), 0);
    QVERIFY(!form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), number));
    QCOMPARE(situationOnServer(number), QString());
    QVERIFY(!m_server.ui().progressActive());
}

void tst_Cli_sup05200::deleteRefusedByServerKeepsRow_data()
{
    // Quotations of the logged buyer, in progress when the workspace loads them, that the
    // server still refuses to delete.
    QTest::addColumn<bool>("inConcludedList");     // confirmed prices in a concluded price list
    QTest::addColumn<bool>("concludedMeanwhile");  // concluded on the server after the load
    QTest::newRow("confirmed prices in a concluded price list") << true << false;
    QTest::newRow("concluded by someone else after the load") << false << true;
}

void tst_Cli_sup05200::deleteRefusedByServerKeepsRow()
{
    QFETCH(bool, inConcludedList);
    QFETCH(bool, concludedMeanwhile);
    BuiltQuotation built;
    QString list, error;
    QVERIFY2(buildQuotation(storedOperator(ServerFixture::kBuyer), QStringLiteral("A"), &built, &error),
             qPrintable(error));
    if (inConcludedList)
        QVERIFY2(buildPriceList(built, QStringLiteral("C"), QStringLiteral("S"), &list, &error), qPrintable(error));

    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), built.number));
    QCOMPARE(value("IDSITUCOLETA"), QStringLiteral("A"));
    if (concludedMeanwhile) {
        QVERIFY2(m_server.execute(QStringLiteral("UPDATE COLETAPR SET IDSITUCOLETA = 'C' "
                                                 "WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                                  {{QStringLiteral("N"), built.number}}, &error),
                 qPrintable(error));
    }
    form->Habilita();
    QVERIFY(form->mnuExcluir->isEnabled());
    const int rows = form->cdsColetapr->recordCount();

    m_server.ui().answerYes(); // "Excl"
    if (inConcludedList)
        m_server.ui().answerYes(); // "Del_Cota_Lista": the items are in a price list
    form->mnuExcluir->trigger();

    // The server's refusal is shown, naming the quotation (and the list that holds it).
    const QStringList errors = m_server.ui().errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(built.number), qPrintable(errors.first()));
    if (inConcludedList)
        QVERIFY2(errors.first().contains(list), qPrintable(errors.first()));
    QCOMPARE(m_server.ui().texts(Kind::Message).contains(form->msg(QStringLiteral("Del_Cota_Lista"))),
             inConcludedList);
    QVERIFY(!m_server.ui().progressActive());

    // The row stays, current and without a pending change.
    QCOMPARE(form->cdsColetapr->recordCount(), rows);
    QCOMPARE(value("NRCOLEPRECO"), built.number);
    QCOMPARE(form->cdsColetapr->changeCount(), 0);
    QCOMPARE(form->cdsColetapr->state(), DataSetState::Browse);

    // Nothing of the quotation was deleted on the server.
    QCOMPARE(situationOnServer(built.number), concludedMeanwhile ? QStringLiteral("C") : QStringLiteral("A"));
    QCOMPARE(countOnServer("COLEREGI", built.number), 1);
    QCOMPARE(countOnServer("COLEFORN", built.number), 1);
    QCOMPARE(countOnServer("ITCOLETAPR", built.number), 1);
    QCOMPARE(countOnServer("ITLISTPREC", built.number), inConcludedList ? 1 : 0);
    QCOMPARE(countOnServer("HISTCOLETA", built.number), 0);
}

void tst_Cli_sup05200::insertIntoListIsRefused()
{
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    const int rows = form->cdsColetapr->recordCount();
    QVERIFY_THROWS_EXCEPTION(Abort, form->cdsColetapr->append());
    QCOMPARE(form->cdsColetapr->recordCount(), rows);
    QCOMPARE(form->cdsColetapr->state(), DataSetState::Browse);
}

// --- cells and keys ----------------------------------------------------------------------------

void tst_Cli_sup05200::cellPicturesFollowValues()
{
    QCOMPARE(TfrmGridCotaPrec::cotacaoPictureName(QStringLiteral("IDTIPCOLREG"), QStringLiteral("L")), QStringLiteral("imgAlert"));
    QCOMPARE(TfrmGridCotaPrec::cotacaoPictureName(QStringLiteral("IDTIPCOLREG"), QString()), QStringLiteral("imgAlert"));
    QCOMPARE(TfrmGridCotaPrec::cotacaoPictureName(QStringLiteral("IDTIPCOLREG"), QStringLiteral("E")), QStringLiteral("imgEmail"));
    QCOMPARE(TfrmGridCotaPrec::cotacaoPictureName(QStringLiteral("IDTIPCOLREG"), QStringLiteral("W")), QStringLiteral("imgNet"));
    QCOMPARE(TfrmGridCotaPrec::cotacaoPictureName(QStringLiteral("IDTIPCOLREG"), QStringLiteral("G")), QString());
    QCOMPARE(TfrmGridCotaPrec::cotacaoPictureName(QStringLiteral("IDDISMONTLIS"), QStringLiteral("S")), QStringLiteral("imgChecked"));
    QCOMPARE(TfrmGridCotaPrec::cotacaoPictureName(QStringLiteral("IDDISMONTLIS"), QStringLiteral("X")), QStringLiteral("imgUnChecked"));

    // What the grid paints: the picture of each row's value, the buyer's name for its code.
    // One quotation of each origin, every other one offered to price lists, so that every
    // picture (and the cell without one) is drawn whatever the demo generated.
    const QStringList origins = {QStringLiteral("L"), QStringLiteral("G"), QStringLiteral("E"), QStringLiteral("W")};
    for (int i = 0; i < origins.size(); ++i) {
        BuiltQuotation built;
        QString error;
        QVERIFY2(buildQuotation(storedOperator(ServerFixture::kBuyer), QStringLiteral("A"), &built, &error),
                 qPrintable(error));
        QVERIFY2(m_server.execute(QStringLiteral("UPDATE COLETAPR SET IDTIPCOLREG = :T, IDDISMONTLIS = :L "
                                                 "WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                                  {{QStringLiteral("T"), origins.at(i)},
                                   {QStringLiteral("L"), i % 2 ? QStringLiteral("N") : QStringLiteral("S")},
                                   {QStringLiteral("N"), built.number}},
                                  &error),
                 qPrintable(error));
    }
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    DBGridDelegate *delegate = form->dbgCotacao->gridDelegate();
    const int origin = form->dbgCotacao->columnIndex(QStringLiteral("IDTIPCOLREG"));
    const int list = form->dbgCotacao->columnIndex(QStringLiteral("IDDISMONTLIS"));
    const int buyer = form->dbgCotacao->columnIndex(QStringLiteral("CDOPERADOR"));
    ClientDataSet *ds = form->cdsColetapr;
    QSet<QString> originsDrawn, flagsDrawn;
    for (int row = 0; row < ds->recordCount(); ++row) {
        const DBGridCell originCell = delegate->describeCell(row, origin);
        originsDrawn << originCell.fieldText(QStringLiteral("IDTIPCOLREG"));
        const QString originName = TfrmGridCotaPrec::cotacaoPictureName(
            QStringLiteral("IDTIPCOLREG"), originCell.fieldText(QStringLiteral("IDTIPCOLREG")));
        if (originName.isEmpty()) {
            QVERIFY(originCell.pictures.isEmpty());
        } else {
            QCOMPARE(originCell.pictures.size(), 1);
            QCOMPARE(originCell.pictures.first().pixmap.cacheKey(), TfrmGridCotaPrec::picture(originName).cacheKey());
            QCOMPARE(originCell.pictures.first().transparentColor, QColor(128, 128, 0));
        }
        QVERIFY(originCell.text.isEmpty());

        const DBGridCell listCell = delegate->describeCell(row, list);
        flagsDrawn << listCell.fieldText(QStringLiteral("IDDISMONTLIS"));
        const bool checked = listCell.fieldText(QStringLiteral("IDDISMONTLIS")) == QLatin1String("S");
        QCOMPARE(listCell.pictures.size(), 1);
        QCOMPARE(listCell.pictures.first().pixmap.cacheKey(),
                 TfrmGridCotaPrec::picture(checked ? QStringLiteral("imgChecked") : QStringLiteral("imgUnChecked")).cacheKey());
        QVERIFY(!listCell.drawText);

        const DBGridCell buyerCell = delegate->describeCell(row, buyer);
        QCOMPARE(buyerCell.text, buyerCell.fieldText(QStringLiteral("NMOPERADOR")));
    }
    QCOMPARE(originsDrawn, QSet<QString>(origins.cbegin(), origins.cend()));
    QCOMPARE(flagsDrawn, (QSet<QString>{QStringLiteral("S"), QStringLiteral("N")}));
    // SUP_WORKSPACE_SCREENSHOT=FILE saves the quotation page as the demo shows it.
    const QString shot = qEnvironmentVariable("SUP_WORKSPACE_SCREENSHOT");
    if (!shot.isEmpty()) {
        form->resize(1100, 640);
        ds->first();
        form->Habilita();
        QTest::qWait(50);
        QVERIFY(form->grab().save(shot));
    }
    QCOMPARE(ds->fieldByName(QStringLiteral("Semana"))->asString(),
             ds->fieldByName(QStringLiteral("NRSEMAINIC"))->asString() + QStringLiteral(" a ")
                 + ds->fieldByName(QStringLiteral("NRSEMAFINAL"))->asString());
}

void tst_Cli_sup05200::picturesAreTheResourceDrawings()
{
    // The pictures are SVG: without Qt's SVG plugins on this platform they come out empty.
    QVERIFY2(QImageReader::supportedImageFormats().contains("svg"), "Qt's SVG image plugin is missing");

    struct Group { QStringList names; QSize size; };
    const Group groups[] = {
        {{QStringLiteral("imgAlert"), QStringLiteral("imgEmail"), QStringLiteral("imgNet"),
          QStringLiteral("imgChecked"), QStringLiteral("imgUnChecked")}, QSize(16, 16)},
        {{QStringLiteral("tool:Filtro"), QStringLiteral("tool:ExclPrZero"), QStringLiteral("tool:CopiarCota"),
          QStringLiteral("tool:Simulacao"), QStringLiteral("tool:AutoMelhor"), QStringLiteral("tool:Obs"),
          QStringLiteral("tool:Planilha"), QStringLiteral("tool:GridCotaPrecConsul"), QStringLiteral("tool:ReajustPr"),
          QStringLiteral("tool:QtComprar"), QStringLiteral("tool:AtualizaFormPgto"), QStringLiteral("tool:Copy"),
          QStringLiteral("tool:AlteraValidade")}, QSize(20, 20)},
    };
    const QRgb olive = TfrmGridCotaPrec::transparentColour().rgba();
    // A tool without a drawing of its own gets the generic one; every tool above has its own.
    const QImage generic =
        TfrmGridCotaPrec::picture(QStringLiteral("tool:SemDesenho")).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(generic.size(), QSize(20, 20));
    for (const Group &group : groups) {
        QList<QImage> images;
        for (const QString &name : group.names) {
            const QPixmap pix = TfrmGridCotaPrec::picture(name);
            QVERIFY2(!pix.isNull(), qPrintable(name));
            QCOMPARE(pix.size(), group.size);
            QCOMPARE(TfrmGridCotaPrec::picture(name).cacheKey(), pix.cacheKey());   // read once
            const QImage image = pix.toImage().convertToFormat(QImage::Format_ARGB32);
            // Transparent by alpha around the drawing; no pixel of the grid's masked colour,
            // which would become a hole.
            bool clear = false, drawn = false;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb p = image.pixel(x, y);
                    clear = clear || qAlpha(p) == 0;
                    drawn = drawn || qAlpha(p) == 255;
                    QVERIFY2(p != olive, qPrintable(name));
                }
            }
            QVERIFY2(clear && drawn, qPrintable(name));
            QVERIFY2(image != generic, qPrintable(name));
            for (int other = 0; other < images.size(); ++other)
                QVERIFY2(image != images.at(other), qPrintable(name + QLatin1String(" looks like ") + group.names.at(other)));
            images.append(image);
        }
    }
    QVERIFY(TfrmGridCotaPrec::picture(QStringLiteral("imgNenhum")).isNull());
    QVERIFY(TfrmGridCotaPrec::picture(QString()).isNull());
}

void tst_Cli_sup05200::periodBecomesCommaInFloatGrid()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    auto restore = qScopeGuard([previous] { QLocale::setDefault(previous); });

    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    fill(form->cdsGridProdMarc, {{{QStringLiteral("VRPRECUNIITM"), 1.5}}});
    form->dbgGridProdMarc->setFocus();
    form->dbgGridProdMarc->setSelectedField(QStringLiteral("VRPRECUNIITM"));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(form->dbgGridProdMarc));

    QKeyEvent period(QEvent::KeyPress, Qt::Key_Period, Qt::NoModifier, QStringLiteral("."));
    form->OnMessage(form->dbgGridProdMarc, &period);
    QCOMPARE(period.key(), int(Qt::Key_Comma));
    QCOMPARE(period.text(), QStringLiteral(","));

    // A text column keeps the period.
    form->dbgGridProdMarc->setSelectedField(QStringLiteral("DSJUSTOPER"));
    QKeyEvent text(QEvent::KeyPress, Qt::Key_Period, Qt::NoModifier, QStringLiteral("."));
    form->OnMessage(form->dbgGridProdMarc, &text);
    QCOMPARE(text.key(), int(Qt::Key_Period));
}

void tst_Cli_sup05200::oddTaggedColumnDropsDelete()
{
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    QVERIFY(form->cdsColetapr->fieldByName(QStringLiteral("NRCOLEPRECO"))->tag() % 2 != 0);
    loadAllQuotations();
    ClientDataSet *regions = form->cdsGridRegiao;
    QCOMPARE(regions->fieldByName(QStringLiteral("CDREGIAO"))->tag(), 1);
    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    fill(regions, {{{QStringLiteral("CDREGIAO"), QStringLiteral("001")}}});
    form->dbgGridRegiao->setOption(DBGrid::Editing);
    form->dbgGridRegiao->setFocus();
    form->dbgGridRegiao->setSelectedField(QStringLiteral("CDREGIAO"));

    // Without an open cell editor the key is the grid's to handle.
    int key = Qt::Key_Delete;
    form->FormKeyDown(key, Qt::NoModifier);
    QCOMPARE(key, int(Qt::Key_Delete));

    // In the cell editor of the marked column, on a row being browsed, it is dropped.
    form->dbgGridRegiao->showEditor();
    QTRY_VERIFY(form->dbgGridRegiao->isEditorFocused());
    key = Qt::Key_Backspace;
    form->FormKeyDown(key, Qt::NoModifier);
    QCOMPARE(key, 0);

    // The name column carries no mark.
    form->dbgGridRegiao->cancelEdit();
    form->dbgGridRegiao->setSelectedField(QStringLiteral("NMREGIAO"));
    form->dbgGridRegiao->showEditor();
    QTRY_VERIFY(form->dbgGridRegiao->isEditorFocused());
    key = Qt::Key_Delete;
    form->FormKeyDown(key, Qt::NoModifier);
    QCOMPARE(key, int(Qt::Key_Delete));
}

QTEST_MAIN(tst_Cli_sup05200)
#include "tst_Cli_sup05200.moc"
