#include "devicerecord.h"

#include <QRegularExpression>

namespace DeviceRecord {

std::optional<QVariantMap> fromLine(const QString &line)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(dev\[(\d+)\]\s+(.+?)\s+(port\d+)\s+CRC=(\d+)\s+poll=(\S+)\s+cmd=([0-9A-Fa-f]+))"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    return QVariantMap{
        {QStringLiteral("id"), match.captured(1).toInt()},
        {QStringLiteral("name"), match.captured(2)},
        {QStringLiteral("port"), match.captured(3)},
        {QStringLiteral("autoCRC"), match.captured(4).toInt()},
        {QStringLiteral("poll"), match.captured(5)},
        {QStringLiteral("cmdHex"), match.captured(6)},
    };
}

bool isDeviceLine(const QString &line)
{
    return line.startsWith(QLatin1String("dev[")) && fromLine(line).has_value();
}

std::optional<int> announcedCount(const QString &line)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^rs485DevCnt\D*(\d+))"));
    const QRegularExpressionMatch match = pattern.match(line);
    bool ok = false;
    const int count = match.hasMatch() ? match.captured(1).toInt(&ok) : 0;
    return ok ? std::optional<int>(count) : std::nullopt;
}

} // namespace DeviceRecord
