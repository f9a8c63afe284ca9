// The product exclusion against the real server: the dialog kept between openings and
// started from the workspace's current row each time, the questions of each choice of
// scopes, a product typed from another row, an unknown product, and the rows leaving the
// workspace's grid and the quotation.
#include "Cli_sup05200.h"
#include "Cli_sup05206.h"

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

using Kind = ScriptedUserInterface::Kind;
using W = MaintenanceWorkspace;

class tst_ExclProd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void selectedScopesAskOnlyTheConfirmation();
    void wideScopesAreWarnedOnTheirOwnLines();
    void typedProductIsTheOneRemovedAndUnknownOnesRefused();

private:
    TfrmGridCotaPrec *openStandard();
    qlonglong itemsOf(int product, int brand = -1);
    bool rowShown(int product, int brand);
    // Opens the dialog from the pop-up and runs whileOpen in it.
    void throughTheMenu(const std::function<void(TfrmGridExclProd &)> &whileOpen);
    QString msg(const QString &key) const { return m_messages.Msg(key); }

    ServerFixture m_server;
    std::unique_ptr<MaintenanceWorkspace> m_ws;
    TMessages m_messages;
};

void tst_ExclProd::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_ws = std::make_unique<MaintenanceWorkspace>(m_server);
    QVERIFY2(m_ws->data().ensureMasterData(&error), qPrintable(error));
    QVERIFY(m_messages.load(QStringLiteral("Cli_sup05206")));
}

void tst_ExclProd::cleanup()
{
    m_ws->close();
}

void tst_ExclProd::cleanupTestCase()
{
    m_ws.reset();
    m_server.stop();
}

// 901: supplier 0 with product 0 in brands 0 and 1 and product 1; supplier 1 with product
// 0.  902: supplier 0 with product 0 in brands 0 and 2.  The workspace on 901, supplier 0,
// product 0 brand 1.
TfrmGridCotaPrec *tst_ExclProd::openStandard()
{
    TfrmGridCotaPrec *form = m_ws->open({W::item(0, 0, 0, 0, 5), W::item(0, 0, 0, 1, 6), W::item(0, 0, 1, 0, 7),
                                         W::item(0, 1, 0, 0, 8), W::item(1, 0, 0, 0, 9), W::item(1, 0, 0, 2, 3)});
    if (!form || !m_ws->moveTo(0, 0) || !rowShown(0, 1))
        return nullptr;
    return form;
}

qlonglong tst_ExclProd::itemsOf(int product, int brand)
{
    QVariantMap params{{QStringLiteral("P"), m_ws->data().product(product)}};
    QString condition = QStringLiteral("CDPRODUTO = :P");
    if (brand >= 0) {
        condition += QStringLiteral(" AND CDMARCA = :B");
        params.insert(QStringLiteral("B"), m_ws->data().brand(brand));
    }
    return m_ws->items(condition, params);
}

bool tst_ExclProd::rowShown(int product, int brand)
{
    return m_ws->form()->cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"),
                                                 QVariantList{m_ws->data().product(product), m_ws->data().brand(brand)});
}

void tst_ExclProd::throughTheMenu(const std::function<void(TfrmGridExclProd &)> &whileOpen)
{
    const auto ran = whenModal(QStringLiteral("frmGridExclProd"),
                               [whileOpen](QDialog &dialog) { whileOpen(static_cast<TfrmGridExclProd &>(dialog)); });
    m_ws->form()->Habilita();
    m_ws->form()->mnuDelProd->trigger();
    QVERIFY(*ran);
}

void tst_ExclProd::selectedScopesAskOnlyTheConfirmation()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    TfrmGridExclProd *first = nullptr;
    m_server.ui().clear();
    m_server.ui().answerNo();
    throughTheMenu([&](TfrmGridExclProd &d) {
        first = &d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Exclusão de Produto"));
        // Started from the workspace's row.
        QCOMPARE(d.medCdProduto->text(), m_ws->data().tree(0));
        QCOMPARE(d.edtNmProduto->text(), m_ws->data().productName(0));
        QCOMPARE(d.edtRegiao->text(), m_ws->data().regionName(0));
        QCOMPARE(d.edtFornecedor->text(), m_ws->data().supplierName(0));
        QCOMPARE(d.edtMarca->text(), m_ws->data().brandName(1));
        QVERIFY(d.rbtSelRegiao->isChecked() && d.rbtSelForn->isChecked() && d.rbtSelMarca->isChecked());
        QCOMPARE(d.cdsProduto->recordCount(), 2);
        // "No" to the confirmation: nothing happens, the dialog stays.
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
        QVERIFY(d.isVisible());
        d.rbtTodMarca->setChecked(true); // left so on purpose: the next opening resets it
    });
    QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{msg(QStringLiteral("Confirma2"))});
    QCOMPARE(itemsOf(0), 5);

    // The kept dialog opens again on the workspace's row with its scopes reset.
    QVERIFY(rowShown(0, 1));
    m_server.ui().clear();
    m_server.ui().answerYes();
    throughTheMenu([&](TfrmGridExclProd &d) {
        QCOMPARE(&d, first);
        QVERIFY(d.rbtSelMarca->isChecked());
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    });
    QVERIFY2(m_server.ui().errors().isEmpty(),
             qPrintable(m_server.ui().errors().join(u'|') + u'\n' + m_ws->serverLogTail()));
    QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{msg(QStringLiteral("Confirma2"))});
    // Only that item: same product in the other brand, region and supplier stays.
    QCOMPARE(itemsOf(0, 1), 0);
    QCOMPARE(itemsOf(0), 4);
    QVERIFY(!rowShown(0, 1));
    QVERIFY(rowShown(0, 0));
    QCOMPARE(form->cdsGridProdMarc->changeCount(), 0);
}

void tst_ExclProd::wideScopesAreWarnedOnTheirOwnLines()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    m_server.ui().clear();
    m_server.ui().answerYes();
    m_server.ui().answerYes();
    throughTheMenu([](TfrmGridExclProd &d) {
        d.rbtTodRegiao->setChecked(true);
        d.rbtTodMarca->setChecked(true);
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    });
    QVERIFY2(m_server.ui().errors().isEmpty(),
             qPrintable(m_server.ui().errors().join(u'|') + u'\n' + m_ws->serverLogTail()));
    const QString warning = QStringLiteral("Foi escolhida a opção para excluir o produto de todas as regiões.\n"
                                           "Foi escolhida a opção para excluir todas as marcas do produto.\n"
                                           "Confirma a operação?");
    QCOMPARE(m_server.ui().texts(Kind::Message), (QStringList{warning, msg(QStringLiteral("Confirma2"))}));
    // Supplier 0's product 0 is gone from both regions in every brand; supplier 1 keeps it.
    QCOMPARE(itemsOf(0), 1);
    QCOMPARE(m_ws->items(QStringLiteral("CDPRODUTO = :P AND CDFORNECED = :F"),
                         {{QStringLiteral("P"), m_ws->data().product(0)}, {QStringLiteral("F"), m_ws->data().supplier(1)}}),
             1);
    QVERIFY(!form->cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO"), m_ws->data().product(0)));
    QVERIFY(rowShown(1, 0));
}

void tst_ExclProd::typedProductIsTheOneRemovedAndUnknownOnesRefused()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    m_server.ui().clear();
    throughTheMenu([this](TfrmGridExclProd &d) {
        auto type = [&d](const QString &code) {
            d.medCdProduto->setFocus();
            d.medCdProduto->setText(QString());
            QTest::keyClicks(d.medCdProduto, code);
        };
        type(QStringLiteral("0199999"));
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
        QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("ProdNCad"))});
        QVERIFY(d.medCdProduto->hasFocus());
        m_server.ui().clear();
        type(QString());
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
        QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Prod_Vazio"))});
        // Product 1 (another row), every brand.
        m_server.ui().clear();
        m_server.ui().answerYes();
        m_server.ui().answerYes();
        type(m_ws->data().tree(1));
        d.rbtTodMarca->setChecked(true);
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    });
    QVERIFY2(m_server.ui().errors().isEmpty(),
             qPrintable(m_server.ui().errors().join(u'|') + u'\n' + m_ws->serverLogTail()));
    QCOMPARE(itemsOf(1), 0);
    QCOMPARE(itemsOf(0), 5);
    QVERIFY(!rowShown(1, 0));
    QVERIFY(rowShown(0, 1));
}

QTEST_MAIN(tst_ExclProd)
#include "tst_exclprod.moc"
