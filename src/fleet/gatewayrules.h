#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the settings and device pages accept, for the code paths that write
// to a gateway without a page in between (a restored backup, the command
// line). The keys are listed in the order the pages keep them.
namespace GatewayRules {

// The settings the pages edit, and so the only ones a restore writes.
QStringList editableKeys();
// Never written: no page edits them, and they name the gateway.
QStringList identityKeys();
// Left out of a backup unless asked for.
QStringList passwordKeys();
// The topics a gateway carries its own identifier in.
QStringList topicKeys();

// Four dot-separated decimal fields of 0 to 255 and nothing else; also the
// rule for the subnet mask.
bool isValidIp(const QString &text);
QStringList baudRates();
bool isOfferedBaudRate(const QString &text);

constexpr double minPollSeconds = 5;
constexpr double maxPollSeconds = 300;
// The seconds of a poll interval as the gateway reports it ("10s", "7.5s").
std::optional<double> pollSeconds(const QString &poll);

// A non-empty run of hexadecimal digits.
bool isHex(const QString &text);

// Line breaks and other control characters would end a command early and
// hand the rest to the gateway as a command of its own.
bool holdsControlCharacters(const QString &text);

} // namespace GatewayRules
