#include "devicelistprogress.h"

void DeviceListProgress::restart()
{
    *this = DeviceListProgress();
}

void DeviceListProgress::take(const GatewayReply &reply)
{
    if (reply.deviceCount)
        m_announced = *reply.deviceCount;
    if (reply.listEnded)
        m_ended = true;
}

void DeviceListProgress::linkDropped()
{
    if (!m_ended)
        m_cutOff = true;
}

bool DeviceListProgress::isIncomplete(qsizetype arrived) const
{
    if (m_announced >= 0 && arrived >= m_announced)
        return false;
    if (m_cutOff)
        return true;
    return m_ended && m_announced > arrived;
}
