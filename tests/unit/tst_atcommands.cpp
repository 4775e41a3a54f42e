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
        QTest::addColumn<QString>("change"); // "field=value" applied to the reported settings
        QTest::addColumn<QString>("text");   // null: nothing to send

        const auto row = [](const char *name, Composer compose, const QString &change,
                            const QString &text) {
            QTest::newRow(name) << compose << change << text;
        };
        const Composer disconnect = [](const ReportedMqttSettings &) {
            return AtCommands::disconnectMqtt();
        };
        const Composer close = [](const ReportedMqttSettings &) { return AtCommands::closeMqtt(); };
        row("open", AtCommands::openMqtt, "", R"(AT+QMTOPEN=0,"broker.local",1883)");
        row("open without port", AtCommands::openMqtt, "port=", QString());
        row("open without server", AtCommands::openMqtt, "server=", QString());
        // Each value is put in once: a placeholder inside one stays as it is.
        row("open, server holding %1", AtCommands::openMqtt, "server=b%1",
            R"(AT+QMTOPEN=0,"b%1",1883)");
        // The client index is the fixed "device1".
        row("connect", AtCommands::connectMqtt, "", R"(AT+QMTCONN=0,"device1","gateway","p%2w"d")");
        row("connect, user holding %1", AtCommands::connectMqtt, "user=u%1",
            R"(AT+QMTCONN=0,"device1","u%1","p%2w"d")");
        row("connect, password holding %1", AtCommands::connectMqtt, "password=p%1",
            R"(AT+QMTCONN=0,"device1","gateway","p%1")");
        row("connect needs a client id", AtCommands::connectMqtt, "clientId=", QString());
        row("connect needs a password", AtCommands::connectMqtt, "password=", QString());
        row("subscribe receive topic", AtCommands::subscribeReceive, "",
            R"(AT+QMTSUB=0,1,"Kestrelvane/7/response",1)");
        row("unsubscribe receive topic", AtCommands::unsubscribeReceive, "",
            R"(AT+QMTUNS=0,1,"Kestrelvane/7/response")");
        row("unsubscribe receive needs its topic", AtCommands::unsubscribeReceive,
            "topicOut=", QString());
        row("subscribe command topic", AtCommands::subscribeCommand, "",
            R"(AT+QMTSUB=0,1,"Kestrelvane/7/config",1)");
        row("subscribe command needs its topic", AtCommands::subscribeCommand,
            "topicIn=", QString());
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

        ReportedMqttSettings settings;
        settings.server = "broker.local";
        settings.port = "1883";
        settings.clientId = "gw-7";
        settings.user = "gateway";
        settings.password = "p%2w\"d";
        settings.topicIn = "Kestrelvane/7/config";
        settings.topicOut = "Kestrelvane/7/response";
        const QString field = change.section('=', 0, 0);
        const QString value = change.section('=', 1);
        QHash<QString, QString *> fields{
            {"server", &settings.server},     {"port", &settings.port},
            {"clientId", &settings.clientId}, {"user", &settings.user},
            {"password", &settings.password}, {"topicIn", &settings.topicIn},
            {"topicOut", &settings.topicOut}};
        if (field == "all")
            settings = ReportedMqttSettings();
        else if (fields.contains(field))
            *fields[field] = value;

        const QString composed = compose(settings);
        QCOMPARE(composed, text);
        QCOMPARE(composed.isNull(), text.isNull());
    }
};

QTEST_GUILESS_MAIN(TestAtCommands)
#include "tst_atcommands.moc"
