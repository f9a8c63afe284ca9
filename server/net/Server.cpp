#include "Server.h"

#include "MethodTable.h"
#include "ReplyChannel.h"
#include "ServerConnection.h"
#include "ServerLog.h"
#include "ServerText.h"
#include "WorkerPool.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// A client that connects to the TLS port but does not finish the handshake in this time
// (a plain client, a port scan, a stalled peer) is dropped.
constexpr int kHandshakeTimeoutMs = 10000;

// The server's own key, in whichever algorithm its certificate uses.
QSslKey readPrivateKey(const QByteArray &pem)
{
    for (const QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        QSslKey key(pem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull())
            return key;
    }
    return {};
}

} // namespace

bool Server::readTlsConfiguration(const ServerConfig &config, QSslConfiguration *tls, QString *error)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (!config.usesTls()) {
        if (!config.address.isLoopback() && !config.allowPlain)
            return fail(QStringLiteral("refusing to listen on %1 without TLS: give a certificate and key "
                                       "(tls-cert, tls-key), or set allow-plain to accept unencrypted "
                                       "connections from the network")
                            .arg(config.address.toString()));
        return true;
    }
    if (config.tlsKey.isEmpty())
        return fail(QStringLiteral("tls-cert is given without tls-key"));
    if (!QSslSocket::supportsSsl())
        return fail(QStringLiteral("TLS is configured but this system offers no TLS library (%1)")
                        .arg(QSslSocket::sslLibraryBuildVersionString()));
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(config.tlsCertificate, QSsl::Pem);
    if (chain.isEmpty() || chain.constFirst().isNull())
        return fail(QStringLiteral("tls-cert: no PEM certificate could be read from %1").arg(config.tlsCertificate));
    QFile keyFile(config.tlsKey);
    if (!keyFile.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("tls-key: cannot read %1: %2").arg(config.tlsKey, keyFile.errorString()));
    const QSslKey key = readPrivateKey(keyFile.readAll());
    if (key.isNull())
        return fail(QStringLiteral("tls-key: %1 holds no unencrypted PEM private key").arg(config.tlsKey));
    if (tls) {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificateChain(chain);
        configuration.setPrivateKey(key);
        configuration.setProtocol(QSsl::TlsV1_2OrLater);
        // Clients are authenticated by their login, not by certificates.
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        *tls = configuration;
    }
    return true;
}

Server::Server(const MethodTable &table, const ServerConfig &config, QObject *parent)
    : QObject(parent), m_config(config), m_dispatcher(table, LoginPolicy{config.loginDelayMs, config.loginDelayMaxMs, config.tokenIdleMinutes})
{
}

Server::~Server()
{
    stop();
}

bool Server::start(QString *error)
{
    QSslConfiguration tls;
    if (!readTlsConfiguration(m_config, &tls, error))
        return false;
    m_pool = std::make_unique<WorkerPool>(m_config.database, m_config.workers);
    if (!m_pool->start(error)) {
        m_pool.reset();
        return false;
    }
    if (m_config.usesTls()) {
        auto *listener = new QSslServer(this);
        listener->setSslConfiguration(tls);
        listener->setHandshakeTimeout(kHandshakeTimeoutMs);
        connect(listener, &QSslServer::errorOccurred, this, [](QSslSocket *socket, QAbstractSocket::SocketError) {
            qCWarning(lcNet).noquote() << QStringLiteral("TLS handshake with %1:%2 failed: %3")
                                              .arg(socket->peerAddress().toString())
                                              .arg(socket->peerPort())
                                              .arg(socket->errorString());
        });
        m_listener = listener;
    } else {
        m_listener = new QTcpServer(this);
    }
    // Many clients connect at once when the offices open; keep a deep backlog.
    m_listener->setMaxPendingConnections(256);
    // A TLS connection becomes pending only after its handshake, later than newConnection
    // (which reports the bare TCP accept); pendingConnectionAvailable tells that moment.
    if (m_config.usesTls())
        connect(m_listener, &QTcpServer::pendingConnectionAvailable, this, &Server::acceptConnections);
    else
        connect(m_listener, &QTcpServer::newConnection, this, &Server::acceptConnections);
    if (!m_listener->listen(m_config.address, m_config.port)) {
        if (error)
            *error = QStringLiteral("cannot listen on %1:%2: %3")
                         .arg(m_config.address.toString()).arg(m_config.port).arg(m_listener->errorString());
        delete m_listener;
        m_listener = nullptr;
        m_pool.reset();
        return false;
    }
    qCInfo(lcServer).noquote() << QStringLiteral("%1 workers, frames up to %2 bytes, %3")
                                      .arg(m_pool->size()).arg(m_config.maxFrame)
                                      .arg(m_config.usesTls() ? QStringLiteral("TLS") : QStringLiteral("plain TCP"));
    return true;
}

void Server::stop()
{
    if (m_listener) {
        m_listener->close();
        delete m_listener;
        m_listener = nullptr;
    }
    // Clients see the end at once; the workers then finish what is queued (so no call is
    // cut inside its transaction), and their answers go nowhere.
    const auto connections = m_connections;
    m_connections.clear();
    for (ServerConnection *connection : connections)
        delete connection;
    if (m_pool) {
        m_pool->stop();
        m_pool.reset();
    }
}

QHostAddress Server::address() const
{
    return m_listener ? m_listener->serverAddress() : m_config.address;
}

quint16 Server::port() const
{
    return m_listener ? m_listener->serverPort() : m_config.port;
}

void Server::acceptConnections()
{
    while (QTcpSocket *socket = m_listener->nextPendingConnection()) {
        const quint64 id = m_nextId++;
        auto *connection = new ServerConnection(id, socket, m_config.maxFrame, this);
        m_connections.insert(id, connection);
        connect(connection, &ServerConnection::closed, this, &Server::forget);
        qCInfo(lcNet).noquote() << QStringLiteral("connection %1 from %2").arg(id).arg(connection->peer());
    }
}

void Server::forget(quint64 id)
{
    if (ServerConnection *connection = m_connections.take(id))
        connection->deleteLater();
}

void Server::dispatch(ServerConnection *connection, const QVariantMap &message)
{
    const Session &session = connection->session();
    // A password login waits its turn in the login throttle on a timer of the connection
    // (the connection stays busy, so its later messages keep their order).
    if (const int waitMs = m_dispatcher.admitLogin(session, message); waitMs > 0) {
        QTimer::singleShot(waitMs, connection, [this, connection, message] { dispatch(connection, message); });
        return;
    }
    if (!Dispatcher::needsDatabase(session, message)) {
        connection->finish(m_dispatcher.handle(session, nullptr, message));
        return;
    }
    if (!m_pool) {
        DispatchOutcome stopping;
        stopping.reply = Dispatcher::errorReply(message.value(QStringLiteral("id")), QStringLiteral("server"),
                                                ServerText::message(QStringLiteral("Servidor_Parando")));
        connection->finish(stopping);
        return;
    }
    const quint64 id = connection->id();
    m_pool->submit([this, id, session, message, channel = connection->directChannel()](Database &db) {
        DispatchOutcome outcome = m_dispatcher.handle(session, &db, message);
        // Encoded here, on the worker: the server's thread is shared by every connection
        // and only writes the bytes.
        QByteArray frame = FrameReader::encodeFrame(outcome.reply);
        // An answer due now goes out from here, as far as the connection takes it at once;
        // a delayed one (a refused login) or one that closes the connection is the
        // server's thread's to send.  The connection stays busy until the server's thread
        // has the outcome, so the next message still waits for this one.
        qsizetype sent = 0;
        if (channel && outcome.delayMs == 0 && !outcome.closeAfter)
            sent = channel->write(frame);
        // Posted to the server, which outlives the workers; the connection may be gone.
        QMetaObject::invokeMethod(this, [this, id, outcome = std::move(outcome), frame = std::move(frame), sent] {
            if (ServerConnection *connection = m_connections.value(id))
                connection->finish(outcome, frame, sent);
        }, Qt::QueuedConnection);
    });
}
