#include "reportedmqttsettings.h"

ReportedMqttSettings ReportedMqttSettings::takeFrom(QVariantMap &dataMap)
{
    // Looked up before inserting, so a map shared with the pages is not
    // copied on every read of the monitor stream.
    const auto take = [&](const char *key) {
        const QString name = QLatin1String(key);
        const auto it = dataMap.constFind(name);
        if (it != dataMap.constEnd())
            return it->toString();
        dataMap.insert(name, QString());
        return QString();
    };
    ReportedMqttSettings settings;
    settings.server = take("mqttServer");
    settings.port = take("mqttPort");
    settings.clientId = take("mqttClientId");
    settings.user = take("mqttUser");
    settings.password = take("mqttPass");
    settings.topicIn = take("mqttTopicIn");
    settings.topicOut = take("mqttTopicOut");
    settings.port1Topic = take("port1Topic");
    return settings;
}
