#pragma once

// Reads the GPS fixes and G-sensor samples of a day folder.
//
// Recordings: every ".ssf" file of the folder bigger than 300 bytes, its
// channel from characters 7-8 of its name, its period from characters 1-6.
// Only the sample packets are taken apart; video and audio payloads are
// stepped over. A file's data ends where the channel reader's does: at a short
// read, a packet of impossible length, a packet the parser refuses, or the
// I-frame table. Sample instants are the file's start (its file properties,
// or its name when they hold no valid date) plus the packet's time stamp.
//
// Channels: for each recording period the lowest channel whose file has GPS
// fixes gives the fixes, and the lowest one with G-sensor samples gives those
// (the recorder writes the same vehicle samples into every channel). Where
// periods of different channels overlap, a sample of a lower channel wins
// over one of a higher channel at the same instant.
//
// Logs: where no recording holds a G-sensor sample within a second of the
// day, the samples of the hourly log logs/<yyyymmdd>m/<hh>.mlog under the
// card root are taken instead (flagged fromLog). A log line reads as the
// G-sensor graph reads it (see views/GsensorLog.h), with the millisecond of
// field 3 when it is a number 0-999.
//
// Threading: readDay may be called from any thread and runs `threads` worker
// threads of its own, all joined before it returns; it keeps no state between
// calls. `cancel`, when given, may be set by any thread: the workers look at
// it between packets and files, and readDay then returns false soon.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/DayData.h"

namespace analysis {

struct ReadOptions {
    // Where the logs folder lies; empty for the day folder's parent.
    std::string cardRoot;
    // Worker threads; 0 for one per processor core.
    int threads = 0;
    // Whether hourly logs fill the seconds no recording covers.
    bool useLogs = true;
};

// Reads a whole day folder into *out (replacing what it held). False when the
// folder's name is not a day (yyyymmdd) or when cancelled; *out then holds
// nothing useful. A day without recordings or logs is a success with no
// samples.
bool readDay(const std::string& dayFolder, const ReadOptions& options,
             const std::atomic<bool>* cancel, DayData* out);

// The samples of one recording file, in file order, timed against the
// midnight of `dayDate` (yyyymmdd). `opened` is false when the file cannot be
// opened or its header unit cannot be read; `timed` false when neither its
// file properties nor its name give a start instant (no samples then).
struct RecordingSamples {
    bool opened = false;
    bool timed = false;
    std::vector<GpsFix> fixes;
    std::vector<GsensorSample> gsensor;
};
RecordingSamples readRecordingSamples(const std::string& path, int channel, int dayDate,
                                      const std::atomic<bool>* cancel = nullptr);

// One line of an hourly log of hour `hour`; false for a line that is no usable
// G-sensor sample.
bool parseGsensorLogLine(const char* line, std::size_t length, int hour, GsensorSample* out);

// The card root of a day folder: its parent folder ("." for a bare name).
std::string cardRootOf(const std::string& dayFolder);

// "<cardRoot>/logs/<yyyymmdd>m/<hh>.mlog".
std::string gsensorLogPath(const std::string& cardRoot, int dayDate, int hour);

// The usable lines of one hourly log, in file order; empty when it cannot be
// read.
std::vector<GsensorSample> readGsensorLog(const std::string& path, int hour);

}  // namespace analysis
