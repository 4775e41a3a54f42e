#include "cloudreply.h"
#include "topicscheme.h"

#include <QtTest>

class TestCloudReply : public QObject
{
    Q_OBJECT

private slots:
    void readsDeviceLists_data();
    void readsDeviceLists();
    void readsAcknowledgements_data();
    void readsAcknowledgements();
    void readsRegisterWriteOutcome_data();
    void readsRegisterWriteOutcome();
    void readsTopics_data();
    void readsTopics();
    void routesByTheWordsOfTheTopic_data();
    void routesByTheWordsOfTheTopic();
};

void TestCloudReply::readsDeviceLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isList");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("incomplete"); // fewer records than the count line announced

    QTest::newRow("two valid lines and a malformed one")
        << "Device list\r\nrs485DevCnt=3\r\ndev[0] A port1 CRC=1 poll=10s cmd=01\r\n"
           "dev[1] broken\r\n  dev[2] B b port2 CRC=0 poll=5s cmd=0A  \r\n>"
        << true << QStringList{"A", "B b"} << true;
    QTest::newRow("no valid line still a list")
        << "Device list\n>" << true << QStringList{} << false;
    QTest::newRow("count line opens a list") << "rs485DevCnt=1\ndev[0] A port1 CRC=1 poll=1s cmd=01"
                                             << true << QStringList{"A"} << false;
    QTest::newRow("cut after the first of two")
        << "Device list\nrs485DevCnt=2\ndev[0] A port1 CRC=1 poll=1s cmd=01" << true
        << QStringList{"A"} << true;
    QTest::newRow("device lines alone are not a list")
        << "dev[0] A port1 CRC=1 poll=1s cmd=01" << false << QStringList{} << false;
    QTest::newRow("plain acknowledgement")
        << "OK: saved to flash" << false << QStringList{} << false;
}

void TestCloudReply::readsDeviceLists()
{
    QFETCH(QString, text);
    QFETCH(bool, isList);
    QFETCH(QStringList, names);
    QFETCH(bool, incomplete);

    const CloudReply reply = CloudReply::read(text);
    QCOMPARE(reply.isDeviceList, isList);
    QCOMPARE(reply.listIncomplete, incomplete);
    QStringList read;
    for (const QVariant &device : reply.devices)
        read.append(device.toMap().value("name").toString());
    QCOMPARE(read, names);
}

void TestCloudReply::readsAcknowledgements_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("acks"); // a=added m=modified d=deleted s=saved
    QTest::addColumn<QStringList>("statuses");

    QTest::newRow("added") << "added (saved+synced)"
                           << "a" << QStringList{};
    QTest::newRow("modified") << "modified (saved+synced)"
                              << "m" << QStringList{};
    QTest::newRow("deleted") << "deleted"
                             << "d" << QStringList{};
    QTest::newRow("saved") << "OK: saved to flash"
                           << "s" << QStringList{};
    QTest::newRow("start and restart in order") << "OK:restart OK:RS485/start"
                                                << "" << QStringList{"started", "restarting"};
    QTest::newRow("stop") << "OK:RS485/stop"
                          << "" << QStringList{"stopped"};
    QTest::newRow("device named after a word confirms nothing")
        << "Device list\ndev[0] added meter port1 CRC=1 poll=1s cmd=01\n"
           "dev[1] deleted modified port2 CRC=1 poll=1s cmd=02\n>"
        << "" << QStringList{};
    QTest::newRow("word outside the device lines still counts")
        << "dev[0] added meter port1 CRC=1 poll=1s cmd=01\nadded (saved+synced)"
        << "a" << QStringList{};
    QTest::newRow("malformed device line is text") << "Device list\ndev[0] added"
                                                   << "a" << QStringList{};
    QTest::newRow("refusal confirms nothing") << "ERROR: flash write failed"
                                              << "" << QStringList{};
}

void TestCloudReply::readsAcknowledgements()
{
    QFETCH(QString, text);
    QFETCH(QString, acks);
    QFETCH(QStringList, statuses);

    const CloudReply reply = CloudReply::read(text);
    QCOMPARE(reply.deviceAdded, acks.contains('a'));
    QCOMPARE(reply.deviceModified, acks.contains('m'));
    QCOMPARE(reply.deviceDeleted, acks.contains('d'));
    QCOMPARE(reply.saveCompleted, acks.contains('s'));
    QCOMPARE(reply.startStopStatuses, statuses);
}

void TestCloudReply::readsRegisterWriteOutcome_data()
{
    QTest::addColumn<QString>("payload");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("OK") << R"({"write":"OK"})"
                        << "written";
    QTest::newRow("FAIL with other members") << R"({"reg":4,"write":"FAIL"})"
                                             << "failed";
    QTest::newRow("lower case") << R"({"write":"ok"})" << QString();
    QTest::newRow("not a string") << R"({"write":1})" << QString();
    QTest::newRow("array") << R"(["write","OK"])" << QString();
    QTest::newRow("broken JSON") << R"({"write":"OK")" << QString();
    QTest::newRow("plain text") << "V1=230.1" << QString();
}

void TestCloudReply::readsRegisterWriteOutcome()
{
    QFETCH(QString, payload);
    QFETCH(QString, outcome);
    const QString read = registerWriteOutcome(payload);
    QCOMPARE(read, outcome);
    QCOMPARE(read.isNull(), outcome.isNull());
}

void TestCloudReply::readsTopics_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("deviceId");

    QTest::newRow("port topic") << "Kestrelvane/KV-7/pub/port1"
                                << "KV-7";
    QTest::newRow("no second level") << "Kestrelvane/KV-7" << QString();
    QTest::newRow("other prefix") << "Other/KV-7/response" << QString();
    QTest::newRow("empty level") << "Kestrelvane//response" << QString();
}

void TestCloudReply::readsTopics()
{
    QFETCH(QString, topic);
    QFETCH(QString, deviceId);
    QCOMPARE(TopicScheme::deviceIdFromTopic(topic), deviceId);
    if (!deviceId.isEmpty())
        QVERIFY(TopicScheme::gatewayTopics(deviceId).contains(topic));
}

void TestCloudReply::routesByTheWordsOfTheTopic_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("routes"); // n=network p=port data e=errors r=reply

    QTest::newRow("port 1") << "Kestrelvane/A/pub/port1"
                            << "p";
    QTest::newRow("port 2") << "Kestrelvane/A/pub/port2"
                            << "p";
    QTest::newRow("response") << "Kestrelvane/A/response"
                              << "r";
    QTest::newRow("errors") << "Kestrelvane/A/errors"
                            << "e";
    QTest::newRow("network") << "Kestrelvane/A/network"
                             << "n";
    QTest::newRow("config is not routed") << "Kestrelvane/A/config"
                                          << "";
    QTest::newRow("device id holding a word routes there too")
        << "Kestrelvane/port1-network/response"
        << "npr";
    QTest::newRow("case matters") << "Kestrelvane/A/Response"
                                  << "";
}

void TestCloudReply::routesByTheWordsOfTheTopic()
{
    QFETCH(QString, topic);
    QFETCH(QString, routes);
    const TopicScheme::Route route = TopicScheme::routeOf(topic);
    QCOMPARE(route.networkLog, routes.contains('n'));
    QCOMPARE(route.portData, routes.contains('p'));
    QCOMPARE(route.errorsLog, routes.contains('e'));
    QCOMPARE(route.reply, routes.contains('r'));
}

QTEST_GUILESS_MAIN(TestCloudReply)
#include "tst_cloudreply.moc"
