// Confirming prices on the large demo data: COMP01's quotation 0000004376 (8 regions, 40
// suppliers per region, 109,440 items).  A delta of 1,000 changed prices (items of the
// first region's suppliers, in the order the grids show them, as many suppliers as it
// takes) is stored with SetItemCole for all regions and all suppliers, through the wire
// (the server runs in this process, in its own thread, as in bench_grids), against the
// baseline: the raw engine doing the same item updates and history inserts in one
// transaction with prepared statements, row by row.  Every run gives each product/brand a
// new price, so every run really changes every item it reaches.  The same 1,000 rows
// without replication are measured too.  At the end the mean times, their ratio and the
// rows touched are printed per engine.
//
// SQLite always; PostgreSQL too when SUP_TEST_PG_HOST / _PORT / _USER name a server (a
// database of its own is created there and dropped at the end).

#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "DemoData.h"
#include "EngineServer.h"
#include "MethodTable.h"
#include "NetConnection.h"
#include "ProtocolContract.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QLoggingCategory>
#include <QSet>
#include <QSqlQuery>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kRows = 1000;
const QString kBranch = QStringLiteral("0001");
const QString kNumber = QStringLiteral("0000004376");
const QString kJust = QStringLiteral("Preços confirmados pelo fornecedor");
const QString kScope = QStringLiteral("Todas as regiões  Todos os fornecedores");

struct Mean
{
    double ms = 0;
    int runs = 0;
    void add(double value) { ms += value; ++runs; }
    double value() const { return runs > 0 ? ms / runs : 0; }
};

// One stored item the confirmation reaches, for the raw baseline.
struct Target
{
    QString region, supplier, product, brand;
    int pair = 0;
};

struct Engine
{
    QString name;
    std::unique_ptr<EngineServer> server;
    std::unique_ptr<NetConnection> connection;
    QList<FieldDef> fields;
    QList<QVariantList> rows;   // the grid rows the delta changes, as loaded
    QList<int> pairOfRow;       // product/brand of each row (index into pairs)
    QStringList pairs;
    std::vector<Target> targets;
    int generation = 0;         // prices of generation g are stored
    Mean wire, raw, wireOneItem;
    qlonglong itemsReached = 0; // items one confirmation for all regions and suppliers writes
    qlonglong historyRows = 0;  // history rows it writes
    QString failure;
};

std::vector<std::unique_ptr<Engine>> g_engines;
const MethodTable *g_table = nullptr;

// Every item of a product/brand holds the same price after a confirmation for all regions
// and suppliers; generation g gives each pair a price of its own.
double priceOf(int pair, int generation)
{
    return std::round((10.0 + pair * 0.25 + generation * 0.01) * 100.0) / 100.0;
}

QString priceText(double from, double to)
{
    return QStringLiteral("Preço Unitário - de: %1 para: %2 /").arg(QVariant(from).toString(), QVariant(to).toString());
}

QVariantMap setItemColeArgs(const DataPacket &delta, bool all)
{
    return {{QStringLiteral("DeltaGridProdMarc"), packetVariant(delta)},
            {QStringLiteral("DTCOLEPREC"), QDate::currentDate()},
            {QStringLiteral("TodasRegioes"), all},
            {QStringLiteral("FiliProc"), kBranch},
            {QStringLiteral("Operador"), QStringLiteral("COMP01")},
            {QStringLiteral("TodosForn"), all},
            {QStringLiteral("TODASREG"), QStringLiteral("Todas as regiões ")},
            {QStringLiteral("UMAREG"), QStringLiteral("Somente esta região ")},
            {QStringLiteral("TODOSFORN"), QStringLiteral(" Todos os fornecedores")},
            {QStringLiteral("UMFORN"), QStringLiteral(" Somente este fornecedor")},
            {QStringLiteral("boConsulta"), false},
            {QStringLiteral("CDOPERADOR"), QStringLiteral("COMP01")}};
}

// The delta taking every row from the prices of generation `from` (the grid's own when
// from is -1) to those of generation to.
DataPacket delta(const Engine &e, int from, int to)
{
    DataPacket d(e.fields);
    d.setDelta(true);
    const int price = d.fieldIndex(QStringLiteral("VRPRECUNIITM"));
    const int just = d.fieldIndex(QStringLiteral("DSJUSTOPER"));
    const int text = d.fieldIndex(QStringLiteral("DSALTERITMCOT"));
    const int cotPrec = d.fieldIndex(QStringLiteral("IDITMCOTPREC"));
    for (int i = 0; i < e.rows.size(); ++i) {
        QVariantList before = e.rows.at(i);
        if (from >= 0)
            before[price] = priceOf(e.pairOfRow.at(i), from);
        before[just] = kJust;
        QVariantList after = before;
        after[price] = priceOf(e.pairOfRow.at(i), to);
        after[text] = priceText(before.at(price).toDouble(), after.at(price).toDouble());
        after[cotPrec] = QStringLiteral("S");
        d.appendChange({RowChange::Modify, before, after});
    }
    return d;
}

qlonglong historyCount(Database &db)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT COUNT(*) FROM HISTITCOLE WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                          {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), kNumber}});
    return q.next() ? q.value(0).toLongLong() : -1;
}

QVariant call(Engine &e, const QString &method, const QVariantMap &args)
{
    return e.connection->call(Protocol::method(kGridCotaPrecObject, method), args);
}

// The first kRows valid items of the first region, supplier after supplier, as the
// product grid loads them; then a first confirmation for all regions and suppliers (not
// measured) gives every item of their products and brands its pair's price.
void prepareRows(Engine &e)
{
    const QVariantMap quotation = {{QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("NRCOLEPRECO"), kNumber}};
    const DataPacket regions = call(e, QStringLiteral("GetGridRegiao"), quotation).value<DataPacket>();
    const QString region = regions.value(0, QStringLiteral("CDREGIAO")).toString();
    QVariantMap regionKey = quotation;
    regionKey.insert(QStringLiteral("CDREGIAO"), region);
    const DataPacket suppliers = call(e, QStringLiteral("GetGridFornecedor"), regionKey).value<DataPacket>();
    QHash<QString, int> pairIndex;
    for (int s = 0; s < suppliers.rowCount() && e.rows.size() < kRows; ++s) {
        QVariantMap key = regionKey;
        key.insert(QStringLiteral("CDFORNECED"), suppliers.value(s, QStringLiteral("CDFORNECED")));
        const DataPacket grid = call(e, QStringLiteral("GetGridProdMarc"), key).value<DataPacket>();
        e.fields = grid.fields();
        // Rows the item checks refuse cannot be confirmed: left out.
        const DataPacket failing = call(e, QStringLiteral("ValidaDados"),
                                        {{QStringLiteral("Itens"), packetVariant(grid)}, {QStringLiteral("FiliProc"), kBranch},
                                         {QStringLiteral("CDFILIAL"), kBranch},
                                         {QStringLiteral("DTCOLEPREC"), QDate::currentDate()}})
                                       .value<DataPacket>();
        QSet<QString> refused;
        for (int f = 0; f < failing.rowCount(); ++f)
            refused.insert(failing.value(f, QStringLiteral("CDPRODUTO")).toString() + QLatin1Char('|')
                           + failing.value(f, QStringLiteral("CDMARCA")).toString());
        for (int r = 0; r < grid.rowCount() && e.rows.size() < kRows; ++r) {
            const QString pair = grid.value(r, QStringLiteral("CDPRODUTO")).toString() + QLatin1Char('|')
                                 + grid.value(r, QStringLiteral("CDMARCA")).toString();
            if (refused.contains(pair))
                continue;
            if (!pairIndex.contains(pair)) {
                pairIndex.insert(pair, int(e.pairs.size()));
                e.pairs << pair;
            }
            e.rows << grid.rows().at(r);
            e.pairOfRow << pairIndex.value(pair);
        }
    }
    if (e.rows.size() < kRows)
        throw std::runtime_error(qPrintable(QStringLiteral("only %1 valid rows in the first region").arg(e.rows.size())));

    Database &db = e.server->database.db();
    const qlonglong before = historyCount(db);
    call(e, QStringLiteral("SetItemCole"), setItemColeArgs(delta(e, -1, 0), true));
    e.itemsReached = e.historyRows = historyCount(db) - before;

    QSqlQuery q = db.exec(QStringLiteral("SELECT CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA FROM ITCOLETAPR "
                                         "WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                          {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), kNumber}});
    while (q.next()) {
        const QString pair = q.value(2).toString() + QLatin1Char('|') + q.value(3).toString();
        const auto at = pairIndex.constFind(pair);
        if (at != pairIndex.constEnd())
            e.targets.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(), *at});
    }
}

void connect(Engine &e);

// The engine's server runs and this benchmark's connection is open; any other engine's
// server is stopped first (one server at a time in a process).
bool activate(Engine *e, benchmark::State &state)
{
    for (auto &other : g_engines) {
        if (other.get() != e && other->server && other->server->isRunning()) {
            other->connection.reset();
            other->server->stop();
        }
    }
    if (!e->server->isRunning()) {
        QString error;
        if (!e->server->start(*g_table, &error)) {
            state.SkipWithError(qPrintable(error));
            return false;
        }
        e->connection.reset();
    }
    if (!e->connection) {
        try {
            connect(*e);
        } catch (const NetError &error) {
            state.SkipWithError(qPrintable(error.message()));
            return false;
        }
    }
    return true;
}

void BM_SetItemCole_Wire(benchmark::State &state, Engine *e)
{
    if (!activate(e, state))
        return;
    for (auto _ : state) {
        const DataPacket d = delta(*e, e->generation, e->generation + 1);
        const QVariantMap args = setItemColeArgs(d, true);
        QElapsedTimer timer;
        timer.start();
        try {
            call(*e, QStringLiteral("SetItemCole"), args);
        } catch (const NetError &error) {
            state.SkipWithError(qPrintable(error.message()));
            break;
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        state.SetIterationTime(ms / 1000.0);
        e->wire.add(ms);
        ++e->generation;
    }
    state.counters["rows"] = kRows;
    state.counters["items_written"] = double(e->itemsReached);
}

// The same rows, stored only where they are (no replication).
void BM_SetItemCole_WireThisItemOnly(benchmark::State &state, Engine *e)
{
    if (!activate(e, state))
        return;
    int generation = e->generation;
    for (auto _ : state) {
        // Only the rows' own items move to the next generation: back to generation g at
        // the end, so the replicated runs find what they expect.
        const bool forth = (generation == e->generation);
        const DataPacket d = forth ? delta(*e, e->generation, e->generation + 1) : delta(*e, e->generation + 1, e->generation);
        QElapsedTimer timer;
        timer.start();
        try {
            call(*e, QStringLiteral("SetItemCole"), setItemColeArgs(d, false));
        } catch (const NetError &error) {
            state.SkipWithError(qPrintable(error.message()));
            break;
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        state.SetIterationTime(ms / 1000.0);
        e->wireOneItem.add(ms);
        generation = forth ? e->generation + 1 : e->generation;
    }
    if (generation != e->generation) {
        // An odd number of runs: take the rows back (not measured).
        call(*e, QStringLiteral("SetItemCole"), setItemColeArgs(delta(*e, e->generation + 1, e->generation), false));
    }
}

// What the confirmation writes, done directly: each reached item updated and its history
// row inserted, one prepared statement each, in one transaction.
void BM_SetItemCole_RawEngine(benchmark::State &state, Engine *e)
{
    if (!activate(e, state))
        return;
    Database &db = e->server->database.db();
    for (auto _ : state) {
        const int from = e->generation, to = e->generation + 1;
        const QString when = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const QString op = padOperator(QStringLiteral("COMP01"));
        QElapsedTimer timer;
        timer.start();
        db.transaction([&] {
            QSqlQuery update(db.sql());
            update.prepare(QStringLiteral(
                "UPDATE ITCOLETAPR SET VRPRECUNIITM = ?, IDPRECALT = 'S', IDITMCOTPREC = 'S', DSJUSTOPER = ?, "
                "DSALTERITMCOT = ?, CDOPERALTE = ?, DTHRALTE = ? WHERE CDFILIAL = ? AND NRCOLEPRECO = ? AND CDREGIAO = ? "
                "AND CDFORNECED = ? AND CDPRODUTO = ? AND CDMARCA = ?"));
            QSqlQuery history(db.sql());
            history.prepare(QStringLiteral(
                "INSERT INTO HISTITCOLE (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, CDOPERADOR, "
                "DTHRALTER, IDTIPALTER, VRPRECANT, VRPRECNOVO, CDMARCAANT, CDMARCANOVA, DSJUSTOPER, DSALTERITMCOT, "
                "DSABRANGENCIA) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 'P', ?, ?, ?, ?, ?, ?, ?)"));
            for (const Target &t : e->targets) {
                const double old = priceOf(t.pair, from), now = priceOf(t.pair, to);
                const QString text = priceText(old, now);
                const QVariantList u = {now, kJust, text, op, when, kBranch, kNumber, t.region, t.supplier, t.product, t.brand};
                for (int i = 0; i < u.size(); ++i)
                    update.bindValue(i, u.at(i));
                if (!update.exec())
                    throw std::runtime_error("update failed");
                const QVariantList h = {kBranch, kNumber, t.region, t.supplier, t.product, t.brand, op, when, old, now,
                                        t.brand, t.brand, kJust, text, kScope};
                for (int i = 0; i < h.size(); ++i)
                    history.bindValue(i, h.at(i));
                if (!history.exec())
                    throw std::runtime_error("history insert failed");
            }
        });
        const double ms = timer.nsecsElapsed() / 1e6;
        state.SetIterationTime(ms / 1000.0);
        e->raw.add(ms);
        ++e->generation;
    }
    state.counters["items_written"] = double(e->targets.size());
}

// Opens the benchmark's connection to the engine's server, logged in as COMP01.
void connect(Engine &e)
{
    e.connection = std::make_unique<NetConnection>();
    NetCredentials credentials;
    credentials.operatorCode = QStringLiteral("COMP01");
    credentials.password = DemoData::demoPassword();
    credentials.branch = kBranch;
    credentials.client = QStringLiteral("bench_confirm");
    e.connection->setCredentials(credentials);
    e.connection->setServerName(kGridCotaPrecObject);
    e.connection->setHost(QStringLiteral("127.0.0.1"));
    e.connection->setPort(e.server->port);
    e.connection->open();
}

// Generates the engine's data and prepares its rows (its server left running).
bool startEngine(Engine &e, DatabaseConfig::Engine engine, const MethodTable &table)
{
    e.server = std::make_unique<EngineServer>(engine, QStringLiteral("bench_confirm"));
    QString error;
    QElapsedTimer timer;
    timer.start();
    if (!e.server->database.create(EngineDatabase::Content::Schema, &error)) {
        e.failure = error.isEmpty() ? e.server->database.skipReason() : error;
        return false;
    }
    if (!DemoData::generate(e.server->database.db(), DemoData::Size::Large, &error)) {
        e.failure = error;
        return false;
    }
    std::fprintf(stderr, "bench_confirm: %s large demo data in %.1f s\n", qPrintable(e.name), timer.elapsed() / 1000.0);
    if (!e.server->start(table, &error)) {
        e.failure = error;
        return false;
    }
    try {
        connect(e);
        prepareRows(e);
    } catch (const NetError &error) {
        e.failure = error.message();
        return false;
    } catch (const std::exception &error) {
        e.failure = QString::fromLocal8Bit(error.what());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // The per-call log line would measure the terminal, not the call.
    QLoggingCategory::setFilterRules(QStringLiteral("sup.*.info=false"));
    MethodTable table;
    registerServerObjects(table);
    g_table = &table;

    struct Choice { const char *name; DatabaseConfig::Engine engine; int wireRuns; int rawRuns; };
    const Choice choices[] = {{"SQLite", DatabaseConfig::Engine::SQLite, 6, 4},
                              {"PostgreSQL", DatabaseConfig::Engine::PostgreSQL, 4, 2}};
    for (const Choice &c : choices) {
        if (c.engine == DatabaseConfig::Engine::PostgreSQL && qEnvironmentVariableIsEmpty("SUP_TEST_PG_HOST"))
            continue;
        for (auto &other : g_engines) {
            other->connection.reset();
            other->server->stop();
        }
        auto e = std::make_unique<Engine>();
        e->name = QLatin1String(c.name);
        Engine *engine = e.get();
        g_engines.push_back(std::move(e));
        if (!startEngine(*engine, c.engine, table)) {
            std::fprintf(stderr, "bench_confirm: %s: %s\n", c.name, qPrintable(engine->failure));
            continue;
        }
        const std::string prefix = std::string("SetItemCole/") + c.name;
        benchmark::RegisterBenchmark((prefix + "/Wire_AllRegionsAllSuppliers").c_str(), BM_SetItemCole_Wire, engine)
            ->Iterations(c.wireRuns)->UseManualTime()->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((prefix + "/RawEngine_SameWrites").c_str(), BM_SetItemCole_RawEngine, engine)
            ->Iterations(c.rawRuns)->UseManualTime()->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((prefix + "/Wire_ThisItemOnly").c_str(), BM_SetItemCole_WireThisItemOnly, engine)
            ->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    for (auto &e : g_engines) {
        e->connection.reset();
        if (e->server)
            e->server->stop();
    }
    benchmark::Shutdown();
    for (const auto &e : g_engines) {
        if (!e->failure.isEmpty() || e->wire.runs == 0 || e->raw.runs == 0)
            continue;
        std::printf("%s: SetItemCole of %d changed prices for all regions and suppliers through the wire %.0f ms, "
                    "raw engine %.0f ms, ratio %.2f (target <= 3); rows touched: %lld items updated and %lld history "
                    "rows inserted; the same rows without replication %.1f ms\n",
                    qPrintable(e->name), kRows, e->wire.value(), e->raw.value(), e->wire.value() / e->raw.value(),
                    e->itemsReached, e->historyRows, e->wireOneItem.value());
    }
    g_engines.clear();
    return 0;
}
