#pragma once

#include <QString>

class QObject;
class QTcpSocket;

// How this process's connections reach the application server.  Plain TCP for a server on
// the same machine (or a network the administrator trusts); TLS when the server is across
// the network, the server's certificate verified against the system's certificate store or,
// when caFile is given, against the CA certificates of that PEM file only.  The certificate
// must name the host the connection is made to.
struct NetTransportSettings
{
    bool tls = false;
    QString caFile;
};

// Creates and connects the sockets of NetConnection as the transport settings say, and
// tells in the buyer's words why a secure connection was refused.
class NetTransport
{
public:
    // The settings every connection of this process uses unless it has its own; the host
    // and sup-call set them from their options at start.
    static NetTransportSettings defaults();
    static void setDefaults(const NetTransportSettings &settings);

    // A socket for settings: a QSslSocket configured to verify the server for TLS, else a
    // plain QTcpSocket.  Raises NetError "tls" when the CA file cannot be read or the
    // system offers no TLS.
    static QTcpSocket *createSocket(const NetTransportSettings &settings, QObject *parent);
    // Starts connecting (and, for TLS, the handshake with host as the name to verify).
    static void connectToHost(QTcpSocket *socket, const QString &host, quint16 port);
    // True once frames can travel: connected, and for TLS also encrypted.
    static bool isReady(const QTcpSocket *socket);
    // Why the secure connection failed (certificate refused, handshake broken off), from
    // the standard message table; empty when the failure had nothing to do with TLS.
    static QString tlsFailure(const QTcpSocket *socket);
};
