// The recording-file site end to end on generated cards: every picture at
// normal speed, key frames only when fast, backward across files, jumps,
// pause and play, the speed-change rule as the source sees it, stop and close
// while the source is still seeking, and a stress run of random commands.
//
// KORVEL_SITE_STRESS_SECONDS sets the length of the stress run (10 s).

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "MakeCard.h"
#include "engine/CSSFFileSite.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// How long stop and close may take: a prompt close takes a few milliseconds;
// the sanitizer builds on a busy machine need more room.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::chrono::milliseconds kCloseLimit{2000};
#else
constexpr std::chrono::milliseconds kCloseLimit{1000};
#endif

// 2026-03-01 12:00:00, 4 channels, 2 files of 4 s each, 10 pictures a second
// with a key frame at every whole second, µ-law audio.
constexpr int kFps = 10;
constexpr int kSecondsPerFile = 4;
constexpr int kFiles = 2;
constexpr int kChannels = 4;
constexpr int kDate = 20260301;

int secondsOf(int hhmmss) {
    return hhmmss / 10000 * 3600 + hhmmss / 100 % 100 * 60 + hhmmss % 100;
}
// Seconds since 12:00:00.
int offsetOf(int hhmmss) {
    return secondsOf(hhmmss) - 12 * 3600;
}

bool eventually(const std::function<bool()>& condition, int limitMs = 20000) {
    const auto limit = Clock::now() + std::chrono::milliseconds(limitMs);
    while (!condition()) {
        if (Clock::now() > limit) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class QuietStdout {
public:
    QuietStdout() : m_old(std::cout.rdbuf(&m_sink)) {}
    ~QuietStdout() { std::cout.rdbuf(m_old); }

private:
    struct Discard : std::streambuf {
        int overflow(int c) override { return traits_type::not_eof(c); }
        std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    };
    Discard m_sink;
    std::streambuf* m_old;
};

// The card every test plays, made once.
class CardEnvironment : public ::testing::Environment {
public:
    static std::string dayFolder() { return s_root + "/20260301"; }

    void SetUp() override {
        s_root =
            (fs::temp_directory_path() / ("korvel-site-" + std::to_string(::getpid()))).string();
        mkcard::CardOptions o;
        o.outDir = s_root;
        o.start = {2026, 3, 1, 12, 0, 0};
        o.filesPerChannel = kFiles;
        o.secondsPerFile = kSecondsPerFile;
        o.channels = kChannels;
        o.width = 160;
        o.height = 96;
        o.fps = kFps;
        o.audio = mkcard::AudioCoding::Ulaw;
        o.jobs = 2;
        std::string error;
        ASSERT_TRUE(mkcard::makeCard(o, &error)) << error;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(s_root, ec);
    }

private:
    static std::string s_root;
};
std::string CardEnvironment::s_root;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new CardEnvironment);

struct Picture {
    int channel = -1;
    int time = 0;  // hhmmss
    int segment = 0;
};

// What a display page would receive, split into segments by mark().
class Recorder {
public:
    void picture(const PUSHVIDEO& p) {
        std::lock_guard<std::mutex> guard(m_mutex);
        EXPECT_EQ(p.date, kDate);
        EXPECT_EQ(p.width, 160);
        EXPECT_EQ(p.height, 96);
        EXPECT_EQ(p.text, "CH" + std::to_string(p.channel + 1));
        m_pictures.push_back({p.channel, p.time, m_segment});
    }
    void audio(const _AUDIODATA& a) {
        std::lock_guard<std::mutex> guard(m_mutex);
        EXPECT_EQ(a.param2, 8000);
        EXPECT_GT(a.length, 0);
        ++m_audio[a.channel];
    }
    void mark() {
        std::lock_guard<std::mutex> guard(m_mutex);
        ++m_segment;
    }
    // Picture times of one channel in the current segment.
    std::vector<int> times(int channel) {
        std::lock_guard<std::mutex> guard(m_mutex);
        std::vector<int> out;
        for (const Picture& p : m_pictures) {
            if (p.channel == channel && p.segment == m_segment) {
                out.push_back(p.time);
            }
        }
        return out;
    }
    int audioBlocks(int channel) {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_audio[channel];
    }

private:
    std::mutex m_mutex;
    std::vector<Picture> m_pictures;
    std::map<int, int> m_audio;
    int m_segment = 0;
};

// Passes everything to the real source and counts the speed changes it sees.
class SpySource : public IMediaSource {
public:
    SpySource(IMediaSource* real, std::atomic<int>& speedCalls)
        : m_real(real), m_speedCalls(speedCalls) {}
    ~SpySource() override {
        void* p = static_cast<IEngineObject*>(m_real);
        DestroyVCodec(&p);
    }
    bool open(SourceParams* p) override { return m_real->open(p); }
    bool start() override { return m_real->start(); }
    bool requestStop() override { return m_real->requestStop(); }
    void close() override { m_real->close(); }
    void gotoDateTime(int y, int mo, int d, int h, int mi, int s) override {
        m_real->gotoDateTime(y, mo, d, h, mi, s);
    }
    void gotoFirst() override { m_real->gotoFirst(); }
    void gotoLast() override { m_real->gotoLast(); }
    void pauseAll() override { m_real->pauseAll(); }
    void playForward(int q, int y, int mo, int d, int h, int mi, int s) override {
        m_real->playForward(q, y, mo, d, h, mi, s);
    }
    void playReverse(int q, int y, int mo, int d, int h, int mi, int s) override {
        m_real->playReverse(q, y, mo, d, h, mi, s);
    }
    void setSpeed(int i, int q, int y, int mo, int d, int h, int mi, int s) override {
        ++m_speedCalls;
        m_real->setSpeed(i, q, y, mo, d, h, mi, s);
    }
    bool isChannelClosed(int c) override { return m_real->isChannelClosed(c); }
    bool allChannelsClosed() override { return m_real->allChannelsClosed(); }
    int getDirection(int* out) override { return m_real->getDirection(out); }
    int getSpeedIndex(int* out) override { return m_real->getSpeedIndex(out); }
    bool enableChannel(int c, bool on) override { return m_real->enableChannel(c, on); }
    bool getFirstRecordTime(int* d, int* t) override { return m_real->getFirstRecordTime(d, t); }
    bool getLastRecordTime(int* d, int* t) override { return m_real->getLastRecordTime(d, t); }

private:
    IMediaSource* m_real;
    std::atomic<int>& m_speedCalls;
};

IMediaSource* makeRealSource() {
    IMediaSource* made = nullptr;
    CreateMediaSource(&made, 4);
    return made;
}

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
              CSSFFileSite::SourceFactory factory = makeRealSource,
              const std::string& folder = CardEnvironment::dayFolder()) {
        site = std::make_unique<CSSFFileSite>(std::move(factory));
        SiteParams p;
        p.folder = folder;
        p.pacing = pacing;
        p.channelMask = mask;
        p.startDate = startTime == 0 ? 0 : kDate;
        p.startTime = startTime;
        p.onPicture = [this](PUSHVIDEO* v) { recorder.picture(*v); };
        p.onAudio = [this](_AUDIODATA* a) { recorder.audio(*a); };
        site->reset();
        ASSERT_TRUE(site->open(&p));
    }

    // Waits until the site has carried out every command given so far.
    void settle() { ASSERT_TRUE(site->waitForCommands(10000)); }

    // Waits until every channel of the mask has shown `count` pictures in the
    // current segment.
    bool waitPictures(ChannelMask mask, std::size_t count, int limitMs = 20000) {
        return eventually(
            [&] {
                for (int c = 0; c < kChannels; ++c) {
                    if (((mask >> c) & 1u) != 0 && recorder.times(c).size() < count) {
                        return false;
                    }
                }
                return true;
            },
            limitMs);
    }

    QuietStdout quiet;
    Recorder recorder;
    std::unique_ptr<CSSFFileSite> site;
};

TEST_F(SiteCardTest, NormalSpeedDeliversEveryPictureInOrder) {
    open(0b1111, 0);
    const std::size_t all = static_cast<std::size_t>(kFps * kSecondsPerFile * kFiles);
    ASSERT_TRUE(waitPictures(0b1111, all));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (int c = 0; c < kChannels; ++c) {
        const std::vector<int> times = recorder.times(c);
        ASSERT_EQ(times.size(), all) << "channel " << c;
        EXPECT_TRUE(std::is_sorted(times.begin(), times.end())) << "channel " << c;
        for (int s = 0; s < kSecondsPerFile * kFiles; ++s) {
            EXPECT_EQ(std::count(times.begin(), times.end(), 120000 + s), kFps)
                << "channel " << c << " second " << s;
        }
        EXPECT_GT(recorder.audioBlocks(c), 0) << "channel " << c;
    }
    int date = 0, time = 0;
    ASSERT_TRUE(site->getCurrentDateTime(&date, &time));
    EXPECT_EQ(date, kDate);
    EXPECT_EQ(time, 120007);
    ASSERT_TRUE(site->getFirstRecordTime(&date, &time));
    EXPECT_EQ(time, 120000);
}

TEST_F(SiteCardTest, PacedFastForwardShowsKeyFramesOnly) {
    open(0b0101, 1);
    ASSERT_TRUE(waitPictures(0b0101, 3));
    // Marked before the change, so that the first key frame cannot slip
    // past the mark; a picture of normal play may still come first.
    recorder.mark();
    site->changeSpeed(10);  // x4
    ASSERT_TRUE(waitPictures(0b0101, 3));
    ASSERT_TRUE(eventually([&] { return recorder.times(0).back() == 120007; }));
    for (int c : {0, 2}) {
        std::vector<int> times = recorder.times(c);
        times.erase(times.begin());
        // One picture per second: the key frames, in order.
        EXPECT_TRUE(std::adjacent_find(times.begin(), times.end(), std::greater_equal<int>()) ==
                    times.end())
            << "channel " << c;
    }
    EXPECT_EQ(site->getSpeedIndex(nullptr), 10);
}

TEST_F(SiteCardTest, BackwardKeyFramesDescendAcrossFiles) {
    open(0b0011, 1, 120006);
    ASSERT_TRUE(waitPictures(0b0011, 1));
    const int first = recorder.times(0).front();
    EXPECT_GE(offsetOf(first), 5);
    EXPECT_LE(offsetOf(first), 6);
    recorder.mark();
    site->changeSpeed(3);  // x-8
    ASSERT_TRUE(eventually([&] {
        const auto t = recorder.times(0);
        return !t.empty() && t.back() == 120000;
    }));
    ASSERT_TRUE(eventually([&] {
        const auto t = recorder.times(1);
        return !t.empty() && t.back() == 120000;
    }));
    for (int c : {0, 1}) {
        std::vector<int> times = recorder.times(c);
        times.erase(times.begin());  // perhaps the last picture of forward play
        EXPECT_TRUE(std::adjacent_find(times.begin(), times.end(), std::less_equal<int>()) ==
                    times.end())
            << "channel " << c;
        // From the second file (from 12:00:04) into the first.
        EXPECT_GE(offsetOf(times.front()), kSecondsPerFile);
        EXPECT_GE(times.size(), 4u);
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

    ASSERT_TRUE(site->gotoLast());
    settle();
    recorder.mark();
    ASSERT_TRUE(waitPictures(0b1111, 1));
    EXPECT_GE(offsetOf(recorder.times(0).front()), kSecondsPerFile * kFiles - 2);
    ASSERT_TRUE(site->gotoFirst());
    settle();
    recorder.mark();
    ASSERT_TRUE(waitPictures(0b1111, 1));
    EXPECT_EQ(recorder.times(0).front(), 120000);
}

TEST_F(SiteCardTest, PauseThenPlayResumesAtTheEarliestPresentedInstant) {
    open(0b1111, 1);
    ASSERT_TRUE(waitPictures(0b1111, 12));
    site->pause();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    recorder.mark();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int c = 0; c < kChannels; ++c) {
        EXPECT_TRUE(recorder.times(c).empty()) << "channel " << c << " plays while paused";
    }
    int earliest = 999999;
    for (int c = 0; c < kChannels; ++c) {
        int date = 0, time = 0;
        ASSERT_TRUE(site->getChannelDateTime(c, &date, &time));
        earliest = std::min(earliest, time);
    }
    site->play();
    settle();
    recorder.mark();
    ASSERT_TRUE(waitPictures(0b1111, 1));
    for (int c = 0; c < kChannels; ++c) {
        EXPECT_EQ(recorder.times(c).front(), earliest) << "channel " << c;
    }
}

TEST_F(SiteCardTest, SpeedChangesRepositionTheSourceOnlyAcrossReadingPatterns) {
    std::atomic<int> speedCalls{0};
    IMediaSource* real = nullptr;
    open(0b11, 1, 0, [&] {
        real = makeRealSource();
        return new SpySource(real, speedCalls);
    });
    ASSERT_TRUE(waitPictures(0b11, 2));
    const auto sourceIndex = [&] { return real->getSpeedIndex(nullptr); };

    site->changeSpeed(10);
    settle();
    EXPECT_EQ(speedCalls.load(), 1);
    EXPECT_EQ(sourceIndex(), 10);
    site->changeSpeed(12);
    settle();
    EXPECT_EQ(speedCalls.load(), 1) << "x4 to x16: no repositioning";
    EXPECT_EQ(sourceIndex(), 10);
    site->changeSpeed(8);
    settle();
    EXPECT_EQ(speedCalls.load(), 2);
    EXPECT_EQ(sourceIndex(), 8);
    recorder.mark();
    ASSERT_TRUE(waitPictures(0b11, 1));
    site->changeSpeed(4);
    settle();
    EXPECT_EQ(speedCalls.load(), 3);
    site->changeSpeed(2);
    settle();
    EXPECT_EQ(speedCalls.load(), 3) << "x-4 to x-16: no repositioning";
    EXPECT_EQ(sourceIndex(), 4);
    site->changeSpeed(7);
    settle();
    EXPECT_EQ(speedCalls.load(), 4);
    EXPECT_EQ(sourceIndex(), 7);
    EXPECT_EQ(site->getPlayMode(nullptr), PLAYMODE_STILL);
}

TEST_F(SiteCardTest, EachSingleStepShowsOnePicture) {
    // Five pictures a second between ten G-sensor samples a second: a step
    // must not stop at a sample.
    const std::string root =
        (fs::temp_directory_path() / ("korvel-step-" + std::to_string(::getpid()))).string();
    mkcard::CardOptions o;
    o.outDir = root;
    o.start = {2026, 3, 1, 12, 0, 0};
    o.filesPerChannel = 1;
    o.secondsPerFile = 6;
    o.channels = 2;
    o.width = 160;
    o.height = 96;
    o.fps = 5;
    o.jobs = 2;
    std::string error;
    ASSERT_TRUE(mkcard::makeCard(o, &error)) << error;
    site = std::make_unique<CSSFFileSite>(makeRealSource);
    SiteParams p;
    p.folder = root + "/20260301";
    p.pacing = 1;
    p.channelMask = 0xFF;  // open channels without recordings too, as a page does
    p.onPicture = [this](PUSHVIDEO* v) { recorder.picture(*v); };
    site->reset();
    ASSERT_TRUE(site->open(&p));
    ASSERT_TRUE(waitPictures(0b11, 3));
    // The first step may come while a picture of playing is on its way.
    site->stepForward();
    EXPECT_EQ(site->getPlayMode(nullptr), PLAYMODE_STEP_FORWARD);
    settle();
    recorder.mark();
    for (std::size_t n = 1; n <= 6; ++n) {
        site->stepForward();
        ASSERT_TRUE(waitPictures(0b11, n, 5000)) << "step " << n;
        // Exactly one picture per step on every channel.
        EXPECT_EQ(recorder.times(0).size(), n) << "step " << n;
        EXPECT_EQ(recorder.times(1).size(), n) << "step " << n;
    }
    // Six steps of 200 ms: more than a second on.
    const std::vector<int> times = recorder.times(0);
    EXPECT_GE(offsetOf(times.back()) - offsetOf(times.front()), 1);
    site->stop();
    site->close();
    site.reset();
    std::error_code ec;
    fs::remove_all(root, ec);
}

TEST_F(SiteCardTest, StopAndCloseWhileTheSourceIsStillPreparingOrSeeking) {
    for (int round = 0; round < 6; ++round) {
        open(0b1111, round % 2, round < 3 ? 120005 : 0);
        if (round % 3 == 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(3 * round));
            site->gotoDateTime(2026, 3, 1, 12, 0, 1 + round);
        }
        const auto start = Clock::now();
        site->stop();
        site->close();
        EXPECT_LT(Clock::now() - start, kCloseLimit) << "round " << round;
        site.reset();
    }
}

// A copy of the card's day folder without the files whose names start with
// `leaveOut`, and with `padding` small files that are no recordings (which
// make the folder scan take a while), removed again with the object.
class DayCopy {
public:
    DayCopy(const std::string& leaveOut, int padding) {
        m_day = (fs::temp_directory_path() / ("korvel-copy-" + std::to_string(::getpid())) /
                 "20260301")
                    .string();
        fs::create_directories(m_day);
        for (const auto& entry : fs::directory_iterator(CardEnvironment::dayFolder())) {
            const std::string name = entry.path().filename().string();
            if (leaveOut.empty() || name.rfind(leaveOut, 0) != 0) {
                fs::copy_file(entry.path(), m_day + "/" + name);
            }
        }
        for (int i = 0; i < padding; ++i) {
            std::FILE* f = std::fopen((m_day + "/pad" + std::to_string(i) + ".txt").c_str(), "w");
            EXPECT_NE(f, nullptr);
            if (f != nullptr) {
                std::fclose(f);
            }
        }
    }
    ~DayCopy() {
        std::error_code ec;
        fs::remove_all(fs::path(m_day).parent_path(), ec);
    }
    const std::string& day() const { return m_day; }

private:
    std::string m_day;
};

// Reverse given twice, and every mix of reverse, pause, speed and play, goes
// on from where playback is, in the direction asked for.
TEST_F(SiteCardTest, ReverseTwiceAndOtherSequencesContinueFromThePosition) {
    open(0b0011, 1, 120005);
    ASSERT_TRUE(waitPictures(0b0011, 10));
    const auto latest = [&](int c) { return recorder.times(c).back(); };

    site->playReverse();
    settle();
    recorder.mark();
    ASSERT_TRUE(waitPictures(0b0011, 1, 3000));
    const int firstBackward = recorder.times(0).front();
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    const int before = latest(0);
    site->playReverse();
    settle();
    recorder.mark();
    // Pictures keep coming, backward, from where reverse play was.
    ASSERT_TRUE(waitPictures(0b0011, 2, 3000)) << "the second reverse froze playback";
    EXPECT_LE(recorder.times(0).front(), before + 1);
    EXPECT_LE(recorder.times(0).back(), recorder.times(0).front());
    EXPECT_LE(before, firstBackward);

    // Pause, then reverse; pause, then a speed change; reverse, then a
    // backward speed, then reverse: each goes on within a second of where
    // playback stood.
    const auto playTime = [&]() {
        settle();
        int date = 0, time = 0;
        EXPECT_TRUE(eventually([&] { return site->getCurrentDateTime(&date, &time); }, 3000));
        recorder.mark();
        return time;
    };
    const auto expectNear = [&](int time) {
        ASSERT_TRUE(waitPictures(0b0011, 1, 3000));
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
    ASSERT_TRUE(waitPictures(0b0011, 25, 5000));
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
    ASSERT_TRUE(eventually([&] { return site->isFinished(); }, 10000));
    for (int c : {0, 2}) {
        EXPECT_EQ(recorder.times(c).back(), 120007) << "channel " << c;
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
    DayCopy copy("", 20000);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first" : "goto");
        recorder.mark();
        open(0b1111, 1, round == 0 ? 120006 : 120000, makeRealSource, copy.day());
        if (round == 0) {
            EXPECT_TRUE(site->gotoFirst());
        } else {
            site->gotoDateTime(2026, 3, 1, 12, 0, 6);
        }
        ASSERT_TRUE(waitPictures(0b1111, 1));
        for (int c = 0; c < kChannels; ++c) {
            EXPECT_EQ(recorder.times(c).front(), round == 0 ? 120000 : 120006) << "channel " << c;
        }
        site.reset();
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
    while (Clock::now() < end) {
        switch (pick(16)) {
            case 0:
                site->play();
                break;
            case 1:
                site->playReverse();
                break;
            case 2:
                site->pause();
                break;
            case 3:
            case 4:
                site->changeSpeed(pick(15));
                break;
            case 5:
                site->gotoDateTime(2026, 3, 1, 12, 0, pick(9));
                break;
            case 6:
                site->gotoFirst();
                break;
            case 7:
                site->gotoLast();
                break;
            case 8:
                site->stepForward();
                break;
            case 9: {
                const int c = pick(kChannels);
                site->removeChannel(c);
                site->addChannelsAt(ChannelMask{1} << c, 9, 0, 0);
                break;
            }
            case 10:
                if (pick(4) == 0) {
                    site->setChannelEnabled(pick(3), pick(kChannels), 0, 0);
                }
                break;
            case 11:
                site->stepBackward();
                break;
            default: {
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
                break;
            }
        }
        ++commands;
        std::this_thread::sleep_for(std::chrono::milliseconds(pick(40)));
    }
    EXPECT_GE(commands, seconds);
    // Still alive: normal play from the start shows pictures again.
    site->gotoFirst();
    site->play();
    settle();
    recorder.mark();
    EXPECT_TRUE(waitPictures(site->openChannels(), 1));
}

}  // namespace
