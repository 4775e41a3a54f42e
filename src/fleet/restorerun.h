#pragma once

#include "restoreplan.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

class TcpBridge;

// Writes the ticked lines of a plan: one command at a time, each sent only
// once the gateway acknowledged the one before, then "SAVE". The first
// refusal, silence or lost link stops the run; the report then says which
// steps the gateway acknowledged and which were never sent. Only
// "OK: saved to flash" makes it a success.
class RestoreRun : public QObject
{
    Q_OBJECT

public:
    explicit RestoreRun(TcpBridge *bridge, QObject *parent = nullptr);

    // Cloud mode when set: commands through the broker, acknowledged by the
    // gateway's replies on its response topic.
    void setCloudDeviceId(const QString &deviceId) { m_cloudDeviceId = deviceId; }
    void setStepTimeout(int ms) { m_watchdog.setInterval(ms); }

    void start(const QList<RestorePlan::Line> &lines);

    QStringList applied() const { return m_applied; }

signals:
    void stepStarted(int index, int total, const QString &text);
    void finished(bool ok, const QString &report);

private:
    struct Step
    {
        QString command;
        QString text;
    };

    void sendCurrent();
    void onReply(const QString &line);
    void advance();
    void fail(const QString &why);
    void finish(bool ok, const QString &report);
    QString failureReport(const QString &why) const;
    QStringList notSent() const;
    bool isSaveStep() const { return m_index == m_steps.size() - 1; }

    TcpBridge *m_bridge;
    QString m_cloudDeviceId;
    QList<Step> m_steps;
    qsizetype m_index = -1;
    bool m_acknowledged = false;
    QTimer m_watchdog;
    QStringList m_applied;
    QList<QMetaObject::Connection> m_connections;
};
