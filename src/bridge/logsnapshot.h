#pragma once

#include <QAbstractListModel>
#include <QDateTime>

#include <vector>

// A copy of a log's lines as they were at one moment, with the same roles
// as the log (`text`, `time`): what a paused view goes on showing while the
// log itself keeps filling, or is emptied.
class LogSnapshot : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // Copies the rows of a log store (or anything with its roles).
    void take(const QAbstractItemModel &log);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    struct Line
    {
        QString text;
        QDateTime time;
    };
    std::vector<Line> m_lines;
};
