#include "topicscheme.h"

#include <QRegularExpression>

namespace TopicScheme {
namespace {

QString topic(const QString &deviceId, QLatin1String suffix)
{
    return QLatin1String("Kestrelvane/") + deviceId + suffix;
}

} // namespace

QString configTopic(const QString &deviceId)
{
    return topic(deviceId, QLatin1String("/config"));
}

QString subTopic(const QString &deviceId)
{
    return topic(deviceId, QLatin1String("/sub"));
}

QString responseTopic(const QString &deviceId)
{
    return topic(deviceId, QLatin1String("/response"));
}

QStringList gatewayTopics(const QString &deviceId)
{
    return {topic(deviceId, QLatin1String("/pub/port1")),
            topic(deviceId, QLatin1String("/pub/port2")), responseTopic(deviceId),
            topic(deviceId, QLatin1String("/errors")), topic(deviceId, QLatin1String("/network"))};
}

QString deviceIdFromTopic(const QString &topic)
{
    static const QRegularExpression pattern(QStringLiteral("^Kestrelvane/([^/]+)/"));
    const QRegularExpressionMatch match = pattern.match(topic);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool isUsableDeviceId(const QString &deviceId)
{
    return !deviceId.contains(QLatin1Char('+')) && !deviceId.contains(QLatin1Char('#'))
           && !deviceId.contains(QLatin1Char('/'));
}

} // namespace TopicScheme

namespace TopicScheme {

Route routeOf(const QString &topic)
{
    Route route;
    route.networkLog = topic.contains(QLatin1String("network"));
    route.portData =
        topic.contains(QLatin1String("port1")) || topic.contains(QLatin1String("port2"));
    route.errorsLog = topic.contains(QLatin1String("errors"));
    route.reply = topic.contains(QLatin1String("response"));
    return route;
}

} // namespace TopicScheme
