#include "mosquittobroker.h"
#include "mqttclient.h"
#include "mqttmessage.h"
#include "mqttsession.h"
#include "settingsstore.h"
#include "tcpbridge.h"

#include <QtTest>

namespace {

const QString user = QStringLiteral("gateway");
const QString password = QStringLiteral("s3cret+pass");

} // namespace

// The cloud session against a real mosquitto broker that each test starts.
class TestMqttSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void ignoresUnusableSettings_data();
    void ignoresUnusableSettings();
    void reconnectsOnlyWhenSettingsChange_data();
    void reconnectsOnlyWhenSettingsChange();
    void movesSubscriptionsBetweenDevices();
    void subscribesAnEmptyIdentifierLevel();
    void refusesIdentifiersThatAreNotTopicLevels_data();
    void refusesIdentifiersThatAreNotTopicLevels();
    void retriesOncePerDropUntilTheBrokerReturns();
    void retriesWhenTheBrokerIsUnreachableAtStart();
    void publishesExactBytes();
    void routesEveryTopic();

private:
    void storeDevice(const QString &id, const QString &port, const QString &deviceUser = user,
                     const QString &devicePassword = password);
    bool selectAndConnect(const QString &id);
    QMQTT::Client *observer();

    QTemporaryDir m_configHome;
    std::unique_ptr<MosquittoBroker> m_broker;
    std::unique_ptr<TcpBridge> m_bridge;
    std::unique_ptr<QMQTT::Client> m_client;
    std::unique_ptr<MqttSession> m_session;
    std::unique_ptr<QMQTT::Client> m_observer;
};

void TestMqttSession::initTestCase()
{
    QVERIFY(m_configHome.isValid());
    qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
}

void TestMqttSession::init()
{
    QFile::remove(SettingsStore::settingsFilePath());
    m_broker = std::make_unique<MosquittoBroker>();
    m_broker->addUser(user, password);
    m_broker->addUser("other", "other-pass");
    QVERIFY2(m_broker->start(), qPrintable(m_broker->errorString()));

    m_bridge = std::make_unique<TcpBridge>();
    m_client = std::make_unique<QMQTT::Client>(QHostAddress(QHostAddress::LocalHost), 1883);
    m_client->setKeepAlive(60);
    m_client->setCleanSession(true);
    m_session = std::make_unique<MqttSession>(m_bridge.get(), m_client.get());
}

void TestMqttSession::cleanup()
{
    m_observer.reset();
    m_session.reset();
    m_client.reset();
    m_bridge.reset();
    m_broker.reset();
}

void TestMqttSession::storeDevice(const QString &id, const QString &port, const QString &deviceUser,
                                  const QString &devicePassword)
{
    SettingsStore::writeBrokerSettings(id, {m_broker->host(), port, deviceUser, devicePassword});
}

// Selects a device and waits until the broker has acknowledged its five
// topics, so that what a peer publishes next is certain to be delivered.
bool TestMqttSession::selectAndConnect(const QString &id)
{
    QSignalSpy connected(m_client.get(), &QMQTT::Client::connected);
    QSignalSpy subscribed(m_client.get(), &QMQTT::Client::subscribed);
    if (!m_bridge->sendTopicDeviceId(id))
        return false;
    if (!m_client->isConnectedToHost() && !connected.wait(5000))
        return false;
    const auto acknowledged = [&] {
        int count = 0;
        for (const QList<QVariant> &ack : subscribed)
            count += ack.first().toString().startsWith("Kestrelvane/" + id + "/");
        return count;
    };
    QDeadlineTimer deadline(5000);
    while (acknowledged() < 5 && !deadline.hasExpired())
        subscribed.wait(100);
    return acknowledged() >= 5;
}

QMQTT::Client *TestMqttSession::observer()
{
    if (!m_observer) {
        m_observer = std::make_unique<QMQTT::Client>();
        m_observer->setHostName(m_broker->host());
        m_observer->setPort(m_broker->port());
        m_observer->setUsername(user);
        m_observer->setPassword(password.toUtf8());
        QSignalSpy connected(m_observer.get(), &QMQTT::Client::connected);
        m_observer->connectToHost();
        if (!connected.wait(5000))
            return nullptr;
    }
    return m_observer.get();
}

void TestMqttSession::ignoresUnusableSettings_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    for (const auto &[tag, host, port] : {std::tuple{"port beyond 16 bits", "127.0.0.1", "65536"},
                                          {"port not a number", "127.0.0.1", "abc"},
                                          {"port zero", "127.0.0.1", "0"},
                                          {"host of white space", "   ", "1883"}})
        QTest::newRow(tag) << QString(host) << QString(port);
}

void TestMqttSession::ignoresUnusableSettings()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    SettingsStore::writeBrokerSettings("dev", {host, port, user, password});
    QSignalSpy disconnected(m_client.get(), &QMQTT::Client::disconnected);
    QVERIFY(m_bridge->sendTopicDeviceId("dev")); // present, so "complete"
    QVERIFY(!disconnected.wait(500));
    QCOMPARE(m_client->hostName(), QHostAddress(QHostAddress::LocalHost).toString());
    QVERIFY(!m_client->isConnectedToHost());
}

void TestMqttSession::reconnectsOnlyWhenSettingsChange_data()
{
    QTest::addColumn<QString>("secondUser");
    QTest::addColumn<QString>("secondPassword");
    QTest::addColumn<bool>("reconnects");
    QTest::newRow("same settings") << user << password << false;
    QTest::newRow("other user") << "other"
                                << "other-pass" << true;
    QTest::newRow("other password only") << user << password + "x" << true;
}

void TestMqttSession::reconnectsOnlyWhenSettingsChange()
{
    QFETCH(QString, secondUser);
    QFETCH(QString, secondPassword);
    QFETCH(bool, reconnects);

    storeDevice("first", QString::number(m_broker->port()));
    storeDevice("second", QString::number(m_broker->port()), secondUser, secondPassword);
    QVERIFY(selectAndConnect("first"));
    QVERIFY(m_bridge->connectedmqtt());

    QSignalSpy disconnected(m_client.get(), &QMQTT::Client::disconnected);
    QSignalSpy connected(m_client.get(), &QMQTT::Client::connected);
    m_bridge->sendTopicDeviceId("second");
    if (!reconnects) {
        QVERIFY(!disconnected.wait(500));
        QVERIFY(m_client->isConnectedToHost());
        QCOMPARE(m_session->subscribedDeviceId(), QString("second"));
        return;
    }
    QVERIFY(disconnected.count() > 0 || disconnected.wait(3000));
    QCOMPARE(m_client->username(), secondUser);
    QCOMPARE(QString::fromUtf8(m_client->password()), secondPassword);
    if (secondUser == "other") { // valid credentials: back with the second device's topics
        QVERIFY(connected.count() > 0 || connected.wait(5000));
        QCOMPARE(m_session->subscribedDeviceId(), QString("second"));
    }
}

void TestMqttSession::movesSubscriptionsBetweenDevices()
{
    storeDevice("A", QString::number(m_broker->port()));
    storeDevice("B", QString::number(m_broker->port()));
    QVERIFY(selectAndConnect("A"));
    QMQTT::Client *peer = observer();
    QVERIFY(peer);

    QTRY_VERIFY(m_bridge->terminalLogFromMqtt().isEmpty());
    peer->publish(QMQTT::Message(0, "Kestrelvane/A/errors", "a-before", 1));
    QTRY_VERIFY(m_bridge->terminalLogFromMqtt().contains("a-before"));

    QVERIFY(selectAndConnect("B"));
    QCOMPARE(m_session->subscribedDeviceId(), QString("B"));
    peer->publish(QMQTT::Message(0, "Kestrelvane/B/errors", "b-after", 1));
    QTRY_VERIFY(m_bridge->terminalLogFromMqtt().contains("b-after"));
    peer->publish(QMQTT::Message(0, "Kestrelvane/A/errors", "a-after", 1));
    peer->publish(QMQTT::Message(0, "Kestrelvane/B/errors", "b-marker", 1));
    QTRY_VERIFY(m_bridge->terminalLogFromMqtt().contains("b-marker"));
    QVERIFY(!m_bridge->terminalLogFromMqtt().contains("a-after"));
    QVERIFY(m_client->isConnectedToHost());

    // Choosing B again must not leave a gap in which B's messages are lost.
    QSignalSpy unsubscribed(m_client.get(), &QMQTT::Client::unsubscribed);
    m_bridge->sendTopicDeviceId("B");
    peer->publish(QMQTT::Message(0, "Kestrelvane/B/errors", "b-again", 1));
    QTRY_VERIFY(m_bridge->terminalLogFromMqtt().contains("b-again"));
    QTest::qWait(100);
    QCOMPARE(unsubscribed.count(), 0);
}

void TestMqttSession::subscribesAnEmptyIdentifierLevel()
{
    storeDevice("", QString::number(m_broker->port()));
    QVERIFY(selectAndConnect(""));
    QMQTT::Client *peer = observer();
    QVERIFY(peer);
    peer->publish(QMQTT::Message(0, "Kestrelvane//network", "signal -71 dBm", 1));
    QTRY_COMPARE(m_bridge->networkLogFromMqtt(),
                 QString("[Kestrelvane//network] signal -71 dBm\n"));
}

void TestMqttSession::refusesIdentifiersThatAreNotTopicLevels_data()
{
    QTest::addColumn<QString>("id");
    QTest::newRow("wildcard +") << "+";
    QTest::newRow("wildcard #") << "ab#";
    QTest::newRow("slash") << "a/b";
}

// "+" would subscribe to every gateway's traffic; nothing is subscribed or
// published with such an identifier.
void TestMqttSession::refusesIdentifiersThatAreNotTopicLevels()
{
    QFETCH(QString, id);
    storeDevice("good", QString::number(m_broker->port()));
    storeDevice(id, QString::number(m_broker->port()));
    QVERIFY(selectAndConnect("good"));
    QMQTT::Client *peer = observer();
    QVERIFY(peer);
    QSignalSpy seen(peer, &QMQTT::Client::received);
    peer->subscribe("Kestrelvane/#", 1);
    QVERIFY(QSignalSpy(peer, &QMQTT::Client::subscribed).wait(3000));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Refused to subscribe"));
    m_bridge->sendTopicDeviceId(id);
    QCOMPARE(m_session->subscribedDeviceId(), QString("good"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Refused to publish"));
    m_bridge->sendConfigRequest("GET rs485list", id);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Refused to publish"));
    m_bridge->sendSubRequest({{"key", "Kestrelvane"}}, id);

    // Messages of one publisher arrive in order: when the marker is seen,
    // anything published before it would have been seen too.
    m_bridge->sendConfigRequest("marker", "good");
    QTRY_COMPARE(seen.count(), 1);
    QCOMPARE(seen.first().first().value<QMQTT::Message>().payload(), QByteArray("marker"));

    // Still subscribed to the good device only, not to every gateway.
    peer->publish(QMQTT::Message(0, "Kestrelvane/other/errors", "someone else's", 1));
    peer->publish(QMQTT::Message(0, "Kestrelvane/good/errors", "ours", 1));
    QTRY_VERIFY(m_bridge->terminalLogFromMqtt().contains("ours"));
    QVERIFY(!m_bridge->terminalLogFromMqtt().contains("someone else's"));
    QVERIFY(m_client->isConnectedToHost());
}

void TestMqttSession::retriesOncePerDropUntilTheBrokerReturns()
{
    storeDevice("A", QString::number(m_broker->port()));
    QVERIFY(selectAndConnect("A"));
    QSignalSpy disconnected(m_client.get(), &QMQTT::Client::disconnected);
    QSignalSpy connected(m_client.get(), &QMQTT::Client::connected);

    m_broker->kill();
    QVERIFY(disconnected.wait(5000));
    QVERIFY(!m_bridge->connectedmqtt());
    // One attempt 3 s after the drop (a coarse timer: up to 5 % early), no
    // storm: it fails and ends in the next disconnected().
    QElapsedTimer sinceDrop;
    sinceDrop.start();
    QVERIFY(disconnected.wait(5000));
    QVERIFY2(sinceDrop.elapsed() >= 2700 && sinceDrop.elapsed() < 4000,
             qPrintable(QString::number(sinceDrop.elapsed())));
    QCOMPARE(disconnected.count(), 2);
    QVERIFY(m_broker->restart());
    QVERIFY(connected.wait(8000));
    QVERIFY(m_bridge->connectedmqtt());
    QCOMPARE(m_session->subscribedDeviceId(), QString("A"));
}

void TestMqttSession::retriesWhenTheBrokerIsUnreachableAtStart()
{
    storeDevice("A", QString::number(m_broker->port()));
    m_broker->stop();
    QSignalSpy disconnected(m_client.get(), &QMQTT::Client::disconnected);
    QSignalSpy connected(m_client.get(), &QMQTT::Client::connected);
    QVERIFY(m_bridge->sendTopicDeviceId("A"));
    QVERIFY(disconnected.wait(5000)); // the failed first attempt
    QVERIFY(m_broker->restart());
    QVERIFY(connected.wait(8000));
    QVERIFY(m_bridge->connectedmqtt());
}

void TestMqttSession::publishesExactBytes()
{
    storeDevice("KV-1", QString::number(m_broker->port()));
    QVERIFY(selectAndConnect("KV-1"));
    QMQTT::Client *peer = observer();
    QVERIFY(peer);
    QSignalSpy seen(peer, &QMQTT::Client::received);
    peer->subscribe("Kestrelvane/KV-1/#", 2);
    QVERIFY(QSignalSpy(peer, &QMQTT::Client::subscribed).wait(3000));

    m_bridge->sendConfigRequest("rs485add 1,1,10,010300000002C40B,Main meter", "KV-1");
    // The page suites check full requests; an empty one is still an object.
    m_bridge->sendSubRequest({}, "KV-1");
    QTRY_COMPARE(seen.count(), 2);

    const auto message = [&](int i) { return seen.at(i).first().value<QMQTT::Message>(); };
    QCOMPARE(message(0).topic(), QString("Kestrelvane/KV-1/config"));
    QCOMPARE(message(0).payload(), QByteArray("rs485add 1,1,10,010300000002C40B,Main meter"));
    QCOMPARE(message(1).topic(), QString("Kestrelvane/KV-1/sub"));
    QCOMPARE(message(1).payload(), QByteArray("{}"));
    QCOMPARE(message(0).qos(), quint8(0));
    QVERIFY(!message(0).retain());
}

void TestMqttSession::routesEveryTopic()
{
    storeDevice("R", QString::number(m_broker->port()));
    QVERIFY(selectAndConnect("R"));
    QMQTT::Client *peer = observer();
    QVERIFY(peer);
    QSignalSpy written(m_bridge.get(), &TcpBridge::sendWriteReg);
    QSignalSpy listChanged(m_bridge.get(), &TcpBridge::deviceListMqttChanged);
    QSignalSpy saved(m_bridge.get(), &TcpBridge::saveCompletedMqtt);

    peer->publish(QMQTT::Message(0, "Kestrelvane/R/pub/port1", R"({"write":"OK"})", 1));
    peer->publish(QMQTT::Message(0, "Kestrelvane/R/pub/port2", "V=230.1\n", 1));
    peer->publish(QMQTT::Message(0, "Kestrelvane/R/errors", "timeout slave 3", 1));
    peer->publish(QMQTT::Message(0, "Kestrelvane/R/network", "LTE -71 dBm", 1));
    peer->publish(QMQTT::Message(0, "Kestrelvane/R/response",
                                 "Device list\ndev[0] m port1 CRC=1 poll=1s cmd=01\n>", 1));
    peer->publish(QMQTT::Message(0, "Kestrelvane/R/response", "OK: saved to flash", 1));
    QTRY_COMPARE(saved.count(), 1);

    QCOMPARE(m_bridge->terminalLogFromMqtt(),
             QString("[Kestrelvane/R/pub/port1] {\"write\":\"OK\"}\n"
                     "[Kestrelvane/R/pub/port2] V=230.1\n\n"
                     "[Kestrelvane/R/errors] timeout slave 3\n"));
    QCOMPARE(m_bridge->networkLogFromMqtt(), QString("[Kestrelvane/R/network] LTE -71 dBm\n"));
    QCOMPARE(written.count(), 1);
    QCOMPARE(written.first().first().toString(), QString("written"));
    QCOMPARE(listChanged.count(), 1);
    QCOMPARE(m_bridge->deviceListMqtt().size(), 1);
}

QTEST_MAIN(TestMqttSession)
#include "tst_mqttsession.moc"
