#pragma once

#include "commandreply.h"
#include "gatewaybackup.h"

#include <QObject>
#include <QPointer>

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
    // How the read that failed ended (Answered: the answer was unusable).
    CommandReply::State failedState() const { return m_failedState; }

signals:
    void progress(const QString &text);
    void finished(bool ok, const QString &error);

private:
    void read(const QString &command);
    void onSettings(CommandReply *reply);
    void onDevices(CommandReply *reply);
    QString failure(const CommandReply *reply) const;
    void fail(CommandReply::State state, const QString &error);

    QPointer<GatewayLink> m_link;
    QString m_cloudDeviceId;
    int m_replyMs = 10000;
    QVariantMap m_settings;
    GatewayBackup m_result;
    CommandReply::State m_failedState = CommandReply::State::Pending;
};
