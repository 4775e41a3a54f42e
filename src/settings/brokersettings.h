#pragma once

#include "tlsoptions.h"

#include <QString>

#include <optional>

namespace QMQTT {
class Client;
} // namespace QMQTT

// Connection settings of the broker a gateway reports to, as stored per
// device identifier. The password is in clear text here; only the settings
// file holds it scrambled. The TLS options are the operator's, kept beside
// what the gateway reported and never overwritten by it.
struct BrokerSettings
{
    QString host;
    QString port;
    QString user;
    QString password;
    QMQTT::TlsOptions tls = {};

    // The port as a number from 1 to 65535, or none.
    std::optional<quint16> portNumber() const;
    // Points the client at this broker; false, leaving the client as it
    // was, when there is no host or no usable port.
    bool applyTo(QMQTT::Client &client) const;

    bool isComplete() const
    {
        return !host.isEmpty() && !port.isEmpty() && !user.isEmpty() && !password.isEmpty();
    }
    friend bool operator==(const BrokerSettings &a, const BrokerSettings &b)
    {
        return a.host == b.host && a.port == b.port && a.user == b.user && a.password == b.password
               && a.tls == b.tls;
    }
};
