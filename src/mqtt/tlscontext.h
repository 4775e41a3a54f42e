#pragma once

#include "mqttclienterror.h"
#include "tlslink.h"
#include "tlsoptions.h"

#include <QString>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;
typedef struct x509_store_ctx_st X509_STORE_CTX;

namespace QMQTT {

// The OpenSSL context of one TLS connection attempt, handed to libmosquitto
// in place of its own. Built here so that the host name is checked by
// OpenSSL during the handshake (the library is given a numeric address) and
// so that the reason of a failed verification is kept: libmosquitto frees
// the connection, and with it OpenSSL's verdict, before we see the failure.
class TlsContext
{
public:
    TlsContext() = default;
    ~TlsContext();
    TlsContext(const TlsContext &) = delete;
    TlsContext &operator=(const TlsContext &) = delete;

    // Trust store or CA file, client certificate and key, and the name the
    // server certificate must carry. On false, error() and errorString()
    // say why; nothing was sent.
    bool setUp(const TlsOptions &options, const QString &hostName);
    SSL_CTX *handle() const { return m_ctx; }

    // Why a handshake on this context failed, as an error and a sentence.
    // libraryLog is what libmosquitto logged of OpenSSL's errors.
    ClientError failure(quint16 port, const QString &libraryLog, QString *text) const;
    ClientError error() const { return m_error; }
    QString errorString() const { return m_errorString; }
    // True once the server presented a certificate that passed every check.
    bool serverVerified() const { return m_peerSeen && m_verifyError == 0; }

    // OpenSSL's reason for the last failure on this thread, where
    // libmosquitto did not log it (a failed write), and clears it.
    static QString takeLibraryError();
    // The protocol and server certificate of an established connection.
    static TlsLink describe(SSL *ssl);

private:
    static int verifyCallback(int ok, X509_STORE_CTX *store);
    static void infoCallback(const SSL *ssl, int where, int ret);
    bool fail(ClientError error, const QString &text);

    SSL_CTX *m_ctx = nullptr;
    QString m_hostName;
    QByteArray m_serverName; // for SNI; empty for an address literal
    bool m_withClientCertificate = false;
    bool m_peerSeen = false;
    int m_verifyError = 0;
    ClientError m_error = UnknownError;
    QString m_errorString;
};

} // namespace QMQTT
