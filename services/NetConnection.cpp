#include "NetConnection.h"

#include "NetTransport.h"

#include "ProtocolContract.h"

#include "CborCodec.h"
#include "CborEncoder.h"
#include "TMessages.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QMutex>
#include <QSslSocket>
#include <QTcpSocket>
#include <QScopeGuard>
#include <QTimer>
#include <QtEndian>

namespace {

// The largest answer accepted from the server, as the server limits requests.
constexpr qint64 kMaxFrame = 64 * 1024 * 1024;
// Waiting for the connection and the login when no call timeout is set.
constexpr int kConnectTimeoutMs = 15000;
// How long a call waits for its answer on the socket before waiting in the event loop.
constexpr qint64 kQuickWaitMs = 5;
// A receive buffer that held a large answer gives its memory back once it is read.
constexpr qsizetype kKeptBufferCapacity = 1024 * 1024;

QMutex g_credentialsMutex;
NetCredentials g_defaultCredentials;

QByteArray encodeFrame(const QVariant &value)
{
    return CborEncoder::encodeFrame(value);
}

// Overwrites a secret in place before letting it go, as far as a QString allows.
void wipe(QString &secret)
{
    if (secret.isEmpty())
        return;
    std::fill(secret.begin(), secret.end(), QChar(u'\0'));
    secret.clear();
    secret.squeeze();
}

// Calls the busy hook with true now and with false when the call ends, however it ends.
class BusyGuard
{
public:
    explicit BusyGuard(const std::function<void(bool)> &hook) : m_hook(hook)
    {
        if (m_hook)
            m_hook(true);
    }
    ~BusyGuard()
    {
        if (m_hook) {
            try {
                m_hook(false);
            } catch (...) {
            }
        }
    }

private:
    std::function<void(bool)> m_hook;
};

// Why the connection to the server could not be made, in the words the buyer reads (the
// standard message table); the socket's own text stays for the rarer failures.
QString connectFailure(const QTcpSocket *socket, bool settledInTime)
{
    const TMessages &texts = TMessages::padrao();
    if (!settledInTime)
        return texts.Msg(QStringLiteral("Net_SemResposta"));
    switch (socket->error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return texts.Msg(QStringLiteral("Net_Recusada"));
    case QAbstractSocket::HostNotFoundError:
        return texts.Msg(QStringLiteral("Net_HostDesconhecido"));
    default:
        return texts.Msg(QStringLiteral("Net_FalhaRede")).arg(socket->errorString());
    }
}

} // namespace

struct NetConnection::Private
{
    QString serverName;
    QString host = QStringLiteral("localhost");
    int port = 7205;
    bool throwException = false;
    int timeoutMs = 0;
    bool hasOwnCredentials = false;
    NetCredentials credentials;
    bool hasOwnTransport = false;
    NetTransportSettings transport;

    QTcpSocket *socket = nullptr;
    bool loggedIn = false;
    QByteArray buffer;
    QString protocolError;            // set when the server sent something unreadable
    QHash<quint64, QVariantMap> replies;
    quint64 nextId = 1;

    QString where() const { return QStringLiteral("%1:%2").arg(host).arg(port); }
};

NetConnection::NetConnection(QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
}

NetConnection::~NetConnection()
{
    if (d->socket)
        d->socket->abort();
}

QString NetConnection::serverName() const { return d->serverName; }
void NetConnection::setServerName(const QString &name) { d->serverName = name; }
QString NetConnection::host() const { return d->host; }
void NetConnection::setHost(const QString &host) { d->host = host; }
int NetConnection::port() const { return d->port; }
void NetConnection::setPort(int port) { d->port = port; }
bool NetConnection::throwException() const { return d->throwException; }
void NetConnection::setThrowException(bool on) { d->throwException = on; }
int NetConnection::timeoutMs() const { return d->timeoutMs; }
void NetConnection::setTimeoutMs(int ms) { d->timeoutMs = qMax(0, ms); }

NetCredentials NetConnection::defaultCredentials()
{
    QMutexLocker lock(&g_credentialsMutex);
    return g_defaultCredentials;
}

void NetConnection::setDefaultCredentials(const NetCredentials &credentials)
{
    QMutexLocker lock(&g_credentialsMutex);
    g_defaultCredentials = credentials;
}

void NetConnection::setCredentials(const NetCredentials &credentials)
{
    d->credentials = credentials;
    d->hasOwnCredentials = true;
}

void NetConnection::setTransport(const NetTransportSettings &settings)
{
    d->transport = settings;
    d->hasOwnTransport = true;
}

NetCredentials NetConnection::currentCredentials() const
{
    return d->hasOwnCredentials ? d->credentials : defaultCredentials();
}

void NetConnection::keepSessionToken(const NetCredentials &used, const QString &token)
{
    if (!used.useSessionToken || token.isEmpty())
        return;
    if (d->hasOwnCredentials) {
        d->credentials.token = token;
        wipe(d->credentials.password);
        return;
    }
    QMutexLocker lock(&g_credentialsMutex);
    // Only for the session that logged in: the defaults may have changed meanwhile.
    if (g_defaultCredentials.operatorCode != used.operatorCode)
        return;
    g_defaultCredentials.token = token;
    wipe(g_defaultCredentials.password);
}

bool NetConnection::connected() const
{
    return d->socket && d->loggedIn && d->socket->state() == QAbstractSocket::ConnectedState;
}

void NetConnection::close()
{
    const bool was = connected();
    d->loggedIn = false;
    d->buffer.clear();
    d->replies.clear();
    if (d->socket) {
        QTcpSocket *socket = d->socket;
        d->socket = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    if (was)
        emit disconnected();
}

namespace {

// Waits in a local event loop that leaves user input alone until done() holds, the
// socket leaves the connected state or the time runs out (timeoutMs 0: no limit).
// Returns false on time-out.
bool waitFor(QTcpSocket *socket, int timeoutMs, const std::function<bool()> &done)
{
    QEventLoop loop;
    QObject::connect(socket, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (auto *secure = qobject_cast<QSslSocket *>(socket))
        QObject::connect(secure, &QSslSocket::encrypted, &loop, &QEventLoop::quit);
    QTimer timer;
    bool timedOut = false;
    if (timeoutMs > 0) {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        timer.start(timeoutMs);
    }
    while (!done() && !timedOut)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return !timedOut;
}

} // namespace

void NetConnection::open()
{
    if (connected())
        return;
    close();
    if (beforeConnect)
        beforeConnect(*this);
    NetCredentials credentials = currentCredentials();

    QTcpSocket *socket = NetTransport::createSocket(d->hasOwnTransport ? d->transport : NetTransport::defaults(), this);
    d->socket = socket;
    d->protocolError.clear();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        if (socket != d->socket)
            return;
        // Read straight into the buffer's free end; the allocation is kept between answers.
        const qint64 ready = socket->bytesAvailable();
        if (ready > 0) {
            const qsizetype old = d->buffer.size();
            d->buffer.resize(old + qsizetype(ready));
            const qint64 got = socket->read(d->buffer.data() + old, ready);
            d->buffer.resize(old + qsizetype(qMax<qint64>(got, 0)));
        }
        qsizetype offset = 0;
        // The answers read are dropped from the buffer once, whichever way the loop ends.
        const auto consumed = qScopeGuard([this, &offset] {
            if (offset == 0)
                return;
            if (offset < d->buffer.size())
                d->buffer.remove(0, offset);
            else if (d->buffer.capacity() > kKeptBufferCapacity)
                d->buffer.clear();
            else
                d->buffer.resize(0);
        });
        while (d->buffer.size() - offset >= 4) {
            const quint32 length = qFromBigEndian<quint32>(d->buffer.constData() + offset);
            if (length == 0 || qint64(length) > kMaxFrame) {
                d->protocolError = QStringLiteral("a frame of %1 bytes").arg(length);
                socket->abort();
                return;
            }
            if (d->buffer.size() - offset < 4 + qsizetype(length))
                return;
            QVariant message;
            QString reason;
            // Decoded in place: the decoder copies every value it keeps out of the bytes.
            const bool ok = CborCodec::decode(
                    QByteArray::fromRawData(d->buffer.constData() + offset + 4, length), &message, &reason);
            offset += 4 + qsizetype(length);
            if (!ok || message.typeId() != QMetaType::QVariantMap) {
                d->protocolError = ok ? QStringLiteral("an answer that is not a map") : reason;
                socket->abort();
                return;
            }
            const QVariantMap reply = message.toMap();
            d->replies.insert(reply.value(QStringLiteral("id")).toULongLong(), reply);
        }
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (socket == d->socket && d->loggedIn) {
            d->loggedIn = false;
            emit disconnected();
        }
    });

    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    NetTransport::connectToHost(socket, d->host.isEmpty() ? QStringLiteral("localhost") : d->host, quint16(d->port));
    const int connectTimeout = d->timeoutMs > 0 ? d->timeoutMs : kConnectTimeoutMs;
    auto settled = [socket] {
        return NetTransport::isReady(socket) || socket->state() == QAbstractSocket::UnconnectedState;
    };
    const bool settledInTime = waitFor(socket, connectTimeout, settled);
    if (!settledInTime || !NetTransport::isReady(socket)) {
        // A refused certificate is told apart ("tls"): the address is right, the trust is not.
        const QString tlsReason = NetTransport::tlsFailure(socket);
        const QString reason = tlsReason.isEmpty() ? connectFailure(socket, settledInTime) : tlsReason;
        qWarning().noquote() << "application server" << d->where() << "not reached:"
                             << (settledInTime ? socket->errorString() : QStringLiteral("no answer in time"));
        close();
        throw NetError(tlsReason.isEmpty() ? QStringLiteral("network") : QStringLiteral("tls"),
                       TMessages::padrao().Msg(QStringLiteral("Net_Inacessivel")).arg(d->where(), reason));
    }

    const quint64 id = d->nextId++;
    QVariantMap login{
        {QStringLiteral("op"), QStringLiteral("login")},
        {QStringLiteral("id"), id},
        {QStringLiteral("operator"), credentials.operatorCode},
        {QStringLiteral("branch"), credentials.branch},
        {QStringLiteral("client"), credentials.client},
    };
    if (!credentials.token.isEmpty() && credentials.useSessionToken) {
        login.insert(QStringLiteral("token"), credentials.token);
    } else {
        login.insert(QStringLiteral("password"), credentials.password);
        if (credentials.useSessionToken)
            login.insert(QStringLiteral("issueToken"), true);
    }
    QByteArray frame = encodeFrame(login);
    socket->write(frame);
    frame.fill('\0');
    login.clear();
    wipe(credentials.password);
    const bool answered = waitFor(socket, connectTimeout, [this, socket, id] {
        return d->replies.contains(id) || socket->state() != QAbstractSocket::ConnectedState;
    });
    if (!answered || !d->replies.contains(id)) {
        const TMessages &texts = TMessages::padrao();
        const QString reason = !answered                    ? texts.Msg(QStringLiteral("Net_SemRespostaLogin"))
                               : !d->protocolError.isEmpty() ? texts.Msg(QStringLiteral("Net_RespIlegivel"))
                                                             : texts.Msg(QStringLiteral("Net_FechadaLogin"));
        if (!d->protocolError.isEmpty())
            qWarning().noquote() << "unreadable login answer from" << d->where() << ":" << d->protocolError;
        close();
        throw NetError(QStringLiteral("network"), texts.Msg(QStringLiteral("Net_Inacessivel")).arg(d->where(), reason));
    }
    const QVariantMap reply = d->replies.take(id);
    const QVariantMap error = reply.value(QStringLiteral("error")).toMap();
    if (!error.isEmpty() || !reply.value(QStringLiteral("ok")).toBool()) {
        close();
        const QString refusal = TMessages::padrao().Msg(QStringLiteral("Net_Login_Recusado"));
        throw NetError(error.value(QStringLiteral("code"), QStringLiteral("auth")).toString(),
                       error.value(QStringLiteral("message"), refusal).toString());
    }
    d->loggedIn = true;
    keepSessionToken(credentials, reply.value(QStringLiteral("token")).toString());
}

void NetConnection::logout()
{
    const NetCredentials credentials = currentCredentials();
    if (!connected() && credentials.token.isEmpty())
        return;   // no session at the server to end
    open();
    QTcpSocket *socket = d->socket;
    const quint64 id = d->nextId++;
    socket->write(encodeFrame(QVariantMap{{QStringLiteral("op"), QStringLiteral("logout")}, {QStringLiteral("id"), id}}));
    waitFor(socket, d->timeoutMs > 0 ? d->timeoutMs : kConnectTimeoutMs, [this, socket, id] {
        return d->replies.contains(id) || d->socket != socket || socket->state() != QAbstractSocket::ConnectedState;
    });
    const QVariantMap reply = d->replies.take(id);
    close();
    if (d->hasOwnCredentials) {
        wipe(d->credentials.token);
    } else {
        QMutexLocker lock(&g_credentialsMutex);
        if (g_defaultCredentials.operatorCode == credentials.operatorCode)
            wipe(g_defaultCredentials.token);
    }
    if (!reply.value(QStringLiteral("ok")).toBool())
        qWarning().noquote() << "the application server at" << d->where() << "did not confirm the end of the session";
}

QVariant NetConnection::call(const QString &method, const QList<NetArg> &args)
{
    QVariantList values;
    values.reserve(args.size());
    for (const NetArg &arg : args)
        values.append(arg.value());
    IndexMapRefs refs;
    const MethodContract *contract = Protocol::find(d->serverName, method);
    const QVariant result = send(d->serverName, method, values, &refs, contract && contract->readOnly);
    for (auto it = refs.constBegin(); it != refs.constEnd(); ++it) {
        if (it.key() >= 0 && it.key() < args.size() && args.at(int(it.key())).target())
            *args.at(int(it.key())).target() = it.value();
    }
    return result;
}

QVariant NetConnection::call(const MethodContract &method, const QVariantMap &args, QVariantMap *refs)
{
    const QVariantList values = Protocol::positional(method, args);
    IndexMapRefs byPosition;
    const QVariant result = send(method.object, method.name, values, &byPosition, method.readOnly);
    if (refs)
        *refs = Protocol::namedRefs(method, byPosition);
    return result;
}

QVariant NetConnection::send(const QString &object, const QString &method, const QVariantList &values,
                             IndexMapRefs *refsOut, bool readOnly)
{
    BusyGuard busy(onBusy);
    const QVariantMap request{
        {QStringLiteral("op"), QStringLiteral("call")},
        {QStringLiteral("object"), object},
        {QStringLiteral("method"), method},
        {QStringLiteral("args"), values},
    };
    quint64 id = 0;
    for (int attempt = 1;; ++attempt) {
        if (!connected())
            open();
        QTcpSocket *socket = d->socket;
        id = d->nextId++;
        QVariantMap message = request;
        message.insert(QStringLiteral("id"), id);
        socket->write(encodeFrame(message));
        // Out now, not when the wait's event loop first looks at the socket.
        socket->flush();
        auto settled = [this, socket, id] {
            return d->replies.contains(id) || d->socket != socket
                || socket->state() != QAbstractSocket::ConnectedState;
        };
        // Most calls are answered within a few milliseconds: wait for those on the socket
        // itself (the answer is read and filed by the readyRead handler as usual), which is
        // far cheaper than passes of the event loop and too short for anyone to see painting
        // pause.  Longer calls then wait in the event loop.
        QElapsedTimer spent;
        spent.start();
        while (!settled() && spent.elapsed() < kQuickWaitMs) {
            if (!socket->waitForReadyRead(int(kQuickWaitMs - spent.elapsed())))
                break;
        }
        int remainingMs = d->timeoutMs;
        if (remainingMs > 0)
            remainingMs = int(qMax<qint64>(1, remainingMs - spent.elapsed()));
        const bool answered = settled() || waitFor(socket, remainingMs, settled);
        if (d->replies.contains(id))
            break;
        const bool dropped = answered && d->protocolError.isEmpty();
        const TMessages &texts = TMessages::padrao();
        const QString reason = (!answered                    ? texts.Msg(QStringLiteral("Net_SemRespostaCall"))
                                : !d->protocolError.isEmpty() ? texts.Msg(QStringLiteral("Net_RespIlegivelCall"))
                                : readOnly                    ? texts.Msg(QStringLiteral("Net_PerdidaCall"))
                                                              : texts.Msg(QStringLiteral("Net_PerdidaGravacao")))
                                   .arg(method);
        if (!d->protocolError.isEmpty())
            qWarning().noquote() << "unreadable answer from" << d->where() << "to" << method << ":" << d->protocolError;
        close();
        // A read changes nothing at the server: asking again on a new connection is safe.
        if (dropped && readOnly && attempt == 1) {
            qInfo().noquote() << "connection to" << d->where() << "lost during" << method << "- asking again";
            continue;
        }
        throw NetError(QStringLiteral("network"), reason, true);
    }

    const QVariantMap reply = d->replies.take(id);
    const auto errorIt = reply.constFind(QStringLiteral("error"));
    if (errorIt != reply.constEnd()) {
        const QVariantMap error = errorIt->toMap();
        throw NetError(error.value(QStringLiteral("code"), QStringLiteral("server")).toString(),
                       error.value(QStringLiteral("message")).toString());
    }

    const QVariant refs = reply.value(QStringLiteral("refs"));
    if (refsOut && refs.metaType() == QMetaType::fromType<IndexMap>())
        *refsOut = refs.value<IndexMap>();
    return reply.value(QStringLiteral("result"));
}
