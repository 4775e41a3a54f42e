#include "trendsampler.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace TrendSampler {

namespace {

// Register addresses are shown as the gateway writes them ("0x000A"); an
// address that is not hexadecimal keeps its text with the pair's offset.
QString registerLabel(const QString &address, int offset)
{
    bool ok = false;
    const uint first = address.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                           ? QStringView(address).mid(2).toUInt(&ok, 16)
                           : 0;
    if (ok)
        return QLatin1String("0x")
               + QString::number(first + uint(offset), 16)
                     .toUpper()
                     .rightJustified(4, QLatin1Char('0'));
    return offset == 0 ? address : address + QLatin1Char('+') + QString::number(offset);
}

void collect(const QString &prefix, const QJsonValue &value, int depth, TrendSamples &out)
{
    if (out.size() >= maxPayloadSamples)
        return;
    if (value.isDouble()) {
        out.append({prefix, value.toDouble()});
        return;
    }
    if (depth >= maxPayloadDepth)
        return;
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            collect(prefix + QLatin1Char('.') + it.key(), it.value(), depth + 1, out);
    } else if (value.isArray()) {
        const QJsonArray array = value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i)
            collect(prefix + QLatin1Char('[') + QString::number(i) + QLatin1Char(']'), array.at(i),
                    depth + 1, out);
    }
}

} // namespace

QStringList monitorSeries(const QString &device, const QString &address, qsizetype pairs)
{
    const QString prefix = device.isEmpty() ? QString() : device + QLatin1Char(' ');
    QStringList names;
    names.reserve(pairs);
    for (qsizetype i = 0; i < pairs; ++i)
        names.append(prefix + registerLabel(address, int(2 * i)));
    return names;
}

TrendSamples fromPayload(const QString &topic, const QString &payload)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {};
    TrendSamples samples;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it)
        collect(topic + QLatin1Char(' ') + it.key(), it.value(), 1, samples);
    return samples;
}

} // namespace TrendSampler
