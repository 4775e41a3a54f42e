#include "directconnection.h"

#include "directgatewaylink.h"

#include <QTcpSocket>

DirectConnection::DirectConnection(const QString &host, quint16 port, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_port(port)
    , m_socket(new QTcpSocket(this))
    , m_link(new DirectGatewayLink(
          [this](const QString &command) {
              m_socket->write(command.toUtf8() + "\r\n");
              emit commandWritten();
          },
          this))
{
    m_guard.setSingleShot(true);
    connect(&m_guard, &QTimer::timeout, this, [this] {
        m_socket->abort();
        fail(QStringLiteral("no answer from %1 on port %2").arg(m_host).arg(m_port));
    });
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_guard.stop();
        m_opening = false;
        m_link->connectionChanged(true);
        emit opened();
    });
    connect(m_socket, &QTcpSocket::disconnected, this,
            [this] { m_link->connectionChanged(false); });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_opening)
            fail(QStringLiteral("cannot connect to %1 on port %2: %3")
                     .arg(m_host)
                     .arg(m_port)
                     .arg(m_socket->errorString()));
        else
            m_link->connectionChanged(false);
    });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        m_framer.append(m_socket->readAll());
        QString line;
        while (m_framer.nextLine(line))
            m_link->lineReceived(line);
    });
}

DirectConnection::~DirectConnection() = default;

GatewayLink *DirectConnection::link() const
{
    return m_link;
}

void DirectConnection::open(int guardMs)
{
    m_opening = true;
    m_guard.start(guardMs);
    m_socket->connectToHost(m_host, m_port);
}

void DirectConnection::close()
{
    m_guard.stop();
    m_opening = false;
    m_socket->abort();
    m_link->connectionChanged(false);
}

void DirectConnection::fail(const QString &error)
{
    if (!m_opening)
        return;
    m_guard.stop();
    m_opening = false;
    emit failed(error);
}
