#include "gatewaybackup.h"
#include "restoreplan.h"

#include <QtTest>

namespace {

QVariantMap device(const QString &name, const QString &port, const QString &poll,
                   const QString &hex = QStringLiteral("0103000A0004"))
{
    return {{"name", name}, {"port", port}, {"autoCRC", 1}, {"poll", poll}, {"cmdHex", hex}};
}

GatewayBackup gateway(const QString &id)
{
    GatewayBackup backup;
    backup.deviceId = id;
    backup.mqttClientId = "gw-" + id;
    backup.settings = {{"deviceId", id},
                       {"mqttClientId", "gw-" + id},
                       {"port1Topic", "Kestrelvane/" + id + "/pub/port1"},
                       {"errorTopic", "plant/" + id + "x/errors"},
                       {"staticIP", "192.168.1.10"},
                       {"apnSim1", "internet"},
                       {"mqttPass", "secret"}};
    return backup;
}

QStringList commands(const RestorePlan &plan)
{
    QStringList texts;
    for (const RestorePlan::Line &line : plan.tickedLines())
        texts << line.command;
    return texts;
}

} // namespace

// The difference between a backup and a gateway, and the file it lives in.
class TestRestorePlan : public QObject
{
    Q_OBJECT

private slots:
    // The settings first, then the device list turned into the file's by
    // position.
    void plansTheDifference_data()
    {
        QTest::addColumn<QString>("targetId");
        QTest::addColumn<bool>("keepFileIdentity");
        QTest::addColumn<QVariantList>("fileDevices");
        QTest::addColumn<QVariantList>("gatewayDevices");
        QTest::addColumn<QStringList>("expected");

        const QVariantMap a = device("Meter A", "port1", "10s");
        const QVariantMap b = device("Meter B", "port2", "5s");
        const QVariantMap c = device("Meter, C", "port2", "7.5s", "0203");
        const QString topic = "SET port1Topic Kestrelvane/KV-1/pub/port1";
        const QString ip = "SET staticIP 192.168.1.20", apn = "SET apnSim1 factory";
        const auto row = [](const char *tag, const char *id, bool keep, const QVariantList &file,
                            const QVariantList &gateway, const QStringList &expected) {
            QTest::newRow(tag) << QString(id) << keep << file << gateway << expected;
        };
        // Only whole topic levels holding the identifier are rewritten; "KV-1x"
        // is another word. The password absent from the file stays as it is.
        row("another gateway", "KV-2", false, {}, {},
            {"SET port1Topic Kestrelvane/KV-2/pub/port1", "SET errorTopic plant/KV-1x/errors",
             apn});
        row("another gateway, its identity kept (replacement unit)", "KV-2", true, {}, {},
            {topic, "SET errorTopic plant/KV-1x/errors", ip, apn});
        row("devices equal, poll and hex case aside", "KV-1", false, {a},
            {device("Meter A", "port1", "10.0s", "0103000a0004")}, {topic, ip, apn});
        row("longer file: changes, then additions", "KV-1", false, {a, c, b}, {a, b},
            {topic, ip, apn, "rs485mod 1,2,1,7.5,0203,Meter, C",
             "rs485add 2,1,5,0103000A0004,Meter B"});
        row("shorter file: deletions from the end", "KV-1", false, {b}, {a, b, c},
            {topic, ip, apn, "rs485mod 0,2,1,5,0103000A0004,Meter B", "rs485del 2", "rs485del 1"});
    }
    void plansTheDifference()
    {
        QFETCH(QString, targetId);
        QFETCH(bool, keepFileIdentity);
        QFETCH(QVariantList, fileDevices);
        QFETCH(QVariantList, gatewayDevices);
        QFETCH(QStringList, expected);

        GatewayBackup file = gateway("KV-1");
        file.settings["staticIP"] = "192.168.1.20";
        file.settings["apnSim1"] = "factory";
        file.settings.remove("mqttPass");
        file.devices = fileDevices;
        GatewayBackup target = gateway(targetId);
        target.settings["port1Topic"] = "unset";
        target.devices = gatewayDevices;

        const RestorePlan plan = RestorePlan::build(file, target, keepFileIdentity);
        QCOMPARE(commands(plan), expected);
        // Unticked is not dropped: the operator sees the line and may tick it.
        QVERIFY(plan.describe().join('\n').contains("staticIP"));
    }

    void writesOwnerOnlyAndReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("gw.json");
        QVariantMap dataMap{{"deviceId", "KV-1"},    {"mqttClientId", "gw-KV-1"},
                            {"apnSim1", "internet"}, {"wifiPass", "w1f1"},
                            {"blePin", "1234"},      {"mqttPass", "p"}};
        const QVariantList devices{device("Meter A", "port1", "10s")};

        GatewayBackup::fromGateway(dataMap, devices, false).write(path, nullptr);
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                                | QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(path) & others, QFileDevice::Permissions());
        const auto read = GatewayBackup::readFile(path);
        QVERIFY2(read.backup, qPrintable(read.error));
        QCOMPARE(read.backup->deviceId, "KV-1");
        QCOMPARE(read.backup->settings.keys(),
                 (QStringList{"apnSim1", "deviceId", "mqttClientId"}));
        QCOMPARE(read.backup->devices, devices);

        QVERIFY(GatewayBackup::fromGateway(dataMap, devices, true).write(path, nullptr));
        QCOMPARE(GatewayBackup::readFile(path).backup->settings.value("wifiPass"), "w1f1");
    }
};

QTEST_GUILESS_MAIN(TestRestorePlan)
#include "tst_restoreplan.moc"
