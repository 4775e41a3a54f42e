#pragma once

#include <QList>
#include <QString>

// One reading of a value the operator can follow over time: the name of its
// series ("<device> <register>" from the monitor, "<topic> <member>" from the
// broker) and the value.
struct TrendSample
{
    QString series;
    double value;
};

using TrendSamples = QList<TrendSample>;
