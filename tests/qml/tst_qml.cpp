// Runs one QML suite (-input file) with the real backend as `tcpClient` and
// the in-process gateway simulator as `gateway`, as the pages meet them in the
// application. Each suite gets its own loopback block (KV_LOOPBACK_SUITE) and
// its own settings folder.
#include "gatewayfixture.h"
#include "tcpbridge.h"

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
    }

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        const int suite = qEnvironmentVariableIntValue("KV_LOOPBACK_SUITE");
        auto *bridge = new TcpBridge(engine);
        auto *gateway = new GatewayFixture(suite > 0 ? suite : 40, engine);
        engine->rootContext()->setContextProperty(QStringLiteral("tcpClient"), bridge);
        engine->rootContext()->setContextProperty(QStringLiteral("gateway"), gateway);
    }

private:
    QTemporaryDir m_configHome;
};

QUICK_TEST_MAIN_WITH_SETUP(pages, Setup)
#include "tst_qml.moc"
