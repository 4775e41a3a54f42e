#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// What one payload on a gateway's response topic means. Cloud mode has no
// pending command, so the payload is read by its content alone.
struct CloudReply
{
    bool isDeviceList = false;
    QVariantList devices; // the records of a list reply, in order
    // The list's count line announces more devices than the payload holds.
    bool listIncomplete = false;
    bool deviceAdded = false;
    bool deviceModified = false;
    bool deviceDeleted = false;
    bool saveCompleted = false;
    QStringList startStopStatuses; // "stopped", "started", "restarting", in that order

    static CloudReply read(const QString &text);
};

// The outcome of a register write reported on a port topic: "written" for
// {"write":"OK"}, "failed" for {"write":"FAIL"}, a null string otherwise.
QString registerWriteOutcome(const QString &payload);
