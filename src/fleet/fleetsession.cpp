#include "fleetsession.h"

#include "fleetreport.h"
#include "privatefile.h"
#include "settingsstore.h"

#include <QDir>

using PrivateFile::localPath;

FleetSession::FleetSession(QObject *parent)
    : QAbstractListModel(parent)
{
    // The page reaches brokers the way cloud mode does: with what a direct
    // visit stored for the device id, never with a password typed here.
    m_run.setBrokerLookup([](const FleetInventory::Gateway &gateway,
                             QString *error) -> std::optional<BrokerSettings> {
        const BrokerSettings stored = SettingsStore::readBrokerSettings(gateway.deviceId);
        if (stored.isComplete())
            return stored;
        *error = QStringLiteral("no broker known for %1: connect to it once in direct mode")
                     .arg(gateway.deviceId);
        return std::nullopt;
    });
    connect(&m_run, &FleetRun::resultChanged, this, &FleetSession::onResultChanged);
    connect(&m_run, &FleetRun::finished, this, &FleetSession::onFinished);
}

int FleetSession::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant FleetSession::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row &row = m_rows[index.row()];
    switch (role) {
    case AddressRole:
        return row.result.gateway.address();
    case NameRole:
        return row.result.gateway.name;
    case SiteRole:
        return row.result.gateway.site;
    case TickedRole:
        return row.ticked;
    case StatusRole:
        return row.ran ? FleetResult::statusText(row.result.status) : QString();
    case DetailRole:
        return row.ran ? row.result.detail : QString();
    case FinishedRole:
        return row.ran && row.result.isFinished();
    default:
        return {};
    }
}

QHash<int, QByteArray> FleetSession::roleNames() const
{
    return {{AddressRole, "address"},  {NameRole, "name"},     {SiteRole, "site"},
            {TickedRole, "ticked"},    {StatusRole, "status"}, {DetailRole, "detail"},
            {FinishedRole, "finished"}};
}

int FleetSession::tickedCount() const
{
    return int(
        std::count_if(m_rows.cbegin(), m_rows.cend(), [](const Row &row) { return row.ticked; }));
}

QString FleetSession::summary() const
{
    QHash<FleetResult::Status, int> counts;
    int ran = 0;
    int finished = 0;
    for (const Row &row : m_rows) {
        if (!row.ran)
            continue;
        ++ran;
        ++counts[row.result.status];
        finished += row.result.isFinished() ? 1 : 0;
    }
    if (ran == 0)
        return {};
    QStringList parts;
    for (auto status :
         {FleetResult::Status::Done, FleetResult::Status::Differs, FleetResult::Status::Refused,
          FleetResult::Status::NoAnswer, FleetResult::Status::LinkLost,
          FleetResult::Status::NotDone, FleetResult::Status::Failed}) {
        if (counts.value(status))
            parts << QStringLiteral("%1 %2")
                         .arg(counts.value(status))
                         .arg(FleetResult::statusText(status));
    }
    return QStringLiteral("%1: %2 of %3 gateway(s) finished%4")
        .arg(m_what)
        .arg(finished)
        .arg(ran)
        .arg(parts.isEmpty() ? QString() : QStringLiteral(": ") + parts.join(QLatin1String(", ")));
}

void FleetSession::setTimeouts(int replyMs, int stepMs)
{
    m_replyMs = replyMs;
    m_stepMs = stepMs;
    m_run.setConnectTimeout(replyMs);
}

void FleetSession::loadKnown()
{
    QList<FleetInventory::Gateway> gateways;
    for (const QString &id : SettingsStore::readDeviceIds()) {
        FleetInventory::Gateway gateway;
        gateway.transport = FleetInventory::Gateway::Transport::Cloud;
        gateway.deviceId = id;
        gateways << gateway;
    }
    addGateways(gateways);
}

bool FleetSession::openInventory(const QString &pathOrUrl)
{
    const FleetInventory::ReadResult read = FleetInventory::readFile(localPath(pathOrUrl));
    if (!read.inventory) {
        emit message(false, QStringLiteral("Bad inventory: %1").arg(read.error));
        return false;
    }
    addGateways(read.inventory->gateways);
    return true;
}

// A gateway listed already keeps its row; the inventory's name and site
// fill in what the row lacks.
void FleetSession::addGateways(const QList<FleetInventory::Gateway> &gateways)
{
    if (m_run.isRunning())
        return;
    for (const FleetInventory::Gateway &gateway : gateways) {
        const auto existing = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row &row) {
            return row.result.gateway.address() == gateway.address();
        });
        if (existing != m_rows.end()) {
            if (existing->result.gateway.name.isEmpty())
                existing->result.gateway.name = gateway.name;
            if (existing->result.gateway.site.isEmpty())
                existing->result.gateway.site = gateway.site;
            const int row = int(existing - m_rows.begin());
            emit dataChanged(index(row), index(row));
            continue;
        }
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size()));
        Row row;
        row.result.gateway = gateway;
        m_rows << row;
        endInsertRows();
    }
    emit tickedChanged();
}

void FleetSession::setTicked(int row, bool ticked)
{
    if (row < 0 || row >= m_rows.size() || m_rows[row].ticked == ticked || m_run.isRunning())
        return;
    m_rows[row].ticked = ticked;
    emit dataChanged(index(row), index(row), {TickedRole});
    emit tickedChanged();
}

void FleetSession::tickAll(bool ticked)
{
    for (int row = 0; row < m_rows.size(); ++row)
        setTicked(row, ticked);
}

void FleetSession::backup(const QString &folderPathOrUrl, bool withPasswords)
{
    FleetTask task;
    task.action = FleetTask::Action::Backup;
    task.outDir = localPath(folderPathOrUrl);
    if (!QDir().mkpath(task.outDir)) {
        emit message(false, QStringLiteral("Cannot make the folder %1").arg(task.outDir));
        return;
    }
    task.withPasswords = withPasswords;
    run(task, QStringLiteral("Back up"));
}

void FleetSession::check(const QString &referencePathOrUrl)
{
    runAgainst(FleetTask::Action::Check, referencePathOrUrl, QStringLiteral("Check"));
}

void FleetSession::apply(const QString &referencePathOrUrl)
{
    runAgainst(FleetTask::Action::Restore, referencePathOrUrl, QStringLiteral("Apply"));
}

// The reference is read whole before anything is sent.
void FleetSession::runAgainst(FleetTask::Action action, const QString &referencePathOrUrl,
                              const QString &what)
{
    const GatewayBackup::ReadResult reference =
        GatewayBackup::readFile(localPath(referencePathOrUrl));
    if (!reference.backup) {
        emit message(false, QStringLiteral("Bad backup file: %1").arg(reference.error));
        return;
    }
    FleetTask task;
    task.action = action;
    task.reference = *reference.backup;
    run(task, what);
}

void FleetSession::restart()
{
    FleetTask task;
    task.action = FleetTask::Action::Restart;
    run(task, QStringLiteral("Restart"));
}

void FleetSession::stop()
{
    m_run.stop();
}

void FleetSession::run(FleetTask task, const QString &what)
{
    if (m_run.isRunning())
        return;
    task.replyMs = m_replyMs;
    task.stepMs = m_stepMs;
    QList<FleetInventory::Gateway> gateways;
    m_runRows.clear();
    for (int row = 0; row < m_rows.size(); ++row) {
        m_rows[row].ran = m_rows[row].ticked;
        if (m_rows[row].ticked) {
            const FleetInventory::Gateway gateway = m_rows[row].result.gateway;
            m_runRows << row;
            gateways << gateway;
            m_rows[row].result = FleetResult();
            m_rows[row].result.gateway = gateway;
        }
    }
    if (gateways.isEmpty()) {
        emit message(false, QStringLiteral("No gateway is ticked."));
        return;
    }
    m_what = what;
    emit dataChanged(index(0), index(int(m_rows.size()) - 1));
    m_run.start(gateways, task);
    emit busyChanged();
    emit summaryChanged();
}

void FleetSession::onResultChanged(int runIndex)
{
    const int row = m_runRows.value(runIndex, -1);
    if (row < 0)
        return;
    m_rows[row].result = m_run.results()[runIndex];
    emit dataChanged(index(row), index(row), {StatusRole, DetailRole, FinishedRole});
    emit summaryChanged();
}

void FleetSession::onFinished()
{
    emit busyChanged();
    emit summaryChanged();
}

bool FleetSession::exportReport(const QString &pathOrUrl)
{
    QList<FleetResult> results;
    for (const Row &row : std::as_const(m_rows)) {
        if (row.ran)
            results << row.result;
    }
    const QString path = localPath(pathOrUrl);
    if (const QString error = PrivateFile::write(path, FleetReport::csv(results));
        !error.isEmpty()) {
        emit message(false, QStringLiteral("Cannot write %1: %2").arg(path, error));
        return false;
    }
    emit message(true, QStringLiteral("Report written to %1").arg(path));
    return true;
}
