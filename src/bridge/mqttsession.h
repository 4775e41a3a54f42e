#pragma once

#include <QObject>
#include <QString>

class TcpBridge;
namespace QMQTT {
class Client;
class Message;
struct TlsLink;
} // namespace QMQTT

// The one broker connection of cloud mode and its wiring to the backend:
// applies the selected device's broker settings, retries once 3 s after each
// drop, keeps the selected device's five topics subscribed, publishes the
// backend's requests and routes what arrives.
class MqttSession : public QObject
{
    Q_OBJECT

public:
    static constexpr int retryDelayMs = 3000;

    MqttSession(TcpBridge *bridge, QMQTT::Client *client, QObject *parent = nullptr);

    QString subscribedDeviceId() const { return m_subscribedDeviceId; }
    // "Encrypted with TLSv1.3, server certificate CN=..., valid until ...".
    static QString describeLink(const QMQTT::TlsLink &link);

private:
    void applyBrokerSettings();
    void onConnected();
    void onDisconnected();
    void onError();
    void moveSubscriptions(const QString &deviceId);
    void publishCommand(const QString &command, const QString &topic);
    void publishRequest(const QVariantMap &data, const QString &topic);
    void route(const QMQTT::Message &message);

    TcpBridge *m_bridge;
    QMQTT::Client *m_client;
    QString m_lastHost;
    quint16 m_lastPort = 0;
    QString m_subscribedDeviceId;
    // Set by every application of broker settings, cleared by the first
    // outcome: a failure then is announced, later drops and retries are not.
    bool m_announceFailure = false;
};
