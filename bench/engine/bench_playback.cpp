// Playback figures of a recording-file site driven as the display page drives
// it (CreateSite -> reset -> open -> commands -> stop -> close -> DestroyVCodec):
//   1. unpaced throughput, pictures decoded and converted to RGBA per second,
//      against single-threaded ffmpeg decoding the same access units to RGBA
//      in the same run (one ffmpeg process per channel, all at once);
//   2. real time with pacing: pictures delivered against expected, lateness
//      against the presentation clock (wall clock from the clock's origin,
//      which the earliest picture shows), CPU as % of one core;
//   3. seek: time from gotoDateTime to the first picture of every channel;
//   4. shuttle: key frames per second per channel at x16 and x64;
//   5. CPU of a paused and of a finished site.
// Cards show the generator's road scene (textured, in motion, encoded as a
// recorder does, so that decoding costs what real footage costs); they are
// made in-process once and kept under /tmp/korvel-bench-playback-*.
// The program prints figures; it does not judge them (exit status 2 only
// when a card cannot be made or ffmpeg is missing).
//   bench_playback [--seconds N] [--seeks N] [--shuttle-seconds N] [--repeats N]
//                  [--only PARTS] [--no-ffmpeg]
// --seconds: length of each real-time run (default 20; the cards grow with it),
// --seeks: seek targets per card (30), --shuttle-seconds: length of each
// shuttle run (3), --repeats: throughput runs per figure, the best counts (2),
// --only: the parts to run, any of t (throughput), r (real time), s (seek and
// shuttle), i (idle CPU); all by default.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "MakeCard.h"
#include "core/PlaybackTypes.h"
#include "engine/ISite.h"
#include "recording/SSFChannelReader.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDay = 20260301;
constexpr int kStartSecondOfDay = 12 * 3600;  // cards start at 12:00:00

struct Discard : std::streambuf {
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0.0;
    }
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

// --- cards ---------------------------------------------------------------

struct Card {
    int width = 0;
    int height = 0;
    int fps = 0;
    int channels = 0;
    int files = 0;
    int secondsPerFile = 0;
    fs::path root;

    int spanSeconds() const { return files * secondsPerFile; }
    int picturesPerChannel() const { return spanSeconds() * fps; }
    std::string day() const { return (root / std::to_string(kDay)).string(); }
};

// Makes the card unless a complete one with the same options is cached.
bool prepareCard(Card* card, int width, int height, int fps, int channels, int files,
                 int secondsPerFile) {
    card->width = width;
    card->height = height;
    card->fps = fps;
    card->channels = channels;
    card->files = files;
    card->secondsPerFile = secondsPerFile;
    card->root = fs::temp_directory_path() /
                 ("korvel-bench-playback-road-" + std::to_string(width) + "x" + std::to_string(height) +
                  "-" + std::to_string(fps) + "fps-" + std::to_string(channels) + "ch-" +
                  std::to_string(files) + "x" + std::to_string(secondsPerFile) + "s");
    const fs::path marker = card->root / ".complete";
    if (fs::exists(marker)) {
        return true;
    }
    mkcard::CardOptions o;
    o.outDir = card->root.string();
    o.width = width;
    o.height = height;
    o.fps = fps;
    o.channels = channels;
    o.filesPerChannel = files;
    o.secondsPerFile = secondsPerFile;
    o.jobs = 2;
    o.scene = mkcard::Scene::Road;
    std::string error;
    const auto t0 = Clock::now();
    mkcard::CardStats stats;
    if (!mkcard::makeCard(o, &error, &stats)) {
        std::fprintf(stderr, "bench_playback: cannot make %s: %s\n", o.outDir.c_str(),
                     error.c_str());
        return false;
    }
    std::ofstream(marker) << stats.videoMegabitsPerSecond() << "\n";
    std::fprintf(stderr, "made card %s in %.1f s: video %.2f Mb/s per channel\n",
                 card->root.filename().c_str(), secondsSince(t0), stats.videoMegabitsPerSecond());
    return true;
}

// --- pictures ------------------------------------------------------------

struct Picture {
    int channel;
    int time;  // hhmmss
    Clock::time_point at;
};

// Filled by the decode workers through onPicture, read by the main thread.
class Collector {
public:
    void add(const PUSHVIDEO* p) {
        const Picture pic{p->channel, p->time, Clock::now()};
        std::lock_guard<std::mutex> hold(lock_);
        pictures_.push_back(pic);
    }
    std::size_t size() {
        std::lock_guard<std::mutex> hold(lock_);
        return pictures_.size();
    }
    std::vector<Picture> copy(std::size_t from = 0) {
        std::lock_guard<std::mutex> hold(lock_);
        if (from >= pictures_.size()) {
            return {};
        }
        return {pictures_.begin() + static_cast<std::ptrdiff_t>(from), pictures_.end()};
    }

private:
    std::mutex lock_;
    std::vector<Picture> pictures_;  // guarded by lock_
};

int secondOfDay(int hhmmss) {
    return hhmmss / 10000 * 3600 + hhmmss / 100 % 100 * 60 + hhmmss % 100;
}

// An opened site feeding a collector; closed and destroyed on scope exit.
class Session {
public:
    Session(const Card& card, std::uint32_t mask, int pacing, int startSecond = 0) {
        CreateSite(&site_, 2);
        SiteParams p;
        p.folder = card.day();
        p.pacing = pacing;
        p.channelMask = mask;
        if (startSecond > 0) {
            const int s = kStartSecondOfDay + startSecond;
            p.startDate = kDay;
            p.startTime = s / 3600 * 10000 + s / 60 % 60 * 100 + s % 60;
        }
        Collector* c = &collector;
        p.onPicture = [c](PUSHVIDEO* v) { c->add(v); };
        p.onAudio = [](_AUDIODATA*) {};
        opened = Clock::now();
        if (site_ != nullptr) {
            site_->reset();
            site_->open(&p);
        }
    }
    ~Session() {
        if (site_ != nullptr) {
            site_->stop();
            site_->close();
            void* p = site_;
            DestroyVCodec(&p);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ISite& site() { return *site_; }
    bool ok() const { return site_ != nullptr; }
    // Card seconds since its start.
    void gotoSecond(int cardSecond) {
        const int s = kStartSecondOfDay + cardSecond;
        site_->gotoDateTime(2026, 3, 1, s / 3600, s / 60 % 60, s % 60);
    }
    // Waits until `target` pictures arrived or none came for `stallMs`.
    void waitFor(std::size_t target, int stallMs, int capMs) {
        const auto start = Clock::now();
        std::size_t last = collector.size();
        auto changed = Clock::now();
        while (last < target && secondsSince(start) * 1000 < capMs) {
            sleepMs(10);
            const std::size_t n = collector.size();
            if (n != last) {
                last = n;
                changed = Clock::now();
            } else if (secondsSince(changed) * 1000 > stallMs) {
                break;
            }
        }
    }

    Collector collector;
    Clock::time_point opened;

private:
    ISite* site_ = nullptr;
};

// --- reference -----------------------------------------------------------

// Writes the video access units of one channel, read at normal speed with the
// viewer's own reader, as a raw Annex B stream; returns the number of units.
// The stream is written `copies` times over (each copy starts with an IDR
// picture), so that ffmpeg's start-up weighs little in its rate.
int extractChannel(const Card& card, int channel, const fs::path& out, int copies) {
    std::vector<std::string> paths;
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, "%02d0.ssf", channel);
    for (const auto& e : fs::directory_iterator(card.day())) {
        const std::string name = e.path().filename().string();
        if (name.size() == 13 && name.compare(6, 7, suffix) == 0) {
            paths.push_back(e.path().string());
        }
    }
    SourceParams params;
    SSFChannelReader reader(channel, params);
    for (const auto& p : paths) {
        reader.addFile(p);
    }
    reader.prepare();
    reader.rewind();
    reader.openCurrentFile();
    std::string bytes;
    int units = 0;
    const STREAMOBJECT* previous = nullptr;
    for (int guard = 0; guard < 10000000 && !reader.isClosed(); ++guard) {
        reader.readNext();
        const STREAMOBJECT* s = reader.currentSample();
        if (s == nullptr || s == previous) {
            continue;
        }
        previous = s;
        if (s->kind == STREAMOBJECT::KIND_VIDEO) {
            const auto* v = static_cast<const READVSTREAM*>(s);
            bytes.append(reinterpret_cast<const char*>(v->data.get()),
                         static_cast<std::size_t>(v->size));
            ++units;
        }
    }
    std::ofstream f(out, std::ios::binary);
    for (int i = 0; i < copies; ++i) {
        f << bytes;
    }
    return units * copies;
}

double childCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A rate in pictures per second and the CPU milliseconds spent per picture.
struct Rate {
    double perSecond = 0.0;
    double cpuMsPerPicture = 0.0;
};

// `copies` single-threaded ffmpeg processes decoding the stream to RGBA at the
// same time; a negative rate when ffmpeg fails.
Rate ffmpegRate(const fs::path& stream, int units, int copies) {
    const std::string cmd = "ffmpeg -nostdin -loglevel error -threads 1 -i '" + stream.string() +
                            "' -fps_mode passthrough -pix_fmt rgba -f null - >/dev/null 2>&1";
    std::atomic<int> failures{0};
    std::vector<std::thread> runs;
    const double c0 = childCpuSeconds();
    const auto t0 = Clock::now();
    for (int i = 0; i < copies; ++i) {
        runs.emplace_back([&] {
            if (std::system(cmd.c_str()) != 0) {
                ++failures;
            }
        });
    }
    for (auto& t : runs) {
        t.join();
    }
    const double wall = secondsSince(t0);
    if (failures > 0) {
        return {-1.0, 0.0};
    }
    const double pictures = static_cast<double>(units) * copies;
    return {pictures / wall, 1000.0 * (childCpuSeconds() - c0) / pictures};
}

// The engine playing `n` channels of the card unpaced from open to the last
// picture; a zero rate when not every picture came.
Rate engineRate(const Card& card, int n) {
    const std::uint32_t mask = n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1;
    const std::size_t expected = static_cast<std::size_t>(card.picturesPerChannel()) * n;
    const double c0 = cpuSeconds();
    Session s(card, mask, 0);
    s.waitFor(expected, 2000, 120000);
    const double cpu = cpuSeconds() - c0;
    const auto pics = s.collector.copy();
    if (pics.size() < expected) {
        std::printf("(only %zu of %zu pictures) ", pics.size(), expected);
        return {};
    }
    const double wall = std::chrono::duration<double>(pics.back().at - s.opened).count();
    return {static_cast<double>(pics.size()) / wall,
            1000.0 * cpu / static_cast<double>(pics.size())};
}

// Best of `repeats` runs each, alternating, so that a burst of load from
// elsewhere on the machine hurts neither side alone.
void throughput(const Card& card, const std::vector<int>& channelCounts, bool withFfmpeg,
                int repeats) {
    const fs::path stream = card.root / "ch00.h264";
    int units = 0;
    if (withFfmpeg) {
        const int perChannel = card.picturesPerChannel();
        units = extractChannel(card, 0, stream, std::max(1, (1500 + perChannel - 1) / perChannel));
    }
    for (int n : channelCounts) {
        Rate engine;
        Rate ref;
        bool refFailed = false;
        for (int r = 0; r < repeats; ++r) {
            const Rate e = engineRate(card, n);
            if (e.perSecond > engine.perSecond) {
                engine = e;
            }
            if (withFfmpeg && units > 0) {
                const Rate f = ffmpegRate(stream, units, n);
                refFailed = refFailed || f.perSecond < 0;
                if (f.perSecond > ref.perSecond) {
                    ref = f;
                }
            }
        }
        std::printf(
            "throughput %dx%d@%d unpaced, %d ch: %.0f pictures/s, %.2f ms CPU/picture, %.2f cores "
            "busy",
            card.width, card.height, card.fps, n, engine.perSecond, engine.cpuMsPerPicture,
            engine.perSecond * engine.cpuMsPerPicture / 1000.0);
        if (refFailed) {
            std::printf("; ffmpeg failed");
        } else if (withFfmpeg && units > 0) {
            std::printf(
                "; ffmpeg -threads 1 x%d: %.0f pictures/s, %.2f ms CPU/picture, %.2f cores busy; "
                "ratio %.2f (target >= %.2f), CPU ratio %.2f",
                n, ref.perSecond, ref.cpuMsPerPicture, ref.perSecond * ref.cpuMsPerPicture / 1000.0,
                engine.perSecond / ref.perSecond, n == 1 ? 1.0 : 0.95,
                ref.cpuMsPerPicture / std::max(engine.cpuMsPerPicture, 1e-9));
        }
        std::printf("\n");
        std::fflush(stdout);
    }
}

void realTime(const Card& card, int channels, int seconds) {
    const std::uint32_t mask = (1u << channels) - 1;
    double cpu = 0.0;
    double firstMs = 0.0;
    std::vector<Picture> pics;
    {
        Session s(card, mask, 1);
        while (s.collector.size() == 0 && secondsSince(s.opened) < 10) {
            sleepMs(2);
        }
        firstMs = secondsSince(s.opened) * 1000.0;
        const double c0 = cpuSeconds();
        const auto w0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        cpu = 100.0 * (cpuSeconds() - c0) / secondsSince(w0);
        // Pictures of the last second still on their way.
        sleepMs(1000);
        pics = s.collector.copy();
    }
    if (pics.empty()) {
        std::printf("real time %d x %dx%d@%d: no pictures\n", channels, card.width, card.height,
                    card.fps);
        return;
    }
    // Media time of a picture: its whole second plus its rank among the
    // channel's pictures of that second (the cards have no gaps). Pictures of
    // the first `seconds` of the card count.
    const Clock::time_point t0 = pics.front().at;
    std::vector<int> lastSecond(64, -1);
    std::vector<int> rank(64, 0);
    std::vector<double> offset;  // wall minus media time, ms
    std::vector<double> mediaOf;
    for (const Picture& p : pics) {
        const int sec = secondOfDay(p.time) - kStartSecondOfDay;
        if (p.channel < 0 || p.channel >= 64 || sec < 0 || sec >= seconds) {
            continue;
        }
        const auto c = static_cast<std::size_t>(p.channel);
        rank[c] = sec == lastSecond[c] ? rank[c] + 1 : 0;
        lastSecond[c] = sec;
        const double media = sec + static_cast<double>(rank[c]) / card.fps;
        const double wall = std::chrono::duration<double>(p.at - t0).count();
        offset.push_back((wall - media) * 1000.0);
        mediaOf.push_back(media);
    }
    // Paced pictures are never presented before their time, so the smallest
    // offset stands for the presentation clock's origin; the first picture
    // itself may come later than that (the clock starts before the decoders
    // have their first key frame).
    const double origin = offset.empty() ? 0.0 : *std::min_element(offset.begin(), offset.end());
    std::vector<double> late;
    std::vector<double> steady;  // after the first second of the card
    for (std::size_t i = 0; i < offset.size(); ++i) {
        late.push_back(offset[i] - origin);
        if (mediaOf[i] >= 1.0) {
            steady.push_back(offset[i] - origin);
        }
    }
    const double expected = static_cast<double>(seconds) * card.fps * channels;
    std::printf(
        "real time %d x %dx%d@%d, %d s: delivered %.3f of expected pictures (%zu of %.0f, "
        "target >= 0.995); lateness against the clock p50 %.1f ms, p99 %.1f ms (target <= 40 "
        "ms), max %.1f ms; after the first "
        "second p50 %.1f ms, p99 %.1f ms; first picture %.0f ms after open, %.0f ms behind the "
        "clock; CPU %.0f %% of one core\n",
        channels, card.width, card.height, card.fps, seconds,
        static_cast<double>(late.size()) / expected, late.size(), expected, percentile(late, 0.5),
        percentile(late, 0.99), percentile(late, 1.0), percentile(steady, 0.5),
        percentile(steady, 0.99), firstMs, offset.empty() ? 0.0 : offset.front() - origin, cpu);
    std::fflush(stdout);
}

void seek(const Card& card, int count) {
    const int channels = card.channels;
    Session s(card, (1u << channels) - 1, 1);
    if (!s.ok()) {
        std::printf("no site\n");
        return;
    }
    s.waitFor(static_cast<std::size_t>(channels) * 5, 5000, 5000);
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> pick(5, card.spanSeconds() - 10);
    int previous = 0;
    int timeouts = 0;
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        // Far enough from the last target that no picture from before the
        // command can pass for one after it.
        const int apart = std::max(5, std::min(10, (card.spanSeconds() - 15) / 3));
        int target = pick(rng);
        for (int tries = 0; tries < 1000 && std::abs(target - previous) < apart; ++tries) {
            target = pick(rng);
        }
        previous = target;
        const std::size_t from = s.collector.size();
        const auto t0 = Clock::now();
        s.gotoSecond(target);
        double elapsed = -1.0;
        while (secondsSince(t0) < 3.0) {
            const auto pics = s.collector.copy(from);
            std::vector<bool> seen(static_cast<std::size_t>(channels), false);
            int seenCount = 0;
            Clock::time_point last = t0;
            for (const Picture& p : pics) {
                const int sec = secondOfDay(p.time) - kStartSecondOfDay;
                if (p.channel < 0 || p.channel >= channels || std::abs(sec - target) > 2 ||
                    seen[static_cast<std::size_t>(p.channel)]) {
                    continue;
                }
                seen[static_cast<std::size_t>(p.channel)] = true;
                ++seenCount;
                last = std::max(last, p.at);
            }
            if (seenCount == channels) {
                elapsed = std::chrono::duration<double, std::milli>(last - t0).count();
                break;
            }
            sleepMs(1);
        }
        if (elapsed < 0) {
            ++timeouts;
            elapsed = 3000.0;
        }
        ms.push_back(elapsed);
        sleepMs(150);
    }
    std::printf(
        "seek %d ch %dx%d@%d, %d random targets: first picture on every channel p50 %.0f ms, "
        "p99 %.0f ms (target p99 <= 150 ms), max %.0f ms, %d over 3 s\n",
        channels, card.width, card.height, card.fps, count, percentile(ms, 0.5),
        percentile(ms, 0.99), percentile(ms, 1.0), timeouts);
    std::fflush(stdout);
}

void shuttle(const Card& card, int speedIndex, int seconds) {
    const int channels = card.channels;
    Session s(card, (1u << channels) - 1, 1, 10);
    if (!s.ok()) {
        std::printf("no site\n");
        return;
    }
    s.waitFor(static_cast<std::size_t>(channels) * 3, 5000, 5000);
    s.site().changeSpeed(speedIndex);
    sleepMs(500);
    const std::size_t from = s.collector.size();
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall = secondsSince(t0);
    const auto pics = s.collector.copy(from);
    std::vector<int> per(static_cast<std::size_t>(channels), 0);
    int firstSec = -1;
    int lastSec = -1;
    for (const Picture& p : pics) {
        if (p.channel >= 0 && p.channel < channels) {
            ++per[static_cast<std::size_t>(p.channel)];
        }
        const int sec = secondOfDay(p.time) - kStartSecondOfDay;
        firstSec = firstSec < 0 ? sec : std::min(firstSec, sec);
        lastSec = std::max(lastSec, sec);
    }
    const int lo = *std::min_element(per.begin(), per.end());
    const int hi = *std::max_element(per.begin(), per.end());
    const int speed = SpeedTable[speedIndex];
    std::printf(
        "shuttle x%d (index %d), %d ch %dx%d@%d, %d s: key frames per second per channel "
        "min %.1f, max %.1f (one key frame a second: %d at full speed); card advanced %d s\n",
        speed, speedIndex, channels, card.width, card.height, card.fps, seconds, lo / wall,
        hi / wall, speed, lastSec - firstSec);
    std::fflush(stdout);
}

// CPU seconds of every thread of the process, by thread id.
std::vector<std::pair<int, double>> threadCpu() {
    std::vector<std::pair<int, double>> out;
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/proc/self/task", ec)) {
        std::ifstream f(e.path() / "stat");
        std::string line;
        std::getline(f, line);
        const auto close = line.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        // After the command name: state is field 3, utime 14 and stime 15.
        std::vector<std::string> fields;
        std::size_t at = close + 2;
        while (at < line.size() && fields.size() < 13) {
            const auto space = line.find(' ', at);
            fields.push_back(line.substr(at, space - at));
            at = space == std::string::npos ? line.size() : space + 1;
        }
        if (fields.size() < 13) {
            continue;
        }
        out.emplace_back(std::atoi(e.path().filename().c_str()),
                         (std::atof(fields[11].c_str()) + std::atof(fields[12].c_str())) / tick);
    }
    return out;
}

// Percent of one core used by the process over `seconds`; *detail names the
// busiest threads.
double idleCpu(double seconds, std::string* detail) {
    const auto before = threadCpu();
    const double c0 = cpuSeconds();
    const auto w0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = secondsSince(w0);
    const double total = 100.0 * (cpuSeconds() - c0) / wall;
    std::vector<std::pair<double, int>> busy;
    for (const auto& [tid, cpu] : threadCpu()) {
        double start = 0.0;
        for (const auto& [tid0, cpu0] : before) {
            if (tid0 == tid) {
                start = cpu0;
            }
        }
        busy.emplace_back(100.0 * (cpu - start) / wall, tid);
    }
    std::sort(busy.rbegin(), busy.rend());
    int active = 0;
    for (const auto& b : busy) {
        active += b.first > 0.0 ? 1 : 0;
    }
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "; %zu threads, %d with CPU time, busiest %.1f %%, %.1f %%, %.1f %%", busy.size(),
                  active, busy.size() > 0 ? busy[0].first : 0.0,
                  busy.size() > 1 ? busy[1].first : 0.0, busy.size() > 2 ? busy[2].first : 0.0);
    *detail = buf;
    return total;
}

void idle(const Card& card) {
    const int channels = card.channels;
    Session s(card, (1u << channels) - 1, 1, 10);
    if (!s.ok()) {
        std::printf("no site\n");
        return;
    }
    s.waitFor(static_cast<std::size_t>(channels) * 15, 5000, 5000);
    s.site().pause();
    sleepMs(500);
    std::string detail;
    const double paused = idleCpu(3.0, &detail);
    std::printf("CPU paused site, %d ch %dx%d: %.2f %% of one core (target <= 3 %%)%s\n", channels,
                card.width, card.height, paused, detail.c_str());
    std::fflush(stdout);
    s.site().play();
    s.gotoSecond(card.spanSeconds() - 2);
    sleepMs(200);
    s.waitFor(static_cast<std::size_t>(-1), 1000, 10000);
    const double finished = idleCpu(3.0, &detail);
    std::printf("CPU finished site, %d ch %dx%d: %.2f %% of one core (target <= 3 %%)%s\n",
                channels, card.width, card.height, finished, detail.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 20;
    int seeks = 30;
    int shuttleSeconds = 3;
    int repeats = 2;
    bool withFfmpeg = true;
    std::string parts = "trsi";
    for (int i = 1; i < argc; ++i) {
        const auto is = [&](const char* name) { return std::strcmp(argv[i], name) == 0; };
        if (is("--seconds") && i + 1 < argc) {
            seconds = std::max(1, std::atoi(argv[++i]));
        } else if (is("--seeks") && i + 1 < argc) {
            seeks = std::max(1, std::atoi(argv[++i]));
        } else if (is("--shuttle-seconds") && i + 1 < argc) {
            shuttleSeconds = std::max(1, std::atoi(argv[++i]));
        } else if (is("--repeats") && i + 1 < argc) {
            repeats = std::max(1, std::atoi(argv[++i]));
        } else if (is("--only") && i + 1 < argc) {
            parts = argv[++i];
        } else if (is("--no-ffmpeg")) {
            withFfmpeg = false;
        } else {
            std::fprintf(stderr,
                         "usage: bench_playback [--seconds N] [--seeks N] [--shuttle-seconds N] "
                         "[--repeats N] [--only PARTS] [--no-ffmpeg]\n");
            return 2;
        }
    }
    if (withFfmpeg && std::system("ffmpeg -version >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "bench_playback: ffmpeg not found (use --no-ffmpeg)\n");
        return 2;
    }
    // Cards are in two files so that the file change is part of every figure.
    // Real-time cards last the run plus a margin; the 1280x720 throughput card
    // gives 1800 pictures a channel, the 1920x1080 one at least 600, long
    // enough for open and start-up to weigh little.
    const int half = (seconds + 11) / 2;
    Card hd;
    Card fullHd;
    Card longCard;
    if (!prepareCard(&hd, 1280, 720, 15, 8, 2, std::max(60, half)) ||
        !prepareCard(&fullHd, 1920, 1080, 30, 8, 2, std::max(10, half)) ||
        !prepareCard(&longCard, 640, 360, 15, 4, 6, 60)) {
        return 2;
    }
    // The engine reports on std::cout; the figures go through stdio.
    Discard discard;
    std::streambuf* old = std::cout.rdbuf(&discard);
    const auto start = Clock::now();

    if (parts.find('t') != std::string::npos) {
        throughput(hd, {1, 4, 8}, withFfmpeg, repeats);
        throughput(fullHd, {1, 4, 8}, withFfmpeg, repeats);
    }
    if (parts.find('r') != std::string::npos) {
        realTime(fullHd, 4, seconds);
        realTime(hd, 8, seconds);
    }
    if (parts.find('s') != std::string::npos) {
        seek(longCard, seeks);
        seek(hd, seeks);
        shuttle(longCard, 12, shuttleSeconds);
        shuttle(longCard, 14, shuttleSeconds);
    }
    if (parts.find('i') != std::string::npos) {
        idle(longCard);
    }

    std::cout.rdbuf(old);
    std::printf("total %.0f s\n", secondsSince(start));
    return 0;
}
