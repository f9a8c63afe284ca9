// The supplier insertion against the real server: its checks in the order of the focused
// field, the qualification to the day or to the month's end, the insertion status texts,
// the distinct products sent to the server, and a supplier added with copied prices from
// the workspace's pop-up, visible at once in the products page.
#include "Cli_sup05200.h"
#include "Cli_sup05207.h"

#include "MaintenanceWorkspace.h"
#include "QuotationTestData.h"
#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "MaskEdit.h"
#include "QuotationContext.h"
#include "TMessages.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using Kind = ScriptedUserInterface::Kind;
using Item = MaintenanceWorkspace::Item;

class tst_ForneInsert : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void checksFollowTheFocusedField();
    void qualificationCountsToTheDayOrToTheMonthsEnd_data();
    void qualificationCountsToTheDayOrToTheMonthsEnd();
    void statusTextsNameOnlyTheMarkedReasons();
    void eachProductIsSentOnce();
    void supplierAddedWithCopiedPricesShowsInTheWorkspace();

private:
    TfrmGridCotaPrec *openStandard();
    QString registration(int supplier) const;
    static void typeInto(MaskEdit *edit, const QString &text);
    void confirm(TfrmGridForneInsert &d);
    QString msg(const QString &key) const { return m_messages.Msg(key); }

    ServerFixture m_server;
    std::unique_ptr<MaintenanceWorkspace> m_ws;
    TMessages m_messages;
};

void tst_ForneInsert::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_ws = std::make_unique<MaintenanceWorkspace>(m_server);
    QVERIFY2(m_ws->data().ensureMasterData(&error), qPrintable(error));
    QVERIFY(m_messages.load(QStringLiteral("Cli_sup05207")));
}

void tst_ForneInsert::cleanup()
{
    m_ws->close();
    m_server.execute(QStringLiteral("UPDATE FORNECEDOR SET CDQUALIF = NULL, DTVALQUALIF = NULL WHERE CDFORNECED = :F"),
                     {{QStringLiteral("F"), m_ws->data().supplier(2)}});
    m_server.execute(QStringLiteral("UPDATE PARASUPRI SET IDULTIDTVALQ = 'D' WHERE CDFILIAL = '0001'"));
}

void tst_ForneInsert::cleanupTestCase()
{
    m_ws.reset();
    m_server.stop();
}

// Regions 901 and 902, suppliers 0 and 1 quoted; supplier 2 is not in the quotation.
TfrmGridCotaPrec *tst_ForneInsert::openStandard()
{
    using W = MaintenanceWorkspace;
    TfrmGridCotaPrec *form = m_ws->open({W::item(0, 0, 0, 0, 5), W::item(0, 0, 1, 1, 6), W::item(0, 1, 0, 0, 7),
                                         W::item(0, 1, 2, 2, 8), W::item(1, 0, 0, 0, 9), W::item(1, 1, 1, 1, 10)});
    if (form && !m_ws->moveTo(0, 0))
        return nullptr;
    return form;
}

QString tst_ForneInsert::registration(int supplier) const
{
    return QStringLiteral("99%1").arg(supplier + 1, 12, 10, QLatin1Char('0'));
}

void tst_ForneInsert::typeInto(MaskEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void tst_ForneInsert::confirm(TfrmGridForneInsert &d)
{
    m_server.ui().clear();
    QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
}

void tst_ForneInsert::checksFollowTheFocusedField()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    TfrmGridForneInsert d(*form->context(), *form);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QCOMPARE(d.windowTitle(), QStringLiteral("Inclusão de Fornecedor"));
    QVERIFY(d.chbCargTReg->isChecked());

    // Leaving the empty supplier says nothing; confirming demands it.
    m_server.ui().clear();
    d.medNrInsJurForn->setFocus();
    d.medFornCarg->setFocus();
    QVERIFY(m_server.ui().errors().isEmpty());
    d.medNrInsJurForn->setFocus();
    confirm(d);
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Forn_Empty"))});
    QVERIFY(d.medNrInsJurForn->hasFocus());

    // A supplier of the current region is refused; the name is still shown.
    typeInto(d.medNrInsJurForn, registration(0));
    confirm(d);
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Forn_J_Cad"))});
    QCOMPARE(d.edtNmRazSocForn->text(), m_ws->data().supplierName(0));

    // Supplier 2 passes on leaving and shows through the legal-entity mask.
    typeInto(d.medNrInsJurForn, registration(2));
    m_server.ui().clear();
    d.medCargReg->setFocus();
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join(u'|')));
    QCOMPARE(d.medNrInsJurForn->maskedText(), Consiste::FormataInscricao(registration(2), QStringLiteral("J")));
    QCOMPARE(d.stCdFornIns, m_ws->data().supplier(2));

    // The focused field's check runs first: with the supplier emptied, the region field
    // and the price-source field each report their own fault, any other field the
    // supplier's.
    const int calls = m_ws->serverCalls(QStringLiteral("IncFornecedor"));
    d.medNrInsJurForn->setText(QString());
    d.medCargReg->setFocus();
    QTest::keyClicks(d.medCargReg, QStringLiteral("0"));
    confirm(d);
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Reg_N_Cad"))});
    typeInto(d.medCargReg, m_ws->data().region(2));
    confirm(d);
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Reg_NCot"))});
    // A price-source region needs a price-source supplier.
    typeInto(d.medCargReg, m_ws->data().region(1));
    confirm(d);
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("FornCargNInfReg"))});
    QVERIFY(d.medCargReg->hasFocus());
    // A price source that is not quoted is refused in its own field.
    d.medCargReg->setText(QString());
    typeInto(d.medFornCarg, registration(2));
    confirm(d);
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Forn_N_CadCot"))});
    QVERIFY(d.medFornCarg->hasFocus());
    d.medFornCarg->setText(QString());
    d.chbCargTReg->setFocus();
    confirm(d);
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Forn_Empty"))});
    QCOMPARE(m_ws->serverCalls(QStringLiteral("IncFornecedor")), calls);
    QVERIFY(d.isVisible());
}

void tst_ForneInsert::qualificationCountsToTheDayOrToTheMonthsEnd_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("to the day") << QStringLiteral("D") << false;
    QTest::newRow("to the month's end") << QStringLiteral("M") << true;
}

void tst_ForneInsert::qualificationCountsToTheDayOrToTheMonthsEnd()
{
    QFETCH(QString, rule);
    QFETCH(bool, accepted);
    QString error;
    QVERIFY2(m_server.execute(QStringLiteral("UPDATE PARASUPRI SET IDULTIDTVALQ = :R WHERE CDFILIAL = '0001'"),
                              {{QStringLiteral("R"), rule}}, &error),
             qPrintable(error));
    if (m_server.scalar(QStringLiteral("SELECT COUNT(*) FROM QUALIFICACAO WHERE CDQUALIF = '9Q1'")).toInt() == 0)
        QVERIFY2(m_server.execute(QStringLiteral("INSERT INTO QUALIFICACAO (CDQUALIF, NMQUALIF, IDPERCOTCMP) "
                                                 "VALUES ('9Q1', 'Qualificação de teste', '1')"),
                                  {}, &error),
                 qPrintable(error));
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    // The quotation is collected on the 20th; the qualification ended on the 10th.
    QVERIFY(m_server.execute(QStringLiteral("UPDATE COLETAPR SET DTCOLEPREC = '2026-11-20' WHERE NRCOLEPRECO = :N"),
                             {{QStringLiteral("N"), m_ws->number()}}));
    QVERIFY(m_server.execute(QStringLiteral("UPDATE FORNECEDOR SET CDQUALIF = '9Q1', DTVALQUALIF = '2026-11-10' "
                                            "WHERE CDFORNECED = :F"),
                             {{QStringLiteral("F"), m_ws->data().supplier(2)}}));
    form->AtualizaCotacao(QString(), QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T"),
                          QDate(), QDate());
    QVERIFY(form->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), m_ws->number()));
    QCOMPARE(form->context()->parameter(QStringLiteral("IDULTIDTVALQ")), rule);

    TfrmGridForneInsert d(*form->context(), *form);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    typeInto(d.medNrInsJurForn, registration(2));
    m_server.ui().clear();
    d.medFornCarg->setFocus();
    if (accepted)
        QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join(u'|')));
    else
        QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Qualif_Forn"))});
}

void tst_ForneInsert::statusTextsNameOnlyTheMarkedReasons()
{
    QString error;
    QVERIFY2(m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
    m_server.ui().clear();
    Consiste::runGuarded([this] { TfrmGridForneInsert::TrataStatus(QStringLiteral("012"), m_messages); });
    QCOMPARE(m_server.ui().errors(),
             QStringList{msg(QStringLiteral("ErroIncForn")) + u'\n' + msg(QStringLiteral("MensErro_2"))});
    QCOMPARE(m_server.ui().count(Kind::Message), 0);

    m_server.ui().clear();
    m_server.ui().answerMessage(MsgDlg::mrOk);
    QVERIFY(Consiste::runGuarded([this] { TfrmGridForneInsert::TrataStatus(QStringLiteral("002"), m_messages); }));
    QVERIFY(m_server.ui().errors().isEmpty());
    QCOMPARE(m_server.ui().texts(Kind::Message),
             QStringList{msg(QStringLiteral("MensErro_4")) + u'\n' + msg(QStringLiteral("MensErro_3"))});

    // Nothing marked, or marks other than "1" and "2": nothing to say.
    m_server.ui().clear();
    QVERIFY(Consiste::runGuarded([this] { TfrmGridForneInsert::TrataStatus(QStringLiteral("0X0"), m_messages); }));
    QVERIFY(m_server.ui().asked().isEmpty());
}

void tst_ForneInsert::eachProductIsSentOnce()
{
    DataPacket rows;
    rows.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    rows.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    rows.appendRow({QStringLiteral("A1"), QStringLiteral("90001")});
    rows.appendRow({QStringLiteral("B2"), QStringLiteral("90001")});
    rows.appendRow({QStringLiteral("A1"), QStringLiteral("90002")});
    rows.appendRow({QStringLiteral("a1"), QStringLiteral("90003")});
    rows.appendRow({QStringLiteral("a1"), QStringLiteral("90001")});
    const DataPacket products = ProductsPage::DegRegistros({QStringLiteral("CDPRODUTO")}, rows);
    QCOMPARE(products.fields().size(), 1);
    QCOMPARE(products.fields().constFirst().size, 10);
    QCOMPARE(products.rowCount(), 2);
    QCOMPARE(products.value(0, QStringLiteral("CDPRODUTO")).toString(), QStringLiteral("A1"));
    QCOMPARE(products.value(1, QStringLiteral("CDPRODUTO")).toString(), QStringLiteral("B2"));
    // Over two fields a pair counts once, in the order of the fields asked.
    const DataPacket pairs = ProductsPage::DegRegistros({QStringLiteral("CDMARCA"), QStringLiteral("CDPRODUTO")}, rows);
    QCOMPARE(pairs.rowCount(), 4);
    QCOMPARE(pairs.fields().constFirst().name, QStringLiteral("CDMARCA"));
}

void tst_ForneInsert::supplierAddedWithCopiedPricesShowsInTheWorkspace()
{
    TfrmGridCotaPrec *form = openStandard();
    QVERIFY(form);
    QVERIFY(!form->cdsFornCotados->locate(QStringLiteral("CDFORNECED"), m_ws->data().supplier(2)));
    const qlonglong before = m_ws->items();
    m_server.ui().clear();
    const auto ran = whenModal(QStringLiteral("frmGridForneInsert"), [this](QDialog &dialog) {
        auto &d = static_cast<TfrmGridForneInsert &>(dialog);
        // The price sources are the quoted suppliers, copied from the workspace.
        QCOMPARE(d.cdsPesqFornCot->recordCount(), 2);
        typeInto(d.medNrInsJurForn, registration(2));
        typeInto(d.medFornCarg, registration(0));
        d.chbCargTReg->setFocus();
        QCOMPARE(d.stCdFornCarg, m_ws->data().supplier(0));
        QTest::mouseClick(d.sbtConfirmar, Qt::LeftButton);
    });
    form->Habilita();
    form->mnuInsForn->trigger();
    QVERIFY(*ran);
    QVERIFY2(m_server.ui().errors().isEmpty(),
             qPrintable(m_server.ui().errors().join(u'|') + u'\n' + m_ws->serverLogTail()));

    // Supplier 2 now quotes, in both regions, every pair of the region (three in 901, two
    // in 902) at supplier 0's prices where supplier 0 quotes the pair.
    QCOMPARE(m_ws->items(), before + 5);
    QCOMPARE(m_ws->price(0, 2, 0, 0), 5.0);
    QCOMPARE(m_ws->price(0, 2, 1, 1), 6.0);
    QCOMPARE(m_ws->price(1, 2, 0, 0), 9.0);
    // The workspace shows it at once: quoted suppliers, region's suppliers and its rows.
    QVERIFY(form->cdsFornCotados->locate(QStringLiteral("CDFORNECED"), m_ws->data().supplier(2)));
    QCOMPARE(form->cdsFornCotados->fieldByName(QStringLiteral("NRCOLEPRECO"))->asString(), m_ws->number());
    QVERIFY(m_ws->moveTo(0, 2));
    QVERIFY(form->cdsGridProdMarc->locate(QStringLiteral("CDPRODUTO;CDMARCA"),
                                          QVariantList{m_ws->data().product(0), m_ws->data().brand(0)}));
    QCOMPARE(form->cdsGridProdMarc->fieldByName(QStringLiteral("VRPRECUNIITM"))->asFloat(), 5.0);
}

QTEST_MAIN(tst_ForneInsert)
#include "tst_forneinsert.moc"
