#include "devicelistprogress.h"
#include "gatewayreply.h"

#include <QtTest>

namespace {

// Everything a reply line means, in one text a row can state.
QString meaning(const GatewayReply &reply)
{
    QStringList parts;
    if (!reply.passedOn)
        parts << "dropped";
    if (reply.deviceAdded)
        parts << "added";
    if (reply.deviceModified)
        parts << "modified";
    if (reply.deviceDeleted)
        parts << "deleted";
    if (reply.save != GatewayReply::Save::None)
        parts << (reply.save == GatewayReply::Save::Completed ? "saved" : "not saved");
    if (reply.setAcknowledged)
        parts << "ack " + *reply.setAcknowledged;
    if (reply.setting)
        parts << QString("[%1]=[%2]").arg(reply.setting->first, reply.setting->second);
    if (reply.device) {
        const QVariantMap &d = *reply.device;
        parts << QString("dev %1 [%2] %3 crc %4 %5 %6")
                     .arg(d["id"].toInt())
                     .arg(d["name"].toString(), d["port"].toString())
                     .arg(d["autoCRC"].toInt())
                     .arg(d["poll"].toString(), d["cmdHex"].toString());
    }
    return parts.join(", ");
}

} // namespace

class TestGatewayReply : public QObject
{
    Q_OBJECT

private slots:
    void readsReplyLines_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("meaning");

        const char *list = "GET rs485list";
        const struct
        {
            const char *tag, *command, *line, *meaning;
        } rows[] = {
            {"setting", "GETALL", "wifiSSID=plant", "[wifiSSID]=[plant]"},
            {"only the first = separates", "GETALL", "apnSim1=net=1", "[apnSim1]=[net=1]"},
            {"spaces around = trimmed", "GETALL", "subnet = 255.0.0.0 ", "[subnet]=[255.0.0.0]"},
            {"empty value", "GETALL", "mqttPass=", "[mqttPass]=[]"},
            {"value with + -- > and Type", "GETALL", "wifiPass=a+b--c>d Type",
             "[wifiPass]=[a+b--c>d Type]"},
            {"value naming a Device", "GETALL", "bleName=Device 7", "[bleName]=[Device 7]"},
            {"table border", "GETALL", "+-----+------+", "dropped"},
            {"prompt", "GETALL", ">", "dropped"},
            {"header row", "GETALL", "| Device settings | Type: KV |", "dropped"},
            {"key with a space and a marker", "GETALL", "Device Type=KV-4G", "dropped"},
            {"key with a marker", "GETALL", "a+b=1", "dropped"},
            {"key with a space but no marker", "GETALL", "my key=1", "[my key]=[1]"},
            {"empty key", "GETALL", "=orphan", "[]=[orphan]"},
            {"free text", "GETALL", "Gateway ready", ""},
            {"two-word name", list, "dev[3]  Main meter  port2  CRC=1  poll=10s  cmd=0102C40B",
             "dev 3 [Main meter] port2 crc 1 10s 0102C40B"},
            {"name holding Device", list, "dev[0] Device 7 port1 CRC=0 poll=5s cmd=0A0b",
             "dev 0 [Device 7] port1 crc 0 5s 0A0b"},
            {"name holding Type and >", list, "dev[1] Type>B port1 CRC=1 poll=1s cmd=FF",
             "dev 1 [Type>B] port1 crc 1 1s FF"},
            {"index beyond int", list, "dev[99999999999] m port1 CRC=1 poll=1s cmd=01",
             "dev 0 [m] port1 crc 1 1s 01"},
            {"malformed device line", list, "dev[2] broken line", ""},
            {"device line not at line start", list, "x dev[2] m port1 CRC=1 poll=1s cmd=01", ""},
            {"list header", list, "Device list (Type: RS485)", "dropped"},
            {"count line", list, "rs485DevCnt=2", "dropped"},
            {"list prompt", list, ">", "dropped"},
            {"add", "rs485add 1,1,10,0103,m", "added (saved+synced)", "added"},
            {"add refused", "rs485add 1", "ERROR: bad arguments", ""},
            {"modify", "rs485mod 0,1,1,10,0103,m", "modified (saved+synced)", "modified"},
            {"delete", "rs485del 0", "deleted (saved+synced)", "deleted"},
            {"words of another command", "rs485del 0", "added modified", ""},
            {"save done", "SAVE", "OK: saved to flash", "saved"},
            {"save echo", "SAVE", "SAVE", "not saved"},
            {"save refusal", "SAVE", "ERROR: flash write failed", "not saved"},
            {"set OK", "SET staticIP 10.0.0.2", "OK", "ack staticIP"},
            {"set echo naming the key", "SET wifiSSID my net", "wifiSSID -> my net",
             "ack wifiSSID"},
            {"set value holding spaces", "SET simSlot 1  (SIM1)", "OK", "ack simSlot"},
            {"set without a value", "SET mqttPass", "OK", "ack mqttPass"},
            {"set unrelated reply", "SET wifiSSID x", "ERROR: busy", ""},
            {"no command", "", "OK", ""},
        };
        for (const auto &row : rows)
            QTest::newRow(row.tag) << row.command << QString::fromUtf8(row.line) << row.meaning;
        QTest::newRow("broken bar") << "GETALL" << QStringLiteral("bleName=x\u00A6y")
                                    << QStringLiteral("[bleName]=[x\u00A6y]");
    }
    void readsReplyLines()
    {
        QFETCH(QString, command);
        QFETCH(QString, line);
        QFETCH(QString, meaning);
        QCOMPARE(::meaning(GatewayReply::read(command, line)), meaning);
    }

    void tellsAnIncompleteList_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("dropped"); // the link dropped after the lines
        QTest::addColumn<bool>("incomplete");

        const QString header = "Device list (Type: RS485 Modbus)";
        const QString a = "dev[0]  A  port1  CRC=1  poll=10s  cmd=01";
        const QString b = "dev[1]  B  port2  CRC=1  poll=10s  cmd=02";
        QTest::newRow("whole list")
            << QStringList{header, "rs485DevCnt=2", a, b, ">"} << false << false;
        QTest::newRow("still arriving")
            << QStringList{header, "rs485DevCnt=2", a} << false << false;
        QTest::newRow("fewer than announced")
            << QStringList{header, "rs485DevCnt=2", a, ">"} << false << true;
        QTest::newRow("dropped mid-list")
            << QStringList{header, "rs485DevCnt=2", a} << true << true;
        QTest::newRow("dropped before any count") << QStringList{header} << true << true;
        QTest::newRow("dropped after the last announced")
            << QStringList{header, "rs485DevCnt=1", a} << true << false;
        QTest::newRow("dropped after the prompt") << QStringList{header, a, ">"} << true << false;
        QTest::newRow("count with a colon")
            << QStringList{"rs485DevCnt: 3", a, b, ">"} << false << true;
    }
    void tellsAnIncompleteList()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, dropped);
        QFETCH(bool, incomplete);

        DeviceListProgress progress;
        progress.restart();
        qsizetype arrived = 0;
        for (const QString &line : lines) {
            const GatewayReply reply = GatewayReply::read("GET rs485list", line);
            arrived += reply.device.has_value();
            progress.take(reply);
        }
        if (dropped)
            progress.linkDropped();
        QCOMPARE(progress.isIncomplete(arrived), incomplete);
    }
};

QTEST_GUILESS_MAIN(TestGatewayReply)
#include "tst_gatewayreply.moc"
