#pragma once

#include "commandreply.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

// A conversation with one gateway, whatever carries it. One command is in
// flight at a time: send() queues the others and writes each once the one
// before it has ended, so every reply line belongs to one command. What a
// line means is read by GatewayReply; a transport only writes commands and
// hands over the lines it receives and whether it is up.
class GatewayLink : public QObject
{
    Q_OBJECT

public:
    explicit GatewayLink(QObject *parent = nullptr);
    ~GatewayLink() override;

    // The reply ends as NoAnswer when no line ended it within `guardMs` of
    // the command going out (0: no limit). While the link is down the
    // command is not sent and the reply ends as LinkLost at once.
    CommandReply *send(const QString &command, int guardMs);
    // Gives up a reply that has not ended (NoAnswer); the queue moves on.
    void cancel(CommandReply *reply);
    // A command nobody here waits on (a page's own read) for the same wire.
    // While a reply is awaited it waits its turn, so that its answer is never
    // taken for that reply, and returns true; on an idle link it returns
    // false and the caller writes it at once.
    bool deferWhileBusy(const QString &command, int guardMs);
    bool isUp() const { return m_up; }

signals:
    void upChanged(bool up);

protected:
    // The transport's part: put one command on the wire.
    virtual void write(const QString &command) = 0;
    void takeLine(const QString &line);
    // Someone else put a command on the same wire while the link was idle:
    // the lines that follow answer that one.
    void takeWritten(const QString &command) { m_wire = command; }
    // A transport whose message is a whole reply says where one ended: a
    // read that got lines is answered then.
    void takeMessageEnd();
    void setUp(bool up);

private:
    void writeNext();
    void end(CommandReply *reply, CommandReply::State state, const QString &text);

    bool m_up = false;
    QList<CommandReply *> m_queue;
    QList<int> m_guards;
    QPointer<CommandReply> m_inFlight;
    QString m_wire;
    QTimer m_guard;
};
