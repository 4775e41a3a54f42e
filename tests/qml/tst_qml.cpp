// Runs one QML suite (-input file) with the real backend as `tcpClient`, wired
// to an MQTT client as in the application, the in-process gateway simulator
// as `gateway` and a broker with the gateway's cloud side as `cloud`. Each
// suite gets its own loopback block (KV_LOOPBACK_SUITE) and its own settings
// folder.
#include "application.h"
#include "cloudfixture.h"
#include "gatewayfixture.h"
#include "mqttclient.h"
#include "mqttsession.h"
#include "tcpbridge.h"

#include <QHostAddress>

#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QTemporaryDir>
#include <QtQuickTest>

class Setup : public QObject
{
    Q_OBJECT

public:
    Setup()
    {
        qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
        QQuickStyle::setStyle(QStringLiteral("Basic"));
        registerInterfaceTypes();
    }

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        const int suite = qEnvironmentVariableIntValue("KV_LOOPBACK_SUITE");
        // Children go in creation order: the client first, while the
        // session and the backend it reports to are still there.
        auto *client = new QMQTT::Client(QHostAddress(QHostAddress::LocalHost), 1883, engine);
        client->setKeepAlive(60);
        client->setCleanSession(true);
        auto *bridge = new TcpBridge(engine);
        new MqttSession(bridge, client, engine);
        auto *gateway = new GatewayFixture(suite > 0 ? suite : 40, engine);
        auto *cloud = new CloudFixture(gateway, client, engine);
        engine->rootContext()->setContextProperty(QStringLiteral("tcpClient"), bridge);
        engine->rootContext()->setContextProperty(QStringLiteral("gateway"), gateway);
        engine->rootContext()->setContextProperty(QStringLiteral("cloud"), cloud);
        // A folder the suite may write files into (backups, for instance).
        engine->rootContext()->setContextProperty(QStringLiteral("scratchFolder"),
                                                  QUrl::fromLocalFile(m_configHome.path()));
    }

private:
    QTemporaryDir m_configHome;
};

QUICK_TEST_MAIN_WITH_SETUP(pages, Setup)
#include "tst_qml.moc"
