// Crash safety of the large writes: sup-server is killed with SIGKILL at random moments
// while it creates a quotation of thousands of items (IncluirCotacao), confirms 1,000
// changed prices for all regions and suppliers (SetItemCole) and copies a quotation
// (DuplicaCotacao); after each kill it is started again on the same database, and the
// quotation tables must hold either exactly what they held before the write or exactly
// what one complete run of the write leaves (TableSnapshot), with the quotation counter
// advanced only when the new quotation is there.  On SQLite and, when the environment
// names a server, on PostgreSQL.  The kill moments come from a seeded random generator
// (SUP_CRASH_SEED overrides the seed, SUP_CRASH_KILLS the kills per engine).

#include "DataPacket.h"
#include "Database.h"
#include "EngineDatabase.h"
#include "NetConnection.h"
#include "ProtocolContract.h"
#include "ServerProcess.h"
#include "SupplierTwins.h"
#include "TableSnapshot.h"

#include "CborCodec.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <cmath>
#include <memory>

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kBuyer = QStringLiteral("COMP01");
const QString kPassword = QStringLiteral("demo");
constexpr int kConfirmRows = 1000;
constexpr int kSupplierTwins = 4; // five times the demo's suppliers: a quotation of thousands of items
constexpr int kDefaultKills = 21;
constexpr quint32 kDefaultSeed = 17052026;

enum class Write { Create, Confirm, Copy };

const char *writeName(Write w)
{
    switch (w) {
    case Write::Create: return "create";
    case Write::Confirm: return "confirm";
    case Write::Copy: return "copy";
    }
    return "?";
}

QByteArray frame(const QVariantMap &message)
{
    const QByteArray item = CborCodec::encode(message);
    QByteArray out(4, Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(item.size()), out.data());
    return out + item;
}

// Reads one reply frame from a blocking socket; an empty map when none comes in time.
QVariantMap readReply(QTcpSocket &socket, int timeoutMs)
{
    QByteArray buffer;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (buffer.size() >= 4) {
            const quint32 length = qFromBigEndian<quint32>(buffer.constData());
            if (buffer.size() >= 4 + qsizetype(length)) {
                QVariant value;
                QString error;
                return CborCodec::decode(buffer.mid(4, length), &value, &error) ? value.toMap() : QVariantMap();
            }
        }
        if (!socket.waitForReadyRead(int(qMax<qint64>(1, timeoutMs - timer.elapsed()))))
            break;
        buffer += socket.readAll();
    }
    return {};
}

double priceOf(int pair, int generation)
{
    return std::round((10.0 + pair * 0.25 + generation * 0.01) * 100.0) / 100.0;
}

} // namespace

class tst_CrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void killsDuringLargeWritesLeaveThemWholeOrAbsent_data() { EngineDatabase::addEngineRows(); }
    void killsDuringLargeWritesLeaveThemWholeOrAbsent();

private:
    struct Run;
    bool connectClient(Run &run);
    QVariant call(Run &run, const QString &method, const QVariantMap &args);
    QVariantMap argsOf(Run &run, Write write) const;
    DataPacket confirmDelta(const Run &run, int from, int to) const;
    void prepareConfirmRows(Run &run);
    QString highestNumber(Run &run);
    int counter(Run &run);
    void deleteQuotationsAbove(Run &run, const QString &number);
    void waitForOrphanedBackends(Run &run);
    // Sends the write on a connection of its own without waiting for the answer.
    bool fire(Run &run, Write write, QTcpSocket &socket, QString *error);
    // Runs the write to its end and returns what it changed; its duration in ms.
    TableSnapshot::Difference complete(Run &run, Write write, qint64 *ms);
};

struct tst_CrashSafety::Run
{
    EngineDatabase *database = nullptr;
    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<NetConnection> connection;
    QString base;                  // the quotation the confirmations change
    QString source;                // the quotation the copies copy
    qlonglong baseItems = 0;
    DataPacket gridLayout;         // fields of the product grid rows
    QList<QVariantList> rows;      // the rows the confirmation changes, as loaded
    QList<int> pairOfRow;
    int generation = 0;            // prices of this generation are stored
    QDate collection = QDate::currentDate();
};

bool tst_CrashSafety::connectClient(Run &run)
{
    run.connection = std::make_unique<NetConnection>();
    NetCredentials credentials;
    credentials.operatorCode = kBuyer;
    credentials.password = kPassword;
    credentials.branch = kBranch;
    credentials.client = QStringLiteral("tst_crashsafety");
    run.connection->setCredentials(credentials);
    run.connection->setServerName(Protocol::kGridCotaPrec);
    run.connection->setHost(QStringLiteral("127.0.0.1"));
    run.connection->setPort(run.server->port());
    run.connection->setTimeoutMs(120000);
    try {
        run.connection->open();
    } catch (const NetError &e) {
        qWarning("login failed: %s", qPrintable(e.message()));
        return false;
    }
    return true;
}

QVariant tst_CrashSafety::call(Run &run, const QString &method, const QVariantMap &args)
{
    return run.connection->call(Protocol::method(Protocol::kGridCotaPrec, method), args);
}

QVariantMap tst_CrashSafety::argsOf(Run &run, Write write) const
{
    const QDate monday = run.collection.addDays(8 - run.collection.dayOfWeek());
    switch (write) {
    case Write::Create:
        return {{QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("FiliProc"), kBranch},
                {QStringLiteral("CDOPERADOR"), kBuyer}, {QStringLiteral("DTCOLEPREC"), run.collection},
                {QStringLiteral("NRSEMAINIC"), QStringLiteral("01")}, {QStringLiteral("NRSEMAFINAL"), QStringLiteral("01")},
                {QStringLiteral("DTINIVALCOL"), monday}, {QStringLiteral("DTFINVALCOL"), monday.addDays(6)},
                {QStringLiteral("CDPRODINI"), QString()}, {QStringLiteral("CDPRODFIN"), QString()},
                {QStringLiteral("ListaRegiao"), QString()}, {QStringLiteral("ListaForn"), QString()},
                {QStringLiteral("ListaMarca"), QString()}, {QStringLiteral("ListaVerif"), QString()},
                {QStringLiteral("ProdTodos"), true}, {QStringLiteral("CarregaPreco"), false},
                {QStringLiteral("CarregaObs"), true}, {QStringLiteral("DSOBSCOTPREC"), QStringLiteral("Cotação de teste")},
                {QStringLiteral("IDDISMONTLIS"), QStringLiteral("N")}, {QStringLiteral("Operador"), kBuyer},
                {QStringLiteral("Dados_Inex"), QStringLiteral("Nada a incluir")},
                {QStringLiteral("Dados_Inex_UltCot"), QStringLiteral("Sem cotação anterior")},
                {QStringLiteral("NRCOMPRA"), QString()}};
    case Write::Confirm:
        return {{QStringLiteral("DTCOLEPREC"), run.collection}, {QStringLiteral("TodasRegioes"), true},
                {QStringLiteral("FiliProc"), kBranch}, {QStringLiteral("Operador"), kBuyer},
                {QStringLiteral("TodosForn"), true}, {QStringLiteral("TODASREG"), QStringLiteral("Todas as regiões ")},
                {QStringLiteral("UMAREG"), QStringLiteral("Somente esta região ")},
                {QStringLiteral("TODOSFORN"), QStringLiteral(" Todos os fornecedores")},
                {QStringLiteral("UMFORN"), QStringLiteral(" Somente este fornecedor")},
                {QStringLiteral("boConsulta"), false}, {QStringLiteral("CDOPERADOR"), kBuyer}};
    case Write::Copy:
        return {{QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("NRSEMAINIC"), QStringLiteral("02")},
                {QStringLiteral("NRSEMAFINAL"), QStringLiteral("02")}, {QStringLiteral("DTINIVALCOL"), monday.addDays(70)},
                {QStringLiteral("DTFINVALCOL"), monday.addDays(76)}, {QStringLiteral("NRCOLEPRECO"), run.source},
                {QStringLiteral("DTCOLEPREC"), run.collection}, {QStringLiteral("Reajuste"), 3.5},
                {QStringLiteral("PorValidade"), false}, {QStringLiteral("ListaCompradorEscolhida"), false},
                {QStringLiteral("FiliProc"), kBranch}, {QStringLiteral("Operador"), kBuyer},
                {QStringLiteral("ListaRegiaoEscolhida"), false}, {QStringLiteral("N_Dados"), QStringLiteral("Nada a copiar")}};
    }
    return {};
}

// The delta taking every chosen row from the prices of generation from (the grid's own when
// from is -1) to those of generation to.
DataPacket tst_CrashSafety::confirmDelta(const Run &run, int from, int to) const
{
    DataPacket d(run.gridLayout.fields());
    d.setDelta(true);
    const int price = d.fieldIndex(QStringLiteral("VRPRECUNIITM"));
    const int just = d.fieldIndex(QStringLiteral("DSJUSTOPER"));
    const int text = d.fieldIndex(QStringLiteral("DSALTERITMCOT"));
    const int quoted = d.fieldIndex(QStringLiteral("IDITMCOTPREC"));
    for (int i = 0; i < run.rows.size(); ++i) {
        QVariantList before = run.rows.at(i);
        if (from >= 0)
            before[price] = priceOf(run.pairOfRow.at(i), from);
        before[just] = QStringLiteral("Renegociação com o fornecedor");
        QVariantList after = before;
        after[price] = priceOf(run.pairOfRow.at(i), to);
        after[text] = QStringLiteral("Preço Unitário - de: %1 para: %2 /").arg(before.at(price).toString(), after.at(price).toString());
        after[quoted] = QStringLiteral("S");
        d.appendChange({RowChange::Modify, before, after});
    }
    return d;
}

// The first kConfirmRows valid items of the base quotation, region after region and
// supplier after supplier, as the product grid loads them.
void tst_CrashSafety::prepareConfirmRows(Run &run)
{
    const QVariantMap quotation = {{QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("NRCOLEPRECO"), run.base}};
    const DataPacket regions = call(run, QStringLiteral("GetGridRegiao"), quotation).value<DataPacket>();
    QHash<QString, int> pairIndex;
    for (int g = 0; g < regions.rowCount() && run.rows.size() < kConfirmRows; ++g) {
        QVariantMap regionKey = quotation;
        regionKey.insert(QStringLiteral("CDREGIAO"), regions.value(g, QStringLiteral("CDREGIAO")));
        const DataPacket suppliers = call(run, QStringLiteral("GetGridFornecedor"), regionKey).value<DataPacket>();
        for (int s = 0; s < suppliers.rowCount() && run.rows.size() < kConfirmRows; ++s) {
            QVariantMap key = regionKey;
            key.insert(QStringLiteral("CDFORNECED"), suppliers.value(s, QStringLiteral("CDFORNECED")));
            const DataPacket grid = call(run, QStringLiteral("GetGridProdMarc"), key).value<DataPacket>();
            run.gridLayout = DataPacket(grid.fields());
            const DataPacket failing = call(run, QStringLiteral("ValidaDados"),
                                            {{QStringLiteral("Itens"), packetVariant(grid)}, {QStringLiteral("FiliProc"), kBranch},
                                             {QStringLiteral("CDFILIAL"), kBranch}, {QStringLiteral("DTCOLEPREC"), run.collection}})
                                           .value<DataPacket>();
            QSet<QString> refused;
            for (int f = 0; f < failing.rowCount(); ++f)
                refused.insert(failing.value(f, QStringLiteral("CDPRODUTO")).toString() + QLatin1Char('|')
                               + failing.value(f, QStringLiteral("CDMARCA")).toString());
            for (int r = 0; r < grid.rowCount() && run.rows.size() < kConfirmRows; ++r) {
                const QString pair = grid.value(r, QStringLiteral("CDPRODUTO")).toString() + QLatin1Char('|')
                                     + grid.value(r, QStringLiteral("CDMARCA")).toString();
                if (refused.contains(pair))
                    continue;
                if (!pairIndex.contains(pair))
                    pairIndex.insert(pair, int(pairIndex.size()));
                run.rows << grid.rows().at(r);
                run.pairOfRow << pairIndex.value(pair);
            }
        }
    }
}

QString tst_CrashSafety::highestNumber(Run &run)
{
    QSqlQuery q = run.database->db().exec(QStringLiteral("SELECT MAX(NRCOLEPRECO) FROM COLETAPR WHERE CDFILIAL = :F"),
                                          {{QStringLiteral("F"), kBranch}});
    return q.next() ? q.value(0).toString() : QString();
}

int tst_CrashSafety::counter(Run &run)
{
    QSqlQuery q = run.database->db().exec(
        QStringLiteral("SELECT NRULTIMO FROM NUMERADOR WHERE CDFILIAL = :F AND NMSERIE = 'COLETAPR'"),
        {{QStringLiteral("F"), kBranch}});
    return q.next() ? q.value(0).toInt() : -1;
}

// Removes the quotations a create or copy made (and their audit rows), so that the next
// round starts from the same tables.
void tst_CrashSafety::deleteQuotationsAbove(Run &run, const QString &number)
{
    Database &db = run.database->db();
    db.transaction([&] {
        for (const char *table : {"ITCOLETAPR", "COLEFORN", "COLEREGI", "HISTITCOLE", "HISTCOLETA", "COLETAPR"})
            db.exec(QStringLiteral("DELETE FROM %1 WHERE CDFILIAL = :F AND NRCOLEPRECO > :N").arg(QLatin1String(table)),
                    {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), number}});
    });
}

// On PostgreSQL the killed server's database sessions end on their own once they notice
// the closed socket; a statement still running finishes first (and is rolled back).  The
// state is read only when none is left, so a late commit cannot change it afterwards.
void tst_CrashSafety::waitForOrphanedBackends(Run &run)
{
    if (!run.database->isPostgres())
        return;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        QSqlQuery q = run.database->db().exec(QStringLiteral(
            "SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid()"));
        if (q.next() && q.value(0).toInt() == 0)
            return;
        QThread::msleep(20);
    }
    QFAIL("the killed server's database sessions did not end");
}

bool tst_CrashSafety::fire(Run &run, Write write, QTcpSocket &socket, QString *error)
{
    socket.connectToHost(QStringLiteral("127.0.0.1"), run.server->port());
    if (!socket.waitForConnected(10000)) {
        *error = socket.errorString();
        return false;
    }
    socket.write(frame({{QStringLiteral("op"), QStringLiteral("login")}, {QStringLiteral("id"), 1},
                        {QStringLiteral("operator"), kBuyer}, {QStringLiteral("password"), kPassword},
                        {QStringLiteral("branch"), kBranch}, {QStringLiteral("client"), QStringLiteral("tst_crashsafety")}}));
    const QVariantMap login = readReply(socket, 30000);
    if (!login.value(QStringLiteral("ok")).toBool()) {
        *error = QStringLiteral("login refused");
        return false;
    }
    QVariantMap args = argsOf(run, write);
    QString method = QStringLiteral("IncluirCotacao");
    if (write == Write::Confirm) {
        args.insert(QStringLiteral("DeltaGridProdMarc"), packetVariant(confirmDelta(run, run.generation, 1 - run.generation)));
        method = QStringLiteral("SetItemCole");
    } else if (write == Write::Copy) {
        method = QStringLiteral("DuplicaCotacao");
    }
    const MethodContract &contract = Protocol::method(Protocol::kGridCotaPrec, method);
    socket.write(frame({{QStringLiteral("op"), QStringLiteral("call")}, {QStringLiteral("id"), 2},
                        {QStringLiteral("object"), Protocol::kGridCotaPrec}, {QStringLiteral("method"), method},
                        {QStringLiteral("args"), Protocol::positional(contract, args)}}));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(10000)) {
            *error = socket.errorString();
            return false;
        }
    }
    return true;
}

TableSnapshot::Difference tst_CrashSafety::complete(Run &run, Write write, qint64 *ms)
{
    const QString highest = highestNumber(run);
    const TableSnapshot before = TableSnapshot::read(run.database->db(), highest);
    QTcpSocket socket;
    QString error;
    QElapsedTimer timer;
    timer.start();
    if (!fire(run, write, socket, &error))
        qFatal("cannot send the %s: %s", writeName(write), qPrintable(error));
    const QVariantMap reply = readReply(socket, 300000);
    *ms = timer.elapsed();
    if (reply.contains(QStringLiteral("error")) || !reply.contains(QStringLiteral("result")))
        qFatal("the %s failed: %s", writeName(write), qPrintable(QVariant(reply).toString()));
    const QString result = reply.value(QStringLiteral("result")).toString();
    if (write == Write::Create && result.size() != 10)
        qFatal("the quotation was not created: %s", qPrintable(result));
    if (write == Write::Copy && result != QLatin1String("X"))
        qFatal("the quotation was not copied: %s", qPrintable(result));
    if (write == Write::Confirm)
        run.generation = 1 - run.generation;
    return TableSnapshot::read(run.database->db(), highest).since(before);
}

void tst_CrashSafety::killsDuringLargeWritesLeaveThemWholeOrAbsent()
{
    QFETCH(bool, postgres);
    EngineDatabase database(postgres ? DatabaseConfig::Engine::PostgreSQL : DatabaseConfig::Engine::SQLite,
                            QStringLiteral("crash"));
    QString error;
    if (!database.create(EngineDatabase::Content::SmallDemo, &error)) {
        if (error.isEmpty())
            QSKIP(qPrintable(database.skipReason()));
        QFAIL(qPrintable(error));
    }
    QVERIFY2(SupplierTwins::add(database.db(), kSupplierTwins, &error), qPrintable(error));
    QTemporaryDir logDir;
    Run run;
    run.database = &database;
    run.server = std::make_unique<ServerProcess>(database.config(), logDir.filePath(QStringLiteral("server.log")));
    QVERIFY2(run.server->start(&error), qPrintable(error));
    QVERIFY(connectClient(run));

    // Two quotations of thousands of items: one the confirmations change, one the copies
    // copy (so that a copy does not depend on which prices the confirmations left).  Then the
    // reference runs: each write once to its end, remembering what it changes and how long
    // it takes.
    qint64 createMs = 0, confirmMs = 0, copyMs = 0;
    const TableSnapshot::Difference created = complete(run, Write::Create, &createMs);
    run.base = highestNumber(run);
    QCOMPARE(complete(run, Write::Create, &createMs), created);
    run.source = highestNumber(run);
    QSqlQuery items = database.db().exec(QStringLiteral("SELECT COUNT(*) FROM ITCOLETAPR WHERE CDFILIAL = :F AND NRCOLEPRECO = :N"),
                                         {{QStringLiteral("F"), kBranch}, {QStringLiteral("N"), run.base}});
    QVERIFY(items.next());
    run.baseItems = items.value(0).toLongLong();
    items.finish(); // an open read keeps an SQLite connection on its old snapshot
    QVERIFY2(run.baseItems >= 2000, qPrintable(QStringLiteral("only %1 items created").arg(run.baseItems)));

    // The confirmations alternate between the prices of generations 0 and 1; the rows go
    // 0 -> 1 -> 0 once first, so that every later run starts from rows a run like it left.
    prepareConfirmRows(run);
    QVERIFY2(run.rows.size() == kConfirmRows,
             qPrintable(QStringLiteral("%1 valid rows of %2 items").arg(run.rows.size()).arg(run.baseItems)));
    for (const auto &[from, to] : {std::pair{-1, 0}, std::pair{0, 1}, std::pair{1, 0}}) {
        QVariantMap a = argsOf(run, Write::Confirm);
        a.insert(QStringLiteral("DeltaGridProdMarc"), packetVariant(confirmDelta(run, from, to)));
        call(run, QStringLiteral("SetItemCole"), a);
    }
    const TableSnapshot::Difference toOne = complete(run, Write::Confirm, &confirmMs);
    const TableSnapshot::Difference toZero = complete(run, Write::Confirm, &confirmMs);
    QVERIFY2(!toOne.isEmpty() && !toZero.isEmpty(), qPrintable(QStringLiteral("%1 / %2 rows changed").arg(toOne.size()).arg(toZero.size())));
    QCOMPARE(run.generation, 0);

    const TableSnapshot::Difference copied = complete(run, Write::Copy, &copyMs);
    deleteQuotationsAbove(run, run.source);
    qInfo("%s: quotation %s of %lld items; complete runs: create %lld ms, confirm %lld ms, copy %lld ms",
          postgres ? "PostgreSQL" : "SQLite", qPrintable(run.base), run.baseItems, createMs, confirmMs, copyMs);

    const int kills = qEnvironmentVariableIsSet("SUP_CRASH_KILLS") ? qEnvironmentVariableIntValue("SUP_CRASH_KILLS")
                                                                   : kDefaultKills;
    const quint32 seed = qEnvironmentVariableIsSet("SUP_CRASH_SEED") ? quint32(qEnvironmentVariableIntValue("SUP_CRASH_SEED"))
                                                                     : kDefaultSeed;
    QRandomGenerator random(seed + (postgres ? 1 : 0));
    int whole = 0, absent = 0;
    for (int round = 0; round < kills; ++round) {
        const Write write = Write(round % 3);
        const qint64 duration = write == Write::Create ? createMs : write == Write::Confirm ? confirmMs : copyMs;
        const QString highestBefore = highestNumber(run);
        const int counterBefore = counter(run);
        const TableSnapshot before = TableSnapshot::read(database.db(), highestBefore);

        QTcpSocket socket;
        QVERIFY2(fire(run, write, socket, &error), qPrintable(error));
        // Anywhere from the moment the request is out to a little after the write would end.
        const int delay = int(random.bounded(qMax<qint64>(1, duration * 11 / 10)));
        QThread::msleep(delay);
        run.connection.reset();
        run.server->kill();
        socket.abort();
        waitForOrphanedBackends(run);
        QVERIFY2(run.server->start(&error), qPrintable(error));
        QVERIFY(connectClient(run));

        const TableSnapshot::Difference change = TableSnapshot::read(database.db(), highestBefore).since(before);
        const bool advanced = counter(run) != counterBefore;
        const QString where = QStringLiteral("round %1 (%2, kill after %3 ms)").arg(round).arg(QLatin1String(writeName(write))).arg(delay);
        if (change.isEmpty()) {
            ++absent;
            QVERIFY2(write == Write::Confirm || !advanced,
                     qPrintable(where + QStringLiteral(": the quotation counter moved without a quotation")));
            continue;
        }
        ++whole;
        const TableSnapshot::Difference &expected = write == Write::Create ? created
                                                  : write == Write::Copy   ? copied
                                                  : run.generation == 0    ? toOne
                                                                           : toZero;
        QVERIFY2(change == expected,
                 qPrintable(where + QStringLiteral(": the write is half there; against a complete run: ")
                            + TableSnapshot::describe(TableSnapshot::subtract(change, expected))));
        if (write == Write::Confirm) {
            run.generation = 1 - run.generation;
        } else {
            QVERIFY2(advanced, qPrintable(where + QStringLiteral(": a quotation without its number")));
            deleteQuotationsAbove(run, run.source);
        }
    }
    qInfo("%s: %d kills (seed %u): %d writes wholly there, %d wholly absent", postgres ? "PostgreSQL" : "SQLite", kills,
          seed, whole, absent);
    run.connection.reset();
    run.server->stop();
}

QTEST_GUILESS_MAIN(tst_CrashSafety)
#include "tst_crashsafety.moc"
