// How long stop followed by close takes on a recording-file site, in the
// states a display page may close it in: just opened (the source still
// scanning or seeking to the start), playing paced, playing fast, paused with
// full queues, and playing without pacing. The target is 500 ms in every
// round; a prompt close takes a few milliseconds.
//   bench_site_close [--rounds N]
// Exit status 0 when every round meets the target, 1 when not, 2 when the
// card cannot be made.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "MakeCard.h"
#include "engine/CSSFFileSite.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kTargetMs = 500.0;

struct Discard : std::streambuf {
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

struct State {
    const char* name;
    int pacing;
    int startTime;  // 0: from the first recording
    int settleMs;   // how long the site plays before it is closed
    std::function<void(CSSFFileSite&)> command;
};

}  // namespace

int main(int argc, char** argv) {
    int rounds = 10;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        }
    }
    namespace fs = std::filesystem;
    const fs::path root =
        fs::temp_directory_path() / ("korvel-bench-site-" + std::to_string(::getpid()));
    mkcard::CardOptions o;
    o.outDir = root.string();
    o.filesPerChannel = 3;
    o.secondsPerFile = 20;
    o.channels = 4;
    o.width = 320;
    o.height = 180;
    o.fps = 15;
    o.jobs = 2;
    // Closing waits for the decode in progress: road pictures cost what real
    // footage costs.
    o.scene = mkcard::Scene::Road;
    std::string error;
    if (!mkcard::makeCard(o, &error)) {
        std::fprintf(stderr, "bench_site_close: %s\n", error.c_str());
        return 2;
    }
    Discard discard;
    std::streambuf* old = std::cout.rdbuf(&discard);

    const std::vector<State> states = {
        {"just opened, seeking to the start", 1, 120030, 0, nullptr},
        {"playing paced", 1, 0, 400, nullptr},
        {"playing x16", 1, 0, 300, [](CSSFFileSite& s) { s.changeSpeed(12); }},
        {"paused, queues full", 1, 0, 300, [](CSSFFileSite& s) { s.pause(); }},
        {"backward x-8", 1, 120040, 300, [](CSSFFileSite& s) { s.changeSpeed(3); }},
        {"unpaced", 0, 0, 300, nullptr},
    };
    bool ok = true;
    std::printf("%-36s %8s %8s %8s\n", "state", "median", "max", "target");
    for (const State& state : states) {
        std::vector<double> ms;
        for (int r = 0; r < rounds; ++r) {
            CSSFFileSite site;
            SiteParams p;
            p.folder = (root / "20260301").string();
            p.pacing = state.pacing;
            p.channelMask = 0x0F;
            p.startDate = state.startTime == 0 ? 0 : 20260301;
            p.startTime = state.startTime;
            p.onPicture = [](PUSHVIDEO*) {};
            p.onAudio = [](_AUDIODATA*) {};
            site.reset();
            site.open(&p);
            std::this_thread::sleep_for(std::chrono::milliseconds(state.settleMs));
            if (state.command) {
                state.command(site);
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
            const auto start = Clock::now();
            site.stop();
            site.close();
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::sort(ms.begin(), ms.end());
        const double worst = ms.back();
        ok = ok && worst < kTargetMs;
        std::printf("%-36s %8.1f %8.1f %8.0f%s\n", state.name, ms[ms.size() / 2], worst, kTargetMs,
                    worst < kTargetMs ? "" : "  MISSED");
    }
    std::cout.rdbuf(old);
    std::error_code ec;
    fs::remove_all(root, ec);
    return ok ? 0 : 1;
}
