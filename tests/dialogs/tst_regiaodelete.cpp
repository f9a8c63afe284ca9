// The region removal against the real server: the current region proposed and removed at
// once for the current supplier, the workspace staying on it; every supplier's items of the
// region removed after the price-list warning; an unknown region refused.
#include "Cli_sup05200.h"
#include "Cli_sup05210.h"

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

class tst_RegiaoDelete : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void currentRegionRemovedForTheCurrentSupplier();
    void regionRemovedForEverySupplierAfterThePriceListWarning();
    void unknownRegionRefused();

private:
    TfrmGridCotaPrec *openStandard();
    qlonglong itemsIn(int region, int supplier = -1);
    QString msg(const QString &key) const { return m_messages.Msg(key); }

    ServerFixture m_server;
    std::unique_ptr<MaintenanceWorkspace> m_ws;
    TMessages m_messages;
};

void tst_RegiaoDelete::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_ws = std::make_unique<MaintenanceWorkspace>(m_server);
    QVERIFY2(m_ws->data().ensureMasterData(&error), qPrintable(error));
    QVERIFY(m_messages.load(QStringLiteral("Cli_sup05210")));
}

void tst_RegiaoDelete::cleanup()
{
    m_ws->close();
}

void tst_RegiaoDelete::cleanupTestCase()
{
    m_ws.reset();
    m_server.stop();
}

// Regions 901 and 902, each with suppliers 0 and 1; the workspace on 902, supplier 1.
TfrmGridCotaPrec *tst_RegiaoDelete::openStandard()
{
    TfrmGridCotaPrec *form = m_ws->open({W::item(0, 0, 0, 0, 5), W::item(0, 1, 0, 0, 7), W::item(1, 0, 0, 0, 9),
                                         W::item(1, 0, 1, 1, 4), W::item(1, 1, 1, 1, 10)});
    return form && m_ws->moveTo(1, 1) ? form : nullptr;
}

qlonglong tst_RegiaoDelete::itemsIn(int region, int supplier)
{
    QVariantMap params{{QStringLiteral("R"), m_ws->data().region(region)}};
    QString condition = QStringLiteral("CDREGIAO = :R");
    if (supplier >= 0) {
        condition += QStringLiteral(" AND CDFORNECED = :F");
        params.insert(QStringLiteral("F"), m_ws->data().supplier(supplier));
    }
    return m_ws->items(condition, params);
}

void tst_RegiaoDelete::currentRegionRemovedForTheCurrentSupplier()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    m_server.ui().clear();
    const auto ran = whenModal(QStringLiteral("frmGridRegiaoDelete"), [this](QDialog &dialog) {
        auto &d = static_cast<TfrmGridRegiaoDelete &>(dialog);
        QCOMPARE(d.windowTitle(), QStringLiteral("Exclusão de Região"));
        QCOMPARE(d.medCdRegiao->text(), m_ws->data().region(1));
        QCOMPARE(d.edtNmRegiao->text(), m_ws->data().regionName(1));
        QCOMPARE(d.drgForneItemIndex(), 0);
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    });
    form->Habilita();
    form->mnuDelRegiao->trigger();
    QVERIFY(*ran);
    QVERIFY2(m_server.ui().errors().isEmpty(),
             qPrintable(m_server.ui().errors().join(u'|') + u'\n' + m_ws->serverLogTail()));
    QCOMPARE(m_server.ui().count(Kind::Message), 0);
    QCOMPARE(itemsIn(1, 1), 0);
    QCOMPARE(itemsIn(1, 0), 2);
    QCOMPARE(itemsIn(0), 2);
    // Still quoted by supplier 0: the workspace stays on 902, without supplier 1.
    QCOMPARE(form->cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString(), m_ws->data().region(1));
    QCOMPARE(form->cdsGridFornecedor->recordCount(), 1);
    QCOMPARE(form->cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString(), m_ws->data().supplier(0));
}

void tst_RegiaoDelete::regionRemovedForEverySupplierAfterThePriceListWarning()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    QString list, error;
    QVERIFY2(m_ws->data().putInPriceList(m_ws->number(), W::item(1, 0, 1, 1, 4), &list, &error), qPrintable(error));
    m_server.ui().clear();
    m_server.ui().answerNo();
    m_server.ui().answerYes();
    const auto ran = whenModal(QStringLiteral("frmGridRegiaoDelete"), [this](QDialog &dialog) {
        auto &d = static_cast<TfrmGridRegiaoDelete &>(dialog);
        d.rbtTodosForn->setChecked(true);
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
        // Declined: nothing removed, still open.
        QVERIFY(d.isVisible());
        QCOMPARE(itemsIn(1), 3);
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
        QCOMPARE(d.stFornExcl, QStringLiteral("T"));
    });
    form->Habilita();
    form->mnuDelRegiao->trigger();
    QVERIFY(*ran);
    QVERIFY2(m_server.ui().errors().isEmpty(),
             qPrintable(m_server.ui().errors().join(u'|') + u'\n' + m_ws->serverLogTail()));
    QCOMPARE(m_server.ui().count(Kind::Message), 2);
    QCOMPARE(itemsIn(1), 0);
    QCOMPARE(itemsIn(0), 2);
    QCOMPARE(form->cdsGridRegiao->recordCount(), 1);
    QVERIFY(!form->cdsGridRegiao->locate(QStringLiteral("CDREGIAO"), m_ws->data().region(1)));
}

void tst_RegiaoDelete::unknownRegionRefused()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    const int calls = m_ws->serverCalls(QStringLiteral("ExclRegiao"));
    TfrmGridRegiaoDelete d(*form->context(), *form);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.medCdRegiao->setFocus();
    d.medCdRegiao->setText(QString());
    m_server.ui().clear();
    QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Reg_N_Inf"))});
    QTest::keyClicks(d.medCdRegiao, QStringLiteral("0"));
    m_server.ui().clear();
    QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Reg_N_Cad"))});
    QCOMPARE(d.medCdRegiao->text(), QStringLiteral("000"));
    QVERIFY(d.medCdRegiao->hasFocus());
    QCOMPARE(m_ws->serverCalls(QStringLiteral("ExclRegiao")), calls);
}

QTEST_MAIN(tst_RegiaoDelete)
#include "tst_regiaodelete.moc"
