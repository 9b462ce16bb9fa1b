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

// A channel this far behind the most advanced one (in play time) is lagging:
// the clock does not wait for it.
inline constexpr int kLagLimitMs = 10000;

// Where a clock cycle sets the clock, or unset to leave it, from the
// instants the decode workers wait for or showed last (`currents`, unset ones
// ignored), in the play direction:
// - every channel more than kResyncThresholdMs ahead of the clock (a gap in
//   the recordings): the clock jumps to the nearest of them;
// - otherwise, when the clock ran more than kResyncThresholdMs ahead of the
//   slowest channel that keeps within kLagLimitMs of the most advanced one
//   (decoding cannot keep up): the clock goes back to that channel.
// A single lagging channel never drags the clock back, and channels that
// wait for a later recording never pull it forward while others play.
ptime resyncTarget(ptime clock, const std::vector<ptime>& currents, bool backward);

// The instant an unset clock starts at when a worker has presented `frame`,
// the first picture after a repositioning to `anchor`: the frame's instant
// less the presentation lead in the play direction of `playMode` (`leadMs`
// in forward and backward play, none in single steps), so that the pictures
// after it keep the pace they keep all along (each one presented that lead
// before the clock reaches it) instead of crowding in as early as they can
// be decoded. A frame more than kResyncThresholdMs away from the anchor (a
// channel that has nothing near the target) starts the clock at the anchor.
ptime clockStart(ptime frame, ptime anchor, int playMode, int leadMs);

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
