#include "MakeCard.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "AudioEncoders.h"
#include "Bytes.h"
#include "Painter.h"
#include "SetupIni.h"
#include "SsfWriter.h"
#include "Telemetry.h"
#include "VideoEncoder.h"

namespace fs = std::filesystem;

namespace mkcard {

namespace {

bool faultApplies(const CardOptions& o, FaultKind kind, int channel, int file) {
    for (const Fault& f : o.faults) {
        if (f.kind == kind && (f.channel < 0 || f.channel == channel) &&
            (f.file < 0 || f.file == file)) {
            return true;
        }
    }
    return false;
}

CivilTime addSeconds(const CivilTime& t, int64_t seconds) {
    return fromSeconds(toSeconds(t) + seconds);
}

// Everything the per-file workers share; read-only while they run.
struct CardContext {
    const CardOptions& options;
    const Telemetry& telemetry;
    std::string vehicleEucKr;
};

// Shock onsets among the G-sensor samples [first, first + count).
uint32_t countShocks(const Telemetry& t, size_t first, size_t count) {
    uint32_t n = 0;
    for (size_t i = first; i < first + count && i < t.gsensor.size(); ++i) {
        if (t.gsensor[i].event != 0 && (i == 0 || t.gsensor[i - 1].event == 0)) {
            ++n;
        }
    }
    return n;
}

std::vector<uint8_t> gpsPayload(const CivilTime& instant, const GpsSample& g) {
    ByteSink p;
    p.u32(static_cast<uint32_t>(instant.year * 10000 + instant.month * 100 + instant.day));
    p.u32(static_cast<uint32_t>(instant.hour * 10000 + instant.minute * 100 + instant.second));
    p.u32(g.satellites);
    p.f64(g.latitude);
    p.f64(g.longitude);
    p.f64(g.knots);
    return std::move(p.bytes());
}

std::vector<uint8_t> gsensorPayload(const GsensorSample& g) {
    ByteSink p;
    p.f32(g.x);
    p.f32(g.y);
    p.f32(g.z);
    p.u8(g.event);
    return std::move(p.bytes());
}

// Writes one recording and its index file. Packets of the four streams are
// merged by time stamp; at equal stamps video comes first, then audio, GPS and
// G-sensor.
bool writeRecording(const CardContext& ctx, const PlannedFile& plan, std::string* error) {
    const CardOptions& o = ctx.options;
    const int c = plan.channel;
    const int k = plan.index;
    const int64_t fileFirstSecond = static_cast<int64_t>(k) * o.secondsPerFile;
    const uint32_t durationMs = static_cast<uint32_t>(plan.durationMs);

    HeaderInfo info;
    info.start = plan.start;
    if (faultApplies(o, FaultKind::InvalidStartDate, c, k)) {
        info.start.year = 0;
        info.start.month = 0;
        info.start.day = 0;
    }
    info.lengthMs = durationMs;
    info.title = channelText(c);
    info.secondString = ctx.vehicleEucKr;
    info.width = static_cast<uint16_t>(o.width);
    info.height = static_cast<uint16_t>(o.height);
    info.fps = static_cast<uint8_t>(o.fps);
    info.audio = o.audio;
    info.eventValue =
        countShocks(ctx.telemetry, static_cast<size_t>(fileFirstSecond) * kGsensorPerSecond,
                    static_cast<size_t>(o.secondsPerFile) * kGsensorPerSecond);

    SsfWriter writer;
    if (!writer.open(o.outDir + "/" + plan.ssfPath, info, error)) {
        return false;
    }
    H264Encoder encoder;
    if (!encoder.open(o.width, o.height, o.fps, error)) {
        return false;
    }

    const AudioCadence cadence = audioCadence(o.audio);
    const ToneSource tone(c);
    AdpcmFrameEncoder adpcm;
    std::vector<int16_t> pcm(static_cast<size_t>(std::max(1, cadence.samplesPerPacket)));
    std::vector<uint8_t> unit;

    const int64_t frames = static_cast<int64_t>(o.secondsPerFile) * o.fps;
    const int64_t gpsCount = o.secondsPerFile;
    const int64_t gCount = static_cast<int64_t>(o.secondsPerFile) * kGsensorPerSecond;
    const int64_t audioCount = o.audio == AudioCoding::None
                                   ? 0
                                   : (durationMs + cadence.msPerPacket - 1) / cadence.msPerPacket;
    int64_t next[4] = {0, 0, 0, 0};
    const int64_t count[4] = {frames, audioCount, gpsCount, gCount};
    auto stampOf = [&](int stream, int64_t i) -> uint32_t {
        switch (stream) {
            case 0:
                return static_cast<uint32_t>(i * 1000 / o.fps);
            case 1:
                return static_cast<uint32_t>(i * cadence.msPerPacket);
            case 2:
                return static_cast<uint32_t>(i * 1000);
            default:
                return static_cast<uint32_t>(i * (1000 / kGsensorPerSecond));
        }
    };

    for (;;) {
        int stream = -1;
        uint32_t ts = 0;
        for (int s = 0; s < 4; ++s) {
            if (next[s] < count[s] && (stream < 0 || stampOf(s, next[s]) < ts)) {
                stream = s;
                ts = stampOf(s, next[s]);
            }
        }
        if (stream < 0) {
            break;
        }
        const int64_t i = next[stream]++;
        const CivilTime instant = addSeconds(plan.start, ts / 1000);
        bool ok = true;
        switch (stream) {
            case 0: {
                YuvPicture picture;
                bool key = false;
                if (!encoder.picture(&picture, error)) {
                    return false;
                }
                paintFrame(picture, c, fileFirstSecond * o.fps + i, instant,
                           static_cast<int>(ts % 1000));
                if (!encoder.encode(i, &unit, &key, error)) {
                    return false;
                }
                ok = writer.writePacket(
                    static_cast<uint8_t>(kVideoStream | (key ? kKeyFrameFlag : 0)), ts, unit.data(),
                    unit.size(), error);
                break;
            }
            case 1: {
                const int64_t firstSample =
                    fileFirstSecond * kAudioSampleRate + i * cadence.samplesPerPacket;
                tone.render(firstSample, cadence.samplesPerPacket, pcm.data());
                const std::vector<uint8_t> block =
                    encodeAudioPacket(o.audio, pcm.data(), cadence.samplesPerPacket, &adpcm);
                ok = writer.writePacket(kAudioStream, ts, block.data(), block.size(), error);
                break;
            }
            case 2: {
                const GpsSample& g = ctx.telemetry.gps[static_cast<size_t>(fileFirstSecond + i)];
                const std::vector<uint8_t> payload = gpsPayload(instant, g);
                // GPS packets carry the packet extension: fix flag and satellite count.
                ok = writer.writePacket(kGpsStream, ts, payload.data(), payload.size(), error, true,
                                        1, g.satellites);
                break;
            }
            default: {
                const GsensorSample& g =
                    ctx.telemetry
                        .gsensor[static_cast<size_t>(fileFirstSecond * kGsensorPerSecond + i)];
                const std::vector<uint8_t> payload = gsensorPayload(g);
                ok = writer.writePacket(kGsensorStream, ts, payload.data(), payload.size(), error);
                break;
            }
        }
        if (!ok) {
            return false;
        }
    }

    const bool cut = faultApplies(o, FaultKind::TruncatedLastPacket, c, k);
    const bool table = !faultApplies(o, FaultKind::NoIFrameTable, c, k);
    if (!writer.finish(table, cut, error)) {
        return false;
    }
    if (faultApplies(o, FaultKind::NoIndex, c, k)) {
        return true;
    }
    const size_t cutIndex = faultApplies(o, FaultKind::TruncatedIndex, c, k) ? 8 : 0;
    return writeIndexFile(o.outDir + "/" + plan.idxPath, writer.keyFrames(), cutIndex, error);
}

bool writeGsensorLogs(const CardOptions& o, const Telemetry& t, std::string* error) {
    std::ofstream out;
    std::string openPath;
    uint32_t sequence = 0;
    for (size_t i = 0; i < t.gsensor.size(); ++i) {
        const CivilTime instant = addSeconds(o.start, static_cast<int64_t>(i / kGsensorPerSecond));
        const int ms = static_cast<int>(i % kGsensorPerSecond) * (1000 / kGsensorPerSecond);
        char hour[16];
        std::snprintf(hour, sizeof hour, "%02d", instant.hour);
        const std::string folder = o.outDir + "/logs/" + dateDigits(instant) + "m";
        const std::string path = folder + "/" + hour + ".mlog";
        if (path != openPath) {
            if (!openPath.empty()) {
                out.close();
                if (!out) {
                    *error = "cannot write " + openPath;
                    return false;
                }
            }
            std::error_code ec;
            fs::create_directories(folder, ec);
            out.clear();
            out.open(path, std::ios::binary | std::ios::trunc);
            if (!out) {
                *error = "cannot create " + path;
                return false;
            }
            openPath = path;
            sequence = 0;
        }
        out << mlogLine(instant, ms, sequence++, t.gsensor[i]) << '\n';
    }
    if (!openPath.empty()) {
        out.close();
        if (!out) {
            *error = "cannot write " + openPath;
            return false;
        }
    }
    return true;
}

bool copyFile(const std::string& from, const std::string& to, uintmax_t limit, std::string* error) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    std::vector<char> buf(1 << 16);
    uintmax_t left = limit;
    while (in && left > 0) {
        in.read(buf.data(), static_cast<std::streamsize>(std::min<uintmax_t>(buf.size(), left)));
        out.write(buf.data(), in.gcount());
        left -= static_cast<uintmax_t>(in.gcount());
    }
    out.close();
    if (!out) {
        *error = "cannot write " + to;
        return false;
    }
    return true;
}

bool writeBadNames(const CardOptions& o, const PlannedFile& first, std::string* error) {
    const std::string ssf = o.outDir + "/" + first.ssfPath;
    const std::string idx = o.outDir + "/" + first.idxPath;
    const bool hasIdx = fs::exists(idx);
    const std::string day = o.outDir + "/" + dateDigits(first.start) + "/";
    const std::string hhmmss = timeDigits(first.start);
    constexpr uintmax_t kAll = ~static_cast<uintmax_t>(0);
    auto copyPair = [&](const std::string& base) {
        return copyFile(ssf, base + ".ssf", kAll, error) &&
               (!hasIdx || copyFile(idx, base + ".idx", kAll, error));
    };
    if (!copyPair(day + "ab3456000") || !copyPair(day + hhmmss + "990") ||
        !copyFile(ssf, day + hhmmss + "009.ssf", 300, error)) {
        return false;
    }
    char month[16];
    std::snprintf(month, sizeof month, "%04d-%02d", first.start.year, first.start.month);
    const std::string badDay = o.outDir + "/" + month;
    std::error_code ec;
    fs::create_directories(badDay, ec);
    const std::string name = fs::path(first.ssfPath).filename().string();
    return copyFile(ssf, badDay + "/" + name, kAll, error);
}

}  // namespace

bool validateOptions(const CardOptions& o, std::string* error) {
    auto fail = [&](const std::string& why) {
        *error = why;
        return false;
    };
    if (o.outDir.empty()) {
        return fail("no output folder given (--out)");
    }
    if (!isValid(o.start) || o.start.year < 1970) {
        return fail("invalid start date and time");
    }
    if (o.filesPerChannel < 1 || o.filesPerChannel > 100000) {
        return fail("files per channel must be 1 to 100000");
    }
    if (o.secondsPerFile < 1 || o.secondsPerFile > 3599) {
        return fail("a file must last 1 to 3599 seconds");
    }
    if (static_cast<int64_t>(o.filesPerChannel) * o.secondsPerFile > kMaxCardSeconds) {
        return fail("a card covers at most 7 days");
    }
    // Setup values are plain text to the end of their line: anything but a
    // line break goes in as it is.
    auto iniText = [&](const std::string& what, const std::string& text) {
        for (const unsigned char ch : text) {
            if (ch < 0x20 || ch == 0x7F) {
                return fail(what + " must not hold control characters");
            }
        }
        std::string eucKr;
        return utf8ToEucKr(text, &eucKr, error);
    };
    if (!iniText("the vehicle number", o.vehicleNumber)) {
        return false;
    }
    if (o.titles.size() > static_cast<size_t>(std::max(o.channels, 0))) {
        return fail("more titles than channels");
    }
    for (const std::string& title : o.titles) {
        if (!iniText("a title", title)) {
            return false;
        }
    }
    for (const auto& setting : o.modelSettings) {
        const std::string& key = setting.first;
        const size_t slash = key.find('/');
        const std::string name = slash == std::string::npos ? key : key.substr(slash + 1);
        if (name.empty() || key.find_first_of("=[]; \t") != std::string::npos ||
            name.find('/') != std::string::npos || !iniText("a key", key) ||
            !iniText("a setting", setting.second)) {
            return fail("bad setting for ZD-3100.INI: " + key);
        }
    }
    if (o.channels < 1 || o.channels > 32) {
        return fail("channels must be 1 to 32");
    }
    if (o.width < 64 || o.width > 4096 || o.height < 48 || o.height > 2304 || o.width % 2 != 0 ||
        o.height % 2 != 0) {
        return fail("resolution must be even, 64x48 to 4096x2304");
    }
    if (o.fps < 1 || o.fps > 60) {
        return fail("frame rate must be 1 to 60");
    }
    if (o.jobs < 0 || o.jobs > 256) {
        return fail("jobs must be 0 to 256");
    }
    for (const Fault& f : o.faults) {
        if (f.channel < -1 || f.channel >= o.channels || f.file < -1 ||
            f.file >= o.filesPerChannel) {
            return fail("fault names a channel or file that the card does not have");
        }
    }
    const int64_t end =
        toSeconds(o.start) + static_cast<int64_t>(o.filesPerChannel) * o.secondsPerFile;
    if (fromSeconds(end).year > 9999) {
        return fail("the card would end after the year 9999");
    }
    return true;
}

std::vector<PlannedFile> planCard(const CardOptions& o) {
    std::vector<PlannedFile> files;
    files.reserve(static_cast<size_t>(o.channels) * o.filesPerChannel);
    for (int c = 0; c < o.channels; ++c) {
        for (int k = 0; k < o.filesPerChannel; ++k) {
            PlannedFile f;
            f.channel = c;
            f.index = k;
            f.start = addSeconds(o.start, static_cast<int64_t>(k) * o.secondsPerFile);
            f.durationMs = o.secondsPerFile * 1000;
            char channel[16];
            std::snprintf(channel, sizeof channel, "%02d", c);
            const std::string base =
                dateDigits(f.start) + "/" + timeDigits(f.start) + channel + "0";
            f.ssfPath = base + ".ssf";
            f.idxPath = base + ".idx";
            files.push_back(f);
        }
    }
    return files;
}

Telemetry cardTelemetry(const CardOptions& options) {
    return makeTelemetry(options.seed, options.filesPerChannel * options.secondsPerFile);
}

bool makeCard(const CardOptions& options, std::string* errorOut) {
    std::string localError;
    std::string* error = errorOut != nullptr ? errorOut : &localError;
    if (!validateOptions(options, error)) {
        return false;
    }
    const std::vector<PlannedFile> plan = planCard(options);
    std::error_code ec;
    fs::create_directories(options.outDir, ec);
    for (const PlannedFile& f : plan) {
        fs::create_directories(options.outDir + "/" + fs::path(f.ssfPath).parent_path().string(),
                               ec);
        if (ec) {
            *error = "cannot create folders in " + options.outDir + ": " + ec.message();
            return false;
        }
    }

    const Telemetry telemetry = cardTelemetry(options);
    CardContext ctx{options, telemetry, std::string()};
    if (!utf8ToEucKr(options.vehicleNumber, &ctx.vehicleEucKr, error) ||
        !writeSetupIni(options, error) || !writeGsensorLogs(options, ctx.telemetry, error)) {
        return false;
    }

    // Recordings in parallel, one (channel, period) per task. Each task writes
    // only its own files and its own error slot; errors are read after the join.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t workers =
        std::min<size_t>(plan.size(), options.jobs > 0 ? static_cast<size_t>(options.jobs) : cores);
    std::atomic<size_t> nextTask{0};
    std::atomic<bool> failed{false};
    std::vector<std::string> errors(plan.size());
    auto work = [&]() {
        for (;;) {
            const size_t t = nextTask.fetch_add(1);
            if (t >= plan.size() || failed.load()) {
                return;
            }
            if (!writeRecording(ctx, plan[t], &errors[t])) {
                failed.store(true);
            }
        }
    };
    std::vector<std::thread> threads;
    for (size_t i = 1; i < workers; ++i) {
        threads.emplace_back(work);
    }
    work();
    for (std::thread& t : threads) {
        t.join();
    }
    for (const std::string& e : errors) {
        if (!e.empty()) {
            *error = e;
            return false;
        }
    }

    for (const Fault& f : options.faults) {
        if (f.kind == FaultKind::BadNames) {
            return writeBadNames(options, plan.front(), error);
        }
    }
    return true;
}

}  // namespace mkcard
