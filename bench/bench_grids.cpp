// GetGridProdMarc for a supplier holding 5,000 items in one region of a quotation, through
// the wire on loopback (the server runs in this process, in its own thread, on a
// temporary SQLite database, as in bench_wire), against the baseline: the same statement
// run on the same database with QSqlQuery, every value of every row read.  At the end
// the mean time of both and their ratio are printed.  ValidaDados of the same 5,000 rows
// is measured through the wire too.

#include "Codes.h"
#include "DataPacket.h"
#include "Database.h"
#include "NetConnection.h"
#include "ProtocolContract.h"
#include "ServerText.h"
#include "TestServer.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QSqlRecord>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kProducts = 2500;
constexpr int kBrands = 2;
constexpr int kItems = kProducts * kBrands;
const QString kBranch = QStringLiteral("0001");
const QString kNumber = QStringLiteral("0000000001");
const QString kRegion = QStringLiteral("001");
const QDate kCollection(2026, 12, 14);

struct Fixture
{
    TestServer server;
    std::unique_ptr<Database> db; // the benchmark's own connection to the server's database
    std::unique_ptr<NetConnection> connection;
    double wireMs = 0;
    int wireRuns = 0;
    double rawMs = 0;
    int rawRuns = 0;
};

Fixture *g_fixture = nullptr;

QString code(int n, int width) { return padCode(QString::number(n), width); }
QString supplierCode() { return code(1, 21); }

void insert(Database &db, const QString &sql, const QVariantList &values)
{
    QVariantMap params;
    for (int i = 0; i < values.size(); ++i)
        params.insert(QStringLiteral("V%1").arg(i), values.at(i));
    db.exec(sql, params);
}

// A quotation of branch 0001 with one region and one supplier holding every product in
// both brands: prices, a justification on every tenth item and every twentieth item in a
// price list.  Every item is valid: brands registered and qualified (with an available
// quantity and an EAN code), products registered and qualified for the supplier and
// negotiated by branch 0001 and by the region's regional branch 0002.
void buildData(Database &db)
{
    db.transaction([&] {
        const QString buyer = padOperator(QString::fromLatin1(TestServer::kOperator));
        insert(db, QStringLiteral("INSERT INTO COMPRADOR (CDOPERADOR, CDFILIAL) VALUES (:V0, :V1)"), {buyer, kBranch});
        insert(db, QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:V0, 'Grande São Paulo')"), {kRegion});
        insert(db, QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, NMFANTFORN) "
                                  "VALUES (:V0, 'J', '12345678000190', 'Fornecedor Geral Ltda', 'GERAL')"),
               {supplierCode()});
        insert(db, QStringLiteral("INSERT INTO REGIFORN (CDFORNECED, CDREGIAO) VALUES (:V0, :V1)"), {supplierCode(), kRegion});
        insert(db, QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDFILCENTCMP, IDTIPFILI, CDREGIAO) "
                                  "VALUES ('0002', 'Regional', :V0, 'R', :V1)"),
               {kBranch, kRegion});
        for (int b = 1; b <= kBrands; ++b)
            insert(db, QStringLiteral("INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (:V0, :V1)"),
                   {code(b, 5), QStringLiteral("Marca número %1 da indústria de alimentos").arg(b)});
        insert(db, QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, "
                                  "CDOPERADOR) VALUES (:V0, :V1, :V2, :V2, :V2, :V3)"),
               {kBranch, kNumber, kCollection, buyer});
        insert(db, QStringLiteral("INSERT INTO COLEREGI (CDFILIAL, NRCOLEPRECO, CDREGIAO) VALUES (:V0, :V1, :V2)"),
               {kBranch, kNumber, kRegion});
        insert(db, QStringLiteral("INSERT INTO COLEFORN (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED) VALUES (:V0, :V1, :V2, :V3)"),
               {kBranch, kNumber, kRegion, supplierCode()});
        insert(db, QStringLiteral("INSERT INTO LISTPREC (CDFILIAL, NRSEQPRELIST, DSLISTPREC, DTINIVALLIS, DTFINVALLIS) "
                                  "VALUES (:V0, '0000000001', 'Lista', :V1, :V1)"),
               {kBranch, kCollection});
        QSqlQuery product = db.prepare(QStringLiteral(
            "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDULTNIVPROD, SGUNIDADE) "
            "VALUES (:C, :T, :N, '3', 'S', 'CX')"));
        QSqlQuery brand = db.prepare(QStringLiteral(
            "INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, IDQUALMARC, DTVALQUALMARC, QTDISPPRODMARC) VALUES (:P, :B, 'S', :V, :Q)"));
        QSqlQuery ean = db.prepare(QStringLiteral("INSERT INTO EANPRODMARC (CDEAN, CDPRODUTO, CDMARCA) VALUES (:E, :P, :B)"));
        QSqlQuery supplied = db.prepare(QStringLiteral(
            "INSERT INTO PRODFORN (CDFORNECED, CDPRODUTO, IDQUALPRODFORN, DTVALQUALPF) VALUES (:S, :P, 'S', :V)"));
        QSqlQuery negotiated = db.prepare(QStringLiteral("INSERT INTO PRODFILI (CDFILIAL, CDPRODUTO) VALUES (:F, :P)"));
        QSqlQuery item = db.prepare(QStringLiteral(
            "INSERT INTO ITCOLETAPR (CDFILIAL, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA, VRPRECUNIITM, "
            "VRPRECECOITM, QTACMPITMCOL, VRPERDESITM, DSJUSTOPER) VALUES (:F, :N, :R, :S, :P, :B, :U, :E, :Q, :D, :J)"));
        QSqlQuery listed = db.prepare(QStringLiteral(
            "INSERT INTO ITLISTPREC (CDFILIAL, NRSEQPRELIST, NRCOLEPRECO, CDREGIAO, CDFORNECED, CDPRODUTO, CDMARCA) "
            "VALUES (:F, '0000000001', :N, :R, :S, :P, :B)"));
        int n = 0;
        for (int p = 1; p <= kProducts; ++p) {
            const QString c = code(p, 10);
            db.run(product, {{QStringLiteral("C"), c}, {QStringLiteral("T"), QStringLiteral("01") + code(p, 6)},
                             {QStringLiteral("N"), QStringLiteral("Produto de mercearia número %1").arg(p)}});
            db.run(supplied, {{QStringLiteral("S"), supplierCode()}, {QStringLiteral("P"), c},
                              {QStringLiteral("V"), kCollection.addDays(90)}});
            for (const char *branch : {"0001", "0002"})
                db.run(negotiated, {{QStringLiteral("F"), QLatin1String(branch)}, {QStringLiteral("P"), c}});
            for (int b = 1; b <= kBrands; ++b, ++n) {
                const QVariantMap key = {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), kNumber},
                                         {QStringLiteral("R"), kRegion}, {QStringLiteral("S"), supplierCode()},
                                         {QStringLiteral("P"), c}, {QStringLiteral("B"), code(b, 5)}};
                db.run(brand, {{QStringLiteral("P"), c}, {QStringLiteral("B"), code(b, 5)},
                               {QStringLiteral("V"), kCollection.addDays(90)}, {QStringLiteral("Q"), 3.0 * b}});
                db.run(ean, {{QStringLiteral("E"), QStringLiteral("789") + code(n, 11)}, {QStringLiteral("P"), c},
                             {QStringLiteral("B"), code(b, 5)}});
                QVariantMap row = key;
                row.insert(QStringLiteral("U"), 10.0 + p * 0.01 + b);
                row.insert(QStringLiteral("E"), 9.5 + p * 0.01 + b);
                row.insert(QStringLiteral("Q"), 12.0);
                row.insert(QStringLiteral("D"), 2.5);
                row.insert(QStringLiteral("J"), n % 10 == 0 ? QVariant(QStringLiteral("Reajuste do fornecedor"))
                                                            : QVariant(QMetaType(QMetaType::QString)));
                db.run(item, row);
                if (n % 20 == 0)
                    db.run(listed, key);
            }
        }
    });
}

void configure(NetConnection &connection)
{
    NetCredentials credentials;
    credentials.operatorCode = QString::fromLatin1(TestServer::kOperator);
    credentials.password = QString::fromLatin1(TestServer::kPassword);
    credentials.branch = kBranch;
    credentials.client = QStringLiteral("bench_grids");
    connection.setCredentials(credentials);
    connection.setServerName(kGridCotaPrecObject);
    connection.setHost(QStringLiteral("127.0.0.1"));
    connection.setPort(g_fixture->server.port());
}

const QVariantMap &gridKey()
{
    static const QVariantMap key = {{QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("NRCOLEPRECO"), kNumber},
                                    {QStringLiteral("CDREGIAO"), kRegion}, {QStringLiteral("CDFORNECED"), supplierCode()}};
    return key;
}

// The call the workspace makes when the user moves to the supplier: request, the server's
// query and packet, the CBOR reply decoded into a packet on this side.
void BM_GetGridProdMarc_Wire(benchmark::State &state)
{
    const MethodContract &method = Protocol::method(kGridCotaPrecObject, QStringLiteral("GetGridProdMarc"));
    int rows = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const QVariant result = g_fixture->connection->call(method, gridKey());
        g_fixture->wireMs += timer.nsecsElapsed() / 1e6;
        ++g_fixture->wireRuns;
        rows = isPacket(result) ? result.value<DataPacket>().rowCount() : -1;
    }
    if (rows != kItems)
        state.SkipWithError(qPrintable(QStringLiteral("GetGridProdMarc gave %1 rows").arg(rows)));
    state.counters["rows"] = rows;
}
BENCHMARK(BM_GetGridProdMarc_Wire)->Unit(benchmark::kMillisecond)->Iterations(30);

// The same statement with the same parameters, every column of every row read.
void BM_GetGridProdMarc_RawSelect(benchmark::State &state)
{
    Database &db = *g_fixture->db;
    const QString sql = ServerText::sql(QStringLiteral("GetGridProdMarc"), db.isPostgres());
    int rows = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QSqlQuery q = db.exec(sql, {{QStringLiteral("P_CDFILIAL"), kBranch}, {QStringLiteral("P_NRCOLEPRECO"), kNumber},
                                    {QStringLiteral("P_CDREGIAO"), kRegion}, {QStringLiteral("P_CDFORNECED"), supplierCode()}});
        const int columns = q.record().count();
        rows = 0;
        while (q.next()) {
            for (int i = 0; i < columns; ++i)
                benchmark::DoNotOptimize(q.value(i));
            ++rows;
        }
        g_fixture->rawMs += timer.nsecsElapsed() / 1e6;
        ++g_fixture->rawRuns;
    }
    if (rows != kItems)
        state.SkipWithError(qPrintable(QStringLiteral("the select gave %1 rows").arg(rows)));
    state.counters["rows"] = rows;
}
BENCHMARK(BM_GetGridProdMarc_RawSelect)->Unit(benchmark::kMillisecond)->Iterations(30);

// Confirming the supplier's 5,000 rows: the grid's whole packet validated at once.
void BM_ValidaDados_Wire(benchmark::State &state)
{
    const QVariant grid = g_fixture->connection->call(Protocol::method(kGridCotaPrecObject, QStringLiteral("GetGridProdMarc")),
                                                      gridKey());
    const MethodContract &method = Protocol::method(kGridCotaPrecObject, QStringLiteral("ValidaDados"));
    const QVariantMap args = {{QStringLiteral("Itens"), grid}, {QStringLiteral("FiliProc"), kBranch},
                              {QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("DTCOLEPREC"), kCollection}};
    int failing = 0;
    for (auto _ : state) {
        const QVariant result = g_fixture->connection->call(method, args);
        failing = isPacket(result) ? result.value<DataPacket>().rowCount() : -1;
    }
    if (failing != 0)
        state.SkipWithError(qPrintable(QStringLiteral("ValidaDados found %1 failing rows").arg(failing)));
    state.counters["failing_rows"] = failing;
}
BENCHMARK(BM_ValidaDados_Wire)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Fixture fixture;
    g_fixture = &fixture;
    fixture.server.config().loginDelayMs = 0;
    fixture.server.config().workers = 2;
    registerServerObjects(fixture.server.table());
    QString error;
    if (!fixture.server.start(&error)) {
        std::fprintf(stderr, "bench_grids: cannot start the server: %s\n", qPrintable(error));
        return 1;
    }
    // The per-call log line would measure the terminal, not the call.
    QLoggingCategory::setFilterRules(QStringLiteral("sup.*.info=false"));
    DatabaseConfig config;
    config.path = fixture.server.databasePath();
    fixture.db = std::make_unique<Database>(config, QStringLiteral("bench_grids"));
    if (!fixture.db->open(&error)) {
        std::fprintf(stderr, "bench_grids: cannot open the database: %s\n", qPrintable(error));
        return 1;
    }
    try {
        buildData(*fixture.db);
        fixture.connection = std::make_unique<NetConnection>();
        configure(*fixture.connection);
        fixture.connection->open();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_grids: %s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture.connection.reset();
    fixture.server.stop();
    if (fixture.wireRuns > 0 && fixture.rawRuns > 0) {
        const double wire = fixture.wireMs / fixture.wireRuns;
        const double raw = fixture.rawMs / fixture.rawRuns;
        std::printf("GetGridProdMarc through the wire %.2f ms, raw select %.2f ms, ratio %.2f (target <= 3)\n", wire, raw,
                    wire / raw);
    }
    return 0;
}
