#include "devicelistprogress.h"
#include "gatewayreply.h"

#include <QtTest>

using Save = GatewayReply::Save;

class TestGatewayReply : public QObject
{
    Q_OBJECT

private slots:
    void readsGetAllLines_data();
    void readsGetAllLines();
    void readsListLines_data();
    void readsListLines();
    void tellsAnIncompleteList_data();
    void tellsAnIncompleteList();
    void readsAcknowledgements_data();
    void readsAcknowledgements();
    void extractsTheSetKey_data();
    void extractsTheSetKey();
};

void TestGatewayReply::readsGetAllLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("passedOn");
    QTest::addColumn<QString>("key"); // null: no setting
    QTest::addColumn<QString>("value");

    QTest::newRow("plain setting") << "wifiSSID=plant" << true << "wifiSSID"
                                   << "plant";
    QTest::newRow("only the first = separates") << "apnSim1=net=1" << true << "apnSim1"
                                                << "net=1";
    QTest::newRow("spaces around = trimmed") << "subnet = 255.0.0.0 " << true << "subnet"
                                             << "255.0.0.0";
    QTest::newRow("empty value") << "mqttPass=" << true << "mqttPass"
                                 << "";
    QTest::newRow("password with +") << "mqttPass=s3cret+pass" << true << "mqttPass"
                                     << "s3cret+pass";
    QTest::newRow("value with -- > and Type") << "wifiPass=a--b>c Type" << true << "wifiPass"
                                              << "a--b>c Type";
    QTest::newRow("value with broken bar")
        << QStringLiteral("bleName=x\u00A6y") << true << "bleName" << QStringLiteral("x\u00A6y");
    QTest::newRow("value naming a Device") << "bleName=Device 7" << true << "bleName"
                                           << "Device 7";
    QTest::newRow("table border") << "+-----+------+" << false << QString() << QString();
    QTest::newRow("prompt") << ">" << false << QString() << QString();
    QTest::newRow("header row") << "| Device settings | Type: KV |" << false << QString()
                                << QString();
    QTest::newRow("key with a space and a marker stays decoration")
        << "Device Type=KV-4G" << false << QString() << QString();
    QTest::newRow("key with a marker stays decoration")
        << "a+b=1" << false << QString() << QString();
    QTest::newRow("key with a space but no marker is still a setting")
        << "my key=1" << true << "my key"
        << "1";
    QTest::newRow("empty key allowed") << "=orphan" << true << ""
                                       << "orphan";
    QTest::newRow("free text passes on") << "Gateway ready" << true << QString() << QString();
}

void TestGatewayReply::readsGetAllLines()
{
    QFETCH(QString, line);
    QFETCH(bool, passedOn);
    QFETCH(QString, key);
    QFETCH(QString, value);

    const GatewayReply reply = GatewayReply::read("GETALL", line);
    QCOMPARE(reply.passedOn, passedOn);
    QCOMPARE(reply.setting.has_value(), !key.isNull());
    if (reply.setting) {
        QCOMPARE(reply.setting->first, key);
        QCOMPARE(reply.setting->second, value);
    }
}

void TestGatewayReply::readsListLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("passedOn");
    QTest::addColumn<QVariantMap>("device"); // empty: no record

    const auto record = [](int id, const QString &name, const QString &port, int crc,
                           const QString &poll, const QString &cmd) {
        return QVariantMap{{"id", id},       {"name", name}, {"port", port},
                           {"autoCRC", crc}, {"poll", poll}, {"cmdHex", cmd}};
    };
    QTest::newRow("two-word name")
        << "dev[3]  Main meter  port2  CRC=1  poll=10s  cmd=010300000002C40B" << true
        << record(3, "Main meter", "port2", 1, "10s", "010300000002C40B");
    QTest::newRow("name holding Device") << "dev[0] Device 7 port1 CRC=0 poll=5s cmd=0A0b" << true
                                         << record(0, "Device 7", "port1", 0, "5s", "0A0b");
    QTest::newRow("name holding Type and >") << "dev[1] Type>B port1 CRC=1 poll=1s cmd=FF" << true
                                             << record(1, "Type>B", "port1", 1, "1s", "FF");
    QTest::newRow("index beyond int gives 0") << "dev[99999999999] m port1 CRC=1 poll=1s cmd=01"
                                              << true << record(0, "m", "port1", 1, "1s", "01");
    QTest::newRow("malformed device line passes on without a record")
        << "dev[2] broken line" << true << QVariantMap();
    QTest::newRow("not at line start")
        << "x dev[2] m port1 CRC=1 poll=1s cmd=01" << true << QVariantMap();
    QTest::newRow("header") << "Device list (Type: RS485)" << false << QVariantMap();
    QTest::newRow("count line") << "rs485DevCnt=2" << false << QVariantMap();
    QTest::newRow("prompt") << ">" << false << QVariantMap();
}

void TestGatewayReply::readsListLines()
{
    QFETCH(QString, line);
    QFETCH(bool, passedOn);
    QFETCH(QVariantMap, device);

    const GatewayReply reply = GatewayReply::read("GET rs485list", line);
    QCOMPARE(reply.passedOn, passedOn);
    QCOMPARE(reply.device.value_or(QVariantMap()), device);
    QVERIFY(!reply.setting);
}

void TestGatewayReply::tellsAnIncompleteList_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("dropped"); // the link dropped after the lines
    QTest::addColumn<bool>("incomplete");

    const QString header = "Device list (Type: RS485 Modbus)";
    const QString a = "dev[0]  A  port1  CRC=1  poll=10s  cmd=01";
    const QString b = "dev[1]  B  port2  CRC=1  poll=10s  cmd=02";
    QTest::newRow("whole list") << QStringList{header, "rs485DevCnt=2", a, b, ">"} << false
                                << false;
    QTest::newRow("still arriving") << QStringList{header, "rs485DevCnt=2", a} << false << false;
    QTest::newRow("fewer than announced")
        << QStringList{header, "rs485DevCnt=2", a, ">"} << false << true;
    QTest::newRow("dropped mid-list") << QStringList{header, "rs485DevCnt=2", a} << true << true;
    QTest::newRow("dropped before any count") << QStringList{header} << true << true;
    QTest::newRow("dropped after the last announced")
        << QStringList{header, "rs485DevCnt=1", a} << true << false;
    QTest::newRow("dropped after the prompt") << QStringList{header, a, ">"} << true << false;
    QTest::newRow("count with a colon")
        << QStringList{"rs485DevCnt: 3", a, b, ">"} << false << true;
}

void TestGatewayReply::tellsAnIncompleteList()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, dropped);
    QFETCH(bool, incomplete);

    DeviceListProgress progress;
    progress.restart();
    qsizetype arrived = 0;
    for (const QString &line : lines) {
        const GatewayReply reply = GatewayReply::read("GET rs485list", line);
        arrived += reply.device.has_value();
        progress.take(reply);
    }
    if (dropped)
        progress.linkDropped();
    QCOMPARE(progress.isIncomplete(arrived), incomplete);
}

void TestGatewayReply::readsAcknowledgements_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("added");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<int>("save");
    QTest::addColumn<QString>("setKey"); // null: no acknowledgement

    const int none = int(Save::None);
    const int done = int(Save::Completed);
    const int notSaved = int(Save::NotSavedFully);
    QTest::newRow("add") << "rs485add 1,1,10,0103,m"
                         << "added (saved+synced)" << true << false << false << none << QString();
    QTest::newRow("add refused") << "rs485add 1"
                                 << "ERROR: bad arguments" << false << false << false << none
                                 << QString();
    QTest::newRow("modify") << "rs485mod 0,1,1,10,0103,m"
                            << "modified (saved+synced)" << false << true << false << none
                            << QString();
    QTest::newRow("delete") << "rs485del 0"
                            << "deleted (saved+synced)" << false << false << true << none
                            << QString();
    QTest::newRow("words of another command ignored")
        << "rs485del 0"
        << "added modified" << false << false << false << none << QString();
    QTest::newRow("save done") << "SAVE"
                               << "OK: saved to flash" << false << false << false << done
                               << QString();
    QTest::newRow("save echo is not a success")
        << "SAVE"
        << "SAVE" << false << false << false << notSaved << QString();
    QTest::newRow("save refusal") << "SAVE"
                                  << "ERROR: flash write failed" << false << false << false
                                  << notSaved << QString();
    QTest::newRow("set OK") << "SET staticIP 10.0.0.2"
                            << "OK" << false << false << false << none << "staticIP";
    QTest::newRow("set echo naming the key")
        << "SET wifiSSID my net"
        << "wifiSSID -> my net" << false << false << false << none << "wifiSSID";
    QTest::newRow("set unrelated reply")
        << "SET wifiSSID x"
        << "ERROR: busy" << false << false << false << none << QString();
    QTest::newRow("no command") << ""
                                << "OK" << false << false << false << none << QString();
}

void TestGatewayReply::readsAcknowledgements()
{
    QFETCH(QString, command);
    QFETCH(QString, line);
    QFETCH(bool, added);
    QFETCH(bool, modified);
    QFETCH(bool, deleted);
    QFETCH(int, save);
    QFETCH(QString, setKey);

    const GatewayReply reply = GatewayReply::read(command, line);
    QCOMPARE(reply.deviceAdded, added);
    QCOMPARE(reply.deviceModified, modified);
    QCOMPARE(reply.deviceDeleted, deleted);
    QCOMPARE(int(reply.save), save);
    QCOMPARE(reply.setAcknowledged.value_or(QString()), setKey);
    QCOMPARE(reply.setAcknowledged.has_value(), !setKey.isNull());
    QVERIFY(reply.passedOn);
}

void TestGatewayReply::extractsTheSetKey_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("key");
    QTest::newRow("key and value") << "SET subnet 255.255.255.0"
                                   << "subnet";
    QTest::newRow("value with spaces") << "SET simSlot 1  (SIM1)"
                                       << "simSlot";
    QTest::newRow("no value") << "SET mqttPass"
                              << "mqttPass";
}

void TestGatewayReply::extractsTheSetKey()
{
    QFETCH(QString, command);
    QFETCH(QString, key);
    QCOMPARE(GatewayReply::setCommandKey(command), key);
}

QTEST_GUILESS_MAIN(TestGatewayReply)
#include "tst_gatewayreply.moc"
