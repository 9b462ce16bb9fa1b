// Damaged and unusual cards end to end: a generated card with every fault of
// the generator and copies of a clean one damaged byte by byte (a header
// dated 9999-12-31 23:59:59, FIFOs and a folder named like recordings, a
// flipped packet length, index entries moved into packets, a channel with
// fewer files, a file removed during play). For each: what plays, on which
// channel, at which instant; nothing aborts, nothing hangs (every wait has a
// deadline); and korvel-play exits 0 with the undamaged channels in step.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <boost/date_time/gregorian/gregorian_types.hpp>

#include "MakeCard.h"
#include "engine/CSSFFileSite.h"
#include "engine/CVideoDecodeItem.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

// 4 channels, 3 files of 3 s, 10 pictures a second, a key frame a second.
constexpr int kChannels = 4;
constexpr int kFiles = 3;
constexpr int kSeconds = 3;
constexpr int kFps = 10;
constexpr int kAllPictures = kFiles * kSeconds * kFps;
constexpr int kDate = 20260301;

int secondsOf(int hhmmss) {
    return hhmmss / 10000 * 3600 + hhmmss / 100 % 100 * 60 + hhmmss % 100;
}

bool eventually(const std::function<bool()>& condition, int limitMs) {
    const auto limit = Clock::now() + std::chrono::milliseconds(limitMs);
    while (!condition()) {
        if (Clock::now() > limit) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

mkcard::CardOptions cardOptions(const std::string& out) {
    mkcard::CardOptions o;
    o.outDir = out;
    o.start = {2026, 3, 1, 12, 0, 0};
    o.filesPerChannel = kFiles;
    o.secondsPerFile = kSeconds;
    o.channels = kChannels;
    o.width = 160;
    o.height = 96;
    o.fps = kFps;
    o.audio = mkcard::AudioCoding::Ulaw;
    o.jobs = 2;
    return o;
}

std::string root() {
    static const std::string path =
        (fs::temp_directory_path() / ("korvel-faults-" + std::to_string(::getpid()))).string();
    return path;
}

std::string day(const std::string& card) {
    return card + "/20260301";
}

std::string ssf(const std::string& card, int channel, int file) {
    char name[32];
    std::snprintf(name, sizeof name, "/1200%02d%02d0.ssf", file * kSeconds, channel);
    return day(card) + name;
}

std::string idx(const std::string& card, int channel, int file) {
    std::string p = ssf(card, channel, file);
    return p.replace(p.size() - 3, 3, "idx");
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void putLe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// Offsets of the packets of a recording (walked from the first one).
std::vector<std::size_t> packetOffsets(const Bytes& b) {
    std::vector<std::size_t> out;
    std::size_t at = 40 + le32(b, 36);
    while (at + 4 <= b.size()) {
        const std::uint32_t t = le32(b, at);
        if (t < 11 || at + t > b.size()) {
            break;
        }
        out.push_back(at);
        at += t;
    }
    return out;
}

// The clean card and the damaged copies, made once.
class Cards : public ::testing::Environment {
public:
    static std::string path(const std::string& name) { return root() + "/" + name; }

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(mkcard::makeCard(cardOptions(path("clean")), &error)) << error;
        mkcard::CardOptions faulty = cardOptions(path("generator"));
        faulty.faults = {{mkcard::FaultKind::NoIndex, 0, -1},
                         {mkcard::FaultKind::NoIFrameTable, 1, -1},
                         {mkcard::FaultKind::TruncatedLastPacket, 1, 1},
                         {mkcard::FaultKind::InvalidStartDate, 2, 1},
                         {mkcard::FaultKind::TruncatedIndex, 3, -1},
                         {mkcard::FaultKind::BadNames, -1, -1}};
        ASSERT_TRUE(mkcard::makeCard(faulty, &error)) << error;

        // Channel 1, file 1: a start so late that its packets have no date.
        Bytes b = readBytes(ssf(copy("date9999"), 1, 1));
        for (std::size_t p = 40; p + 26 < b.size(); ++p) {
            if (le32(b, p) == 0xFFF10000u) {
                const std::uint8_t start[7] = {0x0F, 0x27, 12, 31, 23, 59, 59};
                std::copy(start, start + 7, b.begin() + static_cast<std::ptrdiff_t>(p + 19));
                break;
            }
        }
        writeBytes(ssf(path("date9999"), 1, 1), b);

        // A FIFO as channel 0's first index file, a FIFO and a folder named
        // like recordings of channel 2.
        const std::string fifo = copy("fifo");
        fs::remove(idx(fifo, 0, 0));
        ASSERT_EQ(::mkfifo(idx(fifo, 0, 0).c_str(), 0600), 0);
        ASSERT_EQ(::mkfifo((day(fifo) + "/120009020.ssf").c_str(), 0600), 0);
        fs::create_directory(day(fifo) + "/120012020.ssf");

        // One bit of a packet length in the middle of channel 1's file 0.
        b = readBytes(ssf(copy("flip"), 1, 0));
        const std::vector<std::size_t> packets = packetOffsets(b);
        b[packets[packets.size() / 2] + 3] ^= 0x40;
        writeBytes(ssf(path("flip"), 1, 0), b);

        // Channel 1's index entries point 5 bytes into their packets.
        const std::string moved = copy("moved");
        for (int k = 0; k < kFiles; ++k) {
            b = readBytes(idx(moved, 1, k));
            const unsigned count = b[8] | (b[9] << 8);
            for (unsigned e = 0; e < count; ++e) {
                putLe32(b, 294 + 16 * e, le32(b, 294 + 16 * e) + 5);
            }
            writeBytes(idx(moved, 1, k), b);
        }

        // Channel 3 recorded only its first file.
        const std::string fewer = copy("fewer");
        for (int k = 1; k < kFiles; ++k) {
            fs::remove(ssf(fewer, 3, k));
            fs::remove(idx(fewer, 3, k));
        }
        copy("removed");
    }
    void TearDown() override {
        // A FIFO left blocking nobody can be removed like any file.
        std::error_code ec;
        fs::remove_all(root(), ec);
    }

private:
    static std::string copy(const std::string& name) {
        fs::copy(path("clean"), path(name), fs::copy_options::recursive);
        return path(name);
    }
};

const auto* const kCards = ::testing::AddGlobalTestEnvironment(new Cards);

struct Picture {
    int date = 0;
    int time = 0;
};

// What a display page would receive, per channel.
class Recorder {
public:
    void picture(const PUSHVIDEO& p) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_pictures[p.channel].push_back({p.date, p.time});
    }
    std::vector<Picture> of(int channel) {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_pictures[channel];
    }
    void clear() {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_pictures.clear();
    }

private:
    std::mutex m_mutex;
    std::map<int, std::vector<Picture>> m_pictures;
};

class FaultCardTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (site) {
            const auto start = Clock::now();
            site->stop();
            site->close();
            EXPECT_TRUE(site->waitForCommands(10000));
            EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)) << "close took too long";
        }
    }

    void open(const std::string& card, int pacing, int startTime = 0) {
        site = std::make_unique<CSSFFileSite>();
        SiteParams p;
        p.folder = day(Cards::path(card));
        p.pacing = pacing;
        p.channelMask = (1u << kChannels) - 1;
        p.startDate = startTime == 0 ? 0 : kDate;
        p.startTime = startTime;
        p.onPicture = [this](PUSHVIDEO* v) { recorder.picture(*v); };
        site->reset();
        ASSERT_TRUE(site->open(&p));
    }

    // Plays the card without pacing from its start to the end of the
    // recordings, which must come within the deadline.
    void playThrough(const std::string& card) {
        open(card, 0);
        ASSERT_TRUE(eventually([&] { return site->isFinished(); }, 20000))
            << card << ": playback never came to its end";
    }

    // Every picture of a channel: dated on the card's day, in order, within
    // the recordings' 9 s.
    void expectSound(int channel) {
        const std::vector<Picture> pictures = recorder.of(channel);
        int previous = 0;
        for (const Picture& p : pictures) {
            EXPECT_EQ(p.date, kDate) << "channel " << channel;
            EXPECT_GE(p.time, 120000) << "channel " << channel;
            EXPECT_LT(p.time, 120000 + kFiles * kSeconds) << "channel " << channel;
            EXPECT_GE(p.time, previous) << "channel " << channel;
            previous = p.time;
        }
    }

    Recorder recorder;
    std::unique_ptr<CSSFFileSite> site;
};

TEST_F(FaultCardTest, EveryGeneratorFaultPlaysEveryPicture) {
    playThrough("generator");
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE(c);
        expectSound(c);
        // Channel 1's file 1 lost half of its last packet, a G-sensor sample.
        EXPECT_EQ(recorder.of(c).size(), static_cast<std::size_t>(kAllPictures));
    }
}

TEST_F(FaultCardTest, AHeaderDatedAtTheEndOf9999IsDatedFromItsName) {
    playThrough("date9999");
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE(c);
        expectSound(c);
        EXPECT_EQ(recorder.of(c).size(), static_cast<std::size_t>(kAllPictures));
    }
    int date = 0, time = 0;
    EXPECT_TRUE(site->getLastRecordTime(&date, &time));
    EXPECT_EQ(date, kDate);
}

TEST_F(FaultCardTest, FifosAndFoldersNamedLikeRecordingsAreNeverOpened) {
    playThrough("fifo");
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE(c);
        expectSound(c);
        EXPECT_EQ(recorder.of(c).size(), static_cast<std::size_t>(kAllPictures));
    }
}

TEST_F(FaultCardTest, AFlippedLengthCostsOneGroupOfPicturesAtMost) {
    playThrough("flip");
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE(c);
        expectSound(c);
        const std::size_t n = recorder.of(c).size();
        EXPECT_LE(n, static_cast<std::size_t>(kAllPictures));
        EXPECT_GE(n, static_cast<std::size_t>(c == 1 ? kAllPictures - kFps : kAllPictures));
    }
}

TEST_F(FaultCardTest, IndexEntriesMovedIntoPacketsStillGiveEveryKeyFrame) {
    // Key frames only, one a second: fast forward, then backward.
    open("moved", 0);
    site->changeSpeed(10);
    ASSERT_TRUE(eventually([&] { return site->isFinished(); }, 20000));
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE(c);
        expectSound(c);
        EXPECT_GE(recorder.of(c).size(), static_cast<std::size_t>(kFiles * kSeconds));
        EXPECT_EQ(recorder.of(c).back().time, 120008);
    }
    recorder.clear();
    site->changeSpeed(4);
    ASSERT_TRUE(eventually([&] { return site->isFinished(); }, 20000));
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE(c);
        EXPECT_GE(recorder.of(c).size(), static_cast<std::size_t>(kFiles * kSeconds - 1));
        EXPECT_EQ(recorder.of(c).back().time, 120000);
    }
}

// A jump to where channel 3 has no recording (and the last recording, where
// it has none either): it stays quiet, the others play at the target, and
// the clock does not go back to channel 3's old recording.
TEST_F(FaultCardTest, AChannelWithFewerFilesStaysQuietWhileTheOthersPlayInStep) {
    open("fewer", 1);
    ASSERT_TRUE(eventually([&] { return !recorder.of(3).empty(); }, 5000));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "goto 12:00:05" : "last");
        recorder.clear();
        if (round == 0) {
            site->gotoDateTime(2026, 3, 1, 12, 0, 5);
        } else {
            ASSERT_TRUE(site->gotoLast());
        }
        const int target = round == 0 ? 120005 : 120008;
        // A picture a worker took before the jump may still come in after
        // it: the channels' pictures at the target are waited for.
        const auto reached = [&](int c) {
            const std::vector<Picture> got = recorder.of(c);
            return !got.empty() && got.back().time >= target;
        };
        ASSERT_TRUE(eventually([&] { return reached(0) && reached(1) && reached(2); }, 3000));
        for (const Picture& p : recorder.of(3)) {
            EXPECT_LT(p.time, target) << "channel 3 has no recording at the target";
        }
        // The jump is carried out on the site's control thread: channel 3
        // counts as quiet once the jump is through and its worker waits.
        EXPECT_TRUE(eventually([&] { return site->isChannelQuiet(3); }, 3000));
        const CSSFFileSite::ptime clock = site->presentationClock();
        ASSERT_FALSE(clock.is_not_a_date_time());
        // The clock runs the presentation lead behind the pictures.
        EXPECT_GE(clock, CSSFFileSite::ptime(boost::gregorian::date(2026, 3, 1),
                                             boost::posix_time::seconds(secondsOf(target))) -
                             boost::posix_time::milliseconds(CVideoDecodeItem::kPresentLeadMs));
    }
    // Back where channel 3 has its recording, it plays again.
    recorder.clear();
    ASSERT_TRUE(site->gotoFirst());
    ASSERT_TRUE(eventually([&] { return !recorder.of(3).empty(); }, 3000));
    EXPECT_EQ(recorder.of(3).front().time, 120000);
}

TEST_F(FaultCardTest, AFileRemovedDuringPlayEndsItsChannelEarly) {
    open("removed", 1);
    // Removed while the channel reads its first file.
    ASSERT_TRUE(eventually([&] { return !recorder.of(2).empty(); }, 5000));
    fs::remove(ssf(Cards::path("removed"), 2, 2));
    fs::remove(idx(Cards::path("removed"), 2, 2));
    site->changeSpeed(12);  // x16: to the end quickly
    ASSERT_TRUE(eventually([&] { return site->isFinished(); }, 20000));
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE(c);
        expectSound(c);
        EXPECT_EQ(recorder.of(c).back().time, c == 2 ? 120005 : 120008);
    }
}

// The headless player on every damaged card: exit 0, and the channels that
// are not damaged deliver the same seconds.
TEST(FaultCardPlayer, PlaysEveryDamagedCardWithTheUndamagedChannelsInStep) {
    const std::map<std::string, std::vector<int>> undamaged = {
        {"generator", {0, 1, 2, 3}}, {"date9999", {0, 2, 3}}, {"fifo", {1, 3}},
        {"flip", {0, 2, 3}}, {"moved", {0, 2, 3}},  {"fewer", {0, 1, 2}}};
    for (const auto& [card, channels] : undamaged) {
        SCOPED_TRACE(card);
        const std::string command = std::string(KORVEL_PLAY_EXE) + " --channels 0x0F --start '" +
                                    std::to_string(kDate) + " 120004' --script 'wait 1200' " +
                                    day(Cards::path(card)) + " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::map<int, std::string> summary;
        char line[512];
        while (std::fgets(line, sizeof line, pipe) != nullptr) {
            const std::string text(line);
            const auto at = text.find("\"summary\":\"channel\",\"channel\":");
            if (at != std::string::npos) {
                summary[std::stoi(text.substr(at + 30))] = text;
            }
        }
        const int status = ::pclose(pipe);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        // "first" and "last" of a summary line.
        const auto seconds = [](const std::string& line) {
            const auto value = [&](const std::string& key) {
                const auto at = line.find("\"" + key + "\":\"");
                return at == std::string::npos ? std::string()
                                               : line.substr(at + key.size() + 4, 15);
            };
            return value("first") + " " + value("last");
        };
        for (int c : channels) {
            ASSERT_EQ(summary.count(c), 1u) << c;
            EXPECT_EQ(summary[c].find("\"pictures\":0,"), std::string::npos) << summary[c];
            EXPECT_EQ(seconds(summary[c]), seconds(summary[channels.front()])) << summary[c];
        }
    }
}

}  // namespace
