#pragma once

#include <QString>
#include <QVariantMap>

// The gateway's own MQTT settings as its last "GETALL" reported them. They
// feed the registration of cloud devices and the modem's AT commands.
struct ReportedMqttSettings
{
    QString server;
    QString port;
    QString clientId;
    QString user;
    QString password;
    QString topicIn;
    QString topicOut;
    QString port1Topic;

    // Reads the eight keys from the data map, inserting the absent ones with
    // an empty value so that the pages always find them.
    static ReportedMqttSettings takeFrom(QVariantMap &dataMap);

    bool isCompleteForRegistration() const
    {
        return !server.isEmpty() && !port.isEmpty() && !user.isEmpty() && !password.isEmpty()
               && !port1Topic.isEmpty();
    }
};
