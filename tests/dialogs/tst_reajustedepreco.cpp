// The price readjustment against the real server: the range sent for every product and
// for a range, the checks of the product range in their order with their focus, the
// server's answers (no items, no percentage), the prices stored rounded to five decimals
// with their audit prefix, and the percentage typed within its limits.
#include "Cli_sup05220.h"
#include "QuotationContext.h"

#include "ProductsPageData.h"
#include "QuotationTestData.h"
#include "ServerFixture.h"

#include "ClientDataSet.h"
#include "MaskEdit.h"
#include "NumberEdit.h"
#include "TBtnPesquisa.h"

#include <QLineEdit>
#include <QSqlQuery>
#include <QToolButton>
#include <QDir>
#include <QtTest>

using Kind = ScriptedUserInterface::Kind;
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

} // namespace

class tst_ReajustedePreco : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void rangeEndIsPaddedWithZ_data();
    void rangeEndIsPaddedWithZ();
    void everyProductOfTheSupplierInTheRegionIsReadjusted();
    void aRangeReadjustsOnlyItsProductsAndAuditsWithThePrefix();
    void rangeChecksKeepTheDialogOpenAndSendNothing();
    void serverAnswersFocusTheirField();
    void percentageIsTypedWithinItsLimits();

private:
    std::unique_ptr<TfrmReajustedePreco> open(const QString &number, int region = 0, int supplier = 0);
    double price(const QString &number, int region, int supplier, int product) const;
    QStringList history(const QString &number) const;
    void setAudit(const QString &value);
    void calculate(TfrmReajustedePreco &d);

    ServerFixture m_server;
    std::unique_ptr<ProductsPageData> m_data;
    std::unique_ptr<QuotationContext> m_context;
    QString m_auditBefore;
};

void tst_ReajustedePreco::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    m_server.useTemporarySettings();
    m_data = std::make_unique<ProductsPageData>(m_server);
    QVERIFY2(m_data->ensureMasterData(&error), qPrintable(error));
    m_auditBefore = m_server.scalar(QStringLiteral("SELECT IDAUDALTCOT FROM PARASUPRI WHERE CDFILIAL = '0001'")).toString();
}

void tst_ReajustedePreco::cleanup()
{
    m_context.reset();
    m_data->removeQuotations();
    setAudit(m_auditBefore);
    m_server.logout();
}

void tst_ReajustedePreco::cleanupTestCase()
{
    m_server.stop();
}

void tst_ReajustedePreco::setAudit(const QString &value)
{
    QVERIFY(m_server.execute(QStringLiteral("UPDATE PARASUPRI SET IDAUDALTCOT = :V WHERE CDFILIAL = '0001'"),
                             {{QStringLiteral("V"), value}}));
}

std::unique_ptr<TfrmReajustedePreco> tst_ReajustedePreco::open(const QString &number, int region, int supplier)
{
    QString error;
    if (!Corvane::sessionOpen() && !m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error))
        qFatal("login: %s", qPrintable(error));
    m_context = QuotationTestData::context(QDate::currentDate().addDays(-7), QDate::currentDate().addDays(14));
    if (!m_context->quotations()->locate(QStringLiteral("NRCOLEPRECO"), number))
        return nullptr;
    auto dialog = std::make_unique<TfrmReajustedePreco>(*m_context, m_data->region(region), m_data->supplier(supplier));
    dialog->show();
    if (!QTest::qWaitForWindowActive(dialog.get()))
        qWarning("the readjustment did not become active");
    return dialog;
}

double tst_ReajustedePreco::price(const QString &number, int region, int supplier, int product) const
{
    return const_cast<ServerFixture &>(m_server)
        .scalar(QStringLiteral("SELECT VRPRECUNIITM FROM ITCOLETAPR WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N AND "
                               "CDREGIAO = :R AND CDFORNECED = :F AND CDPRODUTO = :P"),
                {{QStringLiteral("N"), number}, {QStringLiteral("R"), m_data->region(region)},
                 {QStringLiteral("F"), m_data->supplier(supplier)}, {QStringLiteral("P"), m_data->product(product)}})
        .toDouble();
}

// "product|old|new|justification" of every history row of the quotation, sorted.
QStringList tst_ReajustedePreco::history(const QString &number) const
{
    QSqlQuery q(const_cast<ServerFixture &>(m_server).database());
    q.prepare(QStringLiteral("SELECT CDPRODUTO, VRPRECANT, VRPRECNOVO, DSJUSTOPER FROM HISTITCOLE "
                             "WHERE CDFILIAL = '0001' AND NRCOLEPRECO = :N"));
    q.bindValue(QStringLiteral(":N"), number);
    QStringList rows;
    if (!q.exec())
        return {QStringLiteral("query failed")};
    while (q.next())
        rows << QStringLiteral("%1|%2|%3|%4").arg(q.value(0).toString().trimmed(), QString::number(q.value(1).toDouble()),
                                                  QString::number(q.value(2).toDouble()), q.value(3).toString());
    rows.sort();
    return rows;
}

void tst_ReajustedePreco::calculate(TfrmReajustedePreco &d)
{
    m_server.ui().clear();
    d.sbtConfirmar->click();
}

void tst_ReajustedePreco::rangeEndIsPaddedWithZ_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("sent");
    QTest::newRow("no final product") << QString() << QString(20, u'Z');
    QTest::newRow("eight characters") << QStringLiteral("01990010") << QStringLiteral("01990010") + QString(12, u'Z');
    QTest::newRow("full width") << QString(20, u'9') << QString(20, u'9');
}

void tst_ReajustedePreco::rangeEndIsPaddedWithZ()
{
    QFETCH(QString, code);
    QFETCH(QString, sent);
    QCOMPARE(TfrmReajustedePreco::rangeEnd(code), sent);
}

void tst_ReajustedePreco::everyProductOfTheSupplierInTheRegionIsReadjusted()
{
    setAudit(QStringLiteral("N"));
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 10), item(0, 0, 1, 0, 3.33333), item(1, 0, 0, 0, 10),
                                      item(0, 1, 0, 0, 10), item(0, 0, 2, 0, 0)},
                                     &number, &error),
             qPrintable(error));
    auto d = open(number);
    QVERIFY(d);
    QCOMPARE(d->medNrColeta->text(), number);
    QTest::keyClicks(d->nedReajuste, QStringLiteral("2"));
    calculate(*d);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QCOMPARE(m_server.ui().texts(Kind::Message), QStringList{QStringLiteral("Reajuste de preço realizado com sucesso.")});
    QVERIFY(d->readjusted());
    QVERIFY(!d->isVisible());
    QVERIFY(!m_server.ui().progressActive());
    // Region 0, supplier 0 only; rounded to five decimals; a zero price stays zero.
    QCOMPARE(price(number, 0, 0, 0), 10.2);
    QCOMPARE(price(number, 0, 0, 1), 3.4);
    QCOMPARE(price(number, 0, 0, 2), 0.0);
    QCOMPARE(price(number, 1, 0, 0), 10.0);
    QCOMPARE(price(number, 0, 1, 0), 10.0);
    // Without auditing, the change carries no justification.
    QCOMPARE(history(number), (QStringList{m_data->product(0) + QStringLiteral("|10|10.2|"),
                                           m_data->product(1) + QStringLiteral("|3.33333|3.4|")}));
}

void tst_ReajustedePreco::aRangeReadjustsOnlyItsProductsAndAuditsWithThePrefix()
{
    setAudit(QStringLiteral("S"));
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 10), item(0, 0, 1, 0, 20), item(0, 0, 2, 0, 30),
                                      item(0, 0, 3, 0, 40)},
                                     &number, &error),
             qPrintable(error));
    auto d = open(number);
    QVERIFY(d);
    QTest::keyClicks(d->nedReajuste, QStringLiteral("-10"));
    d->medCdProdIni->setText(m_data->tree(1));
    d->medCdProdFin->setText(m_data->tree(2));
    d->Vd_ProdIni(false);
    d->Vd_ProdFin(false);
    if (const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QDir().mkpath(folder);
        QTest::qWait(50);
        QVERIFY(d->grab().save(QDir(folder).filePath(QStringLiteral("readjustment-dialog.png"))));
    }
    calculate(*d);
    QCOMPARE(m_server.ui().errors(), QStringList());
    QVERIFY(d->readjusted());
    QCOMPARE(price(number, 0, 0, 0), 10.0);
    QCOMPARE(price(number, 0, 0, 1), 18.0);
    QCOMPARE(price(number, 0, 0, 2), 27.0);
    QCOMPARE(price(number, 0, 0, 3), 40.0);
    const QString prefix = QStringLiteral("Botão Reajustar Preços - de / para: ");
    QCOMPARE(history(number), (QStringList{m_data->product(1) + QStringLiteral("|20|18|") + prefix,
                                           m_data->product(2) + QStringLiteral("|30|27|") + prefix}));
    // The names of the products of the range were shown.
    QCOMPARE(d->edtNmProdIni->text(), m_data->productName(1));
    QCOMPARE(d->edtNmProdFin->text(), m_data->productName(2));
}

void tst_ReajustedePreco::rangeChecksKeepTheDialogOpenAndSendNothing()
{
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 10), item(0, 0, 1, 0, 20)}, &number, &error), qPrintable(error));
    auto d = open(number);
    QVERIFY(d);
    QTest::keyClicks(d->nedReajuste, QStringLiteral("5"));

    // Initial product without the final one: asked for, the focus on the final product.
    d->medCdProdIni->setText(m_data->tree(0));
    calculate(*d);
    QCOMPARE(m_server.ui().errors(), QStringList{QStringLiteral("Produto final deve ser informado.")});
    QVERIFY(d->medCdProdFin->hasFocus());
    QVERIFY(d->isVisible());

    // Final product without the initial one.
    d->medCdProdIni->setText(QString());
    d->medCdProdFin->setText(m_data->tree(0));
    calculate(*d);
    QCOMPARE(m_server.ui().errors(), QStringList{QStringLiteral("Produto inicial deve ser informado.")});
    QVERIFY(d->medCdProdIni->hasFocus());

    // An inverted range; the table's key is spelled "Prod_me".
    d->medCdProdIni->setText(m_data->tree(1));
    d->medCdProdFin->setText(m_data->tree(0));
    calculate(*d);
    QCOMPARE(m_server.ui().errors(),
             QStringList{QStringLiteral("Produto inicial deve ser menor ou igual a produto final.")});

    // An unknown code keeps the focus on its own edit.
    d->medCdProdIni->setText(QStringLiteral("0198999"));
    d->medCdProdFin->setText(m_data->tree(1));
    calculate(*d);
    QCOMPARE(m_server.ui().errors(), QStringList{QStringLiteral("Código não cadastrado.")});
    QVERIFY(d->medCdProdIni->hasFocus());

    // Typing a code again clears the name shown for the one before.
    d->medCdProdFin->setText(m_data->tree(0));
    QCOMPARE(d->edtNmProdFin->text(), QStringLiteral(" "));

    QVERIFY(d->isVisible());
    QVERIFY(!d->readjusted());
    QCOMPARE(price(number, 0, 0, 0), 10.0);
    QCOMPARE(price(number, 0, 0, 1), 20.0);
    QCOMPARE(history(number), QStringList());
}

void tst_ReajustedePreco::serverAnswersFocusTheirField()
{
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 10)}, &number, &error), qPrintable(error));
    auto d = open(number);
    QVERIFY(d);
    // No percentage: sent empty, the server's answer focuses the percentage.
    d->medCdProdIni->setFocus();
    calculate(*d);
    QCOMPARE(m_server.ui().errors(), QStringList{QStringLiteral("Reajuste(%) deve ser informado.")});
    QVERIFY(d->nedReajuste->hasFocus());
    QVERIFY(d->isVisible());

    // A range without items of this supplier: nothing to readjust.
    QTest::keyClicks(d->nedReajuste, QStringLiteral("3"));
    d->medCdProdIni->setText(m_data->tree(2));
    d->medCdProdFin->setText(m_data->tree(3));
    d->nedReajuste->setFocus();
    calculate(*d);
    QCOMPARE(m_server.ui().errors(), QStringList{QStringLiteral("Não há dados para reajuste de preços.")});
    QVERIFY(d->medCdProdIni->hasFocus());
    QVERIFY(d->isVisible());
    QVERIFY(!m_server.ui().progressActive());
    // The values typed are still there.
    QCOMPARE(d->nedReajuste->value(), 3.0);
    QCOMPARE(d->medCdProdIni->text(), m_data->tree(2));
    QCOMPARE(price(number, 0, 0, 0), 10.0);
}

void tst_ReajustedePreco::percentageIsTypedWithinItsLimits()
{
    QString number, error;
    QVERIFY2(m_data->createQuotation({item(0, 0, 0, 0, 10)}, &number, &error), qPrintable(error));
    auto d = open(number);
    QVERIFY(d);
    d->nedReajuste->setFocus();
    // Three digits before the comma, two after; a point is the comma; a minus only first.
    QTest::keyClicks(d->nedReajuste, QStringLiteral("12345.678-"));
    QCOMPARE(d->nedReajuste->text(), QStringLiteral("123,67"));
    d->nedReajuste->clear();
    QTest::keyClicks(d->nedReajuste, QStringLiteral("-2.5"));
    QCOMPARE(d->nedReajuste->text(), QStringLiteral("-2,5"));
    QCOMPARE(d->nedReajuste->value(), -2.5);
}

QTEST_MAIN(tst_ReajustedePreco)
#include "tst_reajustedepreco.moc"
