#pragma once

#include "trendsample.h"

#include <QStringList>

// Where the trends come from: the register pairs of the RS-485 monitor
// stream (direct mode) and the numeric members of the JSON payloads on the
// gateway's port topics (cloud mode).
namespace TrendSampler {

// The series names of the register pairs of a monitor line: the device and
// each pair's first register ("Main meter 0x0012").
QStringList monitorSeries(const QString &device, const QString &address, qsizetype pairs);

// One sample per number in a JSON object payload, named after the topic and
// the member; members of nested objects are joined with "." and array items
// get their index ("Kestrelvane/KV-1/pub/port1 meter.V[2]"). Anything else
// (not JSON, not an object, strings, booleans) gives nothing. Depth and
// count are capped so one payload cannot flood the store.
TrendSamples fromPayload(const QString &topic, const QString &payload);

constexpr int maxPayloadSamples = 64;
constexpr int maxPayloadDepth = 4;

} // namespace TrendSampler
