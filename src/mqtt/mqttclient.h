#pragma once

#include "mqttclienterror.h"
#include "mqttmessage.h"
#include "tlslink.h"
#include "tlsoptions.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>

struct mosquitto;
struct mosquitto_message;
class QHostInfo;
class QSocketNotifier;
class QSslSocket;

namespace QMQTT {

class TlsContext;

// MQTT 3.1.1 client over plain TCP or TLS, run entirely by the thread's event loop:
// the libmosquitto socket is watched with QSocketNotifier and the library
// never gets a thread of its own.
//
// Signals are never emitted from inside a libmosquitto call, so every slot
// may call back into the client (subscribe, publish, disconnectFromHost,
// connectToHost). Results of the client's own calls are emitted later from
// the event loop, never before the call returned.
//
// Connection life cycle, as the application's retry logic relies on it:
// - connected() only after the broker accepted the CONNECT.
// - An attempt that fails (lookup, TCP, refused CONNACK, timeout) emits
//   error() and then exactly one disconnected().
// - A connection that drops emits error() and exactly one disconnected().
// - disconnectFromHost() on a connection emits exactly one disconnected();
//   on an attempt still in progress it cancels it silently; when idle it
//   does nothing.
// - connectToHost() does nothing while an attempt is in progress or a
//   connection is up: there is never more than one attempt at a time.
// There is no automatic reconnection.
//
// With TLS on, the server is verified (chain and host name) before any MQTT
// byte leaves; a failed check ends the attempt with its reason. An attempt
// never falls back to plain TCP.
class Client : public QObject
{
    Q_OBJECT

public:
    explicit Client(const QHostAddress &host = QHostAddress::LocalHost, quint16 port = 1883,
                    QObject *parent = nullptr);
    ~Client() override;

    void setKeepAlive(int seconds);
    int keepAlive() const { return m_keepAlive; }
    void setCleanSession(bool cleanSession) { m_cleanSession = cleanSession; }
    bool cleanSession() const { return m_cleanSession; }
    void setHostName(const QString &hostName) { m_hostName = hostName; }
    QString hostName() const { return m_hostName; }
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }
    void setUsername(const QString &username) { m_username = username; }
    QString username() const { return m_username; }
    void setPassword(const QByteArray &password) { m_password = password; }
    QByteArray password() const { return m_password; }
    QString clientId() const { return m_clientId; }
    void setTls(const TlsOptions &tls) { m_tls = tls; }
    TlsOptions tls() const { return m_tls; }

    // Why the last attempt failed or the last connection ended, in a
    // sentence for the operator; empty after a clean disconnect.
    QString errorString() const { return m_errorString; }
    // What protects the connection while it is up.
    TlsLink tlsLink() const { return m_link; }

    bool isConnectedToHost() const { return m_state == State::Connected; }

    // Host name, port, credentials, keep-alive and session flag are read
    // here; changes take effect at the next call.
    void connectToHost();
    void disconnectFromHost();

    // Ignored unless connected.
    void subscribe(const QString &topic, quint8 qos = 0);
    void unsubscribe(const QString &topic);
    // The message id given to the message, or 0 if it was not sent (not
    // connected, invalid topic or QoS, too many unacknowledged messages).
    quint16 publish(const Message &message);

signals:
    void connected();
    void disconnected();
    void subscribed(const QString &topic, quint8 qos);
    void unsubscribed(const QString &topic);
    void received(const QMQTT::Message &message);
    void published(const QMQTT::Message &message, quint16 msgid);
    void error(QMQTT::ClientError error);

private:
    enum class State { Idle, Resolving, Connecting, Connected };
    // How a session ends: cancelled by us before it was up (no signal), closed
    // by us (disconnected()), or failed or dropped (error(), disconnected()).
    enum class Outcome { Silent, Disconnected, Failed };

    struct Event
    {
        enum class Kind {
            Connected,
            Disconnected,
            Error,
            Subscribed,
            Unsubscribed,
            Received,
            Published
        };
        Kind kind;
        ClientError error = UnknownError;
        QString topic;
        quint8 qos = 0;
        Message message;
    };

    static void onConnectCallback(mosquitto *mosq, void *obj, int rc);
    static void onDisconnectCallback(mosquitto *mosq, void *obj, int rc);
    static void onSubscribeCallback(mosquitto *mosq, void *obj, int mid, int count,
                                    const int *grantedQos);
    static void onUnsubscribeCallback(mosquitto *mosq, void *obj, int mid);
    static void onPublishCallback(mosquitto *mosq, void *obj, int mid);
    static void onMessageCallback(mosquitto *mosq, void *obj, const mosquitto_message *msg);
    static void onLogCallback(mosquitto *mosq, void *obj, int level, const char *text);

    // A slot by name, not a functor: Qt 6.4 leaks a functor's slot object
    // when its lookup is aborted or its context object goes first.
    Q_SLOT void onLookedUp(const QHostInfo &info);
    void openSocket(const QHostAddress &address);
    bool setUpTls();
    bool tlsPending() const;
    void endAttempt();
    void probeForTls(ClientError otherwise);
    void finishProbe(ClientError error);
    bool resetMosquitto();
    void watchSocket(int fd);
    void unwatchSocket();
    void abortLookup();
    void afterLibraryCall();
    void endSession(Outcome outcome, ClientError error = UnknownError,
                    const QString &text = QString());
    void driveHandshake();
    ClientError dropError() const;
    void onReadable();
    void onWritable();
    void onMiscTimer();
    void onConnectTimeout();
    void enqueue(Event &&event);
    void scheduleDispatch();
    void dispatch();

    QString m_hostName;
    quint16 m_port;
    int m_keepAlive = 60;
    bool m_cleanSession = true;
    QString m_username;
    QByteArray m_password;
    const QString m_clientId;
    TlsOptions m_tls;

    mosquitto *m_mosq = nullptr;
    State m_state = State::Idle;
    // Bumped by every connectToHost() and disconnectFromHost(), so a lookup
    // or deferred connect of an older attempt is recognised and dropped.
    quint64 m_attempt = 0;
    // The lookup of the current attempt; a result with another id is stale.
    int m_lookupId = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer m_miscTimer;
    QTimer m_connectTimer;
    QHostAddress m_address;
    std::unique_ptr<TlsContext> m_tlsContext;
    // Set when a plain attempt was closed unanswered: does the port want TLS?
    QSslSocket *m_probe = nullptr;
    QString m_errorString;
    QString m_libraryLog;
    TlsLink m_link;

    // Filled by the library callbacks of the current session.
    bool m_connackRefused = false;
    ClientError m_connackError = UnknownError;
    bool m_dropped = false;
    int m_dropRc = 0;
    int m_dropErrno = 0;
    bool m_inPublish = false;
    bool m_publishedEarly = false;
    QHash<int, Message> m_pendingPublishes;
    QHash<int, QString> m_pendingSubscribes;
    QHash<int, QString> m_pendingUnsubscribes;

    std::deque<Event> m_events;
    bool m_dispatchPosted = false;
};

} // namespace QMQTT
