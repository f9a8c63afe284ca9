// The direct CBOR paths (CborEncoder, CborDecoder) against the stream writer and reader
// paths they replace on the wire: the same bytes for every value, and the same verdict
// and the same value for every input, well-formed, hand-made or corrupted.

#include "CborCodec.h"
#include "CborEncoder.h"
#include "DataPacket.h"

#include <QRandomGenerator>
#include <QUrl>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

DataPacket itemsPacket(int rows)
{
    DataPacket p;
    p.addField(QStringLiteral("CDFILIAL"), FieldType::String, 4);
    p.addField(QStringLiteral("CDREGIAO"), FieldType::String, 3);
    p.addField(QStringLiteral("CDPRODUTO"), FieldType::String, 10);
    p.addField(QStringLiteral("NMPRODUTO"), FieldType::String, 50);
    p.addField(QStringLiteral("CDMARCA"), FieldType::String, 5);
    p.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
    p.addField(QStringLiteral("QTACOMPRAR"), FieldType::Integer);
    p.addField(QStringLiteral("DTULTALT"), FieldType::Date);
    for (int i = 0; i < rows; ++i) {
        // Codes that repeat, codes that never do, accented names that repeat, the same
        // text in two columns, and texts that differ only in length or case.
        p.appendRow({QStringLiteral("0001"), QString::number(i % 7).rightJustified(3, QLatin1Char('0')),
                     QString::number(i).rightJustified(10, QLatin1Char('0')),
                     i % 5 == 0 ? QStringLiteral("FEIJÃO CARIOCA %1").arg(i % 3) : QStringLiteral("arroz %1").arg(i % 11),
                     i % 4 == 0 ? QStringLiteral("001") : (i % 4 == 1 ? QStringLiteral("0010") : QStringLiteral("m%1").arg(i % 3)),
                     i % 9 == 0 ? QVariant() : QVariant(1.25 * i), qlonglong(i - 100),
                     QDate(2026, 1, 1).addDays(i % 400)});
    }
    return p;
}

// Values of every kind the wire carries, at the boundaries of their encodings.
QList<QVariant> samples()
{
    QList<QVariant> v;
    v << QVariant() << QVariant::fromValue(nullptr) << true << false;
    for (qint64 i : {0LL, 1LL, 23LL, 24LL, 255LL, 256LL, 65535LL, 65536LL, 4294967295LL, 4294967296LL,
                     std::numeric_limits<qint64>::max()}) {
        v << QVariant(qlonglong(i)) << QVariant(qlonglong(-1 - i));
    }
    v << QVariant(int(-7)) << QVariant(uint(300)) << QVariant(qulonglong(std::numeric_limits<quint64>::max()))
      << QVariant(short(-2)) << QVariant(float(1.5f));
    v << 0.0 << -0.0 << 1.0 / 3 << 1e300 << -1e-300 << std::numeric_limits<double>::infinity()
      << std::numeric_limits<double>::quiet_NaN();
    v << QString() << QStringLiteral("") << QStringLiteral("0001") << QString(23, u'a') << QString(24, u'b')
      << QString(300, u'c') << QString(70000, u'd') << QStringLiteral("Observação çà €")
      << QString(QChar(0xd800)) + QStringLiteral("x") // a lone surrogate
      << QString::fromUtf8("\xf0\x9f\x98\x80"); // outside the basic plane
    v << QVariant(QChar(u'é')) << QByteArray() << QByteArray("\x00\x01\xff", 3);
    v << QDate(2026, 12, 7) << QDate(1, 1, 1) << QDate(9999, 12, 31) << QDate(10000, 1, 1) << QDate();
    v << QDateTime(QDate(2026, 12, 7), QTime(8, 30), Qt::UTC)
      << QDateTime(QDate(2026, 12, 7), QTime(8, 30, 1, 5), Qt::UTC) << QDateTime();
    v << QVariant(QVariantList{}) << QVariant(QVariantList{1, QStringLiteral("x"), QVariantList{QVariant()}})
      << QVariant(QStringList{QStringLiteral("a"), QStringLiteral("é")});
    v << QVariant(QVariantMap{}) << QVariant(QVariantMap{{QStringLiteral("id"), 7}, {QStringLiteral("ação"), 1.5}});
    v << QVariant::fromValue(IndexMap{{0, QStringLiteral("a")}, {3, QVariant()}, {1000, 2}});
    v << QVariant(QUrl(QStringLiteral("http://x/y"))); // anything else travels as its text
    v << packetVariant(itemsPacket(3)) << packetVariant(itemsPacket(0)) << packetVariant(itemsPacket(70));
    // Values the reader brings to their field's type: an integer price, a date-time in a
    // date field, a date in a date-time field; and a row one value short.
    DataPacket converted;
    converted.addField(QStringLiteral("VRPRECUNIITM"), FieldType::Float);
    converted.addField(QStringLiteral("DTINIVALCOL"), FieldType::Date);
    converted.addField(QStringLiteral("DTULTALT"), FieldType::DateTime);
    converted.appendRow({qlonglong(3), QDateTime(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC), QDate(2026, 1, 2)});
    converted.appendRow({-2.5, QDate(2026, 1, 3), QDateTime(QDate(2026, 1, 3), QTime(5, 6), Qt::UTC)});
    v << packetVariant(converted);
    converted.appendRow({1.0, QDate(2026, 1, 4)});
    v << packetVariant(converted);
    DataPacket delta(itemsPacket(0).fields());
    delta.setDelta(true);
    const QVariantList row = itemsPacket(1).rows().first();
    delta.appendChange({RowChange::Insert, {}, row});
    delta.appendChange({RowChange::Modify, row, row});
    delta.appendChange({RowChange::Delete, row, {}});
    v << packetVariant(delta);
    v << QVariant(QVariantMap{{QStringLiteral("result"), packetVariant(itemsPacket(2))},
                              {QStringLiteral("refs"), QVariant::fromValue(IndexMap{{1, packetVariant(delta)}})}});
    return v;
}

// Hand-made inputs the encoder never writes, valid or not.
QList<QByteArray> handMade()
{
    return {
        hex("7f6161626262ff"),         // text in chunks
        hex("7fff"),                   // empty text in chunks
        hex("7f6161ff00"),             // trailing byte
        hex("7f4161ff"),               // a byte chunk inside a text
        hex("7f7f6161ffff"),           // an indefinite chunk inside a text
        hex("5f41614162ff"),           // bytes in chunks
        hex("9f0102ff"),               // array of indefinite length
        hex("9f0102"),                 // ... never closed
        hex("bf616101616202ff"),       // map of indefinite length
        hex("bf6161ff"),               // ... with a key and no value
        hex("a20001616102"),           // integer and text keys together
        hex("a1f400"),                 // a boolean key
        hex("1800"), hex("190001"), hex("1a00000001"), hex("1b0000000000000001"), // long heads
        hex("1bffffffffffffffff"),     // beyond qint64
        hex("3bffffffffffffffff"),
        hex("3b7fffffffffffffff"),     // the smallest qint64
        hex("f93c00"), hex("f97c00"), hex("f9fe00"), hex("fa3fc00000"), // float16 and float32
        hex("f0"), hex("f7"), hex("f818"), hex("f8ff"), // simple values
        hex("ff"), hex("81ff"),        // a break where a value belongs
        hex("1c"), hex("5d"), hex("7e"), hex("9c"), hex("bd"), hex("dc"), hex("fc"), // reserved
        hex("1f"), hex("3f"), hex("df"), // indefinite where no length exists
        hex("6261"),                   // text shorter than it says
        hex("7b7fffffffffffffff61"),   // an absurd length
        hex("9b7fffffffffffffff01"),
        hex("bb7fffffffffffffff01"),
        hex("62c328"), hex("63e282"), hex("62c0af"), hex("63eda080"), hex("64f4908080"), hex("61ff"), // ill-formed UTF-8
        hex("63e282ac"),               // good UTF-8
        hex("d903ec6a323032362d31322d3037"), // a date
        hex("d903ec6a323032362d31332d3037"), // month 13
        hex("d903ec6a2b3032362d31322d3037"),
        hex("d903ec01"),               // a date that is not text
        hex("c074323032362d31322d30375430383a33303a30305a"), // date-time
        hex("c078193230323620313a30303a30302b30333a3030"), // no T
        hex("c100"), hex("c200"), hex("d9ffff00"), // other tags
        hex("d81b8201"),               // tag 27 without a data packet
        hex("d81b02"),
        hex("d81b826a446174615061636b6574a0"),     // a packet map with nothing in it
        hex("d81b836a446174615061636b6574a000"),   // three items
        hex("d81b9f6a446174615061636b6574a0ff"),   // indefinite array
        hex("d81b816a446174615061636b6574"),       // one item
    };
}

bool sameOutcome(const QByteArray &bytes, QString *why)
{
    QVariant direct, stream;
    QString directError, streamError;
    const bool directOk = CborCodec::decode(bytes, &direct, &directError);
    const bool streamOk = CborCodec::streamDecode(bytes, &stream, &streamError);
    if (directOk != streamOk) {
        *why = QStringLiteral("%1: direct %2 (%3), stream %4 (%5)")
                   .arg(QString::fromLatin1(bytes.left(48).toHex()), directOk ? "ok" : "refused", directError,
                        streamOk ? "ok" : "refused", streamError);
        return false;
    }
    if (directOk != directError.isEmpty() && !directOk) {
        *why = QStringLiteral("%1: refused without a reason").arg(QString::fromLatin1(bytes.left(48).toHex()));
        return false;
    }
    // Same value: the same type and bytes when written again (NaN and -0.0 included).
    if (directOk && (direct.metaType() != stream.metaType()
                     || CborCodec::streamEncode(direct) != CborCodec::streamEncode(stream))) {
        *why = QStringLiteral("%1: decoded differently").arg(QString::fromLatin1(bytes.left(48).toHex()));
        return false;
    }
    return true;
}

} // namespace

class tst_CborDirect : public QObject
{
    Q_OBJECT

private slots:
    void encoderWritesTheStreamWritersBytes();
    void framesCarryTheItemLength();
    void decoderAgreesOnEveryValue();
    void decoderAgreesOnHandMadeInput();
    void decoderAgreesOnCorruptedPackets();
    void sharedTextsOfALargePacketKeepTheirValues();
};

void tst_CborDirect::encoderWritesTheStreamWritersBytes()
{
    const QList<QVariant> values = samples();
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray direct = CborCodec::encode(values.at(i));
        const QByteArray stream = CborCodec::streamEncode(values.at(i));
        QVERIFY2(direct == stream, qPrintable(QStringLiteral("sample %1 (%2): %3 vs %4")
                                                  .arg(i).arg(QString::fromLatin1(values.at(i).typeName()),
                                                              QString::fromLatin1(direct.left(40).toHex()),
                                                              QString::fromLatin1(stream.left(40).toHex()))));
    }
}

void tst_CborDirect::framesCarryTheItemLength()
{
    for (const QVariant &v : {QVariant(), packetVariant(itemsPacket(500))}) {
        const QByteArray frame = CborEncoder::encodeFrame(v);
        const QByteArray item = CborCodec::streamEncode(v);
        QCOMPARE(frame.size(), item.size() + 4);
        QCOMPARE(qFromBigEndian<quint32>(frame.constData()), quint32(item.size()));
        QCOMPARE(frame.mid(4), item);
    }
}

void tst_CborDirect::decoderAgreesOnEveryValue()
{
    QString why;
    for (const QVariant &v : samples()) {
        const QByteArray bytes = CborCodec::streamEncode(v);
        QVERIFY2(sameOutcome(bytes, &why), qPrintable(why));
        // Every cut of a small item is refused by both.
        if (bytes.size() < 300) {
            for (qsizetype cut = 0; cut < bytes.size(); ++cut)
                QVERIFY2(sameOutcome(bytes.left(cut), &why), qPrintable(why));
        }
    }
}

void tst_CborDirect::decoderAgreesOnHandMadeInput()
{
    QString why;
    for (const QByteArray &bytes : handMade())
        QVERIFY2(sameOutcome(bytes, &why), qPrintable(why));
    // Nesting at and beyond the limit, plain and inside a packet's rows.
    for (int depth : {63, 64, 65, 66}) {
        const QByteArray nested = QByteArray(depth, '\x81') + QByteArray(1, '\x01');
        QVERIFY2(sameOutcome(nested, &why), qPrintable(why));
    }
    DataPacket p;
    p.addField(QStringLiteral("X"), FieldType::String);
    p.appendRow({QStringLiteral("a")});
    QByteArray packet = CborCodec::streamEncode(packetVariant(p));
    for (int depth : {58, 59, 60, 61, 62}) {
        const QByteArray nested = QByteArray(depth, '\x81') + packet;
        QVERIFY2(sameOutcome(nested, &why), qPrintable(why));
    }
}

// Random damage to real packets: every byte changed somewhere, bytes cut out and bytes
// put in.  Both readers must take or refuse each input alike.
void tst_CborDirect::decoderAgreesOnCorruptedPackets()
{
    QRandomGenerator rng(20261207);
    QString why;
    DataPacket delta(itemsPacket(0).fields());
    delta.setDelta(true);
    delta.appendChange({RowChange::Modify, itemsPacket(1).rows().first(), itemsPacket(1).rows().first()});
    const QList<QByteArray> originals{CborCodec::streamEncode(packetVariant(itemsPacket(5))),
                                      CborCodec::streamEncode(packetVariant(delta)),
                                      CborCodec::streamEncode(QVariantMap{{QStringLiteral("id"), 3},
                                                                          {QStringLiteral("result"), packetVariant(itemsPacket(2))}})};
    for (const QByteArray &original : originals) {
        for (qsizetype at = 0; at < original.size(); ++at) {
            QByteArray bytes = original;
            bytes[at] = char(rng.bounded(256));
            QVERIFY2(sameOutcome(bytes, &why), qPrintable(why));
        }
        for (int round = 0; round < 2000; ++round) {
            QByteArray bytes = original;
            const int edits = 1 + int(rng.bounded(4));
            for (int e = 0; e < edits; ++e) {
                const qsizetype at = rng.bounded(int(bytes.size()));
                switch (rng.bounded(3)) {
                case 0: bytes[at] = char(rng.bounded(256)); break;
                case 1: bytes.remove(at, 1 + rng.bounded(3)); break;
                default: bytes.insert(at, char(rng.bounded(256))); break;
                }
                if (bytes.isEmpty())
                    bytes = original;
            }
            QVERIFY2(sameOutcome(bytes, &why), qPrintable(why));
        }
    }
}

// The rows of a large packet share repeated short texts per column; every value must
// still be the text that was sent, whatever its column, length, case or accents, also
// beyond the number of texts a column remembers.
void tst_CborDirect::sharedTextsOfALargePacketKeepTheirValues()
{
    DataPacket p = itemsPacket(3000);
    for (int i = 0; i < p.rowCount(); ++i)
        p.rows()[i][1] = QStringLiteral("R%1").arg(i % 5000 < 2500 ? i % 5000 : i); // many distinct, then repeats
    p.rows()[10][4] = QStringLiteral("0001"); // the text of another column
    p.rows()[11][4] = QStringLiteral("M1");   // case differs from m1
    QVariant back;
    QString error;
    QVERIFY2(CborCodec::decode(CborCodec::encode(packetVariant(p)), &back, &error), qPrintable(error));
    QVERIFY(isPacket(back));
    QVERIFY(back.value<DataPacket>() == p);
    DataPacket decoded = back.value<DataPacket>();
    // Changing one shared text leaves the others alone.
    decoded.rows()[0][0] = QStringLiteral("9999");
    QCOMPARE(decoded.rows()[1][0].toString(), QStringLiteral("0001"));
}

QTEST_GUILESS_MAIN(tst_CborDirect)
#include "tst_cbordirect.moc"
