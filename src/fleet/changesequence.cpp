#include "changesequence.h"

#include "gatewaylink.h"
#include "gatewayreply.h"
#include "tcpbridge.h"

#include <QJSValue>

ChangeSequence::ChangeSequence(QObject *parent)
    : QObject(parent)
{
    m_pace.setSingleShot(true);
    m_pace.setTimerType(Qt::PreciseTimer);
    connect(&m_pace, &QTimer::timeout, this, &ChangeSequence::onPaceTimer);
}

// A page that goes away abandons what it has not sent; the command in
// flight is given up so that it does not hold up the link.
ChangeSequence::~ChangeSequence()
{
    if (m_reply)
        m_reply->disconnect(this);
    if (m_reply && m_link)
        m_link->cancel(m_reply);
    if (m_reply)
        m_reply->deleteLater();
}

QObject *ChangeSequence::bridgeObject() const
{
    return m_bridge;
}

void ChangeSequence::setBridgeObject(QObject *bridge)
{
    auto *typed = qobject_cast<TcpBridge *>(bridge);
    if (m_bridge == typed)
        return;
    m_bridge = typed;
    emit linkChanged();
}

void ChangeSequence::setDeviceId(const QString &deviceId)
{
    if (m_deviceId == deviceId)
        return;
    m_deviceId = deviceId;
    emit linkChanged();
}

void ChangeSequence::setLink(GatewayLink *link)
{
    m_link = link;
}

void ChangeSequence::setGap(int ms)
{
    if (m_gap == ms)
        return;
    m_gap = ms;
    emit pacingChanged();
}

void ChangeSequence::setGuard(int ms)
{
    if (m_guard == ms)
        return;
    m_guard = ms;
    emit pacingChanged();
}

void ChangeSequence::setChainGuard(bool chain)
{
    if (m_chainGuard == chain)
        return;
    m_chainGuard = chain;
    emit pacingChanged();
}

QString ChangeSequence::failedKey() const
{
    return m_failedCommand.startsWith(QLatin1String("SET "))
               ? GatewayReply::setCommandKey(m_failedCommand)
               : QString();
}

GatewayLink *ChangeSequence::link() const
{
    if (m_link)
        return m_link;
    if (!m_bridge)
        return nullptr;
    return m_deviceId.isEmpty() ? m_bridge->directLink() : m_bridge->cloudLink(m_deviceId);
}

QString ChangeSequence::commandAt(int index) const
{
    const QVariant step = m_steps.value(index);
    if (step.canConvert<QJSValue>()) {
        QJSValue value = step.value<QJSValue>();
        if (value.isCallable())
            return value.call().toString();
        return value.toString();
    }
    return step.toString();
}

bool ChangeSequence::start(const QVariantList &commands)
{
    if (m_running || !link())
        return false;
    m_link = link();
    m_steps = commands;
    m_steps.append(QStringLiteral("SAVE"));
    m_outcome = None;
    m_failedCommand.clear();
    m_gatewayText.clear();
    m_acknowledged.clear();
    m_notSent.clear();
    m_running = true;
    emit runningChanged();
    m_chain.start();
    sendStep(0);
    return true;
}

void ChangeSequence::sendStep(int index)
{
    m_index = index;
    m_current = commandAt(index);
    int guardMs = m_guard;
    if (!isSave(index) && m_gap > 0)
        guardMs = 0; // bounded by the next command's time instead
    else if (!isSave(index) && m_chainGuard && m_guard > 0)
        guardMs = qMax<qint64>(1, m_guard - m_chain.elapsed());
    if (m_reply)
        m_reply->deleteLater();
    m_reply = m_link->send(m_current, guardMs);
    connect(m_reply, &CommandReply::finished, this, &ChangeSequence::onReplyEnded);
    emit stepSent(index, m_current);
    if (!isSave(index) && m_gap > 0)
        m_pace.start(m_gap);
}

void ChangeSequence::onReplyEnded()
{
    if (!m_running || sender() != m_reply)
        return;
    switch (m_reply->state()) {
    case CommandReply::State::Answered:
        m_acknowledged.append(m_current);
        emit stepAnswered(m_index, m_current, m_reply->text());
        if (isSave(m_index))
            finish(Saved);
        else if (m_gap <= 0)
            sendStep(m_index + 1);
        break;
    case CommandReply::State::Refused:
        finish(isSave(m_index) ? NotSaved : Refused);
        break;
    case CommandReply::State::NoAnswer:
        finish(NoAnswer);
        break;
    case CommandReply::State::LinkLost:
        finish(m_index == 0 && !m_reply->wasSent() ? NotSent : LinkLost);
        break;
    case CommandReply::State::Pending:
        break;
    }
}

// The next command is due: the one before must have been answered by now.
void ChangeSequence::onPaceTimer()
{
    if (!m_running)
        return;
    if (m_reply && !m_reply->isFinished()) {
        m_link->cancel(m_reply);
        return;
    }
    sendStep(m_index + 1);
}

void ChangeSequence::finish(Outcome outcome)
{
    m_pace.stop();
    m_outcome = outcome;
    if (outcome != Saved) {
        m_failedCommand = m_current;
        m_gatewayText = m_reply ? m_reply->text() : QString();
        for (int i = m_index + 1; i < m_steps.size(); ++i)
            m_notSent.append(commandAt(i));
    }
    if (m_reply)
        m_reply->deleteLater();
    m_reply = nullptr;
    m_running = false;
    emit runningChanged();
    emit finished();
}
