#pragma once

#include <QtGlobal>

#include <vector>

// The recent samples of one trend series, oldest first, in a ring of fixed
// capacity: once full, each new sample replaces the oldest, so a series
// never holds more than its capacity whatever the rate it arrives at.
class TrendSeries
{
public:
    struct Sample
    {
        qint64 time; // milliseconds since the epoch, UTC
        double value;
    };

    explicit TrendSeries(qsizetype capacity);

    // Times never go back within a series (a clock stepped back would break
    // the binary searches of the readers): an earlier time is taken as the
    // last one.
    void append(qint64 time, double value);

    qsizetype size() const { return qsizetype(m_samples.size()); }
    // Samples appended since the series began: the sample at `index` is the
    // (appended() - size() + index)-th, whatever the ring dropped since.
    qint64 appended() const { return m_appended; }
    qsizetype capacity() const { return m_capacity; }
    // 0 is the oldest sample still held.
    const Sample &at(qsizetype index) const
    {
        return m_samples[std::size_t((m_oldest + index) % size())];
    }
    // The index of the first sample at or after `time`; size() if none.
    qsizetype lowerBound(qint64 time) const;

private:
    qsizetype m_capacity;
    qsizetype m_oldest = 0;
    qint64 m_appended = 0;
    std::vector<Sample> m_samples;
};
