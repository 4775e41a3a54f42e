#include "logstore.h"

#include <QDateTime>

#include <algorithm>

LogStore::LogStore(QObject *parent)
    : QAbstractListModel(parent)
{
    m_batch.setSingleShot(true);
    connect(&m_batch, &QTimer::timeout, this, &LogStore::flush);
}

int LogStore::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant LogStore::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Line &line = m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case TextRole:
        return line.text;
    case TimeRole:
        return QDateTime::fromMSecsSinceEpoch(line.time);
    default:
        return {};
    }
}

QHash<int, QByteArray> LogStore::roleNames() const
{
    return {{TextRole, "text"}, {TimeRole, "time"}};
}

QString LogStore::text() const
{
    QString text;
    text.reserve(m_bytes / qsizetype(sizeof(QChar)));
    const auto add = [&text](const Line &line) {
        text += line.text;
        text += QLatin1Char('\n');
    };
    std::for_each(m_rows.cbegin() + m_dropped, m_rows.cend(), add);
    std::for_each(m_pending.cbegin(), m_pending.cend(), add);
    return text;
}

qsizetype LogStore::cost(const QString &line)
{
    return (line.size() + 1) * qsizetype(sizeof(QChar));
}

void LogStore::setMaxBytes(qsizetype bytes)
{
    m_maxBytes = bytes;
    const int before = count();
    dropOldest();
    if (count() != before) {
        scheduleFlush();
        emit countChanged();
    }
}

void LogStore::appendLine(const QString &line)
{
    const QStringList lines =
        line.contains(QLatin1Char('\n')) ? line.split(QLatin1Char('\n')) : QStringList{line};
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const QString &text : lines) {
        m_pending.push_back({text, now});
        m_bytes += cost(text);
    }
    dropOldest();
    scheduleFlush();
    emit linesAppended(lines);
    emit countChanged();
}

void LogStore::dropOldest()
{
    while (m_bytes > m_maxBytes && count() > 1) {
        if (m_dropped < qsizetype(m_rows.size())) {
            m_bytes -= cost(m_rows[std::size_t(m_dropped)].text);
            ++m_dropped;
        } else {
            m_bytes -= cost(m_pending.front().text);
            m_pending.pop_front();
        }
    }
}

// Emptied at once for readers; the views let go of the rows with the next
// batch, so a page that empties its log hundreds of times a second does not
// have it laid out again each time.
void LogStore::clear()
{
    const int before = count();
    m_dropped = qsizetype(m_rows.size());
    m_pending.clear();
    m_bytes = 0;
    if (before == 0)
        return;
    scheduleFlush();
    emit countChanged();
}

// Lines of one pass of the event loop go together; after a batch the next
// waits out the interval. Under a steady stream the timer may be held back
// (the GLib event dispatcher runs timers only when nothing else is ready),
// so a line arriving when a batch is well overdue sends it at once.
void LogStore::scheduleFlush()
{
    if (m_batch.isActive()) {
        if (m_due.hasExpired())
            flush();
        return;
    }
    const qint64 since = m_sinceFlush.isValid() ? m_sinceFlush.elapsed() : batchInterval;
    const int wait = int(std::max<qint64>(1, batchInterval - since));
    m_batch.start(wait);
    m_due.setRemainingTime(wait + batchInterval / 4);
}

void LogStore::flush()
{
    m_batch.stop();
    m_sinceFlush.start();
    const auto shown = qsizetype(m_rows.size());
    if (m_dropped == shown && shown > 0 && !m_pending.empty()) {
        // All that is shown goes and new lines come: one change, not two.
        beginResetModel();
        m_rows.swap(m_pending);
        m_pending.clear();
        m_dropped = 0;
        endResetModel();
        return;
    }
    if (m_dropped > 0) {
        beginRemoveRows(QModelIndex(), 0, int(m_dropped - 1));
        m_rows.erase(m_rows.begin(), m_rows.begin() + m_dropped);
        m_dropped = 0;
        endRemoveRows();
    }
    if (!m_pending.empty()) {
        const auto first = int(m_rows.size());
        beginInsertRows(QModelIndex(), first, first + int(m_pending.size()) - 1);
        std::move(m_pending.begin(), m_pending.end(), std::back_inserter(m_rows));
        m_pending.clear();
        endInsertRows();
    }
}
