#include "fleetcli.h"

#include "brokeroptions.h"
#include "fleetreport.h"
#include "fleetrun.h"

#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

enum Exit { AllDone = 0, SomeFailed = 1, BadUsage = 2, Drift = 3 };

const QString usage = QStringLiteral(
    "kestrelvane-config fleet backup INVENTORY --out-dir DIR [--with-passwords] [options]\n"
    "kestrelvane-config fleet check REFERENCE INVENTORY [options]\n"
    "kestrelvane-config fleet restore REFERENCE INVENTORY [--dry-run] [options]\n"
    "kestrelvane-config fleet restart INVENTORY --confirm restart [options]\n"
    "    Runs one task on every gateway of INVENTORY, a CSV file with a header and\n"
    "    one gateway a row: column \"gateway\" holds tcp://HOST[:PORT] (the command\n"
    "    port, 8881 by default) or mqtt://DEVICE-ID; \"name\", \"site\" and \"broker\"\n"
    "    (as --broker) are optional.\n"
    "    backup   one file per gateway in DIR, named by its device id\n"
    "    check    the lines in which each gateway differs from REFERENCE, a backup\n"
    "             file (a clone's identity rules applied: its id, client id, topics\n"
    "             and static IP are the gateway's own)\n"
    "    restore  REFERENCE cloned into each gateway, each change acknowledged, then\n"
    "             SAVE\n"
    "    restart  \"gateway:restart\" to each gateway reached through the broker\n"
    "    Through the broker a gateway's device list is read and written; its\n"
    "    settings only over the LAN.\n"
    "  --jobs N               gateways in flight at once (default 16)\n"
    "  --format csv|json      one result per gateway on the standard output (csv)\n"
    "  --timeout SECONDS      how long a gateway may take to answer (10)\n");
const QString exitStatus = QStringLiteral(
    "  Exit status: 0 all done, 1 any gateway failed, 2 bad usage or a bad file,\n"
    "  3 check found differences. Ctrl-C stops sending and prints what went through.\n");

// SIGINT and SIGTERM reach the event loop through a socket pair, the one
// thing a signal handler may safely touch.
int signalPipe[2] = {-1, -1};

void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

class StopSignals
{
public:
    explicit StopSignals(const std::function<void()> &stop)
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
            return;
        m_notifier = std::make_unique<QSocketNotifier>(signalPipe[1], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [stop] {
            char byte;
            [[maybe_unused]] const auto read = ::read(signalPipe[1], &byte, 1);
            stop();
        });
        struct sigaction action = {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~StopSignals()
    {
        if (!m_notifier)
            return;
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
        m_notifier.reset();
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
    }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_oldInt = {};
    struct sigaction m_oldTerm = {};
};

int badUsage(QTextStream &err, const QString &what)
{
    err << "kestrelvane-config fleet: " << what << "\n"
        << "Try 'kestrelvane-config fleet --help'.\n";
    return BadUsage;
}

} // namespace

QString fleetCommandHelp()
{
    return usage + exitStatus;
}

int runFleetCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption outDir(QStringLiteral("out-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption passwords(QStringLiteral("with-passwords"), QString());
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QString());
    const QCommandLineOption confirm(QStringLiteral("confirm"), QString(), QStringLiteral("WORD"));
    const QCommandLineOption jobs(QStringLiteral("jobs"), QString(), QStringLiteral("N"),
                                  QStringLiteral("16"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("FORMAT"),
                                    QStringLiteral("csv"));
    BrokerOptions brokers;
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(),
                                     QStringLiteral("SECONDS"), QStringLiteral("10"));
    parser.addOptions({help, outDir, passwords, dryRun, confirm, jobs, format, timeout});
    brokers.addTo(parser);
    if (!parser.parse(QStringList{QStringLiteral("fleet")} + args))
        return badUsage(err, parser.errorText());
    if (parser.isSet(help)) {
        out << "Usage:\n"
            << usage << "  The broker of mqtt:// rows without a broker column:\n"
            << BrokerOptions::help() << exitStatus;
        return AllDone;
    }

    QStringList words = parser.positionalArguments();
    const QString action = words.value(0);
    static const QHash<QString, std::pair<FleetTask::Action, int>> actions = {
        {QStringLiteral("backup"), {FleetTask::Action::Backup, 1}},
        {QStringLiteral("check"), {FleetTask::Action::Check, 2}},
        {QStringLiteral("restore"), {FleetTask::Action::Restore, 2}},
        {QStringLiteral("restart"), {FleetTask::Action::Restart, 1}},
    };
    if (action.isEmpty())
        return badUsage(err, QStringLiteral("missing the task: backup, check, restore or restart"));
    if (!actions.contains(action))
        return badUsage(err, QStringLiteral("unknown task \"%1\"").arg(action));
    FleetTask task;
    int files = 0;
    std::tie(task.action, files) = actions.value(action);
    words.removeFirst();
    if (words.size() < files)
        return badUsage(err, files == 2 ? QStringLiteral("missing REFERENCE or INVENTORY")
                                        : QStringLiteral("missing INVENTORY"));
    if (words.size() > files)
        return badUsage(err, QStringLiteral("unexpected argument \"%1\"").arg(words.value(files)));

    // Options that belong to another task are named, not ignored.
    const auto onlyFor = [&](const QCommandLineOption &option, FleetTask::Action owner) {
        return parser.isSet(option) && task.action != owner;
    };
    for (const auto &[option, owner] : {std::pair{outDir, FleetTask::Action::Backup},
                                        {passwords, FleetTask::Action::Backup},
                                        {dryRun, FleetTask::Action::Restore},
                                        {confirm, FleetTask::Action::Restart}}) {
        if (onlyFor(option, owner))
            return badUsage(err, QStringLiteral("--%1 does not go with \"%2\"")
                                     .arg(option.names().constFirst(), action));
    }
    bool ok = false;
    const int jobCount = parser.value(jobs).toInt(&ok);
    if (!ok || jobCount < 1 || jobCount > 1000)
        return badUsage(err, QStringLiteral("--jobs takes a number from 1 to 1000"));
    const int seconds = parser.value(timeout).toInt(&ok);
    if (!ok || seconds < 1 || seconds > 600)
        return badUsage(err, QStringLiteral("--timeout takes seconds from 1 to 600"));
    task.replyMs = seconds * 1000;
    task.stepMs = qMax(task.replyMs, 15000);
    const bool json = parser.value(format) == QLatin1String("json");
    if (!json && parser.value(format) != QLatin1String("csv"))
        return badUsage(err, QStringLiteral("--format is csv or json"));
    if (task.action == FleetTask::Action::Restart && parser.value(confirm) != action)
        return badUsage(err, QStringLiteral("restarting a fleet needs --confirm restart"));
    if (task.action == FleetTask::Action::Backup) {
        if (!parser.isSet(outDir))
            return badUsage(err, QStringLiteral("missing --out-dir DIR"));
        task.outDir = parser.value(outDir);
        task.withPasswords = parser.isSet(passwords);
        if (!QDir().mkpath(task.outDir))
            return badUsage(err, QStringLiteral("cannot make the folder %1").arg(task.outDir));
    }
    task.dryRun = parser.isSet(dryRun);

    if (files == 2) {
        const GatewayBackup::ReadResult reference = GatewayBackup::readFile(words[0]);
        if (!reference.backup) {
            err << "kestrelvane-config fleet: bad reference " << words[0] << ": " << reference.error
                << '\n';
            return BadUsage;
        }
        task.reference = *reference.backup;
    }
    const FleetInventory::ReadResult inventory = FleetInventory::readFile(words.last());
    if (!inventory.inventory) {
        err << "kestrelvane-config fleet: bad inventory " << inventory.error << '\n';
        return BadUsage;
    }

    QString problem;
    if (!brokers.read(parser, &problem))
        return badUsage(err, problem);
    // Every broker the rows name is checked before anything is sent.
    for (const FleetInventory::Gateway &gateway : inventory.inventory->gateways) {
        if (!gateway.broker.isEmpty() && !brokers.settingsFor(gateway.broker, {}, &problem))
            return badUsage(err, QStringLiteral("inventory line %1, column \"broker\": %2")
                                     .arg(gateway.line)
                                     .arg(problem));
    }

    FleetRun run;
    run.setJobs(jobCount);
    run.setConnectTimeout(task.replyMs);
    run.setBrokerLookup([&brokers](const FleetInventory::Gateway &gateway, QString *error) {
        return brokers.settingsFor(gateway.broker, gateway.deviceId, error);
    });

    if (!json)
        out << FleetReport::csvHeader();
    out.flush();
    const qsizetype total = inventory.inventory->gateways.size();
    int ended = 0;
    QObject::connect(&run, &FleetRun::resultChanged, &run, [&](int index) {
        const FleetResult &result = run.results()[index];
        err << '[' << (result.isFinished() ? ++ended : ended) << '/' << total << "] "
            << result.gateway.address() << ' ' << FleetResult::statusText(result.status) << '\n';
        err.flush();
        if (!result.isFinished())
            return;
        out << (json ? FleetReport::jsonLine(result) : FleetReport::csvRow(result));
        out.flush();
    });
    QEventLoop loop;
    QObject::connect(&run, &FleetRun::finished, &loop, &QEventLoop::quit);
    StopSignals stopSignals([&run, &err] {
        err << "Stopping: nothing more is sent.\n";
        err.flush();
        run.stop();
    });
    const auto &gateways = inventory.inventory->gateways;
    if (std::any_of(gateways.cbegin(), gateways.cend(), [](const FleetInventory::Gateway &g) {
            return g.transport == FleetInventory::Gateway::Transport::Cloud;
        }))
        err << "Through the broker a gateway's device list is read and written; its settings "
               "only over the LAN.\n";
    QMetaObject::invokeMethod(
        &run, [&] { run.start(inventory.inventory->gateways, task); }, Qt::QueuedConnection);
    loop.exec();

    bool failed = false;
    bool drift = false;
    for (const FleetResult &result : run.results()) {
        failed = failed
                 || (result.status != FleetResult::Status::Done
                     && result.status != FleetResult::Status::Differs);
        drift = drift || result.status == FleetResult::Status::Differs;
    }
    err << run.results().size() << " gateway(s), " << run.messagesSent() << " command(s) sent\n";
    return failed ? SomeFailed : drift ? Drift : AllDone;
}
