#pragma once

#include "brokersettings.h"

#include <QString>

#include <optional>

// A broker as a shell user names it: "mqtt://USER@HOST[:PORT]", or
// "mqtts://..." for TLS. The password never stands in the address, where it
// would end up in the shell's history and in the process list: it comes
// from the environment or from a file only its owner can read.
struct BrokerAddress
{
    static constexpr quint16 plainPort = 1883;
    static constexpr quint16 tlsPort = 8883;

    QString host;
    quint16 port = plainPort;
    QString user;
    bool tls = false;

    struct ParseResult;
    static ParseResult parse(const QString &text);

    // The password from a file: its first line, the line break dropped. A
    // file that others can read is refused, as ssh refuses such a key.
    struct PasswordResult
    {
        std::optional<QString> password;
        QString error;
    };
    static PasswordResult readPasswordFile(const QString &path);

    BrokerSettings settings(const QString &password) const;
};

struct BrokerAddress::ParseResult
{
    std::optional<BrokerAddress> address;
    QString error;
};
