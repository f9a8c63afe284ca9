// The negotiation and simulation module SUP01802 opened by the host with the workspace's
// array, against the real server: the product's prices side by side per region and
// supplier/brand, the quantities to buy, totals, the lowest price of each region and the
// cheapest complete choice marked, and the item the module was opened for selected.
#include "MainWindow.h"
#include "ModuleLoader.h"
#include "PriceSimulation.h"
#include "PriceSimulationModel.h"

#include "ProductsPageData.h"
#include "ServerFixture.h"

#include "Corvane.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QDir>
#include <QtTest>

using Item = ProductsPageData::Item;

namespace {

Item item(int region, int supplier, int product, int brand, double price, double quantity)
{
    Item i;
    i.region = region;
    i.supplier = supplier;
    i.product = product;
    i.brand = brand;
    i.price = price;
    i.quantity = quantity;
    return i;
}

} // namespace

class tst_PriceSimulation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void pricesSideBySideWithTheCheapestChoiceMarked();
    void noCompleteChoiceIsSaidSo();

private:
    PriceSimulation *open(const QString &number, int region, int supplier, int product, int brand);

    ServerFixture m_server;
    ProductsPageData m_data{m_server};
    QTemporaryDir m_emptyDir;
    std::unique_ptr<ModuleLoader> m_loader;
    std::unique_ptr<MainWindow> m_window;
};

void tst_PriceSimulation::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
    QVERIFY2(m_data.ensureMasterData(&error), qPrintable(error));
    QVERIFY2(m_server.login(QString::fromLatin1(ServerFixture::kBuyer), &error), qPrintable(error));
    m_loader = std::make_unique<ModuleLoader>(m_emptyDir.path());
    m_window = std::make_unique<MainWindow>(m_loader.get());
    m_window->show();
}

void tst_PriceSimulation::cleanupTestCase()
{
    m_window.reset();
    m_data.removeQuotations();
    m_server.stop();
}

PriceSimulation *tst_PriceSimulation::open(const QString &number, int region, int supplier, int product, int brand)
{
    Corvane::LoadBPL(QStringLiteral("SUP01802"),
                     {QStringLiteral("0001"), number, m_data.supplier(supplier), m_data.product(product),
                      m_data.tree(product), m_data.brand(brand), m_data.region(region), QStringLiteral(" ")});
    QMdiSubWindow *sub = m_window->mdiArea()->activeSubWindow();
    return sub ? qobject_cast<PriceSimulation *>(sub->widget()) : nullptr;
}

void tst_PriceSimulation::pricesSideBySideWithTheCheapestChoiceMarked()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5, 10), item(1, 0, 0, 0, 3, 20),   // supplier 0: 110
                                     item(0, 1, 0, 0, 4, 10), item(1, 1, 0, 0, 3.4, 20), // supplier 1: 108
                                     item(0, 2, 0, 0, 0, 10), item(1, 2, 0, 0, 2, 20),   // no price in region 0
                                     item(0, 0, 0, 1, 6, 10),                            // brand 1 in region 0 only
                                     item(0, 0, 1, 0, 1, 10)},                           // another product
                                    &number, &error),
             qPrintable(error));
    PriceSimulation *module = open(number, 0, 0, 0, 0);
    QVERIFY(module);
    QCOMPARE(module->objectName(), QStringLiteral("frmSUP01802"));
    PriceSimulationModel *model = module->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(model->regionCount(), 2);
    QCOMPARE(model->rowCount(), 5); // quantities + four supplier/brand rows
    QVERIFY(model->headerData(PriceSimulationModel::FirstRegionColumn, Qt::Horizontal).toString()
                .startsWith(m_data.region(0)));
    auto value = [model](int row, int column) {
        return model->index(row, column).data(PriceSimulationModel::ValueRole);
    };
    auto best = [model](int row, int column) {
        return model->index(row, column).data(PriceSimulationModel::BestRole).toBool();
    };
    const int r0 = PriceSimulationModel::FirstRegionColumn;
    const int r1 = r0 + 1;
    const int total = model->totalColumn();
    // Quantities to buy per region and in all.
    QCOMPARE(value(0, r0).toDouble(), 10.0);
    QCOMPARE(value(0, r1).toDouble(), 20.0);
    QCOMPARE(value(0, total).toDouble(), 30.0);

    const int s0 = model->rowOf(m_data.supplier(0), m_data.brand(0));
    const int s1 = model->rowOf(m_data.supplier(1), m_data.brand(0));
    const int s2 = model->rowOf(m_data.supplier(2), m_data.brand(0));
    const int s0b1 = model->rowOf(m_data.supplier(0), m_data.brand(1));
    QVERIFY(s0 > 0 && s1 > 0 && s2 > 0 && s0b1 > 0);
    QCOMPARE(model->rowOf(m_data.supplier(0), m_data.brand(2)), -1);
    QCOMPARE(value(s0, r0).toDouble(), 5.0);
    QCOMPARE(value(s1, r1).toDouble(), 3.4);
    QVERIFY(value(s2, r0).isNull()); // not quoted there
    QCOMPARE(model->index(s1, r1).data().toString(), QStringLiteral("3,40000"));
    QCOMPARE(value(s0, total).toDouble(), 110.0);
    QCOMPARE(value(s1, total).toDouble(), 108.0);
    QCOMPARE(value(s2, total).toDouble(), 40.0);
    // The lowest price of each region.
    QVERIFY(best(s1, r0));
    QVERIFY(!best(s0, r0));
    QVERIFY(best(s2, r1));
    QVERIFY(!best(s1, r1));
    // The cheapest choice quotes every region: supplier 2 is cheaper but incomplete.
    QCOMPARE(model->cheapestRow(), std::optional<int>(s1));
    QVERIFY(best(s1, total));
    QVERIFY(!best(s2, total));
    QVERIFY(model->index(s2, total).data().toString().endsWith(QStringLiteral(" *")));
    QCOMPARE(model->bestSplitTotal(), 80.0);
    // The item the module was opened for.
    QVERIFY(model->index(s0, 0).data(PriceSimulationModel::CurrentItemRole).toBool());
    QVERIFY(!model->index(s1, 0).data(PriceSimulationModel::CurrentItemRole).toBool());
    QCOMPARE(module->tblSimulacao->currentIndex().row(), s0);
    QVERIFY2(module->lblResumo->text().contains(QStringLiteral("108,00"))
                 && module->lblResumo->text().contains(QStringLiteral("80,00"))
                 && module->lblResumo->text().contains(m_data.supplierName(1)),
             qPrintable(module->lblResumo->text()));
    QVERIFY(module->lblCotacao->text().contains(m_data.productName(0)));

    if (const QString folder = qEnvironmentVariable("SUP_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QDir().mkpath(folder);
        QTest::qWait(50);
        QVERIFY(module->grab().save(QDir(folder).filePath(QStringLiteral("simulation-module.png"))));
    }
    // A price changed elsewhere shows on Atualizar.
    QVERIFY(m_server.execute(QStringLiteral("UPDATE ITCOLETAPR SET VRPRECUNIITM = 1 WHERE CDFILIAL = '0001' AND "
                                            "NRCOLEPRECO = :N AND CDFORNECED = :F AND CDREGIAO = :R AND CDMARCA = :M"),
                             {{QStringLiteral("N"), number}, {QStringLiteral("F"), m_data.supplier(0)},
                              {QStringLiteral("R"), m_data.region(0)}, {QStringLiteral("M"), m_data.brand(0)}}));
    module->sbtAtualizar->click();
    const int s0again = model->rowOf(m_data.supplier(0), m_data.brand(0));
    QCOMPARE(value(s0again, total).toDouble(), 70.0);
    QCOMPARE(model->cheapestRow(), std::optional<int>(s0again));
    m_window->mdiArea()->closeAllSubWindows();
}

void tst_PriceSimulation::noCompleteChoiceIsSaidSo()
{
    QString number, error;
    QVERIFY2(m_data.createQuotation({item(0, 0, 0, 0, 5, 10), item(1, 1, 0, 0, 3, 20)}, &number, &error),
             qPrintable(error));
    PriceSimulation *module = open(number, 1, 1, 0, 0);
    QVERIFY(module);
    QCOMPARE(module->model()->cheapestRow(), std::nullopt);
    QVERIFY2(module->lblResumo->text().startsWith(QStringLiteral("Nenhum fornecedor cota todas as regiões")),
             qPrintable(module->lblResumo->text()));
    QVERIFY(module->lblResumo->text().contains(QStringLiteral("110,00")));
    m_window->mdiArea()->closeAllSubWindows();
}

QTEST_MAIN(tst_PriceSimulation)
#include "tst_PriceSimulation.moc"
