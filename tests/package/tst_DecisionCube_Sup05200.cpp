#include "DecisionCube_Sup05200.h"

#include <QTest>

#include <limits>

using namespace DecisionCube_Sup05200;

class tst_DecisionCube_Sup05200 : public QObject
{
    Q_OBJECT

private slots:
    void capacity_data();
    void capacity();
    void memInfo();
    void loadSetsCapacityFromThisMachine();
};

void tst_DecisionCube_Sup05200::capacity_data()
{
    QTest::addColumn<quint64>("physical");
    QTest::addColumn<quint64>("pageFile");
    QTest::addColumn<quint64>("expected");

    const quint64 allOnes = std::numeric_limits<quint64>::max();
    const quint64 allOnes32 = 0xFFFFFFFFull;
    QTest::newRow("nothing available") << quint64(0) << quint64(0) << quint64(0);
    QTest::newRow("half of the page file counts") << quint64(1000) << quint64(501) << quint64(1250);
    QTest::newRow("physical all ones") << allOnes << quint64(0) << MaxCapacity;
    QTest::newRow("page file all ones") << quint64(0) << allOnes << MaxCapacity / 2;
    QTest::newRow("both all ones") << allOnes << allOnes << MaxCapacity;
    QTest::newRow("32-bit all ones") << allOnes32 << quint64(0) << MaxCapacity;
    // min(C, 1e9 + min(C, 8 GiB) / 2) = 1e9 + 1073741823
    QTest::newRow("large page file clamped before halving")
        << quint64(1000000000) << quint64(8) * 1024 * 1024 * 1024 << quint64(2073741823);
    QTest::newRow("sum clamped") << quint64(2000000000) << quint64(2000000000) << MaxCapacity;
    QTest::newRow("large physical") << quint64(64) * 1024 * 1024 * 1024 << quint64(0) << MaxCapacity;
}

void tst_DecisionCube_Sup05200::capacity()
{
    QFETCH(quint64, physical);
    QFETCH(quint64, pageFile);
    QFETCH(quint64, expected);
    QCOMPARE(memoryCapacity(physical, pageFile), expected);
}

void tst_DecisionCube_Sup05200::memInfo()
{
    const QByteArray text = "MemTotal:       16318480 kB\n"
                            "MemFree:          412345 kB\n"
                            "MemAvailable:    8123456 kB\n"
                            "SwapTotal:       2097148 kB\n"
                            "SwapFree:        1048574 kB\n";
    const MemoryStatus status = parseMemInfo(text);
    QCOMPARE(status.availablePhysical, quint64(8123456) * 1024);
    QCOMPARE(status.availablePageFile, quint64(1048574) * 1024);

    const MemoryStatus noSwap = parseMemInfo("MemAvailable: 10 kB\ngarbage\nSwapFree: x kB\n");
    QCOMPARE(noSwap.availablePhysical, quint64(10240));
    QCOMPARE(noSwap.availablePageFile, quint64(0));
}

void tst_DecisionCube_Sup05200::loadSetsCapacityFromThisMachine()
{
    SetMemoryCapacity(0);
    initialize();
    const MemoryStatus status = readMemoryStatus();
    QVERIFY(status.availablePhysical > 0);
    QVERIFY(MemoryCapacity() > 0);
    QVERIFY(MemoryCapacity() <= MaxCapacity);
}

QTEST_GUILESS_MAIN(tst_DecisionCube_Sup05200)
#include "tst_DecisionCube_Sup05200.moc"
