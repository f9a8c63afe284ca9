// Reshaping the large demo quotation (COMP01's 0000004376: 8 regions, 40 suppliers each,
// about 109,000 items) on an SQLite file: a supplier added to every region it serves with
// the prices of a supplier already there, the same supplier removed from every region, and
// a product removed from every region, supplier and brand.  The database is generated once
// per run into a temporary folder.

#include "Codes.h"
#include "Database.h"
#include "DemoData.h"
#include "MethodTable.h"
#include "Session.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kNumber = QStringLiteral("0000004376");

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    MethodTable table;
    Session session;
    QString added;       // a supplier outside the quotation
    QString source;      // a supplier of the quotation whose prices are copied
    QStringList products; // the quotation's products, one removed per run
};

Fixture *g_fixture = nullptr;

QVariant call(const QString &method, QVariantList args)
{
    const MethodDecl *decl = g_fixture->table.find(kGridCotaPrecObject, method);
    MethodTable::normalizeArguments(*decl, args);
    CallContext ctx{g_fixture->session, *g_fixture->db, decl->contract, args};
    return decl->fn(ctx);
}

qlonglong items(const QString &supplier = QString())
{
    QSqlQuery q = g_fixture->db->exec(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F AND "
                                                     "NRCOLEPRECO = :N AND (:S = '' OR CDFORNECED = :S)"),
                                      {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), kNumber},
                                       {QStringLiteral("S"), supplier.isEmpty() ? QStringLiteral("") : supplier}});
    return q.next() ? q.value(0).toLongLong() : -1;
}

void BM_IncFornecedor_Large(benchmark::State &state)
{
    qlonglong added = 0;
    for (auto _ : state) {
        const QVariant status = call(QStringLiteral("IncFornecedor"),
                                     {kBranch, kNumber, g_fixture->added, QStringLiteral("COMP01"), QStringLiteral("S"),
                                      g_fixture->source, QString()});
        state.PauseTiming();
        added = items(g_fixture->added);
        const QString removed = call(QStringLiteral("ExclForn"), {kBranch, kNumber, g_fixture->added, QStringLiteral(" "),
                                                                  QStringLiteral("T")})
                                    .toString();
        if (status.typeId() != QMetaType::QVariantList || added == 0 || !removed.isEmpty()) {
            state.SkipWithError(qPrintable(QStringLiteral("IncFornecedor answered %1, ExclForn %2")
                                               .arg(status.toList().value(0).toString(), status.toString() + removed)));
            return;
        }
        state.ResumeTiming();
    }
    state.counters["items"] = double(added);
}
BENCHMARK(BM_IncFornecedor_Large)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExclForn_Large(benchmark::State &state)
{
    qlonglong removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        call(QStringLiteral("IncFornecedor"), {kBranch, kNumber, g_fixture->added, QStringLiteral("COMP01"),
                                               QStringLiteral("S"), g_fixture->source, QString()});
        removed = items(g_fixture->added);
        state.ResumeTiming();
        const QString answer = call(QStringLiteral("ExclForn"), {kBranch, kNumber, g_fixture->added, QStringLiteral(" "),
                                                                 QStringLiteral("T")})
                                   .toString();
        if (!answer.isEmpty()) {
            state.SkipWithError(qPrintable(answer));
            return;
        }
    }
    state.counters["items"] = double(removed);
}
BENCHMARK(BM_ExclForn_Large)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExclProd_Large(benchmark::State &state)
{
    qlonglong removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString product = g_fixture->products.takeFirst();
        const qlonglong before = items();
        state.ResumeTiming();
        const QString answer = call(QStringLiteral("ExclProd"), {kBranch, kNumber, product, QStringLiteral("T"),
                                                                 QStringLiteral(" "), QStringLiteral("T"), QStringLiteral(" "),
                                                                 QStringLiteral("T"), QStringLiteral(" ")})
                                   .toString();
        state.PauseTiming();
        removed = before - items();
        state.ResumeTiming();
        if (!answer.isEmpty()) {
            state.SkipWithError(qPrintable(answer));
            return;
        }
    }
    state.counters["items"] = double(removed);
}
BENCHMARK(BM_ExclProd_Large)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Fixture fixture;
    g_fixture = &fixture;
    registerServerObjects(fixture.table);
    fixture.session.operatorCode = padOperator(QStringLiteral("COMP01"));
    fixture.session.branch = kBranch;
    fixture.session.loggedIn = true;
    DatabaseConfig config;
    config.path = fixture.dir.filePath(QStringLiteral("bench.db"));
    fixture.db = std::make_unique<Database>(config, QStringLiteral("bench"));
    QString error;
    std::fprintf(stderr, "generating the large demo data...\n");
    if (!fixture.db->open(&error) || !fixture.db->migrate(&error)
        || !DemoData::generate(*fixture.db, DemoData::Size::Large, &error)) {
        std::fprintf(stderr, "cannot prepare the database: %s\n", qPrintable(error));
        return 1;
    }
    const QVariantMap key = {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), kNumber}};
    {
        // The active supplier without a qualification to check, outside the quotation,
        // with the most qualified products.
        QSqlQuery q = fixture.db->exec(
            QStringLiteral("SELECT F.CDFORNECED FROM FORNECEDOR F WHERE F.IDSITUCADA = 'A' AND F.CDQUALIF IS NULL "
                           "AND NOT EXISTS (SELECT 1 FROM COLEFORN C WHERE C.CDFILIAL = :F AND C.NRCOLEPRECO = :N "
                           "AND C.CDFORNECED = F.CDFORNECED) ORDER BY (SELECT COUNT(*) FROM PRODFORN P WHERE "
                           "P.CDFORNECED = F.CDFORNECED AND P.IDQUALPRODFORN = 'S') DESC LIMIT 1"),
            key);
        if (q.next())
            fixture.added = q.value(0).toString();
    }
    {
        QSqlQuery q = fixture.db->exec(QStringLiteral("SELECT CDFORNECED FROM COLEFORN WHERE CDFILIAL = :F AND "
                                                      "NRCOLEPRECO = :N ORDER BY CDFORNECED LIMIT 1"),
                                       key);
        if (q.next())
            fixture.source = q.value(0).toString();
    }
    {
        QSqlQuery q = fixture.db->exec(QStringLiteral("SELECT DISTINCT CDPRODUTO FROM ITCOLETAPR WHERE CDFILIAL = :F AND "
                                                      "NRCOLEPRECO = :N ORDER BY CDPRODUTO"),
                                       key);
        while (q.next())
            fixture.products << q.value(0).toString();
    }
    std::fprintf(stderr, "quotation %s: %lld items; adding supplier %s with the prices of %s\n", qPrintable(kNumber),
                 items(), qPrintable(fixture.added.trimmed()), qPrintable(fixture.source.trimmed()));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
