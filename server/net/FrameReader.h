#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
#include <QVariant>

// Splits the byte stream of one connection into frames: a 4-byte big-endian length N,
// then N bytes holding exactly one CBOR item.  Bytes may arrive in any pieces; append
// them as they come and take the messages out with next().  The reader never trusts
// the peer: a zero length, a length above the limit, an item that does not decode or
// bytes after the item put it in the failed state, with a reason for the log.
class FrameReader
{
public:
    static constexpr qint64 kDefaultMaxFrame = 64 * 1024 * 1024;

    enum class Status { NeedMore, Message, Failed };

    explicit FrameReader(qint64 maxFrame = kDefaultMaxFrame) : m_maxFrame(maxFrame) {}

    void append(const QByteArray &bytes);
    // Appends what device has ready, read straight into the buffer's free end (no
    // intermediate array; the buffer's allocation is kept from frame to frame).
    void readFrom(QIODevice *device);
    // Takes the next complete message out of the buffer.  Once Failed, stays Failed.
    Status next(QVariant *message);

    const QString &error() const { return m_error; }
    qint64 maxFrame() const { return m_maxFrame; }
    qint64 buffered() const { return m_buffer.size() - m_offset; }

    // The frame that carries value: its length prefix and its CBOR encoding.
    static QByteArray encodeFrame(const QVariant &value);

private:
    Status fail(const QString &reason);
    // Drops what was consumed before the buffer grows.
    void compact();

    qint64 m_maxFrame;
    QByteArray m_buffer;
    qsizetype m_offset = 0;   // start of the unread part of m_buffer
    QString m_error;
    bool m_failed = false;
};
