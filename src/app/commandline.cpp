#include "commandline.h"

#include "fleetcli.h"
#include "fleetcommands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>

namespace {

const QString programName = QStringLiteral("kestrelvane-config");

bool isHelpOption(const QString &arg)
{
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

bool isSubcommand(const QString &arg)
{
    return arg == QLatin1String("backup") || arg == QLatin1String("restore")
           || arg == QLatin1String("fleet");
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
              "Commands (no window, no display needed):\n"
           << fleetCommandsHelp() << fleetCommandHelp();
}

} // namespace

bool isCommandLineUse(int argc, char **argv)
{
    if (argc < 2)
        return false;
    const QString first = QString::fromLocal8Bit(argv[1]);
    if (isSubcommand(first))
        return true;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (isHelpOption(arg) || arg == QLatin1String("--version"))
            return true;
    }
    return false;
}

int runCommandLine(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(KV_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runCommand(QCoreApplication::arguments().mid(1), out, err);
}

int runCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString command = args.value(0);
    // A subcommand reads its own options, --help among them.
    if (command == QLatin1String("backup"))
        return runBackupCommand(args.mid(1), out, err);
    if (command == QLatin1String("restore"))
        return runRestoreCommand(args.mid(1), out, err);
    if (command == QLatin1String("fleet"))
        return runFleetCommand(args.mid(1), out, err);
    if (std::any_of(args.cbegin(), args.cend(), isHelpOption)) {
        printUsage(out);
        return 0;
    }
    if (args.contains(QLatin1String("--version"))) {
        out << programName << ' ' << QCoreApplication::applicationVersion() << '\n';
        return 0;
    }
    err << programName << ": unknown command '" << command << "'\n";
    printUsage(err);
    return 2;
}
