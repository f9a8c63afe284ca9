// The new quotation driven as a user would, against a real server on the demo data:
// entering and leaving the inclusion page, the week and date coupling, the checks and the
// order they run in, the buyer's password, the "no filter" question, the product bounds
// sent, and what the server's answer leads to (the products page, the error list, an
// error).
#include "Cli_sup05200.h"
#include "Cli_sup05216.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DateEdit.h"
#include "MaskEdit.h"
#include "PageControl.h"
#include "ServerFixture.h"
#include "SpinEdit.h"
#include "TMessages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

using Kind = ScriptedUserInterface::Kind;

class tst_Inclusao : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void enteringShowsOnlyThePageWithItsDefaults();
    void cancelAskedFirstThenBackToTheList();
    void noFilterAnsweredNoSendsNothing();
    void productBoundsAreFilledWithZ_data();
    void productBoundsAreFilledWithZ();
    void weekRulesFollowTheYear();
    void typingADateClearsItsWeekUntilLeft();
    void buyerPasswordAskedOnceUntilCodeEdited();
    void refusedPasswordEndsSilently();
    void futureCollectionDateRefused();
    void listChosenWithoutListRefusedOnItsRadio_data();
    void listChosenWithoutListRefusedOnItsRadio();
    void allRegionsEmptiesThePickedList();
    void focusedFieldIsCheckedFirst();
    void purchaseOfAnotherBuyerRefused();
    void refusalOpensErrorListAndKeepsPage();
    void errorStatusShowsTextAndKeepsPage();
    void successOpensNewQuotationProductsPage();
    void errorListShowsRefusalWhenNoDetails();

private:
    TfrmGridCotaPrec *openWorkspace(const QString &operatorCode);
    TfrmGridCotaPrec *openInclusion(const QString &operatorCode = QString::fromLatin1(ServerFixture::kBuyer));
    bool activate();
    // Runs a check as an event handler would; the error texts shown meanwhile.
    QStringList errorsOf(const std::function<void()> &check);
    // Answers the next modal dialog (the error list) with what handle does; it gets the
    // dialog and closes it.
    void onNextModal(const std::function<void(TfrmGridErrInsCota *)> &handle);
    QString productTree(const QString &order);

    ServerFixture m_server;
    std::unique_ptr<TfrmGridCotaPrec> m_form;
    QStringList m_quotationsBefore;
};

void tst_Inclusao::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
}

void tst_Inclusao::cleanup()
{
    if (m_form) {
        m_form->FormClose();
        m_form.reset();
    }
    SenhaConfirmada = false;
    m_server.ui().clear();
}

void tst_Inclusao::cleanupTestCase()
{
    m_server.stop();
}

TfrmGridCotaPrec *tst_Inclusao::openWorkspace(const QString &operatorCode)
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
    m_form->AtualizaCotacao(QString(), QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T"),
                            QStringLiteral("T"), QDate(), QDate());
    return m_form.get();
}

TfrmGridCotaPrec *tst_Inclusao::openInclusion(const QString &operatorCode)
{
    TfrmGridCotaPrec *form = openWorkspace(operatorCode);
    form->sbtIncluir->click();
    return form;
}

bool tst_Inclusao::activate()
{
    m_form->activateWindow();
    return QTest::qWaitForWindowActive(m_form.get());
}

QStringList tst_Inclusao::errorsOf(const std::function<void()> &check)
{
    const int before = m_server.ui().errors().size();
    Consiste::runGuarded(check);
    return m_server.ui().errors().mid(before);
}

void tst_Inclusao::onNextModal(const std::function<void(TfrmGridErrInsCota *)> &handle)
{
    auto *timer = new QTimer(this);
    timer->setInterval(20);
    connect(timer, &QTimer::timeout, this, [timer, handle] {
        auto *dialog = qobject_cast<TfrmGridErrInsCota *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        handle(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}

QString tst_Inclusao::productTree(const QString &order)
{
    return m_server.scalar(QStringLiteral("SELECT %1(CDARVPROD) FROM PRODUTO WHERE CDNVPRODUTO = "
                                          "(SELECT MAX(CDNVPRODUTO) FROM PRODUTO)").arg(order))
        .toString()
        .trimmed();
}

// Saves a picture of a widget for the documentation when SUP_SCREENSHOT_DIR names a folder.
static void saveScreenshot(QWidget *widget, const char *name)
{
    const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    widget->grab().save(QDir(folder).filePath(QLatin1String(name)));
}

// --- entering and leaving -------------------------------------------------------------------------

void tst_Inclusao::enteringShowsOnlyThePageWithItsDefaults()
{
    TfrmGridCotaPrec *form = openInclusion();
    QCOMPARE(form->currentPage(), TfrmGridCotaPrec::Page::Inc);
    QVERIFY(form->pgcPadrao->isTabVisible(form->tshIncCotacao));
    QVERIFY(form->mnuIncCotacao->isVisible());
    QVERIFY(form->mnuIncCotacao->isChecked());
    QVERIFY(!form->mnuCotacao->isChecked());
    QVERIFY(!form->mnuPadrao->isChecked());
    // Only confirm and cancel stay; the other pages are out of reach.
    for (QAction *off : {form->mnuIncluir, form->mnuAlterar, form->mnuExcluir, form->mnuProcurar, form->mnuImprimir,
                         form->mnuFiltro, form->mnuAltValidade, form->mnuExclPrZero, form->mnuCotacao, form->mnuPadrao})
        QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    QVERIFY(form->mnuConfirmar->isEnabled());
    QVERIFY(form->mnuCancelar->isEnabled());
    QVERIFY(!form->sbtFiltro->isEnabled());
    QVERIFY(!form->pgcPadrao->isPageEnabled(form->tshCotacao));
    QVERIFY(!form->pgcPadrao->isPageEnabled(form->tshProdCotGrid));
    QVERIFY(form->panNavigator->isHidden());
    // Re-running the rule (every message does) keeps it so.
    form->Habilita();
    QVERIFY(!form->mnuPadrao->isEnabled());
    QVERIFY(!form->mnuIncluir->isEnabled());

    // The defaults: the logged buyer, today, every "all", the options.
    QCOMPARE(form->medCdComprador->text().trimmed(), QString::fromLatin1(ServerFixture::kBuyer));
    QVERIFY(!form->edtNmComprador->text().isEmpty());
    const QDate today = QDate::currentDate();
    QCOMPARE(form->depColeta->date(), today);
    QCOMPARE(form->depDtInicial_Inc->date(), today);
    QCOMPARE(form->depDtFinal_Inc->date(), today);
    QCOMPARE(form->speInicial_Inc->value(), Consiste::NumeroSemana(today));
    QCOMPARE(form->edtNmSemInicial_Inc->text(), Consiste::NomeSemana(today));
    for (QRadioButton *all : {form->rbtTodosDestino, form->rbtTForn, form->rbtTMarca, form->rbtTVerif, form->rbtProdTodos})
        QVERIFY2(all->isChecked(), qPrintable(all->objectName()));
    for (QToolButton *search : {form->sbtRegiao_Inc, form->sbtPesqForn, form->sbtMarca, form->sbtVerif})
        QVERIFY2(!search->isEnabled(), qPrintable(search->objectName()));
    QVERIFY(form->chkCargObs->isChecked());
    QVERIFY(!form->chkCarrega->isChecked());
    QVERIFY(form->chkDisMontLis->isChecked());
    QCOMPARE(form->TodasRegioes, QStringLiteral("T"));
    QCOMPARE(form->TodosForn, QStringLiteral("T"));
    QVERIFY(form->ListaForn.isEmpty() && form->ListaMarca.isEmpty() && form->ListaVerif.isEmpty());

    // The page filled in, for the documentation.
    form->resize(1000, 640);
    // Keyed and left as a buyer does, so the product names are looked up.
    form->medCdProdIni->setFocus();
    form->medCdProdIni->setText(QStringLiteral("01"));
    form->medCdProdFin->setFocus();
    form->medCdProdFin->setText(QStringLiteral("0102"));
    form->memDsObsCotPrec->setFocus();
    form->rbtListForn->setChecked(true);
    form->rbtProdComprar->setChecked(true);
    form->memDsObsCotPrec->setPlainText(QStringLiteral("Cotação semanal de mercearia."));
    saveScreenshot(form, "inclusion-page.png");
}

void tst_Inclusao::cancelAskedFirstThenBackToTheList()
{
    TfrmGridCotaPrec *form = openInclusion();
    form->medCdProdIni->setText(QStringLiteral("01"));

    m_server.ui().answerNo();
    form->sbtCancelar->click();
    QCOMPARE(m_server.ui().count(Kind::Message), 1);
    QCOMPARE(form->currentPage(), TfrmGridCotaPrec::Page::Inc);
    QCOMPARE(form->medCdProdIni->text(), QStringLiteral("01"));

    m_server.ui().answerYes();
    form->sbtCancelar->click();
    QCOMPARE(form->currentPage(), TfrmGridCotaPrec::Page::Cot);
    QVERIFY(!form->pgcPadrao->isTabVisible(form->tshIncCotacao));
    QVERIFY(!form->mnuIncCotacao->isVisible());
    QVERIFY(form->mnuCotacao->isChecked());
    QVERIFY(form->mnuCotacao->isEnabled());
    QVERIFY(!form->panNavigator->isHidden());
    QVERIFY(form->mnuIncluir->isEnabled());
    QVERIFY(form->mnuFiltro->isEnabled());
    QVERIFY(form->medCdProdIni->text().isEmpty());
    QVERIFY(form->medCdComprador->text().isEmpty());
    // Entering again starts afresh.
    form->sbtIncluir->click();
    QCOMPARE(form->currentPage(), TfrmGridCotaPrec::Page::Inc);
    QCOMPARE(form->depColeta->date(), QDate::currentDate());
}

// --- confirmation ------------------------------------------------------------------------------

void tst_Inclusao::noFilterAnsweredNoSendsNothing()
{
    TfrmGridCotaPrec *form = openInclusion();
    m_server.ui().answerAlert(MsgDlg::mrCaption2);
    form->sbtConfirmar->click();
    QCOMPARE(m_server.ui().texts(Kind::Alert),
             QStringList{QStringLiteral("Nenhuma opção de filtro foi informada. Confirma operação?")});
    QCOMPARE(m_server.ui().asked().last().captions, (QStringList{QStringLiteral("Sim"), QStringLiteral("Não")}));
    // Nothing went to the server and nothing was said.
    QVERIFY(!m_server.ui().texts(Kind::ProgressStart).contains(form->msg(QStringLiteral("Inc_Cotacao"))));
    QVERIFY(m_server.ui().errors().isEmpty());
    QCOMPARE(form->currentPage(), TfrmGridCotaPrec::Page::Inc);

    // Any filter makes the question go away.
    m_server.ui().clear();
    form->chkCarrega->setChecked(true);
    form->rbtListaDestino->setChecked(true);
    form->ListaRegiao = QStringLiteral("_001_");
    m_server.ui().answerAlert(MsgDlg::mrCaption2);
    Consiste::runGuarded([form] { form->Validacao(); });
    QVERIFY(m_server.ui().errors().isEmpty());
}

void tst_Inclusao::productBoundsAreFilledWithZ_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("sentFirst");
    QTest::addColumn<QString>("sentLast");
    QTest::newRow("three characters") << "010" << "020" << "010" << "020ZZZZZZZ";
    QTest::newRow("ten or more unchanged") << "01" << "0101001001" << "01" << "0101001001";
    QTest::newRow("longer than ten") << "01" << "010100100123" << "01" << "010100100123";
    QTest::newRow("no final product") << "01" << "" << "01" << "ZZZZZZZZZZ";
    QTest::newRow("no range") << "" << "" << "" << "";
}

void tst_Inclusao::productBoundsAreFilledWithZ()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, sentFirst);
    QFETCH(QString, sentLast);
    TfrmGridCotaPrec *form = openInclusion();
    form->medCdProdIni->setText(first);
    form->medCdProdFin->setText(last);
    form->chkDisMontLis->setChecked(false);
    const IncluirCotacaoArgs args = form->inclusionArgs();
    QCOMPARE(args.firstProduct, sentFirst);
    QCOMPARE(args.lastProduct, sentLast);
    QCOMPARE(args.priceListFlag, QStringLiteral("N"));
    QCOMPARE(args.firstWeek.size(), 2);
    QCOMPARE(args.buyer.trimmed(), QString::fromLatin1(ServerFixture::kBuyer));
}

// --- weeks and dates ---------------------------------------------------------------------------

void tst_Inclusao::weekRulesFollowTheYear()
{
    TfrmGridCotaPrec *form = openInclusion();
    QVERIFY(activate());
    // 2025 has 52 weeks: 53 is its last week, 52.
    form->depDtInicial_Inc->setDate(QDate(2025, 6, 2));
    form->speInicial_Inc->setFocus();
    QVERIFY(form->speInicial_Inc->hasFocus());
    form->speInicial_Inc->setValue(53);
    QCOMPARE(form->speInicial_Inc->value(), 52);
    QCOMPARE(form->depDtInicial_Inc->date(), QDate(2025, 12, 22));
    // 2026 has 53 weeks: 60 is 53, whose last day is in 2027.
    form->depDtFinal_Inc->setDate(QDate(2026, 6, 1));
    form->speFinal_Inc->setFocus();
    form->speFinal_Inc->setValue(60);
    QCOMPARE(form->speFinal_Inc->value(), 53);
    QCOMPARE(form->depDtFinal_Inc->date(), QDate(2027, 1, 3));
    // "-" is no week.
    const QString before = form->speFinal_Inc->text();
    QTest::keyClick(form->speFinal_Inc, Qt::Key_Minus);
    QCOMPARE(form->speFinal_Inc->text(), before);
}

void tst_Inclusao::typingADateClearsItsWeekUntilLeft()
{
    TfrmGridCotaPrec *form = openInclusion();
    QVERIFY(activate());
    form->depDtInicial_Inc->setFocus();
    QVERIFY(form->depDtInicial_Inc->hasFocus());
    form->depDtInicial_Inc->setDate(QDate(2026, 3, 4));
    QVERIFY(form->speInicial_Inc->isEmpty());
    QCOMPARE(form->edtNmSemInicial_Inc->text(), Consiste::NomeSemana(QDate(2026, 3, 4)));
    form->memDsObsCotPrec->setFocus();
    QTRY_COMPARE(form->speInicial_Inc->value(), 10);
}

// --- checks --------------------------------------------------------------------------------------

void tst_Inclusao::buyerPasswordAskedOnceUntilCodeEdited()
{
    // AUX01 handles COMP01's quotations with COMP01's password.
    TfrmGridCotaPrec *form = openInclusion(QStringLiteral("AUX01"));
    form->medCdComprador->setText(QStringLiteral("COMP01"));
    QVERIFY(!SenhaConfirmada);
    m_server.ui().answerPassword(QString::fromLatin1(ServerFixture::kPassword));
    QVERIFY(errorsOf([form] { form->Vd_Comprador(false); }).isEmpty());
    QCOMPARE(m_server.ui().count(Kind::Password), 1);
    for (const ScriptedUserInterface::Asked &asked : m_server.ui().asked()) {
        if (asked.kind != Kind::Password)
            continue;
        QCOMPARE(asked.detail.trimmed(), QStringLiteral("COMP01"));
        QCOMPARE(asked.text, QStringLiteral("Confere Senha"));
        QCOMPARE(asked.captions, QStringList{QStringLiteral("Comprador")});
    }
    QVERIFY(SenhaConfirmada);
    QCOMPARE(form->medCdComprador->text(), QStringLiteral("COMP01").leftJustified(12, u' '));
    QVERIFY(!form->edtNmComprador->text().isEmpty());

    // Leaving the field again, or confirming, does not ask again.
    QVERIFY(errorsOf([form] { form->Vd_Comprador(false); }).isEmpty());
    QVERIFY(errorsOf([form] { form->Vd_Comprador(true); }).isEmpty());
    QCOMPARE(m_server.ui().count(Kind::Password), 1);

    // Editing the code asks again.
    form->medCdComprador->setText(QStringLiteral("COMP01"));
    QVERIFY(!SenhaConfirmada);
    m_server.ui().answerPassword(QString::fromLatin1(ServerFixture::kPassword));
    QVERIFY(errorsOf([form] { form->Vd_Comprador(false); }).isEmpty());
    QCOMPARE(m_server.ui().count(Kind::Password), 2);
}

void tst_Inclusao::refusedPasswordEndsSilently()
{
    TfrmGridCotaPrec *form = openInclusion(QStringLiteral("AUX01"));
    form->medCdComprador->setText(QStringLiteral("COMP01"));
    m_server.ui().answerPassword(std::nullopt);
    QVERIFY(!Consiste::runGuarded([form] { form->Vd_Comprador(true); }));
    QVERIFY(m_server.ui().errors().isEmpty());
    QVERIFY(!SenhaConfirmada);
}

void tst_Inclusao::futureCollectionDateRefused()
{
    TfrmGridCotaPrec *form = openInclusion();
    form->depColeta->setDate(QDate::currentDate().addDays(1));
    QCOMPARE(errorsOf([form] { form->Vd_Data(false); }),
             QStringList{QStringLiteral("Data da coleta deve ser menor ou igual a data atual.")});
    QCOMPARE(form->window()->focusWidget(), form->depColeta);
    form->depColeta->setDate(QDate::currentDate());
    QVERIFY(errorsOf([form] { form->Vd_Data(true); }).isEmpty());
    form->depColeta->clear();
    QVERIFY(errorsOf([form] { form->Vd_Data(false); }).isEmpty());
    QCOMPARE(errorsOf([form] { form->Vd_Data(true); }),
             QStringList{QStringLiteral("Data da coleta deve ser informada.")});
}

void tst_Inclusao::listChosenWithoutListRefusedOnItsRadio_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("text");
    QTest::newRow("regions") << "rbtListaDestino" << "Região deve ser informada.";
    QTest::newRow("suppliers") << "rbtListForn" << "Fornecedor deve ser informado.";
    QTest::newRow("brands") << "rbtListMarca" << "Marca deve ser informada.";
    QTest::newRow("verifications") << "rbtListVerif" << "Verificações devem ser informadas.";
}

void tst_Inclusao::listChosenWithoutListRefusedOnItsRadio()
{
    QFETCH(QString, radio);
    QFETCH(QString, text);
    TfrmGridCotaPrec *form = openInclusion();
    auto *list = form->findChild<QRadioButton *>(radio);
    QVERIFY(list);
    list->setChecked(true);
    m_server.ui().answerAlert(MsgDlg::mrCaption2);
    form->sbtConfirmar->click();
    QCOMPARE(m_server.ui().errors(), QStringList{text});
    QCOMPARE(form->window()->focusWidget(), list);
    QCOMPARE(form->currentPage(), TfrmGridCotaPrec::Page::Inc);
    QCOMPARE(m_server.ui().count(Kind::Alert), 0);
}

void tst_Inclusao::allRegionsEmptiesThePickedList()
{
    TfrmGridCotaPrec *form = openInclusion();
    QVERIFY(activate());
    form->rbtListaDestino->setChecked(true);
    QVERIFY(form->sbtRegiao_Inc->isEnabled());
    QVERIFY(form->TodasRegioes.isEmpty());
    const QString region = m_server.scalar(QStringLiteral("SELECT MIN(CDREGIAO) FROM REGIAO")).toString();
    m_server.ui().answerListSearch(QStringList{region});
    // F9 on the "Lista" radio button runs its search.
    form->rbtListaDestino->setFocus();
    QTest::keyClick(form->rbtListaDestino, Qt::Key_F9);
    QCOMPARE(m_server.ui().texts(Kind::ListSearch), QStringList{QStringLiteral("Região")});
    QCOMPARE(form->ListaRegiao, QLatin1Char('_') + region + QLatin1Char('_'));
    form->rbtTodosDestino->setChecked(true);
    QVERIFY(form->ListaRegiao.isEmpty());
    QCOMPARE(form->TodasRegioes, QStringLiteral("T"));
    QVERIFY(!form->sbtRegiao_Inc->isEnabled());
}

void tst_Inclusao::focusedFieldIsCheckedFirst()
{
    TfrmGridCotaPrec *form = openInclusion();
    QVERIFY(activate());
    const QString low = productTree(QStringLiteral("MIN"));
    const QString high = productTree(QStringLiteral("MAX"));
    QVERIFY(!low.isEmpty() && low < high);
    // Two faults: no buyer, and an inverted product range.
    form->medCdComprador->clear();
    form->medCdProdIni->setText(high);
    form->medCdProdFin->setText(low);

    form->medCdProdFin->setFocus();
    QCOMPARE(errorsOf([form] { form->Validacao(); }),
             QStringList{QStringLiteral("Produto inicial deve ser menor ou igual ao produto final.")});
    QCOMPARE(form->window()->focusWidget(), form->medCdProdFin);

    form->memDsObsCotPrec->setFocus();
    QCOMPARE(errorsOf([form] { form->Validacao(); }), QStringList{QStringLiteral("Comprador deve ser informado.")});
    QCOMPARE(form->window()->focusWidget(), form->medCdComprador);

    // The validity first when a validity field has the focus.
    form->depDtFinal_Inc->setDate(QDate::currentDate().addDays(-1));
    form->speFinal_Inc->setFocus();
    QCOMPARE(errorsOf([form] { form->Validacao(); }),
             QStringList{QStringLiteral("Data de validade inicial deve ser menor ou igual a data de validade final.")});
    QCOMPARE(form->window()->focusWidget(), form->depDtInicial_Inc);
}

void tst_Inclusao::purchaseOfAnotherBuyerRefused()
{
    TfrmGridCotaPrec *form = openInclusion();
    const QString other = m_server
                              .scalar(QStringLiteral("SELECT MIN(NRCOMPRA) FROM COMPRA WHERE CDCOMPRADOR <> :B"),
                                      {{QStringLiteral("B"), QStringLiteral("COMP01").leftJustified(12, u' ')}})
                              .toString();
    if (other.isEmpty())
        QSKIP("the demo data has no purchase of another buyer");
    form->medCompra->setText(other.trimmed());
    QCOMPARE(errorsOf([form] { form->Vd_Compra(); }),
             QStringList{QStringLiteral("Operação bloqueada. Compra pertence a um comprador diferente do comprador da cotação.")});
    form->medCompra->setText(QStringLiteral("XYZ"));
    QCOMPARE(errorsOf([form] { form->Vd_Compra(); }), QStringList{QStringLiteral("Compra não cadastrada.")});
    QCOMPARE(form->window()->focusWidget(), form->medCompra);
}

// --- the server's answer -----------------------------------------------------------------------

void tst_Inclusao::refusalOpensErrorListAndKeepsPage()
{
    TfrmGridCotaPrec *form = openInclusion();
    // A group COMP01 does not negotiate: nothing qualifies.
    const QString foreign = m_server
                                .scalar(QStringLiteral("SELECT MIN(PRODUTO.CDARVPROD) FROM PRODUTO WHERE NOT EXISTS "
                                                       "(SELECT 1 FROM PRODCOMP, PRODUTO G WHERE PRODCOMP.CDPRODUTO = "
                                                       "G.CDPRODUTO AND PRODCOMP.CDOPERADOR = :B AND PRODUTO.CDARVPROD "
                                                       "LIKE G.CDARVPROD || '%') AND PRODUTO.CDNVPRODUTO = (SELECT "
                                                       "MAX(CDNVPRODUTO) FROM PRODUTO)"),
                                        {{QStringLiteral("B"), QStringLiteral("COMP01").leftJustified(12, u' ')}})
                                .toString()
                                .trimmed();
    QVERIFY(!foreign.isEmpty());
    form->medCdProdIni->setText(foreign);
    form->medCdProdFin->setText(foreign);
    QString shown, details;
    bool detailsOnce = false;
    onNextModal([&](TfrmGridErrInsCota *dialog) {
        shown = dialog->lblErro->text();
        dialog->btnDetalhes->click();
        details = dialog->memErro->toPlainText();
        detailsOnce = !dialog->btnDetalhes->isEnabled() && dialog->height() == 218;
        saveScreenshot(dialog, "inclusion-errors.png");
        dialog->btnOk->click();
    });
    form->sbtConfirmar->click();
    QVERIFY2(!shown.isEmpty(), qPrintable(m_server.ui().errors().join(QLatin1Char('\n'))));
    QVERIFY(!shown.startsWith(QLatin1Char('2')));
    QVERIFY(!details.isEmpty());
    QVERIFY(detailsOnce);
    QVERIFY(m_server.ui().errors().isEmpty());
    QCOMPARE(form->currentPage(), TfrmGridCotaPrec::Page::Inc);
    QCOMPARE(form->medCdProdIni->text(), foreign);
}

void tst_Inclusao::errorStatusShowsTextAndKeepsPage()
{
    // COMP01 may not create a quotation for the buyer of another central branch; the
    // buyer's own password lets the page through to the server, which says why.
    TfrmGridCotaPrec *form = openInclusion();
    form->medCdComprador->setText(QStringLiteral("COMP03"));
    m_server.ui().answerPassword(QString::fromLatin1(ServerFixture::kPassword));
    m_server.ui().answerAlert(MsgDlg::mrCaption1);
    form->sbtConfirmar->click();
    const QStringList errors = m_server.ui().errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(!errors.first().startsWith(QLatin1Char('3')), qPrintable(errors.first()));
    QCOMPARE(form->currentPage(), TfrmGridCotaPrec::Page::Inc);
    QCOMPARE(form->medCdComprador->text().trimmed(), QStringLiteral("COMP03"));
}

void tst_Inclusao::successOpensNewQuotationProductsPage()
{
    TfrmGridCotaPrec *form = openInclusion();
    const QString before = m_server.scalar(QStringLiteral("SELECT MAX(NRCOLEPRECO) FROM COLETAPR")).toString();
    form->memDsObsCotPrec->setPlainText(QStringLiteral("Cotação de teste"));
    m_server.ui().answerAlert(MsgDlg::mrCaption1);
    form->sbtConfirmar->click();
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join(QLatin1Char('\n'))));
    QVERIFY(m_server.ui().texts(Kind::ProgressStart).contains(QStringLiteral("Incluindo cotação de preços no servidor...")));
    QVERIFY(!m_server.ui().progressActive());
    QCOMPARE(form->currentPage(), TfrmGridCotaPrec::Page::Prod);
    QVERIFY(!form->pgcPadrao->isTabVisible(form->tshIncCotacao));
    const QString created = form->cdsColetapr->fieldByName(QStringLiteral("NRCOLEPRECO"))->asString();
    QVERIFY2(created > before, qPrintable(created + QLatin1String(" <= ") + before));
    QCOMPARE(form->cdsColetapr->fieldByName(QStringLiteral("CDOPERADOR"))->asString().trimmed(),
             QString::fromLatin1(ServerFixture::kBuyer));
    QVERIFY(!form->panNavigator->isHidden());
}

void tst_Inclusao::errorListShowsRefusalWhenNoDetails()
{
    int asked = 0;
    TfrmGridErrInsCota dialog(QStringLiteral("Não há dados para inclusão da coleta de preços."), [&asked] {
        ++asked;
        return QStringLiteral("   ");
    });
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Inclusão de Cotação"));
    QCOMPARE(dialog.height(), 90);
    dialog.btnDetalhes->click();
    QCOMPARE(dialog.memErro->toPlainText(), QStringLiteral("Não há dados para inclusão da coleta de preços."));
    QCOMPARE(dialog.height(), 218);
    QVERIFY(!dialog.btnDetalhes->isEnabled());
    dialog.btnDetalhes->click();
    QCOMPARE(asked, 1);
}

QTEST_MAIN(tst_Inclusao)
#include "tst_inclusao.moc"
