#pragma once

#include "gatewaysimulator.h"

#include <QObject>
#include <QStringList>

#include <memory>

// The in-process gateway simulator as the QML suites see it (`gateway`):
// start it on a loopback address of its own, read what reached it, and make
// it misbehave. Between start() and stop() it is a fresh simulator; outside
// them an idle one that nothing reaches.
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
    GatewaySimulator *simulator() const { return m_running ? m_simulator.get() : nullptr; }

    // Command lines received on 8881, and the raw bytes (CR LF included).
    Q_INVOKABLE QStringList commands() const { return m_simulator->commands(); }
    Q_INVOKABLE QString receivedBytes() const { return received(Service::Command); }
    Q_INVOKABLE QString atBytes() const { return received(Service::AtConsole); }
    Q_INVOKABLE void clearReceived() { m_simulator->clearReceived(); }
    // 0: command port, 1: monitor, 2: AT console.
    Q_INVOKABLE int connectionCount(int index) const
    {
        return m_simulator->connectionCount(service(index));
    }
    Q_INVOKABLE void dropConnections(int index) { m_simulator->dropConnections(service(index)); }
    Q_INVOKABLE void sendRaw(int index, const QString &text)
    {
        m_simulator->sendRaw(service(index), text.toUtf8());
    }

    Q_INVOKABLE QString setting(const QString &key) const { return model().setting(key); }
    Q_INVOKABLE void setSetting(const QString &key, const QString &value)
    {
        model().setSetting(key, value);
    }
    Q_INVOKABLE int deviceCount() const { return int(model().devices().size()); }
    Q_INVOKABLE int saveCount() const { return model().saveCount(); }

    Q_INVOKABLE void setRefuseSave(bool refuse) { model().setRefuseSave(refuse); }
    Q_INVOKABLE void setReplyDelay(int ms) { m_simulator->setReplyDelay(ms); }
    // Answers the command with exactly this text (use "\n" line ends).
    Q_INVOKABLE void setScriptedReply(const QString &command, const QString &reply)
    {
        m_simulator->setScriptedReply(command, reply.toUtf8());
    }
    Q_INVOKABLE void setMonitorRate(int linesPerSecond)
    {
        m_simulator->setMonitorRate(linesPerSecond);
    }

    // Removes the settings file, which lives in the suite's temporary folder.
    Q_INVOKABLE void removeSettingsFile();

signals:
    // Emitted before the simulator and its gateway model go away.
    void stopping();

private:
    using Service = GatewaySimulator::Service;
    static Service service(int index)
    {
        return index == 1 ? Service::Monitor : index == 2 ? Service::AtConsole : Service::Command;
    }
    GatewayModel &model() const { return m_simulator->model(); }
    QString received(Service service) const
    {
        return QString::fromUtf8(m_simulator->received(service));
    }

    int m_suite;
    int m_next = 0;
    bool m_running = false;
    std::unique_ptr<GatewaySimulator> m_simulator = std::make_unique<GatewaySimulator>();
};
