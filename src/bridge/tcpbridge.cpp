#include "tcpbridge.h"

#include "atcommands.h"
#include "bridgelogging.h"
#include "cloudreply.h"
#include "gatewayreply.h"
#include "topicscheme.h"

#include <QDebug>
#include <QTcpSocket>

namespace {

const QString getAllCommand = QStringLiteral("GETALL");
const QString listCommand = QStringLiteral("GET rs485list");

QString mqttLogLine(const QString &topic, const QString &data)
{
    return QLatin1Char('[') + topic + QLatin1String("] ") + data;
}

} // namespace

TcpBridge::TcpBridge(QObject *parent)
    : QObject(parent)
    , m_socket(new QTcpSocket(this))
    , m_directLink(
          new DirectGatewayLink([this](const QString &command) { writeCommand(command); }, this))
{
    connect(m_socket, &QTcpSocket::connected, this, &TcpBridge::onConnected);
    connect(m_socket, &QTcpSocket::disconnected, this, &TcpBridge::onDisconnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpBridge::onReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TcpBridge::onErrorOccurred);

    m_registry.load();
    emit deviceIdsChanged();
}

TcpBridge::~TcpBridge() = default;

// --- Direct link ------------------------------------------------------------

void TcpBridge::connectToDevice(QString ip, int port)
{
    if (port < 1 || port > 65535) {
        const QString error = QStringLiteral("Invalid port %1").arg(port);
        m_log.appendLine(QStringLiteral("ERROR: ") + error);
        emit logChanged();
        emit errorOccurred(error);
        return;
    }
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    // A partial line of the previous connection belongs to another service;
    // it must not be glued to the first line of this one.
    m_framer.clear();
    m_trends->setGateway(ip);
    m_currentPort = port;
    emit currentPortChanged();
    m_socket->connectToHost(ip, static_cast<quint16>(port));
}

void TcpBridge::disconnectFromDevice()
{
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->disconnectFromHost();
}

void TcpBridge::abortConnection()
{
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
}

void TcpBridge::sendCommand(QString cmd)
{
    if (!m_connected) {
        emit errorOccurred(QStringLiteral("Not connected"));
        return;
    }
    if (!m_directLink->deferWhileBusy(cmd, pageCommandGuardMs))
        writeCommand(cmd);
}

void TcpBridge::writeCommand(const QString &cmd)
{
    // The pages learn of the emptied list or map only when the reply's first
    // read has been handled.
    if (cmd == listCommand) {
        m_deviceList.clear();
        m_listProgress.restart();
    }
    if (cmd == getAllCommand) {
        m_dataMap.clear();
        m_readingRegistered = false;
    }
    m_currentCommand = cmd;
    emit commandChanged();
    m_socket->write(cmd.toUtf8() + "\r\n");
    m_directLink->commandWritten(cmd);
}

void TcpBridge::clearData()
{
    m_dataMap.clear();
    emit dataMapChanged();
}

void TcpBridge::sendTestMessage(QString message)
{
    if (!m_connected || message.isEmpty())
        return;
    m_socket->write(message.toUtf8() + '\x1A');
}

void TcpBridge::onConnected()
{
    m_connected = true;
    m_directLink->connectionChanged(true);
    emit connectedChanged();
    emit responseReceived(QStringLiteral("Connected to device"));
    m_log.appendLine(QStringLiteral("Connected to device"));
    emit logChanged();
}

void TcpBridge::onDisconnected()
{
    m_connected = false;
    m_directLink->connectionChanged(false);
    // A list whose reply had not ended is only part of the gateway's list.
    const bool listCutOff = m_currentCommand == listCommand;
    if (listCutOff)
        m_listProgress.linkDropped();
    m_currentCommand.clear();
    if (listCutOff)
        emit deviceListChanged();
    emit connectedChanged();
    emit responseReceived(QStringLiteral("Disconnected from device"));
    m_log.appendLine(QStringLiteral("Disconnected from device"));
    emit logChanged();
    m_currentPort = 0;
    emit currentPortChanged();
}

void TcpBridge::onErrorOccurred(QAbstractSocket::SocketError socketError)
{
    Q_UNUSED(socketError);
    const QString error = m_socket->errorString();
    emit errorOccurred(error);
    m_log.appendLine(QStringLiteral("ERROR: ") + error);
    emit errorOccurred(error);
    emit logChanged();
}

void TcpBridge::onReadyRead()
{
    m_framer.append(m_socket->readAll());
    if (m_framer.takeOverflow()) {
        m_log.appendLine(QStringLiteral("ERROR: dropped a line of more than %1 bytes without a "
                                        "line feed")
                             .arg(LineFramer::defaultMaxPending));
        emit logChanged();
    }
    QString line;
    while (m_framer.nextLine(line))
        handleLine(line);
    finishRead();
}

// A received line is logged by the port it came on, then read against the
// command it answers; replies to configuration commands are recognised on
// whichever port they arrive.
void TcpBridge::handleLine(const QString &line)
{
    switch (m_currentPort) {
    case monitorPort:
        logMonitorLine(line);
        break;
    case atConsolePort:
        m_atLog.appendLine(line);
        break;
    default:
        m_log.appendLine(line);
        break;
    }

    const GatewayReply reply = GatewayReply::read(m_currentCommand, line);
    if (reply.deviceAdded)
        emit deviceAddedSuccessfully(QStringLiteral("device added"));
    if (reply.deviceModified)
        emit deviceModifiedSuccessfully();
    if (reply.deviceDeleted)
        emit deviceDeletedSuccessfully();
    if (reply.save == GatewayReply::Save::Completed)
        emit saveCompleted();
    else if (reply.save == GatewayReply::Save::NotSavedFully)
        emit notSavedFully();
    if (reply.device)
        m_deviceList.append(*reply.device);
    if (m_currentCommand == listCommand)
        m_listProgress.take(reply);
    if (reply.passedOn) {
        if (reply.setting)
            m_dataMap.insert(reply.setting->first, reply.setting->second);
        if (reply.setAcknowledged)
            emit setAcknowledged(*reply.setAcknowledged);
        emit responseReceived(line);
    }
    m_directLink->lineReceived(line);
}

void TcpBridge::logMonitorLine(const QString &line)
{
    const QString text = m_monitor.decode(line);
    if (!text.isNull())
        m_terminalLog.appendLine(text);
    m_trends->add(m_monitorSamples.samplesOf(m_monitor.deviceName(), m_monitor.address(),
                                             m_monitor.pairValues(), m_monitor.leftover()));
}

void TcpBridge::finishRead()
{
    m_reported = ReportedMqttSettings::takeFrom(m_dataMap);
    // A reading registers the gateway once, when it first holds all that
    // takes: the reads after that only bring settings the registration does
    // not use, and each registration writes the settings file and tells the
    // broker session.
    if (m_currentCommand == getAllCommand && !m_readingRegistered) {
        const auto registration = m_registry.registerReported(m_reported);
        if (registration.deviceIdAdded)
            emit deviceIdsChanged();
        if (registration.complete) {
            m_readingRegistered = true;
            emit mqttConfigReceived();
        }
    }
    if (m_currentCommand == listCommand)
        emit deviceListChanged();
    emit dataMapChanged();

    switch (m_currentPort) {
    case monitorPort:
        emit terminalLogChanged();
        break;
    case atConsolePort:
        emit atCmdLogChanged();
        break;
    default:
        emit logChanged();
        break;
    }
}

// --- Logs -------------------------------------------------------------------

void TcpBridge::clearLog()
{
    m_log.clear();
    emit logChanged();
}

void TcpBridge::clearTerminalLog()
{
    m_terminalLog.clear();
    emit terminalLogChanged();
}

void TcpBridge::clearatCmdLog()
{
    m_atLog.clear();
    emit atCmdLogChanged();
}

void TcpBridge::clearmterminalLogFromMqtt()
{
    m_terminalLogFromMqtt.clear();
    emit terminalLogFromMqttChanged();
}

void TcpBridge::emitLogFromMqtt(QString data, QString topic)
{
    m_terminalLogFromMqtt.appendLine(mqttLogLine(topic, data));
    emit terminalLogFromMqttChanged();
}

void TcpBridge::clearnetworkLogFromMqtt()
{
    m_networkLogFromMqtt.clear();
    emit networkLogFromMqttChanged();
}

void TcpBridge::emitnetworkLogFromMqtt(QString data, QString topic)
{
    m_networkLogFromMqtt.appendLine(mqttLogLine(topic, data));
    emit networkLogFromMqttChanged();
}

// --- Modem AT commands ------------------------------------------------------

void TcpBridge::sendIfComposed(const QString &command)
{
    if (!command.isNull())
        sendCommand(command);
}

void TcpBridge::openMqtt()
{
    sendIfComposed(AtCommands::openMqtt(m_reported));
}
void TcpBridge::connectMqtt()
{
    sendIfComposed(AtCommands::connectMqtt(m_reported));
}
void TcpBridge::subscribeReceive()
{
    sendIfComposed(AtCommands::subscribeReceive(m_reported));
}
void TcpBridge::unsubscribeReceive()
{
    sendIfComposed(AtCommands::unsubscribeReceive(m_reported));
}
void TcpBridge::subscribeCommand()
{
    sendIfComposed(AtCommands::subscribeCommand(m_reported));
}
void TcpBridge::publishtoComtopic()
{
    sendIfComposed(AtCommands::publishToCommandTopic(m_reported));
}
void TcpBridge::unsubscribeCommand()
{
    sendIfComposed(AtCommands::unsubscribeCommand(m_reported));
}
void TcpBridge::disconnectMqtt()
{
    sendCommand(AtCommands::disconnectMqtt());
}
void TcpBridge::closeMqtt()
{
    sendCommand(AtCommands::closeMqtt());
}

// --- Cloud mode -------------------------------------------------------------

void TcpBridge::sendConfigRequest(QString cmnd, QString deviceIDofqtt)
{
    if (!TopicScheme::isUsableDeviceId(deviceIDofqtt)) {
        qCWarning(lcBridge).noquote() << "Refused to publish a command for the device id"
                                      << deviceIDofqtt << "(it holds \"+\", \"#\" or \"/\")";
        return;
    }
    CloudGatewayLink *link = m_cloudLinks.value(deviceIDofqtt);
    if (link && link->deferWhileBusy(cmnd, pageCloudCommandGuardMs))
        return;
    publishConfigCommand(cmnd, deviceIDofqtt);
}

void TcpBridge::publishConfigCommand(const QString &command, const QString &deviceId)
{
    emit configCommandandtopic(command, TopicScheme::configTopic(deviceId));
    if (CloudGatewayLink *link = m_cloudLinks.value(deviceId))
        link->commandPublished(command);
}

bool TcpBridge::sendTopicDeviceId(QString devid)
{
    m_trends->setGateway(devid);
    const bool complete = m_registry.select(devid);
    if (complete)
        emit mqttConfigReceived();
    else
        emit mqttConfigMissing();
    return complete;
}

void TcpBridge::saveDeviceId(QString deviceId)
{
    if (m_registry.addDeviceId(deviceId))
        emit deviceIdsChanged();
}

GatewayLink *TcpBridge::cloudLink(const QString &deviceId)
{
    CloudGatewayLink *&link = m_cloudLinks[deviceId];
    if (!link) {
        link = new CloudGatewayLink(
            deviceId,
            [this, deviceId](const QString &command) { publishConfigCommand(command, deviceId); },
            this);
        link->sessionChanged(m_connectedmqtt);
    }
    return link;
}

void TcpBridge::emitdevicelistfrommqtt(QString data)
{
    // Only the selected gateway's response topic is subscribed.
    if (CloudGatewayLink *link = m_cloudLinks.value(m_registry.selectedDeviceId()))
        link->responseReceived(data);

    const CloudReply reply = CloudReply::read(data);
    if (reply.isDeviceList) {
        m_deviceListMqtt = reply.devices;
        m_deviceListMqttIncomplete = reply.listIncomplete;
        emit deviceListMqttChanged();
    }
    if (reply.deviceAdded)
        emit deviceAddedSuccessfullyMqtt(QStringLiteral("device added"));
    if (reply.deviceModified)
        emit deviceModifiedSuccessfullyMqtt();
    if (reply.deviceDeleted)
        emit deviceDeletedSuccessfullyMqtt();
    if (reply.saveCompleted)
        emit saveCompletedMqtt();
    for (const QString &status : reply.startStopStatuses)
        emit sendStrtStopStatus(status);
}

void TcpBridge::ismqttConnected(bool yesOrNo)
{
    m_connectedmqtt = yesOrNo;
    for (CloudGatewayLink *link : std::as_const(m_cloudLinks))
        link->sessionChanged(yesOrNo);
    emit connectedChangedmqtt();
}

void TcpBridge::setBrokerStatus(const QString &link, const QString &error)
{
    if (link == m_brokerLink && error == m_brokerError)
        return;
    m_brokerLink = link;
    m_brokerError = error;
    emit brokerStatusChanged();
}

void TcpBridge::sendSubRequest(QVariantMap data, QString topic)
{
    if (!TopicScheme::isUsableDeviceId(topic)) {
        qCWarning(lcBridge).noquote() << "Refused to publish a register request for the device id"
                                      << topic << "(it holds \"+\", \"#\" or \"/\")";
        return;
    }
    emit subCommandandtopic(data, TopicScheme::subTopic(topic));
}

// The parameter is the payload of a port topic message, whatever its name says.
void TcpBridge::emitWriteFromMqtt(QString topic)
{
    const QString outcome = registerWriteOutcome(topic);
    if (!outcome.isNull())
        emit sendWriteReg(outcome);
}

void TcpBridge::subscribetoMqttTopics()
{
    emit mqttDeviceSelected(m_registry.selectedDeviceId());
}
