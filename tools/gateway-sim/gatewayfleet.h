#pragma once

#include "gatewaysimulator.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace QMQTT {
class Client;
class Message;
} // namespace QMQTT

// Many simulated gateways in one process, for fleet runs: ids PREFIX-0001 to
// PREFIX-N (more digits when N needs them), each with a device list of its
// own. Through the broker one client answers for all of them, as a broker
// sees no difference; on the LAN each listens on an address of its own,
// 127.0.0.2 and up.
class GatewayFleet : public QObject
{
    Q_OBJECT

public:
    GatewayFleet(int count, const QString &prefix, QObject *parent = nullptr);
    ~GatewayFleet() override;

    static QString deviceId(const QString &prefix, int number, int count);

    int size() const { return int(m_gateways.size()); }
    GatewaySimulator &gateway(int index) { return *m_gateways[index]; }

    // Joins the broker every gateway reports and answers their config
    // topics; the broker's settings are each model's own.
    void startCloud();
    bool isCloudConnected() const;
    // Each gateway's three services on its own address, from `first` up.
    bool listen(const QHostAddress &first, const GatewayPorts &ports, QString *error);
    // Commands received through the broker, for the benchmark's count.
    qint64 commandsReceived() const { return m_commandsReceived; }

signals:
    void cloudConnected();

private:
    void onReceived(const QMQTT::Message &message);

    std::vector<std::unique_ptr<GatewaySimulator>> m_gateways;
    QHash<QString, GatewaySimulator *> m_byId;
    QMQTT::Client *m_client = nullptr;
    qint64 m_commandsReceived = 0;
};
