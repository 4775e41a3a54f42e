#pragma once

#include "clouddeviceregistry.h"
#include "cloudgatewaylink.h"
#include "devicelistprogress.h"
#include "directgatewaylink.h"
#include "lineframer.h"
#include "logstore.h"
#include "monitordecoder.h"
#include "monitorsampler.h"
#include "reportedmqttsettings.h"
#include "trendstore.h"

#include <QAbstractSocket>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

class QTcpSocket;

// The one backend object the pages talk to (published as "tcpClient"). It
// owns the direct TCP link to the gateway and everything the pages show; it
// asks for MQTT traffic through signals and hears of it through invokables,
// so it never depends on the MQTT client.
class TcpBridge : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool connected READ isConnected NOTIFY connectedChanged)
    Q_PROPERTY(QString log READ log NOTIFY logChanged)
    Q_PROPERTY(QVariantMap dataMap READ dataMap NOTIFY dataMapChanged)
    Q_PROPERTY(QString currentCommand READ currentCommand NOTIFY commandChanged)
    Q_PROPERTY(QString terminalLog READ terminalLog NOTIFY terminalLogChanged)
    Q_PROPERTY(QString atLog READ atLog NOTIFY atCmdLogChanged)
    Q_PROPERTY(int currentPort READ currentPort NOTIFY currentPortChanged)
    Q_PROPERTY(QVariantList deviceList READ deviceList NOTIFY deviceListChanged)
    // The gateway's list reply was cut off or announced more devices than it
    // held: `deviceList` is not the whole list.
    Q_PROPERTY(bool deviceListIncomplete READ isDeviceListIncomplete NOTIFY deviceListChanged)
    Q_PROPERTY(
        QString terminalLogFromMqtt READ terminalLogFromMqtt NOTIFY terminalLogFromMqttChanged)
    Q_PROPERTY(QString networkLogFromMqtt READ networkLogFromMqtt NOTIFY networkLogFromMqttChanged)
    Q_PROPERTY(QVariantList deviceListMqtt READ deviceListMqtt NOTIFY deviceListMqttChanged)
    Q_PROPERTY(
        bool deviceListMqttIncomplete READ isDeviceListMqttIncomplete NOTIFY deviceListMqttChanged)
    Q_PROPERTY(bool connectedmqtt READ connectedmqtt NOTIFY connectedChangedmqtt)
    Q_PROPERTY(QStringList deviceIds READ deviceIds NOTIFY deviceIdsChanged)
    // How the broker link is protected while it is up, and why the last
    // attempt failed (empty once connected): set by the MQTT session.
    Q_PROPERTY(QString brokerLink READ brokerLink NOTIFY brokerStatusChanged)
    Q_PROPERTY(QString brokerError READ brokerError NOTIFY brokerStatusChanged)
    // The same logs as lines, for the views: see LogStore.
    Q_PROPERTY(LogStore *logLines READ logLines CONSTANT)
    Q_PROPERTY(LogStore *terminalLogLines READ terminalLogLines CONSTANT)
    Q_PROPERTY(LogStore *atLogLines READ atLogLines CONSTANT)
    Q_PROPERTY(LogStore *terminalLogFromMqttLines READ terminalLogFromMqttLines CONSTANT)
    Q_PROPERTY(LogStore *networkLogFromMqttLines READ networkLogFromMqttLines CONSTANT)
    Q_PROPERTY(TrendStore *trends READ trends CONSTANT)

public:
    static constexpr quint16 commandPort = 8881;
    static constexpr quint16 monitorPort = 8880;
    static constexpr quint16 atConsolePort = 23;

    explicit TcpBridge(QObject *parent = nullptr);
    ~TcpBridge() override;

    bool isConnected() const { return m_connected; }
    // The log texts are built from their stores when read: nothing binds to
    // them in the pages, which show the stores' lines instead.
    QString log() const { return m_log.text(); }
    QVariantMap dataMap() const { return m_dataMap; }
    QString currentCommand() const { return m_currentCommand; }
    QString terminalLog() const { return m_terminalLog.text(); }
    QString atLog() const { return m_atLog.text(); }
    int currentPort() const { return m_currentPort; }
    QVariantList deviceList() const { return m_deviceList; }
    bool isDeviceListIncomplete() const { return m_listProgress.isIncomplete(m_deviceList.size()); }
    QString terminalLogFromMqtt() const { return m_terminalLogFromMqtt.text(); }
    QString networkLogFromMqtt() const { return m_networkLogFromMqtt.text(); }
    QVariantList deviceListMqtt() const { return m_deviceListMqtt; }
    bool isDeviceListMqttIncomplete() const { return m_deviceListMqttIncomplete; }
    bool connectedmqtt() const { return m_connectedmqtt; }
    QStringList deviceIds() const { return m_registry.deviceIds(); }
    LogStore *logLines() { return &m_log; }
    LogStore *terminalLogLines() { return &m_terminalLog; }
    LogStore *atLogLines() { return &m_atLog; }
    LogStore *terminalLogFromMqttLines() { return &m_terminalLogFromMqtt; }
    LogStore *networkLogFromMqttLines() { return &m_networkLogFromMqtt; }
    // The values seen on the monitor stream and the port topics, over time.
    TrendStore *trends() const { return m_trends; }

    // The broker settings of the selected cloud device, for the MQTT session.
    const BrokerSettings &cloudBroker() const { return m_registry.broker(); }
    QString selectedDeviceId() const { return m_registry.selectedDeviceId(); }
    QString brokerLink() const { return m_brokerLink; }
    QString brokerError() const { return m_brokerError; }
    void setBrokerStatus(const QString &link, const QString &error);

    // The conversations for whoever waits on each command's reply (a change
    // sequence, backup, restore): over this backend's command connection,
    // or through the broker with the gateway of that identifier. Not for
    // the pages, which keep to the surface above.
    GatewayLink *directLink() const { return m_directLink; }
    GatewayLink *cloudLink(const QString &deviceId);

signals:
    void logChanged();
    void connectedChanged();
    void connectedChangedmqtt();
    void brokerStatusChanged();
    // The broker just chosen cannot be reached: the reason, once per choice.
    void brokerFailed(QString reason);
    void responseReceived(QString data);
    void errorOccurred(QString error);
    void dataMapChanged();
    void commandChanged();
    void terminalLogChanged();
    void atCmdLogChanged();
    void currentPortChanged();
    void deviceListChanged();
    void deviceListMqttChanged();
    void deviceAddedSuccessfully(QString name);
    void saveCompleted();
    void notSavedFully();
    void setAcknowledged(QString key);
    void deviceDeletedSuccessfully();
    void deviceModifiedSuccessfully();
    void configCommandandtopic(QString cmnd, QString configrTopic);
    void mqttDeviceSelected(QString deviceId);
    void terminalLogFromMqttChanged();
    void networkLogFromMqttChanged();
    void deviceIdsChanged();
    void mqttConfigReceived();
    void mqttConfigMissing();
    void deviceAddedSuccessfullyMqtt(QString name);
    void saveCompletedMqtt();
    void deviceDeletedSuccessfullyMqtt();
    void deviceModifiedSuccessfullyMqtt();
    void subCommandandtopic(QVariantMap data, QString topic);
    void sendStrtStopStatus(QString sttts);
    void sendWriteReg(QString wrote);

private slots:
    void onConnected();
    void onDisconnected();
    void onReadyRead();
    void onErrorOccurred(QAbstractSocket::SocketError socketError);

public:
    // Direct link
    // A port outside 1 to 65535 is refused (errorOccurred, the link left as
    // it is) rather than wrapped round to another service's port.
    Q_INVOKABLE void connectToDevice(QString ip, int port);
    Q_INVOKABLE void disconnectFromDevice();
    Q_INVOKABLE void abortConnection();
    Q_INVOKABLE void sendCommand(QString cmd);
    Q_INVOKABLE void clearData();
    Q_INVOKABLE void sendTestMessage(QString message);

    // Logs
    Q_INVOKABLE void clearLog();
    Q_INVOKABLE void clearTerminalLog();
    Q_INVOKABLE void clearatCmdLog();
    Q_INVOKABLE void clearmterminalLogFromMqtt();
    Q_INVOKABLE void emitLogFromMqtt(QString data, QString topic);
    Q_INVOKABLE void clearnetworkLogFromMqtt();
    Q_INVOKABLE void emitnetworkLogFromMqtt(QString data, QString topic);

    // The modem's MQTT AT commands (AT console)
    Q_INVOKABLE void openMqtt();
    Q_INVOKABLE void connectMqtt();
    Q_INVOKABLE void subscribeReceive();
    Q_INVOKABLE void unsubscribeReceive();
    Q_INVOKABLE void subscribeCommand();
    Q_INVOKABLE void publishtoComtopic();
    Q_INVOKABLE void unsubscribeCommand();
    Q_INVOKABLE void disconnectMqtt();
    Q_INVOKABLE void closeMqtt();

    // Cloud mode
    Q_INVOKABLE void sendConfigRequest(QString cmnd, QString deviceIDofqtt);
    Q_INVOKABLE bool sendTopicDeviceId(QString devid);
    Q_INVOKABLE void saveDeviceId(QString deviceId);
    Q_INVOKABLE void emitdevicelistfrommqtt(QString data);
    Q_INVOKABLE void ismqttConnected(bool yesOrNo);
    Q_INVOKABLE void sendSubRequest(QVariantMap data, QString topic);
    Q_INVOKABLE void emitWriteFromMqtt(QString topic);
    Q_INVOKABLE void subscribetoMqttTopics();

private:
    // How long a page's own command, held back behind a change's reply, may
    // keep the commands after it waiting: the pages' own guards.
    static constexpr int pageCommandGuardMs = 10'000;
    static constexpr int pageCloudCommandGuardMs = 20'000;

    void writeCommand(const QString &cmd);
    void publishConfigCommand(const QString &command, const QString &deviceId);
    void handleLine(const QString &line);
    void logMonitorLine(const QString &line);
    void finishRead();
    void sendIfComposed(const QString &command);

    // Bounded, unlike the unlimited texts these logs once were: a log no page
    // empties keeps its newest mebibyte.
    LogStore m_log;
    LogStore m_terminalLog;
    LogStore m_atLog;
    LogStore m_terminalLogFromMqtt;
    LogStore m_networkLogFromMqtt;
    LineFramer m_framer;
    ReportedMqttSettings m_reported;
    CloudDeviceRegistry m_registry;
    QTcpSocket *m_socket = nullptr;
    bool m_connected = false;
    bool m_connectedmqtt = false;
    QString m_brokerLink;
    QString m_brokerError;
    QVariantMap m_dataMap;
    QString m_currentCommand;
    bool m_readingRegistered = false;
    QVariantList m_deviceList;
    DeviceListProgress m_listProgress;
    MonitorDecoder m_monitor;
    MonitorSampler m_monitorSamples;
    quint16 m_currentPort = 0;
    QVariantList m_deviceListMqtt;
    bool m_deviceListMqttIncomplete = false;
    TrendStore *const m_trends = new TrendStore(this);
    DirectGatewayLink *const m_directLink;
    QHash<QString, CloudGatewayLink *> m_cloudLinks;
};
