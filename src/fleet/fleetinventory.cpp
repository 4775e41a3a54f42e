#include "fleetinventory.h"

#include "topicscheme.h"

#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace {

const QString gatewayColumn = QStringLiteral("gateway");
const QStringList knownColumns = {gatewayColumn, QStringLiteral("name"), QStringLiteral("site"),
                                  QStringLiteral("broker")};
constexpr quint16 commandPort = 8881;

// One record of RFC 4180 CSV: fields split at commas, quoted fields may hold
// commas, line breaks and doubled quotes. Returns false with `error` set on
// an unterminated quote or a stray quote inside a bare field.
class CsvReader
{
public:
    explicit CsvReader(const QString &text)
        : m_text(text)
    {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    int line() const { return m_line; }

    bool next(QStringList &fields, QString &error)
    {
        fields.clear();
        QString field;
        bool quoted = false;
        bool wasQuoted = false;
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos++);
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('"')) {
                        field += c;
                        ++m_pos;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == QLatin1Char('\n'))
                        ++m_line;
                    field += c;
                }
                continue;
            }
            if (c == QLatin1Char('"')) {
                if (!field.isEmpty() || wasQuoted) {
                    error = QStringLiteral("a quote inside a field that does not start with one");
                    return false;
                }
                quoted = wasQuoted = true;
            } else if (c == QLatin1Char(',')) {
                fields << field;
                field.clear();
                wasQuoted = false;
            } else if (c == QLatin1Char('\n')) {
                ++m_line;
                break;
            } else if (c != QLatin1Char('\r')) {
                field += c;
            }
        }
        if (quoted) {
            error = QStringLiteral("a quoted field is not closed");
            return false;
        }
        fields << field;
        return true;
    }

private:
    const QString &m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
};

bool isBlank(const QStringList &fields)
{
    for (const QString &field : fields) {
        if (!field.trimmed().isEmpty())
            return false;
    }
    return true;
}

// A host name as DNS allows it, or an IPv4 or IPv6 address.
bool isUsableHost(const QString &host)
{
    static const QRegularExpression hostName(
        QStringLiteral("^(?=.{1,253}$)[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
                       "(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*$"));
    return hostName.match(host).hasMatch() || !QHostAddress(host).isNull();
}

bool holdsControlOrSpace(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.isSpace())
            return true;
    }
    return false;
}

// Fills the gateway's address from "tcp://HOST[:PORT]" or "mqtt://ID", or
// says what is wrong with it.
QString readAddress(const QString &text, FleetInventory::Gateway &gateway)
{
    const QLatin1String tcp("tcp://");
    const QLatin1String mqtt("mqtt://");
    if (text.startsWith(mqtt)) {
        const QString id = text.mid(mqtt.size());
        if (id.isEmpty())
            return QStringLiteral("no device id after \"mqtt://\"");
        if (!TopicScheme::isUsableDeviceId(id) || holdsControlOrSpace(id))
            return QStringLiteral("the device id \"%1\" holds \"+\", \"#\", \"/\", a space or a "
                                  "control character")
                .arg(id);
        gateway.transport = FleetInventory::Gateway::Transport::Cloud;
        gateway.deviceId = id;
        return {};
    }
    if (!text.startsWith(tcp))
        return QStringLiteral("\"%1\" is neither tcp://HOST[:PORT] nor mqtt://DEVICE-ID").arg(text);
    QString host = text.mid(tcp.size());
    quint16 port = commandPort;
    // "[::1]:8881" for IPv6; otherwise the port stands after the last colon.
    bool hasPort = false;
    QString portText;
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        if (close < 0)
            return QStringLiteral("\"%1\": \"[\" without \"]\"").arg(text);
        const QString after = host.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(QLatin1Char(':')))
            return QStringLiteral("\"%1\": text after \"]\" that is not a port").arg(text);
        hasPort = !after.isEmpty();
        portText = after.mid(1);
        host = host.mid(1, close - 1);
    } else if (const qsizetype colon = host.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        hasPort = true;
        portText = host.mid(colon + 1);
        host.truncate(colon);
    }
    if (hasPort) {
        bool ok = false;
        const uint value = portText.toUInt(&ok);
        if (!ok || value < 1 || value > 65535)
            return QStringLiteral("\"%1\": the port is not a number from 1 to 65535").arg(text);
        port = quint16(value);
    }
    if (!isUsableHost(host))
        return QStringLiteral("\"%1\": \"%2\" is not a host name or an IP address").arg(text, host);
    gateway.transport = FleetInventory::Gateway::Transport::Direct;
    gateway.host = host;
    gateway.port = port;
    return {};
}

} // namespace

QString FleetInventory::Gateway::address() const
{
    if (transport == Transport::Cloud)
        return QStringLiteral("mqtt://") + deviceId;
    const QString shownHost =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return QStringLiteral("tcp://%1:%2").arg(shownHost).arg(port);
}

FleetInventory::ReadResult FleetInventory::fromCsv(const QByteArray &csv)
{
    const auto refuse = [](const QString &error) { return ReadResult{std::nullopt, error}; };
    if (csv.size() > maxFileBytes)
        return refuse(QStringLiteral("the file is larger than %1 MiB").arg(maxFileBytes >> 20));
    // Spreadsheets often begin their CSV with a byte order mark.
    const QByteArray bytes = csv.startsWith("\xEF\xBB\xBF") ? csv.mid(3) : csv;
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes)
        return refuse(QStringLiteral("the file is not UTF-8 text"));

    CsvReader reader(text);
    QStringList fields;
    QString error;
    // The header: the first row that is not blank.
    int headerLine = 0;
    while (!reader.atEnd()) {
        headerLine = reader.line();
        if (!reader.next(fields, error))
            return refuse(QStringLiteral("line %1: %2").arg(headerLine).arg(error));
        if (!isBlank(fields))
            break;
    }
    if (isBlank(fields))
        return refuse(QStringLiteral("the file holds no header row"));
    QStringList columns;
    for (const QString &field : std::as_const(fields)) {
        const QString column = field.trimmed().toLower();
        if (!knownColumns.contains(column))
            return refuse(QStringLiteral("line %1: unknown column \"%2\" (the columns are %3)")
                              .arg(headerLine)
                              .arg(field.trimmed(), knownColumns.join(QLatin1String(", "))));
        if (columns.contains(column))
            return refuse(QStringLiteral("line %1: the column \"%2\" appears twice")
                              .arg(headerLine)
                              .arg(column));
        columns << column;
    }
    if (!columns.contains(gatewayColumn))
        return refuse(QStringLiteral("line %1: no column \"gateway\"").arg(headerLine));

    FleetInventory inventory;
    QSet<QString> seen;
    while (!reader.atEnd()) {
        const int line = reader.line();
        if (!reader.next(fields, error))
            return refuse(QStringLiteral("line %1: %2").arg(line).arg(error));
        if (isBlank(fields))
            continue;
        if (fields.size() > columns.size())
            return refuse(QStringLiteral("line %1: %2 fields, the header has %3")
                              .arg(line)
                              .arg(fields.size())
                              .arg(columns.size()));
        if (inventory.gateways.size() == maxGateways)
            return refuse(QStringLiteral("more than %1 gateways").arg(maxGateways));
        Gateway gateway;
        gateway.line = line;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            const QString value = fields.value(i).trimmed();
            if (value.size() > maxFieldLength)
                return refuse(QStringLiteral("line %1, column \"%2\": longer than %3 characters")
                                  .arg(line)
                                  .arg(columns[i])
                                  .arg(maxFieldLength));
            if (columns[i] == gatewayColumn) {
                const QString fault = readAddress(value, gateway);
                if (!fault.isEmpty())
                    return refuse(
                        QStringLiteral("line %1, column \"gateway\": %2").arg(line).arg(fault));
            } else if (columns[i] == QLatin1String("name")) {
                gateway.name = value;
            } else if (columns[i] == QLatin1String("site")) {
                gateway.site = value;
            } else {
                gateway.broker = value;
            }
        }
        if (!gateway.broker.isEmpty() && gateway.transport == Gateway::Transport::Direct)
            return refuse(QStringLiteral("line %1, column \"broker\": a broker for a gateway "
                                         "reached over tcp://")
                              .arg(line));
        // The same gateway twice would have two conversations with it at once.
        if (seen.contains(gateway.address()))
            return refuse(
                QStringLiteral("line %1: %2 is listed twice").arg(line).arg(gateway.address()));
        seen.insert(gateway.address());
        inventory.gateways << gateway;
    }
    if (inventory.gateways.isEmpty())
        return refuse(QStringLiteral("the file lists no gateway"));
    return {inventory, {}};
}

FleetInventory::ReadResult FleetInventory::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("%1: %2").arg(path, file.errorString())};
    // One byte past the bound tells a file that is too large.
    const QByteArray bytes = file.read(maxFileBytes + 1);
    ReadResult result = fromCsv(bytes);
    if (!result.inventory)
        result.error = QStringLiteral("%1: %2").arg(path, result.error);
    return result;
}
