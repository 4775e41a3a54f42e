#include "clouddeviceregistry.h"

#include "bridgelogging.h"
#include "settingsstore.h"
#include "topicscheme.h"

#include <QDebug>

namespace {

QString normalisedDeviceId(const QString &deviceId)
{
    return deviceId.trimmed().remove(QLatin1Char(' '));
}

// The file may have been edited by hand or cut short: the list the tool
// works with never holds an empty entry, a space or the same identifier twice.
void appendKnown(QStringList &into, const QStringList &ids)
{
    for (const QString &entry : ids) {
        const QString id = normalisedDeviceId(entry);
        if (!id.isEmpty() && !into.contains(id))
            into.append(id);
    }
}

} // namespace

void CloudDeviceRegistry::load()
{
    m_deviceIds.clear();
    appendKnown(m_deviceIds, SettingsStore::readDeviceIds());
}

bool CloudDeviceRegistry::addDeviceId(const QString &deviceId)
{
    const QString id = normalisedDeviceId(deviceId);
    if (id.isEmpty() || m_deviceIds.contains(id))
        return false;
    // The list is written whole. A second copy of the tool sharing the file
    // may have added identifiers since this one read it; taking the stored
    // list first keeps those instead of overwriting them with ours.
    QStringList merged;
    appendKnown(merged, SettingsStore::readDeviceIds());
    appendKnown(merged, m_deviceIds);
    appendKnown(merged, {id});
    m_deviceIds = merged;
    SettingsStore::writeDeviceIds(m_deviceIds);
    return true;
}

CloudDeviceRegistry::Registration
CloudDeviceRegistry::registerReported(const ReportedMqttSettings &reported)
{
    Registration registration;
    if (!reported.isCompleteForRegistration())
        return registration;
    registration.complete = true;

    const QString id = TopicScheme::deviceIdFromTopic(reported.port1Topic);
    if (id.isEmpty())
        return registration;
    registration.deviceIdAdded = addDeviceId(id);
    SettingsStore::writeBrokerSettings(
        id, BrokerSettings{reported.server, reported.port, reported.user, reported.password});
    return registration;
}

bool CloudDeviceRegistry::select(const QString &deviceId)
{
    m_selectedDeviceId = deviceId;
    m_broker = SettingsStore::readBrokerSettings(deviceId);
    qCDebug(lcBridge).noquote() << " sevrver  : " << deviceId << m_broker.host << m_broker.port
                                << m_broker.user << (m_broker.password.isEmpty() ? "" : "********");
    if (!m_broker.isComplete())
        return false;
    qCDebug(lcBridge).noquote() << " sevrver is not empty ";
    return true;
}
