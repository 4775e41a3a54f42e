#include "gatewaycloudlink.h"
#include "gatewaysimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

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
    const QCommandLineOption noCloud(QStringLiteral("no-cloud"),
                                     QStringLiteral("Do not join the reported broker."));
    const QCommandLineOption reportInterval(
        QStringLiteral("report-interval"),
        QStringLiteral("Milliseconds between network reports and port data on the broker; 0 "
                       "publishes none."),
        QStringLiteral("ms"), QStringLiteral("5000"));
    parser.addOptions({address, commandPort, monitorPort, atPort, deviceId, brokerHost, brokerPort,
                       brokerUser, brokerPass, brokerCaFile, monitorRate, monitorLines, refuseSave,
                       noCloud, reportInterval});
    parser.process(app);

    QTextStream err(stderr);
    const QHostAddress listenAddress(parser.value(address));
    if (!listenAddress.isLoopback()) {
        err << "gateway-sim: only loopback addresses (127.0.0.0/8) are served\n";
        return 2;
    }

    GatewaySimulator simulator;
    GatewayModel &model = simulator.model();
    model.setBroker(parser.value(brokerHost), parser.value(brokerPort).toUShort(),
                    parser.value(brokerUser), parser.value(brokerPass));
    model.setDeviceId(parser.value(deviceId));
    model.setRefuseSave(parser.isSet(refuseSave));
    simulator.setMonitorRate(parser.value(monitorRate).toInt());
    simulator.setMonitorLineLimit(parser.value(monitorLines).toLongLong());

    GatewaySimulator::Ports ports;
    ports.command = parser.value(commandPort).toUShort();
    ports.monitor = parser.value(monitorPort).toUShort();
    ports.atConsole = parser.value(atPort).toUShort();
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
