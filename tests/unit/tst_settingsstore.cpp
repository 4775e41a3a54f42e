#include "clouddeviceregistry.h"
#include "secretscrambler.h"
#include "settingsstore.h"

#include <QtTest>

Q_DECLARE_METATYPE(QMQTT::TlsOptions)

// Each test works in a configuration folder of its own, never the user's.
class TestSettingsStore : public QObject
{
    Q_OBJECT

public:
    TestSettingsStore() { qputenv("XDG_CONFIG_HOME", m_home.path().toUtf8()); }

private slots:
    void init() { QVERIFY(QDir(m_home.path() + "/Kestrelvane_configTool").removeRecursively()); }

    // In the user's configuration folder, created by the first write and
    // owner-only whatever opened it up since.
    void keepsTheFileInTheUsersFolderOwnerOnly()
    {
        const QString folder = m_home.path() + "/Kestrelvane_configTool";
        QVERIFY(!QFileInfo::exists(folder));
        const QString path = SettingsStore::settingsFilePath();
        QCOMPARE(path, folder + "/meridax.ini");
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(!QFileInfo::exists(QDir::currentPath() + "/C:"));
        QCOMPARE(SettingsStore::readDeviceIds(), QStringList());

        SettingsStore::writeBrokerSettings("KV-1", {"h", "1883", "u", "p"});
        const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const auto userBits = QFileDevice::ReadUser | QFileDevice::WriteUser;
        QCOMPARE(QFile::permissions(path) & ~userBits, ownerOnly);
        QFile::setPermissions(path, ownerOnly | QFileDevice::ReadOther | QFileDevice::ReadGroup);
        SettingsStore::writeDeviceIds({"KV-1"});
        QCOMPARE(QFile::permissions(path) & ~userBits, ownerOnly);
    }

    // An entry reads its password, and its TLS keys or their absence, as
    // written by hand; the gateway's next report rewrites the four keys
    // alike and leaves the TLS keys as they are.
    void keepsTheBrokerEntry_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("stored");   // null: only never in the clear
        QTest::addColumn<QByteArray>("lines"); // of the entry, beside the four keys
        QTest::addColumn<QString>("port");
        QTest::addColumn<QMQTT::TlsOptions>("tls");
        const auto row = [](const char *tag, const QString &password, const QString &stored,
                            const QByteArray &lines, const char *port,
                            const QMQTT::TlsOptions &tls = {}) {
            QTest::newRow(tag) << password << stored << lines << QString(port) << tls;
        };
        row("ascii, each byte ^ 0xA7; file written before TLS", "abc", "xsXE", {}, "1883");
        row("empty; TLS port without a word", "", "", {}, "8883", {true, "", "", ""});
        row("non-ASCII; plain asked on the TLS port", QStringLiteral("pässwörd✓"), {},
            "mqttTls=false\n", "8883");
        row("INI specials; TLS with a CA, certificate and key", "a=b;c,\"d\"\\e [f]", {},
            "mqttTls=true\nmqttCaFile=/ca.crt\nmqttCertFile=/c.crt\nmqttKeyFile=/c.key\n", "1883",
            {true, "/ca.crt", "/c.crt", "/c.key"});
        // What a gateway's invalid UTF-8 became on the way in.
        row("replacement characters", QStringLiteral("p\uFFFD(w\uFFFD"), {}, {}, "1883");
    }
    void keepsTheBrokerEntry()
    {
        QFETCH(QString, password);
        QFETCH(QString, stored);
        QFETCH(QByteArray, lines);
        QFETCH(QString, port);
        QFETCH(QMQTT::TlsOptions, tls);
        QFile file(SettingsStore::settingsFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[KV-7]\nmqttServer=broker.example\nmqttPort=" + port.toUtf8()
                   + "\nmqttUser=user\nmqttPass="
                   + SecretScrambler::scrambleSecret(password).toLatin1() + "\n" + lines);
        file.close();
        const BrokerSettings expected{"broker.example", port, "user", password, tls};
        QCOMPARE(SettingsStore::readBrokerSettings("KV-7"), expected);
        SettingsStore::writeBrokerSettings("KV-7", {"broker.example", port, "user", password});
        QCOMPARE(SettingsStore::readBrokerSettings("KV-7"), expected);

        const QString raw = QSettings(SettingsStore::settingsFilePath(), QSettings::IniFormat)
                                .value("KV-7/mqttPass")
                                .toString();
        QCOMPARE(SecretScrambler::unscrambleSecret(raw), password);
        if (!stored.isNull())
            QCOMPARE(raw, stored);
        QVERIFY(password.isEmpty() || !raw.contains(password));
    }

    void normalisesAddedDeviceIds_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("known");

        QTest::newRow("spaces removed") << QStringList{"  KV 00 1 "} << QStringList{"KV001"};
        QTest::newRow("same id again changes nothing")
            << QStringList{"KV1", " K V1 "} << QStringList{"KV1"};
        QTest::newRow("case matters") << QStringList{"kv1", "KV1"} << QStringList{"kv1", "KV1"};
        QTest::newRow("only spaces") << QStringList{"   "} << QStringList{};
    }
    void normalisesAddedDeviceIds()
    {
        QFETCH(QStringList, given);
        QFETCH(QStringList, known);

        CloudDeviceRegistry registry;
        registry.load();
        for (const QString &id : given)
            registry.addDeviceId(id);
        QCOMPARE(registry.deviceIds(), known);
        QCOMPARE(SettingsStore::readDeviceIds(), known);
    }

    void registersOnlyCompleteReportedSettings_data()
    {
        QTest::addColumn<QString>("change"); // "key=value" the gateway reports otherwise
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("complete") << "" << true << QStringList{"KV-9"};
        QTest::newRow("no password") << "mqttPass=" << false << QStringList();
        QTest::newRow("no server") << "mqttServer=" << false << QStringList();
        QTest::newRow("client id not needed") << "mqttClientId=" << true << QStringList{"KV-9"};
        QTest::newRow("topic off the scheme") << "port1Topic=plant/port1" << true << QStringList();
    }
    void registersOnlyCompleteReportedSettings()
    {
        QFETCH(QString, change);
        QFETCH(bool, complete);
        QFETCH(QStringList, ids);

        QVariantMap map{{"mqttServer", "127.0.0.1"},
                        {"mqttPort", "1883"},
                        {"mqttClientId", "gw"},
                        {"mqttUser", "gateway"},
                        {"mqttPass", QStringLiteral("pä+ss")},
                        {"port1Topic", "Kestrelvane/KV-9/pub/port1"}};
        if (!change.isEmpty())
            map.insert(change.section('=', 0, 0), change.section('=', 1));
        const ReportedMqttSettings reported = ReportedMqttSettings::takeFrom(map);

        CloudDeviceRegistry registry;
        registry.load();
        const auto registration = registry.registerReported(reported);
        QCOMPARE(registration.complete, complete);
        QCOMPARE(registration.deviceIdAdded, !ids.isEmpty());
        QCOMPARE(registry.deviceIds(), ids);
        if (!ids.isEmpty()) {
            QVERIFY(registry.select(ids.first()));
            QCOMPARE(registry.broker(),
                     (BrokerSettings{"127.0.0.1", "1883", "gateway", QStringLiteral("pä+ss")}));
            // Registering the same gateway again is idempotent.
            QCOMPARE(registry.registerReported(reported).deviceIdAdded, false);
            QCOMPARE(registry.deviceIds(), ids);
        }
    }

private:
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
