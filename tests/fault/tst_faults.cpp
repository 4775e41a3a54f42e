#include "bridgefixture.h"
#include "gatewaycloudlink.h"
#include "mosquittobroker.h"
#include "mqttclient.h"
#include "mqttsession.h"
#include "settingsstore.h"
#include "tcpbridge.h"

#include <QtTest>

#include <sys/stat.h>

using Service = GatewaySimulator::Service;

namespace {

const QString user = QStringLiteral("gateway");
const QString password = QStringLiteral("s3cret+pass");

QByteArray wire(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n')).toUtf8() + '\n';
}

// Offset just past the line feed that ends the first line starting with
// the prefix.
qsizetype endOfLine(const QByteArray &bytes, const QByteArray &prefix)
{
    const qsizetype start = bytes.startsWith(prefix) ? 0 : bytes.indexOf('\n' + prefix) + 1;
    return bytes.indexOf('\n', start) + 1;
}

// The file holds broker credentials: no one but its owner may read it.
constexpr QFileDevice::Permissions othersMayAccess =
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
    | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

ino_t inodeOf(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
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

    // Direct link
    void linkDroppedMidGetAll_data();
    void linkDroppedMidGetAll();
    void linkDroppedMidList_data();
    void linkDroppedMidList();
    void linkDroppedMidSave_data();
    void linkDroppedMidSave();
    void overlongLineStaysBounded_data();
    void overlongLineStaysBounded();
    void invalidUtf8IsReplacedNotTrusted_data();
    void invalidUtf8IsReplacedNotTrusted();
    void invalidUtf8PasswordRoundTrips();

    // Broker
    void brokerKilledDuringCloudRequest_data();
    void brokerKilledDuringCloudRequest();

    // Settings file
    void unwritableSettingsFile();
    void corruptSettingsFile_data();
    void corruptSettingsFile();
    void settingsFolderDeletedWhileRunning();
    void settingsFileIsReplacedNotRewritten();
    void twoToolsShareOneSettingsFile();

private:
    BridgeFixture f{130};
};

// --- Direct link ------------------------------------------------------------

void TestFaults::linkDroppedMidGetAll_data()
{
    // Where the link drops: a number of bytes counted from the line feed that
    // ends the line starting with the landmark ("" for the reply's start,
    // "end" for its end). Registration needs the broker's four settings and
    // the port-1 topic, which comes last of them.
    QTest::addColumn<QByteArray>("landmark");
    QTest::addColumn<int>("offset");
    QTest::addColumn<bool>("registers");
    QTest::newRow("before the first byte") << QByteArray() << 0 << false;
    QTest::newRow("inside the password value") << QByteArray("mqttPass=") << -5 << false;
    QTest::newRow("before the password's line feed") << QByteArray("mqttPass=") << -1 << false;
    QTest::newRow("right after the password") << QByteArray("mqttPass=") << 0 << false;
    QTest::newRow("before the port-1 topic's line feed")
        << QByteArray("port1Topic=") << -1 << false;
    QTest::newRow("right after the port-1 topic") << QByteArray("port1Topic=") << 0 << true;
    QTest::newRow("before the prompt") << QByteArray("end") << -2 << true;
}

void TestFaults::linkDroppedMidGetAll()
{
    QFETCH(QByteArray, landmark);
    QFETCH(int, offset);
    QFETCH(bool, registers);
    const GatewayModel &model = f.sim->model();
    const QString id = model.deviceId();
    const QByteArray reply = wire(model.getAllLines());
    const qint64 cut = (landmark.isEmpty()  ? 0
                        : landmark == "end" ? reply.size()
                                            : endOfLine(reply, landmark))
                       + offset;
    QVERIFY(cut >= 0 && cut < reply.size());

    f.sim->setDropAfterBytes(cut);
    QVERIFY(f.connectBridge());
    QSignalSpy connectedChanged(f.bridge.get(), &TcpBridge::connectedChanged);
    QSignalSpy configReceived(f.bridge.get(), &TcpBridge::mqttConfigReceived);
    f.bridge->sendCommand("GETALL");
    QVERIFY(connectedChanged.wait(5000));
    QVERIFY(!f.bridge->isConnected());
    QCOMPARE(f.bridge->currentCommand(), QString());

    // Only whole lines count: every value the pages see is the gateway's,
    // never one cut short, and lines past the cut are not there at all.
    const QVariantMap map = f.bridge->dataMap();
    for (const QString &key : model.settingKeys()) {
        const QString value = map.value(key).toString();
        const bool arrived = endOfLine(reply, key.toUtf8() + '=') <= cut;
        QCOMPARE(value, arrived ? model.setting(key) : QString());
    }

    QCOMPARE(configReceived.count() > 0, registers);
    QCOMPARE(f.bridge->deviceIds(), registers ? QStringList{id} : QStringList{});
    QCOMPARE(SettingsStore::readDeviceIds(), registers ? QStringList{id} : QStringList{});
    const BrokerSettings stored = SettingsStore::readBrokerSettings(id);
    const BrokerSettings expected =
        registers ? BrokerSettings{"127.0.0.1", "1883", user, password} : BrokerSettings{};
    QCOMPARE(stored, expected);

    // A fresh connection reads the whole reply and registers the gateway.
    const int seen = int(configReceived.count());
    QVERIFY(f.connectBridge());
    f.bridge->sendCommand("GETALL");
    QTRY_VERIFY_WITH_TIMEOUT(configReceived.count() > seen, 5000);
    QCOMPARE(f.bridge->dataMap().value("mqttTopicOut").toString(), model.setting("mqttTopicOut"));
    QCOMPARE(SettingsStore::readDeviceIds(), QStringList{id});
    QCOMPARE(SettingsStore::readBrokerSettings(id),
             (BrokerSettings{"127.0.0.1", "1883", user, password}));
}

void TestFaults::linkDroppedMidList_data()
{
    const QByteArray reply = wire(GatewayModel().deviceListLines());
    const qsizetype first = endOfLine(reply, "dev[0]");
    const qsizetype second = endOfLine(reply, "dev[1]");
    QVERIFY(first > 0 && second > first);

    QTest::addColumn<qint64>("cut");
    QTest::addColumn<int>("devices");
    QTest::newRow("inside the first device") << qint64(first - 8) << 0;
    QTest::newRow("before the first device's line feed") << qint64(first - 1) << 0;
    QTest::newRow("between the devices") << qint64(first) << 1;
    QTest::newRow("before the prompt") << qint64(second) << 2;
}

void TestFaults::linkDroppedMidList()
{
    QFETCH(qint64, cut);
    QFETCH(int, devices);
    const QList<GatewayModel::Device> model = f.sim->model().devices();
    QCOMPARE(model.size(), 2);

    f.sim->setDropAfterBytes(cut);
    QVERIFY(f.connectBridge());
    QSignalSpy connectedChanged(f.bridge.get(), &TcpBridge::connectedChanged);
    f.bridge->sendCommand("GET rs485list");
    QVERIFY(connectedChanged.wait(5000));

    const auto checkList = [&](int expected) {
        const QVariantList list = f.bridge->deviceList();
        QCOMPARE(list.size(), expected);
        for (int i = 0; i < expected; ++i) {
            const QVariantMap entry = list.at(i).toMap();
            QCOMPARE(entry.value("id").toInt(), i);
            QCOMPARE(entry.value("name").toString(), model.at(i).name);
            QCOMPARE(entry.value("poll").toString(), model.at(i).poll);
            QCOMPARE(entry.value("cmdHex").toString(), model.at(i).cmdHex);
        }
    };
    checkList(devices);
    if (QTest::currentTestFailed())
        return;

    // Listing again gives each device once, not the earlier ones twice.
    QVERIFY(f.connectBridge());
    f.bridge->sendCommand("GET rs485list");
    QTRY_COMPARE_WITH_TIMEOUT(f.bridge->deviceList().size(), 2, 5000);
    QTest::qWait(100);
    checkList(2);
}

void TestFaults::linkDroppedMidSave_data()
{
    QTest::addColumn<qint64>("cut");
    QTest::newRow("nothing of the reply") << qint64(0);
    QTest::newRow("inside the text") << qint64(5);
    QTest::newRow("all but the line feed") << qint64(qstrlen("OK: saved to flash"));
}

void TestFaults::linkDroppedMidSave()
{
    QFETCH(qint64, cut);
    QVERIFY(f.connectBridge());
    QSignalSpy saved(f.bridge.get(), &TcpBridge::saveCompleted);
    QSignalSpy notSaved(f.bridge.get(), &TcpBridge::notSavedFully);
    QSignalSpy connectedChanged(f.bridge.get(), &TcpBridge::connectedChanged);

    f.sim->setDropAfterBytes(cut);
    f.bridge->sendCommand("SAVE");
    QVERIFY(connectedChanged.wait(5000));
    QTest::qWait(100);
    // An unfinished line is no acknowledgement, whatever the gateway did.
    QCOMPARE(saved.count(), 0);
    QCOMPARE(notSaved.count(), 0);

    // The cut line must not be glued onto the next connection's first line.
    QVERIFY(f.connectBridge());
    f.sim->model().setRefuseSave(true);
    f.bridge->sendCommand("SAVE");
    QTRY_COMPARE(notSaved.count(), 1);
    QCOMPARE(saved.count(), 0);
    QCOMPARE(f.sim->model().saveCount(), 1); // the first SAVE did reach the flash

    f.sim->model().setRefuseSave(false);
    f.bridge->sendCommand("SAVE");
    QTRY_COMPARE(saved.count(), 1);
    QCOMPARE(notSaved.count(), 1);
    QCOMPARE(f.sim->model().saveCount(), 2);
}

void TestFaults::overlongLineStaysBounded_data()
{
    QTest::addColumn<bool>("lineFeedAtEnd");
    QTest::addColumn<int>("chunk");
    QTest::newRow("10 MiB, never ended, 64 KiB writes") << false << 64 * 1024;
    QTest::newRow("10 MiB, then a line feed") << true << 1024 * 1024;
}

void TestFaults::overlongLineStaysBounded()
{
    QFETCH(bool, lineFeedAtEnd);
    QFETCH(int, chunk);
    constexpr int total = 10 * 1024 * 1024;
    QVERIFY(f.connectBridge());
    QSignalSpy responses(f.bridge.get(), &TcpBridge::responseReceived);
    QSignalSpy connectedChanged(f.bridge.get(), &TcpBridge::connectedChanged);

    const QByteArray block(chunk, 'x');
    for (int sent = 0; sent < total; sent += chunk)
        f.sim->sendRaw(Service::Command, block);
    if (lineFeedAtEnd) {
        f.sim->sendRaw(Service::Command, "\nSET wifiSSID OK\n");
        QTRY_COMPARE_WITH_TIMEOUT(responses.count(), 1, 30000);
        QCOMPARE(responses.first().first().toString(), QString("SET wifiSSID OK"));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(f.bridge->log().contains("ERROR: dropped a line"), 30000);
        QTest::qWait(200);
        f.sim->dropConnections(Service::Command);
        QVERIFY(connectedChanged.wait(5000));
        QCOMPARE(responses.count(), 1); // "Disconnected from device" only
    }
    QCOMPARE(f.bridge->log().count("ERROR: dropped a line"), 1);
    QVERIFY2(f.bridge->log().size() < 1024, qPrintable(QString::number(f.bridge->log().size())));

    // The flood left nothing behind: the next reply reads whole.
    if (!lineFeedAtEnd)
        QVERIFY(f.connectBridge());
    QSignalSpy configReceived(f.bridge.get(), &TcpBridge::mqttConfigReceived);
    f.bridge->sendCommand("GETALL");
    QVERIFY(configReceived.wait(10000));
    QCOMPARE(f.bridge->dataMap().value("wifiSSID").toString(), QString("plant-floor"));
}

void TestFaults::invalidUtf8IsReplacedNotTrusted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("kept"); // the valid part, which must survive
    QTest::addColumn<QString>("absent");
    const auto row = [](const char *tag, const QByteArray &bytes, const char *kept,
                        const QString &absent = QString()) {
        QTest::newRow(tag) << bytes << QString(kept) << absent;
    };
    row("lone continuation bytes", "\x80\xbf tail", " tail");
    row("overlong slash", "a\xc0\xaf\x62", "b", "/");
    row("overlong NUL", QByteArray("a\xc0\x80\x62", 4), "b", QString(QChar(0)));
    row("surrogate half", "x\xed\xa0\x80y", "y");
    row("beyond U+10FFFF", "\xf4\x90\x80\x80z", "z");
    row("cut sequence at line end", "abc\xe2\x82", "abc");
    row("bytes FE FF", "\xfe\xff ok", " ok");
}

void TestFaults::invalidUtf8IsReplacedNotTrusted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, kept);
    QFETCH(QString, absent);
    QVERIFY(f.connectBridge());
    QSignalSpy responses(f.bridge.get(), &TcpBridge::responseReceived);

    f.sim->sendRaw(Service::Command, bytes + "\nnext line\n");
    QTRY_VERIFY(f.bridge->log().contains("next line\n"));
    const QStringList lines = f.bridge->log().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3); // "Connected to device", the bad line, "next line"
    const QString bad = lines.at(1);
    QVERIFY2(bad.contains(QChar::ReplacementCharacter), qPrintable(bad));
    QVERIFY(bad.contains(kept));
    if (!absent.isEmpty())
        QVERIFY(!bad.contains(absent));
    QCOMPARE(lines.at(2), QString("next line"));
    QCOMPARE(responses.count(), 2);
}

// A password that is not UTF-8 is stored and read back as the text the
// pages were shown, and the rest of the file stays intact.
void TestFaults::invalidUtf8PasswordRoundTrips()
{
    QByteArray reply = wire(f.sim->model().getAllLines());
    reply.replace("mqttPass=" + password.toUtf8(), "mqttPass=p\xff\xc3(w\xe2\x82");
    f.sim->setScriptedReply("GETALL", reply);
    SettingsStore::writeBrokerSettings("other", {"h", "1", "u", "p"});

    QVERIFY(f.readGatewaySettings());
    const QString shown = f.bridge->dataMap().value("mqttPass").toString();
    QVERIFY(shown.startsWith('p') && shown.contains(QChar::ReplacementCharacter));

    const QString id = f.sim->model().deviceId();
    QCOMPARE(SettingsStore::readBrokerSettings(id).password, shown);
    QCOMPARE(SettingsStore::readBrokerSettings("other"), (BrokerSettings{"h", "1", "u", "p"}));
    QVERIFY(f.bridge->sendTopicDeviceId(id));
    QCOMPARE(f.bridge->cloudBroker().password, shown);
}

// --- Broker -----------------------------------------------------------------

void TestFaults::brokerKilledDuringCloudRequest_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("killFirst"); // the request is made while the broker is down
    QTest::newRow("list, killed just after the request") << "GET rs485list" << false;
    QTest::newRow("list, requested while down") << "GET rs485list" << true;
    QTest::newRow("save, killed just after the request") << "SAVE" << false;
    QTest::newRow("save, requested while down") << "SAVE" << true;
}

void TestFaults::brokerKilledDuringCloudRequest()
{
    QFETCH(QString, command);
    QFETCH(bool, killFirst);

    MosquittoBroker broker;
    broker.addUser(user, password);
    QVERIFY2(broker.start(), qPrintable(broker.errorString()));
    GatewayModel &model = f.sim->model();
    model.setBroker(broker.host(), broker.port(), user, password);
    const QString id = model.deviceId();
    const int deviceCount = int(model.devices().size());
    SettingsStore::writeBrokerSettings(
        id, {broker.host(), QString::number(broker.port()), user, password});
    f.bridge->saveDeviceId(id);

    GatewayCloudLink gateway(model);
    QSignalSpy gatewayUp(&gateway, &GatewayCloudLink::connected);
    QSignalSpy gatewayCommands(&gateway, &GatewayCloudLink::commandReceived);
    gateway.start();
    QVERIFY(gatewayUp.wait(5000));

    QMQTT::Client client(QHostAddress(QHostAddress::LocalHost), 1883);
    client.setKeepAlive(60);
    client.setCleanSession(true);
    MqttSession session(f.bridge.get(), &client);
    QSignalSpy subscribed(&client, &QMQTT::Client::subscribed);
    QVERIFY(f.bridge->sendTopicDeviceId(id));
    QTRY_VERIFY_WITH_TIMEOUT(subscribed.count() >= 5, 5000);
    QVERIFY(f.bridge->connectedmqtt());

    // Every list the page is given is whole; no save is claimed the gateway
    // did not make.
    QSignalSpy listChanged(f.bridge.get(), &TcpBridge::deviceListMqttChanged);
    QSignalSpy saved(f.bridge.get(), &TcpBridge::saveCompletedMqtt);
    QList<int> listSizes;
    QObject watcher;
    connect(f.bridge.get(), &TcpBridge::deviceListMqttChanged, &watcher,
            [&] { listSizes.append(int(f.bridge->deviceListMqtt().size())); });

    QSignalSpy disconnected(&client, &QMQTT::Client::disconnected);
    if (killFirst) {
        broker.kill();
        QVERIFY(disconnected.wait(5000));
        f.bridge->sendConfigRequest(command, id);
    } else {
        f.bridge->sendConfigRequest(command, id);
        broker.kill();
        QVERIFY(disconnected.count() > 0 || disconnected.wait(5000));
    }
    QVERIFY(!f.bridge->connectedmqtt());
    QTest::qWait(500);
    for (int size : std::as_const(listSizes))
        QCOMPARE(size, deviceCount);
    QVERIFY(saved.count() <= model.saveCount());
    const int savesBefore = model.saveCount();

    // Both sides come back on their own and the request works again.
    subscribed.clear();
    QVERIFY(broker.restart());
    QTRY_VERIFY_WITH_TIMEOUT(f.bridge->connectedmqtt(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(subscribed.count() >= 5, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(gateway.isConnected(), 15000);
    QTest::qWait(300); // the gateway's own subscriptions
    QCOMPARE(session.subscribedDeviceId(), id);

    listChanged.clear();
    saved.clear();
    gatewayCommands.clear();
    f.bridge->sendConfigRequest(command, id);
    // A request libmosquitto held back while the broker was down may go out
    // too; each reply still answers a command the gateway really handled.
    QTRY_VERIFY_WITH_TIMEOUT(gatewayCommands.count() >= 1, 5000);
    if (command == "SAVE") {
        QTRY_VERIFY_WITH_TIMEOUT(saved.count() >= 1, 5000);
        QVERIFY(model.saveCount() - savesBefore >= saved.count());
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(listChanged.count() >= 1, 5000);
        QCOMPARE(f.bridge->deviceListMqtt().size(), deviceCount);
        QCOMPARE(f.bridge->deviceListMqtt().first().toMap().value("name").toString(),
                 model.devices().first().name);
    }
    for (int size : std::as_const(listSizes))
        QCOMPARE(size, deviceCount);
    gateway.stop();
}

// --- Settings file ----------------------------------------------------------

void TestFaults::unwritableSettingsFile()
{
    // A folder where the file should be: no write can succeed, even as root.
    const QString path = SettingsStore::settingsFilePath();
    QVERIFY(QDir().mkpath(path));

    QSignalSpy idsChanged(f.bridge.get(), &TcpBridge::deviceIdsChanged);
    f.bridge->saveDeviceId("KV-LOST");
    QCOMPARE(f.bridge->deviceIds(), QStringList{"KV-LOST"}); // kept for this run
    QCOMPARE(idsChanged.count(), 1);
    QVERIFY(SettingsStore::readDeviceIds().isEmpty());

    // The gateway's broker settings cannot be kept: cloud mode must not act
    // as if they were.
    QVERIFY(f.readGatewaySettings());
    const QString id = f.sim->model().deviceId();
    QCOMPARE(f.bridge->deviceIds(), (QStringList{"KV-LOST", id}));
    QSignalSpy configMissing(f.bridge.get(), &TcpBridge::mqttConfigMissing);
    QVERIFY(!f.bridge->sendTopicDeviceId(id));
    QCOMPARE(configMissing.count(), 1);
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(QDir(path).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

    // Once the file can be written, the next write stores the whole list.
    QVERIFY(QDir(path).removeRecursively());
    f.bridge->saveDeviceId("KV-NEXT");
    QCOMPARE(SettingsStore::readDeviceIds(), (QStringList{"KV-LOST", id, "KV-NEXT"}));
    TcpBridge restarted;
    QCOMPARE(restarted.deviceIds(), (QStringList{"KV-LOST", id, "KV-NEXT"}));
}

void TestFaults::corruptSettingsFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("loaded");

    QByteArray noise(4096, '\0');
    quint32 seed = 12345;
    for (char &byte : noise) {
        seed = seed * 1103515245u + 12345u;
        byte = char(seed >> 16);
    }
    QTest::newRow("random bytes") << noise << QStringList();
    QTest::newRow("one huge line") << QByteArray(1024 * 1024, 'x') << QStringList();
    QTest::newRow("invalid UTF-8 and NUL")
        << QByteArrayLiteral("[MQTT]\nDeviceIds=\xff\xfe\0\xc0\xaf\n") << QStringList();
    QTest::newRow("section header never closed")
        << QByteArray("[MQTT\nDeviceIds=KV-1\n") << QStringList();
    QTest::newRow("cut in the middle of the list")
        << QByteArray("[MQTT]\nDeviceIds=KV-1, KV-") << QStringList{"KV-1", "KV-"};
    QTest::newRow("empties, spaces and twins")
        << QByteArray("[MQTT]\nDeviceIds=KV-1, , \"KV 2\", KV-1, KV2\n")
        << QStringList{"KV-1", "KV2"};
    QTest::newRow("the list as a group")
        << QByteArray("[MQTT]\nDeviceIds\\x=1\n[KV-1]\nmqttPass=!!notbase64!!\n") << QStringList();
}

void TestFaults::corruptSettingsFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, loaded);
    const QString path = SettingsStore::settingsFilePath();
    writeFile(path, content);

    TcpBridge tool;
    const QStringList ids = tool.deviceIds();
    if (loaded.isEmpty()) {
        // Whatever was read, the list keeps its own rules.
        for (const QString &id : ids)
            QVERIFY(!id.isEmpty() && !id.contains(' ') && ids.count(id) == 1);
    } else {
        QCOMPARE(ids, loaded);
    }
    QVERIFY(!tool.sendTopicDeviceId("KV-1")); // no usable settings, no crash

    // The tool writes over the damage and the file reads back clean.
    tool.saveDeviceId("KV-NEW");
    SettingsStore::writeBrokerSettings("KV-NEW", {"127.0.0.1", "1883", user, password});
    QVERIFY(tool.deviceIds().endsWith("KV-NEW"));
    QVERIFY(SettingsStore::readDeviceIds().contains("KV-NEW"));
    QCOMPARE(SettingsStore::readBrokerSettings("KV-NEW"),
             (BrokerSettings{"127.0.0.1", "1883", user, password}));
    const QSettings check(path, QSettings::IniFormat);
    QCOMPARE(check.status(), QSettings::NoError);
    TcpBridge restarted;
    QCOMPARE(restarted.deviceIds(), tool.deviceIds());
}

void TestFaults::settingsFolderDeletedWhileRunning()
{
    f.bridge->saveDeviceId("KV-1");
    QVERIFY(QFile::exists(SettingsStore::settingsFilePath()));
    QVERIFY(QDir(f.settingsFolder()).removeRecursively());

    QVERIFY(f.readGatewaySettings());
    const QString id = f.sim->model().deviceId();
    // The folder is made again and holds the whole list, not just the last id.
    QCOMPARE(SettingsStore::readDeviceIds(), (QStringList{"KV-1", id}));
    QCOMPARE(SettingsStore::readBrokerSettings(id),
             (BrokerSettings{"127.0.0.1", "1883", user, password}));
    QCOMPARE(QFile::permissions(SettingsStore::settingsFilePath()) & othersMayAccess, 0);

    // Deleting only the file does the same.
    QVERIFY(QFile::remove(SettingsStore::settingsFilePath()));
    QVERIFY(f.bridge->sendTopicDeviceId(id) == false);
    f.bridge->saveDeviceId("KV-3");
    QCOMPARE(SettingsStore::readDeviceIds(), (QStringList{"KV-1", id, "KV-3"}));
}

// The file is never left half-written: each write goes to a new file that
// replaces the old one whole, so a reader holding the old one sees it intact
// and nothing but the file is left in the folder.
void TestFaults::settingsFileIsReplacedNotRewritten()
{
    for (int i = 0; i < 50; ++i)
        f.bridge->saveDeviceId(QStringLiteral("KV-%1").arg(i));
    const QString path = SettingsStore::settingsFilePath();
    const QByteArray before = readFile(path);
    const ino_t inode = inodeOf(path);
    QVERIFY(inode != 0);
    QFile held(path);
    QVERIFY(held.open(QIODevice::ReadOnly));

    SettingsStore::writeBrokerSettings("KV-0", {"127.0.0.1", "1883", user, password});
    f.bridge->saveDeviceId("KV-LAST");

    QVERIFY(inodeOf(path) != inode);
    QCOMPARE(held.readAll(), before);
    QCOMPARE(
        QDir(f.settingsFolder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
        QStringList{"meridax.ini"});
    QCOMPARE(SettingsStore::readDeviceIds().size(), 51);
    QCOMPARE(QFile::permissions(path) & othersMayAccess, 0);
}

void TestFaults::twoToolsShareOneSettingsFile()
{
    TcpBridge &first = *f.bridge;
    TcpBridge second;

    first.saveDeviceId("A1");
    second.saveDeviceId("B1"); // started before A1 was stored
    QCOMPARE(SettingsStore::readDeviceIds(), (QStringList{"A1", "B1"}));
    QCOMPARE(second.deviceIds(), (QStringList{"A1", "B1"}));
    first.saveDeviceId("A2");
    QCOMPARE(SettingsStore::readDeviceIds(), (QStringList{"A1", "B1", "A2"}));
    first.saveDeviceId("B1"); // known on disk: written once only
    QCOMPARE(SettingsStore::readDeviceIds(), (QStringList{"A1", "B1", "A2"}));

    // Each group is written whole: the last writer's four keys, never a mix.
    SettingsStore::writeBrokerSettings("A1", {"h-a", "1", "ua", "pa"});
    SettingsStore::writeBrokerSettings("B1", {"h-b", "2", "ub", "pb"});
    SettingsStore::writeBrokerSettings("A1", {"h-c", "3", "uc", ""});
    QVERIFY(!first.sendTopicDeviceId("A1")); // no password: incomplete
    QVERIFY(second.sendTopicDeviceId("B1"));
    QCOMPARE(second.cloudBroker(), (BrokerSettings{"h-b", "2", "ub", "pb"}));
    QCOMPARE(SettingsStore::readBrokerSettings("A1"), (BrokerSettings{"h-c", "3", "uc", ""}));

    TcpBridge third;
    QCOMPARE(third.deviceIds(), (QStringList{"A1", "B1", "A2"}));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
