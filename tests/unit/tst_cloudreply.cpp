#include "cloudreply.h"
#include "topicscheme.h"

#include <QtTest>

namespace {

// Everything a payload means, as a response and as a register write's
// result, in one text a row can state.
QString meaning(const QString &payload)
{
    const CloudReply reply = CloudReply::read(payload);
    QStringList parts;
    if (reply.isDeviceList) {
        QStringList names;
        for (const QVariant &device : reply.devices)
            names << device.toMap().value("name").toString();
        parts << "list [" + names.join("|") + "]";
        if (reply.listIncomplete) // fewer records than the count line announced
            parts << "incomplete";
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
    if (const QString outcome = registerWriteOutcome(payload); !outcome.isNull())
        parts << "write " + outcome;
    return parts.join(", ");
}

} // namespace

class TestCloudReply : public QObject
{
    Q_OBJECT

private slots:
    void readsResponses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("meaning");

        const auto row = [](const char *tag, const QString &text, const char *meaning) {
            QTest::newRow(tag) << text << QString(meaning);
        };
        const QString device = "dev[0] added meter port1 CRC=1 poll=1s cmd=01";
        row("list: two valid lines and a malformed one",
            "Device list\r\nrs485DevCnt=3\r\ndev[0] A port1 CRC=1 poll=10s cmd=01\r\n"
            "dev[1] broken\r\n  dev[2] B b port2 CRC=0 poll=5s cmd=0A  \r\n>",
            "list [A|B b], incomplete");
        row("list cut after the first of two",
            "Device list\nrs485DevCnt=2\ndev[0] A port1 CRC=1 poll=1s cmd=01",
            "list [A], incomplete");
        row("list without valid lines", "Device list\n>", "list []");
        row("count line opens a list", "rs485DevCnt=1\n" + device, "list [added meter]");
        row("device lines alone", device, "");
        row("devices named after the words",
            "Device list\n" + device + "\ndev[1] deleted modified port2 CRC=1 poll=1s cmd=02\n>",
            "list [added meter|deleted modified]");
        row("word outside the device lines", device + "\nadded (saved+synced)", "added");
        row("malformed device line is text", "Device list\ndev[0] added", "list [], added");
        row("modified", "modified (saved+synced)", "modified");
        row("deleted", "deleted", "deleted");
        row("saved", "OK: saved to flash", "saved");
        row("refusal", "ERROR: flash write failed", "");
        row("start and restart, in order", "OK:restart OK:RS485/start", "started, restarting");
        row("stop", "OK:RS485/stop", "stopped");
        row("write OK", "{\"write\":\"OK\"}", "write written");
        row("write FAIL with other members", "{\"reg\":4,\"write\":\"FAIL\"}", "write failed");
        row("write, lower case", "{\"write\":\"ok\"}", "");
        row("write, not a string", "{\"write\":1}", "");
        row("write, array", "[\"write\",\"OK\"]", "");
        row("write, broken JSON", "{\"write\":\"OK\"", "");
        row("write, plain text", "V1=230.1", "");
    }
    void readsResponses()
    {
        QFETCH(QString, text);
        QFETCH(QString, meaning);
        QCOMPARE(::meaning(text), meaning);
    }

    void readsAndRoutesTopics_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("deviceId");
        QTest::addColumn<QString>("routes"); // n=network p=port data e=errors r=reply

        const auto row = [](const char *tag, const char *topic, const QString &id,
                            const char *routes) {
            QTest::newRow(tag) << QString(topic) << id << QString(routes);
        };
        // The five topics of a gateway are routed at a real broker in the
        // session's suite; these are the edges.
        row("config is not routed", "Kestrelvane/A/config", "A", "");
        row("id holding the words routes there too", "Kestrelvane/port1-network/response",
            "port1-network", "npr");
        row("case matters", "Kestrelvane/A/Response", "A", "");
        row("no second level", "Kestrelvane/KV-7", QString(), "");
        row("other prefix", "Other/KV-7/response", QString(), "r");
        row("empty level", "Kestrelvane//response", QString(), "r");
    }
    void readsAndRoutesTopics()
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
};

QTEST_GUILESS_MAIN(TestCloudReply)
#include "tst_cloudreply.moc"
