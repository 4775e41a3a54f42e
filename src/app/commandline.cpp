#include "commandline.h"

#include "fleetcli.h"
#include "fleetcommands.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

const QString programName = QStringLiteral("kestrelvane-config");

// The toolkit's own options, which the window path takes (-style Fusion,
// --platform xcb) and which therefore never make a command-line use. Those
// listed with a value take the next word as it.
const char *const toolkitOptionsWithValue[] = {"platform",
                                               "platformpluginpath",
                                               "platformtheme",
                                               "plugin",
                                               "qwindowgeometry",
                                               "qwindowtitle",
                                               "qwindowicon",
                                               "display",
                                               "geometry",
                                               "style",
                                               "stylesheet",
                                               "session",
                                               "name",
                                               "title",
                                               "icon",
                                               "qmljsdebugger"};
const char *const toolkitFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

// How many words a toolkit option starting at `arg` spans: 0 when it is none.
int toolkitOptionLength(const QString &arg)
{
    if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")
        || arg == QLatin1String("--"))
        return 0;
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const bool inlineValue = name.contains(QLatin1Char('='));
    name = name.section(QLatin1Char('='), 0, 0);
    for (const char *option : toolkitOptionsWithValue)
        if (name == QLatin1String(option))
            return inlineValue ? 1 : 2;
    for (const char *flag : toolkitFlags)
        if (name == QLatin1String(flag) && !inlineValue)
            return 1;
    return 0;
}

// The arguments without the toolkit options in front of the first word of
// our own.
QStringList withoutLeadingToolkitOptions(QStringList args)
{
    while (!args.isEmpty()) {
        const int length = toolkitOptionLength(args.first());
        if (length == 0)
            break;
        args.remove(0, std::min<int>(length, args.size()));
    }
    return args;
}

void printUsage(QTextStream &stream)
{
    stream << "Usage: " << programName << " [--version | --help]\n"
           << "       " << programName << " backup|restore|fleet ...\n"
           << "\n"
              "Without arguments, opens the Industrial 4G Gateway Configuration Tool window.\n"
              "\n"
              "Options:\n"
              "  -h, --help         print this help and exit\n"
              "  --version          print the version and exit\n"
              "\n"
              "Commands (no window, no display needed; COMMAND --help for one):\n"
           << fleetCommandsHelp() << fleetCommandHelp();
}

int badUsage(QTextStream &err, const QString &problem)
{
    err << programName << ": " << problem << "\n"
        << "Try '" << programName << " --help' for more information.\n";
    return 2;
}

} // namespace

bool isCommandLineUse(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return !withoutLeadingToolkitOptions(args).isEmpty();
}

int runCommandLine(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(KV_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runCommand(QCoreApplication::arguments().mid(1), out, err);
}

int runCommand(const QStringList &allArgs, QTextStream &out, QTextStream &err)
{
    const QStringList args = withoutLeadingToolkitOptions(allArgs);
    const QString command = args.value(0);
    // A subcommand reads its own options, --help among them.
    if (command == QLatin1String("backup"))
        return runBackupCommand(args.mid(1), out, err);
    if (command == QLatin1String("restore"))
        return runRestoreCommand(args.mid(1), out, err);
    if (command == QLatin1String("fleet"))
        return runFleetCommand(args.mid(1), out, err);
    const bool help = command == QLatin1String("--help") || command == QLatin1String("-h");
    if (!help && command != QLatin1String("--version"))
        return badUsage(err,
                        QStringLiteral("unknown %1 '%2'")
                            .arg(command.startsWith(QLatin1Char('-')) ? QStringLiteral("option")
                                                                      : QStringLiteral("command"),
                                 command));
    if (args.size() > 1)
        return badUsage(
            err, QStringLiteral("unexpected argument '%1' after %2").arg(args.at(1), command));
    if (help)
        printUsage(out);
    else
        out << programName << ' ' << QCoreApplication::applicationVersion() << '\n';
    return 0;
}
