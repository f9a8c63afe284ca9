#pragma once

#include <QByteArray>
#include <QVariant>

class DataPacket;

// Writes the values of the wire format as CBOR straight into one growing buffer: the fast
// path of CborCodec::encode.  The bytes are exactly those of the stream writer path
// (CborCodec::write): shortest heads, float64 for every floating point value, UTF-8 text,
// dates and date-times as tagged texts, data packets as tag 27 objects.
class CborEncoder
{
public:
    static QByteArray encode(const QVariant &value);
    // A whole frame: the 4-byte big-endian length of the item, then the item.
    static QByteArray encodeFrame(const QVariant &value);

private:
    explicit CborEncoder(qsizetype prefix);

    void value(const QVariant &v);
    void packet(const DataPacket &p);
    void row(const QVariantList &values);
    void head(int major, quint64 arg);
    void text(const QString &s);
    void latin1(const char *s, qsizetype size);
    void bytes(int major, const char *data, qsizetype size);
    void raw(quint8 byte);
    char *reserve(qsizetype size);
    QByteArray take();

    QByteArray m_buffer;
    qsizetype m_used = 0;
};
