#pragma once

#include <QTcpSocket>
#include <QVariant>

// A raw client of the wire for tests: writes frames (or any bytes) and reads replies,
// blocking.  Use it only against a server running in another thread.
class WireClient
{
public:
    // receiveBuffer > 0: the connection's receive buffer, fixed at that size (no growth),
    // so that a client that does not read soon fills it.
    bool connectTo(quint16 port, int receiveBuffer = 0);
    void sendRaw(const QByteArray &bytes);
    // Sends {"op": op, "id": next id, ...fields}; returns the id used.
    quint64 send(const QString &op, QVariantMap fields = {});
    quint64 call(const QString &method, const QVariantList &args, const QString &object = {});
    // The next reply; an empty map when none comes in time or the connection closed.
    QVariantMap receive(int timeoutMs = 5000);
    // Logs in and returns the reply.
    QVariantMap login(const QString &op, const QString &password);
    // True when the server closes the connection within the time.
    bool waitClosed(int timeoutMs = 5000);
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

private:
    QTcpSocket m_socket;
    QByteArray m_buffer;
    quint64 m_nextId = 1;
};
