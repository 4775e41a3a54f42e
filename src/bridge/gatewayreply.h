#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>
#include <utility>

// What one reply line of the command port means, given the command it
// answers. Pure: the backend applies the result (state, signals) itself.
struct GatewayReply
{
    enum class Save { None, Completed, NotSavedFully };

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

    static GatewayReply read(const QString &command, const QString &line);

    // The key of a "SET key value" command: the text between its first and
    // second space.
    static QString setCommandKey(const QString &command);
};
