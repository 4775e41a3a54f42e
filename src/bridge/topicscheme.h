#pragma once

#include <QString>
#include <QStringList>

// The topics a gateway and the tool exchange through the broker:
// "Kestrelvane/<device id>/<suffix>".
namespace TopicScheme {

QString configTopic(const QString &deviceId);
QString subTopic(const QString &deviceId);
QString responseTopic(const QString &deviceId);

// The five topics the gateway publishes on, in the order they are subscribed.
QStringList gatewayTopics(const QString &deviceId);

// The device identifier of a topic of the scheme, or a null string.
QString deviceIdFromTopic(const QString &topic);

// An identifier holding "+", "#" or "/" would make an invalid topic name or,
// worse, a filter matching other gateways' traffic.
bool isUsableDeviceId(const QString &deviceId);

} // namespace TopicScheme

namespace TopicScheme {

// Where a received message goes, by the words its topic holds. Several may
// apply; a device id holding one of the words routes its messages there too.
struct Route
{
    bool networkLog = false; // "network"
    bool portData = false;   // "port1" or "port2": logged, then read as a write result
    bool errorsLog = false;  // "errors"
    bool reply = false;      // "response"
};

Route routeOf(const QString &topic);

} // namespace TopicScheme
