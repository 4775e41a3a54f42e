#pragma once

#include "trendsample.h"

#include <QHash>
#include <QStringList>

#include <optional>
#include <utility>

// Turns the register pairs of each monitor line into trend samples. The
// stream repeats the same few devices and addresses many times a second, so
// the series names are made once per device and address, not per line.
class MonitorSampler
{
public:
    // One sample per register pair value of a decoded monitor line of this
    // device and first register address, and one for a register left over
    // after the pairs, as the 16-bit value it is; none when the line held no
    // registers.
    const TrendSamples &samplesOf(const QString &device, const QString &address,
                                  const QList<float> &pairValues,
                                  std::optional<quint16> leftover = std::nullopt);

    // Names kept at most; a stream of ever new addresses starts afresh.
    static constexpr qsizetype maxNamed = 256;

private:
    QHash<std::pair<QString, QString>, QStringList> m_names;
    TrendSamples m_samples;
};
