// Round trips over the wire on loopback: one small call's latency, and calls per second
// with 50 clients calling at once.  The server runs in this process, in its own thread,
// on a temporary SQLite database (see tests/server/TestServer.h).

#include "NetConnection.h"
#include "TestServer.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

TestServer *g_server = nullptr;

void setCredentials()
{
    NetCredentials credentials;
    credentials.operatorCode = QString::fromLatin1(TestServer::kOperator);
    credentials.password = QString::fromLatin1(TestServer::kPassword);
    credentials.branch = QStringLiteral("1");
    credentials.client = QStringLiteral("bench_wire");
    NetConnection::setDefaultCredentials(credentials);
}

void configure(NetConnection &connection)
{
    connection.setServerName(QString::fromLatin1(TestServer::kObject));
    connection.setHost(QStringLiteral("127.0.0.1"));
    connection.setPort(g_server->port());
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// One client, one small call at a time (a text echoed through a worker).
void BM_SmallCallRoundTrip(benchmark::State &state)
{
    NetConnection connection;
    configure(connection);
    connection.open();
    std::vector<double> micros;
    const QVariant argument = QStringLiteral("0001");
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(connection.call(QStringLiteral("Echo"), {argument}));
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["median_us"] = median(micros);
}
BENCHMARK(BM_SmallCallRoundTrip)->Iterations(5000)->Unit(benchmark::kMicrosecond);

// 50 clients, each on its own thread (a QThread, so its socket has an event loop) and
// connection, calling GetParaSupri: a cheap real method that reads the procurement
// parameters through its worker's database connection.
void BM_FiftyClientsCallsPerSecond(benchmark::State &state)
{
    constexpr int kClients = 50;
    const int callsPerClient = int(state.range(0));
    std::vector<double> allMicros;
    for (auto _ : state) {
        std::atomic<int> ready{0};
        std::atomic<bool> go{false};
        std::atomic<int> failures{0};
        std::vector<std::vector<double>> micros(kClients);
        std::vector<std::unique_ptr<QThread>> threads;
        for (int c = 0; c < kClients; ++c) {
            threads.emplace_back(QThread::create([&, c] {
                NetConnection connection;
                configure(connection);
                connection.setServerName(kSuprimentosObject);
                try {
                    connection.open();
                } catch (const NetError &e) {
                    if (failures++ == 0)
                        std::fprintf(stderr, "bench_wire: %s\n", qPrintable(e.message()));
                }
                ++ready;
                while (!go)
                    std::this_thread::yield();
                for (int i = 0; i < callsPerClient; ++i) {
                    const auto start = std::chrono::steady_clock::now();
                    try {
                        connection.call(QStringLiteral("GetParaSupri"), {QStringLiteral("0001")});
                    } catch (const NetError &e) {
                        if (failures++ == 0)
                            std::fprintf(stderr, "bench_wire: %s\n", qPrintable(e.message()));
                    }
                    micros[c].push_back(
                        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
                }
            }));
            threads.back()->start();
        }
        while (ready < kClients)
            std::this_thread::yield();
        const auto start = std::chrono::steady_clock::now();
        go = true;
        for (auto &t : threads)
            t->wait();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (failures > 0)
            state.SkipWithError("calls failed");
        for (const auto &m : micros)
            allMicros.insert(allMicros.end(), m.begin(), m.end());
    }
    state.SetItemsProcessed(state.iterations() * kClients * callsPerClient);
    state.counters["calls_per_s"] = benchmark::Counter(double(state.iterations() * kClients * callsPerClient),
                                                       benchmark::Counter::kIsRate);
    state.counters["median_call_us"] = median(allMicros);
}
BENCHMARK(BM_FiftyClientsCallsPerSecond)->Arg(200)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TestServer server;
    server.config().loginDelayMs = 0;
    registerServerObjects(server.table());
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "bench_wire: cannot start the server: %s\n", qPrintable(error));
        return 1;
    }
    g_server = &server;
    setCredentials();
    // The per-call log line would measure the terminal, not the wire.
    QLoggingCategory::setFilterRules(QStringLiteral("sup.*.info=false"));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    server.stop();
    return 0;
}
