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
#include "mosquittobroker.h"
#include "mqttclient.h"
#include "mqttsession.h"
#include "settingsstore.h"
#include "tcpbridge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstdlib>

namespace {

const QString user = QStringLiteral("gateway");
const QString password = QStringLiteral("bench-pass");
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

void waitFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, ms - int(clock.elapsed()));
}

QStringList connectionArguments(const MosquittoBroker &broker)
{
    return {"-h", broker.host(), "-p", QString::number(broker.port()), "-u", user, "-P", password};
}

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
    QProcess publisher;
    publisher.start(MosquittoBroker::findProgram("mosquitto_pub"),
                    connectionArguments(broker) + QStringList{"-t", topic, "-q", "0", "-l"});
    if (!publisher.waitForStarted(5000))
        fail("mosquitto_pub did not start");
    publisher.write(input);
    publisher.closeWriteChannel();
    if (!publisher.waitForFinished(120'000))
        fail("mosquitto_pub did not finish");
}

Run mosquittoSub(const MosquittoBroker &broker, const QByteArray &input)
{
    QProcess subscriber;
    // "%U" prints the receipt time of each message: first and last give the rate.
    subscriber.start(MosquittoBroker::findProgram("mosquitto_sub"),
                     connectionArguments(broker)
                         + QStringList{"-t", topic, "-q", "2", "-C",
                                       QString::number(messagesPerFlood), "-F", "%U", "-W", "20"});
    if (!subscriber.waitForStarted(5000))
        fail("mosquitto_sub did not start");
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

Run tool(const MosquittoBroker &broker, const QByteArray &input)
{
    SettingsStore::writeBrokerSettings(
        deviceId, {broker.host(), QString::number(broker.port()), user, password});
    TcpBridge bridge;
    QMQTT::Client client(QHostAddress(QHostAddress::LocalHost), 1883);
    client.setKeepAlive(60);
    client.setCleanSession(true);
    MqttSession session(&bridge, &client);

    QSignalSpy subscribed(&client, &QMQTT::Client::subscribed);
    bridge.sendTopicDeviceId(deviceId);
    QElapsedTimer setup;
    setup.start();
    while (subscribed.count() < 5 && setup.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (subscribed.count() < 5)
        fail("the tool did not subscribe its topics");

    // As the log page does, the log is taken and emptied as it grows, so the
    // run measures routing rather than one ever longer string.
    Run run;
    QElapsedTimer clock;
    bool clearing = false;
    QObject::connect(&bridge, &TcpBridge::terminalLogFromMqttChanged, &bridge, [&] {
        if (clearing)
            return;
        if (run.messages++ == 0)
            clock.start();
        else
            run.seconds = clock.nsecsElapsed() / 1e9;
        if (bridge.terminalLogFromMqtt().size() > (1 << 20)) {
            clearing = true;
            bridge.clearmterminalLogFromMqtt();
            clearing = false;
        }
    });
    flood(broker, input);
    // Done when all arrived or nothing more came for two seconds.
    QElapsedTimer quiet;
    quiet.start();
    for (qint64 seen = 0; run.messages < messagesPerFlood && quiet.elapsed() < 2000;) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (run.messages != seen) {
            seen = run.messages;
            quiet.restart();
        }
    }
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qputenv("QT_LOGGING_RULES", "default.debug=false");

    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());

    MosquittoBroker broker;
    broker.addUser(user, password);
    // The held receiver's messages wait in the broker: let it keep them all.
    broker.addConfigLine("max_queued_messages 0");
    broker.addConfigLine("max_queued_bytes 0");
    if (!broker.start())
        fail(broker.errorString());
    for (const char *program : {"mosquitto_pub", "mosquitto_sub"}) {
        if (MosquittoBroker::findProgram(program).isEmpty())
            fail(QStringLiteral("%1 not found: install mosquitto-clients").arg(program));
    }

    const QByteArray input = floodInput();
    Run bestSub;
    Run bestTool;
    out() << "Flooding " << topic << " with " << messagesPerFlood << " messages per receiver, "
          << rounds << " rounds" << Qt::endl;
    for (int round = 1; round <= rounds; ++round) {
        const Run sub = mosquittoSub(broker, input);
        const Run routed = tool(broker, input);
        out() << "round " << round << ": mosquitto_sub " << sub.messages << " msgs, "
              << qRound64(sub.rate()) << " msgs/s; tool " << routed.messages << " msgs, "
              << qRound64(routed.rate()) << " msgs/s" << Qt::endl;
        if (sub.rate() > bestSub.rate())
            bestSub = sub;
        if (routed.rate() > bestTool.rate())
            bestTool = routed;
    }
    out() << "best mosquitto_sub:            " << qRound64(bestSub.rate()) << " msgs/s" << Qt::endl;
    out() << "best tool (terminalLogFromMqtt): " << qRound64(bestTool.rate()) << " msgs/s"
          << Qt::endl;
    out() << "ratio tool / mosquitto_sub:    "
          << QString::number(bestSub.rate() > 0 ? bestTool.rate() / bestSub.rate() : 0, 'f', 2)
          << Qt::endl;
    return 0;
}
