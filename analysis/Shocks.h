#pragma once

// Shock events: moments where the G-sensor reading leaves the vehicle's
// resting vector by more than a threshold.
//
// Resting vector: per axis, the median of the per-minute medians of the
// minutes within 5 minutes either side: gravity as the mounted sensor sees it. It follows the
// mounting and slow changes (a long slope) but not manoeuvres of seconds, so hard braking or a
// sharp turn counts against the threshold as a blow does, as the recorder's own shock sensor counts
// it.
//
// A sample exceeds when, on some axis, |value - rest| is above that axis's
// threshold. Exceeding samples less than 2 s apart belong to one event; the
// event is the sample where the deviation is largest relative to its axis's
// threshold: its time, its axis and the signed deviation there (peakG). Speed
// and position at that time come from the GPS fixes around it (see
// Track.h fixAt).
//
// Thresholds from the recorder's setup: its driving shock levels
// "SHOCK_DRIVE_X", "SHOCK_DRIVE_Y" and "SHOCK_DRIVE_Z" (1 to 10, 5 by default;
// a higher level is a more sensitive recorder) map per axis to
//     threshold = 0.3 g + 0.2 g x (10 - level)
// so level 10 reacts to 0.3 g, the default 5 to 1.3 g and level 1 to 2.1 g.
// A level outside 1-10 is taken as the nearest of the two.
//
// Threading: free functions without shared state.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/DayData.h"

namespace analysis {

constexpr int kMinShockLevel = 1;
constexpr int kMaxShockLevel = 10;
constexpr int kDefaultShockLevel = 5;

// "X", "Y" or "Z" for axis 0, 1 or 2.
const char* axisName(int axis);

// The threshold in g of a shock level (see the file comment).
double thresholdForLevel(int level);

// The recorder's driving shock levels, per axis X, Y, Z.
struct ShockLevels {
    int level[3] = {kDefaultShockLevel, kDefaultShockLevel, kDefaultShockLevel};
    bool fromCard = false;  // at least one level was read from the card
};

// The levels in "<cardRoot>/DVRSETUP.INI", the setup the recorder recorded
// with: top-level keys (before any section or in [General]) SHOCK_DRIVE_X,
// SHOCK_DRIVE_Y and SHOCK_DRIVE_Z. Missing keys or file give level 5; a value
// that is not a whole number counts as missing.
ShockLevels readShockLevels(const std::string& cardRoot);

struct ShockThresholds {
    double g[3] = {1.3, 1.3, 1.3};  // per axis X, Y, Z; above 0

    static ShockThresholds fromLevels(const ShockLevels& levels);
    // The same threshold on every axis (clamped to at least 0.01 g).
    static ShockThresholds uniform(double g);
};

struct ShockEvent {
    std::int64_t ms = 0;   // ms from the day's midnight
    int axis = 0;          // 0 X, 1 Y, 2 Z
    float peakG = 0.0f;    // signed deviation from the resting vector on `axis`
    bool fromLog = false;  // found in samples of an hourly log
    // Speed and position at that time; hasFix false when no valid fix lies
    // within 2 s.
    bool hasFix = false;
    double latitude = 0.0;
    double longitude = 0.0;
    double knots = 0.0;
};

// Exceeding samples closer than this belong to one event.
constexpr std::int64_t kShockMergeMs = 2000;

// The events of a day's samples (sorted by time), in time order. Empty when
// cancelled.
std::vector<ShockEvent> detectShocks(const std::vector<GsensorSample>& samples,
                                     const std::vector<GpsFix>& fixes,
                                     const ShockThresholds& thresholds,
                                     const std::atomic<bool>* cancel = nullptr);

}  // namespace analysis
