#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// The command-line uses of backup and restore, run without a window inside
// an existing QCoreApplication. `args` are the words after the subcommand's
// name. Progress goes to `err`, results (the difference) to `out`. They
// return the exit status: 0 done, 1 the gateway refused or did not answer,
// 2 bad usage or a bad file.
int runBackupCommand(const QStringList &args, QTextStream &out, QTextStream &err);
int runRestoreCommand(const QStringList &args, QTextStream &out, QTextStream &err);

// The usage of both subcommands, for the program's --help.
QString fleetCommandsHelp();
