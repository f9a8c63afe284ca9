// The CBOR decoder of the wire on arbitrary bytes: it must refuse what does not decode
// with a reason, never crash, and what it accepts must encode back stably.

#include "CborCodec.h"
#include "FuzzCheck.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzCheck::silenceLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QVariant value;
    QString error;
    if (!CborCodec::decode(bytes, &value, &error)) {
        FuzzCheck::require(!error.isEmpty(), "a refused item carries no reason");
        return 0;
    }
    FuzzCheck::codecRoundTrip(value);
    return 0;
}
