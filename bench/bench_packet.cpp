// CBOR encoding and decoding of a quotation-item sized packet of 100k rows (9.7 MB).
//
// The baseline in the same run is a plain pass over the same bytes: copying them
// (memcpy into a buffer of their size) and scanning them (summing every byte).  Encode
// and decode report their median as ratio_to_copy and ratio_to_scan: how far from the
// cost of merely touching the bytes the codec is.

#include "CborCodec.h"
#include "DataPacket.h"

#include <benchmark/benchmark.h>

#include <QDate>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

DataPacket itemPacket(int rows)
{
    DataPacket p;
    p.addField(QStringLiteral("CDFILIAL"), FieldType::String, 4);
    p.addField(QStringLiteral("NRCOLEPRECO"), FieldType::String, 10);
    p.addField(QStringLiteral("CDREGIAO"), FieldType::String, 3);
    p.addField(QStringLiteral("CDFORNECED"), FieldType::String, 21);
    p.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    p.addField(QStringLiteral("NMPRODUTO"), FieldType::String, 50);
    p.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    p.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
    p.addField(QStringLiteral("QTACOMPRAR"), FieldType::Integer);
    p.addField(QStringLiteral("DTULTALT"), FieldType::Date);
    p.rows().reserve(rows);
    for (int i = 0; i < rows; ++i) {
        p.appendRow({QStringLiteral("0001"), QStringLiteral("0000000042"),
                     QString::number(i % 40).rightJustified(3, QLatin1Char('0')),
                     QString::number(10000 + i % 300), QString::number(i).rightJustified(10, QLatin1Char('0')),
                     QStringLiteral("ARROZ TIPO 1 PACOTE 5 KG %1").arg(i % 97), QString::number(i % 13).rightJustified(5, QLatin1Char('0')),
                     1.5 + (i % 1000) / 7.0, qlonglong(i % 50), QDate(2026, 1, 1).addDays(i % 365)});
    }
    return p;
}

double g_copyMs = 0;
double g_scanMs = 0;

double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void reportRatios(benchmark::State &state, const std::vector<double> &ms)
{
    const double median = medianOf(ms);
    state.counters["median_ms"] = median;
    if (g_copyMs > 0)
        state.counters["ratio_to_copy"] = median / g_copyMs;
    if (g_scanMs > 0)
        state.counters["ratio_to_scan"] = median / g_scanMs;
}

const QByteArray &packetBytes()
{
    static const QByteArray bytes = CborCodec::encode(packetVariant(itemPacket(100000)));
    return bytes;
}

void BM_CopyPacketBytes(benchmark::State &state)
{
    const QByteArray &bytes = packetBytes();
    QByteArray copy(bytes.size(), Qt::Uninitialized);
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = Clock::now();
        memcpy(copy.data(), bytes.constData(), size_t(bytes.size()));
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
        ms.push_back(msSince(start));
    }
    g_copyMs = medianOf(ms);
    state.counters["median_ms"] = g_copyMs;
}

void BM_ScanPacketBytes(benchmark::State &state)
{
    const QByteArray &bytes = packetBytes();
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = Clock::now();
        quint64 sum = 0;
        for (const char c : bytes)
            sum += quint8(c);
        benchmark::DoNotOptimize(sum);
        ms.push_back(msSince(start));
    }
    g_scanMs = medianOf(ms);
    state.counters["median_ms"] = g_scanMs;
}

void BM_EncodePacket100k(benchmark::State &state)
{
    const QVariant p = packetVariant(itemPacket(100000));
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = Clock::now();
        QByteArray bytes = CborCodec::encode(p);
        benchmark::DoNotOptimize(bytes);
        ms.push_back(msSince(start));
    }
    reportRatios(state, ms);
}

void BM_DecodePacket100k(benchmark::State &state)
{
    const QByteArray &bytes = packetBytes();
    state.counters["bytes"] = double(bytes.size());
    std::vector<double> ms;
    for (auto _ : state) {
        QVariant v;
        QString error;
        const auto start = Clock::now();
        if (!CborCodec::decode(bytes, &v, &error))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(v);
        ms.push_back(msSince(start));
        // Freeing the million values of the previous result is the caller's cost, not
        // the decoder's: keep it out of the measurement.
        state.PauseTiming();
        v = QVariant();
        state.ResumeTiming();
    }
    reportRatios(state, ms);
}

} // namespace

BENCHMARK(BM_CopyPacketBytes)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_ScanPacketBytes)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_EncodePacket100k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecodePacket100k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
