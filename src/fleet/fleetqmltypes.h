#pragma once

#include "backupsession.h"
#include "changesequence.h"
#include "fleetsession.h"
#include "pagerules.h"

#include <QtQml/qqml.h>

// The types the pages import beside tcpClient, for every engine that loads
// them: the backup page's session, the fleet page's gateways, the change
// sequence of the settings and device pages, and the value rules the forms share with
// a restore.
inline void registerFleetQmlTypes()
{
    qmlRegisterType<BackupSession>("Kestrelvane.Backup", 1, 0, "BackupSession");
    qmlRegisterType<FleetSession>("Kestrelvane.Fleet", 1, 0, "FleetSession");
    qmlRegisterType<ChangeSequence>("Kestrelvane.Link", 1, 0, "ChangeSequence");
    qmlRegisterSingletonType<PageRules>(
        "Kestrelvane.Rules", 1, 0, "GatewayRules",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new PageRules; });
}
