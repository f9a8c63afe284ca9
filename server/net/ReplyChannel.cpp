#include "ReplyChannel.h"

#include <QSslSocket>
#include <QTcpSocket>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

std::shared_ptr<ReplyChannel> ReplyChannel::open(QTcpSocket *socket)
{
    if (qobject_cast<QSslSocket *>(socket))
        return nullptr;
    const qintptr descriptor = socket->socketDescriptor();
    if (descriptor < 0)
        return nullptr;
    const int fd = ::fcntl(int(descriptor), F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return nullptr;
    return std::make_shared<ReplyChannel>(fd);
}

ReplyChannel::~ReplyChannel()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

qsizetype ReplyChannel::write(const QByteArray &bytes)
{
    std::lock_guard lock(m_mutex);
    qsizetype written = 0;
    while (m_open && written < bytes.size()) {
        const ssize_t n = ::send(m_fd, bytes.constData() + written, size_t(bytes.size() - written),
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // Full (the socket object writes the rest when the client reads) or failed (the
        // socket object sees the same end and reports it).
        break;
    }
    return written;
}

void ReplyChannel::shutdown()
{
    std::lock_guard lock(m_mutex);
    if (!m_open)
        return;
    m_open = false;
    ::shutdown(m_fd, SHUT_RDWR);
}
