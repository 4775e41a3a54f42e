// Takes a screenshot of every direct-mode page as an operator sees it: the
// real window, backend and MQTT session against an in-process gateway
// simulator, each page visited through the window's own navigation state.
//
//   screenshots <output folder>     (run under Xvfb or with -platform offscreen)
#include "gatewaysimulator.h"
#include "mqttclient.h"
#include "mqttsession.h"
#include "tcpbridge.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

struct Shot
{
    const char *file;
    const char *page;
    const char *head;
};

const Shot shots[] = {
    {"02-network", "qrc:/NetworkPage.qml", "Gateway - Network"},
    {"03-cloud", "qrc:/MqttConfigPage.qml", "Gateway - Cloud"},
    {"04-add-device", "qrc:/AddMeter.qml", "Devices - Add Device"},
    {"05-device-list", "qrc:/AvailableMeters.qml", "Devices - Device List"},
    {"06-baudrate", "qrc:/SetBaudrate.qml", "Devices - Device Baudrate"},
    {"07-settings", "qrc:/AllSettings.qml", "Wi-Fi/Bluetooth/SIM Settings"},
    {"08-logs", "qrc:/Log.qml", "System - Logs"},
};

void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QQuickWindow *window, const QDir &folder, const QString &name)
{
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool ok = window->grabWindow().save(path);
    QTextStream(stdout) << (ok ? "saved " : "FAILED ") << path << Qt::endl;
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir configHome; // never the operator's own settings file
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    QApplication app(argc, argv);
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    const QDir folder(app.arguments().value(1, QStringLiteral("screenshots")));
    QDir().mkpath(folder.path());

    GatewaySimulator simulator;
    simulator.setMonitorRate(20);
    const QHostAddress address(QStringLiteral("127.0.77.1"));
    if (!simulator.start(address)) {
        QTextStream(stderr) << "screenshots: " << simulator.errorString() << Qt::endl;
        return 1;
    }

    TcpBridge bridge;
    QQmlApplicationEngine engine;
    QMQTT::Client client(QHostAddress(QHostAddress::LocalHost), 1883);
    MqttSession session(&bridge, &client);
    engine.rootContext()->setContextProperty(QStringLiteral("tcpClient"), &bridge);
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    window->resize(1280, 800);
    settle(800);

    bool ok = save(window, folder, QStringLiteral("01-choose-device"));
    window->setProperty("currentdeviceIP", address.toString());
    window->setProperty("ipSelected", true);
    auto *loader = window->property("pageLoader").value<QObject *>();
    for (const Shot &shot : shots) {
        loader->setProperty("source", QUrl(QString::fromLatin1(shot.page)));
        window->setProperty("pagehead", QString::fromLatin1(shot.head));
        settle(2500); // the pages read the gateway one second after opening
        ok = save(window, folder, QString::fromLatin1(shot.file)) && ok;
    }
    return ok ? 0 : 1;
}
