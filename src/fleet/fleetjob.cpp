#include "fleetjob.h"

#include "backuprun.h"
#include "commandreply.h"
#include "gatewaylink.h"
#include "restoreplan.h"
#include "restorerun.h"

#include <QDir>

namespace {

// A read that was answered but unusable (no device id, a cut list) is a
// refusal to give what was asked.
FleetResult::Status statusOf(CommandReply::State state)
{
    switch (state) {
    case CommandReply::State::Answered:
    case CommandReply::State::Refused:
        return FleetResult::Status::Refused;
    case CommandReply::State::NoAnswer:
        return FleetResult::Status::NoAnswer;
    default:
        return FleetResult::Status::LinkLost;
    }
}

FleetResult::Status statusOf(ChangeSequence::Outcome outcome)
{
    switch (outcome) {
    case ChangeSequence::Saved:
        return FleetResult::Status::Done;
    case ChangeSequence::Refused:
    case ChangeSequence::NotSaved:
        return FleetResult::Status::Refused;
    case ChangeSequence::NoAnswer:
        return FleetResult::Status::NoAnswer;
    default:
        return FleetResult::Status::LinkLost;
    }
}

} // namespace

FleetJob::FleetJob(const FleetTask &task, const FleetResult &result, GatewayLink *link,
                   QObject *parent)
    : QObject(parent)
    , m_task(task)
    , m_result(result)
    , m_link(link)
{}

bool FleetJob::isCloud() const
{
    return m_result.gateway.transport == FleetInventory::Gateway::Transport::Cloud;
}

void FleetJob::start()
{
    if (m_task.action == FleetTask::Action::Restart) {
        restart();
        return;
    }
    setStatus(FleetResult::Status::Reading);
    auto *run = new BackupRun(m_link, this);
    if (isCloud())
        run->setCloudDeviceId(m_result.gateway.deviceId);
    run->setReplyTimeout(m_task.replyMs);
    connect(run, &BackupRun::finished, this, [this, run](bool ok, const QString &error) {
        run->deleteLater();
        if (ok)
            onRead(run->result());
        else
            finish(statusOf(run->failedState()), QStringLiteral("reading: %1").arg(error));
    });
    run->start();
}

void FleetJob::onRead(const GatewayBackup &current)
{
    m_result.deviceId = isCloud() ? m_result.gateway.deviceId : current.deviceId;
    if (m_task.action == FleetTask::Action::Backup) {
        writeBackup(current);
        return;
    }
    // Through the broker only the device list can be read and written.
    const RestorePlan plan = RestorePlan::build(m_task.reference, current, false, !isCloud());
    m_result.differences.clear();
    const QList<RestorePlan::Line> lines = plan.tickedLines();
    for (const RestorePlan::Line &line : lines)
        m_result.differences << RestorePlan::describe(line);
    if (m_task.action == FleetTask::Action::Check) {
        if (lines.isEmpty())
            finish(FleetResult::Status::Done, QStringLiteral("matches the reference"));
        else
            finish(FleetResult::Status::Differs,
                   QStringLiteral("%1 difference(s) from the reference").arg(lines.size()));
        return;
    }
    if (lines.isEmpty()) {
        finish(FleetResult::Status::Done, QStringLiteral("already matches the reference"));
        return;
    }
    if (m_task.dryRun) {
        finish(FleetResult::Status::Done,
               QStringLiteral("dry run: %1 change(s) would be written").arg(lines.size()));
        return;
    }
    setStatus(FleetResult::Status::Writing);
    auto *run = new RestoreRun(m_link, this);
    run->setStepTimeout(m_task.stepMs);
    connect(run, &RestoreRun::finished, this, [this, run](bool, const QString &report) {
        run->deleteLater();
        finish(statusOf(run->outcome()), report.trimmed());
    });
    run->start(lines);
}

void FleetJob::writeBackup(GatewayBackup backup)
{
    if (isCloud())
        backup.deviceId = m_result.gateway.deviceId;
    if (!m_task.withPasswords)
        backup = backup.withoutPasswords();
    // The device id names the file: it must not lead out of the folder.
    if (backup.deviceId.isEmpty() || backup.deviceId.contains(QLatin1Char('/'))
        || backup.deviceId.startsWith(QLatin1Char('.'))) {
        finish(FleetResult::Status::Failed,
               QStringLiteral("the device id \"%1\" cannot name a file").arg(backup.deviceId));
        return;
    }
    const QString path = QDir(m_task.outDir).filePath(backup.deviceId + QStringLiteral(".json"));
    QString error;
    if (!backup.write(path, &error)) {
        finish(FleetResult::Status::Failed, error);
        return;
    }
    m_result.file = path;
    finish(FleetResult::Status::Done, QStringLiteral("written to %1").arg(path));
}

void FleetJob::restart()
{
    if (!isCloud()) {
        finish(FleetResult::Status::Failed,
               QStringLiteral("restart goes through the broker: not sent to a gateway on tcp://"));
        return;
    }
    m_result.deviceId = m_result.gateway.deviceId;
    setStatus(FleetResult::Status::Writing);
    CommandReply *reply = m_link->send(QStringLiteral("gateway:restart"), m_task.replyMs);
    connect(reply, &CommandReply::finished, this, [this, reply] {
        reply->deleteLater();
        const bool answered = reply->state() == CommandReply::State::Answered;
        finish(answered ? FleetResult::Status::Done : statusOf(reply->state()),
               reply->text().isEmpty() ? QStringLiteral("no answer to \"gateway:restart\"")
                                       : reply->text());
    });
}

void FleetJob::setStatus(FleetResult::Status status, const QString &detail)
{
    m_result.status = status;
    m_result.detail = detail;
    emit statusChanged();
}

// The run reports the final status itself, once, as the row ends.
void FleetJob::finish(FleetResult::Status status, const QString &detail)
{
    m_result.status = status;
    m_result.detail = detail;
    emit finished();
}
