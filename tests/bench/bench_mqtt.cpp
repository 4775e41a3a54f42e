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
//
// Then the cost of TLS: a steady 1,000 msgs/s for twenty seconds, received by
// the tool over plain TCP, by the tool over TLS and by mosquitto_sub over
// TLS, each in turn, the processor time of the receiver over the stream
// compared. "bench_mqtt tls" runs this part alone.
#include "benchsupport.h"
#include "certificateauthority.h"
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

constexpr int pacedRate = 1000;
constexpr int pacedSeconds = 20;
// The machine's other load drifts: more rounds, and the order of plain and
// TLS swapped every round, so that drift does not favour either.
constexpr int pacedRounds = 5;

// Finer than the clock ticks of /proc, which are 10 ms on a stream that
// costs the tool a few tenths of a second.
double ownCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Publishes a steady stream from a process of its own, the gateway's side.
void pacedStream(const MosquittoBroker &broker)
{
    ChildProcess publisher(mosquittoProgram("mosquitto_pub"),
                           connectionArguments(broker)
                               + QStringList{"-t", topic, "-q", "0", "-m",
                                             R"({"slave":1,"reg":40001,"V":229.5})", "--repeat",
                                             QString::number(pacedRate * pacedSeconds),
                                             "--repeat-delay", fixed(1.0 / pacedRate, 4)});
    QEventLoop loop;
    QObject::connect(&publisher, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot((pacedSeconds + 30) * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    waitFor(300); // the last messages on their way
}

struct Paced
{
    double plain = 0;  // processor seconds of the tool over plain TCP
    double tls = 0;    // of the tool over TLS
    double subTls = 0; // of mosquitto_sub over TLS
    qint64 plainMessages = 0;
    qint64 tlsMessages = 0;
};

// The tool's processor time while the stream lasts, and what it routed.
double toolCpu(BrokerFixture &cloud, TcpBridge &bridge, qint64 *messages)
{
    if (!cloud.select(deviceId))
        fail("the tool did not subscribe its topics");
    *messages = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&bridge, &TcpBridge::terminalLogFromMqttChanged, &bridge, [&] {
            ++*messages;
            if (bridge.terminalLogFromMqttLines()->count() + 1 >= 500) {
                const QSignalBlocker notCounted(bridge);
                bridge.clearmterminalLogFromMqtt();
            }
        });
    const double before = ownCpuSeconds();
    pacedStream(*cloud.broker);
    const double used = ownCpuSeconds() - before;
    QObject::disconnect(counting);
    return used;
}

Paced pacedRound(const QString &certificates, bool tlsFirst)
{
    TcpBridge bridge;
    BrokerFixture cloud;
    quint16 tlsPort = 0;
    const QString ca = certificates + "/bench-ca.crt";
    if (!cloud.start(&bridge, {}, [&](MosquittoBroker &broker) {
            tlsPort =
                broker.addTlsListener(certificates + "/broker.crt", certificates + "/broker.key");
        }))
        fail("the broker did not start");
    // The same gateway's entry, first plain, then over TLS.
    const auto toolOver = [&](bool tls, qint64 *messages) {
        SettingsStore::writeBrokerSettings(deviceId,
                                           {tls ? "localhost" : cloud.broker->host(),
                                            QString::number(tls ? tlsPort : cloud.broker->port()),
                                            BrokerFixture::user, BrokerFixture::password});
        SettingsStore::writeBrokerTls(deviceId, {tls, tls ? ca : QString(), {}, {}});
        return toolCpu(cloud, bridge, messages);
    };

    Paced round;
    if (tlsFirst)
        round.tls = toolOver(true, &round.tlsMessages);
    round.plain = toolOver(false, &round.plainMessages);
    if (!tlsFirst)
        round.tls = toolOver(true, &round.tlsMessages);
    cloud.client->disconnectFromHost();

    ChildProcess subscriber(mosquittoProgram("mosquitto_sub"),
                            {"-h", "localhost", "-p", QString::number(tlsPort), "--cafile", ca,
                             "-u", BrokerFixture::user, "-P", BrokerFixture::password, "-t", topic,
                             "-q", "2"});
    waitFor(500); // subscribed well before this
    const QString stat = QStringLiteral("/proc/%1/stat").arg(subscriber.processId());
    const double before = statCpuSeconds(stat);
    pacedStream(*cloud.broker);
    round.subTls = statCpuSeconds(stat) - before;
    return round;
}

void tlsCost()
{
    QTemporaryDir certificates;
    CertificateAuthority authority(certificates.path(), QStringLiteral("bench-ca"));
    if (!authority.create() || !authority.issue("broker", "localhost", {"localhost"}))
        fail(authority.errorString());
    out << "Steady " << pacedRate << " msgs/s for " << pacedSeconds << " s on " << topic
        << ", processor seconds of the receiver, " << pacedRounds << " rounds" << Qt::endl;
    QList<Paced> results;
    QList<double> ratios;
    for (int round = 1; round <= pacedRounds; ++round) {
        const Paced paced = pacedRound(certificates.path(), round % 2 == 0);
        ratios.append(paced.plain > 0 ? paced.tls / paced.plain : 0);
        out << "round " << round << ": tool plain " << fixed(paced.plain, 3) << " s ("
            << paced.plainMessages << " msgs), tool TLS " << fixed(paced.tls, 3) << " s ("
            << paced.tlsMessages << " msgs), mosquitto_sub TLS " << fixed(paced.subTls, 3) << " s"
            << Qt::endl;
        results.append(paced);
    }
    const double plain = median(results, &Paced::plain);
    const double tls = median(results, &Paced::tls);
    out << "median tool plain:        " << fixed(plain, 3) << " s\n"
        << "median tool TLS:          " << fixed(tls, 3) << " s\n"
        << "median mosquitto_sub TLS: " << fixed(median(results, &Paced::subTls), 3) << " s\n"
        << "TLS cost for the tool:    " << fixed(plain > 0 ? 100 * (tls / plain - 1) : 0, 1)
        << " % (medians), " << fixed(100 * (median(ratios) - 1), 1)
        << " % (median of the rounds' ratios) more processor time" << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ConfigHome configHome;
    if (app.arguments().contains(QStringLiteral("tls"))) {
        tlsCost();
        return 0;
    }
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
    tlsCost();
    return 0;
}
