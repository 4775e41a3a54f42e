#include "gatewaycloudlink.h"
#include "gatewayfleet.h"
#include "gatewaysimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

namespace {

// "3,7,12" as gateway numbers; false on anything else.
bool readNumbers(const QString &text, int count, QList<int> &numbers)
{
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = part.trimmed().toInt(&ok);
        if (!ok || number < 1 || number > count)
            return false;
        numbers.append(number);
    }
    return true;
}

int runFleet(const QCommandLineParser &parser, const QHostAddress &first,
             const GatewaySimulator::Ports &ports)
{
    QTextStream err(stderr);
    bool ok = false;
    const int count = parser.value(QStringLiteral("fleet")).toInt(&ok);
    if (!ok || count < 1 || count > 100000) {
        err << "gateway-sim: --fleet takes a count from 1 to 100000\n";
        return 2;
    }
    const QString prefix = parser.isSet(QStringLiteral("device-id"))
                               ? parser.value(QStringLiteral("device-id"))
                               : QStringLiteral("KV");
    GatewayFleet fleet(count, prefix);
    const std::pair<const char *, GatewayModel::Fault> faults[] = {
        {"silent", GatewayModel::Fault::Silent},
        {"refusing", GatewayModel::Fault::Refusing},
        {"cut-list", GatewayModel::Fault::CutList}};
    for (const auto &[option, fault] : faults) {
        QList<int> numbers;
        if (!readNumbers(parser.value(QLatin1String(option)), count, numbers)) {
            err << "gateway-sim: --" << option << " takes gateway numbers from 1 to " << count
                << ", comma-separated\n";
            return 2;
        }
        for (int number : std::as_const(numbers))
            fleet.gateway(number - 1).model().setFault(fault);
    }
    for (int i = 0; i < count; ++i) {
        fleet.gateway(i).model().setBroker(parser.value(QStringLiteral("broker-host")),
                                           parser.value(QStringLiteral("broker-port")).toUShort(),
                                           parser.value(QStringLiteral("broker-user")),
                                           parser.value(QStringLiteral("broker-pass")));
    }
    if (parser.isSet(QStringLiteral("fleet-listen"))) {
        QString error;
        if (!fleet.listen(first, ports, &error)) {
            err << "gateway-sim: " << error << '\n';
            return 1;
        }
    }
    if (!parser.isSet(QStringLiteral("no-cloud"))) {
        if (!QHostAddress(parser.value(QStringLiteral("broker-host"))).isLoopback()) {
            err << "gateway-sim: only a loopback broker is joined\n";
            return 2;
        }
        fleet.startCloud();
    }
    QTextStream(stdout) << "gateway-sim: fleet of " << count << " gateways, "
                        << GatewayFleet::deviceId(prefix, 1, count) << " to "
                        << GatewayFleet::deviceId(prefix, count, count) << Qt::endl;
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gateway-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulates a Kestrelvane gateway's command port, RS-485 monitor and AT "
                       "console on a loopback address."));
    parser.addHelpOption();
    const QCommandLineOption address({QStringLiteral("a"), QStringLiteral("address")},
                                     QStringLiteral("Loopback address to listen on."),
                                     QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption commandPort(QStringLiteral("command-port"),
                                         QStringLiteral("Command port."), QStringLiteral("port"),
                                         QStringLiteral("8881"));
    const QCommandLineOption monitorPort(QStringLiteral("monitor-port"),
                                         QStringLiteral("RS-485 monitor port."),
                                         QStringLiteral("port"), QStringLiteral("8880"));
    const QCommandLineOption atPort(QStringLiteral("at-port"), QStringLiteral("AT console port."),
                                    QStringLiteral("port"), QStringLiteral("23"));
    const QCommandLineOption deviceId(QStringLiteral("device-id"),
                                      QStringLiteral("Device id used in the gateway's topics."),
                                      QStringLiteral("id"), QStringLiteral("KV-0001"));
    const QCommandLineOption brokerHost(QStringLiteral("broker-host"),
                                        QStringLiteral("Broker the gateway reports."),
                                        QStringLiteral("host"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption brokerPort(QStringLiteral("broker-port"),
                                        QStringLiteral("Broker port the gateway reports."),
                                        QStringLiteral("port"), QStringLiteral("1883"));
    const QCommandLineOption brokerUser(QStringLiteral("broker-user"),
                                        QStringLiteral("Broker user name."), QStringLiteral("user"),
                                        QStringLiteral("gateway"));
    const QCommandLineOption brokerPass(QStringLiteral("broker-pass"),
                                        QStringLiteral("Broker password."),
                                        QStringLiteral("password"), QStringLiteral("s3cret+pass"));
    const QCommandLineOption brokerCaFile(
        QStringLiteral("broker-cafile"),
        QStringLiteral("CA file the broker's certificate is checked with, when the gateway "
                       "joins it over TLS (on port 8883)."),
        QStringLiteral("file"));
    const QCommandLineOption monitorRate(
        QStringLiteral("monitor-rate"),
        QStringLiteral("Monitor lines per second; 0 sends as fast as the link takes them."),
        QStringLiteral("lines"), QStringLiteral("20"));
    const QCommandLineOption monitorLines(
        QStringLiteral("monitor-lines"),
        QStringLiteral("Close a monitor connection after this many lines (default: never)."),
        QStringLiteral("count"), QStringLiteral("-1"));
    const QCommandLineOption refuseSave(QStringLiteral("refuse-save"),
                                        QStringLiteral("Answer SAVE with an error."));
    const QCommandLineOption refuseSetting(
        QStringLiteral("refuse-setting"),
        QStringLiteral("Refuse SET of this key with an error line naming it."),
        QStringLiteral("key"));
    const QCommandLineOption silentGetAll(QStringLiteral("silent-getall"),
                                          QStringLiteral("Never answer GETALL."));
    const QCommandLineOption noCloud(QStringLiteral("no-cloud"),
                                     QStringLiteral("Do not join the reported broker."));
    const QCommandLineOption reportInterval(
        QStringLiteral("report-interval"),
        QStringLiteral("Milliseconds between network reports and port data on the broker; 0 "
                       "publishes none."),
        QStringLiteral("ms"), QStringLiteral("5000"));
    const QCommandLineOption fleet(
        QStringLiteral("fleet"),
        QStringLiteral("Answer for this many gateways on the broker, ids PREFIX-0001 and up "
                       "(PREFIX is --device-id, \"KV\" when not given)."),
        QStringLiteral("count"));
    const QCommandLineOption fleetListen(
        QStringLiteral("fleet-listen"),
        QStringLiteral("With --fleet, also serve each gateway over TCP on its own address, from "
                       "--address up."));
    const QCommandLineOption silent(QStringLiteral("silent"),
                                    QStringLiteral("With --fleet, these gateways (numbers, "
                                                   "comma-separated) answer nothing."),
                                    QStringLiteral("numbers"));
    const QCommandLineOption refusing(QStringLiteral("refusing"),
                                      QStringLiteral("With --fleet, these gateways refuse every "
                                                     "change."),
                                      QStringLiteral("numbers"));
    const QCommandLineOption cutList(QStringLiteral("cut-list"),
                                     QStringLiteral("With --fleet, these gateways announce one "
                                                    "device more than they list."),
                                     QStringLiteral("numbers"));
    parser.addOptions({address,     commandPort,    monitorPort, atPort,        deviceId,
                       brokerHost,  brokerPort,     brokerUser,  brokerPass,    brokerCaFile,
                       monitorRate, monitorLines,   refuseSave,  refuseSetting, silentGetAll,
                       noCloud,     reportInterval, fleet,       fleetListen,   silent,
                       refusing,    cutList});
    parser.process(app);

    QTextStream err(stderr);
    const QHostAddress listenAddress(parser.value(address));
    if (!listenAddress.isLoopback()) {
        err << "gateway-sim: only loopback addresses (127.0.0.0/8) are served\n";
        return 2;
    }

    GatewaySimulator::Ports ports;
    ports.command = parser.value(commandPort).toUShort();
    ports.monitor = parser.value(monitorPort).toUShort();
    ports.atConsole = parser.value(atPort).toUShort();

    if (parser.isSet(fleet))
        return runFleet(parser, listenAddress, ports);

    GatewaySimulator simulator;
    GatewayModel &model = simulator.model();
    model.setBroker(parser.value(brokerHost), parser.value(brokerPort).toUShort(),
                    parser.value(brokerUser), parser.value(brokerPass));
    model.setDeviceId(parser.value(deviceId));
    model.setRefuseSave(parser.isSet(refuseSave));
    model.setRefusedSetting(parser.value(refuseSetting));
    model.setSilentReadAll(parser.isSet(silentGetAll));
    simulator.setMonitorRate(parser.value(monitorRate).toInt());
    simulator.setMonitorLineLimit(parser.value(monitorLines).toLongLong());

    if (!simulator.start(listenAddress, ports)) {
        err << "gateway-sim: " << simulator.errorString() << '\n';
        return 1;
    }
    if (!simulator.atConsoleAvailable())
        err << "gateway-sim: " << simulator.errorString() << '\n';

    // The broker side: commands and register writes through the reported
    // broker, and the periodic reports a gateway in the field publishes.
    GatewayCloudLink cloud(model);
    QTimer reports;
    if (!parser.isSet(noCloud)) {
        if (!QHostAddress(model.setting(QStringLiteral("mqttServer"))).isLoopback()) {
            err << "gateway-sim: only a loopback broker is joined\n";
            return 2;
        }
        cloud.setTls({parser.value(brokerPort).toUShort() == QMQTT::mqttTlsPort,
                      parser.value(brokerCaFile),
                      {},
                      {}});
        cloud.start();
        int tick = 0;
        QObject::connect(&reports, &QTimer::timeout, &cloud, [&cloud, &tick] {
            if (!cloud.isConnected())
                return;
            ++tick;
            cloud.publishNetworkReport(
                QStringLiteral("LTE RSSI -%1 dBm, registered").arg(60 + tick % 12));
            cloud.publishPortData(1, QStringLiteral("{\"slave\":1,\"V\":%1}")
                                         .arg(229.5 + (tick % 10) / 10.0, 0, 'f', 1));
        });
        const int interval = parser.value(reportInterval).toInt();
        if (interval > 0)
            reports.start(interval);
    }

    QTextStream(stdout) << "gateway-sim: device " << model.deviceId() << " on "
                        << listenAddress.toString() << " (command " << ports.command << ", monitor "
                        << ports.monitor << ", AT console "
                        << (simulator.atConsoleAvailable() ? QString::number(ports.atConsole)
                                                           : QStringLiteral("off"))
                        << ")" << Qt::endl;
    return app.exec();
}
