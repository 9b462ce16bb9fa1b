#include "engine/SiteRules.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>

#include "core/PlaybackTypes.h"

namespace pt = boost::posix_time;

namespace siterules {

bool crossesReadingPattern(int oldIndex, int newIndex) {
    const bool bothBackward = oldIndex < kSpeedIndexStill && newIndex < kSpeedIndexStill;
    const bool bothFastForward = oldIndex > kSpeedIndexNormal && newIndex > kSpeedIndexNormal;
    return !bothBackward && !bothFastForward;
}

int playModeForSpeedIndex(int speedIndex) {
    if (speedIndex > kSpeedIndexStill) {
        return PLAYMODE_FORWARD;
    }
    if (speedIndex < kSpeedIndexStill) {
        return PLAYMODE_BACKWARD;
    }
    return PLAYMODE_STILL;
}

bool isValidPlayTime(int year, int month, int day, int hour, int minute, int second) {
    return year >= 2000 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 &&
           hour <= 23 && minute >= 0 && minute <= 60 && second >= 0 && second <= 60;
}

bool splitPlayTime(ptime instant, PlayTime* out) {
    if (instant.is_special()) {
        return false;
    }
    const boost::gregorian::date day = instant.date();
    const pt::time_duration clock = instant.time_of_day();
    PlayTime split;
    split.year = day.year();
    split.month = day.month();
    split.day = day.day();
    split.hour = static_cast<int>(clock.hours());
    split.minute = static_cast<int>(clock.minutes());
    split.second = static_cast<int>(clock.seconds());
    split.millisecond = static_cast<int>(clock.fractional_seconds() /
                                         (pt::time_duration::ticks_per_second() / 1000));
    if (!isValidPlayTime(split.year, split.month, split.day, split.hour, split.minute,
                         split.second)) {
        return false;
    }
    if (out != nullptr) {
        *out = split;
    }
    return true;
}

ptime advanceClock(ptime clock, int speedIndex, std::int64_t elapsedMicroseconds) {
    if (clock.is_special() || !isValidSpeedIndex(speedIndex)) {
        return clock;
    }
    return clock + pt::microseconds(SpeedTable[speedIndex] * elapsedMicroseconds);
}

namespace {

bool isAhead(ptime t, ptime of, bool backward) {
    return backward ? t < of : t > of;
}

// How far t lies ahead of `of` in the play direction (negative: behind).
pt::time_duration lead(ptime t, ptime of, bool backward) {
    return backward ? of - t : t - of;
}

}  // namespace

ptime resyncTarget(ptime clock, const std::vector<ptime>& currents, bool backward) {
    if (clock.is_special()) {
        return ptime();
    }
    const pt::time_duration threshold = pt::milliseconds(kResyncThresholdMs);
    // Channels further ahead than the threshold wait for a later recording
    // and say nothing about where playback is; the others do.
    ptime firstAhead;
    std::vector<ptime> near;
    for (const ptime& t : currents) {
        if (t.is_special()) {
            continue;
        }
        if (lead(t, clock, backward) > threshold) {
            if (firstAhead.is_special() || isAhead(firstAhead, t, backward)) {
                firstAhead = t;
            }
        } else {
            near.push_back(t);
        }
    }
    if (near.empty()) {
        // Every channel is well ahead: a gap in the recordings, skipped.
        return firstAhead;
    }
    ptime most = near.front();
    for (const ptime& t : near) {
        if (isAhead(t, most, backward)) {
            most = t;
        }
    }
    // The slowest channel that keeps up with the most advanced one; a channel
    // further behind is lagging and catches up on its own.
    ptime slowest = most;
    for (const ptime& t : near) {
        if (lead(most, t, backward) <= pt::milliseconds(kLagLimitMs) && isAhead(slowest, t, backward)) {
            slowest = t;
        }
    }
    if (lead(clock, slowest, backward) > threshold) {
        return slowest;
    }
    return ptime();
}

ptime clockStart(ptime frame, ptime anchor, int playMode, int leadMs) {
    if (frame.is_special()) {
        return frame;
    }
    if (!anchor.is_special()) {
        const pt::time_duration gap = frame > anchor ? frame - anchor : anchor - frame;
        if (gap > pt::milliseconds(kResyncThresholdMs)) {
            return anchor;
        }
    }
    switch (playMode) {
        case PLAYMODE_FORWARD:
            return frame - pt::milliseconds(leadMs);
        case PLAYMODE_BACKWARD:
            return frame + pt::milliseconds(leadMs);
        default:
            return frame;
    }
}

bool currentTimeTakesLatest(int playMode) {
    return playMode == PLAYMODE_FORWARD;
}

bool playPositionTakesLatest(int playMode) {
    return playMode == PLAYMODE_FORWARD || playMode == PLAYMODE_STEP_FORWARD;
}

bool stepTargetTakesLatest(int playMode) {
    return playMode == PLAYMODE_FORWARD || playMode == PLAYMODE_STEP_BACKWARD;
}

}  // namespace siterules
