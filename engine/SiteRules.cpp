#include "engine/SiteRules.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>

#include "engine/PlaybackTypes.h"

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

ptime referenceInstant(const std::vector<ptime>& instants, bool backward) {
    ptime reference;
    for (const ptime& instant : instants) {
        if (instant.is_special()) {
            continue;
        }
        if (reference.is_special() || (backward ? instant > reference : instant < reference)) {
            reference = instant;
        }
    }
    return reference;
}

bool needsResync(ptime clock, ptime reference) {
    if (clock.is_special() || reference.is_special()) {
        return false;
    }
    const pt::time_duration gap = clock > reference ? clock - reference : reference - clock;
    return gap > pt::milliseconds(kResyncThresholdMs);
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
