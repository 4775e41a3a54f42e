#pragma once

#include "gatewayreply.h"

#include <QtGlobal>

// How far the gateway's answer to "GET rs485list" got on the direct link:
// the count its count line announced and whether its closing prompt came.
// A list is incomplete when the count says more devices than arrived once
// the reply ended, or when the link dropped before it ended (unless the
// count shows that every device had arrived by then).
class DeviceListProgress
{
public:
    // A new list request: nothing announced, nothing ended.
    void restart();
    void take(const GatewayReply &reply);
    void linkDropped();
    bool isIncomplete(qsizetype arrived) const;

private:
    int m_announced = -1;
    bool m_ended = false;
    bool m_cutOff = false;
};
