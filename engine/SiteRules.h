#pragma once

// The decisions a recording-file site takes, as plain functions: which speed
// changes need the media source to read differently, which instants make a
// sensible play time, how the presentation clock advances and when it is
// pulled back to what the decode workers are showing.
//
// Threading: pure functions, callable from any thread.

#include <cstdint>
#include <vector>

#include <boost/date_time/posix_time/posix_time_types.hpp>

namespace siterules {

using ptime = boost::posix_time::ptime;

// How far the clock may drift from the workers' reference instant before the
// clock is set to it.
inline constexpr int kResyncThresholdMs = 3000;

// A channel reader reads every packet at speed index 7 and 8 and only key
// frames elsewhere, forward above 8 and backward below 7. A change between two
// indexes crosses a reading pattern unless both are below 7 or both above 8.
bool crossesReadingPattern(int oldIndex, int newIndex);

// The play mode a speed change sets: forward above 7, backward below 7, still
// at 7.
int playModeForSpeedIndex(int speedIndex);

// A play time the site hands out: year from 2000, month 1..12, day 1..31,
// hour 0..23, minute and second 0..60.
bool isValidPlayTime(int year, int month, int day, int hour, int minute, int second);

struct PlayTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    int date() const { return (year * 100 + month) * 100 + day; }
    int time() const { return (hour * 100 + minute) * 100 + second; }
};

// Splits an instant; false for an unset instant or one that is no valid play
// time (then *out is left unchanged).
bool splitPlayTime(ptime instant, PlayTime* out);

// The clock after `elapsedMicroseconds` of real time at the speed of the
// index: negative speeds run it back, index 7 leaves it. An unset clock or an
// invalid index leaves it as it is.
ptime advanceClock(ptime clock, int speedIndex, std::int64_t elapsedMicroseconds);

// The instant the clock follows: the latest of the set instants when running
// backward, the earliest otherwise; unset when none is set.
ptime referenceInstant(const std::vector<ptime>& instants, bool backward);

// True when both are set and they differ by more than kResyncThresholdMs.
bool needsResync(ptime clock, ptime reference);

// Which worker a time query follows: true for the one with the latest
// instant, false for the earliest, by the play mode in force.
// The current play time: latest in forward play, earliest otherwise.
bool currentTimeTakesLatest(int playMode);
// Where play and reverse restart: latest in forward play and forward steps.
bool playPositionTakesLatest(int playMode);
// Where a single step puts the clock: latest in forward play and backward
// steps.
bool stepTargetTakesLatest(int playMode);

}  // namespace siterules
