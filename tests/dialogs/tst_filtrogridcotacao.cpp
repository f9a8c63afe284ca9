// The quotation filter dialog against the real server and demo database: the start
// filter of a buyer and of anyone else, the checks of the confirmation in their order,
// the coupling of weeks and dates, what confirming and cancelling leave in the
// workspace's list, and the saved options.
#include "Cli_sup05200.h"
#include "Cli_sup05201.h"
#include "Pkg_Sup05200.h"
#include "QuotationContext.h"

#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DateEdit.h"
#include "Field.h"
#include "SpinEdit.h"
#include "TMessages.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

using Kind = ScriptedUserInterface::Kind;

class tst_FiltroGridCotacao : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void buyerStartsOnHisOwnQuotations();
    void nonBuyerStartsOnEveryBuyer();
    void confirmChecksRunInOrder();
    void invalidDateIsRefused();
    void weeksAndDatesFollowEachOther();
    void week53BecomesTheYearsLastWeek_data();
    void week53BecomesTheYearsLastWeek();
    void noDatesMeansEveryPeriod();
    void listsRestrictTheQuotations();
    void cancelKeepsListAndReopenShowsLastConfirmed();
    void savedOptionsComeBack();
    void closingWorkspaceRecreatesTheFilter();
    void captionsFitTheirControls();
    void worksOnAContextWithoutWorkspace();

private:
    void startWorkspace(const char *operatorCode);
    void closeWorkspace();
    // Opens the filter through its creation procedure and runs whileOpen once it shows;
    // a dialog still open afterwards is cancelled.
    void openFilter(const std::function<void(TfrmFiltroGridCotacao &)> &whileOpen);
    static void typeDate(DateEdit *edit, const QString &digits);
    static void typeWeek(SpinEdit *spin, const QString &digits);
    QString msg(const QString &key) const;
    int quotationCount(const QString &where, const QVariantMap &params = {});
    QStringList listedNumbers() const;

    ServerFixture m_server;
    TMessages m_messages;
};

void tst_FiltroGridCotacao::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("SupTests"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_filtrogridcotacao"));
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    QVERIFY(m_messages.load(QStringLiteral("Cli_sup05201")));
    // The workspace opens without the filter; each test opens it itself.
    Pkg_Sup05200::setFilterDialogOpener([] {});
    PackageLoad();
}

void tst_FiltroGridCotacao::cleanup()
{
    closeWorkspace();
    m_server.logout();
}

void tst_FiltroGridCotacao::cleanupTestCase()
{
    Pkg_Sup05200::setFilterDialogOpener({});
    m_server.stop();
}

QString tst_FiltroGridCotacao::msg(const QString &key) const
{
    return m_messages.Msg(key);
}

void tst_FiltroGridCotacao::startWorkspace(const char *operatorCode)
{
    QString error;
    QVERIFY2(m_server.login(QString::fromLatin1(operatorCode), &error), qPrintable(error));
    IniProc(nullptr);
    QVERIFY(frmGridCotaPrec);
    QVERIFY(!frmFiltroGridCotacao);
    // Its first activation (central branch, parameters) settles before the filter opens
    // over it, so that it takes no focus away from the dialog later.
    QVERIFY(QTest::qWaitForWindowActive(frmGridCotaPrec->window()));
    QTest::qWait(20);
}

void tst_FiltroGridCotacao::closeWorkspace()
{
    if (frmGridCotaPrec)
        frmGridCotaPrec->frame()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void tst_FiltroGridCotacao::openFilter(const std::function<void(TfrmFiltroGridCotacao &)> &whileOpen)
{
    bool ran = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        TfrmFiltroGridCotacao *dialog = frmFiltroGridCotacao;
        if (ran || !dialog || !dialog->isVisible() || QApplication::activeModalWidget() != dialog)
            return;
        ran = true;
        poll.stop();
        // The handlers follow the focus, which needs the dialog to be the active window.
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog, 5000))
            QFAIL("the filter dialog did not become active");
        whileOpen(*dialog);
        if (dialog == frmFiltroGridCotacao && dialog->isVisible())
            dialog->reject();
    });
    poll.start();
    try {
        CriaFiltroGridCotacao(*frmGridCotaPrec->context(), frmGridCotaPrec);
    } catch (const std::exception &e) {
        QFAIL(e.what());
    }
    QVERIFY2(ran, "the filter dialog did not open");
}

void tst_FiltroGridCotacao::typeDate(DateEdit *edit, const QString &digits)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    edit->home(false);
    QTest::keyClicks(edit, digits);
}

void tst_FiltroGridCotacao::typeWeek(SpinEdit *spin, const QString &digits)
{
    // The first key replaces the selected week, as when the user types over it.
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, digits);
}

int tst_FiltroGridCotacao::quotationCount(const QString &where, const QVariantMap &params)
{
    QString error;
    const QVariant n = m_server.scalar(QStringLiteral("SELECT COUNT(*) FROM COLETAPR C WHERE C.CDFILIAL = '0001'")
                                           + (where.isEmpty() ? QString() : QStringLiteral(" AND ") + where),
                                       params, &error);
    if (!error.isEmpty())
        qWarning() << error;
    return n.toInt();
}

QStringList tst_FiltroGridCotacao::listedNumbers() const
{
    QStringList numbers;
    ClientDataSet *list = frmGridCotaPrec->cdsColetapr;
    if (!list->active())
        return numbers;
    list->first();
    while (!list->eof()) {
        numbers << list->fieldByName(QStringLiteral("NRCOLEPRECO"))->asString();
        list->next();
    }
    return numbers;
}

// --- start filter ------------------------------------------------------------------------------

void tst_FiltroGridCotacao::buyerStartsOnHisOwnQuotations()
{
    startWorkspace(ServerFixture::kBuyer);
    const QString own = QStringLiteral("_") + Consiste::Ajusta(QString::fromLatin1(ServerFixture::kBuyer), 12)
                        + QStringLiteral("_");
    QDate first, last;
    openFilter([&](TfrmFiltroGridCotacao &f) {
        QCOMPARE(f.windowTitle(), QStringLiteral("Filtro de Cotação de Preços"));
        QVERIFY(f.rbtListaComprador->isChecked());
        QVERIFY(f.sbtComprador->isEnabled());
        QCOMPARE(f.stComprador, own);
        QCOMPARE(f.stTComprador, QString());
        QVERIFY(f.rbtTodosRegiao->isChecked());
        QVERIFY(!f.sbtRegiao->isEnabled());
        QVERIFY(f.rbtTForn->isChecked());
        QVERIFY(!f.sbtForn->isEnabled());

        // The period of the buyer's newest quotation, with its weeks and weekdays.
        first = f.depDtInicial->date();
        last = f.depDtFinal->date();
        QVERIFY(first.isValid() && last.isValid());
        QCOMPARE(first, f.cdsDadosFiltro->fieldByName(QStringLiteral("DTINIVALCOL"))->asDate());
        QCOMPARE(f.speInicial->value(), Consiste::NumeroSemana(first));
        QCOMPARE(f.speFinal->text(), QString::number(Consiste::NumeroSemana(last)).rightJustified(2, u'0'));
        QCOMPARE(f.edtNmSemInicial->text(), Consiste::NomeSemana(first));
        QCOMPARE(f.edtNmSemFinal->text(), Consiste::NomeSemana(last));
        QCOMPARE(f.depDtInicial->palette().color(QPalette::Text), QColor(Qt::blue));

        QTest::mouseClick(f.sbtConfirma, Qt::LeftButton);
        QVERIFY(!f.isVisible());
    });
    QVERIFY(m_server.ui().errors().isEmpty());
    QVERIFY(m_server.ui().texts(Kind::ProgressStart).contains(msg(QStringLiteral("Get_DadosFiltro"))));
    QVERIFY(m_server.ui().texts(Kind::ProgressStart).contains(msg(QStringLiteral("Get_FilCota"))));
    QVERIFY(!m_server.ui().progressActive());

    const int expected = quotationCount(
        QStringLiteral("C.CDOPERADOR = :op AND C.DTINIVALCOL <= :last AND C.DTFINVALCOL >= :first"),
        {{QStringLiteral("op"), Consiste::Ajusta(QString::fromLatin1(ServerFixture::kBuyer), 12)},
         {QStringLiteral("first"), first.toString(Qt::ISODate)},
         {QStringLiteral("last"), last.toString(Qt::ISODate)}});
    QVERIFY(expected > 0);
    QCOMPARE(frmGridCotaPrec->cdsColetapr->recordCount(), expected);
}

void tst_FiltroGridCotacao::nonBuyerStartsOnEveryBuyer()
{
    startWorkspace(ServerFixture::kNonBuyer);
    openFilter([&](TfrmFiltroGridCotacao &f) {
        QVERIFY(f.rbtTodosComprador->isChecked());
        QVERIFY(!f.sbtComprador->isEnabled());
        QCOMPARE(f.stTComprador, QStringLiteral("T"));
        QCOMPARE(f.stComprador, QString());
    });
    // Cancelled: the workspace still works on an open, empty list.
    QVERIFY(frmGridCotaPrec->cdsColetapr->active());
    QCOMPARE(frmGridCotaPrec->cdsColetapr->recordCount(), 0);
}

// --- checks ------------------------------------------------------------------------------------

void tst_FiltroGridCotacao::confirmChecksRunInOrder()
{
    startWorkspace(ServerFixture::kNonBuyer);
    QStringList shown;
    openFilter([&](TfrmFiltroGridCotacao &f) {
        auto confirm = [&](const char *key, QWidget *focused) {
            m_server.ui().clear();
            QTest::mouseClick(f.sbtConfirma, Qt::LeftButton);
            QCOMPARE(m_server.ui().errors(), QStringList{msg(QString::fromLatin1(key))});
            QVERIFY2(f.isVisible(), key);
            if (focused)
                QVERIFY2(focused->hasFocus(), key);
            shown << QString::fromLatin1(key);
        };
        // Every group on "Lista" without a list, and the first date missing.
        f.rbtListaComprador->click();
        f.rbtListaRegiao->click();
        f.rbtLForn->click();
        f.depDtInicial->clear();
        confirm("Comp_N_Inf", f.rbtListaComprador);

        // F9 on "Lista" opens the group's search; the keys chosen become the list.
        m_server.ui().answerListSearch(QStringList{Consiste::Ajusta(QString::fromLatin1(ServerFixture::kBuyer), 12)});
        f.rbtListaComprador->setFocus();
        QTest::keyClick(f.rbtListaComprador, Qt::Key_F9);
        QCOMPARE(m_server.ui().texts(Kind::ListSearch).value(0), msg(QStringLiteral("Comprador")));
        QVERIFY(!f.stComprador.isEmpty());
        confirm("Reg_N_Inf", f.rbtListaRegiao);

        m_server.ui().answerListSearch(QStringList{QStringLiteral("001")});
        QTest::mouseClick(f.sbtRegiao, Qt::LeftButton);
        QCOMPARE(f.stPesqRegiao, QStringLiteral("_001_"));
        confirm("Forn_N_Inf", f.rbtLForn);

        f.rbtTForn->click();
        QCOMPARE(f.stTForn, QStringLiteral("T"));
        confirm("DtIni_N_Inf", f.depDtInicial);

        f.depDtInicial->setDate(QDate(2026, 11, 2));
        f.depDtFinal->clear();
        confirm("DtFin_N_Inf", f.depDtFinal);

        f.depDtFinal->setDate(QDate(2026, 11, 1));
        confirm("DtIniFin_Inv", f.depDtInicial);

        // Equal dates pass.
        m_server.ui().clear();
        f.depDtFinal->setDate(QDate(2026, 11, 2));
        QTest::mouseClick(f.sbtConfirma, Qt::LeftButton);
        QVERIFY(m_server.ui().errors().isEmpty());
        QVERIFY(!f.isVisible());
    });
    QCOMPARE(shown.size(), 6);
}

void tst_FiltroGridCotacao::invalidDateIsRefused()
{
    startWorkspace(ServerFixture::kBuyer);
    openFilter([&](TfrmFiltroGridCotacao &f) {
        m_server.ui().clear();
        typeDate(f.depDtInicial, QStringLiteral("31022026"));
        QVERIFY(!f.depDtInicial->isValidDate());
        QCOMPARE(f.edtNmSemInicial->text(), QString());
        QVERIFY(f.speInicial->isEmpty());
        // Leaving it is refused, and so is confirming; the focus stays on the date.
        f.depDtFinal->setFocus();
        QCOMPARE(m_server.ui().errors().size(), 1);
        QVERIFY(m_server.ui().errors().constFirst().contains(QStringLiteral("31/02/2026")));
        QVERIFY(f.depDtInicial->hasFocus());
        QTest::mouseClick(f.sbtConfirma, Qt::LeftButton);
        QCOMPARE(m_server.ui().errors().size(), 2);
        QVERIFY(f.isVisible());
    });
}

// --- weeks and dates ---------------------------------------------------------------------------

void tst_FiltroGridCotacao::weeksAndDatesFollowEachOther()
{
    startWorkspace(ServerFixture::kBuyer);
    openFilter([&](TfrmFiltroGridCotacao &f) {
        // A date typed: the week is cleared while typing, set when the date is left.
        typeDate(f.depDtInicial, QStringLiteral("04032026"));
        QCOMPARE(f.edtNmSemInicial->text(), QStringLiteral("Quarta-feira"));
        QVERIFY(f.speInicial->isEmpty());
        f.depDtFinal->setFocus();
        QCOMPARE(f.speInicial->text(), QStringLiteral("10"));

        // A week typed: the first day of the week on the initial side, the last on the
        // final side, in the year of the date.
        typeWeek(f.speInicial, QStringLiteral("05"));
        QCOMPARE(f.depDtInicial->date(), QDate(2026, 1, 26));
        QCOMPARE(f.edtNmSemInicial->text(), QStringLiteral("Segunda-feira"));
        QCOMPARE(f.speInicial->text(), QStringLiteral("05"));
        f.depDtFinal->setDate(QDate(2026, 6, 1));
        typeWeek(f.speFinal, QStringLiteral("5"));
        QCOMPARE(f.depDtFinal->date(), QDate(2026, 2, 1));
        QCOMPARE(f.edtNmSemFinal->text(), QStringLiteral("Domingo"));

        // '-' is ignored; an emptied week empties its date.
        QTest::keyClick(f.speFinal, Qt::Key_Minus);
        QCOMPARE(f.speFinal->text(), QStringLiteral("5"));
        QTest::keyClick(f.speFinal, Qt::Key_Backspace);
        QVERIFY(f.speFinal->isEmpty());
        QVERIFY(f.depDtFinal->isEmpty());
        QCOMPARE(f.edtNmSemFinal->text(), QString());

        // A week above 53 is taken as 53.
        f.depDtInicial->setDate(QDate(2026, 3, 4));
        typeWeek(f.speInicial, QStringLiteral("99"));
        QCOMPARE(f.speInicial->text(), QStringLiteral("53"));
        QCOMPARE(f.depDtInicial->date(), QDate(2026, 12, 28));
    });
}

void tst_FiltroGridCotacao::week53BecomesTheYearsLastWeek_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("week");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    // 31 December 2023 is in week 52; 2026 and 2020 have a week 53; 31 December 2025 is in
    // week 1 of 2026, so 2025 ends with week 52 too.
    QTest::newRow("2023") << 2023 << "52" << QDate(2023, 12, 25) << QDate(2023, 12, 31);
    QTest::newRow("2026") << 2026 << "53" << QDate(2026, 12, 28) << QDate(2027, 1, 3);
    QTest::newRow("2020") << 2020 << "53" << QDate(2020, 12, 28) << QDate(2021, 1, 3);
    QTest::newRow("2025") << 2025 << "52" << QDate(2025, 12, 22) << QDate(2025, 12, 28);
}

void tst_FiltroGridCotacao::week53BecomesTheYearsLastWeek()
{
    QFETCH(int, year);
    QFETCH(QString, week);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    startWorkspace(ServerFixture::kBuyer);
    openFilter([&](TfrmFiltroGridCotacao &f) {
        f.depDtInicial->setDate(QDate(year, 6, 15));
        f.depDtFinal->setDate(QDate(year, 6, 15));
        typeWeek(f.speInicial, QStringLiteral("53"));
        QCOMPARE(f.speInicial->text(), week);
        QCOMPARE(f.depDtInicial->date(), first);
        typeWeek(f.speFinal, QStringLiteral("53"));
        QCOMPARE(f.speFinal->text(), week);
        QCOMPARE(f.depDtFinal->date(), last);
    });
}

// --- confirmation ------------------------------------------------------------------------------

void tst_FiltroGridCotacao::noDatesMeansEveryPeriod()
{
    startWorkspace(ServerFixture::kBuyer);
    openFilter([&](TfrmFiltroGridCotacao &f) {
        f.depDtInicial->clear();
        f.depDtFinal->clear();
        QTest::mouseClick(f.sbtConfirma, Qt::LeftButton);
        QVERIFY(!f.isVisible());
        QCOMPARE(f.stTData, QStringLiteral("T"));
        QVERIFY(!f.savedFilter().firstDate.isValid());
    });
    QVERIFY(m_server.ui().errors().isEmpty());
    const int expected = quotationCount(QStringLiteral("C.CDOPERADOR = :op"),
                                        {{QStringLiteral("op"), Consiste::Ajusta(QString::fromLatin1(ServerFixture::kBuyer), 12)}});
    QVERIFY(expected > 1);
    QCOMPARE(frmGridCotaPrec->cdsColetapr->recordCount(), expected);

    // Reopened: still no dates, and the week spins empty.
    openFilter([&](TfrmFiltroGridCotacao &f) {
        QVERIFY(f.depDtInicial->isEmpty());
        QVERIFY(f.speInicial->isEmpty());
        QCOMPARE(f.edtNmSemFinal->text(), QString());
    });
}

void tst_FiltroGridCotacao::listsRestrictTheQuotations()
{
    startWorkspace(ServerFixture::kNonBuyer);
    const QString region = m_server.scalar(QStringLiteral(
        "SELECT MIN(CDREGIAO) FROM COLEREGI WHERE CDFILIAL = '0001'")).toString();
    const QString supplier = m_server.scalar(QStringLiteral(
        "SELECT MIN(CDFORNECED) FROM COLEFORN WHERE CDFILIAL = '0001' AND CDREGIAO = :r"),
        {{QStringLiteral("r"), region}}).toString();
    QVERIFY(!region.isEmpty() && !supplier.isEmpty());
    openFilter([&](TfrmFiltroGridCotacao &f) {
        f.depDtInicial->clear();
        f.depDtFinal->clear();
        f.rbtListaRegiao->click();
        m_server.ui().answerListSearch(QStringList{region});
        QTest::mouseClick(f.sbtRegiao, Qt::LeftButton);
        f.rbtLForn->click();
        m_server.ui().answerListSearch(QStringList{supplier});
        QTest::mouseClick(f.sbtForn, Qt::LeftButton);
        QCOMPARE(m_server.ui().texts(Kind::ListSearch),
                 (QStringList{msg(QStringLiteral("Regiao")), msg(QStringLiteral("Forn"))}));
        QTest::mouseClick(f.sbtConfirma, Qt::LeftButton);
        QVERIFY(!f.isVisible());
    });
    QVERIFY(m_server.ui().errors().isEmpty());
    const int expected = quotationCount(
        QStringLiteral("EXISTS (SELECT 1 FROM COLEREGI R WHERE R.CDFILIAL = C.CDFILIAL AND R.NRCOLEPRECO = "
                       "C.NRCOLEPRECO AND R.CDREGIAO = :r) AND EXISTS (SELECT 1 FROM COLEFORN F WHERE "
                       "F.CDFILIAL = C.CDFILIAL AND F.NRCOLEPRECO = C.NRCOLEPRECO AND F.CDFORNECED = :f)"),
        {{QStringLiteral("r"), region}, {QStringLiteral("f"), supplier}});
    QVERIFY(expected > 0);
    QVERIFY(expected < quotationCount(QString()));
    QCOMPARE(frmGridCotaPrec->cdsColetapr->recordCount(), expected);
}

void tst_FiltroGridCotacao::cancelKeepsListAndReopenShowsLastConfirmed()
{
    startWorkspace(ServerFixture::kBuyer);
    const QDate first(2026, 9, 1), last(2026, 11, 30);
    openFilter([&](TfrmFiltroGridCotacao &f) {
        f.rbtTodosComprador->click();
        f.rbtListaRegiao->click();
        m_server.ui().answerListSearch(QStringList{QStringLiteral("001"), QStringLiteral("002")});
        QTest::mouseClick(f.sbtRegiao, Qt::LeftButton);
        f.depDtInicial->setDate(first);
        f.depDtFinal->setDate(last);
        QTest::mouseClick(f.sbtConfirma, Qt::LeftButton);
    });
    const QStringList confirmed = listedNumbers();
    QVERIFY(!confirmed.isEmpty());

    // Changed everything, then cancelled: the list stays as it was.
    openFilter([&](TfrmFiltroGridCotacao &f) {
        f.rbtListaComprador->click();
        f.rbtTodosRegiao->click();
        f.rbtLForn->click();
        f.depDtInicial->clear();
        QTest::mouseClick(f.sbtCancela, Qt::LeftButton);
        QVERIFY(!f.isVisible());
    });
    QCOMPARE(listedNumbers(), confirmed);

    // Reopened: the last confirmed filter, marks and search buttons with it.
    openFilter([&](TfrmFiltroGridCotacao &f) {
        QVERIFY(f.rbtTodosComprador->isChecked());
        QVERIFY(!f.sbtComprador->isEnabled());
        QCOMPARE(f.stTComprador, QStringLiteral("T"));
        QVERIFY(f.rbtListaRegiao->isChecked());
        QVERIFY(f.sbtRegiao->isEnabled());
        QCOMPARE(f.stPesqRegiao, QStringLiteral("_001__002_"));
        QCOMPARE(f.stTRegiao, QString());
        QVERIFY(f.rbtTForn->isChecked());
        QCOMPARE(f.stTForn, QStringLiteral("T"));
        QCOMPARE(f.stPesqForn, QString());
        QCOMPARE(f.depDtInicial->date(), first);
        QCOMPARE(f.depDtFinal->date(), last);
        QCOMPARE(f.speFinal->value(), Consiste::NumeroSemana(last));

        // Confirming again gives the same list.
        QTest::mouseClick(f.sbtConfirma, Qt::LeftButton);
    });
    QCOMPARE(listedNumbers(), confirmed);
}

// --- saved options -----------------------------------------------------------------------------

void tst_FiltroGridCotacao::savedOptionsComeBack()
{
    startWorkspace(ServerFixture::kBuyer);
    openFilter([&](TfrmFiltroGridCotacao &f) {
        f.rbtListaRegiao->click();
        m_server.ui().answerListSearch(QStringList{QStringLiteral("003")});
        QTest::mouseClick(f.sbtRegiao, Qt::LeftButton);
        f.rbtLForn->click();
        f.stPesqForn = QStringLiteral("_F1_");
        QTest::mouseClick(f.btfSaveOpc, Qt::LeftButton);

        QSettings settings;
        settings.beginGroup(QStringLiteral("Filtros/") + f.objectName());
        QCOMPARE(settings.value(QStringLiteral("stPesqRegiao")).toString(), QStringLiteral("_003_"));
        QCOMPARE(settings.value(QStringLiteral("stPesqForn")).toString(), QStringLiteral("_F1_"));
        QCOMPARE(settings.value(QStringLiteral("stComprador")).toString(), f.stComprador);

        f.rbtTodosRegiao->click();
        f.rbtTForn->click();
        f.rbtTodosComprador->click();
        QVERIFY(f.stPesqRegiao.isEmpty() && f.stComprador.isEmpty());

        QTest::mouseClick(f.btfLoadOpc, Qt::LeftButton);
        QVERIFY(f.rbtListaRegiao->isChecked());
        QVERIFY(f.sbtRegiao->isEnabled());
        QCOMPARE(f.stTRegiao, QString());
        QCOMPARE(f.stPesqRegiao, QStringLiteral("_003_"));
        QVERIFY(f.rbtLForn->isChecked());
        QCOMPARE(f.stPesqForn, QStringLiteral("_F1_"));
        QVERIFY(f.rbtListaComprador->isChecked());
        QCOMPARE(f.stTComprador, QString());
        QCOMPARE(f.stComprador, QStringLiteral("_") + Corvane::Operador() + QStringLiteral("_"));
    });
    QVERIFY(m_server.ui().errors().isEmpty());
}

// --- lifecycle ---------------------------------------------------------------------------------

void tst_FiltroGridCotacao::closingWorkspaceRecreatesTheFilter()
{
    startWorkspace(ServerFixture::kBuyer);
    openFilter([](TfrmFiltroGridCotacao &f) { f.rbtTodosComprador->click(); QTest::mouseClick(f.sbtConfirma, Qt::LeftButton); });
    QPointer<TfrmFiltroGridCotacao> first = frmFiltroGridCotacao;
    QVERIFY(first);
    m_server.ui().clear();
    openFilter([&](TfrmFiltroGridCotacao &f) { QCOMPARE(&f, first.data()); });
    // Reused: the filter data is not read again.
    QVERIFY(!m_server.ui().texts(Kind::ProgressStart).contains(msg(QStringLiteral("Get_DadosFiltro"))));

    closeWorkspace();
    QVERIFY(!frmFiltroGridCotacao);
    QVERIFY(!first);
    IniProc(nullptr);
    QVERIFY(QTest::qWaitForWindowActive(frmGridCotaPrec->window()));
    m_server.ui().clear();
    openFilter([](TfrmFiltroGridCotacao &f) {
        // A fresh dialog: the buyer's own filter again.
        QVERIFY(f.rbtListaComprador->isChecked());
    });
    QVERIFY(m_server.ui().texts(Kind::ProgressStart).contains(msg(QStringLiteral("Get_DadosFiltro"))));
}

// --- layout -------------------------------------------------------------------------------------

// No caption is cut: every radio button, label and group title gets the width it asks
// for.  With SUP_SCREENSHOT_DIR set, the dialog is also saved there as filter.png.
void tst_FiltroGridCotacao::captionsFitTheirControls()
{
    startWorkspace(ServerFixture::kBuyer);
    openFilter([&](TfrmFiltroGridCotacao &f) {
        f.rbtListaRegiao->click();
        m_server.ui().answerListSearch(QStringList{QStringLiteral("001"), QStringLiteral("003")});
        QTest::mouseClick(f.sbtRegiao, Qt::LeftButton);
        QCoreApplication::processEvents();
        for (QRadioButton *radio : f.findChildren<QRadioButton *>())
            QVERIFY2(radio->width() >= radio->sizeHint().width(), qPrintable(radio->objectName()));
        for (QLabel *label : f.findChildren<QLabel *>())
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
        for (QLineEdit *name : {f.edtNmSemInicial, f.edtNmSemFinal})
            QVERIFY(name->width() > name->fontMetrics().horizontalAdvance(QStringLiteral("Quarta-feira")));
        for (QGroupBox *group : f.findChildren<QGroupBox *>())
            QVERIFY2(group->width() > group->fontMetrics().horizontalAdvance(group->title()) + 16,
                     qPrintable(group->objectName()));
        const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(f.grab().save(QDir(folder).filePath(QStringLiteral("filter.png"))));
    });
}

// The dialog needs nothing of the workspace: given a quotation context alone, it reads
// its start period through the context's client, loads the context's list and tells the
// context, which is how the workspace learns to recompute its enabling rule.
void tst_FiltroGridCotacao::worksOnAContextWithoutWorkspace()
{
    QString error;
    QVERIFY2(m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
    QVERIFY(!frmGridCotaPrec);
    QuotationContext context;
    context.open();
    QSignalSpy changed(&context, &QuotationContext::changed);
    TfrmFiltroGridCotacao dialog(context);
    dialog.FormCreate();
    dialog.FormActivate();
    QVERIFY(dialog.depDtInicial->date().isValid());
    dialog.sbtConfirmaClick();

    QVERIFY(!frmGridCotaPrec);
    QVERIFY(changed.count() >= 1);
    ClientDataSet *list = context.quotations();
    QVERIFY(list->active());
    QVERIFY(list->recordCount() > 0);
    const QString own = Consiste::Ajusta(QString::fromLatin1(ServerFixture::kBuyer), 12);
    for (list->first(); !list->eof(); list->next())
        QCOMPARE(list->fieldByName(QStringLiteral("CDOPERADOR"))->asString(), own);
    // The filter in force is what the server sent back for the buyer list.
    QCOMPARE(context.filter().buyers, QStringLiteral("_") + own + QStringLiteral("_"));
    QCOMPARE(context.filter().branch, context.centralBranch());
}

QTEST_MAIN(tst_FiltroGridCotacao)
#include "tst_filtrogridcotacao.moc"
