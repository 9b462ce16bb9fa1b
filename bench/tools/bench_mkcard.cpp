// Times the demo-card generator on the reference card: 9 channels, one
// 10-minute recording each, 640 x 360 at 15 fps, mu-law audio, two worker
// threads (the build machines have two cores). The target is under a minute.
//   bench_mkcard [--keep DIR] [--jobs N]
// Exit status 0 when the target is met, 1 when not, 2 when the card fails.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "MakeCard.h"

int main(int argc, char** argv) {
    mkcard::CardOptions o;
    o.outDir = (std::filesystem::temp_directory_path() / "korvel-bench-mkcard").string();
    bool keep = false;
    o.jobs = 2;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--keep") {
            o.outDir = argv[i + 1];
            keep = true;
        } else if (name == "--jobs") {
            o.jobs = std::atoi(argv[i + 1]);
        }
    }
    o.channels = 9;
    o.filesPerChannel = 1;
    o.secondsPerFile = 600;
    o.width = 640;
    o.height = 360;
    o.fps = 15;

    std::error_code ec;
    std::filesystem::remove_all(o.outDir, ec);
    const auto t0 = std::chrono::steady_clock::now();
    std::string error;
    const bool ok = mkcard::makeCard(o, &error);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!keep) {
        std::filesystem::remove_all(o.outDir, ec);
    }
    if (!ok) {
        std::fprintf(stderr, "bench_mkcard: %s\n", error.c_str());
        return 2;
    }
    const bool met = seconds < 60.0;
    std::printf("mkcard 9 channels x 10 min 640x360 15 fps, %d jobs: %.1f s (target < 60 s) %s\n",
                o.jobs, seconds, met ? "PASS" : "FAIL");
    return met ? 0 : 1;
}
