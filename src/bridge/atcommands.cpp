#include "atcommands.h"

// The leading 0 is the modem's MQTT client index, the 1 after it the packet
// identifier; subscriptions ask for QoS 1, publishing is QoS 1 without retain.
// Values are substituted in one pass, so a "%2" inside a reported value is
// kept as it is instead of being taken for the next placeholder.
namespace AtCommands {
namespace {

QString subscribeText(const QString &topic)
{
    return topic.isEmpty() ? QString() : QStringLiteral("AT+QMTSUB=0,1,\"%1\",1").arg(topic);
}

QString unsubscribeText(const QString &topic)
{
    return topic.isEmpty() ? QString() : QStringLiteral("AT+QMTUNS=0,1,\"%1\"").arg(topic);
}

} // namespace

QString openMqtt(const ReportedMqttSettings &reported)
{
    if (reported.server.isEmpty() || reported.port.isEmpty())
        return {};
    return QStringLiteral("AT+QMTOPEN=0,\"%1\",%2").arg(reported.server, reported.port);
}

// The modem always connects as "device1"; the reported client identifier only
// has to be present.
QString connectMqtt(const ReportedMqttSettings &reported)
{
    if (reported.user.isEmpty() || reported.clientId.isEmpty() || reported.password.isEmpty())
        return {};
    return QStringLiteral("AT+QMTCONN=0,\"%1\",\"%2\",\"%3\"")
        .arg(QStringLiteral("device1"), reported.user, reported.password);
}

QString subscribeReceive(const ReportedMqttSettings &reported)
{
    return subscribeText(reported.topicOut);
}

QString unsubscribeReceive(const ReportedMqttSettings &reported)
{
    return unsubscribeText(reported.topicOut);
}

QString subscribeCommand(const ReportedMqttSettings &reported)
{
    return subscribeText(reported.topicIn);
}

QString publishToCommandTopic(const ReportedMqttSettings &reported)
{
    if (reported.topicIn.isEmpty())
        return {};
    return QStringLiteral("AT+QMTPUB=0,1,1,0,\"%1\"").arg(reported.topicIn);
}

QString unsubscribeCommand(const ReportedMqttSettings &reported)
{
    return unsubscribeText(reported.topicIn);
}

QString disconnectMqtt()
{
    return QStringLiteral("AT+QMTDISC=0");
}

QString closeMqtt()
{
    return QStringLiteral("AT+QMTCLOSE=0");
}

} // namespace AtCommands
