// The consultation sheet at its largest: 5,000 product/brand rows against 200
// region/supplier columns (4 regions of 50 suppliers), every cell quoted: 1,000,000
// records in one packet of the sheet's layout.  Measured: the decision cube built from
// the packet into its model, plus the first paint of the decision grid offscreen
// (900 x 600) with a drawing hook that formats each visible cell's price as the sheet
// does.  The packet itself is made once, outside the measure.

#include "DataPacket.h"
#include "DecisionCubeModel.h"
#include "DecisionGrid.h"
#include "DecisionGridDelegate.h"
#include "NumberFormat.h"
#include "ProtocolContract.h"
#include "SheetKeys.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kRegions = 4;
constexpr int kSuppliersPerRegion = 50;
constexpr int kProducts = 2500;
constexpr int kBrands = 2;

DataPacket makeSheet()
{
    DataPacket packet(Protocol::packetLayout(QStringLiteral("StringList")));
    packet.rows().reserve(kRegions * kSuppliersPerRegion * kProducts * kBrands);
    QStringList products;
    for (int p = 0; p < kProducts; ++p)
        for (int b = 0; b < kBrands; ++b)
            products << SheetKeys::productKey(QStringLiteral("PRODUTO DE TESTE %1").arg(p, 5, 10, QLatin1Char('0')),
                                              QStringLiteral("%1").arg(p, 10, 10, QLatin1Char('0')),
                                              QStringLiteral("%1").arg(b, 5, 10, QLatin1Char('0')),
                                              QStringLiteral("MARCA %1").arg(b));
    int n = 0;
    for (int r = 0; r < kRegions; ++r) {
        const QString region = SheetKeys::codeAndName(QStringLiteral("%1").arg(r, 3, 10, QLatin1Char('0')),
                                                      QStringLiteral("REGIAO %1").arg(r));
        for (int s = 0; s < kSuppliersPerRegion; ++s) {
            const QString supplier = SheetKeys::codeAndName(QStringLiteral("%1").arg(s, 21, 10, QLatin1Char('0')),
                                                            QStringLiteral("FORNECEDOR %1").arg(s));
            for (const QString &product : std::as_const(products)) {
                const double price = 1.0 + (n++ % 977) / 10.0;
                packet.appendRow({region, supplier, product, 1.0, price, price * 0.9, price * 0.8, 10.0,
                                  QStringLiteral("UN"), 0.0, QStringLiteral("N"), QStringLiteral("01.02.003")});
            }
        }
    }
    return packet;
}

const DataPacket &sheet()
{
    static const DataPacket packet = makeSheet();
    return packet;
}

const DecisionCube::Layout kLayout{{QStringLiteral("COCREGIAO"), QStringLiteral("COCFORNECED")},
                                   {QStringLiteral("COCPRODUTO")},
                                   QStringLiteral("CONTA")};

double g_totalMs = 0;
int g_runs = 0;

void BM_SheetBuiltAndFirstPainted(benchmark::State &state)
{
    const DataPacket &packet = sheet();
    const int price = packet.fieldIndex(QStringLiteral("PRECOUNIT"));
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        DecisionCubeModel model;
        DecisionGrid grid;
        grid.setCubeModel(&model);
        model.rebuild(packet, kLayout);
        grid.setDrawCellHandler([&](DecisionDrawCell &cell) {
            if (cell.kind != DecisionDrawCell::Kind::Data)
                return;
            const int record = model.cube().sourceRow(cell.row, cell.column);
            cell.text = record < 0 ? QStringLiteral("    -     ")
                                   : NumberFormat::format(packet.rows().at(record).at(price).toDouble(),
                                                          QStringLiteral("#,##0.00000"));
        });
        grid.resize(900, 600);
        const QPixmap shot = grid.grab();
        benchmark::DoNotOptimize(shot.cacheKey());
        g_totalMs += timer.nsecsElapsed() / 1e6;
        ++g_runs;
        state.counters["cells"] = double(model.rowCount()) * model.columnCount();
        state.counters["painted"] = grid.gridDelegate()->paintCount();
    }
}
BENCHMARK(BM_SheetBuiltAndFirstPainted)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    sheet();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_runs > 0)
        std::printf("sheet of 1,000,000 cells built from its packet and first painted: %.0f ms (mean of %d)\n",
                    g_totalMs / g_runs, g_runs);
    return 0;
}
