#pragma once

#include "lineframer.h"

#include <QObject>
#include <QString>
#include <QTimer>

class DirectGatewayLink;
class GatewayLink;
class QTcpSocket;

// A command-port connection of its own to one gateway on the LAN, for runs
// that talk to many gateways at once, where the window's one connection
// cannot serve.
class DirectConnection : public QObject
{
    Q_OBJECT

public:
    DirectConnection(const QString &host, quint16 port, QObject *parent = nullptr);
    ~DirectConnection() override;

    // opened() or failed() follows, once.
    void open(int guardMs);
    void close();
    GatewayLink *link() const;

signals:
    void opened();
    void failed(const QString &error);
    void commandWritten();

private:
    void fail(const QString &error);

    QString m_host;
    quint16 m_port;
    QTcpSocket *m_socket;
    LineFramer m_framer;
    DirectGatewayLink *m_link;
    QTimer m_guard;
    bool m_opening = false;
};
