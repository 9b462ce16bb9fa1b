#pragma once

// The vehicle's GPS track and G-sensor readings of a whole card. Every channel's
// recordings and the hourly logs take their samples from the same Telemetry, so
// they agree. Pure functions; a Telemetry is read-only once made and may be
// shared between threads.

#include <cstdint>
#include <string>
#include <vector>

#include "CivilTime.h"

namespace mkcard {

constexpr int kGsensorPerSecond = 10;

struct GpsSample {
    double latitude = 0;   // degrees
    double longitude = 0;  // degrees
    double knots = 0;      // speed over ground
    uint32_t satellites = 0;
};

struct GsensorSample {
    float x = 0;        // g, lateral
    float y = 0;        // g, longitudinal
    float z = 0;        // g, vertical (about 1 at rest)
    uint8_t event = 0;  // 1 while a shock lasts
};

// A blow added to the G-sensor samples: its largest value lies on `sample`,
// the first of the samples it changes.
struct PlannedShock {
    int sample = 0;     // G-sensor sample index (card start + sample * 100 ms)
    int axis = 0;       // 0 X, 1 Y, 2 Z
    double peak = 0.0;  // g added on that axis at `sample` (1.5 to 3.0, either sign)
};

struct Telemetry {
    std::vector<GpsSample> gps;          // sample s at card start + s seconds
    std::vector<GsensorSample> gsensor;  // sample i at card start + i * 100 ms
    std::vector<PlannedShock> shocks;    // in time order
    // Length of the drive from the first GPS sample to the last, as the
    // vehicle moved (the sum of its per-second steps).
    double routeMetres = 0.0;
};

// A drive through Seoul (about 37.57 N, 126.98 E): stops, acceleration, turns,
// and shocks. One shock per started three minutes (at least one), each in its
// own equal share of the card, near the share's middle, on a straight stretch
// (no turn within 3 s either side, when the share has such a stretch) so that
// a shock never meets a turn's sideways pull. Between shocks the samples stay
// below 1.3 g from rest on every axis.
Telemetry makeTelemetry(uint64_t seed, int totalSeconds);

// A G-sensor value cut to whole hundredths toward zero, as the viewer shows it.
int centis(float value);
// Hundredths as a decimal text: -1 -> "-0.01", 98 -> "0.98".
std::string formatCentis(int hundredths);

// One line of an hourly log, without line end:
//   [GS][<sequence>][yyyymmdd-hhmmss][<millisecond>][7,2][X:<x>,Y:<y>,Z:<z>,E:<event>]
// with the values cut to hundredths (centis). The sequence counts the lines of the file.
std::string mlogLine(const CivilTime& instant, int millisecond, uint32_t sequence,
                     const GsensorSample& sample);

}  // namespace mkcard
