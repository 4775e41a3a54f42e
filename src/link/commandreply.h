#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The gateway's answer to one command sent through a GatewayLink. It ends
// exactly once, with finished(): answered (its lines), refused (the line
// that refused it), no answer within its guard, or the link lost. The link
// owns it; whoever sent the command deletes it (deleteLater) once it ended.
class CommandReply : public QObject
{
    Q_OBJECT

public:
    enum class State { Pending, Answered, Refused, NoAnswer, LinkLost };
    Q_ENUM(State)

    QString command() const { return m_command; }
    State state() const { return m_state; }
    bool isFinished() const { return m_state != State::Pending; }
    // False when the link was down and the command never left.
    bool wasSent() const { return m_sent; }
    // Every line that came while the command was in flight, in order.
    QStringList lines() const { return m_lines; }
    // The line that ended the reply (the refusal, the acknowledgement), or
    // the last line that came when none did.
    QString text() const { return m_text; }

signals:
    void finished();

private:
    friend class GatewayLink;
    explicit CommandReply(const QString &command, QObject *parent);

    QString m_command;
    State m_state = State::Pending;
    bool m_sent = false;
    QStringList m_lines;
    QString m_text;
};
