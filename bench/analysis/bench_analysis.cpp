// Times the day analysis (track, G-sensor samples, shock events, trip, map
// lines) on a whole day of recordings: one day folder with 24 x 60 one-minute
// files per channel, in small pictures (160x96 at 5 fps, mu-law audio), the
// same card bench_recording makes and caches (named after its options).
//
// References measured in the same run, page cache warm:
//   - the player's folder scan with prepare (scanFolder) of the same folder:
//     the analysis runs after it when a day opens;
//   - a plain read of channel 0's files, start to end, 1 MiB at a time.
// Measured: analyseDay with one worker per core and with one worker, then its
// steps alone on the day's samples: event detection, trip sums, map lines,
// and reading the day's hourly logs (what a day without recordings costs).
// The target: analyseDay under 1 s.
//
//   bench_analysis [--cache DIR] [--regenerate]
// Exit status 0, or 2 when the card cannot be made.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "MakeCard.h"
#include "analysis/DayAnalysis.h"
#include "core/Params.h"
#include "recording/DayListing.h"
#include "recording/FolderScan.h"
#include "recording/SSFChannelReader.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;

double secondsSince(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

class NullStream : public std::ostream {
public:
    NullStream() : std::ostream(nullptr) {}
};

struct Options {
    std::string cacheRoot = fs::temp_directory_path().string();
    bool regenerate = false;
};

mkcard::CardOptions cardOptions() {
    mkcard::CardOptions c;
    c.start = {2026, 3, 1, 0, 0, 0};
    c.filesPerChannel = 24 * 60;
    c.secondsPerFile = 60;
    c.channels = 2;
    c.width = 160;
    c.height = 96;
    c.fps = 5;
    c.audio = mkcard::AudioCoding::Ulaw;
    c.seed = 1;
    c.jobs = 2;
    return c;
}

// The key bench_recording names the same card with, so both share it.
std::string cardKey(const mkcard::CardOptions& c) {
    std::ostringstream key;
    key << "korvel-bench-recording-c" << c.channels << "-" << c.filesPerChannel << "x"
        << c.secondsPerFile << "s-" << c.width << "x" << c.height << "-" << c.fps << "fps-ulaw-s"
        << c.seed;
    return key.str();
}

bool ensureCard(mkcard::CardOptions* c, const Options& o) {
    const std::string key = cardKey(*c);
    c->outDir = (fs::path(o.cacheRoot) / key).string();
    const fs::path stamp = fs::path(c->outDir) / "bench-card.ok";
    std::ifstream in(stamp);
    std::string stored;
    std::getline(in, stored);
    if (!o.regenerate && stored == key) {
        std::printf("card: cached in %s\n", c->outDir.c_str());
        return true;
    }
    std::error_code ec;
    fs::remove_all(c->outDir, ec);
    std::printf("card: generating %d channels x %d files of %d s into %s ...\n", c->channels,
                c->filesPerChannel, c->secondsPerFile, c->outDir.c_str());
    std::fflush(stdout);
    av_log_set_level(AV_LOG_ERROR);
    const auto t0 = Clock::now();
    std::string error;
    if (!mkcard::makeCard(*c, &error)) {
        std::fprintf(stderr, "bench_analysis: %s\n", error.c_str());
        return false;
    }
    std::ofstream(stamp) << key << "\n";
    std::printf("card: generated in %.0f s\n", secondsSince(t0));
    return true;
}

double scanSeconds(const std::string& day, int channels) {
    NullStream quiet;
    const std::atomic<bool> keepGoing{true};
    std::vector<std::unique_ptr<SSFChannelReader>> readers;
    std::vector<SSFChannelReader*> raw;
    for (int ch = 0; ch < channels; ++ch) {
        readers.push_back(std::make_unique<SSFChannelReader>(ch, SourceParams()));
        readers.back()->setLog(&quiet);
        raw.push_back(readers.back().get());
    }
    const auto t0 = Clock::now();
    scanFolder(day, raw, keepGoing, &quiet);
    return secondsSince(t0);
}

// Reads channel 0's recordings start to end; returns seconds, adds bytes.
double plainReadSeconds(const std::string& day, double* megabytes) {
    std::vector<char> buffer(1 << 20);
    std::size_t bytes = 0;
    const auto t0 = Clock::now();
    for (const std::string& name : dayListing::recordingNames(day)) {
        if (name.size() < 8 || name.compare(6, 2, "00") != 0) {
            continue;
        }
        std::FILE* f = std::fopen((day + "/" + name).c_str(), "rb");
        if (f == nullptr) {
            continue;
        }
        std::size_t n = 0;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
            bytes += n;
        }
        std::fclose(f);
    }
    *megabytes = static_cast<double>(bytes) / (1 << 20);
    return secondsSince(t0);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--cache" && i + 1 < argc) {
            o.cacheRoot = argv[++i];
        } else if (a == "--regenerate") {
            o.regenerate = true;
        } else {
            std::fprintf(stderr, "usage: bench_analysis [--cache DIR] [--regenerate]\n");
            return 1;
        }
    }
    mkcard::CardOptions card = cardOptions();
    if (!ensureCard(&card, o)) {
        return 2;
    }
    const std::string day = card.outDir + "/20260301";
    std::printf("cores: %u\n", std::max(1u, std::thread::hardware_concurrency()));

    // Warm the page cache for every measurement alike.
    double megabytes = 0.0;
    plainReadSeconds(day, &megabytes);
    std::vector<double> scans, reads, all, single;
    analysis::DayAnalysis result;
    const std::atomic<bool> cancel{false};
    for (int run = 0; run < kRuns; ++run) {
        scans.push_back(scanSeconds(day, card.channels));
        reads.push_back(plainReadSeconds(day, &megabytes));
        auto t0 = Clock::now();
        analysis::analyseDay(day, {}, &cancel, &result);
        all.push_back(secondsSince(t0));
        analysis::AnalysisOptions one;
        one.read.threads = 1;
        analysis::DayAnalysis single1;
        t0 = Clock::now();
        analysis::analyseDay(day, one, &cancel, &single1);
        single.push_back(secondsSince(t0));
    }

    // A day whose recordings are all missing takes its G-sensor samples from
    // the 24 hourly logs.
    std::vector<double> logs;
    std::size_t logSamples = 0;
    for (int run = 0; run < kRuns; ++run) {
        const auto t0 = Clock::now();
        logSamples = 0;
        for (int hour = 0; hour < 24; ++hour) {
            logSamples += analysis::readGsensorLog(
                              analysis::gsensorLogPath(card.outDir, 20260301, hour), hour)
                              .size();
        }
        logs.push_back(secondsSince(t0));
    }

    std::vector<double> detect, trip, lines;
    std::size_t points = 0;
    const std::vector<double> edges = {20 / 1.852, 40 / 1.852, 60 / 1.852, 80 / 1.852, 100 / 1.852};
    for (int run = 0; run < kRuns; ++run) {
        auto t0 = Clock::now();
        analysis::detectEvents(&result, result.thresholds);
        detect.push_back(secondsSince(t0));
        t0 = Clock::now();
        analysis::summariseTrip(result.data.fixes, 0);
        trip.push_back(secondsSince(t0));
        t0 = Clock::now();
        points = 0;
        for (const auto& run2 : analysis::displayRuns(result.data.fixes, edges, 3.0, 20000)) {
            points += run2.points.size();
        }
        lines.push_back(secondsSince(t0));
    }

    const double a = median(all);
    std::printf("day: %zu fixes, %zu G-sensor samples, %zu events, %.1f km, %d recordings read\n",
                result.data.fixes.size(), result.data.gsensor.size(), result.events.size(),
                result.trip.distanceMetres / 1000.0, result.data.recordingsRead);
    std::printf("reference: folder scan of %d channels: median %.0f ms\n", card.channels,
                median(scans) * 1e3);
    std::printf("reference: plain read of channel 0 (%.0f MiB): median %.0f ms (%.0f MiB/s)\n",
                megabytes, median(reads) * 1e3, megabytes / median(reads));
    std::printf(
        "analyseDay, one worker per core: median %.0f ms (%.2fx the plain read, %.2fx the scan)\n",
        a * 1e3, a / median(reads), a / median(scans));
    std::printf("analyseDay, one worker: median %.0f ms (%.2fx the plain read)\n",
                median(single) * 1e3, median(single) / median(reads));
    std::printf("  event detection alone: median %.1f ms\n", median(detect) * 1e3);
    std::printf("  the day's 24 hourly logs alone (%zu samples): median %.0f ms\n", logSamples,
                median(logs) * 1e3);
    std::printf("  trip sums alone: median %.1f ms\n", median(trip) * 1e3);
    std::printf("  map lines alone (3 m, at most 20000 points): median %.1f ms, %zu points\n",
                median(lines) * 1e3, points);
    std::printf("target: track and events under 1 s: %s\n", a < 1.0 ? "met" : "NOT met");
    return 0;
}
