#pragma once

#include "brokersettings.h"

#include <QStringList>

// The one local INI file: the known cloud device identifiers and, per
// identifier, the broker settings learned from the gateway in direct mode.
// Every access opens and closes its own QSettings, so nothing stays open and
// a folder removed while the program runs is made again on the next access.
namespace SettingsStore {

// Creates the folder when it is missing. On Windows the file lives in
// "C:/Kestrelvane_configTool"; elsewhere in a folder of that name under the
// user's configuration location, since a literal "C:/" would be a relative
// folder named "C:" there.
QString settingsFilePath();

QStringList readDeviceIds();
void writeDeviceIds(const QStringList &deviceIds);

// TLS is on when the entry says "mqttTls=true", or when it does not say
// and the port is the MQTT-over-TLS port; an entry written before TLS
// existed reads as it always did.
BrokerSettings readBrokerSettings(const QString &deviceId);
// Writes what the gateway reports (host, port, user, password) and leaves
// the entry's TLS keys alone.
void writeBrokerSettings(const QString &deviceId, const BrokerSettings &settings);
// Writes the TLS keys of an entry: "mqttTls", "mqttCaFile", "mqttCertFile",
// "mqttKeyFile".
void writeBrokerTls(const QString &deviceId, const QMQTT::TlsOptions &tls);

} // namespace SettingsStore
