// IncluirCotacao creating a quotation of 100,000 items (4 regions x 50 suppliers x 250
// products x 2 brands, every verification in force) on an SQLite file, against the
// baseline: the same header, regions, suppliers and 100,000 item rows inserted directly
// with one prepared statement in one transaction.  The data is built here (the large
// demo set is not shaped for one quotation this big).  At the end the mean time of both
// and their ratio are printed.  With SUP_TEST_PG_HOST (/ _PORT / _USER) set, the same runs
// on a throw-away PostgreSQL database instead.

#include "Codes.h"
#include "Database.h"
#include "MethodTable.h"
#include "ServerText.h"
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

constexpr int kRegions = 4;
constexpr int kSuppliers = 50;
constexpr int kProducts = 250;
constexpr int kBrands = 2;
const QDate kCollection(2026, 12, 14);

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    MethodTable table;
    Session session;
    double createMs = 0;
    int createRuns = 0;
    double rawMs = 0;
    int rawRuns = 0;
    int rawNumber = 900000000;
};

Fixture *g_fixture = nullptr;

QString code(int n, int width) { return padCode(QString::number(n), width); }

void insert(Database &db, const QString &sql, const QVariantList &values)
{
    QVariantMap params;
    for (int i = 0; i < values.size(); ++i)
        params.insert(QStringLiteral("V%1").arg(i), values.at(i));
    db.exec(sql, params);
}

bool buildData(Database &db)
{
    db.transaction([&] {
        insert(db, QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDTIPFILI) VALUES (:V0, :V1, 'C')"),
               {code(1, 4), QStringLiteral("Matriz")});
        insert(db, QStringLiteral("INSERT INTO PARASUPRI (CDFILIAL) VALUES (:V0)"), {code(1, 4)});
        insert(db, QStringLiteral("INSERT INTO OPERADOR (CDOPERADOR, NMOPERADOR, DSSENHAOPER, CDFILIAL) VALUES (:V0, :V1, 'x', :V2)"),
               {padOperator(QStringLiteral("COMP01")), QStringLiteral("Comprador"), code(1, 4)});
        insert(db, QStringLiteral("INSERT INTO COMPRADOR (CDOPERADOR, CDFILIAL) VALUES (:V0, :V1)"),
               {padOperator(QStringLiteral("COMP01")), code(1, 4)});
        insert(db, QStringLiteral("INSERT INTO FORMPGTO (CDFORMPGTO, DSFORMPGTO) VALUES ('001', 'A vista')"), {});
        for (int r = 1; r <= kRegions; ++r)
            insert(db, QStringLiteral("INSERT INTO REGIAO (CDREGIAO, NMREGIAO) VALUES (:V0, :V1)"),
                   {code(r, 3), QStringLiteral("Região %1").arg(r)});
        for (int b = 1; b <= kBrands; ++b)
            insert(db, QStringLiteral("INSERT INTO MARCA (CDMARCA, NMMARCA) VALUES (:V0, :V1)"),
                   {code(b, 5), QStringLiteral("Marca %1").arg(b)});
        insert(db, QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO) VALUES (:V0, '01', 'Grupo', '1')"),
               {code(1, 10)});
        insert(db, QStringLiteral("INSERT INTO PRODCOMP (CDOPERADOR, CDPRODUTO) VALUES (:V0, :V1)"),
               {padOperator(QStringLiteral("COMP01")), code(1, 10)});
        QSqlQuery product = db.prepare(QStringLiteral(
            "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, CDNVPRODUTO, IDULTNIVPROD) VALUES (:C, :T, :N, '2', 'S')"));
        QSqlQuery brand = db.prepare(QStringLiteral(
            "INSERT INTO MARCPROD (CDPRODUTO, CDMARCA, IDQUALMARC, DTVALQUALMARC) VALUES (:P, :B, 'S', :V)"));
        for (int p = 1; p <= kProducts; ++p) {
            const QString c = code(100 + p, 10);
            db.run(product, {{QStringLiteral("C"), c}, {QStringLiteral("T"), QStringLiteral("01") + code(p, 4)},
                             {QStringLiteral("N"), QStringLiteral("Produto %1").arg(p)}});
            for (int b = 1; b <= kBrands; ++b)
                db.run(brand, {{QStringLiteral("P"), c}, {QStringLiteral("B"), code(b, 5)},
                               {QStringLiteral("V"), kCollection.addDays(365)}});
        }
        QSqlQuery qualified = db.prepare(QStringLiteral(
            "INSERT INTO PRODFORN (CDFORNECED, CDPRODUTO, IDQUALPRODFORN, DTVALQUALPF) VALUES (:F, :P, 'S', :V)"));
        for (int s = 1; s <= kSuppliers; ++s) {
            const QString f = code(s, 21);
            insert(db, QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, "
                                      "CDFORMPGTO) VALUES (:V0, 'O', :V1, :V2, '001')"),
                   {f, QString::number(s), QStringLiteral("Fornecedor %1").arg(s)});
            for (int r = 1; r <= kRegions; ++r)
                insert(db, QStringLiteral("INSERT INTO REGIFORN (CDFORNECED, CDREGIAO) VALUES (:V0, :V1)"), {f, code(r, 3)});
            for (int p = 1; p <= kProducts; ++p)
                db.run(qualified, {{QStringLiteral("F"), f}, {QStringLiteral("P"), code(100 + p, 10)},
                                   {QStringLiteral("V"), kCollection.addDays(365)}});
        }
    });
    return true;
}

void BM_IncluirCotacao_100k(benchmark::State &state)
{
    const MethodDecl *decl = g_fixture->table.find(kGridCotaPrecObject, QStringLiteral("IncluirCotacao"));
    for (auto _ : state) {
        QVariantList args = {QStringLiteral("0001"), QStringLiteral("0001"), QStringLiteral("COMP01"), kCollection,
                             QStringLiteral("51"), QStringLiteral("52"), kCollection.addDays(1), kCollection.addDays(7),
                             QString(), QString(), QString(), QString(), QString(), QString(), true, false, false,
                             QString(), QStringLiteral("S"), QStringLiteral("COMP01"), QStringLiteral("sem dados"),
                             QStringLiteral("sem cotação"), QString()};
        MethodTable::normalizeArguments(*decl, args);
        CallContext ctx{g_fixture->session, *g_fixture->db, decl->contract, args};
        QElapsedTimer timer;
        timer.start();
        const QString number = decl->fn(ctx).toString();
        g_fixture->createMs += timer.nsecsElapsed() / 1e6;
        ++g_fixture->createRuns;
        if (number.size() != 10) {
            state.SkipWithError(qPrintable(QStringLiteral("IncluirCotacao answered ") + number));
            return;
        }
    }
    state.counters["items"] = kRegions * kSuppliers * kProducts * kBrands;
}
BENCHMARK(BM_IncluirCotacao_100k)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same rows written directly: header, regions, suppliers, then every item through
// the statement IncluirCotacao uses, in one transaction.
void BM_RawItemInsert_100k(benchmark::State &state)
{
    Database &db = *g_fixture->db;
    for (auto _ : state) {
        const QString number = code(++g_fixture->rawNumber, 10);
        const QVariantMap key = {{QStringLiteral("P_CDFILIAL"), QStringLiteral("0001")},
                                 {QStringLiteral("P_NRCOLEPRECO"), number}};
        QElapsedTimer timer;
        timer.start();
        db.transaction([&] {
            insert(db, QStringLiteral("INSERT INTO COLETAPR (CDFILIAL, NRCOLEPRECO, DTCOLEPREC, DTINIVALCOL, DTFINVALCOL, "
                                      "CDOPERADOR) VALUES ('0001', :V0, :V1, :V1, :V1, :V2)"),
                   {number, kCollection, padOperator(QStringLiteral("COMP01"))});
            QSqlQuery region = db.prepare(ServerText::sql(QStringLiteral("CreateRegion"), db.isPostgres()));
            QSqlQuery supplier = db.prepare(ServerText::sql(QStringLiteral("CreateSupplier"), db.isPostgres()));
            for (int r = 1; r <= kRegions; ++r) {
                QVariantMap row = key;
                row.insert(QStringLiteral("P_CDREGIAO"), code(r, 3));
                db.run(region, row);
                for (int s = 1; s <= kSuppliers; ++s) {
                    row.insert(QStringLiteral("P_CDFORNECED"), code(s, 21));
                    db.run(supplier, row);
                }
            }
            QSqlQuery item = db.prepare(ServerText::sql(QStringLiteral("CreateItem"), db.isPostgres()));
            QVariantMap row = key;
            row.insert(QStringLiteral("P_VRPRECUNIITM"), 0.0);
            row.insert(QStringLiteral("P_QTACMPITMCOL"), 0.0);
            row.insert(QStringLiteral("P_CDFORMPGTO"), QStringLiteral("001"));
            row.insert(QStringLiteral("P_DSOBSITMCOL"), QVariant(QMetaType(QMetaType::QString)));
            for (int r = 1; r <= kRegions; ++r) {
                row.insert(QStringLiteral("P_CDREGIAO"), code(r, 3));
                for (int s = 1; s <= kSuppliers; ++s) {
                    row.insert(QStringLiteral("P_CDFORNECED"), code(s, 21));
                    for (int p = 1; p <= kProducts; ++p) {
                        row.insert(QStringLiteral("P_CDPRODUTO"), code(100 + p, 10));
                        for (int b = 1; b <= kBrands; ++b) {
                            row.insert(QStringLiteral("P_CDMARCA"), code(b, 5));
                            db.run(item, row);
                        }
                    }
                }
            }
        });
        g_fixture->rawMs += timer.nsecsElapsed() / 1e6;
        ++g_fixture->rawRuns;
    }
    state.counters["items"] = kRegions * kSuppliers * kProducts * kBrands;
}
BENCHMARK(BM_RawItemInsert_100k)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Fixture fixture;
    g_fixture = &fixture;
    registerServerObjects(fixture.table);
    fixture.session.operatorCode = padOperator(QStringLiteral("COMP01"));
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
        config.name = QStringLiteral("sup_bench_%1").arg(getpid());
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
    if (!fixture.db->open(&error) || !fixture.db->migrate(&error)) {
        std::fprintf(stderr, "cannot prepare the database: %s\n", qPrintable(error));
        return 1;
    }
    buildData(*fixture.db);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (fixture.createRuns > 0 && fixture.rawRuns > 0) {
        const double create = fixture.createMs / fixture.createRuns;
        const double raw = fixture.rawMs / fixture.rawRuns;
        std::printf("IncluirCotacao %.1f ms, raw insert %.1f ms, ratio %.2f (target <= 2)\n", create, raw, create / raw);
    }
    return 0;
}
