#pragma once

#include "commandreply.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVariantList>

class GatewayLink;
class TcpBridge;

// A change to one gateway: a list of commands ("SET key value" lines or
// device commands), then "SAVE". Paced by a fixed gap between commands, or
// (gap 0) each sent once the gateway acknowledged the one before. The first
// refusal, silence past the guard or lost link stops it: nothing more is
// sent, and the sequence tells what the gateway acknowledged, whether it
// saved, and what was never sent.
//
// Pages set `bridge` (and `deviceId` for a gateway reached through the
// broker); C++ callers may hand it a link of their own. A command may be a
// function, called when the command goes out, for a value that is read at
// that moment.
class ChangeSequence : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *bridge READ bridgeObject WRITE setBridgeObject NOTIFY linkChanged)
    Q_PROPERTY(QString deviceId READ deviceId WRITE setDeviceId NOTIFY linkChanged)
    // Milliseconds from one command to the next; 0: after its acknowledgement.
    Q_PROPERTY(int gap READ gap WRITE setGap NOTIFY pacingChanged)
    // Milliseconds a command may wait for its answer (0: no limit). With a
    // gap, the commands before "SAVE" have until the next one is due.
    Q_PROPERTY(int guard READ guard WRITE setGuard NOTIFY pacingChanged)
    // The guard covers the commands before "SAVE" together, not each one.
    Q_PROPERTY(bool chainGuard READ chainGuard WRITE setChainGuard NOTIFY pacingChanged)
    Q_PROPERTY(bool running READ isRunning NOTIFY runningChanged)
    Q_PROPERTY(Outcome outcome READ outcome NOTIFY finished)
    // The command that ended it without success, its key for a "SET", and
    // the gateway's line: the refusal, or the last thing it said.
    Q_PROPERTY(QString failedCommand READ failedCommand NOTIFY finished)
    Q_PROPERTY(QString failedKey READ failedKey NOTIFY finished)
    Q_PROPERTY(QString gatewayText READ gatewayText NOTIFY finished)
    Q_PROPERTY(QStringList acknowledged READ acknowledged NOTIFY finished)
    Q_PROPERTY(QStringList notSent READ notSent NOTIFY finished)

public:
    // Saved: "SAVE" confirmed. Refused: a command before it was refused.
    // NotSaved: "SAVE" refused. NotSent: the link was down, nothing left.
    enum Outcome { None, Saved, Refused, NotSaved, NoAnswer, LinkLost, NotSent };
    Q_ENUM(Outcome)

    explicit ChangeSequence(QObject *parent = nullptr);
    ~ChangeSequence() override;

    QObject *bridgeObject() const;
    void setBridgeObject(QObject *bridge);
    QString deviceId() const { return m_deviceId; }
    void setDeviceId(const QString &deviceId);
    void setLink(GatewayLink *link);
    int gap() const { return m_gap; }
    void setGap(int ms);
    int guard() const { return m_guard; }
    void setGuard(int ms);
    bool chainGuard() const { return m_chainGuard; }
    void setChainGuard(bool chain);

    bool isRunning() const { return m_running; }
    Outcome outcome() const { return m_outcome; }
    QString failedCommand() const { return m_failedCommand; }
    QString failedKey() const;
    QString gatewayText() const { return m_gatewayText; }
    QStringList acknowledged() const { return m_acknowledged; }
    QStringList notSent() const { return m_notSent; }

    // False, sending nothing, while another run is under way or there is no
    // link to the gateway.
    Q_INVOKABLE bool start(const QVariantList &commands);

signals:
    void linkChanged();
    void pacingChanged();
    void runningChanged();
    void stepSent(int index, const QString &command);
    // The gateway's acknowledgement of a step, as it worded it.
    void stepAnswered(int index, const QString &command, const QString &line);
    void finished();

private:
    GatewayLink *link() const;
    QString commandAt(int index) const;
    bool isSave(int index) const { return index == m_steps.size() - 1; }
    void sendStep(int index);
    void onReplyEnded();
    void onPaceTimer();
    void finish(Outcome outcome);

    QPointer<TcpBridge> m_bridge;
    QString m_deviceId;
    QPointer<GatewayLink> m_link;
    int m_gap = 0;
    int m_guard = 0;
    bool m_chainGuard = false;

    QVariantList m_steps;
    int m_index = -1;
    QString m_current;
    QPointer<CommandReply> m_reply;
    QTimer m_pace;
    QElapsedTimer m_chain;
    bool m_running = false;
    Outcome m_outcome = None;
    QString m_failedCommand;
    QString m_gatewayText;
    QStringList m_acknowledged;
    QStringList m_notSent;
};
