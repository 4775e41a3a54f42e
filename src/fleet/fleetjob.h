#pragma once

#include "fleettask.h"

#include <QObject>
#include <QPointer>

class GatewayLink;

// One gateway's part of a fleet run, over a link that is up: read it, then
// write its backup, compare it with the reference, clone the reference into
// it, or restart it. Ends once with finished(); the result says what the
// gateway acknowledged and nothing more.
class FleetJob : public QObject
{
    Q_OBJECT

public:
    FleetJob(const FleetTask &task, const FleetResult &result, GatewayLink *link,
             QObject *parent = nullptr);

    void start();
    const FleetResult &result() const { return m_result; }

signals:
    void statusChanged();
    void finished();

private:
    bool isCloud() const;
    void setStatus(FleetResult::Status status, const QString &detail = QString());
    void onRead(const GatewayBackup &current);
    void writeBackup(GatewayBackup backup);
    void restart();
    void finish(FleetResult::Status status, const QString &detail);

    const FleetTask &m_task;
    FleetResult m_result;
    QPointer<GatewayLink> m_link;
};
