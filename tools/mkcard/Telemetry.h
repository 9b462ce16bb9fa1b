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

struct Telemetry {
    std::vector<GpsSample> gps;          // sample s at card start + s seconds
    std::vector<GsensorSample> gsensor;  // sample i at card start + i * 100 ms
};

// A drive through Seoul (about 37.57 N, 126.98 E): stops, acceleration, turns,
// and at least one shock.
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
