#include "mosquittobroker.h"
#include "mqttclient.h"
#include "mqttmessage.h"

#include <QtTest>

#include <memory>

namespace {

const QString user = QStringLiteral("meter");
const QString password = QStringLiteral("p+ss#word");

} // namespace

// The libmosquitto client against a real broker: the life cycle the session
// relies on, and messages passing through unchanged.
class TestMqttClient : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void connectsAndDisconnectsOnce_data();
    void connectsAndDisconnectsOnce();
    void failedAttemptEndsInOneDisconnected_data();
    void failedAttemptEndsInOneDisconnected();
    void droppedConnectionIsReportedOnceAndNotRetried();
    void disconnectDuringAnAttemptCancelsItSilently();
    void messagesArriveUnchanged_data();
    void messagesArriveUnchanged();
    void unsubscribedTopicStopsDelivering();
    void slotsMayCallBackIntoTheClient();
    void nothingIsSentWhileNotConnected();
    void clientIdsAreUniqueInOneProcess();
    void floodIsDeliveredCompleteAndInOrder();

private:
    std::unique_ptr<QMQTT::Client> makeClient(const QString &clientUser = user,
                                              const QString &clientPassword = password);
    bool connectClient(QMQTT::Client &client);

    std::unique_ptr<MosquittoBroker> m_broker;
};

void TestMqttClient::init()
{
    m_broker = std::make_unique<MosquittoBroker>();
    m_broker->addUser(user, password);
    QVERIFY2(m_broker->start(), qPrintable(m_broker->errorString()));
}

void TestMqttClient::cleanup()
{
    m_broker.reset();
}

std::unique_ptr<QMQTT::Client> TestMqttClient::makeClient(const QString &clientUser,
                                                          const QString &clientPassword)
{
    auto client = std::make_unique<QMQTT::Client>();
    client->setHostName(m_broker->host());
    client->setPort(m_broker->port());
    client->setUsername(clientUser);
    client->setPassword(clientPassword.toUtf8());
    return client;
}

bool TestMqttClient::connectClient(QMQTT::Client &client)
{
    QSignalSpy connected(&client, &QMQTT::Client::connected);
    client.connectToHost();
    return connected.wait(5000) && client.isConnectedToHost();
}

void TestMqttClient::connectsAndDisconnectsOnce_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("address literal") << QStringLiteral("127.0.0.1");
    QTest::newRow("name looked up first") << QStringLiteral("localhost");
}

void TestMqttClient::connectsAndDisconnectsOnce()
{
    QFETCH(QString, host);
    auto client = makeClient();
    client->setHostName(host);
    QSignalSpy connected(client.get(), &QMQTT::Client::connected);
    QSignalSpy disconnected(client.get(), &QMQTT::Client::disconnected);

    client->connectToHost();
    QVERIFY(!client->isConnectedToHost());
    QCOMPARE(connected.count(), 0); // never from inside the call
    QVERIFY(connected.wait(5000));
    QVERIFY(client->isConnectedToHost());

    client->disconnectFromHost();
    QVERIFY(!client->isConnectedToHost());
    QTRY_COMPARE(disconnected.count(), 1);
    QTest::qWait(200);
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(connected.count(), 1);
}

void TestMqttClient::failedAttemptEndsInOneDisconnected_data()
{
    QTest::addColumn<bool>("brokerDown");
    QTest::addColumn<QString>("clientPassword");
    QTest::addColumn<QList<QMQTT::ClientError>>("expectedErrors");

    QTest::newRow("nothing listening")
        << true << password << QList<QMQTT::ClientError>{QMQTT::SocketConnectionRefusedError};
    QTest::newRow("wrong password")
        << false << QStringLiteral("wrong")
        << QList<QMQTT::ClientError>{QMQTT::MqttBadUserNameOrPasswordError,
                                     QMQTT::MqttNotAuthorizedError};
}

void TestMqttClient::failedAttemptEndsInOneDisconnected()
{
    QFETCH(bool, brokerDown);
    QFETCH(QString, clientPassword);
    QFETCH(QList<QMQTT::ClientError>, expectedErrors);

    if (brokerDown)
        m_broker->stop();
    auto client = makeClient(user, clientPassword);
    QSignalSpy connected(client.get(), &QMQTT::Client::connected);
    QSignalSpy disconnected(client.get(), &QMQTT::Client::disconnected);
    QSignalSpy errors(client.get(), &QMQTT::Client::error);

    // Calls while the attempt runs make no second one.
    client->connectToHost();
    client->connectToHost();
    QVERIFY(disconnected.wait(5000));
    QTest::qWait(300);
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(connected.count(), 0);
    QCOMPARE(errors.count(), 1);
    const auto error = errors.first().first().value<QMQTT::ClientError>();
    // QTest::toString() hands out a new[] string QVERIFY2 never frees.
    QVERIFY2(expectedErrors.contains(error),
             QMetaEnum::fromType<QMQTT::ClientError>().valueToKey(int(error)));
    QVERIFY(!client->isConnectedToHost());

    // The client is ready for another attempt.
    if (brokerDown)
        QVERIFY(m_broker->restart());
    client->setPassword(password.toUtf8());
    QVERIFY(connectClient(*client));
}

void TestMqttClient::droppedConnectionIsReportedOnceAndNotRetried()
{
    auto client = makeClient();
    QVERIFY(connectClient(*client));
    QSignalSpy connected(client.get(), &QMQTT::Client::connected);
    QSignalSpy disconnected(client.get(), &QMQTT::Client::disconnected);
    QSignalSpy errors(client.get(), &QMQTT::Client::error);

    m_broker->kill();
    QVERIFY(disconnected.wait(5000));
    QVERIFY(!client->isConnectedToHost());
    QCOMPARE(errors.count(), 1);

    QVERIFY(m_broker->restart());
    QTest::qWait(1500);
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(connected.count(), 0);
}

void TestMqttClient::disconnectDuringAnAttemptCancelsItSilently()
{
    auto client = makeClient();
    QSignalSpy connected(client.get(), &QMQTT::Client::connected);
    QSignalSpy disconnected(client.get(), &QMQTT::Client::disconnected);
    client->connectToHost();
    client->disconnectFromHost();
    QTest::qWait(500);
    QCOMPARE(connected.count(), 0);
    QCOMPARE(disconnected.count(), 0);
    QVERIFY(!client->isConnectedToHost());

    // Settings changed between the two take effect on the next attempt.
    client->setPassword("wrong");
    client->connectToHost();
    client->disconnectFromHost();
    client->setPassword(password.toUtf8());
    QVERIFY(connectClient(*client));
}

void TestMqttClient::messagesArriveUnchanged_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("qos");

    QTest::newRow("text, qos 0") << "Kestrelvane/KV-1/config" << QByteArray("GET rs485list") << 0;
    QTest::newRow("compact json, qos 1")
        << "Kestrelvane/KV-1/sub" << QByteArray(R"({"addr":3,"reg":40001,"val":7})") << 1;
    QTest::newRow("binary, qos 2") << "a/b" << QByteArray("\x00\xff\r\n\x1a", 5) << 2;
    QTest::newRow("empty payload") << "a/empty" << QByteArray() << 0;
    QTest::newRow("utf-8 topic") << QString::fromUtf8("Kestrelvane/Zähler ¦/pub/port1")
                                 << QByteArray("1.00") << 2;
    QTest::newRow("large payload") << "a/large" << QByteArray(200000, 'x') << 1;
}

void TestMqttClient::messagesArriveUnchanged()
{
    QFETCH(QString, topic);
    QFETCH(QByteArray, payload);
    QFETCH(int, qos);

    auto receiver = makeClient();
    auto sender = makeClient();
    QVERIFY(connectClient(*receiver));
    QVERIFY(connectClient(*sender));
    QSignalSpy subscribed(receiver.get(), &QMQTT::Client::subscribed);
    receiver->subscribe(topic, quint8(qos));
    QCOMPARE(subscribed.count(), 0); // never from inside the call
    QVERIFY(subscribed.wait(5000));
    QCOMPARE(subscribed.first().at(0).toString(), topic);
    QCOMPARE(subscribed.first().at(1).value<quint8>(), quint8(qos)); // as granted

    QSignalSpy received(receiver.get(), &QMQTT::Client::received);
    QSignalSpy published(sender.get(), &QMQTT::Client::published);
    const quint16 id = sender->publish(QMQTT::Message(0, topic, payload, quint8(qos)));
    QVERIFY(id != 0);
    QVERIFY(received.wait(5000));
    const auto message = received.first().first().value<QMQTT::Message>();
    QCOMPARE(message.topic(), topic);
    QCOMPARE(message.payload(), payload);
    QCOMPARE(int(message.qos()), qos);
    QVERIFY(!message.retain());

    QTRY_COMPARE(published.count(), 1);
    QCOMPARE(published.first().at(1).value<quint16>(), id);
    QCOMPARE(published.first().first().value<QMQTT::Message>().payload(), payload);
}

void TestMqttClient::unsubscribedTopicStopsDelivering()
{
    auto receiver = makeClient();
    auto sender = makeClient();
    QVERIFY(connectClient(*receiver));
    QVERIFY(connectClient(*sender));
    QSignalSpy subscribed(receiver.get(), &QMQTT::Client::subscribed);
    QSignalSpy unsubscribed(receiver.get(), &QMQTT::Client::unsubscribed);
    QSignalSpy received(receiver.get(), &QMQTT::Client::received);
    receiver->subscribe("t/one", 2);
    QVERIFY(subscribed.wait(5000));
    receiver->unsubscribe("t/one");
    QVERIFY(unsubscribed.wait(5000));
    receiver->subscribe("t/two", 2);
    QTRY_COMPARE(subscribed.count(), 2);

    sender->publish(QMQTT::Message(0, "t/one", "lost", 1));
    sender->publish(QMQTT::Message(0, "t/two", "kept", 1));
    QVERIFY(received.wait(5000));
    QTest::qWait(200);
    QCOMPARE(received.count(), 1);
    QCOMPARE(received.first().first().value<QMQTT::Message>().payload(), QByteArray("kept"));
}

// The session disconnects, reconfigures and reconnects from inside the
// client's signals; none of that may re-enter libmosquitto mid-call.
void TestMqttClient::slotsMayCallBackIntoTheClient()
{
    auto client = makeClient();
    auto sender = makeClient();
    QVERIFY(connectClient(*sender));

    int connections = 0;
    connect(client.get(), &QMQTT::Client::connected, client.get(), [&] {
        ++connections;
        client->subscribe("t/echo", 1);
    });
    connect(client.get(), &QMQTT::Client::subscribed, client.get(),
            [&] { client->publish(QMQTT::Message(0, "t/echo", "ping", 1)); });
    connect(client.get(), &QMQTT::Client::received, client.get(), [&] {
        client->disconnectFromHost();
        if (connections < 3)
            client->connectToHost();
    });
    QSignalSpy disconnected(client.get(), &QMQTT::Client::disconnected);
    client->connectToHost();
    QTRY_COMPARE_WITH_TIMEOUT(disconnected.count(), 3, 10000);
    QCOMPARE(connections, 3);
    QVERIFY(!client->isConnectedToHost());
}

void TestMqttClient::nothingIsSentWhileNotConnected()
{
    auto client = makeClient();
    QCOMPARE(client->publish(QMQTT::Message(0, "t/x", "x")), quint16(0));
    QSignalSpy subscribed(client.get(), &QMQTT::Client::subscribed);
    client->subscribe("t/x", 2);
    client->unsubscribe("t/x");
    client->disconnectFromHost();
    QTest::qWait(100);
    QCOMPARE(subscribed.count(), 0);

    QVERIFY(connectClient(*client));
    QCOMPARE(client->publish(QMQTT::Message(0, "bad/+/topic", "x")), quint16(0));
    QCOMPARE(client->publish(QMQTT::Message(0, "t/x", "x", 3)), quint16(0));
    QVERIFY(client->isConnectedToHost());
}

void TestMqttClient::clientIdsAreUniqueInOneProcess()
{
    auto first = makeClient();
    auto second = makeClient();
    QVERIFY(first->clientId() != second->clientId());
    QVERIFY(connectClient(*first));
    QVERIFY(connectClient(*second));
    QSignalSpy firstDropped(first.get(), &QMQTT::Client::disconnected);
    QTest::qWait(300);
    QCOMPARE(firstDropped.count(), 0); // a clash would make the broker drop the first
}

void TestMqttClient::floodIsDeliveredCompleteAndInOrder()
{
    auto receiver = makeClient();
    auto sender = makeClient();
    QVERIFY(connectClient(*receiver));
    QVERIFY(connectClient(*sender));
    QSignalSpy subscribed(receiver.get(), &QMQTT::Client::subscribed);
    receiver->subscribe("t/flood", 1);
    QVERIFY(subscribed.wait(5000));

    constexpr int count = 5000;
    QByteArrayList payloads;
    connect(receiver.get(), &QMQTT::Client::received, this,
            [&](const QMQTT::Message &message) { payloads.append(message.payload()); });
    for (int i = 0; i < count; ++i) {
        // At most 20 unacknowledged QoS 1 messages by default: wait for room.
        while (sender->publish(QMQTT::Message(0, "t/flood", QByteArray::number(i), 1)) == 0)
            QTest::qWait(1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(payloads.size(), count, 20000);
    for (int i = 0; i < count; ++i)
        QCOMPARE(payloads.at(i), QByteArray::number(i));
}

QTEST_GUILESS_MAIN(TestMqttClient)
#include "tst_mqttclient.moc"
