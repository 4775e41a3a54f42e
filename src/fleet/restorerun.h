#pragma once

#include "changesequence.h"
#include "restoreplan.h"

#include <QObject>
#include <QStringList>

class GatewayLink;

// Writes the ticked lines of a plan as one change sequence: each command
// once the gateway acknowledged the one before, then "SAVE". The first
// refusal, silence or lost link stops the run; the report then says what the
// gateway stored, what it holds in its working copy only, and what was never
// sent. Only "OK: saved to flash" makes it a success.
class RestoreRun : public QObject
{
    Q_OBJECT

public:
    explicit RestoreRun(GatewayLink *link, QObject *parent = nullptr);

    void setStepTimeout(int ms) { m_sequence.setGuard(ms); }

    void start(const QList<RestorePlan::Line> &lines);
    ChangeSequence::Outcome outcome() const { return m_sequence.outcome(); }

signals:
    void stepStarted(int index, int total, const QString &text);
    void finished(bool ok, const QString &report);

private:
    void onFinished();
    QString failureReport() const;

    ChangeSequence m_sequence;
    QStringList m_texts; // one per step, "save to flash" last
    QStringList m_stored;
    QStringList m_workingCopy;
};
