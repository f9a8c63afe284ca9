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

// encode writes the bytes directly (CborEncoder) and decode reads them directly
// (CborDecoder); both give exactly what the stream writer and reader paths below give.
QByteArray encode(const QVariant &value);
// Exactly one item; trailing bytes or a truncated item are errors.
bool decode(const QByteArray &bytes, QVariant *value, QString *error);

// The same through QCborStreamWriter / QCborStreamReader: the reference the direct paths
// are checked against.
QByteArray streamEncode(const QVariant &value);
bool streamDecode(const QByteArray &bytes, QVariant *value, QString *error);

void write(QCborStreamWriter &writer, const QVariant &value);
bool read(QCborStreamReader &reader, QVariant *value, QString *error);

// A packet from its decoded map (every key but the streamed rows) and, when the rows
// were read straight into row lists, those rows (taken).  Checks the field definitions
// and normalizes the values to the field types (unless the reader already brought every
// streamed row to them: rowsNormalized); false with a reason otherwise.
bool assemblePacket(const QVariantMap &map, QList<QVariantList> *streamedRows, QVariant *out, QString *error,
                    bool rowsNormalized = false);

// Date-time text as the wire writes it: wall-clock fields unchanged with the suffix "Z".
QString dateTimeText(const QDateTime &dt);

} // namespace CborCodec
