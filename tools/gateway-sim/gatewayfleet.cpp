#include "gatewayfleet.h"

#include "mqttclient.h"
#include "mqttmessage.h"

namespace {

const QString topicRoot = QStringLiteral("Kestrelvane/");

// A few kinds of meter, so that device lists differ from gateway to gateway
// (some hold none).
QList<GatewayModel::Device> devicesOf(int number)
{
    static const QStringList kinds = {QStringLiteral("Energy meter"), QStringLiteral("Flow meter"),
                                      QStringLiteral("Pump drive")};
    QList<GatewayModel::Device> devices;
    for (int i = 0; i < number % 4; ++i) {
        devices.append({QStringLiteral("%1 %2").arg(kinds[(number + i) % kinds.size()]).arg(i + 1),
                        1 + i % 2, 1, QStringLiteral("%1s").arg(5 * (1 + (number + i) % 3)),
                        QStringLiteral("01030000000%1").arg(2 + i)});
    }
    return devices;
}

} // namespace

GatewayFleet::GatewayFleet(int count, const QString &prefix, QObject *parent)
    : QObject(parent)
{
    m_gateways.reserve(count);
    for (int number = 1; number <= count; ++number) {
        auto gateway = std::make_unique<GatewaySimulator>();
        gateway->model().setDeviceId(deviceId(prefix, number, count));
        gateway->model().setDevices(devicesOf(number));
        m_byId.insert(gateway->model().deviceId(), gateway.get());
        m_gateways.push_back(std::move(gateway));
    }
}

GatewayFleet::~GatewayFleet() = default;

QString GatewayFleet::deviceId(const QString &prefix, int number, int count)
{
    const int width = qMax(4, int(QString::number(count).size()));
    return QStringLiteral("%1-%2").arg(prefix).arg(number, width, 10, QLatin1Char('0'));
}

void GatewayFleet::startCloud()
{
    if (m_gateways.empty())
        return;
    const GatewayModel &model = m_gateways.front()->model();
    m_client = new QMQTT::Client(QHostAddress(QHostAddress::LocalHost), 1883, this);
    m_client->setHostName(model.setting(QStringLiteral("mqttServer")));
    m_client->setPort(model.setting(QStringLiteral("mqttPort")).toUShort());
    m_client->setUsername(model.setting(QStringLiteral("mqttUser")));
    m_client->setPassword(model.setting(QStringLiteral("mqttPass")).toUtf8());
    m_client->setCleanSession(true);
    connect(m_client, &QMQTT::Client::connected, this, [this] {
        m_client->subscribe(topicRoot + QStringLiteral("+/config"), 1);
        emit cloudConnected();
    });
    connect(m_client, &QMQTT::Client::received, this, &GatewayFleet::onReceived);
    m_client->connectToHost();
}

bool GatewayFleet::isCloudConnected() const
{
    return m_client && m_client->isConnectedToHost();
}

bool GatewayFleet::listen(const QHostAddress &first, const GatewayPorts &ports, QString *error)
{
    const quint32 base = first.toIPv4Address();
    for (int i = 0; i < size(); ++i) {
        const QHostAddress address(base + quint32(i));
        if (!address.isLoopback()) {
            *error = QStringLiteral("%1 gateways from %2 leave the loopback range")
                         .arg(size())
                         .arg(first.toString());
            return false;
        }
        if (!m_gateways[i]->start(address, ports)) {
            *error = address.toString() + QStringLiteral(": ") + m_gateways[i]->errorString();
            return false;
        }
    }
    return true;
}

void GatewayFleet::onReceived(const QMQTT::Message &message)
{
    const QString topic = message.topic();
    const QString id = topic.section(QLatin1Char('/'), 1, 1);
    GatewaySimulator *gateway = m_byId.value(id);
    if (!gateway || topic != topicRoot + id + QStringLiteral("/config"))
        return;
    ++m_commandsReceived;
    const QString command = QString::fromUtf8(message.payload());
    const GatewayModel::Reply reply = gateway->model().handle(command);
    if (reply.lines.isEmpty())
        return;
    m_client->publish(QMQTT::Message(0, topicRoot + id + QStringLiteral("/response"),
                                     reply.lines.join(QLatin1Char('\n')).toUtf8(), 1));
}
