// The site's pure rules: reading patterns, valid play times, clock advance and
// resynchronisation, and which worker a time query follows.

#include <gtest/gtest.h>

#include <boost/date_time/posix_time/posix_time.hpp>

#include "core/PlaybackTypes.h"
#include "engine/SiteRules.h"

namespace pt = boost::posix_time;
using namespace siterules;

namespace {

const ptime kT(boost::gregorian::date(2026, 3, 1), pt::time_duration(12, 0, 30));

TEST(SiteRules, ReadingPatternChanges) {
    // Within fast forward or within backward the readers keep reading key
    // frames the same way.
    EXPECT_FALSE(crossesReadingPattern(10, 12));
    EXPECT_FALSE(crossesReadingPattern(9, 14));
    EXPECT_FALSE(crossesReadingPattern(4, 2));
    EXPECT_FALSE(crossesReadingPattern(0, 6));
    // Every change from or to still or normal speed, and every change of
    // direction, repositions.
    EXPECT_TRUE(crossesReadingPattern(10, 8));
    EXPECT_TRUE(crossesReadingPattern(8, 9));
    EXPECT_TRUE(crossesReadingPattern(4, 7));
    EXPECT_TRUE(crossesReadingPattern(7, 8));
    EXPECT_TRUE(crossesReadingPattern(8, 7));
    EXPECT_TRUE(crossesReadingPattern(6, 8));
    EXPECT_TRUE(crossesReadingPattern(6, 10));
    EXPECT_TRUE(crossesReadingPattern(12, 2));

    EXPECT_EQ(playModeForSpeedIndex(8), PLAYMODE_FORWARD);
    EXPECT_EQ(playModeForSpeedIndex(14), PLAYMODE_FORWARD);
    EXPECT_EQ(playModeForSpeedIndex(6), PLAYMODE_BACKWARD);
    EXPECT_EQ(playModeForSpeedIndex(0), PLAYMODE_BACKWARD);
    EXPECT_EQ(playModeForSpeedIndex(7), PLAYMODE_STILL);
}

TEST(SiteRules, PlayTimeValidity) {
    EXPECT_TRUE(isValidPlayTime(2000, 1, 1, 0, 0, 0));
    EXPECT_TRUE(isValidPlayTime(2026, 12, 31, 23, 60, 60));
    EXPECT_FALSE(isValidPlayTime(1999, 12, 31, 23, 59, 59));
    EXPECT_FALSE(isValidPlayTime(2026, 0, 1, 0, 0, 0));
    EXPECT_FALSE(isValidPlayTime(2026, 13, 1, 0, 0, 0));
    EXPECT_FALSE(isValidPlayTime(2026, 1, 0, 0, 0, 0));
    EXPECT_FALSE(isValidPlayTime(2026, 1, 32, 0, 0, 0));
    EXPECT_FALSE(isValidPlayTime(2026, 1, 1, 24, 0, 0));
    EXPECT_FALSE(isValidPlayTime(2026, 1, 1, 0, 61, 0));
    EXPECT_FALSE(isValidPlayTime(2026, 1, 1, 0, 0, 61));
    EXPECT_FALSE(isValidPlayTime(2026, 1, 1, -1, 0, 0));

    PlayTime split;
    ASSERT_TRUE(splitPlayTime(kT + pt::milliseconds(250), &split));
    EXPECT_EQ(split.date(), 20260301);
    EXPECT_EQ(split.time(), 120030);
    EXPECT_EQ(split.millisecond, 250);

    PlayTime untouched;
    untouched.year = 7;
    const ptime old(boost::gregorian::date(1999, 12, 31), pt::time_duration(23, 59, 59));
    EXPECT_FALSE(splitPlayTime(old, &untouched));
    EXPECT_FALSE(splitPlayTime(ptime(), &untouched));
    EXPECT_EQ(untouched.year, 7);
}

TEST(SiteRules, ClockAdvance) {
    // 20 ms of real time at every speed of the table.
    for (int index = 0; index < kSpeedIndexCount; ++index) {
        EXPECT_EQ(advanceClock(kT, index, 20000), kT + pt::milliseconds(20 * SpeedTable[index]))
            << "index " << index;
    }
    EXPECT_EQ(advanceClock(kT, kSpeedIndexStill, 1000000), kT);
    EXPECT_EQ(advanceClock(kT, 10, 1500), kT + pt::microseconds(6000));
    EXPECT_TRUE(advanceClock(ptime(), 8, 20000).is_not_a_date_time());
    EXPECT_EQ(advanceClock(kT, 15, 20000), kT);
    EXPECT_EQ(advanceClock(kT, -1, 20000), kT);
}

TEST(SiteRules, TheClockFollowsThePlayingChannelsNeverALaggingOne) {
    const auto at = [](int ms) { return kT + pt::milliseconds(ms); };
    // In step with the clock, or within the threshold: left alone.
    EXPECT_TRUE(resyncTarget(at(0), {at(-2900), at(2900), ptime()}, false).is_not_a_date_time());
    // One channel 60 s behind (it had no recording at a jump's target and was
    // sent back to an old one): the clock stays with the others.
    EXPECT_TRUE(resyncTarget(at(0), {at(-60000), at(100), at(50)}, false).is_not_a_date_time());
    EXPECT_TRUE(resyncTarget(at(0), {at(60000), at(-100)}, true).is_not_a_date_time());
    // Channels waiting for a later recording do not pull the clock while
    // one plays; when all of them wait, the clock skips to the nearest.
    EXPECT_TRUE(resyncTarget(at(0), {at(600000), at(200)}, false).is_not_a_date_time());
    EXPECT_EQ(resyncTarget(at(0), {at(600000), at(5000), ptime()}, false), at(5000));
    EXPECT_EQ(resyncTarget(at(0), {at(-600000), at(-5000)}, true), at(-5000));
    // The clock ran ahead of every channel (decoding cannot keep up): back to
    // the slowest of those that keep together, not to the lagging one.
    EXPECT_EQ(resyncTarget(at(0), {at(-4000), at(-9000), at(-60000)}, false), at(-9000));
    EXPECT_EQ(resyncTarget(at(0), {at(4000), at(9000), at(60000)}, true), at(9000));
    EXPECT_TRUE(resyncTarget(ptime(), {at(0)}, false).is_not_a_date_time());
    EXPECT_TRUE(resyncTarget(at(0), {}, false).is_not_a_date_time());

    // After a jump the clock starts at the first picture shown less the
    // presentation lead in the play direction (none in single steps), unless
    // that picture is far from the target.
    EXPECT_EQ(clockStart(at(700), at(0), PLAYMODE_FORWARD, 240), at(460));
    EXPECT_EQ(clockStart(at(-2000), at(0), PLAYMODE_BACKWARD, 240), at(-1760));
    EXPECT_EQ(clockStart(at(700), at(0), PLAYMODE_STEP_FORWARD, 240), at(700));
    EXPECT_EQ(clockStart(at(700), at(0), PLAYMODE_STEP_BACKWARD, 240), at(700));
    EXPECT_EQ(clockStart(at(600000), at(0), PLAYMODE_FORWARD, 240), at(0));
    EXPECT_EQ(clockStart(at(-600000), at(0), PLAYMODE_BACKWARD, 240), at(0));
    EXPECT_EQ(clockStart(at(5), ptime(), PLAYMODE_FORWARD, 240), at(-235));
    EXPECT_TRUE(clockStart(ptime(), at(0), PLAYMODE_FORWARD, 240).is_not_a_date_time());
}

TEST(SiteRules, QueriesFollowTheWorkerOfTheMode) {
    // mode:                       0      1      2      3      4
    const bool current[] = {true, false, false, false, false};
    const bool position[] = {true, false, true, false, false};
    const bool step[] = {true, false, false, true, false};
    for (int mode = 0; mode <= 4; ++mode) {
        EXPECT_EQ(currentTimeTakesLatest(mode), current[mode]) << mode;
        EXPECT_EQ(playPositionTakesLatest(mode), position[mode]) << mode;
        EXPECT_EQ(stepTargetTakesLatest(mode), step[mode]) << mode;
    }
}

}  // namespace
