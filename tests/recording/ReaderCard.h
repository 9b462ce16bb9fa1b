#pragma once

// Tiny generated cards for the channel reader's tests, and what the generator
// put into them, worked out from its options alone (not from the files).

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <boost/date_time/posix_time/posix_time.hpp>

#include "AudioEncoders.h"
#include "MakeCard.h"
#include "Telemetry.h"
#include "core/Params.h"
#include "recording/SSFChannelReader.h"
#include "TestSupport.h"

namespace readertest {

namespace fs = std::filesystem;
namespace pt = boost::posix_time;

// A generated card below the temporary folder, removed again when the object goes.
class Card : public testsupport::Card {
public:
    Card(const std::string& tag, const mkcard::CardOptions& base)
        : testsupport::Card(withOutDir(base, tag)) {
        EXPECT_TRUE(ok()) << error();
    }
    std::string dayFolder() const { return day(); }
    pt::ptime start(int k) const {
        const mkcard::CivilTime& s = planned(0, k).start;
        return pt::ptime(boost::gregorian::date(static_cast<unsigned short>(s.year),
                                                static_cast<unsigned short>(s.month),
                                                static_cast<unsigned short>(s.day)),
                         pt::hours(s.hour) + pt::minutes(s.minute) + pt::seconds(s.second));
    }

private:
    static mkcard::CardOptions withOutDir(mkcard::CardOptions o, const std::string& tag) {
        o.outDir = testsupport::tempPath("reader-" + tag);
        return o;
    }
};

// Small pictures at 5 fps: one key frame per second.
inline mkcard::CardOptions tinyOptions(int files, int seconds, int channels = 1) {
    mkcard::CardOptions o = testsupport::smallCard("");
    o.filesPerChannel = files;
    o.secondsPerFile = seconds;
    o.channels = channels;
    o.seed = 11;
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
    using Index = std::size_t;
    std::vector<Expected> out;
    const std::uint32_t length = static_cast<std::uint32_t>(o.secondsPerFile) * 1000;
    const std::uint32_t audioMs = mkcard::audioCadence(o.audio).msPerPacket;
    const std::uint32_t gsensorMs = 1000 / mkcard::kGsensorPerSecond;
    const Index first = static_cast<Index>(k * o.secondsPerFile);
    for (std::uint32_t i = 0; i * 1000 / o.fps < length; ++i) {
        out.push_back({Expected::Video, k, i * 1000 / o.fps, i % o.fps == 0, i});
    }
    for (std::uint32_t i = 0; o.audio != mkcard::AudioCoding::None && i * audioMs < length; ++i) {
        out.push_back({Expected::Audio, k, i * audioMs, false, i});
    }
    for (std::uint32_t i = 0; i * 1000 < length; ++i) {
        out.push_back({Expected::Gps, k, i * 1000, false, first + i});
    }
    for (std::uint32_t i = 0; i * gsensorMs < length; ++i) {
        out.push_back({Expected::GSensor, k, i * gsensorMs, false,
                       first * mkcard::kGsensorPerSecond + i});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Expected& x, const Expected& y) { return x.stamp < y.stamp; });
    return out;
}

// Byte offsets and lengths of the packets of a recording file, found by
// walking it from its first packet up to the I-frame table or the end.
struct RawPacket {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint8_t flags = 0;
};

using testsupport::le32;
using testsupport::readBytes;
using testsupport::writeBytes;

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

// A reader of channel 0 over the given files, prepared, logging into `log`.
inline std::unique_ptr<SSFChannelReader> makeReader(const std::vector<std::string>& files,
                                                    std::ostream* log,
                                                    const SourceParams& params = SourceParams()) {
    auto reader = std::make_unique<SSFChannelReader>(0, params);
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
