#include "analysis/Track.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace analysis {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;

double kmh(double knots) {
    return knots * kKmhPerKnot;
}

// Plane coordinates in metres around a reference latitude: good to well
// below a metre over the few kilometres a thinned stretch spans.
struct Plane {
    double x = 0.0;
    double y = 0.0;
};

Plane project(const GpsFix& f, double cosLat) {
    return {f.longitude * kRad * kEarthRadiusMetres * cosLat,
            f.latitude * kRad * kEarthRadiusMetres};
}

double distanceToSegment(const Plane& p, const Plane& a, const Plane& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Douglas-Peucker over fixes[points], without recursion (a day's run may
// hold tens of thousands of points).
std::vector<std::size_t> thin(const std::vector<GpsFix>& fixes,
                              const std::vector<std::size_t>& points, double tolerance) {
    if (points.size() <= 2) {
        return points;
    }
    const double cosLat = std::cos(fixes[points.front()].latitude * kRad);
    std::vector<Plane> plane(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        plane[i] = project(fixes[points[i]], cosLat);
    }
    std::vector<bool> keep(points.size(), false);
    keep.front() = true;
    keep.back() = true;
    std::vector<std::pair<std::size_t, std::size_t>> stack{{0, points.size() - 1}};
    while (!stack.empty()) {
        const auto [a, b] = stack.back();
        stack.pop_back();
        double worst = -1.0;
        std::size_t at = a;
        for (std::size_t i = a + 1; i < b; ++i) {
            const double d = distanceToSegment(plane[i], plane[a], plane[b]);
            if (d > worst) {
                worst = d;
                at = i;
            }
        }
        if (worst > tolerance) {
            keep[at] = true;
            stack.push_back({a, at});
            stack.push_back({at, b});
        }
    }
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (keep[i]) {
            kept.push_back(points[i]);
        }
    }
    return kept;
}

}  // namespace

double greatCircleMetres(double lat1, double lon1, double lat2, double lon2) {
    const double dLat = (lat2 - lat1) * kRad;
    const double dLon = (lon2 - lon1) * kRad;
    const double s = std::sin(dLat / 2);
    const double t = std::sin(dLon / 2);
    const double h = s * s + std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * t * t;
    return 2.0 * kEarthRadiusMetres * std::asin(std::min(1.0, std::sqrt(h)));
}

bool isPlausibleStep(const GpsFix& a, const GpsFix& b) {
    const double metres = greatCircleMetres(a.latitude, a.longitude, b.latitude, b.longitude);
    // Fixes closer than a second still get a second: two records of one fix
    // must not look like a jump.
    const double seconds =
        std::max<double>(1.0, static_cast<double>(std::llabs(b.ms - a.ms)) / 1000.0);
    return metres / seconds * 3.6 <= kMaxPlausibleKmh;
}

bool fixAt(const std::vector<GpsFix>& fixes, std::int64_t ms, std::int64_t maxGapMs, GpsFix* out) {
    const auto after = std::lower_bound(fixes.begin(), fixes.end(), ms,
                                        [](const GpsFix& f, std::int64_t t) { return f.ms < t; });
    const GpsFix* next = nullptr;
    for (auto it = after; it != fixes.end() && it->ms - ms <= maxGapMs; ++it) {
        if (it->valid) {
            next = &*it;
            break;
        }
    }
    const GpsFix* previous = nullptr;
    for (auto it = after; it != fixes.begin();) {
        --it;
        if (ms - it->ms > maxGapMs) {
            break;
        }
        if (it->valid) {
            previous = &*it;
            break;
        }
    }
    if (previous == nullptr && next == nullptr) {
        return false;
    }
    if (previous == nullptr || next == nullptr || next->ms == previous->ms ||
        !isPlausibleStep(*previous, *next)) {
        const GpsFix* nearer = previous;
        if (nearer == nullptr || (next != nullptr && next->ms - ms < ms - previous->ms)) {
            nearer = next;
        }
        *out = *nearer;
        return true;
    }
    const double f =
        static_cast<double>(ms - previous->ms) / static_cast<double>(next->ms - previous->ms);
    GpsFix v = *previous;
    v.ms = ms;
    v.latitude = previous->latitude + f * (next->latitude - previous->latitude);
    v.longitude = previous->longitude + f * (next->longitude - previous->longitude);
    v.knots = previous->knots + f * (next->knots - previous->knots);
    *out = v;
    return true;
}

std::pair<std::size_t, std::size_t> fixesBetween(const std::vector<GpsFix>& fixes,
                                                 std::int64_t fromMs, std::int64_t toMs) {
    auto before = [](const GpsFix& f, std::int64_t t) { return f.ms < t; };
    const auto first = std::lower_bound(fixes.begin(), fixes.end(), fromMs, before);
    const auto last = std::lower_bound(first, fixes.end(), std::max(fromMs, toMs), before);
    return {static_cast<std::size_t>(first - fixes.begin()),
            static_cast<std::size_t>(last - fixes.begin())};
}

std::ptrdiff_t nearestFix(const std::vector<GpsFix>& fixes, double latitude, double longitude) {
    std::ptrdiff_t best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    const double cosLat = std::cos(latitude * kRad);
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        const GpsFix& f = fixes[i];
        if (!f.valid) {
            continue;
        }
        // Compared in a plane around the place: the order is what counts.
        const double dx = (f.longitude - longitude) * cosLat;
        const double dy = f.latitude - latitude;
        const double d = dx * dx + dy * dy;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<std::ptrdiff_t>(i);
        }
    }
    return best;
}

TripSummary summariseTrip(const std::vector<GpsFix>& fixes, int events) {
    TripSummary t;
    t.events = events;
    t.fixes = static_cast<int>(fixes.size());
    if (!fixes.empty()) {
        t.firstMs = fixes.front().ms;
        t.lastMs = fixes.back().ms;
    }
    double speedTime = 0.0;  // knots x ms over the driving steps
    const GpsFix* previous = nullptr;
    for (const GpsFix& f : fixes) {
        if (!f.valid) {
            continue;
        }
        ++t.validFixes;
        if (kmh(f.knots) < kMaxPlausibleKmh) {
            t.maxKnots = std::max(t.maxKnots, f.knots);
        }
        if (previous != nullptr) {
            const std::int64_t dt = f.ms - previous->ms;
            if (isPlausibleStep(*previous, f)) {
                t.distanceMetres += greatCircleMetres(previous->latitude, previous->longitude,
                                                      f.latitude, f.longitude);
                const bool moving = std::max(kmh(previous->knots), kmh(f.knots)) >= kMovingKmh;
                if (moving && dt > 0 && dt <= kMaxStepGapMs) {
                    t.drivingMs += dt;
                    speedTime += (previous->knots + f.knots) / 2.0 * static_cast<double>(dt);
                }
            }
        }
        previous = &f;
    }
    if (t.drivingMs > 0) {
        t.averageMovingKnots = speedTime / static_cast<double>(t.drivingMs);
    }
    return t;
}

int speedBand(double knots, const std::vector<double>& edgesKnots) {
    return static_cast<int>(std::upper_bound(edgesKnots.begin(), edgesKnots.end(), knots) -
                            edgesKnots.begin());
}

std::vector<TrackRun> displayRuns(const std::vector<GpsFix>& fixes,
                                  const std::vector<double>& edgesKnots, double toleranceMetres,
                                  std::size_t maxPoints) {
    // Unthinned runs first.
    std::vector<TrackRun> raw;
    const GpsFix* previous = nullptr;
    std::size_t previousIndex = 0;
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        const GpsFix& f = fixes[i];
        if (!f.valid) {
            previous = nullptr;
            continue;
        }
        if (previous != nullptr && f.ms - previous->ms <= kMaxStepGapMs &&
            isPlausibleStep(*previous, f)) {
            const int band = speedBand((previous->knots + f.knots) / 2.0, edgesKnots);
            if (raw.empty() || raw.back().band != band ||
                raw.back().points.back() != previousIndex) {
                raw.push_back({band, {previousIndex}});
            }
            raw.back().points.push_back(i);
        }
        previous = &f;
        previousIndex = i;
    }

    double tolerance = std::max(0.0, toleranceMetres);
    for (;;) {
        std::vector<TrackRun> thinned;
        thinned.reserve(raw.size());
        std::size_t total = 0;
        for (const TrackRun& r : raw) {
            thinned.push_back({r.band, thin(fixes, r.points, tolerance)});
            total += thinned.back().points.size();
        }
        // Every run keeps its two ends: more tolerance cannot go below that.
        if (total <= maxPoints || total <= 2 * raw.size() || tolerance > 1e6) {
            return thinned;
        }
        tolerance = tolerance > 0.0 ? tolerance * 2.0 : 1.0;
    }
}

}  // namespace analysis
