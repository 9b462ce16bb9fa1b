#pragma once

// Tiny generated cards for the channel reader's tests, and what the generator
// put into them, worked out from its options alone (not from the files).

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <boost/date_time/posix_time/posix_time.hpp>

#include "AudioEncoders.h"
#include "MakeCard.h"
#include "Telemetry.h"
#include "engine/Params.h"
#include "recording/SSFChannelReader.h"

namespace readertest {

namespace fs = std::filesystem;
namespace pt = boost::posix_time;

// A card below the temporary folder, removed again when the object goes.
class Card {
public:
    Card(const std::string& tag, const mkcard::CardOptions& base) : options_(base) {
        options_.outDir = (fs::temp_directory_path() /
                           ("korvel-reader-" + std::to_string(::getpid()) + "-" + tag))
                              .string();
        std::error_code ec;
        fs::remove_all(options_.outDir, ec);
        std::string error;
        ok_ = mkcard::makeCard(options_, &error);
        EXPECT_TRUE(ok_) << error;
        plan_ = mkcard::planCard(options_);
    }
    ~Card() {
        std::error_code ec;
        fs::remove_all(options_.outDir, ec);
    }
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;

    bool ok() const { return ok_; }
    const mkcard::CardOptions& options() const { return options_; }
    std::string root() const { return options_.outDir; }
    std::string dayFolder() const { return root() + "/" + dayName(); }
    std::string dayName() const {
        char s[16];
        std::snprintf(s, sizeof s, "%04d%02d%02d", options_.start.year, options_.start.month,
                      options_.start.day);
        return s;
    }
    // Absolute path of file k of channel c.
    std::string ssf(int channel, int k) const { return root() + "/" + planned(channel, k).ssfPath; }
    std::string idx(int channel, int k) const { return root() + "/" + planned(channel, k).idxPath; }
    const mkcard::PlannedFile& planned(int channel, int k) const {
        return plan_[static_cast<std::size_t>(channel * options_.filesPerChannel + k)];
    }
    pt::ptime start(int k) const {
        const mkcard::CivilTime& s = planned(0, k).start;
        return pt::ptime(boost::gregorian::date(static_cast<unsigned short>(s.year),
                                                static_cast<unsigned short>(s.month),
                                                static_cast<unsigned short>(s.day)),
                         pt::hours(s.hour) + pt::minutes(s.minute) + pt::seconds(s.second));
    }

private:
    mkcard::CardOptions options_;
    std::vector<mkcard::PlannedFile> plan_;
    bool ok_ = false;
};

// Small pictures at 5 fps: one key frame per second.
inline mkcard::CardOptions tinyOptions(int files, int seconds, int channels = 1) {
    mkcard::CardOptions o;
    o.start = {2026, 3, 1, 12, 0, 0};
    o.filesPerChannel = files;
    o.secondsPerFile = seconds;
    o.channels = channels;
    o.width = 160;
    o.height = 96;
    o.fps = 5;
    o.seed = 11;
    o.jobs = 2;
    return o;
}

// One packet as the generator wrote it.
struct Expected {
    enum Kind { Video, Audio, Gps, GSensor } kind = Video;
    int file = 0;
    std::uint32_t stamp = 0;
    bool key = false;
    std::size_t index = 0;  // sample number within the card's telemetry
};

// Packets of file k in the generator's order: by time stamp, and at equal
// stamps video, audio, GPS, G-sensor. Key frames: one per second.
inline std::vector<Expected> expectedPackets(const mkcard::CardOptions& o, int k) {
    std::vector<Expected> out;
    const std::uint32_t length = static_cast<std::uint32_t>(o.secondsPerFile) * 1000;
    const int audioMs = mkcard::audioCadence(o.audio).msPerPacket;
    const std::int64_t count[4] = {
        static_cast<std::int64_t>(o.secondsPerFile) * o.fps,
        o.audio == mkcard::AudioCoding::None ? 0 : (length + audioMs - 1) / audioMs,
        o.secondsPerFile, static_cast<std::int64_t>(o.secondsPerFile) * mkcard::kGsensorPerSecond};
    auto stampOf = [&](int stream, std::int64_t i) -> std::uint32_t {
        switch (stream) {
            case 0:
                return static_cast<std::uint32_t>(i * 1000 / o.fps);
            case 1:
                return static_cast<std::uint32_t>(i * audioMs);
            case 2:
                return static_cast<std::uint32_t>(i * 1000);
            default:
                return static_cast<std::uint32_t>(i * (1000 / mkcard::kGsensorPerSecond));
        }
    };
    std::int64_t next[4] = {0, 0, 0, 0};
    for (;;) {
        int stream = -1;
        std::uint32_t ts = 0;
        for (int s = 0; s < 4; ++s) {
            if (next[s] < count[s] && (stream < 0 || stampOf(s, next[s]) < ts)) {
                stream = s;
                ts = stampOf(s, next[s]);
            }
        }
        if (stream < 0) {
            return out;
        }
        const std::int64_t i = next[stream]++;
        Expected e;
        e.kind = static_cast<Expected::Kind>(stream);
        e.file = k;
        e.stamp = ts;
        e.key = stream == 0 && i % o.fps == 0;
        const std::int64_t first = static_cast<std::int64_t>(k) * o.secondsPerFile;
        e.index = static_cast<std::size_t>(stream == 2   ? first + i
                                           : stream == 3 ? first * mkcard::kGsensorPerSecond + i
                                                         : i);
        out.push_back(e);
    }
}

// Byte offsets and lengths of the packets of a recording file, found by
// walking it from its first packet up to `end` (0: the end of the file).
struct RawPacket {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint8_t flags = 0;
};

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

inline void putLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

inline std::vector<RawPacket> walkPackets(const std::vector<std::uint8_t>& b) {
    std::vector<RawPacket> out;
    std::size_t at = 40 + le32(b, 36);
    // The I-frame table offset is the value of the 0xFFF40000 object, when present.
    std::size_t end = b.size();
    for (std::size_t p = 40; p + 12 <= at; ++p) {
        if (le32(b, p) == 0xFFF40000u) {
            const std::uint32_t table = le32(b, p + 8);
            if (table != 0) {
                end = table;
            }
            break;
        }
    }
    while (at + 4 <= end) {
        const std::uint32_t t = le32(b, at);
        if (t < 11 || at + t > end) {
            break;
        }
        out.push_back(RawPacket{static_cast<std::uint32_t>(at), t, b[at + 4]});
        at += t;
    }
    return out;
}

// A channel reader over the given files, prepared, logging into `log`.
inline std::unique_ptr<SSFChannelReader> makeReader(const std::vector<std::string>& files,
                                                    std::ostream* log, int channel = 0,
                                                    const SourceParams& params = SourceParams()) {
    auto reader = std::make_unique<SSFChannelReader>(channel, params);
    reader->setLog(log);
    for (const std::string& f : files) {
        reader->addFile(f);
    }
    reader->prepare();
    return reader;
}

inline int dateOf(const pt::ptime& t) {
    const auto ymd = t.date().year_month_day();
    return (static_cast<int>(ymd.year) * 100 + ymd.month) * 100 + ymd.day;
}

inline int timeOf(const pt::ptime& t) {
    const pt::time_duration d = t.time_of_day();
    return (static_cast<int>(d.hours()) * 100 + static_cast<int>(d.minutes())) * 100 +
           static_cast<int>(d.seconds());
}

}  // namespace readertest
