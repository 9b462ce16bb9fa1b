#pragma once

// The samples a day folder's recordings carry beside the video, as the
// analysis reads them: GPS fixes (1 Hz) and G-sensor samples (10 Hz).
//
// Times are milliseconds from 00:00:00 of the day folder's date, in the
// recorder's local time (no time zone is applied anywhere). A recording that
// runs past midnight gives times of 86,400,000 and more; one whose start lies
// before the day (a clock set back) gives negative times. Both are kept as
// they are: the day's recordings own them.
//
// Threading: plain values.

#include <cstdint>
#include <vector>

namespace analysis {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Speed over ground: the recorder stores knots.
constexpr double kKmhPerKnot = 1.852;
constexpr double kMphPerKnot = 1.150779;

struct GpsFix {
    std::int64_t ms = 0;     // time of the fix, ms from the day's midnight
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
    double knots = 0.0;      // speed over ground; 0 when the record holds none
    int channel = 0;         // the channel whose recording carried it
    // The position is a position: finite, within the globe and not 0/0
    // (what a receiver without a fix writes). Invalid fixes stay in the track
    // (one point per recorded fix) but take no part in distances or the map.
    bool valid = false;
};

// The G-sensor's three axes in g, cut to hundredths as the records are.
struct GsensorSample {
    std::int64_t ms = 0;
    float axis[3] = {0.0f, 0.0f, 0.0f};  // X, Y, Z
    int channel = 0;                     // the recording's channel; -1 for a log sample
    bool fromLog = false;                // taken from an hourly log where no recording had it
};

// A day folder's samples in time order.
struct DayData {
    int date = 0;  // yyyymmdd of the day folder; 0 when its name is not a day
    std::vector<GpsFix> fixes;
    std::vector<GsensorSample> gsensor;
    int recordingsRead = 0;    // recording files opened and walked
    int recordingsFailed = 0;  // recording files that could not be read at all
    int logsRead = 0;          // hourly logs read to fill gaps
};

}  // namespace analysis
