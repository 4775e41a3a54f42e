#include "backuprun.h"

#include "gatewaylink.h"
#include "gatewayreply.h"

namespace {

const QString getAllCommand = QStringLiteral("GETALL");
const QString listCommand = QStringLiteral("GET rs485list");

} // namespace

BackupRun::BackupRun(GatewayLink *link, QObject *parent)
    : QObject(parent)
    , m_link(link)
{}

void BackupRun::start()
{
    m_result = GatewayBackup();
    m_settings.clear();
    read(m_cloudDeviceId.isEmpty() ? getAllCommand : listCommand);
}

void BackupRun::read(const QString &command)
{
    if (!m_link) {
        emit finished(false, QStringLiteral("the link to the gateway was lost"));
        return;
    }
    emit progress(command == getAllCommand ? QStringLiteral("Reading the settings")
                                           : QStringLiteral("Reading the device list"));
    CommandReply *reply = m_link->send(command, m_replyMs);
    connect(reply, &CommandReply::finished, this, [this, reply, command] {
        reply->deleteLater();
        if (command == getAllCommand)
            onSettings(reply);
        else
            onDevices(reply);
    });
}

QString BackupRun::failure(const CommandReply *reply) const
{
    switch (reply->state()) {
    case CommandReply::State::Refused:
        return QStringLiteral("the gateway answered \"%1\"").arg(reply->text());
    case CommandReply::State::NoAnswer:
        return QStringLiteral("no answer to \"%1\"").arg(reply->command());
    default:
        return QStringLiteral("the link to the gateway was lost");
    }
}

void BackupRun::fail(CommandReply::State state, const QString &error)
{
    m_failedState = state;
    emit finished(false, error);
}

void BackupRun::onSettings(CommandReply *reply)
{
    if (reply->state() != CommandReply::State::Answered) {
        fail(reply->state(), failure(reply));
        return;
    }
    for (const QString &line : reply->lines()) {
        const GatewayReply meaning = GatewayReply::read(getAllCommand, line);
        if (meaning.setting)
            m_settings.insert(meaning.setting->first, meaning.setting->second);
    }
    if (!m_settings.contains(QStringLiteral("deviceId"))) {
        fail(CommandReply::State::Answered,
             QStringLiteral("the gateway's answer to \"GETALL\" holds no device id"));
        return;
    }
    read(listCommand);
}

void BackupRun::onDevices(CommandReply *reply)
{
    if (reply->state() != CommandReply::State::Answered) {
        fail(reply->state(), failure(reply));
        return;
    }
    QVariantList devices;
    int announced = -1;
    for (const QString &line : reply->lines()) {
        const GatewayReply meaning = GatewayReply::read(listCommand, line);
        if (meaning.device)
            devices.append(*meaning.device);
        if (meaning.deviceCount)
            announced = *meaning.deviceCount;
    }
    // A backup of part of the list would, restored, delete the rest.
    if (announced > devices.size()) {
        fail(CommandReply::State::Answered,
             QStringLiteral("the gateway announced %1 device(s) but listed %2")
                 .arg(announced)
                 .arg(devices.size()));
        return;
    }
    const bool cloud = !m_cloudDeviceId.isEmpty();
    m_result = GatewayBackup::fromGateway(cloud ? QVariantMap() : m_settings, devices, true);
    if (cloud)
        m_result.deviceId = m_cloudDeviceId;
    emit finished(true, QString());
}
