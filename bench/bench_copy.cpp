// DuplicaCotacao copying the large demo quotation (COMP01's quotation of the current week
// over every region, about 109,000 items) to a new validity with a 7.5% readjustment,
// against the baseline: the engine's own INSERT ... SELECT of the same header, regions,
// suppliers and readjusted items in one transaction.  Each run copies to a validity of
// its own, and its copy is removed again outside the measured time, so every run starts
// from the same database.  At the end the mean time of both and their ratio are printed.
// SQLite by default; with SUP_TEST_PG_HOST (/ _PORT / _USER) set, PostgreSQL instead.

#include "Codes.h"
#include "Database.h"
#include "DemoData.h"
#include "MethodTable.h"
#include "Session.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

const QString kBranch = QStringLiteral("0001");
constexpr double kPercent = 7.5;

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    MethodTable table;
    Session session;
    QString source;       // the large quotation
    qlonglong items = 0;
    int week = 0;         // weeks after the first new validity, one per run
    double copyMs = 0;
    int copyRuns = 0;
    double rawMs = 0;
    int rawRuns = 0;
    int rawNumber = 800000000;
};

Fixture *g_fixture = nullptr;

QDate newFirst(int week)
{
    return QDate(2040, 1, 2).addDays(7 * week);
}

qlonglong scalar(const QString &sql, const QVariantMap &params = {})
{
    QSqlQuery q = g_fixture->db->exec(sql, params);
    return q.next() ? q.value(0).toLongLong() : -1;
}

// Removes a quotation and its rows, outside the measured time.
void remove(const QString &number)
{
    Database &db = *g_fixture->db;
    const QVariantMap key = {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), number}};
    db.transaction([&] {
        for (const char *table : {"ITCOLETAPR", "COLEFORN", "COLEREGI", "HISTCOLETA", "COLETAPR"})
            db.exec(QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = :F AND NRCOLEPRECO = :N").arg(QLatin1String(table)), key);
        db.exec(QStringLiteral("DELETE FROM HISTCOLETA WHERE CDFILIAL = :F AND NMCAMPO = 'DUPLICADA'"),
                {{QStringLiteral("F"), kBranch}});
    });
}

void BM_DuplicaCotacao_Large(benchmark::State &state)
{
    const MethodDecl *decl = g_fixture->table.find(kGridCotaPrecObject, QStringLiteral("DuplicaCotacao"));
    for (auto _ : state) {
        const QDate first = newFirst(g_fixture->week++);
        QVariantList args = {kBranch, padCode(QString::number(first.weekNumber()), 2),
                             padCode(QString::number(first.weekNumber()), 2), first, first.addDays(6),
                             g_fixture->source, QVariant(), QVariant(), QDate::currentDate(), kPercent, QString(), false,
                             false, kBranch, QStringLiteral("COMP01"), false, QString(), QString(),
                             QStringLiteral("sem cotação")};
        MethodTable::normalizeArguments(*decl, args);
        CallContext ctx{g_fixture->session, *g_fixture->db, decl->contract, args};
        QElapsedTimer timer;
        timer.start();
        const QString reply = decl->fn(ctx).toString();
        g_fixture->copyMs += timer.nsecsElapsed() / 1e6;
        ++g_fixture->copyRuns;
        if (reply != QLatin1String("X")) {
            state.SkipWithError(qPrintable(QStringLiteral("DuplicaCotacao answered ") + reply));
            return;
        }
        QSqlQuery copy = g_fixture->db->exec(QStringLiteral("SELECT NRCOLEPRECO FROM COLETAPR WHERE CDFILIAL = :F AND "
                                                            "DTINIVALCOL = :D"),
                                             {{QStringLiteral("F"), kBranch}, {QStringLiteral("D"), first}});
        const QString number = copy.next() ? copy.value(0).toString() : QString();
        copy.finish();
        const qlonglong copied = scalar(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                                        {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), number}});
        if (copied != g_fixture->items) {
            state.SkipWithError("the copy does not hold every item");
            return;
        }
        remove(number);
    }
    state.counters["items"] = double(g_fixture->items);
}
BENCHMARK(BM_DuplicaCotacao_Large)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same rows written by the engine itself: the header, then one INSERT ... SELECT per
// table, the item prices readjusted and rounded as the copy does.
void BM_RawInsertSelect_Large(benchmark::State &state)
{
    Database &db = *g_fixture->db;
    const QString round = db.isPostgres() ? QStringLiteral("ROUND(CAST(%1 * :P AS NUMERIC), 5)")
                                          : QStringLiteral("ROUND(%1 * :P, 5)");
    for (auto _ : state) {
        const QString number = padCode(QString::number(++g_fixture->rawNumber), 10);
        const QDate first = newFirst(g_fixture->week++);
        const QVariantMap key = {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), number},
                                 {QStringLiteral("S"), g_fixture->source}};
        QElapsedTimer timer;
        timer.start();
        db.transaction([&] {
            db.exec(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, "
                                   "CDOPERADOR) VALUES (:F, :N, :D, :I, :E, :O)"),
                    {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), number},
                     {QStringLiteral("D"), QDate::currentDate()}, {QStringLiteral("I"), first},
                     {QStringLiteral("E"), first.addDays(6)}, {QStringLiteral("O"), padOperator(QStringLiteral("COMP01"))}});
            db.exec(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) SELECT CDFILIAL, :N, CDREGIAO "
                                   "FROM COLEREGI WHERE CDFILIAL = :F AND NRCOLEPRECO = :S"),
                    key);
            db.exec(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) SELECT CDFILIAL, :N, "
                                   "CDREGIAO, CDFORNECED FROM COLEFORN WHERE CDFILIAL = :F AND NRCOLEPRECO = :S"),
                    key);
            QVariantMap items = key;
            items.insert(QStringLiteral("P"), 1.0 + kPercent / 100.0);
            db.exec(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, "
                                   "VRPRECUNIITM, VRPRECECOITM, VRPRECOITMPI, QTACMPITMCOL, VRPERDESITM, CDFORMPGTO, "
                                   "DSOBSITMCOL) SELECT CDFILIAL, :N, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, %1, %2, %3, "
                                   "QTACMPITMCOL, VRPERDESITM, CDFORMPGTO, DSOBSITMCOL FROM ITCOLETAPR WHERE CDFILIAL = :F "
                                   "AND NRCOLEPRECO = :S")
                        .arg(round.arg(QStringLiteral("VRPRECUNIITM")), round.arg(QStringLiteral("VRPRECECOITM")),
                             round.arg(QStringLiteral("VRPRECOITMPI"))),
                    items);
        });
        g_fixture->rawMs += timer.nsecsElapsed() / 1e6;
        ++g_fixture->rawRuns;
        remove(number);
    }
    state.counters["items"] = double(g_fixture->items);
}
BENCHMARK(BM_RawInsertSelect_Large)->Unit(benchmark::kMillisecond)->Iterations(3);

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
    QString error;
    const QString pgHost = qEnvironmentVariable("SUP_TEST_PG_HOST");
    if (!pgHost.isEmpty()) {
        config.engine = DatabaseConfig::Engine::PostgreSQL;
        config.host = pgHost;
        config.port = qEnvironmentVariableIntValue("SUP_TEST_PG_PORT") ? qEnvironmentVariableIntValue("SUP_TEST_PG_PORT") : 5432;
        config.user = qEnvironmentVariable("SUP_TEST_PG_USER", QStringLiteral("postgres"));
        config.name = QStringLiteral("sup_bench_copy_%1").arg(getpid());
        DatabaseConfig admin = config;
        admin.name = QStringLiteral("postgres");
        Database adminDb(admin, QStringLiteral("bench_admin"));
        if (!adminDb.open(&error)) {
            std::fprintf(stderr, "cannot reach PostgreSQL: %s\n", qPrintable(error));
            return 1;
        }
        adminDb.exec(QStringLiteral("CREATE DATABASE %1").arg(config.name));
    }
    fixture.db = std::make_unique<Database>(config, QStringLiteral("bench"));
    std::fprintf(stderr, "generating the large demo data...\n");
    if (!fixture.db->open(&error) || !fixture.db->migrate(&error)
        || !DemoData::generate(*fixture.db, DemoData::Size::Large, &error)) {
        std::fprintf(stderr, "cannot prepare the database: %s\n", qPrintable(error));
        return 1;
    }
    // Statistics as a database in use has them (autovacuum would gather them soon after
    // the bulk load).
    if (fixture.db->isPostgres())
        fixture.db->exec(QStringLiteral("ANALYZE"));
    // The large quotation: COMP01's quotation with the most items.
    {
        QSqlQuery q = fixture.db->exec(QStringLiteral("SELECT NRCOLEPRECO, COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F "
                                                      "GROUP BY NRCOLEPRECO ORDER BY COUNT(*) DESC LIMIT 1"),
                                       {{QStringLiteral("F"), kBranch}});
        if (q.next()) {
            fixture.source = q.value(0).toString();
            fixture.items = q.value(1).toLongLong();
        }
    }
    std::fprintf(stderr, "copying quotation %s of %lld items\n", qPrintable(fixture.source), fixture.items);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (fixture.copyRuns > 0 && fixture.rawRuns > 0) {
        const double copy = fixture.copyMs / fixture.copyRuns;
        const double raw = fixture.rawMs / fixture.rawRuns;
        std::printf("DuplicaCotacao %.1f ms, raw INSERT ... SELECT %.1f ms, ratio %.2f (target <= 1.5)\n", copy, raw,
                    copy / raw);
    }
    if (!pgHost.isEmpty()) {
        fixture.db.reset();
        DatabaseConfig admin = config;
        admin.name = QStringLiteral("postgres");
        Database adminDb(admin, QStringLiteral("bench_admin_drop"));
        if (adminDb.open(&error))
            adminDb.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(config.name));
    }
    return 0;
}
