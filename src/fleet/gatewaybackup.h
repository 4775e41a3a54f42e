#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <optional>

// One gateway's configuration as a file: who it was (device id and MQTT
// client id), every setting it reported and its RS-485 device records. Read
// back, a file is checked against what the pages would accept, so a restore
// never sends a value that no operator could have typed.
struct GatewayBackup
{
    static constexpr int schemaVersion = 1;

    QString toolVersion;
    QDateTime time;
    QString deviceId;
    QString mqttClientId;
    QMap<QString, QString> settings;
    QVariantList devices; // device records: name, port, autoCRC, poll, cmdHex

    // The gateway as read from its "GETALL" and "GET rs485list" replies;
    // the passwords only when asked for.
    static GatewayBackup fromGateway(const QVariantMap &dataMap, const QVariantList &devices,
                                     bool withPasswords);

    // The same backup without the passwords, as one not asked to keep them.
    GatewayBackup withoutPasswords() const;

    QByteArray toJson() const;
    // Atomically (a crash leaves the old file or the new one, never half of
    // it) and readable by the owner only, since it may hold passwords.
    bool write(const QString &path, QString *error) const;

    struct ReadResult;
    static ReadResult fromJson(const QByteArray &json);
    static ReadResult readFile(const QString &path);
};

struct GatewayBackup::ReadResult
{
    std::optional<GatewayBackup> backup;
    QString error; // names the key and the value at fault
};
