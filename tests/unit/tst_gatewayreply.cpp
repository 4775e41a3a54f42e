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
    // Whether the line ends the reply its sender waits for.
    if (reply.end != GatewayReply::End::None)
        parts << (reply.end == GatewayReply::End::Answered ? "answered" : "refused");
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
        row("prompt ends the read", ">", "dropped, answered");
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
        row("list prompt ends the list", ">", "dropped, answered");
        command = "rs485add 1,1,10,0103,m";
        row("add", "added (saved+synced)", "added, answered");
        row("add refused", "ERROR: bad arguments", "refused");
        command = "rs485mod 0,1,1,10,0103,m";
        row("modify", "modified (saved+synced)", "modified, answered");
        row("modify, a line on the way", "working", "");
        command = "rs485del 0";
        row("delete", "deleted (saved+synced)", "deleted, answered");
        row("words of another command", "added modified", "");
        command = "SAVE";
        row("save done", "OK: saved to flash", "saved, answered");
        row("save echo ends nothing", "SAVE", "not saved");
        row("save refusal", "ERROR: flash write failed", "not saved, refused");
        row("save, any other line refuses", "flash full", "not saved, refused");
        command = "SET wifiSSID my net";
        row("set OK", "OK", "ack wifiSSID, answered");
        row("set echo naming the key", "wifiSSID -> my net", "ack wifiSSID, answered");
        row("set, the echo of the command ends nothing", "SET wifiSSID my net", "ack wifiSSID");
        // The backend's signal still takes it; the sender is refused all the same.
        row("set refusal naming the key", "ERROR: wifiSSID rejected", "ack wifiSSID, refused");
        row("set, ERR alone refuses", "ERR wifiSSID", "ack wifiSSID, refused");
        row("set, a line on the way", "busy", "");
        row("set unrelated reply", "ERROR: busy", "refused");
        command = "SET simSlot 1  (SIM1)";
        row("set value holding spaces", "OK", "ack simSlot, answered");
        command = "SET mqttPass";
        row("set without a value", "OK", "ack mqttPass, answered");
        command = "REBOOT";
        row("any other command ends at its first line", "Rebooting...", "answered");
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
