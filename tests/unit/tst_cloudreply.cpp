#include "cloudreply.h"
#include "topicscheme.h"

#include <QtTest>

namespace {

// Everything a response payload means, in one text a row can state.
QString meaning(const CloudReply &reply)
{
    QStringList parts;
    if (reply.isDeviceList) {
        QStringList names;
        for (const QVariant &device : reply.devices)
            names << device.toMap().value("name").toString();
        parts << "list [" + names.join("|") + "]";
    }
    const std::pair<bool, const char *> acks[] = {{reply.deviceAdded, "added"},
                                                  {reply.deviceModified, "modified"},
                                                  {reply.deviceDeleted, "deleted"},
                                                  {reply.saveCompleted, "saved"}};
    for (const auto &[on, word] : acks) {
        if (on)
            parts << word;
    }
    parts += reply.startStopStatuses;
    return parts.join(", ");
}

} // namespace

class TestCloudReply : public QObject
{
    Q_OBJECT

private slots:
    void readsResponses_data();
    void readsResponses();
    void readsRegisterWriteOutcome_data();
    void readsRegisterWriteOutcome();
    void readsAndRoutesTopics_data();
    void readsAndRoutesTopics();
};

void TestCloudReply::readsResponses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("meaning");

    const char *device = "dev[0] added meter port1 CRC=1 poll=1s cmd=01";
    QTest::newRow("list: two valid lines and a malformed one")
        << "Device list\r\nrs485DevCnt=3\r\ndev[0] A port1 CRC=1 poll=10s cmd=01\r\n"
           "dev[1] broken\r\n  dev[2] B b port2 CRC=0 poll=5s cmd=0A  \r\n>"
        << "list [A|B b]";
    QTest::newRow("list without valid lines") << "Device list\n>"
                                              << "list []";
    QTest::newRow("count line opens a list")
        << "rs485DevCnt=1\n" + QString(device) << "list [added meter]";
    QTest::newRow("device lines alone") << QString(device) << "";
    QTest::newRow("devices named after the words")
        << "Device list\n" + QString(device)
               + "\ndev[1] deleted modified port2 CRC=1 poll=1s cmd=02\n>"
        << "list [added meter|deleted modified]";
    QTest::newRow("word outside the device lines") << QString(device) + "\nadded (saved+synced)"
                                                   << "added";
    QTest::newRow("malformed device line is text") << "Device list\ndev[0] added"
                                                   << "list [], added";
    QTest::newRow("modified") << "modified (saved+synced)"
                              << "modified";
    QTest::newRow("deleted") << "deleted"
                             << "deleted";
    QTest::newRow("saved") << "OK: saved to flash"
                           << "saved";
    QTest::newRow("refusal") << "ERROR: flash write failed"
                             << "";
    QTest::newRow("start and restart, in order") << "OK:restart OK:RS485/start"
                                                 << "started, restarting";
    QTest::newRow("stop") << "OK:RS485/stop"
                          << "stopped";
}

void TestCloudReply::readsResponses()
{
    QFETCH(QString, text);
    QFETCH(QString, meaning);
    QCOMPARE(::meaning(CloudReply::read(text)), meaning);
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

void TestCloudReply::readsAndRoutesTopics_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("deviceId");
    QTest::addColumn<QString>("routes"); // n=network p=port data e=errors r=reply

    QTest::newRow("port 1") << "Kestrelvane/A/pub/port1"
                            << "A"
                            << "p";
    QTest::newRow("port 2") << "Kestrelvane/A/pub/port2"
                            << "A"
                            << "p";
    QTest::newRow("response") << "Kestrelvane/A/response"
                              << "A"
                              << "r";
    QTest::newRow("errors") << "Kestrelvane/A/errors"
                            << "A"
                            << "e";
    QTest::newRow("network") << "Kestrelvane/A/network"
                             << "A"
                             << "n";
    QTest::newRow("config is not routed") << "Kestrelvane/A/config"
                                          << "A"
                                          << "";
    QTest::newRow("id holding the words routes there too") << "Kestrelvane/port1-network/response"
                                                           << "port1-network"
                                                           << "npr";
    QTest::newRow("case matters") << "Kestrelvane/A/Response"
                                  << "A"
                                  << "";
    QTest::newRow("no second level") << "Kestrelvane/KV-7" << QString() << "";
    QTest::newRow("other prefix") << "Other/KV-7/response" << QString() << "r";
    QTest::newRow("empty level") << "Kestrelvane//response" << QString() << "r";
}

void TestCloudReply::readsAndRoutesTopics()
{
    QFETCH(QString, topic);
    QFETCH(QString, deviceId);
    QFETCH(QString, routes);
    QCOMPARE(TopicScheme::deviceIdFromTopic(topic), deviceId);
    if (!deviceId.isEmpty() && !topic.endsWith("config") && !topic.endsWith("Response"))
        QVERIFY(TopicScheme::gatewayTopics(deviceId).contains(topic));
    const TopicScheme::Route route = TopicScheme::routeOf(topic);
    QCOMPARE(route.networkLog, routes.contains('n'));
    QCOMPARE(route.portData, routes.contains('p'));
    QCOMPARE(route.errorsLog, routes.contains('e'));
    QCOMPARE(route.reply, routes.contains('r'));
}

QTEST_GUILESS_MAIN(TestCloudReply)
#include "tst_cloudreply.moc"
