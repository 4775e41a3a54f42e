#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class TrendStore;

// The shown part of some trend series as CSV (RFC 4180, CR LF line ends):
// a "time" column in ISO 8601 UTC with milliseconds, then one column per
// series under its name. A row per distinct sample time; a series without a
// sample at that time leaves its cell empty.
namespace TrendCsv {

QByteArray write(const TrendStore &store, const QStringList &series, qint64 from, qint64 to);

// The shortest text that reads back as the value; a value that came from a
// single-precision register pair prints as that float would ("1.1", not
// "1.100000023841858").
QString formatValue(double value);

QString formatTime(qint64 msecsSinceEpoch);

} // namespace TrendCsv
