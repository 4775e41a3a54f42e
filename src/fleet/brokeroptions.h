#pragma once

#include "brokeraddress.h"
#include "brokersettings.h"

#include <QCommandLineOption>
#include <QString>

#include <optional>

class QCommandLineParser;

// How a shell user names the broker of gateways reached through one: an
// address (--broker, or an inventory's broker column), the password from
// the environment or an owner-only file, never from the command line, and
// the files TLS may need. A gateway with no broker named gets the one a
// direct visit stored for its device id, TLS settings included.
class BrokerOptions
{
public:
    BrokerOptions();

    void addTo(QCommandLineParser &parser) const;
    // Reads the options once; false, with `problem` set, when one is bad.
    bool read(const QCommandLineParser &parser, QString *problem);
    bool isSet(const QCommandLineParser &parser) const;

    // The broker of `address` (empty: --broker, else the stored one for
    // `deviceId`); empty, with `problem` set, when none can be had.
    std::optional<BrokerSettings> settingsFor(const QString &address, const QString &deviceId,
                                              QString *problem) const;

    static QString help();

private:
    QCommandLineOption m_broker;
    QCommandLineOption m_passwordFile;
    QCommandLineOption m_caFile;
    QCommandLineOption m_certFile;
    QCommandLineOption m_keyFile;

    QString m_address;
    std::optional<QString> m_password;
    QString m_passwordProblem;
    QMQTT::TlsOptions m_tlsFiles;
};
