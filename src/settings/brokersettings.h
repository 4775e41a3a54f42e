#pragma once

#include <QString>

// Connection settings of the broker a gateway reports to, as stored per
// device identifier. The password is in clear text here; only the settings
// file holds it scrambled.
struct BrokerSettings
{
    QString host;
    QString port;
    QString user;
    QString password;

    bool isComplete() const
    {
        return !host.isEmpty() && !port.isEmpty() && !user.isEmpty() && !password.isEmpty();
    }
    friend bool operator==(const BrokerSettings &a, const BrokerSettings &b)
    {
        return a.host == b.host && a.port == b.port && a.user == b.user && a.password == b.password;
    }
};
