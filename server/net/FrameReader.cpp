#include "FrameReader.h"

#include "CborCodec.h"
#include "CborEncoder.h"

#include <QtEndian>

void FrameReader::append(const QByteArray &bytes)
{
    if (m_failed)
        return;
    // Drop what was consumed before growing, so a long-lived connection does not keep
    // every frame it ever read.
    if (m_offset > 0 && m_offset == m_buffer.size()) {
        m_buffer.clear();
        m_offset = 0;
    } else if (m_offset > 64 * 1024 && m_offset * 2 > m_buffer.size()) {
        m_buffer.remove(0, m_offset);
        m_offset = 0;
    }
    m_buffer.append(bytes);
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

    const QByteArray item = m_buffer.mid(m_offset + 4, length);
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
