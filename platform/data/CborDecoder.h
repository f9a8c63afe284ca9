#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <memory>

// Decodes one CBOR item of the wire format straight from its bytes: the fast path of
// CborCodec::decode.  It accepts and refuses exactly what the stream reader path
// (CborCodec::read) does and builds the same values; the rows of a data packet go
// straight into the packet's row lists, and short texts that repeat in a column (branch,
// region, supplier and brand codes) share one string instead of one allocation per row.
// Never trusts its input: every length is checked against the bytes left, nesting is
// limited, and a failure leaves the output untouched with a reason.
class CborDecoder
{
public:
    static constexpr int kMaxDepth = 64;

    explicit CborDecoder(const QByteArray &bytes);
    ~CborDecoder();
    CborDecoder(const CborDecoder &) = delete;
    CborDecoder &operator=(const CborDecoder &) = delete;

    // Exactly one item filling the whole input.
    bool decode(QVariant *value, QString *error);

    // Wall-clock fields of an RFC 3339 date-time text; the zone designator is checked
    // but never applied.
    static bool dateTimeFromText(const QString &text, QDateTime *out);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
