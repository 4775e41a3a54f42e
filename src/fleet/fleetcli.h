#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// "kestrelvane-config fleet ACTION ...": a task run on every gateway of an
// inventory file, without a window. `args` are the words after "fleet".
// One result per gateway goes to `out` as it ends, progress to `err`. The
// exit status: 0 every gateway done, 1 one or more failed, 2 bad usage or a
// bad file, 3 a check found gateways that differ from the reference.
int runFleetCommand(const QStringList &args, QTextStream &out, QTextStream &err);

QString fleetCommandHelp();
