#include "application.h"

#include "applogging.h"
#include "fleetqmltypes.h"
#include "logrecorder.h"
#include "logviewmodel.h"
#include "mqttclient.h"
#include "mqttsession.h"
#include "tcpbridge.h"
#include "trendplot.h"

#include <QApplication>
#include <QDebug>
#include <QHostAddress>
#include <QMessageBox>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QQuickWindow>

void showStartupFailureBox(const StartupFailure &failure)
{
    // Without a screen nobody could close the box and the program would
    // hang; the console already has the reason.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return;
    QMessageBox::critical(nullptr, failure.title, failure.text, QMessageBox::Ok,
                          QMessageBox::NoButton);
}

void chooseGraphicsApi()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND")
        || qEnvironmentVariableIsSet("QSG_RHI_BACKEND")
        || QQuickWindow::graphicsApi() != QSGRendererInterface::OpenGL)
        return;
    // Mesa's software drivers name themselves in the renderer string.
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface))
        return;
    const QByteArray renderer =
        reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    context.doneCurrent();
    if (renderer.contains("llvmpipe") || renderer.contains("softpipe"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

namespace {

struct QmlModule
{
    const char *name;
    const char *package; // the Debian package that installs it
};

// The QML modules the interface needs, including the ones the toolkit loads
// by itself only when a file dialog first opens (its non-native dialog and
// the folder model behind it). A missing one would otherwise surface only
// when a page or dialog is opened, the folder model as a crash.
const QmlModule requiredQmlModules[] = {
    {"QtQuick", "qml6-module-qtquick"},
    {"QtQuick.Controls", "qml6-module-qtquick-controls"},
    {"QtQuick.Layouts", "qml6-module-qtquick-layouts"},
    {"QtQuick.Dialogs", "qml6-module-qtquick-dialogs"},
    {"QtQuick.Dialogs.quickimpl", "qml6-module-qtquick-dialogs"},
    {"Qt.labs.folderlistmodel", "qml6-module-qt-labs-folderlistmodel"},
};

// The required modules the engine cannot import, with their packages.
QStringList missingQmlModules(QQmlEngine &engine)
{
    QStringList missing;
    for (const QmlModule &module : requiredQmlModules) {
        QQmlComponent probe(&engine);
        probe.setData(QByteArray("import QtQml\nimport ") + module.name + "\nQtObject {}\n",
                      QUrl());
        if (probe.isError())
            missing << QStringLiteral("%1 (%2)").arg(QLatin1String(module.name),
                                                     QLatin1String(module.package));
    }
    return missing;
}

} // namespace

void registerInterfaceTypes()
{
    qmlRegisterType<TrendPlot>("Kestrelvane", 1, 0, "TrendPlot");
    qmlRegisterType<LogViewModel>("Kestrelvane", 1, 0, "LogViewModel");
    qmlRegisterType<LogRecorder>("Kestrelvane", 1, 0, "LogRecorder");
    registerFleetQmlTypes();
}

int runApplication(int &argc, char **argv, const QUrl &mainUrl,
                   const StartupFailurePresenter &presentFailure)
{
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(KV_VERSION));
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    chooseGraphicsApi();
    registerInterfaceTypes();

    // The backend is built before the engine and destroyed after it, so no
    // page ever outlives tcpClient.
    TcpBridge bridge;
    QQmlApplicationEngine engine;

    // Idle until the first usable broker settings arrive.
    QMQTT::Client client(QHostAddress(QHostAddress::LocalHost), 1883);
    client.setKeepAlive(60);
    client.setCleanSession(true);
    MqttSession session(&bridge, &client);

    if (const QStringList missing = missingQmlModules(engine); !missing.isEmpty()) {
        qCCritical(lcApp).noquote() << "Missing QML modules:" << missing.join(QStringLiteral(", "));
        presentFailure({QStringLiteral("Application Error"),
                        QStringLiteral("The user interface cannot run: these QML modules "
                                       "are not installed (Debian package in brackets):\n\n%1"
                                       "\n\nInstall them, or reinstall kestrelvane-config "
                                       "with its dependencies.")
                            .arg(missing.join(QLatin1Char('\n')))});
        return -1;
    }
    engine.rootContext()->setContextProperty(QStringLiteral("tcpClient"), &bridge);
    engine.load(mainUrl);
    if (engine.rootObjects().isEmpty()) {
        qCWarning(lcApp).noquote()
            << "Failed to load qrc:/main.qml."
            << "Check that the 'qml' folder and Qt plugins aredeployed next to "
               "the exe"
            << "(windeployqt --qmldir ...).";
        presentFailure({QStringLiteral("Application Error"),
                        QStringLiteral("The user interface (QML) failed to load.\n\n"
                                       "This usually means the deployment is incomplete:\n"
                                       "- The 'qml' folder is missing next to the exe, or\n"
                                       "- windeployqt was run without the --qmldir option.\n\n"
                                       "See the console output for the detailed QML errors.")});
        return -1;
    }
    return QApplication::exec();
}
