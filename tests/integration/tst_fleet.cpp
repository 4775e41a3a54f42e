#include "brokerfixture.h"
#include "certificateauthority.h"
#include "fleetrun.h"
#include "gatewayfleet.h"

#include <QtTest>

#include <csignal>

namespace {

constexpr int fleetSize = 6;
// Fleet gateways listen on 127.0.150.2 and up: a block no other suite uses.
const QHostAddress firstAddress(QStringLiteral("127.0.150.2"));

using Fault = GatewayModel::Fault;
using Status = FleetResult::Status;
using Faults = QMap<int, Fault>; // by gateway number, 1 and up

enum class Cut { None, BrokerDropped, LinkDropped, Stopped };

GatewayBackup backupOf(const GatewayModel &gateway)
{
    QVariantMap settings;
    for (const QString &key : gateway.settingKeys())
        settings.insert(key, gateway.setting(key));
    QVariantList devices;
    for (const GatewayModel::Device &device : gateway.devices())
        devices << QVariantMap{{"name", device.name},
                               {"port", QStringLiteral("port%1").arg(device.port)},
                               {"autoCRC", device.autoCrc},
                               {"poll", device.poll},
                               {"cmdHex", device.cmdHex}};
    return GatewayBackup::fromGateway(settings, devices, true);
}

// Gateways 2 to 6 never answer.
const Faults allButFirstSilent{{2, Fault::Silent},
                               {3, Fault::Silent},
                               {4, Fault::Silent},
                               {5, Fault::Silent},
                               {6, Fault::Silent}};

} // namespace

Q_DECLARE_METATYPE(Faults)
Q_DECLARE_METATYPE(Cut)
Q_DECLARE_METATYPE(FleetTask::Action)

// Many gateways at once, each of which may be silent, refuse, cut its list
// or lose its link: every gateway ends on its own outcome, and nothing is
// reported done that its gateway did not acknowledge.
class TestFleet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(m_ca.create() && m_ca.issue("server", "localhost", {"localhost"}),
                 qPrintable(m_ca.errorString()));
    }

    void init()
    {
        qputenv("XDG_CONFIG_HOME", m_home.path().toUtf8());
        m_broker = std::make_unique<MosquittoBroker>();
        m_broker->addUser(BrokerFixture::user, BrokerFixture::password);
        // The tool may come over TLS while the gateways stay on plain TCP.
        m_tlsPort =
            m_broker->addTlsListener(m_ca.path("server", ".crt"), m_ca.path("server", ".key"));
        QVERIFY2(m_broker->start(), qPrintable(m_broker->errorString()));
        m_fleet = std::make_unique<GatewayFleet>(fleetSize, "KV");
        for (int i = 0; i < fleetSize; ++i)
            m_fleet->gateway(i).model().setBroker(m_broker->host(), m_broker->port(),
                                                  BrokerFixture::user, BrokerFixture::password);
        QString error;
        QVERIFY2(m_fleet->listen(firstAddress, {}, &error), qPrintable(error));
        QSignalSpy joined(m_fleet.get(), &GatewayFleet::cloudConnected);
        m_fleet->startCloud();
        QVERIFY(joined.wait(5000));
        // The reference: gateway 1 as it is, so that it alone matches.
        m_reference = backupOf(m_fleet->gateway(0).model());
        QVERIFY(m_reference.write(m_home.filePath("reference.json"), &error));
    }

    void cleanup()
    {
        m_fleet.reset();
        m_broker.reset();
    }

    void eachGatewayEndsOnItsOwn_data()
    {
        QTest::addColumn<bool>("cloud");
        QTest::addColumn<FleetTask::Action>("action");
        QTest::addColumn<Faults>("faults");
        QTest::addColumn<Cut>("cut");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<QList<int>>("saves"); // "SAVE" acknowledged by each gateway

        // Statuses separated by ',', gateway 1 first.
        const auto row = [](const QString &tag, bool cloud, FleetTask::Action action,
                            const Faults &faults, Cut cut, const char *statuses,
                            const QList<int> &saves = QList<int>(fleetSize, 0)) {
            QTest::newRow(qPrintable(tag))
                << cloud << action << faults << cut << QString(statuses).split(',') << saves;
        };
        using Action = FleetTask::Action;
        const Faults faults{{2, Fault::Silent}, {3, Fault::Refusing}, {4, Fault::CutList}};
        for (const bool cloud : {true, false}) {
            const QString how = cloud ? "broker: " : "LAN: ";
            row(how + "backup", cloud, Action::Backup, faults, Cut::None,
                "done,no answer,done,refused,done,done");
            row(how + "check", cloud, Action::Check, faults, Cut::None,
                "done,no answer,differs,refused,differs,differs");
            // The refusing gateway is sent nothing after its refusal, and
            // never "SAVE".
            row(how + "restore", cloud, Action::Restore, faults, Cut::None,
                "done,no answer,refused,refused,done,done", {0, 0, 0, 0, 1, 1});
        }
        row("broker: restart", true, Action::Restart, faults, Cut::None,
            "done,no answer,done,done,done,done");
        row("LAN: restart goes through the broker only", false, Action::Restart, {}, Cut::None,
            "failed,failed,failed,failed,failed,failed");
        // When the broker goes, the run still ends at once, none of them done.
        row("broker dropped mid-run", true, Action::Backup, allButFirstSilent, Cut::BrokerDropped,
            "done,link lost,link lost,link lost,link lost,link lost");
        row("LAN: links dropped mid-run", false, Action::Backup, allButFirstSilent,
            Cut::LinkDropped, "done,link lost,link lost,link lost,link lost,link lost");
        row("stopped mid-run", true, Action::Backup, allButFirstSilent, Cut::Stopped,
            "done,not done,not done,not done,not done,not done");
    }
    void eachGatewayEndsOnItsOwn()
    {
        QFETCH(bool, cloud);
        QFETCH(FleetTask::Action, action);
        QFETCH(Faults, faults);
        QFETCH(Cut, cut);
        QFETCH(QStringList, statuses);
        QFETCH(QList<int>, saves);

        QList<FleetInventory::Gateway> gateways;
        for (int i = 0; i < fleetSize; ++i) {
            m_fleet->gateway(i).model().setFault(faults.value(i + 1, Fault::None));
            FleetInventory::Gateway gateway;
            gateway.transport = cloud ? FleetInventory::Gateway::Transport::Cloud
                                      : FleetInventory::Gateway::Transport::Direct;
            gateway.deviceId = m_fleet->gateway(i).model().deviceId();
            gateway.host = m_fleet->gateway(i).address().toString();
            gateway.port = 8881;
            gateways << gateway;
        }
        FleetTask task;
        task.action = action;
        task.outDir = m_home.filePath(QTest::currentDataTag());
        task.reference = m_reference;
        task.replyMs = cut == Cut::None ? 1500 : 60000;
        task.stepMs = 1500;
        QDir().mkpath(task.outDir);

        FleetRun run;
        run.setJobs(fleetSize);
        run.setBrokerLookup([this](const FleetInventory::Gateway &, QString *) {
            return std::optional<BrokerSettings>(
                BrokerSettings{m_broker->host(), QString::number(m_broker->port()),
                               BrokerFixture::user, BrokerFixture::password});
        });
        QSignalSpy finished(&run, &FleetRun::finished);
        // Once the one answering gateway is done, the others are all waiting.
        connect(&run, &FleetRun::resultChanged, this, [&](int index) {
            if (index != 0 || run.results()[0].status != Status::Done)
                return;
            if (cut == Cut::BrokerDropped)
                m_broker->kill();
            else if (cut == Cut::LinkDropped)
                for (int i = 1; i < fleetSize; ++i)
                    m_fleet->gateway(i).dropConnections(GatewaySimulator::Service::Command);
            else if (cut == Cut::Stopped)
                run.stop();
        });
        run.start(gateways, task);
        QVERIFY(finished.wait(20000));

        QStringList shown;
        for (const FleetResult &result : run.results())
            shown << FleetResult::statusText(result.status);
        QCOMPARE(shown, statuses);
        QList<int> saved;
        for (int i = 0; i < fleetSize; ++i) {
            saved << m_fleet->gateway(i).model().saveCount();
            const bool backedUp = action == FleetTask::Action::Backup && statuses[i] == "done";
            QCOMPARE(QFile::exists(QStringLiteral("%1/KV-%2.json")
                                       .arg(task.outDir)
                                       .arg(i + 1, 4, 10, QLatin1Char('0'))),
                     backedUp);
        }
        QCOMPARE(saved, saves);
    }

    // The command line as a shell user runs it: one result per gateway on
    // the standard output as each ends, the exit status saying how the
    // fleet fared, nothing sent on bad input, and Ctrl-C reporting what went
    // through before it.
    void commandLineReportsEveryGateway_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Faults>("faults");
        QTest::addColumn<bool>("interrupt"); // SIGINT once the first gateway is done
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QStringList>("lines"); // a pattern for some line of the output each

        // Arguments separated by spaces.
        const auto row = [](const char *tag, const char *args, const Faults &faults, bool interrupt,
                            int exitStatus, const QStringList &lines = {}) {
            QTest::newRow(tag) << QString(args).split(' ') << faults << interrupt << exitStatus
                               << lines;
        };
        row("backup, all done", "fleet backup %inventory --out-dir %dir", {}, false, 0,
            {"^gateway,name,site,device_id,status,detail,differences$",
             "^mqtt://KV-0006,,,KV-0006,done,written to .*KV-0006.json,$"});
        row("check finds drift, as JSON lines", "fleet check %reference %inventory --format json",
            {}, false, 3,
            {"^\\{\"detail\":.*\"deviceId\":\"KV-0001\".*\"status\":\"done\"\\}$",
             "\"deviceId\":\"KV-0002\",\"differences\":\\[\"change device 0: "
             ".*\"status\":\"differs\""});
        row("one gateway silent", "fleet check %reference %inventory --timeout 1",
            {{2, Fault::Silent}}, false, 1, {"^mqtt://KV-0002,,,KV-0002,no answer,"});
        row("interrupted", "fleet check %reference %inventory --timeout 60", allButFirstSilent,
            true, 1, {"^mqtt://KV-0001,,,KV-0001,done,", "^mqtt://KV-0006,,,KV-0006,not done,"});
        row("restart needs its word", "fleet restart %inventory", {}, false, 2);
        row("bad inventory", "fleet check %reference %reference", {}, false, 2);
        row("password in the broker address",
            "fleet backup %inventory --out-dir %dir --broker mqtt://gateway:pw@127.0.0.1", {},
            false, 2);
        // One gateway through the broker: its device list, and nothing but it.
        row("one gateway backed up through the broker", "backup --device-id KV-0003 -o -", {},
            false, 0, {"\"deviceId\": \"KV-0003\"", "\"name\": \"Pump drive 3\""});
        row("one gateway's restore, dry run", "restore %reference --device-id KV-0002 --dry-run",
            {}, false, 0,
            {"^Difference", "^  \\[x\\] change device 0: ", "^  \\[x\\] delete device 1: "});
        row("check over TLS",
            "fleet check %reference %inventory --cafile %ca --broker "
            "mqtts://gateway@localhost:%tlsport",
            {}, false, 3, {"^mqtt://KV-0001,,,KV-0001,done,matches the reference,$"});
        row("one gateway named twice", "backup --device-id KV-0003 --gateway 127.0.0.1 -o -", {},
            false, 2);
    }
    void commandLineReportsEveryGateway()
    {
        QFETCH(QStringList, args);
        QFETCH(Faults, faults);
        QFETCH(bool, interrupt);
        QFETCH(int, exitStatus);
        QFETCH(QStringList, lines);

        QFile inventory(m_home.filePath("inventory.csv"));
        QVERIFY(inventory.open(QIODevice::WriteOnly) && inventory.write("gateway\n"));
        for (int i = 0; i < fleetSize; ++i) {
            m_fleet->gateway(i).model().setFault(faults.value(i + 1, Fault::None));
            inventory.write("mqtt://" + m_fleet->gateway(i).model().deviceId().toUtf8() + '\n');
        }
        inventory.close();
        args.replaceInStrings("%inventory", inventory.fileName());
        args.replaceInStrings("%reference", m_home.filePath("reference.json"));
        args.replaceInStrings("%dir", m_home.filePath("cli-backups"));
        args.replaceInStrings("%tlsport", QString::number(m_tlsPort));
        args.replaceInStrings("%ca", m_ca.certFile());
        if (!args.contains("--broker"))
            args << "--broker"
                 << QStringLiteral("mqtt://%1@%2:%3")
                        .arg(BrokerFixture::user, m_broker->host())
                        .arg(m_broker->port());
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KV_BROKER_PASSWORD", BrokerFixture::password);
        tool.setProcessEnvironment(environment);
        tool.start(KESTRELVANE_CONFIG_PATH, args);
        QString errors;
        if (interrupt) {
            QTRY_VERIFY_WITH_TIMEOUT(
                (errors += tool.readAllStandardError()).contains("KV-0001 done"), 10000);
            ::kill(pid_t(tool.processId()), SIGINT);
        }
        // The simulated fleet answers from this process: wait in its event loop.
        QTRY_VERIFY_WITH_TIMEOUT(tool.state() == QProcess::NotRunning, 20000);
        errors += tool.readAllStandardError();
        const QStringList printed =
            QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QVERIFY2(tool.exitCode() == exitStatus, qPrintable(errors));
        for (const QString &pattern : lines) {
            const QRegularExpression expression(pattern);
            QVERIFY2(
                std::any_of(printed.cbegin(), printed.cend(),
                            [&](const QString &line) { return expression.match(line).hasMatch(); }),
                qPrintable(pattern + " matches no line of:\n" + printed.join('\n')));
        }
        if (exitStatus == 2) {
            QVERIFY(printed.isEmpty());
            QVERIFY2(errors.contains("kestrelvane-config " + args[0]), qPrintable(errors));
            QCOMPARE(m_fleet->commandsReceived(), 0);
        } else if (args[0] == "fleet") {
            // One record a gateway (a CSV record may hold line breaks).
            QCOMPARE(printed.filter(QRegularExpression("^(mqtt://|\\{)")).size(), fleetSize);
        }
    }

private:
    QTemporaryDir m_home;
    CertificateAuthority m_ca{m_home.path(), "ca"};
    quint16 m_tlsPort = 0;
    std::unique_ptr<MosquittoBroker> m_broker;
    std::unique_ptr<GatewayFleet> m_fleet;
    GatewayBackup m_reference;
};

QTEST_GUILESS_MAIN(TestFleet)
#include "tst_fleet.moc"
