#include "FrameReader.h"

#include "CborCodec.h"
#include "CborEncoder.h"

#include <QIODevice>
#include <QtEndian>

namespace {
// A buffer that held a large frame gives its memory back once the frame is read; a
// smaller one is kept for the next frames, saving an allocation per call.
constexpr qsizetype kKeptCapacity = 1024 * 1024;
} // namespace

void FrameReader::compact()
{
    // Drop what was consumed before growing, so a long-lived connection does not keep
    // every frame it ever read.
    if (m_offset > 0 && m_offset == m_buffer.size()) {
        if (m_buffer.capacity() > kKeptCapacity)
            m_buffer.clear();
        else
            m_buffer.resize(0);
        m_offset = 0;
    } else if (m_offset > 64 * 1024 && m_offset * 2 > m_buffer.size()) {
        m_buffer.remove(0, m_offset);
        m_offset = 0;
    }
}

void FrameReader::append(const QByteArray &bytes)
{
    if (m_failed)
        return;
    compact();
    m_buffer.append(bytes);
}

void FrameReader::readFrom(QIODevice *device)
{
    const qint64 ready = device->bytesAvailable();
    if (ready <= 0)
        return;
    if (m_failed) {
        device->skip(ready);
        return;
    }
    compact();
    const qsizetype old = m_buffer.size();
    m_buffer.resize(old + qsizetype(ready));
    const qint64 got = device->read(m_buffer.data() + old, ready);
    m_buffer.resize(old + qsizetype(qMax<qint64>(got, 0)));
}

FrameReader::Status FrameReader::next(QVariant *message)
{
    if (m_failed)
        return Status::Failed;
    const qsizetype available = m_buffer.size() - m_offset;
    if (available < 4)
        return Status::NeedMore;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + m_offset);
    if (length == 0)
        return fail(QStringLiteral("empty frame"));
    if (qint64(length) > m_maxFrame)
        return fail(QStringLiteral("frame of %1 bytes exceeds the limit of %2 bytes").arg(length).arg(m_maxFrame));
    if (available - 4 < qsizetype(length))
        return Status::NeedMore;

    // Decoded in place: the decoder copies every value it keeps out of the bytes.
    const QByteArray item = QByteArray::fromRawData(m_buffer.constData() + m_offset + 4, length);
    m_offset += 4 + length;
    QString reason;
    if (!CborCodec::decode(item, message, &reason))
        return fail(QStringLiteral("undecodable frame: %1").arg(reason));
    return Status::Message;
}

FrameReader::Status FrameReader::fail(const QString &reason)
{
    m_failed = true;
    m_error = reason;
    m_buffer.clear();
    m_offset = 0;
    return Status::Failed;
}

QByteArray FrameReader::encodeFrame(const QVariant &value)
{
    return CborEncoder::encodeFrame(value);
}
