#pragma once

#include "trendsample.h"

#include <QStringList>
#include <QVariantList>

// Where the trends come from: the register pairs of the RS-485 monitor
// stream (direct mode) and the numeric members of the JSON payloads on the
// gateway's port topics (cloud mode).
namespace TrendSampler {

// The series names of the register pairs of a monitor line: the device and
// each pair's first register ("Main meter 0x0012").
QStringList monitorSeries(const QString &device, const QString &address, qsizetype pairs);

// One sample per number in a JSON object payload of a port topic, named
// after the device and the member. The device is the one of the gateway's
// device list (`devices`, the records the device list pages show) on the
// topic's port whose command addresses the payload's "slave"; without one
// it is the port and slave ("port1 slave 7"). "slave" is the address, not a
// value. A block of registers ("reg" and "values") gives one 16-bit value
// per register, named by its address ("Main meter 0x000B"); other members
// keep their names, which say what the value is ("Main meter V"): members
// of nested objects are joined with "." and array items get their index
// ("Main meter m.I[2]"). Anything else (not JSON, not an object, strings,
// booleans) gives nothing. Depth and count are capped so one payload cannot
// flood the store.
TrendSamples fromPayload(const QString &topic, const QString &payload,
                         const QVariantList &devices = {});

constexpr int maxPayloadSamples = 64;
constexpr int maxPayloadDepth = 4;

} // namespace TrendSampler
