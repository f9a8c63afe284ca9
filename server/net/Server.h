#pragma once

#include "Database.h"
#include "Dispatcher.h"
#include "FrameReader.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>

#include <memory>

class MethodTable;
class QSslConfiguration;
class QTcpServer;
class ServerConnection;
class WorkerPool;

struct ServerConfig
{
    QHostAddress address = QHostAddress::LocalHost; // loopback unless configured otherwise
    quint16 port = 7205;                 // 0: any free port (tests)
    qint64 maxFrame = FrameReader::kDefaultMaxFrame;
    int workers = 4;
    int loginDelayMs = 1000;             // a refused login is answered after this; doubles per failure
    int loginDelayMaxMs = 30000;         // up to this
    int tokenIdleMinutes = 480;          // a session token unused this long is refused
    DatabaseConfig database;
    // TLS: with a certificate (PEM, the server's own first, then its chain) and its key
    // (PEM, unencrypted) every connection is encrypted; without them the wire is plain.
    QString tlsCertificate;
    QString tlsKey;
    // Plain listening on an address other than loopback is refused unless this is set.
    bool allowPlain = false;

    bool usesTls() const { return !tlsCertificate.isEmpty(); }
};

// The application server's network side: listens, keeps one ServerConnection per client
// and runs their logins and calls on the worker pool.  Lives in the thread that runs its
// event loop; the workers only post their answers back to it.
class Server : public QObject
{
    Q_OBJECT

public:
    Server(const MethodTable &table, const ServerConfig &config, QObject *parent = nullptr);
    ~Server() override;

    // Checks the TLS configuration, opens the workers' databases, then listens; false with
    // a reason when any of them fails.
    bool start(QString *error);
    // Stops listening, closes every connection and ends the workers.
    void stop();

    // Whether config may listen as it says (plain TCP beyond loopback only when allowed)
    // and, with TLS, the server's certificate chain and key read from their files.  false
    // with the reason for the administrator.
    static bool readTlsConfiguration(const ServerConfig &config, QSslConfiguration *tls, QString *error);

    QHostAddress address() const;
    quint16 port() const;
    int connectionCount() const { return int(m_connections.size()); }
    const ServerConfig &config() const { return m_config; }

    // Used by ServerConnection: answers message now or queues it on a worker.
    void dispatch(ServerConnection *connection, const QVariantMap &message);

private:
    bool createListener(QString *error);
    void acceptConnections();
    void forget(quint64 id);

    ServerConfig m_config;
    Dispatcher m_dispatcher;
    std::unique_ptr<WorkerPool> m_pool;
    QTcpServer *m_listener = nullptr;
    QHash<quint64, ServerConnection *> m_connections;
    quint64 m_nextId = 1;
};
