// The products page moving between suppliers: a supplier's 5,000 product/brand rows
// taken from the packet cache and loaded into the product dataset, its table model and
// the grid over it (columns, delegate and current cell), as a visit served without the
// server.  Two suppliers alternate so that every load replaces the rows.
#include "ClientDataSet.h"
#include "DBGrid.h"
#include "DataSetModel.h"
#include "DataSource.h"
#include "PacketCache.h"
#include "ProdMarcGridDelegate.h"
#include "ProtocolContract.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QRandomGenerator>

#include <memory>

namespace {

constexpr int kRows = 5000;

// One supplier's items in one region, in the layout GetGridProdMarc answers with.
DataPacket gridProdMarc(const QString &supplier, quint32 seed)
{
    DataPacket p(Protocol::packetLayout(QStringLiteral("GridProdMarc")));
    QRandomGenerator rng(seed);
    p.rows().reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        const QString product = QStringLiteral("%1").arg(i / 2 + 1, 10, 10, QLatin1Char('0'));
        const bool listed = rng.bounded(20) == 0;
        p.appendRow({QStringLiteral("N"), QStringLiteral("0001"), QStringLiteral("0000001234"), QStringLiteral("001"),
                     supplier, product, QStringLiteral("01%1").arg(i / 2 + 1, 5, 10, QLatin1Char('0')),
                     QStringLiteral("Produto de teste %1 embalagem %2").arg(i / 2 + 1).arg(rng.bounded(12)),
                     QStringLiteral("UN"), QStringLiteral("%1").arg(i % 2 + 1, 5, 10, QLatin1Char('0')),
                     QStringLiteral("Marca %1").arg(i % 2 + 1), double(rng.bounded(100000)) / 100.0,
                     double(rng.bounded(100000)) / 100.0, double(rng.bounded(100000)) / 100.0,
                     double(rng.bounded(1000)), double(rng.bounded(20)),
                     rng.bounded(10) == 0 ? QStringLiteral("S") : QStringLiteral("N"),
                     listed ? QStringLiteral("S") : QStringLiteral("N"),
                     rng.bounded(10) == 0 ? QStringLiteral("S") : QStringLiteral("N"),
                     listed ? QVariant(QStringLiteral("0000000042")) : QVariant(), QVariant(), QVariant(),
                     double(rng.bounded(5000))});
    }
    return p;
}

struct Page
{
    Page()
    {
        for (const FieldDef &def : Protocol::packetLayout(QStringLiteral("GridProdMarc")))
            items.addFieldDef(def.name, def.type, def.size);
        items.fieldByName(QStringLiteral("VRPRECUNIITM"))->setDisplayFormat(QStringLiteral("#,##0.00000"));
        source.setDataSet(&items);
        // Both suppliers are in the cache, as after a first visit to each.
        for (const QString &supplier : suppliers)
            cache.fetch({QStringLiteral("0000001234"), QStringLiteral("001"), supplier},
                        [&supplier] { return gridProdMarc(supplier, supplier.toUInt()); });
    }

    void load(int visit)
    {
        const QString &supplier = suppliers[visit % 2];
        items.setData(cache.fetch({QStringLiteral("0000001234"), QStringLiteral("001"), supplier},
                                  []() -> DataPacket { throw std::logic_error("not cached"); }));
    }

    const QString suppliers[2] = {QStringLiteral("000000000000000000007"), QStringLiteral("000000000000000000009")};
    ClientDataSet items;
    DataSource source;
    PacketCache cache;
};

void BM_CachedRowsIntoDataSetAndModel(benchmark::State &state)
{
    Page page;
    DataSetModel model(&page.source);
    model.setColumnFields({QStringLiteral("IDPRECALT"), QStringLiteral("CDARVPROD"), QStringLiteral("NMPRODUTO"),
                           QStringLiteral("SGUNIDADE"), QStringLiteral("CDMARCA"), QStringLiteral("NMMARCA"),
                           QStringLiteral("VRPRECUNIITM"), QStringLiteral("DSJUSTOPER")});
    int visit = 0;
    for (auto _ : state) {
        page.load(visit++);
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_CachedRowsIntoDataSetAndModel)->Unit(benchmark::kMillisecond);

// The grid shown and its visible rows painted after each load, as the user sees it.
void BM_CachedRowsIntoGrid(benchmark::State &state)
{
    Page page;
    DBGrid grid;
    grid.setDataSource(&page.source);
    grid.setColumns({DBGridColumn(QStringLiteral("IDPRECALT"), QString(), 35), DBGridColumn(QStringLiteral("CDARVPROD")),
                     DBGridColumn(QStringLiteral("NMPRODUTO")), DBGridColumn(QStringLiteral("SGUNIDADE")),
                     DBGridColumn(QStringLiteral("CDMARCA")), DBGridColumn(QStringLiteral("NMMARCA")),
                     DBGridColumn(QStringLiteral("VRPRECUNIITM")), DBGridColumn(QStringLiteral("DSJUSTOPER"))});
    grid.setGridDelegate(new ProdMarcGridDelegate(&grid));
    grid.resize(900, 400);
    grid.show();
    QCoreApplication::processEvents();
    int visit = 0;
    for (auto _ : state) {
        page.load(visit++);
        grid.viewport()->repaint();
        benchmark::DoNotOptimize(grid.currentIndex().row());
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_CachedRowsIntoGrid)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
