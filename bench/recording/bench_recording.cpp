// Times the recording file store on a whole day of recordings: one day folder
// with 24 x 60 one-minute files per channel, in small pictures (160x96 at
// 5 fps, mu-law audio) so that the card is generated quickly. The card is made
// once and kept in a cache folder named after its options.
//
// Measured, with the page cache warm (the card was just written or read):
//   - folder scan with prepare (scanFolder), and prepare alone per channel;
//   - seek: p50 / p99 / max over random targets in the day, forward at speed
//     index 8 and backward at speed index 4;
//   - reading one channel at speed index 8 from its first to its last packet:
//     records and MB per second, against a plain fread loop over the same
//     files in the same run.
//
//   bench_recording [--channels N] [--seeks N] [--cache DIR] [--regenerate]
// Exit status 0, or 2 when the card cannot be made.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "MakeCard.h"
#include "core/Params.h"
#include "core/PlaybackTypes.h"
#include "recording/FolderScan.h"
#include "recording/SSFChannelReader.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

class NullStream : public std::ostream {
public:
    NullStream() : std::ostream(nullptr) {}
};

struct Options {
    int channels = 2;
    int seeks = 1000;
    std::string cacheRoot = fs::temp_directory_path().string();
    bool regenerate = false;
};

mkcard::CardOptions cardOptions(const Options& o) {
    mkcard::CardOptions c;
    c.start = {2026, 3, 1, 0, 0, 0};
    c.filesPerChannel = 24 * 60;
    c.secondsPerFile = 60;
    c.channels = o.channels;
    c.width = 160;
    c.height = 96;
    c.fps = 5;
    c.audio = mkcard::AudioCoding::Ulaw;
    c.seed = 1;
    c.jobs = 2;
    return c;
}

std::string cardKey(const mkcard::CardOptions& c) {
    std::ostringstream key;
    key << "korvel-bench-recording-c" << c.channels << "-" << c.filesPerChannel << "x"
        << c.secondsPerFile << "s-" << c.width << "x" << c.height << "-" << c.fps << "fps-ulaw-s"
        << c.seed;
    return key.str();
}

// Makes the card unless the cache already holds a complete one: a stamp file
// is written only after the generator succeeded.
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
    std::printf("card: generating %d channel(s) x %d files of %d s, %dx%d at %d fps into %s ...\n",
                c->channels, c->filesPerChannel, c->secondsPerFile, c->width, c->height, c->fps,
                c->outDir.c_str());
    std::fflush(stdout);
    av_log_set_level(AV_LOG_ERROR);
    const auto t0 = Clock::now();
    std::string error;
    if (!mkcard::makeCard(*c, &error)) {
        std::fprintf(stderr, "bench_recording: %s\n", error.c_str());
        return false;
    }
    std::ofstream(stamp) << key << "\n";
    std::printf("card: generated in %.0f s\n", secondsSince(t0));
    return true;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0.0;
    }
    std::sort(v.begin(), v.end());
    const std::size_t i =
        std::min(v.size() - 1, static_cast<std::size_t>(p * (v.size() - 1) + 0.5));
    return v[i];
}

double median(std::vector<double> v) {
    return percentile(std::move(v), 0.5);
}

std::vector<std::unique_ptr<SSFChannelReader>> makeReaders(int channels, const SourceParams& params,
                                                           std::ostream* log) {
    std::vector<std::unique_ptr<SSFChannelReader>> readers;
    for (int ch = 0; ch < channels; ++ch) {
        readers.push_back(std::make_unique<SSFChannelReader>(ch, params));
        readers.back()->setLog(log);
    }
    return readers;
}

std::vector<SSFChannelReader*> pointers(const std::vector<std::unique_ptr<SSFChannelReader>>& r) {
    std::vector<SSFChannelReader*> p;
    for (const auto& reader : r) {
        p.push_back(reader.get());
    }
    return p;
}

void benchScan(const std::string& day, int channels) {
    NullStream quiet;
    const std::atomic<bool> keepGoing{true};
    std::vector<double> scans;
    std::vector<std::vector<double>> prepares(static_cast<std::size_t>(channels));
    std::size_t files = 0;
    for (int run = 0; run < 5; ++run) {
        auto readers = makeReaders(channels, SourceParams(), &quiet);
        const auto t0 = Clock::now();
        scanFolder(day, pointers(readers), keepGoing, &quiet);
        scans.push_back(secondsSince(t0));
        files = readers[0]->files().size();
        // prepare() again on the filled readers: the same sorting and
        // first/last search that the scan ended with.
        for (int ch = 0; ch < channels; ++ch) {
            const auto t1 = Clock::now();
            readers[static_cast<std::size_t>(ch)]->prepare();
            prepares[static_cast<std::size_t>(ch)].push_back(secondsSince(t1));
        }
    }
    std::printf(
        "scan: %zu files per channel, scanFolder with prepare of %d channel(s): "
        "median %.1f ms (%.1f ms per channel)\n",
        files, channels, median(scans) * 1e3, median(scans) * 1e3 / channels);
    for (int ch = 0; ch < channels; ++ch) {
        std::printf("  prepare alone, channel %d: median %.2f ms\n", ch,
                    median(prepares[static_cast<std::size_t>(ch)]) * 1e3);
    }
}

void benchSeek(const std::string& day, int channels, int count) {
    NullStream quiet;
    const std::atomic<bool> keepGoing{true};
    auto readers = makeReaders(channels, SourceParams(), &quiet);
    scanFolder(day, pointers(readers), keepGoing, &quiet);
    std::mt19937 rng(20260301);
    std::uniform_int_distribution<int> second(0, 24 * 3600 - 1);
    std::uniform_int_distribution<int> channel(0, channels - 1);
    for (const int speed : {kSpeedIndexNormal, 4}) {
        for (auto& r : readers) {
            r->setSpeed(speed, 0, 0);  // no valid date: takes the speed without a seek
        }
        std::vector<double> times;
        int landed = 0;
        for (int i = 0; i < count; ++i) {
            const int s = second(rng);
            const int time = s / 3600 * 10000 + s / 60 % 60 * 100 + s % 60;
            SSFChannelReader& r = *readers[static_cast<std::size_t>(channel(rng))];
            const auto t0 = Clock::now();
            r.seek(20260301, time);
            times.push_back(secondsSince(t0));
            landed += r.currentSample() != nullptr ? 1 : 0;
        }
        std::printf(
            "seek at speed index %d: %d random targets, p50 %.1f us, p99 %.1f us, "
            "max %.1f us (%d landed on a record)\n",
            speed, count, percentile(times, 0.5) * 1e6, percentile(times, 0.99) * 1e6,
            percentile(times, 1.0) * 1e6, landed);
    }
}

// Plain reading of the same files: the floor for any reader.
double readPlain(const std::vector<std::string>& files, std::uint64_t* bytes) {
    std::vector<char> buffer(64 * 1024);
    *bytes = 0;
    const auto t0 = Clock::now();
    for (const std::string& path : files) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) {
            continue;
        }
        for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0;) {
            *bytes += n;
        }
        std::fclose(f);
    }
    return secondsSince(t0);
}

void benchRead(const std::string& day) {
    NullStream quiet;
    const std::atomic<bool> keepGoing{true};
    std::uint64_t audio = 0;
    SourceParams params;
    params.audioSink = [&audio](READASTREAM*) { ++audio; };
    SSFChannelReader reader(0, params);
    reader.setLog(&quiet);
    scanFolder(day, {&reader}, keepGoing, &quiet);
    const std::vector<std::string> files = reader.files();

    std::uint64_t plainBytes = 0;
    const double plainBefore = readPlain(files, &plainBytes);

    reader.rewind();
    reader.openCurrentFile();
    std::uint64_t samples = 0;
    const auto t0 = Clock::now();
    for (;;) {
        const STREAMOBJECT* before = reader.currentSample();
        const std::uint64_t audioBefore = audio;
        reader.readNext();
        const STREAMOBJECT* after = reader.currentSample();
        if (after != nullptr && after != before) {
            ++samples;
        } else if (audio == audioBefore && reader.isClosed()) {
            break;
        }
    }
    const double readerSeconds = secondsSince(t0);
    const double plainAfter = readPlain(files, &plainBytes);
    const double plain = std::min(plainBefore, plainAfter);
    const std::uint64_t records = samples + audio;
    const double mb = static_cast<double>(plainBytes) / 1e6;
    std::printf(
        "read channel 0 at speed index 8: %zu files, %.0f MB, %llu records "
        "(%llu video/GPS/G-sensor, %llu audio) in %.2f s: %.0f records/s, %.0f MB/s\n",
        files.size(), mb, static_cast<unsigned long long>(records),
        static_cast<unsigned long long>(samples), static_cast<unsigned long long>(audio),
        readerSeconds, static_cast<double>(records) / readerSeconds, mb / readerSeconds);
    std::printf(
        "  reference, plain fread of the same files in 64 KiB blocks: %.2f s, %.0f MB/s "
        "(reader at %.0f%% of it)\n",
        plain, mb / plain, 100.0 * plain / readerSeconds);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const bool hasValue = i + 1 < argc;
        if (name == "--channels" && hasValue) {
            o.channels = std::clamp(std::atoi(argv[++i]), 1, 2);
        } else if (name == "--seeks" && hasValue) {
            o.seeks = std::max(1, std::atoi(argv[++i]));
        } else if (name == "--cache" && hasValue) {
            o.cacheRoot = argv[++i];
        } else if (name == "--regenerate") {
            o.regenerate = true;
        } else {
            std::fprintf(stderr,
                         "usage: bench_recording [--channels 1|2] [--seeks N] [--cache DIR] "
                         "[--regenerate]\n");
            return 2;
        }
    }
    mkcard::CardOptions card = cardOptions(o);
    if (!ensureCard(&card, o)) {
        return 2;
    }
    const std::string day = card.outDir + "/20260301";
    std::printf(
        "card: one day, %d channel(s) x 24 x 60 one-minute files, %dx%d at %d fps, "
        "mu-law audio (small pictures so that the card is quick to make)\n",
        card.channels, card.width, card.height, card.fps);
    // Other work on the machine shows in every figure; say how busy it was.
    std::ifstream load("/proc/loadavg");
    std::string loadAverage;
    if (load >> loadAverage) {
        std::printf("machine: load average %s (1 min)\n", loadAverage.c_str());
    }
    benchScan(day, card.channels);
    benchSeek(day, card.channels, o.seeks);
    benchRead(day);
    return 0;
}
