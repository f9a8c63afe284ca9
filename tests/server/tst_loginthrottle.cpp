// The login throttle on a clock of the test: the doubling delay and its cap, attempts
// checked one at a time per operator (and per address once it has failed), the reset on
// success, and that several connections guess no faster than one.
#include "LoginThrottle.h"

#include <QtTest>

#include <map>

namespace {

const QString kOperator = QStringLiteral("comprador1  ");
const QString kAddress = QStringLiteral("10.0.0.5");

// A clock the test moves by hand.
struct FakeClock
{
    qint64 now = 1000;
    std::function<qint64()> fn() { return [this] { return now; }; }
};

// Password checks made within horizonMs by clients that each send a wrong password,
// wait for the refusal and send the next one at once; a client asked to wait asks again
// when told.  address(i) is the address of client i.
int checksWithin(int clients, qint64 horizonMs, const std::function<QString(int)> &address)
{
    FakeClock clock;
    LoginThrottle throttle(100, 1600, clock.fn());
    std::multimap<qint64, int> due;   // time -> client
    for (int i = 0; i < clients; ++i)
        due.emplace(clock.now, i);
    const qint64 end = clock.now + horizonMs;
    int checks = 0;
    while (!due.empty() && due.begin()->first <= end) {
        const auto [when, client] = *due.begin();
        due.erase(due.begin());
        clock.now = when;
        const int wait = throttle.admit(kOperator, address(client));
        if (wait > 0) {
            due.emplace(when + wait, client);
            continue;
        }
        ++checks;
        const int answerAfter = throttle.failed(kOperator, address(client));
        due.emplace(when + answerAfter, client);
    }
    return checks;
}

// Waits (moving the clock) until the attempt is admitted.
void admitNow(LoginThrottle &throttle, FakeClock &clock, const QString &op = kOperator,
              const QString &address = kAddress)
{
    while (const int wait = throttle.admit(op, address))
        clock.now += wait;
}

} // namespace

class tst_LoginThrottle : public QObject
{
    Q_OBJECT

private slots:
    void delayDoublesUpToTheCap();
    void oneOperatorIsCheckedOneAtATime();
    void addressIsSingleFileOnlyOnceItFailed();
    void parallelGuessesAreNoFasterThanSequential_data();
    void parallelGuessesAreNoFasterThanSequential();
    void successClearsOperatorAndAddress();
    void failuresLongPastAreForgotten();
    void zeroDelayTurnsItOff();
};

void tst_LoginThrottle::delayDoublesUpToTheCap()
{
    FakeClock clock;
    LoginThrottle throttle(100, 1000, clock.fn());
    QList<int> delays;
    for (int i = 0; i < 6; ++i) {
        admitNow(throttle, clock);
        delays << throttle.failed(kOperator, kAddress);
    }
    QCOMPARE(delays, (QList<int>{100, 200, 400, 800, 1000, 1000}));
    QCOMPARE(throttle.operatorFailures(kOperator), 6);
    QCOMPARE(throttle.addressFailures(kAddress), 6);
    // The next attempt waits out the last delay, to the millisecond.
    clock.now += 999;
    QCOMPARE(throttle.admit(kOperator, kAddress), 1);
}

void tst_LoginThrottle::oneOperatorIsCheckedOneAtATime()
{
    FakeClock clock;
    LoginThrottle throttle(100, 1000, clock.fn());
    QCOMPARE(throttle.admit(kOperator, kAddress), 0);
    // The same operator from elsewhere waits while the first attempt is checked ...
    QCOMPARE(throttle.admit(kOperator, QStringLiteral("10.0.0.6")), LoginThrottle::kRetryMs);
    // ... another operator does not.
    QCOMPARE(throttle.admit(QStringLiteral("gerente1    "), QStringLiteral("10.0.0.6")), 0);
    throttle.failed(kOperator, kAddress);
    // After the refusal, the wait is the delay, for every address.
    QCOMPARE(throttle.admit(kOperator, QStringLiteral("10.0.0.7")), 100);
    clock.now += 100;
    QCOMPARE(throttle.admit(kOperator, QStringLiteral("10.0.0.7")), 0);
}

void tst_LoginThrottle::addressIsSingleFileOnlyOnceItFailed()
{
    FakeClock clock;
    LoginThrottle throttle(100, 1000, clock.fn());
    // An office logging in at once: different operators from one address go together.
    for (const char *op : {"a", "b", "c"})
        QCOMPARE(throttle.admit(QString::fromLatin1(op), kAddress), 0);
    throttle.succeeded(QStringLiteral("a"), kAddress);
    throttle.succeeded(QStringLiteral("b"), kAddress);
    throttle.failed(QStringLiteral("c"), kAddress);
    // Once the address has failed, its attempts wait the delay and then go one by one.
    QCOMPARE(throttle.admit(QStringLiteral("d"), kAddress), 100);
    clock.now += 100;
    QCOMPARE(throttle.admit(QStringLiteral("d"), kAddress), 0);
    QCOMPARE(throttle.admit(QStringLiteral("e"), kAddress), LoginThrottle::kRetryMs);
    QCOMPARE(throttle.admit(QStringLiteral("e"), QStringLiteral("10.0.0.9")), 0);
}

void tst_LoginThrottle::parallelGuessesAreNoFasterThanSequential_data()
{
    QTest::addColumn<int>("clients");
    QTest::addColumn<bool>("oneAddress");
    QTest::newRow("8 connections, one address") << 8 << true;
    QTest::newRow("8 connections, 8 addresses") << 8 << false;
    QTest::newRow("50 connections, 50 addresses") << 50 << false;
}

void tst_LoginThrottle::parallelGuessesAreNoFasterThanSequential()
{
    QFETCH(int, clients);
    QFETCH(bool, oneAddress);
    auto address = [oneAddress](int client) {
        return oneAddress ? kAddress : QStringLiteral("10.1.0.%1").arg(client);
    };
    for (qint64 horizon : {0, 150, 1000, 5000, 30000}) {
        const int sequential = checksWithin(1, horizon, address);
        const int parallel = checksWithin(clients, horizon, address);
        QVERIFY2(parallel <= sequential,
                 qPrintable(QStringLiteral("%1 checks in parallel against %2 in sequence within %3 ms")
                                .arg(parallel).arg(sequential).arg(horizon)));
    }
    // Sequential guessing itself is slowed: 100, 200, 400, 800, then 1600 ms apart.
    QCOMPARE(checksWithin(1, 30000, address), 4 + 1 + (30000 - 1500) / 1600);
}

void tst_LoginThrottle::successClearsOperatorAndAddress()
{
    FakeClock clock;
    LoginThrottle throttle(100, 1000, clock.fn());
    for (int i = 0; i < 3; ++i) {
        admitNow(throttle, clock);
        throttle.failed(kOperator, kAddress);
    }
    admitNow(throttle, clock);
    throttle.succeeded(kOperator, kAddress);
    QCOMPARE(throttle.operatorFailures(kOperator), 0);
    QCOMPARE(throttle.addressFailures(kAddress), 0);
    // The next failure starts over at the base delay.
    QCOMPARE(throttle.admit(kOperator, kAddress), 0);
    QCOMPARE(throttle.failed(kOperator, kAddress), 100);
}

void tst_LoginThrottle::failuresLongPastAreForgotten()
{
    FakeClock clock;
    LoginThrottle throttle(100, 1000, clock.fn());
    for (int i = 0; i < 4; ++i) {
        admitNow(throttle, clock);
        throttle.failed(kOperator, kAddress);
    }
    clock.now += LoginThrottle::kForgetAfterMs + 1;
    QCOMPARE(throttle.admit(kOperator, kAddress), 0);
    QCOMPARE(throttle.failed(kOperator, kAddress), 100);
}

void tst_LoginThrottle::zeroDelayTurnsItOff()
{
    FakeClock clock;
    LoginThrottle throttle(0, 1000, clock.fn());
    QCOMPARE(throttle.admit(kOperator, kAddress), 0);
    QCOMPARE(throttle.admit(kOperator, kAddress), 0);
    QCOMPARE(throttle.failed(kOperator, kAddress), 0);
    QCOMPARE(throttle.admit(kOperator, kAddress), 0);
}

QTEST_GUILESS_MAIN(tst_LoginThrottle)
#include "tst_loginthrottle.moc"
