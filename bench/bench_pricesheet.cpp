// A supplier price sheet of 10,000 lines: written as an XLSX workbook and as CSV, and read
// back with the check of its lines against the supplier's items and the delta built from
// them (what the import does before its one SetItemCole call).

#include "PriceSheet.h"
#include "PriceSheetCheck.h"
#include "PriceSheetCsv.h"
#include "PriceSheetReader.h"
#include "PriceSheetWriter.h"
#include "ProtocolContract.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

constexpr int kLines = 10000;

DataPacket supplierItems()
{
    DataPacket p(Protocol::packetLayout(QStringLiteral("ItensForn")));
    const QDateTime changed(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
    for (int i = 0; i < kLines; ++i) {
        const QString region = QString::number(i % 8 + 1).rightJustified(3, QLatin1Char('0'));
        const QString product = QString::number(i / 8).rightJustified(10, QLatin1Char('0'));
        p.appendRow({QStringLiteral("0001"), QStringLiteral("0000000042"), region, QStringLiteral("Região %1").arg(region),
                     QStringLiteral("000077"), product, QStringLiteral("01.02.%1").arg(i / 8), QStringLiteral("ARROZ TIPO 1 PACOTE 5 KG %1").arg(i),
                     QStringLiteral("PCT"), QStringLiteral("00012"), QStringLiteral("MARCA BOA"), double(i % 50), 1.5 + (i % 1000) / 7.0,
                     QVariant(), QVariant(), QStringLiteral("N"), changed, QStringLiteral("G")});
    }
    return p;
}

PriceSheet sheetOf(const DataPacket &items)
{
    PriceSheet sheet;
    sheet.branch = QStringLiteral("0001");
    sheet.branchName = QStringLiteral("Matriz São Paulo");
    sheet.number = QStringLiteral("0000000042");
    sheet.validity = QStringLiteral("07/12/2026 a 13/12/2026");
    sheet.buyer = QStringLiteral("COMP01 - Compradora");
    sheet.supplier = QStringLiteral("000077");
    sheet.supplierName = QStringLiteral("Distribuidora Exemplo Ltda");
    for (const QVariantList &r : items.rows()) {
        PriceSheetRow row;
        row.key = PriceSheetKey{r[0].toString(), r[1].toString(), r[2].toString(), r[4].toString(), r[5].toString(),
                                r[9].toString(), PriceSheetKey::stampOf(r[12].toDouble(), r[16].toDateTime())}
                      .text();
        row.region = r[2].toString();
        row.regionName = r[3].toString();
        row.treeCode = r[6].toString();
        row.productName = r[7].toString();
        row.unit = r[8].toString();
        row.brand = r[9].toString();
        row.brandName = r[10].toString();
        row.quantity = r[11].toDouble();
        // Every second line with a new price, as a supplier sends it back.
        row.price = {PriceCell::Number, r[12].toDouble() + (sheet.rows.size() % 2 ? 0.12345 : 0.0), {}};
        sheet.rows.append(row);
    }
    return sheet;
}

struct Fixture
{
    QTemporaryDir dir;
    DataPacket items = supplierItems();
    PriceSheet sheet = sheetOf(items);
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

int importSheet(const QString &path)
{
    PriceSheet read;
    QString error;
    if (!PriceSheetReader::read(path, &read, &error))
        return -1;
    const PriceSheetCheck check(QStringLiteral("0001"), QStringLiteral("0000000042"), QStringLiteral("000077"), fixture().items);
    const QList<PriceSheetEntry> entries = check.check(read);
    const DataPacket delta = check.itemDelta(entries, QStringLiteral("Planilha do fornecedor"),
                                             [](double o, double n) { return QStringLiteral("%1 -> %2").arg(o).arg(n); });
    return int(delta.changes().size());
}

void BM_ExportXlsx10k(benchmark::State &state)
{
    const QString path = fixture().dir.filePath(QStringLiteral("sheet.xlsx"));
    for (auto _ : state) {
        QString error;
        if (!PriceSheetWriter::writeXlsx(fixture().sheet, path, &error))
            state.SkipWithError(qPrintable(error));
    }
}

void BM_ImportXlsx10k(benchmark::State &state)
{
    const QString path = fixture().dir.filePath(QStringLiteral("read.xlsx"));
    QString error;
    PriceSheetWriter::writeXlsx(fixture().sheet, path, &error);
    for (auto _ : state) {
        const int changes = importSheet(path);
        if (changes != kLines / 2)
            state.SkipWithError("unexpected number of changes");
    }
}

void BM_ExportCsv10k(benchmark::State &state)
{
    const QString path = fixture().dir.filePath(QStringLiteral("sheet.csv"));
    for (auto _ : state) {
        QString error;
        PriceSheetCsv::writeFile(fixture().sheet, path, &error);
    }
}

void BM_ImportCsv10k(benchmark::State &state)
{
    const QString path = fixture().dir.filePath(QStringLiteral("read.csv"));
    QString error;
    PriceSheetCsv::writeFile(fixture().sheet, path, &error);
    for (auto _ : state) {
        if (importSheet(path) != kLines / 2)
            state.SkipWithError("unexpected number of changes");
    }
}

} // namespace

BENCHMARK(BM_ExportXlsx10k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportXlsx10k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCsv10k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportCsv10k)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
