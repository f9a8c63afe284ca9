#pragma once

#include <QString>
#include <QTemporaryDir>

// A certificate authority made for one test run with the openssl program, and server
// certificates it signs, as PEM files in a temporary folder:
//   TestCertificates certs;
//   QVERIFY2(certs.create(&error), qPrintable(error));
//   certs.caFile()                     the authority's certificate (what clients trust)
//   certs.serverCertificate("localhost") / serverKey("localhost")   signed for that name
// A second, unrelated authority (otherCaFile()) stands for "some other company's CA".
class TestCertificates
{
public:
    bool create(QString *error);

    QString caFile() const { return path(QStringLiteral("ca.pem")); }
    QString otherCaFile() const { return path(QStringLiteral("other-ca.pem")); }
    // Issues (once) a certificate for the DNS name, signed by the authority.
    bool issue(const QString &name, QString *error);
    QString serverCertificate(const QString &name) const { return path(name + QStringLiteral(".pem")); }
    QString serverKey(const QString &name) const { return path(name + QStringLiteral(".key")); }

private:
    QString path(const QString &file) const { return m_dir.filePath(file); }
    bool openssl(const QStringList &arguments, QString *error) const;
    bool makeAuthority(const QString &base, const QString &commonName, QString *error) const;

    QTemporaryDir m_dir;
};
