#include "fleetcommands.h"

#include "backupsession.h"
#include "tcpbridge.h"

#include <QCommandLineParser>
#include <QEventLoop>

namespace {

const QString backupUsage =
    QStringLiteral("kestrelvane-config backup --gateway HOST -o FILE [--with-passwords]\n"
                   "    Reads the gateway's settings and RS-485 devices (port 8881) into FILE\n"
                   "    (JSON, readable by its owner only). Passwords (wifiPass, mqttPass,\n"
                   "    blePin) are left out unless --with-passwords is given.\n");
const QString restoreUsage =
    QStringLiteral("kestrelvane-config restore FILE --gateway HOST [--dry-run] [--keep-identity]\n"
                   "    Compares FILE with the gateway, prints the difference, then writes it:\n"
                   "    each setting and each device change acknowledged in turn, then SAVE.\n"
                   "    deviceId and mqttClientId are never written. For a file from another\n"
                   "    gateway, topics get this gateway's identifier and staticIP is skipped.\n"
                   "    --dry-run        print the difference; send nothing but the reads\n"
                   "    --keep-identity  write the file's topics and static IP as they are\n"
                   "                     (a replacement for the gateway the file came from)\n");
const QString exitCodes = QStringLiteral(
    "Exit status: 0 done, 1 the gateway refused or did not answer, 2 bad usage or a bad file.\n"
    "Progress goes to the standard error.\n");

const QCommandLineOption gatewayOption(QStringLiteral("gateway"), QStringLiteral("Gateway address"),
                                       QStringLiteral("HOST"));

// Parses the words after the subcommand. Returns -1 when they are what the
// usage says, else the exit status (help printed: 0; bad usage: 2).
int parse(QCommandLineParser &parser, const QStringList &args, int positionals, QTextStream &out,
          QTextStream &err, const QString &usage)
{
    parser.addOption(gatewayOption);
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help"));
    parser.addOption(helpOption);
    if (!parser.parse(QStringList{QStringLiteral("kestrelvane-config")} + args)) {
        err << parser.errorText() << "\n\nUsage:\n" << usage;
        return BackupSession::BadInput;
    }
    if (parser.isSet(helpOption)) {
        out << usage << exitCodes;
        return BackupSession::Done;
    }
    if (parser.value(gatewayOption).isEmpty()
        || parser.positionalArguments().size() != positionals) {
        err << "Usage:\n" << usage;
        return BackupSession::BadInput;
    }
    return -1;
}

// The backend without a window: its own link to the gateway's command port.
struct HeadlessSession
{
    explicit HeadlessSession(const QString &host)
    {
        session.setBridge(&bridge);
        session.setHost(host);
    }
    TcpBridge bridge;
    BackupSession session;
};

// Runs the session until it finishes, echoing its progress to `err`.
int runSession(BackupSession &session, QTextStream &err)
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
                         err << message << (message.endsWith(QLatin1Char('\n')) ? "" : "\n");
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
    const QCommandLineOption outputOption(QStringLiteral("o"), QStringLiteral("Backup file"),
                                          QStringLiteral("FILE"));
    const QCommandLineOption passwordsOption(QStringLiteral("with-passwords"),
                                             QStringLiteral("Include the passwords"));
    parser.addOption(outputOption);
    parser.addOption(passwordsOption);
    if (const int status = parse(parser, args, 0, out, err, backupUsage); status >= 0)
        return status;
    if (parser.value(outputOption).isEmpty()) {
        err << "Usage:\n" << backupUsage;
        return BackupSession::BadInput;
    }

    HeadlessSession headless(parser.value(gatewayOption));
    BackupSession &session = headless.session;
    QMetaObject::invokeMethod(
        &session,
        [&] { session.saveBackup(parser.value(outputOption), parser.isSet(passwordsOption)); },
        Qt::QueuedConnection);
    return runSession(session, err);
}

int runRestoreCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    const QCommandLineOption dryRunOption(QStringLiteral("dry-run"),
                                          QStringLiteral("Print the difference only"));
    const QCommandLineOption keepOption(QStringLiteral("keep-identity"),
                                        QStringLiteral("Keep the file's topics and static IP"));
    parser.addOption(dryRunOption);
    parser.addOption(keepOption);
    if (const int status = parse(parser, args, 1, out, err, restoreUsage); status >= 0)
        return status;

    HeadlessSession headless(parser.value(gatewayOption));
    BackupSession &session = headless.session;
    session.setKeepFileIdentity(parser.isSet(keepOption));
    const bool dryRun = parser.isSet(dryRunOption);
    QObject::connect(&session, &BackupSession::planReady, &session, [&] {
        const QStringList lines = session.plan().describe();
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
