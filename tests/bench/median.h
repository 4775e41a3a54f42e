#pragma once

#include <QList>

#include <algorithm>

// The middle of the figures of repeated runs: the machine is noisy.
inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
