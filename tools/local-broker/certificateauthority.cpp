#include "certificateauthority.h"

#include "mosquittobroker.h"

#include <QFile>
#include <QProcess>

CertificateAuthority::CertificateAuthority(const QString &folder, const QString &name)
    : m_folder(folder)
    , m_name(name)
{}

QString CertificateAuthority::path(const QString &name, const char *suffix) const
{
    return m_folder + QLatin1Char('/') + name + QLatin1String(suffix);
}

bool CertificateAuthority::run(const QStringList &arguments)
{
    const QString openssl = MosquittoBroker::findProgram(QStringLiteral("openssl"));
    if (openssl.isEmpty()) {
        m_error = QStringLiteral("openssl not found: install the openssl package");
        return false;
    }
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(openssl, arguments);
    if (!tool.waitForFinished(20000) || tool.exitStatus() != QProcess::NormalExit
        || tool.exitCode() != 0) {
        m_error = "openssl " + arguments.join(' ') + ": " + QString::fromLocal8Bit(tool.readAll());
        return false;
    }
    return true;
}

// Elliptic-curve keys: made in milliseconds, so every run has its own.
static const QStringList newKey = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                                   "-nodes"};

bool CertificateAuthority::create()
{
    return run(QStringList{"req", "-x509"} + newKey
               + QStringList{"-keyout", path(m_name, ".key"), "-out", certFile(), "-days", "30",
                             "-subj", "/CN=" + m_name})
           && QFile::setPermissions(path(m_name, ".key"), QFile::ReadOwner | QFile::WriteOwner);
}

bool CertificateAuthority::issue(const QString &name, const QString &commonName,
                                 const QStringList &dnsNames, bool expired)
{
    const QString request = path(name, ".csr");
    const QString extensions = path(name, ".ext");
    QFile ext(extensions);
    if (!ext.open(QIODevice::WriteOnly))
        return false;
    ext.write("basicConstraints=CA:FALSE\n");
    if (!dnsNames.isEmpty())
        ext.write("subjectAltName=DNS:" + dnsNames.join(",DNS:").toUtf8() + "\n");
    ext.close();
    return run(QStringList{"req"} + newKey
               + QStringList{"-keyout", path(name, ".key"), "-out", request, "-subj",
                             "/CN=" + commonName})
           && QFile::setPermissions(path(name, ".key"), QFile::ReadOwner | QFile::WriteOwner)
           && run({"x509", "-req", "-in", request, "-CA", certFile(), "-CAkey",
                   path(m_name, ".key"), "-CAcreateserial", "-out", path(name, ".crt"), "-days",
                   expired ? "-1" : "30", "-extfile", extensions});
}
