// Client dataset on large data: loading a 100k-row packet of quotation items, locating
// on two fields case-insensitively, building the delta of 10k changes and merging them.
#include "ClientDataSet.h"

#include <benchmark/benchmark.h>

#include <memory>

#include <QRandomGenerator>

namespace {

constexpr int kRows = 100000;
constexpr int kChanges = 10000;

QString randomText(QRandomGenerator &rng, int minLen, int maxLen)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz0123456789";
    const int len = minLen + int(rng.bounded(maxLen - minLen + 1));
    QString s(len, Qt::Uninitialized);
    for (int i = 0; i < len; ++i)
        s[i] = QLatin1Char(letters[rng.bounded(int(sizeof letters) - 1)]);
    return s;
}

// Items of a quotation: region, supplier, product, brand, name, unit, price, quantity,
// validity and a flag, much like what the products grid receives.
const DataPacket &itemsPacket()
{
    static const DataPacket packet = [] {
        DataPacket p;
        p.addField(QStringLiteral("CDREGIAO"), FieldType::String, 3);
        p.addField(QStringLiteral("CDFORNECED"), FieldType::String, 21);
        p.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
        p.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
        p.addField(QStringLiteral("NMPRODUTO"), FieldType::String, 40);
        p.addField(QStringLiteral("SGUNIDADE"), FieldType::String, 5);
        p.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
        p.addField(QStringLiteral("QTCOMPRA"), FieldType::Integer);
        p.addField(QStringLiteral("DTVALIDADE"), FieldType::Date);
        p.addField(QStringLiteral("IDALTERADO"), FieldType::String, 1);
        QRandomGenerator rng(42);
        p.rows().reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            p.appendRow({QStringLiteral("%1").arg(i % 50, 3, 10, QLatin1Char('0')),
                         randomText(rng, 8, 21),
                         QStringLiteral("P%1").arg(i, 9, 10, QLatin1Char('0')),
                         QStringLiteral("M%1").arg(i % 997, 4, 10, QLatin1Char('0')),
                         randomText(rng, 3, 40),
                         QStringLiteral("UN"),
                         double(rng.bounded(1000000)) / 100.0,
                         qlonglong(rng.bounded(500)),
                         QDate(2026, 1, 1).addDays(i % 365),
                         QStringLiteral("N")});
        }
        return p;
    }();
    return packet;
}

// Edits, inserts and deletes spread over the whole dataset: kChanges rows in the delta.
void makeChanges(ClientDataSet &ds)
{
    Field *price = ds.fieldByName(QStringLiteral("VRPRECUNIITM"));
    Field *product = ds.fieldByName(QStringLiteral("CDPRODUTO"));
    const int step = kRows / kChanges;
    for (int i = 0; i < kChanges; ++i) {
        ds.setRecNo(1 + i * step - (i / 3)); // some rows were deleted before this one
        switch (i % 3) {
        case 0:
            ds.edit();
            price->setAsFloat(price->asFloat() + 1);
            ds.post();
            break;
        case 1:
            ds.insert();
            product->setAsString(QStringLiteral("N%1").arg(i));
            price->setAsFloat(i);
            ds.post();
            break;
        default:
            ds.deleteRecord();
            break;
        }
    }
}

void BM_LoadPacket(benchmark::State &state)
{
    const DataPacket &packet = itemsPacket();
    for (auto _ : state) {
        ClientDataSet ds;
        ds.setData(packet);
        benchmark::DoNotOptimize(ds.recordCount());
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_LoadPacket)->Unit(benchmark::kMillisecond);

void BM_LocateTwoFieldsCaseInsensitive(benchmark::State &state)
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    // The last rows: the scan goes over (nearly) everything.
    const QVariantList key{QStringLiteral("p%1").arg(kRows - 1, 9, 10, QLatin1Char('0')),
                           QStringLiteral("m%1").arg((kRows - 1) % 997, 4, 10, QLatin1Char('0'))};
    for (auto _ : state) {
        ds.first();
        const bool found = ds.locate(QStringLiteral("CDPRODUTO;CDMARCA"), key, LocateOption::CaseInsensitive);
        if (!found)
            state.SkipWithError("not found");
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_LocateTwoFieldsCaseInsensitive)->Unit(benchmark::kMillisecond);

// The first locate on a field after a load: one plain scan, shared out among the
// processor's threads on a dataset this large.  Wall time is the figure (the CPU column
// counts only the calling thread).
void BM_LocateFirstAfterLoad(benchmark::State &state)
{
    const QVariantList key{QStringLiteral("p%1").arg(kRows - 1, 9, 10, QLatin1Char('0')),
                           QStringLiteral("m%1").arg((kRows - 1) % 997, 4, 10, QLatin1Char('0'))};
    for (auto _ : state) {
        state.PauseTiming();
        auto ds = std::make_unique<ClientDataSet>();
        ds->setData(itemsPacket());
        state.ResumeTiming();
        benchmark::DoNotOptimize(ds->locate(QStringLiteral("CDPRODUTO;CDMARCA"), key, LocateOption::CaseInsensitive));
        // Freeing the 100k rows is not part of the locate.
        state.PauseTiming();
        ds.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LocateFirstAfterLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MakeChanges(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        ClientDataSet ds;
        ds.setData(itemsPacket());
        state.ResumeTiming();
        makeChanges(ds);
        benchmark::DoNotOptimize(ds.changeCount());
    }
}
BENCHMARK(BM_MakeChanges)->Unit(benchmark::kMillisecond)->Iterations(3);

// Deleting and inserting in the middle, over and over: must stay linear in the number of
// operations (not touch every row after the middle each time).
void BM_DeleteAndInsertInMiddle(benchmark::State &state)
{
    const int operations = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        ClientDataSet ds;
        ds.setData(itemsPacket());
        ds.setRecNo(kRows / 2);
        state.ResumeTiming();
        Field *product = ds.fieldByName(QStringLiteral("CDPRODUTO"));
        ds.disableControls();
        for (int i = 0; i < operations; ++i) {
            ds.deleteRecord();
            if (i % 2 == 0) {
                ds.insert();
                product->setAsString(QStringLiteral("N%1").arg(i));
                ds.post();
            }
        }
        ds.enableControls();
        benchmark::DoNotOptimize(ds.recordCount());
    }
    state.SetComplexityN(operations);
}
BENCHMARK(BM_DeleteAndInsertInMiddle)->Unit(benchmark::kMillisecond)->Arg(10000)->Arg(40000)->Iterations(3);

void BM_Delta10kChanges(benchmark::State &state)
{
    ClientDataSet ds;
    ds.setData(itemsPacket());
    makeChanges(ds);
    for (auto _ : state) {
        const DataPacket delta = ds.delta();
        benchmark::DoNotOptimize(delta.changes().size());
    }
    state.counters["changes"] = ds.changeCount();
}
BENCHMARK(BM_Delta10kChanges)->Unit(benchmark::kMillisecond);

void BM_Merge10kChanges(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        ClientDataSet ds;
        ds.setData(itemsPacket());
        makeChanges(ds);
        state.ResumeTiming();
        ds.mergeChangeLog();
        benchmark::DoNotOptimize(ds.changeCount());
    }
}
BENCHMARK(BM_Merge10kChanges)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
