// The best-price loading against the real server: weeks, dates and weekday names agree
// from the first activation and follow each other, the date checks in their order, and the
// lowest non-zero price of each item among the quotations of the chosen validity loaded
// into the current quotation; a server text keeps the dialog open.
#include "Cli_sup05218.h"
#include "QuotationContext.h"

#include "ProductsPageData.h"
#include "QuotationTestData.h"
#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "Consiste.h"
#include "DateEdit.h"
#include "SpinEdit.h"

#include <QLineEdit>
#include <QToolButton>
#include <QDir>
#include <QtTest>

using Item = ProductsPageData::Item;

namespace {

Item item(int region, int supplier, int product, int brand, double price)
{
    Item i;
    i.region = region;
    i.supplier = supplier;
    i.product = product;
    i.brand = brand;
    i.price = price;
    return i;
}

const QString kIniMaior = QStringLiteral("Data Inicial deve ser menor que a Data Final.");
const QString kIniEmpty = QStringLiteral("Data de validade inicial deve ser informada.");
const QString kFinEmpty = QStringLiteral("Data de validade final deve ser informada.");

} // namespace

class tst_ValUltCot : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void weeksDatesAndNamesAgreeFromTheStart();
    void week53IsWeek52InAYearWithoutIt();
    void datesAreCheckedInOrder_data();
    void datesAreCheckedInOrder();
    void lowestPricesOfThePeriodAreLoaded();
    void serverTextKeepsTheDialogOpen();

private:
    std::unique_ptr<TfrmGridValUltCot> open(const QString &number);
    void moveValidity(const QString &number, int fromDays, int toDays);
    double price(const QString &number, int region, int supplier, int product);
    void typeWeek(SpinEdit *week, const QString &text);

    ServerFixture m_server;
    std::unique_ptr<ProductsPageData> m_data;
    std::unique_ptr<QuotationContext> m_context;
};

void tst_ValUltCot::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_data = std::make_unique<ProductsPageData>(m_server);
    QVERIFY2(m_data->ensureMasterData(&error), qPrintable(error));
}

void tst_ValUltCot::cleanup()
{
    m_context.reset();
    m_data->removeQuotations();
    m_server.logout();
}

void tst_ValUltCot::cleanupTestCase()
{
    m_server.stop();
}

std::unique_ptr<TfrmGridValUltCot> tst_ValUltCot::open(const QString &number)
{
    QString error;
    if (!Corvane::sessionOpen() && !m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error))
        qFatal("login: %s", qPrintable(error));
    m_context = QuotationTestData::context(QDate::currentDate().addDays(-1), QDate::currentDate().addDays(7));
    if (!number.isEmpty() && !m_context->quotations()->locate(QStringLiteral("NRCOLEPRECO"), number))
        return nullptr;
    auto dialog = std::make_unique<TfrmGridValUltCot>(*m_context);
    dialog->show();
    if (!QTest::qWaitForWindowActive(dialog.get()))
        qWarning("the best-price dialog did not become active");
    m_server.ui().clear();
    return dialog;
}

void tst_ValUltCot::moveValidity(const QString &number, int fromDays, int toDays)
{
    const QDate today = QDate::currentDate();
    QVERIFY(m_server.execute(QStringLiteral("UPDATE COLETAPR SET DTINIVALCOL = :I, DTFINVALCOL = :F "
                                            "WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"),
                             {{QStringLiteral("I"), today.addDays(fromDays).toString(Qt::ISODate)},
                              {QStringLiteral("F"), today.addDays(toDays).toString(Qt::ISODate)},
                              {QStringLiteral("N"), number}}));
}

double tst_ValUltCot::price(const QString &number, int region, int supplier, int product)
{
    return m_server
        .scalar(QStringLiteral("SELECT VRPRECUNIITM FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N AND "
                               "CDREGIAO = :R AND CDFORNECED = :F AND CDPRODUTO = :P"),
                {{QStringLiteral("N"), number}, {QStringLiteral("R"), m_data->region(region)},
                 {QStringLiteral("F"), m_data->supplier(supplier)}, {QStringLiteral("P"), m_data->product(product)}})
        .toDouble();
}

void tst_ValUltCot::typeWeek(SpinEdit *week, const QString &text)
{
    week->setFocus();
    QTRY_VERIFY(week->hasFocus());
    QTest::keyClick(week, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(week, text);
}

void tst_ValUltCot::weeksDatesAndNamesAgreeFromTheStart()
{
    auto d = open(QString());
    QVERIFY(d);
    const int year = Consiste::AnoSemana(QDate::currentDate());
    QCOMPARE(d->speInicial->value(), 1);
    QCOMPARE(d->speFinal->value(), 1);
    QCOMPARE(d->depDtInicial->date(), Consiste::DataSemana(1, u'I', year));
    QCOMPARE(d->depDtFinal->date(), Consiste::DataSemana(1, u'F', year));
    QCOMPARE(d->edtNmSemInicial->text(), Consiste::NomeSemana(d->depDtInicial->date()));
    QCOMPARE(d->edtNmSemFinal->text(), Consiste::NomeSemana(d->depDtFinal->date()));
    QVERIFY(!d->edtNmSemInicial->text().isEmpty());
    QVERIFY(d->speInicial->hasFocus());

    // A date typed sets its week when the edit is left; a "-" typed in a week is dropped.
    d->depDtFinal->setFocus();
    QTRY_VERIFY(d->depDtFinal->hasFocus());
    d->depDtFinal->clear();
    QTest::keyClicks(d->depDtFinal, QStringLiteral("15032028"));
    QVERIFY(d->speFinal->isEmpty());
    typeWeek(d->speInicial, QStringLiteral("-1"));
    QCOMPARE(d->speFinal->value(), Consiste::NumeroSemana(QDate(2028, 3, 15)));
    QCOMPARE(d->edtNmSemFinal->text(), Consiste::NomeSemana(QDate(2028, 3, 15)));
    QVERIFY(!d->speInicial->text().contains(u'-'));
    QCOMPARE(d->speInicial->value(), 1);
}

void tst_ValUltCot::week53IsWeek52InAYearWithoutIt()
{
    auto d = open(QString());
    QVERIFY(d);
    // 2027 has 52 weeks, 2026 has 53.
    d->depDtInicial->setDate(QDate(2027, 3, 10));
    typeWeek(d->speInicial, QStringLiteral("53"));
    QCOMPARE(d->speInicial->value(), 52);
    QCOMPARE(d->depDtInicial->date(), Consiste::DataSemana(52, u'I', 2027));
    d->depDtFinal->setDate(QDate(2026, 3, 10));
    typeWeek(d->speFinal, QStringLiteral("53"));
    QCOMPARE(d->speFinal->value(), 53);
    QCOMPARE(d->depDtFinal->date(), Consiste::DataSemana(53, u'F', 2026));
    // An empty week empties its date.
    typeWeek(d->speFinal, QString());
    QTest::keyClick(d->speFinal, Qt::Key_Backspace);
    QVERIFY(d->depDtFinal->isEmpty());
}

void tst_ValUltCot::datesAreCheckedInOrder_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("15 January to 2 February") << QDate(2029, 1, 15) << QDate(2029, 2, 2) << QString();
    QTest::newRow("equal dates") << QDate(2029, 1, 15) << QDate(2029, 1, 15) << QString();
    QTest::newRow("reversed") << QDate(2029, 2, 2) << QDate(2029, 1, 15) << kIniMaior;
    QTest::newRow("no initial date") << QDate() << QDate(2029, 1, 15) << kIniEmpty;
    QTest::newRow("no final date") << QDate(2029, 1, 15) << QDate() << kFinEmpty;
    QTest::newRow("neither") << QDate() << QDate() << kIniEmpty;
}

void tst_ValUltCot::datesAreCheckedInOrder()
{
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QString, refusal);
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 10)}, &number, &error), qPrintable(error));
    auto d = open(number);
    QVERIFY(d);
    d->depDtInicial->setDate(first);
    d->depDtFinal->setDate(last);
    d->sbtConfirmar->click();
    const QStringList errors = m_server.ui().errors();
    if (refusal.isEmpty()) {
        // Past the checks: the server answers (no prices in 2029).
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(QStringLiteral("Não há preço nas cotações")), qPrintable(errors.first()));
    } else {
        QCOMPARE(errors, QStringList{refusal});
    }
    QVERIFY(d->isVisible());
    QVERIFY(!m_server.ui().progressActive());
}

void tst_ValUltCot::lowestPricesOfThePeriodAreLoaded()
{
    QString current, earlier, older, outside, error;
    // Two quotations of the period chosen, one before it.
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 8), item(0, 0, 1, 0, 0), item(1, 0, 0, 0, 6)}, &earlier, &error),
             qPrintable(error));
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 7.5), item(0, 0, 1, 0, 9), item(0, 0, 2, 0, 4)}, &older, &error),
             qPrintable(error));
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 1), item(0, 0, 1, 0, 1), item(0, 1, 0, 0, 1)}, &outside, &error),
             qPrintable(error));
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 10), item(0, 0, 1, 0, 10), item(0, 1, 0, 0, 10),
                                      item(1, 0, 0, 0, 10), item(0, 0, 3, 0, 10)},
                                     &current, &error),
             qPrintable(error));
    moveValidity(earlier, -14, -8);
    moveValidity(older, -21, -15);
    moveValidity(outside, -35, -29);
    auto d = open(current);
    QVERIFY(d);
    // Typed as a user does: each date in its edit, which is then left.
    d->depDtInicial->setFocus();
    d->depDtInicial->setDate(QDate::currentDate().addDays(-21));
    d->depDtFinal->setFocus();
    d->depDtFinal->setDate(QDate::currentDate().addDays(-8));
    d->sbtConfirmar->setFocus();
    QCOMPARE(d->speInicial->value(), Consiste::NumeroSemana(QDate::currentDate().addDays(-21)));
    QCOMPARE(d->speFinal->value(), Consiste::NumeroSemana(QDate::currentDate().addDays(-8)));
    if (const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QDir().mkpath(folder);
        QTest::qWait(50);
        QVERIFY(d->grab().save(QDir(folder).filePath(QStringLiteral("best-prices-dialog.png"))));
    }
    d->sbtConfirmar->click();
    QCOMPARE(m_server.ui().errors(), QStringList());
    QVERIFY(d->loaded());
    QVERIFY(!d->isVisible());
    QVERIFY(!m_server.ui().progressActive());
    // The lowest non-zero price of the same region, supplier, product and brand.
    QCOMPARE(price(current, 0, 0, 0), 7.5);
    QCOMPARE(price(current, 0, 0, 1), 9.0);
    QCOMPARE(price(current, 1, 0, 0), 6.0);
    // Nothing found in the period: the price stays.
    QCOMPARE(price(current, 0, 1, 0), 10.0);
    QCOMPARE(price(current, 0, 0, 3), 10.0);
    // The quotations read are left alone.
    QCOMPARE(price(earlier, 0, 0, 0), 8.0);
    const int audited = m_server
                            .scalar(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = '0001' AND "
                                                   "NRCOLEPRECO = :N"),
                                    {{QStringLiteral("N"), current}})
                            .toInt();
    QCOMPARE(audited, 3);
}

void tst_ValUltCot::serverTextKeepsTheDialogOpen()
{
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 10)}, &number, &error), qPrintable(error));
    auto d = open(number);
    QVERIFY(d);
    d->depDtInicial->setDate(QDate(2001, 1, 1));
    d->depDtFinal->setDate(QDate(2001, 1, 31));
    d->sbtConfirmar->click();
    QCOMPARE(m_server.ui().errors().size(), 1);
    QVERIFY(d->isVisible());
    QVERIFY(!d->loaded());
    QCOMPARE(d->depDtInicial->date(), QDate(2001, 1, 1));
    QCOMPARE(price(number, 0, 0, 0), 10.0);
}

QTEST_MAIN(tst_ValUltCot)
#include "tst_valultcot.moc"
