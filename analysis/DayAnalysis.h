#pragma once

// A day folder in, its track, shock events and trip out: what the viewer shows
// beside the video (route, events, speed, trip), what korvel-probe prints and
// what exports of the track build on. Pieces: DayReader.h (reading the
// samples), Shocks.h (events and the shock levels), Track.h (distances, trip,
// map lines).
//
//   analysis::DayAnalysis day;
//   std::atomic<bool> cancel{false};
//   if (analysis::analyseDay("/media/card/20260301", {}, &cancel, &day)) {
//       day.data.fixes ... day.events ... day.trip ...
//   }
//   // Other thresholds later, without reading again:
//   analysis::detectEvents(&day, analysis::ShockThresholds::uniform(0.8));
//
// Threading: analyseDay blocks its caller for the whole reading (run it off
// the GUI thread: a day of recordings takes up to a second, more on a slow
// card) and uses worker threads of its own, joined before it returns. It keeps
// no state: concurrent calls are independent. `cancel` may be set from any
// thread; the call then returns false soon. A DayAnalysis is a plain value:
// once made it may be read from any number of threads.

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "analysis/DayData.h"
#include "analysis/DayReader.h"
#include "analysis/Shocks.h"
#include "analysis/Track.h"

namespace analysis {

struct AnalysisOptions {
    ReadOptions read;
    // Thresholds to detect with; none for those of the card's shock levels
    // (DVRSETUP.INI under the card root).
    std::optional<ShockThresholds> thresholds;
};

struct DayAnalysis {
    std::string dayFolder;
    std::string cardRoot;
    DayData data;
    ShockLevels levels;          // the card's levels (defaults when not found)
    ShockThresholds thresholds;  // the thresholds the events were found with
    std::vector<ShockEvent> events;
    TripSummary trip;
};

// Reads the day's samples, finds its events and sums up its trip. False when
// the folder's name is not a day (yyyymmdd) or when cancelled.
bool analyseDay(const std::string& dayFolder, const AnalysisOptions& options,
                const std::atomic<bool>* cancel, DayAnalysis* out);

// Finds the events again with other thresholds and updates the trip's event
// count. False (and nothing changed) when cancelled.
bool detectEvents(DayAnalysis* day, const ShockThresholds& thresholds,
                  const std::atomic<bool>* cancel = nullptr);

}  // namespace analysis
