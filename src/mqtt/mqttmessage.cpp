#include "mqttmessage.h"

namespace QMQTT {

Message::Message(quint16 id, const QString &topic, const QByteArray &payload, quint8 qos,
                 bool retain, bool dup)
    : m_id(id)
    , m_topic(topic)
    , m_payload(payload)
    , m_qos(qos)
    , m_retain(retain)
    , m_dup(dup)
{}

bool Message::operator==(const Message &other) const
{
    return m_id == other.m_id && m_topic == other.m_topic && m_payload == other.m_payload
           && m_qos == other.m_qos && m_retain == other.m_retain && m_dup == other.m_dup;
}

} // namespace QMQTT
