#include "CborDecoder.h"

#include "CborCodec.h"
#include "DataPacket.h"

#include <QDate>
#include <QDateTime>
#include <QFloat16>
#include <QRegularExpression>
#include <QtEndian>

#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kMajorUnsigned = 0;
constexpr int kMajorNegative = 1;
constexpr int kMajorBytes = 2;
constexpr int kMajorText = 3;
constexpr int kMajorArray = 4;
constexpr int kMajorMap = 5;
constexpr int kMajorTag = 6;
constexpr int kMajorSimple = 7;
constexpr quint8 kBreak = 0xff;

constexpr quint64 kTagDateTimeText = 0;
constexpr quint64 kTagGenericObject = 27;
constexpr quint64 kTagFullDate = 1004;

// Texts of a packet column up to this many bytes are looked up among the column's
// earlier texts; codes are short, names and notes are not worth the hashing.
constexpr qsizetype kInternMaxBytes = 64;
// A packet of fewer rows reads its texts one by one: too few to repeat.
constexpr quint64 kInternMinRows = 64;
// Distinct texts remembered per column.
constexpr size_t kInternMaxEntries = 4096;
// After this many look-ups, a column where fewer than a quarter of the texts repeated
// (a product code, a name per row) stops being looked up.
constexpr int kInternProbe = 512;

bool isAscii(const uchar *p, qsizetype n)
{
    quint64 acc = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 w;
        memcpy(&w, p + i, 8);
        acc |= w;
    }
    for (; i < n; ++i)
        acc |= p[i];
    return (acc & 0x8080808080808080ull) == 0;
}

// "YYYY-MM-DD" with digits where digits belong; anything else goes to QDate's own parser.
bool quickDate(const QString &s, QDate *out)
{
    if (s.size() != 10 || s[4] != u'-' || s[7] != u'-')
        return false;
    int v[8];
    static constexpr int at[8] = {0, 1, 2, 3, 5, 6, 8, 9};
    for (int i = 0; i < 8; ++i) {
        const char16_t c = s[at[i]].unicode();
        if (c < u'0' || c > u'9')
            return false;
        v[i] = c - u'0';
    }
    const QDate d(v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3], v[4] * 10 + v[5], v[6] * 10 + v[7]);
    if (!d.isValid())
        return false;
    *out = d;
    return true;
}

// The types of a packet's field definitions, as assemblePacket reads them; false when
// they would not make a packet.
bool fieldTypes(const QVariant &fields, std::vector<FieldType> *types)
{
    if (fields.typeId() != QMetaType::QVariantList)
        return false;
    for (const QVariant &f : *static_cast<const QVariantList *>(fields.constData())) {
        const QVariantMap fm = f.toMap();
        FieldType type;
        if (fm.value(QStringLiteral("name")).toString().isEmpty()
            || !fieldTypeFromName(fm.value(QStringLiteral("type")).toString(), &type))
            return false;
        types->push_back(type);
    }
    return true;
}

struct ColumnTexts
{
    std::unordered_map<std::string_view, QString> seen;
    int lookups = 0;
    int hits = 0;
    bool off = false;
};

} // namespace

struct CborDecoder::Private
{
    const uchar *begin = nullptr;
    const uchar *p = nullptr;
    const uchar *end = nullptr;
    QString error;
    std::vector<ColumnTexts> columns; // the texts of the packet rows being read, per column
    bool intern = false;              // only packets of many rows share their texts
    // The field types of the packet whose rows are being read, when its field definitions
    // came first (the usual order); rows are then brought to those types as they are read.
    std::vector<FieldType> rowTypes;
    bool rowsFit = false;             // every row read so far has the right values

    bool fail(const QString &why)
    {
        if (error.isEmpty())
            error = why;
        return false;
    }
    qsizetype left() const { return end - p; }

    // The head of the next item: major type, argument and whether its length is
    // indefinite.  Refuses reserved additional information and a truncated argument.
    bool head(int *major, quint64 *arg, bool *indefinite)
    {
        if (p >= end)
            return fail(QStringLiteral("truncated item"));
        const quint8 b = *p++;
        *major = b >> 5;
        const int ai = b & 0x1f;
        *indefinite = false;
        if (ai < 24) {
            *arg = quint64(ai);
            return true;
        }
        int size = 0;
        switch (ai) {
        case 24: size = 1; break;
        case 25: size = 2; break;
        case 26: size = 4; break;
        case 27: size = 8; break;
        case 31:
            if (*major == kMajorUnsigned || *major == kMajorNegative || *major == kMajorTag)
                return fail(QStringLiteral("invalid CBOR: indefinite length on a type without length"));
            *indefinite = true;
            *arg = 0;
            return true;
        default:
            return fail(QStringLiteral("invalid CBOR: reserved additional information"));
        }
        if (left() < size)
            return fail(QStringLiteral("truncated item"));
        quint64 v = 0;
        for (int i = 0; i < size; ++i)
            v = (v << 8) | p[i];
        p += size;
        *arg = v;
        return true;
    }

    bool atBreak() const { return p < end && *p == kBreak; }

    // The bytes of a text or byte string (definite, or indefinite made of definite chunks
    // of the same type).  A definite string points into the input; chunks are joined in
    // `joined`.
    bool stringBytes(int major, quint64 arg, bool indefinite, const uchar **data, qsizetype *size,
                     QByteArray *joined)
    {
        if (!indefinite) {
            if (arg > quint64(left()))
                return fail(major == kMajorText ? QStringLiteral("truncated text string")
                                                : QStringLiteral("truncated byte string"));
            *data = p;
            *size = qsizetype(arg);
            p += arg;
            return true;
        }
        joined->clear();
        for (;;) {
            if (p >= end)
                return fail(QStringLiteral("truncated string"));
            if (*p == kBreak) {
                ++p;
                break;
            }
            int m;
            quint64 n;
            bool ind;
            if (!head(&m, &n, &ind))
                return false;
            if (m != major || ind)
                return fail(QStringLiteral("invalid chunk in a string"));
            if (n > quint64(left()))
                return fail(QStringLiteral("truncated string"));
            if (joined->size() + qsizetype(n) > (qsizetype(1) << 30))
                return fail(QStringLiteral("text string too long"));
            joined->append(reinterpret_cast<const char *>(p), qsizetype(n));
            p += n;
        }
        *data = reinterpret_cast<const uchar *>(joined->constData());
        *size = joined->size();
        return true;
    }

    bool toText(const uchar *data, qsizetype size, QString *out)
    {
        if (isAscii(data, size)) {
            *out = QString::fromLatin1(reinterpret_cast<const char *>(data), size);
            return true;
        }
        // Ill-formed sequences become replacement characters, as the stream reader path
        // has always read them.
        *out = QString::fromUtf8(reinterpret_cast<const char *>(data), size);
        return true;
    }

    bool text(quint64 arg, bool indefinite, QString *out)
    {
        const uchar *data = nullptr;
        qsizetype size = 0;
        QByteArray joined;
        return stringBytes(kMajorText, arg, indefinite, &data, &size, &joined) && toText(data, size, out);
    }

    // A text that must come next (a map key, the class of a packet).
    bool nextText(QString *out, const QString &otherwise)
    {
        int major;
        quint64 arg;
        bool indefinite;
        const uchar *at = p;
        if (!head(&major, &arg, &indefinite))
            return false;
        if (major != kMajorText) {
            p = at;
            return fail(otherwise);
        }
        return text(arg, indefinite, out);
    }

    // Items of a container: `count` for a definite one; an indefinite one ends at a break.
    bool more(bool indefinite, quint64 &count)
    {
        if (indefinite) {
            if (p >= end)
                return fail(QStringLiteral("truncated container"));
            if (*p == kBreak) {
                ++p;
                return false;
            }
            return true;
        }
        if (count == 0)
            return false;
        --count;
        return true;
    }

    bool value(QVariant *out, int depth);
    bool array(quint64 arg, bool indefinite, QVariantList *out, int depth);
    bool map(quint64 arg, bool indefinite, QVariant *out, int depth);
    bool tagged(quint64 tag, QVariant *out, int depth);
    bool packet(QVariant *out, int depth);
    bool rows(QList<QVariantList> *rows, int depth);
    bool row(QVariantList *out, int depth);
    bool rowItem(size_t column, QVariant *item, int depth);
    bool fitRow(QVariant *items, qsizetype count) const;
    bool rowText(size_t column, quint64 arg, QVariant *out);
};

bool CborDecoder::Private::array(quint64 arg, bool indefinite, QVariantList *out, int depth)
{
    if (!indefinite) {
        if (arg > quint64(left()))
            return fail(QStringLiteral("truncated array"));
        out->reserve(qsizetype(arg));
    }
    quint64 count = arg;
    while (more(indefinite, count)) {
        QVariant item;
        if (!value(&item, depth + 1))
            return false;
        out->append(std::move(item));
    }
    return error.isEmpty();
}

bool CborDecoder::Private::map(quint64 arg, bool indefinite, QVariant *out, int depth)
{
    if (!indefinite && arg > quint64(left()))
        return fail(QStringLiteral("truncated map"));
    QVariantMap textKeys;
    IndexMap indexKeys;
    quint64 count = arg;
    while (more(indefinite, count)) {
        int major;
        quint64 karg;
        bool kind;
        if (!head(&major, &karg, &kind))
            return false;
        QString textKey;
        if (major == kMajorText) {
            if (!text(karg, kind, &textKey))
                return false;
        } else if (major == kMajorUnsigned) {
            if (karg > quint64(std::numeric_limits<qint64>::max()))
                return fail(QStringLiteral("map key out of range"));
        } else {
            return fail(QStringLiteral("map keys must be text or unsigned integers"));
        }
        if (indefinite && (p >= end || *p == kBreak))
            return fail(QStringLiteral("map key without a value"));
        QVariant item;
        if (!value(&item, depth + 1))
            return false;
        if (major == kMajorText)
            textKeys.insert(textKey, std::move(item));
        else
            indexKeys.insert(qint64(karg), std::move(item));
    }
    if (!error.isEmpty())
        return false;
    if (!textKeys.isEmpty() && !indexKeys.isEmpty())
        return fail(QStringLiteral("a map mixes text and integer keys"));
    *out = indexKeys.isEmpty() ? QVariant(textKeys) : QVariant::fromValue(indexKeys);
    return true;
}

bool CborDecoder::Private::tagged(quint64 tag, QVariant *out, int depth)
{
    if (tag == kTagFullDate || tag == kTagDateTimeText) {
        int major;
        quint64 arg;
        bool indefinite;
        if (!head(&major, &arg, &indefinite))
            return false;
        if (major != kMajorText)
            return fail(QStringLiteral("tag %1 needs a text string").arg(tag));
        QString s;
        if (!text(arg, indefinite, &s))
            return false;
        if (tag == kTagFullDate) {
            QDate d;
            if (!quickDate(s, &d)) {
                d = QDate::fromString(s, Qt::ISODate);
                if (s.size() != 10 || !d.isValid())
                    return fail(QStringLiteral("invalid date \"%1\"").arg(s.left(40)));
            }
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
        if (p >= end || (*p >> 5) != kMajorArray)
            return fail(QStringLiteral("tag 27 needs an array"));
        return packet(out, depth);
    }
    return fail(QStringLiteral("unsupported tag %1").arg(tag));
}

// A text of column `column` of a packet row, shared with an earlier equal text of the
// same column when there is one.
bool CborDecoder::Private::rowText(size_t column, quint64 arg, QVariant *out)
{
    if (arg > quint64(left()))
        return fail(QStringLiteral("truncated text string"));
    const uchar *data = p;
    const qsizetype size = qsizetype(arg);
    p += size;
    if (!intern || size > kInternMaxBytes) {
        QString s;
        if (!toText(data, size, &s))
            return false;
        *out = std::move(s);
        return true;
    }
    if (column >= columns.size())
        columns.resize(column + 1);
    ColumnTexts &c = columns[column];
    if (c.off) {
        QString s;
        if (!toText(data, size, &s))
            return false;
        *out = std::move(s);
        return true;
    }
    const std::string_view key(reinterpret_cast<const char *>(data), size_t(size));
    ++c.lookups;
    const auto it = c.seen.find(key);
    if (it != c.seen.end()) {
        ++c.hits;
        *out = it->second;
        return true;
    }
    QString s;
    if (!toText(data, size, &s))
        return false;
    if (c.lookups >= kInternProbe && c.hits * 4 < c.lookups) {
        c.off = true;
        c.seen = {};
    } else if (c.seen.size() < kInternMaxEntries) {
        c.seen.emplace(key, s);
    }
    *out = std::move(s);
    return true;
}

bool CborDecoder::Private::rowItem(size_t column, QVariant *item, int depth)
{
    if (depth > kMaxDepth)
        return fail(QStringLiteral("nesting deeper than %1 levels").arg(kMaxDepth));
    // Definite texts are the bulk of a packet: read here, without the general path.
    if (p < end && (*p >> 5) == kMajorText && (*p & 0x1f) != 31) {
        int m;
        quint64 n;
        bool ind;
        return head(&m, &n, &ind) && rowText(column, n, item);
    }
    return value(item, depth);
}

// Brings the values of a row to its field types as DataPacket::normalize would, for the
// values this decoder makes; false when a value (or the count) does not fit, and the
// packet's own check then finds and names it.
bool CborDecoder::Private::fitRow(QVariant *items, qsizetype count) const
{
    if (count != qsizetype(rowTypes.size()))
        return false;
    for (qsizetype i = 0; i < count; ++i) {
        QVariant &v = items[i];
        const int id = v.typeId();
        if (id == QMetaType::UnknownType)
            continue;
        switch (rowTypes[size_t(i)]) {
        case FieldType::String:
        case FieldType::FixedString:
        case FieldType::Memo:
            if (id != QMetaType::QString)
                return false;
            break;
        case FieldType::Integer:
            if (id != QMetaType::LongLong)
                return false;
            break;
        case FieldType::Float:
            if (id == QMetaType::LongLong)
                v = QVariant(double(*static_cast<const qlonglong *>(v.constData())));
            else if (id != QMetaType::Double)
                return false;
            break;
        case FieldType::Boolean:
            if (id != QMetaType::Bool)
                return false;
            break;
        case FieldType::Date:
            if (id == QMetaType::QDateTime)
                v = QVariant(static_cast<const QDateTime *>(v.constData())->date());
            else if (id != QMetaType::QDate)
                return false;
            break;
        case FieldType::DateTime:
            if (id == QMetaType::QDate)
                v = QVariant(QDateTime(*static_cast<const QDate *>(v.constData()), QTime(0, 0), Qt::UTC));
            else if (id != QMetaType::QDateTime)
                return false;
            break;
        }
    }
    return true;
}

bool CborDecoder::Private::row(QVariantList *out, int depth)
{
    int major;
    quint64 arg;
    bool indefinite;
    if (!head(&major, &arg, &indefinite))
        return false;
    if (!indefinite) {
        // Filled in place: no temporary value per item.
        if (arg > quint64(left()))
            return fail(QStringLiteral("truncated array"));
        out->resize(qsizetype(arg));
        QVariant *items = out->data();
        for (qsizetype i = 0; i < qsizetype(arg); ++i)
            if (!rowItem(size_t(i), items + i, depth + 1))
                return false;
        if (rowsFit)
            rowsFit = fitRow(items, qsizetype(arg));
        return true;
    }
    quint64 count = 0;
    size_t column = 0;
    while (more(true, count)) {
        QVariant item;
        if (!rowItem(column++, &item, depth + 1))
            return false;
        out->append(std::move(item));
    }
    if (rowsFit && error.isEmpty())
        rowsFit = fitRow(out->data(), out->size());
    return error.isEmpty();
}

bool CborDecoder::Private::rows(QList<QVariantList> *rows, int depth)
{
    int major;
    quint64 arg;
    bool indefinite;
    if (!head(&major, &arg, &indefinite))
        return false;
    if (!indefinite) {
        if (arg > quint64(left()))
            return fail(QStringLiteral("truncated rows"));
        rows->reserve(rows->size() + qsizetype(arg));
    }
    intern = indefinite || arg >= kInternMinRows;
    quint64 count = arg;
    while (more(indefinite, count)) {
        if (p >= end || (*p >> 5) != kMajorArray)
            return fail(QStringLiteral("data packet row %1 is not an array").arg(rows->size() + 1));
        QVariantList r;
        if (!row(&r, depth + 1))
            return false;
        rows->append(std::move(r));
    }
    return error.isEmpty();
}

// ["DataPacket", {"fields": [...], "rows" | "changes": [...]}]: the rows go straight into
// row lists, the rest through the general reader, then the packet's common checks.
bool CborDecoder::Private::packet(QVariant *out, int depth)
{
    int major;
    quint64 arg;
    bool indefinite;
    if (!head(&major, &arg, &indefinite))
        return false;
    quint64 count = arg;
    QString cls;
    const QString notPacket = QStringLiteral("tag 27 does not hold a data packet");
    if (!more(indefinite, count) || !nextText(&cls, notPacket) || cls != QLatin1String("DataPacket"))
        return fail(notPacket);
    if (!more(indefinite, count) || p >= end || (*p >> 5) != kMajorMap)
        return fail(notPacket);
    quint64 mapArg;
    bool mapIndefinite;
    if (!head(&major, &mapArg, &mapIndefinite))
        return false;
    if (!mapIndefinite && mapArg > quint64(left()))
        return fail(QStringLiteral("truncated data packet"));
    QVariantMap m;
    QList<QVariantList> rowList;
    bool haveRows = false;
    quint64 mapCount = mapArg;
    while (more(mapIndefinite, mapCount)) {
        QString key;
        if (!nextText(&key, QStringLiteral("data packet keys must be text")))
            return false;
        if (mapIndefinite && (p >= end || *p == kBreak))
            return fail(QStringLiteral("map key without a value"));
        if (key == QLatin1String("rows") && p < end && (*p >> 5) == kMajorArray) {
            rowTypes.clear();
            const auto fields = m.constFind(QStringLiteral("fields"));
            rowsFit = !haveRows && fields != m.cend() && fieldTypes(*fields, &rowTypes);
            if (!rows(&rowList, depth + 2))
                return false;
            haveRows = true;
            m.insert(key, QVariantList());
        } else {
            if (key == QLatin1String("fields"))
                rowsFit = false; // the rows were checked against other fields
            QVariant item;
            if (!value(&item, depth + 2))
                return false;
            m.insert(key, std::move(item));
        }
    }
    if (!error.isEmpty())
        return false;
    if (indefinite) {
        if (p >= end)
            return fail(QStringLiteral("truncated data packet"));
        if (*p != kBreak)
            return fail(notPacket);
        ++p;
    } else if (count != 0) {
        return fail(notPacket);
    }
    columns.clear();
    intern = false;
    const bool fitted = haveRows && rowsFit;
    rowsFit = false;
    QString why;
    if (!CborCodec::assemblePacket(m, haveRows ? &rowList : nullptr, out, &why, fitted))
        return fail(why);
    return true;
}

bool CborDecoder::Private::value(QVariant *out, int depth)
{
    if (depth > kMaxDepth)
        return fail(QStringLiteral("nesting deeper than %1 levels").arg(kMaxDepth));
    if (p >= end)
        return fail(QStringLiteral("truncated item"));
    if (*p == kBreak)
        return fail(QStringLiteral("invalid CBOR: unexpected break"));
    const quint8 initial = *p;
    int major;
    quint64 arg;
    bool indefinite;
    if (!head(&major, &arg, &indefinite))
        return false;
    switch (major) {
    case kMajorUnsigned:
        if (arg > quint64(std::numeric_limits<qint64>::max()))
            return fail(QStringLiteral("integer out of range"));
        *out = QVariant(qlonglong(arg));
        return true;
    case kMajorNegative:
        if (arg > quint64(std::numeric_limits<qint64>::max()))
            return fail(QStringLiteral("integer out of range"));
        *out = QVariant(qlonglong(-1 - qint64(arg)));
        return true;
    case kMajorBytes: {
        const uchar *data = nullptr;
        qsizetype size = 0;
        QByteArray joined;
        if (!stringBytes(kMajorBytes, arg, indefinite, &data, &size, &joined))
            return false;
        *out = indefinite ? joined : QByteArray(reinterpret_cast<const char *>(data), size);
        return true;
    }
    case kMajorText: {
        QString s;
        if (!text(arg, indefinite, &s))
            return false;
        *out = std::move(s);
        return true;
    }
    case kMajorArray: {
        QVariantList list;
        if (!array(arg, indefinite, &list, depth))
            return false;
        *out = std::move(list);
        return true;
    }
    case kMajorMap:
        return map(arg, indefinite, out, depth);
    case kMajorTag:
        return tagged(arg, out, depth);
    case kMajorSimple:
        break;
    }
    switch (initial & 0x1f) {
    case 20:
        *out = false;
        return true;
    case 21:
        *out = true;
        return true;
    case 22:
    case 23:
        *out = QVariant();
        return true;
    case 25: {
        const quint16 bits = quint16(arg);
        float f;
        qFloatFromFloat16(&f, reinterpret_cast<const qfloat16 *>(&bits), 1);
        *out = double(f);
        return true;
    }
    case 26: {
        const quint32 bits = quint32(arg);
        float f;
        memcpy(&f, &bits, sizeof f);
        *out = double(f);
        return true;
    }
    case 27: {
        double d;
        memcpy(&d, &arg, sizeof d);
        *out = d;
        return true;
    }
    case 24:
        if (arg < 32)
            return fail(QStringLiteral("invalid CBOR: illegal simple value"));
        return fail(QStringLiteral("unsupported simple value"));
    default:
        return fail(QStringLiteral("unsupported simple value"));
    }
}

bool CborDecoder::dateTimeFromText(const QString &s, QDateTime *out)
{
    if (s.size() < 19 || (s[10] != QLatin1Char('T') && s[10] != QLatin1Char('t')))
        return false;
    const QDate date = QDate::fromString(s.left(10), Qt::ISODate);
    const QTime hms = QTime::fromString(s.mid(11, 8), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !hms.isValid())
        return false;
    qsizetype pos = 19;
    int msec = 0;
    if (pos < s.size() && s[pos] == QLatin1Char('.')) {
        ++pos;
        int digits = 0;
        while (pos < s.size() && s[pos].isDigit()) {
            if (digits < 3)
                msec = msec * 10 + s[pos].digitValue();
            ++digits;
            ++pos;
        }
        if (digits == 0)
            return false;
        for (int i = digits; i < 3; ++i)
            msec *= 10;
    }
    const QString zone = s.mid(pos);
    static const QRegularExpression offset(QStringLiteral("^[+-]\\d\\d:\\d\\d$"));
    if (zone.compare(QLatin1String("Z"), Qt::CaseInsensitive) != 0 && !offset.match(zone).hasMatch())
        return false;
    *out = QDateTime(date, hms.addMSecs(msec), Qt::UTC);
    return out->isValid();
}

CborDecoder::CborDecoder(const QByteArray &bytes) : d(std::make_unique<Private>())
{
    d->begin = d->p = reinterpret_cast<const uchar *>(bytes.constData());
    d->end = d->begin + bytes.size();
}

CborDecoder::~CborDecoder() = default;

bool CborDecoder::decode(QVariant *value, QString *error)
{
    d->p = d->begin;
    d->error.clear();
    QVariant v;
    if (d->p == d->end) {
        if (error)
            *error = QStringLiteral("empty input");
        return false;
    }
    if (!d->value(&v, 0)) {
        if (error)
            *error = d->error;
        return false;
    }
    if (d->p != d->end) {
        if (error)
            *error = QStringLiteral("%1 trailing bytes after the item").arg(d->end - d->p);
        return false;
    }
    *value = std::move(v);
    return true;
}
