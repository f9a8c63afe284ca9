// The validity change against the real server and demo database: the checks in their
// order, the searches, the quotation search over the current validity, moving the
// quotations picked (or every one found) with the confirmation, the server's refusal, and
// the coupling of weeks and dates.
#include "Cli_sup05200.h"
#include "Cli_sup05225.h"
#include "Pkg_Sup05200.h"
#include "QuotationContext.h"

#include "QuotationTestData.h"
#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DateEdit.h"
#include "Field.h"
#include "SpinEdit.h"
#include "TADOIBQuery.h"
#include "TMessages.h"

#include <QDir>
#include <QScopeGuard>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

using Kind = ScriptedUserInterface::Kind;

namespace {

QDate weekDay(int week, char kind, int year = 2031)
{
    return Consiste::DataSemana(week, QLatin1Char(kind), year);
}
const QDate kFrom(2030, 1, 1);

} // namespace

class tst_AltValidade : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void checksRunInOrder();
    void searchesFillTheLists();
    void quotationSearchTakesTheCurrentValidity();
    void onlyThePickedQuotationsMove();
    void everyQuotationFoundMovesAfterConfirmation();
    void serverRefusalMovesNothing();
    void weeksAndDatesFollowEachOther();
    void workspaceReloadsItsListAfterAChange();

private:
    std::unique_ptr<TfrmAltValidade> openDialog();
    void add(const char *number, const char *buyer, const QDate &first, const QDate &last, const char *situation = "A");
    void setPeriods(TfrmAltValidade &d, int oldWeek, int newWeek);
    QDate validityOf(const char *number);
    QString msg(const QString &key) const { return m_messages.Msg(key); }

    ServerFixture m_server;
    std::unique_ptr<QuotationTestData> m_data;
    std::unique_ptr<QuotationContext> m_context;
    TMessages m_messages;
};

void tst_AltValidade::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_data = std::make_unique<QuotationTestData>(m_server);
    QVERIFY(m_messages.load(QStringLiteral("Cli_sup05225")));
    Pkg_Sup05200::setFilterDialogOpener([] {});
    PackageLoad();
}

void tst_AltValidade::init()
{
    QString error;
    QVERIFY2(m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
    m_context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
}

void tst_AltValidade::cleanup()
{
    m_context.reset();
    m_data->removeFrom(kFrom);
    m_server.logout();
}

void tst_AltValidade::cleanupTestCase()
{
    m_server.stop();
}

void tst_AltValidade::add(const char *number, const char *buyer, const QDate &first, const QDate &last,
                          const char *situation)
{
    QString error;
    QVERIFY2(m_data->addQuotation(QLatin1String(number), QLatin1String(buyer), first, last, QLatin1String(situation), &error),
             qPrintable(error));
}

std::unique_ptr<TfrmAltValidade> tst_AltValidade::openDialog()
{
    auto dialog = std::make_unique<TfrmAltValidade>(*m_context);
    dialog->show();
    if (!QTest::qWaitForWindowActive(dialog.get()))
        qWarning("the validity dialog did not become active");
    return dialog;
}

void tst_AltValidade::setPeriods(TfrmAltValidade &d, int oldWeek, int newWeek)
{
    d.depDtIniCot->setDate(weekDay(oldWeek, 'I'));
    d.depDtFinCot->setDate(weekDay(oldWeek, 'F'));
    d.depDtInicial_Inc->setDate(weekDay(newWeek, 'I'));
    d.depDtFinal_Inc->setDate(weekDay(newWeek, 'F'));
}

QDate tst_AltValidade::validityOf(const char *number)
{
    return QDate::fromString(m_server
                                 .scalar(QStringLiteral("SELECT DTINIVALCOL FROM COLETAPR WHERE CDFILIAL = '0001' AND "
                                                        "NRCOLEPRECO = :N"),
                                         {{QStringLiteral("N"), QLatin1String(number)}})
                                 .toString()
                                 .left(10),
                             Qt::ISODate);
}

void tst_AltValidade::checksRunInOrder()
{
    auto dialog = openDialog();
    TfrmAltValidade &d = *dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral("Alteração de Validade da Cotação"));
    QCOMPARE(d.sbtImportExport->toolTip(), QStringLiteral("Alterar Validade"));
    QVERIFY(!d.panProgresso->isVisible());
    for (DateEdit *date : {d.depDtIniCot, d.depDtFinCot, d.depDtInicial_Inc, d.depDtFinal_Inc})
        QVERIFY(date->isEmpty());
    QVERIFY(d.rbtTodosComprador->isChecked() && d.rbtTodosForn->isChecked() && d.rbtTodasCotacao->isChecked());
    QVERIFY(!d.sbtComprador->isEnabled() && !d.sbtPesqForn->isEnabled() && !d.sbtCotacao->isEnabled());
    d.rbtListaForn->click();
    d.rbtListaComprador->click();
    d.rbtListaCotacao->click();

    auto change = [&](const char *key, QWidget *landsOn) {
        m_server.ui().clear();
        QTest::mouseClick(d.sbtImportExport, Qt::LeftButton);
        QCOMPARE(m_server.ui().errors(), QStringList{msg(QLatin1String(key))});
        QVERIFY2(landsOn->hasFocus(), key);
        QCOMPARE(m_server.ui().count(Kind::Message), 0);
    };
    change("DtIni_N_Inf", d.depDtInicial_Inc);
    d.depDtInicial_Inc->setDate(weekDay(21, 'I'));
    change("DtFin_N_Inf", d.depDtFinal_Inc);
    d.depDtFinal_Inc->setDate(weekDay(20, 'F'));
    change("DtIniFin_Inv", d.depDtInicial_Inc);
    d.depDtInicial_Inc->setDate(weekDay(20, 'I'));
    change("Forn_N_inf", d.rbtListaForn);
    d.ListaFornAltVal = QStringLiteral("_1_");
    // Asked under the key "Comp_N_inf": the text of "Comp_N_Inf".
    change("Comp_N_Inf", d.rbtListaComprador);
    QCOMPARE(m_server.ui().errors(), QStringList{QStringLiteral("Comprador deve ser informado.")});
    d.ListaCompAltVal = QLatin1Char('_') + Consiste::Ajusta(QStringLiteral("COMP01"), 12) + QLatin1Char('_');
    // The quotation list comes before the current validity.
    change("Cot_N_inf", d.rbtListaCotacao);
    d.ListaCotAltVal = QStringLiteral("_0009000001_");
    change("PerIni_N_Inf", d.depDtIniCot);
    d.depDtIniCot->setDate(weekDay(20, 'I'));
    change("PerFin_N_Inf", d.depDtFinCot);
    d.depDtFinCot->setDate(weekDay(19, 'F'));
    change("PerIniFin_Inv", d.depDtIniCot);
    // The same validity, whatever the selections: refused.
    d.depDtFinCot->setDate(weekDay(20, 'F'));
    change("Validade_Diferente", d.depDtIniCot);
    // Every check passes: the confirmation; "No" changes nothing.
    d.depDtIniCot->setDate(weekDay(10, 'I'));
    d.depDtFinCot->setDate(weekDay(10, 'F'));
    m_server.ui().clear();
    m_server.ui().answerNo();
    QTest::mouseClick(d.sbtImportExport, Qt::LeftButton);
    QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{msg(QStringLiteral("CONF"))});
    QVERIFY(m_server.ui().errors().isEmpty());
    QVERIFY(!d.changed());
}

void tst_AltValidade::searchesFillTheLists()
{
    auto dialog = openDialog();
    TfrmAltValidade &d = *dialog;
    d.rbtListaComprador->click();
    QVERIFY(d.sbtComprador->isEnabled());
    const QString comp02 = Consiste::Ajusta(QStringLiteral("COMP02"), 12);
    m_server.ui().answerListSearch(QStringList{comp02});
    d.rbtListaComprador->setFocus();
    QTest::keyClick(d.rbtListaComprador, Qt::Key_F9);
    QCOMPARE(m_server.ui().texts(Kind::ListSearch), QStringList{msg(QStringLiteral("Comprador"))});
    QCOMPARE(qlonglong(d.qryComprador->RecordCount()), m_data->count(QStringLiteral("SELECT COUNT(*) FROM COMPRADOR")));
    QCOMPARE(d.ListaCompAltVal, QLatin1Char('_') + comp02 + QLatin1Char('_'));

    d.rbtListaForn->click();
    m_server.ui().answerListSearch(QStringList{QStringLiteral("1")});
    d.sbtPesqForn->click();
    QCOMPARE(m_server.ui().texts(Kind::ListSearch).value(1), msg(QStringLiteral("Titulo_Fornecedor")));
    // The person type shows as its name, the registration through its mask.
    ClientDataSet *suppliers = d.qryPesqForn->dataSet();
    QVERIFY(suppliers->locate(QStringLiteral("IDTPIJURFORN"), QStringLiteral("F")));
    QCOMPARE(suppliers->fieldByName(QStringLiteral("IDTPIJURFORN"))->displayText(), msg(QStringLiteral("CPF_Pesq")));
    QVERIFY(suppliers->fieldByName(QStringLiteral("NRINSJURFORN"))->displayText().contains(QLatin1Char('-')));
    QCOMPARE(d.ListaFornAltVal, QStringLiteral("_1_"));

    // "Todos" empties a list and disables its search.
    d.rbtTodosComprador->click();
    QVERIFY(d.ListaCompAltVal.isEmpty());
    QVERIFY(!d.sbtComprador->isEnabled());
    d.rbtTodosForn->click();
    QVERIFY(d.ListaFornAltVal.isEmpty());
}

void tst_AltValidade::quotationSearchTakesTheCurrentValidity()
{
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    add("0009000002", "COMP02", weekDay(10, 'I'), weekDay(10, 'F'));
    add("0009000003", "COMP01", weekDay(10, 'I'), weekDay(11, 'F'));      // runs past the validity
    add("0009000004", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'), "C"); // concluded
    auto dialog = openDialog();
    TfrmAltValidade &d = *dialog;
    d.rbtListaCotacao->click();
    // Without the current validity there is nothing to search.
    m_server.ui().clear();
    d.sbtCotacao->click();
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("PerIni_N_Inf"))});

    setPeriods(d, 10, 20);
    m_server.ui().clear();
    m_server.ui().answerListSearch(QStringList{QStringLiteral("0009000002")});
    d.sbtCotacao->click();
    QCOMPARE(m_server.ui().texts(Kind::ListSearch), QStringList{msg(QStringLiteral("Cotacao"))});
    QVERIFY(m_server.ui().texts(Kind::ProgressStart).contains(msg(QStringLiteral("Get_Cotacao"))));
    QVERIFY(!m_server.ui().progressActive());
    QStringList numbers;
    for (d.cdsCotacao->first(); !d.cdsCotacao->eof(); d.cdsCotacao->next())
        numbers << d.cdsCotacao->fieldByName(QStringLiteral("NRCOLEPRECO"))->asString();
    QCOMPARE(numbers, (QStringList{QStringLiteral("0009000001"), QStringLiteral("0009000002")}));
    QCOMPARE(d.ListaCotAltVal, QStringLiteral("_0009000002_"));

    // A buyer list narrows it.
    d.rbtListaComprador->click();
    d.ListaCompAltVal = QLatin1Char('_') + Consiste::Ajusta(QStringLiteral("COMP02"), 12) + QLatin1Char('_');
    m_server.ui().answerListSearch(std::nullopt);
    d.sbtCotacao->click();
    QCOMPARE(d.cdsCotacao->recordCount(), 1);
    QCOMPARE(d.cdsCotacao->fieldByName(QStringLiteral("NMOPERADOR"))->displayLabel(), QStringLiteral("Nome do Comprador"));
}

void tst_AltValidade::onlyThePickedQuotationsMove()
{
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    add("0009000005", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    auto dialog = openDialog();
    TfrmAltValidade &d = *dialog;
    setPeriods(d, 10, 20);
    d.rbtListaCotacao->click();
    d.ListaCotAltVal = QStringLiteral("_0009000005_");
    m_server.ui().clear();
    m_server.ui().answerYes();
    m_server.ui().answerMessage(MsgDlg::mrOk);
    QTest::mouseClick(d.sbtImportExport, Qt::LeftButton);
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join(QLatin1Char('\n'))));
    QCOMPARE(m_server.ui().texts(Kind::Message),
             (QStringList{msg(QStringLiteral("CONF")), msg(QStringLiteral("Processo_Finalizando"))}));
    QVERIFY(m_server.ui().texts(Kind::ProgressStart).contains(msg(QStringLiteral("Altera_Validade_Cota"))));
    QCOMPARE(validityOf("0009000005"), weekDay(20, 'I'));
    QCOMPARE(validityOf("0009000001"), weekDay(10, 'I'));
    // Still open for a further change, its lists as they were.
    QVERIFY(d.isVisible());
    QVERIFY(d.changed());
    QCOMPARE(d.ListaCotAltVal, QStringLiteral("_0009000005_"));
}

void tst_AltValidade::everyQuotationFoundMovesAfterConfirmation()
{
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    add("0009000005", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    add("0009000006", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'), "C");
    auto dialog = openDialog();
    TfrmAltValidade &d = *dialog;
    setPeriods(d, 10, 20);
    // Only COMP01's (the buyer list), every one found ("Todas").
    d.rbtListaComprador->click();
    d.ListaCompAltVal = QLatin1Char('_') + Consiste::Ajusta(QStringLiteral("COMP01"), 12) + QLatin1Char('_');
    m_server.ui().clear();
    m_server.ui().answerYes();
    m_server.ui().answerMessage(MsgDlg::mrOk);
    QTest::mouseClick(d.sbtImportExport, Qt::LeftButton);
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join(QLatin1Char('\n'))));
    QCOMPARE(validityOf("0009000001"), weekDay(20, 'I'));
    QCOMPARE(validityOf("0009000005"), weekDay(20, 'I'));
    QCOMPARE(validityOf("0009000006"), weekDay(10, 'I')); // concluded: stays
    QCOMPARE(m_data->count(QStringLiteral("SELECT COUNT(*) FROM HISTCOLETA WHERE CDFILIAL = '0001' AND NRCOLEPRECO = "
                                          "'0009000001' AND NMCAMPO = 'DTINIVALCOL'")),
             1);
}

void tst_AltValidade::serverRefusalMovesNothing()
{
    // COMP01 already has a quotation in progress on the new validity.
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    add("0009000007", "COMP01", weekDay(20, 'I'), weekDay(20, 'F'));
    auto dialog = openDialog();
    TfrmAltValidade &d = *dialog;
    setPeriods(d, 10, 20);
    m_server.ui().clear();
    m_server.ui().answerYes();
    QTest::mouseClick(d.sbtImportExport, Qt::LeftButton);
    QCOMPARE(m_server.ui().errors().size(), 1);
    QVERIFY(m_server.ui().errors().constFirst().startsWith(QStringLiteral("A validade não foi alterada")));
    QVERIFY(m_server.ui().errors().constFirst().contains(QStringLiteral("0009000007")));
    QVERIFY(!m_server.ui().texts(Kind::Message).contains(msg(QStringLiteral("Processo_Finalizando"))));
    QVERIFY(!m_server.ui().progressActive());
    QCOMPARE(validityOf("0009000001"), weekDay(10, 'I'));
    QVERIFY(!d.changed());
    QVERIFY(d.isVisible());

    const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        QVERIFY(d.grab().save(QDir(folder).filePath(QStringLiteral("validity-dialog.png"))));
    }
}

void tst_AltValidade::weeksAndDatesFollowEachOther()
{
    auto dialog = openDialog();
    TfrmAltValidade &d = *dialog;
    // A week typed gives its first day in the new validity's start, its last in the end.
    d.depDtInicial_Inc->setDate(QDate(2031, 2, 5));
    d.speInicial_Inc->setFocus();
    d.speInicial_Inc->selectAll();
    QTest::keyClicks(d.speInicial_Inc, QStringLiteral("-20"));
    QCOMPARE(d.depDtInicial_Inc->date(), weekDay(20, 'I'));
    QCOMPARE(d.edtNmSemInicial_Inc->text(), QStringLiteral("Segunda-feira"));
    d.depDtFinal_Inc->setDate(QDate(2031, 2, 5));
    d.speFinal_Inc->setFocus();
    d.speFinal_Inc->selectAll();
    QTest::keyClicks(d.speFinal_Inc, QStringLiteral("20"));
    QCOMPARE(d.depDtFinal_Inc->date(), weekDay(20, 'F'));
    // A date set shows its week.
    d.depDtIniCot->setDate(weekDay(10, 'I'));
    QCOMPARE(d.speValIni->value(), 10);
    // Leaving a date that is no date is refused, the focus kept.
    m_server.ui().clear();
    d.depDtFinCot->setFocus();
    d.depDtFinCot->selectAll();
    QTest::keyClick(d.depDtFinCot, Qt::Key_Backspace);
    d.depDtFinCot->home(false);
    QTest::keyClicks(d.depDtFinCot, QStringLiteral("31022031"));
    d.speValIni->setFocus();
    QCOMPARE(m_server.ui().errors().size(), 1);
    QVERIFY(m_server.ui().errors().constFirst().contains(QStringLiteral("31/02/2031")));
    QVERIFY(d.depDtFinCot->hasFocus());
}

// The workspace's validity command: the dialog over its context, then the list in force
// reloaded, so it no longer shows the quotations moved away.
void tst_AltValidade::workspaceReloadsItsListAfterAChange()
{
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    IniProc(nullptr);
    QVERIFY(frmGridCotaPrec);
    QVERIFY(QTest::qWaitForWindowActive(frmGridCotaPrec->window()));
    auto closeWorkspace = qScopeGuard([] {
        if (frmGridCotaPrec)
            frmGridCotaPrec->frame()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    ColetaPrFilter filter;
    filter.branch = QStringLiteral("0001");
    filter.firstDate = weekDay(10, 'I');
    filter.lastDate = weekDay(10, 'F');
    filter.allBuyers = QStringLiteral("T");
    frmGridCotaPrec->context()->loadQuotations(filter);
    QVERIFY(frmGridCotaPrec->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), QStringLiteral("0009000001")));

    m_server.ui().clear();
    m_server.ui().answerYes();
    m_server.ui().answerMessage(MsgDlg::mrOk);
    const auto ran = whenModal(QStringLiteral("frmAltValidade"), [this](QDialog &dialog) {
        auto &d = static_cast<TfrmAltValidade &>(dialog);
        setPeriods(d, 10, 20);
        d.sbtImportExport->click();
    });
    frmGridCotaPrec->sbtAlteraValidadeClick();
    QVERIFY(*ran);
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join(QLatin1Char('\n'))));
    QCOMPARE(validityOf("0009000001"), weekDay(20, 'I'));
    QVERIFY(!frmGridCotaPrec->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), QStringLiteral("0009000001")));
}

QTEST_MAIN(tst_AltValidade)
#include "tst_altvalidade.moc"
