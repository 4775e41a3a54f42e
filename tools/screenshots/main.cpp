// Takes a screenshot of every page as an operator sees it: the real window,
// backend and MQTT session against an in-process gateway simulator (direct
// mode) and the same gateway behind a local mosquitto broker (cloud mode),
// each page visited through the window's own navigation state.
//
//   screenshots [--size WxH] [--dialogs] <output folder>
//                                   (run under Xvfb or with -platform offscreen)
//
// --dialogs also opens every dialog and popup of the window and of each page,
// one at a time, and saves it open: the file dialogs load QML modules of
// their own, so the package test runs this to see what the interface loads.
#include "application.h"
#include "certificateauthority.h"
#include "gatewaycloudlink.h"
#include "gatewaysimulator.h"
#include "mosquittobroker.h"
#include "mqttclient.h"
#include "mqttsession.h"
#include "settingsstore.h"
#include "tcpbridge.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
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
    {"08-trends", "qrc:/Trends.qml", "System - Trends"},
    {"09-backup", "qrc:/Backup.qml", "System - Backup"},
    {"09-fleet", "qrc:/Fleet.qml", "System - Fleet"},
};

const Shot cloudShots[] = {
    {"11-cloud-start-stop", "qrc:/StartOrStop.qml", "Device - Start/Stop"},
    {"12-cloud-add-device", "qrc:/AddNewMeterMqtt.qml", "Devices - Add Device"},
    {"13-cloud-device-list", "qrc:/AvailableMeterMqtt.qml", "Devices - Device List"},
    {"14-cloud-single-register", "qrc:/SingleRegister.qml", "Registers - Single Register"},
    {"15-cloud-multiple-register", "qrc:/MultipleRegister.qml", "Registers - Multiple Register"},
    {"16-cloud-logs", "qrc:/LogMqtt.qml", "System - Logs"},
    {"16-cloud-backup", "qrc:/Backup.qml", "System - Backup"},
    {"16-cloud-trends", "qrc:/TrendsMqtt.qml", "System - Trends"},
    {"17-cloud-network-logs", "qrc:/NetworkMqtt.qml", "Network - Logs"},
};

const QString cloudUser = QStringLiteral("gateway");
const QString cloudPassword = QStringLiteral("s3cret+pass");

void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        // Outside exec() nothing deletes what deleteLater() left, such as the
        // page a Loader replaced (and the popups it still shows).
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The named item under `root`, looked up through the visual tree as well:
// items a Repeater makes are not the QObject children of the page.
QObject *child(QObject *root, const char *name)
{
    if (QObject *found = root->findChild<QObject *>(QString::fromLatin1(name)))
        return found;
    if (auto *item = qobject_cast<QQuickItem *>(root)) {
        for (QQuickItem *childItem : item->childItems()) {
            if (childItem->objectName() == QLatin1String(name))
                return childItem;
            if (QObject *found = child(childItem, name))
                return found;
        }
    }
    return nullptr;
}

// Every dialog and popup under `root`, through both trees like child(). The
// popups inside a control or a dialog (a combo box's list, the file dialog's
// own) belong to it and open with it.
void collectDialogs(QObject *root, QList<QObject *> &found)
{
    QList<QObject *> next = root->children();
    if (auto *item = qobject_cast<QQuickItem *>(root))
        for (QQuickItem *childItem : item->childItems())
            next << childItem;
    for (QObject *object : next) {
        if (found.contains(object))
            continue;
        if (object->inherits("QQuickPopup") || object->inherits("QQuickAbstractDialog"))
            found << object;
        else if (!object->inherits("QQuickComboBox"))
            collectDialogs(object, found);
    }
}

bool save(QQuickWindow *window, const QDir &folder, const QString &name);

// Opens each dialog under `root` in turn, saves the window with it open and
// closes it again.
bool openEveryDialog(QObject *root, QQuickWindow *window, const QDir &folder, const QString &name)
{
    QList<QObject *> dialogs;
    collectDialogs(root, dialogs);
    bool ok = true;
    int index = 0;
    for (QObject *dialog : dialogs) {
        ++index;
        QMetaObject::invokeMethod(dialog, "open");
        settle(700);
        const QString label = dialog->objectName().isEmpty()
                                  ? QString::number(index) + QLatin1Char('-')
                                        + QString::fromLatin1(dialog->metaObject()->className())
                                              .section(QLatin1Char('_'), 0, 0)
                                  : dialog->objectName();
        ok = save(window, folder, name + QStringLiteral("-dialog-") + label) && ok;
        QMetaObject::invokeMethod(dialog, "close");
        settle(300);
    }
    return ok;
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
    chooseGraphicsApi();
    QStringList args = app.arguments().mid(1);
    QSize size(1280, 800);
    if (const int at = args.indexOf(QStringLiteral("--size")); at >= 0) {
        const QStringList wh = args.value(at + 1).split(QLatin1Char('x'));
        size = QSize(wh.value(0).toInt(), wh.value(1).toInt());
        args.remove(at, 2);
    }
    const bool dialogs = args.removeAll(QStringLiteral("--dialogs")) > 0;
    if (size.isEmpty() || args.size() > 1) {
        QTextStream(stderr) << "Usage: screenshots [--size WxH] [--dialogs] [FOLDER]" << Qt::endl;
        return 2;
    }
    const QDir folder(args.value(0, QStringLiteral("screenshots")));
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
    registerInterfaceTypes();
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    window->resize(size);
    settle(800);

    bool ok = save(window, folder, QStringLiteral("01-choose-device"));
    if (dialogs)
        ok = openEveryDialog(window, window, folder, QStringLiteral("01-window")) && ok;
    window->setProperty("currentdeviceIP", address.toString());
    window->setProperty("ipSelected", true);
    auto *loader = window->property("pageLoader").value<QObject *>();
    for (const Shot &shot : shots) {
        loader->setProperty("source", QUrl(QString::fromLatin1(shot.page)));
        window->setProperty("pagehead", QString::fromLatin1(shot.head));
        settle(2500); // the pages read the gateway one second after opening
        ok = save(window, folder, QString::fromLatin1(shot.file)) && ok;
        if (dialogs)
            ok = openEveryDialog(loader->property("item").value<QObject *>(), window, folder,
                                 QString::fromLatin1(shot.file))
                 && ok;
    }

    // The SIM section with its slot list open, and the Topics section after
    // "Save" with its fields emptied.
    loader->setProperty("source", QUrl(QStringLiteral("qrc:/AllSettings.qml")));
    window->setProperty("pagehead", QStringLiteral("Wi-Fi/Bluetooth/SIM Settings"));
    settle(2500);
    QObject *page = loader->property("item").value<QObject *>();
    child(page, "simSection")->setProperty("checked", true);
    settle(300);
    QMetaObject::invokeMethod(child(page, "simSlotCombo")->property("popup").value<QObject *>(),
                              "open");
    settle(500);
    ok = save(window, folder, QStringLiteral("09-sim-slot-list")) && ok;
    loader->setProperty("source", QUrl(QStringLiteral("qrc:/MqttConfigPage.qml")));
    window->setProperty("pagehead", QStringLiteral("Gateway - Cloud"));
    settle(2500);
    page = loader->property("item").value<QObject *>();
    child(page, "topicsSection")->setProperty("checked", true);
    settle(300);
    QMetaObject::invokeMethod(page, "clearTopics");
    QMetaObject::invokeMethod(page, "saveTopics");
    settle(500);
    ok = save(window, folder, QStringLiteral("10-topics-refused")) && ok;

    // A Wi-Fi save the gateway refuses by the key's name, and a page whose
    // read the gateway never answers.
    simulator.model().setRefusedSetting(QStringLiteral("wifiSSID"));
    loader->setProperty("source", QUrl(QStringLiteral("qrc:/AllSettings.qml")));
    window->setProperty("pagehead", QStringLiteral("Wi-Fi/Bluetooth/SIM Settings"));
    settle(2500);
    QMetaObject::invokeMethod(loader->property("item").value<QObject *>(), "saveWifi");
    settle(800);
    ok = save(window, folder, QStringLiteral("10-wifi-refused")) && ok;
    simulator.model().setRefusedSetting(QString());
    simulator.model().setSilentReadAll(true);
    loader->setProperty("source", QUrl(QStringLiteral("qrc:/NetworkPage.qml")));
    window->setProperty("pagehead", QStringLiteral("Gateway - Network"));
    settle(11500); // past the read's guard
    ok = save(window, folder, QStringLiteral("10-read-unanswered")) && ok;
    simulator.model().setSilentReadAll(false);

    // Two series picked on the trends page, and the difference a restore
    // shows once the gateway no longer matches its backup.
    loader->setProperty("source", QUrl(QStringLiteral("qrc:/Trends.qml")));
    window->setProperty("pagehead", QStringLiteral("System - Trends"));
    settle(3000);
    page = loader->property("item").value<QObject *>();
    for (const char *name : {"Main meter 0x000A", "Tank level 0x0014"})
        QMetaObject::invokeMethod(child(page, "trendsPanel"), "toggle",
                                  Q_ARG(QVariant, QString::fromLatin1(name)));
    settle(2000);
    ok = save(window, folder, QStringLiteral("08-trends-picked")) && ok;
    loader->setProperty("source", QUrl(QStringLiteral("qrc:/Backup.qml")));
    window->setProperty("pagehead", QStringLiteral("System - Backup"));
    settle(1500);
    page = loader->property("item").value<QObject *>();
    const QString backupFile = configHome.filePath(QStringLiteral("backup.json"));
    QMetaObject::invokeMethod(page, "saveTo", Q_ARG(QVariant, backupFile));
    settle(3000);
    QMetaObject::invokeMethod(child(page, "outcomeDialog"), "close");
    simulator.model().setSetting(QStringLiteral("apnSim1"), QStringLiteral("changed.apn"));
    simulator.model().setSetting(QStringLiteral("rs485_2_baud"), QStringLiteral("19200"));
    QMetaObject::invokeMethod(page, "openFrom", Q_ARG(QVariant, backupFile));
    settle(4000);
    ok = save(window, folder, QStringLiteral("09-backup-difference")) && ok;

    // Cloud mode: the same gateway joins a local broker, the tool selects it.
    MosquittoBroker broker;
    broker.addUser(cloudUser, cloudPassword);
    // And a TLS listener, for the broker popup over an encrypted link.
    QTemporaryDir certificates;
    CertificateAuthority authority(certificates.path(), QStringLiteral("demo-ca"));
    CertificateAuthority otherAuthority(certificates.path(), QStringLiteral("other-ca"));
    if (!authority.create() || !otherAuthority.create()
        || !authority.issue(QStringLiteral("broker"), QStringLiteral("localhost"),
                            {QStringLiteral("localhost")})) {
        QTextStream(stderr) << "screenshots: " << authority.errorString()
                            << otherAuthority.errorString() << Qt::endl;
        return 1;
    }
    const quint16 tlsPort = broker.addTlsListener(authority.path(QStringLiteral("broker"), ".crt"),
                                                  authority.path(QStringLiteral("broker"), ".key"));
    if (!broker.start()) {
        QTextStream(stderr) << "screenshots: " << broker.errorString() << Qt::endl;
        return 1;
    }
    GatewayModel &model = simulator.model();
    model.setBroker(broker.host(), broker.port(), cloudUser, cloudPassword);
    SettingsStore::writeBrokerSettings(
        model.deviceId(),
        {broker.host(), QString::number(broker.port()), cloudUser, cloudPassword});
    GatewayCloudLink link(model);
    link.start();
    bridge.sendTopicDeviceId(model.deviceId());
    window->setProperty("ipSelected", false);
    window->setProperty("currentDeviceId", model.deviceId());
    window->setProperty("idSelected", true);
    settle(1500);
    for (const Shot &shot : cloudShots) {
        loader->setProperty("source", QUrl(QString::fromLatin1(shot.page)));
        window->setProperty("pagehead2", QString::fromLatin1(shot.head));
        // Traffic for the log pages to show.
        link.publishPortData(1, QStringLiteral("{\"slave\":1,\"reg\":0,\"values\":[231,229]}"));
        link.publishError(QStringLiteral("port2: slave 7 timed out"));
        link.publishNetworkReport(QStringLiteral("LTE rssi -71 dBm, operator 40445"));
        settle(2500); // the device list asks the gateway one second after opening
        ok = save(window, folder, QString::fromLatin1(shot.file)) && ok;
        if (dialogs)
            ok = openEveryDialog(loader->property("item").value<QObject *>(), window, folder,
                                 QString::fromLatin1(shot.file))
                 && ok;
    }

    // The device list's edit form and delete confirmation, as the operator
    // opens them on the first and the second row.
    loader->setProperty("source", QUrl(QStringLiteral("qrc:/AvailableMeterMqtt.qml")));
    window->setProperty("pagehead2", QStringLiteral("Devices - Device List"));
    settle(2500);
    QObject *listPage = loader->property("item").value<QObject *>();
    QMetaObject::invokeMethod(listPage, "startEdit", Q_ARG(QVariant, 0));
    settle(500);
    ok = save(window, folder, QStringLiteral("18-cloud-device-edit")) && ok;
    QMetaObject::invokeMethod(listPage, "showTable");
    QMetaObject::invokeMethod(listPage, "askDelete", Q_ARG(QVariant, 1));
    settle(500);
    ok = save(window, folder, QStringLiteral("19-cloud-delete-confirm")) && ok;

    // The same gateway's broker reached over TLS: the broker popup, opened
    // from the menu's status line, tells how the link is protected; with
    // another authority's CA file it tells why the link was refused.
    const auto selectOverTls = [&](const QString &caFile) {
        SettingsStore::writeBrokerSettings(
            model.deviceId(),
            {QStringLiteral("localhost"), QString::number(tlsPort), cloudUser, cloudPassword});
        SettingsStore::writeBrokerTls(model.deviceId(), {true, caFile, {}, {}});
        bridge.sendTopicDeviceId(model.deviceId());
        settle(2000);
    };
    loader->setProperty("source", QUrl(QStringLiteral("qrc:/StartOrStop.qml")));
    window->setProperty("pagehead2", QStringLiteral("Device - Start/Stop"));
    selectOverTls(authority.certFile());
    QMetaObject::invokeMethod(child(window, "sideMenuMqtt"), "statusClicked");
    settle(500);
    ok = save(window, folder, QStringLiteral("21-cloud-broker-tls")) && ok;
    QMetaObject::invokeMethod(child(window, "brokerPopup"), "close");
    selectOverTls(otherAuthority.certFile());
    ok = save(window, folder, QStringLiteral("22-cloud-broker-unknown-issuer")) && ok;
    QMetaObject::invokeMethod(child(window, "brokerPopup"), "close");

    // The device choice in cloud mode, with a saved device to pick.
    window->setProperty("idSelected", false);
    loader->setProperty("source", QUrl(QStringLiteral("qrc:/ChooseDeviceIp.qml")));
    settle(500);
    QObject *choice = loader->property("item").value<QObject *>();
    child(choice, "modeMQTT")->setProperty("checked", true);
    QMetaObject::invokeMethod(choice, "switchMode", Q_ARG(QVariant, true));
    settle(500);
    ok = save(window, folder, QStringLiteral("20-choose-device-cloud")) && ok;
    return ok ? 0 : 1;
}
