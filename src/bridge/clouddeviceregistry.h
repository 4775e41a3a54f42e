#pragma once

#include "brokersettings.h"
#include "reportedmqttsettings.h"

#include <QStringList>

// The cloud devices the tool knows: their identifiers, kept in the settings
// file, and the broker settings of the one selected last. Gateways are
// learned in direct mode, when a "GETALL" reply carries complete MQTT
// settings and a port-1 topic of the topic scheme.
class CloudDeviceRegistry
{
public:
    // Reads the known identifiers from the settings file.
    void load();

    const QStringList &deviceIds() const { return m_deviceIds; }

    // Adds an identifier, spaces removed, unless it is empty or known; true
    // when the list changed (and was written). Identifiers another copy of
    // the tool stored in the meantime are taken in as well.
    bool addDeviceId(const QString &deviceId);

    struct Registration
    {
        bool complete = false;      // the settings were complete enough to act on
        bool deviceIdAdded = false; // the gateway's identifier was new
    };
    // Stores the reported broker settings under the identifier taken from
    // the port-1 topic.
    Registration registerReported(const ReportedMqttSettings &reported);

    // Selects a device and loads its broker settings; true when all four are
    // present.
    bool select(const QString &deviceId);

    const QString &selectedDeviceId() const { return m_selectedDeviceId; }
    const BrokerSettings &broker() const { return m_broker; }

private:
    QStringList m_deviceIds;
    QString m_selectedDeviceId;
    BrokerSettings m_broker;
};
