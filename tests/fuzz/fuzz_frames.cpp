// The frame reader of a connection on arbitrary bytes arriving in arbitrary pieces.  The
// first input byte chooses how the rest is cut (as a socket might deliver it); the rest
// is the byte stream.  Whatever the cut, the reader must give the same messages and the
// same end, and every message must survive a round trip through a frame of its own.

#include "FrameReader.h"
#include "FuzzCheck.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

namespace {

// A small limit so that "frame too long" is reachable by the fuzzer.
constexpr qint64 kMaxFrame = 4096;

struct Reading
{
    QList<QByteArray> messages;   // each message encoded again, for comparison
    FrameReader::Status end = FrameReader::Status::NeedMore;
};

Reading readAll(const QByteArray &stream, int pieceSize)
{
    FrameReader reader(kMaxFrame);
    Reading out;
    for (qsizetype at = 0; at < stream.size() || at == 0; at += pieceSize) {
        reader.append(stream.mid(at, pieceSize));
        for (;;) {
            QVariant message;
            const FrameReader::Status status = reader.next(&message);
            if (status == FrameReader::Status::Message) {
                out.messages.append(FrameReader::encodeFrame(message));
                continue;
            }
            out.end = status;
            if (status == FrameReader::Status::Failed) {
                FuzzCheck::require(!reader.error().isEmpty(), "a failed reader gives no reason");
                FuzzCheck::require(reader.next(&message) == FrameReader::Status::Failed, "a failed reader recovered");
                return out;
            }
            break;
        }
        if (at >= stream.size())
            break;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzCheck::silenceLogs();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const int pieceSize = 1 + data[0] % 64;
    const QByteArray stream(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const Reading whole = readAll(stream, int(qMax<qsizetype>(stream.size(), 1)));
    const Reading pieces = readAll(stream, pieceSize);
    FuzzCheck::require(whole.end == pieces.end, "the reader's end depends on how the bytes arrived");
    FuzzCheck::require(whole.messages == pieces.messages, "the messages depend on how the bytes arrived");

    for (const QByteArray &frame : whole.messages) {
        FrameReader again(qMax<qint64>(kMaxFrame, frame.size()));
        again.append(frame);
        QVariant message;
        FuzzCheck::require(again.next(&message) == FrameReader::Status::Message, "a re-encoded frame does not read back");
        FuzzCheck::require(FrameReader::encodeFrame(message) == frame, "a re-encoded frame reads back differently");
        FuzzCheck::codecRoundTrip(message);
    }
    return 0;
}
