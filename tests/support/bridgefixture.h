#pragma once

#include "gatewaysimulator.h"
#include "settingsstore.h"
#include "tcpbridge.h"

#include <QDir>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

// Every test case gets a loopback address of its own, so fixed gateway ports
// never clash between cases or between suites run in parallel: each suite
// owns one third octet.
class LoopbackAddresses
{
public:
    explicit LoopbackAddresses(int suite)
        : m_suite(suite)
    {}
    QHostAddress next()
    {
        m_index = m_index % 250 + 1;
        return QHostAddress(QStringLiteral("127.0.%1.%2").arg(m_suite).arg(m_index + 1));
    }

private:
    int m_suite;
    int m_index = 0;
};

// A backend and a fresh gateway simulator on a loopback address of its own
// for every test, with the settings file in a temporary folder, never the
// user's.
class BridgeFixture
{
public:
    explicit BridgeFixture(int suite)
        : addresses(suite)
    {
        qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
    }

    // A simulator of the gateway `id` on the next address; null if it cannot
    // listen there.
    std::unique_ptr<GatewaySimulator> startGateway(const QString &id)
    {
        auto gateway = std::make_unique<GatewaySimulator>();
        gateway->model().setDeviceId(id);
        return gateway->start(addresses.next()) ? std::move(gateway) : nullptr;
    }

    // For init(): an empty settings folder, a started simulator, a new backend.
    bool start()
    {
        QDir(settingsFolder()).removeRecursively();
        bridge = std::make_unique<TcpBridge>();
        bridge->clearLog();
        sim = startGateway(QStringLiteral("KV-%1").arg(++m_cases));
        ip = sim ? sim->address().toString() : QString();
        return sim != nullptr;
    }

    // For cleanup(); the next start() empties the settings folder.
    void stop()
    {
        bridge.reset();
        sim.reset();
    }

    QString settingsFolder() const { return m_configHome.path() + "/Kestrelvane_configTool"; }

    bool connectBridge(quint16 port = TcpBridge::commandPort)
    {
        QSignalSpy connected(bridge.get(), &TcpBridge::connectedChanged);
        bridge->connectToDevice(ip, port);
        return connected.wait(5000) && bridge->isConnected();
    }

    // Connects, sends "GETALL" and waits until the whole reply is read.
    bool readGatewaySettings()
    {
        QSignalSpy configReceived(bridge.get(), &TcpBridge::mqttConfigReceived);
        if (!connectBridge())
            return false;
        bridge->sendCommand("GETALL");
        return configReceived.wait(5000);
    }

    std::unique_ptr<GatewaySimulator> sim;
    std::unique_ptr<TcpBridge> bridge;
    QString ip;
    LoopbackAddresses addresses;

private:
    QTemporaryDir m_configHome;
    int m_cases = 0;
};
