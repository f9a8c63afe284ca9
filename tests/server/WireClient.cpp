#include "WireClient.h"

#include "CborCodec.h"
#include "FrameReader.h"
#include "TestServer.h"

#include <QDeadlineTimer>
#include <QtEndian>

bool WireClient::connectTo(quint16 port, int receiveBuffer)
{
    if (receiveBuffer > 0) {
        m_socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, receiveBuffer);
        // Nor does the socket object read ahead while the client only writes.
        m_socket.setReadBufferSize(receiveBuffer);
    }
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    return m_socket.waitForConnected(5000);
}

void WireClient::sendRaw(const QByteArray &bytes)
{
    m_socket.write(bytes);
    m_socket.waitForBytesWritten(5000);
}

quint64 WireClient::send(const QString &op, QVariantMap fields)
{
    const quint64 id = m_nextId++;
    fields.insert(QStringLiteral("op"), op);
    fields.insert(QStringLiteral("id"), id);
    sendRaw(FrameReader::encodeFrame(fields));
    return id;
}

quint64 WireClient::call(const QString &method, const QVariantList &args, const QString &object)
{
    return send(QStringLiteral("call"),
                {{QStringLiteral("object"), object.isEmpty() ? QString::fromLatin1(TestServer::kObject) : object},
                 {QStringLiteral("method"), method},
                 {QStringLiteral("args"), args}});
}

QVariantMap WireClient::receive(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (m_buffer.size() >= 4) {
            const quint32 length = qFromBigEndian<quint32>(m_buffer.constData());
            if (m_buffer.size() >= 4 + qsizetype(length)) {
                QVariant value;
                QString error;
                const bool ok = CborCodec::decode(m_buffer.mid(4, length), &value, &error);
                m_buffer.remove(0, 4 + length);
                return ok ? value.toMap() : QVariantMap();
            }
        }
        if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            return {};
        m_buffer.append(m_socket.readAll());
        if (deadline.hasExpired() && m_buffer.size() < 4)
            return {};
    }
}

QVariantMap WireClient::login(const QString &op, const QString &password)
{
    send(QStringLiteral("login"), {{QStringLiteral("operator"), op},
                                   {QStringLiteral("password"), password},
                                   {QStringLiteral("branch"), QStringLiteral("1")},
                                   {QStringLiteral("client"), QStringLiteral("tst_wire")}});
    return receive();
}

bool WireClient::waitClosed(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (m_socket.state() != QAbstractSocket::UnconnectedState) {
        if (deadline.hasExpired())
            return false;
        if (m_socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            m_buffer.append(m_socket.readAll());
        else if (m_socket.state() == QAbstractSocket::ConnectedState && deadline.hasExpired())
            return false;
    }
    return true;
}
