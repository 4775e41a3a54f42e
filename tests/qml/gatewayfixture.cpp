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
    stop();
    m_next = m_next % 250 + 1;
    const QHostAddress address(QStringLiteral("127.0.%1.%2").arg(m_suite).arg(m_next + 1));
    m_running = m_simulator->start(address);
    return m_running ? address.toString() : QString();
}

void GatewayFixture::stop()
{
    if (m_running)
        emit stopping();
    m_running = false;
    m_simulator = std::make_unique<GatewaySimulator>();
}

void GatewayFixture::removeSettingsFile()
{
    QFile::remove(SettingsStore::settingsFilePath());
}
