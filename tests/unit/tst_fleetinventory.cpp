#include "brokeraddress.h"
#include "fleetinventory.h"

#include <QtTest>

// The files and addresses an integrator hands a fleet run: everything wrong
// is refused with the place it is wrong, before anything is sent.
class TestFleetInventory : public QObject
{
    Q_OBJECT

private slots:
    void readsInventory_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("gateways"); // address|name|site|broker, or empty
        QTest::addColumn<QString>("error");        // part of the refusal, or empty

        const auto row = [](const char *tag, const QByteArray &csv, const QStringList &gateways,
                            const QString &error = QString()) {
            QTest::newRow(tag) << csv << gateways << error;
        };
        const auto refused = [&](const char *tag, const QByteArray &csv, const QString &error) {
            row(tag, csv, {}, error);
        };
        row("both transports, default port, optional columns",
            "gateway,name,site,broker\ntcp://127.0.0.2,Pump 1,North,\n"
            "mqtt://KV-0001,,South,mqtt://ops@127.0.0.1:1883\n",
            {"tcp://127.0.0.2:8881|Pump 1|North|",
             "mqtt://KV-0001||South|mqtt://ops@127.0.0.1:1883"});
        row("BOM, CRLF, blank lines, header case, quoted comma and quote",
            "\xEF\xBB\xBFGateway,Name\r\n\r\ntcp://127.0.0.3:9000,\"Hall \"\"A\"\", bay "
            "2\"\r\n,\r\n",
            {"tcp://127.0.0.3:9000|Hall \"A\", bay 2||"});
        row("IPv6 in brackets, quoted line break",
            "gateway,name\ntcp://[::1]:8881,\"two\nlines\"\n", {"tcp://[::1]:8881|two\nlines||"});

        refused("empty file", "", "no header row");
        refused("header only", "gateway\n", "lists no gateway");
        refused("no gateway column", "name\nx\n", "no column \"gateway\"");
        refused("misspelt column", "gateway,brokers\n", "unknown column \"brokers\"");
        refused("column twice", "gateway,name,Name\n", "column \"name\" appears twice");
        refused("unknown scheme", "gateway\nhttp://x\n",
                "line 2, column \"gateway\": \"http://x\" is neither");
        refused("port zero", "gateway\ntcp://127.0.0.1:0\n", "port is not a number");
        refused("port empty", "gateway\ntcp://127.0.0.1:\n", "port is not a number");
        refused("port too large", "gateway\ntcp://127.0.0.1:65536\n", "port is not a number");
        refused("bad host", "gateway\ntcp://a b\n", "not a host name");
        refused("wildcard device id", "gateway\nmqtt://KV-+\n", "holds \"+\"");
        refused("empty device id", "gateway\nmqtt://\n", "no device id");
        refused("same gateway twice, written differently",
                "gateway\ntcp://127.0.0.1\ntcp://127.0.0.1:8881\n",
                "line 3: tcp://127.0.0.1:8881 is listed twice");
        refused("more fields than columns", "gateway\ntcp://h,x\n", "2 fields, the header has 1");
        refused("broker for a direct gateway", "gateway,broker\ntcp://h,mqtt://u@h\n",
                "a broker for a gateway reached over tcp://");
        refused("unclosed quote", "gateway\n\"tcp://h\n", "line 2: a quoted field is not closed");
        refused("stray quote", "gateway\ntcp://h\"x\"\n", "a quote inside a field");
        refused("not UTF-8", "gateway\ntcp://h\xff\n", "not UTF-8");
        refused("field too long", "gateway,name\ntcp://h," + QByteArray(600, 'x') + "\n",
                "longer than 512");
        refused("file too large", "gateway\n" + QByteArray(FleetInventory::maxFileBytes, '\n'),
                "larger than 4 MiB");
    }
    void readsInventory()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, gateways);
        QFETCH(QString, error);

        const FleetInventory::ReadResult read = FleetInventory::fromCsv(csv);
        QVERIFY2(read.error.contains(error), qPrintable(read.error));
        QVERIFY2(read.inventory.has_value() == error.isEmpty(), qPrintable(read.error));
        if (!read.inventory)
            return;
        QStringList rows;
        for (const FleetInventory::Gateway &gateway : read.inventory->gateways)
            rows << QStringList{gateway.address(), gateway.name, gateway.site, gateway.broker}.join(
                '|');
        QCOMPARE(rows, gateways);
    }

    void readsBrokerAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed"); // user@host:port tls, or empty
        QTest::addColumn<QString>("error");

        const auto row = [](const char *tag, const char *text, const QString &parsed,
                            const QString &error = QString()) {
            QTest::newRow(tag) << QString(text) << parsed << error;
        };
        row("plain, default port", "mqtt://ops@broker.example", "ops@broker.example:1883");
        row("TLS, default port", "mqtts://ops@127.0.0.1", "ops@127.0.0.1:8883 tls");
        row("port given", "mqtt://ops@127.0.0.1:1884", "ops@127.0.0.1:1884");
        row("password in the address", "mqtt://ops:pw@127.0.0.1", {}, "holds a password");
        row("empty password in the address", "mqtt://ops:@127.0.0.1", {}, "holds a password");
        row("no user", "mqtt://127.0.0.1:1883", {}, "no user name");
        row("other scheme", "tcp://ops@127.0.0.1", {}, "not mqtt://");
        row("port zero", "mqtt://ops@127.0.0.1:0", {}, "port is not a number");
        row("path", "mqtt://ops@127.0.0.1/x", {}, "a path");
    }
    void readsBrokerAddress()
    {
        QFETCH(QString, text);
        QFETCH(QString, parsed);
        QFETCH(QString, error);

        const BrokerAddress::ParseResult read = BrokerAddress::parse(text);
        QVERIFY2(read.error.contains(error), qPrintable(read.error));
        QCOMPARE(read.address.has_value(), error.isEmpty());
        if (read.address)
            QCOMPARE(QStringLiteral("%1@%2:%3%4")
                         .arg(read.address->user, read.address->host)
                         .arg(read.address->port)
                         .arg(read.address->tls ? " tls" : ""),
                     parsed);
    }

    void readsPasswordFileOnlyWhenPrivate_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QFile::Permissions>("permissions");
        QTest::addColumn<QString>("password");

        const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
        QTest::newRow("first line, line break dropped")
            << QByteArray("s3cret+pass\r\nnext\n") << owner << "s3cret+pass";
        QTest::newRow("readable by the group")
            << QByteArray("pw\n") << (owner | QFile::ReadGroup) << QString();
        QTest::newRow("empty") << QByteArray("\n") << owner << QString();
    }
    void readsPasswordFileOnlyWhenPrivate()
    {
        QFETCH(QByteArray, content);
        QFETCH(QFile::Permissions, permissions);
        QFETCH(QString, password);

        QTemporaryDir dir;
        QFile file(dir.filePath("password"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QVERIFY(file.setPermissions(permissions));
        const BrokerAddress::PasswordResult read = BrokerAddress::readPasswordFile(file.fileName());
        QCOMPARE(read.password.value_or(QString()), password);
        QCOMPARE(read.error.isEmpty(), !password.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFleetInventory)
#include "tst_fleetinventory.moc"
