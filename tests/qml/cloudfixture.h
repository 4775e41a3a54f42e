#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariantList>

#include "gatewaycloudlink.h"
#include "mosquittobroker.h"

#include <memory>

class GatewayFixture;
namespace QMQTT {
class Client;
} // namespace QMQTT

// The cloud side of the QML suites (`cloud`): a real mosquitto broker, the
// simulated gateway joined to it, and an observer that sees every message
// under "Kestrelvane/" as a second client would.
class CloudFixture : public QObject
{
    Q_OBJECT

public:
    // The tool's own client, as the application wires it to `tcpClient`.
    CloudFixture(GatewayFixture *gateway, QMQTT::Client *toolClient, QObject *parent = nullptr);
    ~CloudFixture() override;

    // Starts the broker (once), points the simulated gateway at it under the
    // identifier, joins the gateway and the observer, and (unless the tool is
    // to learn them in direct mode) stores the broker settings for the
    // identifier. Returns the identifier, or an empty string with the reason
    // on the warning output.
    Q_INVOKABLE QString start(const QString &deviceId = QStringLiteral("KV-0001"),
                              bool storeSettings = true);

    Q_INVOKABLE bool gatewayOnline() const { return m_link && m_link->isConnected(); }
    Q_INVOKABLE bool observerReady() const { return m_observerReady; }
    // True once the tool's client holds all five topics of the identifier.
    Q_INVOKABLE bool toolSubscribed(const QString &deviceId) const;

    // What the gateway took: commands on its config topic, JSON on its sub
    // topic, in arrival order.
    Q_INVOKABLE QStringList gatewayCommands() const { return m_commands; }
    Q_INVOKABLE QStringList writeRequests() const { return m_writeRequests; }
    // Every payload the observer saw on the topic.
    Q_INVOKABLE QStringList messages(const QString &topic) const;
    Q_INVOKABLE void clearReceived();

    Q_INVOKABLE void publish(const QString &topic, const QString &payload);
    // The gateway's own messages, and its misbehaviour.
    Q_INVOKABLE void publishNetworkReport(const QString &text)
    {
        if (m_link)
            m_link->publishNetworkReport(text);
    }
    Q_INVOKABLE void publishPortData(int port, const QString &text)
    {
        if (m_link)
            m_link->publishPortData(port, text);
    }
    Q_INVOKABLE void setFailWrites(bool fail)
    {
        if (m_link)
            m_link->setFailWrites(fail);
    }
    // A silent gateway stays off the broker: nothing is answered.
    Q_INVOKABLE void setGatewayOnline(bool online)
    {
        if (m_link)
            online ? m_link->start() : m_link->stop();
    }

    Q_INVOKABLE void stopBroker()
    {
        if (m_broker)
            m_broker->stop();
    }
    Q_INVOKABLE bool restartBroker();

private:
    void joinObserver();

    GatewayFixture *m_gateway;
    QMQTT::Client *m_toolClient;
    std::unique_ptr<MosquittoBroker> m_broker;
    std::unique_ptr<GatewayCloudLink> m_link;
    std::unique_ptr<QMQTT::Client> m_observer;
    bool m_observerReady = false;
    QSet<QString> m_toolTopics;
    QStringList m_commands;
    QStringList m_writeRequests;
    QList<QPair<QString, QString>> m_messages;
};
