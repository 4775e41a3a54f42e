#include "gatewaysimulator.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr qint64 monitorHighWater = 256 * 1024;

// Two meters with the two word orders the tool must tell apart, and one
// status header without a register line after it.
const QList<QByteArray> &monitorSampleLines()
{
    static const QList<QByteArray> lines = {
        "[RS485] DATA port1 id=1 'ELMEASURE LG+1119' regs=10",
        "[0x0000] 0 16256 0 17096 52429 16268 0 0 0 16672",
        "[RS485] DATA port2 id=2 'Main meter' regs=10",
        "[0x000A] 16256 0 17096 0 16268 52429 0 0 16672 0",
        "[RS485] OK port1 id=3 'Tank level' crc ok",
        "[0x0014] 17096 0 16544 0",
    };
    return lines;
}

QByteArray atReplyFor(const QByteArray &command)
{
    const QByteArray upper = command.toUpper();
    if (!upper.startsWith("AT"))
        return "ERROR\r\n";
    static const QList<QPair<QByteArray, QByteArray>> results = {
        {"AT+QMTOPEN=", "+QMTOPEN: 0,0\r\n"},   {"AT+QMTCONN=", "+QMTCONN: 0,0,0\r\n"},
        {"AT+QMTSUB=", "+QMTSUB: 0,1,0,1\r\n"}, {"AT+QMTUNS=", "+QMTUNS: 0,1,0\r\n"},
        {"AT+QMTDISC", "+QMTDISC: 0,0\r\n"},    {"AT+QMTCLOSE", "+QMTCLOSE: 0,0\r\n"},
    };
    for (const auto &[prefix, result] : results) {
        if (upper.startsWith(prefix))
            return "OK\r\n" + result;
    }
    return "OK\r\n";
}

} // namespace

GatewaySimulator::GatewaySimulator(QObject *parent)
    : QObject(parent)
    , m_commandServer(new QTcpServer(this))
    , m_monitorServer(new QTcpServer(this))
    , m_atServer(new QTcpServer(this))
{
    connect(m_commandServer, &QTcpServer::newConnection, this,
            [this] { accept(m_commandServer, Service::Command); });
    connect(m_monitorServer, &QTcpServer::newConnection, this,
            [this] { accept(m_monitorServer, Service::Monitor); });
    connect(m_atServer, &QTcpServer::newConnection, this,
            [this] { accept(m_atServer, Service::AtConsole); });
}

GatewaySimulator::~GatewaySimulator()
{
    stop();
}

bool GatewaySimulator::start(const QHostAddress &address, const Ports &ports)
{
    stop();
    m_address = address;
    if (!m_commandServer->listen(address, ports.command)) {
        m_errorString = QStringLiteral("command port %1: %2")
                            .arg(ports.command)
                            .arg(m_commandServer->errorString());
        return false;
    }
    if (!m_monitorServer->listen(address, ports.monitor)) {
        m_errorString = QStringLiteral("monitor port %1: %2")
                            .arg(ports.monitor)
                            .arg(m_monitorServer->errorString());
        m_commandServer->close();
        return false;
    }
    if (!m_atServer->listen(address, ports.atConsole)) {
        m_errorString = QStringLiteral("AT console port %1 not served: %2")
                            .arg(ports.atConsole)
                            .arg(m_atServer->errorString());
    }
    return true;
}

void GatewaySimulator::stop()
{
    m_commandServer->close();
    m_monitorServer->close();
    m_atServer->close();
    const auto sockets = m_connections.keys();
    for (QTcpSocket *socket : sockets)
        socket->abort();
}

bool GatewaySimulator::atConsoleAvailable() const
{
    return m_atServer->isListening();
}

void GatewaySimulator::clearReceived()
{
    m_received.clear();
    m_commands.clear();
}

void GatewaySimulator::setReplyChunking(int chunkSize, int gapMs)
{
    m_chunkSize = chunkSize;
    m_chunkGapMs = gapMs;
}

void GatewaySimulator::setScriptedReply(const QString &command, const QByteArray &reply)
{
    m_scripted.insert(command, reply);
}

void GatewaySimulator::sendRaw(Service service, const QByteArray &bytes)
{
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it->service == service) {
            it.key()->write(bytes);
            it.key()->flush();
        }
    }
}

void GatewaySimulator::dropConnections(Service service)
{
    const auto sockets = m_connections.keys();
    for (QTcpSocket *socket : sockets) {
        if (m_connections.value(socket).service == service)
            socket->abort();
    }
}

int GatewaySimulator::connectionCount(Service service) const
{
    int count = 0;
    for (const Connection &connection : m_connections)
        count += connection.service == service ? 1 : 0;
    return count;
}

QByteArray GatewaySimulator::monitorSampleBlock()
{
    QByteArray block;
    for (const QByteArray &line : monitorSampleLines())
        block += line + '\n';
    return block;
}

void GatewaySimulator::accept(QTcpServer *server, Service service)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        Connection connection;
        connection.service = service;
        connection.pacer = new QTimer(socket);
        m_connections.insert(socket, connection);

        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, service] {
            m_connections.remove(socket);
            socket->deleteLater();
            emit clientDisconnected(service);
        });

        if (service == Service::Monitor && m_monitorRate < 0) {
            // A silent monitor: only sendRaw() reaches the peer.
        } else if (service == Service::Monitor) {
            QTimer *pacer = m_connections[socket].pacer;
            if (m_monitorRate > 0) {
                pacer->setInterval(m_monitorRate > 100 ? 10 : 1000 / m_monitorRate);
                connect(pacer, &QTimer::timeout, this, [this, socket] { feedMonitor(socket); });
                pacer->start();
            } else {
                connect(socket, &QTcpSocket::bytesWritten, this,
                        [this, socket] { feedMonitor(socket); });
                QTimer::singleShot(0, socket, [this, socket] { feedMonitor(socket); });
            }
        } else {
            connect(m_connections[socket].pacer, &QTimer::timeout, this,
                    [this, socket] { writeNextChunk(socket); });
        }
        emit clientConnected(service);
    }
}

void GatewaySimulator::onReadyRead(QTcpSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    const QByteArray bytes = socket->readAll();
    m_received[it->service] += bytes;
    if (it->service == Service::Monitor)
        return;
    it->input += bytes;
    if (it->service == Service::AtConsole) {
        handleAtInput(socket);
        return;
    }
    for (;;) {
        it = m_connections.find(socket);
        if (it == m_connections.end())
            return;
        const qsizetype newline = it->input.indexOf('\n');
        if (newline < 0)
            return;
        QByteArray line = it->input.left(newline);
        it->input.remove(0, newline + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        handleCommandLine(socket, QString::fromUtf8(line));
    }
}

void GatewaySimulator::handleCommandLine(QTcpSocket *socket, const QString &line)
{
    m_commands.append(line);
    emit commandReceived(line);
    const auto scripted = m_scripted.constFind(line);
    if (scripted != m_scripted.constEnd()) {
        queueReply(socket, *scripted);
        return;
    }
    const GatewayModel::Reply reply = m_model.handle(line);
    if (reply.lines.isEmpty() && !reply.dropLink)
        return;
    queueReply(socket, reply.lines.join(QLatin1Char('\n')).toUtf8() + '\n', reply.dropLink);
}

// The modem answers lines, except after a publish command: then it prompts
// with ">" and takes a message body ended by Ctrl-Z.
void GatewaySimulator::handleAtInput(QTcpSocket *socket)
{
    for (;;) {
        auto it = m_connections.find(socket);
        if (it == m_connections.end())
            return;
        if (it->awaitingAtBody) {
            const qsizetype end = it->input.indexOf('\x1A');
            if (end < 0)
                return;
            it->input.remove(0, end + 1);
            it->awaitingAtBody = false;
            queueReply(socket, "OK\r\n+QMTPUB: 0,1,0\r\n");
            continue;
        }
        const qsizetype newline = it->input.indexOf('\n');
        if (newline < 0)
            return;
        const QByteArray line = it->input.left(newline).trimmed();
        it->input.remove(0, newline + 1);
        if (line.isEmpty())
            continue;
        m_commands.append(QString::fromUtf8(line));
        emit commandReceived(QString::fromUtf8(line));
        if (line.toUpper().startsWith("AT+QMTPUB=")) {
            it->awaitingAtBody = true;
            queueReply(socket, ">\r\n");
            continue;
        }
        queueReply(socket, atReplyFor(line));
    }
}

void GatewaySimulator::queueReply(QTcpSocket *socket, const QByteArray &bytes, bool closeAfter)
{
    Connection &connection = m_connections[socket];
    connection.output += bytes;
    connection.closeAfterOutput = connection.closeAfterOutput || closeAfter;
    if (m_dropAfterBytes >= 0) {
        connection.dropAfter = m_dropAfterBytes;
        m_dropAfterBytes = -1;
    }
    if (m_chunkSize <= 0 && m_replyDelayMs <= 0) {
        writeNextChunk(socket);
        return;
    }
    if (!connection.pacer->isActive()) {
        connection.pacer->setSingleShot(true);
        connection.pacer->start(m_replyDelayMs);
    }
}

void GatewaySimulator::writeNextChunk(QTcpSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    Connection &connection = *it;
    const qsizetype size = m_chunkSize > 0 ? m_chunkSize : connection.output.size();
    QByteArray chunk = connection.output.left(size);
    connection.output.remove(0, chunk.size());

    if (connection.dropAfter >= 0 && chunk.size() >= connection.dropAfter) {
        socket->write(chunk.left(connection.dropAfter));
        socket->flush();
        socket->abort();
        return;
    }
    if (connection.dropAfter >= 0)
        connection.dropAfter -= chunk.size();
    socket->write(chunk);
    socket->flush();

    if (!connection.output.isEmpty()) {
        connection.pacer->start(m_chunkGapMs);
    } else if (connection.closeAfterOutput) {
        socket->disconnectFromHost();
    }
}

void GatewaySimulator::feedMonitor(QTcpSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end() || socket->state() != QAbstractSocket::ConnectedState)
        return;
    Connection &connection = *it;
    const QList<QByteArray> &lines = monitorSampleLines();
    const auto remaining = [&] {
        return m_monitorLimit < 0 ? std::numeric_limits<qint64>::max()
                                  : m_monitorLimit - connection.monitorLinesSent;
    };

    if (m_monitorRate > 0) {
        const int perTick = m_monitorRate > 100 ? m_monitorRate / 100 : 1;
        for (int i = 0; i < perTick && remaining() > 0; ++i) {
            socket->write(lines[connection.monitorBlockOffset] + '\n');
            connection.monitorBlockOffset = (connection.monitorBlockOffset + 1) % lines.size();
            ++connection.monitorLinesSent;
        }
    } else {
        static const QByteArray block = [] {
            QByteArray repeated;
            for (int i = 0; i < 200; ++i)
                repeated += monitorSampleBlock();
            return repeated;
        }();
        const qint64 blockLines = 200 * lines.size();
        while (socket->bytesToWrite() < monitorHighWater && remaining() > 0) {
            if (remaining() >= blockLines) {
                socket->write(block);
                connection.monitorLinesSent += blockLines;
                continue;
            }
            while (remaining() > 0) {
                socket->write(lines[connection.monitorLinesSent % lines.size()] + '\n');
                ++connection.monitorLinesSent;
            }
        }
    }

    if (remaining() <= 0) {
        connection.pacer->stop();
        disconnect(socket, &QTcpSocket::bytesWritten, this, nullptr);
        emit monitorStreamFinished(connection.monitorLinesSent);
        socket->disconnectFromHost();
    }
}
