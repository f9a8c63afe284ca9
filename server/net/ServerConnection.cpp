#include "ServerConnection.h"

#include "ReplyChannel.h"
#include "Server.h"
#include "ServerLog.h"

#include <QTcpSocket>
#include <QTimer>

namespace {
// A client that sends requests without reading the replies is cut off before its queue
// or its unread replies take the server's memory.
constexpr qsizetype kMaxPendingRequests = 1000;
constexpr qint64 kMaxUnreadReplyBytes = qint64(256) << 20;
} // namespace

ServerConnection::ServerConnection(quint64 id, QTcpSocket *socket, qint64 maxFrame, Server *server)
    : QObject(server), m_id(id), m_socket(socket), m_server(server), m_reader(maxFrame)
{
    m_socket->setParent(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_channel = ReplyChannel::open(m_socket);
    m_peer = QStringLiteral("%1:%2").arg(m_socket->peerAddress().toString()).arg(m_socket->peerPort());
    m_session.address = m_socket->peerAddress().toString();
    connect(m_socket, &QTcpSocket::readyRead, this, &ServerConnection::readFrames);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (!m_closing)
            qCInfo(lcNet).noquote() << QStringLiteral("connection %1 from %2 closed by the client").arg(m_id).arg(m_peer);
        m_closing = true;
        emit closed(m_id);
    });
    // A TLS connection is handed over once its handshake is done; the client's first frame
    // may already wait in it, and no readyRead will come for bytes already received.
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &ServerConnection::readFrames, Qt::QueuedConnection);
}

ServerConnection::~ServerConnection()
{
    // The socket goes with this object; it must not report its end to a half-destroyed one.
    m_closing = true;
    if (m_channel)
        m_channel->shutdown();
    m_socket->disconnect(this);
    m_socket->abort();
}

std::shared_ptr<ReplyChannel> ServerConnection::directChannel() const
{
    return m_closing || m_socket->bytesToWrite() > 0 ? nullptr : m_channel;
}

void ServerConnection::readFrames()
{
    if (m_closing)
        return;
    m_reader.readFrom(m_socket);
    for (;;) {
        QVariant message;
        const FrameReader::Status status = m_reader.next(&message);
        if (status == FrameReader::Status::NeedMore)
            break;
        if (status == FrameReader::Status::Failed) {
            drop(m_reader.error());
            return;
        }
        if (message.typeId() != QMetaType::QVariantMap) {
            drop(QStringLiteral("a message is not a map with text keys"));
            return;
        }
        m_pending.enqueue(message.toMap());
        if (m_pending.size() > kMaxPendingRequests) {
            drop(QStringLiteral("more than %1 requests waiting for an answer").arg(kMaxPendingRequests));
            return;
        }
    }
    takeNext();
}

void ServerConnection::takeNext()
{
    if (m_taking)
        return;
    m_taking = true;
    while (!m_busy && !m_closing && !m_pending.isEmpty()) {
        m_busy = true;
        // dispatch either answers at once (finish is called before it returns) or
        // queues the message on a worker and finish comes later.
        m_server->dispatch(this, m_pending.dequeue());
    }
    m_taking = false;
}

void ServerConnection::finish(const DispatchOutcome &outcome, const QByteArray &frame, qsizetype sent)
{
    if (m_closing)
        return;
    if (outcome.delayMs > 0) {
        // Other connections go on meanwhile; this one stays busy until the answer goes.
        DispatchOutcome now = outcome;
        now.delayMs = 0;
        QTimer::singleShot(outcome.delayMs, this, [this, now, frame, sent] { finish(now, frame, sent); });
        return;
    }
    answer(outcome, frame, sent);
    m_busy = false;
    takeNext();
}

void ServerConnection::answer(const DispatchOutcome &outcome, const QByteArray &frame, qsizetype sent)
{
    if (outcome.sessionChanged)
        m_session = outcome.session;
    if (frame.isEmpty())
        m_socket->write(FrameReader::encodeFrame(outcome.reply));
    else if (sent < frame.size())
        m_socket->write(frame.constData() + sent, frame.size() - sent);
    // Sent now rather than on the event loop's next pass over the socket.
    m_socket->flush();
    if (m_socket->bytesToWrite() > kMaxUnreadReplyBytes) {
        drop(QStringLiteral("the client does not read its replies"));
        return;
    }
    if (outcome.closeAfter) {
        qCWarning(lcNet).noquote() << QStringLiteral("connection %1 from %2 refused: a request came before login")
                                          .arg(m_id).arg(m_peer);
        m_closing = true;
        m_pending.clear();
        m_socket->disconnectFromHost();   // sends the answer first
    }
}

void ServerConnection::drop(const QString &reason)
{
    if (m_closing)
        return;
    qCWarning(lcNet).noquote() << QStringLiteral("connection %1 from %2 closed: %3").arg(m_id).arg(m_peer, reason);
    m_closing = true;
    m_pending.clear();
    if (m_channel)
        m_channel->shutdown();
    m_socket->abort();
    emit closed(m_id);
}
