#include "gatewaycloudlink.h"

#include "gatewaymodel.h"
#include "mqttclient.h"
#include "mqttmessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

GatewayCloudLink::GatewayCloudLink(GatewayModel &model, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_client(new QMQTT::Client(QHostAddress(QHostAddress::LocalHost), 1883, this))
{
    m_client->setKeepAlive(30);
    m_client->setCleanSession(true);
    connect(m_client, &QMQTT::Client::connected, this, &GatewayCloudLink::onConnected);
    connect(m_client, &QMQTT::Client::disconnected, this, &GatewayCloudLink::onDisconnected);
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(retryIntervalMs);
    connect(&m_retryTimer, &QTimer::timeout, m_client, &QMQTT::Client::connectToHost);
    connect(m_client, &QMQTT::Client::received, this, &GatewayCloudLink::onReceived);
}

GatewayCloudLink::~GatewayCloudLink() = default;

void GatewayCloudLink::start()
{
    m_deviceId = m_model.deviceId();
    m_client->setHostName(m_model.setting(QStringLiteral("mqttServer")));
    m_client->setPort(m_model.setting(QStringLiteral("mqttPort")).toUShort());
    m_client->setUsername(m_model.setting(QStringLiteral("mqttUser")));
    m_client->setPassword(m_model.setting(QStringLiteral("mqttPass")).toUtf8());
    m_running = true;
    m_client->connectToHost();
}

void GatewayCloudLink::setTls(const QMQTT::TlsOptions &tls)
{
    m_client->setTls(tls);
}

void GatewayCloudLink::stop()
{
    m_running = false;
    m_retryTimer.stop();
    m_client->disconnectFromHost();
}

void GatewayCloudLink::onDisconnected()
{
    if (m_running)
        m_retryTimer.start();
    emit disconnected();
}

bool GatewayCloudLink::isConnected() const
{
    return m_client->isConnectedToHost();
}

void GatewayCloudLink::publishNetworkReport(const QString &text)
{
    publish(QStringLiteral("/network"), text.toUtf8());
}

void GatewayCloudLink::publishError(const QString &text)
{
    publish(QStringLiteral("/errors"), text.toUtf8());
}

void GatewayCloudLink::publishPortData(int port, const QString &text)
{
    publish(QStringLiteral("/pub/port%1").arg(port), text.toUtf8());
}

void GatewayCloudLink::onConnected()
{
    m_client->subscribe(topic(QStringLiteral("/config")), 1);
    m_client->subscribe(topic(QStringLiteral("/sub")), 1);
    emit connected();
}

void GatewayCloudLink::onReceived(const QMQTT::Message &message)
{
    if (message.topic() == topic(QStringLiteral("/config"))) {
        const QString command = QString::fromUtf8(message.payload());
        emit commandReceived(command);
        const GatewayModel::Reply reply = m_model.handle(command);
        if (reply.lines.isEmpty())
            return;
        publish(QStringLiteral("/response"), reply.lines.join(QLatin1Char('\n')).toUtf8());
        return;
    }
    if (message.topic() == topic(QStringLiteral("/sub"))) {
        emit writeRequestReceived(message.payload());
        answerWrite(message.payload());
    }
}

// A request the gateway could turn into a Modbus frame: a port, and numbers
// for the slave, the function code, the address and the value or values.
void GatewayCloudLink::answerWrite(const QByteArray &json)
{
    const QJsonObject request = QJsonDocument::fromJson(json).object();
    const int port = request.value(QLatin1String("port")).toInt();
    bool wellFormed =
        (port == 1 || port == 2)
        && request.value(QLatin1String("key")).toString() == QLatin1String("Kestrelvane");
    for (const char *field : {"slave", "fc", "addr"})
        wellFormed = wellFormed && request.value(QLatin1String(field)).isDouble();
    const QJsonValue value = request.value(QLatin1String("value"));
    const QJsonValue values = request.value(QLatin1String("values"));
    wellFormed =
        wellFormed && (value.isDouble() || (values.isArray() && !values.toArray().isEmpty()));

    const bool ok = wellFormed && !m_failWrites;
    publish(QStringLiteral("/pub/port%1").arg(port == 2 ? 2 : 1),
            ok ? QByteArray(R"({"write":"OK"})") : QByteArray(R"({"write":"FAIL"})"));
}

void GatewayCloudLink::publish(const QString &suffix, const QByteArray &payload)
{
    m_client->publish(QMQTT::Message(0, topic(suffix), payload, 1));
}

QString GatewayCloudLink::topic(const QString &suffix) const
{
    return QStringLiteral("Kestrelvane/") + m_deviceId + suffix;
}
