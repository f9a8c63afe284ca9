#pragma once

#include "Dispatcher.h"
#include "FrameReader.h"
#include "Session.h"

#include <QObject>
#include <QQueue>
#include <QVariant>

#include <memory>

class QTcpSocket;
class ReplyChannel;
class Server;

// One client's socket: reads its frames, hands each message to the server in turn and
// writes the answers back in the order the messages came.  A message is taken up only
// when the one before it is answered, which keeps the replies in request order.
class ServerConnection : public QObject
{
    Q_OBJECT

public:
    ServerConnection(quint64 id, QTcpSocket *socket, qint64 maxFrame, Server *server);
    ~ServerConnection() override;

    quint64 id() const { return m_id; }
    const Session &session() const { return m_session; }
    QString peer() const { return m_peer; }

    // The answer to the message in progress, from a worker or from the spot.  `frame`,
    // when not empty, is the reply already encoded (the worker does it, so this thread
    // only writes bytes), of which the first `sent` bytes the worker already wrote.
    void finish(const DispatchOutcome &outcome, const QByteArray &frame = QByteArray(), qsizetype sent = 0);
    // Where a worker may write the answer to the message in progress itself: null for a
    // TLS connection, or while earlier bytes still wait in the socket object.
    std::shared_ptr<ReplyChannel> directChannel() const;
    // Ends the connection now, logging why.
    void drop(const QString &reason);

signals:
    void closed(quint64 id);

private:
    void readFrames();
    void takeNext();
    void answer(const DispatchOutcome &outcome, const QByteArray &frame, qsizetype sent);

    quint64 m_id;
    QTcpSocket *m_socket;
    std::shared_ptr<ReplyChannel> m_channel;
    Server *m_server;
    QString m_peer;
    FrameReader m_reader;
    QQueue<QVariantMap> m_pending;
    Session m_session;
    bool m_busy = false;
    bool m_closing = false;
    bool m_taking = false;
};
