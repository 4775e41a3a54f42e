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

        QTest::newRow("both transports, default port, optional columns")
            << QByteArray("gateway,name,site,broker\n"
                          "tcp://127.0.0.2,Pump 1,North,\n"
                          "mqtt://KV-0001,,South,mqtt://ops@127.0.0.1:1883\n")
            << QStringList{"tcp://127.0.0.2:8881|Pump 1|North|",
                           "mqtt://KV-0001||South|mqtt://ops@127.0.0.1:1883"}
            << QString();
        QTest::newRow("BOM, CRLF, blank lines, header case, quoted comma and quote")
            << QByteArray("\xEF\xBB\xBFGateway,Name\r\n\r\n"
                          "tcp://127.0.0.3:9000,\"Hall \"\"A\"\", bay 2\"\r\n,\r\n")
            << QStringList{"tcp://127.0.0.3:9000|Hall \"A\", bay 2||"} << QString();
        QTest::newRow("IPv6 in brackets, quoted line break")
            << QByteArray("gateway,name\ntcp://[::1]:8881,\"two\nlines\"\n")
            << QStringList{"tcp://[::1]:8881|two\nlines||"} << QString();

        QTest::newRow("empty file") << QByteArray() << QStringList() << "no header row";
        QTest::newRow("header only")
            << QByteArray("gateway\n") << QStringList() << "lists no gateway";
        QTest::newRow("no gateway column")
            << QByteArray("name\nx\n") << QStringList() << "no column \"gateway\"";
        QTest::newRow("misspelt column")
            << QByteArray("gateway,brokers\n") << QStringList() << "unknown column \"brokers\"";
        QTest::newRow("column twice") << QByteArray("gateway,name,Name\n") << QStringList()
                                      << "column \"name\" appears twice";
        QTest::newRow("unknown scheme") << QByteArray("gateway\nhttp://x\n") << QStringList()
                                        << "line 2, column \"gateway\": \"http://x\" is neither";
        QTest::newRow("port zero") << QByteArray("gateway\ntcp://127.0.0.1:0\n") << QStringList()
                                   << "port is not a number";
        QTest::newRow("port empty")
            << QByteArray("gateway\ntcp://127.0.0.1:\n") << QStringList() << "port is not a number";
        QTest::newRow("port too large") << QByteArray("gateway\ntcp://127.0.0.1:65536\n")
                                        << QStringList() << "port is not a number";
        QTest::newRow("bad host") << QByteArray("gateway\ntcp://a b\n") << QStringList()
                                  << "not a host name";
        QTest::newRow("wildcard device id")
            << QByteArray("gateway\nmqtt://KV-+\n") << QStringList() << "holds \"+\"";
        QTest::newRow("empty device id")
            << QByteArray("gateway\nmqtt://\n") << QStringList() << "no device id";
        QTest::newRow("same gateway twice, written differently")
            << QByteArray("gateway\ntcp://127.0.0.1\ntcp://127.0.0.1:8881\n") << QStringList()
            << "line 3: tcp://127.0.0.1:8881 is listed twice";
        QTest::newRow("more fields than columns")
            << QByteArray("gateway\ntcp://h,x\n") << QStringList() << "2 fields, the header has 1";
        QTest::newRow("broker for a direct gateway")
            << QByteArray("gateway,broker\ntcp://h,mqtt://u@h\n") << QStringList()
            << "a broker for a gateway reached over tcp://";
        QTest::newRow("unclosed quote") << QByteArray("gateway\n\"tcp://h\n") << QStringList()
                                        << "line 2: a quoted field is not closed";
        QTest::newRow("stray quote")
            << QByteArray("gateway\ntcp://h\"x\"\n") << QStringList() << "a quote inside a field";
        QTest::newRow("not UTF-8")
            << QByteArray("gateway\ntcp://h\xff\n") << QStringList() << "not UTF-8";
        QTest::newRow("field too long")
            << QByteArray("gateway,name\ntcp://h," + QByteArray(600, 'x') + "\n") << QStringList()
            << "longer than 512";
        QTest::newRow("file too large")
            << QByteArray("gateway\n") + QByteArray(FleetInventory::maxFileBytes, '\n')
            << QStringList() << "larger than 4 MiB";
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

        QTest::newRow("plain, default port") << "mqtt://ops@broker.example"
                                             << "ops@broker.example:1883" << QString();
        QTest::newRow("TLS, default port") << "mqtts://ops@127.0.0.1"
                                           << "ops@127.0.0.1:8883 tls" << QString();
        QTest::newRow("port given") << "mqtt://ops@127.0.0.1:1884"
                                    << "ops@127.0.0.1:1884" << QString();
        QTest::newRow("password in the address")
            << "mqtt://ops:pw@127.0.0.1" << QString() << "holds a password";
        QTest::newRow("empty password in the address")
            << "mqtt://ops:@127.0.0.1" << QString() << "holds a password";
        QTest::newRow("no user") << "mqtt://127.0.0.1:1883" << QString() << "no user name";
        QTest::newRow("other scheme") << "tcp://ops@127.0.0.1" << QString() << "not mqtt://";
        QTest::newRow("port zero")
            << "mqtt://ops@127.0.0.1:0" << QString() << "port is not a number";
        QTest::newRow("path") << "mqtt://ops@127.0.0.1/x" << QString() << "a path";
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
