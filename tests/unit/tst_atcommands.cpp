#include "atcommands.h"

#include <QtTest>

#include <functional>

using Composer = std::function<QString(const ReportedMqttSettings &)>;
Q_DECLARE_METATYPE(Composer)

class TestAtCommands : public QObject
{
    Q_OBJECT

private slots:
    void composesCommands_data()
    {
        QTest::addColumn<Composer>("compose");
        QTest::addColumn<QString>("change"); // "key=value" the gateway reports otherwise
        QTest::addColumn<QString>("text");   // null: nothing to send

        const auto row = [](const char *name, Composer compose, const QString &change,
                            const QString &text) {
            QTest::newRow(name) << compose << change << text;
        };
        const Composer disconnect = [](auto &) { return AtCommands::disconnectMqtt(); };
        const Composer close = [](auto &) { return AtCommands::closeMqtt(); };
        row("open", AtCommands::openMqtt, "", R"(AT+QMTOPEN=0,"broker.local",1883)");
        row("open without port", AtCommands::openMqtt, "mqttPort=", QString());
        row("open without server", AtCommands::openMqtt, "mqttServer=", QString());
        // Each value is put in once: a placeholder inside one stays as it is.
        row("open, server holding %1", AtCommands::openMqtt, "mqttServer=b%1",
            R"(AT+QMTOPEN=0,"b%1",1883)");
        // The client index is the fixed "device1".
        row("connect", AtCommands::connectMqtt, "", R"(AT+QMTCONN=0,"device1","gateway","p%2w"d")");
        row("connect, user holding %1", AtCommands::connectMqtt, "mqttUser=u%1",
            R"(AT+QMTCONN=0,"device1","u%1","p%2w"d")");
        row("connect, password holding %1", AtCommands::connectMqtt, "mqttPass=p%1",
            R"(AT+QMTCONN=0,"device1","gateway","p%1")");
        row("connect needs a client id", AtCommands::connectMqtt, "mqttClientId=", QString());
        row("connect needs a password", AtCommands::connectMqtt, "mqttPass=", QString());
        row("subscribe receive topic", AtCommands::subscribeReceive, "",
            R"(AT+QMTSUB=0,1,"Kestrelvane/7/response",1)");
        row("unsubscribe receive topic", AtCommands::unsubscribeReceive, "",
            R"(AT+QMTUNS=0,1,"Kestrelvane/7/response")");
        row("unsubscribe receive needs its topic", AtCommands::unsubscribeReceive,
            "mqttTopicOut=", QString());
        row("subscribe command topic", AtCommands::subscribeCommand, "",
            R"(AT+QMTSUB=0,1,"Kestrelvane/7/config",1)");
        row("subscribe command needs its topic", AtCommands::subscribeCommand,
            "mqttTopicIn=", QString());
        row("publish", AtCommands::publishToCommandTopic, "",
            R"(AT+QMTPUB=0,1,1,0,"Kestrelvane/7/config")");
        row("unsubscribe command topic", AtCommands::unsubscribeCommand, "",
            R"(AT+QMTUNS=0,1,"Kestrelvane/7/config")");
        row("disconnect needs nothing", disconnect, "all=", "AT+QMTDISC=0");
        row("close needs nothing", close, "all=", "AT+QMTCLOSE=0");
    }
    void composesCommands()
    {
        QFETCH(Composer, compose);
        QFETCH(QString, change);
        QFETCH(QString, text);

        QVariantMap reported{{"mqttServer", "broker.local"},
                             {"mqttPort", "1883"},
                             {"mqttClientId", "gw-7"},
                             {"mqttUser", "gateway"},
                             {"mqttPass", "p%2w\"d"},
                             {"mqttTopicIn", "Kestrelvane/7/config"},
                             {"mqttTopicOut", "Kestrelvane/7/response"}};
        if (change == "all=")
            reported.clear();
        else if (!change.isEmpty())
            reported.insert(change.section('=', 0, 0), change.section('=', 1));
        const QString composed = compose(ReportedMqttSettings::takeFrom(reported));
        QCOMPARE(composed, text);
        QCOMPARE(composed.isNull(), text.isNull());
    }
};

QTEST_GUILESS_MAIN(TestAtCommands)
#include "tst_atcommands.moc"
