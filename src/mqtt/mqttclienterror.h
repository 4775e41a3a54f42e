#pragma once

#include <QObject>

namespace QMQTT {
Q_NAMESPACE

// Why a connection attempt failed or an established connection ended.
enum ClientError {
    UnknownError = 0,
    SocketConnectionRefusedError,
    SocketRemoteHostClosedError,
    SocketHostNotFoundError,
    SocketAccessError,
    SocketResourceError,
    SocketTimeoutError,
    SocketNetworkError,
    SocketAddressInUseError,
    MqttUnacceptableProtocolVersionError,
    MqttIdentifierRejectedError,
    MqttServerUnavailableError,
    MqttBadUserNameOrPasswordError,
    MqttNotAuthorizedError,
    MqttNoPingResponseError,
    MqttSubscriptionRejectedError,
    MqttProtocolViolationError,
    // TLS: the server certificate is not signed by a trusted authority, is
    // for another host, or has expired; the port does not speak TLS, or
    // speaks only TLS to a plain attempt; the broker wants a (another) client
    // certificate; a key file others can read; a file that cannot be loaded;
    // any other failed handshake.
    TlsUnknownIssuerError,
    TlsHostNameMismatchError,
    TlsCertificateExpiredError,
    TlsNotOfferedError,
    TlsExpectedError,
    TlsClientCertificateError,
    TlsKeyFileExposedError,
    TlsFileError,
    TlsHandshakeError,
};
Q_ENUM_NS(ClientError)

} // namespace QMQTT
