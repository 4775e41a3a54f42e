#include "atcommands.h"

#include <QtTest>

#include <functional>

using Composer = std::function<QString(const ReportedMqttSettings &)>;
Q_DECLARE_METATYPE(Composer)

namespace {

ReportedMqttSettings reported()
{
    ReportedMqttSettings settings;
    settings.server = "broker.local";
    settings.port = "1883";
    settings.clientId = "gw-7";
    settings.user = "gateway";
    settings.password = "p%2w\"d";
    settings.topicIn = "Kestrelvane/7/config";
    settings.topicOut = "Kestrelvane/7/response";
    return settings;
}

} // namespace

class TestAtCommands : public QObject
{
    Q_OBJECT

private slots:
    void composesCommands_data();
    void composesCommands();
};

void TestAtCommands::composesCommands_data()
{
    QTest::addColumn<Composer>("compose");
    QTest::addColumn<QString>("emptied"); // the setting cleared first, or null
    QTest::addColumn<QString>("text");    // null: nothing to send

    const auto row = [](const char *name, Composer compose, const QString &emptied,
                        const QString &text) { QTest::newRow(name) << compose << emptied << text; };
    row("open", AtCommands::openMqtt, QString(), R"(AT+QMTOPEN=0,"broker.local",1883)");
    row("open without port", AtCommands::openMqtt, "port", QString());
    row("open without server", AtCommands::openMqtt, "server", QString());
    // The client index is the fixed "device1"; a "%2" in the password stays.
    row("connect", AtCommands::connectMqtt, QString(),
        R"(AT+QMTCONN=0,"device1","gateway","p%2w"d")");
    row("connect needs a client id", AtCommands::connectMqtt, "clientId", QString());
    row("connect needs a password", AtCommands::connectMqtt, "password", QString());
    row("subscribe receive topic", AtCommands::subscribeReceive, QString(),
        R"(AT+QMTSUB=0,1,"Kestrelvane/7/response",1)");
    row("unsubscribe receive topic", AtCommands::unsubscribeReceive, QString(),
        R"(AT+QMTUNS=0,1,"Kestrelvane/7/response")");
    row("subscribe command topic", AtCommands::subscribeCommand, QString(),
        R"(AT+QMTSUB=0,1,"Kestrelvane/7/config",1)");
    row("subscribe command needs its topic", AtCommands::subscribeCommand, "topicIn", QString());
    row("publish", AtCommands::publishToCommandTopic, QString(),
        R"(AT+QMTPUB=0,1,1,0,"Kestrelvane/7/config")");
    row("unsubscribe command topic", AtCommands::unsubscribeCommand, QString(),
        R"(AT+QMTUNS=0,1,"Kestrelvane/7/config")");
    row("unsubscribe receive needs its topic", AtCommands::unsubscribeReceive, "topicOut",
        QString());
    row(
        "disconnect needs nothing",
        [](const ReportedMqttSettings &) { return AtCommands::disconnectMqtt(); }, "all",
        "AT+QMTDISC=0");
    row(
        "close needs nothing", [](const ReportedMqttSettings &) { return AtCommands::closeMqtt(); },
        "all", "AT+QMTCLOSE=0");
}

void TestAtCommands::composesCommands()
{
    QFETCH(Composer, compose);
    QFETCH(QString, emptied);
    QFETCH(QString, text);

    ReportedMqttSettings settings = reported();
    if (emptied == "port")
        settings.port.clear();
    else if (emptied == "server")
        settings.server.clear();
    else if (emptied == "clientId")
        settings.clientId.clear();
    else if (emptied == "password")
        settings.password.clear();
    else if (emptied == "topicIn")
        settings.topicIn.clear();
    else if (emptied == "topicOut")
        settings.topicOut.clear();
    else if (emptied == "all")
        settings = ReportedMqttSettings();

    const QString composed = compose(settings);
    QCOMPARE(composed, text);
    QCOMPARE(composed.isNull(), text.isNull());
}

QTEST_GUILESS_MAIN(TestAtCommands)
#include "tst_atcommands.moc"
