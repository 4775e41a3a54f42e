#pragma once

#include "gatewaylink.h"

#include <functional>

// The conversation with one gateway through the broker: each command is
// published on the gateway's config topic, and each payload of its response
// topic is one reply, read line by line. The broker carries no error of its
// own, so a lost message shows only as a reply that ends without an answer.
class CloudGatewayLink : public GatewayLink
{
    Q_OBJECT

public:
    using Publisher = std::function<void(const QString &command)>;
    CloudGatewayLink(const QString &deviceId, Publisher publisher, QObject *parent = nullptr);

    QString deviceId() const { return m_deviceId; }
    void responseReceived(const QString &payload);
    void sessionChanged(bool connected) { setUp(connected); }
    void commandPublished(const QString &command) { takeWritten(command); }

protected:
    void write(const QString &command) override { m_publisher(command); }

private:
    QString m_deviceId;
    Publisher m_publisher;
};
