#include "backuprun.h"

#include "tcpbridge.h"

BackupRun::BackupRun(TcpBridge *bridge, QObject *parent)
    : QObject(parent)
    , m_bridge(bridge)
{
    m_watchdog.setSingleShot(true);
    m_settle.setSingleShot(true);
    setTimeouts(10000, 600);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        fail(m_stage == Stage::Settings ? QStringLiteral("no answer to \"GETALL\"")
                                        : QStringLiteral("no answer to \"GET rs485list\""));
    });
    connect(&m_settle, &QTimer::timeout, this, &BackupRun::onSettled);
}

void BackupRun::setTimeouts(int replyMs, int settleMs)
{
    m_watchdog.setInterval(replyMs);
    m_settle.setInterval(settleMs);
}

void BackupRun::start()
{
    m_result = GatewayBackup();
    if (!m_cloudDeviceId.isEmpty()) {
        m_connections << connect(m_bridge, &TcpBridge::deviceListMqttChanged, this, [this] {
            m_result = GatewayBackup::fromGateway({}, m_bridge->deviceListMqtt(), true);
            m_result.deviceId = m_cloudDeviceId;
            finish(true, QString());
        });
        send(Stage::Devices);
        return;
    }
    m_connections << connect(m_bridge, &TcpBridge::connectedChanged, this, [this] {
        if (!m_bridge->isConnected())
            fail(QStringLiteral("the link to the gateway was lost"));
    });
    m_connections << connect(m_bridge, &TcpBridge::dataMapChanged, this, [this] {
        if (m_stage == Stage::Settings)
            onReadArrived();
    });
    m_connections << connect(m_bridge, &TcpBridge::deviceListChanged, this, [this] {
        if (m_stage == Stage::Devices)
            onReadArrived();
    });
    send(Stage::Settings);
}

void BackupRun::send(Stage stage)
{
    m_stage = stage;
    const QString command =
        stage == Stage::Settings ? QStringLiteral("GETALL") : QStringLiteral("GET rs485list");
    emit progress(stage == Stage::Settings ? QStringLiteral("Reading the settings")
                                           : QStringLiteral("Reading the device list"));
    m_watchdog.start();
    if (m_cloudDeviceId.isEmpty())
        m_bridge->sendCommand(command);
    else
        m_bridge->sendConfigRequest(command, m_cloudDeviceId);
}

void BackupRun::onReadArrived()
{
    m_watchdog.stop();
    m_settle.start();
}

void BackupRun::onSettled()
{
    if (m_stage == Stage::Settings) {
        if (!m_bridge->dataMap().contains(QStringLiteral("deviceId"))) {
            fail(QStringLiteral("the gateway's answer to \"GETALL\" holds no device id"));
            return;
        }
        send(Stage::Devices);
        return;
    }
    m_result = GatewayBackup::fromGateway(m_bridge->dataMap(), m_bridge->deviceList(), true);
    finish(true, QString());
}

void BackupRun::fail(const QString &error)
{
    finish(false, error);
}

void BackupRun::finish(bool ok, const QString &error)
{
    m_watchdog.stop();
    m_settle.stop();
    m_stage = Stage::Idle;
    for (const auto &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    emit finished(ok, error);
}
