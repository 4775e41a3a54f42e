#include "cloudreply.h"

#include "devicerecord.h"

#include <QJsonDocument>
#include <QJsonObject>

CloudReply CloudReply::read(const QString &text)
{
    CloudReply reply;
    reply.isDeviceList = text.contains(QLatin1String("Device"))
                         || text.contains(QLatin1String("Type")) || text.contains(QLatin1Char('>'))
                         || text.startsWith(QLatin1String("rs485DevCnt"));

    // Acknowledgement words are looked for outside device lines only: a
    // device named "added meter" must not confirm an addition.
    QString acknowledgementText;
    int announced = 0;
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &piece : lines) {
        const QString line = piece.trimmed();
        const auto device =
            line.startsWith(QLatin1String("dev[")) ? DeviceRecord::fromLine(line) : std::nullopt;
        if (device) {
            if (reply.isDeviceList)
                reply.devices.append(*device);
            continue;
        }
        if (const auto count = DeviceRecord::announcedCount(line))
            announced = *count;
        acknowledgementText += piece;
        acknowledgementText += QLatin1Char('\n');
    }

    reply.listIncomplete = reply.isDeviceList && announced > reply.devices.size();
    reply.deviceAdded = acknowledgementText.contains(QLatin1String("added"));
    reply.deviceModified = acknowledgementText.contains(QLatin1String("modified"));
    reply.deviceDeleted = acknowledgementText.contains(QLatin1String("deleted"));
    reply.saveCompleted = acknowledgementText.contains(QLatin1String("OK: saved to flash"));
    if (acknowledgementText.contains(QLatin1String("OK:RS485/stop")))
        reply.startStopStatuses.append(QStringLiteral("stopped"));
    if (acknowledgementText.contains(QLatin1String("OK:RS485/start")))
        reply.startStopStatuses.append(QStringLiteral("started"));
    if (acknowledgementText.contains(QLatin1String("OK:restart")))
        reply.startStopStatuses.append(QStringLiteral("restarting"));
    return reply;
}

QString registerWriteOutcome(const QString &payload)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {};
    const QString write = document.object().value(QLatin1String("write")).toString();
    if (write == QLatin1String("OK"))
        return QStringLiteral("written");
    if (write == QLatin1String("FAIL"))
        return QStringLiteral("failed");
    return {};
}
