#include "escaped.h"
#include "gatewaysimulator.h"
#include "loopback.h"
#include "settingsstore.h"
#include "tcpbridge.h"

#include <QtTest>

using Service = GatewaySimulator::Service;

// TcpBridge over real loopback TCP against the gateway simulator.
class TestTcpBridge : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void getAllFillsTheMapAndRegistersTheGateway();
    void handlesRepliesSplitAtAnyPoint_data();
    void handlesRepliesSplitAtAnyPoint();
    void handlesSeveralLinesPerReadInOrder();
    void listsDevicesWhateverTheirNames();
    void acknowledgesSetsAndSave_data();
    void acknowledgesSetsAndSave();
    void reconnectsToAnotherPort();
    void decodesTheMonitorStream();
    void reportsEverySocketErrorTwice();
    void refusesCommandsWhileNotConnected();
    void refusesPortsOutOfRange_data();
    void refusesPortsOutOfRange();
    void talksToTheModemConsole();
    void rebootDropsTheLink();
    void selectsRegisteredCloudDevices();

private:
    bool connectBridge(quint16 port);

    LoopbackAddresses m_addresses{1};
    QTemporaryDir m_configHome;
    std::unique_ptr<GatewaySimulator> m_sim;
    std::unique_ptr<TcpBridge> m_bridge;
    QString m_ip;
};

void TestTcpBridge::initTestCase()
{
    QVERIFY(m_configHome.isValid());
    qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
}

void TestTcpBridge::init()
{
    QFile::remove(SettingsStore::settingsFilePath());
    const QHostAddress address = m_addresses.next();
    m_ip = address.toString();
    m_sim = std::make_unique<GatewaySimulator>();
    m_sim->model().setDeviceId(QStringLiteral("KV-%1").arg(m_ip.section('.', 3)));
    QVERIFY2(m_sim->start(address), qPrintable(m_sim->errorString()));
    m_bridge = std::make_unique<TcpBridge>();
    m_bridge->clearLog();
}

void TestTcpBridge::cleanup()
{
    m_bridge.reset();
    m_sim.reset();
}

bool TestTcpBridge::connectBridge(quint16 port)
{
    QSignalSpy connected(m_bridge.get(), &TcpBridge::connectedChanged);
    m_bridge->connectToDevice(m_ip, port);
    return connected.wait(5000) && m_bridge->isConnected();
}

void TestTcpBridge::getAllFillsTheMapAndRegistersTheGateway()
{
    QVERIFY(connectBridge(TcpBridge::commandPort));
    QSignalSpy configReceived(m_bridge.get(), &TcpBridge::mqttConfigReceived);
    QSignalSpy idsChanged(m_bridge.get(), &TcpBridge::deviceIdsChanged);
    QSignalSpy responses(m_bridge.get(), &TcpBridge::responseReceived);

    m_bridge->sendCommand("GETALL");
    QVERIFY(configReceived.wait(5000));

    COMPARE_BYTES(m_sim->received(Service::Command), QByteArray("GETALL\r\n"));
    const QVariantMap map = m_bridge->dataMap();
    const GatewayModel &model = m_sim->model();
    for (const QString &key : model.settingKeys())
        QCOMPARE(map.value(key).toString(), model.setting(key));
    QCOMPARE(map.value("mqttPass").toString(), QString("s3cret+pass")); // "+" kept
    // Decoration lines are neither stored nor passed on.
    for (const QList<QVariant> &response : std::as_const(responses))
        QVERIFY(response.first().toString().contains('='));

    const QString id = model.deviceId();
    QCOMPARE(m_bridge->deviceIds(), QStringList{id});
    QCOMPARE(idsChanged.count(), 1);
    QCOMPARE(SettingsStore::readDeviceIds(), QStringList{id});
    QCOMPARE(SettingsStore::readBrokerSettings(id),
             (BrokerSettings{"127.0.0.1", "1883", "gateway", "s3cret+pass"}));
}

void TestTcpBridge::handlesRepliesSplitAtAnyPoint_data()
{
    QTest::addColumn<int>("chunkSize");
    QTest::newRow("one byte") << 1;
    QTest::newRow("64 bytes") << 64;
}

void TestTcpBridge::handlesRepliesSplitAtAnyPoint()
{
    QFETCH(int, chunkSize);
    m_sim->setReplyChunking(chunkSize, chunkSize == 1 ? 0 : 3);
    QVERIFY(connectBridge(TcpBridge::commandPort));
    QSignalSpy mapChanged(m_bridge.get(), &TcpBridge::dataMapChanged);
    QSignalSpy responses(m_bridge.get(), &TcpBridge::responseReceived);

    m_bridge->sendCommand("GETALL");
    const int expectedLines = m_sim->model().settingKeys().size();
    QTRY_COMPARE_WITH_TIMEOUT(responses.count(), expectedLines, 20000);
    QVERIFY(mapChanged.count() > 1); // one per read, and the reply came in many
    for (int i = 0; i < expectedLines; ++i) {
        const QString key = m_sim->model().settingKeys().at(i);
        QCOMPARE(responses.at(i).first().toString(), key + '=' + m_sim->model().setting(key));
    }
}

void TestTcpBridge::handlesSeveralLinesPerReadInOrder()
{
    m_sim->setScriptedReply("SET wifiSSID x", "echo SET wifiSSID x\r\nOK\r\n\r\n  \r\nlast");
    QVERIFY(connectBridge(TcpBridge::commandPort));
    QSignalSpy responses(m_bridge.get(), &TcpBridge::responseReceived);
    QSignalSpy acks(m_bridge.get(), &TcpBridge::setAcknowledged);
    QSignalSpy logChanged(m_bridge.get(), &TcpBridge::logChanged);

    m_bridge->sendCommand("SET wifiSSID x");
    QTRY_COMPARE(responses.count(), 2);
    QCOMPARE(responses.at(0).first().toString(), QString("echo SET wifiSSID x"));
    QCOMPARE(responses.at(1).first().toString(), QString("OK"));
    QCOMPARE(acks.count(), 2);
    QCOMPARE(acks.at(0).first().toString(), QString("wifiSSID"));
    QVERIFY(logChanged.count() >= 1);

    // The unterminated "last" waits for its line feed.
    m_sim->sendRaw(Service::Command, " line\n");
    QTRY_COMPARE(responses.count(), 3);
    QCOMPARE(responses.at(2).first().toString(), QString("last line"));
    QVERIFY(m_bridge->log().endsWith("OK\nlast line\n"));
}

void TestTcpBridge::listsDevicesWhateverTheirNames()
{
    QList<GatewayModel::Device> devices = m_sim->model().devices();
    devices.append({"Device Type 3", 2, 0, "30s", "0A0B"});
    m_sim->model().setDevices(devices);
    m_sim->setReplyChunking(16, 2);
    QVERIFY(connectBridge(TcpBridge::commandPort));
    QSignalSpy listChanged(m_bridge.get(), &TcpBridge::deviceListChanged);

    m_bridge->sendCommand("GET rs485list");
    QTRY_COMPARE_WITH_TIMEOUT(m_bridge->deviceList().size(), 3, 10000);
    QVERIFY(listChanged.count() > 1);
    const QVariantMap last = m_bridge->deviceList().last().toMap();
    QCOMPARE(last.value("id").toInt(), 2);
    QCOMPARE(last.value("name").toString(), QString("Device Type 3"));
    QCOMPARE(last.value("port").toString(), QString("port2"));
    QCOMPARE(last.value("autoCRC").toInt(), 0);
    QCOMPARE(last.value("poll").toString(), QString("30s"));
    QCOMPARE(last.value("cmdHex").toString(), QString("0A0B"));

    // Sending the command again empties the list; the pages hear of it with
    // the first read of the new reply, which does not pile onto the old one.
    listChanged.clear();
    m_bridge->sendCommand("GET rs485list");
    QCOMPARE(m_bridge->deviceList().size(), 0);
    QCOMPARE(listChanged.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_bridge->deviceList().size(), 3, 10000);
}

void TestTcpBridge::acknowledgesSetsAndSave_data()
{
    QTest::addColumn<bool>("refuseSave");
    QTest::newRow("saved") << false;
    QTest::newRow("refused") << true;
}

void TestTcpBridge::acknowledgesSetsAndSave()
{
    QFETCH(bool, refuseSave);
    m_sim->model().setRefuseSave(refuseSave);
    QVERIFY(connectBridge(TcpBridge::commandPort));
    QSignalSpy acks(m_bridge.get(), &TcpBridge::setAcknowledged);
    QSignalSpy saved(m_bridge.get(), &TcpBridge::saveCompleted);
    QSignalSpy notSaved(m_bridge.get(), &TcpBridge::notSavedFully);

    m_bridge->sendCommand("SET simSlot 1  (SIM1)");
    QVERIFY(acks.wait(5000));
    QCOMPARE(acks.first().first().toString(), QString("simSlot"));
    m_bridge->sendCommand("SAVE");
    QTRY_COMPARE(saved.count() + notSaved.count(), 1);
    QCOMPARE(saved.count(), refuseSave ? 0 : 1);
    QCOMPARE(m_sim->model().setting("simSlot"), QString("1  (SIM1)"));
    COMPARE_BYTES(m_sim->received(Service::Command),
                  QByteArray("SET simSlot 1  (SIM1)\r\nSAVE\r\n"));
}

void TestTcpBridge::reconnectsToAnotherPort()
{
    QVERIFY(connectBridge(TcpBridge::commandPort));
    QCOMPARE(m_bridge->currentPort(), 8881);
    QList<int> portsSeen;
    connect(m_bridge.get(), &TcpBridge::currentPortChanged, this,
            [&] { portsSeen.append(m_bridge->currentPort()); });
    QSignalSpy responses(m_bridge.get(), &TcpBridge::responseReceived);

    QVERIFY(connectBridge(TcpBridge::monitorPort));
    QCOMPARE(portsSeen, (QList<int>{0, 8880}));
    QCOMPARE(responses.first().first().toString(), QString("Disconnected from device"));
    QVERIFY(m_bridge->log().contains("Disconnected from device\nConnected to device\n"));
    QCOMPARE(m_bridge->currentCommand(), QString());
}

void TestTcpBridge::decodesTheMonitorStream()
{
    m_sim->setMonitorRate(200);
    QVERIFY(connectBridge(TcpBridge::monitorPort));
    QSignalSpy terminalChanged(m_bridge.get(), &TcpBridge::terminalLogChanged);
    QTRY_VERIFY_WITH_TIMEOUT(m_bridge->terminalLog().count('\n') >= 12, 10000);

    const QStringList lines = m_bridge->terminalLog().split('\n', Qt::SkipEmptyParts);
    // ELMEASURE: low word first, so "0 16256" is 1.0; the other meter the reverse.
    QVERIFY(lines.contains("[0x0000]  =>  1.00   100.00   1.10   0.00   10.00   "));
    QVERIFY(lines.contains("[0x000A]  =>  1.00   100.00   1.10   0.00   10.00   "));
    QVERIFY(lines.contains("[RS485] DATA port2 id=2 'Main meter' regs=10"));
    QVERIFY(!m_bridge->log().contains("[0x")); // monitor lines stay off the command log
    QVERIFY(!m_bridge->terminalLog().contains("[0x0000] 0")); // raw register lines are not logged
    QVERIFY(terminalChanged.count() > 0);
}

void TestTcpBridge::reportsEverySocketErrorTwice()
{
    m_sim->stop();
    QSignalSpy errors(m_bridge.get(), &TcpBridge::errorOccurred);
    QSignalSpy connectedChanged(m_bridge.get(), &TcpBridge::connectedChanged);
    m_bridge->connectToDevice(m_ip, TcpBridge::commandPort);
    QCOMPARE(m_bridge->currentPort(), 8881);
    QVERIFY(errors.wait(5000));
    QCOMPARE(errors.count(), 2);
    QCOMPARE(errors.at(0).first(), errors.at(1).first());
    const QString text = errors.at(0).first().toString();
    QVERIFY(m_bridge->log().endsWith("ERROR: " + text + "\n"));
    QCOMPARE(connectedChanged.count(), 0); // it never connected
    QCOMPARE(m_bridge->currentPort(), 8881);
}

void TestTcpBridge::refusesCommandsWhileNotConnected()
{
    QSignalSpy errors(m_bridge.get(), &TcpBridge::errorOccurred);
    QSignalSpy commandChanged(m_bridge.get(), &TcpBridge::commandChanged);
    m_bridge->sendCommand("GETALL");
    m_bridge->disconnectMqtt(); // AT texts go the same way
    QCOMPARE(errors.count(), 2);
    QCOMPARE(errors.first().first().toString(), QString("Not connected"));
    QCOMPARE(commandChanged.count(), 0);
    QCOMPARE(m_bridge->currentCommand(), QString());
    m_bridge->sendTestMessage("body"); // silently nothing
    QCOMPARE(errors.count(), 2);
}

void TestTcpBridge::refusesPortsOutOfRange_data()
{
    QTest::addColumn<int>("port");
    // 74417 would wrap round to 8881, the command port.
    QTest::newRow("wraps to the command port") << 74417;
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -1;
}

// The link that stands stays as it is: a mistyped port must not reach
// another of the gateway's services.
void TestTcpBridge::refusesPortsOutOfRange()
{
    QFETCH(int, port);
    QVERIFY(connectBridge(TcpBridge::monitorPort));
    QSignalSpy errors(m_bridge.get(), &TcpBridge::errorOccurred);
    m_bridge->connectToDevice(m_ip, port);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().toString(), QString("Invalid port %1").arg(port));
    QVERIFY(m_bridge->log().endsWith(QString("ERROR: Invalid port %1\n").arg(port)));
    QVERIFY(m_bridge->isConnected());
    QCOMPARE(m_bridge->currentPort(), 8880);
    QTest::qWait(100);
    QCOMPARE(m_sim->connectionCount(Service::Command), 0);
}

void TestTcpBridge::talksToTheModemConsole()
{
    QVERIFY(m_sim->atConsoleAvailable());
    QVERIFY(connectBridge(TcpBridge::commandPort));
    QSignalSpy configReceived(m_bridge.get(), &TcpBridge::mqttConfigReceived);
    m_bridge->sendCommand("GETALL");
    QVERIFY(configReceived.wait(5000));

    QVERIFY(connectBridge(TcpBridge::atConsolePort));
    QSignalSpy atChanged(m_bridge.get(), &TcpBridge::atCmdLogChanged);
    m_bridge->openMqtt();
    m_bridge->connectMqtt();
    m_bridge->publishtoComtopic();
    QTRY_VERIFY(m_bridge->atLog().contains(">\n"));
    m_bridge->sendTestMessage(QStringLiteral("hällo"));
    m_bridge->sendTestMessage(QString()); // nothing
    QTRY_VERIFY(m_bridge->atLog().contains("+QMTPUB: 0,1,0"));
    QVERIFY(atChanged.count() > 0);

    const QString topic = m_sim->model().setting("mqttTopicIn");
    COMPARE_BYTES(m_sim->received(Service::AtConsole),
                  QByteArray("AT+QMTOPEN=0,\"127.0.0.1\",1883\r\n"
                             "AT+QMTCONN=0,\"device1\",\"gateway\",\"s3cret+pass\"\r\n"
                             "AT+QMTPUB=0,1,1,0,\"")
                      + topic.toUtf8() + "\"\r\n" + QStringLiteral("hällo").toUtf8() + "\x1A");
    QVERIFY(m_bridge->atLog().startsWith("OK\n+QMTOPEN: 0,0\n"));
    QVERIFY(!m_bridge->log().contains("+QMTOPEN"));
}

void TestTcpBridge::rebootDropsTheLink()
{
    QVERIFY(connectBridge(TcpBridge::commandPort));
    QSignalSpy responses(m_bridge.get(), &TcpBridge::responseReceived);
    QSignalSpy connectedChanged(m_bridge.get(), &TcpBridge::connectedChanged);
    m_bridge->sendCommand("REBOOT");
    QVERIFY(connectedChanged.wait(5000));
    QCOMPARE(responses.first().first().toString(), QString("Rebooting..."));
    QCOMPARE(m_bridge->currentPort(), 0);
}

void TestTcpBridge::selectsRegisteredCloudDevices()
{
    QVERIFY(connectBridge(TcpBridge::commandPort));
    QSignalSpy configReceived(m_bridge.get(), &TcpBridge::mqttConfigReceived);
    QSignalSpy configMissing(m_bridge.get(), &TcpBridge::mqttConfigMissing);
    m_bridge->sendCommand("GETALL");
    QVERIFY(configReceived.wait(5000));
    configReceived.clear();

    // The debug line names the broker but never shows the password.
    const QString id = m_sim->model().deviceId();
    QTest::ignoreMessage(QtDebugMsg,
                         qPrintable(" sevrver  :  " + id + " 127.0.0.1 1883 gateway ********"));
    QTest::ignoreMessage(QtDebugMsg, " sevrver is not empty ");
    QVERIFY(m_bridge->sendTopicDeviceId(id));
    QCOMPARE(configReceived.count(), 1);
    QCOMPARE(m_bridge->cloudBroker().password, QString("s3cret+pass"));

    QVERIFY(!m_bridge->sendTopicDeviceId("never-seen"));
    QCOMPARE(configMissing.count(), 1);
    QCOMPARE(m_bridge->cloudBroker(), BrokerSettings());
    QCOMPARE(m_bridge->selectedDeviceId(), QString("never-seen"));

    // A new bridge, as at the next start, knows the gateway.
    TcpBridge restarted;
    QCOMPARE(restarted.deviceIds(), QStringList{id});
}

QTEST_MAIN(TestTcpBridge)
#include "tst_tcpbridge.moc"
