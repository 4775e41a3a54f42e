// Prints how long `kestrelvane-config fleet backup` and `fleet check` take
// for 1, 10, 100 and 1000 simulated gateways behind one local mosquitto
// broker, with the commands the tool sent, its processor seconds and its
// peak resident memory; beside each, the same run with --jobs 1 (one gateway
// at a time) as the reference. Then 50 gateways on the LAN, each on its own
// loopback address. Each figure is the median of three rounds.
#include "benchsupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

constexpr int rounds = 3;
const QList<int> fleetSizes = {1, 10, 100, 1000};
constexpr int directSize = 50;

struct Measure
{
    double seconds = 0;
    double cpuSeconds = 0;
    double peakMb = 0;
    double messages = 0;
    int exitStatus = -1;
};

// Runs the tool to its end as a child of its own, so that its processor
// time and peak memory come from the kernel's account of that child alone.
Measure runTool(const QStringList &arguments, const QString &password)
{
    QList<QByteArray> argv8 = {QByteArrayLiteral(KESTRELVANE_CONFIG_PATH)};
    for (const QString &argument : arguments)
        argv8 << argument.toUtf8();
    std::vector<char *> argv;
    for (QByteArray &argument : argv8)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    QTemporaryDir dir;
    const QByteArray errPath = dir.filePath("stderr").toUtf8();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, errPath.constData(), O_WRONLY | O_CREAT, 0600);
    qputenv("KV_BROKER_PASSWORD", password.toUtf8());

    Measure measure;
    const qint64 start = nowNs();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0)
        fail(QStringLiteral("cannot start %1").arg(KESTRELVANE_CONFIG_PATH));
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    measure.seconds = (nowNs() - start) / 1e9;
    measure.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
                         + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    measure.peakMb = usage.ru_maxrss / 1024.0;
    measure.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

    // "N gateway(s), M command(s) sent", the tool's last line.
    QFile err(QString::fromUtf8(errPath));
    err.open(QIODevice::ReadOnly);
    const QList<QByteArray> lines = err.readAll().trimmed().split('\n');
    measure.messages = lines.last().split(' ').value(2).toDouble();
    return measure;
}

// A check ends with 3, the gateways' device lists differing from the
// reference: that is its expected outcome here.
Measure medianOf(const QStringList &arguments)
{
    QList<Measure> measures;
    for (int i = 0; i < rounds; ++i) {
        measures << runTool(arguments, BrokerFixture::password);
        if (measures.last().exitStatus != 0 && measures.last().exitStatus != 3)
            fail(QStringLiteral("the fleet run ended with status %1")
                     .arg(measures.last().exitStatus));
    }
    return {median(measures, &Measure::seconds), median(measures, &Measure::cpuSeconds),
            median(measures, &Measure::peakMb), median(measures, &Measure::messages), 0};
}

QString inventory(const QTemporaryDir &dir, const QStringList &gateways)
{
    const QString path = dir.filePath(QStringLiteral("inventory-%1.csv").arg(gateways.size()));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("gateway\n" + gateways.join('\n').toUtf8() + '\n');
    return path;
}

// The run with the default number of gateways in flight, then one at a time.
void printRow(const QString &what, int size, const QStringList &arguments)
{
    const Measure fleet = medianOf(arguments);
    const Measure oneAtATime = medianOf(arguments + QStringList{"--jobs", "1"});
    out << qSetFieldWidth(0) << what.leftJustified(8) << QString::number(size).rightJustified(6)
        << fixed(fleet.seconds, 2, 9) << fixed(oneAtATime.seconds, 2, 9)
        << fixed(fleet.messages, 0, 10) << fixed(fleet.cpuSeconds, 2, 9)
        << fixed(oneAtATime.cpuSeconds, 2, 9) << fixed(fleet.peakMb, 1, 9) << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_fleet"));
    ConfigHome home;
    QTemporaryDir dir;

    MosquittoBroker broker;
    broker.addUser(BrokerFixture::user, BrokerFixture::password);
    // A thousand gateways answer at once: the broker keeps every reply. It
    // writes each message at once, as the tool and the simulator do, instead
    // of holding small packets for the peer's delayed acknowledgement.
    broker.addConfigLine("max_queued_messages 0");
    broker.addConfigLine("set_tcp_nodelay true");
    if (!broker.start())
        fail(broker.errorString());
    const QString brokerUrl = QStringLiteral("mqtt://%1@%2:%3")
                                  .arg(BrokerFixture::user, broker.host())
                                  .arg(broker.port());

    out << "fleet runs, median of " << rounds << " rounds (default --jobs 16 | --jobs 1)\n"
        << "task      size   wall s  jobs1 s  commands    cpu s  jobs1 cpu  peak MB" << Qt::endl;
    const int largest = fleetSizes.last();
    ChildProcess simulator(QStringLiteral(GATEWAY_SIM_PATH),
                           {"--fleet", QString::number(largest), "--device-id", "KV",
                            "--broker-port", QString::number(broker.port()), "--broker-user",
                            BrokerFixture::user, "--broker-pass", BrokerFixture::password},
                           true);
    if (!simulator.waitForReadyRead(10'000))
        fail("the gateway simulator did not start");
    waitFor(1000); // its one subscription is in place well before this

    for (const int size : fleetSizes) {
        QStringList gateways;
        for (int number = 1; number <= size; ++number)
            gateways << QStringLiteral("mqtt://KV-%1").arg(number, 4, 10, QLatin1Char('0'));
        const QString list = inventory(dir, gateways);
        const QString outDir = dir.filePath(QStringLiteral("backups-%1").arg(size));
        const QStringList broker = {"--broker", brokerUrl};
        printRow("backup", size,
                 QStringList{"fleet", "backup", list, "--out-dir", outDir} + broker);
        printRow("check", size,
                 QStringList{"fleet", "check", outDir + "/KV-0001.json", list} + broker);
    }

    ChildProcess lan(QStringLiteral(GATEWAY_SIM_PATH),
                     {"--fleet", QString::number(directSize), "--device-id", "LAN", "--no-cloud",
                      "--fleet-listen", "--address", "127.0.0.2", "--at-port", "0",
                      "--monitor-rate", "-1"},
                     true);
    if (!lan.waitForReadyRead(10'000))
        fail("the LAN fleet did not start");
    QStringList gateways;
    for (int i = 0; i < directSize; ++i)
        gateways << QStringLiteral("tcp://127.0.0.%1").arg(2 + i);
    printRow("LAN", directSize,
             {"fleet", "backup", inventory(dir, gateways), "--out-dir", dir.filePath("lan")});
    return 0;
}
