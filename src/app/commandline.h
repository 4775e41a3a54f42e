#pragma once

#include <QStringList>

class QTextStream;

// The tool's command-line uses: printing the version or the usage, and the
// subcommands a technician scripts (backup, restore). They run without a
// window and need no display.

// True when the arguments (argv[0] is the program) ask for a command-line
// use rather than the window.
bool isCommandLineUse(int argc, char **argv);

// Runs a command-line use on a QCoreApplication and returns the process's
// exit status: 0 success, 1 the gateway refused or did not answer, 2 bad
// usage or a bad file.
int runCommandLine(int &argc, char **argv);

// The dispatch on the arguments that follow the program's name.
int runCommand(const QStringList &args, QTextStream &out, QTextStream &err);
