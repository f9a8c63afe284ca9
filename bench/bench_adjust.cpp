// Price readjustment (ReajustePreco) and best-price loading (CargMelhorsPrs) over the large
// demo quotation (COMP01's quotation of the current week over every region, about 109,000
// items), each against the baseline: the engine's own set-based UPDATE of the same rows.
//
// - Readjustment works on one region and supplier at a time, as the workspace calls it:
//   one run readjusts every region and supplier of the quotation (one call each, about
//   340 items a call), +2% and -2% in turn; the baseline runs the same UPDATE ... SET
//   VRPRECUNIITM = ROUND(VRPRECUNIITM * factor, 5) per region and supplier, each in its own
//   transaction.
// - Best prices: a copy of the large quotation on the week before is the source period;
//   before each run (outside the measured time) the copy's prices are lowered by 1%, so that
//   every item of the large quotation takes a new best price.  The baseline is one
//   UPDATE ... FROM (the lowest price of the period per region, supplier, product and brand).
//
// At the end the mean time of each and the ratios are printed.  SQLite by default; with
// SUP_TEST_PG_HOST (/ _PORT / _USER) set, PostgreSQL instead.

#include "Codes.h"
#include "Database.h"
#include "DemoData.h"
#include "MethodTable.h"
#include "Session.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

const QString kBranch = QStringLiteral("0001");
constexpr double kPercent = 2.0;

struct Pair
{
    QString region;
    QString supplier;
};

struct Timing
{
    double ms = 0;
    double cpuMs = 0;   // this process's processor time: SQLite's work, not PostgreSQL's
    int runs = 0;
    double mean() const { return runs ? ms / runs : 0; }
    double cpuMean() const { return runs ? cpuMs / runs : 0; }
};

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Each measurement starts with the writes before it in the database file (SQLite's
// write-ahead log checkpointed, PostgreSQL's checkpoint done), so none pays for the
// checkpoint of what ran before it.
void settle(Database &db)
{
    if (db.isPostgres())
        db.exec(QStringLiteral("CHECKPOINT"));
    else
        db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    MethodTable table;
    Session session;
    QString target;       // the large quotation
    QString source;       // its copy on the week before
    QDate sourceFirst;
    QDate sourceLast;
    QDate collection;
    qlonglong items = 0;
    QList<Pair> pairs;
    int readjustRuns = 0;
    int rawReadjustRuns = 0;
    int sameWritesRuns = 0;
    Timing readjust, rawReadjust, sameWrites, best, rawBest;
};

Fixture *g_fixture = nullptr;

qlonglong scalar(const QString &sql, const QVariantMap &params = {})
{
    QSqlQuery q = g_fixture->db->exec(sql, params);
    return q.next() ? q.value(0).toLongLong() : -1;
}

// Up and down in turn, so the prices stay where they were.
double factorOf(int run) { return run % 2 == 0 ? 1.0 + kPercent / 100.0 : 1.0 / (1.0 + kPercent / 100.0); }
double percentOf(int run) { return (factorOf(run) - 1.0) * 100.0; }

void BM_ReajustePreco_Large(benchmark::State &state)
{
    Fixture &f = *g_fixture;
    const MethodDecl *decl = f.table.find(kGridCotaPrecObject, QStringLiteral("ReajustePreco"));
    settle(*f.db);
    for (auto _ : state) {
        const double percent = percentOf(f.readjustRuns++);
        QElapsedTimer timer;
        const double cpuStart = processCpuMs();
        timer.start();
        for (const Pair &p : std::as_const(f.pairs)) {
            QVariantList args = {percent, kBranch, f.target, QString(), QString(20, QLatin1Char('Z')),
                                 QStringLiteral("T"), kBranch, f.target, p.supplier, p.region, f.collection,
                                 QStringLiteral("Botão Reajustar Preços - de / para: "), QStringLiteral("COMP01")};
            MethodTable::normalizeArguments(*decl, args);
            CallContext ctx{f.session, *f.db, decl->contract, args};
            const QString reply = decl->fn(ctx).toString();
            if (reply != QLatin1String("ok")) {
                state.SkipWithError(qPrintable(QStringLiteral("ReajustePreco answered ") + reply));
                return;
            }
        }
        f.readjust.cpuMs += processCpuMs() - cpuStart;
        f.readjust.ms += timer.nsecsElapsed() / 1e6;
        ++f.readjust.runs;
    }
    state.counters["items"] = double(f.items);
    state.counters["calls"] = double(f.pairs.size());
}
BENCHMARK(BM_ReajustePreco_Large)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_RawReadjustUpdate_Large(benchmark::State &state)
{
    Fixture &f = *g_fixture;
    Database &db = *f.db;
    const QString round = db.isPostgres() ? QStringLiteral("ROUND(CAST(VRPRECUNIITM * :P AS NUMERIC), 5)")
                                          : QStringLiteral("ROUND(VRPRECUNIITM * :P, 5)");
    const QString sql = QStringLiteral("UPDATE ITCOLETAPR SET VRPRECUNIITM = %1 WHERE CDFILIAL = :F AND NRCOLEPRECO = :N "
                                       "AND CDREGIAO = :R AND CDFORNECED = :S AND VRPRECUNIITM > 0")
                            .arg(round);
    settle(*f.db);
    for (auto _ : state) {
        const double factor = factorOf(f.rawReadjustRuns++);
        QElapsedTimer timer;
        const double cpuStart = processCpuMs();
        timer.start();
        for (const Pair &p : std::as_const(f.pairs)) {
            db.transaction([&] {
                db.exec(sql, {{QStringLiteral("P"), factor}, {QStringLiteral("F"), kBranch},
                              {QStringLiteral("N"), f.target}, {QStringLiteral("R"), p.region},
                              {QStringLiteral("S"), p.supplier}});
            });
        }
        f.rawReadjust.cpuMs += processCpuMs() - cpuStart;
        f.rawReadjust.ms += timer.nsecsElapsed() / 1e6;
        ++f.rawReadjust.runs;
    }
    state.counters["items"] = double(f.items);
}
BENCHMARK(BM_RawReadjustUpdate_Large)->Unit(benchmark::kMillisecond)->Iterations(4);

// For comparison (not the target): the engine doing the same writes as ReajustePreco
// without its checks, per region and supplier in one transaction: the history rows of the
// changed prices by INSERT ... SELECT, then the UPDATE of the prices.
void BM_RawReadjustWithHistory_Large(benchmark::State &state)
{
    Fixture &f = *g_fixture;
    Database &db = *f.db;
    const QString round = db.isPostgres() ? QStringLiteral("ROUND(CAST(VRPRECUNIITM * :P AS NUMERIC), 5)")
                                          : QStringLiteral("ROUND(VRPRECUNIITM * :P, 5)");
    const QString where = QStringLiteral(" WHERE CDFILIAL = :F AND NRCOLEPRECO = :N AND CDREGIAO = :R AND CDFORNECED = :S "
                                         "AND VRPRECUNIITM > 0");
    const QString history =
        QStringLiteral("INSERT INTO HISTITCOLE (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, CDOPERADOR, "
                       "DTHRALTER, IDTIPALTER, VRPRECANT, VRPRECNOVO, CDMARCAANT, CDMARCANOVA) SELECT CDFILIAL, NRCOLEPRECO, "
                       "CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, :O, %1, 'R', VRPRECUNIITM, %2, CDMARCA, CDMARCA "
                       "FROM ITCOLETAPR")
            .arg(db.isPostgres() ? QStringLiteral("CAST(:D AS TIMESTAMP)") : QStringLiteral(":D"), round)
        + where;
    const QString update = QStringLiteral("UPDATE ITCOLETAPR SET VRPRECUNIITM = %1").arg(round) + where;
    settle(*f.db);
    for (auto _ : state) {
        const double factor = factorOf(f.sameWritesRuns++);
        const QString when = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QElapsedTimer timer;
        const double cpuStart = processCpuMs();
        timer.start();
        for (const Pair &p : std::as_const(f.pairs)) {
            const QVariantMap params = {{QStringLiteral("P"), factor}, {QStringLiteral("F"), kBranch},
                                        {QStringLiteral("N"), f.target}, {QStringLiteral("R"), p.region},
                                        {QStringLiteral("S"), p.supplier}};
            QVariantMap audit = params;
            audit.insert(QStringLiteral("O"), padOperator(QStringLiteral("COMP01")));
            audit.insert(QStringLiteral("D"), when);
            db.transaction([&] {
                db.exec(history, audit);
                db.exec(update, params);
            });
        }
        f.sameWrites.cpuMs += processCpuMs() - cpuStart;
        f.sameWrites.ms += timer.nsecsElapsed() / 1e6;
        ++f.sameWrites.runs;
    }
    state.counters["items"] = double(f.items);
}
BENCHMARK(BM_RawReadjustWithHistory_Large)->Unit(benchmark::kMillisecond)->Iterations(4);

// Lowers the source's prices by 1% (outside the measured time): every item of the target
// then has a new best price.
void lowerSource()
{
    Fixture &f = *g_fixture;
    const QString round = f.db->isPostgres() ? QStringLiteral("ROUND(CAST(VRPRECUNIITM * 0.99 AS NUMERIC), 5)")
                                             : QStringLiteral("ROUND(VRPRECUNIITM * 0.99, 5)");
    f.db->transaction([&] {
        f.db->exec(QStringLiteral("UPDATE ITCOLETAPR SET VRPRECUNIITM = %1 WHERE CDFILIAL = :F AND NRCOLEPRECO = :N")
                       .arg(round),
                   {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), f.source}});
    });
}

void BM_CargMelhorsPrs_Large(benchmark::State &state)
{
    Fixture &f = *g_fixture;
    const MethodDecl *decl = f.table.find(kGridCotaPrecObject, QStringLiteral("CargMelhorsPrs"));
    settle(*f.db);
    for (auto _ : state) {
        state.PauseTiming();
        lowerSource();
        settle(*f.db);
        state.ResumeTiming();
        QVariantList args = {kBranch, f.target, f.sourceFirst, f.sourceLast};
        MethodTable::normalizeArguments(*decl, args);
        CallContext ctx{f.session, *f.db, decl->contract, args};
        QElapsedTimer timer;
        const double cpuStart = processCpuMs();
        timer.start();
        const QString reply = decl->fn(ctx).toString();
        f.best.cpuMs += processCpuMs() - cpuStart;
        f.best.ms += timer.nsecsElapsed() / 1e6;
        ++f.best.runs;
        if (!reply.isEmpty()) {
            state.SkipWithError(qPrintable(QStringLiteral("CargMelhorsPrs answered ") + reply));
            return;
        }
    }
    state.counters["items"] = double(f.items);
}
BENCHMARK(BM_CargMelhorsPrs_Large)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RawBestPriceUpdate_Large(benchmark::State &state)
{
    Fixture &f = *g_fixture;
    Database &db = *f.db;
    const QString sql = QStringLiteral(
        "UPDATE ITCOLETAPR SET VRPRECUNIITM = B.VRMELHOR "
        "FROM (SELECT S.CDREGIAO, S.CDFORNECED, S.CDPRODUTO, S.CDMARCA, MIN(S.VRPRECUNIITM) AS VRMELHOR "
        "FROM COLETAPR C JOIN ITCOLETAPR S ON S.CDFILIAL = C.CDFILIAL AND S.NRCOLEPRECO = C.NRCOLEPRECO "
        "WHERE C.CDFILIAL = :F AND C.NRCOLEPRECO <> :N AND C.DTINIVALCOL >= :I AND C.DTFINVALCOL <= :E "
        "AND S.VRPRECUNIITM > 0 GROUP BY S.CDREGIAO, S.CDFORNECED, S.CDPRODUTO, S.CDMARCA) B "
        "WHERE ITCOLETAPR.CDFILIAL = :F AND ITCOLETAPR.NRCOLEPRECO = :N AND ITCOLETAPR.CDREGIAO = B.CDREGIAO "
        "AND ITCOLETAPR.CDFORNECED = B.CDFORNECED AND ITCOLETAPR.CDPRODUTO = B.CDPRODUTO "
        "AND ITCOLETAPR.CDMARCA = B.CDMARCA AND ITCOLETAPR.VRPRECUNIITM <> B.VRMELHOR");
    qlonglong updated = 0;
    settle(*f.db);
    for (auto _ : state) {
        state.PauseTiming();
        lowerSource();
        settle(*f.db);
        state.ResumeTiming();
        QElapsedTimer timer;
        const double cpuStart = processCpuMs();
        timer.start();
        db.transaction([&] {
            updated = db.exec(sql, {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), f.target},
                                    {QStringLiteral("I"), f.sourceFirst}, {QStringLiteral("E"), f.sourceLast}})
                          .numRowsAffected();
        });
        f.rawBest.cpuMs += processCpuMs() - cpuStart;
        f.rawBest.ms += timer.nsecsElapsed() / 1e6;
        ++f.rawBest.runs;
    }
    state.counters["items"] = double(f.items);
    state.counters["updated"] = double(updated);
}
BENCHMARK(BM_RawBestPriceUpdate_Large)->Unit(benchmark::kMillisecond)->Iterations(3);

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
        config.name = QStringLiteral("sup_bench_adjust_%1").arg(getpid());
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
    Database &db = *fixture.db;
    // The large quotation: COMP01's quotation with the most items.
    {
        QSqlQuery q = db.exec(QStringLiteral("SELECT I.NRCOLEPRECO, COUNT(*) FROM ITCOLETAPR I JOIN COLETAPR C ON "
                                             "C.CDFILIAL = I.CDFILIAL AND C.NRCOLEPRECO = I.NRCOLEPRECO WHERE "
                                             "I.CDFILIAL = :F AND C.CDOPERADOR = :O GROUP BY I.NRCOLEPRECO "
                                             "ORDER BY COUNT(*) DESC LIMIT 1"),
                              {{QStringLiteral("F"), kBranch}, {QStringLiteral("O"), padOperator(QStringLiteral("COMP01"))}});
        if (q.next()) {
            fixture.target = q.value(0).toString();
            fixture.items = q.value(1).toLongLong();
        }
    }
    QDate first, last;
    {
        QSqlQuery q = db.exec(QStringLiteral("SELECT DTINIVALCOL, DTFINVALCOL, DTCOLEPREC FROM COLETAPR WHERE CDFILIAL = :F "
                                             "AND NRCOLEPRECO = :N"),
                              {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), fixture.target}});
        if (q.next()) {
            first = Database::toDate(q.value(0));
            last = Database::toDate(q.value(1));
            fixture.collection = Database::toDate(q.value(2));
        }
    }
    {
        QSqlQuery q = db.exec(QStringLiteral("SELECT CDREGIAO, CDFORNECED FROM COLEFORN WHERE CDFILIAL = :F AND "
                                             "NRCOLEPRECO = :N ORDER BY CDREGIAO, CDFORNECED"),
                              {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), fixture.target}});
        while (q.next())
            fixture.pairs.append({q.value(0).toString(), q.value(1).toString()});
    }
    // The source period: a week of its own far before the demo's quotations, holding a
    // copy of the large quotation with its prices (every item priced).
    fixture.sourceFirst = QDate(2001, 1, 1);
    fixture.sourceLast = fixture.sourceFirst.addDays(6);
    fixture.source = QStringLiteral("0999999999");
    db.transaction([&] {
        const QVariantMap key = {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), fixture.source},
                                 {QStringLiteral("S"), fixture.target}};
        db.exec(QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, "
                               "CDOPERADOR, IDSITUCOLETA) VALUES (:F, :N, :D, :I, :E, :O, 'C')"),
                {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), fixture.source},
                 {QStringLiteral("D"), fixture.sourceFirst.addDays(-3)}, {QStringLiteral("I"), fixture.sourceFirst},
                 {QStringLiteral("E"), fixture.sourceLast}, {QStringLiteral("O"), padOperator(QStringLiteral("COMP01"))}});
        db.exec(QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) SELECT CDFILIAL, :N, CDREGIAO "
                               "FROM COLEREGI WHERE CDFILIAL = :F AND NRCOLEPRECO = :S"),
                key);
        db.exec(QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) SELECT CDFILIAL, :N, "
                               "CDREGIAO, CDFORNECED FROM COLEFORN WHERE CDFILIAL = :F AND NRCOLEPRECO = :S"),
                key);
        db.exec(QStringLiteral("INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, "
                               "VRPRECUNIITM) SELECT CDFILIAL, :N, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, "
                               "CASE WHEN VRPRECUNIITM > 0 THEN VRPRECUNIITM ELSE 10 END FROM ITCOLETAPR "
                               "WHERE CDFILIAL = :F AND NRCOLEPRECO = :S"),
                key);
    });
    // Statistics as a database in use has them (autovacuum would gather them soon after
    // the bulk load).
    if (db.isPostgres())
        db.exec(QStringLiteral("ANALYZE"));
    const qlonglong priced = scalar(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = :N "
                                                   "AND VRPRECUNIITM > 0"),
                                    {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), fixture.target}});
    std::fprintf(stderr, "quotation %s: %lld items (%lld priced), %d regions x suppliers; %s\n", qPrintable(fixture.target),
                 fixture.items, priced, int(fixture.pairs.size()), db.isPostgres() ? "PostgreSQL" : "SQLite");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (fixture.readjust.runs > 0 && fixture.rawReadjust.runs > 0)
        std::printf("ReajustePreco %.1f ms, raw UPDATE %.1f ms, ratio %.2f (target <= 2)\n", fixture.readjust.mean(),
                    fixture.rawReadjust.mean(), fixture.readjust.mean() / fixture.rawReadjust.mean());
    if (fixture.readjust.runs > 0 && fixture.sameWrites.runs > 0)
        std::printf("  (the engine doing the same writes, history INSERT ... SELECT and UPDATE: %.1f ms, ratio %.2f)\n",
                    fixture.sameWrites.mean(), fixture.readjust.mean() / fixture.sameWrites.mean());
    if (fixture.best.runs > 0 && fixture.rawBest.runs > 0)
        std::printf("CargMelhorsPrs %.1f ms, raw UPDATE ... FROM %.1f ms, ratio %.2f (target <= 2)\n", fixture.best.mean(),
                    fixture.rawBest.mean(), fixture.best.mean() / fixture.rawBest.mean());
    // On a loaded machine the wall-clock ratios wander with the other processes; SQLite
    // works in this process, so its processor time gives the same ratios without them.
    if (!db.isPostgres()) {
        const auto cpu = [](const Timing &a, const Timing &b) { return b.cpuMean() > 0 ? a.cpuMean() / b.cpuMean() : 0.0; };
        std::printf("processor time: ReajustePreco %.1f ms / raw %.1f ms = %.2f; with history %.1f ms; "
                    "CargMelhorsPrs %.1f ms / raw %.1f ms = %.2f\n",
                    fixture.readjust.cpuMean(), fixture.rawReadjust.cpuMean(), cpu(fixture.readjust, fixture.rawReadjust),
                    fixture.sameWrites.cpuMean(), fixture.best.cpuMean(), fixture.rawBest.cpuMean(),
                    cpu(fixture.best, fixture.rawBest));
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
