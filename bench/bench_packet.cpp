// CBOR encoding and decoding of a quotation-item sized packet of 100k rows.

#include "CborCodec.h"
#include "DataPacket.h"

#include <benchmark/benchmark.h>

#include <QDate>

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

void BM_EncodePacket100k(benchmark::State &state)
{
    const QVariant p = packetVariant(itemPacket(100000));
    for (auto _ : state) {
        QByteArray bytes = CborCodec::encode(p);
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_DecodePacket100k(benchmark::State &state)
{
    const QByteArray bytes = CborCodec::encode(packetVariant(itemPacket(100000)));
    state.counters["bytes"] = double(bytes.size());
    for (auto _ : state) {
        QVariant v;
        QString error;
        if (!CborCodec::decode(bytes, &v, &error))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(v);
        // Freeing the million values of the previous result is the caller's cost, not
        // the decoder's: keep it out of the measurement.
        state.PauseTiming();
        v = QVariant();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_EncodePacket100k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DecodePacket100k)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
