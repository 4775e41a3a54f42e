#include "bridgefixture.h"
#include "brokerfixture.h"
#include "certificateauthority.h"

#include <QtTest>

// The cloud session against a real mosquitto broker that each test starts.
class TestMqttSession : public QObject
{
    Q_OBJECT

    // Certificates made once per run: an authority and another one, a
    // server certificate for "localhost", an expired one and a client's.
    QTemporaryDir m_certs;
    QString cert(const QString &name, const char *suffix = ".crt") const
    {
        return name.isEmpty() ? QString() : m_certs.filePath(name + suffix);
    }

private slots:
    void initTestCase()
    {
        CertificateAuthority ca(m_certs.path(), "ca"), other(m_certs.path(), "other");
        QVERIFY2(ca.create() && other.create() && ca.issue("server", "localhost", {"localhost"})
                     && ca.issue("expired", "localhost", {"localhost"}, true)
                     && ca.issue("client", "kv-tool", {}),
                 qPrintable(ca.errorString() + other.errorString()));
        QFile::copy(cert("client", ".key"), cert("shared", ".key"));
        QFile::setPermissions(cert("shared", ".key"), QFile::ReadOwner | QFile::ReadOther);
    }

    void init() { QVERIFY(f.start() && b.start(f.bridge.get())); }
    void cleanup()
    {
        b.stop();
        f.stop();
    }

    void ignoresUnusableSettings_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        const auto row = [](const char *tag, const char *host, const char *port) {
            QTest::newRow(tag) << QString(host) << QString(port);
        };
        row("port beyond 16 bits", "127.0.0.1", "65536");
        row("port not a number", "127.0.0.1", "abc");
        row("port zero", "127.0.0.1", "0");
        row("host of white space", "   ", "1883");
    }
    void ignoresUnusableSettings()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        SettingsStore::writeBrokerSettings("dev", {host, port, b.user, b.password});
        QSignalSpy disconnected(b.client.get(), &QMQTT::Client::disconnected);
        QVERIFY(f.bridge->sendTopicDeviceId("dev")); // present, so "complete"
        QVERIFY(!disconnected.wait(500));
        QCOMPARE(b.client->hostName(), QHostAddress(QHostAddress::LocalHost).toString());
        QVERIFY(!b.client->isConnectedToHost());
    }

    void followsTheChosenGateway_data()
    {
        QTest::addColumn<QString>("secondUser");
        QTest::addColumn<QString>("secondPassword");
        QTest::addColumn<bool>("reconnects");
        QTest::newRow("same settings") << b.user << b.password << false;
        QTest::newRow("other user") << QString("other") << QString("other-pass") << true;
        QTest::newRow("other password only") << b.user << b.password + "x" << true;
    }
    // Choosing another gateway moves the subscriptions to it, and reconnects
    // only when its broker settings differ.
    void followsTheChosenGateway()
    {
        QFETCH(QString, secondUser);
        QFETCH(QString, secondPassword);
        QFETCH(bool, reconnects);
        b.store("first");
        b.store("second", secondUser, secondPassword);
        QVERIFY(b.select("first") && f.bridge->connectedmqtt());

        QSignalSpy disconnected(b.client.get(), &QMQTT::Client::disconnected);
        f.bridge->sendTopicDeviceId("second");
        QCOMPARE(disconnected.count() > 0 || disconnected.wait(reconnects ? 3000 : 500),
                 reconnects);
        QCOMPARE(b.client->username(), secondUser);
        QCOMPARE(QString::fromUtf8(b.client->password()), secondPassword);
        if (secondUser == b.user && reconnects) { // the broker refuses the password
            QVERIFY(!b.client->isConnectedToHost());
            return;
        }
        QVERIFY(b.select("second"));
        QCOMPARE(b.session->subscribedDeviceId(), QString("second"));

        // Only its messages arrive, and choosing it again leaves no gap in
        // which they are lost.
        QSignalSpy unsubscribed(b.client.get(), &QMQTT::Client::unsubscribed);
        f.bridge->sendTopicDeviceId("second");
        b.publish("Kestrelvane/first/errors", "first-after");
        b.publish("Kestrelvane/second/errors", "second-again");
        QTRY_VERIFY(f.bridge->terminalLogFromMqtt().contains("second-again"));
        QVERIFY(!f.bridge->terminalLogFromMqtt().contains("first-after"));
        QTest::qWait(100);
        QCOMPARE(unsubscribed.count(), 0);
    }

    void refusesIdentifiersThatAreNotTopicLevels_data()
    {
        QTest::addColumn<QString>("id");
        QTest::newRow("wildcard +") << "+";
        QTest::newRow("wildcard #") << "ab#";
        QTest::newRow("slash") << "a/b";
    }

    // "+" would subscribe to every gateway's traffic; nothing is subscribed or
    // published with such an identifier. The empty one is a topic level of its
    // own, and the gateway the session stays with.
    void refusesIdentifiersThatAreNotTopicLevels()
    {
        QFETCH(QString, id);
        b.store("");
        b.store(id);
        QVERIFY(b.select("") && b.watch("Kestrelvane/#"));
        QSignalSpy seen(b.peer(), &QMQTT::Client::received);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Refused to subscribe"));
        f.bridge->sendTopicDeviceId(id);
        QCOMPARE(b.session->subscribedDeviceId(), QString(""));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Refused to publish"));
        f.bridge->sendConfigRequest("GET rs485list", id);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Refused to publish"));
        f.bridge->sendSubRequest({{"key", "Kestrelvane"}}, id);

        // Messages of one publisher arrive in order: when the requests are seen,
        // anything published before them would have been seen too.
        f.bridge->sendConfigRequest("rs485add 1,1,10,010300000002C40B,Main meter", "");
        f.bridge->sendSubRequest({}, ""); // the page suites check full requests
        QTRY_COMPARE(seen.count(), 2);
        const auto message = [&](int i) { return seen.at(i).first().value<QMQTT::Message>(); };
        QCOMPARE(message(0).topic(), QString("Kestrelvane//config"));
        QCOMPARE(message(0).payload(), QByteArray("rs485add 1,1,10,010300000002C40B,Main meter"));
        QCOMPARE(message(0).qos(), quint8(0));
        QVERIFY(!message(0).retain());
        QCOMPARE(message(1).topic(), QString("Kestrelvane//sub"));
        QCOMPARE(message(1).payload(), QByteArray("{}"));

        // Still subscribed to the one device only, not to every gateway.
        b.publish("Kestrelvane/other/errors", "someone else's");
        b.publish("Kestrelvane//errors", "ours");
        QTRY_VERIFY(f.bridge->terminalLogFromMqtt().contains("ours"));
        QVERIFY(!f.bridge->terminalLogFromMqtt().contains("someone else's"));
    }

    // Unreachable at the start: the first attempt fails and the session
    // tries again until the broker is up. A broker lost while connected is
    // the fault suite's.
    void retriesUntilTheBrokerReturns()
    {
        b.store("A");
        QSignalSpy disconnected(b.client.get(), &QMQTT::Client::disconnected);
        b.broker->stop();
        QVERIFY(f.bridge->sendTopicDeviceId("A"));
        QVERIFY(disconnected.wait(5000));
        QVERIFY(b.broker->restart());
        QTRY_VERIFY_WITH_TIMEOUT(f.bridge->connectedmqtt(), 8000);
        QCOMPARE(b.session->subscribedDeviceId(), QString("A"));
    }

    void securesTheBrokerLink_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("listener");
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("ca");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("outcome"); // in the link text, or in the error
        const QString link = "Encrypted with TLSv1.3, server certificate CN=localhost, valid";
        // Listener 0: TLS, 1: TLS with an expired certificate, 2: TLS asking
        // for a client certificate, -1: plain.
        const auto row = [](const char *tag, const char *host, int listener, bool tls,
                            const char *ca, const char *key, const QString &outcome) {
            QTest::newRow(tag) << QString(host) << listener << tls << QString(ca) << QString(key)
                               << outcome;
        };
        row("right CA", "localhost", 0, true, "ca", "", link);
        row("wrong CA", "localhost", 0, true, "other", "",
            "not signed by a trusted authority (unknown issuer)");
        row("wrong host name", "127.0.0.1", 0, true, "ca", "", "not for 127.0.0.1 (name mismatch)");
        row("expired certificate", "localhost", 1, true, "ca", "", "certificate has expired");
        row("plain port with TLS asked", "localhost", -1, true, "ca", "", "(no TLS on that port)");
        row("TLS port with plain asked", "localhost", 0, false, "", "", "expects TLS on port");
        row("mutual TLS with client certificate", "localhost", 2, true, "ca", "client", link);
        row("mutual TLS without client certificate", "localhost", 2, true, "ca", "",
            "asks for a client certificate");
        row("client key readable by others", "localhost", 2, true, "ca", "shared",
            "can be read by other users");
    }
    // TLS as the broker entry asks: the server checked against the chosen
    // authority and host name, a client certificate where the broker wants
    // one, and every failure named, with nothing published through it.
    void securesTheBrokerLink()
    {
        QFETCH(QString, host);
        QFETCH(int, listener);
        QFETCH(bool, tls);
        QFETCH(QString, ca);
        QFETCH(QString, key);
        QFETCH(QString, outcome);
        b.stop();
        QList<quint16> tlsPorts;
        QVERIFY(b.start(f.bridge.get(), {}, [&](MosquittoBroker &broker) {
            tlsPorts << broker.addTlsListener(cert("server"), cert("server", ".key"))
                     << broker.addTlsListener(cert("expired"), cert("expired", ".key"))
                     << broker.addTlsListener(cert("server"), cert("server", ".key"), cert("ca"));
        }));
        const quint16 port = listener < 0 ? b.broker->port() : tlsPorts.at(listener);
        SettingsStore::writeBrokerSettings("tls",
                                           {host, QString::number(port), b.user, b.password});
        SettingsStore::writeBrokerTls(
            "tls", {tls, cert(ca), cert(key.isEmpty() ? "" : "client"), cert(key, ".key")});
        QVERIFY(b.watch("Kestrelvane/#"));
        QSignalSpy seen(b.peer(), &QMQTT::Client::received);

        QSignalSpy announced(f.bridge.get(), &TcpBridge::brokerFailed);
        QVERIFY(f.bridge->sendTopicDeviceId("tls"));
        QTRY_VERIFY_WITH_TIMEOUT(f.bridge->connectedmqtt() || !f.bridge->brokerError().isEmpty(),
                                 10000);
        const bool connects = outcome.startsWith("Encrypted");
        const QString shown = connects ? f.bridge->brokerLink() : f.bridge->brokerError();
        QVERIFY2(shown.contains(outcome), qPrintable(shown));
        QCOMPARE(f.bridge->connectedmqtt(), connects);
        QCOMPARE(announced.count(), connects ? 0 : 1); // the popup's cue

        // What the pages send goes out only over the verified link.
        f.bridge->sendConfigRequest("GET rs485list", "tls");
        b.publish("Kestrelvane/end/errors", "end");
        const auto topics = [&] {
            QStringList list;
            for (const QList<QVariant> &message : seen)
                list << message.first().value<QMQTT::Message>().topic();
            return list;
        };
        QTRY_VERIFY(topics().contains("Kestrelvane/end/errors"));
        QCOMPARE(topics().count("Kestrelvane/tls/config"), connects ? 1 : 0);
    }

    void routesEveryTopic()
    {
        b.store("R");
        QVERIFY(b.select("R"));
        QSignalSpy written(f.bridge.get(), &TcpBridge::sendWriteReg);
        QSignalSpy listChanged(f.bridge.get(), &TcpBridge::deviceListMqttChanged);
        QSignalSpy saved(f.bridge.get(), &TcpBridge::saveCompletedMqtt);

        b.publish("Kestrelvane/R/pub/port1", R"({"write":"OK"})");
        b.publish("Kestrelvane/R/pub/port2", "V=230.1\n");
        b.publish("Kestrelvane/R/errors", "timeout slave 3");
        b.publish("Kestrelvane/R/network", "LTE -71 dBm");
        b.publish("Kestrelvane/R/response", "Device list\ndev[0] m port1 CRC=1 poll=1s cmd=01\n>");
        b.publish("Kestrelvane/R/response", "OK: saved to flash");
        QTRY_COMPARE(saved.count(), 1);

        QCOMPARE(f.bridge->terminalLogFromMqtt(),
                 QString("[Kestrelvane/R/pub/port1] {\"write\":\"OK\"}\n"
                         "[Kestrelvane/R/pub/port2] V=230.1\n\n"
                         "[Kestrelvane/R/errors] timeout slave 3\n"));
        QCOMPARE(f.bridge->networkLogFromMqtt(), QString("[Kestrelvane/R/network] LTE -71 dBm\n"));
        QCOMPARE(written.count(), 1);
        QCOMPARE(written.first().first().toString(), QString("written"));
        QCOMPARE(listChanged.count(), 1);
        QCOMPARE(f.bridge->deviceListMqtt().size(), 1);
    }

private:
    BridgeFixture f{4};
    BrokerFixture b;
};

QTEST_MAIN(TestMqttSession)
#include "tst_mqttsession.moc"
