// The supplier removal against the real server: the current supplier proposed through its
// mask, the refusals of the typed supplier, the price-list warning that may stop it, the
// removal for the current region or every region, and the products page afterwards.
#include "Cli_sup05200.h"
#include "Cli_sup05208.h"

#include "MaintenanceWorkspace.h"
#include "QuotationTestData.h"
#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "MaskEdit.h"
#include "TMessages.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using Kind = ScriptedUserInterface::Kind;
using W = MaintenanceWorkspace;

class tst_ForneDelete : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void currentSupplierProposedAndOthersRefused();
    void priceListWarningMayStopTheRemoval();
    void removalForEveryRegionAsksNothingWithoutPriceLists();
    void serverRefusalKeepsTheDialogAndTheGrids();

private:
    TfrmGridCotaPrec *openStandard();
    QString registration(int supplier) const { return QStringLiteral("99%1").arg(supplier + 1, 12, 10, QLatin1Char('0')); }
    static void typeInto(MaskEdit *edit, const QString &text);
    QString msg(const QString &key) const { return m_messages.Msg(key); }
    qlonglong itemsOf(int supplier, int region = -1);

    ServerFixture m_server;
    std::unique_ptr<MaintenanceWorkspace> m_ws;
    TMessages m_messages;
    TMessages m_workspaceMessages;
};

void tst_ForneDelete::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_ws = std::make_unique<MaintenanceWorkspace>(m_server);
    QVERIFY2(m_ws->data().ensureMasterData(&error), qPrintable(error));
    QVERIFY(m_messages.load(QStringLiteral("Cli_sup05208")));
    QVERIFY(m_workspaceMessages.load(QStringLiteral("Cli_sup05200")));
}

void tst_ForneDelete::cleanup()
{
    m_ws->close();
}

void tst_ForneDelete::cleanupTestCase()
{
    m_ws.reset();
    m_server.stop();
}

// Suppliers 0 and 1 in regions 901 and 902; the workspace on 901, supplier 1.
TfrmGridCotaPrec *tst_ForneDelete::openStandard()
{
    TfrmGridCotaPrec *form = m_ws->open({W::item(0, 0, 0, 0, 5), W::item(0, 0, 1, 1, 6), W::item(0, 1, 0, 0, 7),
                                         W::item(0, 1, 2, 2, 8), W::item(1, 0, 0, 0, 9), W::item(1, 1, 1, 1, 10)});
    return form && m_ws->moveTo(0, 1) ? form : nullptr;
}

void tst_ForneDelete::typeInto(MaskEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->setEditMask(QString());
    edit->setText(QString());
    QTest::keyClicks(edit, text);
}

qlonglong tst_ForneDelete::itemsOf(int supplier, int region)
{
    QVariantMap params{{QStringLiteral("F"), m_ws->data().supplier(supplier)}};
    QString condition = QStringLiteral("CDFORNECED = :F");
    if (region >= 0) {
        condition += QStringLiteral(" AND CDREGIAO = :R");
        params.insert(QStringLiteral("R"), m_ws->data().region(region));
    }
    return m_ws->items(condition, params);
}

void tst_ForneDelete::currentSupplierProposedAndOthersRefused()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    const int calls = m_ws->serverCalls(QStringLiteral("ExclForn"));
    TfrmGridForneDelete d(*form->context(), *form);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QCOMPARE(d.windowTitle(), QStringLiteral("Exclusão de Fornecedor"));
    QCOMPARE(d.medNrInsJurForn->maskedText(), Consiste::FormataInscricao(registration(1), QStringLiteral("J")));
    QCOMPARE(d.edtNmRazSocForn->text(), m_ws->data().supplierName(1));
    QVERIFY(!d.chkExclRegiao->isChecked());
    QCOMPARE(d.supplierList(), m_ws->data().supplier(0) + u'_' + m_ws->data().supplier(1) + u'_');

    auto confirm = [&](const char *key) {
        m_server.ui().clear();
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
        QCOMPARE(m_server.ui().errors(), QStringList{msg(QLatin1String(key))});
        QVERIFY(d.medNrInsJurForn->hasFocus());
    };
    typeInto(d.medNrInsJurForn, QString());
    confirm("Forn_N_Inf");
    typeInto(d.medNrInsJurForn, QStringLiteral("11222333000181"));
    confirm("Forn_N_Cad");
    // Registered, but not quoted in the current region.
    typeInto(d.medNrInsJurForn, registration(2));
    confirm("For_N_Cad_Cot");
    QCOMPARE(d.edtNmRazSocForn->text(), m_ws->data().supplierName(2));
    QCOMPARE(m_ws->serverCalls(QStringLiteral("ExclForn")), calls);
    QCOMPARE(itemsOf(1), 3);
}

void tst_ForneDelete::priceListWarningMayStopTheRemoval()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    QString list, error;
    QVERIFY2(m_ws->data().putInPriceList(m_ws->number(), W::item(0, 1, 2, 2, 8), &list, &error), qPrintable(error));

    m_server.ui().clear();
    m_server.ui().answerNo();
    m_server.ui().answerYes();
    const auto ran = whenModal(QStringLiteral("frmGridForneDelete"), [this](QDialog &dialog) {
        auto &d = static_cast<TfrmGridForneDelete &>(dialog);
        // "No": nothing removed, the dialog stays open for another choice.
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
        QVERIFY(d.isVisible());
        QCOMPARE(itemsOf(1, 0), 2);
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    });
    form->Habilita();
    form->mnuDelForn->trigger();
    QVERIFY(*ran);
    QVERIFY2(m_server.ui().errors().isEmpty(),
             qPrintable(m_server.ui().errors().join(u'|') + u'\n' + m_ws->serverLogTail()));
    QCOMPARE(m_server.ui().texts(Kind::Message),
             (QStringList{m_workspaceMessages.Msg(QStringLiteral("Del_Itens_Lista")),
                          m_workspaceMessages.Msg(QStringLiteral("Del_Itens_Lista"))}));
    // Gone from 901 only; the product page shows none of its rows and nothing pending.
    QCOMPARE(itemsOf(1, 0), 0);
    QCOMPARE(itemsOf(1, 1), 1);
    QCOMPARE(form->cdsGridRegiao->fieldByName(QStringLiteral("CDREGIAO"))->asString(), m_ws->data().region(0));
    QVERIFY(!form->cdsGridFornecedor->locate(QStringLiteral("CDFORNECED"), m_ws->data().supplier(1)));
    QVERIFY(!form->cdsGridProdMarc->locate(QStringLiteral("CDFORNECED"), m_ws->data().supplier(1)));
    QCOMPARE(form->cdsGridProdMarc->changeCount(), 0);
}

void tst_ForneDelete::removalForEveryRegionAsksNothingWithoutPriceLists()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    m_server.ui().clear();
    const auto ran = whenModal(QStringLiteral("frmGridForneDelete"), [](QDialog &dialog) {
        auto &d = static_cast<TfrmGridForneDelete &>(dialog);
        d.chkExclRegiao->setChecked(true);
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    });
    form->Habilita();
    form->mnuDelForn->trigger();
    QVERIFY(*ran);
    QVERIFY2(m_server.ui().errors().isEmpty(),
             qPrintable(m_server.ui().errors().join(u'|') + u'\n' + m_ws->serverLogTail()));
    QCOMPARE(m_server.ui().count(Kind::Message), 0);
    QCOMPARE(itemsOf(1), 0);
    QCOMPARE(itemsOf(0), 3);
    QVERIFY(m_ws->moveTo(1, 0));
    QVERIFY(!form->cdsGridFornecedor->locate(QStringLiteral("CDFORNECED"), m_ws->data().supplier(1)));
}

// Supplier 1 is the only supplier of 902: removing it from every region would leave the
// region without suppliers.  The server refuses with a text; nothing changes anywhere.
void tst_ForneDelete::serverRefusalKeepsTheDialogAndTheGrids()
{
    TfrmGridCotaPrec *form = m_ws->open({W::item(0, 0, 0, 0, 5), W::item(0, 1, 0, 0, 7), W::item(0, 1, 1, 1, 6),
                                         W::item(1, 1, 1, 1, 10)});
    QVERIFY(form);
    QVERIFY(m_ws->moveTo(0, 1));
    const int rows = form->cdsGridProdMarc->recordCount();
    m_server.ui().clear();
    const auto ran = whenModal(QStringLiteral("frmGridForneDelete"), [this](QDialog &dialog) {
        auto &d = static_cast<TfrmGridForneDelete &>(dialog);
        d.chkExclRegiao->setChecked(true);
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
        QCOMPARE(m_server.ui().errors().size(), 1);
        QVERIFY(!m_server.ui().errors().constFirst().trimmed().isEmpty());
        QVERIFY(d.isVisible());
        QVERIFY(d.chkExclRegiao->isChecked());
        QVERIFY(!m_server.ui().progressActive());
    });
    form->Habilita();
    form->mnuDelForn->trigger();
    QVERIFY(*ran);
    QCOMPARE(itemsOf(1), 3);
    QCOMPARE(form->cdsGridProdMarc->recordCount(), rows);
    QCOMPARE(form->cdsGridFornecedor->fieldByName(QStringLiteral("CDFORNECED"))->asString(), m_ws->data().supplier(1));
}

QTEST_MAIN(tst_ForneDelete)
#include "tst_fornedelete.moc"
