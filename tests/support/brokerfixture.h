#pragma once

#include "mosquittobroker.h"
#include "mqttclient.h"
#include "mqttmessage.h"
#include "mqttsession.h"
#include "settingsstore.h"
#include "tcpbridge.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

// A real broker that knows the gateway's user, the backend's cloud side on
// it (a client and the session driving it for a bridge) and a peer client
// that publishes and watches as a gateway would.
class BrokerFixture
{
public:
    static inline const QString user = QStringLiteral("gateway");
    static inline const QString password = QStringLiteral("s3cret+pass");

    // For init(), after the bridge exists; prepare adds listeners.
    bool start(TcpBridge *bridge, const QByteArrayList &configLines = {},
               const std::function<void(MosquittoBroker &)> &prepare = {})
    {
        broker = std::make_unique<MosquittoBroker>();
        broker->addUser(user, password);
        broker->addUser("other", "other-pass");
        for (const QByteArray &line : configLines)
            broker->addConfigLine(line);
        if (prepare)
            prepare(*broker);
        if (!broker->start()) {
            qWarning("%s", qPrintable(broker->errorString()));
            return false;
        }
        m_bridge = bridge;
        client = std::make_unique<QMQTT::Client>(QHostAddress(QHostAddress::LocalHost), 1883);
        client->setKeepAlive(60);
        client->setCleanSession(true);
        session = std::make_unique<MqttSession>(bridge, client.get());
        return true;
    }

    void stop()
    {
        m_peer.reset();
        session.reset();
        client.reset();
        broker.reset();
    }

    // Stores this broker as the gateway's, with other credentials if given.
    void store(const QString &id, const QString &name = user, const QString &pass = password)
    {
        SettingsStore::writeBrokerSettings(
            id, {broker->host(), QString::number(broker->port()), name, pass});
    }

    // Selects a gateway and waits until the broker has acknowledged its five
    // topics, so that what the peer publishes next is certain to arrive.
    bool select(const QString &id)
    {
        QSignalSpy connected(client.get(), &QMQTT::Client::connected);
        QSignalSpy subscribed(client.get(), &QMQTT::Client::subscribed);
        if (!m_bridge->sendTopicDeviceId(id)
            || (!client->isConnectedToHost() && !connected.wait(5000)))
            return false;
        const auto acknowledged = [&] {
            int count = 0;
            for (const QList<QVariant> &ack : subscribed)
                count += ack.first().toString().startsWith("Kestrelvane/" + id + "/");
            return count;
        };
        return QTest::qWaitFor([&] { return acknowledged() >= 5; }, 5000);
    }

    // The peer, connected on first use; null if it cannot connect.
    QMQTT::Client *peer()
    {
        if (!m_peer) {
            m_peer = std::make_unique<QMQTT::Client>(QHostAddress(broker->host()), broker->port());
            m_peer->setUsername(user);
            m_peer->setPassword(password.toUtf8());
            QSignalSpy connected(m_peer.get(), &QMQTT::Client::connected);
            m_peer->connectToHost();
            if (!connected.wait(5000))
                m_peer.reset();
        }
        return m_peer.get();
    }
    void publish(const QString &topic, const QByteArray &payload)
    {
        QVERIFY(peer());
        m_peer->publish(QMQTT::Message(0, topic, payload, 1));
    }
    // Subscribes the peer and waits for the broker's acknowledgement.
    bool watch(const QString &filter)
    {
        if (!peer())
            return false;
        QSignalSpy subscribed(m_peer.get(), &QMQTT::Client::subscribed);
        m_peer->subscribe(filter, 2);
        return subscribed.wait(3000);
    }

    std::unique_ptr<MosquittoBroker> broker;
    std::unique_ptr<QMQTT::Client> client;
    std::unique_ptr<MqttSession> session;

private:
    TcpBridge *m_bridge = nullptr;
    std::unique_ptr<QMQTT::Client> m_peer;
};
