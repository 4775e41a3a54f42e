#include "monitorsampler.h"

#include "trendsampler.h"

const TrendSamples &MonitorSampler::samplesOf(const QString &device, const QString &address,
                                              const QList<float> &values,
                                              std::optional<quint16> leftover)
{
    m_samples.clear();
    const qsizetype count = values.size() + (leftover ? 1 : 0);
    if (count == 0)
        return m_samples;

    const std::pair<QString, QString> key{device, address};
    auto names = m_names.find(key);
    if (names == m_names.end() || names->size() < count) {
        if (m_names.size() >= maxNamed)
            m_names.clear();
        names = m_names.insert(key, TrendSampler::monitorSeries(key.first, key.second, count));
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        m_samples.append({names->at(i), values[i]});
    if (leftover)
        m_samples.append({names->at(values.size()), double(*leftover)});
    return m_samples;
}
