#pragma once

#include "fleetinventory.h"
#include "gatewaybackup.h"

#include <QString>
#include <QStringList>

// What a fleet run does to every gateway of its inventory.
struct FleetTask
{
    enum class Action { Backup, Check, Restore, Restart };

    Action action = Action::Backup;
    GatewayBackup reference; // Check and Restore: the file compared with or cloned
    QString outDir;          // Backup: one file per gateway, named by its device id
    bool withPasswords = false;
    bool dryRun = false; // Restore: read and compare, write nothing
    int replyMs = 10000; // a read or the restart may wait this long for its answer
    int stepMs = 15000;  // each write of a restore
};

// What became of one gateway, as the page shows it and the report lists it.
struct FleetResult
{
    enum class Status {
        Queued,
        Connecting,
        Reading,
        Writing,
        Done,
        Differs, // Check: the gateway is not as the reference
        Refused,
        NoAnswer,
        LinkLost,
        NotDone, // the run was stopped before the gateway finished
        Failed,  // no broker known, a file not written
    };

    FleetInventory::Gateway gateway;
    Status status = Status::Queued;
    QString deviceId; // as the gateway reported it, or the inventory's
    QString detail;
    QStringList differences;
    QString file;

    bool isFinished() const { return status >= Status::Done; }
    static QString statusText(Status status);
};
