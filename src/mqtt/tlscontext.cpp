#include "tlscontext.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QTimeZone>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <ctime>

namespace QMQTT {

namespace {

// A key protected by a pass phrase would make OpenSSL ask for it on the
// terminal the program may not even have: refuse instead.
int noPassphrase(char *, int, int, void *)
{
    return 0;
}

QString fileProblem(const QString &what, const QString &path)
{
    return QStringLiteral("TLS: cannot read the %1 %2.").arg(what, path);
}

} // namespace

TlsContext::~TlsContext()
{
    // libmosquitto holds its own reference while it uses the context.
    if (m_ctx)
        SSL_CTX_free(m_ctx);
}

bool TlsContext::fail(ClientError error, const QString &text)
{
    m_error = error;
    m_errorString = text;
    return false;
}

bool TlsContext::setUp(const TlsOptions &options, const QString &hostName)
{
    m_hostName = hostName;
    m_ctx = SSL_CTX_new(TLS_client_method());
    if (!m_ctx)
        return fail(TlsHandshakeError, QStringLiteral("TLS: OpenSSL could not be set up."));
    SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
    // Whole bursts in one read: libmosquitto reads a packet a few bytes at
    // a time, and each of those would otherwise be a system call of its own.
    SSL_CTX_set_read_ahead(m_ctx, 1);
    SSL_CTX_set_app_data(m_ctx, this);
    SSL_CTX_set_default_passwd_cb(m_ctx, noPassphrase);

    if (options.caFile.isEmpty()) {
        SSL_CTX_set_default_verify_paths(m_ctx);
    } else if (!QFileInfo(options.caFile).isReadable()
               || SSL_CTX_load_verify_locations(
                      m_ctx, QFile::encodeName(options.caFile).constData(), nullptr)
                      != 1) {
        return fail(TlsFileError, fileProblem(QStringLiteral("CA file"), options.caFile));
    }

    if (!options.certFile.isEmpty() || !options.keyFile.isEmpty()) {
        // The key proves who we are: if others can read it, it proves nothing.
        const QFileInfo key(options.keyFile);
        if (!key.isReadable())
            return fail(TlsFileError, fileProblem(QStringLiteral("key file"), options.keyFile));
        if (key.permissions() & (QFile::ReadGroup | QFile::ReadOther))
            return fail(TlsKeyFileExposedError,
                        QStringLiteral("TLS: the key file %1 can be read by other users; allow "
                                       "only its owner to read it (chmod 600).")
                            .arg(options.keyFile));
        if (SSL_CTX_use_certificate_chain_file(m_ctx,
                                               QFile::encodeName(options.certFile).constData())
            != 1)
            return fail(TlsFileError,
                        fileProblem(QStringLiteral("client certificate"), options.certFile));
        if (SSL_CTX_use_PrivateKey_file(m_ctx, QFile::encodeName(options.keyFile).constData(),
                                        SSL_FILETYPE_PEM)
                != 1
            || SSL_CTX_check_private_key(m_ctx) != 1)
            return fail(TlsFileError,
                        QStringLiteral("TLS: the key file %1 cannot be used with the client "
                                       "certificate (wrong key, or a pass phrase).")
                            .arg(options.keyFile));
        m_withClientCertificate = true;
    }
    ERR_clear_error();

    // The server's certificate must name the host we were asked to reach,
    // not merely the address it resolved to.
    X509_VERIFY_PARAM *param = SSL_CTX_get0_param(m_ctx);
    const QByteArray name = hostName.toUtf8();
    if (QHostAddress().setAddress(hostName)) {
        X509_VERIFY_PARAM_set1_ip_asc(param, name.constData());
    } else {
        X509_VERIFY_PARAM_set1_host(param, name.constData(), 0);
        m_serverName = name;
    }
    SSL_CTX_set_verify(m_ctx, SSL_VERIFY_PEER, &TlsContext::verifyCallback);
    SSL_CTX_set_info_callback(m_ctx, &TlsContext::infoCallback);
    return true;
}

int TlsContext::verifyCallback(int ok, X509_STORE_CTX *store)
{
    SSL *ssl =
        static_cast<SSL *>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto *self = static_cast<TlsContext *>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    self->m_peerSeen = true;
    if (!ok && self->m_verifyError == 0)
        self->m_verifyError = X509_STORE_CTX_get_error(store);
    return ok;
}

// libmosquitto names the server by the numeric address we give it; brokers
// behind a shared front (hosted brokers) need the host name in the hello.
void TlsContext::infoCallback(const SSL *ssl, int where, int)
{
    if (!(where & SSL_CB_HANDSHAKE_START))
        return;
    auto *self = static_cast<TlsContext *>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    // The macro takes a non-const name; OpenSSL copies it.
    char *name = self->m_serverName.isEmpty() ? nullptr : self->m_serverName.data();
    SSL_set_tlsext_host_name(const_cast<SSL *>(ssl), name);
}

ClientError TlsContext::failure(quint16 port, const QString &libraryLog, QString *text) const
{
    switch (m_verifyError) {
    case 0:
        break;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
        *text = QStringLiteral("TLS: the broker's certificate is not signed by a trusted "
                               "authority (unknown issuer).");
        return TlsUnknownIssuerError;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        *text = QStringLiteral("TLS: the broker's certificate is not for %1 (name mismatch).")
                    .arg(m_hostName);
        return TlsHostNameMismatchError;
    case X509_V_ERR_CERT_HAS_EXPIRED:
        *text = QStringLiteral("TLS: the broker's certificate has expired.");
        return TlsCertificateExpiredError;
    default:
        *text = QStringLiteral("TLS: the broker's certificate was refused: %1.")
                    .arg(QString::fromUtf8(X509_verify_cert_error_string(m_verifyError)));
        return TlsHandshakeError;
    }
    if (!m_peerSeen) {
        *text = QStringLiteral("TLS: the broker does not speak TLS on port %1 (no TLS on that "
                               "port).")
                    .arg(port);
        return TlsNotOfferedError;
    }
    // The server passed every check, so the handshake failed on the
    // broker's side: with TLS 1.3 only its verdict on our certificate is
    // left, and its alert often arrives after libmosquitto has dropped the
    // connection and OpenSSL's reason with it.
    if (!m_withClientCertificate) {
        *text = QStringLiteral("TLS: the broker asks for a client certificate; none is set for "
                               "this broker.");
        return TlsClientCertificateError;
    }
    *text =
        QStringLiteral("TLS: the broker refused the client certificate%1")
            .arg(libraryLog.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + libraryLog);
    return TlsClientCertificateError;
}

QString TlsContext::takeLibraryError()
{
    const unsigned long error = ERR_peek_last_error();
    const char *reason = error ? ERR_reason_error_string(error) : nullptr;
    ERR_clear_error();
    return reason ? QString::fromLatin1(reason) : QString();
}

TlsLink TlsContext::describe(SSL *ssl)
{
    TlsLink link;
    if (!ssl)
        return link;
    link.protocol = QString::fromLatin1(SSL_get_version(ssl));
    X509 *cert = SSL_get1_peer_certificate(ssl);
    if (!cert)
        return link;
    if (BIO *bio = BIO_new(BIO_s_mem())) {
        X509_NAME_print_ex(bio, X509_get_subject_name(cert), 0, XN_FLAG_RFC2253);
        char *data = nullptr;
        const long size = BIO_get_mem_data(bio, &data);
        link.subject = QString::fromUtf8(data, int(size));
        BIO_free(bio);
    }
    std::tm expiry{};
    if (ASN1_TIME_to_tm(X509_get0_notAfter(cert), &expiry) == 1)
        link.expires =
            QDateTime(QDate(expiry.tm_year + 1900, expiry.tm_mon + 1, expiry.tm_mday),
                      QTime(expiry.tm_hour, expiry.tm_min, expiry.tm_sec), QTimeZone::utc());
    X509_free(cert);
    return link;
}

} // namespace QMQTT
