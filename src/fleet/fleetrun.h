#pragma once

#include "brokersettings.h"
#include "fleettask.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>

#include <functional>
#include <optional>

class BrokerHub;
class DirectConnection;
class FleetJob;
class GatewayLink;

// Runs one task on many gateways, at most `jobs` conversations at a time.
// Gateways behind the same broker share one connection to it; each gateway
// on the LAN gets a connection of its own. One gateway's refusal, silence or
// lost link ends its own row and no other.
class FleetRun : public QObject
{
    Q_OBJECT

public:
    // The broker of a gateway reached through one, or an error saying why
    // none is known.
    using BrokerLookup =
        std::function<std::optional<BrokerSettings>(const FleetInventory::Gateway &, QString *)>;

    explicit FleetRun(QObject *parent = nullptr);
    ~FleetRun() override;

    void setJobs(int jobs) { m_jobs = qMax(1, jobs); }
    void setBrokerLookup(BrokerLookup lookup) { m_brokerLookup = std::move(lookup); }
    void setConnectTimeout(int ms) { m_connectMs = ms; }

    void start(const QList<FleetInventory::Gateway> &gateways, const FleetTask &task);
    // Sends nothing more: gateways not started are not done, and those in
    // flight end as their link is cut, with what went through.
    void stop();
    bool isRunning() const { return m_running; }

    const QList<FleetResult> &results() const { return m_results; }
    // Commands that left for a gateway, through a broker or over the LAN.
    qint64 messagesSent() const;

signals:
    void resultChanged(int index);
    void finished();

private:
    void startNext();
    void launch(int index);
    void openCloud(int index);
    void openDirect(int index);
    void runJob(int index, GatewayLink *link);
    void end(int index, FleetResult::Status status, const QString &detail);
    void onJobFinished(int index, FleetJob *job);
    BrokerHub *hubFor(const BrokerSettings &broker);

    FleetTask m_task;
    QList<FleetResult> m_results;
    int m_next = 0;
    QSet<int> m_inFlight;
    int m_jobs = 16;
    int m_connectMs = 10000;
    bool m_running = false;
    bool m_stopping = false;
    BrokerLookup m_brokerLookup;
    QHash<QString, BrokerHub *> m_hubs;
    QHash<int, DirectConnection *> m_connections;
    QHash<int, GatewayLink *> m_cloudLinks;
    qint64 m_sent = 0; // by connections and hubs that are gone
};
