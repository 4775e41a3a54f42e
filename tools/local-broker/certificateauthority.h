#pragma once

#include <QString>
#include <QStringList>

// A throw-away certificate authority, made with the openssl program in a
// folder of the caller's, for TLS on the local broker: it signs server and
// client certificates, including an expired one. Keys are owner-only.
class CertificateAuthority
{
public:
    // Files are named after name: name.crt, name.key.
    CertificateAuthority(const QString &folder, const QString &name);

    // Makes the authority's own key and certificate.
    bool create();
    QString certFile() const { return path(m_name, ".crt"); }

    // Issues name.crt and name.key for the common name, with the DNS names
    // as subject alternative names; an expired one ended a day ago.
    bool issue(const QString &name, const QString &commonName, const QStringList &dnsNames,
               bool expired = false);
    QString path(const QString &name, const char *suffix) const;
    QString errorString() const { return m_error; }

private:
    bool run(const QStringList &arguments);

    QString m_folder;
    QString m_name;
    QString m_error;
};
