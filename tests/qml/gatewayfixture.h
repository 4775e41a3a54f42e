#pragma once

#include "gatewaysimulator.h"

#include <QObject>
#include <QStringList>

#include <memory>

// The in-process gateway simulator as the QML suites see it (`gateway`):
// start it on a loopback address of its own, read what reached it, and make
// it misbehave.
class GatewayFixture : public QObject
{
    Q_OBJECT

public:
    explicit GatewayFixture(int suite, QObject *parent = nullptr);
    ~GatewayFixture() override;

    // Starts a fresh simulator on the next loopback address and returns that
    // address, or an empty string.
    Q_INVOKABLE QString start();
    Q_INVOKABLE void stop();
    GatewaySimulator *simulator() const { return m_simulator.get(); }

    // Command lines received on 8881, and the raw bytes (CR LF included).
    Q_INVOKABLE QStringList commands() const;
    Q_INVOKABLE QString receivedBytes() const;
    Q_INVOKABLE QString atBytes() const;
    Q_INVOKABLE void clearReceived();
    // 0: command port, 1: monitor, 2: AT console.
    Q_INVOKABLE int connectionCount(int service) const;
    Q_INVOKABLE void dropConnections(int service);
    Q_INVOKABLE void sendRaw(int service, const QString &text);

    Q_INVOKABLE QString setting(const QString &key) const;
    Q_INVOKABLE void setSetting(const QString &key, const QString &value);
    Q_INVOKABLE int deviceCount() const;
    Q_INVOKABLE QString deviceName(int index) const;
    Q_INVOKABLE int saveCount() const;

    Q_INVOKABLE void setRefuseSave(bool refuse);
    Q_INVOKABLE void setReplyDelay(int ms);
    // Answers the command with exactly this text (use "\n" line ends).
    Q_INVOKABLE void setScriptedReply(const QString &command, const QString &reply);
    Q_INVOKABLE void setMonitorRate(int linesPerSecond);

    // Removes the settings file, which lives in the suite's temporary folder.
    Q_INVOKABLE void removeSettingsFile();
    Q_INVOKABLE QString settingsFileText() const;

signals:
    // Emitted before the simulator and its gateway model go away.
    void stopping();

private:
    GatewaySimulator::Service service(int index) const;

    int m_suite;
    int m_next = 0;
    std::unique_ptr<GatewaySimulator> m_simulator;
};
