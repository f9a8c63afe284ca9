#include "TestCertificates.h"

#include <QFile>
#include <QProcess>

bool TestCertificates::openssl(const QStringList &arguments, QString *error) const
{
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("openssl %1 failed: %2 %3")
                     .arg(arguments.join(u' '), process.errorString(), QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

bool TestCertificates::makeAuthority(const QString &base, const QString &commonName, QString *error) const
{
    // EC keys: quick to make, and what a current installation would choose.
    return openssl({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                    QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                    QStringLiteral("-keyout"), base + QStringLiteral(".key"), QStringLiteral("-out"), base + QStringLiteral(".pem"),
                    QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=") + commonName,
                    QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                    QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")},
                   error);
}

bool TestCertificates::create(QString *error)
{
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    return makeAuthority(QStringLiteral("ca"), QStringLiteral("Compras Teste CA"), error)
        && makeAuthority(QStringLiteral("other-ca"), QStringLiteral("Outra CA"), error);
}

bool TestCertificates::issue(const QString &name, QString *error)
{
    if (QFile::exists(serverCertificate(name)))
        return true;
    const QString extensions = path(name + QStringLiteral(".ext"));
    QFile file(extensions);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    file.write(QStringLiteral("subjectAltName=DNS:%1\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n")
                   .arg(name).toUtf8());
    file.close();
    return openssl({QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                    QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                    serverKey(name), QStringLiteral("-out"), path(name + QStringLiteral(".csr")), QStringLiteral("-subj"),
                    QStringLiteral("/CN=") + name},
                   error)
        && openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), path(name + QStringLiteral(".csr")),
                    QStringLiteral("-CA"), caFile(), QStringLiteral("-CAkey"), path(QStringLiteral("ca.key")),
                    QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-extfile"),
                    extensions, QStringLiteral("-out"), serverCertificate(name)},
                   error);
}
