#include "brokerhub.h"

#include "cloudgatewaylink.h"
#include "mqttclient.h"
#include "mqttmessage.h"
#include "topicscheme.h"

namespace {

// Every gateway's replies on this broker, on one subscription.
const QString responseFilter = TopicScheme::responseTopic(QStringLiteral("+"));

} // namespace

BrokerHub::BrokerHub(const BrokerSettings &broker, QObject *parent)
    : QObject(parent)
    , m_broker(broker)
    , m_client(new QMQTT::Client(QHostAddress(QHostAddress::LocalHost), 1883, this))
{
    if (!broker.applyTo(*m_client)) {
        m_state = State::Unavailable;
        m_error = QStringLiteral("the broker's address or port is not usable");
    }
    m_client->setCleanSession(true);
    m_client->setKeepAlive(30);
    m_guard.setSingleShot(true);
    connect(&m_guard, &QTimer::timeout, this,
            [this] { setUnavailable(QStringLiteral("no answer from the broker")); });
    connect(m_client, &QMQTT::Client::connected, this, &BrokerHub::onConnected);
    connect(m_client, &QMQTT::Client::subscribed, this, &BrokerHub::onSubscribed);
    connect(m_client, &QMQTT::Client::disconnected, this, &BrokerHub::onDisconnected);
    connect(m_client, &QMQTT::Client::error, this, [this] {
        setUnavailable(QStringLiteral("the broker refused or dropped the connection"));
    });
    connect(m_client, &QMQTT::Client::received, this, &BrokerHub::onReceived);
}

BrokerHub::~BrokerHub() = default;

QString BrokerHub::describe() const
{
    return QStringLiteral("%1@%2:%3").arg(m_broker.user, m_broker.host, m_broker.port);
}

void BrokerHub::open(int guardMs)
{
    switch (m_state) {
    case State::Idle:
        m_state = State::Connecting;
        m_guard.start(guardMs);
        m_client->connectToHost();
        break;
    case State::Ready:
        emit ready();
        break;
    case State::Unavailable:
        emit unavailable(m_error);
        break;
    case State::Connecting:
        break;
    }
}

CloudGatewayLink *BrokerHub::link(const QString &deviceId)
{
    CloudGatewayLink *&link = m_links[deviceId];
    if (!link) {
        const QString topic = TopicScheme::configTopic(deviceId);
        link = new CloudGatewayLink(
            deviceId,
            [this, topic](const QString &command) {
                ++m_published;
                m_client->publish(QMQTT::Message(0, topic, command.toUtf8(), 0, false, false));
            },
            this);
        link->sessionChanged(m_state == State::Ready);
    }
    return link;
}

void BrokerHub::onConnected()
{
    m_client->subscribe(responseFilter, 1);
}

// Commands go out only once the replies can come back.
void BrokerHub::onSubscribed(const QString &topic)
{
    if (topic != responseFilter || m_state != State::Connecting)
        return;
    m_guard.stop();
    m_state = State::Ready;
    for (CloudGatewayLink *link : std::as_const(m_links))
        link->sessionChanged(true);
    emit ready();
}

void BrokerHub::onDisconnected()
{
    setUnavailable(m_state == State::Ready ? QStringLiteral("the connection to the broker was lost")
                                           : QStringLiteral("the broker closed the connection"));
}

// A hub that lost its broker stays down for the rest of the run: a
// conversation that may have reached a gateway must not silently go on
// after an unknown gap.
void BrokerHub::setUnavailable(const QString &error)
{
    if (m_state == State::Unavailable)
        return;
    m_guard.stop();
    m_state = State::Unavailable;
    m_error = error;
    for (CloudGatewayLink *link : std::as_const(m_links))
        link->sessionChanged(false);
    m_client->disconnectFromHost();
    emit unavailable(error);
}

void BrokerHub::onReceived(const QMQTT::Message &message)
{
    const QString id = TopicScheme::deviceIdFromTopic(message.topic());
    if (id.isEmpty() || message.topic() != TopicScheme::responseTopic(id))
        return;
    if (CloudGatewayLink *link = m_links.value(id))
        link->responseReceived(QString::fromUtf8(message.payload()));
}
