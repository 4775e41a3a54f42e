#pragma once

#include "gatewaylink.h"

#include <functional>

// The conversation over the gateway's command port. The socket stays with
// the backend, which frames, logs and reads every line for the pages; it
// hands each line on here and tells whether the connection stands, and this
// link writes its commands through the backend's own send, so that the
// backend's reading follows the command in flight.
class DirectGatewayLink : public GatewayLink
{
    Q_OBJECT

public:
    using Writer = std::function<void(const QString &command)>;
    explicit DirectGatewayLink(Writer writer, QObject *parent = nullptr);

    void lineReceived(const QString &line) { takeLine(line); }
    void commandWritten(const QString &command) { takeWritten(command); }
    void connectionChanged(bool connected) { setUp(connected); }

protected:
    void write(const QString &command) override { m_writer(command); }

private:
    Writer m_writer;
};
