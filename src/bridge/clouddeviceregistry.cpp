#include "clouddeviceregistry.h"

#include "settingsstore.h"
#include "topicscheme.h"

#include <QDebug>

void CloudDeviceRegistry::load()
{
    m_deviceIds = SettingsStore::readDeviceIds();
}

bool CloudDeviceRegistry::addDeviceId(const QString &deviceId)
{
    const QString id = deviceId.trimmed().remove(QLatin1Char(' '));
    if (id.isEmpty() || m_deviceIds.contains(id))
        return false;
    m_deviceIds.append(id);
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
    qDebug().noquote() << " sevrver  : " << deviceId << m_broker.host << m_broker.port
                       << m_broker.user << (m_broker.password.isEmpty() ? "" : "********");
    if (!m_broker.isComplete())
        return false;
    qDebug().noquote() << " sevrver is not empty ";
    return true;
}
