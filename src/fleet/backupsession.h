#pragma once

#include "backuprun.h"
#include "gatewaylink.h"
#include "restoreplan.h"
#include "restorerun.h"
#include "tcpbridge.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariantList>

// Backup, restore and clone of one gateway, for the backup page and the
// command line alike: write a backup of the connected gateway; open a backup,
// read the gateway and show the difference; apply the ticked lines.
//
// Every outcome ends in finished(status, message), where status is what the
// command line exits with: 0 done, 1 the gateway refused or did not answer,
// 2 the file is bad.
class BackupSession : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *bridge READ bridgeObject WRITE setBridgeObject NOTIFY bridgeChanged)
    // The gateway's address, connected to on the command port when the link
    // is not up already.
    Q_PROPERTY(QString host READ host WRITE setHost NOTIFY hostChanged)
    // Cloud mode when set: the device list of this gateway, via the broker.
    Q_PROPERTY(
        QString cloudDeviceId READ cloudDeviceId WRITE setCloudDeviceId NOTIFY cloudDeviceIdChanged)
    // Writes the file's topics and static IP as they are (a replacement for
    // the gateway the file came from).
    Q_PROPERTY(bool keepFileIdentity READ keepFileIdentity WRITE setKeepFileIdentity NOTIFY
                   keepFileIdentityChanged)
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    Q_PROPERTY(QString stepText READ stepText NOTIFY progressChanged)
    Q_PROPERTY(int stepIndex READ stepIndex NOTIFY progressChanged)
    Q_PROPERTY(int stepCount READ stepCount NOTIFY progressChanged)
    Q_PROPERTY(QVariantList planLines READ planLines NOTIFY planChanged)
    Q_PROPERTY(QString fileSummary READ fileSummary NOTIFY planChanged)
    Q_PROPERTY(bool hasPlan READ hasPlan NOTIFY planChanged)

public:
    enum Status { Done = 0, GatewayFailed = 1, BadInput = 2 };
    Q_ENUM(Status)

    explicit BackupSession(QObject *parent = nullptr);

    TcpBridge *bridge() const { return m_bridge; }
    void setBridge(TcpBridge *bridge);
    // A link of the caller's own in place of the bridge's (the command line
    // reaches a gateway through a broker connection of its own).
    void setLink(GatewayLink *link) { m_link = link; }
    QObject *bridgeObject() const;
    QString host() const { return m_host; }
    void setHost(const QString &host);
    QString cloudDeviceId() const { return m_cloudDeviceId; }
    void setCloudDeviceId(const QString &deviceId);
    bool keepFileIdentity() const { return m_keepFileIdentity; }
    void setKeepFileIdentity(bool keep);
    void setBridgeObject(QObject *bridge);
    bool isBusy() const { return m_busy; }
    QString stepText() const { return m_stepText; }
    int stepIndex() const { return m_stepIndex; }
    int stepCount() const { return m_stepCount; }
    QVariantList planLines() const { return m_plan.toVariantList(); }
    QString fileSummary() const;
    bool hasPlan() const { return m_hasPlan; }
    const RestorePlan &plan() const { return m_plan; }

    // For tests: shorter waits than a field link needs.
    void setTimeouts(int replyMs, int stepMs);

    // Accept a path or a file URL (what the file dialog gives).
    Q_INVOKABLE void saveBackup(const QString &pathOrUrl, bool withPasswords);
    Q_INVOKABLE void openBackup(const QString &pathOrUrl);
    Q_INVOKABLE void setTicked(int index, bool ticked);
    Q_INVOKABLE void apply();
    // Drops the plan without writing anything; finishes with status 0.
    Q_INVOKABLE void dismissPlan(const QString &message);

signals:
    void bridgeChanged();
    void hostChanged();
    void cloudDeviceIdChanged();
    void keepFileIdentityChanged();
    void busyChanged();
    void progressChanged();
    void planChanged();
    void planReady();
    void finished(int status, const QString &message);

private:
    enum class Action { None, Backup, Plan };

    GatewayLink *link() const;
    void withLink(const std::function<void()> &then);
    void readGateway();
    void onGatewayRead(const GatewayBackup &current);
    void setBusy(bool busy);
    void setStep(int index, int count, const QString &text);
    void end(Status status, const QString &message);

    QPointer<TcpBridge> m_bridge;
    QPointer<GatewayLink> m_link;
    QString m_host;
    QString m_cloudDeviceId;
    bool m_keepFileIdentity = false;
    bool m_busy = false;
    QString m_stepText;
    int m_stepIndex = 0;
    int m_stepCount = 0;

    Action m_action = Action::None;
    QString m_backupPath;
    bool m_withPasswords = false;
    GatewayBackup m_file;
    RestorePlan m_plan;
    bool m_hasPlan = false;

    int m_replyMs = 10000;
    int m_stepMs = 15000;
    QTimer m_connectGuard;
    QMetaObject::Connection m_linkWait;
    QMetaObject::Connection m_linkError;
};
