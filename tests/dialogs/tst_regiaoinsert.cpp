// The region insertion against the real server: the region padded and checked, refused
// when already quoted before any server call, the price source that must be a region of
// the quotation, the suppliers that must be active and qualified, and the region added for
// the current supplier or for all of them with copied prices, the workspace on it after.
#include "Cli_sup05200.h"
#include "Cli_sup05209.h"

#include "MaintenanceWorkspace.h"
#include "QuotationTestData.h"
#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "MaskEdit.h"
#include "TMessages.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

using W = MaintenanceWorkspace;

class tst_RegiaoInsert : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void checksRefuseBeforeTheServerIsAsked();
    void chosenSuppliersMustBeActiveAndQualified();
    void regionAddedForTheCurrentSupplierWithCopiedPrices();
    void regionAddedForEverySupplier();

private:
    TfrmGridCotaPrec *openStandard();
    static void typeInto(MaskEdit *edit, const QString &text);
    QString msg(const QString &key) const { return m_messages.Msg(key); }
    qlonglong itemsOf(int supplier, int region);
    void addThroughTheMenu(bool allSuppliers, const QString &sourceRegion);

    ServerFixture m_server;
    std::unique_ptr<MaintenanceWorkspace> m_ws;
    TMessages m_messages;
};

void tst_RegiaoInsert::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_ws = std::make_unique<MaintenanceWorkspace>(m_server);
    QVERIFY2(m_ws->data().ensureMasterData(&error), qPrintable(error));
    QVERIFY(m_messages.load(QStringLiteral("Cli_sup05209")));
}

void tst_RegiaoInsert::cleanup()
{
    m_ws->close();
    m_server.execute(QStringLiteral("UPDATE FORNECEDOR SET IDSITUCADA = 'A' WHERE CDFORNECED = :F"),
                     {{QStringLiteral("F"), m_ws->data().supplier(0)}});
}

void tst_RegiaoInsert::cleanupTestCase()
{
    m_ws.reset();
    m_server.stop();
}

// Regions 901 and 902 with suppliers 0 and 1; 903 is not quoted.  The workspace on 901,
// supplier 0.
TfrmGridCotaPrec *tst_RegiaoInsert::openStandard()
{
    TfrmGridCotaPrec *form = m_ws->open({W::item(0, 0, 0, 0, 5), W::item(0, 0, 1, 1, 6), W::item(0, 1, 0, 0, 7),
                                         W::item(1, 0, 0, 0, 9), W::item(1, 1, 1, 1, 10)});
    return form && m_ws->moveTo(0, 0) ? form : nullptr;
}

void tst_RegiaoInsert::typeInto(MaskEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->setText(QString());
    QTest::keyClicks(edit, text);
}

qlonglong tst_RegiaoInsert::itemsOf(int supplier, int region)
{
    return m_ws->items(QStringLiteral("CDFORNECED = :F AND CDREGIAO = :R"),
                       {{QStringLiteral("F"), m_ws->data().supplier(supplier)},
                        {QStringLiteral("R"), m_ws->data().region(region)}});
}

void tst_RegiaoInsert::checksRefuseBeforeTheServerIsAsked()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    TfrmGridRegiaoInsert d(*form->context(), *form);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QCOMPARE(d.windowTitle(), QStringLiteral("Inclusão de Região"));
    QCOMPARE(d.drgForneItemIndex(), 0);

    auto confirm = [&](const char *key, QWidget *landsOn) {
        m_server.ui().clear();
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
        QCOMPARE(m_server.ui().errors(), QStringList{msg(QLatin1String(key))});
        QVERIFY2(landsOn->hasFocus(), key);
    };
    confirm("Reg_N_Inf", d.medCdRegiao);
    // A code is padded when the field is left and named when it exists.
    typeInto(d.medCdRegiao, QStringLiteral("0"));
    m_server.ui().clear();
    d.medCargReg->setFocus();
    QCOMPARE(d.medCdRegiao->text(), QStringLiteral("000"));
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Reg_N_Cad"))});
    typeInto(d.medCdRegiao, m_ws->data().region(2));
    d.medCargReg->setFocus();
    QCOMPARE(d.edtNmRegiao->text(), m_ws->data().regionName(2));

    // A price source outside the quotation is refused in its own field, first.
    typeInto(d.medCargReg, m_ws->data().region(2));
    confirm("Reg_NCot", d.medCargReg);

    // A region of the quotation is refused before the server is asked about it.
    const int calls = m_ws->serverCalls(QStringLiteral("Vd_RefoReg"));
    typeInto(d.medCargReg, QString());
    typeInto(d.medCdRegiao, m_ws->data().region(1));
    confirm("Reg_J_Cad", d.medCdRegiao);
    QCOMPARE(m_ws->serverCalls(QStringLiteral("Vd_RefoReg")), calls);
}

void tst_RegiaoInsert::chosenSuppliersMustBeActiveAndQualified()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    QVERIFY(m_server.execute(QStringLiteral("UPDATE FORNECEDOR SET IDSITUCADA = 'I' WHERE CDFORNECED = :F"),
                             {{QStringLiteral("F"), m_ws->data().supplier(0)}}));
    TfrmGridRegiaoInsert d(*form->context(), *form);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    typeInto(d.medCdRegiao, m_ws->data().region(2));
    // The current supplier alone is inactive: refused although the region is valid.
    m_server.ui().clear();
    QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("N_Forn_Cad"))});
    // Every supplier of the quotation: supplier 1 is active, the region goes on to the
    // server's check and insertion.
    d.rbtTodosForn->setChecked(true);
    QCOMPARE(d.supplierPacket().rowCount(), 2);
    m_server.ui().clear();
    QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    QVERIFY(!m_server.ui().errors().contains(msg(QStringLiteral("N_Forn_Cad"))));
    QVERIFY(m_ws->serverCalls(QStringLiteral("Vd_RefoReg")) > 0);
}

void tst_RegiaoInsert::addThroughTheMenu(bool allSuppliers, const QString &sourceRegion)
{
    m_server.ui().clear();
    const auto ran = whenModal(QStringLiteral("frmGridRegiaoInsert"), [this, allSuppliers, sourceRegion](QDialog &dialog) {
        auto &d = static_cast<TfrmGridRegiaoInsert &>(dialog);
        typeInto(d.medCdRegiao, m_ws->data().region(2));
        if (!sourceRegion.isEmpty())
            typeInto(d.medCargReg, sourceRegion);
        d.rbtTodosForn->setChecked(allSuppliers);
        d.medCdRegiao->setFocus();
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    });
    m_ws->form()->Habilita();
    m_ws->form()->mnuInsRegiao->trigger();
    QVERIFY(*ran);
    QVERIFY2(m_server.ui().errors().isEmpty(),
             qPrintable(m_server.ui().errors().join(u'|') + u'\n' + m_ws->serverLogTail()));
}

void tst_RegiaoInsert::regionAddedForTheCurrentSupplierWithCopiedPrices()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    addThroughTheMenu(false, m_ws->data().region(0));
    // Supplier 0 quotes 903 with 901's pairs and prices; supplier 1 does not.
    QCOMPARE(itemsOf(0, 2), 2);
    QCOMPARE(m_ws->price(2, 0, 0, 0), 5.0);
    QCOMPARE(m_ws->price(2, 0, 1, 1), 6.0);
    QCOMPARE(itemsOf(1, 2), 0);
    // The workspace shows the new region with its rows.
    QCOMPARE(form->cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString(), m_ws->data().region(2));
    QCOMPARE(form->cdsGridFornecedor->recordCount(), 1);
    QVERIFY(form->cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"),
                                          QVariantList{m_ws->data().product(1), m_ws->data().brand(1)}));
    QCOMPARE(form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 6.0);
}

void tst_RegiaoInsert::regionAddedForEverySupplier()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    addThroughTheMenu(true, QString());
    QVERIFY(itemsOf(0, 2) > 0);
    QVERIFY(itemsOf(1, 2) > 0);
    QCOMPARE(form->cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString(), m_ws->data().region(2));
    QCOMPARE(form->cdsGridFornecedor->recordCount(), 2);
}

QTEST_MAIN(tst_RegiaoInsert)
#include "tst_regiaoinsert.moc"
