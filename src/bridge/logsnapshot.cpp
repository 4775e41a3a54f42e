#include "logsnapshot.h"

#include "logstore.h"

void LogSnapshot::take(const QAbstractItemModel &log)
{
    beginResetModel();
    m_lines.clear();
    const int rows = log.rowCount();
    m_lines.reserve(std::size_t(rows));
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = log.index(row, 0);
        m_lines.push_back({index.data(LogStore::TextRole).toString(),
                           index.data(LogStore::TimeRole).toDateTime()});
    }
    endResetModel();
}

int LogSnapshot::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant LogSnapshot::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Line &line = m_lines[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case LogStore::TextRole:
        return line.text;
    case LogStore::TimeRole:
        return line.time;
    default:
        return {};
    }
}

QHash<int, QByteArray> LogSnapshot::roleNames() const
{
    return {{LogStore::TextRole, "text"}, {LogStore::TimeRole, "time"}};
}
