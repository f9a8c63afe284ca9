// The quotation copy and its report against the real server and demo database: the new
// validity proposed after the branch's last one, the modes and the OL group, the checks in
// the order of the focused control, the copy of the current quotation and of a validity,
// the question about quotations in progress, the partial copy with the report of the
// quotations not copied (read back from its PDF), and the reload the workspace is asked for.
#include "Cli_sup05200.h"
#include "Cli_sup05213.h"
#include "Cli_sup05221.h"
#include "Pkg_Sup05200.h"
#include "QuotationContext.h"

#include "QuotationTestData.h"
#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DateEdit.h"
#include "NumberEdit.h"
#include "PageControl.h"
#include "ReportRenderer.h"
#include "SpinEdit.h"
#include "TADOIBQuery.h"
#include "TMessages.h"

#include <QCheckBox>
#include <QScopeGuard>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cmath>

using Kind = ScriptedUserInterface::Kind;

namespace {

// The test's own validities, far from the demo's: quotations are copied from week 10 of
// 2031 to week 20.
QDate weekDay(int week, char kind, int year = 2031)
{
    return Consiste::DataSemana(week, QLatin1Char(kind), year);
}
const QDate kFrom(2030, 1, 1);

QString buyerList(const char *buyer)
{
    return QLatin1Char('_') + Consiste::Ajusta(QLatin1String(buyer), 12) + QLatin1Char('_');
}

// The text of a PDF file, through pdftotext; empty when the tool is missing.
QString pdfText(const QString &file)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return {};
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), file, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class tst_GridExportCota : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void proposesTheTwoWeeksAfterTheLastValidity_data();
    void proposesTheTwoWeeksAfterTheLastValidity();
    void modesEnableTheirGroups();
    void olGroupFollowsTheParameter();
    void checksRunInTheFocusedControlsOrder();
    void weeksDatesAndReadjustmentAsTyped();
    void copyOfTheCurrentQuotationReloadsAndCloses();
    void partialCopyKeepsTheDialogOpenWithTheReport();
    void questionBeforeCopyingOntoAQuotationInProgress();
    void reportListsEveryQuotationNotCopied();
    void workspaceCopiesAndReloadsItsList();
    void screenshots();

private:
    std::unique_ptr<TfrmGridExportCota> openDialog(QuotationContext &context);
    void add(const char *number, const char *buyer, const QDate &first, const QDate &last, const char *situation = "A");
    QString msg(const QString &key) const { return m_messages.Msg(key); }
    void saveScreenshot(QWidget *widget, const QString &name);

    ServerFixture m_server;
    std::unique_ptr<QuotationTestData> m_data;
    TMessages m_messages;
    TMessages m_reportMessages;
};

void tst_GridExportCota::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_data = std::make_unique<QuotationTestData>(m_server);
    QVERIFY(m_messages.load(QStringLiteral("Cli_sup05213")));
    QVERIFY(m_reportMessages.load(QStringLiteral("Cli_sup05221")));
    // The workspace opens without the filter.
    Pkg_Sup05200::setFilterDialogOpener([] {});
    PackageLoad();
}

void tst_GridExportCota::init()
{
    QString error;
    QVERIFY2(m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
}

void tst_GridExportCota::cleanup()
{
    m_data->removeFrom(kFrom);
    m_server.execute(QStringLiteral("UPDATE PARASUPRI SET IDUTILCONSSOLIOL = 'N', IDCOTCONCLUI = 'S' WHERE CDFILIAL = '0001'"));
    m_server.execute(QStringLiteral("UPDATE PARAMGERAL SET IDSISDOS = '1'"));
    m_server.logout();
}

void tst_GridExportCota::cleanupTestCase()
{
    m_server.stop();
}

void tst_GridExportCota::add(const char *number, const char *buyer, const QDate &first, const QDate &last,
                             const char *situation)
{
    QString error;
    QVERIFY2(m_data->addQuotation(QLatin1String(number), QLatin1String(buyer), first, last, QLatin1String(situation), &error),
             qPrintable(error));
}

std::unique_ptr<TfrmGridExportCota> tst_GridExportCota::openDialog(QuotationContext &context)
{
    auto dialog = std::make_unique<TfrmGridExportCota>(context);
    dialog->FormCreate();
    dialog->show();
    if (!QTest::qWaitForWindowActive(dialog.get()))
        qWarning("the copy dialog did not become active");
    return dialog;
}

void tst_GridExportCota::saveScreenshot(QWidget *widget, const QString &name)
{
    const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QVERIFY(widget->grab().save(QDir(folder).filePath(name)));
}

// --- the new validity proposed -------------------------------------------------------------------

void tst_GridExportCota::proposesTheTwoWeeksAfterTheLastValidity_data()
{
    QTest::addColumn<QDate>("lastDay");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<int>("firstWeek");
    QTest::addColumn<int>("lastWeek");
    QTest::newRow("mid-year") << weekDay(20, 'F') << weekDay(21, 'I') << weekDay(22, 'F') << 21 << 22;
    // 2031 has 52 weeks: after its last week comes week 1 of 2032.
    QTest::newRow("last week of the year") << weekDay(52, 'F') << weekDay(1, 'I', 2032) << weekDay(2, 'F', 2032) << 1 << 2;
    // 2032 has 53 weeks.
    QTest::newRow("week 52 of a 53-week year") << weekDay(52, 'F', 2032) << weekDay(53, 'I', 2032)
                                               << weekDay(1, 'F', 2033) << 53 << 1;
    // 2 January 2033 still lies in week 53 of 2032.
    QTest::newRow("last day in January, week of the year before") << QDate(2033, 1, 2) << weekDay(1, 'I', 2033)
                                                                   << weekDay(2, 'F', 2033) << 1 << 2;
}

void tst_GridExportCota::proposesTheTwoWeeksAfterTheLastValidity()
{
    QFETCH(QDate, lastDay);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(int, firstWeek);
    QFETCH(int, lastWeek);
    add("0009000001", "COMP01", lastDay.addDays(-6), lastDay);
    auto context = QuotationTestData::context(lastDay.addDays(-6), lastDay);
    auto dialog = openDialog(*context);
    QCOMPARE(dialog->depDtInicial_Inc->date(), first);
    QCOMPARE(dialog->depDtFinal_Inc->date(), last);
    QCOMPARE(dialog->speInicial_Inc->value(), firstWeek);
    QCOMPARE(dialog->speFinal_Inc->value(), lastWeek);
    QCOMPARE(dialog->edtNmSemInicial_Inc->text(), Consiste::NomeSemana(first));
    QVERIFY(m_server.ui().texts(Kind::ProgressStart).contains(msg(QStringLiteral("Get_DadTela"))));
    QVERIFY(!m_server.ui().progressActive());
}

// --- modes, lists and the OL group -----------------------------------------------------------------

void tst_GridExportCota::modesEnableTheirGroups()
{
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    auto context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    {
        auto dialog = openDialog(*context);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Duplicar Cotação"));
        QVERIFY(dialog->rbtCotCurr->isChecked());
        QVERIFY(!dialog->grbCotacao->isEnabled());
        QVERIFY(!dialog->grbComprador->isEnabled());
        QVERIFY(!dialog->sbtRelCotNDup->isEnabled());
        QCOMPARE(dialog->sbtImportExport->toolTip(), QStringLiteral("Duplicar"));

        dialog->rbtCotInfo->click();
        QVERIFY(dialog->grbCotacao->isEnabled());
        QVERIFY(dialog->grbComprador->isEnabled());
        QVERIFY(dialog->rbtTodos->isEnabled() && dialog->rbtTodos->isChecked());
        QVERIFY(!dialog->sbtComprador->isEnabled());

        // A buyer list: F9 on "Lista" opens the search over the buyers the operator may copy.
        dialog->rbtLista->click();
        QVERIFY(dialog->sbtComprador->isEnabled());
        m_server.ui().answerListSearch(QStringList{Consiste::Ajusta(QStringLiteral("COMP01"), 12)});
        dialog->rbtLista->setFocus();
        QTest::keyClick(dialog->rbtLista, Qt::Key_F9);
        QCOMPARE(m_server.ui().texts(Kind::ListSearch), QStringList{msg(QStringLiteral("Comprador"))});
        QCOMPARE(dialog->cdsComprador->recordCount(), 1); // COMP01 handles only her own
        QCOMPARE(dialog->ListaComprador, buyerList("COMP01"));
        // "Todos" empties the list.
        dialog->rbtTodos->click();
        QVERIFY(dialog->ListaComprador.isEmpty());

        // Regions of the current quotation in its mode, every region by validity.
        dialog->rbtCotCurr->click();
        QVERIFY(!dialog->grbCotacao->isEnabled());
        dialog->rbtListaRegiao->click();
        m_server.ui().answerListSearch(QStringList{});
        dialog->sbtRegiao->click();
        const int quotationRegions = dialog->cdsRegiaoCorr->recordCount();
        QCOMPARE(qlonglong(quotationRegions),
                 m_data->count(QStringLiteral("SELECT COUNT(*) FROM COLEREGI WHERE CDFILIAL = '0001' AND NRCOLEPRECO = '0009000001'")));
        dialog->rbtCotInfo->click();
        m_server.ui().answerListSearch(QStringList{QStringLiteral("001")});
        dialog->sbtRegiao->click();
        QCOMPARE(qlonglong(dialog->qryRegiaoVal->RecordCount()), m_data->count(QStringLiteral("SELECT COUNT(*) FROM REGIAO")));
        QCOMPARE(dialog->ListaRegiao, QStringLiteral("_001_"));
        dialog->rbtTodasRegiao->click();
        QVERIFY(dialog->ListaRegiao.isEmpty());
        QVERIFY(!dialog->sbtRegiao->isEnabled());
    }

    // A system that buys by buyer copies a validity from a buyer list only.
    QVERIFY(m_server.execute(QStringLiteral("UPDATE PARAMGERAL SET IDSISDOS = '3'")));
    auto dialog = openDialog(*context);
    dialog->rbtCotInfo->click();
    QVERIFY(!dialog->rbtTodos->isEnabled());
    QVERIFY(dialog->rbtLista->isChecked());
    QVERIFY(dialog->sbtComprador->isEnabled());
}

void tst_GridExportCota::olGroupFollowsTheParameter()
{
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    auto context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    int withGroup = 0;
    {
        auto dialog = openDialog(*context);
        QVERIFY(dialog->grbFornOL->isVisible());
        QVERIFY(dialog->chbFornOL->isChecked());
        QCOMPARE(qlonglong(dialog->cdsPesqForn->recordCount()),
                 m_data->count(QStringLiteral("SELECT COUNT(*) FROM FORNECEDOR WHERE IDFORNOL = 'S' AND IDSITUCADA = 'A'")));
        withGroup = dialog->height();

        dialog->rbtListaFornOL->click();
        QVERIFY(dialog->sbtFornOL->isEnabled());
        const QString supplier = dialog->cdsPesqForn->fieldByName(QStringLiteral("CDFORNECED"))->asString();
        m_server.ui().answerListSearch(QStringList{supplier});
        dialog->sbtFornOL->click();
        QCOMPARE(m_server.ui().texts(Kind::ListSearch), QStringList{msg(QStringLiteral("FornOL"))});
        QCOMPARE(dialog->ListaFornOL, QLatin1Char('_') + supplier + QLatin1Char('_'));
        // Unchecking the box leaves the group on "Todos" with nothing chosen.
        QTest::mouseClick(dialog->chbFornOL, Qt::LeftButton);
        QVERIFY(!dialog->chbFornOL->isChecked());
        QVERIFY(dialog->chbFornOL->isEnabled());
        QVERIFY(dialog->rbtTodosFornOL->isChecked());
        QVERIFY(!dialog->rbtListaFornOL->isEnabled());
        QVERIFY(!dialog->sbtFornOL->isEnabled());
        QVERIFY(dialog->ListaFornOL.isEmpty());
        // Space on the box checks it again, with the group usable.
        dialog->chbFornOL->setFocus();
        QTest::keyClick(dialog->chbFornOL, Qt::Key_Space);
        QVERIFY(dialog->chbFornOL->isChecked());
        QVERIFY(dialog->rbtListaFornOL->isEnabled());
    }
    // A branch that consults OL requests itself: no group, no OL suppliers read.
    QVERIFY(m_server.execute(QStringLiteral("UPDATE PARASUPRI SET IDUTILCONSSOLIOL = 'S' WHERE CDFILIAL = '0001'")));
    context->loadParameters();
    auto dialog = openDialog(*context);
    QVERIFY(!dialog->grbFornOL->isVisible());
    QVERIFY(!dialog->chbFornOL->isChecked());
    QVERIFY(!dialog->cdsPesqForn->active());
    QVERIFY(dialog->height() < withGroup);
}

// --- checks ---------------------------------------------------------------------------------------

void tst_GridExportCota::checksRunInTheFocusedControlsOrder()
{
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    auto context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    auto dialog = openDialog(*context);
    TfrmGridExportCota &d = *dialog;
    // Every check fails: no new first day, buyer, region and OL lists empty, no source
    // period, no collection date.
    d.rbtCotInfo->click();
    d.rbtLista->click();
    d.rbtListaRegiao->click();
    d.rbtListaFornOL->click();
    d.depDtInicial_Inc->clear();
    d.depColeta->clear();
    const qlonglong before = m_data->count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR"));

    auto copyWith = [&](QWidget *focused, const char *key, QWidget *landsOn) {
        m_server.ui().clear();
        focused->setFocus();
        QTest::mouseClick(d.sbtImportExport, Qt::LeftButton);
        QCOMPARE(m_server.ui().errors().join(QLatin1Char('\n')), msg(QLatin1String(key)));
        QVERIFY2(landsOn->hasFocus(), key);
    };
    copyWith(d.speInicial_Inc, "DtIni_N_Inf", d.depDtInicial_Inc);
    copyWith(d.rbtTodos, "Comp_N_Inf", d.rbtLista);
    copyWith(d.depColeta, "dtCol_Vazia", d.depColeta);
    copyWith(d.depDtFinCot, "PerIni_N_Inf", d.depDtIniCot);
    // Any other control: new validity, buyers, regions, OL, period, collection.
    copyWith(d.nedReajuste, "DtIni_N_Inf", d.depDtInicial_Inc);
    d.depDtInicial_Inc->setDate(d.depDtFinal_Inc->date().addDays(1));
    copyWith(d.nedReajuste, "DtIniFin_Inv", d.depDtInicial_Inc);
    d.depDtInicial_Inc->setDate(weekDay(20, 'I'));
    d.depDtFinal_Inc->setDate(weekDay(20, 'F'));
    copyWith(d.nedReajuste, "Comp_N_Inf", d.rbtLista);
    d.ListaComprador = buyerList("COMP01");
    copyWith(d.nedReajuste, "Regiao_N_inf", d.rbtListaRegiao);
    d.ListaRegiao = QStringLiteral("_001_");
    copyWith(d.nedReajuste, "FornOL_N_Info", d.rbtListaFornOL);
    d.rbtTodosFornOL->click();
    copyWith(d.nedReajuste, "PerIni_N_Inf", d.depDtIniCot);
    d.depDtIniCot->setDate(weekDay(10, 'F'));
    d.depDtFinCot->setDate(weekDay(10, 'I'));
    copyWith(d.nedReajuste, "PerIniFin_Inv", d.depDtIniCot);
    d.depDtIniCot->setDate(weekDay(10, 'I'));
    d.depDtFinCot->setDate(weekDay(10, 'F'));
    copyWith(d.nedReajuste, "dtCol_Vazia", d.depColeta);
    d.depColeta->setDate(QDate::currentDate().addDays(1));
    copyWith(d.depColeta, "Dt_Invalida", d.depColeta);
    // Leaving the collection date checks it too.
    m_server.ui().clear();
    d.nedReajuste->setFocus();
    QCOMPARE(m_server.ui().errors(), QStringList{msg(QStringLiteral("Dt_Invalida"))});
    QVERIFY(d.depColeta->hasFocus());
    // Nothing reached the server.
    QCOMPARE(m_data->count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR")), before);
    QVERIFY(!m_server.ui().texts(Kind::ProgressStart).contains(msg(QStringLiteral("Dupl_Cota"))));
    QVERIFY(!d.copyAttempted());
}

void tst_GridExportCota::weeksDatesAndReadjustmentAsTyped()
{
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    auto context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    auto dialog = openDialog(*context);
    TfrmGridExportCota &d = *dialog;
    d.rbtCotInfo->click();
    // A week typed sets its first (or last) day; "-" is no week.
    d.depDtIniCot->setDate(QDate(2031, 6, 4));
    d.speValIni->setFocus();
    d.speValIni->selectAll();
    QTest::keyClicks(d.speValIni, QStringLiteral("-12"));
    QCOMPARE(d.speValIni->value(), 12);
    QCOMPARE(d.depDtIniCot->date(), weekDay(12, 'I'));
    d.depDtFinCot->setDate(QDate(2031, 6, 4));
    d.speValFin->setFocus();
    d.speValFin->selectAll();
    QTest::keyClicks(d.speValFin, QStringLiteral("53"));
    // 2031 has no week 53.
    QCOMPARE(d.speValFin->value(), 52);
    QCOMPARE(d.depDtFinCot->date(), weekDay(52, 'F'));
    QCOMPARE(d.edtDtFinCot->text(), QStringLiteral("Domingo"));
    // The collection date's weekday.
    d.depColeta->setDate(QDate(2026, 12, 7));
    QCOMPARE(d.edtDtColeta->text(), QStringLiteral("Segunda-feira"));

    // Readjustment: three integer and two decimal digits at most.
    d.nedReajuste->setFocus();
    d.nedReajuste->selectAll();
    QTest::keyClicks(d.nedReajuste, QStringLiteral("12345"));
    QCOMPARE(d.nedReajuste->value(), 123.0);
    d.nedReajuste->selectAll();
    QTest::keyClicks(d.nedReajuste, QStringLiteral("-7,255"));
    QCOMPARE(d.nedReajuste->value(), -7.25);
}

// --- copying --------------------------------------------------------------------------------------

void tst_GridExportCota::copyOfTheCurrentQuotationReloadsAndCloses()
{
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    auto context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    QCOMPARE(context->currentNumber(), QStringLiteral("0009000001"));
    auto dialog = openDialog(*context);
    TfrmGridExportCota &d = *dialog;
    d.depDtInicial_Inc->setDate(weekDay(20, 'I'));
    d.depDtFinal_Inc->setDate(weekDay(20, 'F'));
    d.nedReajuste->setFocus();
    d.nedReajuste->selectAll();
    QTest::keyClicks(d.nedReajuste, QStringLiteral("10"));
    m_server.ui().clear();
    QTest::mouseClick(d.sbtImportExport, Qt::LeftButton);
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join(QLatin1Char('\n'))));
    // No quotation in progress on the new validity: no question; closed after the copy.
    QCOMPARE(m_server.ui().count(Kind::Message), 0);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(m_server.ui().texts(Kind::ProgressStart).contains(msg(QStringLiteral("Dupl_Cota"))));
    QVERIFY(!m_server.ui().progressActive());

    const QString copy = m_data->numberStarting(weekDay(20, 'I'));
    QVERIFY(!copy.isEmpty());
    const QVariantMap pair = {{QStringLiteral("O"), QStringLiteral("0009000001")}, {QStringLiteral("N"), copy}};
    const qlonglong items = m_data->count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :O"), pair);
    QVERIFY(items > 0);
    // Every item, its price raised by 10% to five decimals.
    QCOMPARE(m_data->count(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR N JOIN ITCOLETAPR O ON O.CDFILIAL = N.CDFILIAL "
                                          "AND O.CDREGIAO = N.CDREGIAO AND O.CDFORNECED = N.CDFORNECED AND O.CDPRODUTO = "
                                          "N.CDPRODUTO AND O.CDMARCA = N.CDMARCA WHERE N.CDFILIAL = '0001' AND "
                                          "O.NRCOLEPRECO = :O AND N.NRCOLEPRECO = :N AND ABS(N.VRPRECUNIITM - "
                                          "ROUND(O.VRPRECUNIITM * 1.1, 5)) < 0.000001"),
                           pair),
             items);

    // The workspace reloads COMP01's list (every buyer's: "Todos") on the new validity.
    const CopyCotaOutcome &out = d.outcome();
    QVERIFY(out.reload);
    QCOMPARE(out.allBuyers, QStringLiteral("T"));
    QCOMPARE(out.firstDate, weekDay(20, 'I'));
    QCOMPARE(out.lastDate, weekDay(20, 'F'));
}

void tst_GridExportCota::partialCopyKeepsTheDialogOpenWithTheReport()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    // COMP01 may not handle COMP02's quotation: that one is not copied.
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    add("0009000002", "COMP02", weekDay(10, 'I'), weekDay(10, 'F'));
    auto context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    auto dialog = openDialog(*context);
    TfrmGridExportCota &d = *dialog;
    d.rbtCotInfo->click();
    d.depDtIniCot->setDate(weekDay(10, 'I'));
    d.depDtFinCot->setDate(weekDay(10, 'F'));
    d.depDtInicial_Inc->setDate(weekDay(20, 'I'));
    d.depDtFinal_Inc->setDate(weekDay(20, 'F'));
    m_server.ui().clear();
    m_server.ui().answerNo(); // not now
    QTest::mouseClick(d.sbtImportExport, Qt::LeftButton);
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join(QLatin1Char('\n'))));
    QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{msg(QStringLiteral("CotNDup_VerRel"))});
    QVERIFY(d.isVisible());
    QVERIFY(d.copyAttempted());
    QVERIFY(d.sbtRelCotNDup->isEnabled());
    QCOMPARE(d.NaoDuplicadas, QStringLiteral("0009000002|Operador não relacionado ao comprador."));
    QCOMPARE(m_data->count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR WHERE CDFILIAL = '0001' AND DTINIVALCOL = :D"),
                           {{QStringLiteral("D"), weekDay(20, 'I').toString(Qt::ISODate)}}),
             1);

    // The report button, also after "No": the report of the quotation not copied.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("rel.pdf"));
    const auto shown = whenModal(QStringLiteral("frmRelGridDupCotacao"), [&](QDialog &report) {
        m_server.ui().answerSaveFileName(pdf);
        report.findChild<QToolButton *>(QStringLiteral("sbtPdf"))->click();
    });
    d.sbtRelCotNDup->click();
    QVERIFY(*shown);
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(QStringLiteral("0009000002")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Operador não relacionado ao comprador.")));
    QVERIFY(!text.contains(QStringLiteral("0009000001")));

    // Leaving now reloads the workspace's list all the same.
    d.sbtCancel->click();
    QVERIFY(!d.isVisible());
    QVERIFY(d.outcome().reload);
    QCOMPARE(d.outcome().firstDate, weekDay(20, 'I'));
}

void tst_GridExportCota::questionBeforeCopyingOntoAQuotationInProgress()
{
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    add("0009000003", "COMP01", weekDay(20, 'I'), weekDay(20, 'F'));
    auto context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    const qlonglong before = m_data->count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR"));
    {
        auto dialog = openDialog(*context);
        TfrmGridExportCota &d = *dialog;
        d.depDtInicial_Inc->setDate(weekDay(20, 'I'));
        d.depDtFinal_Inc->setDate(weekDay(20, 'F'));
        m_server.ui().clear();
        m_server.ui().answerNo();
        QTest::mouseClick(d.sbtImportExport, Qt::LeftButton);
        QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{msg(QStringLiteral("Exist_CotAnda"))});
        QVERIFY(d.isVisible());
        QVERIFY(!d.copyAttempted());
        QCOMPARE(m_data->count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR")), before);

        // Going on: the server refuses it, and the report shows why.
        m_server.ui().clear();
        m_server.ui().answerYes();
        m_server.ui().answerYes();
        int rows = -1;
        const auto shown = whenModal(QStringLiteral("frmRelGridDupCotacao"), [&](QDialog &report) {
            rows = static_cast<TfrmRelGridDupCotacao &>(report).prepareReport().rows.size();
        });
        QTest::mouseClick(d.sbtImportExport, Qt::LeftButton);
        QVERIFY(*shown);
        QCOMPARE(rows, 1);
        QCOMPARE(m_server.ui().texts(Kind::Message),
                 (QStringList{msg(QStringLiteral("Exist_CotAnda")), msg(QStringLiteral("CotNDup_VerRel"))}));
        QVERIFY(d.NaoDuplicadas.startsWith(QStringLiteral("0009000001|O comprador COMP01 já tem a cotação 0009000003")));
        QCOMPARE(m_data->count(QStringLiteral("SELECT COUNT(*) FROM COLETAPR")), before);
    }
    // A branch that does not keep one quotation in progress per validity is not asked.
    QVERIFY(m_server.execute(QStringLiteral("UPDATE PARASUPRI SET IDCOTCONCLUI = 'N' WHERE CDFILIAL = '0001'")));
    context->loadParameters();
    auto dialog = openDialog(*context);
    dialog->depDtInicial_Inc->setDate(weekDay(20, 'I'));
    dialog->depDtFinal_Inc->setDate(weekDay(20, 'F'));
    m_server.ui().clear();
    m_server.ui().answerNo();
    QTest::mouseClick(dialog->sbtImportExport, Qt::LeftButton);
    QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{msg(QStringLiteral("CotNDup_VerRel"))});
}

// --- the report -----------------------------------------------------------------------------------

void tst_GridExportCota::reportListsEveryQuotationNotCopied()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    add("0009000002", "COMP02", weekDay(10, 'I'), weekDay(10, 'F'));
    auto context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    // Two quotations of the database and one no longer there, each with its reason; then
    // enough lines to fill more than a page.
    QStringList lines = {QStringLiteral("0009000001|O comprador COMP01 já tem a cotação 0009000003 em andamento."),
                         QStringLiteral("0009000002|Operador não relacionado ao comprador."),
                         QStringLiteral("0009999999|Nenhum item da cotação está nas regiões e fornecedores OL escolhidos.")};
    for (int i = 0; i < 60; ++i)
        lines << QStringLiteral("00098%1|Motivo número %2 de uma cotação que não foi duplicada porque o comprador já "
                                "tem outra em andamento na nova validade informada.")
                     .arg(i, 5, 10, QLatin1Char('0'))
                     .arg(i);
    DuplicationParameters p;
    p.byPeriod = true;
    p.periodFirst = weekDay(10, 'I');
    p.periodLast = weekDay(10, 'F');
    p.firstWeek = QStringLiteral("20");
    p.lastWeek = QStringLiteral("20");
    p.firstDate = weekDay(20, 'I');
    p.lastDate = weekDay(20, 'F');
    p.collectionDate = QDate(2026, 12, 1);
    p.readjustment = 2.5;
    p.regionList = true;
    p.regions = QStringLiteral("_001__003_");
    TfrmRelGridDupCotacao report(*context, lines.join(QLatin1Char('\n')), p);
    QCOMPARE(report.windowTitle(), QStringLiteral("Duplicação de Cotação"));
    QCOMPARE(report.lblNaoDuplicadas->text(), m_reportMessages.Msg(QStringLiteral("Lbl_NaoDuplicadas")).arg(63));

    // The parameters are set before the report reads them.
    const ReportDocument document = report.prepareReport();
    QCOMPARE(report.paramValue(QStringLiteral("P_CDFILIAL")).toString(), QStringLiteral("0001"));
    QCOMPARE(report.paramValue(QStringLiteral("P_LISTACOTACAO")).toString(), lines.join(QLatin1Char('\n')));
    QCOMPARE(document.rows.size(), 63);
    QCOMPARE(document.rows.at(0).cells.at(2), QStringLiteral("COMP01 - Ana Paula Ribeiro"));
    QCOMPARE(document.rows.at(2).cells.at(1), QString()); // not in the database: its reason only

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("duplicacao.pdf"));
    QVERIFY(report.exportPdf(file));
    QVERIFY(report.pageCount() >= 2);
    const QString text = pdfText(file);
    QVERIFY(text.contains(QStringLiteral("Duplicação de Cotação")));
    QVERIFY(text.contains(QStringLiteral("SUP052")));
    QVERIFY(text.contains(QStringLiteral("Matriz São Paulo")));
    QVERIFY(text.contains(QStringLiteral("Página 1 de %1").arg(report.pageCount())));
    QVERIFY(text.contains(QStringLiteral("Página %1 de %1").arg(report.pageCount())));
    QVERIFY(text.contains(QStringLiteral("2,50%")));
    QVERIFY(text.contains(QStringLiteral("001, 003")));
    QVERIFY(text.contains(weekDay(10, 'I').toString(QStringLiteral("dd/MM/yyyy"))));
    // Every quotation not copied, with its reason (reasons may wrap: their first words).
    for (const QString &line : std::as_const(lines)) {
        const QString number = line.section(QLatin1Char('|'), 0, 0);
        const QString reason = line.section(QLatin1Char('|'), 1).section(QLatin1Char(' '), 0, 2);
        QVERIFY2(text.contains(number), qPrintable(number));
        QVERIFY2(text.contains(reason), qPrintable(reason));
    }

    // Preview and printing show the same pages through the user interface.
    report.sbtVisualizar->click();
    QCOMPARE(m_server.ui().texts(Kind::Preview), QStringList{QStringLiteral("Duplicação de Cotação")});
    const QString previewed = dir.filePath(QStringLiteral("preview.pdf"));
    {
        QPdfWriter writer(previewed);
        QCOMPARE(m_server.ui().lastDocument()(writer), report.pageCount());
    }
    QVERIFY(pdfText(previewed).contains(QStringLiteral("0009999999")));
    m_server.ui().answerPrint(false);
    report.sbtImprimir->click();
    QCOMPARE(m_server.ui().count(Kind::Print), 1);

    const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR");
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (!folder.isEmpty() && !pdftoppm.isEmpty()) {
        // The pictures of the documentation: the three quotations of the database and
        // the one no longer there.
        QDir().mkpath(folder);
        TfrmRelGridDupCotacao sample(*context, lines.mid(0, 3).join(QLatin1Char('\n')), p);
        const QString samplePdf = dir.filePath(QStringLiteral("sample.pdf"));
        QVERIFY(sample.exportPdf(samplePdf));
        QProcess::execute(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"),
                                     QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                     QStringLiteral("-singlefile"), samplePdf,
                                     QDir(folder).filePath(QStringLiteral("duplicate-report"))});
        sample.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sample));
        saveScreenshot(&sample, QStringLiteral("duplicate-report-dialog.png"));
    }
}

// The workspace's copy command: the dialog over its context, then the list reloaded on the
// new validity and the quotation page shown.
void tst_GridExportCota::workspaceCopiesAndReloadsItsList()
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
    filter.buyers = buyerList("COMP01");
    filter.firstDate = weekDay(10, 'I');
    filter.lastDate = weekDay(10, 'F');
    frmGridCotaPrec->context()->loadQuotations(filter);
    QCOMPARE(frmGridCotaPrec->context()->currentNumber(), QStringLiteral("0009000001"));

    const auto ran = whenModal(QStringLiteral("frmGridExportCota"), [](QDialog &dialog) {
        auto &d = static_cast<TfrmGridExportCota &>(dialog);
        d.depDtInicial_Inc->setDate(weekDay(20, 'I'));
        d.depDtFinal_Inc->setDate(weekDay(20, 'F'));
        d.sbtImportExport->click();
    });
    frmGridCotaPrec->sbtCopiarCotaClick();
    QVERIFY(*ran);
    QVERIFY2(m_server.ui().errors().isEmpty(), qPrintable(m_server.ui().errors().join(QLatin1Char('\n'))));
    const QString copy = m_data->numberStarting(weekDay(20, 'I'));
    QVERIFY(!copy.isEmpty());
    QCOMPARE(frmGridCotaPrec->context()->filter().firstDate, weekDay(20, 'I'));
    QVERIFY(frmGridCotaPrec->cdsColetapr->locate(QStringLiteral("NRCOLEPRECO"), copy));
    QCOMPARE(frmGridCotaPrec->pgcPadrao->activePage(), frmGridCotaPrec->tshCotacao);
}

void tst_GridExportCota::screenshots()
{
    if (qEnvironmentVariable("SUP_SCREENSHOT_DIR").isEmpty())
        QSKIP("SUP_SCREENSHOT_DIR names no folder");
    add("0009000001", "COMP01", weekDay(10, 'I'), weekDay(10, 'F'));
    auto context = QuotationTestData::context(weekDay(10, 'I'), weekDay(10, 'F'));
    auto dialog = openDialog(*context);
    dialog->rbtCotInfo->click();
    dialog->depDtIniCot->setDate(weekDay(10, 'I'));
    dialog->depDtFinCot->setDate(weekDay(10, 'F'));
    dialog->nedReajuste->setValue(2.5);
    QTest::qWait(50);
    saveScreenshot(dialog.get(), QStringLiteral("copy-dialog.png"));
}

QTEST_MAIN(tst_GridExportCota)
#include "tst_gridexportcota.moc"
