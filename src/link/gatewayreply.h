#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>
#include <utility>

// What one reply line means, given the command it answers: the one place
// that reads the gateway's replies, for the backend's state and signals and
// for the conversation that waits on each command. Pure: the callers apply
// the result themselves.
struct GatewayReply
{
    enum class Save { None, Completed, NotSavedFully };
    // Whether the line ends the reply to its command, and how: the command's
    // acknowledgement, the last line of a read, or a refusal.
    enum class End { None, Answered, Refused };

    bool deviceAdded = false;
    bool deviceModified = false;
    bool deviceDeleted = false;
    Save save = Save::None;
    std::optional<QVariantMap> device;                  // a record of "GET rs485list"
    std::optional<int> deviceCount;                     // the count the list announces
    bool listEnded = false;                             // the prompt after the list
    std::optional<std::pair<QString, QString>> setting; // a name=value line of "GETALL"
    std::optional<QString> setAcknowledged;             // the key of the pending "SET"
    bool passedOn = true;                               // decoration lines are not
    End end = End::None;

    static GatewayReply read(const QString &command, const QString &line);

    // The key of a "SET key value" command: the text between its first and
    // second space.
    static QString setCommandKey(const QString &command);

    // The gateway's prompt or the end of a transport's message closes a read.
    static bool isRead(const QString &command)
    {
        return command == QLatin1String("GETALL") || command == QLatin1String("GET rs485list");
    }

private:
    static GatewayReply readLine(const QString &command, const QString &line);
    static End endOf(const QString &command, const QString &line, const GatewayReply &reply);
};
