#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>

class QCborStreamReader;
class QCborStreamWriter;

// A CBOR map whose keys are unsigned integers (the "refs" of a reply).  Maps with text keys
// travel as QVariantMap.
using IndexMap = QMap<qint64, QVariant>;
Q_DECLARE_METATYPE(IndexMap)

// Encodes and decodes the values of the wire format (RFC 8949): null, bool, integers,
// float64, text, dates (tag 1004), date-times (tag 0, wall clock with "Z"), arrays, maps
// and data packets (tag 27 on ["DataPacket", map]).  Decoding never crashes on bad
// input: it returns false with a reason.
namespace CborCodec {

QByteArray encode(const QVariant &value);
// Exactly one item; trailing bytes or a truncated item are errors.
bool decode(const QByteArray &bytes, QVariant *value, QString *error);

void write(QCborStreamWriter &writer, const QVariant &value);
bool read(QCborStreamReader &reader, QVariant *value, QString *error);

// Date-time text as the wire writes it: wall-clock fields unchanged with the suffix "Z".
QString dateTimeText(const QDateTime &dt);

} // namespace CborCodec
