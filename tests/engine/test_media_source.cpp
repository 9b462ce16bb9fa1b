// The recording-file media source over generated cards: channel selection,
// the merge by instant, the events that frame every command, flow control,
// stopping in every state, and delivery of every packet.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <streambuf>
#include <thread>
#include <vector>

#include "../recording/ReaderCard.h"
#include "engine/CVideoDecodeItem.h"
#include "engine/MediaSource_SSFFile.h"

namespace {

using namespace readertest;

constexpr int kR = EVT_REPOSITIONED;
constexpr int kD = EVT_PLAY_DIRECTION;
constexpr int kS = EVT_SPEED_CHANGED;

pt::ptime at(int h, int m, int s, int ms = 0) {
    return pt::ptime(boost::gregorian::date(2026, 3, 1),
                     pt::hours(h) + pt::minutes(m) + pt::seconds(s) + pt::milliseconds(ms));
}

// One call of the packet sink or of the event sink.
struct Entry {
    bool event = false;
    int code = 0;  // events
    int channel = -1;
    int kind = -1;  // packets
    pt::ptime instant;
    int sequence = 0;
    bool key = false;
};

// A source over `folder` whose sinks log into one list. Channels whose bit is
// in `hold` are switched off after each delivered packet, as flow control
// would do with a queue of one packet: every command then lets each held
// channel deliver exactly one packet.
class Harness {
public:
    explicit Harness(std::string folder, ChannelMask mask, int startDate = 0, int startTime = 0)
        : source(std::make_unique<MediaSource_SSFFile>()) {
        params.folder = std::move(folder);
        params.channelMask = mask;
        params.startDate = startDate;
        params.startTime = startTime;
        params.packetSink = [this](STREAMOBJECT* s) { onPacket(s); };
        params.eventSink = [this](int code, int channel) { onEvent(code, channel); };
        params.audioSink = [this](READASTREAM*) { ++audio; };
        source->setLog(&log);
    }
    ~Harness() {
        if (source) {
            source->close();
        }
    }

    void open() { ASSERT_TRUE(source->open(&params)); }

    // Checked at every sink call and every few milliseconds (a reader closing
    // its last file calls no sink), outside the log's lock: it may query the
    // source, whose read thread takes that lock inside the sinks.
    bool waitFor(const std::function<bool(const std::vector<Entry>&)>& done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        std::size_t seen = 0;
        for (;;) {
            std::vector<Entry> now;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait_for(lock, std::chrono::milliseconds(2),
                                 [&]() { return entries.size() != seen; });
                now = entries;
            }
            seen = now.size();
            if (done(now)) {
                return true;
            }
            if (std::chrono::steady_clock::now() > limit) {
                return false;
            }
        }
    }
    // Every reader has run out once its last file is closed.
    bool waitRunOut() {
        return waitFor([this](const std::vector<Entry>&) { return source->allChannelsClosed(); });
    }
    bool waitForCount(std::size_t n) {
        return waitFor([n](const std::vector<Entry>& e) { return e.size() >= n; });
    }
    std::vector<Entry> snapshot() {
        std::lock_guard<std::mutex> lock(mutex);
        return entries;
    }
    std::size_t size() {
        std::lock_guard<std::mutex> lock(mutex);
        return entries.size();
    }

    SourceParams params;
    std::unique_ptr<MediaSource_SSFFile> source;
    std::atomic<ChannelMask> hold{0};
    std::atomic<int> audio{0};
    // Runs inside the sinks, before the entry is logged.
    std::function<void(const Entry&)> packetHook;
    std::function<void(int, int)> eventHook;

private:
    void onPacket(STREAMOBJECT* s) {
        Entry e;
        e.channel = s->channel;
        e.kind = s->kind;
        e.instant = CVideoDecodeItem::frameInstant(s->date, s->time, s->milliseconds);
        e.sequence = s->sequence;
        if (auto* v = dynamic_cast<READVSTREAM*>(s)) {
            e.key = v->frameType == READVSTREAM::kKeyFrame;
        }
        if (packetHook) {
            packetHook(e);
        }
        if ((hold.load() >> e.channel) & 1u) {
            source->enableChannel(e.channel, false);
        }
        add(e);
    }
    void onEvent(int code, int channel) {
        if (eventHook) {
            eventHook(code, channel);
        }
        Entry e;
        e.event = true;
        e.code = code;
        e.channel = channel;
        add(e);
    }
    void add(const Entry& e) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            entries.push_back(e);
        }
        changed.notify_all();
    }

    std::ostringstream log;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Entry> entries;
};

std::vector<Entry> packetsOf(const std::vector<Entry>& entries, int channel) {
    std::vector<Entry> out;
    for (const Entry& e : entries) {
        if (!e.event && e.channel == channel) {
            out.push_back(e);
        }
    }
    return out;
}

// What the packet sink must see of one channel of a card: every video, GPS
// and G-sensor packet of every file, in file order; the audio packets are
// counted into *audio.
std::vector<Entry> expectedStream(const Card& card, int channel, std::size_t* audio = nullptr) {
    std::size_t ignored = 0;
    audio = audio ? audio : &ignored;
    std::vector<Entry> out;
    for (int k = 0; k < card.options().filesPerChannel; ++k) {
        for (const Expected& x : expectedPackets(card.options(), k)) {
            if (x.kind == Expected::Audio) {
                *audio += 1;
                continue;
            }
            Entry e;
            e.channel = channel;
            e.kind = x.kind == Expected::Video ? 0 : x.kind == Expected::Gps ? 2 : 3;
            e.instant = card.start(k) + pt::milliseconds(x.stamp);
            e.sequence = static_cast<int>(x.stamp);
            out.push_back(e);
        }
    }
    return out;
}

void expectSameStream(const std::vector<Entry>& got, const std::vector<Entry>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].kind, want[i].kind);
        EXPECT_EQ(got[i].instant, want[i].instant);
        EXPECT_EQ(got[i].sequence, want[i].sequence);
    }
}

// Forward: instants never go back, and at equal instants the lower channel
// (the reader first in the source's list) comes first.
void expectMergedForward(const std::vector<Entry>& packets) {
    for (std::size_t i = 1; i < packets.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_LE(packets[i - 1].instant, packets[i].instant);
        if (packets[i - 1].instant == packets[i].instant) {
            ASSERT_LE(packets[i - 1].channel, packets[i].channel);
        }
    }
}

// Copies the recordings of `channel` of a card into `folder`.
void copyChannel(const Card& card, int channel, const std::string& folder) {
    fs::create_directories(folder);
    for (int k = 0; k < card.options().filesPerChannel; ++k) {
        for (const std::string& path : {card.ssf(channel, k), card.idx(channel, k)}) {
            fs::copy_file(path, fs::path(folder) / fs::path(path).filename(),
                          fs::copy_options::overwrite_existing);
        }
    }
}

// A day folder that mixes channel 0 and 2 of a 5 fps card with channel 1 of a
// 4 fps card, so that the channels' instants interleave and also meet.
class MixedFolder {
public:
    MixedFolder()
        : five("src-five", tinyOptions(2, 2, 3)),
          four("src-four", withFps(tinyOptions(2, 2, 2), 4)) {
        folder = five.root() + "/mixed/" + five.dayName();
        copyChannel(five, 0, folder);
        copyChannel(five, 2, folder);
        copyChannel(four, 1, folder);
    }
    static mkcard::CardOptions withFps(mkcard::CardOptions o, int fps) {
        o.fps = fps;
        return o;
    }
    Card five;
    Card four;
    std::string folder;
};

TEST(MediaSourceFactory, KindFourBuildsTheSourceOthersNothing) {
    for (int kind = 0; kind <= 3; ++kind) {
        IMediaSource* out = reinterpret_cast<IMediaSource*>(0x10);
        EXPECT_TRUE(CreateMediaSource(&out, kind));
        EXPECT_EQ(out, reinterpret_cast<IMediaSource*>(0x10));
    }
    for (int kind : {-1, 5, 99}) {
        IMediaSource* out = nullptr;
        EXPECT_FALSE(CreateMediaSource(&out, kind));
        EXPECT_EQ(out, nullptr);
    }
    IMediaSource* out = nullptr;
    ASSERT_TRUE(CreateMediaSource(&out, 4, reinterpret_cast<void*>(0x20)));
    ASSERT_NE(dynamic_cast<MediaSource_SSFFile*>(out), nullptr);
    void* p = out;
    EXPECT_TRUE(DestroyVCodec(&p));
}

TEST(MediaSource, ReadersFollowTheMaskAndAreAddressedByChannelNumber) {
    Card card("mask", tinyOptions(1, 2, 3));
    ASSERT_TRUE(card.ok());
    Harness h(card.dayFolder(), 0b101);
    h.hold = ~ChannelMask(0);
    h.open();
    ASSERT_TRUE(h.waitForCount(2));
    std::vector<Entry> got = h.snapshot();
    EXPECT_EQ(got[0].channel, 0);
    EXPECT_EQ(got[1].channel, 2);
    EXPECT_EQ(h.source->channelReader(1), nullptr);
    EXPECT_FALSE(h.source->isChannelClosed(0));
    EXPECT_FALSE(h.source->isChannelClosed(2));
    EXPECT_TRUE(h.source->isChannelClosed(1));
    EXPECT_TRUE(h.source->isChannelClosed(3));

    // Channel 2 is the second reader; enabling it by its number lets it deliver.
    EXPECT_TRUE(h.source->enableChannel(1, true));
    EXPECT_TRUE(h.source->enableChannel(2, true));
    ASSERT_TRUE(h.waitForCount(3));
    EXPECT_EQ(h.snapshot()[2].channel, 2);

    h.source->gotoFirst();
    ASSERT_TRUE(h.waitForCount(7));
    got = h.snapshot();
    EXPECT_TRUE(got[3].event && got[3].code == kR && got[3].channel == 0);
    EXPECT_TRUE(got[4].event && got[4].code == kR && got[4].channel == 2);
    EXPECT_EQ(got[5].channel, 0);
    EXPECT_EQ(got[6].channel, 2);
    EXPECT_EQ(got[5].instant, card.start(0));
}

TEST(MediaSource, DeliversEveryPacketOnceInInstantOrder) {
    MixedFolder mixed;
    ASSERT_TRUE(mixed.five.ok() && mixed.four.ok());
    Harness h(mixed.folder, 0b111);
    h.open();
    std::size_t audio = 0;
    const std::vector<Entry> want[3] = {expectedStream(mixed.five, 0, &audio),
                                        expectedStream(mixed.four, 1, &audio),
                                        expectedStream(mixed.five, 2, &audio)};
    const std::size_t total = want[0].size() + want[1].size() + want[2].size();
    ASSERT_TRUE(h.waitForCount(total)) << h.size() << " of " << total;
    ASSERT_TRUE(h.waitRunOut());  // nothing can follow
    h.source->close();
    const std::vector<Entry> got = h.snapshot();
    ASSERT_EQ(got.size(), total);
    expectMergedForward(got);
    for (int c = 0; c < 3; ++c) {
        expectSameStream(packetsOf(got, c), want[c]);
    }
    EXPECT_EQ(static_cast<std::size_t>(h.audio.load()), audio);
    EXPECT_EQ(h.source->getDirection(nullptr), DIRECTION_FORWARD);
}

TEST(MediaSource, BackwardMergePicksTheLatestAndTiesGoToTheLowerChannel) {
    MixedFolder mixed;
    ASSERT_TRUE(mixed.five.ok() && mixed.four.ok());
    Harness h(mixed.folder, 0b111);
    h.open();
    ASSERT_TRUE(h.waitForCount(1));
    h.source->playReverse(0, 2026, 3, 1, 12, 0, 3);
    // Key frames every second in both cards: 12:00:03 down to 12:00:00.
    ASSERT_TRUE(h.waitFor([](const std::vector<Entry>& e) {
        std::size_t n = 0;
        for (auto it = e.rbegin(); it != e.rend() && !it->event; ++it) {
            ++n;
        }
        return n >= 12;
    }));
    ASSERT_TRUE(h.waitRunOut());
    std::vector<Entry> got = h.snapshot();
    const auto lastEvent =
        std::find_if(got.rbegin(), got.rend(), [](const Entry& e) { return e.event; });
    ASSERT_EQ(lastEvent - got.rbegin(), 12);
    const std::vector<Entry> tail(lastEvent.base(), got.end());
    int i = 0;
    for (int second = 3; second >= 0; --second) {
        for (int channel = 0; channel < 3; ++channel, ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(tail[static_cast<std::size_t>(i)].channel, channel);
            EXPECT_EQ(tail[static_cast<std::size_t>(i)].instant, at(12, 0, second));
            EXPECT_TRUE(tail[static_cast<std::size_t>(i)].key);
        }
    }
    EXPECT_EQ(h.source->getDirection(nullptr), DIRECTION_BACKWARD);
    EXPECT_EQ(h.source->getSpeedIndex(nullptr), kSpeedIndexReverse);
}

// Each held channel delivers one packet after a command: the command's events
// (one per reader, in reader order), then the packets at the command's place.
class CommandTest : public ::testing::Test {
protected:
    static mkcard::CardOptions options() {
        mkcard::CardOptions o = tinyOptions(2, 2, 2);
        o.audio = mkcard::AudioCoding::None;  // every read makes a sample
        return o;
    }
    CommandTest() : card("commands", options()), h(card.dayFolder(), 0b11) {}
    void SetUp() override {
        ASSERT_TRUE(card.ok());
        h.hold = ~ChannelMask(0);
        h.open();
        ASSERT_TRUE(h.waitForCount(2));
    }

    Card card;
    Harness h;
};

// Jumps send their event after the work (the readers stand at the target),
// play commands and speed changes before it (the readers keep the speed of
// before). The site empties the decode queues before every speed change it
// passes on, so every reader takes the given position, also at the still
// index and at the index it already has.
TEST_F(CommandTest, EveryCommandIsFramedByOneEventPerReader) {
    std::vector<pt::ptime> instants;
    std::vector<int> speeds;
    h.eventHook = [&](int, int channel) {
        const SSFChannelReader* r = h.source->channelReader(channel);
        instants.push_back(r->currentInstant());
        speeds.push_back(r->speedIndex());
    };
    struct Step {
        std::function<void()> command;
        int code;
        pt::ptime at;
        int speedDuringEvent;  // -1: not checked
        int direction;
        int speed;
    };
    const int normal = kSpeedIndexNormal;
    const std::vector<Step> steps = {
        {[&] { h.source->gotoDateTime(2026, 3, 1, 12, 0, 1); }, kR, at(12, 0, 1), normal,
         DIRECTION_FORWARD, normal},
        {[&] { h.source->gotoLast(); }, kR, at(12, 0, 3), normal, DIRECTION_FORWARD, normal},
        {[&] { h.source->gotoFirst(); }, kR, at(12, 0, 0), normal, DIRECTION_FORWARD, normal},
        {[&] { h.source->playReverse(0, 2026, 3, 1, 12, 0, 3); }, kD, at(12, 0, 3), normal,
         DIRECTION_BACKWARD, kSpeedIndexReverse},
        {[&] { h.source->playForward(0, 2026, 3, 1, 12, 0, 1); }, kD, at(12, 0, 1),
         kSpeedIndexReverse, DIRECTION_FORWARD, normal},
        {[&] { h.source->setSpeed(7, 0, 2026, 3, 1, 12, 0, 2); }, kD, at(12, 0, 2), -1,
         DIRECTION_STILL, kSpeedIndexStill},
        {[&] { h.source->setSpeed(8, 0, 2026, 3, 1, 12, 0, 2); }, kS, at(12, 0, 2),
         kSpeedIndexStill, DIRECTION_FORWARD, normal},
    };
    for (std::size_t n = 0; n < steps.size(); ++n) {
        SCOPED_TRACE(n);
        const Step& step = steps[n];
        instants.clear();
        speeds.clear();
        const std::size_t mark = h.size();
        step.command();
        ASSERT_TRUE(h.waitForCount(mark + 4));
        const std::vector<Entry> all = h.snapshot();
        for (std::size_t i = 0; i < 2; ++i) {
            SCOPED_TRACE(i);
            const Entry& event = all[mark + i];
            const Entry& packet = all[mark + 2 + i];
            EXPECT_TRUE(event.event && event.code == step.code);
            EXPECT_EQ(event.channel, static_cast<int>(i));
            EXPECT_FALSE(packet.event);
            EXPECT_EQ(packet.channel, static_cast<int>(i));
            EXPECT_EQ(packet.instant, step.at);
        }
        if (step.code == kR) {
            EXPECT_EQ(instants, std::vector<pt::ptime>(2, step.at));
        }
        if (step.speedDuringEvent >= 0) {
            EXPECT_EQ(speeds, std::vector<int>(2, step.speedDuringEvent));
        }
        EXPECT_EQ(h.source->getDirection(nullptr), step.direction);
        EXPECT_EQ(h.source->getSpeedIndex(nullptr), step.speed);
    }
    EXPECT_EQ(h.source->channelReader(0)->speedIndex(), normal);

    // An index outside the table changes nothing and sends nothing.
    const std::size_t before = h.size();
    h.source->setSpeed(15, 0, 2026, 3, 1, 12, 0, 0);
    EXPECT_EQ(h.size(), before);
    EXPECT_EQ(h.source->getSpeedIndex(nullptr), normal);
}

TEST(MediaSource, NoPacketReadBeforeAJumpIsDeliveredAfterItsEvent) {
    Card card("race", tinyOptions(2, 2, 2));
    ASSERT_TRUE(card.ok());
    Harness h(card.dayFolder(), 0b11);
    // A deliberately slow sink holds the reader while a jump waits for it.
    h.packetHook = [](const Entry&) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    };
    h.open();
    ASSERT_TRUE(h.waitForCount(1));
    // Jumps while the read thread delivers.
    const int jumps = 20;
    for (int i = 0; i < jumps; ++i) {
        if (i % 2 == 0) {
            h.source->gotoDateTime(2026, 3, 1, 12, 0, 1);
        } else {
            h.source->gotoFirst();
        }
        // The read thread is back in a delivery: the jump's two events and
        // a packet after them.
        ASSERT_TRUE(h.waitForCount(h.size() + 3));
    }
    ASSERT_TRUE(h.waitRunOut());
    h.source->close();
    int events = 0;
    pt::ptime pending[2];
    int checked = 0;
    for (const Entry& e : h.snapshot()) {
        if (e.event) {
            const int command = events++ / 2;
            pending[e.channel] = command % 2 == 0 ? at(12, 0, 1) : at(12, 0, 0);
        } else if (!pending[e.channel].is_not_a_date_time()) {
            // The key frame the jump went to, neither skipped nor preceded.
            EXPECT_EQ(e.instant, pending[e.channel]) << "after event " << events;
            EXPECT_TRUE(e.key) << "after event " << events;
            pending[e.channel] = pt::ptime();
            ++checked;
        }
    }
    EXPECT_EQ(events, 2 * jumps);
    EXPECT_GE(checked, 2);
}

TEST(MediaSource, StartDateRepositionsOnceBeforeTheFirstPacket) {
    Card card("start", tinyOptions(2, 2, 2));
    ASSERT_TRUE(card.ok());
    // Without a start date the readers begin at once; with one, each is
    // repositioned first.
    for (const int startTime : {0, 120002}) {
        SCOPED_TRACE(startTime);
        Harness h(card.dayFolder(), 0b11, startTime == 0 ? 0 : 20260301, startTime);
        h.hold = ~ChannelMask(0);
        h.open();
        const std::size_t events = startTime == 0 ? 0 : 2;
        ASSERT_TRUE(h.waitForCount(events + 2));
        const std::vector<Entry> got = h.snapshot();
        for (std::size_t i = 0; i < events + 2; ++i) {
            EXPECT_EQ(got[i].event, i < events);
            EXPECT_EQ(got[i].channel, static_cast<int>(i % 2));
            EXPECT_EQ(got[i].event ? got[i].code : kR, kR);
            EXPECT_EQ(got[i].instant, got[i].event ? pt::ptime() : at(12, 0, startTime % 100));
        }
    }
}

// An ostream whose first write blocks until released: holds the preparation
// inside the folder scan.
class GateBuffer : public std::streambuf {
public:
    bool waitEntered() {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [this] { return m_entered; });
    }
    void release() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_released = true;
        }
        m_changed.notify_all();
    }

protected:
    int overflow(int c) override {
        block();
        return c == traits_type::eof() ? 0 : c;
    }
    std::streamsize xsputn(const char*, std::streamsize n) override {
        block();
        return n;
    }

private:
    void block() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_entered = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_released; });
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_entered = false;
    bool m_released = false;
};

TEST(MediaSource, RequestStopDuringPreparationEndsItBeforeReading) {
    Card card("prepstop", tinyOptions(1, 2, 2));
    ASSERT_TRUE(card.ok());
    GateBuffer gate;
    std::ostream gated(&gate);
    Harness h(card.dayFolder(), 0b11);
    h.source->setLog(&gated);
    h.open();
    ASSERT_TRUE(gate.waitEntered());
    EXPECT_TRUE(h.source->requestStop());
    gate.release();
    h.source->close();
    EXPECT_EQ(h.size(), 0u);
    // The readers were never opened, and the scan handed them no files.
    EXPECT_TRUE(h.source->allChannelsClosed());
    int date = 0;
    int time = 0;
    EXPECT_FALSE(h.source->getFirstRecordTime(&date, &time));
}

TEST(MediaSource, RecordTimesSpanAllChannelsAndEmptyChannelsAreClosed) {
    Card early("times-a", tinyOptions(2, 2, 1));
    mkcard::CardOptions late = tinyOptions(2, 2, 2);
    late.start = {2026, 3, 1, 12, 0, 10};
    Card later("times-b", late);
    ASSERT_TRUE(early.ok() && later.ok());
    const std::string folder = early.root() + "/mixed/" + early.dayName();
    copyChannel(early, 0, folder);
    copyChannel(later, 1, folder);

    Harness h(folder, 0b111);
    int date = 0;
    int time = 0;
    EXPECT_FALSE(h.source->getFirstRecordTime(&date, &time));
    EXPECT_FALSE(h.source->getLastRecordTime(&date, &time));
    h.hold = ~ChannelMask(0);
    h.open();
    ASSERT_TRUE(h.waitForCount(2));
    ASSERT_TRUE(h.source->getFirstRecordTime(&date, &time));
    EXPECT_EQ(date, 20260301);
    EXPECT_EQ(time, 120000);
    // The last key frame of the later channel's last file.
    ASSERT_TRUE(h.source->getLastRecordTime(&date, &time));
    EXPECT_EQ(date, 20260301);
    EXPECT_EQ(time, 120013);
    EXPECT_TRUE(h.source->isChannelClosed(2));
    EXPECT_FALSE(h.source->allChannelsClosed());
}

TEST(MediaSource, EnableChannelSwitchesOneChannelsDeliveryOffAndOn) {
    Card card("enable", tinyOptions(2, 2, 2));
    ASSERT_TRUE(card.ok());
    Harness h(card.dayFolder(), 0b11);
    bool first = true;  // read thread only
    h.packetHook = [&](const Entry& e) {
        if (e.channel == 1 && first) {
            first = false;
            h.source->enableChannel(1, false);
        }
    };
    h.open();
    const std::vector<Entry> want = expectedStream(card, 0);
    ASSERT_TRUE(h.waitFor(
        [&](const std::vector<Entry>& e) { return packetsOf(e, 0).size() == want.size(); }));
    ASSERT_TRUE(h.waitFor([&](const std::vector<Entry>&) { return h.source->isChannelClosed(0); }));
    // Channel 0 ran to its end while channel 1 stood after its first packet.
    EXPECT_EQ(packetsOf(h.snapshot(), 1).size(), 1u);
    EXPECT_FALSE(h.source->isChannelClosed(1));

    h.source->enableChannel(1, true);
    ASSERT_TRUE(h.waitFor(
        [&](const std::vector<Entry>& e) { return packetsOf(e, 1).size() == want.size(); }));
    ASSERT_TRUE(h.waitRunOut());
    h.source->close();
    expectSameStream(packetsOf(h.snapshot(), 1), expectedStream(card, 1));
}

TEST(MediaSource, APacketTheReaderPassesOverDoesNotRepeatTheSampleBeforeIt) {
    mkcard::CardOptions o = tinyOptions(1, 2, 1);
    o.audio = mkcard::AudioCoding::None;
    Card card("odd", o);
    ASSERT_TRUE(card.ok());
    const std::vector<Expected> written = expectedPackets(o, 0);
    std::size_t victim = 3;
    while (written[victim].kind != Expected::GSensor) {
        ++victim;
    }
    std::vector<std::uint8_t> bytes = readBytes(card.ssf(0, 0));
    const std::vector<RawPacket> packets = walkPackets(bytes);
    ASSERT_EQ(packets.size(), written.size());
    // Stream number 5 is no stream the reader knows.
    std::uint8_t& flags = bytes[packets[victim].offset + 4];
    flags = static_cast<std::uint8_t>((flags & ~7) | 5);
    writeBytes(card.ssf(0, 0), bytes);

    Harness h(card.dayFolder(), 0b1);
    h.open();
    std::vector<Entry> want = expectedStream(card, 0);
    want.erase(want.begin() + static_cast<std::ptrdiff_t>(victim));
    ASSERT_TRUE(h.waitForCount(want.size()));
    ASSERT_TRUE(h.waitRunOut());
    h.source->close();
    expectSameStream(h.snapshot(), want);
}

TEST(MediaSource, StopsAndClosesPromptlyInEveryState) {
    Card card("states", tinyOptions(1, 2, 2));
    ASSERT_TRUE(card.ok());
    {
        // Closed during the preparation, without requestStop.
        Harness h(card.dayFolder(), 0b11);
        h.open();
        h.source->close();
        h.source->close();
    }
    {
        // Closed while delivering, without requestStop.
        Harness h(card.dayFolder(), 0b11);
        h.open();
        ASSERT_TRUE(h.waitForCount(1));
        h.source->close();
    }
    {
        // Paused, then stopped and closed; and a paused source resumes on a command.
        Harness h(card.dayFolder(), 0b11);
        h.open();
        ASSERT_TRUE(h.waitForCount(1));
        h.source->pauseAll();
        h.source->gotoFirst();
        ASSERT_TRUE(h.waitFor([](const std::vector<Entry>& e) {
            return !e.empty() && !e.back().event && e.back().instant > at(12, 0, 0);
        }));
        h.source->pauseAll();
        EXPECT_TRUE(h.source->requestStop());
        h.source->close();
    }
    {
        // Run out, then destroyed without stop or close.
        Harness h(card.dayFolder(), 0b11);
        h.open();
        ASSERT_TRUE(h.waitRunOut());
        h.source.reset();
    }
    {
        // Never opened.
        MediaSource_SSFFile source;
        source.close();
        EXPECT_FALSE(source.open(nullptr));
    }
}

}  // namespace
