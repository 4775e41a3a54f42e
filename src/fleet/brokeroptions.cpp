#include "brokeroptions.h"

#include "settingsstore.h"

#include <QCommandLineParser>

BrokerOptions::BrokerOptions()
    : m_broker(QStringLiteral("broker"), QStringLiteral("Broker"), QStringLiteral("URL"))
    , m_passwordFile(QStringLiteral("password-file"), QStringLiteral("Broker password file"),
                     QStringLiteral("FILE"))
    , m_caFile(QStringLiteral("cafile"), QStringLiteral("Broker's certificate authority"),
               QStringLiteral("FILE"))
    , m_certFile(QStringLiteral("cert"), QStringLiteral("Client certificate"),
                 QStringLiteral("FILE"))
    , m_keyFile(QStringLiteral("key"), QStringLiteral("Client key"), QStringLiteral("FILE"))
{}

void BrokerOptions::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({m_broker, m_passwordFile, m_caFile, m_certFile, m_keyFile});
}

QString BrokerOptions::help()
{
    return QStringLiteral(
        "    --broker mqtt[s]://USER@HOST[:PORT]\n"
        "                     the broker (mqtts: TLS); else the one a direct visit\n"
        "                     stored for the device id\n"
        "    --password-file FILE\n"
        "                     the broker password (owner-only file); else the\n"
        "                     environment variable KV_BROKER_PASSWORD\n"
        "    --cafile FILE    the authority the broker's certificate is checked\n"
        "                     against (default: the system's)\n"
        "    --cert FILE --key FILE\n"
        "                     a client certificate for a broker that asks for one\n");
}

bool BrokerOptions::isSet(const QCommandLineParser &parser) const
{
    for (const QCommandLineOption *option :
         {&m_broker, &m_passwordFile, &m_caFile, &m_certFile, &m_keyFile}) {
        if (parser.isSet(*option))
            return true;
    }
    return false;
}

bool BrokerOptions::read(const QCommandLineParser &parser, QString *problem)
{
    m_address = parser.value(m_broker);
    if (!m_address.isEmpty()) {
        const BrokerAddress::ParseResult parsed = BrokerAddress::parse(m_address);
        if (!parsed.address) {
            *problem = QStringLiteral("--broker %1").arg(parsed.error);
            return false;
        }
    }
    if (parser.isSet(m_certFile) != parser.isSet(m_keyFile)) {
        *problem = QStringLiteral("--cert and --key go together");
        return false;
    }
    m_tlsFiles.caFile = parser.value(m_caFile);
    m_tlsFiles.certFile = parser.value(m_certFile);
    m_tlsFiles.keyFile = parser.value(m_keyFile);
    if (parser.isSet(m_passwordFile)) {
        const BrokerAddress::PasswordResult read =
            BrokerAddress::readPasswordFile(parser.value(m_passwordFile));
        if (!read.password) {
            *problem = read.error;
            return false;
        }
        m_password = read.password;
    } else if (qEnvironmentVariableIsSet("KV_BROKER_PASSWORD")) {
        m_password = qEnvironmentVariable("KV_BROKER_PASSWORD");
    }
    if (!m_address.isEmpty() && !m_password) {
        *problem = QStringLiteral("--broker needs its password in KV_BROKER_PASSWORD or a "
                                  "--password-file");
        return false;
    }
    return true;
}

std::optional<BrokerSettings>
BrokerOptions::settingsFor(const QString &address, const QString &deviceId, QString *problem) const
{
    const QString named = address.isEmpty() ? m_address : address;
    if (named.isEmpty()) {
        const BrokerSettings stored = SettingsStore::readBrokerSettings(deviceId);
        if (stored.isComplete())
            return stored;
        *problem = QStringLiteral("no broker known for %1: connect to it once in direct mode, or "
                                  "give --broker")
                       .arg(deviceId);
        return std::nullopt;
    }
    const BrokerAddress::ParseResult parsed = BrokerAddress::parse(named);
    if (!parsed.address) {
        *problem = parsed.error;
        return std::nullopt;
    }
    if (!m_password) {
        *problem = QStringLiteral("%1 needs its password in KV_BROKER_PASSWORD or a "
                                  "--password-file")
                       .arg(named);
        return std::nullopt;
    }
    BrokerSettings settings = parsed.address->settings(*m_password);
    settings.tls.caFile = m_tlsFiles.caFile;
    settings.tls.certFile = m_tlsFiles.certFile;
    settings.tls.keyFile = m_tlsFiles.keyFile;
    return settings;
}
