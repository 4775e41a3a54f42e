#pragma once

#include "backupsession.h"

#include <QtQml/qqml.h>

// The backup page's types, for every engine that loads the pages.
inline void registerFleetQmlTypes()
{
    qmlRegisterType<BackupSession>("Kestrelvane.Backup", 1, 0, "BackupSession");
}
