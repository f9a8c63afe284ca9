#include "Server.h"

#include "MethodTable.h"
#include "ServerConnection.h"
#include "ServerLog.h"
#include "ServerText.h"
#include "WorkerPool.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

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
    m_pool = std::make_unique<WorkerPool>(m_config.database, m_config.workers);
    if (!m_pool->start(error)) {
        m_pool.reset();
        return false;
    }
    m_listener = new QTcpServer(this);
    // Many clients connect at once when the offices open; keep a deep backlog.
    m_listener->setMaxPendingConnections(256);
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
    qCInfo(lcServer).noquote() << QStringLiteral("%1 workers, frames up to %2 bytes")
                                      .arg(m_pool->size()).arg(m_config.maxFrame);
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
    m_pool->submit([this, id, session, message](Database &db) {
        DispatchOutcome outcome = m_dispatcher.handle(session, &db, message);
        // Posted to the server, which outlives the workers; the connection may be gone.
        QMetaObject::invokeMethod(this, [this, id, outcome] {
            if (ServerConnection *connection = m_connections.value(id))
                connection->finish(outcome);
        }, Qt::QueuedConnection);
    });
}
