#pragma once

#include <QDateTime>
#include <QString>

namespace QMQTT {

// What protects an established connection: empty (not encrypted) for plain
// TCP, else the protocol and the server certificate it was verified with.
struct TlsLink
{
    QString protocol; // "TLSv1.3"
    QString subject;  // "CN=broker.example.com"
    QDateTime expires;

    bool isEncrypted() const { return !protocol.isEmpty(); }
};

} // namespace QMQTT
