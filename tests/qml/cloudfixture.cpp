#include "cloudfixture.h"

#include "gatewaycloudlink.h"
#include "gatewayfixture.h"
#include "gatewaysimulator.h"
#include "mosquittobroker.h"
#include "mqttclient.h"
#include "mqttmessage.h"
#include "settingsstore.h"

#include <QDebug>

namespace {
const QString gatewayUser = QStringLiteral("gateway");
const QString gatewayPassword = QStringLiteral("s3cret+pass");
const QString topicRoot = QStringLiteral("Kestrelvane/");
const QStringList toolTopicSuffixes = {QStringLiteral("/pub/port1"), QStringLiteral("/pub/port2"),
                                       QStringLiteral("/response"), QStringLiteral("/errors"),
                                       QStringLiteral("/network")};
} // namespace

CloudFixture::CloudFixture(GatewayFixture *gateway, QMQTT::Client *toolClient, QObject *parent)
    : QObject(parent)
    , m_gateway(gateway)
    , m_toolClient(toolClient)
{
    connect(m_toolClient, &QMQTT::Client::subscribed, this,
            [this](const QString &topic) { m_toolTopics.insert(topic); });
    connect(m_toolClient, &QMQTT::Client::unsubscribed, this,
            [this](const QString &topic) { m_toolTopics.remove(topic); });
    connect(m_toolClient, &QMQTT::Client::disconnected, this, [this] { m_toolTopics.clear(); });
    // The gateway's cloud side answers from the simulator's model, so it
    // leaves the broker with it.
    connect(m_gateway, &GatewayFixture::stopping, this, [this] { m_link.reset(); });
}

CloudFixture::~CloudFixture() = default;

QString CloudFixture::start(const QString &deviceId, bool storeSettings)
{
    if (!m_broker) {
        auto broker = std::make_unique<MosquittoBroker>();
        broker->addUser(gatewayUser, gatewayPassword);
        if (!broker->start()) {
            qWarning().noquote() << "broker did not start:" << broker->errorString();
            return {};
        }
        m_broker = std::move(broker);
    }
    if (!m_gateway->simulator() && m_gateway->start().isEmpty()) {
        qWarning() << "gateway simulator did not start";
        return {};
    }

    GatewayModel &model = m_gateway->simulator()->model();
    model.setBroker(m_broker->host(), m_broker->port(), gatewayUser, gatewayPassword);
    model.setDeviceId(deviceId);
    if (storeSettings) {
        SettingsStore::writeBrokerSettings(
            deviceId,
            {m_broker->host(), QString::number(m_broker->port()), gatewayUser, gatewayPassword});
    }

    m_link = std::make_unique<GatewayCloudLink>(model);
    connect(m_link.get(), &GatewayCloudLink::commandReceived, this,
            [this](const QString &command) { m_commands.append(command); });
    connect(m_link.get(), &GatewayCloudLink::writeRequestReceived, this,
            [this](const QByteArray &json) { m_writeRequests.append(QString::fromUtf8(json)); });
    m_link->start();
    joinObserver();
    return deviceId;
}

void CloudFixture::joinObserver()
{
    m_observer = std::make_unique<QMQTT::Client>();
    m_observerReady = false;
    m_observer->setHostName(m_broker->host());
    m_observer->setPort(m_broker->port());
    m_observer->setUsername(gatewayUser);
    m_observer->setPassword(gatewayPassword.toUtf8());
    connect(m_observer.get(), &QMQTT::Client::connected, this,
            [this] { m_observer->subscribe(topicRoot + QLatin1Char('#'), 1); });
    connect(m_observer.get(), &QMQTT::Client::subscribed, this, [this] { m_observerReady = true; });
    connect(m_observer.get(), &QMQTT::Client::disconnected, this,
            [this] { m_observerReady = false; });
    connect(m_observer.get(), &QMQTT::Client::received, this,
            [this](const QMQTT::Message &message) {
                m_messages.append({message.topic(), QString::fromUtf8(message.payload())});
            });
    m_observer->connectToHost();
}

bool CloudFixture::toolSubscribed(const QString &deviceId) const
{
    for (const QString &suffix : toolTopicSuffixes) {
        if (!m_toolTopics.contains(topicRoot + deviceId + suffix))
            return false;
    }
    return true;
}

QStringList CloudFixture::messages(const QString &topic) const
{
    QStringList payloads;
    for (const auto &message : m_messages) {
        if (message.first == topic)
            payloads.append(message.second);
    }
    return payloads;
}

void CloudFixture::clearReceived()
{
    m_commands.clear();
    m_writeRequests.clear();
    m_messages.clear();
}

void CloudFixture::publish(const QString &topic, const QString &payload)
{
    if (m_observer)
        m_observer->publish(QMQTT::Message(0, topic, payload.toUtf8(), 1));
}

bool CloudFixture::restartBroker()
{
    if (!m_broker || !m_broker->restart())
        return false;
    joinObserver();
    return true;
}
