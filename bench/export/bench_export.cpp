// Times the exports on a card of 4 channels of 1280x720 at 15 fps (mu-law
// audio, two recordings of 30 s per channel, cached in the temporary folder):
//
//   clip      one channel, the whole minute (across the two recordings), as
//             times real time; then all four channels. Target: 50x real time
//             per channel.
//   evidence  the 4 channels in a 2x2 grid at 1920x1080, 30 s across the
//             recordings' seam, with each x264 preset asked for; as times real
//             time, with the cores it kept busy (CPU time / wall time) and the
//             real-time factor that CPU time gives on 2 free cores. Target:
//             1x real time on this 2-core machine at the default preset.
//   track     GPX of the minute, as a sanity figure.
//
// References measured in the same run, on the same input:
//   - ffmpeg remuxing the exported clip (-c copy) into MP4;
//   - ffmpeg decoding the four exported clips, scaling them into a 2x2 grid
//     at 1920x1080 (xstack) and encoding with libx264 at the same preset and
//     CRF: the evidence export's work without the burned-in text and audio.
// The machine is shared: the load average is printed before and after, and
// ratios to the references mean more than the absolute figures.
//
//   bench_export [--cache DIR] [--regenerate] [--presets LIST] [--runs N]
// Exit status 0, or 2 when the card cannot be made.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QGuiApplication>

#include "MakeCard.h"
#include "export/ClipExport.h"
#include "export/EvidenceExport.h"
#include "export/TrackExport.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kNoon = 12 * 3600 * 1000LL;

struct Options {
    std::string cacheRoot = fs::temp_directory_path().string();
    bool regenerate = false;
    std::vector<std::string> presets = {"ultrafast", "superfast", exporting::kDefaultX264Preset};
    int runs = 3;
};

struct Timing {
    double wall = 0.0;
    double cpu = 0.0;  // user + system of this process and its children
};

double cpuSeconds() {
    double total = 0.0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        total += static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                 static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

template <typename F>
Timing timed(F&& f) {
    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    f();
    return {std::chrono::duration<double>(Clock::now() - t0).count(), cpuSeconds() - cpu0};
}

// The best of several runs: the one least disturbed by the other work of
// the machine.
template <typename F>
Timing best(int runs, F&& f) {
    Timing b;
    for (int i = 0; i < runs; ++i) {
        const Timing t = timed(f);
        if (i == 0 || t.wall < b.wall) {
            b = t;
        }
    }
    return b;
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

mkcard::CardOptions cardOptions(const Options& o) {
    mkcard::CardOptions c;
    c.start = {2026, 3, 1, 12, 0, 0};
    c.filesPerChannel = 2;
    c.secondsPerFile = 30;
    c.channels = 4;
    c.width = 1280;
    c.height = 720;
    c.fps = 15;
    c.seed = 3;
    c.jobs = 0;
    c.outDir = (fs::path(o.cacheRoot) / "korvel-bench-export-c4-2x30s-1280x720-15fps-ulaw-s3").string();
    return c;
}

bool ensureCard(const mkcard::CardOptions& c, const Options& o) {
    const fs::path stamp = fs::path(c.outDir) / "bench-card.ok";
    if (!o.regenerate && fs::exists(stamp)) {
        std::printf("card: cached in %s\n", c.outDir.c_str());
        return true;
    }
    std::error_code ec;
    fs::remove_all(c.outDir, ec);
    std::printf("card: generating 4 channels x 2 recordings of 30 s, 1280x720 ...\n");
    std::fflush(stdout);
    std::string error;
    if (!mkcard::makeCard(c, &error)) {
        std::fprintf(stderr, "bench_export: %s\n", error.c_str());
        return false;
    }
    std::ofstream(stamp.string()) << "ok\n";
    return true;
}

bool shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

void report(const char* what, double mediaSeconds, const Timing& t) {
    std::printf("%-34s %6.2f s wall %6.2f s CPU  %6.1fx real time  %4.2f cores busy\n", what,
                t.wall, t.cpu, mediaSeconds / t.wall, t.cpu / t.wall);
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
        } else if (a == "--presets" && i + 1 < argc) {
            o.presets.clear();
            std::stringstream list(argv[++i]);
            for (std::string p; std::getline(list, p, ',');) {
                o.presets.push_back(p);
            }
        } else if (a == "--runs" && i + 1 < argc) {
            o.runs = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr,
                         "usage: bench_export [--cache DIR] [--regenerate] [--presets LIST] "
                         "[--runs N]\n");
            return 1;
        }
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    av_log_set_level(AV_LOG_QUIET);

    const mkcard::CardOptions card = cardOptions(o);
    if (!ensureCard(card, o)) {
        return 2;
    }
    const std::string day = card.outDir + "/20260301";
    const std::string out = (fs::temp_directory_path() / "korvel-bench-export-out").string();
    fs::remove_all(out);
    fs::create_directories(out);
    std::printf("cores: %u   load average before: %s\n",
                std::max(1u, std::thread::hardware_concurrency()), loadAverage().c_str());

    // Clip: one channel, then four, over the whole minute.
    const exporting::ExportRange minute{day, kNoon, kNoon + 60'000, {0}};
    exporting::ExportResult clip;
    const Timing one = best(o.runs, [&] { clip = exporting::exportClips({minute, out}, {}); });
    if (!clip.ok()) {
        std::fprintf(stderr, "bench_export: %s\n", clip.message.c_str());
        return 2;
    }
    const std::string clip0 = clip.files.at(0);
    exporting::ExportRange four = minute;
    four.channels = {0, 1, 2, 3};
    const Timing all = best(o.runs, [&] { clip = exporting::exportClips({four, out}, {}); });
    const Timing remux = best(o.runs, [&] {
        shell("ffmpeg -nostdin -v error -y -i '" + clip0 + "' -c copy -movflags +faststart '" +
              out + "/remux.mp4'");
    });
    std::printf("\nclip export (60 s of 1280x720 at 15 fps, mu-law audio to AAC):\n");
    report("clip, 1 channel", 60.0, one);
    report("clip, 4 channels (per channel)", 4 * 60.0, all);
    report("reference: ffmpeg -c copy remux", 60.0, remux);
    std::printf("clip / ffmpeg remux time: %.2f (the clip also encodes its audio)\n",
                one.wall / remux.wall);

    // Evidence: 4 channels, 30 s from 12:00:15 (over the seam at 12:00:30).
    std::printf("\nevidence export (4 channels 1280x720 at 15 fps in 2x2 at 1920x1080, 30 s):\n");
    exporting::EvidenceRequest evidence;
    evidence.range = {day, kNoon + 15'000, kNoon + 45'000, {0, 1, 2, 3}};
    evidence.outPath = out + "/evidence.mp4";
    std::string inputs;
    for (const std::string& f : clip.files) {
        inputs += " -ss 15 -t 30 -i '" + f + "'";
    }
    for (const std::string& preset : o.presets) {
        evidence.x264Preset = preset;
        exporting::ExportResult r;
        const Timing t = best(1, [&] { r = exporting::exportEvidence(evidence, {}); });
        if (!r.ok()) {
            std::fprintf(stderr, "bench_export: %s\n", r.message.c_str());
            return 2;
        }
        const std::string name = "evidence, preset " + preset;
        report(name.c_str(), 30.0, t);
        std::printf("%-34s %6.1fx real time on 2 free cores (CPU time / 2)\n", "", 60.0 / t.cpu);
        const Timing ref = best(1, [&] {
            shell("ffmpeg -nostdin -v error -y" + inputs +
                  " -filter_complex '[0:v]scale=960:540[a];[1:v]scale=960:540[b];"
                  "[2:v]scale=960:540[c];[3:v]scale=960:540[d];"
                  "[a][b][c][d]xstack=inputs=4:layout=0_0|w0_0|0_h0|w0_h0' -an -c:v libx264 "
                  "-preset " + preset + " -crf " + std::to_string(evidence.crf) + " '" + out +
                  "/grid.mp4'");
        });
        report(("reference: ffmpeg grid, " + preset).c_str(), 30.0, ref);
        std::printf("%-34s evidence / ffmpeg grid time: %.2f, CPU: %.2f\n", "",
                    t.wall / ref.wall, t.cpu / ref.cpu);
    }

    exporting::TrackRequest track;
    track.range = minute;
    track.outPath = out + "/minute.gpx";
    exporting::ExportResult gpx;
    const Timing g = best(o.runs, [&] { gpx = exporting::exportTrack(track, {}); });
    std::printf("\n");
    report("track: GPX of the minute", 60.0, g);
    std::printf("\nload average after: %s\n", loadAverage().c_str());
    fs::remove_all(out);
    return 0;
}
