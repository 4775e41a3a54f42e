#include "monitorsampler.h"

#include "monitordecoder.h"
#include "trendsampler.h"

const TrendSamples &MonitorSampler::samplesOf(const MonitorDecoder &decoder)
{
    m_samples.clear();
    const QList<float> &values = decoder.pairValues();
    if (values.isEmpty())
        return m_samples;

    const std::pair<QString, QString> key{decoder.deviceName(), decoder.address()};
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
