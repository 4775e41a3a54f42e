#pragma once

#include "trendsample.h"

#include <QHash>
#include <QStringList>

#include <utility>

class MonitorDecoder;

// Turns the register pairs of each monitor line into trend samples. The
// stream repeats the same few devices and addresses many times a second, so
// the series names are made once per device and address, not per line.
class MonitorSampler
{
public:
    // One sample per register pair of the line the decoder read last; none
    // for any other line.
    const TrendSamples &samplesOf(const MonitorDecoder &decoder);

    // Names kept at most; a stream of ever new addresses starts afresh.
    static constexpr qsizetype maxNamed = 256;

private:
    QHash<std::pair<QString, QString>, QStringList> m_names;
    TrendSamples m_samples;
};
