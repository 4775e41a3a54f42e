#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// One RS-485 device as the gateway lists it:
//   dev[3]  Main meter  port2  CRC=1  poll=10s  cmd=010300000002C40B
// read into the map the pages show: "id", "name", "port", "autoCRC", "poll",
// "cmdHex". The name may hold spaces; it ends at the white space before the
// port field.
namespace DeviceRecord {

std::optional<QVariantMap> fromLine(const QString &line);

// A line the gateway sends as a device record: it starts with "dev[" and the
// whole record can be read from it.
bool isDeviceLine(const QString &line);

// The number of devices a count line announces ("rs485DevCnt=3" gives 3): the
// first run of digits after the marker; nothing for any other line.
std::optional<int> announcedCount(const QString &line);

} // namespace DeviceRecord
