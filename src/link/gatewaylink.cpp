#include "gatewaylink.h"

#include "gatewayreply.h"
#include "linklogging.h"

GatewayLink::GatewayLink(QObject *parent)
    : QObject(parent)
{
    m_guard.setSingleShot(true);
    // A coarse timer may fire 5 % early: a guard of 15 s, most of a second.
    m_guard.setTimerType(Qt::PreciseTimer);
    connect(&m_guard, &QTimer::timeout, this, [this] {
        if (m_inFlight) {
            qCDebug(lcLink).noquote() << "no answer to" << m_inFlight->command();
            end(m_inFlight, CommandReply::State::NoAnswer, m_inFlight->text());
        }
    });
}

GatewayLink::~GatewayLink()
{
    // The replies go with the link; their going must not move its queue.
    for (CommandReply *reply : findChildren<CommandReply *>(Qt::FindDirectChildrenOnly))
        reply->disconnect(this);
}

CommandReply *GatewayLink::send(const QString &command, int guardMs)
{
    auto *reply = new CommandReply(command, this);
    // A sender may delete its reply before it ended: the queue forgets it,
    // and a command in flight no longer holds up the ones after it.
    connect(reply, &QObject::destroyed, this, [this, reply] {
        const qsizetype queued = m_queue.indexOf(reply);
        if (queued >= 0) {
            m_queue.removeAt(queued);
            m_guards.removeAt(queued);
        }
        if (!m_inFlight) {
            m_guard.stop();
            writeNext();
        }
    });
    if (!m_up) {
        // Ends once the sender has had the reply to connect to.
        reply->m_state = CommandReply::State::LinkLost;
        QMetaObject::invokeMethod(
            this,
            [reply = QPointer<CommandReply>(reply)] {
                if (reply)
                    emit reply->finished();
            },
            Qt::QueuedConnection);
        return reply;
    }
    m_queue.append(reply);
    m_guards.append(guardMs);
    if (!m_inFlight)
        writeNext();
    return reply;
}

void GatewayLink::cancel(CommandReply *reply)
{
    if (!reply || reply->isFinished())
        return;
    const qsizetype queued = m_queue.indexOf(reply);
    if (queued >= 0) {
        m_queue.removeAt(queued);
        m_guards.removeAt(queued);
    }
    end(reply, CommandReply::State::NoAnswer, reply->text());
}

bool GatewayLink::deferWhileBusy(const QString &command, int guardMs)
{
    if (!m_up || (!m_inFlight && m_queue.isEmpty()))
        return false;
    CommandReply *reply = send(command, guardMs);
    connect(reply, &CommandReply::finished, reply, &QObject::deleteLater);
    return true;
}

void GatewayLink::writeNext()
{
    if (m_inFlight || m_queue.isEmpty())
        return;
    m_inFlight = m_queue.takeFirst();
    const int guardMs = m_guards.takeFirst();
    m_inFlight->m_sent = true;
    if (guardMs > 0)
        m_guard.start(guardMs);
    m_wire = m_inFlight->command();
    write(m_wire);
}

void GatewayLink::takeLine(const QString &line)
{
    if (!m_inFlight || m_wire != m_inFlight->command())
        return;
    CommandReply *reply = m_inFlight;
    const GatewayReply meaning = GatewayReply::read(reply->command(), line);
    if (meaning.end == GatewayReply::End::None && line == reply->command())
        return;
    reply->m_lines.append(line);
    reply->m_text = line;
    if (meaning.end == GatewayReply::End::Answered)
        end(reply, CommandReply::State::Answered, line);
    else if (meaning.end == GatewayReply::End::Refused)
        end(reply, CommandReply::State::Refused, line);
}

void GatewayLink::takeMessageEnd()
{
    if (m_inFlight && GatewayReply::isRead(m_inFlight->command()) && !m_inFlight->lines().isEmpty())
        end(m_inFlight, CommandReply::State::Answered, m_inFlight->text());
}

void GatewayLink::setUp(bool up)
{
    if (m_up == up)
        return;
    m_up = up;
    if (!up) {
        // What was in flight may or may not have reached the gateway; what
        // was queued never left.
        const QList<CommandReply *> queued = m_queue;
        m_queue.clear();
        m_guards.clear();
        if (m_inFlight)
            end(m_inFlight, CommandReply::State::LinkLost, m_inFlight->text());
        for (CommandReply *reply : queued)
            end(reply, CommandReply::State::LinkLost, QString());
    }
    emit upChanged(up);
}

// Whoever waits reacts at once, inside the handling of the line that ended
// the reply: a command it sends next goes out before the backend's end of
// read refreshes the pages, as an acknowledgement signal's handler's would.
void GatewayLink::end(CommandReply *reply, CommandReply::State state, const QString &text)
{
    reply->m_state = state;
    reply->m_text = text;
    if (reply == m_inFlight) {
        m_guard.stop();
        m_inFlight = nullptr;
    }
    emit reply->finished();
    writeNext();
}
