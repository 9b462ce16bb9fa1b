// The day's samples read back from generated cards: one fix per recorded
// second from the lowest channel that has it, the route's length, the shocks
// where the generator put them, and what a damaged card leaves of it.

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "MakeCard.h"
#include "TestSupport.h"
#include "analysis/DayAnalysis.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kStartMs = 12 * 3600 * 1000LL;

// Six minutes of driving on 2 channels, in tiny pictures at 2 fps.
mkcard::CardOptions cardOptions(const std::string& tag) {
    mkcard::CardOptions o = testsupport::smallCard(tag);
    o.filesPerChannel = 6;
    o.secondsPerFile = 60;
    o.width = 64;
    o.height = 48;
    o.fps = 2;
    o.seed = 11;
    return o;
}

class DayReader : public ::testing::Test {
protected:
    static void SetUpTestSuite() { card_ = new testsupport::Card(cardOptions("day")); }
    static void TearDownTestSuite() {
        delete card_;
        card_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(card_->ok()) << card_->error();
        telemetry_ = mkcard::cardTelemetry(card_->options());
    }

    static analysis::DayAnalysis analyse(const std::string& card) {
        analysis::DayAnalysis day;
        const std::atomic<bool> cancel{false};
        EXPECT_TRUE(analysis::analyseDay(card + "/20260301", {}, &cancel, &day));
        return day;
    }

    static inline testsupport::Card* card_ = nullptr;
    mkcard::Telemetry telemetry_;
};

}  // namespace

TEST_F(DayReader, TrackRouteAndShocksOfTheCard) {
    const analysis::DayAnalysis day = analyse(card_->root());
    const mkcard::Telemetry& t = telemetry_;
    EXPECT_EQ(day.data.date, 20260301);
    EXPECT_EQ(day.data.recordingsRead, 6);  // channel 1 is not needed
    // The log of the hour is looked at for the seconds without recordings,
    // and has nothing there either.
    EXPECT_EQ(day.data.logsRead, 1);

    ASSERT_EQ(day.data.fixes.size(), t.gps.size());
    for (std::size_t s = 0; s < t.gps.size(); ++s) {
        const analysis::GpsFix& f = day.data.fixes[s];
        EXPECT_EQ(f.ms, kStartMs + static_cast<std::int64_t>(s) * 1000);
        EXPECT_EQ(f.channel, 0);
        EXPECT_TRUE(f.valid);
        EXPECT_DOUBLE_EQ(f.latitude, t.gps[s].latitude);
        EXPECT_DOUBLE_EQ(f.knots, t.gps[s].knots);
    }
    ASSERT_GT(t.routeMetres, 1000.0);
    EXPECT_NEAR(day.trip.distanceMetres, t.routeMetres, t.routeMetres * 0.01);
    ASSERT_EQ(day.data.gsensor.size(), t.gsensor.size());
    for (const analysis::GsensorSample& g : day.data.gsensor) {
        EXPECT_FALSE(g.fromLog);
    }

    ASSERT_EQ(day.events.size(), t.shocks.size());
    EXPECT_EQ(day.trip.events, static_cast<int>(t.shocks.size()));
    for (std::size_t k = 0; k < t.shocks.size(); ++k) {
        EXPECT_LE(std::llabs(day.events[k].ms - (kStartMs + t.shocks[k].sample * 100)), 200);
        EXPECT_FALSE(day.events[k].fromLog);
    }
}

TEST_F(DayReader, LowerChannelsAndLogsStandInForMissingRecordings) {
    const testsupport::TempDir copy("missing");
    fs::copy(card_->root(), copy.path(), fs::copy_options::recursive);
    const std::string& card = copy.path();
    // Channel 0 lost the fourth minute; both channels lost the minute of the
    // first shock, whose G-sensor samples remain in the hourly log.
    ASSERT_TRUE(fs::remove(card + "/20260301/120300000.ssf"));
    const int shockMinute = telemetry_.shocks[0].sample / 600;
    ASSERT_NE(shockMinute, 3);
    char name[32];
    for (int ch = 0; ch < 2; ++ch) {
        std::snprintf(name, sizeof name, "/20260301/12%02d00%02d0.ssf", shockMinute, ch);
        ASSERT_TRUE(fs::remove(card + name)) << name;
    }

    const analysis::DayAnalysis day = analyse(card);
    ASSERT_EQ(day.data.fixes.size(), telemetry_.gps.size() - 60);
    for (const analysis::GpsFix& f : day.data.fixes) {
        const std::int64_t minute = (f.ms - kStartMs) / 60'000;
        EXPECT_NE(minute, shockMinute);
        EXPECT_EQ(f.channel, minute == 3 ? 1 : 0) << f.ms;
    }
    EXPECT_EQ(day.data.gsensor.size(), telemetry_.gsensor.size());
    EXPECT_EQ(day.data.logsRead, 1);
    ASSERT_EQ(day.events.size(), telemetry_.shocks.size());
    EXPECT_TRUE(day.events[0].fromLog);
    EXPECT_LE(std::llabs(day.events[0].ms - (kStartMs + telemetry_.shocks[0].sample * 100)), 200);
    // No recording there: no fix to tell the speed.
    EXPECT_FALSE(day.events[0].hasFix);
}

TEST_F(DayReader, DamagedRecordingsGiveWhatTheyHold) {
    mkcard::CardOptions o = cardOptions("faults");
    o.channels = 1;
    o.filesPerChannel = 3;
    o.faults = {{mkcard::FaultKind::InvalidStartDate, 0, 0},
                {mkcard::FaultKind::TruncatedLastPacket, 0, 1},
                {mkcard::FaultKind::NoIndex, 0, 2},
                {mkcard::FaultKind::BadNames, -1, -1}};
    const testsupport::Card card(o);
    ASSERT_TRUE(card.ok()) << card.error();
    // A file of garbage and one cut inside its header unit.
    const std::string dayFolder = card.root() + "/20260301/";
    std::ofstream junk(dayFolder + "130000000.ssf", std::ios::binary);
    for (int i = 0; i < 5000; ++i) {
        junk.put(static_cast<char>(i * 7919 % 251));
    }
    junk.close();
    fs::copy_file(dayFolder + "120000000.ssf", dayFolder + "130100000.ssf");
    fs::resize_file(dayFolder + "130100000.ssf", 400);
    // A copy of the third recording under a name that tells no time.
    fs::copy_file(dayFolder + "120200000.ssf", dayFolder + "copy..000.ssf");
    const analysis::DayAnalysis day = analyse(card.root());
    // The cut one opens, but holds no packet; the copies under odd names
    // (channel 99, a time that is no time) add nothing twice.
    EXPECT_EQ(day.data.recordingsRead, 6);
    EXPECT_EQ(day.data.recordingsFailed, 1);
    // The file without a start date is timed by its name; the cut one loses
    // at most its last packets; every fix is in its second.
    ASSERT_GE(day.data.fixes.size(), 179u);
    ASSERT_LE(day.data.fixes.size(), 180u);
    for (std::size_t s = 0; s < day.data.fixes.size(); ++s) {
        EXPECT_EQ(day.data.fixes[s].ms, kStartMs + static_cast<std::int64_t>(s) * 1000);
    }
}

TEST_F(DayReader, CancelledOrNotADay) {
    analysis::DayAnalysis day;
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(analysis::analyseDay(card_->root() + "/20260301", {}, &cancel, &day));
    const std::atomic<bool> go{false};
    EXPECT_FALSE(analysis::analyseDay(card_->root() + "/logs", {}, &go, &day));
    // A day without anything is a day without samples.
    EXPECT_TRUE(analysis::analyseDay(card_->root() + "/20991231", {}, &go, &day));
    EXPECT_TRUE(day.data.fixes.empty());
    EXPECT_EQ(day.trip.distanceMetres, 0.0);
}

TEST(GsensorLogLine, ReadsAsTheGraphDoesWithTheMillisecond) {
    analysis::GsensorSample s;
    const std::string line =
        "[GS][000017][20180102-091507][300][7,2][X:0.01,Y:-0.02,Z:0.98,E:1]\r\n";
    ASSERT_TRUE(analysis::parseGsensorLogLine(line.data(), line.size(), 9, &s));
    EXPECT_EQ(s.ms, ((9 * 60 + 15) * 60 + 7) * 1000LL + 300);
    EXPECT_FLOAT_EQ(s.axis[1], -0.02f);
    EXPECT_FLOAT_EQ(s.axis[2], 0.98f);
    EXPECT_TRUE(s.fromLog);

    for (const std::string bad :
         {"[GS][17][20180102-091507][300][7,1][X:0.01,Y:-0.02,Z:0.98,E:1]",  // not G-sensor
          "[GS][17][20180102-091507][300][7,2][X:0.01,Y:-0.02,Z:0.98]",      // three values
          "[GS][17][20180102091507][300][7,2][X:0.01,Y:-0.02,Z:0.98,E:1]",   // no time
          "[GS][17][20180102-096107][300][7,2][X:0.01,Y:-0.02,Z:0.98,E:1]",  // minute 61
          "[GS][17][20180102-091507][300]"}) {
        EXPECT_FALSE(analysis::parseGsensorLogLine(bad.data(), bad.size(), 9, &s)) << bad;
    }
    // A value that is no number reads as 0; a millisecond that is none as 0.
    const std::string odd = "[GS][1][20180102-091507][x][7,2][X:abc,Y:nan,Z:1.5,E:0]";
    ASSERT_TRUE(analysis::parseGsensorLogLine(odd.data(), odd.size(), 0, &s));
    EXPECT_EQ(s.ms, (15 * 60 + 7) * 1000LL);
    EXPECT_EQ(s.axis[0], 0.0f);
    EXPECT_EQ(s.axis[1], 0.0f);
    EXPECT_FLOAT_EQ(s.axis[2], 1.5f);
}
