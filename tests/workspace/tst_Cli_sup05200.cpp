// The quotation workspace driven as a user would, against a real server on the demo data:
// its first activation, the enabling rule in the states that matter, the access checks,
// reopening a concluded quotation, the consultation start, deleting and the cell rules.
#include "Cli_sup05200.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DBGrid.h"
#include "DBGridDelegate.h"
#include "DBMemo.h"
#include "DataSource.h"
#include "PageControl.h"
#include "ServerFixture.h"
#include "TMessages.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>

#include <functional>
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
    void operatorCheckRefusesUnrelatedOperators_data();
    void operatorCheckRefusesUnrelatedOperators();
    void reopeningAsksManagerPasswordOncePerWorkspace();
    void refusedPasswordKeepsQuotationConcluded();
    void consultationStartRestrictsCommands();
    void deleteWithPriceListItemsAsksAndHonoursTheAnswer();
    void deleteRefusedByServerKeepsRow();
    void insertIntoListIsRefused();
    void cellPicturesFollowValues();
    void periodBecomesCommaInFloatGrid();
    void oddTaggedColumnDropsDelete();

private:
    TfrmGridCotaPrec *openWorkspace(const QString &operatorCode);
    void loadAllQuotations();
    // Moves to the first quotation for which the predicate holds; false when none.
    bool locate(const std::function<bool(ClientDataSet &)> &predicate);
    QString value(const char *field) const;
    QString situationOnServer(const QString &number);

    ServerFixture m_server;
    std::unique_ptr<TfrmGridCotaPrec> m_form;
};

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
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    QVERIFY(locate([](ClientDataSet &ds) { return ds.fieldByName(QStringLiteral("IDSITUCOLETA"))->asString() == "C"; }));
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

    // The product page: include, simulation and the product tools stay off.
    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    QVERIFY(!form->mnuIncluir->isEnabled());
    QVERIFY(!form->mnuSimulacao->isEnabled());
    QVERIFY(!form->mnuObs->isEnabled());
    QVERIFY(!form->mnuQtComprar->isEnabled());
    QVERIFY(!form->mnuReajustPr->isEnabled());
    QVERIFY(form->mnuGridCotaPrecConsul->isEnabled());

    // Back on a quotation in progress the same commands are available, and the
    // observation is writable again.
    form->pgcPadrao->setActivePage(form->tshCotacao);
    form->pgcPadraoChange();
    QVERIFY(locate([](ClientDataSet &ds) { return ds.fieldByName(QStringLiteral("IDSITUCOLETA"))->asString() == "A"; }));
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
    form->sbtCancelarClick();
    QCOMPARE(form->pgcPadrao->activePage(), form->tshCotacao);
    QVERIFY(form->panNavigator->isVisibleTo(form));

    // The products page follows its own grids: with no region loaded nothing is browsed.
    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    QVERIFY(form->FonteAtual == form->dtsGridRegiao);
    QVERIFY(form->panDatVal->isVisibleTo(form));
    QVERIFY(form->mnuGridCotaPrecConsul->isEnabled());
    QVERIFY(!form->mnuAlterar->isEnabled());
    QVERIFY(!form->mnuExcluir->isEnabled());
    QVERIFY(!form->mnuAutoMelhor->isEnabled()); // only on the quotation page
    QVERIFY(!form->mnuCopiaJust->isEnabled());
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

void tst_Cli_sup05200::reopeningAsksManagerPasswordOncePerWorkspace()
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

    // Concluding needs no password; reopening again in this workspace asks nothing.
    list->edit();
    situation->setValue(QStringLiteral("C"));
    list->post();
    QCOMPARE(situationOnServer(number), QStringLiteral("C"));
    list->edit();
    situation->setValue(QStringLiteral("A"));
    list->post();
    QCOMPARE(m_server.ui().count(Kind::Password), 1);
    QCOMPARE(situationOnServer(number), QStringLiteral("A"));
    QCOMPARE(m_server.ui().errors(), QStringList());

    // A new workspace asks again.
    list->edit();
    situation->setValue(QStringLiteral("C"));
    list->post();
    m_form->FormClose();
    m_form.reset();
    form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    QVERIFY(locate([&](ClientDataSet &ds) { return ds.fieldByName(QStringLiteral("NRCOLEPRECO"))->asString() == number; }));
    m_server.ui().clear();
    m_server.ui().answerPassword(QStringLiteral("demo"));
    form->cdsColetapr->edit();
    form->cdsColetapr->fieldByName(QStringLiteral("IDSITUCOLETA"))->setValue(QStringLiteral("A"));
    form->cdsColetapr->post();
    QCOMPARE(m_server.ui().count(Kind::Password), 1);
    QCOMPARE(situationOnServer(number), QStringLiteral("A"));
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
    QVERIFY(locate([](ClientDataSet &ds) { return ds.fieldByName(QStringLiteral("IDSITUCOLETA"))->asString() == "A"; }));
    form->Habilita();
    QVERIFY(!form->mnuFiltro->isEnabled());
    QVERIFY(!form->mnuCopiarCota->isEnabled());
    QVERIFY(!form->mnuAltValidade->isEnabled());
    QVERIFY(!form->mnuIncluir->isEnabled());
    QVERIFY(!form->mnuAlterar->isEnabled()); // edit only on the products page
    QVERIFY(form->mnuExcluir->isEnabled());  // delete only on the quotation page

    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    QVERIFY(!form->mnuIncluir->isEnabled());
    QVERIFY(!form->mnuExcluir->isEnabled());
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

void tst_Cli_sup05200::deleteRefusedByServerKeepsRow()
{
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    // The oldest quotation has confirmed prices in a concluded price list.
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), QStringLiteral("0000000001")));
    if (value("IDSITUCOLETA") != QLatin1String("A"))
        QSKIP("the demo's oldest quotation is not in progress");
    const int rows = form->cdsColetapr->recordCount();
    m_server.ui().answerYes();
    m_server.ui().answerYes();
    form->mnuExcluir->trigger();
    QCOMPARE(m_server.ui().errors().size(), 1);
    QCOMPARE(form->cdsColetapr->recordCount(), rows);
    QCOMPARE(value("NRCOLEPRECO"), QStringLiteral("0000000001"));
    QCOMPARE(situationOnServer(QStringLiteral("0000000001")), QStringLiteral("A"));
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
    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    DBGridDelegate *delegate = form->dbgCotacao->gridDelegate();
    const int origin = form->dbgCotacao->columnIndex(QStringLiteral("IDTIPCOLREG"));
    const int list = form->dbgCotacao->columnIndex(QStringLiteral("IDDISMONTLIS"));
    const int buyer = form->dbgCotacao->columnIndex(QStringLiteral("CDOPERADOR"));
    ClientDataSet *ds = form->cdsColetapr;
    const int rows = qMin(ds->recordCount(), 8);
    for (int row = 0; row < rows; ++row) {
        const DBGridCell originCell = delegate->describeCell(row, origin);
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
        const bool checked = listCell.fieldText(QStringLiteral("IDDISMONTLIS")) == QLatin1String("S");
        QCOMPARE(listCell.pictures.size(), 1);
        QCOMPARE(listCell.pictures.first().pixmap.cacheKey(),
                 TfrmGridCotaPrec::picture(checked ? QStringLiteral("imgChecked") : QStringLiteral("imgUnChecked")).cacheKey());
        QVERIFY(!listCell.drawText);

        const DBGridCell buyerCell = delegate->describeCell(row, buyer);
        QCOMPARE(buyerCell.text, buyerCell.fieldText(QStringLiteral("NMOPERADOR")));
    }
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

void tst_Cli_sup05200::periodBecomesCommaInFloatGrid()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    auto restore = qScopeGuard([previous] { QLocale::setDefault(previous); });

    TfrmGridCotaPrec *form = openWorkspace(QString::fromLatin1(ServerFixture::kBuyer));
    loadAllQuotations();
    form->cdsGridProdMarc->createDataSet();
    form->cdsGridProdMarc->append();
    form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->setAsFloat(1.5);
    form->cdsGridProdMarc->post();
    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
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
    regions->createDataSet();
    regions->append();
    regions->fieldByName(QStringLiteral("CDREGIAO"))->setAsString(QStringLiteral("001"));
    regions->post();
    form->pgcPadrao->setActivePage(form->tshProdCotGrid);
    form->pgcPadraoChange();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
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
