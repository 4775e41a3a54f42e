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
};
Q_ENUM_NS(ClientError)

} // namespace QMQTT
