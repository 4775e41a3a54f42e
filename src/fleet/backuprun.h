#pragma once

#include "gatewaybackup.h"

#include <QObject>
#include <QPointer>

class CommandReply;
class GatewayLink;

// Reads what a backup holds from a gateway: "GETALL", then "GET rs485list"
// (through the broker the device list alone), each read from the lines of
// its own reply.
class BackupRun : public QObject
{
    Q_OBJECT

public:
    explicit BackupRun(GatewayLink *link, QObject *parent = nullptr);

    // Through the broker: the device list of this gateway alone.
    void setCloudDeviceId(const QString &deviceId) { m_cloudDeviceId = deviceId; }
    void setReplyTimeout(int ms) { m_replyMs = ms; }

    void start();
    // The gateway as read, passwords included.
    const GatewayBackup &result() const { return m_result; }

signals:
    void progress(const QString &text);
    void finished(bool ok, const QString &error);

private:
    void read(const QString &command);
    void onSettings(CommandReply *reply);
    void onDevices(CommandReply *reply);
    QString failure(const CommandReply *reply) const;

    QPointer<GatewayLink> m_link;
    QString m_cloudDeviceId;
    int m_replyMs = 10000;
    QVariantMap m_settings;
    GatewayBackup m_result;
};
