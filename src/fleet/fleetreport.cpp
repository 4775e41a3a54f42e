#include "fleetreport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace FleetReport {
namespace {

// Quoted when it holds a separator, a quote or a line break; a leading sign
// that a spreadsheet would run as a formula is neutralised with a quote.
QByteArray csvField(QString text)
{
    if (!text.isEmpty() && QStringLiteral("=+-@").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    QByteArray field = text.toUtf8();
    if (field.contains(',') || field.contains('"') || field.contains('\n') || field.contains('\r'))
        field = '"' + field.replace('"', "\"\"") + '"';
    return field;
}

} // namespace

QByteArray csvHeader()
{
    return "gateway,name,site,device_id,status,detail,differences\n";
}

QByteArray csvRow(const FleetResult &result)
{
    const QStringList fields = {result.gateway.address(),
                                result.gateway.name,
                                result.gateway.site,
                                result.deviceId,
                                FleetResult::statusText(result.status),
                                result.detail,
                                result.differences.join(QLatin1Char('\n'))};
    QByteArray row;
    for (const QString &field : fields)
        row += csvField(field) + ',';
    row.back() = '\n';
    return row;
}

QByteArray csv(const QList<FleetResult> &results)
{
    QByteArray text = csvHeader();
    for (const FleetResult &result : results)
        text += csvRow(result);
    return text;
}

QByteArray jsonLine(const FleetResult &result)
{
    const QJsonObject object{
        {QStringLiteral("gateway"), result.gateway.address()},
        {QStringLiteral("name"), result.gateway.name},
        {QStringLiteral("site"), result.gateway.site},
        {QStringLiteral("deviceId"), result.deviceId},
        {QStringLiteral("status"), FleetResult::statusText(result.status)},
        {QStringLiteral("detail"), result.detail},
        {QStringLiteral("differences"), QJsonArray::fromStringList(result.differences)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace FleetReport
