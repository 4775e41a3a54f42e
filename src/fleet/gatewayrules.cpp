#include "gatewayrules.h"

#include <QRegularExpression>

namespace GatewayRules {

QStringList editableKeys()
{
    return {QStringLiteral("wifiSSID"),      QStringLiteral("wifiPass"),
            QStringLiteral("mqttServer"),    QStringLiteral("mqttPort"),
            QStringLiteral("mqttUser"),      QStringLiteral("mqttPass"),
            QStringLiteral("port1Topic"),    QStringLiteral("port2Topic"),
            QStringLiteral("errorTopic"),    QStringLiteral("configTopic"),
            QStringLiteral("responseTopic"), QStringLiteral("offlineTopic"),
            QStringLiteral("staticIP"),      QStringLiteral("gateway"),
            QStringLiteral("subnet"),        QStringLiteral("bleName"),
            QStringLiteral("blePin"),        QStringLiteral("apnSim1"),
            QStringLiteral("apnSim2"),       QStringLiteral("simSlot"),
            QStringLiteral("rs485_1_baud"),  QStringLiteral("rs485_2_baud")};
}

QStringList identityKeys()
{
    return {QStringLiteral("deviceId"), QStringLiteral("mqttClientId")};
}

QStringList passwordKeys()
{
    return {QStringLiteral("wifiPass"), QStringLiteral("mqttPass"), QStringLiteral("blePin")};
}

QStringList topicKeys()
{
    return {QStringLiteral("port1Topic"),    QStringLiteral("port2Topic"),
            QStringLiteral("errorTopic"),    QStringLiteral("configTopic"),
            QStringLiteral("responseTopic"), QStringLiteral("offlineTopic")};
}

bool isValidIp(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^(25[0-5]|2[0-4][0-9]|1?[0-9]{1,2})(\.(25[0-5]|2[0-4][0-9]|1?[0-9]{1,2})){3}$)"));
    return pattern.match(text).hasMatch();
}

QStringList baudRates()
{
    return {QStringLiteral("300"),   QStringLiteral("600"),   QStringLiteral("1200"),
            QStringLiteral("2400"),  QStringLiteral("4800"),  QStringLiteral("9600"),
            QStringLiteral("19200"), QStringLiteral("38400"), QStringLiteral("57600"),
            QStringLiteral("115200")};
}

bool isOfferedBaudRate(const QString &text)
{
    return baudRates().contains(text);
}

std::optional<double> pollSeconds(const QString &poll)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^(\d+(?:\.\d+)?)s?$)"));
    const QRegularExpressionMatch match = pattern.match(poll.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toDouble();
}

bool isHex(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9A-Fa-f]+$"));
    return pattern.match(text).hasMatch();
}

bool holdsControlCharacters(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

} // namespace GatewayRules
