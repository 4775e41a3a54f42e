#include "settingsstore.h"

#include "secretscrambler.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace SettingsStore {
namespace {

constexpr auto folderName = "Kestrelvane_configTool";
constexpr auto fileName = "/meridax.ini";
constexpr auto deviceIdsKey = "MQTT/DeviceIds";
constexpr auto tlsKey = "mqttTls";
constexpr auto caFileKey = "mqttCaFile";
constexpr auto certFileKey = "mqttCertFile";
constexpr auto keyFileKey = "mqttKeyFile";

QString settingsFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:/") + QLatin1String(folderName);
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QLatin1Char('/') + QLatin1String(folderName);
#endif
}

// The file holds broker credentials. Creating it owner-only before QSettings
// first writes it matters: QSettings replaces the file atomically and keeps
// the permissions of the file it replaces.
void ensureOwnerOnlyFile(const QString &path)
{
#ifdef Q_OS_UNIX
    constexpr auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile file(path);
    if (!file.exists()) {
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly);
        return;
    }
    if (file.permissions() != ownerOnly)
        file.setPermissions(ownerOnly);
#else
    Q_UNUSED(path);
#endif
}

// Every write goes through here so the permission rule cannot be forgotten.
template<typename Writer>
void writeSettings(Writer &&write)
{
    const QString path = settingsFilePath();
    ensureOwnerOnlyFile(path);
    QSettings settings(path, QSettings::IniFormat);
    write(settings);
}

} // namespace

QString settingsFilePath()
{
    const QString folder = settingsFolder();
    QDir().mkpath(folder);
    return folder + QLatin1String(fileName);
}

QStringList readDeviceIds()
{
    const QSettings settings(settingsFilePath(), QSettings::IniFormat);
    return settings.value(QLatin1String(deviceIdsKey)).toStringList();
}

void writeDeviceIds(const QStringList &deviceIds)
{
    writeSettings(
        [&](QSettings &settings) { settings.setValue(QLatin1String(deviceIdsKey), deviceIds); });
}

BrokerSettings readBrokerSettings(const QString &deviceId)
{
    QSettings settings(settingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(deviceId);
    BrokerSettings broker;
    broker.host = settings.value(QStringLiteral("mqttServer")).toString();
    broker.port = settings.value(QStringLiteral("mqttPort")).toString();
    broker.user = settings.value(QStringLiteral("mqttUser")).toString();
    broker.password =
        SecretScrambler::unscrambleSecret(settings.value(QStringLiteral("mqttPass")).toString());
    const QVariant tls = settings.value(QLatin1String(tlsKey));
    broker.tls.enabled =
        tls.isValid() ? tls.toBool() : broker.port.trimmed() == QString::number(QMQTT::mqttTlsPort);
    broker.tls.caFile = settings.value(QLatin1String(caFileKey)).toString();
    broker.tls.certFile = settings.value(QLatin1String(certFileKey)).toString();
    broker.tls.keyFile = settings.value(QLatin1String(keyFileKey)).toString();
    settings.endGroup();
    return broker;
}

void writeBrokerSettings(const QString &deviceId, const BrokerSettings &broker)
{
    writeSettings([&](QSettings &settings) {
        settings.beginGroup(deviceId);
        settings.setValue(QStringLiteral("mqttServer"), broker.host);
        settings.setValue(QStringLiteral("mqttPort"), broker.port);
        settings.setValue(QStringLiteral("mqttUser"), broker.user);
        settings.setValue(QStringLiteral("mqttPass"),
                          SecretScrambler::scrambleSecret(broker.password));
        settings.endGroup();
    });
}

void writeBrokerTls(const QString &deviceId, const QMQTT::TlsOptions &tls)
{
    writeSettings([&](QSettings &settings) {
        settings.beginGroup(deviceId);
        settings.setValue(QLatin1String(tlsKey), tls.enabled);
        settings.setValue(QLatin1String(caFileKey), tls.caFile);
        settings.setValue(QLatin1String(certFileKey), tls.certFile);
        settings.setValue(QLatin1String(keyFileKey), tls.keyFile);
        settings.endGroup();
    });
}

} // namespace SettingsStore
