#include "trendstore.h"

#include <QDateTime>

#include <cmath>

TrendStore::TrendStore(QObject *parent)
    : QAbstractListModel(parent)
    , m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{}

TrendStore::~TrendStore() = default;

void TrendStore::add(const TrendSamples &samples)
{
    if (samples.isEmpty())
        return;
    const qint64 time = m_clock();
    for (const TrendSample &sample : samples)
        append(sample.series, time, sample.value);
}

void TrendStore::append(const QString &name, qint64 time, double value)
{
    if (!std::isfinite(value))
        return;
    if (TrendSeries *series = seriesFor(name))
        series->append(time, value);
}

TrendSeries *TrendStore::seriesFor(const QString &name)
{
    const auto found = m_index.constFind(name);
    if (found != m_index.cend())
        return m_series[std::size_t(*found)].get();
    if (m_names.size() >= maxSeries)
        return nullptr;

    const int row = int(m_names.size());
    beginInsertRows({}, row, row);
    m_names.append(name);
    m_index.insert(name, row);
    m_series.push_back(std::make_unique<TrendSeries>(samplesPerSeries));
    endInsertRows();
    emit countChanged();
    return m_series.back().get();
}

void TrendStore::setGateway(const QString &gateway)
{
    if (gateway == m_gateway)
        return;
    beginResetModel();
    m_kept.push_back({m_gateway, Set{std::move(m_names), std::move(m_index), std::move(m_series)}});
    m_names.clear();
    m_index.clear();
    m_series.clear();
    for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
        if (it->first == gateway) {
            m_names = std::move(it->second.names);
            m_index = std::move(it->second.index);
            m_series = std::move(it->second.series);
            m_kept.erase(it);
            break;
        }
    }
    if (m_kept.size() > std::size_t(keptGateways))
        m_kept.erase(m_kept.begin());
    m_gateway = gateway;
    endResetModel();
    emit countChanged();
    emit gatewayChanged();
}

const TrendSeries *TrendStore::series(const QString &name) const
{
    const auto found = m_index.constFind(name);
    return found == m_index.cend() ? nullptr : m_series[std::size_t(*found)].get();
}

void TrendStore::clear()
{
    if (m_names.isEmpty())
        return;
    beginResetModel();
    m_names.clear();
    m_index.clear();
    m_series.clear();
    endResetModel();
    emit countChanged();
}

int TrendStore::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant TrendStore::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == NameRole || role == Qt::DisplayRole)
        return m_names.at(index.row());
    return {};
}

QHash<int, QByteArray> TrendStore::roleNames() const
{
    return {{NameRole, "name"}};
}
