#pragma once

#include "gatewaybackup.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

// The difference between a backup and the gateway it is restored into, as
// lines the operator can tick off before anything is sent: settings old to
// new, then devices to change, add and delete. Devices are compared by their
// position in the list, which is how the gateway addresses them.
//
// Identity: "deviceId" and "mqttClientId" are never written. When the file
// comes from another gateway, topic levels that hold the file's identifier
// get the connected gateway's instead and "staticIP" starts unticked, unless
// the operator keeps the file's identity (a replacement unit). Passwords the
// file leaves out, and empty values, are not touched.
class RestorePlan
{
public:
    enum class Kind { Setting, DeviceChange, DeviceAdd, DeviceDelete };

    struct Line
    {
        Kind kind = Kind::Setting;
        QString key;      // the setting's key; empty for a device
        int position = 0; // the device's position in the gateway's list
        QString oldValue; // as shown: a device as one line of text
        QString newValue;
        QString command;
        bool ticked = true;
        bool secret = false;
        QString note;
    };

    RestorePlan() = default;
    // `current` is the connected gateway as read just now (passwords in).
    static RestorePlan build(const GatewayBackup &file, const GatewayBackup &current,
                             bool keepFileIdentity, bool withSettings = true);

    const QList<Line> &lines() const { return m_lines; }
    bool fromAnotherGateway() const { return m_fromAnotherGateway; }
    bool isEmpty() const { return m_lines.isEmpty(); }
    void setTicked(int index, bool ticked);

    // The ticked lines in the order they are sent: settings, changed devices,
    // added devices, deleted devices from the end of the list (so each
    // deletion leaves the positions of the next ones as they were).
    QList<Line> tickedLines() const;

    // One line of text per line of the plan, passwords hidden.
    static QString describe(const Line &line);
    QStringList describe() const;
    // For the page: one map per line with the same fields.
    QVariantList toVariantList() const;

    // "1,1,10,0103...,Name": the fields of rs485add (rs485mod after its index).
    static QString deviceFields(const QVariantMap &device);
    static QString deviceText(const QVariantMap &device);

private:
    QList<Line> m_lines;
    bool m_fromAnotherGateway = false;
};
