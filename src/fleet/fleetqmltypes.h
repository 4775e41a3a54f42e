#pragma once

#include "backupsession.h"
#include "pagerules.h"

#include <QtQml/qqml.h>

// The types the pages import beside tcpClient, for every engine that loads
// them: the backup page's session and the value rules the forms share with
// a restore.
inline void registerFleetQmlTypes()
{
    qmlRegisterType<BackupSession>("Kestrelvane.Backup", 1, 0, "BackupSession");
    qmlRegisterSingletonType<PageRules>(
        "Kestrelvane.Rules", 1, 0, "GatewayRules",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new PageRules; });
}
