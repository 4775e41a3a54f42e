#pragma once

#include "gatewayrules.h"

#include <QObject>
#include <QStringList>

// The value rules as the pages see them (the singleton `GatewayRules`), so
// the forms and a restored backup are checked by the same code.
class PageRules : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList baudRates READ baudRates CONSTANT)
    Q_PROPERTY(double minPollSeconds READ minPollSeconds CONSTANT)
    Q_PROPERTY(double maxPollSeconds READ maxPollSeconds CONSTANT)

public:
    using QObject::QObject;

    QStringList baudRates() const { return GatewayRules::baudRates(); }
    double minPollSeconds() const { return GatewayRules::minPollSeconds; }
    double maxPollSeconds() const { return GatewayRules::maxPollSeconds; }

    Q_INVOKABLE bool isValidIp(const QString &text) const { return GatewayRules::isValidIp(text); }
    Q_INVOKABLE bool isHex(const QString &text) const { return GatewayRules::isHex(text); }
};
