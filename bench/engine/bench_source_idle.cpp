// CPU use of an idle recording-file media source: paused after its first
// packets, and run out after delivering a whole card. Either state must cost
// well under 3 % of one core; a read loop that polls without waiting would
// take a whole one.
//   bench_source_idle [--seconds N]
// Exit status 0 when both states meet the target, 1 when not, 2 when the
// card cannot be made or the source delivers nothing.

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "MakeCard.h"
#include "engine/MediaSource_SSFFile.h"

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Percent of one core used by the process over `seconds` of wall time.
double measure(double seconds) {
    const double c0 = cpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return 100.0 * (cpuSeconds() - c0) / wall;
}

bool waitUntil(const std::function<bool()>& done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 3.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--seconds") {
            seconds = std::atof(argv[i + 1]);
        }
    }
    mkcard::CardOptions o;
    o.outDir = (std::filesystem::temp_directory_path() / "korvel-bench-source-idle").string();
    o.channels = 4;
    o.filesPerChannel = 2;
    o.secondsPerFile = 10;
    o.width = 160;
    o.height = 96;
    o.fps = 10;
    o.jobs = 2;
    std::error_code ec;
    std::filesystem::remove_all(o.outDir, ec);
    std::string error;
    if (!mkcard::makeCard(o, &error)) {
        std::fprintf(stderr, "card: %s\n", error.c_str());
        return 2;
    }
    char day[16];
    std::snprintf(day, sizeof day, "/%04d%02d%02d", o.start.year, o.start.month, o.start.day);

    std::atomic<long> packets{0};
    SourceParams params;
    params.folder = o.outDir + day;
    params.channelMask = 0xF;
    params.packetSink = [&packets](STREAMOBJECT*) { ++packets; };
    std::ostringstream log;

    int status = 0;
    {
        MediaSource_SSFFile source;
        source.setLog(&log);
        source.open(&params);
        if (!waitUntil([&] { return packets.load() > 0; })) {
            std::fprintf(stderr, "no packet delivered\n");
            return 2;
        }
        source.pauseAll();
        const double paused = measure(seconds);
        std::printf("paused source:   %.2f %% of one core\n", paused);
        status |= paused < 3.0 ? 0 : 1;
        source.requestStop();
        source.close();
    }
    {
        packets = 0;
        MediaSource_SSFFile source;
        source.setLog(&log);
        source.open(&params);
        if (!waitUntil([&] { return packets.load() > 0 && source.allChannelsClosed(); })) {
            std::fprintf(stderr, "the card was not read to its end\n");
            return 2;
        }
        const double finished = measure(seconds);
        std::printf("finished source: %.2f %% of one core (%ld packets)\n", finished,
                    packets.load());
        status |= finished < 3.0 ? 0 : 1;
        source.requestStop();
        source.close();
    }
    std::filesystem::remove_all(o.outDir, ec);
    return status;
}
