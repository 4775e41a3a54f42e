#include "cloudgatewaylink.h"

#include <QStringList>

CloudGatewayLink::CloudGatewayLink(const QString &deviceId, Publisher publisher, QObject *parent)
    : GatewayLink(parent)
    , m_deviceId(deviceId)
    , m_publisher(std::move(publisher))
{}

void CloudGatewayLink::responseReceived(const QString &payload)
{
    const QStringList lines = payload.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            takeLine(trimmed);
    }
    takeMessageEnd();
}
