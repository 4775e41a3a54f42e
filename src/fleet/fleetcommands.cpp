#include "fleetcommands.h"

#include "backupsession.h"
#include "brokerhub.h"
#include "brokeroptions.h"
#include "cloudgatewaylink.h"
#include "tcpbridge.h"
#include "topicscheme.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QTemporaryDir>
#include <QUrl>

namespace {

const QString backupUsage =
    QStringLiteral("kestrelvane-config backup (--gateway HOST[:PORT] | --device-id ID) -o FILE "
                   "[--with-passwords]\n"
                   "    Reads the gateway's settings and RS-485 devices (port 8881) into FILE\n"
                   "    (JSON, readable by its owner only; - for the standard output).\n"
                   "    Passwords (wifiPass, mqttPass, blePin) are left out unless\n"
                   "    --with-passwords is given.\n");
const QString restoreUsage =
    QStringLiteral("kestrelvane-config restore FILE (--gateway HOST[:PORT] | --device-id ID) "
                   "[--dry-run] [--keep-identity]\n"
                   "    Compares FILE with the gateway, prints the difference, then writes it:\n"
                   "    each setting and each device change acknowledged in turn, then SAVE.\n"
                   "    deviceId and mqttClientId are never written. For a file from another\n"
                   "    gateway, topics get this gateway's identifier and staticIP is skipped.\n"
                   "    --dry-run        print the difference; send nothing but the reads\n"
                   "    --keep-identity  write the file's topics and static IP as they are\n"
                   "                     (a replacement for the gateway the file came from)\n");
const QString cloudOptions =
    QStringLiteral("    --device-id ID   the gateway through the broker it reports to: only its\n"
                   "                     RS-485 device list can be read and written there\n");
const QString exitCodes = QStringLiteral(
    "Exit status: 0 done, 1 the gateway refused or did not answer, 2 bad usage or a bad file.\n"
    "Progress goes to the standard error.\n");

const QCommandLineOption gatewayOption(QStringLiteral("gateway"), QStringLiteral("Gateway address"),
                                       QStringLiteral("HOST[:PORT]"));
const QCommandLineOption deviceIdOption(QStringLiteral("device-id"),
                                        QStringLiteral("Gateway through its broker"),
                                        QStringLiteral("ID"));

int badUsage(QTextStream &err, const QString &command, const QString &problem, const QString &usage)
{
    err << "kestrelvane-config " << command << ": " << problem
        << "\nUsage: " << usage.section(QLatin1Char('\n'), 0, 0) << "\nTry 'kestrelvane-config "
        << command << " --help' for more information.\n";
    return BackupSession::BadInput;
}

// Parses the words after the subcommand: the gateway option and the
// positional arguments named in `positionals` are required. Returns -1 when
// they are what the usage says, else the exit status (help printed: 0; bad
// usage: 2).
int parse(QCommandLineParser &parser, BrokerOptions &brokers, const QStringList &args,
          const QStringList &positionals, QTextStream &out, QTextStream &err, const QString &usage)
{
    const QString command = usage.section(QLatin1Char(' '), 1, 1);
    parser.addOptions({gatewayOption, deviceIdOption});
    brokers.addTo(parser);
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help"));
    parser.addOption(helpOption);
    if (!parser.parse(QStringList{QStringLiteral("kestrelvane-config")} + args))
        return badUsage(err, command, parser.errorText(), usage);
    if (parser.isSet(helpOption)) {
        out << "Usage: " << usage << cloudOptions << BrokerOptions::help() << exitCodes;
        return BackupSession::Done;
    }
    const QStringList given = parser.positionalArguments();
    if (given.size() > positionals.size())
        return badUsage(
            err, command,
            QStringLiteral("unexpected argument '%1'").arg(given.at(positionals.size())), usage);
    if (given.size() < positionals.size())
        return badUsage(err, command,
                        QStringLiteral("missing %1").arg(positionals.at(given.size())), usage);
    const bool direct = !parser.value(gatewayOption).isEmpty();
    const bool cloud = !parser.value(deviceIdOption).isEmpty();
    if (!direct && !cloud)
        return badUsage(err, command,
                        QStringLiteral("missing --gateway HOST[:PORT] or --device-id ID"), usage);
    if (direct && cloud)
        return badUsage(err, command, QStringLiteral("--gateway and --device-id name two gateways"),
                        usage);
    if (direct && brokers.isSet(parser))
        return badUsage(err, command, QStringLiteral("the broker's options go with --device-id"),
                        usage);
    QString problem;
    if (!brokers.read(parser, &problem))
        return badUsage(err, command, problem, usage);
    return -1;
}

// The host of a HOST[:PORT] gateway address (an IPv6 address in brackets
// when it has a port), or an empty string with `problem` set. The gateway
// takes commands on one port only, so a port, when given, has to be that
// one.
QString gatewayHost(const QString &address, QString *problem)
{
    const QUrl url(QStringLiteral("tcp://") + address);
    const QString host = url.host();
    if (!url.isValid() || host.isEmpty() || !url.path().isEmpty() || !url.userInfo().isEmpty()
        || url.hasQuery() || url.hasFragment()) {
        // A bare IPv6 address has colons of its own.
        if (QHostAddress(address).protocol() == QAbstractSocket::IPv6Protocol)
            return address;
        *problem = QStringLiteral("'%1' is not HOST[:PORT]").arg(address);
        return {};
    }
    if (url.port() != -1 && url.port() != TcpBridge::commandPort) {
        *problem = QStringLiteral("port %1 in '%2': the gateway takes commands on port %3")
                       .arg(url.port())
                       .arg(address)
                       .arg(TcpBridge::commandPort);
        return {};
    }
    if (address.endsWith(QLatin1Char(':'))) {
        *problem = QStringLiteral("no port after ':' in '%1'").arg(address);
        return {};
    }
    return host;
}

// The backend without a window: its own link to the gateway's command port,
// or to the gateway's broker.
struct HeadlessSession
{
    HeadlessSession() { session.setBridge(&bridge); }

    // Aims the session at the gateway the options name. Returns -1 when it
    // is ready, else the exit status (bad usage: 2; broker not reached: 1).
    int aim(const QCommandLineParser &parser, const BrokerOptions &brokers, QTextStream &err,
            const QString &command, const QString &usage)
    {
        if (!parser.isSet(deviceIdOption)) {
            QString problem;
            const QString host = gatewayHost(parser.value(gatewayOption), &problem);
            if (host.isEmpty())
                return badUsage(err, command, problem, usage);
            session.setHost(host);
            return -1;
        }
        const QString id = parser.value(deviceIdOption);
        if (!TopicScheme::isUsableDeviceId(id))
            return badUsage(err, command,
                            QStringLiteral("the device id '%1' holds '+', '#' or '/'").arg(id),
                            usage);
        QString problem;
        const std::optional<BrokerSettings> broker = brokers.settingsFor({}, id, &problem);
        if (!broker)
            return badUsage(err, command, problem, usage);
        err << "Through the broker only the gateway's RS-485 device list is read and written; "
               "its settings need a direct link (--gateway).\n";
        err << "Connecting to the broker " << broker->host << ':' << broker->port << Qt::endl;
        hub = std::make_unique<BrokerHub>(*broker);
        QEventLoop loop;
        QString unavailable;
        QObject::connect(hub.get(), &BrokerHub::ready, &loop, &QEventLoop::quit);
        QObject::connect(hub.get(), &BrokerHub::unavailable, &loop, [&](const QString &why) {
            unavailable = why;
            loop.quit();
        });
        QMetaObject::invokeMethod(
            hub.get(), [this] { hub->open(10000); }, Qt::QueuedConnection);
        loop.exec();
        if (hub->state() != BrokerHub::State::Ready) {
            err << "Cannot reach the broker " << hub->describe() << ": " << unavailable << '\n';
            return BackupSession::GatewayFailed;
        }
        session.setLink(hub->link(id));
        session.setCloudDeviceId(id);
        return -1;
    }

    TcpBridge bridge;
    BackupSession session;
    std::unique_ptr<BrokerHub> hub;
};

// Runs the session until it finishes, echoing its progress to `err`.
int runSession(BackupSession &session, QTextStream &err,
               const std::function<QString(const QString &)> &reword = {})
{
    QEventLoop loop;
    int status = BackupSession::GatewayFailed;
    QString lastStep;
    QObject::connect(&session, &BackupSession::progressChanged, &loop, [&] {
        if (session.stepText().isEmpty() || session.stepText() == lastStep)
            return;
        lastStep = session.stepText();
        if (session.stepCount() > 0)
            err << '[' << session.stepIndex() + 1 << '/' << session.stepCount() << "] ";
        err << lastStep << Qt::endl;
    });
    QObject::connect(&session, &BackupSession::finished, &loop,
                     [&](int result, const QString &message) {
                         status = result;
                         const QString text = reword ? reword(message) : message;
                         err << text << (text.endsWith(QLatin1Char('\n')) ? "" : "\n");
                         err.flush();
                         loop.quit();
                     });
    loop.exec();
    return status;
}

} // namespace

QString fleetCommandsHelp()
{
    return backupUsage + restoreUsage + exitCodes;
}

int runBackupCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    BrokerOptions brokers;
    const QCommandLineOption outputOption(QStringLiteral("o"), QStringLiteral("Backup file"),
                                          QStringLiteral("FILE"));
    const QCommandLineOption passwordsOption(QStringLiteral("with-passwords"),
                                             QStringLiteral("Include the passwords"));
    parser.addOption(outputOption);
    parser.addOption(passwordsOption);
    if (const int status = parse(parser, brokers, args, {}, out, err, backupUsage); status >= 0)
        return status;
    if (parser.value(outputOption).isEmpty())
        return badUsage(err, QStringLiteral("backup"), QStringLiteral("missing -o FILE"),
                        backupUsage);
    HeadlessSession headless;
    if (const int status =
            headless.aim(parser, brokers, err, QStringLiteral("backup"), backupUsage);
        status >= 0)
        return status;

    // "-" is the standard output: the backup is written as usual, into a
    // folder only this user can read, then copied out.
    const bool toStdout = parser.value(outputOption) == QLatin1String("-");
    QTemporaryDir scratch;
    const QString path =
        toStdout ? scratch.filePath(QStringLiteral("backup.json")) : parser.value(outputOption);
    BackupSession &session = headless.session;
    QMetaObject::invokeMethod(
        &session, [&] { session.saveBackup(path, parser.isSet(passwordsOption)); },
        Qt::QueuedConnection);
    const int status = runSession(session, err, [&](const QString &message) {
        return toStdout ? QString(message).replace(path, QStringLiteral("the standard output"))
                        : message;
    });
    if (status == BackupSession::Done && toStdout) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return BackupSession::GatewayFailed;
        out << QString::fromUtf8(file.readAll());
        out.flush();
    }
    return status;
}

int runRestoreCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    BrokerOptions brokers;
    const QCommandLineOption dryRunOption(QStringLiteral("dry-run"),
                                          QStringLiteral("Print the difference only"));
    const QCommandLineOption keepOption(QStringLiteral("keep-identity"),
                                        QStringLiteral("Keep the file's topics and static IP"));
    parser.addOption(dryRunOption);
    parser.addOption(keepOption);
    if (const int status =
            parse(parser, brokers, args, {QStringLiteral("FILE")}, out, err, restoreUsage);
        status >= 0)
        return status;
    HeadlessSession headless;
    if (const int status =
            headless.aim(parser, brokers, err, QStringLiteral("restore"), restoreUsage);
        status >= 0)
        return status;
    BackupSession &session = headless.session;
    session.setKeepFileIdentity(parser.isSet(keepOption));
    const bool dryRun = parser.isSet(dryRunOption);
    QObject::connect(&session, &BackupSession::planReady, &session, [&] {
        const QStringList lines = session.plan().describe();
        if (!session.cloudDeviceId().isEmpty())
            out << session.fileSummary() << ".\n";
        out << "Difference ([x] written, [ ] left as it is):\n";
        for (const QString &line : lines)
            out << "  " << line << '\n';
        if (lines.isEmpty())
            out << "  (none: the gateway matches the file)\n";
        out.flush();
        if (dryRun)
            session.dismissPlan(QStringLiteral("Dry run: nothing written."));
        else
            session.apply();
    });
    QMetaObject::invokeMethod(
        &session, [&] { session.openBackup(parser.positionalArguments()[0]); },
        Qt::QueuedConnection);
    return runSession(session, err);
}
