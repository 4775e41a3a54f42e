#pragma once

#include <QString>

namespace QMQTT {

// How the client secures its connection to a broker. One value per broker,
// filled from the device's entry in the settings file (and by anything else
// that names a broker), so every caller sets up TLS the same way.
struct TlsOptions
{
    bool enabled = false;
    // Empty: the server is checked against the system's trust store.
    QString caFile;
    // Both set: a client certificate for brokers that ask for one.
    QString certFile;
    QString keyFile;

    friend bool operator==(const TlsOptions &a, const TlsOptions &b)
    {
        return a.enabled == b.enabled && a.caFile == b.caFile && a.certFile == b.certFile
               && a.keyFile == b.keyFile;
    }
    friend bool operator!=(const TlsOptions &a, const TlsOptions &b) { return !(a == b); }
};

// The port brokers listen on for MQTT over TLS: a gateway that reports it
// is taken to mean TLS even when its entry does not say so.
inline constexpr quint16 mqttTlsPort = 8883;

} // namespace QMQTT
