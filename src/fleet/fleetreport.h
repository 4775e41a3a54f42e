#pragma once

#include "fleettask.h"

#include <QByteArray>
#include <QList>

// A fleet run's results as files and lines: the same columns on the command
// line and in the page's exported report.
namespace FleetReport {

QByteArray csvHeader();
QByteArray csvRow(const FleetResult &result);
QByteArray csv(const QList<FleetResult> &results);
// One JSON object on one line, for tools that read a line at a time.
QByteArray jsonLine(const FleetResult &result);

} // namespace FleetReport
