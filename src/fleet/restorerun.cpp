#include "restorerun.h"

#include "gatewayreply.h"
#include "tcpbridge.h"

namespace {

const QString saveCommand = QStringLiteral("SAVE");

} // namespace

RestoreRun::RestoreRun(TcpBridge *bridge, QObject *parent)
    : QObject(parent)
    , m_bridge(bridge)
{
    // As long as the settings pages wait for an acknowledgement.
    m_watchdog.setInterval(15000);
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("no answer within %1 s").arg(m_watchdog.interval() / 1000.0));
    });
}

void RestoreRun::start(const QList<RestorePlan::Line> &lines)
{
    m_steps.clear();
    m_applied.clear();
    for (const RestorePlan::Line &line : lines)
        m_steps.append({line.command, RestorePlan::describe(line)});
    if (m_steps.isEmpty()) {
        finish(true, QStringLiteral("Nothing to write: nothing was ticked or the gateway already "
                                    "matches the file."));
        return;
    }
    m_steps.append({saveCommand, QStringLiteral("save to flash")});

    // The device commands and "SAVE" are acknowledged by the same signals as
    // on the device list pages of either mode.
    const bool cloud = !m_cloudDeviceId.isEmpty();
    const auto acknowledgedBy = [this, cloud](auto signal, const char *prefix) {
        m_connections << connect(m_bridge, signal, this, [this, cloud, prefix] {
            if (!m_steps.value(m_index).command.startsWith(QLatin1String(prefix)))
                return;
            // The broker carries no refusals, so the acknowledgement is the
            // whole answer; the next step waits for this emission to end.
            if (cloud)
                QMetaObject::invokeMethod(this, &RestoreRun::advance, Qt::QueuedConnection);
            else
                m_acknowledged = true;
        });
    };
    acknowledgedBy(cloud ? &TcpBridge::deviceAddedSuccessfullyMqtt
                         : &TcpBridge::deviceAddedSuccessfully,
                   "rs485add");
    acknowledgedBy(cloud ? &TcpBridge::deviceModifiedSuccessfullyMqtt
                         : &TcpBridge::deviceModifiedSuccessfully,
                   "rs485mod");
    acknowledgedBy(cloud ? &TcpBridge::deviceDeletedSuccessfullyMqtt
                         : &TcpBridge::deviceDeletedSuccessfully,
                   "rs485del");
    acknowledgedBy(cloud ? &TcpBridge::saveCompletedMqtt : &TcpBridge::saveCompleted, "SAVE");
    if (!cloud) {
        m_connections << connect(m_bridge, &TcpBridge::setAcknowledged, this,
                                 [this](const QString &key) {
                                     const QString command = m_steps.value(m_index).command;
                                     if (command.startsWith(QLatin1String("SET "))
                                         && GatewayReply::setCommandKey(command) == key)
                                         m_acknowledged = true;
                                 });
        // Every reply line comes here after its acknowledgement, if any; an
        // unacknowledged step ends on the watchdog in cloud mode.
        m_connections << connect(m_bridge, &TcpBridge::responseReceived, this,
                                 &RestoreRun::onReply);
        m_connections << connect(m_bridge, &TcpBridge::connectedChanged, this, [this] {
            if (!m_bridge->isConnected())
                fail(QStringLiteral("the link to the gateway was lost"));
        });
    }
    m_index = 0;
    sendCurrent();
}

void RestoreRun::sendCurrent()
{
    const Step &step = m_steps[m_index];
    m_acknowledged = false;
    emit stepStarted(int(m_index), int(m_steps.size()), step.text);
    m_watchdog.start();
    if (m_cloudDeviceId.isEmpty())
        m_bridge->sendCommand(step.command);
    else
        m_bridge->sendConfigRequest(step.command, m_cloudDeviceId);
}

void RestoreRun::onReply(const QString &line)
{
    if (m_index < 0)
        return;
    // The gateway's error lines may name the key, which the protocol would
    // count as an acknowledgement of a "SET"; an error is never one.
    const bool error = line.startsWith(QLatin1String("ERROR"));
    if (m_acknowledged && !error) {
        advance();
        return;
    }
    // A gateway that echoes the command has not answered it yet.
    if (line == m_steps[m_index].command)
        return;
    fail(QStringLiteral("the gateway answered \"%1\"").arg(line));
}

void RestoreRun::advance()
{
    if (m_index < 0)
        return;
    m_watchdog.stop();
    if (isSaveStep()) {
        finish(
            true,
            QStringLiteral("Restored %1 change(s) and saved them to flash.").arg(m_applied.size()));
        return;
    }
    m_applied.append(m_steps[m_index].text);
    ++m_index;
    sendCurrent();
}

QStringList RestoreRun::notSent() const
{
    QStringList texts;
    for (qsizetype i = m_index + 1; i < m_steps.size(); ++i)
        texts.append(m_steps[i].text);
    return texts;
}

QString RestoreRun::failureReport(const QString &why) const
{
    const auto list = [](const QStringList &texts) {
        return texts.isEmpty()
                   ? QStringLiteral("  (none)\n")
                   : QStringLiteral("  ") + texts.join(QStringLiteral("\n  ")) + QLatin1Char('\n');
    };
    QString report = QStringLiteral("Stopped at step %1 of %2 (%3): %4.\n"
                                    "Nothing was saved to flash.\n")
                         .arg(m_index + 1)
                         .arg(m_steps.size())
                         .arg(m_steps[m_index].text, why);
    report += QStringLiteral("Acknowledged by the gateway (in its working copy only):\n")
              + list(m_applied);
    if (!isSaveStep())
        report += QStringLiteral("Not acknowledged:\n  %1\n").arg(m_steps[m_index].text);
    report += QStringLiteral("Not sent:\n") + list(notSent());
    return report;
}

void RestoreRun::fail(const QString &why)
{
    if (m_index < 0)
        return;
    finish(false, failureReport(why));
}

void RestoreRun::finish(bool ok, const QString &report)
{
    m_watchdog.stop();
    for (const auto &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_index = -1;
    emit finished(ok, report);
}
