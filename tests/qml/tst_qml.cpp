// Runs one QML suite (-input file) with the real backend as `tcpClient`, wired
// to an MQTT client as in the application, and one fixture seen as `gateway`
// (the simulator) and as `cloud` (a broker with the simulator's cloud side and
// a peer). Each suite has its own loopback block and settings folder.
#include "application.h"
#include "bridgefixture.h"
#include "brokerfixture.h"
#include "gatewaycloudlink.h"

#include <QFile>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QtQuickTest>

class Fixture : public QObject
{
    Q_OBJECT

public:
    using Service = GatewaySimulator::Service;
    explicit Fixture(QObject *parent)
        : QObject(parent)
        , m_addresses(qEnvironmentVariableIntValue("KV_LOOPBACK_SUITE"))
    {}
    // The tool's client and session on a broker of the suite's own, and the
    // peer that records what it sees.
    bool startBroker(TcpBridge *bridge)
    {
        if (!m_broker.start(bridge) || !m_broker.peer())
            return false;
        connect(m_broker.peer(), &QMQTT::Client::received, this, [this](const QMQTT::Message &m) {
            m_messages[m.topic()].append(QString::fromUtf8(m.payload()));
        });
        return true;
    }

    // A fresh simulator on the next loopback address, silent on the monitor
    // unless a test writes to it; stop() also takes it off the broker.
    Q_INVOKABLE QString start()
    {
        stop();
        const QHostAddress address = m_addresses.next();
        m_sim->setMonitorRate(-1);
        m_running = m_sim->start(address);
        return m_running ? address.toString() : QString();
    }
    Q_INVOKABLE void stop()
    {
        m_link.reset();
        m_sim = std::make_unique<GatewaySimulator>();
        m_running = false;
        clearReceived();
    }

    // 0: command port, 1: monitor, 2: AT console.
    Q_INVOKABLE QStringList commands() const { return m_sim->commands(); }
    Q_INVOKABLE QString received(int i) const
    {
        return QString::fromUtf8(m_sim->received(port(i)));
    }
    Q_INVOKABLE int connectionCount(int i) const { return m_sim->connectionCount(port(i)); }
    Q_INVOKABLE void dropConnections(int i) { m_sim->dropConnections(port(i)); }
    Q_INVOKABLE void sendRaw(int i, const QString &text) { m_sim->sendRaw(port(i), text.toUtf8()); }
    Q_INVOKABLE void setSetting(const QString &key, const QString &value)
    {
        m_sim->model().setSetting(key, value);
    }
    Q_INVOKABLE void setRefuseSave(bool refuse) { m_sim->model().setRefuseSave(refuse); }
    Q_INVOKABLE void setRefusedSetting(const QString &key)
    {
        m_sim->model().setRefusedSetting(key);
    }
    Q_INVOKABLE void setSilentReadAll(bool silent) { m_sim->model().setSilentReadAll(silent); }
    Q_INVOKABLE void setReplyDelay(int ms) { m_sim->setReplyDelay(ms); }
    // Answers the command with exactly this text (use "\n" line ends).
    Q_INVOKABLE void setScriptedReply(const QString &command, const QString &reply)
    {
        m_sim->setScriptedReply(command, reply.toUtf8());
    }
    Q_INVOKABLE void removeSettingsFile() { QFile::remove(SettingsStore::settingsFilePath()); }
    // A file as an operator would hand it to a page (an inventory, say).
    Q_INVOKABLE bool writeFile(const QUrl &url, const QString &text)
    {
        QFile file(url.toLocalFile());
        return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
    }

    // Puts the simulator on the broker under the identifier, the peer watching
    // every topic; with `store`, the tool knows the broker and selected it.
    Q_INVOKABLE bool join(const QString &id, bool store = true)
    {
        if (!m_broker.session || (!m_running && start().isEmpty()))
            return false;
        m_sim->model().setBroker(m_broker.broker->host(), m_broker.broker->port(),
                                 BrokerFixture::user, BrokerFixture::password);
        m_sim->model().setDeviceId(id);
        m_link = std::make_unique<GatewayCloudLink>(m_sim->model());
        connect(m_link.get(), &GatewayCloudLink::commandReceived, this,
                [this](const QString &command) { m_cloudCommands.append(command); });
        // The peer comes back after a broker restart here.
        QMQTT::Client *peer = m_broker.peer();
        QSignalSpy back(peer, &QMQTT::Client::connected);
        if (!peer->isConnectedToHost())
            peer->connectToHost();
        if (!setOnline(true) || (!peer->isConnectedToHost() && !back.wait(5000))
            || !m_broker.watch(QStringLiteral("Kestrelvane/#")))
            return false;
        if (store)
            m_broker.store(id);
        return !store || m_broker.select(id);
    }
    // Off the broker, nothing reaches the simulator and it answers nothing.
    Q_INVOKABLE bool setOnline(bool online)
    {
        QSignalSpy changed(m_link.get(),
                           online ? &GatewayCloudLink::connected : &GatewayCloudLink::disconnected);
        online ? m_link->start() : m_link->stop();
        return m_link->isConnected() == online || changed.wait(5000);
    }

    // What the simulator took on its config topic, and every payload the
    // peer saw on the topic. The peer publishes as the simulator would.
    Q_INVOKABLE QStringList cloudCommands() const { return m_cloudCommands; }
    Q_INVOKABLE QStringList messages(const QString &topic) const { return m_messages.value(topic); }
    Q_INVOKABLE void clearReceived()
    {
        m_sim->clearReceived();
        m_cloudCommands.clear();
        m_messages.clear();
    }
    Q_INVOKABLE void publish(const QString &topic, const QString &payload)
    {
        m_broker.peer()->publish(QMQTT::Message(0, topic, payload.toUtf8(), 1));
    }
    Q_INVOKABLE void setFailWrites(bool fail) { m_link->setFailWrites(fail); }
    Q_INVOKABLE void stopBroker() { m_broker.broker->stop(); }
    Q_INVOKABLE bool restartBroker() { return m_broker.broker->restart(); }

private:
    static Service port(int i)
    {
        return i == 1 ? Service::Monitor : i == 2 ? Service::AtConsole : Service::Command;
    }
    LoopbackAddresses m_addresses;
    BrokerFixture m_broker;
    std::unique_ptr<GatewaySimulator> m_sim = std::make_unique<GatewaySimulator>();
    std::unique_ptr<GatewayCloudLink> m_link;
    bool m_running = false;
    QStringList m_cloudCommands;
    QHash<QString, QStringList> m_messages;
};

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
        // Children go in creation order: the fixture's client and session
        // first, while the backend they report to is still there.
        auto *fixture = new Fixture(engine);
        auto *bridge = new TcpBridge(engine);
        if (!fixture->startBroker(bridge))
            qWarning("the broker did not start: the cloud cases will fail");
        QQmlContext *context = engine->rootContext();
        context->setContextProperty(QStringLiteral("tcpClient"), bridge);
        context->setContextProperty(QStringLiteral("gateway"), fixture);
        context->setContextProperty(QStringLiteral("cloud"), fixture);
        // A folder the suite may write files into (backups, for instance).
        context->setContextProperty(QStringLiteral("scratchFolder"),
                                    QUrl::fromLocalFile(m_configHome.path()));
    }

private:
    QTemporaryDir m_configHome;
};

QUICK_TEST_MAIN_WITH_SETUP(pages, Setup)
#include "tst_qml.moc"
