#include "mqttsession.h"

#include "bridgelogging.h"
#include "mqttclient.h"
#include "mqttmessage.h"
#include "tcpbridge.h"
#include "topicscheme.h"
#include "trendsampler.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTimer>

MqttSession::MqttSession(TcpBridge *bridge, QMQTT::Client *client, QObject *parent)
    : QObject(parent)
    , m_bridge(bridge)
    , m_client(client)
{
    connect(bridge, &TcpBridge::mqttConfigReceived, this, &MqttSession::applyBrokerSettings);
    connect(client, &QMQTT::Client::connected, this, &MqttSession::onConnected);
    connect(client, &QMQTT::Client::disconnected, this, &MqttSession::onDisconnected);

    connect(bridge, &TcpBridge::configCommandandtopic, this, &MqttSession::publishCommand);
    connect(bridge, &TcpBridge::subCommandandtopic, this, &MqttSession::publishRequest);
    connect(bridge, &TcpBridge::mqttDeviceSelected, this, &MqttSession::moveSubscriptions);
    connect(client, &QMQTT::Client::received, this, &MqttSession::route);
    connect(client, &QMQTT::Client::subscribed, this, [](const QString &topic, quint8 qos) {
        qCDebug(lcBridge) << "Subscribe ack for" << topic << "qos" << int(qos);
    });
    // Every failed attempt ends in disconnected(); the reason is shown.
    connect(client, &QMQTT::Client::error, this, &MqttSession::onError);
}

void MqttSession::applyBrokerSettings()
{
    const BrokerSettings &broker = m_bridge->cloudBroker();
    const QString host = broker.host.trimmed();
    const std::optional<quint16> port = broker.portNumber();
    if (!port || host.isEmpty())
        return;

    const bool unchanged = host == m_lastHost && *port == m_lastPort
                           && m_client->username() == broker.user
                           && QString::fromUtf8(m_client->password()) == broker.password
                           && m_client->tls() == broker.tls;
    if (unchanged) {
        m_bridge->subscribetoMqttTopics();
        if (!m_client->isConnectedToHost()) {
            m_announceFailure = true;
            m_client->connectToHost();
            m_bridge->subscribetoMqttTopics();
        }
        return;
    }

    m_lastHost = host;
    m_lastPort = *port;
    m_client->disconnectFromHost();
    broker.applyTo(*m_client);
    m_bridge->setBrokerStatus({}, {});
    m_announceFailure = true;
    m_client->connectToHost();
}

QString MqttSession::describeLink(const QMQTT::TlsLink &link)
{
    if (!link.isEncrypted())
        return QStringLiteral("Not encrypted (plain TCP)");
    return QStringLiteral("Encrypted with %1, server certificate %2, valid until %3")
        .arg(link.protocol, link.subject, link.expires.toString(QStringLiteral("yyyy-MM-dd")));
}

void MqttSession::onConnected()
{
    m_announceFailure = false;
    m_bridge->setBrokerStatus(describeLink(m_client->tlsLink()), {});
    m_bridge->ismqttConnected(true);
    m_bridge->subscribetoMqttTopics();
}

// One retry per drop, failed attempts included: the retry's own failure ends
// in another disconnected(), which schedules the next one.
void MqttSession::onDisconnected()
{
    m_bridge->setBrokerStatus({}, m_bridge->brokerError());
    m_bridge->ismqttConnected(false);
    QTimer::singleShot(retryDelayMs, Qt::CoarseTimer, QCoreApplication::instance(),
                       [client = QPointer<QMQTT::Client>(m_client)] {
                           if (client && !client->isConnectedToHost())
                               client->connectToHost();
                       });
}

void MqttSession::onError()
{
    // A refused subscription leaves the connection up: not a link failure.
    if (m_client->isConnectedToHost())
        return;
    m_bridge->setBrokerStatus({}, m_client->errorString());
    if (m_announceFailure) {
        m_announceFailure = false;
        emit m_bridge->brokerFailed(m_client->errorString());
    }
}

void MqttSession::moveSubscriptions(const QString &deviceId)
{
    if (!TopicScheme::isUsableDeviceId(deviceId)) {
        qCWarning(lcBridge).noquote() << "Refused to subscribe the topics of the device id"
                                      << deviceId << "(it holds \"+\", \"#\" or \"/\")";
        return;
    }
    // Choosing the same gateway again only renews its subscriptions (a
    // reconnect with a clean session needs them): unsubscribing first would
    // drop whatever it publishes until the new subscription is granted.
    if (!m_subscribedDeviceId.isEmpty() && m_subscribedDeviceId != deviceId) {
        for (const QString &topic : TopicScheme::gatewayTopics(m_subscribedDeviceId))
            m_client->unsubscribe(topic);
    }
    m_subscribedDeviceId = deviceId;
    for (const QString &topic : TopicScheme::gatewayTopics(deviceId))
        m_client->subscribe(topic, 2);
}

void MqttSession::publishCommand(const QString &command, const QString &topic)
{
    m_client->publish(QMQTT::Message(0, topic, command.toUtf8(), 0, false, false));
}

void MqttSession::publishRequest(const QVariantMap &data, const QString &topic)
{
    const QByteArray json =
        QJsonDocument(QJsonObject::fromVariantMap(data)).toJson(QJsonDocument::Compact);
    m_client->publish(QMQTT::Message(0, topic, json, 0, false, false));
}

void MqttSession::route(const QMQTT::Message &message)
{
    const QString topic = message.topic();
    const QString text = QString::fromUtf8(message.payload());
    const TopicScheme::Route route = TopicScheme::routeOf(topic);
    if (route.networkLog)
        m_bridge->emitnetworkLogFromMqtt(text, topic);
    if (route.portData) {
        m_bridge->emitLogFromMqtt(text, topic);
        m_bridge->emitWriteFromMqtt(text);
        m_bridge->trends()->add(TrendSampler::fromPayload(topic, text, m_bridge->deviceListMqtt()));
    }
    if (route.errorsLog)
        m_bridge->emitLogFromMqtt(text, topic);
    if (route.reply)
        m_bridge->emitdevicelistfrommqtt(text);
}
