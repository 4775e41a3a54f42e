// Prints how many messages per second of a flooded port topic the tool's MQTT
// client routes into terminalLogFromMqtt, beside the rate at which
// mosquitto_sub receives the same flood from the same broker, and their ratio.
//
// Each round floods the topic twice with mosquitto_pub, once for each
// receiver, so the two never compete for the processor. The receiver is held
// still while the flood is published (mosquitto_sub stopped with SIGSTOP, the
// tool's event loop not run) and the broker queues the messages for it; its
// rate is then taken from its first to its last message, which measures the
// receiver and not the publisher.
#include "benchsupport.h"
#include "tcpbridge.h"

namespace {

const QString deviceId = QStringLiteral("KV-BENCH");
const QString topic = QStringLiteral("Kestrelvane/KV-BENCH/pub/port1");
constexpr int messagesPerFlood = 200'000;
constexpr int rounds = 3;

struct Run
{
    qint64 messages = 0;
    double seconds = 0;
    double rate() const { return seconds > 0 && messages > 1 ? (messages - 1) / seconds : 0; }
};

// A register reading as a gateway publishes it, numbered so losses show.
QByteArray floodInput()
{
    QByteArray lines;
    lines.reserve(messagesPerFlood * 48);
    for (int i = 0; i < messagesPerFlood; ++i)
        lines += R"({"slave":1,"reg":40001,"V":229.5,"seq":)" + QByteArray::number(i) + "}\n";
    return lines;
}

// Publishes the flood without running this process's event loop.
void flood(const MosquittoBroker &broker, const QByteArray &input)
{
    ChildProcess publisher(mosquittoProgram("mosquitto_pub"),
                           connectionArguments(broker) + QStringList{"-t", topic, "-q", "0", "-l"});
    publisher.write(input);
    publisher.closeWriteChannel();
    if (!publisher.waitForFinished(120'000))
        fail("mosquitto_pub did not finish");
}

Run mosquittoSub(const MosquittoBroker &broker, const QByteArray &input)
{
    // "%U" prints the receipt time of each message: first and last give the rate.
    ChildProcess subscriber(mosquittoProgram("mosquitto_sub"),
                            connectionArguments(broker)
                                + QStringList{"-t", topic, "-q", "2", "-C",
                                              QString::number(messagesPerFlood), "-F", "%U", "-W",
                                              "20"},
                            true);
    waitFor(500); // its subscription is in place well before this
    ::kill(pid_t(subscriber.processId()), SIGSTOP);
    flood(broker, input);
    ::kill(pid_t(subscriber.processId()), SIGCONT);
    subscriber.waitForFinished(30'000); // it gives up by itself after 20 s

    const QList<QByteArray> stamps = subscriber.readAllStandardOutput().trimmed().split('\n');
    Run run;
    run.messages = stamps.size();
    if (stamps.size() > 1)
        run.seconds = stamps.last().toDouble() - stamps.first().toDouble();
    return run;
}

// The tool chooses the gateway only now, so none of the flood above reached it.
Run tool(BrokerFixture &cloud, TcpBridge &bridge, const QByteArray &input)
{
    cloud.store(deviceId);
    if (!cloud.select(deviceId))
        fail("the tool did not subscribe its topics");

    // The log is emptied by the log page's rule (at 500 pieces, 499 lines),
    // so the run measures routing rather than one ever longer log.
    Run run;
    QElapsedTimer clock;
    QObject::connect(&bridge, &TcpBridge::terminalLogFromMqttChanged, &bridge, [&] {
        if (run.messages++ == 0)
            clock.start();
        else
            run.seconds = clock.nsecsElapsed() / 1e9;
        if (bridge.terminalLogFromMqttLines()->count() + 1 >= 500) {
            const QSignalBlocker notCounted(bridge);
            bridge.clearmterminalLogFromMqtt();
        }
    });
    flood(*cloud.broker, input);
    // Done when all arrived or nothing more came for two seconds.
    for (qint64 seen = -1; seen != run.messages && run.messages < messagesPerFlood;) {
        seen = run.messages;
        waitUntil([&] { return run.messages >= messagesPerFlood; }, 2000);
    }
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ConfigHome configHome;
    const QByteArray input = floodInput();
    double bestSub = 0;
    double bestTool = 0;
    out << "Flooding " << topic << " with " << messagesPerFlood << " messages per receiver, "
        << rounds << " rounds" << Qt::endl;
    for (int round = 1; round <= rounds; ++round) {
        TcpBridge bridge;
        BrokerFixture cloud;
        // The held receiver's messages wait in the broker: let it keep them all.
        if (!cloud.start(&bridge, {"max_queued_messages 0", "max_queued_bytes 0"}))
            fail("the broker did not start");
        const Run sub = mosquittoSub(*cloud.broker, input);
        const Run routed = tool(cloud, bridge, input);
        out << "round " << round << ": mosquitto_sub " << sub.messages << " msgs, "
            << qRound64(sub.rate()) << " msgs/s; tool " << routed.messages << " msgs, "
            << qRound64(routed.rate()) << " msgs/s" << Qt::endl;
        bestSub = std::max(bestSub, sub.rate());
        bestTool = std::max(bestTool, routed.rate());
    }
    out << "best mosquitto_sub:            " << qRound64(bestSub) << " msgs/s\n"
        << "best tool (terminalLogFromMqtt): " << qRound64(bestTool) << " msgs/s\n"
        << "ratio tool / mosquitto_sub:    " << fixed(bestSub > 0 ? bestTool / bestSub : 0, 2)
        << Qt::endl;
    return 0;
}
