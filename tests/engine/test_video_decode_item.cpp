// Decode worker: flow control, pacing against a controlled clock, decoder
// reuse, latest samples, refused pushes and prompt shutdown.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <boost/date_time/posix_time/posix_time.hpp>

#include "codecs/VCodec.h"
#include "core/Trace.h"
#include "engine/CVideoDecodeItem.h"
#include "engine/ThreadPriority.h"
#include "tests/codecs/H264TestStream.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pt = boost::posix_time;
using ptime = pt::ptime;
using Item = CVideoDecodeItem;

namespace {

const ptime kT(boost::gregorian::date(2026, 3, 15), pt::time_duration(10, 15, 0));

// Waits for a condition the worker thread brings about; the limit only keeps
// a broken worker from hanging the test.
bool eventually(const std::function<bool()>& condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

template <typename Packet>
Packet* stamped(Packet* packet, ptime at) {
    const auto day = at.date();
    const auto clock = at.time_of_day();
    packet->date = day.year() * 10000 + day.month() * 100 + day.day();
    packet->time = clock.hours() * 10000 + clock.minutes() * 100 + clock.seconds();
    packet->milliseconds = static_cast<int>(clock.fractional_seconds() / 1000);
    return packet;
}

READVSTREAM* video(ptime at, int width = 64, int height = 48, unsigned char fill = 7) {
    auto* packet = stamped(new READVSTREAM, at);
    const unsigned char bytes[4] = {fill, fill, fill, fill};
    packet->setData(bytes, 4);
    packet->width = width;
    packet->height = height;
    packet->text1 = "CAM";
    return packet;
}

GSENSORDATA* gsensor(ptime at, float x) {
    auto* packet = stamped(new GSENSORDATA, at);
    packet->x = x;
    packet->y = -x;
    packet->z = 1.0f;
    return packet;
}

// Stands in for the site's presentation clock.
struct FakeClock {
    std::mutex lock;
    ptime now;
    std::atomic<int> reads{0};
    std::atomic<int> sets{0};

    ptime get() {
        ++reads;
        std::lock_guard<std::mutex> guard(lock);
        return now;
    }
    void set(ptime t) {
        ++sets;
        std::lock_guard<std::mutex> guard(lock);
        now = t;
    }
    // The test's own changes of the clock, not counted as sets.
    void assign(ptime t) {
        std::lock_guard<std::mutex> guard(lock);
        now = t;
    }
    ptime peek() {
        std::lock_guard<std::mutex> guard(lock);
        return now;
    }
    // Lets the worker look at its head packet some more times.
    bool readMore(int count) {
        const int target = reads.load() + count;
        return eventually([&] { return reads.load() >= target; });
    }
};

// Decodes every packet whose first byte is not 0 into a 2x2 picture filled
// with that byte.
struct FakeDecoders {
    std::atomic<int> created{0};
    std::atomic<int> openedWithContext{0};

    struct Decoder : IVCodec {
        FakeDecoders* owner;
        unsigned char pixels[16] = {};
        explicit Decoder(FakeDecoders* o) : owner(o) {}
        bool openWithContext(AVCodecContext*) override {
            ++owner->openedWithContext;
            return true;
        }
        bool openByKind(int kind) override { return kind == 0; }
        bool decode(VideoDecodeBuffer* b) override {
            if (b->size < 1 || b->data[0] == 0) {
                return true;
            }
            std::fill(std::begin(pixels), std::end(pixels), b->data[0]);
            b->planes[0] = pixels;
            b->width = b->height = 2;
            b->gotPicture = 1;
            return true;
        }
        bool close() override { return true; }
    };

    IVCodec* make() {
        ++created;
        return new Decoder(this);
    }
};

struct Picture {
    int width, height, date, time;
    std::string text;
    unsigned char first[4];
    int format;
};

class DecodeWorker : public ::testing::Test {
protected:
    void SetUp() override { worker = makeWorker(); }

    std::unique_ptr<Item> makeWorker(bool fakeDecoders = true, int format = PICTURE_RGBA) {
        SiteParams params;
        params.pictureFormat = format;
        params.onPicture = [this](PUSHVIDEO* v) {
            std::lock_guard<std::mutex> guard(picturesLock);
            pictures.push_back(
                {v->width,
                 v->height,
                 v->date,
                 v->time,
                 v->text,
                 {v->planes[0][0], v->planes[0][1], v->planes[0][2], v->planes[0][3]},
                 v->format});
        };
        auto item = std::make_unique<Item>(5, 1234, params);
        if (fakeDecoders) {
            item->setDecoderFactory([this] { return decoders.make(); });
        }
        item->setAfterPacketCallback([this](int channel) {
            EXPECT_EQ(channel, 5);
            ++afterPacket;
        });
        return item;
    }

    void start() {
        worker->start([this] { return clock.get(); }, [this](ptime t) { clock.set(t); });
    }

    std::size_t pictureCount() {
        std::lock_guard<std::mutex> guard(picturesLock);
        return pictures.size();
    }
    bool picturesReach(std::size_t n) {
        return eventually([&] { return pictureCount() >= n; });
    }

    FakeClock clock;
    FakeDecoders decoders;
    std::atomic<int> afterPacket{0};
    std::mutex picturesLock;
    std::vector<Picture> pictures;
    std::unique_ptr<Item> worker;
};

}  // namespace

TEST(DecodePacing, LeadPerPlayMode) {
    // Forward up to 240 ms ahead of the clock and single steps 33 ms, late
    // ones at once; backward the same with the frame before the clock.
    for (const auto& [mode, lead, sign] : {std::array<int, 3>{0, 240, 1},
                                           {2, 33, 1},
                                           {1, 240, -1},
                                           {3, 33, -1}}) {
        SCOPED_TRACE(mode);
        EXPECT_TRUE(Item::isDue(mode, kT + pt::milliseconds(sign * lead), kT));
        EXPECT_FALSE(Item::isDue(mode, kT + pt::milliseconds(sign * (lead + 1)), kT));
        EXPECT_TRUE(Item::isDue(mode, kT - pt::hours(sign), kT));
    }
    // Still: never, not even a late packet or one without an instant.
    EXPECT_FALSE(Item::isDue(4, kT - pt::hours(1), kT));
    EXPECT_FALSE(Item::isDue(4, ptime(), kT));
    // Unknown modes and instants that cannot be paced: at once.
    EXPECT_TRUE(Item::isDue(7, kT + pt::hours(1), kT));
    EXPECT_TRUE(Item::isDue(0, ptime(), kT));
    EXPECT_TRUE(Item::isDue(1, kT + pt::hours(1), ptime()));
}

TEST(DecodePacing, FrameInstantOfPacketFields) {
    EXPECT_EQ(Item::frameInstant(20260315, 101500, 250), kT + pt::milliseconds(250));
    EXPECT_EQ(Item::frameInstant(20240229, 235959, 999),
              ptime(boost::gregorian::date(2024, 2, 29), pt::time_duration(23, 59, 59)) +
                  pt::milliseconds(999));
    for (const auto& bad : {std::array<int, 3>{0, 101500, 0},
                            {20230229, 0, 0},
                            {20261301, 0, 0},
                            {20260300, 0, 0},
                            {20260315, 240000, 0},
                            {20260315, 106000, 0},
                            {20260315, 101500, 1000},
                            {-20260315, 0, 0}}) {
        EXPECT_TRUE(Item::frameInstant(bad[0], bad[1], bad[2]).is_not_a_date_time())
            << bad[0] << " " << bad[1] << " " << bad[2];
    }
}

TEST_F(DecodeWorker, FlowControlThresholds) {
    clock.assign(kT - pt::seconds(10));  // every packet below stays ahead of it
    start();
    for (int i = 0; i < 90; ++i) {
        ASSERT_TRUE(worker->pushPacket(gsensor(kT + pt::seconds(i), 0.5f)));
    }
    // The queue level reaches standard output only while tracing is on.
    testing::internal::CaptureStdout();
    korvel::setTraceEnabled(true);
    EXPECT_EQ(worker->checkBufferStatus(), Item::kBufferFull);
    korvel::setTraceEnabled(false);
    EXPECT_EQ(worker->checkBufferStatus(), Item::kBufferFull);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "checkBufferStatus() m_vbuffer.size() :  90 isFlowControl: 0\n");
    EXPECT_TRUE(worker->isFlowControl());

    clock.assign(kT + pt::seconds(29));  // releases packets 0..29
    ASSERT_TRUE(eventually([&] { return worker->queuedPackets() == 60; }));
    EXPECT_EQ(worker->checkBufferStatus(), Item::kBufferKeep);
    EXPECT_TRUE(worker->isFlowControl());

    clock.assign(kT + pt::seconds(45));  // releases 30..45
    ASSERT_TRUE(eventually([&] { return worker->queuedPackets() == 44; }));
    EXPECT_EQ(worker->checkBufferStatus(), Item::kBufferDrained);
    EXPECT_FALSE(worker->isFlowControl());
}

TEST_F(DecodeWorker, PresentsWithinLeadAndLatePacketsAtOnce) {
    clock.assign(kT);
    start();
    worker->pushPacket(video(kT + pt::milliseconds(240)));
    ASSERT_TRUE(picturesReach(1));

    const ptime held = kT + pt::milliseconds(241);
    worker->pushPacket(video(held));
    ASSERT_TRUE(clock.readMore(20));
    EXPECT_EQ(pictureCount(), 1u);
    EXPECT_EQ(worker->queuedPackets(), 1u);
    EXPECT_EQ(worker->currentInstant(), held) << "the site resynchronises on it";

    clock.assign(kT + pt::milliseconds(1));
    ASSERT_TRUE(picturesReach(2));
    worker->pushPacket(video(kT - pt::minutes(5)));
    ASSERT_TRUE(picturesReach(3));
    EXPECT_EQ(worker->lastPresented(), kT - pt::minutes(5));
    EXPECT_EQ(clock.sets.load(), 0) << "the clock was set all along";
    EXPECT_EQ(pictures[0].text, "CAM");
    EXPECT_EQ(pictures[0].date, 20260315);
    EXPECT_EQ(pictures[0].time, 101500);
}

TEST_F(DecodeWorker, StillModeHoldsUntilForwardPlay) {
    clock.assign(kT);
    worker->setPlayMode(PLAYMODE_STILL);
    start();
    worker->pushPacket(video(kT));
    ASSERT_TRUE(clock.readMore(50));
    EXPECT_EQ(pictureCount(), 0u);
    EXPECT_EQ(worker->queuedPackets(), 1u);

    worker->setPlayMode(PLAYMODE_FORWARD);
    ASSERT_TRUE(picturesReach(1));
}

TEST_F(DecodeWorker, FirstPacketAfterFlushSetsTheUnsetClock) {
    clock.assign(kT);
    start();
    worker->pushPacket(video(kT + pt::seconds(10), 64, 48, 1));
    ASSERT_TRUE(eventually([&] { return worker->currentInstant() == kT + pt::seconds(10); }));
    worker->flush();
    worker->resetTimes();
    EXPECT_EQ(worker->queuedPackets(), 0u);

    clock.assign(ptime());
    const ptime next = kT + pt::seconds(20);
    worker->pushPacket(video(next, 64, 48, 2));
    ASSERT_TRUE(picturesReach(1));
    EXPECT_EQ(clock.peek(), next);
    EXPECT_EQ(clock.sets.load(), 1);
    EXPECT_EQ(pictures[0].first[0], 2) << "the flushed packet is never presented";
    EXPECT_EQ(worker->lastPresented(), next);
}

TEST_F(DecodeWorker, DecoderReplacedOnlyWhenTheAreaChanges) {
    worker->setPacing(false);
    start();
    worker->pushPacket(video(kT, 1280, 720));
    worker->pushPacket(video(kT, 720, 1280));
    ASSERT_TRUE(picturesReach(2));
    EXPECT_EQ(decoders.created.load(), 1);

    worker->pushPacket(video(kT, 1920, 1080));
    ASSERT_TRUE(picturesReach(3));
    EXPECT_EQ(decoders.created.load(), 2);

    // A packet carrying a codec context opens its decoder on it.
    READVSTREAM* withContext = video(kT, 640, 480);
    AVCodecContext* context = avcodec_alloc_context3(nullptr);
    withContext->codecContext = context;
    worker->pushPacket(withContext);
    ASSERT_TRUE(picturesReach(4));
    EXPECT_EQ(decoders.created.load(), 3);
    EXPECT_EQ(decoders.openedWithContext.load(), 1);
    worker->stop();
    worker->teardown();
    avcodec_free_context(&context);
}

TEST_F(DecodeWorker, KeepsLatestSamplesWithNewFlag) {
    worker->setPacing(false);
    start();
    EXPECT_FALSE(worker->latestGps());
    auto* gps = stamped(new GPSDATA, kT);
    gps->latitude = 37.5;
    gps->longitude = 127.25;
    gps->speed = 12.0;
    worker->pushPacket(gps);
    worker->pushPacket(gsensor(kT, 0.25f));
    ASSERT_TRUE(eventually([&] { return worker->latestGSensor().has_value(); }));
    ASSERT_TRUE(worker->latestGps());
    EXPECT_EQ(worker->latestGps()->longitude, 127.25);
    EXPECT_TRUE(worker->latestGps()->isNew);
    EXPECT_EQ(worker->latestGSensor()->y, -0.25f);
    EXPECT_TRUE(worker->latestGSensor()->isNew);

    worker->clearGSensorFlag();
    EXPECT_FALSE(worker->latestGSensor()->isNew);
    EXPECT_TRUE(worker->latestGps()->isNew);
    worker->pushPacket(gsensor(kT + pt::seconds(1), 1.5f));
    ASSERT_TRUE(eventually([&] { return worker->latestGSensor()->x == 1.5f; }));
    EXPECT_TRUE(worker->latestGSensor()->isNew);
    EXPECT_EQ(pictureCount(), 0u);
}

TEST_F(DecodeWorker, StoppedWorkerRefusesPacketsAndRestarts) {
    std::unique_ptr<READVSTREAM> refused(video(kT));
    EXPECT_FALSE(worker->pushPacket(refused.get())) << "never started";
    EXPECT_FALSE(worker->pushPacket(nullptr));
    worker->setPacing(false);
    start();
    worker->stop();
    EXPECT_FALSE(worker->pushPacket2(refused.get())) << "stopped";

    start();  // without teardown: a new thread takes over
    EXPECT_TRUE(worker->pushPacket(refused.release()));
    ASSERT_TRUE(picturesReach(1));
}

TEST_F(DecodeWorker, StopAndTeardownArePromptFromEveryState) {
    using Setup = std::function<void(Item&)>;
    const std::vector<std::pair<const char*, Setup>> states = {
        {"never started", [](Item&) {}},
        {"waiting for packets",
         [&](Item& w) {
             auto empties = std::make_shared<std::atomic<int>>(0);
             w.setQueueEmptyCallback([empties](int) { ++*empties; });
             start();
             ASSERT_TRUE(eventually([&] { return empties->load() > 0; }));
         }},
        {"pacing a future packet",
         [&](Item& w) {
             clock.assign(kT);
             start();
             w.pushPacket(video(kT + pt::hours(1)));
             ASSERT_TRUE(clock.readMore(5));
         }},
        {"holding in still mode",
         [&](Item& w) {
             clock.assign(kT);
             w.setPlayMode(PLAYMODE_STILL);
             start();
             for (int i = 0; i < 100; ++i) {
                 w.pushPacket(video(kT));
             }
             ASSERT_TRUE(clock.readMore(5));
         }},
    };
    for (const auto& [name, setup] : states) {
        SCOPED_TRACE(name);
        worker = makeWorker();
        setup(*worker);
        const auto begin = std::chrono::steady_clock::now();
        worker->stop();
        worker->teardown();
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(500));
        EXPECT_EQ(worker->queuedPackets(), 0u);
        EXPECT_FALSE(worker->isRunning());
    }
}

TEST_F(DecodeWorker, RealH264PicturesReachThePage) {
    if (avcodec_find_encoder_by_name("libx264") == nullptr) {
        GTEST_SKIP() << "libavcodec has no libx264 encoder";
    }
    const testing_h264::Halves halves{{250, 20, 20}, {20, 20, 250}};
    const auto stream = testing_h264::encodeHalves(64, 48, {halves, halves, halves}, 10);
    ASSERT_EQ(stream.size(), 3u);

    // A page that asks for planes gets the decoder's own: studio-range luma
    // of the red half in the first plane.
    for (const int format : {PICTURE_RGBA, PICTURE_YUV420}) {
        SCOPED_TRACE(format);
        pictures.clear();
        afterPacket = 0;
        worker = makeWorker(false, format);
        worker->setPacing(false);
        worker->resetStatistics();
        start();
        int bytes = 0;
        for (const auto& coded : stream) {
            READVSTREAM* packet = video(kT);
            packet->setData(coded.data(), static_cast<int>(coded.size()));
            bytes += packet->size;
            worker->pushPacket(packet);
        }
        worker->pushPacket(video(kT, 64, 48, 0));  // no picture in it
        ASSERT_TRUE(eventually([&] { return afterPacket.load() == 4; }));
        ASSERT_EQ(pictureCount(), 3u);
        for (const Picture& p : pictures) {
            EXPECT_EQ(p.format, format);
            EXPECT_EQ(p.width, 64);
            EXPECT_EQ(p.height, 48);
            if (format == PICTURE_RGBA) {
                EXPECT_NEAR(p.first[0], 250, 12);
                EXPECT_NEAR(p.first[2], 20, 12);
            } else {
                EXPECT_NEAR(p.first[0], 16 + 0.257 * 250 + 0.504 * 20 + 0.098 * 20, 6);
            }
        }
        EXPECT_EQ(worker->statistics().pictures, 3);
        EXPECT_EQ(worker->statistics().bytes, bytes);
        EXPECT_FALSE(worker->statistics().start.is_special());
        worker->stop();
        worker->teardown();
    }
}

#if defined(__linux__)
namespace {

bool mayRaisePriorities() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapEff:", 0) == 0) {
            const unsigned long long caps = std::stoull(line.substr(7), nullptr, 16);
            return (caps >> 23 & 1u) != 0;  // CAP_SYS_NICE
        }
    }
    return false;
}

int ownNice() {
    return getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
}

}  // namespace

TEST(ThreadPriority, RaisesTheCallingThreadAndNeverLowersIt) {
    if (!mayRaisePriorities()) {
        GTEST_SKIP() << "no right to raise thread priorities here";
    }
    const int own = ownNice();
    int levels[3] = {};
    std::thread thread([&] {
        setCurrentThreadPriorityAboveNormal();
        levels[0] = ownNice();
        setCurrentThreadPriorityHighest();
        levels[1] = ownNice();
        setCurrentThreadPriorityAboveNormal();
        levels[2] = ownNice();
    });
    thread.join();
    EXPECT_EQ(levels[0], -5);
    EXPECT_EQ(levels[1], -10);
    EXPECT_EQ(levels[2], -10);
    EXPECT_EQ(ownNice(), own) << "other threads keep theirs";
}
#endif
