// Shock detection against the generator's drive: every blow it adds is found
// where it was added, and a whole day of driving (turns, braking, stops) gives
// nothing else. Then the rules around it: merging, thresholds from the card.

#include <cmath>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "MakeCard.h"
#include "TestSupport.h"
#include "analysis/Shocks.h"
#include "recording/PacketTime.h"

namespace {

namespace fs = std::filesystem;

// The generator's samples as a recording hands them on.
std::vector<analysis::GsensorSample> samplesOf(const mkcard::Telemetry& t) {
    std::vector<analysis::GsensorSample> out(t.gsensor.size());
    for (std::size_t i = 0; i < t.gsensor.size(); ++i) {
        out[i].ms = static_cast<std::int64_t>(i) * 100;
        out[i].axis[0] = VORTA::truncateToHundredths(t.gsensor[i].x);
        out[i].axis[1] = VORTA::truncateToHundredths(t.gsensor[i].y);
        out[i].axis[2] = VORTA::truncateToHundredths(t.gsensor[i].z);
    }
    return out;
}

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

analysis::GsensorSample at(std::int64_t ms, float x, float y, float z) {
    analysis::GsensorSample s;
    s.ms = ms;
    s.axis[0] = x;
    s.axis[1] = y;
    s.axis[2] = z;
    return s;
}

// Ten minutes at rest (0, 0, 1 g) with blows of `g` on Y at the given times.
std::vector<analysis::GsensorSample> restWithBlows(const std::vector<std::int64_t>& blows,
                                                   float g) {
    std::vector<analysis::GsensorSample> v;
    for (std::int64_t ms = 0; ms < 600'000; ms += 100) {
        float y = 0.0f;
        for (const std::int64_t b : blows) {
            if (ms == b) {
                y = g;
            }
        }
        v.push_back(at(ms, 0.0f, y, 1.0f));
    }
    return v;
}

}  // namespace

TEST(Shocks, AWholeDayOfDrivingGivesExactlyTheGeneratedShocks) {
    for (const std::uint64_t seed : {1u, 2u}) {
        const mkcard::Telemetry t = mkcard::makeTelemetry(seed, 24 * 3600);
        ASSERT_EQ(t.shocks.size(), 480u);
        const std::vector<analysis::GpsFix> fixes = fixesOf(t);
        const std::vector<analysis::ShockEvent> events =
            analysis::detectShocks(samplesOf(t), fixes, analysis::ShockThresholds());
        ASSERT_EQ(events.size(), t.shocks.size()) << "seed " << seed;
        for (std::size_t k = 0; k < events.size(); ++k) {
            const mkcard::PlannedShock& p = t.shocks[k];
            const analysis::ShockEvent& e = events[k];
            EXPECT_LE(std::llabs(e.ms - p.sample * 100), 200) << "shock " << k;
            EXPECT_EQ(e.axis, p.axis) << "shock " << k;
            // The blow rides on what the vehicle does meanwhile (at most a
            // slight curve and braking, and the road's vibration).
            EXPECT_NEAR(e.peakG, p.peak, 0.35) << "shock " << k;
            // Speed and place of the moment, between the fixes around it.
            ASSERT_TRUE(e.hasFix);
            const std::size_t s = static_cast<std::size_t>(p.sample / 10);
            const double f = (p.sample % 10) / 10.0;
            auto between = [&](double a, double b) { return a + f * (b - a); };
            EXPECT_NEAR(e.knots, between(t.gps[s].knots, t.gps[s + 1].knots), 1e-9);
            EXPECT_NEAR(e.latitude, between(t.gps[s].latitude, t.gps[s + 1].latitude), 1e-9);
            EXPECT_NEAR(e.longitude, between(t.gps[s].longitude, t.gps[s + 1].longitude), 1e-9);
        }
    }
}

TEST(Shocks, ExceedancesWithinTwoSecondsAreOneEventAtTheLargest) {
    std::vector<analysis::GsensorSample> v =
        restWithBlows({100'000, 101'500, 300'000, 302'100, 500'000, 502'000}, 2.0f);
    v[100'000 / 100 + 5].axis[0] = -2.6f;  // 0.5 s after the first blow, larger, on X
    const auto events = analysis::detectShocks(v, {}, analysis::ShockThresholds());
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].ms, 100'500);
    EXPECT_EQ(events[0].axis, 0);
    EXPECT_FLOAT_EQ(events[0].peakG, -2.6f);
    EXPECT_EQ(events[1].ms, 300'000);
    EXPECT_EQ(events[2].ms, 302'100);
    // Two seconds apart is apart.
    EXPECT_EQ(events[3].ms, 500'000);
    EXPECT_EQ(events[4].ms, 502'000);
    EXPECT_FALSE(events[0].hasFix);  // no GPS at all
}

TEST(Shocks, RestIsTheMountingNotZero) {
    // A sensor mounted on its side: gravity on X. A blow of 1.5 g on X on top
    // of it is a shock; gravity is not, and neither is a brief manoeuvre.
    std::vector<analysis::GsensorSample> v;
    for (std::int64_t ms = 0; ms < 900'000; ms += 100) {
        const bool turning = ms >= 400'000 && ms < 408'000;
        v.push_back(at(ms, ms == 60'000 ? 2.5f : 1.0f, turning ? 0.9f : 0.0f, 0.02f));
    }
    const auto events = analysis::detectShocks(v, {}, analysis::ShockThresholds());
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].ms, 60'000);
    EXPECT_NEAR(events[0].peakG, 1.5f, 1e-4);
}

TEST(Shocks, CardLevelsSetTheThresholds) {
    const testsupport::TempDir dir("levels");
    const fs::path root = dir.path();
    const std::vector<analysis::GsensorSample> v = restWithBlows({50'000}, 0.9f);

    // No setup file: the recorder's default level, which a 0.9 g blow stays under.
    analysis::ShockLevels levels = analysis::readShockLevels(root.string());
    EXPECT_FALSE(levels.fromCard);
    EXPECT_TRUE(
        analysis::detectShocks(v, {}, analysis::ShockThresholds::fromLevels(levels)).empty());

    // The most sensitive level on Y only, as QSettings writes top-level keys.
    std::ofstream(root / "DVRSETUP.INI") << "[General]\r\nDVR_NAME=abc\r\nSHOCK_DRIVE_X=1\r\n"
                                            "SHOCK_DRIVE_Y=10\r\nSHOCK_DRIVE_Z=oops\r\n\r\n"
                                            "[OTHER]\r\nSHOCK_DRIVE_X=10\r\n";
    levels = analysis::readShockLevels(root.string());
    EXPECT_TRUE(levels.fromCard);
    EXPECT_EQ(levels.level[0], 1);
    EXPECT_EQ(levels.level[1], 10);
    EXPECT_EQ(levels.level[2], analysis::kDefaultShockLevel);
    const analysis::ShockThresholds t = analysis::ShockThresholds::fromLevels(levels);
    EXPECT_GT(t.g[0], t.g[2]);
    EXPECT_LT(t.g[1], t.g[2]);
    EXPECT_EQ(analysis::detectShocks(v, {}, t).size(), 1u);
    // Levels outside the slider's range are its ends.
    EXPECT_EQ(analysis::thresholdForLevel(0), analysis::thresholdForLevel(1));
    EXPECT_EQ(analysis::thresholdForLevel(99), analysis::thresholdForLevel(10));
}
