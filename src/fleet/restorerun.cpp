#include "restorerun.h"

RestoreRun::RestoreRun(GatewayLink *link, QObject *parent)
    : QObject(parent)
{
    m_sequence.setLink(link);
    // As long as the settings pages wait for an acknowledgement.
    m_sequence.setGuard(15000);
    connect(&m_sequence, &ChangeSequence::stepSent, this, [this](int index) {
        emit stepStarted(index, int(m_texts.size()), m_texts.value(index));
    });
    // The gateway stores a device change itself and says so; a setting stays
    // in its working copy until "SAVE".
    connect(&m_sequence, &ChangeSequence::stepAnswered, this,
            [this](int index, const QString &command, const QString &line) {
                if (command == QLatin1String("SAVE"))
                    return;
                if (line.contains(QLatin1String("saved+synced")))
                    m_stored.append(m_texts.value(index));
                else
                    m_workingCopy.append(m_texts.value(index));
            });
    connect(&m_sequence, &ChangeSequence::finished, this, &RestoreRun::onFinished);
}

void RestoreRun::start(const QList<RestorePlan::Line> &lines)
{
    m_texts.clear();
    m_stored.clear();
    m_workingCopy.clear();
    QVariantList commands;
    for (const RestorePlan::Line &line : lines) {
        commands.append(line.command);
        m_texts.append(RestorePlan::describe(line));
    }
    if (commands.isEmpty()) {
        emit finished(true, QStringLiteral("Nothing to write: nothing was ticked or the gateway "
                                           "already matches the file."));
        return;
    }
    m_texts.append(QStringLiteral("save to flash"));
    if (!m_sequence.start(commands))
        emit finished(false, QStringLiteral("Not connected to a gateway."));
}

void RestoreRun::onFinished()
{
    if (m_sequence.outcome() == ChangeSequence::Saved) {
        emit finished(true, QStringLiteral("Restored %1 change(s) and saved them to flash.")
                                .arg(m_texts.size() - 1));
        return;
    }
    emit finished(false, failureReport());
}

QString RestoreRun::failureReport() const
{
    const auto list = [](const QStringList &texts) {
        return texts.isEmpty()
                   ? QStringLiteral("  (none)\n")
                   : QStringLiteral("  ") + texts.join(QStringLiteral("\n  ")) + QLatin1Char('\n');
    };
    const qsizetype index = m_sequence.acknowledged().size();
    const QString text = m_sequence.gatewayText();
    QString why;
    switch (m_sequence.outcome()) {
    case ChangeSequence::NoAnswer:
        if (text.isEmpty()) {
            why = QStringLiteral("no answer within %1 s").arg(m_sequence.guard() / 1000.0);
            break;
        }
        [[fallthrough]];
    case ChangeSequence::Refused:
    case ChangeSequence::NotSaved:
        why = QStringLiteral("the gateway answered \"%1\"").arg(text);
        break;
    default:
        why = QStringLiteral("the link to the gateway was lost");
        break;
    }
    const bool atSave = index == m_texts.size() - 1;
    QString report = QStringLiteral("Stopped at step %1 of %2 (%3): %4.\n")
                         .arg(index + 1)
                         .arg(m_texts.size())
                         .arg(m_texts.value(index), why);
    if (m_stored.isEmpty())
        report += QStringLiteral("Nothing was saved to flash.\n");
    else
        report += QStringLiteral("Stored by the gateway (it saved each as it took it):\n")
                  + list(m_stored);
    report += QStringLiteral("Acknowledged by the gateway (in its working copy only):\n")
              + list(m_workingCopy);
    if (!atSave)
        report += QStringLiteral("Not acknowledged:\n  %1\n").arg(m_texts.value(index));
    report += QStringLiteral("Not sent:\n") + list(m_texts.mid(index + 1));
    return report;
}
