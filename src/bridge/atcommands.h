#pragma once

#include "reportedmqttsettings.h"

#include <QString>

// The cellular modem's MQTT AT commands, composed from the settings the
// gateway reported. A null string means a value the command needs is missing
// and nothing should be sent.
namespace AtCommands {

QString openMqtt(const ReportedMqttSettings &reported);
QString connectMqtt(const ReportedMqttSettings &reported);
QString subscribeReceive(const ReportedMqttSettings &reported);
QString unsubscribeReceive(const ReportedMqttSettings &reported);
QString subscribeCommand(const ReportedMqttSettings &reported);
QString publishToCommandTopic(const ReportedMqttSettings &reported);
QString unsubscribeCommand(const ReportedMqttSettings &reported);
QString disconnectMqtt();
QString closeMqtt();

} // namespace AtCommands
