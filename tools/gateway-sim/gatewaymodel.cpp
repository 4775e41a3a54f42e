#include "gatewaymodel.h"

#include <cmath>

#include <QRegularExpression>

namespace {

const QStringList defaultKeys = {
    QStringLiteral("wifiSSID"),     QStringLiteral("wifiPass"),     QStringLiteral("mqttServer"),
    QStringLiteral("mqttPort"),     QStringLiteral("mqttUser"),     QStringLiteral("mqttPass"),
    QStringLiteral("mqttClientId"), QStringLiteral("port1Topic"),   QStringLiteral("port2Topic"),
    QStringLiteral("errorTopic"),   QStringLiteral("configTopic"),  QStringLiteral("responseTopic"),
    QStringLiteral("offlineTopic"), QStringLiteral("deviceId"),     QStringLiteral("staticIP"),
    QStringLiteral("gateway"),      QStringLiteral("subnet"),       QStringLiteral("bleName"),
    QStringLiteral("blePin"),       QStringLiteral("apnSim1"),      QStringLiteral("apnSim2"),
    QStringLiteral("simSlot"),      QStringLiteral("rs485_1_baud"), QStringLiteral("rs485_2_baud"),
    QStringLiteral("mqttTopicIn"),  QStringLiteral("mqttTopicOut"),
};

const QString border = QStringLiteral("+----------------+--------------------------------+");

bool isHex(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]+$"));
    return hex.match(text).hasMatch();
}

// "port,autoCRC,poll,cmdHex,name": the name is last and may hold commas.
bool readDeviceFields(const QStringList &fields, GatewayModel::Device &device)
{
    if (fields.size() < 5)
        return false;
    bool portOk = false;
    bool crcOk = false;
    bool pollOk = false;
    device.port = fields[0].trimmed().toInt(&portOk);
    device.autoCrc = fields[1].trimmed().toInt(&crcOk);
    const double poll = fields[2].trimmed().toDouble(&pollOk);
    device.cmdHex = fields[3].trimmed();
    device.name = fields.mid(4).join(QLatin1Char(',')).trimmed();
    device.poll = QString::number(poll) + QLatin1Char('s');
    return portOk && crcOk && pollOk && (device.port == 1 || device.port == 2)
           && (device.autoCrc == 0 || device.autoCrc == 1) && std::isfinite(poll) && poll > 0
           && isHex(device.cmdHex) && !device.name.isEmpty();
}

GatewayModel::Reply error(const QString &text)
{
    return {{QStringLiteral("ERROR: ") + text}, false};
}

} // namespace

GatewayModel::GatewayModel()
    : m_keys(defaultKeys)
    , m_values(defaultKeys.size())
{
    setSetting(QStringLiteral("wifiSSID"), QStringLiteral("plant-floor"));
    setSetting(QStringLiteral("wifiPass"), QStringLiteral("w1f1+pass"));
    setSetting(QStringLiteral("staticIP"), QStringLiteral("192.168.1.100"));
    setSetting(QStringLiteral("gateway"), QStringLiteral("192.168.1.1"));
    setSetting(QStringLiteral("subnet"), QStringLiteral("255.255.255.0"));
    setSetting(QStringLiteral("bleName"), QStringLiteral("KV-Gateway"));
    setSetting(QStringLiteral("blePin"), QStringLiteral("123456"));
    setSetting(QStringLiteral("apnSim1"), QStringLiteral("internet"));
    setSetting(QStringLiteral("apnSim2"), QStringLiteral("iot.apn"));
    setSetting(QStringLiteral("simSlot"), QStringLiteral("1  (SIM1)"));
    setSetting(QStringLiteral("rs485_1_baud"), QStringLiteral("9600"));
    setSetting(QStringLiteral("rs485_2_baud"), QStringLiteral("19200"));
    setBroker(QStringLiteral("127.0.0.1"), 1883, QStringLiteral("gateway"),
              QStringLiteral("s3cret+pass"));
    setDeviceId(QStringLiteral("KV-0001"));
    m_devices = {
        {QStringLiteral("ELMEASURE LG+1119"), 1, 1, QStringLiteral("10s"),
         QStringLiteral("010300000002C40B")},
        {QStringLiteral("Main meter"), 2, 0, QStringLiteral("5s"),
         QStringLiteral("0103000A0004A5CB")},
    };
}

QString GatewayModel::setting(const QString &key) const
{
    const qsizetype index = m_keys.indexOf(key);
    return index < 0 ? QString() : m_values[index];
}

void GatewayModel::setSetting(const QString &key, const QString &value)
{
    const qsizetype index = m_keys.indexOf(key);
    if (index >= 0) {
        m_values[index] = value;
        return;
    }
    m_keys.append(key);
    m_values.append(value);
}

void GatewayModel::setBroker(const QString &host, quint16 port, const QString &user,
                             const QString &password)
{
    setSetting(QStringLiteral("mqttServer"), host);
    setSetting(QStringLiteral("mqttPort"), QString::number(port));
    setSetting(QStringLiteral("mqttUser"), user);
    setSetting(QStringLiteral("mqttPass"), password);
}

void GatewayModel::setDeviceId(const QString &deviceId)
{
    const QString prefix = QStringLiteral("Kestrelvane/") + deviceId;
    setSetting(QStringLiteral("deviceId"), deviceId);
    setSetting(QStringLiteral("mqttClientId"), QStringLiteral("gw-") + deviceId);
    setSetting(QStringLiteral("port1Topic"), prefix + QStringLiteral("/pub/port1"));
    setSetting(QStringLiteral("port2Topic"), prefix + QStringLiteral("/pub/port2"));
    setSetting(QStringLiteral("errorTopic"), prefix + QStringLiteral("/errors"));
    setSetting(QStringLiteral("configTopic"), prefix + QStringLiteral("/config"));
    setSetting(QStringLiteral("responseTopic"), prefix + QStringLiteral("/response"));
    setSetting(QStringLiteral("offlineTopic"), prefix + QStringLiteral("/network"));
    setSetting(QStringLiteral("mqttTopicIn"), prefix + QStringLiteral("/config"));
    setSetting(QStringLiteral("mqttTopicOut"), prefix + QStringLiteral("/response"));
}

QStringList GatewayModel::getAllLines() const
{
    QStringList lines = {
        border, QStringLiteral("| Device settings | Type: KV-4G rev 2             |"), border};
    for (qsizetype i = 0; i < m_keys.size(); ++i)
        lines.append(m_keys[i] + QLatin1Char('=') + m_values[i]);
    lines.append(border);
    lines.append(QStringLiteral(">"));
    return lines;
}

QStringList GatewayModel::deviceListLines() const
{
    QStringList lines = {QStringLiteral("Device list (Type: RS485 Modbus)"),
                         QStringLiteral("rs485DevCnt=%1").arg(m_devices.size())};
    for (qsizetype i = 0; i < m_devices.size(); ++i) {
        const Device &d = m_devices[i];
        lines.append(QStringLiteral("dev[") + QString::number(i) + QStringLiteral("]  ") + d.name
                     + QStringLiteral("  port") + QString::number(d.port) + QStringLiteral("  CRC=")
                     + QString::number(d.autoCrc) + QStringLiteral("  poll=") + d.poll
                     + QStringLiteral("  cmd=") + d.cmdHex);
    }
    lines.append(QStringLiteral(">"));
    return lines;
}

GatewayModel::Reply GatewayModel::handle(const QString &command)
{
    if (m_fault == Fault::Silent)
        return {};
    const bool change = command.startsWith(QLatin1String("SET "))
                        || command.startsWith(QLatin1String("rs485"))
                        || command == QLatin1String("SAVE");
    if (m_fault == Fault::Refusing && change) {
        const QString key = command.section(QLatin1Char(' '), 1, 1);
        return error(command.startsWith(QLatin1String("SET ")) ? key + QStringLiteral(" rejected")
                                                               : QStringLiteral("refused"));
    }
    if (m_fault == Fault::CutList && command == QLatin1String("GET rs485list")) {
        QStringList lines = deviceListLines();
        lines[1] = QStringLiteral("rs485DevCnt=%1").arg(m_devices.size() + 1);
        return {lines, false};
    }
    if (command == QLatin1String("GETALL"))
        return {m_silentReadAll ? QStringList() : getAllLines(), false};
    if (command == QLatin1String("GET rs485list"))
        return {deviceListLines(), false};
    if (command == QLatin1String("SAVE")) {
        if (m_refuseSave)
            return error(QStringLiteral("flash write failed, settings not saved"));
        ++m_saveCount;
        return {{QStringLiteral("OK: saved to flash")}, false};
    }
    if (command == QLatin1String("REBOOT"))
        return {{QStringLiteral("Rebooting...")}, true};
    if (command.startsWith(QLatin1String("SET "))) {
        const QString rest = command.mid(4);
        const qsizetype space = rest.indexOf(QLatin1Char(' '));
        const QString key = space < 0 ? rest : rest.left(space);
        if (key.isEmpty())
            return error(QStringLiteral("usage: SET <key> <value>"));
        if (key == m_refusedSetting)
            return error(key + QStringLiteral(" rejected"));
        setSetting(key, space < 0 ? QString() : rest.mid(space + 1));
        return {{QStringLiteral("OK: %1 updated").arg(key)}, false};
    }
    if (command.startsWith(QLatin1String("rs485add ")))
        return addDevice(command.mid(9));
    if (command.startsWith(QLatin1String("rs485mod ")))
        return modifyDevice(command.mid(9));
    if (command.startsWith(QLatin1String("rs485del ")))
        return deleteDevice(command.mid(9));
    if (command == QLatin1String("config:rs485/start"))
        return {{QStringLiteral("OK:RS485/start")}, false};
    if (command == QLatin1String("config:rs485/stop"))
        return {{QStringLiteral("OK:RS485/stop")}, false};
    if (command == QLatin1String("gateway:restart"))
        return {{QStringLiteral("OK:restart")}, false};
    return error(QStringLiteral("unknown command"));
}

GatewayModel::Reply GatewayModel::addDevice(const QString &arguments)
{
    Device device;
    if (!readDeviceFields(arguments.split(QLatin1Char(',')), device))
        return error(QStringLiteral("rs485add expects port(1|2),autoCRC(0|1),poll,cmdHex,name"));
    m_devices.append(device);
    return {{QStringLiteral("added (saved+synced)")}, false};
}

GatewayModel::Reply GatewayModel::modifyDevice(const QString &arguments)
{
    const QStringList fields = arguments.split(QLatin1Char(','));
    bool indexOk = false;
    const int index = fields.value(0).trimmed().toInt(&indexOk);
    Device device;
    if (!indexOk || !readDeviceFields(fields.mid(1), device))
        return error(
            QStringLiteral("rs485mod expects index,port(1|2),autoCRC(0|1),poll,cmdHex,name"));
    if (index < 0 || index >= m_devices.size())
        return error(QStringLiteral("no device at index %1").arg(index));
    m_devices[index] = device;
    return {{QStringLiteral("modified (saved+synced)")}, false};
}

GatewayModel::Reply GatewayModel::deleteDevice(const QString &arguments)
{
    bool indexOk = false;
    const int index = arguments.trimmed().toInt(&indexOk);
    if (!indexOk)
        return error(QStringLiteral("rs485del expects index"));
    if (index < 0 || index >= m_devices.size())
        return error(QStringLiteral("no device at index %1").arg(index));
    m_devices.removeAt(index);
    return {{QStringLiteral("deleted (saved+synced)")}, false};
}
