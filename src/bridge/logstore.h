#pragma once

#include <QAbstractListModel>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

#include <deque>

// One of the backend's logs: the lines it holds, oldest first, bounded in
// size, and offered to the views as a list model of one row per line.
//
// Lines may arrive thousands of times a second, far faster than anyone can
// read them, so the model announces them to the views in batches: the lines
// of one pass of the event loop together, and then no sooner than
// `batchInterval` milliseconds after the last batch. A view lays out a dozen
// changes a second however fast the gateway talks, and a lone line at once. linesAppended() and
// `count` are immediate, for those who need every line as it comes (bind views to the model's rows
// instead: `count` changes with every line).
class LogStore : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role { TextRole = Qt::UserRole + 1, TimeRole };

    // Whole lines are dropped, oldest first, once the text held would exceed
    // this many bytes (the newest line is always kept). At most one mebibyte
    // per log, so a log nobody empties cannot grow through a working day.
    static constexpr qsizetype defaultMaxBytes = 1 << 20;
    static constexpr int batchInterval = 80;

    explicit LogStore(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Lines held now, including those not yet shown.
    int count() const { return int(m_rows.size() - m_dropped + m_pending.size()); }
    // The lines held, each ended by a line feed.
    QString text() const;
    qsizetype byteSize() const { return m_bytes; }

    void setMaxBytes(qsizetype bytes);
    qsizetype maxBytes() const { return m_maxBytes; }

    // Appends one line; line feeds inside it start further lines, so that
    // each row is one line of the text.
    void appendLine(const QString &line);
    void clear();

    // Announces the lines that arrived since the last batch to the views now.
    Q_INVOKABLE void flush();

signals:
    void linesAppended(const QStringList &lines);
    void countChanged();

private:
    struct Line
    {
        QString text;
        qint64 time; // ms since the epoch: a QDateTime per line costs more
    };

    static qsizetype cost(const QString &line);
    void dropOldest();
    void scheduleFlush();

    // m_rows are the rows the views know of; the first m_dropped of them are
    // no longer held and leave the model with the next batch. m_pending are
    // held but not yet announced.
    std::deque<Line> m_rows;
    qsizetype m_dropped = 0;
    std::deque<Line> m_pending;
    qsizetype m_bytes = 0;
    qsizetype m_maxBytes = defaultMaxBytes;
    QTimer m_batch;
    QElapsedTimer m_sinceFlush;
    QDeadlineTimer m_due;
};
