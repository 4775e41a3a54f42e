#include "backupsession.h"
#include "bridgefixture.h"
#include "brokerfixture.h"
#include "gatewaycloudlink.h"

#include <QtTest>

using Service = GatewaySimulator::Service;

namespace {

// The backup page's session on a bridge of its own, aimed at a gateway's
// address or, with none, at the cloud device chosen.
struct Tool
{
    explicit Tool(const QString &host = QString(), int stepMs = 5000)
    {
        session.setBridge(&bridge);
        if (!host.isEmpty())
            session.setHost(host);
        session.setTimeouts(5000, stepMs);
    }

    // Runs an action; returns the status it finished with, -1 for a plan to
    // look at, or -2 when neither came.
    int run(const std::function<void()> &action, QString *message = nullptr)
    {
        QSignalSpy finished(&session, &BackupSession::finished);
        QSignalSpy planReady(&session, &BackupSession::planReady);
        action();
        if (!QTest::qWaitFor([&] { return !finished.isEmpty() || !planReady.isEmpty(); }, 10000))
            return -2;
        if (finished.isEmpty())
            return -1;
        if (message)
            *message = finished.first().at(1).toString();
        return finished.first().at(0).toInt();
    }

    TcpBridge bridge;
    BackupSession session;
};

} // namespace

// Backup, restore and clone against two simulated gateways, through the
// session the backup page uses and through the command line.
class TestBackupRestore : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_a = f.startGateway("KV-A");
        m_b = f.startGateway("KV-B");
        QVERIFY(m_a && m_b);
        // B differs from A in settings before, at and after apnSim1 (in the
        // order they are written), in its LAN address and in its devices.
        GatewayModel &b = m_b->model();
        b.setSetting("bleName", "KV-B-ble");
        b.setSetting("apnSim1", "b.apn");
        b.setSetting("rs485_1_baud", "115200");
        b.setSetting("staticIP", "192.168.1.101");
        b.setDevices({{"Old meter", 2, 0, "60s", "0104"},
                      {"Main meter", 2, 0, "5s", "0103000A0004A5CB"},
                      {"Spare", 1, 1, "300s", "01"}});
    }

    void cleanup()
    {
        m_a.reset();
        m_b.reset();
    }

    void clonesOneGatewayIntoAnother()
    {
        const QString path = backUpA();
        Tool tool(m_b->address().toString());
        const QString url = QUrl::fromLocalFile(path).toString(); // as the page gives it
        QCOMPARE(tool.run([&] { tool.session.openBackup(url); }), -1);
        QCOMPARE(tool.run([&] { tool.session.apply(); }), int(BackupSession::Done));

        const GatewayModel &a = m_a->model();
        const GatewayModel &b = m_b->model();
        for (const QString &key : a.settingKeys()) {
            if (key != "deviceId" && key != "mqttClientId" && key != "staticIP")
                QCOMPARE(b.setting(key), a.setting(key).replace("KV-A", "KV-B"));
        }
        QCOMPARE(b.deviceId(), "KV-B");
        QCOMPARE(b.setting("staticIP"), "192.168.1.101");
        QCOMPARE(b.deviceListLines(), a.deviceListLines());
        QCOMPARE(b.saveCount(), 1);
        QCOMPARE(m_b->commands().last(), "SAVE");
    }

    void stopsAtTheFirstFailureAndSaysWhatWentThrough_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QByteArray>("scriptedReply"); // null: the link drops, or SAVE is refused
        QTest::addColumn<QString>("report");

        const QString set = "SET apnSim1 internet";
        const QString apn = "apnSim1: \"b.apn\" -> \"internet\"";
        const QString baud = "rs485_1_baud: \"115200\" -> \"9600\"";
        const QString change = "change device 0: Old meter, port2, CRC=0, poll=60s, cmd=0104 -> "
                               "ELMEASURE LG+1119, port1, CRC=1, poll=10s, cmd=010300000002C40B";
        const QString remove = "delete device 2: Spare, port1, CRC=1, poll=300s, cmd=01";
        const QString setReport = "Stopped at step 2 of 6 (" + apn
                                  + "): %1.\nNothing was saved to flash.\n"
                                    "Acknowledged by the gateway (in its working copy only):\n"
                                    "  bleName: \"KV-B-ble\" -> \"KV-Gateway\"\n"
                                    "Not acknowledged:\n  "
                                  + apn + "\nNot sent:\n  " + baud + "\n  " + change + "\n  "
                                  + remove + "\n  save to flash\n";
        // The refusal names the key, which alone would count as an acknowledgement.
        QTest::newRow("refused") << set << QByteArray("ERROR: apnSim1 locked by operator\r\n")
                                 << setReport.arg("the gateway answered \"ERROR: apnSim1 locked by "
                                                  "operator\"");
        QTest::newRow("silent") << set << QByteArray("") << setReport.arg("no answer within 0.3 s");
        QTest::newRow("link dropped")
            << set << QByteArray() << setReport.arg("the link to the gateway was lost");
        // The device changes were stored as the gateway took them.
        QTest::newRow("save refused after device changes")
            << "SAVE" << QByteArray()
            << "Stopped at step 6 of 6 (save to flash): the gateway answered \"ERROR: flash write "
               "failed, settings not saved\".\nStored by the gateway (it saved each as it took "
               "it):\n  "
                   + change + "\n  " + remove
                   + "\nAcknowledged by the gateway (in its working copy only):\n"
                     "  bleName: \"KV-B-ble\" -> \"KV-Gateway\"\n  "
                   + apn + "\n  " + baud + "\nNot sent:\n  (none)\n";
    }
    void stopsAtTheFirstFailureAndSaysWhatWentThrough()
    {
        QFETCH(QString, failing);
        QFETCH(QByteArray, scriptedReply);
        QFETCH(QString, report);
        const QString path = backUpA();
        if (failing == "SAVE") {
            m_b->model().setRefuseSave(true);
        } else if (scriptedReply.isNull()) {
            connect(m_b.get(), &GatewaySimulator::commandReceived, this, [&](const QString &line) {
                if (line == failing)
                    m_b->setDropAfterBytes(0);
            });
        } else {
            m_b->setScriptedReply(failing, scriptedReply);
        }

        Tool tool(m_b->address().toString(), 300);
        QCOMPARE(tool.run([&] { tool.session.openBackup(path); }), -1);
        QString message;
        QCOMPARE(tool.run([&] { tool.session.apply(); }, &message),
                 int(BackupSession::GatewayFailed));
        QCOMPARE(m_b->commands().last(), failing);
        QCOMPARE(m_b->model().saveCount(), 0);
        QCOMPARE(m_b->model().setting("bleName"), "KV-Gateway");
        QCOMPARE(message, report);
    }

    // Cloud mode: B's device list backed up through the broker and restored
    // into A, the same acknowledgements awaited as on the cloud device list.
    void restoresTheDeviceListThroughTheBroker()
    {
        Tool tool;
        BrokerFixture b;
        QVERIFY(b.start(&tool.bridge));
        for (GatewaySimulator *sim : {m_a.get(), m_b.get()}) {
            sim->model().setBroker(b.broker->host(), b.broker->port(), b.user, b.password);
            b.store(sim->model().deviceId());
        }
        GatewayCloudLink linkA(m_a->model());
        GatewayCloudLink linkB(m_b->model());
        linkA.start();
        linkB.start();
        QTRY_VERIFY(linkA.isConnected() && linkB.isConnected());
        const QString path = m_dir.filePath("cloud.json");

        QVERIFY(b.select("KV-B"));
        tool.session.setCloudDeviceId("KV-B");
        QCOMPARE(tool.run([&] { tool.session.saveBackup(path, false); }), 0);

        QVERIFY(b.select("KV-A"));
        tool.session.setCloudDeviceId("KV-A");
        QSignalSpy commands(&linkA, &GatewayCloudLink::commandReceived);
        QCOMPARE(tool.run([&] { tool.session.openBackup(path); }), -1);
        QCOMPARE(tool.run([&] { tool.session.apply(); }), 0);
        QCOMPARE(m_a->model().deviceListLines(), m_b->model().deviceListLines());
        QStringList sent;
        for (const QList<QVariant> &command : commands)
            sent << command.first().toString();
        QCOMPARE(sent, (QStringList{"GET rs485list", "rs485mod 0,2,0,60,0104,Old meter",
                                    "rs485add 1,1,300,01,Spare", "SAVE"}));
        QCOMPARE(m_b->connectionCount(Service::Command), 0);

        // A full backup: the plan says its settings are not applied, and why.
        QCOMPARE(tool.run([&] { tool.session.openBackup(backUpA()); }), -1);
        QVERIFY2(tool.session.fileSummary().contains(
                     "gateway settings are left out: they cannot be read or written through the "
                     "broker, only over a direct link (TCP port 8881)"),
                 qPrintable(tool.session.fileSummary()));
    }

    void commandLineDryRunPrintsTheDifferenceAndOnlyReads()
    {
        // B's passwords of its own, so that a backup holding A's would show.
        for (const char *key : {"wifiPass", "mqttPass", "blePin"})
            m_b->model().setSetting(key, QStringLiteral("B's own ") + key);
        const QString path = m_dir.filePath("cli.json");
        const QString a = m_a->address().toString() + ":8881";
        QCOMPARE(runCommandLine({"backup", "--gateway", a, "-o", "-"}), 0);
        QVERIFY2(m_err.contains("Reading the device list")
                     && m_err.contains("written to the standard output"),
                 qPrintable(m_err));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(m_out.toUtf8()) > 0);
        file.close();

        const QString b = m_b->address().toString();
        QCOMPARE(runCommandLine({"restore", path, "--gateway", b, "--dry-run"}), 0);
        QVERIFY2(m_out.contains("[x] apnSim1: \"b.apn\" -> \"internet\"\n")
                     && m_out.contains("[ ] staticIP: \"192.168.1.101\" -> \"192.168.1.100\""),
                 qPrintable(m_out));
        for (const char *key : {"wifiPass", "mqttPass", "blePin"})
            QVERIFY2(!m_out.contains(key), key); // left out of the file
        QCOMPARE(m_b->commands(), (QStringList{"GETALL", "GET rs485list"}));

        const QString nobody = f.addresses.next().toString();
        QCOMPARE(runCommandLine({"backup", "--gateway", nobody, "-o", path}), 1);
        QVERIFY2(m_err.contains("Cannot connect to " + nobody), qPrintable(m_err));
    }

    void commandLineRefusesBadInputBeforeSending_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");

        const QByteArray good = R"({"schemaVersion": 1, "toolVersion": "0.1.0",
            "time": "2026-01-01T00:00:00Z", "deviceId": "KV-A", "mqttClientId": "gw-KV-A",
            "settings": {"staticIP": "192.168.1.100", "rs485_1_baud": "9600"},
            "devices": [{"name": "M", "port": "port1", "autoCRC": 1, "poll": "10s",
                         "cmdHex": "0103"}]})";
        // Each row spoils the good file in one place.
        const auto row = [&](const char *tag, const char *from, const char *to, const char *why) {
            QTest::newRow(tag) << QByteArray(good).replace(from, to) << QString(why);
        };
        row("not JSON", good.constData(), "schemaVersion=1", "not a JSON file");
        row("other schema version", "\"schemaVersion\": 1", "\"schemaVersion\": 2",
            "schemaVersion = 2: this tool reads schema version 1 only");
        row("missing key", "\"mqttClientId\"", "\"clientId\"",
            "the key \"mqttClientId\" is missing");
        row("invalid IP", "192.168.1.100", "192.168.1.300",
            "settings.staticIP = \"192.168.1.300\": not a valid IP address");
        row("baud rate not offered", "\"9600\"", "\"14400\"",
            "settings.rs485_1_baud = \"14400\": not one of the baud rates offered");
        row("poll outside 5..300", "10s", "301s",
            "devices[0].poll = \"301s\": seconds should be between 5 and 300");
        row("hex command with odd digits", "0103", "010",
            "devices[0].cmdHex = \"010\": an odd number of hex digits is not whole bytes");
        row("line break in a value", "\"staticIP\": \"192.168.1.100\"",
            "\"apnSim1\": \"net\\r\\nREBOOT\"", "holds a line break or another control character");
    }
    void commandLineRefusesBadInputBeforeSending()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        const QString path = m_dir.filePath("bad.json");
        QFile bad(path);
        QVERIFY(bad.open(QIODevice::WriteOnly | QIODevice::Truncate)
                && bad.write(file) == file.size() && bad.flush());

        QCOMPARE(runCommandLine({"restore", path, "--gateway", m_b->address().toString()}), 2);
        QVERIFY2(m_err.contains(message), qPrintable(m_err));
        QCOMPARE(m_b->connectionCount(Service::Command), 0);
        QVERIFY(m_b->commands().isEmpty());
    }

private:
    // A's backup with its passwords; the path, or why it failed.
    QString backUpA()
    {
        Tool tool(m_a->address().toString());
        const QString path = m_dir.filePath("a.json");
        QString message;
        const int status = tool.run([&] { tool.session.saveBackup(path, true); }, &message);
        return status == BackupSession::Done ? path : message;
    }

    // Runs the command line tool while the simulators answer; its exit
    // code, with what it wrote kept in m_out and m_err.
    int runCommandLine(const QStringList &args)
    {
        QProcess process;
        QSignalSpy finished(&process, &QProcess::finished);
        process.start(KESTRELVANE_CONFIG_PATH, args);
        if (!finished.wait(20000))
            return -1;
        m_out = QString::fromUtf8(process.readAllStandardOutput());
        m_err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString m_out;
    QString m_err;

    BridgeFixture f{3}; // for the simulators and the settings folder
    QTemporaryDir m_dir;
    std::unique_ptr<GatewaySimulator> m_a;
    std::unique_ptr<GatewaySimulator> m_b;
};

QTEST_GUILESS_MAIN(TestBackupRestore)
#include "tst_backuprestore.moc"
