#include "CborEncoder.h"

#include "CborCodec.h"
#include "DataPacket.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QtEndian>

#include <cstring>

namespace {

constexpr int kMajorUnsigned = 0;
constexpr int kMajorNegative = 1;
constexpr int kMajorBytes = 2;
constexpr int kMajorText = 3;
constexpr int kMajorArray = 4;
constexpr int kMajorMap = 5;
constexpr int kMajorTag = 6;
constexpr quint8 kFalse = 0xf4;
constexpr quint8 kTrue = 0xf5;
constexpr quint8 kNull = 0xf6;
constexpr quint8 kDouble = 0xfb;

constexpr quint64 kTagDateTimeText = 0;
constexpr quint64 kTagGenericObject = 27;
constexpr quint64 kTagFullDate = 1004;

bool isAscii(const QChar *s, qsizetype n)
{
    char16_t acc = 0;
    for (qsizetype i = 0; i < n; ++i)
        acc |= s[i].unicode();
    return acc < 0x80;
}

} // namespace

CborEncoder::CborEncoder(qsizetype prefix)
{
    m_buffer.resize(std::max<qsizetype>(256, prefix));
    m_used = prefix;
}

char *CborEncoder::reserve(qsizetype size)
{
    if (m_used + size > m_buffer.size())
        m_buffer.resize(std::max(m_buffer.size() * 2, m_used + size));
    char *at = m_buffer.data() + m_used;
    m_used += size;
    return at;
}

void CborEncoder::raw(quint8 byte)
{
    *reserve(1) = char(byte);
}

void CborEncoder::head(int major, quint64 arg)
{
    const quint8 m = quint8(major << 5);
    if (arg < 24) {
        raw(quint8(m | arg));
    } else if (arg <= 0xff) {
        char *at = reserve(2);
        at[0] = char(m | 24);
        at[1] = char(arg);
    } else if (arg <= 0xffff) {
        char *at = reserve(3);
        at[0] = char(m | 25);
        qToBigEndian<quint16>(quint16(arg), at + 1);
    } else if (arg <= 0xffffffffu) {
        char *at = reserve(5);
        at[0] = char(m | 26);
        qToBigEndian<quint32>(quint32(arg), at + 1);
    } else {
        char *at = reserve(9);
        at[0] = char(m | 27);
        qToBigEndian<quint64>(arg, at + 1);
    }
}

void CborEncoder::bytes(int major, const char *data, qsizetype size)
{
    head(major, quint64(size));
    if (size > 0)
        memcpy(reserve(size), data, size_t(size));
}

void CborEncoder::latin1(const char *s, qsizetype size)
{
    bytes(kMajorText, s, size);
}

void CborEncoder::text(const QString &s)
{
    const qsizetype n = s.size();
    const QChar *chars = s.constData();
    if (isAscii(chars, n)) {
        head(kMajorText, quint64(n));
        char *at = reserve(n);
        for (qsizetype i = 0; i < n; ++i)
            at[i] = char(chars[i].unicode());
        return;
    }
    const QByteArray utf8 = s.toUtf8();
    bytes(kMajorText, utf8.constData(), utf8.size());
}

void CborEncoder::row(const QVariantList &values)
{
    head(kMajorArray, quint64(values.size()));
    for (const QVariant &v : values)
        value(v);
}

void CborEncoder::packet(const DataPacket &p)
{
    head(kMajorTag, kTagGenericObject);
    head(kMajorArray, 2);
    latin1("DataPacket", 10);
    head(kMajorMap, 2);
    latin1("fields", 6);
    head(kMajorArray, quint64(p.fields().size()));
    for (const FieldDef &f : p.fields()) {
        head(kMajorMap, 4);
        latin1("name", 4);
        text(f.name);
        latin1("type", 4);
        text(fieldTypeName(f.type));
        latin1("size", 4);
        const qint64 size = f.size;
        if (size < 0)
            head(kMajorNegative, quint64(-1 - size));
        else
            head(kMajorUnsigned, quint64(size));
        latin1("required", 8);
        raw(f.required ? kTrue : kFalse);
    }
    if (!p.isDelta()) {
        latin1("rows", 4);
        head(kMajorArray, quint64(p.rows().size()));
        for (const QVariantList &r : p.rows())
            row(r);
        return;
    }
    latin1("changes", 7);
    head(kMajorArray, quint64(p.changes().size()));
    for (const DeltaRow &c : p.changes()) {
        head(kMajorMap, 3);
        latin1("kind", 4);
        if (c.kind == RowChange::Insert)
            latin1("insert", 6);
        else if (c.kind == RowChange::Delete)
            latin1("delete", 6);
        else
            latin1("modify", 6);
        latin1("old", 3);
        if (c.kind == RowChange::Insert)
            raw(kNull);
        else
            row(c.oldValues);
        latin1("new", 3);
        if (c.kind == RowChange::Delete)
            raw(kNull);
        else
            row(c.newValues);
    }
}

void CborEncoder::value(const QVariant &v)
{
    if (!v.isValid()) {
        raw(kNull);
        return;
    }
    const int type = v.typeId();
    switch (type) {
    case QMetaType::QString:
        text(*static_cast<const QString *>(v.constData()));
        return;
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long: {
        const qint64 i = v.toLongLong();
        if (i < 0)
            head(kMajorNegative, quint64(-1 - i));
        else
            head(kMajorUnsigned, quint64(i));
        return;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        quint64 bits;
        memcpy(&bits, &d, sizeof bits);
        char *at = reserve(9);
        at[0] = char(kDouble);
        qToBigEndian<quint64>(bits, at + 1);
        return;
    }
    case QMetaType::QDate: {
        // An empty date edit gives an invalid date: it travels as null, never as a tag
        // the other side cannot read.
        const QDate date = *static_cast<const QDate *>(v.constData());
        if (!date.isValid()) {
            raw(kNull);
            return;
        }
        head(kMajorTag, kTagFullDate);
        int y, m, d;
        date.getDate(&y, &m, &d);
        if (y < 1 || y > 9999) {
            text(date.toString(Qt::ISODate));
            return;
        }
        head(kMajorText, 10);
        char *at = reserve(10);
        at[0] = char('0' + y / 1000);
        at[1] = char('0' + y / 100 % 10);
        at[2] = char('0' + y / 10 % 10);
        at[3] = char('0' + y % 10);
        at[4] = '-';
        at[5] = char('0' + m / 10);
        at[6] = char('0' + m % 10);
        at[7] = '-';
        at[8] = char('0' + d / 10);
        at[9] = char('0' + d % 10);
        return;
    }
    case QMetaType::Bool:
        raw(v.toBool() ? kTrue : kFalse);
        return;
    case QMetaType::Nullptr:
        raw(kNull);
        return;
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::ULong:
        head(kMajorUnsigned, quint64(v.toULongLong()));
        return;
    case QMetaType::QChar:
        text(QString(v.toChar()));
        return;
    case QMetaType::QByteArray: {
        const QByteArray &b = *static_cast<const QByteArray *>(v.constData());
        bytes(kMajorBytes, b.constData(), b.size());
        return;
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        if (!dt.isValid()) {
            raw(kNull);
            return;
        }
        head(kMajorTag, kTagDateTimeText);
        text(CborCodec::dateTimeText(dt));
        return;
    }
    case QMetaType::QVariantList:
        row(*static_cast<const QVariantList *>(v.constData()));
        return;
    case QMetaType::QStringList: {
        const QStringList &list = *static_cast<const QStringList *>(v.constData());
        head(kMajorArray, quint64(list.size()));
        for (const QString &item : list)
            text(item);
        return;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap &m = *static_cast<const QVariantMap *>(v.constData());
        head(kMajorMap, quint64(m.size()));
        for (auto it = m.cbegin(); it != m.cend(); ++it) {
            text(it.key());
            value(it.value());
        }
        return;
    }
    default:
        break;
    }
    if (v.metaType() == QMetaType::fromType<DataPacket>()) {
        packet(*static_cast<const DataPacket *>(v.constData()));
        return;
    }
    if (v.metaType() == QMetaType::fromType<IndexMap>()) {
        const IndexMap &m = *static_cast<const IndexMap *>(v.constData());
        head(kMajorMap, quint64(m.size()));
        for (auto it = m.cbegin(); it != m.cend(); ++it) {
            const qint64 key = it.key();
            if (key < 0)
                head(kMajorNegative, quint64(-1 - key));
            else
                head(kMajorUnsigned, quint64(key));
            value(it.value());
        }
        return;
    }
    text(v.toString());
}

QByteArray CborEncoder::take()
{
    m_buffer.resize(m_used);
    return std::move(m_buffer);
}

QByteArray CborEncoder::encode(const QVariant &value)
{
    CborEncoder e(0);
    e.value(value);
    return e.take();
}

QByteArray CborEncoder::encodeFrame(const QVariant &value)
{
    CborEncoder e(4);
    e.value(value);
    QByteArray frame = e.take();
    qToBigEndian<quint32>(quint32(frame.size() - 4), frame.data());
    return frame;
}
