#include "trendseries.h"

TrendSeries::TrendSeries(qsizetype capacity)
    : m_capacity(qMax<qsizetype>(1, capacity))
{}

void TrendSeries::append(qint64 time, double value)
{
    if (!m_samples.empty())
        time = qMax(time, at(size() - 1).time);
    ++m_appended;
    if (size() < m_capacity) {
        m_samples.push_back({time, value});
        return;
    }
    m_samples[std::size_t(m_oldest)] = {time, value};
    m_oldest = (m_oldest + 1) % m_capacity;
}

qsizetype TrendSeries::lowerBound(qint64 time) const
{
    qsizetype first = 0;
    qsizetype count = size();
    while (count > 0) {
        const qsizetype half = count / 2;
        if (at(first + half).time < time) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    return first;
}
