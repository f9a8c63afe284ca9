// GetColetaPr over the large demo set (5,000 quotations) on an SQLite file: the
// quotation list with every mark "all", and filtered by buyer and validity.  The
// database is generated once per run into a temporary folder.

#include "DataPacket.h"
#include "Database.h"
#include "DemoData.h"
#include "MethodTable.h"
#include "Session.h"

#include <QCoreApplication>
#include <QDate>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    MethodTable table;
    Session session;
};

Fixture *g_fixture = nullptr;

QVariant callGetColetaPr(const QVariantMap &named)
{
    const MethodDecl *decl = g_fixture->table.find(kGridCotaPrecObject, QStringLiteral("GetColetaPr"));
    QVariantList args = Protocol::positional(decl->contract, named);
    MethodTable::normalizeArguments(*decl, args);
    CallContext ctx{g_fixture->session, *g_fixture->db, decl->contract, args};
    return decl->fn(ctx);
}

void BM_GetColetaPr_All(benchmark::State &state)
{
    int rows = 0;
    for (auto _ : state) {
        const QVariant v = callGetColetaPr({{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                                            {QStringLiteral("TodosComprador"), QStringLiteral("T")},
                                            {QStringLiteral("TodasDatas"), QStringLiteral("T")},
                                            {QStringLiteral("TodosForn"), QStringLiteral("T")},
                                            {QStringLiteral("TodasRegioes"), QStringLiteral("T")}});
        rows = v.value<DataPacket>().rowCount();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_GetColetaPr_All)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_GetColetaPr_BuyerSupplierRegion(benchmark::State &state)
{
    int rows = 0;
    for (auto _ : state) {
        const QVariant v = callGetColetaPr({{QStringLiteral("CDFILIAL"), QStringLiteral("0001")},
                                            {QStringLiteral("ListaComprador"), QStringLiteral("_COMP01_")},
                                            {QStringLiteral("DtInicial"), QDate(2025, 1, 1)},
                                            {QStringLiteral("DtFinal"), QDate(2026, 12, 31)},
                                            {QStringLiteral("ListaForn"), QStringLiteral("_1_2_3_4_5_")},
                                            {QStringLiteral("ListaRegiao"), QStringLiteral("_001_002_003_")}});
        rows = v.value<DataPacket>().rowCount();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_GetColetaPr_BuyerSupplierRegion)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Fixture fixture;
    g_fixture = &fixture;
    registerServerObjects(fixture.table);
    fixture.session.operatorCode = QStringLiteral("COMP01      ");
    fixture.session.loggedIn = true;
    DatabaseConfig config;
    config.path = fixture.dir.filePath(QStringLiteral("bench.db"));
    fixture.db = std::make_unique<Database>(config, QStringLiteral("bench"));
    QString error;
    if (!fixture.db->open(&error) || !fixture.db->migrate(&error)
        || !DemoData::generate(*fixture.db, DemoData::Size::Large, &error)) {
        std::fprintf(stderr, "cannot prepare the large demo database: %s\n", qPrintable(error));
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
