#pragma once

#include "fleetrun.h"

#include <QAbstractListModel>

// The fleet page's gateways and what became of each: the gateways the
// settings file knows, plus those of an inventory file, each with a tick box
// and a status that follows the run live.
class FleetSession : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    Q_PROPERTY(int tickedCount READ tickedCount NOTIFY tickedChanged)
    Q_PROPERTY(QString summary READ summary NOTIFY summaryChanged)

public:
    enum Role {
        AddressRole = Qt::UserRole + 1,
        NameRole,
        SiteRole,
        TickedRole,
        StatusRole,
        DetailRole,
        FinishedRole
    };

    explicit FleetSession(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    bool isBusy() const { return m_run.isRunning(); }
    int tickedCount() const;
    QString summary() const;

    // For tests: shorter waits than a field link needs.
    void setTimeouts(int replyMs, int stepMs);

    // The gateways known from direct visits (reached through their broker).
    Q_INVOKABLE void loadKnown();
    // Adds the inventory's gateways after those listed; false, with
    // message(), when the file is refused (nothing is added then).
    Q_INVOKABLE bool openInventory(const QString &pathOrUrl);
    Q_INVOKABLE void setTicked(int row, bool ticked);
    Q_INVOKABLE void tickAll(bool ticked);

    Q_INVOKABLE void backup(const QString &folderPathOrUrl, bool withPasswords);
    Q_INVOKABLE void check(const QString &referencePathOrUrl);
    Q_INVOKABLE void apply(const QString &referencePathOrUrl);
    Q_INVOKABLE void restart();
    Q_INVOKABLE void stop();
    Q_INVOKABLE bool exportReport(const QString &pathOrUrl);

signals:
    void busyChanged();
    void tickedChanged();
    void summaryChanged();
    // An outcome for the page's message line or result dialog.
    void message(bool ok, const QString &text);

private:
    struct Row
    {
        FleetResult result;
        bool ticked = true;
        bool ran = false;
    };

    void addGateways(const QList<FleetInventory::Gateway> &gateways);
    void run(FleetTask task, const QString &what);
    void runAgainst(FleetTask::Action action, const QString &referencePathOrUrl,
                    const QString &what);
    void onResultChanged(int index);
    void onFinished();

    QList<Row> m_rows;
    QList<int> m_runRows; // the row of each gateway of the run under way
    FleetRun m_run;
    QString m_what;
    int m_replyMs = 10000;
    int m_stepMs = 15000;
};
