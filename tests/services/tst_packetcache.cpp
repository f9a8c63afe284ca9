// The packet cache of the products page: one load per key until reset, nothing kept of a
// load that failed.
#include "PacketCache.h"

#include <QTest>

#include <stdexcept>

namespace {

DataPacket suppliers(const QString &code)
{
    DataPacket packet;
    packet.addField(QStringLiteral("CDFORNECED"), FieldType::String, 21);
    packet.appendRow({code});
    return packet;
}

} // namespace

class tst_PacketCache : public QObject
{
    Q_OBJECT

private slots:
    void eachKeyIsLoadedOnce();
    void keysCompareCodeByCode();
    void failedLoadLeavesNoKey();
    void resetForgetsEveryPacket();
};

void tst_PacketCache::eachKeyIsLoadedOnce()
{
    PacketCache cache;
    int loads = 0;
    auto load = [&loads](const QString &code) {
        return [&loads, code] {
            ++loads;
            return suppliers(code);
        };
    };
    const QStringList a{QStringLiteral("0000000001"), QStringLiteral("001")};
    const QStringList b{QStringLiteral("0000000001"), QStringLiteral("002")};
    bool hit = true;
    QCOMPARE(cache.fetch(a, load(QStringLiteral("F1")), &hit), suppliers(QStringLiteral("F1")));
    QVERIFY(!hit);
    QCOMPARE(cache.fetch(b, load(QStringLiteral("F2")), &hit), suppliers(QStringLiteral("F2")));
    QCOMPARE(cache.fetch(a, load(QStringLiteral("other")), &hit), suppliers(QStringLiteral("F1")));
    QVERIFY(hit);
    QCOMPARE(loads, 2);
    QCOMPARE(cache.size(), 2);

    // A packet without rows is an answer too: it is not asked for again.
    const QStringList empty{QStringLiteral("0000000001"), QStringLiteral("003")};
    cache.fetch(empty, [&loads] { ++loads; return DataPacket(); });
    cache.fetch(empty, [&loads] { ++loads; return DataPacket(); }, &hit);
    QVERIFY(hit);
    QCOMPARE(loads, 3);
}

void tst_PacketCache::keysCompareCodeByCode()
{
    PacketCache cache;
    cache.fetch({QStringLiteral("1"), QStringLiteral("001")}, [] { return suppliers(QStringLiteral("F1")); });
    QVERIFY(cache.contains({QStringLiteral("1"), QStringLiteral("001")}));
    QVERIFY(!cache.contains({QStringLiteral("001"), QStringLiteral("1")}));
    QVERIFY(!cache.contains({QStringLiteral("1"), QStringLiteral("001"), QStringLiteral("F1")}));
    QVERIFY(!cache.contains({QStringLiteral("1")}));
    QVERIFY(!cache.contains({QStringLiteral("1"), QStringLiteral("001 ")}));
}

void tst_PacketCache::failedLoadLeavesNoKey()
{
    PacketCache cache;
    const QStringList key{QStringLiteral("0000000001"), QStringLiteral("001")};
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             cache.fetch(key, []() -> DataPacket { throw std::runtime_error("connection lost"); }));
    QVERIFY(!cache.contains(key));
    QVERIFY(cache.isEmpty());
    int loads = 0;
    bool hit = true;
    QCOMPARE(cache.fetch(key, [&loads] { ++loads; return suppliers(QStringLiteral("F1")); }, &hit),
             suppliers(QStringLiteral("F1")));
    QVERIFY(!hit);
    QCOMPARE(loads, 1);
    QVERIFY(cache.contains(key));
}

void tst_PacketCache::resetForgetsEveryPacket()
{
    PacketCache cache;
    int loads = 0;
    auto load = [&loads] { ++loads; return suppliers(QStringLiteral("F1")); };
    cache.fetch({QStringLiteral("a")}, load);
    cache.fetch({QStringLiteral("b")}, load);
    cache.reset();
    QVERIFY(cache.isEmpty());
    QVERIFY(!cache.contains({QStringLiteral("a")}));
    cache.fetch({QStringLiteral("a")}, load);
    QCOMPARE(loads, 3);
}

QTEST_GUILESS_MAIN(tst_PacketCache)
#include "tst_packetcache.moc"
