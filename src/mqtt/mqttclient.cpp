#include "mqttclient.h"

#include "tlscontext.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QPointer>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QSslSocket>

#include <mosquitto.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace QMQTT {

namespace {

// A broker that accepts the TCP connection but never answers CONNECT would
// otherwise leave the attempt open forever.
constexpr int connectTimeoutMs = 10000;
// Keep-alive pings and retransmissions are driven from here.
constexpr int miscIntervalMs = 1000;
// Packets read per readable notification before the event loop gets its turn
// again; bounds the time spent in one call under a flood.
constexpr int maxPacketsPerRead = 256;
// How long a plain attempt the broker closed unanswered waits to learn
// whether the port speaks TLS instead.
constexpr int tlsProbeMs = 3000;

void initLibraryOnce()
{
    static const bool initialised = [] {
        mosquitto_lib_init();
        return true;
    }();
    Q_UNUSED(initialised);
}

QString makeClientId()
{
    static int instances = 0;
    return QStringLiteral("kv-%1-%2-%3")
        .arg(QCoreApplication::applicationPid())
        .arg(++instances)
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

ClientError connackError(int rc)
{
    switch (rc) {
    case 1:
        return MqttUnacceptableProtocolVersionError;
    case 2:
        return MqttIdentifierRejectedError;
    case 3:
        return MqttServerUnavailableError;
    case 4:
        return MqttBadUserNameOrPasswordError;
    case 5:
        return MqttNotAuthorizedError;
    default:
        return UnknownError;
    }
}

ClientError errnoError(int error)
{
    switch (error) {
    case ECONNREFUSED:
        return SocketConnectionRefusedError;
    case ETIMEDOUT:
        return SocketTimeoutError;
    case EACCES:
    case EPERM:
        return SocketAccessError;
    case ENOMEM:
    case ENOBUFS:
    case EMFILE:
    case ENFILE:
        return SocketResourceError;
    case EADDRINUSE:
        return SocketAddressInUseError;
    case ECONNRESET:
    case EPIPE:
        return SocketRemoteHostClosedError;
    default:
        return SocketNetworkError;
    }
}

QString describeError(ClientError error, const QString &host, quint16 port)
{
    const QString where = QStringLiteral("%1:%2").arg(host).arg(port);
    switch (error) {
    case SocketConnectionRefusedError:
        return QStringLiteral("The broker at %1 refused the connection.").arg(where);
    case SocketHostNotFoundError:
        return QStringLiteral("The broker host %1 was not found.").arg(host);
    case SocketTimeoutError:
        return QStringLiteral("The broker at %1 did not answer in time.").arg(where);
    case SocketRemoteHostClosedError:
        return QStringLiteral("The broker at %1 closed the connection.").arg(where);
    case MqttBadUserNameOrPasswordError:
    case MqttNotAuthorizedError:
        return QStringLiteral("The broker at %1 refused the user name or password.").arg(where);
    case MqttNoPingResponseError:
        return QStringLiteral("The broker at %1 stopped answering.").arg(where);
    default:
        return QStringLiteral("The connection to the broker at %1 failed.").arg(where);
    }
}

bool socketReadable(int fd)
{
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN);
}

} // namespace

Client::Client(const QHostAddress &host, quint16 port, QObject *parent)
    : QObject(parent)
    , m_hostName(host.toString())
    , m_port(port)
    , m_clientId(makeClientId())
{
    initLibraryOnce();
    qRegisterMetaType<QMQTT::Message>();
    qRegisterMetaType<QMQTT::ClientError>();

    m_miscTimer.setInterval(miscIntervalMs);
    connect(&m_miscTimer, &QTimer::timeout, this, &Client::onMiscTimer);
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(connectTimeoutMs);
    connect(&m_connectTimer, &QTimer::timeout, this, &Client::onConnectTimeout);
}

Client::~Client()
{
    abortLookup();
    unwatchSocket();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
}

void Client::setKeepAlive(int seconds)
{
    // libmosquitto refuses keep-alives below 5 s (0 switches pings off).
    m_keepAlive = seconds <= 0 ? 0 : qMax(5, seconds);
}

void Client::connectToHost()
{
    if (m_state != State::Idle)
        return;

    const quint64 attempt = ++m_attempt;
    m_state = State::Resolving;
    m_connectTimer.start();

    QHostAddress literal;
    if (literal.setAddress(m_hostName)) {
        // No lookup needed, but the outcome still arrives from the event loop.
        QMetaObject::invokeMethod(
            this,
            [this, attempt, literal] {
                if (attempt == m_attempt && m_state == State::Resolving)
                    openSocket(literal);
            },
            Qt::QueuedConnection);
        return;
    }
    m_lookupId = QHostInfo::lookupHost(m_hostName, this, SLOT(onLookedUp(QHostInfo)));
}

void Client::disconnectFromHost()
{
    switch (m_state) {
    case State::Idle:
        return;
    case State::Resolving:
    case State::Connecting:
        endSession(Outcome::Silent);
        return;
    case State::Connected:
        // Best effort: the DISCONNECT usually leaves at once on a healthy
        // link; the socket is closed right after either way.
        mosquitto_disconnect(m_mosq);
        endSession(Outcome::Disconnected);
        return;
    }
}

void Client::subscribe(const QString &topic, quint8 qos)
{
    if (m_state != State::Connected)
        return;
    int mid = 0;
    if (mosquitto_subscribe(m_mosq, &mid, topic.toUtf8().constData(), qos) == MOSQ_ERR_SUCCESS)
        m_pendingSubscribes.insert(mid, topic);
    afterLibraryCall();
}

void Client::unsubscribe(const QString &topic)
{
    if (m_state != State::Connected)
        return;
    int mid = 0;
    if (mosquitto_unsubscribe(m_mosq, &mid, topic.toUtf8().constData()) == MOSQ_ERR_SUCCESS)
        m_pendingUnsubscribes.insert(mid, topic);
    afterLibraryCall();
}

quint16 Client::publish(const Message &message)
{
    if (m_state != State::Connected)
        return 0;
    const QByteArray topic = message.topic().toUtf8();
    const QByteArray payload = message.payload();
    int mid = 0;
    m_publishedEarly = false;
    m_inPublish = true;
    const int rc = mosquitto_publish(m_mosq, &mid, topic.constData(), int(payload.size()),
                                     payload.constData(), message.qos(), message.retain());
    if (rc == MOSQ_ERR_SUCCESS) {
        Message sent = message;
        sent.setId(quint16(mid));
        // A QoS 0 message may be written, and its callback run, before
        // mosquitto_publish() returns and hands out the id.
        if (m_publishedEarly)
            enqueue(Event{Event::Kind::Published, UnknownError, {}, 0, sent});
        else
            m_pendingPublishes.insert(mid, sent);
    }
    m_inPublish = false;
    afterLibraryCall();
    return rc == MOSQ_ERR_SUCCESS ? quint16(mid) : 0;
}

void Client::onLookedUp(const QHostInfo &info)
{
    if (info.lookupId() != m_lookupId || m_state != State::Resolving)
        return;
    m_lookupId = -1;
    const QList<QHostAddress> addresses = info.addresses();
    if (info.error() != QHostInfo::NoError || addresses.isEmpty()) {
        endSession(Outcome::Failed, SocketHostNotFoundError);
        return;
    }
    QHostAddress chosen = addresses.first();
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            chosen = address;
            break;
        }
    }
    openSocket(chosen);
}

void Client::openSocket(const QHostAddress &address)
{
    m_address = address;
    if (!resetMosquitto()) {
        endSession(Outcome::Failed, SocketResourceError);
        return;
    }
    m_state = State::Connecting;
    if (m_tls.enabled && !setUpTls()) {
        endSession(Outcome::Failed, m_tlsContext->error(), m_tlsContext->errorString());
        return;
    }

    // The address is numeric, so libmosquitto's own name lookup returns at once.
    errno = 0;
    const int rc = mosquitto_connect_async(m_mosq, address.toString().toUtf8().constData(), m_port,
                                           m_keepAlive);
    // A handshake that fails at once ends here; libmosquitto reports a TLS
    // failure while writing as a protocol error of the socket.
    if (m_tlsContext && (rc == MOSQ_ERR_TLS || (rc == MOSQ_ERR_ERRNO && errno == EPROTO))) {
        endAttempt();
        return;
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        endSession(Outcome::Failed, rc == MOSQ_ERR_ERRNO ? errnoError(errno) : SocketNetworkError);
        return;
    }
    m_miscTimer.start();
    afterLibraryCall();
}

bool Client::resetMosquitto()
{
    if (m_mosq) {
        unwatchSocket();
        mosquitto_destroy(m_mosq);
    }
    m_tlsContext.reset();
    m_libraryLog.clear();
    m_link = {};
    m_mosq = mosquitto_new(m_clientId.toUtf8().constData(), m_cleanSession, this);
    if (!m_mosq)
        return false;
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // A command often follows the acknowledgement of the last reply at once;
    // Nagle's algorithm would hold it until the broker's delayed ACK.
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    const QByteArray user = m_username.toUtf8();
    if (!user.isEmpty() || !m_password.isEmpty()) {
        mosquitto_username_pw_set(m_mosq, user.isEmpty() ? nullptr : user.constData(),
                                  m_password.isEmpty() ? nullptr : m_password.constData());
    }
    mosquitto_connect_callback_set(m_mosq, &Client::onConnectCallback);
    mosquitto_disconnect_callback_set(m_mosq, &Client::onDisconnectCallback);
    mosquitto_subscribe_callback_set(m_mosq, &Client::onSubscribeCallback);
    mosquitto_unsubscribe_callback_set(m_mosq, &Client::onUnsubscribeCallback);
    mosquitto_publish_callback_set(m_mosq, &Client::onPublishCallback);
    mosquitto_message_callback_set(m_mosq, &Client::onMessageCallback);
    mosquitto_log_callback_set(m_mosq, &Client::onLogCallback);

    m_connackRefused = false;
    m_connackError = UnknownError;
    m_dropped = false;
    m_dropRc = 0;
    m_dropErrno = 0;
    m_pendingPublishes.clear();
    m_pendingSubscribes.clear();
    m_pendingUnsubscribes.clear();
    return true;
}

// The library gets our own OpenSSL context: it checks the host name and
// keeps the reason a check failed.
bool Client::setUpTls()
{
    m_tlsContext = std::make_unique<TlsContext>();
    if (!m_tlsContext->setUp(m_tls, m_hostName))
        return false;
    mosquitto_int_option(m_mosq, MOSQ_OPT_SSL_CTX_WITH_DEFAULTS, 0);
    mosquitto_void_option(m_mosq, MOSQ_OPT_SSL_CTX, m_tlsContext->handle());
    return true;
}

// OpenSSL may hold bytes, read ahead from the socket, that the socket no
// longer signals.
bool Client::tlsPending() const
{
    SSL *ssl = m_tlsContext && m_mosq ? static_cast<SSL *>(mosquitto_ssl_get(m_mosq)) : nullptr;
    return ssl && SSL_has_pending(ssl);
}

// An attempt that ended before the broker answered CONNECT: name the reason
// as precisely as the transport lets us.
void Client::endAttempt()
{
    if (m_tlsContext) {
        const ClientError dropped = dropError();
        if (dropped == SocketConnectionRefusedError || dropped == SocketHostNotFoundError) {
            endSession(Outcome::Failed, dropped);
            return;
        }
        QString text;
        const QString reason =
            m_libraryLog.isEmpty() ? TlsContext::takeLibraryError() : m_libraryLog;
        const ClientError error = m_tlsContext->failure(m_port, reason, &text);
        endSession(Outcome::Failed, error, text);
        return;
    }
    const ClientError dropped = dropError();
    if (dropped == SocketConnectionRefusedError || dropped == SocketResourceError)
        endSession(Outcome::Failed, dropped);
    else
        probeForTls(dropped);
}

// A TLS listener closes a plain CONNECT without a word; a handshake of our
// own, that sends nothing else and checks nothing, tells whether it is one.
void Client::probeForTls(ClientError otherwise)
{
    if (!QSslSocket::supportsSsl()) {
        endSession(Outcome::Failed, otherwise);
        return;
    }
    unwatchSocket();
    mosquitto_destroy(m_mosq);
    m_mosq = nullptr;
    m_probe = new QSslSocket(this);
    m_probe->setPeerVerifyMode(QSslSocket::VerifyNone);
    connect(m_probe, &QSslSocket::encrypted, this, [this] { finishProbe(TlsExpectedError); });
    connect(m_probe, &QSslSocket::errorOccurred, this,
            [this, otherwise] { finishProbe(otherwise); });
    QTimer::singleShot(tlsProbeMs, m_probe, [this, otherwise] { finishProbe(otherwise); });
    m_probe->connectToHostEncrypted(m_address.toString(), m_port);
}

void Client::finishProbe(ClientError error)
{
    endSession(Outcome::Failed, error,
               error == TlsExpectedError
                   ? QStringLiteral("The broker expects TLS on port %1, but this broker's entry "
                                    "asks for plain TCP.")
                         .arg(m_port)
                   : QString());
}

void Client::watchSocket(int fd)
{
    if (m_readNotifier && m_readNotifier->socket() == fd)
        return;
    unwatchSocket();
    if (fd < 0)
        return;
    m_readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &Client::onReadable);
    m_writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &Client::onWritable);
}

// A notifier may be the one whose activation is running right now, so it is
// switched off at once and deleted from the event loop.
void Client::unwatchSocket()
{
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->disconnect(this);
            notifier->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
}

void Client::abortLookup()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    m_lookupId = -1;
}

// Runs after every call into libmosquitto, once the call has returned: the
// callbacks only took notes, and this is where the notes are acted on.
void Client::afterLibraryCall()
{
    if (!m_mosq || m_state == State::Idle)
        return;
    const int fd = mosquitto_socket(m_mosq);
    if (m_dropped || m_connackRefused || fd < 0) {
        if (m_state == State::Connecting && !m_connackRefused)
            endAttempt();
        else
            endSession(Outcome::Failed, dropError());
        return;
    }
    watchSocket(fd);
    m_writeNotifier->setEnabled(mosquitto_want_write(m_mosq));
}

void Client::endSession(Outcome outcome, ClientError error, const QString &text)
{
    const bool wasActive = m_state != State::Idle;
    if (m_probe) {
        m_probe->disconnect(this);
        m_probe->abort();
        m_probe->deleteLater();
        m_probe = nullptr;
    }
    ++m_attempt;
    m_state = State::Idle;
    abortLookup();
    m_connectTimer.stop();
    m_miscTimer.stop();
    unwatchSocket();
    if (m_mosq) {
        mosquitto_destroy(m_mosq);
        m_mosq = nullptr;
    }
    m_tlsContext.reset();
    m_link = {};
    m_pendingPublishes.clear();
    m_pendingSubscribes.clear();
    m_pendingUnsubscribes.clear();

    if (!wasActive || outcome == Outcome::Silent)
        return;
    m_errorString = outcome == Outcome::Disconnected ? QString()
                    : !text.isEmpty()                ? text
                                                     : describeError(error, m_hostName, m_port);
    if (outcome == Outcome::Failed)
        enqueue(Event{Event::Kind::Error, error, {}, 0, {}});
    enqueue(Event{Event::Kind::Disconnected, UnknownError, {}, 0, {}});
}

ClientError Client::dropError() const
{
    if (m_connackRefused)
        return m_connackError;
    switch (m_dropRc) {
    case MOSQ_ERR_CONN_LOST:
        return SocketRemoteHostClosedError;
    case MOSQ_ERR_KEEPALIVE:
        return MqttNoPingResponseError;
    case MOSQ_ERR_PROTOCOL:
    case MOSQ_ERR_MALFORMED_PACKET:
        return MqttProtocolViolationError;
    case MOSQ_ERR_NOMEM:
        return SocketResourceError;
    case MOSQ_ERR_ERRNO:
        return errnoError(m_dropErrno);
    default:
        return m_state == State::Connected ? SocketRemoteHostClosedError : SocketNetworkError;
    }
}

void Client::onReadable()
{
    if (!m_mosq)
        return;
    if (m_state == State::Connecting && m_tlsContext) {
        driveHandshake();
        return;
    }
    // libmosquitto reads only a packet or so per call: drain what the socket
    // holds now, up to a bound, before handing back to the event loop.
    for (int i = 0; i < maxPacketsPerRead && m_mosq; ++i) {
        mosquitto_loop_read(m_mosq, 1);
        if (m_dropped || m_connackRefused || mosquitto_socket(m_mosq) < 0)
            break;
        if (!socketReadable(mosquitto_socket(m_mosq)) && !tlsPending())
            break;
    }
    afterLibraryCall();
    // Stopped at the bound with bytes only OpenSSL holds: no notifier would
    // ever call us for them.
    if (m_state == State::Connected && tlsPending())
        QMetaObject::invokeMethod(this, &Client::onReadable, Qt::QueuedConnection);
}

void Client::onWritable()
{
    if (!m_mosq)
        return;
    if (m_state == State::Connecting && m_tlsContext) {
        driveHandshake();
        return;
    }
    mosquitto_loop_write(m_mosq, 1);
    afterLibraryCall();
}

// Until the broker has answered CONNECT the TLS handshake may still be under
// way, and only mosquitto_loop() carries it on; it does not wait here, the
// notifiers said the socket is ready.
void Client::driveHandshake()
{
    int socketError = 0;
    socklen_t size = sizeof socketError;
    const int fd = mosquitto_socket(m_mosq);
    // A refused connection would otherwise leave the handshake retrying on
    // a dead socket until the attempt times out. A reset is the broker's
    // answer to the handshake, and the handshake knows why.
    if (fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &socketError, &size) == 0
        && socketError != 0) {
        if (socketError == ECONNRESET || socketError == EPIPE)
            endAttempt();
        else
            endSession(Outcome::Failed, errnoError(socketError));
        return;
    }
    mosquitto_loop(m_mosq, 0, 1);
    afterLibraryCall();
}

void Client::onMiscTimer()
{
    if (!m_mosq)
        return;
    mosquitto_loop_misc(m_mosq);
    afterLibraryCall();
}

void Client::onConnectTimeout()
{
    if (m_state == State::Resolving || m_state == State::Connecting)
        endSession(Outcome::Failed, SocketTimeoutError);
}

// The callbacks below run inside libmosquitto calls. They only record and
// queue; nothing here calls back into the library or emits a signal.

void Client::onConnectCallback(mosquitto *mosq, void *obj, int rc)
{
    auto *self = static_cast<Client *>(obj);
    if (rc != 0) {
        self->m_connackRefused = true;
        self->m_connackError = connackError(rc);
        return;
    }
    self->m_state = State::Connected;
    self->m_connectTimer.stop();
    self->m_errorString.clear();
    if (self->m_tlsContext)
        self->m_link = TlsContext::describe(static_cast<SSL *>(mosquitto_ssl_get(mosq)));
    self->enqueue(Event{Event::Kind::Connected, UnknownError, {}, 0, {}});
}

void Client::onDisconnectCallback(mosquitto *, void *obj, int rc)
{
    auto *self = static_cast<Client *>(obj);
    self->m_dropped = true;
    self->m_dropRc = rc;
    self->m_dropErrno = errno;
}

void Client::onSubscribeCallback(mosquitto *, void *obj, int mid, int count, const int *grantedQos)
{
    auto *self = static_cast<Client *>(obj);
    const QString topic = self->m_pendingSubscribes.take(mid);
    if (topic.isNull())
        return;
    const int granted = count > 0 ? grantedQos[0] : 0x80;
    if (granted > 2) {
        self->enqueue(Event{Event::Kind::Error, MqttSubscriptionRejectedError, topic, 0, {}});
        return;
    }
    self->enqueue(Event{Event::Kind::Subscribed, UnknownError, topic, quint8(granted), {}});
}

void Client::onUnsubscribeCallback(mosquitto *, void *obj, int mid)
{
    auto *self = static_cast<Client *>(obj);
    const QString topic = self->m_pendingUnsubscribes.take(mid);
    if (!topic.isNull())
        self->enqueue(Event{Event::Kind::Unsubscribed, UnknownError, topic, 0, {}});
}

void Client::onPublishCallback(mosquitto *, void *obj, int mid)
{
    auto *self = static_cast<Client *>(obj);
    const auto it = self->m_pendingPublishes.find(mid);
    if (it == self->m_pendingPublishes.end()) {
        if (self->m_inPublish)
            self->m_publishedEarly = true;
        return;
    }
    self->enqueue(Event{Event::Kind::Published, UnknownError, {}, 0, it.value()});
    self->m_pendingPublishes.erase(it);
}

void Client::onMessageCallback(mosquitto *, void *obj, const mosquitto_message *msg)
{
    auto *self = static_cast<Client *>(obj);
    Message message(quint16(msg->mid), QString::fromUtf8(msg->topic),
                    QByteArray(static_cast<const char *>(msg->payload), msg->payloadlen),
                    quint8(msg->qos), msg->retain, false);
    self->enqueue(Event{Event::Kind::Received, UnknownError, {}, 0, std::move(message)});
}

// libmosquitto reports OpenSSL's reason for a failed handshake only here.
void Client::onLogCallback(mosquitto *, void *obj, int level, const char *text)
{
    if (level != MOSQ_LOG_ERR)
        return;
    QString line = QString::fromUtf8(text);
    if (!line.startsWith(QLatin1String("OpenSSL Error")))
        return;
    // "OpenSSL Error[0]: error:0A00045C:SSL routines::tlsv13 alert certificate required"
    const int reason = line.lastIndexOf(QLatin1String("::"));
    static_cast<Client *>(obj)->m_libraryLog = reason >= 0 ? line.mid(reason + 2) : line;
}

void Client::enqueue(Event &&event)
{
    m_events.push_back(std::move(event));
    if (!m_dispatchPosted) {
        m_dispatchPosted = true;
        QMetaObject::invokeMethod(this, &Client::dispatch, Qt::QueuedConnection);
    }
}

// Emits what the library reported, in order. A slot may call back into the
// client; events it causes are queued behind the ones already here.
void Client::dispatch()
{
    m_dispatchPosted = false;
    std::deque<Event> events;
    events.swap(m_events);
    const QPointer<Client> alive(this);
    for (Event &event : events) {
        switch (event.kind) {
        case Event::Kind::Connected:
            emit connected();
            break;
        case Event::Kind::Disconnected:
            emit disconnected();
            break;
        case Event::Kind::Error:
            emit error(event.error);
            break;
        case Event::Kind::Subscribed:
            emit subscribed(event.topic, event.qos);
            break;
        case Event::Kind::Unsubscribed:
            emit unsubscribed(event.topic);
            break;
        case Event::Kind::Received:
            emit received(event.message);
            break;
        case Event::Kind::Published:
            emit published(event.message, event.message.id());
            break;
        }
        if (!alive)
            return;
    }
}

} // namespace QMQTT
