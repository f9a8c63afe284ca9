// The five maintenance dialogs opened over a demo quotation on the products page: each
// starts from what the workspace shows (its regions, quoted suppliers, current region,
// supplier and row) and its searches fill their fields.  With SUP_SCREENSHOT_DIR set,
// each dialog is saved as a picture there.
#include "Cli_sup05200.h"
#include "Cli_sup05206.h"
#include "Cli_sup05207.h"
#include "Cli_sup05208.h"
#include "Cli_sup05209.h"
#include "Cli_sup05210.h"

#include "MaintenanceWorkspace.h"
#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "MaskEdit.h"
#include "TBtnPesquisa.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

class tst_MaintenanceDemo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void supplierInsertionOffersTheQuotedSuppliersAndRegions();
    void supplierRemovalProposesTheCurrentSupplier();
    void regionDialogsProposeAndSearchRegions();
    void productExclusionStartsFromTheCurrentRow();

private:
    QString current(ClientDataSet *ds, const char *field) const
    {
        return ds->fieldByName(QLatin1String(field))->asString();
    }
    template<class Dialog>
    void show(Dialog &d)
    {
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
    }

    ServerFixture m_server;
    std::unique_ptr<MaintenanceWorkspace> m_ws;
    TfrmGridCotaPrec *m_form = nullptr;
};

void tst_MaintenanceDemo::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_ws = std::make_unique<MaintenanceWorkspace>(m_server);
    m_form = m_ws->openDemo();
    QVERIFY(m_form);
    QVERIFY(!m_form->cdsGridProdMarc->isEmpty());
}

void tst_MaintenanceDemo::cleanupTestCase()
{
    m_ws.reset();
    m_server.stop();
}

void tst_MaintenanceDemo::supplierInsertionOffersTheQuotedSuppliersAndRegions()
{
    m_form->cdsFornCotadosAux->setData(m_form->cdsFornCotados->data());
    TfrmGridForneInsert d(*m_form->context(), *m_form);
    show(d);
    QCOMPARE(d.cdsRegCota->recordCount(), m_form->cdsGridRegiao->recordCount());
    QCOMPARE(d.cdsPesqFornCot->recordCount(), m_form->cdsFornCotados->recordCount());
    // The price source and its region from the searches.
    m_server.ui().answerSearch(0);
    d.btpFornCarg->click();
    QCOMPARE(d.stCdFornCarg, current(d.cdsPesqFornCot, "CDFORNECED"));
    QCOMPARE(d.edtNmFornCarg->text(), current(d.cdsPesqFornCot, "NMRAZSOCFORN"));
    m_server.ui().answerSearch(0);
    d.btpCargReg->click();
    QCOMPARE(d.medCargReg->text(), current(d.cdsRegCota, "CDREGIAO"));
    // A supplier from the search of every supplier.
    m_server.ui().answerSearch(1);
    d.btnPesqForn->click();
    QVERIFY(!d.stCdFornIns.isEmpty());
    QVERIFY(!d.edtNmRazSocForn->text().isEmpty());
    QVERIFY(m_server.ui().errors().isEmpty());
    MaintenanceWorkspace::screenshot(&d, QStringLiteral("supplier-insertion-dialog.png"));
}

void tst_MaintenanceDemo::supplierRemovalProposesTheCurrentSupplier()
{
    TfrmGridForneDelete d(*m_form->context(), *m_form);
    show(d);
    QCOMPARE(d.medNrInsJurForn->text(), current(m_form->cdsGridFornecedor, "NRINSJURFORN").trimmed());
    QCOMPARE(d.medNrInsJurForn->maskedText(),
             Consiste::FormataInscricao(current(m_form->cdsGridFornecedor, "NRINSJURFORN").trimmed(),
                                        current(m_form->cdsGridFornecedor, "IDTPIJURFORN").trimmed()));
    QVERIFY(!d.edtNmRazSocForn->text().isEmpty());
    QCOMPARE(d.supplierList().count(u'_'), m_form->cdsGridFornecedor->recordCount());
    MaintenanceWorkspace::screenshot(&d, QStringLiteral("supplier-removal-dialog.png"));
}

void tst_MaintenanceDemo::regionDialogsProposeAndSearchRegions()
{
    {
        TfrmGridRegiaoInsert d(*m_form->context(), *m_form);
        show(d);
        m_server.ui().answerSearch(0);
        d.btnRegiao->click();
        QCOMPARE(d.medCdRegiao->text().size(), 3);
        QVERIFY(!d.edtNmRegiao->text().isEmpty());
        m_server.ui().answerSearch(0);
        d.btpCargReg->click();
        QCOMPARE(d.medCargReg->text(), current(d.cdsRegCota, "CDREGIAO"));
        MaintenanceWorkspace::screenshot(&d, QStringLiteral("region-insertion-dialog.png"));
    }
    TfrmGridRegiaoDelete d(*m_form->context(), *m_form);
    show(d);
    QCOMPARE(d.medCdRegiao->text(), current(m_form->cdsGridRegiao, "CDREGIAO"));
    QCOMPARE(d.edtNmRegiao->text(), current(m_form->cdsGridRegiao, "NMREGIAO"));
    QVERIFY(d.rbtFornCorrente->isChecked());
    MaintenanceWorkspace::screenshot(&d, QStringLiteral("region-removal-dialog.png"));
}

void tst_MaintenanceDemo::productExclusionStartsFromTheCurrentRow()
{
    m_form->cdsGridProdMarc->last();
    TfrmGridExclProd d(*m_form->context(), *m_form);
    show(d);
    QCOMPARE(d.medCdProduto->text(), current(m_form->cdsGridProdMarc, "CDARVPROD").trimmed());
    QCOMPARE(d.edtNmProduto->text(), current(m_form->cdsGridProdMarc, "NMPRODUTO"));
    QCOMPARE(d.edtMarca->text(), current(m_form->cdsGridProdMarc, "NMMARCA"));
    QCOMPARE(d.edtFornecedor->text(), current(m_form->cdsGridFornecedor, "NMFANTFORN"));
    QVERIFY(d.cdsProduto->recordCount() > 0 && d.cdsProduto->recordCount() <= m_form->cdsGridProdMarc->recordCount());
    // The search fills code and name from the product list.
    m_server.ui().answerSearch(0);
    d.btnProduto->click();
    QCOMPARE(d.medCdProduto->text(), current(d.cdsProduto, "CDARVPROD").trimmed());
    QCOMPARE(d.edtNmProduto->text(), current(d.cdsProduto, "NMPRODUTO"));
    MaintenanceWorkspace::screenshot(&d, QStringLiteral("product-exclusion-dialog.png"));
}

QTEST_MAIN(tst_MaintenanceDemo)
#include "tst_maintenancedemo.moc"
