#include "application.h"
#include "fleetcommands.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationVersion(QStringLiteral(KV_VERSION));
    const QString command = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (command == QLatin1String("backup") || command == QLatin1String("restore")) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        const QStringList args = QCoreApplication::arguments().mid(2);
        return command == QLatin1String("backup") ? runBackupCommand(args, out, err)
                                                  : runRestoreCommand(args, out, err);
    }
    return runApplication(argc, argv);
}
