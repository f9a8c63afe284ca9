// Round trips of every wire value and of data packets and deltas through CBOR, and the
// refusal of corrupt, truncated and malicious input.

#include "CborCodec.h"
#include "DataPacket.h"

#include <QCborStreamWriter>
#include <QtTest>

#include <cmath>

namespace {

DataPacket everyTypePacket()
{
    DataPacket p;
    p.addField(QStringLiteral("CDREGIAO"), FieldType::String, 3, true);
    p.addField(QStringLiteral("SGUNIDADE"), FieldType::FixedString, 2);
    p.addField(QStringLiteral("QTITENS"), FieldType::Integer);
    p.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
    p.addField(QStringLiteral("IDATIVO"), FieldType::Boolean);
    p.addField(QStringLiteral("DTINIVALCOL"), FieldType::Date);
    p.addField(QStringLiteral("DTULTALT"), FieldType::DateTime);
    p.addField(QStringLiteral("DSOBSERVACAO"), FieldType::Memo);
    p.appendRow({QStringLiteral("001"), QStringLiteral("UN"), qlonglong(7), 12.34567, true,
                 QDate(2026, 12, 31), QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999), Qt::UTC),
                 QStringLiteral("Observação com acentuação\nsegunda linha")});
    // nulls everywhere
    p.appendRow({QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    // empty strings, negative zero, extremes, day boundaries
    p.appendRow({QString(""), QString(""), qlonglong(-9223372036854775807LL - 1), -0.0, false,
                 QDate(2027, 1, 1), QDateTime(QDate(2027, 1, 1), QTime(0, 0), Qt::UTC), QString("")});
    p.appendRow({QStringLiteral("999"), QStringLiteral("KG"), qlonglong(9223372036854775807LL), 1e-300, true,
                 QDate(2024, 2, 29), QDateTime(QDate(2024, 2, 29), QTime(0, 0, 0, 1), Qt::UTC), QString()});
    return p;
}

QVariant roundTrip(const QVariant &v, QString *error = nullptr)
{
    QVariant out;
    QString why;
    if (!CborCodec::decode(CborCodec::encode(v), &out, &why)) {
        if (error)
            *error = why;
        return QVariant::fromValue(QStringLiteral("<failed: %1>").arg(why));
    }
    return out;
}

} // namespace

class tst_CborCodec : public QObject
{
    Q_OBJECT

private slots:
    void scalarsRoundTrip_data();
    void scalarsRoundTrip();
    void negativeZeroKeepsItsSign();
    void dateTimeKeepsWallClock();
    void dateTimeTextWithOffsetIsNotConverted();
    void invalidDatesTravelAsNull();
    void packetRoundTrip();
    void deltaRoundTrip();
    void refsMapKeepsIntegerKeys();
    void corruptInputIsAnError_data();
    void corruptInputIsAnError();
    void truncatedPacketNeverHalfFilled();
    void packetWithWrongRowIsRefused();
    void deepNestingIsRefused();
};

void tst_CborCodec::scalarsRoundTrip_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::newRow("null") << QVariant();
    QTest::newRow("true") << QVariant(true);
    QTest::newRow("false") << QVariant(false);
    QTest::newRow("zero") << QVariant(qlonglong(0));
    QTest::newRow("negative") << QVariant(qlonglong(-24));
    QTest::newRow("min") << QVariant(qlonglong(std::numeric_limits<qint64>::min()));
    QTest::newRow("double") << QVariant(1234.56789);
    QTest::newRow("empty text") << QVariant(QString(""));
    QTest::newRow("text") << QVariant(QStringLiteral("Cotação ¤¤ ¥¥"));
    QTest::newRow("date") << QVariant(QDate(1999, 12, 31));
    QTest::newRow("list") << QVariant(QVariantList{qlonglong(1), QStringLiteral("_001__002_"), QVariant()});
}

void tst_CborCodec::scalarsRoundTrip()
{
    QFETCH(QVariant, value);
    const QVariant back = roundTrip(value);
    QCOMPARE(back.isValid(), value.isValid());
    if (value.isValid()) {
        QCOMPARE(back.typeId(), value.typeId());
        QCOMPARE(back, value);
    }
}

void tst_CborCodec::negativeZeroKeepsItsSign()
{
    const QByteArray bytes = CborCodec::encode(QVariant(-0.0));
    // float64: major type 7, additional information 27, then 8 bytes
    QCOMPARE(bytes.size(), 9);
    QCOMPARE(quint8(bytes[0]), quint8(0xfb));
    const QVariant back = roundTrip(QVariant(-0.0));
    QVERIFY(std::signbit(back.toDouble()));
}

void tst_CborCodec::dateTimeKeepsWallClock()
{
    const QDateTime local(QDate(2026, 12, 7), QTime(0, 0), Qt::LocalTime);
    QCOMPARE(CborCodec::dateTimeText(local), QStringLiteral("2026-12-07T00:00:00Z"));
    const QDateTime back = roundTrip(local).toDateTime();
    QCOMPARE(back.date(), local.date());
    QCOMPARE(back.time(), local.time());
}

void tst_CborCodec::dateTimeTextWithOffsetIsNotConverted()
{
    QByteArray bytes;
    QCborStreamWriter w(&bytes);
    w.append(QCborTag(0));
    w.append(QStringLiteral("2026-12-31T23:30:00-03:00"));
    QVariant v;
    QString error;
    QVERIFY2(CborCodec::decode(bytes, &v, &error), qPrintable(error));
    QCOMPARE(v.toDateTime().date(), QDate(2026, 12, 31));
    QCOMPARE(v.toDateTime().time(), QTime(23, 30));
}

void tst_CborCodec::invalidDatesTravelAsNull()
{
    // An empty date edit yields an invalid date; writing it as a tagged empty text made
    // the other side refuse the whole frame.
    QString error;
    const QVariant date = roundTrip(QVariant(QDate()), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(!date.isValid());
    const QVariant dateTime = roundTrip(QVariant(QDateTime()), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(!dateTime.isValid());
}

void tst_CborCodec::packetRoundTrip()
{
    const DataPacket p = everyTypePacket();
    QString error;
    const QVariant back = roundTrip(packetVariant(p), &error);
    QVERIFY2(isPacket(back), qPrintable(error));
    const DataPacket q = back.value<DataPacket>();
    QVERIFY(q == p);
    QVERIFY(!q.rows()[1][0].isValid());              // null stays null
    QCOMPARE(q.rows()[2][0].toString(), QString("")); // empty stays empty, not null
    QVERIFY(q.rows()[2][0].isValid());
    QVERIFY(std::signbit(q.rows()[2][3].toDouble()));
    QCOMPARE(q.rows()[0][2].typeId(), int(QMetaType::LongLong));
    QCOMPARE(q.fields()[0].size, 3);
    QVERIFY(q.fields()[0].required);
}

void tst_CborCodec::deltaRoundTrip()
{
    DataPacket d(everyTypePacket().fields());
    d.setDelta(true);
    const QVariantList row = everyTypePacket().rows()[0];
    QVariantList changed = row;
    changed[3] = 99.5;
    d.appendChange({RowChange::Modify, row, changed});
    d.appendChange({RowChange::Insert, {}, changed});
    d.appendChange({RowChange::Delete, row, {}});
    const DataPacket back = roundTrip(packetVariant(d)).value<DataPacket>();
    QVERIFY(back.isDelta());
    QVERIFY(back == d);
    QCOMPARE(back.changes()[0].newValues[3].toDouble(), 99.5);
    QVERIFY(back.changes()[1].oldValues.isEmpty());
    QVERIFY(back.changes()[2].newValues.isEmpty());
}

void tst_CborCodec::refsMapKeepsIntegerKeys()
{
    IndexMap refs;
    refs.insert(1, QStringLiteral("_0001_"));
    refs.insert(4, QDate(2026, 1, 5));
    QVariantMap reply{{QStringLiteral("id"), qlonglong(3)}, {QStringLiteral("refs"), QVariant::fromValue(refs)}};
    const QVariantMap back = roundTrip(reply).toMap();
    const IndexMap r = back.value(QStringLiteral("refs")).value<IndexMap>();
    QCOMPARE(r.size(), 2);
    QCOMPARE(r.value(4).toDate(), QDate(2026, 1, 5));
}

void tst_CborCodec::corruptInputIsAnError_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("reserved additional info") << QByteArray::fromHex("1c");
    QTest::newRow("truncated text") << QByteArray::fromHex("6a616263");
    QTest::newRow("truncated array") << QByteArray::fromHex("83010203").left(3);
    QTest::newRow("trailing bytes") << QByteArray::fromHex("0101");
    QTest::newRow("huge declared array") << QByteArray::fromHex("9b7fffffffffffffff");
    QTest::newRow("huge declared text") << QByteArray::fromHex("7b7fffffffffffffff41");
    QTest::newRow("bad date") << QByteArray::fromHex("d903ec6a323032362d31332d3031"); // 2026-13-01
    QTest::newRow("date tag on int") << QByteArray::fromHex("d903ec01");
    QTest::newRow("unknown tag") << QByteArray::fromHex("d8ff01");
    QTest::newRow("break outside container") << QByteArray::fromHex("ff");
    QTest::newRow("tag 27 not a packet") << QByteArray::fromHex("d81b820102");
    QTest::newRow("map key is array") << QByteArray::fromHex("a1800101");
}

void tst_CborCodec::corruptInputIsAnError()
{
    QFETCH(QByteArray, bytes);
    QVariant v = QStringLiteral("untouched");
    QString error;
    QVERIFY(!CborCodec::decode(bytes, &v, &error));
    QVERIFY(!error.isEmpty());
}

void tst_CborCodec::truncatedPacketNeverHalfFilled()
{
    const QByteArray full = CborCodec::encode(packetVariant(everyTypePacket()));
    for (int cut = 1; cut < full.size(); ++cut) {
        QVariant v;
        QString error;
        QVERIFY2(!CborCodec::decode(full.left(cut), &v, &error), qPrintable(QString::number(cut)));
        QVERIFY(!isPacket(v));
    }
    // and flipping bytes never crashes; it either decodes to something or fails cleanly
    for (int i = 0; i < full.size(); ++i) {
        QByteArray bad = full;
        bad[i] = char(bad[i] ^ 0x5a);
        QVariant v;
        QString error;
        CborCodec::decode(bad, &v, &error);
    }
}

void tst_CborCodec::packetWithWrongRowIsRefused()
{
    DataPacket p;
    p.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
    p.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    p.appendRow({qlonglong(3), QStringLiteral("00001")}); // integer accepted for a float field
    QVariant v;
    QString error;
    QVERIFY(CborCodec::decode(CborCodec::encode(packetVariant(p)), &v, &error));
    QCOMPARE(v.value<DataPacket>().rows()[0][0].typeId(), int(QMetaType::Double));

    p.rows()[0] = {QStringLiteral("3,50"), QStringLiteral("00001")}; // text in a float field
    QVERIFY(!CborCodec::decode(CborCodec::encode(packetVariant(p)), &v, &error));
    QVERIFY(error.contains(QStringLiteral("VRPRECUNIITM")));

    p.rows()[0] = {3.5}; // too few values
    QVERIFY(!CborCodec::decode(CborCodec::encode(packetVariant(p)), &v, &error));
}

void tst_CborCodec::deepNestingIsRefused()
{
    QByteArray bytes(10000, char(0x81)); // arrays of one element, ten thousand deep
    bytes.append(char(0x01));
    QVariant v;
    QString error;
    QVERIFY(!CborCodec::decode(bytes, &v, &error));
}

QTEST_GUILESS_MAIN(tst_CborCodec)
#include "tst_cborcodec.moc"
