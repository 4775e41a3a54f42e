#include "gatewayfixture.h"

#include "settingsstore.h"

#include <QFile>

GatewayFixture::GatewayFixture(int suite, QObject *parent)
    : QObject(parent)
    , m_suite(suite)
{}

GatewayFixture::~GatewayFixture() = default;

QString GatewayFixture::start()
{
    m_simulator.reset();
    m_next = m_next % 250 + 1;
    const QHostAddress address(QStringLiteral("127.0.%1.%2").arg(m_suite).arg(m_next + 1));
    auto simulator = std::make_unique<GatewaySimulator>();
    if (!simulator->start(address))
        return {};
    m_simulator = std::move(simulator);
    return address.toString();
}

void GatewayFixture::stop()
{
    if (m_simulator)
        emit stopping();
    m_simulator.reset();
}

GatewaySimulator::Service GatewayFixture::service(int index) const
{
    switch (index) {
    case 1:
        return GatewaySimulator::Service::Monitor;
    case 2:
        return GatewaySimulator::Service::AtConsole;
    default:
        return GatewaySimulator::Service::Command;
    }
}

QStringList GatewayFixture::commands() const
{
    return m_simulator ? m_simulator->commands() : QStringList();
}

QString GatewayFixture::receivedBytes() const
{
    return m_simulator
               ? QString::fromUtf8(m_simulator->received(GatewaySimulator::Service::Command))
               : QString();
}

QString GatewayFixture::atBytes() const
{
    return m_simulator
               ? QString::fromUtf8(m_simulator->received(GatewaySimulator::Service::AtConsole))
               : QString();
}

void GatewayFixture::clearReceived()
{
    if (m_simulator)
        m_simulator->clearReceived();
}

int GatewayFixture::connectionCount(int index) const
{
    return m_simulator ? m_simulator->connectionCount(service(index)) : 0;
}

void GatewayFixture::dropConnections(int index)
{
    if (m_simulator)
        m_simulator->dropConnections(service(index));
}

void GatewayFixture::sendRaw(int index, const QString &text)
{
    if (m_simulator)
        m_simulator->sendRaw(service(index), text.toUtf8());
}

QString GatewayFixture::setting(const QString &key) const
{
    return m_simulator ? m_simulator->model().setting(key) : QString();
}

void GatewayFixture::setSetting(const QString &key, const QString &value)
{
    if (m_simulator)
        m_simulator->model().setSetting(key, value);
}

int GatewayFixture::deviceCount() const
{
    return m_simulator ? int(m_simulator->model().devices().size()) : 0;
}

QString GatewayFixture::deviceName(int index) const
{
    if (!m_simulator || index < 0 || index >= m_simulator->model().devices().size())
        return {};
    return m_simulator->model().devices().at(index).name;
}

int GatewayFixture::saveCount() const
{
    return m_simulator ? m_simulator->model().saveCount() : 0;
}

void GatewayFixture::setRefuseSave(bool refuse)
{
    if (m_simulator)
        m_simulator->model().setRefuseSave(refuse);
}

void GatewayFixture::setReplyDelay(int ms)
{
    if (m_simulator)
        m_simulator->setReplyDelay(ms);
}

void GatewayFixture::setScriptedReply(const QString &command, const QString &reply)
{
    if (m_simulator)
        m_simulator->setScriptedReply(command, reply.toUtf8());
}

void GatewayFixture::setMonitorRate(int linesPerSecond)
{
    if (m_simulator)
        m_simulator->setMonitorRate(linesPerSecond);
}

void GatewayFixture::removeSettingsFile()
{
    QFile::remove(SettingsStore::settingsFilePath());
}

QString GatewayFixture::settingsFileText() const
{
    QFile file(SettingsStore::settingsFilePath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
