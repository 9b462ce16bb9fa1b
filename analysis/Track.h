#pragma once

// The GPS track of a day: distances, the trip's sums, the track thinned for a
// map, and look-ups by time and by place.
//
// Distances are great-circle distances on a sphere of the Earth's mean radius
// (6,371,008.8 m, haversine). A step between two consecutive valid fixes that
// would need more than 400 km/h is a jump of the receiver, not a drive: it is
// left out of the distance and breaks the drawn line.
//
// Threading: free functions without shared state.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "analysis/DayData.h"

namespace analysis {

constexpr double kEarthRadiusMetres = 6'371'008.8;
// Steps faster than this are receiver jumps.
constexpr double kMaxPlausibleKmh = 400.0;
// A fix reporting at least this speed is moving.
constexpr double kMovingKmh = 3.0;
// Consecutive fixes further apart in time do not form a driven step: the
// recorder was off or lost its fix in between.
constexpr std::int64_t kMaxStepGapMs = 10'000;

double greatCircleMetres(double lat1, double lon1, double lat2, double lon2);

// Whether the step a -> b (both valid) is a plausible movement.
bool isPlausibleStep(const GpsFix& a, const GpsFix& b);

// The vehicle at time `ms`: between the two valid fixes around it,
// interpolated (position and speed) when both lie within `maxGapMs` of it;
// otherwise the nearer one within `maxGapMs`. False when there is none.
// `fixes` is sorted by time.
bool fixAt(const std::vector<GpsFix>& fixes, std::int64_t ms, std::int64_t maxGapMs, GpsFix* out);

// Index range [first, last) of the fixes with fromMs <= ms < toMs.
std::pair<std::size_t, std::size_t> fixesBetween(const std::vector<GpsFix>& fixes,
                                                 std::int64_t fromMs, std::int64_t toMs);

// Index of the valid fix nearest to a place, or -1 when there is none.
std::ptrdiff_t nearestFix(const std::vector<GpsFix>& fixes, double latitude, double longitude);

// The day's trip.
//   distance     sum of the plausible steps between consecutive valid fixes
//   driving      sum of the durations of the steps between consecutive valid
//                fixes at most 10 s apart of which either fix reports at
//                least 3 km/h
//   max speed    highest speed a valid fix reports (below 400 km/h)
//   average      mean reported speed over the driving steps, by time (each
//                step counts with the mean of its two fixes)
struct TripSummary {
    double distanceMetres = 0.0;
    std::int64_t drivingMs = 0;
    double maxKnots = 0.0;
    double averageMovingKnots = 0.0;
    int events = 0;
    int fixes = 0;              // fixes recorded
    int validFixes = 0;         // of which valid
    std::int64_t firstMs = -1;  // first and last fix, -1 without fixes
    std::int64_t lastMs = -1;
};
TripSummary summariseTrip(const std::vector<GpsFix>& fixes, int events);

// A stretch of the track drawn in one colour: `points` index the fixes, at
// least two; `band` is the speed band of its steps.
struct TrackRun {
    int band = 0;
    std::vector<std::size_t> points;
};

// Speed band of a speed: the number of `edgesKnots` (ascending) at or below it.
int speedBand(double knots, const std::vector<double>& edgesKnots);

// The track as lines for a map: runs of consecutive valid fixes whose steps
// share a speed band (a step's band is that of its fixes' mean speed), broken
// where fixes are invalid, further than 10 s apart or jump. Each run is
// thinned (Douglas-Peucker) so that no dropped fix lies further than
// `toleranceMetres` from the line; while the runs hold more than `maxPoints`
// points the tolerance doubles. A run ends on the fix where the next begins,
// so the line stays whole.
std::vector<TrackRun> displayRuns(const std::vector<GpsFix>& fixes,
                                  const std::vector<double>& edgesKnots, double toleranceMetres,
                                  std::size_t maxPoints);

}  // namespace analysis
