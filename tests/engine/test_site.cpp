// The recording-file site against a scripted media source. Commands are
// carried out on the site's own thread: the tests wait for them (settle)
// before they look at their effect.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <boost/date_time/posix_time/posix_time.hpp>

#include "engine/CSSFFileSite.h"
#include "engine/CTeardownThread.h"
#include "engine/CVideoDecodeItem.h"
#include "engine/SiteRules.h"
#include "TestSupport.h"

namespace pt = boost::posix_time;
using ptime = pt::ptime;
using namespace std::chrono_literals;
using testsupport::eventually;

namespace {

const ptime kT(boost::gregorian::date(2026, 3, 1), pt::time_duration(12, 0, 30));

template <typename Packet>
void stamp(Packet& packet, int channel, ptime at) {
    const auto day = at.date();
    const auto clock = at.time_of_day();
    packet.channel = channel;
    packet.date = day.year() * 10000 + day.month() * 100 + day.day();
    packet.time = static_cast<int>(clock.hours() * 10000 + clock.minutes() * 100 + clock.seconds());
    packet.milliseconds = static_cast<int>(clock.fractional_seconds() / 1000);
}

// A video packet no decoder turns into a picture: it still moves the worker's
// times like any other.
READVSTREAM video(int channel, ptime at, int sequence = 0) {
    READVSTREAM packet;
    stamp(packet, channel, at);
    packet.sequence = sequence;
    const unsigned char junk[4] = {0, 0, 0, 0};
    packet.setData(junk, 4);
    packet.width = 64;
    packet.height = 48;
    return packet;
}

// What the scripted source was asked, shared by every source one site makes.
struct SourceLog {
    std::mutex mutex;
    std::vector<std::string> calls;
    std::vector<SourceParams> opened;
    int disabled[kMaxChannels] = {};
    std::atomic<int> made{0};
    std::atomic<int> closed{0};
    // Whether the sources take channels once open.
    std::atomic<bool> takesChannels{true};
    // While held, a jump stays inside the source (a slow file search) until
    // the test lets it go.
    std::mutex gateMutex;
    std::condition_variable gateWake;
    bool held = false;
    bool inside = false;

    void passGate() {
        std::unique_lock<std::mutex> lock(gateMutex);
        inside = true;
        gateWake.notify_all();
        gateWake.wait(lock, [this] { return !held; });
    }
    bool waitInside() {
        std::unique_lock<std::mutex> lock(gateMutex);
        return gateWake.wait_for(lock, std::chrono::seconds(10), [this] { return inside; });
    }
    void setHeld(bool on) {
        std::lock_guard<std::mutex> guard(gateMutex);
        held = on;
        inside = false;
        gateWake.notify_all();
    }

    void add(const std::string& call) {
        std::lock_guard<std::mutex> guard(mutex);
        calls.push_back(call);
    }
    std::vector<std::string> take() {
        std::lock_guard<std::mutex> guard(mutex);
        std::vector<std::string> out;
        out.swap(calls);
        return out;
    }
    int disabledCount(int channel) {
        std::lock_guard<std::mutex> guard(mutex);
        return disabled[channel];
    }
    SourceParams lastOpened() {
        std::lock_guard<std::mutex> guard(mutex);
        return opened.back();
    }
};

std::string callText(const char* name, std::initializer_list<int> args) {
    std::ostringstream text;
    text << name;
    for (int a : args) {
        text << ' ' << a;
    }
    return text.str();
}

// Sends one source event per channel of its mask, as a repositioning source
// does, and records every command.
class ScriptedSource : public IMediaSource {
public:
    explicit ScriptedSource(SourceLog& log) : m_log(log) { ++m_log.made; }
    ~ScriptedSource() override = default;

    bool open(SourceParams* params) override {
        m_params = *params;
        std::lock_guard<std::mutex> guard(m_log.mutex);
        m_log.opened.push_back(*params);
        return true;
    }
    bool start() override { return true; }
    bool requestStop() override { return true; }
    void close() override { ++m_log.closed; }
    void gotoDateTime(int y, int mo, int d, int h, int mi, int s) override {
        m_log.passGate();
        command(EVT_REPOSITIONED, callText("goto", {y, mo, d, h, mi, s}));
    }
    void gotoFirst() override { m_log.add("first"); }
    void gotoLast() override { m_log.add("last"); }
    void pauseAll() override { m_log.add("pause"); }
    void playForward(int, int y, int mo, int d, int h, int mi, int s) override {
        command(EVT_PLAY_DIRECTION, callText("forward", {y, mo, d, h, mi, s}));
    }
    void playReverse(int, int y, int mo, int d, int h, int mi, int s) override {
        command(EVT_PLAY_DIRECTION, callText("reverse", {y, mo, d, h, mi, s}));
    }
    void setSpeed(int i, int, int y, int mo, int d, int h, int mi, int s) override {
        command(i == kSpeedIndexStill ? EVT_PLAY_DIRECTION : EVT_SPEED_CHANGED,
                callText("speed", {i, y, mo, d, h, mi, s}));
    }
    bool isChannelClosed(int) override { return false; }
    bool allChannelsClosed() override { return false; }
    bool addChannel(int channel, int date, int time) override {
        if (!m_log.takesChannels.load()) {
            return false;
        }
        m_log.add(callText("add", {channel, date, time}));
        return true;
    }
    void removeChannel(int channel) override { m_log.add(callText("remove", {channel})); }
    int getDirection(int* out) override { return out ? *out = 0 : 0; }
    int getSpeedIndex(int* out) override { return out ? *out = 8 : 8; }
    bool enableChannel(int channel, bool enable) override {
        if (!enable && channel >= 0 && channel < kMaxChannels) {
            std::lock_guard<std::mutex> guard(m_log.mutex);
            ++m_log.disabled[channel];
        }
        return true;
    }
    bool getFirstRecordTime(int* date, int* time) override {
        *date = 20260301;
        *time = 120000;
        return true;
    }
    bool getLastRecordTime(int* date, int* time) override {
        *date = 20260301;
        *time = 120300;
        return true;
    }

private:
    void command(int event, const std::string& call) {
        m_log.add(call);
        for (int c = 0; c < kMaxChannels; ++c) {
            if (((m_params.channelMask >> c) & 1u) != 0 && m_params.eventSink) {
                m_params.eventSink(event, c);
            }
        }
    }

    SourceLog& m_log;
    SourceParams m_params;
};

class SiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        site = std::make_unique<CSSFFileSite>([this] { return new ScriptedSource(log); });
    }
    void TearDown() override {
        site->stop();
        site->close();
        site.reset();
    }

    SiteParams params(ChannelMask mask, int pacing) {
        SiteParams p;
        p.folder = "/nowhere";
        p.pacing = pacing;
        p.channelMask = mask;
        p.siteIdentity = 77;
        p.onPicture = [](PUSHVIDEO*) {};
        return p;
    }

    void open(ChannelMask mask, int pacing) {
        SiteParams p = params(mask, pacing);
        site->reset();
        ASSERT_TRUE(site->open(&p));
        settle();
    }

    // Waits until the site has carried out every command given so far.
    void settle() { ASSERT_TRUE(site->waitForCommands(10000)); }

    // The source's calls of the commands given so far.
    std::vector<std::string> calls() {
        settle();
        return log.take();
    }

    // Pushes a video packet and waits until the worker has taken it.
    void present(int channel, ptime at, int sequence = 0) {
        READVSTREAM packet = video(channel, at, sequence);
        site->packetSink(&packet);
        ASSERT_TRUE(eventually([&] {
            int date = 0, time = 0;
            return site->getChannelDateTime(channel, &date, &time) &&
                   CVideoDecodeItem::frameInstant(date, time, 0) ==
                       CVideoDecodeItem::frameInstant(packet.date, packet.time, 0);
        }));
    }

    testsupport::QuietStdout quiet;
    SourceLog log;
    std::unique_ptr<CSSFFileSite> site;
};

TEST(SiteFactory, KindTwoMakesARecordingSite) {
    ISite* made = nullptr;
    ASSERT_TRUE(CreateSite(&made, 2));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(dynamic_cast<CSSFFileSite*>(made)->kind(), 2);
    void* object = static_cast<IEngineObject*>(made);
    EXPECT_TRUE(DestroyVCodec(&object));

    ISite* untouched = reinterpret_cast<ISite*>(std::intptr_t{0x40});
    EXPECT_TRUE(CreateSite(&untouched, 1));
    EXPECT_TRUE(CreateSite(&untouched, 3));
    EXPECT_EQ(untouched, reinterpret_cast<ISite*>(std::intptr_t{0x40}));
}

TEST_F(SiteTest, PacketsReachTheirChannelAndTimesAreQueried) {
    open(0b101, 0);
    EXPECT_EQ(site->openChannels(), 0b101u);
    SourceParams sp = log.lastOpened();
    EXPECT_EQ(sp.channelMask, 0b101u);
    EXPECT_EQ(sp.folder, "/nowhere");
    EXPECT_EQ(sp.siteIdentity, 77);

    int date = 0, time = 0;
    EXPECT_FALSE(site->getCurrentDateTime(&date, &time));
    present(2, kT + pt::milliseconds(400), 1234);
    ASSERT_TRUE(site->getChannelDateTime(2, &date, &time));
    EXPECT_EQ(date, 20260301);
    EXPECT_EQ(time, 120030);
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    ASSERT_TRUE(site->getCurrentTime(&y, &mo, &d, &h, &mi, &s));
    EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s}), (std::vector<int>{2026, 3, 1, 12, 0, 30}));
    CSSFFileSite::Position position;
    ASSERT_TRUE(site->positionForPlay(&position));
    EXPECT_EQ(position.sequence, 1234);
    EXPECT_EQ(position.instant, kT + pt::milliseconds(400));
    EXPECT_FALSE(site->getChannelDateTime(0, &date, &time));

    // A channel without a worker drops its packets and is no longer read.
    READVSTREAM stray = video(1, kT);
    site->packetSink(&stray);
    EXPECT_GE(log.disabledCount(1), 1);
    EXPECT_FALSE(site->getChannelDateTime(1, &date, &time));
    EXPECT_FALSE(site->getChannelDateTime(40, &date, &time));

    // A recording whose clock was never set is no play time.
    present(0, kT);
    const ptime old(boost::gregorian::date(1999, 12, 31), pt::time_duration(23, 59, 59));
    READVSTREAM stale = video(0, old);
    site->packetSink(&stale);
    ASSERT_TRUE(eventually([&] { return !site->getChannelDateTime(0, &date, &time); }));
    // The current time follows the latest channel in forward play: channel 0
    // now holds 1999, channel 2 still 2026, and the latest wins.
    EXPECT_TRUE(site->getCurrentDateTime(&date, &time));
    site->pause();
    settle();
    // In any other mode the earliest: 1999, rejected.
    EXPECT_FALSE(site->getCurrentDateTime(&date, &time));
}

TEST_F(SiteTest, SamplesAreTheSitesOwnCopies) {
    open(0b1, 0);
    EXPECT_EQ(site->getGpsData(0), nullptr);
    EXPECT_EQ(site->getGpsData(32), nullptr);
    EXPECT_EQ(site->getGSensorData(-1), nullptr);

    GPSDATA gps;
    stamp(gps, 0, kT);
    gps.latitude = 37.5;
    gps.longitude = 127.25;
    gps.speed = 12.0;
    site->packetSink(&gps);
    ASSERT_TRUE(eventually([&] { return site->getGpsData(0) != nullptr; }));
    GPSDATA* first = site->getGpsData(0);
    EXPECT_TRUE(first->isNew);
    EXPECT_DOUBLE_EQ(first->latitude, 37.5);
    first->isNew = false;  // the caller consumed it
    EXPECT_EQ(site->getGpsData(0), first);
    EXPECT_FALSE(first->isNew) << "the same sample is not new twice";

    gps.latitude = 37.75;
    stamp(gps, 0, kT + pt::seconds(1));
    site->packetSink(&gps);
    ASSERT_TRUE(eventually([&] { return site->getGpsData(0)->latitude == 37.75; }));
    EXPECT_TRUE(first->isNew);
    EXPECT_EQ(site->getGpsData(0), first) << "the record keeps its address";

    GSENSORDATA g;
    stamp(g, 0, kT);
    g.x = 0.5f;
    site->packetSink(&g);
    ASSERT_TRUE(eventually([&] { return site->getGSensorData(0) != nullptr; }));
    EXPECT_TRUE(site->getGSensorData(0)->isNew);
    site->clearGSensorFlag(0);
    EXPECT_FALSE(site->getGSensorData(0)->isNew);
    EXPECT_FLOAT_EQ(site->getGSensorData(0)->x, 0.5f);

    site->removeChannel(0);
    settle();
    EXPECT_EQ(site->getGpsData(0), nullptr);
    EXPECT_EQ(site->getGSensorData(0), nullptr);
    EXPECT_TRUE(site->hasNoChannels());
}

TEST_F(SiteTest, FlowControlAndEventsOnAHeldQueue) {
    open(0b11, 1);
    site->pause();  // mode 4: the workers hold their head packets
    ASSERT_EQ(calls(), std::vector<std::string>{"pause"});
    for (int i = 0; i < 95; ++i) {
        READVSTREAM packet = video(0, kT + pt::milliseconds(66 * i));
        site->packetSink(&packet);
    }
    EXPECT_GE(log.disabledCount(0), 1) << "reading stops at 90 queued packets";
    EXPECT_EQ(log.disabledCount(1), 0);
    // Nothing is presented while still, so nothing starts the clock. A
    // source event empties the channel's queue and releases its flow control.
    EXPECT_TRUE(site->presentationClock().is_special());
    site->eventSink(EVT_REPOSITIONED, 0);
    // Refilled to 90 and past it: flow control switches the channel off again.
    const int before = log.disabledCount(0);
    for (int i = 0; i < 91; ++i) {
        READVSTREAM packet = video(0, kT + pt::milliseconds(66 * i));
        site->packetSink(&packet);
    }
    EXPECT_EQ(log.disabledCount(0), before + 1);
}

TEST_F(SiteTest, SpeedChangesRepositionOnlyAcrossReadingPatterns) {
    open(0b1, 1);
    // Nothing is known about the position yet: the source takes the speed
    // where its readers stand (no date), and the speed is not lost.
    site->changeSpeed(10);
    EXPECT_EQ(calls(), std::vector<std::string>{"speed 10 0 0 0 0 0 0"});
    EXPECT_EQ(site->getSpeedIndex(nullptr), 10);
    site->changeSpeed(8);
    EXPECT_EQ(calls(), std::vector<std::string>{"speed 8 0 0 0 0 0 0"});

    // Each change: the source's call ("" for none) and the play mode after it.
    using Change = std::tuple<int, std::string, int>;
    int speed = 8;
    const auto expectChanges = [&](const std::vector<Change>& changes) {
        for (const auto& [index, call, mode] : changes) {
            SCOPED_TRACE(index);
            site->changeSpeed(index);
            speed = index >= 0 && index < kSpeedIndexCount ? index : speed;
            EXPECT_EQ(site->getSpeedIndex(nullptr), speed);
            EXPECT_EQ(calls(), call.empty() ? std::vector<std::string>{}
                                            : std::vector<std::string>{call});
            int out = -1;
            EXPECT_EQ(site->getPlayMode(&out), mode);
            EXPECT_EQ(out, mode);
        }
    };
    present(0, kT);
    // x4 to x16 read key frames forward either way; nothing presented since
    // the repositioning, the change back to x1 still knows where playback was.
    expectChanges({{10, "speed 10 2026 3 1 12 0 30", PLAYMODE_FORWARD},
                   {12, "", PLAYMODE_FORWARD},
                   {8, "speed 8 2026 3 1 12 0 30", PLAYMODE_FORWARD}});
    present(0, kT + pt::seconds(5));
    expectChanges({{4, "speed 4 2026 3 1 12 0 35", PLAYMODE_BACKWARD},
                   {2, "", PLAYMODE_BACKWARD},
                   {2, "", PLAYMODE_BACKWARD},
                   {7, "speed 7 2026 3 1 12 0 35", PLAYMODE_STILL},
                   {15, "", PLAYMODE_STILL},
                   {-1, "", PLAYMODE_STILL}});

    // Still: a packet is held; nothing is presented and the clock stays unset.
    READVSTREAM held = video(0, kT + pt::seconds(9));
    site->packetSink(&held);
    int date = 0, time = 0;
    EXPECT_FALSE(eventually(
        [&] {
            return !site->presentationClock().is_special() ||
                   site->getChannelDateTime(0, &date, &time);
        },
        100ms))
        << "nothing presented while still";
}

TEST_F(SiteTest, PlayAndReverseRestartWhereThePicturesAre) {
    open(0b101, 0);
    site->play();
    EXPECT_EQ(calls(), std::vector<std::string>{"forward 2026 3 1 12 0 0"})
        << "no start date and nothing presented: the first recording";

    // Channel 0 at 12:00:30, channel 2 at 12:00:33.
    const auto presentBoth = [&] {
        present(0, kT);
        present(2, kT + pt::seconds(3));
    };
    presentBoth();
    site->play();  // forward: the latest channel
    EXPECT_EQ(calls(), std::vector<std::string>{"forward 2026 3 1 12 0 33"});

    presentBoth();
    site->pause();
    site->play();  // after a pause: the earliest channel
    EXPECT_EQ(calls(), (std::vector<std::string>{"pause", "forward 2026 3 1 12 0 30"}));
    EXPECT_EQ(site->getPlayMode(nullptr), PLAYMODE_FORWARD);
    EXPECT_EQ(site->getSpeedIndex(nullptr), 8);

    presentBoth();
    site->playReverse();  // from forward play: the latest
    EXPECT_EQ(calls(), std::vector<std::string>{"reverse 2026 3 1 12 0 33"});
    EXPECT_EQ(site->getPlayMode(nullptr), PLAYMODE_BACKWARD);
    EXPECT_EQ(site->getSpeedIndex(nullptr), kSpeedIndexReverse);
    int date = 0, time = 0;
    EXPECT_FALSE(site->getChannelDateTime(2, &date, &time)) << "the events emptied the workers";

    site->gotoDateTime(2026, 3, 1, 12, 1, 5);
    EXPECT_EQ(calls(), std::vector<std::string>{"goto 2026 3 1 12 1 5"});
    EXPECT_TRUE(site->presentationClock().is_special());
    // A speed change right after the jump repositions at the jump's target.
    site->changeSpeed(8);
    EXPECT_EQ(calls(), std::vector<std::string>{"speed 8 2026 3 1 12 1 5"});

    EXPECT_TRUE(site->gotoFirst());
    EXPECT_EQ(calls(), std::vector<std::string>{"first"});
    EXPECT_TRUE(site->gotoLast());
    EXPECT_EQ(calls(), std::vector<std::string>{"last"});
    // The jump's target is where a speed change repositions.
    site->changeSpeed(12);
    EXPECT_EQ(calls(), std::vector<std::string>{"speed 12 2026 3 1 12 3 0"});
    // ... and where the site opens again.
    site->stop();
    site->close();
    site->reopen();
    settle();
    EXPECT_EQ(log.lastOpened().startDate, 20260301);
    EXPECT_EQ(log.lastOpened().startTime, 120300);
    int first = 0, last = 0;
    EXPECT_TRUE(site->getFirstRecordTime(&date, &first));
    EXPECT_TRUE(site->getLastRecordTime(&date, &last));
    EXPECT_EQ(first, 120000);
    EXPECT_EQ(last, 120300);
}

TEST_F(SiteTest, ClockCatchesUpWithAWorkerFarAhead) {
    open(0b1, 1);
    present(0, kT);  // the first picture starts the clock, the lead behind it
    ASSERT_TRUE(eventually([&] { return !site->presentationClock().is_special(); }));
    EXPECT_LE(site->presentationClock(),
              kT - pt::milliseconds(CVideoDecodeItem::kPresentLeadMs) + pt::milliseconds(500));

    // 2.5 s ahead: paced normally, the clock is not pulled.
    READVSTREAM near = video(0, kT + pt::milliseconds(2500));
    site->packetSink(&near);
    int date = 0, time = 0;
    EXPECT_FALSE(eventually(
        [&] {
            return site->presentationClock() >= kT + pt::milliseconds(1500) ||
                   !site->getChannelDateTime(0, &date, &time) || time != 120030;
        },
        200ms))
        << "a packet not yet due was presented or pulled the clock";

    // Flushed, which unsets the clock; 3.5 s ahead of the clock: the next
    // cycles set the clock to it.
    site->eventSink(EVT_REPOSITIONED, 0);
    EXPECT_TRUE(site->presentationClock().is_special());
    present(0, kT);
    READVSTREAM far = video(0, kT + pt::milliseconds(3500));
    site->packetSink(&far);
    ASSERT_TRUE(eventually(
        [&] { return site->getChannelDateTime(0, &date, &time) && time == 120033; }, 2000ms))
        << "the clock thread resynchronised";
    EXPECT_GE(site->presentationClock(), kT + pt::milliseconds(3500));
}

TEST_F(SiteTest, AudioIsDecodedPerChannelAndBounded) {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<_AUDIODATA> blocks;
    std::vector<int> firstSamples;
    bool hold = false;
    SiteParams p = params(0b1, 1);
    p.onAudio = [&](_AUDIODATA* block) {
        std::unique_lock<std::mutex> lock(mutex);
        blocks.push_back(*block);
        firstSamples.push_back(static_cast<std::int16_t>(block->data[0] | block->data[1] << 8));
        cv.notify_all();
        cv.wait(lock, [&] { return !hold; });
    };
    ASSERT_TRUE(site->open(&p));
    settle();

    READASTREAM ulaw;
    ulaw.channel = 3;
    ulaw.codecKind = 5;
    ulaw.param1 = 16;
    ulaw.param2 = 8000;
    ulaw.param3 = 1;
    const std::vector<unsigned char> bytes(100, 0x00);
    ulaw.setData(bytes.data(), 100);
    site->audioSink(&ulaw);
    READASTREAM g723 = ulaw;
    g723.codecKind = 1;  // no decoder: dropped
    site->audioSink(&g723);
    READASTREAM alaw = ulaw;
    alaw.codecKind = 4;
    const std::vector<unsigned char> a(10, 0xD5);
    alaw.setData(a.data(), 10);
    site->audioSink(&alaw);
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(
            cv.wait_for(lock, std::chrono::seconds(10), [&] { return blocks.size() == 2; }));
        EXPECT_EQ(blocks[0].length, 200);
        EXPECT_EQ(blocks[0].channel, 3);
        EXPECT_EQ(blocks[0].param3, 1);
        EXPECT_EQ(blocks[0].param1, 16);
        EXPECT_EQ(blocks[0].param2, 8000);
        EXPECT_EQ(blocks[0].siteKey, site->siteKey());
        EXPECT_EQ(firstSamples[0], -32124);
        EXPECT_EQ(blocks[1].length, 20);
        EXPECT_EQ(firstSamples[1], 8) << "a new codec kind gets its own decoder";
        hold = true;
    }
    // The page blocks in its callback: the queue keeps only the newest blocks.
    for (std::size_t i = 0; i < CSSFFileSite::kMaxQueuedAudio + 100; ++i) {
        site->audioSink(&ulaw);
    }
    EXPECT_LE(site->queuedAudioBlocks(), CSSFFileSite::kMaxQueuedAudio);
    EXPECT_GE(site->queuedAudioBlocks(), CSSFFileSite::kMaxQueuedAudio - 1);
    {
        std::lock_guard<std::mutex> lock(mutex);
        hold = false;
    }
    cv.notify_all();
    site->stop();
    site->close();
    settle();
    EXPECT_EQ(site->queuedAudioBlocks(), 0u);
}

TEST_F(SiteTest, ChannelsComeAndGo) {
    open(0b1, 0);
    present(0, kT + pt::seconds(10));
    EXPECT_EQ(log.made.load(), 1);
    calls();

    // New channels start where playback stands, on the same source: the
    // channel already playing goes on undisturbed.
    site->addChannelsAt(0b110, 9, 0, 0);
    EXPECT_EQ(calls(),
              (std::vector<std::string>{"add 1 20260301 120040", "add 2 20260301 120040"}));
    EXPECT_EQ(site->openChannels(), 0b111u);
    EXPECT_EQ(log.made.load(), 1);
    int date = 0, time = 0;
    EXPECT_TRUE(site->getChannelDateTime(0, &date, &time)) << "channel 0 was emptied";
    site->addChannelsAt(0b10, 9, 20260301, 120000);
    EXPECT_TRUE(calls().empty()) << "nothing new to open";

    site->removeChannel(1);
    EXPECT_EQ(calls(), std::vector<std::string>{"remove 1"});
    EXPECT_EQ(site->openChannels(), 0b101u);
    EXPECT_FALSE(site->hasNoChannels());
    site->removeChannel(99);
    site->removeChannel(0);
    site->removeChannel(2);
    EXPECT_EQ(calls(), (std::vector<std::string>{"remove 0", "remove 2"}));
    EXPECT_TRUE(site->hasNoChannels());
    site->addChannelsAt(0b1000, 0, 20260301, 120200);
    EXPECT_EQ(calls(), std::vector<std::string>{"add 3 20260301 120200"});
    EXPECT_EQ(site->openChannels(), 0b1000u);

    // A source that reads only the channels it was opened for is opened
    // anew for every open channel (the removed ones stay closed).
    log.takesChannels = false;
    site->addChannelsAt(0b10000, 0, 20260301, 120300);
    settle();
    EXPECT_EQ(log.made.load(), 2);
    EXPECT_EQ(log.closed.load(), 1);
    EXPECT_EQ(log.lastOpened().channelMask, 0b11000u);
    EXPECT_EQ(log.lastOpened().startTime, 120300);

    // A stream type is kept and starts nothing over.
    present(3, kT + pt::seconds(20));
    site->setChannelEnabled(2, 3, 0, 0);
    EXPECT_EQ(site->isChannelEnabled(3), 2);
    EXPECT_EQ(site->isChannelEnabled(40), 0);
    settle();
    EXPECT_EQ(log.made.load(), 2);
    EXPECT_TRUE(site->getChannelDateTime(3, &date, &time)) << "channel 3 was emptied";
}

TEST_F(SiteTest, TimeTableAndCalendarAreKeptAndAnnounced) {
    std::atomic<int> tables{0};
    std::atomic<std::int64_t> calendarKey{0};
    SiteParams p = params(0b1, 0);
    p.onRecordTable = [&](RECORDTABLEINFO* info) {
        EXPECT_EQ(info->siteIdentity, 77);
        ++tables;
    };
    p.onCalendar = [&](std::int64_t key) { calendarKey = key; };
    ASSERT_TRUE(site->open(&p));
    settle();

    auto table = std::make_unique<TIMETABLEDATA>();
    std::memset(table.get(), 0, sizeof *table);
    table->entries[1439][127] = 9;
    table->count = 3;
    auto out = std::make_unique<TIMETABLEDATA>();
    std::memset(out.get(), 0xff, sizeof *out);
    site->getTimeTable(out.get());
    EXPECT_EQ(out->count, 0u);
    site->timeTableSink(table.get());
    site->getTimeTable(out.get());
    site->getTimeTable(nullptr);
    EXPECT_EQ(out->count, 3u);
    EXPECT_EQ(out->entries[1439][127], 9);
    EXPECT_EQ(tables.load(), 1);

    CALENDARDATA calendar{};
    calendar.key = 5;
    calendar.value4 = 6;
    site->calendarSink(&calendar);
    CALENDARDATA copy{};
    site->getCalendar(&copy);
    EXPECT_EQ(copy.key, 5u);
    EXPECT_EQ(copy.value4, 6u);
    EXPECT_EQ(calendarKey.load(), 77);

    site->reset();
    settle();
    site->getTimeTable(out.get());
    EXPECT_EQ(out->count, 0u);
}

// Stop then close joins every thread whatever the site is doing. The bound is
// far above what a prompt close takes; a wait that stop does not end would
// exceed it by far or hang.
TEST_F(SiteTest, StopAndCloseArePromptInEveryState) {
    using Clock = std::chrono::steady_clock;
    const auto closeTime = [&] {
        const auto start = Clock::now();
        site->stop();
        site->close();
        settle();
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    };
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const auto limit = std::chrono::milliseconds(2000);
#else
    const auto limit = std::chrono::milliseconds(1000);
#endif

    // Queues full and held (paused), channel switched off by flow control,
    // audio queued behind a slow page.
    SiteParams p = params(0b11, 1);
    // A deliberately slow page: its audio callback keeps the queue full.
    p.onAudio = [](_AUDIODATA*) { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };
    ASSERT_TRUE(site->open(&p));
    site->pause();
    settle();
    for (int i = 0; i < 200; ++i) {
        READVSTREAM packet = video(i % 2, kT + pt::milliseconds(40 * i));
        site->packetSink(&packet);
    }
    READASTREAM audio;
    audio.channel = 0;
    audio.codecKind = 5;
    const std::vector<unsigned char> bytes(800, 0x7f);
    audio.setData(bytes.data(), 800);
    for (int i = 0; i < 50; ++i) {
        site->audioSink(&audio);
    }
    EXPECT_GE(log.disabledCount(0), 1);
    EXPECT_LT(closeTime(), limit);

    // Waiting for a packet far ahead of the clock, in single steps. The site
    // is still paused from before: play first.
    open(0b1, 1);
    site->play();
    settle();
    present(0, kT);
    READVSTREAM far = video(0, kT + pt::seconds(2));
    site->packetSink(&far);
    site->stepForward();
    EXPECT_LT(closeTime(), limit);

    // A closed site does nothing and closes again at once.
    site->play();
    site->changeSpeed(10);
    EXPECT_LT(closeTime(), limit);
}

// Packets arriving while the site closes are either queued (and deleted with
// the queue) or deleted by the sink; a leak shows in the sanitizer build.
TEST_F(SiteTest, PacketsRacingACloseAreNeverLost) {
    for (int round = 0; round < 20; ++round) {
        open(0b11, round % 2);
        std::atomic<bool> running{true};
        std::atomic<int> sent{0};
        std::thread pump([&] {
            int i = 0;
            while (running.load()) {
                READVSTREAM packet = video(i % 3, kT + pt::milliseconds(10 * i));
                site->packetSink(&packet);
                GPSDATA gps;
                stamp(gps, i % 2, kT);
                site->packetSink(&gps);
                READASTREAM audio;
                audio.channel = 0;
                audio.codecKind = 4;
                audio.setData(packet.data.get(), 4);
                site->audioSink(&audio);
                sent = ++i;
            }
        });
        // The close comes at a different point of the stream every round.
        ASSERT_TRUE(eventually([&] { return sent.load() >= 10 + 20 * round; }));
        if (round % 3 == 0) {
            site->removeChannel(1);
        }
        site->stop();
        site->close();
        running = false;
        pump.join();
    }
}

}  // namespace

// A source stuck in a slow search holds up the site's own thread, never the
// caller: the commands behind it, the queries and the close return at once,
// and are carried out in order once the source comes back.
TEST_F(SiteTest, CallerNeverWaitsForAStuckSource) {
    open(0b11, 1);
    log.take();
    log.setHeld(true);
    site->gotoDateTime(2026, 3, 1, 12, 1, 0);
    ASSERT_TRUE(log.waitInside());

    std::promise<void> returned;
    std::future<void> done = returned.get_future();
    std::thread caller([&] {
        site->changeSpeed(10);
        site->gotoDateTime(2026, 3, 1, 12, 2, 0);
        int date = 0;
        int time = 0;
        site->getCurrentDateTime(&date, &time);
        site->isFinished();
        site->stop();
        site->close();
        returned.set_value();
    });
    const bool prompt = done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    // Published at once, while the jump is still stuck.
    const int speed = site->getSpeedIndex(nullptr);
    const bool waiting = site->pendingCommands() > 0;
    log.setHeld(false);
    caller.join();
    EXPECT_TRUE(prompt);
    EXPECT_EQ(speed, 10);
    EXPECT_TRUE(waiting);

    settle();
    std::vector<std::string> jumps;
    for (const std::string& call : log.take()) {
        if (call.rfind("goto", 0) == 0) {
            jumps.push_back(call);
        }
    }
    EXPECT_EQ(jumps, (std::vector<std::string>{"goto 2026 3 1 12 1 0", "goto 2026 3 1 12 2 0"}));
    EXPECT_EQ(site->openChannels(), 0u);
}

// What a page hands over is carried out in order, also the jobs a job adds,
// and none is dropped when the owner lets go while some are still queued.
TEST(TeardownThread, CarriesOutEveryJobInOrderBeforeItEnds) {
    std::vector<int> done;
    std::mutex doneMutex;
    const auto note = [&](int n) {
        std::lock_guard<std::mutex> guard(doneMutex);
        done.push_back(n);
    };
    std::promise<void> go;
    std::shared_future<void> started = go.get_future().share();
    {
        CTeardownThread teardown;
        teardown.post([&, started] {
            started.wait();
            note(1);
        });
        teardown.post([&] {
            note(2);
            teardown.post([&] { note(4); });
        });
        teardown.post([&] { note(3); });
        EXPECT_EQ(teardown.pending(), 3u);
        go.set_value();
    }
    EXPECT_EQ(done, (std::vector<int>{1, 2, 3, 4}));
}

// The site's pure rules: the clock's advance and resynchronisation.
TEST(SiteRules, PlayTimesBefore2000OrOutOfRangeAreNone) {
    EXPECT_TRUE(siterules::isValidPlayTime(2000, 1, 1, 0, 0, 0));
    EXPECT_FALSE(siterules::isValidPlayTime(1999, 12, 31, 23, 59, 59));
    EXPECT_FALSE(siterules::isValidPlayTime(2026, 13, 1, 0, 0, 0));
    EXPECT_FALSE(siterules::isValidPlayTime(2026, 1, 1, 24, 0, 0));

    siterules::PlayTime split;
    ASSERT_TRUE(siterules::splitPlayTime(kT + pt::milliseconds(250), &split));
    EXPECT_EQ(split.date(), 20260301);
    EXPECT_EQ(split.time(), 120030);
    EXPECT_EQ(split.millisecond, 250);
    siterules::PlayTime untouched;
    untouched.year = 7;
    EXPECT_FALSE(siterules::splitPlayTime(ptime(), &untouched));
    EXPECT_EQ(untouched.year, 7);
}

TEST(SiteRules, ClockAdvance) {
    // 20 ms of real time at every speed of the table.
    for (int index = 0; index < kSpeedIndexCount; ++index) {
        EXPECT_EQ(siterules::advanceClock(kT, index, 20000), kT + pt::milliseconds(20 * SpeedTable[index]))
            << "index " << index;
    }
    EXPECT_EQ(siterules::advanceClock(kT, kSpeedIndexStill, 1000000), kT);
    EXPECT_EQ(siterules::advanceClock(kT, 10, 1500), kT + pt::microseconds(6000));
    EXPECT_TRUE(siterules::advanceClock(ptime(), 8, 20000).is_not_a_date_time());
    EXPECT_EQ(siterules::advanceClock(kT, 15, 20000), kT);
    EXPECT_EQ(siterules::advanceClock(kT, -1, 20000), kT);
}

TEST(SiteRules, TheClockFollowsThePlayingChannelsNeverALaggingOne) {
    const auto at = [](int ms) { return kT + pt::milliseconds(ms); };
    // In step with the clock, or within the threshold: left alone.
    EXPECT_TRUE(siterules::resyncTarget(at(0), {at(-2900), at(2900), ptime()}, false).is_not_a_date_time());
    // One channel 60 s behind (it had no recording at a jump's target and was
    // sent back to an old one): the clock stays with the others.
    EXPECT_TRUE(siterules::resyncTarget(at(0), {at(-60000), at(100), at(50)}, false).is_not_a_date_time());
    EXPECT_TRUE(siterules::resyncTarget(at(0), {at(60000), at(-100)}, true).is_not_a_date_time());
    // Channels waiting for a later recording do not pull the clock while
    // one plays; when all of them wait, the clock skips to the nearest.
    EXPECT_TRUE(siterules::resyncTarget(at(0), {at(600000), at(200)}, false).is_not_a_date_time());
    EXPECT_EQ(siterules::resyncTarget(at(0), {at(600000), at(5000), ptime()}, false), at(5000));
    EXPECT_EQ(siterules::resyncTarget(at(0), {at(-600000), at(-5000)}, true), at(-5000));
    // The clock ran ahead of every channel (decoding cannot keep up): back to
    // the slowest of those that keep together, not to the lagging one.
    EXPECT_EQ(siterules::resyncTarget(at(0), {at(-4000), at(-9000), at(-60000)}, false), at(-9000));
    EXPECT_EQ(siterules::resyncTarget(at(0), {at(4000), at(9000), at(60000)}, true), at(9000));
    EXPECT_TRUE(siterules::resyncTarget(ptime(), {at(0)}, false).is_not_a_date_time());
    EXPECT_TRUE(siterules::resyncTarget(at(0), {}, false).is_not_a_date_time());

    // After a jump the clock starts at the first picture shown less the
    // presentation lead in the play direction (none in single steps), unless
    // that picture is far from the target.
    EXPECT_EQ(siterules::clockStart(at(700), at(0), PLAYMODE_FORWARD, 240), at(460));
    EXPECT_EQ(siterules::clockStart(at(-2000), at(0), PLAYMODE_BACKWARD, 240), at(-1760));
    EXPECT_EQ(siterules::clockStart(at(700), at(0), PLAYMODE_STEP_FORWARD, 240), at(700));
    EXPECT_EQ(siterules::clockStart(at(700), at(0), PLAYMODE_STEP_BACKWARD, 240), at(700));
    EXPECT_EQ(siterules::clockStart(at(600000), at(0), PLAYMODE_FORWARD, 240), at(0));
    EXPECT_EQ(siterules::clockStart(at(-600000), at(0), PLAYMODE_BACKWARD, 240), at(0));
    EXPECT_EQ(siterules::clockStart(at(5), ptime(), PLAYMODE_FORWARD, 240), at(-235));
    EXPECT_TRUE(siterules::clockStart(ptime(), at(0), PLAYMODE_FORWARD, 240).is_not_a_date_time());
}
