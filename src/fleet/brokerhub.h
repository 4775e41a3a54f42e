#pragma once

#include "brokersettings.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

class CloudGatewayLink;
namespace QMQTT {
class Client;
class Message;
} // namespace QMQTT

// One broker connection for every gateway of a fleet run that reports to
// that broker: the replies of all of them come in on one wildcard
// subscription and go to each gateway's link by the device id in the topic,
// so two hundred gateways cost one connection, not two hundred.
class BrokerHub : public QObject
{
    Q_OBJECT

public:
    enum class State { Idle, Connecting, Ready, Unavailable };

    explicit BrokerHub(const BrokerSettings &broker, QObject *parent = nullptr);
    ~BrokerHub() override;

    // Connects on the first call; ready() or unavailable() follows, at once
    // when the hub already knows.
    void open(int guardMs);
    State state() const { return m_state; }
    QString error() const { return m_error; }
    QString describe() const;

    // The link to one gateway on this broker, made on first use; it is up
    // while the hub is ready.
    CloudGatewayLink *link(const QString &deviceId);
    qint64 messagesPublished() const { return m_published; }

signals:
    void ready();
    void unavailable(const QString &error);

private:
    void onConnected();
    void onSubscribed(const QString &topic);
    void onDisconnected();
    void onReceived(const QMQTT::Message &message);
    void setUnavailable(const QString &error);

    BrokerSettings m_broker;
    QMQTT::Client *m_client;
    QHash<QString, CloudGatewayLink *> m_links;
    State m_state = State::Idle;
    QString m_error;
    QTimer m_guard;
    qint64 m_published = 0;
};
