#pragma once

// The recorded spans of a day folder, for the day timeline: when during the
// day the recorder was recording, and where it was not.
//
// Every recording file the day listing accepts (DayListing.h) counts once per
// start time: channels record the same periods, so the files that share a
// start name are looked at in name order until one of them gives an end (its
// last key frame, SSFChannelReader::fileEnd). A start time whose files give
// no end (damaged index and table) still marks a moment of recording. Spans
// that touch or lie closer than kJoinGapMs apart are joined: the last key
// frame of a file lies up to a key-frame interval before the next file starts.
//
// Threading: a free function without shared state; it only reads files, so it
// may run on any thread (the main window runs it on a worker thread).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace daySpans {

// Milliseconds of the day, 0 .. kDayMs.
constexpr std::int64_t kDayMs = 24LL * 3600 * 1000;
// Gaps up to this long between two recordings are not shown as gaps.
constexpr std::int64_t kJoinGapMs = 2000;

struct Span {
    std::int64_t startMs = 0;  // inclusive
    std::int64_t endMs = 0;    // inclusive; equal to startMs for a single moment
};

// Spans of the folder's recordings in time order, cut to the folder's day.
// Empty when the folder is not a day folder or holds no recording.
// `keepGoing`, when set, is asked before each file; false ends the work and
// the result is empty.
std::vector<Span> recordedSpans(const std::string& dayFolder,
                                const std::function<bool()>& keepGoing = {});

// Joins overlapping spans and spans closer than kJoinGapMs; sorts by start.
std::vector<Span> joinSpans(std::vector<Span> spans);

}  // namespace daySpans
