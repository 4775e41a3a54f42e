#pragma once

#include "logsnapshot.h"
#include "logstore.h"

#include <QPointer>
#include <QSortFilterProxyModel>

// What a log view shows of a log: its lines live, or, while paused, the
// lines it had when paused (counting those that came meanwhile), in both
// cases only those holding the filter text (any case).
class LogViewModel : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_PROPERTY(LogStore *store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(bool paused READ isPaused WRITE setPaused NOTIFY pausedChanged)
    Q_PROPERTY(QString filterText READ filterText WRITE setFilterText NOTIFY filterTextChanged)
    Q_PROPERTY(int linesWhilePaused READ linesWhilePaused NOTIFY linesWhilePausedChanged)

public:
    explicit LogViewModel(QObject *parent = nullptr);

    LogStore *store() const { return m_store; }
    void setStore(LogStore *store);
    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);
    QString filterText() const { return m_filterText; }
    void setFilterText(const QString &text);
    int linesWhilePaused() const { return m_linesWhilePaused; }
    // Shows at once what the store holds, for a view that has just opened.
    Q_INVOKABLE void flush()
    {
        if (m_store)
            m_store->flush();
    }

signals:
    void storeChanged();
    void pausedChanged();
    void filterTextChanged();
    void linesWhilePausedChanged();

private:
    void countArrivals(const QStringList &lines);

    QPointer<LogStore> m_store;
    QMetaObject::Connection m_arrivals;
    LogSnapshot m_snapshot;
    bool m_paused = false;
    QString m_filterText;
    int m_linesWhilePaused = 0;
};
