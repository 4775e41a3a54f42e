#pragma once

#include "tlsoptions.h"

#include <QObject>
#include <QString>
#include <QTimer>

class GatewayModel;
namespace QMQTT {
class Client;
class Message;
} // namespace QMQTT

// The simulated gateway's side of the broker: it joins with the credentials
// it reports in "GETALL", takes commands on its config topic and register
// writes on its sub topic, and answers as the real gateway does.
class GatewayCloudLink : public QObject
{
    Q_OBJECT

public:
    explicit GatewayCloudLink(GatewayModel &model, QObject *parent = nullptr);
    ~GatewayCloudLink() override;

    // Joins the broker and keeps trying every retryIntervalMs while it is
    // unreachable, as a gateway in the field does, until stop().
    void start();
    void stop();
    static constexpr int retryIntervalMs = 2000;
    bool isConnected() const;

    // How the broker is reached, set before start().
    void setTls(const QMQTT::TlsOptions &tls);

    // Register writes are answered {"write":"FAIL"} while this is set.
    void setFailWrites(bool fail) { m_failWrites = fail; }

    void publishNetworkReport(const QString &text);
    void publishError(const QString &text);
    void publishPortData(int port, const QString &text);

signals:
    void connected();
    void disconnected();
    void commandReceived(const QString &command);
    void writeRequestReceived(const QByteArray &json);

private:
    void onConnected();
    void onDisconnected();
    void onReceived(const QMQTT::Message &message);
    void answerWrite(const QByteArray &json);
    void publish(const QString &suffix, const QByteArray &payload);
    QString topic(const QString &suffix) const;

    GatewayModel &m_model;
    QMQTT::Client *m_client;
    QString m_deviceId;
    bool m_failWrites = false;
    bool m_running = false;
    QTimer m_retryTimer;
};
