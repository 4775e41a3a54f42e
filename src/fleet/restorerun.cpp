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

    const auto matchingKind = [this](const char *prefix) {
        return [this, prefix] {
            acknowledge(m_steps.value(m_index).command.startsWith(QLatin1String(prefix)));
        };
    };
    if (m_cloudDeviceId.isEmpty()) {
        m_connections << connect(m_bridge, &TcpBridge::setAcknowledged, this,
                                 [this](const QString &key) {
                                     const QString command = m_steps.value(m_index).command;
                                     acknowledge(command.startsWith(QLatin1String("SET "))
                                                 && GatewayReply::setCommandKey(command) == key);
                                 });
        m_connections << connect(m_bridge, &TcpBridge::deviceAddedSuccessfully, this,
                                 matchingKind("rs485add"));
        m_connections << connect(m_bridge, &TcpBridge::deviceModifiedSuccessfully, this,
                                 matchingKind("rs485mod"));
        m_connections << connect(m_bridge, &TcpBridge::deviceDeletedSuccessfully, this,
                                 matchingKind("rs485del"));
        m_connections << connect(m_bridge, &TcpBridge::saveCompleted, this, matchingKind("SAVE"));
        // Every reply line comes here after its acknowledgement, if any.
        m_connections << connect(m_bridge, &TcpBridge::responseReceived, this,
                                 &RestoreRun::onReply);
        m_connections << connect(m_bridge, &TcpBridge::connectedChanged, this, [this] {
            if (!m_bridge->isConnected())
                fail(QStringLiteral("the link to the gateway was lost"));
        });
    } else {
        // The broker carries no refusals: an unacknowledged step ends on the
        // watchdog. The next step waits for the current emission to end.
        const auto queued = [this](const char *prefix) {
            return [this, prefix] {
                if (m_steps.value(m_index).command.startsWith(QLatin1String(prefix)))
                    QMetaObject::invokeMethod(this, &RestoreRun::advance, Qt::QueuedConnection);
            };
        };
        m_connections << connect(m_bridge, &TcpBridge::deviceAddedSuccessfullyMqtt, this,
                                 queued("rs485add"));
        m_connections << connect(m_bridge, &TcpBridge::deviceModifiedSuccessfullyMqtt, this,
                                 queued("rs485mod"));
        m_connections << connect(m_bridge, &TcpBridge::deviceDeletedSuccessfullyMqtt, this,
                                 queued("rs485del"));
        m_connections << connect(m_bridge, &TcpBridge::saveCompletedMqtt, this, queued("SAVE"));
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

void RestoreRun::acknowledge(bool matches)
{
    if (matches && m_index >= 0)
        m_acknowledged = true;
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
