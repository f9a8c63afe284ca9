#include "NetTransport.h"

#include "NetError.h"
#include "TMessages.h"

#include <QMutex>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>

namespace {

QMutex g_settingsMutex;
NetTransportSettings g_defaultSettings;

// The first certificate error, in the words the buyer reads.
QString certificateRefusal(const QSslError &error)
{
    const TMessages &texts = TMessages::padrao();
    switch (error.error()) {
    case QSslError::HostNameMismatch:
        return texts.Msg(QStringLiteral("Net_TlsNomeDiferente"));
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
    case QSslError::CertificateRejected:
        return texts.Msg(QStringLiteral("Net_TlsNaoConfiavel"));
    case QSslError::CertificateExpired:
    case QSslError::CertificateNotYetValid:
        return texts.Msg(QStringLiteral("Net_TlsValidade"));
    default:
        return texts.Msg(QStringLiteral("Net_TlsRecusado")).arg(error.errorString());
    }
}

} // namespace

NetTransportSettings NetTransport::defaults()
{
    QMutexLocker lock(&g_settingsMutex);
    return g_defaultSettings;
}

void NetTransport::setDefaults(const NetTransportSettings &settings)
{
    QMutexLocker lock(&g_settingsMutex);
    g_defaultSettings = settings;
}

QTcpSocket *NetTransport::createSocket(const NetTransportSettings &settings, QObject *parent)
{
    if (!settings.tls)
        return new QTcpSocket(parent);
    const TMessages &texts = TMessages::padrao();
    if (!QSslSocket::supportsSsl())
        throw NetError(QStringLiteral("tls"), texts.Msg(QStringLiteral("Net_TlsIndisponivel")));
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    if (!settings.caFile.isEmpty()) {
        const QList<QSslCertificate> authorities = QSslCertificate::fromPath(settings.caFile, QSsl::Pem);
        if (authorities.isEmpty())
            throw NetError(QStringLiteral("tls"), texts.Msg(QStringLiteral("Net_TlsArquivoCA")).arg(settings.caFile));
        // Only these authorities: a server of the company's own CA, not any public one.
        configuration.setCaCertificates(authorities);
    }
    configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    auto *socket = new QSslSocket(parent);
    socket->setSslConfiguration(configuration);
    return socket;
}

void NetTransport::connectToHost(QTcpSocket *socket, const QString &host, quint16 port)
{
    if (auto *secure = qobject_cast<QSslSocket *>(socket))
        secure->connectToHostEncrypted(host, port);
    else
        socket->connectToHost(host, port);
}

bool NetTransport::isReady(const QTcpSocket *socket)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return false;
    const auto *secure = qobject_cast<const QSslSocket *>(socket);
    return !secure || secure->isEncrypted();
}

QString NetTransport::tlsFailure(const QTcpSocket *socket)
{
    const auto *secure = qobject_cast<const QSslSocket *>(socket);
    if (!secure || secure->isEncrypted())
        return {};
    const QList<QSslError> errors = secure->sslHandshakeErrors();
    if (!errors.isEmpty())
        return certificateRefusal(errors.constFirst());
    switch (secure->error()) {
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
    case QAbstractSocket::RemoteHostClosedError: // a server that does not speak TLS hangs up
        return TMessages::padrao().Msg(QStringLiteral("Net_TlsFalha")).arg(secure->errorString());
    default:
        return {};
    }
}
