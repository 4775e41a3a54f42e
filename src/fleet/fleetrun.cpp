#include "fleetrun.h"

#include "brokerhub.h"
#include "cloudgatewaylink.h"
#include "directconnection.h"
#include "fleetjob.h"
#include "gatewaylink.h"

FleetRun::FleetRun(QObject *parent)
    : QObject(parent)
{}

FleetRun::~FleetRun() = default;

void FleetRun::start(const QList<FleetInventory::Gateway> &gateways, const FleetTask &task)
{
    if (m_running)
        return;
    m_task = task;
    m_results.clear();
    for (const FleetInventory::Gateway &gateway : gateways) {
        FleetResult result;
        result.gateway = gateway;
        result.deviceId = gateway.deviceId;
        m_results << result;
    }
    m_next = 0;
    m_inFlight.clear();
    m_running = true;
    m_stopping = false;
    startNext();
}

void FleetRun::stop()
{
    if (!m_running || m_stopping)
        return;
    m_stopping = true;
    for (int i = m_next; i < m_results.size(); ++i)
        end(i, FleetResult::Status::NotDone, QStringLiteral("stopped before it started"));
    m_next = int(m_results.size());
    // Cutting the links ends every conversation in flight at once. A reply
    // ends inside the cut, and its row's end takes it out of these maps:
    // they are walked as copies.
    const QList<DirectConnection *> connections = m_connections.values();
    for (DirectConnection *connection : connections)
        connection->close();
    const QList<GatewayLink *> links = m_cloudLinks.values();
    for (GatewayLink *link : links)
        static_cast<CloudGatewayLink *>(link)->sessionChanged(false);
    startNext();
}

qint64 FleetRun::messagesSent() const
{
    qint64 sent = m_sent;
    for (const BrokerHub *hub : m_hubs)
        sent += hub->messagesPublished();
    return sent;
}

void FleetRun::startNext()
{
    while (!m_stopping && m_inFlight.size() < m_jobs && m_next < m_results.size())
        launch(m_next++);
    if (m_running && m_inFlight.isEmpty() && m_next >= m_results.size()) {
        m_running = false;
        for (const BrokerHub *hub : std::as_const(m_hubs))
            m_sent += hub->messagesPublished();
        qDeleteAll(m_hubs);
        m_hubs.clear();
        emit finished();
    }
}

void FleetRun::launch(int index)
{
    m_inFlight.insert(index);
    m_results[index].status = FleetResult::Status::Connecting;
    emit resultChanged(index);
    if (m_results[index].gateway.transport == FleetInventory::Gateway::Transport::Cloud)
        openCloud(index);
    else
        openDirect(index);
}

void FleetRun::openCloud(int index)
{
    QString error;
    const std::optional<BrokerSettings> broker =
        m_brokerLookup ? m_brokerLookup(m_results[index].gateway, &error) : std::nullopt;
    if (!broker) {
        end(index, FleetResult::Status::Failed,
            error.isEmpty() ? QStringLiteral("no broker known for this gateway") : error);
        return;
    }
    BrokerHub *hub = hubFor(*broker);
    const QString deviceId = m_results[index].gateway.deviceId;
    auto onReady = [this, index, hub, deviceId] {
        GatewayLink *link = hub->link(deviceId);
        m_cloudLinks.insert(index, link);
        runJob(index, link);
    };
    auto onUnavailable = [this, index, hub](const QString &why) {
        end(index, FleetResult::Status::LinkLost,
            QStringLiteral("broker %1: %2").arg(hub->describe(), why));
    };
    if (hub->state() == BrokerHub::State::Ready) {
        onReady();
        return;
    }
    if (hub->state() == BrokerHub::State::Unavailable) {
        onUnavailable(hub->error());
        return;
    }
    // Whichever comes first answers this gateway; the other is dropped.
    auto *waiter = new QObject(this);
    connect(hub, &BrokerHub::ready, waiter, [waiter, onReady] {
        waiter->deleteLater();
        waiter->disconnect();
        onReady();
    });
    connect(hub, &BrokerHub::unavailable, waiter, [waiter, onUnavailable](const QString &why) {
        waiter->deleteLater();
        waiter->disconnect();
        onUnavailable(why);
    });
    hub->open(m_connectMs);
}

void FleetRun::openDirect(int index)
{
    const FleetInventory::Gateway &gateway = m_results[index].gateway;
    auto *connection = new DirectConnection(gateway.host, gateway.port, this);
    m_connections.insert(index, connection);
    connect(connection, &DirectConnection::commandWritten, this, [this] { ++m_sent; });
    connect(connection, &DirectConnection::opened, this,
            [this, index, connection] { runJob(index, connection->link()); });
    connect(connection, &DirectConnection::failed, this, [this, index](const QString &error) {
        end(index, FleetResult::Status::NoAnswer, error);
    });
    connection->open(m_connectMs);
}

void FleetRun::runJob(int index, GatewayLink *link)
{
    if (m_stopping) {
        end(index, FleetResult::Status::NotDone, QStringLiteral("stopped before it started"));
        return;
    }
    auto *job = new FleetJob(m_task, m_results[index], link, this);
    connect(job, &FleetJob::statusChanged, this, [this, index, job] {
        m_results[index] = job->result();
        emit resultChanged(index);
    });
    connect(job, &FleetJob::finished, this, [this, index, job] { onJobFinished(index, job); });
    job->start();
}

void FleetRun::onJobFinished(int index, FleetJob *job)
{
    m_results[index] = job->result();
    job->deleteLater();
    if (m_stopping && m_results[index].status != FleetResult::Status::Done)
        m_results[index].status = FleetResult::Status::NotDone;
    end(index, m_results[index].status, m_results[index].detail);
}

// Every way a gateway's row ends comes through here: its connection goes,
// and the next gateway may start.
void FleetRun::end(int index, FleetResult::Status status, const QString &detail)
{
    FleetResult &result = m_results[index];
    result.status = status;
    result.detail = detail;
    emit resultChanged(index);
    if (DirectConnection *connection = m_connections.take(index)) {
        connection->close();
        connection->deleteLater();
    }
    m_cloudLinks.remove(index);
    if (m_inFlight.remove(index))
        QMetaObject::invokeMethod(this, &FleetRun::startNext, Qt::QueuedConnection);
}

BrokerHub *FleetRun::hubFor(const BrokerSettings &broker)
{
    const QString key =
        broker.user + QLatin1Char('@') + broker.host + QLatin1Char(':') + broker.port;
    BrokerHub *&hub = m_hubs[key];
    if (!hub)
        hub = new BrokerHub(broker, this);
    return hub;
}
