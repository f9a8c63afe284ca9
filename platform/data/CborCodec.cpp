#include "CborCodec.h"

#include "CborDecoder.h"
#include "CborEncoder.h"
#include "DataPacket.h"

#include <QCborStreamReader>
#include <QCborStreamWriter>
#include <QDate>
#include <QDateTime>
#include <QStringList>

#include <limits>

namespace {

constexpr quint64 kTagDateTimeText = 0;
constexpr quint64 kTagGenericObject = 27;
constexpr quint64 kTagFullDate = 1004;
constexpr int kMaxDepth = 64;
const QString kPacketClass = QStringLiteral("DataPacket");

// ------------------------------------------------------------------------- writing

void writePacket(QCborStreamWriter &w, const DataPacket &p);

void writeRow(QCborStreamWriter &w, const QVariantList &row)
{
    w.startArray(quint64(row.size()));
    for (const QVariant &v : row)
        CborCodec::write(w, v);
    w.endArray();
}

void writePacket(QCborStreamWriter &w, const DataPacket &p)
{
    w.append(QCborTag(kTagGenericObject));
    w.startArray(2);
    w.append(kPacketClass);
    w.startMap(2);
    w.append(QLatin1String("fields"));
    w.startArray(quint64(p.fields().size()));
    for (const FieldDef &f : p.fields()) {
        w.startMap(4);
        w.append(QLatin1String("name"));
        w.append(f.name);
        w.append(QLatin1String("type"));
        w.append(fieldTypeName(f.type));
        w.append(QLatin1String("size"));
        w.append(qint64(f.size));
        w.append(QLatin1String("required"));
        w.append(f.required);
        w.endMap();
    }
    w.endArray();
    if (!p.isDelta()) {
        w.append(QLatin1String("rows"));
        w.startArray(quint64(p.rows().size()));
        for (const QVariantList &row : p.rows())
            writeRow(w, row);
        w.endArray();
    } else {
        w.append(QLatin1String("changes"));
        w.startArray(quint64(p.changes().size()));
        for (const DeltaRow &c : p.changes()) {
            w.startMap(3);
            w.append(QLatin1String("kind"));
            w.append(c.kind == RowChange::Insert   ? QLatin1String("insert")
                     : c.kind == RowChange::Delete ? QLatin1String("delete")
                                                   : QLatin1String("modify"));
            w.append(QLatin1String("old"));
            if (c.kind == RowChange::Insert)
                w.appendNull();
            else
                writeRow(w, c.oldValues);
            w.append(QLatin1String("new"));
            if (c.kind == RowChange::Delete)
                w.appendNull();
            else
                writeRow(w, c.newValues);
            w.endMap();
        }
        w.endArray();
    }
    w.endMap();
    w.endArray();
}

// ------------------------------------------------------------------------- reading

class Reader
{
public:
    explicit Reader(QCborStreamReader &r) : m_r(r) {}

    bool value(QVariant *out, int depth);
    QString error;

private:
    bool fail(const QString &why)
    {
        if (error.isEmpty())
            error = why;
        return false;
    }
    bool streamOk()
    {
        if (m_r.lastError() != QCborError::NoError)
            return fail(m_r.lastError().toString());
        return true;
    }
    bool text(QString *out);
    bool array(QVariantList *out, int depth);
    bool map(QVariant *out, int depth);
    bool tagged(QVariant *out, int depth);
    bool packetStream(QVariant *out, int depth);
    bool rowsStream(QList<QVariantList> *rows, int depth);

    QCborStreamReader &m_r;
};

bool Reader::text(QString *out)
{
    // Chunks are read as UTF-8 bytes into one buffer and converted once: much cheaper than
    // the reader's own QString path for the many short texts of a packet.
    out->clear();
    char local[256];
    QByteArray heap;
    char *buffer = local;
    qsizetype capacity = sizeof local;
    qsizetype used = 0;
    for (;;) {
        const qsizetype size = m_r.currentStringChunkSize();
        if (size < 0)
            return fail(m_r.lastError() == QCborError::NoError ? QStringLiteral("invalid text string")
                                                               : m_r.lastError().toString());
        if (used + size > capacity) {
            if (size > qsizetype(1) << 30)
                return fail(QStringLiteral("text string too long"));
            heap.resize(used + size);
            if (buffer == local)
                memcpy(heap.data(), local, size_t(used));
            buffer = heap.data();
            capacity = heap.size();
        }
        const auto chunk = m_r.readStringChunk(buffer + used, size);
        if (chunk.status == QCborStreamReader::Error)
            return fail(m_r.lastError() == QCborError::NoError ? QStringLiteral("invalid text string")
                                                               : m_r.lastError().toString());
        if (chunk.status == QCborStreamReader::EndOfString)
            break;
        used += chunk.data;
    }
    *out = QString::fromUtf8(buffer, used);
    return true;
}

bool Reader::array(QVariantList *out, int depth)
{
    if (!m_r.enterContainer())
        return fail(QStringLiteral("truncated array"));
    while (m_r.lastError() == QCborError::NoError && m_r.hasNext()) {
        QVariant item;
        if (!value(&item, depth + 1))
            return false;
        out->append(std::move(item));
    }
    if (!streamOk())
        return false;
    if (!m_r.leaveContainer())
        return fail(QStringLiteral("truncated array"));
    return streamOk();
}

bool Reader::map(QVariant *out, int depth)
{
    if (!m_r.enterContainer())
        return fail(QStringLiteral("truncated map"));
    QVariantMap textKeys;
    IndexMap indexKeys;
    while (m_r.lastError() == QCborError::NoError && m_r.hasNext()) {
        QVariant key;
        if (m_r.isString()) {
            QString k;
            if (!text(&k))
                return false;
            key = k;
        } else if (m_r.isUnsignedInteger()) {
            const quint64 k = m_r.toUnsignedInteger();
            if (k > quint64(std::numeric_limits<qint64>::max()))
                return fail(QStringLiteral("map key out of range"));
            key = qint64(k);
            m_r.next();
        } else {
            return fail(QStringLiteral("map keys must be text or unsigned integers"));
        }
        if (!streamOk())
            return false;
        if (!m_r.hasNext())
            return fail(QStringLiteral("map key without a value"));
        QVariant item;
        if (!value(&item, depth + 1))
            return false;
        if (key.typeId() == QMetaType::QString)
            textKeys.insert(key.toString(), std::move(item));
        else
            indexKeys.insert(key.toLongLong(), std::move(item));
    }
    if (!streamOk())
        return false;
    if (!m_r.leaveContainer())
        return fail(QStringLiteral("truncated map"));
    if (!textKeys.isEmpty() && !indexKeys.isEmpty())
        return fail(QStringLiteral("a map mixes text and integer keys"));
    *out = indexKeys.isEmpty() ? QVariant(textKeys) : QVariant::fromValue(indexKeys);
    return streamOk();
}

bool Reader::tagged(QVariant *out, int depth)
{
    const quint64 tag = quint64(m_r.toTag());
    m_r.next();
    if (!streamOk())
        return false;
    if (tag == kTagFullDate || tag == kTagDateTimeText) {
        if (!m_r.isString())
            return fail(QStringLiteral("tag %1 needs a text string").arg(tag));
        QString s;
        if (!text(&s))
            return false;
        if (tag == kTagFullDate) {
            const QDate d = QDate::fromString(s, Qt::ISODate);
            if (s.size() != 10 || !d.isValid())
                return fail(QStringLiteral("invalid date \"%1\"").arg(s.left(40)));
            *out = d;
        } else {
            QDateTime dt;
            if (!CborDecoder::dateTimeFromText(s, &dt))
                return fail(QStringLiteral("invalid date-time \"%1\"").arg(s.left(40)));
            *out = dt;
        }
        return true;
    }
    if (tag == kTagGenericObject) {
        if (!m_r.isArray())
            return fail(QStringLiteral("tag 27 needs an array"));
        return packetStream(out, depth);
    }
    return fail(QStringLiteral("unsupported tag %1").arg(tag));
}

// Reads the rows of a packet straight into row lists: the big part of every packet, so
// it skips the intermediate variant per row.
bool Reader::rowsStream(QList<QVariantList> *rows, int depth)
{
    if (!m_r.enterContainer())
        return fail(QStringLiteral("truncated rows"));
    while (m_r.lastError() == QCborError::NoError && m_r.hasNext()) {
        if (!m_r.isArray())
            return fail(QStringLiteral("data packet row %1 is not an array").arg(rows->size() + 1));
        QVariantList row;
        row.reserve(16);
        if (!array(&row, depth + 1))
            return false;
        rows->append(std::move(row));
    }
    if (!streamOk())
        return false;
    if (!m_r.leaveContainer())
        return fail(QStringLiteral("truncated rows"));
    return streamOk();
}

// ["DataPacket", {"fields": [...], "rows" | "changes": [...]}]; rows are streamed, the
// rest goes through the generic reader and the common checks of assemblePacket().
bool Reader::packetStream(QVariant *out, int depth)
{
    if (!m_r.enterContainer())
        return fail(QStringLiteral("truncated data packet"));
    QString cls;
    if (!m_r.hasNext() || !m_r.isString() || !text(&cls) || cls != kPacketClass)
        return fail(QStringLiteral("tag 27 does not hold a data packet"));
    if (!m_r.hasNext() || !m_r.isMap())
        return fail(QStringLiteral("tag 27 does not hold a data packet"));
    if (!m_r.enterContainer())
        return fail(QStringLiteral("truncated data packet"));
    QVariantMap m;
    QList<QVariantList> rows;
    bool haveRows = false;
    while (m_r.lastError() == QCborError::NoError && m_r.hasNext()) {
        QString key;
        if (!m_r.isString() || !text(&key))
            return fail(QStringLiteral("data packet keys must be text"));
        if (!m_r.hasNext())
            return fail(QStringLiteral("map key without a value"));
        if (key == QLatin1String("rows") && m_r.isArray()) {
            if (!rowsStream(&rows, depth + 2))
                return false;
            haveRows = true;
            m.insert(key, QVariantList());
        } else {
            QVariant item;
            if (!value(&item, depth + 2))
                return false;
            m.insert(key, std::move(item));
        }
    }
    if (!streamOk() || !m_r.leaveContainer() || !streamOk())
        return fail(QStringLiteral("truncated data packet"));
    if (m_r.hasNext())
        return fail(QStringLiteral("tag 27 does not hold a data packet"));
    if (!m_r.leaveContainer() || !streamOk())
        return fail(QStringLiteral("truncated data packet"));
    QString why;
    if (!CborCodec::assemblePacket(m, haveRows ? &rows : nullptr, out, &why))
        return fail(why);
    return true;
}

bool Reader::value(QVariant *out, int depth)
{
    if (depth > kMaxDepth)
        return fail(QStringLiteral("nesting deeper than %1 levels").arg(kMaxDepth));
    if (!streamOk())
        return false;
    switch (m_r.type()) {
    case QCborStreamReader::UnsignedInteger: {
        const quint64 v = m_r.toUnsignedInteger();
        if (v > quint64(std::numeric_limits<qint64>::max()))
            return fail(QStringLiteral("integer out of range"));
        *out = QVariant(qlonglong(v));
        m_r.next();
        return streamOk();
    }
    case QCborStreamReader::NegativeInteger: {
        const quint64 n = quint64(m_r.toNegativeInteger()) - 1; // value is -1 - n
        if (n > quint64(std::numeric_limits<qint64>::max()))
            return fail(QStringLiteral("integer out of range"));
        *out = QVariant(qlonglong(-1 - qint64(n)));
        m_r.next();
        return streamOk();
    }
    case QCborStreamReader::String: {
        QString s;
        if (!text(&s))
            return false;
        *out = s;
        return true;
    }
    case QCborStreamReader::ByteArray: {
        QByteArray bytes;
        auto chunk = m_r.readByteArray();
        while (chunk.status == QCborStreamReader::Ok) {
            bytes.append(chunk.data);
            chunk = m_r.readByteArray();
        }
        if (chunk.status == QCborStreamReader::Error)
            return fail(QStringLiteral("invalid byte string"));
        *out = bytes;
        return true;
    }
    case QCborStreamReader::Array: {
        QVariantList list;
        if (!array(&list, depth))
            return false;
        *out = std::move(list);
        return true;
    }
    case QCborStreamReader::Map:
        return map(out, depth);
    case QCborStreamReader::Tag:
        return tagged(out, depth);
    case QCborStreamReader::SimpleType:
        if (m_r.isNull() || m_r.isUndefined())
            *out = QVariant();
        else if (m_r.isTrue())
            *out = true;
        else if (m_r.isFalse())
            *out = false;
        else
            return fail(QStringLiteral("unsupported simple value"));
        m_r.next();
        return streamOk();
    case QCborStreamReader::Float16:
        *out = double(float(m_r.toFloat16()));
        m_r.next();
        return streamOk();
    case QCborStreamReader::Float:
        *out = double(m_r.toFloat());
        m_r.next();
        return streamOk();
    case QCborStreamReader::Double:
        *out = m_r.toDouble();
        m_r.next();
        return streamOk();
    case QCborStreamReader::Invalid:
        return fail(m_r.lastError() == QCborError::NoError ? QStringLiteral("invalid CBOR")
                                                           : m_r.lastError().toString());
    }
    return fail(QStringLiteral("invalid CBOR"));
}

} // namespace

namespace CborCodec {

QString dateTimeText(const QDateTime &dt)
{
    const QTime t = dt.time();
    QString s = dt.date().toString(Qt::ISODate) + QLatin1Char('T') + t.toString(QStringLiteral("HH:mm:ss"));
    if (t.msec() != 0)
        s += QLatin1Char('.') + QString::number(t.msec()).rightJustified(3, QLatin1Char('0'));
    return s + QLatin1Char('Z');
}

void write(QCborStreamWriter &w, const QVariant &v)
{
    if (!v.isValid()) {
        w.appendNull();
        return;
    }
    if (v.metaType() == QMetaType::fromType<DataPacket>()) {
        writePacket(w, *static_cast<const DataPacket *>(v.constData()));
        return;
    }
    if (v.metaType() == QMetaType::fromType<IndexMap>()) {
        const IndexMap &m = *static_cast<const IndexMap *>(v.constData());
        w.startMap(quint64(m.size()));
        for (auto it = m.cbegin(); it != m.cend(); ++it) {
            w.append(qint64(it.key()));
            write(w, it.value());
        }
        w.endMap();
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Nullptr:
        w.appendNull();
        return;
    case QMetaType::Bool:
        w.append(v.toBool());
        return;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long:
        w.append(qint64(v.toLongLong()));
        return;
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::ULong:
        w.append(quint64(v.toULongLong()));
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        w.append(v.toDouble());
        return;
    case QMetaType::QString:
        w.append(*static_cast<const QString *>(v.constData()));
        return;
    case QMetaType::QChar:
        w.append(QString(v.toChar()));
        return;
    case QMetaType::QByteArray:
        w.append(v.toByteArray());
        return;
    case QMetaType::QDate:
        // An empty date edit gives an invalid date: it travels as null, never as a tag
        // the other side cannot read.
        if (!v.toDate().isValid()) {
            w.appendNull();
            return;
        }
        w.append(QCborTag(kTagFullDate));
        w.append(v.toDate().toString(Qt::ISODate));
        return;
    case QMetaType::QDateTime:
        if (!v.toDateTime().isValid()) {
            w.appendNull();
            return;
        }
        w.append(QCborTag(kTagDateTimeText));
        w.append(dateTimeText(v.toDateTime()));
        return;
    case QMetaType::QVariantList: {
        const QVariantList &list = *static_cast<const QVariantList *>(v.constData());
        w.startArray(quint64(list.size()));
        for (const QVariant &item : list)
            write(w, item);
        w.endArray();
        return;
    }
    case QMetaType::QStringList: {
        const QStringList list = v.toStringList();
        w.startArray(quint64(list.size()));
        for (const QString &item : list)
            w.append(item);
        w.endArray();
        return;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap &m = *static_cast<const QVariantMap *>(v.constData());
        w.startMap(quint64(m.size()));
        for (auto it = m.cbegin(); it != m.cend(); ++it) {
            w.append(it.key());
            write(w, it.value());
        }
        w.endMap();
        return;
    }
    default:
        w.append(v.toString());
        return;
    }
}

QByteArray encode(const QVariant &value)
{
    return CborEncoder::encode(value);
}

bool read(QCborStreamReader &reader, QVariant *value, QString *error)
{
    Reader r(reader);
    QVariant v;
    if (!r.value(&v, 0)) {
        if (error)
            *error = r.error;
        return false;
    }
    *value = std::move(v);
    return true;
}

bool decode(const QByteArray &bytes, QVariant *value, QString *error)
{
    CborDecoder decoder(bytes);
    return decoder.decode(value, error);
}

bool streamDecode(const QByteArray &bytes, QVariant *value, QString *error)
{
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("empty input");
        return false;
    }
    QCborStreamReader reader(bytes);
    if (!read(reader, value, error))
        return false;
    if (reader.lastError() != QCborError::NoError || reader.currentOffset() != bytes.size()) {
        if (error)
            *error = reader.lastError() != QCborError::NoError
                         ? reader.lastError().toString()
                         : QStringLiteral("%1 trailing bytes after the item").arg(bytes.size() - reader.currentOffset());
        *value = QVariant();
        return false;
    }
    return true;
}

QByteArray streamEncode(const QVariant &value)
{
    QByteArray bytes;
    QCborStreamWriter w(&bytes);
    write(w, value);
    return bytes;
}

bool assemblePacket(const QVariantMap &m, QList<QVariantList> *streamedRows, QVariant *out, QString *error,
                    bool rowsNormalized)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    DataPacket p;
    const QVariant fields = m.value(QStringLiteral("fields"));
    if (fields.typeId() != QMetaType::QVariantList)
        return fail(QStringLiteral("data packet without field definitions"));
    QList<FieldDef> defs;
    for (const QVariant &f : fields.toList()) {
        const QVariantMap fm = f.toMap();
        FieldDef def;
        def.name = fm.value(QStringLiteral("name")).toString();
        if (def.name.isEmpty() || !fieldTypeFromName(fm.value(QStringLiteral("type")).toString(), &def.type))
            return fail(QStringLiteral("data packet field %1 has no name or an unknown type").arg(defs.size() + 1));
        def.size = fm.value(QStringLiteral("size")).toInt();
        def.required = fm.value(QStringLiteral("required")).toBool();
        defs.append(def);
    }
    p.setFields(std::move(defs));
    const auto rows = m.constFind(QStringLiteral("rows"));
    const auto changes = m.constFind(QStringLiteral("changes"));
    if ((rows == m.cend()) == (changes == m.cend()))
        return fail(QStringLiteral("data packet needs either rows or changes"));
    if (rows != m.cend()) {
        if (rows->typeId() != QMetaType::QVariantList)
            return fail(QStringLiteral("data packet rows are not an array"));
        if (streamedRows) {
            p.rows() = std::move(*streamedRows);
        } else {
            const QVariantList list = rows->toList();
            p.rows().reserve(list.size());
            for (const QVariant &r : list) {
                if (r.typeId() != QMetaType::QVariantList)
                    return fail(QStringLiteral("data packet row %1 is not an array").arg(p.rowCount() + 1));
                p.appendRow(r.toList());
            }
        }
    } else {
        if (changes->typeId() != QMetaType::QVariantList)
            return fail(QStringLiteral("delta changes are not an array"));
        p.setDelta(true);
        for (const QVariant &c : changes->toList()) {
            const QVariantMap cm = c.toMap();
            const QString kind = cm.value(QStringLiteral("kind")).toString();
            DeltaRow change;
            if (kind == QLatin1String("insert"))
                change.kind = RowChange::Insert;
            else if (kind == QLatin1String("modify"))
                change.kind = RowChange::Modify;
            else if (kind == QLatin1String("delete"))
                change.kind = RowChange::Delete;
            else
                return fail(QStringLiteral("delta change %1 has an unknown kind").arg(p.changes().size() + 1));
            const QVariant oldRow = cm.value(QStringLiteral("old"));
            const QVariant newRow = cm.value(QStringLiteral("new"));
            if (oldRow.isValid() && oldRow.typeId() != QMetaType::QVariantList)
                return fail(QStringLiteral("delta change %1: old values are not an array").arg(p.changes().size() + 1));
            if (newRow.isValid() && newRow.typeId() != QMetaType::QVariantList)
                return fail(QStringLiteral("delta change %1: new values are not an array").arg(p.changes().size() + 1));
            if (oldRow.isValid())
                change.oldValues = oldRow.toList();
            if (newRow.isValid())
                change.newValues = newRow.toList();
            p.appendChange(std::move(change));
        }
    }
    QString why;
    if (!(rowsNormalized && streamedRows && !p.isDelta()) && !p.normalize(&why))
        return fail(QStringLiteral("data packet: ") + why);
    *out = QVariant::fromValue(std::move(p));
    return true;
}

} // namespace CborCodec
