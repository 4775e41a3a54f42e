#include "gatewaybackup.h"

#include "gatewayrules.h"
#include "privatefile.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString schemaKey = QStringLiteral("schemaVersion");
const QString toolKey = QStringLiteral("toolVersion");
const QString timeKey = QStringLiteral("time");
const QString deviceIdKey = QStringLiteral("deviceId");
const QString clientIdKey = QStringLiteral("mqttClientId");
const QString settingsKey = QStringLiteral("settings");
const QString devicesKey = QStringLiteral("devices");
const QStringList deviceKeys = {QStringLiteral("name"), QStringLiteral("port"),
                                QStringLiteral("autoCRC"), QStringLiteral("poll"),
                                QStringLiteral("cmdHex")};

QString quoted(const QJsonValue &value)
{
    if (value.isString())
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    if (value.isDouble())
        return QString::number(value.toDouble());
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (value.isNull())
        return QStringLiteral("null");
    return value.isArray() ? QStringLiteral("an array") : QStringLiteral("an object");
}

QString fault(const QString &where, const QJsonValue &value, const QString &why)
{
    return QStringLiteral("%1 = %2: %3").arg(where, quoted(value), why);
}

// The value a page would refuse for this key, or an empty string. An empty
// value is not refused: it is not written (the gateway keeps its own).
QString settingFault(const QString &key, const QString &value)
{
    if (GatewayRules::holdsControlCharacters(value))
        return QStringLiteral("holds a line break or another control character");
    if (value.isEmpty())
        return {};
    if ((key == QLatin1String("staticIP") || key == QLatin1String("subnet")
         || key == QLatin1String("gateway"))
        && !GatewayRules::isValidIp(value))
        return QStringLiteral("not a valid IP address");
    if (key.startsWith(QLatin1String("rs485_")) && key.endsWith(QLatin1String("_baud"))
        && !GatewayRules::isOfferedBaudRate(value))
        return QStringLiteral("not one of the baud rates offered (%1)")
            .arg(GatewayRules::baudRates().join(QLatin1String(", ")));
    if (key == QLatin1String("mqttPort")) {
        bool ok = false;
        const int port = value.toInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return QStringLiteral("not a port number from 1 to 65535");
    }
    return {};
}

QString deviceFault(const QJsonObject &device, const QString &where)
{
    for (const QString &key : deviceKeys) {
        if (!device.contains(key))
            return QStringLiteral("%1: the key \"%2\" is missing").arg(where, key);
    }
    const auto at = [&](const QString &key) { return QStringLiteral("%1.%2").arg(where, key); };
    const QJsonValue name = device.value(QStringLiteral("name"));
    if (!name.isString() || name.toString().trimmed().isEmpty()
        || GatewayRules::holdsControlCharacters(name.toString()))
        return fault(at(QStringLiteral("name")), name,
                     QStringLiteral("a name must be text, not blank, without line breaks"));
    const QJsonValue port = device.value(QStringLiteral("port"));
    if (port.toString() != QLatin1String("port1") && port.toString() != QLatin1String("port2"))
        return fault(at(QStringLiteral("port")), port, QStringLiteral("must be port1 or port2"));
    const QJsonValue crc = device.value(QStringLiteral("autoCRC"));
    if (!crc.isDouble() || (crc.toDouble() != 0 && crc.toDouble() != 1))
        return fault(at(QStringLiteral("autoCRC")), crc, QStringLiteral("must be 1 or 0"));
    const QJsonValue poll = device.value(QStringLiteral("poll"));
    const auto seconds = GatewayRules::pollSeconds(poll.toString());
    if (!poll.isString() || !seconds || *seconds < GatewayRules::minPollSeconds
        || *seconds > GatewayRules::maxPollSeconds)
        return fault(at(QStringLiteral("poll")), poll,
                     QStringLiteral("seconds should be between 5 and 300"));
    const QJsonValue hex = device.value(QStringLiteral("cmdHex"));
    if (!hex.isString() || !GatewayRules::isHex(hex.toString()))
        return fault(at(QStringLiteral("cmdHex")), hex,
                     QStringLiteral("must hold only hex digits (0-9, A-F)"));
    if (hex.toString().size() % 2 != 0)
        return fault(at(QStringLiteral("cmdHex")), hex,
                     QStringLiteral("an odd number of hex digits is not whole bytes"));
    return {};
}

} // namespace

GatewayBackup GatewayBackup::fromGateway(const QVariantMap &dataMap, const QVariantList &devices,
                                         bool withPasswords)
{
    GatewayBackup backup;
    backup.toolVersion = QCoreApplication::applicationVersion();
    backup.time = QDateTime::currentDateTimeUtc();
    backup.deviceId = dataMap.value(deviceIdKey).toString();
    backup.mqttClientId = dataMap.value(clientIdKey).toString();
    const QStringList passwords = GatewayRules::passwordKeys();
    for (auto it = dataMap.cbegin(); it != dataMap.cend(); ++it) {
        if (it.key().isEmpty() || (!withPasswords && passwords.contains(it.key())))
            continue;
        backup.settings.insert(it.key(), it.value().toString());
    }
    for (const QVariant &device : devices) {
        QVariantMap record = device.toMap();
        record.remove(QStringLiteral("id")); // the position in the list is what counts
        backup.devices.append(record);
    }
    return backup;
}

GatewayBackup GatewayBackup::withoutPasswords() const
{
    GatewayBackup backup = *this;
    for (const QString &key : GatewayRules::passwordKeys())
        backup.settings.remove(key);
    return backup;
}

QByteArray GatewayBackup::toJson() const
{
    QJsonObject settingsObject;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it)
        settingsObject.insert(it.key(), it.value());
    QJsonObject root{
        {schemaKey, schemaVersion},
        {toolKey, toolVersion},
        {timeKey, time.toUTC().toString(Qt::ISODate)},
        {deviceIdKey, deviceId},
        {clientIdKey, mqttClientId},
        {settingsKey, settingsObject},
        {devicesKey, QJsonArray::fromVariantList(devices)},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool GatewayBackup::write(const QString &path, QString *error) const
{
    const QString problem = PrivateFile::write(path, toJson());
    if (!problem.isEmpty() && error)
        *error = QStringLiteral("Cannot write %1: %2").arg(path, problem);
    return problem.isEmpty();
}

GatewayBackup::ReadResult GatewayBackup::fromJson(const QByteArray &json)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {std::nullopt, QStringLiteral("not a JSON file (%1 at byte %2)")
                                  .arg(parseError.errorString())
                                  .arg(parseError.offset)};
    if (!document.isObject())
        return {std::nullopt, QStringLiteral("not a backup: the JSON is not an object")};
    const QJsonObject root = document.object();
    for (const QString &key :
         {schemaKey, toolKey, timeKey, deviceIdKey, clientIdKey, settingsKey, devicesKey}) {
        if (!root.contains(key))
            return {std::nullopt, QStringLiteral("the key \"%1\" is missing").arg(key)};
    }
    const QJsonValue schema = root.value(schemaKey);
    if (schema.toInt(-1) != schemaVersion)
        return {std::nullopt,
                fault(schemaKey, schema,
                      QStringLiteral("this tool reads schema version %1 only").arg(schemaVersion))};
    for (const QString &key : {toolKey, timeKey, deviceIdKey, clientIdKey}) {
        if (!root.value(key).isString())
            return {std::nullopt, fault(key, root.value(key), QStringLiteral("must be text"))};
    }
    if (!root.value(settingsKey).isObject())
        return {std::nullopt,
                fault(settingsKey, root.value(settingsKey), QStringLiteral("must be an object"))};
    if (!root.value(devicesKey).isArray())
        return {std::nullopt,
                fault(devicesKey, root.value(devicesKey), QStringLiteral("must be an array"))};

    GatewayBackup backup;
    backup.toolVersion = root.value(toolKey).toString();
    backup.time = QDateTime::fromString(root.value(timeKey).toString(), Qt::ISODate);
    backup.deviceId = root.value(deviceIdKey).toString();
    backup.mqttClientId = root.value(clientIdKey).toString();

    const QJsonObject settingsObject = root.value(settingsKey).toObject();
    for (auto it = settingsObject.begin(); it != settingsObject.end(); ++it) {
        const QString where = QStringLiteral("settings.") + it.key();
        if (!it.value().isString())
            return {std::nullopt, fault(where, it.value(), QStringLiteral("must be text"))};
        const QString why = settingFault(it.key(), it.value().toString());
        if (!why.isEmpty())
            return {std::nullopt, fault(where, it.value(), why)};
        backup.settings.insert(it.key(), it.value().toString());
    }

    const QJsonArray deviceArray = root.value(devicesKey).toArray();
    for (qsizetype i = 0; i < deviceArray.size(); ++i) {
        const QString where = QStringLiteral("devices[%1]").arg(i);
        if (!deviceArray[i].isObject())
            return {std::nullopt,
                    fault(where, deviceArray[i], QStringLiteral("must be an object"))};
        const QJsonObject device = deviceArray[i].toObject();
        const QString why = deviceFault(device, where);
        if (!why.isEmpty())
            return {std::nullopt, why};
        QVariantMap record;
        for (const QString &key : deviceKeys)
            record.insert(key, device.value(key).toVariant());
        record.insert(QStringLiteral("autoCRC"), device.value(QStringLiteral("autoCRC")).toInt());
        backup.devices.append(record);
    }
    return {backup, QString()};
}

GatewayBackup::ReadResult GatewayBackup::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("cannot open %1: %2").arg(path, file.errorString())};
    // A backup is a few kilobytes; anything far larger is not one.
    constexpr qint64 maxSize = 4 * 1024 * 1024;
    if (file.size() > maxSize)
        return {std::nullopt, QStringLiteral("%1 is too large to be a backup").arg(path)};
    return fromJson(file.read(maxSize));
}
