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
    if (const auto &d = reply.device) {
        parts << QString("dev %1 [%2] %3 crc %4 %5 %6")
                     .arg(d->value("id").toInt())
                     .arg(d->value("name").toString(), d->value("port").toString())
                     .arg(d->value("autoCRC").toInt())
                     .arg(d->value("poll").toString(), d->value("cmdHex").toString());
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

        QString command;
        const auto row = [&](const char *tag, const char *line, const char *meaning) {
            QTest::newRow(tag) << command << QString::fromUtf8(line) << QString(meaning);
        };
        command = "GETALL";
        row("setting", "wifiSSID=plant", "[wifiSSID]=[plant]");
        row("only the first = separates", "apnSim1=net=1", "[apnSim1]=[net=1]");
        row("spaces around = trimmed", "subnet = 255.0.0.0 ", "[subnet]=[255.0.0.0]");
        row("empty value", "mqttPass=", "[mqttPass]=[]");
        row("value with + -- > and Type", "wifiPass=a+b--c>d Type", "[wifiPass]=[a+b--c>d Type]");
        row("value naming a Device", "bleName=Device 7", "[bleName]=[Device 7]");
        row("broken bar", "bleName=x\u00A6y", "[bleName]=[x\u00A6y]");
        row("table border", "+-----+------+", "dropped");
        row("prompt", ">", "dropped");
        row("header row", "| Device settings | Type: KV |", "dropped");
        row("key with a space and a marker", "Device Type=KV-4G", "dropped");
        row("key with a marker", "a+b=1", "dropped");
        row("key with a space but no marker", "my key=1", "[my key]=[1]");
        row("empty key", "=orphan", "[]=[orphan]");
        row("free text", "Gateway ready", "");
        command = "GET rs485list";
        row("two-word name", "dev[3]  Main meter  port2  CRC=1  poll=10s  cmd=0102C40B",
            "dev 3 [Main meter] port2 crc 1 10s 0102C40B");
        row("name holding Device", "dev[0] Device 7 port1 CRC=0 poll=5s cmd=0A0b",
            "dev 0 [Device 7] port1 crc 0 5s 0A0b");
        row("name holding Type and >", "dev[1] Type>B port1 CRC=1 poll=1s cmd=FF",
            "dev 1 [Type>B] port1 crc 1 1s FF");
        row("index beyond int", "dev[99999999999] m port1 CRC=1 poll=1s cmd=01",
            "dev 0 [m] port1 crc 1 1s 01");
        row("malformed device line", "dev[2] broken line", "");
        row("device line not at line start", "x dev[2] m port1 CRC=1 poll=1s cmd=01", "");
        row("list header", "Device list (Type: RS485)", "dropped");
        row("count line", "rs485DevCnt=2", "dropped");
        row("list prompt", ">", "dropped");
        command = "rs485add 1,1,10,0103,m";
        row("add", "added (saved+synced)", "added");
        row("add refused", "ERROR: bad arguments", "");
        command = "rs485mod 0,1,1,10,0103,m";
        row("modify", "modified (saved+synced)", "modified");
        command = "rs485del 0";
        row("delete", "deleted (saved+synced)", "deleted");
        row("words of another command", "added modified", "");
        command = "SAVE";
        row("save done", "OK: saved to flash", "saved");
        row("save echo", "SAVE", "not saved");
        row("save refusal", "ERROR: flash write failed", "not saved");
        command = "SET wifiSSID my net";
        row("set OK", "OK", "ack wifiSSID");
        row("set echo naming the key", "wifiSSID -> my net", "ack wifiSSID");
        row("set unrelated reply", "ERROR: busy", "");
        command = "SET simSlot 1  (SIM1)";
        row("set value holding spaces", "OK", "ack simSlot");
        command = "SET mqttPass";
        row("set without a value", "OK", "ack mqttPass");
        command = "";
        row("no command", "OK", "");
    }
    void readsReplyLines()
    {
        QFETCH(QString, command);
        QFETCH(QString, line);
        QFETCH(QString, meaning);
        QCOMPARE(::meaning(GatewayReply::read(command, line)), meaning);
    }

    // Whether a line ends the reply its sender waits for: an echo never does,
    // an error line refuses any command, even when it names the key.
    void endsTheReply_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("end");
        const int none = int(GatewayReply::End::None), answered = int(GatewayReply::End::Answered),
                  refused = int(GatewayReply::End::Refused);
        const auto row = [](const char *command, const char *line, int end) {
            QTest::addRow("%s <- %s", command, line) << QString(command) << QString(line) << end;
        };
        row("SET wifiSSID n", "OK: wifiSSID updated", answered);
        row("SET wifiSSID n", "wifiSSID -> n", answered);
        row("SET wifiSSID n", "ERROR: wifiSSID rejected", refused);
        row("SET wifiSSID n", "ERR wifiSSID", refused);
        row("SET wifiSSID n", "SET wifiSSID n", none);
        row("SET wifiSSID n", "busy", none);
        row("SAVE", "OK: saved to flash", answered);
        row("SAVE", "SAVE", none);
        row("SAVE", "flash full", refused);
        row("rs485mod 0,1,1,10,01,m", "modified (saved+synced)", answered);
        row("rs485mod 0,1,1,10,01,m", "working", none);
        row("rs485del 0", "ERROR: no device at index 0", refused);
        row("rs485add 1,1,10,01,m", "added (saved+synced)", answered);
        row("GETALL", "wifiSSID=n", none);
        row("GETALL", ">", answered);
        row("GET rs485list", "dev[0] m port1 CRC=1 poll=1s cmd=01", none);
        row("GET rs485list", ">", answered);
        row("REBOOT", "Rebooting...", answered);
        row("", "OK", none);
    }
    void endsTheReply()
    {
        QFETCH(QString, command);
        QFETCH(QString, line);
        QFETCH(int, end);
        QCOMPARE(int(GatewayReply::read(command, line).end), end);
    }

    void tellsAnIncompleteList_data()
    {
        // The lines of a list reply, separated by '|': "dev" stands for a device
        // line, "!" for the link dropping after the lines before it.
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("incomplete");
        QTest::newRow("whole list") << "Device list|rs485DevCnt=2|dev|dev|>" << false;
        QTest::newRow("still arriving") << "Device list|rs485DevCnt=2|dev" << false;
        QTest::newRow("fewer than announced") << "Device list|rs485DevCnt=2|dev|>" << true;
        QTest::newRow("dropped mid-list") << "Device list|rs485DevCnt=2|dev|!" << true;
        QTest::newRow("dropped before any count") << "Device list|!" << true;
        QTest::newRow("dropped after the last announced")
            << "Device list|rs485DevCnt=1|dev|!" << false;
        QTest::newRow("dropped after the prompt") << "Device list|dev|>|!" << false;
        QTest::newRow("count with a colon") << "rs485DevCnt: 3|dev|dev|>" << true;
    }
    void tellsAnIncompleteList()
    {
        QFETCH(QString, lines);
        QFETCH(bool, incomplete);

        DeviceListProgress progress;
        progress.restart();
        qsizetype arrived = 0;
        for (const QString &line : lines.split('|')) {
            const QString device = QString("dev[%1] m port1 CRC=1 poll=1s cmd=01").arg(arrived);
            const GatewayReply reply =
                GatewayReply::read("GET rs485list", line == "dev" ? device : line);
            arrived += reply.device.has_value();
            if (line == "!")
                progress.linkDropped();
            else
                progress.take(reply);
        }
        QCOMPARE(progress.isIncomplete(arrived), incomplete);
    }
};

QTEST_GUILESS_MAIN(TestGatewayReply)
#include "tst_gatewayreply.moc"
