#pragma once

#include "gatewaymodel.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QTcpServer;
class QTcpSocket;
class QTimer;

struct GatewayPorts
{
    quint16 command = 8881;
    quint16 monitor = 8880;
    quint16 atConsole = 23;
};

// A stand-in for the gateway's three TCP services: the command port, the
// RS-485 monitor and the modem's AT console. It records every byte it
// receives and can be told to misbehave the way poor field links do.
class GatewaySimulator : public QObject
{
    Q_OBJECT

public:
    enum class Service { Command, Monitor, AtConsole };
    Q_ENUM(Service)

    using Ports = GatewayPorts;

    explicit GatewaySimulator(QObject *parent = nullptr);
    ~GatewaySimulator() override;

    // Listens on the address; false when the command or monitor port cannot
    // be bound. The AT console is optional (port 23 needs privileges).
    bool start(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost),
               const Ports &ports = Ports());
    void stop();
    QString errorString() const { return m_errorString; }
    bool atConsoleAvailable() const;
    QHostAddress address() const { return m_address; }

    GatewayModel &model() { return m_model; }

    // Everything received on a service since start or the last clear, byte
    // for byte, and the command lines received on the command port.
    QByteArray received(Service service) const { return m_received.value(service); }
    QStringList commands() const { return m_commands; }
    void clearReceived();

    // Fault injection. Replies are written in chunks of the given size, each
    // flushed on its own after the given gap, so the peer sees split reads.
    void setReplyChunking(int chunkSize, int gapMs);
    void setReplyDelay(int delayMs) { m_replyDelayMs = delayMs; }
    // Drops the link after this many bytes of the next reply (-1: never).
    void setDropAfterBytes(qint64 bytes) { m_dropAfterBytes = bytes; }
    // Answers a command with exactly these bytes instead of the model's reply.
    void setScriptedReply(const QString &command, const QByteArray &reply);
    void sendRaw(Service service, const QByteArray &bytes);
    void dropConnections(Service service);
    int connectionCount(Service service) const;

    // Monitor stream: header and register lines at a steady rate, or as fast
    // as the link takes them (0); a negative rate sends nothing of its own.
    // With a count, the link closes after that many.
    void setMonitorRate(int linesPerSecond) { m_monitorRate = linesPerSecond; }
    void setMonitorLineLimit(qint64 lines) { m_monitorLimit = lines; }
    static QByteArray monitorSampleBlock();

signals:
    void commandReceived(const QString &command);
    void clientConnected(GatewaySimulator::Service service);
    void clientDisconnected(GatewaySimulator::Service service);
    void monitorStreamFinished(qint64 lines);

private:
    struct Connection
    {
        Service service;
        QByteArray input;
        QByteArray output;
        qint64 dropAfter = -1;
        bool closeAfterOutput = false;
        bool awaitingAtBody = false;
        QTimer *pacer = nullptr;
        qint64 monitorLinesSent = 0;
        int monitorBlockOffset = 0;
    };

    void accept(QTcpServer *server, Service service);
    void onReadyRead(QTcpSocket *socket);
    void handleCommandLine(QTcpSocket *socket, const QString &line);
    void handleAtInput(QTcpSocket *socket);
    void queueReply(QTcpSocket *socket, const QByteArray &bytes, bool closeAfter = false);
    void writeNextChunk(QTcpSocket *socket);
    void feedMonitor(QTcpSocket *socket);

    GatewayModel m_model;
    QHostAddress m_address;
    QTcpServer *m_commandServer;
    QTcpServer *m_monitorServer;
    QTcpServer *m_atServer;
    QHash<QTcpSocket *, Connection> m_connections;
    QHash<Service, QByteArray> m_received;
    QStringList m_commands;
    QHash<QString, QByteArray> m_scripted;
    QString m_errorString;
    int m_chunkSize = 0;
    int m_chunkGapMs = 0;
    int m_replyDelayMs = 0;
    qint64 m_dropAfterBytes = -1;
    int m_monitorRate = 20;
    qint64 m_monitorLimit = -1;
};
