#include "gatewayreply.h"

#include "devicerecord.h"

#include <QStringList>

namespace {

const QString listCommand = QStringLiteral("GET rs485list");
const QString getAllCommand = QStringLiteral("GETALL");

bool containsAny(const QString &line, std::initializer_list<QLatin1String> markers)
{
    for (const QLatin1String &marker : markers) {
        if (line.contains(marker))
            return true;
    }
    return false;
}

bool isTableDecoration(const QString &line)
{
    return containsAny(line, {QLatin1String("Device"), QLatin1String("Type"), QLatin1String("--"),
                              QLatin1String("+"), QLatin1String(">")})
           || line.contains(QChar(0x00A6));
}

// A setting name as the gateway spells its keys: one word, none of the
// characters that only table borders and prompts use. Such a line is a
// setting whatever its value holds, so a password with a "+" is not lost.
bool isPlainKey(const QString &key)
{
    if (key.isEmpty() || isTableDecoration(key))
        return false;
    for (const QChar c : key) {
        if (c.isSpace())
            return false;
    }
    return true;
}

bool isListDecoration(const QString &line)
{
    return containsAny(line, {QLatin1String("Device"), QLatin1String("Type"), QLatin1String(">")})
           || line.startsWith(QLatin1String("rs485DevCnt"));
}

void readSetting(const QString &line, GatewayReply &reply)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    const QString key = equals < 0 ? QString() : line.left(equals).trimmed();
    if (!isPlainKey(key) && isTableDecoration(line)) {
        reply.passedOn = false;
        return;
    }
    if (equals >= 0)
        reply.setting.emplace(key, line.mid(equals + 1).trimmed());
}

} // namespace

QString GatewayReply::setCommandKey(const QString &command)
{
    return command.section(QLatin1Char(' '), 1, 1);
}

GatewayReply GatewayReply::read(const QString &command, const QString &line)
{
    GatewayReply reply = readLine(command, line);
    reply.end = endOf(command, line, reply);
    return reply;
}

GatewayReply GatewayReply::readLine(const QString &command, const QString &line)
{
    GatewayReply reply;

    if (command.startsWith(QLatin1String("rs485add")) && line.contains(QLatin1String("added")))
        reply.deviceAdded = true;
    if (command.startsWith(QLatin1String("rs485mod")) && line.contains(QLatin1String("modified")))
        reply.deviceModified = true;
    if (command.startsWith(QLatin1String("rs485del")) && line.contains(QLatin1String("deleted")))
        reply.deviceDeleted = true;

    if (command == QLatin1String("SAVE")) {
        reply.save = line.contains(QLatin1String("OK: saved to flash")) ? Save::Completed
                                                                        : Save::NotSavedFully;
    }

    if (command == listCommand) {
        // A device line is a record even when the device's name happens to
        // hold a word the header uses.
        if (line.startsWith(QLatin1String("dev[")))
            reply.device = DeviceRecord::fromLine(line);
        if (!reply.device) {
            reply.deviceCount = DeviceRecord::announcedCount(line);
            reply.listEnded = line.contains(QLatin1Char('>'));
        }
        if (!reply.device && isListDecoration(line)) {
            reply.passedOn = false;
            return reply;
        }
    }

    if (command == getAllCommand) {
        readSetting(line, reply);
        if (!reply.passedOn)
            return reply;
    }

    if (command.startsWith(QLatin1String("SET "))) {
        const QString key = setCommandKey(command);
        if (line.contains(QLatin1String("OK")) || line.contains(key))
            reply.setAcknowledged = key;
    }
    return reply;
}

// The backend's signals keep their old, looser reading (an error line that
// names the key still emits setAcknowledged); whoever waits on a command
// goes by this. An echo of the command is not its answer; a line that starts
// with "ERR" refuses whatever was sent; a read ends at the gateway's prompt.
GatewayReply::End GatewayReply::endOf(const QString &command, const QString &line,
                                      const GatewayReply &reply)
{
    if (command.isEmpty() || line == command)
        return End::None;
    if (line.startsWith(QLatin1String("ERR")))
        return End::Refused;
    if (command == QLatin1String("SAVE"))
        return reply.save == Save::Completed ? End::Answered : End::Refused;
    if (command.startsWith(QLatin1String("SET ")))
        return reply.setAcknowledged ? End::Answered : End::None;
    if (command.startsWith(QLatin1String("rs485add")))
        return reply.deviceAdded ? End::Answered : End::None;
    if (command.startsWith(QLatin1String("rs485mod")))
        return reply.deviceModified ? End::Answered : End::None;
    if (command.startsWith(QLatin1String("rs485del")))
        return reply.deviceDeleted ? End::Answered : End::None;
    if (command == listCommand)
        return reply.listEnded ? End::Answered : End::None;
    if (command == getAllCommand)
        return line.startsWith(QLatin1Char('>')) ? End::Answered : End::None;
    return End::Answered;
}
