// The track's sums and its thinned lines: distance over valid fixes without
// the receiver's jumps, driving time, and map lines that stay within their
// tolerance of every fix, change colour with the speed and never bridge a gap.

#include <cmath>

#include <gtest/gtest.h>

#include "MakeCard.h"
#include "analysis/Track.h"

namespace {

std::vector<analysis::GpsFix> fixesOf(const mkcard::Telemetry& t) {
    std::vector<analysis::GpsFix> out(t.gps.size());
    for (std::size_t s = 0; s < t.gps.size(); ++s) {
        out[s].ms = static_cast<std::int64_t>(s) * 1000;
        out[s].latitude = t.gps[s].latitude;
        out[s].longitude = t.gps[s].longitude;
        out[s].knots = t.gps[s].knots;
        out[s].valid = true;
    }
    return out;
}

// Distance in metres from fix p to the segment a-b, in a local plane.
double offLine(const analysis::GpsFix& p, const analysis::GpsFix& a, const analysis::GpsFix& b) {
    const double k = 6'371'008.8 * 3.14159265358979323846 / 180.0;
    const double c = std::cos(a.latitude * 3.14159265358979323846 / 180.0);
    const double ax = a.longitude * k * c, ay = a.latitude * k;
    const double bx = b.longitude * k * c - ax, by = b.latitude * k - ay;
    const double px = p.longitude * k * c - ax, py = p.latitude * k - ay;
    const double len2 = bx * bx + by * by;
    const double t = len2 > 0 ? std::clamp((px * bx + py * by) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(px - t * bx, py - t * by);
}

}  // namespace

TEST(Track, TripOfTheGeneratedDrive) {
    const mkcard::Telemetry t = mkcard::makeTelemetry(5, 3 * 3600);
    std::vector<analysis::GpsFix> fixes = fixesOf(t);
    const analysis::TripSummary clean = analysis::summariseTrip(fixes, 4);
    EXPECT_NEAR(clean.distanceMetres, t.routeMetres, t.routeMetres * 0.01);
    EXPECT_EQ(clean.events, 4);
    EXPECT_EQ(clean.validFixes, 3 * 3600);
    double maxKnots = 0;
    int stoppedSeconds = 0;
    for (const mkcard::GpsSample& g : t.gps) {
        maxKnots = std::max(maxKnots, g.knots);
        stoppedSeconds += g.knots * 1.852 < 1.0 ? 1 : 0;
    }
    EXPECT_DOUBLE_EQ(clean.maxKnots, maxKnots);
    // The generated drive stops now and then: driving time is less than the
    // whole, and the average moving speed lies between the stops and the top.
    ASSERT_GT(stoppedSeconds, 60);
    EXPECT_LT(clean.drivingMs, (3 * 3600 - stoppedSeconds / 2) * 1000LL);
    EXPECT_GT(clean.drivingMs, 3 * 3600 * 1000LL / 2);
    EXPECT_GT(clean.averageMovingKnots, 5.0);
    EXPECT_LT(clean.averageMovingKnots, maxKnots);
    EXPECT_NEAR(clean.averageMovingKnots * 1852.0 * clean.drivingMs / 3.6e6, clean.distanceMetres,
                clean.distanceMetres * 0.05);

    // A receiver jump of 50 km and back, and fixes without a position, add
    // nothing.
    fixes[1000].latitude += 0.45;
    fixes[2000].valid = false;
    fixes[2000].latitude = 0;
    fixes[2000].longitude = 0;
    const analysis::TripSummary damaged = analysis::summariseTrip(fixes, 0);
    EXPECT_EQ(damaged.validFixes, 3 * 3600 - 1);
    EXPECT_NEAR(damaged.distanceMetres, clean.distanceMetres, 200.0);
}

TEST(Track, MapLinesStayOnTheRouteAndFollowTheSpeed) {
    const mkcard::Telemetry t = mkcard::makeTelemetry(3, 24 * 3600);
    std::vector<analysis::GpsFix> fixes = fixesOf(t);
    // The recorder was off for a minute, and one fix had no position.
    fixes.erase(fixes.begin() + 5000, fixes.begin() + 5060);
    fixes[7000].valid = false;
    const std::vector<double> edges = {20 / 1.852, 40 / 1.852, 60 / 1.852, 80 / 1.852};
    const double tolerance = 3.0;
    const std::vector<analysis::TrackRun> runs =
        analysis::displayRuns(fixes, edges, tolerance, 40000);

    std::size_t points = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const analysis::TrackRun& run = runs[r];
        ASSERT_GE(run.points.size(), 2u);
        points += run.points.size();
        for (std::size_t k = 0; k + 1 < run.points.size(); ++k) {
            const std::size_t a = run.points[k];
            const std::size_t b = run.points[k + 1];
            ASSERT_LT(a, b);
            // Every fix the line skips lies within the tolerance of it, and
            // drives at the run's speed band.
            for (std::size_t i = a; i < b; ++i) {
                ASSERT_TRUE(fixes[i].valid) << i;
                ASSERT_LE(fixes[i + 1].ms - fixes[i].ms, analysis::kMaxStepGapMs) << i;
                EXPECT_EQ(analysis::speedBand((fixes[i].knots + fixes[i + 1].knots) / 2, edges),
                          run.band);
                if (i > a) {
                    EXPECT_LE(offLine(fixes[i], fixes[a], fixes[b]), tolerance + 0.05) << i;
                }
            }
        }
        // A new colour starts where the old one ended.
        if (r > 0 && runs[r - 1].band != run.band &&
            fixes[run.points.front()].ms - fixes[runs[r - 1].points.back()].ms <= 1000) {
            EXPECT_EQ(runs[r - 1].points.back(), run.points.front());
        }
    }
    EXPECT_LT(points, fixes.size() / 3);

    // Asked for fewer points, the lines get coarser, not shorter.
    const auto coarse = analysis::displayRuns(fixes, edges, tolerance, 5000);
    std::size_t coarsePoints = 0;
    for (const auto& run : coarse) {
        coarsePoints += run.points.size();
    }
    EXPECT_LT(coarsePoints, points);
    EXPECT_EQ(coarse.size(), runs.size());
    EXPECT_EQ(coarse.front().points.front(), runs.front().points.front());
    EXPECT_EQ(coarse.back().points.back(), runs.back().points.back());
}

TEST(Track, LookUpsByTimeAndPlace) {
    std::vector<analysis::GpsFix> fixes(4);
    const double lat[4] = {37.0, 37.0001, 0.0, 37.0003};
    for (int i = 0; i < 4; ++i) {
        fixes[i].ms = i * 1000;
        fixes[i].latitude = lat[i];
        fixes[i].longitude = 127.0;
        fixes[i].knots = 10.0 * i;
        fixes[i].valid = i != 2;
    }
    analysis::GpsFix f;
    ASSERT_TRUE(analysis::fixAt(fixes, 250, 2000, &f));
    EXPECT_NEAR(f.latitude, 37.000025, 1e-9);
    EXPECT_NEAR(f.knots, 2.5, 1e-9);
    // Across the invalid fix: between its valid neighbours.
    ASSERT_TRUE(analysis::fixAt(fixes, 2000, 2000, &f));
    EXPECT_NEAR(f.latitude, 37.0002, 1e-9);
    // Beyond the last fix only within the gap allowed.
    ASSERT_TRUE(analysis::fixAt(fixes, 4500, 2000, &f));
    EXPECT_EQ(f.ms, 3000);
    EXPECT_FALSE(analysis::fixAt(fixes, 5001, 2000, &f));

    EXPECT_EQ(analysis::nearestFix(fixes, 37.00029, 127.0001), 3);
    EXPECT_EQ(analysis::nearestFix(fixes, 0.0, 127.0), 0);  // never the invalid one
    EXPECT_EQ(analysis::nearestFix({}, 37.0, 127.0), -1);
    const auto range = analysis::fixesBetween(fixes, 1000, 3000);
    EXPECT_EQ(range.first, 1u);
    EXPECT_EQ(range.second, 3u);
}
