#include "backupsession.h"

#include "privatefile.h"
#include "tcpbridge.h"

BackupSession::BackupSession(QObject *parent)
    : QObject(parent)
{
    m_connectGuard.setSingleShot(true);
    m_connectGuard.setInterval(10000);
    connect(&m_connectGuard, &QTimer::timeout, this, [this] {
        disconnect(m_linkWait);
        disconnect(m_linkError);
        end(GatewayFailed, QStringLiteral("No answer from %1 on port %2.")
                               .arg(m_host)
                               .arg(TcpBridge::commandPort));
    });
}

void BackupSession::setBridge(TcpBridge *bridge)
{
    if (m_bridge == bridge)
        return;
    m_bridge = bridge;
    emit bridgeChanged();
}

QObject *BackupSession::bridgeObject() const
{
    return m_bridge;
}

void BackupSession::setBridgeObject(QObject *bridge)
{
    setBridge(qobject_cast<TcpBridge *>(bridge));
}

void BackupSession::setHost(const QString &host)
{
    if (m_host == host)
        return;
    m_host = host;
    emit hostChanged();
}

void BackupSession::setCloudDeviceId(const QString &deviceId)
{
    if (m_cloudDeviceId == deviceId)
        return;
    m_cloudDeviceId = deviceId;
    emit cloudDeviceIdChanged();
}

void BackupSession::setKeepFileIdentity(bool keep)
{
    if (m_keepFileIdentity == keep)
        return;
    m_keepFileIdentity = keep;
    emit keepFileIdentityChanged();
}

void BackupSession::setTimeouts(int replyMs, int stepMs)
{
    m_replyMs = replyMs;
    m_stepMs = stepMs;
}

GatewayLink *BackupSession::link() const
{
    if (m_link)
        return m_link;
    return m_cloudDeviceId.isEmpty() ? m_bridge->directLink()
                                     : m_bridge->cloudLink(m_cloudDeviceId);
}

QString BackupSession::fileSummary() const
{
    if (!m_hasPlan)
        return {};
    QString summary =
        QStringLiteral("Backup of %1 taken %2")
            .arg(m_file.deviceId.isEmpty() ? QStringLiteral("an unnamed gateway") : m_file.deviceId,
                 m_file.time.toString(Qt::ISODate));
    if (!m_file.toolVersion.isEmpty())
        summary += QStringLiteral(" (tool %1)").arg(m_file.toolVersion);
    // The plan below has no settings in cloud mode; the operator is told
    // why rather than left to think the file had none.
    if (!m_cloudDeviceId.isEmpty() && !m_file.settings.isEmpty())
        summary += QStringLiteral(". Its %1 gateway settings are left out: they cannot be read "
                                  "or written through the broker, only over a direct link "
                                  "(TCP port %2), so cloud mode compares the RS-485 devices only")
                       .arg(m_file.settings.size())
                       .arg(TcpBridge::commandPort);
    return summary;
}

void BackupSession::saveBackup(const QString &pathOrUrl, bool withPasswords)
{
    if (m_busy || (!m_bridge && !m_link))
        return;
    m_action = Action::Backup;
    m_backupPath = PrivateFile::localPath(pathOrUrl);
    m_withPasswords = withPasswords;
    setBusy(true);
    withLink([this] { readGateway(); });
}

void BackupSession::openBackup(const QString &pathOrUrl)
{
    if (m_busy || (!m_bridge && !m_link))
        return;
    if (m_hasPlan) {
        m_hasPlan = false;
        emit planChanged();
    }
    // The file is checked before anything reaches the gateway.
    const GatewayBackup::ReadResult read =
        GatewayBackup::readFile(PrivateFile::localPath(pathOrUrl));
    if (!read.backup) {
        emit finished(BadInput, QStringLiteral("Bad backup file: %1").arg(read.error));
        return;
    }
    m_file = *read.backup;
    m_action = Action::Plan;
    setBusy(true);
    withLink([this] { readGateway(); });
}

void BackupSession::setTicked(int index, bool ticked)
{
    m_plan.setTicked(index, ticked);
    emit planChanged();
}

void BackupSession::apply()
{
    if (m_busy || (!m_bridge && !m_link) || !m_hasPlan)
        return;
    setBusy(true);
    withLink([this] {
        auto *run = new RestoreRun(link(), this);
        run->setStepTimeout(m_stepMs);
        connect(run, &RestoreRun::stepStarted, this, &BackupSession::setStep);
        connect(run, &RestoreRun::finished, this, [this, run](bool ok, const QString &report) {
            run->deleteLater();
            // Applied or half applied, the plan no longer describes the
            // gateway: the file has to be opened again to compare afresh.
            m_hasPlan = false;
            emit planChanged();
            end(ok ? Done : GatewayFailed, report);
        });
        run->start(m_plan.tickedLines());
    });
}

void BackupSession::dismissPlan(const QString &message)
{
    if (m_busy || !m_hasPlan)
        return;
    m_hasPlan = false;
    emit planChanged();
    end(Done, message);
}

void BackupSession::withLink(const std::function<void()> &then)
{
    if (!m_cloudDeviceId.isEmpty()
        || (link()->isUp() && m_bridge->currentPort() == TcpBridge::commandPort)) {
        then();
        return;
    }
    if (m_host.isEmpty()) {
        end(GatewayFailed, QStringLiteral("Not connected to a gateway."));
        return;
    }
    setStep(0, 0, QStringLiteral("Connecting to %1").arg(m_host));
    m_linkWait = connect(link(), &GatewayLink::upChanged, this, [this, then](bool up) {
        if (!up)
            return;
        disconnect(m_linkWait);
        disconnect(m_linkError);
        m_connectGuard.stop();
        then();
    });
    // A refused connection need not wait for the guard.
    m_linkError = connect(m_bridge, &TcpBridge::errorOccurred, this, [this](const QString &error) {
        disconnect(m_linkWait);
        disconnect(m_linkError);
        m_connectGuard.stop();
        end(GatewayFailed, QStringLiteral("Cannot connect to %1 on port %2: %3.")
                               .arg(m_host)
                               .arg(TcpBridge::commandPort)
                               .arg(error));
    });
    m_connectGuard.start();
    m_bridge->connectToDevice(m_host, TcpBridge::commandPort);
}

void BackupSession::readGateway()
{
    auto *run = new BackupRun(link(), this);
    run->setCloudDeviceId(m_cloudDeviceId);
    run->setReplyTimeout(m_replyMs);
    connect(run, &BackupRun::progress, this, [this](const QString &text) { setStep(0, 0, text); });
    connect(run, &BackupRun::finished, this, [this, run](bool ok, const QString &error) {
        run->deleteLater();
        if (ok)
            onGatewayRead(run->result());
        else
            end(GatewayFailed, QStringLiteral("Reading the gateway failed: %1.").arg(error));
    });
    run->start();
}

void BackupSession::onGatewayRead(const GatewayBackup &current)
{
    if (m_action == Action::Backup) {
        const GatewayBackup backup = m_withPasswords ? current : current.withoutPasswords();
        QString error;
        if (!backup.write(m_backupPath, &error)) {
            end(BadInput, error);
            return;
        }
        end(Done, QStringLiteral("Backup of %1 written to %2").arg(backup.deviceId, m_backupPath));
        return;
    }
    m_plan = RestorePlan::build(m_file, current, m_keepFileIdentity, m_cloudDeviceId.isEmpty());
    m_hasPlan = true;
    emit planChanged();
    setBusy(false);
    m_action = Action::None;
    emit planReady();
}

void BackupSession::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged();
}

void BackupSession::setStep(int index, int count, const QString &text)
{
    m_stepIndex = index;
    m_stepCount = count;
    m_stepText = text;
    emit progressChanged();
}

void BackupSession::end(Status status, const QString &message)
{
    m_action = Action::None;
    setStep(0, 0, QString());
    setBusy(false);
    emit finished(status, message);
}
