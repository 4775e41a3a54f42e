#pragma once

#include "trendsample.h"
#include "trendseries.h"

#include <QAbstractListModel>
#include <QHash>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// The series of values seen since start (or the last clear), for the trends
// page: a list model of their names in order of first appearance, and behind
// each name a bounded ring of its samples. Memory stays bounded whatever
// arrives: a fixed number of samples per series, a fixed number of series
// (later newcomers are ignored, so the series the operator follows are
// never pushed out).
//
// Each gateway has series of its own: the store shows and takes those of
// the gateway set last, and keeps the others' (up to keptGateways of them)
// for when the operator comes back to one.
class TrendStore : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(QString gateway READ gateway WRITE setGateway NOTIFY gatewayChanged)

public:
    // Over an hour at ten samples a second.
    static constexpr qsizetype samplesPerSeries = 40'000;
    static constexpr int maxSeries = 64;
    static constexpr int keptGateways = 4;

    enum Role { NameRole = Qt::UserRole + 1 };

    using Clock = std::function<qint64()>;

    explicit TrendStore(QObject *parent = nullptr);
    ~TrendStore() override;

    // Adds samples that arrived now.
    void add(const TrendSamples &samples);
    // Adds one sample taken at `time` (milliseconds since the epoch). Values
    // that are not finite (a register pair holding NaN) cannot be drawn and
    // are dropped.
    void append(const QString &name, qint64 time, double value);
    void setClock(Clock clock) { m_clock = std::move(clock); }
    qint64 now() const { return m_clock(); }

    QString gateway() const { return m_gateway; }
    void setGateway(const QString &gateway);

    int count() const { return int(m_names.size()); }
    QStringList names() const { return m_names; }
    const TrendSeries *series(const QString &name) const;

    Q_INVOKABLE void clear();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();
    void gatewayChanged();

private:
    TrendSeries *seriesFor(const QString &name);

    struct Set
    {
        QStringList names;
        QHash<QString, int> index;
        std::vector<std::unique_ptr<TrendSeries>> series;
    };

    Clock m_clock;
    QString m_gateway;
    QStringList m_names;
    QHash<QString, int> m_index;
    std::vector<std::unique_ptr<TrendSeries>> m_series;
    // The other gateways' series, the one left longest ago first.
    std::vector<std::pair<QString, Set>> m_kept;
};
