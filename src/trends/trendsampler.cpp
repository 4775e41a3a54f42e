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

TrendSamples fromPayload(const QString &topic, const QString &payload, const QVariantList &devices)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {};
    const QJsonObject object = document.object();
    const QString port = topic.section(QLatin1Char('/'), -1);
    const QJsonValue slave = object.value(QLatin1String("slave"));
    QString device = port;
    if (slave.isDouble()) {
        device += QStringLiteral(" slave %1").arg(slave.toDouble());
        // A device's command starts with the slave address it polls.
        for (const QVariant &entry : devices) {
            const QVariantMap record = entry.toMap();
            bool ok = false;
            const int address =
                record.value(QStringLiteral("cmdHex")).toString().left(2).toInt(&ok, 16);
            if (ok && address == slave.toDouble()
                && record.value(QStringLiteral("port")).toString() == port) {
                device = record.value(QStringLiteral("name")).toString();
                break;
            }
        }
    }

    TrendSamples samples;
    const QJsonValue first = object.value(QLatin1String("reg"));
    const QJsonValue values = object.value(QLatin1String("values"));
    const bool block = first.isDouble() && values.isArray();
    if (block) {
        const QJsonArray registers = values.toArray();
        const QString address =
            QLatin1String("0x")
            + QString::number(first.toInt(), 16).rightJustified(4, QLatin1Char('0'));
        for (qsizetype i = 0; i < registers.size() && samples.size() < maxPayloadSamples; ++i)
            if (registers.at(i).isDouble())
                samples.append({device + QLatin1Char(' ') + registerLabel(address, int(i)),
                                registers.at(i).toDouble()});
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() == QLatin1String("slave")
            || (block && (it.key() == QLatin1String("reg") || it.key() == QLatin1String("values"))))
            continue;
        collect(device + QLatin1Char(' ') + it.key(), it.value(), 1, samples);
    }
    return samples;
}

} // namespace TrendSampler
