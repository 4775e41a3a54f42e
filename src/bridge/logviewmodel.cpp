#include "logviewmodel.h"

#include "logstore.h"

LogViewModel::LogViewModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setFilterRole(LogStore::TextRole);
    setFilterCaseSensitivity(Qt::CaseInsensitive);
}

void LogViewModel::setStore(LogStore *store)
{
    if (m_store == store)
        return;
    disconnect(m_arrivals);
    m_store = store;
    if (store)
        m_arrivals = connect(store, &LogStore::linesAppended, this, &LogViewModel::countArrivals);
    if (!m_paused)
        setSourceModel(store);
    emit storeChanged();
}

void LogViewModel::setPaused(bool paused)
{
    if (m_paused == paused)
        return;
    m_paused = paused;
    if (paused && m_store) {
        m_snapshot.take(*m_store);
        setSourceModel(&m_snapshot);
    } else {
        setSourceModel(m_store);
    }
    if (m_linesWhilePaused != 0) {
        m_linesWhilePaused = 0;
        emit linesWhilePausedChanged();
    }
    emit pausedChanged();
}

void LogViewModel::setFilterText(const QString &text)
{
    if (m_filterText == text)
        return;
    m_filterText = text;
    setFilterFixedString(text);
    emit filterTextChanged();
}

void LogViewModel::countArrivals(const QStringList &lines)
{
    if (!m_paused)
        return;
    m_linesWhilePaused += int(lines.size());
    emit linesWhilePausedChanged();
}
