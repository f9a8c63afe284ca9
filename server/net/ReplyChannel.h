#pragma once

#include <QByteArray>

#include <memory>
#include <mutex>

class QTcpSocket;

// A way for a worker to write its answer straight to the client's plain TCP connection,
// instead of handing it back to the server's thread to write: one thread hand-off less
// on every call.  It holds its own duplicate of the connection's descriptor, so the
// descriptor number cannot pass to another client while a worker still writes on it;
// shutdown() (the connection dropped or closed) cuts the connection for both, and later
// writes are refused.  TLS connections have none: their bytes are encrypted by the
// socket object, which lives in the server's thread.
class ReplyChannel
{
public:
    // The channel of socket; null for a TLS socket or one without a descriptor.
    static std::shared_ptr<ReplyChannel> open(QTcpSocket *socket);

    explicit ReplyChannel(int fd) : m_fd(fd) {}
    ~ReplyChannel();
    ReplyChannel(const ReplyChannel &) = delete;
    ReplyChannel &operator=(const ReplyChannel &) = delete;

    // Writes as much of bytes as the connection takes now without waiting; answers how
    // many were written (the rest goes through the socket object), 0 once shut down.
    qsizetype write(const QByteArray &bytes);

    // Ends the connection for this channel and the socket object alike.
    void shutdown();

private:
    std::mutex m_mutex;
    int m_fd = -1;
    bool m_open = true;
};
