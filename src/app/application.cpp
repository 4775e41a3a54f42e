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
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QQuickWindow>

void showStartupFailureBox(const StartupFailure &failure)
{
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
