#include "brokeraddress.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

BrokerAddress::ParseResult BrokerAddress::parse(const QString &text)
{
    const auto refuse = [&text](const QString &why) {
        return ParseResult{std::nullopt, QStringLiteral("\"%1\": %2").arg(text, why)};
    };
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts")))
        return refuse(QStringLiteral("not mqtt://USER@HOST[:PORT] or mqtts://USER@HOST[:PORT]"));
    const QString authority = text.section(QLatin1String("://"), 1).section(QLatin1Char('/'), 0, 0);
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0 && authority.left(at).contains(QLatin1Char(':')))
        return refuse(QStringLiteral("holds a password; give it in KV_BROKER_PASSWORD or with "
                                     "--password-file instead"));
    if (url.userName().isEmpty())
        return refuse(QStringLiteral("no user name before \"@\""));
    if (url.host().isEmpty())
        return refuse(QStringLiteral("no host"));
    if (!url.path().isEmpty() && url.path() != QLatin1String("/"))
        return refuse(QStringLiteral("a path after the port"));
    if (url.hasQuery() || url.hasFragment())
        return refuse(QStringLiteral("text after the port"));
    if (url.port() == 0)
        return refuse(QStringLiteral("the port is not a number from 1 to 65535"));
    BrokerAddress address;
    address.tls = scheme == QLatin1String("mqtts");
    address.host = url.host();
    address.user = url.userName();
    address.port = quint16(url.port(address.tls ? tlsPort : plainPort));
    return {address, {}};
}

BrokerAddress::PasswordResult BrokerAddress::readPasswordFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("%1: %2").arg(path, file.errorString())};
    if (file.permissions() & (QFile::ReadGroup | QFile::ReadOther))
        return {std::nullopt, QStringLiteral("%1: readable by others; make it readable by its "
                                             "owner only (chmod 600)")
                                  .arg(path)};
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        return {std::nullopt, QStringLiteral("%1: the first line is empty").arg(path)};
    return {QString::fromUtf8(line), {}};
}

BrokerSettings BrokerAddress::settings(const QString &password) const
{
    BrokerSettings settings{host, QString::number(port), user, password};
    settings.tls.enabled = tls;
    return settings;
}
