#include "monitorsampler.h"

#include "trendsampler.h"

const TrendSamples &MonitorSampler::samplesOf(const QString &device, const QString &address,
                                              const QList<float> &values)
{
    m_samples.clear();
    if (values.isEmpty())
        return m_samples;

    const std::pair<QString, QString> key{device, address};
    auto names = m_names.find(key);
    if (names == m_names.end() || names->size() < values.size()) {
        if (m_names.size() >= maxNamed)
            m_names.clear();
        names =
            m_names.insert(key, TrendSampler::monitorSeries(key.first, key.second, values.size()));
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        m_samples.append({names->at(i), values[i]});
    return m_samples;
}
