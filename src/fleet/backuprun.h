#pragma once

#include "gatewaybackup.h"

#include <QObject>
#include <QTimer>

class TcpBridge;

// Reads what a backup holds from the connected gateway: "GETALL", then
// "GET rs485list" (in cloud mode the device list alone, through the broker).
// The gateway marks no end of a reply, so a read counts as complete once no
// further line has come for a moment.
class BackupRun : public QObject
{
    Q_OBJECT

public:
    explicit BackupRun(TcpBridge *bridge, QObject *parent = nullptr);

    // Cloud mode when set: the device list of this gateway, via the broker.
    void setCloudDeviceId(const QString &deviceId) { m_cloudDeviceId = deviceId; }
    void setTimeouts(int replyMs, int settleMs);

    void start();
    // The gateway as read, passwords included.
    const GatewayBackup &result() const { return m_result; }

signals:
    void progress(const QString &text);
    void finished(bool ok, const QString &error);

private:
    enum class Stage { Idle, Settings, Devices };

    void send(Stage stage);
    void onReadArrived();
    void onSettled();
    void fail(const QString &error);
    void finish(bool ok, const QString &error);

    TcpBridge *m_bridge;
    QString m_cloudDeviceId;
    Stage m_stage = Stage::Idle;
    QTimer m_watchdog;
    QTimer m_settle;
    GatewayBackup m_result;
    QList<QMetaObject::Connection> m_connections;
};
