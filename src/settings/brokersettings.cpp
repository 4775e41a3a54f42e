#include "brokersettings.h"

#include "mqttclient.h"

std::optional<quint16> BrokerSettings::portNumber() const
{
    bool ok = false;
    const uint number = port.trimmed().toUInt(&ok, 10);
    if (!ok || number == 0 || number > 65535)
        return std::nullopt;
    return quint16(number);
}

bool BrokerSettings::applyTo(QMQTT::Client &client) const
{
    const std::optional<quint16> number = portNumber();
    if (!number || host.trimmed().isEmpty())
        return false;
    client.setHostName(host.trimmed());
    client.setPort(*number);
    client.setUsername(user);
    client.setPassword(password.toUtf8());
    client.setTls(tls);
    return true;
}
