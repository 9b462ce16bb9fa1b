#pragma once

// korvel_mkcard_lib: writes a complete demo card of the black box, for demos and
// for tests that need real recordings (call makeCard in-process).
//
// What a card holds, below CardOptions::outDir:
//   DVRSETUP.INI                      setup file in EUC-KR (vehicle number, firmware,
//                                     camera count, device/camera/storage keys)
//   ZD-3100.INI                       only with modelIni: the setup for the recorder to
//                                     take over (DVRSETUP.INI's keys but INFORMATION,
//                                     with modelSettings applied)
//   yyyymmdd/hhmmssCC0.ssf            one recording per channel CC (00-31) and period,
//   yyyymmdd/hhmmssCC0.idx            its index file; the day folder is the file's
//                                     start date, the name its start time
//   logs/yyyymmddm/HH.mlog            hourly G-sensor logs, one line per sample
//
// Every channel records the same periods: file k of every channel starts at
// start + k * secondsPerFile and lasts secondsPerFile. Its title is "CH<n>" with
// n = channel + 1. Packets, in time-stamp order (ties: video, audio, GPS, G-sensor):
//   stream 1  video: one H.264 access unit (Annex B) per picture at i * 1000 / fps
//             ms; an IDR picture with SPS and PPS (flags 0x81) every second from 0.
//             The picture shows "CH<n>", the date and the time to the tenth.
//   stream 2  audio: G.711 blocks of 800 bytes every 100 ms, or ADPCM packets of
//             two 168-byte frames every 80 ms; a tone of 400 + 100 * channel Hz.
//   stream 3  GPS, once a second at whole seconds, with the packet extension.
//   stream 4  G-sensor, every 100 ms.
// Then the I-frame table. The vehicle's GPS and G-sensor values are the same in
// every channel and in the logs.
//
// The output is a function of the options alone: the same options give the same
// bytes whatever the number of worker threads (with the same x264 and libm).
//
// Threading: every function here may be called from any thread. makeCard starts
// and joins its own worker threads and keeps no global state, so concurrent calls
// on different output folders are safe.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "CivilTime.h"
#include "Telemetry.h"

namespace mkcard {

enum class AudioCoding { None, Ulaw, Alaw, Adpcm };

enum class FaultKind {
    NoIndex,              // the .idx file is not written
    TruncatedIndex,       // the .idx file ends 8 bytes into its last entry
    NoIFrameTable,        // I-frame table offset 0 and no table at the end
    TruncatedLastPacket,  // power loss: no I-frame table, the file ends halfway
                          // through its last packet (the .idx lists only whole packets)
    InvalidStartDate,     // start date 0000-00-00 in the file properties (clock unset)
    BadNames,             // extra entries that a scan must pass over (see below)
};

// A fault hits the recordings of one channel and file index, or every one (-1).
// BadNames ignores channel and file and adds, beside the normal card:
//   <first day>/ab3456000.ssf (+.idx)   copy of channel 0's first file, time not numeric
//   <first day>/<hhmmss>990.ssf (+.idx) the same copy as channel 99
//   <first day>/<hhmmss>009.ssf         its first 300 bytes only
//   <yyyy-mm>/<name of that file>       a day folder whose name is not yyyymmdd
struct Fault {
    FaultKind kind = FaultKind::NoIndex;
    int channel = -1;
    int file = -1;
};

struct CardOptions {
    std::string outDir;  // created when missing; existing files are overwritten
    CivilTime start{2026, 3, 1, 12, 0, 0};
    int filesPerChannel = 3;  // 1 ..
    int secondsPerFile = 60;  // 1 .. 3599 (a recording covers less than an hour)
    int channels = 4;         // 1 .. 32
    int width = 640;          // even, 64 .. 4096
    int height = 360;         // even, 48 .. 2304
    int fps = 15;             // 1 .. 60
    AudioCoding audio = AudioCoding::Ulaw;
    uint64_t seed = 1;
    std::string vehicleNumber = "서울12가3456";  // UTF-8; stored in EUC-KR as given
    // Camera titles of the setup files, UTF-8, from CH1 on; the rest "CH<n>".
    std::vector<std::string> titles;
    bool modelIni = false;  // also write ZD-3100.INI
    // KEY ("SECTION/NAME" or "NAME") and value pairs set in ZD-3100.INI.
    std::vector<std::pair<std::string, std::string>> modelSettings;
    std::vector<Fault> faults;
    int jobs = 0;  // worker threads; 0 = one per processor core
};

// One recording of the card, paths relative to outDir.
struct PlannedFile {
    int channel = 0;
    int index = 0;  // period number, 0 = first
    CivilTime start;
    int durationMs = 0;
    std::string ssfPath;  // "20260301/120000000.ssf"
    std::string idxPath;  // "20260301/120000000.idx"
};

// Longest card: 7 days of recording per channel.
constexpr int64_t kMaxCardSeconds = 7 * 24 * 3600;

// Constants of the written recordings.
constexpr int kAudioSampleRate = 8000;
constexpr uint8_t kVideoStream = 1;
constexpr uint8_t kAudioStream = 2;
constexpr uint8_t kGpsStream = 3;
constexpr uint8_t kGsensorStream = 4;

// Checks the options; on failure *error holds a one-line reason.
bool validateOptions(const CardOptions& options, std::string* error);

// The recordings makeCard writes, channel-major (all files of channel 0 first).
// Options must be valid.
std::vector<PlannedFile> planCard(const CardOptions& options);

// The vehicle's samples the card's recordings and logs carry: its route (GPS
// sample s at options.start + s seconds, routeMetres long) and its shocks
// (Telemetry::shocks, at options.start + sample * 100 ms). Options must be
// valid.
Telemetry cardTelemetry(const CardOptions& options);

// Writes the card. On failure returns false with a one-line reason in *error
// (error may be null); whatever was written so far stays.
bool makeCard(const CardOptions& options, std::string* error);

// Command line of korvel-mkcard, without the program name. Sets *wantHelp (and
// returns true) for --help. On a bad option returns false with a one-line reason.
bool parseCardOptions(const std::vector<std::string>& args, CardOptions* options, bool* wantHelp,
                      std::string* error);

// The --help text.
std::string cardUsage();

}  // namespace mkcard
