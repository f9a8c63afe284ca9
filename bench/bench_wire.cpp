// Round trips over the wire on loopback: one small call's latency, and calls per second
// with 50 clients calling at once.  The server runs in this process, in its own thread,
// on a temporary SQLite database (see tests/server/TestServer.h).
//
// The baseline is a bare TCP echo in the same run: a thread that sends every frame it
// reads straight back, over blocking sockets with TCP_NODELAY.  The small call alternates
// with echoes and reports its median as a ratio of theirs (ratio_to_echo): what the
// framing, CBOR, the dispatch and the worker hop add to the loopback round trip itself.

#include "Database.h"
#include "FrameReader.h"
#include "NetConnection.h"
#include "ServerText.h"
#include "TestServer.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QtEndian>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
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

bool readFully(int fd, char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool writeFully(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

void noDelay(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// The frame a small call sends: the same size on the wire as BM_SmallCallRoundTrip's.
QByteArray smallCallFrame()
{
    return FrameReader::encodeFrame(QVariantMap{{QStringLiteral("op"), QStringLiteral("call")},
                                                {QStringLiteral("id"), 1},
                                                {QStringLiteral("object"), QString::fromLatin1(TestServer::kObject)},
                                                {QStringLiteral("method"), QStringLiteral("Echo")},
                                                {QStringLiteral("args"), QVariantList{QStringLiteral("0001")}}});
}

// The loopback floor: a thread that sends every frame it reads straight back, on plain
// blocking sockets with TCP_NODELAY.
class EchoPeer
{
public:
    EchoPeer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0 || ::listen(m_listener, 1) != 0
            || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_thread = std::thread([this] {
            const int fd = ::accept(m_listener, nullptr, nullptr);
            noDelay(fd);
            std::vector<char> buffer;
            for (;;) {
                char head[4];
                if (!readFully(fd, head, 4))
                    break;
                const quint32 size = qFromBigEndian<quint32>(head);
                buffer.resize(size);
                if (!readFully(fd, buffer.data(), size) || !writeFully(fd, head, 4)
                    || !writeFully(fd, buffer.data(), size))
                    break;
            }
            ::close(fd);
        });
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        m_ok = ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), length) == 0;
        noDelay(m_fd);
    }
    ~EchoPeer()
    {
        ::close(m_fd);
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
    }
    bool ok() const { return m_ok; }

    // One frame out and back; the time it took in microseconds, or a negative number.
    double roundTrip(const QByteArray &frame, QByteArray &back)
    {
        back.resize(frame.size());
        const auto start = std::chrono::steady_clock::now();
        if (!writeFully(m_fd, frame.constData(), size_t(frame.size())) || !readFully(m_fd, back.data(), size_t(back.size())))
            return -1;
        return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    }

private:
    int m_listener = -1;
    int m_fd = -1;
    bool m_ok = false;
    std::thread m_thread;
};

void BM_BareTcpEchoRoundTrip(benchmark::State &state)
{
    EchoPeer echo;
    if (!echo.ok()) {
        state.SkipWithError("cannot listen");
        return;
    }
    const QByteArray frame = smallCallFrame();
    QByteArray back;
    std::vector<double> micros;
    for (auto _ : state) {
        const double us = echo.roundTrip(frame, back);
        if (us < 0)
            state.SkipWithError("echo failed");
        micros.push_back(us);
    }
    state.counters["median_us"] = median(micros);
}
BENCHMARK(BM_BareTcpEchoRoundTrip)->Iterations(5000)->Unit(benchmark::kMicrosecond);

// One client, one small call at a time (a text echoed through a worker), each call
// followed by one bare echo of a frame of the same size: the two see the same state of
// the machine (idle processors wake slowly, a busy one quickly), so their ratio holds
// from run to run where two separate runs differ tenfold.
void BM_SmallCallRoundTrip(benchmark::State &state)
{
    EchoPeer echo;
    if (!echo.ok()) {
        state.SkipWithError("cannot listen");
        return;
    }
    NetConnection connection;
    configure(connection);
    connection.open();
    const QByteArray frame = smallCallFrame();
    QByteArray back;
    std::vector<double> calls, echoes, ratios;
    const QVariant argument = QStringLiteral("0001");
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(connection.call(QStringLiteral("Echo"), {argument}));
        const double call = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        const double bare = echo.roundTrip(frame, back);
        state.ResumeTiming();
        if (bare <= 0) {
            state.SkipWithError("echo failed");
            break;
        }
        calls.push_back(call);
        echoes.push_back(bare);
        ratios.push_back(call / bare);
    }
    state.counters["median_us"] = median(calls);
    state.counters["echo_median_us"] = median(echoes);
    state.counters["ratio_to_echo"] = median(calls) / median(echoes);
    state.counters["median_pair_ratio"] = median(ratios);
}
BENCHMARK(BM_SmallCallRoundTrip)->Iterations(5000)->Unit(benchmark::kMicrosecond);

double g_rawCallsPerSecond = 0;

// The engine alone: the statements GetParaSupri runs (the branch's central branch, then
// its parameters, every column read), as many times as the 50 clients call, spread over
// as many threads as the server has workers, each on its own database connection.  The
// ceiling for calls per second on this machine; the wire's figure is reported against it.
void BM_FiftyClientsRawEngine(benchmark::State &state)
{
    constexpr int kClients = 50;
    const int calls = kClients * int(state.range(0));
    const int threadCount = g_server->config().workers;
    const bool preparedOnce = state.range(1) != 0;
    double perSecond = 0;
    for (auto _ : state) {
        std::atomic<int> failures{0};
        const QString centralSql = ServerText::sql(QStringLiteral("CentralBranch"), false);
        const QString paraSql = ServerText::sql(QStringLiteral("GetParaSupri"), false);
        std::vector<std::unique_ptr<QThread>> threads;
        const auto start = std::chrono::steady_clock::now();
        for (int t = 0; t < threadCount; ++t) {
            // A database connection belongs to the thread that opens it, as on a worker.
            threads.emplace_back(QThread::create([&, t] {
                Database own(g_server->config().database, QStringLiteral("raw-run-%1").arg(t));
                QString error;
                if (!own.open(&error)) {
                    ++failures;
                    return;
                }
                // Arg 1: statements prepared once per thread and run again and again.
                std::optional<QSqlQuery> centralOnce, paraOnce;
                if (preparedOnce) {
                    centralOnce.emplace(own.prepare(centralSql));
                    paraOnce.emplace(own.prepare(paraSql));
                }
                for (int i = t; i < calls; i += threadCount) {
                    try {
                        QSqlQuery central = preparedOnce ? *centralOnce : own.prepare(centralSql);
                        own.run(central, {{QStringLiteral("P_CDFILIAL"), QStringLiteral("0001")}});
                        const QString code = central.next() ? central.value(0).toString() : QString();
                        central.finish();
                        QSqlQuery q = preparedOnce ? *paraOnce : own.prepare(paraSql);
                        own.run(q, {{QStringLiteral("P_CDFILIAL"), code}});
                        const int columns = q.record().count();
                        while (q.next())
                            for (int c = 0; c < columns; ++c)
                                benchmark::DoNotOptimize(q.value(c));
                        q.finish();
                    } catch (const std::exception &) {
                        ++failures;
                    }
                }
            }));
            threads.back()->start();
        }
        for (auto &t : threads)
            t->wait();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        perSecond = calls / seconds;
        if (failures > 0)
            state.SkipWithError("raw statements failed");
    }
    if (!preparedOnce)
        g_rawCallsPerSecond = perSecond;
    state.counters["calls_per_s"] = perSecond;
}
BENCHMARK(BM_FiftyClientsRawEngine)->Args({200, 1})->Args({200, 0})->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// 50 clients, each on its own thread (a QThread, so its socket has an event loop) and
// connection, calling GetParaSupri: a cheap real method that reads the procurement
// parameters through its worker's database connection.
void BM_FiftyClientsCallsPerSecond(benchmark::State &state)
{
    constexpr int kClients = 50;
    const int callsPerClient = int(state.range(0));
    std::vector<double> allMicros;
    double totalSeconds = 0;
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
        totalSeconds += seconds;
        if (failures > 0)
            state.SkipWithError("calls failed");
        for (const auto &m : micros)
            allMicros.insert(allMicros.end(), m.begin(), m.end());
    }
    state.SetItemsProcessed(state.iterations() * kClients * callsPerClient);
    state.counters["calls_per_s"] = benchmark::Counter(double(state.iterations() * kClients * callsPerClient),
                                                       benchmark::Counter::kIsRate);
    state.counters["median_call_us"] = median(allMicros);
    if (g_rawCallsPerSecond > 0 && totalSeconds > 0)
        state.counters["ratio_to_raw"] = double(state.iterations() * kClients * callsPerClient) / totalSeconds
                                         / g_rawCallsPerSecond;
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
