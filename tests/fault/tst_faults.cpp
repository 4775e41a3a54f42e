#include "bridgefixture.h"
#include "brokerfixture.h"
#include "gatewaycloudlink.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

const BrokerSettings gatewayBroker{"127.0.0.1", "1883", BrokerFixture::user,
                                   BrokerFixture::password};

QByteArray wire(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n')).toUtf8() + '\n';
}

// Offset just past the line feed that ends the first line starting with
// the prefix; beyond any offset when there is none.
qsizetype endOfLine(const QByteArray &bytes, const QByteArray &prefix)
{
    const qsizetype start = bytes.startsWith(prefix) ? 0 : bytes.indexOf('\n' + prefix) + 1;
    return start || bytes.startsWith(prefix) ? bytes.indexOf('\n', start) + 1
                                             : std::numeric_limits<qsizetype>::max();
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
}

} // namespace

// What the tool does when the link, the broker or the settings file fails
// under it: no crash, nothing claimed that did not happen, and a clean state
// once the fault is gone.
class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    void linkDroppedMidReply_data()
    {
        // Where the link drops: a number of bytes counted from the line feed
        // that ends the line starting with the landmark ("" for the reply's
        // start). Registration needs the broker's four settings and the port-1
        // topic, which comes last of them.
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("landmark");
        QTest::addColumn<int>("offset");
        const auto row = [](const char *tag, const char *command, const char *mark, int offset) {
            QTest::newRow(tag) << QString(command) << QByteArray(mark) << offset;
        };
        row("settings, before the first byte", "GETALL", "", 0);
        row("settings, inside the password value", "GETALL", "mqttPass=", -5);
        row("settings, before the password's line feed", "GETALL", "mqttPass=", -1);
        row("settings, right after the password", "GETALL", "mqttPass=", 0);
        row("settings, before the port-1 topic's line feed", "GETALL", "port1Topic=", -1);
        row("settings, right after the port-1 topic", "GETALL", "port1Topic=", 0);
        row("settings, before the prompt", "GETALL", ">", -2);
        row("list, inside the first device", "GET rs485list", "dev[0]", -8);
        row("list, before the first device's line feed", "GET rs485list", "dev[0]", -1);
        row("list, between the devices", "GET rs485list", "dev[0]", 0);
        row("list, before the prompt", "GET rs485list", "dev[2]", 0);
        row("save, nothing of the reply", "SAVE", "", 0);
        row("save, inside the text", "SAVE", "", 5);
        row("save, all but the line feed", "SAVE", "OK", -1);
    }
    void linkDroppedMidReply()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, landmark);
        QFETCH(int, offset);
        GatewayModel &model = f.sim->model();
        // A device named after the list's own words is a device all the same.
        model.setDevices(model.devices()
                         << GatewayModel::Device{"Device Type 3", 2, 0, "30s", "0A0B"});
        const QString id = model.deviceId();
        const QByteArray reply = command == "SAVE"     ? QByteArray("OK: saved to flash\n")
                                 : command == "GETALL" ? wire(model.getAllLines())
                                                       : wire(model.deviceListLines());
        const qint64 cut = (landmark.isEmpty() ? 0 : endOfLine(reply, landmark)) + offset;
        QVERIFY(cut >= 0 && cut < reply.size());
        const auto arrived = [&](const QString &prefix) {
            return endOfLine(reply, prefix.toUtf8()) <= cut;
        };
        QVariantList devices;
        QVariantList devicesArrived;
        for (const GatewayModel::Device &d : model.devices()) {
            devices << QVariantMap{{"id", int(devices.size())},
                                   {"name", d.name},
                                   {"port", QString("port%1").arg(d.port)},
                                   {"autoCRC", d.autoCrc},
                                   {"poll", d.poll},
                                   {"cmdHex", d.cmdHex}};
            if (arrived(QString("dev[%1]").arg(devices.size() - 1)))
                devicesArrived << devices.last();
        }

        QSignalSpy configReceived(f.bridge.get(), &TcpBridge::mqttConfigReceived);
        QSignalSpy saved(f.bridge.get(), &TcpBridge::saveCompleted);
        QSignalSpy notSaved(f.bridge.get(), &TcpBridge::notSavedFully);
        const auto check = [&](const std::function<bool(const QString &)> &whole,
                               const QVariantList &listed, int configs) {
            for (const QString &key : model.settingKeys())
                QCOMPARE(f.bridge->dataMap().value(key).toString(),
                         whole(key + '=') ? model.setting(key) : QString());
            QCOMPARE(f.bridge->deviceList(), listed);
            QCOMPARE(saved.count(), 0);
            QCOMPARE(configReceived.count(), configs); // once a reading, however it arrives
            QCOMPARE(f.bridge->deviceIds(), configs ? QStringList{id} : QStringList{});
            QCOMPARE(SettingsStore::readDeviceIds(), f.bridge->deviceIds());
            QCOMPARE(SettingsStore::readBrokerSettings(id),
                     configs ? gatewayBroker : BrokerSettings{});
        };

        // Only whole lines count: every value the pages see is the gateway's,
        // never one cut short, and an unfinished line is neither a device nor
        // an acknowledgement.
        f.sim->setDropAfterBytes(cut);
        QVERIFY(f.connectBridge());
        f.bridge->sendCommand(command);
        QTRY_VERIFY(!f.bridge->isConnected());
        QCOMPARE(f.bridge->currentCommand(), QString());
        QCOMPARE(notSaved.count(), 0);
        const bool registers = arrived("port1Topic=");
        check(arrived, devicesArrived, registers);
        if (QTest::currentTestFailed())
            return;

        // The cut line is not glued onto the next connection's first line, and
        // reading again, three bytes a read, gives each value and device once.
        // The pages see the reply fill in line by line, and hear of the list
        // emptied for it only with its first read.
        QVERIFY(f.connectBridge());
        model.setRefuseSave(true);
        f.sim->setReplyChunking(3, 0);
        QSignalSpy mapChanged(f.bridge.get(), &TcpBridge::dataMapChanged);
        QSignalSpy listChanged(f.bridge.get(), &TcpBridge::deviceListChanged);
        f.bridge->sendCommand(command);
        QCOMPARE(f.bridge->deviceList().size(), 0);
        QCOMPARE(listChanged.count(), 0);
        const bool all = command == "GETALL";
        const QString last = model.settingKeys().last();
        QTRY_VERIFY(command == "SAVE" ? notSaved.count() == 1
                    : all             ? configReceived.count() > int(registers)
                                && f.bridge->dataMap().value(last) == model.setting(last)
                          : f.bridge->deviceList().size() == devices.size());
        QTest::qWait(100);
        QVERIFY(command == "SAVE" || (all ? mapChanged : listChanged).count() > 1);
        check([&](const QString &) { return all; },
              command == "SAVE" || all ? QVariantList() : devices, int(registers) + int(all));
        QCOMPARE(model.saveCount(), command == "SAVE" ? 1 : 0); // the first SAVE reached the flash
    }

    // 10 MiB without a line feed: one error line, a bounded log, and the next
    // connection reads whole.
    void overlongLineStaysBounded()
    {
        QVERIFY(f.connectBridge());
        QSignalSpy responses(f.bridge.get(), &TcpBridge::responseReceived);
        const QByteArray block(64 * 1024, 'x');
        for (int sent = 0; sent < 10 * 1024 * 1024; sent += block.size())
            f.sim->sendRaw(GatewaySimulator::Service::Command, block);
        QTRY_VERIFY_WITH_TIMEOUT(f.bridge->log().contains("ERROR: dropped a line"), 30000);
        QTest::qWait(200);
        f.sim->dropConnections(GatewaySimulator::Service::Command);
        QTRY_VERIFY(!f.bridge->isConnected());
        QCOMPARE(responses.count(), 1); // "Disconnected from device" only
        QCOMPARE(f.bridge->log().count("ERROR: dropped a line"), 1);
        QVERIFY2(f.bridge->log().size() < 1024,
                 qPrintable(QString::number(f.bridge->log().size())));

        QVERIFY(f.readGatewaySettings());
        QCOMPARE(f.bridge->dataMap().value("wifiSSID").toString(), QString("plant-floor"));
    }

    void brokerKilledDuringCloudRequest_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("killFirst"); // the request is made while the broker is down
        QTest::newRow("list, killed just after the request") << "GET rs485list" << false;
        QTest::newRow("list, requested while down") << "GET rs485list" << true;
        QTest::newRow("save, killed just after the request") << "SAVE" << false;
        QTest::newRow("save, requested while down") << "SAVE" << true;
    }
    void brokerKilledDuringCloudRequest()
    {
        QFETCH(QString, command);
        QFETCH(bool, killFirst);
        BrokerFixture b;
        QVERIFY(b.start(f.bridge.get()));
        GatewayModel &model = f.sim->model();
        model.setBroker(b.broker->host(), b.broker->port(), b.user, b.password);
        const QString id = model.deviceId();
        b.store(id);
        GatewayCloudLink gateway(model);
        gateway.start();
        QTRY_VERIFY(gateway.isConnected());
        QVERIFY(b.select(id));

        // Every list the page is given is whole; no save is claimed the gateway
        // did not make.
        QSignalSpy saved(f.bridge.get(), &TcpBridge::saveCompletedMqtt);
        QList<int> listSizes;
        connect(f.bridge.get(), &TcpBridge::deviceListMqttChanged, &gateway,
                [&] { listSizes.append(int(f.bridge->deviceListMqtt().size())); });
        QSignalSpy disconnected(b.client.get(), &QMQTT::Client::disconnected);
        if (!killFirst)
            f.bridge->sendConfigRequest(command, id);
        b.broker->kill();
        QVERIFY(disconnected.wait(5000));
        QVERIFY(!f.bridge->connectedmqtt());
        if (killFirst)
            f.bridge->sendConfigRequest(command, id);
        // One attempt 3 s after the drop (a coarse timer: up to 5 % early),
        // no storm: it fails and ends in the next disconnected().
        QElapsedTimer sinceDrop;
        sinceDrop.start();
        QVERIFY(disconnected.wait(5000));
        QVERIFY2(sinceDrop.elapsed() >= 2700 && sinceDrop.elapsed() < 4000,
                 qPrintable(QString::number(sinceDrop.elapsed())));
        QCOMPARE(disconnected.count(), 2);
        QVERIFY(saved.count() <= model.saveCount());
        const int savesBefore = model.saveCount();

        // Both sides come back on their own and the request works again.
        QVERIFY(b.broker->restart());
        QTRY_VERIFY_WITH_TIMEOUT(f.bridge->connectedmqtt() && gateway.isConnected(), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(b.session->subscribedDeviceId(), id, 5000);
        QTest::qWait(300); // the subscriptions of both sides
        saved.clear();
        const qsizetype listsBefore = listSizes.size();
        f.bridge->sendConfigRequest(command, id);
        // A request libmosquitto held back while the broker was down may go out
        // too; each reply still answers a command the gateway really handled.
        if (command == "SAVE") {
            QTRY_VERIFY_WITH_TIMEOUT(saved.count() >= 1, 5000);
            QVERIFY(model.saveCount() - savesBefore >= saved.count());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(listSizes.size() > listsBefore, 5000);
        }
        QCOMPARE(listSizes.count(int(model.devices().size())), listSizes.size());
    }

    void unwritableSettingsFile()
    {
        // A folder where the file should be: no write can succeed, even as root.
        const QString path = SettingsStore::settingsFilePath();
        QVERIFY(QDir().mkpath(path));
        f.bridge->saveDeviceId("KV-LOST");
        QCOMPARE(f.bridge->deviceIds(), QStringList{"KV-LOST"}); // kept for this run
        QVERIFY(SettingsStore::readDeviceIds().isEmpty());

        // The gateway's broker settings cannot be kept: cloud mode must not act
        // as if they were.
        QVERIFY(f.readGatewaySettings());
        const QString id = f.sim->model().deviceId();
        QCOMPARE(f.bridge->deviceIds(), (QStringList{"KV-LOST", id}));
        QSignalSpy configMissing(f.bridge.get(), &TcpBridge::mqttConfigMissing);
        QVERIFY(!f.bridge->sendTopicDeviceId(id));
        QCOMPARE(configMissing.count(), 1);
        QCOMPARE(folderEntries(path), QStringList());

        // Once the file can be written, even with its folder gone, the next
        // writes make the folder again and store the broker and the whole list.
        QVERIFY(QDir(f.settingsFolder()).removeRecursively());
        f.bridge->sendCommand("GETALL");
        QVERIFY(QSignalSpy(f.bridge.get(), &TcpBridge::mqttConfigReceived).wait(5000));
        QCOMPARE(SettingsStore::readBrokerSettings(id), gatewayBroker);
        f.bridge->saveDeviceId("KV-NEXT");
        QCOMPARE(SettingsStore::readDeviceIds(), (QStringList{"KV-LOST", id, "KV-NEXT"}));
    }

    void corruptSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("loaded"); // empty: any list that keeps its rules

        const auto row = [](const char *tag, const QByteArray &content,
                            const QStringList &loaded = {}) {
            QTest::newRow(tag) << content << loaded;
        };
        QByteArray noise(4096, '\0');
        QRandomGenerator(12345).fillRange(reinterpret_cast<quint32 *>(noise.data()), 1024);
        row("random bytes", noise);
        row("one huge line", QByteArray(1024 * 1024, 'x'));
        row("invalid UTF-8 and NUL", QByteArrayLiteral("[MQTT]\nDeviceIds=\xff\xfe\0\xc0\xaf\n"));
        row("section header never closed", "[MQTT\nDeviceIds=KV-1\n");
        row("cut in the middle of the list", "[MQTT]\nDeviceIds=KV-1, KV-", {"KV-1", "KV-"});
        row("empties, spaces and twins", "[MQTT]\nDeviceIds=KV-1, , \"KV 2\", KV-1, KV2\n",
            {"KV-1", "KV2"});
        row("the list as a group", "[MQTT]\nDeviceIds\\x=1\n[KV-1]\nmqttPass=!!notbase64!!\n");
    }
    void corruptSettingsFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, loaded);
        const QString path = SettingsStore::settingsFilePath();
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();

        TcpBridge tool;
        const QStringList ids = tool.deviceIds();
        for (const QString &id : ids)
            QVERIFY(!id.isEmpty() && !id.contains(' ') && ids.count(id) == 1);
        if (!loaded.isEmpty())
            QCOMPARE(ids, loaded);
        QVERIFY(!tool.sendTopicDeviceId("KV-1")); // no usable settings, no crash

        // The tool writes over the damage and the file reads back clean.
        tool.saveDeviceId("KV-NEW");
        SettingsStore::writeBrokerSettings("KV-NEW", gatewayBroker);
        QVERIFY(tool.deviceIds().endsWith("KV-NEW"));
        QCOMPARE(SettingsStore::readBrokerSettings("KV-NEW"), gatewayBroker);
        QCOMPARE(QSettings(path, QSettings::IniFormat).status(), QSettings::NoError);
        QCOMPARE(TcpBridge().deviceIds(), tool.deviceIds());
    }

    // Two tools share the file: each writes the whole list, merged with what
    // the other stored, and each group whole. The file is never left
    // half-written: each write goes to a new file that replaces the old one
    // whole, so a reader holding the old one sees it intact and nothing but
    // the file is left in the folder.
    void twoToolsShareOneSettingsFile()
    {
        TcpBridge &first = *f.bridge;
        TcpBridge second;
        first.saveDeviceId("A1");
        second.saveDeviceId("B1"); // started before A1 was stored
        QCOMPARE(second.deviceIds(), (QStringList{"A1", "B1"}));
        first.saveDeviceId("A2");
        first.saveDeviceId("B1"); // known on disk: written once only
        QCOMPARE(SettingsStore::readDeviceIds(), (QStringList{"A1", "B1", "A2"}));

        const QString path = SettingsStore::settingsFilePath();
        struct stat before = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);
        QFile held(path);
        QVERIFY(held.open(QIODevice::ReadOnly));
        const QByteArray old = held.peek(held.size());

        // The last writer's four keys, never a mix.
        SettingsStore::writeBrokerSettings("A1", {"h-a", "1", "ua", "pa"});
        SettingsStore::writeBrokerSettings("B1", {"h-b", "2", "ub", "pb"});
        SettingsStore::writeBrokerSettings("A1", {"h-c", "3", "uc", ""});
        QVERIFY(!first.sendTopicDeviceId("A1")); // no password: incomplete
        QVERIFY(second.sendTopicDeviceId("B1"));
        QCOMPARE(second.cloudBroker(), (BrokerSettings{"h-b", "2", "ub", "pb"}));
        QCOMPARE(SettingsStore::readBrokerSettings("A1"), (BrokerSettings{"h-c", "3", "uc", ""}));
        QCOMPARE(TcpBridge().deviceIds(), (QStringList{"A1", "B1", "A2"}));

        struct stat after = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
        QVERIFY(after.st_ino != before.st_ino);
        QCOMPARE(held.readAll(), old);
        QCOMPARE(folderEntries(f.settingsFolder()), QStringList{"meridax.ini"});
    }

private:
    BridgeFixture f{130};
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
