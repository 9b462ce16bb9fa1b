#include "analysis/DayAnalysis.h"

namespace analysis {

bool analyseDay(const std::string& dayFolder, const AnalysisOptions& options,
                const std::atomic<bool>* cancel, DayAnalysis* out) {
    *out = DayAnalysis();
    out->dayFolder = dayFolder;
    out->cardRoot = options.read.cardRoot.empty() ? cardRootOf(dayFolder) : options.read.cardRoot;
    ReadOptions read = options.read;
    read.cardRoot = out->cardRoot;
    if (!readDay(dayFolder, read, cancel, &out->data)) {
        return false;
    }
    out->levels = readShockLevels(out->cardRoot);
    const ShockThresholds thresholds =
        options.thresholds ? *options.thresholds : ShockThresholds::fromLevels(out->levels);
    out->trip = summariseTrip(out->data.fixes, 0);
    return detectEvents(out, thresholds, cancel);
}

bool detectEvents(DayAnalysis* day, const ShockThresholds& thresholds,
                  const std::atomic<bool>* cancel) {
    std::vector<ShockEvent> events =
        detectShocks(day->data.gsensor, day->data.fixes, thresholds, cancel);
    if (cancel != nullptr && cancel->load()) {
        return false;
    }
    day->events = std::move(events);
    day->thresholds = thresholds;
    day->trip.events = static_cast<int>(day->events.size());
    return true;
}

}  // namespace analysis
