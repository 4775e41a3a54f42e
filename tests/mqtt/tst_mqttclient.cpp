#include "mosquittobroker.h"
#include "mqttclient.h"
#include "mqttmessage.h"

#include <QtTest>

#include <memory>

using Client = std::unique_ptr<QMQTT::Client>;
using Errors = QList<QMQTT::ClientError>;

// The libmosquitto client against a real broker: the life cycle the session
// relies on, and messages passing through unchanged.
class TestMqttClient : public QObject
{
    Q_OBJECT

    static inline const QString password = QStringLiteral("p+ss#word");
    std::unique_ptr<MosquittoBroker> m_broker;

    Client makeClient(const QString &clientPassword = password)
    {
        auto client =
            std::make_unique<QMQTT::Client>(QHostAddress(m_broker->host()), m_broker->port());
        client->setUsername("meter");
        client->setPassword(clientPassword.toUtf8());
        return client;
    }

    static bool online(QMQTT::Client &client)
    {
        QSignalSpy connected(&client, &QMQTT::Client::connected);
        client.connectToHost();
        return connected.wait(5000) && client.isConnectedToHost();
    }

    static bool subscribe(QMQTT::Client &client, const QString &topic, quint8 qos)
    {
        QSignalSpy subscribed(&client, &QMQTT::Client::subscribed);
        client.subscribe(topic, qos);
        return subscribed.isEmpty() && subscribed.wait(5000); // never from inside the call
    }

private slots:
    void init()
    {
        m_broker = std::make_unique<MosquittoBroker>();
        m_broker->addUser("meter", password);
        // A flood's receiver may fall behind its sender: the broker must hold
        // what it has not delivered yet, not drop it past its default 1000.
        m_broker->addConfigLine("max_queued_messages 0");
        QVERIFY2(m_broker->start(), qPrintable(m_broker->errorString()));
    }

    void cleanup() { m_broker.reset(); }

    void connectsAndDisconnectsOnce_data()
    {
        QTest::addColumn<QString>("host");
        QTest::newRow("address literal") << QStringLiteral("127.0.0.1");
        QTest::newRow("name looked up first") << QStringLiteral("localhost");
    }
    void connectsAndDisconnectsOnce()
    {
        QFETCH(QString, host);
        Client client = makeClient("wrong");
        client->setHostName(host);
        QSignalSpy connected(client.get(), &QMQTT::Client::connected);
        QSignalSpy disconnected(client.get(), &QMQTT::Client::disconnected);
        QSignalSpy subscribed(client.get(), &QMQTT::Client::subscribed);
        // Nothing goes out before the connection.
        QCOMPARE(client->publish(QMQTT::Message(0, "t/x", "x")), quint16(0));
        client->subscribe("t/x", 2);
        client->unsubscribe("t/x");
        client->disconnectFromHost();
        // An attempt cancelled at once ends silently, and settings changed
        // meanwhile count for the next attempt.
        client->connectToHost();
        client->disconnectFromHost();
        QTest::qWait(300);
        QCOMPARE(connected.count() + disconnected.count(), 0);
        client->setPassword(password.toUtf8());
        client->connectToHost();
        QVERIFY(!client->isConnectedToHost());
        QCOMPARE(connected.count(), 0); // never from inside the call
        QVERIFY(connected.wait(5000));
        QVERIFY(client->isConnectedToHost());
        QCOMPARE(subscribed.count(), 0);
        // Nor does what no broker would take, and the connection stays.
        QCOMPARE(client->publish(QMQTT::Message(0, "bad/+/topic", "x")), quint16(0));
        QCOMPARE(client->publish(QMQTT::Message(0, "t/x", "x", 3)), quint16(0));
        QVERIFY(client->isConnectedToHost());

        client->disconnectFromHost();
        QVERIFY(!client->isConnectedToHost());
        QTRY_COMPARE(disconnected.count(), 1);
        QTest::qWait(200);
        QCOMPARE(disconnected.count() + connected.count(), 2);
    }

    void failureEndsInOneDisconnectedAndNoRetry_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<Errors>("expectedErrors");
        QTest::newRow("nothing listening") << "down" << Errors{QMQTT::SocketConnectionRefusedError};
        QTest::newRow("wrong password")
            << "wrong"
            << Errors{QMQTT::MqttBadUserNameOrPasswordError, QMQTT::MqttNotAuthorizedError};
        QTest::newRow("dropped while connected")
            << "killed" << Errors{QMQTT::SocketRemoteHostClosedError};
    }
    void failureEndsInOneDisconnectedAndNoRetry()
    {
        QFETCH(QString, failure);
        QFETCH(Errors, expectedErrors);
        Client client = makeClient(failure == "wrong" ? failure : password);
        QVERIFY(failure != "killed" || online(*client));
        QSignalSpy connected(client.get(), &QMQTT::Client::connected);
        QSignalSpy disconnected(client.get(), &QMQTT::Client::disconnected);
        QSignalSpy errors(client.get(), &QMQTT::Client::error);
        if (failure == "killed") {
            m_broker->kill();
        } else {
            if (failure == "down")
                m_broker->stop();
            // Calls while the attempt runs make no second one.
            client->connectToHost();
            client->connectToHost();
        }
        QVERIFY(disconnected.wait(5000));
        QVERIFY(!client->isConnectedToHost());
        // No attempt of its own either, once the broker is back.
        QVERIFY(failure == "wrong" || m_broker->restart());
        QTest::qWait(failure == "killed" ? 1500 : 300);
        QCOMPARE(disconnected.count(), 1);
        QCOMPARE(connected.count(), 0);
        QCOMPARE(errors.count(), 1);
        const auto error = errors.first().first().value<QMQTT::ClientError>();
        // QTest::toString() hands out a new[] string QVERIFY2 never frees.
        QVERIFY2(expectedErrors.contains(error),
                 QMetaEnum::fromType<QMQTT::ClientError>().valueToKey(int(error)));

        // The client is ready for another attempt.
        client->setPassword(password.toUtf8());
        QVERIFY(online(*client));
    }

    // Two clients of one process at once: their identifiers must differ, or
    // the broker would drop the first.
    void messagesArriveUnchanged_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("qos");
        QTest::newRow("text, qos 0")
            << "Kestrelvane/KV-1/config" << QByteArray("GET rs485list") << 0;
        QTest::newRow("compact json, qos 1")
            << "Kestrelvane/KV-1/sub" << QByteArray(R"({"addr":3,"reg":40001,"val":7})") << 1;
        QTest::newRow("binary, qos 2") << "a/b" << QByteArray("\x00\xff\r\n\x1a", 5) << 2;
        QTest::newRow("empty payload") << "a/empty" << QByteArray() << 0;
        QTest::newRow("utf-8 topic")
            << QString::fromUtf8("Kestrelvane/Zähler ¦/pub/port1") << QByteArray("1.00") << 2;
        QTest::newRow("large payload") << "a/large" << QByteArray(200000, 'x') << 1;
    }
    void messagesArriveUnchanged()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(int, qos);
        Client receiver = makeClient();
        Client sender = makeClient();
        QVERIFY(online(*receiver) && online(*sender));
        QSignalSpy unsubscribed(receiver.get(), &QMQTT::Client::unsubscribed);
        QVERIFY(subscribe(*receiver, "t/gone", 2));
        receiver->unsubscribe("t/gone");
        QVERIFY(unsubscribed.wait(5000));
        QSignalSpy subscribed(receiver.get(), &QMQTT::Client::subscribed);
        QVERIFY(subscribe(*receiver, topic, quint8(qos)));
        QCOMPARE(subscribed.first().at(0).toString(), topic);
        QCOMPARE(subscribed.first().at(1).value<quint8>(), quint8(qos)); // as granted

        QSignalSpy received(receiver.get(), &QMQTT::Client::received);
        QSignalSpy published(sender.get(), &QMQTT::Client::published);
        // Of one publisher in order: what the topic left behind would come first.
        sender->publish(QMQTT::Message(0, "t/gone", "lost", quint8(qos)));
        const quint16 id = sender->publish(QMQTT::Message(0, topic, payload, quint8(qos)));
        QVERIFY(id != 0);
        QVERIFY(received.wait(5000));
        const auto message = received.first().first().value<QMQTT::Message>();
        QCOMPARE(message.topic(), topic);
        QCOMPARE(message.payload(), payload);
        QCOMPARE(int(message.qos()), qos);
        QVERIFY(!message.retain());
        QTRY_COMPARE(published.count(), 2);
        QCOMPARE(received.count(), 1);
        QCOMPARE(published.last().at(1).value<quint16>(), id);
        QCOMPARE(published.last().first().value<QMQTT::Message>().payload(), payload);
    }

    // The session disconnects, reconfigures and reconnects from inside the
    // client's signals; none of that may re-enter libmosquitto mid-call.
    void slotsMayCallBackIntoTheClient()
    {
        Client client = makeClient();
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

    void floodIsDeliveredCompleteAndInOrder()
    {
        Client receiver = makeClient();
        Client sender = makeClient();
        QVERIFY(online(*receiver) && online(*sender) && subscribe(*receiver, "t/flood", 1));
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
};

QTEST_GUILESS_MAIN(TestMqttClient)
#include "tst_mqttclient.moc"
