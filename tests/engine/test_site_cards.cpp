// The recording-file site and its media source end to end on generated
// cards: a clean card (speeds, directions, jumps, steps, the end of the
// recordings, commands while the source prepares, random commands) and
// damaged copies of it (what plays, on which channel, at which instant, and
// that korvel-play exits 0 on each with the undamaged channels in step).
//
// KORVEL_SITE_STRESS_SECONDS sets the length of the stress run (10 s).

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <boost/date_time/gregorian/gregorian_types.hpp>

#include "../recording/ReaderCard.h"
#include "MakeCard.h"
#include "TestSupport.h"
#include "engine/CSSFFileSite.h"
#include "engine/CVideoDecodeItem.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
using testsupport::eventually;
using readertest::le32;
using readertest::putLe32;
using readertest::readBytes;
using readertest::writeBytes;

// How long stop and close may take: a prompt close takes a few milliseconds;
// the sanitizer builds on a busy machine need more room.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::chrono::milliseconds kCloseLimit{2000};
#else
constexpr std::chrono::milliseconds kCloseLimit{1000};
#endif

// 2026-03-01 12:00:00, 4 channels, 3 files of 3 s, 10 pictures a second with
// a key frame at every whole second, µ-law audio.
constexpr int kChannels = 4;
constexpr int kFiles = 3;
constexpr int kSeconds = 3;
constexpr int kFps = 10;
constexpr int kAllPictures = kFiles * kSeconds * kFps;
constexpr int kLast = 120000 + kFiles * kSeconds - 1;  // the last second, hhmmss
constexpr int kDate = 20260301;

int secondsOf(int hhmmss) {
    return hhmmss / 10000 * 3600 + hhmmss / 100 % 100 * 60 + hhmmss % 100;
}
// Seconds since 12:00:00.
int offsetOf(int hhmmss) {
    return secondsOf(hhmmss) - 12 * 3600;
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
    static const std::string path = testsupport::tempPath("site-cards");
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

        // One bit of a packet length in the middle of channel 1's file 0.
        b = readBytes(ssf(copy("flip"), 1, 0));
        const std::vector<readertest::RawPacket> packets = readertest::walkPackets(b);
        b[packets[packets.size() / 2].offset + 3] ^= 0x40;
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

        // A FIFO as channel 0's first index file, a FIFO and a folder named
        // like recordings of channel 2.
        const std::string fifo = copy("fifo");
        fs::remove(idx(fifo, 0, 0));
        ASSERT_EQ(::mkfifo(idx(fifo, 0, 0).c_str(), 0600), 0);
        ASSERT_EQ(::mkfifo((day(fifo) + "/120009020.ssf").c_str(), 0600), 0);
        fs::create_directory(day(fifo) + "/120012020.ssf");

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
    int time = 0;  // hhmmss
};

// What a display page would receive, per channel, since the last mark().
class Recorder {
public:
    void picture(const PUSHVIDEO& p) {
        std::lock_guard<std::mutex> guard(m_mutex);
        EXPECT_EQ(p.width, 160);
        EXPECT_EQ(p.height, 96);
        EXPECT_EQ(p.text, "CH" + std::to_string(p.channel + 1));
        m_pictures[p.channel].push_back({p.date, p.time});
    }
    void audio(const _AUDIODATA& a) {
        std::lock_guard<std::mutex> guard(m_mutex);
        EXPECT_EQ(a.param2, 8000);
        EXPECT_GT(a.length, 0);
        ++m_audio[a.channel];
    }
    void mark() {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_pictures.clear();
    }
    std::vector<Picture> of(int channel) {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_pictures[channel];
    }
    std::vector<int> times(int channel) {
        std::vector<int> out;
        for (const Picture& p : of(channel)) {
            out.push_back(p.time);
        }
        return out;
    }
    int audioBlocks(int channel) {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_audio[channel];
    }

private:
    std::mutex m_mutex;
    std::map<int, std::vector<Picture>> m_pictures;
    std::map<int, int> m_audio;
};

class SiteCardTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (site) {
            const auto start = Clock::now();
            site->stop();
            site->close();
            EXPECT_TRUE(site->waitForCommands(10000));
            EXPECT_LT(Clock::now() - start, kCloseLimit);
            site.reset();
        }
    }

    void open(ChannelMask mask, int pacing, int startTime = 0,
              const std::string& folder = day(Cards::path("clean"))) {
        site = std::make_unique<CSSFFileSite>();
        SiteParams p;
        p.folder = folder;
        p.pacing = pacing;
        p.channelMask = mask;
        p.startDate = startTime == 0 ? 0 : kDate;
        p.startTime = startTime;
        p.onPicture = [this](PUSHVIDEO* v) {
            recorder.picture(*v);
            std::this_thread::sleep_for(presentDelay);
        };
        p.onAudio = [this](_AUDIODATA* a) { recorder.audio(*a); };
        site->reset();
        ASSERT_TRUE(site->open(&p));
    }
    void openCard(const std::string& card, int pacing, int startTime = 0) {
        open((1u << kChannels) - 1, pacing, startTime, day(Cards::path(card)));
    }

    std::chrono::milliseconds presentDelay{0};

    // Waits until the site has carried out every command given so far.
    void settle() { ASSERT_TRUE(site->waitForCommands(10000)); }

    // Waits until every channel of the mask has shown `count` pictures in the
    // current segment.
    bool waitPictures(ChannelMask mask, std::size_t count,
                      std::chrono::milliseconds limit = 20s) {
        return eventually(
            [&] {
                for (int c = 0; c < kChannels; ++c) {
                    if (((mask >> c) & 1u) != 0 && recorder.of(c).size() < count) {
                        return false;
                    }
                }
                return true;
            },
            limit);
    }

    // Plays a card without pacing from its start to the end of the
    // recordings, which must come within the deadline.
    void playThrough(const std::string& card) {
        openCard(card, 0);
        ASSERT_TRUE(eventually([&] { return site->isFinished(); }, 20s))
            << card << ": playback never came to its end";
    }

    // Every picture of a channel: dated on the card's day, in order, within
    // the recordings' 9 s.
    void expectSound(int channel) {
        int previous = 0;
        for (const Picture& p : recorder.of(channel)) {
            EXPECT_EQ(p.date, kDate) << "channel " << channel;
            EXPECT_GE(p.time, 120000) << "channel " << channel;
            EXPECT_LE(p.time, kLast) << "channel " << channel;
            EXPECT_GE(p.time, previous) << "channel " << channel;
            previous = p.time;
        }
    }

    testsupport::QuietStdout quiet;
    Recorder recorder;
    std::unique_ptr<CSSFFileSite> site;
};

TEST_F(SiteCardTest, NormalSpeedDeliversEveryPictureInOrder) {
    playThrough("clean");
    for (int c = 0; c < kChannels; ++c) {
        expectSound(c);
        const std::vector<int> times = recorder.times(c);
        ASSERT_EQ(times.size(), static_cast<std::size_t>(kAllPictures)) << "channel " << c;
        for (int s = 0; s < kSeconds * kFiles; ++s) {
            EXPECT_EQ(std::count(times.begin(), times.end(), 120000 + s), kFps)
                << "channel " << c << " second " << s;
        }
        EXPECT_GT(recorder.audioBlocks(c), 0) << "channel " << c;
    }
    int date = 0, time = 0;
    ASSERT_TRUE(site->getCurrentDateTime(&date, &time));
    EXPECT_EQ(date, kDate);
    EXPECT_EQ(time, kLast);
    ASSERT_TRUE(site->getFirstRecordTime(&date, &time));
    EXPECT_EQ(time, 120000);
}

// Fast play shows the key frames only, one a second: x4 forward to the end
// of the recordings, then x-8 backward across the files to their start.
TEST_F(SiteCardTest, FastPlayShowsKeyFramesOnlyInEitherDirection) {
    open(0b0101, 1);
    ASSERT_TRUE(waitPictures(0b0101, 3));
    for (const auto& [index, end] : {std::pair<int, int>{10, kLast}, {3, 120000}}) {
        SCOPED_TRACE(index);
        const bool forward = index > kSpeedIndexStill;
        // Marked before the change, so that the first key frame cannot slip
        // past the mark; a picture of the play before may still come first.
        recorder.mark();
        site->changeSpeed(index);
        for (int c : {0, 2}) {
            ASSERT_TRUE(eventually([&, end = end] {
                const auto t = recorder.times(c);
                return !t.empty() && t.back() == end;
            }));
            std::vector<int> times = recorder.times(c);
            times.erase(times.begin());
            EXPECT_TRUE(std::adjacent_find(times.begin(), times.end(), [&](int a, int b) {
                            return forward ? a >= b : a <= b;
                        }) == times.end())
                << "channel " << c;
            EXPECT_GE(times.size(), forward ? 2u : 6u);
        }
        EXPECT_EQ(site->getSpeedIndex(nullptr), index);
    }
    EXPECT_EQ(site->getPlayMode(nullptr), PLAYMODE_BACKWARD);
}

TEST_F(SiteCardTest, JumpsLandWithinASecondOnEveryChannel) {
    open(0b1111, 1);
    ASSERT_TRUE(waitPictures(0b1111, 2));
    for (int target : {120005, 120002, 120006}) {
        site->gotoDateTime(2026, 3, 1, target / 10000, target / 100 % 100, target % 100);
        // The jump is still on its way to the control thread: the play time
        // of before it is no answer (a view would show it as the new place).
        int date = 0;
        int time = 0;
        if (site->getChannelDateTime(0, &date, &time)) {
            EXPECT_LE(std::abs(secondsOf(time) - secondsOf(target)), 1) << "stale time " << time;
        }
        settle();
        recorder.mark();
        ASSERT_TRUE(waitPictures(0b1111, 1)) << target;
        for (int c = 0; c < kChannels; ++c) {
            const int landed = recorder.times(c).front();
            EXPECT_LE(std::abs(secondsOf(landed) - secondsOf(target)), 1)
                << "channel " << c << " target " << target;
        }
    }
}

TEST_F(SiteCardTest, EachSingleStepShowsOnePicture) {
    // Five pictures a second between ten G-sensor samples a second: a step
    // must not stop at a sample.
    mkcard::CardOptions o = cardOptions(testsupport::tempPath("step"));
    o.filesPerChannel = 1;
    o.secondsPerFile = 6;
    o.channels = 2;
    o.fps = 5;
    testsupport::Card card(o);
    ASSERT_TRUE(card.ok()) << card.error();
    // A presenter that takes its time after the picture is seen: the next
    // step comes while the worker is still inside it.
    presentDelay = std::chrono::milliseconds(60);
    open(0xFF, 1, 0, card.day());  // channels without recordings too, as a page opens them
    ASSERT_TRUE(waitPictures(0b11, 3));
    // The first step may come while a picture of playing is on its way.
    site->stepForward();
    EXPECT_EQ(site->getPlayMode(nullptr), PLAYMODE_STEP_FORWARD);
    settle();
    recorder.mark();
    for (std::size_t n = 1; n <= 6; ++n) {
        site->stepForward();
        ASSERT_TRUE(waitPictures(0b11, n, 5s))
            << "step " << n << ": " << recorder.times(0).size() << " and "
            << recorder.times(1).size() << " pictures";
        // Exactly one picture per step on every channel.
        EXPECT_EQ(recorder.times(0).size(), n) << "step " << n;
        EXPECT_EQ(recorder.times(1).size(), n) << "step " << n;
    }
    // Six steps of 200 ms: more than a second on.
    const std::vector<int> times = recorder.times(0);
    EXPECT_GE(offsetOf(times.back()) - offsetOf(times.front()), 1);
}

// Reverse given twice, and every mix of reverse, pause, speed and play, goes
// on from where playback is, in the direction asked for.
TEST_F(SiteCardTest, ReverseTwiceAndOtherSequencesContinueFromThePosition) {
    open(0b0011, 1, 120005);
    ASSERT_TRUE(waitPictures(0b0011, 10));
    const auto latest = [&](int c) { return recorder.times(c).back(); };

    site->playReverse();
    settle();
    recorder.mark();
    ASSERT_TRUE(waitPictures(0b0011, 1, 3s));
    const int firstBackward = recorder.times(0).front();
    // Reverse play under way (a second picture) before reverse is given again.
    ASSERT_TRUE(waitPictures(0b0011, 2, 3s));
    const int before = latest(0);
    site->playReverse();
    settle();
    recorder.mark();
    // Pictures keep coming, backward, from where reverse play was.
    ASSERT_TRUE(waitPictures(0b0011, 2, 3s)) << "the second reverse froze playback";
    EXPECT_LE(recorder.times(0).front(), before + 1);
    EXPECT_LE(recorder.times(0).back(), recorder.times(0).front());
    EXPECT_LE(before, firstBackward);

    // Pause, then reverse; pause, then a speed change; reverse, then a
    // backward speed, then reverse: each goes on within a second of where
    // playback stood.
    const auto playTime = [&]() {
        settle();
        int date = 0, time = 0;
        EXPECT_TRUE(eventually([&] { return site->getCurrentDateTime(&date, &time); }, 3s));
        recorder.mark();
        return time;
    };
    const auto expectNear = [&](int time) {
        ASSERT_TRUE(waitPictures(0b0011, 1, 3s));
        EXPECT_LE(std::abs(secondsOf(recorder.times(0).front()) - secondsOf(time)), 1);
    };
    site->pause();
    int at = playTime();
    site->playReverse();
    expectNear(at);
    site->pause();
    at = playTime();
    site->changeSpeed(10);
    expectNear(at);
    site->playReverse();
    site->changeSpeed(4);
    at = playTime();
    site->playReverse();
    expectNear(at);

    // Play right after a reverse that has shown nothing yet starts where
    // playback stood, not at the time of the last jump.
    site->gotoDateTime(2026, 3, 1, 12, 0, 2);
    site->play();
    settle();
    recorder.mark();
    ASSERT_TRUE(waitPictures(0b0011, 25, 5s));
    at = playTime();
    ASSERT_GE(at, 120004);
    site->playReverse();
    site->play();
    expectNear(at);
}

// At the end of the recordings the site says so, and play starts over.
TEST_F(SiteCardTest, TheEndOfTheRecordingsIsAStateAndPlayStartsOver) {
    open(0b0101, 1, 120006);
    EXPECT_FALSE(site->isFinished());
    ASSERT_TRUE(waitPictures(0b0101, 1));
    EXPECT_GE(offsetOf(recorder.times(0).front()), 5);
    EXPECT_LE(offsetOf(recorder.times(0).front()), 6);
    ASSERT_TRUE(eventually([&] { return site->isFinished(); }));
    for (int c : {0, 2}) {
        EXPECT_EQ(recorder.times(c).back(), kLast) << "channel " << c;
        EXPECT_TRUE(site->isChannelQuiet(c));
    }
    recorder.mark();
    site->play();
    EXPECT_FALSE(site->isFinished());
    ASSERT_TRUE(waitPictures(0b0101, 1));
    EXPECT_EQ(recorder.times(0).front(), 120000);
    EXPECT_EQ(recorder.times(2).front(), 120000);
}

// Jumps given while the site still looks for its recordings are carried out
// once it has found them (a folder full of other files makes the scan slow).
TEST_F(SiteCardTest, CommandsRightAfterOpeningAreCarriedOutAfterTheScan) {
    testsupport::TempDir copy("padded");
    const std::string padded = day(copy.path());
    fs::copy(day(Cards::path("clean")), padded);
    for (int i = 0; i < 20000; ++i) {
        std::ofstream(padded + "/pad" + std::to_string(i) + ".txt");
    }
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first" : "goto");
        recorder.mark();
        open(0b1111, 1, round == 0 ? 120006 : 120000, padded);
        if (round == 0) {
            EXPECT_TRUE(site->gotoFirst());
        } else {
            site->gotoDateTime(2026, 3, 1, 12, 0, 6);
        }
        // The scan of 20,000 names takes seconds on a loaded machine.
        ASSERT_TRUE(waitPictures(0b1111, 1, 60s));
        for (int c = 0; c < kChannels; ++c) {
            EXPECT_EQ(recorder.times(c).front(), round == 0 ? 120000 : 120006) << "channel " << c;
        }
        site.reset();
    }
    // Stop and close are prompt while the source prepares, with a jump
    // queued behind the preparation, and with a jump on its way during play.
    for (int round = 0; round < 3; ++round) {
        recorder.mark();
        open(0b1111, round % 2, round == 0 ? 120005 : 0);
        if (round == 2) {
            ASSERT_TRUE(waitPictures(0b1111, 1));
        }
        if (round > 0) {
            site->gotoDateTime(2026, 3, 1, 12, 0, 2 + round);
        }
        const auto start = Clock::now();
        site->stop();
        site->close();
        EXPECT_LT(Clock::now() - start, kCloseLimit) << "round " << round;
    }
}

// Random commands from the control thread at a playing 4-channel site; the
// sanitizer builds check it for races, leaks and deadlocks.
TEST_F(SiteCardTest, RandomCommandsAtAPlayingSite) {
    int seconds = 10;
    if (const char* text = std::getenv("KORVEL_SITE_STRESS_SECONDS")) {
        seconds = std::max(1, std::atoi(text));
    }
    open(0b1111, 1);
    std::mt19937 random(20260301);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    int commands = 0;
    // Weighted by position: speed changes twice, queries four times.
    const auto speed = [&] { site->changeSpeed(pick(15)); };
    const auto query = [&] {
        int date = 0, time = 0;
        site->getCurrentDateTime(&date, &time);
        site->getChannelDateTime(pick(kChannels), &date, &time);
        if (GPSDATA* gps = site->getGpsData(pick(kChannels))) {
            gps->isNew = false;
        }
        if (site->getGSensorData(pick(kChannels)) != nullptr) {
            site->clearGSensorFlag(pick(kChannels));
        }
        site->getLastRecordTime(&date, &time);
    };
    const std::vector<std::function<void()>> actions = {
        [&] { site->play(); },
        [&] { site->playReverse(); },
        [&] { site->pause(); },
        speed,
        speed,
        [&] { site->gotoDateTime(2026, 3, 1, 12, 0, pick(9)); },
        [&] { site->gotoFirst(); },
        [&] { site->gotoLast(); },
        [&] { site->stepForward(); },
        [&] {
            const int c = pick(kChannels);
            site->removeChannel(c);
            site->addChannelsAt(ChannelMask{1} << c, 9, 0, 0);
        },
        [&] {
            if (pick(4) == 0) {
                site->setChannelEnabled(pick(3), pick(kChannels), 0, 0);
            }
        },
        [&] { site->stepBackward(); },
        query, query, query, query};
    while (Clock::now() < end) {
        actions[static_cast<std::size_t>(pick(16))]();
        ++commands;
        // Now and then the next command waits until the site has carried
        // out the ones before it; otherwise they pile up in its queue.
        if (pick(3) == 0) {
            settle();
        }
    }
    EXPECT_GE(commands, seconds);
    // Still alive: normal play from the start shows pictures again.
    site->gotoFirst();
    site->play();
    settle();
    recorder.mark();
    EXPECT_TRUE(waitPictures(site->openChannels(), 1));
}

// Every fault of the generator (channel 1's file 1 lost half of its last
// packet, a G-sensor sample) and FIFOs and folders named like recordings
// (never opened): every picture plays.
TEST_F(SiteCardTest, DamagedCardsThatLoseNoPicturePlayEveryPicture) {
    for (const char* card : {"generator", "fifo"}) {
        SCOPED_TRACE(card);
        recorder.mark();
        playThrough(card);
        for (int c = 0; c < kChannels; ++c) {
            SCOPED_TRACE(c);
            expectSound(c);
            EXPECT_EQ(recorder.of(c).size(), static_cast<std::size_t>(kAllPictures));
        }
        int date = 0, time = 0;
        EXPECT_TRUE(site->getLastRecordTime(&date, &time));
        EXPECT_EQ(date, kDate);
        site->stop();
        site->close();
    }
}

// A jump to where channel 3 has no recording (and the last recording, where
// it has none either): it stays quiet, the others play at the target, and
// the clock does not go back to channel 3's old recording.
TEST_F(SiteCardTest, AChannelWithFewerFilesStaysQuietWhileTheOthersPlayInStep) {
    openCard("fewer", 1);
    ASSERT_TRUE(eventually([&] { return !recorder.of(3).empty(); }, 5s));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "goto 12:00:05" : "last");
        recorder.mark();
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
        ASSERT_TRUE(eventually([&] { return reached(0) && reached(1) && reached(2); }, 3s));
        for (const Picture& p : recorder.of(3)) {
            EXPECT_LT(p.time, target) << "channel 3 has no recording at the target";
        }
        // Quiet once its worker holds the later recording's first packet.
        EXPECT_TRUE(eventually([&] { return site->isChannelQuiet(3); }, 3s));
        const CSSFFileSite::ptime clock = site->presentationClock();
        ASSERT_FALSE(clock.is_not_a_date_time());
        // The clock runs the presentation lead behind the pictures.
        EXPECT_GE(clock, CSSFFileSite::ptime(boost::gregorian::date(2026, 3, 1),
                                             boost::posix_time::seconds(secondsOf(target))) -
                             boost::posix_time::milliseconds(CVideoDecodeItem::kPresentLeadMs));
    }
    // Back where channel 3 has its recording, it plays again.
    recorder.mark();
    ASSERT_TRUE(site->gotoFirst());
    ASSERT_TRUE(eventually([&] { return !recorder.of(3).empty(); }, 3s));
    EXPECT_EQ(recorder.of(3).front().time, 120000);
}

TEST_F(SiteCardTest, AFileRemovedDuringPlayEndsItsChannelEarly) {
    openCard("removed", 1);
    // Removed while the channel reads its first file.
    ASSERT_TRUE(eventually([&] { return !recorder.of(2).empty(); }, 5s));
    fs::remove(ssf(Cards::path("removed"), 2, 2));
    fs::remove(idx(Cards::path("removed"), 2, 2));
    site->changeSpeed(12);  // x16: to the end quickly
    ASSERT_TRUE(eventually([&] { return site->isFinished(); }, 20s));
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE(c);
        expectSound(c);
        EXPECT_EQ(recorder.of(c).back().time, c == 2 ? 120005 : kLast);
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
        std::string output;
        EXPECT_EQ(testsupport::runCommand(command, &output), 0);
        std::map<int, std::string> summary;
        std::istringstream lines(output);
        for (std::string text; std::getline(lines, text);) {
            const auto at = text.find("\"summary\":\"channel\",\"channel\":");
            if (at != std::string::npos) {
                summary[std::stoi(text.substr(at + 30))] = text;
            }
        }
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
